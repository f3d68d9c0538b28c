#pragma once
// Navigation and tab bar controllers with their bars.

#include <functional>

#include "platform/uikit/UIViewController.h"
class UIButton;

enum UIBarStyle : NSInteger { UIBarStyleDefault = 0, UIBarStyleBlack = 1, UIBarStyleBlackOpaque = 1, UIBarStyleBlackTranslucent = 2 };

// Draws a bar's face into the current context: a vertical gradient in the
// bar style's colours, or the tint's, see-through when translucent.
void NXDrawBarFace(CGRect bounds, UIBarStyle barStyle, const std::shared_ptr<UIColor>& tintColor, bool translucent);

// A bar showing bar button items as views laid out from the left.
class UIToolbar : public UIView {
public:
    static std::shared_ptr<UIToolbar> initWithFrame(CGRect frame) { return UIView::initWithFrame<UIToolbar>(frame); }
    UIBarStyle barStyle = UIBarStyleDefault;
    std::shared_ptr<UIColor> tintColor;
    // A navigation controller lays its content out under a translucent bar.
    bool translucent() const { return translucent_; }
    void setTranslucent(bool t);
    const std::vector<std::shared_ptr<UIBarButtonItem>>& items() const { return items_; }
    void setItems(std::vector<std::shared_ptr<UIBarButtonItem>> items, bool animated = false);
    // A vertical gradient in the bar style's colours (the tint's, when set).
    void drawRect(CGRect rect) override;

private:
    std::vector<std::shared_ptr<UIBarButtonItem>> items_;
    bool translucent_ = false;
};

// Shows the top navigation item: its left item (or the back button), title
// (a label, or the title view) and right item. Like the device's bar, which
// watches its top item, it shows a title, title view or bar button item set on
// the item after it was laid out at the next layout pass.
class UINavigationBar : public UIView {
public:
    UIBarStyle barStyle = UIBarStyleDefault;
    std::shared_ptr<UIColor> tintColor;
    // A navigation controller lays its content out under a translucent bar.
    bool translucent() const { return translucent_; }
    void setTranslucent(bool t);
    UINavigationItem* topItem() const { return top_.get(); }
    // Called by the navigation controller when its stack changes.
    void showItem(std::shared_ptr<UINavigationItem> item, std::shared_ptr<UIView> backButton);
    // The top item's title changed: the bar shows it at once.
    void topItemTitleDidChange();
    // A bar of its own showing an item (no back button).
    void pushNavigationItem(std::shared_ptr<UINavigationItem> item, bool animated) { showItem(std::move(item), nullptr); }
    // 44 points high, 74 with the top item's prompt.
    CGSize sizeThatFits(CGSize size) const override;
    void layoutSubviews() override;

    // One function through which every navigation bar draws, as a category's
    // drawRect: replaces the drawing of all bars; without one a bar draws
    // its bar style's gradient.
    using DrawHook = std::function<void(UINavigationBar& bar, CGRect rect)>;
    static void setDrawHook(DrawHook hook);
    void drawRect(CGRect rect) override;

private:
    // What the bar shows of its top item, to notice the item's changes.
    struct Shown {
        NSString title, prompt;
        std::shared_ptr<UIView> titleView;
        std::shared_ptr<UIBarButtonItem> left, right;
        bool hidesBackButton = false;
        bool operator==(const Shown&) const = default;
    };
    static Shown shownOf(const UINavigationItem& item);
    std::shared_ptr<UINavigationItem> top_;
    std::shared_ptr<UIView> backButton_;
    Shown shown_;
    bool translucent_ = false;
};

class UINavigationController : public UIViewController {
public:
    static std::shared_ptr<UINavigationController> initWithRootViewController(const std::shared_ptr<UIViewController>& root);

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return stack_; }
    void setViewControllers(std::vector<std::shared_ptr<UIViewController>> vcs, bool animated = false);
    void pushViewController(const std::shared_ptr<UIViewController>& vc, bool animated);
    // The controller taken off, or nullptr at the root.
    std::shared_ptr<UIViewController> popViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<UIViewController>> popToRootViewControllerAnimated(bool animated);
    std::vector<std::shared_ptr<UIViewController>> popToViewController(const UIViewController* vc, bool animated);
    std::shared_ptr<UIViewController> topViewController() const { return stack_.empty() ? nullptr : stack_.back(); }
    std::shared_ptr<UIViewController> visibleViewController() const;

    UINavigationBar* navigationBar();
    bool navigationBarHidden() const { return navigationBarHidden_; }
    void setNavigationBarHidden(bool hidden, bool animated = false);
    UIToolbar* toolbar();
    bool toolbarHidden() const { return toolbarHidden_; }
    void setToolbarHidden(bool hidden, bool animated = false);

    void loadView() override;
    // The root screen's item, while the navigation controller has none of its own.
    UITabBarItem* tabBarItem() override;

private:
    void showTop(bool animated);
    static void setBackTitle(UIButton& button, const NSString& title);
    void layout();
    void backButtonTapped() { popViewControllerAnimated(true); }
    std::vector<std::shared_ptr<UIViewController>> stack_;
    std::shared_ptr<UIViewController> shown_;
    std::shared_ptr<UINavigationBar> bar_;
    std::shared_ptr<UIToolbar> toolbar_;
    std::shared_ptr<UIView> content_;
    std::shared_ptr<UIView> backButton_;
    bool navigationBarHidden_ = false;
    bool toolbarHidden_ = true;
};

class UITabBar : public UIView {
public:
    std::vector<std::shared_ptr<UITabBarItem>> items;
    std::shared_ptr<UITabBarItem> selectedItem;
};

class UITabBarControllerDelegate {
public:
    virtual ~UITabBarControllerDelegate() = default;
    virtual void tabBarController_didSelectViewController(UITabBarController* tbc, UIViewController* vc) {}
};

class UITabBarController : public UIViewController {
public:
    static std::shared_ptr<UITabBarController> init() { return UIViewController::init<UITabBarController>(); }

    const std::vector<std::shared_ptr<UIViewController>>& viewControllers() const { return tabs_; }
    void setViewControllers(std::vector<std::shared_ptr<UIViewController>> vcs, bool animated = false);
    NSUInteger selectedIndex() const { return selected_; }
    // An index without a tab is ignored.
    void setSelectedIndex(NSUInteger index);
    std::shared_ptr<UIViewController> selectedViewController() const;
    UITabBar* tabBar();
    UINavigationController* moreNavigationController();
    std::weak_ptr<UITabBarControllerDelegate> delegate;

    // Hides the bar while the selected tab shows a controller that hides it.
    void updateBottomBar();

    void loadView() override;

private:
    void showSelected();
    std::vector<std::shared_ptr<UIViewController>> tabs_;
    NSUInteger selected_ = 0;
    std::shared_ptr<UIViewController> shown_;
    std::shared_ptr<UITabBar> tabBar_;
    std::shared_ptr<UIView> content_;
    std::shared_ptr<UINavigationController> more_;
};
