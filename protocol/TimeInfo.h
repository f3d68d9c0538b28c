#pragma once
// The timed lock of a countdown and the weekly time periods of the supervised
// device.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

// One allowed period: days of the week, start and end time, device, kind
// ("1" a school-time period), remark and holiday flag.
class TimePeriod : public NSObject {
    NX_PROPERTY(NSString, week, setWeek);
    NX_PROPERTY(NSString, sttm, setSttm);
    NX_PROPERTY(NSString, edtm, setEdtm);
    NX_PROPERTY(NSString, bid, setBid);
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, remark, setRemark);
    NX_PROPERTY(NSString, holiday, setHoliday);
};

class TiemPeriodVo : public NSObject {
    NX_PROPERTY(std::vector<std::shared_ptr<TimePeriod>>, list, setList);
};

// Each request blocks the calling (worker) thread for its exchange and returns
// nil when the exchange failed or no account or device is stored.
class TimeInfo : public NSObject {
public:
    static std::shared_ptr<TimeInfo> init() { return std::make_shared<TimeInfo>(); }
    // The one shared instance, made on first use (safe from any thread).
    static std::shared_ptr<TimeInfo> shareTimeInfo();

    // Locks the screen at the due time ("yyyy-MM-dd HH:mm"), or withdraws that lock.
    std::shared_ptr<MessageInfo> setTimeLen(const NSString& dueTime) const;
    std::shared_ptr<MessageInfo> delTimeLen(const NSString& dueTime) const;
    std::shared_ptr<TiemPeriodVo> RQTimePeriodList() const;
    // Adds or deletes the periods of a complete body text ("<BODY>" to "</MSG>").
    std::shared_ptr<MessageInfo> ADTimePeriod(const NSString& body) const;
    std::shared_ptr<MessageInfo> DELTimePeriodList(const NSString& body) const;
};
