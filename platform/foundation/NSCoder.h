#pragma once
// Keyed coding: an object writes its state under string keys and a later
// object of its class is made from them. The archive is a property-list
// dictionary (the form keyed archives take), so it can be kept as XML with
// archivedData and read back with initForReadingWithData. Decoding a key
// that is absent, or holds another kind of value, gives 0, NO or no bytes.

#include "platform/foundation/NSPropertyList.h"

class NSCoder : public NSObject {
public:
    NSCoder() = default;
    // Reads an archive written by archivedData; an unreadable one is empty.
    static std::shared_ptr<NSCoder> initForReadingWithData(const NSData& data);
    // The archive as an XML property list.
    NSData archivedData() const;

    void encodeBytes(const void* bytes, NSUInteger length, const NSString& key);
    void encodeInt(int value, const NSString& key);
    void encodeBool(bool value, const NSString& key);

    bool containsValueForKey(const NSString& key) const;
    // The bytes stored under the key, valid while the coder lives and the
    // key is not written again; nullptr (length 0) for none.
    const uint8_t* decodeBytesForKey(const NSString& key, NSUInteger* returnedLength) const;
    // A stored integer outside int's range, as any other value, gives 0.
    int decodeIntForKey(const NSString& key) const;
    bool decodeBoolForKey(const NSString& key) const;

private:
    PlistValue::Dictionary values_;
};
