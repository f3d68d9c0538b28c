#include "ui/ImageDownload.h"

#include <atomic>

#include "http/NXHTTPRequest.h"
#include "platform/foundation/NSLog.h"
#include "ui/PixImageLoader.h"

namespace {
double defaultTimeOut() { return 30; }
std::atomic<double (*)()> gTimeOutSource{&defaultTimeOut};
}  // namespace

void ImageDownload::setTimeOutSource(double (*source)()) { gTimeOutSource = source ? source : &defaultTimeOut; }

std::shared_ptr<UIImage> ImageDownload::downloadImageByImageURL(const NSString& urlText)
{
    try {
        auto url = NSURL::URLWithString(urlText);
        if (!url) return nullptr;
        const NSString scheme = url->scheme().lowercaseString();
        if (scheme != "http" && scheme != "https") return nullptr;
        auto request = NXHTTPRequest::requestWithURL(url);
        request->setTimeOutSeconds(gTimeOutSource.load()());
        request->setMaxResponseSize(kMaxBytes);
        request->startSynchronous();
        if (request->error()) return nullptr;
        const auto data = request->responseData();
        return data ? UIImage::imageWithData(*data, PixImageLoader::kMaxImageSide) : nullptr;
    } catch (const NSException& e) {
        NX_LOG("%@", e.reason());
        return nullptr;
    }
}
