#include "platform/foundation/NSCoder.h"

#include <limits>

std::shared_ptr<NSCoder> NSCoder::initForReadingWithData(const NSData& data)
{
    auto coder = std::make_shared<NSCoder>();
    const PlistValue archive = PlistValue::propertyListWithData(data);
    if (const PlistValue::Dictionary* values = archive.dictionary()) coder->values_ = *values;
    return coder;
}

NSData NSCoder::archivedData() const { return PlistValue(values_).xmlData(); }

void NSCoder::encodeBytes(const void* bytes, NSUInteger length, const NSString& key)
{
    const auto* first = static_cast<const uint8_t*>(bytes);
    values_[key] = PlistValue(first ? NSData(first, first + length) : NSData());
}

void NSCoder::encodeInt(int value, const NSString& key) { values_[key] = PlistValue(value); }

void NSCoder::encodeBool(bool value, const NSString& key) { values_[key] = PlistValue(value); }

bool NSCoder::containsValueForKey(const NSString& key) const { return values_.count(key) != 0; }

const uint8_t* NSCoder::decodeBytesForKey(const NSString& key, NSUInteger* returnedLength) const
{
    auto it = values_.find(key);
    const NSData* data = it == values_.end() ? nullptr : it->second.data();
    if (returnedLength) *returnedLength = data ? data->size() : 0;
    return data && !data->empty() ? data->data() : nullptr;
}

int NSCoder::decodeIntForKey(const NSString& key) const
{
    auto it = values_.find(key);
    const long long* value = it == values_.end() ? nullptr : it->second.integer();
    if (!value || *value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max()) return 0;
    return static_cast<int>(*value);
}

bool NSCoder::decodeBoolForKey(const NSString& key) const
{
    auto it = values_.find(key);
    const bool* value = it == values_.end() ? nullptr : it->second.boolean();
    return value && *value;
}
