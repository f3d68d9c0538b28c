#include "phone/PhoneHomeViewCtrl.h"

#include <algorithm>
#include <climits>

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/HomeDetailAlertInfoView.h"
#include "phone/MapController.h"
#include "phone/PhoneParts.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIApplication.h"
#include "protocol/ProtectSetting.h"
#include "ui/ProgressHUD.h"
#include "ui/UIImageCategories.h"

NX_REGISTER_CLASS(PhoneHomeViewCtrl, [] { return PhoneHomeViewCtrl::init(); });

namespace {

// How long a one-key outcome stays shown.
constexpr NSTimeInterval kOneKeyHud = 2.0;

std::shared_ptr<UIColor> lightGrey() { return UIColor::lightGrayColor(); }

std::shared_ptr<UILabel> panelLabel(CGRect frame, const char* key)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = UIFont::boldSystemFontOfSize(13);
    label->textColor = lightGrey();
    label->setBackgroundColor(UIColor::clearColor());
    label->numberOfLines = 0;
    label->setText(L(key));
    return label;
}

std::shared_ptr<UIImageView> imageView(CGRect frame, const char* name)
{
    auto view = UIImageView::initWithFrame(frame);
    view->setImage(UIImage::imageNamed(name));
    return view;
}

// A panel: the header picture with its title, the body picture below.
std::shared_ptr<UIView> panel(NSInteger tag, const char* titleKey, CGFloat bodyHeight)
{
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 290, 117));
    view->setTag(tag);
    view->setBackgroundColor(UIColor::clearColor());
    view->addSubview(imageView(CGRectMake(0, 0, 290, 23), "yijian_vesk.png"));
    view->addSubview(panelLabel(CGRectMake(23, 2, 120, 20), titleKey));
    view->addSubview(imageView(CGRectMake(0, 23, 290, bodyHeight), "yijiandi_vesk.png"));
    return view;
}

std::shared_ptr<UIButton> panelButton(NSInteger tag, CGRect frame, const char* titleKey, bool scaled)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(frame);
    button->setTag(tag);
    button->setBackgroundColor(UIColor::clearColor());
    auto image = UIImage::imageNamed("butbgcut_vesk.png");
    button->setBackgroundImage(scaled && image ? scaleToSize(image, frame.size) : image, UIControlStateNormal);
    button->setTitle(L(titleKey), UIControlStateNormal);
    return button;
}

void setButton(UIButton* button, const char* titleKey, std::shared_ptr<UIColor> color)
{
    if (!button) return;
    button->setTitle(L(titleKey), UIControlStateNormal);
    button->setTitleColor(std::move(color), UIControlStateNormal);
}

bool is(const NSString& value, const char* text) { return value == NSString(text); }

// The day's alert count: a sum that cannot overflow, whatever the texts say,
// held to what an int shows.
int alertCount(const HomeInfoReturnMessage& reply)
{
    long long sum = 0;
    for (const NSString& n : {reply.badUrls(), reply.limitUrls(), reply.limitGames()})
        sum += std::clamp<long long>(n.longLongValue(), INT_MIN, INT_MAX);
    return static_cast<int>(std::clamp<long long>(sum, INT_MIN, INT_MAX));
}

}  // namespace

std::shared_ptr<PhoneHomeViewCtrl> PhoneHomeViewCtrl::init()
{
    auto page = UIViewController::init<PhoneHomeViewCtrl>();
    page->mIsShowAlertDetailInfo = false;
    UIView* view = page->view().get();
    view->setFrame(CGRectMake(0, 0, 320, 480));
    if (auto pattern = UIImage::imageNamed("shouye_vesk.png")) view->setBackgroundColor(UIColor::colorWithPatternImage(pattern));
    view->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    page->initUI();
    return page;
}

void PhoneHomeViewCtrl::initUI()
{
    const id self = std::static_pointer_cast<NSObject>(strong());
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(L("homeviewctrl_select"), self, NX_SEL(PhoneHomeViewCtrl, changeBtnCallBack)));
    navigationItem()->setRightBarButtonItem(
        veskBarItem(L("homeviewctrl_refresh"), self, NX_SEL(PhoneHomeViewCtrl, reflasehBtnCallBack)));
    mRootScrollView = UIScrollView::initWithFrame(view()->frame());
    mRootScrollView->setBackgroundColor(UIColor::clearColor());
    view()->addSubview(mRootScrollView);
    addTopAlertView();
    addRestrictModuleView();
    addLocationModuleView();
    addOneKeyOptionView();
    resetAlertClewViewState(false);
}

void PhoneHomeViewCtrl::addTopAlertView()
{
    auto image = imageView(CGRectMake(15, 23, 290, 40), "useingnow_vesk.png");
    image->setTag(kAlertImageTag);
    mTopAlertClewLabel = DetailTextView::initWithFrame(CGRectMake(55, 10, 240, 40));
    mTopAlertClewLabel->font = UIFont::boldSystemFontOfSize(20);
    mTopAlertClewLabel->setBackgroundColor(UIColor::clearColor());
    mTopAlertClewLabel->setText(L("homeviewctrl_todaynoalert"), UIFont::boldSystemFontOfSize(20), UIColor::whiteColor());
    image->addSubview(mTopAlertClewLabel);
    mRootScrollView->addSubview(image);
}

void PhoneHomeViewCtrl::addRestrictModuleView()
{
    auto view = panel(kRestrictPanelTag, "phomeviewctrl_forbidenmode", 50);
    lblRestrictModuleInfo = panelLabel(CGRectMake(150, 12, 120, 70), "phomeviewctrl_restrictModuleInfo");
    view->addSubview(lblRestrictModuleInfo);
    mRootScrollView->addSubview(view);
    auto button = panelButton(kRestrictButtonTag, CGRectMake(64, 25, 126, 41), "phomeviewctrl_closeforbidden", true);
    button->addTarget(std::static_pointer_cast<NSObject>(strong()), NX_SEL0(PhoneHomeViewCtrl, switchChanged),
                      UIControlEventTouchUpInside);
    mRootScrollView->addSubview(button);
}

void PhoneHomeViewCtrl::addLocationModuleView()
{
    auto view = panel(kLocationPanelTag, "phomeviewctrl_location", 50);
    view->addSubview(panelLabel(CGRectMake(150, 10, 120, 70), "phomeviewctrl_localModuleInfo"));
    mRootScrollView->addSubview(view);
    auto button = panelButton(kLocationButtonTag, CGRectMake(0, 0, 126, 41), "phomeviewctrl_location", false);
    button->addTarget(std::static_pointer_cast<NSObject>(strong()), NX_SEL0(PhoneHomeViewCtrl, toLocation),
                      UIControlEventTouchUpInside);
    mRootScrollView->addSubview(button);
}

void PhoneHomeViewCtrl::addOneKeyOptionView()
{
    auto view = panel(kOneKeyPanelTag, "homeviewctrl_onekey", 100);
    lblOneKeyCloseNetInfo = panelLabel(CGRectMake(150, 30, 120, 50), "phomeviewctrl_onekeyClosenetInfo");
    lblOneKeyLockScrInfo = panelLabel(CGRectMake(150, 75, 120, 50), "phomeviewctrl_onekeyLockScrInfo");
    view->addSubview(lblOneKeyCloseNetInfo);
    view->addSubview(lblOneKeyLockScrInfo);
    mRootScrollView->addSubview(view);
    const id self = std::static_pointer_cast<NSObject>(strong());
    oneKeyCloseNet = panelButton(kNetButtonTag, CGRectMake(0, 0, 126, 41), "homeviewctrl_cutnet", false);
    oneKeyCloseNet->addTarget(self, NX_SEL(PhoneHomeViewCtrl, oneKeyCloseNetCallBack), UIControlEventTouchUpInside);
    oneKeyLockScreen = panelButton(kLockButtonTag, CGRectMake(0, 0, 126, 41), "homeviewctrl_lockscreen", false);
    oneKeyLockScreen->addTarget(self, NX_SEL(PhoneHomeViewCtrl, onekeyLockScreenCallBack), UIControlEventTouchUpInside);
    mRootScrollView->addSubview(oneKeyCloseNet);
    mRootScrollView->addSubview(oneKeyLockScreen);
}

void PhoneHomeViewCtrl::addAlertDetailInfoView()
{
    auto detail = UIView::initWithFrame(CGRectMake(15, kDetailTop, 290, 125));
    detail->setTag(kAlertDetailTag);
    detail->setBackgroundColor(UIColor::clearColor());
    detail->setHidden(true);
    const char* const backs[] = {"alertBackFirst.png", "alertBackFirst.png", "alertBackSecond.png"};
    const char* const captions[] = {"homeviewctrl_bloackbadweb", "homeviewctrl_bloackforbidenweb",
                                    "homeviewctrl_bloackforbidensoft"};
    std::shared_ptr<UILabel>* values[] = {&mTopAlertDetailClewFirst, &mTopAlertDetailClewSecond, &mTopAlertDetailClewThird};
    for (int row = 0; row < 3; ++row) {
        const CGFloat y = 41.0 * row;
        detail->addSubview(imageView(CGRectMake(0, y, 290, 41), backs[row]));
        auto caption = panelLabel(CGRectMake(40, y, 160, 41), captions[row]);
        caption->font = UIFont::boldSystemFontOfSize(16);
        detail->addSubview(caption);
        auto value = UILabel::initWithFrame(CGRectMake(200, y, 110, 41));
        value->setBackgroundColor(UIColor::clearColor());
        value->textColor = UIColor::redColor();
        value->font = UIFont::boldSystemFontOfSize(16);
        detail->addSubview(value);
        *values[row] = value;
    }
    mRootScrollView->addSubview(detail);
    // The rows' buttons lie over the panel and open the row's list.
    const id self = std::static_pointer_cast<NSObject>(strong());
    for (int row = 0; row < 3; ++row) {
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(15, kDetailTop + 41.0 * row, 290, 41));
        button->setTag(kDetailRowTag + row);
        button->setBackgroundColor(UIColor::clearColor());
        button->setEnabled(false);  // as long as the panel under it is hidden
        button->addTarget(self, NX_SEL(PhoneHomeViewCtrl, topAlertClewDetailBtnCallBack), UIControlEventTouchUpInside);
        mRootScrollView->addSubview(button);
    }
}

UIButton* PhoneHomeViewCtrl::restrictButton() const
{
    return dynamic_cast<UIButton*>(mRootScrollView->viewWithTag(kRestrictButtonTag));
}

UILabel* PhoneHomeViewCtrl::detailValue(int row) const
{
    const std::shared_ptr<UILabel>* values[] = {&mTopAlertDetailClewFirst, &mTopAlertDetailClewSecond, &mTopAlertDetailClewThird};
    return row >= 0 && row < 3 ? values[row]->get() : nullptr;
}

void PhoneHomeViewCtrl::resetAlertClewViewState(bool shown)
{
    const CGFloat d = shown ? kDetailHeight : 0;
    const struct {
        NSInteger tag;
        CGFloat x, y;
    } centres[] = {{kOneKeyPanelTag, 160, 131},   {kRestrictPanelTag, 160, 264}, {kLocationPanelTag, 160, 348},
                   {kNetButtonTag, 87, 125},      {kLockButtonTag, 87, 171},     {kRestrictButtonTag, 87, 253},
                   {kLocationButtonTag, 87, 340}};
    for (const auto& c : centres)
        if (UIView* v = mRootScrollView->viewWithTag(c.tag)) v->setCenter(CGPointMake(c.x, c.y + d));
    mRootScrollView->alwaysBounceVertical = shown;
    mRootScrollView->setContentSize(shown ? CGSizeMake(mRootScrollView->frame().size.width, 610) : CGSizeZero);
    for (int row = 0; row < 3; ++row)
        if (auto* button = dynamic_cast<UIButton*>(mRootScrollView->viewWithTag(kDetailRowTag + row))) button->setEnabled(shown);
}

void PhoneHomeViewCtrl::resetAlertBtnImageByShowTag(bool show)
{
    auto* image = dynamic_cast<UIImageView*>(mRootScrollView->viewWithTag(kAlertImageTag));
    if (!image) return;
    mTopAlertClewLabel->setBackgroundColor(UIColor::clearColor());
    if (show) {
        image->setImage(UIImage::imageNamed("immesinfo_normal.png"));
        // Dark on the light alert picture: the drawn string takes the colour too.
        mTopAlertClewLabel->textColor = UIColor::blackColor();
        const NSString line = mTopAlertClewLabel->text();
        mTopAlertClewLabel->setText(line, UIFont::systemFontOfSize(20), UIColor::blackColor());
        if (!mRootScrollView->viewWithTag(kAlertButtonTag)) {
            auto button = UIButton::buttonWithType(UIButtonTypeCustom);
            button->setFrame(CGRectMake(15, 23, 290, 40));
            button->setTag(kAlertButtonTag);
            button->setBackgroundColor(UIColor::clearColor());
            button->addTarget(std::static_pointer_cast<NSObject>(strong()),
                              NX_SEL(PhoneHomeViewCtrl, topAlertClewBtnCallBack), UIControlEventTouchUpInside);
            mRootScrollView->addSubview(button);
            addAlertDetailInfoView();
        }
    } else {
        mTopAlertClewLabel->textColor = UIColor::whiteColor();
        mTopAlertClewLabel->setText(L("homeviewctrl_todaynoalert"), UIFont::systemFontOfSize(20), UIColor::whiteColor());
        image->setImage(UIImage::imageNamed("useingnow_vesk.png"));
    }
}

void PhoneHomeViewCtrl::viewWillAppear(bool animated)
{
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(false);
    UIViewController::viewWillAppear(animated);
}

void PhoneHomeViewCtrl::viewDidAppear(bool animated)
{
    UIViewController::viewDidAppear(animated);
    // One box at a time: every appearance would otherwise leave another behind.
    if (loading) loading->removeFromSuperview();
    loading = LoadingBoxView::initWithTitle(L("homeviewctrl_loading"));
    view()->addSubview(loading);
    loading->startAnimating();
    loading->setCenter(CGPointMake(view()->bounds().size.width / 2, 250));
    initData();
}

void PhoneHomeViewCtrl::viewDidUnload()
{
    oneKeyCloseNet.reset();
    oneKeyLockScreen.reset();
    UIViewController::viewDidUnload();
}

void PhoneHomeViewCtrl::initData()
{
    NX_LOG("home initData");
    std::weak_ptr<PhoneHomeViewCtrl> weak = strong();
    NSThread::detachNewThreadWithBlock([weak] {
        auto reply = HomeInfo::init()->homeInfo();
        NSThread::performBlockOnMainThread([weak, reply] {
            auto page = weak.lock();
            if (!page) return;
            if (reply) {
                page->updateView(reply);
            } else {
                Ulvo::setNetworkActivityIndicatorVisible(false);
                page->updateView();
            }
        }, false);
    });
}

void PhoneHomeViewCtrl::setNetState(bool cut)
{
    mIsCut = cut;
    setButton(oneKeyCloseNet.get(), cut ? "homeviewctrl_recovernet" : "homeviewctrl_cutnet",
              cut ? UIColor::greenColor() : UIColor::whiteColor());
}

void PhoneHomeViewCtrl::setLockState(bool locked)
{
    mIsLock = locked;
    setButton(oneKeyLockScreen.get(), locked ? "homeviewctrl_unlockscreen" : "homeviewctrl_lockscreen",
              locked ? UIColor::greenColor() : UIColor::whiteColor());
}

void PhoneHomeViewCtrl::setRestrictState(bool on)
{
    isSwitchOn = on;
    setButton(restrictButton(), on ? "phomeviewctrl_closeforbidden" : "phomeviewctrl_openforbidden",
              on ? UIColor::whiteColor() : UIColor::redColor());
}

void PhoneHomeViewCtrl::updateView(const std::shared_ptr<HomeInfoReturnMessage>& reply)
{
    NX_LOG("%@", reply->picMiddle());
    NX_LOG("%@", reply->limitUrls());
    const bool netNormal = is(reply->networkStatus(), "3");
    const bool screenFree = is(reply->screenStatus(), "2");
    const bool restricted = is(reply->unlimited(), "0");
    setNetState(!netNormal);
    lblOneKeyCloseNetInfo->setText(L(netNormal ? "phomeviewctrl_onekeyClosenetInfo" : "phomeviewctrl_onekeyOpennetInfo"));
    setLockState(!screenFree);
    lblOneKeyLockScrInfo->setText(L(screenFree ? "phomeviewctrl_onekeyLockScrInfo" : "phomeviewctrl_onekeyUnLockScrInfo"));
    setRestrictState(restricted);
    lblRestrictModuleInfo->setText(L(restricted ? "phomeviewctrl_restrictModuleInfo" : "phomeviewctrl_restrictOpenModuleInfo"));

    const int count = alertCount(*reply);
    if (count < 1) {
        resetAlertBtnImageByShowTag(false);
        const bool online = is(reply->isOnline(), "1");
        const NSString onlineWord = L(online ? "homeviewctrl_online" : "homeviewctrl_offline");
        NSString line = NSString::stringWithFormat("%@ %@", NSString::stringWithFormat("%@:", L("phomeviewctrl_nowstate")), onlineWord);
        std::vector<NSString> added;
        const std::pair<bool, const char*> words[] = {{!screenFree, "homeviewctrl_lockscr"},
                                                      {!netNormal, "homeviewctrl_netoff"},
                                                      {!restricted, "homeviewctrl_norestict"}};
        for (const auto& [applies, key] : words)
            if (applies) {
                line = NSString::stringWithFormat("%@ %@", line, L(key));
                added.push_back(L(key));
            }
        mTopAlertClewLabel->setText(line, UIFont::boldSystemFontOfSize(15), UIColor::whiteColor());
        mTopAlertClewLabel->setKeyWordTextArray({onlineWord}, UIFont::boldSystemFontOfSize(15),
                                                online ? UIColor::greenColor() : UIColor::whiteColor());
        mTopAlertClewLabel->setKeyWordTextArray(added, UIFont::boldSystemFontOfSize(15), UIColor::redColor());
    } else {
        mIsShowAlertDetailInfo = true;
        mTopAlertClewLabel->setText(
            NSString::stringWithFormat("%@  %d %@", L("homeviewctrl_todayalert"), count, localizedForCount("homeviewctrl_times", count)),
            UIFont::systemFontOfSize(20), UIColor::whiteColor());
        resetAlertBtnImageByShowTag(true);
        const NSString counts[] = {reply->badUrls(), reply->limitUrls(), reply->limitGames()};
        for (int row = 0; row < 3; ++row)
            detailValue(row)->setText(NSString::stringWithFormat("%@ %@", counts[row], localizedForCount("homeviewctrl_times", counts[row].intValue())));
    }
    showNavigationTitle();
    loading->stopAnimating();
}

void PhoneHomeViewCtrl::showNavigationTitle()
{
    auto title = UILabel::initWithFrame(CGRectMake(0, 0, 200, 44));
    title->setBackgroundColor(UIColor::clearColor());
    title->textColor = UIColor::whiteColor();
    title->textAlignment = UITextAlignmentCenter;
    title->font = UIFont::systemFontOfSize(12);
    auto defaults = NSUserDefaults::standardUserDefaults();
    const NSString nick = defaults->stringForKey("NickName");
    title->setText(nick.isNil() || nick.length() == 0 || nick == NSString("(null)") ? defaults->stringForKey("DeviceId") : nick);
    navigationItem()->titleView = title;
    if (auto* nav = navigationController(); nav && nav->navigationBar()->topItem() == navigationItem())
        nav->navigationBar()->topItemTitleDidChange();
}

void PhoneHomeViewCtrl::updateView()
{
    if (loading) loading->stopAnimating();
}

void PhoneHomeViewCtrl::reflasehBtnCallBack(const id&)
{
    if (loading) loading->startAnimating();
    initData();
}

void PhoneHomeViewCtrl::changeBtnCallBack(const id&)
{
    clearAll();
    auto chooser = UIViewController::init<EquipSelectController>();
    chooser->setHidesBottomBarWhenPushed(true);
    chooser->delegate = std::static_pointer_cast<PhoneHomeViewCtrl>(strong());
    auto transition = CATransition::animation();
    transition->duration = 0.5;
    transition->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    transition->type = kCATransitionPush;
    transition->subtype = kCATransitionFromLeft;
    transition->delegate = std::static_pointer_cast<PhoneHomeViewCtrl>(strong());
    if (auto* tabs = tabBarController()) tabs->view()->layer()->addAnimation(transition, NSString());
    if (auto* nav = navigationController()) nav->pushViewController(chooser, true);
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
}

void PhoneHomeViewCtrl::EquipSelectCtrl_DeviceSelecttCallBack(EquipSelectController*, const id&) { initData(); }

void PhoneHomeViewCtrl::switchChanged()
{
    setRestrictState(!isSwitchOn);
    sendSwitchSet(isSwitchOn ? "0" : "1");
}

void PhoneHomeViewCtrl::sendSwitchSet(const NSString& unlimited)
{
    const NSString body = deviceBody("<BODY><BID>%@</BID><Unlimited>%@</Unlimited></BODY></MSG>", unlimited);
    std::weak_ptr<PhoneHomeViewCtrl> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, body] {
        auto reply = body.isNil() ? nullptr : ProtectSetting::init()->UDTimeConfig(body);
        NSThread::performBlockOnMainThread([weak, reply] {
            if (auto page = weak.lock()) page->showInfo(reply);
            Ulvo::setNetworkActivityIndicatorVisible(false);
        }, false);
    });
}

void PhoneHomeViewCtrl::showInfo(const std::shared_ptr<MessageInfo>& reply)
{
    // The service's word alone does not make a success: the code must say so too.
    addHud(resultText(timeConfigSucceeded(reply)));
    hideHUD();
    initData();
}

void PhoneHomeViewCtrl::oneKey(OneKey which)
{
    const bool lock = which == OneKey::Lock;
    auto page = strong();
    // The outcome reaches the screen through the main run loop; its hiding
    // follows it there, so it never runs ahead of the showing.
    auto flash = [page](const NSString& text, NSTimeInterval hideAfter) {
        NSThread::performBlockOnMainThread([page, text] { page->addHud(text); }, false);
        NSThread::performBlockOnMainThread([page, hideAfter] {
            if (hideAfter > 0)
                hideHUDAfter(page->view(), hideAfter);
            else
                page->hideHUD();
        }, false);
    };
    if (!isSwitchOn) {
        flash(L("phomeviewctrl_onekeyUnrestrictModeFail"), kOneKeyHud);
        return;
    }
    auto home = HomeInfo::init();
    auto status = home->homeInfo();
    if (status && is(status->isOnline(), "0")) {
        flash(L("phomeviewctrl_offTip"), kOneKeyHud);
        return;
    }
    const bool active = lock ? mIsLock : mIsCut;
    auto reply = lock ? (active ? home->cancelLockQuick() : home->lockQuick())
                      : (active ? home->cancelCutQuick() : home->cutQuick());
    if (commandSucceeded(reply)) {
        const char* text = lock ? (active ? "phomeviewctrl_setsuccesstounlock" : "phomeviewctrl_setsuccesstolock")
                                : (active ? "phomeviewctrl_setsuccesstounrecovernet" : "phomeviewctrl_setsuccesstouncutnet");
        flash(L(text), kOneKeyHud);
        if (lock)
            setLockState(!active);
        else
            setNetState(!active);
    } else {
        // The lock's failure stays as long as its other messages; the cut's goes at once.
        flash(L("serviceBackMessage_failed"), lock ? kOneKeyHud : 0);
    }
    initData();
}

void PhoneHomeViewCtrl::onekeyLockScreenCallBack(const id&) { oneKey(OneKey::Lock); }

void PhoneHomeViewCtrl::oneKeyCloseNetCallBack(const id&) { oneKey(OneKey::Cut); }

void PhoneHomeViewCtrl::topAlertClewBtnCallBack(const id&)
{
    NX_LOG("alert clew btn ================");
    UIView* detail = mRootScrollView->viewWithTag(kAlertDetailTag);
    if (!detail) return;
    detail->setHidden(!detail->hidden());
    if (auto* image = dynamic_cast<UIImageView*>(mRootScrollView->viewWithTag(kAlertImageTag)))
        image->setImage(UIImage::imageNamed(detail->hidden() ? "immesinfo_normal.png" : "immesinfo_vesk.png"));
    resetAlertClewViewState(!detail->hidden());
}

void PhoneHomeViewCtrl::topAlertClewDetailBtnCallBack(const id& sender)
{
    auto* button = dynamic_cast<UIView*>(sender.get());
    if (!button) return;
    const NSInteger kind = button->tag() - kDetailRowTag;
    auto reply = HomeInfo::init()->homeCurlimit(NSString::stringWithFormat("%d", static_cast<int>(kind)));
    if (!reply) return;
    std::vector<std::shared_ptr<HomeCurLimit>> rows;
    for (const auto& item : reply->list())
        if (auto row = std::dynamic_pointer_cast<HomeCurLimit>(item)) rows.push_back(row);
    if (rows.empty()) return;
    auto list = HomeDetailAlertInfoView::init();
    // Harmful and forbidden sites are addresses; the third row lists programs.
    list->setIsUrlType(kind != 2);
    list->setDataArrayByData(std::move(rows));
    if (auto* nav = navigationController()) nav->pushViewController(list, true);
}

void PhoneHomeViewCtrl::toLocation()
{
    auto map = UIViewController::init<MapController>();
    map->setTitle(L("phomeviewctrl_location"));
    pushHidingTabBar(this, map);
}

void PhoneHomeViewCtrl::addHud(const NSString& text) { ::addHud(view().get(), text); }

void PhoneHomeViewCtrl::hideHUD() { ::hideHUD(view().get()); }

void PhoneHomeViewCtrl::clearAll()
{
    setNetState(true);
    setLockState(true);
    resetAlertBtnImageByShowTag(false);
    mTopAlertClewLabel->setText(NSString::stringWithFormat("%@ %@", L("phomeviewctrl_nowstate"), L("homeviewctrl_offline")),
                                UIFont::systemFontOfSize(20), UIColor::whiteColor());
    navigationItem()->title = "";
}
