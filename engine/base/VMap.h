// The engine's chained hash maps. Buckets are a fixed table (17 by default,
// never resized); nodes come from blocks of the engine allocator and are
// recycled through a free list; emptying a map frees its table and blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>

#include "engine/base/VList.h"
#include "engine/base/VMem.h"
#include "engine/base/VNodePool.h"
#include "engine/base/VString.h"

namespace mapengine {

// The position GetStartPos gives for a map that holds entries.
inline const VPOSITION kVBeforeStartPosition = reinterpret_cast<VPOSITION>(static_cast<intptr_t>(-1));

namespace detail {

struct WordKeyTraits {
  using Key = unsigned short;
  using KeyArg = unsigned short;
  static unsigned Hash(KeyArg key) { return static_cast<unsigned>(key) >> 4; }
  static bool Equal(const Key& stored, KeyArg key) { return stored == key; }
  static void Set(Key& stored, KeyArg key) { stored = key; }
};

struct StringKeyTraits {
  using Key = CVString;
  using KeyArg = const unsigned short*;
  static unsigned Hash(KeyArg key) {
    unsigned h = 0;
    for (; key && *key; ++key) {
      h = h * 33 + *key;
    }
    return h;
  }
  static bool Equal(const Key& stored, KeyArg key) { return stored.Compare(key) == 0; }
  static void Set(Key& stored, KeyArg key) { stored = key; }
};

template <class Traits, class Value>
class CVHashMap {
public:
  using Key = typename Traits::Key;
  using KeyArg = typename Traits::KeyArg;

  explicit CVHashMap(int blockSize) : m_pool(blockSize) {}
  CVHashMap(const CVHashMap&) = delete;
  CVHashMap& operator=(const CVHashMap&) = delete;
  virtual ~CVHashMap() { RemoveAll(); }

  static unsigned HashKey(KeyArg key) { return Traits::Hash(key); }
  int GetCount() const { return m_nCount; }
  bool IsEmpty() const { return m_nCount == 0; }
  unsigned GetHashTableSize() const { return m_nHashTableSize; }

  // Frees the table (dropping the entries it holds); when asked, allocates a
  // zeroed one of count buckets.
  void InitBuckets(unsigned count, bool allocate = true) {
    RemoveAll();
    m_pHashTable = nullptr;
    if (count == 0) {
      count = 17;
    }
    if (allocate) {
      m_pHashTable = static_cast<CNode**>(CVMem::Allocate(sizeof(CNode*) * count));
      if (m_pHashTable) {
        for (unsigned i = 0; i < count; ++i) {
          m_pHashTable[i] = nullptr;
        }
      }
    }
    m_nHashTableSize = count;
  }

  // The key's value, inserted (zero or empty) at the head of its bucket when
  // absent; null only when memory ran out.
  Value* Find(KeyArg key, bool insert) {
    unsigned hash = Traits::Hash(key);
    unsigned bucket = hash % m_nHashTableSize;
    if (m_pHashTable) {
      for (CNode* node = m_pHashTable[bucket]; node; node = node->pNext) {
        if (Traits::Equal(node->key, key)) {
          return &node->value;
        }
      }
    }
    if (!insert) {
      return nullptr;
    }
    if (!m_pHashTable) {
      InitBuckets(m_nHashTableSize, true);
      if (!m_pHashTable) {
        return nullptr;
      }
    }
    CNode* node = NewNode();
    if (!node) {
      return nullptr;
    }
    Traits::Set(node->key, key);
    node->nBucket = bucket;
    node->pNext = m_pHashTable[bucket];
    m_pHashTable[bucket] = node;
    return &node->value;
  }

  int RemoveKey(KeyArg key) {
    if (!m_pHashTable) {
      return 0;
    }
    CNode** link = &m_pHashTable[Traits::Hash(key) % m_nHashTableSize];
    for (CNode* node = *link; node; link = &node->pNext, node = node->pNext) {
      if (Traits::Equal(node->key, key)) {
        *link = node->pNext;
        FreeNode(node);
        return 1;
      }
    }
    return 0;
  }

  void RemoveAll() {
    if (m_pHashTable) {
      for (unsigned b = 0; b < m_nHashTableSize; ++b) {
        for (CNode* node = m_pHashTable[b]; node;) {
          CNode* next = node->pNext;
          node->~CNode();
          node = next;
        }
      }
    }
    CVMem::Deallocate(m_pHashTable);
    m_pHashTable = nullptr;
    m_pool.FreeAll();
    m_nCount = 0;
  }

  VPOSITION GetStartPos() const { return m_nCount ? kVBeforeStartPosition : nullptr; }

  // The entry at pos (kVBeforeStartPosition: the first); pos moves on to the
  // next entry, null after the last.
  template <class OutValue>
  void GetNextPair(VPOSITION& pos, Key& key, OutValue& value) const {
    CNode* node = static_cast<CNode*>(pos);
    if (pos == kVBeforeStartPosition) {
      node = FirstFrom(0);
    }
    if (!node) {
      pos = nullptr;
      return;
    }
    key = node->key;
    value = node->value;
    pos = node->pNext ? node->pNext : FirstFrom(node->nBucket + 1);
  }

private:
  struct CNode {
    CNode* pNext = nullptr;
    unsigned nBucket = 0;
    Key key{};
    Value value{};
  };

  CNode* FirstFrom(unsigned bucket) const {
    for (; m_pHashTable && bucket < m_nHashTableSize; ++bucket) {
      if (m_pHashTable[bucket]) {
        return m_pHashTable[bucket];
      }
    }
    return nullptr;
  }

  CNode* NewNode() {
    void* storage = m_pool.Take();
    if (!storage) {
      return nullptr;
    }
    CNode* node = new (storage) CNode();
    ++m_nCount;
    return node;
  }

  void FreeNode(CNode* node) {
    node->~CNode();
    m_pool.Give(node);
    if (--m_nCount == 0) {
      RemoveAll();
    }
  }

  CNode** m_pHashTable = nullptr;
  unsigned m_nHashTableSize = 17;
  int m_nCount = 0;
  CVNodePool<CNode> m_pool;
};

}  // namespace detail

class CVMapWordToPtr : public detail::CVHashMap<detail::WordKeyTraits, void*> {
public:
  explicit CVMapWordToPtr(int blockSize = 10) : CVHashMap(blockSize) {}
  void*& operator[](unsigned short key);
  int Lookup(unsigned short key, void*& value);
  int SetAt(unsigned short key, void* value);
};

class CVMapStringToPtr : public detail::CVHashMap<detail::StringKeyTraits, void*> {
public:
  explicit CVMapStringToPtr(int blockSize = 10) : CVHashMap(blockSize) {}
  void*& operator[](const unsigned short* key);
  int Lookup(const unsigned short* key, void*& value);
  int SetAt(const unsigned short* key, void* value);
};

class CVMapStringToString : public detail::CVHashMap<detail::StringKeyTraits, CVString> {
public:
  explicit CVMapStringToString(int blockSize = 10) : CVHashMap(blockSize) {}
  CVString& operator[](const unsigned short* key);
  int Lookup(const unsigned short* key, CVString& value);
  int SetAt(const unsigned short* key, const CVString& value);
};

}  // namespace mapengine
