#pragma once
// The application's tab bar controller: it hides the system tab bar and draws
// its own in its place (up to five image buttons with titles, separators,
// badges and a highlight sliding under the selected button). Screens hide it
// with "hideCustomTabBar" and bring it back with "bringCustomTabBarToFront".

#include <memory>
#include <vector>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UINavigationController.h"
#include "ui/BadgeView.h"

class Ulvo_UITabBar : public UITabBarController, public BadgeViewDelegate, public CAAnimationDelegate {
public:
    ~Ulvo_UITabBar() override;

    const std::vector<std::shared_ptr<UIButton>>& buttons() const { return buttons_; }
    int currentSelectedIndex() const { return currentSelectedIndex_; }
    void setCurrentSelectedIndex(int index) { currentSelectedIndex_ = index; }
    UIView* customTabBarView() const { return cusTomTabBarView_.get(); }
    UIImageView* slideBg() const { return slideBg_.get(); }

    // Replaces the tab set. The buttons stay; those without a tab in the new
    // set are dimmed and do nothing, and the selection is taken from the new set.
    void setViewControllers(std::vector<std::shared_ptr<UIViewController>> vcs, bool animated = false);

    void viewDidAppear(bool animated) override;
    void hideRealTabBar();
    void customTabBar();
    void selectedTab(UIView* button) override;
    void slideTabBg(UIButton* button);
    void hideCustomTabBar();
    void bringCustomTabBarToFront();
    void animationDidStop_finished(CAAnimation* anim, bool finished) override;
    void setBadge(const id& notification);

private:
    void addTransformAnimation(NSTimeInterval duration, std::vector<CAValue> values, CALayer* layer);
    void dimButtonsWithoutTab();

    std::vector<std::shared_ptr<UIButton>> buttons_;
    int currentSelectedIndex_ = 0;
    std::shared_ptr<UIImageView> slideBg_;
    std::shared_ptr<UIView> cusTomTabBarView_;
    std::shared_ptr<UIImageView> backGroundImageView_;
    // The bar is built once, at the first appearance.
    bool customTabBarBuilt_ = false;
};
