// A package's record file: the ratio is a percent, read as the store's ratio
// (x 100); a value no ratio can hold makes the record unreadable.
#include <string>

#include "engine/data/OLPackageMan.h"
#include "tests/engine/data/OfflineTestSupport.h"
#include "tools/offlinepack/OfflinePack.h"

namespace mapengine::test {
namespace {

class PackageRecordTest : public OfflineTest {
protected:
  // The record file of a package made by the package maker, its local
  // ratio pair replaced.
  std::string RecordFile(const std::string& ratio) {
    offlinepack::City city;
    city.id = 150;
    city.name = "City";
    city.grids = {"100_200"};
    for (const offlinepack::Entry& e : offlinepack::packageEntries(city)) {
      if (e.name.size() > 4 && e.name.compare(e.name.size() - 4, 4, ".cfg") == 0) {
        std::string text = e.bytes;
        size_t at = text.find("\"lr\":100");
        EXPECT_NE(at, std::string::npos);
        return text.replace(at, 8, "\"lr\":" + ratio);
      }
    }
    ADD_FAILURE() << "no record file";
    return {};
  }
};

TEST_F(PackageRecordTest, RatioIsAPercent) {
  struct Case {
    const char* ratio;
    int read;
    int stored;
  } cases[] = {
      {"100", 1, 10000}, {"37", 1, 3700}, {"0", 1, 0}, {"21474836", 1, 2147483600},
      {"21474837", 0, 0}, {"-21474837", 0, 0}, {"99999999999", 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.ratio);
    WriteBytes(Path("150.cfg"), RecordFile(c.ratio));
    COLUpdateRecord record;
    ASSERT_EQ(COLPackageMan::ReadPackageRecord(CVString(Path("150.cfg").c_str()), record), c.read);
    if (c.read) {
      EXPECT_EQ(record.local.ratio, c.stored);
      EXPECT_EQ(record.local.cityId, 150);
    }
  }
}

}  // namespace
}  // namespace mapengine::test
