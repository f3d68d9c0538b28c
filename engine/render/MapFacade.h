// The flat functions through which the rest of the engine and the SDK reach
// the map view: thin forwards to the map-view controller and reads of the
// view state. All of them run on the main thread.
#pragma once

#include "engine/base/VTypes.h"

namespace mapengine {

class CMapControl;
class CVDC;

// Constructs the map control in the place given (from the engine allocator
// or anywhere else); MapDestroyControl runs its destructor there.
CMapControl* MapCreateControl(void* place);
void MapDestroyControl(CMapControl* control);
// Called by MapDestroyControl before the destructor runs, so that whoever
// routes messages to the control (the engine root) forgets it first.
using MapControlDestroyHook = void (*)(CMapControl* control);
void SetMapControlDestroyHook(MapControlDestroyHook hook);
int MapPaint(CMapControl* control, CVDC* target);
_VPoint MapGetCenter(const CMapControl* control);
// SetLevel with update 1 and the two values as animate and notify.
int MapSetZoomLevel(CMapControl* control, int level, int animate, int notify);
int MapSetCenter(CMapControl* control, int x, int y, int animate, int update, int notify);
int MapZoomToRect(CMapControl* control, int left, int top, int right, int bottom);
int MapShowLayer(CMapControl* control, int kind, int flag);
int MapRemoveAllLayers(CMapControl* control);
// A finger down and up at a point of the screen window (its client origin
// taken off). Down: 0 when an overlay item lies there (a tap on it; nothing
// changes), else 1 with the press recorded. Up: completes the press (the map
// moves by the way from down to up, and flings on when it is long); 0
// without a pending press.
int MapTouchDown(CMapControl* control, int x, int y);
int MapTouchUp(CMapControl* control, int x, int y);
// The map control's share of the engine messages: tile download progress
// and completion (1002, 1003), failures and bad replies (1004 to 1007),
// a download redirected (1120, asked again where it points), fling and pan steps (8008, 8009), and the
// POI background data (8010; with an error in lParam, the request failed).
// -1.
int MapOnMessage(CMapControl* control, int message, int wParam, int lParam);

// The view state's zoom level; 0 without a map view.
int MapGetZoomLevel(const CMapControl* control);
// Writes the view's request rectangle (the visible map) in hundredths of map
// units, as left, bottom, right, top; values past the int range saturate.
// Without a map view all four are 0. Returns bounds.
int* MapGetRequestBounds(int bounds[4]);

}  // namespace mapengine
