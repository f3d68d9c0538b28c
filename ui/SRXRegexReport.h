#pragma once
// How the regular-expression facility reports misuse and ICU failures: the
// reason texts of its exceptions and the user info of its errors.

#include <unicode/parseerr.h>
#include <unicode/utypes.h>

#include <cstdint>
#include <memory>
#include <optional>

#include "platform/foundation/NSException.h"

// ICU's regular-expression flag bits (UREGEX_CASE_INSENSITIVE and the rest),
// handed to ICU unchanged.
using SRXRegexOptions = uint32_t;

// The range that means "none": {NSNotFound, 0}.
inline constexpr NSRange SRXNoRange{static_cast<NSUInteger>(NSNotFound), 0};
// A range length meaning "to the end of the string".
inline constexpr NSUInteger SRXWholeLength = static_cast<NSUInteger>(-1);

extern const NSString SRXICURegexException;
extern const NSString SRXICURegexErrorDomain;
extern const NSString SRXICURegexRegexErrorKey;             // "SRXICURegexRegex"
extern const NSString SRXICURegexRegexOptionsErrorKey;      // "SRXICURegexRegexOptions"
extern const NSString SRXICURegexErrorCodeErrorKey;         // "SRXICURegexErrorCode"
extern const NSString SRXICURegexErrorNameErrorKey;         // "SRXICURegexErrorName"
extern const NSString SRXICURegexSubjectStringErrorKey;     // "SRXICURegexSubjectString"
extern const NSString SRXICURegexSubjectRangeErrorKey;      // "SRXICURegexSubjectRange"
extern const NSString SRXICURegexReplacedCountErrorKey;     // "SRXICURegexReplacedCount"
extern const NSString SRXICURegexEnumerationOptionsErrorKey;  // "SRXICURegexEnumerationOptions"
extern const NSString SRXICURegexLineErrorKey;              // "SRXICURegexLine"
extern const NSString SRXICURegexOffsetErrorKey;            // "SRXICURegexOffset"
extern const NSString SRXICURegexPreContextErrorKey;        // "SRXICURegexPreContext"
extern const NSString SRXICURegexPostContextErrorKey;       // "SRXICURegexPostContext"
extern const NSString SRXLocalizedFailureReasonErrorKey;    // "NSLocalizedFailureReason"

// The method a report names: "-[NSString isMatchedByRegex:]".
struct SRXCall {
    const char* className;  // "NSString", "NSMutableString"
    const char* selector;   // the full selector, "isMatchedByRegex:options:inRange:error:"
    bool classMethod = false;
};

// "*** -[Class selector]: message".
NSString SRXFormatReason(const SRXCall& call, const NSString& message);

// Raises an exception prepared while the cache lock was held, its reason now
// naming the method.
[[noreturn]] void SRXRaiseDelayed(const SRXCall& call, const NSException& prepared);

// What an error or an ICU exception tells about the failed operation; each
// entry goes into the user info only when present.
struct SRXFailure {
    SRXFailure(NSString regex, SRXRegexOptions options, UErrorCode status)
        : regex(std::move(regex)), options(options), status(status) {}
    NSString regex;  // nil prints as "<NULL regex>"
    SRXRegexOptions options = 0;
    UErrorCode status = U_ZERO_ERROR;
    const UParseError* parseError = nullptr;
    const NSString* subject = nullptr;
    std::optional<NSRange> range;
    std::optional<NSInteger> replacedCount;
    std::optional<NSUInteger> enumerationOptions;
};

std::map<NSString, NSString> SRXMakeUserInfo(const SRXFailure& failure);
// "SRXICURegexException", "ICU regular expression error #%d, %s."
NSException SRXMakeICUException(const SRXFailure& failure);
// Domain "SRXICURegexErrorDomain", code = the ICU status, the given description.
std::shared_ptr<NSError> SRXMakeICUError(const SRXFailure& failure, const NSString& description);
