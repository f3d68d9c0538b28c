#include "protocol/Base64Codec.h"

#include <array>

namespace {

constexpr char kStandard[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr char kWebSafe[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_";
constexpr char kPad = '=';
constexpr int kInvalid = -1;
constexpr int kSpace = -2;

bool isBase64Space(uint8_t c) { return (c >= 9 && c <= 13) || c == 32 || c == 160 || c == 255; }

// The decoding table of an alphabet: each byte's 6-bit value, kSpace or kInvalid.
std::array<int, 256> decodingTable(const char* charset)
{
    std::array<int, 256> table;
    for (int c = 0; c < 256; ++c) table[c] = isBase64Space(static_cast<uint8_t>(c)) ? kSpace : kInvalid;
    for (int i = 0; i < 64; ++i) table[static_cast<uint8_t>(charset[i])] = i;
    return table;
}

const std::array<int, 256>& standardTable()
{
    static const std::array<int, 256> table = decodingTable(kStandard);
    return table;
}

const std::array<int, 256>& webSafeTable()
{
    static const std::array<int, 256> table = decodingTable(kWebSafe);
    return table;
}

// Encodes into a container of chars or bytes; false for empty input.
template <class Out>
bool encodeInto(const void* bytes, size_t length, const char* charset, bool padded, Out& out)
{
    if (length == 0 || !bytes) return false;
    out.resize(Base64Codec::guessEncodedLength(length, padded));
    size_t written = Base64Codec::baseEncode(static_cast<const uint8_t*>(bytes), length,
                                             reinterpret_cast<char*>(out.data()), out.size(), charset, padded);
    out.resize(written);
    return true;
}

std::optional<NSData> encode(const void* bytes, size_t length, const char* charset, bool padded)
{
    NSData out;
    if (!encodeInto(bytes, length, charset, padded, out)) return std::nullopt;
    return out;
}

NSString encodeToString(const void* bytes, size_t length, const char* charset, bool padded)
{
    std::string out;
    if (!encodeInto(bytes, length, charset, padded, out)) return NSString();
    return NSString(std::move(out));
}

std::optional<NSData> decodeString(const NSString& string, const char* charset, bool requirePadding)
{
    auto ascii = string.dataUsingEncoding(NSASCIIStringEncoding);
    if (!ascii) return std::nullopt;
    return Base64Codec::baseDecode(ascii->data(), ascii->size(), charset, requirePadding);
}

}  // namespace

int Base64Codec::standardValue(uint8_t byte)
{
    const int v = standardTable()[byte];
    return v >= 0 ? v : -1;
}

size_t Base64Codec::guessEncodedLength(size_t length, bool padded)
{
    size_t n = (length * 8 + 5) / 6;
    return padded ? (n + 3) / 4 * 4 : n;
}

size_t Base64Codec::baseEncode(const uint8_t* src, size_t srcLen, char* destBytes, size_t destLen,
                               const char* charset, bool padded)
{
    if (srcLen == 0 || destLen < guessEncodedLength(srcLen, padded)) return 0;
    char* out = destBytes;
    size_t i = 0;
    for (; i + 3 <= srcLen; i += 3) {
        uint32_t v = (uint32_t{src[i]} << 16) | (uint32_t{src[i + 1]} << 8) | src[i + 2];
        *out++ = charset[v >> 18];
        *out++ = charset[(v >> 12) & 63];
        *out++ = charset[(v >> 6) & 63];
        *out++ = charset[v & 63];
    }
    if (size_t rest = srcLen - i) {
        uint32_t v = uint32_t{src[i]} << 16;
        if (rest == 2) v |= uint32_t{src[i + 1]} << 8;
        *out++ = charset[v >> 18];
        *out++ = charset[(v >> 12) & 63];
        if (rest == 2) *out++ = charset[(v >> 6) & 63];
        if (padded) {
            *out++ = kPad;
            if (rest == 1) *out++ = kPad;
        }
    }
    return static_cast<size_t>(out - destBytes);
}

std::optional<NSData> Base64Codec::baseDecode(const uint8_t* src, size_t srcLen, const char* charset,
                                              bool requirePadding)
{
    std::array<int, 256> custom;
    const auto& table = charset == kStandard  ? standardTable()
                        : charset == kWebSafe ? webSafeTable()
                                              : (custom = decodingTable(charset));
    NSData out(srcLen / 4 * 3 + 3);
    size_t written = 0;
    uint32_t group = 0;
    int count = 0;
    bool padded = false;
    size_t i = 0;
    for (; i < srcLen && src[i] != 0; ++i) {
        uint8_t c = src[i];
        if (c == kPad) {
            padded = true;
            break;
        }
        int v = table[c];
        if (v == kSpace) continue;
        if (v == kInvalid) return std::nullopt;
        group = (group << 6) | static_cast<uint32_t>(v);
        if (++count == 4) {
            out[written++] = static_cast<uint8_t>(group >> 16);
            out[written++] = static_cast<uint8_t>(group >> 8);
            out[written++] = static_cast<uint8_t>(group);
            group = 0;
            count = 0;
        }
    }

    auto skipSpace = [&](size_t from) {
        while (from < srcLen && src[from] != 0 && isBase64Space(src[from])) ++from;
        return from;
    };
    auto atEnd = [&](size_t at) { return at >= srcLen || src[at] == 0; };

    if (padded) {
        if (count < 2) return std::nullopt;
        size_t next = i + 1;
        if (count == 2) {
            next = skipSpace(next);
            if (atEnd(next) || src[next] != kPad) return std::nullopt;
            ++next;
        }
        if (!atEnd(skipSpace(next))) return std::nullopt;
    } else if (count == 1 || (requirePadding && count != 0)) {
        return std::nullopt;
    }

    if (count == 2) {
        if (group & 0xF) return std::nullopt;
        out[written++] = static_cast<uint8_t>(group >> 4);
    } else if (count == 3) {
        if (group & 0x3) return std::nullopt;
        out[written++] = static_cast<uint8_t>(group >> 10);
        out[written++] = static_cast<uint8_t>(group >> 2);
    }
    out.resize(written);
    return out;
}

std::optional<NSData> Base64Codec::encodeData(const NSData& data) { return encode(data.data(), data.size(), kStandard, true); }
std::optional<NSData> Base64Codec::encodeBytes(const void* bytes, size_t length) { return encode(bytes, length, kStandard, true); }
NSString Base64Codec::stringByEncodingData(const NSData& data) { return encodeToString(data.data(), data.size(), kStandard, true); }
NSString Base64Codec::stringByEncodingBytes(const void* bytes, size_t length) { return encodeToString(bytes, length, kStandard, true); }
std::optional<NSData> Base64Codec::decodeData(const NSData& data) { return baseDecode(data.data(), data.size(), kStandard, true); }
std::optional<NSData> Base64Codec::decodeBytes(const void* bytes, size_t length)
{
    return bytes ? baseDecode(static_cast<const uint8_t*>(bytes), length, kStandard, true) : std::nullopt;
}
std::optional<NSData> Base64Codec::decodeString(const NSString& string) { return ::decodeString(string, kStandard, true); }

std::optional<NSData> Base64Codec::webSafeEncodeData(const NSData& data, bool padded) { return encode(data.data(), data.size(), kWebSafe, padded); }
std::optional<NSData> Base64Codec::webSafeEncodeBytes(const void* bytes, size_t length, bool padded) { return encode(bytes, length, kWebSafe, padded); }
NSString Base64Codec::stringByWebSafeEncodingData(const NSData& data, bool padded) { return encodeToString(data.data(), data.size(), kWebSafe, padded); }
NSString Base64Codec::stringByWebSafeEncodingBytes(const void* bytes, size_t length, bool padded) { return encodeToString(bytes, length, kWebSafe, padded); }
std::optional<NSData> Base64Codec::webSafeDecodeData(const NSData& data) { return baseDecode(data.data(), data.size(), kWebSafe, false); }
std::optional<NSData> Base64Codec::webSafeDecodeBytes(const void* bytes, size_t length)
{
    return bytes ? baseDecode(static_cast<const uint8_t*>(bytes), length, kWebSafe, false) : std::nullopt;
}
std::optional<NSData> Base64Codec::webSafeDecodeString(const NSString& string) { return ::decodeString(string, kWebSafe, false); }
