#include "http/NXDownloadCacheWriter.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <regex>
#include <string>
#include <vector>

namespace {

// Writes the bytes to a new file and waits until they are on the disk.
bool writeFlushed(const NSString& path, const NSData& bytes)
{
    int fd = ::open(path.str().c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd < 0) return false;
    size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bool ok = done == bytes.size() && ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

bool flushFile(const NSString& path)
{
    int fd = ::open(path.str().c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    bool ok = ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// Makes the names created, replaced or removed in the folders durable.
void syncDirectories(const std::set<NSString>& directories)
{
    for (const NSString& dir : directories) {
        int fd = ::open(dir.str().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) continue;
        ::fsync(fd);
        ::close(fd);
    }
}

// The temporary names this process's writers hold (made, not yet removed),
// across every cache: two caches may share a folder. The file name alone
// tells them apart, its pid and count being unique in the process.
struct Temporaries {
    std::mutex lock;
    std::set<std::string> names;
};
// Never destroyed: a cache that goes at exit still ends its names.
Temporaries& temporaries()
{
    static Temporaries* held = new Temporaries;
    return *held;
}

std::string fileNameOf(const std::string& path) { return std::filesystem::path(path).filename().string(); }

// "<32 hex digits>.<extension>.<pid>-<n>.partial" as temporaryPathFor makes
// them for the cache's entries; the pid, or 0 for any other name.
pid_t writerOfLeftover(const std::string& name)
{
    static const std::regex shape("[0-9A-F]{32}\\.(cacheddata|cachedheaders)\\.([0-9]{1,9})-[0-9]+\\.partial");
    std::smatch match;
    if (!std::regex_match(name, match, shape)) return 0;
    return static_cast<pid_t>(std::stol(match[2].str()));
}

// Whether a process with the pid runs (one of another user's included).
bool isRunning(pid_t pid) { return ::kill(pid, 0) == 0 || errno == EPERM; }

}  // namespace

NXDownloadCacheWriter::~NXDownloadCacheWriter()
{
    {
        std::lock_guard l(lock_);
        stopping_ = true;
    }
    changed_.notify_all();
    if (thread_.joinable()) thread_.join();
}

NSString NXDownloadCacheWriter::temporaryPathFor(const NSString& path)
{
    static std::atomic<unsigned> counter{0};
    std::string name = path.str() + "." + std::to_string(::getpid()) + "-" + std::to_string(counter++) + ".partial";
    // Held before the file exists, so that no sweep ever sees it unheld.
    Temporaries& held = temporaries();
    std::lock_guard l(held.lock);
    held.names.insert(fileNameOf(name));
    return NSString(name);
}

void NXDownloadCacheWriter::removeTemporary(const NSString& path)
{
    if (path.isNil()) return;
    ::unlink(path.str().c_str());
    Temporaries& held = temporaries();
    std::lock_guard l(held.lock);
    held.names.erase(fileNameOf(path.str()));
}

void NXDownloadCacheWriter::sweepLeftovers(const NSString& directory)
{
    std::error_code ec;
    for (const auto& item : std::filesystem::directory_iterator(directory.str(), ec)) {
        const std::string name = item.path().filename().string();
        const pid_t writer = writerOfLeftover(name);
        if (writer <= 0) continue;
        const std::string path = item.path().string();
        if (writer == ::getpid()) {
            // The name is unique in this process: an unheld one was left by
            // an earlier process with the same pid. The lock keeps a held
            // name from being made meanwhile; a name once released is never
            // made again, so the file is no one's.
            Temporaries& held = temporaries();
            std::lock_guard l(held.lock);
            if (!held.names.contains(name)) ::unlink(path.c_str());
        } else if (!isRunning(writer)) {
            ::unlink(path.c_str());
        }
    }
}

void NXDownloadCacheWriter::enqueue(Entry entry)
{
    {
        std::unique_lock l(lock_);
        if (!thread_.joinable()) thread_ = std::thread([this] { run(); });
        const size_t bytes = bytesOf(entry);
        changed_.wait(l, [&] { return queuedBytes_ == 0 || queuedBytes_ + bytes <= kMaxQueuedBytes; });
        queuedBytes_ += bytes;
        Job job;
        job.generation = nextGeneration_++;
        pending_[entry.key] = {job.generation, entry.directory};
        job.entry = std::move(entry);
        queue_.push_back(std::move(job));
    }
    changed_.notify_all();
}

void NXDownloadCacheWriter::cancel(const NSString& key)
{
    {
        std::scoped_lock l(renameLock_, lock_);
        pending_.erase(key);
    }
    changed_.notify_all();
}

void NXDownloadCacheWriter::cancelInDirectory(const NSString& directory)
{
    {
        std::scoped_lock l(renameLock_, lock_);
        std::erase_if(pending_, [&](const auto& p) { return p.second.second == directory; });
    }
    changed_.notify_all();
}

void NXDownloadCacheWriter::noteRemoval(const NSString& directory)
{
    std::lock_guard l(lock_);
    unsyncedRemovals_.insert(directory);
}

void NXDownloadCacheWriter::waitUntilWritten(const NSString& key)
{
    std::unique_lock l(lock_);
    changed_.wait(l, [&] { return !pending_.contains(key); });
}

bool NXDownloadCacheWriter::isCurrent(const Job& job) const
{
    auto it = pending_.find(job.entry.key);
    return it != pending_.end() && it->second.first == job.generation;
}

bool NXDownloadCacheWriter::renameIfCurrent(const Job& job, const NSString& from, const NSString& to)
{
    std::lock_guard renaming(renameLock_);
    {
        std::lock_guard l(lock_);
        if (!isCurrent(job)) return false;
    }
    return ::rename(from.str().c_str(), to.str().c_str()) == 0;
}

bool NXDownloadCacheWriter::prepare(Job& job)
{
    Entry& e = job.entry;
    if (e.body) {
        e.bodyCopy = temporaryPathFor(e.bodyPath);
        if (!writeFlushed(e.bodyCopy, *e.body)) return false;
        e.body.reset();
    } else if (!flushFile(e.bodyCopy)) {
        return false;
    }
    job.headersCopy = temporaryPathFor(e.headersPath);
    return writeFlushed(job.headersCopy, e.headers);
}

// Works in batches: what queued up while the disk was busy shares the
// directory syncs. The disk is never touched while holding lock_, so
// look-ups of other keys and new stores do not wait for it.
void NXDownloadCacheWriter::run()
{
    std::unique_lock l(lock_);
    for (;;) {
        changed_.wait(l, [&] { return stopping_ || !queue_.empty(); });
        if (queue_.empty()) return;
        std::vector<Job> batch(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
        queue_.clear();
        size_t batchBytes = 0;
        for (const Job& job : batch) batchBytes += bytesOf(job.entry);
        l.unlock();

        // The contents, on the disk under temporary names.
        std::set<NSString> directories;
        for (Job& job : batch) {
            bool current;
            {
                std::lock_guard check(lock_);
                current = isCurrent(job);
            }
            job.prepared = current && prepare(job);
            if (job.prepared) directories.insert(job.entry.directory);
        }
        // Before a body is replaced, the removal of the key's old headers is
        // durable; the body is durable before headers name it.
        std::set<NSString> removals;
        l.lock();
        for (const NSString& dir : directories)
            if (unsyncedRemovals_.erase(dir)) removals.insert(dir);
        l.unlock();
        syncDirectories(removals);
        for (Job& job : batch)
            job.prepared = job.prepared && renameIfCurrent(job, job.entry.bodyCopy, job.entry.bodyPath);
        syncDirectories(directories);
        for (Job& job : batch) {
            if (job.prepared && !renameIfCurrent(job, job.headersCopy, job.entry.headersPath)) {
                // Headers that could not take their name leave no body
                // behind; a superseded job's body is for its remover.
                std::lock_guard renaming(renameLock_);
                bool current;
                {
                    std::lock_guard check(lock_);
                    current = isCurrent(job);
                }
                if (current) ::unlink(job.entry.bodyPath.str().c_str());
            }
        }

        l.lock();
        for (const Job& job : batch)
            if (isCurrent(job)) pending_.erase(job.entry.key);
        queuedBytes_ -= batchBytes;
        changed_.notify_all();
        l.unlock();
        // Whatever did not take its final name is left-over.
        for (const Job& job : batch) {
            removeTemporary(job.entry.bodyCopy);
            removeTemporary(job.headersCopy);
        }
        l.lock();
    }
}
