// Files and folders over UTF-16 paths. Paths reach the file system as UTF-8
// bytes in fixed-size buffers; a path that does not fit is refused.
#pragma once

#include <cstdio>

#include "engine/base/VArray.h"
#include "engine/base/VString.h"

namespace mapengine {

// Open modes: the low three bits select the access, 0x1000 asks for creation.
enum : unsigned {
  kVFileRead = 1,
  kVFileReadWrite = 2,
  kVFileUpdate = 4,
  kVFileCreate = 0x1000
};

// Bytes a converted path may take in CVFile::Open and MoveFile, and in the
// folder functions (terminator included).
constexpr int kFilePathBytes = 512;
constexpr int kFolderPathBytes = 256;

class CVFile {
public:
  CVFile() = default;
  virtual ~CVFile();
  CVFile(const CVFile&) = delete;
  CVFile& operator=(const CVFile&) = delete;

  // Opens the file: access 1 "rb"; 2 or 4 "r+b" (an existing file), or with
  // kVFileCreate (and for any other access) "w+b". 1, or 0 (not open).
  int Open(const CVString& path, unsigned mode);
  // 0 when closed (or none was open), else the platform's error. The stream is
  // released in either case, so a failed close is never repeated.
  int Close();
  int IsOpened() const { return m_pFile ? 1 : 0; }
  unsigned Read(void* buffer, unsigned length);
  unsigned Write(const void* buffer, unsigned length);
  // origin 0 start, 1 current, 2 end; the new position, -1 on failure.
  int Seek(int offset, int origin);
  int SeekToBegin();
  int SeekToEnd();
  int GetPosition() const;
  // The length; the position is kept.
  int GetLength() const;
  int Flush();

private:
  FILE* m_pFile = nullptr;
};

// Called before every write of any CVFile with the bytes about to be written:
// crash tests stop a child process at a chosen write. Null (the default) for
// none; set it before the threads that write start.
using VFileWriteHook = void (*)(unsigned length);
void SetVFileWriteHook(VFileWriteHook hook);

// Lists the names (not beginning with '.') in a folder that contain the
// filter ("zip" and ".zip" alike; empty: every name). Backslashes in the
// caller's folder text become '/'. The number of names, 0 when the folder has
// 256 units or more, the filter 32 or more, or it cannot be opened.
int ListFolderFiles(CVString& folder, const CVString& filter, CVArray<CVString, CVString&>& names);
// 1 when the path with a '/' appended is accessible (a folder).
int FolderExists(const CVString& path);
// Creates the folder and its missing parents (0755). 1, or 0.
int CreateFolderPath(const CVString& path);
// Creates the destination's folder, copies the source over the destination and
// removes the source. 1, or 0 when the copy fails (the source then stays).
int MoveFile(const CVString& source, const CVString& destination);
// 1 when the file was deleted.
int RemoveFile(const CVString& path);

// One ".zip" file of the Documents folder.
struct tagDownloadedPackage {
  int size;
  CVString name;
};
// Appends a record (from VNew; the caller frees each with VDelete) for every
// file of the Documents folder not beginning with '.' whose name contains
// ".zip". The number of entries in the array, 0 when the folder cannot be read.
int ListDownloadedPackages(CVArray<void*, void*>& packages);
// The same for callers that pass the two unused flags.
int ListDownloadedPackages(int flag, CVArray<void*, void*>& packages, int flag2);

struct tagDiskSpace {
  double total;
  double free;
};
// Total and free bytes of the file system that holds the Documents folder.
int GetDiskSpace(tagDiskSpace* space);
void GetDiskSpaceValues(double* total, double* free);
// The machine's identifier.
CVString GetDeviceId();
// A fixed 15-digit placeholder: the platform has no device number.
CVString GetIMEI();

struct tagIntPair {
  int first;
  int second;
};
tagIntPair* InitIntPair(tagIntPair* pair);

}  // namespace mapengine
