#pragma once
// The world of the phone screen tests: the client launched against the
// service double, logged in with the demo account and on "Tom's phone", the
// double keeping the phone's records (PhoneRecords.h) with a few family
// numbers.

#include <string>

#include "phone/PhoneHomeViewCtrl.h"
#include "app/Ulvo_UITabBar.h"
#include "tests/app/AppFixture.h"
#include "tools/service-double/PhoneRecords.h"
#include "tools/snapshot/Snapshot.h"

namespace phonetest {

inline const char* const kPhone = "13900139000";  // "Tom's phone"
// The user ID the device list gives the phone: the family numbers' and the
// invitations' requests come from it.
inline const char* const kPhoneUser = "1002";

class PhoneTest : public apptest::AppTest {
protected:
    explicit PhoneTest(bool realTexts = false) : AppTest(realTexts)
    {
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        records.serve(service);
        records.setFamily(kPhoneUser, {{"13800138001", "Mum", "亲情", "0", "2026-11-10 19:01:00", "0"},
                                    {"13800138002", "Old number", "亲情", "1", "2026-10-01 08:00:00", "0"},
                                    {"01062751234", "Class teacher", "学校", "0", "2026-11-28 08:30:00", "1"}});
        records.setNow("2026-12-10 09:30:00");
    }

    // Logs in, chooses "Tom's phone" and waits for its home page's status.
    PhoneHomeViewCtrl* openPhone()
    {
        launchToLogin();
        if (driver.visibleAlert()) driver.pressAlertButton(1);  // no help now
        EquipSelectController* chooser = logIn();
        if (!chooser) return nullptr;
        EquipListViewController* list = chooser->gameView();
        // The tap replaces the chooser and its list with the phone's tab set.
        for (size_t row = 0; row < list->list().size(); ++row)
            if (list->list()[row]->typeName() == NSString(kPhone)) {
                list->tableView()->tapRow(NSIndexPath::indexPathForRow(static_cast<NSInteger>(row), 0));
                break;
            }
        driver.advanceClock(1);
        EXPECT_TRUE(driver.pumpUntil([&] { return screen<PhoneHomeViewCtrl>() && exchangesOf("RQHomePage") > 0; }));
        settle();
        return screen<PhoneHomeViewCtrl>();
    }

    // The controller of that class whose view is on screen.
    template <class T>
    T* screen() const
    {
        auto* v = driver.findView([](UIView& v) { return dynamic_cast<T*>(v.viewController()) != nullptr; });
        return v ? static_cast<T*>(v->viewController()) : nullptr;
    }

    // Lets the workers' hand-backs and the short animations run out. A
    // hand-back may start the next worker (the map asks the positioning mode,
    // then switches it on): chains of a few are waited for, however late each
    // link ends, so the clock below starts from the same point on a busy machine.
    void settle()
    {
        for (int link = 0; link < 3; ++link) {
            NSThread::joinDetachedThreads(10);
            driver.pumpUntil([] { return false; }, 0.05);
        }
        // Delayed hidings first, then the fades they start.
        driver.advanceClock(2.5);
        driver.advanceClock(1.0);
    }

    // The tab whose first screen is a T, chosen with the custom bar's button
    // of its place (the bar keeps the start set's buttons).
    template <class T>
    T* openTab()
    {
        Ulvo_UITabBar* tabs = app()->tabBarController.get();
        for (size_t i = 0; i < tabs->viewControllers().size() && i < tabs->buttons().size(); ++i) {
            auto* nav = static_cast<UINavigationController*>(tabs->viewControllers()[i].get());
            if (!dynamic_cast<T*>(nav->viewControllers().front().get())) continue;
            EXPECT_TRUE(driver.tap(tabs->buttons()[i].get()));
            settle();
            return screen<T>();
        }
        return nullptr;
    }
    // A tap on a menu row, where its caption shows.
    bool tapRow(UILabel* caption)
    {
        const CGRect b = caption->bounds();
        return driver.tapAt(caption->convertPoint(CGPointMake(b.size.width / 2, b.size.height / 2), nullptr));
    }
    // The screen on top of the shown tab's navigation stack.
    UIViewController* topScreen() const
    {
        auto* nav = dynamic_cast<UINavigationController*>(app()->tabBarController->selectedViewController().get());
        return nav ? nav->viewControllers().back().get() : nullptr;
    }

    // The last exchange of a TYPE's inner message.
    std::string lastMessage(const std::string& type) const
    {
        std::string out;
        for (const auto& e : service.exchanges())
            if (e.type == type) out = e.message;
        return out;
    }

    servicedouble::PhoneRecords records;
};

}  // namespace phonetest
