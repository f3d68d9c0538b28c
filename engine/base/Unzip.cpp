#include "engine/base/Unzip.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstring>

#include "engine/base/VCMMap.h"
#include "engine/base/VFile.h"
#include "engine/base/VMem.h"

namespace mapengine {

namespace {

// The UTF-8 bytes of a text into out, as the file functions make them;
// -1 when they do not fit.
int Utf8Bytes(const CVString& text, char (&out)[kFilePathBytes]) {
  int n = WideToMultiByte(kCodePageUtf8, text.GetBuffer(), text.GetLength(), nullptr, 0);
  if (n <= 0 || n >= kFilePathBytes) {
    return -1;
  }
  WideToMultiByte(kCodePageUtf8, text.GetBuffer(), text.GetLength(), out, kFilePathBytes - 1);
  out[n] = 0;
  return n;
}

// A component of a path below the folder: not empty, not "." or "..", no '\\'.
bool SafeComponent(const char* start, size_t length) {
  return length > 0 && !(length == 1 && start[0] == '.') && !(length == 2 && start[0] == '.' && start[1] == '.') &&
         std::memchr(start, '\\', length) == nullptr;
}

// The stored name has no NUL inside its stored length.
bool WholeEntryName(const char* name, uLong storedLength) { return std::strlen(name) == storedLength; }

// The entry is stored as a symbolic link (Unix mode in the high bits).
bool IsLinkEntry(const unz_file_info64& info) { return ((info.external_fa >> 16) & S_IFMT) == S_IFLNK; }

// The bytes of the target folder as GBK, which bound the output paths.
int GbkBytes(const CVString& text) { return WideToMultiByte(kCodePageGbk, text.GetBuffer(), text.GetLength(), nullptr, 0); }

// minizip does not open an archive without entries (nothing but the 22-byte
// end record), which is still a valid, empty package.
bool IsEmptyArchive(const char* path) {
  unsigned char record[23] = {};
  std::FILE* file = std::fopen(path, "rb");
  size_t n = file ? std::fread(record, 1, sizeof record, file) : 0;
  if (file) {
    std::fclose(file);
  }
  return n == 22 && std::memcmp(record, "PK\x05\x06", 4) == 0 && record[8] == 0 && record[9] == 0 &&
         record[10] == 0 && record[11] == 0;
}

// The copy buffer: as large as possible up to kUnzipCopyBuffer.
unsigned char* AllocCopyBuffer(int& size) {
  for (size = kUnzipCopyBuffer; size > 0; size /= 2) {
    if (auto* buffer = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(size)))) {
      return buffer;
    }
  }
  return nullptr;
}

// An open package and its converted target folder.
class Package {
public:
  ~Package() {
    if (m_zip) {
      unzClose(m_zip);
    }
  }

  // Opens the zip, reads its entry count against the cap and creates the
  // target folder. false on any failure.
  bool Open(const unsigned short* zipPath, const unsigned short* targetFolder, const tagUnzipLimits& limits) {
    char path[kFilePathBytes];
    int n = zipPath ? WideToMultiByte(kCodePageUtf8, zipPath, -1, nullptr, 0) : 0;
    if (n <= 0 || n >= kFilePathBytes || !targetFolder) {
      return false;
    }
    WideToMultiByte(kCodePageUtf8, zipPath, -1, path, kFilePathBytes - 1);
    path[n] = 0;
    m_zip = unzOpen64(path);
    unz_global_info64 info;
    if (m_zip) {
      if (unzGetGlobalInfo64(m_zip, &info) != UNZ_OK || info.number_entry > static_cast<ZPOS64_T>(limits.maxEntries)) {
        return false;
      }
      m_entries = info.number_entry;
    } else if (!IsEmptyArchive(path)) {
      return false;
    }
    m_target = CVString(targetFolder);
    int t = GbkBytes(m_target);
    if (t <= 0 || t + 2 > kUnzipPathBytes || !CreateFolderPath(m_target)) {
      return false;
    }
    if (m_target[m_target.GetLength() - 1] != '/') {
      m_target += "/";
    }
    return true;
  }

  unzFile zip() const { return m_zip; }
  const CVString& target() const { return m_target; }
  ZPOS64_T entries() const { return m_entries; }

private:
  unzFile m_zip = nullptr;
  ZPOS64_T m_entries = 0;
  CVString m_target;
};

// Reads the current entry's information; false when it cannot be read or its
// name does not fit the buffer (minizip then leaves the name unterminated).
bool EntryInfo(unzFile zip, unz_file_info64& info, char (&name)[kUnzipPathBytes]) {
  return unzGetCurrentFileInfo64(zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) == UNZ_OK &&
         info.size_filename < sizeof name;
}

// Copies the open entry into the file; false on a read error, a short write,
// more bytes than the entry declared or the budget allows, or a CRC mismatch.
bool CopyEntry(unzFile zip, CVFile& file, const unz_file_info64& info, int bufferSize, unsigned char* buffer,
               tagUnzipBudget& budget) {
  unsigned long long written = 0;
  for (;;) {
    int n = unzReadCurrentFile(zip, buffer, static_cast<unsigned>(bufferSize));
    if (n < 0) {
      return false;
    }
    if (n == 0) {
      break;
    }
    written += static_cast<unsigned>(n);
    if (written > info.uncompressed_size || static_cast<long long>(written) > budget.bytesLeft ||
        file.Write(buffer, static_cast<unsigned>(n)) != static_cast<unsigned>(n)) {
      return false;
    }
  }
  budget.bytesLeft -= static_cast<long long>(written);
  return true;
}

}  // namespace

CVString PathBelowFolder(const CVString& folder, const CVString& relative) {
  if (folder.IsEmpty() || relative.IsEmpty()) {
    return CVString();
  }
  CVString base = folder;
  if (base[base.GetLength() - 1] != '/') {
    base += "/";
  }
  CVString path = base + relative;
  char baseBytes[kFilePathBytes];
  char bytes[kFilePathBytes];
  int b = Utf8Bytes(base, baseBytes);
  int n = Utf8Bytes(path, bytes);
  if (b < 0 || n <= b || std::memcmp(bytes, baseBytes, static_cast<size_t>(b)) != 0) {
    return CVString();
  }
  bool exists = true;  // every component so far exists; below a missing one nothing does
  for (char* start = bytes + b; *start;) {
    char* slash = std::strchr(start, '/');
    size_t length = slash ? static_cast<size_t>(slash - start) : std::strlen(start);
    if (!SafeComponent(start, length)) {
      return CVString();
    }
    char* end = start + length;
    char kept = *end;
    *end = 0;
    struct stat st;
    exists = exists && lstat(bytes, &st) == 0;
    *end = kept;
    if (exists && S_ISLNK(st.st_mode)) {
      return CVString();
    }
    start = slash ? slash + 1 : end;
  }
  return path;
}

CVString EntryPathBelow(const CVString& folder, const char* gbkName) {
  return gbkName ? PathBelowFolder(folder, CVString(gbkName)) : CVString();
}

int UnzipCurrentEntry(unzFile zip, const CVString& target, int bufferSize, unsigned char* buffer,
                      tagUnzipBudget& budget, bool deleteTmp) {
  unz_file_info64 info;
  char name[kUnzipPathBytes];
  if (!zip || target.IsEmpty() || !buffer || bufferSize <= 0 || !EntryInfo(zip, info, name)) {
    return 0;
  }
  if (!WholeEntryName(name, info.size_filename) || IsLinkEntry(info) ||
      static_cast<size_t>(GbkBytes(target)) + std::strlen(name) >= static_cast<size_t>(kUnzipPathBytes) ||
      info.uncompressed_size > static_cast<unsigned long long>(budget.bytesLeft)) {
    return 0;
  }
  CVString outPath = EntryPathBelow(target, name);
  if (outPath.IsEmpty()) {
    return 0;
  }
  for (int i = target.GetLength(); i < outPath.GetLength(); ++i) {
    if (outPath[i] == '/' && !CreateFolderPath(outPath.Left(i + 1))) {
      return 0;
    }
  }
  if (outPath[outPath.GetLength() - 1] == '/') {
    return 1;  // a folder entry
  }
  if (deleteTmp) {
    RemoveFile(target + CVString("tmp.dat"));
  }
  if (unzOpenCurrentFile(zip) != UNZ_OK) {
    return 0;
  }
  CVFile file;
  bool ok = file.Open(outPath, kVFileCreate | kVFileReadWrite) == 1;
  ok = ok && CopyEntry(zip, file, info, bufferSize, buffer, budget);
  ok = file.Close() == 0 && ok;
  // Closing the entry is where minizip compares the CRC of what was read.
  ok = unzCloseCurrentFile(zip) == UNZ_OK && ok;
  if (!ok) {
    RemoveFile(outPath);  // never leave a damaged file under a good name
  }
  return ok ? 1 : 0;
}

int UnzipAllFiles(const unsigned short* zipPath, const unsigned short* targetFolder, const tagUnzipLimits& limits) {
  Package package;
  if (!package.Open(zipPath, targetFolder, limits)) {
    return 0;
  }
  int size = 0;
  unsigned char* buffer = AllocCopyBuffer(size);
  if (!buffer) {
    return 0;
  }
  tagUnzipBudget budget{limits.maxTotalBytes};
  int result = 1;
  for (ZPOS64_T i = 0; i < package.entries(); ++i) {
    if (!UnzipCurrentEntry(package.zip(), package.target(), size, buffer, budget) ||
        (i + 1 < package.entries() && unzGoToNextFile(package.zip()) != UNZ_OK)) {
      result = 0;
      break;
    }
  }
  CVMem::Deallocate(buffer);
  return result;
}

int UnzipConfigFiles(const unsigned short* zipPath, const unsigned short* targetFolder, const unsigned short*,
                     const tagUnzipLimits& limits) {
  Package package;
  if (!package.Open(zipPath, targetFolder, limits)) {
    return 0;
  }
  tagUnzipBudget budget{limits.maxTotalBytes};
  for (ZPOS64_T i = 0; i < package.entries(); ++i) {
    unz_file_info64 info;
    char name[kUnzipPathBytes];
    if (!EntryInfo(package.zip(), info, name)) {
      return 0;
    }
    if (std::strstr(name, ".cfg")) {
      int size = 0;
      unsigned char* buffer = AllocCopyBuffer(size);
      int result = buffer ? UnzipCurrentEntry(package.zip(), package.target(), size, buffer, budget, false) : 0;
      CVMem::Deallocate(buffer);
      return result;
    }
    if (i + 1 < package.entries() && unzGoToNextFile(package.zip()) != UNZ_OK) {
      return 0;
    }
  }
  return 0;
}

}  // namespace mapengine
