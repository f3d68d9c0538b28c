#include "pc/PCTimeCommon.h"

#include "platform/uikit/UIAlertView.h"
#include "platform/uikit/UIImage.h"
#include "protocol/TimeSettingConstant.h"
#include "ui/ProgressHUD.h"

void addHud(UIView* view, const NSString& text)
{
    if (!view) return;
    ProgressHUD::hideHUDForView(view, false);
    ProgressHUD::showHUDAddedTo_withTitle(view, text);
}

void hideHUD(UIView* view)
{
    if (view) ProgressHUD::hideHUDForView(view, true);
}

void flashHud(UIView* view, const NSString& text)
{
    addHud(view, text);
    hideHUD(view);
}

bool commandSucceeded(const std::shared_ptr<MessageInfo>& reply) { return reply && reply->code() == "0"; }

bool timeConfigSucceeded(const std::shared_ptr<MessageInfo>& reply)
{
    return commandSucceeded(reply) && reply->desc() == "成功";
}

NSString resultText(bool succeeded) { return L(succeeded ? "serviceBackMessage_ok" : "serviceBackMessage_failed"); }

void sendTimeConfig(const std::shared_ptr<UIView>& view, const NSString& body, const NSString& typeToStore)
{
    std::weak_ptr<UIView> weak = view;
    NSThread::detachNewThreadWithBlock([weak, body, typeToStore] {
        const bool succeeded = timeConfigSucceeded(ProtectSetting::init()->UDTimeConfig(body));
        if (succeeded && !typeToStore.isNil()) TimeSettingConstant::setTimeType(typeToStore);
        NSThread::performBlockOnMainThread([weak, succeeded] {
            if (auto v = weak.lock()) flashHud(v.get(), resultText(succeeded));
        }, false);
    });
}

std::shared_ptr<UIButton> customBackButton(const NSString& title)
{
    const CGSize size = sizeWithFont(title, UIFont::systemFontOfSize(14), CGSizeMake(300, 1000), UILineBreakModeCharacterWrap);
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, size.width + 15, 30));
    button->titleLabel()->font = UIFont::boldSystemFontOfSize(14);
    button->setTitle(title, UIControlStateNormal);
    if (auto image = UIImage::imageNamed("button_vesk"))
        button->setBackgroundImage(image->stretchableImageWithLeftCapWidth(30, 14), UIControlStateNormal);
    return button;
}

std::shared_ptr<UIBarButtonItem> customBarItem(const NSString& title, const id& target, SEL action)
{
    auto button = customBackButton(title);
    button->addTarget(target, std::move(action), UIControlEventTouchUpInside);
    return UIBarButtonItem::initWithCustomView(button);
}

std::shared_ptr<UIBarButtonItem> tintedBarItem(std::shared_ptr<UIColor> tint, const NSString& title, const id& target,
                                               SEL action, CGFloat width)
{
    auto segment = UISegmentedControl::initWithItems({title});
    segment->setFrame(CGRectMake(0, 0, width, 30));
    segment->segmentedControlStyle = UISegmentedControlStyleBar;
    segment->momentary = true;
    segment->tintColor = std::move(tint);
    segment->addTarget(target, std::move(action), UIControlEventValueChanged);
    auto item = UIBarButtonItem::initWithCustomView(segment);
    item->style = UIBarButtonItemStyleBordered;
    item->width = width;
    return item;
}

std::shared_ptr<UIImage> imageWithColor(const std::shared_ptr<UIColor>& color, CGSize size)
{
    UIGraphicsBeginImageContextWithOptions(size, false, 0);
    CGContextRef context = UIGraphicsGetCurrentContext();
    CGContextSetFillColorWithColor(context, color->CGColor());
    CGContextFillRect(context, CGRectMake(0, 0, size.width, size.height));
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

void showPrompt(const NSString& message)
{
    UIAlertView::initWithTitle(L("constant_prompt"), message, nullptr, L("constant_ok"), {})->show();
}
