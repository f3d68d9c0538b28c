#pragma once
// The data additions of the XML reader: files that may be gzip-compressed,
// gzip in memory (the request engine's compression serves both), and a lenient
// Base64 for data objects.

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

    // Base64 of the standard alphabet, read leniently: every byte outside the
    // alphabet is skipped, except "=", which ends the data (a group cut after two
    // characters gives one byte, after three two bytes). A last group without
    // "=" that has fewer than four characters is dropped, and so are the unused
    // low bits of a cut group. A nil string gives empty data.
    static NSData dataWithBase64EncodedString(const NSString& string);
    static NSData initWithBase64EncodedString(const NSString& string) { return dataWithBase64EncodedString(string); }
    // The standard alphabet, padded with "=", on one line; "" for empty data.
    static NSString base64Encoding(const NSData& data) { return base64EncodingWithLineLength(data, 0); }
    // As base64Encoding; with a line length other than 0, a "\n" follows every
    // group of four characters after which the line holds at least that many,
    // the last group included.
    static NSString base64EncodingWithLineLength(const NSData& data, unsigned long lineLength);
};
