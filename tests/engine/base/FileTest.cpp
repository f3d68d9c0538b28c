#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "EngineTestSupport.h"
#include "platform/testing/TempFolder.h"
#include "engine/base/VFile.h"
#include "engine/base/VMem.h"

namespace mapengine::test {

namespace fs = std::filesystem;

class FileTest : public EngineTest {
protected:
  CVString Path(const std::string& rel) const {
    std::string full = root + "/" + rel;
    std::u16string u(full.begin(), full.end());
    return W(u.c_str());
  }
  void Touch(const std::string& rel, const std::string& content = "") const {
    std::ofstream(root + "/" + rel) << content;
  }
  std::string Read(const std::string& rel) const {
    std::ifstream in(root + "/" + rel);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  TempFolder folder;
  std::string root = folder.path().str();
};

TEST_F(FileTest, OpenModesCreateTruncateOrRequireTheFile) {
  CVFile f;
  struct Case {
    unsigned mode;
    bool existing;
    int opened;
    std::string after;
  };
  const Case cases[] = {
      {kVFileRead, true, 1, "old"},
      {kVFileRead, false, 0, ""},
      {kVFileReadWrite, true, 1, "old"},
      {kVFileUpdate, true, 1, "old"},
      {kVFileUpdate, false, 0, ""},
      {kVFileCreate | kVFileReadWrite, true, 1, ""},
      {kVFileCreate | kVFileUpdate, false, 1, ""},
      {0, true, 1, ""},
  };
  int n = 0;
  for (const Case& c : cases) {
    std::string name = "f" + std::to_string(n++);
    if (c.existing) Touch(name, "old");
    EXPECT_EQ(f.Open(Path(name), c.mode), c.opened) << name;
    EXPECT_EQ(f.IsOpened(), c.opened);
    EXPECT_EQ(f.Close(), 0);
    if (c.opened) {
      EXPECT_EQ(Read(name), c.after) << name;
    }
  }
}

TEST_F(FileTest, ReadWriteSeekAndLength) {
  CVFile f;
  EXPECT_EQ(f.Read(nullptr, 0), 0u);
  EXPECT_EQ(f.GetLength(), 0);
  EXPECT_EQ(f.Close(), 0);
  ASSERT_EQ(f.Open(Path("data.bin"), kVFileCreate | kVFileUpdate), 1);
  EXPECT_EQ(f.Write("0123456789", 10), 10u);
  char dummy = 0;
  EXPECT_EQ(f.Write(&dummy, 0), 0u);
  EXPECT_EQ(f.Seek(4, 0), 4);
  EXPECT_EQ(f.GetLength(), 10);
  EXPECT_EQ(f.GetPosition(), 4);
  char buf[4] = {};
  EXPECT_EQ(f.Read(buf, 3), 3u);
  EXPECT_EQ(std::string(buf, 3), "456");
  EXPECT_EQ(f.Read(buf, 0), 0u);
  EXPECT_EQ(f.Seek(-2, 2), 8);
  EXPECT_EQ(f.Seek(1, 1), 9);
  EXPECT_EQ(f.SeekToEnd(), 10);
  EXPECT_EQ(f.SeekToBegin(), 0);
  EXPECT_EQ(f.GetPosition(), 0);
  EXPECT_EQ(f.Seek(-1, 0), -1);
  EXPECT_EQ(f.Flush(), 0);
}

TEST_F(FileTest, PathsThatDoNotFitAreRefused) {
  std::string longName(kFilePathBytes, 'n');
  CVFile f;
  EXPECT_EQ(f.Open(Path(longName), kVFileCreate | kVFileUpdate), 0);
  EXPECT_FALSE(fs::exists(root + "/" + longName.substr(0, 200)));
  std::u16string longFolder(300, u'd');
  EXPECT_EQ(CreateFolderPath(W((u"/tmp/" + longFolder).c_str())), 0);
  EXPECT_EQ(FolderExists(W((u"/tmp/" + longFolder).c_str())), 0);
  EXPECT_EQ(RemoveFile(Path(longName)), 0);
  EXPECT_EQ(f.Open(CVString(), kVFileRead), 0);
}

TEST_F(FileTest, ListingFiltersAnywhereInTheName) {
  for (const char* name : {"a.zip", "a.zip.tmp", "b.txt", ".hidden.zip", "zipper"}) Touch(name);
  auto list = [&](const char16_t* filter) {
    CVString folder = Path("");
    CVArray<CVString, CVString&> names;
    CVString existing = W(u"stale");
    names.Add(existing);
    int n = ListFolderFiles(folder, W(filter), names);
    std::set<std::u16string> got;
    for (int i = 0; i < names.GetSize(); ++i) got.insert(U16(names[i]));
    EXPECT_EQ(n, static_cast<int>(got.size()));
    return got;
  };
  std::set<std::u16string> zips{u"a.zip", u"a.zip.tmp"};
  EXPECT_EQ(list(u"zip"), zips);
  EXPECT_EQ(list(u".zip"), zips);
  EXPECT_EQ(list(u""), (std::set<std::u16string>{u"a.zip", u"a.zip.tmp", u"b.txt", u"zipper"}));

  CVString backslashed = W((std::u16string(root.begin(), root.end()) + u"\\").c_str());
  CVArray<CVString, CVString&> names;
  EXPECT_EQ(ListFolderFiles(backslashed, W(u"txt"), names), 1);
  EXPECT_EQ(backslashed.Find(u'\\', 0), -1);

  CVString tooLong = W(std::u16string(256, u'x').c_str());
  CVString keep = W(u"keep");
  names.Add(keep);
  int before = names.GetSize();
  EXPECT_EQ(ListFolderFiles(tooLong, CVString(), names), 0);
  EXPECT_EQ(names.GetSize(), before);
  CVString missing = Path("missing");
  EXPECT_EQ(ListFolderFiles(missing, CVString(), names), 0);
}

TEST_F(FileTest, FoldersAreCreatedWithTheirParents) {
  Touch("plain");
  EXPECT_EQ(FolderExists(Path("plain")), 0);
  EXPECT_EQ(FolderExists(Path("")), 1);
  EXPECT_EQ(CreateFolderPath(Path("x/y/z")), 1);
  EXPECT_EQ(FolderExists(Path("x/y/z")), 1);
  EXPECT_EQ((fs::status(root + "/x/y").permissions() & fs::perms::owner_all), fs::perms::owner_all);
  EXPECT_EQ(CreateFolderPath(Path("x/y/z/")), 1);
  EXPECT_EQ(CreateFolderPath(Path("plain/sub")), 0);
}

TEST_F(FileTest, MoveCopiesOverTheTargetAndRemovesTheSource) {
  Touch("src", "payload");
  Touch("target", "old content");
  EXPECT_EQ(MoveFile(Path("src"), Path("deep/er/dst")), 1);
  EXPECT_EQ(Read("deep/er/dst"), "payload");
  EXPECT_FALSE(fs::exists(root + "/src"));
  Touch("src2", "second");
  EXPECT_EQ(MoveFile(Path("src2"), Path("target")), 1);
  EXPECT_EQ(Read("target"), "second");
  EXPECT_EQ(MoveFile(Path("absent"), Path("other")), 0);
  EXPECT_EQ(RemoveFile(Path("target")), 1);
  EXPECT_EQ(RemoveFile(Path("target")), 0);
}

TEST_F(FileTest, DownloadedPackagesAreListedFromTheDocumentsFolder) {
  char cwd[512];
  ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
  std::u16string docs(root.begin(), root.end());
  docs += u"/";
  ASSERT_EQ(SetStartupPaths(VStr(docs.c_str()), VStr(docs.c_str())), 1);
  Touch("city.zip", "12345");
  Touch(".skip.zip", "1");
  Touch("notes.txt", "1");
  fs::create_directory(root + "/folder.zip");
  CVArray<void*, void*> packages;
  EXPECT_EQ(ListDownloadedPackages(0, packages, 0), 2);
  std::set<std::u16string> names;
  for (int i = 0; i < packages.GetSize(); ++i) {
    auto* record = static_cast<tagDownloadedPackage*>(packages[i]);
    names.insert(U16(record->name));
    if (U16(record->name) == u"city.zip") {
      EXPECT_EQ(record->size, 5);
    }
    VDelete(record);
  }
  EXPECT_EQ(names, (std::set<std::u16string>{u"city.zip", u"folder.zip"}));
  char after[512];
  ASSERT_NE(getcwd(after, sizeof after), nullptr);
  EXPECT_STREQ(after, cwd);  // the working folder is left alone
}

TEST_F(FileTest, DiskAndDeviceQueries) {
  std::u16string docs(root.begin(), root.end());
  docs += u"/";
  ASSERT_EQ(SetStartupPaths(VStr(docs.c_str()), VStr(docs.c_str())), 1);
  tagDiskSpace space{0, 0};
  EXPECT_EQ(GetDiskSpace(&space), 1);
  EXPECT_GT(space.total, 0);
  EXPECT_LE(space.free, space.total);
  double total = 0, free = 0;
  GetDiskSpaceValues(&total, &free);
  EXPECT_GT(total, 0);
  EXPECT_EQ(GetIMEI().GetLength(), 15);
  tagIntPair pair{3, 4};
  EXPECT_EQ(InitIntPair(&pair), &pair);
  EXPECT_EQ(pair.first + pair.second, 0);
}

}  // namespace mapengine::test
