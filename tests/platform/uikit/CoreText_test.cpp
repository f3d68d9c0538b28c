// Attributed strings and their drawing through Core Text frames: runs of their
// own font and colour, Latin and Chinese, wrapped inside the frame's rectangle
// of a flipped (y-up) context, checked pixel by pixel.

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "platform/foundation/NSException.h"
#include "platform/uikit/CoreText.h"
#include "platform/uikit/NXSnapshot.h"
#include "platform/uikit/UIColor.h"
#include "platform/uikit/UIStringDrawing.h"

namespace {

NXPixel at(const std::shared_ptr<UIImage>& image, double x, double y) { return NXImagePixelAt(image, CGPointMake(x, y)); }

bool isRed(const NXPixel& p) { return p.r > 150 && p.g < 110 && p.b < 110; }
bool isDark(const NXPixel& p) { return p.r < 110 && p.g < 110 && p.b < 110; }
bool isInk(const NXPixel& p) { return p.r < 200 || p.g < 200 || p.b < 200; }

// Where pixels of a kind lie in an image: their box and count.
struct Ink {
    int minX = 1 << 20, minY = 1 << 20, maxX = -1, maxY = -1, count = 0;
    double sumY = 0;
    double meanY() const { return count ? sumY / count : 0; }
};
template <class Pred>
Ink inkOf(const std::shared_ptr<UIImage>& image, int width, int height, Pred pred)
{
    Ink ink;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (pred(at(image, x + 0.5, y + 0.5))) {
                ink.minX = std::min(ink.minX, x), ink.maxX = std::max(ink.maxX, x);
                ink.minY = std::min(ink.minY, y), ink.maxY = std::max(ink.maxY, y);
                ++ink.count;
                ink.sumY += y;
            }
    return ink;
}

constexpr int kWidth = 200, kHeight = 140;

// A white image with draw run in a user space flipped as a view flips for Core
// Text: y grows upwards from the image's bottom edge.
template <class F>
std::shared_ptr<UIImage> drawnFlipped(F&& draw)
{
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(kWidth, kHeight), false, 1);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextFillRect(c, CGRectMake(0, 0, kWidth, kHeight));
    CGContextSaveGState(c);
    CGContextScaleCTM(c, 1, -1);
    CGContextTranslateCTM(c, 0, -kHeight);
    draw(c);
    CGContextRestoreGState(c);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

const NSString kHead = "Bold 红色";
const NSString kTail = " then plain words and 中文的句子 wrapping over the lines";

// A bold red run, then a plain run with a font but no colour (black).
std::shared_ptr<NSMutableAttributedString> twoRuns()
{
    auto s = NSMutableAttributedString::initWithString(NSString(kHead.str() + kTail.str()));
    s->addAttribute(kCTFontAttributeName, CTFontCreateWithName("System", 14), NSMakeRange(0, s->length()));
    s->addAttribute(kCTFontAttributeName, CTFontCreateWithName("System-Bold", 18), NSMakeRange(0, kHead.length()));
    s->addAttribute(kCTForegroundColorAttributeName, UIColor::redColor()->CGColor(), NSMakeRange(0, kHead.length()));
    return s;
}

std::shared_ptr<UIImage> frameDrawn(const std::shared_ptr<NSAttributedString>& s, CFRange range, CGRect rect)
{
    return drawnFlipped([&](CGContextRef c) {
        auto path = CGPathCreateMutable();
        CGPathAddRect(path, nullptr, rect);
        auto frame = CTFramesetterCreateFrame(CTFramesetterCreateWithAttributedString(s), range, path);
        CGContextSetTextPosition(c, 0, 0);
        CTFrameDraw(frame, c);
    });
}

}  // namespace

TEST(CoreText, AttributedStringsKeepRunsOverUTF16Units)
{
    auto s = NSMutableAttributedString::initWithString("ab中文😀cd");
    ASSERT_EQ(s->length(), 8u);  // the emoji takes two units
    auto red = UIColor::redColor()->CGColor();
    auto font = CTFontCreateWithName("System", 14);
    s->addAttribute(kCTForegroundColorAttributeName, red, NSMakeRange(1, 4));
    s->addAttribute(kCTFontAttributeName, font, NSMakeRange(3, 5));

    struct Case {
        NSUInteger index;
        NSRange run;
        bool colour, font;
    };
    for (const Case& k : {Case{0, {0, 1}, false, false}, Case{2, {1, 2}, true, false}, Case{4, {3, 2}, true, true},
                          Case{6, {5, 3}, false, true}, Case{7, {5, 3}, false, true}}) {
        NSRange run;
        const NSAttributes a = s->attributesAtIndex(k.index, &run);
        EXPECT_EQ(run, k.run) << k.index;
        EXPECT_EQ(a.count(kCTForegroundColorAttributeName) == 1, k.colour) << k.index;
        EXPECT_EQ(a.count(kCTFontAttributeName) == 1, k.font) << k.index;
    }
    EXPECT_EQ(s->attributesAtIndex(2, nullptr).at(kCTForegroundColorAttributeName), red);
    // A later value over part of a run replaces it there only.
    auto blue = UIColor::blueColor()->CGColor();
    s->addAttribute(kCTForegroundColorAttributeName, blue, NSMakeRange(2, 1));
    EXPECT_EQ(s->attributesAtIndex(2, nullptr).at(kCTForegroundColorAttributeName), blue);
    EXPECT_EQ(s->attributesAtIndex(1, nullptr).at(kCTForegroundColorAttributeName), red);
    EXPECT_EQ(s->attributesAtIndex(3, nullptr).at(kCTForegroundColorAttributeName), red);

    // Misuse raises as the platform does; an empty range at the end is fine.
    EXPECT_THROW(s->addAttribute(kCTFontAttributeName, font, NSMakeRange(6, 3)), NSException);
    EXPECT_THROW(s->addAttribute(kCTFontAttributeName, nullptr, NSMakeRange(0, 1)), NSException);
    EXPECT_THROW(s->attributesAtIndex(8, nullptr), NSException);
    EXPECT_NO_THROW(s->addAttribute(kCTFontAttributeName, font, NSMakeRange(8, 0)));
    EXPECT_EQ(NSMutableAttributedString::initWithString(NSString())->string(), NSString(""));
    EXPECT_EQ(NSMutableAttributedString::init()->length(), 0u);
}

TEST(CoreText, FramesDrawEachRunInItsFontAndColourInsideTheRectangle)
{
    // The frame's rectangle in the flipped space: x 10..140, y 20..130, which
    // is image rows 10..120.
    const CGRect rect = CGRectMake(10, 20, 130, 110);
    const auto bold = UIFont::boldSystemFontOfSize(18);
    const auto image = frameDrawn(twoRuns(), CFRangeMake(0, 0), rect);

    // The bold run: red, on the first line, upright and as wide as the same
    // text drawn by string drawing.
    const Ink red = inkOf(image, kWidth, kHeight, isRed);
    ASSERT_GT(red.count, 50);
    EXPECT_GE(red.minX, 10);
    EXPECT_NEAR(red.maxX - 10, sizeWithFont(kHead, bold).width, 3);
    EXPECT_GE(red.minY, 10);
    EXPECT_LT(red.maxY, 10 + bold->lineHeight());
    const auto upright = drawnFlipped([&](CGContextRef c) {
        CGContextScaleCTM(c, 1, -1);  // back to y-down
        CGContextTranslateCTM(c, 0, -kHeight);
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        drawInRect(kHead, CGRectMake(10, 10, 130, 40), bold);
    });
    const Ink expected = inkOf(upright, kWidth, kHeight, isRed);
    EXPECT_NEAR(red.meanY(), expected.meanY(), 1);
    EXPECT_NEAR(red.minY, expected.minY, 1);
    EXPECT_NEAR(red.count, expected.count, expected.count / 10);

    // The plain run: black by default, wrapped over several lines, and no ink
    // at all outside the rectangle.
    const Ink dark = inkOf(image, kWidth, kHeight, isDark);
    EXPECT_GT(dark.count, 200);
    EXPECT_GT(dark.maxY, 10 + bold->lineHeight() + 2 * UIFont::systemFontOfSize(14)->lineHeight());
    const Ink all = inkOf(image, kWidth, kHeight, isInk);
    EXPECT_GE(all.minX, 10);
    EXPECT_LE(all.maxX, 140);
    EXPECT_GE(all.minY, 10);
    EXPECT_LE(all.maxY, 120);
    // Dark ink right of the red run on the first line: the plain run carries on there.
    const Ink firstLine = inkOf(image, kWidth, 10 + static_cast<int>(bold->lineHeight()), isDark);
    EXPECT_GT(firstLine.count, 0);
    EXPECT_GT(firstLine.minX, red.maxX);
}

TEST(CoreText, FramesShowOnlyWholeLinesAndTheirRange)
{
    const auto bold = UIFont::boldSystemFontOfSize(18);
    const double firstLine = std::ceil(bold->lineHeight());
    struct Case {
        const char* name;
        CFRange range;
        CGRect rect;
        bool red;
        double maxInkRow;  // ink ends above this image row
    };
    const Case cases[] = {
        // A rectangle one line high (rows 0..firstLine) shows the first line only.
        {"one line", CFRangeMake(0, 0), CGRectMake(0, kHeight - firstLine, 190, firstLine), true, firstLine},
        // Too low for any line: nothing.
        {"no line", CFRangeMake(0, 0), CGRectMake(0, kHeight - 8, 190, 8), false, 0},
        // From the plain run on: no red, and the text starts at the top.
        {"tail range", CFRangeMake(static_cast<CFIndex>(kHead.length()), 0), CGRectMake(0, 0, 190, kHeight), false, kHeight},
        // A range reaching past the end is cut there.
        {"long range", CFRangeMake(0, 1000), CGRectMake(0, 0, 190, kHeight), true, kHeight},
    };
    for (const Case& k : cases) {
        const auto image = frameDrawn(twoRuns(), k.range, k.rect);
        const Ink red = inkOf(image, kWidth, kHeight, isRed), all = inkOf(image, kWidth, kHeight, isInk);
        EXPECT_EQ(red.count > 0, k.red) << k.name;
        if (k.maxInkRow == 0) {
            EXPECT_EQ(all.count, 0) << k.name;
            continue;
        }
        EXPECT_GT(all.count, 0) << k.name;
        EXPECT_LT(all.maxY, k.maxInkRow) << k.name;
        EXPECT_LT(all.minY, 6) << k.name;
    }
    // Null arguments draw nothing and do not fail.
    EXPECT_EQ(CTFramesetterCreateWithAttributedString(nullptr), nullptr);
    EXPECT_EQ(CTFramesetterCreateFrame(nullptr, CFRangeMake(0, 0), CGPathCreateMutable()), nullptr);
    EXPECT_EQ(inkOf(drawnFlipped([](CGContextRef c) { CTFrameDraw(nullptr, c); }), kWidth, kHeight, isInk).count, 0);
    // The framesetter keeps its own copy of the string.
    auto s = twoRuns();
    auto framesetter = CTFramesetterCreateWithAttributedString(s);
    s->addAttribute(kCTForegroundColorAttributeName, UIColor::redColor()->CGColor(), NSMakeRange(0, s->length()));
    auto path = CGPathCreateMutable();
    CGPathAddRect(path, nullptr, CGRectMake(0, 0, 190, kHeight));
    const auto image = drawnFlipped([&](CGContextRef c) { CTFrameDraw(CTFramesetterCreateFrame(framesetter, CFRangeMake(0, 0), path), c); });
    EXPECT_GT(inkOf(image, kWidth, kHeight, isDark).count, 200);
}

TEST(CoreText, PathsOfRectangles)
{
    auto path = CGPathCreateMutable();
    EXPECT_EQ(CGPathGetBoundingBox(path), CGRectZero);
    CGPathAddRect(path, nullptr, CGRectMake(10, 20, 30, 40));
    const CGAffineTransform shift = CGAffineTransformMakeTranslation(100, 0);
    CGPathAddRect(path, &shift, CGRectMake(0, 0, 5, 5));
    EXPECT_EQ(CGPathGetBoundingBox(path), CGRectMake(10, 0, 95, 60));
    const CGAffineTransform flip = CGAffineTransformMakeScale(1, -1);
    auto flipped = CGPathCreateMutable();
    CGPathAddRect(flipped, &flip, CGRectMake(0, 10, 20, 30));
    EXPECT_EQ(CGPathGetBoundingBox(flipped), CGRectMake(0, -40, 20, 30));
    EXPECT_EQ(CGPathGetBoundingBox(nullptr), CGRectZero);
}
