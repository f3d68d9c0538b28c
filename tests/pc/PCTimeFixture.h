#pragma once
// The world of the time-rule screen tests: the service fixture (own home,
// double on loopback, stored account) with the double keeping the time rules
// of the chosen PC, a test driver whose virtual clock starts on Monday
// 2026-12-07 09:00 UTC, and helpers to tap as a user does.

#include <stdlib.h>
#include <time.h>

#include "pc/TimeSetViewController.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "ui/ProgressHUD.h"
#include "tests/protocol/ServiceFixture.h"
#include "tools/service-double/TimeRules.h"

class PCTimeFixture : public ServiceFixture {
protected:
    static constexpr const char* kDevice = "PC-HOME-01";
    static constexpr NSTimeInterval kMonday0900 = 1796634000;  // 2026-12-07 09:00:00 UTC

    void SetUp() override
    {
        ServiceFixture::SetUp();
        ::setenv("TZ", "UTC", 1);
        ::tzset();
        NSUserDefaults::standardUserDefaults()->setObject(PlistValue(NSString(kDevice)), "DeviceId");
        rules.serve(service);
        driver = std::make_unique<NXUITestDriver>(kMonday0900);
    }

    void TearDown() override
    {
        tab.reset();
        nav.reset();
        driver.reset();
        ServiceFixture::TearDown();
    }

    // The PC set's time tab, made by name as the shell makes it, as the root
    // of its navigation stack.
    void showTab()
    {
        auto make = NSClassFromString("TimeSetViewController");
        ASSERT_TRUE(make);
        tab = std::dynamic_pointer_cast<TimeSetViewController>(make());
        ASSERT_NE(tab, nullptr);
        nav = UINavigationController::initWithRootViewController(tab);
        driver->show(nav);
    }

    // The exchanges of a TYPE so far.
    std::vector<servicedouble::Exchange> sent(const std::string& type) const
    {
        std::vector<servicedouble::Exchange> out;
        for (auto& e : service.exchanges())
            if (e.type == type) out.push_back(e);
        return out;
    }
    bool waitFor(const std::string& type, size_t count = 1)
    {
        return driver->pumpUntil([&] { return sent(type).size() >= count; }, 10);
    }

    // A tap on segment i of a segmented control, where the user's finger lands.
    bool tapSegment(UISegmentedControl* seg, NSInteger i)
    {
        const CGRect b = seg->bounds();
        const CGFloat w = b.size.width / static_cast<CGFloat>(seg->numberOfSegments());
        return driver->tapAt(seg->convertPoint(CGPointMake(w * (static_cast<CGFloat>(i) + 0.5), b.size.height / 2), nullptr));
    }
    // A tap on a bar item's view (custom view or its button).
    bool tapItem(const std::shared_ptr<UIBarButtonItem>& item) { return item && driver->tap(item->barView().get()); }
    // A long press held on the view.
    void longPress(UIView* view)
    {
        const CGPoint at = view->convertPoint(CGPointMake(view->bounds().size.width / 2, view->bounds().size.height / 2), nullptr);
        for (const auto& g : view->gestureRecognizers()) {
            g->recognize(UIGestureRecognizerStateBegan, at);
            g->recognize(UIGestureRecognizerStateEnded, at);
        }
    }
    // Every HUD on screen has gone or is fading; the clock then moves on
    // past the fades.
    bool settle()
    {
        const bool quiet = driver->pumpUntil([&] {
            return !driver->findView([](UIView& v) { return dynamic_cast<ProgressHUD*>(&v) && v.alpha() > 0.05; });
        }, 10);
        driver->advanceClock(2);  // a HUD fades in 1.5 s
        return quiet;
    }
    // The text of the newest HUD on the view (shown, or fading after a
    // flash), nil when none.
    static NSString hudText(UIView* view)
    {
        NSString text;
        for (const auto& v : view->subviews())
            if (auto* hud = dynamic_cast<ProgressHUD*>(v.get())) text = hud->labelText();
        return text;
    }

    servicedouble::TimeRules rules;
    std::unique_ptr<NXUITestDriver> driver;
    std::shared_ptr<TimeSetViewController> tab;
    std::shared_ptr<UINavigationController> nav;
};
