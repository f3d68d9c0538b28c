#pragma once
// Pieces the app shell's screens and interface files share.

#include <memory>
#include <vector>

#include "platform/uikit/UIControl.h"
#include "platform/uikit/UITextField.h"

// The frame of a screen's view laid over another screen's view (the help, the
// sign-up form, the forgotten password, the chooser): the whole of the screen
// below the status bar, which the screen beneath fills.
CGRect overlayFrame();
// A custom button with the stretchable "button_vesk" background and a white title.
std::shared_ptr<UIButton> veskButton(CGRect frame);
// A label with clear background and white text in the system font.
std::shared_ptr<UILabel> whiteLabel(CGRect frame, CGFloat fontSize);
// The fields' typing rule: a change is taken while the text holds at most 16
// characters, and afterwards only when it replaces or deletes characters.
bool acceptsTyping(const UITextField* field, NSRange range);
// Removes the view from its superview inside a curl-down transition.
void removeWithCurlDown(UIView* view, NSTimeInterval duration, const id& delegate);
// The buttons of an alert laid out anew from the y given down (room for the
// controls a screen adds above them), keeping their x, width, height and
// spacing.
void moveButtonsTo(const std::vector<std::shared_ptr<UIView>>& buttons, CGFloat y);
// A progress HUD with the text on the application's window, replacing any
// there; and its hiding, animated.
void addWindowHud(const NSString& text);
void hideWindowHud();

// Moves a screen's view 50 points up while the keyboard would cover the
// field being edited, and back once: up() remembers the view's size and
// moves it (a no-op while it is up), down() puts it back after the delay.
class KeyboardShift {
public:
    void up(UIView* view, NSTimeInterval duration);
    void down(UIView* view, NSTimeInterval delay);
    bool isUp() const { return up_; }

private:
    bool up_ = false;
    CGSize size_ = CGSizeMake(0, 0);
};
