#pragma once
// The view tree: geometry, order, hit testing, coordinate conversion, touches,
// the layer, and the headless animation model (final values apply at commit,
// each animation is recorded, its stop callback fires on the run loop's clock).

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <variant>
#include <vector>

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIGeometry.h"

class NSCoder;
class UIView;
class UIWindow;
class UIViewController;
class UIGestureRecognizer;

// The demangled class name of an object ("HomeViewCtrl"); names interface files
// and reuse identifiers.
NSString NSStringFromClass(const NSObject& object);

class UITouch : public NSObject {
public:
    enum Phase { Began, Moved, Stationary, Ended, Cancelled };
    UITouch(std::shared_ptr<UIView> view, CGPoint windowPoint, NSUInteger tapCount)
        : view_(std::move(view)), point_(windowPoint), tapCount_(tapCount) {}
    std::shared_ptr<UIView> view() const { return view_; }
    NSUInteger tapCount() const { return tapCount_; }
    // A finger held too long to count as a tap ends with tap count 0.
    void setTapCount(NSUInteger tapCount) { tapCount_ = tapCount; }
    // The touch's position in a view's coordinates (window coordinates for nullptr).
    CGPoint locationInView(const UIView* view) const;
    void moveTo(CGPoint windowPoint) { point_ = windowPoint; }

private:
    std::shared_ptr<UIView> view_;
    CGPoint point_;
    NSUInteger tapCount_;
};

using NSSetOfTouches = std::vector<std::shared_ptr<UITouch>>;

class UIEvent : public NSObject {
public:
    explicit UIEvent(NSSetOfTouches touches) : touches_(std::move(touches)) {}
    const NSSetOfTouches& allTouches() const { return touches_; }
    // The fingers of the event on that view (those ending included).
    NSSetOfTouches touchesForView(const UIView* view) const
    {
        NSSetOfTouches mine;
        for (const auto& t : touches_) {
            if (t->view().get() == view) mine.push_back(t);
        }
        return mine;
    }

private:
    NSSetOfTouches touches_;
};

class UIResponder : public NSObject {
public:
    virtual UIResponder* nextResponder() const { return nullptr; }
    // Unhandled touches travel up the responder chain.
    virtual void touchesBegan(const NSSetOfTouches& t, UIEvent* e) { if (auto* n = nextResponder()) n->touchesBegan(t, e); }
    virtual void touchesMoved(const NSSetOfTouches& t, UIEvent* e) { if (auto* n = nextResponder()) n->touchesMoved(t, e); }
    virtual void touchesEnded(const NSSetOfTouches& t, UIEvent* e) { if (auto* n = nextResponder()) n->touchesEnded(t, e); }
    virtual void touchesCancelled(const NSSetOfTouches& t, UIEvent* e) { if (auto* n = nextResponder()) n->touchesCancelled(t, e); }
    virtual bool canBecomeFirstResponder() const { return false; }
    virtual bool becomeFirstResponder() { return false; }
    virtual bool resignFirstResponder() { return true; }
    virtual bool isFirstResponder() const { return false; }
};

// ---- Layer and its animations ---------------------------------------------

using CAValue = std::variant<double, CGPoint, CGRect, CATransform3D, std::shared_ptr<UIColor>>;

class CAAnimation;
class CAAnimationDelegate {
public:
    virtual ~CAAnimationDelegate() = default;
    virtual void animationDidStart(CAAnimation* anim) {}
    virtual void animationDidStop_finished(CAAnimation* anim, bool finished) {}
};

extern const NSString kCAFillModeForwards;
extern const NSString kCAMediaTimingFunctionEaseIn;
extern const NSString kCAMediaTimingFunctionEaseOut;
extern const NSString kCAMediaTimingFunctionEaseInEaseOut;
extern const NSString kCAMediaTimingFunctionLinear;
extern const NSString kCAFillModeBoth;
extern const NSString kCATransitionFade;
extern const NSString kCATransitionPush;
extern const NSString kCATransitionMoveIn;
extern const NSString kCATransitionFromLeft;
extern const NSString kCATransitionFromRight;
extern const NSString kCATransitionFromTop;
extern const NSString kCATransitionFromBottom;

class CAMediaTimingFunction : public NSObject {
public:
    static std::shared_ptr<CAMediaTimingFunction> functionWithName(const NSString& name)
    {
        auto f = std::make_shared<CAMediaTimingFunction>();
        f->name = name;
        return f;
    }
    NSString name;
};

class CAAnimation : public NSObject {
public:
    NSTimeInterval duration = 0.25;
    bool removedOnCompletion = true;
    NSString fillMode;
    std::shared_ptr<CAMediaTimingFunction> timingFunction;
    std::weak_ptr<CAAnimationDelegate> delegate;
    // Values the owner attaches to find its animation again (key-value coding
    // on an animation); nil when unset.
    void setValue(const id& value, const NSString& key) { values_[key] = value; }
    id valueForKey(const NSString& key) const
    {
        auto it = values_.find(key);
        return it == values_.end() ? nullptr : it->second;
    }

private:
    std::map<NSString, id> values_;
};

class CABasicAnimation : public CAAnimation {
public:
    static std::shared_ptr<CABasicAnimation> animationWithKeyPath(const NSString& keyPath)
    {
        auto a = std::make_shared<CABasicAnimation>();
        a->keyPath = keyPath;
        return a;
    }
    NSString keyPath;
    std::optional<CAValue> fromValue, toValue;
};

class CAKeyframeAnimation : public CAAnimation {
public:
    static std::shared_ptr<CAKeyframeAnimation> animationWithKeyPath(const NSString& keyPath)
    {
        auto a = std::make_shared<CAKeyframeAnimation>();
        a->keyPath = keyPath;
        return a;
    }
    NSString keyPath;
    std::vector<CAValue> values;
    // Where each value is reached, as fractions of the duration (empty: even
    // spacing).
    std::vector<double> keyTimes;
};

class CATransition : public CAAnimation {
public:
    static std::shared_ptr<CATransition> animation() { return std::make_shared<CATransition>(); }
    NSString type = kCATransitionFade;
    NSString subtype;
};

// How a layer places its contents in its bounds.
extern const NSString kCAGravityResize;
extern const NSString kCAGravityResizeAspect;
extern const NSString kCAGravityResizeAspectFill;
extern const NSString kCAGravityCenter;

class CALayer : public NSObject {
public:
    // A layer of its own, to be added as a sublayer (see CALayer.cpp).
    static std::shared_ptr<CALayer> layer() { return std::make_shared<CALayer>(); }
    ~CALayer() override;

    CGFloat cornerRadius = 0;
    bool masksToBounds = false;
    CGFloat borderWidth = 0;
    std::shared_ptr<UIColor> borderColor;
    std::shared_ptr<UIImage> contents;
    // Turns the view's drawing about its centre, after the view's own
    // transform; hit testing and frames do not see it, as on the platform.
    CATransform3D transform = CATransform3DIdentity;

    // Draws the layer's view and everything below it into the context, in
    // the view's bounds coordinates.
    void renderInContext(CGContextRef context) const;
    UIView* owner = nullptr;  // the view this layer belongs to

    // Layers that stand alone as sublayers: their own geometry (the anchor is
    // the middle), contents placed by the gravity at the contents scale, and
    // an affine transform about the middle. A view's own layer keeps the
    // view's geometry; these apply to standalone layers only.
    CGRect bounds;
    CGPoint position;
    CGRect frame() const;
    void setFrame(CGRect frame);
    NSString contentsGravity = kCAGravityResize;
    CGFloat contentsScale = 1;
    bool hidden = false;
    CGAffineTransform affineTransform() const { return affineTransform_; }
    void setAffineTransform(const CGAffineTransform& t) { affineTransform_ = t; }
    void addSublayer(const std::shared_ptr<CALayer>& layer);
    void removeFromSuperlayer();
    const std::vector<std::shared_ptr<CALayer>>& sublayers() const { return sublayers_; }
    CALayer* superlayer() const { return superlayer_; }
    // Draws the standalone sublayers in the owner's bounds coordinates (after
    // the view's own drawing, before its subviews).
    void renderSublayersInContext(CGContextRef context) const;

    // Runs the animation on the clock; a running animation under the same key is
    // replaced (stopped unfinished). A nil key gives an anonymous entry.
    void addAnimation(const std::shared_ptr<CAAnimation>& anim, const NSString& key);
    std::shared_ptr<CAAnimation> animationForKey(const NSString& key) const;
    void removeAnimationForKey(const NSString& key);
    void removeAllAnimations();
    // The animations still attached, in the order added.
    std::vector<std::pair<NSString, std::shared_ptr<CAAnimation>>> animations() const { return animations_; }

private:
    void stop(const std::shared_ptr<CAAnimation>& anim, bool finished);
    void render(CGContextRef context) const;
    std::vector<std::pair<NSString, std::shared_ptr<CAAnimation>>> animations_;
    CGAffineTransform affineTransform_;
    std::vector<std::shared_ptr<CALayer>> sublayers_;
    CALayer* superlayer_ = nullptr;
};

// ---- The view ----------------------------------------------------------------

enum UIViewAutoresizing : NSUInteger {
    UIViewAutoresizingNone = 0,
    UIViewAutoresizingFlexibleLeftMargin = 1 << 0,
    UIViewAutoresizingFlexibleWidth = 1 << 1,
    UIViewAutoresizingFlexibleRightMargin = 1 << 2,
    UIViewAutoresizingFlexibleTopMargin = 1 << 3,
    UIViewAutoresizingFlexibleHeight = 1 << 4,
    UIViewAutoresizingFlexibleBottomMargin = 1 << 5,
};

enum UIViewContentMode : NSInteger {
    UIViewContentModeScaleToFill = 0,
    UIViewContentModeScaleAspectFit = 1,
    UIViewContentModeScaleAspectFill = 2,
    UIViewContentModeRedraw = 3,
    UIViewContentModeCenter = 4,
};

enum UIViewAnimationCurve : NSInteger {
    UIViewAnimationCurveEaseInOut = 0,
    UIViewAnimationCurveEaseIn = 1,
    UIViewAnimationCurveEaseOut = 2,
    UIViewAnimationCurveLinear = 3,
};

enum UIViewAnimationTransition : NSInteger {
    UIViewAnimationTransitionNone = 0,
    UIViewAnimationTransitionFlipFromLeft = 1,
    UIViewAnimationTransitionFlipFromRight = 2,
    UIViewAnimationTransitionCurlUp = 3,
    UIViewAnimationTransitionCurlDown = 4,
};

enum UIViewAnimationOptions : NSUInteger {
    UIViewAnimationOptionAllowUserInteraction = 1 << 1,
    UIViewAnimationOptionBeginFromCurrentState = 1 << 2,
    UIViewAnimationOptionCurveEaseInOut = 0 << 16,
    UIViewAnimationOptionCurveEaseIn = 1 << 16,
    UIViewAnimationOptionCurveEaseOut = 2 << 16,
    UIViewAnimationOptionCurveLinear = 3 << 16,
};

// What a view animation's did-stop selector receives as its argument (the
// original passes animation name, finished flag and context as three arguments).
class UIViewAnimationStop : public NSObject {
public:
    NSString animationID;
    bool finished = true;
    void* context = nullptr;
};

// One committed animation, as the tests see it.
struct UIViewAnimationRecord {
    NSString name;
    NSTimeInterval duration = 0;
    NSTimeInterval delay = 0;
    UIViewAnimationCurve curve = UIViewAnimationCurveEaseInOut;
    UIViewAnimationTransition transition = UIViewAnimationTransitionNone;
    std::weak_ptr<UIView> transitionView;
};

class UIView : public UIResponder {
public:
    UIView();
    ~UIView() override;

    // Any view class made with a frame; subclasses' factories call this.
    template <class T = UIView>
    static std::shared_ptr<T> initWithFrame(CGRect frame)
    {
        auto v = std::make_shared<T>();
        v->setFrame(frame);
        return v;
    }

    // Keyed coding of the view's own state, its frame ("UIFrame"); a
    // subclass encodes its keys after these.
    virtual void encodeWithCoder(NSCoder& coder) const;
    // The frame of a view made from an archive; zero when it holds none.
    static CGRect frameWithCoder(const NSCoder& coder);

    // Geometry. The frame is derived from center, bounds and transform.
    CGRect frame() const;
    virtual void setFrame(CGRect frame);
    CGRect bounds() const { return bounds_; }
    virtual void setBounds(CGRect bounds);
    CGPoint center() const { return center_; }
    void setCenter(CGPoint center) { center_ = center; }
    CGAffineTransform transform() const { return transform_; }
    void setTransform(const CGAffineTransform& t) { transform_ = t; }

    CGFloat alpha() const { return alpha_; }
    void setAlpha(CGFloat a) { alpha_ = a; }
    bool hidden() const { return hidden_; }
    void setHidden(bool h) { hidden_ = h; }
    NSInteger tag() const { return tag_; }
    void setTag(NSInteger t) { tag_ = t; }
    std::shared_ptr<UIColor> backgroundColor() const { return backgroundColor_; }
    void setBackgroundColor(std::shared_ptr<UIColor> c) { backgroundColor_ = std::move(c); }
    bool clipsToBounds() const { return layer_->masksToBounds; }
    void setClipsToBounds(bool c) { layer_->masksToBounds = c; }
    bool userInteractionEnabled() const { return userInteractionEnabled_; }
    void setUserInteractionEnabled(bool e) { userInteractionEnabled_ = e; }
    bool multipleTouchEnabled() const { return multipleTouchEnabled_; }
    void setMultipleTouchEnabled(bool e) { multipleTouchEnabled_ = e; }
    // How the view follows a change of its superview's size: the flexible
    // margins and sizes share the change in proportion to their lengths.
    // Applied on every change of the bounds' size while the superview
    // autoresizes its subviews.
    NSUInteger autoresizingMask() const { return autoresizingMask_; }
    void setAutoresizingMask(NSUInteger m) { autoresizingMask_ = m; }
    bool autoresizesSubviews() const { return autoresizesSubviews_; }
    void setAutoresizesSubviews(bool a) { autoresizesSubviews_ = a; }
    UIViewContentMode contentMode() const { return contentMode_; }
    void setContentMode(UIViewContentMode m) { contentMode_ = m; }
    bool opaque() const { return opaque_; }
    void setOpaque(bool o) { opaque_ = o; }
    CALayer* layer() const { return layer_.get(); }

    // The tree.
    UIView* superview() const { return superview_; }
    const std::vector<std::shared_ptr<UIView>>& subviews() const { return subviews_; }
    void addSubview(const std::shared_ptr<UIView>& view);
    void insertSubview(const std::shared_ptr<UIView>& view, NSInteger index);
    void insertSubviewBelowSubview(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void insertSubviewAboveSubview(const std::shared_ptr<UIView>& view, const UIView* sibling);
    void removeFromSuperview();
    void bringSubviewToFront(const UIView* view);
    void sendSubviewToBack(const UIView* view);
    bool isDescendantOfView(const UIView* view) const;
    // This view or the first descendant (depth first, in order) with the tag.
    UIView* viewWithTag(NSInteger tag);
    UIWindow* window() const;
    std::shared_ptr<UIView> self() { return std::static_pointer_cast<UIView>(shared_from_this()); }

    // Hooks of the tree and of drawing.
    virtual void willMoveToWindow(UIWindow* newWindow) {}
    virtual void didMoveToWindow() {}
    virtual void willMoveToSuperview(UIView* newSuperview) {}
    virtual void didMoveToSuperview() {}
    virtual void didAddSubview(UIView* subview) {}
    virtual void willRemoveSubview(UIView* subview) {}
    virtual void layoutSubviews() {}
    // Custom drawing into UIGraphicsGetCurrentContext(), in bounds
    // coordinates, after the background and before the subviews.
    virtual void drawRect(CGRect rect) {}
    void setNeedsLayout() { needsLayout_ = true; }
    // Runs layoutSubviews when a layout was asked for.
    void layoutIfNeeded();
    virtual void setNeedsDisplay() { ++displayRequests_; }
    // How often a redraw was asked for.
    NSUInteger displayRequests() const { return displayRequests_; }
    virtual CGSize sizeThatFits(CGSize size) const { return bounds_.size; }
    void sizeToFit();

    // Coordinates: nullptr means the window's coordinates.
    CGPoint convertPoint(CGPoint p, const UIView* toView) const;  // convertPoint:toView:
    CGPoint convertPointFromView(CGPoint p, const UIView* fromView) const;  // convertPoint:fromView:
    CGRect convertRect(CGRect r, const UIView* toView) const;
    CGRect convertRectFromView(CGRect r, const UIView* fromView) const;

    virtual bool pointInside(CGPoint p, UIEvent* event) const;
    // The deepest visible, interactive view under the point (in this view's coordinates).
    virtual UIView* hitTest(CGPoint p, UIEvent* event);

    UIResponder* nextResponder() const override;

    // Gesture recognisers attached to this view.
    void addGestureRecognizer(const std::shared_ptr<UIGestureRecognizer>& g);
    void removeGestureRecognizer(const UIGestureRecognizer* g);
    const std::vector<std::shared_ptr<UIGestureRecognizer>>& gestureRecognizers() const { return gestureRecognizers_; }

    // The controller whose view this is (set by the controller).
    UIViewController* viewController() const { return viewController_; }
    void setViewController(UIViewController* vc) { viewController_ = vc; }

    // ---- Animations (class-wide) -------------------------------------------
    static void beginAnimations(const NSString& animationID, void* context);
    static void setAnimationDuration(NSTimeInterval d);
    static void setAnimationDelay(NSTimeInterval d);
    static void setAnimationCurve(UIViewAnimationCurve c);
    static void setAnimationDelegate(const id& delegate);
    static void setAnimationDidStopSelector(SEL selector);
    static void setAnimationTransition(UIViewAnimationTransition t, UIView* view, bool cache);
    static void commitAnimations();
    static void animateWithDuration(NSTimeInterval duration, const std::function<void()>& animations,
                                    const std::function<void(bool)>& completion = nullptr);
    static void animateWithDuration(NSTimeInterval duration, NSTimeInterval delay, NSUInteger options,
                                    const std::function<void()>& animations,
                                    const std::function<void(bool)>& completion);
    static void setAnimationsEnabled(bool enabled);
    static bool areAnimationsEnabled();
    // The latest 64 animations committed since the last clear, oldest first
    // (tests read it).
    static const std::vector<UIViewAnimationRecord>& committedAnimations();
    static void clearCommittedAnimations();

private:
    friend class UIWindow;
    void moveToWindow(UIWindow* newWindow);
    void attach(const std::shared_ptr<UIView>& view, NSInteger index);
    void boundsSizeDidChange(CGSize oldSize);
    void resizeWithOldSuperviewSize(CGSize oldSize, CGSize newSize);
    CGPoint toSuperview(CGPoint p) const;
    CGPoint fromSuperview(CGPoint p) const;

    CGRect bounds_;
    CGPoint center_;
    CGAffineTransform transform_;
    CGFloat alpha_ = 1;
    bool hidden_ = false;
    NSInteger tag_ = 0;
    std::shared_ptr<UIColor> backgroundColor_;
    bool userInteractionEnabled_ = true;
    bool multipleTouchEnabled_ = false;
    NSUInteger autoresizingMask_ = UIViewAutoresizingNone;
    bool autoresizesSubviews_ = true;
    UIViewContentMode contentMode_ = UIViewContentModeScaleToFill;
    bool opaque_ = true;
    bool needsLayout_ = false;
    NSUInteger displayRequests_ = 0;
    std::shared_ptr<CALayer> layer_;
    UIView* superview_ = nullptr;
    UIWindow* window_ = nullptr;
    std::vector<std::shared_ptr<UIView>> subviews_;
    std::vector<std::shared_ptr<UIGestureRecognizer>> gestureRecognizers_;
    UIViewController* viewController_ = nullptr;
};
