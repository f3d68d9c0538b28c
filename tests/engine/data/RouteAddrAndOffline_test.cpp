// Route end-point candidates, the offline task list, the version reply and
// the network location reply.
#include <cfloat>
#include <climits>
#include <cstring>

#include "engine/model/RouteRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

class RouteAddrAndOfflineTest : public EngineTest {
protected:
  VJsonResultParser parser;
};

TEST_F(RouteAddrAndOfflineTest, EndPointCandidates) {
  Reply reply(mapdemo::RouteAddrReply());
  tag_RPAddrRst result;
  ASSERT_EQ(parser.ParseRouteAddrReply(reply.root(), &result), 1);
  const tag_RPAddrHead& head = result.head;
  EXPECT_EQ(head.startIsCity, 0);
  EXPECT_EQ(head.endIsCity, 1);
  EXPECT_EQ(head.startPriority, 0);
  EXPECT_EQ(head.navigation, 1);
  EXPECT_EQ(G(head.startKeyword), u"天安门");
  EXPECT_EQ(G(head.endKeyword), u"火车站");
  EXPECT_EQ(G(head.startCityName), u"北京市");
  EXPECT_EQ(head.endCityCode, 131);
  // Start: places (a candidate without a uid is still listed); end: cities.
  EXPECT_EQ(head.startCount, 3);
  ASSERT_EQ(result.startPois.GetSize(), 3);
  EXPECT_EQ(G(result.startPois[1].name), u"天安门东");
  EXPECT_EQ(G(result.startPois[1].addr), u"1路;52路");
  EXPECT_EQ(result.startPois[0].point.GetPoint(0, 0), (_VPoint{1295816000, 482590700}));
  EXPECT_EQ(result.startPois[2].uid[0], 0);
  EXPECT_EQ(head.endCount, 2);
  ASSERT_EQ(result.endCities.GetSize(), 2);
  EXPECT_EQ(result.endCities[1].count, 4);
  EXPECT_EQ(result.endPois.GetSize(), 0);

  tag_RPAddrRst copy = result;
  EXPECT_EQ(std::memcmp(&copy.head, &result.head, sizeof copy.head), 0);
  EXPECT_EQ(copy.startPois.GetSize(), 3);
}

TEST_F(RouteAddrAndOfflineTest, EndPointFlagsAndMissingContent) {
  Reply single(R"({"result":{"prio_flag":[0,0],"city_list":[0]},"content":{"start":[{"name":"a"}],"end":[]}})");
  tag_RPAddrRst one;
  ASSERT_EQ(parser.ParseRouteAddrReply(single.root(), &one), 1);
  EXPECT_EQ(one.head.startPriority, 1);  // a single candidate has priority
  EXPECT_EQ(one.head.endPriority, 0);
  EXPECT_EQ(one.head.endCount, 0);

  Reply noContent(R"({"result":{"s_wd":"x","if_nav":2,"city_list":[1,1]}})");
  tag_RPAddrRst kept;
  ASSERT_EQ(parser.ParseRouteAddrReply(noContent.root(), &kept), 1);
  EXPECT_STREQ(kept.head.startKeyword, "x");
  EXPECT_EQ(kept.head.navigation, 0);
  EXPECT_EQ(kept.head.startIsCity, 1);
  EXPECT_EQ(kept.head.startCount, 0);
  EXPECT_EQ(parser.ParseRouteAddrReply(nullptr, &kept), 0);
}

TEST_F(RouteAddrAndOfflineTest, OfflineTaskList) {
  Reply reply(mapdemo::OfflineTaskListReply());
  CVArray<tag_OfflineTask> tasks;
  ASSERT_EQ(parser.ParseOfflineTaskList(reply.root(), &tasks), 1);
  ASSERT_EQ(tasks.GetSize(), 1);
  const tag_OfflineTask& task = tasks[0];
  EXPECT_EQ(task.cityId, 131);
  EXPECT_EQ(U16(task.name), u"北京市");
  EXPECT_EQ(task.size, 25165824);
  EXPECT_EQ(task.centreX, 12959220);
  EXPECT_EQ(task.centreY, 4825200);
  EXPECT_EQ(task.level, 11);
  EXPECT_EQ(task.startLevel, 11);
  EXPECT_EQ(task.endLevel, 17);
  EXPECT_EQ(U16(task.version), u"7");
  ASSERT_EQ(task.files.GetSize(), 2);
  EXPECT_EQ(U16(task.files[0]), u"2530_942");
  EXPECT_EQ(U16(task.files[1]), u"2531_942");
}

std::string Task(const std::string& fields) {
  return "{\"name\":\"n\",\"cityid\":\"1\",\"task\":\"1_2\",\"size\":\"3\",\"center_x\":\"4\",\"center_y\":\"5\","
         "\"l\":\"6\",\"ls\":\"7\",\"le\":\"8\"" + fields + "}";
}

TEST_F(RouteAddrAndOfflineTest, OfflineTaskRules) {
  struct Case {
    const char* what;
    std::string text;
    int result;
    int tasks;
  } cases[] = {
      {"second task lacks cityver",
       R"({"result":{},"content":[)" + Task(",\"cityver\":\"1\"") + "," + Task("") + "]}", 0, 1},
      {"service error", R"({"result":{"error":1},"content":[)" + Task(",\"cityver\":\"1\"") + "]}", 0, 0},
      {"content not a list", R"({"result":{},"content":{}})", 0, 0},
      {"other elements skipped", R"({"result":{},"content":[3,)" + Task(",\"cityver\":\"1\"") + "]}", 1, 1},
      {"a path in the grid names drops the task",
       R"({"result":{},"content":[{"name":"n","cityid":"1","task":"1_2|../../x","size":3,"center_x":"4",)"
       R"("center_y":"5","l":"6","ls":"7","le":"8","cityver":"1"},)" + Task(",\"cityver\":\"1\"") + "]}", 1, 1},
  };
  for (const Case& c : cases) {
    Reply reply(c.text);
    ASSERT_NE(reply.root(), nullptr) << c.what;
    CVArray<tag_OfflineTask> tasks;
    tasks.SetSize(4);
    EXPECT_EQ(parser.ParseOfflineTaskList(reply.root(), &tasks), c.result) << c.what;
    EXPECT_EQ(tasks.GetSize(), c.tasks) << c.what;
  }
}

TEST_F(RouteAddrAndOfflineTest, GridNamesAndSizes) {
  struct Case {
    const char* task;
    std::vector<std::u16string> files;  // empty: the task is dropped
  } cases[] = {
      {"1_2|-3_4|5_-6|7_8", {u"1_2", u"7_8"}},  // grids with no tiles to fetch are left out
      {"1_2|3_4|", {u"1_2", u"3_4"}},
      {"007_08", {u"7_8"}},
      {"1_2||3_4", {}},
      {"1_2/x", {}},
      {"1__2", {}},
      {"_2", {}},
      {"1_2_3", {}},
      {"..", {}},
  };
  for (const Case& c : cases) {
    std::string text = R"({"result":{},"content":[{"name":"n","cityid":"1","task":")" + std::string(c.task) +
                       R"(","size":7,"center_x":"4","center_y":"5","l":"6","ls":"7","le":"8","cityver":"1"}]})";
    Reply reply(text);
    CVArray<tag_OfflineTask> tasks;
    ASSERT_EQ(parser.ParseOfflineTaskList(reply.root(), &tasks), 1) << c.task;
    if (c.files.empty()) {
      EXPECT_EQ(tasks.GetSize(), 0) << c.task;
      continue;
    }
    ASSERT_EQ(tasks.GetSize(), 1) << c.task;
    ASSERT_EQ(tasks[0].files.GetSize(), static_cast<int>(c.files.size())) << c.task;
    for (size_t i = 0; i < c.files.size(); ++i) {
      EXPECT_EQ(U16(tasks[0].files[static_cast<int>(i)]), c.files[i]) << c.task;
    }
    EXPECT_EQ(tasks[0].size, 7);  // a number, like the same value in text
  }
  tag_OfflineTask unfilled;
  EXPECT_EQ(unfilled.cityId, -1);
  EXPECT_TRUE(unfilled.name.IsEmpty());
  EXPECT_EQ(unfilled.files.GetSize(), 0);
}

TEST_F(RouteAddrAndOfflineTest, VersionReply) {
  Reply reply(mapdemo::VersionReply());
  CVString city, picture, task;
  ASSERT_EQ(parser.ParseVersionReply(reply.root(), &city, &picture, &task), 1);
  EXPECT_EQ(U16(picture), u"8");
  EXPECT_EQ(U16(task), u"9");
  EXPECT_EQ(U16(city), u"7");

  Reply partial(R"({"result":{},"content":{"version":[{"pic_version":"2","task_version":"3"}]}})");
  CVString c2, p2, t2;
  EXPECT_EQ(parser.ParseVersionReply(partial.root(), &c2, &p2, &t2), 0);
  EXPECT_EQ(U16(p2), u"2");
  EXPECT_EQ(U16(t2), u"3");
  for (const char* bad : {R"({"result":{"error":2},"content":{"version":[{}]}})",
                          R"({"result":{},"content":{"version":[]}})", R"({"content":{"version":[{}]}})"}) {
    Reply broken(bad);
    EXPECT_EQ(parser.ParseVersionReply(broken.root(), &c2, &p2, &t2), 0) << bad;
  }
}

TEST_F(RouteAddrAndOfflineTest, LocationReply) {
  Reply reply(mapdemo::LocationReply({12958160, 4825907}));
  tagLocReply location;
  ASSERT_EQ(parser.ParseLocation(reply.root(), &location), 1);
  EXPECT_EQ(location.type, 161);
  EXPECT_EQ(location.radius, 150);
  EXPECT_EQ(location.x, 12958160.5);
  EXPECT_EQ(location.y, 4825907.25);

  Reply numericX(R"({"result":{"error":"167"},"content":{"radius":30,"point":{"x":1,"y":"2"}}})");
  tagLocReply failed;
  failed.radius = 9;
  EXPECT_EQ(parser.ParseLocation(numericX.root(), &failed), 0);
  EXPECT_EQ(failed.type, 167);
  EXPECT_EQ(failed.radius, 9);  // a numeric radius is not read
  Reply huge(R"({"result":{},"content":{"radius":"99999999999","point":{"x":"1e999","y":"nan"}}})");
  tagLocReply clamped;
  ASSERT_EQ(parser.ParseLocation(huge.root(), &clamped), 1);
  EXPECT_EQ(clamped.radius, INT_MAX);
  EXPECT_EQ(clamped.x, DBL_MAX);
  EXPECT_EQ(clamped.y, 0.0);
}

}  // namespace
}  // namespace mapengine::test
