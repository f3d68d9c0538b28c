#include "engine/render/GridDraw.h"

#include "engine/render/MapView.h"

namespace mapengine {

namespace {

constexpr int kTile = 256;

}  // namespace

void GridDraw::Init(CGirdDataArray* tiles, CShowDataArray* shows) {
  m_pTiles = tiles;
  m_pShows = shows;
}

void GridDraw::DrawTile(CVDC& dc, int x, int y, const unsigned char* data, int size) {
  const tagMapViewState& view = GetMapViewState();
  tagBitmapInfoHeader header{};
  header.biSize = sizeof header;
  header.biWidth = kTile;
  header.biHeight = kTile;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biSizeImage = static_cast<uint32_t>(size);
  dc.DrawBits((x - view.nTileX) * kTile - view.ptPixelOffset.x, (view.nTileY - y) * kTile - view.ptPixelOffset.y,
              kTile, kTile, 0, 0, data, &header);
}

int GridDraw::Draw(CVDC& dc) {
  if (!m_pTiles || m_pTiles->GetSize() == 0 || (*m_pTiles)[0].nLevel != GetMapViewState().nLevel) {
    return 0;
  }
  for (int i = 0; i < m_pTiles->GetSize(); ++i) {
    const tagGirdData& tile = (*m_pTiles)[i];
    if (tile.pData) {
      DrawTile(dc, tile.nX, tile.nY, tile.pData, tile.nSize);
    }
  }
  return 1;
}

int GridDrawEx::Draw(CVDC& dc) {
  GridDraw::Draw(dc);
  if (!m_pShows || m_pShows->GetSize() == 0 || (*m_pShows)[0].nLevel != GetMapViewState().nLevel) {
    return 0;
  }
  for (int i = 0; i < m_pShows->GetSize(); ++i) {
    const tagGirdDataForShow& show = (*m_pShows)[i];
    if (show.pData) {
      DrawTile(dc, show.nX, show.nY, show.pData, show.nSize);
    }
  }
  return 1;
}

}  // namespace mapengine
