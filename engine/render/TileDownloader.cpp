#include "engine/render/TileDownloader.h"

#include <cstring>

#include "engine/base/EngineMessages.h"
#include "engine/base/VMem.h"

namespace mapengine {

namespace {

int ReadInt(const unsigned char* p) {
  return static_cast<int>(static_cast<unsigned>(p[0]) | static_cast<unsigned>(p[1]) << 8 |
                          static_cast<unsigned>(p[2]) << 16 | static_cast<unsigned>(p[3]) << 24);
}

bool Contains(const CVStringArray& keys, const CVString& key) {
  for (int i = 0; i < keys.GetSize(); ++i) {
    if (keys[i].Compare(key) == 0) {
      return true;
    }
  }
  return false;
}

}  // namespace

CTileDownloader::CTileDownloader() {
  m_request.kind = 0;
  m_request.level = -1;
  m_request.day = -1;
  m_request.time = -1;
}

CTileDownloader::~CTileDownloader() {
  m_http.Detach();
  if (m_pBuffer) {
    CVMem::Deallocate(m_pBuffer);
  }
}

int CTileDownloader::Init() {
  if (!m_pBuffer) {
    m_pBuffer = static_cast<unsigned char*>(CVMem::Allocate(kBufferSize + 4));
    if (!m_pBuffer) {
      return 0;
    }
  }
  std::memset(m_pBuffer, 0, kBufferSize + 4);
  m_http.SetClientType(kMapClient);
  m_http.SetRecvBuffer(m_pBuffer, &m_nDataLength, kBufferSize);
  m_http.SetTimeout(kTimeoutMs);
  // Packs are split as they arrive, on every partial-data message.
  m_http.SetNotifyPartial(1);
  return m_http.Attach();
}

int CTileDownloader::SetClientType(int type) { return m_http.SetClientType(type); }

void SetTileRequestBusy(CTileDownloader* downloader, int flag) {
  if (downloader) {
    downloader->m_nBusy = flag;
  }
}

int IsTileRequestBusy(const CTileDownloader* downloader) { return downloader ? downloader->m_nBusy : 0; }

int CTileDownloader::GetReceivedLength() const {
  // The socket worker writes the length after the bytes it covers.
  return __atomic_load_n(&m_nDataLength, __ATOMIC_ACQUIRE);
}

int CTileDownloader::SendRequest(int kind, int level, int day, int time, const CVStringArray& keys, int requestId,
                                 int urlFlag) {
  if (keys.GetSize() < 1 || !m_pBuffer) {
    return 0;
  }
  if (kind == 3) {
    m_http.SetClientType(kOfflineClient);
  } else if (kind == 4) {
    m_http.SetClientType(kSatelliteClient);
  } else if (kind >= 0 && kind <= 2) {
    m_nBusy = 1;
    m_http.SetClientType(kMapClient);
  }
  if (kind == m_request.kind && level == m_request.level && day == m_request.day && time == m_request.time &&
      m_request.keys.GetSize() >= keys.GetSize() && m_http.IsRequestRunning()) {
    bool same = true;
    for (int i = 0; i < keys.GetSize() && same; ++i) {
      same = Contains(m_request.keys, keys[i]);
    }
    if (same) {
      return 0;
    }
  }
  m_request.kind = kind;
  m_request.level = level;
  m_request.day = day;
  m_request.time = time;
  m_request.keys.Copy(keys);
  m_nBatchStart = 0;
  m_nRequestId = requestId;
  m_nUrlFlag = urlFlag;
  return SendBatch();
}

int CTileDownloader::SendNextPack() {
  if (m_table.nPending <= 0 || m_table.nDone != m_table.nCount || m_table.nBad) {
    return 0;
  }
  return SendBatch();
}

int CTileDownloader::SendBatch() {
  CUrlTranslater* urls = GetUrlTranslater();
  const int count = m_request.keys.GetSize() - m_nBatchStart;
  tagTileRequest batch;
  batch.kind = m_request.kind;
  batch.level = m_request.level;
  batch.day = m_request.day;
  batch.time = m_request.time;
  for (int i = 0; i < count && i < kMaxKeys; ++i) {
    batch.keys.Add(m_request.keys[m_nBatchStart + i]);
  }
  CVString url;
  if (!urls || !urls->GetTileUrl(url, batch, m_nUrlFlag)) {
    return 0;
  }
  // The client ignores a repeat of the GET it is running (connecting or
  // not yet); its reply, and the buffer it fills, stay.
  CVString running;
  if (m_http.IsRequestRunning() && m_http.GetRequestUrl(0, running) && running.Compare(url) == 0) {
    return 0;
  }
  // The reply may start arriving as soon as the GET starts: the buffer and
  // the table are cleared before.
  m_batchKeys.Copy(batch.keys);
  m_table = tagTileSplitTable{};
  m_bTableRead = false;
  m_bPackDone = false;
  std::memset(m_pBuffer, 0, kBufferSize + 4);
  int id = m_nRequestId;
  return m_http.RequestGet(url, id, 1) ? 1 : 0;
}

int CTileDownloader::FollowRedirect(int requestId) {
  if (requestId != m_nRequestId || m_http.IsRequestRunning()) {
    return 0;
  }
  return m_http.Resend(1) ? 1 : 0;
}

bool CTileDownloader::ReadTable(int received) {
  const long long header = ReadInt(m_pBuffer);
  if (received < 8 || header < 8 || header > received) {
    return header >= 8 && header <= kBufferSize;  // not all of it yet, or never readable
  }
  const long long n = ReadInt(m_pBuffer + 4);
  if (n < 0 || n > m_batchKeys.GetSize() || header < 8 + 8 * n) {
    return false;
  }
  m_table.nCount = static_cast<int>(n);
  for (int i = 0; i < n; ++i) {
    const long long offset = ReadInt(m_pBuffer + 8 + 8 * i);
    const long long size = ReadInt(m_pBuffer + 12 + 8 * i);
    if (offset < 0) {
      m_table.pData[i] = nullptr;
      m_table.nSize[i] = 0;
      continue;
    }
    // A tile that does not fit the buffer could never arrive.
    if (size < 0 || offset + size > kBufferSize - header) {
      return false;
    }
    m_table.pData[i] = m_pBuffer + header + offset;
    m_table.nSize[i] = static_cast<int>(size);
  }
  m_bTableRead = true;
  return true;
}

void CTileDownloader::MarkBad() {
  m_table.nBad = 1;
  m_batchKeys.RemoveAll();
  m_request.keys.RemoveAll();
  m_http.Close();
}

void CTileDownloader::SplitReply(tagTileSplitTable& table, CVStringArray& keys, bool replyEnded) {
  keys.Copy(m_batchKeys);
  const int received = GetReceivedLength();
  if (!m_table.nBad && !m_bPackDone && m_pBuffer && received > 4) {
    if (!m_bTableRead && !ReadTable(received)) {
      MarkBad();
    }
    if (m_bTableRead) {
      m_table.nPrevDone = m_table.nDone;
      int done = m_table.nDone;
      const unsigned char* end = m_pBuffer + received;
      while (done < m_table.nCount &&
             (!m_table.pData[done] || m_table.pData[done] + m_table.nSize[done] <= end)) {
        ++done;
      }
      m_table.nDone = done;
      const bool complete = done == m_table.nCount;
      const unsigned char* last = m_table.nCount ? m_table.pData[m_table.nCount - 1] : nullptr;
      if (complete && (!last || last + m_table.nSize[m_table.nCount - 1] == end)) {
        m_bPackDone = true;
        m_nBatchStart += m_batchKeys.GetSize();
        m_table.nPending = m_request.keys.GetSize() - m_nBatchStart;
        table = m_table;
        if (m_table.nPending == 0) {
          m_batchKeys.RemoveAll();
          m_request.keys.RemoveAll();
        }
        return;
      }
    }
  }
  if (replyEnded && !m_bPackDone && !m_table.nBad) {
    // Nothing more comes: a pack still short of its header or its tiles
    // never completes, and taking it for a pack of no tiles would leave the
    // keys unserved.
    MarkBad();
  }
  if (m_bPackDone) {
    m_table.nPrevDone = m_table.nDone;
  } else {
    m_table.nPending = m_request.keys.GetSize() - m_nBatchStart - m_batchKeys.GetSize();
  }
  table = m_table;
}

}  // namespace mapengine
