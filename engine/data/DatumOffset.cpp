#include "engine/data/DatumOffset.h"

#include <cmath>
#include <mutex>

namespace mapengine {

namespace {

constexpr double kDegToRad = 0.0174532925199433;
constexpr double kSemiMajor = 6378245.0;
constexpr double kEccentricity2 = 0.00669342;
constexpr double kMeridianFactor = 6335552.7273521;
constexpr double kScalePi = 3.1415926;
constexpr double kTwoPi = 6.28318530717959;
constexpr double kPi = 3.141592653589793;
constexpr double kGroupWeight = 0.6667;
constexpr unsigned kMaxHeight = 5000;

struct OffsetState {
  unsigned t1 = 0;
  unsigned t2 = 0;
  double rr = 0;
  double x1 = 0, y1 = 0;
  double x2 = 0, y2 = 0;
  double f = 0;
  bool seeded = false;  // the positioning object's first call was made
};

std::mutex g_offsetLock;
OffsetState g_state;

double offset_random(OffsetState& s) {
  s.rr = 314159269.0 * s.rr + 453806245.0;
  double k = std::trunc(s.rr / 2);
  s.rr = (s.rr - 2 * k) / 2;
  return s.rr;
}

void offset_init(OffsetState& s, unsigned time, double longitude, double latitude) {
  s.t1 = s.t2 = time;
  s.rr = time == 0 ? 0.3 : time - std::trunc(time / 0.357) * 0.357;
  s.x1 = s.x2 = longitude;
  s.y1 = s.y2 = latitude;
  s.f = 3;
}

double offset_x_base(double x, double y) {
  return 300 + x + 2 * y + 0.1 * x * x + 0.1 * x * y + 0.1 * std::sqrt(std::sqrt(x * x)) +
         kGroupWeight * (20 * offset_sin(18.849555921538762 * x) + 20 * offset_sin(6.283185307179588 * x)) +
         kGroupWeight * (20 * offset_sin(3.141592653589794 * x) + 40 * offset_sin(1.047197551196598 * x)) +
         kGroupWeight * (150 * offset_sin(0.2617993877991495 * x) + 300 * offset_sin(0.1047197551196598 * x));
}

double offset_y_base(double x, double y) {
  return -100 + 2 * x + 3 * y + 0.2 * y * y + 0.1 * x * y + 0.2 * std::sqrt(std::sqrt(x * x)) +
         kGroupWeight * (20 * offset_sin(18.849555921538762 * x) + 20 * offset_sin(6.283185307179588 * x)) +
         kGroupWeight * (20 * offset_sin(3.141592653589794 * y) + 40 * offset_sin(1.047197551196598 * y)) +
         kGroupWeight * (160 * offset_sin(0.2617993877991495 * y) + 320 * offset_sin(0.1047197551196598 * y));
}

double offset_lon_delta(double latitude, double dx) {
  double s = offset_sin(latitude * kDegToRad);
  double n = std::sqrt(1 - kEccentricity2 * s * s);
  return dx * 180 / ((kSemiMajor / n) * std::cos(latitude * kDegToRad) * kScalePi);
}

double offset_lat_delta(double latitude, double dy) {
  double s = offset_sin(latitude * kDegToRad);
  double m2 = 1 - kEccentricity2 * s * s;
  return dy * 180 / ((kMeridianFactor / (m2 * std::sqrt(m2))) * kScalePi);
}

int Reject(unsigned* outLongitude, unsigned* outLatitude) {
  *outLongitude = 0;
  *outLatitude = 0;
  return kOffsetRejected;
}

int Transform(OffsetState& s, int flag, unsigned longitude, unsigned latitude, int height, unsigned time,
              unsigned* outLongitude, unsigned* outLatitude) {
  if (height > static_cast<int>(kMaxHeight)) {
    return Reject(outLongitude, outLatitude);
  }
  double lon = longitude / kOffsetUnitsPerDegree;
  double lat = latitude / kOffsetUnitsPerDegree;
  if (lon < 72.004 || lon > 137.8347 || lat < 0.8293 || lat > 55.8271) {
    return Reject(outLongitude, outLatitude);
  }
  if (flag == 0) {
    offset_init(s, time, longitude, latitude);
    *outLongitude = longitude;
    *outLatitude = latitude;
    return 0;
  }
  s.t2 = time;
  double dt = static_cast<unsigned>(s.t2 - s.t1) / 1000.0;
  if (!(dt > 0 && dt <= 120)) {
    if (dt > 120 && s.f == 3) {
      s.f = 0;
      s.x2 = longitude;
      s.y2 = latitude;
      if (std::sqrt((s.x2 - s.x1) * (s.x2 - s.x1) + (s.y2 - s.y1) * (s.y2 - s.y1)) / dt > 3185) {
        return Reject(outLongitude, outLatitude);
      }
    }
    s.t1 = s.t2;
    s.x1 = s.x2;
    s.y1 = s.y2;
    s.f += 3;
  }
  double x = lon - 105;
  double y = lat - 35;
  double timeTerm = offset_sin(time * kDegToRad);
  double dx = offset_x_base(x, y) + 0.001 * height + timeTerm + offset_random(s);
  double dy = offset_y_base(x, y) + 0.001 * height + timeTerm + offset_random(s);
  *outLongitude = static_cast<unsigned>((lon + offset_lon_delta(lat, dx)) * kOffsetUnitsPerDegree);
  *outLatitude = static_cast<unsigned>((lat + offset_lat_delta(lat, dy)) * kOffsetUnitsPerDegree);
  return 0;
}

}  // namespace

double offset_sin(double x) {
  bool negative = x < 0;
  double a = std::fabs(x);
  double t = a - std::trunc(a / kTwoPi) * kTwoPi;
  if (t > kPi) {
    t -= kPi;
    negative = !negative;
  }
  double t2 = t * t;
  double p3 = t * t2, p5 = p3 * t2, p7 = p5 * t2, p9 = p7 * t2, p11 = p9 * t2;
  double result = t - 0.166666666666667 * p3 + 0.00833333333333333 * p5 - 0.000198412698412698 * p7 +
                  2.75573192239859e-06 * p9 - 2.50521083854417e-08 * p11;
  return negative ? -result : result;
}

int wgs84_to_gcj02(int flag, unsigned longitude, unsigned latitude, int height, int, unsigned time,
                   unsigned* outLongitude, unsigned* outLatitude) {
  std::lock_guard guard(g_offsetLock);
  return Transform(g_state, flag, longitude, latitude, height, time, outLongitude, outLatitude);
}

void OffsetToGcj02(double longitude, double latitude, int height, double* outLongitude, double* outLatitude) {
  *outLongitude = longitude;
  *outLatitude = latitude;
  // Outside the datum's box anyway; and no value the unsigned units cannot hold.
  if (!(longitude > 0 && latitude > 0 && longitude < 180 && latitude < 90)) {
    return;
  }
  auto lon = static_cast<unsigned>(longitude * kOffsetUnitsPerDegree);
  auto lat = static_cast<unsigned>(latitude * kOffsetUnitsPerDegree);
  std::lock_guard guard(g_offsetLock);
  unsigned shiftedLon = 0, shiftedLat = 0;
  if (!g_state.seeded) {
    Transform(g_state, 0, lon, lat, height, 0, &shiftedLon, &shiftedLat);
    g_state.seeded = true;
  }
  if (Transform(g_state, 1, lon, lat, height, 0, &shiftedLon, &shiftedLat) == 0) {
    *outLongitude = static_cast<float>(shiftedLon / kOffsetUnitsPerDegree);
    *outLatitude = static_cast<float>(shiftedLat / kOffsetUnitsPerDegree);
  }
}

}  // namespace mapengine
