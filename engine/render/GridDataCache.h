// Recently used tiles in memory, keyed by level and position, a fixed number
// of them with least-recently-used replacement; optionally backed by a file
// cache that keeps tiles across runs.
#pragma once

#include <memory>

#include "engine/base/VArray.h"
#include "engine/base/VMap.h"
#include "engine/base/VMutex.h"
#include "engine/base/VString.h"
#include "engine/render/GridCacheEntry.h"
#include "engine/render/GridDataFileCache.h"

namespace mapengine {

// One tile slot of a tile list.
struct tagGirdData {
  int nLevel;
  int nX;
  int nY;
  unsigned char* pData;  // tile bytes, a decoded pixel buffer, or null
  int nSize;             // bytes; -1 marks downloaded data that was refused
};

using CGirdDataArray = CVArray<tagGirdData, tagGirdData&>;

class CGridDataCache {
public:
  CGridDataCache();
  virtual ~CGridDataCache();
  CGridDataCache(const CGridDataCache&) = delete;
  CGridDataCache& operator=(const CGridDataCache&) = delete;

  // capacity entries, and a file cache when fileEntries and maxFileBytes are
  // both above 0. 1 when the entries were allocated; capacity 0 or less
  // changes nothing and gives 0.
  int Open(const CVString& indexPath, const CVString& dataPath, int capacity, int fileEntries, int maxFileBytes);
  // Fills each record's data and size from memory, else from the file cache
  // (the tile then enters memory); without a file cache a miss leaves the
  // record as it was, with one its data becomes null. The pointers stay the
  // cache's, valid while the tile stays in it. 0.
  int GetTiles(CGirdDataArray& records);
  // Stores a copy of each record's bytes (a present key keeps its bytes),
  // written through to the file cache when asked.
  void PutTiles(CGirdDataArray& records, int writeThrough);
  // Forgets the tile, in the file cache too when asked.
  void RemoveTile(const tagGirdData& record, int fromFile);
  // Drops every tile and resets the file cache (deleting its files).
  int Clear();
  // Drops every tile and entry, saves and destroys the file cache.
  void Close();

  int GetCapacity() const { return m_nCapacity; }
  CGridDataFileCache* GetFileCache() { return m_pFileCache.get(); }

private:
  // The entry of a key holding data, made the most recent; null on a miss.
  tagGridCacheEntry* FindAndTouch(const unsigned short* key);
  // Hands data (from CVMem) to the cache under the key; a key already
  // holding data keeps it and the offered data is released. The entry.
  tagGridCacheEntry* PutEntry(const unsigned short* key, unsigned char* data, int size, int firstBlock);
  void DropAll();

  CVMapStringToPtr m_keys;
  CGridEntryList m_entries;
  int m_nCapacity = 0;
  std::unique_ptr<CGridDataFileCache> m_pFileCache;
  CVMutex m_lock;
};

}  // namespace mapengine
