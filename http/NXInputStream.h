#pragma once
// The body stream the connection reads a request body through: a file or
// bytes, each read counted as bandwidth used (and limited while throttling is on).

#include <cstdio>
#include <memory>
#include <mutex>

#include "platform/cfnetwork/CFReadStream.h"

class NXHTTPRequest;

class NXInputStream : public CFBodyStream {
public:
    // nil when the file cannot be opened.
    static std::shared_ptr<NXInputStream> inputStreamWithFileAtPath(const NSString& path,
                                                                    const std::shared_ptr<NXHTTPRequest>& request);
    static std::shared_ptr<NXInputStream> inputStreamWithData(NSData data, const std::shared_ptr<NXHTTPRequest>& request);

    long read(uint8_t* buffer, size_t maxLength) override;
    void close();

    ~NXInputStream() override { close(); }

private:
    long readWrapped(uint8_t* buffer, size_t length);

    std::weak_ptr<NXHTTPRequest> request_;
    FILE* file_ = nullptr;
    NSData data_;
    size_t offset_ = 0;
    bool closed_ = false;
    static std::mutex inputStreamReadLock;
};
