// The inner message writers: header and every body shape, byte for byte.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "protocol/Body.h"
#include "protocol/Head.h"

namespace {

const std::string kHeaderFormat =
    "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>%1</SNDR><RCVR>SYS</RCVR><SEQN>1</SEQN>"
    "<DTTM>2012-05-01 08:00:00</DTTM><TYPE>RQHomePage</TYPE></HEAD>";

std::string header(const std::string& sender)
{
    std::string h = kHeaderFormat;
    return h.replace(h.find("%1"), 2, sender);
}

TEST(Head, WritesEveryFieldInOrderWithBodyFollowingDirectly)
{
    auto head = Head::initWithSndr("u1", "SYS", "1", "2012-05-01 08:00:00", "RQHomePage");
    auto body = Body::init();
    body->setUserId("42");
    std::string message = head->toString().str() + body->UserIdToString().str();
    EXPECT_EQ(message, header("u1") + "<BODY><UserID>42</UserID></BODY></MSG>");
}

TEST(Head, NilSenderIsWrittenAsNullAndMarkupIsEscaped)
{
    EXPECT_EQ(Head::initWithSndr(nullptr, "SYS", "1", "2012-05-01 08:00:00", "RQHomePage")->toString().str(),
              header("(null)"));
    EXPECT_EQ(Head::initWithSndr("a<b&c>", "SYS", "1", "2012-05-01 08:00:00", "RQHomePage")->toString().str(),
              header("a&lt;b&amp;c&gt;"));
}

std::shared_ptr<Body> filledBody()
{
    auto b = Body::initWithDataDate_pageIndex_pageSige_allowed_urlType("2012-05-01", "1", "20", "2", "U");
    b->setGameType("G");
    b->setDataDays("7");
    b->setUserId("42");
    b->setTimePeriod("0101");
    b->setPassword("pw");
    b->setBID("B9");
    auto s = std::make_shared<ServiceSwitchReturnMessage>();
    s->setProtection("p");
    s->setUrlLimit("u");
    s->setGameLimit("g");
    s->setCares("c");
    s->setScreenShot("s");
    b->setServiceSwitchReturnMessage(s);
    return b;
}

struct Shape {
    const char* name;
    NSString (Body::*write)() const;
    const char* expected;
};

void PrintTo(const Shape& s, std::ostream* os) { *os << s.name; }

class BodyShape : public testing::TestWithParam<Shape> {};

TEST_P(BodyShape, WritesTheShapeFromTheFilledFields)
{
    auto body = filledBody();
    EXPECT_EQ((body.get()->*GetParam().write)().str(), GetParam().expected);
}

const Shape kShapes[] = {
    {"general", &Body::generalToString,
     "<BODY><DataDate>2012-05-01</DataDate><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>"},
    {"urlType", &Body::urlTypeToString,
     "<BODY><DataDate>2012-05-01</DataDate><UrlType>U</UrlType><PageIndex>1</PageIndex><PageSize>20</PageSize>"
     "</BODY></MSG>"},
    {"gameType", &Body::gameTypeToString,
     "<BODY><DataDate>2012-05-01</DataDate><GameType>G</GameType><PageIndex>1</PageIndex><PageSize>20</PageSize>"
     "</BODY></MSG>"},
    {"urlByType", &Body::urlByTypeToString,
     "<BODY><DataDate>2012-05-01</DataDate><UrlType>U</UrlType><Allowed>2</Allowed><PageIndex>1</PageIndex>"
     "<PageSize>20</PageSize></BODY></MSG>"},
    {"gameByType", &Body::gameByTypeToString,
     "<BODY><DataDate>2012-05-01</DataDate><GameType>G</GameType><Allowed>2</Allowed><PageIndex>1</PageIndex>"
     "<PageSize>20</PageSize></BODY></MSG>"},
    {"record", &Body::recordToString,
     "<BODY><BID>B9</BID><DataDate>2012-05-01</DataDate><Allowed>2</Allowed><PageIndex>1</PageIndex>"
     "<PageSize>20</PageSize></BODY></MSG>"},
    {"RQUrlAllow", &Body::RQUrlAllowToString, "<BODY><DataDays>7</DataDays></BODY></MSG>"},
    {"RQGameAllow", &Body::RQGameAllowToString, "<BODY><DataDays>7</DataDays></BODY></MSG>"},
    {"RQUrlRuleSelf", &Body::RQUrlRuleSelfToString, "<BODY><UserID>42</UserID><UrlType>U</UrlType></BODY></MSG>"},
    {"password", &Body::passwordToString, "<BODY><UserID>42</UserID><Password>pw</Password></BODY></MSG>"},
    {"UserId", &Body::UserIdToString, "<BODY><UserID>42</UserID></BODY></MSG>"},
    {"RQUserInfo", &Body::RQUserInfoToString, "<BODY><UserID>42</UserID></BODY></MSG>"},
    {"RQBuyService", &Body::RQBuyServiceToString, "<BODY><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>"},
    {"page", &Body::pageToString, "<BODY><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>"},
    {"RQGameRuleSelf", &Body::RQGameRuleSelfToString,
     "<BODY><GameType>G</GameType><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>"},
    {"UDUrlPeriod", &Body::UDUrlPeriodToString, "<BODY><UrlPeriod>0101</UrlPeriod></BODY></MSG>"},
    {"UDGamePeriod", &Body::UDGamePeriodToString, "<BODY><GamePeriod>0101</GamePeriod></BODY></MSG>"},
    {"UDServiceSwitch", &Body::UDServiceSwitchToString,
     "<BODY><Protection>p</Protection><UrlLimit>u</UrlLimit><GameLimit>g</GameLimit><Caress>c</Caress>"
     "<ScreenShot>s</ScreenShot></BODY></MSG>"},
    {"byUrlType", &Body::byUrlType,
     "<DataDate>2012-05-01</DataDate><UrlType>U</UrlType><PageIndex>1</PageIndex><PageSize>20</PageSize>"},
    {"byGameType", &Body::byGameType,
     "<DataDate>2012-05-01</DataDate><GameType>G</GameType><PageIndex>1</PageIndex><PageSize>20</PageSize>"},
    {"emptyUrlList", &Body::ADUrlRuleSelfToString, "<BODY></BODY></MSG>"},
    {"emptyGameAddList", &Body::ADGameRuleSelfToString, "<BODY></BODY></MSG>"},
    {"emptyGameDeleteList", &Body::DLGameRuleSelfToString, "<BODY></BODY></MSG>"},
    {"emptyBuyList", &Body::ADBuyServiceToString, "<BODY></BODY></MSG>"},
};

INSTANTIATE_TEST_SUITE_P(Shapes, BodyShape, testing::ValuesIn(kShapes),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Body, UnsetFieldsAreWrittenAsNull)
{
    auto body = Body::init();
    EXPECT_EQ(body->generalToString().str(),
              "<BODY><DataDate>(null)</DataDate><PageIndex>(null)</PageIndex><PageSize>(null)</PageSize></BODY></MSG>");
    EXPECT_EQ(body->UDServiceSwitchToString().str(),
              "<BODY><Protection>(null)</Protection><UrlLimit>(null)</UrlLimit><GameLimit>(null)</GameLimit>"
              "<Caress>(null)</Caress><ScreenShot>(null)</ScreenShot></BODY></MSG>");
}

TEST(Body, PlainInitialiserSetsDatePageAndSize)
{
    auto body = Body::initWithDataDate("d", "i", "s");
    EXPECT_EQ(body->dataDate(), "d");
    EXPECT_EQ(body->pageIndex(), "i");
    EXPECT_EQ(body->pageSize(), "s");
    EXPECT_TRUE(body->allowed().isNil());
    auto game = Body::initWithDataDate_pageIndex_pageSige_allowed_gameType("d", "i", "s", "a", "g");
    EXPECT_EQ(game->allowed(), "a");
    EXPECT_EQ(game->gameType(), "g");
    EXPECT_TRUE(game->urlType().isNil());
}

TEST(Body, ListShapesWriteOneEntryPerItemInOrder)
{
    auto body = Body::init();
    body->setADUrlRuleSelfList({"a.com", "b.com?x=1&y=<2>"});
    EXPECT_EQ(body->ADUrlRuleSelfToString().str(),
              "<BODY><List><UrlBlack>a.com</UrlBlack></List><List><UrlBlack>b.com?x=1&amp;y=&lt;2&gt;</UrlBlack></List>"
              "</BODY></MSG>");

    auto game = std::make_shared<UserGameRuleMessage>();
    game->setGameName("g");
    game->setProcName("g.exe");
    game->setAuthor("a");
    game->setUpdateTime("t");
    body->setADGameRuleSelfList({game, nullptr});
    body->setDLGameRuleSelfList({game});
    EXPECT_EQ(body->ADGameRuleSelfToString().str(),
              "<BODY><List><GameName>g</GameName><ProcName>g.exe</ProcName><Author>a</Author>"
              "<UpdateTime>t</UpdateTime></List><List><GameName>(null)</GameName><ProcName>(null)</ProcName>"
              "<Author>(null)</Author><UpdateTime>(null)</UpdateTime></List></BODY></MSG>");
    EXPECT_EQ(body->DLGameRuleSelfToString().str(),
              "<BODY><List><GameName>g</GameName><ProcName>g.exe</ProcName><Author>a</Author></List></BODY></MSG>");

    body->setADBuyServiceList({BuyServiceMessage::initWithSrvItem("S1", "3", "30", "2012-05-01", "10.0.0.1")});
    EXPECT_EQ(body->ADBuyServiceToString().str(),
              "<BODY><List><SrvItem>S1</SrvItem><DataTime>2012-05-01</DataTime><Months>3</Months><Money>30</Money>"
              "<IP>10.0.0.1</IP></List></BODY></MSG>");
}

TEST(Body, NonAsciiValuesPassUnchanged)
{
    auto body = Body::init();
    body->setUserId("家长\"'");
    EXPECT_EQ(body->UserIdToString().str(), "<BODY><UserID>家长\"'</UserID></BODY></MSG>");
}

}  // namespace
