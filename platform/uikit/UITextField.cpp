#include "platform/uikit/UITextField.h"

#include "platform/uikit/UIApplication.h"

bool UITextField::becomeFirstResponder()
{
    if (editing_) return true;
    UIWindow* w = window();
    if (!w || !enabled()) return false;
    auto keep = self();
    if (auto d = delegate.lock())
        if (d->textFieldShouldBeginEditing(this) == false) return false;
    // The focus moving from another field keeps the keyboard up.
    auto* current = w->firstResponder();
    const bool keyboardUp = dynamic_cast<UITextField*>(current) != nullptr;
    if (current && current != this) {
        handingOver_ = true;
        const bool let = current->resignFirstResponder();
        handingOver_ = false;
        if (!let) return false;
    }
    w->setFirstResponder(this);
    editing_ = true;
    if (!keyboardUp) keyboardWillShow();
    sendActionsForControlEvents(UIControlEventEditingDidBegin);
    if (auto d = delegate.lock()) d->textFieldDidBeginEditing(this);
    return true;
}

bool UITextField::resignFirstResponder()
{
    if (!editing_) return true;
    auto keep = self();
    if (auto d = delegate.lock())
        if (d->textFieldShouldEndEditing(this) == false) return false;
    editing_ = false;
    if (UIWindow* w = window(); w && w->firstResponder() == this) w->setFirstResponder(nullptr);
    if (!handingOver_) keyboardWillHide();
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    if (auto d = delegate.lock()) d->textFieldDidEndEditing(this);
    return true;
}

void UITextField::willMoveToWindow(UIWindow* newWindow)
{
    if (!editing_ || newWindow == window()) return;
    auto keep = self();
    editing_ = false;
    if (UIWindow* w = window(); w && w->firstResponder() == this) w->setFirstResponder(nullptr);
    keyboardWillHide();
    sendActionsForControlEvents(UIControlEventEditingDidEnd);
    if (auto d = delegate.lock()) d->textFieldDidEndEditing(this);
}

bool UITextField::replace(NSRange range, const NSString& replacement)
{
    auto keep = self();
    if (auto d = delegate.lock())
        if (d->textField_shouldChangeCharactersInRange_replacementString(this, range, replacement) == false) return false;
    const NSString current = text_.isNil() ? NSString("") : text_;
    text_ = current.substringToIndex(range.location).stringByAppendingString(replacement).stringByAppendingString(
        current.substringFromIndex(range.max()));
    setNeedsDisplay();
    sendActionsForControlEvents(UIControlEventEditingChanged);
    return true;
}

bool UITextField::insertText(const NSString& typed)
{
    return replace(NSMakeRange(text_.isNil() ? 0 : text_.length(), 0), typed);
}

void UITextField::deleteBackward()
{
    const NSUInteger n = text_.isNil() ? 0 : text_.length();
    if (n == 0) return;
    // A pair of surrogates goes as one character.
    const unichar last = text_.characterAtIndex(n - 1);
    const NSUInteger len = (n >= 2 && last >= 0xDC00 && last <= 0xDFFF) ? 2 : 1;
    replace(NSMakeRange(n - len, len), "");
}

void UITextField::pressReturn()
{
    auto keep = self();
    if (auto d = delegate.lock())
        if (d->textFieldShouldReturn(this) == false) return;
    sendActionsForControlEvents(UIControlEventEditingDidEndOnExit);
}

void UITextField::touchesEnded(const NSSetOfTouches& t, UIEvent* e)
{
    UIControl::touchesEnded(t, e);
    if (touchInside(t)) becomeFirstResponder();
}
