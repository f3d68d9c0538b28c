#include "app/AppText.h"

std::shared_ptr<UIAlertView> Constant_alert(const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate)
{
    auto alert = UIAlertView::initWithTitle(localized("constant_prompt"), message, delegate, localized("constant_ok"), {});
    alert->show();
    return alert;
}

std::shared_ptr<UIActivityIndicatorView> Constant_loadingView()
{
    auto indicator = UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyleWhiteLarge);
    indicator->setFrame(CGRectMake(0, 0, 44, 44));
    indicator->startAnimating();
    return indicator;
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
