// The engine's geometry value: a point, a polyline or an area of one or more
// parts, each a run of integer points, with a bounding rectangle and a kind.
#pragma once

#include "engine/base/VArray.h"
#include "engine/base/VTypes.h"

namespace mapengine {

class CComplexPt {
public:
  // The kinds of the encoded point strings.
  enum { kEmpty = 0, kPoint = 1, kLine = 2, kArea = 3 };

  CComplexPt();
  CComplexPt(int x, int y);
  CComplexPt(const CComplexPt& other);
  CComplexPt& operator=(const CComplexPt& other);
  virtual ~CComplexPt();

  // Frees every part and zeroes the kind and the rectangle.
  void RemoveAll();
  int GetType() const { return m_nType; }
  // The bounding rectangle: first corner (left, top), second corner (right,
  // bottom), as the producer gave them.
  void GetBound(_VRect* bound) const;
  int GetPartSize() const { return m_arrPart.GetSize(); }
  // The part's points; null when the index is out of range.
  CVArray<_VPoint, _VPoint>* GetPart(int part) const;
  int GetPartPointCount(int part) const;
  // (0, 0) when either index is out of range.
  _VPoint GetPoint(int part, int index) const;
  // Appends a copy of the points as a new part. 1, or 0 for a null array or
  // when memory ran out (the geometry unchanged).
  int AddPart(const CVArray<_VPoint, _VPoint>* points);
  // Reads a reply's geometry text ("bound|bound|shape", or one absolute point
  // for kind 1) as the given kind. 1 on success, 0 otherwise.
  int ParseGeoString(const char* text, int kind);

private:
  using Part = CVArray<_VPoint, _VPoint>;

  int m_nType = kEmpty;
  _VRect m_rcBound;
  CVArray<Part*> m_arrPart;
};

}  // namespace mapengine
