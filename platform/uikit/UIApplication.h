#pragma once
// The shared application, its windows, the screen and the device.

#include <memory>
#include <mutex>
#include <vector>

#include "platform/uikit/UIView.h"

class UIAlertView;
class UIActionSheet;

class UIWindow : public UIView {
public:
    UIWindow() { window_ = this; }
    static std::shared_ptr<UIWindow> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIWindow>(frame); }
    // Makes this the application's key window and shows it.
    void makeKeyAndVisible();
    void makeKeyWindow();
    bool isKeyWindow() const;
    // Alert views and action sheets shown on this window, in the order shown.
    std::vector<std::shared_ptr<UIView>> shownAlerts() const { return shownAlerts_; }
    // The alert or sheet on top that is still showing, or nullptr.
    std::shared_ptr<UIView> visibleAlert() const;
    void recordShownAlert(const std::shared_ptr<UIView>& alert) { shownAlerts_.push_back(alert); }
    // The view that is first responder in this window, if any.
    UIResponder* firstResponder() const { return firstResponder_; }
    void setFirstResponder(UIResponder* r) { firstResponder_ = r; }

private:
    std::vector<std::shared_ptr<UIView>> shownAlerts_;
    UIResponder* firstResponder_ = nullptr;
};

enum UIStatusBarStyle : NSInteger {
    UIStatusBarStyleDefault = 0,
    UIStatusBarStyleBlackTranslucent = 1,
    UIStatusBarStyleBlackOpaque = 2,
};
enum UIStatusBarAnimation : NSInteger { UIStatusBarAnimationNone = 0, UIStatusBarAnimationFade = 1, UIStatusBarAnimationSlide = 2 };
enum UIInterfaceOrientation : NSInteger {
    UIInterfaceOrientationPortrait = 1,
    UIInterfaceOrientationPortraitUpsideDown = 2,
    UIInterfaceOrientationLandscapeLeft = 4,
    UIInterfaceOrientationLandscapeRight = 3,
};

// Posted by the application (object: the application) when the system runs low
// on memory; tests post it themselves.
extern const NSString UIApplicationDidReceiveMemoryWarningNotification;
// Posted by the device (no object) when its orientation changes.
extern const NSString UIDeviceOrientationDidChangeNotification;

class UIApplication;

class UIApplicationDelegate {
public:
    virtual ~UIApplicationDelegate() = default;
    // Launch: the main interface's objects exist; YES when the launch went on.
    virtual bool application_didFinishLaunchingWithOptions(UIApplication* application, const id& options) { return true; }
};

class UIApplication : public NSObject {
public:
    static UIApplication& sharedApplication();

    // Safe to ask from any thread (a request asks before it shows a dialog).
    std::shared_ptr<UIWindow> keyWindow() const;
    void setKeyWindow(const std::shared_ptr<UIWindow>& w);
    bool hasKeyWindow() const;
    std::weak_ptr<UIApplicationDelegate> delegate;

    bool networkActivityIndicatorVisible() const { return networkActivityIndicatorVisible_; }
    void setNetworkActivityIndicatorVisible(bool v) { networkActivityIndicatorVisible_ = v; }
    UIStatusBarStyle statusBarStyle() const { return statusBarStyle_; }
    void setStatusBarStyle(UIStatusBarStyle s, bool animated = false) { statusBarStyle_ = s; }
    bool statusBarHidden() const { return statusBarHidden_; }
    void setStatusBarHidden(bool h, UIStatusBarAnimation animation = UIStatusBarAnimationNone) { statusBarHidden_ = h; }
    UIInterfaceOrientation statusBarOrientation() const { return statusBarOrientation_; }
    void setStatusBarOrientation(UIInterfaceOrientation o) { statusBarOrientation_ = o; }

    // Records the URL and says it could be opened ("tel:" links dial).
    bool openURL(const NSString& url);
    const std::vector<NSString>& openedURLs() const { return openedURLs_; }

    // Back to the state of a freshly started process (tests).
    void reset();

    // The main interface's top-level objects, kept for the life of the
    // process (UIApplicationMain.h).
    std::vector<id> mainInterfaceObjects;

private:
    mutable std::mutex keyWindowLock_;
    std::weak_ptr<UIWindow> keyWindow_;
    bool networkActivityIndicatorVisible_ = false;
    UIStatusBarStyle statusBarStyle_ = UIStatusBarStyleDefault;
    bool statusBarHidden_ = false;
    UIInterfaceOrientation statusBarOrientation_ = UIInterfaceOrientationPortrait;
    std::vector<NSString> openedURLs_;
};

// A display mode: its size in pixels.
struct UIScreenMode {
    CGSize size;
};

class UIScreen : public NSObject {
public:
    static UIScreen& mainScreen();
    // The mode in use: the device's screen size in pixels, the user defaults
    // "EngineScreenWidth" and "EngineScreenHeight" that the map engine reads
    // too (640 x 960 when unset or out of 1..65535), so that both see one
    // screen.
    UIScreenMode currentMode() const;
    CGRect bounds() const { return bounds_; }
    CGRect applicationFrame() const { return CGRectMake(0, 20, bounds_.size.width, bounds_.size.height - 20); }
    CGFloat scale() const { return scale_; }
    // Setting: 320x480 at scale 1 by default, 640x960 pixels is scale 2.
    void setScale(CGFloat scale) { scale_ = scale; }

private:
    CGRect bounds_ = CGRectMake(0, 0, 320, 480);
    CGFloat scale_ = 1;
};

enum UIUserInterfaceIdiom : NSInteger { UIUserInterfaceIdiomPhone = 0, UIUserInterfaceIdiomPad = 1 };

enum UIDeviceOrientation : NSInteger {
    UIDeviceOrientationUnknown = 0,
    UIDeviceOrientationPortrait = 1,
    UIDeviceOrientationPortraitUpsideDown = 2,
    UIDeviceOrientationLandscapeLeft = 3,
    UIDeviceOrientationLandscapeRight = 4,
    UIDeviceOrientationFaceUp = 5,
    UIDeviceOrientationFaceDown = 6,
};

class UIDevice : public NSObject {
public:
    static UIDevice& currentDevice();
    NSString model = "iPhone";
    NSString systemVersion = "4.3";
    UIUserInterfaceIdiom userInterfaceIdiom = UIUserInterfaceIdiomPhone;

    // Orientation (UIDeviceOrientation.cpp): unknown unless notifications
    // are being generated; begin and end calls nest.
    UIDeviceOrientation orientation() const;
    bool isGeneratingDeviceOrientationNotifications() const { return generating_ > 0; }
    void beginGeneratingDeviceOrientationNotifications() { ++generating_; }
    void endGeneratingDeviceOrientationNotifications() { if (generating_ > 0) --generating_; }
    // The device turned (tests): posts UIDeviceOrientationDidChangeNotification
    // while notifications are generated.
    void setOrientation(UIDeviceOrientation orientation);
    // Portrait, no notifications (with the application's reset).
    void resetOrientation();

private:
    UIDeviceOrientation orientation_ = UIDeviceOrientationPortrait;
    int generating_ = 0;
};
