// POI, POI detail, city and POI background replies of the demo data set,
// field by field, and the parsers' failures.
#include "engine/model/SearchRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

using mapdemo::PlaceNamed;

class PoiParsersTest : public EngineTest {
protected:
  VJsonResultParser parser;
};

// A POI parsed from a demo place carries the place.
void ExpectPlace(const tag_PoiInfo& poi, const char* name) {
  const mapdemo::Place& place = PlaceNamed(name);
  SCOPED_TRACE(name);
  EXPECT_EQ(G(poi.name), U8(place.name));
  EXPECT_EQ(std::string(poi.uid), place.uid);
  EXPECT_EQ(poi.poiType, place.poiType);
  EXPECT_EQ(poi.poiKind, place.poiType >= 1 && place.poiType <= 4 ? place.poiType : 0);
  EXPECT_EQ(poi.point.GetType(), 1);
  ASSERT_EQ(poi.point.GetPartSize(), 1);
  EXPECT_EQ(poi.point.GetPoint(0, 0), (_VPoint{place.at.x * 100, place.at.y * 100}));
  EXPECT_EQ(poi.detail, 1);
  EXPECT_GE(poi.distance, 0);
}

TEST_F(PoiParsersTest, PoiSearchInCityFillsThePageAndTheKeyword) {
  Reply reply(mapdemo::PoiSearchReply(11, "天安门"));
  tag_PoiResult result;
  result.status = 9;
  ASSERT_EQ(parser.ParsePoiSearchInCity(reply.root(), &result), 1);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.total, 2);
  EXPECT_EQ(result.opGel, 1);
  EXPECT_EQ(G(result.keyword), u"天安门");
  EXPECT_EQ(result.poiCount, 2);
  ASSERT_EQ(result.pois.GetSize(), 2);
  EXPECT_EQ(G(result.pois[0].name), u"天安门");
  EXPECT_EQ(G(result.pois[0].addr), u"北京市东城区东长安街");
  EXPECT_STREQ(result.pois[0].tel, "(010)63095745");
  ExpectPlace(result.pois[0], "天安门");
  EXPECT_EQ(G(result.pois[1].name), u"天安门东");
  // The stop's address collapses its repeated line names.
  EXPECT_EQ(G(result.pois[1].addr), u"1路;52路");
  EXPECT_EQ(result.pois[1].poiKind, 1);
  ExpectPlace(result.pois[1], "天安门东");
  // "SENum" 0: the psrs list becomes the suggestion list.
  EXPECT_EQ(result.suggestQuery.count, 2);
  EXPECT_EQ(result.psrs.count, 2);
  ASSERT_EQ(result.psrs.texts.GetSize(), 2);
  EXPECT_EQ(U16(result.psrs.texts[0]), u"天安门广场");
  EXPECT_EQ(U16(result.psrs.texts[1]), u"天安门东");
}

TEST_F(PoiParsersTest, PoiListNeedsItsCentreListButTheBoundsSearchDoesNot) {
  Reply withCentre(mapdemo::PoiSearchReply(12, "博物"));
  tag_PoiResult list;
  ASSERT_EQ(parser.ParsePoiList(withCentre.root(), &list), 1);
  ASSERT_EQ(list.pois.GetSize(), 2);
  EXPECT_EQ(G(list.pois[0].name), u"故宫博物院");
  EXPECT_EQ(G(list.pois[1].name), u"中国国家博物馆");
  // The telephone keeps its ASCII prefix only.
  EXPECT_STREQ(list.pois[1].tel, "(010)65116400 ");
  ASSERT_EQ(list.centrePois.GetSize(), 1);
  EXPECT_EQ(G(list.centrePois[0].name), u"天安门");

  Reply withoutCentre(mapdemo::PoiSearchReply(21, "博物"));
  tag_PoiResult failed;
  EXPECT_EQ(parser.ParsePoiList(withoutCentre.root(), &failed), 0);
  EXPECT_EQ(failed.pois.GetSize(), 2);  // filled all the same
  tag_PoiResult bounds;
  EXPECT_EQ(parser.ParsePoiListInBounds(withoutCentre.root(), &bounds), 1);
  EXPECT_EQ(bounds.poiCount, 2);
  EXPECT_EQ(bounds.keyword[0], 0);  // only type 11 reads the keyword
}

TEST_F(PoiParsersTest, PoiElementsKeepDefaultsForMissingKeys) {
  Reply reply(R"({"result":{"type":21,"total":3},"content":[{"name":"x"},7,{"poiType":3,"dis":12.9,"detail":2}]})");
  tag_PoiResult result;
  ASSERT_EQ(parser.ParsePoiListInBounds(reply.root(), &result), 1);
  EXPECT_EQ(result.poiCount, 3);  // the array's size, skipped elements included
  ASSERT_EQ(result.pois.GetSize(), 2);
  EXPECT_EQ(result.pois[0].distance, 0);  // no "dis": 0, not the constructor's -1
  EXPECT_EQ(result.pois[0].point.GetPartSize(), 0);
  EXPECT_EQ(result.pois[1].poiKind, 3);
  EXPECT_EQ(result.pois[1].distance, 12);
  EXPECT_EQ(result.pois[1].detail, 0);
}

TEST_F(PoiParsersTest, MultiKeywordSearchKeepsOneListPerKeyword) {
  Reply reply(mapdemo::MultiPoiReply({"天安门", "前门", "没有"}));
  tag_MultiPoiRst result;
  ASSERT_EQ(parser.ParseMultiPoiList(reply.root(), &result), 1);
  ASSERT_EQ(result.totals.GetSize(), 3);
  EXPECT_EQ(result.totals[0], 2);
  EXPECT_EQ(result.totals[1], 1);
  EXPECT_EQ(result.totals[2], 0);
  ASSERT_EQ(result.poiLists.GetSize(), 3);
  EXPECT_EQ(result.poiCounts[0], 2);
  EXPECT_EQ(G(result.poiLists[1][0].name), u"前门");
  EXPECT_EQ(result.poiLists[2].GetSize(), 0);

  // Totals and lists come from different arrays and may differ in length.
  Reply uneven(R"({"result":{"result_array":[{"total":4}]},"content":[[{"name":"a"}],"x",[]]})");
  tag_MultiPoiRst other;
  ASSERT_EQ(parser.ParseMultiPoiList(uneven.root(), &other), 1);
  EXPECT_EQ(other.totals.GetSize(), 1);
  EXPECT_EQ(other.poiLists.GetSize(), 3);
  EXPECT_EQ(other.poiCounts[1], 0);

  Reply bad(R"({"result":{"result_array":[{"total":4},5]}})");
  tag_MultiPoiRst failed;
  EXPECT_EQ(parser.ParseMultiPoiList(bad.root(), &failed), 0);
}

TEST_F(PoiParsersTest, PoiDetailOfAStopWithItsExtras) {
  Reply reply(mapdemo::PoiDetailReply());
  tag_PoiDetailRst detail;
  ASSERT_EQ(parser.ParsePoiDetail(reply.root(), &detail), 1);
  const tag_PoiInfo& poi = detail.poi;
  EXPECT_EQ(G(poi.name), u"天安门东");
  EXPECT_EQ(poi.poiType, 1);
  EXPECT_EQ(poi.poiKind, 1);
  EXPECT_STREQ(poi.tel, "(010)96166 ");
  EXPECT_STREQ(poi.postcode, "100006");
  ASSERT_EQ(poi.busLines.GetSize(), 2);
  EXPECT_EQ(G(poi.busLines[0].addr), u"天安门东");
  EXPECT_EQ(G(poi.busLines[0].name), u"1路");
  EXPECT_STREQ(poi.busLines[0].uid, "e1d2c3b4a5f6e7d8c9b0a1f2");
  EXPECT_EQ(G(poi.busLines[1].name), u"52路");

  const tag_PoiDetailExt& ext = detail.ext;
  EXPECT_EQ(ext.sourceKind, kPoiSourceSubwayStop);
  ASSERT_EQ(ext.details.GetSize(), 1);
  EXPECT_EQ(U16(ext.details[0].title), u"首末车");
  EXPECT_EQ(U16(ext.details[0].content), u"05:00-23:00");
  ASSERT_EQ(ext.links.GetSize(), 1);
  EXPECT_EQ(U16(ext.links[0].content), u"http://map.vuriv.com/line/1");
  ASSERT_EQ(ext.pictures.GetSize(), 2);  // the number among them is skipped
  EXPECT_EQ(U16(ext.price), u"2元");
  ASSERT_EQ(ext.subwayLines.GetSize(), 1);
  EXPECT_EQ(G(ext.subwayLines[0].lineName), u"1路");
  EXPECT_EQ(G(ext.subwayLines[0].terminals), u"老山公交场站-四惠枢纽站");
  EXPECT_STREQ(ext.subwayLines[0].firstTime, "05:00");
  // Nested exit lists are flattened; an exit without a name is skipped.
  ASSERT_EQ(ext.subwayExits.GetSize(), 2);
  EXPECT_EQ(U16(ext.subwayExits[0].exitName), u"A口");
  EXPECT_EQ(U16(ext.subwayExits[0].busInfo), u"1路");
  EXPECT_EQ(U16(ext.subwayExits[1].exitRound), u"中国国家博物馆");
  EXPECT_EQ(ext.surroundings.GetSize(), 0);
}

TEST_F(PoiParsersTest, PoiDetailStopsNeedTheirLinesAndSourcesAreExact) {
  struct Case {
    const char* text;
    int result;
    int sourceKind;
  } cases[] = {
      {R"({"content":{"poiType":3}})", 0, 0},
      {R"({"content":{"poiType":2}})", 1, 0},
      {R"({"content":{"poiType":1,"blinfo":[]}})", 1, 0},
      {R"({"content":{"ext":{"src_name":"Dianping"}}})", 1, -1},
      {R"({"content":{"ext":{"src_name":"dianping","around_info":[{"title":"t"}]}}})", 1, 2},
      {R"({"result":{}})", 0, 0},
  };
  for (const Case& c : cases) {
    Reply reply(c.text);
    tag_PoiDetailRst detail;
    EXPECT_EQ(parser.ParsePoiDetail(reply.root(), &detail), c.result) << c.text;
    EXPECT_EQ(detail.ext.sourceKind, c.sourceKind) << c.text;
  }
  Reply general(R"({"content":{"ext":{"src_name":"general_ext","around_info":[{"title":"t","info":"i"},3]}}})");
  tag_PoiDetailRst detail;
  ASSERT_EQ(parser.ParsePoiDetail(general.root(), &detail), 1);
  ASSERT_EQ(detail.ext.surroundings.GetSize(), 1);
  EXPECT_EQ(U16(detail.ext.surroundings[0].content), u"i");
}

TEST_F(PoiParsersTest, CityReplies) {
  const mapdemo::City& beijing = mapdemo::Beijing();
  Reply info(mapdemo::CityInfoReply());
  tag_CityResult city;
  ASSERT_EQ(parser.ParseCityInfo(info.root(), &city), 1);
  EXPECT_EQ(G(city.name), u"北京市");
  EXPECT_EQ(city.code, 131);
  EXPECT_EQ(city.cityType, 2);
  EXPECT_EQ(city.level, 11);
  EXPECT_STREQ(city.uid, "131");
  EXPECT_EQ(city.centre.GetPoint(0, 0), (_VPoint{beijing.centre.x * 100, beijing.centre.y * 100}));
  EXPECT_EQ(city.supBus, 1);
  EXPECT_EQ(city.supSubway, 1);
  EXPECT_EQ(city.supTraffic, 0);  // 2 is no flag

  Reply current(mapdemo::CurrentCityReply());
  tag_CityResult view;
  ASSERT_EQ(parser.ParseCurrentCity(current.root(), &view), 1);
  EXPECT_EQ(G(view.name), u"北京市");
  EXPECT_EQ(view.code, 131);
  EXPECT_EQ(view.cityType, 2);
  EXPECT_EQ(view.supTraffic, 1);
  Reply noContent(R"({"result":{"type":4},"content":[]})");
  EXPECT_EQ(parser.ParseCurrentCity(noContent.root(), &view), 0);

  Reply list(mapdemo::CityListReply());
  tag_PoiCityListRst cities;
  ASSERT_EQ(parser.ParseCityListReply(list.root(), &cities), 1);
  EXPECT_EQ(cities.currentNull, 1);
  EXPECT_EQ(cities.count, 2);
  ASSERT_EQ(cities.cities.GetSize(), 2);
  EXPECT_EQ(cities.cities[0].code, 131);
  EXPECT_EQ(cities.cities[0].count, 5);
  EXPECT_EQ(G(cities.cities[1].name), u"上海市");
  Reply notNull(R"({"result":{"current_null":2},"content":[]})");
  tag_PoiCityListRst none;
  ASSERT_EQ(parser.ParseCityListReply(notNull.root(), &none), 1);
  EXPECT_EQ(none.currentNull, 0);
}

TEST_F(PoiParsersTest, PoiPointTakesTheFirstPoiInMapUnits) {
  Reply reply(mapdemo::PoiPointReply("前门"));
  tag_CityResult city;
  city.level = 11;
  tag_ContentRst content;
  ASSERT_EQ(parser.ParsePoiPoint(reply.root(), &content, &city), 1);
  EXPECT_EQ(content.x, 12958200.0);
  EXPECT_EQ(content.y, 4824330.0);
  EXPECT_EQ(content.value, 11);
  Reply noPoint(R"({"result":{},"content":[{"name":"x"}]})");
  EXPECT_EQ(parser.ParsePoiPoint(noPoint.root(), &content, &city), 0);
  Reply empty(R"({"result":{},"content":[]})");
  EXPECT_EQ(parser.ParsePoiPoint(empty.root(), &content, &city), 0);
}

TEST_F(PoiParsersTest, PoiBackgroundTiles) {
  Reply reply(mapdemo::PoiBkgReply());
  tag_PoiBkgDataRst result;
  result.key = W(u"old");
  result.tiles.SetSize(3);
  ASSERT_EQ(parser.ParsePoiBkgData(reply.root(), &result), 1);
  EXPECT_EQ(U16(result.key), u"bkg_12_3163_1178");
  EXPECT_EQ(result.count, 2);
  ASSERT_EQ(result.tiles.GetSize(), 1);  // "12_3164" has one "_" only
  const tag_PoiBkgDataElem& tile = result.tiles[0];
  EXPECT_EQ(tile.level, 12);
  EXPECT_EQ(tile.x, 3163);
  EXPECT_EQ(tile.y, 1178);
  ASSERT_EQ(tile.pois.GetSize(), 2);
  EXPECT_EQ(tile.pois[0].x, 12958160.0);
  EXPECT_EQ(G(tile.pois[1].name), u"故宫博物院");

  // A tile without "uids" ends the list; the parser still succeeds.
  Reply stop(R"({"result":{},"content":[{"tileid":"1_2_3","uids":[]},{"tileid":"1_2_4"},{"tileid":"1_2_5","uids":[]}]})");
  tag_PoiBkgDataRst stopped;
  ASSERT_EQ(parser.ParsePoiBkgData(stop.root(), &stopped), 1);
  EXPECT_EQ(stopped.tiles.GetSize(), 1);
}

}  // namespace
}  // namespace mapengine::test
