#include "engine/render/VDraw.h"

#include <cstring>

#include "engine/base/VFile.h"
#include "engine/base/VMem.h"
#include "engine/render/ImageDecode.h"
#include "engine/render/Rasteriser.h"

namespace mapengine {

namespace {

constexpr unsigned kBmpFileHeader = 14;

// Reads a whole file into an engine block (freed by the caller); null when it
// cannot be opened or read whole, or is empty.
uint8_t* read_file(const CVString& path, unsigned skip, unsigned* length, uint8_t* lead, unsigned leadBytes) {
  CVFile file;
  if (!file.Open(path, kVFileRead)) {
    return nullptr;
  }
  int total = file.GetLength();
  if (total <= 0 || static_cast<unsigned>(total) <= skip || static_cast<unsigned>(total) < leadBytes) {
    return nullptr;
  }
  unsigned n = static_cast<unsigned>(total) - skip;
  auto* block = static_cast<uint8_t*>(CVMem::Allocate(n));
  if (!block) {
    return nullptr;
  }
  bool ok = (leadBytes == 0 || file.Read(lead, leadBytes) == leadBytes) &&
            file.Seek(static_cast<int>(skip), 0) == static_cast<int>(skip) && file.Read(block, n) == n;
  if (!ok) {
    CVMem::Deallocate(block);
    return nullptr;
  }
  *length = n;
  return block;
}

}  // namespace

int CVPen::CreatePen(int style, int width, uint32_t color) {
  ReleaseRecord();
  return Hold(pen_create(width, color, style));
}

int CVBrush::CreateSolidBrush(uint32_t color) {
  ReleaseRecord();
  return Hold(brush_create(color, kBrushSolid));
}

int CVFont::CreateFont(int height, int width, int, int, int, int, int, int, int, int, int, int, int,
                       const unsigned short* faceName) {
  if (m_handle || !faceName) {
    return 0;
  }
  return Hold(font_create(height, width, faceName));
}

int CVBitmap::CreateBitmap(int width, int height, int, int bitsPerPixel, const void* pixels) {
  return m_handle ? 0 : Hold(bitmap_create(width, height, bitsPerPixel, pixels));
}

int CVBitmap::CreateWithSize(const _VSize& size) {
  return m_handle ? 0 : Hold(bitmap_create(size.cx, size.cy, 32, nullptr));
}

_VSize CVBitmap::GetSize() const {
  if (!m_handle) {
    return {};
  }
  return {m_handle->header->biWidth, m_handle->header->biHeight};
}

int CVBitmap::LoadPNGFile(const CVString& path) {
  if (m_handle) {
    return 0;
  }
  unsigned length = 0;
  uint8_t* block = read_file(path, 0, &length, nullptr, 0);
  if (!block) {
    return 0;
  }
  size_t size = 0;
  int result = Hold(bitmap_create_from_png(block, length, &size));
  CVMem::Deallocate(block);
  return result;
}

int CVBitmap::LoadBMPFile(const CVString& path) {
  if (m_handle) {
    return 0;
  }
  unsigned length = 0;
  uint8_t magic[2] = {0, 0};
  uint8_t* block = read_file(path, kBmpFileHeader, &length, magic, 2);
  if (!block) {
    return 0;
  }
  // The bit count sits 14 bytes into the info header.
  bool accepted = length >= sizeof(tagBitmapInfoHeader);
  if (accepted && magic[0] == 0x42) {
    uint16_t bitCount;
    std::memcpy(&bitCount, block + 14, 2);
    if (magic[1] == 0x4D) {
      accepted = bitCount == 32;
    } else if (magic[1] == 0x45) {
      accepted = (bitCount >> 8) != 0;
    }
  }
  int result = accepted ? Hold(bitmap_create_from_bmp(block, length)) : 0;
  CVMem::Deallocate(block);
  return result;
}

int CVDC::CreateDC() {
  if (m_handle) {
    return 0;
  }
  m_handle = dc_create();
  m_owns = 1;
  return m_handle ? 1 : 0;
}

int CVDC::DeleteDC() {
  if (!m_handle) {
    return 1;
  }
  tagDCObj* dc = m_handle;
  m_handle = nullptr;
  if (!m_owns) {
    m_owns = 1;
    return 0;
  }
  dc_destroy(dc);
  return 1;
}

int CVDC::Attach(tagDCObj* dc) {
  if (!dc || m_handle) {
    return 0;
  }
  m_handle = dc;
  m_owns = 0;
  return 1;
}

tagBitmapObj* CVDC::SelectBitmap(CVBitmap* bitmap) {
  return bitmap ? dc_select_bitmap(m_handle, bitmap->GetHandle()) : nullptr;
}

tagPenObj* CVDC::SelectPen(CVPen* pen) { return pen ? dc_select_pen(m_handle, pen->GetHandle()) : nullptr; }

tagBrushObj* CVDC::SelectBrush(CVBrush* brush) {
  return brush ? dc_select_brush(m_handle, brush->GetHandle()) : nullptr;
}

tagFontObj* CVDC::SelectFont(CVFont* font) { return font ? dc_select_font(m_handle, font->GetHandle()) : nullptr; }

int CVDC::LineTo(int x, int y) { return dc_line_to(m_handle, x, y); }

int CVDC::Polyline(const _VPoint* points, int count, int opacity) {
  return dc_polyline(m_handle, points, count, opacity);
}

int CVDC::Polygon(const _VPoint* points, int count, int opacity) {
  return dc_polygon(m_handle, points, count, opacity);
}

int CVDC::Ellipse(int left, int top, int right, int bottom, int opacity) {
  return dc_ellipse(m_handle, left, top, right, bottom, opacity);
}

int CVDC::FillSolidRect(const _VRect& rect, uint32_t color) {
  uint32_t previous = dc_set_bk_color(m_handle, color);
  int result = dc_fill_rect(m_handle, rect.left, rect.top, rect.right, rect.bottom, color);
  dc_set_bk_color(m_handle, previous);
  return result;
}

int CVDC::BitBltFromBitmap(int x, int y, int width, int height, const tagBitmapObj* bitmap, int sx, int sy,
                           uint32_t rop) {
  return dc_bit_blt(m_handle, x, y, width, height, bitmap, sx, sy, rop);
}

int CVDC::BitBltFromDC(int x, int y, int width, int height, const CVDC& source, int sx, int sy, uint32_t rop) {
  return dc_bit_blt_dc(m_handle, x, y, width, height, source.m_handle, sx, sy, rop);
}

int CVDC::StretchBltFromBitmap(int x, int y, int width, int height, const tagBitmapObj* bitmap, int sx, int sy,
                               int sw, int sh, uint32_t rop) {
  return dc_stretch_blt(m_handle, x, y, width, height, bitmap, sx, sy, sw, sh, rop);
}

int CVDC::StretchBltFromDC(int x, int y, int width, int height, const CVDC& source, int sx, int sy, int sw, int sh,
                           uint32_t rop) {
  return dc_stretch_blt_dc(m_handle, x, y, width, height, source.m_handle, sx, sy, sw, sh, rop);
}

int CVDC::DrawBits(int x, int y, int width, int height, int sx, int sy, const void* rows,
                   const tagBitmapInfoHeader* header) {
  return dc_draw_bits(m_handle, x, y, width, height, sx, sy, rows, header);
}

int CVDC::DrawText(const CVString& text) {
  (void)text.GetBuffer();
  (void)text.GetLength();
  return 0;
}

_VSize CVDC::GetTextExtent(const CVString&) const { return {0, 0}; }

}  // namespace mapengine
