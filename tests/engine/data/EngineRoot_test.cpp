// The engine started through its facade: the map, searches, positioning,
// failures reported to the interface, stop and restart.
#include "engine/data/AppLocation.h"
#include "engine/data/SearchMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "engine/model/Projection.h"
#include "tests/engine/data/EngineRootFixture.h"
#include "tools/map-double/TilePattern.h"
#include "tools/mapdemo/DemoData.h"

namespace mapengine::test {
namespace {

TEST_F(EngineRootTest, AMapControlMadeThroughTheFacadePaintsBeijingIntoTheScreenBitmap) {
  _VDPoint beijing;
  LonLatToMapUnits(&beijing, {116.397, 39.908});
  void* place = CVMem::Allocate(sizeof(CMapControl));
  int view = 0;
  CVWnd wnd;
  ASSERT_NO_FATAL_FAILURE(OpenMapControl(place, wnd, view, static_cast<int>(beijing.x), static_cast<int>(beijing.y)));
  EXPECT_EQ(GetGlobalMan()->GetSlot(kSlotWnd), &wnd);
  EXPECT_EQ(U16(root->m_urlTranslater.GetMapImageKind()), u"m256");

  // The SDK starts the engine once its view exists: the map asks for its
  // tiles, and every repaint reaches the interface handler.
  ASSERT_EQ(EngineStop(root), 1);
  ASSERT_EQ(EngineStart(root, UiHandler), 1);
  EXPECT_TRUE(Received(kMsgRepaint, 0, 0));
  CMapControl* control = root->m_pMapControl;
  ASSERT_TRUE(Pump([&] { return !IsTileRequestBusy(&control->GetDownloader()); }));
  ASSERT_EQ(service->log().size(), 1u);
  EXPECT_EQ(service->log()[0].level, 12);

  MapPaint(control, MapGetScreenDC(root));
  const tagMapViewState& state = GetMapViewState();
  long long left = state.ptCenter.x - static_cast<long long>(kWidth / 2) * state.nScale;
  long long top = state.ptCenter.y + static_cast<long long>(kHeight / 2) * state.nScale;
  std::vector<uint32_t> expected = mapdouble::stitchPattern(mapdouble::TileKind::Map, 12, left, top, kWidth, kHeight);
  ASSERT_EQ(root->m_screenBitmap.GetSize().cx, kWidth);
  const auto* bits = reinterpret_cast<const uint32_t*>(root->m_screenBitmap.GetBits());
  EXPECT_EQ(std::vector<uint32_t>(bits, bits + kWidth * kHeight), expected);

  // A resized window gets a screen bitmap of its size.
  ASSERT_EQ(MapResizeWindow(control, 0, 0, 200, 300), 1);
  MapGetScreenDC(root);
  EXPECT_EQ(root->m_screenBitmap.GetSize().cx, 200);
  EXPECT_EQ(root->m_screenBitmap.GetSize().cy, 300);

  // The SDK's release order: the root forgets the control before it goes,
  // so a step still queued for it reaches nobody.
  root->m_msgMan.PostMessage(1, kMsgPanStep, 0, 0);
  MapRemoveAllLayers(control);
  MapDestroyControl(control);
  EXPECT_EQ(root->m_pMapControl, nullptr);
  CVMem::Deallocate(place);
  Pump([] { return true; });
  for (int i = 0; i < 5; ++i) {
    root->m_msgMan.DispatchMessage();
  }
  GetGlobalMan()->SetSlot(kSlotWnd, nullptr);
}

TEST_F(EngineRootTest, ScreenDensitiesChooseTheTileKinds) {
  struct {
    int dx, dy;
    const char16_t* map;
    const char16_t* satellite;
  } cases[] = {{326, 326, u"m256H", u"sateH"}, {163, 163, u"m256", u"sate"}, {181, 163, u"m256H", u"sateH"}};
  void* place = CVMem::Allocate(sizeof(CMapControl));
  int view = 0;
  CVWnd wnd;
  ASSERT_EQ(wnd.Attach(&view), 1);
  _VRect rect;
  rect.SetRect(0, 0, 64, 64);
  for (const auto& c : cases) {
    root->m_pMapControl = MapCreateControl(place);
    root->m_env.m_version.density.SetSize(c.dx, c.dy);
    ASSERT_EQ(MapInitWindow(root, &wnd, 0, 0, rect, 12), 1);
    EXPECT_EQ(U16(root->m_urlTranslater.GetMapImageKind()), c.map) << c.dx << " x " << c.dy;
    EXPECT_EQ(U16(root->m_urlTranslater.GetSatelliteImageKind()), c.satellite) << c.dx << " x " << c.dy;
    MapDestroyControl(root->m_pMapControl);
  }
  EXPECT_EQ(MapInitWindow(root, &wnd, 0, 0, rect, 12), 0) << "no map control";
  EXPECT_EQ(MapInitWindow(root, nullptr, 0, 0, rect, 12), 0) << "no window";
  CVMem::Deallocate(place);
  GetGlobalMan()->SetSlot(kSlotWnd, nullptr);
}

TEST_F(EngineRootTest, ASearchIsRoutedToTheSearchManagerAndAnsweredToTheInterface) {
  auto search = std::make_unique<CSearchMan>();
  ASSERT_EQ(search->Init(root->m_pMapControl), 1);
  root->m_pSearchMan = search.get();
  const mapdemo::Point at = mapdemo::PlaceNamed("天安门").at;
  ASSERT_EQ(search->ReverseGeocode(at.x, at.y), 1);
  ASSERT_TRUE(Pump([] { return Received(kMsgSearchResult, 44, 0); }));
  ASSERT_NE(search->GetResult(44), nullptr);
  root->m_pSearchMan = nullptr;
  search.reset();
}

// The map asks for the city of the view when its centre moved more than
// 15000 map units on an axis or its level changed: once, for the 1000 x
// 1000 square around the centre; the first move only notes the centre.
TEST_F(EngineRootTest, TheMapAsksForTheCityOfTheViewAfterALongMove) {
  const mapdemo::Point at = mapdemo::PlaceNamed("天安门").at;
  void* place = CVMem::Allocate(sizeof(CMapControl));
  int view = 0;
  CVWnd wnd;
  ASSERT_NO_FATAL_FAILURE(OpenMapControl(place, wnd, view, at.x, at.y));
  CMapControl* control = root->m_pMapControl;
  auto search = std::make_unique<CSearchMan>();
  root->m_pSearchMan = search.get();
  ASSERT_EQ(search->Init(root->m_pMapControl), 1);
  auto cityRequests = [&] {
    std::vector<std::string> bounds;
    for (const mapdouble::LoggedRequest& entry : service->log()) {
      if (entry.type == "cen") bounds.push_back(mapdouble::Query::parse(entry.url).get("b"));
    }
    return bounds;
  };
  auto moveTo = [&](int x, int y) {
    ASSERT_EQ(MapSetCenter(control, x, y, 0, 1, 1), 1);
    Pump([] { return false; }, 1);
  };
  moveTo(at.x, at.y);
  moveTo(at.x + 15000, at.y - 15000);
  EXPECT_TRUE(cityRequests().empty());
  moveTo(at.x + 15000 + 15001, at.y);
  const int x = at.x + 30001;
  std::vector<std::string> expected{std::to_string(x - 500) + "," + std::to_string(at.y - 500) + ";" +
                                    std::to_string(x + 500) + "," + std::to_string(at.y + 500)};
  EXPECT_EQ(cityRequests(), expected);
  moveTo(x, at.y + 100);
  EXPECT_EQ(cityRequests().size(), 1u) << "a short move asks nothing";
  ASSERT_EQ(MapSetZoomLevel(control, 13, 0, 1), 1);
  Pump([] { return false; }, 1);
  EXPECT_EQ(cityRequests().size(), 2u) << "a new level asks again";

  root->m_pSearchMan = nullptr;
  search.reset();
  MapRemoveAllLayers(control);
  MapDestroyControl(control);
  CVMem::Deallocate(place);
  GetGlobalMan()->SetSlot(kSlotWnd, nullptr);
}

// Network failures of the map's tile clients are reported once per run of
// failures; an arrival of any client type re-arms the report.
TEST_F(EngineRootTest, TileFailuresAreReportedOncePerRun) {
  struct {
    int message, clientType;
    bool reported;
  } steps[] = {
      {kMsgHttpConnectFailed, 1, true},  {kMsgHttpReceiveFailed, 1, false}, {kMsgHttpConnectFailed, 12, false},
      {kMsgHttpComplete, 5, false},      {kMsgHttpSendFailed, 12, true},    {kMsgHttpComplete, 11, false},
      {kMsgHttpConnectFailed, 11, false}, {kMsgHttpConnectFailed, 0, false}, {kMsgHttpConnectFailed, 9, false},
  };
  int n = 0;
  for (const auto& s : steps) {
    EXPECT_EQ(EngineMsgHandler(nullptr, s.message, s.clientType, 7), 0);
    std::vector<tagEngineMsg> queued = Queued(2);
    ASSERT_EQ(queued.size(), s.reported ? 1u : 0u) << "step " << n;
    if (s.reported) {
      EXPECT_EQ(queued[0].message, kMsgSearchResult);
      EXPECT_EQ(queued[0].wParam, kNetworkErrorResultType);
      EXPECT_EQ(queued[0].lParam, kNetworkErrorValue);
    }
    ++n;
  }
  EXPECT_EQ(EngineMsgHandler(nullptr, kMsgHttpConnectFailed, 1, 7), 0);
  EXPECT_EQ(Queued(2).size(), 1u) << "failures of the other clients left the report armed";
  EXPECT_EQ(EngineMsgHandler(nullptr, kMsgHttpConnectFailed, 1, 7), 0);
  EXPECT_EQ(Queued(2).size(), 0u);
  // A restart re-arms it as well.
  ASSERT_EQ(EngineStart(root, UiHandler), 1);
  EXPECT_EQ(EngineMsgHandler(nullptr, kMsgHttpConnectFailed, 1, 7), 0);
  EXPECT_EQ(Queued(2).size(), 1u);
}

TEST_F(EngineRootTest, LocationModesFollowTheConfiguredKind) {
  void* place = CVMem::Allocate(sizeof(CAppLocation));
  CAppLocation* loc = LocCreate(place);
  ASSERT_NE(loc, nullptr);
  EXPECT_EQ(loc->GetLocKind(), 3);
  struct {
    int kind, mode;
  } cases[] = {{0, 1}, {1, 5}, {2, 3}, {3, 2}, {6, 3}};
  for (const auto& c : cases) {
    loc->SetLocKind(c.kind);
    LocApplyMode(loc);
    EXPECT_EQ(LocGetMode(loc), c.mode) << "kind " << c.kind;
  }
  LocDestroy(loc);
  CVMem::Deallocate(place);
}

// A tick of the location timer made on the timer thread reaches the location
// object on the main thread: the object, which the main thread reads and
// destroys, is never worked on by the timer thread.
TEST_F(EngineRootTest, LocationTicksRunOnTheMainThreadAndPositionsReachTheInterface) {
  void* place = CVMem::Allocate(sizeof(CAppLocation));
  CAppLocation* loc = LocCreate(place);
  root->m_pLocation = loc;
  loc->SetLocKind(2);  // network positioning
  ASSERT_EQ(LocStart(loc), 1);
  EXPECT_EQ(LocGetMode(loc), 3);
  EXPECT_EQ(root->m_msgMan.GetTimerCount(), 1);
  tagCellInfo cell;
  cell.mcc = 460;
  cell.lac = 4189;
  cell.cid = 12345;
  loc->CellMan().SetCellInfo(cell);

  // Every tick, the test's and any of the engine's own timer thread, is
  // queued for the main thread.
  TickOnTimerThread();
  std::vector<tagEngineMsg> queued = Queued(1);
  ASSERT_FALSE(queued.empty());
  for (const tagEngineMsg& msg : queued) {
    EXPECT_EQ(msg.message, kMsgTimer);
    EXPECT_EQ(msg.wParam, kLocationTimer);
  }
  EXPECT_TRUE(location.queries().empty()) << "nothing ran on the timer thread";

  root->m_msgMan.PostMessage(1, kMsgTimer, kLocationTimer, 0);
  ASSERT_TRUE(Pump([] { return Received(kMsgLocation, 0, 0); }));
  EXPECT_EQ(location.queries().size(), 1u);
  tagLocInfo here;
  LocGetCurrent(&here, loc);
  EXPECT_EQ(here.cid, 12345);
  EXPECT_EQ(here.x, mapdemo::PlaceNamed("天安门").at.x);

  // Destroying the object stops its timer and takes it out of the root, so
  // a tick still queued reaches nobody.
  root->m_msgMan.PostMessage(1, kMsgTimer, kLocationTimer, 0);
  LocDestroy(loc);
  EXPECT_EQ(root->m_pLocation, nullptr);
  EXPECT_EQ(root->m_msgMan.GetTimerCount(), 0);
  CVMem::Deallocate(place);
  Pump([] { return true; });
  for (int i = 0; i < 5; ++i) {
    root->m_msgMan.DispatchMessage();
  }
  EXPECT_EQ(location.queries().size(), 1u);
}

// Stopped, started again, destroyed and bootstrapped anew: every thread ends
// and nothing is left behind (the sanitizers watch).
TEST_F(EngineRootTest, TheEngineStopsRestartsAndIsBuiltAgain) {
  for (int round = 0; round < 2; ++round) {
    ASSERT_EQ(EngineStop(root), 1);
    EXPECT_TRUE(root->m_msgMan.IsReset());
    root->m_msgMan.PostMessage(1, kMsgPanStep, 0, 0);
    ASSERT_EQ(EngineStart(root, UiHandler), 1);
    EXPECT_FALSE(root->m_msgMan.IsReset());
    EXPECT_TRUE(Queued(1).empty()) << "a start clears the rings";
    ShutDown();
    ASSERT_NO_FATAL_FAILURE(Bootstrap());
  }
  // The new engine still answers.
  auto search = std::make_unique<CSearchMan>();
  ASSERT_EQ(search->Init(root->m_pMapControl), 1);
  root->m_pSearchMan = search.get();
  const mapdemo::Point at = mapdemo::PlaceNamed("天安门").at;
  ASSERT_EQ(search->ReverseGeocode(at.x, at.y), 1);
  ASSERT_TRUE(Pump([] { return Received(kMsgSearchResult, 44, 0); }));
  root->m_pSearchMan = nullptr;
  search.reset();
  // Without its timer thread the engine cannot be started.
  EngineDestroy(root);
  EXPECT_EQ(EngineStart(root, UiHandler), 0);
}

}  // namespace
}  // namespace mapengine::test
