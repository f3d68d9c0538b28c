#include "protocol/ProtectSetting.h"

#include "protocol/Body.h"
#include "protocol/CatalogueRequest.h"
#include "protocol/Constant.h"
#include "protocol/XMLEscape.h"

std::shared_ptr<ProtectSettingReturnMessage> ProtectSetting::RQTimeConfig() const
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(CatalogueRequest::send(Constant::userID(), "RQTimeConfig",
                                                           XMLFormat("<BODY><BID>%@</BID></BODY></MSG>", bid), {bid}),
                                    &ParseXML::parseProtectSetting);
}

std::shared_ptr<MessageInfo> ProtectSetting::UDTimeConfig(const NSString& body) const
{
    return CatalogueRequest::parsed(CatalogueRequest::send(Constant::userID(), "UDTimeConfig", body),
                                    &ParseXML::parsecutQuick);
}

std::shared_ptr<ServiceSwitchReturnMessage> ServiceSwitch::RQServiceSwitch() const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    return CatalogueRequest::parsed(CatalogueRequest::send(userID, "RQServiceSwitch", body->UserIdToString()),
                                    &ParseXML::parseRQServiceSwitch);
}

std::shared_ptr<ServiceSwitchReturnMessage> ServiceSwitch::UDServiceSwitch(
    const std::shared_ptr<ServiceSwitchReturnMessage>& switches) const
{
    auto body = Body::init();
    body->setServiceSwitchReturnMessage(switches);
    return ParseXML::init()->parseUDServiceSwitch(
        CatalogueRequest::send(Constant::userID(), "UDServiceSwitch", body->UDServiceSwitchToString()));
}
