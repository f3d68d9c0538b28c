// The POI background service ("?qt=bkg_data_ex&wd=K&l=L&xy=x_y,x_y,..."):
// for every tile asked that lies around central Beijing, a few POIs at
// positions fixed by (level, x, y), named after the keyword; other tiles
// come back empty. The reply echoes the keyword as the query key. Scripted
// transport faults (delay, drop, gateway, refusal) apply.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/map-double/MapDouble.h"
#include "tools/map-double/MapProjection.h"
#include "tools/map-double/TilePack.h"

namespace mapdouble {

namespace {

// Half the side of the square around the city centre that has POIs, in map
// units (about 30 km).
constexpr long long kReach = 30000;

uint32_t mix(uint32_t h) {
    h ^= h >> 16;
    h *= 0x7feb352d;
    h ^= h >> 15;
    h *= 0x846ca68b;
    return h ^ (h >> 16);
}

std::string jsonText(const std::string &text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
        }
        out += c;
    }
    return out + "\"";
}

// The POIs of one tile: x, y and name.
std::string tileJson(const std::string &keyword, int level, long long x, long long y) {
    const long long unit = tileSpan(level);
    // Tiananmen.
    static const Point centre = mapUnitsFromLonLat({116.3975, 39.9087});
    const long long left = x * unit;
    const long long bottom = y * unit;
    std::string uids;
    if (left < centre.x + kReach && left + unit > centre.x - kReach && bottom < centre.y + kReach &&
        bottom + unit > centre.y - kReach) {
        const uint32_t seed = mix(static_cast<uint32_t>(level * 7919 + x * 104729 + y));
        const int count = 2 + static_cast<int>(seed % 3);
        for (int i = 0; i < count; ++i) {
            const uint32_t h = mix(seed + static_cast<uint32_t>(i) * 0x9e3779b9u);
            // Kept off the tile's edges, so a POI belongs to one tile only.
            const long long px = left + unit / 16 + static_cast<long long>(h % 1000) * (unit * 7 / 8) / 1000;
            const long long py = bottom + unit / 16 + static_cast<long long>((h >> 10) % 1000) * (unit * 7 / 8) / 1000;
            const std::string id = std::to_string(level) + "_" + std::to_string(x) + "_" + std::to_string(y) + "_" +
                                   std::to_string(i);
            if (!uids.empty()) {
                uids += ",";
            }
            uids += "{\"x\":" + std::to_string(px) + ",\"y\":" + std::to_string(py) + ",\"uid\":" +
                    jsonText("bkg" + id) + ",\"name\":" + jsonText(keyword + " " + id) + "}";
        }
    }
    return "{\"tileid\":\"" + std::to_string(level) + "_" + std::to_string(x) + "_" + std::to_string(y) +
           "\",\"uids\":[" + uids + "]}";
}

std::optional<Resource> poiBackground(const Query &query, MapDouble &double_) {
    if (query.get("qt") != "bkg_data_ex") {
        return std::nullopt;
    }
    const std::string keyword = query.get("wd");
    const int level = std::atoi(query.get("l").c_str());
    std::vector<std::string> keys = splitList(query.get("xy"), ',');
    double_.record({"poibkg", query.url, "bkg_data_ex", level, keys});
    if (level < 3 || level > 18 || keyword.empty()) {
        Resource refused("{\"result\":{\"type\":510,\"error\":1}}");
        return refused;
    }
    std::string content;
    int tiles = 0;
    for (const std::string &key : keys) {
        long long x = 0;
        long long y = 0;
        if (!parseTileKey(key, x, y)) {
            continue;
        }
        content += (tiles++ ? "," : "") + tileJson(keyword, level, x, y);
    }
    Resource resource("{\"result\":{\"type\":510,\"error\":0,\"count\":" + std::to_string(tiles) + ",\"wd\":" +
                      jsonText(keyword) + "},\"content\":[" + content + "]}");
    resource.headers = testserver::Headers{{"Content-Type", "text/javascript; charset=utf-8"}};
    if (std::optional<Fault> fault = double_.takeFault()) {
        applyTransportFault(*fault, resource);
    }
    return resource;
}

} // namespace

void addPoiBkgService(MapDouble &double_) { double_.addService(poiBackground); }

} // namespace mapdouble
