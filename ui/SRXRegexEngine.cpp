#include "ui/SRXRegexEngine.h"

#include <climits>
#include <cstdint>

namespace {

constexpr NSUInteger kNotFound = static_cast<NSUInteger>(NSNotFound);

bool isEmptyFoundMatch(NSRange m) { return m.location != kNotFound && m.length == 0; }

// Where a search continues after match m: one unit on after an empty match
// that lies before the end of the text.
NSUInteger afterMatch(const SRXCachedRegex& slot, NSRange m)
{
    return m.max() + (m.length == 0 && m.max() < slot.setToRange.max() ? 1 : 0);
}

// Range of one group of the current match, in subject coordinates; no range
// when the group did not take part.
NSRange groupRange(const SRXCachedRegex& slot, int32_t group, UErrorCode& status)
{
    const int32_t start = uregex_start(slot.icu_regex, group, &status);
    if (U_FAILURE(status) || start == -1) return SRXNoRange;
    const int32_t end = uregex_end(slot.icu_regex, group, &status);
    if (U_FAILURE(status)) return SRXNoRange;
    return {start + slot.setToRange.location, static_cast<NSUInteger>(end - start)};
}

[[noreturn]] void raise(const SRXCall& call, const NSString& name, const NSString& message)
{
    SRXRaiseDelayed(call, NSException(name, message));
}

// Fills result from the stored ranges of a find-all.
void makeResults(const SRXCachedRegex& slot, unsigned op, const SRXFindAll& record, const SRXKeyCaptures* keys,
                 SRXResult& result)
{
    const unsigned code = op & 0xF;
    const size_t perMatch = static_cast<size_t>(slot.captureCount) + 1;
    result.made = true;
    if (code == SRXOpCaptureDictionary || code == SRXOpCaptureDictionaries) {
        for (size_t m = 0; m < record.ranges.size() / perMatch; ++m) {
            std::map<NSString, NSString> dictionary;
            for (NSUInteger i = 0; i < keys->count; ++i) {
                const NSRange r = record.ranges[m * perMatch + static_cast<size_t>(keys->captures[i])];
                if (r.location != kNotFound) dictionary[keys->keys[i]] = SRXSubstring(slot, r);
            }
            result.dictionaries.push_back(std::move(dictionary));
        }
        if (code == SRXOpCaptureDictionary && result.dictionaries.empty()) result.dictionaries.emplace_back();
        return;
    }
    std::vector<NSString> strings;
    strings.reserve(record.ranges.size());
    for (const NSRange& r : record.ranges) strings.push_back(SRXSubstring(slot, r));
    if (op & SRXOpNestedFlag) {
        for (size_t at = 0; at + perMatch <= strings.size(); at += perMatch)
            result.arrays.emplace_back(strings.begin() + static_cast<long>(at),
                                       strings.begin() + static_cast<long>(at + perMatch));
    } else {
        result.strings = std::move(strings);
    }
}

// Appends every match's replacement and the tail into out; returns the units
// written. needed receives the length the whole result needs.
int32_t replaceAll(SRXCachedRegex& slot, const std::u16string& replacement, char16_t* out, int32_t capacity,
                   NSInteger& count, int64_t& needed, UErrorCode& status)
{
    slot.lastFindRange = slot.lastMatchRange = SRXNoRange;
    slot.matcherAtStart = false;
    uregex_reset(slot.icu_regex, 0, &status);
    if (slot.setToRange.length == 0 && status == U_INDEX_OUTOFBOUNDS_ERROR) status = U_ZERO_ERROR;
    UChar* dest = out;
    int32_t remaining = capacity;
    bool overflow = false;
    while (uregex_findNext(slot.icu_regex, &status)) {
        needed += uregex_appendReplacement(slot.icu_regex, replacement.c_str(),
                                           static_cast<int32_t>(replacement.size()), &dest, &remaining, &status);
        ++count;
        if (status == U_BUFFER_OVERFLOW_ERROR) {
            overflow = true;
            status = U_ZERO_ERROR;
        }
    }
    if (status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status)) {
        needed += uregex_appendTail(slot.icu_regex, &dest, &remaining, &status);
        if (status == U_STRING_NOT_TERMINATED_WARNING) status = U_BUFFER_OVERFLOW_ERROR;
    }
    if (overflow && U_SUCCESS(status)) status = U_BUFFER_OVERFLOW_ERROR;
    return capacity - remaining;
}

// The bound range with every match replaced. Nothing on failure (count -1);
// nothing for the mutable form when the range is unchanged.
void replaceInRange(SRXCachedRegex& slot, const NSString& subject, NSUInteger subjectLength,
                    const NSString& replacement, bool mutableForm, std::optional<NSException>& pending,
                    UErrorCode& status, SRXResult& result)
{
    const std::u16string units = replacement.utf16();
    constexpr uint64_t limit = INT_MAX - 1;
    if (units.size() > limit || units.size() * 2 + subjectLength / 2 > limit) {
        pending.emplace(NSRangeException, "Replacement string length exceeds INT_MAX.");
        return;
    }
    NSInteger count = 0;
    int64_t needed = 0;
    std::u16string out(subjectLength + subjectLength / 2 + 2 * units.size() + 16, u'\0');
    int32_t written = replaceAll(slot, units, out.data(), static_cast<int32_t>(out.size()), count, needed, status);
    if (needed + 4 >= INT_MAX) {
        pending.emplace(NSInternalInconsistencyException, "Replaced string length exceeds INT_MAX.");
        return;
    }
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        status = U_ZERO_ERROR;
        count = 0;
        out.assign(static_cast<size_t>(needed) + 8, u'\0');
        needed = 0;
        written = replaceAll(slot, units, out.data(), static_cast<int32_t>(out.size()), count, needed, status);
    }
    if (status != U_ZERO_ERROR) return;
    result.count = count;
    if (written == 0) {
        result.string = "";
    } else if (static_cast<NSUInteger>(written) != subjectLength || count > 0) {
        result.string = NSString::stringWithCharacters(out.data(), static_cast<NSUInteger>(written));
    } else if (!mutableForm) {
        result.string = subject;
    } else {
        return;  // the mutable subject stays as it is
    }
    result.made = true;
}

}  // namespace

NSString SRXSubstring(const SRXCachedRegex& slot, NSRange range)
{
    if (range.length == 0 || range.location == kNotFound) return "";
    return NSString::stringWithCharacters(slot.setToUniChar + range.location, range.length);
}

namespace {

// SRXMatchAt, written into each caller in this file: a match test is little
// more than this search.
[[gnu::always_inline]] inline bool matchAt(SRXCachedRegex& slot, NSRange& range, bool advance, UErrorCode& status)
{
    const NSRange last = slot.lastMatchRange;
    if (!(range == slot.lastFindRange) || isEmptyFoundMatch(last)) {
        slot.lastFindRange = range;
        // ICU's next search starts where this one would: spared the reset and
        // the start check of a search from a given position.
        const bool continues = slot.matcherAtStart ? range.location == slot.setToRange.location
                                                   : last.location != kNotFound && range.location == afterMatch(slot, last);
        slot.matcherAtStart = false;
        bool found;
        if (continues)
            found = uregex_findNext(slot.icu_regex, &status);
        else
            found = uregex_find(slot.icu_regex, static_cast<int32_t>(range.location - slot.setToRange.location), &status);
        slot.lastMatchRange = found && U_SUCCESS(status) ? groupRange(slot, 0, status) : SRXNoRange;
        if (slot.lastMatchRange.location == kNotFound) slot.lastFindRange = SRXNoRange;
    }
    const NSRange m = slot.lastMatchRange;
    if (m.location == kNotFound) {
        if (advance) range = {range.max(), 0};
        return false;
    }
    if (advance) {
        const NSUInteger next = afterMatch(slot, m);
        range.length -= next - range.location;
        range.location = next;
    }
    return true;
}

}  // namespace

bool SRXMatchAt(SRXCachedRegex& slot, NSRange& range, bool advance, UErrorCode& status)
{
    return matchAt(slot, range, advance, status);
}

bool SRXFindRanges(SRXCachedRegex& slot, unsigned op, SRXFindAll& record, UErrorCode& status)
{
    const unsigned code = op & 0xF;
    const bool split = code == SRXOpSplit;
    NSRange search = record.remainingRange;
    NSUInteger pieceStart = search.location;
    size_t lastNonEmpty = 0;
    while (record.ranges.size() < record.findUpTo) {
        bool matched = SRXMatchAt(slot, search, true, status);
        // Splitting skips an empty match right where the piece starts.
        if (split && matched && slot.lastMatchRange.length == 0 && slot.lastMatchRange.location == pieceStart)
            matched = SRXMatchAt(slot, search, true, status);
        record.findInRange = search;
        if (!matched || U_FAILURE(status)) break;
        const NSRange match = slot.lastMatchRange;
        const size_t first = record.ranges.size();
        if (code == SRXOpMatchStrings) {
            record.ranges.push_back(record.capture == 0 ? match
                                                        : groupRange(slot, static_cast<int32_t>(record.capture), status));
        } else {
            record.ranges.push_back(split ? NSRange{pieceStart, match.location - pieceStart} : match);
            for (int32_t c = 1; c <= slot.captureCount; ++c) record.ranges.push_back(groupRange(slot, c, status));
        }
        if (U_FAILURE(status)) return true;
        if (record.ranges[first].length > 0) lastNonEmpty = record.ranges.size();
        pieceStart = match.max();
    }
    if (U_FAILURE(status)) return true;
    if (split) {
        const NSUInteger end = record.remainingRange.max();
        if (pieceStart != end) {
            record.ranges.push_back({pieceStart, end - pieceStart});
            ++record.addedSplitRanges;
            lastNonEmpty = record.ranges.size();
        }
        // Trailing empty pieces (and their captures) are dropped; leading ones stay.
        record.ranges.resize(lastNonEmpty);
    }
    return false;
}

namespace {

// The frame every operation runs in: the argument checks, the slot bound under
// the cache lock, work(slot, subjectLength, pending, status) while it is held,
// and afterwards the exception prepared or the ICU failure raised. Returns the
// final ICU status, for the error a caller reports when it made no result.
template <class Work>
[[gnu::always_inline]] inline UErrorCode runBound(const SRXCall& call, unsigned op, const NSString& pattern, SRXRegexOptions options,
                    NSInteger capture, const NSString& subject, NSRange& range, const NSString* replacement,
                    std::shared_ptr<NSError>* error, const SRXKeyCaptures* keys, Work&& work)
{
    if (error) *error = nullptr;
    const unsigned code = op & 0xF;
    const bool dictionaries = code == SRXOpCaptureDictionary || code == SRXOpCaptureDictionaries;
    if (pattern.isNil()) raise(call, NSInvalidArgumentException, "The regular expression argument is NULL.");
    if (code == SRXOpReplace && (!replacement || replacement->isNil()))
        raise(call, NSInvalidArgumentException, "The replacement string argument is NULL.");
    if (dictionaries && keys->keys.size() < keys->count)
        raise(call, NSInvalidArgumentException, "The keys argument is NULL.");
    if (dictionaries && keys->captures.size() < keys->count)
        raise(call, NSInvalidArgumentException, "The captures argument is NULL.");

    // Reused per thread, emptied on every way out: GCC fills the whole storage
    // of a new optional exception with zeros, a cost every match would pay.
    static thread_local std::optional<NSException> pending;
    const struct Emptied {
        ~Emptied() { pending.reset(); }
    } emptied;
    UErrorCode status = U_ZERO_ERROR;
    SRXRegexCache& cache = SRXRegexCache::shared();
    {
        std::lock_guard locked(cache.lock());
        NSUInteger length = 0;
        SRXCachedRegex* slot =
            cache.getCachedRegexSetToString(pattern, options, subject, &length, &range, error, &pending, &status);
        if (slot && (code == SRXOpRange || code == SRXOpMatchStrings) && (capture < 0 || capture > slot->captureCount))
            pending.emplace(NSInvalidArgumentException, "The capture argument is not valid.");
        for (NSUInteger i = 0; slot && dictionaries && !pending && i < keys->count; ++i) {
            const NSInteger c = keys->captures[i];
            if (keys->keys[i].isNil())
                pending.emplace(NSInvalidArgumentException,
                                NSString::stringWithFormat("The capture key (key %lu of %lu) is NULL.", i + 1, keys->count));
            else if (c < 0 || c > slot->captureCount)
                pending.emplace(NSInvalidArgumentException,
                                NSString::stringWithFormat("The capture argument %d (capture %lu of %lu) for key '%@' is not valid.",
                                                           static_cast<int>(c), i + 1, keys->count, keys->keys[i]));
        }
        if (slot && !pending && U_SUCCESS(status)) work(*slot, length, pending, status);
    }
    if (U_FAILURE(status) && !pending) pending = SRXMakeICUException(SRXFailure(pattern, options, status));
    if (pending) SRXRaiseDelayed(call, *pending);
    return status;
}

// The error of an operation that made no result after ICU failed.
void reportNoResult(const NSString& pattern, SRXRegexOptions options, const NSString& subject, NSRange range,
                    UErrorCode status, std::optional<NSInteger> replacedCount, std::shared_ptr<NSError>* error)
{
    if (status >= U_ZERO_ERROR || !error) return;
    SRXFailure f(pattern, options, status);
    f.subject = &subject;
    f.range = range;
    f.replacedCount = replacedCount;
    *error = SRXMakeICUError(f, "The ICU library returned an unexpected error.");
}

// The whole match, or the capture, of the first match in the bound range.
NSRange firstMatch(SRXCachedRegex& slot, NSRange range, NSInteger capture, UErrorCode& status)
{
    if (!matchAt(slot, range, false, status) || U_FAILURE(status)) return SRXNoRange;
    return capture == 0 ? slot.lastMatchRange : groupRange(slot, static_cast<int32_t>(capture), status);
}

}  // namespace

NSRange SRXRangeOfRegex(const SRXCall& call, const NSString& pattern, SRXRegexOptions options, NSInteger capture,
                        const NSString& subject, NSRange& range, std::shared_ptr<NSError>* error)
{
    NSRange found = SRXNoRange;
    bool made = false;
    const UErrorCode status =
        runBound(call, SRXOpRange, pattern, options, capture, subject, range, nullptr, error, nullptr,
                 [&](SRXCachedRegex& slot, NSUInteger, std::optional<NSException>&, UErrorCode& st) {
                     found = firstMatch(slot, range, capture, st);
                     made = true;
                 });
    if (!made) reportNoResult(pattern, options, subject, range, status, std::nullopt, error);
    return found;
}

SRXResult SRXPerformRegexOp(const SRXCall& call, unsigned op, const NSString& pattern, SRXRegexOptions options,
                            NSInteger capture, const NSString& subject, NSRange& range, const NSString* replacement,
                            std::shared_ptr<NSError>* error, const SRXKeyCaptures* keys)
{
    const unsigned code = op & 0xF;
    SRXResult result;
    const auto work = [&](SRXCachedRegex& slot, NSUInteger length, std::optional<NSException>& pending,
                          UErrorCode& status) {
        switch (code) {
        case SRXOpReplace:
            replaceInRange(slot, subject, length, *replacement, (op & SRXOpMutableFlag) != 0, pending, status, result);
            break;
        default: {
            SRXFindAll record;
            record.remainingRange = record.findInRange = range;
            record.findUpTo = code == SRXOpCaptures || code == SRXOpCaptureDictionary ? 1 : SIZE_MAX;
            record.capture = capture;
            if (!SRXFindRanges(slot, op, record, status)) makeResults(slot, op, record, keys, result);
            break;
        }
        }
    };
    const UErrorCode status = runBound(call, op, pattern, options, capture, subject, range, replacement, error, keys, work);
    if (!result.made)
        reportNoResult(pattern, options, subject, range, status,
                       code == SRXOpReplace ? std::optional<NSInteger>(result.count) : std::nullopt, error);
    return result;
}
