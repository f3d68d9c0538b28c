// The engine reaches its host through the interface the SDK implements; the
// tests run it with the SDK's own host, installed once as the SDK's start-up
// does.
#include <gtest/gtest.h>

#include "mapsdk/VIZEngineHost.h"

namespace {

class EngineHostEnvironment : public ::testing::Environment {
public:
  void SetUp() override { VIZEngineHost::install(); }
};

const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new EngineHostEnvironment);

}  // namespace
