// The phone's "more" menu and the screens it opens, driven as a parent uses
// them: the disclaimer, the family numbers (list, add through the alert,
// delete after a long press) and the sync interval.

#include "phone/FamilyViewController.h"
#include "phone/PhoneMoreViewController.h"
#include "phone/UserSettingController.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "tests/phone/PhoneFixture.h"

using namespace phonetest;

namespace {

class PhoneMoreTest : public PhoneTest {
protected:
    explicit PhoneMoreTest(bool realTexts = false) : PhoneTest(realTexts) {}

    PhoneMoreViewController* openMenu()
    {
        if (!openPhone()) return nullptr;
        return openTab<PhoneMoreViewController>();
    }
    template <class T>
    T* openRow(UILabel* caption)
    {
        EXPECT_TRUE(tapRow(caption));
        settle();
        return dynamic_cast<T*>(topScreen());
    }
    FamilyViewController* openFamily()
    {
        PhoneMoreViewController* menu = openMenu();
        return menu ? openRow<FamilyViewController>(menu->lblRelatives.get()) : nullptr;
    }
    UserSettingController* openSync()
    {
        PhoneMoreViewController* menu = openMenu();
        return menu ? openRow<UserSettingController>(menu->lblSysTimeSetting.get()) : nullptr;
    }
    std::vector<NSString> numbersShown(FamilyViewController* family) const
    {
        std::vector<NSString> out;
        for (const auto& row : family->tableData) out.push_back(row->phoneNo());
        return out;
    }
    UITableViewCell* cellShowing(FamilyViewController* family, const char* number) const
    {
        return driver.find<UITableViewCell>([&](UITableViewCell& c) {
            auto* label = dynamic_cast<UILabel*>(c.viewWithTag(FamilyViewController::kNumberTag));
            return label && label->text() == NSString(number);
        });
    }
    void longPress(UIView* view)
    {
        const CGPoint at = view->convertPoint(CGPointMake(10, 10), nullptr);
        for (const auto& g : view->gestureRecognizers()) {
            g->recognize(UIGestureRecognizerStateBegan, at);
            g->recognize(UIGestureRecognizerStateEnded, at);
        }
    }
    // Opens the add alert and types into its two fields.
    void typeNumber(FamilyViewController* family, const char* number, const char* name)
    {
        ASSERT_TRUE(driver.tap(family->btnAdd.get()));
        ASSERT_TRUE(family->phoneNo_ && family->phoneName_);
        driver.type(family->phoneNo_.get(), number);
        driver.type(family->phoneName_.get(), name);
    }
    // Back to the menu with the screen's Back button, and the family numbers
    // opened again from there.
    FamilyViewController* reopenFamily(FamilyViewController* family)
    {
        EXPECT_TRUE(driver.tap(family->navigationItem()->leftBarButtonItem->customView.get()));
        settle();
        auto* menu = dynamic_cast<PhoneMoreViewController*>(topScreen());
        return menu ? openRow<FamilyViewController>(menu->lblRelatives.get()) : nullptr;
    }
    // The numbers the service holds and has not deleted, as "number name".
    std::vector<std::string> numbersHeld() const
    {
        std::vector<std::string> out;
        for (const auto& f : records.family(kPhoneUser))
            if (f.isDel == "0") out.push_back(f.phoneNo + " " + f.phoneName);
        return out;
    }
    void pressAndSettle(NSInteger index)
    {
        driver.pressAlertButton(index);
        NSThread::joinDetachedThreads(10);
        driver.pumpUntil([] { return false; }, 0.05);
    }
};

TEST_F(PhoneMoreTest, EveryRowHidesTheTabBarFirstAndPushesAFreshScreen)
{
    PhoneMoreViewController* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->lblSysTimeSetting->text(), NSString("sysSetting_title"));
    auto topsWhenPosted = std::make_shared<std::vector<UIViewController*>>();
    auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
        "hideCustomTabBar", nullptr, [this, topsWhenPosted](const std::shared_ptr<NSNotification>&) {
            topsWhenPosted->push_back(topScreen());
        });
    // Gone with the test, however it ends.
    std::shared_ptr<void> unobserve(nullptr, [token](void*) { NSNotificationCenter::defaultCenter()->removeObserver(token.get()); });
    auto* first = openRow<DisclaimerViewController>(menu->lblDisclaimer.get());
    ASSERT_NE(first, nullptr);
    // Weak, so the freed first screen's address is never compared with a new one's.
    std::weak_ptr<NSObject> firstScreen = first->shared_from_this();
    ASSERT_EQ(topsWhenPosted->size(), 1u);
    EXPECT_EQ((*topsWhenPosted)[0], menu);  // posted before the push
    EXPECT_TRUE(first->hidesBottomBarWhenPushed());
    EXPECT_EQ(first->disclaimer->text(), NSString("app_appdisclaimer"));
    EXPECT_EQ(first->webDesc->text(), NSString(DisclaimerViewController::kWebAddress));
    EXPECT_EQ(first->teleDesc->text(), NSString(DisclaimerViewController::kHotline));
    EXPECT_GT(first->disclaimer->contentSize().height, 0);

    ASSERT_TRUE(driver.tap(first->navigationItem()->leftBarButtonItem->customView.get()));
    settle();
    EXPECT_EQ(topScreen(), menu);
    auto* second = openRow<DisclaimerViewController>(menu->lblDisclaimer.get());
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(firstScreen.expired() || firstScreen.lock().get() != second);
}

// Every row's screen covers the custom tab bar while it shows, and its Back
// button brings the bar back on the menu, under the finger again.
TEST_F(PhoneMoreTest, BackFromEveryRowsScreenBringsTheTabBarBack)
{
    PhoneMoreViewController* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    for (UILabel* row : {menu->lblName.get(), menu->lblAboutUs.get(), menu->lblInvite.get(), menu->lblProtectSetting.get(), menu->lblRelatives.get(),
                         menu->lblDisclaimer.get(), menu->lblSysTimeSetting.get()}) {
        SCOPED_TRACE(row->text().str());
        ASSERT_EQ(openTab<PhoneMoreViewController>(), menu);
        ASSERT_TRUE(customTabBarShows());
        UIViewController* opened = openRow<UIViewController>(row);
        ASSERT_NE(opened, menu);
        EXPECT_FALSE(customTabBarShows());
        UIBarButtonItem* back = opened->navigationItem()->leftBarButtonItem.get();
        ASSERT_NE(back, nullptr);
        ASSERT_TRUE(driver.tap(back->customView.get()));
        settle();
        EXPECT_EQ(topScreen(), menu);
        EXPECT_TRUE(customTabBarTakesATap());
    }
}

TEST_F(PhoneMoreTest, FamilyNumbersListAddAndRefuse)
{
    FamilyViewController* family = openFamily();
    ASSERT_NE(family, nullptr);
    // The deleted number is not shown; the school number is, on its blue ground.
    EXPECT_EQ(numbersShown(family), (std::vector<NSString>{"13800138001", "01062751234"}));
    EXPECT_NE(lastMessage("RQFamilyPhone").find("<DataDate>2011-01-01</DataDate>"), std::string::npos);
    UITableViewCell* school = cellShowing(family, "01062751234");
    ASSERT_NE(school, nullptr);
    EXPECT_NE(school->backgroundView(), nullptr);
    EXPECT_EQ(cellShowing(family, "13800138001")->backgroundView(), nullptr);
    EXPECT_EQ(static_cast<UILabel*>(school->viewWithTag(FamilyViewController::kDateTag))->text(), NSString("2026-11-28"));

    // Refused entries send nothing.
    const struct {
        const char* number;
        const char* name;
        const char* refusal;
    } refused[] = {
        {"123456", "Gran", "familyviewctrl_phonenumbererr"},        {"123456789012", "Gran", "familyviewctrl_phonenumbererr"},
        {"+1371234567", "Gran", "familyviewctrl_phonenumbererr"},   {"137 1234567", "Gran", "familyviewctrl_phonenumbererr"},
        {"", "Gran", "familyviewctrl_phonenumbererr"},              {"13712345678", "", "familyviewctrl_nameempty"},
    };
    for (const auto& r : refused) {
        typeNumber(family, r.number, r.name);
        pressAndSettle(0);
        EXPECT_TRUE(hudSaying(r.refusal)) << r.number << " / " << r.name;
        settle();
    }
    EXPECT_EQ(exchangesOf("ADFamilyPhone"), 0u);

    // Cancel sends nothing either.
    typeNumber(family, "1234567", "Neighbour");
    pressAndSettle(1);
    EXPECT_EQ(exchangesOf("ADFamilyPhone"), 0u);

    typeNumber(family, "13712345678", "Gran & Grandpa");
    pressAndSettle(0);
    settle();
    EXPECT_EQ(exchangesOf("ADFamilyPhone"), 1u);
    const std::string sent = lastMessage("ADFamilyPhone");
    EXPECT_NE(sent.find("<PhoneNo>13712345678</PhoneNo><PhoneName>Gran &amp; Grandpa</PhoneName>"), std::string::npos);
    EXPECT_EQ(numbersShown(family), (std::vector<NSString>{"13800138001", "01062751234", "13712345678"}));
}

// A number added and one deleted as the parent does stay so: the screen
// opened again from the menu lists what the service holds.
TEST_F(PhoneMoreTest, FamilyNumbersAddedAndDeletedStaySoWhenTheScreenIsOpenedAgain)
{
    FamilyViewController* family = openFamily();
    ASSERT_NE(family, nullptr);
    typeNumber(family, "13712345678", "Gran");
    pressAndSettle(0);
    settle();
    family = reopenFamily(family);
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(numbersShown(family), (std::vector<NSString>{"13800138001", "01062751234", "13712345678"}));
    EXPECT_EQ(numbersHeld(), (std::vector<std::string>{"13800138001 Mum", "01062751234 Class teacher", "13712345678 Gran"}));

    longPress(cellShowing(family, "13800138001"));
    pressAndSettle(0);
    settle();
    family = reopenFamily(family);
    ASSERT_NE(family, nullptr);
    EXPECT_EQ(numbersShown(family), (std::vector<NSString>{"01062751234", "13712345678"}));
    EXPECT_EQ(numbersHeld(), (std::vector<std::string>{"01062751234 Class teacher", "13712345678 Gran"}));
    EXPECT_NE(cellShowing(family, "13712345678"), nullptr);
}

// The interval saved is the one the screen shows when it is opened again.
TEST_F(PhoneMoreTest, TheSyncIntervalSavedIsShownWhenOpenedAgain)
{
    UserSettingController* sync = openSync();
    ASSERT_NE(sync, nullptr);
    ASSERT_EQ(sync->textTime->text(), NSString("30"));
    sync->textTime->setText("");
    driver.type(sync->textTime.get(), "45");
    ASSERT_TRUE(driver.tap(sync->btnSave.get()));
    settle();
    ASSERT_EQ(records.syncTime(kPhone), "45");
    ASSERT_TRUE(driver.tap(sync->navigationItem()->leftBarButtonItem->customView.get()));
    settle();
    auto* menu = dynamic_cast<PhoneMoreViewController*>(topScreen());
    ASSERT_NE(menu, nullptr);
    sync = openRow<UserSettingController>(menu->lblSysTimeSetting.get());
    ASSERT_NE(sync, nullptr);
    EXPECT_EQ(sync->textTime->text(), NSString("45"));
}

TEST_F(PhoneMoreTest, TheFieldsStopAtSixteenCharacters)
{
    FamilyViewController* family = openFamily();
    ASSERT_NE(family, nullptr);
    ASSERT_TRUE(driver.tap(family->btnAdd.get()));
    UITextField* name = family->phoneName_.get();
    driver.type(name, "abcdefghijklmnopqrst");
    EXPECT_EQ(name->text(), NSString("abcdefghijklmnop"));
    // A paste that would take it past the limit is refused whole; a deletion is taken.
    EXPECT_EQ(family->textField_shouldChangeCharactersInRange_replacementString(name, NSMakeRange(0, 1), "xyz"),
              std::optional<bool>(false));
    EXPECT_EQ(family->textField_shouldChangeCharactersInRange_replacementString(name, NSMakeRange(15, 1), ""),
              std::optional<bool>(true));
    EXPECT_EQ(family->textField_shouldChangeCharactersInRange_replacementString(name, NSMakeRange(0, 3), "xyz"),
              std::optional<bool>(true));
}

TEST_F(PhoneMoreTest, ALongPressDeletesAFamilyNumberButNeverASchoolNumber)
{
    FamilyViewController* family = openFamily();
    ASSERT_NE(family, nullptr);
    longPress(cellShowing(family, "01062751234"));
    auto* alert = dynamic_cast<UIAlertView*>(driver.visibleAlert());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->numberOfButtons(), 1);
    EXPECT_EQ(alert->message, NSString("familyviewctrl_schoolnumber01062751234 familyviewctrl_cannotdelete"));
    pressAndSettle(0);
    EXPECT_EQ(exchangesOf("DLFamilyPhone"), 0u);

    // A cell left over from an earlier list asks nothing.
    auto stale = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "infoCell");
    auto press = UIGestureRecognizer::initWithTarget<UILongPressGestureRecognizer>(
        std::static_pointer_cast<NSObject>(family->shared_from_this()), NX_SEL(FamilyViewController, cellLongPress));
    stale->addGestureRecognizer(press);
    press->recognize(UIGestureRecognizerStateBegan, CGPointMake(5, 5));
    EXPECT_EQ(driver.visibleAlert(), nullptr);

    longPress(cellShowing(family, "13800138001"));
    alert = dynamic_cast<UIAlertView*>(driver.visibleAlert());
    ASSERT_NE(alert, nullptr);
    EXPECT_EQ(alert->message, NSString("familyviewctrl_suretodelete13800138001 ?"));
    pressAndSettle(0);
    settle();
    EXPECT_NE(lastMessage("DLFamilyPhone").find("<PhoneNo>13800138001</PhoneNo>"), std::string::npos);
    EXPECT_EQ(numbersShown(family), (std::vector<NSString>{"01062751234"}));
}

TEST_F(PhoneMoreTest, TheSyncIntervalRefusesZeroAndStoresFifteen)
{
    UserSettingController* sync = openSync();
    ASSERT_NE(sync, nullptr);
    EXPECT_EQ(sync->textTime->text(), NSString("30"));
    const std::string read = lastMessage("RQUserSetting");
    EXPECT_NE(read.find(std::string("<Equipid>") + kPhone + "</Equipid><ParaName>SyncTime</ParaName>"), std::string::npos);

    for (const auto& [typed, refusal] : {std::pair{"0", "sysSetting_nozero"}, std::pair{"", "sysSetting_warn"}}) {
        sync->textTime->setText("");
        driver.type(sync->textTime.get(), typed);
        ASSERT_TRUE(driver.tap(sync->btnSave.get()));
        EXPECT_TRUE(hudSaying(refusal));
        driver.advanceClock(0.9);
        EXPECT_TRUE(hudSaying(refusal));  // shown for a second
        settle();
        EXPECT_FALSE(hudSaying(refusal));
    }
    EXPECT_EQ(exchangesOf("UDUserSetting"), 0u);

    sync->textTime->setText("");
    driver.type(sync->textTime.get(), "15");
    ASSERT_TRUE(driver.tap(sync->btnSave.get()));
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([&] { return hudSaying("serviceBackMessage_ok") != nullptr; }, 5);
    EXPECT_TRUE(hudSaying("serviceBackMessage_ok"));
    EXPECT_EQ(records.syncTime(kPhone), "15");
    settle();

    // "成功" with a failing code is a failure.
    service.on("UDUserSetting", [](const servicedouble::Exchange& e) {
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, "<Code>1</Code><Desc>成功</Desc>")};
    });
    ASSERT_TRUE(driver.tap(sync->btnSave.get()));
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([&] { return hudSaying("serviceBackMessage_failed") != nullptr; }, 5);
    EXPECT_TRUE(hudSaying("serviceBackMessage_failed"));
}

TEST_F(PhoneMoreTest, AReadWithoutMinutesShowsTen)
{
    service.reply("RQUserSetting", "");
    UserSettingController* sync = openSync();
    ASSERT_NE(sync, nullptr);
    EXPECT_EQ(sync->textTime->text(), NSString("10"));
}

class PhoneMoreSnapshot : public PhoneMoreTest {
protected:
    PhoneMoreSnapshot() : PhoneMoreTest(true) {}
    bool looks(const char* name) const
    {
        return snapshot::viewMatchesExpected(app()->window.get(), std::string("tests/phone/snapshots/") + name);
    }
};

TEST_F(PhoneMoreSnapshot, MenuDisclaimerFamilyAndSync)
{
    PhoneMoreViewController* menu = openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(looks("more-menu"));
    auto* disclaimer = openRow<DisclaimerViewController>(menu->lblDisclaimer.get());
    ASSERT_NE(disclaimer, nullptr);
    EXPECT_TRUE(looks("disclaimer"));
    ASSERT_TRUE(driver.tap(disclaimer->navigationItem()->leftBarButtonItem->customView.get()));
    settle();

    auto* family = openRow<FamilyViewController>(menu->lblRelatives.get());
    ASSERT_NE(family, nullptr);
    EXPECT_TRUE(looks("family-numbers"));
    typeNumber(family, "13712345678", "Gran");
    EXPECT_TRUE(looks("family-add"));
    pressAndSettle(1);
    settle();
    ASSERT_TRUE(driver.tap(family->navigationItem()->leftBarButtonItem->customView.get()));
    settle();

    auto* sync = openRow<UserSettingController>(menu->lblSysTimeSetting.get());
    ASSERT_NE(sync, nullptr);
    EXPECT_TRUE(looks("sync-interval"));
}

}  // namespace
