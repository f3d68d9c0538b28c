#pragma once
// The process-wide cache of compiled regular expressions and of the UTF-16
// copies of the strings they run on. Compiling a pattern and converting a
// subject are the expensive steps of every operation; the cache keeps both so
// that the screens' repeated validations with one pattern cost a search only.
//
// 52 slots in 13 sets of 4 ways, found through the last-used slot, a 64-entry
// lookaside table and the pattern's set; a set replaces its least recently used
// way. Subjects are copied into one of two pools of 4 buffers: the fixed pool
// (storage for 2048 units each, never reallocated) for subjects shorter than
// 2048 units, the dynamic pool otherwise. Every member function expects the
// caller to hold lock(); one spin lock guards all of it.
//
// Finding a cached pattern and binding it to a subject are on the path of
// every match: their common case is written inline below, so that it becomes
// part of the operation that calls it; the rest is out of line.

#include <unicode/uregex.h>

#include <array>
#include <climits>
#include <memory>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <optional>
#include <span>
#include <string>

#include "platform/foundation/OSSpinLock.h"
#include "ui/SRXRegexReport.h"

// A copy of one subject's characters.
struct SRXBuffer {
    NSString string;  // the subject copied, nil when the buffer is free
    std::unique_ptr<char16_t[]> units;
    NSUInteger capacity = 0;
    NSUInteger length = 0;  // units held
    uint64_t generation = 0;  // changes whenever the units change
};

// One compiled pattern, possibly bound to a subject.
struct SRXCachedRegex {
    NSString regexString;  // nil when the slot is empty
    size_t regexHash = 0;
    SRXRegexOptions options = 0;
    URegularExpression* icu_regex = nullptr;
    int32_t captureCount = -1;
    // The binding: the buffer holding the subject's characters, those
    // characters, and the part of them ICU was given. ICU's positions are
    // relative to setToRange's location.
    SRXBuffer* buffer = nullptr;
    uint64_t bufferGeneration = 0;  // the buffer's generation when bound
    const char16_t* setToUniChar = nullptr;
    NSRange setToRange = SRXNoRange;
    // The last search and its whole match (subject coordinates), kept so that
    // asking again for the same range needs no search.
    NSRange lastFindRange = SRXNoRange;
    NSRange lastMatchRange = SRXNoRange;
    // ICU has been handed the text and not searched it since: its next search
    // starts at setToRange's location without being told.
    bool matcherAtStart = false;
};

// Whether two strings hold the same text (nil equals only nil). Patterns and
// typed subjects are mostly a few bytes long: those are compared a word or
// two at a time, without a call.
bool SRXSameString(const NSString& a, const NSString& b);

// Least-recently-used order of four ways in a 16-bit word, one nibble per way.
uint16_t SRXLRUTouch(uint16_t word, int way);
int SRXLRUVictim(uint16_t word);
inline constexpr uint16_t SRXLRUInitial = 0x0137;  // victims 3, 2, 1, 0 in turn

class SRXRegexCache {
public:
    static constexpr int kSets = 13;
    static constexpr int kWays = 4;
    static constexpr int kSlots = kSets * kWays;
    static constexpr NSUInteger kFixedBufferUnits = 2048;

    SRXRegexCache();
    ~SRXRegexCache();
    SRXRegexCache(const SRXRegexCache&) = delete;
    SRXRegexCache& operator=(const SRXRegexCache&) = delete;

    // The cache every string operation uses.
    static SRXRegexCache& shared();

    OSSpinLock& lock() { return lock_; }

    // The slot compiled for the pattern and options, compiling into the set's
    // least recently used way on a miss. A pattern that does not compile gives
    // null and, when asked for, an error; no exception.
    SRXCachedRegex* lookUpCachedRegex(const NSString& pattern, SRXRegexOptions options,
                                      std::shared_ptr<NSError>* error, std::optional<NSException>* exception);

    // The slot bound to subject and range: the range's length SRXWholeLength
    // becomes the subject's length (written back), subjectLength receives the
    // subject's length. Null when the pattern does not compile or the range lies
    // outside the subject (then *exception is set, to be raised after unlocking).
    SRXCachedRegex* getCachedRegexSetToString(const NSString& pattern, SRXRegexOptions options, const NSString& subject,
                                              NSUInteger* subjectLength, NSRange* range,
                                              std::shared_ptr<NSError>* error,
                                              std::optional<NSException>* exception, UErrorCode* status);

    void unbindRegexText(SRXCachedRegex& slot);
    void clearRegexSlot(SRXCachedRegex& slot);
    void flushAllCaches();
    // Forgets every copy of a string equal to subject and every binding to one.
    void flushCachedRegexData(const NSString& subject);

    // The set a pattern belongs to.
    static int setOfPattern(const NSString& pattern, SRXRegexOptions options);
    std::span<const SRXCachedRegex> slots() const { return slots_; }
    std::span<const SRXBuffer> fixedBuffers() const { return fixed_; }
    std::span<const SRXBuffer> dynamicBuffers() const { return dynamic_; }

private:
    SRXCachedRegex* lookUpBeyondLastUsed(const NSString& pattern, SRXRegexOptions options,
                                         std::shared_ptr<NSError>* error, std::optional<NSException>* exception);
    bool bindText(SRXCachedRegex& slot, SRXBuffer& buffer, const NSRange& range, UErrorCode* status);
    // The buffer holding a copy of subject, filling the least recently used one of its pool.
    SRXBuffer& bufferFor(const NSString& subject);
    // The subject's length in UTF-16 units, counted without a copy.
    static NSUInteger lengthOf(const NSString& subject);
    // Why a slot could not be bound; the exception to raise after unlocking,
    // unless one is pending already.
    enum class Refusal { rangeOutside, tooLong, textNotSet };
    static void refuse(std::optional<NSException>* exception, Refusal why);
    void clearBuffer(SRXBuffer& buffer, bool freeStorage);
    void hit(SRXCachedRegex& slot, unsigned lookaside);

    OSSpinLock lock_;
    std::array<SRXCachedRegex, kSlots> slots_{};
    std::array<uint16_t, kSets> setLRU_{};
    SRXCachedRegex* lastUsed_ = nullptr;
    alignas(64) std::array<uint8_t, 64> lookaside_{};
    std::array<SRXBuffer, kWays> fixed_{};
    std::array<SRXBuffer, kWays> dynamic_{};
    uint16_t fixedLRU_ = SRXLRUInitial;
    uint16_t dynamicLRU_ = SRXLRUInitial;
};

inline SRXCachedRegex* SRXRegexCache::lookUpCachedRegex(const NSString& pattern, SRXRegexOptions options,
                                                        std::shared_ptr<NSError>* error,
                                                        std::optional<NSException>* exception)
{
    if (lastUsed_ && lastUsed_->icu_regex && lastUsed_->options == options && SRXSameString(lastUsed_->regexString, pattern))
        return lastUsed_;
    return lookUpBeyondLastUsed(pattern, options, error, exception);
}

inline SRXCachedRegex* SRXRegexCache::getCachedRegexSetToString(const NSString& pattern, SRXRegexOptions options,
                                                                const NSString& subject, NSUInteger* subjectLength,
                                                                NSRange* range, std::shared_ptr<NSError>* error,
                                                                std::optional<NSException>* exception,
                                                                UErrorCode* status)
{
    SRXCachedRegex* slot = lookUpCachedRegex(pattern, options, error, exception);
    // With a slot, the subject's copy gives its length without a second pass.
    SRXBuffer* buffer = nullptr;
    if (slot) buffer = slot->buffer && SRXSameString(slot->buffer->string, subject) ? slot->buffer : &bufferFor(subject);
    const NSUInteger length = buffer ? buffer->length : lengthOf(subject);
    *subjectLength = length;
    if (range->length == SRXWholeLength) range->length = length;
    // Written so that a huge location or length cannot wrap around the check.
    const bool outside = range->location > length || range->length > length - range->location;
    if (outside || length >= static_cast<NSUInteger>(INT_MAX)) {
        refuse(exception, outside ? Refusal::rangeOutside : Refusal::tooLong);
        return nullptr;
    }
    if (!slot) return nullptr;
    if (bindText(*slot, *buffer, *range, status)) return slot;
    refuse(exception, Refusal::textNotSet);
    return nullptr;
}

inline bool SRXRegexCache::bindText(SRXCachedRegex& slot, SRXBuffer& buffer, const NSRange& range, UErrorCode* status)
{
    // Units that changed since the slot was bound must be handed to ICU again.
    if (slot.buffer != &buffer || slot.bufferGeneration != buffer.generation) {
        slot.buffer = &buffer;
        slot.bufferGeneration = buffer.generation;
        slot.setToUniChar = buffer.units.get();
        slot.setToRange = SRXNoRange;
    }
    if (range == slot.setToRange) return true;
    slot.lastFindRange = slot.lastMatchRange = SRXNoRange;
    slot.setToRange = range;
    uregex_setText(slot.icu_regex, slot.setToUniChar + range.location, static_cast<int32_t>(range.length), status);
    slot.matcherAtStart = U_SUCCESS(*status);
    if (slot.matcherAtStart) return true;
    unbindRegexText(slot);
    return false;
}

namespace srx_detail {

template <class Word>
Word load(const char* p)
{
    Word w;
    std::memcpy(&w, p, sizeof w);
    return w;
}

// n bytes, from one to two words' worth, as two words that overlap when n is less.
template <class Word>
bool sameEnds(const char* a, const char* b, size_t n)
{
    const size_t last = n - sizeof(Word);
    return ((load<Word>(a) ^ load<Word>(b)) | (load<Word>(a + last) ^ load<Word>(b + last))) == 0;
}

}  // namespace srx_detail

inline bool SRXSameString(const NSString& a, const NSString& b)
{
    if (a.isNil() || b.isNil()) return a.isNil() && b.isNil();
    const std::string_view x = a.view();
    const std::string_view y = b.view();
    const size_t n = x.size();
    if (n != y.size()) return false;
    if (n >= 8 && n <= 16) return srx_detail::sameEnds<uint64_t>(x.data(), y.data(), n);
    if (n >= 4 && n < 8) return srx_detail::sameEnds<uint32_t>(x.data(), y.data(), n);
    return x == y;
}
