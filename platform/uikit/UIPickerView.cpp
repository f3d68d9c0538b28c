#include "platform/uikit/UIPickerView.h"

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSClock.h"
#include "platform/uikit/UIKitClock.h"

namespace {

// The frame's edges beside the outer wheels and the gaps between wheels.
constexpr CGFloat kEdge = 9;
constexpr CGFloat kGap = 4;
// A finger that moves less than this has tapped.
constexpr CGFloat kTapSlop = 6;
// A finger resting this long before it lifts gives the wheel no speed.
constexpr NSTimeInterval kRestBeforeLift = 0.1;
// Speed falls by this share per second of a free turn (the scroll views'
// normal deceleration, 0.998 per millisecond), and a turn ends below the
// slowest speed the eye follows.
const double kDecay = -1000 * std::log(0.998);
constexpr double kSlowest = 20;
// A short turn into place (a tap, a wheel let go without speed, a wheel
// pulled back within its rows): quick at first, easing into the row.
constexpr NSTimeInterval kSettleDuration = 0.3;
constexpr double kSettleDecay = 12;

// How far along a turn of the duration is after t seconds, speed falling
// exponentially at the decay: 0 at the start, 1 at the end.
double easedShare(double t, double duration, double decay)
{
    if (t >= duration) return 1;
    return (1 - std::exp(-decay * t)) / (1 - std::exp(-decay * duration));
}

}  // namespace

CGRect NXPickerFrame(CGRect frame)
{
    const CGFloat h = frame.size.height;
    frame.size.height = h > 0 && h < 180 ? 162 : (h > 0 && h < 216 ? 180 : 216);
    if (frame.size.width <= 0) frame.size.width = 320;
    return frame;
}

void UIPickerView::setBounds(CGRect bounds)
{
    const CGRect laidOut = NXPickerFrame(bounds);
    bounds.size = laidOut.size;
    UIView::setBounds(bounds);
}

NSInteger UIPickerView::numberOfComponents() const
{
    auto ds = dataSource.lock();
    return ds ? std::max<NSInteger>(ds->numberOfComponentsInPickerView(const_cast<UIPickerView*>(this)), 0) : 0;
}

NSInteger UIPickerView::numberOfRowsInComponent(NSInteger component) const
{
    auto ds = dataSource.lock();
    if (!ds || component < 0 || component >= numberOfComponents()) return 0;
    return std::max<NSInteger>(ds->pickerView_numberOfRowsInComponent(const_cast<UIPickerView*>(this), component), 0);
}

CGFloat UIPickerView::rowHeightForComponent(NSInteger component) const
{
    auto d = delegate.lock();
    const auto h = d ? d->pickerView_rowHeightForComponent(const_cast<UIPickerView*>(this), component) : std::nullopt;
    return h && *h > 0 ? *h : kRowHeight;
}

void UIPickerView::reloadAllComponents()
{
    const NSInteger n = numberOfComponents();
    wheels_.resize(n);
    for (NSInteger c = 0; c < n; ++c) {
        Wheel& w = wheels_[c];
        const NSInteger rows = numberOfRowsInComponent(c);
        w.selected = rows == 0 ? -1 : std::clamp<NSInteger>(w.selected, 0, rows - 1);
        if (!w.spinning && finger_.component != c) w.offset = std::max<NSInteger>(w.selected, 0) * rowHeightForComponent(c);
    }
    setNeedsDisplay();
}

void UIPickerView::selectRow(NSInteger row, NSInteger component, bool)
{
    reloadAllComponents();
    if (component < 0 || component >= static_cast<NSInteger>(wheels_.size())) return;
    if (row < 0 || row >= numberOfRowsInComponent(component)) return;
    Wheel& w = wheels_[component];
    ++w.generation;
    w.spinning = false;
    w.selected = row;
    w.offset = row * rowHeightForComponent(component);
    setNeedsDisplay();
}

NSInteger UIPickerView::selectedRowInComponent(NSInteger component) const
{
    if (component >= 0 && component < static_cast<NSInteger>(wheels_.size())) return wheels_[component].selected;
    return numberOfRowsInComponent(component) > 0 ? 0 : -1;
}

NSString UIPickerView::titleForRow(NSInteger row, NSInteger component) const
{
    auto d = delegate.lock();
    return d ? d->pickerView_titleForRow_forComponent(const_cast<UIPickerView*>(this), row, component) : NSString();
}

CGRect UIPickerView::rectForComponent(NSInteger component) const
{
    const NSInteger n = numberOfComponents();
    if (component < 0 || component >= n) return CGRectZero;
    const CGSize size = bounds().size;
    auto d = delegate.lock();
    auto* self = const_cast<UIPickerView*>(this);
    std::vector<CGFloat> widths(n);
    const CGFloat shared = std::max<CGFloat>((size.width - 2 * kEdge - kGap * (n - 1)) / n, 0);
    CGFloat total = kGap * (n - 1);
    for (NSInteger c = 0; c < n; ++c) {
        const auto w = d ? d->pickerView_widthForComponent(self, c) : std::nullopt;
        widths[c] = w ? std::max<CGFloat>(*w, 0) : shared;
        total += widths[c];
    }
    CGFloat x = bounds().origin.x + (size.width - total) / 2;
    for (NSInteger c = 0; c < component; ++c) x += widths[c] + kGap;
    return CGRectMake(x, bounds().origin.y, widths[component], size.height);
}

NSInteger UIPickerView::componentAtX(CGFloat x) const
{
    const NSInteger n = numberOfComponents();
    for (NSInteger c = 0; c < n; ++c) {
        const CGRect r = rectForComponent(c);
        if (x >= CGRectGetMinX(r) && x < CGRectGetMaxX(r)) return c;
    }
    return -1;
}

CGFloat UIPickerView::currentOffset(const Wheel& w) const
{
    if (!w.spinning) return w.offset;
    const double decay = w.duration > kSettleDuration ? kDecay : kSettleDecay;
    return w.from + (w.to - w.from) * easedShare(NSClock::monotonic() - w.start, w.duration, decay);
}

NSInteger UIPickerView::rowAtPoint(CGPoint p, NSInteger* component) const
{
    const NSInteger c = componentAtX(p.x);
    if (component) *component = c;
    if (c < 0 || c >= static_cast<NSInteger>(wheels_.size())) return -1;
    const CGFloat rowHeight = rowHeightForComponent(c);
    const CGFloat middle = CGRectGetMidY(bounds());
    const auto row = static_cast<NSInteger>(std::floor((currentOffset(wheels_[c]) + p.y - middle) / rowHeight + 0.5));
    return row >= 0 && row < numberOfRowsInComponent(c) ? row : -1;
}

bool UIPickerView::isSpinning(NSInteger component) const
{
    return component >= 0 && component < static_cast<NSInteger>(wheels_.size()) && wheels_[component].spinning;
}

void UIPickerView::stop(NSInteger component)
{
    Wheel& w = wheels_[component];
    w.offset = currentOffset(w);
    w.spinning = false;
    ++w.generation;
}

void UIPickerView::turnTo(NSInteger row, NSInteger component, NSTimeInterval duration)
{
    if (component < 0 || component >= static_cast<NSInteger>(wheels_.size())) return;
    stop(component);
    Wheel& w = wheels_[component];
    w.from = w.offset;
    w.to = row * rowHeightForComponent(component);
    w.start = NSClock::monotonic();
    w.duration = duration;
    w.spinning = true;
    const unsigned generation = w.generation;
    std::weak_ptr<UIView> weak = self();
    nxuiAfterDelay(duration, [weak, component, generation] {
        if (auto v = std::static_pointer_cast<UIPickerView>(weak.lock())) v->settle(component, generation);
    });
    setNeedsDisplay();
}

void UIPickerView::settle(NSInteger component, unsigned generation)
{
    if (component >= static_cast<NSInteger>(wheels_.size()) || wheels_[component].generation != generation) return;
    Wheel& w = wheels_[component];
    w.spinning = false;
    w.offset = w.to;
    setNeedsDisplay();
    const auto row = static_cast<NSInteger>(std::lround(w.offset / rowHeightForComponent(component)));
    if (row == w.selected || row < 0 || row >= numberOfRowsInComponent(component)) return;
    w.selected = row;
    auto keep = self();
    userDidSelectRow(row, component);
}

void UIPickerView::userDidSelectRow(NSInteger row, NSInteger component)
{
    if (auto d = delegate.lock()) d->pickerView_didSelectRow_inComponent(this, row, component);
}

void UIPickerView::touchesBegan(const NSSetOfTouches& t, UIEvent*)
{
    if (t.empty()) return;
    reloadAllComponents();
    const CGPoint p = t.front()->locationInView(this);
    finger_ = Finger();
    finger_.component = componentAtX(p.x);
    if (finger_.component < 0 || finger_.component >= static_cast<NSInteger>(wheels_.size())) {
        finger_.component = -1;
        return;
    }
    // A finger on a turning wheel holds it where it is.
    finger_.dragged = wheels_[finger_.component].spinning;
    stop(finger_.component);
    finger_.startY = finger_.lastY = finger_.previousY = p.y;
    finger_.startOffset = wheels_[finger_.component].offset;
    finger_.lastTime = finger_.previousTime = NSClock::monotonic();
}

void UIPickerView::touchesMoved(const NSSetOfTouches& t, UIEvent*)
{
    if (t.empty() || finger_.component < 0) return;
    const CGPoint p = t.front()->locationInView(this);
    if (std::fabs(p.y - finger_.startY) > kTapSlop) finger_.dragged = true;
    finger_.previousY = finger_.lastY;
    finger_.previousTime = finger_.lastTime;
    finger_.lastY = p.y;
    finger_.lastTime = NSClock::monotonic();
    // Past the first or last row the wheel follows the finger half way.
    const NSInteger c = finger_.component;
    const CGFloat last = std::max<NSInteger>(numberOfRowsInComponent(c) - 1, 0) * rowHeightForComponent(c);
    CGFloat offset = finger_.startOffset - (p.y - finger_.startY);
    if (offset < 0) offset /= 2;
    if (offset > last) offset = last + (offset - last) / 2;
    wheels_[c].offset = offset;
    setNeedsDisplay();
}

void UIPickerView::touchesEnded(const NSSetOfTouches& t, UIEvent* e)
{
    const NSInteger c = finger_.component;
    if (t.empty() || c < 0) return;
    if (t.front()->locationInView(this).y != finger_.lastY) touchesMoved(t, e);
    finger_.component = -1;
    const NSInteger rows = numberOfRowsInComponent(c);
    if (rows == 0) return;
    const CGFloat rowHeight = rowHeightForComponent(c);
    if (!finger_.dragged) {
        // A tap turns the row tapped into the band.
        const NSInteger row = rowAtPoint(t.front()->locationInView(this), nullptr);
        if (row >= 0 && row != wheels_[c].selected && rowEnabled(row, c)) turnTo(row, c, kSettleDuration);
        return;
    }
    // The finger's speed over its last move, none when it rested before
    // lifting; the wheel runs on as far as that speed carries it.
    const NSTimeInterval now = NSClock::monotonic();
    const NSTimeInterval dt = finger_.lastTime - finger_.previousTime;
    double speed = 0;
    if (dt > 0 && now - finger_.lastTime < kRestBeforeLift) speed = -(finger_.lastY - finger_.previousY) / dt;
    Wheel& w = wheels_[c];
    NSTimeInterval duration = kSettleDuration;
    CGFloat target = w.offset;
    if (std::fabs(speed) > kSlowest) {
        target += static_cast<CGFloat>(speed / kDecay);
        duration = std::max(kSettleDuration, std::log(std::fabs(speed) / kSlowest) / kDecay);
    }
    const auto row = std::clamp<NSInteger>(static_cast<NSInteger>(std::lround(target / rowHeight)), 0, rows - 1);
    turnTo(row, c, duration);
}

void UIPickerView::touchesCancelled(const NSSetOfTouches&, UIEvent*)
{
    const NSInteger c = finger_.component;
    finger_.component = -1;
    if (c < 0 || c >= static_cast<NSInteger>(wheels_.size())) return;
    turnTo(std::max<NSInteger>(wheels_[c].selected, 0), c, kSettleDuration);
}

void UIPickerView::pickRow(NSInteger row, NSInteger component)
{
    selectRow(row, component, true);
    if (selectedRowInComponent(component) != row) return;
    auto keep = self();
    userDidSelectRow(row, component);
}
