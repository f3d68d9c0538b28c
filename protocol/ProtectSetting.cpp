#include "protocol/ProtectSetting.h"

#include "protocol/Body.h"
#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

std::shared_ptr<ProtectSettingReturnMessage> ProtectSetting::RQTimeConfig() const
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), "RQTimeConfig",
                                                           MessageExchange::body("<BODY><BID>%@</BID></BODY></MSG>", bid)),
                                    &ParseXML::parseProtectSetting);
}

std::shared_ptr<MessageInfo> ProtectSetting::UDTimeConfig(const NSString& body) const
{
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), "UDTimeConfig", body),
                                    &ParseXML::parsecutQuick);
}

std::shared_ptr<ServiceSwitchReturnMessage> ServiceSwitch::RQServiceSwitch() const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    return MessageExchange::parsed(MessageExchange::send(userID, "RQServiceSwitch", body->UserIdToString()),
                                    &ParseXML::parseRQServiceSwitch);
}

std::shared_ptr<ServiceSwitchReturnMessage> ServiceSwitch::UDServiceSwitch(
    const std::shared_ptr<ServiceSwitchReturnMessage>& switches) const
{
    auto body = Body::init();
    body->setServiceSwitchReturnMessage(switches);
    return ParseXML::init()->parseUDServiceSwitch(
        MessageExchange::send(Constant::userID(), "UDServiceSwitch", body->UDServiceSwitchToString()));
}
