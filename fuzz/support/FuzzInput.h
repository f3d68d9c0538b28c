// Helpers shared by the harnesses: the input as text, bytes, lines or parts.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/foundation/NSString.h"

namespace fuzz {

inline std::string Text(const uint8_t* data, size_t size) { return std::string(reinterpret_cast<const char*>(data), size); }

inline NSData Bytes(const uint8_t* data, size_t size) { return NSData(data, data + size); }

// The text cut at '\n' (a trailing '\r' stays part of its line).
inline std::vector<std::string> Lines(std::string_view text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.emplace_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

// The input cut into count parts at the line "#--" ("\n#--\n"), for readers
// that take several files; missing parts are empty, the last takes the rest.
inline std::vector<std::string_view> Parts(const uint8_t* data, size_t size, size_t count)
{
    std::string_view text(reinterpret_cast<const char*>(data), size);
    constexpr std::string_view separator = "\n#--\n";
    std::vector<std::string_view> parts;
    while (parts.size() + 1 < count) {
        size_t end = text.find(separator);
        if (end == std::string_view::npos) break;
        parts.push_back(text.substr(0, end));
        text.remove_prefix(end + separator.size());
    }
    parts.push_back(text);
    parts.resize(count);
    return parts;
}

}  // namespace fuzz
