#include "tools/mapdemo/PointEncoder.h"

#include <algorithm>
#include <climits>
#include <stdexcept>

namespace mapdemo {

namespace {

const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

void AppendDigits(std::string* out, unsigned long long value, int count) {
  for (int i = 0; i < count; ++i) {
    *out += kDigits[(value >> (6 * i)) & 63];
  }
}

void AppendAbsolute(std::string* out, int x, int y) {
  if (x < 0 || y < 0) {
    throw std::invalid_argument("absolute points are not negative");
  }
  *out += '=';
  AppendDigits(out, static_cast<unsigned>(x), 6);
  AppendDigits(out, static_cast<unsigned>(y), 6);
}

unsigned StepValue(long long d) {
  if (d > 0x800000 || d < -0x7FFFFF) {
    throw std::invalid_argument("step out of range");
  }
  return static_cast<unsigned>(d >= 0 ? d : 0x800000 - d);
}

}  // namespace

std::string EncodePoint(int x, int y) {
  std::string out = ".";
  AppendAbsolute(&out, x, y);
  return out + ";";
}

std::string EncodeParts(char kind, const std::vector<std::vector<Point>>& parts) {
  std::string out(1, kind);
  for (const std::vector<Point>& part : parts) {
    for (size_t i = 0; i < part.size(); ++i) {
      if (i == 0) {
        AppendAbsolute(&out, part[0].x, part[0].y);
      } else {
        AppendDigits(&out, StepValue(static_cast<long long>(part[i].x) - part[i - 1].x), 4);
        AppendDigits(&out, StepValue(static_cast<long long>(part[i].y) - part[i - 1].y), 4);
      }
    }
    out += ';';
  }
  return out;
}

std::string EncodeShape(char kind, const std::vector<std::vector<Point>>& parts) {
  Point low{INT_MAX, INT_MAX}, high{INT_MIN, INT_MIN};
  for (const std::vector<Point>& part : parts) {
    for (const Point& p : part) {
      low = {std::min(low.x, p.x), std::min(low.y, p.y)};
      high = {std::max(high.x, p.x), std::max(high.y, p.y)};
    }
  }
  return EncodePoint(low.x, low.y) + "|" + EncodePoint(high.x, high.y) + "|" + EncodeParts(kind, parts);
}

}  // namespace mapdemo
