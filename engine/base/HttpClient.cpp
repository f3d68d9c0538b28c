#include "engine/base/HttpClient.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "engine/base/GzipDecoder.h"
#include "engine/base/Markup.h"
#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMem.h"
#include "engine/base/VMsgMan.h"

namespace mapengine {

namespace {

std::mutex g_relayLock;
CVString* g_relayHost = nullptr;  // null: the default
unsigned short g_relayPort = 80;

std::mutex g_registryLock;

CVString Ascii(const char* text) { return CVString(text); }

// The GBK bytes of a text into a new engine block with a zero byte after
// them; null when memory ran out.
char* ToGbk(const CVString& text, int& length) {
  length = WideToMultiByte(kCodePageGbk, text.GetBuffer(), text.GetLength(), nullptr, 0);
  auto* bytes = static_cast<char*>(CVMem::Allocate(static_cast<size_t>(length) + 1));
  if (bytes) {
    WideToMultiByte(kCodePageGbk, text.GetBuffer(), text.GetLength(), bytes, length);
    bytes[length] = 0;
  }
  return bytes;
}

CVString FromGbk(const char* bytes, int length) {
  CVString text;
  int units = MultiByteToWide(kCodePageGbk, bytes, length, nullptr, 0);
  if (units > 0 && text.AllocBuffer(units)) {
    MultiByteToWide(kCodePageGbk, bytes, length, text.GetBuffer(), units);
  }
  return text;
}

bool IsHostUnit(unsigned short c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == ':';
}

// Walks chunked framing over length bytes: 1 when it ends with the last
// chunk exactly at length, 0 when more bytes are needed, -1 when malformed.
// With out, the chunks' data is joined there and *outLength set.
int WalkChunks(const unsigned char* data, int length, unsigned char* out, int* outLength) {
  int pos = 0;
  int joined = 0;
  for (;;) {
    // A size line: 1 to 8 hexadecimal digits, then CR LF (no extensions).
    int digits = 0;
    long long size = 0;
    while (pos + digits < length && data[pos + digits] != '\r') {
      unsigned char c = data[pos + digits];
      int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
      if (value < 0 || ++digits > 8) {
        return -1;
      }
      size = size * 16 + value;
    }
    if (pos + digits + 2 > length) {
      return 0;
    }
    if (digits == 0 || data[pos + digits + 1] != '\n') {
      return -1;
    }
    pos += digits + 2;
    if (size > length - pos) {
      return 0;
    }
    if (size + 2 > length - pos) {
      return 0;
    }
    int n = static_cast<int>(size);
    if (data[pos + n] != '\r' || data[pos + n + 1] != '\n') {
      return -1;
    }
    if (out && n > 0) {
      std::memcpy(out + joined, data + pos, static_cast<size_t>(n));
    }
    joined += n;
    pos += n + 2;
    if (n == 0) {
      if (outLength) {
        *outLength = joined;
      }
      return pos == length ? 1 : -1;
    }
  }
}

bool SameName(const tagMarkupNode* node, int type, const char16_t* name) {
  return node && node->type == type && node->text.GetBuffer() && wide_stricmp(node->text.GetBuffer(), VStr(name)) == 0;
}

bool HasText(const tagMarkupNode* attribute) {
  return attribute->child && attribute->child->text.GetLength() > 0;
}

// A card that forwards at once: onenterforward, or onevent with a go href.
bool IsGatewayCard(const tagMarkupNode* card) {
  for (const tagMarkupNode* c = card->child; c; c = c->next) {
    if (SameName(c, kMarkupAttribute, u"onenterforward") && HasText(c)) {
      return true;
    }
    if (SameName(c, kMarkupElement, u"onevent")) {
      for (const tagMarkupNode* go = c->child; go; go = go->next) {
        if (!SameName(go, kMarkupElement, u"go")) {
          continue;
        }
        const tagMarkupNode* first = go->child;
        while (first && first->type != kMarkupAttribute) {
          first = first->next;
        }
        if (SameName(first, kMarkupAttribute, u"href") && HasText(first)) {
          return true;
        }
      }
    }
  }
  return false;
}

}  // namespace

// ---- set-up ----

CHttpClient::CHttpClient() : m_version(Ascii("1.1")) {
  for (auto& slot : m_slots) {
    slot.owner = this;
  }
}

CHttpClient::~CHttpClient() {
  if (m_pSocketMan) {
    Detach();
  }
  for (auto& slot : m_slots) {
    CVMem::Deallocate(slot.header);
    CVMem::Deallocate(slot.request);
    slot.header = slot.request = nullptr;
  }
}

void CHttpClient::SetRelayHost(const CVString& host, unsigned short port) {
  std::lock_guard<std::mutex> lock(g_relayLock);
  delete g_relayHost;
  g_relayHost = new CVString(host);
  g_relayPort = port;
}

CVString CHttpClient::GetRelayHost() {
  std::lock_guard<std::mutex> lock(g_relayLock);
  CVString host = g_relayHost ? *g_relayHost : Ascii("map.vuriv.com");
  char port[16];
  std::snprintf(port, sizeof port, ":%u", static_cast<unsigned>(g_relayPort));
  return host + port;
}

int CHttpClient::SetClientType(int type) {
  if (m_clientType != -1) {
    HttpClientMapRemove(m_clientType);
  }
  m_clientType = type;
  return HttpClientMapAdd(type, this);
}

void CHttpClient::SetRecvBuffer(unsigned char* buffer, int* dataLength, int size) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  m_blocks.RemoveAll();
  m_pData = buffer;
  m_pDataLength = dataLength;
  m_nBufferSize = buffer && size > 0 ? size : 0;
  m_nextBlockStart = 0;
  for (auto& slot : m_slots) {
    slot.data = m_pData;
    slot.bufferSize = m_nBufferSize;
    slot.bodyPos = 0;
  }
}

void CHttpClient::SetTimeout(unsigned timeoutMs) {
  for (auto& slot : m_slots) {
    slot.SetParam(timeoutMs);
  }
}

int CHttpClient::Attach() {
  CVGlobalMan* man = GetGlobalManPtr();
  auto* sockets = man ? static_cast<CVSocketMan*>(man->GetSlot(kSlotSocketMan)) : nullptr;
  if (!sockets) {
    return 0;
  }
  m_pSocketMan = sockets;
  int added = 0;
  for (auto& slot : m_slots) {
    added += sockets->AddSocket(&slot);
  }
  return added == 3 ? 1 : 0;
}

int CHttpClient::Detach() {
  {
    std::lock_guard<std::recursive_mutex> lock(m_lock);
    Close(nullptr);
    m_pData = nullptr;
    m_pDataLength = nullptr;
    m_nBufferSize = 0;
    for (auto& slot : m_slots) {
      slot.data = nullptr;
      slot.bufferSize = 0;
    }
  }
  // Outside the client lock: unlisting waits for the worker's pass, which
  // may be inside this client's event handler.
  if (m_pSocketMan) {
    for (auto& slot : m_slots) {
      m_pSocketMan->RemoveSocket(&slot);
    }
    m_pSocketMan = nullptr;
  }
  if (m_clientType != -1) {
    HttpClientMapRemove(m_clientType);
  }
  return 1;
}

// ---- requests ----

int CHttpClient::RequestGet(const CVString& url, int& requestId, int progress, tagClientSocket* slot,
                            int resumeOffset) {
  return StartGet(url, requestId, progress, slot, resumeOffset, Start::Fresh);
}

int CHttpClient::RequestPost(const CVString& url, int requestId) { return StartPost(url, requestId, Start::Fresh); }

void CHttpClient::AddPostField(const CVString& name, const CVString& value) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  m_postFields.SetAt(name, value);
}

int CHttpClient::Resend(int useRedirect, tagClientSocket* slot) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  CVString url = useRedirect ? m_redirectUrl : m_lastUrl;
  if (url.IsEmpty()) {
    return 1;
  }
  if (m_post) {
    return StartPost(url, m_requestId, Start::OwnerResend);
  }
  int id = m_requestId;
  return StartGet(url, id, m_progress, slot, slot ? slot->bodyPos : 0, slot ? Start::Internal : Start::OwnerResend);
}

void CHttpClient::Close(tagClientSocket* slot) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (slot) {
    slot->Close();
  } else {
    for (auto& s : m_slots) {
      s.Close();
    }
    m_finished = true;
  }
  m_lastUrl.Empty();
}

int CHttpClient::IsBusy(tagClientSocket* slot) const {
  auto busy = [](const tagClientSocket& s) {
    int state = s.GetState();
    return state >= 1 && state <= 8 && !s.IsCloseRequested();
  };
  if (slot) {
    return busy(*slot) ? 1 : 0;
  }
  for (const auto& s : m_slots) {
    if (busy(s)) {
      return 1;
    }
  }
  return 0;
}

int CHttpClient::IsRequestRunning() const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  return !m_finished && !m_lastUrl.IsEmpty() ? 1 : 0;
}

int CHttpClient::GetRequestUrl(int flag, CVString& url) const {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (flag) {
    url = m_redirectUrl;
    return 1;
  }
  if (m_lastUrl.IsEmpty()) {
    return 0;
  }
  url = m_lastUrl;
  return 1;
}

bool CHttpClient::BeginRequest(const CVString& url, int requestId, tagClientSocket* slot, Start how) {
  Close(slot);
  m_requestId = requestId;
  m_lastUrl = url;
  if (how != Start::Internal) {
    m_finished = false;
    if (how == Start::Fresh) {
      m_retryCount = 0;
      m_redirects = 0;
    }
  }
  tagClientSocket* s = slot ? slot : &m_slots[0];
  if (!m_pSocketMan) {
    // A slot no socket manager serves would never report anything.
    Terminate(kMsgHttpConnectFailed, false);
    return false;
  }
  s->SetCallback(&CHttpClient::SocketCallback, s);
  if (slot) {
    ResetReply(slot);
  } else {
    ResetAll();
  }
  return true;
}

int CHttpClient::StartGet(const CVString& url, int& requestId, int progress, tagClientSocket* slot, int resume,
                          Start how) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  m_post = 0;
  bool running = slot ? IsBusy(slot) : IsRequestRunning();
  if (running && url.Compare(m_lastUrl) == 0) {
    requestId = m_requestId;
    return 0;
  }
  if (!BeginRequest(url, requestId, slot, how)) {
    return 0;
  }
  tagClientSocket* s = slot ? slot : &m_slots[0];
  if (slot) {
    slot->bodyPos = slot->blockStart = resume;
  } else {
    m_blocks.Add(0);
    m_nextBlockStart = kBlockSize;
  }
  m_method = Ascii("GET");
  SplitUrl(url);
  m_host = GetRelayHost();
  m_port = 80;
  const char* tail = m_clientType == 1 || m_clientType == 12 ? "&rc=1" : m_clientType == 11 ? "&rc=2&pro=sdk" : "&rc=0";
  m_path = Ascii("/?qt=rg&url=") + UrlEncode(url) + tail;
  BuildHeaders(s);
  ConnectSlot(s);
  m_progress = progress;
  ReportProgress(s);
  return 1;
}

int CHttpClient::StartPost(const CVString& url, int requestId, Start how) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  m_post = 1;
  if (!BeginRequest(url, requestId, nullptr, how)) {
    return 0;
  }
  m_blocks.Add(0);
  // No further block is fetched in parallel for a POST.
  m_nextBlockStart = m_nBufferSize;
  m_method = Ascii("POST");
  SplitUrl(url);
  BuildHeaders(&m_slots[0]);
  ConnectSlot(&m_slots[0]);
  ReportProgress(&m_slots[0]);
  return 1;
}

void CHttpClient::SplitUrl(const CVString& url) {
  int colon = url.Find(static_cast<unsigned short>(':'));
  int pos = 0;
  m_scheme = Ascii("HTTP");
  if (colon >= 0) {
    m_scheme = url.Left(colon);
    m_scheme.MakeUpper();
    pos = colon + 1;
  }
  if (url.GetAt(pos) == '/' && url.GetAt(pos + 1) == '/') {
    pos += 2;
  }
  int end = pos;
  while (end < url.GetLength() && IsHostUnit(url.GetAt(end))) {
    ++end;
  }
  m_host = url.Mid(pos, end - pos);
  int portAt = m_host.Find(static_cast<unsigned short>(':'));
  m_port = portAt >= 0 ? wide_atoi(m_host.GetBuffer() + portAt + 1) : 80;
  m_path = url.Mid(end, url.GetLength() - end);
  if (m_path.GetAt(0) != '/') {
    m_path = Ascii("/") + m_path;
  }
}

void CHttpClient::BuildHeaders(tagClientSocket* slot) {
  CVMapStringToString& h = slot->requestHeaders;
  auto setDefault = [&h](const char16_t* name, const char* value) {
    CVString existing;
    if (!h.Lookup(VStr(name), existing)) {
      h.SetAt(VStr(name), Ascii(value));
    }
  };
  h.SetAt(VStr(u"Host"), m_host);
  setDefault(u"Accept", "*/*");
  setDefault(u"Cache-Control", "no-cache");
  setDefault(u"User-Agent", "Mozilla/4.0 (compatible; MSIE 4.01; Windows CE)");
  setDefault(u"Connection", "Keep-Alive");
  char range[48];
  int start = slot->blockStart;
  std::snprintf(range, sizeof range, "bytes=%d-%d", slot->bodyPos, start - start % kBlockSize + kBlockSize - 1);
  h.SetAt(VStr(u"Range"), Ascii(range));
  if (m_gzip) {
    h.SetAt(VStr(u"Accept-Encoding"), Ascii("gzip"));
  } else {
    h.RemoveKey(VStr(u"Accept-Encoding"));
  }
  m_proxyHost = m_pSocketMan ? m_pSocketMan->GetHost() : CVString();
  m_connectTo = m_proxyHost.IsEmpty() ? m_host : m_proxyHost;
  m_onlineHost = m_proxyHost.IsEmpty() ? CVString() : m_host;
  if (!m_onlineHost.IsEmpty()) {
    h.SetAt(VStr(u"X-Online-Host"), m_onlineHost);
  }
}

void CHttpClient::ConnectSlot(tagClientSocket* slot) {
  int colon = m_connectTo.Find(static_cast<unsigned short>(':'));
  CVString host = colon >= 0 ? m_connectTo.Left(colon) : m_connectTo;
  int port = colon >= 0 ? wide_atoi(m_connectTo.GetBuffer() + colon + 1) : 80;
  slot->Connect(host, static_cast<unsigned short>(port));
}

void CHttpClient::ResetReply(tagClientSocket* slot) {
  slot->bodyPos = 0;
  slot->headerDone = 0;
  slot->headerLength = 0;
  slot->sent = 0;
  slot->status = 0;
  slot->contentLength = -1;
  slot->ranged = false;
  if (!slot->header) {
    slot->header = static_cast<char*>(CVMem::Allocate(kInitialHeaderBytes));
    slot->headerCapacity = slot->header ? kInitialHeaderBytes : 0;
  }
  slot->replyHeaders.RemoveAll();
  CVMem::Deallocate(slot->request);
  slot->request = nullptr;
  slot->requestLength = 0;
}

void CHttpClient::ResetAll() {
  m_blocks.RemoveAll();
  m_nextBlockStart = 0;
  if (m_pDataLength) {
    *m_pDataLength = 0;
  }
  for (auto& slot : m_slots) {
    ResetReply(&slot);
    slot.blockStart = 0;
    slot.furthest = 0;
  }
}

bool CHttpClient::BuildRequestText(tagClientSocket* slot) {
  CVMapStringToString& h = slot->requestHeaders;
  h.RemoveKey(VStr(u"Content-Length"));
  h.RemoveKey(VStr(u"Content-Type"));
  CVString text = m_method + " " + m_path + " " + m_scheme + "/" + m_version + "\r\n";
  CVString body;
  if (m_post) {
    VPOSITION pos = m_postFields.GetStartPos();
    while (pos) {
      CVString name;
      CVString value;
      m_postFields.GetNextPair(pos, name, value);
      CVString pair = UrlEncode(name) + "=" + UrlEncode(value);
      body = body.IsEmpty() ? pair : pair + "&" + body;
    }
    char length[16];
    std::snprintf(length, sizeof length, "%d", body.GetLength());
    h.SetAt(VStr(u"Content-Length"), Ascii(length));
    h.SetAt(VStr(u"Content-Type"), Ascii("application/x-www-form-urlencoded"));
  }
  VPOSITION pos = h.GetStartPos();
  while (pos) {
    CVString name;
    CVString value;
    h.GetNextPair(pos, name, value);
    text += name + ": " + value + "\r\n";
  }
  text += "\r\n";
  text += body;
  CVMem::Deallocate(slot->request);
  slot->request = ToGbk(text, slot->requestLength);
  return slot->request != nullptr;
}

int CHttpClient::SendRequest(tagClientSocket* slot) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (slot->sent == 0 && !slot->request && !BuildRequestText(slot)) {
    return -2;
  }
  if (slot->IsCloseRequested()) {
    return -101;
  }
  int n = slot->Send(slot->request + slot->sent, slot->requestLength - slot->sent);
  if (n < 0) {
    return -1;
  }
  slot->sent += n;
  return 0;
}

// ---- the reply side ----

int CHttpClient::SocketCallback(void* user) {
  auto* slot = static_cast<tagClientSocket*>(user);
  if (slot && slot->owner) {
    slot->owner->OnSocketEvent(slot);
  }
  return 0;
}

void CHttpClient::Post(int type, int message, int lParam) const {
  CVGlobalMan* man = GetGlobalManPtr();
  if (auto* msgs = man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr) {
    msgs->PostMessage(type, message, m_clientType, lParam);
  }
}

void CHttpClient::Terminate(int message, bool closeAll) {
  if (m_finished) {
    return;
  }
  if (closeAll) {
    CVString url = m_lastUrl;
    Close(nullptr);
    m_lastUrl = url;
  }
  m_finished = true;
  Post(1, message, m_requestId);
}

void CHttpClient::ReportProgress(tagClientSocket* slot) {
  int t = m_clientType;
  if (!m_progress || !(t == 0 || t == 1 || t == 6 || t == 11 || t == 12)) {
    return;
  }
  int phase;
  switch (slot->GetState()) {
    case 0: case 2: case 3: phase = 3; break;
    case 4: case 5: case 6: case kSockKeptAlive: phase = 6; break;
    case 7: case 8: phase = 8; break;
    default: return;
  }
  Post(2, kMsgDownloadProgress, phase);
}

void CHttpClient::Retry(tagClientSocket* slot, int failure) {
  if (++m_retryCount < m_retryLimit) {
    CVString url = m_lastUrl;
    // A ranged reply resumes where it stopped; anything else starts over.
    int resume = slot->ranged ? slot->bodyPos : slot->blockStart;
    Close(slot);
    int id = m_requestId;
    if (m_post) {
      StartPost(url, id, Start::Internal);
    } else {
      StartGet(url, id, m_progress, slot, resume, Start::Internal);
    }
    return;
  }
  Terminate(failure, true);
  if (failure == kMsgHttpReceiveFailed) {
    m_retryCount = 0;
  }
}

void CHttpClient::OnSocketEvent(tagClientSocket* slot) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (slot->IsCloseRequested() || m_finished) {
    return;
  }
  int state = slot->GetState();
  switch (state) {
    case kSockConnected:
      if (SendRequest(slot) < 0) {
        Retry(slot, kMsgHttpSendFailed);
      } else {
        ReportProgress(slot);
      }
      return;
    case kSockSent:
      if (slot->sent < slot->requestLength) {
        if (SendRequest(slot) < 0) {
          Retry(slot, kMsgHttpSendFailed);
        }
        return;
      }
      [[fallthrough]];
    case kSockDataWaiting: {
      int n = Receive(slot);
      if (state == kSockSent) {
        ReportProgress(slot);
      }
      if (n == -2) {
        return;
      }
      int complete = n == -100 || n == -101 ? 0 : ParseReply(slot, n == 0);
      if (complete == 1) {
        Finish(slot);
      } else if (complete == -1 || n == -100) {
        Terminate(kMsgHttpBadReply, true);
      } else if (complete == -2) {
        if (m_pDataLength) {
          *m_pDataLength = 0;
        }
        Terminate(kMsgHttpConnectFailed, true);
        m_retryCount = 0;
      } else if (n >= 1) {
        // Only progress in the body beyond what earlier attempts reached earns
        // fresh attempts: a peer that hangs up at the same place every time
        // (after the headers, or after part of a body it sends from the start
        // again) must not be retried for ever.
        if (slot->bodyPos > slot->furthest) {
          slot->furthest = slot->bodyPos;
          m_retryCount = 0;
        }
        // The body of a redirect or an error page is not the reply.
        if (m_partial && slot->status >= 200 && slot->status < 300) {
          Post(1, kMsgHttpPartial, m_requestId);
        }
      } else if (n == 0 || n == -1) {
        Retry(slot, kMsgHttpReceiveFailed);
      } else {
        Terminate(kMsgHttpReceiveFailed, true);
      }
      return;
    }
    case kSockConnectFailed:
      Retry(slot, kMsgHttpConnectFailed);
      return;
    case kSockRecvFailed:
      Retry(slot, kMsgHttpReceiveFailed);
      return;
    case kSockSendTimeout:
      Retry(slot, kMsgHttpSendFailed);
      return;
    default:
      return;
  }
}

int CHttpClient::Receive(tagClientSocket* slot) {
  std::lock_guard<std::recursive_mutex> lock(m_lock);
  if (!slot->headerDone) {
    if (slot->headerLength == slot->headerCapacity) {
      int capacity = slot->headerCapacity * 2;
      if (capacity > kMaxHeaderBytes || capacity <= 0) {
        return -100;
      }
      auto* grown = static_cast<char*>(CVMem::Allocate(static_cast<size_t>(capacity)));
      if (!grown) {
        return -100;
      }
      std::memcpy(grown, slot->header, static_cast<size_t>(slot->headerLength));
      CVMem::Deallocate(slot->header);
      slot->header = grown;
      slot->headerCapacity = capacity;
    }
    if (slot->IsCloseRequested()) {
      return -101;
    }
    int n = slot->Recv(slot->header + slot->headerLength, slot->headerCapacity - slot->headerLength);
    if (n < 1) {
      return n;
    }
    int from = slot->headerLength > 3 ? slot->headerLength - 3 : 0;
    slot->headerLength += n;
    for (int i = from; i + 4 <= slot->headerLength; ++i) {
      if (std::memcmp(slot->header + i, "\r\n\r\n", 4) != 0) {
        continue;
      }
      int end = i + 4;
      int extra = slot->headerLength - end;
      slot->headerLength = end;
      slot->headerDone = 1;
      ParseHeaders(slot);
      if (!AcceptHeaders(slot) || extra > slot->bufferSize - slot->bodyPos) {
        return -100;
      }
      if (extra > 0) {
        std::memcpy(slot->data + slot->bodyPos, slot->header + end, static_cast<size_t>(extra));
        slot->bodyPos += extra;
      }
      // The first block of a fresh download starts the parallel slots.
      if (slot == &m_slots[0] && m_nextBlockStart == kBlockSize && slot->ranged) {
        int total = GetTotalLength(slot);
        for (int k = 1; k < 3 && total > m_nextBlockStart; ++k) {
          StartBlock(&m_slots[k]);
        }
      }
      break;
    }
    return n;
  }
  if (slot->bodyPos >= slot->bufferSize) {
    return -100;
  }
  if (slot->IsCloseRequested()) {
    return -101;
  }
  int n = slot->Recv(slot->data + slot->bodyPos, slot->bufferSize - slot->bodyPos);
  if (n > 0) {
    slot->bodyPos += n;
  }
  return n;
}

void CHttpClient::StartBlock(tagClientSocket* slot) {
  int start = m_nextBlockStart;
  m_nextBlockStart += kBlockSize;
  m_blocks.Add(0);
  slot->furthest = start;
  CVString url = m_lastUrl;
  int id = m_requestId;
  StartGet(url, id, m_progress, slot, start, Start::Internal);
}

bool CHttpClient::AcceptHeaders(tagClientSocket* slot) {
  int status = slot->status;
  if (status == 206) {
    // A range must start where it was asked for and say how long it is.
    CVString range = ReplyHeader(slot, "content-range");
    int bytesAt = range.Find(VStr(u"bytes "));
    if (bytesAt != 0 || wide_atoi(range.GetBuffer() + 6) != slot->blockStart || GetContentLength(slot) < 0 ||
        range.Find(static_cast<unsigned short>('/')) < 0) {
      return false;
    }
    slot->ranged = true;
  } else if (status >= 200 && status < 300 && slot->blockStart != 0) {
    return false;  // the whole resource where a later range was asked for
  }
  return GetTotalLength(slot) <= slot->bufferSize;
}

void CHttpClient::ParseHeaders(tagClientSocket* slot) {
  const char* h = slot->header;
  int length = slot->headerLength;
  const char* lineEnd = static_cast<const char*>(std::memchr(h, '\n', static_cast<size_t>(length)));
  const char* space = static_cast<const char*>(std::memchr(h, ' ', static_cast<size_t>(length)));
  slot->status = space && (!lineEnd || space < lineEnd) ? std::atoi(space + 1) : 0;
  int pos = lineEnd ? static_cast<int>(lineEnd - h) + 1 : length;
  while (pos < length) {
    const char* line = h + pos;
    const char* nl = static_cast<const char*>(std::memchr(line, '\n', static_cast<size_t>(length - pos)));
    int lineLength = nl ? static_cast<int>(nl - line) : length - pos;
    int contentLength = lineLength > 0 && line[lineLength - 1] == '\r' ? lineLength - 1 : lineLength;
    const char* colon = static_cast<const char*>(std::memchr(line, ':', static_cast<size_t>(contentLength)));
    if (colon && colon > line) {
      CVString name = FromGbk(line, static_cast<int>(colon - line));
      name.MakeLower();
      const char* value = colon + 1;
      const char* valueEnd = line + contentLength;
      while (value < valueEnd && (*value == ' ' || *value == '\t')) {
        ++value;
      }
      while (valueEnd > value && (valueEnd[-1] == ' ' || valueEnd[-1] == '\t')) {
        --valueEnd;
      }
      slot->replyHeaders.SetAt(name, FromGbk(value, static_cast<int>(valueEnd - value)));
    }
    pos += lineLength + 1;
  }
}

CVString CHttpClient::ReplyHeader(tagClientSocket* slot, const char* name) const {
  CVString value;
  slot->replyHeaders.Lookup(Ascii(name), value);
  return value;
}

CVString CHttpClient::GetContentType(tagClientSocket* slot) const { return ReplyHeader(slot, "content-type"); }

int CHttpClient::GetTotalLength(tagClientSocket* slot) const {
  CVString range = ReplyHeader(slot, "content-range");
  int slash = range.ReverseFind(static_cast<unsigned short>('/'));
  if (slash >= 0) {
    return wide_atoi(range.GetBuffer() + slash + 1);
  }
  CVString length = ReplyHeader(slot, "content-length");
  return length.IsEmpty() ? -1 : wide_atoi(length.GetBuffer());
}

int CHttpClient::GetContentLength(tagClientSocket* slot) {
  CVString length = ReplyHeader(slot, "content-length");
  slot->contentLength = length.IsEmpty() ? -1 : wide_atoi(length.GetBuffer());
  return slot->contentLength;
}

int CHttpClient::ParseReply(tagClientSocket* slot, bool atEnd) {
  if (!slot->headerDone) {
    return 0;
  }
  int length = GetContentLength(slot);
  int received = slot->bodyPos - slot->blockStart;
  if (length < 0) {
    if (m_pDataLength) {
      *m_pDataLength = received;
    }
    CVString coding = ReplyHeader(slot, "transfer-encoding");
    coding.MakeLower();
    if (coding.Compare("chunked") == 0) {
      int walked = WalkChunks(slot->data, slot->bodyPos, nullptr, nullptr);
      if (walked == 1) {
        slot->SetState(kSockKeptAlive);
      }
      return walked;
    }
    // Without length or chunks the reply ends with the connection.
    return atEnd ? 1 : 0;
  }
  if (received > length) {
    return -2;
  }
  if (!slot->ranged) {
    // The whole reply in one piece.
    if (m_pDataLength) {
      *m_pDataLength = received;
    }
    if (received == length) {
      slot->SetState(kSockKeptAlive);
      return 1;
    }
    return 0;
  }
  if (received == length) {
    int block = slot->blockStart / kBlockSize;
    if (block < m_blocks.GetSize()) {
      m_blocks[block] = received + slot->blockStart % kBlockSize;
    }
    slot->SetState(kSockKeptAlive);
    if (m_nextBlockStart < GetTotalLength(slot)) {
      StartBlock(slot);
    }
  }
  int contiguous = 0;
  int k = 0;
  while (k < m_blocks.GetSize() && m_blocks[k] > 0) {
    contiguous += m_blocks[k++];
  }
  if (slot->blockStart / kBlockSize == k && slot->headerDone) {
    contiguous += slot->bodyPos - kBlockSize * k;
  }
  if (m_pDataLength) {
    *m_pDataLength = contiguous;
  }
  int total = GetTotalLength(slot);
  if (contiguous == total) {
    slot->SetState(kSockKeptAlive);
    return 1;
  }
  return 0;
}

int CHttpClient::DecodeChunked(tagClientSocket* slot) {
  CVString coding = ReplyHeader(slot, "transfer-encoding");
  coding.MakeLower();
  if (coding.Compare("chunked") != 0 || slot->bodyPos <= 0) {
    return 0;
  }
  auto* joined = static_cast<unsigned char*>(CVMem::Allocate(static_cast<size_t>(slot->bodyPos)));
  if (!joined) {
    return -1;
  }
  int length = 0;
  if (WalkChunks(slot->data, slot->bodyPos, joined, &length) != 1) {
    CVMem::Deallocate(joined);
    return -1;
  }
  std::memset(slot->data, 0, static_cast<size_t>(slot->bufferSize));
  std::memcpy(slot->data, joined, static_cast<size_t>(length));
  CVMem::Deallocate(joined);
  slot->bodyPos = slot->contentLength = length;
  if (m_pDataLength) {
    *m_pDataLength = length;
  }
  return 0;
}

int CHttpClient::DecodeGzip(tagClientSocket* slot) {
  CVString coding = ReplyHeader(slot, "content-encoding");
  coding.MakeLower();
  if (coding.Compare("gzip") != 0 || !m_pData || !m_pDataLength || *m_pDataLength == 0) {
    return 0;
  }
  unsigned char* decoded = nullptr;
  int length = 0;
  if (!GunzipToBuffer(m_pData, *m_pDataLength, &decoded, &length, m_nBufferSize)) {
    return -1;
  }
  std::memset(m_pData, 0, static_cast<size_t>(m_nBufferSize));
  std::memcpy(m_pData, decoded, static_cast<size_t>(length));
  CVMem::Deallocate(decoded);
  *m_pDataLength = length;
  return 0;
}

bool CHttpClient::IsGatewayPage(tagClientSocket* slot) const {
  int total = GetTotalLength(slot);
  int length = m_pDataLength ? *m_pDataLength : 0;
  if (GetContentType(slot).Find(VStr(u"text")) < 0 || total > kMaxGatewayPage || length <= 0 ||
      length > kMaxGatewayPage || m_pData[0] != '<') {
    return false;
  }
  tagMarkupNode* tree = ParseMarkup(FromGbk(reinterpret_cast<const char*>(m_pData), length));
  const tagMarkupNode* node = tree ? tree->next : nullptr;
  while (node && node->type != kMarkupElement) {
    node = node->next;
  }
  bool gateway = false;
  const tagMarkupNode* child = node ? node->child : nullptr;
  while (child && !gateway) {
    if (SameName(child, kMarkupElement, u"wml")) {
      child = child->child;  // entered; an empty wml ends the search
      continue;
    }
    gateway = SameName(child, kMarkupElement, u"card") && IsGatewayCard(child);
    child = child->next;
  }
  FreeMarkupTree(tree);
  return gateway;
}

int CHttpClient::CheckRedirect(tagClientSocket* slot) {
  // Every status that names the resource's place in Location: a relay may
  // answer with any of them, and refusing all but 302 would lose the reply.
  const int status = slot->status;
  if (status == 301 || status == 302 || status == 303 || status == 307 || status == 308) {
    CVString location = ReplyHeader(slot, "location");
    if (location.IsEmpty() || ++m_redirects > kMaxRedirects) {
      return -1;
    }
    m_redirectUrl = location;
    Terminate(kMsgHttpAskAgain, false);
    return 1;
  }
  if (!m_proxyHost.IsEmpty() && IsGatewayPage(slot)) {
    if (++m_redirects > kMaxRedirects) {
      return -1;
    }
    m_redirectUrl = m_lastUrl;
    Terminate(kMsgHttpAskAgain, false);
    return 1;
  }
  return 0;
}

void CHttpClient::Finish(tagClientSocket* slot) {
  if (DecodeChunked(slot) < 0 || DecodeGzip(slot) < 0) {
    Terminate(kMsgHttpBadReply, true);
    return;
  }
  int redirect = CheckRedirect(slot);
  if (redirect == 1) {
    return;
  }
  if (redirect < 0 || slot->status < 200 || slot->status >= 300) {
    // Error pages, redirects that lead nowhere and endless redirects are
    // failures, never downloads.
    Terminate(kMsgHttpBadReply, true);
    return;
  }
  m_retryCount = 0;
  Close(slot);
  Terminate(kMsgHttpComplete, false);
}

// ---- registry ----

int HttpClientMapInit() {
  CVGlobalMan* man = GetGlobalManPtr();
  if (!man) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(g_registryLock);
  if (!man->GetSlot(kSlotHttpClients)) {
    man->SetSlot(kSlotHttpClients, VNew<CVMapWordToPtr>());
  }
  return man->GetSlot(kSlotHttpClients) ? 1 : 0;
}

static CVMapWordToPtr* Registry() {
  CVGlobalMan* man = GetGlobalManPtr();
  return man ? static_cast<CVMapWordToPtr*>(man->GetSlot(kSlotHttpClients)) : nullptr;
}

int HttpClientMapAdd(int type, CHttpClient* client) {
  std::lock_guard<std::mutex> lock(g_registryLock);
  CVMapWordToPtr* map = Registry();
  void* existing = nullptr;
  if (!map || !client || map->Lookup(static_cast<unsigned short>(type), existing)) {
    return 0;
  }
  return map->SetAt(static_cast<unsigned short>(type), client);
}

int HttpClientMapRemove(int type) {
  std::lock_guard<std::mutex> lock(g_registryLock);
  CVMapWordToPtr* map = Registry();
  return map ? map->RemoveKey(static_cast<unsigned short>(type)) : 0;
}

int HttpClientMapIsBusy() {
  std::lock_guard<std::mutex> lock(g_registryLock);
  CVMapWordToPtr* map = Registry();
  for (int type = 0; map && type <= 12; ++type) {
    void* client = nullptr;
    if (map->Lookup(static_cast<unsigned short>(type), client) && client &&
        static_cast<CHttpClient*>(client)->IsBusy(nullptr)) {
      return 1;
    }
  }
  return 0;
}

void HttpClientMapDestroy() {
  CVGlobalMan* man = GetGlobalManPtr();
  if (!man) {
    return;
  }
  std::lock_guard<std::mutex> lock(g_registryLock);
  VDelete(static_cast<CVMapWordToPtr*>(man->GetSlot(kSlotHttpClients)));
  man->SetSlot(kSlotHttpClients, nullptr);
}

}  // namespace mapengine
