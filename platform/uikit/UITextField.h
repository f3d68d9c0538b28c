#pragma once
// The text field: text, placeholder, secure entry, keyboard, delegate and
// first responder. Typing goes through the delegate's should-change.

#include "platform/uikit/UIControl.h"

class UITextField;

class UITextFieldDelegate {
public:
    virtual ~UITextFieldDelegate() = default;
    virtual std::optional<bool> textFieldShouldBeginEditing(UITextField* tf) { return std::nullopt; }
    virtual void textFieldDidBeginEditing(UITextField* tf) {}
    virtual std::optional<bool> textFieldShouldEndEditing(UITextField* tf) { return std::nullopt; }
    virtual void textFieldDidEndEditing(UITextField* tf) {}
    virtual std::optional<bool> textField_shouldChangeCharactersInRange_replacementString(UITextField* tf, NSRange range,
                                                                                          const NSString& string)
    {
        return std::nullopt;
    }
    virtual std::optional<bool> textFieldShouldReturn(UITextField* tf) { return std::nullopt; }
};

enum UIKeyboardType : NSInteger {
    UIKeyboardTypeDefault = 0,
    UIKeyboardTypeASCIICapable = 1,
    UIKeyboardTypeNumbersAndPunctuation = 2,
    UIKeyboardTypeURL = 3,
    UIKeyboardTypeNumberPad = 4,
    UIKeyboardTypePhonePad = 5,
    UIKeyboardTypeNamePhonePad = 6,
    UIKeyboardTypeEmailAddress = 7,
};
enum UIReturnKeyType : NSInteger { UIReturnKeyDefault = 0, UIReturnKeyGo = 1, UIReturnKeyDone = 9 };
enum UITextBorderStyle : NSInteger {
    UITextBorderStyleNone = 0,
    UITextBorderStyleLine = 1,
    UITextBorderStyleBezel = 2,
    UITextBorderStyleRoundedRect = 3,
};
enum UITextAutocapitalizationType : NSInteger {
    UITextAutocapitalizationTypeNone = 0,
    UITextAutocapitalizationTypeWords = 1,
    UITextAutocapitalizationTypeSentences = 2,
    UITextAutocapitalizationTypeAllCharacters = 3,
};
enum UITextAutocorrectionType : NSInteger {
    UITextAutocorrectionTypeDefault = 0,
    UITextAutocorrectionTypeNo = 1,
    UITextAutocorrectionTypeYes = 2,
};
enum UITextFieldViewMode : NSInteger { UITextFieldViewModeNever = 0, UITextFieldViewModeWhileEditing = 1, UITextFieldViewModeAlways = 3 };

class UITextField : public UIControl {
public:
    static std::shared_ptr<UITextField> initWithFrame(CGRect frame) { return UIView::initWithFrame<UITextField>(frame); }

    NSString text() const { return text_; }
    // Setting the text in code asks no delegate and sends no event.
    void setText(const NSString& t) { text_ = t; setNeedsDisplay(); }
    NSString placeholder;
    std::shared_ptr<UIFont> font = UIFont::systemFontOfSize(17);
    std::shared_ptr<UIColor> textColor = UIColor::blackColor();
    UITextAlignment textAlignment = UITextAlignmentLeft;
    UITextBorderStyle borderStyle = UITextBorderStyleNone;
    bool secureTextEntry = false;
    UIKeyboardType keyboardType = UIKeyboardTypeDefault;
    UIReturnKeyType returnKeyType = UIReturnKeyDefault;
    UITextFieldViewMode clearButtonMode = UITextFieldViewModeNever;
    // How the keyboard treats what is typed (the test driver types literally).
    UITextAutocapitalizationType autocapitalizationType = UITextAutocapitalizationTypeSentences;
    UITextAutocorrectionType autocorrectionType = UITextAutocorrectionTypeDefault;
    std::weak_ptr<UITextFieldDelegate> delegate;
    bool editing() const { return editing_; }

    bool canBecomeFirstResponder() const override { return true; }
    // Only in a window, when the delegate agrees and the current first
    // responder lets go.
    bool becomeFirstResponder() override;
    bool resignFirstResponder() override;
    bool isFirstResponder() const override { return editing_; }

    // The keyboard: the delegate may refuse a change; an accepted one sends
    // editing-changed.
    bool insertText(const NSString& typed);
    void deleteBackward();
    // The return key: asks the delegate, then sends editing-did-end-on-exit.
    void pressReturn();

    // A tap starts editing.
    void touchesEnded(const NSSetOfTouches& t, UIEvent* e) override;
    // The text (bullets for secure entry), or the placeholder in grey,
    // centred vertically inside the border style's frame.
    void drawRect(CGRect rect) override;
    // Leaving the window ends editing, whatever the delegate would say.
    void willMoveToWindow(UIWindow* newWindow) override;

private:
    bool replace(NSRange range, const NSString& replacement);
    // UIKeyboard.cpp: the keyboard's notifications.
    static void keyboardWillShow();
    static void keyboardWillHide();
    static inline bool handingOver_ = false;  // the focus moves to another field (main thread)
    NSString text_;
    bool editing_ = false;
};
