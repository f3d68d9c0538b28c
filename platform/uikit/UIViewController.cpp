#include "platform/uikit/UIViewController.h"

#include <algorithm>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"

// ---- Interface files -----------------------------------------------------------

static std::map<NSString, UINib::Builder>& nibs()
{
    static std::map<NSString, UINib::Builder> registry;
    return registry;
}

void UINib::registerNib(const NSString& name, Builder builder) { nibs()[name] = std::move(builder); }
bool UINib::exists(const NSString& name) { return nibs().count(name) != 0; }

std::vector<id> UINib::loadNibNamed(const NSString& name, NSObject* owner)
{
    auto it = nibs().find(name);
    if (it == nibs().end()) return {};
    auto builder = it->second;  // the builder may register further files
    return builder(owner);
}

// ---- Bar button items -----------------------------------------------------------

static std::shared_ptr<UIBarButtonItem> makeItem(const id& target, SEL action)
{
    auto item = std::make_shared<UIBarButtonItem>();
    item->target = target;
    item->action = std::move(action);
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithTitle(const NSString& title, UIBarButtonItemStyle style,
                                                                const id& target, SEL action)
{
    auto item = makeItem(target, std::move(action));
    item->title = title;
    item->style = style;
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithImage(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style,
                                                                const id& target, SEL action)
{
    auto item = makeItem(target, std::move(action));
    item->image = std::move(image);
    item->style = style;
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithBarButtonSystemItem(UIBarButtonSystemItem system,
                                                                              const id& target, SEL action)
{
    auto item = makeItem(target, std::move(action));
    item->systemItem = system;
    return item;
}

std::shared_ptr<UIBarButtonItem> UIBarButtonItem::initWithCustomView(std::shared_ptr<UIView> view)
{
    auto item = std::make_shared<UIBarButtonItem>();
    item->customView = std::move(view);
    return item;
}

void UIBarButtonItem::sendAction()
{
    if (!enabled) return;
    if (auto t = target.lock()) action.perform(t.get(), shared_from_this());
}

// The platform's own titles of its system items.
static NSString systemItemTitle(UIBarButtonSystemItem item)
{
    switch (item) {
    case UIBarButtonSystemItemDone: return "Done";
    case UIBarButtonSystemItemCancel: return "Cancel";
    case UIBarButtonSystemItemEdit: return "Edit";
    case UIBarButtonSystemItemSave: return "Save";
    default: return NSString();
    }
}

std::shared_ptr<UIView> UIBarButtonItem::barView()
{
    if (customView) return customView;
    if (systemItem == UIBarButtonSystemItemFlexibleSpace || systemItem == UIBarButtonSystemItemFixedSpace) return nullptr;
    if (!button_) {
        auto b = UIButton::buttonWithType(UIButtonTypeCustom);
        const NSString shown = !title.isNil() || !systemItem ? title : systemItemTitle(*systemItem);
        // At least 50 points, wider for a longer title.
        const CGFloat fit = shown.isNil() ? 0 : sizeWithFont(shown, b->titleLabel()->font).width + 20;
        b->setFrame(CGRectMake(0, 0, width > 0 ? width : std::max<CGFloat>(50, fit), 30));
        b->setTitle(shown, UIControlStateNormal);
        // Bordered and done items sit on a rounded face; plain ones are bare text.
        if (style != UIBarButtonItemStylePlain || systemItem) {
            b->setBackgroundColor(style == UIBarButtonItemStyleDone ? UIColor::colorWithRed(0.16, 0.36, 0.75, 1)
                                                                    : UIColor::colorWithRed(0.33, 0.42, 0.55, 1));
            b->layer()->cornerRadius = 5;
        }
        b->setImage(image, UIControlStateNormal);
        b->addTarget(shared_from_this(), NX_SEL0(UIBarButtonItem, sendAction), UIControlEventTouchUpInside);
        button_ = b;
    }
    return button_;
}

// ---- View controller -------------------------------------------------------------

UIViewController::~UIViewController()
{
    if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
}

std::shared_ptr<UIView> UIViewController::view()
{
    if (!view_) {
        loadView();
        if (!view_) setView(UIView::initWithFrame(UIScreen::mainScreen().applicationFrame()));
        viewDidLoad();
    }
    return view_;
}

void UIViewController::setView(std::shared_ptr<UIView> view)
{
    if (view_ && view_->viewController() == this) view_->setViewController(nullptr);
    view_ = std::move(view);
    if (view_) view_->setViewController(this);
}

// The interface file sets the view outlet; else its first top-level view is it.
void UIViewController::loadView()
{
    const NSString name = nibName();
    if (!UINib::exists(name)) return;
    const auto objects = UINib::loadNibNamed(name, this);
    if (view_) return;
    for (const auto& o : objects) {
        if (auto v = std::dynamic_pointer_cast<UIView>(o)) {
            setView(v);
            return;
        }
    }
}

void UIViewController::didReceiveMemoryWarning()
{
    if (!view_ || view_->window()) return;
    setView(nullptr);
    viewDidUnload();
}

void UIViewController::setTitle(const NSString& title)
{
    title_ = title;
    navigationItem()->title = title;
    tabBarItem()->title = title;
    if (auto* nav = navigationController(); nav && nav != this && nav->navigationBar()->topItem() == navigationItem())
        nav->navigationBar()->topItemTitleDidChange();
}

UINavigationItem* UIViewController::navigationItem()
{
    if (!navigationItem_) {
        navigationItem_ = std::make_shared<UINavigationItem>();
        navigationItem_->title = title_;
    }
    return navigationItem_.get();
}

UITabBarItem* UIViewController::tabBarItem()
{
    if (!tabBarItem_) tabBarItem_ = UITabBarItem::initWithTitle(title_, nullptr, 0);
    return tabBarItem_.get();
}

UINavigationController* UIViewController::navigationController() const
{
    for (auto* p = parent_; p; p = p->parent_)
        if (auto* nav = dynamic_cast<UINavigationController*>(p)) return nav;
    return nullptr;
}

UITabBarController* UIViewController::tabBarController() const
{
    for (auto* p = parent_; p; p = p->parent_)
        if (auto* tbc = dynamic_cast<UITabBarController*>(p)) return tbc;
    return nullptr;
}

// The presented controller covers the screen below the status bar on the
// presenter's window; the presenter stays beneath it and hears that it
// disappears and comes back.
void UIViewController::presentModalViewController(const std::shared_ptr<UIViewController>& vc, bool animated)
{
    if (!vc || modal_) return;
    UIWindow* window = view_ ? view_->window() : nullptr;
    if (!window) window = UIApplication::sharedApplication().keyWindow().get();
    if (!window) return;
    modal_ = vc;
    vc->parent_ = this;
    vc->view()->setFrame(UIScreen::mainScreen().applicationFrame());
    beginAppearanceTransition(false, animated);
    window->addSubview(vc->view());
    endAppearanceTransition();
}

void UIViewController::dismissModalViewControllerAnimated(bool animated)
{
    if (!modal_) {
        if (parent_ && parent_->modal_.get() == this) parent_->dismissModalViewControllerAnimated(animated);
        return;
    }
    auto vc = modal_;
    if (vc->modal_) vc->dismissModalViewControllerAnimated(animated);  // one presented over it goes first
    beginAppearanceTransition(true, animated);
    if (vc->view_) vc->view_->removeFromSuperview();
    modal_ = nullptr;
    vc->parent_ = nullptr;
    endAppearanceTransition();
}

void UIViewController::beginAppearanceTransition(bool appearing, bool animated)
{
    if (appearing && (appearance_ == Appeared || appearance_ == Appearing)) return;
    if (!appearing && (appearance_ == Disappeared || appearance_ == Disappearing)) return;
    transitionAnimated_ = animated;
    if (appearing) {
        appearance_ = Appearing;
        view();
        viewWillAppear(animated);
    } else {
        appearance_ = Disappearing;
        viewWillDisappear(animated);
    }
}

void UIViewController::endAppearanceTransition()
{
    if (appearance_ == Appearing) {
        appearance_ = Appeared;
        viewDidAppear(transitionAnimated_);
    } else if (appearance_ == Disappearing) {
        appearance_ = Disappeared;
        viewDidDisappear(transitionAnimated_);
    }
}

UIResponder* UIViewController::nextResponder() const
{
    return view_ ? view_->superview() : nullptr;
}
