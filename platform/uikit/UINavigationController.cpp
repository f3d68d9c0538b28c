#include "platform/uikit/UINavigationController.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UIStringDrawing.h"

namespace {

// A container view whose layout is its controller's.
class ContainerView : public UIView {
public:
    std::function<void()> onLayout;
    void layoutSubviews() override
    {
        if (onLayout) onLayout();
    }
};

constexpr CGFloat kBarHeight = 44;
constexpr CGFloat kPromptHeight = 30;
constexpr CGFloat kTabBarHeight = 49;
constexpr CGFloat kBarMargin = 5;  // how far a bar's items keep from its ends

std::shared_ptr<UIView> makeContainer(const std::function<void()>& onLayout)
{
    auto v = UIView::initWithFrame<ContainerView>(UIScreen::mainScreen().applicationFrame());
    v->onLayout = onLayout;
    return v;
}

}  // namespace

// ---- Bars --------------------------------------------------------------------

// The navigation controller holding the bar lays its content out again.
static void barTranslucencyChanged(UIView& bar)
{
    if (auto* holder = bar.superview()) holder->setNeedsLayout();
}

void UIToolbar::setTranslucent(bool t)
{
    if (t == translucent_) return;
    translucent_ = t;
    barTranslucencyChanged(*this);
}

void UINavigationBar::setTranslucent(bool t)
{
    if (t == translucent_) return;
    translucent_ = t;
    barTranslucencyChanged(*this);
}

void UIToolbar::setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool)
{
    for (const auto& item : items_)
        if (auto v = item->barView(); v && v->superview() == this) v->removeFromSuperview();
    items_ = std::move(items);
    // Flexible spaces share what the other items leave of the width within
    // the bar's margins.
    CGFloat used = 2 * kBarMargin;
    int flexible = 0;
    for (const auto& item : items_) {
        if (item->systemItem == UIBarButtonSystemItemFlexibleSpace) ++flexible;
        else if (auto v = item->barView()) used += v->frame().size.width;
        else used += item->width;
    }
    const CGFloat share = flexible > 0 ? std::max<CGFloat>(bounds().size.width - used, 0) / flexible : 0;
    CGFloat x = kBarMargin;
    for (const auto& item : items_) {
        auto v = item->barView();
        if (!v) {
            x += item->systemItem == UIBarButtonSystemItemFlexibleSpace ? share : item->width;
            continue;
        }
        const CGRect f = v->frame();
        v->setFrame(CGRectMake(x, (bounds().size.height - f.size.height) / 2, f.size.width, f.size.height));
        x += f.size.width;
        addSubview(v);
    }
}

UINavigationBar::Shown UINavigationBar::shownOf(const UINavigationItem& item)
{
    return {item.title, item.prompt, item.titleView, item.leftBarButtonItem, item.rightBarButtonItem, item.hidesBackButton};
}

void UINavigationBar::showItem(std::shared_ptr<UINavigationItem> item, std::shared_ptr<UIView> backButton)
{
    const auto old = subviews();
    for (const auto& v : old) v->removeFromSuperview();
    top_ = std::move(item);
    backButton_ = std::move(backButton);
    if (!top_) return;
    shown_ = shownOf(*top_);
    const CGFloat w = bounds().size.width, h = std::min(bounds().size.height, kBarHeight);
    const CGFloat top = bounds().size.height - h;  // the prompt's line, above the items
    if (!top_->prompt.isNil() && top > 0) {
        auto prompt = UILabel::initWithFrame(CGRectMake(0, 0, w, top));
        prompt->setText(top_->prompt);
        prompt->textAlignment = UITextAlignmentCenter;
        prompt->font = UIFont::systemFontOfSize(13);
        addSubview(prompt);
    }
    auto place = [&](const std::shared_ptr<UIView>& v, CGFloat x) {
        const CGRect f = v->frame();
        v->setFrame(CGRectMake(x, top + (h - f.size.height) / 2, f.size.width, f.size.height));
        addSubview(v);
    };
    std::shared_ptr<UIView> left = top_->leftBarButtonItem ? top_->leftBarButtonItem->barView() : nullptr;
    if (!left && !top_->hidesBackButton) left = backButton_;
    if (left) place(left, kBarMargin);
    if (auto right = top_->rightBarButtonItem ? top_->rightBarButtonItem->barView() : nullptr)
        place(right, w - kBarMargin - right->frame().size.width);
    std::shared_ptr<UIView> title = top_->titleView;
    if (!title) {
        auto label = UILabel::initWithFrame(CGRectMake(0, 0, 160, h));
        label->setText(top_->title);
        label->textAlignment = UITextAlignmentCenter;
        label->font = UIFont::boldSystemFontOfSize(20);
        label->textColor = UIColor::whiteColor();
        title = label;
    }
    place(title, (w - title->frame().size.width) / 2);
}

void UINavigationBar::topItemTitleDidChange()
{
    if (top_ && !(shownOf(*top_) == shown_)) showItem(top_, backButton_);
}

// Every pass compares the top item with what the bar shows, so the bar stays
// due for the next pass.
void UINavigationBar::layoutSubviews()
{
    topItemTitleDidChange();
    setNeedsLayout();
}

CGSize UINavigationBar::sizeThatFits(CGSize size) const
{
    return CGSizeMake(bounds().size.width, top_ && !top_->prompt.isNil() ? kBarHeight + kPromptHeight : kBarHeight);
}

// ---- Navigation controller -----------------------------------------------------

std::shared_ptr<UINavigationController> UINavigationController::initWithRootViewController(
    const std::shared_ptr<UIViewController>& root)
{
    auto nav = UIViewController::init<UINavigationController>();
    nav->setViewControllers({root});
    return nav;
}

void UINavigationController::loadView()
{
    setView(makeContainer([this] { layout(); }));
    bar_ = UIView::initWithFrame<UINavigationBar>(CGRectMake(0, 0, view()->bounds().size.width, kBarHeight));
    content_ = UIView::initWithFrame(CGRectZero);
    view()->addSubview(content_);
    view()->addSubview(bar_);
    if (toolbar_) view()->addSubview(toolbar_);
    showTop(false);
}

UITabBarItem* UINavigationController::tabBarItem()
{
    if (!hasOwnTabBarItem() && !stack_.empty()) return stack_.front()->tabBarItem();
    return UIViewController::tabBarItem();
}

UINavigationBar* UINavigationController::navigationBar()
{
    view();
    return bar_.get();
}

UIToolbar* UINavigationController::toolbar()
{
    if (!toolbar_) {
        toolbar_ = UIToolbar::initWithFrame(CGRectZero);
        toolbar_->setHidden(toolbarHidden_);
        if (isViewLoaded()) view()->addSubview(toolbar_);
        if (isViewLoaded()) layout();
    }
    return toolbar_.get();
}

void UINavigationController::setNavigationBarHidden(bool hidden, bool)
{
    navigationBarHidden_ = hidden;
    if (isViewLoaded()) layout();
}

void UINavigationController::setToolbarHidden(bool hidden, bool)
{
    toolbarHidden_ = hidden;
    toolbar()->setHidden(hidden);
    if (isViewLoaded()) layout();
}

void UINavigationController::layout()
{
    if (!bar_) return;
    const CGRect b = view()->bounds();
    bar_->setHidden(navigationBarHidden_);
    bar_->setFrame(CGRectMake(0, 0, b.size.width, kBarHeight));
    // The content reaches under a bar that is hidden or translucent, so it
    // keeps its size when translucent bars come and go.
    const CGFloat top = navigationBarHidden_ || bar_->translucent() ? 0 : kBarHeight;
    const CGFloat bottom = toolbarHidden_ || !toolbar_ || toolbar_->translucent() ? 0 : kBarHeight;
    if (toolbar_) toolbar_->setFrame(CGRectMake(0, b.size.height - kBarHeight, b.size.width, kBarHeight));
    content_->setFrame(CGRectMake(0, top, b.size.width, b.size.height - top - bottom));
    if (shown_) shown_->view()->setFrame(content_->bounds());
}

std::shared_ptr<UIViewController> UINavigationController::visibleViewController() const
{
    auto top = topViewController();
    while (top && top->modalViewController()) top = top->modalViewController();
    return top;
}

void UINavigationController::setViewControllers(std::vector<std::shared_ptr<UIViewController>> vcs, bool animated)
{
    std::erase(vcs, nullptr);
    auto old = std::move(stack_);
    stack_ = std::move(vcs);
    for (const auto& vc : stack_) vc->setParent(this);
    showTop(animated);  // the controllers leaving hear it while still held
    for (const auto& vc : old)
        if (std::find(stack_.begin(), stack_.end(), vc) == stack_.end() && vc->parentViewController() == this) vc->setParent(nullptr);
}

void UINavigationController::pushViewController(const std::shared_ptr<UIViewController>& vc, bool animated)
{
    if (!vc || std::find(stack_.begin(), stack_.end(), vc) != stack_.end()) return;
    vc->setParent(this);
    stack_.push_back(vc);
    showTop(animated);
}

std::shared_ptr<UIViewController> UINavigationController::popViewControllerAnimated(bool animated)
{
    if (stack_.size() < 2) return nullptr;
    auto popped = stack_.back();
    stack_.pop_back();
    showTop(animated);
    popped->setParent(nullptr);
    return popped;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToViewController(const UIViewController* vc, bool animated)
{
    auto it = std::find_if(stack_.begin(), stack_.end(), [&](const auto& x) { return x.get() == vc; });
    if (it == stack_.end()) return {};
    std::vector<std::shared_ptr<UIViewController>> popped(it + 1, stack_.end());
    stack_.erase(it + 1, stack_.end());
    showTop(animated);
    for (const auto& p : popped) p->setParent(nullptr);
    return popped;
}

std::vector<std::shared_ptr<UIViewController>> UINavigationController::popToRootViewControllerAnimated(bool animated)
{
    if (stack_.empty()) return {};
    return popToViewController(stack_.front().get(), animated);
}

// A back button is as wide as its title, from 60 points up to what leaves
// the bar's title its room; a longer title gives way to "Back".
void UINavigationController::setBackTitle(UIButton& button, const NSString& title)
{
    constexpr CGFloat kMinWidth = 60, kMaxWidth = 75, kPadding = 12;
    button.setTitle(title, UIControlStateNormal);
    CGFloat width = std::ceil(sizeWithFont(title, button.titleLabel()->font).width) + kPadding;
    if (width > kMaxWidth) {
        button.setTitle("Back", UIControlStateNormal);
        width = std::ceil(sizeWithFont(NSString("Back"), button.titleLabel()->font).width) + kPadding;
    }
    button.setFrame(CGRectMake(0, 0, std::clamp(width, kMinWidth, kMaxWidth), 30));
}

// Puts the top controller's view in place of the one shown. On screen the
// order is: old will disappear, new will appear, old did disappear, new did appear.
void UINavigationController::showTop(bool animated)
{
    if (!isViewLoaded()) return;
    auto top = topViewController();
    if (top != shown_) {
        auto old = shown_;
        const bool onScreen = view()->window() != nullptr;
        if (onScreen && old) UIViewController::beginAppearanceTransitionInTree(old->view().get(), false, animated);
        if (onScreen && top) UIViewController::beginAppearanceTransitionInTree(top->view().get(), true, animated);
        if (old && old->isViewLoaded() && old->view()->superview() == content_.get()) old->view()->removeFromSuperview();
        shown_ = top;
        if (top) {
            layout();
            content_->addSubview(top->view());
        }
    }
    backButton_ = nullptr;
    if (stack_.size() > 1) {
        const auto& previous = stack_[stack_.size() - 2];
        auto* back = previous->navigationItem()->backBarButtonItem.get();
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        setBackTitle(*button, back ? back->title : previous->navigationItem()->title);
        button->addTarget(shared_from_this(), NX_SEL0(UINavigationController, backButtonTapped), UIControlEventTouchUpInside);
        backButton_ = button;
    }
    bar_->showItem(top ? std::static_pointer_cast<UINavigationItem>(top->navigationItem()->shared_from_this()) : nullptr,
                   backButton_);
    layout();
    if (auto* tbc = tabBarController()) tbc->updateBottomBar();
}

// ---- Tab bar controller ----------------------------------------------------------

void UITabBarController::loadView()
{
    setView(makeContainer([this] {
        const CGRect b = view()->bounds();
        tabBar_->setFrame(CGRectMake(0, b.size.height - kTabBarHeight, b.size.width, kTabBarHeight));
        updateBottomBar();
    }));
    content_ = UIView::initWithFrame(CGRectZero);
    tabBar_ = UIView::initWithFrame<UITabBar>(CGRectZero);
    view()->addSubview(content_);
    view()->addSubview(tabBar_);
    view()->layoutIfNeeded();
    showSelected();
}

UITabBar* UITabBarController::tabBar()
{
    view();
    return tabBar_.get();
}

UINavigationController* UITabBarController::moreNavigationController()
{
    if (!more_) {
        more_ = UIViewController::init<UINavigationController>();
        more_->setParent(this);
    }
    return more_.get();
}

std::shared_ptr<UIViewController> UITabBarController::selectedViewController() const
{
    return selected_ < tabs_.size() ? tabs_[selected_] : nullptr;
}

void UITabBarController::setViewControllers(std::vector<std::shared_ptr<UIViewController>> vcs, bool)
{
    std::erase(vcs, nullptr);
    auto old = std::move(tabs_);
    tabs_ = std::move(vcs);
    if (selected_ >= tabs_.size()) selected_ = 0;
    for (const auto& vc : tabs_) vc->setParent(this);
    showSelected();  // the controller leaving hears it while still held
    for (const auto& vc : old)
        if (std::find(tabs_.begin(), tabs_.end(), vc) == tabs_.end() && vc->parentViewController() == this) vc->setParent(nullptr);
}

void UITabBarController::setSelectedIndex(NSUInteger index)
{
    if (index >= tabs_.size()) return;
    selected_ = index;
    showSelected();
    if (auto d = delegate.lock()) d->tabBarController_didSelectViewController(this, tabs_[index].get());
}

void UITabBarController::showSelected()
{
    if (!isViewLoaded()) return;
    auto selected = selectedViewController();
    tabBar_->items.clear();
    for (const auto& vc : tabs_)
        tabBar_->items.push_back(std::static_pointer_cast<UITabBarItem>(vc->tabBarItem()->shared_from_this()));
    tabBar_->selectedItem = selected ? std::static_pointer_cast<UITabBarItem>(selected->tabBarItem()->shared_from_this()) : nullptr;
    if (selected == shown_) return;
    auto old = shown_;
    const bool onScreen = view()->window() != nullptr;
    if (onScreen && old) UIViewController::beginAppearanceTransitionInTree(old->view().get(), false, false);
    if (onScreen && selected) UIViewController::beginAppearanceTransitionInTree(selected->view().get(), true, false);
    if (old && old->isViewLoaded() && old->view()->superview() == content_.get()) old->view()->removeFromSuperview();
    shown_ = selected;
    updateBottomBar();
    if (selected) content_->addSubview(selected->view());
}

// The bar slides away while the selected tab's top controller hides it.
void UITabBarController::updateBottomBar()
{
    if (!content_) return;
    auto selected = selectedViewController();
    auto* nav = dynamic_cast<UINavigationController*>(selected.get());
    auto top = nav ? nav->topViewController() : selected;
    const bool hides = top && top->hidesBottomBarWhenPushed();
    const CGRect b = view()->bounds();
    tabBar_->setFrame(CGRectMake(hides ? -b.size.width : 0, b.size.height - kTabBarHeight, b.size.width, kTabBarHeight));
    content_->setFrame(CGRectMake(0, 0, b.size.width, b.size.height - (hides ? 0 : kTabBarHeight)));
    if (shown_) {
        shown_->view()->setFrame(content_->bounds());
        shown_->view()->layoutIfNeeded();
    }
}
