// Invitations driven as a parent sends them: the list page by page, a
// contact picked from the address book or a number typed, the SMS composer,
// and the invitation recorded once the SMS has gone.

#include "phone/InviteFriendsViewController.h"
#include "phone/PhoneMoreViewController.h"
#include "tests/phone/PhoneFixture.h"

using namespace phonetest;

namespace {

ABRecordRef person(const char* last, const char* first, std::vector<NSString> phones)
{
    auto p = std::make_shared<ABRecord>();
    p->lastName = last ? NSString(last) : NSString();
    p->firstName = first ? NSString(first) : NSString();
    p->phones = std::move(phones);
    return p;
}

class InviteTest : public PhoneTest {
protected:
    explicit InviteTest(bool realTexts = false) : PhoneTest(realTexts)
    {
        MFMessageComposeViewController::setCanSendText(true);
        MFMessageComposeViewController::clearOutbox();
        ABAddressBook::setPeople({person("Wang", "Fang", {"13712345678"}),
                                  person("Li", "Lei", {"138-0000-0001", "139-1234 5678"}), person(nullptr, "Nobody", {})});
        std::vector<servicedouble::Invitation> sent;
        for (int i = 0; i < 10; ++i)
            sent.push_back({"1370000000" + std::to_string(i), "Friend " + std::to_string(i), "2026-12-0" + std::to_string(i % 9 + 1) + " 10:00:00"});
        records.setInvitations(kPhoneUser, sent);
    }
    ~InviteTest() override { ABAddressBook::setPeople({}); }

    InviteFriendsViewController* openInvitations()
    {
        if (!openPhone()) return nullptr;
        auto* menu = openTab<PhoneMoreViewController>();
        if (!menu) return nullptr;
        EXPECT_TRUE(tapRow(menu->lblInvite.get()));
        settle();
        return dynamic_cast<InviteFriendsViewController*>(topScreen());
    }
    std::vector<std::string> pagesAsked() const
    {
        std::vector<std::string> pages;
        for (const auto& e : service.exchanges())
            if (e.type == "RQSHF") {
                const size_t at = e.message.find("<PageIndex>");
                pages.push_back(e.message.substr(at + 11, e.message.find('<', at + 11) - at - 11));
            }
        return pages;
    }
    std::vector<NSString> numbersShown(InviteFriendsViewController* list) const
    {
        std::vector<NSString> out;
        for (const auto& row : list->tableData) out.push_back(row ? row->fID() : NSString("more"));
        return out;
    }
    // Scrolls the list to its end, where the placeholder asks for the next
    // page, and lets the page arrive.
    void scrollToEnd(InviteFriendsViewController* list)
    {
        UITableView* table = list->table.get();
        const CGFloat end = std::max<CGFloat>(0, table->contentSize().height - table->bounds().size.height);
        driver.scrollTo(table, CGPointMake(0, end));
        settle();
    }
    ABPeoplePickerNavigationController* picker(InviteFriendsViewController* list) const
    {
        return dynamic_cast<ABPeoplePickerNavigationController*>(list->navigationController()->modalViewController().get());
    }
    void pick(InviteFriendsViewController* list, const char* name)
    {
        auto* picker = this->picker(list);
        ASSERT_NE(picker, nullptr);
        for (size_t i = 0; i < picker->people().size(); ++i)
            if (picker->people()[i]->lastName == NSString(name)) {
                picker->list()->tableView()->tapRow(NSIndexPath::indexPathForRow(static_cast<NSInteger>(i), 0));
                break;
            }
        settle();
    }
    MFMessageComposeViewController* composer() const
    {
        return dynamic_cast<MFMessageComposeViewController*>(NXComposeViewController::visibleComposer().get());
    }
    // Opens the invite panel unless it is up.
    void openPanel(InviteFriendsViewController* list)
    {
        if (list->_verPanel->isPopup()) return;
        ASSERT_TRUE(driver.tap(list->btnAdd.get()));
        settle();
    }
    void inviteFromBook(InviteFriendsViewController* list, const char* name)
    {
        openPanel(list);
        ASSERT_TRUE(driver.tap(list->btnByTelephone.get()));
        settle();
        pick(list, name);
    }
};

TEST_F(InviteTest, APickedContactIsInvitedRecordedAndListedOnPageOneWithNoRowLost)
{
    InviteFriendsViewController* list = openInvitations();
    ASSERT_NE(list, nullptr);
    // Ten on page 1 and the placeholder; drawing it asks page 2, which is
    // empty (the last page of 10 is 2), so only the placeholder goes.
    EXPECT_TRUE(list->hasPlaceholder());
    scrollToEnd(list);
    EXPECT_EQ(pagesAsked().back(), "2");
    EXPECT_EQ(list->tableData.size(), 10u);
    EXPECT_FALSE(list->hasPlaceholder());

    inviteFromBook(list, "Wang");
    MFMessageComposeViewController* sms = composer();
    ASSERT_NE(sms, nullptr);
    EXPECT_EQ(sms->recipients(), (std::vector<NSString>{"13712345678"}));
    EXPECT_EQ(sms->body(), NSString("app_sharetofriendssf=13800138000~13712345678"));
    EXPECT_EQ(list->friendSelected, NSString("WangFang"));

    ASSERT_TRUE(driver.finishComposer(NXComposeSent));
    settle();
    settle();
    EXPECT_EQ(MFMessageComposeViewController::outbox().size(), 1u);
    EXPECT_NE(lastMessage("ADSHF").find("<FID>13712345678</FID><FNAME>WangFang</FNAME>"), std::string::npos);
    ASSERT_EQ(records.invitations(kPhoneUser).size(), 11u);
    // Page 1 again: the new invitation first, then the next page below the
    // placeholder, every one of the eleven shown once.
    ASSERT_FALSE(list->tableData.empty());
    ASSERT_TRUE(list->tableData.front());
    EXPECT_EQ(list->tableData.front()->fID(), NSString("13712345678"));
    scrollToEnd(list);
    std::vector<NSString> shown = numbersShown(list);
    EXPECT_EQ(shown.size(), 11u);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(std::unique(shown.begin(), shown.end()), shown.end());
}

TEST_F(InviteTest, ThePlaceholderDrawnAgainWhileAPageIsOnItsWayAsksOnce)
{
    std::vector<servicedouble::Invitation> many;
    for (int i = 0; i < 25; ++i) many.push_back({"1360000" + std::to_string(1000 + i), "F", "2026-12-01 10:00:00"});
    records.setInvitations(kPhoneUser, many);
    InviteFriendsViewController* list = openInvitations();
    ASSERT_NE(list, nullptr);
    // The placeholder drawn again while page 2 is on its way asks nothing more.
    UITableView* table = list->table.get();
    driver.scrollTo(table, CGPointMake(0, table->contentSize().height - table->bounds().size.height));
    table->reloadData();
    driver.scrollTo(table, CGPointMake(0, 0));
    driver.scrollTo(table, CGPointMake(0, table->contentSize().height - table->bounds().size.height));
    settle();
    scrollToEnd(list);
    scrollToEnd(list);
    const auto pages = pagesAsked();
    EXPECT_EQ(std::count(pages.begin(), pages.end(), "2"), 1);
    EXPECT_EQ(std::count(pages.begin(), pages.end(), "3"), 1);
    EXPECT_EQ(std::count(pages.begin(), pages.end(), "4"), 0);
    EXPECT_EQ(list->tableData.size(), 25u);
    std::vector<NSString> shown = numbersShown(list);
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(std::unique(shown.begin(), shown.end()), shown.end());
}

TEST_F(InviteTest, TheContactsLastNumberWithoutHyphensAndTheComposersEndings)
{
    InviteFriendsViewController* list = openInvitations();
    ASSERT_NE(list, nullptr);
    inviteFromBook(list, "Li");
    ASSERT_NE(composer(), nullptr);
    EXPECT_EQ(list->phoneSelected, NSString("1391234 5678"));
    EXPECT_EQ(list->friendSelected, NSString("LiLei"));
    ASSERT_TRUE(driver.finishComposer(NXComposeCancelled));
    EXPECT_TRUE(hudSaying("inviteviewctrl_sendcancel"));
    settle();
    EXPECT_EQ(exchangesOf("ADSHF"), 0u);

    inviteFromBook(list, "Wang");
    ASSERT_TRUE(driver.finishComposer(NXComposeFailed));
    NSThread::joinDetachedThreads(10);
    EXPECT_TRUE(hudSaying("inviteviewctrl_sendfail"));
    settle();
    EXPECT_EQ(exchangesOf("ADSHF"), 0u);

    // A refused record says so; the SMS has gone all the same.
    records.refuse("ADSHF");
    inviteFromBook(list, "Wang");
    ASSERT_TRUE(driver.finishComposer(NXComposeSent));
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([&] { return hudSaying("serviceBackMessage_failed") != nullptr; }, 5);
    EXPECT_TRUE(hudSaying("serviceBackMessage_failed"));
    settle();

    // Without SMS nothing is composed.
    MFMessageComposeViewController::setCanSendText(false);
    openPanel(list);
    ASSERT_TRUE(driver.tap(list->btnByTelephone.get()));
    EXPECT_TRUE(hudSaying("inviteviewctrl_cannotsendsms"));
    EXPECT_EQ(picker(list), nullptr);
}

TEST_F(InviteTest, ATypedNumberOfElevenCharactersIsSentAsTyped)
{
    InviteFriendsViewController* list = openInvitations();
    ASSERT_NE(list, nullptr);
    openPanel(list);
    ASSERT_TRUE(driver.tap(list->btnByInput.get()));
    settle();
    auto* manual = dynamic_cast<InviteFriendByManualController*>(topScreen());
    ASSERT_NE(manual, nullptr);
    driver.type(manual->textNumber.get(), "12345");
    ASSERT_TRUE(driver.tap(manual->btn.get()));
    EXPECT_TRUE(hudSaying("inviteByManual_warn"));
    settle();
    EXPECT_EQ(composer(), nullptr);

    manual->textNumber->setText("");
    driver.type(manual->textNumber.get(), "137 1234 5678");
    ASSERT_TRUE(driver.tap(manual->btn.get()));
    settle();
    ASSERT_NE(composer(), nullptr);
    EXPECT_EQ(composer()->recipients(), (std::vector<NSString>{"137 1234 5678"}));
    ASSERT_TRUE(driver.finishComposer(NXComposeSent));
    NSThread::joinDetachedThreads(10);
    driver.pumpUntil([&] { return hudSaying("serviceBackMessage_ok") != nullptr; }, 5);
    EXPECT_TRUE(hudSaying("serviceBackMessage_ok"));
    EXPECT_NE(lastMessage("ADSHF").find("<FID>137 1234 5678</FID><FNAME></FNAME>"), std::string::npos);
}

// The invitations and the number page want the full height: their SMS
// composers and the number page over the list keep the custom tab bar away;
// only Back from the list to the menu brings it back.
TEST_F(InviteTest, TheTabBarStaysAwayUntilTheInvitationsAreLeft)
{
    InviteFriendsViewController* list = openInvitations();
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(customTabBarShows());
    inviteFromBook(list, "Wang");
    ASSERT_NE(composer(), nullptr);
    settle();
    EXPECT_FALSE(customTabBarShows());
    ASSERT_TRUE(driver.finishComposer(NXComposeCancelled));
    settle();
    EXPECT_FALSE(customTabBarShows());

    openPanel(list);
    ASSERT_TRUE(driver.tap(list->btnByInput.get()));
    settle();
    auto* manual = dynamic_cast<InviteFriendByManualController*>(topScreen());
    ASSERT_NE(manual, nullptr);
    EXPECT_FALSE(customTabBarShows());
    driver.type(manual->textNumber.get(), "13712345678");
    ASSERT_TRUE(driver.tap(manual->btn.get()));
    settle();
    ASSERT_NE(composer(), nullptr);
    ASSERT_TRUE(driver.finishComposer(NXComposeCancelled));
    settle();
    EXPECT_FALSE(customTabBarShows());
    ASSERT_TRUE(driver.tap(manual->navigationItem()->leftBarButtonItem->customView.get()));
    settle();
    ASSERT_EQ(topScreen(), list);
    EXPECT_FALSE(customTabBarShows());

    ASSERT_TRUE(driver.tap(list->navigationItem()->leftBarButtonItem->customView.get()));
    settle();
    EXPECT_NE(dynamic_cast<PhoneMoreViewController*>(topScreen()), nullptr);
    EXPECT_TRUE(customTabBarTakesATap());
}

class InviteSnapshot : public InviteTest {
protected:
    InviteSnapshot() : InviteTest(true) {}
};

TEST_F(InviteSnapshot, ComposerAndInvitations)
{
    InviteFriendsViewController* list = openInvitations();
    ASSERT_NE(list, nullptr);
    inviteFromBook(list, "Wang");
    ASSERT_NE(composer(), nullptr);
    EXPECT_TRUE(snapshot::viewMatchesExpected(app()->window.get(), "tests/phone/snapshots/invite-composer"));
    ASSERT_TRUE(driver.finishComposer(NXComposeSent));
    settle();
    settle();
    list->table->setContentOffset(CGPointZero);
    ASSERT_TRUE(driver.tap(list->btnAdd.get()));  // the invite panel goes
    settle();
    EXPECT_TRUE(snapshot::viewMatchesExpected(app()->window.get(), "tests/phone/snapshots/invitations"));
}

}  // namespace
