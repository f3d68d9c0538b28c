#include "engine/render/PoiBkgCache.h"

#include <cstdint>
#include <cstring>
#include <vector>

#include "engine/base/VFile.h"

namespace mapengine {

tag_PoiBkgCacheElem& tag_PoiBkgCacheElem::operator=(const tag_PoiBkgCacheElem& other) {
  if (this == &other) {
    return *this;
  }
  key = other.key;
  path = other.path;
  length = other.length;
  index.RemoveAll();
  CVString tileKey;
  void* offset = nullptr;
  for (VPOSITION pos = other.index.GetStartPos(); pos;) {
    other.index.GetNextPair(pos, tileKey, offset);
    index.SetAt(tileKey.GetBuffer(), offset);
  }
  return *this;
}

void CPoiBkgCache::Init() {
  m_entries.SetSize(0, kCapacity);
  m_nFileCounter = 0;
}

CVString CPoiBkgCache::TileKey(const tag_PoiBkgDataElem& tile) {
  CVString key;
  key.Format(VStr(u"%d_%d_%d"), tile.level, tile.x, tile.y);
  return key;
}

int CPoiBkgCache::Find(const CVString& key) const {
  for (int i = 0; i < m_entries.GetSize(); ++i) {
    if (m_entries[i].key.Compare(key.GetBuffer()) == 0) {
      return i;
    }
  }
  return -1;
}

int CPoiBkgCache::RemoveAt(int index) {
  if (index < 0 || index >= m_entries.GetSize()) {
    return 0;
  }
  RemoveFile(m_entries[index].path);
  m_entries.RemoveAt(index);
  return 1;
}

int CPoiBkgCache::RemoveAll() {
  for (int i = 0; i < m_entries.GetSize(); ++i) {
    RemoveFile(m_entries[i].path);
  }
  m_entries.RemoveAll();
  return 1;
}

namespace {

constexpr int kXAt = 0;
constexpr int kYAt = 8;
constexpr int kUidAt = 16;
constexpr int kNameAt = kUidAt + sizeof tag_PoiBkgBaseData::uid;
static_assert(kNameAt + sizeof tag_PoiBkgBaseData::name == CPoiBkgCache::kRecordBytes);

void PackRecords(const tag_PoiBkgDataElem& tile, unsigned char* out) {
  for (int i = 0; i < tile.pois.GetSize(); ++i, out += CPoiBkgCache::kRecordBytes) {
    const tag_PoiBkgBaseData& poi = tile.pois[i];
    std::memcpy(out + kXAt, &poi.x, sizeof poi.x);
    std::memcpy(out + kYAt, &poi.y, sizeof poi.y);
    std::memcpy(out + kUidAt, poi.uid, sizeof poi.uid);
    std::memcpy(out + kNameAt, poi.name, sizeof poi.name);
  }
}

void UnpackRecords(const unsigned char* in, tag_PoiBkgDataElem& tile) {
  for (int i = 0; i < tile.pois.GetSize(); ++i, in += CPoiBkgCache::kRecordBytes) {
    tag_PoiBkgBaseData& poi = tile.pois[i];
    std::memcpy(&poi.x, in + kXAt, sizeof poi.x);
    std::memcpy(&poi.y, in + kYAt, sizeof poi.y);
    std::memcpy(poi.uid, in + kUidAt, sizeof poi.uid);
    std::memcpy(poi.name, in + kNameAt, sizeof poi.name);
    poi.uid[sizeof poi.uid - 1] = '\0';
    poi.name[sizeof poi.name - 1] = '\0';
  }
}

// Reads one block at the offset into the tile: 0 when the block is not
// whole (a count the file cannot hold, a short read).
int ReadBlock(CVFile& file, int fileLength, intptr_t offset, tag_PoiBkgDataElem& tile) {
  int32_t count = 0;
  if (offset < 0 || offset > fileLength || file.Seek(static_cast<int>(offset), 0) != offset ||
      file.Read(&count, sizeof count) != sizeof count) {
    return 0;
  }
  const int64_t room = (fileLength - offset - static_cast<int64_t>(sizeof count)) / CPoiBkgCache::kRecordBytes;
  if (count < 0 || count > room) {
    return 0;
  }
  std::vector<unsigned char> bytes(static_cast<size_t>(count) * CPoiBkgCache::kRecordBytes);
  if (count > 0 && file.Read(bytes.data(), static_cast<unsigned>(bytes.size())) != bytes.size()) {
    return 0;
  }
  if (!tile.pois.SetSize(count)) {
    return 0;
  }
  UnpackRecords(bytes.data(), tile);
  return 1;
}

}  // namespace

int CPoiBkgCache::Lookup(const CVString& key, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing) {
  missing.RemoveAll();
  const int found = Find(key);
  CVFile file;
  if (found < 0 || !file.Open(m_entries[found].path, kVFileRead)) {
    // An unreadable file must not hide the tiles: they are asked for again.
    missing = tiles;
    return 0;
  }
  const int length = file.GetLength();
  tag_PoiBkgCacheElem& entry = m_entries[found];
  if (length != entry.length) {
    // Never read another tile's block as this one's: forget the file.
    entry.index.RemoveAll();
  }
  for (int i = 0; i < tiles.GetSize(); ++i) {
    void* offset = nullptr;
    if (!entry.index.Lookup(TileKey(tiles[i]).GetBuffer(), offset) ||
        !ReadBlock(file, length, reinterpret_cast<intptr_t>(offset), tiles[i])) {
      missing.Add(tiles[i]);
    }
  }
  file.Close();
  return 1;
}

int CPoiBkgCache::Store(const CVString& key, const tag_PoiBkgDataRst& reply) {
  if (reply.tiles.GetSize() == 0) {
    return 0;
  }
  if (m_entries.GetSize() >= kCapacity) {
    RemoveAt(m_entries.GetSize() - 1);
  }
  int found = Find(key);
  bool fresh = false;
  if (found < 0) {
    if (m_nFileCounter > kCapacity - 1) {
      m_nFileCounter = 0;
    }
    tag_PoiBkgCacheElem entry;
    entry.key = key;
    CVString name;
    name.Format(VStr(u"POIBKGDATA%d.TMP"), m_nFileCounter++);
    entry.path = m_folder + name;
    m_entries.InsertAt(0, entry);
    found = 0;
    fresh = true;
  }
  tag_PoiBkgCacheElem& entry = m_entries[found];
  CVFile file;
  // A new key starts its file afresh: a file left by an earlier run under
  // the same name would otherwise grow after every crash. So does a file
  // that changed behind the cache (removed, cut), whose offsets the index
  // can no longer trust.
  bool current = !fresh && file.Open(entry.path, kVFileUpdate);
  if (current && file.GetLength() != entry.length) {
    file.Close();
    current = false;
  }
  if (!current) {
    entry.index.RemoveAll();
    entry.length = 0;
    if (!file.Open(entry.path, kVFileReadWrite | kVFileCreate)) {
      return 0;
    }
  }
  file.SeekToEnd();
  for (int i = 0; i < reply.tiles.GetSize(); ++i) {
    const tag_PoiBkgDataElem& tile = reply.tiles[i];
    const int position = file.GetPosition();
    const int32_t count = tile.pois.GetSize();
    std::vector<unsigned char> bytes(static_cast<size_t>(count) * kRecordBytes);
    PackRecords(tile, bytes.data());
    if (position < 0 || file.Write(&count, sizeof count) != sizeof count ||
        (count > 0 && file.Write(bytes.data(), static_cast<unsigned>(bytes.size())) != bytes.size())) {
      // A block not written whole is never indexed; the length left stale
      // makes the next use start the file afresh.
      file.Close();
      return 0;
    }
    entry.index.SetAt(TileKey(tile).GetBuffer(), reinterpret_cast<void*>(static_cast<intptr_t>(position)));
    entry.length = file.GetPosition();
  }
  file.Close();
  return 1;
}

}  // namespace mapengine
