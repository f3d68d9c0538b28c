// The map view on the engine (booted in a temporary home, its hosts on a
// closed loopback port, so nothing leaves the machine and no tile arrives):
//
// - one annotation layout pass with 10,000 and with 100,000 pins that all
//   have views, against the same number of bare coordinate conversions
//   through the map view of the same pins (the work the pass cannot avoid:
//   each pin's coordinate read and converted), timed in alternating rounds.
//   The pass should stay within 2x at either size: what it keeps of each
//   pin lies in one array, so its cost should not hang on how many views
//   the caches hold.
// - the resident memory over 1,000 pushes and pops of a screen holding a map
//   view: reported as counters (kilobytes after 100 cycles, and the growth
//   over the next 900), which should stay flat.

#include <arpa/inet.h>
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>

#include "bench/Interleaved.h"
#include "engine/root/EngineRoot.h"
#include "mapsdk/VIZMapManager.h"
#include "mapsdk/VIZMapView.h"
#include "mapsdk/VIZMapViewInternal.h"
#include "mapsdk/VIZShape.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UINavigationController.h"

namespace {

// The engine for the whole run.
struct Engine {
    Engine()
    {
        char tmpl[] = "/tmp/mapsdkbenchXXXXXX";
        home = mkdtemp(tmpl);
        setenv("NX_APP_HOME", home.c_str(), 1);
        NSUserDefaults::resetStandardUserDefaults();
        NSUserDefaults::standardUserDefaults()->setInteger(320, mapengine::kScreenWidthKey);
        NSUserDefaults::standardUserDefaults()->setInteger(480, mapengine::kScreenHeightKey);
        manager = VIZMapManager::init();
        mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
        for (const char* host : {"map.vuriv.com", "loc.map.vuriv.com"})
            root->m_hostAddrCache.SetAt(host, 80, htonl(INADDR_LOOPBACK), htons(1));
    }
    ~Engine()
    {
        manager.reset();
        std::filesystem::remove_all(home);
    }
    std::string home;
    std::shared_ptr<VIZMapManager> manager;
};

Engine& engine()
{
    static Engine e;
    return e;
}

// Pins spread over the screen, each with its view after the first pass.
struct PinnedMap {
    explicit PinnedMap(int count)
    {
        engine();
        map = VIZMapView::initWithFrame(CGRectMake(0, 0, 320, 416));
        for (int i = 0; i < count; ++i) {
            auto pin = std::make_shared<VIZPointAnnotation>();
            pin->setCoordinate(map->convertPoint_toCoordinateFromView(CGPointMake(i % 320, (i / 320) * 13 % 416), map.get()));
            pins.push_back(pin);
        }
        map->addAnnotations(pins);
    }
    std::shared_ptr<VIZMapView> map;
    std::vector<std::shared_ptr<VIZAnnotation>> pins;
};

PinnedMap& pinned(int count)
{
    static std::map<int, PinnedMap> maps;
    return maps.try_emplace(count, count).first->second;
}

// The pass and its reference in alternating rounds (see Interleaved.h); the
// counter "ratio" is the pass's time over the conversions'.
void BM_AnnotationLayoutVsConversions(benchmark::State& state)
{
    PinnedMap& p = pinned(static_cast<int>(state.range(0)));
    VIZMapViewInternal* internal = p.map->internal();
    UIView* content = internal->m_mapWrapperView.get();
    bench::RunInterleaved(
        state, [&] { internal->checkAnnotationViews(); },
        [&] {
            for (const auto& pin : p.pins)
                benchmark::DoNotOptimize(p.map->convertCoordinate_toPointToView(pin->coordinate(), content));
        });
}
BENCHMARK(BM_AnnotationLayoutVsConversions)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

// The same after each move of the map by a point, when every view is placed
// anew: what a pass costs that must reach all the views (no goal; the
// figure shows how far it stands from the pass above).
void BM_AnnotationLayoutAfterMoveVsConversions(benchmark::State& state)
{
    PinnedMap& p = pinned(static_cast<int>(state.range(0)));
    VIZMapViewInternal* internal = p.map->internal();
    UIView* content = internal->m_mapWrapperView.get();
    CGFloat step = 1;
    bench::RunInterleaved(
        state,
        [&] {
            internal->m_contentOffset.x += step;
            step = -step;
            internal->checkAnnotationViews();
        },
        [&] {
            for (const auto& pin : p.pins)
                benchmark::DoNotOptimize(p.map->convertCoordinate_toPointToView(pin->coordinate(), content));
        });
}
BENCHMARK(BM_AnnotationLayoutAfterMoveVsConversions)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

long residentKilobytes()
{
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

class MapScreen : public UIViewController {
public:
    void viewDidLoad() override { view()->addSubview(VIZMapView::initWithFrame(CGRectMake(0, 0, 320, 416))); }
};

void BM_PushPopMapScreen1000(benchmark::State& state)
{
    engine();
    NXUITestDriver driver;
    auto navigation = UINavigationController::initWithRootViewController(UIViewController::init<UIViewController>());
    driver.window()->addSubview(navigation->view());
    auto cycle = [&] {
        navigation->pushViewController(UIViewController::init<MapScreen>(), false);
        navigation->topViewController()->view();
        navigation->popViewControllerAnimated(false);
        // The engine's messages (the repaints a new map view asks for) are
        // delivered, as the application's run loop delivers them.
        driver.pumpUntil([] { return false; }, 0.001);
        driver.advanceClock(0.1);
    };
    long warm = 0, grown = 0;
    for (auto _ : state) {
        for (int i = 0; i < 100; ++i) cycle();
        warm = residentKilobytes();
        for (int i = 0; i < 900; ++i) cycle();
        grown = residentKilobytes() - warm;
    }
    state.counters["rss_kb_after_100"] = static_cast<double>(warm);
    state.counters["rss_growth_kb_next_900"] = static_cast<double>(grown);
}
BENCHMARK(BM_PushPopMapScreen1000)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
