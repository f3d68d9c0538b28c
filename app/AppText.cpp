#include "app/AppText.h"

std::shared_ptr<UIAlertView> Constant_alert(const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate)
{
    auto alert = UIAlertView::initWithTitle(localized("constant_prompt"), message, delegate, localized("constant_ok"), {});
    alert->show();
    return alert;
}

void moveButtonsTo(const std::vector<std::shared_ptr<UIView>>& buttons, CGFloat y)
{
    if (buttons.empty()) return;
    const CGFloat shift = y - buttons.front()->frame().origin.y;
    for (const auto& b : buttons) {
        const CGRect f = b->frame();
        b->setFrame(CGRectMake(f.origin.x, f.origin.y + shift, f.size.width, f.size.height));
    }
}
