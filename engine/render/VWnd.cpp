#include "engine/render/VWnd.h"

#include "engine/base/VGlobalMan.h"
#include "engine/base/EngineHost.h"

namespace mapengine {

int CVWnd::Attach(void* view) {
  if (!view) {
    return 0;
  }
  m_hView = view;
  if (!m_dc.IsValid()) {
    m_dc.CreateDC();
  }
  return 1;
}

void CVWnd::GetClientRect(_VRect* rect) const {
  if (!m_hView || !rect || !m_dc.IsValid()) {
    return;
  }
  const tagBitmapObj* b = m_dc.GetHandle()->bitmap;
  rect->SetRect(0, 0, b->width, b->height);
}

int CVWnd::SetWindowPos(int x, int y, const _VSize& size) {
  if (!m_hView || size.cx <= 0 || size.cy <= 0 || size.cx > kMaxWindowPixels || size.cy > kMaxWindowPixels) {
    return 0;
  }
  CVGlobalMan* man = GetGlobalMan();
  int bits = man ? static_cast<int>(man->GetSlotInt(kSlotBitsPerPixel)) : 32;
  // The bitmap, the large allocation, is made first so that a shortage
  // leaves the window as it was.
  tagBitmapObj* bitmap = bitmap_create(size.cx, size.cy, bits, nullptr);
  if (!bitmap) {
    return 0;
  }
  m_dc.DeleteDC();
  if (!m_dc.CreateDC()) {
    bitmap_free(bitmap);
    return 0;
  }
  // The context's own 1 x 1 bitmap goes when replaced; the new one is then
  // held by the context alone.
  dc_select_bitmap(m_dc.GetHandle(), bitmap);
  bitmap_free(bitmap);
  m_x = x;
  m_y = y;
  return 1;
}

int CVWnd::Invalidate() {
  if (!m_hView) {
    return 0;
  }
  if (EngineHost* host = GetEngineHost()) {
    host->MapImageChanged();
  }
  return 1;
}

}  // namespace mapengine
