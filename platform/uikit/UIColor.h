#pragma once
// Colours, images and fonts as small values; the drawing layer gives them
// pixels and metrics.

#include <memory>

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIGeometry.h"

class UIColor : public NSObject {
public:
    UIColor(CGFloat r, CGFloat g, CGFloat b, CGFloat a) : red(r), green(g), blue(b), alpha(a) {}
    static std::shared_ptr<UIColor> colorWithRed(CGFloat r, CGFloat g, CGFloat b, CGFloat a)
    {
        return std::make_shared<UIColor>(r, g, b, a);
    }
    static std::shared_ptr<UIColor> colorWithWhite(CGFloat white, CGFloat a) { return colorWithRed(white, white, white, a); }
    static std::shared_ptr<UIColor> blackColor() { return colorWithWhite(0, 1); }
    static std::shared_ptr<UIColor> whiteColor() { return colorWithWhite(1, 1); }
    static std::shared_ptr<UIColor> clearColor() { return colorWithWhite(0, 0); }
    static std::shared_ptr<UIColor> grayColor() { return colorWithWhite(0.5, 1); }
    static std::shared_ptr<UIColor> redColor() { return colorWithRed(1, 0, 0, 1); }
    static std::shared_ptr<UIColor> blueColor() { return colorWithRed(0, 0, 1, 1); }
    static std::shared_ptr<UIColor> orangeColor() { return colorWithRed(1, 0.5, 0, 1); }
    bool isEqual(const UIColor& o) const
    {
        return red == o.red && green == o.green && blue == o.blue && alpha == o.alpha;
    }
    NSString description() const override
    {
        return NSString::stringWithFormat("UIColor(%g, %g, %g, %g)", red, green, blue, alpha);
    }

    const CGFloat red, green, blue, alpha;
};

class UIImage : public NSObject {
public:
    UIImage(NSString name, CGSize size) : name_(std::move(name)), size_(size) {}
    // An image known by its resource name; nil for a nil or empty name.
    static std::shared_ptr<UIImage> imageNamed(const NSString& name)
    {
        if (name.isNil() || name.str().empty()) return nullptr;
        return std::make_shared<UIImage>(name, CGSizeZero);
    }
    const NSString& name() const { return name_; }
    CGSize size() const { return size_; }
    NSString description() const override { return NSString::stringWithFormat("UIImage(%@)", name_); }

private:
    NSString name_;
    CGSize size_;
};

class UIFont : public NSObject {
public:
    UIFont(NSString name, CGFloat size) : fontName_(std::move(name)), pointSize_(size) {}
    static std::shared_ptr<UIFont> fontWithName(const NSString& name, CGFloat size) { return std::make_shared<UIFont>(name, size); }
    static std::shared_ptr<UIFont> systemFontOfSize(CGFloat size) { return fontWithName("System", size); }
    static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat size) { return fontWithName("System-Bold", size); }
    const NSString& fontName() const { return fontName_; }
    CGFloat pointSize() const { return pointSize_; }

private:
    NSString fontName_;
    CGFloat pointSize_;
};
