#include "engine/base/VJson.h"

#include <strings.h>

#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

#include "engine/base/VMem.h"

namespace mapengine {

namespace {

VJson* NewNode() {
  auto* node = static_cast<VJson*>(CVMem::Allocate(sizeof(VJson)));
  if (node) {
    std::memset(node, 0, sizeof *node);
  }
  return node;
}

const unsigned char* SkipSpace(const unsigned char* p) {
  while (*p && static_cast<signed char>(*p) < 33) {
    ++p;
  }
  return p;
}

int HexValue(unsigned char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Powers of ten that doubles hold exactly (and their correctly rounded inverses).
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr double kPow10Neg[] = {1e-0,  1e-1,  1e-2,  1e-3,  1e-4,  1e-5,  1e-6,  1e-7,
                                1e-8,  1e-9,  1e-10, 1e-11, 1e-12, 1e-13, 1e-14, 1e-15,
                                1e-16, 1e-17, 1e-18, 1e-19, 1e-20, 1e-21, 1e-22};

double Pow10(long e) {
  if (e >= 0 && e <= 22) return kPow10[e];
  if (e < 0 && e >= -22) return kPow10Neg[-e];
  return std::pow(10.0, static_cast<double>(e));
}

class Parser {
public:
  // A string starting after its opening quote; writes into out when given,
  // else only measures. Returns the bytes of output, or -1 when the text ends
  // before the closing quote. *end receives the byte after the closing quote.
  static long ScanString(const unsigned char* p, unsigned char* out, const unsigned char** end) {
    long n = 0;
    auto put = [&](unsigned char b) {
      if (out) out[n] = b;
      ++n;
    };
    while (*p != '"') {
      unsigned char c = *p;
      if (c == 0) {
        return -1;
      }
      if (c >= 0x80) {
        if (p[1] == 0) {
          return -1;
        }
        put(c);
        put(p[1]);
        p += 2;
      } else if (c == '\\') {
        unsigned char e = p[1];
        if (e == 0) {
          return -1;
        }
        p += 2;
        switch (e) {
          case 'b': put('\b'); break;
          case 'f': put('\f'); break;
          case 'n': put('\n'); break;
          case 'r': put('\r'); break;
          case 't': put('\t'); break;
          case 'u': {
            unsigned code = 0;
            int k = 0;
            for (; k < 4 && HexValue(p[k]) >= 0; ++k) {
              code = code * 16 + static_cast<unsigned>(HexValue(p[k]));
            }
            // The four characters after the u belong to the escape.
            for (k = 0; k < 4; ++k) {
              if (p[k] == 0) {
                return -1;
              }
            }
            p += 4;
            if (code == 0) {
              break;  // no digits, or U+0000: nothing a C string can hold
            }
            if (code < 0x80) {
              put(static_cast<unsigned char>(code));
            } else if (code < 0x800) {
              put(static_cast<unsigned char>(0xC0 | (code >> 6)));
              put(static_cast<unsigned char>(0x80 | (code & 0x3F)));
            } else {
              put(static_cast<unsigned char>(0xE0 | (code >> 12)));
              put(static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F)));
              put(static_cast<unsigned char>(0x80 | (code & 0x3F)));
            }
            break;
          }
          default: put(e); break;
        }
      } else {
        put(c);
        ++p;
      }
    }
    *end = p + 1;
    return n;
  }

  // A string after its opening quote into a new zero-terminated buffer.
  static char* ParseString(const unsigned char*& p) {
    const unsigned char* end;
    long n = ScanString(p, nullptr, &end);
    if (n < 0) {
      return nullptr;
    }
    auto* out = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(n) + 1));
    if (!out) {
      return nullptr;
    }
    ScanString(p, out, &end);
    out[n] = 0;
    p = end;
    return reinterpret_cast<char*>(out);
  }

  static const unsigned char* ParseNumber(VJson* item, const unsigned char* p) {
    double sign = 1;
    double n = 0;
    long scale = 0;
    long exponent = 0;
    int significant = 0;
    // Digits beyond what a double holds only move the decimal point.
    auto digit = [&](unsigned char c, bool fraction) {
      if (significant < 19) {
        n = n * 10 + (c - '0');
        if (n != 0) ++significant;
        if (fraction) --scale;
      } else if (!fraction) {
        ++scale;
      }
    };
    if (*p == '-') {
      sign = -1;
      ++p;
    }
    if (*p == '0') {
      ++p;
    }
    while (*p >= '0' && *p <= '9') {
      digit(*p++, false);
    }
    if (*p == '.') {
      ++p;
      while (*p >= '0' && *p <= '9') {
        digit(*p++, true);
      }
    }
    if (*p == 'e' || *p == 'E') {
      ++p;
      long expSign = 1;
      if (*p == '+') {
        ++p;
      } else if (*p == '-') {
        expSign = -1;
        ++p;
      }
      while (*p >= '0' && *p <= '9') {
        if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
        ++p;
      }
      exponent *= expSign;
    }
    double value = n == 0 ? 0.0 : sign * n * Pow10(scale + exponent);
    if (std::isinf(value)) {
      value = value > 0 ? DBL_MAX : -DBL_MAX;
    }
    item->valuedouble = value;
    item->valueint = value >= 2147483647.0 ? INT_MAX : value <= -2147483648.0 ? INT_MIN : static_cast<int>(value);
    item->type = VJson_Number;
    return p;
  }

  static const unsigned char* ParseValue(VJson* item, const unsigned char* p, int depth) {
    switch (*p) {
      case '"':
        item->valuestring = ParseString(++p);
        if (!item->valuestring) return nullptr;
        item->type = VJson_String;
        return p;
      case '[':
        return ParseArray(item, p + 1, depth + 1);
      case '{':
        return ParseObject(item, p + 1, depth + 1);
      case 'n':
        if (std::strncmp(reinterpret_cast<const char*>(p), "null", 4) == 0) {
          item->type = VJson_NULL;
          return p + 4;
        }
        return nullptr;
      case 'f':
        if (std::strncmp(reinterpret_cast<const char*>(p), "false", 5) == 0) {
          item->type = VJson_False;
          return p + 5;
        }
        return nullptr;
      case 't':
        if (std::strncmp(reinterpret_cast<const char*>(p), "true", 4) == 0) {
          item->type = VJson_True;
          item->valueint = 1;
          return p + 4;
        }
        return nullptr;
      default:
        if (*p == '-' || (*p >= '0' && *p <= '9')) {
          return ParseNumber(item, p);
        }
        return nullptr;
    }
  }

  // Reads the elements of an array (names == false) or the members of an
  // object up to the closing bracket.
  static const unsigned char* ParseChildren(VJson* item, const unsigned char* p, int depth, bool names) {
    if (depth > kVJsonMaxDepth) {
      return nullptr;
    }
    const unsigned char close = names ? '}' : ']';
    item->type = names ? VJson_Object : VJson_Array;
    p = SkipSpace(p);
    if (*p == close) {
      return p + 1;
    }
    VJson* last = nullptr;
    for (;;) {
      VJson* child = NewNode();
      if (!child) {
        return nullptr;
      }
      if (last) {
        last->next = child;
        child->prev = last;
      } else {
        item->child = child;
      }
      last = child;
      p = SkipSpace(p);
      if (names) {
        if (*p != '"') {
          return nullptr;
        }
        child->name = ParseString(++p);
        if (!child->name) {
          return nullptr;
        }
        p = SkipSpace(p);
        if (*p != ':') {
          return nullptr;
        }
        p = SkipSpace(p + 1);
      }
      p = ParseValue(child, p, depth);
      if (!p) {
        return nullptr;
      }
      p = SkipSpace(p);
      if (*p == close) {
        return p + 1;
      }
      if (*p != ',') {
        return nullptr;
      }
      ++p;
    }
  }

  static const unsigned char* ParseArray(VJson* item, const unsigned char* p, int depth) {
    return ParseChildren(item, p, depth, false);
  }
  static const unsigned char* ParseObject(VJson* item, const unsigned char* p, int depth) {
    return ParseChildren(item, p, depth, true);
  }
};

}  // namespace

VJson* VJson_Parse(const char* text) {
  if (!text) {
    return nullptr;
  }
  VJson* root = NewNode();
  if (!root) {
    return nullptr;
  }
  const unsigned char* p = SkipSpace(reinterpret_cast<const unsigned char*>(text));
  if (!Parser::ParseValue(root, p, 0)) {
    VJson_Delete(root);
    return nullptr;
  }
  return root;
}

void VJson_Delete(VJson* node) {
  while (node) {
    VJson* next = node->next;
    VJson_Delete(node->child);
    CVMem::Deallocate(node->valuestring);
    CVMem::Deallocate(node->name);
    CVMem::Deallocate(node);
    node = next;
  }
}

int VJson_GetArraySize(const VJson* node) {
  int n = 0;
  for (const VJson* c = node ? node->child : nullptr; c; c = c->next) {
    ++n;
  }
  return n;
}

VJson* VJson_GetArrayItem(const VJson* node, int index) {
  if (!node || index < 0) {
    return nullptr;
  }
  VJson* c = node->child;
  while (c && index-- > 0) {
    c = c->next;
  }
  return c;
}

VJson* VJson_GetObjectItem(const VJson* node, const char* name) {
  if (!node || !name) {
    return nullptr;
  }
  for (VJson* c = node->child; c; c = c->next) {
    if (c->name && strcasecmp(c->name, name) == 0) {
      return c;
    }
  }
  return nullptr;
}

}  // namespace mapengine
