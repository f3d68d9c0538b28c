// The engine allocator. Every block is preceded by a 16-byte header whose last
// word holds the size of the whole allocation (header included), so the block
// itself is aligned for any type and the size word sits right in front of it.
// The header's first word belongs to the allocator (the allocating thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <type_traits>

namespace mapengine {

class CVMem {
public:
  // Size of the header in front of every block.
  static constexpr size_t kHeaderSize = 16;
  // Usable bytes of a run: the block size for arenas (one run holds a thousand
  // small records). Freed runs are kept per thread like small blocks, so that
  // an arena made again and again reuses memory already paged in.
  static constexpr size_t kRunSize = (size_t{64} << 10) - kHeaderSize;

  // n usable bytes, or null for 0, on overflow or when memory ran out.
  static void* Allocate(size_t n);
  // Frees a block from Allocate; null is ignored.
  static void Deallocate(void* p);
  // The size word of a block: its usable size plus the header.
  static size_t BlockSize(const void* p) { return static_cast<const size_t*>(p)[-1]; }
};

// Counted arrays: objects made with the engine allocator keep their element
// count in the word in front of the first element (the engine's "array of one"
// convention for roots, records and thread blocks). The count word lives in a
// 16-byte prefix so that the elements stay aligned.
constexpr size_t kVArrayPrefix = 16;

inline size_t VArrayCount(const void* p) { return static_cast<const size_t*>(p)[-1]; }

// count objects, each zero-filled and then value-initialised; null on failure.
template <class T>
T* VNew(size_t count = 1) {
  static_assert(alignof(T) <= kVArrayPrefix, "over-aligned type");
  if (count == 0 || count > (SIZE_MAX - kVArrayPrefix) / sizeof(T)) {
    return nullptr;
  }
  size_t bytes = kVArrayPrefix + count * sizeof(T);
  auto* raw = static_cast<unsigned char*>(CVMem::Allocate(bytes));
  if (!raw) {
    return nullptr;
  }
  __builtin_memset(raw, 0, bytes);
  T* first = reinterpret_cast<T*>(raw + kVArrayPrefix);
  reinterpret_cast<size_t*>(first)[-1] = count;
  for (size_t i = 0; i < count; ++i) {
    new (first + i) T();
  }
  return first;
}

// Destroys every element of an array from VNew, in order, and frees it.
template <class T>
void VDelete(T* p) {
  if (!p) {
    return;
  }
  size_t count = VArrayCount(p);
  for (size_t i = 0; i < count; ++i) {
    p[i].~T();
  }
  CVMem::Deallocate(reinterpret_cast<unsigned char*>(p) - kVArrayPrefix);
}

}  // namespace mapengine
