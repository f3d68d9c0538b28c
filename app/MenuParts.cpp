#include "app/MenuParts.h"

#include <algorithm>

#include "app/ScreenParts.h"
#include "app/Ulvo.h"
#include "platform/foundation/NSClassRegistry.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIImage.h"
#include "ui/ProgressHUD.h"

void pushHidingTabBar(UIViewController* opener, const std::shared_ptr<UIViewController>& screen)
{
    auto* nav = opener->navigationController();
    if (!screen || !nav) return;
    NSNotificationCenter::defaultCenter()->postNotificationName("hideCustomTabBar", nullptr);
    screen->setHidesBottomBarWhenPushed(true);
    nav->pushViewController(screen, true);
}

void bringTabBarBackWhenLeft(UIViewController* screen)
{
    if (auto* nav = screen->navigationController()) {
        const auto& stack = nav->viewControllers();
        if (std::any_of(stack.begin(), stack.end(), [screen](const auto& vc) { return vc.get() == screen; })) return;
        if (auto top = nav->topViewController(); top && top->hidesBottomBarWhenPushed()) return;
    }
    NSNotificationCenter::defaultCenter()->postNotificationName("bringCustomTabBarToFront", nullptr);
}

std::shared_ptr<UIViewController> screenNamed(const char* className)
{
    auto make = NSClassFromString(className);
    return make ? std::dynamic_pointer_cast<UIViewController>(make()) : nullptr;
}

std::shared_ptr<UIBarButtonItem> veskBarItem(const NSString& title, const id& target, SEL action)
{
    auto button = Ulvo::customBackButton(title, "button_vesk", NSString(), NSString());
    button->addTarget(target, action, UIControlEventTouchUpInside);
    auto item = UIBarButtonItem::initWithCustomView(button);
    item->target = target;
    item->action = std::move(action);
    return item;
}

void addViewHud(UIView* view, const NSString& text)
{
    ProgressHUD::hideHUDForView(view, false);
    ProgressHUD::showHUDAddedTo_withTitle(view, text);
}

void hideViewHud(UIView* view) { ProgressHUD::hideHUDForView(view, true); }

void addMenuRow(UIView* view, CGFloat y, std::shared_ptr<UILabel>& label, const id& target, SEL action)
{
    auto row = UIButton::buttonWithType(UIButtonTypeCustom);
    row->setFrame(CGRectMake(10, y, 300, 46));
    row->setBackgroundImage(UIImage::imageNamed("menu_row"), UIControlStateNormal);
    row->addTarget(target, std::move(action), UIControlEventTouchUpInside);
    label = whiteLabel(CGRectMake(26, y, 250, 46), 17);
    view->addSubview(row);
    view->addSubview(label);
}

std::shared_ptr<UIColor> menuBackgroundColor() { return UIColor::colorWithRed(0.16, 0.22, 0.36, 1); }
