// The PC screens' request catalogue against the in-process service double:
// the inner message each request writes, the records built from scripted
// replies, and what a failed exchange, a reply without BODY and an absent
// stored identifier give.

#include <algorithm>
#include <atomic>
#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "protocol/Analysis.h"
#include "protocol/Category.h"
#include "protocol/GetCapture.h"
#include "protocol/HomeInfo.h"
#include "protocol/Internet.h"
#include "protocol/ProtectSetting.h"
#include "protocol/TimeInfo.h"
#include "protocol/TimeSetting.h"
#include "protocol/UserRule.h"
#include "tests/protocol/ServiceFixture.h"
#include "http/NXHTTPRequest.h"
#include "platform/cfnetwork/NSURL.h"
#include "tools/service-double/CaptureImages.h"
#include "tools/service-double/DemoAccount.h"
#include "tools/service-double/TimeRules.h"
#include "tools/testserver/TestServer.h"

using servicedouble::Fault;

namespace {

constexpr const char* kUserName = "13800138000";  // what ServiceFixture stores
constexpr const char* kUserID = "1001";
constexpr const char* kDevice = "PC-HOME-01";

class PCCatalogueTest : public ServiceFixture {
protected:
    void SetUp() override
    {
        ServiceFixture::SetUp();
        NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString(kDevice)), "DeviceId");
    }

    // The body of the one exchange, every time stamp written as {NOW}.
    static std::string bodyOf(const servicedouble::Exchange& e)
    {
        static const std::regex stamp(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
        size_t at = e.message.find("<BODY>");
        return at == std::string::npos ? e.message : std::regex_replace(e.message.substr(at), stamp, "{NOW}");
    }

    static std::string headOf(const std::string& sender, const std::string& type)
    {
        return "<?xml version='1.0' encoding='utf-8' ?><MSG><HEAD><SNDR>" + sender +
               "</SNDR><RCVR>SYS</RCVR><SEQN>1</SEQN><DTTM>{NOW}</DTTM><TYPE>" + type + "</TYPE></HEAD>";
    }

    static void pump(const std::function<bool()>& done) { EXPECT_TRUE(NSRunLoop::mainRunLoop()->runUntil(done, 10)); }
};

std::shared_ptr<Body> dayBody(const char* day, const char* page) { return Body::initWithDataDate(day, page, "20"); }

std::shared_ptr<UserGameRuleMessage> program(const char* name)
{
    auto rule = std::make_shared<UserGameRuleMessage>();
    rule->setGameName(name);
    rule->setProcName("chess.exe");
    rule->setAuthor("Board & Co");
    rule->setUpdateTime("2012-05-01 08:00:00");
    return rule;
}

// Delegates that count their calls and keep the last result.
template <class Result>
struct Recorder {
    std::atomic<int> calls{0};
    std::shared_ptr<Result> last;
    void record(std::shared_ptr<Result> r)
    {
        last = std::move(r);
        ++calls;
    }
};
struct CaptureList : GetCaptureDelegate, Recorder<CaptureReturnMessage> {
    void didFinishRequest(std::shared_ptr<CaptureReturnMessage> r) override { record(std::move(r)); }
};
struct WeekGrid : TimeSettingDelegate, Recorder<TimeSettingReturnMessage> {
    void loadDataFinished(std::shared_ptr<TimeSettingReturnMessage> r) override { record(std::move(r)); }
};
struct SiteRules : UserUrlRuleDelegate, Recorder<UserUrlRuleReturnMessage> {
    void downloadFinished(std::shared_ptr<UserUrlRuleReturnMessage> r) override { record(std::move(r)); }
};
struct ProgramRules : UserGameRuleDelegate, Recorder<UserGameRuleReturnMessage> {
    void downloadFinished(std::shared_ptr<UserGameRuleReturnMessage> r) override { record(std::move(r)); }
};

// ---------------------------------------------------------------------------
// The inner message of every request: header (sender, TYPE exactly as sent)
// and body.

struct MessageCase {
    const char* name;
    const char* sender;
    const char* type;
    std::string body;
    std::function<void()> send;
};

TEST_F(PCCatalogueTest, EveryRequestWritesItsMessage)
{
    auto siteRules = std::make_shared<SiteRules>();
    auto switches = std::make_shared<ServiceSwitchReturnMessage>();
    switches->setProtection("1");
    switches->setUrlLimit("0");
    switches->setGameLimit("1");
    switches->setCares("1");
    switches->setScreenShot("0");
    switches->setCaressEnabled("1");
    const std::string access = "<BODY><BID>PC-HOME-01</BID><DataDate>2012-05-01</DataDate><Allowed>2</Allowed>"
                               "<PageIndex>3</PageIndex><PageSize>20</PageSize></BODY></MSG>";
    const std::string general =
        "<BODY><DataDate>2012-05-01</DataDate><PageIndex>2</PageIndex><PageSize>20</PageSize></BODY></MSG>";
    const std::string byDay = "<BODY><BID>PC-HOME-01</BID><DataDate>2012-05-01</DataDate><Allowed>1</Allowed>"
                              "<PageIndex>PAGE</PageIndex><PageSize>20</PageSize></BODY></MSG>";
    auto page = [&](const char* n) { return std::regex_replace(byDay, std::regex("PAGE"), n); };
    const std::string given = "<BODY><BID>PC-HOME-01</BID><TimeType>2</TimeType></BODY></MSG>";

    const std::vector<MessageCase> cases = {
        // Home page and commands.
        {"homeInfo", kUserID, "RQHomePage", "<BODY><UserID>PC-HOME-01</UserID></BODY></MSG>",
         [] { HomeInfo::init()->homeInfo(); }},
        {"lockQuick", kUserID, "ADCmd", "<BODY><BID>PC-HOME-01</BID><STTM>{NOW}</STTM><Type>0</Type></BODY></MSG>",
         [] { HomeInfo::init()->lockQuick(); }},
        {"cutQuick", kUserID, "ADCmd", "<BODY><BID>PC-HOME-01</BID><STTM>{NOW}</STTM><Type>1</Type></BODY></MSG>",
         [] { HomeInfo::init()->cutQuick(); }},
        {"cancelLockQuick", kUserID, "ADCmd",
         "<BODY><BID>PC-HOME-01</BID><STTM>{NOW}</STTM><Type>2</Type></BODY></MSG>",
         [] { HomeInfo::init()->cancelLockQuick(); }},
        {"cancelCutQuick", kUserID, "ADCmd", "<BODY><BID>PC-HOME-01</BID><STTM>{NOW}</STTM><Type>3</Type></BODY></MSG>",
         [] { HomeInfo::init()->cancelCutQuick(); }},
        {"homeCurlimit", kUserName, "RQCurLimit", "<BODY><UserID>PC-HOME-01</UserID><Type>2</Type></BODY></MSG>",
         [] { HomeInfo::init()->homeCurlimit("2"); }},
        // Records.
        {"RQUrlAccess", kUserID, "RQUrlAccess", access,
         [] {
             auto body = dayBody("2012-05-01", "3");
             body->setAllowed("9");  // overwritten
             body->setBID("other");
             Internet::init()->RQUrlAccess(body);
         }},
        {"RQGameAccess", kUserID, "RQGameAccess", access, [] { Game::init()->RQGameAccess(dayBody("2012-05-01", "3")); }},
        {"RQUrlBrowse", kUserID, "RQUrlBrowse", general, [] { Internet::init()->RQUrlBrowse(dayBody("2012-05-01", "2")); }},
        {"RQGameBrowse", kUserID, "RQGameBrowse", general, [] { Game::init()->RQGameBrowse(dayBody("2012-05-01", "2")); }},
        {"RQUrlAllow", kUserID, "RQUrlAllow", "<BODY><DataDays>30</DataDays></BODY></MSG>",
         [] { Internet::init()->RQUrlAllow(); }},
        {"RQGameAllow", kUserID, "RQGameAllow", "<BODY><DataDays>30</DataDays></BODY></MSG>",
         [] { Game::init()->RQGameAllow(); }},
        {"RQUrlBrowseByType", kUserID, "RQUrlAccess", page("1"), [] { Internet::init()->RQUrlBrowseByType("2012-05-01"); }},
        {"RQUrlBrowseByType page 3", kUserID, "RQUrlAccess", page("3"),
         [] { Internet::init()->RQUrlBrowseByType("2012-05-01", 3); }},
        {"RQGameBrowseByType page 2", kUserID, "RQGameAccess", page("2"),
         [] { Game::init()->RQGameBrowseByType("2012-05-01", 2); }},
        // Black-list rules.
        {"RQUrlType", kUserName, "RQUrlRuleSelf",
         "<BODY><UserID>PC-HOME-01</UserID><UrlType>ALL</UrlType></BODY></MSG>", [] { Category::init()->RQUrlType(4); }},
        {"RQGameType", kUserName, "RQGameRuleSelf",
         "<BODY><BID>PC-HOME-01</BID><GameType>ALL</GameType><PageIndex>2</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] { Category::init()->RQGameType(2); }},
        {"ADUrlType", kUserName, "ADUrlRuleSelf", "<BODY><BID>PC-HOME-01</BID><List><UrlBlack>a.example</UrlBlack></List></BODY></MSG>",
         [] {
             Category::init()->ADUrlType(
                 "<BODY><BID>PC-HOME-01</BID><List><UrlBlack>a.example</UrlBlack></List></BODY></MSG>");
         }},
        {"ADGameType", kUserName, "ADGameRuleSelf", "<BODY><BID>PC-HOME-01</BID></BODY></MSG>",
         [] { Category::init()->ADGameType("<BODY><BID>PC-HOME-01</BID></BODY></MSG>"); }},
        {"DLUrlByType", kUserID, "DLUrlRuleSelf", "<BODY><BID>PC-HOME-01</BID></BODY></MSG>",
         [] { Internet::init()->DLUrlByType("<BODY><BID>PC-HOME-01</BID></BODY></MSG>"); }},
        {"DLGameByType", kUserID, "DLGameRuleSelf", "<BODY><BID>PC-HOME-01</BID></BODY></MSG>",
         [] { Internet::init()->DLGameByType("<BODY><BID>PC-HOME-01</BID></BODY></MSG>"); }},
        {"RQUrlRuleSelf", kUserID, "RQUrlRuleSelf", "<BODY><UserID>1001</UserID><UrlType>Games</UrlType></BODY></MSG>",
         [&] {
             auto rules = UserUrlRule::init();
             rules->setDelegate(siteRules);
             rules->RQUrlRuleSelf("Games");
         }},
        {"ADUrlRuleSelf", kUserID, "ADUrlRuleSelf ",
         "<BODY><List><UrlBlack>a.example</UrlBlack></List><List><UrlBlack>b&amp;c.example</UrlBlack></List></BODY></MSG>",
         [] { UserUrlRule::init()->ADUrlRuleSelf({"a.example", "b&c.example"}); }},
        {"DLUrlRuleSelf", kUserID, "DLUrlRuleSelf", "<BODY><List><UrlBlack>a.example</UrlBlack></List></BODY></MSG>",
         [] { UserUrlRule::init()->DLUrlRuleSelf({"a.example"}); }},
        {"RQGameRuleSelf", kUserID, "RQGameRuleSelf",
         "<BODY><GameType>Chess</GameType><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] {
             auto body = Body::init();
             body->setGameType("Chess");
             body->setPageIndex("1");
             body->setPageSize("20");
             UserGameRule::init()->RQGameRuleSelf(body);
         }},
        {"ADGameRuleSelf", kUserID, "ADGameRuleSelf ",
         "<BODY><List><GameName>Chess</GameName><ProcName>chess.exe</ProcName><Author>Board &amp; Co</Author>"
         "<UpdateTime>{NOW}</UpdateTime></List></BODY></MSG>",
         [] { UserGameRule::init()->ADGameRuleSelf({program("Chess")}); }},
        {"DLGameRuleSelf", kUserID, "DLGameRuleSelf ", "<BODY></BODY></MSG>",
         [] { UserGameRule::init()->DLGameRuleSelf({}); }},
        // Statistics and the operation log.
        {"RQUrlTypeBrowse with a day", kUserName, "RQUrlTypeBrowse",
         "<BODY><BID>PC-HOME-01</BID><DataDate>2012-05-01</DataDate><PageIndex>2</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] { Analysis::init()->RQUrlTypeBrowse(dayBody("2012-05-01", "2")); }},
        {"RQGameTypeBrowse without a day", kUserName, "RQGameTypeBrowse",
         "<BODY><BID>PC-HOME-01</BID><DataDate>{NOW}</DataDate><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] { Analysis::init()->RQGameTypeBrowse(nullptr); }},
        {"RQUrlTypeBrowseByType", kUserName, "RQUrlTypeBrowseByType", general,
         [] { Analysis::init()->RQUrlTypeBrowseByType(nullptr, dayBody("2012-05-01", "2")); }},
        {"RQGameTypeBrowseByType", kUserName, "RQGameTypeBrowseByType", general,
         [] { Analysis::init()->RQGameTypeBrowseByType(nullptr, dayBody("2012-05-01", "2")); }},
        {"RQGameTypeBrowse sample day", kUserName, "RQGameTypeBrowse",
         "<BODY><DataDate>2011-02-18</DataDate><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] { Analysis::init()->RQGameTypeBrowse(); }},
        {"RQOpRecord", kUserID, "RQOpRecord", general, [] { OpRecord::init()->RQOpRecord(dayBody("2012-05-01", "2")); }},
        {"Record RQUrlAccess", kUserID, "RQOpRecord", general,
         [] { Record::init()->RQUrlAccess(dayBody("2012-05-01", "2")); }},
        // Captures.
        {"RQCapturePic", kUserID, "RQCapturePic",
         "<BODY><BID>PC-HOME-01</BID><DataDate>2012-05-01</DataDate><PageIndex>1</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] { GetCapture::init()->RQCapturePic("2012-05-01"); }},
        {"RQCapturePic page 2", kUserID, "RQCapturePic",
         "<BODY><BID>PC-HOME-01</BID><DataDate>2012-05-01</DataDate><PageIndex>2</PageIndex><PageSize>20</PageSize></BODY></MSG>",
         [] { GetCapture::init()->RQCapturePic("2012-05-01", 2); }},
        {"RQCapPicTime", kUserID, "RQCapPicTime", "<BODY><UserID>1001</UserID></BODY></MSG>",
         [] { GetCapture::init()->RQCapPicTime(); }},
        // Time periods and grids.
        {"setTimeLen", kUserID, "ADCmd",
         "<BODY><BID>PC-HOME-01</BID><STTM>2012-05-01 21:30</STTM><Type>0</Type></BODY></MSG>",
         [] { TimeInfo::shareTimeInfo()->setTimeLen("2012-05-01 21:30"); }},
        {"delTimeLen", kUserID, "DLCmd",
         "<BODY><BID>PC-HOME-01</BID><STTM>2012-05-01 21:30</STTM><Type>0</Type></BODY></MSG>",
         [] { TimeInfo::init()->delTimeLen("2012-05-01 21:30"); }},
        {"RQTimePeriodList", kUserID, "RQPeriod", "<BODY><BID>PC-HOME-01</BID></BODY></MSG>",
         [] { TimeInfo::init()->RQTimePeriodList(); }},
        {"ADTimePeriod", kUserID, "ADPeriod", given, [&] { TimeInfo::init()->ADTimePeriod(NSString(given)); }},
        {"DELTimePeriodList", kUserID, "DLPeriod", given, [&] { TimeInfo::init()->DELTimePeriodList(NSString(given)); }},
        {"RQUrlPeriod", kUserID, "RQUrlPeriod", "<BODY><UserID>1001</UserID></BODY></MSG>",
         [] { TimeSetting::init()->RQUrlPeriod(); }},
        {"RQGamePeriod", kUserID, "RQGamePeriod", "<BODY><UserID>PC-HOME-01</UserID></BODY></MSG>",
         [] { TimeSetting::init()->RQGamePeriod(); }},
        {"UDUrlPeriod", kUserID, "UDUrlPeriod", "<BODY><UrlPeriod>0000,1111</UrlPeriod></BODY></MSG>",
         [] { TimeSetting::init()->UDUrlPeriod("0000,1111"); }},
        {"UDGamePeriod", kUserID, "UDGamePeriod",
         "<BODY><BID>PC-HOME-01</BID><GamePeriod>0000,1111</GamePeriod></BODY></MSG>",
         [] { TimeSetting::init()->UDGamePeriod("0000,1111"); }},
        // Protect settings and service switches.
        {"RQTimeConfig", kUserID, "RQTimeConfig", "<BODY><BID>PC-HOME-01</BID></BODY></MSG>",
         [] { ProtectSetting::init()->RQTimeConfig(); }},
        {"UDTimeConfig", kUserID, "UDTimeConfig", given, [&] { ProtectSetting::init()->UDTimeConfig(NSString(given)); }},
        {"RQServiceSwitch", kUserID, "RQServiceSwitch", "<BODY><UserID>1001</UserID></BODY></MSG>",
         [] { ServiceSwitch::init()->RQServiceSwitch(); }},
        {"UDServiceSwitch", kUserID, "UDServiceSwitch",
         "<BODY><Protection>1</Protection><UrlLimit>0</UrlLimit><GameLimit>1</GameLimit><Caress>1</Caress>"
         "<ScreenShot>0</ScreenShot></BODY></MSG>",
         [&] { ServiceSwitch::init()->UDServiceSwitch(switches); }},
    };

    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        size_t before = service.exchanges().size();
        c.send();
        auto all = service.exchanges();
        ASSERT_EQ(all.size(), before + 1);
        const auto& e = all.back();
        std::string dated = std::regex_replace(e.message, std::regex(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)"), "{NOW}");
        EXPECT_EQ(dated.substr(0, dated.find("<BODY>")), headOf(c.sender, c.type));
        EXPECT_EQ(bodyOf(e), c.body);
        EXPECT_EQ(e.headerUserName, kUserID);
    }
    pump([&] { return siteRules->calls == 1; });
    NSRunLoop::mainRunLoop()->runUntil([] { return false; }, 0.05);  // the other hand-overs, to no delegate
}

// ---------------------------------------------------------------------------
// Records built from scripted replies.

TEST_F(PCCatalogueTest, HomePageFieldsAndCurrentLimits)
{
    service.reply("RQHomePage",
                  "<BootTime>08:01</BootTime><CloseTime>22:10</CloseTime><Flow>42</Flow><UsedTime>95</UsedTime>"
                  "<UsingUrl>www.example.edu</UsingUrl><UrlTime>16:05</UrlTime><UsingGame>Chess</UsingGame>"
                  "<GameTime>16:30</GameTime><BadUrls>1</BadUrls><LimitUrls>2</LimitUrls><LimitGames>0</LimitGames>"
                  "<IsOnline>1</IsOnline><NetworkStatus>3</NetworkStatus><ScreenStatus>2</ScreenStatus>"
                  "<Unlimited>0</Unlimited><Rank/><Info>fine &amp; well</Info><Service>A</Service>"
                  "<PicPath>/pic/full.png</PicPath><PicMiddle>/pic/mid.png</PicMiddle>");
    auto home = HomeInfo::init()->homeInfo();
    ASSERT_TRUE(home);
    const std::vector<std::pair<NSString, const char*>> fields = {
        {home->bootTime(), "08:01"},       {home->closeTime(), "22:10"},       {home->flow(), "42"},
        {home->usedTime(), "95"},          {home->usingUrl(), "www.example.edu"}, {home->urlTime(), "16:05"},
        {home->usingGame(), "Chess"},      {home->gameTime(), "16:30"},        {home->badUrls(), "1"},
        {home->limitUrls(), "2"},          {home->limitGames(), "0"},          {home->isOnline(), "1"},
        {home->networkStatus(), "3"},      {home->screenStatus(), "2"},        {home->unlimited(), "0"},
        {home->rank(), ""},                {home->info(), "fine & well"},      {home->service(), "A"},
        {home->picPath(), "/pic/full.png"}, {home->picMiddle(), "/pic/mid.png"},
    };
    for (size_t i = 0; i < fields.size(); ++i) EXPECT_EQ(fields[i].first, NSString(fields[i].second)) << "field " << i;
    EXPECT_TRUE(home->picThumb().isNil());

    service.reply("RQCurLimit", "<TotalRecord>3</TotalRecord><List><Type>2</Type><Name>Chess</Name><Num>4</Num></List>"
                                "<Other/><List><Type>2</Type><Name>Cards</Name></List><List/>");
    auto limits = HomeInfo::init()->homeCurlimit("2");
    ASSERT_TRUE(limits);
    EXPECT_TRUE(limits->totalRecord().isNil());  // the current limits carry no total
    ASSERT_EQ(limits->list().size(), 3u);
    auto first = std::dynamic_pointer_cast<HomeCurLimit>(limits->list()[0]);
    auto second = std::dynamic_pointer_cast<HomeCurLimit>(limits->list()[1]);
    auto third = std::dynamic_pointer_cast<HomeCurLimit>(limits->list()[2]);
    ASSERT_TRUE(first && second && third);
    EXPECT_EQ(first->name(), "Chess");
    EXPECT_EQ(first->num(), "4");
    EXPECT_EQ(second->name(), "Cards");
    EXPECT_TRUE(second->num().isNil());
    EXPECT_TRUE(third->type().isNil());

    service.reply("RQCurLimit", "<TotalRecord>0</TotalRecord>");
    limits = HomeInfo::init()->homeCurlimit("0");
    ASSERT_TRUE(limits);
    EXPECT_TRUE(limits->list().empty());

    service.reply("ADCmd", "<Code>0</Code>");
    auto done = HomeInfo::init()->lockQuick();
    ASSERT_TRUE(done);
    EXPECT_EQ(done->code(), "0");
    EXPECT_TRUE(done->desc().isNil());
}

TEST_F(PCCatalogueTest, WebAndProgramRecords)
{
    service.reply("RQUrlAccess",
                  "<TotalRecord>57</TotalRecord><List><Url>www.example.edu</Url><Num>12</Num><Allowed>2</Allowed>"
                  "<VisitedTime>2012-05-01 16:05:00</VisitedTime><Type>Study</Type><Name>School</Name>"
                  "<Path>/p/1.png</Path></List><List/><Deeper><List><Url>hidden</Url></List></Deeper>");
    auto web = Internet::init()->RQUrlAccess(dayBody("2012-05-01", "1"));
    ASSERT_TRUE(web);
    EXPECT_EQ(web->totalRecord(), "57");
    ASSERT_EQ(web->list().size(), 2u);  // the List inside Deeper is not a row
    const auto& row = *web->list()[0];
    EXPECT_EQ(row.url(), "www.example.edu");
    EXPECT_EQ(row.count(), "12");
    EXPECT_EQ(row.allowed(), "2");
    EXPECT_EQ(row.visitedTime(), "2012-05-01 16:05:00");
    EXPECT_EQ(row.type(), "Study");
    EXPECT_EQ(row.name(), "School");
    EXPECT_EQ(row.path(), "/p/1.png");
    EXPECT_TRUE(web->list()[1]->url().isNil());

    service.reply("RQUrlAllow", "<TotalRecord>2</TotalRecord><List><DataDate>2012-05-01</DataDate><Allow>1</Allow>"
                                "<Allowed>x</Allowed><Limit>60</Limit></List>");
    auto allow = Internet::init()->RQUrlAllow();
    ASSERT_TRUE(allow);
    EXPECT_TRUE(allow->totalRecord().isNil());  // the history carries no total
    ASSERT_EQ(allow->list().size(), 1u);
    EXPECT_EQ(allow->list()[0]->dataDate(), "2012-05-01");
    EXPECT_EQ(allow->list()[0]->allowed(), "1");  // from Allow, not Allowed
    EXPECT_EQ(allow->list()[0]->limit(), "60");

    service.reply("RQGameAccess", "<TotalRecord>1</TotalRecord><List><GameName>Chess</GameName><Allowed>2</Allowed>"
                                  "<Num>7</Num><VisitedTime>t</VisitedTime><ProcName>chess.exe</ProcName>"
                                  "<Author>Board</Author><Type>Game</Type><Path>/p/chess.png</Path>"
                                  "<Path1>C:\\Games\\chess.exe</Path1><SHA1>ab12</SHA1></List>");
    auto games = Game::init()->RQGameBrowseByType("2012-05-01");
    ASSERT_TRUE(games);
    ASSERT_EQ(games->list().size(), 1u);
    const auto& g = *games->list()[0];
    EXPECT_EQ(g.gameName(), "Chess");
    EXPECT_EQ(g.number(), "7");
    EXPECT_EQ(g.procName(), "chess.exe");
    EXPECT_EQ(g.author(), "Board");
    EXPECT_EQ(g.type(), "Game");
    EXPECT_EQ(g.path(), "/p/chess.png");
    EXPECT_EQ(g.softPath(), "C:\\Games\\chess.exe");
    EXPECT_EQ(g.SHA1(), "ab12");

    service.reply("RQGameBrowse", "<TotalRecord>3</TotalRecord><List><GameName>Chess</GameName><Num>7</Num>"
                                  "<ProcName>chess.exe</ProcName><Author>Board</Author><SHA1>ignored</SHA1></List>");
    auto ranking = Game::init()->RQGameBrowse(dayBody("2012-05-01", "1"));
    ASSERT_TRUE(ranking);
    EXPECT_EQ(ranking->totalRecord(), "3");
    EXPECT_EQ(ranking->list()[0]->author(), "Board");
    EXPECT_TRUE(ranking->list()[0]->SHA1().isNil());
}

TEST_F(PCCatalogueTest, RankingsSortLargerCountsFirst)
{
    struct Case {
        std::vector<const char*> counts;
        std::vector<const char*> sorted;
    };
    const std::vector<Case> cases = {
        {{"3", "12", "x"}, {"12", "3", "x"}},
        {{"7", "15", ""}, {"15", "7", ""}},
        {{"5", "5", "40abc", "-2"}, {"40abc", "5", "5", "-2"}},
    };
    for (const auto& c : cases) {
        std::vector<std::shared_ptr<InternetMessage>> web;
        std::vector<std::shared_ptr<GameMessage>> programs;
        std::vector<std::shared_ptr<AnalysisMessage>> stats;
        for (const char* n : c.counts) {
            web.push_back(std::make_shared<InternetMessage>());
            web.back()->setCount(n);
            programs.push_back(std::make_shared<GameMessage>());
            programs.back()->setNumber(n);
            stats.push_back(std::make_shared<AnalysisMessage>());
            stats.back()->setNum(n);
        }
        auto byCount = [](const auto& a, const auto& b) { return a->compareNum(*b) == NSOrderedAscending; };
        std::stable_sort(web.begin(), web.end(), byCount);
        std::stable_sort(programs.begin(), programs.end(), byCount);
        std::stable_sort(stats.begin(), stats.end(), byCount);
        for (size_t i = 0; i < c.sorted.size(); ++i) {
            EXPECT_EQ(web[i]->count(), c.sorted[i]);
            EXPECT_EQ(programs[i]->number(), c.sorted[i]);
            EXPECT_EQ(stats[i]->num(), c.sorted[i]);
        }
    }
    auto a = std::make_shared<AnalysisMessage>(), b = std::make_shared<AnalysisMessage>();
    a->setNum("4");
    b->setNum("4");
    EXPECT_EQ(a->compareNum(*b), NSOrderedSame);
}

TEST_F(PCCatalogueTest, BlackListRules)
{
    service.reply("RQUrlRuleSelf", "<TotalRecord>2</TotalRecord><List><UrlBlack>games.example.com</UrlBlack>"
                                   "<UrlType>Games</UrlType><UrlName>Games site</UrlName></List>"
                                   "<List><UrlBlack>a.example;b.example;</UrlBlack><UserID>1001</UserID>"
                                   "<UpdateTime>2012-05-01 08:00:00</UpdateTime></List>");
    auto sites = Category::init()->RQUrlType(1);
    ASSERT_TRUE(sites);
    EXPECT_EQ(sites->totalRecord(), "2");
    ASSERT_EQ(sites->list().size(), 2u);
    EXPECT_EQ(sites->list()[0]->typeId(), "games.example.com");
    EXPECT_EQ(sites->list()[0]->type(), "Games");
    EXPECT_EQ(sites->list()[0]->typeName(), "Games site");
    EXPECT_TRUE(sites->list()[0]->Type().isNil());

    // The plain read takes only the first List; its sites split at ";".
    auto siteRules = std::make_shared<SiteRules>();
    auto plain = UserUrlRule::init();
    plain->setDelegate(siteRules);
    service.reply("RQUrlRuleSelf", "<List><UserID>1001</UserID><UpdateTime>t</UpdateTime>"
                                   "<UrlBlack>a.example;b.example;</UrlBlack></List><List><UserID>9</UserID></List>");
    plain->RQUrlRuleSelf("ALL");
    pump([&] { return siteRules->calls == 1; });
    ASSERT_TRUE(siteRules->last);
    EXPECT_EQ(siteRules->last->userID(), "1001");
    EXPECT_EQ(siteRules->last->updateTime(), "t");
    EXPECT_EQ(siteRules->last->urlList(), (std::vector<NSString>{"a.example", "b.example", ""}));
    service.reply("RQUrlRuleSelf", "<List><UrlBlack></UrlBlack></List>");
    plain->RQUrlRuleSelf("ALL");
    pump([&] { return siteRules->calls == 2; });
    ASSERT_TRUE(siteRules->last);
    EXPECT_TRUE(siteRules->last->urlList().empty());

    service.reply("RQGameRuleSelf", "<TotalRecord>1</TotalRecord><List><GameType>Game</GameType><GameName>Chess</GameName>"
                                    "<ProcName>chess.exe</ProcName><Author>Board</Author><UpdateTime>t</UpdateTime>"
                                    "<Type>3</Type><SHA1>ab12</SHA1><Path>C:\\chess.exe</Path></List>");
    auto programs = Category::init()->RQGameType(1);
    ASSERT_TRUE(programs);
    ASSERT_EQ(programs->list().size(), 1u);
    const auto& p = *programs->list()[0];
    EXPECT_EQ(p.gameType(), "Game");
    EXPECT_EQ(p.gameName(), "Chess");
    EXPECT_EQ(p.procName(), "chess.exe");
    EXPECT_EQ(p.author(), "Board");
    EXPECT_EQ(p.updateTime(), "t");
    EXPECT_EQ(p.Type(), "3");
    EXPECT_TRUE(p.type().isNil());
    EXPECT_EQ(p.SHA1(), "ab12");
    EXPECT_EQ(p.Path(), "C:\\chess.exe");

    auto programRules = std::make_shared<ProgramRules>();
    auto plainPrograms = UserGameRule::init();
    plainPrograms->setDelegate(programRules);
    plainPrograms->RQGameRuleSelf(Body::initWithDataDate("", "1", "20"));
    pump([&] { return programRules->calls == 1; });
    ASSERT_TRUE(programRules->last);
    ASSERT_EQ(programRules->last->list().size(), 1u);
    EXPECT_EQ(programRules->last->totalRecord(), "1");
    EXPECT_EQ(programRules->last->list()[0]->Type(), "3");
    EXPECT_EQ(programRules->last->list()[0]->Path(), "C:\\chess.exe");

    // Rule changes report code and desc, each only when present.
    service.reply("ADUrlRuleSelf", "<Desc>added</Desc>");
    service.reply("DLUrlRuleSelf", "<Code>0</Code><Desc>deleted</Desc>");
    service.reply("ADGameRuleSelf", "<Code>0</Code>");
    auto added = UserUrlRule::init()->ADUrlRuleSelf({"a.example"});
    EXPECT_TRUE(added->code().isNil());
    EXPECT_EQ(added->desc(), "added");
    EXPECT_EQ(Category::init()->ADUrlType("<BODY></BODY></MSG>")->desc(), "added");
    auto deleted = Internet::init()->DLUrlByType("<BODY></BODY></MSG>");
    ASSERT_TRUE(deleted);
    EXPECT_EQ(deleted->code(), "0");
    EXPECT_EQ(deleted->desc(), "deleted");
    EXPECT_EQ(UserGameRule::init()->ADGameRuleSelf({program("Chess")})->code(), "0");
    EXPECT_EQ(Category::init()->ADGameType("<BODY></BODY></MSG>")->code(), "0");
}

TEST_F(PCCatalogueTest, StatisticsAndOperationLog)
{
    service.reply("RQUrlTypeBrowse", "<TotalRecord>2</TotalRecord><List><Type>Study</Type><Num>15</Num></List>"
                                     "<List><Type>Games</Type></List>");
    auto stats = Analysis::init()->RQUrlTypeBrowse(nullptr);
    ASSERT_TRUE(stats);
    EXPECT_EQ(stats->totalRecord(), "2");
    ASSERT_EQ(stats->list().size(), 2u);
    auto study = std::dynamic_pointer_cast<AnalysisMessage>(stats->list()[0]);
    auto games = std::dynamic_pointer_cast<AnalysisMessage>(stats->list()[1]);
    ASSERT_TRUE(study && games);
    EXPECT_EQ(study->type(), "Study");
    EXPECT_EQ(study->num(), "15");
    EXPECT_TRUE(games->num().isNil());

    service.reply("RQOpRecord", "<TotalRecord>1</TotalRecord><List><OpTime>t</OpTime><OpContent>login</OpContent>"
                                "<OpIP>10.0.0.2</OpIP></List>");
    auto log = OpRecord::init()->RQOpRecord(dayBody("2012-05-01", "1"));
    ASSERT_TRUE(log);
    ASSERT_EQ(log->list().size(), 1u);
    EXPECT_EQ(log->list()[0]->opTime(), "t");
    EXPECT_EQ(log->list()[0]->opContent(), "login");
    EXPECT_EQ(log->list()[0]->opIp(), "10.0.0.2");
}

TEST_F(PCCatalogueTest, CapturesReachTheDelegateOnTheMainThread)
{
    const std::string three =
        "<TotalRecord>3</TotalRecord>"
        "<List><PicName>a</PicName><PicPath>/c/a.png</PicPath><PicMiddle>/c/a-m.png</PicMiddle>"
        "<PicThumb>/c/a-t.png</PicThumb><CaptureTime>2012-05-01 10:00:00</CaptureTime></List>"
        "<List><PicName>b</PicName><PicPath>/c/b.png</PicPath></List>"
        "<List><CaptureTime>2012-05-01 12:00:00</CaptureTime></List>";
    service.reply("RQCapturePic", three);
    service.reply("RQCapPicTime", three);

    auto screen = std::make_shared<CaptureList>();
    auto request = GetCapture::init();
    request->setDelegate(screen);
    std::atomic<bool> workerDone{false};
    NSThread::detachNewThreadWithBlock([&] {
        request->RQCapturePic("2012-05-01");
        workerDone = true;
    });
    // The delegate hears on the main thread; the worker ends on its own.
    pump([&] { return screen->calls == 1 && workerDone; });
    EXPECT_EQ(screen->calls, 1);
    ASSERT_TRUE(screen->last);
    EXPECT_EQ(screen->last->totalRecord(), "3");
    ASSERT_EQ(screen->last->list().size(), 3u);
    const auto& a = *screen->last->list()[0];
    EXPECT_EQ(a.picName(), "a");
    EXPECT_EQ(a.picPath(), "/c/a.png");
    EXPECT_EQ(a.picMiddle(), "/c/a-m.png");
    EXPECT_EQ(a.picThumb(), "/c/a-t.png");
    EXPECT_EQ(a.captureTime(), "2012-05-01 10:00:00");
    EXPECT_TRUE(screen->last->list()[1]->picThumb().isNil());

    auto times = request->RQCapPicTime();
    ASSERT_TRUE(times);
    ASSERT_EQ(times->list().size(), 2u);  // the capture without a time is passed over
    EXPECT_EQ(times->list()[1]->captureTime(), "2012-05-01 12:00:00");
    EXPECT_TRUE(times->list()[0]->picName().isNil());

    // No service: the delegate still gets a record, an empty one.
    pointAt(testserver::Server::refusedPort());
    request->RQCapturePic("2012-05-01");
    pump([&] { return screen->calls == 2; });
    ASSERT_TRUE(screen->last);
    EXPECT_TRUE(screen->last->totalRecord().isNil());
    EXPECT_TRUE(screen->last->list().empty());
    EXPECT_FALSE(request->RQCapPicTime());
}

TEST_F(PCCatalogueTest, TimePeriodsGridsAndProtectSettings)
{
    service.reply("RQPeriod", "<List><BID>PC-HOME-01</BID><Week>1,2,3</Week><STTM>08:00</STTM><EDTM>12:00</EDTM>"
                              "<Type>1</Type><Remark>school</Remark><Holiday>0</Holiday></List>"
                              "<List><Week>6,7</Week><STTM>09:00</STTM><EDTM>10:00</EDTM><Type>0</Type></List>");
    auto periods = TimeInfo::shareTimeInfo()->RQTimePeriodList();
    ASSERT_TRUE(periods);
    ASSERT_EQ(periods->list().size(), 2u);
    const auto& p = *periods->list()[0];
    EXPECT_EQ(p.bid(), "PC-HOME-01");
    EXPECT_EQ(p.week(), "1,2,3");
    EXPECT_EQ(p.sttm(), "08:00");
    EXPECT_EQ(p.edtm(), "12:00");
    EXPECT_EQ(p.type(), "1");
    EXPECT_EQ(p.remark(), "school");
    EXPECT_EQ(p.holiday(), "0");
    EXPECT_TRUE(periods->list()[1]->remark().isNil());
    service.reply("RQPeriod", "");
    EXPECT_TRUE(TimeInfo::init()->RQTimePeriodList()->list().empty());

    // The fetches reach the delegate from a worker, once each.
    service.reply("RQUrlPeriod", "<UrlPeriod>0000,1111</UrlPeriod><GamePeriod>x</GamePeriod>");
    service.reply("RQGamePeriod", "<GamePeriod>1111,0000</GamePeriod>");
    auto grid = std::make_shared<WeekGrid>();
    auto setting = TimeSetting::init();
    setting->setDelegate(grid);
    NSThread::detachNewThreadWithBlock([setting] { setting->RQUrlPeriod(); });
    pump([&] { return grid->calls == 1; });
    ASSERT_TRUE(grid->last);
    EXPECT_EQ(grid->last->urlPeriod(), "0000,1111");
    EXPECT_TRUE(grid->last->gamePeriod().isNil());
    NSThread::detachNewThreadWithBlock([setting] { setting->RQGamePeriod(); });
    pump([&] { return grid->calls == 2; });
    ASSERT_TRUE(grid->last);
    EXPECT_EQ(grid->last->gamePeriod(), "1111,0000");

    service.reply("UDGamePeriod", "<Code>0</Code><Desc>ok</Desc>");
    auto stored = setting->UDGamePeriod("1111,0000");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->code(), "0");
    EXPECT_EQ(stored->desc(), "ok");

    service.reply("RQTimeConfig", "<Unlimited>1</Unlimited>");
    auto config = ProtectSetting::init()->RQTimeConfig();
    ASSERT_TRUE(config);
    EXPECT_EQ(config->unlimited(), "1");
    EXPECT_TRUE(config->cmdType().isNil() && config->cmdType1().isNil() && config->timeType().isNil() &&
                config->timeLength().isNil());
    service.reply("RQTimeConfig", "<CmdType>2</CmdType><CmdType1>0</CmdType1><TimeType>3</TimeType>"
                                  "<TimeLength>90</TimeLength><Unlimited>0</Unlimited>");
    config = ProtectSetting::init()->RQTimeConfig();
    EXPECT_EQ(config->cmdType(), "2");
    EXPECT_EQ(config->cmdType1(), "0");
    EXPECT_EQ(config->timeType(), "3");
    EXPECT_EQ(config->timeLength(), "90");

    service.reply("RQServiceSwitch", "<Protection>1</Protection><UrlLimit>1</UrlLimit><GameLimit>0</GameLimit>"
                                     "<Caress>1</Caress><ScreenShot>1</ScreenShot><CaressEnabled>0</CaressEnabled>");
    auto switches = ServiceSwitch::init()->RQServiceSwitch();
    ASSERT_TRUE(switches);
    EXPECT_EQ(switches->protection(), "1");
    EXPECT_EQ(switches->urlLimit(), "1");
    EXPECT_EQ(switches->gameLimit(), "0");
    EXPECT_EQ(switches->cares(), "1");
    EXPECT_EQ(switches->screenShot(), "1");
    EXPECT_EQ(switches->caressEnabled(), "0");
    EXPECT_TRUE(switches->code().isNil());
    // What was fetched goes back as it came; CaressEnabled is never sent.
    service.reply("UDServiceSwitch", "<Code>0</Code><Desc>saved</Desc>");
    auto saved = ServiceSwitch::init()->UDServiceSwitch(switches);
    EXPECT_EQ(saved->code(), "0");
    EXPECT_EQ(saved->desc(), "saved");
    EXPECT_EQ(service.exchanges().back().message.find("CaressEnabled"), std::string::npos);
}

// ---------------------------------------------------------------------------
// Failed exchanges, replies without BODY and absent identifiers.

struct FailureCase {
    const char* name;
    bool nilOnFailure;    // else an empty record
    bool namesTheDevice;  // not sent while no device is stored
    std::function<id()> call;
};

std::vector<FailureCase> failureCases()
{
    auto day = [] { return dayBody("2012-05-01", "1"); };
    const NSString body("<BODY><BID>PC-HOME-01</BID></BODY></MSG>");
    return {
        {"homeInfo", true, true, [] { return HomeInfo::init()->homeInfo(); }},
        {"lockQuick", true, true, [] { return HomeInfo::init()->lockQuick(); }},
        {"homeCurlimit", true, true, [] { return HomeInfo::init()->homeCurlimit("1"); }},
        {"RQUrlAccess", true, true, [=] { return Internet::init()->RQUrlAccess(day()); }},
        {"RQUrlBrowse", true, false, [=] { return Internet::init()->RQUrlBrowse(day()); }},
        {"RQUrlAllow", true, false, [] { return Internet::init()->RQUrlAllow(); }},
        {"RQUrlBrowseByType", true, true, [] { return Internet::init()->RQUrlBrowseByType("2012-05-01"); }},
        {"RQGameAccess", true, true, [=] { return Game::init()->RQGameAccess(day()); }},
        {"RQGameBrowseByType", true, true, [] { return Game::init()->RQGameBrowseByType("2012-05-01"); }},
        {"DLUrlByType", true, false, [=] { return Internet::init()->DLUrlByType(body); }},
        {"DLGameByType", true, false, [=] { return Internet::init()->DLGameByType(body); }},
        {"RQUrlType", true, true, [] { return Category::init()->RQUrlType(1); }},
        {"RQGameType", false, true, [] { return Category::init()->RQGameType(1); }},
        {"ADUrlType", true, false, [=] { return Category::init()->ADUrlType(body); }},
        {"ADGameType", false, false, [=] { return Category::init()->ADGameType(body); }},
        {"ADUrlRuleSelf", false, false, [] { return UserUrlRule::init()->ADUrlRuleSelf({"a.example"}); }},
        {"DLGameRuleSelf", false, false, [] { return UserGameRule::init()->DLGameRuleSelf({program("Chess")}); }},
        {"RQUrlTypeBrowse", true, true, [=] { return Analysis::init()->RQUrlTypeBrowse(day()); }},
        {"RQGameTypeBrowseByType", false, false,
         [=] { return Analysis::init()->RQGameTypeBrowseByType(nullptr, day()); }},
        {"RQOpRecord", true, false, [=] { return OpRecord::init()->RQOpRecord(day()); }},
        {"Record RQUrlAccess", false, false, [=] { return Record::init()->RQUrlAccess(day()); }},
        {"RQCapPicTime", true, false, [] { return GetCapture::init()->RQCapPicTime(); }},
        {"setTimeLen", true, true, [] { return TimeInfo::init()->setTimeLen("2012-05-01 21:30"); }},
        {"RQTimePeriodList", true, true, [] { return TimeInfo::init()->RQTimePeriodList(); }},
        {"ADTimePeriod", true, false, [=] { return TimeInfo::init()->ADTimePeriod(body); }},
        {"UDUrlPeriod", true, false, [] { return TimeSetting::init()->UDUrlPeriod("0000"); }},
        {"UDGamePeriod", true, true, [] { return TimeSetting::init()->UDGamePeriod("0000"); }},
        {"RQTimeConfig", true, true, [] { return ProtectSetting::init()->RQTimeConfig(); }},
        {"UDTimeConfig", true, false, [=] { return ProtectSetting::init()->UDTimeConfig(body); }},
        {"RQServiceSwitch", true, false, [] { return ServiceSwitch::init()->RQServiceSwitch(); }},
        {"UDServiceSwitch", false, false,
         [] {
             auto switches = std::make_shared<ServiceSwitchReturnMessage>();
             for (auto set : {&ServiceSwitchReturnMessage::setProtection, &ServiceSwitchReturnMessage::setUrlLimit,
                              &ServiceSwitchReturnMessage::setGameLimit, &ServiceSwitchReturnMessage::setCares,
                              &ServiceSwitchReturnMessage::setScreenShot})
                 ((*switches).*set)("1");
             return ServiceSwitch::init()->UDServiceSwitch(switches);
         }},
    };
}

TEST_F(PCCatalogueTest, AFailedExchangeGivesNilOrAnEmptyRecordAsEachRequestPromises)
{
    for (Fault fault : {Fault::Http500, Fault::CloseConnection, Fault::BadBase64}) {
        service.fault("", fault);
        for (const auto& c : failureCases()) {
            SCOPED_TRACE(c.name);
            id result = c.call();
            EXPECT_EQ(result == nullptr, c.nilOnFailure);
        }
    }
    // Without BODY every request gives its record, with nothing read into it.
    service.fault("", Fault::NoBody);
    for (const auto& c : failureCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(c.call());
    }
    EXPECT_TRUE(HomeInfo::init()->homeInfo()->isOnline().isNil());
    EXPECT_TRUE(Category::init()->RQUrlType(1)->totalRecord().isNil());
    EXPECT_TRUE(HomeInfo::init()->cutQuick()->code().isNil());
}

TEST_F(PCCatalogueTest, NothingIsSentForAnAbsentDeviceOrAccount)
{
    NSUserDefaults::standardUserDefaults()->removeObjectForKey("DeviceId");
    for (const auto& c : failureCases()) {
        SCOPED_TRACE(c.name);
        size_t before = service.exchanges().size();
        id result = c.call();
        if (!c.namesTheDevice) continue;
        EXPECT_EQ(service.exchanges().size(), before);
        EXPECT_EQ(result == nullptr, c.nilOnFailure);
    }
    for (const auto& e : service.exchanges()) EXPECT_EQ(e.message.find("(null)"), std::string::npos) << e.type;

    // Without a device the delegates hear of a failed fetch.
    auto screen = std::make_shared<CaptureList>();
    auto capture = GetCapture::init();
    capture->setDelegate(screen);
    capture->RQCapturePic("2012-05-01");
    auto grid = std::make_shared<WeekGrid>();
    auto setting = TimeSetting::init();
    setting->setDelegate(grid);
    setting->RQGamePeriod();
    pump([&] { return screen->calls == 1 && grid->calls == 1; });
    ASSERT_TRUE(screen->last);
    EXPECT_TRUE(screen->last->list().empty());
    EXPECT_FALSE(grid->last);

    // Without an account nothing is sent at all.
    NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString(kDevice)), "DeviceId");
    Constant::setUserID(NSString());
    Constant::setUserName(NSString());
    size_t before = service.exchanges().size();
    for (const auto& c : failureCases()) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call() == nullptr, c.nilOnFailure);
    }
    EXPECT_EQ(service.exchanges().size(), before);
}

TEST_F(PCCatalogueTest, ADelegateGoneBeforeTheHandOverIsSkipped)
{
    service.reply("RQGamePeriod", "<GamePeriod>1111</GamePeriod>");
    auto grid = std::make_shared<WeekGrid>();
    std::weak_ptr<WeekGrid> watch = grid;
    auto setting = TimeSetting::init();
    setting->setDelegate(grid);
    setting->RQGamePeriod();  // queued for the main thread, not yet run
    grid.reset();
    EXPECT_TRUE(watch.expired());  // the request kept no hold on it
    NSRunLoop::mainRunLoop()->runUntil([] { return false; }, 0.05);

    // A request without a delegate runs its exchange all the same.
    auto capture = GetCapture::init();
    capture->RQCapturePic("2012-05-01");
    NSRunLoop::mainRunLoop()->runUntil([] { return false; }, 0.05);
    EXPECT_EQ(service.exchanges().size(), 2u);
}

// ---------------------------------------------------------------------------
// The demo account answers the PC screens, with pictures for its captures.

// Width and height from a PNG's IHDR, or {0, 0} when the bytes are no PNG.
std::pair<unsigned, unsigned> pngSize(const std::string& png)
{
    if (png.size() < 24 || png.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0 || png.compare(12, 4, "IHDR") != 0) return {0, 0};
    auto word = [&](size_t at) {
        return (unsigned(uint8_t(png[at])) << 24) | (unsigned(uint8_t(png[at + 1])) << 16) |
               (unsigned(uint8_t(png[at + 2])) << 8) | unsigned(uint8_t(png[at + 3]));
    };
    return {word(16), word(20)};
}

TEST_F(PCCatalogueTest, TheDemoAccountAnswersThePCScreens)
{
    servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);

    auto home = HomeInfo::init()->homeInfo();
    ASSERT_TRUE(home);
    EXPECT_EQ(home->isOnline(), "1");
    EXPECT_EQ(HomeInfo::init()->lockQuick()->code(), "0");
    EXPECT_FALSE(HomeInfo::init()->homeCurlimit("1")->list().empty());
    EXPECT_FALSE(Internet::init()->RQUrlAccess(dayBody("2012-05-01", "1"))->list().empty());
    EXPECT_FALSE(Game::init()->RQGameAccess(dayBody("2012-05-01", "1"))->list().empty());
    EXPECT_FALSE(Internet::init()->RQUrlBrowse(dayBody("2012-05-01", "1"))->list().empty());
    EXPECT_FALSE(Game::init()->RQGameBrowse(dayBody("2012-05-01", "1"))->list().empty());
    EXPECT_FALSE(Category::init()->RQUrlType(1)->list().empty());
    EXPECT_FALSE(Category::init()->RQGameType(1)->list().empty());
    EXPECT_EQ(Category::init()->ADUrlType("<BODY></BODY></MSG>")->code(), "0");
    EXPECT_EQ(Internet::init()->DLGameByType("<BODY></BODY></MSG>")->code(), "0");
    EXPECT_EQ(UserUrlRule::init()->ADUrlRuleSelf({"a.example"})->code(), "0");
    EXPECT_FALSE(Analysis::init()->RQUrlTypeBrowse(nullptr)->list().empty());
    EXPECT_FALSE(Analysis::init()->RQGameTypeBrowse(nullptr)->list().empty());
    EXPECT_FALSE(TimeInfo::init()->RQTimePeriodList()->list().empty());
    EXPECT_EQ(TimeInfo::init()->ADTimePeriod("<BODY></BODY></MSG>")->desc(), "成功");
    // The week saved is the week read below: the double keeps it.
    EXPECT_EQ(TimeSetting::init()->UDGamePeriod(NSString(servicedouble::TimeRules::openWeek()))->code(), "0");
    EXPECT_EQ(ProtectSetting::init()->RQTimeConfig()->timeLength(), "120");
    EXPECT_EQ(ProtectSetting::init()->UDTimeConfig("<BODY></BODY></MSG>")->desc(), "成功");
    EXPECT_EQ(ServiceSwitch::init()->RQServiceSwitch()->screenShot(), "1");

    auto grid = std::make_shared<WeekGrid>();
    auto setting = TimeSetting::init();
    setting->setDelegate(grid);
    setting->RQGamePeriod();
    pump([&] { return grid->calls == 1; });
    ASSERT_TRUE(grid->last);
    EXPECT_EQ(grid->last->gamePeriod().componentsSeparatedByString(",").size(), 168u);

    // Every picture of every capture is an image of its size, served by the double.
    auto screen = std::make_shared<CaptureList>();
    auto capture = GetCapture::init();
    capture->setDelegate(screen);
    capture->RQCapturePic("2012-05-01");
    pump([&] { return screen->calls == 1; });
    ASSERT_TRUE(screen->last);
    ASSERT_FALSE(screen->last->list().empty());
    std::string previous;
    for (const auto& c : screen->last->list()) {
        const std::pair<NSString, std::pair<unsigned, unsigned>> pictures[] = {
            {c->picPath(), {640, 400}}, {c->picMiddle(), {320, 200}}, {c->picThumb(), {150, 124}}};
        for (const auto& [url, size] : pictures) {
            SCOPED_TRACE(url.str());
            auto request = NXHTTPRequest::requestWithURL(NSURL::URLWithString(url));
            request->startSynchronous();
            EXPECT_EQ(request->responseStatusCode(), 200);
            auto data = request->responseData();
            ASSERT_TRUE(data);
            std::string png(data->begin(), data->end());
            EXPECT_EQ(pngSize(png), size);
            if (size.first == 150) {
                EXPECT_NE(png, previous);  // captures differ
                previous = png;
            }
        }
    }
    EXPECT_FALSE(servicedouble::captureImage("/captures/0-full.png"));
    EXPECT_FALSE(servicedouble::captureImage("/captures/1-huge.png"));
    EXPECT_FALSE(servicedouble::captureImage("/captures/1-full.png/../x"));
}

}  // namespace
