#include <cmath>
#include <cstring>

#include "platform/foundation/NSCoder.h"
#include "platform/uikit/UIView.h"

namespace {

const NSString kFrameKey("UIFrame");

}  // namespace

void UIView::encodeWithCoder(NSCoder& coder) const
{
    const CGRect f = frame();
    const double values[4] = {f.origin.x, f.origin.y, f.size.width, f.size.height};
    coder.encodeBytes(values, sizeof values, kFrameKey);
}

CGRect UIView::frameWithCoder(const NSCoder& coder)
{
    NSUInteger length = 0;
    const uint8_t* bytes = coder.decodeBytesForKey(kFrameKey, &length);
    double values[4] = {};
    if (!bytes || length != sizeof values) return CGRectZero;
    std::memcpy(values, bytes, sizeof values);
    for (double value : values) {
        if (!std::isfinite(value)) return CGRectZero;
    }
    return CGRectMake(values[0], values[1], values[2], values[3]);
}
