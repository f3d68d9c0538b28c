// Layers that stand alone as sublayers of a view's layer: geometry, contents
// with gravity and scale, an affine transform, and their drawing.

#include <algorithm>

#include "platform/uikit/UIImage.h"
#include "platform/uikit/UIView.h"

const NSString kCAGravityResize = "resize";
const NSString kCAGravityResizeAspect = "resizeAspect";
const NSString kCAGravityResizeAspectFill = "resizeAspectFill";
const NSString kCAGravityCenter = "center";

CALayer::~CALayer()
{
    for (const auto& sub : sublayers_) sub->superlayer_ = nullptr;
}

CGRect CALayer::frame() const
{
    return CGRectMake(position.x - bounds.size.width / 2, position.y - bounds.size.height / 2, bounds.size.width,
                      bounds.size.height);
}

void CALayer::setFrame(CGRect frame)
{
    bounds.size = frame.size;
    position = CGPointMake(CGRectGetMidX(frame), CGRectGetMidY(frame));
}

void CALayer::addSublayer(const std::shared_ptr<CALayer>& layer)
{
    if (!layer || layer.get() == this) return;
    layer->removeFromSuperlayer();
    layer->superlayer_ = this;
    sublayers_.push_back(layer);
}

void CALayer::removeFromSuperlayer()
{
    CALayer* parent = superlayer_;
    if (!parent) return;
    auto keep = std::static_pointer_cast<CALayer>(shared_from_this());
    superlayer_ = nullptr;
    auto& siblings = parent->sublayers_;
    siblings.erase(std::remove(siblings.begin(), siblings.end(), keep), siblings.end());
}

void CALayer::renderSublayersInContext(CGContextRef context) const
{
    for (const auto& sub : sublayers_)
        if (!sub->hidden) sub->render(context);
}

namespace {

// Where the gravity puts contents of a size (in points) within the bounds.
CGRect placeContents(const NSString& gravity, CGSize size, CGRect bounds)
{
    if (gravity == kCAGravityResize || size.width <= 0 || size.height <= 0) return bounds;
    CGSize placed = size;
    if (gravity == kCAGravityResizeAspect || gravity == kCAGravityResizeAspectFill) {
        const CGFloat fx = bounds.size.width / size.width, fy = bounds.size.height / size.height;
        const CGFloat f = gravity == kCAGravityResizeAspect ? std::min(fx, fy) : std::max(fx, fy);
        placed = CGSizeMake(size.width * f, size.height * f);
    }
    return CGRectMake(CGRectGetMidX(bounds) - placed.width / 2, CGRectGetMidY(bounds) - placed.height / 2, placed.width,
                      placed.height);
}

}  // namespace

void CALayer::render(CGContextRef c) const
{
    CGContextSaveGState(c);
    CGContextTranslateCTM(c, position.x, position.y);
    CGContextConcatCTM(c, affineTransform_);
    CGContextTranslateCTM(c, -bounds.size.width / 2 - bounds.origin.x, -bounds.size.height / 2 - bounds.origin.y);
    if (masksToBounds) CGContextClipToRect(c, bounds);
    if (contents && contents->CGImage()) {
        const CGFloat scale = contentsScale > 0 ? contentsScale : 1;
        const CGSize size = CGSizeMake(static_cast<CGFloat>(CGImageGetWidth(contents->CGImage())) / scale,
                                       static_cast<CGFloat>(CGImageGetHeight(contents->CGImage())) / scale);
        contents->drawInRect(placeContents(contentsGravity, size, bounds));
    }
    renderSublayersInContext(c);
    CGContextRestoreGState(c);
}
