#pragma once
// A small on-disk key/value store with an expiry date per key. Values are
// files in one folder; the index "PixCache.plist" maps each key to its expiry
// date and is saved 0.3 s after the last change (one save per burst).
//
// Value files are written and deleted on one serial queue, so the disk sees
// the calls in the order they were made (a set followed by a remove never
// leaves the file behind). The index is guarded by a lock; saves write a
// snapshot. Setters schedule the save on the main run loop and wait for that,
// so a setter on a worker thread must not run while the main thread waits for
// that worker.
//
// A key is a file name: keys that are empty, hold "/" or are "." or ".." are
// refused (logged, nothing done), as is the index's own name.

#include <map>
#include <memory>
#include <mutex>
#include <optional>

#include "platform/foundation/NSDate.h"
#include "platform/foundation/NSOperation.h"
#include "platform/foundation/NSPropertyList.h"
#include "platform/uikit/UIImage.h"

// The caches folder + the process's name + "PixCache"; fixed at first use.
NSString PixCacheDirectory();

class PixCache : public NSObject {
public:
    // The process's cache (one day by default), made on first call.
    static std::shared_ptr<PixCache> currentCache();
    // A cache over PixCacheDirectory() / over a folder of the caller's.
    static std::shared_ptr<PixCache> init() { return initWithDirectory(PixCacheDirectory()); }
    static std::shared_ptr<PixCache> initWithDirectory(const NSString& directory);

    NSTimeInterval defaultTimeoutInterval() const { return defaultTimeoutInterval_; }
    void setDefaultTimeoutInterval(NSTimeInterval seconds) { defaultTimeoutInterval_ = seconds; }

    bool hasCacheForKey(const NSString& key);
    std::optional<NSData> dataForKey(const NSString& key);
    NSString stringForKey(const NSString& key);
    // Read from the value file without the expiry test: a picture past its
    // date is served until its file is deleted at the next start.
    std::shared_ptr<UIImage> imageForKey(const NSString& key, unsigned maxSide = 32767);
    PlistValue plistForKey(const NSString& key);

    void setData(const NSData& data, const NSString& key);
    void setData(const NSData& data, const NSString& key, NSTimeInterval timeoutInterval);
    void setString(const NSString& string, const NSString& key);
    void setString(const NSString& string, const NSString& key, NSTimeInterval timeoutInterval);
    void setImage(const std::shared_ptr<UIImage>& image, const NSString& key);
    void setImage(const std::shared_ptr<UIImage>& image, const NSString& key, NSTimeInterval timeoutInterval);
    // Property lists are stored as XML property lists.
    void setPlist(const PlistValue& plist, const NSString& key);
    void setPlist(const PlistValue& plist, const NSString& key, NSTimeInterval timeoutInterval);
    // Copies the file now (on the calling thread).
    void copyFilePath(const NSString& filePath, const NSString& key);
    void copyFilePath(const NSString& filePath, const NSString& key, NSTimeInterval timeoutInterval);

    void removeCacheForKey(const NSString& key);
    void clearCache();

    // The serial queue of value-file writes and deletes (tests wait on it).
    const std::shared_ptr<NSOperationQueue>& diskOperationQueue() const { return diskOperationQueue_; }
    // Writes the index now.
    void saveCacheDictionary();

private:
    static constexpr const char* kIndexName = "PixCache.plist";
    bool acceptsKey(const NSString& key) const;
    NSString cachePathForKey(const NSString& key) const { return directory_.stringByAppendingPathComponent(key); }
    void setExpiry(const NSString& key, NSTimeInterval timeoutInterval);
    void removeItemFromCache(const NSString& key);
    void performDiskWriteOperation(std::function<void()> operation);
    void saveAfterDelay();

    NSString directory_;
    std::mutex lock_;  // guards cacheDictionary_
    std::map<NSString, NSDate> cacheDictionary_;
    std::mutex saveLock_;  // one index write at a time
    std::shared_ptr<NSOperationQueue> diskOperationQueue_;
    NSTimeInterval defaultTimeoutInterval_ = 0;
};
