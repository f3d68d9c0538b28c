#include "protocol/BuyService.h"

#include "protocol/Constant.h"
#include "protocol/MessageExchange.h"

namespace {

NSString loginNameBody(const NSString& userName)
{
    return MessageExchange::body("<BODY><UserID>%@</UserID></BODY></MSG>", userName);
}

}  // namespace

std::shared_ptr<BuyServiceReturnMessage> BuyService::RQBuyService(const std::shared_ptr<Body>& body) const
{
    return MessageExchange::request(Constant::userName(), "RQBuyService",
                                    body ? body->RQBuyServiceToString() : NSString(), &ParseXML::parseRQByService);
}

std::shared_ptr<BuyServiceReturnMessage> BuyService::RQCanBuyService() const
{
    NSString userName = Constant::userName();
    return MessageExchange::request(userName, "RQCanBuyService", loginNameBody(userName),
                                    &ParseXML::parseRQCanBuyService);
}

std::shared_ptr<BuyServiceReturnMessage> BuyService::RQHaveBuyService() const
{
    NSString userName = Constant::userName();
    return ParseXML::init()->parseRQHaveBuyService(
        MessageExchange::send(userName, "RQHaveBuyService", loginNameBody(userName)));
}

std::shared_ptr<BuyServiceReturnMessage> BuyService::ADBuyService(const std::shared_ptr<BuyServiceMessage>& purchase) const
{
    if (!purchase) return nullptr;
    auto body = Body::init();
    body->setADBuyServiceList({purchase});
    return MessageExchange::request(Constant::userName(), "ADBuyService", body->ADBuyServiceToString(),
                                    &ParseXML::parseADByService);
}
