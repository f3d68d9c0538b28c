#include "engine/data/OLPackageMan.h"

#include <climits>

#include "engine/base/EngineEnv.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/render/GridDataFile.h"
#include "engine/render/TileDownloader.h"

namespace mapengine {

namespace {

constexpr int kMiddleLevelTiles = 5461;    // levels 11..17 of a level-11 grid
constexpr int kLevel18Tiles = 16384;       // level 18 of a level-11 grid
constexpr int kLowLevelTiles = 21845;      // levels 3..10 of a level-3 grid

CVMsgMan* MessageRuntime() {
  CVMainGlobalMan* man = GetGlobalMan();
  return man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr;
}

}  // namespace

COLPackageMan::COLPackageMan() {
  m_current.local.cityId = -1;
  // The environment's flag word starts at -1, which nothing ever sets to 1:
  // only an explicit 0 holds the downloads back, else nothing would load.
  CVMainGlobalMan* man = GetGlobalMan();
  auto* env = man ? static_cast<CEngineEnv*>(man->GetSlot(kSlotEngineEnv)) : nullptr;
  m_downloadEnabled = env && env->m_word2 == 0 ? 0 : 1;
}

COLPackageMan::~COLPackageMan() { JoinImport(); }

void COLPackageMan::SetFolders(const CVString& sdkFolder, const CVString& documentsFolder) {
  m_sdkFolder = sdkFolder;
  m_documentsFolder = documentsFolder;
}

void COLPackageMan::Post(int type, int message, int wParam, int lParam) {
  if (CVMsgMan* msgs = MessageRuntime()) {
    msgs->PostMessage(type, message, wParam, lParam);
  }
}

int COLPackageMan::GetReqFlag() const { return m_downloader ? IsTileRequestBusy(m_downloader) : 0; }

void COLPackageMan::SetReqFlag(int value) { SetTileRequestBusy(m_downloader, value); }

int COLPackageMan::ResetState() {
  m_tilesTotal = 0;
  return 1;
}

void COLPackageMan::CloseConnection() {
  if (m_downloader) {
    m_downloader->GetHttpClient().Close();
  }
}

void COLPackageMan::SaveCurrent() {
  if (m_records) {
    m_records->DoCommand(kOLUpdateProgress, &m_current, nullptr);
  }
}

int COLPackageMan::OnMessage(int code, int argument) {
  switch (code) {
    case kOLCodeStartNext:
      return StartNextCity();
    case kOLCodeStopped:
      if (m_current.local.cityId == argument) {
        CloseConnection();
        m_gridRisk.RemoveAll();
        StartNextCity();
      }
      return 1;
    case kOLCodeRemoved: {
      COLUpdateRecord removed;
      if (!m_records || !m_records->DoCommand(kOLNextRemoved, &removed, nullptr)) {
        return 1;
      }
      if (removed.local.cityId == m_current.local.cityId) {
        CloseConnection();
        m_current.local.grids.RemoveAll();
        m_gridRisk.RemoveAll();
        m_current.local.cityId = -1;
        StartNextCity();
      }
      RemoveCityData(removed);
      return 1;
    }
    case kOLCodeEnable:
      if (argument == 1 && !m_downloadEnabled) {
        m_downloadEnabled = 1;
        ContinueDownload(m_elementTilesDone, 1);
      } else if (argument != 1) {
        m_downloadEnabled = 0;
      }
      return 1;
    case kOLCodeImport: {
      int idle = 0;
      if (argument < 1 || !m_importing.compare_exchange_strong(idle, 1)) {
        return 1;  // a second scan while one runs is ignored
      }
      JoinImport();
      if (!m_importThread.CreateThread(ImportThreadProc, this)) {
        m_importing = 0;
        Post(2, kMsgOfflineProgress, kOLEventImportEnded, 1);
        return 1;
      }
      m_importStarted = true;
      return 1;
    }
    case kOLCodeClear:
      StopDownload();
      return 1;
    case kOLCodeWatchdog:
      Watchdog();
      return 1;
    default:
      return 1;
  }
}

void COLPackageMan::JoinImport() {
  if (m_importStarted) {
    m_importThread.Join();
    m_importStarted = false;
  }
}

int COLPackageMan::StartNextCity() {
  if (m_gridRisk.GetSize() > 0 || !m_records) {
    return 0;
  }
  m_current.local.cityId = -1;
  // -1 asks for no city: with nothing queued the store looks that id up, and
  // a record read with it is none to download.
  if (!m_records->DoCommand(kOLNextCity, &m_current, nullptr) || m_current.local.cityId == -1) {
    m_current.local.cityId = -1;
    return 0;
  }
  COLUpdateElement& local = m_current.local;
  COLUpdateElement& server = m_current.server;
  bool dataChanged = local.dataVersion.Compare(server.dataVersion) != 0 || local.updateFlag == 1 ||
                     server.updateFlag == 1;
  bool mapChanged = local.mapVersion.Compare(server.mapVersion) != 0;
  bool cityChanged = local.cityVersion.Compare(server.cityVersion) != 0;
  if (dataChanged || cityChanged) {
    // Grids another city still lists stay; this city's own count is one.
    DeleteGrids(m_current, 1);
    local.updateFlag = server.updateFlag = 0;
    local.ratio = 0;
  }
  if (dataChanged || mapChanged || cityChanged) {
    // An update may list other grids and levels: take them with the versions.
    local.dataVersion = server.dataVersion;
    local.mapVersion = server.mapVersion;
    local.cityVersion = server.cityVersion;
    local.grids = server.grids;
    local.baseLevel = server.baseLevel;
    local.startLevel = server.startLevel;
    local.endLevel = server.endLevel;
    local.ratio = 0;
  }
  local.status = kCityStatusDownloading;
  SaveCurrent();
  if (!BuildGridRiskList()) {
    return StopUnfetchableCity();
  }
  m_lastTilesDone = -1;
  if (CVMsgMan* msgs = MessageRuntime()) {
    msgs->SetTimer(kWatchdogTimer, kWatchdogMs);
  }
  ContinueDownload(m_elementTilesDone, 1);
  return 1;
}

int COLPackageMan::StopUnfetchableCity() {
  int id = m_current.local.cityId;
  m_records->DoCommand(kOLStopCity, &id, nullptr);
  m_current.local.status = kCityStatusStopped;
  SaveCurrent();  // reports the stop to the interface
  m_current.local.cityId = -1;
  return StartNextCity();
}

void COLPackageMan::ContinueDownload(int elementTilesDone, int sendFlag) {
  if (m_importing.load() || !m_downloadEnabled || GetReqFlag() || m_tilesTotal == 0) {
    return;
  }
  int ratio = static_cast<int>(static_cast<long long>(m_tilesDone) * 100 / m_tilesTotal);
  if (ratio != m_current.local.ratio) {
    m_current.local.ratio = ratio;
    SaveCurrent();
  }
  m_elementTilesDone = elementTilesDone;
  AdvanceGridRisk(m_elementTilesDone);
  if (m_gridRisk.GetSize() == 0) {
    COLUpdateElement& local = m_current.local;
    COLUpdateElement& server = m_current.server;
    if (local.dataVersion.Compare(server.dataVersion) != 0 || local.mapVersion.Compare(server.mapVersion) != 0) {
      local = server;
    }
    local.ratio = server.ratio = kCityRatioFinished;
    local.status = server.status = kCityStatusFinished;
    local.updateFlag = server.updateFlag = 0;
    SaveCurrent();
    if (CVMsgMan* msgs = MessageRuntime()) {
      msgs->KillTimer(kWatchdogTimer);
    }
    m_tilesTotal = 0;
    StartNextCity();
    return;
  }
  if (LocateTilePosition(m_elementTilesDone)) {
    BuildTileBatch();
    SendTileBatch(sendFlag);
  }
}

int COLPackageMan::WriteGridData(const unsigned char* bytes, int length, const CVString& key, int level) {
  if (m_gridRisk.GetSize() == 0 || !m_dataCache) {
    return 0;
  }
  const tag_GridRisk& grid = m_gridRisk[0];
  if (!m_dataCache->WriteGridData(grid.baseLevel, key, grid.startLevel, grid.endLevel, level, bytes, length)) {
    return 0;
  }
  ++m_elementTilesDone;
  ++m_tilesDone;
  return 1;
}

void COLPackageMan::OnTileMessage(int message, int requestId) {
  if (requestId != m_requestId || m_importing.load() || !m_downloader) {
    return;
  }
  if (message == kMsgHttpConnectFailed || message == kMsgHttpSendFailed || message == kMsgHttpReceiveFailed) {
    PauseAfterFailure();
    return;
  }
  if (message == kMsgHttpAskAgain) {
    m_downloader->FollowRedirect(requestId);
    return;
  }
  if (message != kMsgHttpPartial && message != kMsgHttpComplete) {
    return;
  }
  tagTileSplitTable table;
  CVStringArray keys;
  m_downloader->SplitReply(table, keys, message == kMsgHttpComplete);
  if (table.nBad) {
    PauseAfterFailure();
    return;
  }
  bool whole = true;
  for (int i = table.nPrevDone; i < table.nDone && whole; ++i) {
    int level = m_batchTiles.GetSize() > 0 ? m_batchTiles[0].level : 0;
    whole = table.pData[i] && WriteGridData(table.pData[i], table.nSize[i], keys[i], level);
    m_failures = whole ? 0 : m_failures;
  }
  if (!whole) {
    CloseConnection();
  }
  if (!whole || message == kMsgHttpComplete || table.nDone == table.nCount) {
    ContinueDownload(m_elementTilesDone, whole ? 1 : 0);
  }
}

void COLPackageMan::OnMapRequestEnded() {
  if (m_pauseTicks == 0) {
    ContinueDownload(m_elementTilesDone, 1);
  }
}

int COLPackageMan::OnTimer(int message, int timerId) {
  if (message != kMsgTimer) {
    return 0;
  }
  if (timerId == kWatchdogTimer) {
    // The download's state belongs to the message thread: the check runs there.
    Post(1, kMsgOfflineCommand, kOLCodeWatchdog, 0);
  }
  return 1;
}

void COLPackageMan::PauseAfterFailure() {
  CloseConnection();
  SetReqFlag(0);
  m_failures = m_failures < kMaxPauseShift ? m_failures + 1 : kMaxPauseShift;
  m_pauseTicks = (1 << (m_failures - 1)) - 1;
  // The tick that ends the pause finds no progress and an idle downloader:
  // it sends the batch again.
  m_lastTilesDone = m_tilesDone;
}

void COLPackageMan::Watchdog() {
  if (m_gridRisk.GetSize() == 0 || !m_downloadEnabled) {
    return;
  }
  if (m_pauseTicks > 0) {
    --m_pauseTicks;
    return;
  }
  bool restart = false;
  if (m_tilesDone != m_lastTilesDone) {
    m_stallTicks = 0;
  } else if (GetReqFlag()) {
    restart = ++m_stallTicks >= 3;
  } else {
    restart = true;
  }
  if (restart) {
    m_stallTicks = 0;
    CloseConnection();
    SetReqFlag(0);
    ContinueDownload(m_elementTilesDone, 1);
  }
  m_lastTilesDone = m_tilesDone;
}

void COLPackageMan::StopDownload() {
  if (!GetReqFlag()) {
    CloseConnection();
  }
  m_gridRisk.RemoveAll();
}

void COLPackageMan::DeleteGrids(const COLUpdateRecord& record, int keepAbove) {
  if (!m_dataCache) {
    return;
  }
  const COLUpdateElement& local = record.local;
  for (int i = 0; i < local.grids.GetSize(); ++i) {
    CVString grid = local.grids[i];
    if (keepAbove < INT_MAX && m_records && m_records->DoCommand(kOLGetGridRef, &grid, nullptr) > keepAbove) {
      continue;
    }
    if (local.baseLevel == 11 || local.baseLevel == 3) {
      m_dataCache->DeleteGridFile(grid);
    }
    if (local.baseLevel == 11 && local.endLevel == 18) {
      m_dataCache->DeleteGridFile(grid + CVString("_18"));
    }
  }
}

void COLPackageMan::DeleteCityGridFiles(const COLUpdateRecord& record) { DeleteGrids(record, INT_MAX); }

void COLPackageMan::RemoveCityData(const COLUpdateRecord& record) { DeleteGrids(record, 0); }

// --- Grid levels and risk list ------------------------------------------------------

int COLPackageMan::ParseGridName(const CVString& name, int* x, int* y) {
  if (!ParseGridNameStrict(name.GetBuffer(), x, y) || !IsOfflineGrid(*x, *y)) {
    return 0;
  }
  // Tiles find their grid file by the name written from the numbers: a grid
  // named otherwise ("012_5", "-0_5") would own a file no tile ever reaches.
  CVString written;
  written.Format(VStr(u"%d_%d"), *x, *y);
  return written.Compare(name) == 0 ? 1 : 0;
}

int COLPackageMan::BuildGridRiskList() {
  const COLUpdateElement& local = m_current.local;
  if (local.grids.GetSize() == 0) {
    return 0;
  }
  m_gridRisk.RemoveAll();
  m_tilesDone = 0;
  m_tilesTotal = 0;
  bool first = true;
  auto add = [&](const tag_GridRisk& grid, int present, int total) {
    if (present != total) {
      if (first) {
        m_gridX = grid.gridX;
        m_gridY = grid.gridY;
        m_elementTilesDone = present;
        first = false;
      }
      m_gridRisk.Add(grid);
    }
    m_tilesDone += present;
    m_tilesTotal += total;
  };
  for (int i = 0; i < local.grids.GetSize(); ++i) {
    const CVString& name = local.grids[i];
    int x = 0;
    int y = 0;
    if (!m_dataCache || !ParseGridName(name, &x, &y)) {
      continue;
    }
    int present = 0;
    if (local.baseLevel == 11) {
      if (m_dataCache->CreateOfflineDat(11, name, 11, 17, &present)) {
        add(tag_GridRisk{11, 11, 17, x, y}, present, kMiddleLevelTiles);
      }
      if (local.endLevel == 18 && m_dataCache->CreateOfflineDat(11, name, 18, 18, &(present = 0))) {
        add(tag_GridRisk{11, 18, 18, x, y}, present, kLevel18Tiles);
      }
    } else if (local.baseLevel == 3) {
      // The low-level file always holds levels 3..10, whatever the record says.
      if (m_dataCache->CreateOfflineDat(3, name, 3, 10, &present)) {
        add(tag_GridRisk{3, 3, 10, x, y}, present, kLowLevelTiles);
      }
    }
  }
  if (first) {
    m_elementTilesDone = 0;
  }
  return m_tilesTotal > 0 ? 1 : 0;
}

namespace {

// Tiles of a grid of base level g from level a to level b.
long long TilesOf(int g, int a, int b) {
  long long total = 0;
  for (int level = a; level <= b; ++level) {
    total += 1LL << (2 * (level - g));
  }
  return total;
}

}  // namespace

int COLPackageMan::AdvanceGridRisk(int& elementTilesDone) {
  if (m_gridRisk.GetSize() == 0) {
    return 1;
  }
  const tag_GridRisk& grid = m_gridRisk[0];
  if (elementTilesDone != TilesOf(grid.baseLevel, grid.startLevel, grid.endLevel)) {
    return 0;
  }
  elementTilesDone = 0;
  m_gridRisk.RemoveAt(0);
  if (m_gridRisk.GetSize() > 0) {
    m_gridX = m_gridRisk[0].gridX;
    m_gridY = m_gridRisk[0].gridY;
  }
  return 1;
}

int COLPackageMan::LocateTilePosition(int elementTilesDone) {
  if (m_gridRisk.GetSize() == 0 || elementTilesDone < 0) {
    return 0;
  }
  const tag_GridRisk& grid = m_gridRisk[0];
  long long n = elementTilesDone;
  int level = grid.startLevel;
  while (n >= 1 && n >= (1LL << (2 * (level - grid.baseLevel)))) {
    n -= 1LL << (2 * (level - grid.baseLevel));
    if (++level > grid.endLevel) {
      return 0;  // past the grid's last level
    }
  }
  int s = 1 << (level - grid.baseLevel);
  m_level = level;
  m_firstColumn = grid.gridX * s;
  m_lastColumn = grid.gridX * s + s - 1;
  m_firstRow = grid.gridY * s;
  m_lastRow = grid.gridY * s + s - 1;
  m_column = m_firstColumn + static_cast<int>(n / s);
  m_row = m_firstRow + static_cast<int>(n % s);
  return 1;
}

void COLPackageMan::BuildTileBatch() {
  m_batchTiles.RemoveAll();
  m_batchKeys.RemoveAll();
  int row = m_row;
  for (int column = m_column; column <= m_lastColumn && m_batchTiles.GetSize() < kBatchTiles; ++column) {
    for (; row <= m_lastRow && m_batchTiles.GetSize() < kBatchTiles; ++row) {
      m_batchTiles.Add(tagGirdData{m_level, column, row});
      CVString key;
      key.Format(VStr(u"%d_%d"), column, row);
      m_batchKeys.Add(key);
    }
    row = m_firstRow;
  }
}

int COLPackageMan::SendTileBatch(int sendFlag) {
  if (m_batchKeys.GetSize() == 0 || m_batchTiles.GetSize() == 0 || GetReqFlag() || !m_downloader) {
    return 0;
  }
  if (!m_downloader->SendRequest(3, m_level, 0, 0, m_batchKeys, m_requestId + 1, sendFlag)) {
    return 0;
  }
  ++m_requestId;
  return 1;
}

}  // namespace mapengine
