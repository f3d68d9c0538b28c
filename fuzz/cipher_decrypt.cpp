// The protocol cipher's decryption of text from the wire; whatever deciphers
// must encipher back to text that deciphers to the same plain text.
#include <cstdlib>

#include "fuzz/support/FuzzInput.h"
#include "protocol/CrypHelper.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NSString cipher(fuzz::Text(data, size));
    CrypResult result = CrypHelper::doCipher(cipher, kCCDecrypt);
    if (result.ok() && result.text.isNil()) std::abort();
    NSString plain = CrypHelper::decryptStr(cipher);
    if (!plain.isNil() && !CrypHelper::decryptStr(CrypHelper::encryptStr(plain)).isEqualToString(plain)) std::abort();
    return 0;
}
