#pragma once
// Gesture recognisers: tap, long press, pan and rotation. Headless, a gesture
// is recognised when the test driver says so (recognize), which sets the state
// and sends the actions.

#include "platform/uikit/UIView.h"

enum UIGestureRecognizerState : NSInteger {
    UIGestureRecognizerStatePossible = 0,
    UIGestureRecognizerStateBegan = 1,
    UIGestureRecognizerStateChanged = 2,
    UIGestureRecognizerStateEnded = 3,
    UIGestureRecognizerStateCancelled = 4,
    UIGestureRecognizerStateFailed = 5,
};

class UIGestureRecognizer : public NSObject {
public:
    template <class T>
    static std::shared_ptr<T> initWithTarget(const id& target, SEL action)
    {
        auto g = std::make_shared<T>();
        g->addTarget(target, std::move(action));
        return g;
    }
    void addTarget(const id& target, SEL action) { targets_.push_back({target, std::move(action)}); }
    UIView* view() const { return view_; }
    void setView(UIView* v) { view_ = v; }
    UIGestureRecognizerState state() const { return state_; }
    bool enabled = true;
    bool cancelsTouchesInView = true;
    NSUInteger numberOfTouches() const { return state_ == UIGestureRecognizerStatePossible ? 0 : 1; }
    // Where the gesture is, in a view's coordinates (window coordinates for nullptr).
    CGPoint locationInView(const UIView* v) const;

    // The gesture reached a state at a point of the window: the actions run
    // with the recogniser as argument. A disabled recogniser does nothing.
    void recognize(UIGestureRecognizerState state, CGPoint windowPoint);

private:
    struct Target {
        std::weak_ptr<NSObject> target;
        SEL action;
    };
    std::vector<Target> targets_;
    UIView* view_ = nullptr;
    UIGestureRecognizerState state_ = UIGestureRecognizerStatePossible;
    CGPoint location_;
};

class UITapGestureRecognizer : public UIGestureRecognizer {
public:
    NSUInteger numberOfTapsRequired = 1;
    NSUInteger numberOfTouchesRequired = 1;
};

class UILongPressGestureRecognizer : public UIGestureRecognizer {
public:
    NSTimeInterval minimumPressDuration = 0.5;
};

class UIPanGestureRecognizer : public UIGestureRecognizer {
public:
    // The movement since the gesture began (or the last setTranslation), in
    // the given view's coordinates.
    CGPoint translationInView(const UIView* v) const;
    void setTranslation(CGPoint t, const UIView* v);
    NSUInteger minimumNumberOfTouches = 1;
    NSUInteger maximumNumberOfTouches = NSUIntegerMax;

    // Test driver: the finger moved to a point of the window.
    void panTo(UIGestureRecognizerState state, CGPoint windowPoint);

private:
    static constexpr NSUInteger NSUIntegerMax = ~NSUInteger{0};
    CGPoint start_;
};

class UIRotationGestureRecognizer : public UIGestureRecognizer {
public:
    CGFloat rotation = 0;  // radians
    CGFloat velocity = 0;
};
