#include "platform/uikit/UIGestureRecognizer.h"

CGPoint UIGestureRecognizer::locationInView(const UIView* v) const
{
    return v ? v->convertPointFromView(location_, nullptr) : location_;
}

void UIGestureRecognizer::recognize(UIGestureRecognizerState state, CGPoint windowPoint)
{
    if (!enabled) return;
    auto keep = shared_from_this();
    state_ = state;
    location_ = windowPoint;
    const auto targets = targets_;
    for (const auto& t : targets)
        if (auto target = t.target.lock()) t.action.perform(target.get(), keep);
    if (state == UIGestureRecognizerStateEnded || state == UIGestureRecognizerStateCancelled ||
        state == UIGestureRecognizerStateFailed)
        state_ = UIGestureRecognizerStatePossible;
}

CGPoint UIPanGestureRecognizer::translationInView(const UIView* v) const
{
    const CGPoint a = v ? v->convertPointFromView(start_, nullptr) : start_;
    const CGPoint b = locationInView(v);
    return {b.x - a.x, b.y - a.y};
}

void UIPanGestureRecognizer::setTranslation(CGPoint t, const UIView* v)
{
    const CGPoint now = locationInView(v);
    const CGPoint origin{now.x - t.x, now.y - t.y};
    start_ = v ? v->convertPoint(origin, nullptr) : origin;
}

void UIPanGestureRecognizer::panTo(UIGestureRecognizerState state, CGPoint windowPoint)
{
    if (state == UIGestureRecognizerStateBegan) start_ = windowPoint;
    recognize(state, windowPoint);
}
