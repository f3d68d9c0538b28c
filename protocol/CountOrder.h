#pragma once
// The order of the ranking screens: larger counts first. Compares the other
// item's count with the receiver's; a text that is no number counts 0.

#include "platform/foundation/NSString.h"

inline NSComparisonResult compareCounts(const NSString& receiver, const NSString& other)
{
    int mine = receiver.intValue(), theirs = other.intValue();
    return theirs < mine ? NSOrderedAscending : theirs > mine ? NSOrderedDescending : NSOrderedSame;
}
