#include "tools/snapshot/Snapshot.h"

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using snapshot::Image;

namespace {

Image square(uint32_t argb, int side = 4)
{
    std::vector<uint32_t> px(size_t(side) * side, argb);
    return snapshot::fromARGB32(px.data(), side, side, size_t(side));
}

class SnapshotCheck : public ::testing::Test {
protected:
    void SetUp() override
    {
        folder = fs::temp_directory_path() / ("nx-snapshot-test-" + std::to_string(::getpid()));
        fs::remove_all(folder);
        unsetenv("NX_UPDATE_SNAPSHOTS");
    }
    void TearDown() override
    {
        unsetenv("NX_UPDATE_SNAPSHOTS");
        fs::remove_all(folder);
    }
    fs::path folder;
};

TEST_F(SnapshotCheck, UpdateWritesTheExpectedImageAndStillFails)
{
    setenv("NX_UPDATE_SNAPSHOTS", "1", 1);
    EXPECT_FALSE(snapshot::matchesExpected(square(0xff336699), folder.string()));
    unsetenv("NX_UPDATE_SNAPSHOTS");
    EXPECT_TRUE(snapshot::matchesExpected(square(0xff336699), folder.string()));
    EXPECT_FALSE(fs::exists(folder / "diff.png"));
}

TEST_F(SnapshotCheck, AMismatchWritesActualAndDiffBesideTheExpectedImage)
{
    fs::create_directories(folder);
    ASSERT_TRUE(snapshot::writePng((folder / "expected.png").string(), square(0xff000000)));
    Image changed = square(0xff000000);
    changed.rgba[0] = 200;  // one red sample of one pixel out of sixteen
    EXPECT_FALSE(snapshot::matchesExpected(changed, folder.string()));
    Image diff;
    ASSERT_TRUE(snapshot::readPng((folder / "diff.png").string(), diff));
    EXPECT_EQ(diff.rgba[0], 255);
    EXPECT_EQ(diff.rgba[1], 0);
    EXPECT_TRUE(fs::exists(folder / "actual.png"));
    // Slack is given per case: a threshold per sample or a share of pixels.
    EXPECT_TRUE(snapshot::matchesExpected(changed, folder.string(), {200, 0}));
    EXPECT_TRUE(snapshot::matchesExpected(changed, folder.string(), {0, 1.0 / 16}));
    EXPECT_FALSE(fs::exists(folder / "actual.png"));
}

TEST_F(SnapshotCheck, MissingOrDifferentlySizedExpectationsFail)
{
    EXPECT_FALSE(snapshot::matchesExpected(square(0xff000000), folder.string()));
    ASSERT_TRUE(snapshot::writePng((folder / "expected.png").string(), square(0xff000000, 5)));
    EXPECT_FALSE(snapshot::matchesExpected(square(0xff000000), folder.string()));
}

}  // namespace
