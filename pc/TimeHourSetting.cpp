#include "pc/TimeHourSetting.h"

#include "app/AppText.h"
#include "app/PCTimeCommon.h"
#include "platform/foundation/NSDateFormatter.h"
#include "platform/foundation/NSLog.h"
#include "platform/uikit/UIImage.h"

std::shared_ptr<TimeHourSetting> TimeHourSetting::initWithFrame(CGRect frame)
{
    auto host = UIView::initWithFrame<TimeHourSetting>(frame);
    host->addLimmiteViewCtrl();
    return host;
}

void TimeHourSetting::addLimmiteViewCtrl()
{
    removeLimiteViewCtrl();
    grid_ = UIViewController::init<TimeLimitViewController>();
    auto gridView = grid_->view();
    gridView->setFrame(CGRectMake(0, 0, 320, 291));
    gridView->setTag(kGridTag);
    addSubview(gridView);
}

void TimeHourSetting::removeLimiteViewCtrl()
{
    if (auto* old = viewWithTag(kGridTag); old && old != this) old->removeFromSuperview();
}

// ---- Countdown picker ---------------------------------------------------------------

std::shared_ptr<TimeSelectViewController> TimeSelectViewController::init()
{
    auto screen = UIViewController::init<TimeSelectViewController>();
    auto view = screen->view();
    view->setFrame(CGRectMake(0, 0, 320, 480));
    view->setBackgroundColor(UIColor::blackColor());
    view->setAutoresizingMask(UIViewAutoresizingFlexibleHeight);
    screen->initUI();
    return screen;
}

void TimeSelectViewController::initUI()
{
    setTitle(L("timeselectviewctrl_lensetting"));
    auto self = std::static_pointer_cast<NSObject>(shared_from_this());
    navigationItem()->setLeftBarButtonItem(
        veskBarItem(L("timeselectviewctrl_back"), self, NX_SEL0(TimeSelectViewController, backBtnCallBack)));

    auto backdrop = UIImageView::initWithFrame(CGRectMake(0, 0, 320, 100));
    backdrop->setBackgroundColor(UIColor::blackColor());
    view()->addSubview(backdrop);

    auto picker = UIDatePicker::initWithFrame(CGRectMake(0, 70, 320, 300));
    picker->setTag(kPickerTag);
    picker->setBackgroundColor(UIColor::blueColor());
    picker->datePickerMode = UIDatePickerModeCountDownTimer;
    view()->addSubview(picker);

    auto submit = UIButton::buttonWithType(UIButtonTypeCustom);
    auto image = UIImage::imageNamed("green_big_vesk");
    submit->setBackgroundImage(image, UIControlStateNormal);
    submit->setFrame(CGRectMake(25, 310, image ? image->size().width : 270, 40));
    submit->titleLabel()->font = UIFont::boldSystemFontOfSize(16);
    submit->setTitle(L("timeselectviewctrl_submit"), UIControlStateNormal);
    submit->addTarget(self, NX_SEL0(TimeSelectViewController, submissionBtnCallBack), UIControlEventTouchUpInside);
    view()->addSubview(submit);
}

void TimeSelectViewController::submissionBtnCallBack()
{
    NX_LOG("刷新数据");
    auto* picker = dynamic_cast<UIDatePicker*>(view()->viewWithTag(kPickerTag));
    if (!picker) {
        if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
        return;
    }
    const double duration = picker->countDownDuration();
    NX_LOG("====%@=%f", NSString::stringWithFormat("%d-%d", static_cast<int>(duration) / 3600,
                                                  static_cast<int>(duration) % 3600 / 60),
           duration);
    if (duration < kShortestCountDown) {
        Constant_alert(L("timeselectviewctrl_timesettinglimit"), nullptr);
        return;
    }
    auto keep = shared_from_this();
    if (auto d = delegate()) d->timeSelectViewController_timeSelectViewCallBack(this, duration);
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}

void TimeSelectViewController::backBtnCallBack()
{
    if (auto* nav = navigationController()) nav->popToRootViewControllerAnimated(true);
}
