#include "ui/DetailTextView.h"

namespace {

void applyStyle(NSMutableAttributedString& s, const std::shared_ptr<UIFont>& font, const std::shared_ptr<UIColor>& color,
                NSRange range)
{
    if (color) s.addAttribute(kCTForegroundColorAttributeName, color->CGColor(), range);
    if (font) s.addAttribute(kCTFontAttributeName, CTFontCreateWithName(font->fontName(), font->pointSize()), range);
}

}  // namespace

void DetailTextView::setText(const NSString& text, const std::shared_ptr<UIFont>& font, const std::shared_ptr<UIColor>& color)
{
    UILabel::setText(text);
    resultAttributedString_ = NSMutableAttributedString::initWithString(text);
    applyStyle(*resultAttributedString_, font, color, NSMakeRange(0, resultAttributedString_->length()));
}

void DetailTextView::setKeyWordTextArray(const std::vector<NSString>& keywords, const std::shared_ptr<UIFont>& font,
                                         const std::shared_ptr<UIColor>& color)
{
    const NSString shown = text();
    for (const NSString& keyword : keywords) {
        const NSRange range = shown.rangeOfString(keyword);
        // The label's text may have been changed without the drawn string: a
        // keyword found past the drawn string's end has nothing to colour.
        if (range.length == 0 || range.max() > resultAttributedString_->length()) continue;
        applyStyle(*resultAttributedString_, font, color, range);
    }
}

void DetailTextView::drawRect(CGRect)
{
    const NSString shown = text();
    if (shown.isNil() || shown.length() == 0) return;
    CGContextRef context = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    CGContextSaveGState(context);
    CGContextScaleCTM(context, 1, -1);
    CGContextTranslateCTM(context, 0, -b.size.height);
    auto framesetter = CTFramesetterCreateWithAttributedString(resultAttributedString_);
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, b.size.width, b.size.height));
    auto frame = CTFramesetterCreateFrame(framesetter, CFRangeMake(0, 0), path);
    CGContextSetTextPosition(context, 0, 0);
    CTFrameDraw(frame, context);
    CGContextRestoreGState(context);
}
