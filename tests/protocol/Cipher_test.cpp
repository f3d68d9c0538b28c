// The string cipher and Base64.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "protocol/Base64Codec.h"
#include "protocol/CrypHelper.h"

namespace {

NSData bytes(const std::string& s) { return NSData(s.begin(), s.end()); }

// Vectors of triple DES CBC under the protocol's key and vector, as any standard
// implementation computes them.
struct Vector {
    const char* plain;
    const char* cipher;
};

const Vector kVectors[] = {
    {"abc", "9zxwGXtwzcU="},
    {"", "B86s4WMwwYY="},
    {"家长控制", "adrxYdJluIZlJHLO4fzsmA=="},
    {"12345678", "lN4Y9BR+cUmGc4duj5vjgQ=="},
};

TEST(CrypHelper, KnownVectorsBothWays)
{
    for (const auto& v : kVectors) {
        EXPECT_EQ(CrypHelper::encryptStr(v.plain), v.cipher) << v.plain;
        EXPECT_EQ(CrypHelper::decryptStr(v.cipher), v.plain) << v.cipher;
    }
}

TEST(CrypHelper, RoundTripsEveryText)
{
    std::string longText;
    for (int i = 0; i < 70000; ++i) longText += static_cast<char>('a' + i % 26);
    std::string longChinese;
    for (int i = 0; i < 5000; ++i) longChinese += "中文";
    const std::string texts[] = {"", "a", "1234567", "12345678", "123456789", "家长", "<MSG>&amp;</MSG>", "\n\t ",
                                 longText, longChinese};
    for (const auto& text : texts) {
        NSString cipher = CrypHelper::encryptStr(text);
        ASSERT_FALSE(cipher.isNil());
        EXPECT_EQ(cipher.length() % 4, 0u);
        EXPECT_EQ(Base64Codec::decodeString(cipher)->size(), (text.size() / 8 + 1) * 8);
        EXPECT_EQ(CrypHelper::decryptStr(cipher), NSString(text)) << text.substr(0, 20);
    }
}

TEST(CrypHelper, FailuresAreNeverData)
{
    struct Case {
        const char* name;
        NSString cipher;
        CCCryptorStatus status;
    };
    const Case cases[] = {
        {"notBase64", "%%%", kCCDecodeError},
        {"noBytes", "", kCCDecodeError},
        {"nil", NSString(), kCCParamError},
        {"notBlockAligned", "QUJD", kCCDecodeError},
        // A whole block that deciphers to bad padding.
        {"badPadding", "AAAAAAAAAAA=", kCCDecodeError},
        {"nonAscii", "中文", kCCDecodeError},
    };
    for (const auto& c : cases) {
        CrypResult r = CrypHelper::doCipher(c.cipher, kCCDecrypt);
        EXPECT_FALSE(r.ok()) << c.name;
        EXPECT_EQ(r.status, c.status) << c.name;
        EXPECT_TRUE(r.text.isNil()) << c.name;
        EXPECT_TRUE(CrypHelper::decryptStr(c.cipher).isNil()) << c.name;
    }
    EXPECT_EQ(CrypHelper::doCipher("x", 7).status, kCCParamError);
    EXPECT_TRUE(CrypHelper::encryptStr(NSString()).isNil());
}

TEST(CrypHelper, DecipheredBytesThatAreNotUTF8Fail)
{
    // 0xFF enciphered: a valid block whose plain bytes are no UTF-8 text.
    NSData invalid{0xff, 0xfe};
    NSData out(16);
    size_t moved = 0;
    ASSERT_EQ(CCCrypt(kCCEncrypt, kCCAlgorithm3DES, kCCOptionPKCS7Padding, "kqvzr@5049271836mnpqstuw", 24, "58E0F7A2",
                      invalid.data(), invalid.size(), out.data(), out.size(), &moved),
              kCCSuccess);
    out.resize(moved);
    CrypResult r = CrypHelper::doCipher(Base64Codec::stringByEncodingData(out), kCCDecrypt);
    EXPECT_EQ(r.status, kCCDecodeError);
    EXPECT_TRUE(r.text.isNil());
}

TEST(CrypHelper, StatusTexts)
{
    EXPECT_EQ(CrypHelper::statusText(kCCParamError), "PARAM ERROR");
    EXPECT_EQ(CrypHelper::statusText(kCCBufferTooSmall), "BUFFER TOO SMALL");
    EXPECT_EQ(CrypHelper::statusText(kCCMemoryFailure), "MEMORY FAILURE");
    EXPECT_EQ(CrypHelper::statusText(kCCAlignmentError), "ALIGNMENT");
    EXPECT_EQ(CrypHelper::statusText(kCCDecodeError), "DECODE ERROR");
    EXPECT_EQ(CrypHelper::statusText(kCCUnimplemented), "UNIMPLEMENTED");
}

TEST(CrypHelper, Md5IsUpperCaseHex)
{
    EXPECT_EQ(CrypHelper::md5("abc"), "900150983CD24FB0D6963F7D28E17F72");
    EXPECT_EQ(CrypHelper::md5(""), "D41D8CD98F00B204E9800998ECF8427E");
    EXPECT_TRUE(CrypHelper::md5(NSString()).isNil());
}

// The device identifier is the host's machine ID, enciphered: deciphered it is
// that ID exactly (no line end), and it is the same at every call.
TEST(CrypHelper, UdidIsTheMachineIdEnciphered)
{
    std::string id;
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"})
        if (std::ifstream in(path); std::getline(in, id) && !id.empty()) break;
    const NSString udid = CrypHelper::udid();
    if (id.empty()) {
        EXPECT_TRUE(udid.isNil());
        return;
    }
    EXPECT_NE(udid, NSString(id));
    EXPECT_EQ(CrypHelper::decryptStr(udid), NSString(id));
    EXPECT_EQ(CrypHelper::udid(), udid);
}

TEST(CrypHelper, RunsOnManyThreadsAtOnce)
{
    std::vector<std::thread> threads;
    std::vector<int> failures(4, 0);
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([t, &failures] {
            for (int i = 0; i < 200; ++i) {
                std::string text = "t" + std::to_string(t) + "-" + std::to_string(i);
                if (CrypHelper::decryptStr(CrypHelper::encryptStr(text)) != NSString(text)) ++failures[t];
            }
        });
    }
    for (auto& th : threads) th.join();
    for (int f : failures) EXPECT_EQ(f, 0);
}

// ---- Base64 -------------------------------------------------------------------

TEST(Base64Codec, EncodesRfc4648Vectors)
{
    const std::pair<const char*, const char*> vectors[] = {
        {"f", "Zg=="}, {"fo", "Zm8="}, {"foo", "Zm9v"}, {"foob", "Zm9vYg=="}, {"fooba", "Zm9vYmE="}, {"foobar", "Zm9vYmFy"}};
    for (const auto& [plain, encoded] : vectors) {
        EXPECT_EQ(Base64Codec::stringByEncodingData(bytes(plain)), encoded);
        EXPECT_EQ(Base64Codec::decodeString(encoded), bytes(plain));
        EXPECT_EQ(Base64Codec::encodeBytes(plain, std::strlen(plain)), bytes(encoded));
    }
    EXPECT_TRUE(Base64Codec::stringByEncodingData({}).isNil());
    EXPECT_FALSE(Base64Codec::encodeData({}).has_value());
}

TEST(Base64Codec, WebSafeAlphabetAndOptionalPadding)
{
    NSData data{0xfb, 0xff, 0xbf};
    EXPECT_EQ(Base64Codec::stringByEncodingData(data), "+/+/");
    EXPECT_EQ(Base64Codec::stringByWebSafeEncodingData(data, true), "-_-_");
    EXPECT_EQ(Base64Codec::stringByWebSafeEncodingData(bytes("f"), false), "Zg");
    EXPECT_EQ(Base64Codec::stringByWebSafeEncodingData(bytes("f"), true), "Zg==");
    EXPECT_EQ(Base64Codec::webSafeEncodeBytes("fo", 2, false), bytes("Zm8"));
    EXPECT_EQ(Base64Codec::webSafeDecodeString("-_-_"), data);
    EXPECT_FALSE(Base64Codec::decodeString("-_-_").has_value());
    EXPECT_FALSE(Base64Codec::webSafeDecodeString("+/+/").has_value());
    EXPECT_EQ(Base64Codec::guessEncodedLength(1, false), 2u);
    EXPECT_EQ(Base64Codec::guessEncodedLength(1, true), 4u);
    EXPECT_EQ(Base64Codec::guessEncodedLength(5, false), 7u);
}

struct DecodeCase {
    const char* input;
    bool webSafe;
    std::optional<std::string> result;
};

TEST(Base64Codec, DecodesPaddingSpaceAndBitsStrictly)
{
    const DecodeCase cases[] = {
        {"QQ", false, std::nullopt},            // padding required
        {"QQ==", false, "A"},
        {"QQ", true, "A"},                      // web-safe: padding optional
        {"QR==", false, std::nullopt},          // unused low bits set
        {"QUI=", false, "AB"},
        {"QUJ=", false, std::nullopt},
        {"Q===", false, std::nullopt},          // too few characters before "="
        {"QQ=", false, std::nullopt},           // second "=" missing
        {"QQ= \n=", false, "A"},                // space between the pads
        {"QQ==QQ==", false, std::nullopt},      // data after the padding
        {"QQ== \r\n", false, "A"},
        {"Q", true, std::nullopt},              // one leftover character
        {" Q U\tJ D\n", false, "ABC"},
        {"QUJD\xa0\xff", false, "ABC"},         // 160 and 255 are white space
        {"QU*D", false, std::nullopt},
        {"", false, ""},
    };
    for (const auto& c : cases) {
        std::optional<NSData> got = c.webSafe ? Base64Codec::webSafeDecodeBytes(c.input, std::strlen(c.input))
                                              : Base64Codec::decodeBytes(c.input, std::strlen(c.input));
        if (c.result) {
            ASSERT_TRUE(got.has_value()) << c.input;
            EXPECT_EQ(*got, bytes(*c.result)) << c.input;
        } else {
            EXPECT_FALSE(got.has_value()) << c.input;
        }
    }
}

TEST(Base64Codec, DecodingStopsAtZeroByte)
{
    const char input[] = "QUJD\0QQ";
    EXPECT_EQ(Base64Codec::decodeBytes(input, sizeof input - 1), bytes("ABC"));
}

TEST(Base64Codec, RoundTripsAllByteValuesAndLengths)
{
    NSData data;
    for (int i = 0; i < 300; ++i) {
        data.push_back(static_cast<uint8_t>(i * 7));
        EXPECT_EQ(Base64Codec::decodeData(*Base64Codec::encodeData(data)), data);
        EXPECT_EQ(Base64Codec::webSafeDecodeData(*Base64Codec::webSafeEncodeData(data, false)), data);
    }
}

}  // namespace
