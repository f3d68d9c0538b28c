// MD5 digests (RFC 1321).
#pragma once

#include <cstddef>
#include <cstdint>

namespace mapengine {

struct MD5_CTX {
  uint32_t state[4];
  uint32_t count[2];  // message bits, low word first
  unsigned char buffer[64];
};

class MD5 {
public:
  MD5() = default;
  virtual ~MD5() = default;

  static void Init(MD5_CTX* context);
  static void Transform(uint32_t state[4], const unsigned char block[64]);
  static void Update(MD5_CTX* context, const unsigned char* bytes, size_t length);
  // Writes the 16-byte digest and clears the context.
  static void Final(unsigned char digest[16], MD5_CTX* context);
  // The digest of the bytes as 32 lowercase hexadecimal characters and a
  // terminator (33 bytes); nothing when out or bytes is missing or length is 0.
  static void DigestString(char* out, const unsigned char* bytes, size_t length);
};

}  // namespace mapengine
