// Code-page tables and text conversion: GBK (code page 0) and UTF-8 (any other
// code page, 65001 in use) to and from UTF-16.
#pragma once

#include <cstddef>
#include <cstdint>

namespace mapengine {

class CVCMMap {
public:
  CVCMMap() = default;
  virtual ~CVCMMap();
  CVCMMap(const CVCMMap&) = delete;
  CVCMMap& operator=(const CVCMMap&) = delete;

  // Loads table 1 (GBK -> UTF-16) and table 2 (UTF-16 -> GBK) from the blobs
  // built into the program. 1.
  int LoadTables();
  // Builds one table (1 or 2) from a blob of the given size; any table already
  // loaded there is freed first. 1, or 0 when the blob is malformed.
  int LoadTable(const unsigned char* blob, size_t size, int table);
  // Index of the range of the table that holds the code; -1 when none, for a
  // table number other than 1 and 2, or when the table is not loaded.
  int FindRange(unsigned short code, int table) const;
  void FreeTable(int table);

  // The value of a code in a table; 0xFFFF when it has none.
  unsigned short Lookup(unsigned short code, int table) const {
    int r = FindRange(code, table);
    if (r < 0) {
      return 0xFFFF;
    }
    const Range& range = m_tables[table - 1].ranges[r];
    return range.values[code - range.first];
  }

private:
  struct Range {
    unsigned short first;
    unsigned short count;
    unsigned short* values;
  };
  struct Table {
    unsigned short header[4] = {0, 0, 0, 0};
    Range* ranges = nullptr;
    int count = 0;
    // For every high byte h: the first range that ends above h * 256, so a
    // look-up starts next to its range instead of searching the whole table.
    unsigned short firstRange[256] = {};
  };
  Table m_tables[2];
};

// Code page of the map service's byte texts.
constexpr unsigned kCodePageGbk = 0;
constexpr unsigned kCodePageUtf8 = 65001;

// Converts length bytes (stopping early at a zero byte) into UTF-16. With an
// output buffer at most outCapacity units are written; without one, the units
// that would be written are counted. Returns the number of units; 0 for a
// null text or a length <= 0. Nothing is written past outCapacity and no
// terminator is written.
int MultiByteToWide(unsigned codePage, const char* text, int length, unsigned short* out,
                    int outCapacity);
// Converts length units (negative: up to the terminator) into bytes. With an
// output buffer at most outCapacity bytes are written (a character never
// half); without one, the bytes are counted. Returns the number of bytes; no
// terminator is written or counted. GBK skips units it cannot map.
int WideToMultiByte(unsigned codePage, const unsigned short* text, int length, char* out,
                    int outCapacity);
// A UTF-8 text of the given length as a new zero-terminated GBK text: a byte
// array from VNew<char> (free it with VDelete); *outLength receives the GBK
// length + 1. Null when memory ran out.
char* Utf8ToLocal(const char* text, int length, int* outLength);

}  // namespace mapengine
