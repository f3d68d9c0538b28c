// The user's position on a map view, as an application shows it: with
// showsUserLocation on, a fix scripted through the CoreLocation stand-in
// reaches the delegate and puts the dot in its accuracy circle over the
// map; before the fix and once the flag is off there is no dot.
#include "engine/data/GpsProviders.h"
#include "mapsdk/VIZUserLocation.h"
#include "tests/mapsdk/MapViewFixture.h"
#include "tools/snapshot/Snapshot.h"

namespace {

class Locating : public VIZMapViewDelegate {
public:
    void mapView_didUpdateUserLocation(VIZMapView*, VIZUserLocation* location) override { updates.push_back(location); }
    void mapViewWillStartLocatingUser(VIZMapView*) override { ++starts; }
    std::vector<VIZUserLocation*> updates;
    int starts = 0;
};

class MapUserLocationTest : public MapViewFixture {
protected:
    void SetUp() override
    {
        CLLocationSetProvider(provider);
        MapViewFixture::SetUp();
    }
    void TearDown() override
    {
        MapViewFixture::TearDown();
        IphoneGPSMan::getInstance()->unInitialize();
        IphoneGPSMan::destroyInstance();
        CLLocationSetProvider(nullptr);
    }
    bool DotShown() const
    {
        auto dot = internal()->_locationView;
        return dot && !dot->hidden() && dot->superview() == scrollView();
    }

    std::shared_ptr<CLScriptedLocationProvider> provider = std::make_shared<CLScriptedLocationProvider>();
    std::shared_ptr<Locating> locating = std::make_shared<Locating>();
};

}  // namespace

TEST_F(MapUserLocationTest, AFixShowsTheDotInItsAccuracyCircleOverTheMap)
{
    ASSERT_NO_FATAL_FAILURE(ShowMap());
    mapView->setDelegate(locating);
    mapView->setShowsUserLocation(true);
    EXPECT_EQ(locating->starts, 1);
    ASSERT_TRUE(driver.pumpUntil([] { return IphoneGPSMan::getInstance()->locationManager() != nullptr; }));
    mapView->updateMap();
    EXPECT_FALSE(DotShown()) << "no dot before the first fix";
    EXPECT_FALSE(mapView->isUserLocationVisible());

    provider->deliver({39.9087, 116.3975}, 200);
    ASSERT_TRUE(driver.pumpUntil([&] { return !locating->updates.empty(); }));
    EXPECT_EQ(locating->updates.front(), mapView->userLocation().get());
    const std::shared_ptr<CLLocation> fix = mapView->userLocation()->location();
    ASSERT_NE(fix, nullptr);

    mapView->setZoomLevel(16);
    mapView->setCenterCoordinate(fix->coordinate());
    ASSERT_TRUE(PumpUntilPainted());
    ASSERT_TRUE(DotShown());
    EXPECT_TRUE(mapView->isUserLocationVisible());
    // 200 m across twice, at four map units per point.
    auto dot = internal()->_locationView;
    EXPECT_EQ(dot->frame().size.width, 100);
    const CGPoint centre = dot->convertPoint(CGPointMake(50, 50), mapView.get());
    EXPECT_NEAR(centre.x, kWidth / 2, 1);
    EXPECT_NEAR(centre.y, kHeight / 2, 1);
    // Centred on the fix: every reading of the location (the engine's own
    // real-time timers and repaints among them) steps the datum offset's
    // jitter of up to a metre, so the map may sit one pixel off in x and y
    // (the tiles' edges, about 1.5% of the pixels). The dot and its circle
    // are checked above.
    EXPECT_TRUE(snapshot::viewMatchesExpected(mapView.get(), "tests/mapsdk/snapshots/map-user-location",
                                              snapshot::Tolerance{0, 0.02}));

    // The same view every pass; gone once the flag is off.
    mapView->updateMap();
    EXPECT_EQ(internal()->_locationView, dot);
    mapView->setShowsUserLocation(false);
    mapView->updateMap();
    EXPECT_FALSE(DotShown());
    EXPECT_FALSE(mapView->isUserLocationVisible());
}
