#pragma once
// View controllers, their navigation and tab bar items, bar button items and
// the registry of interface files.

#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "platform/uikit/UIView.h"

class UINavigationController;
class UITabBarController;

// ---- Interface files ---------------------------------------------------------

// An interface file is C++ code registered under the file's name: it creates
// the top-level objects, sets the owner's outlets (with their tags) and wires
// the actions.
class UINib {
public:
    using Builder = std::function<std::vector<id>(NSObject* owner)>;
    static void registerNib(const NSString& name, Builder builder);
    static bool exists(const NSString& name);
    // The top-level objects of the file; empty when there is no such file.
    static std::vector<id> loadNibNamed(const NSString& name, NSObject* owner);
};

// ---- Bar items ---------------------------------------------------------------

enum UIBarButtonItemStyle : NSInteger { UIBarButtonItemStylePlain = 0, UIBarButtonItemStyleBordered = 1, UIBarButtonItemStyleDone = 2 };
enum UIBarButtonSystemItem : NSInteger {
    UIBarButtonSystemItemDone = 0,
    UIBarButtonSystemItemCancel = 1,
    UIBarButtonSystemItemEdit = 2,
    UIBarButtonSystemItemSave = 3,
    UIBarButtonSystemItemAdd = 4,
    UIBarButtonSystemItemFlexibleSpace = 5,
    UIBarButtonSystemItemFixedSpace = 6,
    UIBarButtonSystemItemRefresh = 13,
};

class UIBarButtonItem : public NSObject {
public:
    static std::shared_ptr<UIBarButtonItem> initWithTitle(const NSString& title, UIBarButtonItemStyle style,
                                                          const id& target, SEL action);
    static std::shared_ptr<UIBarButtonItem> initWithImage(std::shared_ptr<UIImage> image, UIBarButtonItemStyle style,
                                                          const id& target, SEL action);
    static std::shared_ptr<UIBarButtonItem> initWithBarButtonSystemItem(UIBarButtonSystemItem item, const id& target,
                                                                        SEL action);
    static std::shared_ptr<UIBarButtonItem> initWithCustomView(std::shared_ptr<UIView> view);

    NSString title;
    std::shared_ptr<UIImage> image;
    UIBarButtonItemStyle style = UIBarButtonItemStylePlain;
    std::optional<UIBarButtonSystemItem> systemItem;
    std::shared_ptr<UIView> customView;
    CGFloat width = 0;
    bool enabled = true;
    NSInteger tag = 0;
    std::weak_ptr<NSObject> target;
    SEL action;

    // What a tap does: the action goes to the target with the item as argument.
    void sendAction();
    // The view a bar shows for the item: the custom view, else a button that
    // sends the action.
    std::shared_ptr<UIView> barView();

private:
    std::shared_ptr<UIView> button_;
};

class UINavigationItem : public NSObject {
public:
    NSString title;
    // A line above the title; a bar showing it is 30 points taller.
    NSString prompt;
    std::shared_ptr<UIView> titleView;
    std::shared_ptr<UIBarButtonItem> leftBarButtonItem;
    std::shared_ptr<UIBarButtonItem> rightBarButtonItem;
    std::shared_ptr<UIBarButtonItem> backBarButtonItem;
    bool hidesBackButton = false;
    void setLeftBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false) { leftBarButtonItem = std::move(item); }
    void setRightBarButtonItem(std::shared_ptr<UIBarButtonItem> item, bool animated = false) { rightBarButtonItem = std::move(item); }
    void setHidesBackButton(bool h, bool animated = false) { hidesBackButton = h; }
};

class UITabBarItem : public NSObject {
public:
    static std::shared_ptr<UITabBarItem> initWithTitle(const NSString& title, std::shared_ptr<UIImage> image, NSInteger tag)
    {
        auto item = std::make_shared<UITabBarItem>();
        item->title = title;
        item->image = std::move(image);
        item->tag = tag;
        return item;
    }
    NSString title;
    std::shared_ptr<UIImage> image;
    NSString badgeValue;
    NSInteger tag = 0;
};

// ---- View controller -----------------------------------------------------------

enum UIModalPresentationStyle : NSInteger {
    UIModalPresentationFullScreen = 0,
    UIModalPresentationPageSheet = 1,
    UIModalPresentationFormSheet = 2,
    UIModalPresentationCurrentContext = 3,
};

class UIViewController : public UIResponder {
public:
    ~UIViewController() override;

    // The view comes from the interface file named after the class, when there is one.
    template <class T = UIViewController>
    static std::shared_ptr<T> init() { return initWithNibName<T>(NSString(), NSString()); }
    template <class T = UIViewController>
    static std::shared_ptr<T> initWithNibName(const NSString& nibName, const NSString& bundle)
    {
        auto vc = std::make_shared<T>();
        vc->nibName_ = nibName;
        return vc;
    }
    // The interface file's name: the one given, else the class's name.
    NSString nibName() const { return nibName_.isNil() ? NSStringFromClass(*this) : nibName_; }

    // Loads the view on first use, then calls viewDidLoad.
    std::shared_ptr<UIView> view();
    void setView(std::shared_ptr<UIView> view);
    bool isViewLoaded() const { return static_cast<bool>(view_); }

    virtual void loadView();
    virtual void viewDidLoad() {}
    virtual void viewDidUnload() {}
    virtual void viewWillAppear(bool animated) {}
    virtual void viewDidAppear(bool animated) {}
    virtual void viewWillDisappear(bool animated) {}
    virtual void viewDidDisappear(bool animated) {}
    // Releases the view when it is not on screen, then viewDidUnload.
    virtual void didReceiveMemoryWarning();

    NSString title() const { return title_; }
    // Also the title of the navigation item and of the tab bar item.
    void setTitle(const NSString& title);
    UINavigationItem* navigationItem();
    virtual UITabBarItem* tabBarItem();
    void setTabBarItem(std::shared_ptr<UITabBarItem> item) { tabBarItem_ = std::move(item); }
    bool hidesBottomBarWhenPushed() const { return hidesBottomBarWhenPushed_; }
    void setHidesBottomBarWhenPushed(bool h) { hidesBottomBarWhenPushed_ = h; }
    bool wantsFullScreenLayout() const { return wantsFullScreenLayout_; }
    void setWantsFullScreenLayout(bool w) { wantsFullScreenLayout_ = w; }

    // The containers: the controller this one is shown in, and the nearest
    // navigation and tab bar controllers above it.
    UIViewController* parentViewController() const { return parent_; }
    UINavigationController* navigationController() const;
    UITabBarController* tabBarController() const;

    // Modal presentation over the window.
    void presentModalViewController(const std::shared_ptr<UIViewController>& vc, bool animated);
    void dismissModalViewControllerAnimated(bool animated);
    std::shared_ptr<UIViewController> modalViewController() const { return modal_; }
    // Kept for the presentation; the phone-sized screen shows every style full screen.
    UIModalPresentationStyle modalPresentationStyle() const { return modalPresentationStyle_; }
    void setModalPresentationStyle(UIModalPresentationStyle s) { modalPresentationStyle_ = s; }

    // The appearance calls, made once per change. They reach a controller
    // whose view enters or leaves a window as the window's own subview, a
    // modally presented one, and the controllers that containers show or
    // hide (down through nested containers); a controller whose view is only
    // added to another view hears nothing, as on the device.
    void beginAppearanceTransition(bool appearing, bool animated);
    void endAppearanceTransition();
    // beginAppearanceTransition for the controller of the view and the
    // controllers its containers show.
    static void beginAppearanceTransitionInTree(UIView* root, bool appearing, bool animated);
    bool isVisible() const { return appearance_ == Appeared; }

    UIResponder* nextResponder() const override;

protected:
    friend class UINavigationController;
    friend class UITabBarController;
    void setParent(UIViewController* parent) { parent_ = parent; }
    bool hasOwnTabBarItem() const { return static_cast<bool>(tabBarItem_); }

private:
    enum Appearance { Disappeared, Appearing, Appeared, Disappearing };
    NSString nibName_;
    std::shared_ptr<UIView> view_;
    NSString title_;
    std::shared_ptr<UINavigationItem> navigationItem_;
    std::shared_ptr<UITabBarItem> tabBarItem_;
    bool hidesBottomBarWhenPushed_ = false;
    bool wantsFullScreenLayout_ = false;
    UIViewController* parent_ = nullptr;
    std::shared_ptr<UIViewController> modal_;
    UIModalPresentationStyle modalPresentationStyle_ = UIModalPresentationFullScreen;
    Appearance appearance_ = Disappeared;
    bool transitionAnimated_ = false;
};
