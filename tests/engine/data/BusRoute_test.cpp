// Transit routes and bus lines: the demo plan's records and instructions, and
// the scheme rules case by case.
#include "engine/model/RouteRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

class BusRouteTest : public EngineTest {
protected:
  VJsonResultParser parser;
};

TEST_F(BusRouteTest, TransitFromTiananmenToBeijingStation) {
  Reply reply(mapdemo::TransitReply());
  tag_BusRouteRst result;
  ASSERT_EQ(parser.ParseBusRoutes(reply.root(), &result), 1);
  EXPECT_EQ(result.total, 1);
  EXPECT_EQ(result.policy, 3);
  EXPECT_EQ(result.policyKind, 5);
  EXPECT_EQ(result.hasType1Line, 1);  // the subway leg of the first scheme
  EXPECT_EQ(G(result.start.name), u"天安门");
  EXPECT_EQ(G(result.end.name), u"北京站");
  ASSERT_EQ(result.routes.GetSize(), 1);
  const tag_BusRoute& route = result.routes[0];
  ASSERT_EQ(route.lines.GetSize(), 2);
  ASSERT_EQ(route.stops.GetSize(), 2);
  ASSERT_EQ(route.totals.GetSize(), 2);
  EXPECT_EQ(route.totals[0], 260u + 1800u + 850u + 1600u + 300u);
  EXPECT_EQ(route.totals[1], 260u + 3000u + 10u);

  const CVArray<tag_BusLine>& legs = route.lines[0];
  ASSERT_EQ(legs.GetSize(), 2);
  EXPECT_EQ(G(legs[0].name), u"1路(老山公交场站-四惠枢纽站)");
  EXPECT_EQ(legs[0].distance, 1800);
  EXPECT_EQ(legs[0].stationCount, 2);
  EXPECT_STREQ(legs[0].onUid, "0a1b2c3d4e5f6a7b8c9d0e1f");
  EXPECT_STREQ(legs[0].offUid, "e1d2c3b4a5f6e7d8c9b0a1f2");
  EXPECT_EQ(legs[0].shape.GetType(), 2);
  EXPECT_EQ(legs[0].shape.GetPartPointCount(0), 3);
  EXPECT_EQ(U16(legs[0].plainText), u"乘坐1路, 经过2站, 到达东单站");
  EXPECT_EQ(U16(legs[0].markedText), u"乘坐<font bold=\"1\">1路</font>, 经过2站, 到达<font bold=\"1\">东单站</font>");
  EXPECT_EQ(U16(legs[1].plainText), u"乘坐地铁2号线, 经过1站, 到达北京站");

  const CVArray<tag_BusTransStop>& stops = route.stops[0];
  ASSERT_EQ(stops.GetSize(), 3);
  EXPECT_EQ(G(stops[0].onName), u"天安门东");
  EXPECT_EQ(stops[0].walkDistance, 260);
  EXPECT_EQ(stops[0].onPoint.GetPoint(0, 0), (_VPoint{1295856000, 482585000}));
  EXPECT_EQ(U16(stops[0].shortWalkText), u"步行,到达天安门东站 - 260米");
  EXPECT_EQ(U16(stops[0].boardingText), u"在天安门东站上车,乘坐1路 - 2站");
  EXPECT_EQ(U16(stops[0].plainWalkText), u"步行260米,到达天安门东站");
  EXPECT_EQ(U16(stops[0].markedWalkText), u"<font bold=\"1\">步行</font>260米,到达<font bold=\"1\">天安门东站</font>");
  EXPECT_EQ(U16(stops[1].shortWalkText), u"在东单站下车,步行 - 850米");
  EXPECT_EQ(U16(stops[1].plainWalkText), u"步行850米,到达崇文门站");
  EXPECT_EQ(U16(stops[1].boardingText), u"在崇文门站上车,乘坐地铁2号线 - 1站");
  EXPECT_EQ(U16(stops[2].shortWalkText), u"在北京站下车,步行 - 300米");
  EXPECT_EQ(U16(stops[2].boardingText), u"到达北京站");

  const CVArray<tag_BusTransStop>& other = route.stops[1];
  EXPECT_EQ(U16(route.lines[1][0].plainText), u"乘坐52路, 经过3站, 到达北京站口东站");
  EXPECT_EQ(U16(other[1].shortWalkText), u"在北京站口东站下车");
  EXPECT_TRUE(other[1].plainWalkText.IsEmpty());
  EXPECT_EQ(U16(other[1].boardingText), u"到达北京站");
}

// A transit reply of schemes given as lists of (line name, distance) legs and
// stop walk distances; stop names are "S<k><j>".
std::string TransitReply(const std::vector<std::pair<std::vector<std::pair<std::string, int>>, std::vector<int>>>& schemes,
                         const std::string& extra = "") {
  std::string lines, stops;
  for (size_t k = 0; k < schemes.size(); ++k) {
    std::string legs, walks;
    for (auto& [name, distance] : schemes[k].first) {
      legs += (legs.empty() ? "" : ",") + std::string("{\"name\":\"") + name + "\",\"distance\":" +
              std::to_string(distance) + ",\"station_num\":4}";
    }
    for (size_t j = 0; j < schemes[k].second.size(); ++j) {
      std::string n = "S" + std::to_string(k) + std::to_string(j);
      walks += (walks.empty() ? "" : ",") + std::string("{\"getOn\":{\"name\":\"") + n + "\"},\"getOff\":{\"name\":\"" +
               n + "\"},\"walk\":{\"distance\":" + std::to_string(schemes[k].second[j]) + "}}";
    }
    lines += (lines.empty() ? "" : ",") + ("[" + legs + "]");
    stops += (stops.empty() ? "" : ",") + ("[" + walks + "]");
  }
  return "{\"result\":{\"sy\":2" + extra + "},\"content\":[{\"lines\":[" + lines + "],\"stops\":[" + stops + "]}]}";
}

TEST_F(BusRouteTest, SchemeRules) {
  // Scheme 0: two legs and two stops (one too few); scheme 1: fine. The
  // scheme that cannot be built is left out, so the distance list stays
  // parallel to the schemes: plan 0 is the fine scheme with its own total.
  Reply reply(TransitReply({{{{"1路", 100}, {"2路", 200}}, {10, 11}}, {{{"3线(x)", 300}}, {11, 10}}}));
  tag_BusRouteRst result;
  ASSERT_EQ(parser.ParseBusRoutes(reply.root(), &result), 1);
  EXPECT_EQ(result.policyKind, 4);
  const tag_BusRoute& route = result.routes[0];
  ASSERT_EQ(route.lines.GetSize(), 1);
  ASSERT_EQ(route.stops.GetSize(), 1);
  ASSERT_EQ(route.totals.GetSize(), 1);
  EXPECT_EQ(route.totals[0], 11u + 300u + 10u);
  EXPECT_EQ(G(route.lines[0][0].name), u"3线(x)");
  const CVArray<tag_BusTransStop>& stops = route.stops[0];
  // 11 m is a long walk, with the distance text of ten metres.
  EXPECT_EQ(U16(stops[0].shortWalkText), u"步行,到达S10站 - 10米");
  EXPECT_EQ(U16(stops[0].plainWalkText), u"步行10米,到达S10站");
  EXPECT_EQ(U16(stops[0].boardingText), u"在S10站上车,乘坐3线 - 4站");
  EXPECT_EQ(U16(stops[1].shortWalkText), u"在S11站下车");
  EXPECT_EQ(U16(stops[1].boardingText), u"到达S11");

  Reply shortWalk(TransitReply({{{{"9路(环)", 5}}, {10, 0}}}));
  tag_BusRouteRst other;
  ASSERT_EQ(parser.ParseBusRoutes(shortWalk.root(), &other), 1);
  const tag_BusTransStop& first = other.routes[0].stops[0][0];
  EXPECT_EQ(U16(first.shortWalkText), u"步行,到达S00站");
  EXPECT_TRUE(first.plainWalkText.IsEmpty());
  EXPECT_EQ(U16(first.boardingText), u"在S00站上车,乘坐9路 - 4站");
}

TEST_F(BusRouteTest, NamesEndingInStationKeepOneStation) {
  Reply reply(R"({"result":{},"content":[{"lines":[[{"name":"地铁1号线","station_num":2}]],)"
              R"("stops":[[{"getOn":{"name":"王府井站"},"getOff":{},"walk":{"distance":0}},)"
              R"({"getOn":{"name":"东单站"},"getOff":{"name":"东单站"},"walk":{"distance":-50}}]]}]})");
  tag_BusRouteRst result;
  ASSERT_EQ(parser.ParseBusRoutes(reply.root(), &result), 1);
  const tag_BusRoute& route = result.routes[0];
  EXPECT_EQ(U16(route.stops[0][0].boardingText), u"在王府井站上车,乘坐地铁1号线 - 2站");
  EXPECT_EQ(U16(route.lines[0][0].plainText), u"乘坐地铁1号线, 经过2站, 到达东单站");
  EXPECT_EQ(U16(route.stops[0][1].boardingText), u"到达东单站");
  EXPECT_EQ(route.totals[0], 0u);  // a negative walk adds nothing
}

TEST_F(BusRouteTest, AlternativesPassOverSchemesWithoutTheLeg) {
  // Scheme 0 has three legs, scheme 1 only one: leg 2 finds no scheme 1 leg
  // to read (and no alternative, since no reply fills the compared text).
  Reply reply(TransitReply({{{{"1路", 1}, {"2路", 2}, {"3路", 3}}, {0, 0, 0, 0}}, {{{"4路", 4}}, {0, 0}}}));
  tag_BusRouteRst result;
  ASSERT_EQ(parser.ParseBusRoutes(reply.root(), &result), 1);
  tag_BusRoute& route = result.routes[0];
  EXPECT_EQ(U16(route.lines[0][2].plainText), u"乘坐3路, 经过4站, 到达S03站");
  // With the compared text set, other schemes' lines are offered, each once.
  std::strcpy(route.lines[1][0].compareText, "line4");
  CVArray<tag_BusLine> copy = route.lines[1];
  route.lines.Add(copy);
  CVArray<tag_BusTransStop> copiedStops = route.stops[1];
  route.stops.Add(copiedStops);
  VJsonResultParser::BuildBusStepText(&result);
  ASSERT_EQ(route.totals.GetSize(), 3);
  EXPECT_EQ(U16(route.lines[0][0].plainText), u"乘坐1路, 经过4站, 到达S01站.也可乘坐4路");
  EXPECT_EQ(U16(route.lines[0][0].markedText),
            u"乘坐<font bold=\"1\">1路</font>, 经过4站, 到达<font bold=\"1\">S01站</font>"
            u"<br/><font color=\"0x808080\">也可乘坐:</font><font color=\"0x3d6dcc\">4路</font>");
  EXPECT_EQ(U16(route.lines[0][1].plainText), u"乘坐2路, 经过4站, 到达S02站");
}

TEST_F(BusRouteTest, StopsAndRoutesNeedTheirParts) {
  // A stop without "walk" is not listed, so its scheme cannot be built and
  // is left out; an "end" that is an array fills no end node.
  Reply reply(R"({"result":{"end":[{"wd":"x"}]},"content":[{"lines":[[{"name":"1路"}]],)"
              R"("stops":[[{"getOn":{},"getOff":{},"walk":{}},{"getOn":{},"getOff":{}}]]},7]})");
  tag_BusRouteRst result;
  ASSERT_EQ(parser.ParseBusRoutes(reply.root(), &result), 1);
  EXPECT_EQ(result.end.name[0], 0);
  ASSERT_EQ(result.routes.GetSize(), 1);
  EXPECT_EQ(result.routes[0].lines.GetSize(), 0);
  EXPECT_EQ(result.routes[0].stops.GetSize(), 0);
  EXPECT_EQ(result.routes[0].totals.GetSize(), 0);
  EXPECT_EQ(result.hasType1Line, 0);
  struct Case {
    const char* text;
    int result;
  } cases[] = {{R"({"content":[]})", 0}, {R"({"result":{},"content":{}})", 0},
               {R"({"result":{},"content":[{"stops":[]}]})", 1}};
  for (const Case& c : cases) {
    Reply broken(c.text);
    tag_BusRouteRst failed;
    EXPECT_EQ(parser.ParseBusRoutes(broken.root(), &failed), c.result) << c.text;
    EXPECT_EQ(failed.routes.GetSize(), 0) << c.text;
  }
}

TEST_F(BusRouteTest, BusLineDetail) {
  Reply reply(mapdemo::BusLineDetailReply());
  tag_BusLineDetailRst result;
  ASSERT_EQ(parser.ParseBusLineDetails(reply.root(), &result), 1);
  EXPECT_EQ(result.total, 1);
  EXPECT_EQ(result.count, 1);
  ASSERT_EQ(result.lines.GetSize(), 1);
  const tag_BusLineDetail& line = result.lines[0];
  EXPECT_EQ(G(line.name), u"1路(老山公交场站-四惠枢纽站)");
  EXPECT_STREQ(line.startTime, "05:00");
  EXPECT_STREQ(line.endTime, "23:00");
  EXPECT_EQ(line.monthlyTicket, 1);
  EXPECT_EQ(line.maxPrice, 2);
  EXPECT_STREQ(line.uid, "e1d2c3b4a5f6e7d8c9b0a1f2");
  EXPECT_EQ(line.shape.GetPartPointCount(0), 3);
  ASSERT_EQ(line.stations.GetSize(), 2);
  EXPECT_EQ(G(line.stations[1].name), u"王府井");
  EXPECT_EQ(line.stations[1].point.GetPoint(0, 0), (_VPoint{1296039000, 482621000}));

  Reply noStations(R"({"result":{},"content":[{"name":"a"},{"name":"b","stations":[]}]})");
  tag_BusLineDetailRst partial;
  ASSERT_EQ(parser.ParseBusLineDetails(noStations.root(), &partial), 1);
  EXPECT_EQ(partial.count, 2);
  ASSERT_EQ(partial.lines.GetSize(), 1);
  EXPECT_STREQ(partial.lines[0].name, "b");
  Reply noResult(R"({"content":[]})");
  EXPECT_EQ(parser.ParseBusLineDetails(noResult.root(), &partial), 0);
}

}  // namespace
}  // namespace mapengine::test
