// The location layer of the map view: it keeps a copy of the current
// location record, refreshed with the layer's data, for the interface layer
// to read (the interface draws the position itself; the layer draws
// nothing).
#pragma once

#include "engine/model/LocationRecord.h"
#include "engine/render/MapLayer.h"

namespace mapengine {

// What the location layer reads: the positioning object.
class CLocSource {
public:
  virtual ~CLocSource() = default;
  virtual void GetLocation(tagLocInfo* out) = 0;
};

class CLocReq : public CReqBase {
public:
  void Init(tagLocInfo* record, CLocSource* source);
  // Copies the current location record into the layer's buffer.
  int RequestData() override;

private:
  tagLocInfo* m_pRecord = nullptr;
  CLocSource* m_pSource = nullptr;
};

// The interface layer draws the position from the layer's record.
class CLocDraw : public CDrawBase {
public:
  int Draw(CVDC&) override { return 0; }
};

class CLocLayer : public CMapLayer {
public:
  CLocLayer() = default;
  ~CLocLayer() override;

  // Drawn shown or not; refreshed only when shown.
  int Draw(CVDC& dc) override;
  int UpdateData() override;
  // Take ownership, destroying the previous object; the request gets the
  // layer's record buffer.
  void SetReq(CLocReq* request, CLocSource* source);
  void SetDraw(CLocDraw* draw);

  CLocReq* GetReq() const { return m_pReq; }
  const tagLocInfo& GetLocation() const { return m_record; }

private:
  CLocReq* m_pReq = nullptr;
  CLocDraw* m_pDraw = nullptr;
  tagLocInfo m_record;
};

}  // namespace mapengine
