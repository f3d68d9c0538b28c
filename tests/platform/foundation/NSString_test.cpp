#include <gtest/gtest.h>

#include <map>

#include "platform/foundation/NSException.h"
#include "platform/foundation/NSString.h"

TEST(NSString, NilAndEmptyDiffer)
{
    NSString nil;
    NSString empty("");
    EXPECT_TRUE(nil.isNil());
    EXPECT_FALSE(empty.isNil());
    EXPECT_EQ(nil.UTF8String(), nullptr);
    EXPECT_STREQ(empty.UTF8String(), "");
    EXPECT_FALSE(nil == empty);
    EXPECT_FALSE(nil.isEqualToString(nil));
    EXPECT_FALSE(empty.hasPrefix(""));
    EXPECT_EQ(NSString(static_cast<const char*>(nullptr)), nil);
    std::map<NSString, int> keyed{{nil, 1}, {empty, 2}};
    EXPECT_EQ(keyed.size(), 2u);
}

TEST(NSString, LengthsAndIndicesCountUTF16Units)
{
    NSString s("a中😀b");  // the emoji is a surrogate pair
    EXPECT_EQ(s.length(), 5u);
    EXPECT_EQ(s.characterAtIndex(1), u'中');
    EXPECT_EQ(s.substringFromIndex(2), NSString("😀b"));
    EXPECT_EQ(s.substringToIndex(2), NSString("a中"));
    EXPECT_EQ(s.substringWithRange({4, 1}), NSString("b"));
    EXPECT_EQ(s.rangeOfString("b"), NSMakeRange(4, 1));
    EXPECT_EQ(s.rangeOfString("x").location, static_cast<NSUInteger>(NSNotFound));
    EXPECT_EQ(NSString("AbcABC").rangeOfString("abc", NSCaseInsensitiveSearch | NSBackwardsSearch), NSMakeRange(3, 3));
}

TEST(NSString, OutOfRangeRaisesRangeException)
{
    NSString s("abc");
    EXPECT_EQ(s.substringFromIndex(3), NSString(""));
    try {
        (void)s.substringWithRange({2, 2});
        FAIL() << "no exception";
    } catch (const NSException& e) {
        EXPECT_EQ(e.name(), NSRangeException);
    }
    EXPECT_THROW((void)s.substringToIndex(4), NSException);
    EXPECT_THROW((void)s.characterAtIndex(3), NSException);
}

TEST(NSString, SplitKeepsEmptyPiecesAndReplaceAll)
{
    auto parts = NSString(",a,,b,").componentsSeparatedByString(",");
    std::vector<NSString> expected{"", "a", "", "b", ""};
    EXPECT_EQ(parts, expected);
    EXPECT_EQ(NSString("a&b&c").stringByReplacingOccurrencesOfString("&", "&amp;"), NSString("a&amp;b&amp;c"));
    EXPECT_EQ(NSString("  中 文\t\n").stringByTrimmingCharactersInSet(NSCharacterSet::whitespaceAndNewlineCharacterSet),
              NSString("中 文"));
    EXPECT_EQ(NSString(" x\n").stringByTrimmingCharactersInSet(NSCharacterSet::whitespaceCharacterSet), NSString("x\n"));
}

TEST(NSString, LenientNumbers)
{
    struct Case {
        const char* text;
        int i;
        double d;
        bool b;
    };
    const Case cases[] = {
        {"42", 42, 42.0, true},       {"  -7abc", -7, -7.0, true}, {"+3.75", 3, 3.75, true},
        {"abc", 0, 0.0, false},       {"", 0, 0.0, false},        {"99999999999", 2147483647, 99999999999.0, true},
        {"-99999999999", -2147483647 - 1, -99999999999.0, true},  {".5", 0, 0.5, false},
        {"0x10", 0, 0.0, false},      {"YES", 0, 0.0, true},      {"1e3", 1, 1000.0, true},
    };
    for (const auto& c : cases) {
        NSString s(c.text);
        EXPECT_EQ(s.intValue(), c.i) << c.text;
        EXPECT_DOUBLE_EQ(s.doubleValue(), c.d) << c.text;
        EXPECT_EQ(s.boolValue(), c.b) << c.text;
    }
    EXPECT_EQ(NSString().intValue(), 0);
}

TEST(NSString, Paths)
{
    NSString dir("/tmp/docs/");
    EXPECT_EQ(dir.stringByAppendingPathComponent("a.plist"), NSString("/tmp/docs/a.plist"));
    EXPECT_EQ(NSString("/tmp/docs/a.plist").lastPathComponent(), NSString("a.plist"));
    EXPECT_EQ(NSString("/tmp/docs/a.plist").pathExtension(), NSString("plist"));
    EXPECT_EQ(NSString("/tmp/docs/a.plist").stringByDeletingLastPathComponent(), NSString("/tmp/docs"));
}

TEST(NSString, EncodingsRoundTripAndRejectBadBytes)
{
    NSData latin1{'c', 0xE9};
    EXPECT_EQ(NSString::stringWithData(latin1, NSISOLatin1StringEncoding), NSString("cé"));
    EXPECT_TRUE(NSString::stringWithData(latin1, NSUTF8StringEncoding).isNil());
    NSString zh("中文");
    auto bytes = zh.dataUsingEncoding(NSUTF8StringEncoding);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(NSString::stringWithData(*bytes, NSUTF8StringEncoding), zh);
    EXPECT_FALSE(zh.dataUsingEncoding(NSISOLatin1StringEncoding));
    EXPECT_FALSE(NSString().dataUsingEncoding(NSUTF8StringEncoding));
}

TEST(NSStringFormat, Conversions)
{
    struct Case {
        NSString got;
        const char* want;
    };
    const Case cases[] = {
        {NSString::stringWithFormat("<SNDR>%@</SNDR>", NSString()), "<SNDR>(null)</SNDR>"},
        {NSString::stringWithFormat("%@|%@", NSString(""), NSString("中")), "|中"},
        {NSString::stringWithFormat("%d %i %u %ld", -5, 7, 3u, 1234567890123L), "-5 7 3 1234567890123"},
        {NSString::stringWithFormat("%s [Line %d] x", "-[A b]", 12), "-[A b] [Line 12] x"},
        {NSString::stringWithFormat("%s", static_cast<const char*>(nullptr)), "(null)"},
        {NSString::stringWithFormat("%f %.2f %.0f", 1.5, 2.345, 2.5), "1.500000 2.35 2"},
        {NSString::stringWithFormat("%02d:%02d", 7, 5), "07:05"},
        {NSString::stringWithFormat("%02X%02x %x", 0xAB, 0x0c, -1), "AB0c ffffffff"},
        {NSString::stringWithFormat("100%%"), "100%"},
        {NSString::stringWithFormat("%5@|%-3d|", NSString("中文"), 1), "   中文|1  |"},
        {NSString::stringWithFormat("%d %@", 1), "1 (null)"},
        {NSString::stringWithFormat("%@", std::make_shared<NSBox<int>>(9)), "9"},
        {NSString::stringWithFormat("%@", std::shared_ptr<NSObject>()), "(null)"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.got, NSString(c.want)) << c.want;
}
