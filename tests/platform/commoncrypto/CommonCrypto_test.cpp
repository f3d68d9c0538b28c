#include "platform/commoncrypto/CommonCrypto.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

using namespace std::string_literals;

using Bytes = std::vector<uint8_t>;

Bytes fromHex(const std::string &hex) {
    Bytes out;
    for (size_t i = 0; i + 1 < hex.size(); i += 2) {
        out.push_back(static_cast<uint8_t>(std::stoi(hex.substr(i, 2), nullptr, 16)));
    }
    return out;
}

std::string toHex(const uint8_t *bytes, size_t length) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < length; ++i) {
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

Bytes asBytes(const std::string &text) { return Bytes(text.begin(), text.end()); }

// The key and vector of the application's string cipher.
const Bytes kAppKey = asBytes("kqvzr@5049271836mnpqstuw");
const Bytes kAppIv = asBytes("58E0F7A2");

struct CryptResult {
    CCCryptorStatus status;
    Bytes out;
    size_t moved;
};

CryptResult crypt(CCOperation op, CCOptions options, const Bytes &key, const Bytes &iv, const Bytes &in,
                  size_t outSize) {
    CryptResult r{kCCSuccess, Bytes(outSize, 0xEE), 12345};
    r.status = CCCrypt(op, kCCAlgorithm3DES, options, key.data(), key.size(), iv.empty() ? nullptr : iv.data(),
                       in.data(), in.size(), r.out.data(), r.out.size(), &r.moved);
    if (r.status == kCCSuccess) {
        r.out.resize(r.moved);
    }
    return r;
}

Bytes encrypt(CCOptions options, const Bytes &key, const Bytes &iv, const Bytes &in) {
    CryptResult r = crypt(kCCEncrypt, options, key, iv, in, in.size() + kCCBlockSize3DES);
    EXPECT_EQ(r.status, kCCSuccess);
    return r.out;
}

Bytes decrypt(CCOptions options, const Bytes &key, const Bytes &iv, const Bytes &in) {
    CryptResult r = crypt(kCCDecrypt, options, key, iv, in, in.size());
    EXPECT_EQ(r.status, kCCSuccess);
    return r.out;
}

TEST(CommonCryptoConstants, KeepThePlatformValues) {
    EXPECT_EQ(kCCSuccess, 0);
    EXPECT_EQ(kCCParamError, -4300);
    EXPECT_EQ(kCCBufferTooSmall, -4301);
    EXPECT_EQ(kCCMemoryFailure, -4302);
    EXPECT_EQ(kCCAlignmentError, -4303);
    EXPECT_EQ(kCCDecodeError, -4304);
    EXPECT_EQ(kCCUnimplemented, -4305);
    EXPECT_EQ(kCCEncrypt, 0u);
    EXPECT_EQ(kCCDecrypt, 1u);
    EXPECT_EQ(kCCAlgorithm3DES, 2u);
    EXPECT_EQ(kCCOptionPKCS7Padding, 1u);
    EXPECT_EQ(kCCOptionECBMode, 2u);
    EXPECT_EQ(kCCKeySize3DES, 24u);
    EXPECT_EQ(kCCBlockSize3DES, 8u);
    EXPECT_EQ(CC_MD5_DIGEST_LENGTH, 16);
}

// Known answers: the three-key example of NIST SP 800-67 and single-block
// entries of the NIST SP 800-20 tables (all three keys equal).
struct TdesVector {
    const char *name;
    const char *key;
    const char *plain;
    const char *cipher;
};

void PrintTo(const TdesVector &v, std::ostream *os) { *os << v.name; }

class TripleDesKnownAnswer : public ::testing::TestWithParam<TdesVector> {};

TEST_P(TripleDesKnownAnswer, EcbEnciphersAndDeciphers) {
    const Bytes key = fromHex(GetParam().key);
    const Bytes plain = fromHex(GetParam().plain);
    const Bytes cipher = fromHex(GetParam().cipher);
    EXPECT_EQ(toHex(encrypt(kCCOptionECBMode, key, {}, plain).data(), cipher.size()), GetParam().cipher);
    EXPECT_EQ(decrypt(kCCOptionECBMode, key, {}, cipher), plain);
}

TEST_P(TripleDesKnownAnswer, CbcWithZeroVectorMatchesEcbOnTheFirstBlock) {
    const Bytes key = fromHex(GetParam().key);
    const Bytes plain = fromHex(GetParam().plain);
    const Bytes firstBlock(plain.begin(), plain.begin() + kCCBlockSize3DES);
    const Bytes cbc = encrypt(0, key, Bytes(kCCBlockSize3DES, 0), firstBlock);
    const Bytes cbcNullIv = encrypt(0, key, {}, firstBlock);
    const Bytes expected = fromHex(std::string(GetParam().cipher).substr(0, 16));
    EXPECT_EQ(cbc, expected);
    EXPECT_EQ(cbcNullIv, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Nist, TripleDesKnownAnswer,
    ::testing::Values(
        TdesVector{"Sp80067ThreeKeys", "0123456789abcdef23456789abcdef01456789abcdef0123",
                   "5468652071756663" "6b2062726f776e20" "666f78206a756d70",
                   "a826fd8ce53b855f" "cce21c8112256fe6" "68d5c05dd9b6b900"},
        TdesVector{"Sp80020Plain80", "010101010101010101010101010101010101010101010101", "8000000000000000", "95f8a5e5dd31d900"},
        TdesVector{"Sp80020Plain40", "010101010101010101010101010101010101010101010101", "4000000000000000", "dd7f121ca5015619"},
        TdesVector{"Sp80020Plain20", "010101010101010101010101010101010101010101010101", "2000000000000000", "2e8653104f3834ea"},
        TdesVector{"Sp80020Key80", "800101010101010180010101010101018001010101010101", "0000000000000000", "95a8d72813daa94d"},
        TdesVector{"Sp80020Key40", "400101010101010140010101010101014001010101010101", "0000000000000000", "0eec1487dd8c26d5"}),
    [](const ::testing::TestParamInfo<TdesVector> &info) { return std::string(info.param.name); });

TEST(TripleDesCbc, ChainsEachBlockOnThePreviousCipherBlock) {
    // C[i] = E(P[i] xor C[i-1]) with C[-1] = IV, checked block by block against ECB.
    const Bytes plain = asBytes("three blocks of text, exactly 24");
    const Bytes cipher = encrypt(0, kAppKey, kAppIv, plain);
    ASSERT_EQ(cipher.size(), plain.size());
    Bytes previous = kAppIv;
    for (size_t block = 0; block < plain.size(); block += kCCBlockSize3DES) {
        Bytes mixed(kCCBlockSize3DES);
        for (size_t i = 0; i < kCCBlockSize3DES; ++i) {
            mixed[i] = plain[block + i] ^ previous[i];
        }
        const Bytes expected = encrypt(kCCOptionECBMode, kAppKey, {}, mixed);
        const Bytes actual(cipher.begin() + block, cipher.begin() + block + kCCBlockSize3DES);
        EXPECT_EQ(actual, expected) << "block " << block / kCCBlockSize3DES;
        previous = actual;
    }
}

TEST(TripleDesCbc, PaddingAppendsPkcs7BytesBeforeEnciphering) {
    // Padded "abc" is the raw encipherment of "abc" followed by five bytes of 5.
    const Bytes padded = encrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, asBytes("abc"));
    const Bytes manual = encrypt(0, kAppKey, kAppIv, asBytes("abc\x05\x05\x05\x05\x05"));
    EXPECT_EQ(padded, manual);
}

TEST(TripleDesCbc, PaddedLengthsAndRoundTrips) {
    // Input length -> cipher length: always at least one byte of padding.
    const std::pair<size_t, size_t> cases[] = {{0, 8}, {1, 8}, {7, 8}, {8, 16}, {9, 16}, {15, 16}, {16, 24}, {1000, 1008}};
    for (const auto &[length, expectedLength] : cases) {
        SCOPED_TRACE(length);
        Bytes plain(length);
        for (size_t i = 0; i < length; ++i) {
            plain[i] = static_cast<uint8_t>(i * 37 + 11);
        }
        const Bytes cipher = encrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, plain);
        ASSERT_EQ(cipher.size(), expectedLength);
        // The last plain byte after raw deciphering is the pad length.
        const Bytes raw = decrypt(0, kAppKey, kAppIv, cipher);
        EXPECT_EQ(raw.back(), expectedLength - length);
        EXPECT_EQ(decrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, cipher), plain);
        EXPECT_EQ(decrypt(kCCOptionPKCS7Padding | kCCOptionECBMode, kAppKey, {},
                          encrypt(kCCOptionPKCS7Padding | kCCOptionECBMode, kAppKey, {}, plain)),
                  plain);
    }
}

TEST(TripleDesCbc, UtfEightTextRoundTrips) {
    const Bytes plain = asBytes("<MSG><HEAD>家长控制</HEAD></MSG>");
    EXPECT_EQ(decrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, encrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, plain)),
              plain);
}

TEST(TripleDesCbc, WorksInPlace) {
    const Bytes plain = asBytes("in place, nine+ bytes");
    const Bytes expected = encrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, plain);
    Bytes buffer = plain;
    buffer.resize(plain.size() + kCCBlockSize3DES);
    size_t moved = 0;
    ASSERT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithm3DES, kCCOptionPKCS7Padding, kAppKey.data(), kAppKey.size(),
                      kAppIv.data(), buffer.data(), plain.size(), buffer.data(), buffer.size(), &moved),
              kCCSuccess);
    buffer.resize(moved);
    EXPECT_EQ(buffer, expected);
    ASSERT_EQ(CCCrypt(kCCDecrypt, kCCAlgorithm3DES, kCCOptionPKCS7Padding, kAppKey.data(), kAppKey.size(),
                      kAppIv.data(), buffer.data(), buffer.size(), buffer.data(), buffer.size(), &moved),
              kCCSuccess);
    buffer.resize(moved);
    EXPECT_EQ(buffer, plain);
}

TEST(TripleDesErrors, TooSmallBufferReportsTheNeededSizeAndWritesNothing) {
    struct Case {
        CCOperation op;
        CCOptions options;
        size_t inLength;
        size_t outSize;
        size_t needed;
    };
    const Case cases[] = {
        {kCCEncrypt, kCCOptionPKCS7Padding, 0, 7, 8},  {kCCEncrypt, kCCOptionPKCS7Padding, 7, 7, 8},
        {kCCEncrypt, kCCOptionPKCS7Padding, 8, 15, 16}, {kCCEncrypt, kCCOptionPKCS7Padding, 9, 0, 16},
        {kCCEncrypt, 0, 16, 15, 16},                    {kCCDecrypt, kCCOptionPKCS7Padding, 16, 15, 16},
        {kCCDecrypt, 0, 8, 4, 8},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << "op " << c.op << " options " << c.options << " in " << c.inLength);
        const CryptResult r = crypt(c.op, c.options, kAppKey, kAppIv, Bytes(c.inLength, 'x'), c.outSize);
        EXPECT_EQ(r.status, kCCBufferTooSmall);
        EXPECT_EQ(r.moved, c.needed);
        EXPECT_EQ(r.out, Bytes(c.outSize, 0xEE));
    }
    // A null output of size zero asks for the size.
    size_t moved = 0;
    const Bytes in(9, 'x');
    EXPECT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithm3DES, kCCOptionPKCS7Padding, kAppKey.data(), kAppKey.size(),
                      kAppIv.data(), in.data(), in.size(), nullptr, 0, &moved),
              kCCBufferTooSmall);
    EXPECT_EQ(moved, 16u);
}

TEST(TripleDesErrors, BadPaddingOrRaggedCipherTextIsADecodeError) {
    Bytes cipher = encrypt(kCCOptionPKCS7Padding, kAppKey, kAppIv, asBytes("payload"));
    Bytes tampered = cipher;
    tampered.back() ^= 0x01; // garbles the padding of the last block
    Bytes withPadZero = encrypt(0, kAppKey, kAppIv, asBytes("1234567\x00"s));
    Bytes withPadNine = encrypt(0, kAppKey, kAppIv, asBytes("1234567\x09"));
    Bytes withMixedPad = encrypt(0, kAppKey, kAppIv, asBytes("123456\x01\x02"));
    const std::pair<const char *, Bytes> cases[] = {
        {"tampered", tampered},
        {"pad byte 0", withPadZero},
        {"pad byte above the block size", withPadNine},
        {"pad bytes that differ", withMixedPad},
        {"ragged length", Bytes(cipher.begin(), cipher.end() - 1)},
        {"empty", Bytes{}},
    };
    for (const auto &[name, in] : cases) {
        SCOPED_TRACE(name);
        const CryptResult r = crypt(kCCDecrypt, kCCOptionPKCS7Padding, kAppKey, kAppIv, in, in.size() + 8);
        EXPECT_EQ(r.status, kCCDecodeError);
        EXPECT_EQ(r.moved, 0u);
    }
}

TEST(TripleDesErrors, UnpaddedInputMustBeWholeBlocks) {
    for (CCOperation op : {kCCEncrypt, kCCDecrypt}) {
        const CryptResult r = crypt(op, 0, kAppKey, kAppIv, Bytes(9, 'x'), 32);
        EXPECT_EQ(r.status, kCCAlignmentError);
        EXPECT_EQ(r.moved, 0u);
    }
    EXPECT_EQ(crypt(kCCEncrypt, 0, kAppKey, kAppIv, Bytes{}, 8).status, kCCSuccess);
}

TEST(TripleDesErrors, BadParametersAreRejected) {
    const Bytes in = asBytes("12345678");
    Bytes out(32);
    size_t moved = 99;
    const auto call = [&](CCOperation op, CCAlgorithm alg, CCOptions options, const void *key, size_t keyLength,
                          const void *dataIn, void *dataOut) {
        moved = 99;
        return CCCrypt(op, alg, options, key, keyLength, kAppIv.data(), dataIn, in.size(), dataOut, out.size(),
                       &moved);
    };
    const Bytes shortKey(kAppKey.begin(), kAppKey.begin() + 16);
    const Bytes longKey = asBytes("kqvzr@5049271836mnpqstuwX");
    EXPECT_EQ(call(kCCEncrypt, kCCAlgorithm3DES, 0, shortKey.data(), shortKey.size(), in.data(), out.data()),
              kCCParamError);
    EXPECT_EQ(moved, 0u);
    EXPECT_EQ(call(kCCEncrypt, kCCAlgorithm3DES, 0, longKey.data(), longKey.size(), in.data(), out.data()),
              kCCParamError);
    EXPECT_EQ(call(kCCEncrypt, kCCAlgorithm3DES, 0, nullptr, 24, in.data(), out.data()), kCCParamError);
    EXPECT_EQ(call(2, kCCAlgorithm3DES, 0, kAppKey.data(), 24, in.data(), out.data()), kCCParamError);
    EXPECT_EQ(call(kCCEncrypt, 7, 0, kAppKey.data(), 24, in.data(), out.data()), kCCParamError);
    EXPECT_EQ(call(kCCEncrypt, kCCAlgorithm3DES, 0x10, kAppKey.data(), 24, in.data(), out.data()), kCCParamError);
    EXPECT_EQ(call(kCCEncrypt, kCCAlgorithm3DES, 0, kAppKey.data(), 24, nullptr, out.data()), kCCParamError);
    EXPECT_EQ(call(kCCEncrypt, kCCAlgorithm3DES, 0, kAppKey.data(), 24, in.data(), nullptr), kCCParamError);
    EXPECT_EQ(moved, 0u);
    // dataOutMoved is optional.
    EXPECT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithm3DES, 0, kAppKey.data(), 24, nullptr, in.data(), in.size(), out.data(),
                      out.size(), nullptr),
              kCCSuccess);
}

TEST(Md5, Rfc1321TestSuite) {
    const std::pair<std::string, const char *> cases[] = {
        {"", "d41d8cd98f00b204e9800998ecf8427e"},
        {"a", "0cc175b9c0f1b6a831c399e269772661"},
        {"abc", "900150983cd24fb0d6963f7d28e17f72"},
        {"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
        {"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
        {"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789", "d174ab98d277d9f5a5611c2c9f419d9f"},
        {"12345678901234567890123456789012345678901234567890123456789012345678901234567890",
         "57edf4a22be3c955ac49da2e2107b67a"},
    };
    for (const auto &[text, digest] : cases) {
        unsigned char md[CC_MD5_DIGEST_LENGTH];
        EXPECT_EQ(CC_MD5(text.data(), static_cast<CC_LONG>(text.size()), md), md);
        EXPECT_EQ(toHex(md, sizeof md), digest) << '"' << text << '"';
    }
}

TEST(Md5, NullArguments) {
    unsigned char md[CC_MD5_DIGEST_LENGTH];
    EXPECT_EQ(CC_MD5(nullptr, 0, md), md);
    EXPECT_EQ(toHex(md, sizeof md), "d41d8cd98f00b204e9800998ecf8427e");
    EXPECT_EQ(CC_MD5("abc", 3, nullptr), nullptr);
    EXPECT_EQ(CC_MD5(nullptr, 3, md), nullptr);
}

} // namespace
