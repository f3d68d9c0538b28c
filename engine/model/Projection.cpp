#include "engine/model/Projection.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>

#include "engine/base/VMem.h"
#include "engine/model/ComplexPt.h"

namespace mapengine {

namespace {

constexpr double kLonLatLimits[6] = {75, 60, 45, 30, 15, 0};
constexpr BandRow kLonLatBands[6] = {
    {-0.0015702102444, 111320.7020616939, 1704480524535203.0, -1.033898737604234e16, 2.611266785660388e16,
     -3.51496691766537e16, 2.659570071840392e16, -1.072501245418824e16, 1800819912950474.0, 82.5},
    {0.0008277824516172526, 111320.7020463578, 647795574.6671607, -4082003173.641316, 10774905663.51142,
     -15171875531.51559, 12053065338.62167, -5124939663.577472, 913311935.9512032, 67.5},
    {0.00337398766765, 111320.7020202162, 4481351.045890365, -23393751.19931662, 79682215.47186455,
     -115964993.2797253, 97236711.15602145, -43661946.33752821, 8477230.501135234, 52.5},
    {0.00220636496208, 111320.7020209128, 51751.86112841131, 3796837.749470245, 992013.7397791013,
     -1221952.21711287, 1340652.697009075, -620943.6990984312, 144416.9293806241, 37.5},
    {-0.0003441963504368392, 111320.7020576856, 278.2353980772752, 2485758.690035394, 6070.750963243378,
     54821.18345352118, 9540.606633304236, -2710.55326746645, 1405.483844121726, 22.5},
    {-0.0003218135878613132, 111320.7020701615, 0.00369383431289, 823725.6402795718, 0.46104986909093,
     2351.343141331292, 1.58060784298199, 8.77738589078284, 0.37238884252424, 7.45},
};

constexpr double kMapUnitLimits[6] = {12890594.86, 8362377.87, 5591021.0, 3481989.83, 1678043.12, 0.0};
constexpr BandRow kMapUnitBands[6] = {
    {1.410526172116255e-08, 8.98305509648872e-06, -1.9939833816331, 200.9824383106796, -187.2403703815547,
     91.6087516669843, -23.38765649603339, 2.57121317296198, -0.03801003308653, 17337981.2},
    {-7.435856389565537e-09, 8.983055097726239e-06, -0.78625201886289, 96.32687599759846, -1.85204757529826,
     -59.36935905485877, 47.40033549296737, -16.50741931063887, 2.28786674699375, 10260144.86},
    {-3.030883460898826e-08, 8.98305509983578e-06, 0.30071316287616, 59.74293618442277, 7.357984074871,
     -25.38371002664745, 13.45380521110908, -3.29883767235584, 0.32710905363475, 6856817.37},
    {-1.981981304930552e-08, 8.983055099779535e-06, 0.03278182852591, 40.31678527705744, 0.65659298677277,
     -4.44255534477492, 0.85341911805263, 0.12923347998204, -0.04625736007561, 4482777.06},
    {3.09191371068437e-09, 8.983055096812155e-06, 6.995724062e-05, 23.10934304144901, -0.00023663490511,
     -0.6321817810242, -0.00663494467273, 0.03430082397953, -0.00466043876332, 2555164.4},
    {2.890871144776878e-09, 8.983055095805407e-06, -3.068298e-08, 7.47137025468032, -3.53937994e-06,
     -0.02145144861037, -1.234426596e-05, 0.00010322952773, -3.23890364e-06, 826088.5},
};

constexpr double kMapUnitRange = 20037508.342;

// The lon/lat table's first row (latitudes above 75) gives nonsense even when
// evaluated exactly (76 degrees lands south of the equator), while the second
// row agrees with the ellipsoidal projection up to its 75-degree edge. Latitudes
// beyond it are held at the edge, so the conversion stays monotonic and every
// result up to 75 degrees is the table's own.
constexpr double kLatitudeLimit = 75;

// The first row whose limit is below value (the last limit is 0 and value is
// always above it).
int BandIndex(const double (&limits)[6], double value) {
  for (int i = 0; i < 5; ++i) {
    if (limits[i] < value) {
      return i;
    }
  }
  return 5;
}

double Clamp(double v, double low, double high) { return v < low ? low : v > high ? high : v; }

}  // namespace

void ConvertByBand(_VDPoint* out, const _VDPoint& in, const BandRow& row) {
  if (!out) {
    return;
  }
  double x = row[0] + row[1] * std::fabs(in.x);
  double t = std::fabs(in.y) / row[9];
  double t2 = t * t;
  double t3 = t2 * t;
  double t4 = t3 * t;
  double t5 = t4 * t;
  double t6 = t5 * t;
  double y = row[2] + row[3] * t + row[4] * t2 + row[5] * t3 + row[6] * t4 + row[7] * t5 + row[8] * t6;
  out->x = in.x < 0 ? -x : x;
  out->y = in.y < 0 ? -y : y;
}

void LonLatToMapUnits(_VDPoint* out, const _VDPoint& lonLat) {
  _VDPoint p = lonLat;
  p.y = Clamp(p.y, -kLatitudeLimit, kLatitudeLimit);
  double a = std::fabs(p.y);
  if (a < 1e-7) {
    a = 1e-7;
  }
  ConvertByBand(out, p, kLonLatBands[BandIndex(kLonLatLimits, a)]);
}

void MapUnitsToLonLat(_VDPoint* out, const _VDPoint& map) {
  _VDPoint p;
  p.x = Clamp(map.x, -kMapUnitRange, kMapUnitRange);
  p.y = map.y;
  if (p.y >= 0 && p.y < 1e-6) {
    p.y = 1e-6;
  } else if (p.y < 0 && p.y > -1e-6) {
    p.y = -1e-6;
  }
  p.y = Clamp(p.y, -kMapUnitRange, kMapUnitRange);
  ConvertByBand(out, p, kMapUnitBands[BandIndex(kMapUnitLimits, std::fabs(p.y))]);
}

int Gcj02ToMapDatum(double longitude, double latitude, _VDPoint* out) {
  if (!out) {
    return 0;
  }
  constexpr double k = 3000 * 0.0174532925194;
  double z = std::sqrt(longitude * longitude + latitude * latitude) + 0.00002 * std::sin(latitude * k);
  double a = std::atan2(latitude, longitude) + 0.000003 * std::cos(longitude * k);
  out->x = z * std::cos(a) + 0.0065;
  out->y = z * std::sin(a) + 0.006;
  return 1;
}

double SegmentDistanceSquared(const _VPoint& p, const _VPoint& a, const _VPoint& b, _VPoint* nearest) {
  double px = p.x, py = p.y, ax = a.x, ay = a.y, bx = b.x, by = b.y;
  double dx = ax - bx;
  double dy = ay - by;
  double length = dx * dx + dy * dy;
  auto squared = [&](double x, double y) { return (px - x) * (px - x) + (py - y) * (py - y); };
  _VPoint near = a;
  double result;
  if (length > -0.00001 && length < 0.00001) {
    result = squared(ax, ay);
  } else {
    double r = ((ax - px) * dx + (ay - py) * dy) / length;
    if (r >= 0 && r <= 1) {
      double cross = (ay - py) * (bx - ax) - (ax - px) * (by - ay);
      result = cross * cross / length;
      near.x = static_cast<int>(ax - r * dx);
      near.y = static_cast<int>(ay - r * dy);
    } else {
      double toA = squared(ax, ay);
      double toB = squared(bx, by);
      if (toA < toB) {
        result = toA;
      } else {
        result = toB;
        near = b;
      }
    }
  }
  if (nearest) {
    *nearest = near;
  }
  return result;
}

int DouglasPeucker(const CVPointArray* src, CVPointArray* dst, double tolerance) {
  if (!src || !dst || src->GetSize() < 2) {
    return -1;
  }
  const int n = src->GetSize();
  const _VPoint* points = src->GetData();
  unsigned char* keep = VNew<unsigned char>(static_cast<size_t>(n));
  // Ranges still to examine; a pending range never overlaps another, so
  // there are fewer than n of them at any time.
  struct Range {
    int first;
    int last;
  };
  Range* pending = VNew<Range>(static_cast<size_t>(n));
  if (!keep || !pending) {
    VDelete(keep);
    VDelete(pending);
    return -1;
  }
  std::memset(keep, 1, static_cast<size_t>(n));
  const double limit = tolerance * tolerance * 100 * 100;
  int depth = 0;
  pending[depth++] = {0, n - 1};
  while (depth > 0) {
    Range range = pending[--depth];
    if (range.first + 1 >= range.last) {
      continue;
    }
    double largest = -1;
    int farthest = range.first + 1;
    for (int i = range.first + 1; i < range.last; ++i) {
      double d = SegmentDistanceSquared(points[i], points[range.first], points[range.last], nullptr);
      if (d > largest) {
        largest = d;
        farthest = i;
      }
    }
    if (largest < limit) {
      std::memset(keep + range.first + 1, 0, static_cast<size_t>(range.last - range.first - 1));
    } else {
      // The later range goes first so that the earlier one is examined first.
      pending[depth++] = {farthest, range.last};
      pending[depth++] = {range.first, farthest};
    }
  }
  VDelete(pending);

  int kept = 0;
  for (int i = 0; i < n; ++i) {
    kept += keep[i];
  }
  int written = kept == 2 ? 3 : kept;
  if (!dst->SetSize(written)) {
    VDelete(keep);
    return -1;
  }
  int out = 0;
  for (int i = 0; i < n; ++i) {
    if (keep[i]) {
      (*dst)[out++] = points[i];
    }
  }
  if (kept == 2) {
    (*dst)[2] = (*dst)[1];
  }
  VDelete(keep);
  return written;
}

int SimplifyForLevel(const CComplexPt* src, int level, CComplexPt* dst) {
  if (!src || !dst || level < 1 || level > 18) {
    return 0;
  }
  const double tolerance = 4.0 * static_cast<double>(1 << (18 - level));
  CVPointArray simplified;
  for (int part = 0; part < src->GetPartSize(); ++part) {
    if (DouglasPeucker(src->GetPart(part), &simplified, tolerance) > 0) {
      dst->AddPart(&simplified);
    }
  }
  return dst->GetPartSize();
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') {
    return c - 'A';
  }
  if (c >= 'a' && c <= 'z') {
    return c - 'a' + 26;
  }
  if (c >= '0' && c <= '9') {
    return c - '0' + 52;
  }
  if (c == '+') {
    return 62;
  }
  if (c == '/') {
    return 63;
  }
  return -1;
}

namespace {

// Sums count Base64 digits, least significant first, into *value. 0, or
// badCode - i for a bad digit i.
int DecodeDigits(const char* digits, int count, int badCode, int64_t* value) {
  int64_t sum = 0;
  for (int i = 0; i < count; ++i) {
    int v = Base64Value(digits[i]);
    if (v < 0) {
      return badCode - i;
    }
    sum += static_cast<int64_t>(v) << (6 * i);
  }
  *value = sum;
  return 0;
}

bool FitsInt(int64_t v) {
  return v >= std::numeric_limits<int>::min() && v <= std::numeric_limits<int>::max();
}

// A 24-bit step value: above 0x800000 it stands for a negative step.
int64_t StepValue(int64_t v) { return v > 0x800000 ? 0x800000 - v : v; }

}  // namespace

int DecodeAbsolutePoint(const char* field, size_t length, _VPoint* point) {
  if (!field || !point || length < 13) {
    return -1;
  }
  int64_t x = 0;
  int64_t y = 0;
  if (int code = DecodeDigits(field + 1, 6, -10, &x)) {
    return code;
  }
  if (int code = DecodeDigits(field + 7, 6, -20, &y)) {
    return code;
  }
  if (!FitsInt(x) || !FitsInt(y)) {
    return kPointOutOfRange;
  }
  point->SetPoint(static_cast<int>(x), static_cast<int>(y));
  return 0;
}

int DecodeRelativePoint(const char* field, size_t length, _VPoint* point) {
  if (!field || !point || length < 8) {
    return -1;
  }
  int64_t dx = 0;
  int64_t dy = 0;
  if (int code = DecodeDigits(field, 4, -10, &dx)) {
    return code;
  }
  if (int code = DecodeDigits(field + 4, 4, -20, &dy)) {
    return code;
  }
  int64_t x = point->x + StepValue(dx);
  int64_t y = point->y + StepValue(dy);
  if (!FitsInt(x) || !FitsInt(y)) {
    return kPointOutOfRange;
  }
  point->SetPoint(static_cast<int>(x), static_cast<int>(y));
  return 0;
}

int ParseEncodedPoints(const char* text, CComplexPt* geometry) {
  if (!geometry || !text) {
    return 255;
  }
  const size_t length = std::strlen(text);
  if (length < 2) {
    return 255;
  }
  static constexpr char kMarkers[] = {'.', '-', '*'};
  int kind = geometry->GetType();
  if (kind < CComplexPt::kPoint || kind > CComplexPt::kArea || text[0] != kMarkers[kind - 1]) {
    return 0;
  }
  _VPoint current;
  CVPointArray run;
  size_t pos = 1;
  while (pos < length) {
    const char c = text[pos];
    if (c == ';') {
      geometry->AddPart(&run);
      run.RemoveAll();
      ++pos;
      continue;
    }
    const size_t available = length - pos;
    if (c == '=') {
      if (DecodeAbsolutePoint(text + pos, available, &current) != 0) {
        return 0;
      }
      pos += 13;
    } else {
      if (DecodeRelativePoint(text + pos, available, &current) != 0) {
        return 0;
      }
      pos += 8;
    }
    if (run.Add(current) < 0) {
      return 0;
    }
  }
  return 1;
}

int Base64Encode(char* out, size_t capacity, const char* text) {
  if (!out || !text) {
    return -1;
  }
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  const size_t length = std::strlen(text);
  const size_t needed = (length + 2) / 3 * 4 + 1;
  if (capacity < needed || needed > static_cast<size_t>(std::numeric_limits<int>::max())) {
    return -1;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(text);
  size_t o = 0;
  for (size_t i = 0; i < length; i += 3) {
    unsigned v = static_cast<unsigned>(bytes[i]) << 16;
    if (i + 1 < length) {
      v |= static_cast<unsigned>(bytes[i + 1]) << 8;
    }
    if (i + 2 < length) {
      v |= bytes[i + 2];
    }
    out[o++] = kAlphabet[(v >> 18) & 63];
    out[o++] = kAlphabet[(v >> 12) & 63];
    out[o++] = i + 1 < length ? kAlphabet[(v >> 6) & 63] : '=';
    out[o++] = i + 2 < length ? kAlphabet[v & 63] : '=';
  }
  out[o] = 0;
  return static_cast<int>(o);
}

}  // namespace mapengine
