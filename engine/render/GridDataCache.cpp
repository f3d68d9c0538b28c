#include "engine/render/GridDataCache.h"

#include "engine/base/VMem.h"

namespace mapengine {

CGridDataCache::CGridDataCache() { m_lock.Create(); }

CGridDataCache::~CGridDataCache() { Close(); }

void CGridDataCache::DropAll() {
  m_keys.RemoveAll();
  for (int i = 0; i < m_entries.Count(); ++i) {
    CVMem::Deallocate(m_entries.At(i)->pData);
    m_entries.At(i)->pData = nullptr;
  }
}

int CGridDataCache::Open(const CVString& indexPath, const CVString& dataPath, int capacity, int fileEntries,
                         int maxFileBytes) {
  if (capacity <= 0) {
    return 0;
  }
  Close();
  m_lock.Lock();
  int ok = m_entries.Allocate(capacity);
  m_nCapacity = ok ? capacity : 0;
  if (ok) {
    m_keys.InitBuckets(static_cast<unsigned>(capacity));
    if (fileEntries > 0 && maxFileBytes > 0) {
      m_pFileCache = std::make_unique<CGridDataFileCache>();
      m_pFileCache->Open(indexPath, dataPath, fileEntries, maxFileBytes);
    }
  }
  m_lock.Unlock();
  return ok;
}

tagGridCacheEntry* CGridDataCache::FindAndTouch(const unsigned short* key) {
  void* found = nullptr;
  if (!m_keys.Lookup(key, found) || !static_cast<tagGridCacheEntry*>(found)->pData) {
    return nullptr;
  }
  auto* entry = static_cast<tagGridCacheEntry*>(found);
  m_entries.MoveToFront(entry);
  return entry;
}

tagGridCacheEntry* CGridDataCache::PutEntry(const unsigned short* key, unsigned char* data, int size,
                                            int firstBlock) {
  void* found = nullptr;
  if (m_keys.Lookup(key, found)) {
    auto* entry = static_cast<tagGridCacheEntry*>(found);
    // A key without data (a failed copy) takes the offered bytes.
    if (entry->pData) {
      CVMem::Deallocate(data);
    } else {
      entry->pData = data;
      entry->nSize = size;
    }
    return entry;
  }
  tagGridCacheEntry* entry = m_entries.Back();
  if (entry->HasKey()) {
    CVMem::Deallocate(entry->pData);
    m_keys.RemoveKey(entry->szKey);
  }
  m_entries.MoveToFront(entry);
  entry->SetKey(key);
  entry->pData = data;
  entry->nSize = size;
  entry->nFirstBlock = firstBlock;
  m_keys[entry->szKey] = entry;
  return entry;
}

int CGridDataCache::GetTiles(CGirdDataArray& records) {
  m_lock.Lock();
  for (int i = 0; m_nCapacity > 0 && i < records.GetSize(); ++i) {
    tagGirdData& record = records[i];
    unsigned short key[tagGridCacheEntry::kKeyUnits];
    FormatTileKey(key, record.nLevel, record.nX, record.nY);
    tagGridCacheEntry* entry = FindAndTouch(key);
    if (!entry && m_pFileCache) {
      unsigned char* data = nullptr;
      int size = 0;
      entry = m_pFileCache->Get(key, &data, &size) ? PutEntry(key, data, size, 0) : nullptr;
      if (!entry) {
        record.pData = nullptr;
        record.nSize = 0;
      }
    }
    if (entry) {
      record.pData = entry->pData;
      record.nSize = entry->nSize;
    }
  }
  m_lock.Unlock();
  return 0;
}

void CGridDataCache::PutTiles(CGirdDataArray& records, int writeThrough) {
  m_lock.Lock();
  for (int i = 0; m_nCapacity > 0 && i < records.GetSize(); ++i) {
    const tagGirdData& record = records[i];
    unsigned short key[tagGridCacheEntry::kKeyUnits];
    FormatTileKey(key, record.nLevel, record.nX, record.nY);
    unsigned char* copy = nullptr;
    if (record.pData && record.nSize > 0) {
      copy = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(record.nSize)));
      if (copy) {
        std::memcpy(copy, record.pData, static_cast<size_t>(record.nSize));
      }
    }
    PutEntry(key, copy, copy ? record.nSize : 0, 0);
    if (writeThrough && m_pFileCache && record.pData && record.nSize > 0) {
      m_pFileCache->Put(key, record.pData, record.nSize);
    }
  }
  m_lock.Unlock();
}

void CGridDataCache::RemoveTile(const tagGirdData& record, int fromFile) {
  m_lock.Lock();
  unsigned short key[tagGridCacheEntry::kKeyUnits];
  FormatTileKey(key, record.nLevel, record.nX, record.nY);
  void* found = nullptr;
  if (m_nCapacity > 0 && m_keys.Lookup(key, found)) {
    auto* entry = static_cast<tagGridCacheEntry*>(found);
    CVMem::Deallocate(entry->pData);
    m_keys.RemoveKey(entry->szKey);
    entry->SetKey(nullptr);
    entry->pData = nullptr;
    entry->nSize = 0;
    m_entries.MoveToBack(entry);
  }
  if (fromFile && m_pFileCache) {
    m_pFileCache->Remove(key);
  }
  m_lock.Unlock();
}

int CGridDataCache::Clear() {
  m_lock.Lock();
  int result = 1;
  if (m_nCapacity > 0) {
    DropAll();
    m_entries.Reset();
    if (m_pFileCache) {
      result = m_pFileCache->Reset();
    }
  }
  m_lock.Unlock();
  return result;
}

void CGridDataCache::Close() {
  m_lock.Lock();
  DropAll();
  m_entries.Free();
  m_nCapacity = 0;
  if (m_pFileCache) {
    m_pFileCache->SaveIndex();
    m_pFileCache.reset();
  }
  m_lock.Unlock();
}

}  // namespace mapengine
