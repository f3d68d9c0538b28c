#pragma once
// AddressBook and AddressBookUI: an address book held in memory (a test or a
// tool fills it from its fixture) and the people picker, a navigation
// controller listing the people as rows. Tapping a row asks the picker's
// delegate whether to go on with that person; the bar's Cancel button tells
// the delegate the user gave up. The picker never shows a person's details:
// going on is not supported, as no screen here asks for it.

#include <vector>

#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UITableViewController.h"

enum ABPropertyID : int {
    kABPersonFirstNameProperty = 0,
    kABPersonLastNameProperty = 1,
    kABPersonMiddleNameProperty = 6,
    kABPersonPhoneProperty = 3,
};

// A multi-value property: the values in order (a person's numbers).
struct ABMultiValue {
    std::vector<NSString> values;
};
using ABMultiValueRef = std::shared_ptr<const ABMultiValue>;

// A person: names (nil when not given) and phone numbers.
class ABRecord : public NSObject {
public:
    NSString firstName, middleName, lastName;
    std::vector<NSString> phones;
};
using ABRecordRef = std::shared_ptr<ABRecord>;

// A name property's text (nil for a name not given or another property).
NSString ABRecordCopyValue(const ABRecordRef& person, ABPropertyID property);
// The phone property's values (nil for another property).
ABMultiValueRef ABRecordCopyMultiValue(const ABRecordRef& person, ABPropertyID property);
long ABMultiValueGetCount(const ABMultiValueRef& values);
NSString ABMultiValueCopyValueAtIndex(const ABMultiValueRef& values, long index);

// The device's address book: one book, in memory.
class ABAddressBook {
public:
    static std::vector<ABRecordRef> people();
    static void setPeople(std::vector<ABRecordRef> people);
};

class ABPeoplePickerNavigationController;

class ABPeoplePickerNavigationControllerDelegate {
public:
    virtual ~ABPeoplePickerNavigationControllerDelegate() = default;
    virtual void peoplePickerNavigationControllerDidCancel(ABPeoplePickerNavigationController* picker) = 0;
    virtual bool peoplePickerNavigationController_shouldContinueAfterSelectingPerson(ABPeoplePickerNavigationController* picker,
                                                                                     const ABRecordRef& person) = 0;
    virtual bool peoplePickerNavigationController_shouldContinueAfterSelectingPerson_property_identifier(
        ABPeoplePickerNavigationController* picker, const ABRecordRef& person, ABPropertyID property, int identifier) = 0;
};

class ABPeoplePickerNavigationController : public UINavigationController {
public:
    // The picker over the address book's people as they are now.
    static std::shared_ptr<ABPeoplePickerNavigationController> init();

    std::weak_ptr<ABPeoplePickerNavigationControllerDelegate> peoplePickerDelegate;
    void setPeoplePickerDelegate(std::weak_ptr<ABPeoplePickerNavigationControllerDelegate> d) { peoplePickerDelegate = std::move(d); }
    std::vector<ABPropertyID> displayedProperties;
    int modalTransitionStyle = 0;

    const std::vector<ABRecordRef>& people() const { return people_; }
    // The list of people (its rows are the people in order).
    UITableViewController* list() const { return list_.get(); }

    // A row tapped: the delegate decides; a Cancel: the delegate is told.
    void selectPerson(size_t index);
    void cancel();

private:
    std::vector<ABRecordRef> people_;
    std::shared_ptr<UITableViewController> list_;
};
