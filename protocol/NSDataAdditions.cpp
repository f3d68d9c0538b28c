#include "protocol/NSDataAdditions.h"

#include "platform/foundation/NSFileManager.h"
#include "protocol/Base64Codec.h"

std::optional<NSData> NSDataAdditions::dataWithUncompressedContentsOfFile(const NSString& path)
{
    std::optional<NSData> data = NSDataWithContentsOfFile(path);
    if (data && path.pathExtension() == "gz") return gzipInflate(*data);
    return data;
}

std::optional<NSData> NSDataAdditions::gzipInflate(const NSData& data, size_t limit)
{
    return nxhttp::uncompressZippedData(data, limit);
}

std::optional<NSData> NSDataAdditions::gzipDeflate(const NSData& data) { return nxhttp::compressData(data); }

NSData NSDataAdditions::dataWithBase64EncodedString(const NSString& string)
{
    NSData out;
    uint32_t group = 0;
    int count = 0;
    bool ended = false;  // by "="
    for (char c : string.str()) {
        if (c == '=') {
            ended = true;
            break;
        }
        const int v = Base64Codec::standardValue(static_cast<uint8_t>(c));
        if (v < 0) continue;
        group = group << 6 | static_cast<uint32_t>(v);
        if (++count == 4) {
            out.push_back(static_cast<uint8_t>(group >> 16));
            out.push_back(static_cast<uint8_t>(group >> 8));
            out.push_back(static_cast<uint8_t>(group));
            group = 0;
            count = 0;
        }
    }
    // Only "=" keeps a cut group; one character makes no byte.
    if (ended && count >= 2) {
        group <<= 6 * (4 - count);
        out.push_back(static_cast<uint8_t>(group >> 16));
        if (count == 3) out.push_back(static_cast<uint8_t>(group >> 8));
    }
    return out;
}

NSString NSDataAdditions::base64EncodingWithLineLength(const NSData& data, unsigned long lineLength)
{
    const NSString line = Base64Codec::stringByEncodingData(data);
    if (line.isNil()) return "";
    if (lineLength == 0) return line;
    std::string out;
    unsigned long column = 0;
    for (size_t i = 0; i < line.str().size(); i += 4) {
        out.append(line.str(), i, 4);
        column += 4;
        if (column >= lineLength) {
            out += '\n';
            column = 0;
        }
    }
    return NSString(std::move(out));
}
