// The tour's stops on the location map: opened from the phone's home page on
// the phone's latest position with its callout, the day picker, the day's
// places with the time list, a time chosen, the list of places, the parent's
// own position from a scripted fix and the satellite map; and the PC tab
// set's map tab. The map engine's hosts are the map-service and location
// doubles on 127.0.0.1.

#include "app/AppText.h"
#include "engine/data/GpsProviders.h"
#include "pc/HomeViewCtrl.h"
#include "mapsdk/Paopao.h"
#include "mapsdk/VIZAnnotationView.h"
#include "phone/MapController.h"
#include "phone/PhoneHomeViewCtrl.h"
#include "platform/corelocation/CoreLocation.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"
#include "tools/tour/MapRoad.h"
#include "tools/tour/TabSet.h"

namespace {

// The engine, started by the application, asks the doubles from here on.
void useMapDoubles()
{
    static mapdouble::MapDouble maps;
    static mapdouble::LocationService locations;
    tour::useMapDoubles(maps, locations);
}

using tour::pinTagged;
using tour::settle;

UIButton* timeButton(MapController* map, const char* time)
{
    for (const auto& v : map->_scroll->subviews())
        if (auto* b = dynamic_cast<UIButton*>(v.get()); b && b->titleForState(UIControlStateNormal) == NSString(time)) return b;
    return nullptr;
}

void openLocationPanel(tour::Tour& tour, MapController* map)
{
    if (!map->_verPanelLoc->isPopup()) map->location();
    tour.driver.advanceClock(0.5);
}

}  // namespace

// A fix of the parent's phone in central Beijing from the scripted provider
// the location managers use, once positioning runs.
void deliverFix(tour::Tour& tour)
{
    tour.waitFor([] { return IphoneGPSMan::getInstance()->locationManager() != nullptr; }, "positioning");
    auto fixes = std::dynamic_pointer_cast<CLScriptedLocationProvider>(CLLocationCopyProvider());
    if (!fixes) throw tour::Failure("no scripted positions");
    fixes->deliver(CLLocationCoordinate2DMake(39.9087, 116.3975), 65);
}

NX_TOUR_STEP(270, "PC map tab")
{
    useMapDoubles();
    tour::selectTab<PCMapController>(tour);
    auto* map = tour::screen<PCMapController>(tour, "PC map tab");
    deliverFix(tour);
    tour.waitFor([&] { return pinTagged(map, 0) != nullptr; }, "the own position's address");
    settle(tour);
    tour.stop("pc-map", "The PC tab set's map tab: the parent's own position");
    tour::selectTab<HomeViewCtrl>(tour);
}

NX_TOUR_STEP(460, "location map")
{
    useMapDoubles();
    auto* nav = static_cast<UINavigationController*>(tour::tabBar()->viewControllers().front().get());
    nav->popToRootViewControllerAnimated(false);
    tour::selectTab<PhoneHomeViewCtrl>(tour);
    settle(tour);
    auto* map = tour::openLocationMap(tour);
    tour.stop("map-latest", "The phone's latest position, a purple pin");
    auto latest = pinTagged(map, MapController::kLatestPinTag);
    if (!tour.driver.tap(tour.require(map->_mapView->viewForAnnotation(latest).get(), "the latest position's pin")))
        throw tour::Failure("the latest position's pin cannot be tapped");
    auto callout = [&]() -> PaopaoBaseView* {
        auto pin = map->_mapView->viewForAnnotation(latest);
        return pin ? dynamic_cast<PaopaoBaseView*>(pin->paopaoView().get()) : nullptr;
    };
    tour.require(callout(), "callout after the pin's tap");
    tour.driver.advanceClock(1);
    tour.stop("map-callout", "Its address in the callout");
    auto* bubble = tour.require(callout(), "callout a second after the pin's tap");
    tour.driver.tap(bubble->paopaoButton());
    tour.driver.advanceClock(0.5);
    tour.stop("map-callout-pressed", "The callout pressed: it closes, its pin handed to the screen");

    tour.driver.advanceClock(2);
    openLocationPanel(tour, map);
    tour.driver.tap(map->btnDeshistory.get());
    tour.driver.advanceClock(1);
    auto* picker = tour.require(map->pickerView(), "day picker");
    tour.stop("map-day-picker", "Choosing a day");
    tour.driver.tap(tour.require(tour.driver.find<UIButton>([&](UIButton& b) {
        return b.isDescendantOfView(picker) && b.titleForState(UIControlStateNormal) == localized("mapdatepickerview_ok");
    }), "the day picker's OK"));
    settle(tour);
    map->timeClicked(nullptr);
    tour.driver.advanceClock(0.5);
    tour.stop("map-day-places", "The day's places as green pins, its times in the list");
    if (UIButton* noon = timeButton(map, "12:00")) {
        tour.driver.tap(noon);
        settle(tour);
        tour.stop("map-time", "A time chosen: its place red and centred");
    }
    map->posClicked(nullptr);
    settle(tour);
    if (auto* list = dynamic_cast<PosSelectViewController*>(map->navigationController()->modalViewController().get())) {
        tour.stop("map-places", "The day's places as a list");
        list->_table->tapRow(NSIndexPath::indexPathForRow(0, 0));
        settle(tour);
    }

    openLocationPanel(tour, map);
    tour.driver.tap(map->btnMyLoc.get());
    deliverFix(tour);
    tour.waitFor([&] { return pinTagged(map, 0) != nullptr; }, "the own position's address");
    settle(tour);
    tour.stop("map-own", "The parent's own position, reverse-geocoded, a red pin");
    map->optionClicked(nullptr);
    tour.driver.advanceClock(0.5);
    tour.driver.tap(map->btnMapMode.get());
    settle(tour);
    tour.stop("map-satellite", "The satellite map");
    map->goBack();
    settle(tour);
}
