// The offline record store's files in the SDK data folder: the versions of
// the offline service (OfflineVersion.dat), the update records
// (OfflineUpdate.dat), the Wi-Fi log (OfflineWifilog.dat, written only) and
// the two city lists the service sends whole (OfflineSearch.dat,
// OfflineHotcity.dat).
//
// The store's own files are JSON in GBK followed by one zero byte. Each is
// replaced whole and atomically: a crash leaves the old file or the new one.
// Texts are written with '"', '\' and control characters escaped, which the
// reader understands; the rest of the bytes are as they always were.
#pragma once

#include <string>

#include "engine/base/VArray.h"
#include "engine/base/VFile.h"
#include "engine/base/VJson.h"
#include "engine/base/VMap.h"
#include "engine/base/VString.h"
#include "engine/model/OfflineRecords.h"

namespace mapengine {

// A data file (or a downloaded body) read whole and parsed; the tree and
// the bytes go with it.
class COLJsonFile {
public:
  // Reads the file; root() is null when the file is missing, empty or not
  // JSON. The text ends at its first zero byte or at the end.
  explicit COLJsonFile(const CVString& path);
  // The same for bytes held in memory.
  COLJsonFile(const void* bytes, int count);
  ~COLJsonFile();
  COLJsonFile(const COLJsonFile&) = delete;
  COLJsonFile& operator=(const COLJsonFile&) = delete;
  const VJson* root() const { return m_root; }

private:
  // Takes count bytes (from the source when given) with a zero after them.
  void Parse(const void* source, int count, CVFile* file);

  char* m_bytes = nullptr;
  VJson* m_root = nullptr;
};

// Builds a file's text in UTF-16 and writes it as GBK with its zero byte.
class COLTextWriter {
public:
  COLTextWriter& Raw(const char* ascii);
  COLTextWriter& Int(int value);
  // The text between double quotes, escaped.
  COLTextWriter& Quoted(const CVString& text);
  COLTextWriter& QuotedInt(int value);
  // Converts to GBK (units without a GBK form are dropped), adds the zero
  // byte and replaces the file atomically. 1, or 0 (the file is unchanged).
  int Save(const CVString& path) const;
  const std::u16string& text() const { return m_text; }

private:
  std::u16string m_text;
};

// The readers' value rules: a text (GBK to UTF-16; empty when not a string),
// a number (its integer), a number in text (the leading integer of a string).
CVString JsonText(const VJson* node);
int JsonNumberInText(const VJson* node);

class COLVersionFile {
public:
  int Load(const CVString& folder);
  int Save();

  CVString m_folder;
  COLVersionRecord m_record;
};

class COLUpdateFile {
public:
  COLUpdateFile() : m_gridRefs(10) {}
  // Reads the records; the grid reference counts are rebuilt from the
  // records taken (a record that is dropped counts nothing). 1 when the
  // file was read whole, 0 when it is missing, unreadable or a record was
  // dropped.
  int Load(const CVString& folder);
  int Save();
  // Adds delta to the count of every grid of the element (a name without a
  // count is entered for an increase and skipped for a decrease).
  void CountGrids(const COLUpdateElement& element, int delta);
  int GetGridRef(const CVString& name);
  // The whole file's text, as Save writes it before the conversion.
  void BuildText(COLTextWriter& writer) const;

  CVString m_folder;
  CVArray<COLUpdateRecord> m_records;
  CVMapStringToPtr m_gridRefs;
};

class COLWifilogFile {
public:
  int Save();

  CVString m_folder;
  CVArray<COLWifilogRecord> m_records;
};

// A city list as the service sends it: OfflineSearch.dat or OfflineHotcity.dat.
class COLCityListFile {
public:
  explicit COLCityListFile(const char* fileName) : m_fileName(fileName) {}
  int Load(const CVString& folder);
  // Puts downloaded bytes in place of the file, as received. The body must be
  // a JSON array (an error page or a cut body never replaces good data); the
  // file is replaced atomically. On success the reload flag is set. 1 or 0.
  int Replace(const void* bytes, int count);
  // Reloads when a replacement is waiting.
  void ReloadIfFlagged();

  const char* m_fileName;
  CVString m_folder;
  int m_reload = 0;
  CVArray<COLSearchRecord> m_cities;
};

class COLHotcityFile : public COLCityListFile {
public:
  COLHotcityFile() : COLCityListFile("OfflineHotcity.dat") {}
};

class COLSearchFile : public COLCityListFile {
public:
  COLSearchFile() : COLCityListFile("OfflineSearch.dat") {}
  CVArray<COLSearchRecord> m_results;
};

}  // namespace mapengine
