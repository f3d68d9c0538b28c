// The map service's JSON replies (UTF-8) made from the demo data set, in the
// layouts the engine's reply parsers read. Geometry is written with the point
// encoder in hundredths of map units.
#pragma once

#include <string>
#include <vector>

#include "tools/mapdemo/DemoData.h"

namespace mapdemo {

// A JSON string literal: quoted, with '"', '\' and control characters escaped.
std::string Quote(const std::string& text);
// The encoded one-point "geo" of a point in map units.
std::string GeoOf(Point at);
// The three-field "geo" of a line in map units.
std::string LineGeoOf(const std::vector<Point>& line);

// POI search replies: type 11 (in a city, with the keyword), 12 (with the
// centre POI list) or 21 (in bounds); places whose name holds the keyword.
std::string PoiSearchReply(int type, const std::string& keyword);
// Page `page` (from 0) of pageSize places; the total counts them all.
std::string PoiSearchReply(int type, const std::string& keyword, int page, int pageSize);
// Type 45: one list per keyword.
std::string MultiPoiReply(const std::vector<std::string>& keywords);
// Type 6: the detail of the bus stop 天安门东.
std::string PoiDetailReply();
std::string CityInfoReply();       // type 2
std::string CurrentCityReply();    // type 4
std::string CityListReply();       // type 7, "current_null" 1
std::string PoiPointReply(const std::string& name);  // type 28
std::string PoiBkgReply();         // type 510
std::string GeocodeReply(const std::string& name);   // type 35; unknown names give error 2
std::string ReverseGeocodeReply(const std::string& name);  // type 44 at a place
// Type 44 for an address at any point, with the places within 1000 units.
struct StreetAddress {
  std::string addr;
  std::string street;
  std::string district;
};
std::string ReverseGeocodeReply(const StreetAddress& address, Point at);
std::string SuggestionReply(const std::string& query);     // type 506
std::string ContentReply();        // type 26
std::string StateReply();          // type 500
std::string DriveRouteReply();     // type 20
std::string WalkRouteReply();      // type 31
std::string TransitReply();        // type 14
std::string BusLineDetailReply();  // type 18: the line 1路
std::string RouteAddrReply();      // type 23: candidate places for the start, cities for the end
// The offline service's replies for a release of its data: each release
// after the first (0) announces every version one higher.
std::string OfflineTaskListReply(int release = 0);  // type 507
std::string VersionReply(int release = 0);
std::string LocationReply(Point at);

}  // namespace mapdemo
