#include "platform/uikit/UIFont.h"

#include <cairo-ft.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H

#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <mutex>

#include "platform/uikit/UIColor.h"
#include "platform/uikit/detail/NXText.h"

namespace {

std::mutex& textLock()
{
    static std::mutex m;
    return m;
}

// The file of a Debian font: its usual path, else what fontconfig answers.
std::string findFontFile(const std::string& debianPath, const std::string& pattern)
{
    if (::access(debianPath.c_str(), R_OK) == 0) return debianPath;
    const std::string command = "fc-match -f '%{file}' '" + pattern + "' 2>/dev/null";
    std::string path;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        char buffer[512];
        while (size_t n = std::fread(buffer, 1, sizeof buffer, p)) path.append(buffer, n);
        ::pclose(p);
    }
    return ::access(path.c_str(), R_OK) == 0 ? path : std::string();
}

struct Face {
    FT_Face ft = nullptr;
    cairo_font_face_t* cairo = nullptr;
};

// Faces are opened once and live as long as the process.
class FontLibrary {
public:
    static FontLibrary& shared()
    {
        static FontLibrary library;
        return library;
    }
    const Face& latin(bool bold) { return bold ? bold_ : regular_; }
    const Face& chinese() { return chinese_; }

private:
    FontLibrary()
    {
        if (FT_Init_FreeType(&ft_) != 0) return;
        regular_ = open(findFontFile("/usr/share/fonts/truetype/liberation2/LiberationSans-Regular.ttf", "Liberation Sans"));
        bold_ = open(findFontFile("/usr/share/fonts/truetype/liberation2/LiberationSans-Bold.ttf", "Liberation Sans:bold"));
        chinese_ = open(findFontFile("/usr/share/fonts/truetype/wqy/wqy-microhei.ttc", "WenQuanYi Micro Hei"));
        if (!bold_.ft) bold_ = regular_;
    }
    Face open(const std::string& path)
    {
        Face f;
        if (path.empty() || FT_New_Face(ft_, path.c_str(), 0, &f.ft) != 0) return Face{};
        f.cairo = cairo_ft_font_face_create_for_ft_face(f.ft, FT_LOAD_NO_HINTING);
        return f;
    }
    FT_Library ft_ = nullptr;
    Face regular_, bold_, chinese_;
};

double unitsToPoints(FT_Face face, double units, double size) { return units * size / face->units_per_EM; }

}  // namespace

bool UIFont::isBold() const { return fontName_.str().find("Bold") != std::string::npos || fontName_.str().find("bold") != std::string::npos; }

CGFloat UIFont::ascender() const
{
    std::lock_guard lock(textLock());
    FT_Face f = FontLibrary::shared().latin(isBold()).ft;
    return f ? unitsToPoints(f, f->ascender, pointSize_) : pointSize_;
}

CGFloat UIFont::descender() const
{
    std::lock_guard lock(textLock());
    FT_Face f = FontLibrary::shared().latin(isBold()).ft;
    return f ? unitsToPoints(f, f->descender, pointSize_) : 0;
}

CGFloat UIFont::lineHeight() const
{
    std::lock_guard lock(textLock());
    FT_Face f = FontLibrary::shared().latin(isBold()).ft;
    return f ? unitsToPoints(f, f->height, pointSize_) : pointSize_;
}

// ---- The text engine ----------------------------------------------------------

namespace nxtext {

namespace {

constexpr char32_t kEllipsis = 0x2026;

std::u32string decode(const std::string& s)
{
    std::u32string out;
    for (size_t i = 0; i < s.size();) {
        const auto c = static_cast<unsigned char>(s[i]);
        const int n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
        char32_t cp = n == 1 ? c : c & (0x3F >> (n - 1));
        for (int k = 1; k < n && i + k < s.size(); ++k) cp = (cp << 6) | (static_cast<unsigned char>(s[i + k]) & 0x3F);
        out.push_back(cp);
        i += n;
    }
    return out;
}

bool isCJK(char32_t c)
{
    return (c >= 0x2E80 && c <= 0x9FFF) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFF00 && c <= 0xFFEF);
}

// One character as drawn: its face, glyph and advance in points.
struct Item {
    const Face* face = nullptr;
    FT_UInt glyph = 0;
    double advance = 0;
    size_t style = 0;
    char32_t ch = 0;
};

Item shapeChar(char32_t ch, size_t style, const StyledText& text)
{
    const UIFont& font = *text.styles[style].font;
    FontLibrary& lib = FontLibrary::shared();
    Item item{&lib.latin(font.isBold()), 0, 0, style, ch};
    if (!item.face->ft) return item;
    item.glyph = FT_Get_Char_Index(item.face->ft, ch);
    if (item.glyph == 0 && lib.chinese().ft) {
        if (FT_UInt g = FT_Get_Char_Index(lib.chinese().ft, ch)) {
            item.face = &lib.chinese();
            item.glyph = g;
        }
    }
    FT_Fixed units = 0;
    if (ch != '\n' && FT_Get_Advance(item.face->ft, item.glyph, FT_LOAD_NO_SCALE, &units) == 0)
        item.advance = unitsToPoints(item.face->ft, static_cast<double>(units), font.pointSize());
    return item;
}

std::vector<Item> shape(const StyledText& text)
{
    std::vector<Item> items;
    items.reserve(text.chars.size());
    for (size_t i = 0; i < text.chars.size(); ++i) items.push_back(shapeChar(text.chars[i], text.style[i], text));
    return items;
}

// The items a line shows, ellipsis included.
std::vector<Item> lineItems(const Line& line, const std::vector<Item>& shaped, const StyledText& text)
{
    std::vector<Item> out;
    const size_t styleAt = line.begin < shaped.size() ? shaped[line.begin].style : (shaped.empty() ? 0 : shaped.back().style);
    if (line.ellipsisAtStart) out.push_back(shapeChar(kEllipsis, styleAt, text));
    for (size_t i = line.begin; i < line.end; ++i) {
        if (line.middleResume > line.middleCut && i == line.middleCut) {
            out.push_back(shapeChar(kEllipsis, shaped[i].style, text));
            i = line.middleResume - 1;
            continue;
        }
        out.push_back(shaped[i]);
    }
    if (line.ellipsisAtEnd) out.push_back(shapeChar(kEllipsis, line.end > line.begin ? shaped[line.end - 1].style : styleAt, text));
    return out;
}

double itemsWidth(const std::vector<Item>& items)
{
    size_t n = items.size();
    while (n > 0 && (items[n - 1].ch == ' ' || items[n - 1].ch == '\t')) --n;  // trailing blanks take no room
    double w = 0;
    for (size_t i = 0; i < n; ++i) w += items[i].advance;
    return w;
}

void finishLine(Line& line, const std::vector<Item>& shaped, const StyledText& text)
{
    const auto items = lineItems(line, shaped, text);
    line.width = itemsWidth(items);
    line.ascent = 0;
    line.height = 0;
    std::vector<size_t> styles;
    for (const auto& it : items) styles.push_back(it.style);
    if (styles.empty()) styles.push_back(line.begin < shaped.size() ? shaped[line.begin].style : 0);
    for (size_t s : styles) {
        const auto& f = text.styles[s].font;
        FT_Face face = FontLibrary::shared().latin(f->isBold()).ft;
        if (!face) continue;
        line.ascent = std::max(line.ascent, unitsToPoints(face, face->ascender, f->pointSize()));
        line.height = std::max(line.height, unitsToPoints(face, face->height, f->pointSize()));
    }
}

void truncate(Line& line, double width, UILineBreakMode mode, const std::vector<Item>& shaped, const StyledText& text)
{
    auto fits = [&] {
        finishLine(line, shaped, text);
        return line.width <= width;
    };
    if (mode == UILineBreakModeTailTruncation) {
        line.ellipsisAtEnd = true;
        while (!fits() && line.end > line.begin) --line.end;
    } else if (mode == UILineBreakModeHeadTruncation) {
        line.ellipsisAtStart = true;
        while (!fits() && line.begin < line.end) ++line.begin;
    } else {
        const size_t mid = line.begin + (line.end - line.begin) / 2;
        line.middleCut = mid;
        line.middleResume = mid + 1;
        bool fromLeft = true;
        while (!fits() && (line.middleCut > line.begin || line.middleResume < line.end)) {
            if ((fromLeft && line.middleCut > line.begin) || line.middleResume >= line.end) --line.middleCut;
            else ++line.middleResume;
            fromLeft = !fromLeft;
        }
    }
    finishLine(line, shaped, text);
}

}  // namespace

StyledText plain(const NSString& s, const UIFontRef& font)
{
    StyledText t;
    t.chars = decode(s.isNil() ? std::string() : s.str());
    t.style.assign(t.chars.size(), 0);
    t.styles.push_back(Style{font ? font : UIFont::systemFontOfSize(17), nullptr});
    return t;
}

std::vector<Line> layout(const StyledText& text, double width, UILineBreakMode mode, size_t maxLines)
{
    std::lock_guard lock(textLock());
    const auto shaped = shape(text);
    const auto& chars = text.chars;
    const size_t n = chars.size();
    const bool wordWrap = mode != UILineBreakModeCharacterWrap;
    auto breakAfter = [&](size_t j) {
        return chars[j] == ' ' || chars[j] == '\t' || isCJK(chars[j]) || (j + 1 < n && isCJK(chars[j + 1]));
    };

    std::vector<Line> lines;
    std::vector<size_t> paragraphEnds;
    for (size_t p = 0;;) {
        size_t q = p;
        while (q < n && chars[q] != '\n') ++q;
        size_t i = p;
        do {
            const size_t start = i;
            double w = 0;
            size_t lastBreak = 0, j = i;
            for (; j < q; ++j) {
                const bool blank = chars[j] == ' ' || chars[j] == '\t';
                if (w + shaped[j].advance > width && j > start && !blank) break;
                w += shaped[j].advance;
                if (breakAfter(j)) lastBreak = j + 1;
            }
            size_t end = j;
            if (j < q && wordWrap && lastBreak > start) end = lastBreak;
            lines.push_back(Line{start, end});
            paragraphEnds.push_back(q);
            i = end;
            if (wordWrap)
                while (i < q && (chars[i] == ' ' || chars[i] == '\t')) ++i;
        } while (i < q);
        if (q >= n) break;
        p = q + 1;
    }

    const bool cut = maxLines > 0 && lines.size() > maxLines;
    if (cut) lines.resize(maxLines);
    for (auto& line : lines) finishLine(line, shaped, text);
    const bool truncating = mode == UILineBreakModeHeadTruncation || mode == UILineBreakModeTailTruncation ||
                            mode == UILineBreakModeMiddleTruncation;
    if (truncating && !lines.empty()) {
        Line& last = lines.back();
        const size_t paragraphEnd = paragraphEnds[lines.size() - 1];
        const bool more = cut && paragraphEnd > last.end;
        if (more) last.end = paragraphEnd;
        finishLine(last, shaped, text);
        if (more || last.width > width) truncate(last, width, mode, shaped, text);
    }
    return lines;
}

size_t linesFitting(const StyledText& text, double height)
{
    const double lh = text.styles.front().font->lineHeight();
    if (lh <= 0) return 0;
    const double lines = std::floor(height / lh + 1e-9);
    if (!(lines < 1e9)) return 0;  // no useful bound (also "largest float")
    return std::max<size_t>(1, static_cast<size_t>(std::max(lines, 1.0)));
}

CGSize measure(const std::vector<Line>& lines, const StyledText& text)
{
    double w = 0, h = 0;
    for (const auto& l : lines) {
        w = std::max(w, l.width);
        h += l.height;
    }
    return CGSizeMake(std::ceil(w - 1e-9), std::ceil(h - 1e-9));
}

void draw(CGContextRef c, const StyledText& text, const std::vector<Line>& lines, CGPoint origin, double width,
          UITextAlignment alignment, bool yUp)
{
    if (!c) return;
    std::lock_guard lock(textLock());
    const auto shaped = shape(text);
    cairo_t* cr = c->cairo();
    double top = 0;
    for (const auto& line : lines) {
        double x = origin.x;
        if (width < kUnbounded) {
            if (alignment == UITextAlignmentCenter) x += (width - line.width) / 2;
            else if (alignment == UITextAlignmentRight) x += width - line.width;
        }
        const double baseline = yUp ? origin.y - top - line.ascent : origin.y + top + line.ascent;
        const auto items = lineItems(line, shaped, text);
        for (size_t i = 0; i < items.size();) {
            // One run per face and style.
            size_t j = i;
            std::vector<cairo_glyph_t> glyphs;
            for (; j < items.size() && items[j].face == items[i].face && items[j].style == items[i].style; ++j) {
                glyphs.push_back(cairo_glyph_t{items[j].glyph, x, baseline});
                x += items[j].advance;
            }
            const Style& style = text.styles[items[i].style];
            if (items[i].face && items[i].face->cairo) {
                cairo_save(cr);
                CGContext::Paint paint = c->state().fill;
                if (style.color) paint = CGContext::Paint{style.color->red, style.color->green, style.color->blue, style.color->alpha, style.color->patternImage()};
                c->useSource(paint);
                cairo_set_font_face(cr, items[i].face->cairo);
                const double size = style.font->pointSize();
                cairo_matrix_t m;
                cairo_matrix_init_scale(&m, size, yUp ? -size : size);
                cairo_set_font_matrix(cr, &m);
                cairo_font_options_t* options = cairo_font_options_create();
                cairo_font_options_set_hint_style(options, CAIRO_HINT_STYLE_NONE);
                cairo_font_options_set_hint_metrics(options, CAIRO_HINT_METRICS_OFF);
                cairo_font_options_set_antialias(options, c->state().antialias ? CAIRO_ANTIALIAS_GRAY : CAIRO_ANTIALIAS_NONE);
                cairo_set_font_options(cr, options);
                cairo_font_options_destroy(options);
                cairo_show_glyphs(cr, glyphs.data(), static_cast<int>(glyphs.size()));
                cairo_restore(cr);
            }
            i = j;
        }
        top += line.height;
    }
}

}  // namespace nxtext

// ---- String drawing -----------------------------------------------------------------

using namespace nxtext;

CGSize sizeWithFont(const NSString& s, const UIFontRef& font)
{
    const auto text = plain(s, font);
    if (text.chars.empty()) return CGSizeMake(0, std::ceil(text.styles.front().font->lineHeight() - 1e-9));
    return measure(layout(text, kUnbounded, UILineBreakModeClip, 1), text);
}

CGSize sizeWithFont(const NSString& s, const UIFontRef& font, CGFloat width, UILineBreakMode mode)
{
    const auto text = plain(s, font);
    return measure(layout(text, width, mode, 1), text);
}

CGSize sizeWithFont(const NSString& s, const UIFontRef& font, CGSize size)
{
    return sizeWithFont(s, font, size, UILineBreakModeWordWrap);
}

CGSize sizeWithFont(const NSString& s, const UIFontRef& font, CGSize size, UILineBreakMode mode)
{
    const auto text = plain(s, font);
    return measure(layout(text, size.width, mode, linesFitting(text, size.height)), text);
}

CGSize drawAtPoint(const NSString& s, CGPoint point, const UIFontRef& font)
{
    return drawAtPoint(s, point, kUnbounded, font, UILineBreakModeClip);
}

CGSize drawAtPoint(const NSString& s, CGPoint point, CGFloat width, const UIFontRef& font, UILineBreakMode mode)
{
    const auto text = plain(s, font);
    const auto lines = layout(text, width, mode, 1);
    draw(UIGraphicsGetCurrentContext(), text, lines, point, kUnbounded, UITextAlignmentLeft, false);
    return measure(lines, text);
}

CGSize drawInRect(const NSString& s, CGRect rect, const UIFontRef& font)
{
    return drawInRect(s, rect, font, UILineBreakModeWordWrap, UITextAlignmentLeft);
}

CGSize drawInRect(const NSString& s, CGRect rect, const UIFontRef& font, UILineBreakMode mode)
{
    return drawInRect(s, rect, font, mode, UITextAlignmentLeft);
}

CGSize drawInRect(const NSString& s, CGRect rect, const UIFontRef& font, UILineBreakMode mode, UITextAlignment alignment)
{
    const auto text = plain(s, font);
    const auto lines = layout(text, rect.size.width, mode, linesFitting(text, rect.size.height));
    draw(UIGraphicsGetCurrentContext(), text, lines, rect.origin, rect.size.width, alignment, false);
    return measure(lines, text);
}
