// Copies of the result records: member by member, sharing nothing.
#include <cstring>

#include "engine/model/RouteRecords.h"
#include "tests/engine/data/DataTestSupport.h"

namespace mapengine::test {
namespace {

class RecordsTest : public EngineTest {};

tag_PoiInfo Poi(const char* name, int x) {
  tag_PoiInfo poi;
  std::strcpy(poi.name, name);
  poi.point = CComplexPt(x, x + 1);
  return poi;
}

TEST_F(RecordsTest, PoiResultAssignment) {
  tag_PoiResult source;
  source.total = 3;
  source.pois.Add(Poi("a", 1));
  source.psrs.texts.Add(W(u"天安门"));
  tag_PoiResult target;
  target.pois.Add(Poi("x", 7));
  target.pois.Add(Poi("y", 8));
  target = source;
  ASSERT_EQ(target.pois.GetSize(), 1);  // exactly the source's POIs
  EXPECT_STREQ(target.pois[0].name, "a");
  EXPECT_EQ(U16(target.psrs.texts[0]), u"天安门");

  tag_PoiResult& self = target;
  target = self;
  EXPECT_EQ(target.total, 3);
  EXPECT_EQ(target.pois.GetSize(), 1);
  EXPECT_EQ(target.pois[0].point.GetPoint(0, 0), (_VPoint{1, 2}));

  // The copy's geometry is its own.
  target.pois[0].point.GetPart(0)->SetAt(0, _VPoint{9, 9});
  EXPECT_EQ(source.pois[0].point.GetPoint(0, 0), (_VPoint{1, 2}));
  EXPECT_EQ(tag_PoiInfo().distance, -1);
}

TEST_F(RecordsTest, CityResultCopiesItsNameBytesWhole) {
  tag_CityResult city;
  std::memcpy(city.name, "ab\0cd", 5);
  std::strcpy(city.uid, "131");
  city.centre = CComplexPt(3, 4);
  tag_CityResult copy = city;
  EXPECT_EQ(std::memcmp(copy.name, "ab\0cd", 5), 0);
  EXPECT_STREQ(copy.uid, "131");
  EXPECT_EQ(copy.centre.GetPoint(0, 0), (_VPoint{3, 4}));
}

TEST_F(RecordsTest, BusRouteCopiesAreIndependent) {
  tag_BusRoute route;
  for (int leg = 0; leg < 3; ++leg) {
    CVArray<tag_BusLine> lines;
    lines.SetSize(leg + 1);
    CVArray<tag_BusTransStop> stops;
    stops.SetSize(leg + 2);
    route.lines.Add(lines);
    route.stops.Add(stops);
  }
  route.totals.Add(7);
  tag_BusRoute copy(route);
  ASSERT_EQ(copy.lines.GetSize(), 3);
  ASSERT_EQ(copy.stops.GetSize(), 3);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(copy.lines[i].GetSize(), i + 1);
    EXPECT_EQ(copy.stops[i].GetSize(), i + 2);
  }
  copy.lines[0][0].distance = 5;
  copy.stops[2].RemoveAll();
  EXPECT_EQ(route.lines[0][0].distance, 0);
  EXPECT_EQ(route.stops[2].GetSize(), 4);
  EXPECT_EQ(copy.totals[0], 7u);
}

}  // namespace
}  // namespace mapengine::test
