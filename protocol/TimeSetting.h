#pragma once
// The two weekly grids of the supervised device, one for web use and one for
// program use: fetched for a delegate, stored with a reply. A grid is the
// screens' text (168 hour cells of four quarter-hour flags, joined by ",").

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"
#include "protocol/WeakDelegateHolder.h"

// A fetch fills only its grid; a store fills code ("0" = success) and desc.
class TimeSettingReturnMessage : public NSObject {
    NX_PROPERTY(NSString, code, setCode);
    NX_PROPERTY(NSString, desc, setDesc);
    NX_PROPERTY(NSString, urlPeriod, setUrlPeriod);
    NX_PROPERTY(NSString, gamePeriod, setGamePeriod);
};

class TimeSettingDelegate {
public:
    virtual ~TimeSettingDelegate() = default;
    // Once at the end of each fetch, on the main thread; nil when the exchange failed.
    virtual void loadDataFinished(std::shared_ptr<TimeSettingReturnMessage> result) = 0;
};

class TimeSetting : public NSObject, public WeakDelegateHolder<TimeSettingDelegate> {
public:
    static std::shared_ptr<TimeSetting> init() { return std::make_shared<TimeSetting>(); }

    // The account's web grid, to the delegate on the main thread without waiting.
    void RQUrlPeriod() const;
    // The device's program grid, likewise.
    void RQGamePeriod() const;
    // Stores a grid; nil when the exchange failed or no account or device is stored.
    std::shared_ptr<TimeSettingReturnMessage> UDUrlPeriod(const NSString& grid) const;
    std::shared_ptr<TimeSettingReturnMessage> UDGamePeriod(const NSString& grid) const;
};
