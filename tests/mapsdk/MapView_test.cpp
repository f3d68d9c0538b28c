// The map view on the real engine against the map-service double, driven as
// a user drives it: the first paint, a drag, a pinch and a double tap, each
// ending in one engine move or zoom and a repaint of the double's tiles.
#include "engine/render/Projection.h"
#include "mapsdk/EngineMsgDispatcher.h"
#include "mapsdk/VIZNotifier.h"
#include "tests/mapsdk/MapViewFixture.h"
#include "tools/snapshot/Snapshot.h"

using namespace mapengine;

namespace {

class RegionRecorder : public VIZMapViewDelegate {
public:
    void mapView_regionWillChangeAnimated(VIZMapView*, bool animated) override { calls.push_back(animated ? "will YES" : "will NO"); }
    void mapView_regionDidChangeAnimated(VIZMapView*, bool animated) override { calls.push_back(animated ? "did YES" : "did NO"); }
    std::vector<std::string> calls;
};

using MapViewTest = MapViewFixture;

TEST_F(MapViewTest, FirstPaintPanPinchAndDoubleTapMoveTheEngineOnceEachAndRepaint)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    auto recorder = std::make_shared<RegionRecorder>();
    mapView->setDelegate(recorder);
    EXPECT_EQ(mapView->zoomLevel(), 12);
    EXPECT_EQ(state().ptCenter.x, VIZMapViewInternal::kInitialCenterX);
    EXPECT_EQ(state().ptCenter.y, VIZMapViewInternal::kInitialCenterY);
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/map-initial"));

    // A drag of 100 points to the left: the map point 100 points right of
    // the centre becomes the centre.
    const _VPoint right = ScreenToMap(state(), kWidth / 2 + 100, kHeight / 2);
    int before = paintCount;
    driver.drag(scrollView(), CGPointMake(-100, 0));
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_GT(paintCount, before);
    EXPECT_EQ(state().ptCenter.x, right.x);
    EXPECT_EQ(state().ptCenter.y, right.y);
    EXPECT_EQ(mapView->zoomLevel(), 12);
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/map-after-pan"));

    // A pinch to 1.3 around the middle: one level in, same centre.
    const _VPoint centre = state().ptCenter;
    before = paintCount;
    driver.pinch(scrollView(), 1.3, CGPointMake(kWidth / 2, kHeight / 2));
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_GT(paintCount, before);
    EXPECT_EQ(mapView->zoomLevel(), 13);
    EXPECT_EQ(state().ptCenter.x, centre.x);
    EXPECT_EQ(state().ptCenter.y, centre.y);
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/map-zoom13"));

    // A double tap in the middle: one more level, centred on the tap.
    before = paintCount;
    ASSERT_TRUE(driver.doubleTap(internal()->m_mapWrapperView.get()));
    driver.advanceClock(1.0);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_GT(paintCount, before);
    EXPECT_EQ(mapView->zoomLevel(), 14);
    EXPECT_EQ(state().ptCenter.x, centre.x);
    EXPECT_EQ(state().ptCenter.y, centre.y);
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/map-zoom14"));

    const std::vector<std::string> expected = {"will YES", "did YES", "will YES", "did YES", "did YES"};
    EXPECT_EQ(recorder->calls, expected);
}

}  // namespace
