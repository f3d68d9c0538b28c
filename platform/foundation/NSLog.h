#pragma once
// The system log's stand-in: one line per call, kept where a device keeps its
// console log and not shown to the person using the program: appended to
// "Library/Logs/ParentalControlClient.log" below the home folder. With
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
