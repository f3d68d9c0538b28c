#include "app/EquipSelectController.h"

#include <algorithm>

#include "app/AppText.h"
#include "app/LoginViewController.h"
#include "app/ScreenParts.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Constant.h"
#include "ui/ProgressHUD.h"

namespace {

constexpr NSUInteger kNumberLimit = 15;

// Which of the screen's two alerts was opened last (one is open at a time).
enum class OpenAlert { Bind, Logout };
OpenAlert openAlert = OpenAlert::Bind;

template <void (EquipSelectController::*Action)(const id&)>
SEL action(const char* name)
{
    return SEL{name, [](NSObject* r, const id& a) { (static_cast<EquipSelectController*>(r)->*Action)(a); }};
}

const bool registered = (UINib::registerNib("EquipSelectController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<EquipSelectController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(overlayFrame());
    view->setBackgroundColor(UIColor::colorWithRed(0.13, 0.30, 0.50, 1));
    vc->bar = UIView::initWithFrame<UINavigationBar>(CGRectMake(0, 0, 320, 44));
    vc->mTmpBar = std::make_shared<UINavigationItem>();
    auto logout = Ulvo::customBackButton(localized("equipselect_logout"), "button_vesk", NSString(), NSString());
    logout->addTarget(self, action<&EquipSelectController::logout>("logout:"), UIControlEventTouchUpInside);
    vc->btnLogout = UIBarButtonItem::initWithCustomView(logout);
    vc->btnLogout->target = self;
    vc->btnLogout->action = action<&EquipSelectController::logout>("logout:");
    vc->mTmpBar->setLeftBarButtonItem(vc->btnLogout);
    view->addSubview(vc->bar);
    vc->lblInfoTitle = whiteLabel(CGRectMake(15, 52, 290, 24), 17);
    vc->lblInfoTitle->font = UIFont::boldSystemFontOfSize(17);
    vc->lblInfoLine0 = whiteLabel(CGRectMake(15, 78, 290, 18), 12);
    vc->lblInfoLine1 = whiteLabel(CGRectMake(15, 96, 290, 18), 12);
    vc->lblInfoLine2 = whiteLabel(CGRectMake(15, 114, 290, 18), 12);
    vc->lblInfoLine3 = whiteLabel(CGRectMake(15, 132, 290, 18), 12);
    vc->scrollView = UIScrollView::initWithFrame(CGRectMake(50, 158, 220, 200));
    vc->lblAdd = whiteLabel(CGRectMake(50, 372, 150, 30), 14);
    vc->btnAdd = Ulvo::customBackButton(localized("equipselect_add"), "button_vesk", NSString(), NSString());
    vc->btnAdd->setFrame(CGRectMake(270 - vc->btnAdd->frame().size.width, 372, vc->btnAdd->frame().size.width, 30));
    vc->btnAdd->addTarget(self, action<&EquipSelectController::addEquip>("addEquip:"), UIControlEventTouchUpInside);
    vc->btnEdit = Ulvo::customBackButton(localized("equipselect_edit"), "button_vesk", NSString(), NSString());
    vc->btnEdit->setFrame(CGRectMake(270 - vc->btnEdit->frame().size.width, 410, vc->btnEdit->frame().size.width, 30));
    vc->btnEdit->addTarget(self, action<&EquipSelectController::editDeviceList>("editDeviceList:"), UIControlEventTouchUpInside);
    // Signing in with another account: a fresh login laid over the chooser.
    vc->btnSwitchAccount = Ulvo::customBackButton(localized("equipselect_switchaccount"), "button_vesk", NSString(), NSString());
    // It shares the Edit button's row, so it never reaches under that button.
    const CGFloat switchWidth = std::min(vc->btnSwitchAccount->frame().size.width, vc->btnEdit->frame().origin.x - 8 - 50);
    vc->btnSwitchAccount->setFrame(CGRectMake(50, 410, switchWidth, 30));
    vc->btnSwitchAccount->addTarget(self, NX_SEL0(EquipSelectController, goBack), UIControlEventTouchUpInside);
    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{
             vc->lblInfoTitle, vc->lblInfoLine0, vc->lblInfoLine1, vc->lblInfoLine2, vc->lblInfoLine3, vc->scrollView,
             vc->lblAdd, vc->btnAdd, vc->btnEdit, vc->btnSwitchAccount})
        view->addSubview(v);
    return {view};
}), true);

}  // namespace

EquipSelectController::~EquipSelectController() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

void EquipSelectController::viewDidLoad()
{
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, "PopToRootView", nullptr);
    center->addObserver(this, NX_SEL0(EquipSelectController, popToRootViewCtrl), "PopToRootView", nullptr);
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(true);
    lblInfoTitle->setText(localized("equipselect_selectyourdevice"));
    lblInfoLine0->setText(localized("equipselect_infoline0"));
    lblInfoLine1->setText(localized("equipselect_infoline1"));
    lblInfoLine2->setText(localized("equipselect_infoline2"));
    lblInfoLine3->setText(localized("equipselect_infoline3"));
    lblAdd->setText(localized("equipselect_addmobiledevice"));
    btnLogout->title = localized("equipselect_logout");
    if (auto* button = dynamic_cast<UIButton*>(btnLogout->customView.get())) button->setTitle(btnLogout->title, UIControlStateNormal);
    reload(nullptr);
}

void EquipSelectController::viewDidAppear(bool animated)
{
    if (mTmpBar->leftBarButtonItem) mTmpBar->leftBarButtonItem->style = UIBarButtonItemStyleDone;
    bar->showItem(mTmpBar, nullptr);
}

void EquipSelectController::viewWillDisappear(bool animated)
{
    NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
}

void EquipSelectController::reload(const id& sender)
{
    showOrHiddenRightBarItem(true);
    loadData();
}

void EquipSelectController::loadData()
{
    const auto old = scrollView->subviews();
    for (const auto& v : old) v->removeFromSuperview();
    gameView_ = UIViewController::init<EquipListViewController>();
    gameView_->delegate = std::dynamic_pointer_cast<EquipListDelegate>(shared_from_this());
    scrollView->setBackgroundColor(UIColor::clearColor());
    gameView_->view()->setFrame(scrollView->bounds());
    scrollView->addSubview(gameView_->view());
}

void EquipSelectController::EquipListViewController_callBackInfo(EquipListViewController* list, bool hasRows)
{
    // A list replaced by a refresh may still hear from the service; the room
    // is the shown list's.
    if (list != gameView_.get()) return;
    scrollView->setContentSize(CGSizeMake(220, 55 * static_cast<CGFloat>(list->list().size())));
    showOrHiddenRightBarItem(true);
}

void EquipSelectController::setRightButton(const NSString& titleKey)
{
    auto button = Ulvo::customBackButton(localized(titleKey), "button_vesk", NSString(), NSString());
    button->addTarget(shared_from_this(), action<&EquipSelectController::edit>("edit:"), UIControlEventTouchUpInside);
    mTmpBar->setRightBarButtonItem(UIBarButtonItem::initWithCustomView(button));
    bar->showItem(mTmpBar, nullptr);
}

void EquipSelectController::showOrHiddenRightBarItem(bool show)
{
    if (show) {
        setRightButton("equipselect_refresh");
    } else {
        mTmpBar->setRightBarButtonItem(nullptr);
        bar->showItem(mTmpBar, nullptr);
    }
}

void EquipSelectController::edit(const id& sender)
{
    loadData();
}

void EquipSelectController::editDeviceList(const id& sender)
{
    if (!gameView_) return;
    mEditTag_ = !mEditTag_;
    setRightButton(mEditTag_ ? "equipselect_back" : "equipselect_edit");
    lblInfoLine1->setText(localized(mEditTag_ ? "equipselect_longpresstoedit" : "equipselect_infoline1"));
    lblInfoLine2->setText(mEditTag_ ? NSString("") : localized("equipselect_infoline2"));
    lblInfoLine3->setText(mEditTag_ ? NSString("") : localized("equipselect_infoline3"));
    gameView_->setTableViewEdit(mEditTag_);
    NX_LOG("edit device list =====");
}

void EquipSelectController::addEquip(const id& sender)
{
    long homeDevices = 0;
    if (gameView_)
        for (const auto& item : gameView_->list()) homeDevices += item->managerType() == "Home";
    const NSString allowed = Constant::mobileCount();
    if (homeDevices >= (allowed.isNil() ? 0 : allowed.intValue())) {
        Constant_alert(NSString::stringWithFormat("%@%@%@", localized("equipselect_devicecounttoaddonly"),
                                                  allowed.isNil() ? NSString("") : allowed, localized("equipselect_homedevice")),
                       nullptr);
        return;
    }
    if (gameView_) gameView_->tableView()->resignFirstResponder();
    openAlert = OpenAlert::Bind;
    auto alert = UIAlertView::initWithTitle(NSString(""), "\n\n\n", std::dynamic_pointer_cast<UIAlertViewDelegate>(shared_from_this()),
                                            localized("equipselect_ok"), {localized("equipselect_cancel")});
    const auto buttons = alert->subviews();
    auto caption = whiteLabel(CGRectMake(20, 25, 60, 30), 15);
    caption->setText(localized("equipselect_devicenumber"));
    equiBID = UITextField::initWithFrame(CGRectMake(80, 25, 180, 30));
    equiBID->borderStyle = UITextBorderStyleBezel;
    equiBID->setBackgroundColor(UIColor::whiteColor());
    equiBID->delegate = std::dynamic_pointer_cast<UITextFieldDelegate>(shared_from_this());
    auto limit = whiteLabel(CGRectMake(85, 65, 175, 25), 12);
    limit->textColor = UIColor::redColor();
    limit->setText(localized("equipselect_lengthlimit"));
    moveButtonsTo(buttons, 100);
    alert->addSubview(caption);
    alert->addSubview(equiBID);
    alert->addSubview(limit);
    alert->show();
    alert->setTransform(CGAffineTransformMakeTranslation(0, -60));
}

void EquipSelectController::sendAddEquip(const NSString& number)
{
    auto self = std::static_pointer_cast<EquipSelectController>(shared_from_this());
    NSThread::detachNewThreadWithBlock([self, number] {
        auto reply = EquipList::init()->RQBindEquip(number);
        const bool ok = reply && reply->code() == "0";
        NSThread::performBlockOnMainThread(
            [self, ok] {
                self->addHud(localized(ok ? "equipselect_requestsend" : "serviceBackMessage_failed"));
                self->hideHUD();
                if (ok) self->reload(nullptr);
                Ulvo::setNetworkActivityIndicatorVisible(false);
            },
            false);
    });
}

void EquipSelectController::logout(const id& sender)
{
    openAlert = OpenAlert::Logout;
    auto alert = UIAlertView::initWithTitle(localized("equipselect_infoline0"), localized("equipselect_suretologout"),
                                            std::dynamic_pointer_cast<UIAlertViewDelegate>(shared_from_this()),
                                            localized("equipselect_yes"), {localized("equipselect_no")});
    alert->show();
}

void EquipSelectController::alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index)
{
    if (index != 0) return;
    if (openAlert == OpenAlert::Logout) {
        auto center = NSNotificationCenter::defaultCenter();
        center->postNotificationName("initView", nullptr);
        center->postNotificationName("hideCustomTabBar", nullptr);
        return;
    }
    const NSString number = equiBID ? equiBID->text() : NSString("");
    if (number.length() > kNumberLimit) {
        Constant_alert(localized("equipselect_lengthlimitother"), nullptr);
    } else if (number.isNil() || number.length() == 0) {
        Constant_alert(localized("equipselect_emptydevicenumber"), nullptr);
    } else {
        sendAddEquip(number);
    }
}

void EquipSelectController::goBack()
{
    login_ = UIViewController::init<LoginViewController>();
    login_->view()->setTag(kLoginViewTag);
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.5);
    UIView::setAnimationTransition(UIViewAnimationTransitionCurlUp, view().get(), true);
    UIView::setAnimationDelegate(shared_from_this());
    view()->addSubview(login_->view());
    UIView::commitAnimations();
}

void EquipSelectController::popToRootViewCtrl()
{
    if (auto* nav = navigationController()) nav->popToRootViewControllerAnimated(true);
    NX_LOG("回退到根节点，刷新首页数据");
    if (auto d = delegate.lock()) d->EquipSelectCtrl_DeviceSelecttCallBack(this, nullptr);
}

void EquipSelectController::addHud(const NSString& text)
{
    ProgressHUD::hideHUDForView(view().get(), false);
    ProgressHUD::showHUDAddedTo_withTitle(view().get(), text);
}

void EquipSelectController::hideHUD() { ProgressHUD::hideHUDForView(view().get(), true); }

std::optional<bool> EquipSelectController::textField_shouldChangeCharactersInRange_replacementString(UITextField* tf,
                                                                                                     NSRange range,
                                                                                                     const NSString& string)
{
    return acceptsTyping(tf, range);
}
