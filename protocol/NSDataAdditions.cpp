#include "protocol/NSDataAdditions.h"

#include <zlib.h>

#include <algorithm>
#include <climits>

#include "platform/foundation/NSFileManager.h"

namespace {

// zlib counts in uInt; longer inputs are fed in slices.
uInt sliceOf(size_t remaining) { return static_cast<uInt>(std::min<size_t>(remaining, UINT_MAX)); }

}  // namespace

std::optional<NSData> NSDataAdditions::dataWithUncompressedContentsOfFile(const NSString& path)
{
    std::optional<NSData> data = NSDataWithContentsOfFile(path);
    if (data && path.pathExtension() == "gz") return gzipInflate(*data);
    return data;
}

std::optional<NSData> NSDataAdditions::gzipInflate(const NSData& data, size_t limit)
{
    if (data.empty()) return data;
    z_stream stream{};
    if (inflateInit2(&stream, 15 + 32) != Z_OK) return std::nullopt;

    // Starts at one and a half times the input and doubles when full, up to the limit.
    NSData out(std::min(limit, std::max<size_t>(data.size() + data.size() / 2, 64)));
    size_t consumed = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (stream.total_out == out.size()) {
            if (out.size() >= limit) break;
            out.resize(std::min(limit, out.size() * 2));
        }
        if (stream.avail_in == 0) {
            stream.next_in = const_cast<Bytef*>(data.data() + consumed);
            stream.avail_in = sliceOf(data.size() - consumed);
            consumed += stream.avail_in;
        }
        stream.next_out = out.data() + stream.total_out;
        stream.avail_out = sliceOf(out.size() - stream.total_out);
        status = inflate(&stream, Z_SYNC_FLUSH);
        if (status == Z_BUF_ERROR) {
            // Room or input is missing; input used up before the stream's end means it was cut.
            if (stream.avail_out != 0 && consumed == data.size()) break;
            status = Z_OK;
        }
    }
    const bool ended = status == Z_STREAM_END;
    const size_t produced = stream.total_out;
    inflateEnd(&stream);
    if (!ended) return std::nullopt;
    out.resize(produced);
    return out;
}

std::optional<NSData> NSDataAdditions::gzipDeflate(const NSData& data)
{
    if (data.empty()) return data;
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::nullopt;
    }
    NSData out(deflateBound(&stream, static_cast<uLong>(data.size())) + 64);
    size_t consumed = 0;
    int status = Z_OK;
    while (status == Z_OK || status == Z_BUF_ERROR) {
        if (stream.total_out == out.size()) out.resize(out.size() * 2);
        if (stream.avail_in == 0 && consumed < data.size()) {
            stream.next_in = const_cast<Bytef*>(data.data() + consumed);
            stream.avail_in = sliceOf(data.size() - consumed);
            consumed += stream.avail_in;
        }
        stream.next_out = out.data() + stream.total_out;
        stream.avail_out = sliceOf(out.size() - stream.total_out);
        status = deflate(&stream, consumed == data.size() ? Z_FINISH : Z_NO_FLUSH);
    }
    const bool ended = status == Z_STREAM_END;
    const size_t produced = stream.total_out;
    deflateEnd(&stream);
    if (!ended) return std::nullopt;
    out.resize(produced);
    return out;
}
