#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VMem.h"

namespace mapengine::test {

using CodePageTest = EngineTest;

std::vector<unsigned short> ToWide(unsigned cp, const std::vector<unsigned char>& bytes) {
  std::vector<unsigned short> out(bytes.size() + 4, 0xEEEE);
  int n = MultiByteToWide(cp, reinterpret_cast<const char*>(bytes.data()), static_cast<int>(bytes.size()), out.data(),
                          static_cast<int>(out.size()));
  out.resize(n);
  return out;
}

std::vector<unsigned char> ToBytes(unsigned cp, const std::vector<unsigned short>& units) {
  std::vector<unsigned char> out(units.size() * 4 + 4, 0xEE);
  int n = WideToMultiByte(cp, units.data(), static_cast<int>(units.size()), reinterpret_cast<char*>(out.data()),
                          static_cast<int>(out.size()));
  out.resize(n);
  return out;
}

TEST_F(CodePageTest, DecodesBytesAndCountsExactlyAsItWrites) {
  struct Case {
    unsigned cp;
    std::vector<unsigned char> in;
    std::vector<unsigned short> out;
  };
  const Case cases[] = {
      {kCodePageGbk, {0xD6, 0xD0}, {0x4E2D}},
      {kCodePageGbk, {0x80}, {0x20AC}},
      {kCodePageGbk, {0xFF, 0x41}, {0x41}},
      {kCodePageGbk, {0xD6, 0xD0, 0x41}, {0x4E2D, 0x41}},
      {kCodePageGbk, {0x81, 0x7F, 0x42}, {0x42}},        // unassigned pair skipped
      {kCodePageGbk, {0x41, 0xD6}, {0x41}},              // a lead byte at the end is dropped
      {kCodePageGbk, {0x41, 0x00, 0x42}, {0x41}},        // stops at the terminator
      {kCodePageGbk, {0xAA, 0xA1}, {0xE000}},            // user-defined area
      {kCodePageUtf8, {0xE4, 0xB8, 0xAD}, {0x4E2D}},
      {kCodePageUtf8, {0x61, 0xC3, 0xA9}, {0x61, 0xE9}},
      {kCodePageUtf8, {0xF0, 0x9F, 0x98, 0x80}, {0xD83D, 0xDE00}},
      {kCodePageUtf8, {0x61, 0xE4, 0xB8}, {0x61}},       // cut sequence: nothing read past the length
      {kCodePageUtf8, {0x80, 0x41}, {0x80, 0x41}},       // stray continuation byte
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToWide(c.cp, c.in), c.out);
    EXPECT_EQ(MultiByteToWide(c.cp, reinterpret_cast<const char*>(c.in.data()), static_cast<int>(c.in.size()),
                              nullptr, 0),
              static_cast<int>(c.out.size()));
  }
  EXPECT_EQ(MultiByteToWide(kCodePageGbk, nullptr, 3, nullptr, 0), 0);
  EXPECT_EQ(MultiByteToWide(kCodePageGbk, "abc", 0, nullptr, 0), 0);
}

TEST_F(CodePageTest, EncodesUnitsAndSkipsWhatGbkCannotHold) {
  struct Case {
    unsigned cp;
    std::vector<unsigned short> in;
    std::vector<unsigned char> out;
  };
  const Case cases[] = {
      {kCodePageGbk, {0x4E2D}, {0xD6, 0xD0}},
      {kCodePageGbk, {0x0E01}, {}},
      {kCodePageGbk, {0x00E9}, {0xA8, 0xA6}},  // pinyin letters are part of GBK
      {kCodePageGbk, {0x20AC}, {}},  // single byte 0x80 in code page 936: not written
      {kCodePageGbk, {0x61, 0x4E2D, 0x62}, {0x61, 0xD6, 0xD0, 0x62}},
      {kCodePageUtf8, {0x61, 0x62, 0x63}, {0x61, 0x62, 0x63}},
      {kCodePageUtf8, {0x4E2D}, {0xE4, 0xB8, 0xAD}},
      {kCodePageUtf8, {0xD83D, 0xDE00}, {0xF0, 0x9F, 0x98, 0x80}},
      {kCodePageUtf8, {0xD83D}, {0xED, 0xA0, 0xBD}},
      {kCodePageUtf8, {}, {}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(ToBytes(c.cp, c.in), c.out);
    EXPECT_EQ(WideToMultiByte(c.cp, c.in.data(), static_cast<int>(c.in.size()), nullptr, 0),
              static_cast<int>(c.out.size()));
  }
  const unsigned short terminated[] = {0x4E2D, 0x41, 0};
  EXPECT_EQ(WideToMultiByte(kCodePageGbk, terminated, -1, nullptr, 0), 3);
}

TEST_F(CodePageTest, OutputCapacityIsNeverExceededNorACharacterHalved) {
  const unsigned short units[] = {0x41, 0x4E2D, 0x42};
  char bytes[8];
  std::memset(bytes, 0x7E, sizeof bytes);
  EXPECT_EQ(WideToMultiByte(kCodePageGbk, units, 3, bytes, 2), 1);
  EXPECT_EQ(bytes[1], 0x7E);
  EXPECT_EQ(WideToMultiByte(kCodePageUtf8, units, 3, bytes, 3), 1);

  unsigned short wide[4] = {0x7E7E, 0x7E7E, 0x7E7E, 0x7E7E};
  EXPECT_EQ(MultiByteToWide(kCodePageGbk, "\xD6\xD0\x41\x42", 4, wide, 2), 2);
  EXPECT_EQ(wide[2], 0x7E7E);
  EXPECT_EQ(MultiByteToWide(kCodePageUtf8, "\xF0\x9F\x98\x80", 4, wide, 1), 0);
}

TEST_F(CodePageTest, EveryAssignedPairRoundTripsThroughTheTables) {
  auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
  int assigned = 0;
  for (unsigned lead = 0x81; lead <= 0xFE; ++lead) {
    for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
      unsigned short code = static_cast<unsigned short>(lead << 8 | trail);
      unsigned short unit = tables->Lookup(code, 1);
      if (unit == 0xFFFF) {
        continue;
      }
      ++assigned;
      const unsigned char pair[2] = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
      unsigned short decoded = 0;
      ASSERT_EQ(MultiByteToWide(kCodePageGbk, reinterpret_cast<const char*>(pair), 2, &decoded, 1), 1) << code;
      ASSERT_EQ(decoded, unit);
      unsigned char back[2] = {0, 0};
      ASSERT_EQ(WideToMultiByte(kCodePageGbk, &unit, 1, reinterpret_cast<char*>(back), 2), 2) << code;
      ASSERT_EQ(back[0], lead);
      ASSERT_EQ(back[1], trail);
    }
  }
  // The GBK repertoire (21,886 characters and symbols) plus the user-defined areas.
  EXPECT_GT(assigned, 21800);
  // And the other way: every unit of table 2 decodes back to itself.
  int encodable = 0;
  for (unsigned u = 0x80; u <= 0xFFFF; ++u) {
    unsigned short unit = static_cast<unsigned short>(u);
    unsigned char bytes[2];
    if (WideToMultiByte(kCodePageGbk, &unit, 1, reinterpret_cast<char*>(bytes), 2) != 2) {
      continue;
    }
    ++encodable;
    unsigned short back = 0;
    ASSERT_EQ(MultiByteToWide(kCodePageGbk, reinterpret_cast<const char*>(bytes), 2, &back, 1), 1) << u;
    ASSERT_EQ(back, unit);
  }
  EXPECT_EQ(encodable, assigned);
}

TEST_F(CodePageTest, FindRangeLocatesTheLeadByteRanges) {
  auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
  EXPECT_EQ(tables->FindRange(0x8140, 1), 0);
  EXPECT_EQ(tables->FindRange(0xFE40, 1), 125);
  EXPECT_EQ(tables->FindRange(0xFEFE, 1), 125);
  EXPECT_EQ(tables->FindRange(0xFF40, 1), -1);
  EXPECT_EQ(tables->FindRange(0x8100, 1), -1);
  EXPECT_EQ(tables->FindRange(0x81FF, 1), -1);
  EXPECT_EQ(tables->FindRange(0x0041, 2), -1);
  EXPECT_EQ(tables->FindRange(0x8140, 3), -1);
  CVCMMap empty;
  EXPECT_EQ(empty.FindRange(0x8140, 1), -1);
}

TEST_F(CodePageTest, MalformedBlobsAreRejectedAndLeaveTheTableEmpty) {
  // Header "MM", 512, two ranges that overlap.
  const unsigned char overlapping[] = {'M', 'M', 0, 2, 2, 0, 0, 0, 0x40, 0x81, 2, 0, 0x41, 0x81, 1, 0,
                                       1,   0,   2, 0, 3, 0};
  const unsigned char shortValues[] = {'M', 'M', 0, 2, 1, 0, 0, 0, 0x40, 0x81, 9, 0, 1, 0};
  const unsigned char good[] = {'M', 'M', 0, 2, 1, 0, 0, 0, 0x40, 0x81, 2, 0, 0x34, 0x12, 0xFF, 0xFF};
  CVCMMap map;
  EXPECT_EQ(map.LoadTable(overlapping, sizeof overlapping, 1), 0);
  EXPECT_EQ(map.LoadTable(shortValues, sizeof shortValues, 1), 0);
  EXPECT_EQ(map.FindRange(0x8140, 1), -1);
  EXPECT_EQ(map.LoadTable(good, sizeof good, 1), 1);
  EXPECT_EQ(map.Lookup(0x8140, 1), 0x1234);
  EXPECT_EQ(map.Lookup(0x8141, 1), 0xFFFF);
  EXPECT_EQ(map.Lookup(0x8142, 1), 0xFFFF);
}

TEST_F(CodePageTest, Utf8ToLocalGivesACountedGbkText) {
  int length = 0;
  char* local = Utf8ToLocal("a\xE4\xB8\xAD\xE0\xB8\x81", 7, &length);
  ASSERT_NE(local, nullptr);
  EXPECT_EQ(length, 4);
  EXPECT_STREQ(local, "a\xD6\xD0");
  EXPECT_EQ(VArrayCount(local), 4u);
  VDelete(local);

  char* empty = Utf8ToLocal("", 0, &length);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(length, 1);
  EXPECT_STREQ(empty, "");
  VDelete(empty);
}

TEST_F(CodePageTest, Utf8ToLocalMatchesTheConversionThroughUtf16) {
  // The one-step conversion gives the bytes of UTF-8 -> UTF-16 -> GBK for
  // every kind of input, broken ones included.
  const std::string texts[] = {
      "plain ascii text that is longer than eight bytes",
      "\xE5\x8C\x97\xE4\xBA\xAC\xE5\xB8\x82 road 5 \xE5\x8F\xB7",
      "emoji \xF0\x9F\x98\x80 and \xC3\xA9",
      "cut at the end \xE4\xB8",
      std::string("zero\0inside", 11),
      "lead \xC3 then ascii",
      "\xFF\xFE stray bytes \x80\x81",
      "\xB7\xB7\xB7\xB7",  // stray bytes that read as Latin-1 and take two GBK bytes each
  };
  for (const std::string& text : texts) {
    for (int length : {static_cast<int>(text.size()), static_cast<int>(text.size()) / 2}) {
      int units = MultiByteToWide(kCodePageUtf8, text.data(), length, nullptr, 0);
      std::vector<unsigned short> wide(static_cast<size_t>(units) + 1);
      MultiByteToWide(kCodePageUtf8, text.data(), length, wide.data(), units);
      int bytes = units > 0 ? WideToMultiByte(kCodePageGbk, wide.data(), units, nullptr, 0) : 0;
      std::string expected(static_cast<size_t>(bytes), '\0');
      if (bytes > 0) {
        WideToMultiByte(kCodePageGbk, wide.data(), units, expected.data(), bytes);
      }
      int outLength = 0;
      char* local = Utf8ToLocal(text.data(), length, &outLength);
      ASSERT_NE(local, nullptr);
      EXPECT_EQ(std::string(local, static_cast<size_t>(outLength - 1)), expected) << text << " / " << length;
      EXPECT_EQ(VArrayCount(local), static_cast<size_t>(bytes) + 1);
      VDelete(local);
    }
  }
  // Stray bytes of Latin-1 take two GBK bytes each: the output may outgrow
  // the input.
  int outLength = 0;
  char* latin = Utf8ToLocal("\xB7\xB7\xB7\xB7", 4, &outLength);
  ASSERT_NE(latin, nullptr);
  EXPECT_EQ(outLength, 9);
  VDelete(latin);
}

}  // namespace mapengine::test
