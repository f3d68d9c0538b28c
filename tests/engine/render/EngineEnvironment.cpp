// Every renderer test allocates through the engine allocator, which needs the
// global manager; it is created once for the whole program.
#include <gtest/gtest.h>

#include "engine/base/VGlobalMan.h"

namespace {

class EngineEnvironment : public ::testing::Environment {
public:
  void SetUp() override { ASSERT_NE(mapengine::CreateGlobalMan(), nullptr); }
  void TearDown() override { mapengine::DestroyGlobalMan(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

}  // namespace
