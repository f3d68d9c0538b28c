#include "ui/PixCache.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSFileManager.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "platform/testing/TempFolder.h"

namespace fs = std::filesystem;

class PixCacheTest : public testing::Test {
protected:
    void SetUp() override
    {
        NSClock::useVirtualClock();
        previousSink_ = nxlog::setSink([this](const std::string& line) { log_ += line + "\n"; });
    }
    void TearDown() override
    {
        nxlog::setSink(previousSink_);
        EXPECT_TRUE(NSThread::joinDetachedThreads(10));
        NSClock::useRealClock();
    }

    std::shared_ptr<PixCache> open() const
    {
        auto cache = PixCache::initWithDirectory(NSString(dir_.string()));
        cache->setDefaultTimeoutInterval(100);
        return cache;
    }
    // Until the queued writes and deletes are on disk.
    static void drain(const std::shared_ptr<PixCache>& cache)
    {
        ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return cache->diskOperationQueue()->operationCount() == 0; }, 10));
    }
    fs::path file(const std::string& key) const { return dir_ / key; }
    fs::path index() const { return dir_ / "PixCache.plist"; }

    TempFolder folder_;
    fs::path root_ = folder_.path().str(), dir_ = root_ / "PixCache";
    std::string log_;
    nxlog::Sink previousSink_;
};

TEST_F(PixCacheTest, ValuesComeBackAsTheyWereStoredAndTheIndexIsSavedOncePerBurst)
{
    auto cache = open();
    cache->setData(NSData{1, 2, 3}, "data");
    cache->setString("grüße", "text");
    cache->setPlist(PlistValue(PlistValue::Dictionary{{"k", PlistValue(NSString("v"))}}), "plist");
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(3, 2), true, 1);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    cache->setImage(image, "image");
    drain(cache);

    EXPECT_EQ(cache->dataForKey("data"), (NSData{1, 2, 3}));
    EXPECT_EQ(cache->stringForKey("text"), NSString("grüße"));
    const PlistValue value = cache->plistForKey("plist").objectForKey("k");
    ASSERT_TRUE(value.string());
    EXPECT_EQ(*value.string(), NSString("v"));
    ASSERT_TRUE(cache->imageForKey("image"));
    EXPECT_EQ(cache->imageForKey("image")->size(), CGSizeMake(3, 2));
    EXPECT_FALSE(cache->hasCacheForKey("absent"));
    EXPECT_FALSE(cache->dataForKey("absent"));

    // The index waits for a quiet 0.3 s after the last change.
    NSClock::advance(0.29);
    EXPECT_FALSE(fs::exists(index()));
    NSClock::advance(0.01);
    ASSERT_TRUE(fs::exists(index()));
    auto reopened = open();
    for (const char* key : {"data", "text", "plist", "image"}) EXPECT_TRUE(reopened->hasCacheForKey(key)) << key;
}

// Property lists are kept in the binary form; one kept in XML by an earlier
// version still reads.
TEST_F(PixCacheTest, PropertyListsAreKeptBinaryAndXmlOnesStillRead)
{
    auto cache = open();
    const PlistValue value(PlistValue::Dictionary{{"when", NSDate(12.5)}, {"list", PlistValue::Array{"a", 2, false}}});
    cache->setPlist(value, "binary");
    drain(cache);
    std::ifstream in(file("binary"), std::ios::binary);
    const std::string stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(NSData(stored.begin(), stored.end()), value.binaryData());
    EXPECT_EQ(cache->plistForKey("binary"), value);

    // An XML value file under a live key, as an earlier version wrote it.
    const PlistValue older(PlistValue::Dictionary{{"k", "v"}});
    cache->setData(older.xmlData(), "xml");
    drain(cache);
    EXPECT_EQ(cache->plistForKey("xml"), older);
}

TEST_F(PixCacheTest, ExpiryDecidesWhatReadersSee)
{
    auto cache = open();
    cache->setData(NSData{1}, "now", 0);
    cache->setData(NSData{2}, "twice", 10);
    cache->setData(NSData{3}, "twice", 100);
    drain(cache);
    EXPECT_FALSE(cache->hasCacheForKey("now"));  // interval 0: gone at once...
    EXPECT_TRUE(fs::exists(file("now")));        // ...though its file was written
    NSClock::advance(50);
    EXPECT_TRUE(cache->hasCacheForKey("twice"));  // the later expiry holds
    NSClock::advance(60);
    EXPECT_FALSE(cache->hasCacheForKey("twice"));
    EXPECT_FALSE(cache->dataForKey("twice"));
    EXPECT_TRUE(cache->imageForKey("twice") == nullptr);  // not a picture, but read without the expiry test
}

TEST_F(PixCacheTest, AStartDeletesExpiredFilesAndKeepsTheirKeys)
{
    {
        auto cache = open();
        cache->setData(NSData{1}, "short", 5);
        cache->setData(NSData{2}, "long", 500);
        drain(cache);
        cache->saveCacheDictionary();
    }
    NSClock::advance(10);
    auto cache = open();
    EXPECT_FALSE(fs::exists(file("short")));
    EXPECT_TRUE(fs::exists(file("long")));
    EXPECT_TRUE(cache->hasCacheForKey("long"));
    cache->saveCacheDictionary();
    std::ifstream in(index());
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("short"), std::string::npos);
}

TEST_F(PixCacheTest, AMissingOrCorruptIndexStartsEmpty)
{
    for (const char* contents : {"", "not a property list", "<?xml version=\"1.0\"?><plist><array/></plist>"}) {
        fs::create_directories(dir_);
        if (*contents) std::ofstream(index()) << contents;
        else fs::remove(index());
        auto cache = open();
        EXPECT_FALSE(cache->hasCacheForKey("anything")) << contents;
        cache->setData(NSData{7}, "fresh");
        drain(cache);
        EXPECT_TRUE(cache->hasCacheForKey("fresh")) << contents;
    }
}

TEST_F(PixCacheTest, KeysThatAreNoPlainFileNameAreRefused)
{
    auto cache = open();
    cache->setData(NSData{9}, "victim");
    drain(cache);
    fs::create_directories(root_ / "outside");
    const std::string reserved = "PixCache.plist is a reserved key and can not be modified.";
    const struct {
        const char* key;
        const char* message;
    } cases[] = {
        {"PixCache.plist", reserved.c_str()},
        {"../outside/escape", "refuses the key"},
        {"..", "refuses the key"},
        {".", "refuses the key"},
        {"a/b", "refuses the key"},
        {"", "refuses the key"},
    };
    for (const auto& c : cases) {
        log_.clear();
        cache->setData(NSData{1, 2}, c.key);
        cache->setString("x", c.key);
        cache->copyFilePath(NSString(file("victim").string()), c.key);
        cache->removeCacheForKey(c.key);
        drain(cache);
        EXPECT_NE(log_.find(c.message), std::string::npos) << c.key;
        EXPECT_FALSE(cache->hasCacheForKey(c.key)) << c.key;
    }
    EXPECT_FALSE(fs::exists(root_ / "outside" / "escape"));
    EXPECT_TRUE(fs::exists(dir_));
    EXPECT_TRUE(cache->hasCacheForKey("victim"));
    NSClock::advance(0.3);
    EXPECT_TRUE(fs::is_regular_file(index()));
}

TEST_F(PixCacheTest, DiskWorkKeepsTheOrderOfTheCalls)
{
    auto cache = open();
    const NSData big(1 << 20, 0x5a);
    for (int i = 0; i < 8; ++i) {
        const NSString key = NSString::stringWithFormat("k%d", i);
        cache->setData(big, key);
        cache->removeCacheForKey(key);  // the delete must not overtake the write
        cache->setData(NSData{1}, "rewritten");
        cache->setData(NSData{static_cast<uint8_t>(i)}, "rewritten");
    }
    drain(cache);
    for (int i = 0; i < 8; ++i) EXPECT_FALSE(fs::exists(file("k" + std::to_string(i)))) << i;
    EXPECT_EQ(cache->dataForKey("rewritten"), (NSData{7}));
}

TEST_F(PixCacheTest, ARemovedPictureIsGoneBeforeItsFileIs)
{
    auto cache = open();
    UIGraphicsBeginImageContextWithOptions(CGSizeMake(3, 2), true, 1);
    auto image = UIGraphicsGetImageFromCurrentImageContext();
    UIGraphicsEndImageContext();
    cache->setImage(image, "image");
    drain(cache);
    ASSERT_TRUE(cache->imageForKey("image"));
    // The deletion waits on the disk queue; readers must not see the picture.
    cache->diskOperationQueue()->setSuspended(true);
    cache->removeCacheForKey("image");
    EXPECT_TRUE(fs::exists(file("image")));
    EXPECT_TRUE(cache->imageForKey("image") == nullptr);
    cache->diskOperationQueue()->setSuspended(false);
    drain(cache);
    EXPECT_FALSE(fs::exists(file("image")));
}

TEST_F(PixCacheTest, CopyAndClear)
{
    auto cache = open();
    const fs::path source = root_ / "source.bin";
    std::ofstream(source) << "copied bytes";
    cache->copyFilePath(NSString(source.string()), "copy");
    EXPECT_EQ(cache->stringForKey("copy"), NSString("copied bytes"));
    cache->setData(NSData{1}, "other");
    drain(cache);
    cache->clearCache();
    drain(cache);
    EXPECT_FALSE(cache->hasCacheForKey("copy"));
    EXPECT_FALSE(fs::exists(file("copy")));
    EXPECT_FALSE(fs::exists(file("other")));
    EXPECT_TRUE(fs::exists(index()));
}
