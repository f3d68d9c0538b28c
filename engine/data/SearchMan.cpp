#include "engine/data/SearchMan.h"

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/render/MapControl.h"

namespace mapengine {

namespace {

constexpr int kEngineRing = 1;
constexpr int kPriorityRing = 2;
constexpr int kPoiBkgType = 510;
constexpr int kOfflineTasksType = 507;

bool IsPoiListType(int type) { return type == 11 || type == 12 || type == 21; }

}  // namespace

CSearchMan::CSearchMan() = default;

int CSearchMan::Init(CMapControl* map) {
  if (map) {
    map->SetDataSource(this);
  }
  m_service.Init(&CSearchMan::OnRecordReleased, this);
  return 1;
}

int CSearchMan::ReleaseResults() { return m_service.ReleaseResults(); }

void** CSearchMan::Slot(int type) {
  for (int i = 0; i < kSlotCount; ++i) {
    if (kSlotTypes[i] == type) {
      return &m_slots[i];
    }
  }
  return nullptr;
}

void CSearchMan::OnRecordReleased(void* context, const void* data, int) {
  auto* self = static_cast<CSearchMan*>(context);
  for (void*& slot : self->m_slots) {
    if (slot == data) {
      slot = nullptr;
    }
  }
}

void CSearchMan::SetResult(void* record, int type) {
  if (type == 4) {
    m_currentCity = static_cast<tag_CityResult*>(record);
    return;
  }
  if (IsPoiListType(type)) {
    const auto* list = static_cast<const tag_PoiResult*>(record);
    if (list->poiCount >= 1 || list->psrs.count >= 1) {
      m_poiList = *list;
    }
    return;
  }
  if (void** slot = Slot(type)) {
    *slot = record;
  }
  if (type == kOfflineTasksType) {
    MergeOfflineTasks(*static_cast<const CVArray<tag_OfflineTask>*>(record));
  }
}

void CSearchMan::MergeOfflineTasks(const CVArray<tag_OfflineTask>& tasks) {
  COLRecordMan* store = m_records;
  if (!store) {
    return;
  }
  COLVersionRecord versions;
  store->DoCommand(kOLGetVersions, &versions, nullptr);
  CVArray<COLUpdateRecord> list;
  COLRecordMan::ServerListFromTasks(tasks, versions, list);
  store->DoCommand(kOLMergeServerList, &list, nullptr);
}

void* CSearchMan::GetResult(int type) {
  if (type == 4) {
    return m_currentCity;
  }
  if (IsPoiListType(type)) {
    return &m_poiList;
  }
  if (type == kPoiBkgType) {
    return nullptr;
  }
  void** slot = Slot(type);
  return slot ? *slot : nullptr;
}

int CSearchMan::GetCurrentCity(tag_CityResult& out) const {
  if (!m_currentCity) {
    return 0;
  }
  out = *m_currentCity;
  return 1;
}

void CSearchMan::Announce(int type, int error) {
  CVMainGlobalMan* global = GetGlobalMan();
  auto* msgs = global ? static_cast<CVMsgMan*>(global->GetSlot(kSlotMsgMan)) : nullptr;
  if (!msgs) {
    return;
  }
  // The map's background layer, not the interface, waits for these.
  if (type == kPoiBkgType) {
    msgs->PostMessage(kEngineRing, kMsgPoiBackgroundData, type, error);
  } else {
    msgs->PostMessage(kPriorityRing, kMsgSearchResult, type, error);
  }
}

void CSearchMan::Answer(void* record, int type, int error) {
  SetResult(record, type);
  Announce(type, error);
}

bool CSearchMan::IsStale(int clientType, int requestNumber) const {
  switch (clientType) {
    case kSearchClient:
      return requestNumber < m_searchRequest;
    case kCityClient:
      return requestNumber < m_cityRequest;
    case kPoiBkgClient:
      return requestNumber < m_poiBkgRequest;
    case kOfflineTasksClient:
      return requestNumber < m_taskListRequest;
    default:
      return true;
  }
}

int CSearchMan::OnHttpEvent(int event, int clientType, int requestNumber) {
  if (IsStale(clientType, requestNumber)) {
    return -1;
  }
  switch (event) {
    case kMsgHttpComplete:
      if (clientType == kCityClient) {
        int error = 0;
        tag_CityResult* city = m_service.DispatchCityReply(&error);
        if (error == 0) {
          m_currentCity = city;
        }
      } else if (clientType == kPoiBkgClient) {
        int error = 0;
        m_service.DispatchPoiBkgReply(&error);
        Announce(kPoiBkgType, error);
      } else if (clientType == kOfflineTasksClient) {
        int error = 0;
        if (CVArray<tag_OfflineTask>* tasks = m_service.DispatchOfflineTasks(&error)) {
          SetResult(tasks, kOfflineTasksType);
        }
        Announce(kOfflineTasksType, error);
      } else {
        int type = 0;
        int error = 0;
        void* record = m_service.DispatchReply(requestNumber, &type, &error, m_pendingType);
        if (record) {
          SetResult(record, m_service.FiledType(record, type));
        }
        Announce(type, error);
      }
      break;
    case kMsgHttpConnectFailed:
    case kMsgHttpSendFailed:
    case kMsgHttpReceiveFailed:
      AnnounceFailure(clientType, kSearchNetworkFailed);
      break;
    case kMsgHttpBadReply:
      AnnounceFailure(clientType, kSearchRejected);
      break;
    case kMsgHttpAskAgain:
      // The client that was redirected asks again; the others' requests are
      // none of its business.
      m_service.Client(clientType)->Resend(1);
      break;
    default:
      break;
  }
  return 0;
}

void CSearchMan::AnnounceFailure(int clientType, int error) {
  // The city of the view is never announced; the map's background tiles
  // hear of their own failures, and the interface of its search's.
  if (clientType == kPoiBkgClient || clientType == kOfflineTasksClient) {
    Announce(clientType == kPoiBkgClient ? kPoiBkgType : kOfflineTasksType, error);
  } else if (clientType == kSearchClient) {
    Announce(m_pendingType, error);
  }
}

int CSearchMan::ReverseGeocode(int x, int y) {
  ++m_searchRequest;
  m_pendingType = 44;
  void* record = nullptr;
  int type = 0;
  if (!m_service.ReverseGeocode(&m_searchRequest, &record, &type, x, y)) {
    return 0;
  }
  if (record && type == 44) {
    Answer(record, 44, 0);
  }
  return 1;
}

int CSearchMan::Geocode(const CVString& address, int cityId, const CVString* cityName) {
  ++m_searchRequest;
  m_pendingType = 35;
  void* record = nullptr;
  int type = 0;
  if (!m_service.Geocode(&m_searchRequest, &record, &type, address, cityId, cityName)) {
    return 0;
  }
  if (record && type == 35) {
    Answer(record, 35, 0);
  }
  return 1;
}

int CSearchMan::RequestOfflineCityList(const CVArray<int, int>& cityIds) {
  ++m_taskListRequest;
  m_service.RequestOfflineCityList(&m_taskListRequest, cityIds);
  return 1;
}

int CSearchMan::SuggestionSearch(const CVString& keyword, int suggestionType, int cityId) {
  ++m_searchRequest;
  m_pendingType = 506;
  void* record = nullptr;
  int type = 0;
  if (!m_service.SuggestionSearch(&m_searchRequest, &record, &type, keyword, suggestionType, cityId)) {
    return 0;
  }
  if (record && type == 506) {
    Answer(record, 506, 0);
  }
  return 1;
}

int CSearchMan::RequestPoiBkgData(const CVString& keyword, const CPoiBkgTileArray& tiles, int x1, int y1, int x2,
                                  int y2) {
  ++m_poiBkgRequest;
  const int cityId = m_currentCity ? m_currentCity->code : 0;
  return m_service.RequestPoiBkgData(&m_poiBkgRequest, keyword, tiles, x1, y1, x2, y2, cityId);
}

int CSearchMan::GetPoiBkgData(const CVString& keyword, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing) {
  return m_service.GetPoiBkgData(keyword, tiles, missing);
}

int CSearchMan::RequestCurrentCity(const _VPoint& first, const _VPoint& second, int level) {
  ++m_cityRequest;
  return m_service.RequestCurrentCity(&m_cityRequest, first, second, level);
}

int CSearchMan::WalkingSearch(int cityId, int startCityId, int endCityId, const tag_RPNode& start,
                              const tag_RPNode& end, const CVString* cityName, const CVString* startCityName,
                              const CVString* endCityName) {
  ++m_searchRequest;
  m_pendingType = 31;
  void* record = nullptr;
  int type = 0;
  if (!m_service.WalkingSearch(&m_searchRequest, &record, &type, cityId, startCityId, endCityId, start, end,
                               cityName, startCityName, endCityName)) {
    return 0;
  }
  if (record) {
    Answer(record, type, 0);
  }
  return 1;
}

int CSearchMan::DrivingSearch(int cityId, int startCityId, int endCityId, const tag_RPNode& start,
                              const tag_RPNode& end, int policy, const CVString* cityName,
                              const CVString* startCityName, const CVString* endCityName) {
  ++m_searchRequest;
  m_pendingType = 20;
  void* record = nullptr;
  int type = 0;
  if (!m_service.DrivingSearch(&m_searchRequest, &record, &type, cityId, startCityId, endCityId, start, end, policy,
                               cityName, startCityName, endCityName)) {
    return 0;
  }
  if (record) {
    Answer(record, type, 0);
  }
  return 1;
}

int CSearchMan::TransitSearch(const tag_RPNode& start, const tag_RPNode& end, int policy, int cityId,
                              const CVString* cityName) {
  ++m_searchRequest;
  m_pendingType = 14;
  void* record = nullptr;
  int type = 0;
  if (!m_service.TransitSearch(&m_searchRequest, &record, &type, start, end, policy, cityId, cityName)) {
    return 0;
  }
  if (record) {
    Answer(record, type, 0);
  }
  return 1;
}

int CSearchMan::PoiMultiSearch(const CVString& keywords, int keywordCount, const _VPoint& first,
                               const _VPoint& second, int page, int pageSize) {
  ++m_searchRequest;
  m_pendingType = 45;
  *Slot(7) = nullptr;  // a stale city list never answers a new POI search
  void* record = nullptr;
  int type = 0;
  if (!m_service.PoiMultiSearch(&m_searchRequest, &record, &type, keywords, keywordCount, first, second, page,
                                pageSize)) {
    return 0;
  }
  if (record) {
    Answer(record, type, 0);
  }
  return 1;
}

int CSearchMan::PoiSearch(const CVString& keyword, const _VPoint& first, const _VPoint& second, int page,
                          int pageSize) {
  ++m_searchRequest;
  m_pendingType = 21;
  *Slot(7) = nullptr;
  void* record = nullptr;
  int type = 0;
  if (!m_service.PoiSearch(&m_searchRequest, &record, &type, keyword, first, second, page, pageSize)) {
    return 0;
  }
  if (record) {
    bool empty = IsPoiListType(type) && static_cast<const tag_PoiResult*>(record)->poiCount < 1;
    Answer(record, type, empty ? kSearchEmpty : 0);
  }
  return 1;
}

int CSearchMan::PoiSearchInCity(const CVString& keyword, int cityId, int page, int pageSize,
                                const CVString* cityName) {
  ++m_searchRequest;
  m_pendingType = 11;
  *Slot(7) = nullptr;
  void* record = nullptr;
  int type = 0;
  if (!m_service.PoiSearchInCity(&m_searchRequest, &record, &type, keyword, cityId, page, pageSize, cityName)) {
    return 0;
  }
  if (record) {
    bool empty = type == 11 && static_cast<const tag_PoiResult*>(record)->poiCount < 1;
    Answer(record, type, empty ? kSearchEmpty : 0);
  }
  return 1;
}

}  // namespace mapengine
