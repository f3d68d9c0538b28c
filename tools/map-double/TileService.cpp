// Tile packs in the test-pattern mode: "?type=<kind>&l=<level>&c=x_y,...".
#include <cstdlib>

#include "tools/map-double/MapDouble.h"
#include "tools/map-double/TilePack.h"
#include "tools/map-double/TilePattern.h"

namespace mapdouble {

namespace {

constexpr size_t kOversizedPack = 260000;  // past the engine's 256,000-byte buffer
constexpr int kFirstTrafficLevel = 10;     // traffic below this level: empty tiles

std::optional<TileKind> kindOf(const std::string &type) {
    if (type == "m256" || type == "m256H") {
        return TileKind::Map;
    }
    if (type == "sate" || type == "sateH" || type == "rawsate" || type == "rawsateH") {
        return TileKind::Satellite;
    }
    if (type == "tra" || type == "trahis") {
        return TileKind::Traffic;
    }
    return std::nullopt;  // "m128" and anything else are not served
}

void applyPackFault(const Fault &fault, std::vector<PackEntry> &tiles) {
    if (fault.tile < 0 || static_cast<size_t>(fault.tile) >= tiles.size()) {
        return;
    }
    std::optional<std::string> &bytes = tiles[static_cast<size_t>(fault.tile)].bytes;
    switch (fault.kind) {
    case Fault::Kind::MissingTile:
        bytes.reset();
        break;
    case Fault::Kind::EmptyTile:
        bytes = std::string();
        break;
    case Fault::Kind::CorruptTile:
        // The PNG signature stays, so a decoder tries and fails on the rest.
        if (bytes && bytes->size() > 8) {
            for (size_t i = 8; i < bytes->size(); ++i) {
                (*bytes)[i] = static_cast<char>(0x5A ^ i);
            }
        }
        break;
    default:
        break;
    }
}

void applyHeaderFault(const Fault &fault, std::string &pack, size_t count) {
    switch (fault.kind) {
    case Fault::Kind::OversizedPack:
        pack.append(kOversizedPack - std::min(pack.size(), kOversizedPack), '\0');
        break;
    case Fault::Kind::CountTooLarge:
        putInt(pack, 4, 41);
        break;
    case Fault::Kind::HeaderTooShort:
        putInt(pack, 0, static_cast<int>(8 + 8 * count) - 8);
        break;
    case Fault::Kind::OffsetPastEnd:
        if (fault.tile >= 0 && static_cast<size_t>(fault.tile) < count) {
            putInt(pack, 8 + 8 * static_cast<size_t>(fault.tile), 0x7FFFFFF0);
        }
        break;
    case Fault::Kind::PatchWord:
        if (fault.after + 4 <= pack.size()) {
            putInt(pack, fault.after, fault.value);
        }
        break;
    case Fault::Kind::EmptyBody:
        pack.clear();
        break;
    default:
        break;
    }
}

std::optional<Resource> tilePack(const Query &query, MapDouble &double_) {
    if (!query.has("type") || !query.has("c")) {
        return std::nullopt;
    }
    LoggedRequest entry{"tile", query.url, query.get("type"), std::atoi(query.get("l").c_str()),
                        splitList(query.get("c"), ',')};
    double_.record(entry);
    std::optional<TileKind> kind = kindOf(entry.type);
    if (!kind || entry.level < 3 || entry.level > 18) {
        Resource refused("unknown tile kind or level", testserver::RelayServer::Mode::Status);
        refused.status = 404;
        return refused;
    }
    if (const int redirect = double_.tileRedirect(); redirect != 0 && !query.has("moved")) {
        Resource moved("", testserver::RelayServer::Mode::Redirect);
        moved.status = redirect;
        moved.location = query.url + "&moved=1";
        return moved;
    }
    std::vector<PackEntry> tiles;
    for (const std::string &key : entry.keys) {
        long long x = 0;
        long long y = 0;
        if (!parseTileKey(key, x, y)) {
            tiles.push_back({std::nullopt});
        } else if (*kind == TileKind::Traffic && entry.level < kFirstTrafficLevel) {
            tiles.push_back({std::string()});
        } else {
            tiles.push_back({patternTile(*kind, entry.level, x, y)});
        }
    }
    std::optional<Fault> fault = double_.takeFault();
    if (fault) {
        applyPackFault(*fault, tiles);
    }
    std::string pack = encodePack(tiles);
    Resource resource(pack);
    resource.headers = testserver::Headers{{"Content-Type", "application/octet-stream"}};
    if (fault) {
        applyHeaderFault(*fault, resource.body, tiles.size());
        applyTransportFault(*fault, resource);
    }
    return resource;
}

} // namespace

std::vector<std::string> splitList(const std::string &text, char separator) {
    std::vector<std::string> parts;
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(separator, at);
        parts.push_back(text.substr(at, end == std::string::npos ? std::string::npos : end - at));
        if (end == std::string::npos) {
            break;
        }
        at = end + 1;
    }
    return parts;
}

bool parseTileKey(const std::string &key, long long &x, long long &y) {
    size_t bar = key.find('_', 1);
    if (bar == std::string::npos) {
        return false;
    }
    char *end = nullptr;
    x = std::strtoll(key.c_str(), &end, 10);
    if (end != key.c_str() + bar) {
        return false;
    }
    y = std::strtoll(key.c_str() + bar + 1, &end, 10);
    return *end == '\0' && end != key.c_str() + bar + 1;
}

void addTileService(MapDouble &double_) { double_.addService(tilePack); }

} // namespace mapdouble
