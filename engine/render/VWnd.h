// The engine's screen window: the drawing context the map is painted into,
// sized to the SDK's map view, and the repaint request sent to that view.
#pragma once

#include "engine/base/VTypes.h"
#include "engine/render/VDraw.h"

namespace mapengine {

// The widest and tallest window in pixels: each tile slot of the map is sized
// from the window, so a larger one would cost memory without bound.
inline constexpr int kMaxWindowPixels = 2048;

// Posted to the default notification centre (no object, no user info) when
// the window asks its view to repaint.
inline constexpr const char* kMainMapPaintNotification = "NotificationMainMapPaint";

class CVWnd {
public:
  CVWnd() = default;
  virtual ~CVWnd() = default;
  CVWnd(const CVWnd&) = delete;
  CVWnd& operator=(const CVWnd&) = delete;

  // Stores the view handle and creates the context; 0 for a null handle.
  int Attach(void* view);
  CVDC& GetDC() { return m_dc; }
  // (0, 0, width, height) of the selected bitmap; nothing without a view or
  // a rectangle.
  void GetClientRect(_VRect* rect) const;
  // Re-creates the context with a new bitmap of the size (the screen depth of
  // the global manager). 0, with nothing changed, without a view, for a size
  // not within 1..kMaxWindowPixels or when memory is short.
  int SetWindowPos(int x, int y, const _VSize& size);
  // Posts the repaint notification; 0 without a view.
  int Invalidate();

  void* m_hView = nullptr;
  CVDC m_dc;
  int m_x = 0;
  int m_y = 0;
};

}  // namespace mapengine
