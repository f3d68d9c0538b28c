// Sends one tile download at a time for a group of tiles and cuts the reply,
// a pack of several tiles, into tiles as it arrives.
//
// The pack (integers 32-bit little-endian, from the start of the body):
// header length H, tile count n, then per requested key in order the offset
// of its bytes counted from H (negative: the tile is missing) and its size;
// the tile bytes follow from H.
#pragma once

#include "engine/base/HttpClient.h"
#include "engine/render/UrlTranslater.h"

namespace mapengine {

class CTileDownloader;

// What SplitReply hands to the caller.
struct tagTileSplitTable {
  static constexpr int kMaxTiles = 40;

  int nCount = 0;     // tiles in the pack
  int nDone = 0;      // leading tiles complete
  int nPrevDone = 0;  // the same at the report before
  const unsigned char* pData[kMaxTiles] = {};  // null for a missing tile
  int nSize[kMaxTiles] = {};
  // The pack contradicts itself or the request: no further tile can be
  // trusted, and the request is over as for a bad reply.
  int nBad = 0;
  // Keys of this request still to come in later packs of the same request.
  int nPending = 0;
};

class CTileDownloader {
public:
  static constexpr int kMaxKeys = tagTileSplitTable::kMaxTiles;
  static constexpr int kBufferSize = 256000;
  static constexpr unsigned kTimeoutMs = 10000;

  CTileDownloader();
  virtual ~CTileDownloader();
  CTileDownloader(const CTileDownloader&) = delete;
  CTileDownloader& operator=(const CTileDownloader&) = delete;

  // HTTP client type 1, the reply buffer, a 10 s time-out. 1, or 0 when the
  // buffer or the socket manager is not there.
  int Init();
  int SetClientType(int type);
  // Sends a pack request for the keys. More than 40 keys go in consecutive
  // packs of at most 40 under the same request id: once a pack is complete
  // and its tiles are handed out, SendNextPack sends the next. 1 when sent; 0
  // for no keys, a request equal to the one in flight, or no URL.
  int SendRequest(int kind, int level, int day, int time, const CVStringArray& keys, int requestId, int urlFlag);
  // Called on each progress report: the keys of the pack in flight and its
  // split table, whose tile positions stay valid until the next send. At
  // the reply's end (the completion report) a pack that is still not whole
  // (an empty body, a header longer than the body) is bad.
  void SplitReply(tagTileSplitTable& table, CVStringArray& keys, bool replyEnded = false);
  // After a complete pack with keys pending: sends the next pack of the same
  // request. 1 when sent.
  int SendNextPack();

  // The relay redirected the pack in flight (1120): the same pack is asked
  // where the redirect points, under the same request id. 1 when sent; 0
  // when the id is not that of the last request sent or the client has gone
  // on to another request since.
  int FollowRedirect(int requestId);

  CHttpClient& GetHttpClient() { return m_http; }
  // Bytes received of the pack in flight.
  int GetReceivedLength() const;

  friend void SetTileRequestBusy(CTileDownloader* downloader, int flag);
  friend int IsTileRequestBusy(const CTileDownloader* downloader);

private:
  // Sends the keys from m_nBatchStart (at most 40); 1 when started.
  int SendBatch();
  // Reads n and the (offset, size) pairs once H bytes are in; false for a
  // pack that cannot be read.
  bool ReadTable(int received);
  // The pack is refused: the request is over and the connection closed.
  void MarkBad();

  CHttpClient m_http;
  unsigned char* m_pBuffer = nullptr;  // kBufferSize + 4 bytes
  int m_nDataLength = 0;
  tagTileSplitTable m_table;
  bool m_bTableRead = false;
  bool m_bPackDone = false;  // the pack in flight was complete at a report
  tagTileRequest m_request;      // the request in flight (all its keys)
  CVStringArray m_batchKeys;     // the keys of the pack in flight
  int m_nBatchStart = 0;
  int m_nRequestId = 0;
  int m_nUrlFlag = 1;
  int m_nBusy = 0;
};

void SetTileRequestBusy(CTileDownloader* downloader, int flag);
int IsTileRequestBusy(const CTileDownloader* downloader);

}  // namespace mapengine
