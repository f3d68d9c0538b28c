// The flat functions through which the rest of the engine and the SDK reach
// the map view: thin forwards to the map-view controller and reads of the
// view state. All of them run on the main thread.
#pragma once

#include "engine/base/VTypes.h"

namespace mapengine {

class CMapControl;

// The view state's zoom level; 0 without a map view.
int MapGetZoomLevel(const CMapControl* control);
// Writes the view's request rectangle (the visible map) in hundredths of map
// units, as left, bottom, right, top; values past the int range saturate.
// Without a map view all four are 0. Returns bounds.
int* MapGetRequestBounds(int bounds[4]);

}  // namespace mapengine
