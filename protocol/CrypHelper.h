#pragma once
// The string cipher of the protocol: triple DES in CBC mode with PKCS7 padding
// over the UTF-8 bytes of a text, one fixed key and vector, Base64 on the wire.
// Stateless; safe on any thread.
//
// A failure is never handed out as text: the checked form gives the status,
// and the string forms give nil.

#include "platform/commoncrypto/CommonCrypto.h"
#include "platform/foundation/NSString.h"

// The result of one cipher call: kCCSuccess and the text, or the failing status.
struct CrypResult {
    CCCryptorStatus status = kCCSuccess;
    NSString text;  // nil unless status is kCCSuccess

    bool ok() const { return status == kCCSuccess; }
};

class CrypHelper {
public:
    // Base64 cipher text of the text; nil for a nil text or a failure.
    static NSString encryptStr(const NSString& plain);
    // The plain text of Base64 cipher text; nil when it does not decipher to UTF-8.
    static NSString decryptStr(const NSString& cipher);
    // operation kCCEncrypt (0) or kCCDecrypt (1). Text that is not Base64, or
    // deciphered bytes that are not UTF-8, fail with kCCDecodeError.
    static CrypResult doCipher(const NSString& text, CCOperation operation);
    // The status's name for logs: "PARAM ERROR", "DECODE ERROR" and the rest.
    static NSString statusText(CCCryptorStatus status);
    // The device's unique identifier, enciphered: the host's machine ID (the
    // systemd file, else the D-Bus one), the identifier the host keeps for its
    // installation; nil when the host has none.
    static NSString udid();
    // The MD5 digest of the text's UTF-8 bytes, 32 upper-case hexadecimal digits; nil for nil.
    static NSString md5(const NSString& text);
};
