// A map view on the real engine, as an application makes it: the manager
// booted and started in a private home on a 320 x 480 screen, the
// map-service and location doubles on 127.0.0.1, a map view 320 x 416 in the
// driver's window. Engine messages reach the main thread through the SDK's
// dispatcher while the test pumps the run loop.
#pragma once

#include <arpa/inet.h>
#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include "engine/base/VGlobalMan.h"
#include "engine/root/EngineRoot.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "mapsdk/VIZMapManager.h"
#include "mapsdk/VIZMapView.h"
#include "mapsdk/VIZMapViewInternal.h"
#include "platform/foundation/NSNotificationCenter.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/testing/TempFolder.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"
#include "tools/map-double/TilePattern.h"

class MapViewFixture : public ::testing::Test {
protected:
    static constexpr int kWidth = 320;
    static constexpr int kHeight = 416;

    void SetUp() override
    {
        setenv("NX_APP_HOME", home.c_str(), 1);
        NSUserDefaults::resetStandardUserDefaults();
        auto defaults = NSUserDefaults::standardUserDefaults();
        defaults->setInteger(320, mapengine::kScreenWidthKey);
        defaults->setInteger(480, mapengine::kScreenHeightKey);
        paints = NSNotificationCenter::defaultCenter()->addObserverForName(
            mapengine::kMainMapPaintNotification, nullptr, [this](const auto&) { ++paintCount; });
        ASSERT_NO_FATAL_FAILURE(Boot());
    }

    void TearDown() override
    {
        mapView.reset();
        manager.reset();
        NSNotificationCenter::defaultCenter()->removeObserver(paints.get());
        EXPECT_EQ(mapengine::GetGlobalMan(), nullptr);
        EXPECT_TRUE(NSThread::joinDetachedThreads(10.0));
        service.reset();
        NSUserDefaults::resetStandardUserDefaults();
        unsetenv("NX_APP_HOME");
    }

    // The manager as the application delegate makes it, with the engine's
    // hosts on the doubles.
    void Boot()
    {
        manager = VIZMapManager::init();
        ASSERT_NE(manager, nullptr);
        mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
        ASSERT_NE(root, nullptr);
        root->m_hostAddrCache.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(service->port()));
        root->m_hostAddrCache.SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(location.port()));
        ASSERT_TRUE(manager->start("", nullptr));
    }

    // A map view in the window, shown once its tiles are painted.
    void ShowMap()
    {
        mapView = VIZMapView::initWithFrame(CGRectMake(0, 0, kWidth, kHeight));
        ASSERT_NE(mapView, nullptr);
        driver.window()->addSubview(mapView);
        ASSERT_TRUE(PumpUntilPainted());
    }

    mapengine::CMapControl* control() const { return mapengine::GetEngineRoot()->m_pMapControl; }
    const mapengine::tagMapViewState& state() const { return mapengine::GetMapViewState(); }
    VIZMapViewInternal* internal() const { return mapView->internal(); }
    UIScrollView* scrollView() const { return internal()->m_scrollView.get(); }

    // The double's tiles under the view, as the engine must show them.
    std::vector<uint32_t> ExpectedPixels() const
    {
        const auto& view = state();
        const long long left = view.ptCenter.x - static_cast<long long>(kWidth / 2) * view.nScale;
        const long long top = view.ptCenter.y + static_cast<long long>(kHeight / 2) * view.nScale;
        return mapdouble::stitchPattern(mapdouble::TileKind::Map, view.nLevel, left, top, kWidth, kHeight);
    }
    std::vector<uint32_t> ShownPixels() const
    {
        CGImageRef image = internal()->m_mapView->getMapImage();
        if (!image || CGImageGetWidth(image) != kWidth || CGImageGetHeight(image) != kHeight) return {};
        const auto* bits = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image->surface()));
        return std::vector<uint32_t>(bits, bits + kWidth * kHeight);
    }
    // Pumps until the view shows the double's tiles for the engine's view
    // and rests (content in the middle cell at scale 1).
    bool PumpUntilPainted()
    {
        return driver.pumpUntil(
            [&] {
                return scrollView()->zoomScale() == 1 &&
                       scrollView()->contentOffset() == CGPointMake(2 * kWidth, 2 * kHeight) &&
                       !mapengine::IsTileRequestBusy(&control()->GetDownloader()) && ShownPixels() == ExpectedPixels();
            },
            20);
    }

    NXUITestDriver driver;
    TempFolder folder;
    std::string home = folder.path().str();
    std::unique_ptr<mapdouble::MapDouble> service = std::make_unique<mapdouble::MapDouble>();
    mapdouble::LocationService location;
    std::shared_ptr<VIZMapManager> manager;
    std::shared_ptr<VIZMapView> mapView;
    id paints;
    int paintCount = 0;
};
