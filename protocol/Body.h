#pragma once
// The body writer: the common request fields and one method per body shape.
// Every shape method returns the BODY element followed by the closing MSG tag,
// except the two fragments byUrlType and byGameType.

#include <memory>
#include <vector>

#include "platform/foundation/NSString.h"
#include "protocol/BuyServiceMessage.h"
#include "protocol/Property.h"
#include "protocol/ServiceSwitchReturnMessage.h"
#include "protocol/UserGameRuleMessage.h"

class Body : public NSObject {
public:
    static std::shared_ptr<Body> init() { return std::make_shared<Body>(); }
    static std::shared_ptr<Body> initWithDataDate(NSString dataDate, NSString pageIndex, NSString pageSize);
    static std::shared_ptr<Body> initWithDataDate_pageIndex_pageSige_allowed_urlType(
        NSString dataDate, NSString pageIndex, NSString pageSize, NSString allowed, NSString urlType);
    static std::shared_ptr<Body> initWithDataDate_pageIndex_pageSige_allowed_gameType(
        NSString dataDate, NSString pageIndex, NSString pageSize, NSString allowed, NSString gameType);

    NSString generalToString() const;
    NSString urlTypeToString() const;
    NSString gameTypeToString() const;
    NSString urlByTypeToString() const;
    NSString gameByTypeToString() const;
    NSString recordToString() const;
    NSString RQUrlAllowToString() const;
    NSString RQGameAllowToString() const;
    NSString RQUrlRuleSelfToString() const;
    NSString passwordToString() const;
    NSString UserIdToString() const;
    NSString RQUserInfoToString() const;
    NSString RQBuyServiceToString() const;
    NSString pageToString() const;
    NSString RQGameRuleSelfToString() const;
    NSString UDUrlPeriodToString() const;
    NSString UDGamePeriodToString() const;
    NSString UDServiceSwitchToString() const;

    NSString ADUrlRuleSelfToString() const;
    NSString ADGameRuleSelfToString() const;
    NSString DLGameRuleSelfToString() const;
    NSString ADBuyServiceToString() const;

    NSString byUrlType() const;
    NSString byGameType() const;

    NX_PROPERTY(NSString, dataDate, setDataDate);
    NX_PROPERTY(NSString, pageIndex, setPageIndex);
    NX_PROPERTY(NSString, pageSize, setPageSize);
    NX_PROPERTY(NSString, dataDays, setDataDays);
    NX_PROPERTY(NSString, userId, setUserId);
    NX_PROPERTY(std::vector<NSString>, ADUrlRuleSelfList, setADUrlRuleSelfList);
    NX_PROPERTY(std::vector<std::shared_ptr<UserGameRuleMessage>>, ADGameRuleSelfList, setADGameRuleSelfList);
    NX_PROPERTY(std::vector<std::shared_ptr<UserGameRuleMessage>>, DLGameRuleSelfList, setDLGameRuleSelfList);
    NX_PROPERTY(NSString, timePeriod, setTimePeriod);
    NX_PROPERTY(std::vector<std::shared_ptr<BuyServiceMessage>>, ADBuyServiceList, setADBuyServiceList);
    NX_PROPERTY(std::shared_ptr<ServiceSwitchReturnMessage>, serviceSwitchReturnMessage, setServiceSwitchReturnMessage);
    NX_PROPERTY(NSString, urlType, setUrlType);
    NX_PROPERTY(NSString, gameType, setGameType);
    NX_PROPERTY(NSString, password, setPassword);
    NX_PROPERTY(NSString, allowed, setAllowed);
    NX_PROPERTY(NSString, BID, setBID);
};
