#include "engine/render/DataDisp.h"

#include <cmath>

#include "engine/base/VGlobalMan.h"
#include "engine/render/RasterObjects.h"

namespace mapengine {

namespace {


template <class T>
const T* Lookup(const CVArray<T>& table, int id, int first) {
  const int at = id - first;
  return at >= 0 && at < table.GetSize() ? &table[at] : nullptr;
}

// The pictures of the default table: (style id = icon id, file stem, width,
// height) at 1x. Styles 1 to 10 are the numbered markers.
struct DefaultIcon {
  uint16_t id;
  const char* stem;
  uint16_t width;
  uint16_t height;
};

constexpr DefaultIcon kDefaultIcons[] = {
    {12, "engine_poi_small", 16, 16},
    {14, "engine_bus_station", 16, 16},  {15, "engine_bus_station", 16, 16},
    {16, "engine_subway_station", 16, 16}, {17, "engine_route_start", 28, 28},
    {18, "engine_route_end", 28, 28},    {22, "engine_pin", 24, 34},
    {24, "engine_place", 24, 24},        {kBackgroundPoiIcon, "engine_bkg_poi", 12, 12}};
constexpr int kMarkerWidth = 24;
constexpr int kMarkerHeight = 32;
constexpr int kDirectionRadius = 6;
constexpr int kLastPointStyle = 24;

CVString IconFileName(const char* stem, int scale) {
  CVString name(stem);
  name += scale > 1 ? "@2x.png" : ".png";
  return name;
}

// The context's pen, brush, font and text colour, put back on leaving.
class CDCStateGuard {
public:
  explicit CDCStateGuard(CVDC& dc) : m_dc(dc), m_color(dc.GetTextColor()) {}
  ~CDCStateGuard() {
    if (m_pen) dc_select_pen(m_dc.GetHandle(), m_pen);
    if (m_brush) dc_select_brush(m_dc.GetHandle(), m_brush);
    if (m_font) dc_select_font(m_dc.GetHandle(), m_font);
    m_dc.SetTextColor(m_color);
  }
  CDCStateGuard(const CDCStateGuard&) = delete;
  CDCStateGuard& operator=(const CDCStateGuard&) = delete;

  void Select(CVPen& pen) { Keep(m_pen, m_dc.SelectPen(&pen)); }
  void Select(CVBrush& brush) { Keep(m_brush, m_dc.SelectBrush(&brush)); }
  void Select(CVFont& font) { Keep(m_font, m_dc.SelectFont(&font)); }

private:
  // Only the first record replaced is the one to put back.
  template <class T>
  static void Keep(T*& slot, T* previous) {
    if (!slot) slot = previous;
  }

  CVDC& m_dc;
  uint32_t m_color;
  tagPenObj* m_pen = nullptr;
  tagBrushObj* m_brush = nullptr;
  tagFontObj* m_font = nullptr;
};

}  // namespace

bool IsAnchoredAtBottom(int style) { return (style >= 1 && style <= 10) || style == 22; }

void CDrawParam::RemoveAll() {
  points.SetSize(0);
  lines.SetSize(0);
  surfaces.SetSize(0);
  texts.SetSize(0);
}

void CDrawParam::LoadDefaults() {
  RemoveAll();
  points.SetSize(kLastPointStyle);
  for (int id = 1; id <= 10; ++id) {
    points[id - 1].iconId = static_cast<uint16_t>(id);
  }
  for (const DefaultIcon& icon : kDefaultIcons) {
    if (icon.id <= kLastPointStyle) {
      points[icon.id - 1].iconId = icon.id;
    }
  }
  points[kDirectionMarkerStyle - 1].iconWidth = kDirectionRadius;

  // 60 plain, 61 bus line, 62 transit walk, 63 driving route, 64 walking
  // route, 65 plain, 66 chosen step, 67 transit bus, 68 transit subway.
  const tagLineStyle kLines[] = {{0xFF808080, 3, 1.0f, kPenSolid}, {0xFF2E7D32, 5, 0.85f, kPenSolid},
                                 {0xFF1E88E5, 3, 0.9f, kPenDot},   {0xFF1565C0, 6, 0.85f, kPenSolid},
                                 {0xFF00897B, 5, 0.85f, kPenSolid}, {0xFF808080, 3, 1.0f, kPenSolid},
                                 {0xFFFF6F00, 6, 1.0f, kPenSolid},  {0xFF43A047, 5, 0.85f, kPenSolid},
                                 {0xFFE53935, 5, 0.85f, kPenSolid}};
  for (const tagLineStyle& line : kLines) {
    lines.Add(line);
  }
  tagSurfaceStyle surface;
  surface.lineStyle = kFirstLineStyle;
  surface.fillColor = 0xFFBBDEFB;
  surfaces.Add(surface);
  texts.Add(tagTextStyle{24, 0xFF333333});
}

const PointStyle* CDrawParam::GetPointStyle(int id) const { return Lookup(points, id, kFirstPointStyle); }
const tagLineStyle* CDrawParam::GetLineStyle(int id) const { return Lookup(lines, id, kFirstLineStyle); }
const tagSurfaceStyle* CDrawParam::GetSurfaceStyle(int id) const { return Lookup(surfaces, id, kFirstSurfaceStyle); }
const tagTextStyle* CDrawParam::GetTextStyle(int id) const { return Lookup(texts, id, kFirstTextStyle); }

CIconTable::~CIconTable() {
  for (int i = 0; i < m_entries.GetSize(); ++i) {
    delete m_entries[i].bitmap;
  }
}

tagIconEntry* CIconTable::Find(uint16_t id) {
  for (int i = 0; i < m_entries.GetSize(); ++i) {
    if (m_entries[i].id == id) {
      return &m_entries[i];
    }
  }
  return nullptr;
}

void CIconTable::Add(uint16_t id, const CVString& fileName, int width, int height, int kind, int resident) {
  tagIconEntry* entry = Find(id);
  if (!entry) {
    m_entries.Add(tagIconEntry{});
    entry = &m_entries[m_entries.GetSize() - 1];
  }
  delete entry->bitmap;
  *entry = tagIconEntry{id, fileName, nullptr, width, height, resident, kind};
}

void CIconTable::AddDefaults(int scale) {
  scale = scale > 1 ? 2 : 1;
  for (int id = 1; id <= 10; ++id) {
    CVString stem;
    stem.Format(VStr(u"engine_marker_%d"), id);
    CVString name = stem + (scale > 1 ? "@2x.png" : ".png");
    Add(static_cast<uint16_t>(id), name, kMarkerWidth * scale, kMarkerHeight * scale, kIconPng, 1);
  }
  for (const DefaultIcon& icon : kDefaultIcons) {
    Add(icon.id, IconFileName(icon.stem, scale), icon.width * scale, icon.height * scale, kIconPng, 1);
  }
}

CIconTable* GetIconTable() {
  CVGlobalMan* global = GetGlobalMan();
  return global ? static_cast<CIconTable*>(global->GetSlot(kSlotPoiImageSource)) : nullptr;
}

void SetIconTable(CIconTable* table) {
  if (CVGlobalMan* global = GetGlobalMan()) {
    global->SetSlot(kSlotPoiImageSource, table);
  }
}

int LoadIcon(CIconTable* table, tagIconEntry& entry) {
  if (!table || (entry.kind != kIconPng && entry.kind != kIconBmp)) {
    return 0;
  }
  auto* bitmap = new CVBitmap;
  const CVString path = table->GetFolder() + entry.fileName;
  if (!(entry.kind == kIconPng ? bitmap->LoadPNGFile(path) : bitmap->LoadBMPFile(path))) {
    delete bitmap;
    return 0;
  }
  delete entry.bitmap;
  entry.bitmap = bitmap;
  return 1;
}

CVBitmap* GetIcon(CIconTable* table, uint16_t id, int* width, int* height, int* kind) {
  tagIconEntry* entry = table ? table->Find(id) : nullptr;
  if (!entry || (!entry->bitmap && !LoadIcon(table, *entry))) {
    return nullptr;
  }
  if (width) *width = entry->width;
  if (height) *height = entry->height;
  if (kind) *kind = entry->kind;
  return entry->bitmap;
}

void ReleaseIcon(CIconTable* table, uint16_t id) {
  tagIconEntry* entry = table ? table->Find(id) : nullptr;
  if (entry && !entry->resident) {
    delete entry->bitmap;
    entry->bitmap = nullptr;
  }
}

void CDataDisp::Draw(CVDC* dc, const CGeoElement* element) {
  if (!dc || !element) {
    return;
  }
  switch (element->attr.shape) {
    case kShapePoint: DrawPoint(*dc, *element); break;
    case kShapeLine: DrawLine(*dc, *element); break;
    case kShapeArea: DrawArea(*dc, *element); break;
    case kShapeText: DrawText(*dc, *element); break;
    default: break;
  }
}

void CDataDisp::DrawPoint(CVDC& dc, const CGeoElement& element) {
  const int id = element.attr.style;
  const PointStyle* style = m_param.GetPointStyle(id);
  if (!style) {
    return;
  }
  const CComplexPt& geometry = element.geometry;
  if (id == kDirectionMarkerStyle) {
    // Elements carry no direction: markers point up.
    for (int part = 0; part < geometry.GetPartSize(); ++part) {
      for (int i = 0; i < geometry.GetPartPointCount(part); ++i) {
        const _VPoint p = geometry.GetPoint(part, i);
        DrawMarker(dc, p.x, p.y, style->iconWidth, 0, 255);
      }
    }
    return;
  }
  CIconTable* icons = GetIcons();
  int width = 0;
  int height = 0;
  CVBitmap* icon = GetIcon(icons, style->iconId, &width, &height, nullptr);
  if (!icon) {
    return;
  }
  const bool bottom = IsAnchoredAtBottom(id);
  for (int part = 0; part < geometry.GetPartSize(); ++part) {
    for (int i = 0; i < geometry.GetPartPointCount(part); ++i) {
      const _VPoint p = geometry.GetPoint(part, i);
      dc.BitBltFromBitmap(p.x - width / 2, bottom ? p.y - height : p.y - height / 2, width, height,
                          icon->GetHandle(), 0, 0, kSrcCopy);
    }
  }
  ReleaseIcon(icons, style->iconId);
}

namespace {

// Style opacity to 0..255; a style may hold values outside 0..1.
int OpacityOf(float opacity) {
  const double value = std::trunc(static_cast<double>(opacity) * 255.0);
  return value < 0 ? 0 : value > 255 ? 255 : static_cast<int>(value);
}

}  // namespace

void CDataDisp::DrawLine(CVDC& dc, const CGeoElement& element) {
  const tagLineStyle* style = m_param.GetLineStyle(element.attr.style);
  if (!style) {
    return;
  }
  CDCStateGuard state(dc);
  CVPen pen;
  pen.CreatePen(kPenSolid, style->width, style->color);
  state.Select(pen);
  const CComplexPt& geometry = element.geometry;
  for (int part = 0; part < geometry.GetPartSize(); ++part) {
    const CVArray<_VPoint, _VPoint>* points = geometry.GetPart(part);
    if (points && points->GetSize() > 0) {
      dc.Polyline(points->GetData(), points->GetSize(), OpacityOf(style->opacity));
    }
  }
}

void CDataDisp::DrawArea(CVDC& dc, const CGeoElement& element) {
  const tagSurfaceStyle* surface = m_param.GetSurfaceStyle(element.attr.style);
  const tagLineStyle* outline = surface ? m_param.GetLineStyle(surface->lineStyle) : nullptr;
  if (!outline) {
    return;
  }
  CDCStateGuard state(dc);
  CVPen pen;
  pen.CreatePen(outline->penStyle, outline->width, outline->color);
  CVBrush brush;
  brush.CreateSolidBrush(surface->fillColor);
  state.Select(pen);
  state.Select(brush);
  const CComplexPt& geometry = element.geometry;
  for (int part = 0; part < geometry.GetPartSize(); ++part) {
    const CVArray<_VPoint, _VPoint>* points = geometry.GetPart(part);
    if (points && points->GetSize() > 0) {
      dc.Polygon(points->GetData(), points->GetSize(), 255);
    }
  }
}

void CDataDisp::DrawText(CVDC& dc, const CGeoElement& element) {
  const tagTextStyle* style = m_param.GetTextStyle(element.attr.style);
  if (!style) {
    return;
  }
  CDCStateGuard state(dc);
  CVFont font;
  font.CreateFont(style->size, style->size, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, VStr(u"MSYH.TTF"));
  state.Select(font);
  dc.SetTextColor(style->color);
  const CComplexPt& geometry = element.geometry;
  for (int part = 0; part < geometry.GetPartSize(); ++part) {
    for (int i = 0; i < geometry.GetPartPointCount(part); ++i) {
      const _VPoint p = geometry.GetPoint(part, i);
      dc.MoveTo(p.x, p.y);
      dc.DrawText(element.attr.label);
    }
  }
}

void CDataDisp::DrawMarker(CVDC& dc, int x, int y, int radius, int direction, int opacity) {
  CDCStateGuard state(dc);
  if (!m_pen.GetHandle()) {
    m_pen.CreatePen(kPenSolid, 2, 0xFF1565C0);
    m_brush.CreateSolidBrush(0xFFFFFFFF);
  }
  state.Select(m_pen);
  state.Select(m_brush);
  dc.Ellipse(x - radius, y - radius, x + radius, y + radius, opacity);
  const int reach = static_cast<int>(radius * 0.6);
  int left = direction - 120;
  int right = direction - 240;
  int tip = direction;
  if (direction <= 120) left += 360;
  if (direction <= 240) right += 360;
  if (tip > 360) tip -= 360;
  const int angles[] = {left, tip, right};
  _VPoint chevron[3];
  for (int i = 0; i < 3; ++i) {
    const float a = static_cast<float>(angles[i]) * 3.14159274f / 180.0f;
    chevron[i].x = static_cast<int>(x + reach * std::sin(a));
    chevron[i].y = static_cast<int>(y - reach * std::cos(a));
  }
  dc.Polyline(chevron, 3, opacity);
}

void CDataDisp::Clear() {
  m_param.RemoveAll();
  m_pen.DeleteObject();
  m_brush.DeleteObject();
}

}  // namespace mapengine
