// The offline kinds for the Beijing demo city: the offline-map versions
// ("offlinemap/?qt=taskcity&dpi="), the task list of the asked cities
// ("&c=id,id"), and the data-set files under "update/". The service's data
// files are GBK, as the engine stores them. The versions are those of the
// release the double announces now (MapDouble::publishOfflineRelease).
#include <sstream>

#include "tools/map-double/MapDouble.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"
#include "tools/offlinepack/OfflinePack.h"

namespace mapdouble {

namespace {

// The cities of the searchable and hot-city lists, as the service writes them.
std::string cityList() {
    const mapdemo::OfflineCity &city = mapdemo::BeijingPackage();
    std::ostringstream text;
    text << "[{\"i\":\"" << city.cityId << "\",\"n\":\"" << city.name << "\",\"sl\":\"" << city.size
         << "\",\"sh\":\"" << city.size + city.size / 2 << "\"}]";
    return offlinepack::toGbk(text.str());
}

std::optional<std::string> dataFile(const std::string &name) {
    if (name == "VerDatset.dat") {
        return std::string("[{\"f\":\"OfflineSearch.dat\",\"d\":\"1.0.1\"},{\"f\":\"OfflineHotcity.dat\",\"d\":\"1.0.1\"},"
                           "{\"f\":\"CMRequire.dat\",\"d\":\"2\"}]");
    }
    if (name == "OfflineSearch.dat" || name == "OfflineHotcity.dat") {
        return cityList();
    }
    if (name == "CMRequire.dat") {
        return std::string("[]");
    }
    return std::nullopt;
}

// Whether the comma list of city ids holds the id.
bool asksFor(const std::string &ids, int id) {
    std::istringstream list(ids);
    std::string item;
    while (std::getline(list, item, ',')) {
        if (item == std::to_string(id)) {
            return true;
        }
    }
    return false;
}

std::optional<Resource> offlineAnswer(const Query &query, MapDouble &double_) {
    std::optional<std::string> body;
    std::string type;
    size_t update = query.base.find("/update/");
    if (update != std::string::npos) {
        type = query.base.substr(update + 8);
        body = dataFile(type);
    } else if (query.base.find("/offlinemap/") != std::string::npos && query.get("qt") == "taskcity") {
        type = query.has("c") ? "taskcity-list" : "taskcity";
        const int release = double_.offlineRelease();
        body = !query.has("c") ? mapdemo::VersionReply(release)
               : asksFor(query.get("c"), mapdemo::BeijingPackage().cityId)
                   ? mapdemo::OfflineTaskListReply(release)
                   : std::string("{\"result\":{\"error\":0},\"content\":[]}");
    } else {
        return std::nullopt;
    }
    double_.record(LoggedRequest{"offline", query.url, type, -1, {}});
    if (!body) {
        Resource refused("no such data file", testserver::RelayServer::Mode::Status);
        refused.status = 404;
        return refused;
    }
    Resource resource(*body);
    if (std::optional<Fault> fault = double_.takeFault()) {
        applyTransportFault(*fault, resource);
    }
    return resource;
}

} // namespace

void addOfflineService(MapDouble &double_) { double_.addService(offlineAnswer); }

} // namespace mapdouble
