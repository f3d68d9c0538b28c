#pragma once
// How a day's use of the supervised PC divides over categories (web sites and
// programs), and the operation log.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/AnalysisReturnMessage.h"
#include "protocol/Body.h"
#include "protocol/Property.h"

// One entry of the operation log: when, what, from which address.
class OpRecordMessage : public NSObject {
    NX_PROPERTY(NSString, opTime, setOpTime);
    NX_PROPERTY(NSString, opContent, setOpContent);
    NX_PROPERTY(NSString, opIp, setOpIp);
};

class OpRecordReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<OpRecordMessage>>, list, setList);
};

// The statistics, sent for the login name. The rows are AnalysisMessage items.
class Analysis : public NSObject {
public:
    static std::shared_ptr<Analysis> init() { return std::make_shared<Analysis>(); }

    // The categories of the Body's day and page; without a Body, of the present
    // moment, page 1 of 20. nil when the exchange failed or no device is stored.
    std::shared_ptr<AnalysisReturnMessage> RQUrlTypeBrowse(const std::shared_ptr<Body>& body) const;
    std::shared_ptr<AnalysisReturnMessage> RQGameTypeBrowse(const std::shared_ptr<Body>& body) const;
    // The Body's day and page without a device; the type is not sent. An empty
    // record when the exchange failed.
    std::shared_ptr<AnalysisReturnMessage> RQUrlTypeBrowseByType(const id& type, const std::shared_ptr<Body>& body) const;
    std::shared_ptr<AnalysisReturnMessage> RQGameTypeBrowseByType(const id& type, const std::shared_ptr<Body>& body) const;
    // The program categories of a fixed sample day ("2011-02-18", page 1 of 20);
    // an empty record when the exchange failed.
    std::shared_ptr<AnalysisReturnMessage> RQGameTypeBrowse() const;
};

// The operation log page of the Body's day; nil when the exchange failed.
class OpRecord : public NSObject {
public:
    static std::shared_ptr<OpRecord> init() { return std::make_shared<OpRecord>(); }
    std::shared_ptr<OpRecordReturnMessage> RQOpRecord(const std::shared_ptr<Body>& body) const;
};

// The operation log again, as an empty record when the exchange failed.
class Record : public NSObject {
public:
    static std::shared_ptr<Record> init() { return std::make_shared<Record>(); }
    std::shared_ptr<OpRecordReturnMessage> RQUrlAccess(const std::shared_ptr<Body>& body) const;
};
