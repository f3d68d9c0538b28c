#include "platform/uikit/UIAlertView.h"

#include <algorithm>
#include <cmath>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UINavigationController.h"
#include "platform/uikit/UIStringDrawing.h"

static constexpr CGFloat kButtonHeight = 44;

NSInteger NXButtonPanel::addButtonWithTitle(const NSString& buttonTitle)
{
    const auto index = static_cast<NSInteger>(buttons_.size());
    auto b = UIButton::buttonWithType(UIButtonTypeRoundedRect);
    b->setTitle(buttonTitle, UIControlStateNormal);
    b->setTag(index + 1);
    b->addTarget(shared_from_this(), NX_SEL(NXButtonPanel, buttonTapped), UIControlEventTouchUpInside);
    buttons_.push_back(b);
    addSubview(b);
    CGRect f = frame();
    b->setFrame(CGRectMake(10, f.size.height, f.size.width - 20, kButtonHeight - 4));
    f.size.height += kButtonHeight;
    setFrame(f);
    return index;
}

NSString NXButtonPanel::buttonTitleAtIndex(NSInteger index) const
{
    auto* b = buttonAtIndex(index);
    return b ? b->titleForState(UIControlStateNormal) : NSString();
}

UIButton* NXButtonPanel::buttonAtIndex(NSInteger index) const
{
    return index >= 0 && index < numberOfButtons() ? buttons_[index].get() : nullptr;
}

void NXButtonPanel::buttonTapped(const id& sender)
{
    if (auto* b = dynamic_cast<UIButton*>(sender.get())) pressButtonAtIndex(b->tag() - 1);
}

void NXButtonPanel::pressButtonAtIndex(NSInteger index)
{
    if (!visible()) return;
    auto keep = self();
    clicked(index);
    dismissWithClickedButtonIndex(index, true);
}

void NXButtonPanel::dismissWithClickedButtonIndex(NSInteger index, bool)
{
    if (!visible()) return;
    auto keep = self();
    willDismiss(index);
    removeFromSuperview();
    didDismiss(index);
}

void NXButtonPanel::showOn(UIView* host)
{
    UIWindow* window = host ? host->window() : nullptr;
    if (!window) window = UIApplication::sharedApplication().keyWindow().get();
    if (!window || visible()) return;
    window->addSubview(self());
    window->recordShownAlert(self());
}

// ---- Alert -------------------------------------------------------------------

void UIAlertView::setUp(const NSString& alertTitle, const NSString& alertMessage,
                        const std::shared_ptr<UIAlertViewDelegate>& alertDelegate, const NSString& cancelButtonTitle,
                        const std::vector<NSString>& otherButtonTitles)
{
    title = alertTitle;
    message = alertMessage;
    delegate = alertDelegate;
    if (!cancelButtonTitle.isNil()) cancelButtonIndex = addButtonWithTitle(cancelButtonTitle);
    for (const auto& t : otherButtonTitles) {
        const NSInteger i = addButtonWithTitle(t);
        if (firstOtherButtonIndex < 0) firstOtherButtonIndex = i;
    }
}

void UIAlertView::show()
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    CGRect f = frame();
    // An alert of nothing but its title and message (a "please wait") is as
    // high as they are; one with buttons or controls of its own keeps the room
    // they were laid out in.
    if (subviews().empty()) f.size.height = textHeight() + kTextMargin;
    setFrame(CGRectMake((screen.size.width - f.size.width) / 2, (screen.size.height - f.size.height) / 2, f.size.width, f.size.height));
    showOn(nullptr);
}

void UIAlertView::clicked(NSInteger i) { if (auto d = delegate.lock()) d->alertView_clickedButtonAtIndex(this, i); }
void UIAlertView::willDismiss(NSInteger i) { if (auto d = delegate.lock()) d->alertView_willDismissWithButtonIndex(this, i); }
void UIAlertView::didDismiss(NSInteger i) { if (auto d = delegate.lock()) d->alertView_didDismissWithButtonIndex(this, i); }

// ---- Action sheet ----------------------------------------------------------------

std::shared_ptr<UIActionSheet> UIActionSheet::initWithTitle(const NSString& title,
                                                            const std::shared_ptr<UIActionSheetDelegate>& delegate,
                                                            const NSString& cancelButtonTitle,
                                                            const NSString& destructiveButtonTitle,
                                                            const std::vector<NSString>& otherButtonTitles)
{
    auto s = init();
    s->title = title;
    s->delegate = delegate;
    if (!destructiveButtonTitle.isNil()) s->destructiveButtonIndex = s->addButtonWithTitle(destructiveButtonTitle);
    for (const auto& t : otherButtonTitles) {
        const NSInteger i = s->addButtonWithTitle(t);
        if (s->firstOtherButtonIndex < 0) s->firstOtherButtonIndex = i;
    }
    if (!cancelButtonTitle.isNil()) s->cancelButtonIndex = s->addButtonWithTitle(cancelButtonTitle);
    return s;
}

// The device lays a sheet out from the top: its title's lines, then its
// buttons 50 points apart, within margins of 20 above and 26 below. A
// subview a caller adds stays where it was put (a picker over the blank
// lines of a title made of line breaks) and the sheet grows to hold it.
namespace {

constexpr CGFloat kSheetTop = 20, kSheetBottom = 26, kSheetButtonPitch = 50, kSheetButtonHeight = 44;
constexpr CGFloat kSheetTitleGap = 12, kSheetTitleWidth = 280;

}  // namespace

UIFontRef UIActionSheet::titleFont() { return UIFont::systemFontOfSize(13); }

// The title's paragraphs with the height each takes: every line break starts
// a line, a long paragraph wraps at the title's width.
std::vector<std::pair<NSString, CGFloat>> UIActionSheet::titleParagraphs() const
{
    std::vector<std::pair<NSString, CGFloat>> out;
    if (title.isNil() || title.length() == 0) return out;
    const std::string& text = title.str();
    for (size_t from = 0;;) {
        const size_t end = std::min(text.find('\n', from), text.size());
        const NSString paragraph(text.substr(from, end - from));
        const CGFloat lines = std::max<CGFloat>(1, std::ceil(sizeWithFont(paragraph, titleFont()).width / kSheetTitleWidth));
        out.emplace_back(paragraph, lines * kTitleLine);
        if (end == text.size()) return out;
        from = end + 1;
    }
}

void UIActionSheet::showInView(UIView* view)
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    CGFloat titled = 0;
    for (const auto& paragraph : titleParagraphs()) titled += paragraph.second;
    CGFloat y = kSheetTop + (titled > 0 ? titled + kSheetTitleGap : 0);
    for (NSInteger i = 0; i < numberOfButtons(); ++i, y += kSheetButtonPitch)
        buttonAtIndex(i)->setFrame(CGRectMake(10, y, screen.size.width - 20, kSheetButtonHeight));
    CGFloat height = numberOfButtons() > 0 ? y - kSheetButtonPitch + kSheetButtonHeight + kSheetBottom : y;
    for (const auto& sub : subviews()) height = std::max(height, CGRectGetMaxY(sub->frame()));
    setFrame(CGRectMake(0, screen.size.height - height, screen.size.width, height));
    showOn(view);
}

void UIActionSheet::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 0.1, 0.12, 0.16, 0.85);
    CGContextFillRect(c, bounds());
    // The title's lines at the device's pitch, each centred.
    CGContextSetRGBFillColor(c, 0.85, 0.87, 0.9, 1);
    CGFloat y = kSheetTop;
    for (const auto& [paragraph, height] : titleParagraphs()) {
        drawInRect(paragraph, CGRectMake((bounds().size.width - kSheetTitleWidth) / 2, y, kSheetTitleWidth, height), titleFont(),
                   UILineBreakModeWordWrap, UITextAlignmentCenter);
        y += height;
    }
}

void UIActionSheet::showFromTabBar(UITabBar* tabBar) { showInView(tabBar); }
void UIActionSheet::showFromToolbar(UIToolbar* toolbar) { showInView(toolbar); }

void UIActionSheet::clicked(NSInteger i) { if (auto d = delegate.lock()) d->actionSheet_clickedButtonAtIndex(this, i); }
void UIActionSheet::willDismiss(NSInteger i) { if (auto d = delegate.lock()) d->actionSheet_willDismissWithButtonIndex(this, i); }
void UIActionSheet::didDismiss(NSInteger i) { if (auto d = delegate.lock()) d->actionSheet_didDismissWithButtonIndex(this, i); }
