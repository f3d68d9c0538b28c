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
