#include "ui/SRXRegexCache.h"

#include "ui/SRXLowMemoryWarningObserver.h"

#include <unicode/ustring.h>

#include <bit>
#include <climits>
#include <cstring>
#include <functional>
#include <string_view>

namespace {

size_t hashOf(const NSString& s) { return std::hash<std::string_view>{}(s.view()); }

unsigned lookasideIndex(SRXRegexOptions options, size_t hash)
{
    return static_cast<unsigned>((options + (options >> 4) + (hash >> 4)) & 63);
}

// Chunks of eight and four bytes and their units, widened by one vector
// instruction or two.
using Bytes8 = uint8_t __attribute__((vector_size(8)));
using Units8 = uint16_t __attribute__((vector_size(16)));
using Bytes4 = uint8_t __attribute__((vector_size(4)));
using Units4 = uint16_t __attribute__((vector_size(8)));

// Widens one chunk into units when all its bytes are ASCII; false otherwise.
template <class Word, class Bytes, class Units>
bool widenChunk(const unsigned char* in, char16_t* out)
{
    static_assert(sizeof(Word) == sizeof(Bytes) && sizeof(Units) == 2 * sizeof(Bytes));
    Word word;
    std::memcpy(&word, in, sizeof word);
    if (word & static_cast<Word>(0x8080808080808080u)) return false;
    Bytes bytes;
    std::memcpy(&bytes, in, sizeof bytes);
    const Units units = __builtin_convertvector(bytes, Units);
    std::memcpy(out, &units, sizeof units);
    return true;
}

// Copies bytes into out as one unit each while they are all ASCII, a chunk of
// eight (or four) at a time, the last chunk overlapping the one before; false
// (out partly written) when a byte is not ASCII.
bool widenASCII(std::string_view bytes, char16_t* out)
{
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    if (n >= 8) {
        for (size_t i = 0; i + 8 < n; i += 8)
            if (!widenChunk<uint64_t, Bytes8, Units8>(in + i, out + i)) return false;
        return widenChunk<uint64_t, Bytes8, Units8>(in + n - 8, out + n - 8);
    }
    if (n >= 4) return widenChunk<uint32_t, Bytes4, Units4>(in, out) && widenChunk<uint32_t, Bytes4, Units4>(in + n - 4, out + n - 4);
    for (size_t i = 0; i < n; ++i) {
        if (in[i] >= 0x80) return false;
        out[i] = in[i];
    }
    return true;
}

// Converts into out (capacity units); returns the units written.
NSUInteger copyUTF16(std::string_view bytes, char16_t* out, NSUInteger capacity)
{
    // Typed numbers, names and addresses are mostly ASCII, one unit per byte:
    // widened here in one pass, which costs a fraction of the general converter.
    if (bytes.size() <= capacity && widenASCII(bytes, out)) return bytes.size();
    UErrorCode st = U_ZERO_ERROR;
    int32_t written = 0;
    u_strFromUTF8WithSub(out, static_cast<int32_t>(capacity), &written, bytes.data(), static_cast<int32_t>(bytes.size()),
                         0xFFFD, nullptr, &st);
    return static_cast<NSUInteger>(written);
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
    for (auto& b : fixed_) {
        b.units = std::make_unique_for_overwrite<char16_t[]>(kFixedBufferUnits);
        b.capacity = kFixedBufferUnits;
    }
}

SRXRegexCache::~SRXRegexCache() { flushAllCaches(); }

SRXRegexCache& SRXRegexCache::shared()
{
    // Lives for the process: worker threads may still match while it exits.
    // The cache is emptied when the system runs short of memory.
    static SRXRegexCache* cache = (SRXLowMemoryWarningObserver::registerLowMemoryObserver(), new SRXRegexCache);
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

SRXCachedRegex* SRXRegexCache::lookUpBeyondLastUsed(const NSString& pattern, SRXRegexOptions options,
                                                     std::shared_ptr<NSError>* error,
                                                     std::optional<NSException>* exception)
{
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

// Counted as the conversion into a buffer will produce them (malformed UTF-8
// becomes U+FFFD), so ICU never reads past the copy.
NSUInteger SRXRegexCache::lengthOf(const NSString& subject)
{
    const std::string& bytes = subject.str();
    if (bytes.empty()) return 0;
    UErrorCode st = U_ZERO_ERROR;
    int32_t needed = 0;
    u_strFromUTF8WithSub(nullptr, 0, &needed, bytes.data(), static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr, &st);
    return static_cast<NSUInteger>(needed);
}

void SRXRegexCache::refuse(std::optional<NSException>* exception, Refusal why)
{
    if (!exception || *exception) return;
    switch (why) {
    case Refusal::rangeOutside: exception->emplace(NSRangeException, "Range or index out of bounds."); break;
    case Refusal::tooLong: exception->emplace(NSRangeException, "String length exceeds INT_MAX."); break;
    case Refusal::textNotSet:
        exception->emplace(NSInternalInconsistencyException, "Failed to set up UTF16 buffer.");
        break;
    }
}

SRXBuffer& SRXRegexCache::bufferFor(const NSString& subject)
{
    const auto holding = [&](std::array<SRXBuffer, kWays>& pool) {
        int way = 0;
        while (way < kWays && !SRXSameString(pool[way].string, subject)) ++way;
        return way;
    };
    // Never more units than bytes: a short text can only be held by the fixed
    // pool, and needs no count before it is copied.
    const std::string_view bytes = subject.view();
    const bool shortText = bytes.size() < kFixedBufferUnits;
    int way = holding(fixed_);
    if (way < kWays) {
        fixedLRU_ = SRXLRUTouch(fixedLRU_, way);
        return fixed_[way];
    }
    way = shortText ? kWays : holding(dynamic_);
    if (way < kWays) {
        dynamicLRU_ = SRXLRUTouch(dynamicLRU_, way);
        return dynamic_[way];
    }
    const NSUInteger length = shortText ? 0 : lengthOf(subject);
    const bool fixed = length < kFixedBufferUnits;
    auto& pool = fixed ? fixed_ : dynamic_;
    uint16_t& lru = fixed ? fixedLRU_ : dynamicLRU_;
    way = SRXLRUVictim(lru);
    SRXBuffer& b = pool[way];
    // Taken over in place: the old string's storage is reused for the new one.
    ++b.generation;
    b.string = subject;
    if (b.capacity < length) {
        b.units = std::make_unique_for_overwrite<char16_t[]>(length);
        b.capacity = length;
    }
    b.length = copyUTF16(bytes, b.units.get(), b.capacity);
    lru = SRXLRUTouch(lru, way);
    return b;
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
    slot.matcherAtStart = false;
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
    // Slots still naming this buffer see the new generation and bind afresh.
    ++buffer.generation;
    buffer.string = NSString();
    buffer.length = 0;
    if (freeStorage) {
        buffer.units.reset();
        buffer.capacity = 0;
    }
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
        for (auto& b : *pool) {
            if (!(b.string == subject)) continue;
            for (auto& slot : slots_)
                if (slot.buffer == &b) unbindRegexText(slot);
            clearBuffer(b, false);
        }
}
