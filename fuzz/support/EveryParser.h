// Every search and service reply parser of the engine run on one parsed
// reply, each into a record of its own: the malformed-reply tests and the
// search-reply fuzz harness share it.
#pragma once

#include "engine/model/RouteRecords.h"
#include "engine/data/VJsonResultParser.h"

namespace mapengine {

inline void ParseWithEvery(const VJson* root) {
  VJsonResultParser p;
  int error = 0;
  { tag_PoiResult r; p.ParsePoiList(root, &r); }
  { tag_PoiResult r; p.ParsePoiListInBounds(root, &r); }
  { tag_PoiResult r; p.ParsePoiSearchInCity(root, &r); }
  { tag_MultiPoiRst r; p.ParseMultiPoiList(root, &r); }
  { tag_PoiDetailRst r; p.ParsePoiDetail(root, &r); }
  { tag_CityResult r; p.ParseCityInfo(root, &r); p.ParseCurrentCity(root, &r); }
  { tag_PoiCityListRst r; p.ParseCityListReply(root, &r); }
  { tag_ContentRst r; tag_CityResult c; p.ParsePoiPoint(root, &r, &c); p.ParseContent(root, &r); }
  { tag_PoiBkgDataRst r; p.ParsePoiBkgData(root, &r); }
  { tag_GeoCodeRst r; p.ParseGeocode(root, &r, &error); }
  { tag_PoiResult r; p.ParseReverseGeocode(root, &r, &error); }
  { tag_SuggestionResult r; p.ParseSuggestion(root, &r); }
  { CVString r; p.ParseStateReply(root, &r); }
  { tag_CarRouteRst r; p.ParseDriveRoute(root, &r); }
  { tag_CarRouteRst r; p.ParseWalkRoute(root, &r); }
  { tag_BusRouteRst r; p.ParseBusRoutes(root, &r); }
  { tag_BusLineDetailRst r; p.ParseBusLineDetails(root, &r); }
  { tag_RPAddrRst r; p.ParseRouteAddrReply(root, &r); }
  { CVArray<tag_OfflineTask> r; p.ParseOfflineTaskList(root, &r); }
  { CVString a, b, c; p.ParseVersionReply(root, &a, &b, &c); }
  { tagLocReply r; p.ParseLocation(root, &r); }
}

}  // namespace mapengine
