#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "engine/base/MD5.h"

namespace mapengine::test {

std::string Digest(const std::string& text) {
  char out[33];
  MD5::DigestString(out, reinterpret_cast<const unsigned char*>(text.data()), text.size());
  return out;
}

TEST(MD5Digest, KnownDigestsAcrossBlockBoundaries) {
  struct Case {
    std::string text;
    const char* digest;
  };
  const Case cases[] = {
      {"abc", "900150983cd24fb0d6963f7d28e17f72"},
      {"a", "0cc175b9c0f1b6a831c399e269772661"},
      {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
      {std::string(55, 'a'), "ef1772b6dff9a122358552954ad0df65"},
      {std::string(56, 'a'), "3b0c8ac703f828b04c6c197006d17218"},
      {std::string(64, 'a'), "014842d480b571495a4a0363793f7367"},
      {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
       "57edf4a22be3c955ac49da2e2107b67a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Digest(c.text), c.digest) << c.text.size();
  }
}

TEST(MD5Digest, IncrementalUpdatesMatchOneShotAndFinalClearsTheContext) {
  std::string text(200, 'x');
  for (size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7);
  MD5_CTX ctx;
  MD5::Init(&ctx);
  for (size_t at = 0; at < text.size(); at += 13) {
    size_t n = std::min<size_t>(13, text.size() - at);
    MD5::Update(&ctx, reinterpret_cast<const unsigned char*>(text.data()) + at, n);
  }
  unsigned char digest[16];
  MD5::Final(digest, &ctx);
  char hex[33];
  for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
  EXPECT_EQ(hex, Digest(text));
  MD5_CTX zero;
  std::memset(&zero, 0, sizeof zero);
  EXPECT_EQ(std::memcmp(&ctx, &zero, sizeof ctx), 0);
}

TEST(MD5Digest, MissingInputLeavesTheOutputUntouched) {
  char out[33] = "untouched";
  MD5::DigestString(out, reinterpret_cast<const unsigned char*>("abc"), 0);
  EXPECT_STREQ(out, "untouched");
  MD5::DigestString(out, nullptr, 3);
  EXPECT_STREQ(out, "untouched");
  MD5::DigestString(nullptr, reinterpret_cast<const unsigned char*>("abc"), 3);
}

}  // namespace mapengine::test
