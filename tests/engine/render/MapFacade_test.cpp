#include "engine/render/MapFacade.h"

#include <gtest/gtest.h>

#include <climits>

#include "engine/base/VMsgMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"

using namespace mapengine;

namespace {

TEST(MapFacadeTest, RequestBoundsAreHundredthsInTheirOrderAndSaturate) {
  tagMapViewState saved = GetMapViewState();
  struct {
    _VRect visible;
    int expected[4];
  } cases[] = {
      {{0, 0, 0, 0}, {0, 0, 0, 0}},
      {{12000, 4000, 13000, 3000}, {1200000, 300000, 1300000, 400000}},
      {{-25000000, 25000000, 25000000, -25000000}, {INT_MIN, INT_MIN, INT_MAX, INT_MAX}},
  };
  for (const auto& c : cases) {
    GetMapViewState().rcVisible = c.visible;
    int bounds[4] = {7, 7, 7, 7};
    EXPECT_EQ(MapGetRequestBounds(bounds), bounds);
    for (int i = 0; i < 4; ++i) {
      EXPECT_EQ(bounds[i], c.expected[i]) << c.visible.left << " word " << i;
    }
  }
  GetMapViewState().nLevel = 12;
  EXPECT_EQ(MapGetZoomLevel(nullptr), 0) << "no map view";
  GetMapViewState() = saved;
}

// A bad reply (1007) ends the tile request like a failure: the busy flag
// that holds back every later tile request is cleared.
TEST(MapFacadeTest, ABadReplyClearsTheTileRequestFlag) {
  tagMapViewState saved = GetMapViewState();
  alignas(CMapControl) unsigned char place[sizeof(CMapControl)];
  CMapControl* control = MapCreateControl(place);
  ASSERT_EQ(static_cast<void*>(control), static_cast<void*>(place));
  for (int message : {kMsgHttpConnectFailed, kMsgHttpBadReply}) {
    SetTileRequestBusy(&control->GetDownloader(), 1);
    EXPECT_EQ(MapOnMessage(control, message, 1, 7), -1);
    EXPECT_EQ(IsTileRequestBusy(&control->GetDownloader()), 0) << message;
  }
  MapDestroyControl(control);
  GetMapViewState() = saved;
}

}  // namespace
