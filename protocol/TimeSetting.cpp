#include "protocol/TimeSetting.h"

#include "protocol/Body.h"
#include "protocol/CatalogueRequest.h"
#include "protocol/Constant.h"
#include "protocol/XMLEscape.h"

namespace {

// The fetched grid, or nil, to the delegate.
void deliver(const std::weak_ptr<TimeSettingDelegate>& delegate, const NSString& reply,
             ParseMethod<TimeSettingReturnMessage> parse)
{
    CatalogueRequest::deliverOnMainThread(delegate, &TimeSettingDelegate::loadDataFinished,
                                          CatalogueRequest::parsed(reply, parse), false);
}

}  // namespace

void TimeSetting::RQUrlPeriod() const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    deliver(delegate(), CatalogueRequest::send(userID, "RQUrlPeriod", body->UserIdToString()), &ParseXML::parseRQUrlPeriod);
}

void TimeSetting::RQGamePeriod() const
{
    NSString bid = CatalogueRequest::deviceId();
    deliver(delegate(), CatalogueRequest::send(Constant::userID(), "RQGamePeriod",
                                   XMLFormat("<BODY><UserID>%@</UserID></BODY></MSG>", bid), {bid}),
            &ParseXML::parseRQGamePeriod);
}

std::shared_ptr<TimeSettingReturnMessage> TimeSetting::UDUrlPeriod(const NSString& grid) const
{
    auto body = Body::init();
    body->setTimePeriod(grid);
    return CatalogueRequest::parsed(CatalogueRequest::send(Constant::userID(), "UDUrlPeriod", body->UDUrlPeriodToString()),
                                    &ParseXML::parseUDUrlPeriod);
}

std::shared_ptr<TimeSettingReturnMessage> TimeSetting::UDGamePeriod(const NSString& grid) const
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userID(), "UDGamePeriod",
                               XMLFormat("<BODY><BID>%@</BID><GamePeriod>%@</GamePeriod></BODY></MSG>", bid, grid), {bid}),
        &ParseXML::parseUDGamePeriod);
}
