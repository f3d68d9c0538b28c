#pragma once
// A scrolling view of multi-line text: the text wraps at the view's width
// (8 points of inset on each side, as the platform's), and the content size
// follows it so the view scrolls through a long text. Editing is a flag the
// screens set; typing into a text view is not needed by any screen.

#include "platform/uikit/UIScrollView.h"
#include "platform/uikit/UIStringDrawing.h"

class UITextView : public UIScrollView {
public:
    static constexpr CGFloat kInset = 8;
    static std::shared_ptr<UITextView> initWithFrame(CGRect frame) { return UIView::initWithFrame<UITextView>(frame); }

    NSString text() const { return text_; }
    void setText(const NSString& text);
    UIFontRef font() const { return font_; }
    void setFont(UIFontRef font);
    std::shared_ptr<UIColor> textColor = UIColor::blackColor();
    UITextAlignment textAlignment = UITextAlignmentLeft;
    bool editable = true;

    void setFrame(CGRect frame) override;
    void drawRect(CGRect rect) override;

private:
    void fitContent();

    NSString text_;
    UIFontRef font_ = UIFont::systemFontOfSize(12);
};
