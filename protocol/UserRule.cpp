#include "protocol/UserRule.h"

#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

namespace {

std::shared_ptr<UserUrlRuleReturnMessage> changeSites(const char* type, const std::vector<NSString>& sites)
{
    auto body = Body::init();
    body->setADUrlRuleSelfList(sites);
    return ParseXML::init()->parseADUrlRuleSelf(
        MessageExchange::send(Constant::userID(), type, body->ADUrlRuleSelfToString()));
}

std::shared_ptr<UserGameRuleReturnMessage> changePrograms(const char* type,
                                                          const std::vector<std::shared_ptr<UserGameRuleMessage>>& rules)
{
    auto body = Body::init();
    body->setADGameRuleSelfList(rules);
    return ParseXML::init()->parseADGameRuleSelf(
        MessageExchange::send(Constant::userID(), type, body->ADGameRuleSelfToString()));
}

}  // namespace

void UserUrlRule::RQUrlRuleSelf(const NSString& urlType) const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    body->setUrlType(urlType);
    auto result = MessageExchange::parsed(
        MessageExchange::send(userID, "RQUrlRuleSelf", body->RQUrlRuleSelfToString()), &ParseXML::parseRQUrlRuleSelf);
    deliverOnMainThread(delegate(), &UserUrlRuleDelegate::downloadFinished, std::move(result), true);
}

std::shared_ptr<UserUrlRuleReturnMessage> UserUrlRule::ADUrlRuleSelf(const std::vector<NSString>& sites) const
{
    return changeSites("ADUrlRuleSelf ", sites);
}

std::shared_ptr<UserUrlRuleReturnMessage> UserUrlRule::DLUrlRuleSelf(const std::vector<NSString>& sites) const
{
    return changeSites("DLUrlRuleSelf", sites);
}

void UserGameRule::RQGameRuleSelf(const std::shared_ptr<Body>& body) const
{
    auto result = MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), "RQGameRuleSelf", body ? body->RQGameRuleSelfToString() : NSString()),
        &ParseXML::parseRQGameRuleSelf);
    deliverOnMainThread(delegate(), &UserGameRuleDelegate::downloadFinished, std::move(result), false);
}

std::shared_ptr<UserGameRuleReturnMessage> UserGameRule::ADGameRuleSelf(
    const std::vector<std::shared_ptr<UserGameRuleMessage>>& rules) const
{
    return changePrograms("ADGameRuleSelf ", rules);
}

std::shared_ptr<UserGameRuleReturnMessage> UserGameRule::DLGameRuleSelf(
    const std::vector<std::shared_ptr<UserGameRuleMessage>>& rules) const
{
    return changePrograms("DLGameRuleSelf ", rules);
}
