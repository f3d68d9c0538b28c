// The engine's projection against PROJ doing the same conversion (longitude/
// latitude to a planar map, EPSG:4326 to EPSG:3857), and its Douglas-Peucker
// simplification against GEOS's at the same tolerance. Items are points.
#include <benchmark/benchmark.h>
#include <geos_c.h>
#include <proj.h>

#include <cmath>
#include <cstdio>
#include <random>
#include <vector>

#include "engine/base/VGlobalMan.h"
#include "engine/model/ComplexPt.h"
#include "engine/model/Projection.h"

using namespace mapengine;

namespace {

constexpr int kProjected = 1000000;
constexpr int kLinePoints = 100000;
// Four screen pixels at level 12, in map units; the line is in hundredths.
constexpr double kTolerance = 4.0 * 64;

// Positions spread over China's longitudes and latitudes.
std::vector<_VDPoint> lonLats() {
  std::mt19937 rng(7);
  std::uniform_real_distribution<double> lon(73.0, 135.0);
  std::uniform_real_distribution<double> lat(18.0, 53.0);
  std::vector<_VDPoint> out(kProjected);
  for (_VDPoint& p : out) {
    p = {lon(rng), lat(rng)};
  }
  return out;
}

// A random walk, like a digitised coastline, in hundredths of map units.
std::vector<_VPoint> walk() {
  std::mt19937 rng(11);
  std::normal_distribution<double> step(0.0, 3000.0);
  std::vector<_VPoint> out(kLinePoints);
  double x = 1.2e9, y = 4.8e8;
  for (_VPoint& p : out) {
    x += step(rng) + 1500;
    y += step(rng);
    p = {static_cast<int>(x), static_cast<int>(y)};
  }
  return out;
}

void BM_Project_Ours(benchmark::State& state) {
  std::vector<_VDPoint> in = lonLats();
  std::vector<_VDPoint> out(in.size());
  for (auto _ : state) {
    for (size_t i = 0; i < in.size(); ++i) {
      LonLatToMapUnits(&out[i], in[i]);
    }
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * kProjected);
}

void BM_Project_Proj(benchmark::State& state) {
  std::vector<_VDPoint> in = lonLats();
  PJ_CONTEXT* context = proj_context_create();
  PJ* raw = proj_create_crs_to_crs(context, "EPSG:4326", "EPSG:3857", nullptr);
  PJ* transform = raw ? proj_normalize_for_visualization(context, raw) : nullptr;
  if (!transform) {
    state.SkipWithError("PROJ could not build EPSG:4326 -> EPSG:3857");
    return;
  }
  std::vector<double> xs(in.size()), ys(in.size());
  for (auto _ : state) {
    for (size_t i = 0; i < in.size(); ++i) {
      xs[i] = in[i].x;
      ys[i] = in[i].y;
    }
    proj_trans_generic(transform, PJ_FWD, xs.data(), sizeof(double), xs.size(), ys.data(), sizeof(double),
                       ys.size(), nullptr, 0, 0, nullptr, 0, 0);
    benchmark::DoNotOptimize(xs.data());
  }
  state.SetItemsProcessed(state.iterations() * kProjected);
  proj_destroy(transform);
  proj_destroy(raw);
  proj_context_destroy(context);
}

void BM_Simplify_Ours(benchmark::State& state) {
  std::vector<_VPoint> points = walk();
  CVPointArray src;
  src.SetSize(kLinePoints);
  for (int i = 0; i < kLinePoints; ++i) {
    src[i] = points[static_cast<size_t>(i)];
  }
  CVPointArray dst;
  int kept = 0;
  for (auto _ : state) {
    kept = DouglasPeucker(&src, &dst, kTolerance);
    benchmark::DoNotOptimize(dst.GetData());
  }
  state.counters["kept"] = kept;
  state.SetItemsProcessed(state.iterations() * kLinePoints);
}

void BM_Simplify_Geos(benchmark::State& state) {
  std::vector<_VPoint> points = walk();
  GEOSContextHandle_t context = GEOS_init_r();
  GEOSCoordSequence* sequence = GEOSCoordSeq_create_r(context, kLinePoints, 2);
  for (int i = 0; i < kLinePoints; ++i) {
    GEOSCoordSeq_setXY_r(context, sequence, static_cast<unsigned>(i), points[static_cast<size_t>(i)].x,
                         points[static_cast<size_t>(i)].y);
  }
  GEOSGeometry* line = GEOSGeom_createLineString_r(context, sequence);
  int kept = 0;
  for (auto _ : state) {
    // The same tolerance: distances in hundredths, tolerance x 100.
    GEOSGeometry* simple = GEOSSimplify_r(context, line, kTolerance * 100);
    kept = GEOSGetNumCoordinates_r(context, simple);
    GEOSGeom_destroy_r(context, simple);
  }
  state.counters["kept"] = kept;
  state.SetItemsProcessed(state.iterations() * kLinePoints);
  GEOSGeom_destroy_r(context, line);
  GEOS_finish_r(context);
}

}  // namespace

BENCHMARK(BM_Project_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Project_Proj)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Simplify_Ours)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Simplify_Geos)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  if (!CreateGlobalMan()) {
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  DestroyGlobalMan();
  return 0;
}
