// The layers of the map view that are not raster tiles: the vector overlay
// layer (search results as geometry, drawn through CDataDisp) and the POI
// background layer (a small icon for every POI of a background keyword,
// fetched per tile through the search manager and kept in its temporary
// files). Both hit-test taps.
#pragma once

#include "engine/base/VMap.h"
#include "engine/render/DataDisp.h"
#include "engine/render/MapDataSource.h"
#include "engine/render/MapLayer.h"
#include "engine/render/VectorReq.h"

namespace mapengine {

class CVectorDraw : public CDrawBase {
public:
  void Init(tagGeoElementList* built, tagGeoElementList* projected);
  void SetDataDisp(CDataDisp* disp) { m_pDisp = disp; }
  // Moves the projected copy by the view's current pixel offset, so the
  // overlay follows a drag without a rebuild.
  int Draw(CVDC& dc) override;

private:
  tagGeoElementList* m_pBuilt = nullptr;
  tagGeoElementList* m_pProjected = nullptr;
  CDataDisp* m_pDisp = nullptr;
};

class CVectorLayer : public CMapLayer {
public:
  CVectorLayer() = default;
  ~CVectorLayer() override;

  int Draw(CVDC& dc) override;
  int UpdateData() override;
  void Show(int flag) override { m_bShow = flag; }
  // Take ownership (destroying the previous object) and hand over the lists.
  void SetReq(CVectorReq* request, CMapDataSource* source);
  void SetDraw(CVectorDraw* draw);
  void SetKind(int kind);
  void SetRebuild();
  // 1 when a point element lies under the screen point (the topmost one),
  // its attribute copied out with pos the point in map units.
  int HitTest(int x, int y, Attribute& out) const;

  CVectorReq* GetReq() const { return m_pReq; }
  const tagGeoElementList& GetElements() const { return m_built; }
  const tagGeoElementList& GetProjected() const { return m_projected; }

private:
  tagGeoElementList m_built;
  tagGeoElementList m_projected;
  CVectorReq* m_pReq = nullptr;
  CVectorDraw* m_pDraw = nullptr;
  int m_nKind = 0;
};

class CBKGReq : public CReqBase {
public:
  // A view of more tiles than this asks for nothing.
  static constexpr int kMaxAskedKeys = 100;

  void Init(CPoiBkgTileArray* tiles, CMapDataSource* source);
  // An empty keyword shows nothing.
  void SetKeyword(const CVString& keyword);
  const CVString& GetKeyword() const { return m_keyword; }
  // Lists the view's tiles and fills those the cache has. When a tile is
  // missing that was not asked for, one request asks for every missing tile
  // (it replaces any request on its way); a tile asked for is not asked
  // again at the same level and keyword until a new request is needed or
  // the last one failed.
  int RequestData() override;
  // The background request failed (engine message 8010 with an error): its
  // tiles may be asked again.
  void OnRequestFailed();

private:
  static CVString AskedKey(const tag_PoiBkgDataElem& tile);

  CPoiBkgTileArray* m_pTiles = nullptr;
  CPoiBkgTileArray m_missing;
  CVMapStringToPtr m_asked{10};
  int m_nAskedLevel = -1;
  CMapDataSource* m_pSource = nullptr;
  CVString m_keyword;
};

class CBKGDraw : public CDrawBase {
public:
  void Init(CPoiBkgTileArray* tiles) { m_pTiles = tiles; }
  void SetDataDisp(CDataDisp* disp) { m_pDisp = disp; }
  int Draw(CVDC& dc) override;

private:
  CPoiBkgTileArray* m_pTiles = nullptr;
  CDataDisp* m_pDisp = nullptr;
};

class CBKGLayer : public CMapLayer {
public:
  CBKGLayer() = default;
  ~CBKGLayer() override;

  int Draw(CVDC& dc) override;
  int UpdateData() override;
  void SetReq(CBKGReq* request, CMapDataSource* source);
  void SetDraw(CBKGDraw* draw);
  // 1 when a background POI lies within 10 pixels of the screen point: kind
  // 4, its name, identifier and position.
  int HitTest(int x, int y, Attribute& out) const;

  CBKGReq* GetReq() const { return m_pReq; }
  const CPoiBkgTileArray& GetTiles() const { return m_tiles; }

private:
  CBKGReq* m_pReq = nullptr;
  CBKGDraw* m_pDraw = nullptr;
  CPoiBkgTileArray m_tiles;
};

}  // namespace mapengine
