// Node storage for the engine's linked containers: nodes are carved from
// blocks of the engine allocator and recycled through a free list; the blocks
// are only freed all at once, when the container empties.
#pragma once

#include <cstddef>
#include <new>

#include "engine/base/VMem.h"

namespace mapengine {

template <class Node>
class CVNodePool {
public:
  explicit CVNodePool(int blockSize) : m_nBlockSize(blockSize > 0 ? blockSize : 10) {}
  CVNodePool(const CVNodePool&) = delete;
  CVNodePool& operator=(const CVNodePool&) = delete;
  ~CVNodePool() { FreeAll(); }

  // Storage for one node, not yet constructed; null when memory ran out.
  // A fresh block's nodes are handed out first to last.
  void* Take() {
    if (!m_pFree && !AddBlock()) {
      return nullptr;
    }
    FreeSlot* slot = m_pFree;
    m_pFree = slot->pNext;
    return slot;
  }
  // Takes back the storage of a node already destroyed.
  void Give(void* storage) { m_pFree = new (storage) FreeSlot{m_pFree}; }
  // Frees every block; nodes still in use must have been destroyed first.
  void FreeAll() {
    while (m_pBlocks) {
      Block* prev = m_pBlocks->pPrev;
      CVMem::Deallocate(m_pBlocks);
      m_pBlocks = prev;
    }
    m_pFree = nullptr;
  }

private:
  struct FreeSlot {
    FreeSlot* pNext;
  };
  struct Block {
    size_t size;
    Block* pPrev;
  };
  static_assert(sizeof(Node) >= sizeof(FreeSlot) && alignof(Node) >= alignof(FreeSlot),
                "a free node holds the free list's link");
  static constexpr size_t kNodesAt = (sizeof(Block) + alignof(Node) - 1) / alignof(Node) * alignof(Node);

  bool AddBlock() {
    size_t bytes = kNodesAt + sizeof(Node) * static_cast<size_t>(m_nBlockSize);
    auto* block = static_cast<Block*>(CVMem::Allocate(bytes));
    if (!block) {
      return false;
    }
    block->size = bytes;
    block->pPrev = m_pBlocks;
    m_pBlocks = block;
    unsigned char* nodes = reinterpret_cast<unsigned char*>(block) + kNodesAt;
    // Pushed from the last so that the block's first node is taken first.
    for (int i = m_nBlockSize - 1; i >= 0; --i) {
      Give(nodes + sizeof(Node) * static_cast<size_t>(i));
    }
    return true;
  }

  FreeSlot* m_pFree = nullptr;
  Block* m_pBlocks = nullptr;
  int m_nBlockSize;
};

}  // namespace mapengine
