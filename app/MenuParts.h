#pragma once
// What the menu screens and the account screens share: opening a screen from
// a menu, finding a screen of another library by name, the bar button in the
// application's style, a HUD over one screen and the menus' rows.

#include <memory>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"

// Opens the screen on the opener's navigation stack: the custom tab bar is
// told to go ("hideCustomTabBar"), the screen hides the bottom bar when
// pushed and is pushed animated. A null screen opens nothing.
void pushHidingTabBar(UIViewController* opener, const std::shared_ptr<UIViewController>& screen);
// What such a screen does in viewWillDisappear: brings the custom tab bar
// back ("bringCustomTabBarToFront") once the screen has left its navigation
// stack for a screen that shows the bottom bar. Covered by a modal or by a
// further push, the screen is still on the stack and the bar stays away;
// so it does when the screen uncovered hides the bottom bar as well.
void bringTabBarBackWhenLeft(UIViewController* screen);
// A new screen of the class registered under the name; nullptr while the
// program holds no such class.
std::shared_ptr<UIViewController> screenNamed(const char* className);
// A bar item holding Ulvo's custom back button with the title on
// "button_vesk"; a touch up inside sends the action to the target.
std::shared_ptr<UIBarButtonItem> veskBarItem(const NSString& title, const id& target, SEL action);
// A progress HUD with the text over the view, replacing any there; and its
// hiding, animated.
void addViewHud(UIView* view, const NSString& text);
void hideViewHud(UIView* view);
// One row of a menu in an interface file: a 300 x 46 button on the
// "menu_row" picture at the height given, sending the action, with a label
// (the screen's outlet) over it. Both are added to the view.
void addMenuRow(UIView* view, CGFloat y, std::shared_ptr<UILabel>& label, const id& target, SEL action);
// The background of the account and menu screens.
std::shared_ptr<UIColor> menuBackgroundColor();
