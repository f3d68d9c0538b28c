#pragma once
// Measuring and drawing strings (the platform's string-drawing category as
// free functions taking the string first). Text is drawn in the current
// context's fill colour; lines are broken as the line-break mode says, and the
// truncation modes put "…" where text was left out of the last line.

#include <memory>

#include "platform/foundation/NSString.h"
#include "platform/uikit/UIFont.h"
#include "platform/uikit/UIGeometry.h"

enum UITextAlignment : NSInteger { UITextAlignmentLeft = 0, UITextAlignmentCenter = 1, UITextAlignmentRight = 2 };
enum UILineBreakMode : NSInteger {
    UILineBreakModeWordWrap = 0,
    UILineBreakModeCharacterWrap = 1,
    UILineBreakModeClip = 2,
    UILineBreakModeHeadTruncation = 3,
    UILineBreakModeTailTruncation = 4,
    UILineBreakModeMiddleTruncation = 5,
};

using UIFontRef = std::shared_ptr<UIFont>;

// One line, unbroken. Sizes are rounded up to whole points; a nil or empty
// string measures 0 wide and, except for the plain call, one line high.
CGSize sizeWithFont(const NSString& s, const UIFontRef& font);
// One line of at most width, cut as the mode says.
CGSize sizeWithFont(const NSString& s, const UIFontRef& font, CGFloat width, UILineBreakMode mode);
// Lines of at most size.width, as many as fit in size.height (at least one).
CGSize sizeWithFont(const NSString& s, const UIFontRef& font, CGSize size);
CGSize sizeWithFont(const NSString& s, const UIFontRef& font, CGSize size, UILineBreakMode mode);

// Drawing returns the size the text took.
CGSize drawAtPoint(const NSString& s, CGPoint point, const UIFontRef& font);
CGSize drawAtPoint(const NSString& s, CGPoint point, CGFloat width, const UIFontRef& font, UILineBreakMode mode);
CGSize drawInRect(const NSString& s, CGRect rect, const UIFontRef& font);
CGSize drawInRect(const NSString& s, CGRect rect, const UIFontRef& font, UILineBreakMode mode);
CGSize drawInRect(const NSString& s, CGRect rect, const UIFontRef& font, UILineBreakMode mode, UITextAlignment alignment);
