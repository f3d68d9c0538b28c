// The map view on the real engine against the map-service double, driven as
// a user drives it: the first paint, a drag, a pinch and a double tap, each
// ending in one engine move or zoom and a repaint of the double's tiles.
#include <cmath>
#include <limits>

#include "engine/model/Projection.h"
#include "engine/render/VWnd.h"
#include "mapsdk/EngineMsgDispatcher.h"
#include "mapsdk/VIZNotifier.h"
#include "platform/foundation/NSCoder.h"
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

    // An animated visible rectangle: the content zooms, then the rectangle
    // is applied exactly, once.
    recorder->calls.clear();
    const VIZMapRect visible = mapView->visibleMapRect();
    const VIZMapRect quarter = VIZMapRectMake(visible.origin.x + visible.size.width / 2,
                                              visible.origin.y + visible.size.height / 2, visible.size.width / 2,
                                              visible.size.height / 2);
    mapView->setVisibleMapRect(quarter, true);
    EXPECT_TRUE(recorder->calls.empty());
    driver.advanceClock(1.0);
    ASSERT_TRUE(PumpUntilPainted());
    const _VRect target = MapRectToEngineRect(quarter);
    EXPECT_EQ(state().ptCenter.x, (target.left + target.right) / 2);
    EXPECT_EQ(state().ptCenter.y, (target.top + target.bottom) / 2);
    EXPECT_EQ(mapView->zoomLevel(), 15);
    EXPECT_EQ(recorder->calls, std::vector<std::string>{"did YES"});
}

TEST_F(MapViewTest, PinchesZoomByWholeLevelsAndTapsStopAtTheLevelEnds)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    const CGPoint middle = CGPointMake(kWidth / 2, kHeight / 2);
    struct Pinch {
        double scale;
        int step;
    };
    // A slight pinch in (1.15) moves like a pinch that stays near 1.
    const Pinch pinches[] = {{1.05, 0}, {0.95, 0}, {1.15, 0}, {1.3, 1}, {3.0, 2}, {0.7, -1}, {0.3, -2}};
    for (const Pinch& p : pinches) {
        const int level = mapView->zoomLevel();
        driver.pinch(scrollView(), p.scale, middle);
        ASSERT_TRUE(PumpUntilPainted()) << p.scale;
        EXPECT_EQ(mapView->zoomLevel(), level + p.step) << p.scale;
    }

    // At level 18 a double tap does nothing and pinching in is impossible.
    mapView->setZoomLevel(18);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(scrollView()->maximumZoomScale, 1);
    ASSERT_TRUE(driver.doubleTap(internal()->m_mapWrapperView.get()));
    driver.advanceClock(1.0);
    EXPECT_EQ(mapView->zoomLevel(), 18);
    // A two-finger tap goes one level out, as zoomOut does.
    ASSERT_TRUE(driver.twoFingerTap(internal()->m_mapWrapperView.get()));
    driver.advanceClock(1.0);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(mapView->zoomLevel(), 17);
    ASSERT_TRUE(mapView->zoomOut());
    driver.advanceClock(1.0);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(mapView->zoomLevel(), 16);

    // At level 3 the two-finger tap does nothing and pinching out is impossible.
    mapView->setZoomLevel(3);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(scrollView()->minimumZoomScale, 1);
    ASSERT_TRUE(mapView->zoomOut());
    driver.advanceClock(1.0);
    EXPECT_EQ(mapView->zoomLevel(), 3);
    ASSERT_TRUE(mapView->zoomIn());
    driver.advanceClock(1.0);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(mapView->zoomLevel(), 4);

    // With zooming off the scroll view's limits stay at 1 after a repaint.
    mapView->setZoomEnabled(false);
    const int before = paintCount;
    mapView->setZoomLevel(5);
    ASSERT_TRUE(driver.pumpUntil([&] { return paintCount > before; }));
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(scrollView()->minimumZoomScale, 1);
    EXPECT_EQ(scrollView()->maximumZoomScale, 1);
}

// An animated change to a rectangle without width or height has no zoom to
// wait for: it is applied at once, and the user's next pinch or double tap
// keeps its own outcome.
TEST_F(MapViewTest, AnEmptyAnimatedRectangleLeavesTheNextGestureItsOutcome)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    const CGPoint middle = CGPointMake(kWidth / 2, kHeight / 2);
    const VIZMapRect visible = mapView->visibleMapRect();
    mapView->setVisibleMapRect(VIZMapRectMake(visible.origin.x + visible.size.width / 4,
                                              visible.origin.y + visible.size.height / 2, visible.size.width / 4, 0),
                               true);
    ASSERT_TRUE(PumpUntilPainted());
    int level = mapView->zoomLevel();
    EXPECT_EQ(level, 14) << "a quarter of the width shows two levels in";
    const _VPoint centre = state().ptCenter;
    driver.pinch(scrollView(), 1.3, middle);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(mapView->zoomLevel(), level + 1);
    EXPECT_EQ(state().ptCenter.x, centre.x);
    EXPECT_EQ(state().ptCenter.y, centre.y);

    VIZCoordinateRegion region;
    region.center = mapView->centerCoordinate();
    region.span = {0.02, 0};
    mapView->setRegion(region, true);
    ASSERT_TRUE(PumpUntilPainted());
    level = mapView->zoomLevel();
    ASSERT_TRUE(driver.doubleTap(internal()->m_mapWrapperView.get()));
    driver.advanceClock(1.0);
    ASSERT_TRUE(PumpUntilPainted());
    EXPECT_EQ(mapView->zoomLevel(), level + 1);
}

TEST_F(MapViewTest, CameraCallsClampRefuseNonFiniteRectanglesAndKeepTheSharedWindow)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    const std::pair<int, int> levels[] = {{25, 18}, {0, 3}, {3, 3}, {18, 18}, {14, 14}};
    for (const auto& [asked, got] : levels) {
        mapView->setZoomLevel(asked);
        EXPECT_EQ(mapView->zoomLevel(), got) << asked;
    }
    struct Step {
        unsigned type;
        unsigned stored;
    };
    const Step types[] = {{1, 1}, {2, 3}, {5, 1}, {4, 4}, {2, 6}, {3, 4}};
    for (const Step& step : types) {
        mapView->setMapType(step.type);
        EXPECT_EQ(mapView->mapType(), step.stored) << step.type;
    }
    mapView->setMapType(1);

    // Rectangles that cannot be shown change nothing.
    const _VPoint centre = state().ptCenter;
    const int level = mapView->zoomLevel();
    const double inf = std::numeric_limits<double>::infinity();
    for (const VIZMapRect& bad : {NullMapRect(), VIZMapRectMake(std::nan(""), 0, 10, 10), VIZMapRectMake(0, 0, inf, 1)}) {
        mapView->setVisibleMapRect(bad);
        mapView->setVisibleMapRect(bad, true);
        EXPECT_EQ(state().ptCenter.x, centre.x);
        EXPECT_EQ(state().ptCenter.y, centre.y);
        EXPECT_EQ(mapView->zoomLevel(), level);
    }
    // A padding that leaves no room stays within the world.
    const VIZMapRect fitted = mapView->mapRectThatFits(mapView->visibleMapRect(), UIEdgeInsets{208, 160, 208, 160});
    EXPECT_TRUE(MapRectIsFinite(fitted));
    EXPECT_LE(fitted.size.width, WorldMapSize().width);

    // A second map view going away does not shrink the engine window the
    // one on screen shares.
    VIZMapView::initWithFrame(CGRectMake(0, 0, 100, 100)).reset();
    _VRect client;
    static_cast<CVWnd*>(GetGlobalMan()->GetSlot(kSlotWnd))->GetClientRect(&client);
    EXPECT_NE(client.right - client.left, 5);
    mapView->setFrame(mapView->frame());
    EXPECT_TRUE(PumpUntilPainted());
}

// A map view kept in an archive, as an interface file keeps it, comes back
// with its frame, map, map type and user-location flag; a damaged
// rectangle in the archive is ignored.
TEST_F(MapViewTest, AnArchivedMapViewComesBackAsItWas)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    mapView->setZoomLevel(14);
    mapView->setCenterCoordinate(CLLocationCoordinate2DMake(39.93, 116.41));
    mapView->setMapType(VIZMapTypeSatellite);
    mapView->setShowsUserLocation(true);
    const VIZMapRect shown = mapView->visibleMapRect();
    NSCoder archive;
    mapView->encodeWithCoder(archive);
    const NSData data = archive.archivedData();
    mapView->removeFromSuperview();
    mapView.reset();

    mapView = VIZMapView::initWithCoder(*NSCoder::initForReadingWithData(data));
    ASSERT_NE(mapView, nullptr);
    EXPECT_TRUE(CGRectEqualToRect(mapView->frame(), CGRectMake(0, 0, kWidth, kHeight)));
    EXPECT_EQ(mapView->mapType(), VIZMapTypeSatellite);
    EXPECT_TRUE(mapView->showsUserLocation());
    EXPECT_EQ(mapView->zoomLevel(), 14);
    const VIZMapRect restored = mapView->visibleMapRect();
    EXPECT_NEAR(restored.origin.x, shown.origin.x, restored.size.width / kWidth);
    EXPECT_NEAR(restored.origin.y, shown.origin.y, restored.size.height / kHeight);
    EXPECT_DOUBLE_EQ(restored.size.width, shown.size.width);

    // Bad rectangles leave the map where the archive's frame put it.
    mapView->setShowsUserLocation(false);
    const _VPoint centre = state().ptCenter;
    const double nan = std::nan("");
    const double bad[][4] = {{nan, 0, 10, 10}, {0, 0, INFINITY, 1}};
    for (const auto& values : bad) {
        NSCoder damaged;
        mapView->encodeWithCoder(damaged);
        damaged.encodeBytes(values, sizeof values, "MapRect");
        auto again = VIZMapView::initWithCoder(damaged);
        ASSERT_NE(again, nullptr);
        EXPECT_EQ(state().ptCenter.x, centre.x);
        EXPECT_EQ(state().ptCenter.y, centre.y);
    }
    NSCoder shortRect;
    shortRect.encodeBytes(&shown, 31, "MapRect");
    EXPECT_NE(VIZMapView::initWithCoder(shortRect), nullptr);
    EXPECT_EQ(state().ptCenter.x, centre.x);
    EXPECT_TRUE(VIZMapView::initWithCoder(NSCoder())->frame().size.width == 0) << "no frame archived";
}

// Frames the engine cannot hold, set or archived, are clamped: the engine
// window stays within its limit.
TEST_F(MapViewTest, FramesBeyondTheEngineWindowAreClamped)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    auto* wnd = static_cast<mapengine::CVWnd*>(mapengine::GetGlobalMan()->GetSlot(mapengine::kSlotWnd));
    ASSERT_NE(wnd, nullptr);
    const auto windowWithinLimit = [&] {
        _VRect client;
        wnd->GetClientRect(&client);
        const int w = client.right - client.left, h = client.bottom - client.top;
        return w > 0 && h > 0 && w <= mapengine::kMaxWindowPixels && h <= mapengine::kMaxWindowPixels;
    };
    const CGRect frames[] = {CGRectMake(0, 0, 3000, 3000), CGRectMake(1e300, -1e300, 1e300, 1e300),
                             CGRectMake(-3e9, 3e9, 4e9, kHeight)};
    for (const CGRect& frame : frames) {
        SCOPED_TRACE(frame.size.width);
        mapView->setFrame(frame);
        EXPECT_TRUE(windowWithinLimit());
        const double values[4] = {frame.origin.x, frame.origin.y, frame.size.width, frame.size.height};
        NSCoder archive;
        archive.encodeBytes(values, sizeof values, "UIFrame");
        EXPECT_NE(VIZMapView::initWithCoder(archive), nullptr);
        EXPECT_TRUE(windowWithinLimit());
    }
}

}  // namespace
