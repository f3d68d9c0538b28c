#include "tools/testserver/RelayServer.h"

#include <algorithm>
#include <cstdlib>

namespace testserver {

namespace {

// How often a held answer looks whether it may go.
constexpr Millis kHoldPoll{2};

const char *kGatewayPage =
    "<?xml version=\"1.0\"?>"
    "<!DOCTYPE wml PUBLIC \"-//WAPFORUM//DTD WML 1.1//EN\" \"http://www.wapforum.org/DTD/wml_1.1.xml\">"
    "<wml><card id=\"gw\" onenterforward=\"/continue\"><p>Please wait</p></card></wml>";

// A single "bytes=a-b" (or "bytes=a-") range; false when absent or malformed.
bool parseRange(const std::string &field, size_t &first, size_t &last) {
    if (field.rfind("bytes=", 0) != 0) {
        return false;
    }
    const char *text = field.c_str() + 6;
    char *end = nullptr;
    first = std::strtoull(text, &end, 10);
    if (end == text || *end != '-') {
        return false;
    }
    const char *rest = end + 1;
    last = *rest ? std::strtoull(rest, &end, 10) : SIZE_MAX;
    return last >= first;
}

} // namespace

RelayServer::RelayServer(Server::Options options, size_t providedLimit)
    : providedLimit_(providedLimit), recordLimit_(options.recordLimit), options_(options) {
    restart();
}

void RelayServer::stop() { server_->stop(); }

void RelayServer::restart() {
    if (server_) {
        server_->stop();
    }
    server_ = std::make_unique<Server>(
        [this](const Request &request, Connection &connection) { handle(request, connection); }, options_);
    options_.port = port_ = server_->port();
}

void RelayServer::forgetProvided() {
    std::lock_guard<std::mutex> lock(mutex_);
    for (const std::string &key : provided_) {
        resources_.erase(key);
        gatewaysShown_.erase(key);
    }
    provided_.clear();
}

void RelayServer::add(const std::string &key, Resource resource) {
    std::lock_guard<std::mutex> lock(mutex_);
    resources_[key] = std::move(resource);
}

std::vector<std::string> RelayServer::keys() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {keys_.begin(), keys_.end()};
}

std::vector<std::string> RelayServer::ranges() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {ranges_.begin(), ranges_.end()};
}

std::string RelayServer::decode(std::string_view text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size()) {
            out += static_cast<char>(std::strtol(std::string(text.substr(i + 1, 2)).c_str(), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string RelayServer::queryValue(std::string_view query, std::string_view name) {
    size_t at = 0;
    while (at <= query.size()) {
        size_t end = query.find('&', at);
        std::string_view pair = query.substr(at, end == std::string_view::npos ? query.npos : end - at);
        if (pair.size() > name.size() && pair.substr(0, name.size()) == name && pair[name.size()] == '=') {
            return decode(pair.substr(name.size() + 1));
        }
        if (end == std::string_view::npos) {
            break;
        }
        at = end + 1;
    }
    return {};
}

void RelayServer::setProvider(Provider provider) {
    std::lock_guard<std::mutex> providing(providerMutex_);
    provider_ = std::move(provider);
}

bool RelayServer::take(const std::string &key, Resource &resource) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = resources_.find(key);
    if (it == resources_.end()) {
        return false;
    }
    Resource &stored = it->second;
    resource = stored;
    if (stored.mode == Mode::DropMidBody && stored.drops > 0) {
        --stored.drops;
    }
    if (stored.mode == Mode::Gateway && gatewaysShown_[key]++ == 0) {
        resource.mode = Mode::Status;
        resource.status = 200;
        resource.body = kGatewayPage;
        resource.headers = Headers{{"Content-Type", "text/vnd.wap.wml"}};
    }
    return true;
}

bool RelayServer::provide(const std::string &key) {
    // One provider call per key: parallel ranged requests for a new key wait
    // here and then find what the first one stored.
    std::lock_guard<std::mutex> providing(providerMutex_);
    {
        std::lock_guard<std::mutex> lock(mutex_);
        if (resources_.count(key)) {
            return true;
        }
    }
    if (!provider_) {
        return false;
    }
    std::optional<Resource> made = provider_(key);
    if (!made) {
        return false;
    }
    std::lock_guard<std::mutex> lock(mutex_);
    resources_[key] = std::move(*made);
    provided_.push_back(key);
    if (provided_.size() > providedLimit_) {
        resources_.erase(provided_.front());
        gatewaysShown_.erase(provided_.front());
        provided_.pop_front();
    }
    return true;
}

void RelayServer::handle(const Request &request, Connection &connection) {
    std::string key = request.path == "/" && !queryValue(request.query, "url").empty()
                          ? queryValue(request.query, "url")
                          : request.path;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        keys_.push_back(key);
        ranges_.push_back(request.headers.get("Range").value_or(""));
        if (keys_.size() > recordLimit_) {
            keys_.pop_front();
            ranges_.pop_front();
        }
    }
    Resource resource;
    if (!take(key, resource) && !(provide(key) && take(key, resource))) {
        connection.send(404, "no such resource");
        return;
    }
    answer(request, connection, resource);
}

void RelayServer::answer(const Request &request, Connection &connection, Resource &resource) {
    while (resource.heldUntil && !resource.heldUntil->load()) {
        if (!connection.delay(kHoldPoll)) {
            return;
        }
    }
    Response response;
    response.headers = resource.headers;
    switch (resource.mode) {
    case Mode::Chunked:
        response.body = resource.body;
        response.chunked = true;
        response.chunkSize = resource.chunkSize;
        connection.send(response);
        return;
    case Mode::Redirect:
        response.status = resource.status >= 300 && resource.status < 400 ? resource.status : 302;
        if (resource.location) {
            response.headers.add("Location", *resource.location);
        }
        connection.send(response);
        return;
    case Mode::Status:
        response.status = resource.status;
        response.body = resource.body;
        connection.send(response);
        return;
    case Mode::NoLengthThenClose: {
        connection.write("HTTP/1.1 200 OK\r\n");
        for (const Headers::Field &field : resource.headers.fields()) {
            connection.write(field.name + ": " + field.value + "\r\n");
        }
        connection.write("\r\n");
        connection.write(resource.body);
        connection.close();
        return;
    }
    case Mode::Slow:
        if (!connection.delay(resource.delay)) {
            return;
        }
        break;
    default:
        break;
    }
    const std::string &body = resource.body;
    size_t first = 0;
    size_t last = 0;
    std::optional<std::string> rangeField = request.headers.get("Range");
    if (rangeField && parseRange(*rangeField, first, last)) {
        if (first >= body.size()) {
            response.status = 416;
            response.headers.add("Content-Range", "bytes */" + std::to_string(body.size()));
            connection.send(response);
            return;
        }
        last = std::min(last, body.size() - 1);
        size_t claimed = resource.mode == Mode::WrongRangeStart ? first + 1 : first;
        response.status = 206;
        response.headers.add("Content-Range", "bytes " + std::to_string(claimed) + "-" + std::to_string(last) + "/" +
                                                  std::to_string(body.size()));
        response.body = body.substr(first, last - first + 1);
    } else {
        response.body = body;
    }
    if (resource.mode == Mode::Trickle && resource.chunkSize > 0) {
        const std::string_view piece(response.body);
        response.headers.add("Content-Length", std::to_string(piece.size()));
        connection.writeHead(response);
        for (size_t at = 0; at < piece.size(); at += resource.chunkSize) {
            connection.write(piece.substr(at, resource.chunkSize));
            if (at + resource.chunkSize < piece.size() && !connection.delay(resource.delay)) {
                return;
            }
        }
        connection.flush();
        return;
    }
    if (resource.mode == Mode::DropMidBody && resource.drops != 0) {
        response.headers.add("Content-Length", std::to_string(response.body.size()));
        connection.writeHead(response);
        connection.write(std::string_view(response.body).substr(0, resource.dropAfter));
        connection.close();
        return;
    }
    connection.send(response);
}

} // namespace testserver
