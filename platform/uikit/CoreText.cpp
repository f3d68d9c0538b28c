#include "platform/uikit/CoreText.h"

#include <algorithm>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/detail/NXText.h"

const NSString kCTFontAttributeName = "CTFont";
const NSString kCTForegroundColorAttributeName = "CTForegroundColor";

struct CTFramesetter {
    NSAttributedString string;
};

struct CTFrame {
    nxtext::StyledText text;
    std::vector<nxtext::Line> lines;
    CGRect rect{};
};

CTFontRef CTFontCreateWithName(const NSString& name, CGFloat size)
{
    return UIFont::fontWithName(name, size > 0 ? size : 12);
}

CTFramesetterRef CTFramesetterCreateWithAttributedString(const std::shared_ptr<NSAttributedString>& string)
{
    if (!string) return nullptr;
    return std::make_shared<CTFramesetter>(CTFramesetter{*string});
}

namespace {

// The style of a run: its font and colour attributes, or the defaults.
nxtext::Style styleOf(const NSAttributes& attributes)
{
    nxtext::Style style{UIFont::systemFontOfSize(12), UIColor::blackColor()};
    if (auto it = attributes.find(kCTFontAttributeName); it != attributes.end())
        if (auto font = std::dynamic_pointer_cast<UIFont>(it->second)) style.font = font;
    if (auto it = attributes.find(kCTForegroundColorAttributeName); it != attributes.end())
        if (auto color = std::dynamic_pointer_cast<UIColor>(it->second)) style.color = color;
    return style;
}

size_t styleIndex(nxtext::StyledText& text, const nxtext::Style& style)
{
    for (size_t i = 0; i < text.styles.size(); ++i)
        if (text.styles[i].font == style.font && text.styles[i].color == style.color) return i;
    text.styles.push_back(style);
    return text.styles.size() - 1;
}

// The characters of units [from, to) with the style of the unit each starts at.
nxtext::StyledText styledText(const NSAttributedString& string, NSUInteger from, NSUInteger to)
{
    nxtext::StyledText text;
    const std::u16string units = string.string().utf16();
    NSRange run{0, 0};
    size_t style = 0;
    for (NSUInteger i = from; i < to; ++i) {
        if (i >= run.max()) style = styleIndex(text, styleOf(string.attributesAtIndex(i, &run)));
        char32_t ch = units[i];
        if (ch >= 0xD800 && ch <= 0xDBFF && i + 1 < to && units[i + 1] >= 0xDC00 && units[i + 1] <= 0xDFFF) {
            ch = 0x10000 + ((ch - 0xD800) << 10) + (units[i + 1] - 0xDC00);
            ++i;
        }
        text.chars.push_back(ch);
        text.style.push_back(style);
    }
    return text;
}

}  // namespace

CTFrameRef CTFramesetterCreateFrame(const CTFramesetterRef& framesetter, CFRange stringRange, const CGPathRef& path)
{
    if (!framesetter || !path) return nullptr;
    auto frame = std::make_shared<CTFrame>();
    frame->rect = CGPathGetBoundingBox(path);
    const NSUInteger length = framesetter->string.length();
    const NSUInteger from = std::min<NSUInteger>(static_cast<NSUInteger>(std::max<CFIndex>(stringRange.location, 0)), length);
    const NSUInteger to = stringRange.length <= 0 ? length : from + std::min<NSUInteger>(static_cast<NSUInteger>(stringRange.length), length - from);
    frame->text = styledText(framesetter->string, from, to);
    if (frame->text.chars.empty()) return frame;
    // Only whole lines that fit in the rectangle's height are shown.
    auto lines = nxtext::layout(frame->text, frame->rect.size.width, UILineBreakModeWordWrap, 0);
    double height = 0;
    for (const auto& line : lines) {
        if (height + line.height > frame->rect.size.height + 1e-6) break;
        height += line.height;
        frame->lines.push_back(line);
    }
    return frame;
}

void CTFrameDraw(const CTFrameRef& frame, CGContextRef context)
{
    if (!frame || frame->lines.empty()) return;
    nxtext::draw(context, frame->text, frame->lines, CGPointMake(frame->rect.origin.x, CGRectGetMaxY(frame->rect)),
                 frame->rect.size.width, UITextAlignmentLeft, true);
}
