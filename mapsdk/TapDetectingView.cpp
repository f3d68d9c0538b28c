#include "mapsdk/TapDetectingView.h"

namespace {

const SEL& SingleTapSelector()
{
    static const SEL sel = NX_SEL0(TapDetectingView, handleSingleTap);
    return sel;
}

CGPoint Midpoint(CGPoint a, CGPoint b) { return CGPointMake((a.x + b.x) * 0.5, (a.y + b.y) * 0.5); }

}  // namespace

std::shared_ptr<TapDetectingView> TapDetectingView::initWithFrame(CGRect frame)
{
    return UIView::initWithFrame<TapDetectingView>(frame);
}

TapDetectingView::~TapDetectingView() { destroyLongPressTimer(); }

void TapDetectingView::touchesBegan(const NSSetOfTouches& touches, UIEvent* event)
{
    cancelPreviousPerformRequestsWithTarget(this, SingleTapSelector(), nullptr);
    size_t onView = event ? event->touchesForView(this).size() : touches.size();
    if (onView > 1) multipleTouches = true;
    if (onView > 2) twoFingerTapIsPossible = false;
    if (onView == 1 && !touches.empty()) {
        tapLocation = touches.front()->locationInView(this);
        initLongPressTimer();
        handleBeginTouchPoint();
    }
}

void TapDetectingView::touchesMoved(const NSSetOfTouches& touches, UIEvent* event)
{
    size_t onView = event ? event->touchesForView(this).size() : touches.size();
    if (onView == 1 && !touches.empty()) {
        tapLocation = touches.front()->locationInView(this);
        handleMoveTouchPoint();
    }
}

void TapDetectingView::touchesEnded(const NSSetOfTouches& touches, UIEvent* event)
{
    if (touches.empty()) return;
    auto keep = self();
    size_t n = touches.size();
    size_t v = event ? event->touchesForView(this).size() : n;
    bool allEnded = n == v;

    destroyLongPressTimer();
    handleEndTouchPoint();

    const auto& touch = touches.front();
    if (!multipleTouches) {
        tapLocation = touch->locationInView(this);
        switch (touch->tapCount()) {
        case 1:
            performSelector(SingleTapSelector(), nullptr, kSingleTapDelay);
            break;
        case 2:
            handleDoubleTap();
            break;
        default:
            if (!fireLongPressTimer) handleNormalPress();
            break;
        }
    } else if (twoFingerTapIsPossible) {
        if (n == 2 && allEnded) {
            if (touches[0]->tapCount() == 1 && touches[1]->tapCount() == 1) {
                tapLocation = Midpoint(touches[0]->locationInView(this), touches[1]->locationInView(this));
                handleTwoFingerTap();
            }
        } else if (n == 1 && !allEnded) {
            if (touch->tapCount() == 1) {
                tapLocation = touch->locationInView(this);
            } else {
                twoFingerTapIsPossible = false;
            }
        } else if (n == 1 && allEnded) {
            if (touch->tapCount() == 1) {
                tapLocation = Midpoint(tapLocation, touch->locationInView(this));
                handleTwoFingerTap();
            }
        }
    }
    if (allEnded) endSequence();
}

void TapDetectingView::touchesCancelled(const NSSetOfTouches&, UIEvent*) { endSequence(); }

void TapDetectingView::endSequence()
{
    twoFingerTapIsPossible = true;
    multipleTouches = false;
}

void TapDetectingView::initLongPressTimer()
{
    destroyLongPressTimer();
    fireLongPressTimer = false;
    longPressTimer = NSTimer::scheduledTimerWithTimeInterval(kLongPressDelay, self(),
                                                             NX_SEL0(TapDetectingView, handleLongPress), nullptr, false);
}

void TapDetectingView::destroyLongPressTimer()
{
    if (!longPressTimer) return;
    auto timer = std::move(longPressTimer);
    timer->invalidate();
}

void TapDetectingView::report(void (TapDetectingViewDelegate::*callback)(TapDetectingView*, CGPoint))
{
    if (auto d = delegate()) ((*d).*callback)(this, tapLocation);
}

void TapDetectingView::handleBeginTouchPoint() { report(&TapDetectingViewDelegate::tapDetectingView_beginTouchPoint); }
void TapDetectingView::handleMoveTouchPoint() { report(&TapDetectingViewDelegate::tapDetectingView_moveTouchPoint); }
void TapDetectingView::handleEndTouchPoint() { report(&TapDetectingViewDelegate::tapDetectingView_endTouchPoint); }

void TapDetectingView::handleLongPress()
{
    fireLongPressTimer = true;
    // The one-shot timer is spent; drop the reference it was kept by.
    longPressTimer = nullptr;
    report(&TapDetectingViewDelegate::tapDetectingView_gotLongPress);
}

void TapDetectingView::handleNormalPress() { report(&TapDetectingViewDelegate::tapDetectingView_gotNormalPress); }
void TapDetectingView::handleSingleTap() { report(&TapDetectingViewDelegate::tapDetectingView_gotSingleTapAtPoint); }
void TapDetectingView::handleDoubleTap() { report(&TapDetectingViewDelegate::tapDetectingView_gotDoubleTapAtPoint); }
void TapDetectingView::handleTwoFingerTap()
{
    report(&TapDetectingViewDelegate::tapDetectingView_gotTwoFingerTapAtPoint);
}
