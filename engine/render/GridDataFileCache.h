// Downloaded tiles kept between runs: an index file and a data file of
// 2048-byte blocks, a fixed number of tiles and a maximum data size, least
// recently used tiles evicted first.
//
// Index file (32-bit little-endian): 0, the state flag (1010 closed
// properly, 0 in use), the entry count n, zeros up to 64, n entries of 84
// bytes (most recent first), the free-block count and the free blocks.
// Data file: block 0 reserved; a tile is a chain of blocks, each starting
// with a size word (the tile size in its first block, 0 in the others) and
// the next block (-1 after the last); the first block holds the key at 8 and
// the bytes from 72, the others their bytes from 8. The size word of a
// tile's first block is written last and zeroed first, so after a crash the
// data file alone tells which tiles are whole: an index not closed properly
// is rebuilt from it.
#pragma once

#include <vector>

#include "engine/base/VArray.h"
#include "engine/base/VFile.h"
#include "engine/base/VMap.h"
#include "engine/base/VMutex.h"
#include "engine/base/VString.h"
#include "engine/render/GridCacheEntry.h"

namespace mapengine {

class CGridDataFileCache {
public:
  static constexpr int kBlockSize = 2048;
  static constexpr int kFirstBlockBytes = 1976;
  static constexpr int kNextBlockBytes = 2040;
  static constexpr int kClosedFlag = 1010;
  static constexpr int kIndexHeaderBytes = 64;
  static constexpr int kRebuildRunBlocks = 10;

  // Blocks a tile of size bytes takes.
  static int BlocksFor(int size) { return static_cast<int>((static_cast<long long>(size) + 2103) / kNextBlockBytes); }

  CGridDataFileCache();
  virtual ~CGridDataFileCache();
  CGridDataFileCache(const CGridDataFileCache&) = delete;
  CGridDataFileCache& operator=(const CGridDataFileCache&) = delete;

  // 1 when open; 0 for capacity 0 or less or when memory ran out. Saves a
  // previously open index first.
  int Open(const CVString& indexPath, const CVString& dataPath, int capacity, int maxBytes);
  // A copy of the tile's bytes from CVMem::Allocate (the caller frees it)
  // and its size; the tile becomes the most recent. 0 when absent or
  // unreadable (an unreadable tile is dropped, so it is fetched again).
  int Get(const unsigned short* key, unsigned char** data, int* size);
  // 1 when stored or already present (not overwritten); 0 when it could not
  // be written.
  int Put(const unsigned short* key, const unsigned char* data, int size);
  // Frees the tile's blocks and forgets it.
  void Remove(const unsigned short* key);
  // Deletes both files and starts empty. 1.
  int Reset();
  // Writes the index (state flag 1010 last) and releases the entries.
  void SaveIndex();

  int GetCount() const { return m_nCount; }
  int GetFreeCount() const { return m_freeBlocks.GetSize(); }

private:
  int ReadIndex();
  // Rebuilds the index from the data file alone: whole tiles in block order
  // up to the capacity; every other block free. 0 when the data file cannot
  // be made.
  int Rebuild();
  void ResetFiles();
  int OpenDataFile();
  // Evicts the entry's tile: zeroes its size word and gathers its chain.
  bool Evict(tagGridCacheEntry* entry, CVArray<unsigned, unsigned>& gathered);
  // The blocks of a tile's chain after the first (at most the blocks its
  // size takes, each in range and none twice), appended to blocks.
  void ReadChain(int first, int size, CVArray<unsigned, unsigned>& blocks);
  int AllocBlocks(int count);
  int ReadWord(int position, int& value);
  // Follows a tile's chain from its first block in the data file: each
  // block in range, in no chain marked before, met once and (after the
  // first) without a size word, ending where the size says. Marks the chain's blocks and returns true when whole.
  bool MarkChain(int first, int size, std::vector<unsigned char>& used);
  int WriteWord(int position, int value);
  void Forget(tagGridCacheEntry* entry);
  bool IsBlock(int block) const { return block > 0 && block < m_nBlocks; }

  CVString m_strIndexPath;
  CVString m_strDataPath;
  CVMapStringToPtr m_keys;
  CGridEntryList m_entries;
  int m_nCount = 0;
  int m_nCapacity = 0;
  int m_nMaxBlocks = 0;
  int m_nBlocks = 0;  // blocks in the data file
  CVFile m_index;
  CVFile m_data;
  CVArray<unsigned, unsigned> m_freeBlocks;
  unsigned char* m_pBlock = nullptr;
  CVMutex m_lock;
};

}  // namespace mapengine
