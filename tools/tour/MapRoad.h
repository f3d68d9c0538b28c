#pragma once
// What a user meets around the phone's location map, for the tour's steps
// and the soak: the engine asking the map doubles, the map opened from the
// phone's home page, its pins, and the map let settle.

#include <memory>

#include "tools/tour/Tour.h"

class MapController;
class MapPointAnnotion;

namespace mapdouble {
class LocationService;
class MapDouble;
}  // namespace mapdouble

namespace tour {

// The engine, started by the application, asks these doubles from here on;
// Failure when the application started no engine.
void useMapDoubles(const mapdouble::MapDouble& maps, const mapdouble::LocationService& locations);
// Lets the workers answer, the tiles come and the messages fade. `quiet` is
// the real time the run loop is given for answers between the clock's steps.
void settle(Tour& tour, NSTimeInterval quiet = 0.3);
// The map's pin with the tag, if it shows one.
std::shared_ptr<MapPointAnnotion> pinTagged(MapController* map, int tag);
// Taps the location button of the phone's home page on screen and waits for
// the location map with the phone's latest position.
MapController* openLocationMap(Tour& tour, NSTimeInterval quiet = 0.3);

}  // namespace tour
