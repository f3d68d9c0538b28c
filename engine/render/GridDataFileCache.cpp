#include "engine/render/GridDataFileCache.h"

#include <algorithm>

#include <vector>

#include "engine/base/VMem.h"

namespace mapengine {

namespace {

// The key as the data file holds it at offset 8 of a tile's first block.
void StoreKey(unsigned char* out, const unsigned short* key) {
  tagGridCacheEntry entry{};
  entry.SetKey(key);
  unsigned char record[tagGridCacheEntry::kDiskBytes];
  entry.Store(record);
  std::memcpy(out, record, 64);
}

}  // namespace

CGridDataFileCache::CGridDataFileCache() { m_lock.Create(); }

CGridDataFileCache::~CGridDataFileCache() {
  SaveIndex();
  CVMem::Deallocate(m_pBlock);
}

int CGridDataFileCache::ReadWord(int position, int& value) {
  unsigned char bytes[4];
  if (m_data.Seek(position, 0) != position || m_data.Read(bytes, 4) != 4) {
    return 0;
  }
  value = GetWord(bytes);
  return 1;
}

int CGridDataFileCache::WriteWord(int position, int value) {
  unsigned char bytes[4];
  PutWord(bytes, value);
  return m_data.Seek(position, 0) == position && m_data.Write(bytes, 4) == 4 ? 1 : 0;
}

int CGridDataFileCache::Open(const CVString& indexPath, const CVString& dataPath, int capacity, int maxBytes) {
  if (capacity <= 0) {
    return 0;
  }
  m_lock.Lock();
  if (m_entries.Count()) {
    m_lock.Unlock();
    SaveIndex();
    m_lock.Lock();
  }
  m_strIndexPath = indexPath;
  m_strDataPath = dataPath;
  if (!m_pBlock) {
    m_pBlock = static_cast<unsigned char*>(CVMem::Allocate(kBlockSize));
  }
  if (!m_pBlock || !m_entries.Allocate(capacity)) {
    m_lock.Unlock();
    return 0;
  }
  m_nCapacity = capacity;
  m_nCount = 0;
  m_keys.InitBuckets(static_cast<unsigned>(capacity));
  m_nMaxBlocks = maxBytes / kBlockSize;
  m_freeBlocks.SetSize(0, capacity / 2 > 0 ? capacity / 2 : 1);
  if (!ReadIndex()) {
    Rebuild();
  }
  // In use from now on: an end without SaveIndex leaves this mark.
  if (m_index.Open(m_strIndexPath, kVFileUpdate)) {
    unsigned char zero[4] = {};
    if (m_index.Seek(4, 0) == 4) {
      m_index.Write(zero, 4);
    }
    m_index.Close();
  }
  m_entries.LinkInOrder();
  m_lock.Unlock();
  return 1;
}

int CGridDataFileCache::OpenDataFile() {
  if (!m_data.Open(m_strDataPath, kVFileUpdate)) {
    return 0;
  }
  int length = m_data.GetLength();
  if (length <= 0 || length % kBlockSize != 0) {
    m_data.Close();
    return 0;
  }
  m_nBlocks = length / kBlockSize;
  return 1;
}

bool CGridDataFileCache::MarkChain(int first, int size, std::vector<unsigned char>& used) {
  if (!IsBlock(first) || used[first] || size <= 0 || BlocksFor(size) >= m_nBlocks) {
    return false;
  }
  std::vector<int> chain{first};
  int next = 0;
  if (!ReadWord(first * kBlockSize + 4, next)) {
    return false;
  }
  for (int k = 1; k < BlocksFor(size); ++k) {
    // A later block carries no size: one that does is another tile's first.
    int sizeWord = 0;
    if (!IsBlock(next) || used[next] || std::find(chain.begin(), chain.end(), next) != chain.end() ||
        !ReadWord(next * kBlockSize, sizeWord) || sizeWord != 0) {
      return false;
    }
    chain.push_back(next);
    if (!ReadWord(next * kBlockSize + 4, next)) {
      return false;
    }
  }
  if (next != -1) {
    return false;
  }
  for (int b : chain) {
    used[b] = 1;
  }
  return true;
}

// The index is trusted only when it was closed properly and everything in
// it fits the data file: entries with a key, each tile's whole chain in
// range and no block in two chains; free blocks distinct, in range and in
// no chain. Anything else rebuilds, so a damaged index never serves one
// tile's blocks as another's.
int CGridDataFileCache::ReadIndex() {
  if (!OpenDataFile() || !m_index.Open(m_strIndexPath, kVFileRead)) {
    return 0;
  }
  unsigned char header[kIndexHeaderBytes];
  int ok = m_index.Read(header, sizeof header) == sizeof header && GetWord(header + 4) == kClosedFlag;
  int count = ok ? GetWord(header + 8) : -1;
  ok = count >= 0 && count <= m_nCapacity;
  std::vector<unsigned char> used(static_cast<size_t>(m_nBlocks), 0);
  for (int i = 0; ok && i < count; ++i) {
    unsigned char record[tagGridCacheEntry::kDiskBytes];
    tagGridCacheEntry* entry = m_entries.At(i);
    void* existing = nullptr;
    ok = m_index.Read(record, sizeof record) == sizeof record;
    if (ok) {
      entry->Load(record);
      ok = entry->HasKey() && !m_keys.Lookup(entry->szKey, existing) &&
           MarkChain(entry->nFirstBlock, entry->nSize, used);
    }
    if (ok) {
      m_keys[entry->szKey] = entry;
    }
  }
  unsigned char word[4];
  int free = ok && m_index.Read(word, 4) == 4 ? GetWord(word) : -1;
  ok = free >= 0 && free < m_nBlocks;
  for (int i = 0; ok && i < free; ++i) {
    int block = m_index.Read(word, 4) == 4 ? GetWord(word) : -1;
    ok = IsBlock(block) && !used[block];
    if (ok) {
      used[block] = 1;
      m_freeBlocks.Add(static_cast<unsigned>(block));
    }
  }
  m_index.Close();
  if (!ok) {
    m_keys.RemoveAll();
    m_entries.Reset();
    m_freeBlocks.RemoveAll();
    return 0;
  }
  m_nCount = count;
  return 1;
}

int CGridDataFileCache::Rebuild() {
  m_nCount = 0;
  m_keys.RemoveAll();
  m_entries.Reset();
  m_freeBlocks.RemoveAll();
  if (!m_data.IsOpened() && !OpenDataFile()) {
    // Absent or not a whole number of blocks: both files start anew.
    m_index.Close();
    RemoveFile(m_strIndexPath);
    RemoveFile(m_strDataPath);
    std::memset(m_pBlock, 0, kBlockSize);
    if (!m_data.Open(m_strDataPath, kVFileReadWrite | kVFileCreate) || m_data.Write(m_pBlock, kBlockSize) != kBlockSize) {
      m_data.Close();
      return 0;
    }
    m_nBlocks = 1;
  }
  std::vector<unsigned char> used(static_cast<size_t>(m_nBlocks), 0);
  std::vector<int> dropped;  // first blocks whose tiles are not taken in
  std::vector<unsigned char> run(static_cast<size_t>(kBlockSize) * kRebuildRunBlocks);
  for (int start = 1; start < m_nBlocks; start += kRebuildRunBlocks) {
    int blocks = m_nBlocks - start < kRebuildRunBlocks ? m_nBlocks - start : kRebuildRunBlocks;
    unsigned bytes = static_cast<unsigned>(blocks * kBlockSize);
    if (m_data.Seek(start * kBlockSize, 0) != start * kBlockSize || m_data.Read(run.data(), bytes) != bytes) {
      break;
    }
    for (int i = 0; i < blocks; ++i) {
      const unsigned char* block = run.data() + static_cast<size_t>(i) * kBlockSize;
      int first = start + i;
      int size = GetWord(block);
      if (size == 0) {
        continue;
      }
      tagGridCacheEntry candidate{};
      unsigned char record[tagGridCacheEntry::kDiskBytes] = {};
      std::memcpy(record, block + 8, 64);
      candidate.Load(record);
      void* existing = nullptr;
      if (!candidate.HasKey() || m_nCount >= m_nCapacity || m_keys.Lookup(candidate.szKey, existing) ||
          !MarkChain(first, size, used)) {
        dropped.push_back(first);
        continue;
      }
      tagGridCacheEntry* entry = m_entries.At(m_nCount++);
      entry->SetKey(candidate.szKey);
      entry->nFirstBlock = first;
      entry->nSize = size;
      m_keys[entry->szKey] = entry;
    }
  }
  // A tile left out must not come back in a later rebuild once its blocks
  // are reused.
  for (int first : dropped) {
    if (!used[first]) {
      WriteWord(first * kBlockSize, 0);
    }
  }
  m_data.Flush();
  for (int b = 1; b < m_nBlocks; ++b) {
    if (!used[b]) {
      m_freeBlocks.Add(static_cast<unsigned>(b));
    }
  }
  unsigned char header[kIndexHeaderBytes] = {};
  if (m_index.Open(m_strIndexPath, kVFileReadWrite | kVFileCreate)) {
    m_index.Write(header, sizeof header);
    m_index.Close();
  }
  return 1;
}

void CGridDataFileCache::Forget(tagGridCacheEntry* entry) {
  m_keys.RemoveKey(entry->szKey);
  entry->SetKey(nullptr);
  entry->nFirstBlock = 0;
  entry->nSize = 0;
  m_entries.MoveToBack(entry);
  --m_nCount;
}

int CGridDataFileCache::Get(const unsigned short* key, unsigned char** data, int* size) {
  void* found = nullptr;
  if (!m_entries.Count() || !m_keys.Lookup(key, found)) {
    return 0;
  }
  auto* entry = static_cast<tagGridCacheEntry*>(found);
  if (entry->nSize <= 0 || !m_data.IsOpened()) {
    return 0;
  }
  auto* bytes = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(entry->nSize)));
  unsigned char stored[64];
  StoreKey(stored, entry->szKey);
  int block = entry->nFirstBlock;
  int copied = 0;
  int needed = BlocksFor(entry->nSize);
  bool firstMatches = false;
  bool whole = bytes != nullptr;
  for (int k = 0; whole && k < needed; ++k) {
    whole = IsBlock(block) && m_data.Seek(block * kBlockSize, 0) == block * kBlockSize &&
            m_data.Read(m_pBlock, kBlockSize) == kBlockSize;
    if (whole && k == 0) {
      // The block must still be this tile's first block.
      firstMatches = GetWord(m_pBlock) == entry->nSize && std::memcmp(m_pBlock + 8, stored, 64) == 0;
      whole = firstMatches;
    } else if (whole) {
      whole = GetWord(m_pBlock) == 0;
    }
    if (whole) {
      int offset = k == 0 ? 72 : 8;
      int room = k == 0 ? kFirstBlockBytes : kNextBlockBytes;
      int take = entry->nSize - copied < room ? entry->nSize - copied : room;
      std::memcpy(bytes + copied, m_pBlock + offset, static_cast<size_t>(take));
      copied += take;
      block = GetWord(m_pBlock + 4);
    }
  }
  if (!whole || block != -1) {
    CVMem::Deallocate(bytes);
    if (firstMatches) {
      // A damaged chain: dropped for good, so the tile is fetched again.
      WriteWord(entry->nFirstBlock * kBlockSize, 0);
    }
    Forget(entry);
    return 0;
  }
  m_entries.MoveToFront(entry);
  *data = bytes;
  *size = entry->nSize;
  return 1;
}

void CGridDataFileCache::ReadChain(int first, int size, CVArray<unsigned, unsigned>& blocks) {
  int next = 0;
  if (!ReadWord(first * kBlockSize + 4, next)) {
    return;
  }
  int start = blocks.GetSize();
  for (int k = 1; k < BlocksFor(size) && IsBlock(next) && next != first; ++k) {
    for (int i = start; i < blocks.GetSize(); ++i) {
      if (blocks[i] == static_cast<unsigned>(next)) {
        return;
      }
    }
    blocks.Add(static_cast<unsigned>(next));
    if (!ReadWord(next * kBlockSize + 4, next)) {
      return;
    }
  }
}

bool CGridDataFileCache::Evict(tagGridCacheEntry* entry, CVArray<unsigned, unsigned>& gathered) {
  if (!WriteWord(entry->nFirstBlock * kBlockSize, 0)) {
    return false;
  }
  gathered.Add(static_cast<unsigned>(entry->nFirstBlock));
  ReadChain(entry->nFirstBlock, entry->nSize, gathered);
  Forget(entry);
  return true;
}

int CGridDataFileCache::AllocBlocks(int count) {
  CVArray<unsigned, unsigned> gathered;
  auto enough = [&] { return m_freeBlocks.GetSize() + gathered.GetSize() >= count; };
  tagGridCacheEntry* back = m_entries.Back();
  if (back && back->nFirstBlock != 0 && !Evict(back, gathered)) {
    return 0;
  }
  // New blocks at the end of the file; they count as the file's from now on.
  while (!enough() && m_nBlocks < m_nMaxBlocks) {
    gathered.Add(static_cast<unsigned>(m_nBlocks++));
  }
  for (tagGridCacheEntry* entry = m_entries.Back(); !enough() && entry;) {
    tagGridCacheEntry* before = entry->pPrev;
    if (entry->nFirstBlock != 0 && !Evict(entry, gathered)) {
      return 0;
    }
    entry = before;
  }
  m_freeBlocks.Append(gathered);
  return m_freeBlocks.GetSize() >= count ? 1 : 0;
}

int CGridDataFileCache::Put(const unsigned short* key, const unsigned char* data, int size) {
  void* found = nullptr;
  if (!m_entries.Count() || m_keys.Lookup(key, found)) {
    return m_entries.Count() ? 1 : 0;
  }
  int needed = BlocksFor(size);
  if (size <= 0 || !data || !m_data.IsOpened() || !AllocBlocks(needed)) {
    return 0;
  }
  const unsigned* blocks = m_freeBlocks.GetData();
  int copied = 0;
  for (int k = 0; k < needed; ++k) {
    int offset = k == 0 ? 72 : 8;
    int room = k == 0 ? kFirstBlockBytes : kNextBlockBytes;
    int take = size - copied < room ? size - copied : room;
    std::memset(m_pBlock, 0, kBlockSize);
    PutWord(m_pBlock + 4, k + 1 < needed ? static_cast<int>(blocks[k + 1]) : -1);
    if (k == 0) {
      StoreKey(m_pBlock + 8, key);
    }
    std::memcpy(m_pBlock + offset, data + copied, static_cast<size_t>(take));
    copied += take;
    int position = static_cast<int>(blocks[k]) * kBlockSize;
    if (m_data.Seek(position, 0) != position || m_data.Write(m_pBlock, kBlockSize) != kBlockSize) {
      return 0;
    }
  }
  // The size word last: only now does the data file hold the tile.
  // Flushed, so that a tile once stored survives the process.
  int first = static_cast<int>(blocks[0]);
  if (!WriteWord(first * kBlockSize, size) || m_data.Flush() != 0) {
    return 0;
  }
  m_freeBlocks.RemoveAt(0, needed);
  tagGridCacheEntry* entry = m_entries.Back();
  entry->SetKey(key);
  entry->nFirstBlock = first;
  entry->nSize = size;
  entry->pData = nullptr;
  m_entries.MoveToFront(entry);
  m_keys[entry->szKey] = entry;
  if (m_nCount < m_nCapacity) {
    ++m_nCount;
  }
  return 1;
}

void CGridDataFileCache::Remove(const unsigned short* key) {
  m_lock.Lock();
  void* found = nullptr;
  if (m_entries.Count() && m_keys.Lookup(key, found) && m_data.IsOpened()) {
    auto* entry = static_cast<tagGridCacheEntry*>(found);
    CVArray<unsigned, unsigned> blocks;
    if (Evict(entry, blocks) && m_data.Flush() == 0) {
      m_freeBlocks.Append(blocks);
    }
  }
  m_lock.Unlock();
}

void CGridDataFileCache::ResetFiles() {
  m_index.Close();
  m_data.Close();
  RemoveFile(m_strIndexPath);
  RemoveFile(m_strDataPath);
  Rebuild();
  m_entries.LinkInOrder();
}

int CGridDataFileCache::Reset() {
  m_lock.Lock();
  if (m_entries.Count()) {
    ResetFiles();
  }
  m_lock.Unlock();
  return 1;
}

void CGridDataFileCache::SaveIndex() {
  m_lock.Lock();
  if (m_entries.Count() && m_index.Open(m_strIndexPath, kVFileRead)) {
    unsigned char header[kIndexHeaderBytes] = {};
    bool inUse = m_index.Read(header, 8) == 8 && GetWord(header + 4) == 0;
    m_index.Close();
    // Only the index this cache marked in use is rewritten; the flag last.
    if (inUse && m_data.Flush() == 0) {
      std::vector<unsigned char> bytes(kIndexHeaderBytes);
      int count = 0;
      for (tagGridCacheEntry* entry = m_entries.Front(); entry; entry = entry->pNext) {
        if (entry->HasKey() && entry->nFirstBlock != 0) {
          bytes.resize(bytes.size() + tagGridCacheEntry::kDiskBytes);
          entry->Store(bytes.data() + bytes.size() - tagGridCacheEntry::kDiskBytes);
          ++count;
        }
      }
      PutWord(bytes.data() + 8, count);
      bytes.resize(bytes.size() + 4 + 4 * static_cast<size_t>(m_freeBlocks.GetSize()));
      unsigned char* free = bytes.data() + kIndexHeaderBytes + static_cast<size_t>(count) * tagGridCacheEntry::kDiskBytes;
      PutWord(free, m_freeBlocks.GetSize());
      for (int i = 0; i < m_freeBlocks.GetSize(); ++i) {
        PutWord(free + 4 + 4 * i, static_cast<int>(m_freeBlocks[i]));
      }
      unsigned char flag[4];
      PutWord(flag, kClosedFlag);
      if (m_index.Open(m_strIndexPath, kVFileReadWrite | kVFileCreate) &&
          m_index.Write(bytes.data(), static_cast<unsigned>(bytes.size())) == bytes.size() && m_index.Flush() == 0 &&
          m_index.Seek(4, 0) == 4) {
        m_index.Write(flag, 4);
      }
      m_index.Close();
    }
  }
  m_data.Close();
  m_keys.RemoveAll();
  m_entries.Free();
  m_freeBlocks.RemoveAll();
  m_nCount = 0;
  m_nCapacity = 0;
  m_lock.Unlock();
}

}  // namespace mapengine
