// The engine's global manager: one record per process whose numbered slots
// (1 to 16) hold the engine's singletons. Slots hold pointers (or, for slot 7,
// an integer) and are read and written atomically, since the engine's threads
// read them while the main thread may still publish.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

#include "engine/base/VMutex.h"

namespace mapengine {

enum : int {
  kSlotCMMap = 1,          // CVCMMap, the code-page tables
  kSlotAllocData = 2,      // CVAllocData
  kSlotMemData = 3,        // CVMemData, the allocator's memory source
  kSlotMsgMan = 5,         // CVMsgMan, the message runtime
  kSlotWnd = 6,            // the screen window
  kSlotBitsPerPixel = 7,   // the integer 32
  kSlotBuffer = 8,         // the buffer handed to InitMemory
  kSlotSocketMan = 9,      // the root in its socket-manager role
  kSlotUrlTranslater = 10, // the request URL builder
  kSlotHttpClients = 11,   // the HTTP client registry (CVMapWordToPtr)
  kSlotEngineEnv = 13,     // the engine environment
  kSlotHostAddrCache = 14, // the host-address cache
  kSlotEngineRoot = 15,    // the engine root object
  kSlotPoiImageSource = 16,
  kSlotCount = 16
};

// The allocator's memory source: the system allocator.
class CVMemData {
public:
  CVMemData();
  ~CVMemData();
  static void* Alloc(size_t size);
  // The size is not needed by the system allocator.
  static void Free(void* block, size_t size);

private:
  unsigned char m_bookkeeping[64];
  CVMutex m_mutex;
  [[maybe_unused]] CVMutex* m_pMutex;
  [[maybe_unused]] int m_word = 0;
};

// Allocation bookkeeping kept for the engine's layout; the allocator does not use it.
class CVAllocData {
public:
  CVAllocData();

private:
  [[maybe_unused]] int m_word0 = 0;
  [[maybe_unused]] void** m_pListHead;
  void* m_listHead = nullptr;
  [[maybe_unused]] int m_step = 8;
  [[maybe_unused]] int m_word1 = 0;
  CVMutex m_mutex;
};

class CVGlobalMan {
public:
  CVGlobalMan();
  virtual ~CVGlobalMan();
  CVGlobalMan(const CVGlobalMan&) = delete;
  CVGlobalMan& operator=(const CVGlobalMan&) = delete;

  void* GetSlot(int n) const;
  void SetSlot(int n, void* value);
  intptr_t GetSlotInt(int n) const { return reinterpret_cast<intptr_t>(GetSlot(n)); }
  void SetSlotInt(int n, intptr_t value) { SetSlot(n, reinterpret_cast<void*>(value)); }

  // Stores the buffer in slot 8 and creates the allocation bookkeeping (slot 2),
  // the memory source (slot 3) and empty code-page tables (slot 1).
  // 1 when slots 2 and 3 are set, else 0.
  static int InitMemory(CVGlobalMan* man, void* buffer);
  // Destroys the code-page tables, the memory source, the bookkeeping and frees
  // the buffer, clearing each slot. 1.
  static int ReleaseMemory(CVGlobalMan* man);

protected:
  std::atomic<void*> m_slots[kSlotCount + 1];
};

class CVCoreGlobalMan : public CVGlobalMan {
public:
  CVCoreGlobalMan() = default;
  ~CVCoreGlobalMan() override;
};

class CVMainGlobalMan : public CVCoreGlobalMan {
public:
  CVMainGlobalMan();
  ~CVMainGlobalMan() override;
};

// The one global manager; null before CreateGlobalMan.
CVMainGlobalMan* GetGlobalMan();
CVGlobalMan* GetGlobalManPtr();

// The engine half of the bootstrap: allocates the record with the system
// allocator, constructs it, publishes it, InitMemory with a null buffer and
// slot 7 = 32. Returns the record (the existing one when called again), null
// when memory ran out.
CVMainGlobalMan* CreateGlobalMan();
// Releases the memory managers, destroys and frees the record and unpublishes it.
void DestroyGlobalMan();

}  // namespace mapengine
