#include "protocol/GetCapture.h"

#include "protocol/Body.h"
#include "protocol/CatalogueRequest.h"
#include "protocol/Constant.h"
#include "protocol/XMLEscape.h"

void GetCapture::RQCapturePic(const NSString& day, long page) const
{
    NSString bid = CatalogueRequest::deviceId();
    NSString body = XMLFormat("<BODY><BID>%@</BID><DataDate>%@</DataDate><PageIndex>%@</PageIndex>"
                              "<PageSize>20</PageSize></BODY></MSG>",
                              bid, day, NSString::stringWithFormat("%ld", page));
    auto result =
        ParseXML::init()->parseRQCapturePic(CatalogueRequest::send(Constant::userID(), "RQCapturePic", body, {bid}));
    CatalogueRequest::deliverOnMainThread(delegate(), &GetCaptureDelegate::didFinishRequest, std::move(result), false);
}

std::shared_ptr<CaptureReturnMessage> GetCapture::RQCapPicTime() const
{
    NSString userID = Constant::userID();
    auto body = Body::init();
    body->setUserId(userID);
    return CatalogueRequest::parsed(CatalogueRequest::send(userID, "RQCapPicTime", body->UserIdToString()),
                                    &ParseXML::parseRQCapPicTime);
}
