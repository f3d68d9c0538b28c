#pragma once
// The stateless helpers of the request engine: gzip bodies in memory and
// between files (zlib), Base64, MIME types by file extension and the default
// User-Agent text. NXHTTPRequest exposes them as its class operations.

#include <cstdio>
#include <map>
#include <optional>

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSString.h"

namespace nxhttp {

// Largest body the in-memory inflater produces; a bigger one is refused as
// damaged so that a small hostile reply cannot exhaust memory.
inline constexpr size_t kMaxInflatedSize = size_t{256} << 20;

// Inflates a gzip or zlib stream; nullopt when damaged, truncated or too big.
std::optional<NSData> uncompressZippedData(const NSData& compressed, size_t limit = kMaxInflatedSize);
// Gzip form of the bytes; nullopt only when zlib cannot be set up.
std::optional<NSData> compressData(const NSData& data);

// File forms. 0 success; 1 the destination cannot be created; -1 a read or
// write error (also when the source cannot be opened); else the zlib code.
int uncompressZippedDataFromFile(const NSString& sourcePath, const NSString& destinationPath);
int uncompressZippedDataFromSource(FILE* source, FILE* destination);
int compressDataFromFile(const NSString& sourcePath, const NSString& destinationPath);
int compressDataFromSource(FILE* source, FILE* destination);

// Standard alphabet, "=" padding, no line breaks.
NSString base64forData(const NSData& data);

// The MD5 of the text's bytes as 32 upper-case hex digits; nil for nil.
NSString md5HexString(const NSString& text);

// nil when no file exists at the path; else the type of its extension in
// /etc/mime.types or a built-in table of common types, or
// "application/octet-stream" when neither knows it.
NSString mimeTypeForFileAtPath(const NSString& path);

// "Name Version (Model; OS OSVersion; Locale)" from a bundle's information
// dictionary; nil when it names the application neither way.
NSString userAgentStringForBundleInfo(const std::map<NSString, NSString>& info);

// An HTTP date ("Sun, 06 Nov 1994 08:49:37 GMT"; weekday and seconds
// optional); nullopt when it does not parse.
std::optional<NSDate> dateFromRFC1123String(const NSString& text);

}  // namespace nxhttp
