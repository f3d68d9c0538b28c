#include "platform/uikit/UIKeyboard.h"

#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UITextField.h"

const NSString UIKeyboardWillShowNotification = "UIKeyboardWillShowNotification";
const NSString UIKeyboardWillHideNotification = "UIKeyboardWillHideNotification";
const NSString UIKeyboardFrameBeginUserInfoKey = "UIKeyboardFrameBeginUserInfoKey";
const NSString UIKeyboardFrameEndUserInfoKey = "UIKeyboardFrameEndUserInfoKey";

namespace {

constexpr CGFloat kKeyboardHeight = 216;

CGRect offScreen()
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    return CGRectMake(0, screen.size.height, screen.size.width, kKeyboardHeight);
}

void post(const NSString& name, CGRect begin, CGRect end)
{
    NSNotificationCenter::defaultCenter()->postNotificationName(
        name, nullptr, {{UIKeyboardFrameBeginUserInfoKey, NSBox<CGRect>::box(begin)}, {UIKeyboardFrameEndUserInfoKey, NSBox<CGRect>::box(end)}});
}

}  // namespace

CGRect NXKeyboardFrame()
{
    const CGRect screen = UIScreen::mainScreen().bounds();
    return CGRectMake(0, screen.size.height - kKeyboardHeight, screen.size.width, kKeyboardHeight);
}

void UITextField::keyboardWillShow() { post(UIKeyboardWillShowNotification, offScreen(), NXKeyboardFrame()); }

void UITextField::keyboardWillHide() { post(UIKeyboardWillHideNotification, NXKeyboardFrame(), offScreen()); }
