#include "engine/base/VCMMap.h"

#include <cstdint>
#include <cstring>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"

namespace mapengine {

// Generated at build time by tools/gbkgen.
extern const unsigned char g_gbkToWideBlob[];
extern const unsigned int g_gbkToWideBlobSize;
extern const unsigned char g_wideToGbkBlob[];
extern const unsigned int g_wideToGbkBlobSize;

namespace {

unsigned short Read16(const unsigned char* p) { return static_cast<unsigned short>(p[0] | (p[1] << 8)); }

const CVCMMap* Tables() {
  CVGlobalMan* man = GetGlobalManPtr();
  return man ? static_cast<const CVCMMap*>(man->GetSlot(kSlotCMMap)) : nullptr;
}

constexpr unsigned short kNone = 0xFFFF;

}  // namespace

CVCMMap::~CVCMMap() {
  FreeTable(1);
  FreeTable(2);
}

int CVCMMap::LoadTables() {
  LoadTable(g_gbkToWideBlob, g_gbkToWideBlobSize, 1);
  LoadTable(g_wideToGbkBlob, g_wideToGbkBlobSize, 2);
  return 1;
}

int CVCMMap::LoadTable(const unsigned char* blob, size_t size, int table) {
  if (table != 1 && table != 2) {
    return 0;
  }
  FreeTable(table);
  if (!blob || size < 8) {
    return 0;
  }
  Table& t = m_tables[table - 1];
  int n = Read16(blob + 4);
  size_t valuesAt = 8 + 4 * static_cast<size_t>(n);
  if (n == 0 || valuesAt > size) {
    return 0;
  }
  // Check the whole blob before building anything: sorted ranges that do not
  // overlap and values that lie inside the blob.
  size_t total = 0;
  unsigned prevEnd = 0;
  for (int i = 0; i < n; ++i) {
    unsigned first = Read16(blob + 8 + 4 * i);
    unsigned count = Read16(blob + 10 + 4 * i);
    if (first < prevEnd || first + count > 0x10000) {
      return 0;
    }
    prevEnd = first + count;
    total += count;
  }
  if (valuesAt + 2 * total > size) {
    return 0;
  }
  t.ranges = VNew<Range>(static_cast<size_t>(n));
  if (!t.ranges) {
    return 0;
  }
  for (int i = 0; i < 4; ++i) {
    t.header[i] = Read16(blob + 2 * i);
  }
  t.count = n;
  const unsigned char* values = blob + valuesAt;
  for (int i = 0; i < n; ++i) {
    Range& r = t.ranges[i];
    r.first = Read16(blob + 8 + 4 * i);
    r.count = Read16(blob + 10 + 4 * i);
    if (r.count == 0) {
      continue;
    }
    r.values = static_cast<unsigned short*>(CVMem::Allocate(r.count * sizeof(unsigned short)));
    if (!r.values) {
      FreeTable(table);
      return 0;
    }
    for (unsigned k = 0; k < r.count; ++k, values += 2) {
      r.values[k] = Read16(values);
    }
  }
  int range = 0;
  for (unsigned h = 0; h < 256; ++h) {
    while (range < n && t.ranges[range].first + t.ranges[range].count <= h * 256) {
      ++range;
    }
    t.firstRange[h] = static_cast<unsigned short>(range);
  }
  return 1;
}

int CVCMMap::FindRange(unsigned short code, int table) const {
  if (table != 1 && table != 2) {
    return -1;
  }
  const Table& t = m_tables[table - 1];
  for (int i = t.ranges ? t.firstRange[code >> 8] : t.count; i < t.count && t.ranges[i].first <= code; ++i) {
    if (code < t.ranges[i].first + t.ranges[i].count) {
      return i;
    }
  }
  return -1;
}

void CVCMMap::FreeTable(int table) {
  if (table != 1 && table != 2) {
    return;
  }
  Table& t = m_tables[table - 1];
  for (int i = 0; i < t.count; ++i) {
    CVMem::Deallocate(t.ranges[i].values);
  }
  VDelete(t.ranges);
  t = Table{};
}

namespace {

// Counts a character's n units and, when there is an output, stores them
// there; false, with nothing stored, when they do not fit in its capacity.
template <class Unit>
bool Put(const Unit* units, int n, Unit* out, int capacity, int& written) {
  if (out) {
    if (written + n > capacity) {
      return false;
    }
    for (int k = 0; k < n; ++k) {
      out[written + k] = units[k];
    }
  }
  written += n;
  return true;
}

// GBK -> UTF-16. Every byte read lies before the terminator and within length.
int GbkToWide(const unsigned char* s, int length, unsigned short* out, int capacity) {
  const CVCMMap* tables = Tables();
  int written = 0;
  for (int i = 0; i < length && s[i] != 0;) {
    unsigned char b = s[i];
    unsigned short unit;
    if (b < 0x80) {
      unit = b;
      i += 1;
    } else if (b == 0x80) {
      unit = 0x20AC;
      i += 1;
    } else if (b == 0xFF) {
      i += 1;
      continue;
    } else {
      if (i + 1 >= length || s[i + 1] == 0) {
        break;  // a lead byte without its trail byte ends the text
      }
      unit = tables ? tables->Lookup(static_cast<unsigned short>(b << 8 | s[i + 1]), 1) : kNone;
      i += 2;
      if (unit == kNone) {
        continue;
      }
    }
    if (!Put(&unit, 1, out, capacity, written)) {
      break;
    }
  }
  return written;
}

// Decodes the UTF-8 character at s[i] into one or two UTF-16 units (n).
// Four-byte sequences become surrogate pairs; the five- and six-byte forms of
// old UTF-8 keep their low 16 bits. The bytes the character takes, or 0 when
// it runs past length or into the terminator (which ends the text).
int DecodeUtf8(const unsigned char* s, int i, int length, unsigned short units[2], int* n) {
  unsigned b = s[i];
  int extra = b < 0xC0 ? 0 : b < 0xE0 ? 1 : b < 0xF0 ? 2 : b < 0xF8 ? 3 : b < 0xFC ? 4 : 5;
  if (i + extra >= length) {
    return 0;
  }
  for (int k = 1; k <= extra; ++k) {
    if (s[i + k] == 0) {
      return 0;
    }
  }
  const unsigned char* c = s + i + 1;
  *n = 1;
  switch (extra) {
    case 0: units[0] = static_cast<unsigned short>(b); break;
    case 1: units[0] = static_cast<unsigned short>(((b << 6) & 0x7FF) | (c[0] & 0x3F)); break;
    case 2: units[0] = static_cast<unsigned short>((b << 12) | ((c[0] << 6) & 0xFFF) | (c[1] & 0x3F)); break;
    case 3: {
      unsigned cp = ((b & 0x07) << 18) | ((c[0] & 0x3F) << 12) | ((c[1] & 0x3F) << 6) | (c[2] & 0x3F);
      if (cp >= 0x10000 && cp <= 0x10FFFF) {
        cp -= 0x10000;
        units[0] = static_cast<unsigned short>(0xD800 | (cp >> 10));
        units[1] = static_cast<unsigned short>(0xDC00 | (cp & 0x3FF));
        *n = 2;
      } else {
        units[0] = static_cast<unsigned short>(cp);
      }
      break;
    }
    default: {
      const unsigned char* t = c + (extra - 3);
      units[0] = static_cast<unsigned short>((t[0] << 12) | ((t[1] << 6) & 0xFFF) | (t[2] & 0x3F));
      break;
    }
  }
  return 1 + extra;
}

// The GBK bytes of a UTF-16 unit: 1 or 2, or 0 for a unit GBK lacks.
int EncodeGbk(const CVCMMap* tables, unsigned short u, unsigned char bytes[2]) {
  if (u <= 127) {
    bytes[0] = static_cast<unsigned char>(u);
    return 1;
  }
  unsigned short v = tables ? tables->Lookup(u, 2) : kNone;
  if (v == kNone || (v >= 128 && v <= 255)) {
    return 0;
  }
  bytes[0] = static_cast<unsigned char>(v & 0xFF);
  bytes[1] = static_cast<unsigned char>(v >> 8);
  return 2;
}

int Utf8ToWide(const unsigned char* s, int length, unsigned short* out, int capacity) {
  int written = 0;
  for (int i = 0; i < length && s[i] != 0;) {
    unsigned short units[2];
    int n = 0;
    int used = DecodeUtf8(s, i, length, units, &n);
    if (!used || !Put(units, n, out, capacity, written)) {
      break;
    }
    i += used;
  }
  return written;
}

// UTF-8 -> GBK in one step, without a UTF-16 copy of the text, into out,
// which holds 2 * length bytes: a stray byte above 0x7F stands for a Latin-1
// character, which may take two GBK bytes. ASCII stands for itself in both
// and is copied in runs.
int Utf8ToGbk(const unsigned char* s, int length, unsigned char* out) {
  const CVCMMap* tables = Tables();
  int written = 0;
  for (int i = 0; i < length && s[i] != 0;) {
    if (s[i] < 0x80) {
      int end = i + 1;
      while (end < length && static_cast<unsigned char>(s[end] - 1) < 0x7F) {
        ++end;
      }
      std::memcpy(out + written, s + i, static_cast<size_t>(end - i));
      written += end - i;
      i = end;
      continue;
    }
    unsigned short units[2];
    int n = 0;
    int used = DecodeUtf8(s, i, length, units, &n);
    if (!used) {
      break;
    }
    for (int k = 0; k < n; ++k) {
      unsigned char bytes[2];
      int m = EncodeGbk(tables, units[k], bytes);
      for (int j = 0; j < m; ++j) {
        out[written++] = bytes[j];
      }
    }
    i += used;
  }
  return written;
}

int WideToGbk(const unsigned short* s, int length, unsigned char* out, int capacity) {
  const CVCMMap* tables = Tables();
  int written = 0;
  for (int i = 0; length < 0 ? s[i] != 0 : i < length; ++i) {
    unsigned char bytes[2];
    int n = EncodeGbk(tables, s[i], bytes);
    if (n == 0) {
      continue;
    }
    if (!Put(bytes, n, out, capacity, written)) {
      break;
    }
  }
  return written;
}

// UTF-16 -> UTF-8; a well-formed surrogate pair becomes one four-byte
// sequence, a lone surrogate is encoded by itself.
int WideToUtf8(const unsigned short* s, int length, unsigned char* out, int capacity) {
  int written = 0;
  for (int i = 0; length < 0 ? s[i] != 0 : i < length; ++i) {
    unsigned cp = s[i];
    bool hasNext = length < 0 ? s[i + 1] != 0 : i + 1 < length;
    if (cp >= 0xD800 && cp <= 0xDBFF && hasNext && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    }
    unsigned char bytes[4];
    int n;
    if (cp < 0x80) {
      bytes[0] = static_cast<unsigned char>(cp);
      n = 1;
    } else if (cp < 0x800) {
      bytes[0] = static_cast<unsigned char>(0xC0 | (cp >> 6));
      bytes[1] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      n = 2;
    } else if (cp < 0x10000) {
      bytes[0] = static_cast<unsigned char>(0xE0 | (cp >> 12));
      bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      n = 3;
    } else {
      bytes[0] = static_cast<unsigned char>(0xF0 | (cp >> 18));
      bytes[1] = static_cast<unsigned char>(0x80 | ((cp >> 12) & 0x3F));
      bytes[2] = static_cast<unsigned char>(0x80 | ((cp >> 6) & 0x3F));
      bytes[3] = static_cast<unsigned char>(0x80 | (cp & 0x3F));
      n = 4;
    }
    if (!Put(bytes, n, out, capacity, written)) {
      break;
    }
  }
  return written;
}

}  // namespace

int MultiByteToWide(unsigned codePage, const char* text, int length, unsigned short* out, int outCapacity) {
  if (!text || length <= 0 || (out && outCapacity <= 0)) {
    return 0;
  }
  auto* s = reinterpret_cast<const unsigned char*>(text);
  return codePage == kCodePageGbk ? GbkToWide(s, length, out, outCapacity)
                                  : Utf8ToWide(s, length, out, outCapacity);
}

int WideToMultiByte(unsigned codePage, const unsigned short* text, int length, char* out, int outCapacity) {
  if (!text || length == 0 || (out && outCapacity <= 0)) {
    return 0;
  }
  auto* o = reinterpret_cast<unsigned char*>(out);
  return codePage == kCodePageGbk ? WideToGbk(text, length, o, outCapacity)
                                  : WideToUtf8(text, length, o, outCapacity);
}

char* Utf8ToLocal(const char* text, int length, int* outLength) {
  int bytes = 0;
  unsigned char* gbk = nullptr;
  if (text && length > 0) {
    gbk = static_cast<unsigned char*>(CVMem::Allocate(2 * static_cast<size_t>(length)));
    if (!gbk) {
      return nullptr;
    }
    bytes = Utf8ToGbk(reinterpret_cast<const unsigned char*>(text), length, gbk);
  }
  char* local = VNew<char>(static_cast<size_t>(bytes) + 1);
  if (local) {
    if (bytes > 0) {
      std::memcpy(local, gbk, static_cast<size_t>(bytes));
    }
    local[bytes] = 0;
    if (outLength) {
      *outLength = bytes + 1;
    }
  }
  CVMem::Deallocate(gbk);
  return local;
}

}  // namespace mapengine
