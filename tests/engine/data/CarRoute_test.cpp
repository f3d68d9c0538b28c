// Driving and walking routes: the demo routes' records and the exact step
// instructions, and the instruction rules case by case.
#include "engine/model/RouteRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

class CarRouteTest : public EngineTest {
protected:
  VJsonResultParser parser;
};

struct StepTexts {
  const char16_t* plain;
  const char16_t* withDistance;
  const char16_t* marked;
};

void ExpectKeyPoints(const tag_CarRouteRst& route, const std::vector<StepTexts>& steps) {
  ASSERT_EQ(route.route.keyPoints.GetSize(), static_cast<int>(steps.size()));
  for (size_t i = 0; i < steps.size(); ++i) {
    const tag_CarRouteKeyPt& k = route.route.keyPoints[static_cast<int>(i)];
    SCOPED_TRACE(i);
    EXPECT_EQ(U16(k.plainText), steps[i].plain);
    EXPECT_EQ(U16(k.plainTextWithDistance), steps[i].withDistance);
    EXPECT_EQ(U16(k.markedText), steps[i].marked);
  }
}

TEST_F(CarRouteTest, DrivingFromTiananmenToWangfujing) {
  Reply reply(mapdemo::DriveRouteReply());
  tag_CarRouteRst route;
  ASSERT_EQ(parser.ParseDriveRoute(reply.root(), &route), 1);
  EXPECT_EQ(route.total, 1);
  EXPECT_EQ(route.policy, 0);
  EXPECT_EQ(route.policyKind, 0);
  EXPECT_EQ(route.startCity.code, 131);
  EXPECT_EQ(G(route.endCity.name), u"北京市");
  EXPECT_EQ(G(route.start.name), u"天安门");
  EXPECT_STREQ(route.start.uid, "65e1ee886c885b3d1e2b4fd5");
  EXPECT_EQ(route.start.busStop, 0);
  EXPECT_EQ(route.start.point.GetPoint(0, 0), (_VPoint{1295816000, 482590700}));
  EXPECT_EQ(G(route.end.name), u"王府井");
  EXPECT_EQ(route.route.distance, 1680);
  EXPECT_EQ(route.route.time, 360);

  const CVArray<tag_CarRouteKeyPt>& k = route.route.keyPoints;
  ASSERT_EQ(k.GetSize(), 4);
  EXPECT_EQ(k[0].routePointType, 1);
  EXPECT_EQ(G(k[0].routePointText), u"从起点出发");
  EXPECT_EQ(G(k[0].turnText), u"正东方向");
  EXPECT_EQ(G(k[1].routePointText), u"行驶");
  EXPECT_EQ(G(k[2].turnText), u"左转");
  EXPECT_EQ(G(k[3].routePointText), u"到达终点");
  ExpectKeyPoints(route, {
      {u"从起点向正东方向出发", u"从起点向正东方向出发", u"从<font bold=\"1\">起点</font>向正东方向出发"},
      {u"直行进入王府井大街", u"直行进入王府井大街 - 480米",
       u"<font bold=\"1\">直行</font>进入<font bold=\"1\">王府井大街</font>"},
      {u"左转到达终点", u"左转到达终点", u"<font bold=\"1\">左转</font>到达<font bold=\"1\">终点</font>"},
      {u"到达终点", u"到达终点", u"到达<font bold=\"1\">终点</font>"},
  });

  const CVArray<tag_Link>& l = route.route.links;
  ASSERT_EQ(l.GetSize(), 4);
  EXPECT_EQ(G(l[1].name), u"长安街");
  EXPECT_EQ(G(l[1].attributeText), u"主路");
  EXPECT_EQ(l[1].length, 1200);
  EXPECT_EQ(U16(l[0].plainText), u"");
  EXPECT_EQ(U16(l[1].plainText), u"沿长安街行驶1.2公里,");
  EXPECT_EQ(U16(l[1].markedText), u"沿<font bold=\"1\">长安街</font>行驶1.2公里,");
  EXPECT_EQ(U16(l[2].plainText), u"沿王府井大街行驶480米,");
  EXPECT_EQ(U16(l[3].plainText), u"");
  // Each shape starts where the one before ended.
  ASSERT_EQ(l[1].shape.GetPartPointCount(0), 4);
  EXPECT_EQ(l[1].shape.GetPoint(0, 0), (_VPoint{1295816000, 482590700}));
  EXPECT_EQ(l[1].shape.GetPoint(0, 1), (_VPoint{1295816000, 482590000}));
  EXPECT_EQ(l[2].shape.GetPoint(0, 0), (_VPoint{1296020000, 482587000}));
  EXPECT_EQ(l[3].shape.GetPartPointCount(0), 2);
}

TEST_F(CarRouteTest, WalkingFromTiananmenToTheMuseum) {
  Reply reply(mapdemo::WalkRouteReply());
  tag_CarRouteRst route;
  ASSERT_EQ(parser.ParseWalkRoute(reply.root(), &route), 1);
  EXPECT_EQ(G(route.end.name), u"中国国家博物馆");
  EXPECT_EQ(G(route.route.keyPoints[1].routePointText), u"步行");
  ExpectKeyPoints(route, {
      {u"从起点向正东方向出发", u"从起点向正东方向出发", u"从<font bold=\"1\">起点</font>向正东方向出发"},
      {u"直行到达终点(在右侧)", u"直行到达终点(在右侧)",
       u"<font bold=\"1\">直行</font>到达<font bold=\"1\">终点</font>(在<font bold=\"1\">右侧</font>)"},
      {u"到达终点(在右侧)", u"到达终点(在右侧)",
       u"到达<font bold=\"1\">终点</font>(在<font bold=\"1\">右侧</font>)"},
  });
  EXPECT_EQ(U16(route.route.links[1].plainText), u"沿东长安街步行690米,");
}

// A route reply from key points (rt, tt) and links (name, attribute, length).
std::string RouteReply(const std::vector<std::pair<int, int>>& keyPoints,
                       const std::vector<std::tuple<const char*, int, int>>& links, int sy = 0) {
  std::string kps, rss;
  for (auto [rt, tt] : keyPoints) {
    kps += (kps.empty() ? "" : ",") + std::string("{\"rt\":") + std::to_string(rt) + ",\"tt\":" + std::to_string(tt) + "}";
  }
  for (auto [name, t, d] : links) {
    rss += (rss.empty() ? "" : ",") + std::string("{\"n\":\"") + name + "\",\"t\":" + std::to_string(t) +
           ",\"d\":" + std::to_string(d) + "}";
  }
  return "{\"result\":{\"sy\":" + std::to_string(sy) + "},\"content\":{\"kps\":[" + kps + "],\"rss\":[" + rss + "]}}";
}

TEST_F(CarRouteTest, InstructionRules) {
  struct Case {
    const char* what;
    std::string reply;
    int index;
    StepTexts texts;
  } cases[] = {
      {"start on a zero link, then 长安街 1200 m",
       RouteReply({{1, 13}, {4, 1}}, {{"", 0, 0}, {"长安街", 3, 1200}}), 0,
       {u"从起点向正北方向出发", u"从起点向正北方向出发", u"从<font bold=\"1\">起点</font>向正北方向出发"}},
      {"onto a nameless bridge", RouteReply({{4, 4}, {4, 1}}, {{"a", 3, 100}, {"", 9, 300}}), 0,
       {u"右转上桥", u"右转上桥 - 300米", u"<font bold=\"1\">右转</font>上<font bold=\"1\">桥</font>"}},
      {"into a nameless tunnel", RouteReply({{4, 10}, {4, 1}}, {{"a", 3, 100}, {"", 16, 995}}), 0,
       {u"左转进入隧道", u"左转进入隧道 - 1000米", u"<font bold=\"1\">左转</font>进入<font bold=\"1\">隧道</font>"}},
      {"a nameless plain road", RouteReply({{4, 1}, {4, 1}}, {{"a", 3, 100}, {"", 3, 15}}), 0,
       {u"直行", u"直行 - 20米", u"<font bold=\"1\">直行</font>"}},
      {"a lone start is written over", RouteReply({{1, 13}}, {{"", 0, 0}}), 0,
       {u"正北方向", u"正北方向", u"<font bold=\"1\">正北方向</font>"}},
      {"nothing after the first end", RouteReply({{4, 1}, {2, 0}, {4, 1}}, {{"a", 3, 14}, {"", 0, 0}, {"b", 3, 10}}), 2,
       {u"", u"", u""}},
      {"an end on the left", RouteReply({{4, 1}, {5, 0}}, {{"a", 3, 14}, {"", 0, 0}}), 0,
       {u"直行到达终点(在左侧)", u"直行到达终点(在左侧)",
        u"<font bold=\"1\">直行</font>到达<font bold=\"1\">终点</font>(在<font bold=\"1\">左侧</font>)"}},
      {"a turn beyond the table", RouteReply({{4, 30}, {2, 0}}, {{"a", 3, 14}, {"", 0, 0}}), 0,
       {u"到达终点", u"到达终点", u"<font bold=\"1\"></font>到达<font bold=\"1\">终点</font>"}},
      {"a key point without its link", RouteReply({{4, 1}, {4, 1}}, {{"a", 3, 100}}), 1, {u"", u"", u""}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    Reply reply(c.reply);
    tag_CarRouteRst route;
    ASSERT_EQ(parser.ParseDriveRoute(reply.root(), &route), 1);
    const tag_CarRouteKeyPt& k = route.route.keyPoints[c.index];
    EXPECT_EQ(U16(k.plainText), c.texts.plain);
    EXPECT_EQ(U16(k.plainTextWithDistance), c.texts.withDistance);
    EXPECT_EQ(U16(k.markedText), c.texts.marked);
  }
  // The start case's link text.
  Reply start(cases[0].reply);
  tag_CarRouteRst route;
  ASSERT_EQ(parser.ParseDriveRoute(start.root(), &route), 1);
  EXPECT_EQ(U16(route.route.links[1].plainText), u"沿长安街行驶1.2公里,");
}

TEST_F(CarRouteTest, DistanceTexts) {
  struct Case {
    int metres;
    const char16_t* text;
  } cases[] = {{1, u"10米"},    {10, u"10米"},     {11, u"10米"},       {14, u"10米"},    {15, u"20米"},
               {994, u"990米"}, {995, u"1000米"},  {999, u"1000米"},    {1000, u"1.0公里"}, {1250, u"1.2公里"},
               {0, u"kept"},   {-5, u"kept"},     {INT_MAX, u"2147483.8公里"}};
  for (const Case& c : cases) {
    CVString text(VStr(u"kept"));
    if (c.metres > 0) {
      text.Empty();
    }
    VJsonResultParser::FormatDistance(c.metres, &text);
    EXPECT_EQ(U16(text), c.text) << c.metres;
  }
}

TEST_F(CarRouteTest, OtherKindsGetNoTextsAndPoliciesMap) {
  Reply reply(RouteReply({{1, 13}, {4, 1}}, {{"", 0, 0}, {"长安街", 3, 1200}}, 7));
  tag_CarRouteRst route;
  ASSERT_EQ(parser.ParseCarRoute(reply.root(), &route, kRouteKindTransit), 1);
  EXPECT_EQ(route.policyKind, 3);
  EXPECT_EQ(route.route.keyPoints[0].routePointText[0], 0);
  EXPECT_EQ(G(route.route.keyPoints[0].turnText), u"正北方向");
  EXPECT_TRUE(route.route.keyPoints[0].plainText.IsEmpty());
  EXPECT_TRUE(route.route.links[1].plainText.IsEmpty());

  for (const char* bad : {R"({"result":{}})", R"({"result":{},"content":[]})", R"({"content":{}})"}) {
    Reply broken(bad);
    tag_CarRouteRst failed;
    EXPECT_EQ(parser.ParseDriveRoute(broken.root(), &failed), 0) << bad;
  }
  // "kps" or "rss" missing: the content fails, the route still parses.
  Reply noLinks(R"({"result":{"total":1},"content":{"kps":[{"rt":1}]}})");
  tag_CarRouteRst partial;
  EXPECT_EQ(parser.ParseDriveRoute(noLinks.root(), &partial), 1);
  EXPECT_EQ(partial.route.keyPoints.GetSize(), 1);
}

}  // namespace
}  // namespace mapengine::test
