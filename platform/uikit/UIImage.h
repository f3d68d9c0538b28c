#pragma once
// Images: from the resource folder by name (with "@2x" variants), from files
// and data (PNG and JPEG decoded for real), from drawing; stretchable caps;
// drawing into the current context; PNG encoding.

#include <memory>
#include <optional>

#include "platform/foundation/NSString.h"
#include "platform/uikit/CoreGraphics.h"

class UIImage : public NSObject {
public:
    UIImage(CGImageRef image, CGFloat scale, NSString name = NSString());

    // The image "name" of the main bundle (".png" added when the name has no
    // extension). On a scale-2 screen "name@2x" is preferred; either variant
    // serves when the other is missing. Nil for a nil or empty name, a
    // missing file or one that does not decode.
    static std::shared_ptr<UIImage> imageNamed(const NSString& name);
    static std::shared_ptr<UIImage> imageWithContentsOfFile(const NSString& path);
    // PNG or JPEG bytes; nil when they are neither or do not decode, or when
    // a side exceeds maxSide pixels (read from the header, before any pixel
    // memory is taken).
    static std::shared_ptr<UIImage> imageWithData(const NSData& data, unsigned maxSide = 32767);
    static std::shared_ptr<UIImage> imageWithCGImage(const CGImageRef& image) { return image ? std::make_shared<UIImage>(image, 1) : nullptr; }

    // The resource name it was loaded by (nil otherwise).
    const NSString& name() const { return name_; }
    // In points: pixels divided by the scale.
    CGSize size() const;
    CGFloat scale() const { return scale_; }
    const CGImageRef& CGImage() const { return image_; }

    // The same pixels, stretched by the point after the left (top) cap; the caps keep their
    // size, the right (bottom) one is the rest (width - leftCapWidth - 1). A cap of 0, or one
    // that leaves no point to stretch, stretches the whole image along that axis.
    std::shared_ptr<UIImage> stretchableImageWithLeftCapWidth(NSInteger leftCapWidth, NSInteger topCapHeight) const;
    NSInteger leftCapWidth() const { return leftCap_; }
    NSInteger topCapHeight() const { return topCap_; }

    // Into the current context, upright, scaled to the rectangle (caps kept).
    void drawInRect(CGRect rect) const;
    void drawInRect(CGRect rect, CGBlendMode mode, CGFloat alpha) const;
    void drawAtPoint(CGPoint point) const { drawInRect(CGRect{point, size()}); }

    NSString description() const override { return NSString::stringWithFormat("UIImage(%@)", name_); }

private:
    CGImageRef image_;
    CGFloat scale_;
    NSString name_;
    NSInteger leftCap_ = 0, topCap_ = 0;
};

// The image as PNG bytes; nil for a nil image.
std::optional<NSData> UIImagePNGRepresentation(const std::shared_ptr<UIImage>& image);
