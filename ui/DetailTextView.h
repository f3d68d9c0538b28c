#pragma once
// A label that draws its text through Core Text: the whole text in one font
// and colour, with chosen keywords in another font and colour.

#include <vector>

#include "platform/uikit/CoreText.h"
#include "platform/uikit/UIControl.h"

class DetailTextView : public UILabel {
public:
    static std::shared_ptr<DetailTextView> initWithFrame(CGRect frame) { return UIView::initWithFrame<DetailTextView>(frame); }

    using UILabel::setText;
    // Sets the label's text and makes the drawn string of it anew, all in the
    // font and colour (a nil font or colour leaves Core Text's default).
    void setText(const NSString& text, const std::shared_ptr<UIFont>& font, const std::shared_ptr<UIColor>& color);
    // Gives the first occurrence of each keyword in the label's text the font
    // and colour; keywords not found are skipped.
    void setKeyWordTextArray(const std::vector<NSString>& keywords, const std::shared_ptr<UIFont>& font,
                             const std::shared_ptr<UIColor>& color);
    const std::shared_ptr<NSMutableAttributedString>& resultAttributedString() const { return resultAttributedString_; }

    // The attributed string laid out in the bounds from the top left, in a
    // context flipped for Core Text; nothing when the label has no text.
    void drawRect(CGRect rect) override;

private:
    std::shared_ptr<NSMutableAttributedString> resultAttributedString_ = NSMutableAttributedString::init();
};
