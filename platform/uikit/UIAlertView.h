#pragma once
// Alert views and action sheets. Their buttons are subviews (tag = button
// index + 1, so that no button has the default tag 0); showing records the
// alert on the window; a press, or a dismiss in code, ends with the
// delegate's did-dismiss.

#include "platform/uikit/UIControl.h"

class UIAlertView;
class UIActionSheet;
class UITabBar;
class UIToolbar;

class UIAlertViewDelegate {
public:
    virtual ~UIAlertViewDelegate() = default;
    virtual void alertView_clickedButtonAtIndex(UIAlertView* alert, NSInteger index) {}
    virtual void alertView_willDismissWithButtonIndex(UIAlertView* alert, NSInteger index) {}
    virtual void alertView_didDismissWithButtonIndex(UIAlertView* alert, NSInteger index) {}
};

class UIActionSheetDelegate {
public:
    virtual ~UIActionSheetDelegate() = default;
    virtual void actionSheet_clickedButtonAtIndex(UIActionSheet* sheet, NSInteger index) {}
    virtual void actionSheet_willDismissWithButtonIndex(UIActionSheet* sheet, NSInteger index) {}
    virtual void actionSheet_didDismissWithButtonIndex(UIActionSheet* sheet, NSInteger index) {}
};

// What alerts and sheets share: titled buttons, showing and dismissing.
class NXButtonPanel : public UIView {
public:
    NSString title;
    NSInteger addButtonWithTitle(const NSString& title);
    NSInteger numberOfButtons() const { return static_cast<NSInteger>(buttons_.size()); }
    NSString buttonTitleAtIndex(NSInteger index) const;
    UIButton* buttonAtIndex(NSInteger index) const;
    NSInteger cancelButtonIndex = -1;
    NSInteger firstOtherButtonIndex = -1;
    bool visible() const { return superview() != nullptr; }
    // A press: clicked, then dismissed with that index.
    void pressButtonAtIndex(NSInteger index);
    // In code: will and did dismiss, no click.
    void dismissWithClickedButtonIndex(NSInteger index, bool animated);

protected:
    void showOn(UIView* host);
    virtual void clicked(NSInteger index) = 0;
    virtual void willDismiss(NSInteger index) = 0;
    virtual void didDismiss(NSInteger index) = 0;

private:
    void buttonTapped(const id& sender);
    std::vector<std::shared_ptr<UIButton>> buttons_;
};

class UIAlertView : public NXButtonPanel {
public:
    // The cancel button, when given, is index 0; the others follow in order.
    // A subclass makes its alerts with initWithTitle<Subclass>(...).
    template <class T = UIAlertView>
    static std::shared_ptr<T> initWithTitle(const NSString& title, const NSString& message,
                                            const std::shared_ptr<UIAlertViewDelegate>& delegate,
                                            const NSString& cancelButtonTitle,
                                            const std::vector<NSString>& otherButtonTitles)
    {
        auto alert = UIView::initWithFrame<T>(CGRectMake(18, 0, 284, 100));
        alert->setUp(title, message, delegate, cancelButtonTitle, otherButtonTitles);
        return alert;
    }
    NSString message;
    std::weak_ptr<UIAlertViewDelegate> delegate;
    // Over the key window.
    void show();
    // A rounded translucent box with the title and the message above the buttons.
    void drawRect(CGRect rect) override;

protected:
    void setUp(const NSString& title, const NSString& message, const std::shared_ptr<UIAlertViewDelegate>& delegate,
               const NSString& cancelButtonTitle, const std::vector<NSString>& otherButtonTitles);
    void clicked(NSInteger index) override;
    void willDismiss(NSInteger index) override;
    void didDismiss(NSInteger index) override;

private:
    static constexpr CGFloat kTextMargin = 12;
    // Draws the title and message (or only measures them); where they end.
    CGFloat drawText(bool draw) const;
    CGFloat textHeight() const;
};

enum UIActionSheetStyle : NSInteger {
    UIActionSheetStyleAutomatic = -1,
    UIActionSheetStyleDefault = 0,
    UIActionSheetStyleBlackTranslucent = 2,
    UIActionSheetStyleBlackOpaque = 1,
};

class UIActionSheet : public NXButtonPanel {
public:
    // The destructive button first, then the others, the cancel button last.
    static std::shared_ptr<UIActionSheet> initWithTitle(const NSString& title,
                                                        const std::shared_ptr<UIActionSheetDelegate>& delegate,
                                                        const NSString& cancelButtonTitle,
                                                        const NSString& destructiveButtonTitle,
                                                        const std::vector<NSString>& otherButtonTitles);
    template <class T = UIActionSheet>
    static std::shared_ptr<T> init()
    {
        return UIView::initWithFrame<T>(CGRectMake(0, 0, 320, 0));
    }
    std::weak_ptr<UIActionSheetDelegate> delegate;
    UIActionSheetStyle actionSheetStyle = UIActionSheetStyleAutomatic;
    NSInteger destructiveButtonIndex = -1;
    // Over the window of the given view, at the bottom of the screen, laid
    // out as the device does: the title's lines (a line every kTitleLine
    // points), then the buttons; the sheet grows to hold subviews added to
    // it beside its buttons.
    void showInView(UIView* view);
    static constexpr CGFloat kTitleLine = 16;  // the device's line of its 13-point title
    void showFromTabBar(UITabBar* tabBar);
    void showFromToolbar(UIToolbar* toolbar);

    // A dark translucent panel with the title's lines.
    void drawRect(CGRect rect) override;

protected:
    static UIFontRef titleFont();
    std::vector<std::pair<NSString, CGFloat>> titleParagraphs() const;
    void clicked(NSInteger index) override;
    void willDismiss(NSInteger index) override;
    void didDismiss(NSInteger index) override;
};
