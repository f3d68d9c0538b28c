// Paints a grid layer's decoded tiles into the back buffer; GridDrawEx adds
// the stand-in tiles cut from parent levels.
#pragma once

#include "engine/render/MapLayer.h"

namespace mapengine {

class GridDraw : public CDrawBase {
public:
  virtual void Init(CGirdDataArray* tiles, CShowDataArray* shows);
  // Nothing while the tile list belongs to another level than the view's.
  int Draw(CVDC& dc) override;

protected:
  // Copies 256 x 256 pixel rows (blending when an alpha plane follows them)
  // to the tile's place on the back buffer.
  static void DrawTile(CVDC& dc, int x, int y, const unsigned char* data, int size);

  CGirdDataArray* m_pTiles = nullptr;
  CShowDataArray* m_pShows = nullptr;
};

class GridDrawEx : public GridDraw {
public:
  int Draw(CVDC& dc) override;
};

}  // namespace mapengine
