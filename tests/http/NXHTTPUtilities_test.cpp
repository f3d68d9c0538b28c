#include "http/NXHTTPUtilities.h"

#include <gtest/gtest.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "platform/testing/TempFolder.h"

namespace fs = std::filesystem;
using namespace nxhttp;

namespace {

NSData bytes(std::string_view s) { return NSData(s.begin(), s.end()); }

NSData randomish(size_t n)
{
    std::mt19937 rng(7);
    NSData d(n);
    for (size_t i = 0; i < n; ++i) d[i] = static_cast<uint8_t>(i % 251 < 200 ? 'a' + (i % 7) : rng());
    return d;
}

NSData zlibStream(const NSData& in)
{
    uLongf len = compressBound(in.size());
    NSData out(len);
    compress(out.data(), &len, in.data(), in.size());
    out.resize(len);
    return out;
}

struct TempDir {
    TempFolder folder;
    fs::path path = folder.path().str();
    NSString file(const char* name) const { return NSString((path / name).string()); }
};

void writeFile(const NSString& path, const NSData& d)
{
    std::ofstream(path.str(), std::ios::binary).write(reinterpret_cast<const char*>(d.data()), static_cast<std::streamsize>(d.size()));
}

NSData readFile(const NSString& path)
{
    std::ifstream in(path.str(), std::ios::binary);
    return NSData(std::istreambuf_iterator<char>(in), {});
}

}  // namespace

TEST(NXHTTPGzip, RoundTripsInMemoryForGzipAndZlibStreams)
{
    for (size_t n : {size_t{3}, size_t{1000}, size_t{200000}, size_t{3} << 20}) {
        NSData plain = randomish(n);
        auto gz = compressData(plain);
        ASSERT_TRUE(gz);
        ASSERT_GE(gz->size(), 2u);
        EXPECT_EQ((*gz)[0], 31);
        EXPECT_EQ((*gz)[1], 139);
        EXPECT_EQ(uncompressZippedData(*gz), plain) << n;
        EXPECT_EQ(uncompressZippedData(zlibStream(plain)), plain) << n;
    }
    EXPECT_EQ(uncompressZippedData(*compressData(bytes("abc"))), bytes("abc"));
}

TEST(NXHTTPGzip, EmptyInputIsReturnedUnchanged)
{
    EXPECT_EQ(compressData({}), NSData{});
    EXPECT_EQ(uncompressZippedData({}), NSData{});
}

TEST(NXHTTPGzip, DamagedTruncatedOrOversizedStreamsGiveNothing)
{
    NSData plain = randomish(100000);
    NSData gz = *compressData(plain);
    NSData half(gz.begin(), gz.begin() + static_cast<long>(gz.size() / 2));
    EXPECT_FALSE(uncompressZippedData(half));
    NSData corrupt = gz;
    for (size_t i = 20; i < 60; ++i) corrupt[i] ^= 0x5a;
    EXPECT_FALSE(uncompressZippedData(corrupt));
    EXPECT_FALSE(uncompressZippedData(bytes("not compressed at all")));
    // A bomb: 64 MB of zeros compresses to a few tens of KB; the cap refuses it.
    NSData zeros(size_t{64} << 20, 0);
    NSData bomb = *compressData(zeros);
    EXPECT_FALSE(uncompressZippedData(bomb, size_t{8} << 20));
    EXPECT_EQ(uncompressZippedData(bomb)->size(), zeros.size());
}

TEST(NXHTTPGzip, FileFormsRoundTripAndReportFailures)
{
    TempDir dir;
    NSData plain = randomish(1 << 20);
    writeFile(dir.file("plain"), plain);
    EXPECT_EQ(compressDataFromFile(dir.file("plain"), dir.file("plain.gz")), 0);
    EXPECT_EQ(uncompressZippedData(readFile(dir.file("plain.gz"))), plain);
    EXPECT_EQ(uncompressZippedDataFromFile(dir.file("plain.gz"), dir.file("back")), 0);
    EXPECT_EQ(readFile(dir.file("back")), plain);

    // Truncated and corrupt files fail with -3 (data error).
    NSData gz = readFile(dir.file("plain.gz"));
    writeFile(dir.file("cut.gz"), NSData(gz.begin(), gz.begin() + static_cast<long>(gz.size() / 2)));
    EXPECT_EQ(uncompressZippedDataFromFile(dir.file("cut.gz"), dir.file("out1")), Z_DATA_ERROR);
    writeFile(dir.file("junk.gz"), bytes("this is no gzip stream"));
    EXPECT_EQ(uncompressZippedDataFromFile(dir.file("junk.gz"), dir.file("out2")), Z_DATA_ERROR);

    // A destination that cannot be created gives 1; a missing source a non-zero status.
    EXPECT_EQ(compressDataFromFile(dir.file("plain"), dir.file("no/such/dir/x")), 1);
    EXPECT_EQ(uncompressZippedDataFromFile(dir.file("plain.gz"), dir.file("no/such/dir/x")), 1);
    EXPECT_NE(compressDataFromFile(dir.file("missing"), dir.file("out3")), 0);

    // An empty file compresses to a valid empty gzip stream.
    writeFile(dir.file("empty"), {});
    EXPECT_EQ(compressDataFromFile(dir.file("empty"), dir.file("empty.gz")), 0);
    EXPECT_EQ(uncompressZippedDataFromFile(dir.file("empty.gz"), dir.file("empty.back")), 0);
    EXPECT_TRUE(readFile(dir.file("empty.back")).empty());
}

TEST(NXHTTPBase64, EncodesWithPaddingAndNoLineBreaks)
{
    struct Case { const char* in; const char* out; } cases[] = {
        {"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
        {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"user:pass", "dXNlcjpwYXNz"},
    };
    for (const auto& c : cases) EXPECT_EQ(base64forData(bytes(c.in)), c.out) << c.in;
    NSString longText = base64forData(NSData(300, 0xff));
    EXPECT_EQ(longText.str().size(), 400u);
    EXPECT_EQ(longText.str().find('\n'), std::string::npos);
}

TEST(NXHTTPMimeType, UsesTheSystemTableAndFallsBack)
{
    TempDir dir;
    for (const char* name : {"a.png", "b.HTML", "c.unknownext", "noext"}) writeFile(dir.file(name), bytes("x"));
    EXPECT_EQ(mimeTypeForFileAtPath(dir.file("a.png")), "image/png");
    EXPECT_EQ(mimeTypeForFileAtPath(dir.file("b.HTML")), "text/html");
    EXPECT_EQ(mimeTypeForFileAtPath(dir.file("c.unknownext")), "application/octet-stream");
    EXPECT_EQ(mimeTypeForFileAtPath(dir.file("noext")), "application/octet-stream");
    EXPECT_TRUE(mimeTypeForFileAtPath(dir.file("missing.png")).isNil());
}

TEST(NXHTTPUserAgent, BuildsNameVersionAndPlatform)
{
    struct Case { std::map<NSString, NSString> info; const char* prefix; } cases[] = {
        {{{"CFBundleDisplayName", "Guard"}, {"CFBundleShortVersionString", "1.0"}, {"CFBundleVersion", "1.0"}}, "Guard 1.0 ("},
        {{{"CFBundleDisplayName", "Guard"}, {"CFBundleShortVersionString", "1.0"}, {"CFBundleVersion", "42"}}, "Guard 1.0 rv:42 ("},
        {{{"CFBundleName", "Plain"}, {"CFBundleVersion", "7"}}, "Plain 7 ("},
        {{{"CFBundleName", "Plain"}, {"CFBundleDisplayName", "Shown"}, {"CFBundleShortVersionString", "2"}}, "Shown 2 ("},
    };
    for (const auto& c : cases) {
        NSString ua = userAgentStringForBundleInfo(c.info);
        EXPECT_TRUE(ua.hasPrefix(c.prefix)) << ua;
        EXPECT_TRUE(ua.hasSuffix(")")) << ua;
        EXPECT_EQ(std::count(ua.str().begin(), ua.str().end(), ';'), 2) << ua;
    }
    EXPECT_TRUE(userAgentStringForBundleInfo({{"CFBundleVersion", "1"}}).isNil());
}

TEST(NXHTTPDates, ReadsRFC1123AndItsShortForms)
{
    auto full = dateFromRFC1123String("Sun, 06 Nov 1994 08:49:37 GMT");
    ASSERT_TRUE(full);
    EXPECT_DOUBLE_EQ(full->timeIntervalSince1970(), 784111777.0);
    auto shortForm = dateFromRFC1123String("06 Nov 1994 08:49 GMT");
    ASSERT_TRUE(shortForm);
    EXPECT_DOUBLE_EQ(shortForm->timeIntervalSince1970(), 784111740.0);
    for (const char* bad : {"", "yesterday", "Sun, 06 Nov 1994"}) EXPECT_FALSE(dateFromRFC1123String(bad)) << bad;
    EXPECT_FALSE(dateFromRFC1123String(NSString()));
}
