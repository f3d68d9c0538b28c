// GBK -> UTF-16 of 1 MB of text: the engine's conversion against ICU's converter.
#include <benchmark/benchmark.h>
#include <unicode/ucnv.h>

#include <string>
#include <vector>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"

namespace {

// Mostly two-byte Chinese text with some ASCII, as in map service replies.
const std::string& Text() {
  static const std::string text = [] {
    const std::string piece =
        "\xB1\xB1\xBE\xA9\xCA\xD0\xBA\xA3\xB5\xED\xC7\xF8\xD6\xD0\xB9\xD8\xB4\xE5\xB4\xF3\xBD\xD6 27 "
        "\xBA\xC5, \xB5\xE7\xBB\xB0 010-12345678; \xC9\xCF\xBA\xA3\xCA\xD0\xC6\xD6\xB6\xAB\xD0\xC2\xC7\xF8 ";
    std::string s;
    while (s.size() < (1u << 20)) s += piece;
    return s;
  }();
  return text;
}

void BM_EngineGbkToUtf16(benchmark::State& state) {
  mapengine::CVMainGlobalMan* man = mapengine::CreateGlobalMan();
  static_cast<mapengine::CVCMMap*>(man->GetSlot(mapengine::kSlotCMMap))->LoadTables();
  const std::string& text = Text();
  std::vector<unsigned short> out(text.size());
  for (auto _ : state) {
    int n = mapengine::MultiByteToWide(mapengine::kCodePageGbk, text.data(), static_cast<int>(text.size()),
                                       out.data(), static_cast<int>(out.size()));
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_EngineGbkToUtf16)->Unit(benchmark::kMicrosecond);

void BM_IcuGbkToUtf16(benchmark::State& state) {
  UErrorCode err = U_ZERO_ERROR;
  UConverter* cnv = ucnv_open("windows-936-2000", &err);
  const std::string& text = Text();
  std::vector<UChar> out(text.size());
  for (auto _ : state) {
    err = U_ZERO_ERROR;
    int32_t n = ucnv_toUChars(cnv, out.data(), static_cast<int32_t>(out.size()), text.data(),
                              static_cast<int32_t>(text.size()), &err);
    benchmark::DoNotOptimize(n);
    benchmark::DoNotOptimize(out.data());
  }
  ucnv_close(cnv);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_IcuGbkToUtf16)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
