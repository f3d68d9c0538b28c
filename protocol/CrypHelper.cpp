#include "protocol/CrypHelper.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "http/NXHTTPUtilities.h"
#include "protocol/Base64Codec.h"
#include "protocol/UTF8Check.h"

namespace {

constexpr char kKey[] = "kqvzr@5049271836mnpqstuw";
constexpr char kIV[] = "58E0F7A2";
static_assert(sizeof kKey - 1 == kCCKeySize3DES && sizeof kIV - 1 == kCCBlockSize3DES);

// The first line of the first machine-ID file there is; "" when none.
std::string machineID()
{
    for (const char* path : {"/etc/machine-id", "/var/lib/dbus/machine-id"}) {
        std::ifstream in(path);
        std::string id;
        if (std::getline(in, id) && !id.empty()) return id;
    }
    return {};
}

}  // namespace

CrypResult CrypHelper::doCipher(const NSString& text, CCOperation operation)
{
    if (text.isNil() || (operation != kCCEncrypt && operation != kCCDecrypt)) return {kCCParamError, {}};

    const std::string& bytes = text.str();
    const void* input = bytes.data();
    size_t length = bytes.size();
    std::optional<NSData> decoded;
    if (operation == kCCDecrypt) {
        // Base64 text is ASCII; anything else is not cipher text.
        bool ascii = std::all_of(bytes.begin(), bytes.end(), [](char c) { return (c & 0x80) == 0; });
        if (ascii) decoded = Base64Codec::decodeBytes(bytes.data(), bytes.size());
        if (!decoded) return {kCCDecodeError, {}};
        input = decoded->data();
        length = decoded->size();
    }

    // Room for the input and one padding block.
    std::string output((length + kCCBlockSize3DES) / kCCBlockSize3DES * kCCBlockSize3DES, '\0');
    size_t moved = 0;
    CCCryptorStatus status = CCCrypt(operation, kCCAlgorithm3DES, kCCOptionPKCS7Padding, kKey, kCCKeySize3DES, kIV,
                                     input, length, output.data(), output.size(), &moved);
    if (status != kCCSuccess) return {status, {}};
    output.resize(moved);

    if (operation == kCCEncrypt) return {kCCSuccess, Base64Codec::stringByEncodingBytes(output.data(), output.size())};
    if (!UTF8IsWellFormed(output)) return {kCCDecodeError, {}};
    return {kCCSuccess, NSString(std::move(output))};
}

NSString CrypHelper::encryptStr(const NSString& plain) { return doCipher(plain, kCCEncrypt).text; }

NSString CrypHelper::decryptStr(const NSString& cipher) { return doCipher(cipher, kCCDecrypt).text; }

NSString CrypHelper::statusText(CCCryptorStatus status)
{
    switch (status) {
    case kCCSuccess: return "SUCCESS";
    case kCCParamError: return "PARAM ERROR";
    case kCCBufferTooSmall: return "BUFFER TOO SMALL";
    case kCCMemoryFailure: return "MEMORY FAILURE";
    case kCCAlignmentError: return "ALIGNMENT";
    case kCCDecodeError: return "DECODE ERROR";
    case kCCUnimplemented: return "UNIMPLEMENTED";
    default: return NSString::stringWithFormat("STATUS %d", status);
    }
}

NSString CrypHelper::md5(const NSString& text) { return nxhttp::md5HexString(text); }

NSString CrypHelper::udid()
{
    const std::string id = machineID();
    return id.empty() ? NSString() : encryptStr(NSString(id));
}
