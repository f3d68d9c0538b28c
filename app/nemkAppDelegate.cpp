#include "app/nemkAppDelegate.h"

#include "app/AppText.h"
#include "app/LoginViewController.h"
#include "app/NavigationBarImage.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSUserDefaults.h"
#include "mapsdk/VIZMapManager.h"
#include "platform/uikit/UIImage.h"
#include "protocol/Constant.h"
#include "protocol/ServiceConfig.h"
#include "ui/ImageDownload.h"
#include "ui/NXAuthenticationDialog.h"
#include "ui/PixPhotoViewController.h"
#include "ui/ProgressHUD.h"

namespace {

// The main interface file: the window, the tab bar controller and the
// delegate with its two outlets.
const bool registered = (UINib::registerNib("MainWindow",
                                            [](NSObject* owner) -> std::vector<id> {
                                                auto delegate = std::make_shared<nemkAppDelegate>();
                                                delegate->window = UIWindow::initWithFrame(UIScreen::mainScreen().bounds());
                                                delegate->tabBarController = UIViewController::init<Ulvo_UITabBar>();
                                                delegate->tabBarController->delegate = delegate;
                                                if (auto* app = dynamic_cast<UIApplication*>(owner)) app->delegate = delegate;
                                                return {delegate, delegate->window, delegate->tabBarController};
                                            }),
                         true);

class GeneralDelegate final : public VIZGeneralDelegate {
public:
    explicit GeneralDelegate(nemkAppDelegate* app) : app_(app) {}
    void onGetNetworkState(int error) override { app_->onGetNetworkState(error); }

private:
    nemkAppDelegate* app_;  // owns this
};

// The settings keep whether the photo viewer is on screen (the navigation
// bar's drawing reads it); leaving it also ends landscape.
void photoViewerOnScreen(bool onScreen)
{
    if (!onScreen) Constant::setLandScape(false);
    Constant::setImageView(onScreen);
}

// What the UI components take from the application above them.
void installComponentHooks()
{
    NXAuthenticationDialog::install();
    ImageDownload::setTimeOutSource(&ServiceConfig::timeOutSeconds);
    PixPhotoViewController::setOnScreenHook(&photoViewerOnScreen);
}

}  // namespace

nemkAppDelegate::~nemkAppDelegate()
{
    NSNotificationCenter::defaultCenter()->removeObserver(this);
    if (hostReach_) hostReach_->stopNotifier();
}

const std::vector<nemkAppDelegate::Tab>& nemkAppDelegate::startTabs()
{
    static const std::vector<Tab> tabs = {
        {"HomeViewCtrl", "home_vesk", "tabbar_homepage", nullptr, false},
        {"TimeSetViewController", "sjsz_g_vesk", "tabbar_timeset", "tabbar_record", false},
        {"SwRecordHomeViewController", "record_g_vesk", "tabbar_recordseach", "tabbar_recordseach", false},
        {"LoveHeartController", "axkh_g_vesk", "tabbar_loveheart", "tabbar_love", false},
        {"MoreViewVESKController", "more_g_vesk", "tabbar_moredetail", "tabbar_more", true},
    };
    return tabs;
}

const std::vector<nemkAppDelegate::Tab>& nemkAppDelegate::pcTabs()
{
    // The start set with the location in place of the care tab.
    static const std::vector<Tab> tabs = [] {
        std::vector<Tab> pc = startTabs();
        pc[3] = {"PCMapController", "axkh_g_vesk", "tabbar_location", "tabbar_location", true};
        return pc;
    }();
    return tabs;
}

const std::vector<nemkAppDelegate::Tab>& nemkAppDelegate::phoneTabs()
{
    static const std::vector<Tab> tabs = {
        {"PhoneHomeViewCtrl", "home_vesk", "tabbar_homepage", nullptr, false},
        {"SwTimeHighSettingController", "sjsz_g_vesk", "tabbar_timeset", "tabbar_record", false},
        {"PhoneMoreViewController", "more_g_vesk", "tabbar_moredetail", "tabbar_more", true},
    };
    return tabs;
}

bool nemkAppDelegate::application_didFinishLaunchingWithOptions(UIApplication* application, const id& options)
{
    UINavigationBar::setDrawHook(UINavigationBar_CustomImage_drawRect);
    installComponentHooks();
    mapManager_ = VIZMapManager::init();
    generalDelegate_ = std::make_shared<GeneralDelegate>(this);
    if (!mapManager_ || !mapManager_->start("", generalDelegate_))
        NSLog("%s [Line %d] manager start failed!", "-[nemkAppDelegate application:didFinishLaunchingWithOptions:]", 396);
    splashViewController_ = UIViewController::init<SplashViewController>();
    window->addSubview(splashViewController_->view());
    window->makeKeyAndVisible();
    return true;
}

void nemkAppDelegate::firstTime() { reachabilityReported_ = false; }

void nemkAppDelegate::initView()
{
    const auto views = window->subviews();
    for (const auto& v : views) v->removeFromSuperview();
    loadData();
}

void nemkAppDelegate::reloadTabs()
{
    const auto views = window->subviews();
    for (const auto& v : views) v->removeFromSuperview();
    loadTab();
}

void nemkAppDelegate::observeTabNotifications()
{
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, "initView", nullptr);
    center->addObserver(this, NX_SEL0(nemkAppDelegate, initView), "initView", nullptr);
    center->removeObserver(this, "reloadTabs", nullptr);
    center->addObserver(this, NX_SEL0(nemkAppDelegate, reloadTabs), "reloadTabs", nullptr);
}

void nemkAppDelegate::installTabs(const std::vector<Tab>& tabs)
{
    std::vector<std::shared_ptr<UIViewController>> controllers;
    controllers.reserve(tabs.size());
    for (const Tab& tab : tabs) {
        auto make = NSClassFromString(tab.screen);
        auto screen = make ? std::dynamic_pointer_cast<UIViewController>(make()) : nullptr;
        if (!screen) continue;
        auto nav = UINavigationController::initWithRootViewController(screen);
        auto setNavigationTitle = [&] {
            if (tab.navigationTitle) nav->setTitle(localized(tab.navigationTitle));
        };
        if (!tab.navigationTitleLast) setNavigationTitle();
        screen->tabBarItem()->image = UIImage::imageNamed(tab.image);
        screen->tabBarItem()->title = localized(tab.itemTitle);
        if (tab.navigationTitleLast) setNavigationTitle();
        controllers.push_back(nav);
    }
    tabBarController->moreNavigationController()->navigationItem()->title = localized("tabbar_more");
    for (const auto& nav : controllers) static_cast<UINavigationController*>(nav.get())->navigationBar()->barStyle = UIBarStyleBlack;
    tabBarController->setViewControllers(std::move(controllers));
}

void nemkAppDelegate::showTabs()
{
    window->addSubview(tabBarController->view());
    window->makeKeyAndVisible();
}

void nemkAppDelegate::watchReachability()
{
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, kReachabilityChangedNotification, nullptr);
    center->addObserver(this, NX_SEL(nemkAppDelegate, reachabilityChanged), kReachabilityChangedNotification, nullptr);
    // One monitor at a time: the one replaced stops reporting, so a change
    // is told once.
    if (hostReach_) hostReach_->stopNotifier();
    hostReach_ = Reachability::reachabilityWithHostName(Ulvo::probeHost());
    if (hostReach_) hostReach_->startNotifier();
}

void nemkAppDelegate::loadData()
{
    observeTabNotifications();
    installTabs(startTabs());
    showTabs();
    watchReachability();

    auto login = UIViewController::init<LoginViewController>();
    login->setHidesBottomBarWhenPushed(true);
    const auto& tabs = tabBarController->viewControllers();
    if (!tabs.empty()) static_cast<UINavigationController*>(tabs.front().get())->pushViewController(login, true);
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
}

void nemkAppDelegate::loadTab()
{
    observeTabNotifications();
    const PlistValue kind = NSUserDefaults::standardUserDefaults()->objectForKey("DeviceType");
    const bool pc = kind.string() && *kind.string() == "PC";
    installTabs(pc ? pcTabs() : phoneTabs());
    showTabs();
    watchReachability();
}

void nemkAppDelegate::reachabilityChanged(const id& notification)
{
    auto note = std::dynamic_pointer_cast<NSNotification>(notification);
    auto reach = note ? std::dynamic_pointer_cast<Reachability>(note->object()) : nullptr;
    if (reach && reach->currentReachabilityStatus() == NotReachable) {
        const NSString text = localized(reachabilityReported_ ? "tabbar_connectfail" : "tabbar_netnotlink");
        ProgressHUD::showHUDAddedTo(window.get(), true, text);
        ProgressHUD::hideHUDForView(window.get(), true);
    }
    reachabilityReported_ = true;
}
