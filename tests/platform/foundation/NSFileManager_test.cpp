#include <gtest/gtest.h>

#include <filesystem>

#include "platform/foundation/NSFileManager.h"
#include "platform/testing/TempFolder.h"

namespace {

NSData bytes(std::string_view s) { return NSData(s.begin(), s.end()); }

}  // namespace

TEST(NSFileManager, ApplicationFoldersFollowTheConfiguration)
{
    TempFolder tmp;
    {
        ScopedEnv home("NX_APP_HOME", tmp.path().UTF8String());
        EXPECT_EQ(NSHomeDirectory(), tmp.path());
        auto docs = NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, true);
        ASSERT_EQ(docs.size(), 1u);
        EXPECT_EQ(docs[0], tmp / "Documents");
        EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSCachesDirectory, NSUserDomainMask, true)[0], tmp / "Library/Caches");
        EXPECT_EQ(NSSearchPathForDirectoriesInDomains(NSDocumentDirectory, NSUserDomainMask, false)[0], NSString("~/Documents"));
        EXPECT_EQ(NSTemporaryDirectory(), (tmp / "tmp").stringByAppendingString("/"));
        bool isDirectory = false;
        auto fm = NSFileManager::defaultManager();
        EXPECT_TRUE(fm->fileExistsAtPath(tmp / "Documents", &isDirectory) && isDirectory);
        EXPECT_TRUE(fm->fileExistsAtPath(tmp / "Library/Caches", &isDirectory) && isDirectory);
        EXPECT_TRUE(fm->fileExistsAtPath(tmp / "tmp", &isDirectory) && isDirectory);
    }
    ScopedEnv noHome("NX_APP_HOME", "");
    ScopedEnv xdg("XDG_DATA_HOME", (tmp / "xdg").UTF8String());
    EXPECT_EQ(NSHomeDirectory(), tmp / "xdg/ParentalControlClient");
    ScopedEnv noXdg("XDG_DATA_HOME", "");
    ScopedEnv user("HOME", (tmp / "user").UTF8String());
    EXPECT_EQ(NSHomeDirectory(), tmp / "user/.local/share/ParentalControlClient");
}

TEST(NSFileManager, FolderAndFileOperations)
{
    TempFolder tmp;
    auto fm = NSFileManager::defaultManager();
    std::shared_ptr<NSError> error;

    EXPECT_FALSE(fm->createDirectoryAtPath(tmp / "a/b/c", false, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), NSCocoaErrorDomain);
    EXPECT_EQ(error->code(), ENOENT);
    EXPECT_TRUE(fm->createDirectoryAtPath(tmp / "a/b/c", true, &error));
    EXPECT_TRUE(fm->createDirectoryAtPath(tmp / "a/b/c", true));    // already there
    EXPECT_FALSE(fm->createDirectoryAtPath(tmp / "a/b/c", false));  // but not without intermediates

    ASSERT_TRUE(fm->createFileAtPath(tmp / "a/b/c/one.txt", bytes("hello")));
    ASSERT_TRUE(fm->createFileAtPath(tmp / "a/empty", std::nullopt));
    EXPECT_FALSE(fm->createFileAtPath(tmp / "missing/x", bytes("x")));
    EXPECT_FALSE(fm->createDirectoryAtPath(tmp / "a/empty/sub", true));  // a file is in the way

    bool isDirectory = true;
    EXPECT_TRUE(fm->fileExistsAtPath(tmp / "a/b/c/one.txt", &isDirectory));
    EXPECT_FALSE(isDirectory);
    EXPECT_FALSE(fm->fileExistsAtPath(tmp / "nothing"));
    EXPECT_FALSE(fm->fileExistsAtPath(NSString()));
    EXPECT_EQ(fm->contentsAtPath(tmp / "a/b/c/one.txt"), bytes("hello"));
    EXPECT_EQ(fm->contentsAtPath(tmp / "a/empty"), NSData());
    EXPECT_FALSE(fm->contentsAtPath(tmp / "a/b").has_value());  // a folder has no contents

    auto attrs = fm->attributesOfItemAtPath(tmp / "a/b/c/one.txt");
    ASSERT_TRUE(attrs);
    EXPECT_EQ(attrs->fileSize(), 5u);
    EXPECT_EQ(attrs->fileType(), NSFileTypeRegular);
    EXPECT_LT(std::abs(attrs->fileModificationDate().timeIntervalSinceNow()), 60.0);
    EXPECT_EQ(fm->attributesOfItemAtPath(tmp / "a")->fileType(), NSFileTypeDirectory);
    EXPECT_FALSE(fm->attributesOfItemAtPath(tmp / "nothing", &error));
    EXPECT_EQ(error->code(), ENOENT);

    // Copy a whole folder; copying or moving onto something that exists fails.
    EXPECT_TRUE(fm->copyItemAtPath(tmp / "a", tmp / "copy", &error));
    EXPECT_EQ(fm->contentsAtPath(tmp / "copy/b/c/one.txt"), bytes("hello"));
    EXPECT_FALSE(fm->copyItemAtPath(tmp / "a/empty", tmp / "copy/empty", &error));
    EXPECT_EQ(error->code(), EEXIST);
    EXPECT_FALSE(fm->moveItemAtPath(tmp / "a/empty", tmp / "copy/empty"));
    EXPECT_TRUE(fm->moveItemAtPath(tmp / "a/b/c/one.txt", tmp / "moved.txt"));
    EXPECT_FALSE(fm->fileExistsAtPath(tmp / "a/b/c/one.txt"));
    EXPECT_EQ(fm->contentsAtPath(tmp / "moved.txt"), bytes("hello"));
    EXPECT_FALSE(fm->copyItemAtPath(tmp / "nothing", tmp / "x"));

    auto names = fm->contentsOfDirectoryAtPath(tmp.path());
    ASSERT_TRUE(names);
    EXPECT_EQ(*names, (std::vector<NSString>{"a", "copy", "moved.txt"}));
    EXPECT_FALSE(fm->contentsOfDirectoryAtPath(tmp / "nothing", &error));

    EXPECT_TRUE(fm->removeItemAtPath(tmp / "copy", &error));
    EXPECT_FALSE(fm->fileExistsAtPath(tmp / "copy"));
    EXPECT_FALSE(fm->removeItemAtPath(tmp / "copy", &error));
    EXPECT_EQ(error->code(), ENOENT);
}

TEST(NSFileManager, DataFilesAtomicAndInPlace)
{
    TempFolder tmp;
    NSString file = tmp / "data.bin";
    NSData big(1 << 20);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<uint8_t>(i * 7);
    for (bool atomically : {true, false}) {
        ASSERT_TRUE(NSDataWriteToFile(bytes("a longer first version"), file, atomically));
        ASSERT_TRUE(NSDataWriteToFile(big, file, atomically));
        EXPECT_EQ(NSDataWithContentsOfFile(file), big);
        ASSERT_TRUE(NSDataWriteToFile(bytes("short"), file, atomically));  // replaced, not overlaid
        EXPECT_EQ(NSDataWithContentsOfFile(file), bytes("short"));
    }
    // No temporary file stays behind.
    EXPECT_EQ(*NSFileManager::defaultManager()->contentsOfDirectoryAtPath(tmp.path()), std::vector<NSString>{"data.bin"});
    EXPECT_FALSE(NSDataWriteToFile(bytes("x"), tmp / "missing/data.bin", true));
    EXPECT_EQ(*NSFileManager::defaultManager()->contentsOfDirectoryAtPath(tmp.path()), std::vector<NSString>{"data.bin"});
    EXPECT_FALSE(NSDataWithContentsOfFile(tmp / "nothing").has_value());
    EXPECT_FALSE(NSDataWithContentsOfFile(NSString()).has_value());
}
