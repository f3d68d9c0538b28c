#include "protocol/Analysis.h"

#include "protocol/MessageExchange.h"
#include "protocol/Constant.h"

namespace {

std::shared_ptr<AnalysisReturnMessage> categories(const char* type, const std::shared_ptr<Body>& body)
{
    NSString bid = MessageExchange::deviceId();
    NSString text = body ? MessageExchange::body("<BODY><BID>%@</BID><DataDate>%@</DataDate><PageIndex>%@</PageIndex>"
                                     "<PageSize>%@</PageSize></BODY></MSG>",
                                     bid, body->dataDate(), body->pageIndex(), body->pageSize())
                         : MessageExchange::body("<BODY><BID>%@</BID><DataDate>%@</DataDate><PageIndex>1</PageIndex>"
                                     "<PageSize>20</PageSize></BODY></MSG>",
                                     bid, Constant::currentTime());
    return MessageExchange::parsed(MessageExchange::send(Constant::userName(), type, text),
                                    &ParseXML::parseRQUrlTypeBrowse);
}

std::shared_ptr<AnalysisReturnMessage> categoriesWithoutDevice(const char* type, const std::shared_ptr<Body>& body)
{
    return ParseXML::init()->parseRQUrlTypeBrowse(
        MessageExchange::send(Constant::userName(), type, body ? body->generalToString() : NSString()));
}

NSString opRecordReply(const std::shared_ptr<Body>& body)
{
    return MessageExchange::send(Constant::userID(), "RQOpRecord", body ? body->generalToString() : NSString());
}

}  // namespace

std::shared_ptr<AnalysisReturnMessage> Analysis::RQUrlTypeBrowse(const std::shared_ptr<Body>& body) const
{
    return categories("RQUrlTypeBrowse", body);
}

std::shared_ptr<AnalysisReturnMessage> Analysis::RQGameTypeBrowse(const std::shared_ptr<Body>& body) const
{
    return categories("RQGameTypeBrowse", body);
}

std::shared_ptr<AnalysisReturnMessage> Analysis::RQUrlTypeBrowseByType(const id&, const std::shared_ptr<Body>& body) const
{
    return categoriesWithoutDevice("RQUrlTypeBrowseByType", body);
}

std::shared_ptr<AnalysisReturnMessage> Analysis::RQGameTypeBrowseByType(const id&, const std::shared_ptr<Body>& body) const
{
    return categoriesWithoutDevice("RQGameTypeBrowseByType", body);
}

std::shared_ptr<AnalysisReturnMessage> Analysis::RQGameTypeBrowse() const
{
    return categoriesWithoutDevice("RQGameTypeBrowse", Body::initWithDataDate("2011-02-18", "1", "20"));
}

std::shared_ptr<OpRecordReturnMessage> OpRecord::RQOpRecord(const std::shared_ptr<Body>& body) const
{
    return MessageExchange::parsed(opRecordReply(body), &ParseXML::parseRQOpRecord);
}

std::shared_ptr<OpRecordReturnMessage> Record::RQUrlAccess(const std::shared_ptr<Body>& body) const
{
    return ParseXML::init()->parseRQOpRecord(opRecordReply(body));
}
