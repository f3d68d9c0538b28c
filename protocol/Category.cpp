#include "protocol/Category.h"

#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

std::shared_ptr<CategoryVO> Category::RQUrlType(int) const
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userName(), "RQUrlRuleSelf",
                               MessageExchange::body("<BODY><UserID>%@</UserID><UrlType>ALL</UrlType></BODY></MSG>", bid)),
        &ParseXML::parseRQUrlType);
}

std::shared_ptr<CategoryVO> Category::RQGameType(int page) const
{
    NSString bid = MessageExchange::deviceId();
    return ParseXML::init()->parseRQGameType(MessageExchange::send(
        Constant::userName(), "RQGameRuleSelf",
        MessageExchange::body("<BODY><BID>%@</BID><GameType>ALL</GameType><PageIndex>%@</PageIndex><PageSize>20</PageSize></BODY></MSG>",
                  bid, NSString::stringWithFormat("%d", page))));
}

std::shared_ptr<MessageInfo> Category::ADUrlType(const NSString& body) const
{
    return MessageExchange::parsed(MessageExchange::send(Constant::userName(), "ADUrlRuleSelf", body),
                                    &ParseXML::parseADUrlLimit);
}

std::shared_ptr<MessageInfo> Category::ADGameType(const NSString& body) const
{
    return ParseXML::init()->parseADUrlLimit(MessageExchange::send(Constant::userName(), "ADGameRuleSelf", body));
}
