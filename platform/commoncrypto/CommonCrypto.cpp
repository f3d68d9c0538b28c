#include "platform/commoncrypto/CommonCrypto.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

namespace {

struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX *ctx) const { EVP_CIPHER_CTX_free(ctx); }
};
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

// Scratch space that is wiped before it is given back, since it may hold plain text.
struct WipedBuffer {
    std::vector<unsigned char> bytes;
    explicit WipedBuffer(size_t size) : bytes(size) {}
    ~WipedBuffer() { OPENSSL_cleanse(bytes.data(), bytes.size()); }
};

CCCryptorStatus runCipher(bool encrypt, bool padding, const EVP_CIPHER *cipher, const void *key,
                          const void *iv, const unsigned char *in, size_t inLength,
                          unsigned char *out, size_t *outLength) {
    // What fails once the parameters are known good is either the cipher
    // engine itself or, when deciphering, the data (padding).
    const CCCryptorStatus runFailure = encrypt ? kCCUnimplemented : kCCDecodeError;
    CipherContext ctx(EVP_CIPHER_CTX_new());
    if (!ctx) {
        return kCCMemoryFailure;
    }
    static const unsigned char zeroIv[kCCBlockSize3DES] = {};
    const auto *ivBytes = iv ? static_cast<const unsigned char *>(iv) : zeroIv;
    if (EVP_CipherInit_ex(ctx.get(), cipher, nullptr, static_cast<const unsigned char *>(key),
                          ivBytes, encrypt ? 1 : 0) != 1 ||
        EVP_CIPHER_CTX_set_padding(ctx.get(), padding ? 1 : 0) != 1) {
        return kCCUnimplemented;
    }
    // EVP counts in int; the input is fed in slices so that any size_t length works.
    constexpr size_t kSlice = 1u << 30;
    size_t written = 0;
    for (size_t done = 0; done < inLength;) {
        const size_t slice = std::min(kSlice, inLength - done);
        int moved = 0;
        if (EVP_CipherUpdate(ctx.get(), out + written, &moved, in + done, static_cast<int>(slice)) != 1) {
            return runFailure;
        }
        written += static_cast<size_t>(moved);
        done += slice;
    }
    int moved = 0;
    if (EVP_CipherFinal_ex(ctx.get(), out + written, &moved) != 1) {
        return runFailure;
    }
    *outLength = written + static_cast<size_t>(moved);
    return kCCSuccess;
}

} // namespace

CCCryptorStatus CCCrypt(CCOperation op, CCAlgorithm alg, CCOptions options, const void *key,
                        size_t keyLength, const void *iv, const void *dataIn, size_t dataInLength,
                        void *dataOut, size_t dataOutAvailable, size_t *dataOutMoved) {
    size_t ignoredMoved = 0;
    size_t &moved = dataOutMoved ? *dataOutMoved : ignoredMoved;
    moved = 0;

    if ((op != kCCEncrypt && op != kCCDecrypt) || alg != kCCAlgorithm3DES ||
        (options & ~(kCCOptionPKCS7Padding | kCCOptionECBMode)) != 0 || key == nullptr ||
        keyLength != kCCKeySize3DES || (dataIn == nullptr && dataInLength > 0) ||
        (dataOut == nullptr && dataOutAvailable > 0)) {
        return kCCParamError;
    }
    const bool encrypt = op == kCCEncrypt;
    const bool padding = (options & kCCOptionPKCS7Padding) != 0;
    const bool ecb = (options & kCCOptionECBMode) != 0;

    const bool aligned = dataInLength % kCCBlockSize3DES == 0;
    size_t needed = dataInLength;
    if (encrypt && padding) {
        needed = (dataInLength / kCCBlockSize3DES + 1) * kCCBlockSize3DES;
    } else if (padding) {
        // Padded cipher text is whole blocks, at least one of them.
        if (!aligned || dataInLength == 0) {
            return kCCDecodeError;
        }
    } else if (!aligned) {
        return kCCAlignmentError;
    }
    if (needed < dataInLength) { // the padded size overflowed
        return kCCParamError;
    }
    if (dataOutAvailable < needed) {
        moved = needed;
        return kCCBufferTooSmall;
    }

    try {
        // EVP may hold back or add a block, so it works on room of its own;
        // that also lets dataIn and dataOut be the same buffer.
        WipedBuffer work(needed + kCCBlockSize3DES);
        size_t produced = 0;
        const CCCryptorStatus status =
            runCipher(encrypt, padding, ecb ? EVP_des_ede3_ecb() : EVP_des_ede3_cbc(), key, iv,
                      static_cast<const unsigned char *>(dataIn), dataInLength, work.bytes.data(),
                      &produced);
        if (status != kCCSuccess) {
            return status;
        }
        if (produced > 0) {
            std::memcpy(dataOut, work.bytes.data(), produced);
        }
        moved = produced;
        return kCCSuccess;
    } catch (const std::bad_alloc &) {
        return kCCMemoryFailure;
    }
}

unsigned char *CC_MD5(const void *data, CC_LONG len, unsigned char *md) {
    if (md == nullptr || (data == nullptr && len > 0)) {
        return nullptr;
    }
    static const unsigned char empty = 0;
    const void *bytes = data ? data : &empty;
    return EVP_Digest(bytes, len, md, nullptr, EVP_md5(), nullptr) == 1 ? md : nullptr;
}
