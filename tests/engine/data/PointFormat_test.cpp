// The demo data's point writer against the engine's own decoder: every place,
// street and route shape of the data set reads back as written.
#include <climits>

#include "engine/model/ComplexPt.h"
#include "engine/model/Projection.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

class PointFormatTest : public EngineTest {};

void ExpectLine(const CComplexPt& geo, const std::vector<mapdemo::Point>& line) {
  ASSERT_EQ(geo.GetPartSize(), 1);
  ASSERT_EQ(geo.GetPartPointCount(0), static_cast<int>(line.size()));
  for (size_t i = 0; i < line.size(); ++i) {
    EXPECT_EQ(geo.GetPoint(0, static_cast<int>(i)), (_VPoint{line[i].x * 100, line[i].y * 100})) << i;
  }
}

TEST_F(PointFormatTest, PlacesRoundTrip) {
  for (const mapdemo::Place& place : mapdemo::Places()) {
    std::string text = mapdemo::GeoOf(place.at);
    ASSERT_EQ(text.size(), 15u) << place.name;
    CComplexPt geo;
    ASSERT_EQ(geo.ParseGeoString(text.c_str(), CComplexPt::kPoint), 1) << place.name;
    EXPECT_EQ(geo.GetPoint(0, 0), (_VPoint{place.at.x * 100, place.at.y * 100})) << place.name;
  }
}

TEST_F(PointFormatTest, ShapesRoundTripWithTheirBounds) {
  std::vector<std::vector<mapdemo::Point>> lines;
  for (const mapdemo::Street& street : mapdemo::Streets()) {
    lines.push_back(street.shape);
  }
  for (const mapdemo::RouteStep& step : mapdemo::DriveRoute().steps) {
    lines.push_back(step.shape);
  }
  for (const mapdemo::TransitScheme& scheme : mapdemo::Transit().schemes) {
    for (const mapdemo::TransitLeg& leg : scheme.legs) {
      lines.push_back(leg.shape);
    }
  }
  for (const std::vector<mapdemo::Point>& line : lines) {
    std::string text = mapdemo::LineGeoOf(line);
    CComplexPt geo;
    ASSERT_EQ(geo.ParseGeoString(text.c_str(), CComplexPt::kLine), 1) << text;
    EXPECT_EQ(geo.GetType(), CComplexPt::kLine);
    ExpectLine(geo, line);
    _VRect bound;
    geo.GetBound(&bound);
    int left = INT_MAX, top = INT_MAX, right = INT_MIN, bottom = INT_MIN;
    for (const mapdemo::Point& p : line) {
      left = std::min(left, p.x * 100);
      top = std::min(top, p.y * 100);
      right = std::max(right, p.x * 100);
      bottom = std::max(bottom, p.y * 100);
    }
    EXPECT_EQ(bound, (_VRect{left, top, right, bottom})) << text;
  }
}

TEST_F(PointFormatTest, StepsOfEverySignAndSeveralParts) {
  std::vector<std::vector<mapdemo::Point>> parts = {
      {{100, 100}, {100 + 0x800000, 100}, {101, 100 + 0x7FFFFF}, {102, 101}},
      {{0, 0}},
      {{5000, 7000}, {4999, 7001}}};
  std::string text = mapdemo::EncodeParts('*', parts);
  CComplexPt geo;
  geo.ParseGeoString("", CComplexPt::kArea);
  ASSERT_EQ(ParseEncodedPoints(text.c_str(), &geo), 1);
  ASSERT_EQ(geo.GetPartSize(), 3);
  for (int p = 0; p < 3; ++p) {
    ASSERT_EQ(geo.GetPartPointCount(p), static_cast<int>(parts[p].size()));
    for (int i = 0; i < geo.GetPartPointCount(p); ++i) {
      EXPECT_EQ(geo.GetPoint(p, i), (_VPoint{parts[p][i].x, parts[p][i].y})) << p << "," << i;
    }
  }
  EXPECT_THROW(mapdemo::EncodeParts('-', {{{0, 0}, {0x800001, 0}}}), std::invalid_argument);
  EXPECT_THROW(mapdemo::EncodePoint(-1, 0), std::invalid_argument);
}

}  // namespace
}  // namespace mapengine::test
