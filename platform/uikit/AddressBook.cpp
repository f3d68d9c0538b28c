#include "platform/uikit/AddressBook.h"

#include <mutex>

#include "platform/foundation/NSThread.h"

namespace {

std::mutex bookLock;
std::vector<ABRecordRef>& book()
{
    static std::vector<ABRecordRef> people;
    return people;
}

// "Last First" as the list shows a person.
NSString displayName(const ABRecord& person)
{
    std::string name;
    for (const NSString* part : {&person.lastName, &person.firstName})
        if (!part->isNil() && part->length() > 0) name += (name.empty() ? "" : " ") + part->str();
    return name.empty() && !person.phones.empty() ? person.phones.front() : NSString(name);
}

// The picker's list: one row per person, Cancel on the bar.
class PeopleList : public UITableViewController {
public:
    ABPeoplePickerNavigationController* picker = nullptr;

    NSInteger tableView_numberOfRowsInSection(UITableView*, NSInteger) override
    {
        return picker ? static_cast<NSInteger>(picker->people().size()) : 0;
    }
    std::shared_ptr<UITableViewCell> tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip) override
    {
        auto cell = tv->dequeueReusableCellWithIdentifier("person");
        if (!cell) cell = UITableViewCell::initWithStyle(UITableViewCellStyleDefault, "person");
        cell->textLabel()->setText(displayName(*picker->people().at(static_cast<size_t>(ip.row))));
        return cell;
    }
    void tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip) override
    {
        if (picker) picker->selectPerson(static_cast<size_t>(ip.row));
    }
    void cancelTapped() { if (picker) picker->cancel(); }
};

}  // namespace

NSString ABRecordCopyValue(const ABRecordRef& person, ABPropertyID property)
{
    if (!person) return NSString();
    switch (property) {
    case kABPersonFirstNameProperty: return person->firstName;
    case kABPersonMiddleNameProperty: return person->middleName;
    case kABPersonLastNameProperty: return person->lastName;
    default: return NSString();
    }
}

ABMultiValueRef ABRecordCopyMultiValue(const ABRecordRef& person, ABPropertyID property)
{
    if (!person || property != kABPersonPhoneProperty) return nullptr;
    return std::make_shared<const ABMultiValue>(ABMultiValue{person->phones});
}

long ABMultiValueGetCount(const ABMultiValueRef& values) { return values ? static_cast<long>(values->values.size()) : 0; }

NSString ABMultiValueCopyValueAtIndex(const ABMultiValueRef& values, long index)
{
    if (!values || index < 0 || static_cast<size_t>(index) >= values->values.size()) return NSString();
    return values->values[static_cast<size_t>(index)];
}

std::vector<ABRecordRef> ABAddressBook::people()
{
    std::lock_guard lock(bookLock);
    return book();
}

void ABAddressBook::setPeople(std::vector<ABRecordRef> people)
{
    std::lock_guard lock(bookLock);
    book() = std::move(people);
}

std::shared_ptr<ABPeoplePickerNavigationController> ABPeoplePickerNavigationController::init()
{
    auto list = UITableViewController::initWithStyle<PeopleList>(UITableViewStylePlain);
    auto picker = UIViewController::init<ABPeoplePickerNavigationController>();
    picker->people_ = ABAddressBook::people();
    list->picker = picker.get();
    list->setTitle("Contacts");
    list->navigationItem()->setRightBarButtonItem(UIBarButtonItem::initWithBarButtonSystemItem(
        UIBarButtonSystemItemCancel, std::static_pointer_cast<NSObject>(list), NX_SEL0(PeopleList, cancelTapped)));
    picker->list_ = list;
    picker->setViewControllers({list});
    list->tableView()->setBackgroundColor(UIColor::whiteColor());
    list->tableView()->reloadData();
    return picker;
}

// The delegate usually dismisses the picker from its answer, while the
// picker's own table is still at work: the picker lives on until the main
// loop's next pass.
static void keepUntilNextPass(const id& picker)
{
    NSThread::performBlockOnMainThread([picker] {}, false);
}

void ABPeoplePickerNavigationController::selectPerson(size_t index)
{
    if (index >= people_.size()) return;
    keepUntilNextPass(shared_from_this());
    const ABRecordRef person = people_[index];
    if (auto d = peoplePickerDelegate.lock()) d->peoplePickerNavigationController_shouldContinueAfterSelectingPerson(this, person);
}

void ABPeoplePickerNavigationController::cancel()
{
    keepUntilNextPass(shared_from_this());
    if (auto d = peoplePickerDelegate.lock()) d->peoplePickerNavigationControllerDidCancel(this);
}
