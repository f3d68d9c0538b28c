#pragma once
// The list reply of the statistics requests and of the home page's
// current-limit details. Its rows are AnalysisMessage items for the statistics
// and HomeCurLimit items for the current limits, so the list holds objects.

#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

class AnalysisReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<id>, list, setList);
};

// One category of a day's use and its count.
class AnalysisMessage : public NSObject {
public:
    // Larger counts first: compares the other item's count with this one's
    // (texts that are no number count 0).
    NSComparisonResult compareNum(const AnalysisMessage& other) const;

    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, num, setNum);
};
