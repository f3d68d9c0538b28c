// The engine's JSON reader against RapidJSON on a 1 MB search-reply-like text.
// Each iteration builds a whole tree and frees it again, on both sides.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>

#include "bench/JsonBench.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VJson.h"

namespace {

// A search reply: a result header and pages of POI records with GBK names,
// coordinates, numbers and nested detail objects, about 1 MB in all.
std::string MakeReply() {
  std::string s = "{\"result\":{\"type\":11,\"error\":0,\"total\":100000},\"content\":[";
  char buf[512];
  for (int i = 0; s.size() < (1u << 20); ++i) {
    std::snprintf(buf, sizeof buf,
                  "%s{\"uid\":\"%08x%08x\",\"name\":\"\xD6\xD0\xB9\xD8\xB4\xE5\xB4\xF3\xBD\xD6%d\\u53f7\","
                  "\"addr\":\"\xB1\xB1\xBE\xA9\xCA\xD0\xBA\xA3\xB5\xED\xC7\xF8 No.%d\",\"tel\":\"(010)%08d\","
                  "\"x\":%d,\"y\":%d,\"geo\":%d.%06d,\"dist\":-%d.5e1,\"tag\":[\"food\",\"%d\",true,null],"
                  "\"ext\":{\"rating\":%d.%d,\"price\":%d,\"open\":false}}",
                  i ? "," : "", i * 2654435761u, i, i, i % 300, i * 37 % 100000000, 12958000 + i * 13,
                  4825000 + i * 7, i % 180, i * 997 % 1000000, i % 100, i % 50, i % 5, i % 10, i * 3 % 400);
    s += buf;
  }
  s += "]}";
  return s;
}

const std::string& Reply() {
  static const std::string reply = MakeReply();
  return reply;
}

void BM_VJsonParse(benchmark::State& state) {
  mapengine::CreateGlobalMan();
  const std::string& text = Reply();
  for (auto _ : state) {
    mapengine::VJson* root = mapengine::VJson_Parse(text.c_str());
    benchmark::DoNotOptimize(root);
    if (!root) {
      state.SkipWithError("parse failed");
      break;
    }
    mapengine::VJson_Delete(root);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_VJsonParse)->Unit(benchmark::kMillisecond);

void BM_RapidJsonParse(benchmark::State& state) { MeasureRapidJsonParse(state, Reply()); }
BENCHMARK(BM_RapidJsonParse)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunKeepingFreedMemory(argc, argv); }
