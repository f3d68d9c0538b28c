// The offline package manager: downloads the offline map data of one city at
// a time (the grids' missing tiles in batches of at most 10 through the map
// view's tile downloader, written into the offline grid data files), and
// imports offline packages (zip files in the Documents folder) on a
// background thread, checks them and merges their cities into the record
// store.
//
// Threads: commands, tile replies and the watchdog's restart all run on the
// thread that dispatches engine messages; the watchdog tick on the timer
// thread only posts a restart command. The import thread reaches the store
// through its locked commands; it starts only when no import runs, and it
// is joined when the manager goes.
#pragma once

#include <atomic>
#include <functional>

#include "engine/base/VArray.h"
#include "engine/base/VFile.h"
#include "engine/base/VThread.h"
#include "engine/model/OfflineRecords.h"

namespace mapengine {

class COLRecordMan;
class COfflineDataCache;
class CTileDownloader;

// A grid of the current city that still lacks tiles.
struct tag_GridRisk {
  int baseLevel;
  int startLevel;
  int endLevel;
  int gridX;
  int gridY;
};

// One accepted package.
struct tagOffLineFileInfo {
  int cityId = 0;
  int zipSize = 0;
  int citySize = 0;  // the sort key: the "lu" of the package's record
  CVString cityName;
  CVString zipName;
  CVString version;  // city version + "." + data version + "." + map version
};

// One entry of a package check file.
struct tag_CheckInfo {
  CVString name;
  int size = 0;
  char startDigest[50] = {};
  char endDigest[50] = {};
};

// Codes of the offline command message 8013 handled here.
enum : int {
  kOLCodeEnable = 12,
  kOLCodeImport = 14,
  kOLCodeClear = 21,
  kOLCodeWatchdog = 1005  // the watchdog's restart, posted by its tick
};

// Test seam: the free bytes the import counts with (otherwise those of the
// file system that holds the SDK data folder).
using DiskFreeProbe = std::function<int(double* freeBytes)>;

class COLPackageMan {
public:
  static constexpr int kWatchdogTimer = 1005;
  static constexpr unsigned kWatchdogMs = 8000;
  static constexpr int kBatchTiles = 10;
  // A failed batch waits 0, 1, 3, ... ticks, at most 2^5 - 1 (about four
  // minutes), before it is sent again.
  static constexpr int kMaxPauseShift = 6;
  static constexpr int kFirstRequestId = 1000000;

  // One tile of a batch (no pixels here). Nested so that it never meets the
  // tile cache's record of the same name in one program.
  struct tagGirdData {
    int level = 0;
    int column = 0;
    int row = 0;
  };
  static constexpr double kSpareBytes = 5242880.0;

  COLPackageMan();
  // Joins a running import.
  ~COLPackageMan();
  COLPackageMan(const COLPackageMan&) = delete;
  COLPackageMan& operator=(const COLPackageMan&) = delete;

  void SetRecordMan(COLRecordMan* records) { m_records = records; }
  void SetGridReq(CTileDownloader* downloader) { m_downloader = downloader; }
  void SetDataCache(COfflineDataCache* cache) { m_dataCache = cache; }
  // The SDK data folder (ending in '/') and the Documents folder the
  // packages are taken from.
  void SetFolders(const CVString& sdkFolder, const CVString& documentsFolder);
  void SetDiskFreeProbe(DiskFreeProbe probe) { m_diskFree = std::move(probe); }

  // --- Commands (engine message 8013) and download ----------------------------
  int OnMessage(int code, int argument);
  void ContinueDownload(int elementTilesDone, int sendFlag);
  // One received tile of the current batch, at its tile level. 1 when stored.
  int WriteGridData(const unsigned char* bytes, int length, const CVString& key, int level);
  // The watchdog tick (message 8, timer 1005): posts the restart check.
  int OnTimer(int message, int timerId);
  // What the map view's controller calls for every network message of the
  // tile downloader's offline client (type 11) with the manager's request
  // id: the tiles of a (partial) reply are written in key order, then the
  // download goes on; a failure goes on from the same position.
  // A redirected batch (1120) is asked again where the redirect points.
  void OnTileMessage(int message, int requestId);
  // The map view's own request on the shared downloader ended (its pack
  // came, or it failed): a download it held back goes on, unless a batch is
  // pausing after failures.
  void OnMapRequestEnded();
  int GetReqFlag() const;
  void SetReqFlag(int value);
  int ResetState();
  void StopDownload();
  void DeleteCityGridFiles(const COLUpdateRecord& record);
  void RemoveCityData(const COLUpdateRecord& record);

  int IsImporting() const { return m_importing.load(); }
  int GetCurrentCityId() const { return m_current.local.cityId; }
  int GetTilesDone() const { return m_tilesDone; }
  int GetTilesTotal() const { return m_tilesTotal; }
  const CVArray<tag_GridRisk>& GetGridRiskList() const { return m_gridRisk; }

  // --- Grid levels and risk list ----------------------------------------------
  // 1 when the current city has a grid to fetch (its tiles counted in the
  // total); grids the offline data cannot hold are left out.
  int BuildGridRiskList();
  int AdvanceGridRisk(int& elementTilesDone);
  int LocateTilePosition(int elementTilesDone);
  void BuildTileBatch();
  int SendTileBatch(int sendFlag);
  // "x_y" of a grid the offline data can hold (IsOfflineGrid), written as
  // "%d_%d" writes it. 1 or 0.
  static int ParseGridName(const CVString& name, int* x, int* y);
  const CVArray<tagGirdData>& GetBatchTiles() const { return m_batchTiles; }
  const CVArray<CVString, CVString&>& GetBatchKeys() const { return m_batchKeys; }
  int GetElementTilesDone() const { return m_elementTilesDone; }

  // --- Package import -----------------------------------------------------------
  // Waits for the import thread (when one ran) to end.
  void JoinImport();
  static void* ImportThreadProc(void* manager);
  int BuildImportList();
  int ClassifyPackage(const CVString& zipPath, tagOffLineFileInfo* info);
  int ReadPackageConfig(const CVString& zipPath);
  int ImportPackage(const CVString& zipPath);
  const CVString& GetSdkDataPath() const { return m_sdkFolder; }

  // --- Package check --------------------------------------------------------------
  int CheckPackages(const CVString& sdkFolder);
  int CheckPackage(const CVString& recordFile);
  static int ReadPackageRecord(const CVString& path, COLUpdateRecord& record);
  static int ReadCheckFile(const CVString& path, CVArray<tag_CheckInfo>& list);
  int IsPackageNewer(const COLUpdateRecord& record);
  // The unpacked-package folder under the SDK data folder.
  static CVString UnpackFolder(const CVString& sdkFolder) { return sdkFolder + CVString("VurivMap/Mapdata/"); }

private:
  int StartNextCity();
  // A city none of whose grids can be fetched (no grid list, only grids the
  // offline data cannot hold, grid files that cannot be made) would stand
  // "downloading" for ever with the queue held up behind it: it is stopped
  // (the interface hears of it) and the next city starts; that one's result.
  int StopUnfetchableCity();
  void Watchdog();
  // A batch failed (no connection, a bad pack): the connection is closed
  // and the batch waits for a later watchdog tick, the pause growing with
  // each failure in a row, so a host that is down is not asked in a loop.
  void PauseAfterFailure();
  void CloseConnection();
  void SaveCurrent();
  // Deletes the files of the grids of the local grid list whose reference
  // count is at most keepAbove (another city lists the rest; INT_MAX: all).
  void DeleteGrids(const COLUpdateRecord& record, int keepAbove);
  void RunImport();
  void Post(int type, int message, int wParam, int lParam);
  int FreeBytes(double* freeBytes);
  // Whether a listed tile file is sound in the unpacked folder or, moved by
  // an earlier pass that did not get to its merge, in the grid folder.
  bool VerifyEntry(const tag_CheckInfo& entry, bool* alreadyMoved);
  // Removes a refused city's unpacked files (its zip stays).
  void RemoveUnpackedCity(int cityId, const CVString& recordFile, const CVArray<tag_CheckInfo>& entries);
  // Deletes the zip the running import unpacked for the city.
  void DeleteImportedZip(int cityId);

  COLRecordMan* m_records = nullptr;
  CTileDownloader* m_downloader = nullptr;
  COfflineDataCache* m_dataCache = nullptr;
  CVString m_sdkFolder;
  CVString m_documentsFolder;
  DiskFreeProbe m_diskFree;

  // Import.
  CVArray<tagOffLineFileInfo> m_importList;
  COLUpdateRecord m_packageRecord;
  std::atomic<int> m_importing{0};
  CVThread m_importThread;
  bool m_importStarted = false;
  // Names of tile files moved during one check pass.
  CVArray<CVString, CVString&> m_movedNames;
  // Zip files unpacked by the running import, by city id: deleted once
  // their city is merged.
  CVArray<tagOffLineFileInfo> m_unpacked;

  // Download.
  int m_stallTicks = 0;
  // Failed batches in a row, and watchdog ticks left before the next try.
  int m_failures = 0;
  int m_pauseTicks = 0;
  COLUpdateRecord m_current;
  CVArray<tag_GridRisk> m_gridRisk;
  int m_tilesDone = 0;
  int m_tilesTotal = 0;
  int m_level = 0;
  int m_firstColumn = 0;
  int m_lastColumn = 0;
  int m_firstRow = 0;
  int m_lastRow = 0;
  int m_column = 0;
  int m_row = 0;
  CVArray<CVString, CVString&> m_batchKeys;
  CVArray<tagGirdData> m_batchTiles;
  int m_gridX = 0;
  int m_gridY = 0;
  int m_downloadEnabled = 1;
  int m_elementTilesDone = 0;
  int m_lastTilesDone = -1;
  int m_requestId = kFirstRequestId;
};

}  // namespace mapengine
