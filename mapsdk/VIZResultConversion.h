#pragma once
// The engine's search records made into the search result objects. Texts
// come as GBK (read no further than their field) or UTF-16; points come in
// hundredths of map units (whole map units for the two geocoding records)
// and leave as degrees; shapes leave as map points. Each converter fills
// the object it is given from the record of the result type; a converter
// with a YES/NO result answers NO for an absent record.

#include <optional>

#include "mapsdk/VIZSearchDelegate.h"

namespace mapengine {
struct tag_PoiResult;
struct tag_GeoCodeRst;
struct tag_SuggestionResult;
struct tag_CarRouteRst;
struct tag_BusRouteRst;
struct tag_RPAddrRst;
}

// POI pages by engine result type: 7 the city list, 11, 12 and 21 one page
// (tag_PoiResult), 45 one page per keyword (tag_MultiPoiRst; emptied when
// no keyword found anything); any other type adds nothing.
bool getPoiResult(std::vector<std::shared_ptr<VIZPoiResult>>& poiResults, const void* data, int type);
// Reverse geocoding (44).
bool getAddrInfo(VIZAddrInfo& info, const mapengine::tag_PoiResult* data);
// Geocoding (35).
bool getGeocodeInfo(VIZAddrInfo& info, const mapengine::tag_GeoCodeRst* data);
// Keys each once, with their cities; nothing set for no record or no keys.
void getSuggestionResult(VIZSuggestionResult& result, const mapengine::tag_SuggestionResult* data);
// Driving (20) and walking (31).
bool getRouteResult(VIZPlanResult& result, const mapengine::tag_CarRouteRst* data);
// Transit (14).
bool getTransitRouteResult(VIZPlanResult& result, const mapengine::tag_BusRouteRst* data);
// Ambiguous route ends (23): the candidates, and the route kind of the
// search (0 driving, 1 transit, 2 walking); none for an absent record.
std::optional<int> getRouteAddrResult(VIZRouteAddrResult& result, const mapengine::tag_RPAddrRst* data);
