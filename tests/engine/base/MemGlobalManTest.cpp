#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "EngineTestSupport.h"
#include "engine/base/VMem.h"

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

}  // namespace mapengine::test
