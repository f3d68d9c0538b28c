// Helpers shared by the renderer tests: a context with a bitmap of a given
// size, its pen and brush, and pixel access.
#pragma once

#include <cstdint>
#include <memory>

#include "engine/render/RasterObjects.h"

namespace rastertest {

struct DcDeleter {
  void operator()(mapengine::tagDCObj* dc) const { mapengine::dc_destroy(dc); }
};
using DcPtr = std::unique_ptr<mapengine::tagDCObj, DcDeleter>;

// A context drawing into a fresh zeroed w x h bitmap filled with colour.
inline DcPtr makeDc(int w, int h, uint32_t fill = 0xFF000000) {
  DcPtr dc(mapengine::dc_create());
  mapengine::tagBitmapObj* b = mapengine::bitmap_create(w, h, 32, nullptr);
  mapengine::bitmap_free(mapengine::dc_select_bitmap(dc.get(), b));
  mapengine::bitmap_free(b);  // the context is now its only holder
  mapengine::dc_fill_rect(dc.get(), 0, 0, w, h, fill);
  return dc;
}

// Selects a new pen or brush into the context, which is then its only holder.
inline void usePen(mapengine::tagDCObj* dc, int width, uint32_t colour, int style = mapengine::kPenSolid) {
  mapengine::tagPenObj* pen = mapengine::pen_create(width, colour, style);
  mapengine::dc_select_pen(dc, pen);
  mapengine::pen_free(pen);
}
inline void useBrush(mapengine::tagDCObj* dc, uint32_t colour, int style = mapengine::kBrushSolid) {
  mapengine::tagBrushObj* brush = mapengine::brush_create(colour, style);
  mapengine::dc_select_brush(dc, brush);
  mapengine::brush_free(brush);
}

inline uint32_t& px(mapengine::tagBitmapObj* b, int x, int y) {
  return reinterpret_cast<uint32_t*>(b->pixels + static_cast<size_t>(y) * b->stride)[x];
}
inline uint32_t& px(mapengine::tagDCObj* dc, int x, int y) { return px(dc->bitmap, x, y); }

}  // namespace rastertest
