#include <gtest/gtest.h>

#include "platform/foundation/NSBundle.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/testing/TempFolder.h"

namespace {

NSData utf8(std::string_view s) { return NSData(s.begin(), s.end()); }

NSData utf16le(const std::u16string& s)
{
    NSData out{0xFF, 0xFE};
    for (char16_t u : s) out.push_back(static_cast<uint8_t>(u & 0xFF)), out.push_back(static_cast<uint8_t>(u >> 8));
    return out;
}

}  // namespace

TEST(NSBundle, StringsTableSyntaxAndEscapes)
{
    auto table = nxstrings::parseStringsTable(utf8(R"(/* Screen: login */
"login_title" = "登录";
// a line comment
"constant_ok"="OK" ;
"quote" = "say \"hi\"\n\tand \\ go";
"unicode" = "\U4E2D\u6587 \UD83D\UDE00";
bare_key = bare.value;
"same";
"下拉可以刷新..." = "Pull down to refresh...";
"multi
line" = "kept /* not a comment */ // either";
)"));
    const std::map<NSString, NSString> expected{
        {"login_title", "登录"},
        {"constant_ok", "OK"},
        {"quote", "say \"hi\"\n\tand \\ go"},
        {"unicode", "中文 😀"},
        {"bare_key", "bare.value"},
        {"same", "same"},
        {"下拉可以刷新...", "Pull down to refresh..."},
        {"multi\nline", "kept /* not a comment */ // either"},
    };
    EXPECT_EQ(table, expected);

    // UTF-16 with a byte-order mark, as tables are often saved.
    EXPECT_EQ(nxstrings::parseStringsTable(utf16le(u"\"k\" = \"值\";")), (std::map<NSString, NSString>{{"k", "值"}}));

    // A syntax error keeps what came before it and says where it is.
    std::vector<std::string> logged;
    auto previous = nxlog::setSink([&](const std::string& line) { logged.push_back(line); });
    auto partial = nxstrings::parseStringsTable(utf8("\"a\" = \"1\";\n\"b\" = \"2\"\n\"c\" = \"3\";"));
    EXPECT_TRUE(nxstrings::parseStringsTable(utf8("\"a\" = \"unterminated;")).empty());
    EXPECT_TRUE(nxstrings::parseStringsTable(utf8("/* open comment")).empty());
    EXPECT_TRUE(nxstrings::parseStringsTable(NSData{0xC3, 0x28}).empty());
    nxlog::setSink(previous);
    EXPECT_EQ(partial, (std::map<NSString, NSString>{{"a", "1"}}));
    ASSERT_FALSE(logged.empty());
    EXPECT_NE(logged[0].find("line 3"), std::string::npos) << logged[0];
}

TEST(NSBundle, ResourcesAndLocalizedStrings)
{
    TempFolder tmp;
    auto fm = NSFileManager::defaultManager();
    ASSERT_TRUE(fm->createFileAtPath(tmp / "Localizable.strings", utf8("\"equiplist_alertok\" = \"确定\";\n")));
    ASSERT_TRUE(fm->createFileAtPath(tmp / "Other.strings", utf8("\"equiplist_alertok\" = \"OK\";\n")));
    ASSERT_TRUE(fm->createDirectoryAtPath(tmp / "vizmap.bundle/images", true));
    ASSERT_TRUE(fm->createFileAtPath(tmp / "vizmap.bundle/images/pin.png", utf8("png")));
    ASSERT_TRUE(PlistValue(std::map<NSString, NSString>{{"CFBundleName", "Client"}}).writeToFile(tmp / "Info.plist", true));

    ScopedEnv dir("NX_RESOURCE_DIR", tmp.path().UTF8String());
    auto main = NSBundle::mainBundle();
    EXPECT_EQ(main->resourcePath(), tmp.path());
    EXPECT_EQ(NSLocalizedString("equiplist_alertok", ""), NSString("确定"));
    EXPECT_EQ(NSLocalizedString("missing_key", ""), NSString("missing_key"));
    EXPECT_EQ(main->localizedStringForKey("missing_key", "fallback", NSString()), NSString("fallback"));
    EXPECT_EQ(main->localizedStringForKey("equiplist_alertok", "", "Other"), NSString("OK"));
    EXPECT_EQ(main->localizedStringForKey("x", "", "NoSuchTable"), NSString("x"));
    EXPECT_EQ(*main->infoDictionary().objectForKey("CFBundleName").string(), NSString("Client"));

    EXPECT_EQ(main->pathForResource("Localizable", "strings"), tmp / "Localizable.strings");
    EXPECT_EQ(main->pathForResource("Info.plist", NSString()), tmp / "Info.plist");
    EXPECT_TRUE(main->pathForResource("absent", "png").isNil());
    auto viz = NSBundle::bundleWithPath(main->resourcePath().stringByAppendingPathComponent("vizmap.bundle"));
    ASSERT_TRUE(viz);
    EXPECT_EQ(viz->pathForResource("images/pin", "png"), tmp / "vizmap.bundle/images/pin.png");
    EXPECT_FALSE(NSBundle::bundleWithPath(tmp / "absent.bundle"));
    EXPECT_FALSE(NSBundle::bundleWithPath(tmp / "Info.plist"));
    EXPECT_TRUE(viz->infoDictionary().isNil());

    // Another resource folder gives another main bundle.
    TempFolder other;
    ScopedEnv dir2("NX_RESOURCE_DIR", other.path().UTF8String());
    EXPECT_EQ(NSBundle::mainBundle()->resourcePath(), other.path());
    EXPECT_EQ(NSLocalizedString("equiplist_alertok", ""), NSString("equiplist_alertok"));
}
