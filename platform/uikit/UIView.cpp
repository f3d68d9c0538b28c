#include "platform/uikit/UIView.h"

#include <algorithm>
#include <cxxabi.h>
#include <typeinfo>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIKitClock.h"
#include "platform/uikit/UIViewController.h"

NSString NSStringFromClass(const NSObject& object)
{
    int status = 0;
    const char* mangled = typeid(object).name();
    char* name = abi::__cxa_demangle(mangled, nullptr, nullptr, &status);
    NSString result(status == 0 && name ? name : mangled);
    std::free(name);
    return result;
}

CGPoint UITouch::locationInView(const UIView* view) const
{
    if (!view) return point_;
    return view->convertPointFromView(point_, nullptr);
}

// ---- Layer -----------------------------------------------------------------

const NSString kCAFillModeForwards = "forwards";
const NSString kCAMediaTimingFunctionEaseIn = "easeIn";
const NSString kCAMediaTimingFunctionEaseOut = "easeOut";
const NSString kCAMediaTimingFunctionEaseInEaseOut = "easeInEaseOut";
const NSString kCAMediaTimingFunctionLinear = "linear";
const NSString kCAFillModeBoth = "both";
const NSString kCATransitionFade = "fade";
const NSString kCATransitionPush = "push";
const NSString kCATransitionMoveIn = "moveIn";
const NSString kCATransitionFromLeft = "fromLeft";
const NSString kCATransitionFromRight = "fromRight";
const NSString kCATransitionFromTop = "fromTop";
const NSString kCATransitionFromBottom = "fromBottom";

void CALayer::addAnimation(const std::shared_ptr<CAAnimation>& anim, const NSString& key)
{
    if (!anim) return;
    if (!key.isNil()) removeAnimationForKey(key);
    animations_.emplace_back(key, anim);
    if (auto d = anim->delegate.lock()) d->animationDidStart(anim.get());
    std::weak_ptr<CALayer> self = std::static_pointer_cast<CALayer>(shared_from_this());
    nxuiAfterDelay(anim->duration, [self, anim] {
        if (auto layer = self.lock()) layer->stop(anim, true);
    });
}

std::shared_ptr<CAAnimation> CALayer::animationForKey(const NSString& key) const
{
    for (const auto& [k, a] : animations_)
        if (!key.isNil() && k == key) return a;
    return nullptr;
}

void CALayer::removeAnimationForKey(const NSString& key)
{
    if (auto a = animationForKey(key)) stop(a, false);
}

void CALayer::removeAllAnimations()
{
    auto all = animations_;
    for (const auto& entry : all) stop(entry.second, false);
}

// Reports the end once: an animation already removed is not reported again.
void CALayer::stop(const std::shared_ptr<CAAnimation>& anim, bool finished)
{
    auto it = std::find_if(animations_.begin(), animations_.end(), [&](const auto& e) { return e.second == anim; });
    if (it == animations_.end()) return;
    if (!finished || anim->removedOnCompletion) animations_.erase(it);
    if (auto d = anim->delegate.lock()) d->animationDidStop_finished(anim.get(), finished);
}

// ---- View --------------------------------------------------------------------

UIView::UIView() : layer_(std::make_shared<CALayer>()) { layer_->owner = this; }

UIView::~UIView()
{
    for (auto& s : subviews_) s->superview_ = nullptr;
}

CGRect UIView::frame() const
{
    const CGSize s = bounds_.size;
    if (CGAffineTransformIsIdentity(transform_))
        return CGRectMake(center_.x - s.width / 2, center_.y - s.height / 2, s.width, s.height);
    const CGPoint corners[] = {{-s.width / 2, -s.height / 2}, {s.width / 2, -s.height / 2},
                               {-s.width / 2, s.height / 2}, {s.width / 2, s.height / 2}};
    CGFloat minX = 0, minY = 0, maxX = 0, maxY = 0;
    for (int i = 0; i < 4; ++i) {
        const CGPoint p = CGPointApplyAffineTransform(corners[i], transform_);
        minX = i ? std::min(minX, p.x) : p.x;
        maxX = i ? std::max(maxX, p.x) : p.x;
        minY = i ? std::min(minY, p.y) : p.y;
        maxY = i ? std::max(maxY, p.y) : p.y;
    }
    return CGRectMake(center_.x + minX, center_.y + minY, maxX - minX, maxY - minY);
}

void UIView::setFrame(CGRect frame)
{
    center_ = CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
    if (!(bounds_.size == frame.size)) {
        const CGSize old = bounds_.size;
        bounds_.size = frame.size;
        boundsSizeDidChange(old);
    }
}

void UIView::setBounds(CGRect bounds)
{
    const CGSize old = bounds_.size;
    bounds_ = bounds;
    if (!(old == bounds.size)) boundsSizeDidChange(old);
}

void UIView::boundsSizeDidChange(CGSize oldSize)
{
    setNeedsLayout();
    if (!autoresizesSubviews_) return;
    const auto children = subviews_;
    for (const auto& s : children) s->resizeWithOldSuperviewSize(oldSize, bounds_.size);
}

namespace {

// One axis of a frame in its superview: the leading margin, the length and
// the trailing margin, of which the flexible ones share the superview's change
// in proportion to their lengths (evenly when they are all zero).
struct AxisSpan {
    CGFloat origin, length;
};

AxisSpan resizeAxis(AxisSpan span, CGFloat oldSuper, CGFloat newSuper, bool flexLead, bool flexLength, bool flexTrail)
{
    const int flexible = flexLead + flexLength + flexTrail;
    if (flexible == 0) return span;
    const CGFloat parts[3] = {span.origin, span.length, oldSuper - span.origin - span.length};
    const bool flex[3] = {flexLead, flexLength, flexTrail};
    CGFloat total = 0;
    for (int i = 0; i < 3; ++i)
        if (flex[i]) total += std::max<CGFloat>(parts[i], 0);
    const CGFloat delta = newSuper - oldSuper;
    auto share = [&](int i) -> CGFloat {
        if (!flex[i]) return 0;
        return total > 0 ? delta * std::max<CGFloat>(parts[i], 0) / total : delta / flexible;
    };
    return {span.origin + share(0), std::max<CGFloat>(span.length + share(1), 0)};
}

}  // namespace

void UIView::resizeWithOldSuperviewSize(CGSize oldSize, CGSize newSize)
{
    const NSUInteger m = autoresizingMask_;
    if (m == UIViewAutoresizingNone || !CGAffineTransformIsIdentity(transform_)) return;
    const CGRect f = frame();
    const AxisSpan x = resizeAxis({f.origin.x, f.size.width}, oldSize.width, newSize.width,
                                  m & UIViewAutoresizingFlexibleLeftMargin, m & UIViewAutoresizingFlexibleWidth,
                                  m & UIViewAutoresizingFlexibleRightMargin);
    const AxisSpan y = resizeAxis({f.origin.y, f.size.height}, oldSize.height, newSize.height,
                                  m & UIViewAutoresizingFlexibleTopMargin, m & UIViewAutoresizingFlexibleHeight,
                                  m & UIViewAutoresizingFlexibleBottomMargin);
    setFrame(CGRectMake(x.origin, y.origin, x.length, y.length));
}

void UIView::layoutIfNeeded()
{
    if (!needsLayout_) return;
    needsLayout_ = false;
    layoutSubviews();
}

void UIView::sizeToFit()
{
    const CGRect f = frame();
    const CGSize s = sizeThatFits(f.size);
    setFrame(CGRectMake(f.origin.x, f.origin.y, s.width, s.height));
}

UIWindow* UIView::window() const
{
    return window_;
}

// The controllers that hear of a view entering or leaving a window: the
// view's own controller when a window holds the view itself or a container
// (or a presentation) shows it, then, down its tree, the controllers that
// each one shows in turn. A controller whose view was only added to another
// view hears nothing, and neither do the controllers it holds.
static void collectShownControllers(UIView* v, const UIViewController* enclosing, std::vector<std::weak_ptr<UIViewController>>& out)
{
    if (auto* vc = v->viewController()) {
        if (vc->parentViewController() != enclosing) return;
        out.push_back(std::static_pointer_cast<UIViewController>(vc->shared_from_this()));
        enclosing = vc;
    }
    for (const auto& s : v->subviews()) collectShownControllers(s.get(), enclosing, out);
}

static void collectControllers(UIView* moved, bool heldByWindow, std::vector<std::weak_ptr<UIViewController>>& out)
{
    auto* vc = moved->viewController();
    if (!vc || !(heldByWindow || vc->parentViewController())) return;
    collectShownControllers(moved, vc->parentViewController(), out);
}

void UIViewController::beginAppearanceTransitionInTree(UIView* root, bool appearing, bool animated)
{
    std::vector<std::weak_ptr<UIViewController>> vcs;
    if (root) collectControllers(root, true, vcs);
    for (auto& w : vcs)
        if (auto vc = w.lock()) vc->beginAppearanceTransition(appearing, animated);
}

static void announceWindow(UIView* v, UIWindow* w)
{
    v->willMoveToWindow(w);
    for (const auto& s : v->subviews()) announceWindow(s.get(), w);
}

void UIView::moveToWindow(UIWindow* newWindow)
{
    window_ = newWindow;
    for (const auto& s : subviews_) s->moveToWindow(newWindow);
    didMoveToWindow();
}

// The superview is the one the view leaves or joins.
template <class Change>
static void changeTree(UIView* moved, UIView* superview, UIWindow* from, UIWindow* to, Change&& change)
{
    if (from == to) {
        change();
        return;
    }
    std::vector<std::weak_ptr<UIViewController>> vcs;
    collectControllers(moved, dynamic_cast<UIWindow*>(superview) != nullptr, vcs);
    for (auto& w : vcs)
        if (auto vc = w.lock()) vc->beginAppearanceTransition(to != nullptr, false);
    announceWindow(moved, to);
    change();
    for (auto& w : vcs)
        if (auto vc = w.lock()) vc->endAppearanceTransition();
}

void UIView::attach(const std::shared_ptr<UIView>& view, NSInteger index)
{
    if (!view || view.get() == this) return;
    auto keep = view;
    auto clamp = [&](NSInteger i) { return std::clamp<NSInteger>(i, 0, static_cast<NSInteger>(subviews_.size())); };
    if (view->superview_ == this) {
        auto it = std::find(subviews_.begin(), subviews_.end(), view);
        const NSInteger old = it - subviews_.begin();
        subviews_.erase(it);
        subviews_.insert(subviews_.begin() + clamp(index > old ? index - 1 : index), view);
        return;
    }
    view->willMoveToSuperview(this);
    changeTree(view.get(), this, view->window_, window_, [&] {
        if (auto* old = view->superview_) {
            old->willRemoveSubview(view.get());
            old->subviews_.erase(std::find(old->subviews_.begin(), old->subviews_.end(), view));
        }
        subviews_.insert(subviews_.begin() + clamp(index), view);
        view->superview_ = this;
        if (view->window_ != window_) view->moveToWindow(window_);
    });
    view->didMoveToSuperview();
    didAddSubview(view.get());
}

void UIView::addSubview(const std::shared_ptr<UIView>& view) { attach(view, static_cast<NSInteger>(subviews_.size())); }
void UIView::insertSubview(const std::shared_ptr<UIView>& view, NSInteger index) { attach(view, index); }

void UIView::insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const UIView* sibling)
{
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& s) { return s.get() == sibling; });
    attach(view, it == subviews_.end() ? 0 : it - subviews_.begin());
}

void UIView::insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const UIView* sibling)
{
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& s) { return s.get() == sibling; });
    attach(view, it == subviews_.end() ? static_cast<NSInteger>(subviews_.size()) : it - subviews_.begin() + 1);
}

void UIView::removeFromSuperview()
{
    UIView* parent = superview_;
    if (!parent) return;
    auto keep = self();
    willMoveToSuperview(nullptr);
    changeTree(this, parent, window_, nullptr, [&] {
        parent->willRemoveSubview(this);
        parent->subviews_.erase(std::find(parent->subviews_.begin(), parent->subviews_.end(), keep));
        superview_ = nullptr;
        if (window_) moveToWindow(nullptr);
    });
    didMoveToSuperview();
}

void UIView::bringSubviewToFront(const UIView* view)
{
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& s) { return s.get() == view; });
    if (it == subviews_.end()) return;
    auto keep = *it;
    subviews_.erase(it);
    subviews_.push_back(keep);
}

void UIView::sendSubviewToBack(const UIView* view)
{
    auto it = std::find_if(subviews_.begin(), subviews_.end(), [&](const auto& s) { return s.get() == view; });
    if (it == subviews_.end()) return;
    auto keep = *it;
    subviews_.erase(it);
    subviews_.insert(subviews_.begin(), keep);
}

bool UIView::isDescendantOfView(const UIView* view) const
{
    for (const UIView* v = this; v; v = v->superview_)
        if (v == view) return true;
    return false;
}

UIView* UIView::viewWithTag(NSInteger tag)
{
    if (tag_ == tag) return this;
    for (const auto& s : subviews_)
        if (auto* found = s->viewWithTag(tag)) return found;
    return nullptr;
}

// A point of this view's space in the superview's space and back. The bounds'
// origin is where the content is scrolled to.
CGPoint UIView::toSuperview(CGPoint p) const
{
    const CGPoint local{p.x - bounds_.origin.x - bounds_.size.width / 2, p.y - bounds_.origin.y - bounds_.size.height / 2};
    const CGPoint t = CGPointApplyAffineTransform(local, transform_);
    return {t.x + center_.x, t.y + center_.y};
}

CGPoint UIView::fromSuperview(CGPoint p) const
{
    const CGPoint t = CGPointApplyAffineTransform({p.x - center_.x, p.y - center_.y}, CGAffineTransformInvert(transform_));
    return {t.x + bounds_.origin.x + bounds_.size.width / 2, t.y + bounds_.origin.y + bounds_.size.height / 2};
}

// Views share the space of their topmost ancestor; nullptr stands for it.
static CGPoint toRoot(const UIView* v, CGPoint p)
{
    for (; v && v->superview(); v = v->superview()) p = v->convertPoint(p, v->superview());
    return p;
}

CGPoint UIView::convertPoint(CGPoint p, const UIView* toView) const
{
    if (toView == superview_ && toView) return toSuperview(p);
    const CGPoint root = toRoot(this, p);
    return toView ? toView->convertPointFromView(root, nullptr) : root;
}

CGPoint UIView::convertPointFromView(CGPoint p, const UIView* fromView) const
{
    if (fromView && fromView != superview_) p = fromView->convertPoint(p, nullptr);
    else if (fromView) return fromSuperview(p);
    return superview_ ? fromSuperview(superview_->convertPointFromView(p, nullptr)) : p;
}

static CGRect boundingRect(const CGPoint (&ps)[4])
{
    CGFloat minX = ps[0].x, maxX = ps[0].x, minY = ps[0].y, maxY = ps[0].y;
    for (const auto& p : ps) {
        minX = std::min(minX, p.x);
        maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y);
        maxY = std::max(maxY, p.y);
    }
    return CGRectMake(minX, minY, maxX - minX, maxY - minY);
}

CGRect UIView::convertRect(CGRect r, const UIView* toView) const
{
    const CGPoint ps[4] = {convertPoint(r.origin, toView), convertPoint({CGRectGetMaxX(r), r.origin.y}, toView),
                           convertPoint({r.origin.x, CGRectGetMaxY(r)}, toView),
                           convertPoint({CGRectGetMaxX(r), CGRectGetMaxY(r)}, toView)};
    return boundingRect(ps);
}

CGRect UIView::convertRectFromView(CGRect r, const UIView* fromView) const
{
    const CGPoint ps[4] = {convertPointFromView(r.origin, fromView),
                           convertPointFromView({CGRectGetMaxX(r), r.origin.y}, fromView),
                           convertPointFromView({r.origin.x, CGRectGetMaxY(r)}, fromView),
                           convertPointFromView({CGRectGetMaxX(r), CGRectGetMaxY(r)}, fromView)};
    return boundingRect(ps);
}

bool UIView::pointInside(CGPoint p, UIEvent*) const { return CGRectContainsPoint(bounds_, p); }

UIView* UIView::hitTest(CGPoint p, UIEvent* event)
{
    if (hidden_ || !userInteractionEnabled_ || alpha_ < 0.01 || !pointInside(p, event)) return nullptr;
    for (auto it = subviews_.rbegin(); it != subviews_.rend(); ++it) {
        auto keep = *it;
        if (auto* hit = keep->hitTest(keep->fromSuperview(p), event)) return hit;
    }
    return this;
}

UIResponder* UIView::nextResponder() const
{
    if (viewController_) return viewController_;
    return superview_;
}

void UIView::addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& g)
{
    if (!g) return;
    g->setView(this);
    gestureRecognizers_.push_back(g);
}

void UIView::removeGestureRecognizer(const UIGestureRecognizer* g)
{
    std::erase_if(gestureRecognizers_, [&](const auto& x) {
        if (x.get() != g) return false;
        x->setView(nullptr);
        return true;
    });
}

// ---- View animations -----------------------------------------------------------

namespace {

struct AnimationContext {
    UIViewAnimationRecord record;
    void* context = nullptr;
    id delegate;
    SEL didStop;
    std::function<void(bool)> completion;
};

// Only the latest committed animations are kept: a long-running program
// commits them without end.
constexpr size_t kKeptAnimationRecords = 64;

struct AnimationState {
    std::vector<AnimationContext> open;
    std::vector<UIViewAnimationRecord> committed;
    bool enabled = true;
};

AnimationState& animationState()
{
    static AnimationState state;
    return state;
}

AnimationContext* current()
{
    auto& open = animationState().open;
    return open.empty() ? nullptr : &open.back();
}

}  // namespace

void UIView::beginAnimations(const NSString& animationID, void* context)
{
    AnimationContext c;
    c.record.name = animationID;
    c.record.duration = 0.2;
    c.context = context;
    animationState().open.push_back(std::move(c));
}

void UIView::setAnimationDuration(NSTimeInterval d) { if (auto* c = current()) c->record.duration = d; }
void UIView::setAnimationDelay(NSTimeInterval d) { if (auto* c = current()) c->record.delay = d; }
void UIView::setAnimationCurve(UIViewAnimationCurve curve) { if (auto* c = current()) c->record.curve = curve; }
void UIView::setAnimationDelegate(const id& delegate) { if (auto* c = current()) c->delegate = delegate; }
void UIView::setAnimationDidStopSelector(SEL selector) { if (auto* c = current()) c->didStop = std::move(selector); }

void UIView::setAnimationTransition(UIViewAnimationTransition t, UIView* view, bool)
{
    if (auto* c = current()) {
        c->record.transition = t;
        c->record.transitionView = view ? view->self() : nullptr;
    }
}

// The changes made inside the block are already applied. The delegate (kept
// alive until then) hears of the end at delay + duration on the clock.
void UIView::commitAnimations()
{
    auto& state = animationState();
    if (state.open.empty()) return;
    AnimationContext c = std::move(state.open.back());
    state.open.pop_back();
    if (state.committed.size() == kKeptAnimationRecords) state.committed.erase(state.committed.begin());
    state.committed.push_back(c.record);
    if (!state.enabled) return;
    if (!c.completion && !(c.delegate && c.didStop)) return;
    nxuiAfterDelay(c.record.delay + c.record.duration, [c = std::move(c)] {
        if (c.delegate && c.didStop) {
            auto stop = std::make_shared<UIViewAnimationStop>();
            stop->animationID = c.record.name;
            stop->context = c.context;
            c.didStop.perform(c.delegate.get(), stop);
        }
        if (c.completion) c.completion(true);
    });
}

void UIView::animateWithDuration(NSTimeInterval duration, const std::function<void()>& animations,
                                 const std::function<void(bool)>& completion)
{
    animateWithDuration(duration, 0, 0, animations, completion);
}

void UIView::animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, NSUInteger options,
                                 const std::function<void()>& animations, const std::function<void(bool)>& completion)
{
    beginAnimations(NSString(), nullptr);
    setAnimationDuration(duration);
    setAnimationDelay(delay);
    setAnimationCurve(static_cast<UIViewAnimationCurve>((options >> 16) & 3));
    current()->completion = completion;
    if (animations) animations();
    commitAnimations();
}

void UIView::setAnimationsEnabled(bool enabled) { animationState().enabled = enabled; }
bool UIView::areAnimationsEnabled() { return animationState().enabled; }
const std::vector<UIViewAnimationRecord>& UIView::committedAnimations() { return animationState().committed; }
void UIView::clearCommittedAnimations() { animationState().committed.clear(); }
