#include "engine/render/MapLayer.h"

#include "engine/render/GridDraw.h"
#include "engine/render/GridReq.h"

namespace mapengine {

CGridLayer::CGridLayer() {
  m_tiles.SetSize(kInitialSlots);
  m_shows.SetSize(kInitialSlots);
}

CGridLayer::~CGridLayer() {
  delete m_pDraw;
  delete m_pReq;
}

int CGridLayer::Draw(CVDC& dc) { return m_bShow && m_pDraw ? m_pDraw->Draw(dc) : 0; }

int CGridLayer::UpdateData() { return m_bShow && m_pReq ? m_pReq->RequestData() : 0; }

void CGridLayer::Show(int flag) {
  if (!m_nNoAutoRequest && m_pReq && !m_bShow && flag) {
    m_pReq->AllocTileBuffers();
  } else if (!m_nNoAutoRequest && m_pReq && m_bShow && !flag) {
    m_pReq->FreeTileBuffers();
  }
  m_bShow = flag;
}

void CGridLayer::SetReq(GridReq* request) {
  delete m_pReq;
  m_pReq = request;
  if (m_pReq) {
    m_pReq->Init(&m_tiles, &m_shows);
  }
}

void CGridLayer::SetDraw(GridDraw* draw) {
  delete m_pDraw;
  m_pDraw = draw;
  if (m_pDraw) {
    m_pDraw->Init(&m_tiles, &m_shows);
  }
}

}  // namespace mapengine
