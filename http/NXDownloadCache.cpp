#include "http/NXDownloadCache.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string_view>

#include "http/NXHTTPRequest.h"
#include "http/NXHTTPUtilities.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyList.h"

const NSString NXCacheFetchDateHeader = "X-NXHTTPRequest-Fetch-date";

namespace {

const char* const kSessionStore = "SessionStore";
const char* const kPermanentStore = "PermanentStore";
const char* const kDataExtension = "cacheddata";
const char* const kHeadersExtension = "cachedheaders";

// Fields a 304 carries that replace the stored ones: validators and freshness.
const char* const kNotModifiedFields[] = {"Date", "Expires", "Cache-Control", "Pragma", "Etag", "Last-Modified"};

NSString join(const NSString& dir, const NSString& name) { return dir.stringByAppendingPathComponent(name); }

NSString entryFile(const NSString& dir, const NSString& key, const char* extension)
{
    return join(dir, NSString(key.str() + "." + extension));
}

NSString lowerTrimmed(const NSString& v)
{
    std::string s = v.isNil() ? std::string() : v.lowercaseString().str();
    size_t start = s.find_first_not_of(" \t");
    return NSString(start == std::string::npos ? std::string() : s.substr(start));
}

// Makes the folder (mode 0700: the cache holds what this user downloaded) or
// checks the one there. Raises when it cannot be used.
void prepareDirectory(const NSString& path)
{
    struct stat st{};
    if (lstat(path.str().c_str(), &st) != 0) {
        mkdir(path.str().c_str(), 0700);
        if (lstat(path.str().c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            throw NSException("FailedToCreateCacheDirectory",
                              NSString::stringWithFormat("Failed to create a directory for the cache at '%@'", path));
        return;
    }
    if (!S_ISDIR(st.st_mode))
        throw NSException("FileExistsAtCachePath",
                          NSString::stringWithFormat(
                              "Cannot create a directory for the cache at '%@', because a file already exists", path));
    // A folder someone else made is not ours to keep responses in.
    if (st.st_uid != geteuid() || ((st.st_mode & 077) != 0 && chmod(path.str().c_str(), 0700) != 0))
        throw NSException("FailedToCreateCacheDirectory",
                          NSString::stringWithFormat("Failed to create a directory for the cache at '%@'", path));
}

unsigned long long fileSizeAt(const NSString& path)
{
    struct stat st{};
    return stat(path.str().c_str(), &st) == 0 ? static_cast<unsigned long long>(st.st_size) : 0;
}

bool isUTF8(const NSString& s)
{
    return !NSString::stringWithData(NSData(s.str().begin(), s.str().end()), NSUTF8StringEncoding).isNil();
}

// What the cache keeps of a response's headers: no content coding (the body
// is kept decoded) and the length of the body as stored; with a maximum age,
// that age instead of the server's expiry; and the fetch date.
void prepareStoredHeaders(CFHTTPHeaderFields& headers, const NXHTTPRequest& request, double maxAge,
                          unsigned long long bodyLength)
{
    headers.removeValue("Content-Encoding");
    headers.setValue("Content-Length", NSString::stringWithFormat("%llu", bodyLength));
    if (maxAge != 0) {
        headers.removeValue("Expires");
        headers.setValue("Cache-Control", NSString::stringWithFormat("max-age=%i", static_cast<int>(maxAge)));
    }
    headers.setValue(NXCacheFetchDateHeader, NXDownloadCache::rfc1123DateFormatter().stringFromDate(NSDate::date()));
}

}  // namespace

std::shared_ptr<NXDownloadCache> NXDownloadCache::sharedCache()
{
    static const std::shared_ptr<NXDownloadCache> shared = [] {
        auto c = init();
        c->setStoragePath(NSTemporaryDirectory().stringByAppendingPathComponent("NXHTTPRequestCache"));
        return c;
    }();
    return shared;
}

NSDateFormatter& NXDownloadCache::rfc1123DateFormatter()
{
    thread_local std::shared_ptr<NSDateFormatter> formatter = [] {
        auto f = NSDateFormatter::init();
        f->setTimeZone(NSTimeZone::timeZoneForSecondsFromGMT(0));
        f->setDateFormat("EEE, dd MMM yyyy HH:mm:ss 'GMT'");
        return f;
    }();
    return *formatter;
}

NSString NXDownloadCache::storagePath() const
{
    std::lock_guard l(accessLock_);
    return storagePath_;
}

void NXDownloadCache::setStoragePath(const NSString& path)
{
    std::lock_guard l(accessLock_);
    clearCachedResponsesForStoragePolicy(NXCacheStorageSession);
    storagePath_ = path;
    for (const NSString& dir : {path, join(path, kSessionStore), join(path, kPermanentStore)}) prepareDirectory(dir);
    clearCachedResponsesForStoragePolicy(NXCacheStorageSession);
    // A crash between a write and its rename leaves the writer's temporary
    // files beside the entries; nothing else would ever remove them.
    for (const char* store : {kSessionStore, kPermanentStore}) NXDownloadCacheWriter::sweepLeftovers(join(path, store));
}

int NXDownloadCache::defaultCachePolicy() const
{
    std::lock_guard l(accessLock_);
    return defaultCachePolicy_;
}

void NXDownloadCache::setDefaultCachePolicy(int policy)
{
    std::lock_guard l(accessLock_);
    defaultCachePolicy_ = policy == NXCachePolicyDefault ? NXCachePolicyRevalidate : policy;
}

NSString NXDownloadCache::keyForRequest(const NXHTTPRequest& request)
{
    auto url = request.url();
    return nxhttp::md5HexString(url ? url->absoluteString() : NSString(""));
}

bool NXDownloadCache::serverAllowsResponseCachingForRequest(const NXHTTPRequest& request)
{
    const auto& headers = request.responseHeaders();
    if (!headers) return true;
    NSString cacheControl = headers->objectForKey("Cache-Control").lowercaseString();
    NSString pragma = headers->objectForKey("Pragma").lowercaseString();
    return cacheControl != "no-cache" && cacheControl != "no-store" && pragma != "no-cache";
}

std::optional<CFHTTPHeaderFields> NXDownloadCache::readHeaders(const NSString& path)
{
    // One read: the file may be replaced between two.
    PlistValue stored = PlistValue::dictionaryWithContentsOfFile(path);
    if (stored.isNil()) return std::nullopt;
    CFHTTPHeaderFields headers;
    for (const auto& [name, value] : *stored.dictionary()) {
        if (const NSString* text = value.string()) headers.setValue(name, *text);
        else if (const NSData* bytes = value.data()) headers.setValue(name, NSString(std::string(bytes->begin(), bytes->end())));
    }
    return headers;
}

NSData NXDownloadCache::headersFileData(const CFHTTPHeaderFields& headers)
{
    // Header values are bytes (Latin-1 often enough), and a property list's
    // strings are UTF-8: a value that is not is kept as data so that it reads
    // back as it came. A name that is not cannot be a key, and no field the
    // program reads has one: such a field is left out.
    PlistValue::Dictionary fields;
    for (const auto& [name, value] : headers.fields()) {
        if (!isUTF8(name)) continue;
        NSString joined = headers.objectForKey(name);
        fields[name] = isUTF8(joined) ? PlistValue(joined) : PlistValue(NSData(joined.str().begin(), joined.str().end()));
    }
    return PlistValue(fields).xmlData();
}

void NXDownloadCache::storeResponseForRequest(const NXHTTPRequest& request, double maxAge)
{
    std::lock_guard l(accessLock_);
    if (storagePath_.isNil() || request.error() || !request.responseHeaders() || request.responseStatusCode() != 200) return;
    if (shouldRespectCacheControlHeaders_ && !serverAllowsResponseCachingForRequest(request)) return;
    int policy = request.cachePolicy() == NXCachePolicyDefault ? defaultCachePolicy_ : request.cachePolicy();
    if (policy == NXCachePolicyBypass) return;

    // The old entry goes first, so that no reader pairs old headers with a new
    // body; the writer puts the new one in place off this thread (see
    // NXDownloadCacheWriter for the order that keeps it whole).
    removeCachedDataForRequest(request);
    NXDownloadCacheWriter::Entry entry;
    entry.key = keyForRequest(request);
    entry.directory = join(storagePath_, request.cacheStoragePolicy() != NXCacheStorageSession ? kPermanentStore : kSessionStore);
    entry.bodyPath = entryFile(entry.directory, entry.key, kDataExtension);
    entry.headersPath = entryFile(entry.directory, entry.key, kHeadersExtension);
    unsigned long long length = 0;
    if (!request.downloadDestinationPath().isNil()) {
        // Copied now: the caller may change its file as soon as it has it.
        entry.bodyCopy = NXDownloadCacheWriter::temporaryPathFor(entry.bodyPath);
        std::error_code ec;
        std::filesystem::copy_file(request.downloadDestinationPath().str(), entry.bodyCopy.str(), ec);
        if (ec) {
            NXDownloadCacheWriter::removeTemporary(entry.bodyCopy);
            return;
        }
        length = fileSizeAt(entry.bodyCopy);
    } else {
        entry.body = request.responseData();
        if (!entry.body) return;
        length = entry.body->size();
    }
    CFHTTPHeaderFields headers = *request.responseHeaders();
    prepareStoredHeaders(headers, request, maxAge, length);
    entry.headers = headersFileData(headers);
    writer_.enqueue(std::move(entry));
}

void NXDownloadCache::updateCachedHeadersForNotModifiedRequest(const NXHTTPRequest& request)
{
    std::lock_guard l(accessLock_);
    NSString headersPath = pathToFile(request, kHeadersExtension);
    NSString dataPath = pathToFile(request, kDataExtension);
    auto stored = headersPath.isNil() ? std::nullopt : readHeaders(headersPath);
    if (!stored || dataPath.isNil() || !request.responseHeaders()) return;
    CFHTTPHeaderFields headers = *stored;
    for (const char* name : kNotModifiedFields) {
        NSString value = request.responseHeaders()->objectForKey(name);
        if (!value.isNil()) headers.setValue(name, value);
    }
    prepareStoredHeaders(headers, request, request.secondsToCache(), fileSizeAt(dataPath));
    NSDataWriteToFile(headersFileData(headers), headersPath, true);
}

NSString NXDownloadCache::pathToFile(const NXHTTPRequest& request, const char* extension) const
{
    std::lock_guard l(accessLock_);
    if (storagePath_.isNil()) return NSString();
    NSString key = keyForRequest(request);
    writer_.waitUntilWritten(key);
    for (const char* store : {kSessionStore, kPermanentStore}) {
        NSString path = entryFile(join(storagePath_, store), key, extension);
        if (access(path.str().c_str(), F_OK) == 0) return path;
    }
    return NSString();
}

std::optional<CFHTTPHeaderFields> NXDownloadCache::cachedHeadersForRequest(const NXHTTPRequest& request)
{
    NSString path = pathToFile(request, kHeadersExtension);
    if (path.isNil()) return std::nullopt;
    return readHeaders(path);
}

NSString NXDownloadCache::pathToCachedResponseDataForRequest(const NXHTTPRequest& request)
{
    return pathToFile(request, kDataExtension);
}

std::optional<NSData> NXDownloadCache::cachedResponseDataForRequest(const NXHTTPRequest& request)
{
    NSString path = pathToCachedResponseDataForRequest(request);
    if (path.isNil()) return std::nullopt;
    return NSDataWithContentsOfFile(path);
}

void NXDownloadCache::removeCachedDataForRequest(const NXHTTPRequest& request)
{
    std::lock_guard l(accessLock_);
    // A write still on its way would bring the entry back.
    writer_.cancel(keyForRequest(request));
    // Both stores: an entry kept in one must not be shadowed by an old one in the other.
    for (int i = 0; i < 2; ++i)
        for (const char* extension : {kHeadersExtension, kDataExtension}) {
            NSString path = pathToFile(request, extension);
            if (path.isNil() || unlink(path.str().c_str()) != 0) continue;
            if (std::string_view(extension) == kHeadersExtension) writer_.noteRemoval(path.stringByDeletingLastPathComponent());
        }
}

bool NXDownloadCache::isCachedDataCurrentForRequest(const NXHTTPRequest& request)
{
    std::lock_guard l(accessLock_);
    if (storagePath_.isNil()) return false;
    auto stored = cachedHeadersForRequest(request);
    if (!stored || pathToCachedResponseDataForRequest(request).isNil()) return false;
    double now = NSDate::date().timeIntervalSinceReferenceDate();
    if (shouldRespectCacheControlHeaders_) {
        NSString expires = stored->objectForKey("Expires");
        if (auto date = nxhttp::dateFromRFC1123String(expires); date && date->timeIntervalSinceReferenceDate() < now)
            return false;
        std::string cacheControl = lowerTrimmed(stored->objectForKey("Cache-Control")).str();
        if (cacheControl.starts_with("max-age")) {
            size_t at = cacheControl.find_first_not_of(" =", 7);
            double age = at == std::string::npos ? 0 : std::atof(cacheControl.c_str() + at);
            auto fetched = nxhttp::dateFromRFC1123String(stored->objectForKey(NXCacheFetchDateHeader));
            if (fetched && fetched->timeIntervalSinceReferenceDate() + age < now) return false;
        }
    }
    if (request.responseHeaders() && request.responseStatusCode() != 304) {
        for (const char* name : {"Etag", "Last-Modified"}) {
            NSString fresh = request.responseHeaders()->objectForKey(name);
            if (fresh.isNil() || fresh != stored->objectForKey(name)) return false;
        }
    }
    return true;
}

void NXDownloadCache::clearCachedResponsesForStoragePolicy(int storagePolicy)
{
    std::lock_guard l(accessLock_);
    if (storagePath_.isNil()) return;
    NSString dir = join(storagePath_, storagePolicy == NXCacheStoragePermanent ? kPermanentStore : kSessionStore);
    // Dropped before listing, so that no queued write lands after the wipe.
    writer_.cancelInDirectory(dir);
    bool isDirectory = false;
    auto files = NSFileManager::defaultManager();
    if (!files->fileExistsAtPath(dir, &isDirectory) || !isDirectory) return;
    auto names = files->contentsOfDirectoryAtPath(dir);
    if (!names)
        throw NSException("FailedToTraverseCacheDirectory",
                          NSString::stringWithFormat("Listing cache directory failed at path '%@'", dir));
    writer_.noteRemoval(dir);
    for (const NSString& name : *names) {
        NSString extension = name.pathExtension();
        if (extension != kDataExtension && extension != kHeadersExtension) continue;
        if (unlink(join(dir, name).str().c_str()) != 0)
            throw NSException("FailedToRemoveCacheFile",
                              NSString::stringWithFormat("Failed to remove cached data at path '%@'", dir));
    }
}
