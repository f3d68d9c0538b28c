#include "tools/testserver/AuthenticatingProxy.h"

namespace testserver {

std::string base64(std::string_view bytes)
{
    static const char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    size_t i = 0;
    for (; i + 2 < bytes.size(); i += 3) {
        const unsigned v = (static_cast<unsigned char>(bytes[i]) << 16) | (static_cast<unsigned char>(bytes[i + 1]) << 8) |
                           static_cast<unsigned char>(bytes[i + 2]);
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += alphabet[(v >> 6) & 63];
        out += alphabet[v & 63];
    }
    if (i < bytes.size()) {
        unsigned v = static_cast<unsigned char>(bytes[i]) << 16;
        if (i + 1 < bytes.size()) v |= static_cast<unsigned char>(bytes[i + 1]) << 8;
        out += alphabet[(v >> 18) & 63];
        out += alphabet[(v >> 12) & 63];
        out += i + 1 < bytes.size() ? alphabet[(v >> 6) & 63] : '=';
        out += '=';
    }
    return out;
}

AuthenticatingProxy::AuthenticatingProxy(Options options)
    : options_(std::move(options)),
      server_([this](const Request &r, Connection &c) {
          if (r.scheme.empty()) return void(c.send(400, "not a proxy request"));
          if (!accepts(r)) return void(c.send(407, "", {{"Proxy-Authenticate", challenge()}}));
          c.send(200, "proxied " + r.authority + r.path);
      })
{
}

std::string AuthenticatingProxy::challenge() const
{
    return options_.scheme == "Basic" ? "Basic realm=\"" + options_.realm + "\"" : options_.scheme;
}

bool AuthenticatingProxy::accepts(const Request &request) const
{
    const auto given = request.headers.get("Proxy-Authorization");
    if (!given) return false;
    if (options_.scheme == "Basic") return *given == "Basic " + base64(options_.user + ":" + options_.password);
    return given->rfind(options_.scheme + " ", 0) == 0;
}

}  // namespace testserver
