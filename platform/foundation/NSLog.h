#pragma once
// The system log's stand-in: one line per call, kept where a device keeps its
// console log and not shown to the person using the program: appended to
// "Library/Logs/ParentalControlClient.log" below the home folder, readable by
// the user alone (file 0600, folder 0700). A line that would take the file
// past kLogFileLimit bytes first turns it over: it becomes
// "ParentalControlClient.log.1" (replacing the one before) and a new file
// starts, so the log never takes more than twice the limit. With
// NX_LOG_STDERR set (to anything but "" or "0") the lines go to standard error
// instead. Tests may install a sink to read what was logged.

#include <functional>
#include <string>
#include <string_view>

#include "platform/foundation/NSString.h"

namespace nxlog {

// Where log lines go; each call receives one line without its newline.
using Sink = std::function<void(const std::string& line)>;

// Installs a sink (an empty one restores the default road) and returns the
// one it replaces.
Sink setSink(Sink sink);

void write(const std::string& line);

// The file the default road appends to (below the current home folder).
NSString logFilePath();

// 1 MiB: thousands of the client's lines (each well under 1 KB), enough to
// follow a fault back through a day's use, while the two files together stay
// small beside the phone's storage and keep little of the family's history.
constexpr size_t kLogFileLimit = size_t{1} << 20;
// The name of the previous file: the log's name with this added.
constexpr const char* kPreviousLogSuffix = ".1";

// "Class::method" from a compiler's pretty function name: no return type, no
// parameter list.
std::string functionName(std::string_view prettyFunction);

}  // namespace nxlog

template <class... Args>
void NSLog(const NSString& format, const Args&... args)
{
    nxlog::write(NSString::stringWithFormat(format, args...).str());
}

// The logging macro of the whole system: the message behind a
// "%s [Line %d] " prefix naming the calling function and the source line.
#define NX_LOG(fmt, ...)                                                                                   \
    NSLog(NSString("%s [Line %d] ").stringByAppendingString(fmt),                                       \
          nxlog::functionName(__PRETTY_FUNCTION__).c_str(), __LINE__ __VA_OPT__(, ) __VA_ARGS__)
