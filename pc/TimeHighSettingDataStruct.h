#pragma once
// The weekly period record the period list, its editor and the hour grid's
// school locks share.

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

// One weekly period: start and end "HH:mm", day numbers 1 (Monday) ... 7
// joined by "," in ascending order, type ("0" for periods made here).
class TimeHighSettingDataStruct : public NSObject {
    NX_PROPERTY(NSString, titleStr, setTitleStr);
    NX_PROPERTY(NSString, titleStr_1, setTitleStr_1);
    NX_PROPERTY(NSString, detailStr, setDetailStr);
    NX_PROPERTY(NSString, type, setType);
    NX_PROPERTY(NSString, remark, setRemark);
    NX_PROPERTY(NSString, holiday, setHoliday);
public:
    bool sameAs(const TimeHighSettingDataStruct& other) const;
};
