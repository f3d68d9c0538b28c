#include "tools/map-double/MapDouble.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// A long run (the main job, a soak) keeps the double's memory flat.
TEST(MapDouble, LogKeepsOnlyTheLatestRequests)
{
    mapdouble::MapDouble service;
    const size_t total = mapdouble::MapDouble::kRecordLimit + 10;
    for (size_t i = 0; i < total; ++i) service.record({"tile", std::to_string(i), "", -1, {}});
    const auto log = service.log();
    ASSERT_EQ(log.size(), mapdouble::MapDouble::kRecordLimit);
    EXPECT_EQ(log.front().url, "10");
    EXPECT_EQ(log.back().url, std::to_string(total - 1));
}

}  // namespace
