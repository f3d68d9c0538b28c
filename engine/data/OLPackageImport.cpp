// Import of offline packages: the zip files of the Documents folder whose
// city is not older than the stored one are unpacked into the SDK data
// folder, smallest city first, then checked and merged. A zip is deleted
// only once its city is merged, so a refused or interrupted import loses
// nothing.
#include <cstring>
#include <filesystem>

#include "engine/base/Unzip.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLPackageMan.h"
#include "engine/data/OLZipReader.h"
#include "engine/data/OLRecordMan.h"

namespace mapengine {

namespace {

// A version text read as an integer; empty counts as 0.
int VersionNumber(const CVString& text) { return text.IsEmpty() ? 0 : wide_atoi(text.GetBuffer()); }

// The bytes unpacking the zip writes; -1 when it cannot be read.
double UnpackedBytes(const CVString& zipPath) {
  CZipReader zip(zipPath);
  double total = 0;
  return zip.Walk([&](const char*, unsigned long long size) {
    total += static_cast<double>(size);
    return true;
  })
             ? total
             : -1;
}

}  // namespace

int COLPackageMan::FreeBytes(double* freeBytes) {
  if (m_diskFree) {
    return m_diskFree(freeBytes);
  }
  // The packages are unpacked into the SDK data folder: its file system counts.
  char path[kFilePathBytes];
  int n = WideToMultiByte(kCodePageUtf8, m_sdkFolder.GetBuffer(), m_sdkFolder.GetLength(), nullptr, 0);
  if (n <= 0 || n >= kFilePathBytes) {
    return 0;
  }
  WideToMultiByte(kCodePageUtf8, m_sdkFolder.GetBuffer(), m_sdkFolder.GetLength(), path, kFilePathBytes - 1);
  path[n] = 0;
  std::error_code error;
  std::filesystem::space_info space = std::filesystem::space(path, error);
  if (error) {
    return 0;
  }
  *freeBytes = static_cast<double>(space.available);
  return 1;
}

void* COLPackageMan::ImportThreadProc(void* manager) {
  static_cast<COLPackageMan*>(manager)->RunImport();
  return nullptr;
}

void COLPackageMan::RunImport() {
  double freeBytes = 0;
  if (!FreeBytes(&freeBytes)) {
    m_importing = 0;
    Post(2, kMsgOfflineProgress, kOLEventImportEnded, 1);
    return;
  }
  CVArray<CVString, CVString&> zips;
  CVString documents = m_documentsFolder;
  int total = ListFolderFiles(documents, CVString(".zip"), zips);
  int accepted = total > 0 ? BuildImportList() : 0;
  int left = total - accepted;
  bool failed = accepted == 0;
  m_unpacked.RemoveAll();
  for (int i = 0; i < m_importList.GetSize(); ++i) {
    const tagOffLineFileInfo& package = m_importList[i];
    Post(2, kMsgOfflineProgress, kOLEventImportPackage, i + 1);
    CVString zipPath = m_documentsFolder + package.zipName;
    double needed = UnpackedBytes(zipPath);
    if (!FreeBytes(&freeBytes) || static_cast<double>(static_cast<unsigned>(package.citySize)) > freeBytes - kSpareBytes ||
        needed > freeBytes - kSpareBytes) {
      left = total - i;
      failed = true;
      break;
    }
    if (!ImportPackage(zipPath)) {
      left = total - i;
      failed = true;
      break;
    }
    m_unpacked.Add(package);
  }
  int taken = CheckPackages(m_sdkFolder);
  Post(2, kMsgOfflineProgress, kOLEventImportEnded, failed ? 1 : 0);
  if (taken == 0 && total > 0) {
    left = total;
  }
  if (left > 0) {
    Post(2, kMsgOfflineProgress, kOLEventPackagesLeft, left);
  }
  m_unpacked.RemoveAll();
  m_importing = 0;
}

int COLPackageMan::BuildImportList() {
  double freeBytes = 0;
  if (!FreeBytes(&freeBytes)) {
    return 0;
  }
  m_importList.RemoveAll();
  CVArray<CVString, CVString&> zips;
  CVString documents = m_documentsFolder;
  ListFolderFiles(documents, CVString(".zip"), zips);
  for (int i = 0; i < zips.GetSize(); ++i) {
    tagOffLineFileInfo info;
    if (ClassifyPackage(m_documentsFolder + zips[i], &info) != 3) {
      continue;
    }
    CVFile zip;
    info.zipSize = zip.Open(m_documentsFolder + zips[i], kVFileRead) ? zip.GetLength() : 0;
    info.zipName = zips[i];
    // Smallest city first; sizes compared as unsigned, equal sizes keep their order.
    int at = m_importList.GetSize();
    while (at > 0 && static_cast<unsigned>(m_importList[at - 1].citySize) > static_cast<unsigned>(info.citySize)) {
      --at;
    }
    m_importList.InsertAt(at, info);
  }
  return m_importList.GetSize();
}

int COLPackageMan::ClassifyPackage(const CVString& zipPath, tagOffLineFileInfo* info) {
  if (!UnzipConfigFiles(zipPath.GetBuffer(), m_sdkFolder.GetBuffer(), nullptr)) {
    return 0;
  }
  if (!ReadPackageConfig(zipPath)) {
    return 1;
  }
  const COLUpdateElement& package = m_packageRecord.local;
  COLUpdateRecord stored;
  if (m_records && m_records->DoCommand(kOLGetUpdateRecord, const_cast<int*>(&package.cityId), &stored)) {
    int pd = VersionNumber(package.dataVersion);
    int pm = VersionNumber(package.mapVersion);
    int pc = VersionNumber(package.cityVersion);
    int sd = VersionNumber(stored.local.dataVersion);
    int sm = VersionNumber(stored.local.mapVersion);
    int sc = VersionNumber(stored.local.cityVersion);
    if (!(pd == sd && pm == sm && pc == sc) && sd >= pd && sm >= pm && sc >= pc) {
      return 2;
    }
  }
  if (info) {
    info->cityId = package.cityId;
    info->citySize = package.size;
    info->cityName = package.name;
    info->version = package.cityVersion + CVString(".") + package.dataVersion + CVString(".") + package.mapVersion;
  }
  return 3;
}

int COLPackageMan::ReadPackageConfig(const CVString& zipPath) {
  CVString path;
  CZipReader zip(zipPath);
  zip.Walk([&](const char* name, unsigned long long) {
    if (!std::strstr(name, ".cfg")) {
      return true;
    }
    path = EntryPathBelow(m_sdkFolder, name);
    return false;
  });
  if (path.IsEmpty()) {
    return 0;
  }
  COLUpdateRecord record;
  int read = ReadPackageRecord(path, record);
  if (read) {
    m_packageRecord = record;
  }
  RemoveFile(path);
  return read;
}

int COLPackageMan::ImportPackage(const CVString& zipPath) {
  return ClassifyPackage(zipPath, nullptr) == 3 && UnzipAllFiles(zipPath.GetBuffer(), m_sdkFolder.GetBuffer()) ? 1 : 0;
}

void COLPackageMan::DeleteImportedZip(int cityId) {
  for (int i = 0; i < m_unpacked.GetSize(); ++i) {
    if (m_unpacked[i].cityId == cityId) {
      RemoveFile(m_documentsFolder + m_unpacked[i].zipName);
      m_unpacked.RemoveAt(i);
      return;
    }
  }
}

}  // namespace mapengine
