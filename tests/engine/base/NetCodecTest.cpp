// Gzip memory decoding and the markup tag-tree parser.
#include <gtest/gtest.h>
#include <zlib.h>

#include <string>

#include "engine/base/GzipDecoder.h"
#include "engine/base/Markup.h"
#include "engine/base/VMem.h"
#include "tests/engine/base/EngineTestSupport.h"

namespace mapengine::test {
namespace {

// One gzip member of text, made with zlib; header fields per flags.
std::string GzipMember(const std::string& text, int flags = 0) {
  std::string out = {'\x1f', '\x8b', 8, static_cast<char>(flags), 0, 0, 0, 0, 0, 3};
  if (flags & 0x04) {
    out += std::string("\x03\x00xyz", 5);
  }
  if (flags & 0x08) {
    out += std::string("name.txt\0", 9);
  }
  if (flags & 0x10) {
    out += std::string("a comment\0", 10);
  }
  if (flags & 0x02) {
    out += std::string("\x12\x34", 2);
  }
  z_stream s{};
  deflateInit2(&s, 6, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
  std::string packed(deflateBound(&s, text.size()), '\0');
  s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(text.data()));
  s.avail_in = static_cast<uInt>(text.size());
  s.next_out = reinterpret_cast<Bytef*>(packed.data());
  s.avail_out = static_cast<uInt>(packed.size());
  deflate(&s, Z_FINISH);
  packed.resize(s.total_out);
  deflateEnd(&s);
  out += packed;
  uLong crc = crc32(0, reinterpret_cast<const Bytef*>(text.data()), static_cast<uInt>(text.size()));
  for (uLong v : {crc, static_cast<uLong>(text.size())}) {
    for (int i = 0; i < 4; ++i) {
      out += static_cast<char>((v >> (8 * i)) & 0xFF);
    }
  }
  return out;
}

class NetGzip : public EngineTest {};

struct GunzipResult {
  int ok;
  std::string text;
  bool terminated;
};

GunzipResult Gunzip(const std::string& in, int maxOutput = kGunzipDefaultMaxOutput) {
  unsigned char* out = nullptr;
  int length = 0;
  int ok = GunzipToBuffer(reinterpret_cast<const unsigned char*>(in.data()), static_cast<int>(in.size()), &out,
                          &length, maxOutput);
  GunzipResult r{ok, ok ? std::string(reinterpret_cast<char*>(out), static_cast<size_t>(length)) : "",
                 ok && out[length] == 0};
  CVMem::Deallocate(out);
  return r;
}

std::string Big(size_t n) {
  std::string s;
  for (size_t i = 0; s.size() < n; ++i) {
    s += "tile " + std::to_string(i * 7919 % 10007) + ";";
  }
  s.resize(n);
  return s;
}

TEST_F(NetGzip, DecodesMembersHeadersAndPassThrough) {
  std::string big = Big(50000);
  std::string badCrc = GzipMember("hello");
  badCrc[badCrc.size() - 8] ^= 0x55;
  std::string truncated = GzipMember(big).substr(0, 200);
  struct Case {
    const char* name;
    std::string input;
    int ok;
    std::string expected;
  } cases[] = {
      {"one member", GzipMember("hello world"), 1, "hello world"},
      {"large member", GzipMember(big), 1, big},
      {"two members", GzipMember("first,") + GzipMember(big), 1, "first," + big},
      {"all header fields", GzipMember("flagged", 0x04 | 0x08 | 0x10 | 0x02), 1, "flagged"},
      {"not gzip", "plain text, not gzip", 1, "plain text, not gzip"},
      {"trailing bytes", GzipMember("abc") + "tail", 1, "abctail"},
      {"bad crc", badCrc, 0, ""},
      {"bad crc in second member", GzipMember("ok") + badCrc, 0, ""},
      {"reserved flag", GzipMember("x", 0x20), 0, ""},
      {"input ends inside data", truncated, 0, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GunzipResult r = Gunzip(c.input);
    EXPECT_EQ(r.ok, c.ok);
    if (c.ok) {
      EXPECT_TRUE(r.text == c.expected) << r.text.size() << " bytes";
      EXPECT_TRUE(r.terminated);
    }
  }
}

TEST_F(NetGzip, OutputIsCappedAndEmptyInputRefused) {
  std::string big = Big(100000);
  EXPECT_EQ(Gunzip(GzipMember(big), 100000).ok, 1);
  EXPECT_EQ(Gunzip(GzipMember(big), 99999).ok, 0);
  unsigned char* out = nullptr;
  int length = 0;
  EXPECT_EQ(GunzipToBuffer(reinterpret_cast<const unsigned char*>("x"), 0, &out, &length), 0);
  EXPECT_EQ(GunzipToBuffer(nullptr, 5, &out, &length), 0);
  EXPECT_EQ(GunzipToBuffer(reinterpret_cast<const unsigned char*>("x"), 1, nullptr, &length), 0);
}

class NetMarkup : public EngineTest {};

std::u16string Text(const tagMarkupNode* n) { return U16(n->text); }

TEST_F(NetMarkup, BuildsDeclarationsElementsAttributesAndComments) {
  tagMarkupNode* root = ParseMarkup(
      W(u"<?xml version=\"1.0\"?><!DOCTYPE wml PUBLIC \"x\"><!-- note --><wml><card id='c1'>Hi <b>there</b></card>"
        u"<br/></wml>"));
  ASSERT_NE(root, nullptr);
  EXPECT_EQ(root->type, kMarkupElement);
  EXPECT_EQ(Text(root), u"?xml");
  ASSERT_NE(root->child, nullptr);
  EXPECT_EQ(root->child->type, kMarkupAttribute);
  EXPECT_EQ(Text(root->child), u"version");
  EXPECT_EQ(Text(root->child->child), u"1.0");
  const tagMarkupNode* doctype = root->next;
  ASSERT_NE(doctype, nullptr);
  EXPECT_EQ(doctype->type, kMarkupComment);
  EXPECT_EQ(Text(doctype), u"DOCTYPE wml PUBLIC \"x\"");
  const tagMarkupNode* comment = doctype->next;
  EXPECT_EQ(Text(comment), u" note ");
  const tagMarkupNode* wml = comment->next;
  ASSERT_NE(wml, nullptr);
  EXPECT_EQ(Text(wml), u"wml");
  const tagMarkupNode* card = wml->child;
  EXPECT_EQ(Text(card), u"card");
  EXPECT_EQ(Text(card->child), u"id");
  EXPECT_EQ(Text(card->child->child), u"c1");
  EXPECT_EQ(card->child->next->IsText(), 1);
  EXPECT_EQ(Text(card->child->next), u"Hi ");
  EXPECT_EQ(Text(card->child->next->next), u"b");
  EXPECT_EQ(Text(card->next), u"br");
  EXPECT_EQ(card->next->child, nullptr);
  EXPECT_EQ(wml->next, nullptr);
  FreeMarkupTree(root);
}

TEST_F(NetMarkup, StopsAtTheFirstMisfit) {
  struct Case {
    const char16_t* input;
    const char16_t* lastBuilt;  // the last node of the top element's children
  } cases[] = {
      {u"<a><b></A>", u"b"},            // end tag does not match the open element
      {u"<a><c flag><d/></a>", u"flag"},  // attribute without "="
      {u"<a><e x=>", u"x"},             // attribute without value
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.input, c.input + std::char_traits<char16_t>::length(c.input)));
    tagMarkupNode* root = ParseMarkup(W(c.input));
    ASSERT_NE(root, nullptr);
    EXPECT_EQ(Text(root), u"a");
    const tagMarkupNode* n = root->child;
    while (n->child || n->next) {
      n = n->next ? n->next : n->child;
    }
    EXPECT_EQ(Text(n), c.lastBuilt);
    FreeMarkupTree(root);
  }
  EXPECT_EQ(ParseMarkup(W(u"   \n\t ")), nullptr);
  EXPECT_EQ(ParseMarkup(CVString()), nullptr);
}

TEST_F(NetMarkup, FreesDeepAndWideTreesWithoutRecursion) {
  std::u16string deep;
  for (int i = 0; i < 200000; ++i) {
    deep += u"<n>";
  }
  std::u16string wide = u"<r>";
  for (int i = 0; i < 200000; ++i) {
    wide += u"<i/>";
  }
  for (const std::u16string& text : {deep, wide}) {
    CVString s;
    ASSERT_EQ(s.AllocBuffer(static_cast<int>(text.size())), 1);
    std::copy(text.begin(), text.end(), s.GetBuffer());
    tagMarkupNode* root = ParseMarkup(s);
    ASSERT_NE(root, nullptr);
    FreeMarkupTree(root);
  }
}

}  // namespace
}  // namespace mapengine::test
