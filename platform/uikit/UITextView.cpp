#include "platform/uikit/UITextView.h"

#include <cfloat>

void UITextView::setText(const NSString& text)
{
    text_ = text;
    fitContent();
    setNeedsDisplay();
}

void UITextView::setFont(UIFontRef font)
{
    font_ = std::move(font);
    fitContent();
    setNeedsDisplay();
}

void UITextView::setFrame(CGRect frame)
{
    UIScrollView::setFrame(frame);
    fitContent();
}

void UITextView::fitContent()
{
    const CGFloat width = bounds().size.width;
    const CGFloat textHeight = text_.isNil() || width <= 2 * kInset
                                   ? 0
                                   : sizeWithFont(text_, font_, CGSizeMake(width - 2 * kInset, DBL_MAX), UILineBreakModeWordWrap).height;
    setContentSize(CGSizeMake(width, textHeight + 2 * kInset));
}

void UITextView::drawRect(CGRect)
{
    if (text_.isNil() || text_.length() == 0) return;
    // Drawn in content coordinates: the bounds' origin is the scroll offset.
    const CGSize content = contentSize();
    if (textColor) textColor->setFill();
    drawInRect(text_, CGRectMake(kInset, kInset, content.width - 2 * kInset, content.height - 2 * kInset), font_,
               UILineBreakModeWordWrap, textAlignment);
}
