// Reverse geocoding ("qt=rgc") anywhere in central Beijing: the point gets
// the address of the nearest of a fixed set of neighbourhoods, so every
// point there has one readable answer, always the same. The reply carries
// the point asked for. Points on a demo place, and points outside the area,
// are left to the search service, which answers with the nearest demo place.
#include <cmath>
#include <limits>

#include "tools/map-double/MapDouble.h"
#include "tools/map-double/MapProjection.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapdouble {

namespace {

struct Neighbourhood {
    double longitude;
    double latitude;
    const char *addr;
    const char *street;
    const char *district;
};

// Among them the places the demo phone reports from, north of the centre.
const std::vector<Neighbourhood> &Neighbourhoods() {
    static const std::vector<Neighbourhood> places = {
        {116.416805, 39.928920, "北京市东城区东四北大街", "东四北大街", "东城区"},
        {116.410201, 39.936112, "北京市东城区地坛公园", "雍和宫大街", "东城区"},
        {116.406955, 39.937440, "北京市东城区府学胡同", "府学胡同", "东城区"},
        {116.403200, 39.939100, "北京市东城区安定门内大街", "安定门内大街", "东城区"},
        {116.410530, 39.933760, "北京市东城区北新桥", "东直门内大街", "东城区"},
        {116.397500, 39.908700, "北京市东城区天安门广场", "广场东侧路", "东城区"},
        {116.410800, 39.914700, "北京市东城区王府井大街", "王府井大街", "东城区"},
        {116.417000, 39.901000, "北京市东城区崇文门内大街", "崇文门内大街", "东城区"},
        {116.397800, 39.899700, "北京市东城区前门大街", "前门大街", "东城区"},
        {116.393700, 39.948400, "北京市东城区鼓楼东大街", "鼓楼东大街", "东城区"},
        {116.434100, 39.941200, "北京市东城区东直门内大街", "东直门内大街", "东城区"},
        {116.374300, 39.913300, "北京市西城区西单北大街", "西单北大街", "西城区"},
        {116.373400, 39.924300, "北京市西城区西四北大街", "西四北大街", "西城区"},
    };
    return places;
}

// Central Beijing, in degrees.
constexpr double kWest = 116.35, kEast = 116.45, kSouth = 39.88, kNorth = 39.96;
// A point this close to a demo place (map units) is that place's.
constexpr double kDemoPlaceReach = 50;

bool nearDemoPlace(Point at) {
    for (const mapdemo::Place &place : mapdemo::Places()) {
        if (std::hypot(place.at.x - at.x, place.at.y - at.y) <= kDemoPlaceReach) {
            return true;
        }
    }
    return false;
}

const Neighbourhood *neighbourhoodOf(Point lonLat) {
    if (lonLat.x < kWest || lonLat.x > kEast || lonLat.y < kSouth || lonLat.y > kNorth) {
        return nullptr;
    }
    const Neighbourhood *nearest = nullptr;
    double best = std::numeric_limits<double>::max();
    for (const Neighbourhood &place : Neighbourhoods()) {
        // Degrees of longitude shrink with the latitude's cosine.
        const double dx = (place.longitude - lonLat.x) * std::cos(lonLat.y * M_PI / 180);
        const double d = std::hypot(dx, place.latitude - lonLat.y);
        if (d < best) {
            best = d;
            nearest = &place;
        }
    }
    return nearest;
}

} // namespace

void addStreetAddressService(MapDouble &double_) {
    double_.addService([](const Query &query, MapDouble &self) -> std::optional<Resource> {
        if (query.get("qt") != "rgc" || !query.has("x") || !query.has("y")) {
            return std::nullopt;
        }
        const mapdemo::Point at{std::atoi(query.get("x").c_str()), std::atoi(query.get("y").c_str())};
        const Point map{static_cast<double>(at.x), static_cast<double>(at.y)};
        const Neighbourhood *place = nearDemoPlace(map) ? nullptr : neighbourhoodOf(lonLatFromMapUnits(map));
        if (!place) {
            return std::nullopt;
        }
        return searchReply(self, query, mapdemo::ReverseGeocodeReply({place->addr, place->street, place->district}, at),
                           "rgc");
    });
}

} // namespace mapdouble
