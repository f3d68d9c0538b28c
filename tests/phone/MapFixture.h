#pragma once
// The world of the location map tests: the phone screens' world
// (PhoneFixture.h) on a fixed evening, 2026-12-10 21:30 UTC, with the demo
// phone's day of positions on the service double, the engine's hosts on the
// map-service and location doubles, and the own position from scripted fixes.

#include <arpa/inet.h>
#include <cairo.h>

#include "engine/root/EngineRoot.h"
#include "engine/data/GpsProviders.h"
#include "engine/render/MapControl.h"
#include "mapsdk/VIZMapViewInternal.h"
#include "phone/MapController.h"
#include "platform/corelocation/CoreLocation.h"
#include "platform/foundation/NSClock.h"
#include "tests/phone/PhoneFixture.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"

namespace phonetest {

inline constexpr NSTimeInterval kEvening = 1796938200;  // 2026-12-10 21:30:00 UTC
inline const char* const kDay = "2026-12-10";

class MapTest : public PhoneTest {
protected:
    explicit MapTest(bool realTexts = false) : PhoneTest(realTexts)
    {
        NSClock::useVirtualClock(kEvening);
        records.setNow("2026-12-10 21:30:00");
        records.setPositions(kPhone, servicedouble::PhoneRecords::demoDay(kDay));
        CLLocationSetProvider(fixes);
    }
    ~MapTest() override
    {
        // The GPS bridge is the process's: the next test starts without this one's fixes.
        IphoneGPSMan::getInstance()->unInitialize();
        IphoneGPSMan::destroyInstance();
        CLLocationSetProvider(nullptr);
    }

    // Logs in, chooses the phone and opens the map from its home page; the
    // screen once its latest position is asked for and answered.
    MapController* openMap()
    {
        PhoneHomeViewCtrl* home = openPhone();
        if (!home) return nullptr;
        useMapDoubles();
        driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kLocationButtonTag));
        settleMap();
        return screen<MapController>();
    }
    // The engine, started by the application, asks the doubles.
    void useMapDoubles()
    {
        mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
        ASSERT_NE(root, nullptr);
        root->m_hostAddrCache.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(maps.port()));
        root->m_hostAddrCache.SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(locations.port()));
    }

    // Lets the workers answer, the tiles come and the map repaint.
    void settleMap()
    {
        settle();
        driver.pumpUntil([] {
            mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
            return !root || !root->m_pMapControl || !mapengine::IsTileRequestBusy(&root->m_pMapControl->GetDownloader());
        }, 20);
        driver.advanceClock(1);
        driver.pumpUntil([] { return false; }, 0.05);
        if (auto* map = screen<MapController>()) {
            EXPECT_TRUE(mapAtRest(map->_mapView.get()));
        }
    }
    // Pumps until the engine has repainted what the map shows after the last
    // move, at rest (no gesture in the scroll view), as the snapshots need:
    // the shown image holds still over a tenth of a second.
    bool mapAtRest(VIZMapView* mapView)
    {
        VIZMapViewInternal* internal = mapView->internal();
        std::vector<uint32_t> last = shownMap(mapView);
        return driver.pumpUntil([&] {
            driver.pumpUntil([] { return false; }, 0.1);
            std::vector<uint32_t> now = shownMap(mapView);
            const bool still = !now.empty() && now == last && internal->m_scrollView->zoomScale() == 1;
            last = std::move(now);
            return still;
        }, 20);
    }

    // The pixels of the map image the view shows.
    static std::vector<uint32_t> shownMap(VIZMapView* mapView)
    {
        CGImageRef image = mapView->internal()->m_mapView->getMapImage();
        if (!image) return {};
        const auto* bits = reinterpret_cast<const uint32_t*>(cairo_image_surface_get_data(image->surface()));
        return std::vector<uint32_t>(bits, bits + CGImageGetWidth(image) * CGImageGetHeight(image));
    }
    // After a change that repaints the whole map (its type): the repaint has
    // begun before the map is let settle, since a map holding still on a busy
    // machine may be the old one not yet repainted.
    void settleMapChangedFrom(const std::vector<uint32_t>& before, VIZMapView* mapView)
    {
        EXPECT_TRUE(driver.pumpUntil([&] { return shownMap(mapView) != before; }, 20));
        settleMap();
    }

    mapdouble::MapDouble maps;
    mapdouble::LocationService locations;
    std::shared_ptr<CLScriptedLocationProvider> fixes = std::make_shared<CLScriptedLocationProvider>();
};

}  // namespace phonetest
