#pragma once
// One named parameter of the supervised device (the screens use
// "SyncTime", the synchronisation interval).

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/MessageInfo.h"
#include "protocol/Property.h"

class UserSettingReturnMessage : public NSObject {
    NX_PROPERTY(NSString, minutes, setMinutes);  // the parameter's value
};

// Each request goes out from the stored user ID with the caller's BODY text
// and blocks its thread for one exchange; nil when nothing came back or
// nothing could be sent.
class UserSetting : public NSObject {
public:
    static std::shared_ptr<UserSetting> init() { return std::make_shared<UserSetting>(); }

    std::shared_ptr<UserSettingReturnMessage> RQUserSettingPhone(const NSString& body) const;  // "RQUserSetting"
    std::shared_ptr<MessageInfo> UDUserSettingPhone(const NSString& body) const;               // "UDUserSetting"
};
