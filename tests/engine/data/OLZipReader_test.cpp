// Walking a package's entries: a name too long for the reader's buffer stops
// the walk as unreadable instead of reaching the visitor unterminated.
#include <cstring>
#include <string>
#include <vector>

#include "engine/data/OLZipReader.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/offlinepack/OfflinePack.h"

namespace mapengine::test {
namespace {

class ZipReaderTest : public OfflineTest {
protected:
  // The names the walk visits, and whether it ended as read.
  std::pair<std::vector<std::string>, bool> Walk(const std::vector<offlinepack::Entry>& entries) {
    EXPECT_TRUE(offlinepack::writeZip(Path("p.zip"), entries));
    CZipReader zip(CVString(Path("p.zip").c_str()));
    std::vector<std::string> names;
    bool read = zip.Walk([&](const char* name, unsigned long long) {
      names.emplace_back(name, ::strnlen(name, 1024));
      return true;
    });
    return {names, read};
  }
};

TEST_F(ZipReaderTest, VisitsEveryEntryInOrder) {
  auto [names, read] = Walk({{"VurivMap/Mapdata/150.cfg", "[]"}, {"VurivMap/Mapdata/150.chk", "[]"}});
  EXPECT_TRUE(read);
  EXPECT_EQ(names, (std::vector<std::string>{"VurivMap/Mapdata/150.cfg", "VurivMap/Mapdata/150.chk"}));
}

TEST_F(ZipReaderTest, AnOverLongNameEndsTheWalkUnread) {
  const std::string longName = "VurivMap/" + std::string(300, 'n') + ".cfg";
  auto [names, read] = Walk({{"VurivMap/Mapdata/150.chk", "[]"}, {longName, "[]"}});
  EXPECT_FALSE(read);
  EXPECT_EQ(names, (std::vector<std::string>{"VurivMap/Mapdata/150.chk"}));
}

}  // namespace
}  // namespace mapengine::test
