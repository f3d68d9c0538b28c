#include "engine/base/VMem.h"

#include "engine/base/VGlobalMan.h"

namespace mapengine {

void* CVMem::Allocate(size_t n) {
  if (n == 0 || n > SIZE_MAX - kHeaderSize) {
    return nullptr;
  }
  CVGlobalMan* man = GetGlobalManPtr();
  CVMemData* source = man ? static_cast<CVMemData*>(man->GetSlot(kSlotMemData)) : nullptr;
  if (!source) {
    return nullptr;
  }
  auto* block = static_cast<unsigned char*>(CVMemData::Alloc(n + kHeaderSize));
  if (!block) {
    return nullptr;
  }
  reinterpret_cast<size_t*>(block + kHeaderSize)[-1] = n + kHeaderSize;
  return block + kHeaderSize;
}

void CVMem::Deallocate(void* p) {
  if (!p) {
    return;
  }
  size_t size = BlockSize(p);
  void* block = static_cast<unsigned char*>(p) - kHeaderSize;
  // The memory source is the system allocator, so a block freed after the
  // managers were released still goes back to the right place.
  CVMemData::Free(block, size);
}

}  // namespace mapengine
