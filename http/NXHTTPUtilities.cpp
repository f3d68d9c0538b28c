#include "http/NXHTTPUtilities.h"

#include <openssl/evp.h>
#include <sys/stat.h>
#include <sys/utsname.h>
#include <unicode/locid.h>
#include <zlib.h>

#include "platform/commoncrypto/CommonCrypto.h"
#include "platform/foundation/NSDateFormatter.h"

#include <fstream>
#include <mutex>
#include <sstream>

namespace nxhttp {

namespace {

constexpr size_t kBlock = 16384;
constexpr int kInflateWindowBits = 15 + 32;  // zlib or gzip header, detected
constexpr int kDeflateWindowBits = 15 + 16;  // gzip wrapper

struct FileCloser {
    void operator()(FILE* f) const { if (f) fclose(f); }
};
using File = std::unique_ptr<FILE, FileCloser>;

// Opens both ends of a file-to-file transform and runs it.
int transformFile(const NSString& sourcePath, const NSString& destinationPath, int (*transform)(FILE*, FILE*))
{
    File destination(fopen(destinationPath.str().c_str(), "wb"));
    if (!destination) return 1;
    File source(fopen(sourcePath.str().c_str(), "rb"));
    if (!source) return -1;
    int status = transform(source.get(), destination.get());
    if (fclose(destination.release()) != 0 && status == 0) status = -1;
    return status;
}

}  // namespace

std::optional<NSData> uncompressZippedData(const NSData& compressed, size_t limit)
{
    if (compressed.empty()) return compressed;
    z_stream strm{};
    if (inflateInit2(&strm, kInflateWindowBits) != Z_OK) return std::nullopt;
    NSData out(std::min(limit, compressed.size() + compressed.size() / 2 + 64));
    strm.next_in = const_cast<Bytef*>(compressed.data());
    strm.avail_in = static_cast<uInt>(compressed.size());
    size_t produced = 0;
    int status = Z_OK;
    while (status == Z_OK) {
        if (produced == out.size()) {
            if (out.size() >= limit) break;
            out.resize(std::min(limit, out.size() * 2));
        }
        strm.next_out = out.data() + produced;
        strm.avail_out = static_cast<uInt>(std::min<size_t>(out.size() - produced, UINT32_MAX));
        uInt before = strm.avail_out;
        status = inflate(&strm, Z_SYNC_FLUSH);
        produced += before - strm.avail_out;
        // No input left and no room problem: the stream was cut short.
        if (status == Z_OK && strm.avail_in == 0 && strm.avail_out > 0) break;
    }
    bool ended = (status == Z_STREAM_END);
    if (inflateEnd(&strm) != Z_OK || !ended) return std::nullopt;
    out.resize(produced);
    return out;
}

std::optional<NSData> compressData(const NSData& data)
{
    if (data.empty()) return data;
    z_stream strm{};
    if (deflateInit2(&strm, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kDeflateWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return std::nullopt;
    strm.next_in = const_cast<Bytef*>(data.data());
    strm.avail_in = static_cast<uInt>(data.size());
    NSData out;
    size_t produced = 0;
    int status = Z_OK;
    do {
        if (produced == out.size()) out.resize(out.size() + kBlock);
        strm.next_out = out.data() + produced;
        strm.avail_out = static_cast<uInt>(out.size() - produced);
        uInt before = strm.avail_out;
        status = deflate(&strm, Z_FINISH);
        produced += before - strm.avail_out;
    } while (status != Z_STREAM_END && status != Z_STREAM_ERROR);
    deflateEnd(&strm);
    if (status != Z_STREAM_END) return std::nullopt;
    out.resize(produced);
    return out;
}

int uncompressZippedDataFromSource(FILE* source, FILE* destination)
{
    z_stream strm{};
    if (inflateInit2(&strm, kInflateWindowBits) != Z_OK) return Z_MEM_ERROR;
    unsigned char in[kBlock];
    unsigned char out[kBlock];
    int status = Z_OK;
    do {
        strm.avail_in = static_cast<uInt>(fread(in, 1, kBlock, source));
        if (ferror(source)) {
            inflateEnd(&strm);
            return -1;
        }
        if (strm.avail_in == 0) break;
        strm.next_in = in;
        do {
            strm.avail_out = kBlock;
            strm.next_out = out;
            status = inflate(&strm, Z_NO_FLUSH);
            if (status == Z_NEED_DICT) status = Z_DATA_ERROR;
            if (status == Z_DATA_ERROR || status == Z_MEM_ERROR || status == Z_STREAM_ERROR) {
                inflateEnd(&strm);
                return status;
            }
            size_t have = kBlock - strm.avail_out;
            if (fwrite(out, 1, have, destination) != have || ferror(destination)) {
                inflateEnd(&strm);
                return -1;
            }
        } while (strm.avail_out == 0);
    } while (status != Z_STREAM_END);
    inflateEnd(&strm);
    return status == Z_STREAM_END ? Z_OK : Z_DATA_ERROR;
}

int compressDataFromSource(FILE* source, FILE* destination)
{
    z_stream strm{};
    if (deflateInit2(&strm, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kDeflateWindowBits, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return Z_MEM_ERROR;
    unsigned char in[kBlock];
    unsigned char out[kBlock];
    int flush = Z_NO_FLUSH;
    do {
        strm.avail_in = static_cast<uInt>(fread(in, 1, kBlock, source));
        if (ferror(source)) {
            deflateEnd(&strm);
            return -1;
        }
        flush = feof(source) ? Z_FINISH : Z_NO_FLUSH;
        strm.next_in = in;
        do {
            strm.avail_out = kBlock;
            strm.next_out = out;
            deflate(&strm, flush);
            size_t have = kBlock - strm.avail_out;
            if (fwrite(out, 1, have, destination) != have || ferror(destination)) {
                deflateEnd(&strm);
                return -1;
            }
        } while (strm.avail_out == 0);
    } while (flush != Z_FINISH);
    deflateEnd(&strm);
    return Z_OK;
}

int uncompressZippedDataFromFile(const NSString& sourcePath, const NSString& destinationPath)
{
    return transformFile(sourcePath, destinationPath, uncompressZippedDataFromSource);
}

int compressDataFromFile(const NSString& sourcePath, const NSString& destinationPath)
{
    return transformFile(sourcePath, destinationPath, compressDataFromSource);
}

NSString md5HexString(const NSString& text)
{
    if (text.isNil()) return NSString();
    unsigned char digest[CC_MD5_DIGEST_LENGTH];
    if (!CC_MD5(text.str().data(), static_cast<CC_LONG>(text.str().size()), digest)) return NSString();
    char hex[2 * CC_MD5_DIGEST_LENGTH + 1];
    for (int i = 0; i < CC_MD5_DIGEST_LENGTH; ++i) std::snprintf(hex + 2 * i, 3, "%02X", digest[i]);
    return NSString(hex);
}

NSString base64forData(const NSData& data)
{
    std::string out(4 * ((data.size() + 2) / 3), '\0');
    int n = EVP_EncodeBlock(reinterpret_cast<unsigned char*>(out.data()), data.data(), static_cast<int>(data.size()));
    out.resize(static_cast<size_t>(n));
    return NSString(std::move(out));
}

NSString mimeTypeForFileAtPath(const NSString& path)
{
    struct stat st{};
    if (path.isNil() || stat(path.str().c_str(), &st) != 0) return NSString();
    // The system's type table ("type ext ext ...", read once) over a built-in
    // one, so that the common types are known on a machine without it.
    static const std::map<std::string, std::string> table = [] {
        std::map<std::string, std::string> system;
        std::ifstream in("/etc/mime.types");
        std::string line;
        while (std::getline(in, line)) {
            if (line.empty() || line[0] == '#') continue;
            std::istringstream words(line);
            std::string type, ext;
            words >> type;
            while (words >> ext) system.emplace(ext, type);
        }
        static const std::pair<const char*, const char*> builtIn[] = {
            {"txt", "text/plain"},        {"html", "text/html"},         {"htm", "text/html"},
            {"css", "text/css"},          {"csv", "text/csv"},           {"xml", "application/xml"},
            {"js", "application/javascript"}, {"json", "application/json"}, {"pdf", "application/pdf"},
            {"zip", "application/zip"},   {"gz", "application/gzip"},    {"plist", "application/x-plist"},
            {"png", "image/png"},         {"jpg", "image/jpeg"},         {"jpeg", "image/jpeg"},
            {"gif", "image/gif"},         {"bmp", "image/bmp"},          {"tif", "image/tiff"},
            {"tiff", "image/tiff"},       {"ico", "image/vnd.microsoft.icon"}, {"svg", "image/svg+xml"},
            {"mp3", "audio/mpeg"},        {"wav", "audio/x-wav"},        {"aac", "audio/aac"},
            {"m4a", "audio/mp4"},         {"mp4", "video/mp4"},          {"mov", "video/quicktime"},
            {"3gp", "video/3gpp"},
        };
        for (const auto& [ext, type] : builtIn) system.emplace(ext, type);  // the system's entry wins
        return system;
    }();
    auto it = table.find(path.pathExtension().lowercaseString().str());
    return it == table.end() ? NSString("application/octet-stream") : NSString(it->second);
}

NSString userAgentStringForBundleInfo(const std::map<NSString, NSString>& info)
{
    auto get = [&](const char* key) {
        auto it = info.find(key);
        return it == info.end() ? NSString() : it->second;
    };
    NSString name = get("CFBundleDisplayName");
    if (name.isNil()) name = get("CFBundleName");
    if (name.isNil()) return NSString();
    NSString shortVersion = get("CFBundleShortVersionString");
    NSString bundleVersion = get("CFBundleVersion");
    NSString version;
    if (!shortVersion.isNil() && !bundleVersion.isNil() && shortVersion != bundleVersion)
        version = NSString::stringWithFormat("%@ rv:%@", shortVersion, bundleVersion);
    else
        version = shortVersion.isNil() ? bundleVersion : shortVersion;
    if (version.isNil()) version = "";  // neither key: an empty version part
    // The machine does not change while the process runs: asked once.
    static const utsname u = [] {
        utsname read{};
        uname(&read);
        return read;
    }();
    return NSString::stringWithFormat("%@ %@ (%s; %s %s; %s)", name, version, u.machine, u.sysname, u.release,
                                      icu::Locale::getDefault().getName());
}

std::optional<NSDate> dateFromRFC1123String(const NSString& text)
{
    if (text.isNil()) return std::nullopt;
    NSDateFormatter formatter;
    bool weekday = text.rangeOfString(",").location != static_cast<NSUInteger>(NSNotFound);
    bool seconds = text.componentsSeparatedByString(":").size() == 3;
    formatter.setDateFormat(NSString::stringWithFormat("%@dd MMM yyyy HH:mm%@ z", weekday ? "EEE, " : "", seconds ? ":ss" : ""));
    return formatter.dateFromString(text);
}

}  // namespace nxhttp
