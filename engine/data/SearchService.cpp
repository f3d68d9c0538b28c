#include "engine/data/SearchService.h"

#include <cstring>

#include "engine/base/EngineEnv.h"
#include "engine/base/EngineMessages.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/data/ParserSupport.h"
#include "engine/data/UpdateReqMan.h"

namespace mapengine {

namespace {

constexpr int kPoiCacheLimit = 5;
constexpr int kRouteCacheLimit = 5;
constexpr int kPoiDetailCacheLimit = 5;
constexpr int kSuggestionCacheLimit = 50;
constexpr int kPoiBkgResultCount = 20;
// The centre POI of a search in bounds is marked as a point picked on the map.
constexpr int kCentrePoiMark = 2;

// A UTF-16 text as GBK in a field of width bytes, whole characters only.
void CopyAsGbk(char* field, int width, const CVString& text) {
  std::memset(field, 0, static_cast<size_t>(width));
  WideToMultiByte(kCodePageGbk, text.GetBuffer(), text.GetLength(), field, width - 1);
}

}  // namespace

CSearchService::CSearchService()
    : m_searchBuffer(VNew<unsigned char>(kSearchBufferSize)),
      m_cityBuffer(VNew<unsigned char>(kCityBufferSize)),
      m_poiBkgBuffer(VNew<unsigned char>(kSearchBufferSize)),
      m_taskBuffer(VNew<unsigned char>(kSearchBufferSize)) {}

CSearchService::~CSearchService() {
  if (m_updates) {
    for (CHttpClient* client : Clients()) {
      m_updates->RemoveClient(client);
    }
  }
  for (CHttpClient* client : Clients()) {
    client->Detach();
  }
  m_poiCache.RemoveAll();
  m_routeCache.RemoveAll();
  m_poiDetailCache.RemoveAll();
  m_suggestionCache.RemoveAll();
  VDelete(m_taskBuffer);
  VDelete(m_poiBkgBuffer);
  VDelete(m_cityBuffer);
  VDelete(m_searchBuffer);
}

void CSearchService::SetUpClient(CHttpClient& client, int type, unsigned char* buffer, int* length, int size,
                                 unsigned timeoutMs) {
  client.Attach();
  client.SetClientType(type);
  client.SetRecvBuffer(buffer, length, buffer ? size : 0);
  client.SetAcceptGzip(1);
  if (timeoutMs) {
    client.SetTimeout(timeoutMs);
  }
}

int CSearchService::Init(CAppDataCache::ReleaseListener listener, void* context) {
  SetUpClient(m_searchClient, kSearchClient, m_searchBuffer, &m_searchLength, kSearchBufferSize,
              kSearchTimeoutMs);
  // The city client keeps the client's own time-out.
  SetUpClient(m_cityClient, kCityClient, m_cityBuffer, &m_cityLength, kCityBufferSize, 0);
  SetUpClient(m_poiBkgClient, kPoiBkgClient, m_poiBkgBuffer, &m_poiBkgLength, kSearchBufferSize,
              kSearchTimeoutMs);
  SetUpClient(m_taskClient, kOfflineTasksClient, m_taskBuffer, &m_taskLength, kSearchBufferSize,
              kSearchTimeoutMs);
  m_poiCache.SetLimit(kPoiCacheLimit);
  m_routeCache.SetLimit(kRouteCacheLimit);
  m_poiDetailCache.SetLimit(kPoiDetailCacheLimit);
  m_suggestionCache.SetLimit(kSuggestionCacheLimit);
  for (CAppDataCache* cache : {&m_poiCache, &m_routeCache, &m_poiDetailCache, &m_suggestionCache}) {
    cache->SetReleaseListener(listener, context);
  }
  CVGlobalMan* global = GetGlobalMan();
  if (auto* env = global ? static_cast<CEngineEnv*>(global->GetSlot(kSlotEngineEnv)) : nullptr) {
    m_poiBkgCache.SetFolder(env->m_dataFolder);
  }
  // An update manager made before holds its downloads back while any of
  // these requests runs.
  if (m_updates) {
    for (CHttpClient* client : Clients()) {
      m_updates->AddClient(client);
    }
  }
  return 1;
}

int CSearchService::ReleaseResults() {
  m_poiCache.RemoveAll();
  m_poiDetailCache.RemoveAll();
  m_routeCache.RemoveAll();
  m_suggestionCache.RemoveAll();
  m_poiBkgCache.RemoveAll();
  return 1;
}

CHttpClient* CSearchService::Client(int clientType) {
  switch (clientType) {
    case kSearchClient:
      return &m_searchClient;
    case kCityClient:
      return &m_cityClient;
    case kPoiBkgClient:
      return &m_poiBkgClient;
    case kOfflineTasksClient:
      return &m_taskClient;
    default:
      return nullptr;
  }
}

int CSearchService::RequestPoiBkgData(int* requestNumber, const CVString& keyword, const CPoiBkgTileArray& tiles,
                                      int x1, int y1, int x2, int y2, int cityId) {
  if (tiles.GetSize() == 0) {
    return 0;
  }
  CVStringArray keys;
  for (int i = 0; i < tiles.GetSize(); ++i) {
    CVString key;
    key.Format(VStr(u"%d_%d"), tiles[i].x, tiles[i].y);
    keys.Add(key);
  }
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetPoiBkgDataUrl(m_poiBkgUrl, cityId, keyword, tiles[0].level, keys, kPoiBkgResultCount, x1,
                                       y1, x2, y2)) {
    return 0;
  }
  return Send(m_poiBkgClient, m_poiBkgUrl, requestNumber, 0);
}

int CSearchService::Send(CHttpClient& client, const CVString& url, int* requestNumber, int progress) {
  return client.RequestGet(url, *requestNumber, progress);
}

int CSearchService::FromCache(const CAppDataCache& cache, void** result, int* type) {
  return cache.Find(m_requestUrl, result, type);
}

int CSearchService::ReverseGeocode(int* requestNumber, void** result, int* type, int x, int y) {
  m_pendingType = 44;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetReverseGeocodeUrl(m_requestUrl, x, y)) {
    return 0;
  }
  if (m_reverseGeocode.x == x && m_reverseGeocode.y == y) {
    *result = &m_reverseGeocode;
    *type = 44;
    return 1;
  }
  return Send(requestNumber, 1);
}

int CSearchService::Geocode(int* requestNumber, void** result, int* type, const CVString& address, int cityId,
                            const CVString* cityName) {
  m_pendingType = 35;
  CUrlTranslater* urls = GetUrlTranslater();
  CVString name;
  if (cityName) {
    name = cityName->IsEmpty() ? CVString(m_currentCity.name) : *cityName;
  }
  if (!urls || !urls->GetGeocodeUrl(m_requestUrl, address, cityId, cityName ? &name : nullptr)) {
    return 0;
  }
  CVString holderAddress(m_geocode.address);
  if (cityName && name.Compare(m_geocode.cityName) == 0 && holderAddress.Compare(address.GetBuffer()) == 0) {
    *result = &m_geocode;
    *type = 35;
    return 1;
  }
  return Send(requestNumber, 1);
}

int CSearchService::RequestOfflineCityList(int* requestNumber, const CVArray<int, int>& cityIds) {
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetOfflineCityTaskUrl(m_taskUrl, cityIds)) {
    return 0;
  }
  return Send(m_taskClient, m_taskUrl, requestNumber, 0);
}

int CSearchService::SuggestionSearch(int* requestNumber, void** result, int* type, const CVString& keyword,
                                     int suggestionType, int cityId) {
  m_pendingType = 506;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetSuggestionUrl(m_requestUrl, keyword, suggestionType, cityId)) {
    return 0;
  }
  if (FromCache(m_suggestionCache, result, type)) {
    return 1;
  }
  return Send(requestNumber, 1);
}

int CSearchService::RequestCurrentCity(int* requestNumber, const _VPoint& first, const _VPoint& second, int level) {
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetCurrentCityUrl(m_cityUrl, first, second, level)) {
    return 0;
  }
  Send(m_cityClient, m_cityUrl, requestNumber, 1);
  return 1;
}

int CSearchService::SendRoute(int* requestNumber, void** result, int* type, int routeKind, int cityId,
                              const CVString* cityName) {
  if (FromCache(m_routeCache, result, type)) {
    return 1;
  }
  if (!Send(requestNumber, 1)) {
    return 0;
  }
  SetRequestCity(cityId, cityName);
  m_routeKind = routeKind;
  return 1;
}

int CSearchService::WalkingSearch(int* requestNumber, void** result, int* type, int cityId, int startCityId,
                                  int endCityId, const tag_RPNode& start, const tag_RPNode& end,
                                  const CVString* cityName, const CVString* startCityName,
                                  const CVString* endCityName) {
  m_pendingType = 31;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetWalkingRouteUrl(m_requestUrl, cityId, startCityId, endCityId, start, end, cityName,
                                         startCityName, endCityName)) {
    return 0;
  }
  return SendRoute(requestNumber, result, type, kRouteKindWalking, cityId, cityName);
}

int CSearchService::DrivingSearch(int* requestNumber, void** result, int* type, int cityId, int startCityId,
                                  int endCityId, const tag_RPNode& start, const tag_RPNode& end, int policy,
                                  const CVString* cityName, const CVString* startCityName,
                                  const CVString* endCityName) {
  m_pendingType = 20;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetDrivingRouteUrl(m_requestUrl, cityId, startCityId, endCityId, start, end, policy,
                                         cityName, startCityName, endCityName)) {
    return 0;
  }
  return SendRoute(requestNumber, result, type, kRouteKindDriving, cityId, cityName);
}

int CSearchService::TransitSearch(int* requestNumber, void** result, int* type, const tag_RPNode& start,
                                  const tag_RPNode& end, int policy, int cityId, const CVString* cityName) {
  m_pendingType = 14;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetTransitRouteUrl(m_requestUrl, start, end, policy, cityId, cityName)) {
    return 0;
  }
  return SendRoute(requestNumber, result, type, kRouteKindTransit, cityId, cityName);
}

int CSearchService::SendPoiSearch(int* requestNumber, void** result, int* type, const CVString& keyword, int page,
                                  const _VPoint* first, const _VPoint* second, int cityId,
                                  const CVString* cityName) {
  if (FromCache(m_poiCache, result, type)) {
    return 1;
  }
  if (!Send(requestNumber, 1)) {
    return 0;
  }
  m_keyword = keyword;
  m_pageNumber = page;
  SetRequestCity(cityId, cityName);
  if (first && second) {
    m_centrePoi = tag_PoiInfo{};
    m_centrePoi.reserved = kCentrePoiMark;
    m_centrePoi.detail = 0;
    m_centrePoi.point = CComplexPt(static_cast<int>((first->x + second->x) * 0.5 * 100),
                                   static_cast<int>((first->y + second->y) * 0.5 * 100));
    CopyGbkText(m_centrePoi.name, sizeof m_centrePoi.name, u"地图上点选的点");
    m_searchBounds.SetRect(first->x, first->y, second->x, second->y);
  }
  return 1;
}

int CSearchService::PoiMultiSearch(int* requestNumber, void** result, int* type, const CVString& keywords,
                                   int keywordCount, const _VPoint& first, const _VPoint& second, int page,
                                   int pageSize) {
  m_pendingType = 45;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetPoiMultiSearchUrl(m_requestUrl, keywords, keywordCount, first, second, page, pageSize)) {
    return 0;
  }
  return SendPoiSearch(requestNumber, result, type, keywords, page, &first, &second);
}

int CSearchService::PoiSearch(int* requestNumber, void** result, int* type, const CVString& keyword,
                              const _VPoint& first, const _VPoint& second, int page, int pageSize) {
  m_pendingType = 21;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetPoiSearchUrl(m_requestUrl, keyword, first, second, page, pageSize)) {
    return 0;
  }
  return SendPoiSearch(requestNumber, result, type, keyword, page, &first, &second);
}

int CSearchService::PoiSearchInCity(int* requestNumber, void** result, int* type, const CVString& keyword, int cityId,
                                    int page, int pageSize, const CVString* cityName) {
  m_pendingType = 11;
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls || !urls->GetPoiInCityUrl(m_requestUrl, keyword, cityId, page, pageSize, cityName)) {
    return 0;
  }
  return SendPoiSearch(requestNumber, result, type, keyword, page, nullptr, nullptr, cityId, cityName);
}

void CSearchService::SetRequestCity(int cityId, const CVString* cityName) {
  if (cityId > 0 && cityId != m_currentCity.code) {
    m_requestCity = tag_CityResult{};
    m_requestCity.code = cityId;
    if (cityName) {
      CopyAsGbk(m_requestCity.name, sizeof m_requestCity.name, *cityName);
    }
  } else {
    m_requestCity = m_currentCity;
  }
}

void CSearchService::FillCity(tag_CityResult& city) const {
  if (city.code < 1) {
    city = m_requestCity;
  }
}

void CSearchService::CopyKeyword(char* field, int width) const { CopyAsGbk(field, width, m_keyword); }

}  // namespace mapengine
