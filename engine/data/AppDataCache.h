// The cache of recent parsed search results, each kept under the full request
// URL that produced it. First in, first out: entries go in at the front and
// are released from the back; a look-up never reorders them.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VString.h"

namespace mapengine {

// Releases the block a data pointer points at (given its address and the
// result type) and sets the pointer to null.
using ResultReleaseFn = void (*)(void** data, int type);

class CAppDataCache {
public:
  struct tag_CacheElem {
    CVString key;
    void* data = nullptr;
    int type = 0;
    ResultReleaseFn release = nullptr;
  };
  // Told about every block just before it is released, so that whoever lent
  // the block out can forget it.
  using ReleaseListener = void (*)(void* context, const void* data, int type);

  CAppDataCache() = default;
  ~CAppDataCache();
  CAppDataCache(const CAppDataCache&) = delete;
  CAppDataCache& operator=(const CAppDataCache&) = delete;

  // The largest number of entries kept; a limit below 1 keeps one.
  void SetLimit(int limit) { m_limit = limit; }
  void SetReleaseListener(ReleaseListener listener, void* context) {
    m_listener = listener;
    m_listenerContext = context;
  }
  int GetCount() const { return m_entries.GetSize(); }
  // The newest entry under the key: 1 with its data and type, else 0.
  int Find(const CVString& key, void** data, int* type) const;
  // Releases the oldest entries until there is room, then keeps the block
  // (which the cache now owns) at the front. 1, or 0 when memory ran out (the
  // block is then released at once).
  int Add(const CVString& key, void* data, int type, ResultReleaseFn release);
  // Releases every entry, oldest first.
  void RemoveAll();

private:
  void ReleaseLast();

  int m_limit = 0;
  CVArray<tag_CacheElem> m_entries;
  ReleaseListener m_listener = nullptr;
  void* m_listenerContext = nullptr;
};

// The release function of the search caches: destroys the records of a block
// made with VNew by the record type of the result type and frees the block.
// Blocks of types it does not know are left alone.
void ReleaseSearchResult(void** data, int type);

}  // namespace mapengine
