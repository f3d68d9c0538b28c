// The offline record store: which cities' offline data the user has, wants,
// is downloading or may update, and which cities the offline service offers.
// Every use goes through DoCommand, which runs one numbered command under the
// store's lock. Lists handed out are copies into the caller's own containers,
// so a merge on the import thread never moves what a caller is reading.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VMutex.h"
#include "engine/data/OfflineFiles.h"

namespace mapengine {

class CVerDatsetMan;
class COLPackageMan;
class CSearchMan;

// The store's commands.
enum : unsigned {
  kOLStartCity = 1,
  kOLStopCity = 2,
  kOLRemoveCity = 3,
  kOLGetUpdateList = 4,      // out: CVArray<COLUpdateRecord>*, receives a copy
  kOLGetUpdateRecord = 5,    // out: COLUpdateRecord*, receives a copy
  kOLAddOrRefresh = 6,
  kOLUpdateProgress = 7,
  kOLNextCity = 8,
  kOLGetGridRef = 9,
  kOLGetHotCities = 10,      // out: CVArray<COLSearchRecord>*, receives a copy
  kOLFindCities = 11,        // out: CVArray<COLSearchRecord>*, receives a copy
  kOLNextRemoved = 13,
  kOLAddWifilog = 15,
  kOLOnVersionReply = 16,
  kOLGetVersions = 17,
  kOLMergeServerList = 18,
  kOLReplaceHotcityFile = 19,  // out: int* byte count
  kOLReplaceSearchFile = 20,   // out: int* byte count
  kOLClearAll = 21,
  kOLHasSearchCity = 22
};

// Codes of the offline command message 8013 the store posts.
enum : int {
  kOLCodeStartNext = 1,
  kOLCodeStopped = 2,
  kOLCodeRemoved = 3
};

// Events of the offline state message 65289.
enum : int {
  kOLEventProgress = 0,
  kOLEventImportPackage = 2,
  kOLEventPackagesLeft = 3,
  kOLEventNewerData = 4,
  kOLEventImportEnded = 5,
  kOLEventCheckEnded = 6
};

class COLRecordMan {
public:
  COLRecordMan();
  // Writes the update records once more.
  ~COLRecordMan();
  COLRecordMan(const COLRecordMan&) = delete;
  COLRecordMan& operator=(const COLRecordMan&) = delete;

  // Loads every file from the folder (the SDK data folder, ending in '/'),
  // rebuilds the download queue and deletes the grid files of the offline
  // grid folder that no record lists (left by a removal the engine did not
  // finish) when the update records were read whole. 1.
  int LoadAll(const CVString& folder);
  int DoCommand(unsigned command, void* argument, void* out);

  // Partners; any may be missing, and then its part is skipped.
  void SetVersionMan(CVerDatsetMan* versions) { m_versions = versions; }
  void SetPackageMan(COLPackageMan* packages) { m_packages = packages; }
  // The search manager that asks for the task list; the engine root keeps
  // it current.
  void SetSearchMan(CSearchMan* search) { m_search = search; }

  // The server elements the task list of the offline service describes,
  // with the given versions as data and map versions (what the search
  // manager hands to command 18). Cities with a grid name not in its shape
  // are left out.
  static void ServerListFromTasks(const CVArray<tag_OfflineTask>& tasks, const COLVersionRecord& versions,
                                  CVArray<COLUpdateRecord>& out);
  // The offline grid data folder under the SDK data folder.
  static CVString GridFolder(const CVString& sdkFolder) { return sdkFolder + CVString("data/"); }

private:
  int StartCity(int id);
  int StopCity(int id);
  int RemoveCity(int id);
  int AddOrRefresh(COLUpdateRecord& record);
  int UpdateProgress(const COLUpdateRecord& record);
  int NextCity(COLUpdateRecord& record);
  int FindCities(const CVString& text, CVArray<COLSearchRecord>& out);
  int NextRemoved(COLUpdateRecord& record);
  int AddWifilog(int id);
  int OnVersionReply(const COLVersionRecord& versions);
  int MergeServerList(CVArray<COLUpdateRecord>& list);
  int ReplaceFile(COLCityListFile& file, const void* bytes, const int* count, const char* name);
  int ClearAll();
  int HasSearchCity(int id);

  COLUpdateRecord* FindRecord(int id);
  // Asks the search manager for the offline service's task list
  // of every stored city; the reply comes back as commands 17 and 18.
  void RequestCityList();
  void Post(int type, int message, int wParam, int lParam);
  void SweepOrphanGridFiles();

  COLVersionFile m_versionFile;
  COLHotcityFile m_hotcityFile;
  COLSearchFile m_searchFile;
  CVArray<COLUpdateRecord> m_downloadQueue;
  CVArray<COLUpdateRecord> m_removalQueue;
  COLUpdateFile m_updateFile;
  COLWifilogFile m_wifilogFile;
  CVMutex m_lock;

  CVerDatsetMan* m_versions = nullptr;
  COLPackageMan* m_packages = nullptr;
  CSearchMan* m_search = nullptr;
};

}  // namespace mapengine
