#pragma once
// One service purchase or held package.

#include <memory>

#include "platform/foundation/NSString.h"
#include "protocol/Property.h"

class BuyServiceMessage : public NSObject {
public:
    static std::shared_ptr<BuyServiceMessage> initWithSrvItem(NSString srvItem, NSString months, NSString money,
                                                              NSString dataTime, NSString ip)
    {
        auto m = std::make_shared<BuyServiceMessage>();
        m->setSrvItem(std::move(srvItem));
        m->setMonths(std::move(months));
        m->setMoney(std::move(money));
        m->setDataTime(std::move(dataTime));
        m->setIp(std::move(ip));
        return m;
    }

    NX_PROPERTY(NSString, srvItem, setSrvItem);
    NX_PROPERTY(NSString, months, setMonths);
    NX_PROPERTY(NSString, money, setMoney);
    NX_PROPERTY(NSString, dataTime, setDataTime);
    NX_PROPERTY(NSString, ip, setIp);
    NX_PROPERTY(NSString, srvDesc, setSrvDesc);
    NX_PROPERTY(NSString, price, setPrice);
    NX_PROPERTY(NSString, price1, setPrice1);
};
