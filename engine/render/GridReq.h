// Keeps a raster tile layer supplied with decoded 256 x 256 tiles for the
// view: each pass lists the view's tiles centre first, keeps decoded tiles
// still in view (their buffers move with them), takes the others from the
// memory and file caches or the offline grid files, decodes them, and asks
// the tile downloader for the rest. GridReqEx stands in parent tiles for
// missing ones; CTrafficReq asks for traffic from level 10 on.
#pragma once

#include "engine/base/VMap.h"
#include "engine/render/GridDataFile.h"
#include "engine/render/MapLayer.h"
#include "engine/render/TileDownloader.h"

namespace mapengine {

class GridReq : public CReqBase {
public:
  static constexpr int kTilePixels = 256;
  static constexpr int kTileBytes = kTilePixels * kTilePixels * 4;
  static constexpr int kExtraRoom = kTilePixels * kTilePixels;
  static constexpr int kFileCacheBytes = 104857600;
  static constexpr int kMaxRequestId = 999999;
  // Times a tile is asked for while the view's tiles stay the same.
  static constexpr int kMaxAsks = 3;
  static constexpr uint32_t kFlatLowColor = 0xFFF2F0EB;   // empty tiles below level 10
  static constexpr uint32_t kFlatHighColor = 0xFFF5F3F0;  // from level 10

  GridReq();
  ~GridReq() override;

  int RequestData() override;
  virtual void Init(CGirdDataArray* tiles, CShowDataArray* shows);
  // One downloaded tile: key "x_y", level of the reply, empty kind 0 (map,
  // satellite) or 1 (traffic); size 0 is a tile the service has no image
  // for.
  virtual void OnReceive(const unsigned char* bytes, int size, const CVString& key, int level, int emptyKind);
  virtual void FindInCache(CGirdDataArray& tiles);
  virtual int SendRequest(CVStringArray& keys);

  void SetDownloader(CTileDownloader* downloader) { m_pDownloader = downloader; }
  void SetOfflineCache(COfflineDataCache* offline) { m_pOffline = offline; }
  void SetTileSize(int pixels) { m_nTileSize = pixels; }
  void SetKind(int kind) { m_nKind = kind; }

  // A pass without requests (after a move step); with force, after tiles
  // arrived, the parent-tile fallback follows.
  void LoadVisibleTiles(int force);
  // Tiles across and down; re-opens the caches (index and data files in the
  // engine's data folder) and the buffers when the slot count changed.
  int OpenCaches(int across, int down, int maxEntries, const char* indexName, const char* dataName, int extraRoom,
                 int allocate);
  int AllocTileBuffers();
  void FreeTileBuffers();
  void ResetLists();
  void ClearAll();
  int IsPassDone() const { return m_passList.GetSize() == 0 ? 1 : 0; }
  int GetLastRequestId() const { return m_nLastRequestId; }
  // The level of the last accepted request: the level of its reply.
  int GetRequestLevel() const { return m_nRequestLevel; }
  CGridDataCache& GetCache() { return m_cache; }
  int GetTileBufferCount() const { return m_buffers.GetSize(); }

protected:
  // The key text "x_y".
  static CVString TileKey(int x, int y);
  static bool ParseKey(const CVString& key, int& x, int& y);
  static uint32_t FlatColor(int level) { return level < 10 ? kFlatLowColor : kFlatHighColor; }
  // Lists the view's tiles, innermost ring first.
  void ListTiles();
  void CarryOver();
  // Decodes found tiles into their buffers; tiles without data go to keys
  // (when given) and the pass list.
  void DecodeFound(CGirdDataArray& working, CVStringArray* keys);
  // Decodes tile bytes (or an empty-tile marker) into a buffer of the tile
  // list; the decoded size, 0 for a marker that is not shown, -1 for data
  // that is no usable image, -2 when the tile has no buffer.
  int DecodeInto(int slot, const unsigned char* data, int size, int level);
  int SlotOf(int x, int y) const;
  // Puts the 20-byte marker of an empty tile into the caches.
  void PutEmptyMarker(int level, int x, int y, int emptyKind);
  void PutRaw(int level, int x, int y, const unsigned char* bytes, int size);
  // The next id after the last one.
  virtual int NextId() const { return m_nLastRequestId + 1 > kMaxRequestId ? 1 : m_nLastRequestId + 1; }
  int SendKeys(CVStringArray& keys, int kind, int day, int time);
  // Stand-ins for missing tiles after a pass (GridReqEx).
  virtual void Fallback() {}

  CVMapStringToPtr m_keys;
  CGirdDataArray* m_pTiles = nullptr;
  CGirdDataArray m_prevTiles;
  CShowDataArray* m_pShows = nullptr;
  CShowDataArray m_prevShows;
  CGirdDataArray m_passList;
  int m_nTileSize = 0;
  CGridDataCache m_cache;
  int m_nAcross = 0;
  int m_nDown = 0;
  CTileDownloader* m_pDownloader = nullptr;
  COfflineDataCache* m_pOffline = nullptr;
  int m_nLastRequestId = 0;
  int m_nRequestLevel = 0;
  CVArray<unsigned char*, unsigned char*> m_buffers;
  int m_nExtraRoom = 0;
  int m_nBufferSize = 0;
  int m_nKind = 0;
  // Asks per key while the view's tile range stays; a tile the service never
  // delivers is not asked for in a loop.
  CVMapStringToPtr m_asks;
  int m_askRange[5] = {-1, 0, 0, 0, 0};
};

class GridReqEx : public GridReq {
public:
  GridReqEx();
  ~GridReqEx() override;
  int RequestData() override;
  // Caches the tile (or its empty marker); decoding waits for the next pass.
  void OnReceive(const unsigned char* bytes, int size, const CVString& key, int level, int emptyKind) override;
  // Gives each tile a show entry and, for tiles without an image, cuts the
  // nearest cached parent (up to four levels up) to size.
  void Fallback() override;

private:
  CVBitmap m_scratchSource;
  CVBitmap m_scratchTarget;
  CVDC m_scratchDC;
};

class CTrafficReq : public GridReq {
public:
  static constexpr int kFirstId = 1000001;
  static constexpr int kLastId = 2000000;

  CTrafficReq();
  // Only from level 10 on.
  int RequestData() override;
  int SendRequest(CVStringArray& keys) override;
  void SetHistory(int day, int time) {
    m_nDay = day;
    m_nTime = time;
  }

protected:
  int NextId() const override { return m_nLastRequestId + 1 > kLastId ? kFirstId : m_nLastRequestId + 1; }

private:
  int m_nDay = 0;
  int m_nTime = 0;
};

}  // namespace mapengine
