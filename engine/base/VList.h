// The engine's doubly linked list. Nodes are carved from blocks of the engine
// allocator and recycled through a free list; all blocks are freed when the
// list becomes empty.
#pragma once

#include <new>
#include <utility>

#include "engine/base/VNodePool.h"

namespace mapengine {

// A position in a list or map, handed back to the container's iteration calls.
using VPOSITION = void*;

template <class T, class ARG = const T&>
class CVList {
public:
  explicit CVList(int blockSize = 10) : m_pool(blockSize) {}
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
    for (CNode* node = m_pNodeHead; node;) {
      CNode* next = node->pNext;
      node->~CNode();
      node = next;
    }
    m_pool.FreeAll();
    m_pNodeHead = m_pNodeTail = nullptr;
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

  CNode* NewNode(ARG value) {
    void* storage = m_pool.Take();
    if (!storage) {
      return nullptr;
    }
    CNode* node = new (storage) CNode{nullptr, nullptr, T(value)};
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

  CNode* m_pNodeHead = nullptr;
  CNode* m_pNodeTail = nullptr;
  int m_nCount = 0;
  CVNodePool<CNode> m_pool;
};

}  // namespace mapengine
