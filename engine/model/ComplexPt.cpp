#include "engine/model/ComplexPt.h"

#include <cstring>

#include "engine/base/VMem.h"
#include "engine/model/Projection.h"

namespace mapengine {

CComplexPt::CComplexPt() = default;

CComplexPt::CComplexPt(int x, int y) : m_nType(kPoint) {
  m_rcBound.SetRect(x, y, x, y);
  Part point;
  point.Add(_VPoint{x, y});
  AddPart(&point);
}

CComplexPt::CComplexPt(const CComplexPt& other) : m_nType(other.m_nType), m_rcBound(other.m_rcBound) {
  for (int i = 0; i < other.m_arrPart.GetSize(); ++i) {
    AddPart(other.m_arrPart[i]);
  }
}

CComplexPt& CComplexPt::operator=(const CComplexPt& other) {
  if (this == &other) {
    return *this;
  }
  RemoveAll();
  m_nType = other.m_nType;
  m_rcBound = other.m_rcBound;
  for (int i = 0; i < other.m_arrPart.GetSize(); ++i) {
    AddPart(other.m_arrPart[i]);
  }
  return *this;
}

CComplexPt::~CComplexPt() { RemoveAll(); }

void CComplexPt::RemoveAll() {
  for (int i = 0; i < m_arrPart.GetSize(); ++i) {
    VDelete(m_arrPart[i]);
  }
  m_arrPart.RemoveAll();
  m_nType = kEmpty;
  m_rcBound = _VRect{};
}

void CComplexPt::GetBound(_VRect* bound) const {
  if (bound) {
    *bound = m_rcBound;
  }
}

CVArray<_VPoint, _VPoint>* CComplexPt::GetPart(int part) const {
  return part >= 0 && part < m_arrPart.GetSize() ? m_arrPart[part] : nullptr;
}

int CComplexPt::GetPartPointCount(int part) const {
  const Part* points = GetPart(part);
  return points ? points->GetSize() : 0;
}

_VPoint CComplexPt::GetPoint(int part, int index) const {
  const Part* points = GetPart(part);
  if (!points || index < 0 || index >= points->GetSize()) {
    return {};
  }
  return (*points)[index];
}

int CComplexPt::AddPart(const CVArray<_VPoint, _VPoint>* points) {
  if (!points) {
    return 0;
  }
  Part* copy = VNew<Part>();
  if (!copy || !copy->Copy(*points) || m_arrPart.Add(copy) < 0) {
    VDelete(copy);
    return 0;
  }
  return 1;
}

namespace {

// Decodes the absolute point of a one-point encoded field (kind character,
// "=" and twelve digits); the field must hold it itself, not borrow
// characters from the next field.
bool DecodeCorner(const char* field, size_t length, _VPoint* corner) {
  return length >= 14 && DecodeAbsolutePoint(field + 1, length - 1, corner) == 0;
}

}  // namespace

int CComplexPt::ParseGeoString(const char* text, int kind) {
  if (!text) {
    return 0;
  }
  RemoveAll();
  m_nType = kind;

  const char* fields[4];
  size_t lengths[4];
  int count = 0;
  const char* start = text;
  while (count < 4) {
    const char* bar = std::strchr(start, '|');
    fields[count] = start;
    lengths[count] = bar ? static_cast<size_t>(bar - start) : std::strlen(start);
    ++count;
    if (!bar) {
      break;
    }
    start = bar + 1;
  }

  if (count == 3) {
    if (lengths[0] != 15 && lengths[1] != 15) {
      return 0;
    }
    _VPoint first;
    _VPoint second;
    if (!DecodeCorner(fields[0], lengths[0], &first) || !DecodeCorner(fields[1], lengths[1], &second)) {
      return 0;
    }
    m_rcBound.SetRect(first.x, first.y, second.x, second.y);
    return ParseEncodedPoints(fields[2], this) == 1 ? 1 : 0;
  }
  if (count == 1 && kind == kPoint) {
    _VPoint point;
    if (!DecodeCorner(fields[0], lengths[0], &point)) {
      return 0;
    }
    Part run;
    run.Add(point);
    return AddPart(&run);
  }
  return 0;
}

}  // namespace mapengine
