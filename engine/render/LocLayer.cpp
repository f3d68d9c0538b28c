#include "engine/render/LocLayer.h"

namespace mapengine {

void CLocReq::Init(tagLocInfo* record, CLocSource* source) {
  m_pRecord = record;
  m_pSource = source;
}

int CLocReq::RequestData() {
  if (!m_pRecord || !m_pSource) {
    return 0;
  }
  m_pSource->GetLocation(m_pRecord);
  return 1;
}

CLocLayer::~CLocLayer() {
  delete m_pReq;
  delete m_pDraw;
}

int CLocLayer::Draw(CVDC& dc) { return m_pDraw ? m_pDraw->Draw(dc) : 0; }

int CLocLayer::UpdateData() { return m_bShow && m_pReq ? m_pReq->RequestData() : 0; }

void CLocLayer::SetReq(CLocReq* request, CLocSource* source) {
  if (request != m_pReq) {
    delete m_pReq;
  }
  m_pReq = request;
  if (m_pReq) {
    m_pReq->Init(&m_record, source);
  }
}

void CLocLayer::SetDraw(CLocDraw* draw) {
  if (draw != m_pDraw) {
    delete m_pDraw;
  }
  m_pDraw = draw;
}

}  // namespace mapengine
