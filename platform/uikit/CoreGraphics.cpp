#include "platform/uikit/CoreGraphics.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIColor.h"

// ---- Images --------------------------------------------------------------------

CGImage::CGImage(cairo_surface_t* surface, std::shared_ptr<const void> owner) : surface_(surface), owner_(std::move(owner)) {}

CGImage::~CGImage() { cairo_surface_destroy(surface_); }

size_t CGImage::width() const { return static_cast<size_t>(cairo_image_surface_get_width(surface_)); }
size_t CGImage::height() const { return static_cast<size_t>(cairo_image_surface_get_height(surface_)); }

CGImageRef CGImageCreateWithBGRXBuffer(void* data, size_t width, size_t height, size_t bytesPerRow, std::shared_ptr<const void> owner)
{
    if (!data || width == 0 || height == 0 || width > 32767 || height > 32767 || bytesPerRow < width * 4 || bytesPerRow % 4 != 0)
        return nullptr;
    // Cairo's RGB24 is exactly this layout on a little-endian machine: no copy.
    cairo_surface_t* s = cairo_image_surface_create_for_data(static_cast<unsigned char*>(data), CAIRO_FORMAT_RGB24,
                                                             static_cast<int>(width), static_cast<int>(height),
                                                             static_cast<int>(bytesPerRow));
    if (cairo_surface_status(s) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(s);
        return nullptr;
    }
    return std::make_shared<CGImage>(s, std::move(owner));
}

// ---- Colour spaces and gradients ---------------------------------------------------

CGColorSpaceRef CGColorSpaceCreateDeviceRGB() { return std::make_shared<CGColorSpace>(CGColorSpace{kCGColorSpaceModelRGB}); }
CGColorSpaceRef CGColorSpaceCreateDeviceGray() { return std::make_shared<CGColorSpace>(CGColorSpace{kCGColorSpaceModelMonochrome}); }

static CGFloat stopLocation(const CGFloat* locations, size_t i, size_t count)
{
    if (locations) return locations[i];
    return count > 1 ? static_cast<CGFloat>(i) / static_cast<CGFloat>(count - 1) : 0;
}

CGGradientRef CGGradientCreateWithColorComponents(const CGColorSpaceRef& space, const CGFloat* components,
                                                  const CGFloat* locations, size_t count)
{
    if (!components || count == 0) return nullptr;
    auto g = std::make_shared<CGGradient>();
    const bool gray = space && space->model == kCGColorSpaceModelMonochrome;
    for (size_t i = 0; i < count; ++i) {
        const CGFloat* c = components + i * (gray ? 2 : 4);
        const CGFloat loc = stopLocation(locations, i, count);
        g->stops.push_back(gray ? CGGradientStop{loc, c[0], c[0], c[0], c[1]} : CGGradientStop{loc, c[0], c[1], c[2], c[3]});
    }
    return g;
}

CGGradientRef CGGradientCreateWithColors(const CGColorSpaceRef&, const std::vector<CGColorRef>& colors, const CGFloat* locations)
{
    if (colors.empty()) return nullptr;
    auto g = std::make_shared<CGGradient>();
    for (size_t i = 0; i < colors.size(); ++i) {
        const auto& c = colors[i];
        if (!c) continue;
        g->stops.push_back(CGGradientStop{stopLocation(locations, i, colors.size()), c->red, c->green, c->blue, c->alpha});
    }
    return g;
}

// ---- The context -----------------------------------------------------------------------

CGContext::CGContext(cairo_surface_t* surface) : surface_(cairo_surface_reference(surface)), cr_(cairo_create(surface)), states_(1)
{
}

CGContext::~CGContext()
{
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

void CGContext::save()
{
    cairo_save(cr_);
    states_.push_back(states_.back());
}

void CGContext::restore()
{
    if (states_.size() < 2) return;  // unbalanced restore: nothing to pop
    states_.pop_back();
    cairo_restore(cr_);
}

void CGContext::useSource(const Paint& paint)
{
    if (paint.pattern && paint.pattern->CGImage()) {
        cairo_pattern_t* p = cairo_pattern_create_for_surface(paint.pattern->CGImage()->surface());
        cairo_pattern_set_extend(p, CAIRO_EXTEND_REPEAT);
        cairo_matrix_t m;
        cairo_matrix_init_scale(&m, paint.pattern->scale(), paint.pattern->scale());
        cairo_pattern_set_matrix(p, &m);
        cairo_set_source(cr_, p);
        cairo_pattern_destroy(p);
        return;
    }
    cairo_set_source_rgba(cr_, paint.r, paint.g, paint.b, paint.a * state().alpha);
}

// A box blur run three times over the alpha channel approximates the Gaussian
// blur of the platform's shadows.
static void blurAlpha(unsigned char* data, int width, int height, int stride, int radius)
{
    if (radius <= 0) return;
    std::vector<unsigned char> tmp(static_cast<size_t>(std::max(width, height)));
    for (int pass = 0; pass < 3; ++pass) {
        for (int y = 0; y < height; ++y) {
            unsigned char* row = data + static_cast<ptrdiff_t>(y) * stride;
            int sum = 0;
            for (int x = -radius; x <= radius; ++x) sum += row[std::clamp(x, 0, width - 1)];
            for (int x = 0; x < width; ++x) {
                tmp[static_cast<size_t>(x)] = static_cast<unsigned char>(sum / (2 * radius + 1));
                sum += row[std::min(x + radius + 1, width - 1)] - row[std::max(x - radius, 0)];
            }
            std::memcpy(row, tmp.data(), static_cast<size_t>(width));
        }
        for (int x = 0; x < width; ++x) {
            int sum = 0;
            auto at = [&](int y) -> unsigned char& { return data[static_cast<ptrdiff_t>(std::clamp(y, 0, height - 1)) * stride + x]; };
            for (int y = -radius; y <= radius; ++y) sum += at(y);
            for (int y = 0; y < height; ++y) {
                tmp[static_cast<size_t>(y)] = static_cast<unsigned char>(sum / (2 * radius + 1));
                sum += at(y + radius + 1) - at(y - radius);
            }
            for (int y = 0; y < height; ++y) at(y) = tmp[static_cast<size_t>(y)];
        }
    }
}

void CGContext::drawShadowOf(const std::function<void()>& draw)
{
    // Draw the shape once into a group, take its coverage, blur it and paint
    // the shadow colour through it at the offset; the caller then draws the
    // shape itself over it.
    const State s = state();
    cairo_push_group(cr_);
    draw();
    cairo_pattern_t* shape = cairo_pop_group(cr_);
    const int w = cairo_image_surface_get_width(surface_), h = cairo_image_surface_get_height(surface_);
    cairo_surface_t* mask = cairo_image_surface_create(CAIRO_FORMAT_A8, w, h);
    cairo_t* mc = cairo_create(mask);
    cairo_matrix_t ctm;
    cairo_get_matrix(cr_, &ctm);
    cairo_set_matrix(mc, &ctm);
    cairo_set_source(mc, shape);
    cairo_paint(mc);
    cairo_destroy(mc);
    cairo_surface_flush(mask);
    blurAlpha(cairo_image_surface_get_data(mask), w, h, cairo_image_surface_get_stride(mask), static_cast<int>(std::lround(s.shadowBlur / 2)));
    cairo_surface_mark_dirty(mask);
    cairo_save(cr_);
    cairo_identity_matrix(cr_);
    cairo_set_source_rgba(cr_, s.shadowRGBA[0], s.shadowRGBA[1], s.shadowRGBA[2], s.shadowRGBA[3] * s.alpha);
    cairo_mask_surface(cr_, mask, s.shadowOffset.width, s.shadowOffset.height);
    cairo_restore(cr_);
    cairo_surface_destroy(mask);
    cairo_pattern_destroy(shape);
}

void CGContextSaveGState(CGContextRef c) { if (c) c->save(); }
void CGContextRestoreGState(CGContextRef c) { if (c) c->restore(); }

static CGContext::Paint paintOf(const CGColorRef& color)
{
    if (!color) return CGContext::Paint{0, 0, 0, 0, nullptr};
    return CGContext::Paint{color->red, color->green, color->blue, color->alpha, color->patternImage()};
}

void CGContextSetRGBFillColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) { if (c) c->state().fill = {r, g, b, a, nullptr}; }
void CGContextSetRGBStrokeColor(CGContextRef c, CGFloat r, CGFloat g, CGFloat b, CGFloat a) { if (c) c->state().stroke = {r, g, b, a, nullptr}; }
void CGContextSetGrayFillColor(CGContextRef c, CGFloat gray, CGFloat a) { CGContextSetRGBFillColor(c, gray, gray, gray, a); }
void CGContextSetGrayStrokeColor(CGContextRef c, CGFloat gray, CGFloat a) { CGContextSetRGBStrokeColor(c, gray, gray, gray, a); }
void CGContextSetFillColorWithColor(CGContextRef c, const CGColorRef& color) { if (c) c->state().fill = paintOf(color); }
void CGContextSetStrokeColorWithColor(CGContextRef c, const CGColorRef& color) { if (c) c->state().stroke = paintOf(color); }
void CGContextSetFillColor(CGContextRef c, const CGFloat* k) { if (k) CGContextSetRGBFillColor(c, k[0], k[1], k[2], k[3]); }
void CGContextSetStrokeColor(CGContextRef c, const CGFloat* k) { if (k) CGContextSetRGBStrokeColor(c, k[0], k[1], k[2], k[3]); }
void CGContextSetAlpha(CGContextRef c, CGFloat alpha) { if (c) c->state().alpha = std::clamp(alpha, 0.0, 1.0); }
void CGContextSetLineWidth(CGContextRef c, CGFloat width) { if (c) cairo_set_line_width(c->cairo(), width); }

void CGContextSetLineCap(CGContextRef c, CGLineCap cap)
{
    if (!c) return;
    cairo_set_line_cap(c->cairo(), cap == kCGLineCapRound ? CAIRO_LINE_CAP_ROUND : cap == kCGLineCapSquare ? CAIRO_LINE_CAP_SQUARE : CAIRO_LINE_CAP_BUTT);
}

void CGContextSetLineJoin(CGContextRef c, CGLineJoin join)
{
    if (!c) return;
    cairo_set_line_join(c->cairo(), join == kCGLineJoinRound ? CAIRO_LINE_JOIN_ROUND : join == kCGLineJoinBevel ? CAIRO_LINE_JOIN_BEVEL : CAIRO_LINE_JOIN_MITER);
}

void CGContextSetMiterLimit(CGContextRef c, CGFloat limit)
{
    if (c) cairo_set_miter_limit(c->cairo(), limit);
}

void CGContextSetLineDash(CGContextRef c, CGFloat phase, const CGFloat* lengths, size_t count)
{
    if (!c) return;
    cairo_set_dash(c->cairo(), lengths, lengths ? static_cast<int>(count) : 0, phase);
}

void CGContextSetShouldAntialias(CGContextRef c, bool antialias)
{
    if (!c) return;
    c->state().antialias = antialias;
    cairo_set_antialias(c->cairo(), antialias ? CAIRO_ANTIALIAS_DEFAULT : CAIRO_ANTIALIAS_NONE);
}

void CGContextSetAllowsAntialiasing(CGContextRef c, bool allow) { CGContextSetShouldAntialias(c, allow); }

void CGContextSetBlendMode(CGContextRef c, CGBlendMode mode)
{
    if (!c) return;
    c->state().blendMode = mode;
    cairo_set_operator(c->cairo(), mode == kCGBlendModeClear ? CAIRO_OPERATOR_CLEAR : mode == kCGBlendModeCopy ? CAIRO_OPERATOR_SOURCE : CAIRO_OPERATOR_OVER);
}

void CGContextSetShadowWithColor(CGContextRef c, CGSize offset, CGFloat blur, const CGColorRef& color)
{
    if (!c) return;
    auto& s = c->state();
    s.shadowOffset = offset;
    s.shadowBlur = std::max(blur, 0.0);
    const auto p = paintOf(color);
    s.shadowRGBA[0] = p.r;
    s.shadowRGBA[1] = p.g;
    s.shadowRGBA[2] = p.b;
    s.shadowRGBA[3] = p.a;
}

void CGContextSetShadow(CGContextRef c, CGSize offset, CGFloat blur)
{
    CGContextSetShadowWithColor(c, offset, blur, UIColor::colorWithWhite(0, 1.0 / 3));
}

void CGContextBeginPath(CGContextRef c) { if (c) cairo_new_path(c->cairo()); }
void CGContextMoveToPoint(CGContextRef c, CGFloat x, CGFloat y) { if (c) cairo_move_to(c->cairo(), x, y); }
void CGContextAddLineToPoint(CGContextRef c, CGFloat x, CGFloat y) { if (c) cairo_line_to(c->cairo(), x, y); }

void CGContextAddArc(CGContextRef c, CGFloat x, CGFloat y, CGFloat radius, CGFloat startAngle, CGFloat endAngle, int clockwise)
{
    if (!c) return;
    // A sweep of a whole turn or more against the direction is a full circle
    // (cairo would reduce it to nothing).
    constexpr double kTurn = 2 * M_PI;
    if (clockwise) {
        if (endAngle - startAngle >= kTurn - 1e-6) endAngle = startAngle - kTurn;
        cairo_arc_negative(c->cairo(), x, y, radius, startAngle, endAngle);
    } else {
        if (startAngle - endAngle >= kTurn - 1e-6) endAngle = startAngle + kTurn;
        cairo_arc(c->cairo(), x, y, radius, startAngle, endAngle);
    }
}

void CGContextAddArcToPoint(CGContextRef c, CGFloat x1, CGFloat y1, CGFloat x2, CGFloat y2, CGFloat radius)
{
    if (!c) return;
    cairo_t* cr = c->cairo();
    if (!cairo_has_current_point(cr)) cairo_move_to(cr, x1, y1);
    double x0, y0;
    cairo_get_current_point(cr, &x0, &y0);
    double v1x = x0 - x1, v1y = y0 - y1, v2x = x2 - x1, v2y = y2 - y1;
    const double l1 = std::hypot(v1x, v1y), l2 = std::hypot(v2x, v2y);
    const double cross = v1x * v2y - v1y * v2x;
    if (radius <= 0 || l1 == 0 || l2 == 0 || std::fabs(cross) < 1e-12 * l1 * l2) {
        cairo_line_to(cr, x1, y1);
        return;
    }
    v1x /= l1; v1y /= l1; v2x /= l2; v2y /= l2;
    const double angle = std::acos(std::clamp(v1x * v2x + v1y * v2y, -1.0, 1.0));
    const double dist = radius / std::tan(angle / 2);
    const double t1x = x1 + v1x * dist, t1y = y1 + v1y * dist, t2x = x1 + v2x * dist, t2y = y1 + v2y * dist;
    double bx = v1x + v2x, by = v1y + v2y;
    const double bl = std::hypot(bx, by);
    bx /= bl; by /= bl;
    const double cx = x1 + bx * radius / std::sin(angle / 2), cy = y1 + by * radius / std::sin(angle / 2);
    const double a1 = std::atan2(t1y - cy, t1x - cx), a2 = std::atan2(t2y - cy, t2x - cx);
    cairo_line_to(cr, t1x, t1y);
    // The turn from the incoming direction (-v1) to the outgoing one (v2).
    if (-cross > 0) cairo_arc(cr, cx, cy, radius, a1, a2);
    else cairo_arc_negative(cr, cx, cy, radius, a1, a2);
}

void CGContextAddCurveToPoint(CGContextRef c, CGFloat cp1x, CGFloat cp1y, CGFloat cp2x, CGFloat cp2y, CGFloat x, CGFloat y)
{
    if (c) cairo_curve_to(c->cairo(), cp1x, cp1y, cp2x, cp2y, x, y);
}

void CGContextAddQuadCurveToPoint(CGContextRef c, CGFloat cpx, CGFloat cpy, CGFloat x, CGFloat y)
{
    if (!c) return;
    cairo_t* cr = c->cairo();
    double x0, y0;
    if (!cairo_has_current_point(cr)) cairo_move_to(cr, cpx, cpy);
    cairo_get_current_point(cr, &x0, &y0);
    cairo_curve_to(cr, x0 + 2.0 / 3 * (cpx - x0), y0 + 2.0 / 3 * (cpy - y0), x + 2.0 / 3 * (cpx - x), y + 2.0 / 3 * (cpy - y), x, y);
}

void CGContextClosePath(CGContextRef c) { if (c) cairo_close_path(c->cairo()); }
void CGContextAddRect(CGContextRef c, CGRect r) { if (c) cairo_rectangle(c->cairo(), r.origin.x, r.origin.y, r.size.width, r.size.height); }

void CGContextAddEllipseInRect(CGContextRef c, CGRect r)
{
    if (!c || r.size.width <= 0 || r.size.height <= 0) return;
    cairo_t* cr = c->cairo();
    cairo_matrix_t saved;
    cairo_get_matrix(cr, &saved);
    cairo_new_sub_path(cr);
    cairo_translate(cr, CGRectGetMidX(r), CGRectGetMidY(r));
    cairo_scale(cr, r.size.width / 2, r.size.height / 2);
    cairo_arc(cr, 0, 0, 1, 0, 2 * M_PI);
    cairo_set_matrix(cr, &saved);
    cairo_close_path(cr);
}

CGPoint CGContextGetPathCurrentPoint(CGContextRef c)
{
    if (!c || !cairo_has_current_point(c->cairo())) return CGPointZero;
    double x, y;
    cairo_get_current_point(c->cairo(), &x, &y);
    return CGPointMake(x, y);
}

void CGContextDrawPath(CGContextRef c, CGPathDrawingMode mode)
{
    if (!c) return;
    cairo_t* cr = c->cairo();
    const bool fill = mode != kCGPathStroke, stroke = mode == kCGPathStroke || mode == kCGPathFillStroke || mode == kCGPathEOFillStroke;
    const bool evenOdd = mode == kCGPathEOFill || mode == kCGPathEOFillStroke;
    cairo_path_t* path = cairo_copy_path(cr);
    c->withShadow([&] {
        cairo_new_path(cr);
        cairo_append_path(cr, path);
        if (fill) {
            cairo_set_fill_rule(cr, evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
            c->useSource(c->state().fill);
            cairo_fill_preserve(cr);
        }
        if (stroke) {
            c->useSource(c->state().stroke);
            cairo_stroke_preserve(cr);
        }
        cairo_new_path(cr);
    });
    cairo_path_destroy(path);
    cairo_new_path(cr);
}

void CGContextFillPath(CGContextRef c) { CGContextDrawPath(c, kCGPathFill); }
void CGContextEOFillPath(CGContextRef c) { CGContextDrawPath(c, kCGPathEOFill); }
void CGContextStrokePath(CGContextRef c) { CGContextDrawPath(c, kCGPathStroke); }

void CGContextFillRect(CGContextRef c, CGRect rect)
{
    CGContextBeginPath(c);
    CGContextAddRect(c, rect);
    CGContextFillPath(c);
}

void CGContextStrokeRect(CGContextRef c, CGRect rect)
{
    CGContextBeginPath(c);
    CGContextAddRect(c, rect);
    CGContextStrokePath(c);
}

void CGContextStrokeRectWithWidth(CGContextRef c, CGRect rect, CGFloat width)
{
    if (!c) return;
    const double saved = cairo_get_line_width(c->cairo());
    cairo_set_line_width(c->cairo(), width);
    CGContextStrokeRect(c, rect);
    cairo_set_line_width(c->cairo(), saved);
}

void CGContextFillEllipseInRect(CGContextRef c, CGRect rect)
{
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, rect);
    CGContextFillPath(c);
}

void CGContextStrokeEllipseInRect(CGContextRef c, CGRect rect)
{
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, rect);
    CGContextStrokePath(c);
}

void CGContextClearRect(CGContextRef c, CGRect r)
{
    if (!c) return;
    cairo_t* cr = c->cairo();
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_set_operator(cr, CAIRO_OPERATOR_CLEAR);
    cairo_rectangle(cr, r.origin.x, r.origin.y, r.size.width, r.size.height);
    cairo_fill(cr);
    cairo_restore(cr);
}

void CGContextClip(CGContextRef c)
{
    if (!c) return;
    cairo_set_fill_rule(c->cairo(), CAIRO_FILL_RULE_WINDING);
    cairo_clip(c->cairo());
}

void CGContextEOClip(CGContextRef c)
{
    if (!c) return;
    cairo_set_fill_rule(c->cairo(), CAIRO_FILL_RULE_EVEN_ODD);
    cairo_clip(c->cairo());
}

void CGContextClipToRect(CGContextRef c, CGRect rect)
{
    if (!c) return;
    cairo_path_t* path = cairo_copy_path(c->cairo());  // clipping to a rectangle leaves the path alone
    cairo_new_path(c->cairo());
    CGContextAddRect(c, rect);
    CGContextClip(c);
    cairo_append_path(c->cairo(), path);
    cairo_path_destroy(path);
}

void CGContextTranslateCTM(CGContextRef c, CGFloat tx, CGFloat ty) { if (c) cairo_translate(c->cairo(), tx, ty); }
void CGContextScaleCTM(CGContextRef c, CGFloat sx, CGFloat sy) { if (c) cairo_scale(c->cairo(), sx, sy); }
void CGContextRotateCTM(CGContextRef c, CGFloat angle) { if (c) cairo_rotate(c->cairo(), angle); }

void CGContextConcatCTM(CGContextRef c, const CGAffineTransform& t)
{
    if (!c) return;
    cairo_matrix_t m{t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_transform(c->cairo(), &m);
}

CGAffineTransform CGContextGetCTM(CGContextRef c)
{
    if (!c) return CGAffineTransformIdentity;
    cairo_matrix_t m;
    cairo_get_matrix(c->cairo(), &m);
    return {m.xx, m.yx, m.xy, m.yy, m.x0, m.y0};
}

void NXContextAddRoundedRect(CGContextRef c, CGRect r, CGFloat topRadius, CGFloat bottomRadius)
{
    const CGFloat limit = std::min(r.size.width, r.size.height) / 2;
    topRadius = std::clamp<CGFloat>(topRadius, 0, limit);
    bottomRadius = std::clamp<CGFloat>(bottomRadius, 0, limit);
    CGContextMoveToPoint(c, CGRectGetMinX(r), CGRectGetMidY(r));
    CGContextAddArcToPoint(c, CGRectGetMinX(r), CGRectGetMinY(r), CGRectGetMidX(r), CGRectGetMinY(r), topRadius);
    CGContextAddArcToPoint(c, CGRectGetMaxX(r), CGRectGetMinY(r), CGRectGetMaxX(r), CGRectGetMidY(r), topRadius);
    CGContextAddArcToPoint(c, CGRectGetMaxX(r), CGRectGetMaxY(r), CGRectGetMidX(r), CGRectGetMaxY(r), bottomRadius);
    CGContextAddArcToPoint(c, CGRectGetMinX(r), CGRectGetMaxY(r), CGRectGetMinX(r), CGRectGetMidY(r), bottomRadius);
    CGContextClosePath(c);
}

// Clips to the half plane on the far side of the line through p
// perpendicular to the direction d.
static void clipHalfPlane(cairo_t* cr, CGPoint p, double dx, double dy)
{
    constexpr double big = 1e6;
    cairo_save(cr);
    cairo_translate(cr, p.x, p.y);
    cairo_rotate(cr, std::atan2(dy, dx));
    cairo_rectangle(cr, 0, -big, big, 2 * big);
    cairo_restore(cr);  // the path survives the restore; the matrix does not
    cairo_clip(cr);
}

void CGContextDrawLinearGradient(CGContextRef c, const CGGradientRef& gradient, CGPoint start, CGPoint end, unsigned options)
{
    if (!c || !gradient || gradient->stops.empty()) return;
    cairo_t* cr = c->cairo();
    cairo_pattern_t* p = cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
    for (const auto& s : gradient->stops) cairo_pattern_add_color_stop_rgba(p, s.location, s.red, s.green, s.blue, s.alpha);
    cairo_pattern_set_extend(p, CAIRO_EXTEND_PAD);
    cairo_save(cr);
    cairo_new_path(cr);
    const double dx = end.x - start.x, dy = end.y - start.y;
    if (!(options & kCGGradientDrawsBeforeStartLocation)) clipHalfPlane(cr, start, dx, dy);
    if (!(options & kCGGradientDrawsAfterEndLocation)) clipHalfPlane(cr, end, -dx, -dy);
    cairo_set_source(cr, p);
    cairo_paint_with_alpha(cr, c->state().alpha);
    cairo_restore(cr);
    cairo_pattern_destroy(p);
}

void CGContextDrawImage(CGContextRef c, CGRect rect, const CGImageRef& image)
{
    if (!c || !image || rect.size.width == 0 || rect.size.height == 0) return;
    cairo_t* cr = c->cairo();
    cairo_surface_mark_dirty(image->surface());  // an external buffer may have changed since
    cairo_save(cr);
    cairo_new_path(cr);
    cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
    cairo_scale(cr, rect.size.width / static_cast<double>(image->width()), -rect.size.height / static_cast<double>(image->height()));
    cairo_rectangle(cr, 0, 0, static_cast<double>(image->width()), static_cast<double>(image->height()));
    cairo_clip(cr);
    cairo_set_source_surface(cr, image->surface(), 0, 0);
    cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
    cairo_paint_with_alpha(cr, c->state().alpha);
    cairo_restore(cr);
}

// ---- Paths as objects ------------------------------------------------------------------

CGMutablePathRef CGPathCreateMutable() { return std::make_shared<CGPath>(); }

namespace {

CGPoint TransformedPoint(const CGAffineTransform* m, CGFloat x, CGFloat y)
{
    const CGPoint p = CGPointMake(x, y);
    return m ? CGPointApplyAffineTransform(p, *m) : p;
}

void AddPoint(const CGMutablePathRef& path, CGPath::Kind kind, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
    if (!path) return;
    CGPath::Element e{kind};
    e.point = TransformedPoint(m, x, y);
    path->elements.push_back(e);
}

}  // namespace

void CGPathAddRect(const CGMutablePathRef& path, const CGAffineTransform* m, CGRect rect)
{
    if (!path) return;
    CGPath::Element e{CGPath::Rect};
    if (!m) {
        e.rect = rect;
        path->elements.push_back(e);
        return;
    }
    const CGPoint corners[] = {rect.origin, CGPointMake(CGRectGetMaxX(rect), rect.origin.y),
                               CGPointMake(rect.origin.x, CGRectGetMaxY(rect)), CGPointMake(CGRectGetMaxX(rect), CGRectGetMaxY(rect))};
    CGPoint lo = CGPointApplyAffineTransform(corners[0], *m), hi = lo;
    for (const CGPoint& corner : corners) {
        const CGPoint p = CGPointApplyAffineTransform(corner, *m);
        lo = CGPointMake(std::min(lo.x, p.x), std::min(lo.y, p.y));
        hi = CGPointMake(std::max(hi.x, p.x), std::max(hi.y, p.y));
    }
    e.rect = CGRectMake(lo.x, lo.y, hi.x - lo.x, hi.y - lo.y);
    path->elements.push_back(e);
}

void CGPathMoveToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
    AddPoint(path, CGPath::MoveTo, m, x, y);
}

void CGPathAddLineToPoint(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y)
{
    AddPoint(path, CGPath::LineTo, m, x, y);
}

void CGPathAddArc(const CGMutablePathRef& path, const CGAffineTransform* m, CGFloat x, CGFloat y, CGFloat radius,
                  CGFloat startAngle, CGFloat endAngle, bool clockwise)
{
    if (!path) return;
    CGPath::Element e{CGPath::Arc};
    e.point = TransformedPoint(m, x, y);
    e.radius = radius;
    e.startAngle = startAngle;
    e.endAngle = endAngle;
    e.clockwise = clockwise;
    path->elements.push_back(e);
}

void CGPathCloseSubpath(const CGMutablePathRef& path)
{
    if (path) path->elements.push_back(CGPath::Element{CGPath::Close});
}

bool CGPathIsEmpty(const CGPathRef& path) { return !path || path->elements.empty(); }

CGRect CGPathGetBoundingBox(const CGPathRef& path)
{
    if (!path) return CGRectZero;
    bool any = false;
    CGFloat minX = 0, minY = 0, maxX = 0, maxY = 0;
    auto include = [&](CGRect r) {
        if (!any) {
            minX = CGRectGetMinX(r), minY = CGRectGetMinY(r), maxX = CGRectGetMaxX(r), maxY = CGRectGetMaxY(r);
            any = true;
            return;
        }
        minX = std::min(minX, CGRectGetMinX(r)), minY = std::min(minY, CGRectGetMinY(r));
        maxX = std::max(maxX, CGRectGetMaxX(r)), maxY = std::max(maxY, CGRectGetMaxY(r));
    };
    for (const CGPath::Element& e : path->elements) {
        switch (e.kind) {
        case CGPath::Rect: include(e.rect); break;
        case CGPath::MoveTo:
        case CGPath::LineTo: include(CGRectMake(e.point.x, e.point.y, 0, 0)); break;
        case CGPath::Arc:
            include(CGRectMake(e.point.x - e.radius, e.point.y - e.radius, 2 * e.radius, 2 * e.radius));
            break;
        case CGPath::Close: break;
        }
    }
    return any ? CGRectMake(minX, minY, maxX - minX, maxY - minY) : CGRectZero;
}

void CGContextAddPath(CGContextRef c, const CGPathRef& path)
{
    if (!c || !path) return;
    for (const CGPath::Element& e : path->elements) {
        switch (e.kind) {
        case CGPath::MoveTo: CGContextMoveToPoint(c, e.point.x, e.point.y); break;
        case CGPath::LineTo: CGContextAddLineToPoint(c, e.point.x, e.point.y); break;
        case CGPath::Arc:
            CGContextAddArc(c, e.point.x, e.point.y, e.radius, e.startAngle, e.endAngle, e.clockwise ? 1 : 0);
            break;
        case CGPath::Close: CGContextClosePath(c); break;
        case CGPath::Rect: CGContextAddRect(c, e.rect); break;
        }
    }
}

// ---- UIKit's context stack --------------------------------------------------------

namespace {
struct ImageContext {
    std::unique_ptr<CGContext> context;
    CGFloat scale;
};
thread_local std::vector<CGContextRef> contextStack;
thread_local std::vector<ImageContext> imageContexts;
}  // namespace

CGContextRef UIGraphicsGetCurrentContext() { return contextStack.empty() ? nullptr : contextStack.back(); }
void UIGraphicsPushContext(CGContextRef c) { contextStack.push_back(c); }
void UIGraphicsPopContext() { if (!contextStack.empty()) contextStack.pop_back(); }

void UIGraphicsBeginImageContextWithOptions(CGSize size, bool opaque, CGFloat scale)
{
    if (scale <= 0) scale = UIScreen::mainScreen().scale();
    const int w = std::max(1, static_cast<int>(std::ceil(size.width * scale - 1e-9)));
    const int h = std::max(1, static_cast<int>(std::ceil(size.height * scale - 1e-9)));
    cairo_surface_t* s = cairo_image_surface_create(opaque ? CAIRO_FORMAT_RGB24 : CAIRO_FORMAT_ARGB32, w, h);
    auto c = std::make_unique<CGContext>(s);
    cairo_surface_destroy(s);
    cairo_scale(c->cairo(), scale, scale);
    contextStack.push_back(c.get());
    imageContexts.push_back(ImageContext{std::move(c), scale});
}

void UIGraphicsBeginImageContext(CGSize size) { UIGraphicsBeginImageContextWithOptions(size, false, 1); }

std::shared_ptr<UIImage> UIGraphicsGetImageFromCurrentImageContext()
{
    if (imageContexts.empty() || UIGraphicsGetCurrentContext() != imageContexts.back().context.get()) return nullptr;
    cairo_surface_t* src = imageContexts.back().context->surface();
    cairo_surface_flush(src);
    const int w = cairo_image_surface_get_width(src), h = cairo_image_surface_get_height(src);
    cairo_surface_t* copy = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, w, h);
    cairo_t* cr = cairo_create(copy);
    cairo_set_source_surface(cr, src, 0, 0);
    cairo_set_operator(cr, CAIRO_OPERATOR_SOURCE);
    cairo_paint(cr);
    cairo_destroy(cr);
    return std::make_shared<UIImage>(std::make_shared<CGImage>(copy), imageContexts.back().scale);
}

void UIGraphicsEndImageContext()
{
    if (imageContexts.empty()) return;
    const CGContextRef top = imageContexts.back().context.get();
    contextStack.erase(std::remove(contextStack.begin(), contextStack.end(), top), contextStack.end());
    imageContexts.pop_back();
}

void UIRectFill(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    if (!c) return;
    CGContextSaveGState(c);
    CGContextSetBlendMode(c, kCGBlendModeCopy);
    CGContextFillRect(c, rect);
    CGContextRestoreGState(c);
}
