// The on-disk store of POI background replies: for up to five query keys one
// temporary file of tile blocks ("POIBKGDATA%d.TMP" in the data folder) and
// an index from tile key to the block's offset, so that panning back over
// tiles already fetched needs no new request. Newest key first; the oldest
// is dropped, with its file, when a sixth is stored. One thread (the engine
// message dispatch); no lock.
//
// A block is a 32-bit count n followed by n records of 148 bytes. Blocks are
// read defensively: a count that the rest of the file cannot hold, or a
// short read, ends the lookup of that tile as missing, and the texts of every
// record read are terminated. A record is its two coordinates (native
// doubles), the 32-byte identifier and the 100-byte name, unpadded.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VMap.h"
#include "engine/base/VString.h"
#include "engine/model/SearchRecords.h"

namespace mapengine {

struct tag_PoiBkgCacheElem {
  tag_PoiBkgCacheElem() = default;
  tag_PoiBkgCacheElem(const tag_PoiBkgCacheElem& other) { *this = other; }
  tag_PoiBkgCacheElem& operator=(const tag_PoiBkgCacheElem& other);

  CVString key;
  CVString path;
  CVMapStringToPtr index;  // tile key -> byte offset of its block
  // The file's length after the last block written: a file of any other
  // length was removed, cut or replaced behind the cache, and its offsets no
  // longer mean what the index says.
  int length = 0;
};

using CPoiBkgTileArray = CVArray<tag_PoiBkgDataElem>;

class CPoiBkgCache {
public:
  static constexpr int kCapacity = 5;
  static constexpr int kRecordBytes = 148;

  CPoiBkgCache() { Init(); }
  ~CPoiBkgCache() { RemoveAll(); }
  CPoiBkgCache(const CPoiBkgCache&) = delete;
  CPoiBkgCache& operator=(const CPoiBkgCache&) = delete;

  void Init();
  // The folder the files go into (the engine's data folder, ending in '/').
  void SetFolder(const CVString& folder) { m_folder = folder; }
  int Find(const CVString& key) const;
  int RemoveAt(int index);
  int RemoveAll();
  // 1 when the key is cached and its file could be read: the requested
  // tiles found get their records, the others are listed as missing. 0 when
  // the key is not cached or its file cannot be read: every tile is missing.
  int Lookup(const CVString& key, CPoiBkgTileArray& tiles, CPoiBkgTileArray& missing);
  // Appends the reply's tiles to the key's file. 1, or 0 (no tiles, no file).
  int Store(const CVString& key, const tag_PoiBkgDataRst& reply);

  int GetCount() const { return m_entries.GetSize(); }
  const tag_PoiBkgCacheElem& GetAt(int index) const { return m_entries[index]; }

  static CVString TileKey(const tag_PoiBkgDataElem& tile);

private:
  CVArray<tag_PoiBkgCacheElem> m_entries;
  CVString m_folder;
  int m_nFileCounter = 0;
};


}  // namespace mapengine
