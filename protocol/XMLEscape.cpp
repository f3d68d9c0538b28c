#include "protocol/XMLEscape.h"

#include <cstring>

NSString XMLEscapedString(const NSString& value)
{
    if (value.isNil()) return value;
    const std::string& in = value.str();
    if (in.find_first_of("&<>") == std::string::npos) return value;
    std::string out;
    out.reserve(in.size() + 16);
    for (char c : in) {
        switch (c) {
        case '&': out += "&amp;"; break;
        case '<': out += "&lt;"; break;
        case '>': out += "&gt;"; break;
        default: out += c;
        }
    }
    return NSString(std::move(out));
}
