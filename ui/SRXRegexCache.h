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

#include <unicode/uregex.h>

#include <array>
#include <memory>
#include <cstdint>
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
