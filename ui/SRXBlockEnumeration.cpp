#include <climits>

#include "ui/SRXRegexEngine.h"

namespace {

constexpr NSUInteger kNotFound = static_cast<NSUInteger>(NSNotFound);
constexpr SRXRegexEnumerationOptions kValidOptions =
    SRXEnumNoCapturedStrings | SRXEnumReleaseReplacement | SRXEnumReusedCaptureStrings;

// A private matcher: its own clone of the compiled pattern bound to its own
// copy of the subject, so that blocks run without the cache lock and may use
// the cache themselves.
class SRXBlockEnumerationHelper {
public:
    SRXBlockEnumerationHelper() = default;
    SRXBlockEnumerationHelper(const SRXBlockEnumerationHelper&) = delete;
    SRXBlockEnumerationHelper& operator=(const SRXBlockEnumerationHelper&) = delete;
    ~SRXBlockEnumerationHelper()
    {
        if (cachedRegex.icu_regex) uregex_close(cachedRegex.icu_regex);
    }

    // Null when the pattern does not compile (the error, when asked for, says
    // why); ICU failures raise.
    static std::unique_ptr<SRXBlockEnumerationHelper> initWithRegex(const SRXCall& call, const NSString& pattern,
                                                                    SRXRegexOptions options, const NSString& subject,
                                                                    std::u16string units, NSRange range,
                                                                    std::shared_ptr<NSError>* error)
    {
        auto helper = std::make_unique<SRXBlockEnumerationHelper>();
        SRXCachedRegex& slot = helper->cachedRegex;
        std::optional<NSException> pending;
        UErrorCode status = U_ZERO_ERROR;
        SRXRegexCache& cache = SRXRegexCache::shared();
        {
            std::lock_guard locked(cache.lock());
            const SRXCachedRegex* shared = cache.lookUpCachedRegex(pattern, options, error, &pending);
            if (shared && !pending) {
                slot.icu_regex = uregex_clone(shared->icu_regex, &status);
                if (U_SUCCESS(status)) {
                    slot.regexString = shared->regexString;
                    slot.regexHash = shared->regexHash;
                    slot.options = shared->options;
                    slot.captureCount = shared->captureCount;
                }
            }
        }
        if (slot.captureCount >= 0) {
            helper->buffer.string = subject;
            helper->units = std::move(units);
            slot.buffer = &helper->buffer;
            slot.setToUniChar = helper->units.c_str();
            slot.setToRange = range;
            uregex_setText(slot.icu_regex, slot.setToUniChar + range.location, static_cast<int32_t>(range.length),
                           &status);
            if (U_SUCCESS(status) && !pending) return helper;
        }
        if (U_FAILURE(status) && !pending)
            pending = SRXMakeICUException(SRXFailure(pattern, options, status));
        if (pending) SRXRaiseDelayed(call, *pending);
        if (status < U_ZERO_ERROR && error)
            *error = SRXMakeICUError(SRXFailure(pattern, options, status),
                                     "The ICU library returned an unexpected error.");
        return nullptr;
    }

    SRXCachedRegex cachedRegex;
    SRXBuffer buffer;
    std::u16string units;  // the subject's own copy
};

[[noreturn]] void raise(const SRXCall& call, const NSString& name, const NSString& message)
{
    SRXRaiseDelayed(call, NSException(name, message));
}

}  // namespace

NSString SRXPerformEnumerationUsingBlock(const SRXCall& call, unsigned op, const NSString& pattern,
                                         SRXRegexOptions options, const NSString& subject, NSRange& range,
                                         SRXBlockEnumerationOp blockOp, SRXRegexEnumerationOptions enumerationOptions,
                                         NSInteger* blockCallCount, bool* success, std::shared_ptr<NSError>* error,
                                         const SRXEnumerationBlock& enumerationBlock,
                                         const SRXReplacementBlock& replacementBlock)
{
    *blockCallCount = -1;
    *success = false;
    if (error) *error = nullptr;
    if (pattern.isNil()) raise(call, NSInvalidArgumentException, "The regular expression argument is NULL.");
    const bool replacing = blockOp == SRXBlockReplace;
    const bool noStrings = (enumerationOptions & SRXEnumNoCapturedStrings) != 0;
    if ((enumerationOptions & ~kValidOptions) != 0 ||
        (noStrings && (enumerationOptions & SRXEnumReusedCaptureStrings) != 0) ||
        ((enumerationOptions & SRXEnumReleaseReplacement) != 0 && !replacing))
        raise(call, NSInvalidArgumentException, "The SRXRegexEnumerationOptions argument is not valid.");
    std::u16string units = subject.utf16();
    const NSUInteger length = units.size();
    if (range.length == SRXWholeLength) range.length = length;
    if (range.location > length || range.length > length - range.location)
        raise(call, NSRangeException, "Range or index out of bounds.");
    if (length >= static_cast<NSUInteger>(INT_MAX)) raise(call, NSRangeException, "String length exceeds INT_MAX.");

    auto helper =
        SRXBlockEnumerationHelper::initWithRegex(call, pattern, options, subject, std::move(units), range, error);
    if (!helper) return NSString();
    SRXCachedRegex& slot = helper->cachedRegex;
    const char16_t* chars = slot.setToUniChar;
    const size_t slots = static_cast<size_t>(slot.captureCount) + 1;
    std::vector<NSString> strings(slots);
    std::vector<NSRange> ranges(slots);
    SRXFindAll record;
    record.remainingRange = range;
    record.findUpTo = 1;

    std::u16string replaced;
    NSUInteger previousEnd = range.location;
    NSInteger calls = 0;
    bool stop = false;
    bool failed = false;
    UErrorCode status = U_ZERO_ERROR;
    while (!stop) {
        record.ranges.clear();
        record.addedSplitRanges = 0;
        failed = SRXFindRanges(slot, op, record, status);
        if (failed || record.ranges.empty()) break;
        const NSRange match = record.ranges[0];
        if (replacing) replaced.append(chars + previousEnd, match.location - previousEnd);
        // A split's trailing piece alone still counts as one string.
        const size_t passed = std::max<size_t>(record.ranges.size() - record.addedSplitRanges, 1);
        for (size_t i = 0; i < slots; ++i) {
            const bool valid = i < passed;
            ranges[i] = valid ? record.ranges[i] : NSRange{kNotFound, kNotFound};
            strings[i] = valid && !noStrings ? SRXSubstring(slot, ranges[i]) : NSString();
        }
        const std::span<const NSString> captured = noStrings ? std::span<const NSString>() : std::span(strings);
        const auto count = static_cast<NSInteger>(passed);
        if (replacing) {
            replaced += replacementBlock(count, captured, ranges, stop).utf16();
            previousEnd = match.max();
        } else {
            enumerationBlock(count, captured, ranges, stop);
        }
        record.remainingRange = record.findInRange;
        ++calls;
    }
    // The find-all fails only on an ICU failure, raised here once the blocks are done.
    if (failed || U_FAILURE(status))
        SRXRaiseDelayed(call, SRXMakeICUException(SRXFailure(pattern, options, status)));
    *blockCallCount = calls;
    *success = true;
    if (!replacing) return NSString();
    if (calls == 0) return SRXSubstring(slot, range);
    replaced.append(chars + previousEnd, range.max() - previousEnd);
    return NSString::stringWithUTF16(replaced);
}
