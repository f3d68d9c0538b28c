// The overlay layers over real records: a driving route as the search
// service parses it, and POI lists, filed in the search manager.
#include "engine/render/OverlayLayers.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/data/SearchMan.h"
#include "engine/render/MapView.h"
#include "tests/engine/render/OverlayTestSupport.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"

using namespace mapengine;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 960;
constexpr uint32_t kWhite = 0xFFFFFFFF;

void SetView(int level, int cx, int cy) {
  tagMapViewState& view = GetMapViewState();
  view = tagMapViewState();
  SetViewLevel(view, level);
  view.szScreen.SetSize(kWidth, kHeight);
  view.rcWindow = {0, 0, kWidth, kHeight};
  view.ptCenter.SetPoint(cx, cy);
  UpdateViewTransform(view, kWidth / 256 + 2, kHeight / 256 + 2);
  UpdateViewPixelOrigin(view);
}

void Pan(int dx, int dy) {
  const tagMapViewState& view = GetMapViewState();
  SetView(view.nLevel, view.ptCenter.x + dx, view.ptCenter.y + dy);
}

tag_PoiInfo Poi(const char* uid, int x, int y, int kindWord = 0) {
  tag_PoiInfo poi;
  std::snprintf(poi.uid, sizeof poi.uid, "%s", uid);
  std::snprintf(poi.name, sizeof poi.name, "poi %s", uid);
  poi.poiKind = kindWord;
  poi.point = CComplexPt(x * 100, y * 100);
  return poi;
}

class OverlayTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
    ASSERT_EQ(tables->LoadTables(), 1);
    ASSERT_EQ(overlaytest::ParseReply(mapdemo::DriveRouteReply(),
                                      [&](VJsonResultParser& parser, const VJson* root) {
                                        return parser.ParseDriveRoute(root, &route);
                                      }),
              1);
    source.SetResult(&route, kResultDrive);
    overlaytest::LoadDefaultIcons(icons, 2);
    disp.SetIconTable(&icons);
    disp.GetParam().LoadDefaults();
    bitmap.CreateWithSize({kWidth, kHeight});
    dc.CreateDC();
    dc.SelectBitmap(&bitmap);
    dc.FillSolidRect({0, 0, kWidth, kHeight}, kWhite);
  }

  // A vector layer of the kind, drawing through the test's CDataDisp.
  std::unique_ptr<CVectorLayer> Layer(int kind) {
    auto layer = std::make_unique<CVectorLayer>();
    layer->SetReq(new CVectorReq, &source);
    auto* draw = new CVectorDraw;
    draw->SetDataDisp(&disp);
    layer->SetDraw(draw);
    layer->SetKind(kind);
    return layer;
  }
  uint32_t At(int x, int y) const { return reinterpret_cast<const uint32_t*>(bitmap.GetBits())[y * kWidth + x]; }
  // The screen position of a point in hundredths of map units.
  static _VPoint Screen(const _VPoint& hundredths) {
    return MapHundredthsToScreen(GetMapViewState(), hundredths.x, hundredths.y);
  }

  tag_CarRouteRst route;
  tag_PoiResult pois;
  CSearchMan source;
  CIconTable icons;
  CDataDisp disp;
  CVBitmap bitmap;
  CVDC dc;
};

TEST(GeoElementTest, BoundsGrowPerSide) {
  tagMBR bounds;
  bounds.grow_up({5, 7});
  EXPECT_EQ(bounds.left, 0);
  EXPECT_EQ(bounds.bottom, 0);
  EXPECT_EQ(bounds.right, 5);
  EXPECT_EQ(bounds.top, 7);
  bounds.grow_up({-2, 3});
  EXPECT_EQ(bounds.left, -2);
  EXPECT_EQ(bounds.top, 7);
}

// The route as the search records give it: one line per step joined to the
// step before, a direction marker per node, then start and end.
TEST_F(OverlayTest, ADrivingRouteBecomesJoinedLinesNodeMarkersAndItsEnds) {
  tagGeoElementList list;
  ASSERT_EQ(CVectorReq::BuildRoute(&route, list), 1);
  const int links = route.route.links.GetSize();
  const int nodes = route.route.keyPoints.GetSize();
  ASSERT_GT(links, 1);
  ASSERT_EQ(list.elements.GetSize(), links + nodes + 2);
  for (int i = 0; i < links; ++i) {
    EXPECT_EQ(list.elements[i].attr.shape, kShapeLine);
    EXPECT_EQ(list.elements[i].attr.style, kStyleRouteLine);
  }
  const CComplexPt& first = route.route.links[0].shape;
  const _VPoint lastOfFirst = first.GetPoint(0, first.GetPartPointCount(0) - 1);
  EXPECT_TRUE(list.elements[1].geometry.GetPoint(0, 0) == lastOfFirst) << "the second step starts where the first ends";
  EXPECT_EQ(list.elements[links].attr.style, kStyleStepMarker);
  EXPECT_EQ(list.elements[links].attr.kind, kElementStepMarker);
  const CGeoElement& start = list.elements[links + nodes];
  const CGeoElement& end = list.elements[links + nodes + 1];
  EXPECT_EQ(start.attr.style, kStyleStart);
  EXPECT_EQ(end.attr.style, kStyleEnd);
  EXPECT_EQ(end.attr.label.Compare(overlaytest::FromUtf8(mapdemo::DriveRoute().to).GetBuffer()), 0);
  // Points are hundredths of map units.
  EXPECT_EQ(end.geometry.GetPoint(0, 0).x / 100, mapdemo::DriveRoute().steps.back().at.x);

  // A step selection past the route builds nothing; a step with no points
  // before it joins nothing in front.
  CGeoElementArray steps;
  EXPECT_EQ(CVectorReq::BuildRouteStep(&route, {0, -1, links - 1}, steps), 0);
  EXPECT_EQ(CVectorReq::BuildRouteStep(&route, {0, -1, -5}, steps), 0);
  EXPECT_EQ(steps.GetSize(), 0);
  tag_CarRouteRst gap = route;
  gap.route.links[0].shape.RemoveAll();
  ASSERT_EQ(CVectorReq::BuildRouteStep(&gap, {0, -1, 0}, steps), 1);
  EXPECT_EQ(steps[0].attr.style, kStyleStepLine);
  EXPECT_EQ(steps[0].geometry.GetPartPointCount(0), route.route.links[1].shape.GetPartPointCount(0));
}

TEST_F(OverlayTest, ATransitPlanBecomesWalksLegsStationsAndItsEnds) {
  tag_BusRouteRst transit;
  ASSERT_EQ(overlaytest::ParseReply(mapdemo::TransitReply(), [&](VJsonResultParser& parser, const VJson* root) {
              return parser.ParseBusRoutes(root, &transit);
            }),
            1);
  const mapdemo::TransitScheme& scheme = mapdemo::Transit().schemes[0];
  tagGeoElementList list;
  ASSERT_EQ(CVectorReq::BuildTransitRoute(&transit, 0, list), 1);
  int walks = 0, legs = 0, stations = 0;
  for (int i = 0; i < list.elements.GetSize(); ++i) {
    const Attribute& attr = list.elements[i].attr;
    walks += attr.style == kStyleWalkLine;
    legs += attr.style == kStyleBusRouteLine || attr.style == kStyleSubwayLine;
    stations += attr.style == kStyleTransitStation || attr.style == kStyleSubwayStation;
  }
  EXPECT_EQ(legs, static_cast<int>(scheme.legs.size()));
  EXPECT_EQ(stations, 2 * legs);
  EXPECT_GT(walks, 0);
  const int last = list.elements.GetSize() - 1;
  EXPECT_EQ(list.elements[last - 1].attr.style, kStyleStart);
  EXPECT_EQ(list.elements[last].attr.style, kStyleEnd);
  const int leg0 = walks;
  EXPECT_EQ(list.elements[leg0].attr.style, scheme.legs[0].type == 1 ? kStyleSubwayLine : kStyleBusRouteLine);

  tagGeoElementList none;
  EXPECT_EQ(CVectorReq::BuildTransitRoute(&transit, static_cast<int>(mapdemo::Transit().schemes.size()), none), 0);
  EXPECT_EQ(CVectorReq::BuildTransitRoute(&transit, -1, none), 0);
  EXPECT_EQ(CVectorReq::BuildTransitRoute(nullptr, 0, none), 0);
  CGeoElementArray steps;
  EXPECT_EQ(CVectorReq::BuildTransitRouteStep(&transit, {0, -1, legs - 1}, steps), 0);
  if (legs > 1) {
    ASSERT_EQ(CVectorReq::BuildTransitRouteStep(&transit, {0, -1, 0}, steps), 1);
    EXPECT_EQ(steps[0].attr.style, kStyleStepLine);
  }
}

TEST_F(OverlayTest, PoiMarkersSkipLinesAndNumberTheShownOnes) {
  pois.pois.Add(Poi("line", 1000, 2000, 2));
  pois.pois.Add(Poi("a", 1100, 2100));
  pois.pois.Add(Poi("b", 900, 2300));
  pois.centrePois.Add(Poi("c", 1000, 1900));
  tagGeoElementList list;
  ASSERT_EQ(CVectorReq::BuildPoiMarkers(&pois, list), 1);
  ASSERT_EQ(list.elements.GetSize(), 3);
  EXPECT_EQ(list.elements[0].attr.style, 1);
  EXPECT_EQ(list.elements[0].attr.index, 1);
  EXPECT_STREQ(list.elements[0].attr.text, "a");
  EXPECT_EQ(list.elements[1].attr.style, 2);
  EXPECT_EQ(list.elements[2].attr.style, kStyleSecondPoi);
  EXPECT_EQ(list.elements[2].attr.kind, kElementSecondPoi);
  EXPECT_EQ(list.bounds.left, 900 * 100);
  EXPECT_EQ(list.bounds.right, 1100 * 100);
  EXPECT_EQ(list.bounds.bottom, 1900 * 100);
  EXPECT_EQ(list.bounds.top, 2300 * 100);

  CGeoElementArray selected;
  EXPECT_EQ(CVectorReq::BuildSelectedPoi(&pois, 0, selected), 0) << "a line has no marker";
  EXPECT_EQ(CVectorReq::BuildSelectedPoi(&pois, 3, selected), 0);
  EXPECT_EQ(CVectorReq::BuildSelectedPoi(&pois, -1, selected), 0);
  ASSERT_EQ(CVectorReq::BuildSelectedPoi(&pois, 2, selected), 1);
  EXPECT_EQ(selected[0].attr.style, 2) << "numbered as its marker";
}

TEST_F(OverlayTest, AKindWithoutABuilderOrAHiddenLayerBuildsNothing) {
  SetView(16, 12959275, 4826050);
  auto layer = Layer(8);
  layer->UpdateData();
  EXPECT_EQ(layer->GetElements().elements.GetSize(), 0);
  layer->SetKind(kVectorDrive);
  layer->Show(0);
  layer->UpdateData();
  layer->Draw(dc);
  EXPECT_EQ(layer->GetElements().elements.GetSize(), 0);
  EXPECT_EQ(layer->GetReq()->IsRebuildPending(), 1);
}

// The Done-when case: the route draws as a coloured line with its markers,
// follows a pan without a rebuild, and a tap finds its end marker.
TEST_F(OverlayTest, ARouteDrawsAsAColouredLineWithMarkersAndATapHitsItsEnd) {
  SetView(16, 12959275, 4826050);
  auto layer = Layer(kVectorDrive);
  ASSERT_EQ(layer->UpdateData(), 1);
  const int simplified = layer->GetReq()->GetSimplifyCount();
  layer->Draw(dc);

  // Along the long first street: the route's blue over white.
  const CComplexPt& street = route.route.links[1].shape;
  const _VPoint a = Screen(street.GetPoint(0, 1));
  const _VPoint b = Screen(street.GetPoint(0, 2));
  const uint32_t line = At((a.x + b.x) / 2, (a.y + b.y) / 2);
  EXPECT_NE(line, kWhite);
  EXPECT_GT(line & 0xFF, ((line >> 16) & 0xFF) + 60) << std::hex << line;
  // The end badge is centred on the end point.
  const _VPoint end = Screen(route.end.point.GetPoint(0, 0));
  EXPECT_NE(At(end.x, end.y), kWhite);
  EXPECT_NE(At(end.x, end.y), line);

  Attribute hit;
  ASSERT_EQ(layer->HitTest(end.x + 8, end.y - 8, hit), 1);
  EXPECT_EQ(hit.kind, kElementEnd) << "the badge drawn over the end node's marker";
  EXPECT_EQ(hit.label.Compare(overlaytest::FromUtf8(mapdemo::DriveRoute().to).GetBuffer()), 0);
  EXPECT_EQ(hit.pos.x, mapdemo::DriveRoute().steps.back().at.x);
  EXPECT_EQ(layer->HitTest(end.x + 200, end.y, hit), 0);

  // A pan re-projects and draws in the new place without a rebuild.
  Pan(100 * GetMapViewState().nScale, 0);
  layer->UpdateData();
  EXPECT_EQ(layer->GetReq()->GetSimplifyCount(), simplified);
  dc.FillSolidRect({0, 0, kWidth, kHeight}, kWhite);
  layer->Draw(dc);
  EXPECT_NE(At(end.x - 100, end.y), kWhite) << "the end badge moved with the map";
  EXPECT_EQ(At(end.x + 100, end.y), kWhite);
  // A zoom rebuilds.
  SetView(15, 12959275, 4826050);
  layer->SetRebuild();
  layer->UpdateData();
  EXPECT_GT(layer->GetReq()->GetSimplifyCount(), simplified);
}

// Numbered markers stand above their point: a tap up to 20 pixels above
// hits, below does not; other points hit within 10 pixels either way.
TEST_F(OverlayTest, TapsFindMarkersAboveTheirPointAndOtherPointsAround) {
  SetView(16, 12959275, 4826050);
  pois.pois.Add(Poi("a", 12959275, 4826050));
  pois.centrePois.Add(Poi("c", 12959275 + 400, 4826050));
  pois.poiCount = pois.pois.GetSize();
  source.SetResult(&pois, kResultPoiList);
  auto layer = Layer(kVectorPois);
  layer->UpdateData();
  const _VPoint marker = MapToScreen(GetMapViewState(), 12959275, 4826050);
  const _VPoint other = MapToScreen(GetMapViewState(), 12959275 + 400, 4826050);
  struct Case {
    _VPoint at;
    int dy;
    int hit;
  } cases[] = {{marker, -15, 1}, {marker, 15, 0}, {marker, -25, 0}, {other, -9, 1}, {other, 9, 1}, {other, 15, 0}};
  for (const Case& c : cases) {
    Attribute out;
    EXPECT_EQ(layer->HitTest(c.at.x, c.at.y + c.dy, out), c.hit) << c.at.x << " " << c.dy;
  }
  Attribute out;
  ASSERT_EQ(layer->HitTest(marker.x, marker.y - 15, out), 1);
  EXPECT_STREQ(out.text, "a");
  EXPECT_EQ(out.style, 1);
}

}  // namespace
