// The search service: the four HTTP clients of the search manager (the
// user's searches, the city of the view, the map's POI background tiles and
// the offline service's task list), their receive buffers, the context of the last search, the result caches
// and the holders of the results that are not cached. The map's own requests
// go on clients of their own: a move never replaces a user's search in
// flight, and a search never replaces the map's requests. So does the task
// list the offline store asks for when the service publishes new versions:
// it comes at any time, and on the search client it would cut a user's
// search in flight, or be cut by the next one. Request entries
// build the URL, answer from a cache or a holder when they can, and
// otherwise send the GET; DispatchReply turns a finished reply into a record.
//
// Result types: 2 city information, 4 current city, 6 POI detail, 7 city
// list, 11/12/21 POI lists, 14 transit, 18 bus line, 20 driving, 23 route end
// points, 26/28 content, 31 walking, 35 geocoding, 44 reverse geocoding,
// 45 multi-keyword POIs, 500 state text, 506 suggestions, 507 offline tasks,
// 510 POI background data (stored in the POI background cache, whose files
// lie in the engine's data folder).
#pragma once

#include <array>

#include "engine/base/HttpClient.h"
#include "engine/base/VJson.h"
#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/base/VTypes.h"
#include "engine/data/AppDataCache.h"
#include "engine/model/RouteRecords.h"
#include "engine/model/SearchRecords.h"
#include "engine/render/PoiBkgCache.h"
#include "engine/render/UrlTranslater.h"

namespace mapengine {

class CUpdateReqMan;

// Error values announced with a search result.
enum : int {
  kSearchOk = 0,
  kSearchNetworkFailed = 2,
  kSearchBadReply = 3,
  kSearchEmpty = 11,
  kSearchRouteUnsupported = 13,
  kSearchRouteNotFound = 14,
  kSearchRejected = 101,
  kSearchNotConvertible = 102
};

class CSearchService {
public:
  static constexpr int kSearchBufferSize = 256000;
  static constexpr int kCityBufferSize = 15360;
  static constexpr int kSearchTimeoutMs = 20000;

  CSearchService();
  ~CSearchService();
  CSearchService(const CSearchService&) = delete;
  CSearchService& operator=(const CSearchService&) = delete;

  // Sets up the clients and the cache limits; listener hears of every cached
  // record before it is released. 1.
  int Init(CAppDataCache::ReleaseListener listener, void* context);
  // The update manager that holds its downloads back while a request of
  // this service runs: Init adds the clients to the one set then, and the
  // service takes them out of the one set when it goes. Null when there is
  // none; the engine root keeps it current.
  void SetUpdateReqMan(CUpdateReqMan* updates) { m_updates = updates; }
  // Empties the four caches and the POI background cache (its files
  // deleted). 1.
  int ReleaseResults();

  // The request entries. Each returns non-zero when the request was sent or
  // answered at once (*result and *type then hold the answer), 0 when the URL
  // was not built or the client refused the request.
  int ReverseGeocode(int* requestNumber, void** result, int* type, int x, int y);
  // cityName null: by city id; empty: the current city's name.
  int Geocode(int* requestNumber, void** result, int* type, const CVString& address, int cityId,
              const CVString* cityName);
  // The task list of the cities, on the task list client; never answered
  // at once.
  int RequestOfflineCityList(int* requestNumber, const CVArray<int, int>& cityIds);
  int SuggestionSearch(int* requestNumber, void** result, int* type, const CVString& keyword, int suggestionType,
                       int cityId);
  int RequestCurrentCity(int* requestNumber, const _VPoint& first, const _VPoint& second, int level);
  int WalkingSearch(int* requestNumber, void** result, int* type, int cityId, int startCityId, int endCityId,
                    const tag_RPNode& start, const tag_RPNode& end, const CVString* cityName,
                    const CVString* startCityName, const CVString* endCityName);
  int DrivingSearch(int* requestNumber, void** result, int* type, int cityId, int startCityId, int endCityId,
                    const tag_RPNode& start, const tag_RPNode& end, int policy, const CVString* cityName,
                    const CVString* startCityName, const CVString* endCityName);
  int TransitSearch(int* requestNumber, void** result, int* type, const tag_RPNode& start, const tag_RPNode& end,
                    int policy, int cityId, const CVString* cityName);
  int PoiMultiSearch(int* requestNumber, void** result, int* type, const CVString& keywords, int keywordCount,
                     const _VPoint& first, const _VPoint& second, int page, int pageSize);
  int PoiSearch(int* requestNumber, void** result, int* type, const CVString& keyword, const _VPoint& first,
                const _VPoint& second, int page, int pageSize);
  // cityName null: the city by its id.
  int PoiSearchInCity(int* requestNumber, void** result, int* type, const CVString& keyword, int cityId, int page,
                      int pageSize, const CVString* cityName);
  // The tiles ("x_y" keys, the level of the first) of the keyword within the
  // rectangle, on the POI background client; 0 for an empty list.
  int RequestPoiBkgData(int* requestNumber, const CVString& keyword, const CPoiBkgTileArray& tiles, int x1, int y1,
                        int x2, int y2, int cityId);
  int GetPoiBkgData(const CVString& keyword, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing) {
    return m_poiBkgCache.Lookup(keyword, tiles, missing);
  }
  CPoiBkgCache& PoiBkgCache() { return m_poiBkgCache; }

  // The finished reply of the search client: the record (or null), its
  // result type and the error value. pendingType is the manager's.
  void* DispatchReply(int requestNumber, int* type, int* error, int pendingType);
  // The type a dispatched record is filed under: its announced type, except
  // for the route end points of a transit request, announced as transit but
  // not a transit record.
  int FiledType(const void* record, int announcedType) const {
    return record == &m_routeAddr ? 23 : announcedType;
  }
  // The finished reply of the city client: the current-city holder, or null.
  tag_CityResult* DispatchCityReply(int* error);
  // The finished reply of the POI background client, stored in the POI
  // background cache: 1, or 0 with the error value.
  int DispatchPoiBkgReply(int* error);
  // The finished reply of the task list client: the task list holder, or
  // null with the error value.
  CVArray<tag_OfflineTask>* DispatchOfflineTasks(int* error);

  CHttpClient& SearchClient() { return m_searchClient; }
  CHttpClient& CityClient() { return m_cityClient; }
  // The client of a client type; null for a type that is not the service's.
  CHttpClient* Client(int clientType);

private:
  static void SetUpClient(CHttpClient& client, int type, unsigned char* buffer, int* length, int size,
                          unsigned timeoutMs);
  std::array<CHttpClient*, 4> Clients() { return {&m_searchClient, &m_cityClient, &m_poiBkgClient, &m_taskClient}; }
  // Sends a URL on a client; 1, or 0 when the client refused it.
  int Send(CHttpClient& client, const CVString& url, int* requestNumber, int progress);
  // Sends the search URL on the search client.
  int Send(int* requestNumber, int progress) { return Send(m_searchClient, m_requestUrl, requestNumber, progress); }
  // The request URL's record in a cache, as an answer; 1 when found.
  int FromCache(const CAppDataCache& cache, void** result, int* type);
  int SendRoute(int* requestNumber, void** result, int* type, int routeKind, int cityId, const CVString* cityName);
  // first and second: the bounds of a search in bounds; null for a search in
  // a city, which gives its city instead.
  int SendPoiSearch(int* requestNumber, void** result, int* type, const CVString& keyword, int page,
                    const _VPoint* first, const _VPoint* second, int cityId = 0, const CVString* cityName = nullptr);
  // The request city: the current city, or a fresh one of that code.
  void SetRequestCity(int cityId, const CVString* cityName);
  // A record's city without a code becomes the request city.
  void FillCity(tag_CityResult& city) const;
  void CompletePoiList(tag_PoiResult& record, int type);
  void CompleteMultiPoiList(tag_MultiPoiRst& record);
  void CopyKeyword(char* field, int width) const;
  void* DispatchRoute(const VJson* root, int type, int replyError, int* error);
  void* DispatchPoiList(const VJson* root, int type, int* error);
  CVArray<tag_OfflineTask>* ParseOfflineTasks(const VJson* root, int* error);

  CUpdateReqMan* m_updates = nullptr;
  // Search client: client type 0.
  CHttpClient m_searchClient;
  unsigned char* m_searchBuffer;
  int m_searchLength = 0;
  int m_pendingType = 0;
  CVString m_requestUrl;
  CVString m_keyword;
  int m_pageNumber = 0;
  tag_CityResult m_requestCity;
  int m_routeKind = 0;
  tag_PoiInfo m_centrePoi;
  _VRect m_searchBounds;
  // City client: client type 3.
  CHttpClient m_cityClient;
  unsigned char* m_cityBuffer;
  int m_cityLength = 0;
  CVString m_cityUrl;
  // POI background client: client type 4.
  CHttpClient m_poiBkgClient;
  unsigned char* m_poiBkgBuffer;
  int m_poiBkgLength = 0;
  CVString m_poiBkgUrl;
  // Task list client: client type 7.
  CHttpClient m_taskClient;
  unsigned char* m_taskBuffer;
  int m_taskLength = 0;
  CVString m_taskUrl;
  CAppDataCache m_poiCache;
  CAppDataCache m_routeCache;
  CAppDataCache m_poiDetailCache;
  CAppDataCache m_suggestionCache;
  CPoiBkgCache m_poiBkgCache;
  // Holders: overwritten by every reply of their type.
  tag_CityResult m_currentCity;
  tag_CityResult m_cityInfo;
  tag_PoiCityListRst m_cityList;
  tag_BusLineDetailRst m_busLine;
  tag_RPAddrRst m_routeAddr;
  tag_ContentRst m_content;
  CVString m_stateText;
  CVArray<tag_OfflineTask> m_offlineTasks;
  tag_GeoCodeRst m_geocode;
  tag_PoiResult m_reverseGeocode;
  tag_PoiBkgDataRst m_poiBkgData;
};

}  // namespace mapengine
