// A day of minute-by-minute positions (1,440) grouped by place, the texts
// rewritten to four decimals: the one-pass grouping against the reference,
// which compares every pair of positions by their formatted texts. The two
// outputs are checked equal before timing. Goal: the one pass at least ten
// times faster at 1,440 positions.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <stdexcept>

#include "phone/MapPlaces.h"

namespace {

// A walk through a few places, lingering at each, so places repeat.
MapPlaceList day(int count)
{
    MapPlaceList positions;
    for (int i = 0; i < count; ++i) {
        auto p = std::make_shared<MapMessage>();
        const int place = (i / 37) % 23;
        p->setLatitude(NSString::stringWithFormat("%.6f", 39.90 + place * 0.0013 + (i % 3) * 0.000011));
        p->setLongitude(NSString::stringWithFormat("%.6f", 116.40 + place * 0.0017));
        p->setAddress("Dongcheng District, Beijing");
        p->setUpdateTime(NSString::stringWithFormat("2026-12-10 %02d:%02d:00", i / 60 % 24, i % 60));
        positions.push_back(p);
    }
    return positions;
}

NSString fourDecimals(const NSString& degrees) { return NSString::stringWithFormat("%.4f", degrees.doubleValue()); }

// Each unused position against every later one, both rewritten before each comparison.
MapPlaces pairwise(const MapPlaceList& positions)
{
    MapPlaces places;
    std::vector<NSString> used;
    for (size_t i = 0; i < positions.size(); ++i) {
        const NSString key(std::to_string(i));
        if (std::find(used.begin(), used.end(), key) != used.end()) continue;
        MapPlaceList place{positions[i]};
        for (size_t j = i + 1; j < positions.size(); ++j) {
            for (const auto& p : {positions[i], positions[j]}) {
                p->setLatitude(fourDecimals(p->latitude()));
                p->setLongitude(fourDecimals(p->longitude()));
            }
            if (positions[i]->latitude() == positions[j]->latitude() &&
                positions[i]->longitude() == positions[j]->longitude()) {
                place.push_back(positions[j]);
                used.emplace_back(std::to_string(j));
            }
        }
        used.push_back(key);
        places[key] = place;
    }
    return places;
}

void checkSameOutput(int count)
{
    const MapPlaceList a = day(count), b = day(count);
    const MapPlaces ours = groupPositionsByPlace(a), theirs = pairwise(b);
    bool same = ours.size() == theirs.size();
    for (auto x = ours.begin(), y = theirs.begin(); same && x != ours.end(); ++x, ++y) {
        same = x->first == y->first && x->second.size() == y->second.size();
        for (size_t k = 0; same && k < x->second.size(); ++k)
            same = x->second[k]->latitude() == y->second[k]->latitude() &&
                   x->second[k]->longitude() == y->second[k]->longitude() &&
                   x->second[k]->updateTime() == y->second[k]->updateTime();
    }
    if (!same) throw std::runtime_error("the groupings differ");
}

void BM_GroupOnePass(benchmark::State& state)
{
    checkSameOutput(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        state.PauseTiming();
        MapPlaceList positions = day(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(groupPositionsByPlace(positions));
    }
}

void BM_GroupPairwiseReference(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        MapPlaceList positions = day(static_cast<int>(state.range(0)));
        state.ResumeTiming();
        benchmark::DoNotOptimize(pairwise(positions));
    }
}

}  // namespace

BENCHMARK(BM_GroupOnePass)->Arg(1440)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_GroupPairwiseReference)->Arg(1440)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK_MAIN();
