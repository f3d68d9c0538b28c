// The tile entry shared by the memory and file tile caches, and the recency
// list both keep their entries in. In the index file an entry is 84 bytes:
// the key (64 bytes, UTF-16LE with its terminator), the first block, 0, the
// size and 8 zero bytes; in memory the unused words hold the data pointer and
// the links.
#pragma once

#include <cstring>

#include "engine/base/VArray.h"

namespace mapengine {

// A 32-bit word as the tile cache's files hold it: four bytes, lowest first.
void PutWord(unsigned char* out, int value);
int GetWord(const unsigned char* in);

struct tagGridCacheEntry {
  static constexpr int kKeyUnits = 32;
  static constexpr int kDiskBytes = 84;

  unsigned short szKey[kKeyUnits];
  int nFirstBlock;
  unsigned char* pData;
  int nSize;
  tagGridCacheEntry* pPrev;
  tagGridCacheEntry* pNext;

  bool HasKey() const { return szKey[0] != 0; }
  // Copies at most 31 units; the rest of the field is zeroed.
  void SetKey(const unsigned short* key);
  void Store(unsigned char* out) const;
  // Reads an entry written by Store; the key is always terminated.
  void Load(const unsigned char* in);
};

// Entries in an array, every one of them in a recency list (front = most
// recently used).
class CGridEntryList {
public:
  CGridEntryList() = default;
  ~CGridEntryList() { Free(); }
  CGridEntryList(const CGridEntryList&) = delete;
  CGridEntryList& operator=(const CGridEntryList&) = delete;

  // count zeroed entries linked in array order; 0 when memory ran out (the
  // list is then empty).
  int Allocate(int count);
  void Free();
  // Zeroes every entry and relinks them in array order.
  void Reset();
  void LinkInOrder();
  void MoveToFront(tagGridCacheEntry* entry);
  void MoveToBack(tagGridCacheEntry* entry);

  int Count() const { return m_nCount; }
  tagGridCacheEntry* At(int i) { return m_pEntries + i; }
  tagGridCacheEntry* Front() const { return m_pFront; }
  tagGridCacheEntry* Back() const { return m_pBack; }

private:
  void Unlink(tagGridCacheEntry* entry);

  tagGridCacheEntry* m_pEntries = nullptr;
  int m_nCount = 0;
  tagGridCacheEntry* m_pFront = nullptr;
  tagGridCacheEntry* m_pBack = nullptr;
};

// The key of a tile: "/%d_%d_%d" of level, x and y.
void FormatTileKey(unsigned short (&key)[tagGridCacheEntry::kKeyUnits], int level, int x, int y);

}  // namespace mapengine
