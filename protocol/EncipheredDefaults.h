#pragma once
// Strings kept enciphered in the standard user defaults.

#include "platform/foundation/NSString.h"

// The deciphered value; nil when nothing is stored or it does not decipher.
NSString EncipheredStringForKey(const NSString& key);
// Stores the value's cipher text; nil removes the key.
void SetEncipheredString(const NSString& value, const NSString& key);
