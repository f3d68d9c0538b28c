#include "tools/map-double/LocationService.h"

#include <openssl/evp.h>
#include <openssl/md5.h>

#include <cstdio>
#include <map>

#include "tools/mapdemo/DemoData.h"
#include "tools/testserver/RelayServer.h"

namespace mapdouble {

namespace {

constexpr size_t kDigestPart = 10;  // characters 5 to 14 of the hex digest

std::string md5Hex(const std::string &bytes) {
    unsigned char digest[MD5_DIGEST_LENGTH];
    unsigned int length = 0;
    EVP_Digest(bytes.data(), bytes.size(), digest, &length, EVP_md5(), nullptr);
    std::string hex;
    char pair[3];
    for (unsigned int i = 0; i < length; ++i) {
        std::snprintf(pair, sizeof pair, "%02x", digest[i]);
        hex += pair;
    }
    return hex;
}

std::optional<std::string> base64Decode(const std::string &code) {
    if (code.size() % 4 != 0) {
        return std::nullopt;
    }
    std::string out(code.size() / 4 * 3, '\0');
    int n = EVP_DecodeBlock(reinterpret_cast<unsigned char *>(out.data()),
                            reinterpret_cast<const unsigned char *>(code.data()), static_cast<int>(code.size()));
    if (n < 0) {
        return std::nullopt;
    }
    size_t padding = code.size() >= 2 ? (code.end()[-1] == '=') + (code.end()[-2] == '=') : 0;
    out.resize(static_cast<size_t>(n) - padding);
    return out;
}

// name=value pairs of a form body, decoded.
std::map<std::string, std::string> formFields(const std::string &body) {
    std::map<std::string, std::string> fields;
    size_t at = 0;
    while (at < body.size()) {
        size_t end = body.find('&', at);
        std::string pair = body.substr(at, end == std::string::npos ? std::string::npos : end - at);
        size_t eq = pair.find('=');
        if (eq != std::string::npos) {
            fields[testserver::RelayServer::decode(pair.substr(0, eq))] =
                testserver::RelayServer::decode(pair.substr(eq + 1));
        }
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return fields;
}

std::string quoted(const std::string &text) { return "\"" + text + "\""; }

} // namespace

std::optional<std::string> verifySignedText(const std::string &field) {
    if (field.size() <= kDigestPart) {
        return std::nullopt;
    }
    std::optional<std::string> text = base64Decode(field.substr(0, field.size() - kDigestPart));
    if (!text || md5Hex(*text).substr(5, kDigestPart) != field.substr(field.size() - kDigestPart)) {
        return std::nullopt;
    }
    return text;
}

LocationService::LocationService()
    : server_([this](const testserver::Request &request, testserver::Connection &connection) {
          handle(request, connection);
      }) {}

void LocationService::setResult(const std::string &code) {
    std::lock_guard<std::mutex> lock(mutex_);
    result_ = code;
}

std::vector<std::string> LocationService::queries() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return queries_;
}

std::vector<std::string> LocationService::uploads() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return uploads_;
}

int LocationService::badSignatures() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return badSignatures_;
}

void LocationService::handle(const testserver::Request &request, testserver::Connection &connection) {
    if (request.method != "POST" || request.path != "/loc") {
        connection.send(404, "no such service");
        return;
    }
    std::map<std::string, std::string> fields = formFields(request.body);
    std::lock_guard<std::mutex> lock(mutex_);
    auto query = fields.find("bloc");
    if (query == fields.end()) {
        for (const auto &[name, value] : fields) {
            std::optional<std::string> text = verifySignedText(value);
            if (name.rfind("cldc[", 0) == 0 && text) {
                uploads_.push_back(*text);
            } else {
                ++badSignatures_;
            }
        }
        connection.send(200, R"({"result":{"error":"0"}})");
        return;
    }
    std::optional<std::string> text = verifySignedText(query->second);
    if (!text) {
        ++badSignatures_;
        connection.send(200, R"({"result":{"error":"167"}})");
        return;
    }
    queries_.push_back(*text);
    const mapdemo::Place &here = mapdemo::PlaceNamed("天安门");
    bool degrees = text->find("&coor=") != std::string::npos;
    std::string x = degrees ? "116.3975" : std::to_string(here.at.x);
    std::string y = degrees ? "39.9087" : std::to_string(here.at.y);
    connection.send(200, R"({"result":{"error":)" + quoted(result_) + R"(},"content":{"point":{"x":)" + quoted(x) +
                             R"(,"y":)" + quoted(y) + R"(},"radius":"150"}})");
}

} // namespace mapdouble
