// Keyed coding: values come back by key through the archive's data, and a
// key that is missing or holds another kind of value decodes as nothing.
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

#include "platform/foundation/NSCoder.h"

TEST(NSCoder, ValuesComeBackByKeyThroughTheArchive)
{
    NSCoder coder;
    const double rect[4] = {1.5, -2.25, 1e9, 0};
    coder.encodeBytes(rect, sizeof rect, "MapRect");
    coder.encodeInt(-7, "MapType");
    coder.encodeBool(true, "MAP_SHOW_LOCATION");
    coder.encodeBytes(nullptr, 0, "Empty");

    const auto read = NSCoder::initForReadingWithData(coder.archivedData());
    NSUInteger length = 99;
    const uint8_t* bytes = read->decodeBytesForKey("MapRect", &length);
    ASSERT_EQ(length, sizeof rect);
    double back[4];
    std::memcpy(back, bytes, sizeof back);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(back[i], rect[i]) << i;
    EXPECT_EQ(read->decodeIntForKey("MapType"), -7);
    EXPECT_TRUE(read->decodeBoolForKey("MAP_SHOW_LOCATION"));
    EXPECT_TRUE(read->containsValueForKey("Empty"));
    EXPECT_EQ(read->decodeBytesForKey("Empty", &length), nullptr);
    EXPECT_EQ(length, 0u);
}

TEST(NSCoder, MissingOrOtherKindsDecodeAsNothing)
{
    NSCoder coder;
    coder.encodeBool(true, "flag");
    coder.encodeInt(std::numeric_limits<int>::min(), "lowest");
    NSUInteger length = 5;
    struct Case {
        const char* key;
        bool contained;
    };
    for (const Case c : {Case{"absent", false}, Case{"flag", true}}) {
        EXPECT_EQ(coder.containsValueForKey(c.key), c.contained) << c.key;
        EXPECT_EQ(coder.decodeIntForKey(c.key), 0) << c.key;
        EXPECT_EQ(coder.decodeBytesForKey(c.key, &length), nullptr) << c.key;
        EXPECT_EQ(length, 0u) << c.key;
    }
    EXPECT_FALSE(coder.decodeBoolForKey("lowest"));
    EXPECT_EQ(coder.decodeIntForKey("lowest"), std::numeric_limits<int>::min());
    EXPECT_FALSE(NSCoder::initForReadingWithData(NSData{'x', 'y'})->containsValueForKey("flag"));
}
