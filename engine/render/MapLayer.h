// The layers of the map view and the two families every layer delegates
// to: a request object that brings the layer's data up to date for the view
// and a draw object that paints it. Grid layers (map tiles, satellite,
// traffic) combine a tile request and a tile drawer over two tile lists the
// layer owns.
#pragma once

#include "engine/base/VArray.h"
#include "engine/render/GridDataCache.h"
#include "engine/render/VDraw.h"

namespace mapengine {

// One entry of a show list: the tile to fill and the tile whose image
// stands in for it.
struct tagGirdDataForShow {
  int nLevel;
  int nX;
  int nY;
  int nSrcLevel;
  int nSrcX;
  int nSrcY;
  unsigned char* pData;
  int nSize;
};

using CShowDataArray = CVArray<tagGirdDataForShow, tagGirdDataForShow&>;

class CReqBase {
public:
  virtual ~CReqBase() = default;
  virtual int RequestData() = 0;
};

class CDrawBase {
public:
  virtual ~CDrawBase() = default;
  virtual int Draw(CVDC& dc) = 0;
};

class CMapLayer {
public:
  CMapLayer() = default;
  virtual ~CMapLayer() = default;
  CMapLayer(const CMapLayer&) = delete;
  CMapLayer& operator=(const CMapLayer&) = delete;

  virtual int Draw(CVDC& dc) = 0;
  virtual int UpdateData() = 0;
  virtual void Show(int flag) { m_bShow = flag; }
  int IsShown() const { return m_bShow; }

protected:
  int m_bShow = 1;
};

class GridReq;
class GridDraw;

class CGridLayer : public CMapLayer {
public:
  static constexpr int kInitialSlots = 12;

  CGridLayer();
  ~CGridLayer() override;

  int Draw(CVDC& dc) override;
  int UpdateData() override;
  // With no-auto-request 0, showing allocates the request's tile buffers and
  // hiding frees them (and empties its memory cache).
  void Show(int flag) override;
  // Takes ownership, destroying the previous object, and gives it the lists.
  void SetReq(GridReq* request);
  void SetDraw(GridDraw* draw);
  void SetNoAutoRequest(int value) { m_nNoAutoRequest = value; }

  GridReq* GetReq() const { return m_pReq; }
  CGirdDataArray& GetTiles() { return m_tiles; }
  CShowDataArray& GetShows() { return m_shows; }

private:
  CGirdDataArray m_tiles;
  CShowDataArray m_shows;
  GridDraw* m_pDraw = nullptr;
  GridReq* m_pReq = nullptr;
  int m_nNoAutoRequest = 1;
};

}  // namespace mapengine
