// Drawing the view tree: layers, the standard views' own drawing, snapshots.

#include <algorithm>
#include <cmath>
#include <fstream>

#include "platform/uikit/NXSnapshot.h"
#include "platform/uikit/UIApplication.h"
#include "platform/uikit/UIControl.h"
#include "platform/uikit/detail/NXDrawing.h"
#include "platform/uikit/detail/NXText.h"

namespace {

void addRoundedRect(CGContextRef c, CGRect r, CGFloat radius) { NXContextAddRoundedRect(c, r, radius, radius); }

bool visible(const UIView& v) { return !v.hidden() && v.alpha() > 0.01; }

// The blue of filled tracks and selected segments.
void setBlueFill(CGContextRef c) { CGContextSetRGBFillColor(c, 0.16, 0.44, 0.89, 1); }
void setOutlineStroke(CGContextRef c) { CGContextSetRGBStrokeColor(c, 0.6, 0.6, 0.6, 1); }

void renderTree(UIView& view, CGContextRef c)
{
    view.layoutIfNeeded();
    const CALayer& layer = *view.layer();
    const CGRect b = view.bounds();
    cairo_t* cr = c->cairo();
    CGContextSaveGState(c);
    const bool translucent = view.alpha() < 1;
    if (translucent) cairo_push_group(cr);
    if (layer.masksToBounds) {
        CGContextBeginPath(c);
        addRoundedRect(c, b, layer.cornerRadius);
        CGContextClip(c);
    }
    if (auto bg = view.backgroundColor(); bg && (bg->alpha > 0 || bg->patternImage())) {
        CGContextSetFillColorWithColor(c, bg);
        CGContextBeginPath(c);
        addRoundedRect(c, b, layer.cornerRadius);
        CGContextFillPath(c);
    }
    if (layer.contents) {
        CGContextSaveGState(c);
        CGContextBeginPath(c);
        addRoundedRect(c, b, layer.cornerRadius);
        CGContextClip(c);
        layer.contents->drawInRect(b);
        CGContextRestoreGState(c);
    }
    CGContextSaveGState(c);
    CGContextClipToRect(c, b);  // a view's own drawing never leaves its bounds
    view.drawRect(b);
    CGContextRestoreGState(c);
    layer.renderSublayersInContext(c);
    for (const auto& sub : view.subviews()) {
        if (!visible(*sub)) continue;
        CGContextSaveGState(c);
        const CGRect sb = sub->bounds();
        CGContextTranslateCTM(c, sub->center().x, sub->center().y);
        CGContextConcatCTM(c, sub->transform());
        CGContextConcatCTM(c, CATransform3DGetAffineTransform(sub->layer()->transform));
        CGContextTranslateCTM(c, -sb.size.width / 2 - sb.origin.x, -sb.size.height / 2 - sb.origin.y);
        renderTree(*sub, c);
        CGContextRestoreGState(c);
    }
    // The device's status bar lies over the key window's top.
    if (auto* window = dynamic_cast<UIWindow*>(&view); window && window->isKeyWindow() && !UIApplication::sharedApplication().statusBarHidden())
        NXDrawStatusBar(c, CGRectMake(b.origin.x, b.origin.y, b.size.width, kNXStatusBarHeight));
    if (layer.borderWidth > 0 && layer.borderColor) {
        CGContextSetStrokeColorWithColor(c, layer.borderColor);
        CGContextSetLineWidth(c, layer.borderWidth);
        CGContextBeginPath(c);
        const CGFloat inset = layer.borderWidth / 2;
        addRoundedRect(c, CGRectInset(b, inset, inset), std::max<CGFloat>(layer.cornerRadius - inset, 0));
        CGContextStrokePath(c);
    }
    if (translucent) {
        cairo_pop_group_to_source(cr);
        cairo_paint_with_alpha(cr, view.alpha());
    }
    CGContextRestoreGState(c);
}

}  // namespace

void CALayer::renderInContext(CGContextRef context) const
{
    if (!owner || !context) return;
    UIGraphicsPushContext(context);
    renderTree(*owner, context);
    UIGraphicsPopContext();
}

std::shared_ptr<UIImage> NXSnapshotImage(UIView* view, CGFloat scale)
{
    if (!view || view->bounds().size.width <= 0 || view->bounds().size.height <= 0) return nullptr;
    const CGRect b = view->bounds();
    UIGraphicsBeginImageContextWithOptions(b.size, false, scale);
    CGContextRef c = UIGraphicsGetCurrentContext();
    CGContextTranslateCTM(c, -b.origin.x, -b.origin.y);
    // Behind a window is the dark screen: what no view covers shows black.
    if (dynamic_cast<UIWindow*>(view)) {
        CGContextSetRGBFillColor(c, 0, 0, 0, 1);
        CGContextFillRect(c, b);
    }
    if (visible(*view)) view->layer()->renderInContext(c);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    return image;
}

bool NXSnapshotToPNG(UIView* view, const NSString& path, CGFloat scale)
{
    const auto png = UIImagePNGRepresentation(NXSnapshotImage(view, scale));
    if (!png || path.isNil()) return false;
    std::ofstream out(path.str(), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(png->data()), static_cast<std::streamsize>(png->size()));
    return static_cast<bool>(out.flush());
}

// ---- The standard views' drawing ------------------------------------------------------

namespace nxtext {

namespace {

// Lines the label may show at this font: numberOfLines (0: any), and no
// more than its height holds.
size_t linesAllowed(const UILabel& label, const StyledText& text)
{
    const size_t fitting = linesFitting(text, label.bounds().size.height);
    return label.numberOfLines > 0 ? std::min(fitting, static_cast<size_t>(label.numberOfLines)) : fitting;
}

// The lines the whole text takes at the label's width, word or character
// wrapped as the mode breaks lines, with nothing left out.
std::vector<Line> wholeText(const UILabel& label, const StyledText& text)
{
    const bool byCharacter = label.lineBreakMode == UILineBreakModeCharacterWrap;
    return layout(text, label.bounds().size.width, byCharacter ? UILineBreakModeCharacterWrap : UILineBreakModeWordWrap, 0);
}

bool fits(const UILabel& label, const StyledText& text)
{
    const auto lines = wholeText(label, text);
    if (lines.size() > linesAllowed(label, text)) return false;
    const double width = label.bounds().size.width;
    return std::all_of(lines.begin(), lines.end(), [&](const Line& l) { return l.width <= width + 1e-6; });
}

}  // namespace

LabelText labelText(const UILabel& label)
{
    constexpr CGFloat kShrinkStep = 0.5, kSmallest = 1;
    LabelText shown{label.font ? label.font : UIFont::systemFontOfSize(17), CGRectZero, false};
    auto text = plain(label.text(), shown.font);
    bool fit = fits(label, text);
    if (!fit && label.adjustsFontSizeToFitWidth && label.numberOfLines == 1) {
        const CGFloat floor = std::max(label.minimumFontSize, kSmallest);
        for (CGFloat size = shown.font->pointSize() - kShrinkStep; !fit && size >= floor; size -= kShrinkStep) {
            shown.font = shown.font->fontWithSize(size);
            text = plain(label.text(), shown.font);
            fit = fits(label, text);
        }
    }
    shown.cut = !fit;
    const CGRect b = label.bounds();
    const CGFloat lh = shown.font->lineHeight();
    const CGFloat height = label.numberOfLines > 0 ? std::min(b.size.height, lh * static_cast<CGFloat>(label.numberOfLines)) : b.size.height;
    const CGSize size = sizeWithFont(label.text(), shown.font, CGSizeMake(b.size.width, height), label.lineBreakMode);
    shown.rect = CGRectMake(b.origin.x, b.origin.y + std::floor((b.size.height - size.height) / 2), b.size.width, height);
    return shown;
}

}  // namespace nxtext

void UILabel::drawRect(CGRect rect)
{
    const NSString t = text();
    if (t.isNil() || t.str().empty()) return;
    const auto shown = nxtext::labelText(*this);
    auto color = highlighted && highlightedTextColor ? highlightedTextColor : textColor;
    if (shadowColor) {
        shadowColor->setFill();
        drawInRect(t, CGRectOffset(shown.rect, shadowOffset.width, shadowOffset.height), shown.font, lineBreakMode, textAlignment);
    }
    if (color) color->setFill();
    drawInRect(t, shown.rect, shown.font, lineBreakMode, textAlignment);
}

void UIImageView::drawRect(CGRect rect)
{
    const auto& shown = highlighted && highlightedImage ? highlightedImage : image;
    if (!shown) return;
    const CGRect b = bounds();
    const CGSize s = shown->size();
    if (s.width <= 0 || s.height <= 0) return;
    CGRect target = b;
    if (contentMode() == UIViewContentModeScaleAspectFit || contentMode() == UIViewContentModeScaleAspectFill) {
        const CGFloat fx = b.size.width / s.width, fy = b.size.height / s.height;
        const CGFloat f = contentMode() == UIViewContentModeScaleAspectFit ? std::min(fx, fy) : std::max(fx, fy);
        target.size = CGSizeMake(s.width * f, s.height * f);
    } else if (contentMode() == UIViewContentModeCenter) {
        target.size = s;
    }
    target.origin = CGPointMake(CGRectGetMidX(b) - target.size.width / 2, CGRectGetMidY(b) - target.size.height / 2);
    shown->drawInRect(target);
}

void UIButton::layoutSubviews()
{
    const CGRect b = bounds();
    const CGRect content = CGRectMake(b.origin.x + contentEdgeInsets.left, b.origin.y + contentEdgeInsets.top,
                                      b.size.width - contentEdgeInsets.left - contentEdgeInsets.right,
                                      b.size.height - contentEdgeInsets.top - contentEdgeInsets.bottom);
    const auto image = currentImage();
    CGSize is = image ? image->size() : CGSizeZero;
    // An image larger than the content shrinks to fit it, keeping its shape.
    if (is.width > content.size.width || is.height > content.size.height) {
        const CGFloat scale = std::min(content.size.width / is.width, content.size.height / is.height);
        is = CGSizeMake(is.width * scale, is.height * scale);
    }
    const NSString title = currentTitle();
    const bool hasTitle = titleLabel_ && !title.isNil() && !title.str().empty();
    const CGFloat tw = hasTitle ? std::min(sizeWithFont(title, titleLabel_->font).width, std::max<CGFloat>(content.size.width - is.width, 0)) : 0;
    CGFloat x = content.origin.x;
    if (contentHorizontalAlignment == UIControlContentHorizontalAlignmentCenter) x += (content.size.width - is.width - tw) / 2;
    else if (contentHorizontalAlignment == UIControlContentHorizontalAlignmentRight) x += content.size.width - is.width - tw;
    if (imageView_) {
        imageView_->setFrame(CGRectMake(x + imageEdgeInsets.left - imageEdgeInsets.right,
                                        CGRectGetMidY(content) - is.height / 2 + imageEdgeInsets.top - imageEdgeInsets.bottom, is.width, is.height));
    }
    if (titleLabel_) {
        titleLabel_->setFrame(CGRectMake(x + is.width + titleEdgeInsets.left, content.origin.y + titleEdgeInsets.top,
                                         tw - titleEdgeInsets.left - titleEdgeInsets.right,
                                         content.size.height - titleEdgeInsets.top - titleEdgeInsets.bottom));
        titleLabel_->textAlignment = UITextAlignmentCenter;
    }
}

void UIButton::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    if (type_ == UIButtonTypeRoundedRect) {
        CGContextSetRGBFillColor(c, 1, 1, 1, 1);
        setOutlineStroke(c);
        CGContextSetLineWidth(c, 1);
        CGContextBeginPath(c);
        addRoundedRect(c, CGRectInset(b, 0.5, 0.5), 8);
        CGContextDrawPath(c, kCGPathFillStroke);
    }
    if (auto bg = currentBackgroundImage()) bg->drawInRect(b);
}

void NXContextDrawSpinner(CGContextRef c, CGRect b, CGFloat shade)
{
    const CGFloat r = std::min(b.size.width, b.size.height) / 2;
    CGContextSaveGState(c);
    CGContextSetLineWidth(c, r * 0.2);
    CGContextSetLineCap(c, kCGLineCapRound);
    for (int i = 0; i < 12; ++i) {
        const CGFloat angle = -M_PI / 2 + i * M_PI / 6;
        CGContextSetRGBStrokeColor(c, shade, shade, shade, 1 - 0.75 * i / 12.0);
        CGContextBeginPath(c);
        CGContextMoveToPoint(c, CGRectGetMidX(b) + std::cos(angle) * r * 0.5, CGRectGetMidY(b) + std::sin(angle) * r * 0.5);
        CGContextAddLineToPoint(c, CGRectGetMidX(b) + std::cos(angle) * r * 0.85, CGRectGetMidY(b) + std::sin(angle) * r * 0.85);
        CGContextStrokePath(c);
    }
    CGContextRestoreGState(c);
}

void UIActivityIndicatorView::drawRect(CGRect rect)
{
    NXContextDrawSpinner(UIGraphicsGetCurrentContext(), bounds(), activityIndicatorViewStyle == UIActivityIndicatorViewStyleGray ? 0.5 : 1);
}

void UIProgressView::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = CGRectInset(bounds(), 0.5, 0.5);
    const CGFloat radius = b.size.height / 2;
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    setOutlineStroke(c);
    CGContextBeginPath(c);
    addRoundedRect(c, b, radius);
    CGContextDrawPath(c, kCGPathFillStroke);
    setBlueFill(c);
    CGContextBeginPath(c);
    addRoundedRect(c, CGRectMake(b.origin.x, b.origin.y, b.size.width * progress_, b.size.height), radius);
    CGContextFillPath(c);
}

void UISwitch::drawRect(CGRect rect)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = CGRectInset(bounds(), 0.5, 0.5);
    const CGFloat radius = b.size.height / 2;
    if (on_) setBlueFill(c);
    else CGContextSetRGBFillColor(c, 0.93, 0.93, 0.93, 1);
    setOutlineStroke(c);
    CGContextSetLineWidth(c, 1);
    CGContextBeginPath(c);
    addRoundedRect(c, b, radius);
    CGContextDrawPath(c, kCGPathFillStroke);
    const CGFloat knob = b.size.height - 2;
    const CGFloat x = on_ ? CGRectGetMaxX(b) - 1 - knob : b.origin.x + 1;
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextBeginPath(c);
    CGContextAddEllipseInRect(c, CGRectMake(x, b.origin.y + 1, knob, knob));
    CGContextDrawPath(c, kCGPathFillStroke);
}

namespace {

// The bar style: every segment is the tint (the bars' grey-blue without
// one) with a lighter top half, titles white and bold; the pressed or
// selected segment darker. A tinted bar button is such a control.
void drawBarSegments(const UISegmentedControl& control, const std::vector<NSString>& titles, NSInteger selected)
{
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = CGRectInset(control.bounds(), 0.5, 0.5);
    const CGFloat radius = std::min<CGFloat>(5, b.size.height / 2);
    const auto tint = control.tintColor ? control.tintColor : UIColor::colorWithRed(0.43, 0.52, 0.63, 1);
    const CGFloat w = b.size.width / static_cast<CGFloat>(titles.size());
    CGContextSaveGState(c);
    CGContextBeginPath(c);
    addRoundedRect(c, b, radius);
    CGContextClip(c);
    tint->setFill();
    CGContextFillRect(c, b);
    CGContextSetRGBFillColor(c, 1, 1, 1, 0.22);
    CGContextFillRect(c, CGRectMake(b.origin.x, b.origin.y, b.size.width, b.size.height / 2));
    if (selected >= 0 && static_cast<size_t>(selected) < titles.size()) {
        CGContextSetRGBFillColor(c, 0, 0, 0, 0.25);
        CGContextFillRect(c, CGRectMake(b.origin.x + w * static_cast<CGFloat>(selected), b.origin.y, w, b.size.height));
    }
    CGContextRestoreGState(c);
    CGContextSetLineWidth(c, 1);
    CGContextSetRGBStrokeColor(c, tint->red * 0.6, tint->green * 0.6, tint->blue * 0.6, 1);
    for (size_t i = 1; i < titles.size(); ++i) {
        CGContextBeginPath(c);
        CGContextMoveToPoint(c, b.origin.x + w * static_cast<CGFloat>(i), b.origin.y);
        CGContextAddLineToPoint(c, b.origin.x + w * static_cast<CGFloat>(i), CGRectGetMaxY(b));
        CGContextStrokePath(c);
    }
    CGContextBeginPath(c);
    addRoundedRect(c, b, radius);
    CGContextStrokePath(c);
    const auto font = UIFont::boldSystemFontOfSize(12);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    for (size_t i = 0; i < titles.size(); ++i) {
        const CGFloat h = sizeWithFont(titles[i], font).height;
        drawInRect(titles[i], CGRectMake(b.origin.x + w * static_cast<CGFloat>(i) + 2, CGRectGetMidY(b) - h / 2, w - 4, h), font,
                   UILineBreakModeTailTruncation, UITextAlignmentCenter);
    }
}

}  // namespace

void UISegmentedControl::drawRect(CGRect rect)
{
    if (titles_.empty()) return;
    if (segmentedControlStyle == UISegmentedControlStyleBar) {
        drawBarSegments(*this, titles_, selected_);
        return;
    }
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = CGRectInset(bounds(), 0.5, 0.5);
    const CGFloat radius = std::min<CGFloat>(6, b.size.height / 2);
    const CGFloat w = b.size.width / static_cast<CGFloat>(titles_.size());
    CGContextSetLineWidth(c, 1);
    CGContextSetRGBFillColor(c, 1, 1, 1, 1);
    CGContextBeginPath(c);
    addRoundedRect(c, b, radius);
    CGContextFillPath(c);
    const auto font = UIFont::boldSystemFontOfSize(13);
    for (size_t i = 0; i < titles_.size(); ++i) {
        const CGRect segment = CGRectMake(b.origin.x + w * static_cast<CGFloat>(i), b.origin.y, w, b.size.height);
        const bool selected = static_cast<NSInteger>(i) == selected_;
        if (selected) {
            CGContextSaveGState(c);
            CGContextBeginPath(c);
            addRoundedRect(c, b, radius);
            CGContextClip(c);
            if (tintColor) tintColor->setFill();
            else setBlueFill(c);
            CGContextFillRect(c, segment);
            CGContextRestoreGState(c);
        }
        if (i > 0) {
            setOutlineStroke(c);
            CGContextBeginPath(c);
            CGContextMoveToPoint(c, segment.origin.x, b.origin.y);
            CGContextAddLineToPoint(c, segment.origin.x, CGRectGetMaxY(b));
            CGContextStrokePath(c);
        }
        if (selected) CGContextSetRGBFillColor(c, 1, 1, 1, 1);
        else CGContextSetRGBFillColor(c, 0.3, 0.3, 0.3, 1);
        const CGFloat h = sizeWithFont(titles_[i], font).height;
        drawInRect(titles_[i], CGRectMake(segment.origin.x + 2, CGRectGetMidY(segment) - h / 2, w - 4, h), font,
                   UILineBreakModeTailTruncation, UITextAlignmentCenter);
    }
    setOutlineStroke(c);
    CGContextBeginPath(c);
    addRoundedRect(c, b, radius);
    CGContextStrokePath(c);
}

void UIPageControl::drawRect(CGRect rect)
{
    if (pages_ <= 0 || (hidesForSinglePage && pages_ == 1)) return;
    CGContextRef c = UIGraphicsGetCurrentContext();
    const CGRect b = bounds();
    constexpr CGFloat kDot = 7, kPitch = 16;
    const CGFloat first = CGRectGetMidX(b) - kPitch * static_cast<CGFloat>(pages_ - 1) / 2;
    for (NSInteger i = 0; i < pages_; ++i) {
        CGContextSetRGBFillColor(c, 1, 1, 1, i == current_ ? 1 : 0.5);
        CGContextFillEllipseInRect(c, CGRectMake(first + kPitch * static_cast<CGFloat>(i) - kDot / 2, CGRectGetMidY(b) - kDot / 2, kDot, kDot));
    }
}

NXPixel NXImagePixelAt(const std::shared_ptr<UIImage>& image, CGPoint point)
{
    if (!image || !image->CGImage()) return {};
    cairo_surface_t* s = image->CGImage()->surface();
    cairo_surface_flush(s);
    const auto x = static_cast<long>(std::floor(point.x * image->scale())), y = static_cast<long>(std::floor(point.y * image->scale()));
    if (x < 0 || y < 0 || x >= cairo_image_surface_get_width(s) || y >= cairo_image_surface_get_height(s)) return {};
    const unsigned char* p = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s) + x * 4;
    const int a = cairo_image_surface_get_format(s) == CAIRO_FORMAT_ARGB32 ? p[3] : 255;
    auto straight = [a](int v) { return a ? std::min(255, (v * 255 + a / 2) / a) : 0; };
    return NXPixel{straight(p[2]), straight(p[1]), straight(p[0]), a};
}
