// Versions of the engine's small data files that the map service can replace
// ("OfflineSearch.dat", "OfflineHotcity.dat", "CMRequire.dat",
// "MPZoomCtl.dat"), kept in "VerDatset.dat" in the SDK data folder. The
// service's own list is compared with it and every file whose version
// differs is queued for download.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VString.h"

namespace mapengine {

class CUpdateReqMan;

struct CVerDatsetRecord {
  CVString fileName;
  CVString version;  // compared only for equality
};

class CVerDatsetMan {
public:
  CVerDatsetMan() = default;
  CVerDatsetMan(const CVerDatsetMan&) = delete;
  CVerDatsetMan& operator=(const CVerDatsetMan&) = delete;

  // Where the downloads of changed files are queued.
  void SetUpdateReqMan(CUpdateReqMan* requests) { m_requests = requests; }

  // Reads "VerDatset.dat" from the folder (ending in '/'). 1 when it was
  // read; 0 when the defaults were taken (missing or not JSON).
  int LoadFile(const CVString& folder);
  void SetDefaults();
  // Replaces "VerDatset.dat" atomically from the local records. 1 or 0.
  int Save();
  // The service's "VerDatset.dat": its records replace the server records
  // of an earlier reply, and each local file at another version is queued.
  // 1 when the body parsed.
  int OnVersionReply(const char* body, int length);
  // Takes the service's version of the file as the local one and saves;
  // 1, or 0 (nothing changed) when either side lacks the file or the save
  // failed.
  int UpdateLocalVersion(const CVString& fileName);

  const CVArray<CVerDatsetRecord>& LocalRecords() const { return m_local; }
  const CVArray<CVerDatsetRecord>& ServerRecords() const { return m_server; }

private:
  CVString m_folder;
  CVArray<CVerDatsetRecord> m_local;
  CVArray<CVerDatsetRecord> m_server;
  CUpdateReqMan* m_requests = nullptr;
};

// The download code of a data file ("OfflineSearch.dat" 4, "OfflineHotcity.dat"
// 3, "CMRequire.dat" 1, "MPZoomCtl.dat" 2); -1 for another name.
int DataFileCode(const CVString& fileName);

}  // namespace mapengine
