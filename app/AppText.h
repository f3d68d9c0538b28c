#pragma once
// Texts of the application's screens, looked up in the strings table with an
// empty default value and no table name, and the settings store's alert and
// loading indicator.

#include <memory>

#include "platform/foundation/NSBundle.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIControl.h"

inline NSString localized(const NSString& key) { return NSLocalizedString(key, ""); }
// The text that follows a count: for exactly 1 the table's singular under
// "<key>_one" when it has one ("time" beside "times"), else the key's text.
NSString localizedForCount(const NSString& key, long long count);
// The bundle's "CFBundleVersion"; nil when it has none.
NSString bundleVersion();

// +[Constant alert:delegate:]: an alert titled `constant_prompt` with the
// message and one `constant_ok` button (the settings store cannot show views
// itself, so the application keeps its alert).
std::shared_ptr<UIAlertView> Constant_alert(const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate);

// +[Constant loadingView]: a large white activity indicator in a 44 x 44
// frame at the origin, already animating.
std::shared_ptr<UIActivityIndicatorView> Constant_loadingView();
