#include "protocol/Internet.h"

#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"
#include "protocol/CountOrder.h"

namespace {

template <class Record>
using ParseMethod = std::shared_ptr<Record> (ParseXML::*)(const NSString&) const;


// The day's records of the Body, which is told the allow state "2" and the
// stored device.
template <class Record>
std::shared_ptr<Record> dayRecords(const char* type, const std::shared_ptr<Body>& body,
                                   ParseMethod<Record> parse)
{
    if (!body) return nullptr;
    NSString bid = MessageExchange::deviceId();
    body->setAllowed("2");
    body->setBID(bid);
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), type, bid.isNil() ? NSString() : body->recordToString()),
                                    parse);
}

template <class Record>
std::shared_ptr<Record> ranking(const char* type, const std::shared_ptr<Body>& body,
                                ParseMethod<Record> parse)
{
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), type, body ? body->generalToString() : NSString()), parse);
}

template <class Record>
std::shared_ptr<Record> allowance(const char* type, ParseMethod<Record> parse)
{
    auto body = Body::init();
    body->setDataDays("30");
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), type, body->RQUrlAllowToString()), parse);
}

// The allowed records of a day; both kinds are read from the day-record TYPEs.
template <class Record>
std::shared_ptr<Record> allowedOfDay(const char* type, const NSString& day, long page,
                                     ParseMethod<Record> parse)
{
    NSString bid = MessageExchange::deviceId();
    NSString body = MessageExchange::body("<BODY><BID>%@</BID><DataDate>%@</DataDate><Allowed>1</Allowed>"
                              "<PageIndex>%@</PageIndex><PageSize>20</PageSize></BODY></MSG>",
                              bid, day, NSString::stringWithFormat("%ld", page));
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), type, body), parse);
}

std::shared_ptr<UserUrlRuleReturnMessage> deleteRules(const char* type, const NSString& body)
{
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), type, body), &ParseXML::parseDLUrlSelf);
}

}  // namespace

NSComparisonResult InternetMessage::compareNum(const InternetMessage& other) const
{
    return compareCounts(count(), other.count());
}

NSComparisonResult GameMessage::compareNum(const GameMessage& other) const
{
    return compareCounts(number(), other.number());
}

std::shared_ptr<InternetReturnMessage> Internet::RQUrlAccess(const std::shared_ptr<Body>& body) const
{
    return dayRecords("RQUrlAccess", body, &ParseXML::parseRQUrlAccess);
}

std::shared_ptr<InternetReturnMessage> Internet::RQUrlBrowse(const std::shared_ptr<Body>& body) const
{
    return ranking("RQUrlBrowse", body, &ParseXML::parseRQUrlBrowse);
}

std::shared_ptr<InternetReturnMessage> Internet::RQUrlAllow() const
{
    return allowance("RQUrlAllow", &ParseXML::parseRQUrlAllow);
}

std::shared_ptr<InternetReturnMessage> Internet::RQUrlBrowseByType(const NSString& day, long page) const
{
    return allowedOfDay("RQUrlAccess", day, page, &ParseXML::parseRQUrlAccess);
}

std::shared_ptr<UserUrlRuleReturnMessage> Internet::DLUrlByType(const NSString& body) const
{
    return deleteRules("DLUrlRuleSelf", body);
}

std::shared_ptr<UserUrlRuleReturnMessage> Internet::DLGameByType(const NSString& body) const
{
    return deleteRules("DLGameRuleSelf", body);
}

std::shared_ptr<GameReturnMessage> Game::RQGameAccess(const std::shared_ptr<Body>& body) const
{
    return dayRecords("RQGameAccess", body, &ParseXML::parseRQGameAccess);
}

std::shared_ptr<GameReturnMessage> Game::RQGameBrowse(const std::shared_ptr<Body>& body) const
{
    return ranking("RQGameBrowse", body, &ParseXML::parseRQGameBrowse);
}

std::shared_ptr<GameReturnMessage> Game::RQGameAllow() const
{
    return allowance("RQGameAllow", &ParseXML::parseRQGameAllow);
}

std::shared_ptr<GameReturnMessage> Game::RQGameBrowseByType(const NSString& day, long page) const
{
    return allowedOfDay("RQGameAccess", day, page, &ParseXML::parseRQGameAccess);
}
