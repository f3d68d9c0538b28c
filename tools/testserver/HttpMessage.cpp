#include "tools/testserver/HttpMessage.h"

#include <algorithm>
#include <cctype>

namespace testserver {

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string_view trimmed(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && blank(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

void Headers::add(std::string name, std::string value) { fields_.push_back({std::move(name), std::move(value)}); }

std::optional<std::string> Headers::get(std::string_view name) const {
    for (const Field &field : fields_) {
        if (equalsIgnoringCase(field.name, name)) {
            return field.value;
        }
    }
    return std::nullopt;
}

std::vector<std::string> Headers::getAll(std::string_view name) const {
    std::vector<std::string> values;
    for (const Field &field : fields_) {
        if (equalsIgnoringCase(field.name, name)) {
            values.push_back(field.value);
        }
    }
    return values;
}

bool Headers::has(std::string_view name) const { return get(name).has_value(); }

bool hasToken(const Headers &headers, std::string_view name, std::string_view token) {
    for (const std::string &value : headers.getAll(name)) {
        std::string_view rest = value;
        while (!rest.empty()) {
            const size_t comma = rest.find(',');
            if (equalsIgnoringCase(trimmed(rest.substr(0, comma)), token)) {
                return true;
            }
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
        }
    }
    return false;
}

void parseTarget(Request &request) {
    std::string_view target = request.target;
    request.scheme.clear();
    request.authority.clear();
    if (request.method == "CONNECT") {
        request.authority = target;
        request.path.clear();
        request.query.clear();
        return;
    }
    const size_t schemeEnd = target.find("://");
    if (!target.empty() && target.front() != '/' && schemeEnd != std::string_view::npos) {
        request.scheme = target.substr(0, schemeEnd);
        target.remove_prefix(schemeEnd + 3);
        const size_t authorityEnd = target.find_first_of("/?");
        request.authority = target.substr(0, authorityEnd);
        target = authorityEnd == std::string_view::npos ? std::string_view{} : target.substr(authorityEnd);
    }
    const size_t question = target.find('?');
    request.path = target.substr(0, question);
    request.query = question == std::string_view::npos ? std::string_view{} : target.substr(question + 1);
    if (request.path.empty() && !request.scheme.empty()) {
        request.path = "/";
    }
}

const char *reasonPhrase(int status) {
    static const std::pair<int, const char *> phrases[] = {
        {100, "Continue"},
        {101, "Switching Protocols"},
        {200, "OK"},
        {201, "Created"},
        {202, "Accepted"},
        {204, "No Content"},
        {206, "Partial Content"},
        {301, "Moved Permanently"},
        {302, "Found"},
        {303, "See Other"},
        {304, "Not Modified"},
        {305, "Use Proxy"},
        {307, "Temporary Redirect"},
        {308, "Permanent Redirect"},
        {400, "Bad Request"},
        {401, "Unauthorized"},
        {403, "Forbidden"},
        {404, "Not Found"},
        {405, "Method Not Allowed"},
        {407, "Proxy Authentication Required"},
        {408, "Request Timeout"},
        {411, "Length Required"},
        {413, "Content Too Large"},
        {416, "Range Not Satisfiable"},
        {500, "Internal Server Error"},
        {501, "Not Implemented"},
        {502, "Bad Gateway"},
        {503, "Service Unavailable"},
        {504, "Gateway Timeout"},
    };
    for (const auto &[code, phrase] : phrases) {
        if (code == status) {
            return phrase;
        }
    }
    return "Unknown";
}

} // namespace testserver
