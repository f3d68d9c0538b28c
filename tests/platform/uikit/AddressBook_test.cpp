// The address book and its people picker: the book's people as rows, a tap
// on one asks the delegate about that person, Cancel tells it the user gave
// up; the record functions answer as the platform's do for missing values.

#include <gtest/gtest.h>

#include "platform/uikit/AddressBook.h"
#include "platform/testing/NXUITestDriver.h"

namespace {

struct Recorder : ABPeoplePickerNavigationControllerDelegate {
    std::vector<NSString> chosen;
    int cancels = 0;
    void peoplePickerNavigationControllerDidCancel(ABPeoplePickerNavigationController*) override { ++cancels; }
    bool peoplePickerNavigationController_shouldContinueAfterSelectingPerson(ABPeoplePickerNavigationController*,
                                                                             const ABRecordRef& person) override
    {
        chosen.push_back(ABRecordCopyValue(person, kABPersonLastNameProperty));
        return false;
    }
    bool peoplePickerNavigationController_shouldContinueAfterSelectingPerson_property_identifier(
        ABPeoplePickerNavigationController*, const ABRecordRef&, ABPropertyID, int) override
    {
        return false;
    }
};

ABRecordRef person(const char* last, std::vector<NSString> phones)
{
    auto p = std::make_shared<ABRecord>();
    p->lastName = last;
    p->phones = std::move(phones);
    return p;
}

}  // namespace

TEST(AddressBook, ThePickerListsTheBookAndTellsItsDelegate)
{
    NXUITestDriver driver;
    ABAddressBook::setPeople({person("Wang", {"1"}), person("Li", {"2", "3"})});
    auto picker = ABPeoplePickerNavigationController::init();
    auto recorder = std::make_shared<Recorder>();
    picker->setPeoplePickerDelegate(recorder);
    driver.show(picker);
    UITableView* rows = picker->list()->tableView();
    ASSERT_EQ(rows->numberOfRowsInSection(0), 2);
    rows->tapRow(NSIndexPath::indexPathForRow(1, 0));
    EXPECT_EQ(recorder->chosen, (std::vector<NSString>{"Li"}));
    driver.tapBarButtonItem(picker->list()->navigationItem()->rightBarButtonItem.get());
    EXPECT_EQ(recorder->cancels, 1);

    const ABMultiValueRef phones = ABRecordCopyMultiValue(picker->people()[1], kABPersonPhoneProperty);
    EXPECT_EQ(ABMultiValueGetCount(phones), 2);
    EXPECT_EQ(ABMultiValueCopyValueAtIndex(phones, 1), NSString("3"));
    EXPECT_TRUE(ABMultiValueCopyValueAtIndex(phones, 2).isNil());
    EXPECT_EQ(ABMultiValueGetCount(ABRecordCopyMultiValue(picker->people()[1], kABPersonFirstNameProperty)), 0);
    EXPECT_TRUE(ABRecordCopyValue(picker->people()[0], kABPersonFirstNameProperty).isNil());
    ABAddressBook::setPeople({});
}
