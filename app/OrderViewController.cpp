#include "app/OrderViewController.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/ScreenParts.h"
#include "platform/foundation/NSLog.h"

namespace {

constexpr NSInteger kOrderATag = 60001;
constexpr NSInteger kOrderBTag = 60002;

// The interface file: the two order buttons and the way back.
const bool registered = (UINib::registerNib("OrderViewController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<OrderViewController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 460));
    view->setBackgroundColor(menuBackgroundColor());
    auto heading = whiteLabel(CGRectMake(20, 30, 280, 60), 20);
    heading->font = UIFont::boldSystemFontOfSize(20);
    heading->textAlignment = UITextAlignmentCenter;
    heading->numberOfLines = 0;
    heading->lineBreakMode = UILineBreakModeWordWrap;
    heading->setText(localized("orderviewctrl_title"));
    auto button = [&](CGFloat y, const char* key, SEL action) {
        auto b = veskButton(CGRectMake(40, y, 240, 44));
        b->setTitle(localized(key), UIControlStateNormal);
        b->addTarget(self, std::move(action), UIControlEventTouchUpInside);
        return b;
    };
    vc->btnOrderA = button(130, "orderviewctrl_packageA", NX_SEL(OrderViewController, orderA));
    vc->btnOrderB = button(190, "orderviewctrl_packageB", NX_SEL(OrderViewController, orderB));
    vc->btnBack = button(300, "orderviewctrl_back", NX_SEL(OrderViewController, goBack));
    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{heading, vc->btnOrderA, vc->btnOrderB, vc->btnBack})
        view->addSubview(v);
    return {view};
}), true);

}  // namespace

void OrderViewController::goBack(const id&)
{
    UIView* host = view()->superview();
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(0.75);
    UIView::setAnimationDelegate(shared_from_this());
    UIView::setAnimationTransition(UIViewAnimationTransitionFlipFromLeft, host, true);
    view()->removeFromSuperview();
    UIView::commitAnimations();
}

void OrderViewController::orderA(const id&) { confirm(kOrderATag); }

void OrderViewController::orderB(const id&) { confirm(kOrderBTag); }

void OrderViewController::confirm(NSInteger tag)
{
    auto alert = UIAlertView::initWithTitle("提示", "请确认当前登录的账号是本机的手机号码，确认后继续订购服务。",
                                            std::static_pointer_cast<OrderViewController>(shared_from_this()), "确认",
                                            {"取消"});
    alert->setTag(tag);
    alert->show();
}

void OrderViewController::alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index)
{
    if (index != 0) return;
    if (alert->tag() == kOrderATag) sendSMS_Phone("DG01", kOrderShortNumber);
    if (alert->tag() == kOrderBTag) sendSMS_Phone("DG02", kOrderShortNumber);
}

void OrderViewController::sendSMS_Phone(const NSString& body, const NSString& phone)
{
    const bool canSend = MFMessageComposeViewController::canSendText();
    NX_LOG("can send SMS [%d]", canSend ? 1 : 0);
    if (!canSend) return;
    auto composer = MFMessageComposeViewController::init();
    composer->setMessageComposeDelegate(std::static_pointer_cast<OrderViewController>(shared_from_this()));
    composer->navigationBar()->tintColor = UIColor::blackColor();
    composer->setBody(body);
    composer->setRecipients({phone});
    presentModalViewController(composer, true);
}

void OrderViewController::messageComposeViewController_didFinishWithResult(MFMessageComposeViewController*,
                                                                           MessageComposeResult result)
{
    if (result == MessageComposeResultCancelled) NX_LOG("Result: canceled");
    if (result == MessageComposeResultSent) NX_LOG("Result: Sent");
    if (result == MessageComposeResultFailed) NX_LOG("Result: Failed");
    dismissModalViewControllerAnimated(true);
}
