#pragma once
// Regular expressions on strings (the category StringRegexAdditions of NSString
// and NSMutableString), over ICU's regular-expression API. Screens validate
// typed addresses, account names and phone numbers with isMatchedByRegex.
//
// Every function takes the receiver first. Positions, lengths and ranges count
// UTF-16 units; the range {0, SRXWholeLength} is the whole receiver and
// {NSNotFound, 0} means no range. Options are ICU's flag bits
// (UREGEX_CASE_INSENSITIVE, UREGEX_MULTILINE, ...).
//
// A nil receiver answers as a message to nil did: NO, nil, an empty result, 0,
// and {NSNotFound, 0} for ranges; nothing is raised. A nil pattern raises
// NSInvalidArgumentException; a pattern that does not compile gives the empty
// result and, when an error is asked for, an NSError of SRXICURegexErrorDomain.
// Ranges outside the receiver raise NSRangeException; ICU failures while
// matching raise SRXICURegexException. Thread-safe: one lock guards the shared
// compiled-pattern cache, and blocks run without it.

#include <map>
#include <utility>
#include <vector>

#include "ui/SRXRegexEngine.h"

using SRXKeysAndCaptures = std::vector<std::pair<NSString, NSInteger>>;

// ---- Class methods ------------------------------------------------------------

void clearStringCache();
NSInteger captureCountForRegex(const NSString& regex);
NSInteger captureCountForRegex(const NSString& regex, SRXRegexOptions options, std::shared_ptr<NSError>* error);

// ---- The receiver as pattern ----------------------------------------------------

NSInteger captureCount(const NSString& self);
NSInteger captureCountWithOptions(const NSString& self, SRXRegexOptions options, std::shared_ptr<NSError>* error);
bool isRegexValid(const NSString& self);
bool isRegexValidWithOptions(const NSString& self, SRXRegexOptions options, std::shared_ptr<NSError>* error);

// ---- The receiver as subject ----------------------------------------------------

// Drops the cache's copies of the receiver's characters.
void flushCachedRegexData(const NSString& self);

bool isMatchedByRegex(const NSString& self, const NSString& regex);
bool isMatchedByRegex(const NSString& self, const NSString& regex, NSRange inRange);
bool isMatchedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                      std::shared_ptr<NSError>* error);

NSRange rangeOfRegex(const NSString& self, const NSString& regex);
NSRange rangeOfRegex(const NSString& self, const NSString& regex, NSInteger capture);
NSRange rangeOfRegex(const NSString& self, const NSString& regex, NSRange inRange);
NSRange rangeOfRegex(const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                     NSInteger capture, std::shared_ptr<NSError>* error);

NSString stringByMatching(const NSString& self, const NSString& regex);
NSString stringByMatching(const NSString& self, const NSString& regex, NSInteger capture);
NSString stringByMatching(const NSString& self, const NSString& regex, NSRange inRange);
NSString stringByMatching(const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                          NSInteger capture, std::shared_ptr<NSError>* error);

// The pieces between matches, each followed by the captures of the match that
// ends it; trailing empty pieces are dropped, leading ones kept.
std::vector<NSString> componentsSeparatedByRegex(const NSString& self, const NSString& regex);
std::vector<NSString> componentsSeparatedByRegex(const NSString& self, const NSString& regex, NSRange range);
std::vector<NSString> componentsSeparatedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                                 NSRange range, std::shared_ptr<NSError>* error);

std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex);
std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex, NSInteger capture);
std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex, NSRange range);
std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                               NSRange range, NSInteger capture, std::shared_ptr<NSError>* error);

// The first match and all its captures ("" for a capture that did not take part).
std::vector<NSString> captureComponentsMatchedByRegex(const NSString& self, const NSString& regex);
std::vector<NSString> captureComponentsMatchedByRegex(const NSString& self, const NSString& regex, NSRange range);
std::vector<NSString> captureComponentsMatchedByRegex(const NSString& self, const NSString& regex,
                                                      SRXRegexOptions options, NSRange range,
                                                      std::shared_ptr<NSError>* error);

std::vector<std::vector<NSString>> arrayOfCaptureComponentsMatchedByRegex(const NSString& self, const NSString& regex);
std::vector<std::vector<NSString>> arrayOfCaptureComponentsMatchedByRegex(const NSString& self, const NSString& regex,
                                                                          NSRange range);
std::vector<std::vector<NSString>> arrayOfCaptureComponentsMatchedByRegex(const NSString& self, const NSString& regex,
                                                                          SRXRegexOptions options, NSRange range,
                                                                          std::shared_ptr<NSError>* error);

// Key -> captured string of the first match; a capture that did not take part
// leaves its key out.
std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex,
                                                       const SRXKeysAndCaptures& keysAndCaptures);
std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex, NSRange range,
                                                       const SRXKeysAndCaptures& keysAndCaptures);
std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex,
                                                       SRXRegexOptions options, NSRange range,
                                                       std::shared_ptr<NSError>* error,
                                                       const SRXKeysAndCaptures& keysAndCaptures);
std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex,
                                                       SRXRegexOptions options, NSRange range,
                                                       std::shared_ptr<NSError>* error,
                                                       std::span<const NSString> withKeys,
                                                       std::span<const NSInteger> forCaptures, NSUInteger count);

std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, const SRXKeysAndCaptures& keysAndCaptures);
std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, NSRange range, const SRXKeysAndCaptures& keysAndCaptures);
std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange range,
    std::shared_ptr<NSError>* error, const SRXKeysAndCaptures& keysAndCaptures);
std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange range,
    std::shared_ptr<NSError>* error, std::span<const NSString> withKeys, std::span<const NSInteger> forCaptures,
    NSUInteger count);

// Replacement templates are ICU's: $n is capture n, \$ a dollar sign. The
// result is the range's text with every match replaced.
NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, const NSString& withString);
NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, const NSString& withString,
                                             NSRange range);
NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, const NSString& withString,
                                             SRXRegexOptions options, NSRange range, std::shared_ptr<NSError>* error);

// ---- Blocks ---------------------------------------------------------------------

bool enumerateStringsMatchedByRegex(const NSString& self, const NSString& regex, const SRXEnumerationBlock& block);
bool enumerateStringsMatchedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                    NSRange inRange, std::shared_ptr<NSError>* error,
                                    SRXRegexEnumerationOptions enumerationOptions, const SRXEnumerationBlock& block);

bool enumerateStringsSeparatedByRegex(const NSString& self, const NSString& regex, const SRXEnumerationBlock& block);
bool enumerateStringsSeparatedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                      NSRange inRange, std::shared_ptr<NSError>* error,
                                      SRXRegexEnumerationOptions enumerationOptions, const SRXEnumerationBlock& block);

NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex,
                                             const SRXReplacementBlock& block);
NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                             NSRange inRange, std::shared_ptr<NSError>* error,
                                             SRXRegexEnumerationOptions enumerationOptions,
                                             const SRXReplacementBlock& block);

// ---- NSMutableString: the receiver changes in place --------------------------------

// Count of replacements, -1 on failure.
NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const NSString& withString);
NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const NSString& withString, NSRange range);
NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const NSString& withString,
                                    SRXRegexOptions options, NSRange range, std::shared_ptr<NSError>* error);
NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const SRXReplacementBlock& block);
NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                                    std::shared_ptr<NSError>* error, SRXRegexEnumerationOptions enumerationOptions,
                                    const SRXReplacementBlock& block);
