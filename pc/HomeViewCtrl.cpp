#include "pc/HomeViewCtrl.h"

#include "app/PCTimeCommon.h"
#include "app/Ulvo.h"
#include "pc/HomeDetailAlertInfoView.h"
#include "pc/PCRecordCommon.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/uikit/UIImage.h"

NX_REGISTER_CLASS(HomeViewCtrl, [] { return UIViewController::init<HomeViewCtrl>(); });

namespace {

std::shared_ptr<UIColor> green() { return UIColor::greenColor(); }

std::shared_ptr<UILabel> label(UIView* parent, CGRect frame, std::shared_ptr<UIFont> font, std::shared_ptr<UIColor> color,
                               const NSString& text = NSString())
{
    auto l = UILabel::initWithFrame(frame);
    l->font = std::move(font);
    l->textColor = std::move(color);
    l->setBackgroundColor(UIColor::clearColor());
    l->setText(text);
    parent->addSubview(l);
    return l;
}

std::shared_ptr<UIImageView> imageView(const char* name, CGRect frame)
{
    auto v = UIImageView::initWithImage(UIImage::imageNamed(name));
    v->setFrame(frame);
    v->setUserInteractionEnabled(true);
    return v;
}

std::shared_ptr<UIButton> clearButton(CGRect frame, NSInteger tag)
{
    auto b = UIButton::buttonWithType(UIButtonTypeCustom);
    b->setFrame(frame);
    b->setBackgroundColor(UIColor::clearColor());
    b->setTag(tag);
    return b;
}

CGFloat shift(bool open) { return open ? 125 : 0; }

}  // namespace

NSString HomeViewCtrl::getHourStrByMinStr(const NSString& minutes)
{
    const long n = minutes.isNil() ? 0 : minutes.intValue();
    const long h = n / 60, m = n - 60 * h;
    if (n >= 60 && m >= 1)
        return NSString::stringWithFormat("%d %@ %d %@", int(h), L("homeviewctrl_hour"), int(m), L("homeviewctrl_min"));
    if (n >= 60) return NSString::stringWithFormat("%d %@", int(h), L("homeviewctrl_hour"));
    if (m >= 1) return NSString::stringWithFormat("%d %@", int(m), L("homeviewctrl_min"));
    return NSString::stringWithFormat("0 %@", L("homeviewctrl_hour"));
}

void HomeViewCtrl::loadView()
{
    auto v = UIView::initWithFrame(CGRectMake(0, 0, 320, 480));
    if (auto tile = UIImage::imageNamed("shouye_vesk.png")) v->setBackgroundColor(UIColor::colorWithPatternImage(tile));
    v->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    setView(v);
    initUI();
}

void HomeViewCtrl::initUI()
{
    auto self = std::static_pointer_cast<NSObject>(strong());
    auto left = Ulvo::customBackButton(L("homeviewctrl_select"), "button_vesk", NSString(), NSString());
    left->addTarget(self, NX_SEL(HomeViewCtrl, changeBtnCallBack), UIControlEventTouchUpInside);
    navigationItem()->setLeftBarButtonItem(UIBarButtonItem::initWithCustomView(left));
    auto right = Ulvo::customBackButton(L("homeviewctrl_refresh"), "button_vesk", NSString(), NSString());
    right->addTarget(self, NX_SEL(HomeViewCtrl, reflasehBtnCallBack), UIControlEventTouchUpInside);
    navigationItem()->setRightBarButtonItem(UIBarButtonItem::initWithCustomView(right));

    mRootScrollView = UIScrollView::initWithFrame(view()->frame());
    mRootScrollView->setBackgroundColor(UIColor::clearColor());
    view()->addSubview(mRootScrollView);

    alertBar_ = imageView("useingnow_vesk.png", CGRectMake(15, 7, 290, 40));
    alertBar_->setTag(kAlertBarTag);
    mTopAlertClewLabel = label(alertBar_.get(), CGRectMake(55, 0, 240, 40), UIFont::boldSystemFontOfSize(20), UIColor::whiteColor());
    mRootScrollView->addSubview(alertBar_);
    resetAlertBtnImageByShowTag(false);
    buildInfoPanel();
    buildOneKeyPanel();
    resetAlertClewViewState(false);
}

void HomeViewCtrl::buildInfoPanel()
{
    auto panel = imageView("protect.png", CGRectMake(0, 0, 290, 184));
    panel->setTag(kInfoPanelTag);
    auto icon = imageView("32.png", CGRectMake(7, 6, 24, 24));
    panel->addSubview(icon);
    label(panel.get(), CGRectMake(36, 6, 240, 24), UIFont::boldSystemFontOfSize(15), UIColor::whiteColor(), L("homeviewctrl_used"));
    mTodayUserOnline = label(panel.get(), CGRectMake(7, 32, 115, 21), UIFont::boldSystemFontOfSize(14), UIColor::whiteColor(),
                             L("homeviewctrl_offline"));
    mTodayUserComputerTotalTime = label(panel.get(), CGRectMake(122, 32, 155, 21), UIFont::boldSystemFontOfSize(14), green());
    const char* captions[] = {"homeviewctrl_starttime", "homeviewctrl_endtime", "homeviewctrl_lastweb", "homeviewctrl_lastsoft"};
    std::shared_ptr<UILabel>* values[] = {&mTodayUserOpenComputerTime, &mTodayUserLastOpenComputerTime,
                                          &mCurrentOpenRecordFirstTime, &mCurrentOpenRecordSecondTime};
    std::shared_ptr<UILabel>* names[] = {nullptr, nullptr, &mCurrentOpenRecordFirst, &mCurrentOpenRecordSecond};
    CGFloat y = 58;
    for (int i = 0; i < 4; ++i) {
        label(panel.get(), CGRectMake(7, y, 115, 21), UIFont::boldSystemFontOfSize(14), UIColor::whiteColor(), L(captions[i]));
        *values[i] = label(panel.get(), CGRectMake(122, y, 155, 21), UIFont::boldSystemFontOfSize(13), UIColor::whiteColor());
        y += 21;
        if (names[i]) {
            *names[i] = label(panel.get(), CGRectMake(122, y, 155, 21), UIFont::boldSystemFontOfSize(13), UIColor::lightGrayColor());
            y += 21;
        }
    }
    mRootScrollView->addSubview(panel);
}

void HomeViewCtrl::buildOneKeyPanel()
{
    auto panel = UIView::initWithFrame(CGRectMake(0, 0, 290, 117));
    panel->setTag(kOneKeyPanelTag);
    panel->setBackgroundColor(UIColor::clearColor());
    auto head = imageView("yijian_vesk.png", CGRectMake(0, 0, 290, 23));
    label(head.get(), CGRectMake(10, 0, 270, 23), UIFont::boldSystemFontOfSize(14), UIColor::whiteColor(), L("homeviewctrl_onekey"));
    panel->addSubview(head);
    panel->addSubview(imageView("yijiandi_vesk.png", CGRectMake(0, 23, 290, 59)));
    mRootScrollView->addSubview(panel);

    auto self = std::static_pointer_cast<NSObject>(strong());
    auto make = [&](NSInteger tag, const char* title, SEL action) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        b->setFrame(CGRectMake(0, 0, 126, 41));
        b->setTag(tag);
        b->setBackgroundImage(UIImage::imageNamed("butbgcut_vesk.png"), UIControlStateNormal);
        b->setTitle(L(title), UIControlStateNormal);
        b->titleLabel()->font = UIFont::boldSystemFontOfSize(14);
        b->addTarget(self, std::move(action), UIControlEventTouchUpInside);
        mRootScrollView->addSubview(b);
        return b;
    };
    oneKeyCloseNet = make(kCutButtonTag, "homeviewctrl_cutnet", NX_SEL(HomeViewCtrl, oneKeyCloseNetCallBack));
    oneKeyLockScreen = make(kLockButtonTag, "homeviewctrl_lockscreen", NX_SEL(HomeViewCtrl, onekeyLockScreenCallBack));
}

void HomeViewCtrl::viewWillAppear(bool)
{
    if (auto* nav = navigationController()) nav->setNavigationBarHidden(false, false);
}

void HomeViewCtrl::viewDidAppear(bool)
{
    if (!loading) loading = LoadingBoxView::initWithTitle(L("homeviewctrl_loading"));
    view()->addSubview(loading);
    loading->startAnimating();
    loading->setCenter(CGPointMake(view()->bounds().size.width / 2, 250));
    initData();
}

void HomeViewCtrl::initData()
{
    NX_LOG("home initData");
    const unsigned number = ++loadNumber_;
    std::weak_ptr<HomeViewCtrl> weak = strong();
    NSThread::detachNewThreadWithBlock([weak, number] {
        auto reply = HomeInfo::init()->homeInfo();
        NSThread::performBlockOnMainThread([weak, number, reply] {
            auto screen = weak.lock();
            if (!screen || number != screen->loadNumber_) return;
            if (reply)
                screen->updateView(reply);
            else if (screen->loading)
                screen->loading->stopAnimating();
        }, false);
    });
}

void HomeViewCtrl::setButton(UIButton* button, const char* titleKey, bool isGreen)
{
    button->setTitle(L(titleKey), UIControlStateNormal);
    button->setTitleColor(isGreen ? green() : UIColor::whiteColor(), UIControlStateNormal);
}

void HomeViewCtrl::updateView(const std::shared_ptr<HomeInfoReturnMessage>& reply)
{
    const bool online = reply->isOnline() == "1";
    mTodayUserOnline->setText(L(online ? "homeviewctrl_online" : "homeviewctrl_offline"));
    mTodayUserOnline->textColor = online ? green() : UIColor::whiteColor();
    mIsCut = reply->networkStatus() != "3";
    setButton(oneKeyCloseNet.get(), mIsCut ? "homeviewctrl_recovernet" : "homeviewctrl_cutnet", mIsCut);
    mIsLock = reply->screenStatus() != "2";
    setButton(oneKeyLockScreen.get(), mIsLock ? "homeviewctrl_unlockscreen" : "homeviewctrl_lockscreen", mIsLock);
    mTodayUserOpenComputerTime->setText(reply->bootTime());
    mTodayUserLastOpenComputerTime->setText(reply->closeTime());
    mTodayUserComputerTotalTime->setText(getHourStrByMinStr(reply->usedTime()));
    mTodayUserComputerTotalTime->textColor = green();

    // Counts are summed wide, so no count from the service overflows the sum.
    const long long sum = static_cast<long long>(reply->badUrls().intValue()) + reply->limitUrls().intValue() +
                          reply->limitGames().intValue();
    if (sum < 1) {
        resetAlertBtnImageByShowTag(false);
    } else {
        mTopAlertClewLabel->setText(NSString::stringWithFormat("%@  %lld %@", L("homeviewctrl_todayalert"), sum, localizedForCount("homeviewctrl_times", sum)));
        resetAlertBtnImageByShowTag(true);
        mTopAlertDetailClewFirst->setText(NSString::stringWithFormat("%@ %@", reply->badUrls(), localizedForCount("homeviewctrl_times", reply->badUrls().intValue())));
        mTopAlertDetailClewSecond->setText(NSString::stringWithFormat("%@ %@", reply->limitUrls(), localizedForCount("homeviewctrl_times", reply->limitUrls().intValue())));
        mTopAlertDetailClewThird->setText(NSString::stringWithFormat("%@ %@", reply->limitGames(), localizedForCount("homeviewctrl_times", reply->limitGames().intValue())));
    }
    mCurrentOpenRecordFirst->setText(NSString::stringWithFormat("%@", reply->usingUrl()));
    mCurrentOpenRecordFirstTime->setText(NSString::stringWithFormat("%@", reply->urlTime()));
    mCurrentOpenRecordSecond->setText(NSString::stringWithFormat("%@", reply->usingGame()));
    mCurrentOpenRecordSecondTime->setText(NSString::stringWithFormat("%@", reply->gameTime()));

    auto defaults = NSUserDefaults::standardUserDefaults();
    NSString name = defaults->stringForKey("NickName");
    if (name.isNil() || name == "" || name == "(null)") name = defaults->stringForKey("DeviceId");
    navigationItem()->titleView = titleLabel(name);
    if (loading) loading->stopAnimating();
}

void HomeViewCtrl::resetAlertBtnImageByShowTag(bool alerts)
{
    if (!alerts) {
        alertBar_->setImage(UIImage::imageNamed("useingnow_vesk.png"));
        mTopAlertClewLabel->setText(L("homeviewctrl_todaynoalert"));
        mTopAlertClewLabel->textColor = UIColor::whiteColor();
        return;
    }
    alertBar_->setImage(UIImage::imageNamed("immesinfo_normal.png"));
    mTopAlertClewLabel->textColor = UIColor::blackColor();
    if (mRootScrollView->viewWithTag(kAlertBarButtonTag)) return;
    auto button = clearButton(CGRectMake(15, 7, 290, 40), kAlertBarButtonTag);
    button->addTarget(std::static_pointer_cast<NSObject>(strong()), NX_SEL(HomeViewCtrl, topAlertClewBtnCallBack),
                      UIControlEventTouchUpInside);
    mRootScrollView->addSubview(button);
    addAlertDetailInfoView();
}

void HomeViewCtrl::addAlertDetailInfoView()
{
    auto panel = UIView::initWithFrame(CGRectMake(15, 45, 290, 125));
    panel->setBackgroundColor(UIColor::clearColor());
    panel->setTag(kAlertPanelTag);
    panel->setHidden(true);
    const char* backs[] = {"alertBackFirst.png", "alertBackFirst.png", "alertBackSecond.png"};
    const char* captions[] = {"homeviewctrl_bloackbadweb", "homeviewctrl_bloackforbidenweb", "homeviewctrl_bloackforbidensoft"};
    std::shared_ptr<UILabel>* counts[] = {&mTopAlertDetailClewFirst, &mTopAlertDetailClewSecond, &mTopAlertDetailClewThird};
    for (int row = 0; row < 3; ++row) {
        const CGFloat y = 41 * row;
        panel->addSubview(imageView(backs[row], CGRectMake(0, y, 290, 41)));
        label(panel.get(), CGRectMake(40, y, 160, 41), UIFont::boldSystemFontOfSize(16), UIColor::lightGrayColor(), L(captions[row]));
        *counts[row] = label(panel.get(), CGRectMake(200, y, 110, 41), UIFont::boldSystemFontOfSize(16), UIColor::redColor());
    }
    mRootScrollView->addSubview(panel);
    for (int row = 0; row < 3; ++row) {
        auto button = clearButton(CGRectMake(15, 45 + 41 * row, 290, 41), kFirstAlertRowTag + row);
        button->addTarget(std::static_pointer_cast<NSObject>(strong()), NX_SEL(HomeViewCtrl, topAlertClewDetailBtnCallBack),
                          UIControlEventTouchUpInside);
        button->setHidden(true);
        mRootScrollView->addSubview(button);
    }
}

void HomeViewCtrl::topAlertClewBtnCallBack(const id&)
{
    NX_LOG("alert bar");
    UIView* panel = mRootScrollView->viewWithTag(kAlertPanelTag);
    if (!panel) return;
    panel->setHidden(!panel->hidden());
    alertBar_->setImage(UIImage::imageNamed(panel->hidden() ? "immesinfo_normal.png" : "immesinfo_vesk.png"));
    resetAlertClewViewState(!panel->hidden());
}

void HomeViewCtrl::resetAlertClewViewState(bool open)
{
    const CGFloat s = shift(open);
    mRootScrollView->viewWithTag(kInfoPanelTag)->setCenter(CGPointMake(160, 144 + s));
    mRootScrollView->viewWithTag(kOneKeyPanelTag)->setCenter(CGPointMake(160, 302 + s));
    oneKeyCloseNet->setCenter(CGPointMake(87, 296 + s));
    oneKeyLockScreen->setCenter(CGPointMake(234, 296 + s));
    mRootScrollView->alwaysBounceVertical = open;
    mRootScrollView->setContentSize(open ? CGSizeMake(mRootScrollView->frame().size.width, 610) : CGSizeMake(0, 0));
    for (int row = 0; row < 3; ++row)
        if (auto* b = dynamic_cast<UIButton*>(mRootScrollView->viewWithTag(kFirstAlertRowTag + row))) {
            b->setEnabled(open);
            b->setHidden(!open);
        }
}

void HomeViewCtrl::topAlertClewDetailBtnCallBack(const id& sender)
{
    auto* button = dynamic_cast<UIView*>(sender.get());
    if (!button) return;
    const long kind = button->tag() - kFirstAlertRowTag;
    auto reply = HomeInfo::init()->homeCurlimit(NSString::stringWithFormat("%d", int(kind)));
    if (!reply || reply->list().empty()) return;
    auto list = HomeDetailAlertInfoView::init();
    list->setIsUrlType(kind != 2);
    std::vector<std::shared_ptr<HomeCurLimit>> rows;
    for (const auto& item : reply->list())
        if (auto row = std::dynamic_pointer_cast<HomeCurLimit>(item)) rows.push_back(row);
    list->setDataArrayByData(std::move(rows));
    if (auto* nav = navigationController()) nav->pushViewController(list, true);
}

void HomeViewCtrl::oneKey(UIButton* button, bool& flag, bool isLock)
{
    // A page load still on its way predates the command: its status must not
    // put the button's old title back.
    ++loadNumber_;
    if (loading) loading->stopAnimating();
    auto info = HomeInfo::init();
    auto status = info->homeInfo();
    if (status && status->isOnline() == "0") {
        showMessageForTwoSeconds(view(), L("homeviewctrl_offTip"));
        return;
    }
    std::shared_ptr<MessageInfo> reply = isLock ? (flag ? info->cancelLockQuick() : info->lockQuick())
                                                : (flag ? info->cancelCutQuick() : info->cutQuick());
    if (!commandSucceeded(reply)) {
        showMessageForTwoSeconds(view(), L("serviceBackMessage_failed"));
        return;
    }
    static const char* const success[2][2] = {{"homeviewctrl_setsuccesstouncutnet", "homeviewctrl_setsuccesstounrecovernet"},
                                              {"homeviewctrl_setsuccesstolock", "homeviewctrl_setsuccesstounlock"}};
    static const char* const titles[2][2] = {{"homeviewctrl_recovernet", "homeviewctrl_cutnet"},
                                             {"homeviewctrl_unlockscreen", "homeviewctrl_lockscreen"}};
    showMessageForTwoSeconds(view(), L(success[isLock][flag]));
    setButton(button, titles[isLock][flag], !flag);
    flag = !flag;
}

void HomeViewCtrl::onekeyLockScreenCallBack(const id&) { oneKey(oneKeyLockScreen.get(), mIsLock, true); }

void HomeViewCtrl::oneKeyCloseNetCallBack(const id&) { oneKey(oneKeyCloseNet.get(), mIsCut, false); }

void HomeViewCtrl::reflasehBtnCallBack(const id&)
{
    if (loading) loading->startAnimating();
    initData();
}

void HomeViewCtrl::clearAll()
{
    ++loadNumber_;  // whatever is still on its way belongs to the device left
    mTodayUserOnline->setText(L("homeviewctrl_offline"));
    mTodayUserOnline->textColor = UIColor::whiteColor();
    mIsCut = mIsLock = true;
    setButton(oneKeyCloseNet.get(), "homeviewctrl_recovernet", true);
    setButton(oneKeyLockScreen.get(), "homeviewctrl_unlockscreen", true);
    for (auto* l : {&mTodayUserOpenComputerTime, &mTodayUserLastOpenComputerTime, &mCurrentOpenRecordFirst,
                    &mCurrentOpenRecordFirstTime, &mCurrentOpenRecordSecond, &mCurrentOpenRecordSecondTime})
        (*l)->setText("");
    mTodayUserComputerTotalTime->setText(getHourStrByMinStr(""));
    mTodayUserComputerTotalTime->textColor = green();
    resetAlertBtnImageByShowTag(false);
    navigationItem()->titleView = titleLabel("");
}

void HomeViewCtrl::changeBtnCallBack(const id&)
{
    clearAll();
    auto chooser = UIViewController::init<EquipSelectController>();
    chooser->setHidesBottomBarWhenPushed(true);
    chooser->delegate = strong();
    auto transition = CATransition::animation();
    transition->duration = 0.5;
    transition->type = kCATransitionPush;
    transition->subtype = kCATransitionFromLeft;
    transition->timingFunction = CAMediaTimingFunction::functionWithName(kCAMediaTimingFunctionEaseInEaseOut);
    if (auto* tabs = tabBarController()) tabs->view()->layer()->addAnimation(transition, "push");
    if (auto* nav = navigationController()) nav->pushViewController(chooser, true);
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
}

void HomeViewCtrl::EquipSelectCtrl_DeviceSelecttCallBack(EquipSelectController*, const id&) { initData(); }
