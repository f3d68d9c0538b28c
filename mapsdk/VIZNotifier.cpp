#include "mapsdk/VIZNotifier.h"

#include "engine/root/EngineRoot.h"
#include "engine/model/RouteRecords.h"
#include "engine/data/SearchMan.h"
#include "mapsdk/VIZResultConversion.h"
#include "platform/foundation/NSThread.h"

using namespace mapengine;

namespace {

struct Delegates {
    std::weak_ptr<VIZGeneralDelegate> general;
    std::weak_ptr<VIZOfflineMapDelegate> offline;
    std::weak_ptr<VIZSearchDelegate> search;
};

enum : int {
    kErrorNone = 0,
    kErrorAmbiguous = 4,
    kErrorNothingFound = 100,
    kErrorNotConverted = 310
};

Delegates& Shared()
{
    static Delegates delegates;
    return delegates;
}

void OfflineState(int kind, int value)
{
    auto delegate = VIZNotifier::offlineDelegate();
    if (!delegate) return;
    switch (kind) {
    case 2:
    case 3:
    case 5:
    case 6:
        delegate->onGetOfflineMapState_withState(kind, value);
        break;
    case 4:
        delegate->onGetOfflineMapState_withState(4, 0);
        break;
    default:
        break;
    }
}

// The engine's stored result of a result type; null when none.
const void* Fetch(int type)
{
    CEngineRoot* root = GetEngineRoot();
    return root && root->m_pSearchMan ? root->m_pSearchMan->GetResult(type) : nullptr;
}

template <class Record>
const Record* FetchAs(int type)
{
    return static_cast<const Record*>(Fetch(type));
}

void PoiResult(VIZSearchDelegate& delegate, int error, int type)
{
    if (error != kErrorNone) return delegate.onGetPoiResult_searchType_errorCode(std::nullopt, 0, error);
    std::vector<std::shared_ptr<VIZPoiResult>> pages;
    if (!getPoiResult(pages, Fetch(type), type)) {
        return delegate.onGetPoiResult_searchType_errorCode(std::nullopt, type, kErrorNotConverted);
    }
    if (pages.empty()) return delegate.onGetPoiResult_searchType_errorCode(std::nullopt, type, kErrorNothingFound);
    delegate.onGetPoiResult_searchType_errorCode(pages, type, kErrorNone);
}

using RouteCallback = void (VIZSearchDelegate::*)(const std::shared_ptr<VIZPlanResult>&, int);

void RouteResult(VIZSearchDelegate& delegate, RouteCallback callback, int error, int type, bool transit)
{
    if (error != kErrorNone) return (delegate.*callback)(nullptr, error);
    auto plan = std::make_shared<VIZPlanResult>();
    const bool converted = transit ? getTransitRouteResult(*plan, FetchAs<tag_BusRouteRst>(type))
                                   : getRouteResult(*plan, FetchAs<tag_CarRouteRst>(type));
    if (converted) {
        (delegate.*callback)(plan, kErrorNone);
    } else {
        (delegate.*callback)(nullptr, kErrorNotConverted);
    }
}

// Reverse geocoding wants an address; geocoding takes what it gets.
void AddrResult(VIZSearchDelegate& delegate, int error, int type, bool reverse)
{
    if (error != kErrorNone) return delegate.onGetAddrResult_errorCode(nullptr, error);
    auto info = std::make_shared<VIZAddrInfo>();
    const bool converted = reverse ? getAddrInfo(*info, FetchAs<tag_PoiResult>(type))
                                   : getGeocodeInfo(*info, FetchAs<tag_GeoCodeRst>(type));
    if (!converted) return delegate.onGetAddrResult_errorCode(nullptr, kErrorNotConverted);
    if (reverse && info->strAddr.isNil()) return delegate.onGetAddrResult_errorCode(nullptr, kErrorNothingFound);
    delegate.onGetAddrResult_errorCode(info, kErrorNone);
}

// Candidates of ambiguous route ends, whatever the error, to the callback of
// the route kind searched.
void RouteAddrResult(VIZSearchDelegate& delegate, int type)
{
    auto candidates = std::make_shared<VIZRouteAddrResult>();
    const std::optional<int> kind = getRouteAddrResult(*candidates, FetchAs<tag_RPAddrRst>(type));
    if (!kind) return;
    auto plan = std::make_shared<VIZPlanResult>();
    plan->routeAddrResult = candidates;
    switch (*kind) {
    case kRouteKindDriving:
        delegate.onGetDrivingRouteResult_errorCode(plan, kErrorAmbiguous);
        break;
    case kRouteKindWalking:
        delegate.onGetWalkingRouteResult_errorCode(plan, kErrorAmbiguous);
        break;
    case kRouteKindTransit:
        if (candidates->startPoiList && candidates->endPoiList) {
            delegate.onGetTransitRouteResult_errorCode(plan, kErrorAmbiguous);
        } else {
            delegate.onGetTransitRouteResult_errorCode(nullptr, kErrorNothingFound);
        }
        break;
    default:
        break;
    }
}

void SuggestionResult(VIZSearchDelegate& delegate, int error, int type)
{
    if (error != kErrorNone) return delegate.onGetSuggestionResult_errorCode(nullptr, error);
    auto result = std::make_shared<VIZSuggestionResult>();
    getSuggestionResult(*result, FetchAs<tag_SuggestionResult>(type));
    if (result->keyList) {
        delegate.onGetSuggestionResult_errorCode(result, kErrorNone);
    } else {
        delegate.onGetSuggestionResult_errorCode(nullptr, kErrorNothingFound);
    }
}

// One search message: nothing without a delegate, else one call.
void SearchResult(int message, int error, int type)
{
    auto delegate = VIZNotifier::searchDelegate();
    if (!delegate) return;
    switch (message) {
    case kVIZMsgPoiResult:
        PoiResult(*delegate, error, type);
        break;
    case kVIZMsgTransitRoute:
        RouteResult(*delegate, &VIZSearchDelegate::onGetTransitRouteResult_errorCode, error, type, true);
        break;
    case kVIZMsgDrivingRoute:
        RouteResult(*delegate, &VIZSearchDelegate::onGetDrivingRouteResult_errorCode, error, type, false);
        break;
    case kVIZMsgWalkingRoute:
        RouteResult(*delegate, &VIZSearchDelegate::onGetWalkingRouteResult_errorCode, error, type, false);
        break;
    case kVIZMsgAddrResult:
        AddrResult(*delegate, error, type, true);
        break;
    case kVIZMsgGeocodeResult:
        AddrResult(*delegate, error, type, false);
        break;
    case kVIZMsgRouteAddrResult:
        RouteAddrResult(*delegate, type);
        break;
    case kVIZMsgSuggestionResult:
        SuggestionResult(*delegate, error, type);
        break;
    default:
        break;
    }
}

}  // namespace

void VIZNotifier::initDelegate()
{
    Shared().general.reset();
    Shared().search.reset();
}

void VIZNotifier::setGeneralDelegate(const std::shared_ptr<VIZGeneralDelegate>& delegate)
{
    Shared().general = delegate;
}

void VIZNotifier::setOfflineDelegate(const std::shared_ptr<VIZOfflineMapDelegate>& delegate)
{
    Shared().offline = delegate;
}

void VIZNotifier::setSearchDelegate(const std::shared_ptr<VIZSearchDelegate>& delegate)
{
    Shared().search = delegate;
}

std::shared_ptr<VIZSearchDelegate> VIZNotifier::searchDelegate() { return Shared().search.lock(); }

void VIZNotifier::clearSearchDelegate(const std::weak_ptr<VIZSearchDelegate>& delegate)
{
    std::weak_ptr<VIZSearchDelegate>& held = Shared().search;
    if (!held.owner_before(delegate) && !delegate.owner_before(held)) held.reset();
}

std::shared_ptr<VIZGeneralDelegate> VIZNotifier::generalDelegate() { return Shared().general.lock(); }

std::shared_ptr<VIZOfflineMapDelegate> VIZNotifier::offlineDelegate() { return Shared().offline.lock(); }

void VIZNotifier::msgProc(int message, int wParam, int lParam)
{
    switch (message) {
    case kVIZMsgNetworkState:
        if (auto delegate = generalDelegate()) delegate->onGetNetworkState(wParam);
        break;
    case kVIZMsgOfflineState:
        OfflineState(wParam, lParam);
        break;
    case kVIZMsgPoiResult:
    case kVIZMsgTransitRoute:
    case kVIZMsgDrivingRoute:
    case kVIZMsgWalkingRoute:
    case kVIZMsgAddrResult:
    case kVIZMsgGeocodeResult:
    case kVIZMsgRouteAddrResult:
    case kVIZMsgSuggestionResult:
        if (NSThread::isMainThread()) {
            SearchResult(message, wParam, lParam);
        } else {
            NSThread::performBlockOnMainThread([=] { SearchResult(message, wParam, lParam); }, false);
        }
        break;
    default:
        break;
    }
}
