#include <gtest/gtest.h>

#include <malloc.h>

#include <condition_variable>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/base/VMem.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of bytes in use (its header is not installed with GCC).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace mapengine::test {

TEST(GlobalManBootstrap, NothingBeforeTheBootstrapAndSlotsClearedOnRelease) {
  ASSERT_EQ(GetGlobalMan(), nullptr);
  EXPECT_EQ(CVMem::Allocate(10), nullptr);  // the allocator needs the bootstrap

  CVMainGlobalMan* man = CreateGlobalMan();
  ASSERT_NE(man, nullptr);
  EXPECT_EQ(GetGlobalMan(), man);
  EXPECT_EQ(GetGlobalManPtr(), man);
  EXPECT_EQ(CreateGlobalMan(), man);
  EXPECT_EQ(man->GetSlotInt(kSlotBitsPerPixel), 32);
  for (int slot : {kSlotCMMap, kSlotAllocData, kSlotMemData}) {
    EXPECT_NE(man->GetSlot(slot), nullptr) << slot;
  }
  for (int slot : {kSlotMsgMan, kSlotWnd, kSlotBuffer, kSlotSocketMan, kSlotUrlTranslater, kSlotEngineRoot,
                   kSlotPoiImageSource}) {
    EXPECT_EQ(man->GetSlot(slot), nullptr) << slot;
  }

  EXPECT_EQ(CVGlobalMan::ReleaseMemory(man), 1);
  for (int slot : {kSlotCMMap, kSlotAllocData, kSlotMemData, kSlotBuffer}) {
    EXPECT_EQ(man->GetSlot(slot), nullptr) << slot;
  }
  EXPECT_EQ(CVGlobalMan::InitMemory(man, std::malloc(8)), 1);  // the buffer is freed on release
  DestroyGlobalMan();
  EXPECT_EQ(GetGlobalMan(), nullptr);
}

TEST(GlobalManBootstrap, SlotsHoldFullPointersAndIgnoreUnknownNumbers) {
  CVMainGlobalMan* man = CreateGlobalMan();
  void* high = reinterpret_cast<void*>(static_cast<uintptr_t>(0x7FFF12345678ULL));
  man->SetSlot(kSlotEngineRoot, high);
  EXPECT_EQ(man->GetSlot(kSlotEngineRoot), high);
  man->SetSlot(0, high);
  man->SetSlot(17, high);
  EXPECT_EQ(man->GetSlot(0), nullptr);
  EXPECT_EQ(man->GetSlot(17), nullptr);
  DestroyGlobalMan();
}

using AllocatorTest = EngineTest;

TEST_F(AllocatorTest, BlocksCarryTheirSizeAndAreAlignedForAnyType) {
  EXPECT_EQ(CVMem::Allocate(0), nullptr);
  for (size_t n : {size_t{1}, size_t{10}, size_t{17}, size_t{4096}, CVMem::kRunSize, CVMem::kRunSize}) {
    void* p = CVMem::Allocate(n);
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(reinterpret_cast<uintptr_t>(p) % alignof(std::max_align_t), 0u) << n;
    // Small blocks may be rounded up to their size class.
    EXPECT_GE(CVMem::BlockSize(p), n + CVMem::kHeaderSize);
    EXPECT_LT(CVMem::BlockSize(p), n + CVMem::kHeaderSize + 16);
    EXPECT_EQ(static_cast<size_t*>(p)[-1], CVMem::BlockSize(p));
    std::memset(p, 0xAB, n);
    CVMem::Deallocate(p);
  }
  CVMem::Deallocate(nullptr);
}

TEST_F(AllocatorTest, OversizedRequestsAreRefused) {
  EXPECT_EQ(CVMem::Allocate(SIZE_MAX), nullptr);
  EXPECT_EQ(CVMem::Allocate(SIZE_MAX - CVMem::kHeaderSize + 1), nullptr);
  EXPECT_EQ(VNew<double>(SIZE_MAX / 4), nullptr);
}

struct Counted {
  static inline int alive = 0;
  int value;
  Counted() : value(7) { ++alive; }
  ~Counted() { --alive; }
};

TEST_F(AllocatorTest, CountedArraysConstructAndDestroyEveryElement) {
  Counted* items = VNew<Counted>(3);
  ASSERT_NE(items, nullptr);
  EXPECT_EQ(VArrayCount(items), 3u);
  EXPECT_EQ(Counted::alive, 3);
  EXPECT_EQ(items[2].value, 7);
  EXPECT_EQ(reinterpret_cast<uintptr_t>(items) % alignof(std::max_align_t), 0u);
  VDelete(items);
  EXPECT_EQ(Counted::alive, 0);
  VDelete<Counted>(nullptr);
}

namespace {

size_t heapInUse() {
#if defined(__SANITIZE_ADDRESS__)
  return __sanitizer_get_current_allocated_bytes();
#else
  return mallinfo2().uordblks;
#endif
}

// A long-lived thread that frees whatever it is handed, as the HTTP client's
// worker frees the blocks of the requests it serves.
class Freer {
public:
  Freer() : m_thread([this] { Run(); }) {}
  ~Freer() {
    {
      std::lock_guard lock(m_mutex);
      m_stop = true;
    }
    m_cv.notify_all();
    m_thread.join();
  }
  // Hands the blocks over and waits until they are freed.
  void Free(std::vector<void*> blocks) {
    std::unique_lock lock(m_mutex);
    m_blocks = std::move(blocks);
    m_cv.notify_all();
    m_cv.wait(lock, [&] { return m_blocks.empty(); });
  }

private:
  void Run() {
    std::unique_lock lock(m_mutex);
    for (;;) {
      m_cv.wait(lock, [&] { return m_stop || !m_blocks.empty(); });
      if (m_stop) return;
      for (void* p : m_blocks) CVMem::Deallocate(p);
      m_blocks.clear();
      m_cv.notify_all();
    }
  }

  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::vector<void*> m_blocks;
  bool m_stop = false;
  std::thread m_thread;
};

}  // namespace

TEST_F(AllocatorTest, BlocksFreedOnAnotherThreadBecomeReusable) {
  Freer freer;
  auto round = [&] {
    std::vector<void*> blocks;
    for (size_t i = 0; i < 4000; ++i) blocks.push_back(CVMem::Allocate(8 + i % 240));
    blocks.push_back(CVMem::Allocate(CVMem::kRunSize));
    freer.Free(std::move(blocks));
  };
  round();
  size_t before = heapInUse();
  for (int i = 0; i < 40; ++i) round();
  // Forty rounds of about half a megabyte each: none of it may stay behind.
  EXPECT_LT(heapInUse(), before + (size_t{1} << 20));
}

}  // namespace mapengine::test
