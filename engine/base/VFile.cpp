#include "engine/base/VFile.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/base/VCMMap.h"

namespace mapengine {

namespace {

// The UTF-8 bytes of a path into out (capacity bytes, terminator included);
// false when it does not fit.
bool PathBytes(const unsigned short* path, int units, char* out, int capacity) {
  if (!path || units <= 0) {
    return false;
  }
  int n = WideToMultiByte(kCodePageUtf8, path, units, nullptr, 0);
  if (n <= 0 || n >= capacity) {
    return false;
  }
  WideToMultiByte(kCodePageUtf8, path, units, out, capacity - 1);
  out[n] = 0;
  return true;
}

bool PathBytes(const CVString& path, char* out, int capacity) {
  return PathBytes(path.GetBuffer(), path.GetLength(), out, capacity);
}

// Appends '/' unless the text ends in one; false when it does not fit.
bool EndWithSlash(char* path, int capacity) {
  size_t len = std::strlen(path);
  if (len > 0 && path[len - 1] == '/') {
    return true;
  }
  if (len + 2 > static_cast<size_t>(capacity)) {
    return false;
  }
  path[len] = '/';
  path[len + 1] = 0;
  return true;
}

CVString NameFromBytes(const char* name, int maxUnits) {
  CVString result;
  int units = MultiByteToWide(kCodePageUtf8, name, static_cast<int>(std::strlen(name)), nullptr, 0);
  if (units > 0 && units <= maxUnits && result.AllocBuffer(units)) {
    MultiByteToWide(kCodePageUtf8, name, static_cast<int>(std::strlen(name)), result.GetBuffer(), units);
  }
  return result;
}

bool MakeFolders(char* path) {
  for (char* p = path + 1; *p; ++p) {
    if (*p != '/') {
      continue;
    }
    *p = 0;
    struct stat st;
    bool ok = stat(path, &st) == 0 || mkdir(path, 0755) == 0 || errno == EEXIST;
    *p = '/';
    if (!ok) {
      return false;
    }
  }
  return true;
}

bool DocumentsFolder(char* out, int capacity) {
  unsigned short docs[kPathUnits];
  int len = GetDocumentPath(docs, kPathUnits);
  for (int i = 0; i < len; ++i) {
    if (docs[i] == '\\') {
      docs[i] = '/';
    }
  }
  while (len > 0 && docs[len - 1] != '/') {
    --len;
  }
  return PathBytes(docs, len, out, capacity);
}

VFileWriteHook g_writeHook = nullptr;

}  // namespace

void SetVFileWriteHook(VFileWriteHook hook) { g_writeHook = hook; }

CVFile::~CVFile() { Close(); }

int CVFile::Open(const CVString& path, unsigned mode) {
  Close();
  char bytes[kFilePathBytes];
  if (!PathBytes(path, bytes, sizeof bytes)) {
    return 0;
  }
  unsigned access = mode & 7;
  const char* how = access == kVFileRead                                                       ? "rb"
                    : (access == kVFileReadWrite || access == kVFileUpdate) && !(mode & kVFileCreate) ? "r+b"
                                                                                                : "w+b";
  m_pFile = std::fopen(bytes, how);
  return m_pFile ? 1 : 0;
}

int CVFile::Close() {
  if (!m_pFile) {
    return 0;
  }
  FILE* file = m_pFile;
  m_pFile = nullptr;
  return std::fclose(file) == 0 ? 0 : (errno ? errno : EOF);
}

unsigned CVFile::Read(void* buffer, unsigned length) {
  if (!m_pFile || !buffer || length == 0) {
    return 0;
  }
  return static_cast<unsigned>(std::fread(buffer, 1, length, m_pFile));
}

unsigned CVFile::Write(const void* buffer, unsigned length) {
  if (!m_pFile || !buffer || length == 0) {
    return 0;
  }
  if (g_writeHook) {
    g_writeHook(length);
  }
  return static_cast<unsigned>(std::fwrite(buffer, 1, length, m_pFile));
}

int CVFile::Seek(int offset, int origin) {
  if (!m_pFile || origin < 0 || origin > 2) {
    return m_pFile ? -1 : 0;
  }
  static const int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (std::fseek(m_pFile, offset, kWhence[origin]) != 0) {
    return -1;
  }
  return GetPosition();
}

int CVFile::SeekToBegin() {
  Seek(0, 0);
  return 0;
}

int CVFile::SeekToEnd() { return Seek(0, 2); }

int CVFile::GetPosition() const { return m_pFile ? static_cast<int>(std::ftell(m_pFile)) : 0; }

int CVFile::GetLength() const {
  if (!m_pFile) {
    return 0;
  }
  long position = std::ftell(m_pFile);
  std::fseek(m_pFile, 0, SEEK_END);
  long length = std::ftell(m_pFile);
  std::fseek(m_pFile, position, SEEK_SET);
  return static_cast<int>(length);
}

int CVFile::Flush() { return m_pFile ? std::fflush(m_pFile) : 0; }

int ListFolderFiles(CVString& folder, const CVString& filter, CVArray<CVString, CVString&>& names) {
  if (folder.GetLength() >= 256 || filter.GetLength() >= 32) {
    return 0;
  }
  names.RemoveAll();
  folder.ReplaceChar('\\', '/');
  char dir[kFolderPathBytes];
  if (!PathBytes(folder, dir, sizeof dir) || !EndWithSlash(dir, sizeof dir)) {
    return 0;
  }
  char pattern[40] = "";
  if (!filter.IsEmpty()) {
    CVString dotted = filter[0] == '.' ? filter : CVString(".") + filter;
    if (!PathBytes(dotted, pattern, 33)) {
      return 0;
    }
  }
  DIR* d = opendir(dir);
  if (!d) {
    return 0;
  }
  while (dirent* entry = readdir(d)) {
    if (entry->d_name[0] == '.' || (pattern[0] && !std::strstr(entry->d_name, pattern))) {
      continue;
    }
    CVString name = NameFromBytes(entry->d_name, CVString::kMaxLength);
    if (!name.IsEmpty()) {
      names.Add(name);
    }
  }
  closedir(d);
  return names.GetSize();
}

int FolderExists(const CVString& path) {
  char bytes[kFolderPathBytes];
  if (!PathBytes(path, bytes, sizeof bytes - 1)) {
    return 0;
  }
  std::strcat(bytes, "/");
  return access(bytes, F_OK) == 0 ? 1 : 0;
}

int CreateFolderPath(const CVString& path) {
  char bytes[kFolderPathBytes];
  if (!PathBytes(path, bytes, sizeof bytes) || !EndWithSlash(bytes, sizeof bytes)) {
    return 0;
  }
  return MakeFolders(bytes) ? 1 : 0;
}

int MoveFile(const CVString& source, const CVString& destination) {
  char from[kFilePathBytes];
  char to[kFilePathBytes];
  if (!PathBytes(source, from, sizeof from) || !PathBytes(destination, to, sizeof to)) {
    return 0;
  }
  std::string parent(to, std::strrchr(to, '/') ? std::strrchr(to, '/') - to + 1 : 0);
  if (!parent.empty()) {
    MakeFolders(parent.data());
  }
  std::error_code error;
  std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing, error);
  if (error) {
    return 0;
  }
  std::remove(from);
  return 1;
}

int RemoveFile(const CVString& path) {
  char bytes[kFilePathBytes];
  return PathBytes(path, bytes, sizeof bytes) && std::remove(bytes) == 0 ? 1 : 0;
}

int ListDownloadedPackages(CVArray<void*, void*>& packages) {
  char folder[kFilePathBytes];
  if (!DocumentsFolder(folder, sizeof folder)) {
    return 0;
  }
  DIR* d = opendir(folder);
  if (!d) {
    return 0;
  }
  while (dirent* entry = readdir(d)) {
    if (entry->d_name[0] == '.' || !std::strstr(entry->d_name, ".zip")) {
      continue;
    }
    CVString name = NameFromBytes(entry->d_name, 64);
    if (name.IsEmpty()) {
      continue;  // a name the record cannot hold
    }
    CVFile file;
    if (!file.Open(NameFromBytes(folder, kPathUnits) + name, kVFileRead)) {
      continue;
    }
    auto* record = VNew<tagDownloadedPackage>();
    if (!record) {
      break;
    }
    record->size = file.GetLength();
    record->name = name;
    if (packages.Add(record) < 0) {
      VDelete(record);
      break;
    }
  }
  closedir(d);
  return packages.GetSize();
}

int ListDownloadedPackages(int, CVArray<void*, void*>& packages, int) { return ListDownloadedPackages(packages); }

int GetDiskSpace(tagDiskSpace* space) {
  if (!space) {
    return 0;
  }
  char folder[kFilePathBytes];
  struct statvfs st;
  if (!DocumentsFolder(folder, sizeof folder) || statvfs(folder, &st) != 0) {
    space->total = space->free = 0;
    return 0;
  }
  space->total = static_cast<double>(st.f_blocks) * static_cast<double>(st.f_frsize);
  space->free = static_cast<double>(st.f_bavail) * static_cast<double>(st.f_frsize);
  return 1;
}

void GetDiskSpaceValues(double* total, double* free) {
  tagDiskSpace space{0, 0};
  GetDiskSpace(&space);
  if (total) {
    *total = space.total;
  }
  if (free) {
    *free = space.free;
  }
}

CVString GetDeviceId() {
  std::ifstream in("/etc/machine-id");
  std::string id;
  std::getline(in, id);
  return NameFromBytes(id.c_str(), 64);
}

CVString GetIMEI() { return CVString("000000000000000"); }

tagIntPair* InitIntPair(tagIntPair* pair) {
  if (pair) {
    pair->first = pair->second = 0;
  }
  return pair;
}

}  // namespace mapengine
