#include "platform/uikit/UIControl.h"

#include <algorithm>

void UIControl::addTarget(const id& target, SEL action, NSUInteger events)
{
    if (!action) return;
    for (auto& a : actions_) {
        if (a.target.lock() == target && a.action.name == action.name) {
            a.events |= events;
            return;
        }
    }
    actions_.push_back({target, static_cast<bool>(target), std::move(action), events});
}

void UIControl::removeTarget(const NSObject* target, const SEL& action, NSUInteger events)
{
    for (auto& a : actions_) {
        if (target && a.target.lock().get() != target) continue;
        if (action && a.action.name != action.name) continue;
        a.events &= ~events;
    }
    std::erase_if(actions_, [](const Action& a) { return a.events == 0; });
}

void UIControl::sendActionsForControlEvents(NSUInteger events)
{
    auto keep = self();
    const auto actions = actions_;
    for (const auto& a : actions) {
        if (!(a.events & events)) continue;
        // A nil target sends to this control's responder chain in the
        // original; here the control itself receives it.
        id target = a.hasTarget ? a.target.lock() : keep;
        if (target) a.action.perform(target.get(), keep);
    }
}

std::vector<std::string> UIControl::actionsForTarget(const NSObject* target, UIControlEvents event) const
{
    std::vector<std::string> names;
    for (const auto& a : actions_)
        if ((a.events & event) && a.target.lock().get() == target) names.push_back(a.action.name);
    return names;
}

NSUInteger UIControl::state() const
{
    NSUInteger s = UIControlStateNormal;
    if (highlighted_) s |= UIControlStateHighlighted;
    if (!enabled_) s |= UIControlStateDisabled;
    if (selected_) s |= UIControlStateSelected;
    return s;
}

UIView* UIControl::hitTest(CGPoint p, UIEvent* event)
{
    return enabled_ ? UIView::hitTest(p, event) : nullptr;
}

bool UIControl::touchInside(const NSSetOfTouches& t) const
{
    return !t.empty() && pointInside(t.front()->locationInView(this), nullptr);
}

void UIControl::touchesBegan(const NSSetOfTouches& t, UIEvent*)
{
    setHighlighted(true);
    sendActionsForControlEvents(!t.empty() && t.front()->tapCount() > 1
                                    ? UIControlEventTouchDown | UIControlEventTouchDownRepeat
                                    : UIControlEventTouchDown);
}

void UIControl::touchesMoved(const NSSetOfTouches& t, UIEvent*)
{
    const bool inside = touchInside(t);
    setHighlighted(inside);
    sendActionsForControlEvents(inside ? UIControlEventTouchDragInside : UIControlEventTouchDragOutside);
}

void UIControl::touchesEnded(const NSSetOfTouches& t, UIEvent*)
{
    setHighlighted(false);
    sendActionsForControlEvents(touchInside(t) ? UIControlEventTouchUpInside : UIControlEventTouchUpOutside);
}

void UIControl::touchesCancelled(const NSSetOfTouches&, UIEvent*)
{
    setHighlighted(false);
    sendActionsForControlEvents(UIControlEventTouchCancel);
}

// ---- Small views -----------------------------------------------------------

std::shared_ptr<UIImageView> UIImageView::initWithImage(std::shared_ptr<UIImage> image)
{
    auto v = UIImageView::initWithFrame(CGRectMake(0, 0, image ? image->size().width : 0, image ? image->size().height : 0));
    v->image = std::move(image);
    return v;
}

std::shared_ptr<UIButton> UIButton::buttonWithType(UIButtonType type)
{
    auto b = UIButton::initWithFrame(CGRectZero);
    b->type_ = type;
    return b;
}

template <class T>
T UIButton::forState(const std::map<NSUInteger, T>& m, UIControlState state)
{
    auto it = m.find(state);
    if (it != m.end()) return it->second;
    it = m.find(UIControlStateNormal);
    return it != m.end() ? it->second : T();
}

void UIButton::setTitle(const NSString& title, UIControlState state) { titles_[state] = title; refresh(); }
NSString UIButton::titleForState(UIControlState state) const { return forState(titles_, state); }
void UIButton::setTitleColor(std::shared_ptr<UIColor> color, UIControlState state) { titleColors_[state] = std::move(color); refresh(); }
std::shared_ptr<UIColor> UIButton::titleColorForState(UIControlState state) const { return forState(titleColors_, state); }
void UIButton::setImage(std::shared_ptr<UIImage> image, UIControlState state) { images_[state] = std::move(image); refresh(); }
std::shared_ptr<UIImage> UIButton::imageForState(UIControlState state) const { return forState(images_, state); }
void UIButton::setBackgroundImage(std::shared_ptr<UIImage> image, UIControlState state) { backgrounds_[state] = std::move(image); refresh(); }
std::shared_ptr<UIImage> UIButton::backgroundImageForState(UIControlState state) const { return forState(backgrounds_, state); }

UILabel* UIButton::titleLabel()
{
    if (!titleLabel_) {
        titleLabel_ = UILabel::initWithFrame(bounds());
        titleLabel_->textAlignment = UITextAlignmentCenter;
        titleLabel_->font = UIFont::boldSystemFontOfSize(15);
        titleLabel_->textColor = type_ == UIButtonTypeCustom ? UIColor::whiteColor() : UIColor::colorWithRed(0.22, 0.33, 0.53, 1);
        addSubview(titleLabel_);
        refresh();
    }
    return titleLabel_.get();
}

UIImageView* UIButton::imageView()
{
    if (!imageView_) {
        imageView_ = UIImageView::initWithFrame(bounds());
        addSubview(imageView_);
        refresh();
    }
    return imageView_.get();
}

// The label and image view show the current state's values.
void UIButton::refresh()
{
    setNeedsDisplay();
    setNeedsLayout();
    if (!titleLabel_ && !currentTitle().isNil()) titleLabel();
    if (!imageView_ && currentImage()) imageView();
    if (titleLabel_) {
        titleLabel_->setText(currentTitle());
        if (auto c = titleColorForState(static_cast<UIControlState>(state()))) titleLabel_->textColor = c;
    }
    if (imageView_) imageView_->image = currentImage();
}

std::shared_ptr<UISegmentedControl> UISegmentedControl::initWithItems(const std::vector<NSString>& titles)
{
    auto s = UIView::initWithFrame<UISegmentedControl>(CGRectMake(0, 0, 0, 44));
    s->titles_ = titles;
    return s;
}

void UISegmentedControl::setTitle(const NSString& title, NSUInteger segment)
{
    if (segment < titles_.size()) titles_[segment] = title;
}

void UISegmentedControl::insertSegmentWithTitle(const NSString& title, NSUInteger segment, bool)
{
    titles_.insert(titles_.begin() + std::min<NSUInteger>(segment, titles_.size()), title);
}

void UISegmentedControl::touchesEnded(const NSSetOfTouches& t, UIEvent* e)
{
    setHighlighted(false);
    if (t.empty() || titles_.empty() || !touchInside(t)) return UIControl::touchesEnded(t, e);
    const CGFloat x = t.front()->locationInView(this).x;
    const CGFloat w = bounds().size.width / static_cast<CGFloat>(titles_.size());
    const auto index = std::clamp<NSInteger>(w > 0 ? static_cast<NSInteger>(x / w) : 0, 0, static_cast<NSInteger>(titles_.size()) - 1);
    selected_ = index;
    sendActionsForControlEvents(UIControlEventValueChanged);
    UIControl::touchesEnded(t, e);
    if (momentary) selected_ = UISegmentedControlNoSegment;
}

void UISwitch::touchesEnded(const NSSetOfTouches& t, UIEvent* e)
{
    if (touchInside(t)) {
        on_ = !on_;
        sendActionsForControlEvents(UIControlEventValueChanged);
    }
    UIControl::touchesEnded(t, e);
}

std::shared_ptr<UIActivityIndicatorView> UIActivityIndicatorView::initWithActivityIndicatorStyle(UIActivityIndicatorViewStyle style)
{
    const CGFloat side = style == UIActivityIndicatorViewStyleWhiteLarge ? 37 : 20;
    auto v = UIView::initWithFrame<UIActivityIndicatorView>(CGRectMake(0, 0, side, side));
    v->activityIndicatorViewStyle = style;
    v->setHidden(true);
    return v;
}

std::shared_ptr<UIProgressView> UIProgressView::initWithProgressViewStyle(UIProgressViewStyle style)
{
    auto v = UIView::initWithFrame<UIProgressView>(CGRectMake(0, 0, 150, 9));
    v->progressViewStyle = style;
    return v;
}

void UIPageControl::setNumberOfPages(NSInteger n)
{
    pages_ = std::max<NSInteger>(n, 0);
    current_ = std::clamp<NSInteger>(current_, 0, std::max<NSInteger>(pages_ - 1, 0));
    if (hidesForSinglePage) setHidden(pages_ <= 1);
}

void UIPageControl::setCurrentPage(NSInteger p) { current_ = std::clamp<NSInteger>(p, 0, std::max<NSInteger>(pages_ - 1, 0)); }
