#pragma once
// What a search answers: every result of every search reaches the one
// search delegate the notifier holds, on the main thread, as (result, error).
// Errors: 0 success; 2 connecting, sending or receiving failed; 4 (routes) an
// end is ambiguous and the plan holds only its candidates; 100 nothing
// found; 101 a reply not decodable; 310 a result that did not convert. With
// an error other than 0 and 4 the result is nil.

#include <memory>
#include <optional>
#include <vector>

#include "mapsdk/VIZSearchResults.h"

using VIZPoiResultList = std::optional<std::vector<std::shared_ptr<VIZPoiResult>>>;

class VIZSearchDelegate {
public:
    virtual ~VIZSearchDelegate() = default;
    // The search type is the engine's result type (7, 11, 12, 21 or 45).
    virtual void onGetPoiResult_searchType_errorCode(const VIZPoiResultList& poiResultList, int type, int error) {}
    virtual void onGetTransitRouteResult_errorCode(const std::shared_ptr<VIZPlanResult>& result, int error) {}
    virtual void onGetDrivingRouteResult_errorCode(const std::shared_ptr<VIZPlanResult>& result, int error) {}
    virtual void onGetWalkingRouteResult_errorCode(const std::shared_ptr<VIZPlanResult>& result, int error) {}
    // Geocoding and reverse geocoding.
    virtual void onGetAddrResult_errorCode(const std::shared_ptr<VIZAddrInfo>& result, int error) {}
    virtual void onGetSuggestionResult_errorCode(const std::shared_ptr<VIZSuggestionResult>& result, int error) {}
};
