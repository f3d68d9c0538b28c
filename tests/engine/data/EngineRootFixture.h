// The engine as the SDK drives it: bootstrapped, started and stopped through
// its flat functions in a temporary home, with the map-service double and
// the location service on 127.0.0.1. The test thread is the main thread: it
// drains the message rings as the SDK's dispatcher does, and a recording
// interface handler stands in for the SDK's.
#pragma once

#include <arpa/inet.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

#include "engine/base/VFile.h"
#include "engine/base/VMem.h"
#include "engine/root/EngineRoot.h"
#include "engine/data/GpsProviders.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSThread.h"
#include "platform/foundation/NSUserDefaults.h"
#include "platform/testing/NXPump.h"
#include "tests/engine/data/DataTestSupport.h"
#include "tools/map-double/LocationService.h"
#include "tools/map-double/MapDouble.h"

namespace mapengine::test {

inline constexpr int kWidth = 320;
inline constexpr int kHeight = 480;

// What the interface handler received, and on which thread.
inline std::vector<tagEngineMsg> g_ui;
inline bool g_uiOffMain = false;

inline int UiHandler(void*, int message, int wParam, int lParam) {
  g_ui.push_back({message, wParam, lParam});
  g_uiOffMain = g_uiOffMain || !NSThread::isMainThread();
  if (message == 9) {  // the repaint
    if (CEngineRoot* root = GetEngineRoot(); root && root->m_pMapControl) {
      MapPaint(root->m_pMapControl, MapGetScreenDC(root));
    }
  }
  return 0;
}

inline bool Received(int message, int wParam, int lParam) {
  for (const tagEngineMsg& m : g_ui) {
    if (m.message == message && m.wParam == wParam && m.lParam == lParam) return true;
  }
  return false;
}

inline std::u16string Path(const std::string& path) { return std::u16string(path.begin(), path.end()); }

class EngineRootTest : public EngineHomeTest {
protected:
  void SetUp() override {
    EngineHomeTest::SetUp();
    NSClock::useVirtualClock(1000000000.0);
    g_ui.clear();
    g_uiOffMain = false;
    // A 320 x 480 screen of 163 dpi: the plain tile kinds.
    auto defaults = NSUserDefaults::standardUserDefaults();
    defaults->setInteger(kWidth, kScreenWidthKey);
    defaults->setInteger(kHeight, kScreenHeightKey);
    documents = m_root + "/Documents/";
    caches = m_root + "/Library/Caches/";
    std::filesystem::create_directories(documents);
    std::filesystem::create_directories(caches);
    ASSERT_EQ(SetStartupPaths(VStr(Path(documents).c_str()), VStr(Path(caches).c_str())), 1);
    service = std::make_unique<mapdouble::MapDouble>();
    ASSERT_NO_FATAL_FAILURE(Bootstrap());
  }
  void TearDown() override {
    ShutDown();
    service.reset();
    IphoneGPSMan::getInstance()->unInitialize();
    IphoneGPSMan::destroyInstance();
    EXPECT_TRUE(NSThread::joinDetachedThreads(10.0));
    EXPECT_FALSE(g_uiOffMain) << "the interface handler ran off the main thread";
    NSClock::useRealClock();
    EngineHomeTest::TearDown();
  }

  // A map control made through the facade in the place given, on a window of
  // the screen's size around the view, opened at the point at level 12.
  void OpenMapControl(void* place, CVWnd& wnd, int& view, int x, int y) {
    root->m_pMapControl = MapCreateControl(place);
    ASSERT_EQ(wnd.Attach(&view), 1);
    _VSize size;
    size.SetSize(kWidth, kHeight);
    ASSERT_EQ(wnd.SetWindowPos(0, 0, size), 1);
    _VRect rect;
    rect.SetRect(0, 0, kWidth, kHeight);
    ASSERT_EQ(MapInitWindow(root, &wnd, x, y, rect, 12), 1);
  }

  // The SDK's bootstrap and start.
  void Bootstrap() {
    root = VNew<CEngineRoot>(1);
    ASSERT_NE(root, nullptr);
    root->m_env.m_sdkDataFolder = CVString(VStr(Path(caches + "VurivMapSdk/").c_str()));
    ASSERT_EQ(CreateFolderPath(root->m_env.m_sdkDataFolder), 1);
    ASSERT_EQ(EngineInit(root), 1);
    EXPECT_EQ(GetEngineRoot(), root);
    EXPECT_EQ(GetUrlTranslater(), &root->m_urlTranslater);
    root->m_hostAddrCache.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(service->port()));
    root->m_hostAddrCache.SetAt("loc.map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(location.port()));
    ASSERT_EQ(EngineStart(root, UiHandler), 1);
  }
  // The SDK's release.
  void ShutDown() {
    if (!root) {
      return;
    }
    EngineDestroy(root);
    VDelete(root);
    root = nullptr;
    EXPECT_EQ(GetEngineRoot(), nullptr);
  }

  // Drains the rings on this (the main) thread until done or the bound ends.
  bool Pump(const std::function<bool()>& done, int seconds = 30) {
    return NXPumpUntil(
        done,
        [this] {
          for (int i = 0; i < 50; ++i) {
            root->m_msgMan.DispatchMessage();
          }
          return false;
        },
        seconds);
  }
  std::vector<tagEngineMsg> Queued(int type) {
    std::vector<tagEngineMsg> out;
    tagEngineMsg msg;
    while (root->m_msgMan.PopMessage(root->m_msgMan.GetRing(type), msg)) {
      out.push_back(msg);
    }
    return out;
  }
  // Timer ticks as the engine's timer thread makes them, on a thread of
  // its own, due at once.
  void TickOnTimerThread() {
    std::thread timer([this] { root->m_msgMan.ServeTimers(GetTickCount() + 60000); });
    timer.join();
  }

  std::string documents;
  std::string caches;
  std::unique_ptr<mapdouble::MapDouble> service;
  mapdouble::LocationService location;
  CEngineRoot* root = nullptr;
};

}  // namespace mapengine::test
