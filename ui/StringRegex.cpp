#include "ui/StringRegex.h"

namespace {

constexpr NSRange kWhole{0, SRXWholeLength};
constexpr NSUInteger kNotFound = static_cast<NSUInteger>(NSNotFound);

constexpr SRXCall on(const char* selector) { return {"NSString", selector}; }
constexpr SRXCall onMutable(const char* selector) { return {"NSMutableString", selector}; }

NSInteger countCaptures(const SRXCall& call, const NSString& regex, SRXRegexOptions options,
                        std::shared_ptr<NSError>* error)
{
    if (regex.isNil()) SRXRaiseDelayed(call, NSException(NSInvalidArgumentException, "The regular expression argument is NULL."));
    if (error) *error = nullptr;
    std::optional<NSException> pending;
    NSInteger count = -1;
    SRXRegexCache& cache = SRXRegexCache::shared();
    {
        std::lock_guard locked(cache.lock());
        if (const SRXCachedRegex* slot = cache.lookUpCachedRegex(regex, options, error, &pending))
            count = slot->captureCount;
    }
    if (pending) SRXRaiseDelayed(call, *pending);
    return count;
}

SRXResult perform(const SRXCall& call, unsigned op, const NSString& self, const NSString& regex,
                  SRXRegexOptions options, NSRange range, NSInteger capture, std::shared_ptr<NSError>* error,
                  const NSString* replacement = nullptr, const SRXKeyCaptures* keys = nullptr)
{
    return SRXPerformRegexOp(call, op, regex, options, capture, self, range, replacement, error, keys);
}

NSRange findRange(const SRXCall& call, const NSString& self, const NSString& regex, SRXRegexOptions options,
                  NSRange range, NSInteger capture, std::shared_ptr<NSError>* error)
{
    if (self.isNil()) return SRXNoRange;
    return SRXRangeOfRegex(call, regex, options, capture, self, range, error);
}

NSString match(const SRXCall& call, const NSString& self, const NSString& regex, SRXRegexOptions options,
               NSRange range, NSInteger capture, std::shared_ptr<NSError>* error)
{
    const NSRange found = findRange(call, self, regex, options, range, capture, error);
    if (found.location == kNotFound) return NSString();
    return self.substringWithRange(found);
}

std::vector<NSString> strings(const SRXCall& call, unsigned op, const NSString& self, const NSString& regex,
                              SRXRegexOptions options, NSRange range, NSInteger capture,
                              std::shared_ptr<NSError>* error)
{
    if (self.isNil()) return {};
    return perform(call, op, self, regex, options, range, capture, error).strings;
}

std::vector<std::map<NSString, NSString>> dictionaries(const SRXCall& call, unsigned op, const NSString& self,
                                                       const NSString& regex, SRXRegexOptions options, NSRange range,
                                                       std::shared_ptr<NSError>* error, const SRXKeyCaptures& keys)
{
    if (self.isNil()) return {};
    return perform(call, op, self, regex, options, range, 0, error, nullptr, &keys).dictionaries;
}

// Keys and captures of a pair list, as the two parallel lists the engine takes.
struct PairList {
    explicit PairList(const SRXKeysAndCaptures& pairs)
    {
        for (const auto& [key, capture] : pairs) {
            keys.push_back(key);
            captures.push_back(capture);
        }
    }
    SRXKeyCaptures view() const { return {keys, captures, keys.size()}; }
    std::vector<NSString> keys;
    std::vector<NSInteger> captures;
};

std::map<NSString, NSString> firstDictionary(std::vector<std::map<NSString, NSString>> all)
{
    return all.empty() ? std::map<NSString, NSString>() : std::move(all.front());
}

NSString replaced(const SRXCall& call, const NSString& self, const NSString& regex, const NSString& replacement,
                  SRXRegexOptions options, NSRange range, std::shared_ptr<NSError>* error)
{
    if (self.isNil()) return NSString();
    return perform(call, SRXOpReplace, self, regex, options, range, 0, error, &replacement).string;
}

// self with the characters of range replaced by text.
NSString replaceCharacters(const NSString& self, NSRange range, const NSString& text)
{
    std::u16string units = self.utf16();
    units.replace(range.location, range.length, text.utf16());
    return NSString::stringWithUTF16(units);
}

NSInteger replaceInPlace(const SRXCall& call, NSString& self, const NSString& regex, const NSString& replacement,
                         SRXRegexOptions options, NSRange range, std::shared_ptr<NSError>* error)
{
    if (self.isNil()) return 0;
    const SRXResult r = perform(call, SRXOpReplace | SRXOpMutableFlag, self, regex, options, range, 0, error, &replacement);
    if (r.made && r.count >= 1) self = replaceCharacters(self, range, r.string);
    return r.count;
}

bool enumerate(const SRXCall& call, unsigned op, const NSString& self, const NSString& regex, SRXRegexOptions options,
               NSRange range, std::shared_ptr<NSError>* error, SRXRegexEnumerationOptions enumerationOptions,
               const SRXEnumerationBlock& block)
{
    if (self.isNil()) return false;
    NSInteger calls = 0;
    bool success = false;
    SRXPerformEnumerationUsingBlock(call, op, regex, options, self, range, SRXBlockEnumerate, enumerationOptions,
                                    &calls, &success, error, block, nullptr);
    return success;
}

// The replacing enumeration: the new text of range, its success and block calls.
struct BlockReplacement {
    NSString text;
    NSInteger calls = -1;
    bool success = false;
};

BlockReplacement replaceWithBlock(const SRXCall& call, const NSString& self, const NSString& regex,
                                  SRXRegexOptions options, NSRange& range, std::shared_ptr<NSError>* error,
                                  SRXRegexEnumerationOptions enumerationOptions, const SRXReplacementBlock& block)
{
    BlockReplacement r;
    r.text = SRXPerformEnumerationUsingBlock(call, SRXOpCaptures, regex, options, self, range, SRXBlockReplace,
                                             enumerationOptions, &r.calls, &r.success, error, nullptr, block);
    return r;
}

NSInteger replaceInPlaceWithBlock(const SRXCall& call, NSString& self, const NSString& regex, SRXRegexOptions options,
                                  NSRange range, std::shared_ptr<NSError>* error,
                                  SRXRegexEnumerationOptions enumerationOptions, const SRXReplacementBlock& block)
{
    if (self.isNil()) return 0;
    const BlockReplacement r = replaceWithBlock(call, self, regex, options, range, error, enumerationOptions, block);
    if (!r.success) return -1;
    if (r.calls > 0) self = replaceCharacters(self, range, r.text);
    return r.calls;
}

}  // namespace

// ---- Class methods and the receiver as pattern -------------------------------------

void clearStringCache()
{
    SRXRegexCache& cache = SRXRegexCache::shared();
    std::lock_guard locked(cache.lock());
    cache.flushAllCaches();
}

NSInteger captureCountForRegex(const NSString& regex)
{
    return countCaptures({"NSString", "captureCountForRegex:", true}, regex, 0, nullptr);
}

NSInteger captureCountForRegex(const NSString& regex, SRXRegexOptions options, std::shared_ptr<NSError>* error)
{
    return countCaptures({"NSString", "captureCountForRegex:options:error:", true}, regex, options, error);
}

NSInteger captureCount(const NSString& self)
{
    return self.isNil() ? -1 : countCaptures(on("captureCount"), self, 0, nullptr);
}

NSInteger captureCountWithOptions(const NSString& self, SRXRegexOptions options, std::shared_ptr<NSError>* error)
{
    return self.isNil() ? -1 : countCaptures(on("captureCountWithOptions:error:"), self, options, error);
}

bool isRegexValid(const NSString& self)
{
    return !self.isNil() && countCaptures(on("isRegexValid"), self, 0, nullptr) != -1;
}

bool isRegexValidWithOptions(const NSString& self, SRXRegexOptions options, std::shared_ptr<NSError>* error)
{
    return !self.isNil() && countCaptures(on("isRegexValidWithOptions:error:"), self, options, error) != -1;
}

void flushCachedRegexData(const NSString& self)
{
    if (self.isNil()) return;
    SRXRegexCache& cache = SRXRegexCache::shared();
    std::lock_guard locked(cache.lock());
    cache.flushCachedRegexData(self);
}

// ---- Matching ---------------------------------------------------------------------

bool isMatchedByRegex(const NSString& self, const NSString& regex)
{
    return findRange(on("isMatchedByRegex:"), self, regex, 0, kWhole, 0, nullptr).location != kNotFound;
}

bool isMatchedByRegex(const NSString& self, const NSString& regex, NSRange inRange)
{
    return findRange(on("isMatchedByRegex:inRange:"), self, regex, 0, inRange, 0, nullptr).location != kNotFound;
}

bool isMatchedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                      std::shared_ptr<NSError>* error)
{
    return findRange(on("isMatchedByRegex:options:inRange:error:"), self, regex, options, inRange, 0, error).location !=
           kNotFound;
}

NSRange rangeOfRegex(const NSString& self, const NSString& regex)
{
    return findRange(on("rangeOfRegex:"), self, regex, 0, kWhole, 0, nullptr);
}

NSRange rangeOfRegex(const NSString& self, const NSString& regex, NSInteger capture)
{
    return findRange(on("rangeOfRegex:capture:"), self, regex, 0, kWhole, capture, nullptr);
}

NSRange rangeOfRegex(const NSString& self, const NSString& regex, NSRange inRange)
{
    return findRange(on("rangeOfRegex:inRange:"), self, regex, 0, inRange, 0, nullptr);
}

NSRange rangeOfRegex(const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                     NSInteger capture, std::shared_ptr<NSError>* error)
{
    return findRange(on("rangeOfRegex:options:inRange:capture:error:"), self, regex, options, inRange, capture, error);
}

NSString stringByMatching(const NSString& self, const NSString& regex)
{
    return match(on("stringByMatching:"), self, regex, 0, kWhole, 0, nullptr);
}

NSString stringByMatching(const NSString& self, const NSString& regex, NSInteger capture)
{
    return match(on("stringByMatching:capture:"), self, regex, 0, kWhole, capture, nullptr);
}

NSString stringByMatching(const NSString& self, const NSString& regex, NSRange inRange)
{
    return match(on("stringByMatching:inRange:"), self, regex, 0, inRange, 0, nullptr);
}

NSString stringByMatching(const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                          NSInteger capture, std::shared_ptr<NSError>* error)
{
    return match(on("stringByMatching:options:inRange:capture:error:"), self, regex, options, inRange, capture, error);
}

// ---- Arrays and dictionaries ---------------------------------------------------------

std::vector<NSString> componentsSeparatedByRegex(const NSString& self, const NSString& regex)
{
    return strings(on("componentsSeparatedByRegex:"), SRXOpSplit, self, regex, 0, kWhole, 0, nullptr);
}

std::vector<NSString> componentsSeparatedByRegex(const NSString& self, const NSString& regex, NSRange range)
{
    return strings(on("componentsSeparatedByRegex:range:"), SRXOpSplit, self, regex, 0, range, 0, nullptr);
}

std::vector<NSString> componentsSeparatedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                                 NSRange range, std::shared_ptr<NSError>* error)
{
    return strings(on("componentsSeparatedByRegex:options:range:error:"), SRXOpSplit, self, regex, options, range, 0,
                   error);
}

std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex)
{
    return strings(on("componentsMatchedByRegex:"), SRXOpMatchStrings, self, regex, 0, kWhole, 0, nullptr);
}

std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex, NSInteger capture)
{
    return strings(on("componentsMatchedByRegex:capture:"), SRXOpMatchStrings, self, regex, 0, kWhole, capture, nullptr);
}

std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex, NSRange range)
{
    return strings(on("componentsMatchedByRegex:range:"), SRXOpMatchStrings, self, regex, 0, range, 0, nullptr);
}

std::vector<NSString> componentsMatchedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                               NSRange range, NSInteger capture, std::shared_ptr<NSError>* error)
{
    return strings(on("componentsMatchedByRegex:options:range:capture:error:"), SRXOpMatchStrings, self, regex, options,
                   range, capture, error);
}

std::vector<NSString> captureComponentsMatchedByRegex(const NSString& self, const NSString& regex)
{
    return strings(on("captureComponentsMatchedByRegex:"), SRXOpCaptures, self, regex, 0, kWhole, 0, nullptr);
}

std::vector<NSString> captureComponentsMatchedByRegex(const NSString& self, const NSString& regex, NSRange range)
{
    return strings(on("captureComponentsMatchedByRegex:range:"), SRXOpCaptures, self, regex, 0, range, 0, nullptr);
}

std::vector<NSString> captureComponentsMatchedByRegex(const NSString& self, const NSString& regex,
                                                      SRXRegexOptions options, NSRange range,
                                                      std::shared_ptr<NSError>* error)
{
    return strings(on("captureComponentsMatchedByRegex:options:range:error:"), SRXOpCaptures, self, regex, options,
                   range, 0, error);
}

namespace {
std::vector<std::vector<NSString>> captureArrays(const SRXCall& call, const NSString& self, const NSString& regex,
                                                 SRXRegexOptions options, NSRange range,
                                                 std::shared_ptr<NSError>* error)
{
    if (self.isNil()) return {};
    return perform(call, SRXOpCaptureArrays | SRXOpNestedFlag, self, regex, options, range, 0, error).arrays;
}
}  // namespace

std::vector<std::vector<NSString>> arrayOfCaptureComponentsMatchedByRegex(const NSString& self, const NSString& regex)
{
    return captureArrays(on("arrayOfCaptureComponentsMatchedByRegex:"), self, regex, 0, kWhole, nullptr);
}

std::vector<std::vector<NSString>> arrayOfCaptureComponentsMatchedByRegex(const NSString& self, const NSString& regex,
                                                                          NSRange range)
{
    return captureArrays(on("arrayOfCaptureComponentsMatchedByRegex:range:"), self, regex, 0, range, nullptr);
}

std::vector<std::vector<NSString>> arrayOfCaptureComponentsMatchedByRegex(const NSString& self, const NSString& regex,
                                                                          SRXRegexOptions options, NSRange range,
                                                                          std::shared_ptr<NSError>* error)
{
    return captureArrays(on("arrayOfCaptureComponentsMatchedByRegex:options:range:error:"), self, regex, options, range,
                         error);
}

std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex,
                                                       const SRXKeysAndCaptures& keysAndCaptures)
{
    return firstDictionary(dictionaries(on("dictionaryByMatchingRegex:withKeysAndCaptures:"), SRXOpCaptureDictionary,
                                        self, regex, 0, kWhole, nullptr, PairList(keysAndCaptures).view()));
}

std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex, NSRange range,
                                                       const SRXKeysAndCaptures& keysAndCaptures)
{
    return firstDictionary(dictionaries(on("dictionaryByMatchingRegex:range:withKeysAndCaptures:"),
                                        SRXOpCaptureDictionary, self, regex, 0, range, nullptr,
                                        PairList(keysAndCaptures).view()));
}

std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex,
                                                       SRXRegexOptions options, NSRange range,
                                                       std::shared_ptr<NSError>* error,
                                                       const SRXKeysAndCaptures& keysAndCaptures)
{
    return firstDictionary(dictionaries(on("dictionaryByMatchingRegex:options:range:error:withKeysAndCaptures:"),
                                        SRXOpCaptureDictionary, self, regex, options, range, error,
                                        PairList(keysAndCaptures).view()));
}

std::map<NSString, NSString> dictionaryByMatchingRegex(const NSString& self, const NSString& regex,
                                                       SRXRegexOptions options, NSRange range,
                                                       std::shared_ptr<NSError>* error,
                                                       std::span<const NSString> withKeys,
                                                       std::span<const NSInteger> forCaptures, NSUInteger count)
{
    return firstDictionary(dictionaries(on("dictionaryByMatchingRegex:options:range:error:withKeys:forCaptures:count:"),
                                        SRXOpCaptureDictionary, self, regex, options, range, error,
                                        {withKeys, forCaptures, count}));
}

std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, const SRXKeysAndCaptures& keysAndCaptures)
{
    return dictionaries(on("arrayOfDictionariesByMatchingRegex:withKeysAndCaptures:"), SRXOpCaptureDictionaries, self,
                        regex, 0, kWhole, nullptr, PairList(keysAndCaptures).view());
}

std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, NSRange range, const SRXKeysAndCaptures& keysAndCaptures)
{
    return dictionaries(on("arrayOfDictionariesByMatchingRegex:range:withKeysAndCaptures:"), SRXOpCaptureDictionaries,
                        self, regex, 0, range, nullptr, PairList(keysAndCaptures).view());
}

std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange range,
    std::shared_ptr<NSError>* error, const SRXKeysAndCaptures& keysAndCaptures)
{
    return dictionaries(on("arrayOfDictionariesByMatchingRegex:options:range:error:withKeysAndCaptures:"),
                        SRXOpCaptureDictionaries, self, regex, options, range, error, PairList(keysAndCaptures).view());
}

std::vector<std::map<NSString, NSString>> arrayOfDictionariesByMatchingRegex(
    const NSString& self, const NSString& regex, SRXRegexOptions options, NSRange range,
    std::shared_ptr<NSError>* error, std::span<const NSString> withKeys, std::span<const NSInteger> forCaptures,
    NSUInteger count)
{
    return dictionaries(on("arrayOfDictionariesByMatchingRegex:options:range:error:withKeys:forCaptures:count:"),
                        SRXOpCaptureDictionaries, self, regex, options, range, error, {withKeys, forCaptures, count});
}

// ---- Replacing ------------------------------------------------------------------------

NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, const NSString& withString)
{
    return replaced(on("stringByReplacingOccurrencesOfRegex:withString:"), self, regex, withString, 0, kWhole, nullptr);
}

NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, const NSString& withString,
                                             NSRange range)
{
    return replaced(on("stringByReplacingOccurrencesOfRegex:withString:range:"), self, regex, withString, 0, range,
                    nullptr);
}

NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, const NSString& withString,
                                             SRXRegexOptions options, NSRange range, std::shared_ptr<NSError>* error)
{
    return replaced(on("stringByReplacingOccurrencesOfRegex:withString:options:range:error:"), self, regex, withString,
                    options, range, error);
}

NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const NSString& withString)
{
    return replaceInPlace(onMutable("replaceOccurrencesOfRegex:withString:"), self, regex, withString, 0, kWhole,
                          nullptr);
}

NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const NSString& withString, NSRange range)
{
    return replaceInPlace(onMutable("replaceOccurrencesOfRegex:withString:range:"), self, regex, withString, 0, range,
                          nullptr);
}

NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const NSString& withString,
                                    SRXRegexOptions options, NSRange range, std::shared_ptr<NSError>* error)
{
    return replaceInPlace(onMutable("replaceOccurrencesOfRegex:withString:options:range:error:"), self, regex,
                          withString, options, range, error);
}

// ---- Blocks -------------------------------------------------------------------------------

bool enumerateStringsMatchedByRegex(const NSString& self, const NSString& regex, const SRXEnumerationBlock& block)
{
    return enumerate(on("enumerateStringsMatchedByRegex:usingBlock:"), SRXOpCaptures, self, regex, 0, kWhole, nullptr,
                     0, block);
}

bool enumerateStringsMatchedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                    NSRange inRange, std::shared_ptr<NSError>* error,
                                    SRXRegexEnumerationOptions enumerationOptions, const SRXEnumerationBlock& block)
{
    return enumerate(on("enumerateStringsMatchedByRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                     SRXOpCaptures, self, regex, options, inRange, error, enumerationOptions, block);
}

bool enumerateStringsSeparatedByRegex(const NSString& self, const NSString& regex, const SRXEnumerationBlock& block)
{
    return enumerate(on("enumerateStringsSeparatedByRegex:usingBlock:"), SRXOpSplit, self, regex, 0, kWhole, nullptr, 0,
                     block);
}

bool enumerateStringsSeparatedByRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                      NSRange inRange, std::shared_ptr<NSError>* error,
                                      SRXRegexEnumerationOptions enumerationOptions, const SRXEnumerationBlock& block)
{
    return enumerate(on("enumerateStringsSeparatedByRegex:options:inRange:error:enumerationOptions:usingBlock:"),
                     SRXOpSplit, self, regex, options, inRange, error, enumerationOptions, block);
}

NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex,
                                             const SRXReplacementBlock& block)
{
    if (self.isNil()) return NSString();
    NSRange range = kWhole;
    return replaceWithBlock(on("stringByReplacingOccurrencesOfRegex:usingBlock:"), self, regex, 0, range, nullptr, 0,
                            block)
        .text;
}

NSString stringByReplacingOccurrencesOfRegex(const NSString& self, const NSString& regex, SRXRegexOptions options,
                                             NSRange inRange, std::shared_ptr<NSError>* error,
                                             SRXRegexEnumerationOptions enumerationOptions,
                                             const SRXReplacementBlock& block)
{
    if (self.isNil()) return NSString();
    return replaceWithBlock(
               on("stringByReplacingOccurrencesOfRegex:options:inRange:error:enumerationOptions:usingBlock:"), self,
               regex, options, inRange, error, enumerationOptions, block)
        .text;
}

NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, const SRXReplacementBlock& block)
{
    return replaceInPlaceWithBlock(onMutable("replaceOccurrencesOfRegex:usingBlock:"), self, regex, 0, kWhole, nullptr,
                                   0, block);
}

NSInteger replaceOccurrencesOfRegex(NSString& self, const NSString& regex, SRXRegexOptions options, NSRange inRange,
                                    std::shared_ptr<NSError>* error, SRXRegexEnumerationOptions enumerationOptions,
                                    const SRXReplacementBlock& block)
{
    return replaceInPlaceWithBlock(
        onMutable("replaceOccurrencesOfRegex:options:inRange:error:enumerationOptions:usingBlock:"), self, regex,
        options, inRange, error, enumerationOptions, block);
}
