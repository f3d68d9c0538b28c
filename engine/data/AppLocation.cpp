#include "engine/data/AppLocation.h"

#include <cmath>
#include <cstdio>
#include <cstring>

#include "engine/base/VCMMap.h"
#include "engine/base/VFile.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/DatumOffset.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/render/UrlTranslater.h"
#include "platform/foundation/NSClock.h"

namespace mapengine {

namespace {

constexpr int kPriorityRing = 2;
constexpr int kNormalRing = 1;
constexpr int kSkipTicks = 2;
constexpr double kMoved = 1e-7;

// Milliseconds of the clock the engine's timers follow.
long long NowMs() { return std::llround(NSClock::monotonic() * 1000); }

CVMsgMan* MsgMan() {
  CVMainGlobalMan* global = GetGlobalMan();
  return global ? static_cast<CVMsgMan*>(global->GetSlot(kSlotMsgMan)) : nullptr;
}

// "%d|%d|%d|%d" (mcc, mnc, lac, cid); empty without a cell.
CVString CellText(const tagCellInfo& cell) {
  if (cell.cid == 0) {
    return CVString();
  }
  char text[64];
  std::snprintf(text, sizeof text, "%d|%d|%d|%d", cell.mcc, cell.mnc, cell.lac, cell.cid);
  return CVString(text);
}

// A UTF-16 path as UTF-8 bytes for the C library.
std::string Utf8Path(const CVString& path) {
  int n = WideToMultiByte(kCodePageUtf8, path.GetBuffer(), path.GetLength(), nullptr, 0);
  std::string out(static_cast<size_t>(n), '\0');
  WideToMultiByte(kCodePageUtf8, path.GetBuffer(), path.GetLength(), out.data(), n);
  return out;
}

// The map position of a GCJ-02 position.
_VDPoint GcjToMapUnits(double longitude, double latitude) {
  _VDPoint datum;
  Gcj02ToMapDatum(longitude, latitude, &datum);
  _VDPoint map;
  LonLatToMapUnits(&map, datum);
  return map;
}

}  // namespace

void GpsToMapCoord(_VDPoint* out, const CGpsDetailInfo& fix, int form, int toMapUnits) {
  double longitude = fix.longitude;
  double latitude = fix.latitude;
  if (form == 0) {
    out->x = longitude;
    out->y = latitude;
    return;
  }
  double gcjLongitude = 0, gcjLatitude = 0;
  OffsetToGcj02(longitude, latitude, static_cast<int>(fix.height), &gcjLongitude, &gcjLatitude);
  if (form == 1) {
    out->x = gcjLongitude;
    out->y = gcjLatitude;
    return;
  }
  Gcj02ToMapDatum(gcjLongitude, gcjLatitude, out);
  if (toMapUnits) {
    _VDPoint datum = *out;
    LonLatToMapUnits(out, datum);
  }
}

// ---- Requests ---------------------------------------------------------------------

CLocRequest::CLocRequest() : buffer(VNew<unsigned char>(kBufferSize)) {}

CLocRequest::~CLocRequest() {
  client.Detach();
  results.RemoveAll();
  VDelete(buffer);
}

void CLocRequest::Setup(int clientType) {
  client.Attach();
  client.SetClientType(clientType);
  client.SetRecvBuffer(buffer, &received, buffer ? kBufferSize : 0);
  client.SetAcceptGzip(1);
  results.SetLimit(kCacheLimit);
}

int CLocRequest::Post(const CVString& url, const CVStringArray& names, const CVStringArray& values, int requestId) {
  client.ClearPostFields();
  for (int i = 0; i < names.GetSize(); ++i) {
    client.AddPostField(names[i], values[i]);
  }
  pendingId = requestId;
  return client.RequestPost(url, requestId);
}

// ---- Cell cache -------------------------------------------------------------------

CLocCellCache::CLocCellCache(int kind, const CVString& folder) {
  m_path = folder;
  m_path += kind == 0 ? "loc_w.dat" : kind == 1 ? "loc_g.dat" : "loc.dat";
}

void CLocCellCache::Load() {
  if (m_loaded) {
    return;
  }
  m_loaded = true;
  m_count = 0;
  CVFile file;
  if (!file.Open(m_path, 1)) {
    return;
  }
  int head[4] = {};
  if (file.Read(head, sizeof head) != sizeof head || head[1] != kTag || head[0] <= 0 || head[0] > kLimit ||
      file.GetLength() != static_cast<int>(sizeof head) + head[0] * 28) {
    return;
  }
  for (int i = 0; i < head[0]; ++i) {
    unsigned char raw[28];
    if (file.Read(raw, sizeof raw) != sizeof raw) {
      return;
    }
    Entry& e = m_entries[i];
    std::memcpy(&e.x, raw, 8);
    std::memcpy(&e.y, raw + 8, 8);
    std::memcpy(&e.cid, raw + 16, 4);
    std::memcpy(&e.lac, raw + 20, 4);
    std::memcpy(&e.radius, raw + 24, 4);
  }
  m_count = head[0];
  m_mcc = head[2];
  m_mnc = head[3];
}

// Written to a temporary file and renamed over the old one, so a reader
// never sees half a file.
void CLocCellCache::Save() const {
  CVString temporary = m_path;
  temporary += ".tmp";
  {
    CVFile file;
    if (!file.Open(temporary, kVFileCreate)) {
      return;
    }
    int head[4] = {m_count, kTag, m_mcc, m_mnc};
    bool written = file.Write(head, sizeof head) == sizeof head;
    for (int i = 0; written && i < m_count; ++i) {
      const Entry& e = m_entries[i];
      unsigned char raw[28];
      std::memcpy(raw, &e.x, 8);
      std::memcpy(raw + 8, &e.y, 8);
      std::memcpy(raw + 16, &e.cid, 4);
      std::memcpy(raw + 20, &e.lac, 4);
      std::memcpy(raw + 24, &e.radius, 4);
      written = file.Write(raw, sizeof raw) == sizeof raw;
    }
    if (!written || file.Flush() != 0) {
      file.Close();
      std::remove(Utf8Path(temporary).c_str());
      return;
    }
  }
  std::rename(Utf8Path(temporary).c_str(), Utf8Path(m_path).c_str());
}

const CLocCellCache::Entry* CLocCellCache::Find(const tagCellInfo& cell) {
  Load();
  if (cell.cid == 0 || cell.mcc != m_mcc || cell.mnc != m_mnc) {
    return nullptr;
  }
  for (int i = 0; i < m_count; ++i) {
    if (m_entries[i].cid == cell.cid && m_entries[i].lac == cell.lac) {
      return &m_entries[i];
    }
  }
  return nullptr;
}

void CLocCellCache::Add(const tagCellInfo& cell, double x, double y, int radius) {
  if (cell.cid == 0) {
    return;
  }
  Load();
  if (cell.mcc != m_mcc || cell.mnc != m_mnc) {
    m_count = 0;
    m_mcc = cell.mcc;
    m_mnc = cell.mnc;
  }
  Entry* entry = nullptr;
  for (int i = 0; i < m_count && !entry; ++i) {
    if (m_entries[i].cid == cell.cid && m_entries[i].lac == cell.lac) {
      entry = &m_entries[i];
    }
  }
  if (!entry) {
    if (m_count == kLimit) {
      std::memmove(m_entries, m_entries + 1, sizeof(Entry) * (kLimit - 1));
      --m_count;
    }
    entry = &m_entries[m_count++];
  }
  *entry = Entry{x, y, cell.cid, cell.lac, radius};
  Save();
}

// ---- Collector --------------------------------------------------------------------

CLocDataCollector::CLocDataCollector() = default;

int CLocDataCollector::Tick(const tagCellInfo& cell, const CGpsDetailInfo& fix, const CVString& wifi) {
  bool valid = fix.state == 3;
  if (valid && std::fabs(fix.longitude - m_lastLongitude) < 0.0001f &&
      std::fabs(fix.latitude - m_lastLatitude) < 0.0001f) {
    return 30000;
  }
  CVString cellText = CellText(cell);
  if (!cellText.IsEmpty() && cellText.Compare(m_lastCell.GetBuffer()) != 0) {
    m_lastCell = cellText;
    CVString record = "&cl=";
    record += cellText;
    if (fix.longitude != 0) {
      char text[160];
      std::snprintf(text, sizeof text, "&ll=%f|%f&s=%f&d=%f&wf=", fix.longitude, fix.latitude, fix.speed,
                    fix.course);
      record += text;
    } else {
      record += "&wf=";
    }
    record += wifi;
    if (m_pending.GetSize() >= kMaxPending) {
      m_pending.RemoveAt(0);
    }
    m_pending.Add(record);
  }
  m_lastLongitude = valid ? fix.longitude : 0;
  m_lastLatitude = valid ? fix.latitude : 0;
  if ((m_pending.GetSize() > 8 || (m_elapsed >= 120000 && m_pending.GetSize() > 0)) && !m_busy &&
      !m_request.client.IsBusy()) {
    Upload();
  }
  int interval = fix.speed - 0.00001f < 0.0001f ? 120000 : fix.speed < 20 ? 60000 : 30000;
  m_elapsed += interval;
  return interval;
}

void CLocDataCollector::Upload() {
  CUrlTranslater* urls = GetUrlTranslater();
  if (!urls) {
    return;
  }
  // Only what one post carries moves to the flight; the rest waits.
  CVStringArray batch;
  for (int i = 0; i < m_pending.GetSize() && i < kRecordsPerUpload; ++i) {
    batch.Add(m_pending[i]);
  }
  CVString url;
  CVStringArray names, values;
  if (!urls->GetCellDataUploadUrl(url, batch, names, values)) {
    return;
  }
  if (m_request.client.GetClientType() != kCollectorClient) {
    m_request.Setup(kCollectorClient);
  }
  if (m_request.Post(url, names, values, kCellDataUpload)) {
    m_busy = true;
    m_inFlight = batch;
    m_pending.RemoveAt(0, batch.GetSize());
  }
}

void CLocDataCollector::OnNetEvent(int message) {
  switch (message) {
    case kMsgHttpComplete:
      m_inFlight.RemoveAll();
      m_busy = false;
      break;
    case kMsgHttpConnectFailed:
    case kMsgHttpSendFailed:
    case kMsgHttpReceiveFailed:
    case kMsgHttpAskAgain:
      for (int i = m_inFlight.GetUpperBound(); i >= 0; --i) {
        m_pending.InsertAt(0, m_inFlight[i]);
      }
      while (m_pending.GetSize() > kMaxPending) {
        m_pending.RemoveAt(m_pending.GetUpperBound());
      }
      m_inFlight.RemoveAll();
      m_busy = false;
      break;
    case kMsgHttpCancelled:
      m_busy = false;
      break;
    default:
      break;
  }
}

// ---- The location object ------------------------------------------------------------

CAppLocation::CAppLocation(const CVString& folder) : m_cellCache(2, folder) {}

CAppLocation::~CAppLocation() {
  m_gps.Stop();
  m_cell.Stop();
  m_wifi.Stop();
}

void CAppLocation::ResetState() {
  std::lock_guard guard(m_lock);
  m_netRecord.status = 1;
  m_netRecord.x = m_netRecord.y = 0;
  m_netRecord.longitude = m_netRecord.latitude = 0;
  m_lastNotify = 0;
  m_sentCell.cid = 0;
}

int CAppLocation::Start() {
  if (!m_cell.Start()) {
    return 0;
  }
  m_request.Setup(kLocationClient);
  return 1;
}

int CAppLocation::Stop() {
  m_gps.Stop();
  m_cell.Stop();
  m_wifi.Stop();
  m_mode = 1;
  return 1;
}

int CAppLocation::SetLocMode(int mode) {
  if (mode == m_mode) {
    return 1;
  }
  int first = 0, second = 1;
  switch (mode) {
    case 1:
      first = m_gps.Stop();
      second = first ? m_wifi.Stop() : 0;
      break;
    case 2:
      first = m_gps.Start();
      second = first ? m_wifi.Start() : 0;
      m_skip = 0;
      break;
    case 3:
      first = m_wifi.Start();
      second = first ? m_gps.Stop() : 0;
      m_skip = 0;
      break;
    case 4:
      first = m_gps.Stop();
      second = first ? m_wifi.Stop() : 0;
      m_skip = 0;
      break;
    case 5:
      first = m_gps.Start();
      break;
    default:
      return 0;
  }
  m_mode = mode == 4 ? 3 : mode;
  return first && second ? 1 : 0;
}

bool CAppLocation::NotifyAllowed() const { return NowMs() - m_lastNotify >= kNotifyIntervalMs; }

// Posted on the priority ring: the SDK's handler runs on the main thread, never
// on the timer thread that found the position.
void CAppLocation::Notify(int lParam) {
  m_lastNotify = NowMs();
  if (CVMsgMan* msgs = MsgMan()) {
    msgs->PostMessage(kPriorityRing, kMsgLocation, 0, lParam);
  }
}

void CAppLocation::SetPositions(tagLocInfo* record, double x, double y) const {
  if (m_coordForm == 2) {
    record->x = x;
    record->y = y;
    _VDPoint map{x, y}, geo;
    MapUnitsToLonLat(&geo, map);
    record->longitude = geo.x;
    record->latitude = geo.y;
    return;
  }
  record->longitude = x;
  record->latitude = y;
  double gcjLongitude = x, gcjLatitude = y;
  if (m_coordForm == 0) {
    OffsetToGcj02(x, y, 0, &gcjLongitude, &gcjLatitude);
  }
  _VDPoint map = GcjToMapUnits(gcjLongitude, gcjLatitude);
  record->x = map.x;
  record->y = map.y;
}

void CAppLocation::FillGpsRecord(const CGpsDetailInfo& fix, tagLocInfo* record) const {
  *record = tagLocInfo{};
  record->source = 5;
  record->status = 3;
  _VDPoint map, geo;
  GpsToMapCoord(&map, fix, 2, 1);
  GpsToMapCoord(&geo, fix, m_coordForm, 0);
  record->x = map.x;
  record->y = map.y;
  record->longitude = m_coordForm == 2 ? (MapUnitsToLonLat(&geo, map), geo.x) : geo.x;
  record->latitude = geo.y;
  record->course = fix.course;
  record->speed = fix.speed;
  record->height = fix.height;
  // An accuracy that is not a number, or negative, counts as the worst.
  double accuracy = fix.horizontalAccuracy;
  record->radius = accuracy >= 0 && accuracy < kMaxRadius ? static_cast<int>(accuracy) : kMaxRadius;
  record->count = fix.count;
}

void CAppLocation::GetLocation(tagLocInfo* out) {
  // Three conversions of a fixed fix, results unused: they seed the datum
  // offset on first use and step its jitter as every reading does.
  CGpsDetailInfo fixed;
  fixed.longitude = 116.19851684570312f;
  fixed.latitude = 39.908206939697266f;
  _VDPoint unused;
  GpsToMapCoord(&unused, fixed, 2, 0);
  GpsToMapCoord(&unused, fixed, 1, 0);
  GpsToMapCoord(&unused, fixed, 2, 1);

  std::lock_guard guard(m_lock);
  tagLocInfo record;
  if (m_mode == 1) {
    record.source = 1;
    record.status = 2;
  } else if (m_mode == 2 || m_mode == 5) {
    CGpsDetailInfo fix = m_gps.GetLastFix();
    if (fix.state == 3) {
      FillGpsRecord(fix, &m_gpsRecord);
      record = m_gpsRecord;
    } else {
      m_gpsRecord.status = 2;
      record = m_mode == 2 ? m_netRecord : m_gpsRecord;
    }
  } else {
    record = m_netRecord;
  }
  if (record.radius > kMaxRadius) {
    record.radius = kMaxRadius;
  }
  *out = record;
}

void CAppLocation::OnLocTimer() {
  CGpsDetailInfo fix;
  bool gps = m_mode == 2 || m_mode == 5;
  if (gps) {
    fix = m_gps.GetLastFix();
  }
  if (gps && fix.state == 3) {
    tagLocInfo now;
    FillGpsRecord(fix, &now);
    std::lock_guard guard(m_lock);
    if ((std::fabs(now.x - m_gpsRecord.x) > kMoved || std::fabs(now.y - m_gpsRecord.y) > kMoved) &&
        NotifyAllowed()) {
      Notify(0);
    }
  } else if (m_mode >= 2 && m_mode <= 4) {
    if (m_skip > 0) {
      --m_skip;
    } else {
      tagCellInfo cell = m_cell.GetCellInfo();
      CVString wifiList, wifiKey;
      m_wifi.GetQueryText(wifiList);
      CVString cellText = CellText(cell);
      bool sameAsSent;
      {
        std::lock_guard guard(m_lock);
        sameAsSent = cell.cid == m_sentCell.cid && cell.lac == m_sentCell.lac &&
                     wifiKey.Compare(m_sentWifiKey.GetBuffer()) == 0;
      }
      if (sameAsSent || (cell.cid == 0 && wifiKey.IsEmpty())) {
        m_skip = kSkipTicks;
      } else {
        if (const CLocCellCache::Entry* known = m_cellCache.Find(cell)) {
          std::lock_guard guard(m_lock);
          double oldLongitude = m_netRecord.longitude, oldLatitude = m_netRecord.latitude;
          m_netRecord = tagLocInfo{};
          m_netRecord.source = 3;
          m_netRecord.status = 3;
          m_netRecord.mcc = cell.mcc;
          m_netRecord.mnc = cell.mnc;
          m_netRecord.lac = cell.lac;
          m_netRecord.cid = cell.cid;
          m_netRecord.x = known->x;
          m_netRecord.y = known->y;
          _VDPoint map{known->x, known->y}, geo;
          MapUnitsToLonLat(&geo, map);
          m_netRecord.longitude = geo.x;
          m_netRecord.latitude = geo.y;
          m_netRecord.radius = known->radius;
          if ((std::fabs(geo.x - oldLongitude) > kMoved || std::fabs(geo.y - oldLatitude) > kMoved) &&
              NotifyAllowed()) {
            Notify(0);
          }
        }
        if (fix.state != 3 && !m_request.client.IsBusy() && SendQuery(cellText, wifiList, wifiKey)) {
          std::lock_guard guard(m_lock);
          m_sentCell = cell;
          m_sentWifiKey = wifiKey;
        }
      }
    }
  }
  if (NowMs() - m_lastNotify >= kRepeatIntervalMs) {
    tagLocInfo current;
    GetLocation(&current);
    if (current.status == 3) {
      std::lock_guard guard(m_lock);
      Notify(0);
    }
  }
  if (m_collectorCountdown < 1) {
    CVString wifi;
    m_wifi.GetQueryText(wifi);
    m_collectorCountdown = m_collector.Tick(m_cell.GetCellInfo(), gps ? fix : CGpsDetailInfo{}, wifi);
  } else {
    m_collectorCountdown -= kTimerIntervalMs;
  }
}

int CAppLocation::SendQuery(const CVString& cellText, const CVString& wifiText, const CVString& wifiKey) {
  CUrlTranslater* urls = GetUrlTranslater();
  CVString url;
  CVStringArray names, values;
  if (!urls || !urls->GetLocationUrl(url, cellText, wifiText, m_coordForm, names, values)) {
    return 0;
  }
  m_request.pendingId = kLocationQuery;
  m_request.key = cellText + wifiKey;
  void* data = nullptr;
  int type = 0;
  if (m_request.results.Find(m_request.key, &data, &type) && type == kLocationQuery) {
    m_request.cached = *static_cast<const tagLocReply*>(data);
    m_request.hasCached = true;
    CVMsgMan* msgs = MsgMan();
    return msgs ? msgs->PostMessage(kNormalRing, kMsgHttpComplete, kLocationClient, kLocationQuery) : 0;
  }
  return m_request.Post(url, names, values, kLocationQuery);
}

void CAppLocation::OnNetEvent(int message, int clientType) {
  if (clientType == kCollectorClient) {
    m_collector.OnNetEvent(message);
    return;
  }
  if (clientType != kLocationClient) {
    return;
  }
  switch (message) {
    case kMsgHttpComplete:
      OnLocationReply();
      break;
    case kMsgHttpConnectFailed:
    case kMsgHttpSendFailed:
    case kMsgHttpReceiveFailed:
    case kMsgHttpBadReply: {
      std::lock_guard guard(m_lock);
      if (m_netRecord.cid != m_sentCell.cid) {
        m_sentCell.cid = 0;
      }
      break;
    }
    case kMsgHttpCancelled:
    case kMsgHttpAskAgain: {
      std::lock_guard guard(m_lock);
      m_sentCell.cid = 0;
      break;
    }
    default:
      break;
  }
}

void CAppLocation::OnLocationReply() {
  tagLocReply reply;
  bool parsed = false;
  if (m_request.hasCached) {
    reply = m_request.cached;
    m_request.hasCached = false;
    parsed = true;
  } else if (m_request.received > 0) {
    int length = 0;
    char* text = Utf8ToLocal(reinterpret_cast<const char*>(m_request.buffer), m_request.received, &length);
    VJson* root = text ? VJson_Parse(text) : nullptr;
    VJsonResultParser parser;
    parsed = root && parser.ParseLocation(root, &reply);
    VJson_Delete(root);
    VDelete(text);
    if (parsed && m_request.pendingId == kLocationQuery && reply.type == kLocationSuccess) {
      if (tagLocReply* kept = VNew<tagLocReply>(1)) {
        *kept = reply;
        m_request.results.Add(m_request.key, kept, kLocationQuery, ReleaseSearchResult);
      }
    }
  }
  std::lock_guard guard(m_lock);
  m_skip = kSkipTicks;
  if (parsed && m_request.pendingId == kLocationQuery && reply.type == kLocationSuccess && reply.x != 0 &&
      reply.y != 0) {
    StoreNetworkResult(reply);
    return;
  }
  if (!(m_netRecord.cid != 0 && m_netRecord.cid == m_sentCell.cid)) {
    m_netRecord = tagLocInfo{};
    m_netRecord.status = 2;
    m_netRecord.mcc = m_sentCell.mcc;
    m_netRecord.mnc = m_sentCell.mnc;
    m_netRecord.lac = m_sentCell.lac;
    m_netRecord.cid = m_sentCell.cid;
    Notify(kLocationFailed);
  }
}

void CAppLocation::StoreNetworkResult(const tagLocReply& reply) {
  double oldX = m_netRecord.x, oldY = m_netRecord.y;
  m_netRecord = tagLocInfo{};
  m_netRecord.source = 3;
  m_netRecord.status = 3;
  SetPositions(&m_netRecord, reply.x, reply.y);
  m_netRecord.radius = reply.radius;
  m_netRecord.mcc = m_sentCell.mcc;
  m_netRecord.mnc = m_sentCell.mnc;
  m_netRecord.lac = m_sentCell.lac;
  m_netRecord.cid = m_sentCell.cid;
  if (m_sentCell.cid != 0 && m_sentCell.lac != 0) {
    m_cellCache.Add(m_sentCell, m_netRecord.x, m_netRecord.y, reply.radius);
  }
  double moved = reply.radius / 3;
  if ((std::fabs(reply.x - oldX) > moved || std::fabs(reply.y - oldY) > moved) && NotifyAllowed()) {
    Notify(0);
  }
}

}  // namespace mapengine
