// The map's overlays with the engine as the SDK runs it: the search manager
// as their data source, the POI background asked over a client of its own
// from the map-service double on 127.0.0.1 and kept in the temporary files, a
// driving route searched and drawn, and taps through the touch functions.
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <set>
#include <string>

#include "engine/data/AppLocation.h"
#include "engine/data/SearchMan.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/render/DataDisp.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "platform/foundation/NSBundle.h"
#include "tests/engine/data/EngineRootFixture.h"
#include "tools/mapdemo/DemoData.h"
#include "tools/mapdemo/DemoReplies.h"

namespace mapengine::test {
namespace {

class MapOverlaysTest : public EngineRootTest {
protected:
  void SetUp() override {
    ASSERT_NO_FATAL_FAILURE(EngineRootTest::SetUp());
    icons.SetFolder(CVString((std::string(NSBundle::mainBundle()->resourcePath().UTF8String()) + "/").c_str()));
    icons.AddDefaults(1);
    SetIconTable(&icons);
    search = std::make_unique<CSearchMan>();
    ASSERT_EQ(search->Init(root->m_pMapControl), 1);
    root->m_pSearchMan = search.get();
    place = CVMem::Allocate(sizeof(CMapControl));
    root->m_pMapControl = MapCreateControl(place);
    control = root->m_pMapControl;
    ASSERT_EQ(wnd.Attach(&view), 1);
    ASSERT_EQ(wnd.SetWindowPos(0, 0, _VSize{kWidth, kHeight}), 1);
    // Between Tiananmen and Wangfujing at level 15: the whole drive shows.
    const mapdemo::Point from = mapdemo::PlaceNamed("天安门").at;
    const mapdemo::Point to = mapdemo::PlaceNamed("王府井").at;
    ASSERT_EQ(MapInitWindow(root, &wnd, (from.x + to.x) / 2, (from.y + to.y) / 2, _VRect{0, 0, kWidth, kHeight}, 15),
              1);
    // The SDK starts the engine once its view exists.
    ASSERT_EQ(EngineStop(root), 1);
    ASSERT_EQ(EngineStart(root, UiHandler), 1);
    ASSERT_TRUE(Pump([&] { return !IsTileRequestBusy(&control->GetDownloader()); }));
  }
  void TearDown() override {
    MapRemoveAllLayers(control);
    MapDestroyControl(control);
    CVMem::Deallocate(place);
    root->m_pSearchMan = nullptr;
    search.reset();
    SetIconTable(nullptr);
    GetGlobalMan()->SetSlot(kSlotWnd, nullptr);
    EngineRootTest::TearDown();
  }

  // The "x_y" keys of the tiles the view covers.
  static std::set<std::string> ViewKeys() {
    const tagMapViewState& v = GetMapViewState();
    const long long unit = 256LL * v.nScale;
    std::set<std::string> keys;
    for (int x = DownBiasedDiv(v.ptCenter.x - kWidth / 2LL * v.nScale, unit);
         x <= DownBiasedDiv(v.ptCenter.x + kWidth / 2LL * v.nScale, unit); ++x) {
      for (int y = DownBiasedDiv(v.ptCenter.y - kHeight / 2LL * v.nScale, unit);
           y <= DownBiasedDiv(v.ptCenter.y + kHeight / 2LL * v.nScale, unit); ++y) {
        keys.insert(std::to_string(x) + "_" + std::to_string(y));
      }
    }
    return keys;
  }
  std::vector<mapdouble::LoggedRequest> BackgroundRequests() const {
    std::vector<mapdouble::LoggedRequest> out;
    for (const mapdouble::LoggedRequest& r : service->log()) {
      if (r.type == "bkg_data_ex") out.push_back(r);
    }
    return out;
  }
  int PoiCount() const {
    const CPoiBkgTileArray& tiles = control->GetPoiBkgLayer()->GetTiles();
    int n = 0;
    for (int i = 0; i < tiles.GetSize(); ++i) n += tiles[i].pois.GetSize();
    return n;
  }
  // The layer lists every tile of the view, and the files hold them all.
  bool AllTilesShown() const {
    CPoiBkgTileArray tiles = control->GetPoiBkgLayer()->GetTiles();
    CPoiBkgTileArray missing;
    search->GetPoiBkgData(control->GetPoiBkgLayer()->GetReq()->GetKeyword(), tiles, missing);
    return tiles.GetSize() == static_cast<int>(ViewKeys().size()) && missing.GetSize() == 0 && PoiCount() > 0;
  }
  // A finger drag by (dx, dy) pixels from the window's middle, and the fling
  // that follows run to its end: its steps come to the interface ring, and
  // the interface hands them back to the map as the SDK's does.
  void Drag(int dx, int dy) {
    size_t seen = g_ui.size();
    // Pressed where no item lies (a press on an item is a tap on it).
    _VPoint from{kWidth / 2, kHeight / 2};
    Attribute item;
    while (control->HitTest(from.x, from.y, item) && from.y < kHeight) {
      from.y += 10;
    }
    ASSERT_EQ(MapTouchDown(control, from.x, from.y), 1);
    ASSERT_EQ(MapTouchUp(control, from.x + dx, from.y + dy), 1);
    for (int steps = 0; steps < 100; ++steps) {
      for (int i = 0; i < 50; ++i) {
        root->m_msgMan.DispatchMessage();
      }
      bool fling = false;
      for (; seen < g_ui.size(); ++seen) {
        fling = fling || g_ui[seen].message == kMsgFlingStep;
      }
      if (!fling) {
        return;
      }
      MapOnMessage(control, kMsgFlingStep, 0, 0);
    }
    FAIL() << "the fling does not end";
  }
  uint32_t Pixel(int x, int y) const {
    return reinterpret_cast<const uint32_t*>(root->m_screenBitmap.GetBits())[y * kWidth + x];
  }
  static bool Violet(uint32_t pixel) { return (pixel & 0xFF) > ((pixel >> 16) & 0xFF) + 40; }
  static bool Blue(uint32_t pixel) { return (pixel & 0xFF) > ((pixel >> 16) & 0xFF) + 60; }
  // The drive from Tiananmen to Wangfujing, searched; null when it did not
  // come.
  const tag_CarRouteRst* SearchDrive() {
    tag_RPNode start, end;
    start.type = end.type = 1;
    start.x = mapdemo::PlaceNamed("天安门").at.x;
    start.y = mapdemo::PlaceNamed("天安门").at.y;
    end.x = mapdemo::PlaceNamed("王府井").at.x;
    end.y = mapdemo::PlaceNamed("王府井").at.y;
    if (search->DrivingSearch(131, 131, 131, start, end, 0) != 1 ||
        !Pump([] { return Received(kMsgSearchResult, 20, 0); })) {
      return nullptr;
    }
    return static_cast<const tag_CarRouteRst*>(search->GetResult(20));
  }
  // ... and shown on the second vector layer.
  const tag_CarRouteRst* ShowDrive() {
    const tag_CarRouteRst* route = SearchDrive();
    control->GetVectorLayer(1)->SetKind(kVectorDrive);
    MapShowLayer(control, 6, 1);
    return route;
  }
  // The screen point halfway along the second street of the drive.
  static _VPoint StreetMiddle(const tag_CarRouteRst& route) {
    const tagMapViewState& v = GetMapViewState();
    const CComplexPt& street = route.route.links[1].shape;
    const _VPoint a = MapHundredthsToScreen(v, street.GetPoint(0, 1).x, street.GetPoint(0, 1).y);
    const _VPoint b = MapHundredthsToScreen(v, street.GetPoint(0, 2).x, street.GetPoint(0, 2).y);
    return {(a.x + b.x) / 2, (a.y + b.y) / 2};
  }
  // The drive's segments on the screen, one call each; a call that returns
  // true ends the walk, and so does the walk.
  template <class Visit>
  static bool AnyScreenSegment(const tag_CarRouteRst& route, Visit visit) {
    const tagMapViewState& v = GetMapViewState();
    for (int l = 0; l < route.route.links.GetSize(); ++l) {
      const CComplexPt& shape = route.route.links[l].shape;
      for (int part = 0; part < shape.GetPartSize(); ++part) {
        for (int k = 0; k + 1 < shape.GetPartPointCount(part); ++k) {
          const _VPoint a = MapHundredthsToScreen(v, shape.GetPoint(part, k).x, shape.GetPoint(part, k).y);
          const _VPoint b = MapHundredthsToScreen(v, shape.GetPoint(part, k + 1).x, shape.GetPoint(part, k + 1).y);
          if (visit(a, b)) return true;
        }
      }
    }
    return false;
  }
  // The screen points halfway along the drive's segments that lie on the
  // screen and are long enough to show their line there.
  static std::vector<_VPoint> SegmentMiddles(const tag_CarRouteRst& route) {
    std::vector<_VPoint> middles;
    AnyScreenSegment(route, [&](_VPoint a, _VPoint b) {
      const _VPoint m{(a.x + b.x) / 2, (a.y + b.y) / 2};
      if (std::hypot(b.x - a.x, b.y - a.y) >= 30 && m.x >= 2 && m.x < kWidth - 2 && m.y >= 2 && m.y < kHeight - 2) {
        middles.push_back(m);
      }
      return false;
    });
    return middles;
  }
  // Whether a screen point lies within reach pixels of the drive's line.
  static bool NearDrive(const tag_CarRouteRst& route, _VPoint p, double reach) {
    return AnyScreenSegment(route, [&](_VPoint a, _VPoint b) {
      const double dx = b.x - a.x, dy = b.y - a.y;
      const double length = dx * dx + dy * dy;
      const double t = std::clamp(length > 0 ? ((p.x - a.x) * dx + (p.y - a.y) * dy) / length : 0.0, 0.0, 1.0);
      return std::hypot(p.x - (a.x + t * dx), p.y - (a.y + t * dy)) <= reach;
    });
  }

  CIconTable icons;
  std::unique_ptr<CSearchMan> search;
  void* place = nullptr;
  CMapControl* control = nullptr;
  int view = 0;
  CVWnd wnd;
};

// A keyword and a pan ask once for the missing tiles only; panning back is
// served from the temporary files without a request.
TEST_F(MapOverlaysTest, BackgroundPoisAreAskedOncePerTileAndServedFromTheFilesWhenPanningBack) {
  CBKGLayer* layer = control->GetPoiBkgLayer();
  ASSERT_EQ(MapShowLayer(control, 8, 1), 1);
  EXPECT_TRUE(BackgroundRequests().empty()) << "no keyword, no request";

  layer->GetReq()->SetKeyword(CVString("bank"));
  control->UpdateAllLayers();
  const std::set<std::string> first = ViewKeys();
  ASSERT_TRUE(Pump([&] { return AllTilesShown(); }));
  std::vector<mapdouble::LoggedRequest> asked = BackgroundRequests();
  ASSERT_EQ(asked.size(), 1u);
  EXPECT_EQ(std::set<std::string>(asked[0].keys.begin(), asked[0].keys.end()), first);
  EXPECT_EQ(asked[0].level, 15);
  EXPECT_TRUE(std::filesystem::exists(documents + "POIBKGDATA0.TMP"));
  const int shown = PoiCount();
  // Background data is the map's business: the interface hears nothing.
  EXPECT_FALSE(Received(kMsgSearchResult, 510, 0));

  // A drag two tiles and more to the west brings new columns in from the
  // east: only those are asked for.
  const _VPoint home = GetMapViewState().ptCenter;
  ASSERT_NO_FATAL_FAILURE(Drag(-300, 0));
  ASSERT_NE(GetMapViewState().ptCenter.x, home.x);
  ASSERT_TRUE(Pump([&] { return AllTilesShown(); }));
  asked = BackgroundRequests();
  ASSERT_EQ(asked.size(), 2u);
  std::set<std::string> fresh;
  for (const std::string& key : ViewKeys()) {
    if (!first.count(key)) fresh.insert(key);
  }
  ASSERT_FALSE(fresh.empty());
  EXPECT_EQ(std::set<std::string>(asked[1].keys.begin(), asked[1].keys.end()), fresh);

  // Back again: everything from the files.
  ASSERT_NO_FATAL_FAILURE(Drag(300, 0));
  EXPECT_EQ(GetMapViewState().ptCenter.x, home.x);
  Pump([] { return false; }, 1);
  EXPECT_EQ(BackgroundRequests().size(), 2u);
  EXPECT_TRUE(AllTilesShown());
  EXPECT_EQ(PoiCount(), shown);

  // Drawn as the background icon, and a tap on one finds it (kind 4, its
  // name and identifier) and is a tap on an item, not on the map.
  MapPaint(control, MapGetScreenDC(root));
  const CPoiBkgTileArray& tiles = layer->GetTiles();
  int t = 0;
  while (tiles[t].pois.GetSize() == 0) ++t;
  const tag_PoiBkgBaseData& poi = tiles[t].pois[0];
  const _VPoint at = MapToScreenD(GetMapViewState(), poi.x, poi.y);
  ASSERT_TRUE(at.x > 0 && at.x < kWidth && at.y > 0 && at.y < kHeight);
  const uint32_t icon = Pixel(at.x, at.y);
  EXPECT_GT(icon & 0xFF, (icon >> 16 & 0xFF) + 40) << "the violet dot: " << std::hex << icon;
  Attribute hit;
  ASSERT_NE(control->HitTest(at.x + 3, at.y - 3, hit), 0);
  EXPECT_EQ(hit.kind, kElementBackgroundPoi);
  EXPECT_STREQ(hit.text, poi.uid);
  EXPECT_EQ(hit.label.Compare(CVString(poi.name).GetBuffer()), 0);
  EXPECT_EQ(MapTouchDown(control, at.x + 3, at.y - 3), 0);

  // Released results take the files with them.
  search->ReleaseResults();
  EXPECT_FALSE(std::filesystem::exists(documents + "POIBKGDATA0.TMP"));
}

// A background request that fails is asked again on the next pass, not at
// once; one that succeeds is not asked again.
TEST_F(MapOverlaysTest, AFailedBackgroundRequestIsAskedAgainOnTheNextPassOnly) {
  mapdouble::Fault refusal{};
  refusal.kind = mapdouble::Fault::Kind::Refused;
  service->pushFault(refusal);
  control->GetPoiBkgLayer()->GetReq()->SetKeyword(CVString("bank"));
  ASSERT_EQ(MapShowLayer(control, 8, 1), 1);
  ASSERT_TRUE(Pump([&] { return BackgroundRequests().size() == 1; }));
  Pump([] { return false; }, 1);
  EXPECT_EQ(BackgroundRequests().size(), 1u) << "no storm against a failing service";
  EXPECT_EQ(PoiCount(), 0);

  // The next pass: the map moved a pixel (the double would answer the very
  // same request as before).
  ASSERT_NO_FATAL_FAILURE(Drag(1, 0));
  ASSERT_TRUE(Pump([&] { return AllTilesShown(); }));
  EXPECT_EQ(BackgroundRequests().size(), 2u);
  ASSERT_NO_FATAL_FAILURE(Drag(1, 0));
  Pump([] { return false; }, 1);
  EXPECT_EQ(BackgroundRequests().size(), 2u);
}

// A pan while tiles are on their way: the new request replaces the old one
// on the background client, so it asks for those tiles again with the new ones
// and none is lost.
TEST_F(MapOverlaysTest, APanWhileTilesAreOnTheirWayAsksForThemWithTheNewOnes) {
  control->GetPoiBkgLayer()->GetReq()->SetKeyword(CVString("bank"));
  ASSERT_EQ(MapShowLayer(control, 8, 1), 1);
  const _VPoint centre = GetMapViewState().ptCenter;
  ASSERT_EQ(MapSetCenter(control, centre.x + 300 * GetMapViewState().nScale, centre.y, 0, 1, 1), 1);
  control->UpdateAllLayers();
  ASSERT_TRUE(Pump([&] { return AllTilesShown(); }));
  const std::vector<mapdouble::LoggedRequest> asked = BackgroundRequests();
  ASSERT_FALSE(asked.empty());
  EXPECT_LE(asked.size(), 2u);
  // The double logs each request on the thread of its connection, so the
  // replaced request may be logged after its replacement.
  EXPECT_TRUE(std::any_of(asked.begin(), asked.end(), [](const mapdouble::LoggedRequest& r) {
    return std::set<std::string>(r.keys.begin(), r.keys.end()) == ViewKeys();
  }));
}

// The route as the search gives it draws as a blue line with its markers; a
// tap on its end marker is a tap on an item, a tap beside it on the map.
TEST_F(MapOverlaysTest, ASearchedDriveDrawsAsAColouredLineWithMarkersAndATapHitsItsEnd) {
  const tag_CarRouteRst* route = SearchDrive();
  ASSERT_NE(route, nullptr);

  const tagMapViewState& v = GetMapViewState();
  const _VPoint middle = StreetMiddle(*route);
  MapPaint(control, MapGetScreenDC(root));
  const uint32_t map = Pixel(middle.x, middle.y);

  control->GetVectorLayer(1)->SetKind(kVectorDrive);
  ASSERT_EQ(MapShowLayer(control, 6, 1), 1);
  MapPaint(control, MapGetScreenDC(root));
  const uint32_t line = Pixel(middle.x, middle.y);
  EXPECT_NE(line, map);
  EXPECT_TRUE(Blue(line)) << "blue over the map: " << std::hex << line;
  const _VPoint at = MapHundredthsToScreen(v, route->end.point.GetPoint(0, 0).x, route->end.point.GetPoint(0, 0).y);
  ASSERT_TRUE(at.x > 10 && at.x < kWidth - 10 && at.y > 10 && at.y < kHeight - 10);
  EXPECT_NE(Pixel(at.x, at.y), line) << "the end badge over the line";

  Attribute hit;
  ASSERT_NE(control->HitTest(at.x + 5, at.y - 5, hit), 0);
  EXPECT_EQ(hit.kind, kElementEnd);
  EXPECT_EQ(MapTouchDown(control, at.x + 5, at.y - 5), 0) << "a tap on the end marker";
  EXPECT_EQ(MapTouchUp(control, at.x + 5, at.y - 5), 0) << "no press to complete";

  // Beside it a tap is a press on the map that leaves it where it is.
  const _VPoint centre = v.ptCenter;
  ASSERT_EQ(MapTouchDown(control, at.x + 60, at.y + 60), 1);
  EXPECT_EQ(control->IsPressPending(), 1);
  EXPECT_EQ(MapTouchUp(control, at.x + 60, at.y + 60), 1);
  EXPECT_EQ(control->IsPressPending(), 0);
  EXPECT_EQ(GetMapViewState().ptCenter.x, centre.x);
  EXPECT_EQ(GetMapViewState().ptCenter.y, centre.y);
}

// The location layer keeps the positioning object's record for the
// interface, refreshed with the layers while shown; a destroyed positioning
// object is never read again.
TEST_F(MapOverlaysTest, TheLocationLayerKeepsTheCurrentPositionWhileShown) {
  void* at = CVMem::Allocate(sizeof(CAppLocation));
  CAppLocation* loc = LocCreate(at);
  root->m_pLocation = loc;
  loc->SetLocKind(2);  // network positioning
  ASSERT_EQ(LocStart(loc), 1);
  tagCellInfo cell;
  cell.mcc = 460;
  cell.lac = 4189;
  cell.cid = 12345;
  loc->CellMan().SetCellInfo(cell);
  root->m_msgMan.PostMessage(1, kMsgTimer, kLocationTimer, 0);
  ASSERT_TRUE(Pump([] { return Received(kMsgLocation, 0, 0); }));

  const CLocLayer* layer = control->GetLocLayer();
  EXPECT_EQ(layer->GetLocation().cid, 0) << "not yet refreshed";
  control->UpdateAllLayers();
  EXPECT_EQ(layer->GetLocation().cid, 12345);
  EXPECT_EQ(layer->GetLocation().x, mapdemo::PlaceNamed("天安门").at.x);

  // Hidden, it keeps what it had and still draws (nothing).
  ASSERT_EQ(MapShowLayer(control, 7, 0), 1);
  cell.cid = 777;
  loc->CellMan().SetCellInfo(cell);
  root->m_msgMan.PostMessage(1, kMsgTimer, kLocationTimer, 0);
  Pump([] { return false; }, 1);
  control->UpdateAllLayers();
  EXPECT_EQ(layer->GetLocation().cid, 12345);
  MapPaint(control, MapGetScreenDC(root));

  LocDestroy(loc);
  CVMem::Deallocate(at);
  ASSERT_EQ(MapShowLayer(control, 7, 1), 1);
  control->UpdateAllLayers();
  EXPECT_EQ(layer->GetLocation().cid, 12345);
}

// A search manager made once the map exists is what the map reads.
TEST_F(MapOverlaysTest, ASearchManagerMadeAfterTheMapFeedsItsOverlays) {
  auto later = std::make_unique<CSearchMan>();
  ASSERT_EQ(later->Init(root->m_pMapControl), 1);
  tag_CarRouteRst route;
  Reply reply(mapdemo::DriveRouteReply());
  ASSERT_EQ(VJsonResultParser().ParseDriveRoute(reply.root(), &route), 1);
  later->SetResult(&route, kResultDrive);
  control->GetVectorLayer(1)->SetKind(kVectorDrive);
  ASSERT_EQ(MapShowLayer(control, 6, 1), 1);
  EXPECT_GT(control->GetVectorLayer(1)->GetElements().elements.GetSize(), 0);
  control->SetDataSource(search.get());
}

// A drag moves the map by the way the finger went.
TEST_F(MapOverlaysTest, ADragMovesTheMapByTheFingersWay) {
  const _VPoint before = GetMapViewState().ptCenter;
  const int scale = GetMapViewState().nScale;
  ASSERT_EQ(MapTouchDown(control, 100, 100), 1);
  ASSERT_EQ(MapTouchUp(control, 120, 90), 1);
  EXPECT_EQ(GetMapViewState().ptCenter.x, before.x - 20 * scale);
  EXPECT_EQ(GetMapViewState().ptCenter.y, before.y - 10 * scale) << "map y grows northwards";
  EXPECT_EQ(MapTouchUp(control, 120, 90), 0) << "one release per press";
}

// The overlays follow the map: after a level change and after a move onto
// other tiles, every background POI on the screen is drawn where
// MapToScreen puts it, and the drive's line runs through the screen points
// of its shape.
TEST_F(MapOverlaysTest, OverlayPointsAreDrawnWhereMapToScreenPutsThemAfterAMoveAndALevelChange) {
  const tag_CarRouteRst* route = ShowDrive();
  ASSERT_NE(route, nullptr);
  control->GetPoiBkgLayer()->GetReq()->SetKeyword(CVString("bank"));
  ASSERT_EQ(MapShowLayer(control, 8, 1), 1);
  ASSERT_TRUE(Pump([&] { return AllTilesShown(); }));
  const _VPoint home = GetMapViewState().ptCenter;
  const int scale = GetMapViewState().nScale;
  struct Step {
    const char* what;
    std::function<int()> act;
  } steps[] = {
      {"a level change", [&] { return MapSetZoomLevel(control, 16, 0, 1); }},
      {"a move", [&] { return MapSetCenter(control, home.x + 37 * scale / 2, home.y - 150 * scale / 2, 0, 1, 1); }},
  };
  // The points drawn as the map stands, tiles on their way or not (after a
  // level change the background has none until they come).
  auto check = [&](const std::string& what, int leastPois) {
    MapPaint(control, MapGetScreenDC(root));
    const tagMapViewState& v = GetMapViewState();
    const CPoiBkgTileArray& tiles = control->GetPoiBkgLayer()->GetTiles();
    int seen = 0;
    for (int t = 0; t < tiles.GetSize(); ++t) {
      for (int k = 0; k < tiles[t].pois.GetSize(); ++k) {
        const _VPoint at = MapToScreenD(v, tiles[t].pois[k].x, tiles[t].pois[k].y);
        // The line is drawn over the background.
        if (at.x < 8 || at.x >= kWidth - 8 || at.y < 8 || at.y >= kHeight - 8 || NearDrive(*route, at, 12)) continue;
        ++seen;
        EXPECT_TRUE(Violet(Pixel(at.x, at.y))) << what << ": " << tiles[t].pois[k].uid << " at " << at.x << ","
                                               << at.y << " is " << std::hex << Pixel(at.x, at.y);
      }
    }
    EXPECT_GE(seen, leastPois) << what;
    const std::vector<_VPoint> middles = SegmentMiddles(*route);
    EXPECT_FALSE(middles.empty()) << what;
    for (const _VPoint& middle : middles) {
      EXPECT_TRUE(Blue(Pixel(middle.x, middle.y))) << what << ": " << middle.x << "," << middle.y << " is "
                                                   << std::hex << Pixel(middle.x, middle.y);
    }
  };
  for (const Step& step : steps) {
    const _VRect image = GetMapViewState().rcImage;
    ASSERT_EQ(step.act(), 1) << step.what;
    // The tiles under the screen changed, and with them the image's origin.
    ASSERT_FALSE(GetMapViewState().rcImage == image) << step.what;
    check(std::string("right after ") + step.what, 0);
    ASSERT_TRUE(Pump([&] { return AllTilesShown() && !IsTileRequestBusy(&control->GetDownloader()); })) << step.what;
    check(std::string("once the tiles came after ") + step.what, 4);
  }
}

// What the second vector layer showed at each repaint the interface made.
std::vector<bool> g_secondShownAtRepaint;

int RecordingUiHandler(void* context, int message, int wParam, int lParam) {
  if (message == kMsgRepaint) {
    if (CEngineRoot* root = GetEngineRoot(); root && root->m_pMapControl) {
      g_secondShownAtRepaint.push_back(root->m_pMapControl->GetVectorLayer(1)->IsShown() != 0);
    }
  }
  return UiHandler(context, message, wParam, lParam);
}

// A held pan repaints once per step with the second vector layer (the
// drive) left out, and shows it again between steps; the pan's end draws
// it back where MapToScreen puts it.
TEST_F(MapOverlaysTest, TheSecondVectorLayerSitsOutEachPanStep) {
  const tag_CarRouteRst* route = ShowDrive();
  ASSERT_NE(route, nullptr);
  ASSERT_EQ(EngineStart(root, RecordingUiHandler), 1);
  g_secondShownAtRepaint.clear();
  control->SetPanVelocity(20, 0);
  root->m_msgMan.PostMessage(1, kMsgPanStep, 0, 0);
  constexpr size_t kSteps = 6;
  for (int i = 0; i < 1000 && g_secondShownAtRepaint.size() < kSteps; ++i) {
    root->m_msgMan.DispatchMessage();
  }
  EXPECT_EQ(g_secondShownAtRepaint, std::vector<bool>(kSteps, false));
  EXPECT_TRUE(control->GetVectorLayer(1)->IsShown());

  control->SetPanVelocity(0, 0);
  ASSERT_TRUE(Pump([] { return g_secondShownAtRepaint.size() > kSteps; }));
  EXPECT_TRUE(g_secondShownAtRepaint.back());
  ASSERT_TRUE(Pump([&] { return !IsTileRequestBusy(&control->GetDownloader()); }));
  MapPaint(control, MapGetScreenDC(root));
  const _VPoint middle = StreetMiddle(*route);
  ASSERT_TRUE(middle.x > 0 && middle.x < kWidth && middle.y > 0 && middle.y < kHeight);
  EXPECT_TRUE(Blue(Pixel(middle.x, middle.y))) << std::hex << Pixel(middle.x, middle.y);
}

}  // namespace
}  // namespace mapengine::test
