#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include "ui/StringRegex.h"

namespace {

constexpr NSUInteger kNotFound = static_cast<NSUInteger>(NSNotFound);

// The reason text of the NSException a call raises, with its name checked.
template <class F>
std::string reasonOf(F&& call, const NSString& expectedName)
{
    try {
        call();
    } catch (const NSException& e) {
        EXPECT_EQ(e.name(), expectedName) << e.reason();
        return e.reason().str();
    }
    ADD_FAILURE() << "nothing was raised";
    return {};
}

using Strings = std::vector<NSString>;

}  // namespace

// ---- Validation as the screens use it --------------------------------------------

struct MatchCase {
    const char* pattern;
    const char* subject;
    bool matched;
};

TEST(StringRegex, ScreenPatternsValidateTypedEntries)
{
    const char* url = R"(([\w-]+\.)+[\w-]+(/[\w- ./?%&=]*)?)";
    const MatchCase cases[] = {
        // family numbers
        {"^[0-9]{7,11}$", "1234567", true},
        {"^[0-9]{7,11}$", "13812345678", true},
        {"^[0-9]{7,11}$", "123456", false},
        {"^[0-9]{7,11}$", "138123456789", false},
        {"^[0-9]{7,11}$", "1381234567a", false},
        {"^[0-9]{7,11}$", "", false},
        {"^[0-9]{7,11}$", "１２３４５６７", false},  // full-width digits are not [0-9]
        // sign-up phone numbers
        {"^[0-9]{11}$", "13812345678", true},
        {"^[0-9]{11}$", "1381234567", false},
        // account names, checked one character at a time
        {"^[A-Za-z0-9]+$", "a", true},
        {"^[A-Za-z0-9]+$", "Z", true},
        {"^[A-Za-z0-9]+$", "7", true},
        {"^[A-Za-z0-9]+$", "_", false},
        {"^[A-Za-z0-9]+$", "中", false},
        {"^[A-Za-z0-9]+$", "😀", false},
        {"^[A-Za-z0-9]+$", " ", false},
        // black-list addresses: matched anywhere in the text
        {url, "www.example.com", true},
        {url, "http://news.sina.com.cn/index.html?a=1&b=2", true},
        {url, "example.com/path with space", true},
        {url, "localhost", false},
        {url, "中文.网址", true},  // \w is Unicode-aware in ICU
        {url, "", false},
        // a pattern that matches the empty string matches an empty subject
        {"^$", "", true},
        {"a*", "", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(isMatchedByRegex(c.subject, c.pattern), c.matched) << c.pattern << " on \"" << c.subject << "\"";
}

TEST(StringRegex, NilReceiverAnswersLikeAMessageToNil)
{
    const NSString nil;
    EXPECT_FALSE(isMatchedByRegex(nil, "^$"));
    EXPECT_EQ(rangeOfRegex(nil, "a"), SRXNoRange);
    EXPECT_TRUE(stringByMatching(nil, "a").isNil());
    EXPECT_TRUE(componentsSeparatedByRegex(nil, ",").empty());
    EXPECT_TRUE(stringByReplacingOccurrencesOfRegex(nil, "a", "b").isNil());
    EXPECT_TRUE(dictionaryByMatchingRegex(nil, "(a)", {{"k", 1}}).empty());
    EXPECT_FALSE(isRegexValid(nil));
    EXPECT_EQ(captureCount(nil), -1);
    NSString target;
    EXPECT_EQ(replaceOccurrencesOfRegex(target, "a", "b"), 0);
    EXPECT_TRUE(target.isNil());
    int calls = 0;
    EXPECT_FALSE(enumerateStringsMatchedByRegex(nil, "a", [&](NSInteger, auto, auto, bool&) { ++calls; }));
    EXPECT_EQ(calls, 0);
}

// ---- Ranges in UTF-16 units ---------------------------------------------------------

struct RangeCase {
    const char* subject;
    const char* pattern;
    NSInteger capture;
    NSRange expected;
};

TEST(StringRegex, RangesCountUTF16UnitsAcrossChineseAndSurrogatePairs)
{
    const RangeCase cases[] = {
        {"abc", "b", 0, {1, 1}},
        {"家长控制", "控制", 0, {2, 2}},
        {"😀x", "x", 0, {2, 1}},              // the emoji is two units
        {"a😀b", "😀", 0, {1, 2}},
        {"a😀b", ".", 0, {0, 1}},
        {"😀😀", "(😀)$", 1, {2, 2}},
        {"手机:13812345678", "[0-9]+", 0, {3, 11}},
        {"x𠀀y", "y", 0, {3, 1}},             // a CJK ideograph outside the basic plane
        {"13812345678家z", "z", 0, {12, 1}},  // other characters after a run of ASCII ones
        {"abcdefgh😀z", "z", 0, {10, 1}},
        {"abcdefgh\xFFz", "z", 0, {9, 1}},   // a malformed byte is one replacement character
        {"abc", "z", 0, SRXNoRange},
        {"", "a", 0, SRXNoRange},
        {"ab", "(x)?b", 1, SRXNoRange},       // the capture took no part
        {"ab", "(x)?b", 0, {1, 1}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(rangeOfRegex(c.subject, c.pattern, c.capture), c.expected) << c.pattern << " in " << c.subject;

    EXPECT_EQ(stringByMatching("a😀b中", "[^a-z]+"), NSString("😀"));
    EXPECT_EQ(stringByMatching("a😀b中", "[^a-z]+", NSRange{3, 2}), NSString("中"));
    EXPECT_EQ(stringByMatching("key=value", "(\\w+)=(\\w+)", 2), NSString("value"));
    EXPECT_TRUE(stringByMatching("abc", "z").isNil());
    // A search limited to a range reports positions in the whole string.
    EXPECT_EQ(rangeOfRegex("abcabc", "abc", NSRange{1, 5}), NSMakeRange(3, 3));
    EXPECT_FALSE(isMatchedByRegex("abcabc", "^abc$", NSRange{1, 5}));
    EXPECT_TRUE(isMatchedByRegex("中文ABC", "abc", UREGEX_CASE_INSENSITIVE, NSRange{0, SRXWholeLength}, nullptr));
}

TEST(StringRegex, SubjectsOfEveryLengthCountOneUnitPerASCIICharacter)
{
    // Runs of ASCII of every length around the sizes copied at once, with one
    // character that is not ASCII (or a malformed byte) anywhere in them.
    for (size_t n = 0; n <= 20; ++n) {
        const std::string ascii(n, 'a');
        EXPECT_EQ(rangeOfRegex(NSString(ascii + "z"), "z$"), NSMakeRange(n, 1)) << n;
        for (size_t at = 0; at <= n; ++at)
            for (const char* other : {"\xC3\xA9", "\xFF"}) {
                const NSString subject(ascii.substr(0, at) + other + ascii.substr(at) + "z");
                EXPECT_EQ(rangeOfRegex(subject, "z$"), NSMakeRange(n + 1, 1)) << n << " " << at;
                EXPECT_EQ(rangeOfRegex(subject, "[^a]"), NSMakeRange(at, 1)) << n << " " << at;
            }
    }
}

// ---- One subject searched again and again --------------------------------------------------

TEST(StringRegex, EverySearchOfACachedSubjectStartsWhereItsRangeSays)
{
    // One pattern and one subject throughout, so the cache keeps its binding
    // while operations of every kind take turns on it.
    const NSString subject("a12b345c6");
    const NSString digits("[0-9]+");
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(subject, digits, "#"), NSString("a#b#c#"));
    EXPECT_EQ(rangeOfRegex(subject, digits), NSMakeRange(1, 2));
    EXPECT_EQ(rangeOfRegex(subject, digits), NSMakeRange(1, 2));
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(subject, digits, "#"), NSString("a#b#c#"));
    EXPECT_EQ(rangeOfRegex(subject, digits), NSMakeRange(1, 2));
    EXPECT_EQ(componentsMatchedByRegex(subject, digits), (Strings{"12", "345", "6"}));
    EXPECT_EQ(rangeOfRegex(subject, digits), NSMakeRange(1, 2));
    EXPECT_EQ(rangeOfRegex(subject, digits, NSRange{2, 7}), NSMakeRange(2, 1));
    EXPECT_EQ(rangeOfRegex(subject, digits, NSRange{3, 6}), NSMakeRange(4, 3));
    EXPECT_EQ(rangeOfRegex(subject, digits, NSRange{3, 6}), NSMakeRange(4, 3));
    EXPECT_FALSE(isMatchedByRegex(subject, digits, NSRange{7, 1}));
    EXPECT_FALSE(isMatchedByRegex(subject, digits, NSRange{7, 1}));
    EXPECT_TRUE(isMatchedByRegex(subject, digits, NSRange{7, 2}));
    EXPECT_EQ(componentsSeparatedByRegex(subject, digits), (Strings{"a", "b", "c"}));
    EXPECT_EQ(rangeOfRegex(subject, digits), NSMakeRange(1, 2));
    // An empty match is found again at the start, not one unit further on.
    EXPECT_EQ(rangeOfRegex(subject, "x*"), NSMakeRange(0, 0));
    EXPECT_EQ(rangeOfRegex(subject, "x*"), NSMakeRange(0, 0));
    EXPECT_EQ(componentsMatchedByRegex(subject, "[a-c]?"), (Strings{"a", "", "", "b", "", "", "", "c", "", ""}));
}

// ---- Captures, splits, arrays and dictionaries ------------------------------------------

TEST(StringRegex, CapturesAndMatchedComponents)
{
    EXPECT_EQ(captureComponentsMatchedByRegex("name=张三; age=30", "(\\w+)=(\\w+)"), (Strings{"name=张三", "name", "张三"}));
    EXPECT_EQ(captureComponentsMatchedByRegex("ab", "(x)?(b)"), (Strings{"b", "", "b"}));
    EXPECT_TRUE(captureComponentsMatchedByRegex("abc", "z").empty());

    EXPECT_EQ(componentsMatchedByRegex("a1b22c333", "[0-9]+"), (Strings{"1", "22", "333"}));
    EXPECT_EQ(componentsMatchedByRegex("k1=v1,k2=v2", "(\\w+)=(\\w+)", 2), (Strings{"v1", "v2"}));
    EXPECT_EQ(componentsMatchedByRegex("😀a😀", "😀"), (Strings{"😀", "😀"}));
    EXPECT_TRUE(componentsMatchedByRegex("abc", "[0-9]").empty());

    EXPECT_EQ(arrayOfCaptureComponentsMatchedByRegex("k1=v1,k2=v2", "(\\w+)=(\\w+)"),
              (std::vector<Strings>{{"k1=v1", "k1", "v1"}, {"k2=v2", "k2", "v2"}}));

    const SRXKeysAndCaptures keys{{"key", 1}, {"value", 2}, {"note", 3}};
    EXPECT_EQ(dictionaryByMatchingRegex("k1=v1,k2=v2", "(\\w+)=(\\w+)(!)?", keys),
              (std::map<NSString, NSString>{{"key", "k1"}, {"value", "v1"}}));  // "note" took no part
    EXPECT_TRUE(dictionaryByMatchingRegex("none", "(\\w+)=(\\w+)(!)?", keys).empty());
    EXPECT_EQ(arrayOfDictionariesByMatchingRegex("k1=v1,k2=", "(\\w+)=(\\w*)", {{"key", 1}, {"value", 2}}),
              (std::vector<std::map<NSString, NSString>>{{{"key", "k1"}, {"value", "v1"}},
                                                         {{"key", "k2"}, {"value", ""}}}));
    const NSString keyList[] = {"whole", "first"};
    const NSInteger captureList[] = {0, 1};
    EXPECT_EQ(dictionaryByMatchingRegex("x=1", "(\\w)=", 0, NSRange{0, SRXWholeLength}, nullptr, keyList, captureList, 2),
              (std::map<NSString, NSString>{{"whole", "x="}, {"first", "x"}}));

    EXPECT_EQ(captureCountForRegex("(a)(b(c))"), 3);
    EXPECT_EQ(captureCount("(a)(?:b)"), 1);
    EXPECT_EQ(captureCount("(a"), -1);
    EXPECT_TRUE(isRegexValid("[0-9]+"));
    EXPECT_FALSE(isRegexValid("[0-9"));
}

struct SplitCase {
    const char* subject;
    const char* pattern;
    Strings pieces;
};

TEST(StringRegex, SplitsKeepLeadingAndInnerEmptyPiecesAndDropTrailingOnes)
{
    const SplitCase cases[] = {
        {"a,b", ",", {"a", "b"}},
        {"a,b,", ",", {"a", "b"}},
        {",a,b", ",", {"", "a", "b"}},
        {"a,,b", ",", {"a", "", "b"}},
        {"a,b,,,", ",", {"a", "b"}},
        {"abc", ",", {"abc"}},
        {"", ",", {}},
        {"北京，上海，广州", "，", {"北京", "上海", "广州"}},
        {"a😀b😀c", "😀", {"a", "b", "c"}},
        {"a1b", "([0-9])", {"a", "1", "b"}},  // each piece is followed by the captures of its separator
        {"a😀b", "x*", {"a", "😀", "b"}},       // empty matches split between characters
        {"a b\tc", "\\s+", {"a", "b", "c"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(componentsSeparatedByRegex(c.subject, c.pattern), c.pieces) << c.pattern << " on " << c.subject;
    EXPECT_EQ(componentsSeparatedByRegex("a,b,c,d", ",", NSRange{2, 3}), (Strings{"b", "c"}));
}

// ---- Replacing ----------------------------------------------------------------------------

struct ReplaceCase {
    const char* subject;
    const char* pattern;
    const char* replacement;
    const char* expected;
};

TEST(StringRegex, ReplacementTemplates)
{
    const ReplaceCase cases[] = {
        {"2012-05-06", "(\\d+)-(\\d+)-(\\d+)", "$3/$2/$1", "06/05/2012"},
        {"a1b2", "[0-9]", "#", "a#b#"},
        {"price 5", "(\\d)", "\\$$1", "price $5"},
        {"张三 李四", "(\\S+) (\\S+)", "$2,$1", "李四,张三"},
        {"a😀b", "😀", "中", "a中b"},
        {"abc", "z", "y", "abc"},           // no match: the text unchanged
        {"aaa", "a", "", ""},               // everything removed
        {"a😀b", "x*", "-", "-a-😀-b-"},
        {"x", "x", "0123456789012345678901234567890123456789", "0123456789012345678901234567890123456789"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(stringByReplacingOccurrencesOfRegex(c.subject, c.pattern, c.replacement), NSString(c.expected))
            << c.pattern << " on " << c.subject;
    // A result far longer than the first guess of its size.
    std::string many(300, 'a');
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex(NSString(many), "a", "bbbbbbbbbb").length(), 3000u);
    // Only the range is replaced, and only the range is returned.
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("aaaa", "a", "b", NSRange{1, 2}), NSString("bb"));
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("abcd", "z", "y", NSRange{1, 2}), NSString("bc"));
}

TEST(StringRegex, MutableReplaceChangesTheReceiverInPlace)
{
    NSString s("a1b22c");
    EXPECT_EQ(replaceOccurrencesOfRegex(s, "[0-9]+", "#"), 2);
    EXPECT_EQ(s, NSString("a#b#c"));
    NSString ranged("1111");
    EXPECT_EQ(replaceOccurrencesOfRegex(ranged, "1", "2", NSRange{1, 2}), 2);
    EXPECT_EQ(ranged, NSString("1221"));
    NSString untouched("abc");
    EXPECT_EQ(replaceOccurrencesOfRegex(untouched, "z", "y"), 0);
    EXPECT_EQ(untouched, NSString("abc"));
    NSString bad("abc");
    EXPECT_EQ(replaceOccurrencesOfRegex(bad, "(", "y"), -1);
    EXPECT_EQ(bad, NSString("abc"));
    // The changed string is matched afresh, not from the copy cached before.
    NSString again("ab");
    EXPECT_TRUE(isMatchedByRegex(again, "^ab$"));
    replaceOccurrencesOfRegex(again, "b", "c");
    EXPECT_FALSE(isMatchedByRegex(again, "^ab$"));
    EXPECT_TRUE(isMatchedByRegex(again, "^ac$"));
}

// ---- Errors and exceptions ------------------------------------------------------------------

TEST(StringRegex, PatternThatDoesNotCompileGivesAnErrorAndTheEmptyResult)
{
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(isMatchedByRegex("abc", "(abc", 0, NSRange{0, SRXWholeLength}, &error));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), NSString("SRXICURegexErrorDomain"));
    EXPECT_EQ(error->code(), U_REGEX_MISMATCHED_PAREN);
    const auto& info = error->userInfo();
    EXPECT_EQ(info.at(NSLocalizedDescriptionKey), NSString("There was an error compiling the regular expression."));
    EXPECT_EQ(info.at("SRXICURegexRegex"), NSString("(abc"));
    EXPECT_EQ(info.at("SRXICURegexRegexOptions"), NSString("0"));
    EXPECT_EQ(info.at("SRXICURegexErrorCode"), NSString::stringWithFormat("%d", static_cast<int>(U_REGEX_MISMATCHED_PAREN)));
    EXPECT_EQ(info.at("SRXICURegexErrorName"), NSString("U_REGEX_MISMATCHED_PAREN"));
    EXPECT_EQ(info.at("SRXICURegexLine"), NSString("1"));
    const NSString reason = NSString::stringWithFormat("The error U_REGEX_MISMATCHED_PAREN occurred at line 1, column %@: %@<<HERE>>%@",
                                                       info.at("SRXICURegexOffset"), info.at("SRXICURegexPreContext"),
                                                       info.at("SRXICURegexPostContext"));
    EXPECT_EQ(info.at("NSLocalizedFailureReason"), reason);

    // Every operation gives its empty result; the error pointer is cleared on success.
    EXPECT_EQ(rangeOfRegex("abc", "["), SRXNoRange);
    EXPECT_TRUE(componentsSeparatedByRegex("a,b", "[").empty());
    EXPECT_TRUE(stringByReplacingOccurrencesOfRegex("abc", "[", "x").isNil());
    EXPECT_EQ(captureCountForRegex("[", 0, &error), -1);
    EXPECT_EQ(error->code(), U_REGEX_MISSING_CLOSE_BRACKET);
    EXPECT_EQ(captureCountForRegex("[a]", 0, &error), 0);
    EXPECT_FALSE(error);
}

TEST(StringRegex, MisuseRaisesNamedExceptions)
{
    const NSString nil;
    struct Case {
        std::function<void()> call;
        NSString name;
        const char* reason;
    };
    const Case cases[] = {
        {[&] { isMatchedByRegex("abc", nil); }, NSInvalidArgumentException,
         "*** -[NSString isMatchedByRegex:]: The regular expression argument is NULL."},
        {[&] { captureCountForRegex(nil); }, NSInvalidArgumentException,
         "*** +[NSString captureCountForRegex:]: The regular expression argument is NULL."},
        {[&] { stringByReplacingOccurrencesOfRegex("abc", "a", nil); }, NSInvalidArgumentException,
         "*** -[NSString stringByReplacingOccurrencesOfRegex:withString:]: The replacement string argument is NULL."},
        {[&] { rangeOfRegex("abc", "a", NSRange{2, 2}); }, NSRangeException,
         "*** -[NSString rangeOfRegex:inRange:]: Range or index out of bounds."},
        // a location so large that location + length wraps around
        {[&] { isMatchedByRegex("abc", "a", NSRange{SRXWholeLength - 1, 5}); }, NSRangeException,
         "*** -[NSString isMatchedByRegex:inRange:]: Range or index out of bounds."},
        {[&] { rangeOfRegex("abc", "(a)", 2); }, NSInvalidArgumentException,
         "*** -[NSString rangeOfRegex:capture:]: The capture argument is not valid."},
        {[&] { componentsMatchedByRegex("abc", "(a)", -1); }, NSInvalidArgumentException,
         "*** -[NSString componentsMatchedByRegex:capture:]: The capture argument is not valid."},
        {[&] { dictionaryByMatchingRegex("abc", "(a)", {{"k", 1}, {nil, 1}}); }, NSInvalidArgumentException,
         "*** -[NSString dictionaryByMatchingRegex:withKeysAndCaptures:]: The capture key (key 2 of 2) is NULL."},
        {[&] { dictionaryByMatchingRegex("abc", "(a)", {{"k", 2}}); }, NSInvalidArgumentException,
         "*** -[NSString dictionaryByMatchingRegex:withKeysAndCaptures:]: The capture argument 2 (capture 1 of 1) for key 'k' is not valid."},
        {[&] { dictionaryByMatchingRegex("abc", "(a)", 0, NSRange{0, 3}, nullptr, {}, {}, 1); }, NSInvalidArgumentException,
         "*** -[NSString dictionaryByMatchingRegex:options:range:error:withKeys:forCaptures:count:]: The keys argument is NULL."},
        {[&] { stringByReplacingOccurrencesOfRegex("abc", "(a)", "$5"); }, NSString("SRXICURegexException"),
         "*** -[NSString stringByReplacingOccurrencesOfRegex:withString:]: ICU regular expression error #8, U_INDEX_OUTOFBOUNDS_ERROR."},
        {[&] {
             NSString m("abc");
             replaceOccurrencesOfRegex(m, "a", "b", NSRange{4, 0});
         },
         NSRangeException, "*** -[NSMutableString replaceOccurrencesOfRegex:withString:range:]: Range or index out of bounds."},
        {[&] {
             enumerateStringsMatchedByRegex("abc", "a", 0, NSRange{0, 3}, nullptr,
                                            SRXEnumNoCapturedStrings | SRXEnumReusedCaptureStrings,
                                            [](NSInteger, auto, auto, bool&) {});
         },
         NSInvalidArgumentException,
         "*** -[NSString enumerateStringsMatchedByRegex:options:inRange:error:enumerationOptions:usingBlock:]: The SRXRegexEnumerationOptions argument is not valid."},
        {[&] {
             enumerateStringsMatchedByRegex("abc", "a", 0, NSRange{0, 3}, nullptr, SRXEnumReleaseReplacement,
                                            [](NSInteger, auto, auto, bool&) {});
         },
         NSInvalidArgumentException,
         "*** -[NSString enumerateStringsMatchedByRegex:options:inRange:error:enumerationOptions:usingBlock:]: The SRXRegexEnumerationOptions argument is not valid."},
        {[&] { stringByReplacingOccurrencesOfRegex("abc", "a", 0, NSRange{1, 3}, nullptr, 0, [](NSInteger, auto, auto, bool&) { return NSString("x"); }); },
         NSRangeException,
         "*** -[NSString stringByReplacingOccurrencesOfRegex:options:inRange:error:enumerationOptions:usingBlock:]: Range or index out of bounds."},
    };
    for (const auto& c : cases) EXPECT_EQ(reasonOf(c.call, c.name), c.reason);

    // The ICU exception carries what failed.
    try {
        stringByReplacingOccurrencesOfRegex("abc", "(a)", "$5");
        FAIL();
    } catch (const NSException& e) {
        EXPECT_EQ(e.userInfo().at("SRXICURegexRegex"), NSString("(a)"));
        EXPECT_EQ(e.userInfo().at("SRXICURegexErrorCode"), NSString("8"));
        EXPECT_EQ(e.userInfo().at("NSLocalizedFailureReason"), NSString("The error U_INDEX_OUTOFBOUNDS_ERROR occurred."));
    }
    // A capture equal to the capture count is valid; the lock is free after every raise.
    EXPECT_EQ(rangeOfRegex("abc", "(b)", 1), NSMakeRange(1, 1));
}

// ---- Block enumeration -----------------------------------------------------------------------

TEST(StringRegex, EnumerationPassesEachMatchWithItsCaptures)
{
    std::vector<Strings> seen;
    std::vector<std::vector<NSRange>> ranges;
    EXPECT_TRUE(enumerateStringsMatchedByRegex("a=1, 😀=2", "(\\S+)=(\\d)", [&](NSInteger count, auto strings, auto r, bool&) {
        seen.emplace_back(strings.begin(), strings.begin() + count);
        ranges.emplace_back(r.begin(), r.begin() + count);
    }));
    EXPECT_EQ(seen, (std::vector<Strings>{{"a=1", "a", "1"}, {"😀=2", "😀", "2"}}));
    EXPECT_EQ(ranges[1], (std::vector<NSRange>{{5, 4}, {5, 2}, {8, 1}}));

    // Stop after the first call; no strings with SRXEnumNoCapturedStrings.
    int calls = 0;
    EXPECT_TRUE(enumerateStringsMatchedByRegex("aaa", "a", 0, NSRange{0, SRXWholeLength}, nullptr,
                                               SRXEnumNoCapturedStrings, [&](NSInteger count, auto strings, auto r, bool& stop) {
                                                   ++calls;
                                                   EXPECT_TRUE(strings.empty());
                                                   EXPECT_EQ(r[0], NSMakeRange(0, 1));
                                                   stop = true;
                                               }));
    EXPECT_EQ(calls, 1);

    // No match, no call; a pattern that does not compile fails with its error.
    calls = 0;
    EXPECT_TRUE(enumerateStringsMatchedByRegex("abc", "z", [&](NSInteger, auto, auto, bool&) { ++calls; }));
    EXPECT_EQ(calls, 0);
    std::shared_ptr<NSError> error;
    EXPECT_FALSE(enumerateStringsMatchedByRegex("abc", "(", 0, NSRange{0, 3}, &error, 0, [&](NSInteger, auto, auto, bool&) { ++calls; }));
    ASSERT_TRUE(error);
    EXPECT_EQ(error->domain(), NSString("SRXICURegexErrorDomain"));
}

TEST(StringRegex, SeparatedEnumerationMatchesTheSplit)
{
    const SplitCase cases[] = {
        {"a,b", ",", {"a", "b"}},
        {",a,,b,", ",", {"", "a", "", "b"}},
        {"abc", ",", {"abc"}},
        {"北京，上海", "，", {"北京", "上海"}},
    };
    for (const auto& c : cases) {
        Strings pieces;
        EXPECT_TRUE(enumerateStringsSeparatedByRegex(c.subject, c.pattern, [&](NSInteger count, auto strings, auto, bool&) {
            EXPECT_GE(count, 1);
            pieces.push_back(strings[0]);
        }));
        EXPECT_EQ(pieces, c.pieces) << c.subject;
        EXPECT_EQ(pieces, componentsSeparatedByRegex(c.subject, c.pattern)) << c.subject;
    }
    // Slots past the passed count hold markers.
    enumerateStringsSeparatedByRegex("a1b", "([0-9])", [&](NSInteger count, auto strings, auto ranges, bool&) {
        if (count == 1) {
            EXPECT_TRUE(strings[1].isNil());
            EXPECT_EQ(ranges[1], NSMakeRange(kNotFound, kNotFound));
        }
    });
}

TEST(StringRegex, BlocksMayMatchWhileEnumerating)
{
    // The block uses the same pattern and another one; neither deadlocks nor disturbs the enumeration.
    Strings numbers;
    EXPECT_TRUE(enumerateStringsMatchedByRegex("13812345678 12 1234567", "[0-9]+", [&](NSInteger, auto strings, auto, bool&) {
        if (isMatchedByRegex(strings[0], "^[0-9]{7,11}$") && isMatchedByRegex(strings[0], "[0-9]+"))
            numbers.push_back(strings[0]);
    }));
    EXPECT_EQ(numbers, (Strings{"13812345678", "1234567"}));
}

TEST(StringRegex, BlockReplacement)
{
    const auto upper = [](NSInteger, auto strings, auto, bool&) { return strings[1].uppercaseString(); };
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("a-b-c", "([a-z])", upper), NSString("A-B-C"));
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("😀x😀y", "([a-z])", upper), NSString("😀X😀Y"));
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("abc", "z", upper), NSString("abc"));
    // Stopping at once replaces the first match and keeps the rest of the range.
    EXPECT_EQ(stringByReplacingOccurrencesOfRegex("aaa", "a", 0, NSRange{0, 3}, nullptr, 0,
                                                  [](NSInteger, auto, auto, bool& stop) {
                                                      stop = true;
                                                      return NSString("b");
                                                  }),
              NSString("baa"));
    NSString s("x1y2");
    EXPECT_EQ(replaceOccurrencesOfRegex(s, "[0-9]", [](NSInteger, auto strings, auto, bool&) {
                  return NSString::stringWithFormat("<%@>", strings[0]);
              }),
              2);
    EXPECT_EQ(s, NSString("x<1>y<2>"));
    NSString ranged("aaaa");
    EXPECT_EQ(replaceOccurrencesOfRegex(ranged, "a", 0, NSRange{1, 2}, nullptr, SRXEnumReleaseReplacement,
                                        [](NSInteger, auto, auto, bool&) { return NSString("b"); }),
              2);
    EXPECT_EQ(ranged, NSString("abba"));
    NSString unchanged("abc");
    EXPECT_EQ(replaceOccurrencesOfRegex(unchanged, "z", upper), 0);
    EXPECT_EQ(unchanged, NSString("abc"));
}

// ---- Threads ----------------------------------------------------------------------------------

TEST(StringRegex, WorkerThreadsShareTheCacheSafely)
{
    // More patterns than one set holds, on subjects in both buffer pools, from several threads.
    const std::string longText(3000, 'x');
    std::vector<std::thread> workers;
    std::atomic<int> wrong{0};
    for (int t = 0; t < 6; ++t) {
        workers.emplace_back([&, t] {
            for (int i = 0; i < 300; ++i) {
                const NSString number = NSString::stringWithFormat("138%08d", i * 7 + t);
                const NSString pattern = NSString::stringWithFormat("^1[0-9]{%d}$", 10);
                const NSString other = NSString::stringWithFormat("(%d)", i % 70);
                if (!isMatchedByRegex(number, pattern)) ++wrong;
                if (isMatchedByRegex(number.stringByAppendingString("a"), pattern)) ++wrong;
                const NSString text = NSString::stringWithFormat("%@-%d-%@", longText.c_str(), i % 70, number);
                if (stringByMatching(text, other, 1) != NSString::stringWithFormat("%d", i % 70)) ++wrong;
                if (componentsSeparatedByRegex(text, "-").size() != 3) ++wrong;
                if (i % 50 == 0) clearStringCache();
            }
        });
    }
    for (auto& w : workers) w.join();
    EXPECT_EQ(wrong.load(), 0);
}
