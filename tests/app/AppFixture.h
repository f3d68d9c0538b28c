#pragma once
// The client launched through its main interface against the service double
// on 127.0.0.1, in a home folder of its own, on the virtual clock. Texts are
// looked up in a small table of the test's own, where every key stands for
// itself except those the screens compare (login_title "Tavrel", the help
// prefix "help"), so tests assert keys.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "app/EquipSelectController.h"
#include "app/LoginViewController.h"
#include "app/Ulvo_UITabBar.h"
#include "app/nemkAppDelegate.h"
#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "platform/uikit/UIApplicationMain.h"
#include "tools/service-double/AccountBook.h"
#include "tools/service-double/DemoAccount.h"
#include "ui/ProgressHUD.h"

namespace apptest {

inline const char* const kDemoUser = "13800138000";
inline const char* const kDemoPassword = "demo2012";

class AppTest : public ::testing::Test {
protected:
    // realTexts: the shipped strings table (snapshots); else the key table.
    explicit AppTest(bool realTexts = false)
    {
        setenv("NX_APP_HOME", home_.path().UTF8String(), 1);
        NSUserDefaults::resetStandardUserDefaults();
        unsetenv("NX_RESOURCE_DIR");
        if (!realTexts) useKeyTable();
        accounts = servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);
        setenv("NX_SERVICE_HOST", "127.0.0.1", 1);
        setenv("NX_SERVICE_PORT", std::to_string(service.port()).c_str(), 1);
    }

    // The workers end and the double stops while the derived fixtures' parts
    // still stand: their scripts answer on the double's threads, and must never
    // answer after those parts are gone.
    void TearDown() override
    {
        NSThread::joinDetachedThreads(10);
        service.stop();
    }

    ~AppTest() override
    {
        NSThread::joinDetachedThreads(10);
        unsetenv("NX_RESOURCE_DIR");
        unsetenv("NX_SERVICE_PORT");
        NSUserDefaults::resetStandardUserDefaults();
    }

    // The application launched, its window driven.
    nemkAppDelegate* launch()
    {
        NXApplicationLaunch(NSString());
        EXPECT_TRUE(driver.useKeyWindow());
        return app();
    }
    nemkAppDelegate* app() const
    {
        return dynamic_cast<nemkAppDelegate*>(UIApplication::sharedApplication().delegate.lock().get());
    }
    // Launched and past the splash, on the login screen.
    LoginViewController* launchToLogin()
    {
        launch();
        driver.advanceClock(3.0);
        driver.advanceClock(1.0);
        return login();
    }
    LoginViewController* login() const
    {
        auto* v = driver.findView([](UIView& v) { return dynamic_cast<LoginViewController*>(v.viewController()) != nullptr; });
        return v ? static_cast<LoginViewController*>(v->viewController()) : nullptr;
    }

    // Types into the login screen and taps log in, declining the help offer
    // that every new login screen makes until it is accepted.
    void typeLogin(LoginViewController* screen, const char* name, const char* password)
    {
        if (alertSays("login_suretoshowhelp")) driver.pressAlertButton(1);
        screen->userNameTextField->setText("");
        screen->passwordTextField->setText("");
        driver.type(screen->userNameTextField.get(), name);
        driver.type(screen->passwordTextField.get(), password);
        screen->textFieldShouldReturn(screen->passwordTextField.get());
        driver.tap(screen->btnLogin.get());
    }
    // Logs in with the demo account and waits for the chooser's devices.
    EquipSelectController* logIn(const char* password = kDemoPassword)
    {
        LoginViewController* screen = login();
        typeLogin(screen, kDemoUser, password);
        EXPECT_TRUE(driver.pumpUntil([&] {
            return screen->equipSelecter() && screen->equipSelecter()->gameView() &&
                   !screen->equipSelecter()->gameView()->list().empty();
        }));
        driver.advanceClock(2);
        return screen->equipSelecter();
    }

    // What the window shows besides alerts and HUDs.
    size_t screensInWindow() const
    {
        size_t n = 0;
        for (const auto& v : app()->window->subviews())
            n += !dynamic_cast<NXButtonPanel*>(v.get()) && !dynamic_cast<ProgressHUD*>(v.get());
        return n;
    }

    // The alert on top, when it is an alert with this message.
    bool alertSays(const char* message) const
    {
        auto* alert = dynamic_cast<UIAlertView*>(driver.visibleAlert());
        return alert && alert->message == NSString(message);
    }
    ProgressHUD* hudSaying(const char* text) const
    {
        return driver.find<ProgressHUD>([&](ProgressHUD& h) { return h.labelText() == NSString(text); });
    }
    bool waitForHud(const char* text) { return driver.pumpUntil([&] { return hudSaying(text) != nullptr; }); }

    size_t exchangesOf(const std::string& type) const
    {
        size_t n = 0;
        for (const auto& e : service.exchanges()) n += e.type == type;
        return n;
    }

    // The custom tab bar shown in the window.
    bool customTabBarShows() const
    {
        UIView* bar = app()->tabBarController->customTabBarView();
        return bar && !bar->hidden() && bar->window();
    }
    // The custom tab bar shown, and the finger reaching it: nothing covers
    // its middle, and a tap on the button of another tab than the shown one
    // chooses that tab.
    ::testing::AssertionResult customTabBarTakesATap()
    {
        if (!customTabBarShows()) return ::testing::AssertionFailure() << "the custom tab bar is not on screen";
        Ulvo_UITabBar* tabs = app()->tabBarController.get();
        UIView* bar = tabs->customTabBarView();
        const CGRect b = bar->bounds();
        UIView* hit = app()->window->hitTest(bar->convertPoint(CGPointMake(CGRectGetMidX(b), CGRectGetMidY(b)), nullptr), nullptr);
        if (!hit || !hit->isDescendantOfView(bar)) return ::testing::AssertionFailure() << "something covers the custom tab bar";
        const size_t n = std::min(tabs->buttons().size(), tabs->viewControllers().size());
        for (size_t i = 0; i < n; ++i) {
            if (i == tabs->selectedIndex() || static_cast<int>(i) == tabs->currentSelectedIndex()) continue;
            if (!driver.tap(tabs->buttons()[i].get())) return ::testing::AssertionFailure() << "button " << i << " takes no tap";
            driver.advanceClock(0.5);
            if (tabs->selectedIndex() != i) return ::testing::AssertionFailure() << "the tap on button " << i << " chose no tab";
            return ::testing::AssertionSuccess();
        }
        return ::testing::AssertionFailure() << "no other tab to choose";
    }

    servicedouble::ServiceDouble service;
    std::shared_ptr<servicedouble::AccountBook> accounts;  // the double's accounts
    NXUITestDriver driver;

private:
    void useKeyTable()
    {
        namespace fs = std::filesystem;
        const fs::path real = NSBundle::mainBundle()->resourcePath().str();
        for (const auto& entry : fs::directory_iterator(real))
            if (entry.path().extension() == ".png" || entry.path().filename() == "Info.plist")
                fs::copy_file(entry.path(), (resources_ / entry.path().filename().string()).str());
        std::ofstream((resources_ / "Localizable.strings").str()) << "\"login_title\" = \"Tavrel\";\n\"imgDataview_img\" = \"help\";\n";
        setenv("NX_RESOURCE_DIR", resources_.path().UTF8String(), 1);
    }

    TempFolder home_, resources_;
};

}  // namespace apptest
