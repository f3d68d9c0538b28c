#pragma once
// The device's time configuration (which time rule is in force, the countdown
// length, the protect mode, whether the restrictions are lifted) and the
// account's service switches.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"
#include "protocol/ServiceSwitchReturnMessage.h"

// cmdType is the protect mode: (network cut ? 1 : 0) + (screen locked ? 1 : -1),
// so -1 neither, 0 network only, 1 screen only, 2 both.
class ProtectSettingReturnMessage : public NSObject {
    NX_PROPERTY(NSString, cmdType, setCmdType);
    NX_PROPERTY(NSString, cmdType1, setCmdType1);
    NX_PROPERTY(NSString, timeType, setTimeType);
    NX_PROPERTY(NSString, timeLength, setTimeLength);
    NX_PROPERTY(NSString, unlimited, setUnlimited);
};

// Each request blocks the calling (worker) thread for its exchange and returns
// nil when the exchange failed or no account or device is stored.
class ProtectSetting : public NSObject {
public:
    static std::shared_ptr<ProtectSetting> init() { return std::make_shared<ProtectSetting>(); }

    std::shared_ptr<ProtectSettingReturnMessage> RQTimeConfig() const;
    // Stores one setting of a complete body text ("<BODY>" to "</MSG>").
    std::shared_ptr<MessageInfo> UDTimeConfig(const NSString& body) const;
};

class ServiceSwitch : public NSObject {
public:
    static std::shared_ptr<ServiceSwitch> init() { return std::make_shared<ServiceSwitch>(); }

    // The account's switches; nil when the exchange failed.
    std::shared_ptr<ServiceSwitchReturnMessage> RQServiceSwitch() const;
    // Stores the five switches of the record (never CaressEnabled); the reply's
    // code and desc, or an empty record when the exchange failed.
    std::shared_ptr<ServiceSwitchReturnMessage> UDServiceSwitch(
        const std::shared_ptr<ServiceSwitchReturnMessage>& switches) const;
};
