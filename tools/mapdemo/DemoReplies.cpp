#include "tools/mapdemo/DemoReplies.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstdio>
#include <utility>

namespace mapdemo {

namespace {

using Members = std::vector<std::pair<std::string, std::string>>;

// Members are raw JSON values.
std::string Obj(const Members& members) {
  std::string out = "{";
  for (size_t i = 0; i < members.size(); ++i) {
    out += (i ? "," : "") + Quote(members[i].first) + ":" + members[i].second;
  }
  return out + "}";
}

std::string Arr(const std::vector<std::string>& items) {
  std::string out = "[";
  for (size_t i = 0; i < items.size(); ++i) {
    out += (i ? "," : "") + items[i];
  }
  return out + "]";
}

std::string Num(long long value) { return std::to_string(value); }

std::string Head(int type, Members more = {}) {
  Members members = {{"type", Num(type)}, {"error", "0"}};
  members.insert(members.end(), more.begin(), more.end());
  return Obj(members);
}

std::vector<std::vector<Point>> Hundredths(const std::vector<Point>& line) {
  std::vector<Point> scaled;
  for (const Point& p : line) {
    scaled.push_back({p.x * 100, p.y * 100});
  }
  return {scaled};
}

int DistanceBetween(Point a, Point b) {
  return static_cast<int>(std::lround(std::hypot(static_cast<double>(a.x - b.x), static_cast<double>(a.y - b.y))));
}

std::string PoiJson(const Place& place, Point from) {
  return Obj({{"geo", Quote(GeoOf(place.at))},
              {"poiType", Num(place.poiType)},
              {"name", Quote(place.name)},
              {"uid", Quote(place.uid)},
              {"dis", Num(DistanceBetween(place.at, from))},
              {"addr", Quote(place.addr)},
              {"tel", Quote(place.tel)},
              {"detail", "1"}});
}

std::vector<const Place*> PlacesHolding(const std::string& keyword) {
  std::vector<const Place*> found;
  for (const Place& place : Places()) {
    if (std::string(place.name).find(keyword) != std::string::npos) {
      found.push_back(&place);
    }
  }
  return found;
}

// The places holding the keyword, a page of them when pageSize is positive.
std::string PoiArray(const std::string& keyword, int page = 0, int pageSize = 0) {
  std::vector<const Place*> found = PlacesHolding(keyword);
  size_t first = pageSize > 0 ? static_cast<size_t>(page) * static_cast<size_t>(pageSize) : 0;
  size_t end = pageSize > 0 ? std::min(found.size(), first + static_cast<size_t>(pageSize)) : found.size();
  std::vector<std::string> pois;
  for (size_t i = first; i < end; ++i) {
    pois.push_back(PoiJson(*found[i], Beijing().centre));
  }
  return Arr(pois);
}

std::string RouteNode(const Place& place) {
  return Obj({{"bus_stop", Num(place.poiType == 1 ? 1 : 0)},
              {"uid", Quote(place.uid)},
              {"wd", Quote(place.name)},
              {"pt", Quote(GeoOf(place.at))}});
}

std::string CityEntry(int code, const char* name, int count) {
  return Obj({{"code", Num(code)}, {"num", Num(count)}, {"name", Quote(name)}});
}

std::string Decimal(long long hundredths) {
  char text[32];
  std::snprintf(text, sizeof text, "%lld.%02lld", hundredths / 100, hundredths % 100);
  return text;
}

std::string CarRouteReply(int type, const CarRoute& route) {
  const City& city = Beijing();
  std::vector<std::string> keyPoints, links;
  for (const RouteStep& step : route.steps) {
    keyPoints.push_back(Obj({{"a", "0"},
                             {"pt", Quote(GeoOf(step.at))},
                             {"rt", Num(step.routePointType)},
                             {"tt", Num(step.turnType)}}));
    links.push_back(Obj({{"n", Quote(step.road)},
                         {"t", Num(step.attribute)},
                         {"d", Num(step.length)},
                         {"g", Quote(LineGeoOf(step.shape))}}));
  }
  return Obj({{"result", Head(type, {{"total", "1"},
                                     {"sy", "0"},
                                     {"start_city", CityEntry(city.code, city.name, 1)},
                                     {"end_city", Arr({CityEntry(city.code, city.name, 1)})},
                                     {"start", RouteNode(PlaceNamed(route.from))},
                                     {"end", Arr({RouteNode(PlaceNamed(route.to))})}})},
              {"content", Obj({{"dis", Num(route.distance)},
                               {"time", Num(route.time)},
                               {"kps", Arr(keyPoints)},
                               {"rss", Arr(links)}})}});
}

std::string TransitStopJson(const TransitStop& stop) {
  return Obj({{"getOn", Obj({{"name", Quote(stop.onName)}, {"uid", Quote(stop.onUid)}, {"geo", Quote(GeoOf(stop.on))}})},
              {"getOff",
               Obj({{"name", Quote(stop.offName)}, {"uid", Quote(stop.offUid)}, {"geo", Quote(GeoOf(stop.off))}})},
              {"walk", Obj({{"direction", Num(stop.walkDirection)},
                            {"distance", Num(stop.walkDistance)},
                            {"geo", Quote(LineGeoOf(stop.walk))}})}});
}

std::string TransitLegJson(const TransitLeg& leg) {
  return Obj({{"distance", Num(leg.distance)},
              {"ed_uid", Quote(leg.offUid)},
              {"st_uid", Quote(leg.onUid)},
              {"name", Quote(leg.name)},
              {"station_num", Num(leg.stations)},
              {"type", Num(leg.type)},
              {"geo", Quote(LineGeoOf(leg.shape))}});
}

}  // namespace

std::string Quote(const std::string& text) {
  std::string out = "\"";
  for (unsigned char c : text) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char escape[8];
      std::snprintf(escape, sizeof escape, "\\u%04x", c);
      out += escape;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out + "\"";
}

std::string GeoOf(Point at) { return EncodePoint(at.x * 100, at.y * 100); }

std::string LineGeoOf(const std::vector<Point>& line) { return EncodeShape('-', Hundredths(line)); }

std::string PoiSearchReply(int type, const std::string& keyword) { return PoiSearchReply(type, keyword, 0, 0); }

std::string PoiSearchReply(int type, const std::string& keyword, int page, int pageSize) {
  size_t total = PlacesHolding(keyword).size();
  Members members = {
      {"result", Head(type, {{"total", Num(static_cast<long long>(total))}, {"op_gel", "1"}, {"wd", Quote(keyword)}})},
      {"psrs", Obj({{"SENum", "0"}, {"SEResult", "[]"}})},
      {"suggest_query", Arr({Obj({{"query", Quote(keyword + "广场")}}), Obj({{"query", Quote(keyword + "东")}})})},
      {"content", PoiArray(keyword, page, pageSize)}};
  if (type == 12) {
    members.push_back({"center", Obj({{"poi", Arr({PoiJson(PlaceNamed("天安门"), Beijing().centre)})}})});
  }
  return Obj(members);
}

std::string MultiPoiReply(const std::vector<std::string>& keywords) {
  std::vector<std::string> totals, lists;
  for (const std::string& keyword : keywords) {
    totals.push_back(Obj({{"total", Num(static_cast<long long>(PlacesHolding(keyword).size()))}}));
    lists.push_back(PoiArray(keyword));
  }
  return Obj({{"result", Head(45, {{"result_array", Arr(totals)}})}, {"content", Arr(lists)}});
}

std::string PoiDetailReply() {
  const Place& stop = PlaceNamed("天安门东");
  std::string ext = Obj(
      {{"src_name", Quote("dt_stop")},
       {"detail_info", Arr({Obj({{"title", Quote("首末车")}, {"info", Quote("05:00-23:00")}})})},
       {"title_link", Arr({Obj({{"title", Quote("线路图")}, {"link", Quote("http://map.vuriv.com/line/1")}})})},
       {"pic", Arr({Quote("http://map.vuriv.com/pic/1.jpg"), "7", Quote("http://map.vuriv.com/pic/2.jpg")})},
       {"price", Quote("2元")},
       {"line_info", Arr({Obj({{"first_time", Quote("05:00")},
                               {"last_time", Quote("23:00")},
                               {"line_name", Quote("1路")},
                               {"terminals", Quote("老山公交场站-四惠枢纽站")},
                               {"uid", Quote("e1d2c3b4a5f6e7d8c9b0a1f2")}})})},
       {"around_info", Arr({Arr({Obj({{"exit_name", Quote("A口")}, {"bs_info", Quote("1路")}, {"exit_round", Quote("天安门")}})}),
                            Obj({{"exit_name", Quote("B口")}, {"exit_round", Quote("中国国家博物馆")}}),
                            Obj({{"bs_info", Quote("52路")}})})}});
  return Obj({{"result", Head(6)},
              {"content", Obj({{"poiType", Num(stop.poiType)},
                               {"uid", Quote(stop.uid)},
                               {"name", Quote(stop.name)},
                               {"addr", Quote(stop.addr)},
                               {"tel", Quote("(010)96166 公交热线")},
                               {"zip", Quote("100006")},
                               {"geo", Quote(GeoOf(stop.at))},
                               {"ext", ext},
                               {"blinfo", Arr({Obj({{"addr", Quote("天安门东;天安门东")},
                                                    {"name", Quote("1路")},
                                                    {"uid", Quote("e1d2c3b4a5f6e7d8c9b0a1f2")}}),
                                               Obj({{"name", Quote("52路")}})})}})}});
}

std::string CityInfoReply() {
  const City& city = Beijing();
  return Obj({{"result", Head(2)},
              {"content", Obj({{"cname", Quote(city.name)},
                               {"city_type", Num(city.type)},
                               {"code", Num(city.code)},
                               {"level", Num(city.level)},
                               {"uid", Quote(city.uid)},
                               {"geo", Quote(GeoOf(city.centre))},
                               {"sup_bus", "1"},
                               {"sup_subway", "1"},
                               {"sup_lukuang", "2"}})}});
}

std::string CurrentCityReply() {
  const City& city = Beijing();
  return Obj({{"result", Obj({{"type", "4"}})},
              {"content", Obj({{"name", Quote(city.name)},
                               {"uid", Num(city.code)},
                               {"type", Num(city.type)},
                               {"sup_bus", "1"},
                               {"sup_subway", "1"},
                               {"sup_lukuang", "1"}})}});
}

std::string CityListReply() {
  return Obj({{"result", Head(7, {{"current_null", "1"}})},
              {"content", Arr({CityEntry(131, "北京市", 5), "\"skipped\"", CityEntry(289, "上海市", 2)})}});
}

std::string PoiPointReply(const std::string& name) {
  return Obj({{"result", Head(28)}, {"content", Arr({PoiJson(PlaceNamed(name), Beijing().centre)})}});
}

std::string PoiBkgReply() {
  std::vector<std::string> uids;
  for (const char* name : {"天安门", "故宫博物院"}) {
    const Place& place = PlaceNamed(name);
    uids.push_back(Obj({{"x", Num(place.at.x)}, {"y", Num(place.at.y)}, {"uid", Quote(place.uid)}, {"name", Quote(name)}}));
  }
  return Obj({{"result", Head(510, {{"count", "2"}, {"wd", Quote("bkg_12_3163_1178")}})},
              {"content", Arr({Obj({{"tileid", Quote("12_3163_1178")}, {"uids", Arr(uids)}}),
                               Obj({{"tileid", Quote("12_3164")}, {"uids", "[]"}})})}});
}

std::string GeocodeReply(const std::string& name) {
  for (const Place& place : Places()) {
    if (name == place.name) {
      return Obj({{"result", Head(35)},
                  {"content", Obj({{"wd", Quote(place.addr)},
                                   {"cn", Quote(Beijing().name)},
                                   {"coord", Obj({{"x", Quote(Num(place.at.x))}, {"y", Quote(Num(place.at.y))}})}})}});
    }
  }
  return Obj({{"result", Obj({{"type", "35"}, {"error", "2"}})}});
}

std::string ReverseGeocodeReply(const std::string& name) {
  const Place& here = PlaceNamed(name);
  return ReverseGeocodeReply(StreetAddress{here.addr, "东长安街", "东城区"}, here.at);
}

std::string ReverseGeocodeReply(const StreetAddress& address, Point at) {
  std::vector<std::string> around;
  for (const Place& place : Places()) {
    int distance = DistanceBetween(place.at, at);
    if (distance == 0 || distance > 1000) {
      continue;
    }
    around.push_back(Obj({{"name", Quote(place.name)},
                          {"addr", Quote(place.addr)},
                          {"tel", Quote(place.tel)},
                          {"zip", Quote(place.zip)},
                          {"uid", Quote(place.uid)},
                          {"distance", Quote(Num(distance))},
                          {"point", Obj({{"x", Quote(Decimal(place.at.x * 100LL + 25))},
                                         {"y", Quote(Decimal(place.at.y * 100LL + 75))}})}}));
  }
  return Obj({{"result", Head(44)},
              {"content", Obj({{"address", Quote(address.addr)},
                               {"address_detail", Obj({{"street_number", Quote("")},
                                                       {"street", Quote(address.street)},
                                                       {"district", Quote(address.district)},
                                                       {"city", Quote("北京市")},
                                                       {"province", Quote("北京市")}})},
                               {"point", Obj({{"x", Quote(Num(at.x))}, {"y", Quote(Num(at.y))}})},
                               {"surround_poi", Arr(around)}})}});
}

std::string SuggestionReply(const std::string& query) {
  std::vector<std::string> items;
  int n = 0;
  for (const Place* place : PlacesHolding(query)) {
    items.push_back(Quote(std::string("北京市$东城区$$") + place->name + "$$" + Num(++n) + "$"));
  }
  items.push_back(Quote("北京市$东城区$" + query + "广场$$$$" + Num(++n) + "$"));
  items.push_back(Quote("北京市$$"));
  return Obj({{"q", Quote(query)}, {"p", "0"}, {"t", "1"}, {"s", Arr(items)}});
}

std::string ContentReply() {
  const Point at = PlaceNamed("天安门").at;
  return Obj({{"result", Head(26)}, {"content", Arr({Quote(Num(at.x) + ".5," + Num(at.y) + ".25"), Quote("12")})}});
}

std::string StateReply() {
  return Obj({{"state", Quote("success")}, {"url", Quote("http://map.vuriv.com/share/131")}});
}

std::string DriveRouteReply() { return CarRouteReply(20, DriveRoute()); }

std::string WalkRouteReply() { return CarRouteReply(31, WalkRoute()); }

std::string TransitReply() {
  const TransitPlan& plan = Transit();
  std::vector<std::string> lines, stops;
  for (const TransitScheme& scheme : plan.schemes) {
    std::vector<std::string> legs, schemeStops;
    for (const TransitLeg& leg : scheme.legs) {
      legs.push_back(TransitLegJson(leg));
    }
    for (const TransitStop& stop : scheme.stops) {
      schemeStops.push_back(TransitStopJson(stop));
    }
    lines.push_back(Arr(legs));
    stops.push_back(Arr(schemeStops));
  }
  return Obj({{"result", Head(14, {{"total", "1"},
                                   {"sy", "3"},
                                   {"start", RouteNode(PlaceNamed(plan.from))},
                                   {"end", RouteNode(PlaceNamed(plan.to))}})},
              {"content", Arr({Obj({{"lines", Arr(lines)}, {"stops", Arr(stops)}})})}});
}

std::string BusLineDetailReply() {
  const TransitLeg& leg = Transit().schemes[0].legs[0];
  std::vector<std::string> stations;
  for (const char* name : {"天安门东", "王府井"}) {
    const Place& place = PlaceNamed(name);
    stations.push_back(Obj({{"name", Quote(name)}, {"uid", Quote(place.uid)}, {"geo", Quote(GeoOf(place.at))}}));
  }
  return Obj({{"result", Head(18, {{"total", "1"}})},
              {"content", Arr({Obj({{"endTime", Quote("23:00")},
                                    {"geo", Quote(LineGeoOf(leg.shape))},
                                    {"isMonTicket", "1"},
                                    {"maxPrice", "2"},
                                    {"name", Quote(leg.name)},
                                    {"startTime", Quote("05:00")},
                                    {"uid", Quote(leg.offUid)},
                                    {"stations", Arr(stations)}})})}});
}

std::string RouteAddrReply() {
  std::vector<std::string> starts;
  for (const Place* place : PlacesHolding("天安门")) {
    starts.push_back(Obj({{"uid", Quote(place->uid)},
                          {"name", Quote(place->name)},
                          {"addr", Quote(place->addr)},
                          {"geo", Quote(GeoOf(place->at))}}));
  }
  starts.push_back(Obj({{"name", Quote("天安门广场")}}));
  return Obj({{"result", Head(23, {{"city_list", "[0,1]"},
                                   {"prio_flag", "[0,0]"},
                                   {"s_wd", Quote("天安门")},
                                   {"e_wd", Quote("火车站")},
                                   {"if_nav", "1"},
                                   {"start_city", Obj({{"cname", Quote("北京市")}, {"code", "131"}})},
                                   {"end_city", Obj({{"cname", Quote("北京市")}, {"code", "131"}})}})},
              {"content", Obj({{"start", Arr(starts)},
                               {"end", Arr({CityEntry(131, "北京市", 3), CityEntry(289, "上海市", 4)})}})}});
}

std::string OfflineTaskListReply(int release) {
  const OfflineCity& city = BeijingPackage();
  return Obj({{"result", Obj({{"error", "0"}})},
              {"content", Arr({Obj({{"name", Quote(city.name)},
                                    {"cityid", Quote(Num(city.cityId))},
                                    {"task", Quote(city.gridNames)},
                                    {"size", Quote(Num(city.size))},
                                    {"center_x", Quote(Num(city.centre.x))},
                                    {"center_y", Quote(Num(city.centre.y))},
                                    {"l", Quote(Num(city.level))},
                                    {"ls", Quote(Num(city.startLevel))},
                                    {"le", Quote(Num(city.endLevel))},
                                    {"cityver", Quote(Num(std::atoi(city.version) + release))}})})}});
}

std::string VersionReply(int release) {
  return Obj({{"result", Obj({{"error", "0"}})},
              {"content", Obj({{"version", Arr({Obj({{"pic_version", Quote(Num(8 + release))},
                                                     {"task_version", Quote(Num(9 + release))},
                                                     {"city_version", Quote(Num(7 + release))}})})}})}});
}

std::string LocationReply(Point at) {
  return Obj({{"result", Obj({{"error", Quote("161")}})},
              {"content", Obj({{"point", Obj({{"x", Quote(Num(at.x) + ".5")}, {"y", Quote(Num(at.y) + ".25")}})},
                               {"radius", Quote("150")}})}});
}

}  // namespace mapdemo
