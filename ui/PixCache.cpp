#include "ui/PixCache.h"

#include <cerrno>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"

namespace {

// One queued value-file write or delete.
class PixDiskOperation : public NSOperation {
public:
    explicit PixDiskOperation(std::function<void()> work) : work_(std::move(work)) {}
    void main() override { work_(); }

private:
    std::function<void()> work_;
};

const NSString kReservedKeyMessage = "PixCache.plist is a reserved key and can not be modified.";

}  // namespace

NSString PixCacheDirectory()
{
    static const NSString directory = NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true)
                                          .front()
                                          .stringByAppendingPathComponent(program_invocation_short_name)
                                          .stringByAppendingPathComponent("PixCache");
    return directory;
}

std::shared_ptr<PixCache> PixCache::currentCache()
{
    static std::mutex classLock;
    static std::shared_ptr<PixCache> shared;
    std::lock_guard lock(classLock);
    if (!shared) {
        shared = init();
        shared->setDefaultTimeoutInterval(86400);
    }
    return shared;
}

std::shared_ptr<PixCache> PixCache::initWithDirectory(const NSString& directory)
{
    auto cache = std::make_shared<PixCache>();
    cache->directory_ = directory;
    const PlistValue index = PlistValue::dictionaryWithContentsOfFile(directory.stringByAppendingPathComponent(kIndexName));
    if (const auto* entries = index.dictionary()) {
        for (const auto& [key, value] : *entries)
            if (const NSDate* date = value.date()) cache->cacheDictionary_[key] = *date;
    }
    cache->diskOperationQueue_ = NSOperationQueue::init();
    cache->diskOperationQueue_->setMaxConcurrentOperationCount(1);
    auto files = NSFileManager::defaultManager();
    files->createDirectoryAtPath(directory, true);
    const NSDate now = NSDate::date();
    for (const auto& [key, expiry] : cache->cacheDictionary_) {
        // Keys from an index written by hand are checked like any other.
        if (expiry.timeIntervalSinceDate(now) <= 0 && cache->acceptsKey(key)) files->removeItemAtPath(cache->cachePathForKey(key));
    }
    return cache;
}

bool PixCache::acceptsKey(const NSString& key) const
{
    if (key == kIndexName) {
        NX_LOG("%@", kReservedKeyMessage);
        return false;
    }
    const bool unsafe = key.isNil() || key.str().empty() || key == "." || key == ".." || key.str().find('/') != std::string::npos ||
                        key.str().find('\0') != std::string::npos;
    if (unsafe) NX_LOG("PixCache refuses the key \"%@\": it is no plain file name.", key);
    return !unsafe;
}

bool PixCache::hasCacheForKey(const NSString& key)
{
    {
        std::lock_guard lock(lock_);
        auto it = cacheDictionary_.find(key);
        if (it == cacheDictionary_.end() || it->second.timeIntervalSinceDate(NSDate::date()) <= 0) return false;
    }
    return acceptsKey(key) && NSFileManager::defaultManager()->fileExistsAtPath(cachePathForKey(key));
}

std::optional<NSData> PixCache::dataForKey(const NSString& key)
{
    if (!hasCacheForKey(key)) return std::nullopt;
    return NSDataWithContentsOfFile(cachePathForKey(key));
}

NSString PixCache::stringForKey(const NSString& key)
{
    const auto data = dataForKey(key);
    return data ? NSString::stringWithData(*data, NSUTF8StringEncoding) : NSString();
}

std::shared_ptr<UIImage> PixCache::imageForKey(const NSString& key, unsigned maxSide)
{
    if (!acceptsKey(key)) return nullptr;
    {
        // Pictures get no expiry test, but a removed key reads as absent even
        // while the disk queue has yet to delete its file.
        std::lock_guard lock(lock_);
        if (!cacheDictionary_.count(key)) return nullptr;
    }
    const auto data = NSDataWithContentsOfFile(cachePathForKey(key));
    return data ? UIImage::imageWithData(*data, maxSide) : nullptr;
}

PlistValue PixCache::plistForKey(const NSString& key)
{
    const auto data = dataForKey(key);
    return data ? PlistValue::propertyListWithData(*data) : PlistValue();
}

void PixCache::setData(const NSData& data, const NSString& key) { setData(data, key, defaultTimeoutInterval_); }

void PixCache::setData(const NSData& data, const NSString& key, NSTimeInterval timeoutInterval)
{
    if (!acceptsKey(key)) return;
    const NSString path = cachePathForKey(key);
    performDiskWriteOperation([data, path] { NSDataWriteToFile(data, path, true); });
    setExpiry(key, timeoutInterval);
}

void PixCache::setString(const NSString& string, const NSString& key) { setString(string, key, defaultTimeoutInterval_); }

void PixCache::setString(const NSString& string, const NSString& key, NSTimeInterval timeoutInterval)
{
    if (auto data = string.dataUsingEncoding(NSUTF8StringEncoding)) setData(*data, key, timeoutInterval);
}

void PixCache::setImage(const std::shared_ptr<UIImage>& image, const NSString& key) { setImage(image, key, defaultTimeoutInterval_); }

void PixCache::setImage(const std::shared_ptr<UIImage>& image, const NSString& key, NSTimeInterval timeoutInterval)
{
    if (auto data = UIImagePNGRepresentation(image)) setData(*data, key, timeoutInterval);
}

void PixCache::setPlist(const PlistValue& plist, const NSString& key) { setPlist(plist, key, defaultTimeoutInterval_); }

void PixCache::setPlist(const PlistValue& plist, const NSString& key, NSTimeInterval timeoutInterval)
{
    setData(plist.binaryData(), key, timeoutInterval);
}

void PixCache::copyFilePath(const NSString& filePath, const NSString& key) { copyFilePath(filePath, key, defaultTimeoutInterval_); }

void PixCache::copyFilePath(const NSString& filePath, const NSString& key, NSTimeInterval timeoutInterval)
{
    if (!acceptsKey(key)) return;
    // Copied through the bytes so that an older value file is replaced.
    if (auto data = NSDataWithContentsOfFile(filePath)) NSDataWriteToFile(*data, cachePathForKey(key), true);
    setExpiry(key, timeoutInterval);
}

void PixCache::setExpiry(const NSString& key, NSTimeInterval timeoutInterval)
{
    {
        std::lock_guard lock(lock_);
        cacheDictionary_[key] = NSDate::dateWithTimeIntervalSinceNow(timeoutInterval);
    }
    performSelectorOnMainThread(NX_SEL0(PixCache, saveAfterDelay), nullptr, true);
}

void PixCache::removeItemFromCache(const NSString& key)
{
    const NSString path = cachePathForKey(key);
    performDiskWriteOperation([path] { NSFileManager::defaultManager()->removeItemAtPath(path); });
    std::lock_guard lock(lock_);
    cacheDictionary_.erase(key);
}

void PixCache::removeCacheForKey(const NSString& key)
{
    if (!acceptsKey(key)) return;
    removeItemFromCache(key);
    saveCacheDictionary();
}

void PixCache::clearCache()
{
    std::vector<NSString> keys;
    {
        std::lock_guard lock(lock_);
        for (const auto& [key, expiry] : cacheDictionary_) keys.push_back(key);
    }
    for (const auto& key : keys) {
        if (acceptsKey(key)) removeItemFromCache(key);
        else {
            std::lock_guard lock(lock_);
            cacheDictionary_.erase(key);
        }
    }
    saveCacheDictionary();
}

void PixCache::performDiskWriteOperation(std::function<void()> operation)
{
    diskOperationQueue_->addOperation(std::make_shared<PixDiskOperation>(std::move(operation)));
}

void PixCache::saveAfterDelay()
{
    const SEL save = NX_SEL0(PixCache, saveCacheDictionary);
    cancelPreviousPerformRequestsWithTarget(this, save, nullptr);
    performSelector(save, nullptr, 0.3);
}

void PixCache::saveCacheDictionary()
{
    std::lock_guard saving(saveLock_);
    PlistValue::Dictionary index;
    {
        std::lock_guard lock(lock_);
        for (const auto& [key, expiry] : cacheDictionary_) index[key] = PlistValue(expiry);
    }
    PlistValue(index).writeToFile(directory_.stringByAppendingPathComponent(kIndexName), true);
}
