#include "engine/render/UrlTranslater.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "engine/base/EngineEnv.h"
#include "engine/base/EngineHost.h"
#include "engine/base/MD5.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/render/MapFacade.h"
#include "engine/model/Projection.h"

namespace mapengine {

namespace {

// The service hosts; only the scheme and the paths are part of the protocol.
constexpr const char* kMapServiceBase = "http://client.map.vuriv.com/";
constexpr const char* kApiServiceBase = "http://api.map.vuriv.com/";
constexpr const char* kSuggestionUrl = "http://su.map.vuriv.com/su?wd=";
constexpr const char* kOfflineMapUrl = "http://offline.map.vuriv.com/offlinemap/?qt=taskcity";
constexpr const char* kUpdateUrl = "http://update.map.vuriv.com/update/";
constexpr const char* kLocationUrl = "http://loc.map.vuriv.com/loc";

constexpr int kMaxCellRecords = 20;

// Appends a formatted piece. Only numbers are formatted; every text is
// appended as it is, so a URL is never cut at a formatting limit.
__attribute__((format(printf, 2, 3))) void AppendFormat(CVString& out, const char* format, ...) {
  char piece[256];
  va_list args;
  va_start(args, format);
  std::vsnprintf(piece, sizeof piece, format, args);
  va_end(args);
  out += piece;
}

CEngineEnv* Environment() {
  CVMainGlobalMan* global = GetGlobalMan();
  return global ? static_cast<CEngineEnv*>(global->GetSlot(kSlotEngineEnv)) : nullptr;
}

// A screen density above 180 on either axis is a high-density screen.
bool IsHighDensity(const CEngineEnv* env) {
  return env && (env->m_version.density.cx > 180 || env->m_version.density.cy > 180);
}

const char* DensityWord() { return IsHighDensity(Environment()) ? "hdpi" : "ldpi"; }

// A coordinate truncated toward zero, held inside the int range.
int TruncateCoordinate(double v) {
  if (std::isnan(v)) {
    return 0;
  }
  if (v >= 2147483647.0) {
    return 2147483647;
  }
  if (v <= -2147483648.0) {
    return -2147483647 - 1;
  }
  return static_cast<int>(v);
}

void AppendJoined(CVString& out, const CVStringArray& keys) {
  for (int i = 0; i < keys.GetSize(); ++i) {
    if (i > 0) {
      out += ",";
    }
    out += keys[i];
  }
}

// A city as a query value: the encoded name when one is given, else the id.
CVString CityValue(int id, const CVString* name) {
  if (name) {
    return UrlEncode(*name);
  }
  CVString out;
  AppendFormat(out, "%d", id);
  return out;
}

}  // namespace

CUrlTranslater* GetUrlTranslater() {
  CVMainGlobalMan* global = GetGlobalMan();
  return global ? static_cast<CUrlTranslater*>(global->GetSlot(kSlotUrlTranslater)) : nullptr;
}

CUrlTranslater::CUrlTranslater() : m_mapServiceUrl(kMapServiceBase), m_locationUrl(kLocationUrl), m_mapImageKind("m256") {}

CUrlTranslater::~CUrlTranslater() = default;

void CUrlTranslater::SetMapDomain(const CVStringArray& hosts, int mapPixelType, int satellitePixelType) {
  static constexpr const char* kKinds[] = {"", "m128", "m256", "m256H", "sate", "sateH", "rawsate", "rawsateH"};
  m_tileHosts.Copy(hosts);
  if (mapPixelType >= MAP_IMAGE_M128 && mapPixelType <= MAP_IMAGE_M256H) {
    m_mapImageKind = kKinds[mapPixelType];
  }
  if (satellitePixelType >= MAP_IMAGE_SATE && satellitePixelType <= MAP_IMAGE_RAWSATEH) {
    m_satelliteImageKind = kKinds[satellitePixelType];
  }
}

const CVString& CUrlTranslater::AppIdPart() {
  if (m_appIdPart.IsEmpty()) {
    EngineHost* host = GetEngineHost();
    NSString id = host ? host->StringSetting(kAppIdKey) : NSString();
    if (!id.isNil() && id.length() > 0) {
      m_appIdPart = "&appid=";
      m_appIdPart += CVString(id.UTF8String());
    }
  }
  return m_appIdPart;
}

int CUrlTranslater::AppendCommonParams(CVString& out, int encoded) {
  CEngineEnv* env = Environment();
  if (!env) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(m_cacheLock);
  CVString& cached = encoded ? m_encodedCommon : m_plainCommon;
  if (!cached.IsEmpty()) {
    out = cached + AppIdPart();
    return 1;
  }
  const tagVersionInfo& v = env->m_version;
  auto value = [encoded](const CVString& text) { return encoded ? UrlEncode(text) : text; };
  CVString params = "&mb=";
  params += value(v.model);
  params += "&os=";
  params += value(CVString("iphone"));
  params += "&sv=";
  params += value(v.systemVersion);
  params += "&im=";
  params += value(env->m_deviceId);
  params += "&resid=";
  params += value(env->m_resourceId);
  params += "&ver=1";
  AppendFormat(params, "&screen=(%d,%d)&dpi=(%d,%d)", v.screenSize.cx, v.screenSize.cy, v.density.cx,
               v.density.cy);
  // Before the environment is filled the values are not kept, so a call made
  // too early does not freeze empty values.
  if (v.screenSize.cx > 0) {
    cached = params;
  }
  out = params + AppIdPart();
  return 1;
}

int CUrlTranslater::AppendShortParams(CVString& out) {
  std::lock_guard<std::mutex> lock(m_cacheLock);
  if (m_shortParams.IsEmpty()) {
    m_shortParams = "&os=iphone";
  }
  out = m_shortParams + AppIdPart();
  return 1;
}

int CUrlTranslater::SignParam(const CVString& text, CVString& out) {
  const int length = WideToMultiByte(kCodePageGbk, text.GetBuffer(), text.GetLength(), nullptr, 0);
  char* bytes = VNew<char>(static_cast<size_t>(length) + 1);
  const size_t codeCapacity = (static_cast<size_t>(length) + 2) / 3 * 4 + 1;
  char* code = VNew<char>(codeCapacity);
  int result = 0;
  if (bytes && code) {
    WideToMultiByte(kCodePageGbk, text.GetBuffer(), text.GetLength(), bytes, length);
    char digest[33] = {};
    MD5::DigestString(digest, reinterpret_cast<const unsigned char*>(bytes), static_cast<size_t>(length));
    if (std::strlen(digest) == 32 && Base64Encode(code, codeCapacity, bytes) >= 0) {
      out = code;
      digest[15] = 0;
      out += digest + 5;
      result = 1;
    }
  }
  VDelete(bytes);
  VDelete(code);
  return result;
}

int CUrlTranslater::EncodeRoutePoint(CVString& out, const tag_RPNode& node) {
  if (node.type < 0 || node.type > 2) {
    return 0;
  }
  CVString text;
  AppendFormat(text, "%d$$", node.type);
  text += CVString(node.secondText);
  const bool withPosition = node.type == 1 || (node.type == 0 && node.x > 1.0 && node.y > 1.0);
  if (withPosition) {
    AppendFormat(text, "$$%d,%d$$", TruncateCoordinate(node.x), TruncateCoordinate(node.y));
  } else {
    text += "$$$$";
  }
  text += UrlEncode(CVString(node.name));
  text += "$$$$$$";
  out = text;
  return 1;
}

int CUrlTranslater::GetUpdateCheckUrl(CVString& out, const CVString& file) {
  out = CVString(kUpdateUrl) + file;
  return 1;
}

int CUrlTranslater::GetOfflineTaskListUrl(CVString& out) {
  out = kOfflineMapUrl;
  out += "&dpi=";
  out += DensityWord();
  return 1;
}

int CUrlTranslater::GetOfflineCityTaskUrl(CVString& out, const CVArray<int, int>& cityIds) {
  if (cityIds.GetSize() == 0) {
    return 0;
  }
  CVString url = kOfflineMapUrl;
  url += "&c=";
  for (int i = 0; i < cityIds.GetSize(); ++i) {
    AppendFormat(url, i ? ",%d" : "%d", cityIds[i]);
  }
  url += "&dpi=";
  url += DensityWord();
  out = url;
  return 1;
}

int CUrlTranslater::GetReverseGeocodeUrl(CVString& out, int x, int y) {
  CVString url = kApiServiceBase;
  AppendFormat(url, "api?x=%d&y=%d&qt=rgc", x, y);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetGeocodeUrl(CVString& out, const CVString& address, int cityId, const CVString* cityName) {
  CVString url = m_mapServiceUrl;
  if (cityName) {
    url += "?qt=gc&cn=";
    url += UrlEncode(*cityName);
    url += "&ie=utf-8&oue=0&wd=";
  } else {
    AppendFormat(url, "?qt=gc&c=%d&ie=utf-8&oue=0&wd=", cityId);
  }
  url += UrlEncode(address);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetSuggestionUrl(CVString& out, const CVString& keyword, int type, int cityId) {
  if (keyword.IsEmpty()) {
    return 0;
  }
  CVString url = kSuggestionUrl;
  url += UrlEncode(keyword);
  AppendFormat(url, "&cid=%d&type=%d", cityId, type);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetPoiBkgDataUrl(CVString& out, int cityId, const CVString& keyword, int level,
                                     const CVStringArray& keys, int resultCount, int x1, int y1, int x2, int y2) {
  if (keys.GetSize() == 0) {
    return 0;
  }
  CVString url = m_mapServiceUrl;
  url += "?qt=bkg_data_ex&wd=";
  url += UrlEncode(keyword);
  AppendFormat(url, "&c=%d&rn=%d&l=%d&xy=", cityId, resultCount, level);
  AppendJoined(url, keys);
  AppendFormat(url, "&b=(%d,%d;%d,%d)", x1 / 100, y1 / 100, x2 / 100, y2 / 100);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetCurrentCityUrl(CVString& out, const _VPoint& first, const _VPoint& second, int level) {
  CVString url = m_mapServiceUrl;
  AppendFormat(url, "?qt=cen&b=%d,%d;%d,%d&l=%d&ie=utf-8&tn=wl01&oue=0", first.x, first.y, second.x, second.y,
               level);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

struct CUrlTranslater::RouteCities {
  CVString startCity;  // the city part of the name-search form when the start is named
  CVString endCity;    // ... when the end is named
  CVString routeCities;
};

int CUrlTranslater::BuildRouteUrl(CVString& out, const char* nameHead, const char* routeHead, int sy,
                                  const tag_RPNode& start, const tag_RPNode& end, const RouteCities& cities,
                                  const char* tail) {
  CVString encodedStart;
  CVString encodedEnd;
  if (!EncodeRoutePoint(encodedStart, start) || !EncodeRoutePoint(encodedEnd, end)) {
    return 0;
  }
  CVString url = m_mapServiceUrl;
  const bool startByName = start.type == 2;
  const bool endByName = end.type == 2;
  if (startByName != endByName) {
    AppendFormat(url, nameHead, sy);
    url += startByName ? cities.startCity : cities.endCity;
    url += "&wd=";
    url += UrlEncode(CVString(startByName ? start.name : end.name));
    url += startByName ? "&en=" : "&sn=";
    url += startByName ? encodedEnd : encodedStart;
  } else {
    AppendFormat(url, routeHead, sy);
    url += cities.routeCities;
    url += "&sn=";
    url += encodedStart;
    url += "&en=";
    url += encodedEnd;
  }
  url += tail;
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

namespace {

// "&c=" city "&sc=" start city "&ec=" end city, and the single-city parts.
void RoadCities(int cityId, int startCityId, int endCityId, const CVString* cityName, const CVString* startCityName,
                const CVString* endCityName, CVString& startPart, CVString& endPart, CVString& routePart) {
  CVString start = CityValue(startCityId, startCityName);
  CVString end = CityValue(endCityId, endCityName);
  startPart = CVString("&c=") + start;
  endPart = CVString("&c=") + end;
  routePart = CVString("&c=") + CityValue(cityId, cityName) + CVString("&sc=") + start + CVString("&ec=") + end;
}

}  // namespace

int CUrlTranslater::GetWalkingRouteUrl(CVString& out, int cityId, int startCityId, int endCityId,
                                       const tag_RPNode& start, const tag_RPNode& end, const CVString* cityName,
                                       const CVString* startCityName, const CVString* endCityName) {
  RouteCities cities;
  RoadCities(cityId, startCityId, endCityId, cityName, startCityName, endCityName, cities.startCity, cities.endCity,
             cities.routeCities);
  return BuildRouteUrl(out, "?qt=wse&ie=utf-8&oue=0&lrn=20", "?qt=walk&ie=utf-8&oue=0&lrn=20", 0, start, end, cities,
                       "");
}

int CUrlTranslater::GetDrivingRouteUrl(CVString& out, int cityId, int startCityId, int endCityId,
                                       const tag_RPNode& start, const tag_RPNode& end, int policy,
                                       const CVString* cityName, const CVString* startCityName,
                                       const CVString* endCityName) {
  RouteCities cities;
  RoadCities(cityId, startCityId, endCityId, cityName, startCityName, endCityName, cities.startCity, cities.endCity,
             cities.routeCities);
  const int sy = policy == 1 ? 1 : policy == 2 ? 2 : 0;
  return BuildRouteUrl(out, "?qt=nse&sy=%d&ie=utf-8&oue=0&lrn=20", "?qt=nav&sy=%d&ie=utf-8&oue=0&lrn=20", sy, start,
                       end, cities, "");
}

int CUrlTranslater::GetTransitRouteUrl(CVString& out, const tag_RPNode& start, const tag_RPNode& end, int policy,
                                       int cityId, const CVString* cityName) {
  RouteCities cities;
  cities.startCity = CVString("&c=") + CityValue(cityId, cityName);
  cities.endCity = cities.startCity;
  cities.routeCities = cities.startCity;
  const int sy = policy == 6 ? 4 : policy == 5 ? 3 : policy == 4 ? 2 : 0;
  return BuildRouteUrl(out, "?qt=bse&sy=%d&ie=utf-8&oue=0&lrn=20", "?qt=bt&sy=%d&ie=utf-8&ex=1&oue=0&lrn=20", sy,
                       start, end, cities, sy == 4 ? "&f=[0,2,4,7,5,8,9,10,11]" : "");
}

int CUrlTranslater::GetPoiMultiSearchUrl(CVString& out, const CVString& keywords, int keywordCount,
                                         const _VPoint& first, const _VPoint& second, int page, int pageSize) {
  if (pageSize < 0) {
    return 0;
  }
  CVString url = m_mapServiceUrl;
  AppendFormat(url, "?qt=bda&ie=utf-8&pn=%d&rn=%d&oue=0&ar=(%d,%d;%d,%d)&b=(%d,%d;%d,%d)&l=12&wdn=%d&wd=", page,
               pageSize, first.x, first.y, second.x, second.y, first.x, first.y, second.x, second.y, keywordCount);
  url += UrlEncode(keywords);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetPoiSearchUrl(CVString& out, const CVString& keyword, const _VPoint& first,
                                    const _VPoint& second, int page, int pageSize) {
  if (pageSize < 0) {
    return 0;
  }
  CVString url = m_mapServiceUrl;
  AppendFormat(url, "?qt=bd2&ie=utf-8&pn=%d&rn=%d&oue=0&ar=(%d,%d;%d,%d)&b=(%d,%d;%d,%d)&l=12&wd=", page, pageSize,
               first.x, first.y, second.x, second.y, first.x, first.y, second.x, second.y);
  url += UrlEncode(keyword);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetPoiInCityUrl(CVString& out, const CVString& keyword, int cityId, int page, int pageSize,
                                    const CVString* cityName) {
  if (pageSize < 0) {
    return 0;
  }
  int level = 0;
  int bounds[4] = {};
  if (m_mapControl) {
    level = MapGetZoomLevel(m_mapControl);
    MapGetRequestBounds(bounds);
  }
  CVString url = m_mapServiceUrl;
  if (cityName) {
    url += "?qt=con&c=";
    url += UrlEncode(*cityName);
  } else {
    AppendFormat(url, "?qt=con&c=%d", cityId);
  }
  AppendFormat(url, "&l=%d&b=(%d,%d;%d,%d)&ie=utf-8&pn=%d&rn=%d&lc=0&oue=0&wd=", level, bounds[0] / 100,
               bounds[1] / 100, bounds[2] / 100, bounds[3] / 100, page, pageSize);
  url += UrlEncode(keyword);
  CVString common;
  AppendCommonParams(common, 1);
  out = url + common;
  return 1;
}

int CUrlTranslater::GetTileUrl(CVString& out, const tagTileRequest& request, int urlFlag) {
  if (request.keys.GetSize() == 0 || m_tileHosts.GetSize() == 0) {
    return 0;
  }
  CVString url = m_tileHosts[0];
  switch (request.kind) {
    case 0:
    case 3:
      url += "?type=";
      url += m_mapImageKind;
      AppendFormat(url, "&l=%d&c=", request.level);
      break;
    case 1:
      AppendFormat(url, "?type=tra&l=%d&c=", request.level);
      break;
    case 2:
      AppendFormat(url, "?type=trahis&day=%d&time=%d&l=%d&c=", request.day, request.time, request.level);
      break;
    case 4:
      url += "?type=";
      url += m_satelliteImageKind;
      AppendFormat(url, "&l=%d&c=", request.level);
      break;
    default:
      break;
  }
  AppendJoined(url, request.keys);
  CVString shortParams;
  AppendShortParams(shortParams);
  url += shortParams;
  if (urlFlag == 0) {
    AppendFormat(url, "&tick=%d", static_cast<int>(GetTickCount()));
  }
  out = url;
  return 1;
}

int CUrlTranslater::GetLocationUrl(CVString& out, const CVString& cell, const CVString& wifi, int coordinateFlag,
                                   CVStringArray& names, CVStringArray& values) {
  CVString text = "&cl=";
  text += cell;
  text += "&wf=";
  text += wifi;
  CVString common;
  AppendCommonParams(common, 0);
  text += common;
  text += "&prod=vurivmap";
  if (coordinateFlag == 0) {
    text += "&coor=wgs84";
  } else if (coordinateFlag == 1) {
    text += "&coor=gcj02";
  }
  CVString signature;
  if (!SignParam(text, signature)) {
    return 0;
  }
  CVString name = "bloc";
  names.Add(name);
  values.Add(signature);
  out = m_locationUrl;
  return 1;
}

int CUrlTranslater::GetCellDataUploadUrl(CVString& out, const CVStringArray& records, CVStringArray& names,
                                         CVStringArray& values) {
  CVString common;
  AppendCommonParams(common, 0);
  for (int i = 0; i < records.GetSize() && i < kMaxCellRecords; ++i) {
    CVString signature;
    if (SignParam(records[i] + common, signature)) {
      CVString name;
      AppendFormat(name, "cldc[%d]", i);
      names.Add(name);
      values.Add(signature);
    }
  }
  out = m_locationUrl;
  return 1;
}

}  // namespace mapengine
