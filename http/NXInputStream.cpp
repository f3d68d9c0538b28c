#include "http/NXInputStream.h"

#include <algorithm>
#include <cstring>

#include "http/NXHTTPRequest.h"

std::mutex NXInputStream::inputStreamReadLock;

std::shared_ptr<NXInputStream> NXInputStream::inputStreamWithFileAtPath(const NSString& path,
                                                                       const std::shared_ptr<NXHTTPRequest>& request)
{
    FILE* f = fopen(path.str().c_str(), "rb");
    if (!f) return nullptr;
    auto s = std::make_shared<NXInputStream>();
    s->file_ = f;
    s->request_ = request;
    return s;
}

std::shared_ptr<NXInputStream> NXInputStream::inputStreamWithData(NSData data, const std::shared_ptr<NXHTTPRequest>& request)
{
    auto s = std::make_shared<NXInputStream>();
    s->data_ = std::move(data);
    s->request_ = request;
    return s;
}

long NXInputStream::read(uint8_t* buffer, size_t maxLength)
{
    {
        std::lock_guard<std::mutex> lock(inputStreamReadLock);
        if (NXHTTPRequest::isBandwidthThrottled()) {
            unsigned long allowed = NXHTTPRequest::maxUploadReadLength();
            maxLength = allowed == 0 ? 1 : std::min<size_t>(maxLength, allowed);
            if (auto r = request_.lock()) r->performThrottling();
        }
        NXHTTPRequest::incrementBandwidthUsedInLastSecond(maxLength);
    }
    return readWrapped(buffer, maxLength);
}

long NXInputStream::readWrapped(uint8_t* buffer, size_t length)
{
    if (closed_) return -1;
    if (file_) {
        size_t n = fread(buffer, 1, length, file_);
        return ferror(file_) ? -1 : static_cast<long>(n);
    }
    size_t n = std::min(length, data_.size() - offset_);
    if (n) std::memcpy(buffer, data_.data() + offset_, n);
    offset_ += n;
    return static_cast<long>(n);
}

void NXInputStream::close()
{
    closed_ = true;
    if (file_) fclose(file_);
    file_ = nullptr;
}
