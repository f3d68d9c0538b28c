#include <gtest/gtest.h>

#include <cfloat>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"

namespace mapengine::test {

using JsonTest = EngineTest;

struct Tree {
  explicit Tree(const std::string& text) : root(VJson_Parse(text.c_str())) {}
  ~Tree() { VJson_Delete(root); }
  VJson* root;
};

TEST_F(JsonTest, NestedMembersAreFoundIgnoringCase) {
  Tree t(R"({"Result":{"Type":2,"Type":3},"list":[1,"two",true,false,null]})");
  ASSERT_NE(t.root, nullptr);
  VJson* type = VJson_GetObjectItem(VJson_GetObjectItem(t.root, "result"), "type");
  ASSERT_NE(type, nullptr);
  EXPECT_EQ(type->type, VJson_Number);
  EXPECT_EQ(type->valueint, 2);  // the first of two members of the same name
  VJson* list = VJson_GetObjectItem(t.root, "LIST");
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(VJson_GetArraySize(list), 5);
  EXPECT_STREQ(VJson_GetArrayItem(list, 1)->valuestring, "two");
  EXPECT_EQ(VJson_GetArrayItem(list, 2)->type, VJson_True);
  EXPECT_EQ(VJson_GetArrayItem(list, 2)->valueint, 1);
  EXPECT_EQ(VJson_GetArrayItem(list, 3)->type, VJson_False);
  EXPECT_EQ(VJson_GetArrayItem(list, 4)->type, VJson_NULL);
  EXPECT_EQ(VJson_GetArrayItem(list, 4)->prev, VJson_GetArrayItem(list, 3));
  EXPECT_EQ(VJson_GetArrayItem(list, 5), nullptr);
  EXPECT_EQ(VJson_GetArrayItem(list, -1), nullptr);
  EXPECT_EQ(VJson_GetObjectItem(t.root, "missing"), nullptr);
}

TEST_F(JsonTest, StringsKeepGbkPairsAndDecodeEscapes) {
  struct Case {
    std::string json;
    std::string value;
  };
  const Case cases[] = {
      {"\"\xB1\\\"", "\xB1\\"},                      // the backslash is the pair's second byte
      {R"("\u4e2d")", "\xE4\xB8\xAD"},
      {R"("\u00e9")", "\xC3\xA9"},
      {R"("\u0041")", "A"},
      {R"("\q")", "q"},
      {R"("a\"b\\c\/d")", "a\"b\\c/d"},
      {R"("\b\f\n\r\t")", "\b\f\n\r\t"},
      {R"("\uZZZZ!")", "!"},                         // no digits: the four characters are dropped
      {R"("\u41xyz")", "Az"},                        // fewer digits: still four characters consumed
      {"\"\xD6\xD0\xCE\xC4\"", "\xD6\xD0\xCE\xC4"},
  };
  for (const Case& c : cases) {
    Tree t(c.json);
    ASSERT_NE(t.root, nullptr) << c.json;
    EXPECT_EQ(t.root->type, VJson_String);
    EXPECT_EQ(std::string(t.root->valuestring), c.value) << c.json;
  }
}

TEST_F(JsonTest, NumbersAreReadAndClamped) {
  struct Case {
    const char* json;
    double value;
    int valueint;
  };
  const Case cases[] = {
      {"-0.5e1", -5.0, -5},
      {"12.7", 12.7, 12},
      {"0", 0, 0},
      {"1E+2", 100, 100},
      {"-12.5E-1", -1.25, -1},
      {"3000000000", 3e9, INT_MAX},
      {"-3000000000", -3e9, INT_MIN},
      {"1e400", DBL_MAX, INT_MAX},
      {"-1e400", -DBL_MAX, INT_MIN},
      {"1e-400", 0, 0},
      {"0e999999999999", 0, 0},
      {"123456789012345678901234567890", 1.2345678901234568e29, INT_MAX},
  };
  for (const Case& c : cases) {
    Tree t(c.json);
    ASSERT_NE(t.root, nullptr) << c.json;
    EXPECT_EQ(t.root->type, VJson_Number);
    EXPECT_DOUBLE_EQ(t.root->valuedouble, c.value) << c.json;
    EXPECT_EQ(t.root->valueint, c.valueint) << c.json;
  }
}

TEST_F(JsonTest, CoordinatesAndOtherShortNumbersAreTheNearestDouble) {
  // Up to 19 significant digits and a decimal exponent within 22: exactly what
  // strtod reads.
  const char* texts[] = {"12.7",   "116.404269", "-39.915378", "0.1",
                         "4825000.123456", "-0.5e1", "1e22",  "-1.25E-1",
                         "0.000001", "123456789012345", "9007199254740993", "1234567890123456789",
                         "0.3e-5", "-0"};
  for (const char* text : texts) {
    Tree t(text);
    ASSERT_NE(t.root, nullptr) << text;
    EXPECT_EQ(t.root->valuedouble, std::strtod(text, nullptr)) << text;
  }
}

TEST_F(JsonTest, EmptyContainersAndTrailingText) {
  Tree a("  [ ] trailing");
  ASSERT_NE(a.root, nullptr);
  EXPECT_EQ(a.root->type, VJson_Array);
  EXPECT_EQ(VJson_GetArraySize(a.root), 0);
  EXPECT_EQ(VJson_GetArrayItem(a.root, 0), nullptr);
  Tree o("{}");
  ASSERT_NE(o.root, nullptr);
  EXPECT_EQ(o.root->type, VJson_Object);
  EXPECT_EQ(VJson_GetArraySize(o.root), 0);
  Tree n("nullx");
  ASSERT_NE(n.root, nullptr);
  EXPECT_EQ(n.root->type, VJson_NULL);
  Tree ws("\x01\xA0[1]");  // bytes below 33 and high bytes count as blanks between tokens
  ASSERT_NE(ws.root, nullptr);
  EXPECT_EQ(VJson_GetArraySize(ws.root), 1);
}

TEST_F(JsonTest, MalformedTextFailsWithoutReadingPastItsEnd) {
  const char* bad[] = {
      "",        "   ",      "[1,]",        "[1 2]",      "{\"a\" 1}", "{\"a\":1,}", "{a:1}", "[1,2",
      "\"abc",   "\"ab\\",   "\"ab\xB1",    "\"\\u12",    "nul",       "tru",       "x",     "[\"a\",",
      "{\"a\":", "{\"a\"",   "-",           "[-]",
  };
  for (const char* text : bad) {
    // Each text sits alone in an exactly sized buffer, so the sanitizer sees any read past it.
    size_t n = std::strlen(text) + 1;
    char* copy = new char[n];
    std::memcpy(copy, text, n);
    VJson* root = VJson_Parse(copy);
    if (std::string(text) == "-" || std::string(text) == "[-]") {
      // A lone minus reads as the number 0, as the reader always did.
      ASSERT_NE(root, nullptr) << text;
      VJson_Delete(root);
    } else {
      EXPECT_EQ(root, nullptr) << text;
    }
    delete[] copy;
  }
  EXPECT_EQ(VJson_Parse(nullptr), nullptr);
}

TEST_F(JsonTest, NestingDepthIsLimited) {
  std::string ok(kVJsonMaxDepth, '[');
  ok += std::string(kVJsonMaxDepth, ']');
  Tree deep(ok);
  EXPECT_NE(deep.root, nullptr);
  std::string tooDeep(kVJsonMaxDepth + 1, '[');
  tooDeep += std::string(kVJsonMaxDepth + 1, ']');
  Tree refused(tooDeep);
  EXPECT_EQ(refused.root, nullptr);
  std::string hostile(1000000, '{');
  Tree huge(hostile);
  EXPECT_EQ(huge.root, nullptr);
}

// Strings of every length up to a few hundred bytes, with GBK pairs (one with a
// backslash as its second byte), escapes and plain runs at every offset, and
// the JSON text that holds them.
struct StringSet {
  std::string json;
  std::vector<std::string> values;
};

StringSet MakeStrings(int count, size_t longest) {
  StringSet set;
  set.json = "[";
  for (int i = 0; i < count; ++i) {
    std::string text;
    std::string value;
    for (size_t j = 0; j < static_cast<size_t>(i) % longest; ++j) {
      if (j % 13 == 5) {
        text += "\xB1\\";
        value += "\xB1\\";
      } else if (j % 17 == 3) {
        text += "\\n";
        value += '\n';
      } else if (j % 29 == 7) {
        text += "\\u4e2d";
        value += "\xE4\xB8\xAD";
      } else {
        char c = static_cast<char>('a' + (i + j) % 26);
        text += c;
        value += c;
      }
    }
    set.json += (i ? ",\"" : "\"") + text + "\"";
    set.values.push_back(value);
  }
  set.json += "]";
  return set;
}

TEST_F(JsonTest, LargeTreesKeepEveryStringWhole) {
  StringSet set = MakeStrings(4000, 300);  // many times the first block of the tree
  std::string huge(200000, 'x');             // a string longer than any block
  huge[12345] = '\xB1';
  set.json.insert(set.json.size() - 1, ",{\"Huge\":\"" + huge + "\",\"after\":7}");
  Tree t(set.json);
  ASSERT_NE(t.root, nullptr);
  ASSERT_EQ(VJson_GetArraySize(t.root), 4001);
  int i = 0;
  for (VJson* item = t.root->child; i < 4000; item = item->next, ++i) {
    ASSERT_EQ(item->type, VJson_String);
    ASSERT_EQ(std::string(item->valuestring), set.values[static_cast<size_t>(i)]) << i;
  }
  VJson* last = VJson_GetArrayItem(t.root, 4000);
  EXPECT_EQ(std::string(VJson_GetObjectItem(last, "huge")->valuestring), huge);
  EXPECT_EQ(VJson_GetObjectItem(last, "AFTER")->valueint, 7);
}

TEST_F(JsonTest, FailuresLateInALargeTextFreeEverything) {
  // The sanitizer build reports any block left behind and any read past the text.
  const std::string body = MakeStrings(3000, 200).json;
  const std::string texts[] = {
      body.substr(0, body.size() - 1) + ",]",                            // trailing comma
      body.substr(0, body.size() - 1) + ",\"" + std::string(100000, 'y'),  // ends inside a long string
      body.substr(0, body.size() - 1) + ",{\"a\":[1,2,{\"b\":",           // ends where a value is expected
  };
  for (const std::string& text : texts) {
    std::vector<char> exact(text.begin(), text.end());
    exact.push_back(0);
    EXPECT_EQ(VJson_Parse(exact.data()), nullptr) << text.substr(text.size() - 20);
  }
}

TEST_F(JsonTest, GbkPairsAndSurrogateEscapesAtTheEndStayInsideTheirBuffers) {
  struct Case {
    std::string text;
    const char* value;  // null: refused
  };
  const Case cases[] = {
      {"\"ab\xB1\"", nullptr},                      // the pair takes the quote: no closing quote is left
      {"[\"ab\xB1\"]", nullptr},                    // ... nor before the structure bytes
      {"{\"a\":\"\xB1\"}", nullptr},
      {"{\"\xB1\":1}", nullptr},
      {"[\"abcdefg\xB1\"]\"]", "abcdefg\xB1\"]"},  // seven plain bytes, then a pair into the structure
      {"\"\\uD800\"", "\xED\xA0\x80"},              // a lone surrogate is encoded by itself
      {"\"abcdefg\\uDE00\"", "abcdefg\xED\xB8\x80"},
      {"\"\\uD83D\\uDE00\"", "\xED\xA0\xBD\xED\xB8\x80"},
      {"\"\\uD83D\\uDE", nullptr},                   // cut inside the second escape
      {"\"\\uD83D\\u", nullptr},
      {"\"abcdefg\\uD83D", nullptr},
      {"[\"\\uD8\"]", nullptr},                      // the escape takes its four characters whatever they are
  };
  for (const Case& c : cases) {
    // Exactly sized, so that the sanitizer sees any step past the text.
    std::vector<char> exact(c.text.begin(), c.text.end());
    exact.push_back(0);
    VJson* root = VJson_Parse(exact.data());
    if (!c.value) {
      EXPECT_EQ(root, nullptr) << c.text;
      continue;
    }
    ASSERT_NE(root, nullptr) << c.text;
    const VJson* s = root->type == VJson_Array ? root->child : root;
    EXPECT_EQ(std::string(s->valuestring), c.value) << c.text;
    VJson_Delete(root);
  }
}

TEST_F(JsonTest, PlainRunsFollowedByMultiByteStepsNeverWritePastTheirBlock) {
  // Seven plain bytes and then an escape or pairs: the step after a plain run
  // must find room of its own. Every offset from the start of a block, and
  // strings longer than a block, so that some step meets a block's end.
  // The last: a run of pairs longer than the room of one step, second
  // bytes a backslash and a quote among them.
  const std::pair<const char*, const char*> steps[] = {
      {"\\u4e2d", "\xE4\xB8\xAD"},
      {"\xB1\xB1", "\xB1\xB1"},
      {"\xB1\\\xB2\xB3\xB4\"\xB5\xB6\xB7\xB8\xB9\xBA", "\xB1\\\xB2\xB3\xB4\"\xB5\xB6\xB7\xB8\xB9\xBA"}};
  for (const auto& [text, value] : steps) {
    for (size_t lead = 0; lead < 10; ++lead) {
      std::string json = "[\"" + std::string(lead, 'x');
      std::string expected(lead, 'x');
      while (expected.size() < 3 * CVMem::kRunSize) {
        json += std::string("abcdefg") + text;
        expected += std::string("abcdefg") + value;
      }
      json += "\",\"" + json.substr(2) + "\"]";  // the second string starts inside a block
      Tree t(json);
      ASSERT_NE(t.root, nullptr) << lead;
      ASSERT_EQ(std::string(t.root->child->valuestring), expected) << lead;
      ASSERT_EQ(std::string(t.root->child->next->valuestring), expected) << lead;
    }
  }
}

TEST_F(JsonTest, OnlyTheRootFreesTheTree) {
  Tree t(R"({"list":[1,2,3],"name":"value"})");
  ASSERT_NE(t.root, nullptr);
  VJson* list = VJson_GetObjectItem(t.root, "list");
  VJson_Delete(list);        // a node inside the tree: its memory is the root's
  VJson_Delete(list->child);
  EXPECT_EQ(VJson_GetArraySize(list), 3);
  EXPECT_EQ(VJson_GetArrayItem(list, 2)->valueint, 3);
  EXPECT_STREQ(VJson_GetObjectItem(t.root, "NAME")->valuestring, "value");
  VJson_Delete(nullptr);
}

}  // namespace mapengine::test
