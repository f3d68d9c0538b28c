#include "app/AppText.h"

std::shared_ptr<UIAlertView> Constant_alert(const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate)
{
    auto alert = UIAlertView::initWithTitle(localized("constant_prompt"), message, delegate, localized("constant_ok"), {});
    alert->show();
    return alert;
}


NSString bundleVersion()
{
    const PlistValue version = NSBundle::mainBundle()->infoDictionary().objectForKey("CFBundleVersion");
    return version.string() ? *version.string() : NSString();
}
