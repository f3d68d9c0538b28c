#include "engine/render/OverlayLayers.h"

#include <cstdlib>

#include "engine/render/MapView.h"

namespace mapengine {

namespace {

constexpr int kTilePixels = 256;
constexpr int kHitPixels = 10;

int Hundredths(long long value) {
  value *= 100;
  return value > INT32_MAX ? INT32_MAX : value < INT32_MIN ? INT32_MIN : static_cast<int>(value);
}

}  // namespace

void CVectorDraw::Init(tagGeoElementList* built, tagGeoElementList* projected) {
  m_pBuilt = built;
  m_pProjected = projected;
}

int CVectorDraw::Draw(CVDC& dc) {
  if (!m_pProjected || !m_pDisp) {
    return 0;
  }
  const tagMapViewState& view = GetMapViewState();
  const int dx = view.ptPixelOffset.x + view.rcWindow.left;
  const int dy = view.ptPixelOffset.y + view.rcWindow.top;
  CGeoElementArray elements = m_pProjected->elements;
  for (int i = 0; i < elements.GetSize(); ++i) {
    CComplexPt& geometry = elements[i].geometry;
    for (int part = 0; part < geometry.GetPartSize(); ++part) {
      CVArray<_VPoint, _VPoint>* points = geometry.GetPart(part);
      for (int k = 0; k < points->GetSize(); ++k) {
        (*points)[k].x -= dx;
        (*points)[k].y -= dy;
      }
    }
    m_pDisp->Draw(&dc, &elements[i]);
  }
  return 1;
}

CVectorLayer::~CVectorLayer() {
  delete m_pReq;
  delete m_pDraw;
}

int CVectorLayer::Draw(CVDC& dc) { return m_bShow && m_pDraw ? m_pDraw->Draw(dc) : 0; }

int CVectorLayer::UpdateData() { return m_bShow && m_pReq ? m_pReq->RequestData() : 0; }

void CVectorLayer::SetReq(CVectorReq* request, CMapDataSource* source) {
  if (request != m_pReq) {
    delete m_pReq;
  }
  m_pReq = request;
  if (m_pReq) {
    m_pReq->Init(&m_built, &m_projected, source);
  }
}

void CVectorLayer::SetDraw(CVectorDraw* draw) {
  if (draw != m_pDraw) {
    delete m_pDraw;
  }
  m_pDraw = draw;
  if (m_pDraw) {
    m_pDraw->Init(&m_built, &m_projected);
  }
}

void CVectorLayer::SetKind(int kind) {
  m_nKind = kind;
  if (m_pReq) {
    m_pReq->SetKind(kind);
    m_pReq->SetRebuild();
  }
}

void CVectorLayer::SetRebuild() {
  if (m_pReq) {
    m_pReq->SetRebuild();
  }
}

int CVectorLayer::HitTest(int x, int y, Attribute& out) const {
  const tagMapViewState& view = GetMapViewState();
  const _VPoint m = ScreenToMap(view, x, y);
  const long long t = static_cast<long long>(kHitPixels) * view.nScale;
  // Later elements are drawn over earlier ones: the one on top is hit.
  for (int i = m_built.elements.GetSize() - 1; i >= 0; --i) {
    const CGeoElement& element = m_built.elements[i];
    if (element.attr.shape != kShapePoint) {
      continue;
    }
    const CComplexPt& geometry = element.geometry;
    for (int part = 0; part < geometry.GetPartSize(); ++part) {
      for (int k = 0; k < geometry.GetPartPointCount(part); ++k) {
        const _VPoint h = geometry.GetPoint(part, k);
        const long long px = h.x / 100;
        const long long py = h.y / 100;
        const long long dx = std::llabs(m.x - px);
        // Markers standing on their point reach twice as far up.
        const long long a = IsAnchoredAtBottom(element.attr.style) ? (m.y - py) / 2 : std::llabs(py - m.y);
        if (dx <= t && a >= 0 && a <= t) {
          out = element.attr;
          out.pos.SetPoint(static_cast<int>(px), static_cast<int>(py));
          return 1;
        }
      }
    }
  }
  return 0;
}

void CBKGReq::Init(CPoiBkgTileArray* tiles, CMapDataSource* source) {
  m_pTiles = tiles;
  m_pSource = source;
}

void CBKGReq::SetKeyword(const CVString& keyword) {
  if (m_keyword.Compare(keyword.GetBuffer()) != 0) {
    m_asked.RemoveAll();
  }
  m_keyword = keyword;
}

int CBKGReq::RequestData() {
  if (!m_pTiles || !m_pSource) {
    return 0;
  }
  m_pTiles->RemoveAll();
  if (m_keyword.IsEmpty()) {
    return 0;
  }
  const tagMapViewState& view = GetMapViewState();
  const long long unit = static_cast<long long>(kTilePixels) * view.nScale;
  if (unit <= 0) {
    return 0;
  }
  const long long halfWidth = static_cast<long long>(view.nScale) * (view.szScreen.cx / 2);
  const long long halfHeight = static_cast<long long>(view.nScale) * (view.szScreen.cy / 2);
  const int minX = DownBiasedDiv(view.ptCenter.x - halfWidth, unit);
  const int maxX = DownBiasedDiv(view.ptCenter.x + halfWidth, unit);
  const int minY = DownBiasedDiv(view.ptCenter.y - halfHeight, unit);
  const int maxY = DownBiasedDiv(view.ptCenter.y + halfHeight, unit);
  if (static_cast<long long>(maxX - minX + 1) * (maxY - minY + 1) > kMaxAskedKeys) {
    return 0;
  }
  for (int x = minX; x <= maxX; ++x) {
    for (int y = minY; y <= maxY; ++y) {
      tag_PoiBkgDataElem tile;
      tile.level = view.nLevel;
      tile.x = x;
      tile.y = y;
      m_pTiles->Add(tile);
    }
  }
  m_pSource->GetPoiBkgData(m_keyword, *m_pTiles, m_missing);

  if (view.nLevel != m_nAskedLevel) {
    m_asked.RemoveAll();
    m_nAskedLevel = view.nLevel;
  }
  bool fresh = false;
  for (int i = 0; i < m_missing.GetSize() && !fresh; ++i) {
    void* asked = nullptr;
    fresh = !m_asked.Lookup(AskedKey(m_missing[i]).GetBuffer(), asked);
  }
  if (!fresh) {
    // Everything missing is on its way, or was asked and did not come.
    return 1;
  }
  // A new request replaces the one on its way, so it asks for every tile
  // still missing, and those become the tiles on their way.
  m_asked.RemoveAll();
  const _VRect& rect = view.rcVisible;
  if (!m_pSource->RequestPoiBkgData(m_keyword, m_missing, Hundredths(rect.left), Hundredths(rect.top),
                                    Hundredths(rect.right), Hundredths(rect.bottom))) {
    // Not sent: asked again on the next pass.
    return 0;
  }
  for (int i = 0; i < m_missing.GetSize(); ++i) {
    m_asked.SetAt(AskedKey(m_missing[i]).GetBuffer(), reinterpret_cast<void*>(intptr_t{2}));
  }
  return 1;
}

CVString CBKGReq::AskedKey(const tag_PoiBkgDataElem& tile) {
  CVString key;
  key.Format(VStr(u"%d_%d"), tile.x, tile.y);
  return key;
}

void CBKGReq::OnRequestFailed() {
  // Only one request is on its way at a time: after a failure none is, and
  // every tile still missing may be asked for again, on the next pass (not
  // at once, so a service that is down is not hammered).
  m_asked.RemoveAll();
}

int CBKGDraw::Draw(CVDC& dc) {
  if (!m_pTiles || !m_pDisp) {
    return 0;
  }
  CIconTable* icons = m_pDisp->GetIcons();
  int w = 0;
  int h = 0;
  CVBitmap* icon = GetIcon(icons, kBackgroundPoiIcon, &w, &h, nullptr);
  if (!icon) {
    return 0;
  }
  const tagMapViewState& view = GetMapViewState();
  for (int i = 0; i < m_pTiles->GetSize(); ++i) {
    const tag_PoiBkgDataElem& tile = (*m_pTiles)[i];
    for (int k = 0; k < tile.pois.GetSize(); ++k) {
      const _VPoint p = MapToScreenD(view, tile.pois[k].x, tile.pois[k].y);
      dc.BitBltFromBitmap(p.x - view.rcWindow.left - w / 2, p.y - view.rcWindow.top - h / 2, w, h,
                          icon->GetHandle(), 0, 0, kSrcCopy);
    }
  }
  ReleaseIcon(icons, kBackgroundPoiIcon);
  return 1;
}

CBKGLayer::~CBKGLayer() {
  delete m_pReq;
  delete m_pDraw;
}

int CBKGLayer::Draw(CVDC& dc) { return m_bShow && m_pDraw ? m_pDraw->Draw(dc) : 0; }

int CBKGLayer::UpdateData() { return m_bShow && m_pReq ? m_pReq->RequestData() : 0; }

void CBKGLayer::SetReq(CBKGReq* request, CMapDataSource* source) {
  if (request != m_pReq) {
    delete m_pReq;
  }
  m_pReq = request;
  if (m_pReq) {
    m_pReq->Init(&m_tiles, source);
  }
}

void CBKGLayer::SetDraw(CBKGDraw* draw) {
  if (draw != m_pDraw) {
    delete m_pDraw;
  }
  m_pDraw = draw;
  if (m_pDraw) {
    m_pDraw->Init(&m_tiles);
  }
}

int CBKGLayer::HitTest(int x, int y, Attribute& out) const {
  const tagMapViewState& view = GetMapViewState();
  const _VPoint m = ScreenToMap(view, x, y);
  const long long unit = static_cast<long long>(kTilePixels) * view.nScale;
  if (unit <= 0) {
    return 0;
  }
  const int tileX = DownBiasedDiv(m.x, unit);
  const int tileY = DownBiasedDiv(m.y, unit);
  const double t = static_cast<double>(kHitPixels) * view.nScale;
  for (int i = 0; i < m_tiles.GetSize(); ++i) {
    const tag_PoiBkgDataElem& tile = m_tiles[i];
    if (tile.level != view.nLevel || tile.x != tileX || tile.y != tileY) {
      continue;
    }
    for (int k = 0; k < tile.pois.GetSize(); ++k) {
      const tag_PoiBkgBaseData& poi = tile.pois[k];
      if (std::abs(poi.x - m.x) < t && std::abs(poi.y - m.y) < t) {
        out.kind = kElementBackgroundPoi;
        out.label = CVString(poi.name);
        out.pos.SetPoint(static_cast<int>(poi.x), static_cast<int>(poi.y));
        out.SetText(poi.uid);
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace mapengine
