// The painted map at Beijing with the overlays over it: the double's map
// tiles drawn from real geography, the POI background icons of a keyword, a
// driving route with its start and end, and the numbered markers of a POI
// search, all through the engine's network on 127.0.0.1.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/SearchMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapFacade.h"
#include "engine/render/MapView.h"
#include "engine/render/OverlayLayers.h"
#include "engine/render/UrlTranslater.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/render/OverlayTestSupport.h"
#include "platform/testing/TempFolder.h"
#include "tools/map-double/MapDouble.h"
#include "tools/mapdemo/DemoReplies.h"
#include "tools/snapshot/Snapshot.h"

using namespace mapengine;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 960;

bool IsNetworkEvent(int message) {
  return (message >= 1000 && message <= kMsgHttpBadReply) || message == kMsgHttpAskAgain;
}

TEST(OverlaySnapshotTest, BeijingWithBackgroundPoisARouteAndNumberedMarkers) {
  auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
  ASSERT_EQ(tables->LoadTables(), 1);
  TempFolder home;
  mapengine::test::EngineNetwork net;
  ASSERT_NO_FATAL_FAILURE(net.Start());
  auto service = std::make_unique<mapdouble::MapDouble>();
  ASSERT_TRUE(mapdouble::addRealDataTileService(*service)) << "the geography packages of scripts/setup";
  net.SeedRelay(service->port());
  CUrlTranslater urls;
  CVStringArray hosts;
  CVString host = "http://tiles.vuriv.com/";
  hosts.Add(host);
  urls.SetMapDomain(hosts, 2, 4);
  GetGlobalMan()->SetSlot(kSlotUrlTranslater, &urls);
  CVString documents(home.directory().c_str());
  ASSERT_EQ(SetStartupPaths(documents, documents), 1);

  // The search manager the overlays read, on the engine's network.
  auto search = std::make_unique<CSearchMan>();
  ASSERT_EQ(search->Init(nullptr), 1);
  search->Service().PoiBkgCache().SetFolder(documents);

  // The map between Tiananmen and Wangfujing at level 16.
  auto control = std::make_unique<CMapControl>();
  control->SetDataSource(search.get());
  control->Init(12959275, 4826050, 0, 0, kWidth, kHeight, 16, documents);
  control->UpdateAllLayers();
  // The engine's loop: network events to their owners (the search clients'
  // to the search manager, the tiles' to the map), and the map's own
  // messages to the map, until done() or the bound.
  auto run = [&](const std::function<bool()>& done) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      while (net.msgs->PopMessage(net.msgs->GetRing(2), msg)) {
      }
      if (!net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      } else if (IsNetworkEvent(msg.message) && (msg.wParam == kSearchClient ||
                                                 msg.wParam == kCityClient ||
                                                 msg.wParam == kPoiBkgClient)) {
        search->OnHttpEvent(msg.message, msg.wParam, msg.lParam);
      } else {
        MapOnMessage(control.get(), msg.message, msg.wParam, msg.lParam);
      }
    }
    return done();
  };
  ASSERT_TRUE(run([&] { return !IsTileRequestBusy(&control->GetDownloader()); }));

  // The search results as the search service parses them.
  tag_CarRouteRst route;
  ASSERT_EQ(overlaytest::ParseReply(mapdemo::DriveRouteReply(), [&](VJsonResultParser& p, const VJson* root) {
              return p.ParseDriveRoute(root, &route);
            }), 1);
  tag_PoiResult pois;
  ASSERT_EQ(overlaytest::ParseReply(mapdemo::PoiSearchReply(11, ""), [&](VJsonResultParser& p, const VJson* root) {
              return p.ParsePoiSearchInCity(root, &pois);
            }), 1);
  ASSERT_GT(pois.pois.GetSize(), 3);
  search->SetResult(&route, kResultDrive);
  search->SetResult(&pois, kResultPoiList);

  CIconTable icons;
  overlaytest::LoadDefaultIcons(icons, 2);
  SetIconTable(&icons);

  // The overlays of the map control: background POIs, the route in the
  // second vector layer, the POI search in the first.
  control->GetPoiBkgLayer()->GetReq()->SetKeyword(CVString("bank"));
  control->ShowLayer(8, 1);
  const CPoiBkgTileArray& tiles = control->GetPoiBkgLayer()->GetTiles();
  // Every tile near the city centre has POIs once the reply is in the files.
  ASSERT_TRUE(run([&] {
    bool all = tiles.GetSize() > 0;
    for (int i = 0; i < tiles.GetSize(); ++i) all = all && tiles[i].pois.GetSize() > 0;
    return all;
  }));
  control->GetVectorLayer(1)->SetKind(kVectorDrive);
  control->ShowLayer(6, 1);
  control->ShowLayer(4, 1);
  control->Paint(nullptr);

  // A tap on the end badge finds the route's end; on a background POI, that
  // POI.
  const _VPoint end = MapHundredthsToScreen(GetMapViewState(), route.end.point.GetPoint(0, 0).x,
                                            route.end.point.GetPoint(0, 0).y);
  Attribute hit;
  ASSERT_NE(control->HitTest(end.x - 10, end.y + 8, hit), 0);
  EXPECT_EQ(hit.kind, kElementEnd);
  const tag_PoiBkgBaseData& poi = control->GetPoiBkgLayer()->GetTiles()[0].pois[0];
  const _VPoint at = MapToScreenD(GetMapViewState(), poi.x, poi.y);
  ASSERT_NE(control->HitTest(at.x, at.y, hit), 0);
  EXPECT_STREQ(hit.text, poi.uid);

  const auto* bits = reinterpret_cast<const uint32_t*>(control->GetImage().GetBits());
  EXPECT_TRUE(snapshot::matchesExpected(snapshot::fromARGB32(bits, kWidth, kHeight, kWidth),
                                        "tests/engine/render/snapshots/beijing-overlays"));
  control.reset();
  search.reset();
  service.reset();
  net.Stop();
  GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
  SetIconTable(nullptr);
}

}  // namespace
