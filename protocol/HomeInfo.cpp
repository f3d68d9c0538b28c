#include "protocol/HomeInfo.h"

#include "protocol/CatalogueRequest.h"
#include "protocol/Constant.h"
#include "protocol/XMLEscape.h"

namespace {

std::shared_ptr<MessageInfo> command(const char* body)
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userID(), "ADCmd", XMLFormat(body, bid, Constant::currentTime()), {bid}),
        &ParseXML::parsecutQuick);
}

}  // namespace

std::shared_ptr<HomeInfoReturnMessage> HomeInfo::homeInfo() const
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userID(), "RQHomePage", XMLFormat("<BODY><UserID>%@</UserID></BODY></MSG>", bid),
                               {bid}),
        &ParseXML::parseHomeInfo);
}

std::shared_ptr<MessageInfo> HomeInfo::lockQuick() const
{
    return command("<BODY><BID>%@</BID><STTM>%@</STTM><Type>0</Type></BODY></MSG>");
}

std::shared_ptr<MessageInfo> HomeInfo::cutQuick() const
{
    return command("<BODY><BID>%@</BID><STTM>%@</STTM><Type>1</Type></BODY></MSG>");
}

std::shared_ptr<MessageInfo> HomeInfo::cancelLockQuick() const
{
    return command("<BODY><BID>%@</BID><STTM>%@</STTM><Type>2</Type></BODY></MSG>");
}

std::shared_ptr<MessageInfo> HomeInfo::cancelCutQuick() const
{
    return command("<BODY><BID>%@</BID><STTM>%@</STTM><Type>3</Type></BODY></MSG>");
}

std::shared_ptr<AnalysisReturnMessage> HomeInfo::homeCurlimit(const NSString& type) const
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userName(), "RQCurLimit",
                               XMLFormat("<BODY><UserID>%@</UserID><Type>%@</Type></BODY></MSG>", bid, type), {bid}),
        &ParseXML::parseRQRQCurLimit);
}
