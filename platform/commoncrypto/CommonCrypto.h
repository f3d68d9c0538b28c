#pragma once

// The platform's one-shot symmetric cipher and MD5 digest, with the platform's
// names and numeric values, carried out by OpenSSL's EVP interface.

#include <cstddef>
#include <cstdint>

using CCCryptorStatus = int32_t;
using CCOperation = uint32_t;
using CCAlgorithm = uint32_t;
using CCOptions = uint32_t;
using CC_LONG = uint32_t;

enum : CCCryptorStatus {
    kCCSuccess = 0,
    kCCParamError = -4300,
    kCCBufferTooSmall = -4301,
    kCCMemoryFailure = -4302,
    kCCAlignmentError = -4303,
    kCCDecodeError = -4304,
    kCCUnimplemented = -4305,
};

enum : CCOperation {
    kCCEncrypt = 0,
    kCCDecrypt = 1,
};

enum : CCAlgorithm {
    kCCAlgorithm3DES = 2,
};

enum : CCOptions {
    kCCOptionPKCS7Padding = 0x0001,
    kCCOptionECBMode = 0x0002,
};

enum : size_t {
    kCCKeySize3DES = 24,
    kCCBlockSize3DES = 8,
};

#define CC_MD5_DIGEST_LENGTH 16

// Enciphers or deciphers dataIn in one call. CBC mode unless kCCOptionECBMode
// is given; a null iv in CBC mode stands for an all-zero vector.
// On kCCBufferTooSmall, *dataOutMoved holds the size the output needs (for
// deciphering, the input length: the padding is only known afterwards); on any
// other failure it holds 0. dataIn and dataOut may be the same buffer.
CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void *key,
                        size_t keyLength, const void *iv, const void *dataIn, size_t dataInLength,
                        void *dataOut, size_t dataOutAvailable, size_t *dataOutMoved);

// Writes the 16-byte MD5 digest of data into md and returns md (null when md is
// null or the digest cannot be computed).
unsigned char *CC_MD5(const void *data, CC_LONG len, unsigned char *md);
