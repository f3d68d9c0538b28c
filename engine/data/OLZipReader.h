// Walking the entries of an offline package's zip (minizip).
#pragma once

#include <minizip/unzip.h>

#include "engine/base/VCMMap.h"
#include "engine/base/VFile.h"
#include "engine/base/VString.h"

namespace mapengine {

// An open zip, given its path.
class CZipReader {
public:
  explicit CZipReader(const CVString& path) {
    char bytes[kFilePathBytes];
    int n = WideToMultiByte(kCodePageUtf8, path.GetBuffer(), path.GetLength(), nullptr, 0);
    if (n > 0 && n < kFilePathBytes) {
      WideToMultiByte(kCodePageUtf8, path.GetBuffer(), path.GetLength(), bytes, kFilePathBytes - 1);
      bytes[n] = 0;
      m_zip = unzOpen64(bytes);
    }
  }
  ~CZipReader() {
    if (m_zip) {
      unzClose(m_zip);
    }
  }
  CZipReader(const CZipReader&) = delete;
  CZipReader& operator=(const CZipReader&) = delete;

  // Walks the entries: visit(name, uncompressed size) returns false to stop.
  // false when the zip or an entry cannot be read.
  template <class Visit>
  bool Walk(Visit visit) {
    if (!m_zip || unzGoToFirstFile(m_zip) != UNZ_OK) {
      return false;
    }
    do {
      unz_file_info64 info;
      char name[256];
      // A name that does not fit is left unterminated by minizip: unreadable.
      if (unzGetCurrentFileInfo64(m_zip, &info, name, sizeof name, nullptr, 0, nullptr, 0) != UNZ_OK ||
          info.size_filename >= sizeof name) {
        return false;
      }
      if (!visit(name, info.uncompressed_size)) {
        return true;
      }
    } while (unzGoToNextFile(m_zip) == UNZ_OK);
    return true;
  }

private:
  unzFile m_zip = nullptr;
};

}  // namespace mapengine
