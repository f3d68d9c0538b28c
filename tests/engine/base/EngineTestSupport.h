// Shared set-up of the engine base tests: the global manager and the
// code-page tables exist for the duration of each test.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "engine/base/EngineEnv.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VString.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/TempFolder.h"

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

// An engine test with a private home per test (for the user defaults, found
// through NX_APP_HOME) under which a test places its Documents folder.
class EngineHomeTest : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    setenv("NX_APP_HOME", m_root.c_str(), 1);
    NSUserDefaults::resetStandardUserDefaults();
  }
  void TearDown() override {
    NSUserDefaults::resetStandardUserDefaults();
    unsetenv("NX_APP_HOME");
    EngineTest::TearDown();
  }
  // Startup paths with this Documents folder and "/tmp/" for the caches.
  void setDocuments(const std::string& documents) {
    std::u16string d(documents.begin(), documents.end()), c = u"/tmp/";
    ASSERT_EQ(SetStartupPaths(VStr(d.c_str()), VStr(c.c_str())), 1);
  }

  TempFolder m_folder;
  std::string m_root = m_folder.path().str();
};

inline CVString W(const char16_t* s) { return CVString(VStr(s)); }

inline std::u16string U16(const CVString& s) {
  return s.GetBuffer() ? std::u16string(reinterpret_cast<const char16_t*>(s.GetBuffer()), s.GetLength())
                       : std::u16string();
}

}  // namespace mapengine::test
