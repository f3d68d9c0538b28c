// Zip package extraction over packages the tests make with minizip.
#include <gtest/gtest.h>
#include <minizip/zip.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/base/Unzip.h"
#include "platform/testing/TempFolder.h"
#include "tests/engine/base/EngineTestSupport.h"

namespace mapengine::test {
namespace {

namespace fs = std::filesystem;
using Entries = std::vector<std::pair<std::string, std::string>>;

class NetUnzip : public EngineTest {
protected:

  // Writes a package; stored entries keep their bytes verbatim in the file.
  // mode: the Unix mode stored with every entry (0: none).
  std::string MakeZip(const std::string& name, const Entries& entries, bool stored = false, unsigned mode = 0) {
    std::string path = (root / name).string();
    zipFile zf = zipOpen64(path.c_str(), APPEND_STATUS_CREATE);
    EXPECT_NE(zf, nullptr);
    for (const auto& [entry, content] : entries) {
      zip_fileinfo info{};
      info.external_fa = static_cast<uLong>(mode) << 16;
      EXPECT_EQ(zipOpenNewFileInZip64(zf, entry.c_str(), &info, nullptr, 0, nullptr, 0, nullptr,
                                      stored ? 0 : Z_DEFLATED, stored ? 0 : 6, 0),
                ZIP_OK);
      if (!content.empty()) {
        zipWriteInFileInZip(zf, content.data(), static_cast<unsigned>(content.size()));
      }
      zipCloseFileInZip(zf);
    }
    zipClose(zf, nullptr);
    return path;
  }

  static CVString Path(const std::string& s) { return CVString(s.c_str()); }
  int UnzipAll(const std::string& zip, const std::string& target, const tagUnzipLimits& limits = {}) {
    return UnzipAllFiles(Path(zip).GetBuffer(), Path(target).GetBuffer(), limits);
  }
  static std::string Read(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }

  TempFolder folder;
  fs::path root = folder.path().str();
};

TEST_F(NetUnzip, ExtractsFoldersAndFilesWithOrWithoutTrailingSlash) {
  std::string big(300000, 'q');
  std::string zip = MakeZip("good.zip", {{"maps/a/", ""}, {"maps/a/x.dat", "tile bytes"}, {"top.txt", big}});
  for (std::string target : {(root / "out1").string(), (root / "out2").string() + "/"}) {
    SCOPED_TRACE(target);
    ASSERT_EQ(UnzipAll(zip, target), 1);
    EXPECT_TRUE(fs::is_directory(fs::path(target) / "maps" / "a"));
    EXPECT_EQ(Read(fs::path(target) / "maps" / "a" / "x.dat"), "tile bytes");
    EXPECT_TRUE(Read(fs::path(target) / "top.txt") == big);
  }
  std::string empty = MakeZip("empty.zip", {});
  EXPECT_EQ(UnzipAll(empty, (root / "out3").string()), 1);
  EXPECT_EQ(UnzipConfigFiles(Path(empty).GetBuffer(), Path((root / "out3").string()).GetBuffer(), nullptr), 0);
  EXPECT_EQ(UnzipAll((root / "missing.zip").string(), (root / "out4").string()), 0);
}

TEST_F(NetUnzip, ConfigExtractionTakesTheFirstCfgEntry) {
  std::string zip = MakeZip("cfg.zip", {{"data.dat", "d"}, {"city.cfg", "first"}, {"other.cfg", "second"}});
  std::string target = (root / "cfg").string();
  ASSERT_EQ(UnzipConfigFiles(Path(zip).GetBuffer(), Path(target).GetBuffer(), Path("unused").GetBuffer()), 1);
  EXPECT_EQ(Read(fs::path(target) / "city.cfg"), "first");
  EXPECT_FALSE(fs::exists(fs::path(target) / "other.cfg"));
  EXPECT_FALSE(fs::exists(fs::path(target) / "data.dat"));
}

// A name too long for the entry buffer is never looked at half read: the
// package cannot be unpacked, so its record file is not taken either.
TEST_F(NetUnzip, ConfigExtractionRefusesOverLongNames) {
  const std::string longName = std::string(300, 'n');
  for (const Entries& entries : {Entries{{longName + ".cfg", "long"}, {"city.cfg", "city"}},
                                 Entries{{longName + ".dat", "tile"}, {"city.cfg", "city"}}}) {
    SCOPED_TRACE(entries[0].first.substr(300));
    std::string zip = MakeZip("long.zip", entries);
    fs::path target = root / "long";
    EXPECT_EQ(UnzipConfigFiles(Path(zip).GetBuffer(), Path(target.string()).GetBuffer(), nullptr), 0);
    EXPECT_FALSE(fs::exists(target / "city.cfg"));
    fs::remove_all(target);
  }
}

TEST_F(NetUnzip, RefusesUnsafeNamesAndOverLongPaths) {
  struct Case {
    const char* name;
    std::string entry;
  } cases[] = {
      {"parent folder", "../evil.txt"},
      {"nested parent", "maps/../../evil.txt"},
      {"absolute", "/tmp/evil.txt"},
      {"backslash", "maps\\evil.txt"},
      {"0xFF dropped by the conversion", ".\xff./evil.txt"},
      {"unassigned pair dropped by the conversion", ".\x81\x30./evil.txt"},
      {"dropped bytes at depth", "maps/.\xff./.\xff./evil.txt"},
      {"over-long", std::string(300, 'n') + ".txt"},
      {"long path", std::string(120, 'a') + "/" + std::string(120, 'b') + ".txt"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string zip = MakeZip("bad.zip", {{"ok.txt", "fine"}, {c.entry, "payload"}});
    fs::path target = root / "t" / "out";
    EXPECT_EQ(UnzipAll(zip, target.string()), 0);
    EXPECT_EQ(Read(target / "ok.txt"), "fine");  // earlier entries stay written
    EXPECT_FALSE(fs::exists(root / "t" / "evil.txt"));
    EXPECT_FALSE(fs::exists(root / "evil.txt"));
    fs::remove_all(root / "t");
  }
}

// Links are never followed or made: an entry stored as a link is refused, and
// so is one whose path passes a link already in the target folder.
TEST_F(NetUnzip, RefusesLinks) {
  fs::path target = root / "out";
  fs::create_directories(target);
  fs::create_directories(root / "elsewhere");
  fs::create_directory_symlink(root / "elsewhere", target / "link");
  std::string through = MakeZip("through.zip", {{"link/evil.txt", "payload"}});
  EXPECT_EQ(UnzipAll(through, target.string()), 0);
  EXPECT_FALSE(fs::exists(root / "elsewhere" / "evil.txt"));
  std::string stored = MakeZip("stored.zip", {{"made", "../evil.txt"}}, false, 0120777);
  EXPECT_EQ(UnzipAll(stored, target.string()), 0);
  EXPECT_FALSE(fs::exists(target / "made"));
}

TEST_F(NetUnzip, CorruptEntryFailsAndLeavesNoFile) {
  std::string content = "ABCDEFGHIJKLMNOPQRSTUVWXYZ-unique-content";
  std::string zip = MakeZip("corrupt.zip", {{"first.txt", "one"}, {"damaged.txt", content}}, true);
  std::string bytes = Read(zip);
  size_t at = bytes.find(content);
  ASSERT_NE(at, std::string::npos);
  bytes[at + 3] ^= 0x20;
  std::ofstream(zip, std::ios::binary | std::ios::trunc) << bytes;
  fs::path target = root / "out";
  EXPECT_EQ(UnzipAll(zip, target.string()), 0);
  EXPECT_EQ(Read(target / "first.txt"), "one");
  EXPECT_FALSE(fs::exists(target / "damaged.txt"));
}

TEST_F(NetUnzip, CapsEntryCountAndTotalSize) {
  Entries many;
  for (int i = 0; i < 12; ++i) {
    many.push_back({"e" + std::to_string(i) + ".txt", std::string(100, 'x')});
  }
  std::string zip = MakeZip("many.zip", many);
  tagUnzipLimits fewEntries;
  fewEntries.maxEntries = 11;
  EXPECT_EQ(UnzipAll(zip, (root / "a").string(), fewEntries), 0);
  EXPECT_FALSE(fs::exists(root / "a" / "e0.txt"));
  tagUnzipLimits small;
  small.maxTotalBytes = 550;
  EXPECT_EQ(UnzipAll(zip, (root / "b").string(), small), 0);
  EXPECT_TRUE(fs::exists(root / "b" / "e4.txt"));
  EXPECT_FALSE(fs::exists(root / "b" / "e5.txt"));
  tagUnzipLimits enough;
  enough.maxEntries = 12;
  enough.maxTotalBytes = 1200;
  EXPECT_EQ(UnzipAll(zip, (root / "c").string(), enough), 1);
}

}  // namespace
}  // namespace mapengine::test
