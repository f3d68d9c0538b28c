// Shared set-up of the engine base tests: the global manager and the
// code-page tables exist for the duration of each test.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VString.h"

namespace mapengine::test {

class EngineTest : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_NE(CreateGlobalMan(), nullptr);
    auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
    ASSERT_NE(tables, nullptr);
    ASSERT_EQ(tables->LoadTables(), 1);
  }
  void TearDown() override { DestroyGlobalMan(); }
};

inline CVString W(const char16_t* s) { return CVString(VStr(s)); }

inline std::u16string U16(const CVString& s) {
  return s.GetBuffer() ? std::u16string(reinterpret_cast<const char16_t*>(s.GetBuffer()), s.GetLength())
                       : std::u16string();
}

}  // namespace mapengine::test
