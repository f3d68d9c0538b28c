#include "app/PCTimeCommon.h"

#include "protocol/TimeSettingConstant.h"
#include "ui/ProgressHUD.h"
#include "ui/UIBarButtonItemTint.h"

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

std::shared_ptr<UIBarButtonItem> tintedBarItem(std::shared_ptr<UIColor> tint, const NSString& title, const id& target,
                                               SEL action, CGFloat width)
{
    auto item = barButtonItemWithTint(tint, title, target, std::move(action));
    item->customView->setFrame(CGRectMake(0, 0, width, 30));
    item->style = UIBarButtonItemStyleBordered;
    item->width = width;
    return item;
}
