#include "phone/InviteFriendsViewController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "app/ScreenParts.h"
#include "app/Ulvo.h"
#include "phone/PhoneParts.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "protocol/Constant.h"

NX_REGISTER_CLASS(InviteFriendsViewController, [] { return UIViewController::init<InviteFriendsViewController>(); });

namespace {

std::shared_ptr<UILabel> heading(CGRect frame)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = UIFont::boldSystemFontOfSize(14);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    return label;
}

std::shared_ptr<UILabel> cellLabel(NSInteger tag, CGRect frame)
{
    auto label = heading(frame);
    label->setTag(tag);
    label->font = UIFont::boldSystemFontOfSize(13);
    return label;
}

// The list's interface file: the segments and the invite button on top, the
// column headings, the list, the count line, and the invite panel with its
// two ways of inviting.
const bool kListNib = (UINib::registerNib("InviteFriendsViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<InviteFriendsViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->seg = UISegmentedControl::initWithItems({NSString(""), NSString("")});
    screen->seg->setFrame(CGRectMake(10, 10, 190, 32));
    screen->seg->setSelectedSegmentIndex(0);
    screen->seg->addTarget(self, NX_SEL(InviteFriendsViewController, callBackSegmentValueChange), UIControlEventValueChanged);
    screen->btnAdd = veskButton(CGRectMake(210, 10, 100, 32));
    screen->btnAdd->addTarget(self, NX_SEL(InviteFriendsViewController, inviteBtnClick), UIControlEventTouchUpInside);
    screen->lblPhone = heading(CGRectMake(2, 50, 116, 24));
    screen->lblName = heading(CGRectMake(120, 50, 120, 24));
    screen->lblTime = heading(CGRectMake(242, 50, 76, 24));
    screen->lblTime->textAlignment = UITextAlignmentRight;
    screen->table = UITableView::initWithFrame(CGRectMake(0, 76, 320, 270), UITableViewStylePlain);
    screen->table->setBackgroundColor(UIColor::clearColor());
    screen->table->setDataSource(std::dynamic_pointer_cast<UITableViewDataSource>(owner->shared_from_this()));
    screen->table->setDelegate(std::dynamic_pointer_cast<UITableViewDelegate>(owner->shared_from_this()));
    screen->lblCount = heading(CGRectMake(10, 350, 300, 24));
    screen->_verPanel = VerticalPopupPanel::initWithCoder(CGRectMake(160, 44, 150, 90));
    screen->btnByTelephone = veskButton(CGRectMake(10, 8, 130, 34));
    screen->btnByTelephone->addTarget(self, NX_SEL0(InviteFriendsViewController, addByTelephone), UIControlEventTouchUpInside);
    screen->btnByInput = veskButton(CGRectMake(10, 48, 130, 34));
    screen->btnByInput->addTarget(self, NX_SEL0(InviteFriendsViewController, addByInput), UIControlEventTouchUpInside);
    screen->_verPanel->addSubview(screen->btnByTelephone);
    screen->_verPanel->addSubview(screen->btnByInput);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->seg, screen->btnAdd, screen->lblPhone, screen->lblName,
                                                              screen->lblTime, screen->table, screen->lblCount,
                                                              screen->_verPanel})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

// The typed number's interface file: caption, field and button; a tap beside
// the field ends editing.
const bool kManualNib = (UINib::registerNib("InviteFriendByManualController", [](NSObject* owner) {
    auto* screen = dynamic_cast<InviteFriendByManualController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame<UIControl>(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    view->addTarget(self, NX_SEL(InviteFriendByManualController, backgroundTap), UIControlEventTouchDown);
    screen->labNumber = heading(CGRectMake(20, 30, 280, 24));
    screen->textNumber = UITextField::initWithFrame(CGRectMake(20, 62, 280, 32));
    screen->textNumber->borderStyle = UITextBorderStyleRoundedRect;
    screen->textNumber->setBackgroundColor(UIColor::whiteColor());
    screen->textNumber->keyboardType = UIKeyboardTypeNumberPad;
    screen->btn = veskButton(CGRectMake(85, 120, 150, 36));
    screen->btn->addTarget(self, NX_SEL(InviteFriendByManualController, add), UIControlEventTouchUpInside);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{screen->labNumber, screen->textNumber, screen->btn})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

// The invitation SMS to the number, with the screen as the composer's delegate.
std::shared_ptr<MFMessageComposeViewController> invitation(const NSString& number,
                                                           const std::shared_ptr<MFMessageComposeViewControllerDelegate>& delegate)
{
    auto composer = MFMessageComposeViewController::init();
    composer->setBody(L("app_sharetofriends").stringByAppendingString(
        NSString::stringWithFormat("sf=%@~%@", Constant::userName(), number)));
    composer->setRecipients({number});
    composer->navigationBar()->tintColor = UIColor::blackColor();
    composer->setMessageComposeDelegate(delegate);
    return composer;
}

// Records the invitation on a worker thread; the reply (nil when none came)
// goes to the receiver's refresh on the main thread while it lives.
template <class T>
void uploadRecord(const std::shared_ptr<T>& receiver, const NSString& number, const NSString& name)
{
    const NSString body = MessageExchange::body("<BODY><BID>%@</BID><List><FID>%@</FID><FNAME>%@</FNAME></List></BODY></MSG>",
                                                Constant::userName(), number, name);
    std::weak_ptr<T> weak = receiver;
    NSThread::detachNewThreadWithBlock([weak, body] {
        auto reply = body.isNil() ? nullptr : Invite::init()->ADShareFriend(body);
        NSThread::performBlockOnMainThread([weak, reply] {
            if (auto r = weak.lock()) r->refresh(reply);
        }, false);
    });
}

// The composer's ending as both screens show it; true when the SMS went.
bool composerSent(UIViewController* screen, MessageComposeResult result)
{
    screen->dismissModalViewControllerAnimated(true);
    if (result == MessageComposeResultCancelled) flashHud(screen->view().get(), L("inviteviewctrl_sendcancel"));
    if (result == MessageComposeResultFailed) flashHud(screen->view().get(), L("inviteviewctrl_sendfail"));
    return result == MessageComposeResultSent;
}

}  // namespace

void InviteFriendsViewController::viewDidLoad()
{
    setTitle(L("inviteviewctrl_invitefriend"));
    lblPhone->setText(L("inviteviewctrl_number"));
    lblName->setText(L("inviteviewctrl_name"));
    lblTime->setText(L("familyviewctrl_time"));
    btnAdd->setTitle(L("inviteviewctrl_invitefriends"), UIControlStateNormal);
    btnByInput->setTitle(L("inviteviewctrl_input"), UIControlStateNormal);
    btnByTelephone->setTitle(L("inviteviewctrl_telephone"), UIControlStateNormal);
    seg->setTitle(L("inviteviewctrl_invited"), 0);
    seg->setTitle(L("inviteviewctrl_invitedsuccess"), 1);
    lblCount->setText(NSString::stringWithFormat("%@ 0%@", L("inviteviewctrl_totalfriend"), L("inviteviewctrl_one")));
    currentPage = 1;
    currentSeg = 0;
    pageNum = 10;
    tableData.clear();
    loading = LoadingBoxView::initWithTitle(L("inviteviewctrl_loading"));
    view()->addSubview(loading);
    loading->setCenter(CGPointMake(view()->bounds().size.width / 2, 250));
    loading->startAnimating();
    navigationItem()->setLeftBarButtonItem(veskBarItem(L("inviteviewctrl_back"), std::static_pointer_cast<NSObject>(strong()),
                                                        NX_SEL0(InviteFriendsViewController, goBack)));
    _verPanel->setBackgroundColor(UIColor::blackColor());
}

void InviteFriendsViewController::viewWillAppear(bool animated)
{
    UIViewController::viewWillAppear(animated);
    // Every appearance starts again from the first page: asking the current
    // page again would stack it onto the rows shown.
    currentPage = 1;
    reload(segmentText());
}

void InviteFriendsViewController::reload(const NSString& segment)
{
    const int page = currentPage;
    const NSString body = MessageExchange::body(
        "<BODY><BID>%@</BID><Valid>%@</Valid><PageIndex>%@</PageIndex><PageSize>%@</PageSize></BODY></MSG>",
        Constant::userName(), segment, NSString::stringWithFormat("%i", page), NSString::stringWithFormat("%i", pageNum));
    ++listsInFlight_;
    std::weak_ptr<InviteFriendsViewController> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body, page] {
        auto reply = body.isNil() ? nullptr : Invite::init()->RQShareFriend(body);
        NSThread::performBlockOnMainThread([weak, reply, page] {
            auto screen = weak.lock();
            if (!screen) return;
            --screen->listsInFlight_;
            if (reply) {
                screen->updateView(reply, page);
            } else {
                Ulvo::setNetworkActivityIndicatorVisible(false);
                screen->updateView();
            }
        }, false);
    });
}

void InviteFriendsViewController::updateView(const std::shared_ptr<InviteReturnMessage>& reply, int page)
{
    lblCount->setText(NSString::stringWithFormat("%@%@%@", L("inviteviewctrl_totalfriend"), reply->totalRecord(),
                                                 L("inviteviewctrl_one")));
    total_ = reply->totalRecord().isNil() ? 0 : reply->totalRecord().longLongValue();
    if (page == 1)
        tableData.clear();
    else if (hasPlaceholder())  // only the placeholder goes, never an invitation
        tableData.pop_back();
    for (const auto& row : reply->list())
        if (row) tableData.push_back(row);
    const auto rows = static_cast<int>(tableData.size());
    if (!reply->list().empty() && rows >= pageNum && rows % pageNum == 0) tableData.push_back(nullptr);
    table->reloadData();
    loading->stopAnimating();
}

void InviteFriendsViewController::updateView() { loading->stopAnimating(); }

void InviteFriendsViewController::nextPage(bool checkLast)
{
    if (listsInFlight_ > 0) return;
    const long lastPage = total_ / pageNum + 1;
    if (checkLast && currentPage > lastPage) {
        flashHud(view().get(), L("inviteviewctrl_nomoredata"));
        return;
    }
    ++currentPage;
    loading->startAnimating();
    reload(segmentText());
}

std::shared_ptr<UITableViewCell> InviteFriendsViewController::tableView_cellForRowAtIndexPath(UITableView* tv, NSIndexPath ip)
{
    const size_t row = static_cast<size_t>(ip.row);
    if (row + 1 == tableData.size() && hasPlaceholder()) {
        auto cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "moreCell");
        cell->selectionStyle = UITableViewCellSelectionStyleNone;
        auto spinner = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleGray);
        spinner->setCenter(CGPointMake(60, 15));
        spinner->startAnimating();
        cell->contentView()->addSubview(spinner);
        nextPage(true);
        return cell;
    }
    auto cell = tv->dequeueReusableCellWithIdentifier("infoCell");
    if (!cell) {
        cell = UITableViewCell::initWithStyle(UITableViewCellStyleSubtitle, "infoCell");
        cell->contentView()->addSubview(cellLabel(kNumberTag, CGRectMake(2, 0, 116, 30)));
        cell->contentView()->addSubview(cellLabel(kNameTag, CGRectMake(120, 0, 120, 30)));
        auto date = cellLabel(kDateTag, CGRectMake(242, 0, tv->bounds().size.width - 244, 30));
        date->textAlignment = UITextAlignmentRight;
        cell->contentView()->addSubview(date);
    }
    cell->selectionStyle = UITableViewCellSelectionStyleNone;
    const auto& invitation = tableData.at(row);
    static_cast<UILabel*>(cell->viewWithTag(kNumberTag))->setText(invitation->fID());
    static_cast<UILabel*>(cell->viewWithTag(kNameTag))->setText(invitation->fName());
    static_cast<UILabel*>(cell->viewWithTag(kDateTag))->setText(dayOf(invitation->addTime()));
    return cell;
}

void InviteFriendsViewController::tableView_didSelectRowAtIndexPath(UITableView*, NSIndexPath ip)
{
    if (static_cast<size_t>(ip.row) + 1 == tableData.size() && hasPlaceholder()) nextPage(false);
}

void InviteFriendsViewController::callBackSegmentValueChange(const id&)
{
    currentSeg = seg->selectedSegmentIndex() == 1 ? 1 : 0;
    currentPage = 1;
    loading->startAnimating();
    reload(segmentText());
}

void InviteFriendsViewController::inviteBtnClick(const id&)
{
    if (_verPanel->isPopup())
        _verPanel->hide();
    else
        _verPanel->popup();
}

void InviteFriendsViewController::addByTelephone()
{
    if (!MFMessageComposeViewController::canSendText()) {
        flashHud(view().get(), L("inviteviewctrl_cannotsendsms"));
        return;
    }
    auto picker = ABPeoplePickerNavigationController::init();
    picker->setPeoplePickerDelegate(std::static_pointer_cast<InviteFriendsViewController>(strong()));
    picker->displayedProperties = {kABPersonPhoneProperty};
    picker->modalTransitionStyle = 0;
    if (auto* nav = navigationController()) nav->presentModalViewController(picker, true);
}

void InviteFriendsViewController::peoplePickerNavigationControllerDidCancel(ABPeoplePickerNavigationController*)
{
    // The navigation controller presented the picker.
    if (auto* nav = navigationController()) nav->dismissModalViewControllerAnimated(true);
}

bool InviteFriendsViewController::peoplePickerNavigationController_shouldContinueAfterSelectingPerson(
    ABPeoplePickerNavigationController*, const ABRecordRef& person)
{
    // The contact's last number, without its hyphens.
    phoneSelected = "";
    const ABMultiValueRef phones = ABRecordCopyMultiValue(person, kABPersonPhoneProperty);
    for (long i = 0; i < ABMultiValueGetCount(phones); ++i) {
        const NSString number = ABMultiValueCopyValueAtIndex(phones, i);
        phoneSelected = number.isNil() || number.length() == 0 ? number : number.stringByReplacingOccurrencesOfString("-", "");
    }
    std::string name;
    for (ABPropertyID part : {kABPersonLastNameProperty, kABPersonMiddleNameProperty, kABPersonFirstNameProperty}) {
        const NSString text = ABRecordCopyValue(person, part);
        if (!text.isNil()) name += text.str();
    }
    friendSelected = name;
    NX_LOG("phoneSelected %@", phoneSelected);
    NX_LOG("friendSelected %@", friendSelected);
    if (auto* nav = navigationController()) nav->dismissModalViewControllerAnimated(false);
    std::weak_ptr<InviteFriendsViewController> weak = strong();
    NSThread::performBlockOnMainThread([weak] {
        if (auto screen = weak.lock()) screen->sendSMS();
    }, false);
    return false;
}

void InviteFriendsViewController::addByInput()
{
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
    auto manual = UIViewController::init<InviteFriendByManualController>();
    manual->setHidesBottomBarWhenPushed(true);
    if (auto* nav = navigationController()) nav->pushViewController(manual, true);
}

void InviteFriendsViewController::sendSMS()
{
    presentModalViewController(invitation(phoneSelected, strong()), true);
}

void InviteFriendsViewController::messageComposeViewController_didFinishWithResult(MFMessageComposeViewController*,
                                                                                   MessageComposeResult result)
{
    if (!composerSent(this, result)) return;
    uploadRecord(strong(), phoneSelected, friendSelected);
    loading->setTitle(L("inviteviewctrl_loading"));
    loading->stopAnimating();
}

void InviteFriendsViewController::refresh(const std::shared_ptr<MessageInfo>& reply)
{
    if (!commandSucceeded(reply)) {
        flashHud(view().get(), L("serviceBackMessage_failed"));
        return;
    }
    currentPage = 1;
    loading->startAnimating();
    reload(segmentText());
}

void InviteFriendsViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void InviteFriendsViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void InviteFriendsViewController::addHud(const NSString& text) { ::addHud(view().get(), text); }

void InviteFriendsViewController::hideHUD() { ::hideHUD(view().get()); }

void InviteFriendByManualController::viewDidLoad()
{
    navigationItem()->title = L("inviteByManual_add");
    labNumber->setText(L("inviteByManual_inputlab"));
    btn->setTitle(L("inviteByManual_OK"), UIControlStateNormal);
    textNumber->placeholder = L("inviteByManual_inputtext");
    loading = LoadingBoxView::initWithTitle(L("inviteByManual_loading"));
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(L("inviteByManual_back"), std::static_pointer_cast<NSObject>(shared_from_this()),
                     NX_SEL0(InviteFriendByManualController, goBack)));
}

void InviteFriendByManualController::viewDidUnload()
{
    phoneSelected = NSString();
    UIViewController::viewDidUnload();
}

void InviteFriendByManualController::add(const id&)
{
    if (!MFMessageComposeViewController::canSendText()) {
        showInfo(L("inviteviewctrl_cannotsendsms"));
        return;
    }
    const NSString typed = textNumber->text().isNil() ? NSString("") : textNumber->text();
    if (typed.stringByReplacingOccurrencesOfString(" ", "").length() != 11) {
        showInfo(L("inviteByManual_warn"));
        return;
    }
    phoneSelected = typed;
    std::weak_ptr<UIViewController> weak = std::static_pointer_cast<UIViewController>(shared_from_this());
    NSThread::performBlockOnMainThread([weak] {
        if (auto screen = std::static_pointer_cast<InviteFriendByManualController>(weak.lock())) screen->sendSMS();
    }, false);
}

void InviteFriendByManualController::sendSMS()
{
    presentModalViewController(
        invitation(phoneSelected, std::static_pointer_cast<InviteFriendByManualController>(shared_from_this())), true);
}

void InviteFriendByManualController::messageComposeViewController_didFinishWithResult(MFMessageComposeViewController*,
                                                                                      MessageComposeResult result)
{
    if (!composerSent(this, result)) return;
    uploadRecord(std::static_pointer_cast<InviteFriendByManualController>(shared_from_this()), phoneSelected, NSString(""));
    loading->setTitle(L("inviteByManual_loading"));
    loading->stopAnimating();
}

void InviteFriendByManualController::refresh(const std::shared_ptr<MessageInfo>& reply)
{
    showInfo(resultText(commandSucceeded(reply)));
}

void InviteFriendByManualController::showInfo(const NSString& text) { flashHud(view().get(), text); }

void InviteFriendByManualController::backgroundTap(const id&) { textNumber->resignFirstResponder(); }

void InviteFriendByManualController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void InviteFriendByManualController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
