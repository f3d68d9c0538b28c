#pragma once
// Snapshots: a view tree drawn as the screen would show it (backgrounds,
// corner radii, borders, custom drawing, labels, buttons, images, alpha,
// hidden views and clipping) into an image or a PNG file.

#include <memory>

#include "platform/uikit/UIView.h"
#include "platform/foundation/NSString.h"

// The view and its subviews at the scale (0: the main screen's), the view's
// bounds filling the image; nil for a nil view or an empty bounds.
std::shared_ptr<UIImage> NXSnapshotImage(UIView* view, CGFloat scale = 0);
// The same written as a PNG file; false when it could not be written.
bool NXSnapshotToPNG(UIView* view, const NSString& path, CGFloat scale = 0);

// One pixel of an image, straight (not premultiplied) 0-255 components.
struct NXPixel {
    int r = 0, g = 0, b = 0, a = 0;
    bool operator==(const NXPixel&) const = default;
};
// The pixel under a point given in points (pixels times the image's scale);
// transparent outside the image or for a nil image.
NXPixel NXImagePixelAt(const std::shared_ptr<UIImage>& image, CGPoint point);
