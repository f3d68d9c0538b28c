#include "app/ScreenParts.h"

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIImage.h"
#include "ui/ProgressHUD.h"

CGRect overlayFrame()
{
    const CGRect app = UIScreen::mainScreen().applicationFrame();
    return CGRectMake(0, 0, app.size.width, app.size.height);
}

std::shared_ptr<UIButton> veskButton(CGRect frame)
{
    auto b = UIButton::buttonWithType(UIButtonTypeCustom);
    b->setFrame(frame);
    if (auto art = UIImage::imageNamed("button_vesk"))
        b->setBackgroundImage(art->stretchableImageWithLeftCapWidth(30, 14), UIControlStateNormal);
    b->setTitleColor(UIColor::whiteColor(), UIControlStateNormal);
    return b;
}

std::shared_ptr<UILabel> whiteLabel(CGRect frame, CGFloat fontSize)
{
    auto l = UILabel::initWithFrame(frame);
    l->setBackgroundColor(UIColor::clearColor());
    l->textColor = UIColor::whiteColor();
    l->font = UIFont::systemFontOfSize(fontSize);
    return l;
}

bool acceptsTyping(const UITextField* field, NSRange range) { return field->text().length() <= 16 || range.length != 0; }

void removeWithCurlDown(UIView* view, NSTimeInterval duration, const id& delegate)
{
    UIView::beginAnimations(NSString(), nullptr);
    UIView::setAnimationDuration(duration);
    if (delegate) UIView::setAnimationDelegate(delegate);
    UIView::setAnimationTransition(UIViewAnimationTransitionCurlDown, view->superview(), true);
    view->removeFromSuperview();
    UIView::commitAnimations();
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

void addWindowHud(const NSString& text)
{
    UIView* window = UIApplication::sharedApplication().keyWindow().get();
    ProgressHUD::hideHUDForView(window, false);
    ProgressHUD::showHUDAddedTo_withTitle(window, text);
}

void hideWindowHud() { ProgressHUD::hideHUDForView(UIApplication::sharedApplication().keyWindow().get(), true); }

void KeyboardShift::up(UIView* view, NSTimeInterval duration)
{
    if (up_) return;
    UIView::beginAnimations("ResizeForKeyBoard", nullptr);
    UIView::setAnimationDuration(duration);
    size_ = view->frame().size;
    view->setFrame(CGRectMake(0, -50, size_.width, size_.height));
    UIView::commitAnimations();
    up_ = true;
}

void KeyboardShift::down(UIView* view, NSTimeInterval delay)
{
    if (!up_) return;
    UIView::beginAnimations("ResizeForKeyboard", nullptr);
    UIView::setAnimationDelay(delay);
    view->setFrame(CGRectMake(0, 0, size_.width, size_.height));
    UIView::commitAnimations();
    up_ = false;
}
