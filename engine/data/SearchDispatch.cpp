// Turning a finished search reply into its record: the reply text to GBK, the
// JSON tree, the result type, the parser of that type, the completion from
// the request context, and the cache of the type.
#include <cstring>

#include "engine/base/VCMMap.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/data/SearchService.h"
#include "engine/data/VJsonResultParser.h"

namespace mapengine {

namespace {

// A reply's text and tree, freed together.
class ParsedReply {
public:
  ParsedReply(const unsigned char* bytes, int length) : m_empty(length <= 0) {
    if (m_empty) {
      return;
    }
    int localLength = 0;
    m_text = Utf8ToLocal(reinterpret_cast<const char*>(bytes), length, &localLength);
    m_root = m_text ? VJson_Parse(m_text) : nullptr;
  }
  ~ParsedReply() {
    VJson_Delete(m_root);
    VDelete(m_text);
  }
  ParsedReply(const ParsedReply&) = delete;
  ParsedReply& operator=(const ParsedReply&) = delete;

  // The error of a reply that cannot be read: 3 empty (an empty body is a
  // failure: announcing it as success would show the previous search's
  // results as this one's), 102 not convertible, 3 not JSON; 0 when it can.
  int Error() const {
    return m_empty ? kSearchBadReply : !m_text ? kSearchNotConvertible : !m_root ? kSearchBadReply : 0;
  }
  const VJson* Root() const { return m_root; }

private:
  bool m_empty;
  char* m_text = nullptr;
  VJson* m_root = nullptr;
};

// A record of its own block, or null when memory ran out.
template <class T>
T* NewRecord() {
  return VNew<T>(1);
}

// Transit and route error values of the reply, as announced.
int TransitReplyError(int replyError) {
  return replyError == 1 ? kSearchRouteNotFound : replyError == 6 ? kSearchRouteUnsupported : kSearchEmpty;
}
int CarReplyError(int replyError) { return replyError == 4 ? kSearchRouteNotFound : kSearchEmpty; }

}  // namespace

void CSearchService::CompletePoiList(tag_PoiResult& record, int type) {
  if (type == 21) {
    record.centrePois.Add(m_centrePoi);
    record.left = m_searchBounds.left;
    record.top = m_searchBounds.top;
    record.right = m_searchBounds.right;
    record.bottom = m_searchBounds.bottom;
  }
  CopyKeyword(record.keyword, sizeof record.keyword);
  record.pageNumber = m_pageNumber;
  FillCity(record.city);
}

void CSearchService::CompleteMultiPoiList(tag_MultiPoiRst& record) {
  record.left = m_searchBounds.left;
  record.top = m_searchBounds.top;
  record.right = m_searchBounds.right;
  record.bottom = m_searchBounds.bottom;
  CopyKeyword(record.keyword, sizeof record.keyword);
  record.pageNumber = m_pageNumber;
  FillCity(record.city);
}

void* CSearchService::DispatchPoiList(const VJson* root, int type, int* error) {
  VJsonResultParser parser;
  if (type == 45) {
    tag_MultiPoiRst* record = NewRecord<tag_MultiPoiRst>();
    if (!record) {
      *error = kSearchBadReply;
      return nullptr;
    }
    int parsed = parser.ParseMultiPoiList(root, record);
    CompleteMultiPoiList(*record);
    if (!parsed) {
      VDelete(record);
      *error = kSearchBadReply;
      return nullptr;
    }
    m_poiCache.Add(m_requestUrl, record, 45, ReleaseSearchResult);
    return record;
  }
  tag_PoiResult* record = NewRecord<tag_PoiResult>();
  if (!record) {
    *error = kSearchBadReply;
    return nullptr;
  }
  int parsed = type == 11   ? parser.ParsePoiSearchInCity(root, record)
               : type == 12 ? parser.ParsePoiList(root, record)
                            : parser.ParsePoiListInBounds(root, record);
  CompletePoiList(*record, type);
  if (!parsed) {
    VDelete(record);
    *error = kSearchBadReply;
    return nullptr;
  }
  *error = record->poiCount < 1 ? kSearchEmpty : kSearchOk;
  m_poiCache.Add(m_requestUrl, record, type, ReleaseSearchResult);
  return record;
}

void* CSearchService::DispatchRoute(const VJson* root, int type, int replyError, int* error) {
  if (replyError != 0) {
    *error = type == 14 ? TransitReplyError(replyError) : CarReplyError(replyError);
    return nullptr;
  }
  VJsonResultParser parser;
  void* record = nullptr;
  int parsed = 0;
  int routes = 0;
  tag_CityResult* city = nullptr;
  if (type == 14) {
    tag_BusRouteRst* bus = NewRecord<tag_BusRouteRst>();
    if (bus) {
      parsed = parser.ParseBusRoutes(root, bus);
      // Each scheme kept is one plan of the result.
      for (int r = 0; r < bus->routes.GetSize(); ++r) {
        routes += bus->routes[r].lines.GetSize();
      }
      city = &bus->city;
    }
    record = bus;
  } else {
    tag_CarRouteRst* car = NewRecord<tag_CarRouteRst>();
    if (car) {
      parsed = type == 20 ? parser.ParseDriveRoute(root, car) : parser.ParseWalkRoute(root, car);
      // The reply's own count: the result offers a plan only when it is 1 or more.
      routes = car->total;
      city = &car->city;
    }
    record = car;
  }
  if (!record || !parsed) {
    ReleaseSearchResult(&record, type);
    *error = kSearchBadReply;
    return nullptr;
  }
  FillCity(*city);
  if (routes < 1) {
    ReleaseSearchResult(&record, type);
    *error = kSearchEmpty;
    return nullptr;
  }
  m_routeCache.Add(m_requestUrl, record, type, ReleaseSearchResult);
  *error = kSearchOk;
  return record;
}

void* CSearchService::DispatchReply(int, int* type, int* error, int pendingType) {
  *type = pendingType;
  ParsedReply reply(m_searchBuffer, m_searchLength);
  if (reply.Error()) {
    *error = reply.Error();
    return nullptr;
  }
  const VJson* root = reply.Root();
  int resultType = m_pendingType;
  VJsonResultParser::GetResultType(root, &resultType);
  int replyError = 0;
  VJsonResultParser::GetResultError(root, &replyError);
  *type = resultType;

  VJsonResultParser parser;
  switch (resultType) {
    case 2:
      m_cityInfo = tag_CityResult{};
      if (!parser.ParseCityInfo(root, &m_cityInfo)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      m_currentCity = m_cityInfo;
      return &m_cityInfo;
    case 4: {
      tag_CityResult city;
      if (!parser.ParseCurrentCity(root, &city)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      m_currentCity = city;
      return &m_currentCity;
    }
    case 6: {
      tag_PoiDetailRst* detail = NewRecord<tag_PoiDetailRst>();
      if (!detail || !parser.ParsePoiDetail(root, detail)) {
        VDelete(detail);
        *error = kSearchBadReply;
        return nullptr;
      }
      m_poiDetailCache.Add(m_requestUrl, detail, 6, ReleaseSearchResult);
      return detail;
    }
    case 7:
      m_cityList = tag_PoiCityListRst{};
      if (!parser.ParseCityListReply(root, &m_cityList)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      FillCity(m_cityList.city);
      return &m_cityList;
    case 11:
    case 12:
    case 21:
    case 45:
      return DispatchPoiList(root, resultType, error);
    case 14:
    case 20:
    case 31:
      return DispatchRoute(root, resultType, replyError, error);
    case 18:
      m_busLine = tag_BusLineDetailRst{};
      if (!parser.ParseBusLineDetails(root, &m_busLine)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      return &m_busLine;
    case 23:
      m_routeAddr = tag_RPAddrRst{};
      if (!parser.ParseRouteAddrReply(root, &m_routeAddr)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      m_routeAddr.head.routeKind = m_routeKind;
      FillCity(m_routeAddr.city);
      if (m_routeAddr.head.navigation != 0 && m_routeKind == kRouteKindTransit) {
        *type = 14;
        *error = kSearchRouteUnsupported;
      }
      return &m_routeAddr;
    case 26:
      m_content = tag_ContentRst{};
      if (!parser.ParseContent(root, &m_content)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      return &m_content;
    case 28: {
      m_content = tag_ContentRst{};
      tag_CityResult city;
      *type = 26;
      if (!parser.ParsePoiPoint(root, &m_content, &city)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      m_currentCity = city;
      return &m_content;
    }
    case 35:
      return parser.ParseGeocode(root, &m_geocode, error) ? &m_geocode : nullptr;
    case 44:
      return parser.ParseReverseGeocode(root, &m_reverseGeocode, error) ? &m_reverseGeocode : nullptr;
    case 500:
      m_stateText.Empty();
      if (!parser.ParseStateReply(root, &m_stateText)) {
        *error = kSearchBadReply;
        return nullptr;
      }
      return &m_stateText;
    case 506: {
      tag_SuggestionResult* suggestions = NewRecord<tag_SuggestionResult>();
      if (!suggestions || !parser.ParseSuggestion(root, suggestions)) {
        VDelete(suggestions);
        *error = kSearchBadReply;
        return nullptr;
      }
      m_suggestionCache.Add(m_requestUrl, suggestions, 506, ReleaseSearchResult);
      return suggestions;
    }
    case 507:
      return ParseOfflineTasks(root, error);
    default:
      *type = pendingType;
      *error = kSearchEmpty;
      return nullptr;
  }
}

tag_CityResult* CSearchService::DispatchCityReply(int* error) {
  ParsedReply reply(m_cityBuffer, m_cityLength);
  if (reply.Error()) {
    *error = reply.Error();
    return nullptr;
  }
  int type = 0;
  if (!VJsonResultParser::GetResultType(reply.Root(), &type) || type != 4) {
    return nullptr;
  }
  tag_CityResult city;
  VJsonResultParser parser;
  if (!parser.ParseCurrentCity(reply.Root(), &city)) {
    *error = kSearchBadReply;
    return nullptr;
  }
  m_currentCity = city;
  return &m_currentCity;
}

int CSearchService::DispatchPoiBkgReply(int* error) {
  ParsedReply reply(m_poiBkgBuffer, m_poiBkgLength);
  if (reply.Error()) {
    *error = reply.Error();
    return 0;
  }
  VJsonResultParser parser;
  if (!parser.ParsePoiBkgData(reply.Root(), &m_poiBkgData)) {
    *error = kSearchBadReply;
    return 0;
  }
  m_poiBkgCache.Store(m_poiBkgData.key, m_poiBkgData);
  *error = kSearchOk;
  return 1;
}

CVArray<tag_OfflineTask>* CSearchService::ParseOfflineTasks(const VJson* root, int* error) {
  m_offlineTasks.RemoveAll();
  VJsonResultParser parser;
  if (!parser.ParseOfflineTaskList(root, &m_offlineTasks)) {
    *error = kSearchBadReply;
    return nullptr;
  }
  return &m_offlineTasks;
}

CVArray<tag_OfflineTask>* CSearchService::DispatchOfflineTasks(int* error) {
  ParsedReply reply(m_taskBuffer, m_taskLength);
  if (reply.Error()) {
    *error = reply.Error();
    return nullptr;
  }
  return ParseOfflineTasks(reply.Root(), error);
}

}  // namespace mapengine
