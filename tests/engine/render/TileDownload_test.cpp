// Tile downloads end to end: the engine's URL builder and tile downloader,
// CHttpClient, the relay and the map-service double on 127.0.0.1.
#include "engine/render/TileDownloader.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VSocket.h"
#include "engine/render/ImageDecode.h"
#include "engine/render/MapView.h"
#include "engine/model/Projection.h"
#include "tools/map-double/MapDouble.h"
#include "tools/map-double/MapProjection.h"
#include "tools/map-double/TilePattern.h"
#include "tools/snapshot/Snapshot.h"
#include "tests/engine/base/EngineNetwork.h"
#include "tests/engine/render/EngineText.h"

using namespace mapengine;
using mapdouble::Fault;

namespace {

bool IsTerminal(int message) {
  return message == kMsgHttpComplete || message == kMsgHttpConnectFailed || message == kMsgHttpSendFailed ||
         message == kMsgHttpReceiveFailed || message == kMsgHttpBadReply || message == kMsgHttpAskAgain;
}

// What a download handed out.
struct Outcome {
  int terminal = 0;  // the terminal message, 0 when the pack went bad first
  int bad = 0;
  int reports = 0;   // split reports with the pack in flight
  int reportsHandingTiles = 0;
  std::vector<std::string> keys;                           // in the order handed out
  std::map<std::string, std::optional<std::string>> tiles;  // nullopt: missing
};

class TileDownloadTest : public ::testing::Test {
protected:
  void SetUp() override {
    auto* tables = static_cast<CVCMMap*>(GetGlobalMan()->GetSlot(kSlotCMMap));
    ASSERT_EQ(tables->LoadTables(), 1);
    ASSERT_NO_FATAL_FAILURE(net.Start());
    service = std::make_unique<mapdouble::MapDouble>();
    net.SeedRelay(service->port());
    CVStringArray tileHosts;
    CVString host = "http://tiles.vuriv.com/";
    tileHosts.Add(host);
    urls.SetMapDomain(tileHosts, 2, 4);
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, &urls);
    downloader = std::make_unique<CTileDownloader>();
    ASSERT_EQ(downloader->Init(), 1);
  }
  void TearDown() override {
    downloader.reset();
    service.reset();
    net.Stop();
    GetGlobalMan()->SetSlot(kSlotUrlTranslater, nullptr);
  }

  static CVStringArray Keys(const std::vector<std::string>& keys) {
    CVStringArray out;
    for (const std::string& k : keys) {
      CVString key = k.c_str();
      out.Add(key);
    }
    return out;
  }

  // Runs the engine side of a download as the controller does: every report
  // splits the pack and hands on the tiles completed since the last one.
  // A fresh request id: a message left from an earlier request is not taken
  // for one of the next.
  int NextId() { return ++m_nId; }

  Outcome Download() {
    Outcome out;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (std::chrono::steady_clock::now() < deadline) {
      tagEngineMsg msg;
      if (!msgs->PopMessage(msgs->GetRing(1), msg)) {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        continue;
      }
      if (msg.lParam != m_nId || !(msg.message == kMsgHttpPartial || IsTerminal(msg.message))) {
        continue;
      }
      if (msg.message == kMsgHttpPartial || msg.message == kMsgHttpComplete) {
        tagTileSplitTable table;
        CVStringArray keys;
        downloader->SplitReply(table, keys, msg.message == kMsgHttpComplete);
        ++out.reports;
        if (table.nBad) {
          out.bad = 1;
          return out;
        }
        out.reportsHandingTiles += table.nDone > table.nPrevDone ? 1 : 0;
        for (int i = table.nPrevDone; i < table.nDone; ++i) {
          std::string key = Ascii(keys[i]);
          out.keys.push_back(key);
          out.tiles[key] = table.pData[i] ? std::optional<std::string>(std::string(
                                                reinterpret_cast<const char*>(table.pData[i]), table.nSize[i]))
                                          : std::nullopt;
        }
        if (msg.message == kMsgHttpComplete && table.nPending > 0) {
          EXPECT_EQ(downloader->SendNextPack(), 1);
          continue;
        }
      }
      if (IsTerminal(msg.message)) {
        out.terminal = msg.message;
        return out;
      }
    }
    ADD_FAILURE() << "no terminal message";
    return out;
  }

  mapengine::test::EngineNetwork net;
  std::unique_ptr<CVMsgMan>& msgs = net.msgs;
  std::unique_ptr<mapdouble::MapDouble> service;
  CUrlTranslater urls;
  std::unique_ptr<CTileDownloader> downloader;
  int m_nId = 40;
};

// Decoded pixels of a tile, or an empty vector.
std::vector<uint32_t> Decode(const std::string& bytes) {
  size_t size = 0;
  int width = 0;
  int height = 0;
  uint8_t* pixels = DecodePngTile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &size, &width, &height);
  std::vector<uint32_t> out;
  if (pixels) {
    out.assign(reinterpret_cast<uint32_t*>(pixels), reinterpret_cast<uint32_t*>(pixels) + width * height);
    CVMem::Deallocate(pixels);
  }
  return out;
}

}  // namespace

TEST(MapDoubleProjectionTest, EngineAndDoubleAgree) {
  // Both sides over every band, the edges of the valid range and beyond.
  for (double lat : {-89.0, -85.0511, -74.9, -60.0, -30.5, -0.01, 0.0, 0.01, 15.0, 39.908, 45.0, 75.0, 85.0511, 89.0}) {
    for (double lon : {-180.0, -73.9, 0.0, 116.397, 180.0}) {
      _VDPoint engine;
      LonLatToMapUnits(&engine, {lon, lat});
      mapdouble::Point other = mapdouble::mapUnitsFromLonLat({lon, lat});
      EXPECT_NEAR(engine.x, other.x, 1e-6 * std::max(1.0, std::fabs(other.x))) << lon << "," << lat;
      EXPECT_NEAR(engine.y, other.y, 1e-6 * std::max(1.0, std::fabs(other.y))) << lon << "," << lat;
    }
  }
  for (double y : {-3e7, -20037508.342, -12890594.87, -1678043.12, -1e-7, 0.0, 1e-7, 826088.5, 4824911.0,
                   8362377.88, 20037508.342, 3e7}) {
    for (double x : {-3e7, -20037508.342, 0.0, 12957395.0, 3e7}) {
      _VDPoint engine;
      MapUnitsToLonLat(&engine, {x, y});
      mapdouble::Point other = mapdouble::lonLatFromMapUnits({x, y});
      EXPECT_NEAR(engine.x, other.x, 1e-9) << x << "," << y;
      EXPECT_NEAR(engine.y, other.y, 1e-9) << x << "," << y;
    }
  }
  // The datum shift near Beijing and far from China (no box limits it).
  for (auto [lon, lat] : {std::pair{116.391, 39.907}, {121.47, 31.23}, {-70.6, -33.4}, {2.35, 48.85}}) {
    _VDPoint engine;
    Gcj02ToMapDatum(lon, lat, &engine);
    mapdouble::Point other = mapdouble::mapDatumFromGcj02({lon, lat});
    EXPECT_NEAR(engine.x, other.x, 1e-9) << lon << "," << lat;
    EXPECT_NEAR(engine.y, other.y, 1e-9) << lon << "," << lat;
  }
}

TEST_F(TileDownloadTest, BeijingAtLevel12StitchedFromTheDownloadedTiles) {
  // The default screen, 640 x 960: 4 columns and 5 rows of tiles.
  _VDPoint beijing;
  LonLatToMapUnits(&beijing, {116.397, 39.908});
  tagMapViewState view;
  SetViewLevel(view, 12);
  view.szScreen.SetSize(640, 960);
  view.rcWindow.SetRect(0, 0, 640, 960);
  view.ptCenter.SetPoint(static_cast<int>(beijing.x), static_cast<int>(beijing.y));
  const int cols = 640 / 256 + 2;
  const int rows = 960 / 256 + 2;
  UpdateViewTransform(view, cols, rows);
  UpdateViewPixelOrigin(view);

  // Rows from the north, columns from the west.
  std::vector<std::string> keys;
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < cols; ++c) {
      keys.push_back(std::to_string(view.nTileX + c) + "_" + std::to_string(view.nTileY - r));
    }
  }
  // A slow link: the pack arrives in pieces.
  service->pushFault({Fault::Kind::SlowLink, 0, 30, 2048});
  ASSERT_EQ(downloader->SendRequest(0, 12, 0, 0, Keys(keys), NextId(), 1), 1);
  EXPECT_EQ(IsTileRequestBusy(downloader.get()), 1);
  Outcome out = Download();
  ASSERT_EQ(out.terminal, kMsgHttpComplete);
  EXPECT_EQ(out.keys, keys) << "tiles are handed out in the order of the keys";
  EXPECT_GT(out.reportsHandingTiles, 1) << "the pack arrived over several reports";

  auto log = service->log();
  ASSERT_EQ(log.size(), 1u);
  EXPECT_EQ(log[0].type, "m256");
  EXPECT_EQ(log[0].level, 12);
  EXPECT_EQ(log[0].keys, keys);
  std::string joined;
  for (const std::string& k : keys) {
    joined += (joined.empty() ? "" : ",") + k;
  }
  EXPECT_EQ(log[0].url, "http://tiles.vuriv.com/?type=m256&l=12&c=" + joined + "&os=iphone");

  // Place the decoded tiles on a screen by the view transform.
  const int T = 256 * view.nScale;
  std::vector<uint32_t> screen(640 * 960, 0xFFD2D2D2);
  for (const std::string& key : keys) {
    ASSERT_TRUE(out.tiles[key].has_value());
    std::vector<uint32_t> tile = Decode(*out.tiles[key]);
    ASSERT_EQ(tile.size(), 256u * 256u) << key;
    int x = std::stoi(key);
    int y = std::stoi(key.substr(key.find('_') + 1));
    _VPoint at = MapToScreen(view, x * T, (y + 1) * T);
    for (int py = 0; py < 256; ++py) {
      for (int px = 0; px < 256; ++px) {
        int sx = at.x + px;
        int sy = at.y + py;
        if (sx >= 0 && sx < 640 && sy >= 0 && sy < 960) {
          screen[static_cast<size_t>(sy) * 640 + sx] = tile[static_cast<size_t>(py) * 256 + px];
        }
      }
    }
  }
  // Every pixel as the double predicts it from its own tile arithmetic.
  const long long S = view.nScale;
  const long long left = view.ptCenter.x - 320 * S;
  const long long top = view.ptCenter.y + 480 * S;
  int wrong = 0;
  for (int sy = 0; sy < 960; ++sy) {
    for (int sx = 0; sx < 640; ++sx) {
      long long mx = left + sx * S;
      long long my = top - sy * S;
      long long tx = mapdouble::tileIndex(mx, 12);
      long long ty = mapdouble::tileIndex(my - 1, 12);
      int px = static_cast<int>((mx - tx * T) / S);
      int py = static_cast<int>(((ty + 1) * T - my) / S);
      uint32_t expected = mapdouble::patternPixel(mapdouble::TileKind::Map, 12, tx, ty, px, py);
      wrong += screen[static_cast<size_t>(sy) * 640 + sx] != expected ? 1 : 0;
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_TRUE(snapshot::matchesExpected(snapshot::fromARGB32(screen.data(), 640, 960, 640),
                                        "tests/engine/render/snapshots/beijing-level12"));
}

TEST_F(TileDownloadTest, TrafficTilesKeepTheirAlpha) {
  ASSERT_EQ(downloader->SendRequest(1, 11, 0, 0, Keys({"1580_589", "1581_589"}), NextId(), 1), 1);
  Outcome out = Download();
  ASSERT_EQ(out.terminal, kMsgHttpComplete);
  size_t size = 0;
  const std::string& bytes = *out.tiles["1580_589"];
  uint8_t* pixels = DecodePngTile(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), &size);
  ASSERT_NE(pixels, nullptr);
  EXPECT_EQ(size, 327680u) << "rows plus an alpha plane";
  EXPECT_EQ(pixels[256 * 256 * 4 + 128 * 256 + 128], 0x80) << "alpha of the fill";
  CVMem::Deallocate(pixels);
  // Below level 10 there is no traffic: empty tiles.
  ASSERT_EQ(downloader->SendRequest(1, 9, 0, 0, Keys({"197_73"}), NextId(), 1), 1);
  out = Download();
  ASSERT_EQ(out.terminal, kMsgHttpComplete);
  EXPECT_EQ(out.tiles["197_73"], std::optional<std::string>(""));
}

TEST_F(TileDownloadTest, MoreKeysThanOnePackHoldsGoInSeveralPacks) {
  std::vector<std::string> keys;
  for (int i = 0; i < 45; ++i) {
    keys.push_back(std::to_string(790 + i % 9) + "_" + std::to_string(290 + i / 9));
  }
  ASSERT_EQ(downloader->SendRequest(0, 12, 0, 0, Keys(keys), NextId(), 1), 1);
  Outcome out = Download();
  ASSERT_EQ(out.terminal, kMsgHttpComplete);
  EXPECT_EQ(out.keys, keys);
  auto log = service->log();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0].keys.size(), 40u);
  EXPECT_EQ(log[1].keys.size(), 5u);
}

TEST_F(TileDownloadTest, RequestRules) {
  EXPECT_EQ(downloader->SendRequest(0, 12, 0, 0, Keys({}), NextId(), 1), 0);
  // The same keys again while the first request is in flight: sent once.
  service->pushFault({Fault::Kind::Delay, 0, 1000});
  ASSERT_EQ(downloader->SendRequest(0, 12, 0, 0, Keys({"790_294", "791_294"}), NextId(), 1), 1);
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!downloader->GetHttpClient().IsBusy() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ASSERT_TRUE(downloader->GetHttpClient().IsBusy());
  EXPECT_EQ(downloader->SendRequest(0, 12, 0, 0, Keys({"791_294"}), m_nId, 1), 0);
  Outcome out = Download();
  EXPECT_EQ(out.terminal, kMsgHttpComplete);
  EXPECT_EQ(service->log().size(), 1u);
  // Kind 3 (offline) and 4 (satellite) choose their client types.
  ASSERT_EQ(downloader->SendRequest(4, 12, 0, 0, Keys({"790_294"}), NextId(), 1), 1);
  EXPECT_EQ(downloader->GetHttpClient().GetClientType(), 12);
  Download();
  ASSERT_EQ(downloader->SendRequest(3, 12, 0, 0, Keys({"790_294"}), NextId(), 1), 1);
  EXPECT_EQ(downloader->GetHttpClient().GetClientType(), 11);
  Download();
  EXPECT_EQ(service->log().back().type, "m256");
  EXPECT_EQ(service->log()[1].type, "sate");
}

TEST_F(TileDownloadTest, EachMisbehaviourEndsInItsMessage) {
  const std::vector<std::string> keys = {"790_294", "791_294", "792_294"};
  struct Case {
    const char* name;
    Fault fault;
    int terminal;
    int bad;
    std::vector<int> missing;  // tiles handed on as missing
    int emptyTile = -1;
    int corruptTile = -1;
  } cases[] = {
      {"missing tile", {Fault::Kind::MissingTile, 1}, kMsgHttpComplete, 0, {1}},
      {"empty tile", {Fault::Kind::EmptyTile, 0}, kMsgHttpComplete, 0, {}, 0},
      {"corrupt tile", {Fault::Kind::CorruptTile, 2}, kMsgHttpComplete, 0, {}, -1, 2},
      {"oversized pack", {Fault::Kind::OversizedPack}, kMsgHttpBadReply, 0, {}},
      {"count too large", {Fault::Kind::CountTooLarge}, 0, 1, {}},
      {"header too short", {Fault::Kind::HeaderTooShort}, 0, 1, {}},
      {"offset past the end", {Fault::Kind::OffsetPastEnd, 1}, 0, 1, {}},
      {"delay", {Fault::Kind::Delay, 0, 200}, kMsgHttpComplete, 0, {}},
      {"drop mid-body", {Fault::Kind::DropMidBody, 0, 0, 1500, 1}, kMsgHttpComplete, 0, {}},
      {"gateway page", {Fault::Kind::Gateway}, 0, 1, {}},
      {"refused", {Fault::Kind::Refused}, kMsgHttpBadReply, 0, {}},
      {"empty reply", {Fault::Kind::EmptyBody}, kMsgHttpBadReply, 0, {}},
  };
  int level = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    service->pushFault(c.fault);
    // A level per case, so that no case reuses a kept answer.
    ASSERT_EQ(downloader->SendRequest(0, ++level, 0, 0, Keys(keys), NextId(), 1), 1);
    Outcome out = Download();
    EXPECT_EQ(out.terminal, c.terminal);
    EXPECT_EQ(out.bad, c.bad);
    if (c.terminal == kMsgHttpComplete) {
      ASSERT_EQ(out.keys, keys);
      for (int i = 0; i < 3; ++i) {
        const std::optional<std::string>& tile = out.tiles[keys[i]];
        bool missing = std::find(c.missing.begin(), c.missing.end(), i) != c.missing.end();
        ASSERT_EQ(!tile.has_value(), missing) << i;
        if (missing) {
          continue;
        }
        if (i == c.emptyTile) {
          EXPECT_TRUE(tile->empty());
        } else if (i == c.corruptTile) {
          EXPECT_TRUE(Decode(*tile).empty());
        } else {
          EXPECT_EQ(Decode(*tile).size(), 256u * 256u) << i;
        }
      }
    }
    if (out.bad || out.terminal != kMsgHttpComplete) {
      downloader->GetHttpClient().Close();
    }
  }
  // After all that the downloader still works.
  ASSERT_EQ(downloader->SendRequest(0, 12, 0, 0, Keys(keys), NextId(), 1), 1);
  EXPECT_EQ(Download().terminal, kMsgHttpComplete);
}

TEST_F(TileDownloadTest, PacksThatContradictThemselvesAreRefused) {
  // Words of a 3-tile pack: 0 H, 4 n, 8 + 8i offset of tile i, 12 + 8i its size.
  const std::vector<std::string> keys = {"790_294", "791_294", "792_294"};
  struct Case {
    const char* name;
    size_t at;
    int value;
    bool bad;
  } cases[] = {
      {"n = -1", 4, -1, true},
      {"n = 41", 4, 41, true},
      {"n = 2^31 - 1", 4, 0x7FFFFFFF, true},
      {"n = -2^31", 4, static_cast<int>(0x80000000u), true},
      {"n = 4, more than the keys", 4, 4, true},
      {"H = 0", 0, 0, true},
      {"H = 7", 0, 7, true},
      {"H past the buffer", 0, 300000, true},
      {"H past the body, within the buffer", 0, 100000, true},
      {"H = -8", 0, -8, true},
      {"negative size", 12, -5, true},
      {"size past the buffer", 12, 0x7FFFFFFF, true},
      {"offset + size past 32 bits", 8, 0x7FFFFFF0, true},
      {"negative offset: a missing tile", 16, -7, false},
      {"n = 0: no tiles", 4, 0, false},
  };
  int level = 4;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Fault patch{Fault::Kind::PatchWord};
    patch.after = c.at;
    patch.value = c.value;
    service->pushFault(patch);
    level = level == 18 ? 4 : level + 1;
    ASSERT_EQ(downloader->SendRequest(0, level, 0, 0, Keys(keys), NextId(), 1), 1);
    Outcome out = Download();
    EXPECT_EQ(out.bad, c.bad ? 1 : 0);
    if (!c.bad) {
      EXPECT_EQ(out.terminal, kMsgHttpComplete);
    }
    downloader->GetHttpClient().Close();
  }
}
