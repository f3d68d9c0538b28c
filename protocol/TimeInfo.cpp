#include "protocol/TimeInfo.h"

#include "protocol/CatalogueRequest.h"
#include "protocol/Constant.h"
#include "protocol/XMLEscape.h"

namespace {

std::shared_ptr<MessageInfo> timedLock(const char* type, const NSString& dueTime)
{
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userID(), type,
                               XMLFormat("<BODY><BID>%@</BID><STTM>%@</STTM><Type>0</Type></BODY></MSG>", bid, dueTime),
                               {bid}),
        &ParseXML::parsecutQuick);
}

std::shared_ptr<MessageInfo> command(const char* type, const NSString& body)
{
    return CatalogueRequest::parsed(CatalogueRequest::send(Constant::userID(), type, body), &ParseXML::parsecutQuick);
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
    NSString bid = CatalogueRequest::deviceId();
    return CatalogueRequest::parsed(
        CatalogueRequest::send(Constant::userID(), "RQPeriod", XMLFormat("<BODY><BID>%@</BID></BODY></MSG>", bid), {bid}),
        &ParseXML::parseTimePeriodList);
}

std::shared_ptr<MessageInfo> TimeInfo::ADTimePeriod(const NSString& body) const { return command("ADPeriod", body); }

std::shared_ptr<MessageInfo> TimeInfo::DELTimePeriodList(const NSString& body) const { return command("DLPeriod", body); }
