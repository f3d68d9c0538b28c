#include "protocol/GetCapture.h"

#include "protocol/Body.h"
#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

void GetCapture::RQCapturePic(const NSString& day, long page) const
{
    NSString bid = MessageExchange::deviceId();
    NSString body = MessageExchange::body("<BODY><BID>%@</BID><DataDate>%@</DataDate><PageIndex>%@</PageIndex>"
                              "<PageSize>20</PageSize></BODY></MSG>",
                              bid, day, NSString::stringWithFormat("%ld", page));
    auto result =
        ParseXML::init()->parseRQCapturePic(MessageExchange::send(Constant::userID(), "RQCapturePic", body));
    deliverOnMainThread(delegate(), &GetCaptureDelegate::didFinishRequest, std::move(result), false);
}

std::shared_ptr<CaptureReturnMessage> GetCapture::RQCapPicTime() const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    return MessageExchange::parsed(MessageExchange::send(userID, "RQCapPicTime", body->UserIdToString()),
                                    &ParseXML::parseRQCapPicTime);
}
