#pragma once
// A picture fetched from a URL text in one blocking call on the calling
// thread. Only http and https are fetched, within the time-out its source
// gives and at most kMaxBytes of body; a picture over 4096 pixels a side is refused.
// Anything else gives nil.

#include <memory>

#include "platform/uikit/UIImage.h"

class ImageDownload : public NSObject {
public:
    static constexpr unsigned long long kMaxBytes = 4 * 1024 * 1024;
    static std::shared_ptr<UIImage> downloadImageByImageURL(const NSString& urlText);
    // Where each fetch reads its time-out: the application points it at its
    // service's time-out as it starts; 30 seconds until then.
    static void setTimeOutSource(double (*source)());
};
