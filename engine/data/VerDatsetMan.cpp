#include "engine/data/VerDatsetMan.h"

#include "engine/data/OfflineFiles.h"
#include "engine/data/UpdateReqMan.h"

namespace mapengine {

namespace {

constexpr const char* kVerDatsetFile = "VerDatset.dat";
constexpr const char* kDataFiles[] = {"CMRequire.dat", "MPZoomCtl.dat", "OfflineHotcity.dat", "OfflineSearch.dat"};

// The records of a parsed list: "f" the file name, "a" or else "d" the version.
void ReadRecords(const VJson* root, CVArray<CVerDatsetRecord>& out) {
  for (const VJson* item = root && root->type == VJson_Array ? root->child : nullptr; item; item = item->next) {
    const VJson* name = VJson_GetObjectItem(item, "f");
    const VJson* version = VJson_GetObjectItem(item, "a");
    if (!version) {
      version = VJson_GetObjectItem(item, "d");
    }
    if (name && version) {
      out.Add(CVerDatsetRecord{JsonText(name), JsonText(version)});
    }
  }
}

int FindRecord(const CVArray<CVerDatsetRecord>& records, const CVString& fileName) {
  for (int i = 0; i < records.GetSize(); ++i) {
    if (records[i].fileName.Compare(fileName) == 0) {
      return i;
    }
  }
  return -1;
}

}  // namespace

int DataFileCode(const CVString& fileName) {
  for (int code = 1; code <= 4; ++code) {
    if (fileName.Compare(kDataFiles[code - 1]) == 0) {
      return code;
    }
  }
  return -1;
}

int CVerDatsetMan::LoadFile(const CVString& folder) {
  m_local.RemoveAll();
  m_server.RemoveAll();
  m_folder = folder;
  COLJsonFile file(folder + CVString(kVerDatsetFile));
  if (!file.root()) {
    SetDefaults();
    return 0;
  }
  ReadRecords(file.root(), m_local);
  return 1;
}

void CVerDatsetMan::SetDefaults() {
  m_local.Add(CVerDatsetRecord{CVString("OfflineHotcity.dat"), CVString("1.0.0")});
  m_local.Add(CVerDatsetRecord{CVString("OfflineSearch.dat"), CVString("1.0.0")});
}

int CVerDatsetMan::Save() {
  COLTextWriter writer;
  writer.Raw("[\r\n");
  for (int i = 0; i < m_local.GetSize(); ++i) {
    writer.Raw("{\"f\":").Quoted(m_local[i].fileName).Raw(",\"d\":").Quoted(m_local[i].version);
    writer.Raw(i + 1 < m_local.GetSize() ? "},\r\n" : "}\r\n");
  }
  writer.Raw("]");
  return writer.Save(m_folder + CVString(kVerDatsetFile));
}

int CVerDatsetMan::OnVersionReply(const char* body, int length) {
  COLJsonFile reply(body, length);
  if (!reply.root()) {
    return 0;
  }
  // Only this reply counts: a version from an earlier one is stale.
  m_server.RemoveAll();
  ReadRecords(reply.root(), m_server);
  for (int s = 0; s < m_server.GetSize(); ++s) {
    for (int l = 0; l < m_local.GetSize(); ++l) {
      const CVerDatsetRecord& local = m_local[l];
      int code = DataFileCode(local.fileName);
      if (local.fileName.Compare(m_server[s].fileName) == 0 && local.version.Compare(m_server[s].version) != 0 &&
          code > 0 && m_requests) {
        m_requests->AddFileRequest(local.fileName, code);
      }
    }
  }
  return 1;
}

int CVerDatsetMan::UpdateLocalVersion(const CVString& fileName) {
  int local = FindRecord(m_local, fileName);
  int server = FindRecord(m_server, fileName);
  if (local < 0 || server < 0) {
    return 0;
  }
  CVString kept = m_local[local].version;
  m_local[local].version = m_server[server].version;
  if (!Save()) {
    m_local[local].version = kept;
    return 0;
  }
  return 1;
}

}  // namespace mapengine
