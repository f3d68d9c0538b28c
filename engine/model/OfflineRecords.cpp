#include "engine/model/OfflineRecords.h"

#include <climits>

namespace mapengine {

COLUpdateElement& COLUpdateElement::operator=(const COLUpdateElement& other) {
  if (this == &other) {
    return *this;
  }
  cityId = other.cityId;
  name = other.name;
  ratio = other.ratio;
  status = other.status;
  x = other.x;
  y = other.y;
  size = other.size;
  dataVersion = other.dataVersion;
  mapVersion = other.mapVersion;
  baseLevel = other.baseLevel;
  startLevel = other.startLevel;
  endLevel = other.endLevel;
  updateFlag = other.updateFlag;
  cityVersion = other.cityVersion;
  grids.RemoveAll();
  for (int i = 0; i < other.grids.GetSize(); ++i) {
    grids.Add(other.grids[i]);
  }
  return *this;
}

namespace {

// One decimal integer with an optional '-' within int range; the text after it.
const unsigned short* ReadInteger(const unsigned short* at, int* out) {
  bool negative = *at == '-';
  if (negative) {
    ++at;
  }
  if (*at < '0' || *at > '9') {
    return nullptr;
  }
  long long value = 0;
  for (; *at >= '0' && *at <= '9'; ++at) {
    value = value * 10 + (*at - '0');
    if (value > INT_MAX) {
      return nullptr;
    }
  }
  *out = static_cast<int>(negative ? -value : value);
  return at;
}

}  // namespace

bool IsOfflineGrid(int x, int y) {
  // 128 tiles per grid side at level 18 from either base level; the walk
  // over a grid's tiles goes one past its last column.
  constexpr int kFarthestGrid = (INT_MAX >> 7) - 1;
  return x >= 0 && x <= kFarthestGrid && y >= 0 && y <= kFarthestGrid;
}

bool ParseGridNameStrict(const unsigned short* name, int* x, int* y) {
  if (!name) {
    return false;
  }
  const unsigned short* at = ReadInteger(name, x);
  if (!at || *at != '_') {
    return false;
  }
  at = ReadInteger(at + 1, y);
  return at && *at == 0;
}

}  // namespace mapengine
