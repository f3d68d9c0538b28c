// The reader over bundle files, plain and gzip-compressed, and gzip in memory.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/foundation/NSFileManager.h"
#include "platform/testing/TempFolder.h"
#include "protocol/NSDataAdditions.h"
#include "protocol/XMLTree.h"
#include "tools/testserver/TestServer.h"

namespace {

NSData bytes(const std::string& s) { return NSData(s.begin(), s.end()); }

const std::string kDocument = "<MSG><BODY><Code>0</Code><Desc>文件</Desc></BODY></MSG>";

TEST(NSDataAdditions, DeflateThenInflateGivesTheDataBack)
{
    std::string big;
    for (int i = 0; i < 100000; ++i) big += std::to_string(i * 7919 % 1000);
    for (const std::string& s : {std::string("x"), kDocument, big}) {
        auto packed = NSDataAdditions::gzipDeflate(bytes(s));
        ASSERT_TRUE(packed.has_value());
        ASSERT_GE(packed->size(), 18u);
        EXPECT_EQ((*packed)[0], 0x1f);
        EXPECT_EQ((*packed)[1], 0x8b);
        EXPECT_EQ(NSDataAdditions::gzipInflate(*packed), bytes(s));
    }
    EXPECT_EQ(NSDataAdditions::gzipInflate({}), NSData{});
    EXPECT_EQ(NSDataAdditions::gzipDeflate({}), NSData{});
}

TEST(NSDataAdditions, InflateRefusesDamageTruncationAndOversizedOutput)
{
    std::string big(1 << 20, 'a');
    NSData packed = *NSDataAdditions::gzipDeflate(bytes(big));
    // Cut anywhere: never a result.
    for (size_t cut : {size_t{1}, size_t{10}, packed.size() / 2, packed.size() - 1}) {
        EXPECT_FALSE(NSDataAdditions::gzipInflate(NSData(packed.begin(), packed.begin() + static_cast<long>(cut))))
            << cut;
    }
    EXPECT_FALSE(NSDataAdditions::gzipInflate(bytes("not compressed at all")));
    NSData damaged = packed;
    damaged[packed.size() / 2] ^= 0xff;
    damaged[packed.size() / 2 + 1] ^= 0xff;
    EXPECT_FALSE(NSDataAdditions::gzipInflate(damaged));
    // A megabyte from about a kilobyte: refused under a smaller cap, accepted at it.
    EXPECT_FALSE(NSDataAdditions::gzipInflate(packed, big.size() - 1));
    EXPECT_EQ(NSDataAdditions::gzipInflate(packed, big.size())->size(), big.size());
}

// The data objects' Base64 is lenient: bytes outside the alphabet are skipped,
// "=" ends the data, a last group without "=" is dropped.
TEST(NSDataAdditions, Base64DecodingSkipsForeignBytesAndStopsAtPadding)
{
    struct Case {
        NSString text;
        std::string data;
    };
    const Case cases[] = {
        {"TWFu", "Man"},
        {"TW\nF u\t", "Man"},
        {"T*W%F!u", "Man"},
        {"TWE=", "Ma"},
        {"TQ==", "M"},
        {"TQ", ""},  // a short group without "=" is dropped
        {"TWFuTWE", "Man"},
        {"TWE=TWFu", "Ma"},  // nothing after "=" counts
        {"TR==", "M"},  // unused bits are not checked
        {"T===", ""},  // one character makes no byte
        {"", ""},
        {NSString(), ""},
        {"中文TWFu", "Man"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(NSDataAdditions::dataWithBase64EncodedString(c.text), bytes(c.data)) << c.text.str();
        EXPECT_EQ(NSDataAdditions::initWithBase64EncodedString(c.text), bytes(c.data)) << c.text.str();
    }
}

TEST(NSDataAdditions, Base64EncodingBreaksLinesAfterWholeGroups)
{
    EXPECT_EQ(NSDataAdditions::base64Encoding({}), NSString(""));
    EXPECT_EQ(NSDataAdditions::base64EncodingWithLineLength({}, 4), NSString(""));
    EXPECT_EQ(NSDataAdditions::base64Encoding(bytes("M")), NSString("TQ=="));
    EXPECT_EQ(NSDataAdditions::base64Encoding(bytes("Ma")), NSString("TWE="));
    const NSData ten = bytes("0123456789");  // 16 characters in 4 groups
    EXPECT_EQ(NSDataAdditions::base64Encoding(ten), NSString("MDEyMzQ1Njc4OQ=="));
    EXPECT_EQ(NSDataAdditions::base64EncodingWithLineLength(ten, 8), NSString("MDEyMzQ1\nNjc4OQ==\n"));
    // A line ends after the group that reaches the length, not inside a group.
    EXPECT_EQ(NSDataAdditions::base64EncodingWithLineLength(ten, 6), NSString("MDEyMzQ1\nNjc4OQ==\n"));
    EXPECT_EQ(NSDataAdditions::base64EncodingWithLineLength(ten, 1), NSString("MDEy\nMzQ1\nNjc4\nOQ==\n"));
    EXPECT_EQ(NSDataAdditions::base64EncodingWithLineLength(ten, 100), NSString("MDEyMzQ1Njc4OQ=="));
    // Every length of every byte value reads back.
    NSData all;
    for (int i = 0; i < 256; ++i) all.push_back(static_cast<uint8_t>(i));
    for (size_t n = 0; n <= all.size(); n += 37) {
        const NSData d(all.begin(), all.begin() + static_cast<long>(n));
        EXPECT_EQ(NSDataAdditions::dataWithBase64EncodedString(NSDataAdditions::base64EncodingWithLineLength(d, 64)), d) << n;
    }
}

class XMLFile : public testing::Test {
protected:
    void SetUp() override
    {
        ::setenv("NX_RESOURCE_DIR", dir_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("NX_RESOURCE_DIR");
    }
    void write(const char* name, const NSData& data)
    {
        ASSERT_TRUE(NSDataWriteToFile(data, NSString(dir_).stringByAppendingPathComponent(name), false));
    }
    TempFolder folder_;
    std::string dir_ = folder_.path().str();
};

NSString codeOf(const std::shared_ptr<XMLTree>& tree)
{
    return XMLTree::textForElement(
        XMLTree::childElementNamed("Code", XMLTree::childElementNamed("BODY", tree->rootXMLElement())));
}

TEST_F(XMLFile, ReadsPlainAndCompressedResources)
{
    write("reply.xml", bytes(kDocument));
    write("packed.gz", *NSDataAdditions::gzipDeflate(bytes(kDocument)));
    EXPECT_EQ(codeOf(XMLTree::initWithXMLFile("reply.xml")), "0");
    EXPECT_EQ(codeOf(XMLTree::initWithXMLFile("reply", "xml")), "0");
    EXPECT_EQ(codeOf(XMLTree::initWithXMLFile("packed.gz")), "0");
    auto direct = NSDataAdditions::dataWithUncompressedContentsOfFile(NSString(dir_).stringByAppendingPathComponent("packed.gz"));
    EXPECT_EQ(direct, bytes(kDocument));
}

TEST_F(XMLFile, MissingOrDamagedResourceGivesNoRoot)
{
    write("bad.gz", bytes("not gzip"));
    EXPECT_EQ(XMLTree::initWithXMLFile("missing.xml")->rootXMLElement(), nullptr);
    EXPECT_EQ(XMLTree::initWithXMLFile("bad.gz")->rootXMLElement(), nullptr);
    EXPECT_FALSE(NSDataAdditions::dataWithUncompressedContentsOfFile(NSString(dir_).stringByAppendingPathComponent("none")));
}

// A document at a URL: a file, or the body of a successful GET. A failed
// answer, bytes that are not UTF-8 or no server at all give no root.
TEST_F(XMLFile, ReadsTheDocumentAtAUrl)
{
    testserver::Server server([](const testserver::Request& request, testserver::Connection& connection) {
        if (request.path == "/reply.xml") connection.send(200, kDocument);
        else if (request.path == "/latin.xml") connection.send(200, "<MSG><BODY><Code>\xe9</Code></BODY></MSG>");
        else connection.send(404, "<MSG><BODY><Code>404</Code></BODY></MSG>");
    });
    EXPECT_EQ(codeOf(XMLTree::initWithURL(NSURL::URLWithString(server.url("/reply.xml")))), "0");
    EXPECT_EQ(codeOf(XMLTree::xmlTreeWithURL(NSURL::URLWithString(server.url("/reply.xml")))), "0");
    EXPECT_EQ(server.requests().front().method, "GET");
    for (const char* path : {"/missing.xml", "/latin.xml"})
        EXPECT_EQ(XMLTree::initWithURL(NSURL::URLWithString(server.url(path)))->rootXMLElement(), nullptr) << path;
    const std::string refused = "http://127.0.0.1:" + std::to_string(testserver::Server::refusedPort()) + "/reply.xml";
    EXPECT_EQ(XMLTree::initWithURL(NSURL::URLWithString(refused))->rootXMLElement(), nullptr);
    EXPECT_EQ(XMLTree::initWithURL(nullptr)->rootXMLElement(), nullptr);

    write("reply.xml", bytes(kDocument));
    EXPECT_EQ(codeOf(XMLTree::initWithURL(NSURL::URLWithString(NSString("file://" + dir_ + "/reply.xml")))), "0");
    EXPECT_EQ(XMLTree::initWithURL(NSURL::URLWithString(NSString("file://" + dir_ + "/none.xml")))->rootXMLElement(), nullptr);
}

}  // namespace
