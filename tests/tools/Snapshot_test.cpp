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

// A grey field with a dark line at column lineX and a dot at (dotX, 5).
Image field(int lineX, int dotX, bool withLine = true)
{
    constexpr int kSide = 12;
    std::vector<uint32_t> px(size_t(kSide) * kSide, 0xff808080);
    for (int y = 0; y < kSide && withLine; ++y) px[size_t(y) * kSide + lineX] = 0xff202020;
    px[5 * kSide + dotX] = 0xffff0000;
    return snapshot::fromARGB32(px.data(), kSide, kSide, kSide);
}

TEST_F(SnapshotCheck, AShiftToleranceTakesContentAPixelOffButNothingGoneOrChanged)
{
    fs::create_directories(folder);
    ASSERT_TRUE(snapshot::writePng((folder / "expected.png").string(), field(4, 8)));
    const snapshot::Tolerance onePixel{0, 0, 1};
    EXPECT_FALSE(snapshot::matchesExpected(field(5, 9), folder.string()));
    EXPECT_TRUE(snapshot::matchesExpected(field(5, 9), folder.string(), onePixel));
    EXPECT_TRUE(snapshot::matchesExpected(field(3, 7), folder.string(), onePixel));
    EXPECT_FALSE(snapshot::matchesExpected(field(6, 10), folder.string(), onePixel));
    EXPECT_FALSE(snapshot::matchesExpected(field(4, 8, false), folder.string(), onePixel));
    Image recoloured = field(4, 8);
    recoloured.rgba[(5 * 12 + 8) * 4 + 1] = 0xff;  // the red dot turned yellow
    EXPECT_FALSE(snapshot::matchesExpected(recoloured, folder.string(), onePixel));
}

TEST_F(SnapshotCheck, MissingOrDifferentlySizedExpectationsFail)
{
    EXPECT_FALSE(snapshot::matchesExpected(square(0xff000000), folder.string()));
    ASSERT_TRUE(snapshot::writePng((folder / "expected.png").string(), square(0xff000000, 5)));
    EXPECT_FALSE(snapshot::matchesExpected(square(0xff000000), folder.string()));
}

}  // namespace
