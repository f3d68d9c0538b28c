// The engine's doubly linked list. Nodes are carved from blocks of the engine
// allocator and recycled through a free list; all blocks are freed when the
// list becomes empty.
#pragma once

#include <cstddef>
#include <new>
#include <utility>

#include "engine/base/VMem.h"

namespace mapengine {

// A position in a list or map, handed back to the container's iteration calls.
using VPOSITION = void*;

template <class T, class ARG = const T&>
class CVList {
public:
  explicit CVList(int blockSize = 10) : m_nBlockSize(blockSize > 0 ? blockSize : 10) {}
  CVList(const CVList&) = delete;
  CVList& operator=(const CVList&) = delete;
  virtual ~CVList() { RemoveAll(); }

  int GetCount() const { return m_nCount; }
  bool IsEmpty() const { return m_nCount == 0; }

  // Appends a value; its position, or null when memory ran out.
  VPOSITION AddTail(ARG value) {
    CNode* node = NewNode(value);
    if (!node) {
      return nullptr;
    }
    node->pPrev = m_pNodeTail;
    (m_pNodeTail ? m_pNodeTail->pNext : m_pNodeHead) = node;
    m_pNodeTail = node;
    return node;
  }
  // The head's value, taken out of the list; a value-initialised T when the
  // list is empty.
  T RemoveHead() {
    if (!m_pNodeHead) {
      return T();
    }
    CNode* node = m_pNodeHead;
    T value(std::move(node->data));
    m_pNodeHead = node->pNext;
    (m_pNodeHead ? m_pNodeHead->pPrev : m_pNodeTail) = nullptr;
    FreeNode(node);
    return value;
  }
  // Drops every node (destroying its value) and frees all blocks.
  void RemoveAll() {
    for (CNode* node = m_pNodeHead; node; node = node->pNext) {
      node->data.~T();
    }
    while (m_pBlocks) {
      Block* prev = m_pBlocks->pPrev;
      CVMem::Deallocate(m_pBlocks);
      m_pBlocks = prev;
    }
    m_pNodeHead = m_pNodeTail = m_pNodeFree = nullptr;
    m_nCount = 0;
  }

  // Walking in list order: GetHeadPosition, then GetNext until the position is null.
  VPOSITION GetHeadPosition() const { return m_pNodeHead; }
  T& GetNext(VPOSITION& pos) {
    CNode* node = static_cast<CNode*>(pos);
    pos = node->pNext;
    return node->data;
  }
  T& GetHead() { return m_pNodeHead->data; }
  T& GetTail() { return m_pNodeTail->data; }

private:
  struct CNode {
    CNode* pNext;
    CNode* pPrev;
    T data;
  };
  struct Block {
    size_t size;
    Block* pPrev;
  };
  static constexpr size_t kNodesAt = (sizeof(Block) + alignof(CNode) - 1) / alignof(CNode) * alignof(CNode);

  CNode* NewNode(ARG value) {
    if (!m_pNodeFree) {
      size_t bytes = kNodesAt + sizeof(CNode) * static_cast<size_t>(m_nBlockSize);
      auto* block = static_cast<Block*>(CVMem::Allocate(bytes));
      if (!block) {
        return nullptr;
      }
      block->size = bytes;
      block->pPrev = m_pBlocks;
      m_pBlocks = block;
      auto* nodes = reinterpret_cast<CNode*>(reinterpret_cast<unsigned char*>(block) + kNodesAt);
      // Pushed from the last so that the block's first node is taken first.
      for (int i = m_nBlockSize - 1; i >= 0; --i) {
        nodes[i].pNext = m_pNodeFree;
        m_pNodeFree = &nodes[i];
      }
    }
    CNode* node = m_pNodeFree;
    m_pNodeFree = node->pNext;
    node->pNext = node->pPrev = nullptr;
    new (&node->data) T(value);
    ++m_nCount;
    return node;
  }
  void FreeNode(CNode* node) {
    node->data.~T();
    node->pNext = m_pNodeFree;
    m_pNodeFree = node;
    if (--m_nCount == 0) {
      RemoveAll();
    }
  }

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  int m_nCount = 0;
  CNode* m_pNodeFree = nullptr;
  Block* m_pBlocks = nullptr;
  int m_nBlockSize;
};

}  // namespace mapengine
