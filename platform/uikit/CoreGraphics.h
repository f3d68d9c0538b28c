#pragma once
// Drawing contexts on cairo image surfaces, in the platform's own calls:
// graphics state, colours, paths, fills and strokes, clipping, transforms,
// gradients, images and shadows. UIKit contexts have their origin at the top
// left with y growing downwards.
//
// Cairo has one source where the platform has a fill and a stroke colour, a
// global alpha and a shadow: those live in the context's own state, which
// CGContextSaveGState / RestoreGState push and pop together with cairo's.

#include <cairo.h>

#include <functional>
#include <memory>
#include <vector>

#include "platform/uikit/UIGeometry.h"

class UIColor;
class UIImage;

using CGColorRef = std::shared_ptr<UIColor>;

// ---- Images ------------------------------------------------------------------

// Pixels held by a cairo image surface: premultiplied ARGB, or, for an
// external BGRX buffer, that buffer itself (no copy; its owner is kept alive).
class CGImage {
public:
    CGImage(cairo_surface_t* surface, std::shared_ptr<const void> owner = nullptr);
    ~CGImage();
    CGImage(const CGImage&) = delete;
    CGImage& operator=(const CGImage&) = delete;
    size_t width() const;
    size_t height() const;
    cairo_surface_t* surface() const { return surface_; }

private:
    cairo_surface_t* surface_;
    std::shared_ptr<const void> owner_;
};
using CGImageRef = std::shared_ptr<CGImage>;

inline size_t CGImageGetWidth(const CGImageRef& image) { return image ? image->width() : 0; }
inline size_t CGImageGetHeight(const CGImageRef& image) { return image ? image->height() : 0; }
// An image over width x height pixels of 4 bytes (blue, green, red, unused) with
// bytesPerRow bytes per row, drawn straight from the buffer; owner (may be
// null) is kept alive as long as the image. Null for a bad size or row length.
CGImageRef CGImageCreateWithBGRXBuffer(void* data, size_t width, size_t height, size_t bytesPerRow,
                                       std::shared_ptr<const void> owner = nullptr);

// ---- Colour spaces and gradients -------------------------------------------

enum CGColorSpaceModel { kCGColorSpaceModelMonochrome = 0, kCGColorSpaceModelRGB = 1 };
struct CGColorSpace {
    CGColorSpaceModel model = kCGColorSpaceModelRGB;
};
using CGColorSpaceRef = std::shared_ptr<CGColorSpace>;
CGColorSpaceRef CGColorSpaceCreateDeviceRGB();
CGColorSpaceRef CGColorSpaceCreateDeviceGray();

struct CGGradientStop {
    CGFloat location, red, green, blue, alpha;
};
struct CGGradient {
    std::vector<CGGradientStop> stops;
};
using CGGradientRef = std::shared_ptr<CGGradient>;
// Components per stop as the colour space has them (RGBA or grey and alpha);
// locations may be null for stops spread evenly from 0 to 1.
CGGradientRef CGGradientCreateWithColorComponents(const CGColorSpaceRef& space, const CGFloat* components,
                                                  const CGFloat* locations, size_t count);
CGGradientRef CGGradientCreateWithColors(const CGColorSpaceRef& space, const std::vector<CGColorRef>& colors,
                                         const CGFloat* locations);
enum CGGradientDrawingOptions : unsigned {
    kCGGradientDrawsBeforeStartLocation = 1 << 0,
    kCGGradientDrawsAfterEndLocation = 1 << 1,
};

// ---- The context -------------------------------------------------------------

enum CGLineCap { kCGLineCapButt = 0, kCGLineCapRound = 1, kCGLineCapSquare = 2 };
enum CGLineJoin { kCGLineJoinMiter = 0, kCGLineJoinRound = 1, kCGLineJoinBevel = 2 };
enum CGPathDrawingMode { kCGPathFill = 0, kCGPathEOFill = 1, kCGPathStroke = 2, kCGPathFillStroke = 3, kCGPathEOFillStroke = 4 };
enum CGBlendMode { kCGBlendModeNormal = 0, kCGBlendModeCopy = 16, kCGBlendModeClear = 17 };

class CGContext {
public:
    // Draws into the surface (kept alive by the context).
    explicit CGContext(cairo_surface_t* surface);
    ~CGContext();
    CGContext(const CGContext&) = delete;
    CGContext& operator=(const CGContext&) = delete;

    cairo_t* cairo() const { return cr_; }
    cairo_surface_t* surface() const { return surface_; }

    struct Paint {
        CGFloat r = 0, g = 0, b = 0, a = 1;
        std::shared_ptr<UIImage> pattern;  // a pattern image colour
    };
    struct State {
        Paint fill, stroke;
        CGFloat alpha = 1;
        bool antialias = true;
        CGSize shadowOffset{};
        CGFloat shadowBlur = 0;
        CGFloat shadowRGBA[4] = {0, 0, 0, 0};  // alpha 0: no shadow
        CGBlendMode blendMode = kCGBlendModeNormal;
    };
    State& state() { return states_.back(); }
    void save();
    void restore();

    // Sets cairo's source to a paint at the state's alpha.
    void useSource(const Paint& paint);
    // Runs draw (which fills or strokes the current path or paints) with the
    // state's shadow under it, when there is one.
    template <class F>
    void withShadow(F&& draw);

private:
    void drawShadowOf(const std::function<void()>& draw);
    cairo_surface_t* surface_;
    cairo_t* cr_;
    std::vector<State> states_;
};
using CGContextRef = CGContext*;

template <class F>
void CGContext::withShadow(F&& draw)
{
    if (state().shadowRGBA[3] > 0) drawShadowOf(draw);
    draw();
}

void CGContextSaveGState(CGContextRef c);
void CGContextRestoreGState(CGContextRef c);

void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a);
void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat a);
void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat a);
void CGContextSetFillColorWithColor(CGContextRef c, const CGColorRef& color);
void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColorRef& color);
// Four components: red, green, blue, alpha.
void CGContextSetFillColor(CGContextRef c, const CGFloat* components);
void CGContextSetStrokeColor(CGContextRef c, const CGFloat* components);
void CGContextSetAlpha(CGContextRef c, CGFloat alpha);
void CGContextSetLineWidth(CGContextRef c, CGFloat width);
void CGContextSetLineCap(CGContextRef c, CGLineCap cap);
void CGContextSetLineJoin(CGContextRef c, CGLineJoin join);
void CGContextSetMiterLimit(CGContextRef c, CGFloat limit);
// count 0 (or null lengths) gives solid lines.
void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat* lengths, size_t count);
void CGContextSetShouldAntialias(CGContextRef c, bool antialias);
void CGContextSetAllowsAntialiasing(CGContextRef c, bool allow);
void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode);
// The offset is in the context's base space, y downwards as the view draws.
void CGContextSetShadowWithColor(CGContextRef c, CGSize offset, CGFloat blur, const CGColorRef& color);
void CGContextSetShadow(CGContextRef c, CGSize offset, CGFloat blur);

void CGContextBeginPath(CGContextRef c);
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y);
void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y);
// clockwise 1 runs from start to end with falling angles as the user sees
// them in a view (the platform's flipped convention); 0 with rising ones.
void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, int clockwise);
void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius);
void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y);
void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y);
void CGContextClosePath(CGContextRef c);
void CGContextAddRect(CGContextRef c, CGRect rect);
void CGContextAddEllipseInRect(CGContextRef c, CGRect rect);
CGPoint CGContextGetPathCurrentPoint(CGContextRef c);

void CGContextFillPath(CGContextRef c);
void CGContextEOFillPath(CGContextRef c);
void CGContextStrokePath(CGContextRef c);
void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode);
void CGContextFillRect(CGContextRef c, CGRect rect);
void CGContextStrokeRect(CGContextRef c, CGRect rect);
void CGContextStrokeRectWithWidth(CGContextRef c, CGRect rect, CGFloat width);
void CGContextFillEllipseInRect(CGContextRef c, CGRect rect);
void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect);
// Makes the rectangle fully transparent.
void CGContextClearRect(CGContextRef c, CGRect rect);

void CGContextClip(CGContextRef c);
void CGContextEOClip(CGContextRef c);
void CGContextClipToRect(CGContextRef c, CGRect rect);

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty);
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy);
void CGContextRotateCTM(CGContextRef c, CGFloat angle);
void CGContextConcatCTM(CGContextRef c, const CGAffineTransform& t);
CGAffineTransform CGContextGetCTM(CGContextRef c);

void CGContextDrawLinearGradient(CGContextRef c, const CGGradientRef& gradient, CGPoint start, CGPoint end, unsigned options);
// As the platform does, the image's first row lands at the rectangle's max y
// of the current user space: in a view's context it appears upside down unless
// the caller flips (UIImage's drawing does).
void CGContextDrawImage(CGContextRef c, CGRect rect, const CGImageRef& image);

// Adds a closed rounded rectangle: from the middle of the left edge, corners
// rounded with arc-to-point segments (the top corners with topRadius, the
// bottom ones with bottomRadius; radii larger than half a side are reduced).
void NXContextAddRoundedRect(CGContextRef c, CGRect rect, CGFloat topRadius, CGFloat bottomRadius);

// ---- Paths as objects -----------------------------------------------------------

// A path object: subpaths of lines and arcs, and rectangles (the rectangle
// a text frame is laid out in). A transform given when adding moves the
// points; an arc takes it as a move of its centre only.
struct CGPath {
    enum Kind { MoveTo, LineTo, Arc, Close, Rect };
    struct Element {
        Kind kind;
        CGPoint point{};  // MoveTo, LineTo; the centre of an Arc
        CGFloat radius = 0, startAngle = 0, endAngle = 0;
        bool clockwise = false;
        CGRect rect{};  // Rect
    };
    std::vector<Element> elements;
};
using CGPathRef = std::shared_ptr<const CGPath>;
using CGMutablePathRef = std::shared_ptr<CGPath>;
CGMutablePathRef CGPathCreateMutable();
// Adds the rectangle, first transformed by m when m is given (a rotated
// rectangle is kept as its bounding box).
void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect);
void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y);
void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y);
// clockwise as for CGContextAddArc.
void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y, CGFloat radius,
                  CGFloat startAngle, CGFloat endAngle, bool clockwise);
void CGPathCloseSubpath(const CGMutablePathRef& path);
bool CGPathIsEmpty(const CGPathRef& path);
// The smallest rectangle holding the path's points, rectangles and arcs'
// circles; CGRectZero for a null or empty path.
CGRect CGPathGetBoundingBox(const CGPathRef& path);
// Appends the path to the context's current path.
void CGContextAddPath(CGContextRef c, const CGPathRef& path);

// Text frames are placed by their paths; the text position only places text
// drawn line by line, which nothing here does, so setting it changes nothing.
inline void CGContextSetTextPosition(CGContextRef, CGFloat, CGFloat) {}

// ---- UIKit's context stack and image contexts --------------------------------

// The context drawing goes to on this thread, or null.
CGContextRef UIGraphicsGetCurrentContext();
void UIGraphicsPushContext(CGContextRef c);
void UIGraphicsPopContext();
// A transparent (or, when opaque, black-backed) image context of the size in
// points; scale 0 means the main screen's scale. Made current.
void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale);
void UIGraphicsBeginImageContext(CGSize size);
// A copy of what the current image context holds, or null without one.
std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext();
void UIGraphicsEndImageContext();

// Fills a rectangle with the current fill colour (UIRectFill).
void UIRectFill(CGRect rect);
