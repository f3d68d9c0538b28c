// Validating typed phone numbers: isMatchedByRegex with its cached pattern
// against ICU called directly with one compiled pattern. Both start from the
// same UTF-8 strings, as the screens hold them.

#include <benchmark/benchmark.h>
#include <unicode/uregex.h>
#include <unicode/ustring.h>

#include <vector>

#include "ui/StringRegex.h"

namespace {

constexpr int kStrings = 100000;
const char* const kPattern = "^[0-9]{7,11}$";

const std::vector<NSString>& subjects()
{
    static const std::vector<NSString> all = [] {
        std::vector<NSString> v;
        v.reserve(kStrings);
        for (int i = 0; i < kStrings; ++i) {
            // A mix of valid numbers, short ones and ones with a letter.
            switch (i % 4) {
            case 0: v.push_back(NSString::stringWithFormat("138%08d", i)); break;
            case 1: v.push_back(NSString::stringWithFormat("%07d", i)); break;
            case 2: v.push_back(NSString::stringWithFormat("%05d", i % 100000)); break;
            default: v.push_back(NSString::stringWithFormat("13%05dx", i % 100000)); break;
            }
        }
        return v;
    }();
    return all;
}

void BM_isMatchedByRegex(benchmark::State& state)
{
    const auto& strings = subjects();
    const NSString pattern(kPattern);
    for (auto _ : state) {
        int matched = 0;
        for (const NSString& s : strings) matched += isMatchedByRegex(s, pattern);
        benchmark::DoNotOptimize(matched);
    }
    state.SetItemsProcessed(state.iterations() * kStrings);
}

void BM_icuDirect(benchmark::State& state)
{
    const auto& strings = subjects();
    UErrorCode status = U_ZERO_ERROR;
    URegularExpression* re = uregex_openC(kPattern, 0, nullptr, &status);
    std::vector<UChar> units(64);
    for (auto _ : state) {
        int matched = 0;
        for (const NSString& s : strings) {
            const std::string& bytes = s.str();
            int32_t length = 0;
            status = U_ZERO_ERROR;
            u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &length, bytes.data(),
                                 static_cast<int32_t>(bytes.size()), 0xFFFD, nullptr, &status);
            uregex_setText(re, units.data(), length, &status);
            matched += uregex_find(re, 0, &status);
        }
        benchmark::DoNotOptimize(matched);
    }
    uregex_close(re);
    state.SetItemsProcessed(state.iterations() * kStrings);
}

}  // namespace

BENCHMARK(BM_isMatchedByRegex)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_icuDirect)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
