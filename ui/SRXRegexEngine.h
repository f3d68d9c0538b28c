#pragma once
// The one engine behind every string regular-expression method: argument
// checks, binding through the shared cache, the operation itself, and the
// reports. Used by ui/StringRegex.h; not for screens.

#include <functional>
#include <map>
#include <span>
#include <vector>

#include "ui/SRXRegexCache.h"

enum SRXRegexOp : unsigned {
    SRXOpSplit = 1,
    SRXOpReplace = 2,
    SRXOpRange = 3,
    SRXOpMatchStrings = 4,
    SRXOpCaptureArrays = 5,
    SRXOpCaptures = 6,
    SRXOpCaptureDictionary = 7,
    SRXOpCaptureDictionaries = 8,
    SRXOpMutableFlag = 16,
    SRXOpNestedFlag = 32,
};

// Work record of a find-all: the ranges stored so far (per match, the match or
// split piece followed by its captures), the range still to search and when to stop.
struct SRXFindAll {
    std::vector<NSRange> ranges;
    NSRange remainingRange = SRXNoRange;
    NSRange findInRange = SRXNoRange;  // where searching continues after the last match
    size_t findUpTo = SIZE_MAX;        // stop once this many ranges are stored
    NSInteger capture = 0;             // the capture stored by SRXOpMatchStrings
    size_t addedSplitRanges = 0;       // trailing split pieces added after the last match
};

// Searches the slot's text from range.location. With advance, range moves past
// the match (one unit further after an empty match, so a search always moves on).
bool SRXMatchAt(SRXCachedRegex& slot, NSRange& range, bool advance, UErrorCode& status);
// Collects ranges into record; true when it failed.
bool SRXFindRanges(SRXCachedRegex& slot, unsigned op, SRXFindAll& record, UErrorCode& status);
// The subject's characters in range; "" for an empty range or none.
NSString SRXSubstring(const SRXCachedRegex& slot, NSRange range);

// The keys of the dictionary operations and the capture each one takes.
struct SRXKeyCaptures {
    std::span<const NSString> keys;
    std::span<const NSInteger> captures;
    NSUInteger count = 0;
};

// What one operation produced; made is false for "no result".
struct SRXResult {
    bool made = false;
    NSInteger count = -1;        // SRXOpReplace: replacements made, -1 after a failure
    NSString string;             // SRXOpReplace
    std::vector<NSString> strings;
    std::vector<std::vector<NSString>> arrays;                 // with SRXOpNestedFlag
    std::vector<std::map<NSString, NSString>> dictionaries;    // SRXOpCaptureDictionary gives one
};

// range is in/out: a length of SRXWholeLength becomes the subject's length.
// The subject is never nil here: the category answers for a nil receiver.
// SRXOpRange, the operation behind every match test, has its own entry below
// that builds no SRXResult.
SRXResult SRXPerformRegexOp(const SRXCall& call, unsigned op, const NSString& pattern, SRXRegexOptions options,
                            NSInteger capture, const NSString& subject, NSRange& range, const NSString* replacement,
                            std::shared_ptr<NSError>* error, const SRXKeyCaptures* keys = nullptr);
// SRXOpRange: the first match in range, or its capture; {NSNotFound, 0} when none.
NSRange SRXRangeOfRegex(const SRXCall& call, const NSString& pattern, SRXRegexOptions options, NSInteger capture,
                        const NSString& subject, NSRange& range, std::shared_ptr<NSError>* error);

// ---- Block enumeration ------------------------------------------------------

enum SRXBlockEnumerationOp { SRXBlockEnumerate = 1, SRXBlockReplace = 2 };

using SRXRegexEnumerationOptions = NSUInteger;
inline constexpr SRXRegexEnumerationOptions SRXEnumNoCapturedStrings = 512;
inline constexpr SRXRegexEnumerationOptions SRXEnumReleaseReplacement = 1024;
inline constexpr SRXRegexEnumerationOptions SRXEnumReusedCaptureStrings = 2048;

// A block receives the number of valid entries, the captured strings (empty
// with SRXEnumNoCapturedStrings) and ranges, each captureCount + 1 long (entries
// past the count are nil and {NSNotFound, NSNotFound}), and a stop flag.
using SRXEnumerationBlock = std::function<void(NSInteger captureCount, std::span<const NSString> capturedStrings,
                                               std::span<const NSRange> capturedRanges, bool& stop)>;
using SRXReplacementBlock = std::function<NSString(NSInteger captureCount, std::span<const NSString> capturedStrings,
                                                   std::span<const NSRange> capturedRanges, bool& stop)>;

// Runs the block once per match (SRXOpCaptures) or piece (SRXOpSplit) without
// holding the cache lock, on a private clone of the compiled pattern, so blocks
// may use regular expressions themselves. The replacing form returns the new
// text of the range (nil on failure). blockCallCount is -1 when the call failed
// before enumerating.
NSString SRXPerformEnumerationUsingBlock(const SRXCall& call, unsigned op, const NSString& pattern,
                                         SRXRegexOptions options, const NSString& subject, NSRange& range,
                                         SRXBlockEnumerationOp blockOp, SRXRegexEnumerationOptions enumerationOptions,
                                         NSInteger* blockCallCount, bool* success, std::shared_ptr<NSError>* error,
                                         const SRXEnumerationBlock& enumerationBlock,
                                         const SRXReplacementBlock& replacementBlock);
