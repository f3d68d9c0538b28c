#include "ui/SRXRegexCache.h"

#include <unicode/ustring.h>

#include <bit>
#include <climits>
#include <functional>
#include <string_view>

namespace {

size_t hashOf(const NSString& s) { return std::hash<std::string_view>{}(s.view()); }

unsigned lookasideIndex(SRXRegexOptions options, size_t hash)
{
    return static_cast<unsigned>((options + (options >> 4) + (hash >> 4)) & 63);
}

// The subject's length in UTF-16 units, counted as the conversion below will
// produce them (malformed UTF-8 becomes U+FFFD), so ICU never reads past the copy.
NSUInteger utf16Length(const NSString& s)
{
    const std::string& bytes = s.str();
    if (bytes.empty()) return 0;
    UErrorCode st = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8WithSub(nullptr, 0, &needed, bytes.data(), static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr, &st);
    return static_cast<NSUInteger>(needed);
}

void copyUTF16(const NSString& s, char16_t* out, NSUInteger length)
{
    const std::string& bytes = s.str();
    if (length == 0) return;
    UErrorCode st = U_ZERO_ERROR;
    u_strFromUTF8WithSub(out, static_cast<int32_t>(length), nullptr, bytes.data(), static_cast<int32_t>(bytes.size()),
                         0xFFFD, nullptr, &st);
}

}  // namespace

uint16_t SRXLRUTouch(uint16_t word, int way)
{
    return static_cast<uint16_t>((word | (0xFu << (4 * way))) & ~(0x1111u << (3 - way)));
}

int SRXLRUVictim(uint16_t word)
{
    const uint32_t x = static_cast<uint32_t>(word) << 16;
    const uint32_t t = ((((x & 0x77770000u) + 0x77777777u) | x) & 0x88880000u) ^ 0x88888888u;
    return 3 - std::countl_zero(t) / 4;
}

SRXRegexCache::SRXRegexCache()
{
    setLRU_.fill(SRXLRUInitial);
    // The fixed pool's storage is made once; a subject shorter than it never allocates.
    for (auto& b : fixed_) b.storage.reserve(kFixedBufferUnits);
}

SRXRegexCache::~SRXRegexCache() { flushAllCaches(); }

SRXRegexCache& SRXRegexCache::shared()
{
    // Lives for the process: worker threads may still match while it exits.
    static SRXRegexCache* cache = new SRXRegexCache;
    return *cache;
}

int SRXRegexCache::setOfPattern(const NSString& pattern, SRXRegexOptions options)
{
    return static_cast<int>((hashOf(pattern) ^ options) % kSets);
}

void SRXRegexCache::hit(SRXCachedRegex& slot, unsigned lookaside)
{
    const int number = static_cast<int>(&slot - slots_.data());
    lastUsed_ = &slot;
    lookaside_[lookaside] = static_cast<uint8_t>(number);
    setLRU_[number / kWays] = SRXLRUTouch(setLRU_[number / kWays], number % kWays);
}

SRXCachedRegex* SRXRegexCache::lookUpCachedRegex(const NSString& pattern, SRXRegexOptions options,
                                                 std::shared_ptr<NSError>* error,
                                                 std::optional<NSException>* exception)
{
    if (lastUsed_ && lastUsed_->icu_regex && lastUsed_->options == options && lastUsed_->regexString == pattern)
        return lastUsed_;
    lastUsed_ = nullptr;

    const size_t hash = hashOf(pattern);
    const unsigned index = lookasideIndex(options, hash);
    SRXCachedRegex& seen = slots_[lookaside_[index]];
    if (seen.icu_regex && seen.options == options && seen.regexString == pattern) {
        hit(seen, index);
        return &seen;
    }
    const int set = static_cast<int>((hash ^ options) % kSets);
    for (int way = kWays - 1; way >= 0; --way) {
        SRXCachedRegex& s = slots_[set * kWays + way];
        if (s.icu_regex && s.regexHash == hash && s.options == options && s.regexString == pattern) {
            hit(s, index);
            return &s;
        }
    }

    SRXCachedRegex& slot = slots_[set * kWays + SRXLRUVictim(setLRU_[set])];
    clearRegexSlot(slot);
    const std::u16string units = pattern.utf16();
    if (units.size() >= static_cast<size_t>(INT_MAX)) {
        if (exception) exception->emplace(NSRangeException, "Regex string length exceeds INT_MAX");
        return nullptr;
    }
    UParseError parseError{};
    parseError.line = -1;
    parseError.offset = -1;
    UErrorCode status = U_ZERO_ERROR;
    slot.icu_regex = uregex_open(units.c_str(), static_cast<int32_t>(units.size()), options, &parseError, &status);
    if (U_SUCCESS(status)) slot.captureCount = uregex_groupCount(slot.icu_regex, &status);
    if (U_SUCCESS(status)) {
        slot.regexString = pattern;
        slot.regexHash = hash;
        slot.options = options;
        hit(slot, index);
        return &slot;
    }
    clearRegexSlot(slot);
    lastUsed_ = nullptr;
    if (error) {
        SRXFailure f(pattern, options, status);
        f.parseError = &parseError;
        *error = SRXMakeICUError(f, "There was an error compiling the regular expression.");
    }
    return nullptr;
}

SRXCachedRegex* SRXRegexCache::getCachedRegexSetToString(const NSString& pattern, SRXRegexOptions options,
                                                         const NSString& subject, NSUInteger* subjectLength,
                                                         NSRange* range, std::shared_ptr<NSError>* error,
                                                         std::optional<NSException>* exception, UErrorCode* status)
{
    SRXCachedRegex* slot = lookUpCachedRegex(pattern, options, error, exception);
    const NSUInteger length = utf16Length(subject);
    *subjectLength = length;
    if (range->length == SRXWholeLength) range->length = length;
    // Written so that a huge location or length cannot wrap around the check.
    if (range->location > length || range->length > length - range->location) {
        if (exception && !*exception) exception->emplace(NSRangeException, "Range or index out of bounds.");
        return nullptr;
    }
    if (length >= static_cast<NSUInteger>(INT_MAX)) {
        if (exception && !*exception) exception->emplace(NSRangeException, "String length exceeds INT_MAX.");
        return nullptr;
    }
    if (!slot) return nullptr;
    if (!bindText(*slot, subject, length, *range, status)) {
        if (exception && !*exception) exception->emplace(NSInternalInconsistencyException, "Failed to set up UTF16 buffer.");
        return nullptr;
    }
    return slot;
}

SRXBuffer& SRXRegexCache::bufferFor(const NSString& subject, NSUInteger length)
{
    const bool fixed = length < kFixedBufferUnits;
    auto& pool = fixed ? fixed_ : dynamic_;
    uint16_t& lru = fixed ? fixedLRU_ : dynamicLRU_;
    int way = 0;
    while (way < kWays && !(pool[way].string == subject)) ++way;
    if (way == kWays) {
        way = SRXLRUVictim(lru);
        SRXBuffer& b = pool[way];
        clearBuffer(b, false);
        b.string = subject;
        b.storage.resize(length);
        copyUTF16(subject, b.storage.data(), length);
    }
    lru = SRXLRUTouch(lru, way);
    return pool[way];
}

bool SRXRegexCache::bindText(SRXCachedRegex& slot, const NSString& subject, NSUInteger length, NSRange range,
                             UErrorCode* status)
{
    if (!slot.buffer || !(slot.buffer->string == subject)) slot.buffer = &bufferFor(subject, length);
    const char16_t* units = slot.buffer->storage.c_str();
    if (slot.setToUniChar != units) {
        slot.setToUniChar = units;
        slot.setToRange = SRXNoRange;
    }
    if (range == slot.setToRange) return true;
    slot.lastFindRange = slot.lastMatchRange = SRXNoRange;
    slot.setToRange = range;
    uregex_setText(slot.icu_regex, units + range.location, static_cast<int32_t>(range.length), status);
    if (U_SUCCESS(*status)) return true;
    unbindRegexText(slot);
    return false;
}

void SRXRegexCache::unbindRegexText(SRXCachedRegex& slot)
{
    if (slot.icu_regex) {
        UErrorCode st = U_ZERO_ERROR;
        uregex_setText(slot.icu_regex, u"", 0, &st);
    }
    slot.buffer = nullptr;
    slot.setToUniChar = nullptr;
    slot.setToRange = slot.lastFindRange = slot.lastMatchRange = SRXNoRange;
}

void SRXRegexCache::clearRegexSlot(SRXCachedRegex& slot)
{
    unbindRegexText(slot);
    if (lastUsed_ == &slot) lastUsed_ = nullptr;
    if (slot.icu_regex) uregex_close(slot.icu_regex);
    slot.icu_regex = nullptr;
    slot.captureCount = -1;
    slot.regexString = NSString();
    slot.regexHash = 0;
    slot.options = 0;
}

void SRXRegexCache::clearBuffer(SRXBuffer& buffer, bool freeStorage)
{
    // A slot bound to these characters must not read them once they change.
    for (auto& slot : slots_)
        if (slot.buffer == &buffer) unbindRegexText(slot);
    buffer.string = NSString();
    if (freeStorage)
        buffer.storage = std::u16string();
    else
        buffer.storage.clear();
}

void SRXRegexCache::flushAllCaches()
{
    lastUsed_ = nullptr;
    for (auto& slot : slots_) clearRegexSlot(slot);
    for (auto& b : fixed_) clearBuffer(b, false);
    for (auto& b : dynamic_) clearBuffer(b, true);
}

void SRXRegexCache::flushCachedRegexData(const NSString& subject)
{
    for (auto* pool : {&fixed_, &dynamic_})
        for (auto& b : *pool)
            if (b.string == subject) clearBuffer(b, false);
}
