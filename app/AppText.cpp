#include "app/AppText.h"

std::shared_ptr<UIAlertView> Constant_alert(const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate)
{
    auto alert = UIAlertView::initWithTitle(localized("constant_prompt"), message, delegate, localized("constant_ok"), {});
    alert->show();
    return alert;
}


NSString localizedForCount(const NSString& key, long long count)
{
    if (count == 1) {
        const NSString singular = NSString::stringWithFormat("%@_one", key);
        const NSString text = localized(singular);
        if (!(text == singular)) return text;
    }
    return localized(key);
}

NSString bundleVersion()
{
    const PlistValue version = NSBundle::mainBundle()->infoDictionary().objectForKey("CFBundleVersion");
    return version.string() ? *version.string() : NSString();
}
