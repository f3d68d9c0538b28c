#include "platform/foundation/NSFileManager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace fs = std::filesystem;

const NSString NSCocoaErrorDomain = "NSCocoaErrorDomain";
const NSString NSFileTypeDirectory = "NSFileTypeDirectory";
const NSString NSFileTypeRegular = "NSFileTypeRegular";
const NSString NSFileTypeSymbolicLink = "NSFileTypeSymbolicLink";
const NSString NSFileTypeUnknown = "NSFileTypeUnknown";

namespace {

constexpr const char* kAppFolderName = "ParentalControlClient";

NSString envOrNil(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v ? NSString(v) : NSString();
}

// The folder below the home folder, created on the way.
NSString appFolder(const char* relative)
{
    NSString path = NSHomeDirectory().stringByAppendingPathComponent(relative);
    std::error_code ec;
    fs::create_directories(path.str(), ec);
    return path;
}

bool fail(std::shared_ptr<NSError>* error, const std::error_code& ec, const NSString& path)
{
    NSSetError(error, NSError::errorWithDomain(
                          NSCocoaErrorDomain, ec.value(),
                          {{NSLocalizedDescriptionKey, NSString::stringWithFormat("%@: %s", path, ec.message().c_str())}}));
    return false;
}

std::error_code errnoCode() { return {errno, std::generic_category()}; }

bool writeAll(int fd, const NSData& data)
{
    size_t done = 0;
    while (done < data.size()) {
        ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace

NSString NSHomeDirectory()
{
    if (NSString home = envOrNil("NX_APP_HOME"); !home.isNil()) return home;
    if (NSString xdg = envOrNil("XDG_DATA_HOME"); !xdg.isNil()) return xdg.stringByAppendingPathComponent(kAppFolderName);
    NSString user = envOrNil("HOME");
    if (user.isNil()) user = "/tmp";
    return user.stringByAppendingPathComponent(".local/share").stringByAppendingPathComponent(kAppFolderName);
}

std::vector<NSString> NSSearchPathForDirectoriesInDomains(NSSearchPathDirectory directory, NSSearchPathDomainMask,
                                                          bool expandTilde)
{
    const char* relative = directory == NSDocumentDirectory ? "Documents"
                           : directory == NSCachesDirectory ? "Library/Caches"
                                                            : "Library";
    NSString path = appFolder(relative);
    if (!expandTilde) path = NSString("~").stringByAppendingPathComponent(relative);
    return {path};
}

NSString NSTemporaryDirectory() { return appFolder("tmp").stringByAppendingString("/"); }

// ---- NSData and files ---------------------------------------------------------

std::optional<NSData> NSDataWithContentsOfFile(const NSString& path)
{
    if (path.isNil()) return std::nullopt;
    std::error_code ec;
    if (!fs::is_regular_file(path.str(), ec)) return std::nullopt;
    std::ifstream in(path.str(), std::ios::binary | std::ios::ate);
    if (!in) return std::nullopt;
    // One read of the size the file has now; a file that grows meanwhile is
    // read to its end as well.
    const std::streamoff size = in.tellg();
    in.seekg(0);
    NSData data(size > 0 ? static_cast<size_t>(size) : 0);
    in.read(reinterpret_cast<char*>(data.data()), static_cast<std::streamsize>(data.size()));
    data.resize(static_cast<size_t>(in.gcount()));
    if (in.bad()) return std::nullopt;
    if (in) data.insert(data.end(), std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return data;
}

bool NSDataWriteToFile(const NSData& data, const NSString& path, bool atomically)
{
    if (path.isNil() || path.str().empty()) return false;
    if (!atomically) {
        int fd = ::open(path.UTF8String(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return false;
        bool ok = writeAll(fd, data);
        return ::close(fd) == 0 && ok;
    }
    static std::atomic<unsigned> counter{0};
    std::string tmp = path.str() + ".tmp-" + std::to_string(::getpid()) + "-" + std::to_string(counter++);
    int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0) return false;
    bool ok = writeAll(fd, data) && ::fsync(fd) == 0;
    ok = ::close(fd) == 0 && ok;
    if (ok && ::rename(tmp.c_str(), path.UTF8String()) == 0) {
        // Make the rename itself durable.
        std::string dir = fs::path(path.str()).parent_path().string();
        int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (dfd >= 0) {
            ::fsync(dfd);
            ::close(dfd);
        }
        return true;
    }
    ::unlink(tmp.c_str());
    return false;
}

// ---- NSFileManager ------------------------------------------------------------

std::shared_ptr<NSFileManager> NSFileManager::defaultManager()
{
    static const auto manager = std::make_shared<NSFileManager>();
    return manager;
}

bool NSFileManager::fileExistsAtPath(const NSString& path) const { return fileExistsAtPath(path, nullptr); }

bool NSFileManager::fileExistsAtPath(const NSString& path, bool* isDirectory) const
{
    if (path.isNil()) return false;
    std::error_code ec;
    auto st = fs::status(path.str(), ec);
    if (ec || !fs::exists(st)) return false;
    if (isDirectory) *isDirectory = fs::is_directory(st);
    return true;
}

bool NSFileManager::createDirectoryAtPath(const NSString& path, bool withIntermediateDirectories,
                                          std::shared_ptr<NSError>* error) const
{
    if (path.isNil()) return fail(error, std::make_error_code(std::errc::invalid_argument), path);
    if (withIntermediateDirectories) {
        std::error_code ec;
        fs::create_directories(path.str(), ec);
        if (ec) return fail(error, ec, path);
        if (!fs::is_directory(path.str(), ec)) return fail(error, std::make_error_code(std::errc::file_exists), path);
        return true;
    }
    if (::mkdir(path.UTF8String(), 0755) != 0) return fail(error, errnoCode(), path);
    return true;
}

bool NSFileManager::createFileAtPath(const NSString& path, const std::optional<NSData>& contents) const
{
    return NSDataWriteToFile(contents.value_or(NSData()), path, true);
}

std::optional<NSData> NSFileManager::contentsAtPath(const NSString& path) const { return NSDataWithContentsOfFile(path); }

bool NSFileManager::removeItemAtPath(const NSString& path, std::shared_ptr<NSError>* error) const
{
    if (path.isNil()) return fail(error, std::make_error_code(std::errc::invalid_argument), path);
    std::error_code ec;
    if (!fs::exists(fs::symlink_status(path.str(), ec))) return fail(error, std::make_error_code(std::errc::no_such_file_or_directory), path);
    fs::remove_all(path.str(), ec);
    return ec ? fail(error, ec, path) : true;
}

bool NSFileManager::moveItemAtPath(const NSString& path, const NSString& toPath, std::shared_ptr<NSError>* error) const
{
    if (path.isNil() || toPath.isNil()) return fail(error, std::make_error_code(std::errc::invalid_argument), path);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(toPath.str(), ec))) return fail(error, std::make_error_code(std::errc::file_exists), toPath);
    fs::rename(path.str(), toPath.str(), ec);
    if (ec.value() == EXDEV) {
        // Another file system: copy, then remove the original.
        return copyItemAtPath(path, toPath, error) && removeItemAtPath(path, error);
    }
    return ec ? fail(error, ec, path) : true;
}

bool NSFileManager::copyItemAtPath(const NSString& path, const NSString& toPath, std::shared_ptr<NSError>* error) const
{
    if (path.isNil() || toPath.isNil()) return fail(error, std::make_error_code(std::errc::invalid_argument), path);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(toPath.str(), ec))) return fail(error, std::make_error_code(std::errc::file_exists), toPath);
    fs::copy(path.str(), toPath.str(), fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
    return ec ? fail(error, ec, path) : true;
}

std::optional<std::vector<NSString>> NSFileManager::contentsOfDirectoryAtPath(const NSString& path,
                                                                              std::shared_ptr<NSError>* error) const
{
    if (path.isNil()) return fail(error, std::make_error_code(std::errc::invalid_argument), path), std::nullopt;
    std::error_code ec;
    std::vector<NSString> names;
    for (fs::directory_iterator it(path.str(), ec), end; !ec && it != end; it.increment(ec))
        names.emplace_back(it->path().filename().string());
    if (ec) {
        fail(error, ec, path);
        return std::nullopt;
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::optional<NSFileAttributes> NSFileManager::attributesOfItemAtPath(const NSString& path,
                                                                      std::shared_ptr<NSError>* error) const
{
    struct stat st {};
    if (path.isNil() || ::lstat(path.UTF8String(), &st) != 0) {
        fail(error, path.isNil() ? std::make_error_code(std::errc::invalid_argument) : errnoCode(), path);
        return std::nullopt;
    }
    NSFileAttributes a;
    a.size = static_cast<unsigned long long>(st.st_size);
    a.modificationDate = NSDate::dateWithTimeIntervalSince1970(static_cast<double>(st.st_mtim.tv_sec) +
                                                               static_cast<double>(st.st_mtim.tv_nsec) / 1e9);
    a.type = S_ISDIR(st.st_mode)   ? NSFileTypeDirectory
             : S_ISREG(st.st_mode) ? NSFileTypeRegular
             : S_ISLNK(st.st_mode) ? NSFileTypeSymbolicLink
                                   : NSFileTypeUnknown;
    return a;
}
