// gbkgen OUTPUT.cpp
//
// Writes the two code-page blobs the engine's CVCMMap loads at start-up:
//   "MM": GBK pair -> UTF-16 unit, one range per lead byte 0x81..0xFE over the
//         trail bytes 0x40..0xFE (0xFFFF where the pair is unassigned);
//   "WM": UTF-16 unit -> GBK pair (lead in the low byte, trail in the high
//         byte), in ranges of assigned units (0xFFFF in the gaps).
// Only round-trip mappings of ICU's code page 936 converter are taken, so every
// assigned entry of one table is the inverse of an entry of the other.
#include <unicode/ucnv.h>
#include <unicode/utypes.h>

#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

// Units closer together than this share one range of the "WM" table; the gap
// between them is filled with 0xFFFF.
constexpr int kRangeJoinGap = 256;

struct Range {
  uint16_t first;
  std::vector<uint16_t> values;
};

UConverter* OpenConverter() {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open("windows-936-2000", &err);
  if (U_FAILURE(err)) {
    std::fprintf(stderr, "gbkgen: cannot open code page 936: %s\n", u_errorName(err));
    return nullptr;
  }
  ucnv_setFallback(cnv, false);
  ucnv_setToUCallBack(cnv, UCNV_TO_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  ucnv_setFromUCallBack(cnv, UCNV_FROM_U_CALLBACK_STOP, nullptr, nullptr, nullptr, &err);
  return cnv;
}

// The one UTF-16 unit of a two-byte pair, or 0xFFFF.
uint16_t PairToUnit(UConverter* cnv, uint8_t lead, uint8_t trail) {
  const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
  UChar out[4];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_resetToUnicode(cnv);
  int32_t n = ucnv_toUChars(cnv, out, 4, in, 2, &err);
  if (U_FAILURE(err) || n != 1 || (out[0] >= 0xD800 && out[0] <= 0xDFFF)) {
    return 0xFFFF;
  }
  return out[0];
}

// The GBK bytes of one unit: 0 when none, else the number of bytes in out.
int UnitToBytes(UConverter* cnv, uint16_t unit, uint8_t out[4]) {
  const UChar in[1] = {unit};
  char buf[8];
  UErrorCode err = U_ZERO_ERROR;
  ucnv_resetFromUnicode(cnv);
  int32_t n = ucnv_fromUChars(cnv, buf, sizeof buf, in, 1, &err);
  if (U_FAILURE(err) || n <= 0 || n > 4) {
    return 0;
  }
  for (int i = 0; i < n; ++i) {
    out[i] = static_cast<uint8_t>(buf[i]);
  }
  return n;
}

void Put16(std::vector<uint8_t>& blob, unsigned v) {
  blob.push_back(static_cast<uint8_t>(v & 0xFF));
  blob.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

std::vector<uint8_t> MakeBlob(char magic, const std::vector<Range>& ranges) {
  std::vector<uint8_t> blob;
  blob.push_back(static_cast<uint8_t>(magic));
  blob.push_back('M');
  Put16(blob, 512);
  Put16(blob, static_cast<unsigned>(ranges.size()));
  Put16(blob, 0);
  for (const Range& r : ranges) {
    Put16(blob, r.first);
    Put16(blob, static_cast<unsigned>(r.values.size()));
  }
  for (const Range& r : ranges) {
    for (uint16_t v : r.values) {
      Put16(blob, v);
    }
  }
  return blob;
}

void WriteArray(FILE* f, const char* name, const std::vector<uint8_t>& blob) {
  std::fprintf(f, "extern const unsigned char %s[];\n", name);
  std::fprintf(f, "const unsigned char %s[] = {", name);
  for (size_t i = 0; i < blob.size(); ++i) {
    std::fprintf(f, "%s0x%02X,", (i % 16 == 0) ? "\n  " : "", blob[i]);
  }
  std::fprintf(f, "\n};\n");
  std::fprintf(f, "extern const unsigned int %sSize;\n", name);
  std::fprintf(f, "const unsigned int %sSize = %zu;\n\n", name, blob.size());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gbkgen OUTPUT.cpp\n");
    return 2;
  }
  UConverter* cnv = OpenConverter();
  if (!cnv) {
    return 1;
  }

  // UTF-16 -> GBK: every unit whose conversion is one two-byte pair.
  std::vector<uint16_t> toGbk(0x10000, 0xFFFF);
  for (unsigned u = 0x80; u <= 0xFFFF; ++u) {
    if (u >= 0xD800 && u <= 0xDFFF) {
      continue;
    }
    uint8_t bytes[4];
    if (UnitToBytes(cnv, static_cast<uint16_t>(u), bytes) == 2 && bytes[0] >= 0x81) {
      toGbk[u] = static_cast<uint16_t>(bytes[0] | (bytes[1] << 8));
    }
  }

  // GBK -> UTF-16: round-trip pairs only.
  std::vector<Range> mm;
  size_t assigned = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    Range r{static_cast<uint16_t>(lead * 256 + 0x40), {}};
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      uint16_t unit = PairToUnit(cnv, static_cast<uint8_t>(lead), static_cast<uint8_t>(trail));
      if (unit != 0xFFFF && toGbk[unit] != static_cast<uint16_t>(lead | (trail << 8))) {
        unit = 0xFFFF;
      }
      assigned += unit != 0xFFFF;
      r.values.push_back(unit);
    }
    mm.push_back(std::move(r));
  }

  // Drop the units whose pair does not come back to them (one-way mappings).
  std::vector<Range> wm;
  int lastUnit = -1;
  for (unsigned u = 0x80; u <= 0xFFFF; ++u) {
    uint16_t pair = toGbk[u];
    if (pair == 0xFFFF) {
      continue;
    }
    uint8_t lead = pair & 0xFF, trail = pair >> 8;
    if (trail < 0x40 || trail > 0xFE || mm[lead - 0x81].values[trail - 0x40] != u) {
      continue;
    }
    if (wm.empty() || static_cast<int>(u) - lastUnit > kRangeJoinGap) {
      wm.push_back(Range{static_cast<uint16_t>(u), {}});
    } else {
      for (int gap = lastUnit + 1; gap < static_cast<int>(u); ++gap) {
        wm.back().values.push_back(0xFFFF);
      }
    }
    wm.back().values.push_back(pair);
    lastUnit = static_cast<int>(u);
  }
  ucnv_close(cnv);

  FILE* f = std::fopen(argv[1], "w");
  if (!f) {
    std::perror(argv[1]);
    return 1;
  }
  std::fprintf(f, "// Generated by tools/gbkgen from ICU's code page 936 converter. Do not edit.\n");
  std::fprintf(f, "// %zu GBK pairs assigned; %zu UTF-16 ranges.\n\n", assigned, wm.size());
  std::fprintf(f, "namespace mapengine {\n\n");
  WriteArray(f, "g_gbkToWideBlob", MakeBlob('M', mm));
  WriteArray(f, "g_wideToGbkBlob", MakeBlob('W', wm));
  std::fprintf(f, "}  // namespace mapengine\n");
  return std::fclose(f) == 0 ? 0 : 1;
}
