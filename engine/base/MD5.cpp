#include "engine/base/MD5.h"

#include <cstdio>
#include <cstring>

#include "engine/base/VString.h"

namespace mapengine {

namespace {

constexpr uint32_t kSines[64] = {
    0xd76aa478, 0xe8c7b756, 0x242070db, 0xc1bdceee, 0xf57c0faf, 0x4787c62a, 0xa8304613, 0xfd469501,
    0x698098d8, 0x8b44f7af, 0xffff5bb1, 0x895cd7be, 0x6b901122, 0xfd987193, 0xa679438e, 0x49b40821,
    0xf61e2562, 0xc040b340, 0x265e5a51, 0xe9b6c7aa, 0xd62f105d, 0x02441453, 0xd8a1e681, 0xe7d3fbc8,
    0x21e1cde6, 0xc33707d6, 0xf4d50d87, 0x455a14ed, 0xa9e3e905, 0xfcefa3f8, 0x676f02d9, 0x8d2a4c8a,
    0xfffa3942, 0x8771f681, 0x6d9d6122, 0xfde5380c, 0xa4beea44, 0x4bdecfa9, 0xf6bb4b60, 0xbebfbc70,
    0x289b7ec6, 0xeaa127fa, 0xd4ef3085, 0x04881d05, 0xd9d4d039, 0xe6db99e5, 0x1fa27cf8, 0xc4ac5665,
    0xf4292244, 0x432aff97, 0xab9423a7, 0xfc93a039, 0x655b59c3, 0x8f0ccc92, 0xffeff47d, 0x85845dd1,
    0x6fa87e4f, 0xfe2ce6e0, 0xa3014314, 0x4e0811a1, 0xf7537e82, 0xbd3af235, 0x2ad7d2bb, 0xeb86d391};

constexpr int kShifts[64] = {7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22, 7, 12, 17, 22,
                             5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20, 5, 9,  14, 20,
                             4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23, 4, 11, 16, 23,
                             6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21, 6, 10, 15, 21};

uint32_t RotateLeft(uint32_t x, int n) { return (x << n) | (x >> (32 - n)); }

void Encode(unsigned char* out, const uint32_t* in, size_t words) {
  for (size_t i = 0; i < words; ++i) {
    for (int b = 0; b < 4; ++b) {
      out[4 * i + b] = static_cast<unsigned char>(in[i] >> (8 * b));
    }
  }
}

}  // namespace

void MD5::Init(MD5_CTX* context) {
  context->state[0] = 0x67452301;
  context->state[1] = 0xefcdab89;
  context->state[2] = 0x98badcfe;
  context->state[3] = 0x10325476;
  context->count[0] = context->count[1] = 0;
  std::memset(context->buffer, 0, sizeof context->buffer);
}

void MD5::Transform(uint32_t state[4], const unsigned char block[64]) {
  uint32_t x[16];
  for (int i = 0; i < 16; ++i) {
    x[i] = static_cast<uint32_t>(block[4 * i]) | (static_cast<uint32_t>(block[4 * i + 1]) << 8) |
           (static_cast<uint32_t>(block[4 * i + 2]) << 16) | (static_cast<uint32_t>(block[4 * i + 3]) << 24);
  }
  uint32_t a = state[0], b = state[1], c = state[2], d = state[3];
  for (int i = 0; i < 64; ++i) {
    uint32_t f;
    int g;
    if (i < 16) {
      f = (b & c) | (~b & d);
      g = i;
    } else if (i < 32) {
      f = (b & d) | (c & ~d);
      g = (5 * i + 1) % 16;
    } else if (i < 48) {
      f = b ^ c ^ d;
      g = (3 * i + 5) % 16;
    } else {
      f = c ^ (b | ~d);
      g = (7 * i) % 16;
    }
    uint32_t next = b + RotateLeft(a + f + kSines[i] + x[g], kShifts[i]);
    a = d;
    d = c;
    c = b;
    b = next;
  }
  state[0] += a;
  state[1] += b;
  state[2] += c;
  state[3] += d;
}

void MD5::Update(MD5_CTX* context, const unsigned char* bytes, size_t length) {
  size_t index = (context->count[0] >> 3) & 0x3F;
  uint32_t bitsLow = static_cast<uint32_t>(length << 3);
  context->count[0] += bitsLow;
  if (context->count[0] < bitsLow) {
    ++context->count[1];
  }
  context->count[1] += static_cast<uint32_t>(static_cast<uint64_t>(length) >> 29);
  size_t partLen = 64 - index;
  size_t i = 0;
  if (length >= partLen) {
    std::memcpy(context->buffer + index, bytes, partLen);
    Transform(context->state, context->buffer);
    for (i = partLen; i + 63 < length; i += 64) {
      Transform(context->state, bytes + i);
    }
    index = 0;
  }
  if (length > i) {
    std::memcpy(context->buffer + index, bytes + i, length - i);
  }
}

void MD5::Final(unsigned char digest[16], MD5_CTX* context) {
  static const unsigned char kPadding[64] = {0x80};
  unsigned char bits[8];
  Encode(bits, context->count, 2);
  size_t index = (context->count[0] >> 3) & 0x3F;
  size_t padLen = index < 56 ? 56 - index : 120 - index;
  Update(context, kPadding, padLen);
  Update(context, bits, 8);
  Encode(digest, context->state, 4);
  std::memset(context, 0, sizeof *context);
}

void MD5::DigestString(char* out, const unsigned char* bytes, size_t length) {
  if (!out || !bytes || length == 0) {
    return;
  }
  MD5_CTX context;
  Init(&context);
  Update(&context, bytes, length);
  unsigned char digest[16];
  Final(digest, &context);
  for (int i = 0; i < 16; ++i) {
    std::snprintf(out + 2 * i, 3, "%02X", digest[i]);
  }
  ascii_strlwr(out);
}

}  // namespace mapengine
