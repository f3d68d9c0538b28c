#include "protocol/NSDataAdditions.h"

#include "platform/foundation/NSFileManager.h"

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
