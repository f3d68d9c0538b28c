#include "engine/base/VMem.h"

#include "engine/base/VGlobalMan.h"

#if defined(__SANITIZE_ADDRESS__)
#include <sanitizer/asan_interface.h>
// A cached block is off limits to everyone but the cache.
#define VMEM_POISON(p, n) ASAN_POISON_MEMORY_REGION(p, n)
#define VMEM_UNPOISON(p, n) ASAN_UNPOISON_MEMORY_REGION(p, n)
#else
#define VMEM_POISON(p, n) ((void)(p), (void)(n))
#define VMEM_UNPOISON(p, n) ((void)(p), (void)(n))
#endif

namespace mapengine {

namespace {

// Small blocks freed by a thread are kept for its next allocations of the same
// size class: the engine makes and drops many small strings and records, and
// the system allocator's slow path dominated that work. Runs (arena blocks)
// are kept the same way: the system hands large freed blocks back to the
// kernel, and paging them in again cost more than filling them. Each class
// keeps at most kCachedBytesPerClass bytes of blocks; the rest, and
// everything at thread exit, goes back to the system.
//
// Only the thread that allocated a block keeps it when it frees it: a block
// freed on another thread goes back to the system, where the allocating
// thread finds it again. (A worker that frees what another thread allocates
// would otherwise gather memory that its own allocations never ask for.) The
// first word of a block's header names the cache of its allocating thread.
constexpr bool kUseCache = true;
constexpr size_t kClassBytes = 16;
constexpr size_t kSmallClasses = 16;  // blocks up to 256 bytes with their header
constexpr size_t kRunClass = kSmallClasses;
constexpr size_t kClasses = kSmallClasses + 1;
constexpr size_t kRunBlockSize = CVMem::kRunSize + CVMem::kHeaderSize;
constexpr size_t kCachedBytesPerClass = 8u << 20;

struct BlockCache {
  struct Free {
    Free* next;
  };
  Free* heads[kClasses] = {};
  int counts[kClasses] = {};
  // Set once the thread's cache is gone: late frees go straight to the system.
  bool closed = false;

  ~BlockCache() {
    closed = true;
    for (size_t cls = 0; cls < kClasses; ++cls) {
      Free*& head = heads[cls];
      while (head) {
        Free* next = head->next;
        VMEM_UNPOISON(head, ClassSize(cls));
        CVMemData::Free(head, 0);
        head = next;
      }
      counts[cls] = 0;
    }
  }
  // The class of a whole-block size, or kClasses when it is not cached.
  static size_t ClassOf(size_t blockSize) {
    if (blockSize == kRunBlockSize) {
      return kRunClass;
    }
    size_t cls = (blockSize + kClassBytes - 1) / kClassBytes - 1;
    return cls < kSmallClasses ? cls : kClasses;
  }
  // The whole-block size of every block of a class.
  static size_t ClassSize(size_t cls) { return cls == kRunClass ? kRunBlockSize : (cls + 1) * kClassBytes; }
};

thread_local BlockCache t_cache;

}  // namespace

void* CVMem::Allocate(size_t n) {
  if (n == 0 || n > SIZE_MAX - kHeaderSize) {
    return nullptr;
  }
  CVGlobalMan* man = GetGlobalManPtr();
  CVMemData* source = man ? static_cast<CVMemData*>(man->GetSlot(kSlotMemData)) : nullptr;
  if (!source) {
    return nullptr;
  }
  size_t size = n + kHeaderSize;
  size_t cls = BlockCache::ClassOf(size);
  unsigned char* block = nullptr;
  if (kUseCache && cls < kClasses && !t_cache.closed) {
    size = BlockCache::ClassSize(cls);  // every block of a class can serve any request of it
    if (BlockCache::Free* cached = t_cache.heads[cls]) {
      t_cache.heads[cls] = cached->next;
      --t_cache.counts[cls];
      block = reinterpret_cast<unsigned char*>(cached);
      VMEM_UNPOISON(block, size);
    }
  }
  if (!block) {
    block = static_cast<unsigned char*>(CVMemData::Alloc(size));
  }
  if (!block) {
    return nullptr;
  }
  reinterpret_cast<BlockCache**>(block)[0] = &t_cache;
  reinterpret_cast<size_t*>(block + kHeaderSize)[-1] = size;
  return block + kHeaderSize;
}

void CVMem::Deallocate(void* p) {
  if (!p) {
    return;
  }
  size_t size = BlockSize(p);
  void* block = static_cast<unsigned char*>(p) - kHeaderSize;
  size_t cls = BlockCache::ClassOf(size);
  bool allocatedHere = static_cast<BlockCache**>(block)[0] == &t_cache;
  if (kUseCache && cls < kClasses && size == BlockCache::ClassSize(cls) && allocatedHere && !t_cache.closed &&
      static_cast<size_t>(t_cache.counts[cls]) < kCachedBytesPerClass / size) {
    auto* entry = static_cast<BlockCache::Free*>(block);
    entry->next = t_cache.heads[cls];
    t_cache.heads[cls] = entry;
    ++t_cache.counts[cls];
    VMEM_POISON(static_cast<unsigned char*>(block) + sizeof(BlockCache::Free), size - sizeof(BlockCache::Free));
    return;
  }
  // The memory source is the system allocator, so a block freed after the
  // managers were released still goes back to the right place.
  CVMemData::Free(block, size);
}

}  // namespace mapengine
