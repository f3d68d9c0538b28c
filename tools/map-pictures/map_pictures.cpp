// map-pictures OUTPUT-FOLDER
//
// Starts the engine's network, the map-service double in real-data mode on
// 127.0.0.1 and the map-view controller in a temporary home, and writes what
// the engine paints (640 x 960) as PNGs: China at level 5, Beijing at 9 and
// its southern border at 13, a pan before and after, satellite, traffic over the map and the
// parent-tile fallback with the network cut.
#include <arpa/inet.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "engine/base/HttpClient.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "engine/render/MapControl.h"
#include "engine/render/MapView.h"
#include "engine/model/Projection.h"
#include "tools/imagefixtures/ImageFixtures.h"
#include "tools/map-double/MapDouble.h"

using namespace mapengine;

namespace {

constexpr int kWidth = 640;
constexpr int kHeight = 960;

struct Engine {
  CVMsgMan msgs;
  CVSocketMan sockets;
  CHostAddrCache hosts;
  CUrlTranslater urls;

  bool Start(uint16_t port) {
    GetGlobalMan()->SetSlot(kSlotMsgMan, &msgs);
    sockets.Init(30);
    if (sockets.StartThread() != 1) {
      return false;
    }
    GetGlobalMan()->SetSlot(kSlotSocketMan, &sockets);
    GetGlobalMan()->SetSlot(kSlotHostAddrCache, &hosts);
    hosts.SetAt("map.vuriv.com", 80, htonl(INADDR_LOOPBACK), htons(port));
    HttpClientMapInit();
    CVStringArray tileHosts;
    CVString host = "http://tiles.vuriv.com/";
    tileHosts.Add(host);
    urls.SetMapDomain(tileHosts, 2, 4);
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, &urls);
    return true;
  }
  void Stop() {
    sockets.StopThread();
    HttpClientMapDestroy();
    for (int slot : {kSlotSocketMan, kSlotHostAddrCache, kSlotMsgMan, kSlotUrlTranslater}) {
      GetGlobalMan()->SetSlot(slot, nullptr);
    }
  }
  // Routes network events to the controller until the network has been
  // quiet for a while (a picture tool, not a test: the wall clock will do).
  void Pump(CMapControl& control) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    auto quietSince = std::chrono::steady_clock::now();
    while (std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      while (msgs.PopMessage(msgs.GetRing(2), msg)) {
      }
      if (!msgs.PopMessage(msgs.GetRing(1), msg)) {
        if (!IsTileRequestBusy(&control.GetDownloader()) &&
            std::chrono::steady_clock::now() - quietSince > std::chrono::milliseconds(700)) {
          return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        continue;
      }
      quietSince = std::chrono::steady_clock::now();
      if (msg.message == kMsgHttpPartial || msg.message == kMsgHttpComplete) {
        control.OnTileReply(msg.wParam, msg.lParam, msg.message);
      } else if (msg.message >= kMsgHttpConnectFailed && msg.message <= kMsgHttpBadReply) {
        control.OnTileFailure(msg.wParam, 0);
      }
    }
  }
};

bool Write(CMapControl& control, const std::string& path) {
  control.InvalidateAll();
  control.Paint(nullptr);
  const auto* bits = reinterpret_cast<const uint32_t*>(control.GetImage().GetBits());
  imagefixtures::PngLayout layout;
  layout.width = kWidth;
  layout.height = kHeight;
  std::vector<uint8_t> png = imagefixtures::makePng(layout, imagefixtures::rgbFromArgb(bits, kWidth * kHeight));
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  std::printf("wrote %s\n", path.c_str());
  return out.good();
}

_VPoint At(double lon, double lat) {
  _VDPoint datum;
  Gcj02ToMapDatum(lon, lat, &datum);
  _VDPoint units;
  LonLatToMapUnits(&units, datum);
  return {static_cast<int>(units.x), static_cast<int>(units.y)};
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: map-pictures OUTPUT-FOLDER\n");
    return 2;
  }
  std::string folder = std::string(argv[1]) + "/";
  std::filesystem::create_directories(folder);
  std::string pattern = (std::filesystem::temp_directory_path() / "map-pictures-XXXXXX").string();
  if (!mkdtemp(pattern.data())) {
    return 1;
  }
  std::string home = pattern + "/";
  CreateGlobalMan();
  static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap))->LoadTables();
  CVString documents(home.c_str());
  SetStartupPaths(documents, documents);
  int result = 0;
  {
    auto service = std::make_unique<mapdouble::MapDouble>();
    if (!mapdouble::addRealDataTileService(*service)) {
      std::fprintf(stderr, "map-pictures: the geography packages (gmt-dcw, gmt-gshhg-low) are missing\n");
      return 1;
    }
    Engine engine;
    if (!engine.Start(service->port())) {
      return 1;
    }
    {
      CMapControl control;
      _VPoint china = At(105.0, 35.5);
      _VPoint beijing = At(116.397, 39.908);
      control.Init(china.x, china.y, 0, 0, kWidth, kHeight, 5, CVString(home.c_str()));
      control.UpdateAllLayers();
      engine.Pump(control);
      Write(control, folder + "china-level5.png");
      control.MoveTo(beijing.x, beijing.y, 0, 0, 0);
      control.SetLevel(9, 1, 0, 0);
      engine.Pump(control);
      Write(control, folder + "china-level9.png");
      // Level 13 on the southern edge of Beijing, where its border with
      // Hebei runs.
      _VPoint southEdge = At(116.42, 39.46);
      control.MoveTo(southEdge.x, southEdge.y, 0, 0, 0);
      control.SetLevel(13, 1, 0, 0);
      engine.Pump(control);
      Write(control, folder + "beijing-level13.png");
      control.MoveTo(beijing.x, beijing.y, 0, 0, 0);
      control.SetLevel(9, 1, 0, 0);
      engine.Pump(control);
      Write(control, folder + "pan-before.png");
      const tagMapViewState& view = GetMapViewState();
      control.MoveTo(view.ptCenter.x + 300 * view.nScale, view.ptCenter.y - 200 * view.nScale, 0, 1, 1);
      engine.Pump(control);
      Write(control, folder + "pan-after.png");
      control.ShowLayer(2, 1);
      engine.Pump(control);
      Write(control, folder + "satellite-level9.png");
      control.ShowLayer(1, 1);
      control.SetLevel(11, 1, 0, 0);
      engine.Pump(control);
      control.ShowLayer(3, 1);
      engine.Pump(control);
      Write(control, folder + "traffic-level11.png");
      control.ShowLayer(3, 0);
      // The network cut: the next level shows its parents magnified.
      service.reset();
      control.SetLevel(12, 1, 0, 0);
      engine.Pump(control);
      Write(control, folder + "fallback-offline-level12.png");
    }
    engine.Stop();
  }
  std::filesystem::remove_all(home);
  DestroyGlobalMan();
  return result;
}
