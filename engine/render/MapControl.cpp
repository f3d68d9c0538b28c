#include "engine/render/MapControl.h"

#include <cstdlib>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/render/MapView.h"
#include "engine/render/RasterObjects.h"

namespace mapengine {

namespace {

constexpr uint32_t kSourceCopy = 0xCC0020;
constexpr int kTile = 256;

CVMsgMan* Messages() {
  CVMainGlobalMan* global = GetGlobalMan();
  return global ? static_cast<CVMsgMan*>(global->GetSlot(kSlotMsgMan)) : nullptr;
}

int Sign(int v) { return v > 0 ? 1 : v < 0 ? -1 : 0; }

// One pan step: the velocity plus the counter, never more than half the
// screen (a held pan would otherwise grow without bound).
int PanStep(int velocity, int counter, int half) {
  if (velocity == 0) {
    return 0;
  }
  long long step = velocity + static_cast<long long>(Sign(velocity)) * counter;
  long long limit = half > 1 ? half : 1;
  return static_cast<int>(step > limit ? limit : step < -limit ? -limit : step);
}

int FlingDecay(int v) {
  int magnitude = std::abs(v);
  if (magnitude <= CMapControl::kSnapPixels) {
    return v;
  }
  return Sign(v) * (magnitude <= CMapControl::kFlingTopSpeed ? magnitude - 1 : CMapControl::kFlingTopSpeed);
}

}  // namespace

CMapControl::CMapControl() = default;

CMapControl::~CMapControl() { RemoveAllLayers(); }

void CMapControl::Post(int message, int wParam, int lParam) {
  if (CVMsgMan* msgs = Messages()) {
    // The pan step goes on the engine's own ring, whose handler always
    // routes it back here; the others on the interface ring.
    msgs->PostMessage(message == kMsgPanStep ? 1 : 2, message, wParam, lParam);
  }
}

void CMapControl::SendRepaint() {
  if (CVMsgMan* msgs = Messages()) {
    msgs->SendMessage(2, kMsgRepaint, 0, 0);
  }
}

void CMapControl::CreateImage() {
  const _VSize& size = GetMapViewState().szScreen;
  if (!m_imageDC.IsValid()) {
    m_imageDC.CreateDC();
    m_panDC.CreateDC();
  }
  // A 1 x 1 bitmap stands in while the old image is let go.
  CVBitmap stand;
  stand.CreateWithSize({1, 1});
  m_imageDC.SelectBitmap(&stand);
  m_panDC.SelectBitmap(&stand);
  m_image.DeleteObject();
  m_panImage.DeleteObject();
  m_image.CreateWithSize(size);
  m_panImage.CreateWithSize(size);
  m_imageDC.SelectBitmap(&m_image);
  m_panDC.SelectBitmap(&m_panImage);
}

void CMapControl::OpenLayerCaches() {
  m_pMapReq->OpenCaches(m_nCols, m_nRows, kFileEntries, "Data.Index", "Grid.ca", 0, 1);
  m_pSatelliteReq->OpenCaches(m_nCols, m_nRows, kFileEntries, "SatData.Index", "Satllite.ca", 0, 1);
  m_pTrafficReq->OpenCaches(m_nCols, m_nRows, 0, "Data.Index", "Traf.ca", 1, m_pTrafficLayer->IsShown());
}

int CMapControl::Init(int centerX, int centerY, int left, int top, int right, int bottom, int level,
                      const CVString& offlineFolder) {
  tagMapViewState& view = GetMapViewState();
  view.ptCenter.SetPoint(centerX, centerY);
  view.rcWindow.SetRect(left, top, right, bottom);
  view.szScreen.SetSize(right - left, bottom - top);
  m_gridPen.CreatePen(2, 1, kGridColor);
  if (!m_imageDC.IsValid()) {
    CreateImage();
  }
  m_downloader.Init();
  m_nCols = view.szScreen.cx / kTile + 2;
  m_nRows = view.szScreen.cy / kTile + 2;

  m_pMapLayer = new CGridLayer;
  m_pMapReq = new GridReqEx;
  m_pMapReq->SetTileSize(kTile);
  m_pMapReq->SetDownloader(&m_downloader);
  m_pMapReq->SetOfflineCache(&m_offline);
  m_pMapLayer->SetDraw(new GridDrawEx);
  m_pMapLayer->SetReq(m_pMapReq);
  m_pMapLayer->SetNoAutoRequest(1);
  m_layers.AddTail(m_pMapLayer);

  m_satelliteDownloader.Init();
  m_satelliteDownloader.SetClientType(kSatelliteClient);
  m_pSatelliteLayer = new CGridLayer;
  m_pSatelliteReq = new GridReqEx;
  m_pSatelliteReq->SetTileSize(kTile);
  m_pSatelliteReq->SetDownloader(&m_satelliteDownloader);
  m_pSatelliteReq->SetKind(4);
  m_pSatelliteLayer->SetDraw(new GridDrawEx);
  m_pSatelliteLayer->SetReq(m_pSatelliteReq);
  m_pSatelliteLayer->SetNoAutoRequest(1);
  m_pSatelliteLayer->Show(0);
  m_layers.AddTail(m_pSatelliteLayer);

  m_pTrafficLayer = new CGridLayer;
  m_pTrafficReq = new CTrafficReq;
  m_pTrafficReq->SetTileSize(kTile);
  m_pTrafficReq->SetDownloader(&m_downloader);
  m_pTrafficReq->SetKind(1);
  m_pTrafficLayer->SetDraw(new GridDraw);
  m_pTrafficLayer->SetReq(m_pTrafficReq);
  m_pTrafficLayer->SetNoAutoRequest(0);
  m_pTrafficLayer->Show(0);
  m_layers.AddTail(m_pTrafficLayer);
  AddOverlayLayers();
  OpenLayerCaches();

  SetViewLevel(view, level);
  UpdateViewTransform(view, m_nCols, m_nRows);
  UpdateViewPixelOrigin(view);
  m_offline.SetMemCache(&m_pMapReq->GetCache());
  m_offline.Init(offlineFolder, CVString("10000001"), 0);
  return 1;
}

int CMapControl::SetWindowRect(int left, int top, int right, int bottom) {
  tagMapViewState& view = GetMapViewState();
  view.rcWindow.SetRect(left, top, right, bottom);
  view.szScreen.SetSize(right - left, bottom - top);
  m_nCols = view.szScreen.cx / kTile + 2;
  m_nRows = view.szScreen.cy / kTile + 2;
  if (m_pMapReq) {
    OpenLayerCaches();
  }
  CreateImage();
  UpdateAllLayers();
  m_bLayersDirty = 1;
  m_bImageChanged = 1;
  Paint(nullptr);
  SendRepaint();
  if (CVMsgMan* msgs = Messages()) {
    msgs->SendMessage(2, kMsgMoveEnd, 0, 0);
  }
  return 1;
}

CGridLayer* CMapControl::BaseLayer() const {
  return m_pMapLayer && m_pMapLayer->IsShown() ? m_pMapLayer : m_pSatelliteLayer;
}

GridReq* CMapControl::BaseReq() const { return BaseLayer() == m_pMapLayer ? m_pMapReq : m_pSatelliteReq; }

void CMapControl::LoadTiles(int force) {
  if (GridReq* request = BaseReq()) {
    request->LoadVisibleTiles(force);
  }
}

void CMapControl::UpdateTrafficWhenDone() {
  if (m_pTrafficLayer && m_pMapReq->IsPassDone()) {
    m_pTrafficLayer->UpdateData();
  }
}

void CMapControl::UpdateAllLayers() {
  tagMapViewState& view = GetMapViewState();
  UpdateViewTransform(view, m_nCols, m_nRows);
  UpdateViewPixelOrigin(view);
  if (!m_pMapLayer) {
    return;
  }
  BaseLayer()->UpdateData();
  UpdateTrafficWhenDone();
  for (int which : {2, 0, 1}) {
    m_pVectorLayers[which]->UpdateData();
  }
  m_pPoiBkgLayer->UpdateData();
  m_pLocLayer->UpdateData();
}

void CMapControl::UpdateVectorLayers() {
  if (!m_pMapLayer) {
    return;
  }
  for (int which : {0, 1, 2}) {
    m_pVectorLayers[which]->UpdateData();
  }
}

void CMapControl::UpdateOverlays() {
  if (!m_pMapLayer) {
    return;
  }
  UpdateVectorLayers();
  m_pPoiBkgLayer->UpdateData();
}

void CMapControl::RequestCurrentCity() {
  const tagMapViewState& view = GetMapViewState();
  const _VPoint& centre = view.ptCenter;
  if (m_cityCenter.x == 0 && m_cityCenter.y == 0) {
    m_cityCenter = centre;
    m_nCityLevel = view.nLevel;
    return;
  }
  if (!m_pDataSource) {
    return;
  }
  const long long dx = std::llabs(static_cast<long long>(centre.x) - m_cityCenter.x);
  const long long dy = std::llabs(static_cast<long long>(centre.y) - m_cityCenter.y);
  if (dx <= kCityMoveUnits && dy <= kCityMoveUnits && view.nLevel == m_nCityLevel) {
    return;
  }
  const int half = kCitySquareUnits / 2;
  if (m_pDataSource->RequestCurrentCity(_VPoint{centre.x - half, centre.y - half},
                                        _VPoint{centre.x + half, centre.y + half}, view.nLevel)) {
    m_cityCenter = centre;
    m_nCityLevel = view.nLevel;
  }
}

int CMapControl::Paint(CVDC* target) {
  const tagMapViewState& view = GetMapViewState();
  if (m_bLayersDirty && m_imageDC.IsValid()) {
    m_imageDC.FillSolidRect(_VRect{0, 0, view.szScreen.cx, view.szScreen.cy}, kBackgroundColor);
    DrawBackgroundGrid(m_imageDC);
    for (VPOSITION pos = m_layers.GetHeadPosition(); pos;) {
      m_layers.GetNext(pos)->Draw(m_imageDC);
    }
  }
  if (target) {
    target->BitBltFromDC(view.rcWindow.left, view.rcWindow.top, view.szScreen.cx, view.szScreen.cy, m_imageDC, 0, 0,
                         kSourceCopy);
  }
  return 1;
}

void CMapControl::DrawBackgroundGrid(CVDC& dc) {
  const tagMapViewState& view = GetMapViewState();
  int width = view.szScreen.cx;
  int height = view.szScreen.cy;
  int step = (width < height ? width : height) / 10;
  step = step > 0 ? step : 1;
  int phaseX = (step - view.ptPixelOffset.x % step) % step;
  int phaseY = (step - view.ptPixelOffset.y % step) % step;
  tagPenObj* previous = dc.SelectPen(&m_gridPen);
  for (int x = phaseX; x < width; x += step) {
    dc.MoveTo(x, 0);
    dc.LineTo(x, height);
  }
  for (int y = phaseY; y < height; y += step) {
    dc.MoveTo(0, y);
    dc.LineTo(width, y);
  }
  if (previous) {
    dc_select_pen(dc.GetHandle(), previous);
  }
}

void CMapControl::ShowBaseLayers(int mapFlag) {
  m_pSatelliteReq->ResetLists();
  m_pSatelliteLayer->Show(!mapFlag);
  m_pMapReq->ResetLists();
  m_pMapLayer->Show(mapFlag);
  BaseLayer()->UpdateData();
}

int CMapControl::ShowLayer(int kind, int flag) {
  m_bLayersDirty = 1;
  if (!m_pMapLayer) {
    return 0;
  }
  flag = flag ? 1 : 0;
  switch (kind) {
    case 1:
      if (m_pMapLayer->IsShown() != flag) {
        ShowBaseLayers(flag);
      }
      break;
    case 2:
      if (m_pSatelliteLayer->IsShown() != flag) {
        ShowBaseLayers(!flag);
      }
      break;
    case 3:
      m_pTrafficReq->SetHistory(0, 0);
      m_pTrafficReq->ClearAll();
      m_pTrafficLayer->Show(flag);
      UpdateTrafficWhenDone();
      break;
    case 4:
    case 5:
    case 6:
    case 9: {
      CVectorLayer* layer = m_pVectorLayers[kind == 6 ? 1 : kind == 9 ? 2 : 0];
      layer->Show(flag);
      layer->UpdateData();
      break;
    }
    case 7:
      m_pLocLayer->Show(flag);
      m_pLocLayer->UpdateData();
      break;
    case 8:
      m_pPoiBkgLayer->Show(flag);
      m_pPoiBkgLayer->UpdateData();
      break;
    default:
      break;
  }
  return 1;
}

void CMapControl::InvalidateImage() {
  m_bImageChanged = 1;
  m_bLayersDirty = 0;
}

void CMapControl::InvalidateAll() {
  m_bImageChanged = 1;
  m_bLayersDirty = 1;
}

int CMapControl::Deliver(CTileDownloader& downloader, GridReq& request, int emptyKind, int event,
                         int trafficLParam) {
  tagTileSplitTable table;
  CVStringArray keys;
  downloader.SplitReply(table, keys, event == kMsgHttpComplete);
  if (table.nBad) {
    // A pack that contradicts itself ends the request as a bad reply does.
    OnTileFailure(downloader.GetHttpClient().GetClientType(), 0);
    return 0;
  }
  int handed = 0;
  int missing = 0;
  for (int i = table.nPrevDone; i < table.nDone && i < keys.GetSize(); ++i) {
    // A missing tile stays without data and is asked for again (a few
    // times at most while the view stays); an empty one is stored as such.
    if (!table.pData[i]) {
      ++missing;
      continue;
    }
    request.OnReceive(table.pData[i], table.nSize[i], keys[i], request.GetRequestLevel(), emptyKind);
    handed = 1;
  }
  for (int i = 0; i < table.nPrevDone && i < tagTileSplitTable::kMaxTiles; ++i) {
    missing += table.pData[i] ? 0 : 1;
  }
  if (event == kMsgHttpComplete) {
    if (table.nPending > 0 && table.nDone == table.nCount && downloader.SendNextPack()) {
      // The next pack of the same request is on its way.
    } else {
      SetTileRequestBusy(&downloader, 0);
      if (table.nDone == table.nCount && missing == 0 && table.nPending == 0) {
        UpdateTrafficWhenDone();
      } else {
        downloader.GetHttpClient().Close();
        BaseLayer()->UpdateData();
      }
      Post(kMsgTileRequest, 0, trafficLParam);
      if (m_pTrafficLayer->IsShown()) {
        Post(kMsgTileRequest, 1, 1);
      }
    }
  }
  if (handed) {
    m_bLayersDirty = 1;
    LoadTiles(1);
    SendRepaint();
  }
  return handed;
}

int CMapControl::OnTileReply(int clientType, int requestId, int event) {
  if (!m_pMapLayer) {
    return 0;
  }
  // The two downloaders count their ids apart: a reply belongs to the one
  // its client type names.
  if (clientType != kSatelliteClient && IsTileRequestBusy(&m_downloader)) {
    if (requestId == m_pMapReq->GetLastRequestId() && m_pMapLayer->IsShown()) {
      Deliver(m_downloader, *m_pMapReq, 0, event, 0);
    } else if (requestId == m_pTrafficReq->GetLastRequestId()) {
      Deliver(m_downloader, *m_pTrafficReq, 1, event, 1);
    }
  }
  if (clientType == kSatelliteClient) {
    OnSatelliteTileReply(requestId, event);
  }
  return 1;
}

int CMapControl::OnSatelliteTileReply(int requestId, int event) {
  if (!m_pSatelliteLayer || !m_pSatelliteLayer->IsShown() || requestId != m_pSatelliteReq->GetLastRequestId()) {
    return 0;
  }
  return Deliver(m_satelliteDownloader, *m_pSatelliteReq, 0, event, 0);
}

void CMapControl::OnTileFailure(int clientType, int pressPending) {
  CTileDownloader& downloader = clientType == kSatelliteClient ? m_satelliteDownloader : m_downloader;
  downloader.GetHttpClient().Close();
  SetTileRequestBusy(&downloader, 0);
  if (!pressPending) {
    UpdateAllLayers();
  }
}

void CMapControl::OnTileRedirect(int clientType, int requestId) {
  CTileDownloader& downloader = clientType == kSatelliteClient ? m_satelliteDownloader : m_downloader;
  downloader.FollowRedirect(requestId);
}

int CMapControl::RemoveAllLayers() {
  while (!m_layers.IsEmpty()) {
    delete m_layers.RemoveHead();
  }
  m_pMapLayer = m_pSatelliteLayer = m_pTrafficLayer = nullptr;
  m_pMapReq = m_pSatelliteReq = nullptr;
  m_pTrafficReq = nullptr;
  m_pPoiBkgLayer = nullptr;
  m_pVectorLayers[0] = m_pVectorLayers[1] = m_pVectorLayers[2] = nullptr;
  m_pLocLayer = nullptr;
  return 1;
}

void CMapControl::AddOverlayLayers() {
  m_dataDisp.GetParam().LoadDefaults();
  m_pPoiBkgLayer = new CBKGLayer;
  m_pPoiBkgLayer->SetReq(new CBKGReq, m_pDataSource);
  auto* backgroundDraw = new CBKGDraw;
  backgroundDraw->SetDataDisp(&m_dataDisp);
  m_pPoiBkgLayer->SetDraw(backgroundDraw);
  m_pPoiBkgLayer->Show(0);
  m_layers.AddTail(m_pPoiBkgLayer);
  // Listed second, first, third: the drawing order.
  const struct {
    int which;
    int kind;
  } overlays[] = {{1, kVectorTransit}, {0, kVectorPois}, {2, kVectorPlace}};
  for (const auto& overlay : overlays) {
    auto* layer = new CVectorLayer;
    layer->SetReq(new CVectorReq, m_pDataSource);
    auto* draw = new CVectorDraw;
    draw->SetDataDisp(&m_dataDisp);
    layer->SetDraw(draw);
    layer->SetKind(overlay.kind);
    layer->Show(0);
    m_pVectorLayers[overlay.which] = layer;
    m_layers.AddTail(layer);
  }
  m_pLocLayer = new CLocLayer;
  m_pLocLayer->SetReq(new CLocReq, m_pLocSource);
  m_pLocLayer->SetDraw(new CLocDraw);
  m_layers.AddTail(m_pLocLayer);
}

void CMapControl::SetDataSource(CMapDataSource* source) {
  m_pDataSource = source;
  if (!m_pPoiBkgLayer) {
    return;
  }
  m_pPoiBkgLayer->SetReq(m_pPoiBkgLayer->GetReq(), source);
  for (CVectorLayer* layer : m_pVectorLayers) {
    layer->SetReq(layer->GetReq(), source);
    layer->SetRebuild();
  }
}

void CMapControl::SetLocSource(CLocSource* source) {
  m_pLocSource = source;
  if (m_pLocLayer) {
    m_pLocLayer->SetReq(m_pLocLayer->GetReq(), source);
  }
}

void CMapControl::SetOverlaysRebuild() {
  for (CVectorLayer* layer : m_pVectorLayers) {
    if (layer) {
      layer->SetRebuild();
    }
  }
}

int CMapControl::HitTest(int x, int y, Attribute& out) {
  int hit = 0;
  auto ask = [&](const auto* layer) {
    if (layer && layer->IsShown()) {
      hit |= layer->HitTest(x, y, out);
    }
  };
  ask(m_pVectorLayers[0]);
  ask(m_pVectorLayers[1]);
  ask(m_pPoiBkgLayer);
  ask(m_pVectorLayers[2]);
  return hit;
}

void CMapControl::UpdatePoiBkgLayer() {
  if (m_pPoiBkgLayer) {
    m_pPoiBkgLayer->UpdateData();
    m_bLayersDirty = 1;
    SendRepaint();
  }
}

void CMapControl::OnPoiBkgFailed() {
  if (m_pPoiBkgLayer) {
    m_pPoiBkgLayer->GetReq()->OnRequestFailed();
  }
}

int CMapControl::TouchDown(int x, int y) {
  Attribute hit;
  if (HitTest(x, y, hit)) {
    return 0;
  }
  m_bPressPending = 1;
  m_pressPoint.SetPoint(x, y);
  m_dragPoint = m_pressPoint;
  SaveOrRestoreCenter(0);
  m_bImageChanged = 1;
  return 1;
}

int CMapControl::TouchUp(int x, int y) {
  if (!m_bPressPending) {
    return 0;
  }
  m_bPressPending = 0;
  tagMapViewState& view = GetMapViewState();
  UpdateViewTransform(view, m_nCols, m_nRows);
  UpdateViewPixelOrigin(view);
  view.ptCenter = ScreenToMap(view, m_pressPoint.x - x + view.szScreen.cx / 2 + view.rcWindow.left,
                              m_pressPoint.y - y + view.szScreen.cy / 2 + view.rcWindow.top);
  if (m_dragPoint.x != 0 || m_dragPoint.y != 0) {
    StartFling(m_dragPoint, _VPoint{x, y});
    m_dragPoint.SetPoint(0, 0);
  } else {
    MoveTo(view.ptCenter.x, view.ptCenter.y, 0, 1, 1);
  }
  return 1;
}

void CMapControl::StepTowards(int dx, int dy) {
  tagMapViewState& view = GetMapViewState();
  view.ptCenter.x = std::abs(dx) <= kSnapPixels ? m_target.x : view.ptCenter.x + dx / 5 * view.nScale;
  view.ptCenter.y = std::abs(dy) <= kSnapPixels ? m_target.y : view.ptCenter.y + dy / 5 * view.nScale;
  UpdateViewPixelOrigin(view);
}

int CMapControl::MoveTo(int x, int y, int animate, int update, int notify) {
  tagMapViewState& view = GetMapViewState();
  int scale = view.nScale > 0 ? view.nScale : 1;
  int dx = static_cast<int>((static_cast<long long>(x) - view.ptCenter.x) / scale);
  int dy = static_cast<int>((static_cast<long long>(y) - view.ptCenter.y) / scale);
  if (animate && notify) {
    m_target.SetPoint(x, y);
    if (std::abs(dx) > kSnapPixels || std::abs(dy) > kSnapPixels) {
      StepTowards(dx, dy);
      if (IsViewOutsideTileRange(view)) {
        UpdateViewTransform(view, m_nCols, m_nRows);
        UpdateViewPixelOrigin(view);
        LoadTiles(update);
        UpdateVectorLayers();
      }
      m_bLayersDirty = 1;
      Post(kMsgSmoothMoveStep, 0, 0);
      SendRepaint();
      return 1;
    }
  }
  m_bLayersDirty = 1;
  view.ptCenter.SetPoint(x, y);
  UpdateViewTransform(view, m_nCols, m_nRows);
  UpdateViewPixelOrigin(view);
  if (update && m_pMapLayer) {
    BaseLayer()->UpdateData();
    RequestCurrentCity();
  }
  UpdateOverlays();
  if (m_pMapLayer) {
    UpdateTrafficWhenDone();
  }
  if (notify) {
    SendRepaint();
  }
  return 1;
}

int CMapControl::MoveToScreenPoint(int x, int y, int animate) {
  _VPoint point = ScreenToMap(GetMapViewState(), x, y);
  return MoveTo(point.x, point.y, animate, 1, 1);
}

void CMapControl::MoveSmoothStep() {
  tagMapViewState& view = GetMapViewState();
  int scale = view.nScale > 0 ? view.nScale : 1;
  int dx = static_cast<int>((static_cast<long long>(m_target.x) - view.ptCenter.x) / scale);
  int dy = static_cast<int>((static_cast<long long>(m_target.y) - view.ptCenter.y) / scale);
  if (std::abs(dx) <= kSnapPixels && std::abs(dy) <= kSnapPixels) {
    m_bLayersDirty = 1;
    view.ptCenter = m_target;
    UpdateAllLayers();
    SendRepaint();
    if (CVMsgMan* msgs = Messages()) {
      msgs->SendMessage(2, kMsgSmoothMoveEnd, 0, 0);
    }
    return;
  }
  StepTowards(dx, dy);
  if (IsViewOutsideTileRange(view)) {
    UpdateViewTransform(view, m_nCols, m_nRows);
    UpdateViewPixelOrigin(view);
    LoadTiles(0);
    UpdateVectorLayers();
  }
  m_bLayersDirty = 1;
  Post(kMsgSmoothMoveStep, 0, 0);
  SendRepaint();
}

int CMapControl::SetLevel(int level, int update, int animate, int notify) {
  tagMapViewState& view = GetMapViewState();
  m_bLayersDirty = 0;
  // The overlays are simplified anew for the level.
  SetOverlaysRebuild();
  int target = level < 3 ? 3 : level > 18 ? 18 : level;
  int width = view.szScreen.cx;
  int height = view.szScreen.cy;
  // The image as it stands is the source of every frame; frames are drawn
  // from the second DC, never from the bitmap they write.
  m_panDC.BitBltFromDC(0, 0, width, height, m_imageDC, 0, 0, kSourceCopy);
  if (target != view.nLevel && animate && notify && m_bAnimation) {
    bool zoomIn = target > view.nLevel;
    while (view.nLevel != target) {
      for (int i = 1; i <= 10 && m_bAnimation; ++i) {
        unsigned start = GetTickCount();
        int x = static_cast<int>(i * width / 40.0);
        int y = static_cast<int>(i * height / 40.0);
        if (zoomIn) {
          m_imageDC.StretchBltFromDC(0, 0, width, height, m_panDC, x, y, width - static_cast<int>(i * width / 20.0),
                                     height - static_cast<int>(i * height / 20.0), kSourceCopy);
        } else {
          m_imageDC.FillSolidRect(_VRect{0, 0, width, height}, kZoomFillColor);
          m_imageDC.StretchBltFromDC(x, y, width - 2 * x, height - 2 * y, m_panDC, 0, 0, width, height, kSourceCopy);
        }
        SendRepaint();
        if (GetTickCount() - start > kSlowFrameMs) {
          m_bAnimation = 0;
        }
      }
      m_bLayersDirty = 1;
      SetViewLevel(view, view.nLevel + (zoomIn ? 1 : -1));
      UpdateViewTransform(view, m_nCols, m_nRows);
      UpdateViewPixelOrigin(view);
      LoadTiles(1);
      UpdateVectorLayers();
      m_panDC.BitBltFromDC(0, 0, width, height, m_imageDC, 0, 0, kSourceCopy);
    }
  } else if (target != view.nLevel) {
    int factor = 1 << std::abs(target - view.nLevel);
    int w = width / factor;
    int h = height / factor;
    if (target > view.nLevel) {
      m_imageDC.StretchBltFromDC(0, 0, width, height, m_panDC, (width - w) / 2, (height - h) / 2, w, h, kSourceCopy);
    } else {
      m_imageDC.FillSolidRect(_VRect{0, 0, width, height}, kZoomFillColor);
      m_imageDC.StretchBltFromDC((width - w) / 2, (height - h) / 2, w, h, m_panDC, 0, 0, width, height, kSourceCopy);
    }
  }
  m_bLayersDirty = 1;
  SetViewLevel(view, target);
  if (update && m_pMapLayer) {
    UpdateViewTransform(view, m_nCols, m_nRows);
    UpdateViewPixelOrigin(view);
    m_pMapLayer->UpdateData();
    m_pSatelliteLayer->UpdateData();
    UpdateTrafficWhenDone();
    UpdateOverlays();
    RequestCurrentCity();
  }
  if (notify) {
    Post(kMsgRepaint, 0, 0);
  }
  return 1;
}

int CMapControl::ZoomToRect(int left, int top, int right, int bottom) {
  if (left == 0 && top == 0 && (right == left || bottom == top)) {
    return 0;
  }
  const tagMapViewState& view = GetMapViewState();
  long long w = std::llabs(static_cast<long long>(right) - left);
  long long h = std::llabs(static_cast<long long>(bottom) - top);
  int halvingsW = 0;
  int halvingsH = 0;
  while (w > view.szScreen.cx && w > 0) {
    w >>= 1;
    ++halvingsW;
  }
  while (h > view.szScreen.cy && h > 0) {
    h >>= 1;
    ++halvingsH;
  }
  return SetLevel(18 - (halvingsW > halvingsH ? halvingsW : halvingsH), 1, 0, 1);
}

void CMapControl::SetPanVelocity(int vx, int vy) { m_panVelocity.SetPoint(vx, vy); }

void CMapControl::CenterOnScreenPoint(int x, int y) {
  tagMapViewState& view = GetMapViewState();
  view.ptCenter = ScreenToMap(view, x, y);
  UpdateViewPixelOrigin(view);
}

void CMapControl::OnPanStep() {
  tagMapViewState& view = GetMapViewState();
  int width = view.szScreen.cx;
  int height = view.szScreen.cy;
  if (m_panVelocity.x == 0 && m_panVelocity.y == 0) {
    m_bLayersDirty = 1;
    m_nPanCounter = 0;
    m_panOffset.SetPoint(0, 0);
    UpdateAllLayers();
    RequestCurrentCity();
    SendRepaint();
    return;
  }
  m_bLayersDirty = 0;
  // The second vector layer sits out the step.
  CVectorLayer* second = m_pVectorLayers[1];
  const int secondShown = second ? second->IsShown() : 0;
  if (second) {
    second->Show(0);
  }
  _VPoint step{PanStep(m_panVelocity.x, m_nPanCounter, width / 2), PanStep(m_panVelocity.y, m_nPanCounter, height / 2)};
  if (m_nPanCounter < width + height) {
    ++m_nPanCounter;
  }
  m_lastPanStep = step;
  m_panOffset.x += step.x;
  m_panOffset.y += step.y;
  CenterOnScreenPoint(width / 2 - step.x + view.rcWindow.left, height / 2 - step.y + view.rcWindow.top);
  if (std::abs(m_panOffset.x) < width / 2 && std::abs(m_panOffset.y) < height / 2) {
    // The old image moves without a repaint of the layers.
    m_panDC.FillSolidRect(_VRect{0, 0, width, height}, kZoomFillColor);
    m_panDC.BitBltFromDC(step.x, step.y, width, height, m_imageDC, 0, 0, kSourceCopy);
    m_imageDC.BitBltFromDC(0, 0, width, height, m_panDC, 0, 0, kSourceCopy);
  } else {
    m_bLayersDirty = 1;
    m_panOffset.SetPoint(0, 0);
    UpdateViewTransform(view, m_nCols, m_nRows);
    UpdateViewPixelOrigin(view);
    LoadTiles(1);
    UpdateVectorLayers();
  }
  SendRepaint();
  if (second) {
    second->Show(secondShown);
  }
  Post(kMsgPanStep, 0, 0);
}

void CMapControl::StartFling(const _VPoint& from, const _VPoint& to) {
  tagMapViewState& view = GetMapViewState();
  m_fling.SetPoint(to.x - from.x, to.y - from.y);
  UpdateViewTransform(view, m_nCols, m_nRows);
  UpdateViewPixelOrigin(view);
  if (std::abs(m_fling.x) <= kFlingStill && std::abs(m_fling.y) <= kFlingStill) {
    UpdateAllLayers();
    SendRepaint();
    Post(kMsgMoveEnd, 0, 0);
  } else {
    Post(kMsgFlingStep, 0, 0);
  }
}

void CMapControl::OnFlingStep() {
  tagMapViewState& view = GetMapViewState();
  m_fling.SetPoint(FlingDecay(m_fling.x), FlingDecay(m_fling.y));
  CenterOnScreenPoint(view.szScreen.cx / 2 - m_fling.x + view.rcWindow.left,
                      view.szScreen.cy / 2 - m_fling.y + view.rcWindow.top);
  if (IsViewOutsideTileRange(view)) {
    UpdateViewTransform(view, m_nCols, m_nRows);
    UpdateViewPixelOrigin(view);
    UpdateVectorLayers();
  }
  if (std::abs(m_fling.x) > kSnapPixels || std::abs(m_fling.y) > kSnapPixels) {
    Post(kMsgFlingStep, 0, 0);
  } else {
    m_bLayersDirty = 1;
    UpdateAllLayers();
    RequestCurrentCity();
  }
  SendRepaint();
}

void CMapControl::SaveOrRestoreCenter(int flag) {
  m_fling.SetPoint(0, 0);
  if (flag == 0) {
    m_savedCenter = GetMapViewState().ptCenter;
  } else {
    MoveTo(m_savedCenter.x, m_savedCenter.y, 0, 1, 1);
  }
}

void CMapControl::SetRoute(const CComplexPt& route) {
  m_pRoute = route.GetPartSize() > 0 ? std::make_unique<CComplexPt>(route) : nullptr;
}

void CMapControl::FollowRouteStep(int position, int forward) {
  // A step that arrives after the route was cleared does nothing.
  if (!m_pRoute) {
    return;
  }
  constexpr int kIndexMask = 0xFFFF;
  const int parts = m_pRoute->GetPartSize();
  int index = position & kIndexMask;
  for (int part = position >> 16; part >= 0 && part < parts; ++part, index = 0) {
    // Backward walks the mirrored part by its own point count.
    int source = forward ? part : parts - part - 1;
    int count = m_pRoute->GetPartPointCount(source);
    int last = count - 1;
    // The index has 16 bits: a longer part ends at the last index it can
    // name, so the walk never stalls there.
    int end = last < kIndexMask ? last : kIndexMask;
    if (count >= 4 && index < end) {
      _VPoint target = m_pRoute->GetPoint(source, forward ? index : last - index);
      MoveTo(target.x / 100, target.y / 100, 0, 0, 1);
      int next = index + count / 10 + 1;
      Post(kMsgRouteStep, part << 16 | (next < end ? next : end), forward);
      return;
    }
    // A short part, or the end of one: jump to its end (backward: to the
    // first point of the first part).
    _VPoint jump = forward ? m_pRoute->GetPoint(part, m_pRoute->GetPartPointCount(part) - 1) : m_pRoute->GetPoint(0, 0);
    MoveTo(jump.x / 100, jump.y / 100, 1, 1, 1);
  }
  m_pRoute.reset();
}

}  // namespace mapengine
