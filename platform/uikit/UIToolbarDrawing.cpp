// The faces of the toolbar and of the navigation bar: a vertical gradient in
// the bar style's colours, or the tint's.

#include "platform/uikit/UINavigationController.h"

void NXDrawBarFace(CGRect b, UIBarStyle barStyle, const std::shared_ptr<UIColor>& tintColor, bool translucent)
{
    // What lies under a translucent bar shows through it.
    const CGFloat alpha = translucent || barStyle == UIBarStyleBlackTranslucent ? 0.7 : 1;
    CGFloat top[4] = {0.69, 0.74, 0.80, 1}, bottom[4] = {0.43, 0.52, 0.62, 1};
    if (tintColor) {
        for (int i = 0; i < 3; ++i) {
            const CGFloat v = i == 0 ? tintColor->red : (i == 1 ? tintColor->green : tintColor->blue);
            top[i] = v + (1 - v) * 0.3;
            bottom[i] = v * 0.8;
        }
    } else if (barStyle != UIBarStyleDefault) {
        for (int i = 0; i < 3; ++i) {
            top[i] = 0.35;
            bottom[i] = 0.05;
        }
    }
    const CGFloat components[8] = {top[0], top[1], top[2], alpha, bottom[0], bottom[1], bottom[2], alpha};
    const CGFloat locations[2] = {0, 1};
    CGContextRef c = UIGraphicsGetCurrentContext();
    auto gradient = CGGradientCreateWithColorComponents(CGColorSpaceCreateDeviceRGB(), components, locations, 2);
    CGContextSaveGState(c);
    CGContextClipToRect(c, b);
    CGContextDrawLinearGradient(c, gradient, CGPointMake(0, CGRectGetMinY(b)), CGPointMake(0, CGRectGetMaxY(b)), 0);
    CGContextRestoreGState(c);
}

void UIToolbar::drawRect(CGRect rect) { NXDrawBarFace(bounds(), barStyle, tintColor, translucent_); }
