// The search manager the SDK holds: it starts searches through its search
// service, files each result in the slot of its type and announces it with
// engine message 2000 on the priority ring (wParam the result type, lParam
// the error value, SearchService.h). A search answered from a cache or a
// holder is filed and announced before the call returns.
//
// A slot only points into a holder or a cached record; when a cache releases
// a record, every slot pointing at it is cleared, so a slot never dangles.
//
// It is also what the map's overlays read (CMapDataSource): the result
// records, and the POI background data, asked per tile on a client of its
// own and kept in the service's temporary files. A POI background reply, or
// its failure, is announced with engine message 8010 on the engine's own ring
// instead of 2000. The map's requests (the city of the view, the background
// tiles) and the offline task list leave the pending type of the user's
// search alone.
#pragma once

#include "engine/data/SearchService.h"
#include "engine/render/MapDataSource.h"

namespace mapengine {

class CMapControl;
class COLRecordMan;

class CSearchMan : public CMapDataSource {
public:
  CSearchMan();
  ~CSearchMan() override = default;
  CSearchMan(const CSearchMan&) = delete;
  CSearchMan& operator=(const CSearchMan&) = delete;

  // Sets up the service; a map made before the manager (null when there is
  // none) reads from it from now on (one made later gets it from the root
  // when its layers are made). 1.
  int Init(CMapControl* map);
  // The offline record store the offline task list is merged into; null
  // when there is none. The engine root keeps it current.
  void SetRecordMan(COLRecordMan* records) { m_records = records; }
  int ReleaseResults();
  // The network events of client types 0, 3, 4 and 7: 0, or -1 for a
  // stale event.
  int OnHttpEvent(int event, int clientType, int requestNumber);
  void SetResult(void* record, int type);

  // Starting operations: 1 when the request was sent or answered at once.
  int ReverseGeocode(int x, int y);
  int Geocode(const CVString& address, int cityId, const CVString* cityName);
  // The offline service's task list of the cities, on a client of its own
  // (a user's search and the task list never cut each other); the reply
  // (507) is merged into the root's record store. Always 1; never answers
  // at once.
  int RequestOfflineCityList(const CVArray<int, int>& cityIds);
  int SuggestionSearch(const CVString& keyword, int suggestionType, int cityId);
  int RequestCurrentCity(const _VPoint& first, const _VPoint& second, int level) override;
  int WalkingSearch(int cityId, int startCityId, int endCityId, const tag_RPNode& start, const tag_RPNode& end,
                    const CVString* cityName = nullptr, const CVString* startCityName = nullptr,
                    const CVString* endCityName = nullptr);
  int DrivingSearch(int cityId, int startCityId, int endCityId, const tag_RPNode& start, const tag_RPNode& end,
                    int policy, const CVString* cityName = nullptr, const CVString* startCityName = nullptr,
                    const CVString* endCityName = nullptr);
  int TransitSearch(const tag_RPNode& start, const tag_RPNode& end, int policy, int cityId,
                    const CVString* cityName = nullptr);
  int PoiMultiSearch(const CVString& keywords, int keywordCount, const _VPoint& first, const _VPoint& second,
                     int page, int pageSize);
  int PoiSearch(const CVString& keyword, const _VPoint& first, const _VPoint& second, int page, int pageSize);
  // cityName null: the city by its id.
  int PoiSearchInCity(const CVString& keyword, int cityId, int page, int pageSize,
                      const CVString* cityName = nullptr);

  // The POI background data of the keyword for the tiles (all of one level)
  // within the map rectangle (hundredths of map units), with the current
  // city's code. Never answered at once.
  int RequestPoiBkgData(const CVString& keyword, const CPoiBkgTileArray& tiles, int x1, int y1, int x2,
                        int y2) override;
  // The tiles the temporary files hold; the others listed as missing.
  int GetPoiBkgData(const CVString& keyword, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing) override;

  // The record of a result type: 11, 12 and 21 the POI list (never null),
  // the other types their slot; null for a type without one (510 too).
  void* GetResult(int type) override;
  int GetPendingType() const override { return m_pendingType; }
  // 1 with a copy of the current city, 0 (out untouched) when none is known.
  int GetCurrentCity(tag_CityResult& out) const;

  CSearchService& Service() { return m_service; }

private:
  static constexpr int kSlotTypes[] = {45, 2, 7, 14, 20, 31, 6, 18, 23, 26, 500, 506, 507, 35, 44};
  static constexpr int kSlotCount = sizeof kSlotTypes / sizeof kSlotTypes[0];

  // The slot of a result type; null for a type without one.
  void** Slot(int type);
  static void OnRecordReleased(void* context, const void* data, int type);
  // The offline service's task list into the record store, at the
  // versions the store holds (commands 17 and 18); dropped without a store.
  void MergeOfflineTasks(const CVArray<tag_OfflineTask>& tasks);
  // Files an immediate answer and announces it with (type, error).
  void Answer(void* record, int type, int error);
  static void Announce(int type, int error);
  // Whether an event of a client is for a request that a later one replaced.
  bool IsStale(int clientType, int requestNumber) const;
  // A failed request of a client, announced to whoever waits for it.
  void AnnounceFailure(int clientType, int error);

  tag_CityResult* m_currentCity = nullptr;
  tag_PoiResult m_poiList;
  void* m_slots[kSlotCount] = {};
  CSearchService m_service;
  COLRecordMan* m_records = nullptr;
  int m_searchRequest = 0;
  int m_pendingType = 0;
  int m_cityRequest = 0;
  int m_poiBkgRequest = 0;
  int m_taskListRequest = 0;
};

}  // namespace mapengine
