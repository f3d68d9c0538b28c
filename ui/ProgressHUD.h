#pragma once
// The heads-up indicator laid over a view while a server exchange runs: a
// translucent black rounded box in the middle holding a spinner (or a round
// progress pie, or the caller's view) and up to two lines of text. It can run
// a task on a thread of its own and hide when the task ends; it can wait a
// grace time before appearing and stay a minimum time once visible.

#include <mutex>

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"

class ProgressHUD;

class ProgressHUDDelegate {
public:
    virtual ~ProgressHUDDelegate() = default;
    virtual void hudWasHidden(ProgressHUD* hud) {}
};

// The pie of the determinate mode.
class RoundProgressView : public UIProgressView {
public:
    static std::shared_ptr<RoundProgressView> initWithDefaultSize()
    {
        return UIView::initWithFrame<RoundProgressView>(CGRectMake(0, 0, 37, 37));
    }
    void drawRect(CGRect rect) override;
};

enum ProgressHUDMode { ProgressHUDModeIndeterminate = 0, ProgressHUDModeDeterminate = 1, ProgressHUDModeCustomView = 2 };
enum ProgressHUDAnimation { ProgressHUDAnimationFade = 0, ProgressHUDAnimationZoom = 1 };

class ProgressHUD : public UIView {
public:
    ProgressHUD();
    ~ProgressHUD() override;

    // ---- The screens' entry points. The calls whose second argument is a title
    // carry the keyword in their names: a text literal would otherwise pick
    // the overload taking the animated flag.
    static std::shared_ptr<ProgressHUD> showHUDAddedTo_withTitle(UIView* view, const NSString& title);
    static std::shared_ptr<ProgressHUD> showHUDAddedTo(UIView* view, bool animated, const NSString& title);
    static std::shared_ptr<ProgressHUD> showHUDAddedTo(UIView* view, bool animated);
    // Hides the topmost HUD of the view (removed once hidden); false when there is none.
    static bool hideHUDForView(UIView* view, bool animated);
    // Replaces the view's HUDs by the network-error HUD (tag 120120).
    static std::shared_ptr<ProgressHUD> error(UIView* view);
    // Only turns the network activity indicator off.
    static void hideHUDForView_withTitle(UIView* view, const NSString& title);

    // A HUD over the view's bounds; a nil view raises "ProgressHUDViewIsNillException".
    static std::shared_ptr<ProgressHUD> initWithView(UIView* view);
    static std::shared_ptr<ProgressHUD> initWithWindow(UIWindow* window) { return initWithView(window); }
    static std::shared_ptr<ProgressHUD> initWithFrame(CGRect frame);

    void show(bool animated);
    // Hiding a HUD that is not showing, or hiding it again while it hides,
    // changes nothing (the delegate hears of each hide once).
    void hide(bool animated);
    // Sends the selector to the target with the object on a new thread, shows
    // the HUD, and hides it on the main thread when the task returns or throws.
    void showWhileExecuting(SEL method, const id& target, const id& object, bool animated);
    // Adds a HUD to the view, shows it and removes it after the interval.
    static std::shared_ptr<ProgressHUD> autoHideAfterTimeInterval(NSTimeInterval interval, const NSString& title, UIView* view);
    // Sets the text, then after the interval removes the HUD (behind a flip
    // transition) and shows it without animation.
    void removeAfterTimeInterval(NSTimeInterval interval, const NSString& title);
    void hideView(UIView* view);

    // Setters callable from any thread: the view work is handed to the main
    // thread without waiting.
    int mode() const;
    void setMode(int mode);
    NSString labelText() const;
    void setLabelText(const NSString& text);
    NSString detailsLabelText() const;
    void setDetailsLabelText(const NSString& text);
    float progress() const;
    void setProgress(float progress);

    int animationType = ProgressHUDAnimationFade;
    CGFloat yOffset = 0, xOffset = 0;
    CGFloat width = 0, height = 0;  // the box, from the last layout
    float graceTime = 0;
    float minShowTime = 0;
    float opacity = 0.8f;
    UIFontRef labelFont = UIFont::boldSystemFontOfSize(16);
    UIFontRef detailsLabelFont = UIFont::boldSystemFontOfSize(12);
    bool removeFromSuperViewOnHide = false;
    std::shared_ptr<UIView> customView;
    std::weak_ptr<ProgressHUDDelegate> delegate;
    CGAffineTransform rotationTransform = CGAffineTransformIdentity;
    bool taskInProgress() const { return taskInProgress_; }
    std::shared_ptr<NSTimer> graceTimer() const { return graceTimer_; }
    std::shared_ptr<NSTimer> minShowTimer() const { return minShowTimer_; }
    std::optional<NSDate> showStarted() const { return showStarted_; }
    UIView* indicator() const { return indicator_.get(); }
    UILabel* label() const { return label_.get(); }
    UILabel* detailsLabel() const { return detailsLabel_.get(); }

    void setTransformForCurrentOrientation(bool animated);
    void deviceOrientationDidChange(const id& notification);

    void layoutSubviews() override;
    void drawRect(CGRect rect) override;

    // Selectors of the timers, the task thread and the hide animation.
    void handleGraceTimer(const id& timer);
    void handleMinShowTimer(const id& timer);
    void launchExecution(const id&);
    void cleanUp();
    void animationFinished(const id& stop);

private:
    enum class Phase { Idle, Showing, Hiding };
    std::shared_ptr<ProgressHUD> self() { return std::static_pointer_cast<ProgressHUD>(shared_from_this()); }
    void onMainThread(std::function<void()> work);
    void updateIndicators();
    void showUsingAnimation(bool animated);
    void hideUsingAnimation(bool animated);
    void done();
    void fillRoundedRect(CGRect rect, CGContextRef context);

    mutable std::mutex mutex_;  // guards the four any-thread properties
    int mode_ = -1;
    NSString labelText_ = "加载中...";
    NSString detailsLabelText_;
    float progress_ = 0;

    SEL methodForExecution_;
    id targetForExecution_, objectForExecution_;
    bool useAnimation_ = false;
    bool taskInProgress_ = false;
    Phase phase_ = Phase::Idle;
    std::shared_ptr<NSTimer> graceTimer_, minShowTimer_;
    std::optional<NSDate> showStarted_;
    std::shared_ptr<UIView> indicator_;
    std::shared_ptr<UILabel> label_, detailsLabel_;
    id orientationObserver_;
};
