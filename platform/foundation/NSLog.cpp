#include "platform/foundation/NSLog.h"

#include <cstdio>
#include <mutex>

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

}  // namespace

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
    std::fprintf(stderr, "%s\n", line.c_str());
    std::fflush(stderr);
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
