#include "app/About.h"

#include "app/AppText.h"
#include "app/MenuParts.h"
#include "app/ScreenParts.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/uikit/UIApplication.h"

// Menus that are not in this library make it by name.
NX_REGISTER_CLASS(About, [] { return UIViewController::init<About>(); });

namespace {

// The interface file: the name and version on top, rights and contact lines,
// the call button at the bottom.
const bool registered = (UINib::registerNib("About", [](NSObject* owner) -> std::vector<id> {
    auto* vc = static_cast<About*>(owner);
    auto view = UIView::initWithFrame(CGRectMake(0, 0, 320, 416));
    view->setBackgroundColor(menuBackgroundColor());
    auto centred = [&](std::shared_ptr<UILabel>& label, CGFloat y, CGFloat height, CGFloat size) {
        label = whiteLabel(CGRectMake(20, y, 280, height), size);
        label->textAlignment = UITextAlignmentCenter;
        label->numberOfLines = 0;
        label->lineBreakMode = UILineBreakModeWordWrap;
        view->addSubview(label);
    };
    centred(vc->lblTop, 16, 36, 28);
    vc->lblTop->font = UIFont::boldSystemFontOfSize(28);
    centred(vc->lbltitle, 54, 44, 16);
    centred(vc->version, 100, 22, 14);
    centred(vc->lblpower, 130, 40, 13);
    centred(vc->lblCompany, 172, 22, 13);
    centred(vc->lblCompanyForTech, 196, 22, 13);
    centred(vc->lblSMSForTech, 220, 22, 13);
    centred(vc->lblUrlForCompany, 244, 22, 13);
    vc->btnCall = veskButton(CGRectMake(60, 300, 200, 40));
    vc->btnCall->addTarget(owner->shared_from_this(), NX_SEL(About, dial), UIControlEventTouchUpInside);
    view->addSubview(vc->btnCall);
    return {view};
}), true);

// The decimal digits of the text, in their order.
NSString digitsOf(const NSString& text)
{
    std::string digits;
    for (char c : text.str())
        if (c >= '0' && c <= '9') digits += c;
    return NSString(digits);
}

}  // namespace

void About::viewDidLoad()
{
    setTitle(localized("about_aboutus"));
    version->setText(NSString::stringWithFormat("%@%@", localized("about_ver"), bundleVersion()));
    lblTop->setText(localized("login_title"));
    lbltitle->setText(localized("about_title"));
    lblpower->setText(localized("about_power"));
    lblCompany->setText(localized("about_company"));
    lblCompanyForTech->setText(localized("about_companyfortech"));
    lblSMSForTech->setText(localized("about_smsfortech"));
    lblUrlForCompany->setText(localized("about_urlforcompany"));
    btnCall->setTitle(localized("about_call"), UIControlStateNormal);
    navigationItem()->setLeftBarButtonItem(veskBarItem(localized("about_back"), shared_from_this(), NX_SEL0(About, goBack)));
    UIViewController::viewDidLoad();
}

void About::dial(const id&)
{
    const NSString message = NSString::stringWithFormat("%@%@%@", localized("about_suretocall"), NSString(kServiceHotline), localized("about_yet"));
    UIAlertView::initWithTitle("", message, std::static_pointer_cast<About>(shared_from_this()), localized("about_ok"),
                               {localized("about_next")})
        ->show();
}

void About::alertView_clickedButtonAtIndex(UIAlertView*, NSInteger index)
{
    if (index != 0) return;
    const NSString model = UIDevice::currentDevice().model;
    const NSString kind = model.length() > 4 ? model.substringToIndex(4) : model;
    if (kind == "iPad" || kind == "iPod") {
        Constant_alert(localized("about_canTel"), nullptr);
        return;
    }
    const NSString number = digitsOf(kServiceHotline);
    if (number.length() > 0) UIApplication::sharedApplication().openURL(NSString::stringWithFormat("tel:%@", number));
}

void About::viewWillDisappear(bool animated)
{
    UIViewController::viewWillDisappear(animated);
    bringTabBarBackWhenLeft(this);
}

void About::goBack()
{
    if (auto* nav = navigationController()) nav->popViewControllerAnimated(true);
}
