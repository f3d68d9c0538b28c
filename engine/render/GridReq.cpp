#include "engine/render/GridReq.h"

#include <cstdio>
#include <cstring>
#include <utility>

#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/base/VMsgMan.h"
#include "engine/render/ImageDecode.h"
#include "engine/render/MapView.h"

namespace mapengine {

namespace {

constexpr unsigned char kTaon[4] = {0x74, 0x61, 0x6F, 0x6E};
constexpr int kMarkerBytes = 20;
constexpr int kMaxLevelsUp = 4;
constexpr int kNoBuffer = -2;

bool IsMarker(const unsigned char* data, int size) { return size >= 5 && std::memcmp(data, kTaon, 4) == 0; }
bool IsPng(const unsigned char* data, int size) { return size >= 4 && std::memcmp(data + 1, "PNG", 3) == 0; }
bool IsJfif(const unsigned char* data, int size) { return size >= 10 && std::memcmp(data + 6, "JFIF", 4) == 0; }

void PostInterfaceMessage(int message, int wParam, int lParam) {
  CVMainGlobalMan* global = GetGlobalMan();
  auto* msgs = global ? static_cast<CVMsgMan*>(global->GetSlot(kSlotMsgMan)) : nullptr;
  if (msgs) {
    msgs->PostMessage(2, message, wParam, lParam);
  }
}

void FillColor(unsigned char* buffer, uint32_t color) {
  auto* pixels = reinterpret_cast<uint32_t*>(buffer);
  for (int i = 0; i < GridReq::kTilePixels * GridReq::kTilePixels; ++i) {
    pixels[i] = color;
  }
}

}  // namespace

GridReq::GridReq() = default;

GridReq::~GridReq() {
  // The caches are closed (and saved) with the request, not emptied.
  for (int i = 0; i < m_buffers.GetSize(); ++i) {
    CVMem::Deallocate(m_buffers[i]);
  }
}

void GridReq::Init(CGirdDataArray* tiles, CShowDataArray* shows) {
  m_pTiles = tiles;
  m_pShows = shows;
  m_prevTiles.RemoveAll();
  m_prevShows.RemoveAll();
}

CVString GridReq::TileKey(int x, int y) {
  char text[32];
  std::snprintf(text, sizeof text, "%d_%d", x, y);
  return CVString(text);
}

bool GridReq::ParseKey(const CVString& key, int& x, int& y) {
  char text[32];
  int n = key.GetLength();
  if (n <= 0 || n >= static_cast<int>(sizeof text)) {
    return false;
  }
  for (int i = 0; i < n; ++i) {
    text[i] = static_cast<char>(key[i]);
  }
  text[n] = 0;
  char tail = 0;
  return std::sscanf(text, "%d_%d%c", &x, &y, &tail) == 2;
}

int GridReq::SlotOf(int x, int y) const {
  for (int i = 0; m_pTiles && i < m_pTiles->GetSize(); ++i) {
    if ((*m_pTiles)[i].nX == x && (*m_pTiles)[i].nY == y) {
      return i;
    }
  }
  return -1;
}

void GridReq::ListTiles() {
  tagMapViewState& view = GetMapViewState();
  long long unit = static_cast<long long>(m_nTileSize ? m_nTileSize : kTilePixels) * view.nScale;
  if (unit <= 0) {
    return;
  }
  int minX = DownBiasedDiv(view.ptCenter.x - static_cast<long long>(view.nScale) * (view.szScreen.cx / 2), unit);
  int maxX = DownBiasedDiv(view.ptCenter.x + static_cast<long long>(view.nScale) * (view.szScreen.cx / 2), unit);
  int minY = DownBiasedDiv(view.ptCenter.y - static_cast<long long>(view.nScale) * (view.szScreen.cy / 2), unit);
  int maxY = DownBiasedDiv(view.ptCenter.y + static_cast<long long>(view.nScale) * (view.szScreen.cy / 2), unit);
  view.nReqMinX = minX;
  view.nReqMaxX = maxX;
  view.nReqMinY = minY;
  view.nReqMaxY = maxY;
  // A new set of tiles in view: every tile may be asked for again.
  int range[5] = {view.nLevel, minX, maxX, minY, maxY};
  if (std::memcmp(range, m_askRange, sizeof range) != 0) {
    std::memcpy(m_askRange, range, sizeof range);
    m_asks.RemoveAll();
  }
  // 1: every key of the grid in state 0 (other states kept), others dropped.
  CVMapStringToPtr keys;
  for (int x = minX; x <= maxX; ++x) {
    for (int y = minY; y <= maxY; ++y) {
      CVString key = TileKey(x, y);
      void* state = nullptr;
      keys[key] = m_keys.Lookup(key, state) && reinterpret_cast<intptr_t>(state) != 2 ? state : nullptr;
    }
  }
  m_keys.RemoveAll();
  // 2: the lists of the last pass are kept for carrying tiles over.
  m_prevTiles.Copy(*m_pTiles);
  m_prevShows.Copy(*m_pShows);
  m_pTiles->RemoveAll();
  // 3: a grid larger than any screen's is not listed.
  int limit = 2 * m_nAcross * m_nDown > 100 ? 2 * m_nAcross * m_nDown : 100;
  if (keys.GetCount() > limit) {
    return;
  }
  for (int x = minX; x <= maxX; ++x) {
    for (int y = minY; y <= maxY; ++y) {
      CVString key = TileKey(x, y);
      void* state = nullptr;
      keys.Lookup(key, state);
      m_keys[key] = state;
    }
  }
  // 4: ring by ring from the outer edge inward, then reversed.
  auto visit = [&](int x, int y) {
    CVString key = TileKey(x, y);
    void* state = nullptr;
    if (m_keys.Lookup(key, state) && state == nullptr) {
      tagGirdData tile{view.nLevel, x, y, nullptr, 0};
      m_pTiles->Add(tile);
      m_keys[key] = reinterpret_cast<void*>(intptr_t{2});
    }
  };
  for (int g = 0;; ++g) {
    if (maxY - g < minY + g && maxX - g < minX + g) {
      break;
    }
    for (int x = maxX - g; x >= minX + g; --x) {
      visit(x, minY + g);
    }
    if (maxY - g < minY + g + 1) {
      break;
    }
    for (int y = minY + g + 1; y <= maxY - g; ++y) {
      visit(minX + g, y);
    }
    if (maxX - g < minX + g + 1) {
      break;
    }
    for (int x = minX + g + 1; x <= maxX - g; ++x) {
      visit(x, maxY - g);
    }
    for (int y = maxY - g - 1; y >= minY + g + 1; --y) {
      visit(maxX - g, y);
    }
  }
  int n = m_pTiles->GetSize();
  for (int i = 0; i < n / 2; ++i) {
    std::swap((*m_pTiles)[i], (*m_pTiles)[n - 1 - i]);
  }
}

void GridReq::CarryOver() {
  int n = m_pTiles->GetSize();
  for (int k = 0; k < n; ++k) {
    tagGirdData& tile = (*m_pTiles)[k];
    for (int i = 0; i < m_prevTiles.GetSize(); ++i) {
      const tagGirdData& prev = m_prevTiles[i];
      if (prev.nLevel != tile.nLevel || prev.nX != tile.nX || prev.nY != tile.nY) {
        continue;
      }
      if (i < m_buffers.GetSize() && k < m_buffers.GetSize()) {
        std::swap(m_buffers[i], m_buffers[k]);
      }
      tile = prev;
      if (m_prevShows.GetSize() == n && i < n) {
        std::swap(m_prevShows[i], m_prevShows[k]);
      }
      if (k < m_prevTiles.GetSize()) {
        std::swap(m_prevTiles[i], m_prevTiles[k]);
      } else {
        m_prevTiles[i].nX = m_prevTiles[i].nY = 0;
        m_prevTiles[i].pData = nullptr;
      }
      break;
    }
  }
}

int GridReq::DecodeInto(int slot, const unsigned char* data, int size, int level) {
  if (slot < 0 || slot >= m_buffers.GetSize() || !m_buffers[slot] || !data) {
    return kNoBuffer;
  }
  unsigned char* buffer = m_buffers[slot];
  if (IsMarker(data, size)) {
    if (data[4] != 0) {
      return 0;
    }
    FillColor(buffer, FlatColor(level));
    return kTileBytes;
  }
  size_t decoded = 0;
  int width = 0;
  int height = 0;
  uint8_t* pixels = nullptr;
  if (IsPng(data, size)) {
    pixels = DecodePngTile(data, static_cast<size_t>(size), &decoded, &width, &height);
  } else if (IsJfif(data, size)) {
    size_t length = static_cast<size_t>(size);
    int bits = 0;
    pixels = DecodeJpegTile(data, &length, &width, &height, &bits);
    decoded = length;
  } else {
    return -1;
  }
  // Only whole 256-pixel tiles: a smaller image would leave stale pixels.
  int result = -1;
  if (pixels && width == kTilePixels && height == kTilePixels && decoded <= static_cast<size_t>(m_nBufferSize)) {
    std::memcpy(buffer, pixels, decoded);
    result = static_cast<int>(decoded);
  }
  CVMem::Deallocate(pixels);
  return result;
}

void GridReq::DecodeFound(CGirdDataArray& working, CVStringArray* keys) {
  m_passList.RemoveAll();
  for (int i = 0; i < working.GetSize(); ++i) {
    tagGirdData& found = working[i];
    int slot = SlotOf(found.nX, found.nY);
    int decoded = found.pData ? DecodeInto(slot, found.pData, found.nSize, found.nLevel) : -1;
    if (decoded == kNoBuffer) {
      continue;
    }
    if (decoded > 0) {
      (*m_pTiles)[slot].pData = m_buffers[slot];
      (*m_pTiles)[slot].nSize = decoded;
      continue;
    }
    if (decoded == 0 && found.pData && IsMarker(found.pData, found.nSize)) {
      continue;  // an empty traffic tile: neither shown nor asked for again
    }
    if (found.pData) {
      m_cache.RemoveTile(found, 1);
    }
    if (keys) {
      CVString key = TileKey(found.nX, found.nY);
      keys->Add(key);
      tagGirdData pass{found.nLevel, found.nX, found.nY, nullptr, 0};
      m_passList.Add(pass);
    }
  }
}

void GridReq::FindInCache(CGirdDataArray& tiles) { m_cache.GetTiles(tiles); }

int GridReq::RequestData() {
  if (!m_pTiles || !m_pShows) {
    return 0;
  }
  ListTiles();
  CarryOver();
  CGirdDataArray working;
  for (int i = 0; i < m_pTiles->GetSize(); ++i) {
    if (!(*m_pTiles)[i].pData) {
      tagGirdData tile = (*m_pTiles)[i];
      tile.nSize = 0;
      working.Add(tile);
    }
  }
  FindInCache(working);
  if (m_pOffline) {
    m_pOffline->LoadGridData(working);
  }
  CVStringArray keys;
  DecodeFound(working, &keys);
  SendRequest(keys);
  return 1;
}

void GridReq::LoadVisibleTiles(int force) {
  if (!m_pTiles || !m_pShows) {
    return;
  }
  ListTiles();
  CarryOver();
  CGirdDataArray working;
  for (int i = 0; i < m_pTiles->GetSize(); ++i) {
    if (!(*m_pTiles)[i].pData) {
      working.Add((*m_pTiles)[i]);
    }
  }
  FindInCache(working);
  DecodeFound(working, nullptr);
  if (force) {
    Fallback();
  }
}

int GridReq::SendKeys(CVStringArray& keys, int kind, int day, int time) {
  // Keys asked for too often while the view stayed are left out.
  CVStringArray send;
  for (int i = 0; i < keys.GetSize(); ++i) {
    void*& asks = m_asks[keys[i]];
    if (reinterpret_cast<intptr_t>(asks) < kMaxAsks) {
      send.Add(keys[i]);
    }
  }
  if (!m_pDownloader || !m_pTiles || m_pTiles->GetSize() == 0 || send.GetSize() == 0) {
    return 0;
  }
  int id = NextId();
  if (!m_pDownloader->SendRequest(kind, (*m_pTiles)[0].nLevel, day, time, send, id, 1)) {
    return 0;
  }
  for (int i = 0; i < send.GetSize(); ++i) {
    void*& asks = m_asks[send[i]];
    asks = reinterpret_cast<void*>(reinterpret_cast<intptr_t>(asks) + 1);
  }
  m_nLastRequestId = id;
  m_nRequestLevel = (*m_pTiles)[0].nLevel;
  return 1;
}

int GridReq::SendRequest(CVStringArray& keys) {
  if (!SendKeys(keys, m_nKind, 0, 0)) {
    return 0;
  }
  PostInterfaceMessage(kMsgTileRequest, 1, 0);
  return 1;
}

void GridReq::PutRaw(int level, int x, int y, const unsigned char* bytes, int size) {
  CGirdDataArray one;
  tagGirdData tile{level, x, y, const_cast<unsigned char*>(bytes), size};
  one.Add(tile);
  m_cache.PutTiles(one, 1);
}

void GridReq::PutEmptyMarker(int level, int x, int y, int emptyKind) {
  unsigned char marker[kMarkerBytes] = {};
  std::memcpy(marker, kTaon, 4);
  marker[4] = static_cast<unsigned char>(emptyKind);
  PutRaw(level, x, y, marker, kMarkerBytes);
}

void GridReq::OnReceive(const unsigned char* bytes, int size, const CVString& key, int level, int emptyKind) {
  int x = 0;
  int y = 0;
  if (!ParseKey(key, x, y)) {
    return;
  }
  if (size == 0) {
    PutEmptyMarker(level, x, y, emptyKind);
    for (int i = 0; emptyKind == 0 && m_pTiles && i < m_pTiles->GetSize(); ++i) {
      tagGirdData& tile = (*m_pTiles)[i];
      if (tile.nX == x && tile.nY == y && i < m_buffers.GetSize() && m_buffers[i]) {
        FillColor(m_buffers[i], FlatColor(tile.nLevel));
        tile.pData = m_buffers[i];
        tile.nSize = kTileBytes;
      }
    }
    return;
  }
  int slot = SlotOf(x, y);
  if (slot < 0) {
    return;
  }
  tagGirdData& tile = (*m_pTiles)[slot];
  int decoded = DecodeInto(slot, bytes, size, level);
  if (decoded == m_nBufferSize) {
    tile.pData = m_buffers[slot];
    tile.nSize = decoded;
    PutRaw(level, x, y, bytes, size);
  } else {
    tile.pData = nullptr;
    tile.nSize = -1;
  }
}

int GridReq::OpenCaches(int across, int down, int maxEntries, const char* indexName, const char* dataName,
                        int extraRoom, int allocate) {
  m_nAcross = across;
  m_nDown = down;
  if (m_buffers.GetSize() != across * down || m_cache.GetCapacity() != across * down) {
    unsigned short folder[kPathUnits];
    CVString base;
    if (GetDocumentPath(folder, kPathUnits) > 0) {
      base = folder;
    }
    base.ReplaceChar('\\', '/');
    int cut = base.ReverseFind('/');
    base = base.Left(cut + 1);
    m_cache.Open(base + indexName, base + dataName, across * down, maxEntries, kFileCacheBytes);
    for (int i = 0; i < m_buffers.GetSize(); ++i) {
      CVMem::Deallocate(m_buffers[i]);
    }
    m_buffers.RemoveAll();
    m_nExtraRoom = extraRoom;
    if (allocate) {
      AllocTileBuffers();
    }
    if (m_pShows) {
      m_pShows->RemoveAll();
    }
    if (m_pTiles) {
      m_pTiles->RemoveAll();
    }
  }
  m_nExtraRoom = extraRoom;
  return 1;
}

int GridReq::AllocTileBuffers() {
  if (m_buffers.GetSize() == m_nAcross * m_nDown && m_nAcross * m_nDown > 0) {
    return 1;
  }
  m_nBufferSize = kTileBytes + (m_nExtraRoom ? kExtraRoom : 0);
  for (int i = 0; i < m_nAcross * m_nDown; ++i) {
    auto* buffer = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(m_nBufferSize)));
    if (!buffer) {
      return 0;
    }
    std::memset(buffer, 0, static_cast<size_t>(m_nBufferSize));
    m_buffers.Add(buffer);
  }
  return 1;
}

void GridReq::FreeTileBuffers() {
  for (int i = 0; i < m_buffers.GetSize(); ++i) {
    CVMem::Deallocate(m_buffers[i]);
  }
  m_buffers.RemoveAll();
  if (m_pTiles) {
    m_pTiles->RemoveAll();
  }
  if (m_pShows) {
    m_pShows->RemoveAll();
  }
  m_prevTiles.RemoveAll();
  m_prevShows.RemoveAll();
  m_cache.Clear();
}

void GridReq::ResetLists() {
  if (m_pTiles) {
    m_pTiles->RemoveAll();
  }
  if (m_pShows) {
    m_pShows->RemoveAll();
  }
  m_prevTiles.RemoveAll();
  m_prevShows.RemoveAll();
  m_keys.RemoveAll();
}

void GridReq::ClearAll() {
  ResetLists();
  m_cache.Clear();
}

GridReqEx::GridReqEx() {
  m_scratchSource.CreateWithSize({kTilePixels, kTilePixels});
  m_scratchTarget.CreateWithSize({kTilePixels, kTilePixels});
  m_scratchDC.CreateDC();
  m_scratchDC.SelectBitmap(&m_scratchTarget);
}

GridReqEx::~GridReqEx() = default;

int GridReqEx::RequestData() {
  int result = GridReq::RequestData();
  Fallback();
  return result;
}

void GridReqEx::OnReceive(const unsigned char* bytes, int size, const CVString& key, int level, int emptyKind) {
  int x = 0;
  int y = 0;
  if (!ParseKey(key, x, y)) {
    return;
  }
  if (size == 0) {
    PutEmptyMarker(level, x, y, emptyKind);
  } else {
    PutRaw(level, x, y, bytes, size);
  }
}

void GridReqEx::Fallback() {
  if (!m_pTiles || !m_pShows) {
    return;
  }
  m_pShows->RemoveAll();
  int level = GetMapViewState().nLevel;
  for (int k = 0; k < m_pTiles->GetSize(); ++k) {
    const tagGirdData& tile = (*m_pTiles)[k];
    tagGirdDataForShow show{level, tile.nX, tile.nY, 0, 0, 0, nullptr, 0};
    for (int i = 0; i < m_prevShows.GetSize(); ++i) {
      const tagGirdDataForShow& prev = m_prevShows[i];
      if (prev.pData && prev.nLevel == tile.nLevel && prev.nX == tile.nX && prev.nY == tile.nY) {
        show = prev;
        break;
      }
    }
    m_pShows->Add(show);
  }
  for (int k = 0; k < m_pTiles->GetSize() && k < m_buffers.GetSize(); ++k) {
    const tagGirdData& tile = (*m_pTiles)[k];
    if (tile.pData || (*m_pShows)[k].pData) {
      continue;
    }
    for (int up = 1; up <= kMaxLevelsUp && tile.nLevel - up >= 3; ++up) {
      CGirdDataArray one;
      tagGirdData parent{tile.nLevel - up, tile.nX >> up, tile.nY >> up, nullptr, 0};
      one.Add(parent);
      FindInCache(one);
      if (!one[0].pData) {
        continue;
      }
      int decoded = DecodeInto(k, one[0].pData, one[0].nSize, parent.nLevel);
      if (decoded < 0) {
        m_cache.RemoveTile(one[0], 1);
      }
      if (decoded > 0) {
        int n = 1 << up;
        int side = kTilePixels / n;
        int left = (tile.nX & (n - 1)) * side;
        int top = (n - 1 - (tile.nY & (n - 1))) * side;
        // Through the second bitmap: the stretch never reads what it writes.
        std::memcpy(m_scratchSource.GetBits(), m_buffers[k], kTileBytes);
        m_scratchDC.StretchBltFromBitmap(0, 0, kTilePixels, kTilePixels, m_scratchSource.GetHandle(), left, top, side,
                                         side, 0xCC0020);
        std::memcpy(m_buffers[k], m_scratchTarget.GetBits(), kTileBytes);
        (*m_pShows)[k] = {tile.nLevel, tile.nX, tile.nY, parent.nLevel, parent.nX, parent.nY, m_buffers[k], kTileBytes};
      }
      break;
    }
  }
}

CTrafficReq::CTrafficReq() { m_nLastRequestId = kFirstId - 1; }

int CTrafficReq::RequestData() { return GetMapViewState().nLevel >= 10 ? GridReq::RequestData() : 0; }

int CTrafficReq::SendRequest(CVStringArray& keys) {
  bool history = m_nDay != 0 || m_nTime != 0;
  SendKeys(keys, history ? 2 : 1, history ? m_nDay : 0, history ? m_nTime : 0);
  if (keys.GetSize() > 0) {
    PostInterfaceMessage(kMsgTileRequest, 1, 1);
  }
  return 1;
}

}  // namespace mapengine
