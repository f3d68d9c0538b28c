#include "protocol/EncipheredDefaults.h"

#include "platform/foundation/NSUserDefaults.h"
#include "protocol/CrypHelper.h"

NSString EncipheredStringForKey(const NSString& key)
{
    NSString stored = NSUserDefaults::standardUserDefaults()->stringForKey(key);
    return stored.isNil() ? stored : CrypHelper::decryptStr(stored);
}

void SetEncipheredString(const NSString& value, const NSString& key)
{
    // A value that cannot be enciphered is not kept in clear: its key goes.
    NSUserDefaults::standardUserDefaults()->setObject(CrypHelper::encryptStr(value), key);
}
