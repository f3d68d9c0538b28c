#include "engine/base/VJson.h"

#include <strings.h>

#include <bit>
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <new>

#include "engine/base/VMem.h"

namespace mapengine {

namespace {

// A parsed tree lives in chunks from the engine allocator: the root opens the
// first chunk, and nodes and strings follow in the order the text gives them.
// One allocation serves a thousand nodes, and freeing the tree frees only its
// chunks instead of walking every node. Chunks are the allocator's runs, which
// it keeps per thread, so parsing reply after reply reuses the same memory.
struct alignas(16) ChunkHeader {
  ChunkHeader* next;
};

constexpr size_t kRunCapacity = CVMem::kRunSize - sizeof(ChunkHeader);
// A tree takes up to about six times the bytes of its text; a short text gets
// a first chunk of its own size instead of a whole run.
constexpr size_t kTreeBytesPerTextByte = 6;
constexpr size_t kMinChunk = 2 * sizeof(VJson);

void FreeChunks(ChunkHeader* chunk) {
  while (chunk) {
    ChunkHeader* next = chunk->next;
    CVMem::Deallocate(chunk);
    chunk = next;
  }
}

class Arena {
public:
  explicit Arena(size_t textLength)
      : m_nextCapacity(textLength < kRunCapacity / kTreeBytesPerTextByte
                           ? textLength * kTreeBytesPerTextByte + kMinChunk
                           : kRunCapacity) {}
  Arena(const Arena&) = delete;
  Arena& operator=(const Arena&) = delete;
  // Frees everything unless the tree was handed out.
  ~Arena() { FreeChunks(m_first); }

  // The tree's chunks become the caller's (reached again from the root).
  void Release() { m_first = nullptr; }

  // A zero-filled node, or null when memory ran out.
  VJson* NewNode() {
    m_cur += (alignof(VJson) - reinterpret_cast<uintptr_t>(m_cur) % alignof(VJson)) % alignof(VJson);
    if (m_limit - m_cur < static_cast<ptrdiff_t>(sizeof(VJson)) && !AddChunk(sizeof(VJson), nullptr, 0)) {
      return nullptr;
    }
    auto* node = new (m_cur) VJson{};
    m_cur += sizeof(VJson);
    return node;
  }

  // Strings are written at the free end of the current chunk, growing as they
  // are read. Room makes sure that `need` bytes follow `out`; a string that
  // outgrows its chunk moves, with what it has so far, to a new one.
  unsigned char* StringStart() const { return m_cur; }
  bool Room(unsigned char*& start, unsigned char*& out, size_t need) {
    if (static_cast<size_t>(m_limit - out) >= need) {
      return true;
    }
    size_t kept = static_cast<size_t>(out - start);
    if (!AddChunk(2 * kept + need, start, kept)) {
      return false;
    }
    start = m_cur;
    out = m_cur + kept;
    return true;
  }
  void StringEnd(unsigned char* end) { m_cur = end; }

private:
  bool AddChunk(size_t need, const unsigned char* keep, size_t kept) {
    size_t capacity = m_nextCapacity > need ? m_nextCapacity : need;
    if (capacity > SIZE_MAX - sizeof(ChunkHeader)) {
      return false;
    }
    auto* chunk = static_cast<ChunkHeader*>(CVMem::Allocate(sizeof(ChunkHeader) + capacity));
    if (!chunk) {
      return false;
    }
    chunk->next = nullptr;
    if (m_last) {
      m_last->next = chunk;
    } else {
      m_first = chunk;
    }
    m_last = chunk;
    auto* data = reinterpret_cast<unsigned char*>(chunk + 1);
    if (kept) {
      std::memcpy(data, keep, kept);
    }
    m_cur = data;
    m_limit = data + capacity;
    m_nextCapacity = kRunCapacity;
    return true;
  }

  ChunkHeader* m_first = nullptr;
  ChunkHeader* m_last = nullptr;
  unsigned char* m_cur = nullptr;
  unsigned char* m_limit = nullptr;
  size_t m_nextCapacity;
};

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

// Powers of ten that doubles hold exactly.
constexpr double kPow10[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,  1e8,  1e9,  1e10, 1e11,
                             1e12, 1e13, 1e14, 1e15, 1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};

// m * 10^e. With m below 2^53 and |e| up to 22 both operands are exact, so
// the one rounding gives the nearest double, the value strtod reads.
double ScaleByPow10(double m, long e) {
  if (e >= 0 && e <= 22) return m * kPow10[e];
  if (e < 0 && e >= -22) return m / kPow10[-e];
  return m * std::pow(10.0, static_cast<double>(e));
}

// Eight text bytes at once (the first in the low byte): how many of them come
// before the first quote, backslash or byte of 0x80 or more, the bytes a
// string does not simply copy. 8 when there is none.
inline int PlainPrefix(uint64_t w) {
  constexpr uint64_t kOnes = 0x0101010101010101u;
  constexpr uint64_t kHighs = 0x8080808080808080u;
  // Marks a zero byte exactly up to the first one, which is all that is asked.
  auto zeroByte = [](uint64_t v) { return (v - kOnes) & ~v; };
  uint64_t special = (zeroByte(w ^ (kOnes * '"')) | zeroByte(w ^ (kOnes * '\\')) | w) & kHighs;
  return special ? std::countr_zero(special) / 8 : 8;
}

class Parser {
public:
  Parser(const unsigned char* end, Arena& arena) : m_end(end), m_arena(arena) {}

  const unsigned char* ParseValue(VJson* item, const unsigned char* p, int depth) {
    switch (*p) {
      case '"':
        item->valuestring = ParseString(++p);
        if (!item->valuestring) return nullptr;
        item->type = VJson_String;
        return p;
      case '[':
        return ParseChildren(item, p + 1, depth + 1, false);
      case '{':
        return ParseChildren(item, p + 1, depth + 1, true);
      case 'n':
        if (Literal(p, "null", 4)) {
          item->type = VJson_NULL;
          return p + 4;
        }
        return nullptr;
      case 'f':
        if (Literal(p, "false", 5)) {
          item->type = VJson_False;
          return p + 5;
        }
        return nullptr;
      case 't':
        if (Literal(p, "true", 4)) {
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

private:
  bool Literal(const unsigned char* p, const char* word, size_t n) const {
    return static_cast<size_t>(m_end - p) >= n && std::memcmp(p, word, n) == 0;
  }

  // A string after its opening quote, copied into the tree as it is read;
  // null when the text ends before the closing quote or memory ran out.
  char* ParseString(const unsigned char*& p) {
    unsigned char* start = m_arena.StringStart();
    unsigned char* out = start;
    for (;;) {
      // Room for eight bytes of a plain run, or the longest other step (3
      // bytes of a \u escape) and the terminator.
      if (!m_arena.Room(start, out, 8)) {
        return nullptr;
      }
      // Plain bytes go eight at a time while the text has eight more; all
      // eight are stored, and the bytes past the plain ones are written over
      // by what follows. The step after a plain run gets room of its own.
      if (m_end - p >= 8) {
        uint64_t w;
        std::memcpy(&w, p, 8);
        std::memcpy(out, &w, 8);
        int plain = PlainPrefix(w);
        out += plain;
        p += plain;
        if (plain > 0) {
          continue;
        }
      }
      unsigned char c = *p;
      if (c == '"') {
        break;
      }
      if (c == 0) {
        return nullptr;
      }
      if (c >= 0x80) {
        // A run of two-byte characters (a name or an address in Chinese)
        // goes pair by pair within the eight bytes of room, without trying
        // a plain run before each: a second byte may be a backslash or a
        // quote's neighbour, never a character of its own.
        unsigned char* room = out + 8;
        do {
          if (p[1] == 0) {
            return nullptr;
          }
          out[0] = p[0];
          out[1] = p[1];
          out += 2;
          p += 2;
        } while (*p >= 0x80 && out + 2 <= room);
      } else if (c == '\\') {
        unsigned char e = p[1];
        if (e == 0) {
          return nullptr;
        }
        p += 2;
        switch (e) {
          case 'b': *out++ = '\b'; break;
          case 'f': *out++ = '\f'; break;
          case 'n': *out++ = '\n'; break;
          case 'r': *out++ = '\r'; break;
          case 't': *out++ = '\t'; break;
          case 'u': {
            // The four characters after the u belong to the escape.
            if (m_end - p < 4) {
              return nullptr;
            }
            unsigned code = 0;
            for (int k = 0; k < 4 && HexValue(p[k]) >= 0; ++k) {
              code = code * 16 + static_cast<unsigned>(HexValue(p[k]));
            }
            p += 4;
            if (code == 0) {
              break;  // no digits, or U+0000: nothing a C string can hold
            }
            if (code < 0x80) {
              *out++ = static_cast<unsigned char>(code);
            } else if (code < 0x800) {
              *out++ = static_cast<unsigned char>(0xC0 | (code >> 6));
              *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
            } else {
              *out++ = static_cast<unsigned char>(0xE0 | (code >> 12));
              *out++ = static_cast<unsigned char>(0x80 | ((code >> 6) & 0x3F));
              *out++ = static_cast<unsigned char>(0x80 | (code & 0x3F));
            }
            break;
          }
          default: *out++ = e; break;
        }
      } else {
        *out++ = c;
        ++p;
      }
    }
    ++p;  // the closing quote
    *out++ = 0;
    m_arena.StringEnd(out);
    return reinterpret_cast<char*>(start);
  }

  static const unsigned char* ParseNumber(VJson* item, const unsigned char* p) {
    bool negative = false;
    uint64_t mantissa = 0;
    int significant = 0;
    long scale = 0;
    long exponent = 0;
    auto isDigit = [](unsigned char c) { return c >= '0' && c <= '9'; };
    if (*p == '-') {
      negative = true;
      ++p;
    }
    if (*p == '0') {
      ++p;
    }
    // Up to 19 significant digits fit the mantissa; later ones only move the
    // decimal point.
    for (; isDigit(*p); ++p) {
      if (significant < 19) {
        mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
        significant += mantissa != 0;
      } else {
        ++scale;
      }
    }
    if (*p == '.') {
      for (++p; isDigit(*p); ++p) {
        if (significant < 19) {
          mantissa = mantissa * 10 + static_cast<unsigned>(*p - '0');
          significant += mantissa != 0;
          --scale;
        }
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
      for (; isDigit(*p); ++p) {
        if (exponent < 100000) exponent = exponent * 10 + (*p - '0');
      }
      exponent *= expSign;
    }
    double value = mantissa == 0 ? 0.0 : ScaleByPow10(static_cast<double>(mantissa), scale + exponent);
    if (negative) {
      value = -value;
    }
    if (std::isinf(value)) {
      value = value > 0 ? DBL_MAX : -DBL_MAX;
    }
    item->valuedouble = value;
    item->valueint = value >= 2147483647.0 ? INT_MAX : value <= -2147483648.0 ? INT_MIN : static_cast<int>(value);
    item->type = VJson_Number;
    return p;
  }

  // Reads the elements of an array (names == false) or the members of an
  // object up to the closing bracket.
  const unsigned char* ParseChildren(VJson* item, const unsigned char* p, int depth, bool names) {
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
      VJson* child = m_arena.NewNode();
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
      ++item->childCount;
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

  const unsigned char* m_end;  // the terminating zero byte
  Arena& m_arena;
};

}  // namespace

VJson* VJson_Parse(const char* text) {
  if (!text) {
    return nullptr;
  }
  size_t length = std::strlen(text);
  auto* begin = reinterpret_cast<const unsigned char*>(text);
  Arena arena(length);
  VJson* root = arena.NewNode();  // first in the first chunk, so the tree is found from it
  if (!root) {
    return nullptr;
  }
  root->ownsTree = 1;
  Parser parser(begin + length, arena);
  if (!parser.ParseValue(root, SkipSpace(begin), 0)) {
    return nullptr;
  }
  arena.Release();
  return root;
}

void VJson_Delete(VJson* node) {
  if (node && node->ownsTree) {
    FreeChunks(reinterpret_cast<ChunkHeader*>(node) - 1);
  }
}

int VJson_GetArraySize(const VJson* node) { return node ? node->childCount : 0; }

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
