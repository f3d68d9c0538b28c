// The one description of what the map view shows, and every conversion
// between screen pixels and engine map units. Map units: one unit is one
// pixel at level 18, x grows east, y grows north; a tile is 256 pixels.
// Only the main thread reads or writes the view state.
#pragma once

#include "engine/base/VTypes.h"

namespace mapengine {

struct tagMapViewState {
  _VRect rcVisible;        // the map under the screen (top > bottom)
  int nLevel = 0;          // 3..18 after any level change
  _VRect rcImage;          // the map held by the back-buffer image
  _VSize szScreen;         // pixels
  _VRect rcWindow;         // the view's window, pixels
  _VPoint ptCenter;        // map units
  _VPoint ptPixelOffset;   // the screen's top-left corner inside the image
  int nScale = 0;          // map units per pixel, 2^(18 - level)
  int nTileX = 0;          // tile index of the left column
  int nTileY = 0;          // tile index of the top row
  _VPoint ptRangeLB;       // tile range of the image: left, bottom
  _VPoint ptRangeRT;       // right, top
  int nReqMinX = 0;        // tile range last requested by the tile layer
  int nReqMaxX = 0;
  int nReqMinY = 0;
  int nReqMaxY = 0;
};

// The engine's view state.
tagMapViewState& GetMapViewState();

// a / d truncated toward zero, minus 1 when a is negative (so an exact
// negative multiple gives one less than the true quotient).
int DownBiasedDiv(long long a, long long d);

// Clamps the level to 3..18 and sets the scale that follows.
void SetViewLevel(tagMapViewState& view, int level);
// Clamps the centre and recomputes the visible rectangle, the tile index,
// the tile range and the image rectangle for the controller's tile columns
// and rows. Returns the view state.
tagMapViewState& UpdateViewTransform(tagMapViewState& view, int cols, int rows);
// Recomputes the pixel offset; nothing while the scale is 0.
void UpdateViewPixelOrigin(tagMapViewState& view);
void UpdateViewPixelOrigin();
// Nonzero when the tiles under the screen reach outside the requested range.
int IsViewOutsideTileRange(const tagMapViewState& view);
int IsViewOutsideTileRange();

_VPoint ScreenToMap(const tagMapViewState& view, int sx, int sy);
_VPoint MapToScreen(const tagMapViewState& view, int mx, int my);
_VPoint MapToScreenD(const tagMapViewState& view, double x, double y);
_VPoint MapHundredthsToScreen(const tagMapViewState& view, int x, int y);
// 2^(18 - level) of the engine's view.
int GetMapScale();

}  // namespace mapengine
