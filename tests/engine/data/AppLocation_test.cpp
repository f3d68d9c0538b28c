// The engine's position: a scripted walk through the CoreLocation stand-in and
// the GPS bridge, network positioning against the double's location service
// on 127.0.0.1, the cell cache file, the cell upload and the datum offset.
#include "engine/data/AppLocation.h"

#include <arpa/inet.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <thread>

#include "engine/base/VMsgMan.h"
#include "engine/data/DatumOffset.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSRunLoop.h"
#include "platform/foundation/NSThread.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/map-double/LocationService.h"
#include "tools/mapdemo/DemoData.h"

namespace mapengine::test {
namespace {

tagCellInfo Cell(int cid, int lac = 4189, int mcc = 460, int mnc = 0) {
  tagCellInfo cell;
  cell.mcc = mcc;
  cell.mnc = mnc;
  cell.lac = lac;
  cell.cid = cid;
  return cell;
}

std::u16string Folder(const std::string& path) { return std::u16string(path.begin(), path.end()) + u"/"; }

class AppLocationTest : public EngineHomeTest {
protected:
  void SetUp() override {
    EngineHomeTest::SetUp();
    NSClock::useVirtualClock(1000000000.0);
    ASSERT_NO_FATAL_FAILURE(net.Start());
    net.cache->SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(service.port()));
    // Made once the code pages are loaded: its service addresses are texts.
    urls = std::make_unique<CUrlTranslater>();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, urls.get());
    provider = std::make_shared<CLScriptedLocationProvider>();
    CLLocationSetProvider(provider);
    location = std::make_unique<CAppLocation>(CVString(VStr(Folder(m_root).c_str())));
    ASSERT_EQ(location->Start(), 1);
  }
  void TearDown() override {
    location.reset();
    IphoneGPSMan::getInstance()->unInitialize();
    IphoneGPSMan::destroyInstance();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
    CLLocationSetProvider(nullptr);
    EXPECT_TRUE(NSThread::joinDetachedThreads(10.0));
    NSClock::useRealClock();
    EngineHomeTest::TearDown();
  }

  // One tick of timer 1000, on a thread of its own as the engine's timer runs.
  void Tick() {
    std::thread timer([this] { location->OnLocTimer(); });
    timer.join();
  }

  // The position messages queued for the main thread (lParam each).
  std::vector<int> Announced() {
    std::vector<int> out;
    tagEngineMsg msg;
    while (net.msgs->PopMessage(net.msgs->GetRing(2), msg)) {
      if (msg.message == kMsgLocation) {
        out.push_back(msg.lParam);
      }
    }
    return out;
  }

  // Hands network events to the location object until a position message
  // is queued; its lParam values.
  std::vector<int> AwaitAnnouncement() {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      if (net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        location->OnNetEvent(msg.message, msg.wParam);
      } else if (std::vector<int> announced = Announced(); !announced.empty()) {
        return announced;
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    ADD_FAILURE() << "no position announced";
    return {};
  }

  tagLocInfo Current() {
    tagLocInfo info;
    location->GetLocation(&info);
    return info;
  }

  EngineNetwork net;
  mapdouble::LocationService service;
  std::unique_ptr<CUrlTranslater> urls;
  std::shared_ptr<CLScriptedLocationProvider> provider;
  std::unique_ptr<CAppLocation> location;
};

TEST_F(AppLocationTest, AScriptedWalkArrivesAsPositionsOnTheMainThread) {
  const std::string script = m_root + "/walk.txt";
  std::ofstream(script) << "1 fix 39.9095 116.4010 5000 80 1.3\n"
                           "3 fix 39.9087 116.3975 20 90 1.2\n";
  ASSERT_TRUE(provider->loadScript(script));
  location->SetLocMode(5);
  NSRunLoop::mainRunLoop()->runUntil([] { return IphoneGPSMan::getInstance()->locationManager() != nullptr; }, 10.0);
  ASSERT_NE(IphoneGPSMan::getInstance()->locationManager(), nullptr);

  Tick();
  EXPECT_TRUE(Announced().empty()) << "no fix yet";
  EXPECT_EQ(Current().status, 2);

  NSClock::advance(1.0);
  Tick();
  EXPECT_EQ(Announced(), std::vector<int>{0}) << "queued on the priority ring for the main thread";
  EXPECT_EQ(Current().radius, 2000) << "a first fix of poor accuracy is handed out as the worst";

  NSClock::advance(2.0);
  Tick();
  EXPECT_EQ(Announced(), std::vector<int>{0});
  tagLocInfo here = Current();
  EXPECT_EQ(here.source, 5);
  EXPECT_EQ(here.status, 3);
  EXPECT_EQ(here.radius, 20);
  EXPECT_EQ(here.course, 90.0f);
  CGpsDetailInfo fix;
  fix.longitude = 116.3975f;
  fix.latitude = 39.9087f;
  _VDPoint expected;
  GpsToMapCoord(&expected, fix, 2, 1);
  // The datum offset adds under a metre of jitter per conversion.
  EXPECT_NEAR(here.x, expected.x, 2.0);
  EXPECT_NEAR(here.y, expected.y, 2.0);
}

TEST_F(AppLocationTest, NetworkPositioningSignsItsQueryAndKeepsTheCell) {
  location->CellMan().SetCellInfo(Cell(12345));
  EXPECT_EQ(location->SetLocMode(4), 0) << "the Wi-Fi provider does not start here";
  EXPECT_EQ(location->GetLocMode(), 3);
  Tick();
  EXPECT_EQ(AwaitAnnouncement(), std::vector<int>{0});
  ASSERT_EQ(service.queries().size(), 1u);
  EXPECT_EQ(service.badSignatures(), 0);
  EXPECT_EQ(service.queries()[0].rfind("&cl=460|0|4189|12345&wf=", 0), 0u) << service.queries()[0];
  EXPECT_NE(service.queries()[0].find("&prod=vurivmap"), std::string::npos);

  tagLocInfo here = Current();
  EXPECT_EQ(here.source, 3);
  EXPECT_EQ(here.status, 3);
  EXPECT_EQ(here.cid, 12345);
  EXPECT_EQ(here.radius, 150);
  EXPECT_EQ(here.x, mapdemo::PlaceNamed("天安门").at.x);
  EXPECT_EQ(here.y, mapdemo::PlaceNamed("天安门").at.y);
  EXPECT_EQ(std::filesystem::file_size(m_root + "/loc.dat"), 16u + 28u);

  for (int i = 0; i < 4; ++i) {
    Tick();
  }
  EXPECT_EQ(service.queries().size(), 1u) << "the same cell is not asked again";
}

TEST_F(AppLocationTest, ACellAskedBeforeIsAnsweredFromTheResultCache) {
  location->SetLocMode(3);
  for (int cid : {100, 200}) {
    location->CellMan().SetCellInfo(Cell(cid));
    Tick();
    // The second cell lies where the first does: stored, not announced.
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (Current().cid != cid && std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      if (net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        location->OnNetEvent(msg.message, msg.wParam);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
    ASSERT_EQ(Current().cid, cid);
    for (int i = 0; i < 2; ++i) {
      Tick();  // the ticks skipped after an answer
    }
  }
  ASSERT_EQ(service.queries().size(), 2u);
  location->CellMan().SetCellInfo(Cell(100));
  Tick();
  tagEngineMsg msg;
  ASSERT_TRUE(net.msgs->PopMessage(net.msgs->GetRing(1), msg)) << "the cached answer is posted at once";
  EXPECT_EQ(msg.message, kMsgHttpComplete);
  EXPECT_EQ(msg.wParam, 2);
  location->OnNetEvent(msg.message, msg.wParam);
  EXPECT_EQ(service.queries().size(), 2u) << "no request";
  tagLocInfo here = Current();
  EXPECT_EQ(here.cid, 100);
  EXPECT_EQ(here.status, 3);
  EXPECT_EQ(here.radius, 150);
}

TEST_F(AppLocationTest, ANewCellWithoutAnAnswerIsAnnouncedAsFailed) {
  service.setResult("167");
  location->CellMan().SetCellInfo(Cell(777));
  location->SetLocMode(3);
  Tick();
  EXPECT_EQ(AwaitAnnouncement(), std::vector<int>{kLocationFailed});
  tagLocInfo here = Current();
  EXPECT_EQ(here.status, 2);
  EXPECT_EQ(here.cid, 777) << "the failure names the cell";
  EXPECT_FALSE(std::filesystem::exists(m_root + "/loc.dat"));
}

TEST_F(AppLocationTest, NoCellAndNoWifiNeverAsks) {
  location->SetLocMode(3);
  for (int i = 0; i < 9; ++i) {
    Tick();
  }
  EXPECT_TRUE(service.queries().empty());
  EXPECT_TRUE(Announced().empty());
}

TEST_F(AppLocationTest, ModesStartAndStopTheirProviders) {
  struct Case {
    int mode;
    int result;
    int stored;
  } cases[] = {
      {5, 1, 5},  // GPS alone
      {2, 0, 2},  // GPS, then Wi-Fi, which does not start here
      {3, 0, 3},  // Wi-Fi first: GPS is not stopped
      {4, 0, 3},
      {4, 0, 3},  // the stored mode is 3, so 4 is never short-circuited
      {3, 1, 3},  // the same mode
      {1, 0, 1},
      {7, 0, 1},  // unknown: nothing changes
  };
  for (const Case& c : cases) {
    EXPECT_EQ(location->SetLocMode(c.mode), c.result) << c.mode;
    EXPECT_EQ(location->GetLocMode(), c.stored) << c.mode;
  }
}

class CellCacheTest : public EngineHomeTest {
protected:
  CVString Folder() const { return CVString(VStr(mapengine::test::Folder(m_root).c_str())); }
  std::string Path() const { return m_root + "/loc.dat"; }
};

TEST_F(CellCacheTest, TheHundredFirstCellDropsTheOldestAndTheFileFollows) {
  {
    CLocCellCache cache(2, Folder());
    for (int cid = 1; cid <= 101; ++cid) {
      cache.Add(Cell(cid), cid * 10.0, cid * 20.0, 100 + cid);
    }
    cache.Add(Cell(50), 1.0, 2.0, 7);  // known: updated in place
    EXPECT_EQ(cache.GetCount(), 100);
  }
  EXPECT_EQ(std::filesystem::file_size(Path()), 16u + 28u * 100u);
  CLocCellCache reread(2, Folder());
  EXPECT_EQ(reread.Find(Cell(1)), nullptr);
  ASSERT_NE(reread.Find(Cell(101)), nullptr);
  EXPECT_EQ(reread.Find(Cell(101))->radius, 201);
  ASSERT_NE(reread.Find(Cell(50)), nullptr);
  EXPECT_EQ(reread.Find(Cell(50))->x, 1.0);
  EXPECT_EQ(reread.Find(Cell(50, 9)), nullptr) << "another area";
  EXPECT_EQ(reread.Find(Cell(50, 4189, 461)), nullptr) << "another network";

  reread.Add(Cell(9, 1, 461), 5, 6, 50);
  EXPECT_EQ(reread.GetCount(), 1) << "another network empties the cache";
}

TEST_F(CellCacheTest, AFileOfTheWrongShapeIsIgnored) {
  struct Case {
    int count;
    int tag;
    int extraBytes;
  } cases[] = {{1, 13, 0}, {0, 14, 0}, {101, 14, 0}, {2, 14, -1}, {2, 14, 5}};
  for (const Case& c : cases) {
    {
      std::ofstream out(Path(), std::ios::binary | std::ios::trunc);
      int head[4] = {c.count, c.tag, 460, 0};
      out.write(reinterpret_cast<const char*>(head), sizeof head);
      std::string entries(static_cast<size_t>(std::max(0, c.count * 28 + c.extraBytes)), '\1');
      out.write(entries.data(), static_cast<std::streamsize>(entries.size()));
    }
    CLocCellCache cache(2, Folder());
    EXPECT_EQ(cache.GetCount(), 0) << c.count << " " << c.tag << " " << c.extraBytes;
  }
}

TEST_F(AppLocationTest, CellRecordsAreUploadedTwentyAPost) {
  CLocDataCollector& collector = location->Collector();
  auto settle = [&] {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (collector.InFlightCount() > 0 && std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      if (net.msgs->PopMessage(net.msgs->GetRing(1), msg)) {
        location->OnNetEvent(msg.message, msg.wParam);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
      }
    }
  };
  CGpsDetailInfo still;  // no fix: every tick asks for two minutes
  EXPECT_EQ(collector.Tick(Cell(1), still, CVString()), 120000);
  EXPECT_EQ(collector.PendingCount(), 1);
  collector.Tick(Cell(1), still, CVString());
  EXPECT_EQ(collector.PendingCount(), 0) << "the same cell is not recorded again";
  EXPECT_EQ(collector.InFlightCount(), 1) << "two minutes have passed: what waits goes";
  for (int cid = 2; cid <= 28; ++cid) {
    collector.Tick(Cell(cid), still, CVString());
  }
  EXPECT_EQ(collector.PendingCount(), 27) << "one upload at a time";
  settle();
  collector.Tick(Cell(29), still, CVString());
  EXPECT_EQ(collector.InFlightCount(), 20);
  EXPECT_EQ(collector.PendingCount(), 8) << "what one post does not carry keeps waiting";
  settle();
  std::vector<std::string> uploads = service.uploads();
  ASSERT_EQ(uploads.size(), 21u);
  EXPECT_EQ(uploads[0].rfind("&cl=460|0|4189|1&wf=", 0), 0u) << uploads[0];
  EXPECT_EQ(uploads[1].rfind("&cl=460|0|4189|2&wf=", 0), 0u) << uploads[1];
  EXPECT_EQ(service.badSignatures(), 0);
}

TEST(DatumOffsetTest, TheBoxTheHeightAndTheSeed) {
  auto units = [](double degrees) { return static_cast<unsigned>(degrees * kOffsetUnitsPerDegree); };
  unsigned lon = 7, lat = 7;
  EXPECT_EQ(wgs84_to_gcj02(1, units(72.0), units(39.9), 0, 0, 0, &lon, &lat), kOffsetRejected);
  EXPECT_EQ(lon, 0u);
  EXPECT_EQ(lat, 0u);
  EXPECT_EQ(wgs84_to_gcj02(1, units(116.4), units(39.9), 5001, 0, 0, &lon, &lat), kOffsetRejected);
  EXPECT_EQ(wgs84_to_gcj02(0, units(116.4), units(39.9), 5000, 0, 0, &lon, &lat), 0);
  EXPECT_EQ(lon, units(116.4)) << "seeding hands the position back";
  EXPECT_EQ(lat, units(39.9));
  unsigned lon2 = 0, lat2 = 0;
  EXPECT_EQ(wgs84_to_gcj02(1, units(116.4), units(39.9), 0, 0, 0, &lon, &lat), 0);
  EXPECT_EQ(wgs84_to_gcj02(1, units(116.4), units(39.9), 0, 0, 0, &lon2, &lat2), 0);
  // The shift is some hundreds of metres; two calls differ by their jitter alone.
  EXPECT_GT(lon, units(116.4) + units(0.003));
  EXPECT_LT(std::abs(static_cast<long long>(lon) - static_cast<long long>(lon2)), 100);
  EXPECT_EQ(offset_sin(0), 0);
  EXPECT_EQ(offset_sin(-1.25), -offset_sin(1.25));
  EXPECT_NEAR(offset_sin(1.25), std::sin(1.25), 1e-8) << "an eleventh-order series";
}

}  // namespace
}  // namespace mapengine::test

namespace mapengine::test {
namespace {

// Known points in 1/3686400 degree, shifted from a fresh seed (time 0, as
// the positioning object calls). The expected values were computed once,
// apart from this code, by evaluating the transform's series, Krasovsky
// scale and jitter sequence with IEEE doubles step by step; they agree with
// the well-known size of the shift (Beijing about +0.0062 degrees east and
// +0.0014 north, Shanghai about +0.0045 east and -0.0019 north). Outside the
// box (Tokyo east of it, Moscow west of it) nothing is shifted.
TEST(DatumOffsetTest, KnownPointsInsideAndOutsideTheArea) {
  struct Case {
    const char* place;
    unsigned lon, lat;
    int height;
    int result;
    unsigned outLon, outLat;
  } cases[] = {
      {"Tiananmen", 429064888, 147115008, 0, 0, 429087931, 147120192},
      {"Shanghai", 447800647, 115127746, 50, 0, 447817355, 115120606},
      {"Urumqi", 322990571, 161558691, 900, 0, 323001157, 161563183},
      {"Sanya", 403704668, 67287121, 0, 0, 403719754, 67280853},
      {"Tokyo", 514959482, 131565772, 0, kOffsetRejected, 0, 0},
      {"Moscow", 138672414, 205538181, 0, kOffsetRejected, 0, 0},
  };
  for (const Case& c : cases) {
    unsigned lon = 0, lat = 0;
    ASSERT_EQ(wgs84_to_gcj02(0, 429064888, 147115008, 0, 0, 0, &lon, &lat), 0) << "re-seeded";
    EXPECT_EQ(wgs84_to_gcj02(1, c.lon, c.lat, c.height, 0, 0, &lon, &lat), c.result) << c.place;
    EXPECT_EQ(lon, c.outLon) << c.place;
    EXPECT_EQ(lat, c.outLat) << c.place;
  }
  // Every call steps the jitter twice: the same point comes out a little
  // different each time, in a fixed sequence.
  unsigned lon = 0, lat = 0;
  ASSERT_EQ(wgs84_to_gcj02(0, 429064888, 147115008, 0, 0, 0, &lon, &lat), 0);
  const unsigned sequence[][2] = {{429087931, 147120192}, {429087938, 147120193}, {429087902, 147120197}};
  for (const auto& expected : sequence) {
    ASSERT_EQ(wgs84_to_gcj02(1, 429064888, 147115008, 0, 0, 0, &lon, &lat), 0);
    EXPECT_EQ(lon, expected[0]);
    EXPECT_EQ(lat, expected[1]);
  }
  // The positioning timer and the main thread convert at the same time: no
  // step of the sequence is lost or repeated, so after 2000 calls the next
  // one is the 2001st of the sequence.
  ASSERT_EQ(wgs84_to_gcj02(0, 429064888, 147115008, 0, 0, 0, &lon, &lat), 0);
  auto convert = [] {
    for (int i = 0; i < 1000; ++i) {
      unsigned x = 0, y = 0;
      wgs84_to_gcj02(1, 429064888, 147115008, 0, 0, 0, &x, &y);
    }
  };
  std::thread timer(convert);
  convert();
  timer.join();
  ASSERT_EQ(wgs84_to_gcj02(1, 429064888, 147115008, 0, 0, 0, &lon, &lat), 0);
  EXPECT_EQ(lon, 429087931u);
  EXPECT_EQ(lat, 147120186u);
  // The degrees form keeps a position outside the area as it is.
  double outLon = 0, outLat = 0;
  OffsetToGcj02(139.6917, 35.6895, 0, &outLon, &outLat);
  EXPECT_EQ(outLon, 139.6917);
  EXPECT_EQ(outLat, 35.6895);
}

}  // namespace
}  // namespace mapengine::test
