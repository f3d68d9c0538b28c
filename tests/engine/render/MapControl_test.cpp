// The painted map end to end: the map-view controller with its caches in a
// temporary home, the engine's network and the map-service double (test
// patterns) on 127.0.0.1.
#include "engine/render/MapControl.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/render/MapFacade.h"
#include "engine/render/MapView.h"
#include "engine/model/Projection.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/render/EngineText.h"
#include "platform/testing/NXPump.h"
#include "platform/testing/TempFolder.h"
#include "tools/map-double/MapDouble.h"
#include "tools/map-double/MapProjection.h"
#include "tools/map-double/TilePattern.h"

using namespace mapengine;

namespace {

constexpr int kWidth = 320;
constexpr int kHeight = 480;

class MapControlTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
    ASSERT_EQ(tables->LoadTables(), 1);
    ASSERT_NO_FATAL_FAILURE(net.Start());
    service = std::make_unique<mapdouble::MapDouble>();
    net.SeedRelay(service->port());
    CVStringArray hosts;
    CVString host = "http://tiles.vuriv.com/";
    hosts.Add(host);
    urls.SetMapDomain(hosts, 2, 4);
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, &urls);
    CVString documents(home.directory().c_str());
    ASSERT_EQ(SetStartupPaths(documents, documents), 1);
    LonLatToMapUnits(&beijing, {116.397, 39.908});
  }
  void TearDown() override {
    control.reset();
    service.reset();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
  }

  void Start(int level = 12) {
    control = std::make_unique<CMapControl>();
    control->Init(static_cast<int>(beijing.x), static_cast<int>(beijing.y), 0, 0, kWidth, kHeight, level,
                  CVString(home.directory().c_str()));
    control->UpdateAllLayers();
  }

  // Dispatches the engine's network events to the controller through its
  // message handler, until no tile request is in flight.
  void Pump() {
    auto settled = [this] {
      tagMsgRing* ring = net.msgs->GetRing(1);
      std::lock_guard<std::mutex> lock(ring->lock);
      return ring->readIndex == ring->writeIndex && !IsTileRequestBusy(&control->GetDownloader());
    };
    auto step = [this] {
      tagEngineMsg msg;
      while (net.msgs->PopMessage(net.msgs->GetRing(2), msg)) {
      }
      if (!net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        return false;
      }
      MapOnMessage(control.get(), msg.message, msg.wParam, msg.lParam);
      return true;
    };
    if (!NXPumpUntil(settled, step, 30, std::chrono::milliseconds(2))) {
      ADD_FAILURE() << "the tile request did not end";
    }
  }

  std::vector<uint32_t> Screen() {
    control->Paint(nullptr);
    const uint32_t* bits = reinterpret_cast<const uint32_t*>(control->GetImage().GetBits());
    return {bits, bits + kWidth * kHeight};
  }
  // The double's stitch of the view the engine shows now.
  std::vector<uint32_t> Stitch(mapdouble::TileKind kind = mapdouble::TileKind::Map) {
    const tagMapViewState& view = GetMapViewState();
    long long left = view.ptCenter.x - static_cast<long long>(kWidth / 2) * view.nScale;
    long long top = view.ptCenter.y + static_cast<long long>(kHeight / 2) * view.nScale;
    return mapdouble::stitchPattern(kind, view.nLevel, left, top, kWidth, kHeight);
  }
  static int Differences(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    int n = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) {
      n += a[i] != b[i];
    }
    return n;
  }
  static std::set<std::string> RangeKeys() {
    const tagMapViewState& view = GetMapViewState();
    std::set<std::string> keys;
    for (int x = view.nReqMinX; x <= view.nReqMaxX; ++x) {
      for (int y = view.nReqMinY; y <= view.nReqMaxY; ++y) {
        keys.insert(std::to_string(x) + "_" + std::to_string(y));
      }
    }
    return keys;
  }
  std::vector<unsigned char> Bytes(const char* name) const {
    std::ifstream in(home.directory() + name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
  }

  TempFolder home;
  mapengine::test::EngineNetwork net;
  std::unique_ptr<mapdouble::MapDouble> service;
  CUrlTranslater urls;
  std::unique_ptr<CMapControl> control;
  _VDPoint beijing;
};

TEST_F(MapControlTest, BeijingAtLevel12IsPaintedFromOneRequestThenPannedRestartedAndZoomedOffline) {
  Start();
  EXPECT_EQ(control->GetColumns(), 3);
  EXPECT_EQ(control->GetRows(), 3);
  Pump();
  auto log = service->log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].type, "m256");
  EXPECT_EQ(log[0].level, 12);
  std::set<std::string> range = RangeKeys();
  ASSERT_EQ(log[0].keys.size(), range.size());
  EXPECT_EQ(std::set<std::string>(log[0].keys.begin(), log[0].keys.end()), range);
  const tagMapViewState& view = GetMapViewState();
  int centreX = DownBiasedDiv(view.ptCenter.x, 256LL * view.nScale);
  int centreY = DownBiasedDiv(view.ptCenter.y, 256LL * view.nScale);
  EXPECT_EQ(std::stoi(log[0].keys.front().substr(log[0].keys.front().find('_') + 1)), centreY) << "centre row first";
  (void)centreX;
  EXPECT_EQ(log[0].keys.back(), std::to_string(view.nReqMaxX) + "_" + std::to_string(view.nReqMinY));

  // The memory cache holds every tile of the view.
  CGirdDataArray records;
  for (const std::string& key : range) {
    tagGirdData record{12, std::stoi(key), std::stoi(key.substr(key.find('_') + 1)), nullptr, 0};
    records.Add(record);
  }
  control->GetMapReq()->GetCache().GetTiles(records);
  for (int i = 0; i < records.GetSize(); ++i) {
    EXPECT_NE(records[i].pData, nullptr) << records[i].nX << "_" << records[i].nY;
  }
  std::vector<uint32_t> screen = Screen();
  EXPECT_EQ(Differences(screen, Stitch()), 0);
  for (uint32_t pixel : screen) {
    ASSERT_NE(pixel, CMapControl::kBackgroundColor) << "background left on screen";
  }

  // A 300-pixel pan east asks only for the tiles that came into view.
  control->MoveTo(view.ptCenter.x + 300 * view.nScale, view.ptCenter.y, 0, 1, 1);
  Pump();
  log = service->log();
  ASSERT_EQ(log.size(), 2u);
  std::set<std::string> panned = RangeKeys();
  std::set<std::string> fresh;
  for (const std::string& key : panned) {
    if (!range.count(key)) {
      fresh.insert(key);
    }
  }
  EXPECT_FALSE(fresh.empty());
  EXPECT_EQ(std::set<std::string>(log[1].keys.begin(), log[1].keys.end()), fresh);
  EXPECT_EQ(Differences(Screen(), Stitch()), 0);

  // After teardown the file cache holds the tiles.
  control.reset();
  std::vector<unsigned char> index = Bytes("Data.Index");
  ASSERT_GE(index.size(), 12u);
  int flag = 0;
  int count = 0;
  std::memcpy(&flag, index.data() + 4, 4);
  std::memcpy(&count, index.data() + 8, 4);
  EXPECT_EQ(flag, 1010);
  EXPECT_EQ(count, static_cast<int>(range.size() + fresh.size()));

  // A restart paints from the file cache without a request.
  Start();
  Pump();
  EXPECT_EQ(control->GetMapReq()->GetLastRequestId(), 0) << "no request made";
  EXPECT_EQ(Differences(Screen(), Stitch()), 0);

  // With the double gone, a zoom-in shows the parent tiles magnified.
  service.reset();
  control->SetLevel(13, 1, 0, 1);
  std::vector<uint32_t> zoomed = Screen();
  const tagMapViewState& at13 = GetMapViewState();
  long long left = at13.ptCenter.x - static_cast<long long>(kWidth / 2) * at13.nScale;
  long long top = at13.ptCenter.y + static_cast<long long>(kHeight / 2) * at13.nScale;
  // Each pixel shows the level-12 pixel under it.
  const long long span = mapdouble::tileSpan(12);
  const long long scale12 = 2LL * at13.nScale;
  int wrong = 0;
  for (int sy = 0; sy < kHeight; ++sy) {
    for (int sx = 0; sx < kWidth; ++sx) {
      long long mx = left + static_cast<long long>(sx) * at13.nScale;
      long long my = top - static_cast<long long>(sy) * at13.nScale;
      long long tx = mapdouble::tileIndex(mx, 12);
      long long ty = mapdouble::tileIndex(my - 1, 12);
      int px = static_cast<int>((mx - tx * span) / scale12);
      int py = static_cast<int>(((ty + 1) * span - my) / scale12);
      wrong += zoomed[static_cast<size_t>(sy) * kWidth + sx] !=
               mapdouble::patternPixel(mapdouble::TileKind::Map, 12, tx, ty, px, py);
    }
  }
  EXPECT_EQ(wrong, 0);
}

// Messages the controller posted, ring by ring, oldest first.
std::vector<int> Posted(CVMsgMan& msgs, int ring) {
  std::vector<int> out;
  tagEngineMsg msg;
  while (msgs.PopMessage(msgs.GetRing(ring), msg)) {
    if (msg.message >= 8000 || msg.message == kMsgRepaint) {
      out.push_back(msg.message);
    }
  }
  return out;
}

TEST_F(MapControlTest, ATileTheServiceNeverHasIsAskedForAFewTimesOnly) {
  for (int i = 0; i < 6; ++i) {
    service->pushFault({mapdouble::Fault::Kind::MissingTile, 0});
  }
  Start();
  Pump();
  EXPECT_EQ(control->GetMapReq()->GetLastRequestId(), GridReq::kMaxAsks) << "the first request and two asks again";
  EXPECT_FALSE(IsTileRequestBusy(&control->GetDownloader()));
}

// The double keeps its answer per URL, so the same bad pack comes back on
// every ask: the request ends each time (the busy flag is cleared, nothing
// stalls) and the asks stop at the cap.
TEST_F(MapControlTest, ABadPackEndsTheRequestLikeABadReply) {
  service->pushFault({mapdouble::Fault::Kind::CountTooLarge, 0});
  Start();
  Pump();
  EXPECT_FALSE(IsTileRequestBusy(&control->GetDownloader()));
  EXPECT_EQ(control->GetMapReq()->GetLastRequestId(), GridReq::kMaxAsks);
}

// A pack whose header runs past its body never completes: when the reply
// ends it is a bad pack, asked again up to the cap, not a pack of no tiles
// that leaves the map blank.
TEST_F(MapControlTest, APackWhoseHeaderRunsPastItsBodyIsABadPack) {
  mapdouble::Fault patch{mapdouble::Fault::Kind::PatchWord};
  patch.after = 0;
  patch.value = 100000;
  service->pushFault(patch);
  Start();
  Pump();
  EXPECT_FALSE(IsTileRequestBusy(&control->GetDownloader()));
  EXPECT_EQ(control->GetMapReq()->GetLastRequestId(), GridReq::kMaxAsks);
}

TEST_F(MapControlTest, LayersSwitchLevelsClampAndMovesStepAsTheViewAsks) {
  Start();
  Pump();
  CGridLayer* map = control->GetMapLayer();
  CGridLayer* satellite = control->GetSatelliteLayer();
  control->ShowLayer(1, 1);
  EXPECT_TRUE(map->IsShown());
  EXPECT_FALSE(satellite->IsShown());
  control->ShowLayer(1, 0);
  EXPECT_FALSE(map->IsShown());
  EXPECT_TRUE(satellite->IsShown());
  control->ShowLayer(2, 0);
  EXPECT_TRUE(map->IsShown());
  control->InvalidateImage();
  control->ShowLayer(10, 1);
  EXPECT_EQ(control->IsLayersDirty(), 1);
  Pump();

  control->SetLevel(25, 0, 0, 0);
  EXPECT_EQ(GetMapViewState().nLevel, 18);
  control->SetLevel(0, 0, 0, 0);
  EXPECT_EQ(GetMapViewState().nLevel, 3);
  EXPECT_EQ(control->ZoomToRect(0, 0, 0, 500), 0);
  EXPECT_EQ(control->ZoomToRect(10, 10, 10, 500), 1);
  EXPECT_EQ(GetMapViewState().nLevel, 17) << "490 units take one halving to fit 480 pixels";
  Posted(*net.msgs, 1);
  Posted(*net.msgs, 2);

  // Flings: a short one ends at once, a long one slows to 17 and then by
  // one per step.
  control->StartFling({0, 0}, {29, -29});
  EXPECT_EQ(Posted(*net.msgs, 2), std::vector<int>{kMsgMoveEnd});
  control->StartFling({0, 0}, {30, 0});
  EXPECT_EQ(Posted(*net.msgs, 2), std::vector<int>{kMsgFlingStep});
  control->StartFling({0, 0}, {40, 0});
  std::vector<int> speeds;
  for (int step = 0; step < 40; ++step) {
    Posted(*net.msgs, 2);
    control->OnFlingStep();
    speeds.push_back(control->GetFlingVector().x);
    if (Posted(*net.msgs, 2) != std::vector<int>{kMsgFlingStep}) {
      break;
    }
  }
  std::vector<int> expected;
  for (int v = 17; v >= 5; --v) {
    expected.push_back(v);
  }
  EXPECT_EQ(speeds, expected);

  // A held pan speeds up, never past half the screen, and its next step is
  // posted on the engine's ring.
  control->SetPanVelocity(40, 0);
  for (int step = 0; step < 1000; ++step) {
    control->OnPanStep();
    ASSERT_LE(control->GetPanStep().x, kWidth / 2);
  }
  EXPECT_EQ(control->GetPanStep().x, kWidth / 2);
  EXPECT_EQ(Posted(*net.msgs, 1).back(), kMsgPanStep);
  control->SetPanVelocity(0, 0);
  control->OnPanStep();
  EXPECT_EQ(control->IsLayersDirty(), 1);
}

// Follows a route to its end by handling every step it posts; the map
// centres visited, in map units.
std::vector<_VPoint> Follow(CMapControl& control, CVMsgMan& msgs, int forward) {
  std::vector<_VPoint> visited;
  control.FollowRouteStep(0, forward);
  for (int steps = 0; steps < 100; ++steps) {
    visited.push_back(GetMapViewState().ptCenter);
    tagEngineMsg msg{};
    bool next = false;
    while (msgs.PopMessage(msgs.GetRing(2), msg)) {
      if (msg.message == kMsgRouteStep) {
        next = true;
        break;
      }
    }
    if (!next) {
      break;
    }
    control.FollowRouteStep(msg.wParam, msg.lParam);
  }
  return visited;
}

CVArray<_VPoint, _VPoint> Polyline(int count, int x0) {
  CVArray<_VPoint, _VPoint> points;
  for (int i = 0; i < count; ++i) {
    points.Add(_VPoint{(x0 + i) * 100 * 100, 5000 * 100});
  }
  return points;
}

TEST_F(MapControlTest, ARouteIsFollowedToItsEndInEitherDirection) {
  struct {
    std::vector<int> parts;
    int forward;
    size_t maxSteps;
  } cases[] = {
      {{20, 3}, 1, 20},
      {{20, 5}, 0, 20},
      {{5, 20}, 0, 20},
      {{70000}, 1, 30},  // more points than the step index can name
  };
  for (const auto& c : cases) {
    tagMapViewState& view = GetMapViewState();
    SetViewLevel(view, 15);
    view.szScreen.SetSize(kWidth, kHeight);
    view.ptCenter.SetPoint(1, 1);
    CMapControl bare;
    CComplexPt route;
    int x0 = 1000;
    for (int count : c.parts) {
      CVArray<_VPoint, _VPoint> points = Polyline(count, x0);
      route.AddPart(&points);
      x0 += count;
    }
    bare.SetRoute(route);
    std::vector<_VPoint> visited = Follow(bare, *net.msgs, c.forward);
    EXPECT_EQ(bare.GetRoute(), nullptr) << "the route is dropped at its end";
    EXPECT_LE(visited.size(), c.maxSteps);
    for (const _VPoint& p : visited) {
      EXPECT_FALSE(p.x == 0 && p.y == 0) << "a jump to the map origin";
    }
    bare.FollowRouteStep(1 << 16, 1);  // after the route is gone: nothing
    Posted(*net.msgs, 2);
  }
}

}  // namespace
