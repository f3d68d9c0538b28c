#include "engine/render/MapFacade.h"

#include <climits>

#include "engine/render/MapView.h"

namespace mapengine {

namespace {

int Hundredths(int units) {
  long long value = static_cast<long long>(units) * 100;
  return value > INT_MAX ? INT_MAX : value < INT_MIN ? INT_MIN : static_cast<int>(value);
}

}  // namespace

int MapGetZoomLevel(const CMapControl* control) { return control ? GetMapViewState().nLevel : 0; }

int* MapGetRequestBounds(int bounds[4]) {
  const _VRect& rect = GetMapViewState().rcVisible;
  bounds[0] = Hundredths(rect.left);
  bounds[1] = Hundredths(rect.bottom);
  bounds[2] = Hundredths(rect.right);
  bounds[3] = Hundredths(rect.top);
  return bounds;
}

}  // namespace mapengine
