#include "protocol/HomeInfo.h"

#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

namespace {

std::shared_ptr<MessageInfo> command(const char* body)
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), "ADCmd", MessageExchange::body(body, bid, Constant::currentTime())),
        &ParseXML::parsecutQuick);
}

}  // namespace

std::shared_ptr<HomeInfoReturnMessage> HomeInfo::homeInfo() const
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), "RQHomePage", MessageExchange::body("<BODY><UserID>%@</UserID></BODY></MSG>", bid)),
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
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userName(), "RQCurLimit",
                               MessageExchange::body("<BODY><UserID>%@</UserID><Type>%@</Type></BODY></MSG>", bid, type)),
        &ParseXML::parseRQRQCurLimit);
}
