#include "app/FindPassViewController.h"

#include "app/AppText.h"
#include "app/ScreenParts.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"

namespace {

template <void (FindPassViewController::*Action)(const id&)>
SEL action(const char* name)
{
    return SEL{name, [](NSObject* r, const id& a) { (static_cast<FindPassViewController*>(r)->*Action)(a); }};
}

const bool registered = (UINib::registerNib("FindPassViewController", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<FindPassViewController*>(owner);
    const id self = owner->shared_from_this();
    auto view = UIView::initWithFrame(overlayFrame());
    view->setBackgroundColor(UIColor::colorWithRed(0.16, 0.22, 0.36, 1));
    auto title = whiteLabel(CGRectMake(20, 16, 280, 40), 24);
    title->setText(localized("findPassView_title"));
    title->font = UIFont::boldSystemFontOfSize(24);
    title->textAlignment = UITextAlignmentCenter;
    vc->lblExplain = whiteLabel(CGRectMake(20, 70, 280, 120), 15);
    vc->lblExplain->numberOfLines = 0;
    vc->lblExplain->lineBreakMode = UILineBreakModeWordWrap;
    vc->lblExplain->setText(localized("findPassView_explain"));
    auto button = [&](CGRect frame, const char* key) {
        auto b = veskButton(frame);
        b->setTitle(localized(key), UIControlStateNormal);
        return b;
    };
    vc->btnRequest = button(CGRectMake(20, 210, 135, 40), "findPassView_request");
    vc->btnRequest->addTarget(self, action<&FindPassViewController::forgotPassword>("forgotPassword:"), UIControlEventTouchUpInside);
    vc->btnBack = button(CGRectMake(165, 210, 135, 40), "findPassView_back");
    vc->btnBack->addTarget(self, action<&FindPassViewController::goBack>("goBack:"), UIControlEventTouchUpInside);
    vc->name = UITextField::initWithFrame(CGRectZero);
    for (const std::shared_ptr<UIView>& v : std::vector<std::shared_ptr<UIView>>{title, vc->lblExplain, vc->btnRequest, vc->btnBack})
        view->addSubview(v);
    return {view};
}), true);

}  // namespace

void FindPassViewController::forgotPassword(const id& sender)
{
    auto self = std::static_pointer_cast<FindPassViewController>(shared_from_this());
    const NSString account = mPhone_;
    NSThread::detachNewThreadWithBlock([self, account] {
        auto reply = UserInfo::init()->RQPassword(account);
        NSThread::performBlockOnMainThread([self, reply] { self->showOutcome(reply); }, false);
    });
}

void FindPassViewController::showOutcome(const std::shared_ptr<UserInfoReturnMessage>& reply)
{
    if (reply && reply->code() == "0") {
        goBack(nullptr);
        Constant_alert(localized("findPassView_prompt"), nullptr);
    } else if (reply && !reply->desc().isNil()) {
        Constant_alert(localized("serviceBackMessage_failed"), nullptr);
    } else {
        Constant_alert(localized("findPassView_lost"), nullptr);
    }
    Ulvo::setNetworkActivityIndicatorVisible(false);
}

void FindPassViewController::goBack(const id& sender)
{
    removeWithCurlDown(view().get(), 0.75, nullptr);
}

void FindPassViewController::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
}
