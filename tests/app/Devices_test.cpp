// The device list and chooser against the double: rows, renaming, removal,
// binding, a new number and the package checks.

#include <condition_variable>
#include <mutex>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "protocol/Constant.h"
#include "tests/app/AppFixture.h"

namespace {

using apptest::AppTest;

class DevicesTest : public AppTest {
protected:
    EquipSelectController* chooser()
    {
        launchToLogin();
        driver.pressAlertButton(1);
        return logIn();
    }
    void longPress(EquipListViewController* list, NSInteger row)
    {
        driver.layout();
        auto cell = list->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(row, 0));
        ASSERT_TRUE(cell);
        cell->gestureRecognizers().front()->recognize(UIGestureRecognizerStateBegan, cell->convertPoint(CGPointMake(10, 10), nullptr));
    }
    // Each listed device as "BID Nick".
    static std::vector<std::string> shown(EquipListViewController* list)
    {
        std::vector<std::string> out;
        for (const auto& d : list->list()) out.push_back(d->typeName().str() + " " + d->typeNick().str());
        return out;
    }
    // Types the number into the chooser's bind dialog and confirms it.
    void bind(EquipSelectController* select, const char* number)
    {
        ASSERT_TRUE(driver.tap(select->btnAdd.get()));
        ASSERT_TRUE(select->equiBID);
        driver.type(select->equiBID.get(), number);
        driver.pressAlertButton(0);
    }
    // Logs out with the chooser's button and in again: the new chooser, its
    // devices read.
    EquipSelectController* logOutAndIn(EquipSelectController* select)
    {
        EXPECT_TRUE(driver.tap(select->btnLogout->customView.get()));
        EXPECT_TRUE(alertSays("equipselect_suretologout"));
        driver.pressAlertButton(0);
        return logIn();
    }
    const servicedouble::Exchange* last(const std::string& type) const
    {
        static servicedouble::Exchange found;
        bool any = false;
        for (const auto& e : service.exchanges())
            if (e.type == type) found = e, any = true;
        return any ? &found : nullptr;
    }
};

TEST(DeviceNickname, DisplayWidthCountsAsciiAsHalf)
{
    const struct {
        const char* text;
        int width;
    } cases[] = {
        {"", 0},
        {"a", 1},
        {"abcdefghijklmnopqrst", 10},                   // 20 ASCII letters: sent
        {"abcdefghijklmnopqrstu", 11},                  // 21: refused
        {"\u5b66\u4e60\u7535\u8111\u5b66\u4e60\u7535\u8111\u5b66\u4e60", 10},  // 10 Chinese characters
        {"\u5b66\u4e60\u7535\u8111\u5b66\u4e60\u7535\u8111\u5b66abc", 11},     // 9 and 3 ASCII: refused
    };
    for (const auto& c : cases) EXPECT_EQ(EquipListViewController::stringLengthCount(c.text), c.width) << c.text;
}

TEST_F(DevicesTest, RenameSignsWithTheRowsUserAndKeepsTheChosenDevice)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    Constant::setUserID("1002");  // the device chosen earlier
    longPress(list, 0);
    ASSERT_EQ(driver.visibleAlert(), list->sheet());
    EXPECT_EQ(Constant::userID(), NSString("1002"));
    // Closing the sheet without a request changes nothing.
    list->sheet()->dismissWithClickedButtonIndex(0, false);
    EXPECT_EQ(Constant::userID(), NSString("1002"));

    longPress(list, 0);
    list->showEditNick();
    auto* field = driver.find<UITextField>([](UITextField& f) { return f.text() == NSString("Study PC"); });
    ASSERT_NE(field, nullptr);
    field->setText("Den PC");
    driver.pressAlertButton(0);
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("RQManageUser") == 2 && list->list().size() == 3; }));
    const auto* rename = last("UDManageUser");
    EXPECT_EQ(rename->sender, "1001");
    EXPECT_NE(rename->message.find("<BID>PC-HOME-01</BID><Nick>DenPC</Nick>"), std::string::npos);
    EXPECT_EQ(Constant::userID(), NSString("1002"));
    EXPECT_TRUE(hudSaying("serviceBackMessage_ok"));

    // A name too wide is refused at once.
    longPress(list, 1);
    list->showEditNick();
    auto* second = driver.find<UITextField>([](UITextField& f) { return f.text() == NSString("Tom's phone"); });
    ASSERT_NE(second, nullptr);
    second->setText("abcdefghijklmnopqrstu");
    driver.pressAlertButton(0);
    EXPECT_TRUE(hudSaying("equiplist_devicenickNametoolong"));
    EXPECT_EQ(exchangesOf("UDManageUser"), 1u);
}

TEST_F(DevicesTest, RemovalRefusesTheOwnNumberAndRefetchesOtherwise)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    service.reply("RQManageUser",
                  "<List><UserID>1009</UserID><BID>13800138000</BID><Nick>Me</Nick><IsOnline>1</IsOnline><TaoCan>A</TaoCan>"
                  "<EquipType>Phone</EquipType><ManageType>Home</ManageType></List>"
                  "<List><UserID>1003</UserID><BID>PC-CLASS-07</BID><Nick>(null)</Nick><IsOnline>0</IsOnline><TaoCan>B</TaoCan>"
                  "<EquipType>PC</EquipType><ManageType>School</ManageType></List>");
    list->reload();
    ASSERT_TRUE(driver.pumpUntil([&] { return list->list().size() == 2; }));
    EXPECT_TRUE(driver.viewWithText("equiplist_deviceoffline"));  // "(null)" shows no nickname part

    list->deleteListItemByListIndex(0);
    EXPECT_TRUE(alertSays("equiplist_shouldnotdeleteself"));
    driver.pressAlertButton(0);
    list->tableView()->commitDelete(NSIndexPath::indexPathForRow(1, 0));
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("DLManageUser") == 1; }));
    EXPECT_NE(last("DLManageUser")->message.find("<BID>PC-CLASS-07</BID>"), std::string::npos);
    EXPECT_EQ(last("DLManageUser")->sender, "1003");
}

// A rename and a removal of two other rows at once: each goes under its row's
// user ID, and the stored ID every other request goes under stays the chosen
// device's all along.
TEST_F(DevicesTest, OverlappingUpdatesOfTwoRowsLeaveTheChosenDeviceAlone)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    service.reply("RQManageUser",
                  "<List><UserID>1003</UserID><BID>PC-CLASS-07</BID><Nick>Class</Nick><IsOnline>0</IsOnline><TaoCan>B</TaoCan>"
                  "<EquipType>PC</EquipType><ManageType>School</ManageType></List>"
                  "<List><UserID>1004</UserID><BID>PC-DEN-02</BID><Nick>Den</Nick><IsOnline>1</IsOnline><TaoCan>A</TaoCan>"
                  "<EquipType>PC</EquipType><ManageType>Home</ManageType></List>");
    list->reload();
    ASSERT_TRUE(driver.pumpUntil([&] { return list->list().size() == 2; }));
    Constant::setUserID("1002");  // the device chosen earlier

    // The rename's reply waits until the removal has arrived, so both are in
    // flight together; each notes the stored ID while it is on the wire.
    std::mutex m;
    std::condition_variable cv;
    bool removalArrived = false;
    std::vector<std::string> storedDuring;
    const std::string done = "<Code>0</Code><Desc>ok</Desc>";
    service.on("UDManageUser", [&](const servicedouble::Exchange& e) {
        std::unique_lock lock(m);
        storedDuring.push_back(Constant::userID().str());
        cv.wait_for(lock, std::chrono::seconds(10), [&] { return removalArrived; });
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, done)};
    });
    service.on("DLManageUser", [&](const servicedouble::Exchange& e) {
        std::lock_guard lock(m);
        storedDuring.push_back(Constant::userID().str());
        removalArrived = true;
        cv.notify_all();
        return servicedouble::Reply{servicedouble::ServiceDouble::innerReply(e, done)};
    });

    longPress(list, 0);
    list->showEditNick();
    auto* field = driver.find<UITextField>([](UITextField& f) { return f.text() == NSString("Class"); });
    ASSERT_NE(field, nullptr);
    field->setText("Lab");
    driver.pressAlertButton(0);
    ASSERT_TRUE(driver.pumpUntil([&] {
        std::lock_guard lock(m);
        return !storedDuring.empty();
    }));
    list->deleteListItemByListIndex(1);
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("UDManageUser") == 1 && exchangesOf("DLManageUser") == 1; }));
    NSThread::joinDetachedThreads(10);

    EXPECT_EQ(last("UDManageUser")->sender, "1003");
    EXPECT_EQ(last("DLManageUser")->sender, "1004");
    EXPECT_EQ(storedDuring, (std::vector<std::string>{"1002", "1002"}));
    EXPECT_EQ(Constant::userID(), NSString("1002"));
}

// The chooser's switch-account button lays a fresh login screen over the
// chooser, curling up; signing in there lays that login's own chooser on top.
TEST_F(DevicesTest, SwitchAccountLaysAFreshLoginOverTheChooser)
{
    EquipSelectController* select = chooser();
    LoginViewController* first = login();
    ASSERT_EQ(first->equipSelecter(), select);
    ASSERT_TRUE(driver.tap(select->btnSwitchAccount.get()));
    driver.advanceClock(0.5);
    UIView* login = select->view()->viewWithTag(EquipSelectController::kLoginViewTag);
    ASSERT_NE(login, nullptr);
    EXPECT_EQ(login->superview(), select->view().get());
    EXPECT_EQ(select->view()->subviews().back().get(), login);
    auto* fresh = dynamic_cast<LoginViewController*>(login->viewController());
    ASSERT_NE(fresh, nullptr);
    EXPECT_NE(fresh, first);

    const size_t logins = exchangesOf("Login");
    typeLogin(fresh, apptest::kDemoUser, apptest::kDemoPassword);
    ASSERT_TRUE(driver.pumpUntil([&] { return fresh->equipSelecter() && fresh->equipSelecter()->gameView() &&
                                              !fresh->equipSelecter()->gameView()->list().empty(); }));
    EXPECT_EQ(exchangesOf("Login"), logins + 1);
    EXPECT_TRUE(fresh->equipSelecter()->view()->isDescendantOfView(login));
}

TEST_F(DevicesTest, OverlappingFetchesAndReloadsNeitherDuplicateRowsNorStackLabels)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    for (int i = 0; i < 5; ++i) list->reload();
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("RQManageUser") == 6 && list->list().size() == 3; }));
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([] { return false; }, 0.2);
    EXPECT_EQ(list->list().size(), 3u);
    auto cell = list->tableView()->cellForRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0));
    ASSERT_TRUE(cell);
    int lines = 0;
    for (const auto& v : cell->contentView()->subviews())
        lines += v->tag() == EquipListViewController::kLine1Tag || v->tag() == EquipListViewController::kLine2Tag;
    EXPECT_EQ(lines, 2);
    EXPECT_EQ(select->scrollView->contentSize().height, 165);
}

// A device renamed and one removed as the parent does are so on the service:
// the chooser's refresh and a new login's chooser list them as changed.
TEST_F(DevicesTest, ARenamedAndARemovedDeviceStaySoAfterARefreshAndANewLogin)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    longPress(list, 0);
    list->showEditNick();
    auto* field = driver.find<UITextField>([](UITextField& f) { return f.text() == NSString("Study PC"); });
    ASSERT_NE(field, nullptr);
    field->setText("Den PC");
    driver.pressAlertButton(0);
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("RQManageUser") == 2 && list->list().size() == 3; }));
    EXPECT_EQ(list->list()[0]->typeNick(), NSString("DenPC"));
    driver.advanceClock(3);
    ASSERT_TRUE(list->tableView()->commitDelete(NSIndexPath::indexPathForRow(2, 0)));
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("RQManageUser") == 3 && list->list().size() == 2; }));
    driver.advanceClock(3);

    const std::vector<std::string> kept{"PC-HOME-01 DenPC", "13900139000 Tom's phone"};
    UIButton* refresh = driver.buttonWithTitle("equipselect_refresh");
    ASSERT_NE(refresh, nullptr);
    ASSERT_TRUE(driver.tap(refresh));
    list = select->gameView();
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("RQManageUser") == 4 && list->list().size() == 2; }));
    EXPECT_EQ(shown(list), kept);

    NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
    select = logIn();
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(shown(select->gameView()), kept);
    const std::string held = last("RQManageUser")->reply;
    EXPECT_NE(held.find("<BID>PC-HOME-01</BID><Nick>DenPC</Nick>"), std::string::npos) << held;
    EXPECT_EQ(held.find("PC-CLASS-07"), std::string::npos) << held;
}

// A device bound as the parent does is the service's: the chooser lists it
// after the bind, and again after logging out and in.
TEST_F(DevicesTest, ABoundDeviceIsListedAfterTheBindAndAfterANewLogin)
{
    ASSERT_TRUE(accounts->setPackage(apptest::kDemoUser, {"A", "180", "3"}));
    EquipSelectController* select = chooser();
    bind(select, "13700137000");
    ASSERT_TRUE(waitForHud("equipselect_requestsend"));
    ASSERT_TRUE(driver.pumpUntil([&] { return select->gameView()->list().size() == 4; }));
    const std::vector<std::string> withBound{"PC-HOME-01 Study PC", "13900139000 Tom's phone", "PC-CLASS-07 Class 7 PC",
                                             "13700137000 "};
    EXPECT_EQ(shown(select->gameView()), withBound);
    EXPECT_EQ(last("ADCmd")->sender, apptest::kDemoUser);
    driver.layout();
    EXPECT_TRUE(driver.viewWithText("(13700137000)-equiplist_homeuser"));
    driver.advanceClock(3);

    select = logOutAndIn(select);
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(shown(select->gameView()), withBound);
    EXPECT_NE(last("RQManageUser")->reply.find("<BID>13700137000</BID>"), std::string::npos);
}

// The chooser's Refresh on its way while the parent binds a device: what the
// chooser lists, and the room it gives the list, are those after the bind.
TEST_F(DevicesTest, ADeviceBoundWhileARefreshIsOnItsWayStaysListed)
{
    ASSERT_TRUE(accounts->setPackage(apptest::kDemoUser, {"A", "180", "3"}));
    EquipSelectController* select = chooser();
    service.hold("RQManageUser");
    UIButton* refresh = driver.buttonWithTitle("equipselect_refresh");
    ASSERT_NE(refresh, nullptr);
    ASSERT_TRUE(driver.tap(refresh));
    ASSERT_TRUE(service.waitForHeld("RQManageUser"));
    bind(select, "13700137000");
    ASSERT_TRUE(driver.pumpUntil([&] { return select->gameView()->list().size() == 4; }));
    service.release("RQManageUser");
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([] { return false; }, 0.2);

    EXPECT_EQ(shown(select->gameView()).back(), "13700137000 ");
    EXPECT_EQ(select->scrollView->contentSize().height, 4 * 55);
    driver.layout();
    EXPECT_TRUE(driver.viewWithText("(13700137000)-equiplist_homeuser"));
}

// A device given a new number as the parent does keeps it on the service:
// the list after the change and a new login's list show the new number.
TEST_F(DevicesTest, ANewNumberGivenToADeviceIsListedAfterTheChangeAndAfterANewLogin)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    longPress(list, 1);
    list->showEditDevice();  // the sheet offers no button for it
    auto* field = driver.find<UITextField>([](UITextField& f) { return f.text() == NSString("13900139000"); });
    ASSERT_NE(field, nullptr);
    field->setText("");
    driver.type(field, "139 0013 9009");
    driver.pressAlertButton(0);
    ASSERT_TRUE(waitForHud("serviceBackMessage_ok"));
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("RQManageUser") == 2 && list->list().size() == 3; }));
    EXPECT_EQ(last("UDEquip")->sender, "1002");
    EXPECT_NE(last("UDEquip")->message.find("<OldId>13900139000</OldId><NewId>13900139009</NewId>"), std::string::npos);
    const std::vector<std::string> renumbered{"PC-HOME-01 Study PC", "13900139009 Tom's phone", "PC-CLASS-07 Class 7 PC"};
    EXPECT_EQ(shown(list), renumbered);
    driver.layout();
    EXPECT_TRUE(driver.viewWithText("(13900139009)-equiplist_homeuser"));
    driver.advanceClock(3);

    select = logOutAndIn(select);
    ASSERT_NE(select, nullptr);
    EXPECT_EQ(shown(select->gameView()), renumbered);
    const std::string held = last("RQManageUser")->reply;
    EXPECT_NE(held.find("<BID>13900139009</BID>"), std::string::npos) << held;
    EXPECT_EQ(held.find("13900139000"), std::string::npos) << held;
}

TEST_F(DevicesTest, PackageChecksBeforeTheTabSet)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    // A School device with package B goes straight on.
    list->tableView()->tapRow(NSIndexPath::indexPathForRow(2, 0));
    EXPECT_EQ(login(), nullptr);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey("DeviceId"), NSString("PC-CLASS-07"));
}

TEST_F(DevicesTest, PackageEndingSoonAlertsUntilNeverThisWeek)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    for (const char* days : {"11", "10"}) {
        Constant::setTaocanDays(days);
        const bool alerts = std::string(days) == "10";
        list->tableView()->tapRow(NSIndexPath::indexPathForRow(1, 0));
        EXPECT_EQ(driver.visibleAlert() != nullptr, alerts) << days;
        if (!alerts) {
            // Chosen: a fresh login and chooser for the next case.
            NSNotificationCenter::defaultCenter()->postNotificationName("initView", nullptr);
            select = logIn();
            list = select->gameView();
        }
    }
    EXPECT_EQ(driver.visibleAlert()->tag(), EquipListViewController::kPackageAlertTag);
    driver.pressAlertButton(1);  // not this week
    EXPECT_FALSE(Constant::isShowTaocanAlert());
    EXPECT_EQ(login(), nullptr);
}

TEST_F(DevicesTest, NonFullPackageStoresTheDeviceButStays)
{
    EquipSelectController* select = chooser();
    EquipListViewController* list = select->gameView();
    service.reply("RQManageUser", "<List><UserID>1005</UserID><BID>PC-B</BID><Nick>B</Nick><IsOnline>1</IsOnline><TaoCan>B</TaoCan>"
                                  "<EquipType>PC</EquipType><ManageType>Home</ManageType></List>");
    list->reload();
    ASSERT_TRUE(driver.pumpUntil([&] { return list->list().size() == 1; }));
    list->tableView()->tapRow(NSIndexPath::indexPathForRow(0, 0));
    EXPECT_TRUE(alertSays(" PC-Bequiplist_reachdate"));
    EXPECT_NE(login(), nullptr);
    EXPECT_EQ(NSUserDefaults::standardUserDefaults()->stringForKey("DeviceId"), NSString("PC-B"));
    EXPECT_EQ(Constant::userID(), NSString("1005"));
}

TEST_F(DevicesTest, BindingChecksTheCountAndTheNumber)
{
    EquipSelectController* select = chooser();
    // The demo account may have one home phone and already has two home devices.
    select->addEquip(nullptr);
    EXPECT_TRUE(alertSays("equipselect_devicecounttoaddonly1equipselect_homedevice"));
    driver.pressAlertButton(0);
    Constant::setMobileCount("5");
    struct Case {
        const char* number;
        const char* alert;  // nullptr: sent
    };
    for (const Case& c : {Case{"", "equipselect_emptydevicenumber"}, Case{"1234567890123456", "equipselect_lengthlimitother"},
                          Case{"123 456789012345", "equipselect_lengthlimitother"}, Case{"13 9001390001", nullptr}}) {
        select->addEquip(nullptr);
        select->equiBID->setText(c.number);
        driver.pressAlertButton(0);
        if (c.alert) {
            EXPECT_TRUE(alertSays(c.alert)) << c.number;
            driver.pressAlertButton(0);
        }
    }
    ASSERT_TRUE(driver.pumpUntil([&] { return exchangesOf("ADCmd") == 1 && hudSaying("equipselect_requestsend"); }));
}

}  // namespace
