#include "engine/render/MapFacade.h"

#include <atomic>
#include <climits>
#include <new>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "engine/render/VWnd.h"

namespace mapengine {

namespace {

std::atomic<MapControlDestroyHook> g_destroyHook{nullptr};

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

CMapControl* MapCreateControl(void* place) { return place ? new (place) CMapControl : nullptr; }

void SetMapControlDestroyHook(MapControlDestroyHook hook) { g_destroyHook.store(hook); }

void MapDestroyControl(CMapControl* control) {
  if (control) {
    if (MapControlDestroyHook hook = g_destroyHook.load()) {
      hook(control);
    }
    control->~CMapControl();
  }
}

int MapPaint(CMapControl* control, CVDC* target) { return control ? control->Paint(target) : 0; }

_VPoint MapGetCenter(const CMapControl* control) { return control ? GetMapViewState().ptCenter : _VPoint{}; }

int MapSetZoomLevel(CMapControl* control, int level, int animate, int notify) {
  return control ? control->SetLevel(level, 1, animate, notify) : 0;
}

int MapSetCenter(CMapControl* control, int x, int y, int animate, int update, int notify) {
  return control ? control->MoveTo(x, y, animate, update, notify) : 0;
}

int MapZoomToRect(CMapControl* control, int left, int top, int right, int bottom) {
  return control ? control->ZoomToRect(left, top, right, bottom) : 0;
}

int MapShowLayer(CMapControl* control, int kind, int flag) { return control ? control->ShowLayer(kind, flag) : 0; }

int MapRemoveAllLayers(CMapControl* control) { return control ? control->RemoveAllLayers() : 0; }

namespace {

// The window's client origin: taps come in window coordinates.
_VPoint ClientOrigin() {
  CVGlobalMan* man = GetGlobalMan();
  auto* wnd = man ? static_cast<CVWnd*>(man->GetSlot(kSlotWnd)) : nullptr;
  _VRect client;
  if (wnd) {
    wnd->GetClientRect(&client);
  }
  return _VPoint{client.left, client.top};
}

}  // namespace

int MapTouchDown(CMapControl* control, int x, int y) {
  const _VPoint origin = ClientOrigin();
  return control ? control->TouchDown(x - origin.x, y - origin.y) : 0;
}

int MapTouchUp(CMapControl* control, int x, int y) {
  const _VPoint origin = ClientOrigin();
  return control ? control->TouchUp(x - origin.x, y - origin.y) : 0;
}

int MapOnMessage(CMapControl* control, int message, int wParam, int lParam) {
  if (!control) {
    return -1;
  }
  switch (message) {
    case kMsgHttpPartial:
    case kMsgHttpComplete:
      control->OnTileReply(wParam, lParam, message);
      break;
    case kMsgHttpConnectFailed:
    case kMsgHttpSendFailed:
    case kMsgHttpReceiveFailed:
    case kMsgHttpBadReply:
      // A bad reply ends the request like a failed one: otherwise the busy
      // flag would stay set and no tile would be asked for again.
      control->OnTileFailure(wParam, control->IsPressPending());
      break;
    case kMsgHttpAskAgain:
      control->OnTileRedirect(wParam, lParam);
      break;
    case kMsgFlingStep:
      control->OnFlingStep();
      break;
    case kMsgPanStep:
      control->OnPanStep();
      break;
    case kMsgPoiBackgroundData:
      if (lParam != 0) {
        control->OnPoiBkgFailed();
      } else {
        control->UpdatePoiBkgLayer();
      }
      break;
    default:
      break;
  }
  return -1;
}

}  // namespace mapengine
