#include <gtest/gtest.h>

#include "EngineTestSupport.h"
#include "engine/base/VMem.h"

namespace mapengine::test {

using StringTest = EngineTest;

TEST_F(StringTest, BuildsFromUtf16AndGbkTexts) {
  EXPECT_EQ(U16(CVString("\xD6\xD0")), u"\u4E2D");
  EXPECT_EQ(U16(CVString("\x80")), u"\u20AC");
  EXPECT_EQ(U16(CVString("\xFF\x41")), u"A");
  EXPECT_TRUE(CVString(static_cast<const char*>(nullptr)).IsEmpty());
  EXPECT_EQ(CVString("").GetBuffer(), nullptr);
  EXPECT_EQ(CVString(VStr(u"")).GetBuffer(), nullptr);
  CVString s = W(u"abc");
  EXPECT_EQ(s.GetLength(), 3);
  // The length word sits right before the units.
  EXPECT_EQ(reinterpret_cast<const int*>(s.GetBuffer())[-1], 3);
  EXPECT_EQ(s.GetBuffer()[3], 0);
  EXPECT_EQ(s.GetAt(3), 0);
  EXPECT_EQ(s.GetAt(-1), 0);
  EXPECT_EQ(s[1], 'b');
}

TEST_F(StringTest, CopiesKeepALengthZeroBufferAndAssignmentDropsIt) {
  CVString zero;
  ASSERT_EQ(zero.AllocBuffer(0), 1);
  CVString copy(zero);
  EXPECT_NE(copy.GetBuffer(), nullptr);
  EXPECT_TRUE(copy.IsEmpty());
  CVString assigned = W(u"x");
  assigned = zero;
  EXPECT_EQ(assigned.GetBuffer(), nullptr);
  CVString self = W(u"same");
  self = *&self;
  EXPECT_EQ(U16(self), u"same");
  EXPECT_EQ(zero.AllocBuffer(-1), 0);
}

TEST_F(StringTest, Concatenation) {
  CVString s = W(u"ab");
  s += W(u"");
  s += VStr(u"c");
  s += "\xD6\xD0";
  s += static_cast<const char*>(nullptr);
  EXPECT_EQ(U16(s), u"abc\u4E2D");
  EXPECT_EQ(U16("x" + W(u"y")), u"xy");
  EXPECT_EQ(U16(W(u"x") + "y"), u"xy");
  EXPECT_EQ(U16(W(u"x") + VStr(u"y")), u"xy");
  EXPECT_EQ(U16(CVString() + W(u"y")), u"y");
  CVString twice = W(u"ab");
  twice += twice;
  EXPECT_EQ(U16(twice), u"abab");
}

TEST_F(StringTest, SearchingAndSlicing) {
  CVString s = W(u"abcabc");
  EXPECT_EQ(s.Find(VStr(u"c"), -5), 2);
  EXPECT_EQ(s.Find(VStr(u"ca"), 0), 2);
  EXPECT_EQ(s.Find(VStr(u"bc"), 3), 4);
  EXPECT_EQ(s.Find(VStr(u"x"), 0), -1);
  EXPECT_EQ(s.Find(VStr(u"a"), 7), -1);
  EXPECT_EQ(s.Find(u'a', 1), 3);
  EXPECT_EQ(s.Find(u'a', 6), -1);
  EXPECT_EQ(CVString().Find(u'a', 0), -1);
  EXPECT_EQ(s.ReverseFind(u'a'), 3);
  EXPECT_EQ(s.ReverseFind(u'z'), -1);

  CVString three = W(u"xyz");
  EXPECT_EQ(U16(three.Right(10)), u"xyz");
  EXPECT_EQ(U16(three.Right(-1)), u"");
  EXPECT_EQ(U16(three.Right(2)), u"yz");
  EXPECT_EQ(U16(three.Mid(1, 10)), u"yz");
  EXPECT_TRUE(three.Mid(3, 1).IsEmpty());
  EXPECT_TRUE(three.Mid(-1, 1).IsEmpty());
  EXPECT_TRUE(three.Mid(0, 0).IsEmpty());
  EXPECT_EQ(U16(three.Left(2)), u"xy");
}

TEST_F(StringTest, Replacing) {
  struct Case {
    const char16_t* text;
    const char16_t* from;
    const char16_t* to;
    int count;
    const char16_t* result;
  };
  const Case cases[] = {
      {u"aaaa", u"aa", u"b", 2, u"bb"},
      {u"a.b.c", u".", u"::", 2, u"a::b::c"},
      {u"abab", u"ab", u"", 2, u""},
      {u"abc", u"x", u"y", 0, u"abc"},
      {u"abc", u"", u"y", 0, u"abc"},
      {u"abc", u"abc", u"abc", 1, u"abc"},
  };
  for (const Case& c : cases) {
    CVString s = W(c.text);
    EXPECT_EQ(s.Replace(VStr(c.from), VStr(c.to)), c.count) << static_cast<int>(c.text[0]);
    EXPECT_EQ(U16(s), c.result);
  }
  CVString s = W(u"a\\b\\c");
  EXPECT_EQ(s.ReplaceChar('\\', '/'), 2);
  EXPECT_EQ(U16(s), u"a/b/c");
  EXPECT_EQ(s.ReplaceChar('/', '/'), 0);
  EXPECT_EQ(s.Replace(nullptr, VStr(u"x")), 0);
}

TEST_F(StringTest, ComparingAndCase) {
  EXPECT_EQ(CVString().Compare(VStr(u"a")), 1);
  EXPECT_EQ(W(u"a").Compare(VStr(u"b")), -1);
  EXPECT_EQ(W(u"b").Compare(VStr(u"a")), 1);
  EXPECT_EQ(W(u"a").Compare(static_cast<const unsigned short*>(nullptr)), 1);
  EXPECT_EQ(CVString().Compare(VStr(u"")), 0);
  EXPECT_EQ(W(u"\u4E2D").Compare("\xD6\xD0"), 0);
  CVString zero;
  zero.AllocBuffer(0);
  EXPECT_EQ(zero.Compare(VStr(u"a")), -1);

  CVString s = W(u"aB\u00E9z");
  s.MakeUpper();
  EXPECT_EQ(U16(s), u"AB\u00E9Z");
  s.MakeLower();
  EXPECT_EQ(U16(s), u"ab\u00E9z");
}

TEST_F(StringTest, WideRoutines) {
  unsigned short buf[16];
  wide_strcpy(buf, VStr(u"ab"));
  wide_strcat(buf, VStr(u"cd"));
  EXPECT_EQ(wide_strlen(buf), 4);
  EXPECT_EQ(wide_strcmp(buf, VStr(u"abcd")), 0);
  EXPECT_EQ(wide_strcmp(VStr(u"\uFFFF"), VStr(u"a")), 1);  // units compare unsigned
  EXPECT_EQ(wide_strncmp(VStr(u"abX"), VStr(u"abY"), 2), 0);
  EXPECT_LT(wide_strncmp(VStr(u"abX"), VStr(u"abY"), 3), 0);
  EXPECT_EQ(wide_stricmp(VStr(u"HeLLo"), VStr(u"hello")), 0);
  EXPECT_NE(wide_stricmp(VStr(u"a"), VStr(u"b")), 0);
  EXPECT_EQ(wide_strchr(buf, 'c'), buf + 2);
  EXPECT_EQ(wide_strchr(buf, 'z'), nullptr);
  wide_strcpy(buf, VStr(u"abca"));
  EXPECT_EQ(wide_strrchr(buf, 'a'), buf + 3);
  EXPECT_EQ(wide_strstr(buf, VStr(u"ca")), buf + 2);
  EXPECT_EQ(wide_strstr(buf, VStr(u"cb")), nullptr);
  wide_strupr(buf);
  EXPECT_EQ(wide_strcmp(buf, VStr(u"ABCA")), 0);
  wide_strlwr(buf);
  EXPECT_EQ(wide_strcmp(buf, VStr(u"abca")), 0);
  char bytes[] = "MiXeD";
  EXPECT_STREQ(ascii_strlwr(bytes), "mixed");

  struct Case {
    const char16_t* text;
    int value;
  };
  for (const Case& c : {Case{u"123", 123}, Case{u"-42x", -42}, Case{u"x1", 0}, Case{u"", 0}, Case{u"--1", 0},
                        Case{u"99999999999", 2147483647}, Case{u"-2147483648", -2147483647 - 1}}) {
    EXPECT_EQ(wide_atoi(VStr(c.text)), c.value);
  }
}

TEST_F(StringTest, FormatIsBoundedAndTakesByteTexts) {
  CVString s;
  s.Format(VStr(u"%d-%s-%05.1f"), 42, "x\xD6\xD0", 3.14159);
  EXPECT_EQ(U16(s), u"42-x\u4E2D-003.1");

  // A result longer than the byte buffer is cut, never overrun, and a GBK
  // pair is never split into a stray lead byte.
  std::string longText(700, 'a');
  s.Format(VStr(u"%s"), longText.c_str());
  EXPECT_EQ(s.GetLength(), 511);
  std::string pairs;
  for (int i = 0; i < 300; ++i) pairs += "\xD6\xD0";
  s.Format(VStr(u"a%s"), pairs.c_str());
  EXPECT_EQ(s.GetLength(), 1 + 255);
  EXPECT_EQ(s.GetAt(255), 0x4E2D);

  unsigned short small[4];
  auto call = [&](const unsigned short* fmt, ...) {
    va_list args;
    va_start(args, fmt);
    int n = wide_vsprintf(small, 4, fmt, args);
    va_end(args);
    return n;
  };
  EXPECT_EQ(call(VStr(u"%d"), 123456), 3);
  EXPECT_EQ(small[3], 0);
}

TEST_F(StringTest, UrlEncodeAndStartupPaths) {
  EXPECT_EQ(U16(UrlEncode(W(u"a b"))), u"a%20b");
  EXPECT_EQ(U16(UrlEncode(W(u"\u4E2D"))), u"%E4%B8%AD");
  EXPECT_EQ(U16(UrlEncode(W(u"-_."))), u"%2D%5F%2E");
  EXPECT_TRUE(UrlEncode(CVString()).IsEmpty());

  ASSERT_EQ(SetStartupPaths(VStr(u"/docs/"), VStr(u"/caches/")), 1);
  unsigned short buf[kPathUnits];
  EXPECT_EQ(GetDocumentPath(buf), 6);
  EXPECT_EQ(U16(CVString(buf)), u"/docs/");
  EXPECT_EQ(GetCachePath(buf), 8);
  EXPECT_EQ(GetCachePath(buf, 8), 0);  // does not fit with its terminator
  EXPECT_EQ(GetModulePath(buf), 0);
  EXPECT_EQ(buf[0], 0);
  std::u16string tooLong(kPathUnits, u'a');
  EXPECT_EQ(SetStartupPaths(VStr(tooLong.c_str()), VStr(u"/c/")), 0);
  EXPECT_EQ(GetDocumentPath(buf), 6);
}

TEST(TickCount, MovesForward) {
  unsigned a = GetTickCount();
  unsigned b = GetTickCount();
  EXPECT_LT(b - a, 1000u);
}

}  // namespace mapengine::test
