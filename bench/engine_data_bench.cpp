// A large POI search reply into records against RapidJSON parsing the same
// UTF-8 text alone (goal: at most 2x). Two roads are measured: the reply as
// the JSON reader gets it (already GBK) through the reader, the POI parser
// and freeing; and the whole road of the search dispatch, which first turns
// the service's UTF-8 into GBK. The first is also timed against RapidJSON
// in alternating rounds.
#include <benchmark/benchmark.h>

#include <string>

#include "bench/Interleaved.h"
#include "bench/JsonBench.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/model/SearchRecords.h"
#include "engine/data/VJsonResultParser.h"
#include "tools/mapdemo/DemoReplies.h"

namespace {

// About 1 MB: pages of the demo places, each with its geometry, address,
// telephone and distance, under the type-11 envelope.
std::string MakeReply() {
  using namespace mapdemo;
  std::string pois;
  for (int i = 0; pois.size() < (1u << 20); ++i) {
    const Place& place = Places()[static_cast<size_t>(i) % Places().size()];
    Point at{place.at.x + i % 1000, place.at.y + i / 1000};
    pois += (i ? "," : "") + std::string("{\"geo\":") + Quote(GeoOf(at)) + ",\"poiType\":" +
            std::to_string(place.poiType) + ",\"name\":" + Quote(std::string(place.name) + std::to_string(i)) +
            ",\"uid\":" + Quote(place.uid) + ",\"dis\":" + std::to_string(i * 7 % 5000) + ".5,\"addr\":" +
            Quote(place.addr) + ",\"tel\":" + Quote(place.tel) + ",\"detail\":1}";
  }
  return "{\"result\":{\"type\":11,\"error\":0,\"total\":100000,\"op_gel\":1,\"wd\":\"" + std::string("天安门") +
         "\"},\"psrs\":{\"SENum\":0,\"SEResult\":[]},\"content\":[" + pois + "]}";
}

const std::string& Reply() {
  static const std::string reply = MakeReply();
  return reply;
}

// Sets up the engine's code pages for one benchmark.
struct Engine {
  Engine() {
    mapengine::CreateGlobalMan();
    static_cast<mapengine::CVCMMap*>(mapengine::GetGlobalMan()->GetSlot(mapengine::kSlotCMMap))->LoadTables();
  }
  ~Engine() { mapengine::DestroyGlobalMan(); }
};

// The reply's GBK text into a POI page; false when that failed.
bool ParseIntoRecords(const char* gbk) {
  mapengine::VJson* root = mapengine::VJson_Parse(gbk);
  auto* result = mapengine::VNew<mapengine::tag_PoiResult>(1);
  mapengine::VJsonResultParser parser;
  bool parsed = root && result && parser.ParsePoiSearchInCity(root, result) && result->pois.GetSize() >= 1000;
  benchmark::DoNotOptimize(result);
  mapengine::VJson_Delete(root);
  mapengine::VDelete(result);
  return parsed;
}

void BM_PoiReplyToRecords(benchmark::State& state) {
  Engine engine;
  const std::string& text = Reply();
  int length = 0;
  char* gbk = mapengine::Utf8ToLocal(text.data(), static_cast<int>(text.size()), &length);
  for (auto _ : state) {
    if (!ParseIntoRecords(gbk)) {
      state.SkipWithError("parse failed");
      break;
    }
  }
  mapengine::VDelete(gbk);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_PoiReplyToRecords)->Unit(benchmark::kMillisecond);

void BM_PoiUtf8ReplyToRecords(benchmark::State& state) {
  Engine engine;
  const std::string& text = Reply();
  for (auto _ : state) {
    int length = 0;
    char* gbk = mapengine::Utf8ToLocal(text.data(), static_cast<int>(text.size()), &length);
    bool parsed = gbk && ParseIntoRecords(gbk);
    mapengine::VDelete(gbk);
    if (!parsed) {
      state.SkipWithError("parse failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_PoiUtf8ReplyToRecords)->Unit(benchmark::kMillisecond);

void BM_RapidJsonParse(benchmark::State& state) { MeasureRapidJsonParse(state, Reply()); }
BENCHMARK(BM_RapidJsonParse)->Unit(benchmark::kMillisecond);

// The first road and RapidJSON in alternating rounds (see Interleaved.h):
// the counter "ratio" holds on a busy machine, where the two benchmarks
// above, run one after the other, may meet different loads.
void BM_PoiReplyToRecordsVsRapidJson(benchmark::State& state) {
  Engine engine;
  const std::string& text = Reply();
  int length = 0;
  char* gbk = mapengine::Utf8ToLocal(text.data(), static_cast<int>(text.size()), &length);
  bool parsed = true;
  bench::RunInterleaved(
      state, [&] { parsed = ParseIntoRecords(gbk) && parsed; },
      [&] {
        rapidjson::Document doc;
        doc.Parse(text.c_str());
        benchmark::DoNotOptimize(doc);
      });
  mapengine::VDelete(gbk);
  if (!parsed) {
    state.SkipWithError("parse failed");
  }
}
BENCHMARK(BM_PoiReplyToRecordsVsRapidJson)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunKeepingFreedMemory(argc, argv); }
