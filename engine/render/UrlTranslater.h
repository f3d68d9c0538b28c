// The engine's request URL builder: service addresses, tile kinds, the common
// parameter tails, the signing of positioning texts, route end points, and
// the URL of every request kind the engine sends.
#pragma once

#include <mutex>

#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/base/VTypes.h"

namespace mapengine {

class CMapControl;

// The tile image kinds: 1..3 map tiles, 4..7 satellite tiles.
enum EN_MAP_IMAGE_PIXEL_TYPE {
  MAP_IMAGE_M128 = 1,
  MAP_IMAGE_M256 = 2,
  MAP_IMAGE_M256H = 3,
  MAP_IMAGE_SATE = 4,
  MAP_IMAGE_SATEH = 5,
  MAP_IMAGE_RAWSATE = 6,
  MAP_IMAGE_RAWSATEH = 7,
};

// A route end point: by position (type 1), by name only (type 2), or either
// (type 0: the position when it is usable). Texts are GBK.
struct tag_RPNode {
  double x = 0;
  double y = 0;
  int type = 0;
  char name[100] = {};
  char secondText[100] = {};

  void Clear() { *this = tag_RPNode{}; }
};

using CVStringArray = CVArray<CVString, CVString&>;

// A tile download as the tile downloader records it.
struct tagTileRequest {
  int kind = 0;  // 0, 3 map tiles; 1 live traffic; 2 traffic history; 4 satellite
  int level = 0;
  int day = 0;
  int time = 0;
  CVStringArray keys;
};

// The user defaults key of the application identifier sent as "&appid=".
inline constexpr const char* kAppIdKey = "EngineAppId";

class CUrlTranslater {
public:
  CUrlTranslater();
  virtual ~CUrlTranslater();
  CUrlTranslater(const CUrlTranslater&) = delete;
  CUrlTranslater& operator=(const CUrlTranslater&) = delete;

  // The tile hosts and kinds; a type out of its range keeps the kind.
  void SetMapDomain(const CVStringArray& hosts, int mapPixelType, int satellitePixelType);
  const CVString& GetMapImageKind() const { return m_mapImageKind; }
  const CVString& GetSatelliteImageKind() const { return m_satelliteImageKind; }

  // out = the common parameters (percent-encoded values when encoded is
  // nonzero). 1, or 0 (out untouched) without an engine environment.
  int AppendCommonParams(CVString& out, int encoded);
  // out = the short parameters of tile requests. 1.
  int AppendShortParams(CVString& out);
  // out = Base64 of the GBK text and ten characters of its MD5 digest. 1, or 0.
  int SignParam(const CVString& text, CVString& out);
  // out = the encoded end point. 1, or 0 for a type other than 0, 1 and 2.
  int EncodeRoutePoint(CVString& out, const tag_RPNode& node);

  int GetUpdateCheckUrl(CVString& out, const CVString& file);
  int GetOfflineTaskListUrl(CVString& out);
  // 0 (out untouched) for an empty list.
  int GetOfflineCityTaskUrl(CVString& out, const CVArray<int, int>& cityIds);

  // The request kinds. Each returns 1 with the whole URL in out, or 0 with
  // out unchanged when its input is unusable.
  int GetReverseGeocodeUrl(CVString& out, int x, int y);
  // cityName null: the city by its id. An empty name is the caller's to
  // replace with the current city's (the search service knows it).
  int GetGeocodeUrl(CVString& out, const CVString& address, int cityId, const CVString* cityName);
  int GetSuggestionUrl(CVString& out, const CVString& keyword, int type, int cityId);
  int GetPoiBkgDataUrl(CVString& out, int cityId, const CVString& keyword, int level, const CVStringArray& keys,
                       int resultCount, int x1, int y1, int x2, int y2);
  int GetCurrentCityUrl(CVString& out, const _VPoint& first, const _VPoint& second, int level);
  int GetWalkingRouteUrl(CVString& out, int cityId, int startCityId, int endCityId, const tag_RPNode& start,
                         const tag_RPNode& end, const CVString* cityName = nullptr,
                         const CVString* startCityName = nullptr, const CVString* endCityName = nullptr);
  int GetDrivingRouteUrl(CVString& out, int cityId, int startCityId, int endCityId, const tag_RPNode& start,
                         const tag_RPNode& end, int policy, const CVString* cityName = nullptr,
                         const CVString* startCityName = nullptr, const CVString* endCityName = nullptr);
  int GetTransitRouteUrl(CVString& out, const tag_RPNode& start, const tag_RPNode& end, int policy, int cityId,
                         const CVString* cityName = nullptr);
  int GetPoiMultiSearchUrl(CVString& out, const CVString& keywords, int keywordCount, const _VPoint& first,
                           const _VPoint& second, int page, int pageSize);
  int GetPoiSearchUrl(CVString& out, const CVString& keyword, const _VPoint& first, const _VPoint& second,
                      int page, int pageSize);
  // A search in a city, near what the map view shows: its level and request
  // rectangle go with it (all 0 without a map view). cityName null: the
  // city by its id.
  int GetPoiInCityUrl(CVString& out, const CVString& keyword, int cityId, int page, int pageSize,
                      const CVString* cityName = nullptr);
  // The map view whose level and rectangle a search in a city sends; null
  // when there is none. Its creator sets it and clears it before destroying it.
  void SetMapControl(const CMapControl* control) { m_mapControl = control; }
  // urlFlag 0 adds "&tick=" with the engine's tick count.
  int GetTileUrl(CVString& out, const tagTileRequest& request, int urlFlag);
  // Adds the "bloc" form field to names and values.
  int GetLocationUrl(CVString& out, const CVString& cell, const CVString& wifi, int coordinateFlag,
                     CVStringArray& names, CVStringArray& values);
  // Adds a "cldc[i]" field per record, for the first 20 records.
  int GetCellDataUploadUrl(CVString& out, const CVStringArray& records, CVStringArray& names, CVStringArray& values);

private:
  struct RouteCities;
  int BuildRouteUrl(CVString& out, const char* nameHead, const char* routeHead, int sy, const tag_RPNode& start,
                    const tag_RPNode& end, const RouteCities& cities, const char* tail);
  // The application-identifier part; the caller holds m_cacheLock.
  const CVString& AppIdPart();

  CVString m_mapServiceUrl;
  CVString m_locationUrl;
  CVString m_mapImageKind;
  CVString m_satelliteImageKind;
  CVStringArray m_tileHosts;
  const CMapControl* m_mapControl = nullptr;
  // Built on first use, once the environment holds the device values; the
  // timer thread (positioning) and the main thread (tiles) both read them.
  std::mutex m_cacheLock;
  CVString m_encodedCommon;
  CVString m_plainCommon;
  CVString m_shortParams;
  CVString m_appIdPart;
};

// The engine's URL builder (global slot 10), null before the bootstrap.
CUrlTranslater* GetUrlTranslater();

}  // namespace mapengine
