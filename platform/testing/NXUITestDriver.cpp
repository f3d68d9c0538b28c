#include "platform/testing/NXUITestDriver.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NXRandom.h"
#include "platform/uikit/UIGestureRecognizer.h"
#include "platform/uikit/UIPasteboard.h"

namespace {

// Runs the driver drives repeat themselves: the clock is virtual, and the
// random numbers (a sign-up's code, say) are a fixed sequence.
constexpr uint32_t kRandomSeed = 20121210;

}  // namespace

NXUITestDriver::NXUITestDriver() : NXUITestDriver(kDefaultStart) {}

NXUITestDriver::NXUITestDriver(NSTimeInterval since1970)
{
    UIApplication::sharedApplication().reset();
    UIPasteboard::generalPasteboard().reset();
    NXResetSavedPhotosAlbum();
    NSClock::useVirtualClock(since1970);
    NXRandomUseSeed(kRandomSeed);
    UIView::setAnimationsEnabled(true);
    UIView::clearCommittedAnimations();
    window_ = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
    window_->makeKeyAndVisible();
}

NXUITestDriver::~NXUITestDriver()
{
    // Controllers on screen hear that they go.
    const auto views = window_->subviews();
    for (const auto& v : views) v->removeFromSuperview();
    UIApplication::sharedApplication().reset();
    NXRandomUseSystem();
    NSClock::useRealClock();
}

bool NXUITestDriver::useKeyWindow()
{
    auto key = UIApplication::sharedApplication().keyWindow();
    if (!key) return false;
    window_ = std::move(key);
    return true;
}

void NXUITestDriver::show(const std::shared_ptr<UIViewController>& vc)
{
    window_->addSubview(vc->view());
    layout();
}

static UIView* search(UIView& v, const std::function<bool(UIView&)>& match)
{
    if (match(v)) return &v;
    const auto subviews = v.subviews();
    for (const auto& s : subviews)
        if (auto* found = search(*s, match)) return found;
    return nullptr;
}

UIView* NXUITestDriver::findView(const std::function<bool(UIView&)>& match) const { return search(*window_, match); }

UIView* NXUITestDriver::viewWithText(const NSString& text) const
{
    return findView([&](UIView& v) {
        if (auto* l = dynamic_cast<UILabel*>(&v)) return l->text() == text;
        if (auto* b = dynamic_cast<UIButton*>(&v)) return b->currentTitle() == text;
        if (auto* f = dynamic_cast<UITextField*>(&v)) return f->text() == text;
        return false;
    });
}

UIButton* NXUITestDriver::buttonWithTitle(const NSString& title) const
{
    return find<UIButton>([&](UIButton& b) { return b.currentTitle() == title; });
}

bool NXUITestDriver::tap(UIView* view)
{
    if (!view || view->window() != window_.get()) return false;
    const CGRect b = view->bounds();
    const CGPoint p = view->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr);
    UIView* hit = window_->hitTest(p, nullptr);
    if (!hit || !hit->isDescendantOfView(view)) return false;
    return tapAt(p);
}

bool NXUITestDriver::tapAt(CGPoint p)
{
    UIView* hit = window_->hitTest(p, nullptr);
    if (!hit) return false;
    auto keep = hit->self();
    for (UIView* v = hit; v; v = v->superview()) {
        for (const auto& g : v->gestureRecognizers()) {
            auto* tapRecognizer = dynamic_cast<UITapGestureRecognizer*>(g.get());
            if (tapRecognizer && tapRecognizer->enabled && tapRecognizer->numberOfTapsRequired == 1) {
                auto keepRecognizer = g;
                tapRecognizer->recognize(UIGestureRecognizerStateEnded, p);
                return true;
            }
        }
    }
    auto touch = std::make_shared<UITouch>(keep, p, 1);
    UIEvent event({touch});
    hit->touchesBegan({touch}, &event);
    hit->touchesEnded({touch}, &event);
    return true;
}

bool NXUITestDriver::doubleTap(UIView* view)
{
    if (!view || view->window() != window_.get()) return false;
    const CGRect b = view->bounds();
    const CGPoint p = view->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr);
    UIView* hit = window_->hitTest(p, nullptr);
    if (!hit || !hit->isDescendantOfView(view)) return false;
    for (NSUInteger count = 1; count <= 2; ++count) {
        if (!touchDown(p, count)) return false;
        touchUp();
    }
    return true;
}

namespace {

// The middle of the view in window coordinates, when the view is the one hit
// there.
std::optional<CGPoint> HitMiddle(UIWindow* window, UIView* view)
{
    if (!view || view->window() != window) return std::nullopt;
    const CGRect b = view->bounds();
    const CGPoint p = view->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr);
    UIView* hit = window->hitTest(p, nullptr);
    if (!hit || !hit->isDescendantOfView(view)) return std::nullopt;
    return p;
}

}  // namespace

bool NXUITestDriver::twoFingerTap(UIView* view, bool together)
{
    auto p = HitMiddle(window_.get(), view);
    if (!p) return false;
    UIView* hit = window_->hitTest(*p, nullptr);
    auto left = std::make_shared<UITouch>(hit->self(), CGPointMake(p->x - 20, p->y), 1);
    auto right = std::make_shared<UITouch>(hit->self(), CGPointMake(p->x + 20, p->y), 1);
    UIEvent down({left, right});
    hit->touchesBegan({left, right}, &down);
    if (together) {
        hit->touchesEnded({left, right}, &down);
    } else {
        hit->touchesEnded({left}, &down);
        UIEvent last({right});
        hit->touchesEnded({right}, &last);
    }
    return true;
}

bool NXUITestDriver::pressAndHold(UIView* view, NSTimeInterval seconds)
{
    auto p = HitMiddle(window_.get(), view);
    if (!p || !touchDown(*p)) return false;
    auto touch = touch_;
    advanceClock(seconds);
    touch->setTapCount(0);
    touchUp();
    return true;
}

UIView* NXUITestDriver::touchDown(CGPoint p, NSUInteger tapCount)
{
    touch_ = nullptr;
    UIView* hit = window_->hitTest(p, nullptr);
    if (!hit) return nullptr;
    touch_ = std::make_shared<UITouch>(hit->self(), p, tapCount);
    UIEvent event({touch_});
    hit->touchesBegan({touch_}, &event);
    return hit;
}

void NXUITestDriver::touchMove(CGPoint p)
{
    if (!touch_) return;
    auto touch = touch_;
    touch->moveTo(p);
    UIEvent event({touch});
    touch->view()->touchesMoved({touch}, &event);
}

void NXUITestDriver::touchUp()
{
    if (!touch_) return;
    auto touch = std::move(touch_);
    UIEvent event({touch});
    touch->view()->touchesEnded({touch}, &event);
}

bool NXUITestDriver::finishComposer(NXComposeOutcome outcome)
{
    auto composer = NXComposeViewController::visibleComposer();
    if (!composer || composer->isFinished()) return false;
    composer->finishWithOutcome(outcome);
    return true;
}

bool NXUITestDriver::swipe(CGPoint from, CGPoint to)
{
    if (!touchDown(from)) return false;
    touchMove(to);
    touchUp();
    return true;
}

bool NXUITestDriver::flick(CGPoint from, CGPoint to, NSTimeInterval seconds, NSTimeInterval restBeforeLift)
{
    if (!touchDown(from)) return false;
    const auto steps = std::max<long>(std::lround(seconds * 60), 1);
    for (long i = 1; i <= steps; ++i) {
        advanceClock(seconds / steps);
        const CGFloat share = static_cast<CGFloat>(i) / steps;
        touchMove(CGPointMake(from.x + (to.x - from.x) * share, from.y + (to.y - from.y) * share));
    }
    if (restBeforeLift > 0) advanceClock(restBeforeLift);
    touchUp();
    return true;
}

bool NXUITestDriver::type(UITextField* field, const NSString& text)
{
    if (!field || !field->becomeFirstResponder()) return false;
    const std::u16string units = text.utf16();
    for (size_t i = 0; i < units.size(); ++i) {
        const bool pair = units[i] >= 0xD800 && units[i] <= 0xDBFF && i + 1 < units.size();
        field->insertText(NSString::stringWithCharacters(&units[i], pair ? 2 : 1));
        if (pair) ++i;
    }
    return true;
}

NXButtonPanel* NXUITestDriver::visibleAlert() const
{
    return dynamic_cast<NXButtonPanel*>(window_->visibleAlert().get());
}

bool NXUITestDriver::pressAlertButton(NSInteger index)
{
    auto* alert = visibleAlert();
    if (!alert || !alert->buttonAtIndex(index)) return false;
    alert->pressButtonAtIndex(index);
    return true;
}

static void layoutTree(UIView& v)
{
    v.layoutIfNeeded();
    const auto subviews = v.subviews();
    for (const auto& s : subviews) layoutTree(*s);
}

void NXUITestDriver::layout() { layoutTree(*window_); }

bool NXUITestDriver::pumpUntil(const std::function<bool()>& done, NSTimeInterval timeout)
{
    layout();
    const bool ok = NSRunLoop::mainRunLoop()->runUntil(done, timeout);
    layout();
    return ok;
}

void NXUITestDriver::advanceClock(NSTimeInterval seconds)
{
    NSClock::advance(seconds);
    layout();
}
