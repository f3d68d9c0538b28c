// The engine's growable array. Storage comes from the engine allocator; new
// places are zero-filled and then constructed, removed elements are destroyed,
// and elements move to new storage by move construction (a byte copy only for
// trivially copyable types).
#pragma once

#include <algorithm>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

#include "engine/base/VMem.h"

namespace mapengine {

template <class T, class ARG = const T&>
class CVArray {
public:
  CVArray() = default;
  // Records that hold arrays are copied element by element.
  CVArray(const CVArray& other) { Copy(other); }
  CVArray(CVArray&& other) noexcept
      : m_pData(std::exchange(other.m_pData, nullptr)), m_nSize(std::exchange(other.m_nSize, 0)),
        m_nMaxSize(std::exchange(other.m_nMaxSize, 0)), m_nGrowBy(other.m_nGrowBy) {}
  CVArray& operator=(const CVArray& other) {
    Copy(other);
    return *this;
  }
  virtual ~CVArray() { SetSize(0); }

  int GetSize() const { return m_nSize; }
  int GetCapacity() const { return m_nMaxSize; }
  int GetUpperBound() const { return m_nSize - 1; }
  T* GetData() { return m_pData; }
  const T* GetData() const { return m_pData; }
  T& operator[](int index) { return m_pData[index]; }
  const T& operator[](int index) const { return m_pData[index]; }
  T& ElementAt(int index) { return m_pData[index]; }
  const T& GetAt(int index) const { return m_pData[index]; }
  void SetAt(int index, ARG element) {
    if (index >= 0 && index < m_nSize) {
      m_pData[index] = element;
    }
  }

  // Resizes to n elements; growStep -1 keeps the grow step. 1, or 0 (nothing
  // changed) for a negative size or when memory ran out.
  int SetSize(int n, int growStep = -1);
  void RemoveAll() { SetSize(0); }
  // Grows to index + 1 when needed, then assigns. 1, or 0 for a negative index
  // or when memory ran out.
  int SetAtGrow(int index, ARG element);
  // Appends; the new element's index, or -1 when memory ran out.
  int Add(ARG element) {
    int index = m_nSize;
    return SetAtGrow(index, element) ? index : -1;
  }
  // Makes this array a copy of other, element by element. 1, or 0.
  int Copy(const CVArray& other);
  // Appends other's elements; the old size, or -1 when memory ran out.
  int Append(const CVArray& other);
  // Inserts count copies of element at index (past the end: the gap is filled
  // with new elements). 1, or 0 for a negative index, a count <= 0 or when
  // memory ran out.
  int InsertAt(int index, ARG element, int count = 1);
  // Removes count elements from index; 1, or 0 (nothing removed) when the
  // range is not inside the array.
  int RemoveAt(int index, int count = 1);

private:
  static void ConstructPlaces(T* p, int count) {
    std::memset(static_cast<void*>(p), 0, sizeof(T) * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
      new (p + i) T();
    }
  }
  static void DestroyPlaces(T* p, int count) {
    for (int i = 0; i < count; ++i) {
      p[i].~T();
    }
  }
  // Moves count elements into raw storage and ends the old ones.
  static void Relocate(T* to, T* from, int count) {
    if constexpr (std::is_trivially_copyable_v<T>) {
      if (count > 0) {
        std::memcpy(static_cast<void*>(to), static_cast<const void*>(from), sizeof(T) * static_cast<size_t>(count));
      }
    } else {
      for (int i = 0; i < count; ++i) {
        new (to + i) T(std::move(from[i]));
        from[i].~T();
      }
    }
  }
  bool Contains(const T* p) const { return m_pData && p >= m_pData && p < m_pData + m_nSize; }

  T* m_pData = nullptr;
  int m_nSize = 0;
  int m_nMaxSize = 0;
  int m_nGrowBy = 0;
};

template <class T, class ARG>
int CVArray<T, ARG>::SetSize(int n, int growStep) {
  if (n < 0) {
    return 0;
  }
  if (growStep != -1) {
    m_nGrowBy = growStep;
  }
  if (n == 0) {
    if (m_pData) {
      DestroyPlaces(m_pData, m_nSize);
      CVMem::Deallocate(m_pData);
      m_pData = nullptr;
    }
    m_nSize = m_nMaxSize = 0;
    return 1;
  }
  if (!m_pData) {
    if (static_cast<size_t>(n) > SIZE_MAX / sizeof(T)) {
      return 0;
    }
    m_pData = static_cast<T*>(CVMem::Allocate(sizeof(T) * static_cast<size_t>(n)));
    if (!m_pData) {
      return 0;
    }
    ConstructPlaces(m_pData, n);
    m_nSize = m_nMaxSize = n;
    return 1;
  }
  if (n <= m_nMaxSize) {
    if (n > m_nSize) {
      ConstructPlaces(m_pData + m_nSize, n - m_nSize);
    } else {
      DestroyPlaces(m_pData + n, m_nSize - n);
    }
    m_nSize = n;
    return 1;
  }
  long long growth = m_nGrowBy;
  if (growth == 0) {
    growth = m_nSize < 32 ? 4 : m_nSize < 8200 ? m_nSize / 8 : 1024;
  }
  long long capacity = m_nMaxSize + growth;
  if (capacity < n) {
    capacity = n;
  }
  if (capacity > 0x7FFFFFFF || static_cast<unsigned long long>(capacity) > SIZE_MAX / sizeof(T)) {
    return 0;
  }
  T* data = static_cast<T*>(CVMem::Allocate(sizeof(T) * static_cast<size_t>(capacity)));
  if (!data) {
    return 0;
  }
  Relocate(data, m_pData, m_nSize);
  ConstructPlaces(data + m_nSize, n - m_nSize);
  CVMem::Deallocate(m_pData);
  m_pData = data;
  m_nSize = n;
  m_nMaxSize = static_cast<int>(capacity);
  return 1;
}

template <class T, class ARG>
int CVArray<T, ARG>::SetAtGrow(int index, ARG element) {
  if (index < 0) {
    return 0;
  }
  if (index >= m_nSize) {
    if (Contains(&element)) {
      // Growing may move the storage the element lives in.
      T copy(element);
      if (!SetSize(index + 1)) {
        return 0;
      }
      m_pData[index] = std::move(copy);
      return 1;
    }
    if (!SetSize(index + 1)) {
      return 0;
    }
  }
  m_pData[index] = element;
  return 1;
}

template <class T, class ARG>
int CVArray<T, ARG>::Copy(const CVArray& other) {
  if (this == &other) {
    return 1;
  }
  if (!SetSize(other.m_nSize)) {
    return 0;
  }
  for (int i = 0; i < other.m_nSize; ++i) {
    m_pData[i] = other.m_pData[i];
  }
  return 1;
}

template <class T, class ARG>
int CVArray<T, ARG>::Append(const CVArray& other) {
  int oldSize = m_nSize;
  int count = other.m_nSize;
  if (!SetSize(oldSize + count)) {
    return -1;
  }
  // other may be this array: its elements are still at their old indexes.
  for (int i = 0; i < count; ++i) {
    m_pData[oldSize + i] = other.m_pData[i];
  }
  return oldSize;
}

template <class T, class ARG>
int CVArray<T, ARG>::InsertAt(int index, ARG element, int count) {
  if (index < 0 || count <= 0 || static_cast<long long>(index > m_nSize ? index : m_nSize) + count > 0x7FFFFFFF) {
    return 0;
  }
  T value(element);  // the element may live in this array
  int oldSize = m_nSize;
  if (index < oldSize) {
    if (!SetSize(oldSize + count)) {
      return 0;
    }
    std::move_backward(m_pData + index, m_pData + oldSize, m_pData + oldSize + count);
  } else if (!SetSize(index + count)) {
    return 0;
  }
  for (int i = 0; i < count; ++i) {
    m_pData[index + i] = value;
  }
  return 1;
}

template <class T, class ARG>
int CVArray<T, ARG>::RemoveAt(int index, int count) {
  if (index < 0 || count < 0 || index > m_nSize || count > m_nSize - index) {
    return 0;
  }
  std::move(m_pData + index + count, m_pData + m_nSize, m_pData + index);
  DestroyPlaces(m_pData + m_nSize - count, count);
  m_nSize -= count;
  return 1;
}

}  // namespace mapengine
