// The demo account the standalone double serves, read from the shipped data.

#include "tools/service-double/DemoAccount.h"

#include <regex>

#include "protocol/Head.h"
#include "protocol/MsgService.h"
#include "protocol/WebService.h"
#include "tests/protocol/ServiceFixture.h"

namespace {

class DemoAccountTest : public ServiceFixture {};

TEST_F(DemoAccountTest, ShippedAccountLogsInAndAnswersItsRequests)
{
    auto account = servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder());
    account.serve(service);

    EXPECT_EQ(WebService::loginByUserName("13800138000", "wrong"), "-1");
    EXPECT_TRUE(Constant::taoCanType().isNil());
    EXPECT_EQ(WebService::loginByUserName(NSString(account.userName), NSString(account.password)), "0");
    EXPECT_EQ(Constant::taoCanType(), "A");
    EXPECT_TRUE(std::regex_match(Constant::serverTime().str(), std::regex(R"(\d{4}-\d{2}-\d{2})")));

    NSString reply = MsgService::sendRequestOnMainThread(
        Head::initWithSndr("13800138000", "SYS", "1", "2012-05-01 08:00:00", "RQManageUser")->toString().stringByAppendingString(
            "<BODY><UserID>13800138000</UserID></BODY></MSG>"));
    ASSERT_FALSE(reply.isNil());
    auto tree = XMLTree::initWithXMLString(reply);
    const _XMLTreeElement* body = XMLTree::childElementNamed("BODY", tree->rootXMLElement());
    const _XMLTreeElement* pc = XMLTree::childElementNamed("List", body);
    ASSERT_TRUE(pc);
    EXPECT_EQ(XMLTree::textForElement(XMLTree::childElementNamed("EquipType", pc)), "PC");
    const _XMLTreeElement* phone = XMLTree::nextSiblingNamed("List", pc);
    ASSERT_TRUE(phone);
    EXPECT_EQ(XMLTree::textForElement(XMLTree::childElementNamed("Nick", phone)), "Tom's phone");
}

// What the user changes on the PC shows when the screen reads it again; the
// reads start with the demo's own content, and the double keeps its state
// after the account that scripted it is gone.
TEST_F(DemoAccountTest, ChangesToThePCShowOnReload)
{
    servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);
    auto send = [](const char* type, const std::string& body) {
        NSString reply = MsgService::sendRequestOnMainThread(
            Head::initWithSndr("13800138000", "SYS", "1", "2012-05-01 08:00:00", type)->toString().stringByAppendingString(
                NSString("<BODY>" + body + "</BODY></MSG>")));
        const std::string text = reply.isNil() ? std::string() : reply.str();
        const auto at = text.find("<BODY>");
        return at == std::string::npos ? text : text.substr(at);
    };
    auto count = [](const std::string& text, const std::string& part) {
        size_t n = 0;
        for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++n;
        return n;
    };
    const std::string pc = "<BID>PC-HOME-01</BID>";

    EXPECT_EQ(count(send("RQPeriod", pc), "<List>"), 3u) << "the demo's periods";
    EXPECT_NE(send("RQPeriod", pc).find("<Remark>homework</Remark>"), std::string::npos);
    EXPECT_NE(send("ADPeriod", pc + "<List><STTM>06:00</STTM><EDTM>07:00</EDTM><Week>7</Week><Type>0</Type></List>")
                  .find("<Code>0</Code>"), std::string::npos);
    EXPECT_EQ(count(send("RQPeriod", pc), "<List>"), 4u);

    EXPECT_NE(send("RQTimeConfig", pc).find("<TimeLength>120</TimeLength>"), std::string::npos) << "the demo's allowance";
    send("UDTimeConfig", pc + "<CmdType>2</CmdType><TimeType>0</TimeType><TimeLength>45</TimeLength>");
    EXPECT_NE(send("RQTimeConfig", pc).find("<TimeLength>45</TimeLength>"), std::string::npos);

    const std::string grid = send("RQGamePeriod", pc);
    EXPECT_NE(grid.find("<GamePeriod>0000,"), std::string::npos) << "the demo's week: " << grid;

    EXPECT_EQ(count(send("RQUrlRuleSelf", pc), "<UrlBlack>"), 2u) << "the demo's black list";
    send("ADUrlRuleSelf", pc + "<List><UrlBlack>www.games.example.org</UrlBlack></List>");
    EXPECT_NE(send("RQUrlRuleSelf", pc).find("<UrlBlack>www.games.example.org</UrlBlack>"), std::string::npos);

    EXPECT_NE(send("RQHomePage", pc).find("<UsedTime>95</UsedTime>"), std::string::npos) << "the demo's status";
    send("ADCmd", pc + "<Type>0</Type>");
    EXPECT_NE(send("RQHomePage", pc).find("<ScreenStatus>1</ScreenStatus>"), std::string::npos) << "the screen locked";
}

TEST(DemoAccountDates, PlaceholdersBecomeRecentDates)
{
    std::string filled = servicedouble::fillDates("<A>{DATE-0}</A><B>{DATE-2} 10:00:00</B><C>{NOW}</C><D>{DATE}</D>");
    EXPECT_TRUE(std::regex_match(filled, std::regex(R"(<A>\d{4}-\d{2}-\d{2}</A><B>\d{4}-\d{2}-\d{2} 10:00:00</B>)"
                                                     R"(<C>\d{4}-\d{2}-\d{2} \d{2}:\d{2}:\d{2}</C><D>\{DATE\}</D>)")))
        << filled;
    EXPECT_NE(filled.substr(3, 10), filled.substr(18, 10));
    EXPECT_THROW(servicedouble::DemoAccount::load("/nonexistent-folder"), std::runtime_error);
}

}  // namespace
