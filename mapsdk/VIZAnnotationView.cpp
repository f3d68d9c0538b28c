#include "mapsdk/VIZAnnotationView.h"

#include "engine/base/DeviceInfo.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

namespace {

// Pan recognisers exist from system 3.2 on.
bool HasGestureRecognizers() { return UIDevice::currentDevice().systemVersion.doubleValue() >= 3.2; }

constexpr CGFloat kDragLift = 50;
constexpr CGFloat kDragSetDown = 20;
constexpr NSTimeInterval kDragAnimation = 0.3;

}  // namespace

void VIZAnnotationView::setUp(VIZAnnotationView& view, const std::shared_ptr<VIZAnnotation>& annotation,
                              const NSString& reuseIdentifier)
{
    view.setFrame(CGRectZero);
    view._internal->annotation = annotation;
    view._internal->reuseIdentifier = reuseIdentifier;
    view.setBackgroundColor(UIColor::colorWithRed(1, 1, 1, 0));
    if (HasGestureRecognizers()) {
        auto pan = UIGestureRecognizer::initWithTarget<UIPanGestureRecognizer>(
            view.self(), NX_SEL(VIZAnnotationView, handleSingleDrag));
        pan->minimumNumberOfTouches = 1;
        pan->maximumNumberOfTouches = 1;
        view.addGestureRecognizer(pan);
    }
}

std::shared_ptr<VIZAnnotationView> VIZAnnotationView::initWithAnnotation(
    const std::shared_ptr<VIZAnnotation>& annotation, const NSString& reuseIdentifier)
{
    auto view = std::make_shared<VIZAnnotationView>();
    setUp(*view, annotation, reuseIdentifier);
    return view;
}

VIZAnnotationView::~VIZAnnotationView()
{
    while (!gestureRecognizers().empty()) removeGestureRecognizer(gestureRecognizers().back().get());
}

void VIZAnnotationView::setImage(const std::shared_ptr<UIImage>& image)
{
    CGFloat w = 0, h = 0;
    if (image) {
        w = static_cast<CGFloat>(CGImageGetWidth(image->CGImage()));
        h = static_cast<CGFloat>(CGImageGetHeight(image->CGImage()));
        if (DeviceInfo::isRetinaScreen()) {
            w /= 2;
            h /= 2;
        }
    }
    setFrame(CGRectMake(0, 0, w, h));
    _internal->image = image;
}

void VIZAnnotationView::prepareForReuse()
{
    _internal->annotation = nullptr;
    setSelected(false);
    _internal->paopaoView = nullptr;
}

// Setting the frame or bounds a view already has is no change: a map view
// that places its views where they are leaves the other map views' trust.
void VIZAnnotationView::setFrame(CGRect frame)
{
    const CGPoint center = this->center();
    const CGRect bounds = this->bounds();
    UIView::setFrame(frame);
    if (!(center == this->center() && bounds == this->bounds())) noteLayoutChange();
}

void VIZAnnotationView::setBounds(CGRect bounds)
{
    const CGRect before = this->bounds();
    UIView::setBounds(bounds);
    if (!(before == bounds)) noteLayoutChange();
}

void VIZAnnotationView::didMoveToSuperview()
{
    UIView::didMoveToSuperview();
    noteLayoutChange();
}

void VIZAnnotationView::drawRect(CGRect rect)
{
    if (_internal->image) _internal->image->drawInRect(rect);
}

void VIZAnnotationView::touchesBegan(const NSSetOfTouches&, UIEvent*)
{
    if (enabled()) _internal->singleTap = true;
}

void VIZAnnotationView::touchesEnded(const NSSetOfTouches&, UIEvent*)
{
    if (enabled() && _internal->singleTap) {
        handleSingleTap();
        _internal->singleTap = false;
    }
}

void VIZAnnotationView::touchesCancelled(const NSSetOfTouches&, UIEvent*)
{
    if (enabled() && _internal->singleTap) _internal->singleTap = false;
}

void VIZAnnotationView::postWithSelf(const char* name)
{
    NSNotificationCenter::defaultCenter()->postNotificationName(name, nullptr, {{"view", self()}});
}

void VIZAnnotationView::handleSingleTap()
{
    if (!enabled() || selected()) return;
    auto keep = self();
    // The map view selects this view at once and shows its callout.
    postWithSelf(kNotificationSelectAnnotationView);
    auto bubble = paopaoView();
    if (!bubble) return;
    auto pop = CAKeyframeAnimation::animationWithKeyPath("transform.scale");
    pop->values = {0.0, 1.15, 1.2, 0.85, 0.8, 1.05, 1.1, 0.98, 0.95, 1.02, 1.05, 1.0};
    pop->keyTimes = {0, 0.2, 0.3, 0.45, 0.5, 0.65, 0.7, 0.77, 0.8, 0.91, 0.94, 1.0};
    pop->duration = kPopDuration;
    bubble->layer()->addAnimation(pop, "paopaoAnimation");
}

void VIZAnnotationView::moveFrame(CGFloat dx, CGFloat dy)
{
    CGRect f = frame();
    f.origin.x += dx;
    f.origin.y += dy;
    setFrame(f);
}

void VIZAnnotationView::animateFrameDown(CGFloat dy)
{
    UIView::beginAnimations("PinDrag", nullptr);
    UIView::setAnimationDuration(kDragAnimation);
    moveFrame(0, dy);
    UIView::commitAnimations();
}

void VIZAnnotationView::handleSingleDrag(const id& sender)
{
    auto* pan = dynamic_cast<UIPanGestureRecognizer*>(sender.get());
    if (!pan || !draggable() || !enabled()) return;
    auto keep = self();
    auto followFinger = [&] {
        CGPoint t = pan->translationInView(pan->view());
        moveFrame(t.x, t.y);
        pan->setTranslation(CGPointZero, pan->view());
    };
    switch (pan->state()) {
    case UIGestureRecognizerStateBegan:
        setDragState(VIZAnnotationViewDragStateStarting);
        animateFrameDown(-kDragLift);
        NSNotificationCenter::defaultCenter()->postNotificationName(kNotificationClearPaopao, nullptr);
        break;
    case UIGestureRecognizerStateChanged:
        setDragState(VIZAnnotationViewDragStateDragging);
        followFinger();
        break;
    case UIGestureRecognizerStateEnded:
        setDragState(VIZAnnotationViewDragStateEnding);
        followFinger();
        // Set down less than it was lifted: the view rests above the finger.
        animateFrameDown(kDragSetDown);
        postWithSelf(kNotificationUptateAnnotationCoordinate);
        break;
    default:
        setDragState(pan->state() == UIGestureRecognizerStateCancelled ? VIZAnnotationViewDragStateCanceling
                                                                        : VIZAnnotationViewDragStateEnding);
        break;
    }
}
