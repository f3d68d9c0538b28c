#include "protocol/UserSetting.h"

#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

std::shared_ptr<UserSettingReturnMessage> UserSetting::RQUserSettingPhone(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "RQUserSetting", body, &ParseXML::parseRQUserSettingPhone);
}

std::shared_ptr<MessageInfo> UserSetting::UDUserSettingPhone(const NSString& body) const
{
    return MessageExchange::request(Constant::userID(), "UDUserSetting", body, &ParseXML::parsecutQuick);
}
