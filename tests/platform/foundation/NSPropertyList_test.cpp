#include <gtest/gtest.h>

#include <cmath>

#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSPropertyList.h"
#include "TempFolder.h"

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
