// The map-view controller: owns the layer stack, the two tile downloaders,
// the back-buffer image and the offline grid data; paints the layers, feeds
// tile replies into the tile requests, and moves and zooms the view. The
// steps of animated moves are engine messages it posts to itself. Main
// thread only.
//
// The stack holds, bottom to top: map tiles, satellite, traffic, the POI
// background, the vector overlays of the second (display kind 5), first
// (kind 1) and third (kind 7) vector layers, and the location layer. The
// overlays read the search manager given with SetDataSource, the location
// layer the positioning object given with SetLocSource.
#pragma once

#include <memory>

#include "engine/base/VList.h"
#include "engine/model/ComplexPt.h"
#include "engine/render/GridDataFile.h"
#include "engine/render/GridDraw.h"
#include "engine/render/GridReq.h"
#include "engine/render/LocLayer.h"
#include "engine/render/MapLayer.h"
#include "engine/render/OverlayLayers.h"
#include "engine/render/TileDownloader.h"
#include "engine/render/VDraw.h"

namespace mapengine {

class CMapControl {
public:
  static constexpr uint32_t kBackgroundColor = 0xFFD2D2D2;
  static constexpr uint32_t kGridColor = 0xFF808080;
  static constexpr uint32_t kZoomFillColor = 0xFFC0C0C0;
  static constexpr int kFileEntries = 500;
  static constexpr int kSnapPixels = 5;
  static constexpr int kFlingStill = 29;
  static constexpr int kFlingTopSpeed = 17;
  // A zoom frame slower than this turns the zoom animation off for good.
  static constexpr unsigned kSlowFrameMs = 80;
  // The current city is asked again once the centre moved further than
  // this on an axis (or the level changed), for the square of this side
  // around the centre (map units).
  static constexpr int kCityMoveUnits = 15000;
  static constexpr int kCitySquareUnits = 1000;

  CMapControl();
  ~CMapControl();
  CMapControl(const CMapControl&) = delete;
  CMapControl& operator=(const CMapControl&) = delete;

  // Centre in map units, window rectangle, level: builds the layer stack
  // with its caches; the offline grid files go under the data folder. 1.
  int Init(int centerX, int centerY, int left, int top, int right, int bottom, int level,
           const CVString& offlineFolder = CVString());
  int SetWindowRect(int left, int top, int right, int bottom);
  void UpdateAllLayers();
  // Redraws the back buffer when the layers are dirty; copies it to the
  // target (when given) at the window's origin. 1.
  int Paint(CVDC* target);
  void DrawBackgroundGrid(CVDC& dc);
  // Kinds 1 map tiles, 2 satellite, 3 traffic, 4 and 5 the first vector
  // layer, 6 the second, 7 the location, 8 the POI background, 9 the third;
  // any kind marks the layers dirty.
  int ShowLayer(int kind, int flag);
  void InvalidateImage();
  void InvalidateAll();
  // Tile download progress (1002) and completion (1003) of the first
  // downloader, then offered to the satellite one.
  int OnTileReply(int clientType, int requestId, int event);
  int OnSatelliteTileReply(int requestId, int event);
  // A failed, bad or refused tile download (1004 to 1007): the client is
  // closed, the busy flag cleared and, without a pending press, the layers
  // asked again.
  void OnTileFailure(int clientType, int pressPending);
  // The relay redirected a tile download (1120): the downloader of the
  // client type asks for the same pack where the redirect points; its end
  // (1003, or a failure) clears the busy flag as any download's does.
  void OnTileRedirect(int clientType, int requestId);
  int RemoveAllLayers();
  // The search manager the overlay layers read (kept by the facade).
  void SetDataSource(CMapDataSource* source);
  // The first vector layer, the second, the POI background and the third,
  // each when shown; the last one hit fills out. Nonzero when any was hit.
  int HitTest(int x, int y, Attribute& out);
  // The positioning object the location layer reads (kept by the facade).
  void SetLocSource(CLocSource* source);
  // A POI background reply arrived (8010): the layer looks again.
  void UpdatePoiBkgLayer();
  // The POI background request failed (8010 with an error): its tiles are
  // asked again on the next pass.
  void OnPoiBkgFailed();

  // A finger down at the point of the window's client area: 0 when an item
  // of the overlays lies there (nothing changes), else 1 with the press
  // recorded and the centre saved.
  int TouchDown(int x, int y);
  // The finger up: the map moves by the way from the press to here, and
  // flings on from there when that way is long. 0 without a press.
  int TouchUp(int x, int y);
  int IsPressPending() const { return m_bPressPending; }

  int MoveTo(int x, int y, int animate, int update, int notify);
  int MoveToScreenPoint(int x, int y, int animate);
  void MoveSmoothStep();
  int SetLevel(int level, int update, int animate, int notify);
  int ZoomToRect(int left, int top, int right, int bottom);
  // The pan velocity the view sets while a pan button is held (0, 0 when
  // released); each step posts the next one.
  void SetPanVelocity(int vx, int vy);
  void OnPanStep();
  void StartFling(const _VPoint& from, const _VPoint& to);
  void OnFlingStep();
  void SaveOrRestoreCenter(int flag);
  // Asks the search manager for the city of the view when the centre moved
  // far enough or the level changed since the last request; the first call
  // only notes the centre.
  void RequestCurrentCity();
  // The route to follow, in hundredths of map units (a copy is kept); an
  // empty geometry clears it.
  void SetRoute(const CComplexPt& route);
  const CComplexPt* GetRoute() const { return m_pRoute.get(); }
  // One step along the route: position = part << 16 | point index; posts
  // the next step (8016) until the route's end, then drops the route.
  void FollowRouteStep(int position, int forward);

  CVDC& GetImageDC() { return m_imageDC; }
  CVBitmap& GetImage() { return m_image; }
  CGridLayer* GetMapLayer() const { return m_pMapLayer; }
  CGridLayer* GetSatelliteLayer() const { return m_pSatelliteLayer; }
  CGridLayer* GetTrafficLayer() const { return m_pTrafficLayer; }
  GridReqEx* GetMapReq() const { return m_pMapReq; }
  GridReqEx* GetSatelliteReq() const { return m_pSatelliteReq; }
  CTrafficReq* GetTrafficReq() const { return m_pTrafficReq; }
  // 0 the first vector layer (kind 1), 1 the second (kind 5), 2 the third
  // (kind 7).
  CVectorLayer* GetVectorLayer(int which) const { return m_pVectorLayers[which]; }
  CBKGLayer* GetPoiBkgLayer() const { return m_pPoiBkgLayer; }
  CLocLayer* GetLocLayer() const { return m_pLocLayer; }
  CDataDisp& GetDataDisp() { return m_dataDisp; }
  CTileDownloader& GetDownloader() { return m_downloader; }
  CTileDownloader& GetSatelliteDownloader() { return m_satelliteDownloader; }
  COfflineDataCache& GetOfflineCache() { return m_offline; }
  int GetColumns() const { return m_nCols; }
  int GetRows() const { return m_nRows; }
  int IsLayersDirty() const { return m_bLayersDirty; }
  int IsAnimationEnabled() const { return m_bAnimation; }
  _VPoint GetFlingVector() const { return m_fling; }
  _VPoint GetPanStep() const { return m_lastPanStep; }

private:
  void OpenLayerCaches();
  void CreateImage();
  // The base layer shown: map tiles, else satellite.
  CGridLayer* BaseLayer() const;
  GridReq* BaseReq() const;
  void LoadTiles(int force);
  void UpdateTrafficWhenDone();
  // The three vector layers; with the POI background layer (the overlays).
  void UpdateVectorLayers();
  void UpdateOverlays();
  // Hands the newly complete tiles of the downloader's pack to the request;
  // at completion asks again for what did not come. 1 when tiles were
  // handed over.
  int Deliver(CTileDownloader& downloader, GridReq& request, int emptyKind, int event, int trafficLParam);
  void ShowBaseLayers(int mapFlag);
  void AddOverlayLayers();
  void SetOverlaysRebuild();
  void SendRepaint();
  void Post(int message, int wParam, int lParam);
  // Moves the centre so that the screen point lands under the screen centre
  // plus the offset.
  void CenterOnScreenPoint(int x, int y);
  void StepTowards(int dx, int dy);

  CVList<CMapLayer*, CMapLayer*> m_layers;
  CTileDownloader m_downloader;
  CTileDownloader m_satelliteDownloader;
  CGridLayer* m_pMapLayer = nullptr;
  CGridLayer* m_pSatelliteLayer = nullptr;
  CGridLayer* m_pTrafficLayer = nullptr;
  GridReqEx* m_pMapReq = nullptr;
  GridReqEx* m_pSatelliteReq = nullptr;
  CTrafficReq* m_pTrafficReq = nullptr;
  int m_nCols = 0;
  int m_nRows = 0;
  CVDC m_imageDC;
  CVBitmap m_image;
  CVDC m_panDC;
  CVBitmap m_panImage;
  CVPen m_gridPen;
  int m_bLayersDirty = 1;
  int m_bImageChanged = 0;
  int m_bAnimation = 1;
  _VPoint m_panVelocity;
  int m_nPanCounter = 0;
  _VPoint m_panOffset;
  _VPoint m_lastPanStep;
  _VPoint m_fling;
  _VPoint m_savedCenter;
  _VPoint m_target;
  _VPoint m_cityCenter;
  int m_nCityLevel = 0;
  COfflineDataCache m_offline;
  CDataDisp m_dataDisp;
  CMapDataSource* m_pDataSource = nullptr;
  CBKGLayer* m_pPoiBkgLayer = nullptr;
  CVectorLayer* m_pVectorLayers[3] = {};
  CLocSource* m_pLocSource = nullptr;
  CLocLayer* m_pLocLayer = nullptr;
  int m_bPressPending = 0;
  _VPoint m_pressPoint;
  // The start of the last drag motion: the press point until a drag moves it.
  _VPoint m_dragPoint;
  std::unique_ptr<CComplexPt> m_pRoute;
};

}  // namespace mapengine
