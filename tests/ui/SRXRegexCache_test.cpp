#include <gtest/gtest.h>

#include "ui/SRXRegexCache.h"

namespace {

// Distinct patterns of one set, for the given options.
std::vector<NSString> patternsOfSet(int set, size_t count, SRXRegexOptions options = 0)
{
    std::vector<NSString> out;
    for (int i = 0; out.size() < count; ++i) {
        NSString p = NSString::stringWithFormat("p%d", i);
        if (SRXRegexCache::setOfPattern(p, options) == set) out.push_back(p);
    }
    return out;
}

int slotNumber(const SRXRegexCache& cache, const SRXCachedRegex* slot) { return static_cast<int>(slot - cache.slots().data()); }

// A cache bound to a subject through a pattern, with the lock held as the cache expects.
struct Bound {
    SRXCachedRegex* slot = nullptr;
    NSRange range{0, SRXWholeLength};
};

Bound bind(SRXRegexCache& cache, const NSString& pattern, const NSString& subject, NSRange range = {0, SRXWholeLength})
{
    std::lock_guard locked(cache.lock());
    Bound b;
    b.range = range;
    NSUInteger length = 0;
    std::optional<NSException> exception;
    UErrorCode status = U_ZERO_ERROR;
    b.slot = cache.getCachedRegexSetToString(pattern, 0, subject, &length, &b.range, nullptr, &exception, &status);
    EXPECT_FALSE(exception);
    return b;
}

SRXCachedRegex* lookUp(SRXRegexCache& cache, const NSString& pattern, SRXRegexOptions options = 0)
{
    std::lock_guard locked(cache.lock());
    return cache.lookUpCachedRegex(pattern, options, nullptr, nullptr);
}

}  // namespace

TEST(SRXRegexCache, LeastRecentlyUsedWordOverFourWays)
{
    // From the initial word the victims are 3, 2, 1, 0, then 3 again.
    uint16_t word = SRXLRUInitial;
    for (int expected : {3, 2, 1, 0, 3}) {
        ASSERT_EQ(SRXLRUVictim(word), expected);
        word = SRXLRUTouch(word, expected);
    }
    // Touching a way makes another the victim; the least recently touched way is chosen.
    struct Case {
        std::vector<int> touches;
        int victim;
    };
    const Case cases[] = {
        {{0, 1, 2, 3}, 0}, {{3, 2, 1, 0}, 3}, {{0, 1, 2, 3, 0}, 1}, {{2, 2, 2, 0, 1, 3}, 2}, {{1, 0, 3, 2, 1}, 0},
    };
    for (const auto& c : cases) {
        uint16_t w = SRXLRUInitial;
        for (int t : c.touches) w = SRXLRUTouch(w, t);
        EXPECT_EQ(SRXLRUVictim(w), c.victim);
    }
}

TEST(SRXRegexCache, StringsAreTheSameOnlyWithEveryByteEqual)
{
    EXPECT_TRUE(SRXSameString(NSString(), NSString()));
    EXPECT_FALSE(SRXSameString(NSString(), NSString("")));
    EXPECT_FALSE(SRXSameString(NSString(""), NSString()));
    EXPECT_TRUE(SRXSameString(NSString(""), NSString("")));
    // Every length around the word sizes, a difference at every position.
    for (size_t n = 1; n <= 40; ++n) {
        const std::string text(n, 'a');
        EXPECT_TRUE(SRXSameString(NSString(text), NSString(std::string(text)))) << n;
        EXPECT_FALSE(SRXSameString(NSString(text), NSString(text + "a"))) << n;
        for (size_t at = 0; at < n; ++at) {
            std::string other = text;
            other[at] = 'b';
            EXPECT_FALSE(SRXSameString(NSString(text), NSString(other))) << n << " " << at;
            other[at] = '\0';
            EXPECT_FALSE(SRXSameString(NSString(other), NSString(text))) << n << " " << at;
        }
    }
}

TEST(SRXRegexCache, SlotsFillTheirSetFromWayThreeAndReplaceTheLeastRecentlyUsed)
{
    SRXRegexCache cache;
    const int set = 5;
    const auto patterns = patternsOfSet(set, 5);
    std::vector<int> numbers;
    for (int i = 0; i < 4; ++i) numbers.push_back(slotNumber(cache, lookUp(cache, patterns[i])));
    EXPECT_EQ(numbers, (std::vector<int>{set * 4 + 3, set * 4 + 2, set * 4 + 1, set * 4 + 0}));

    // Using the first again makes the second the least recently used: the fifth replaces it.
    EXPECT_EQ(slotNumber(cache, lookUp(cache, patterns[0])), set * 4 + 3);
    EXPECT_EQ(slotNumber(cache, lookUp(cache, patterns[4])), set * 4 + 2);
    EXPECT_EQ(cache.slots()[set * 4 + 2].regexString, patterns[4]);
    EXPECT_EQ(slotNumber(cache, lookUp(cache, patterns[0])), set * 4 + 3);  // still cached
}

TEST(SRXRegexCache, EqualPatternTextSharesASlotAndOtherOptionsTakeAnother)
{
    SRXRegexCache cache;
    const std::string text = "^[0-9]{7,11}$";
    SRXCachedRegex* a = lookUp(cache, NSString(text));
    SRXCachedRegex* b = lookUp(cache, NSString(std::string(text)));
    EXPECT_EQ(a, b);
    SRXCachedRegex* caseless = lookUp(cache, NSString(text), UREGEX_CASE_INSENSITIVE);
    EXPECT_NE(a, caseless);
    EXPECT_EQ(caseless->options, static_cast<SRXRegexOptions>(UREGEX_CASE_INSENSITIVE));
    EXPECT_EQ(a, lookUp(cache, NSString(text)));

    // A pattern that does not compile leaves no slot and, asked for, an error.
    std::shared_ptr<NSError> error;
    {
        std::lock_guard locked(cache.lock());
        EXPECT_EQ(cache.lookUpCachedRegex("(", 0, &error, nullptr), nullptr);
        EXPECT_EQ(cache.lookUpCachedRegex("(", 0, nullptr, nullptr), nullptr);
    }
    ASSERT_TRUE(error);
    EXPECT_EQ(error->localizedDescription(), NSString("There was an error compiling the regular expression."));
}

TEST(SRXRegexCache, SubjectsAreCopiedIntoThePoolTheirLengthCalls)
{
    SRXRegexCache cache;
    const auto inPool = [](std::span<const SRXBuffer> pool, const SRXBuffer* b) {
        return b >= pool.data() && b < pool.data() + pool.size();
    };
    struct Case {
        size_t units;
        bool fixed;
    };
    for (const Case c : {Case{0, true}, Case{2047, true}, Case{2048, false}, Case{5000, false}}) {
        const NSString subject(std::string(c.units, 'a'));
        const Bound b = bind(cache, "a", subject);
        ASSERT_NE(b.slot, nullptr);
        EXPECT_EQ(inPool(cache.fixedBuffers(), b.slot->buffer), c.fixed) << c.units;
        EXPECT_EQ(inPool(cache.dynamicBuffers(), b.slot->buffer), !c.fixed) << c.units;
        EXPECT_EQ(b.slot->buffer->length, c.units);
    }
    // Characters outside the basic plane count two units: 1024 emoji fill 2048 units.
    std::string emoji;
    for (int i = 0; i < 1024; ++i) emoji += "😀";
    EXPECT_TRUE(inPool(cache.dynamicBuffers(), bind(cache, "a", NSString(emoji)).slot->buffer));
}

TEST(SRXRegexCache, UnchangedSubjectKeepsItsBindingAndAChangedOneIsRebound)
{
    SRXRegexCache cache;
    NSString subject("a1b2");
    Bound first = bind(cache, "[0-9]", subject);
    ASSERT_NE(first.slot, nullptr);
    {
        // Search once, so the slot remembers its last match.
        std::lock_guard locked(cache.lock());
        UErrorCode status = U_ZERO_ERROR;
        ASSERT_TRUE(uregex_find(first.slot->icu_regex, 0, &status));
        first.slot->lastFindRange = {0, 4};
        first.slot->lastMatchRange = {1, 1};
        first.slot->matcherAtStart = false;
    }
    const SRXBuffer* buffer = first.slot->buffer;
    const Bound again = bind(cache, "[0-9]", NSString("a1b2"));
    EXPECT_EQ(again.slot, first.slot);
    EXPECT_EQ(again.slot->buffer, buffer);
    EXPECT_EQ(again.slot->lastMatchRange, NSMakeRange(1, 1));  // not re-bound

    const Bound other = bind(cache, "[0-9]", NSString("a1b3"));  // the string changed
    EXPECT_NE(other.slot->buffer, buffer);
    EXPECT_EQ(other.slot->buffer->string, NSString("a1b3"));
    EXPECT_EQ(other.slot->lastMatchRange, SRXNoRange);
    EXPECT_EQ(other.slot->setToRange, NSMakeRange(0, 4));

    // A second pattern on the same string reuses its copy.
    const Bound second = bind(cache, "[a-z]", NSString("a1b3"));
    EXPECT_EQ(second.slot->buffer, other.slot->buffer);
}

TEST(SRXRegexCache, FlushingForgetsCopiesAndBindings)
{
    SRXRegexCache cache;
    const Bound b = bind(cache, "x", NSString("flush me"));
    const Bound kept = bind(cache, "y", NSString("keep me"));
    {
        std::lock_guard locked(cache.lock());
        cache.flushCachedRegexData(NSString("not cached"));  // changes nothing
        EXPECT_EQ(b.slot->buffer->string, NSString("flush me"));
        cache.flushCachedRegexData(NSString("flush me"));
        EXPECT_EQ(b.slot->buffer, nullptr);
        EXPECT_EQ(b.slot->setToRange, SRXNoRange);
        EXPECT_NE(b.slot->icu_regex, nullptr);  // still compiled
        EXPECT_EQ(kept.slot->buffer->string, NSString("keep me"));
        cache.flushAllCaches();
    }
    for (const auto& slot : cache.slots()) {
        EXPECT_EQ(slot.icu_regex, nullptr);
        EXPECT_EQ(slot.captureCount, -1);
    }
    for (const auto& buffer : cache.fixedBuffers()) EXPECT_TRUE(buffer.string.isNil());
}

TEST(SRXRegexCache, RangeOutsideTheSubjectIsReportedNotBound)
{
    SRXRegexCache cache;
    std::lock_guard locked(cache.lock());
    for (NSRange range : {NSRange{4, 0}, NSRange{0, 4}, NSRange{2, 2}, NSRange{SRXWholeLength, 2}}) {
        NSUInteger length = 0;
        std::optional<NSException> exception;
        UErrorCode status = U_ZERO_ERROR;
        EXPECT_EQ(cache.getCachedRegexSetToString("a", 0, "abc", &length, &range, nullptr, &exception, &status), nullptr);
        ASSERT_TRUE(exception);
        EXPECT_EQ(exception->name(), NSRangeException);
        EXPECT_EQ(exception->reason(), NSString("Range or index out of bounds."));
    }
}
