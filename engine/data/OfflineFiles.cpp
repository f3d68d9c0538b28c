#include "engine/data/OfflineFiles.h"

#include <cstdio>
#include <cstring>

#include "engine/base/EngineEnv.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VFile.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"

namespace mapengine {

namespace {

constexpr const char* kVersionFile = "OfflineVersion.dat";
constexpr const char* kUpdateFile = "OfflineUpdate.dat";
constexpr const char* kWifilogFile = "OfflineWifilog.dat";
// Screens above this density read the city sizes under "sh", others under "sl".
constexpr int kDenseScreenDpi = 180;

CVString PathOf(const CVString& folder, const char* name) { return folder + CVString(name); }

const char* SizeKey() {
  CVMainGlobalMan* man = GetGlobalMan();
  auto* env = man ? static_cast<CEngineEnv*>(man->GetSlot(kSlotEngineEnv)) : nullptr;
  bool dense = env && (env->m_version.density.cx > kDenseScreenDpi || env->m_version.density.cy > kDenseScreenDpi);
  return dense ? "sh" : "sl";
}

}  // namespace

COLJsonFile::COLJsonFile(const CVString& path) {
  CVFile file;
  if (file.Open(path, kVFileRead)) {
    Parse(nullptr, file.GetLength(), &file);
  }
}

COLJsonFile::COLJsonFile(const void* bytes, int count) {
  if (bytes) {
    Parse(bytes, count, nullptr);
  }
}

void COLJsonFile::Parse(const void* source, int count, CVFile* file) {
  if (count <= 0 || !(m_bytes = VNew<char>(static_cast<size_t>(count) + 1))) {
    return;
  }
  unsigned got = static_cast<unsigned>(count);
  if (file) {
    got = file->Read(m_bytes, got);
  } else {
    std::memcpy(m_bytes, source, got);
  }
  m_bytes[got] = 0;
  m_root = VJson_Parse(m_bytes);
}

COLJsonFile::~COLJsonFile() {
  VJson_Delete(m_root);
  VDelete(m_bytes);
}

COLTextWriter& COLTextWriter::Raw(const char* ascii) {
  for (; *ascii; ++ascii) {
    m_text.push_back(static_cast<char16_t>(static_cast<unsigned char>(*ascii)));
  }
  return *this;
}

COLTextWriter& COLTextWriter::Int(int value) {
  char digits[16];
  std::snprintf(digits, sizeof digits, "%d", value);
  return Raw(digits);
}

COLTextWriter& COLTextWriter::Quoted(const CVString& text) {
  m_text.push_back(u'"');
  for (int i = 0; i < text.GetLength(); ++i) {
    char16_t unit = text[i];
    if (unit == u'"' || unit == u'\\') {
      m_text.push_back(u'\\');
      m_text.push_back(unit);
    } else if (unit < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", unit);
      Raw(escaped);
    } else {
      m_text.push_back(unit);
    }
  }
  m_text.push_back(u'"');
  return *this;
}

COLTextWriter& COLTextWriter::QuotedInt(int value) { return Raw("\"").Int(value).Raw("\""); }

int COLTextWriter::Save(const CVString& path) const {
  auto* units = reinterpret_cast<const unsigned short*>(m_text.data());
  int length = static_cast<int>(m_text.size());
  int bytes = WideToMultiByte(kCodePageGbk, units, length, nullptr, 0);
  char* gbk = VNew<char>(static_cast<size_t>(bytes) + 1);
  if (!gbk) {
    return 0;
  }
  WideToMultiByte(kCodePageGbk, units, length, gbk, bytes);
  gbk[bytes] = 0;
  int ok = WriteFileAtomic(path, gbk, static_cast<unsigned>(bytes) + 1);
  VDelete(gbk);
  return ok;
}

CVString JsonText(const VJson* node) {
  return node && node->type == VJson_String && node->valuestring ? CVString(node->valuestring) : CVString();
}

int JsonNumberInText(const VJson* node) {
  if (!node || node->type != VJson_String || !node->valuestring) {
    return 0;
  }
  CVString text(node->valuestring);
  return text.IsEmpty() ? 0 : wide_atoi(text.GetBuffer());
}

// --- OfflineVersion.dat --------------------------------------------------------

int COLVersionFile::Load(const CVString& folder) {
  m_folder = folder;
  m_record = COLVersionRecord();
  COLJsonFile file(PathOf(folder, kVersionFile));
  if (!file.root()) {
    return 0;
  }
  m_record.pictureVersion = JsonText(VJson_GetObjectItem(file.root(), "d"));
  m_record.taskVersion = JsonText(VJson_GetObjectItem(file.root(), "m"));
  m_record.cityVersion = JsonText(VJson_GetObjectItem(file.root(), "c"));
  return 1;
}

int COLVersionFile::Save() {
  COLTextWriter writer;
  writer.Raw("{\"d\":").Quoted(m_record.pictureVersion);
  writer.Raw(",\"m\":").Quoted(m_record.taskVersion);
  writer.Raw(",\"c\":").Quoted(m_record.cityVersion).Raw("}");
  return writer.Save(PathOf(m_folder, kVersionFile));
}

// --- OfflineUpdate.dat ---------------------------------------------------------

namespace {

// The keys of one element without their prefix, in file order.
constexpr const char* kElementKeys[] = {"i", "n", "r", "u", "l", "x", "y", "dv", "mv", "b", "s", "e", "cv", "up", "t"};
constexpr int kKeyCount = sizeof kElementKeys / sizeof kElementKeys[0];
enum { kId, kName, kRatio, kSize, kStatus, kX, kY, kDataVer, kMapVer, kBase, kStart, kEnd, kCityVer, kUpdate, kGrids };

void WriteGridList(COLTextWriter& writer, const CVArray<CVString>& grids) {
  writer.Raw("\r\n  [\r\n");
  for (int i = 0; i < grids.GetSize(); ++i) {
    writer.Raw("    {\"d\":").Quoted(grids[i]).Raw(i + 1 < grids.GetSize() ? "},\r\n" : "}\r\n");
  }
  writer.Raw("  ]");
}

void WriteElement(COLTextWriter& writer, const COLUpdateElement& e, char prefix) {
  auto key = [&](int k) -> COLTextWriter& {
    char name[8];
    std::snprintf(name, sizeof name, "\"%c%s\":", prefix, kElementKeys[k]);
    return writer.Raw(name);
  };
  key(kId).QuotedInt(e.cityId).Raw(",");
  key(kName).Quoted(e.name).Raw(",");
  key(kRatio).Int(e.ratio).Raw(",");
  key(kSize).Int(e.size).Raw(",");
  key(kStatus).Int(e.status).Raw(",");
  key(kX).Int(e.x).Raw(",");
  key(kY).Int(e.y).Raw(",");
  key(kDataVer).Quoted(e.dataVersion).Raw(",");
  key(kMapVer).Quoted(e.mapVersion).Raw(",");
  key(kBase).QuotedInt(e.baseLevel).Raw(",");
  key(kStart).QuotedInt(e.startLevel).Raw(",");
  key(kEnd).QuotedInt(e.endLevel).Raw(",");
  key(kCityVer).Quoted(e.cityVersion).Raw(",");
  key(kUpdate).QuotedInt(e.updateFlag).Raw(",");
  key(kGrids);
  WriteGridList(writer, e.grids);
}

// Reads one element; false when a required pair is missing or a grid name is
// not in its shape. An empty grid list is a list like any other: the writer
// writes it, and refusing it here would lose the user's city at the next
// start (and its grid files with the sweep of unlisted ones).
bool ReadElement(const VJson* object, char prefix, COLUpdateElement& e) {
  const VJson* found[kKeyCount];
  for (int k = 0; k < kKeyCount; ++k) {
    char name[8];
    std::snprintf(name, sizeof name, "%c%s", prefix, kElementKeys[k]);
    found[k] = VJson_GetObjectItem(object, name);
    if (!found[k] && k != kUpdate) {
      return false;
    }
  }
  const VJson* grids = found[kGrids];
  if (grids->type != VJson_Array) {
    return false;
  }
  e.cityId = JsonNumberInText(found[kId]);
  e.name = JsonText(found[kName]);
  e.ratio = found[kRatio]->valueint;
  e.size = found[kSize]->valueint;
  e.status = found[kStatus]->valueint;
  e.x = found[kX]->valueint;
  e.y = found[kY]->valueint;
  e.dataVersion = JsonText(found[kDataVer]);
  e.mapVersion = JsonText(found[kMapVer]);
  e.baseLevel = JsonNumberInText(found[kBase]);
  e.startLevel = JsonNumberInText(found[kStart]);
  e.endLevel = JsonNumberInText(found[kEnd]);
  e.cityVersion = JsonText(found[kCityVer]);
  e.updateFlag = JsonNumberInText(found[kUpdate]);
  e.grids.RemoveAll();
  for (const VJson* item = grids->child; item; item = item->next) {
    const VJson* d = VJson_GetObjectItem(item, "d");
    if (!d) {
      continue;
    }
    CVString name = JsonText(d);
    int x = 0;
    int y = 0;
    if (!ParseGridNameStrict(name.GetBuffer(), &x, &y)) {
      return false;
    }
    e.grids.Add(name);
  }
  return true;
}

}  // namespace

int COLUpdateFile::Load(const CVString& folder) {
  m_folder = folder;
  m_gridRefs.RemoveAll();
  m_records.RemoveAll();
  COLJsonFile file(PathOf(folder, kUpdateFile));
  if (!file.root() || file.root()->type != VJson_Array) {
    return 0;
  }
  int whole = 1;
  for (const VJson* item = file.root()->child; item; item = item->next) {
    COLUpdateRecord record;
    if (ReadElement(item, 'l', record.local) && ReadElement(item, 's', record.server)) {
      CountGrids(record.local, 1);
      m_records.Add(record);
    } else {
      whole = 0;
    }
  }
  return whole;
}

void COLUpdateFile::BuildText(COLTextWriter& writer) const {
  writer.Raw("[\r\n");
  for (int i = 0; i < m_records.GetSize(); ++i) {
    writer.Raw("{");
    WriteElement(writer, m_records[i].local, 'l');
    writer.Raw(",\r\n ");
    WriteElement(writer, m_records[i].server, 's');
    writer.Raw("\r\n").Raw(i + 1 < m_records.GetSize() ? "},\r\n" : "}\r\n");
  }
  writer.Raw("]");
}

int COLUpdateFile::Save() {
  COLTextWriter writer;
  BuildText(writer);
  return writer.Save(PathOf(m_folder, kUpdateFile));
}

void COLUpdateFile::CountGrids(const COLUpdateElement& element, int delta) {
  for (int i = 0; i < element.grids.GetSize(); ++i) {
    void* count = nullptr;
    bool known = m_gridRefs.Lookup(element.grids[i], count) != 0;
    if (!known && delta < 0) {
      continue;
    }
    intptr_t next = reinterpret_cast<intptr_t>(count) + delta;
    m_gridRefs.SetAt(element.grids[i], reinterpret_cast<void*>(next < 0 ? 0 : next));
  }
}

int COLUpdateFile::GetGridRef(const CVString& name) {
  void* count = nullptr;
  return m_gridRefs.Lookup(name, count) ? static_cast<int>(reinterpret_cast<intptr_t>(count)) : 0;
}

// --- OfflineWifilog.dat --------------------------------------------------------

int COLWifilogFile::Save() {
  COLTextWriter writer;
  writer.Raw("[\r\n");
  for (int i = 0; i < m_records.GetSize(); ++i) {
    writer.Raw("{\"i\":").Int(m_records[i].cityId).Raw(i + 1 < m_records.GetSize() ? "},\r\n" : "}\r\n");
  }
  writer.Raw("]");
  return writer.Save(PathOf(m_folder, kWifilogFile));
}

// --- OfflineSearch.dat and OfflineHotcity.dat ------------------------------------

int COLCityListFile::Load(const CVString& folder) {
  m_folder = folder;
  m_cities.RemoveAll();
  COLJsonFile file(PathOf(folder, m_fileName));
  if (!file.root()) {
    return 0;
  }
  const char* sizeKey = SizeKey();
  for (const VJson* item = file.root()->type == VJson_Array ? file.root()->child : nullptr; item; item = item->next) {
    const VJson* id = VJson_GetObjectItem(item, "i");
    const VJson* name = VJson_GetObjectItem(item, "n");
    const VJson* size = VJson_GetObjectItem(item, sizeKey);
    if (id && name && size) {
      COLSearchRecord city;
      city.cityId = JsonNumberInText(id);
      city.name = JsonText(name);
      city.size = JsonNumberInText(size);
      m_cities.Add(city);
    }
  }
  return 1;
}

int COLCityListFile::Replace(const void* bytes, int count) {
  COLJsonFile body(bytes, count);
  if (!body.root() || body.root()->type != VJson_Array) {
    return 0;
  }
  if (!WriteFileAtomic(PathOf(m_folder, m_fileName), bytes, static_cast<unsigned>(count))) {
    return 0;
  }
  m_reload = 1;
  return 1;
}

void COLCityListFile::ReloadIfFlagged() {
  if (m_reload) {
    Load(m_folder);
    m_reload = 0;
  }
}

}  // namespace mapengine
