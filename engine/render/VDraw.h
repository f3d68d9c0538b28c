// The drawing facade: small wrappers over the renderer's records. Each holds
// one record and an owns flag; an owned record is given up (freed when no
// context still holds it) when the wrapper lets go of it. A record wrapped with
// Attach is never freed by the wrapper. Copying is not offered.
#pragma once

#include <cstdint>

#include "engine/base/VString.h"
#include "engine/base/VTypes.h"
#include "engine/render/RasterObjects.h"

namespace mapengine {

// The record holder shared by the wrappers.
template <class T, int (*Free)(T*)>
class CVRecordHolder {
public:
  CVRecordHolder() = default;
  virtual ~CVRecordHolder() { DeleteObject(); }
  CVRecordHolder(const CVRecordHolder&) = delete;
  CVRecordHolder& operator=(const CVRecordHolder&) = delete;

  T* GetHandle() const { return m_handle; }

  // 0 when no record is held or it is not owned; else gives the record up and
  // clears the handle. 1 when the record was freed.
  int DeleteObject() {
    if (!m_handle || !m_owns) {
      return 0;
    }
    T* r = m_handle;
    m_handle = nullptr;
    return Free(r);
  }

protected:
  // 0 for a null record or when one is held; else holds it without owning it.
  int AttachRecord(T* record) {
    if (!record || m_handle) {
      return 0;
    }
    m_handle = record;
    m_owns = 0;
    return 1;
  }
  // The held record when it is not owned (the wrapper is emptied); else null.
  T* DetachRecord() {
    if (!m_handle || m_owns) {
      return nullptr;
    }
    T* r = m_handle;
    m_handle = nullptr;
    m_owns = 1;
    return r;
  }
  // Gives up the held record (freed when owned and not held elsewhere) and
  // keeps the owns flag.
  void ReleaseRecord() {
    if (m_handle && m_owns) {
      Free(m_handle);
    }
    m_handle = nullptr;
  }
  // Takes a new record; 1 when there is one.
  int Hold(T* record) {
    m_handle = record;
    return record ? 1 : 0;
  }

  T* m_handle = nullptr;
  int m_owns = 1;
};

class CVPen : public CVRecordHolder<tagPenObj, pen_free> {
public:
  int Attach(tagPenObj* pen) { return AttachRecord(pen); }
  tagPenObj* Detach() { return DetachRecord(); }
  // Replaces any held pen; width 0 becomes 1.
  int CreatePen(int style, int width, uint32_t color);
};

class CVBrush : public CVRecordHolder<tagBrushObj, brush_free> {
public:
  int Attach(tagBrushObj* brush) { return AttachRecord(brush); }
  tagBrushObj* Detach() { return DetachRecord(); }
  int CreateSolidBrush(uint32_t color);
};

class CVFont : public CVRecordHolder<tagFontObj, font_free> {
public:
  int Attach(tagFontObj* font) { return AttachRecord(font); }
  tagFontObj* Detach() { return DetachRecord(); }
  // Only height, width and the face name are used; 0 when a font is held.
  int CreateFont(int height, int width, int escapement, int orientation, int weight, int italic, int underline,
                 int strikeOut, int charSet, int outPrecision, int clipPrecision, int quality, int pitchAndFamily,
                 const unsigned short* faceName);
};

class CVBitmap : public CVRecordHolder<tagBitmapObj, bitmap_free> {
public:
  // A 32-bit bitmap (the depth is not used); 0 when a bitmap is held.
  int CreateBitmap(int width, int height, int planes, int bitsPerPixel, const void* pixels);
  // A zeroed 32-bit bitmap of the size; 0 when a bitmap is held.
  int CreateWithSize(const _VSize& size);
  uint8_t* GetBits() const { return m_handle ? m_handle->pixels : nullptr; }
  tagBitmapInfoHeader* GetBitmapInfo() const { return m_handle ? m_handle->header : nullptr; }
  _VSize GetSize() const;
  // Loads a PNG or BMP file; 0 when a bitmap is held, the file cannot be read
  // whole or its image is refused.
  int LoadPNGFile(const CVString& path);
  int LoadBMPFile(const CVString& path);
};

class CVDC {
public:
  CVDC() = default;
  virtual ~CVDC() { DeleteDC(); }
  CVDC(const CVDC&) = delete;
  CVDC& operator=(const CVDC&) = delete;

  int CreateDC();
  // 1 when no context is held or an owned one was destroyed; a context held
  // without ownership is only dropped (0).
  int DeleteDC();
  // Wraps a context without owning it; 0 for null or when one is held.
  int Attach(tagDCObj* dc);
  int IsValid() const { return m_handle ? 1 : 0; }
  tagDCObj* GetHandle() const { return m_handle; }

  tagBitmapObj* SelectBitmap(CVBitmap* bitmap);
  tagPenObj* SelectPen(CVPen* pen);
  tagBrushObj* SelectBrush(CVBrush* brush);
  tagFontObj* SelectFont(CVFont* font);
  uint32_t SetTextColor(uint32_t color) { return dc_set_text_color(m_handle, color); }
  uint32_t GetTextColor() const { return dc_get_text_color(m_handle); }

  _VPoint MoveTo(int x, int y) { return dc_move_to(m_handle, x, y); }
  int LineTo(int x, int y);
  int Polyline(const _VPoint* points, int count, int opacity);
  int Polygon(const _VPoint* points, int count, int opacity);
  int Ellipse(int left, int top, int right, int bottom, int opacity);
  // Fills with the colour; the background colour is the fill colour only for
  // the call.
  int FillSolidRect(const _VRect& rect, uint32_t color);

  int BitBltFromBitmap(int x, int y, int width, int height, const tagBitmapObj* bitmap, int sx, int sy,
                       uint32_t rop);
  int BitBltFromDC(int x, int y, int width, int height, const CVDC& source, int sx, int sy, uint32_t rop);
  int StretchBltFromBitmap(int x, int y, int width, int height, const tagBitmapObj* bitmap, int sx, int sy, int sw,
                           int sh, uint32_t rop);
  int StretchBltFromDC(int x, int y, int width, int height, const CVDC& source, int sx, int sy, int sw, int sh,
                       uint32_t rop);
  int DrawBits(int x, int y, int width, int height, int sx, int sy, const void* rows,
               const tagBitmapInfoHeader* header);

  // The engine draws no text: nothing is drawn and every text measures zero.
  int DrawText(const CVString& text);
  _VSize GetTextExtent(const CVString& text) const;

private:
  tagDCObj* m_handle = nullptr;
  int m_owns = 1;
};

}  // namespace mapengine
