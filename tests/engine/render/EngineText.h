// Engine texts of ASCII characters as std::string, for comparisons in tests.
#pragma once

#include <string>

#include "engine/base/VString.h"

inline std::string Ascii(const mapengine::CVString& s) {
  std::string out;
  for (int i = 0; i < s.GetLength(); ++i) {
    out += static_cast<char>(s[i]);
  }
  return out;
}
