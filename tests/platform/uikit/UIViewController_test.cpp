#include <gtest/gtest.h>

#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIStringDrawing.h"

namespace {

std::vector<std::string>* journal = nullptr;

class Screen : public UIViewController {
public:
    std::string name;
    void viewDidLoad() override { log("load"); }
    void viewWillAppear(bool) override { log("willAppear"); }
    void viewDidAppear(bool) override { log("didAppear"); }
    void viewWillDisappear(bool) override { log("willDisappear"); }
    void viewDidDisappear(bool) override { log("didDisappear"); }
    void log(const char* what) { if (journal) journal->push_back(name + "." + what); }
};

std::shared_ptr<Screen> screen(const std::string& name)
{
    auto s = UIViewController::init<Screen>();
    s->name = name;
    s->setTitle(NSString(name));
    return s;
}

struct Journal : ::testing::Test {
    std::vector<std::string> lines;
    void SetUp() override { journal = &lines; }
    void TearDown() override { journal = nullptr; }
};

}  // namespace

using NavigationAppearance = Journal;

TEST_F(NavigationAppearance, PushAndPopCallTheScreensInOrder)
{
    NXUITestDriver driver;
    auto a = screen("A"), b = screen("B"), c = screen("C");
    auto nav = UINavigationController::initWithRootViewController(a);
    EXPECT_TRUE(lines.empty());  // nothing loads before the view is needed
    driver.show(nav);
    EXPECT_EQ(lines, (std::vector<std::string>{"A.load", "A.willAppear", "A.didAppear"}));
    lines.clear();
    nav->pushViewController(b, true);
    EXPECT_EQ(lines, (std::vector<std::string>{"A.willDisappear", "B.load", "B.willAppear", "A.didDisappear", "B.didAppear"}));
    EXPECT_EQ(b->navigationController(), nav.get());
    EXPECT_EQ(nav->navigationBar()->topItem()->title, "B");
    lines.clear();
    nav->pushViewController(c, false);
    lines.clear();
    auto popped = nav->popToRootViewControllerAnimated(true);
    ASSERT_EQ(popped.size(), 2u);
    EXPECT_EQ(popped[0], b);
    EXPECT_EQ(lines, (std::vector<std::string>{"C.willDisappear", "A.willAppear", "C.didDisappear", "A.didAppear"}));
    EXPECT_EQ(nav->popViewControllerAnimated(true), nullptr);  // the root stays
    EXPECT_EQ(c->navigationController(), nullptr);
}

TEST_F(NavigationAppearance, BackButtonPopsAndCustomItemsShowInTheBar)
{
    NXUITestDriver driver;
    auto a = screen("Home"), b = screen("Detail");
    auto nav = UINavigationController::initWithRootViewController(a);
    driver.show(nav);
    nav->pushViewController(b, true);
    auto* back = driver.buttonWithTitle("Home");
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(driver.tap(back));
    EXPECT_EQ(nav->topViewController(), a);

    struct Target : NSObject {
        int taps = 0;
        void edit(const id&) { ++taps; }
    };
    auto target = std::make_shared<Target>();
    a->navigationItem()->setRightBarButtonItem(
        UIBarButtonItem::initWithTitle("Edit", UIBarButtonItemStyleBordered, target, NX_SEL(Target, edit)));
    nav->pushViewController(b, false);
    nav->popViewControllerAnimated(false);
    EXPECT_TRUE(driver.tap(driver.buttonWithTitle("Edit")));
    EXPECT_EQ(target->taps, 1);
}

// The back button is as wide as its title allows; a title that would reach
// the bar's own title gives way to "Back".
TEST_F(NavigationAppearance, TheBackButtonFitsItsTitleOrSaysBack)
{
    const struct {
        const char* previous;
        const char* shown;
    } cases[] = {{"Home", "Home"}, {"Records", "Records"}, {"Statistics", "Back"}, {"Family location settings", "Back"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.previous);
        NXUITestDriver driver;
        auto nav = UINavigationController::initWithRootViewController(screen(c.previous));
        driver.show(nav);
        nav->pushViewController(screen("Detail"), false);
        driver.layout();
        auto* back = driver.buttonWithTitle(c.shown);
        ASSERT_NE(back, nullptr);
        const UILabel* title = back->titleLabel();
        EXPECT_LE(sizeWithFont(back->currentTitle(), title->font).width, back->bounds().size.width);
        EXPECT_TRUE(driver.tap(back));
        EXPECT_EQ(nav->viewControllers().size(), 1u);
    }
}

TEST_F(NavigationAppearance, TabsSwitchScreensAndHideTheBarForPushedScreens)
{
    NXUITestDriver driver;
    auto a = screen("A"), b = screen("B");
    auto tabs = UITabBarController::init();
    auto navA = UINavigationController::initWithRootViewController(a);
    tabs->setViewControllers({navA, UINavigationController::initWithRootViewController(b)});
    driver.show(tabs);
    EXPECT_EQ(lines, (std::vector<std::string>{"A.load", "A.willAppear", "A.didAppear"}));
    lines.clear();
    tabs->setSelectedIndex(1);
    EXPECT_EQ(lines, (std::vector<std::string>{"A.willDisappear", "B.load", "B.willAppear", "A.didDisappear", "B.didAppear"}));
    tabs->setSelectedIndex(7);
    EXPECT_EQ(tabs->selectedIndex(), 1u);
    EXPECT_EQ(tabs->tabBar()->frame().origin.x, 0);
    tabs->setSelectedIndex(0);
    auto pushed = screen("P");
    pushed->setHidesBottomBarWhenPushed(true);
    navA->pushViewController(pushed, true);
    EXPECT_LT(tabs->tabBar()->frame().origin.x, 0);
    EXPECT_EQ(navA->view()->frame().size.height, 480 - 20);
    navA->popViewControllerAnimated(true);
    EXPECT_EQ(tabs->tabBar()->frame().origin.x, 0);
    EXPECT_EQ(a->tabBarController(), tabs.get());
    EXPECT_NE(tabs->moreNavigationController(), nullptr);
}

TEST_F(NavigationAppearance, ModalPresentationCoversAndReturns)
{
    NXUITestDriver driver;
    auto a = screen("A"), m = screen("M");
    driver.show(a);
    lines.clear();
    a->presentModalViewController(m, true);
    EXPECT_EQ(lines, (std::vector<std::string>{"M.load", "A.willDisappear", "M.willAppear", "M.didAppear", "A.didDisappear"}));
    EXPECT_EQ(m->view()->frame(), UIScreen::mainScreen().applicationFrame());  // below the status bar
    lines.clear();
    m->dismissModalViewControllerAnimated(true);  // asked of the presented one, as screens do
    EXPECT_EQ(lines, (std::vector<std::string>{"A.willAppear", "M.willDisappear", "M.didDisappear", "A.didAppear"}));
    EXPECT_EQ(a->modalViewController(), nullptr);
}

// A screen in the global namespace, as the application's are: its class name
// names its interface file.
struct LoginScreen : UIViewController {
    std::shared_ptr<UITextField> userName;
    int submits = 0;
    void submit(const id&) { ++submits; }
};

TEST(InterfaceFiles, ControllerViewComesFromTheFileNamedAfterItsClass)
{
    UINib::registerNib("LoginScreen", [](NSObject* owner) -> std::vector<id> {
        auto* self = static_cast<LoginScreen*>(owner);
        auto root = UIView::initWithFrame(CGRectMake(0, 0, 320, 460));
        self->userName = UITextField::initWithFrame(CGRectMake(20, 20, 280, 31));
        self->userName->setTag(101);
        root->addSubview(self->userName);
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(20, 80, 280, 40));
        button->setTitle("Go", UIControlStateNormal);
        button->addTarget(self->shared_from_this(), NX_SEL(LoginScreen, submit), UIControlEventTouchUpInside);
        root->addSubview(button);
        return {root};
    });
    NXUITestDriver driver;
    auto vc = UIViewController::init<LoginScreen>();
    EXPECT_EQ(vc->nibName(), "LoginScreen");
    driver.show(vc);
    EXPECT_EQ(vc->view()->viewWithTag(101), vc->userName.get());
    EXPECT_TRUE(driver.tap(driver.buttonWithTitle("Go")));
    EXPECT_EQ(vc->submits, 1);
    // A controller without a file gets a plain view of the application frame.
    auto plain = UIViewController::init();
    EXPECT_EQ(plain->view()->frame(), CGRectMake(0, 20, 320, 460));
    EXPECT_TRUE(UINib::loadNibNamed("NoSuchFile", nullptr).empty());
}

TEST(InterfaceFiles, MemoryWarningUnloadsOnlyViewsOffScreen)
{
    struct Counting : UIViewController {
        int unloads = 0;
        void viewDidUnload() override { ++unloads; }
    };
    NXUITestDriver driver;
    auto on = UIViewController::init<Counting>(), off = UIViewController::init<Counting>();
    driver.show(on);
    off->view();
    on->didReceiveMemoryWarning();
    off->didReceiveMemoryWarning();
    EXPECT_TRUE(on->isViewLoaded());
    EXPECT_FALSE(off->isViewLoaded());
    EXPECT_EQ(off->unloads, 1);
    EXPECT_EQ(on->unloads, 0);
}

TEST_F(NavigationAppearance, OnlyControllersThatAContainerOrTheWindowShowsHearTheirAppearance)
{
    NXUITestDriver driver;
    auto a = screen("A"), over = screen("Over"), inner = screen("Inner");
    auto nav = UINavigationController::initWithRootViewController(a);
    driver.show(nav);
    lines.clear();
    // A screen laid over another's view, and one it holds in turn: as on the
    // device, neither hears that it appears or goes.
    over->view()->addSubview(inner->view());
    a->view()->addSubview(over->view());
    over->view()->removeFromSuperview();
    EXPECT_EQ(lines, (std::vector<std::string>{"Over.load", "Inner.load"}));
    a->view()->addSubview(over->view());
    lines.clear();
    // What the containers show hears it, and the screen laid over it still not.
    auto b = screen("B");
    nav->pushViewController(b, false);
    EXPECT_EQ(lines, (std::vector<std::string>{"A.willDisappear", "B.load", "B.willAppear", "A.didDisappear", "B.didAppear"}));
    nav->popViewControllerAnimated(false);
    lines.clear();
    // The navigation controller's view leaving the window takes the shown screen with it.
    nav->view()->removeFromSuperview();
    EXPECT_EQ(lines, (std::vector<std::string>{"A.willDisappear", "A.didDisappear"}));
    // Replacing the stack tells the screen that goes, though it is no longer held.
    driver.show(nav);
    lines.clear();
    nav->setViewControllers({b});
    EXPECT_EQ(lines, (std::vector<std::string>{"A.willDisappear", "B.willAppear", "A.didDisappear", "B.didAppear"}));
}

TEST_F(NavigationAppearance, ATabShowsItsRootScreensItemAndTitlesSetLaterShowAtOnce)
{
    NXUITestDriver driver;
    auto home = screen("Home"), more = screen("More");
    auto homeNav = UINavigationController::initWithRootViewController(home);
    auto moreNav = UINavigationController::initWithRootViewController(more);
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(30, 30), false, 1);
    auto icon = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    // The root screen's item is the tab's; a title given to the navigation
    // controller is the item's title too, so the last one set shows.
    home->tabBarItem()->image = icon;
    home->tabBarItem()->title = "Home";
    more->tabBarItem()->title = "More details";
    moreNav->setTitle("More");
    EXPECT_EQ(homeNav->tabBarItem(), home->tabBarItem());
    EXPECT_EQ(homeNav->tabBarItem()->image, icon);
    EXPECT_EQ(homeNav->tabBarItem()->title, "Home");
    EXPECT_EQ(moreNav->tabBarItem()->title, "More");
    auto tabs = UITabBarController::init();
    tabs->setViewControllers({homeNav, moreNav});
    EXPECT_EQ(tabs->tabBar()->items.at(0)->title, "Home");
    // A navigation controller given an item of its own shows that one.
    moreNav->setTabBarItem(UITabBarItem::initWithTitle("Own", nullptr, 0));
    EXPECT_EQ(moreNav->tabBarItem()->title, "Own");

    driver.show(tabs);
    // A title, a title view and a button put on the shown item after the bar
    // was laid out show at the next layout pass.
    home->navigationItem()->title = "Which PC";
    driver.layout();
    EXPECT_NE(driver.viewWithText("Which PC"), nullptr);
    auto titleView = UILabel::initWithFrame(CGRectMake(0, 0, 200, 44));
    titleView->setText("Study PC");
    home->navigationItem()->titleView = titleView;
    struct Target : NSObject {
        void refresh(const id&) {}
    };
    auto target = std::make_shared<Target>();
    home->navigationItem()->rightBarButtonItem =
        UIBarButtonItem::initWithTitle("Refresh", UIBarButtonItemStyleBordered, target, NX_SEL(Target, refresh));
    driver.layout();
    EXPECT_EQ(titleView->superview(), homeNav->navigationBar());
    EXPECT_EQ(driver.viewWithText("Which PC"), nullptr);
    EXPECT_NE(driver.buttonWithTitle("Refresh"), nullptr);
}
