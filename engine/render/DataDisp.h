// Drawing of vector overlay elements by numbered styles: points (icons or a
// direction marker), lines, filled areas and labels. Elements arrive with
// their points already in screen pixels. Icons come from an engine-wide icon
// table of PNG (or BMP) files in one folder, published in global slot 16;
// the default table names the pictures the image generator draws.
#pragma once

#include <cstdint>

#include "engine/base/VArray.h"
#include "engine/base/VString.h"
#include "engine/render/GeoElement.h"
#include "engine/render/VDraw.h"

namespace mapengine {

class PointStyle {
public:
  virtual ~PointStyle() = default;
  uint16_t iconId = 0;
  uint16_t iconWidth = 0;
  uint16_t iconHeight = 0;
};

struct tagLineStyle {
  uint32_t color = 0;
  uint8_t width = 1;
  float opacity = 1.0f;
  int penStyle = 0;  // 0 solid, 2 dotted, 5 null
};

struct tagSurfaceStyle {
  int lineStyle = 0;  // a line style id
  uint32_t fillColor = 0;
  CVString name;
};

struct tagTextStyle {
  int size = 0;
  uint32_t color = 0;
};

// First identifiers of the four tables.
enum : int { kFirstPointStyle = 1, kFirstLineStyle = 60, kFirstSurfaceStyle = 60, kFirstTextStyle = 30 };

// Point styles whose anchor is the icon's bottom centre (numbered markers and
// the pin); every other icon is centred on its point.
bool IsAnchoredAtBottom(int style);
// The point style drawn as a direction marker instead of an icon.
constexpr int kDirectionMarkerStyle = 20;

class CDrawParam {
public:
  virtual ~CDrawParam() = default;
  void RemoveAll();
  // The engine's own table: the styles the overlay builders use.
  void LoadDefaults();

  // Null for an identifier outside the table.
  const PointStyle* GetPointStyle(int id) const;
  const tagLineStyle* GetLineStyle(int id) const;
  const tagSurfaceStyle* GetSurfaceStyle(int id) const;
  const tagTextStyle* GetTextStyle(int id) const;

  CVArray<PointStyle> points;
  CVArray<tagLineStyle> lines;
  CVArray<tagSurfaceStyle> surfaces;
  CVArray<tagTextStyle> texts;
};

struct tagIconEntry {
  uint16_t id = 0;
  CVString fileName;
  CVBitmap* bitmap = nullptr;
  int width = 0;
  int height = 0;
  int resident = 0;
  int kind = 1;  // 0 BMP, 1 PNG
};

enum : int { kIconBmp = 0, kIconPng = 1 };

// The icon of the POI background layer.
constexpr uint16_t kBackgroundPoiIcon = 140;

class CIconTable {
public:
  CIconTable() = default;
  ~CIconTable();
  CIconTable(const CIconTable&) = delete;
  CIconTable& operator=(const CIconTable&) = delete;

  // The folder holding the files, ending in '/'.
  void SetFolder(const CVString& folder) { m_folder = folder; }
  const CVString& GetFolder() const { return m_folder; }
  // Adds (or replaces) an entry; the bitmap is loaded on first use.
  void Add(uint16_t id, const CVString& fileName, int width, int height, int kind, int resident);
  // The pictures of the default style table, at 1x or 2x ("@2x" files of
  // twice the size), kept loaded once read.
  void AddDefaults(int scale);
  tagIconEntry* Find(uint16_t id);
  int GetCount() const { return m_entries.GetSize(); }

private:
  CVArray<tagIconEntry> m_entries;
  CVString m_folder;
};

// The engine's icon table (global slot 16); null when none was set.
CIconTable* GetIconTable();
void SetIconTable(CIconTable* table);

// Loads the icon unless it is resident and loaded; null when unknown or
// unreadable. width, height and kind may be null.
CVBitmap* GetIcon(CIconTable* table, uint16_t id, int* width, int* height, int* kind);
// Frees the icon's bitmap unless it is resident.
void ReleaseIcon(CIconTable* table, uint16_t id);
// Reads the entry's file by its kind. 1, or 0.
int LoadIcon(CIconTable* table, tagIconEntry& entry);

class CDataDisp {
public:
  CDataDisp() = default;
  virtual ~CDataDisp() = default;
  CDataDisp(const CDataDisp&) = delete;
  CDataDisp& operator=(const CDataDisp&) = delete;

  // Draws one element by its shape: 1 point, 2 line, 3 area, 4 text; other
  // shapes are ignored. The context's pen, brush, font and text colour are
  // as before afterwards.
  void Draw(CVDC* dc, const CGeoElement* element);
  void DrawPoint(CVDC& dc, const CGeoElement& element);
  void DrawLine(CVDC& dc, const CGeoElement& element);
  void DrawArea(CVDC& dc, const CGeoElement& element);
  void DrawText(CVDC& dc, const CGeoElement& element);
  // A circle with a chevron pointing in the direction (degrees, 0 up,
  // clockwise).
  void DrawMarker(CVDC& dc, int x, int y, int radius, int direction, int opacity);
  void Clear();

  CDrawParam& GetParam() { return m_param; }
  // The icon table drawing reads; the engine's (slot 16) unless set.
  void SetIconTable(CIconTable* table) { m_pIcons = table; }
  CIconTable* GetIcons() const { return m_pIcons ? m_pIcons : GetIconTable(); }

private:
  CDrawParam m_param;
  CVPen m_pen;
  CVBrush m_brush;
  CIconTable* m_pIcons = nullptr;
};

}  // namespace mapengine
