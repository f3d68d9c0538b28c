#pragma once
// The test driver that screen tests use: a key window, finding views, and the
// user's taps, typing, alert presses and drags.

#include <functional>

#include "platform/uikit/MessageUI.h"
#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UITextField.h"
#include "platform/uikit/UIViewController.h"

class NXUITestDriver {
public:
    // A fresh application state, the virtual clock (real time again at the
    // end) and a key window the size of the screen. The clock starts at
    // kDefaultStart, so that what a screen shows never hangs on the day it is
    // driven.
    NXUITestDriver();
    static constexpr NSTimeInterval kDefaultStart = 1796904000;  // 2026-12-10 12:00:00 UTC
    // The same, the virtual clock starting at that time (seconds since 1970),
    // for screens that read the day or the time of day.
    explicit NXUITestDriver(NSTimeInterval since1970);
    ~NXUITestDriver();
    NXUITestDriver(const NXUITestDriver&) = delete;
    NXUITestDriver& operator=(const NXUITestDriver&) = delete;

    UIWindow* window() const { return window_.get(); }
    // Drives the application's key window from now on (an application
    // launched through its main interface brings its own); false when there
    // is none.
    bool useKeyWindow();
    // Puts a controller's view on the window (it appears).
    void show(const std::shared_ptr<UIViewController>& vc);

    // Depth first from the window, in subview order.
    UIView* findView(const std::function<bool(UIView&)>& match) const;
    template <class T>
    T* find(const std::function<bool(T&)>& match = nullptr) const
    {
        return static_cast<T*>(findView([&](UIView& v) {
            auto* t = dynamic_cast<T*>(&v);
            return t && (!match || match(*t));
        }));
    }
    UIView* viewWithTag(NSInteger tag) const { return window_->viewWithTag(tag); }
    // A label, button (current title) or text field showing the text.
    UIView* viewWithText(const NSString& text) const;
    UIButton* buttonWithTitle(const NSString& title) const;

    // A tap in the middle of the view as the user makes it: the view must be
    // the one (or inside the one) hit there, else nothing happens and false
    // comes back. A tap recogniser on the way up takes the tap; otherwise the
    // touches go to the view hit.
    bool tap(UIView* view);
    bool tapAt(CGPoint windowPoint);
    // Two taps in the middle of the view, quick enough to count as one double
    // tap: the touches of the second carry tap count 2. Tap recognisers are
    // not consulted; false when the view is not the one hit.
    bool doubleTap(UIView* view);

    // Raw touches, one finger, as the user makes them: down at a point of the
    // window (the view hit gets touchesBegan; nullptr when nothing is hit),
    // moves, and up (touchesEnded). tapCount numbers quick successive taps.
    UIView* touchDown(CGPoint windowPoint, NSUInteger tapCount = 1);
    void touchMove(CGPoint windowPoint);
    void touchUp();

    // Two fingers 20 points either side of the view's middle, down together
    // and lifted together, or (together false) the left one lifted first.
    // False when the view is not the one hit there.
    bool twoFingerTap(UIView* view, bool together = true);
    // One finger down in the middle of the view, held while the virtual
    // clock advances by the seconds, then lifted with tap count 0.
    bool pressAndHold(UIView* view, NSTimeInterval seconds);
    // A pinch on a scroll view ending at the zoom scale.
    void pinch(UIScrollView* sv, CGFloat scale) { if (sv) sv->pinch(scale); }
    // Fingers centred on a point of the scroll view's frame.
    void pinch(UIScrollView* sv, CGFloat scale, CGPoint focus) { if (sv) sv->pinch(scale, focus); }

    // The mail or message composer on screen ends as the user chose; false
    // when none is shown.
    bool finishComposer(NXComposeOutcome outcome);

    // A finger put down at one point of the window, moved to another and
    // lifted: the touches go to the view hit where it went down (no
    // recogniser takes them); false when nothing is hit there.
    bool swipe(CGPoint fromWindowPoint, CGPoint toWindowPoint);
    // The same with time: the finger moves evenly over the seconds (a move
    // each sixtieth of a second on the virtual clock), rests there for
    // restBeforeLift seconds and lifts. Without a rest it lifts while still
    // moving, as in a flick.
    bool flick(CGPoint fromWindowPoint, CGPoint toWindowPoint, NSTimeInterval seconds, NSTimeInterval restBeforeLift = 0);
    void tapBarButtonItem(UIBarButtonItem* item) { if (item) item->sendAction(); }

    // Focuses the field and types the text one character at a time through the
    // delegate; false when the field would not take the focus.
    bool type(UITextField* field, const NSString& text);

    // The alert or sheet on top, and a press on its button.
    NXButtonPanel* visibleAlert() const;
    bool pressAlertButton(NSInteger index);

    // Scroll views.
    void drag(UIScrollView* sv, CGPoint translation, bool decelerate = false) { if (sv) sv->drag(translation, decelerate); }
    // Lifted moving (points per second): the content glides on as the clock advances.
    void fling(UIScrollView* sv, CGPoint translation, CGPoint velocity) { if (sv) sv->fling(translation, velocity); }
    void scrollTo(UIScrollView* sv, CGPoint offset) { if (sv) sv->setContentOffset(offset, false); }

    // Layout asked for anywhere in the window is done.
    void layout();

    // Runs the main run loop (default mode) until the condition holds or the
    // bound in real seconds passes; returns the condition.
    bool pumpUntil(const std::function<bool()>& done, NSTimeInterval timeout = 5);
    // Moves the virtual clock on: due timers, delayed performs and animation
    // ends fire in order.
    void advanceClock(NSTimeInterval seconds);

private:
    std::shared_ptr<UIWindow> window_;
    std::shared_ptr<UITouch> touch_;
};
