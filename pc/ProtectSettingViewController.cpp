#include "pc/ProtectSettingViewController.h"

#include "app/MenuParts.h"
#include "app/PCTimeCommon.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIApplication.h"

// The more menu opens it by name.
NX_REGISTER_CLASS(ProtectSettingViewController, [] { return UIViewController::init<ProtectSettingViewController>(); });

namespace {

std::shared_ptr<UILabel> nibLabel(CGRect frame, CGFloat size, bool bold = false)
{
    auto label = UILabel::initWithFrame(frame);
    label->font = bold ? UIFont::boldSystemFontOfSize(size) : UIFont::systemFontOfSize(size);
    label->textColor = UIColor::whiteColor();
    label->setBackgroundColor(UIColor::clearColor());
    label->numberOfLines = 0;
    return label;
}

// The interface file: the two switches under the mode heading, the
// explanation below them, the save button at the bottom.
const bool kNib = (UINib::registerNib("ProtectSettingViewController", [](NSObject* owner) {
    auto* screen = dynamic_cast<ProtectSettingViewController*>(owner);
    auto self = std::static_pointer_cast<NSObject>(owner->shared_from_this());
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(UIColor::colorWithRed(0.1, 0.12, 0.16, 1));
    screen->lblProtectMode = nibLabel(CGRectMake(20, 15, 280, 24), 17, true);
    screen->lblCutNet = nibLabel(CGRectMake(40, 50, 150, 27), 15);
    screen->lblLockScreen = nibLabel(CGRectMake(40, 90, 150, 27), 15);
    screen->netStop = UISwitch::initWithFrame(CGRectMake(206, 50, 0, 0));
    screen->screenHold = UISwitch::initWithFrame(CGRectMake(206, 90, 0, 0));
    screen->netStop->addTarget(self, NX_SEL(ProtectSettingViewController, netSettings), UIControlEventValueChanged);
    screen->screenHold->addTarget(self, NX_SEL(ProtectSettingViewController, screenSettings), UIControlEventValueChanged);
    screen->lblInfoTitle = nibLabel(CGRectMake(20, 135, 280, 22), 15, true);
    screen->lblInfoline1 = nibLabel(CGRectMake(20, 160, 280, 36), 12);
    screen->lblInfoline2 = nibLabel(CGRectMake(20, 198, 280, 36), 12);
    screen->lblInfoline3 = nibLabel(CGRectMake(20, 236, 280, 36), 12);
    screen->lblInfoTips = nibLabel(CGRectMake(20, 276, 280, 36), 12);
    screen->lblInfoTips->textColor = UIColor::colorWithRed(1, 0.81, 0, 1);
    screen->btnSave = UIButton::buttonWithType(UIButtonTypeCustom);
    screen->btnSave->setFrame(CGRectMake(60, 330, 200, 40));
    screen->btnSave->setBackgroundColor(UIColor::colorWithRed(0, 0.6, 0.2, 1));
    screen->btnSave->layer()->cornerRadius = 8;
    screen->btnSave->addTarget(self, NX_SEL(ProtectSettingViewController, saveSettings), UIControlEventTouchUpInside);
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{
             screen->lblProtectMode, screen->lblCutNet, screen->lblLockScreen, screen->netStop, screen->screenHold,
             screen->lblInfoTitle, screen->lblInfoline1, screen->lblInfoline2, screen->lblInfoline3, screen->lblInfoTips,
             screen->btnSave})
        view->addSubview(v);
    return std::vector<id>{view};
}), true);

}  // namespace

void ProtectSettingViewController::viewDidLoad()
{
    setTitle(L("protectsettingviewctrl_protectsetting"));
    lblProtectMode->setText(L("protectsettingviewctrl_protectmode"));
    lblCutNet->setText(L("protectsettingviewctrl_cutnet"));
    lblLockScreen->setText(L("protectsettingviewctrl_lockscreen"));
    lblInfoTitle->setText(L("protectsettingviewctrl_info"));
    lblInfoline1->setText(L("protectsettingviewctrl_infoline1"));
    lblInfoline2->setText(L("protectsettingviewctrl_infoline2"));
    lblInfoline3->setText(L("protectsettingviewctrl_infoline3"));
    lblInfoTips->setText(L("protectsettingviewctrl_infotips"));
    btnSave->setTitle(L("protectsettingviewctrl_save"), UIControlStateNormal);

    loading = LoadingBoxView::initWithTitle(L("protectsettingviewctrl_settingloading"));
    view()->addSubview(loading);
    loading->startAnimating();
    loading->setCenter(CGPointMake(view()->bounds().size.width / 2, 250));
    reload();

    navigationItem()->setLeftBarButtonItem(veskBarItem(L("protectsettingviewctrl_back"),
                                                         std::static_pointer_cast<NSObject>(strong()),
                                                         NX_SEL0(ProtectSettingViewController, goBack)));
}

void ProtectSettingViewController::reload() { loadTimeConfig(strong(), &ProtectSettingViewController::updateView); }

void ProtectSettingViewController::updateView(const std::shared_ptr<ProtectSettingReturnMessage>& reply)
{
    if (reply) {
        const int n = reply->cmdType().intValue();
        isNetStop = n % 2 == 0;
        isScreenHold = n > 0;
        NX_LOG("cmdType %i", n);
        NX_LOG("isNetStop %i", isNetStop ? 1 : 0);
        NX_LOG("isScreenHold %i", isScreenHold ? 1 : 0);
        netStop->setOn(isNetStop);
        screenHold->setOn(isScreenHold);
        netStop->setNeedsDisplay();
        screenHold->setNeedsDisplay();
    } else {
        UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(false);
    }
    loading->stopAnimating();
}

void ProtectSettingViewController::saveSettings(const id&)
{
    if (!isNetStop && !isScreenHold) {
        addHud(view().get(), L("protectsettingviewctrl_limitonemode"));
        std::weak_ptr<ProtectSettingViewController> weak = strong();
        NSTimer::scheduledTimerWithTimeInterval(0.5, false, [weak](NSTimer&) {
            if (auto screen = weak.lock()) hideHUD(screen->view().get());
        });
        return;
    }
    // The choice is read here, on the main thread, before the worker starts.
    sendTimeConfig(view(), deviceBody("<BODY><BID>%@</BID><CmdType>%@</CmdType></BODY></MSG>",
                                      NSString::stringWithFormat("%i", cmdTypeFor(isNetStop, isScreenHold))));
}

void ProtectSettingViewController::viewWillDisappear(bool)
{
    bringTabBarBackWhenLeft(this);
}

void ProtectSettingViewController::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
