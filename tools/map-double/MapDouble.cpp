#include "tools/map-double/MapDouble.h"

namespace mapdouble {

Query Query::parse(const std::string &url) {
    Query query;
    query.url = url;
    size_t mark = url.find('?');
    query.base = url.substr(0, mark);
    if (mark == std::string::npos) {
        return query;
    }
    std::string rest = url.substr(mark + 1);
    size_t at = 0;
    while (at <= rest.size()) {
        size_t end = rest.find('&', at);
        std::string pair = rest.substr(at, end == std::string::npos ? std::string::npos : end - at);
        size_t eq = pair.find('=');
        if (!pair.empty()) {
            query.values[pair.substr(0, eq)] =
                eq == std::string::npos ? "" : testserver::RelayServer::decode(pair.substr(eq + 1));
        }
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return query;
}

std::string Query::get(const std::string &name) const {
    auto it = values.find(name);
    return it == values.end() ? std::string() : it->second;
}

MapDouble::MapDouble(size_t recordLimit, size_t answerLimit)
    : recordLimit_(recordLimit), relay_(testserver::Server::Options{.recordLimit = recordLimit}, answerLimit) {
    addTileService(*this);
    addStreetAddressService(*this);
    addSearchService(*this);
    addOfflineService(*this);
    addPoiBkgService(*this);
    relay_.setProvider([this](const std::string &url) { return answer(url); });
}

void MapDouble::addService(Service service) {
    std::lock_guard<std::mutex> lock(mutex_);
    services_.push_back(std::move(service));
}

void MapDouble::addServiceFirst(Service service) {
    std::lock_guard<std::mutex> lock(mutex_);
    services_.insert(services_.begin(), std::move(service));
}

void MapDouble::publishOfflineRelease() {
    ++offlineRelease_;
    // The relay keeps what the services answered: the old versions go.
    relay_.forgetProvided();
}

void MapDouble::holdAnswers(const std::string &type) {
    std::lock_guard<std::mutex> lock(mutex_);
    held_.try_emplace(type, std::make_shared<std::atomic<bool>>(false));
}

void MapDouble::release(const std::string &type) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (auto it = held_.find(type); it != held_.end()) {
        it->second->store(true);
        held_.erase(it);
    }
}

void MapDouble::pushFault(Fault fault) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_.push_back(fault);
}

std::optional<Fault> MapDouble::takeFault() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (faults_.empty()) {
        return std::nullopt;
    }
    Fault fault = faults_.front();
    faults_.pop_front();
    return fault;
}

void MapDouble::record(LoggedRequest entry) {
    std::lock_guard<std::mutex> lock(mutex_);
    log_.push_back(std::move(entry));
    if (log_.size() > recordLimit_) {
        log_.pop_front();
    }
}

std::vector<LoggedRequest> MapDouble::log() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return {log_.begin(), log_.end()};
}

std::optional<Resource> MapDouble::answer(const std::string &url) {
    Query query = Query::parse(url);
    std::vector<Service> services;
    {
        std::lock_guard<std::mutex> lock(mutex_);
        services = services_;
    }
    for (const Service &service : services) {
        if (std::optional<Resource> resource = service(query, *this)) {
            // The relay asks one answer at a time: the latest entry is this one's.
            std::lock_guard<std::mutex> lock(mutex_);
            if (!log_.empty() && log_.back().url == url) {
                if (auto held = held_.find(log_.back().type); held != held_.end()) {
                    resource->heldUntil = held->second;
                }
            }
            return resource;
        }
    }
    return std::nullopt;
}

void applyTransportFault(const Fault &fault, Resource &resource) {
    using Mode = testserver::RelayServer::Mode;
    switch (fault.kind) {
    case Fault::Kind::Delay:
        resource.mode = Mode::Slow;
        resource.delay = testserver::Millis(fault.millis);
        break;
    case Fault::Kind::DropMidBody:
        resource.mode = Mode::DropMidBody;
        resource.dropAfter = fault.after;
        resource.drops = fault.drops;
        break;
    case Fault::Kind::SlowLink:
        resource.mode = Mode::Trickle;
        resource.chunkSize = fault.after;
        resource.delay = testserver::Millis(fault.millis);
        break;
    case Fault::Kind::Gateway:
        resource.mode = Mode::Gateway;
        break;
    case Fault::Kind::Refused:
        resource.mode = Mode::Status;
        resource.status = 404;
        break;
    default:
        break;
    }
}

} // namespace mapdouble
