#include "engine/base/VGlobalMan.h"

#include <cstdlib>
#include <cstring>
#include <new>

#include "engine/base/VCMMap.h"

namespace mapengine {

namespace {
std::atomic<CVMainGlobalMan*> g_globalMan{nullptr};

template <class T>
T* SystemNew() {
  void* p = std::calloc(1, sizeof(T));
  return p ? new (p) T() : nullptr;
}

template <class T>
void SystemDelete(void* p) {
  if (p) {
    static_cast<T*>(p)->~T();
    std::free(p);
  }
}
}  // namespace

CVMemData::CVMemData() : m_pMutex(&m_mutex) { std::memset(m_bookkeeping, 0, sizeof m_bookkeeping); }
CVMemData::~CVMemData() = default;

void* CVMemData::Alloc(size_t size) { return std::malloc(size); }

void CVMemData::Free(void* block, size_t) { std::free(block); }

CVAllocData::CVAllocData() : m_pListHead(&m_listHead) {}

CVGlobalMan::CVGlobalMan() {
  for (auto& slot : m_slots) {
    slot.store(nullptr, std::memory_order_relaxed);
  }
}

CVGlobalMan::~CVGlobalMan() = default;

void* CVGlobalMan::GetSlot(int n) const {
  if (n < 1 || n > kSlotCount) {
    return nullptr;
  }
  return m_slots[n].load(std::memory_order_acquire);
}

void CVGlobalMan::SetSlot(int n, void* value) {
  if (n >= 1 && n <= kSlotCount) {
    m_slots[n].store(value, std::memory_order_release);
  }
}

int CVGlobalMan::InitMemory(CVGlobalMan* man, void* buffer) {
  if (!man) {
    return 0;
  }
  man->SetSlot(kSlotBuffer, buffer);
  man->SetSlot(kSlotAllocData, SystemNew<CVAllocData>());
  man->SetSlot(kSlotMemData, SystemNew<CVMemData>());
  man->SetSlot(kSlotCMMap, SystemNew<CVCMMap>());
  return man->GetSlot(kSlotAllocData) && man->GetSlot(kSlotMemData) ? 1 : 0;
}

int CVGlobalMan::ReleaseMemory(CVGlobalMan* man) {
  if (!man) {
    return 1;
  }
  // The tables free their ranges through the engine allocator, so they go
  // before the memory source.
  SystemDelete<CVCMMap>(man->GetSlot(kSlotCMMap));
  man->SetSlot(kSlotCMMap, nullptr);
  SystemDelete<CVMemData>(man->GetSlot(kSlotMemData));
  man->SetSlot(kSlotMemData, nullptr);
  SystemDelete<CVAllocData>(man->GetSlot(kSlotAllocData));
  man->SetSlot(kSlotAllocData, nullptr);
  std::free(man->GetSlot(kSlotBuffer));
  man->SetSlot(kSlotBuffer, nullptr);
  return 1;
}

CVCoreGlobalMan::~CVCoreGlobalMan() = default;

CVMainGlobalMan::CVMainGlobalMan() {
  for (int n : {9, 10, 12, 13, 14, 15, 16}) {
    SetSlot(n, nullptr);
  }
}

CVMainGlobalMan::~CVMainGlobalMan() = default;

CVMainGlobalMan* GetGlobalMan() { return g_globalMan.load(std::memory_order_acquire); }

CVGlobalMan* GetGlobalManPtr() { return GetGlobalMan(); }

CVMainGlobalMan* CreateGlobalMan() {
  if (CVMainGlobalMan* existing = GetGlobalMan()) {
    return existing;
  }
  CVMainGlobalMan* man = SystemNew<CVMainGlobalMan>();
  if (!man) {
    return nullptr;
  }
  g_globalMan.store(man, std::memory_order_release);
  CVGlobalMan::InitMemory(man, nullptr);
  man->SetSlotInt(kSlotBitsPerPixel, 32);
  return man;
}

void DestroyGlobalMan() {
  CVMainGlobalMan* man = GetGlobalMan();
  if (!man) {
    return;
  }
  CVGlobalMan::ReleaseMemory(man);
  g_globalMan.store(nullptr, std::memory_order_release);
  SystemDelete<CVMainGlobalMan>(man);
}

}  // namespace mapengine
