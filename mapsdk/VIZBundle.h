#pragma once
// The paths of the SDK's resources inside "vizmap.bundle" of the main bundle.

#include "platform/foundation/NSString.h"

// The file of the bundle at the relative path; nil without the bundle or
// for a nil name.
NSString VIZGetBundleFilePath(const NSString& name);
// The image of that name ("images/NAME@2x.png" on a Retina screen, else
// "images/NAME.png"); nil as above.
NSString VIZGetBundleImagePath(const NSString& name);
