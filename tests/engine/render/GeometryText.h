// Writes the engine's encoded point texts for tests, independently of the
// decoders under test.
#pragma once

#include <cstdint>
#include <string>

namespace geometrytext {

inline char Digit(unsigned v) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  return kAlphabet[v & 63];
}

// count digits of value, least significant first.
inline std::string Digits(uint64_t value, int count) {
  std::string out;
  for (int i = 0; i < count; ++i) {
    out += Digit(static_cast<unsigned>(value >> (6 * i)));
  }
  return out;
}

// "=" and six digits of x, six of y.
inline std::string Absolute(uint64_t x, uint64_t y) { return "=" + Digits(x, 6) + Digits(y, 6); }

// Four digits of dx, four of dy; a negative step v is written as 0x800000 - v.
inline std::string Relative(int dx, int dy) {
  auto code = [](int d) { return static_cast<uint64_t>(d < 0 ? 0x800000 - static_cast<int64_t>(d) : d); };
  return Digits(code(dx), 4) + Digits(code(dy), 4);
}

}  // namespace geometrytext
