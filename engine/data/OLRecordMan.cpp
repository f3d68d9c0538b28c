#include "engine/data/OLRecordMan.h"

#include "engine/base/VFile.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/SearchMan.h"
#include "engine/model/OfflineRecords.h"
#include "engine/data/VerDatsetMan.h"

namespace mapengine {

namespace {

// A version text read as an integer; empty counts as 0.
int VersionNumber(const CVString& text) { return text.IsEmpty() ? 0 : wide_atoi(text.GetBuffer()); }

bool ListsGrid(const COLUpdateElement& element, const CVString& name) {
  for (int i = 0; i < element.grids.GetSize(); ++i) {
    if (element.grids[i].Compare(name) == 0) {
      return true;
    }
  }
  return false;
}

// Holds the store's lock for one command.
class CommandLock {
public:
  explicit CommandLock(CVMutex& lock) : m_lock(lock) { m_lock.Lock(-1); }
  ~CommandLock() { m_lock.Unlock(); }
  CommandLock(const CommandLock&) = delete;
  CommandLock& operator=(const CommandLock&) = delete;

private:
  CVMutex& m_lock;
};

}  // namespace

COLRecordMan::COLRecordMan() { m_lock.Create(); }

COLRecordMan::~COLRecordMan() {
  if (!m_updateFile.m_folder.IsEmpty()) {
    m_updateFile.Save();
  }
}

int COLRecordMan::LoadAll(const CVString& folder) {
  m_versionFile.Load(folder);
  m_hotcityFile.Load(folder);
  m_searchFile.Load(folder);
  // Only a store read whole tells which grid files are orphans: with the
  // file missing, unreadable or holding a damaged record, nothing is swept.
  const int updatesRead = m_updateFile.Load(folder);
  m_wifilogFile.m_folder = folder;
  m_wifilogFile.m_records.RemoveAll();
  m_downloadQueue.RemoveAll();
  m_removalQueue.RemoveAll();
  CVArray<COLUpdateRecord>& records = m_updateFile.m_records;
  for (int i = 0; i < records.GetSize(); ++i) {
    COLUpdateElement& local = records[i].local;
    if (local.status == kCityStatusQueued) {
      m_downloadQueue.Add(records[i]);
    } else if (local.status == kCityStatusDownloading) {
      // It was downloading when the engine stopped: it goes first.
      local.status = kCityStatusQueued;
      m_downloadQueue.InsertAt(0, records[i]);
    }
  }
  if (updatesRead) {
    SweepOrphanGridFiles();
  }
  return 1;
}

void COLRecordMan::SweepOrphanGridFiles() {
  // Grids of packages checked but not merged yet are no orphans: the next
  // check pass merges them.
  CVMapStringToPtr pending(10);
  CVString unpacked = COLPackageMan::UnpackFolder(m_updateFile.m_folder);
  CVArray<CVString, CVString&> configs;
  ListFolderFiles(unpacked, CVString("cfg"), configs);
  for (int i = 0; i < configs.GetSize(); ++i) {
    COLUpdateRecord record;
    if (COLPackageMan::ReadPackageRecord(unpacked + configs[i], record)) {
      for (int g = 0; g < record.local.grids.GetSize(); ++g) {
        pending.SetAt(record.local.grids[g], nullptr);
      }
    }
  }
  void* unused = nullptr;
  CVString grids = GridFolder(m_updateFile.m_folder);
  CVArray<CVString, CVString&> folders;
  ListFolderFiles(grids, CVString(), folders);
  for (int f = 0; f < folders.GetSize(); ++f) {
    CVString folder = grids + folders[f] + CVString("/");
    CVArray<CVString, CVString&> files;
    ListFolderFiles(folder, CVString(".dat"), files);
    for (int i = 0; i < files.GetSize(); ++i) {
      // "x_y.dat" or "x_y_18.dat": the grid is the name up to the second '_' or the dot.
      CVString cell = files[i].Left(files[i].GetLength() - 4);
      int bar = cell.Find(static_cast<unsigned short>('_'), 1);
      int second = bar >= 0 ? cell.Find(static_cast<unsigned short>('_'), bar + 1) : -1;
      CVString grid = second >= 0 ? cell.Left(second) : cell;
      int x = 0;
      int y = 0;
      if (ParseGridNameStrict(grid.GetBuffer(), &x, &y) && m_updateFile.GetGridRef(grid) == 0 &&
          !pending.Lookup(grid, unused)) {
        RemoveFile(folder + files[i]);
      }
    }
  }
}

int COLRecordMan::DoCommand(unsigned command, void* argument, void* out) {
  CommandLock hold(m_lock);
  switch (command) {
    case kOLStartCity:
      return StartCity(*static_cast<int*>(argument));
    case kOLStopCity:
      return StopCity(*static_cast<int*>(argument));
    case kOLRemoveCity:
      return RemoveCity(*static_cast<int*>(argument));
    case kOLGetUpdateList:
      static_cast<CVArray<COLUpdateRecord>*>(out)->Copy(m_updateFile.m_records);
      return 1;
    case kOLGetUpdateRecord: {
      COLUpdateRecord* record = FindRecord(*static_cast<int*>(argument));
      if (!record) {
        return 0;
      }
      *static_cast<COLUpdateRecord*>(out) = *record;
      return 1;
    }
    case kOLAddOrRefresh:
      return AddOrRefresh(*static_cast<COLUpdateRecord*>(argument));
    case kOLUpdateProgress:
      return UpdateProgress(*static_cast<const COLUpdateRecord*>(argument));
    case kOLNextCity:
      return NextCity(*static_cast<COLUpdateRecord*>(argument));
    case kOLGetGridRef:
      return m_updateFile.GetGridRef(*static_cast<const CVString*>(argument));
    case kOLGetHotCities:
      m_hotcityFile.ReloadIfFlagged();
      static_cast<CVArray<COLSearchRecord>*>(out)->Copy(m_hotcityFile.m_cities);
      return 1;
    case kOLFindCities:
      return FindCities(*static_cast<const CVString*>(argument), *static_cast<CVArray<COLSearchRecord>*>(out));
    case kOLNextRemoved:
      return NextRemoved(*static_cast<COLUpdateRecord*>(argument));
    case kOLAddWifilog:
      return AddWifilog(*static_cast<int*>(argument));
    case kOLOnVersionReply:
      return OnVersionReply(*static_cast<const COLVersionRecord*>(argument));
    case kOLGetVersions:
      *static_cast<COLVersionRecord*>(argument) = m_versionFile.m_record;
      return 1;
    case kOLMergeServerList:
      return MergeServerList(*static_cast<CVArray<COLUpdateRecord>*>(argument));
    case kOLReplaceHotcityFile:
      return ReplaceFile(m_hotcityFile, argument, static_cast<const int*>(out), "OfflineHotcity.dat");
    case kOLReplaceSearchFile:
      return ReplaceFile(m_searchFile, argument, static_cast<const int*>(out), "OfflineSearch.dat");
    case kOLClearAll:
      return ClearAll();
    case kOLHasSearchCity:
      return HasSearchCity(*static_cast<int*>(argument));
    default:
      return 0;
  }
}

COLUpdateRecord* COLRecordMan::FindRecord(int id) {
  CVArray<COLUpdateRecord>& records = m_updateFile.m_records;
  for (int i = 0; i < records.GetSize(); ++i) {
    if (records[i].local.cityId == id) {
      return &records[i];
    }
  }
  return nullptr;
}

void COLRecordMan::Post(int type, int message, int wParam, int lParam) {
  CVMainGlobalMan* man = GetGlobalMan();
  if (auto* msgs = man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr) {
    msgs->PostMessage(type, message, wParam, lParam);
  }
}

int COLRecordMan::StartCity(int id) {
  COLUpdateRecord* record = FindRecord(id);
  if (!record) {
    return 0;
  }
  record->local.status = kCityStatusQueued;
  m_downloadQueue.Add(*record);
  Post(1, kMsgOfflineCommand, kOLCodeStartNext, 0);
  m_updateFile.Save();
  return 1;
}

int COLRecordMan::StopCity(int id) {
  COLUpdateRecord* record = FindRecord(id);
  if (!record) {
    return 0;
  }
  record->local.status = kCityStatusStopped;
  for (int i = 0; i < m_downloadQueue.GetSize(); ++i) {
    if (m_downloadQueue[i].local.cityId == id) {
      m_downloadQueue.RemoveAt(i);
      break;
    }
  }
  Post(1, kMsgOfflineCommand, kOLCodeStopped, id);
  m_updateFile.Save();
  return 1;
}

int COLRecordMan::RemoveCity(int id) {
  // Every queued copy goes: a copy left behind would stand for no record.
  bool queued = false;
  for (int i = m_downloadQueue.GetSize() - 1; i >= 0; --i) {
    if (m_downloadQueue[i].local.cityId == id) {
      m_downloadQueue.RemoveAt(i);
      queued = true;
    }
  }
  CVArray<COLUpdateRecord>& records = m_updateFile.m_records;
  int at = 0;
  while (at < records.GetSize() && records[at].local.cityId != id) {
    ++at;
  }
  if (at == records.GetSize()) {
    if (queued) {
      m_updateFile.Save();
    }
    return queued ? 1 : 0;
  }
  m_updateFile.CountGrids(records[at].local, -1);
  m_removalQueue.Add(records[at]);
  records.RemoveAt(at);
  Post(1, kMsgOfflineCommand, kOLCodeRemoved, id);
  m_updateFile.Save();
  return 1;
}

int COLRecordMan::AddOrRefresh(COLUpdateRecord& record) {
  CVArray<COLUpdateRecord>& records = m_updateFile.m_records;
  if (record.local.status == kCityStatusFinished && record.server.status == kCityStatusFinished) {
    RemoveCity(record.local.cityId);
    records.InsertAt(0, record);
    m_updateFile.CountGrids(record.local, 1);
    m_updateFile.Save();
    return 1;
  }
  if (COLUpdateRecord* stored = FindRecord(record.server.cityId)) {
    stored->server = record.server;
    m_updateFile.Save();
    return 1;
  }
  record.local = record.server;
  record.local.status = kCityStatusQueued;
  m_downloadQueue.Add(record);
  records.InsertAt(0, record);
  m_updateFile.CountGrids(record.local, 1);
  m_updateFile.Save();
  return 1;
}

int COLRecordMan::UpdateProgress(const COLUpdateRecord& record) {
  COLUpdateRecord* stored = FindRecord(record.local.cityId);
  if (!stored) {
    return 0;
  }
  int delta = record.local.ratio - stored->local.savedRatio;
  bool finishing = record.local.status == kCityStatusFinished && stored->local.status != kCityStatusFinished;
  stored->local.ratio = record.local.ratio;
  if (finishing || delta >= 101) {
    // The local element is the package manager's; of the server element only
    // what it sets at the finish, so versions a merge brought meanwhile stay.
    m_updateFile.CountGrids(stored->local, -1);
    stored->local = record.local;
    m_updateFile.CountGrids(stored->local, 1);
    stored->server.ratio = record.server.ratio;
    stored->server.status = record.server.status;
    stored->server.updateFlag = record.server.updateFlag;
    stored->local.savedRatio = stored->local.ratio;
    m_updateFile.Save();
  }
  Post(2, kMsgOfflineProgress, kOLEventProgress, record.local.cityId);
  return 1;
}

int COLRecordMan::NextCity(COLUpdateRecord& record) {
  // A queued copy whose record is gone is passed over, so the rest of the
  // queue never stalls behind it.
  while (m_downloadQueue.GetSize() > 0) {
    record = m_downloadQueue[0];
    m_downloadQueue.RemoveAt(0);
    if (FindRecord(record.local.cityId)) {
      break;
    }
  }
  COLUpdateRecord* stored = FindRecord(record.local.cityId);
  if (!stored) {
    return 0;
  }
  stored->local.status = kCityStatusDownloading;
  return 1;
}

int COLRecordMan::FindCities(const CVString& text, CVArray<COLSearchRecord>& out) {
  m_searchFile.ReloadIfFlagged();
  CVArray<COLSearchRecord>& results = m_searchFile.m_results;
  results.RemoveAll();
  for (int i = 0; i < m_searchFile.m_cities.GetSize(); ++i) {
    if (text.IsEmpty() || m_searchFile.m_cities[i].name.Find(text.GetBuffer()) >= 0) {
      results.Add(m_searchFile.m_cities[i]);
    }
  }
  out.Copy(results);
  return 1;
}

int COLRecordMan::NextRemoved(COLUpdateRecord& record) {
  if (m_removalQueue.GetSize() == 0) {
    return 0;
  }
  record = m_removalQueue[0];
  m_removalQueue.RemoveAt(0);
  return 1;
}

int COLRecordMan::HasSearchCity(int id) {
  m_searchFile.ReloadIfFlagged();
  for (int i = 0; i < m_searchFile.m_cities.GetSize(); ++i) {
    if (m_searchFile.m_cities[i].cityId == id) {
      return 1;
    }
  }
  return 0;
}

int COLRecordMan::AddWifilog(int id) {
  if (!HasSearchCity(id)) {
    return 0;
  }
  CVArray<COLWifilogRecord>& log = m_wifilogFile.m_records;
  for (int i = 0; i < log.GetSize(); ++i) {
    if (log[i].cityId == id) {
      return 0;
    }
  }
  int result = log.GetSize() == 0 ? 1 : 2;
  log.Add(COLWifilogRecord{id});
  Post(2, kMsgOfflineProgress, result, id);
  m_wifilogFile.Save();
  return result;
}

void COLRecordMan::RequestCityList() {
  CVArray<int, int> ids;
  for (int i = 0; i < m_updateFile.m_records.GetSize(); ++i) {
    ids.Add(m_updateFile.m_records[i].local.cityId);
  }
  if (ids.GetSize() > 0 && m_search) {
    m_search->RequestOfflineCityList(ids);
  }
}

int COLRecordMan::OnVersionReply(const COLVersionRecord& versions) {
  if (versions == m_versionFile.m_record) {
    // The versions were taken before, but a task-list request may have
    // failed since: ask again while a stored city was not merged at them.
    const COLVersionRecord& held = m_versionFile.m_record;
    for (int i = 0; i < m_updateFile.m_records.GetSize(); ++i) {
      const COLUpdateElement& server = m_updateFile.m_records[i].server;
      if (server.dataVersion.Compare(held.pictureVersion) != 0 || server.mapVersion.Compare(held.taskVersion) != 0) {
        RequestCityList();
        break;
      }
    }
    return 1;
  }
  COLVersionRecord previous = m_versionFile.m_record;
  m_versionFile.m_record = versions;
  if (!m_versionFile.Save()) {
    m_versionFile.m_record = previous;
    return 0;
  }
  if (m_updateFile.m_records.GetSize() > 0) {
    m_updateFile.Save();
    RequestCityList();
  }
  return 1;
}

int COLRecordMan::MergeServerList(CVArray<COLUpdateRecord>& list) {
  int updates = 0;
  int newCities = 0;
  for (int i = 0; i < list.GetSize(); ++i) {
    COLUpdateRecord& n = list[i];
    COLUpdateRecord* q = FindRecord(n.server.cityId);
    if (!q || q->local.status != kCityStatusFinished) {
      n.server.updateFlag = n.local.updateFlag = 0;
      newCities |= q ? 0 : 1;
      continue;
    }
    int nd = VersionNumber(n.server.dataVersion);
    int nm = VersionNumber(n.server.mapVersion);
    int nc = VersionNumber(n.server.cityVersion);
    int qd = VersionNumber(q->server.dataVersion);
    int qm = VersionNumber(q->server.mapVersion);
    int qc = VersionNumber(q->server.cityVersion);
    if (nd == qd && nm == qm && nc == qc && n.local.ratio != kCityRatioFinished) {
      n = *q;
    }
    bool notFinished = n.local.status != kCityStatusFinished;
    bool newer = (nc > qc || nd > qd) && notFinished;
    if (!newer && nm > qm && notFinished) {
      for (int g = 0; g < n.server.grids.GetSize() && !newer; ++g) {
        newer = !ListsGrid(q->local, n.server.grids[g]);
      }
    }
    if (newer) {
      n.server.updateFlag = n.local.updateFlag = 1;
      updates = 1;
    }
  }
  for (int i = 0; i < list.GetSize(); ++i) {
    AddOrRefresh(list[i]);
  }
  if (updates) {
    Post(2, kMsgOfflineProgress, kOLEventNewerData, 0);
  }
  if (newCities) {
    Post(1, kMsgOfflineCommand, kOLCodeStartNext, 0);
  }
  return 1;
}

int COLRecordMan::ReplaceFile(COLCityListFile& file, const void* bytes, const int* count, const char* name) {
  if (!count || !file.Replace(bytes, *count)) {
    return 0;
  }
  if (m_versions) {
    m_versions->UpdateLocalVersion(CVString(name));
  }
  return 1;
}

int COLRecordMan::ClearAll() {
  m_downloadQueue.RemoveAll();
  m_removalQueue.RemoveAll();
  m_updateFile.m_gridRefs.RemoveAll();
  m_updateFile.m_records.RemoveAll();
  m_updateFile.Save();
  m_wifilogFile.m_records.RemoveAll();
  m_wifilogFile.Save();
  if (m_packages) {
    m_packages->OnMessage(21, 0);
  }
  return 1;
}

void COLRecordMan::ServerListFromTasks(const CVArray<tag_OfflineTask>& tasks, const COLVersionRecord& versions,
                                       CVArray<COLUpdateRecord>& out) {
  out.RemoveAll();
  for (int i = 0; i < tasks.GetSize(); ++i) {
    const tag_OfflineTask& task = tasks[i];
    COLUpdateRecord record;
    COLUpdateElement& server = record.server;
    server.cityId = task.cityId;
    server.name = task.name;
    server.size = task.size;
    server.x = task.centreX;
    server.y = task.centreY;
    server.dataVersion = versions.pictureVersion;
    server.mapVersion = versions.taskVersion;
    server.baseLevel = task.level;
    server.startLevel = task.startLevel;
    server.endLevel = task.endLevel;
    server.cityVersion = task.version;
    bool usable = true;
    for (int g = 0; g < task.files.GetSize() && usable; ++g) {
      int x = 0;
      int y = 0;
      usable = ParseGridNameStrict(task.files[g].GetBuffer(), &x, &y);
      server.grids.Add(task.files[g]);
    }
    if (usable) {
      out.Add(record);
    }
  }
}

}  // namespace mapengine
