#include "tools/tour/MapRoad.h"

#include <arpa/inet.h>

#include "engine/root/EngineRoot.h"
#include "engine/render/MapControl.h"
#include "phone/MapController.h"
#include "phone/PhoneHomeViewCtrl.h"
#include "platform/foundation/NSThread.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"
#include "tools/tour/TabSet.h"

namespace tour {

void useMapDoubles(const mapdouble::MapDouble& maps, const mapdouble::LocationService& locations)
{
    mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
    if (!root) throw Failure("no map engine");
    root->m_hostAddrCache.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(maps.port()));
    root->m_hostAddrCache.SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(locations.port()));
}

void settle(Tour& tour, NSTimeInterval quiet)
{
    NSThread::joinDetachedThreads(10);
    tour.driver.pumpUntil([] { return false; }, quiet);
    tour.waitFor([] {
        mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
        return !root || !root->m_pMapControl || !mapengine::IsTileRequestBusy(&root->m_pMapControl->GetDownloader());
    }, "the map's tiles");
    tour.driver.advanceClock(0.5);
    tour.driver.pumpUntil([] { return false; }, quiet);
    tour.driver.advanceClock(2.5);
    tour.driver.pumpUntil([] { return false; }, quiet);
    tour.driver.advanceClock(1.0);
}

std::shared_ptr<MapPointAnnotion> pinTagged(MapController* map, int tag)
{
    for (const auto& a : map->_mapView->annotations())
        if (auto pin = std::dynamic_pointer_cast<MapPointAnnotion>(a); pin && pin->tag() == tag) return pin;
    return nullptr;
}

MapController* openLocationMap(Tour& tour, NSTimeInterval quiet)
{
    auto* home = screen<PhoneHomeViewCtrl>(tour, "phone home page");
    if (!tour.driver.tap(home->scrollView()->viewWithTag(PhoneHomeViewCtrl::kLocationButtonTag)))
        throw Failure("the location button cannot be tapped");
    settle(tour, quiet);
    auto* map = screen<MapController>(tour, "location map");
    tour.waitFor([&] { return pinTagged(map, MapController::kLatestPinTag) != nullptr; }, "the phone's latest position");
    settle(tour, quiet);
    return map;
}

}  // namespace tour
