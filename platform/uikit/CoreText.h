#pragma once
// Core Text as this system draws attributed text: fonts by name, a framesetter
// over an attributed string, and frames laid out in a path's rectangle and
// drawn with the same text engine as string drawing (runs of their own font and
// colour, words wrapped at the rectangle's width, as many lines as fit in its
// height). Core Text's user space has y growing upwards: a frame's first line
// hangs from the top (max y) of its rectangle, so a view flips its context
// before drawing a frame into it. Objects are shared_ptrs: no release calls.
// Without a font attribute text is in the 12-point system font; without a
// colour attribute it is black.

#include <memory>

#include "platform/uikit/CoreGraphics.h"
#include "platform/uikit/NSAttributedString.h"
#include "platform/uikit/UIFont.h"

using CFIndex = long;
struct CFRange {
    CFIndex location = 0;
    CFIndex length = 0;
};
inline CFRange CFRangeMake(CFIndex location, CFIndex length) { return {location, length}; }

// Attribute names; the values are a CTFontRef and a CGColorRef.
extern const NSString kCTFontAttributeName;
extern const NSString kCTForegroundColorAttributeName;

// Core Text fonts are the UIKit fonts: one font machinery. A size of 0 or less
// gives 12 points.
using CTFontRef = std::shared_ptr<UIFont>;
CTFontRef CTFontCreateWithName(const NSString& name, CGFloat size);

struct CTFramesetter;
struct CTFrame;
using CTFramesetterRef = std::shared_ptr<CTFramesetter>;
using CTFrameRef = std::shared_ptr<CTFrame>;

// Keeps a copy of the string (later changes to it do not show); null for null.
CTFramesetterRef CTFramesetterCreateWithAttributedString(const std::shared_ptr<NSAttributedString>& string);
// Lays out the units of the range (length 0: to the end; a range reaching
// past the end is cut there) in the path's bounding box. Null for a null
// framesetter or path.
CTFrameRef CTFramesetterCreateFrame(const CTFramesetterRef& framesetter, CFRange stringRange, const CGPathRef& path);
// Draws the frame's lines in the context's current user space.
void CTFrameDraw(const CTFrameRef& frame, CGContextRef context);
