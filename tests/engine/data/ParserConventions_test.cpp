// The readers, text operations and envelope rules every reply parser uses.
#include <cfloat>
#include <climits>
#include <cmath>
#include <cstring>

#include "engine/data/VJsonResultParser.h"
#include "engine/model/ComplexPt.h"
#include "tests/engine/data/DataTestSupport.h"

namespace mapengine::test {
namespace {

using P = VJsonResultParser;

class ParserConventionsTest : public EngineTest {};

TEST_F(ParserConventionsTest, NumberReadersHoldValuesToTheirRanges) {
  Reply reply(R"({"n":12.7,"neg":-0.5e1,"huge":1e300,"tiny":-1e300,"s":"12","big":5e9,"minus":-3,"t":true})");
  ASSERT_NE(reply.root(), nullptr);
  struct Case {
    const char* key;
    int found;
    int asInt;
    int fromDouble;
    double asUInt;
  } cases[] = {
      {"n", 1, 12, 12, 12.0},
      {"neg", 1, -5, -5, 0.0},
      {"huge", 1, INT_MAX, INT_MAX, 4294967295.0},
      {"tiny", 1, INT_MIN, INT_MIN, 0.0},
      {"big", 1, INT_MAX, INT_MAX, 4294967295.0},
      {"minus", 1, -3, -3, 0.0},
      {"s", 0, 0, 0, 0.0},   // numbers in strings are no numbers here
      {"t", 0, 0, 0, 0.0},
      {"absent", 0, 0, 0, 0.0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.key);
    int i = 99, d = 99;
    double u = 99;
    EXPECT_EQ(P::GetInt(reply.root(), c.key, &i), c.found);
    EXPECT_EQ(i, c.asInt);
    EXPECT_EQ(P::GetIntFromDouble(reply.root(), c.key, &d), c.found);
    EXPECT_EQ(d, c.fromDouble);
    EXPECT_EQ(P::GetUIntAsDouble(reply.root(), c.key, &u), c.found);
    EXPECT_EQ(u, c.asUInt);
  }
  // Key look-up ignores ASCII case; a node that is no object has no members.
  int i = 0;
  EXPECT_EQ(P::GetInt(reply.root(), "N", &i), 1);
  EXPECT_EQ(i, 12);
  EXPECT_EQ(P::GetInt(reply.root()->child, "n", &i), 0);
  EXPECT_EQ(P::GetInt(nullptr, "n", &i), 0);
}

TEST_F(ParserConventionsTest, TextNumbersAreClampedNeverUndefined) {
  EXPECT_EQ(P::TextToInt("12958160"), 12958160);
  EXPECT_EQ(P::TextToInt("-42abc"), -42);
  EXPECT_EQ(P::TextToInt("99999999999999999999"), INT_MAX);
  EXPECT_EQ(P::TextToInt("-99999999999999999999"), INT_MIN);
  EXPECT_EQ(P::TextToInt("x1"), 0);
  EXPECT_EQ(P::TextToInt(static_cast<const char*>(nullptr)), 0);
  EXPECT_EQ(P::TextToInt(W(u"131城")), 131);
  EXPECT_EQ(P::TextToInt(W(u"-7")), -7);
  EXPECT_EQ(P::TextToInt(W(u" 7")), 0);
  EXPECT_EQ(P::TextToDouble("1e999"), DBL_MAX);
  EXPECT_EQ(P::TextToDouble("-1e999"), -DBL_MAX);
  EXPECT_EQ(P::TextToDouble("nan"), 0.0);
  EXPECT_EQ(P::ClampToInt(std::nan("")), 0);
  EXPECT_EQ(P::ClampToInt(1e300), INT_MAX);
  EXPECT_EQ(P::ClampToInt(-2.9), -2);
}

TEST_F(ParserConventionsTest, ArrayNumbersLeaveTheOutputWhenMissing) {
  Reply reply(R"({"a":[0,1,"2"]})");
  const VJson* a = Member(reply.root(), "a");
  int out = 7;
  EXPECT_EQ(P::GetArrayInt(a, 1, &out), 1);
  EXPECT_EQ(out, 1);
  EXPECT_EQ(P::GetArrayInt(a, 2, &out), 0);
  EXPECT_EQ(P::GetArrayInt(a, 3, &out), 0);
  EXPECT_EQ(P::GetArrayInt(a, -1, &out), 0);
  EXPECT_EQ(P::GetArrayInt(reply.root(), 0, &out), 0);
  EXPECT_EQ(out, 1);
}

TEST_F(ParserConventionsTest, StringsAreCutOnWholeGbkCharacters) {
  std::string longText(150, 'a');
  // 98 ASCII bytes then a Chinese character: its two bytes do not fit into
  // the 99 bytes a field of 100 holds, so the field ends before it.
  std::string edge = std::string(98, 'b') + "\xE4\xB8\xAD";  // U+4E2D in UTF-8
  Reply reply("{\"long\":\"" + longText + "\",\"edge\":\"" + edge + "\",\"n\":5,\"cn\":\"中文\"}");
  ASSERT_NE(reply.root(), nullptr);
  char field[100];
  std::memset(field, 0, sizeof field);
  EXPECT_EQ(P::GetString(reply.root(), "long", field, sizeof field), 1);
  EXPECT_EQ(std::string(field), std::string(99, 'a'));
  EXPECT_EQ(field[99], 0);

  std::memset(field, 'x', sizeof field);
  EXPECT_EQ(P::GetString(reply.root(), "edge", field, sizeof field), 1);
  EXPECT_EQ(std::string(field), std::string(98, 'b'));

  char small[5] = {};
  EXPECT_EQ(P::GetString(reply.root(), "cn", small, sizeof small), 1);
  EXPECT_EQ(G(small), u"中文");
  char tiny[4] = {};
  EXPECT_EQ(P::GetString(reply.root(), "cn", tiny, sizeof tiny), 1);
  EXPECT_EQ(G(tiny), u"中");

  // A lead byte that lost its second byte is left out.
  Reply lone(R"({"lone":"a\u4e2d"})");
  char bytes[10] = {};
  EXPECT_EQ(P::GetString(lone.root(), "lone", bytes, sizeof bytes), 1);
  EXPECT_STREQ(bytes, "a\xE4\xB8");

  // Missing, wrong kind, no field or a width below 2: nothing is written.
  char kept[8] = "kept";
  EXPECT_EQ(P::GetString(reply.root(), "n", kept, sizeof kept), 0);
  EXPECT_EQ(P::GetString(reply.root(), "absent", kept, sizeof kept), 0);
  EXPECT_EQ(P::GetString(reply.root(), "cn", kept, 1), 0);
  EXPECT_EQ(P::GetString(reply.root(), "cn", nullptr, 8), 0);
  EXPECT_STREQ(kept, "kept");
}

TEST_F(ParserConventionsTest, RepeatedItemsCollapseOnlyBetweenNeighbours) {
  struct Case {
    const char* text;
    const char* result;
  } cases[] = {
      {"a;a;b", "a;b"}, {"a;b;", "a;b;"}, {"a;a;", "a;"},     {";a", "a"},
      {"a;b;a", "a;b;a"}, {"", ""},     {"abc", "abc"},       {";;;", ""},
      {"aa;a;a;ab", "aa;a;ab"},
  };
  for (const Case& c : cases) {
    char text[32];
    std::strcpy(text, c.text);
    P::RemoveRepeatedItems(text);
    EXPECT_STREQ(text, c.result) << c.text;
  }
  // Collapsing happens on a copy before the text is cut to the field.
  Reply reply(R"({"addr":"王府井大街;王府井大街;东城区"})");
  char addr[100] = {};
  EXPECT_EQ(P::GetString(reply.root(), "addr", addr, sizeof addr, 1), 1);
  EXPECT_EQ(G(addr), u"王府井大街;东城区");
}

TEST_F(ParserConventionsTest, TelephonesKeepTheirAsciiPrefix) {
  std::string tel = "010 65116400 " + Gbk(u"转总机");
  std::vector<char> text(tel.begin(), tel.end());
  text.push_back(0);
  EXPECT_EQ(P::CutAtNonAscii(text.data()), static_cast<int>(tel.size()));
  EXPECT_STREQ(text.data(), "010 65116400 ");
}

TEST_F(ParserConventionsTest, GeometryKindIsChosenFromTheTextShape) {
  // 20 bytes beginning with "." with ";" at byte 14: one point.
  Reply reply(R"({"p15":".=BAAAAACAAAAA;","p20":".=BAAAAACAAAAA;xxxxx","short":".=BAAAAACAAA;",)"
              R"("odd":"?=BAAAAACAAAAA;xxxxx","n":3})");
  ASSERT_NE(reply.root(), nullptr);
  for (const char* key : {"p15", "p20"}) {
    CComplexPt geo;
    EXPECT_EQ(P::GetGeo(reply.root(), key, &geo), 1) << key;
    EXPECT_EQ(geo.GetType(), 1);
    ASSERT_EQ(geo.GetPartSize(), 1);
    EXPECT_EQ(geo.GetPoint(0, 0), (_VPoint{1, 2}));
  }
  for (const char* key : {"short", "odd", "n", "absent"}) {
    CComplexPt geo(5, 6);
    EXPECT_EQ(P::GetGeo(reply.root(), key, &geo), 0) << key;
    EXPECT_EQ(geo.GetPoint(0, 0), (_VPoint{5, 6})) << key;
  }
}

TEST_F(ParserConventionsTest, EnvelopeTypeAndError) {
  struct Case {
    const char* text;
    int typeFound;
    int type;
    int error;
  } cases[] = {
      {R"({"Result":{"Type":2,"error":4}})", 1, 2, 4},
      {R"({"result":{"type":11}})", 1, 11, 0},
      {R"({"result":[{"type":11,"error":3}]})", 0, -1, 0},
      {R"({"result":{"type":"11","error":"3"}})", 0, -1, 0},
      {R"([1,2])", 0, -1, 0},
  };
  for (const Case& c : cases) {
    Reply reply(c.text);
    ASSERT_NE(reply.root(), nullptr) << c.text;
    int type = -1, error = -1;
    EXPECT_EQ(P::GetResultType(reply.root(), &type), c.typeFound) << c.text;
    EXPECT_EQ(type, c.type) << c.text;
    P::GetResultError(reply.root(), &error);
    EXPECT_EQ(error, c.error) << c.text;
  }
}

}  // namespace
}  // namespace mapengine::test
