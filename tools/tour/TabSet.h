#pragma once
// Finding one's way on the tab sets for the tour's steps: the application's
// tab bar, the tab whose first screen is a T, a T anywhere on screen, and
// letting the clock run until a screen has settled.

#include <functional>
#include <string>

#include "app/Ulvo_UITabBar.h"
#include "app/nemkAppDelegate.h"
#include "platform/uikit/UIApplication.h"
#include "tools/tour/Tour.h"

namespace tour {

inline Ulvo_UITabBar* tabBar()
{
    auto* app = dynamic_cast<nemkAppDelegate*>(UIApplication::sharedApplication().delegate.lock().get());
    if (!app || !app->tabBarController) throw Failure("no tab set");
    return app->tabBarController.get();
}

// The screen a T whose view is on screen.
template <class T>
T* screen(Tour& tour, const std::string& what)
{
    auto* view = tour.driver.find<UIView>([](UIView& v) { return dynamic_cast<T*>(v.viewController()) != nullptr; });
    return static_cast<T*>(tour.require(view, what)->viewController());
}

// Chooses the tab whose first screen is a T through its button, as a user
// does (the tab sets hold only the screens the program has).
template <class T>
void selectTab(Tour& tour)
{
    Ulvo_UITabBar* tabs = tabBar();
    const auto& set = tabs->viewControllers();
    for (size_t i = 0; i < set.size() && i < tabs->buttons().size(); ++i) {
        auto* nav = dynamic_cast<UINavigationController*>(set[i].get());
        if (nav && !nav->viewControllers().empty() && dynamic_cast<T*>(nav->viewControllers().front().get())) {
            tabs->selectedTab(tabs->buttons()[i].get());
            tour.driver.advanceClock(1);
            return;
        }
    }
    throw Failure("no tab for the screen");
}

// Lets the clock run until the condition holds: pushes, downloads started a
// moment after they are asked for, fades.
inline void settle(Tour& tour, const std::function<bool()>& done, const std::string& what)
{
    for (int step = 0; step < 100 && !done(); ++step) {
        tour.driver.advanceClock(0.05);
        tour.driver.pumpUntil(done, 0.1);
    }
    tour.waitFor(done, what);
}

}  // namespace tour
