// The check pass over unpacked packages: each city's record file (".cfg")
// and check file (".chk") are read, every listed tile file is verified by
// its size and the MD5 digests of its first and last 1024 bytes, the files
// are renamed into the offline grid data folder and the city is merged into
// the record store.
#include <cctype>
#include <climits>
#include <cstring>

#include "engine/base/MD5.h"
#include "engine/base/Unzip.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLZipReader.h"
#include "engine/data/OLRecordMan.h"
#include "engine/data/OfflineFiles.h"

namespace mapengine {

namespace {

constexpr int kDigestBytes = 1024;

// The keys of the record file, local then server, in the order they are read.
constexpr const char* kRecordKeys[] = {"i", "n", "r", "u", "l", "x", "y", "dv", "mv", "b", "s", "e", "cv", "t"};

bool ReadRecordElement(const VJson* object, char prefix, COLUpdateElement& e) {
  const VJson* found[14];
  for (int k = 0; k < 14; ++k) {
    char name[8];
    name[0] = prefix;
    std::strcpy(name + 1, kRecordKeys[k]);
    if (!(found[k] = VJson_GetObjectItem(object, name))) {
      return false;
    }
  }
  // The ratio is a percent: a value whose ratio an int cannot hold is none.
  if (found[2]->valueint > INT_MAX / 100 || found[2]->valueint < INT_MIN / 100) {
    return false;
  }
  e.cityId = JsonNumberInText(found[0]);
  e.name = JsonText(found[1]);
  e.ratio = found[2]->valueint * 100;
  e.size = found[3]->valueint;
  e.status = found[4]->valueint;
  e.x = found[5]->valueint;
  e.y = found[6]->valueint;
  e.dataVersion = JsonText(found[7]);
  e.mapVersion = JsonText(found[8]);
  e.baseLevel = JsonNumberInText(found[9]);
  e.startLevel = JsonNumberInText(found[10]);
  e.endLevel = JsonNumberInText(found[11]);
  e.cityVersion = JsonText(found[12]);
  e.updateFlag = 0;
  e.grids.RemoveAll();
  if (found[13]->type != VJson_Array) {
    return false;
  }
  for (const VJson* item = found[13]->child; item; item = item->next) {
    CVString name = JsonText(VJson_GetObjectItem(item, "d"));
    int x = 0;
    int y = 0;
    if (!ParseGridNameStrict(name.GetBuffer(), &x, &y)) {
      return false;  // names become file names: nothing else is taken
    }
    e.grids.Add(name);
  }
  return true;
}

// A tile file name "x_y..." of the package: its sub-folder "x/10_y/10/".
// Only names without a folder part that end in ".map" are taken.
bool TileSubFolder(const CVString& name, CVString& folder) {
  const unsigned short* at = name.GetBuffer();
  int length = name.GetLength();
  if (!at || length < 7 || name.Find(VStr(u"..")) >= 0 || name.Find(static_cast<unsigned short>('/')) >= 0 ||
      name.Find(static_cast<unsigned short>('\\')) >= 0 || name.Right(4).Compare(".map") != 0) {
    return false;
  }
  int bar = name.Find(static_cast<unsigned short>('_'), 1);
  if (bar < 0) {
    return false;
  }
  int rest = name.Find(static_cast<unsigned short>('_'), bar + 1);
  int end = rest >= 0 ? rest : name.Find(static_cast<unsigned short>('.'), bar + 1);
  CVString grid = name.Left(end);
  int x = 0;
  int y = 0;
  if (!ParseGridNameStrict(grid.GetBuffer(), &x, &y)) {
    return false;
  }
  folder.Format(VStr(u"%d_%d/"), x / 10, y / 10);
  return true;
}

// The MD5 of count bytes at the offset, lowercase hex; false on a short read.
bool DigestAt(CVFile& file, int offset, char (&hex)[33]) {
  unsigned char bytes[kDigestBytes];
  if (file.Seek(offset, 0) != offset || file.Read(bytes, kDigestBytes) != kDigestBytes) {
    return false;
  }
  MD5::DigestString(hex, bytes, kDigestBytes);
  return true;
}

bool SameDigest(const char* computed, const char* listed) {
  if (std::strlen(listed) != 32) {
    return false;
  }
  for (int i = 0; i < 32; ++i) {
    if (computed[i] != std::tolower(static_cast<unsigned char>(listed[i]))) {
      return false;
    }
  }
  return true;
}

bool FileMatches(const CVString& path, const tag_CheckInfo& entry) {
  CVFile file;
  if (!file.Open(path, kVFileRead) || file.GetLength() != entry.size || entry.size < kDigestBytes) {
    return false;
  }
  char start[33];
  char end[33];
  return DigestAt(file, 0, start) && SameDigest(start, entry.startDigest) &&
         DigestAt(file, entry.size - kDigestBytes, end) && SameDigest(end, entry.endDigest);
}

CVString TargetName(const CVString& name) { return name.Left(name.GetLength() - 4) + CVString(".dat"); }

bool Contains(const CVArray<CVString, CVString&>& names, const CVString& name) {
  for (int i = 0; i < names.GetSize(); ++i) {
    if (names[i].Compare(name) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

int COLPackageMan::ReadPackageRecord(const CVString& path, COLUpdateRecord& record) {
  COLJsonFile file(path);
  const VJson* root = file.root();
  if (!root || root->type != VJson_Array || VJson_GetArraySize(root) != 1) {
    return 0;
  }
  COLUpdateRecord fresh;
  if (!ReadRecordElement(root->child, 'l', fresh.local) || !ReadRecordElement(root->child, 's', fresh.server)) {
    return 0;
  }
  record = fresh;
  return 1;
}

int COLPackageMan::ReadCheckFile(const CVString& path, CVArray<tag_CheckInfo>& list) {
  COLJsonFile file(path);
  const VJson* root = file.root();
  if (!root) {
    return 0;
  }
  // An entry skipped (a key missing, a digest that does not fit its field)
  // is a file nobody verified: the list read is not the whole list.
  int whole = 1;
  for (const VJson* item = root->type == VJson_Array ? root->child : nullptr; item; item = item->next) {
    const VJson* name = VJson_GetObjectItem(item, "name");
    const VJson* size = VJson_GetObjectItem(item, "size");
    const VJson* start = VJson_GetObjectItem(item, "smd5");
    const VJson* end = VJson_GetObjectItem(item, "emd5");
    tag_CheckInfo entry;
    if (!name || !size || !start || !end || start->type != VJson_String || end->type != VJson_String ||
        std::strlen(start->valuestring) >= sizeof entry.startDigest ||
        std::strlen(end->valuestring) >= sizeof entry.endDigest) {
      whole = 0;
      continue;
    }
    entry.name = JsonText(name);
    entry.size = size->valueint;
    std::strcpy(entry.startDigest, start->valuestring);
    std::strcpy(entry.endDigest, end->valuestring);
    list.Add(entry);
  }
  return whole;
}

int COLPackageMan::IsPackageNewer(const COLUpdateRecord& record) {
  COLUpdateRecord stored;
  int id = record.local.cityId;
  if (!m_records || !m_records->DoCommand(kOLGetUpdateRecord, &id, &stored)) {
    return 1;
  }
  const COLUpdateElement& s = stored.local;
  const COLUpdateElement& p = record.local;
  if (s.dataVersion.IsEmpty() || s.mapVersion.IsEmpty() || s.cityVersion.IsEmpty()) {
    return 0;
  }
  return wide_atoi(p.dataVersion.GetBuffer()) >= wide_atoi(s.dataVersion.GetBuffer()) &&
                 wide_atoi(p.mapVersion.GetBuffer()) >= wide_atoi(s.mapVersion.GetBuffer()) &&
                 wide_atoi(p.cityVersion.GetBuffer()) >= wide_atoi(s.cityVersion.GetBuffer())
             ? 1
             : 0;
}

int COLPackageMan::CheckPackages(const CVString& sdkFolder) {
  m_movedNames.RemoveAll();
  CVString folder = UnpackFolder(sdkFolder);
  CVArray<CVString, CVString&> records;
  if (!FolderExists(folder)) {
    Post(2, kMsgOfflineProgress, kOLEventCheckEnded, 0);
    return 0;
  }
  ListFolderFiles(folder, CVString("cfg"), records);
  int taken = 0;
  for (int i = 0; i < records.GetSize(); ++i) {
    taken += CheckPackage(folder + records[i]);
  }
  Post(2, kMsgOfflineProgress, kOLEventCheckEnded, taken);
  return taken;
}

bool COLPackageMan::VerifyEntry(const tag_CheckInfo& entry, bool* alreadyMoved) {
  CVString sub;
  if (!TileSubFolder(entry.name, sub)) {
    return false;
  }
  *alreadyMoved = false;
  if (FileMatches(UnpackFolder(m_sdkFolder) + sub + entry.name, entry)) {
    return true;
  }
  CVString target = COLRecordMan::GridFolder(m_sdkFolder) + sub + TargetName(entry.name);
  CVFile source;
  if (!source.Open(UnpackFolder(m_sdkFolder) + sub + entry.name, kVFileRead) && FileMatches(target, entry)) {
    *alreadyMoved = true;
    return true;
  }
  return false;
}

void COLPackageMan::RemoveUnpackedCity(int cityId, const CVString& recordFile, const CVArray<tag_CheckInfo>& entries) {
  // The zip tells what was unpacked, even under names the check file gets wrong.
  for (int i = 0; i < m_unpacked.GetSize(); ++i) {
    if (m_unpacked[i].cityId == cityId) {
      CZipReader zip(m_documentsFolder + m_unpacked[i].zipName);
      zip.Walk([&](const char* name, unsigned long long) {
        CVString path = EntryPathBelow(m_sdkFolder, name);
        if (!path.IsEmpty()) {
          RemoveFile(path);
        }
        return true;
      });
    }
  }
  for (int i = 0; i < entries.GetSize(); ++i) {
    CVString sub;
    if (TileSubFolder(entries[i].name, sub) && !Contains(m_movedNames, entries[i].name)) {
      RemoveFile(UnpackFolder(m_sdkFolder) + sub + entries[i].name);
    }
  }
  RemoveFile(recordFile);
  RemoveFile(recordFile.Left(recordFile.GetLength() - 4) + CVString(".chk"));
}

int COLPackageMan::CheckPackage(const CVString& recordFile) {
  COLUpdateRecord record;
  if (!ReadPackageRecord(recordFile, record) || !IsPackageNewer(record)) {
    return 0;
  }
  int dot = recordFile.ReverseFind('.');
  CVString checkFile = (dot >= 0 ? recordFile.Left(dot) : recordFile) + CVString(".chk");
  CVArray<tag_CheckInfo> entries;
  if (!ReadCheckFile(checkFile, entries)) {
    // Files that cannot be verified are never merged as a finished city.
    RemoveUnpackedCity(record.local.cityId, recordFile, entries);
    return 0;
  }
  CVArray<int, int> moved;  // per entry: 1 when it is already in the grid folder
  for (int i = 0; i < entries.GetSize(); ++i) {
    bool alreadyMoved = false;
    if (!Contains(m_movedNames, entries[i].name) && !VerifyEntry(entries[i], &alreadyMoved)) {
      RemoveUnpackedCity(record.local.cityId, recordFile, entries);
      return 0;
    }
    moved.Add(alreadyMoved ? 1 : 0);
  }
  for (int i = 0; i < entries.GetSize(); ++i) {
    if (Contains(m_movedNames, entries[i].name)) {
      continue;
    }
    CVString sub;
    TileSubFolder(entries[i].name, sub);
    if (!moved[i] && !RenameFile(UnpackFolder(m_sdkFolder) + sub + entries[i].name,
                                 PathBelowFolder(COLRecordMan::GridFolder(m_sdkFolder),
                                                 sub + TargetName(entries[i].name)))) {
      return 0;
    }
    m_movedNames.Add(entries[i].name);
  }
  CVArray<COLUpdateRecord> list;
  list.Add(record);
  if (!m_records || !m_records->DoCommand(kOLMergeServerList, &list, nullptr)) {
    return 0;
  }
  RemoveFile(recordFile);
  RemoveFile(checkFile);
  DeleteImportedZip(record.local.cityId);
  return 1;
}

}  // namespace mapengine
