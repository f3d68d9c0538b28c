#include "engine/render/GridCacheEntry.h"

#include <cstdio>

#include "engine/base/VMem.h"

namespace mapengine {

void PutWord(unsigned char* out, int value) {
  auto v = static_cast<unsigned>(value);
  for (int i = 0; i < 4; ++i) {
    out[i] = static_cast<unsigned char>(v >> (8 * i));
  }
}

int GetWord(const unsigned char* in) {
  return static_cast<int>(in[0] | (in[1] << 8) | (in[2] << 16) | (static_cast<unsigned>(in[3]) << 24));
}

void tagGridCacheEntry::SetKey(const unsigned short* key) {
  int i = 0;
  for (; key && key[i] && i < kKeyUnits - 1; ++i) {
    szKey[i] = key[i];
  }
  for (; i < kKeyUnits; ++i) {
    szKey[i] = 0;
  }
}

void tagGridCacheEntry::Store(unsigned char* out) const {
  std::memset(out, 0, kDiskBytes);
  for (int i = 0; i < kKeyUnits; ++i) {
    out[2 * i] = static_cast<unsigned char>(szKey[i]);
    out[2 * i + 1] = static_cast<unsigned char>(szKey[i] >> 8);
  }
  PutWord(out + 64, nFirstBlock);
  PutWord(out + 72, nSize);
}

void tagGridCacheEntry::Load(const unsigned char* in) {
  for (int i = 0; i < kKeyUnits; ++i) {
    szKey[i] = static_cast<unsigned short>(in[2 * i] | (in[2 * i + 1] << 8));
  }
  szKey[kKeyUnits - 1] = 0;
  nFirstBlock = GetWord(in + 64);
  nSize = GetWord(in + 72);
  pData = nullptr;
}

int CGridEntryList::Allocate(int count) {
  Free();
  if (count <= 0) {
    return 0;
  }
  m_pEntries = static_cast<tagGridCacheEntry*>(CVMem::Allocate(sizeof(tagGridCacheEntry) * static_cast<size_t>(count)));
  if (!m_pEntries) {
    return 0;
  }
  m_nCount = count;
  Reset();
  return 1;
}

void CGridEntryList::Free() {
  CVMem::Deallocate(m_pEntries);
  m_pEntries = nullptr;
  m_nCount = 0;
  m_pFront = m_pBack = nullptr;
}

void CGridEntryList::Reset() {
  std::memset(static_cast<void*>(m_pEntries), 0, sizeof(tagGridCacheEntry) * static_cast<size_t>(m_nCount));
  LinkInOrder();
}

void CGridEntryList::LinkInOrder() {
  for (int i = 0; i < m_nCount; ++i) {
    m_pEntries[i].pPrev = i > 0 ? m_pEntries + i - 1 : nullptr;
    m_pEntries[i].pNext = i + 1 < m_nCount ? m_pEntries + i + 1 : nullptr;
  }
  m_pFront = m_nCount ? m_pEntries : nullptr;
  m_pBack = m_nCount ? m_pEntries + m_nCount - 1 : nullptr;
}

void CGridEntryList::Unlink(tagGridCacheEntry* entry) {
  (entry->pPrev ? entry->pPrev->pNext : m_pFront) = entry->pNext;
  (entry->pNext ? entry->pNext->pPrev : m_pBack) = entry->pPrev;
  entry->pPrev = entry->pNext = nullptr;
}

void CGridEntryList::MoveToFront(tagGridCacheEntry* entry) {
  if (entry == m_pFront) {
    return;
  }
  Unlink(entry);
  entry->pNext = m_pFront;
  if (m_pFront) {
    m_pFront->pPrev = entry;
  }
  m_pFront = entry;
  if (!m_pBack) {
    m_pBack = entry;
  }
}

void CGridEntryList::MoveToBack(tagGridCacheEntry* entry) {
  if (entry == m_pBack) {
    return;
  }
  Unlink(entry);
  entry->pPrev = m_pBack;
  if (m_pBack) {
    m_pBack->pNext = entry;
  }
  m_pBack = entry;
  if (!m_pFront) {
    m_pFront = entry;
  }
}

void FormatTileKey(unsigned short (&key)[tagGridCacheEntry::kKeyUnits], int level, int x, int y) {
  char text[tagGridCacheEntry::kKeyUnits];
  int length = std::snprintf(text, sizeof text, "/%d_%d_%d", level, x, y);
  for (int i = 0; i < length && i < tagGridCacheEntry::kKeyUnits - 1; ++i) {
    key[i] = static_cast<unsigned char>(text[i]);
  }
  key[length < tagGridCacheEntry::kKeyUnits - 1 ? length : tagGridCacheEntry::kKeyUnits - 1] = 0;
}

}  // namespace mapengine
