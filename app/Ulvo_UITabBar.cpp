#include "app/Ulvo_UITabBar.h"

#include <algorithm>

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIImage.h"

namespace {

constexpr NSTimeInterval kHideDuration = 0.1;

}  // namespace

Ulvo_UITabBar::~Ulvo_UITabBar() { NSNotificationCenter::defaultCenter()->removeObserver(this); }

void Ulvo_UITabBar::setViewControllers(std::vector<std::shared_ptr<UIViewController>> vcs, bool animated)
{
    UITabBarController::setViewControllers(std::move(vcs), animated);
    // A new set starts on its own selection, so that a tap on the button of
    // another set's selected tab is not taken for a second tap.
    currentSelectedIndex_ = static_cast<int>(selectedIndex());
    dimButtonsWithoutTab();
}

void Ulvo_UITabBar::dimButtonsWithoutTab()
{
    for (const auto& button : buttons_) {
        const bool present = static_cast<size_t>(button->tag()) < viewControllers().size();
        button->setAlpha(present ? 1 : 0.4);
    }
}

void Ulvo_UITabBar::viewDidAppear(bool animated)
{
    UITabBarController::viewDidAppear(animated);
    if (customTabBarBuilt_) return;
    auto center = NSNotificationCenter::defaultCenter();
    center->removeObserver(this, "hideCustomTabBar", nullptr);
    center->addObserver(this, NX_SEL0(Ulvo_UITabBar, hideCustomTabBar), "hideCustomTabBar", nullptr);
    center->removeObserver(this, "bringCustomTabBarToFront", nullptr);
    center->addObserver(this, NX_SEL0(Ulvo_UITabBar, bringCustomTabBarToFront), "bringCustomTabBarToFront", nullptr);
    center->removeObserver(this, "setBadge", nullptr);
    center->addObserver(this, NX_SEL(Ulvo_UITabBar, setBadge), "setBadge", nullptr);
    slideBg_ = UIImageView::initWithImage(UIImage::imageNamed("slide_g"));
    hideRealTabBar();
    customTabBar();
    customTabBarBuilt_ = true;
}

void Ulvo_UITabBar::hideRealTabBar()
{
    for (const auto& v : view()->subviews())
        if (dynamic_cast<UITabBar*>(v.get())) {
            v->setHidden(true);
            return;
        }
}

void Ulvo_UITabBar::customTabBar()
{
    const CGRect f = tabBar()->frame();
    const CGFloat h = f.size.height;
    backGroundImageView_ = UIImageView::initWithFrame(CGRectMake(0, 0, 320, 49));
    backGroundImageView_->setImage(UIImage::imageNamed("tubiaoditu.png"));
    cusTomTabBarView_ = UIView::initWithFrame(f);
    cusTomTabBarView_->addSubview(backGroundImageView_);
    cusTomTabBarView_->setBackgroundColor(UIColor::blackColor());

    const auto& tabs = viewControllers();
    const int n = static_cast<int>(std::min<size_t>(tabs.size(), 5));
    const CGFloat w = 320 / std::max(n, 1);
    buttons_.clear();
    buttons_.reserve(n);
    auto self = shared_from_this();
    for (int i = 0; i < std::max(n, 1) && !tabs.empty(); ++i) {
        UITabBarItem* item = tabs[i]->tabBarItem();
        auto button = UIButton::buttonWithType(UIButtonTypeCustom);
        button->setFrame(CGRectMake(i * w, 0, w, h));
        button->addTarget(self, SEL{"selectedTab:", [](NSObject* r, const id& sender) {
                                        static_cast<Ulvo_UITabBar*>(r)->selectedTab(static_cast<UIView*>(sender.get()));
                                    }},
                          UIControlEventTouchDown);
        button->setTag(i);
        button->setImage(item->image, UIControlStateNormal);
        button->imageEdgeInsets = UIEdgeInsetsMake(-10, 0, 0, 0);

        auto title = UILabel::initWithFrame(CGRectMake(0, h - 18, w, h - 30));
        title->setBackgroundColor(UIColor::clearColor());
        title->setText(item->title);
        title->font = UIFont::systemFontOfSize(12);
        title->textAlignment = UITextAlignmentCenter;
        title->textColor = UIColor::whiteColor();
        button->addSubview(title);
        buttons_.push_back(button);

        if (i >= 1) {
            auto line = UIImageView::initWithImage(UIImage::imageNamed("fengexian"));
            const CGSize s = line->frame().size;
            line->setFrame(CGRectMake(i * w - 1, 0, s.width, s.height));
            cusTomTabBarView_->addSubview(line);
        }
        if (!item->badgeValue.isNil()) {
            auto badge = BadgeView::initWithFrame(CGRectMake(w / 2, 0, 30, 20));
            badge->setBadgeString(item->badgeValue);
            badge->setBadgeColor(UIColor::orangeColor());
            button->addSubview(badge);
        }
        cusTomTabBarView_->addSubview(button);
    }
    view()->addSubview(cusTomTabBarView_);
    cusTomTabBarView_->addSubview(slideBg_);
    if (!buttons_.empty()) slideTabBg(buttons_.front().get());
    dimButtonsWithoutTab();
}

void Ulvo_UITabBar::selectedTab(UIView* button)
{
    const auto index = button->tag();
    // The bar keeps the buttons of the start set; one without a tab in the
    // current set neither selects nor pops anything.
    if (index < 0 || static_cast<size_t>(index) >= viewControllers().size()) return;
    if (currentSelectedIndex_ == index) {
        if (auto* nav = dynamic_cast<UINavigationController*>(viewControllers()[index].get()))
            nav->popToRootViewControllerAnimated(true);
        return;
    }
    currentSelectedIndex_ = static_cast<int>(index);
    setSelectedIndex(index);
    if (auto* b = dynamic_cast<UIButton*>(button)) slideTabBg(b);
}

void Ulvo_UITabBar::slideTabBg(UIButton* button)
{
    UIView::beginAnimations("slideTabBg", nullptr);
    UIView::setAnimationDuration(0.2);
    UIView::setAnimationDelegate(shared_from_this());
    slideBg_->setFrame(button->frame());
    UIView::commitAnimations();
    addTransformAnimation(0.5,
                          {CATransform3DMakeScale(0.1, 0.1, 1), CATransform3DMakeScale(1.2, 1.2, 1),
                           CATransform3DMakeScale(0.9, 0.9, 0.9), CATransform3DMakeScale(1, 1, 1)},
                          button->layer());
}

void Ulvo_UITabBar::addTransformAnimation(NSTimeInterval duration, std::vector<CAValue> values, CALayer* layer)
{
    auto animation = CAKeyframeAnimation::animationWithKeyPath("transform");
    animation->duration = duration;
    animation->delegate = std::dynamic_pointer_cast<CAAnimationDelegate>(shared_from_this());
    animation->removedOnCompletion = true;
    animation->fillMode = kCAFillModeForwards;
    animation->values = std::move(values);
    layer->addAnimation(animation, NSString());
}

void Ulvo_UITabBar::hideCustomTabBar()
{
    hideRealTabBar();
    if (!cusTomTabBarView_) return;
    addTransformAnimation(kHideDuration,
                          {CATransform3DMakeScale(1, 1, 1), CATransform3DMakeScale(0.5, 0.5, 1), CATransform3DMakeScale(0, 0, 0)},
                          cusTomTabBarView_->layer());
}

void Ulvo_UITabBar::animationDidStop_finished(CAAnimation* anim, bool finished)
{
    if (anim->duration == kHideDuration && cusTomTabBarView_) cusTomTabBarView_->setHidden(true);
}

void Ulvo_UITabBar::bringCustomTabBarToFront()
{
    hideRealTabBar();
    if (!cusTomTabBarView_) return;
    cusTomTabBarView_->setHidden(false);
    addTransformAnimation(0.25,
                          {CATransform3DMakeScale(0, 0, 0), CATransform3DMakeScale(0.5, 0.5, 1), CATransform3DMakeScale(1, 1, 1)},
                          cusTomTabBarView_->layer());
}

void Ulvo_UITabBar::setBadge(const id& notification)
{
    auto note = std::dynamic_pointer_cast<NSNotification>(notification);
    const size_t index = selectedIndex();
    if (!note || index >= buttons_.size()) return;
    auto text = std::dynamic_pointer_cast<NSBox<NSString>>(note->object());
    UIButton* button = buttons_[index].get();
    auto badge = BadgeView::initWithFrame(CGRectMake(button->bounds().size.width / 2, 0, 30, 20));
    badge->setBadgeString(text ? text->value : NSString());
    badge->setBadgeColor(UIColor::blueColor());
    badge->setTag(static_cast<NSInteger>(index));
    badge->delegate = std::dynamic_pointer_cast<BadgeViewDelegate>(shared_from_this());
    button->addSubview(badge);
}
