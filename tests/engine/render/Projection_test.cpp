#include "engine/model/Projection.h"

#include <gtest/gtest.h>

#include <pthread.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "engine/model/ComplexPt.h"
#include "tests/engine/render/GeometryText.h"

using namespace mapengine;

namespace {

_VDPoint ToMap(double lon, double lat) {
  _VDPoint out;
  LonLatToMapUnits(&out, {lon, lat});
  return out;
}

_VDPoint ToLonLat(double x, double y) {
  _VDPoint out;
  MapUnitsToLonLat(&out, {x, y});
  return out;
}

CVPointArray Points(const std::vector<_VPoint>& points) {
  CVPointArray out;
  for (const _VPoint& p : points) {
    out.Add(p);
  }
  return out;
}

std::vector<_VPoint> Vector(const CVPointArray& points) {
  return std::vector<_VPoint>(points.GetData(), points.GetData() + points.GetSize());
}

}  // namespace

TEST(ProjectionTest, KnownPointsFromTheBandTables) {
  // Values worked out from the band tables by a separate script.
  struct Case {
    double lon, lat, x, y;
  } cases[] = {
      {116.397, 39.908, 12957395.755334552, 4824911.906608977},
      {116.404, 39.915, 12958175.000248697, 4825923.766034241},
      // Latitude 0 takes row 5 through the 1e-7 floor: y is that row's c2.
      {0, 0, -0.0003218135878613132, 0.00369383431289},
  };
  for (const Case& c : cases) {
    _VDPoint p = ToMap(c.lon, c.lat);
    EXPECT_NEAR(p.x, c.x, 1e-6) << c.lon << "," << c.lat;
    EXPECT_NEAR(p.y, c.y, 1e-6) << c.lon << "," << c.lat;
  }
  // The southern and western halves mirror the northern and eastern ones.
  _VDPoint north = ToMap(116.397, 39.908);
  _VDPoint south = ToMap(-116.397, -39.908);
  EXPECT_EQ(south.x, -north.x);
  EXPECT_EQ(south.y, -north.y);
}

TEST(ProjectionTest, RoundTripsAcrossEveryBand) {
  for (double lat : {-74.0, -50.0, -20.0, -0.5, 0.5, 10.0, 22.0, 39.908, 52.0, 66.0, 74.0}) {
    for (double lon : {-179.0, -30.0, 0.25, 116.397, 179.0}) {
      _VDPoint map = ToMap(lon, lat);
      _VDPoint back = ToLonLat(map.x, map.y);
      EXPECT_NEAR(back.x, lon, 1e-6) << lon << "," << lat;
      // The two band tables are separate fits: they agree to a few metres.
      EXPECT_NEAR(back.y, lat, 5e-5) << lon << "," << lat;
    }
  }
}

TEST(ProjectionTest, LatitudesAboveTheTablesSoundEdgeAreHeldThere) {
  // Without the hold, 76 degrees came out south of the equator and 88 far
  // below 80.
  const double lats[] = {74.9, 75.0, 75.1, 76, 80, 85, 89, 90};
  for (size_t i = 1; i < std::size(lats); ++i) {
    EXPECT_LE(ToMap(30, lats[i - 1]).y, ToMap(30, lats[i]).y) << lats[i];
    EXPECT_EQ(ToMap(30, -lats[i]).y, -ToMap(30, lats[i]).y) << lats[i];
  }
  EXPECT_LT(ToMap(30, 74.9).y, ToMap(30, 75.1).y);
  EXPECT_EQ(ToMap(30, 89).y, ToMap(30, 75).y);
  // 75 degrees itself is the table's own value (ellipsoidal Mercator on
  // Clarke 1866 gives 12890594.86 there).
  EXPECT_NEAR(ToMap(30, 75).y, 12890575.554, 1e-3);
  // Longitude is untouched, and the round trip comes back at the edge.
  for (double lat : {76.0, 80.0, 89.0}) {
    _VDPoint back = ToLonLat(ToMap(116.397, lat).x, ToMap(116.397, lat).y);
    EXPECT_NEAR(back.x, 116.397, 1e-6) << lat;
    EXPECT_NEAR(back.y, 75.0, 5e-5) << lat;
  }
}

TEST(ProjectionTest, MapUnitsAreClampedAndZeroIsNudged) {
  // y = 0 is read as 1e-6, so it gives the same latitude; -0 and tiny
  // negatives become -1e-6.
  EXPECT_EQ(ToLonLat(0, 0).y, ToLonLat(0, 1e-6).y);
  EXPECT_EQ(ToLonLat(0, -1e-9).y, ToLonLat(0, -1e-6).y);
  EXPECT_EQ(ToLonLat(0, -1e-9).y, -ToLonLat(0, 1e-6).y);
  // Beyond the map's edge the result is the edge's.
  EXPECT_EQ(ToLonLat(9e7, 9e7).x, ToLonLat(20037508.342, 20037508.342).x);
  EXPECT_EQ(ToLonLat(9e7, 9e7).y, ToLonLat(0, 20037508.342).y);
  EXPECT_EQ(ToLonLat(-9e7, -9e7).y, ToLonLat(0, -20037508.342).y);
  EXPECT_NEAR(ToLonLat(20037508.342, 0).x, 180.0, 5e-3);
}

TEST(ProjectionTest, Gcj02Shift) {
  _VDPoint out;
  EXPECT_EQ(Gcj02ToMapDatum(116.391, 39.907, nullptr), 0);
  ASSERT_EQ(Gcj02ToMapDatum(116.391, 39.907, &out), 1);
  // Worked out from the formula by a separate script.
  EXPECT_NEAR(out.x, 116.39738654750268, 1e-9);
  EXPECT_NEAR(out.y, 39.9133087906029, 1e-9);
}

TEST(ProjectionTest, SegmentDistance) {
  _VPoint near;
  // Perpendicular foot inside the segment.
  EXPECT_DOUBLE_EQ(SegmentDistanceSquared({5, 3}, {0, 0}, {10, 0}, &near), 9.0);
  EXPECT_EQ(near, (_VPoint{5, 0}));
  // Beyond either end: the nearer end.
  EXPECT_DOUBLE_EQ(SegmentDistanceSquared({-3, 4}, {0, 0}, {10, 0}, &near), 25.0);
  EXPECT_EQ(near, (_VPoint{0, 0}));
  EXPECT_DOUBLE_EQ(SegmentDistanceSquared({13, 4}, {0, 0}, {10, 0}, &near), 25.0);
  EXPECT_EQ(near, (_VPoint{10, 0}));
  // A segment of one point.
  EXPECT_DOUBLE_EQ(SegmentDistanceSquared({3, 4}, {0, 0}, {0, 0}, &near), 25.0);
  EXPECT_EQ(near, (_VPoint{0, 0}));
  // Far coordinates do not overflow.
  EXPECT_DOUBLE_EQ(SegmentDistanceSquared({0, 2000000000}, {-2000000000, 0}, {2000000000, 0}, nullptr), 4e18);
}

TEST(ProjectionTest, DouglasPeuckerKeepsTheRightPoints) {
  struct Case {
    const char* name;
    std::vector<_VPoint> in;
    double tolerance;
    std::vector<_VPoint> out;
  } cases[] = {
      {"middle on the chord", {{0, 0}, {500, 0}, {1000, 0}}, 1, {{0, 0}, {1000, 0}, {1000, 0}}},
      {"two points", {{0, 0}, {7, 7}}, 1, {{0, 0}, {7, 7}, {7, 7}}},
      // The limit is tolerance^2 x 100^2: 99 hundredths off stays under 1.
      {"just inside", {{0, 0}, {5000, 99}, {10000, 0}}, 1, {{0, 0}, {10000, 0}, {10000, 0}}},
      {"at the limit", {{0, 0}, {5000, 100}, {10000, 0}}, 1, {{0, 0}, {5000, 100}, {10000, 0}}},
      // Each flank point is about 9 off its chord once the peak is kept.
      {"a peak with flanks",
       {{0, 0}, {1000, 510}, {2000, 1000}, {3000, 490}, {4000, 0}},
       1,
       {{0, 0}, {2000, 1000}, {4000, 0}}},
      // Both middle points are 500 off the chord and the first wins; the
      // other is then 93 off the new chord and goes (it would be the
      // other way round had the second won).
      {"tie", {{0, 0}, {100, 500}, {200, 500}, {300, 0}}, 1, {{0, 0}, {100, 500}, {300, 0}}},
  };
  for (const Case& c : cases) {
    CVPointArray src = Points(c.in);
    CVPointArray dst;
    EXPECT_EQ(DouglasPeucker(&src, &dst, c.tolerance), static_cast<int>(c.out.size())) << c.name;
    EXPECT_EQ(Vector(dst), c.out) << c.name;
  }
}

TEST(ProjectionTest, DouglasPeuckerRefusals) {
  CVPointArray one = Points({{1, 1}});
  CVPointArray dst;
  EXPECT_EQ(DouglasPeucker(&one, &dst, 1), -1);
  EXPECT_EQ(DouglasPeucker(nullptr, &dst, 1), -1);
  EXPECT_EQ(DouglasPeucker(&one, nullptr, 1), -1);
}

TEST(ProjectionTest, DouglasPeuckerOnAnAdversarialLineNeedsNoDeepRecursion) {
  // Each point lies farther off the chord than all later ones, so every
  // split peels off a single point: a recursive walk would go n deep, more
  // than the small stack of the thread it runs on here allows.
  const int n = 5000;
  std::vector<_VPoint> in;
  for (int i = 0; i < n; ++i) {
    in.push_back({i * 10, (i % 2 ? 1 : -1) * (n - i) * 100});
  }
  in.push_back({n * 10, 0});
  struct Job {
    CVPointArray src;
    CVPointArray dst;
    int result = 0;
  } job{Points(in), {}, 0};
  pthread_attr_t attr;
  pthread_attr_init(&attr);
  pthread_attr_setstacksize(&attr, 256 * 1024);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    auto* j = static_cast<Job*>(arg);
    j->result = DouglasPeucker(&j->src, &j->dst, 0.001);
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attr, run, &job), 0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attr);
  EXPECT_EQ(job.result, n + 1);
}

TEST(ProjectionTest, SimplifyForLevel) {
  CComplexPt src;
  CVPointArray wobble = Points({{0, 0}, {100000, 300}, {200000, 0}});
  CVPointArray lone = Points({{5, 5}});
  src.AddPart(&wobble);
  src.AddPart(&lone);
  src.AddPart(&wobble);

  CComplexPt dst;
  EXPECT_EQ(SimplifyForLevel(nullptr, 12, &dst), 0);
  EXPECT_EQ(SimplifyForLevel(&src, 12, nullptr), 0);
  EXPECT_EQ(SimplifyForLevel(&src, 0, &dst), 0);
  EXPECT_EQ(SimplifyForLevel(&src, 19, &dst), 0);
  EXPECT_EQ(dst.GetPartSize(), 0);

  // Level 18: four map units, i.e. 400 hundredths; 300 off the chord goes.
  EXPECT_EQ(SimplifyForLevel(&src, 18, &dst), 2);
  EXPECT_EQ(dst.GetPartPointCount(0), 3);
  EXPECT_EQ(dst.GetPoint(0, 1), (_VPoint{200000, 0}));
  // A bigger wobble survives at level 18 and goes at level 17 (800).
  CVPointArray bigger = Points({{0, 0}, {100000, 500}, {200000, 0}});
  CComplexPt big;
  big.AddPart(&bigger);
  CComplexPt at18;
  CComplexPt at17;
  SimplifyForLevel(&big, 18, &at18);
  SimplifyForLevel(&big, 17, &at17);
  EXPECT_EQ(at18.GetPoint(0, 1), (_VPoint{100000, 500}));
  EXPECT_EQ(at17.GetPoint(0, 1), (_VPoint{200000, 0}));
}

TEST(ProjectionTest, Base64Values) {
  EXPECT_EQ(Base64Value('A'), 0);
  EXPECT_EQ(Base64Value('Z'), 25);
  EXPECT_EQ(Base64Value('a'), 26);
  EXPECT_EQ(Base64Value('z'), 51);
  EXPECT_EQ(Base64Value('0'), 52);
  EXPECT_EQ(Base64Value('9'), 61);
  EXPECT_EQ(Base64Value('+'), 62);
  EXPECT_EQ(Base64Value('/'), 63);
  for (char c : {'=', '-', ' ', '\0', ';', '\x80'}) {
    EXPECT_EQ(Base64Value(c), -1) << static_cast<int>(c);
  }
}

TEST(ProjectionTest, DecodeAbsolutePoint) {
  using geometrytext::Absolute;
  _VPoint p{7, 7};
  EXPECT_EQ(DecodeAbsolutePoint("=AAAAAAAAAAAA", 13, &p), 0);
  EXPECT_EQ(p, (_VPoint{0, 0}));
  std::string beijing = Absolute(12957395, 4824911);
  EXPECT_EQ(DecodeAbsolutePoint(beijing.c_str(), beijing.size(), &p), 0);
  EXPECT_EQ(p, (_VPoint{12957395, 4824911}));
  std::string top = Absolute(0x7FFFFFFF, 0);
  EXPECT_EQ(DecodeAbsolutePoint(top.c_str(), top.size(), &p), 0);
  EXPECT_EQ(p.x, 0x7FFFFFFF);

  struct Case {
    std::string field;
    size_t length;
    int code;
  } cases[] = {
      {"=AAAAAAAAAAA", 12, -1},
      {"=AAA-AAAAAAAA", 13, -13},
      {"=AAAAAAAAAAA*", 13, -25},
      {"=A-AAAAAAAAAA", 13, -11},
      // Six digits hold 36 bits: more than 32 is refused, not wrapped.
      {Absolute(0x80000000ULL, 0), 13, kPointOutOfRange},
      {Absolute(0, 0xFFFFFFFFFULL), 13, kPointOutOfRange},
  };
  for (const Case& c : cases) {
    _VPoint q{3, 4};
    EXPECT_EQ(DecodeAbsolutePoint(c.field.c_str(), c.length, &q), c.code) << c.field;
    EXPECT_EQ(q, (_VPoint{3, 4})) << c.field;
  }
}

TEST(ProjectionTest, DecodeRelativePoint) {
  using geometrytext::Relative;
  _VPoint p{100, 200};
  EXPECT_EQ(DecodeRelativePoint("AAAAAAAA", 8, &p), 0);
  EXPECT_EQ(p, (_VPoint{100, 200}));
  std::string step = Relative(-150, 37);
  EXPECT_EQ(DecodeRelativePoint(step.c_str(), 8, &p), 0);
  EXPECT_EQ(p, (_VPoint{-50, 237}));
  // 0x800000 itself is a positive step.
  std::string half = geometrytext::Digits(0x800000, 4) + "AAAA";
  _VPoint q;
  EXPECT_EQ(DecodeRelativePoint(half.c_str(), 8, &q), 0);
  EXPECT_EQ(q, (_VPoint{0x800000, 0}));

  struct Case {
    const char* field;
    size_t length;
    int code;
  } cases[] = {
      {"AAAAAAA", 7, -1},
      {"AA.AAAAA", 8, -12},
      {"AAAAAAA.", 8, -23},
  };
  for (const Case& c : cases) {
    _VPoint r{3, 4};
    EXPECT_EQ(DecodeRelativePoint(c.field, c.length, &r), c.code) << c.field;
    EXPECT_EQ(r, (_VPoint{3, 4}));
  }
  // Steps that run past 32 bits are refused and leave the point alone.
  _VPoint edge{0x7FFFFFFF - 10, 0};
  std::string over = Relative(11, 0);
  EXPECT_EQ(DecodeRelativePoint(over.c_str(), 8, &edge), kPointOutOfRange);
  EXPECT_EQ(edge.x, 0x7FFFFFFF - 10);
}

// An empty geometry of the kind: ParseGeoString sets the kind before it
// looks at the text.
CComplexPt OfKind(int kind) {
  CComplexPt g;
  g.ParseGeoString("", kind);
  return g;
}

TEST(ProjectionTest, ParseEncodedPoints) {
  using geometrytext::Absolute;
  using geometrytext::Relative;
  CComplexPt g = OfKind(1);
  EXPECT_EQ(ParseEncodedPoints(nullptr, &g), 255);
  EXPECT_EQ(ParseEncodedPoints(".", &g), 255);
  EXPECT_EQ(ParseEncodedPoints(".xx", nullptr), 255);

  // "." with one absolute point and ";": one part of one point.
  std::string onePoint = "." + Absolute(10, 20) + ";";
  EXPECT_EQ(ParseEncodedPoints(onePoint.c_str(), &g), 1);
  ASSERT_EQ(g.GetPartSize(), 1);
  EXPECT_EQ(g.GetPartPointCount(0), 1);
  EXPECT_EQ(g.GetPoint(0, 0), (_VPoint{10, 20}));

  // Lines: absolute then relative steps; the current point runs on across
  // parts; points after the last ";" are dropped.
  CComplexPt line = OfKind(2);
  std::string text = "-" + Absolute(1000, 2000) + Relative(5, -7) + ";" + Relative(-1005, 7) + Absolute(3, 4) +
                     ";" + Relative(1, 1);
  EXPECT_EQ(ParseEncodedPoints(text.c_str(), &line), 1);
  ASSERT_EQ(line.GetPartSize(), 2);
  EXPECT_EQ(line.GetPartPointCount(0), 2);
  EXPECT_EQ(line.GetPoint(0, 1), (_VPoint{1005, 1993}));
  EXPECT_EQ(line.GetPoint(1, 0), (_VPoint{0, 2000}));
  EXPECT_EQ(line.GetPoint(1, 1), (_VPoint{3, 4}));

  struct Case {
    int kind;
    std::string text;
    int result;
    int parts;
  } cases[] = {
      {1, "-" + Absolute(1, 1) + ";", 0, 0},
      {2, "." + Absolute(1, 1) + ";", 0, 0},
      {3, "*" + Absolute(1, 1) + ";", 1, 1},
      {0, "." + Absolute(1, 1) + ";", 0, 0},
      {5, "*" + Absolute(1, 1) + ";", 0, 0},
      // A short field at the end, a bad character: the parts done so far stay.
      {2, "-" + Absolute(1, 1) + ";" + Absolute(2, 2).substr(0, 12), 0, 1},
      {2, "-" + Absolute(1, 1) + ";" + Relative(1, 1).substr(0, 7), 0, 1},
      {2, "-" + Absolute(1, 1) + ";" + "AAAA.AAA;", 0, 1},
      // Accumulated steps past 32 bits.
      {2, "-" + Absolute(0x7FFFFFF0, 0) + Relative(0x7FFFFF, 0) + ";", 0, 0},
  };
  for (const Case& c : cases) {
    CComplexPt geometry = OfKind(c.kind);
    EXPECT_EQ(ParseEncodedPoints(c.text.c_str(), &geometry), c.result) << c.text;
    EXPECT_EQ(geometry.GetPartSize(), c.parts) << c.text;
  }
}

TEST(ProjectionTest, Base64Encode) {
  // The texts and codes of RFC 4648's test vectors.
  struct Case {
    const char* text;
    const char* code;
  } cases[] = {{"", ""}, {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="},
               {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}, {"\xff\xfe", "//4="}};
  for (const Case& c : cases) {
    char out[16];
    EXPECT_EQ(Base64Encode(out, sizeof out, c.text), static_cast<int>(std::strlen(c.code)));
    EXPECT_STREQ(out, c.code);
  }
  char out[10] = "unchanged";
  EXPECT_EQ(Base64Encode(out, sizeof out, nullptr), -1);
  EXPECT_EQ(Base64Encode(nullptr, 9, "foo"), -1);
  // "foobar" needs 8 characters and the 0: 8 places are too few.
  EXPECT_EQ(Base64Encode(out, 8, "foobar"), -1);
  EXPECT_EQ(std::string(out, 8), "unchange");
  EXPECT_EQ(Base64Encode(out, 9, "foobar"), 8);
}
