#pragma once
// The download cache's disk writes, off the thread that finished the request.
// One thread writes entries in the order they were queued; an entry shows up
// on disk only complete. Its body and headers first go to temporary files
// that are flushed to the disk, then, with a directory sync between the
// steps, the body takes its name and only then the headers. An entry counts
// only with its headers, so whatever a crash or power loss interrupts leaves
// either the complete entry or no entry, never headers beside another body.
// The caller removes the key's previous files before queueing, and notes
// each removal of a headers file: before a body in that folder is replaced,
// the removal is made durable.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <set>
#include <thread>

#include "platform/foundation/NSObject.h"
#include "platform/foundation/NSString.h"

class NXDownloadCacheWriter {
public:
    struct Entry {
        NSString directory;
        NSString key;
        NSString bodyPath;     // final names
        NSString headersPath;
        NSData headers;        // the headers file's bytes
        // The body: bytes to write, or, when empty, a temporary copy already
        // made at bodyCopy (see temporaryPathFor).
        std::optional<NSData> body;
        NSString bodyCopy;
    };

    NXDownloadCacheWriter() = default;
    NXDownloadCacheWriter(const NXDownloadCacheWriter&) = delete;
    NXDownloadCacheWriter& operator=(const NXDownloadCacheWriter&) = delete;
    // Writes what is queued, then stops.
    ~NXDownloadCacheWriter();

    // Queues the entry; a write of the same key still on its way is dropped.
    // While the bodies waiting in memory pass kMaxQueuedBytes, waits for the
    // disk to catch up.
    void enqueue(Entry entry);
    static constexpr size_t kMaxQueuedBytes = 16 << 20;
    // Drops the key's write, or that of every key in the directory; what a
    // dropped write already renamed is the caller's to remove.
    void cancel(const NSString& key);
    void cancelInDirectory(const NSString& directory);
    // A headers file in the directory was removed.
    void noteRemoval(const NSString& directory);
    // Blocks until the key has no write on its way (written or dropped).
    void waitUntilWritten(const NSString& key);

    // A fresh temporary name beside the final one, "path.<pid>-<n>.partial";
    // never one of the cache's extensions, so a left-over is never taken for
    // an entry. The name counts as in use in this process until
    // removeTemporary.
    static NSString temporaryPathFor(const NSString& path);
    // Removes what is left under a temporary name (nothing once it was
    // renamed) and ends its use.
    static void removeTemporary(const NSString& path);
    // Removes the temporary files that writers which are gone left in the
    // directory (a crash between a write and its rename): those of this
    // process whose name no writer holds, and those of processes that no
    // longer run. Files of running processes may still be written and stay.
    static void sweepLeftovers(const NSString& directory);

private:
    struct Job {
        Entry entry;
        uint64_t generation = 0;
        NSString headersCopy;
        bool prepared = false;
    };

    void run();
    static size_t bytesOf(const Entry& e) { return e.headers.size() + (e.body ? e.body->size() : 0); }
    // Under lock_.
    bool isCurrent(const Job& job) const;
    // The rename, unless the job was dropped or superseded meanwhile.
    bool renameIfCurrent(const Job& job, const NSString& from, const NSString& to);
    static bool prepare(Job& job);

    // Orders renames with cancels; taken before lock_.
    std::mutex renameLock_;
    mutable std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Job> queue_;
    // Keys with a write on its way: the generation that may still land, and
    // the directory it lands in.
    std::map<NSString, std::pair<uint64_t, NSString>> pending_;
    // Folders whose removals are not durable yet.
    std::set<NSString> unsyncedRemovals_;
    uint64_t nextGeneration_ = 1;
    size_t queuedBytes_ = 0;
    bool stopping_ = false;
    std::thread thread_;
};
