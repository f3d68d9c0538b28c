#include "protocol/Body.h"

#include "protocol/XMLEscape.h"

namespace {

// "<BODY>", one entry per list item, "</BODY></MSG>". A missing record writes
// every value as nil, as a message to nil would.
template <class Item, class WriteEntry>
NSString listBody(const std::vector<Item>& list, WriteEntry writeEntry)
{
    std::string out = "<BODY>";
    for (const Item& item : list) out += writeEntry(item).str();
    out += "</BODY></MSG>";
    return NSString(std::move(out));
}

template <class Record, class Getter>
NSString field(const std::shared_ptr<Record>& record, Getter getter)
{
    return record ? ((*record).*getter)() : NSString();
}

}  // namespace

std::shared_ptr<Body> Body::initWithDataDate(NSString dataDate, NSString pageIndex, NSString pageSize)
{
    auto body = init();
    body->setDataDate(std::move(dataDate));
    body->setPageIndex(std::move(pageIndex));
    body->setPageSize(std::move(pageSize));
    return body;
}

std::shared_ptr<Body> Body::initWithDataDate_pageIndex_pageSige_allowed_urlType(
    NSString dataDate, NSString pageIndex, NSString pageSize, NSString allowed, NSString urlType)
{
    auto body = initWithDataDate(std::move(dataDate), std::move(pageIndex), std::move(pageSize));
    body->setAllowed(std::move(allowed));
    body->setUrlType(std::move(urlType));
    return body;
}

std::shared_ptr<Body> Body::initWithDataDate_pageIndex_pageSige_allowed_gameType(
    NSString dataDate, NSString pageIndex, NSString pageSize, NSString allowed, NSString gameType)
{
    auto body = initWithDataDate(std::move(dataDate), std::move(pageIndex), std::move(pageSize));
    body->setAllowed(std::move(allowed));
    body->setGameType(std::move(gameType));
    return body;
}

NSString Body::generalToString() const
{
    return XMLFormat("<BODY><DataDate>%@</DataDate><PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>",
                     dataDate(), pageIndex(), pageSize());
}

NSString Body::urlTypeToString() const
{
    return NSString("<BODY>").stringByAppendingString(byUrlType()).stringByAppendingString("</BODY></MSG>");
}

NSString Body::gameTypeToString() const
{
    return NSString("<BODY>").stringByAppendingString(byGameType()).stringByAppendingString("</BODY></MSG>");
}

NSString Body::urlByTypeToString() const
{
    return XMLFormat("<BODY><DataDate>%@</DataDate><UrlType>%@</UrlType><Allowed>%@</Allowed>"
                     "<PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>",
                     dataDate(), urlType(), allowed(), pageIndex(), pageSize());
}

NSString Body::gameByTypeToString() const
{
    return XMLFormat("<BODY><DataDate>%@</DataDate><GameType>%@</GameType><Allowed>%@</Allowed>"
                     "<PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>",
                     dataDate(), gameType(), allowed(), pageIndex(), pageSize());
}

NSString Body::recordToString() const
{
    return XMLFormat("<BODY><BID>%@</BID><DataDate>%@</DataDate><Allowed>%@</Allowed>"
                     "<PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>",
                     BID(), dataDate(), allowed(), pageIndex(), pageSize());
}

NSString Body::RQUrlAllowToString() const
{
    return XMLFormat("<BODY><DataDays>%@</DataDays></BODY></MSG>", dataDays());
}

NSString Body::RQGameAllowToString() const { return RQUrlAllowToString(); }

NSString Body::RQUrlRuleSelfToString() const
{
    return XMLFormat("<BODY><UserID>%@</UserID><UrlType>%@</UrlType></BODY></MSG>", userId(), urlType());
}

NSString Body::passwordToString() const
{
    return XMLFormat("<BODY><UserID>%@</UserID><Password>%@</Password></BODY></MSG>", userId(), password());
}

NSString Body::UserIdToString() const { return XMLFormat("<BODY><UserID>%@</UserID></BODY></MSG>", userId()); }

NSString Body::RQUserInfoToString() const { return UserIdToString(); }

NSString Body::RQBuyServiceToString() const
{
    return XMLFormat("<BODY><PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>", pageIndex(), pageSize());
}

NSString Body::pageToString() const { return RQBuyServiceToString(); }

NSString Body::RQGameRuleSelfToString() const
{
    return XMLFormat("<BODY><GameType>%@</GameType><PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>",
                     gameType(), pageIndex(), pageSize());
}

NSString Body::UDUrlPeriodToString() const
{
    return XMLFormat("<BODY><UrlPeriod>%@</UrlPeriod></BODY></MSG>", timePeriod());
}

NSString Body::UDGamePeriodToString() const
{
    return XMLFormat("<BODY><GamePeriod>%@</GamePeriod></BODY></MSG>", timePeriod());
}

NSString Body::UDServiceSwitchToString() const
{
    const auto& s = serviceSwitchReturnMessage();
    using S = ServiceSwitchReturnMessage;
    return XMLFormat("<BODY><Protection>%@</Protection><UrlLimit>%@</UrlLimit><GameLimit>%@</GameLimit>"
                     "<Caress>%@</Caress><ScreenShot>%@</ScreenShot></BODY></MSG>",
                     field(s, &S::protection), field(s, &S::urlLimit), field(s, &S::gameLimit), field(s, &S::cares),
                     field(s, &S::screenShot));
}

NSString Body::ADUrlRuleSelfToString() const
{
    return listBody(ADUrlRuleSelfList(),
                    [](const NSString& url) { return XMLFormat("<List><UrlBlack>%@</UrlBlack></List>", url); });
}

NSString Body::ADGameRuleSelfToString() const
{
    using G = UserGameRuleMessage;
    return listBody(ADGameRuleSelfList(), [](const std::shared_ptr<G>& g) {
        return XMLFormat("<List><GameName>%@</GameName><ProcName>%@</ProcName><Author>%@</Author>"
                         "<UpdateTime>%@</UpdateTime></List>",
                         field(g, &G::gameName), field(g, &G::procName), field(g, &G::author), field(g, &G::updateTime));
    });
}

NSString Body::DLGameRuleSelfToString() const
{
    using G = UserGameRuleMessage;
    return listBody(DLGameRuleSelfList(), [](const std::shared_ptr<G>& g) {
        return XMLFormat("<List><GameName>%@</GameName><ProcName>%@</ProcName><Author>%@</Author></List>",
                         field(g, &G::gameName), field(g, &G::procName), field(g, &G::author));
    });
}

NSString Body::ADBuyServiceToString() const
{
    using B = BuyServiceMessage;
    return listBody(ADBuyServiceList(), [](const std::shared_ptr<B>& b) {
        return XMLFormat("<List><SrvItem>%@</SrvItem><DataTime>%@</DataTime><Months>%@</Months><Money>%@</Money>"
                         "<IP>%@</IP></List>",
                         field(b, &B::srvItem), field(b, &B::dataTime), field(b, &B::months), field(b, &B::money),
                         field(b, &B::ip));
    });
}

NSString Body::byUrlType() const
{
    return XMLFormat("<DataDate>%@</DataDate><UrlType>%@</UrlType><PageIndex>%@</PageIndex><PageSize>%@</PageSize>",
                     dataDate(), urlType(), pageIndex(), pageSize());
}

NSString Body::byGameType() const
{
    return XMLFormat("<DataDate>%@</DataDate><GameType>%@</GameType><PageIndex>%@</PageIndex><PageSize>%@</PageSize>",
                     dataDate(), gameType(), pageIndex(), pageSize());
}
