// The user's own position: fixes scripted through the CoreLocation stand-in
// reach the engine's positioning in GPS mode and the user location, which
// publishes them; its view is the dot in its accuracy circle, bounded for a
// fix of any accuracy, hidden before the first fix, and selected only by a
// tap on the dot.
#include <cmath>

#include "engine/data/AppLocation.h"
#include "mapsdk/VIZUserLocation.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/testing/NXUITestDriver.h"
#include "tests/engine/data/EngineRootFixture.h"
#include "tools/snapshot/Snapshot.h"

using namespace mapengine;
using namespace mapengine::test;

namespace {

constexpr int kModeGps = 5;
constexpr int kModeOff = 1;

class UserLocationTest : public EngineRootTest {
protected:
    void SetUp() override
    {
        EngineRootTest::SetUp();
        provider = std::make_shared<CLScriptedLocationProvider>();
        CLLocationSetProvider(provider);
        place = CVMem::Allocate(sizeof(CAppLocation));
        engineLocation = LocCreate(place);
        root->m_pLocation = engineLocation;
        for (const NSString& name : {kNotificationLocationDidUpdate, kNotificationMainMapPaint}) {
            tokens.push_back(NSNotificationCenter::defaultCenter()->addObserverForName(
                name, nullptr, [this](const std::shared_ptr<NSNotification>& n) {
                    posted.push_back(n->name().UTF8String());
                    if (n->name() == kNotificationLocationDidUpdate) postedObject = n->object();
                }));
        }
        userLocation = VIZUserLocation::init();
        mapView->setFrame(CGRectMake(0, 0, 320, 416));
    }
    void TearDown() override
    {
        for (const id& token : tokens) NSNotificationCenter::defaultCenter()->removeObserver(token.get());
        userLocation.reset();
        LocDestroy(engineLocation);
        CVMem::Deallocate(place);
        CLLocationSetProvider(nullptr);
        EngineRootTest::TearDown();
    }

    // GPS positioning on, with the platform's location manager running.
    void StartGps()
    {
        LocSetMode(engineLocation, kModeGps);
        NSRunLoop::mainRunLoop()->runUntil([] { return IphoneGPSMan::getInstance()->locationManager() != nullptr; },
                                           10.0);
        ASSERT_NE(IphoneGPSMan::getInstance()->locationManager(), nullptr);
    }
    // A fix delivered as the device would, until the user location has it.
    void Deliver(double accuracy)
    {
        const size_t before = posted.size();
        provider->deliver({39.9087, 116.3975}, accuracy, 0, 90, 1.2);
        ASSERT_TRUE(NSRunLoop::mainRunLoop()->runUntil([&] { return posted.size() >= before + 2; }, 10.0));
    }
    std::shared_ptr<LocationView> ViewOnMap(int zoomLevel)
    {
        auto view = LocationView::initWithAnnotation(userLocation, NSString());
        view->setMapView(mapView);
        view->needRect(zoomLevel);
        return view;
    }

    std::shared_ptr<CLScriptedLocationProvider> provider;
    void* place = nullptr;
    CAppLocation* engineLocation = nullptr;
    std::vector<id> tokens;
    std::vector<std::string> posted;
    id postedObject;
    std::shared_ptr<VIZUserLocation> userLocation;
    std::shared_ptr<UIView> mapView = UIView::initWithFrame(CGRectZero);
};

}  // namespace

TEST_F(UserLocationTest, BeforeTheFirstFixThereIsNoPositionAndNoDot)
{
    EXPECT_EQ(userLocation->location(), nullptr);
    EXPECT_EQ(userLocation->coordinate().latitude, -180);
    EXPECT_EQ(userLocation->coordinate().longitude, -180);
    EXPECT_EQ(userLocation->title(), NSString("我的位置"));
    EXPECT_FALSE(userLocation->updating());
    EXPECT_TRUE(ViewOnMap(16)->hidden()) << "no dot at (-180, -180)";

    // An update without a GPS fix says only whether positioning is on.
    struct Case {
        int mode;
        bool updating;
    };
    for (const Case c : {Case{kModeGps, true}, Case{kModeOff, false}}) {
        LocSetMode(engineLocation, c.mode);
        NSNotificationCenter::defaultCenter()->postNotificationName(kNotificationLocationUpdate, nullptr);
        EXPECT_EQ(userLocation->updating(), c.updating) << c.mode;
    }
    EXPECT_TRUE(posted.empty());
    EXPECT_EQ(userLocation->location(), nullptr);
}

TEST_F(UserLocationTest, AScriptedFixShowsTheDotInItsAccuracyCircle)
{
    ASSERT_NO_FATAL_FAILURE(StartGps());
    ASSERT_NO_FATAL_FAILURE(Deliver(200));
    EXPECT_EQ(posted, (std::vector<std::string>{"NotificationMainMapPaint", "NotificationLocationDidUpdate"}));
    EXPECT_EQ(postedObject, userLocation);
    const std::shared_ptr<CLLocation> location = userLocation->location();
    ASSERT_NE(location, nullptr);
    EXPECT_FALSE(userLocation->updating());
    EXPECT_EQ(location->horizontalAccuracy(), 200);
    EXPECT_EQ(location->course(), 90);
    // Moved into the map's datum as the engine moves a fix (whose offset
    // jitters by under a metre per conversion).
    CGpsDetailInfo fix;
    fix.longitude = 116.3975f;
    fix.latitude = 39.9087f;
    _VDPoint datum;
    GpsToMapCoord(&datum, fix, 2, 0);
    EXPECT_NEAR(location->coordinate().latitude, datum.y, 1e-4);
    EXPECT_NEAR(location->coordinate().longitude, datum.x, 1e-4);
    EXPECT_EQ(userLocation->coordinate().latitude, location->coordinate().latitude);

    // Level 16: 200 m is a circle of 2 * 200 / 4 = 100 points.
    auto view = ViewOnMap(16);
    EXPECT_FALSE(view->hidden());
    EXPECT_EQ(view->frame().size.width, 100);
    EXPECT_EQ(view->frame().size.height, 100);
    EXPECT_EQ(view->calloutOffset().y, 40) << "the callout points at the dot";

    auto backdrop = UIView::initWithFrame(CGRectMake(0, 0, 140, 140));
    backdrop->setBackgroundColor(UIColor::colorWithRed(0.93, 0.92, 0.88, 1));
    view->setCenter(CGPointMake(70, 70));
    backdrop->addSubview(view);
    snapshot::Image image = snapshot::renderView(backdrop.get());
    const uint8_t* ring = &image.rgba[((70 + 47) * image.width + 70) * 4];
    const uint8_t* inside = &image.rgba[(40 * image.width + 70) * 4];
    EXPECT_LT(ring[0], inside[0]) << "a darker ring around the lighter fill";
    EXPECT_TRUE(snapshot::viewMatchesExpected(backdrop.get(), "tests/mapsdk/snapshots/user-location-accuracy"));
}

TEST_F(UserLocationTest, TheCircleFollowsTheLevelAndStaysBounded)
{
    ASSERT_NO_FATAL_FAILURE(StartGps());
    // A first fix is taken whatever its accuracy.
    ASSERT_NO_FATAL_FAILURE(Deliver(1000000));
    auto view = ViewOnMap(18);
    EXPECT_EQ(view->frame().size.width, 5 * 416) << "at most five map-view sides across";

    ASSERT_NO_FATAL_FAILURE(Deliver(50));
    struct Case {
        int level;
        double side;
    };
    for (const Case c : {Case{18, 100}, Case{16, 25}, Case{15, 20}, Case{10, 20}}) {
        view->needRect(c.level);
        EXPECT_EQ(view->frame().size.width, c.side) << c.level;
    }
    EXPECT_EQ(view->calloutOffset().y, 0) << "the dot alone";
}

TEST_F(UserLocationTest, OnlyATapOnTheDotSelectsIt)
{
    ASSERT_NO_FATAL_FAILURE(StartGps());
    ASSERT_NO_FATAL_FAILURE(Deliver(200));
    int selections = 0;
    id token = NSNotificationCenter::defaultCenter()->addObserverForName(
        kNotificationSelectAnnotationView, nullptr, [&](const std::shared_ptr<NSNotification>&) { ++selections; });
    NXUITestDriver driver;
    auto view = ViewOnMap(16);
    view->setFrame(CGRectMake(50, 50, 100, 100));
    driver.window()->addSubview(view);
    ASSERT_TRUE(driver.tapAt(CGPointMake(60, 100)));
    EXPECT_EQ(selections, 0) << "a tap on the ring";
    ASSERT_TRUE(driver.tapAt(CGPointMake(100, 100)));
    EXPECT_EQ(selections, 1) << "a tap on the dot";
    NSNotificationCenter::defaultCenter()->removeObserver(token.get());
}
