#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyList.h"
#include "platform/testing/TempFolder.h"

namespace {

PlistValue read(std::string_view xml) { return PlistValue::propertyListWithData(NSData(xml.begin(), xml.end())); }

std::string text(const NSData& d) { return std::string(d.begin(), d.end()); }

}  // namespace

TEST(PlistValue, RoundTripOfEveryKind)
{
    PlistValue::Dictionary inner{{"empty array", PlistValue::Array{}}, {"empty dict", PlistValue::Dictionary{}}};
    PlistValue::Dictionary d{
        {"string", "a < b & \"c\" > 中文 😀"},
        {"empty string", ""},
        {"control", NSString("tab\there\x01")},
        {"yes", true},
        {"no", false},
        {"int", -9223372036854775807LL - 1},
        {"real", 0.1},
        {"big real", 1.5e300},
        {"date", NSDate::dateWithTimeIntervalSince1970(1796806800)},
        {"old date", NSDate::dateWithTimeIntervalSince1970(-86400 * 365.0 * 40)},
        {"data", NSData{0, 1, 2, 0xFE, 0xFF}},
        {"long data", NSData(1000, 0xAB)},
        {"empty data", NSData{}},
        {"array", PlistValue::Array{"x", 1, 2.5, true, PlistValue::Array{"nested"}}},
        {"inner", inner},
    };
    PlistValue v(d);
    NSData xml = v.xmlData();
    EXPECT_EQ(text(xml).rfind("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE plist", 0), 0u);
    PlistValue back = PlistValue::propertyListWithData(xml);
    EXPECT_EQ(back, v) << text(xml);
    EXPECT_EQ(*back.objectForKey("string").string(), NSString("a < b & \"c\" > 中文 😀"));
    EXPECT_TRUE(back.objectForKey("absent").isNil());
    EXPECT_TRUE(PlistValue().xmlData().empty());
}

TEST(PlistValue, StringsHoldingNulReadBackAsWritten)
{
    const NSString nul(std::string("a\0b", 3));
    for (const PlistValue& v : {PlistValue(nul), PlistValue(PlistValue::Dictionary{{nul, nul}}),
                                PlistValue(PlistValue::Array{NSString(std::string(1, '\0'))})}) {
        NSData xml = v.xmlData();
        EXPECT_EQ(PlistValue::propertyListWithData(xml), v) << text(xml);
    }
    EXPECT_EQ(*read("<plist><string>&#x0;&#0;</string></plist>").string(), NSString(std::string(2, '\0')));
}

TEST(PlistValue, ReadsWhatOtherWritersProduce)
{
    PlistValue v = read(R"(<?xml version="1.0" encoding="UTF-8"?>
<!-- a comment before -->
<!DOCTYPE plist PUBLIC "-//Apple//DTD PLIST 1.0//EN" "http://www.apple.com/DTDs/PropertyList-1.0.dtd">
<plist version="1.0">
<dict>
  <key>a&amp;b</key><string>&#x4E2D;&#25991;&lt;&apos;&quot;</string>
  <key>cdata</key><string><![CDATA[<raw> & text]]></string>
  <key>empty</key><string/>
  <key>n</key><integer> +42 </integer>
  <key>r</key><real>-1e-3</real>
  <key>t</key><true />
  <key>f</key><false></false>
  <key>d</key><date>2026-12-09T09:00:00Z</date>
  <key>bytes</key><data>
    AAEC
    /v8=
  </data>
  <!-- between entries -->
  <key>list</key><array><string>one</string><integer>2</integer></array>
</dict>
</plist>
)");
    ASSERT_TRUE(v.dictionary());
    EXPECT_EQ(*v.objectForKey("a&b").string(), NSString("中文<'\""));
    EXPECT_EQ(*v.objectForKey("cdata").string(), NSString("<raw> & text"));
    EXPECT_EQ(*v.objectForKey("empty").string(), NSString(""));
    EXPECT_EQ(*v.objectForKey("n").integer(), 42);
    EXPECT_EQ(*v.objectForKey("r").real(), -0.001);
    EXPECT_TRUE(*v.objectForKey("t").boolean());
    EXPECT_FALSE(*v.objectForKey("f").boolean());
    EXPECT_EQ(v.objectForKey("d").date()->timeIntervalSince1970(), 1796806800);
    EXPECT_EQ(*v.objectForKey("bytes").data(), (NSData{0, 1, 2, 0xFE, 0xFF}));
    EXPECT_FALSE(v.objectForKey("list").stringArray().has_value());  // not strings only
    EXPECT_EQ(read("<array><string>x</string><string>y</string></array>").stringArray(),
              (std::vector<NSString>{"x", "y"}));
    EXPECT_EQ(read("<plist><dict><key>k</key><string>v</string></dict></plist>").stringDictionary(),
              (std::map<NSString, NSString>{{"k", "v"}}));
}

TEST(PlistValue, MalformedInputIsNil)
{
    const char* cases[] = {
        "",
        "not xml at all",
        "<plist version=\"1.0\">",
        "<plist><dict><key>a</key></dict></plist>",
        "<plist><dict><string>no key</string></dict></plist>",
        "<plist><dict><key>a</key><string>x</string></plist>",
        "<plist><array><string>x</array></plist>",
        "<plist><string>x</string><string>y</string></plist>",
        "<plist><string>x</string></plist>trailing",
        "<plist><integer>12x</integer></plist>",
        "<plist><integer>99999999999999999999</integer></plist>",
        "<plist><integer></integer></plist>",
        "<plist><real>one</real></plist>",
        "<plist><date>yesterday</date></plist>",
        "<plist><date>2024-13-01T00:00:00Z</date></plist>",
        "<plist><data>!!!!</data></plist>",
        "<plist><data>AA==AA</data></plist>",
        "<plist><string>&unknown;</string></plist>",
        "<plist><string>&#xD800;</string></plist>",
        "<plist><string>\xff\xfe</string></plist>",
        "<plist><unknown/></plist>",
        "<plist><true>x</true></plist>",
        "<plist><string>unterminated",
        "<plist><string><![CDATA[open</string></plist>",
        "<plist><dict><key>a</key><string>x</string>stray</dict></plist>",
    };
    for (const char* c : cases) EXPECT_TRUE(read(c).isNil()) << c;

    // Deep nesting is refused rather than overflowing the stack.
    std::string deep;
    for (int i = 0; i < 100000; ++i) deep += "<array>";
    EXPECT_TRUE(read(deep).isNil());
    std::string fine;
    for (int i = 0; i < 100; ++i) fine += "<array>";
    for (int i = 0; i < 100; ++i) fine += "</array>";
    EXPECT_FALSE(read(fine).isNil());
}

TEST(PlistValue, FilesOfArraysAndDictionaries)
{
    TempFolder tmp;
    // The countdown store: an array of three strings, written atomically.
    PlistValue countdown(std::vector<NSString>{"3600.000000", "787654321", "3600.000000"});
    ASSERT_TRUE(countdown.writeToFile(tmp / "curCountDownTime.plist", true));
    EXPECT_EQ(PlistValue::arrayWithContentsOfFile(tmp / "curCountDownTime.plist"), countdown);
    EXPECT_TRUE(PlistValue::dictionaryWithContentsOfFile(tmp / "curCountDownTime.plist").isNil());

    PlistValue headers(std::map<NSString, NSString>{{"Content-Type", "text/html"}, {"ETag", "\"x\""}});
    ASSERT_TRUE(headers.writeToFile(tmp / "headers", false));
    EXPECT_EQ(PlistValue::dictionaryWithContentsOfFile(tmp / "headers"), headers);
    EXPECT_TRUE(PlistValue::arrayWithContentsOfFile(tmp / "headers").isNil());

    EXPECT_TRUE(PlistValue::dictionaryWithContentsOfFile(tmp / "absent").isNil());
    EXPECT_FALSE(PlistValue().writeToFile(tmp / "nil", true));
    EXPECT_FALSE(NSFileManager::defaultManager()->fileExistsAtPath(tmp / "nil"));
    ASSERT_TRUE(NSDataWriteToFile(NSData{'<', 'p'}, tmp / "broken", true));
    EXPECT_TRUE(PlistValue::dictionaryWithContentsOfFile(tmp / "broken").isNil());
}

// ---- Binary form ------------------------------------------------------------------

namespace {

NSData hex(std::string_view s)
{
    NSData out;
    for (size_t i = 0; i + 1 < s.size(); i += 2) {
        if (s[i] == ' ') {
            --i;
            continue;
        }
        out.push_back(static_cast<uint8_t>(std::stoi(std::string(s.substr(i, 2)), nullptr, 16)));
    }
    return out;
}

// {"a": 1}: the dictionary, its key and its value, one-byte offsets and references.
const char* const kSmallBinary =
    "62706c6973743030"  // bplist00
    "d10102"  // 8: a dictionary of one entry, key object 1, value object 2
    "5161"  // 11: "a"
    "1001"  // 13: 1
    "080b0d"  // 15: the offsets
    "000000000000 01 01 0000000000000003 0000000000000000 000000000000000f";

}  // namespace

TEST(PlistValue, BinaryRoundTripOfEveryKindAndSize)
{
    std::string longAscii(300, 'x');
    std::string longChinese;
    for (int i = 0; i < 20; ++i) longChinese += "中文";
    PlistValue::Array many;  // over 255 objects: two-byte references
    for (int i = 0; i < 400; ++i) many.emplace_back(i % 2 ? PlistValue(NSString(std::to_string(i))) : PlistValue(i));
    PlistValue::Dictionary d{
        {"string", "a < b & \"c\" > 中文 😀"},
        {"empty string", ""},
        {"fifteen chars..", "exactly fifteen"},
        {"long ascii", NSString(longAscii)},
        {"long chinese", NSString(longChinese)},
        {"nul", NSString(std::string("a\0b", 3))},
        {"yes", true},
        {"no", false},
        {"ints", PlistValue::Array{0, 255, 256, 65535, 65536, 4294967295LL, 4294967296LL, -1, 9223372036854775807LL,
                                   -9223372036854775807LL - 1}},
        {"real", 0.1},
        {"big real", -1.5e300},
        {"date", NSDate(1234567.875)},
        {"old date", NSDate::dateWithTimeIntervalSince1970(-86400 * 365.0 * 40)},
        {"data", NSData{0, 1, 2, 0xFE, 0xFF}},
        {"long data", NSData(1000, 0xAB)},
        {"empty data", NSData{}},
        {"array", PlistValue::Array{"x", 1, 2.5, true, PlistValue::Array{"nested"}}},
        {"empty array", PlistValue::Array{}},
        {"empty dict", PlistValue::Dictionary{}},
        {"many", many},
        {"中文 key", "value"},
    };
    for (const PlistValue& v : {PlistValue(d), PlistValue("top string"), PlistValue(42), PlistValue(many)}) {
        const NSData binary = v.binaryData();
        ASSERT_TRUE(PlistValue::isBinaryPropertyList(binary));
        EXPECT_EQ(PlistValue::propertyListWithBinaryData(binary), v);
        EXPECT_EQ(PlistValue::propertyListWithData(binary), v);
    }
    EXPECT_TRUE(PlistValue().binaryData().empty());
    // Nil elements are left out, as the XML form leaves them out.
    EXPECT_EQ(PlistValue::propertyListWithData(PlistValue(PlistValue::Array{"a", PlistValue(), "b"}).binaryData()),
              PlistValue(PlistValue::Array{"a", "b"}));
}

TEST(PlistValue, BinaryFormIsTheStandardLayout)
{
    const PlistValue small(PlistValue::Dictionary{{"a", 1}});
    EXPECT_EQ(small.binaryData(), hex(kSmallBinary));
    EXPECT_EQ(PlistValue::propertyListWithData(hex(kSmallBinary)), small);

    // What other writers produce: one string object shared by two references,
    // a UTF-16 string, a four-byte real, a 16-byte integer and a long count.
    const NSData other = hex(
        "62706c6973743030"
        "a501010203 04"  // 8: an array of five: objects 1, 1, 2, 3, 4
        "5178"  // 14: "x"
        "62 4e2d 6587"  // 16: "中文"
        "22 3fc00000"  // 21: 1.5 as a float
        "14 ffffffffffffffff fffffffffffffffe"  // 26: -2 in 16 bytes
        "08 0e 10 15 1a"  // 43: the offsets
        "000000000000 01 01 0000000000000005 0000000000000000 000000000000002b");
    EXPECT_EQ(PlistValue::propertyListWithData(other), PlistValue(PlistValue::Array{"x", "x", "中文", 1.5, -2}));
    const NSData longData = hex(
        "62706c6973743030"
        "4f 1010 000102030405060708090a0b0c0d0e0f"  // 8: data, its length 16 given as an integer
        "08"
        "000000000000 01 01 0000000000000001 0000000000000000 000000000000001b");
    EXPECT_EQ(*PlistValue::propertyListWithData(longData).data(), hex("000102030405060708090a0b0c0d0e0f"));
}

TEST(PlistValue, MalformedBinaryIsNil)
{
    const NSData good = hex(kSmallBinary);
    for (size_t n = 0; n < good.size(); ++n)
        EXPECT_TRUE(PlistValue::propertyListWithData(NSData(good.begin(), good.begin() + static_cast<long>(n))).isNil()) << n;
    auto with = [&](size_t at, uint8_t byte) {
        NSData d = good;
        d[at] = byte;
        return PlistValue::propertyListWithData(d);
    };
    const size_t trailer = good.size() - 32;
    EXPECT_TRUE(with(9, 0x05).isNil());  // a key reference past the objects
    EXPECT_TRUE(with(8, 0xD5).isNil());  // more entries than the object has bytes
    EXPECT_TRUE(with(11, 0x71).isNil());  // an unknown kind
    EXPECT_TRUE(with(12, 0xE1).isNil());  // an ASCII string that is not ASCII
    EXPECT_TRUE(with(15, 0x30).isNil());  // an offset inside the offset table
    EXPECT_TRUE(with(15, 0x02).isNil());  // an offset inside the header
    EXPECT_TRUE(with(trailer + 6, 0).isNil());  // offsets of no width
    EXPECT_TRUE(with(trailer + 7, 9).isNil());  // references wider than 8 bytes
    EXPECT_TRUE(with(trailer + 15, 200).isNil());  // more objects than the table holds
    EXPECT_TRUE(with(trailer + 23, 3).isNil());  // a top object past the end
    EXPECT_TRUE(with(trailer + 31, 0xFF).isNil());  // a table past the end

    // An array holding itself, and arrays that each hold the next one twice
    // (2^40 reads from a few hundred bytes), end quickly with nil.
    const NSData cycle = hex(
        "62706c6973743030 a100 08 000000000000 01 01 0000000000000001 0000000000000000 000000000000000a");
    EXPECT_TRUE(PlistValue::propertyListWithData(cycle).isNil());
    NSData doubling = hex("62706c6973743030");
    std::vector<uint8_t> offsets;
    for (int i = 0; i < 40; ++i) {
        offsets.push_back(static_cast<uint8_t>(doubling.size()));
        doubling.insert(doubling.end(), {0xA2, static_cast<uint8_t>(i + 1), static_cast<uint8_t>(i + 1)});
    }
    offsets.push_back(static_cast<uint8_t>(doubling.size()));
    doubling.push_back(0x09);
    const size_t table = doubling.size();
    doubling.insert(doubling.end(), offsets.begin(), offsets.end());
    doubling.insert(doubling.end(), {0, 0, 0, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0, 0, 0, 41, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                     0, 0, 0, 0, static_cast<uint8_t>(table)});
    EXPECT_TRUE(PlistValue::propertyListWithData(doubling).isNil());
}

// Text that is not UTF-8 has no binary form: the writer gives no bytes
// rather than a list that reads back altered.
TEST(PlistValue, BinaryFormRefusesTextThatIsNotUtf8)
{
    const NSString latin1(std::string("caf\xE9"));
    for (const PlistValue& v : {PlistValue(latin1), PlistValue(PlistValue::Array{"a", PlistValue(latin1)}),
                                PlistValue(PlistValue::Dictionary{{latin1, PlistValue(1)}})})
        EXPECT_TRUE(v.binaryData().empty());
    EXPECT_FALSE(PlistValue(NSString("caf\xC3\xA9 \xF0\x9F\x98\x80")).binaryData().empty());
}
