#pragma once
// The text engine under string drawing and the attributed-text frames: styled
// characters, their advances, line breaking and glyph drawing. Everything here
// runs under one lock, as FreeType faces are shared.

#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIStringDrawing.h"

class UIColor;
class UILabel;

namespace nxtext {

struct Style {
    UIFontRef font;
    std::shared_ptr<UIColor> color;  // null: the context's fill colour
};

// Characters with a style index each.
struct StyledText {
    std::u32string chars;
    std::vector<size_t> style;
    std::vector<Style> styles;
};
StyledText plain(const NSString& s, const UIFontRef& font);

struct Line {
    size_t begin = 0, end = 0;  // characters of the text shown
    bool ellipsisAtStart = false, ellipsisAtEnd = false;
    size_t middleCut = 0, middleResume = 0;  // middle truncation: [cut, resume) left out
    double width = 0, ascent = 0, height = 0;
};

inline constexpr double kUnbounded = std::numeric_limits<double>::infinity();

// Lines of at most width; maxLines 0 means no limit.
std::vector<Line> layout(const StyledText& text, double width, UILineBreakMode mode, size_t maxLines);
// How many lines of the text's first style fit in height (at least one).
size_t linesFitting(const StyledText& text, double height);
CGSize measure(const std::vector<Line>& lines, const StyledText& text);
// Draws the lines from top left, each aligned within width. yUp draws for a
// user space whose y grows upwards (text frames): the first line's top is
// origin.y and lines go down the page, which is towards smaller y.
void draw(CGContextRef c, const StyledText& text, const std::vector<Line>& lines, CGPoint origin, double width,
          UITextAlignment alignment, bool yUp);

// What a label shows: the font it draws with (smaller when it shrinks its
// text to fit), the rectangle its lines take in its bounds, and whether any
// of its text is left out or runs past its width.
struct LabelText {
    UIFontRef font;
    CGRect rect;
    bool cut = false;
};
LabelText labelText(const UILabel& label);

}  // namespace nxtext
