#include "engine/render/GridDataFile.h"

#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/base/VMem.h"
#include "engine/render/GridDataCache.h"

namespace mapengine {

namespace {

constexpr int kHeaderPosition = 4;
constexpr int kLayoutPosition = 36;
constexpr int kEntryBytes = 8;
constexpr int kFillBytes = 0x20000;
// Levels a base level's files hold.
constexpr int kLowBase = 3;
constexpr int kLowLast = 10;
constexpr int kMiddleBase = 11;
constexpr int kMiddleLast = 17;
constexpr int kTopLevel = 18;

// Reads an optionally signed decimal of 1..9 digits at pos.
bool ParseNumber(const CVString& text, int& pos, int& value) {
  bool negative = pos < text.GetLength() && text[pos] == '-';
  int at = pos + (negative ? 1 : 0);
  int digits = 0;
  value = 0;
  while (at < text.GetLength() && text[at] >= '0' && text[at] <= '9' && digits < 9) {
    value = value * 10 + (text[at] - '0');
    ++at;
    ++digits;
  }
  if (digits == 0 || (at < text.GetLength() && text[at] >= '0' && text[at] <= '9')) {
    return false;
  }
  value = negative ? -value : value;
  pos = at;
  return true;
}

// "x_y" or "x_y_18", nothing else: names reach the file system, so a name
// from the service can never climb out of the data folder.
bool ParseCellName(const CVString& name, int& x, int& y, bool& top) {
  int pos = 0;
  if (!ParseNumber(name, pos, x) || pos >= name.GetLength() || name[pos] != '_') {
    return false;
  }
  ++pos;
  if (!ParseNumber(name, pos, y)) {
    return false;
  }
  top = false;
  if (pos == name.GetLength()) {
    return true;
  }
  top = name.Mid(pos, name.GetLength() - pos).Compare("_18") == 0;
  return top;
}

// The file kinds: the low-level file (base 3, from level 3), the middle file
// (base 11, from 11) and the level-18 file (base 11); the last level may stop
// short of the kind's last.
bool IsFileKind(int base, int first, int last) {
  if (base == kLowBase) {
    return first == kLowBase && last >= first && last <= kLowLast;
  }
  if (base == kMiddleBase) {
    return (first == kMiddleBase && last >= first && last <= kMiddleLast) || (first == kTopLevel && last == kTopLevel);
  }
  return false;
}

int TilesOfLevel(int base, int level) { return 1 << (2 * (level - base)); }

int TilesOfLevels(int base, int first, int last) {
  int total = 0;
  for (int level = first; level <= last; ++level) {
    total += TilesOfLevel(base, level);
  }
  return total;
}

void PutLE(unsigned char* out, int value) {
  auto v = static_cast<unsigned>(value);
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<unsigned char>(v >> (8 * i));
  }
}

int GetLE(const unsigned char* in) {
  unsigned v = 0;
  for (int i = 3; i >= 0; --i) {
    v = (v << 8) | in[i];
  }
  return static_cast<int>(v);
}

// The index of a checked tile key within its level's block of its file.
int TileIndex(const CVString& key, int level, int base) {
  int x = 0;
  int y = 0;
  bool top = false;
  ParseCellName(key, x, y, top);
  int side = 1 << (level - base);
  return (x % side) * side + (y % side);
}

CVString CellText(int x, int y, bool top) {
  char text[40];
  std::snprintf(text, sizeof text, top ? "%d_%d_18" : "%d_%d", x, y);
  return CVString(text);
}

}  // namespace

COfflineDataCache::COfflineDataCache() : m_strFolder("data/"), m_strVersion("10000001") {}

COfflineDataCache::~COfflineDataCache() = default;

int COfflineDataCache::Init(const CVString& dataDirectory, const CVString& version, int param) {
  m_strFolder = dataDirectory + "data/";
  CreateFolderPath(m_strFolder);
  m_strVersion = version;
  m_nParam = param;
  return 1;
}

int COfflineDataCache::GetGridFilePath(CVString& path, const CVString& cellName) {
  int x = 0;
  int y = 0;
  bool top = false;
  if (!ParseCellName(cellName, x, y, top)) {
    return 0;
  }
  char folder[40];
  std::snprintf(folder, sizeof folder, "%d_%d/", x / 10, y / 10);
  CVString directory = m_strFolder + folder;
  CreateFolderPath(directory);
  path = directory + cellName + ".dat";
  return 1;
}

int COfflineDataCache::GetTileFilePath(CVString& path, const CVString& key, int level, int baseLevel) {
  int x = 0;
  int y = 0;
  bool top = false;
  if (level < kLowBase || level > kTopLevel || !ParseCellName(key, x, y, top) || top || x < 0 || y < 0) {
    return 0;
  }
  if (!(baseLevel == kLowBase && level <= kLowLast) && !(baseLevel == kMiddleBase && level >= kMiddleBase)) {
    return 0;
  }
  int shift = level - baseLevel;
  return GetGridFilePath(path, CellText(x >> shift, y >> shift, level == kTopLevel));
}

int COfflineDataCache::DeleteGridFile(const CVString& cellName) {
  CVString path;
  return GetGridFilePath(path, cellName) ? RemoveFile(path) : 0;
}

int COfflineDataCache::Fail() {
  m_file.Close();
  return 0;
}

int COfflineDataCache::ReadInt(int position, int& value) {
  unsigned char bytes[4];
  if (m_file.Seek(position, 0) != position || m_file.Read(bytes, 4) != 4) {
    return 0;
  }
  value = GetLE(bytes);
  return 1;
}

int COfflineDataCache::WriteInt(int position, int value) {
  unsigned char bytes[4];
  PutLE(bytes, value);
  return m_file.Seek(position, 0) == position && m_file.Write(bytes, 4) == 4 ? 1 : 0;
}

int COfflineDataCache::WriteHeader(const stFileHeader& header) {
  unsigned char bytes[sizeof(stFileHeader)];
  const int* words = &header.nMultiLevel;
  for (size_t i = 0; i < sizeof(stFileHeader) / 4; ++i) {
    PutLE(bytes + 4 * i, words[i]);
  }
  return m_file.Seek(kHeaderPosition, 0) == kHeaderPosition && m_file.Write(bytes, sizeof bytes) == sizeof bytes ? 1
                                                                                                                 : 0;
}

int COfflineDataCache::IsFileConsistent() {
  int state = 0;
  if (ReadInt(0, state) && static_cast<unsigned>(state) == kStateConsistent) {
    return 1;
  }
  m_file.Close();
  return 0;
}

int COfflineDataCache::SetFileState(int consistent) {
  int position = m_file.GetPosition();
  if (!WriteInt(0, static_cast<int>(consistent ? kStateConsistent : kStateWriting)) ||
      m_file.Seek(position, 0) != position) {
    return Fail();
  }
  return 1;
}

int COfflineDataCache::OpenTileFile(int baseLevel, const CVString& key, int level, unsigned mode,
                                    stFileHeader& header) {
  CVString path;
  if (!GetTileFilePath(path, key, level, baseLevel) || !m_file.Open(path, mode)) {
    return 0;
  }
  if (!IsFileConsistent()) {
    if (mode != kVFileRead) {
      RemoveFile(path);
    }
    return 0;
  }
  int* words = &header.nMultiLevel;
  for (size_t i = 0; i < sizeof(stFileHeader) / 4; ++i) {
    if (!ReadInt(kHeaderPosition + 4 * static_cast<int>(i), words[i])) {
      return Fail();
    }
  }
  m_nEntryCount = header.nCurCnt;
  return 1;
}

int COfflineDataCache::LocateEntry(const stFileHeader& header, int baseLevel, int level, int index) {
  if (!header.nMultiLevel) {
    // The one level a single-level file can hold is 18, or its base level.
    int held = level == kTopLevel ? kTopLevel : baseLevel;
    int count = 0;
    if (level != held || !ReadInt(kLayoutPosition, count) || count != TilesOfLevel(baseLevel, level) ||
        index >= count) {
      return -1;
    }
    return kLayoutPosition + 4 + kEntryBytes * index;
  }
  int first = 0;
  int levels = 0;
  if (!ReadInt(kLayoutPosition, first) || !ReadInt(kLayoutPosition + 4, levels) || first != baseLevel ||
      level < first || level - first >= levels) {
    return -1;
  }
  int block = 0;
  int blockSize = 0;
  int count = 0;
  int table = kLayoutPosition + 8 + kEntryBytes * (level - first);
  if (!ReadInt(table, block) || !ReadInt(table + 4, blockSize) || block <= table ||
      blockSize != 4 + kEntryBytes * TilesOfLevel(baseLevel, level) || !ReadInt(block, count) ||
      count != TilesOfLevel(baseLevel, level) || index >= count) {
    return -1;
  }
  return block + 4 + kEntryBytes * index;
}

int COfflineDataCache::CreateOfflineDat(int baseLevel, const CVString& cellName, int firstLevel, int lastLevel,
                                        int* written) {
  CVString path;
  CVString name = lastLevel == kTopLevel ? cellName + "_18" : cellName;
  if (!IsFileKind(baseLevel, firstLevel, lastLevel) || !GetGridFilePath(path, name)) {
    return 0;
  }
  bool multiLevel = firstLevel != lastLevel;
  int levels = lastLevel - firstLevel + 1;
  int gridCount = TilesOfLevels(baseLevel, firstLevel, lastLevel);
  if (m_file.Open(path, kVFileUpdate)) {
    stFileHeader header{};
    int* words = &header.nMultiLevel;
    bool usable = IsFileConsistent();
    for (size_t i = 0; usable && i < sizeof(stFileHeader) / 4; ++i) {
      usable = ReadInt(kHeaderPosition + 4 * static_cast<int>(i), words[i]);
    }
    int layout = 0;
    int held = 0;
    usable = usable && header.nMultiLevel == (multiLevel ? 1 : 0) && header.nCurCnt >= 0 &&
             header.nCurCnt <= gridCount && ReadInt(kLayoutPosition, layout) &&
             (multiLevel ? layout == firstLevel && ReadInt(kLayoutPosition + 4, held) && held == levels
                         : layout == gridCount);
    m_file.Close();
    if (usable) {
      m_nEntryCount = header.nCurCnt;
      if (written) {
        *written = header.nCurCnt;
      }
      return 1;
    }
    RemoveFile(path);
  }
  if (!m_file.Open(path, kVFileReadWrite | kVFileCreate) || !SetFileState(0)) {
    return Fail();
  }
  stFileHeader header{};
  header.nMultiLevel = multiLevel ? 1 : 0;
  header.nVersion = wide_atoi(m_strVersion);
  header.nExtra = m_nExtra;
  header.nParam = m_nParam;
  if (!WriteHeader(header)) {
    return Fail();
  }
  std::vector<unsigned char> fill(kFillBytes, 0xFF);
  // Appends count 0xFF entries in pieces of the fill buffer.
  auto writeEntries = [&](int count) {
    for (int left = count * kEntryBytes; left > 0; left -= kFillBytes) {
      unsigned piece = static_cast<unsigned>(left < kFillBytes ? left : kFillBytes);
      if (m_file.Write(fill.data(), piece) != piece) {
        return false;
      }
    }
    return true;
  };
  if (!multiLevel) {
    if (!WriteInt(kLayoutPosition, gridCount) || !writeEntries(gridCount)) {
      return Fail();
    }
  } else {
    if (!WriteInt(kLayoutPosition, firstLevel) || !WriteInt(kLayoutPosition + 4, levels)) {
      return Fail();
    }
    // The level table first, then the blocks in level order behind it.
    int block = kLayoutPosition + 8 + kEntryBytes * levels;
    for (int level = firstLevel; level <= lastLevel; ++level) {
      int blockSize = 4 + kEntryBytes * TilesOfLevel(baseLevel, level);
      int table = kLayoutPosition + 8 + kEntryBytes * (level - firstLevel);
      if (!WriteInt(table, block) || !WriteInt(table + 4, blockSize)) {
        return Fail();
      }
      block += blockSize;
    }
    for (int level = firstLevel; level <= lastLevel; ++level) {
      unsigned char count[4];
      PutLE(count, TilesOfLevel(baseLevel, level));
      if (m_file.SeekToEnd() < 0 || m_file.Write(count, 4) != 4 || !writeEntries(TilesOfLevel(baseLevel, level))) {
        return Fail();
      }
    }
  }
  if (!SetFileState(1) || m_file.Flush() != 0) {
    return Fail();
  }
  m_file.Close();
  m_nEntryCount = 0;
  if (written) {
    *written = 0;
  }
  return 1;
}

int COfflineDataCache::WriteGridData(int baseLevel, const CVString& key, int firstLevel, int lastLevel, int level,
                                     const unsigned char* data, int size) {
  stFileHeader header{};
  if (!IsFileKind(baseLevel, firstLevel, lastLevel) || level < firstLevel || level > lastLevel || size < 0 ||
      size >= kMaxTileSize || (size > 0 && !data) ||
      !OpenTileFile(baseLevel, key, level, kVFileUpdate, header)) {
    return 0;
  }
  int levels = 0;
  bool sameLayout = header.nMultiLevel == (firstLevel != lastLevel ? 1 : 0) &&
                    (!header.nMultiLevel || (ReadInt(kLayoutPosition + 4, levels) && levels == lastLevel - firstLevel + 1));
  int index = TileIndex(key, level, baseLevel);
  int entry = sameLayout ? LocateEntry(header, baseLevel, level, index) : -1;
  // Global number: the tiles of the file's lower levels, then the index.
  int number = TilesOfLevels(baseLevel, firstLevel, level - 1) + index;
  if (entry < 0 || number != header.nCurCnt) {
    return Fail();
  }
  if (!SetFileState(0)) {
    return 0;
  }
  int end = m_file.SeekToEnd();
  if (end < 0 || (size > 0 && m_file.Write(data, static_cast<unsigned>(size)) != static_cast<unsigned>(size)) ||
      !WriteInt(entry, end) || !WriteInt(entry + 4, size)) {
    return Fail();
  }
  ++header.nCurCnt;
  if (!WriteHeader(header) || !SetFileState(1) || m_file.Flush() != 0) {
    return Fail();
  }
  m_nEntryCount = header.nCurCnt;
  m_file.Close();
  return 1;
}

int COfflineDataCache::ReadTileData(int baseLevel, const CVString& key, int level, unsigned char** data, int* size) {
  stFileHeader header{};
  if (!data || !size || !OpenTileFile(baseLevel, key, level, kVFileRead, header)) {
    return 0;
  }
  int entry = LocateEntry(header, baseLevel, level, TileIndex(key, level, baseLevel));
  int offset = 0;
  int length = 0;
  if (entry < 0 || !ReadInt(entry, offset) || !ReadInt(entry + 4, length) || length < 0 ||
      length >= kMaxTileSize) {
    return Fail();
  }
  unsigned char* block = nullptr;
  if (length == 0) {
    block = VNew<unsigned char>(kEmptyTileSize);
    if (block) {
      std::memcpy(block, "taon", 4);
    }
    length = kEmptyTileSize;
  } else if (offset > 0 && (block = VNew<unsigned char>(static_cast<size_t>(length))) != nullptr &&
             (m_file.Seek(offset, 0) != offset || m_file.Read(block, static_cast<unsigned>(length)) !=
                                                      static_cast<unsigned>(length))) {
    VDelete(block);
    block = nullptr;
  }
  m_file.Close();
  if (!block) {
    return 0;
  }
  *data = block;
  *size = length;
  return 1;
}

int COfflineDataCache::LoadGridData(CGirdDataArray& records) {
  for (int i = 0; m_pMemCache && i < records.GetSize(); ++i) {
    tagGirdData& record = records[i];
    unsigned char* data = nullptr;
    int size = 0;
    int base = record.nLevel > kLowLast ? kMiddleBase : kLowBase;
    if (record.pData || record.nLevel < kLowBase ||
        !ReadTileData(base, CellText(record.nX, record.nY, false), record.nLevel, &data, &size)) {
      continue;
    }
    CGirdDataArray one;
    tagGirdData tile{record.nLevel, record.nX, record.nY, data, size};
    one.Add(tile);
    m_pMemCache->PutTiles(one, 0);
    VDelete(data);
    one[0].pData = nullptr;
    m_pMemCache->GetTiles(one);
    record.pData = one[0].pData;
    record.nSize = one[0].nSize;
  }
  return 0;
}

}  // namespace mapengine
