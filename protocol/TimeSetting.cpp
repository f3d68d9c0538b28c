#include "protocol/TimeSetting.h"

#include "protocol/Body.h"
#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

namespace {

template <class Record>
using ParseMethod = std::shared_ptr<Record> (ParseXML::*)(const NSString&) const;

// The fetched grid, or nil, to the delegate.
void deliver(const std::weak_ptr<TimeSettingDelegate>& delegate, const NSString& reply,
             ParseMethod<TimeSettingReturnMessage> parse)
{
    deliverOnMainThread(delegate, &TimeSettingDelegate::loadDataFinished,
                                          MessageExchange::parsed(reply, parse), false);
}

}  // namespace

void TimeSetting::RQUrlPeriod() const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    deliver(delegate(), MessageExchange::send(userID, "RQUrlPeriod", body->UserIdToString()), &ParseXML::parseRQUrlPeriod);
}

void TimeSetting::RQGamePeriod() const
{
    NSString bid = MessageExchange::deviceId();
    deliver(delegate(), MessageExchange::send(Constant::userID(), "RQGamePeriod",
                                   MessageExchange::body("<BODY><UserID>%@</UserID></BODY></MSG>", bid)),
            &ParseXML::parseRQGamePeriod);
}

std::shared_ptr<TimeSettingReturnMessage> TimeSetting::UDUrlPeriod(const NSString& grid) const
{
    auto body = Body::init();
    body->setTimePeriod(grid);
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), "UDUrlPeriod", body->UDUrlPeriodToString()),
                                    &ParseXML::parseUDUrlPeriod);
}

std::shared_ptr<TimeSettingReturnMessage> TimeSetting::UDGamePeriod(const NSString& grid) const
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), "UDGamePeriod",
                               MessageExchange::body("<BODY><BID>%@</BID><GamePeriod>%@</GamePeriod></BODY></MSG>", bid, grid)),
        &ParseXML::parseUDGamePeriod);
}
