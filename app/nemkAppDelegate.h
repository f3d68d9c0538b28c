#pragma once
// The application delegate: shows the splash, then the start tab set with the
// login screen; builds the PC or the phone tab set when a device has been
// chosen ("reloadTabs"), the start set again on "initView"; and tells the
// parent when the network is gone.
//
// The tab screens live in other libraries and are made by class name; a tab
// whose screen class is not in the program is left out of its set.

#include <memory>
#include <vector>

#include "app/SplashViewController.h"
#include "app/Ulvo_UITabBar.h"
#include "http/Reachability.h"
#include "platform/uikit/UIApplication.h"

class VIZGeneralDelegate;
class VIZMapManager;

class nemkAppDelegate : public NSObject, public UIApplicationDelegate, public UITabBarControllerDelegate {
public:
    ~nemkAppDelegate() override;

    // The outlets the main interface file sets.
    std::shared_ptr<UIWindow> window;
    std::shared_ptr<Ulvo_UITabBar> tabBarController;

    // Starts the map engine (the manager lives as long as the process), then
    // shows the splash.
    bool application_didFinishLaunchingWithOptions(UIApplication* application, const id& options) override;
    // The map SDK's general delegate: the network state needs nothing.
    void onGetNetworkState(int) {}
    void firstTime();
    void initView();
    void loadData();
    void reloadTabs();
    void loadTab();
    void reachabilityChanged(const id& notification);

    Reachability* hostReach() const { return hostReach_.get(); }
    SplashViewController* splashViewController() const { return splashViewController_.get(); }
    VIZMapManager* mapManager() const { return mapManager_.get(); }
    bool reachabilityReported() const { return reachabilityReported_; }

    // One tab of a set: the screen's class, its tab item and navigation title.
    struct Tab {
        const char* screen;
        const char* image;
        const char* itemTitle;
        const char* navigationTitle;  // nullptr: none
        bool navigationTitleLast;     // set after the item's image and title
    };
    static const std::vector<Tab>& startTabs();
    static const std::vector<Tab>& pcTabs();
    static const std::vector<Tab>& phoneTabs();

private:
    void observeTabNotifications();
    void installTabs(const std::vector<Tab>& tabs);
    void showTabs();
    void watchReachability();

    std::shared_ptr<Reachability> hostReach_;
    std::shared_ptr<VIZMapManager> mapManager_;
    // Hands the map SDK's general-delegate calls to this delegate.
    std::shared_ptr<VIZGeneralDelegate> generalDelegate_;
    std::shared_ptr<SplashViewController> splashViewController_;
    bool reachabilityReported_ = false;
};
