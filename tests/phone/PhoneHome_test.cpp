// The phone's home page driven as a parent uses it: the status line, the
// alert panel, the restrict mode and the one-key commands against the
// double's records.

#include "pc/HomeDetailAlertInfoView.h"
#include "phone/MapController.h"
#include "tests/phone/PhoneFixture.h"

using namespace phonetest;

namespace {

class PhoneHomeTest : public PhoneTest {
protected:
    UIButton* button(PhoneHomeViewCtrl* home, NSInteger tag) const
    {
        return dynamic_cast<UIButton*>(home->scrollView()->viewWithTag(tag));
    }
    NSString title(UIButton* b) const { return b->titleForState(UIControlStateNormal); }
    size_t commands(const char* type) const
    {
        size_t n = 0;
        for (const auto& e : service.exchanges())
            n += e.type == "ADCmd" && e.message.find(std::string("<Type>") + type + "</Type>") != std::string::npos;
        return n;
    }
    // Taps a button of the page and lets the outcome show.
    void tapAndSettle(UIButton* b)
    {
        ASSERT_TRUE(driver.tap(b));
        NSThread::joinDetachedThreads(10);
        driver.pumpUntil([] { return false; }, 0.05);
    }
};

TEST_F(PhoneHomeTest, ShowsTheStateOfTheChosenPhoneWithoutAlerts)
{
    records.setStatus(kPhone, {});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    EXPECT_NE(lastMessage("RQHomePage").find(kPhone), std::string::npos);
    EXPECT_EQ(home->alertLine()->text(), NSString("phomeviewctrl_nowstate: homeviewctrl_online"));
    EXPECT_EQ(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag), nullptr);
    EXPECT_EQ(title(home->netButton()), NSString("homeviewctrl_cutnet"));
    EXPECT_EQ(title(home->lockButton()), NSString("homeviewctrl_lockscreen"));
    EXPECT_EQ(title(home->restrictButton()), NSString("phomeviewctrl_closeforbidden"));
    EXPECT_TRUE(home->switchOn());

    // A phone offline, locked and cut, free of the restrict mode says so word by word.
    records.setStatus(kPhone, {"0", "0", "1", "1"});
    tapAndSettle(static_cast<UIButton*>(home->navigationItem()->rightBarButtonItem->customView.get()));
    EXPECT_EQ(home->alertLine()->text(), NSString("phomeviewctrl_nowstate: homeviewctrl_offline homeviewctrl_lockscr "
                                                  "homeviewctrl_netoff homeviewctrl_norestict"));
    EXPECT_EQ(title(home->netButton()), NSString("homeviewctrl_recovernet"));
    EXPECT_EQ(title(home->lockButton()), NSString("homeviewctrl_unlockscreen"));
    EXPECT_EQ(title(home->restrictButton()), NSString("phomeviewctrl_openforbidden"));
}

TEST_F(PhoneHomeTest, TheAlertLineOpensTheDetailAndMovesThePanels)
{
    records.setStatus(kPhone, {"1", "3", "2", "0", "2", "0", "1"});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    EXPECT_EQ(home->alertLine()->text(), NSString("homeviewctrl_todayalert  3 homeviewctrl_times"));
    EXPECT_EQ(home->detailValue(0)->text(), NSString("2 homeviewctrl_times"));
    EXPECT_EQ(home->detailValue(2)->text(), NSString("1 homeviewctrl_times"));
    UIView* detail = home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertDetailTag);
    ASSERT_NE(detail, nullptr);
    EXPECT_TRUE(detail->hidden());
    UIView* panel = home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kOneKeyPanelTag);
    auto* row = dynamic_cast<UIButton*>(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kDetailRowTag + 1));
    EXPECT_EQ(panel->center().y, 131);
    EXPECT_FALSE(row->enabled());

    ASSERT_TRUE(driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag)));
    EXPECT_FALSE(detail->hidden());
    EXPECT_EQ(panel->center().y, 131 + PhoneHomeViewCtrl::kDetailHeight);
    EXPECT_EQ(button(home, PhoneHomeViewCtrl::kLocationButtonTag)->center().y, 340 + PhoneHomeViewCtrl::kDetailHeight);
    EXPECT_TRUE(row->enabled());
    EXPECT_EQ(home->scrollView()->contentSize().height, 610);

    ASSERT_TRUE(driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag)));
    EXPECT_TRUE(detail->hidden());
    EXPECT_EQ(panel->center().y, 131);
    EXPECT_FALSE(row->enabled());
}

// Each detail row asks today's blocked items of its kind and lists them; a
// kind without any opens nothing.
TEST_F(PhoneHomeTest, ADetailRowListsTodaysBlockedItemsOfItsKind)
{
    service.on("RQCurLimit", [](const servicedouble::Exchange& e) {
        std::string rows;
        if (e.message.find("<Type>0</Type>") != std::string::npos)
            rows = "<List><Type>0</Type><Name>bad.example.com</Name><Num>2</Num></List>";
        if (e.message.find("<Type>2</Type>") != std::string::npos)
            rows = "<List><Type>2</Type><Name>Space Blaster</Name><Num>1</Num></List>";
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, rows)};
    });
    records.setStatus(kPhone, {"1", "3", "2", "0", "2", "0", "1"});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    const size_t depth = home->navigationController()->viewControllers().size();
    ASSERT_TRUE(driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag)));

    ASSERT_TRUE(driver.tap(button(home, PhoneHomeViewCtrl::kDetailRowTag + 1)));
    settle();
    EXPECT_NE(lastMessage("RQCurLimit").find("<Type>1</Type>"), std::string::npos);
    EXPECT_EQ(home->navigationController()->viewControllers().size(), depth);

    ASSERT_TRUE(driver.tap(button(home, PhoneHomeViewCtrl::kDetailRowTag + 2)));
    settle();
    EXPECT_NE(lastMessage("RQCurLimit").find("<Type>2</Type>"), std::string::npos);
    auto* programs = dynamic_cast<HomeDetailAlertInfoView*>(topScreen());
    ASSERT_NE(programs, nullptr);
    ASSERT_EQ(programs->tableDataArray().size(), 1u);
    EXPECT_EQ(programs->tableDataArray()[0]->name(), NSString("Space Blaster"));
    home->navigationController()->popViewControllerAnimated(false);
    settle();

    ASSERT_TRUE(driver.tap(button(home, PhoneHomeViewCtrl::kDetailRowTag)));
    settle();
    EXPECT_NE(lastMessage("RQCurLimit").find("<Type>0</Type>"), std::string::npos);
    auto* sites = dynamic_cast<HomeDetailAlertInfoView*>(topScreen());
    ASSERT_NE(sites, nullptr);
    EXPECT_EQ(sites->tableDataArray()[0]->name(), NSString("bad.example.com"));
}

// Today's alerts are written dark on the light alert picture.
TEST_F(PhoneHomeTest, TheAlertLineIsDarkOnItsLightPicture)
{
    records.setStatus(kPhone, {"1", "3", "2", "0", "2", "0", "1"});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    const NSAttributes drawn = home->alertLine()->resultAttributedString()->attributesAtIndex(0, nullptr);
    const auto at = drawn.find(kCTForegroundColorAttributeName);
    ASSERT_NE(at, drawn.end());
    auto colour = std::dynamic_pointer_cast<UIColor>(at->second);
    ASSERT_NE(colour, nullptr);
    EXPECT_LT(colour->red + colour->green + colour->blue, 0.5);
}

TEST_F(PhoneHomeTest, RestrictLockAndCutSendTheirCommandsAndShowTheNewState)
{
    records.setStatus(kPhone, {});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);

    // Restrict mode off: the lock refuses without asking the service.
    tapAndSettle(home->restrictButton());
    EXPECT_NE(lastMessage("UDTimeConfig").find("<Unlimited>1</Unlimited>"), std::string::npos);
    EXPECT_TRUE(hudSaying("serviceBackMessage_ok"));
    settle();
    EXPECT_EQ(records.status(kPhone).unlimited, "1");
    EXPECT_EQ(title(home->restrictButton()), NSString("phomeviewctrl_openforbidden"));
    tapAndSettle(home->lockButton());
    EXPECT_TRUE(hudSaying("phomeviewctrl_onekeyUnrestrictModeFail"));
    EXPECT_EQ(commands("0"), 0u);
    settle();

    // On again: the lock and the cut go through and the buttons offer the way back.
    tapAndSettle(home->restrictButton());
    EXPECT_NE(lastMessage("UDTimeConfig").find("<Unlimited>0</Unlimited>"), std::string::npos);
    settle();
    tapAndSettle(home->lockButton());
    EXPECT_EQ(commands("0"), 1u);
    EXPECT_TRUE(hudSaying("phomeviewctrl_setsuccesstolock"));
    EXPECT_EQ(title(home->lockButton()), NSString("homeviewctrl_unlockscreen"));
    EXPECT_TRUE(home->isLock());
    settle();
    EXPECT_EQ(title(home->lockButton()), NSString("homeviewctrl_unlockscreen"));  // the refresh agrees
    tapAndSettle(home->netButton());
    EXPECT_EQ(commands("1"), 1u);
    EXPECT_TRUE(hudSaying("phomeviewctrl_setsuccesstouncutnet"));
    settle();
    EXPECT_EQ(title(home->netButton()), NSString("homeviewctrl_recovernet"));
    tapAndSettle(home->lockButton());
    EXPECT_EQ(commands("2"), 1u);
    settle();
    EXPECT_EQ(title(home->lockButton()), NSString("homeviewctrl_lockscreen"));
}

TEST_F(PhoneHomeTest, RefusalsOfflineAndFailuresKeepTheButtons)
{
    records.setStatus(kPhone, {"0"});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    tapAndSettle(home->lockButton());
    EXPECT_TRUE(hudSaying("phomeviewctrl_offTip"));
    EXPECT_EQ(commands("0"), 0u);
    settle();

    records.setStatus(kPhone, {});
    records.refuse("ADCmd");
    tapAndSettle(home->netButton());
    EXPECT_EQ(commands("1"), 1u);
    EXPECT_EQ(title(home->netButton()), NSString("homeviewctrl_cutnet"));
    EXPECT_FALSE(home->isCut());
    settle();
    EXPECT_FALSE(hudSaying("serviceBackMessage_failed"));  // the cut's failure does not stay

    // A reply that says "成功" with a failing code is a failure.
    service.on("UDTimeConfig", [](const servicedouble::Exchange& e) {
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<Code>1</Code><Desc>成功</Desc>")};
    });
    tapAndSettle(home->restrictButton());
    EXPECT_TRUE(hudSaying("serviceBackMessage_failed"));
}

TEST_F(PhoneHomeTest, TheLocationButtonPushesTheMap)
{
    records.setStatus(kPhone, {});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    const size_t depth = home->navigationController()->viewControllers().size();
    ASSERT_TRUE(driver.tap(button(home, PhoneHomeViewCtrl::kLocationButtonTag)));
    settle();
    EXPECT_EQ(home->navigationController()->viewControllers().size(), depth + 1);
    EXPECT_NE(dynamic_cast<MapController*>(topScreen()), nullptr);
}

// The bar is made at the start, before the login, so the phone's tabs are
// chosen with the start set's five buttons, drawn on the bar's background.
TEST_F(PhoneHomeTest, TheCustomTabBarShowsTheStartSetsButtonsOverThePhonesTabs)
{
    records.setStatus(kPhone, {});
    ASSERT_NE(openPhone(), nullptr);
    ASSERT_TRUE(customTabBarShows());
    Ulvo_UITabBar* tabs = app()->tabBarController.get();
    EXPECT_TRUE(driver.find<UIImageView>([&](UIImageView& v) {
        return v.superview() == tabs->customTabBarView() && v.image &&
               v.image->name() == UIImage::imageNamed("tubiaoditu.png")->name();
    }));
    const auto& start = nemkAppDelegate::startTabs();
    ASSERT_EQ(tabs->buttons().size(), start.size());
    for (size_t i = 0; i < start.size(); ++i) {
        UIButton* button = tabs->buttons()[i].get();
        auto image = button->imageForState(UIControlStateNormal);
        ASSERT_TRUE(image) << "button " << i;
        EXPECT_EQ(image->name(), UIImage::imageNamed(start[i].image)->name()) << "button " << i;
        auto* title = driver.find<UILabel>([&](UILabel& l) { return l.superview() == button; });
        ASSERT_NE(title, nullptr) << "button " << i;
        EXPECT_GT(title->text().length(), 0u) << "button " << i;
    }
    EXPECT_TRUE(customTabBarTakesATap());
}

class PhoneHomeSnapshot : public PhoneTest {
protected:
    PhoneHomeSnapshot() : PhoneTest(true) {}
};

TEST_F(PhoneHomeSnapshot, HomeAndAlertList)
{
    records.setStatus(kPhone, {"1", "3", "2", "0", "2", "0", "1"});
    PhoneHomeViewCtrl* home = openPhone();
    ASSERT_NE(home, nullptr);
    EXPECT_TRUE(snapshot::viewMatchesExpected(app()->window.get(), "tests/phone/snapshots/phone-home"));
    ASSERT_TRUE(driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kAlertButtonTag)));
    EXPECT_TRUE(snapshot::viewMatchesExpected(app()->window.get(), "tests/phone/snapshots/alert-list"));
}

}  // namespace
