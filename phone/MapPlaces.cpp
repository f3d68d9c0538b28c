#include "phone/MapPlaces.h"

#include <string>
#include <unordered_map>

#include "platform/foundation/NSDateFormatter.h"

namespace {

NSString fourDecimals(const NSString& degrees) { return NSString::stringWithFormat("%.4f", degrees.doubleValue()); }

class HourMinuteWriter {
public:
    HourMinuteWriter() : reader_(NSDateFormatter::init()), writer_(NSDateFormatter::init())
    {
        reader_->setDateFormat("yyyy-MM-dd HH:mm:ss");
        writer_->setDateFormat("HH:mm");
    }
    NSString operator()(const NSString& time) const
    {
        auto date = time.isNil() ? std::nullopt : reader_->dateFromString(time);
        return date ? writer_->stringFromDate(*date) : NSString();
    }

private:
    std::shared_ptr<NSDateFormatter> reader_, writer_;
};

}  // namespace

MapPlaces groupPositionsByPlace(const MapPlaceList& positions)
{
    if (positions.size() >= 2)
        for (const auto& p : positions) {
            p->setLatitude(fourDecimals(p->latitude()));
            p->setLongitude(fourDecimals(p->longitude()));
        }
    MapPlaces places;
    // The rounded pair of each place seen so far, to its key.
    std::unordered_map<std::string, NSString> keyOfPair;
    for (size_t i = 0; i < positions.size(); ++i) {
        const auto& p = positions[i];
        const std::string pair = p->latitude().str() + "," + p->longitude().str();
        auto at = keyOfPair.try_emplace(pair, NSString(std::to_string(i))).first;
        places[at->second].push_back(p);
    }
    return places;
}

NSString placeTimes(const MapPlaceList& place)
{
    const HourMinuteWriter hourMinute;
    std::string times;
    for (const auto& p : place) times += NSString::stringWithFormat(" %@", hourMinute(p->updateTime())).str();
    return NSString(times);
}

std::shared_ptr<MapMessage> namedPosition(const MapPlaceList& place)
{
    std::shared_ptr<MapMessage> named;
    for (const auto& p : place) {
        const NSString& address = p->address();
        if (!address.isNil() && address.length() > 0 && address != NSString("无")) named = p;
    }
    return named || place.empty() ? named : place.front();
}

NSString hourMinuteOf(const NSString& updateTime) { return HourMinuteWriter()(updateTime); }
