// A large POI search reply into records, the whole road the search dispatch
// takes (UTF-8 to GBK, the engine's JSON reader, the POI parser, freeing),
// against RapidJSON parsing the same UTF-8 text alone. Goal: at most 2x.
#include <benchmark/benchmark.h>
#include <rapidjson/document.h>

#include <string>

#include "bench/KeepFreedMemory.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/data/SearchRecords.h"
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

void BM_PoiReplyToRecords(benchmark::State& state) {
  mapengine::CreateGlobalMan();
  static_cast<mapengine::CVCMMap*>(mapengine::GetGlobalMan()->GetSlot(mapengine::kSlotCMMap))->LoadTables();
  const std::string& text = Reply();
  for (auto _ : state) {
    int length = 0;
    char* local = mapengine::Utf8ToLocal(text.data(), static_cast<int>(text.size()), &length);
    mapengine::VJson* root = local ? mapengine::VJson_Parse(local) : nullptr;
    auto* result = mapengine::VNew<mapengine::tag_PoiResult>(1);
    mapengine::VJsonResultParser parser;
    if (!root || !result || !parser.ParsePoiSearchInCity(root, result) || result->pois.GetSize() < 1000) {
      state.SkipWithError("parse failed");
    }
    benchmark::DoNotOptimize(result);
    mapengine::VJson_Delete(root);
    mapengine::VDelete(local);
    mapengine::VDelete(result);
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
  mapengine::DestroyGlobalMan();
}
BENCHMARK(BM_PoiReplyToRecords)->Unit(benchmark::kMillisecond);

void BM_RapidJsonParse(benchmark::State& state) {
  const std::string& text = Reply();
  for (auto _ : state) {
    rapidjson::Document doc;
    doc.Parse(text.c_str());
    benchmark::DoNotOptimize(doc);
    if (doc.HasParseError()) {
      state.SkipWithError("parse failed");
      break;
    }
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_RapidJsonParse)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) { return RunKeepingFreedMemory(argc, argv); }
