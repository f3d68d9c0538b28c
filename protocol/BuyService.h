#pragma once
// The service packages: the purchase history, the packages that can be
// bought, those the account holds, and a purchase.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/Body.h"
#include "protocol/BuyServiceMessage.h"
#include "protocol/Property.h"

class BuyServiceReturnMessage : public NSObject {
    NX_PROPERTY(NSString, totalRecord, setTotalRecord);
    NX_PROPERTY(std::vector<std::shared_ptr<BuyServiceMessage>>, list, setList);
    NX_PROPERTY(NSString, code, setCode);
    NX_PROPERTY(NSString, desc, setDesc);
};

// Every request goes out from the login name and blocks its thread for one
// exchange; nil when nothing came back or nothing could be sent, unless said
// otherwise.
class BuyService : public NSObject {
public:
    static std::shared_ptr<BuyService> init() { return std::make_shared<BuyService>(); }

    // "RQBuyService": the page of the purchase history that the body's
    // pageIndex and pageSize give.
    std::shared_ptr<BuyServiceReturnMessage> RQBuyService(const std::shared_ptr<Body>& body) const;
    // "RQCanBuyService": the packages that can be bought.
    std::shared_ptr<BuyServiceReturnMessage> RQCanBuyService() const;
    // "RQHaveBuyService": the packages the account holds; an empty record
    // when nothing came back.
    std::shared_ptr<BuyServiceReturnMessage> RQHaveBuyService() const;
    // "ADBuyService": one purchase; code and desc.
    std::shared_ptr<BuyServiceReturnMessage> ADBuyService(const std::shared_ptr<BuyServiceMessage>& purchase) const;
};
