#include "protocol/TimeInfo.h"

#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

namespace {

std::shared_ptr<MessageInfo> timedLock(const char* type, const NSString& dueTime)
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), type,
                               MessageExchange::body("<BODY><BID>%@</BID><STTM>%@</STTM><Type>0</Type></BODY></MSG>", bid, dueTime)),
        &ParseXML::parsecutQuick);
}

std::shared_ptr<MessageInfo> command(const char* type, const NSString& body)
{
    return MessageExchange::parsed(MessageExchange::send(Constant::userID(), type, body), &ParseXML::parsecutQuick);
}

}  // namespace

std::shared_ptr<TimeInfo> TimeInfo::shareTimeInfo()
{
    static const std::shared_ptr<TimeInfo> shared = init();
    return shared;
}

std::shared_ptr<MessageInfo> TimeInfo::setTimeLen(const NSString& dueTime) const { return timedLock("ADCmd", dueTime); }

std::shared_ptr<MessageInfo> TimeInfo::delTimeLen(const NSString& dueTime) const { return timedLock("DLCmd", dueTime); }

std::shared_ptr<TiemPeriodVo> TimeInfo::RQTimePeriodList() const
{
    NSString bid = MessageExchange::deviceId();
    return MessageExchange::parsed(
        MessageExchange::send(Constant::userID(), "RQPeriod", MessageExchange::body("<BODY><BID>%@</BID></BODY></MSG>", bid)),
        &ParseXML::parseTimePeriodList);
}

std::shared_ptr<MessageInfo> TimeInfo::ADTimePeriod(const NSString& body) const { return command("ADPeriod", body); }

std::shared_ptr<MessageInfo> TimeInfo::DELTimePeriodList(const NSString& body) const { return command("DLPeriod", body); }
