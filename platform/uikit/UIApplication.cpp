#include "platform/uikit/UIApplication.h"

#include <algorithm>

#include "platform/foundation/NSUserDefaults.h"

const NSString UIApplicationDidReceiveMemoryWarningNotification = "UIApplicationDidReceiveMemoryWarningNotification";
const NSString UIDeviceOrientationDidChangeNotification = "UIDeviceOrientationDidChangeNotification";

void UIWindow::makeKeyWindow() { UIApplication::sharedApplication().setKeyWindow(std::static_pointer_cast<UIWindow>(self())); }

void UIWindow::makeKeyAndVisible()
{
    makeKeyWindow();
    setHidden(false);
}

bool UIWindow::isKeyWindow() const { return UIApplication::sharedApplication().keyWindow().get() == this; }

std::shared_ptr<UIView> UIWindow::visibleAlert() const
{
    for (auto it = shownAlerts_.rbegin(); it != shownAlerts_.rend(); ++it)
        if ((*it)->superview()) return *it;
    return nullptr;
}

UIApplication& UIApplication::sharedApplication()
{
    static UIApplication app;
    return app;
}

std::shared_ptr<UIWindow> UIApplication::keyWindow() const
{
    std::lock_guard lock(keyWindowLock_);
    return keyWindow_.lock();
}

void UIApplication::setKeyWindow(const std::shared_ptr<UIWindow>& w)
{
    std::lock_guard lock(keyWindowLock_);
    keyWindow_ = w;
}

bool UIApplication::hasKeyWindow() const
{
    std::lock_guard lock(keyWindowLock_);
    return !keyWindow_.expired();
}

bool UIApplication::openURL(const NSString& url)
{
    if (url.isNil()) return false;
    openedURLs_.push_back(url);
    return true;
}

void UIApplication::reset()
{
    setKeyWindow(nullptr);
    delegate.reset();
    networkActivityIndicatorVisible_ = false;
    statusBarStyle_ = UIStatusBarStyleDefault;
    statusBarHidden_ = false;
    statusBarOrientation_ = UIInterfaceOrientationPortrait;
    openedURLs_.clear();
    mainInterfaceObjects.clear();
    UIDevice::currentDevice().resetOrientation();
}

UIScreen& UIScreen::mainScreen()
{
    static UIScreen screen;
    return screen;
}

UIScreenMode UIScreen::currentMode() const
{
    auto defaults = NSUserDefaults::standardUserDefaults();
    auto side = [&](const char* key, NSInteger fallback) {
        NSInteger v = defaults->integerForKey(key);
        return static_cast<CGFloat>(v > 0 && v <= 0xFFFF ? v : fallback);
    };
    return {CGSizeMake(side("EngineScreenWidth", 640), side("EngineScreenHeight", 960))};
}

UIDevice& UIDevice::currentDevice()
{
    static UIDevice device;
    return device;
}
