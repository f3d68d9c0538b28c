#pragma once
// The positions of a day grouped by place, as the location map shows them:
// positions whose latitudes and longitudes agree to four decimals are one
// place, keyed by the decimal text of its first position's index.

#include <map>
#include <memory>
#include <vector>

#include "protocol/Map.h"

using MapPlaceList = std::vector<std::shared_ptr<MapMessage>>;
// Ordered by the key texts ("10" before "2"), which decides the pins' tags.
using MapPlaces = std::map<NSString, MapPlaceList>;

// Groups in one pass. With two or more positions each position's latitude
// and longitude are rewritten in it as their four-decimal texts, which the
// pins and the position list then show; a single position keeps its texts.
MapPlaces groupPositionsByPlace(const MapPlaceList& positions);

// The place's times, each "HH:mm" after a blank, in list order (" 08:15 09:40").
NSString placeTimes(const MapPlaceList& place);
// The last position of the place with a real address (present, not empty,
// not "无"); the first when none has one.
std::shared_ptr<MapMessage> namedPosition(const MapPlaceList& place);
// "yyyy-MM-dd HH:mm:ss" written as "HH:mm"; nil when it does not read.
NSString hourMinuteOf(const NSString& updateTime);
