// The engine's own position for the map: GPS fixes from the GPS provider, or
// a position the network location service gives for the serving cell and the
// Wi-Fi scan, with a file cache of cell positions and a collector that uploads
// observed cells. It runs on the engine's timer (every 1000 ms) and network
// events (client types 2 and 5) and announces new positions with engine
// message 2004 on the priority ring, which delivers them on the main thread.
#pragma once

#include <atomic>
#include <mutex>

#include "engine/base/HttpClient.h"
#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/data/AppDataCache.h"
#include "engine/data/GpsProviders.h"
#include "engine/model/LocationRecord.h"
#include "engine/model/RouteRecords.h"
#include "engine/render/LocLayer.h"
#include "engine/model/Projection.h"
#include "engine/render/UrlTranslater.h"

namespace mapengine {

enum : int {
  kLocationFailed = 201,   // lParam of 2004 when the network found nothing for a new cell
  kLocationQuery = 503,
  kCellDataUpload = 504,
  kLocationSuccess = 161,  // the service's location type of a position found
};

// A fix in the coordinate form: 0 WGS-84, 1 GCJ-02 (degrees), 2 the map's
// datum; with toMapUnits the map datum position in map units.
void GpsToMapCoord(_VDPoint* out, const CGpsDetailInfo& fix, int form, int toMapUnits);

// One request channel to the location service.
struct CLocRequest {
  static constexpr int kBufferSize = 10240;
  static constexpr int kCacheLimit = 20;

  CLocRequest();
  ~CLocRequest();
  CLocRequest(const CLocRequest&) = delete;
  CLocRequest& operator=(const CLocRequest&) = delete;
  // Attaches the client under the type with its buffer, gzip and the cache limit.
  void Setup(int clientType);
  // Posts the form of names and values; 1 when sent.
  int Post(const CVString& url, const CVStringArray& names, const CVStringArray& values, int requestId);

  CHttpClient client;
  unsigned char* buffer;
  int received = 0;
  int pendingId = 0;
  CVString key;
  bool hasCached = false;
  tagLocReply cached;  // a copy: the cache may release its entry meanwhile
  CAppDataCache results;
};

// Cell positions seen, kept in "loc.dat" (little-endian: count, tag 14, mcc,
// mnc, then the entries oldest first).
class CLocCellCache {
public:
  static constexpr int kLimit = 100;
  static constexpr int kTag = 14;
  struct Entry {
    double x = 0;
    double y = 0;
    int cid = 0;
    int lac = 0;
    int radius = 0;
  };

  // kind 0 "loc_w.dat", 1 "loc_g.dat", else "loc.dat", in the folder.
  CLocCellCache(int kind, const CVString& folder);
  // The entry of the cell; null when not known.
  const Entry* Find(const tagCellInfo& cell);
  void Add(const tagCellInfo& cell, double x, double y, int radius);
  int GetCount() { return Load(), m_count; }

private:
  void Load();
  void Save() const;

  CVString m_path;
  bool m_loaded = false;
  int m_count = 0;
  int m_mcc = 0;
  int m_mnc = 0;
  Entry m_entries[kLimit];
};

// Uploads the cells seen along the way ("cldc" posts), at most 20 a post.
class CLocDataCollector {
public:
  static constexpr int kRecordsPerUpload = 20;
  static constexpr int kMaxPending = 200;  // oldest dropped while uploads fail

  CLocDataCollector();
  // One tick; the interval until the next, in ms.
  int Tick(const tagCellInfo& cell, const CGpsDetailInfo& fix, const CVString& wifi);
  void OnNetEvent(int message);
  int PendingCount() const { return m_pending.GetSize(); }
  int InFlightCount() const { return m_inFlight.GetSize(); }

private:
  void Upload();

  float m_lastLongitude = 0;
  float m_lastLatitude = 0;
  CVString m_lastCell;
  CVStringArray m_pending;
  CVStringArray m_inFlight;
  bool m_busy = false;
  long long m_elapsed = 0;
  CLocRequest m_request;
};

class CAppLocation : public CLocSource {
public:
  static constexpr unsigned kTimerIntervalMs = 1000;
  static constexpr unsigned kRepeatIntervalMs = 600000;
  static constexpr unsigned kNotifyIntervalMs = 1000;
  static constexpr int kMaxRadius = 2000;

  // folder: where the cell cache file lives.
  explicit CAppLocation(const CVString& folder);
  ~CAppLocation() override;
  CAppLocation(const CAppLocation&) = delete;
  CAppLocation& operator=(const CAppLocation&) = delete;

  void ResetState();
  int Start();
  int Stop();
  int GetLocMode() const { return m_mode; }
  int SetLocMode(int mode);
  void SetCoordinateForm(int form) { m_coordForm = form; }
  // The configured positioning kind (0 to 3) the facade turns into a mode.
  int GetLocKind() const { return m_locKind; }
  void SetLocKind(int kind) { m_locKind = kind; }
  void GetLocation(tagLocInfo* out) override;
  void OnLocTimer();
  void OnNetEvent(int message, int clientType);

  CCellMan& CellMan() { return m_cell; }
  CWifiMan& WifiMan() { return m_wifi; }
  CLocDataCollector& Collector() { return m_collector; }
  CLocCellCache& CellCache() { return m_cellCache; }

private:
  // At least the minimum interval since the last notification.
  bool NotifyAllowed() const;
  void Notify(int lParam);
  // Sends the location query, or answers it from the result cache.
  int SendQuery(const CVString& cellText, const CVString& wifiText, const CVString& wifiKey);
  void OnLocationReply();
  // A position of the network in the coordinate form: the map position and
  // the geographic one.
  void StoreNetworkResult(const tagLocReply& reply);
  void FillGpsRecord(const CGpsDetailInfo& fix, tagLocInfo* record) const;
  // The map and geographic forms of a position: for coordinate form 2 the
  // given one is the map position, else the geographic one.
  void SetPositions(tagLocInfo* record, double x, double y) const;

  CGPSMan m_gps;
  CCellMan m_cell;
  CWifiMan m_wifi;
  CLocDataCollector m_collector;
  int m_mode = 1;
  tagLocInfo m_gpsRecord;
  tagLocInfo m_netRecord;
  int m_collectorCountdown = 0;
  std::atomic<int> m_skip{0};  // the timer and the network events both count
  CLocRequest m_request;
  tagCellInfo m_sentCell;      // under m_lock
  CVString m_sentWifiKey;
  CLocCellCache m_cellCache;
  mutable std::mutex m_lock;  // the records
  long long m_lastNotify = 0;  // ms of the clock the timers follow
  int m_coordForm = 2;
  int m_locKind = 0;
};

}  // namespace mapengine
