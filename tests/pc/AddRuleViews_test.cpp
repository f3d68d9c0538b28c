// The two add forms laid over a host screen: an address or a program goes
// to the PC's own black list with the blank-ended TYPEs, the host hears of
// it before the question whether to add another.
#include <gtest/gtest.h>

#include "app/PCTimeCommon.h"
#include "pc/AddRuleViews.h"
#include "tests/pc/PCRecordFixture.h"
#include "tests/pc/ScreenLint.h"

namespace {

class Host : public UIViewController, public AddUrlViewControllerDelegate {
public:
    void insertCell(const NSString& address) override
    {
        inserted.push_back(address.str());
        alertWhenInserted = UIApplication::sharedApplication().keyWindow() && visibleAlert();
    }
    void reload(const id&) override { ++reloads; }
    std::function<bool()> visibleAlert;
    std::vector<std::string> inserted;
    bool alertWhenInserted = false;
    int reloads = 0;
};

class AddRuleViews : public PCRecordFixture {
protected:
    void SetUp() override
    {
        PCRecordFixture::SetUp();
        host = UIViewController::init<Host>();
        host->visibleAlert = [this] { return driver->visibleAlert() != nullptr; };
        driver->show(host);
    }
    template <class Form>
    std::shared_ptr<Form> lay()
    {
        auto form = UIViewController::initWithNibName<Form>(NSString(), NSString());
        host->view()->addSubview(form->view());
        return form;
    }
    std::string lastBody(const char* type) const { return sent(type).empty() ? "" : body(sent(type).back()); }

    std::shared_ptr<Host> host;
};

}  // namespace

TEST_F(AddRuleViews, AnAddressGoesWithoutWwwAndTheHostHearsOfItBeforeTheQuestion)
{
    auto form = lay<AddUrlViewController>();
    form->delegate = host;
    driver->type(form->newURL.get(), "www.Kids&Co.org");
    ASSERT_TRUE(driver->tap(form->btnAdd.get()));
    EXPECT_NE(lastBody("ADUrlRuleSelf").find("<UrlBlack>Kids&amp;Co.org</UrlBlack>"), std::string::npos);
    EXPECT_NE(sent("ADUrlRuleSelf").back().message.find("<TYPE>ADUrlRuleSelf </TYPE>"), std::string::npos);
    EXPECT_EQ(host->inserted, (std::vector<std::string>{"Kids&Co.org"}));
    EXPECT_FALSE(host->alertWhenInserted) << "the host hears first, then the question shows";
    ASSERT_NE(driver->visibleAlert(), nullptr);
    ASSERT_TRUE(driver->pressAlertButton(1));  // no other address: the form closes
    EXPECT_EQ(form->view()->superview(), nullptr);
    driver->pumpUntil([&] { return host->reloads > 0; }, 5);
    EXPECT_EQ(host->reloads, 1);
}

// The form hides the host's rows it lies over: none shows through as ghost
// text.
TEST_F(AddRuleViews, TheFormHidesTheHostsTextUnderIt)
{
    host->view()->setBackgroundColor(UIColor::blackColor());
    auto row = UILabel::initWithFrame(CGRectMake(10, 40, 200, 22));
    row->setText("Chess Trainer");
    row->textColor = UIColor::whiteColor();
    row->setBackgroundColor(UIColor::clearColor());
    host->view()->addSubview(row);
    auto form = lay<AddUrlViewController>();
    driver->type(form->newURL.get(), "www.example.net");
    EXPECT_EQ(lintFindings(driver->window()), std::vector<std::string>{});
}

TEST_F(AddRuleViews, AnEmptyAddressOrOneOfOnlyWwwIsRefused)
{
    auto form = lay<AddUrlViewController>();
    for (const char* typed : {"", "www."}) {
        form->newURL->setText(typed);
        driver->tap(form->btnAdd.get());
        ASSERT_NE(driver->visibleAlert(), nullptr) << typed;
        driver->pressAlertButton(0);
    }
    EXPECT_TRUE(sent("ADUrlRuleSelf").empty());
}

TEST_F(AddRuleViews, AProgramNeedsANameAndKeepsItsInnerBlanks)
{
    auto form = lay<AddSoftViewController>();
    form->gameName->setText("   ");
    driver->tap(form->btnAdd.get());
    ASSERT_NE(driver->visibleAlert(), nullptr);
    driver->pressAlertButton(0);
    EXPECT_TRUE(sent("ADGameRuleSelf").empty());

    form->gameName->setText("");
    driver->type(form->gameName.get(), "Block Town");
    driver->type(form->procName.get(), "blocktown.exe");
    driver->tap(form->btnAdd.get());
    EXPECT_NE(lastBody("ADGameRuleSelf").find("<GameName>Block Town</GameName><ProcName>blocktown.exe</ProcName>"),
              std::string::npos);
    EXPECT_EQ(model.gameRules("1001").back().gameName, "Block Town");
    ASSERT_NE(driver->visibleAlert(), nullptr);
    driver->pressAlertButton(0);  // another: the form stays with its texts
    EXPECT_NE(form->view()->superview(), nullptr);
    EXPECT_EQ(form->gameName->text(), "Block Town");
}
