// Every renderer test allocates through the engine allocator, which needs the
// global manager; it is created once for the whole program, with the SDK's
// host installed as the SDK's start-up does.
#include <gtest/gtest.h>

#include "engine/base/VGlobalMan.h"
#include "mapsdk/VIZEngineHost.h"

namespace {

class EngineEnvironment : public ::testing::Environment {
public:
  void SetUp() override {
    VIZEngineHost::install();
    ASSERT_NE(mapengine::CreateGlobalMan(), nullptr);
  }
  void TearDown() override { mapengine::DestroyGlobalMan(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineEnvironment);

}  // namespace
