// The reader over bundle files, plain and gzip-compressed, and gzip in memory.

#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/foundation/NSFileManager.h"
#include "protocol/NSDataAdditions.h"
#include "protocol/XMLTree.h"

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

class XMLFile : public testing::Test {
protected:
    void SetUp() override
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "nxprotocol-XXXXXX").string();
        ASSERT_NE(::mkdtemp(pattern.data()), nullptr);
        dir_ = pattern;
        ::setenv("NX_RESOURCE_DIR", dir_.c_str(), 1);
    }
    void TearDown() override
    {
        ::unsetenv("NX_RESOURCE_DIR");
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    void write(const char* name, const NSData& data)
    {
        ASSERT_TRUE(NSDataWriteToFile(data, NSString(dir_).stringByAppendingPathComponent(name), false));
    }
    std::string dir_;
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

}  // namespace
