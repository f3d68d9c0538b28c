#pragma once
// The view under the map image that sorts raw touches into the gestures the
// map reacts to: single, double and two-finger taps, a long and a plain
// press, and the begin, move and end of a one-finger touch. Pan and pinch
// belong to the scroll view, which calls notifyDrag / notifyZoom so that no
// long press fires during them.

#include <memory>

#include "platform/foundation/NSTimer.h"
#include "platform/uikit/UIView.h"

class TapDetectingView;

class TapDetectingViewDelegate {
public:
    virtual ~TapDetectingViewDelegate() = default;
    virtual void tapDetectingView_beginTouchPoint(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_moveTouchPoint(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_endTouchPoint(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_gotLongPress(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_gotNormalPress(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_gotSingleTapAtPoint(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_gotDoubleTapAtPoint(TapDetectingView*, CGPoint) {}
    virtual void tapDetectingView_gotTwoFingerTapAtPoint(TapDetectingView*, CGPoint) {}
};

class TapDetectingView : public UIView {
public:
    // A second tap within this time makes a double tap.
    static constexpr NSTimeInterval kSingleTapDelay = 0.35;
    static constexpr NSTimeInterval kLongPressDelay = 1.0;

    static std::shared_ptr<TapDetectingView> initWithFrame(CGRect frame);
    ~TapDetectingView() override;

    std::shared_ptr<TapDetectingViewDelegate> delegate() const { return delegate_.lock(); }
    void setDelegate(const std::shared_ptr<TapDetectingViewDelegate>& d) { delegate_ = d; }

    void touchesBegan(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesMoved(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesEnded(const NSSetOfTouches& touches, UIEvent* event) override;
    void touchesCancelled(const NSSetOfTouches& touches, UIEvent* event) override;

    void notifyDrag() { destroyLongPressTimer(); }
    void notifyZoom() { destroyLongPressTimer(); }

    void handleBeginTouchPoint();
    void handleMoveTouchPoint();
    void handleEndTouchPoint();
    void handleLongPress();
    void handleNormalPress();
    void handleSingleTap();
    void handleDoubleTap();
    void handleTwoFingerTap();

private:
    void initLongPressTimer();
    void destroyLongPressTimer();
    // Calls the delegate, when set, with this view and tapLocation.
    void report(void (TapDetectingViewDelegate::*callback)(TapDetectingView*, CGPoint));
    void endSequence();

    std::weak_ptr<TapDetectingViewDelegate> delegate_;
    std::shared_ptr<NSTimer> longPressTimer;
    bool fireLongPressTimer = false;
    CGPoint tapLocation{};
    bool multipleTouches = false;
    bool twoFingerTapIsPossible = true;
};
