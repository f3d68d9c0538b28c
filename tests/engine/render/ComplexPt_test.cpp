#include "engine/model/ComplexPt.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/engine/render/GeometryText.h"

using namespace mapengine;
using geometrytext::Absolute;
using geometrytext::Relative;

namespace {

CVArray<_VPoint, _VPoint> PointRun(std::initializer_list<_VPoint> points) {
  CVArray<_VPoint, _VPoint> out;
  for (const _VPoint& p : points) {
    out.Add(p);
  }
  return out;
}

}  // namespace

TEST(ComplexPtTest, ConstructionAndAccess) {
  CComplexPt empty;
  EXPECT_EQ(empty.GetType(), CComplexPt::kEmpty);
  EXPECT_EQ(empty.GetPartSize(), 0);
  EXPECT_EQ(empty.GetPart(0), nullptr);
  EXPECT_EQ(empty.GetPartPointCount(0), 0);
  EXPECT_EQ(empty.GetPoint(0, 0), (_VPoint{0, 0}));

  CComplexPt point(12, -34);
  EXPECT_EQ(point.GetType(), CComplexPt::kPoint);
  _VRect bound;
  point.GetBound(&bound);
  EXPECT_EQ(bound, (_VRect{12, -34, 12, -34}));
  EXPECT_EQ(point.GetPartSize(), 1);
  EXPECT_EQ(point.GetPoint(0, 0), (_VPoint{12, -34}));
  for (auto [part, index] : {std::pair{0, 1}, {1, 0}, {-1, 0}, {0, -1}}) {
    EXPECT_EQ(point.GetPoint(part, index), (_VPoint{0, 0})) << part << "," << index;
  }
  EXPECT_EQ(point.GetPart(-1), nullptr);
  EXPECT_EQ(point.GetPartPointCount(1), 0);

  EXPECT_EQ(point.AddPart(nullptr), 0);
  auto run = PointRun({{1, 2}, {3, 4}, {5, 6}});
  EXPECT_EQ(point.AddPart(&run), 1);
  run[0] = {99, 99};  // the part is a copy
  EXPECT_EQ(point.GetPartSize(), 2);
  EXPECT_EQ(point.GetPartPointCount(1), 3);
  EXPECT_EQ(point.GetPoint(1, 0), (_VPoint{1, 2}));
  EXPECT_EQ(point.GetPoint(1, 2), (_VPoint{5, 6}));

  point.RemoveAll();
  EXPECT_EQ(point.GetType(), CComplexPt::kEmpty);
  EXPECT_EQ(point.GetPartSize(), 0);
  point.GetBound(&bound);
  EXPECT_EQ(bound, _VRect{});
}

TEST(ComplexPtTest, CopiesShareNoPart) {
  CComplexPt source(7, 8);
  auto run = PointRun({{1, 1}, {2, 2}});
  source.AddPart(&run);

  CComplexPt copy(source);
  CComplexPt assigned;
  assigned = source;
  for (CComplexPt* g : {&copy, &assigned}) {
    EXPECT_EQ(g->GetType(), CComplexPt::kPoint);
    EXPECT_EQ(g->GetPartSize(), 2);
    EXPECT_NE(g->GetPart(1), source.GetPart(1));
    (*g->GetPart(1))[0] = {50, 50};
  }
  EXPECT_EQ(source.GetPoint(1, 0), (_VPoint{1, 1}));

  // Assignment replaces what was there; self-assignment changes nothing.
  CComplexPt other(1, 1);
  other.AddPart(&run);
  other.AddPart(&run);
  other = source;
  EXPECT_EQ(other.GetPartSize(), 2);
  auto* part = source.GetPart(0);
  CComplexPt& self = source;
  source = self;
  EXPECT_EQ(source.GetPart(0), part);
  EXPECT_EQ(source.GetPartSize(), 2);
  EXPECT_EQ(source.GetPoint(0, 0), (_VPoint{7, 8}));
}

TEST(ComplexPtTest, ParseGeoString) {
  const std::string low = "-" + Absolute(100, 200) + ";";
  const std::string high = "-" + Absolute(900, 800) + ";";
  const std::string shape = "-" + Absolute(100, 200) + Relative(800, 600) + ";";
  ASSERT_EQ(low.size(), 15u);

  CComplexPt line;
  ASSERT_EQ(line.ParseGeoString((low + "|" + high + "|" + shape).c_str(), CComplexPt::kLine), 1);
  EXPECT_EQ(line.GetType(), CComplexPt::kLine);
  _VRect bound;
  line.GetBound(&bound);
  EXPECT_EQ(bound, (_VRect{100, 200, 900, 800}));
  ASSERT_EQ(line.GetPartSize(), 1);
  EXPECT_EQ(line.GetPoint(0, 1), (_VPoint{900, 800}));

  // One field of kind 1: one point, zero rectangle. Parsing again replaces.
  CComplexPt point = line;
  ASSERT_EQ(point.ParseGeoString(("." + Absolute(5, 6)).c_str(), CComplexPt::kPoint), 1);
  EXPECT_EQ(point.GetPartSize(), 1);
  EXPECT_EQ(point.GetPoint(0, 0), (_VPoint{5, 6}));
  point.GetBound(&bound);
  EXPECT_EQ(bound, _VRect{});

  struct Case {
    const char* name;
    std::string text;
    int kind;
  } refused[] = {
      {"one field of kind 2", "-" + Absolute(5, 6), CComplexPt::kLine},
      {"one short field", "." + Absolute(5, 6).substr(0, 12), CComplexPt::kPoint},
      {"two fields", low + "|" + high, CComplexPt::kLine},
      {"four fields", low + "|" + high + "|" + shape + "|", CComplexPt::kLine},
      {"fields of 14 and 20", low.substr(0, 14) + "|" + high + "ABCDE|" + shape, CComplexPt::kLine},
      // The second field is 15 long, but the first is too short to hold its
      // own point: decoding it must not borrow from the second.
      {"a first field of 5", low.substr(0, 5) + "|" + high + "|" + shape, CComplexPt::kLine},
      {"a bad corner", low.substr(0, 4) + "." + low.substr(5) + "|" + high + "|" + shape, CComplexPt::kLine},
      {"a bad shape", low + "|" + high + "|" + shape.substr(0, 20), CComplexPt::kLine},
      {"a shape of another kind", low + "|" + high + "|*" + shape.substr(1), CComplexPt::kLine},
  };
  for (const Case& c : refused) {
    CComplexPt g;
    EXPECT_EQ(g.ParseGeoString(c.text.c_str(), c.kind), 0) << c.name;
  }
  CComplexPt g(1, 1);
  EXPECT_EQ(g.ParseGeoString(nullptr, CComplexPt::kLine), 0);
  EXPECT_EQ(g.GetPartSize(), 1) << "a null text changes nothing";

  // Either bound field may be the 15-character one.
  CComplexPt lenient;
  EXPECT_EQ(lenient.ParseGeoString((low.substr(0, 14) + "|" + high + "|" + shape).c_str(), CComplexPt::kLine), 1);
}
