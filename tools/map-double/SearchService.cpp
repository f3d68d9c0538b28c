// Searches and routes answered from the Beijing demo data: reverse
// geocoding ("api?...&qt=rgc"), geocoding ("gc"), suggestions ("/su?wd="),
// POI searches ("con", "bd2", "bda", paged by "pn" and "rn"), the city of the
// view ("cen"), driving ("nav"), walking ("walk"), transit ("bse", "bt") and
// route end-point candidates ("nse", "wse").
#include <cmath>
#include <limits>

#include "tools/map-double/MapDouble.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapdouble {

namespace {

constexpr size_t kOversizedBody = 300000;  // past the engine's 256,000-byte search buffer

bool endsWith(const std::string &text, const std::string &tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

int number(const Query &query, const std::string &name) { return std::atoi(query.get(name).c_str()); }

// The demo place nearest to a point in map units.
const mapdemo::Place &nearestPlace(int x, int y) {
    const mapdemo::Place *nearest = nullptr;
    double best = std::numeric_limits<double>::max();
    for (const mapdemo::Place &place : mapdemo::Places()) {
        double d = std::hypot(static_cast<double>(place.at.x - x), static_cast<double>(place.at.y - y));
        if (d < best) {
            best = d;
            nearest = &place;
        }
    }
    return *nearest;
}

// "b=x1,y1;x2,y2": whether the view's rectangle holds the city's centre.
bool viewHoldsBeijing(const std::string &bounds) {
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;
    if (std::sscanf(bounds.c_str(), "%d,%d;%d,%d", &x1, &y1, &x2, &y2) != 4) {
        return false;
    }
    mapdemo::Point centre = mapdemo::Beijing().centre;
    return std::min(x1, x2) <= centre.x && centre.x <= std::max(x1, x2) && std::min(y1, y2) <= centre.y &&
           centre.y <= std::max(y1, y2);
}

std::vector<std::string> splitKeywords(const std::string &text) {
    std::vector<std::string> words;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find('$', at);
        words.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return words;
}

// The reply of a search kind; nullopt for a query of no search kind.
std::optional<std::string> reply(const Query &query, std::string &kind) {
    if (endsWith(query.base, "/su")) {
        kind = "su";
        return mapdemo::SuggestionReply(query.get("wd"));
    }
    kind = query.get("qt");
    if (kind == "rgc") {
        return mapdemo::ReverseGeocodeReply(nearestPlace(number(query, "x"), number(query, "y")).name);
    }
    if (kind == "gc") {
        return mapdemo::GeocodeReply(query.get("wd"));
    }
    if (kind == "con" || kind == "bd2") {
        return mapdemo::PoiSearchReply(kind == "con" ? 11 : 21, query.get("wd"), number(query, "pn"),
                                       number(query, "rn"));
    }
    if (kind == "bda") {
        return mapdemo::MultiPoiReply(splitKeywords(query.get("wd")));
    }
    if (kind == "cen") {
        return viewHoldsBeijing(query.get("b")) ? mapdemo::CurrentCityReply() : std::string("{\"result\":{}}");
    }
    if (kind == "nav") {
        return mapdemo::DriveRouteReply();
    }
    if (kind == "walk") {
        return mapdemo::WalkRouteReply();
    }
    if (kind == "bse" || kind == "bt") {
        return mapdemo::TransitReply();
    }
    if (kind == "nse" || kind == "wse") {
        return mapdemo::RouteAddrReply();
    }
    return std::nullopt;
}

void applySearchFault(const Fault &fault, Resource &resource) {
    switch (fault.kind) {
    case Fault::Kind::EmptyBody:
        resource.body.clear();
        break;
    case Fault::Kind::NotJson:
        resource.body = "<html><body>Service unavailable</body></html>";
        break;
    case Fault::Kind::TruncatedBody:
        resource.body.resize(resource.body.size() / 2);
        break;
    case Fault::Kind::OversizedBody:
        resource.body.append(kOversizedBody - resource.body.size(), ' ');
        break;
    case Fault::Kind::ReplaceBody:
        resource.body = fault.text;
        break;
    case Fault::Kind::Stall:
        resource.mode = testserver::RelayServer::Mode::Slow;
        resource.delay = testserver::Millis(fault.millis);
        break;
    default:
        applyTransportFault(fault, resource);
        break;
    }
}

} // namespace

Resource searchReply(MapDouble &self, const Query &query, const std::string &body, const std::string &kind) {
    Resource resource(body);
    resource.headers.add("Content-Type", "text/javascript; charset=utf-8");
    if (std::optional<Fault> fault = self.takeFault()) {
        applySearchFault(*fault, resource);
    }
    LoggedRequest entry;
    entry.service = "search";
    entry.url = query.url;
    entry.type = kind;
    self.record(std::move(entry));
    return resource;
}

void addSearchService(MapDouble &double_) {
    double_.addService([](const Query &query, MapDouble &self) -> std::optional<Resource> {
        std::string kind;
        std::optional<std::string> body = reply(query, kind);
        if (!body) {
            return std::nullopt;
        }
        return searchReply(self, query, *body, kind);
    });
}

int searchRequests(MapDouble &double_, const std::string &qt) {
    int count = 0;
    for (const std::string &key : double_.relay().keys()) {
        Query query = Query::parse(key);
        if ((qt == "su" && endsWith(query.base, "/su")) || (qt != "su" && query.get("qt") == qt)) {
            ++count;
        }
    }
    return count;
}

} // namespace mapdouble
