#pragma once
// Colours: RGB, white, named, and pattern images. Images and fonts have their
// own headers, included here for the callers that know this one.

#include <memory>

#include "platform/foundation/NSString.h"
#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIGeometry.h"
#include "platform/uikit/UIImage.h"

class UIColor : public NSObject {
public:
    UIColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) : red(r), green(g), blue(b), alpha(a) {}
    static std::shared_ptr<UIColor> colorWithRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a)
    {
        return std::make_shared<UIColor>(r, g, b, a);
    }
    static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat a) { return colorWithRed(white, white, white, a); }
    // Paints with the image repeated from the user space's origin; nil for a nil image.
    static std::shared_ptr<UIColor> colorWithPatternImage(const std::shared_ptr<UIImage>& image);
    static std::shared_ptr<UIColor> blackColor() { return colorWithWhite(0, 1); }
    static std::shared_ptr<UIColor> whiteColor() { return colorWithWhite(1, 1); }
    static std::shared_ptr<UIColor> clearColor() { return colorWithWhite(0, 0); }
    static std::shared_ptr<UIColor> grayColor() { return colorWithWhite(0.5, 1); }
    static std::shared_ptr<UIColor> lightGrayColor() { return colorWithWhite(2.0 / 3, 1); }
    static std::shared_ptr<UIColor> darkGrayColor() { return colorWithWhite(1.0 / 3, 1); }
    static std::shared_ptr<UIColor> redColor() { return colorWithRed(1, 0, 0, 1); }
    static std::shared_ptr<UIColor> greenColor() { return colorWithRed(0, 1, 0, 1); }
    static std::shared_ptr<UIColor> blueColor() { return colorWithRed(0, 0, 1, 1); }
    static std::shared_ptr<UIColor> yellowColor() { return colorWithRed(1, 1, 0, 1); }
    static std::shared_ptr<UIColor> orangeColor() { return colorWithRed(1, 0.5, 0, 1); }
    static std::shared_ptr<UIColor> brownColor() { return colorWithRed(0.6, 0.4, 0.2, 1); }
    // The grouped table's pinstriped grey, drawn plain.
    static std::shared_ptr<UIColor> groupTableViewBackgroundColor() { return colorWithRed(0.77, 0.80, 0.83, 1); }

    // The same colour with another alpha (a pattern keeps its image).
    std::shared_ptr<UIColor> colorWithAlphaComponent(CGFloat a) const;
    bool isEqual(const UIColor& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha && patternImage_ == o.patternImage_;
    }
    NSString description() const override
    {
        return NSString::stringWithFormat("UIColor(%g, %g, %g, %g)", red, green, blue, alpha);
    }
    const std::shared_ptr<UIImage>& patternImage() const { return patternImage_; }
    CGColorRef CGColor() { return std::static_pointer_cast<UIColor>(shared_from_this()); }

    // Fill and stroke colour (set), or one of them, of the current context.
    void set();
    void setFill();
    void setStroke();

    const CGFloat red, green, blue, alpha;

private:
    std::shared_ptr<UIImage> patternImage_;
};
