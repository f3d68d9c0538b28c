#include "ui/SRXRegexReport.h"

#include <unicode/ustring.h>

const NSString SRXICURegexException = "SRXICURegexException";
const NSString SRXICURegexErrorDomain = "SRXICURegexErrorDomain";
const NSString SRXICURegexRegexErrorKey = "SRXICURegexRegex";
const NSString SRXICURegexRegexOptionsErrorKey = "SRXICURegexRegexOptions";
const NSString SRXICURegexErrorCodeErrorKey = "SRXICURegexErrorCode";
const NSString SRXICURegexErrorNameErrorKey = "SRXICURegexErrorName";
const NSString SRXICURegexSubjectStringErrorKey = "SRXICURegexSubjectString";
const NSString SRXICURegexSubjectRangeErrorKey = "SRXICURegexSubjectRange";
const NSString SRXICURegexReplacedCountErrorKey = "SRXICURegexReplacedCount";
const NSString SRXICURegexEnumerationOptionsErrorKey = "SRXICURegexEnumerationOptions";
const NSString SRXICURegexLineErrorKey = "SRXICURegexLine";
const NSString SRXICURegexOffsetErrorKey = "SRXICURegexOffset";
const NSString SRXICURegexPreContextErrorKey = "SRXICURegexPreContext";
const NSString SRXICURegexPostContextErrorKey = "SRXICURegexPostContext";
const NSString SRXLocalizedFailureReasonErrorKey = "NSLocalizedFailureReason";

NSString SRXFormatReason(const SRXCall& call, const NSString& message)
{
    return NSString::stringWithFormat("*** %c[%s %s]: %@", call.classMethod ? '+' : '-', call.className,
                                      call.selector, message);
}

void SRXRaiseDelayed(const SRXCall& call, const NSException& prepared)
{
    throw NSException(prepared.name(), SRXFormatReason(call, prepared.reason()), prepared.userInfo());
}

std::map<NSString, NSString> SRXMakeUserInfo(const SRXFailure& f)
{
    std::map<NSString, NSString> info;
    const NSString errorName = u_errorName(f.status);
    info[SRXICURegexRegexErrorKey] = f.regex.isNil() ? NSString("<NULL regex>") : f.regex;
    info[SRXICURegexRegexOptionsErrorKey] = NSString::stringWithFormat("%u", f.options);
    info[SRXICURegexErrorCodeErrorKey] = NSString::stringWithFormat("%d", static_cast<int>(f.status));
    info[SRXICURegexErrorNameErrorKey] = errorName;
    if (f.subject) info[SRXICURegexSubjectStringErrorKey] = *f.subject;
    if (f.range)
        info[SRXICURegexSubjectRangeErrorKey] = NSString::stringWithFormat("{%lu, %lu}", f.range->location, f.range->length);
    if (f.replacedCount) info[SRXICURegexReplacedCountErrorKey] = NSString::stringWithFormat("%ld", *f.replacedCount);
    if (f.enumerationOptions)
        info[SRXICURegexEnumerationOptionsErrorKey] = NSString::stringWithFormat("%lu", *f.enumerationOptions);
    if (f.parseError && f.parseError->line != -1) {
        const UParseError& pe = *f.parseError;
        const NSString pre = NSString::stringWithCharacters(pe.preContext, u_strlen(pe.preContext));
        const NSString post = NSString::stringWithCharacters(pe.postContext, u_strlen(pe.postContext));
        info[SRXICURegexLineErrorKey] = NSString::stringWithFormat("%d", pe.line);
        info[SRXICURegexOffsetErrorKey] = NSString::stringWithFormat("%d", pe.offset);
        info[SRXICURegexPreContextErrorKey] = pre;
        info[SRXICURegexPostContextErrorKey] = post;
        info[SRXLocalizedFailureReasonErrorKey] = NSString::stringWithFormat(
            "The error %@ occurred at line %d, column %d: %@<<HERE>>%@", errorName, pe.line, pe.offset, pre, post);
    } else {
        info[SRXLocalizedFailureReasonErrorKey] = NSString::stringWithFormat("The error %@ occurred.", errorName);
    }
    return info;
}

NSException SRXMakeICUException(const SRXFailure& f)
{
    return NSException(SRXICURegexException,
                       NSString::stringWithFormat("ICU regular expression error #%d, %s.", static_cast<int>(f.status),
                                                  u_errorName(f.status)),
                       SRXMakeUserInfo(f));
}

std::shared_ptr<NSError> SRXMakeICUError(const SRXFailure& f, const NSString& description)
{
    auto info = SRXMakeUserInfo(f);
    info[NSLocalizedDescriptionKey] = description;
    return NSError::errorWithDomain(SRXICURegexErrorDomain, f.status, std::move(info));
}
