#include "platform/foundation/NSNotificationCenter.h"
#include "platform/uikit/UIApplication.h"

UIDeviceOrientation UIDevice::orientation() const
{
    return isGeneratingDeviceOrientationNotifications() ? orientation_ : UIDeviceOrientationUnknown;
}

void UIDevice::setOrientation(UIDeviceOrientation orientation)
{
    if (orientation == orientation_) return;
    orientation_ = orientation;
    if (isGeneratingDeviceOrientationNotifications())
        NSNotificationCenter::defaultCenter()->postNotificationName(UIDeviceOrientationDidChangeNotification, nullptr);
}

void UIDevice::resetOrientation()
{
    orientation_ = UIDeviceOrientationPortrait;
    generating_ = 0;
}
