// soak: shows that long use leaves nothing behind. It runs many thousand
// message exchanges against the service double and engine HTTP requests
// against the relay server, then moves a map view over the map-service double,
// then starts the client as it starts and opens the phone's location map from
// its home page and goes back, again and again, all in this process, and
// samples the heap in use, the resident set, the threads and the open
// descriptors as it goes.
//
// Usage: soak [EXCHANGES [ENGINE-REQUESTS [MAP-MOVES [MAP-VISITS]]]]
// (20000 exchanges, requests and moves, 1000 visits by default)
// Prints one line per sample; exits 1 when the heap, the threads or the
// descriptors grew (see soak() for the verdict). (In a sanitizer build the
// resident set grows by the sanitizer's quarantine of freed memory, which is
// bounded; the heap in use is what is judged.)

#include <arpa/inet.h>
#include <malloc.h>
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "engine/base/HttpClient.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "engine/root/EngineRoot.h"
#include "engine/render/MapControl.h"
#include "engine/render/TileDownloader.h"
#include "mapsdk/VIZMapManager.h"
#include "mapsdk/VIZMapView.h"
#include "mapsdk/VIZMapViewInternal.h"
#include "phone/MapController.h"
#include "platform/foundation/NSLog.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXPump.h"
#include "platform/testing/NXUITestDriver.h"
#include "platform/uikit/UIApplicationMain.h"
#include "protocol/Constant.h"
#include "protocol/Head.h"
#include "protocol/MsgService.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"
#include "tools/service-double/DemoAccount.h"
#include "tools/service-double/PhoneRecords.h"
#include "tools/service-double/ServiceDouble.h"
#include "tools/tour/AppRoad.h"
#include "tools/tour/MapRoad.h"
#include "tools/testserver/RelayServer.h"

#if defined(__SANITIZE_ADDRESS__)
// The sanitizer runtime's count of bytes in use (its header is not installed with GCC).
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace {

struct Sample {
    size_t done = 0;
    size_t heapBytes = 0;  // allocated and not freed
    size_t residentKiB = 0;
    size_t threads = 0;
    size_t descriptors = 0;
};

size_t heapInUse()
{
#if defined(__SANITIZE_ADDRESS__)
    return __sanitizer_get_current_allocated_bytes();
#else
    // Chunks handed out, in every arena, and the blocks mapped on their own
    // (large ones); free memory the allocator keeps for later is not counted.
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

size_t statusField(const std::string& name)
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind(name + ":", 0) == 0) return std::stoul(line.substr(name.size() + 1));
    return 0;
}

Sample sample(size_t done)
{
    Sample s;
    s.done = done;
    s.heapBytes = heapInUse();
    s.residentKiB = statusField("VmRSS");
    s.threads = statusField("Threads");
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++s.descriptors;
    return s;
}

// Runs `one` count times, sampling twenty times on the way; true when flat.
bool soak(const char* what, size_t count, const std::function<bool(size_t)>& one)
{
    std::printf("%s: %zu\n%10s %12s %12s %8s %12s\n", what, count, "done", "heap KiB", "RSS KiB", "threads",
                "descriptors");
    const size_t step = count < 20 ? 1 : count / 20;
    std::vector<Sample> samples;
    for (size_t i = 0; i < count; ++i) {
        if (!one(i)) {
            std::printf("%s: exchange %zu failed\n", what, i);
            return false;
        }
        if ((i + 1) % step == 0 || i + 1 == count) {
            samples.push_back(sample(i + 1));
            const Sample& s = samples.back();
            std::printf("%10zu %12zu %12zu %8zu %12zu\n", s.done, s.heapBytes / 1024, s.residentKiB, s.threads,
                        s.descriptors);
            std::fflush(stdout);
        }
    }
    if (samples.empty()) return true;
    // The first sample is the warm-up (caches, pools and kept connections
    // fill); bounded records (the doubles') may go on filling over the first
    // half, by at most kFillSlack. Over the second half the heap must hold
    // still: a leak of a few bytes per step grows steadily and shows there,
    // where a cap on the whole run would hide it. What the allocator keeps in
    // its per-thread caches moves the figure by some KiB either way.
    // A connection that is just ending still holds its thread and socket, so
    // threads and descriptors may differ by a few between samples; anything
    // left behind per exchange would add up to thousands.
    const Sample& first = samples.size() > 1 ? samples[1] : samples.front();
    const Sample& middle = samples[samples.size() / 2];
    const Sample& last = samples.back();
    constexpr size_t kFillSlack = 1u << 20;
    constexpr size_t kHeapSlack = 64u << 10;
    constexpr size_t kFewSlack = 4;
    const auto grown = [](size_t from, size_t to) { return static_cast<long long>(to) - static_cast<long long>(from); };
    const bool flat = last.heapBytes <= first.heapBytes + kFillSlack && last.heapBytes <= middle.heapBytes + kHeapSlack &&
                      last.threads <= first.threads + kFewSlack && last.descriptors <= first.descriptors + kFewSlack;
    std::printf("%s: %s (heap %+lld KiB from %zu to %zu, %+lld KiB from %zu, %+.1f bytes each; threads %+lld, "
                "descriptors %+lld)\n\n",
                what, flat ? "flat" : "GROWING", grown(first.heapBytes, last.heapBytes) / 1024, first.done, last.done,
                grown(middle.heapBytes, last.heapBytes) / 1024, middle.done,
                last.done > middle.done ? static_cast<double>(grown(middle.heapBytes, last.heapBytes)) /
                                              static_cast<double>(last.done - middle.done)
                                        : 0.0,
                grown(first.threads, last.threads), grown(first.descriptors, last.descriptors));
    return flat;
}

// The client's home folder for one phase, with defaults of its own; gone
// with the phase.
class PhaseHome {
public:
    explicit PhaseHome(const std::string& name)
        : path_(std::filesystem::temp_directory_path() / (name + "-" + std::to_string(getpid())))
    {
        std::filesystem::create_directories(path_);
        setenv("NX_APP_HOME", path_.c_str(), 1);
        NSUserDefaults::resetStandardUserDefaults();
    }
    ~PhaseHome()
    {
        NSUserDefaults::resetStandardUserDefaults();
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    PhaseHome(const PhaseHome&) = delete;
    PhaseHome& operator=(const PhaseHome&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

// Message exchanges through the client's transport against the double, as the
// application sends them: a new connection each.
bool soakServiceDouble(size_t count)
{
    const PhaseHome home("soak-home");
    testserver::Server::Options options;
    options.recordLimit = 100;
    servicedouble::ServiceDouble service(options);
    service.reply("RQHomePage", "<Code>0</Code><Desc>ok</Desc>");
    setenv("NX_SERVICE_PORT", std::to_string(service.port()).c_str(), 1);
    Constant::setUserName("13800138000");
    Constant::setUserID("1001");
    Constant::setPassword("parent-secret");
    NSString message = Head::initWithSndr("1001", "SYS", "1", "2012-05-01 08:00:00", "RQHomePage")
                           ->toString()
                           .stringByAppendingString("<BODY><UserID>PC-HOME-01</UserID></BODY></MSG>");
    bool flat = soak("exchanges with the service double", count,
                     [&](size_t) { return !MsgService::sendRequestOnMainThread(message).isNil(); });
    service.stop();
    return flat;
}

// The engine's world for its HTTP client: global manager, message queues,
// socket worker and a host-address cache that sends the relay's name to the
// loopback relay server.
class EngineWorld {
public:
    explicit EngineWorld(uint16_t relayPort)
    {
        mapengine::CreateGlobalMan();
        static_cast<mapengine::CVCMMap*>(mapengine::GetGlobalMan()->GetSlot(mapengine::kSlotCMMap))->LoadTables();
        mapengine::GetGlobalMan()->SetSlot(mapengine::kSlotMsgMan, &msgs_);
        sockets_.Init(30);
        sockets_.StartThread();
        mapengine::GetGlobalMan()->SetSlot(mapengine::kSlotSocketMan, &sockets_);
        mapengine::GetGlobalMan()->SetSlot(mapengine::kSlotHostAddrCache, &cache_);
        cache_.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(relayPort));
        mapengine::HttpClientMapInit();
    }
    ~EngineWorld()
    {
        sockets_.StopThread();
        mapengine::HttpClientMapDestroy();
        for (int slot : {mapengine::kSlotSocketMan, mapengine::kSlotHostAddrCache, mapengine::kSlotMsgMan})
            mapengine::GetGlobalMan()->SetSlot(slot, nullptr);
    }
    // The next request's last message: complete or a failure.
    int waitForEnd()
    {
        int end = 0;
        NXPumpUntil([&] { return end != 0; },
                    [&] {
                        mapengine::tagEngineMsg msg;
                        while (msgs_.PopMessage(msgs_.GetRing(1), msg)) {
                            if (msg.message != mapengine::kMsgHttpPartial) {
                                end = msg.message;
                                return true;
                            }
                        }
                        return false;
                    },
                    20, std::chrono::microseconds(200));
        return end;
    }

private:
    mapengine::CVMsgMan msgs_;
    mapengine::CVSocketMan sockets_;
    mapengine::CHostAddrCache cache_;
};

bool soakEngineRequests(size_t count)
{
    testserver::Server::Options options;
    options.recordLimit = 100;
    testserver::RelayServer relay(options);
    const std::string tile(4000, 't');
    relay.add("http://tiles.example/tile", tile);
    bool flat = false;
    {
        EngineWorld world(relay.port());
        std::vector<unsigned char> buffer(64 * 1024);
        int length = 0;
        mapengine::CHttpClient client;
        client.SetClientType(0);
        client.SetRecvBuffer(buffer.data(), &length, static_cast<int>(buffer.size()));
        client.SetTimeout(10000);
        client.Attach();
        flat = soak("engine requests through the relay", count, [&](size_t) {
            int id = 7;
            length = 0;
            return client.RequestGet(mapengine::CVString("http://tiles.example/tile"), id, 1) &&
                   world.waitForEnd() == mapengine::kMsgHttpComplete && static_cast<size_t>(length) == tile.size();
        });
        client.Detach();
    }
    mapengine::DestroyGlobalMan();
    return flat;
}

// A user panning a map: the map view on the real engine, its tiles from the
// map-service double on the loopback, the virtual clock of the test driver.
bool soakMapMoves(size_t moves)
{
    const PhaseHome home("soak-map");
    bool flat = false;
    {
        NXUITestDriver driver;
        NSUserDefaults::standardUserDefaults()->setInteger(320, mapengine::kScreenWidthKey);
        NSUserDefaults::standardUserDefaults()->setInteger(480, mapengine::kScreenHeightKey);
        // A few records and made answers (new tiles are asked once in some
        // hundred moves): the double is in its steady state long before the
        // second half of the moves.
        mapdouble::MapDouble service(8, 8);
        mapdouble::LocationService location;
        auto manager = VIZMapManager::init();
        mapengine::CEngineRoot* root = mapengine::GetEngineRoot();
        root->m_hostAddrCache.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(service.port()));
        root->m_hostAddrCache.SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(location.port()));
        if (!manager->start("", nullptr)) return false;
        // At least one pass of the run loop each time, as an application's
        // loop always runs: what the engine queued for the main thread after
        // the view settled (on leaving the window, say) is served, not piled up.
        const auto settled = [&](VIZMapView& view) {
            UIScrollView* scroll = view.internal()->m_scrollView.get();
            bool passed = false;
            return driver.pumpUntil(
                [&] {
                    return std::exchange(passed, true) && scroll->contentOffset() == CGPointMake(2 * 320, 2 * 416) &&
                           !mapengine::IsTileRequestBusy(&root->m_pMapControl->GetDownloader());
                },
                20);
        };
        auto view = VIZMapView::initWithFrame(CGRectMake(0, 0, 320, 416));
        driver.window()->addSubview(view);
        flat = settled(*view) && soak("map moves", moves, [&](size_t i) {
            // Back and forth, a little further each time round, so new tiles keep coming.
            const CGFloat step = static_cast<CGFloat>(40 + i % 200);
            driver.drag(view->internal()->m_scrollView.get(), CGPointMake(i % 2 ? -step : step, i % 4 < 2 ? 30 : -30));
            return settled(*view);
        });
        view->removeFromSuperview();
    }
    return flat;
}

// A user coming back to the phone's location map: the client launched as it
// starts against the service double with the demo account and the map
// doubles on the loopback, logged in, the phone chosen; then the map opened
// from the phone's home page, its tiles and the phone's latest position let
// come, and Back pressed, over and over.
bool soakMapVisits(size_t visits)
{
    const PhaseHome home("soak-client");
    bool flat = false;
    {
        testserver::Server::Options options;
        options.recordLimit = 100;
        servicedouble::ServiceDouble service(options);
        servicedouble::DemoAccount::load(servicedouble::DemoAccount::defaultFolder()).serve(service);
        servicedouble::PhoneRecords phone;
        phone.serve(service);
        setenv("NX_SERVICE_HOST", "127.0.0.1", 1);
        setenv("NX_SERVICE_PORT", std::to_string(service.port()).c_str(), 1);
        mapdouble::MapDouble maps(8, 8);
        mapdouble::LocationService locations;
        NXUITestDriver driver;
        // The phone's day is the virtual clock's day.
        phone.setPositions(tour::kDemoPhone, servicedouble::PhoneRecords::demoDay(servicedouble::fillDates("{DATE-0}")));
        NXApplicationLaunch(NSString());
        tour::Tour road(driver, service, home.path() / "pictures", tour::ListedFindings{});
        // The real time the run loop is given for answers: the workers are
        // joined before, so a few passes are enough.
        constexpr NSTimeInterval kQuiet = 0.01;
        try {
            if (!driver.useKeyWindow()) throw tour::Failure("the client shows no window");
            tour::useMapDoubles(maps, locations);
            driver.advanceClock(4);  // the splash
            road.waitFor([&] { return driver.visibleAlert() != nullptr; }, "the help offer");
            driver.pressAlertButton(1);  // next time
            tour::chooseDevice(road, tour::logIn(road), tour::kDemoPhone);
            tour::settle(road, kQuiet);
            flat = soak("visits of the location map", visits, [&](size_t) {
                MapController* map = tour::openLocationMap(road, kQuiet);
                const std::weak_ptr<NSObject> left = map->weak_from_this();
                driver.tapBarButtonItem(map->navigationItem()->leftBarButtonItem.get());
                tour::settle(road, kQuiet);
                return left.expired();  // the screen left is gone, with its map view
            });
        } catch (const tour::Failure& e) {
            std::printf("visits of the location map: %s\n", e.what());
            flat = false;
        }
        NSThread::joinDetachedThreads(10);
        service.stop();
    }
    return flat;
}

}  // namespace

int main(int argc, char** argv)
{
    size_t exchanges = argc > 1 ? std::stoul(argv[1]) : 20000;
    size_t requests = argc > 2 ? std::stoul(argv[2]) : exchanges;
    size_t moves = argc > 3 ? std::stoul(argv[3]) : 20000;
    size_t visits = argc > 4 ? std::stoul(argv[4]) : 1000;
    nxlog::setSink([](const std::string&) {});  // every exchange would log its messages
    bool flat = soakServiceDouble(exchanges);
    flat = soakEngineRequests(requests) && flat;
    flat = soakMapMoves(moves) && flat;
    flat = soakMapVisits(visits) && flat;
    return flat ? 0 : 1;
}
