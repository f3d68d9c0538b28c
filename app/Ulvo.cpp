#include "app/Ulvo.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIStringDrawing.h"
#include "protocol/Constant.h"
#include "protocol/ServiceConfig.h"

namespace {

std::shared_ptr<UIImage> stretchable(const NSString& name, NSInteger leftCap, NSInteger topCap)
{
    if (name.isNil()) return nullptr;
    auto image = UIImage::imageNamed(name);
    return image ? image->stretchableImageWithLeftCapWidth(leftCap, topCap) : nullptr;
}

void addZoom(UIView* view, std::vector<CAValue> values, const std::shared_ptr<CAAnimationDelegate>& delegate)
{
    auto zoom = CAKeyframeAnimation::animationWithKeyPath("transform");
    zoom->duration = 0.5;
    zoom->delegate = delegate;
    zoom->removedOnCompletion = true;
    zoom->fillMode = kCAFillModeBoth;
    zoom->values = std::move(values);
    view->layer()->addAnimation(zoom, NSString());
}

}  // namespace

std::shared_ptr<UIButton> Ulvo::customBackButton(const NSString& title, const NSString& normalImage,
                                                 const NSString& highLightedImage, const NSString& selectedImage)
{
    const CGSize size = title.isNil() ? CGSizeMake(0, 0)
                                      : sizeWithFont(title, UIFont::systemFontOfSize(14), CGSizeMake(300, 1000),
                                                     UILineBreakModeCharacterWrap);
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, size.width + 15, 30));
    button->titleLabel()->font = UIFont::boldSystemFontOfSize(14);
    button->setTitle(title, UIControlStateNormal);
    button->setBackgroundImage(stretchable(normalImage, 30, 14), UIControlStateNormal);
    button->setBackgroundImage(stretchable(highLightedImage, 21, 14), UIControlStateHighlighted);
    button->setBackgroundImage(stretchable(selectedImage, 21, 14), UIControlStateSelected);
    return button;
}

std::shared_ptr<UIButton> Ulvo::customBackButton(const NSString& title, const NSString& backgroundImageName)
{
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 46, 30));
    button->titleLabel()->font = UIFont::boldSystemFontOfSize(14);
    button->setTitle(title, UIControlStateNormal);
    button->setBackgroundImage(stretchable(backgroundImageName, 21, 14), UIControlStateNormal);
    return button;
}

void Ulvo::addViewWithZoomInTo(UIView* view, const std::shared_ptr<CAAnimationDelegate>& delegate)
{
    addZoom(view,
            {CATransform3DMakeScale(0, 0, 1), CATransform3DMakeScale(0.5, 0.5, 0.5), CATransform3DMakeScale(1, 1, 1)},
            delegate);
}

void Ulvo::hideViewWithZoomOutFrom(UIView* view, const std::shared_ptr<CAAnimationDelegate>& delegate)
{
    std::vector<CAValue> values;
    for (int k = 999; k >= 0; --k) values.emplace_back(CATransform3DMakeScale(k * 0.001, k * 0.001, k * 0.001));
    addZoom(view, std::move(values), delegate);
}

void Ulvo::scrollToTableViewTop(UITableView* tableView)
{
    tableView->scrollToRowAtIndexPath(NSIndexPath::indexPathForRow(0, 0), UITableViewScrollPositionTop, false);
}

void Ulvo::setNetworkActivityIndicatorVisible(bool visible)
{
    UIApplication::sharedApplication().setNetworkActivityIndicatorVisible(visible);
}

NSString Ulvo::probeHost() { return ServiceConfig::host(); }

bool Ulvo::isExistenceNetwork() { return Constant::testConnection(); }
