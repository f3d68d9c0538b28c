#pragma once
// Base64 (RFC 4648) in the standard and the web-safe alphabet. Encoding writes
// one line without breaks; decoding skips white space and checks padding and the
// unused bits of the last group. Empty input encodes to nil; a failed decoding
// is nil.

#include <cstddef>
#include <cstdint>
#include <optional>

#include "platform/foundation/NSString.h"

class Base64Codec {
public:
    static std::optional<NSData> encodeData(const NSData& data);
    static std::optional<NSData> encodeBytes(const void* bytes, size_t length);
    static NSString stringByEncodingData(const NSData& data);
    static NSString stringByEncodingBytes(const void* bytes, size_t length);
    static std::optional<NSData> decodeData(const NSData& data);
    static std::optional<NSData> decodeBytes(const void* bytes, size_t length);
    static std::optional<NSData> decodeString(const NSString& string);

    static std::optional<NSData> webSafeEncodeData(const NSData& data, bool padded);
    static std::optional<NSData> webSafeEncodeBytes(const void* bytes, size_t length, bool padded);
    static NSString stringByWebSafeEncodingData(const NSData& data, bool padded);
    static NSString stringByWebSafeEncodingBytes(const void* bytes, size_t length, bool padded);
    static std::optional<NSData> webSafeDecodeData(const NSData& data);
    static std::optional<NSData> webSafeDecodeBytes(const void* bytes, size_t length);
    static std::optional<NSData> webSafeDecodeString(const NSString& string);

    // The 6-bit value of a byte of the standard alphabet; -1 for any other byte.
    static int standardValue(uint8_t byte);

    // The length encoding `length` bytes takes.
    static size_t guessEncodedLength(size_t length, bool padded);

    // Encodes into dest (at least guessEncodedLength bytes); returns the bytes
    // written, 0 when the input is empty or dest too small.
    static size_t baseEncode(const uint8_t* src, size_t srcLen, char* destBytes, size_t destLen, const char* charset,
                             bool padded);
    // Decodes src up to its end or a zero byte; nullopt when it is not valid.
    static std::optional<NSData> baseDecode(const uint8_t* src, size_t srcLen, const char* charset,
                                            bool requirePadding);
};
