#pragma once
// The data additions of the XML reader: files that may be gzip-compressed, and
// gzip in memory (the request engine's compression serves both).

#include <cstddef>
#include <optional>

#include "http/NXHTTPUtilities.h"
#include "platform/foundation/NSString.h"

class NSDataAdditions {
public:
    // The file's bytes, inflated when the path's extension is "gz"; nil when the
    // file cannot be read or does not inflate.
    static std::optional<NSData> dataWithUncompressedContentsOfFile(const NSString& path);
    // Inflates gzip or zlib data (the header is detected); nil on damage, a
    // stream that does not end, or output beyond `limit` (the buffer grows by
    // doubling). Empty data is returned as it is.
    static std::optional<NSData> gzipInflate(const NSData& data, size_t limit = nxhttp::kMaxInflatedSize);
    // Gzip form of the data; nil when the compressor cannot start. Empty data is
    // returned as it is.
    static std::optional<NSData> gzipDeflate(const NSData& data);
};
