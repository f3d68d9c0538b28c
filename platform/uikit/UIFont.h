#pragma once
// Fonts by name and size, measured and drawn with FreeType. The system fonts
// are Liberation Sans, whose advances match the device's Helvetica, so text
// laid out for the device fits here as it does there (bold for the bold system
// font and for any name containing "Bold"); characters the Latin face lacks
// (Chinese) come from WenQuanYi Micro Hei. The font files are Debian's, found
// at their usual paths or through fontconfig.

#include <memory>

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIGeometry.h"

class UIFont : public NSObject {
public:
    UIFont(NSString name, CGFloat size) : fontName_(std::move(name)), pointSize_(size) {}
    static std::shared_ptr<UIFont> fontWithName(const NSString& name, CGFloat size) { return std::make_shared<UIFont>(name, size); }
    static std::shared_ptr<UIFont> systemFontOfSize(CGFloat size) { return fontWithName("System", size); }
    static std::shared_ptr<UIFont> boldSystemFontOfSize(CGFloat size) { return fontWithName("System-Bold", size); }
    // The platform's standard size of button titles.
    static CGFloat buttonFontSize() { return 18; }
    std::shared_ptr<UIFont> fontWithSize(CGFloat size) const { return fontWithName(fontName_, size); }
    const NSString& fontName() const { return fontName_; }
    CGFloat pointSize() const { return pointSize_; }
    bool isBold() const;

    // Metrics in points: ascender above the baseline (positive), descender
    // below it (negative), and the distance between baselines.
    CGFloat ascender() const;
    CGFloat descender() const;
    CGFloat lineHeight() const;

    NSString description() const override { return NSString::stringWithFormat("UIFont(%@ %g)", fontName_, pointSize_); }

private:
    NSString fontName_;
    CGFloat pointSize_;
};
