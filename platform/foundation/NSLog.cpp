#include "platform/foundation/NSLog.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>

#include "platform/foundation/NSFileManager.h"

namespace nxlog {

namespace {

std::mutex& sinkMutex()
{
    static std::mutex m;
    return m;
}

Sink& currentSink()
{
    static Sink sink;
    return sink;
}

bool toStandardError()
{
    const char* v = std::getenv("NX_LOG_STDERR");
    return v && *v && std::strcmp(v, "0") != 0;
}

// The open log file, reopened when the home folder changes (tests and the
// tour move it per run). It holds where the family's children were and whom
// they called: it and its folder are kept to this user alone, whatever modes
// an earlier version left them with.
class LogFile {
public:
    // The file for a line of that many bytes, the log turned over first when
    // the line would take it past its limit.
    std::FILE* at(const std::string& path, size_t lineBytes)
    {
        if (!file_ || path != path_) open(path);
        if (file_ && size_ > 0 && size_ + lineBytes > kLogFileLimit) {
            close();
            std::rename(path.c_str(), (path + kPreviousLogSuffix).c_str());
            open(path);
        }
        if (file_) size_ += lineBytes;
        return file_;
    }

private:
    void open(const std::string& path)
    {
        close();
        const std::filesystem::path folder = std::filesystem::path(path).parent_path();
        std::error_code ec;
        std::filesystem::create_directories(folder, ec);
        ::chmod(folder.c_str(), 0700);
        const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0600);
        if (fd < 0) return;
        struct stat st{};
        if (::fchmod(fd, 0600) != 0 || ::fstat(fd, &st) != 0 || !(file_ = ::fdopen(fd, "a"))) {
            ::close(fd);
            return;
        }
        path_ = path;
        size_ = static_cast<size_t>(st.st_size);
    }

    void close()
    {
        if (file_) std::fclose(file_);
        file_ = nullptr;
        path_.clear();
        size_ = 0;
    }

    std::FILE* file_ = nullptr;
    std::string path_;
    size_t size_ = 0;
};

LogFile& logFile()
{
    // Never destroyed: objects destroyed at exit may still log.
    static LogFile* file = new LogFile;
    return *file;
}

}  // namespace

NSString logFilePath()
{
    return NSHomeDirectory().stringByAppendingPathComponent("Library/Logs/ParentalControlClient.log");
}

Sink setSink(Sink sink)
{
    std::lock_guard lock(sinkMutex());
    std::swap(currentSink(), sink);
    return sink;
}

void write(const std::string& line)
{
    // One lock for both roads so that lines from several threads never interleave.
    std::lock_guard lock(sinkMutex());
    if (currentSink()) {
        currentSink()(line);
        return;
    }
    // A log that cannot be opened falls back to standard error rather than
    // losing the line.
    std::FILE* out = toStandardError() ? nullptr : logFile().at(logFilePath().str(), line.size() + 1);
    if (!out) out = stderr;
    std::fprintf(out, "%s\n", line.c_str());
    std::fflush(out);
}

std::string functionName(std::string_view prettyFunction)
{
    // Clang spells an anonymous namespace "(anonymous namespace)", GCC
    // "{anonymous}": the one spelling for both, and no '(' before the parameters.
    std::string spelled(prettyFunction);
    constexpr std::string_view kClangAnonymous = "(anonymous namespace)";
    for (size_t at; (at = spelled.find(kClangAnonymous)) != std::string::npos;)
        spelled.replace(at, kClangAnonymous.size(), "{anonymous}");
    std::string_view pretty = spelled;
    // Cut the parameter list: the first '(' outside template brackets.
    int depth = 0;
    size_t end = pretty.size();
    for (size_t i = 0; i < pretty.size(); ++i) {
        char c = pretty[i];
        if (c == '<') ++depth;
        else if (c == '>') --depth;
        else if (c == '(' && depth == 0) {
            end = i;
            break;
        }
    }
    // Cut the return type: the last blank outside template brackets.
    depth = 0;
    size_t begin = 0;
    for (size_t i = end; i-- > 0;) {
        char c = pretty[i];
        if (c == '>') ++depth;
        else if (c == '<') --depth;
        else if (c == ' ' && depth == 0) {
            begin = i + 1;
            break;
        }
    }
    return std::string(pretty.substr(begin, end - begin));
}

}  // namespace nxlog
