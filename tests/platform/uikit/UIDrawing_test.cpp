// Drawing on cairo: contexts, paths, gradients, shadows, images, text and
// snapshots of view trees, checked pixel by pixel.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <limits>

#include "platform/uikit/NXSnapshot.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/detail/NXText.h"
#include "tools/imagefixtures/ImageFixtures.h"

namespace {

const NXPixel kRed{255, 0, 0, 255}, kBlue{0, 0, 255, 255}, kWhite{255, 255, 255, 255}, kBlack{0, 0, 0, 255}, kClear{0, 0, 0, 0};

// Runs draw in a fresh transparent context of the size (scale 1) and returns the image.
template <class F>
std::shared_ptr<UIImage> drawn(CGSize size, F&& draw)
{
    UIGraphicsBeginImageContextWithOptions(size, false, 1);
    draw(UIGraphicsGetCurrentContext());
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

NXPixel at(const std::shared_ptr<UIImage>& image, double x, double y) { return NXImagePixelAt(image, CGPointMake(x, y)); }

bool near(const NXPixel& p, const NXPixel& q, int tolerance = 3)
{
    return std::abs(p.r - q.r) <= tolerance && std::abs(p.g - q.g) <= tolerance && std::abs(p.b - q.b) <= tolerance &&
           std::abs(p.a - q.a) <= tolerance;
}

NSData jpegBytes(int w, int h, unsigned char r, unsigned char g, unsigned char b)
{
    imagefixtures::JpegLayout layout;
    layout.width = w;
    layout.height = h;
    return imagefixtures::uniformJpeg(layout, {r, g, b});
}

std::shared_ptr<UIImage> solidImage(CGSize size, const std::shared_ptr<UIColor>& color)
{
    return drawn(size, [&](CGContextRef c) {
        CGContextSetFillColorWithColor(c, color);
        CGContextFillRect(c, CGRectMake(0, 0, size.width, size.height));
    });
}

}  // namespace

TEST(UIDrawing, FillsStrokesAndFillRules)
{
    // Two squares wound the same way: non-zero fills the inner one, even-odd leaves a hole.
    auto nested = [](CGPathDrawingMode mode) {
        return drawn(CGSizeMake(40, 40), [&](CGContextRef c) {
            CGContextSetRGBFillColor(c, 1, 0, 0, 1);
            CGContextAddRect(c, CGRectMake(0, 0, 40, 40));
            CGContextAddRect(c, CGRectMake(10, 10, 20, 20));
            CGContextDrawPath(c, mode);
        });
    };
    EXPECT_EQ(at(nested(kCGPathFill), 20, 20), kRed);
    EXPECT_EQ(at(nested(kCGPathEOFill), 20, 20), kClear);
    EXPECT_EQ(at(nested(kCGPathEOFill), 5, 5), kRed);

    auto image = drawn(CGSizeMake(40, 40), [](CGContextRef c) {
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextSetRGBStrokeColor(c, 1, 0, 0, 1);
        CGContextSetLineWidth(c, 4);
        CGContextAddRect(c, CGRectMake(10, 10, 20, 20));
        CGContextDrawPath(c, kCGPathFillStroke);
    });
    EXPECT_EQ(at(image, 20, 20), kBlue);  // inside: fill
    EXPECT_EQ(at(image, 9, 20), kRed);    // the 4-wide stroke straddles the edge
    EXPECT_EQ(at(image, 11, 20), kRed);
    EXPECT_EQ(at(image, 5, 20), kClear);

    // Dashes leave gaps; the grey and alpha calls give what they say.
    auto dashed = drawn(CGSizeMake(40, 10), [](CGContextRef c) {
        const CGFloat dash[] = {10, 10};
        CGContextSetLineDash(c, 0, dash, 2);
        CGContextSetGrayStrokeColor(c, 0, 1);
        CGContextSetLineWidth(c, 4);
        CGContextMoveToPoint(c, 0, 5);
        CGContextAddLineToPoint(c, 40, 5);
        CGContextStrokePath(c);
    });
    EXPECT_EQ(at(dashed, 5, 5), kBlack);
    EXPECT_EQ(at(dashed, 15, 5), kClear);
    EXPECT_EQ(at(dashed, 25, 5), kBlack);
    auto half = drawn(CGSizeMake(4, 4), [](CGContextRef c) {
        CGContextSetAlpha(c, 0.5);
        CGContextSetGrayFillColor(c, 1, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 4, 4));
    });
    EXPECT_TRUE(near(at(half, 1, 1), NXPixel{255, 255, 255, 128}, 2));
}

TEST(UIDrawing, StateClippingAndTransforms)
{
    auto image = drawn(CGSizeMake(40, 40), [](CGContextRef c) {
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextSaveGState(c);
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextClipToRect(c, CGRectMake(0, 0, 10, 10));
        CGContextFillRect(c, CGRectMake(0, 0, 40, 40));  // only the clipped corner turns blue
        CGContextRestoreGState(c);
        CGContextFillRect(c, CGRectMake(30, 30, 10, 10));  // red again, and no clip
        CGContextTranslateCTM(c, 20, 0);
        CGContextScaleCTM(c, 2, 2);
        CGContextFillRect(c, CGRectMake(0, 0, 5, 5));  // lands at (20, 0)-(30, 10)
    });
    EXPECT_EQ(at(image, 5, 5), kBlue);
    EXPECT_EQ(at(image, 15, 15), kClear);
    EXPECT_EQ(at(image, 35, 35), kRed);
    EXPECT_EQ(at(image, 25, 5), kRed);
    EXPECT_EQ(at(image, 31, 5), kClear);

    // A quarter turn about the origin takes +x to +y.
    auto turned = drawn(CGSizeMake(20, 20), [](CGContextRef c) {
        CGContextRotateCTM(c, M_PI / 2);
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextFillRect(c, CGRectMake(0, -5, 20, 5));
    });
    EXPECT_EQ(at(turned, 2, 10), kBlue);
    EXPECT_EQ(at(turned, 10, 2), kClear);

    // Clipping to an ellipse path leaves the corners alone.
    auto round = drawn(CGSizeMake(20, 20), [](CGContextRef c) {
        CGContextAddEllipseInRect(c, CGRectMake(0, 0, 20, 20));
        CGContextClip(c);
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 20, 20));
    });
    EXPECT_EQ(at(round, 10, 10), kRed);
    EXPECT_EQ(at(round, 1, 1), kClear);
}

TEST(UIDrawing, ArcsRunAsTheViewSeesThem)
{
    // A pie from twelve o'clock, rising angles (clockwise flag 0): a quarter
    // covers the top right, not the top left.
    auto pie = drawn(CGSizeMake(40, 40), [](CGContextRef c) {
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextMoveToPoint(c, 20, 20);
        CGContextAddArc(c, 20, 20, 18, -M_PI / 2, 0, 0);
        CGContextClosePath(c);
        CGContextFillPath(c);
    });
    EXPECT_EQ(at(pie, 28, 12), kRed);
    EXPECT_EQ(at(pie, 12, 12), kClear);
    EXPECT_EQ(at(pie, 28, 28), kClear);

    // Arc-to-point corners round a rectangle: the corner pixel stays empty,
    // the middle of each side is filled.
    auto rounded = drawn(CGSizeMake(40, 40), [](CGContextRef c) {
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextMoveToPoint(c, 0, 20);
        CGContextAddArcToPoint(c, 0, 0, 20, 0, 10);
        CGContextAddArcToPoint(c, 40, 0, 40, 20, 10);
        CGContextAddArcToPoint(c, 40, 40, 20, 40, 10);
        CGContextAddArcToPoint(c, 0, 40, 0, 20, 10);
        CGContextClosePath(c);
        CGContextFillPath(c);
    });
    for (auto [x, y] : {std::pair{0.5, 0.5}, {39.5, 0.5}, {39.5, 39.5}, {0.5, 39.5}}) EXPECT_EQ(at(rounded, x, y), kClear) << x << "," << y;
    for (auto [x, y] : {std::pair{20.0, 0.5}, {39.5, 20.0}, {20.0, 39.5}, {0.5, 20.0}, {20.0, 20.0}}) EXPECT_EQ(at(rounded, x, y), kBlue) << x << "," << y;
}

TEST(UIDrawing, LinearGradientsAndShadows)
{
    const CGFloat components[] = {1, 0, 0, 1, 0, 0, 1, 1};
    const CGFloat locations[] = {0, 1};
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    auto image = [&](unsigned options) {
        return drawn(CGSizeMake(10, 100), [&](CGContextRef c) {
            CGContextDrawLinearGradient(c, gradient, CGPointMake(0, 25), CGPointMake(0, 75), options);
        });
    };
    auto both = image(kCGGradientDrawsBeforeStartLocation | kCGGradientDrawsAfterEndLocation);
    EXPECT_EQ(at(both, 5, 5), kRed);
    EXPECT_EQ(at(both, 5, 95), kBlue);
    const NXPixel middle = at(both, 5, 50);
    EXPECT_NEAR(middle.r, 128, 6);
    EXPECT_NEAR(middle.b, 128, 6);
    auto none = image(0);
    EXPECT_EQ(at(none, 5, 5), kClear);
    EXPECT_EQ(at(none, 5, 95), kClear);
    EXPECT_TRUE(near(at(none, 5, 26), kRed, 10));

    // The shadow falls at its offset in its colour; the shape covers it where they overlap.
    auto shadowed = drawn(CGSizeMake(40, 40), [](CGContextRef c) {
        CGContextSetShadowWithColor(c, CGSizeMake(10, 10), 0, UIColor::blueColor());
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(5, 5, 15, 15));
    });
    EXPECT_EQ(at(shadowed, 10, 10), kRed);
    EXPECT_EQ(at(shadowed, 25, 25), kBlue);
    EXPECT_EQ(at(shadowed, 35, 35), kClear);
    auto blurred = drawn(CGSizeMake(40, 40), [](CGContextRef c) {
        CGContextSetShadowWithColor(c, CGSizeMake(0, 10), 6, UIColor::blueColor());
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(10, 5, 20, 15));
    });
    const NXPixel edge = at(blurred, 20, 26);  // near the shadow's far edge: partly covered
    EXPECT_GT(edge.a, 0);
    EXPECT_LT(edge.a, 255);
}

TEST(UIDrawing, ImagesDecodeEncodeAndDraw)
{
    // PNG round trip keeps pixels, alpha included.
    auto source = drawn(CGSizeMake(4, 2), [](CGContextRef c) {
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 2, 2));
        CGContextSetRGBFillColor(c, 0, 0, 1, 0.5);
        CGContextFillRect(c, CGRectMake(2, 0, 2, 2));
    });
    const auto png = UIImagePNGRepresentation(source);
    ASSERT_TRUE(png);
    auto back = UIImage::imageWithData(*png);
    ASSERT_TRUE(back);
    EXPECT_EQ(back->size(), CGSizeMake(4, 2));
    EXPECT_EQ(at(back, 0, 0), kRed);
    EXPECT_TRUE(near(at(back, 3, 1), NXPixel{0, 0, 255, 128}, 2));

    auto jpeg = UIImage::imageWithData(jpegBytes(8, 6, 0, 200, 0));
    ASSERT_TRUE(jpeg);
    EXPECT_EQ(jpeg->size(), CGSizeMake(8, 6));
    EXPECT_TRUE(near(at(jpeg, 4, 3), NXPixel{0, 200, 0, 255}, 4));

    // Corrupt or foreign bytes give nil.
    NSData truncatedPNG(png->begin(), png->begin() + static_cast<long>(png->size() / 2));
    NSData truncatedJPEG = jpegBytes(8, 6, 1, 2, 3);
    truncatedJPEG.resize(truncatedJPEG.size() / 3);
    for (const NSData& bad : {truncatedPNG, truncatedJPEG, NSData{'G', 'I', 'F', '8', '9', 'a'}, NSData{}})
        EXPECT_EQ(UIImage::imageWithData(bad), nullptr);

    // A 1x1 colour image scaled up fills the whole rectangle.
    auto dot = solidImage(CGSizeMake(1, 1), UIColor::redColor());
    auto big = drawn(CGSizeMake(20, 20), [&](CGContextRef) { dot->drawInRect(CGRectMake(0, 0, 20, 20)); });
    EXPECT_EQ(at(big, 0, 0), kRed);
    EXPECT_EQ(at(big, 19, 19), kRed);

    // Stretchable caps keep their size: a 5-wide image (2 red, 1 white, 2 blue)
    // stretched to 40 keeps 2 red on the left and 2 blue on the right.
    auto striped = drawn(CGSizeMake(5, 1), [](CGContextRef c) {
        CGContextSetRGBFillColor(c, 1, 0, 0, 1);
        CGContextFillRect(c, CGRectMake(0, 0, 2, 1));
        CGContextSetRGBFillColor(c, 1, 1, 1, 1);
        CGContextFillRect(c, CGRectMake(2, 0, 1, 1));
        CGContextSetRGBFillColor(c, 0, 0, 1, 1);
        CGContextFillRect(c, CGRectMake(3, 0, 2, 1));
    })->stretchableImageWithLeftCapWidth(2, 0);
    auto stretched = drawn(CGSizeMake(40, 4), [&](CGContextRef) { striped->drawInRect(CGRectMake(0, 0, 40, 4)); });
    EXPECT_EQ(at(stretched, 0.5, 2), kRed);
    EXPECT_EQ(at(stretched, 20, 2), kWhite);
    EXPECT_EQ(at(stretched, 39.5, 2), kBlue);
    EXPECT_FALSE(near(at(stretched, 3, 2), kRed, 40));
    // Narrower than its two caps, the caps shrink alike to fit: both ends show.
    auto narrow = drawn(CGSizeMake(3, 4), [&](CGContextRef) { striped->drawInRect(CGRectMake(0, 0, 2, 4)); });
    EXPECT_TRUE(near(at(narrow, 0.5, 2), kRed, 40));
    EXPECT_TRUE(near(at(narrow, 1.5, 2), kBlue, 40));
    EXPECT_EQ(at(narrow, 2.5, 2).a, 0);  // nothing past the rectangle
}

TEST(UIDrawing, ImagesByNameWithScaleVariants)
{
    TempFolder dir;
    ::setenv("NX_RESOURCE_DIR", dir.path().UTF8String(), 1);
    auto write = [&](const std::string& file, CGSize size, const std::shared_ptr<UIColor>& color) {
        const auto png = UIImagePNGRepresentation(solidImage(size, color));
        std::ofstream((dir / file).str(), std::ios::binary).write(reinterpret_cast<const char*>(png->data()), static_cast<long>(png->size()));
    };
    write("arrow.png", CGSizeMake(10, 6), UIColor::redColor());
    write("arrow@2x.png", CGSizeMake(20, 12), UIColor::blueColor());
    write("only@2x.png", CGSizeMake(8, 8), UIColor::blueColor());
    std::ofstream((dir / "broken.png").str()) << "not an image";

    auto one = UIImage::imageNamed("arrow");
    ASSERT_TRUE(one);
    EXPECT_EQ(one->scale(), 1);
    EXPECT_EQ(one->size(), CGSizeMake(10, 6));
    EXPECT_EQ(at(one, 1, 1), kRed);
    auto onlyTwo = UIImage::imageNamed("only.png");
    ASSERT_TRUE(onlyTwo);
    EXPECT_EQ(onlyTwo->size(), CGSizeMake(4, 4));

    UIScreen::mainScreen().setScale(2);
    auto two = UIImage::imageNamed("arrow.png");
    UIScreen::mainScreen().setScale(1);
    ASSERT_TRUE(two);
    EXPECT_EQ(two->scale(), 2);
    EXPECT_EQ(two->size(), CGSizeMake(10, 6));
    EXPECT_EQ(at(two, 1, 1), kBlue);
    EXPECT_EQ(two->name(), "arrow.png");

    EXPECT_EQ(UIImage::imageNamed("missing"), nullptr);
    EXPECT_EQ(UIImage::imageNamed("broken"), nullptr);
    EXPECT_EQ(UIImage::imageNamed(NSString()), nullptr);
    ::unsetenv("NX_RESOURCE_DIR");
}

TEST(UIDrawing, ExternalBufferIsDrawnWithoutCopy)
{
    std::vector<uint32_t> pixels(4 * 3, 0xFF0000u);  // BGRX little endian: red
    auto image = CGImageCreateWithBGRXBuffer(pixels.data(), 4, 3, 16);
    ASSERT_TRUE(image);
    EXPECT_EQ(CGImageGetWidth(image), 4u);
    auto ui = UIImage::imageWithCGImage(image);
    EXPECT_EQ(at(drawn(CGSizeMake(4, 3), [&](CGContextRef) { ui->drawInRect(CGRectMake(0, 0, 4, 3)); }), 2, 1), kRed);
    std::fill(pixels.begin(), pixels.end(), 0x0000FFu);  // the engine repaints its bitmap
    EXPECT_EQ(at(drawn(CGSizeMake(4, 3), [&](CGContextRef) { ui->drawInRect(CGRectMake(0, 0, 4, 3)); }), 2, 1), kBlue);
    // The platform's own call puts the first row at the bottom of the rectangle.
    pixels.assign(pixels.size(), 0xFF0000u);
    std::fill(pixels.begin(), pixels.begin() + 4, 0x0000FFu);
    auto flipped = drawn(CGSizeMake(4, 3), [&](CGContextRef c) { CGContextDrawImage(c, CGRectMake(0, 0, 4, 3), image); });
    EXPECT_EQ(at(flipped, 1, 2.5), kBlue);
    EXPECT_EQ(at(flipped, 1, 0.5), kRed);
    EXPECT_EQ(CGImageCreateWithBGRXBuffer(pixels.data(), 4, 3, 10), nullptr);  // rows too short
    EXPECT_EQ(CGImageCreateWithBGRXBuffer(nullptr, 4, 3, 16), nullptr);
}

TEST(UIDrawing, FontsMeasureWithRealMetrics)
{
    auto font = UIFont::systemFontOfSize(16), bold = UIFont::boldSystemFontOfSize(16);
    const CGSize narrow = sizeWithFont("iiii", font), wide = sizeWithFont("WWWW", font);
    EXPECT_GT(wide.width, narrow.width * 2);
    EXPECT_GT(sizeWithFont("Loading", bold).width, sizeWithFont("Loading", font).width);
    EXPECT_EQ(narrow.height, std::ceil(font->lineHeight()));
    EXPECT_GT(font->lineHeight(), 16);
    EXPECT_LT(font->lineHeight(), 22);
    EXPECT_GT(font->ascender(), 0);
    EXPECT_LT(font->descender(), 0);
    // Chinese comes from the fallback face: about one em per character.
    const CGSize chinese = sizeWithFont("加载中", font);
    EXPECT_NEAR(chinese.width, 48, 4);
    EXPECT_EQ(sizeWithFont(NSString(), font).width, 0);
    EXPECT_NEAR(sizeWithFont("ab", UIFont::systemFontOfSize(32)).width, 2 * sizeWithFont("ab", font).width, 2);

    // Wrapping: words to the next line; height grows by whole lines and stops at the bound.
    const NSString text = "the quick brown fox jumps over the lazy dog";
    const CGFloat lh = font->lineHeight();
    const CGSize wrapped = sizeWithFont(text, font, CGSizeMake(100, 1000));
    EXPECT_LE(wrapped.width, 100);
    EXPECT_GE(wrapped.height, std::floor(lh * 4));
    EXPECT_EQ(sizeWithFont(text, font, CGSizeMake(100, std::numeric_limits<CGFloat>::max())), wrapped);
    const CGSize two = sizeWithFont(text, font, CGSizeMake(100, lh * 2 + 1));
    EXPECT_EQ(two.height, std::ceil(lh * 2 - 1e-9));
    const CGSize chars = sizeWithFont("abcdefghijklmnopqrstuvwxyz", font, CGSizeMake(60, 1000), UILineBreakModeCharacterWrap);
    EXPECT_LE(chars.width, 60);
    EXPECT_GT(chars.height, lh * 3);

    // Truncation keeps within the width and is narrower than the whole text.
    for (auto mode : {UILineBreakModeTailTruncation, UILineBreakModeHeadTruncation, UILineBreakModeMiddleTruncation}) {
        const CGSize cut = sizeWithFont(text, font, 80, mode);
        EXPECT_LE(cut.width, 80) << mode;
        EXPECT_GT(cut.width, 40) << mode;
    }
}

// Screens are laid out for the device's Helvetica: its advances are kept, so
// a title measures here what it measures there.
TEST(UIDrawing, LatinTextTakesTheDevicesWidths)
{
    // Helvetica's advances in thousandths of an em: F 611, a 556, m 833, i l 222,
    // y 500, space 278, o n 556, c 500, t 278; 6668 in all.
    EXPECT_EQ(sizeWithFont("Family location", UIFont::systemFontOfSize(17)).width, std::ceil(6.668 * 17));
    // Bold: T 611, i 278, m 889, e s 556, space 278, t 333; 4057 in all.
    EXPECT_EQ(sizeWithFont("Time set", UIFont::boldSystemFontOfSize(20)).width, std::ceil(4.057 * 20));
}

TEST(UIDrawing, AOneLineLabelShrinksItsTextToFitDownToItsMinimum)
{
    auto inkRows = [](UILabel& label) {
        auto image = NXSnapshotImage(&label, 1);
        int rows = 0;
        for (int y = 0; y < label.bounds().size.height; ++y) {
            bool ink = false;
            for (int x = 0; x < label.bounds().size.width && !ink; ++x) ink = at(image, x + 0.5, y + 0.5).a > 128;
            rows += ink;
        }
        return rows;
    };
    auto label = UILabel::initWithFrame(CGRectMake(0, 0, 100, 20));
    label->font = UIFont::systemFontOfSize(14);
    label->setText("Exact time set to the minute");  // 171 points at 14
    EXPECT_TRUE(nxtext::labelText(*label).cut);
    const int full = inkRows(*label);
    label->adjustsFontSizeToFitWidth = true;
    EXPECT_FALSE(nxtext::labelText(*label).cut);
    EXPECT_LT(nxtext::labelText(*label).font->pointSize(), 8.5);
    EXPECT_LT(inkRows(*label), full * 3 / 4);  // drawn at the smaller size
    label->minimumFontSize = 10;  // no smaller: cut again
    EXPECT_TRUE(nxtext::labelText(*label).cut);
    EXPECT_EQ(nxtext::labelText(*label).font->pointSize(), 10);
    label->numberOfLines = 2;  // only one-line labels shrink
    label->setFrame(CGRectMake(0, 0, 100, 40));
    EXPECT_EQ(nxtext::labelText(*label).font->pointSize(), 14);
}

TEST(UIDrawing, TextDrawsInTheFillColourWhereAligned)
{
    auto font = UIFont::boldSystemFontOfSize(20);
    auto inkSpan = [](const std::shared_ptr<UIImage>& image, int width, int height) {
        int minX = width, maxX = -1;
        for (int y = 0; y < height; ++y)
            for (int x = 0; x < width; ++x)
                if (at(image, x + 0.5, y + 0.5).a > 128) minX = std::min(minX, x), maxX = std::max(maxX, x);
        return std::pair{minX, maxX};
    };
    auto draw = [&](UITextAlignment alignment) {
        return drawn(CGSizeMake(200, 30), [&](CGContextRef c) {
            CGContextSetRGBFillColor(c, 1, 0, 0, 1);
            drawInRect("HUD", CGRectMake(0, 0, 200, 30), font, UILineBreakModeTailTruncation, alignment);
        });
    };
    const double w = sizeWithFont("HUD", font).width;
    const auto left = inkSpan(draw(UITextAlignmentLeft), 200, 30);
    const auto centre = inkSpan(draw(UITextAlignmentCenter), 200, 30);
    const auto right = inkSpan(draw(UITextAlignmentRight), 200, 30);
    EXPECT_LT(left.first, 4);
    EXPECT_NEAR((centre.first + centre.second) / 2.0, 100, 3);
    EXPECT_GT(right.second, 195);
    EXPECT_NEAR(left.second - left.first, w, 4);
    // Ink is the fill colour.
    auto image = draw(UITextAlignmentLeft);
    bool red = false;
    for (int x = 0; x < 60; ++x) red = red || at(image, x, 12) == kRed;
    EXPECT_TRUE(red);
}

TEST(UIDrawing, SnapshotsOfViewTrees)
{
    NXUITestDriver driver;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 100, 100));
    root->setBackgroundColor(UIColor::whiteColor());
    auto card = UIView::initWithFrame(CGRectMake(10, 10, 60, 60));
    card->setBackgroundColor(UIColor::blueColor());
    card->layer()->cornerRadius = 10;
    card->layer()->borderWidth = 2;
    card->layer()->borderColor = UIColor::redColor();
    card->setClipsToBounds(true);
    auto overflow = UIView::initWithFrame(CGRectMake(40, 40, 40, 40));  // pokes out of the card: clipped
    overflow->setBackgroundColor(UIColor::greenColor());
    card->addSubview(overflow);
    auto hidden = UIView::initWithFrame(CGRectMake(0, 80, 20, 20));
    hidden->setBackgroundColor(UIColor::redColor());
    hidden->setHidden(true);
    auto faint = UIView::initWithFrame(CGRectMake(80, 80, 20, 20));
    faint->setBackgroundColor(UIColor::blackColor());
    faint->setAlpha(0.5);
    auto label = UILabel::initWithFrame(CGRectMake(0, 75, 80, 25));
    label->setText("Hello");
    label->textColor = UIColor::redColor();
    label->setBackgroundColor(UIColor::clearColor());
    root->addSubview(card);
    root->addSubview(hidden);
    root->addSubview(faint);
    root->addSubview(label);
    driver.window()->addSubview(root);

    auto image = NXSnapshotImage(root.get());
    ASSERT_TRUE(image);
    EXPECT_EQ(image->size(), CGSizeMake(100, 100));
    EXPECT_EQ(at(image, 5, 5), kWhite);                     // background
    EXPECT_EQ(at(image, 10.5, 10.5), kWhite);               // rounded corner of the card
    EXPECT_EQ(at(image, 40, 11), kRed);                     // its border
    EXPECT_EQ(at(image, 30, 30), kBlue);                    // its face
    EXPECT_EQ(at(image, 60, 60), (NXPixel{0, 255, 0, 255}));  // the subview inside the card
    EXPECT_EQ(at(image, 75, 60), kWhite);                   // the part clipped away
    EXPECT_EQ(at(image, 5, 95), kWhite);                    // hidden: not drawn
    EXPECT_TRUE(near(at(image, 90, 90), NXPixel{128, 128, 128, 255}, 2));  // half alpha over white
    int redInk = 0;
    for (int x = 0; x < 80; ++x)
        for (int y = 76; y < 100; ++y) redInk += at(image, x, y).r > 200 && at(image, x, y).g < 80;
    EXPECT_GT(redInk, 20);  // the label's text

    // Scale 2 doubles the pixels; a scrolled root shows what lies at its offset.
    auto sharp = NXSnapshotImage(root.get(), 2);
    EXPECT_EQ(CGImageGetWidth(sharp->CGImage()), 200u);
    EXPECT_EQ(at(sharp, 30, 30), kBlue);
    root->setBounds(CGRectMake(20, 20, 100, 100));
    EXPECT_EQ(at(NXSnapshotImage(root.get()), 10, 10), kBlue);

    TempFolder dir;
    const auto path = (dir / "root.png").str();
    ASSERT_TRUE(NXSnapshotToPNG(root.get(), path));
    auto read = UIImage::imageWithContentsOfFile(path);
    ASSERT_TRUE(read);
    EXPECT_EQ(at(read, 10, 10), kBlue);
    EXPECT_FALSE(NXSnapshotToPNG(root.get(), (dir / "no/such.png").str()));
    EXPECT_EQ(NXSnapshotImage(nullptr), nullptr);
}

TEST(UIDrawing, ButtonsAndImageViewsDrawTheirContent)
{
    NXUITestDriver driver;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 120, 60));
    root->setBackgroundColor(UIColor::blackColor());
    auto button = UIButton::buttonWithType(UIButtonTypeCustom);
    button->setFrame(CGRectMake(0, 0, 120, 30));
    button->setBackgroundImage(solidImage(CGSizeMake(4, 4), UIColor::blueColor()), UIControlStateNormal);
    button->setTitle("OK", UIControlStateNormal);
    auto imageView = UIImageView::initWithImage(solidImage(CGSizeMake(10, 10), UIColor::redColor()));
    imageView->setFrame(CGRectMake(0, 30, 60, 30));
    imageView->setContentMode(UIViewContentModeCenter);
    root->addSubview(button);
    root->addSubview(imageView);
    auto image = NXSnapshotImage(root.get());
    EXPECT_EQ(at(image, 2, 2), kBlue);  // background image stretched
    int white = 0;
    for (int x = 40; x < 80; ++x)
        for (int y = 5; y < 25; ++y) white += at(image, x, y).r > 200 && at(image, x, y).b > 200 && at(image, x, y).g > 200;
    EXPECT_GT(white, 10);  // the white title in the middle
    EXPECT_EQ(at(image, 30, 45), kRed);   // centred image
    EXPECT_EQ(at(image, 10, 45), kBlack);  // not stretched
}

TEST(UIDrawing, SwitchesSegmentsAndPageDotsDrawTheirState)
{
    NXUITestDriver driver;
    auto root = UIView::initWithFrame(CGRectMake(0, 0, 300, 130));
    const NXPixel ground{51, 51, 51, 255}, blueTrack{41, 112, 227, 255}, offTrack{237, 237, 237, 255};
    root->setBackgroundColor(UIColor::colorWithWhite(0.2, 1));
    auto off = UISwitch::initWithFrame(CGRectMake(10, 10, 0, 0));
    auto on = UISwitch::initWithFrame(CGRectMake(10, 50, 0, 0));
    on->setOn(true);
    auto segments = UISegmentedControl::initWithItems({"Day", "Week", "Month"});
    segments->setFrame(CGRectMake(120, 10, 150, 30));
    segments->setSelectedSegmentIndex(1);
    auto tinted = UISegmentedControl::initWithItems({"A", "B"});
    tinted->setFrame(CGRectMake(10, 95, 100, 30));
    tinted->tintColor = UIColor::redColor();
    tinted->setSelectedSegmentIndex(0);
    auto dots = UIPageControl::initWithFrame(CGRectMake(120, 60, 150, 30));
    dots->setNumberOfPages(5);
    dots->setCurrentPage(2);
    auto single = UIPageControl::initWithFrame(CGRectMake(120, 95, 150, 30));
    single->setNumberOfPages(1);
    single->hidesForSinglePage = true;
    for (const auto& v : std::vector<std::shared_ptr<UIView>>{off, on, segments, tinted, dots, single}) root->addSubview(v);
    driver.window()->addSubview(root);
    const auto image = NXSnapshotImage(root.get());

    // Switches: the knob at the left on a light track when off, at the right on a blue one when on.
    EXPECT_TRUE(near(at(image, 90, 23), offTrack)) << at(image, 90, 23).r;
    EXPECT_EQ(at(image, 23, 23), kWhite);
    EXPECT_TRUE(near(at(image, 22, 63), blueTrack));
    EXPECT_EQ(at(image, 90, 63), kWhite);

    // Segments: the selected one filled (blue, or the tint), the others white,
    // each with its title in ink that differs from its face.
    EXPECT_EQ(at(image, 135, 13), kWhite);
    EXPECT_TRUE(near(at(image, 185, 13), blueTrack));
    EXPECT_EQ(at(image, 255, 13), kWhite);
    EXPECT_EQ(at(image, 20, 98), kRed);
    EXPECT_EQ(at(image, 95, 98), kWhite);
    auto inkIn = [&](int x0, int x1, int y0, int y1, auto pred) {
        int n = 0;
        for (int x = x0; x < x1; ++x)
            for (int y = y0; y < y1; ++y) n += pred(at(image, x + 0.5, y + 0.5));
        return n;
    };
    auto darkInk = [](const NXPixel& p) { return p.r < 120 && p.g < 120 && p.b < 120; };
    auto whiteInk = [](const NXPixel& p) { return p.r > 200 && p.g > 200 && p.b > 200; };
    EXPECT_GT(inkIn(125, 165, 16, 34, darkInk), 10);
    EXPECT_GT(inkIn(175, 215, 16, 34, whiteInk), 10);
    EXPECT_GT(inkIn(225, 265, 16, 34, darkInk), 10);

    // Dots centred in the bounds: the current page's white, the others half
    // white, nothing between them; a single page that hides draws nothing.
    EXPECT_EQ(at(image, 195, 75), kWhite);
    EXPECT_TRUE(near(at(image, 163, 75), NXPixel{153, 153, 153, 255}, 2));
    EXPECT_TRUE(near(at(image, 227, 75), NXPixel{153, 153, 153, 255}, 2));
    EXPECT_EQ(at(image, 187, 75), ground);
    EXPECT_EQ(at(image, 195, 110), ground);
    EXPECT_EQ(inkIn(120, 270, 95, 125, [&](const NXPixel& p) { return !(p == ground); }), 0);
}
