// The engine's HTTP/1.1 client. Every GET goes to the map service relay with
// the real URL encoded in the relay path; POSTs go to their own host. A reply
// is fetched in 20480-byte ranged blocks straight into the owner's buffer, the
// second and third connection slots fetching further blocks in parallel. The
// outcome reaches the owner only as engine messages (wParam the client type,
// lParam the request id): 1002 partial data, then exactly one of 1003
// complete, 1004 connect failed, 1005 send failed, 1006 receive failed,
// 1007 bad reply, 1120 ask again (redirect or gateway page).
//
// Locking: one client lock (recursive) serialises request starts, sending,
// receiving and the reply state; the socket worker takes it inside the event
// handler, owners when they start or stop requests. Neither side holds it
// while calling into the socket manager's list, and the socket worker holds
// no lock of its own while it calls the handler.
#pragma once

#include <atomic>
#include <mutex>

#include "engine/base/VArray.h"
#include "engine/base/VMap.h"
#include "engine/base/VSocket.h"
#include "engine/base/VString.h"

namespace mapengine {

class CHttpClient;

// One connection slot: a socket plus its request and reply state.
struct tagClientSocket : public CVSocket {
  CHttpClient* owner = nullptr;
  char* request = nullptr;  // the request text (GBK)
  int requestLength = 0;
  int sent = 0;
  unsigned char* data = nullptr;  // the owner's buffer
  int bodyPos = 0;     // absolute offset up to which this slot has written
  int furthest = 0;    // the furthest bodyPos any attempt at the current block reached
  int blockStart = 0;  // absolute offset where the current range began
  int bufferSize = 0;
  int headerDone = 0;
  char* header = nullptr;
  int headerLength = 0;
  int headerCapacity = 0;
  int status = 0;
  int contentLength = -1;
  CVMapStringToString replyHeaders{10};  // names in lower case
  CVMapStringToString requestHeaders{10};
  // The reply is one 206 range of the resource (so a retry may resume it).
  bool ranged = false;
};

class CHttpClient {
public:
  static constexpr int kBlockSize = 20480;
  static constexpr int kRetryLimit = 3;
  static constexpr int kMaxRedirects = 5;
  static constexpr int kInitialHeaderBytes = 2048;
  static constexpr int kMaxHeaderBytes = 65536;
  // Gateway pages are short: longer text replies are taken as they are.
  static constexpr int kMaxGatewayPage = 2048;

  CHttpClient();
  virtual ~CHttpClient();
  CHttpClient(const CHttpClient&) = delete;
  CHttpClient& operator=(const CHttpClient&) = delete;

  // The relay every GET goes to ("map.vuriv.com" on port 80 unless set).
  static void SetRelayHost(const CVString& host, unsigned short port);
  static CVString GetRelayHost();

  // Set-up, in this order.
  // Moves the registry entry to the new type; the result of HttpClientMapAdd.
  int SetClientType(int type);
  int GetClientType() const { return m_clientType; }
  void SetRecvBuffer(unsigned char* buffer, int* dataLength, int size);
  void SetTimeout(unsigned timeoutMs);
  void SetAcceptGzip(int flag) { m_gzip = flag; }
  void SetNotifyPartial(int flag) { m_partial = flag; }
  // Lists the three slots with the socket manager (global slot 9). 1, or 0
  // when there is no manager or its list is full.
  int Attach();
  // Closes the slots, unlists them, leaves the registry and forgets the
  // owner's buffer. 1. Called before destruction (the destructor does it
  // otherwise).
  int Detach();

  // Starts a GET through the relay. slot null: a fresh download on the first
  // slot; else that slot resumes at resumeOffset. A GET of the URL already in
  // progress is ignored (0, requestId receives the running id). 1 when the
  // connection was queued; 0 when ignored or failed (1004 posted).
  int RequestGet(const CVString& url, int& requestId, int progress, tagClientSocket* slot = nullptr,
                 int resumeOffset = 0);
  // Starts a form POST to the URL's own host. 1, or 0 (1004 posted).
  int RequestPost(const CVString& url, int requestId);
  void AddPostField(const CVString& name, const CVString& value);
  void ClearPostFields() { m_postFields.RemoveAll(); }
  // Repeats the current request: the redirect URL when useRedirect is set,
  // else the last URL (nothing, 1, when that is empty).
  int Resend(int useRedirect, tagClientSocket* slot = nullptr);
  // Closes the slot (null: all three, ending the request without a message)
  // and forgets the last URL.
  void Close(tagClientSocket* slot = nullptr);
  // 1 when the slot (null: any) is connecting, connected, sending or
  // receiving and no close is requested.
  int IsBusy(tagClientSocket* slot = nullptr) const;
  // 1 from the start of a request until its terminal message or its close,
  // the time before its slot begins to connect included: a GET of the same
  // URL in this time is ignored.
  int IsRequestRunning() const;
  // The redirect URL (flag set) or the last URL; 1 when given.
  int GetRequestUrl(int flag, CVString& url) const;
  tagClientSocket* GetSlot(int index) { return index >= 0 && index < 3 ? &m_slots[index] : nullptr; }

  // The reply side, run on the socket worker.
  static int SocketCallback(void* slot);
  void OnSocketEvent(tagClientSocket* slot);
  // Reads once: bytes read (0 peer closed), -1/-2 as CVSocket::Recv, -100 bad
  // reply (buffer full, header too long, unacceptable headers), -101 close requested.
  int Receive(tagClientSocket* slot);
  // 1 when the reply is complete, 0 not yet, -1 bad framing, -2 a block
  // longer than announced. atEnd: the peer closed the connection.
  int ParseReply(tagClientSocket* slot, bool atEnd);
  void ParseHeaders(tagClientSocket* slot);
  int DecodeChunked(tagClientSocket* slot);
  int DecodeGzip(tagClientSocket* slot);
  // 1 when 1120 was posted, 0 when the reply stands, -1 for a redirect
  // without Location or one too many.
  int CheckRedirect(tagClientSocket* slot);
  CVString GetContentType(tagClientSocket* slot) const;
  int GetTotalLength(tagClientSocket* slot) const;
  int GetContentLength(tagClientSocket* slot);
  void ReportProgress(tagClientSocket* slot);
  // Sends (the rest of) the request: 0, -1 when the send failed, -2 out of
  // memory, -101 close requested.
  int SendRequest(tagClientSocket* slot);

private:
  enum class Start { Fresh, OwnerResend, Internal };

  int StartGet(const CVString& url, int& requestId, int progress, tagClientSocket* slot, int resume, Start how);
  int StartPost(const CVString& url, int requestId, Start how);
  // Closes the slot(s), stores the request and opens the slot; false (1004
  // posted) when the slot is not served by a socket manager.
  bool BeginRequest(const CVString& url, int requestId, tagClientSocket* slot, Start how);
  void ResetReply(tagClientSocket* slot);
  void ResetAll();
  void SplitUrl(const CVString& url);
  void BuildHeaders(tagClientSocket* slot);
  void ConnectSlot(tagClientSocket* slot);
  bool BuildRequestText(tagClientSocket* slot);
  // Header checks once the header is complete; false for a reply that cannot be used.
  bool AcceptHeaders(tagClientSocket* slot);
  void StartBlock(tagClientSocket* slot);
  void Retry(tagClientSocket* slot, int failure);
  void Finish(tagClientSocket* slot);
  bool IsGatewayPage(tagClientSocket* slot) const;
  // Posts the request's one terminal message; closeAll closes every slot first.
  void Terminate(int message, bool closeAll);
  void Post(int type, int message, int lParam) const;
  CVString ReplyHeader(tagClientSocket* slot, const char* name) const;

  tagClientSocket m_slots[3];
  mutable std::recursive_mutex m_lock;
  unsigned char* m_pData = nullptr;
  int* m_pDataLength = nullptr;
  int m_nBufferSize = 0;
  int m_nextBlockStart = 0;
  CVString m_lastUrl;
  CVString m_redirectUrl;
  int m_post = 0;
  int m_gzip = 0;
  CVString m_version;
  CVString m_method;
  CVString m_scheme;
  CVString m_host;
  CVString m_onlineHost;
  CVString m_path;
  int m_port = 80;
  CVMapStringToString m_postFields{10};
  CVArray<int, int> m_blocks;
  CVString m_proxyHost;
  CVString m_connectTo;
  int m_retryCount = 0;
  int m_clientType = -1;
  int m_requestId = 0;
  int m_partial = 0;
  int m_progress = 0;
  int m_retryLimit = kRetryLimit;
  int m_redirects = 0;
  // The current request has had its terminal message (or was closed).
  bool m_finished = true;
  CVSocketMan* m_pSocketMan = nullptr;
};

// The HTTP client registry (global slot 11): one client per type.
int HttpClientMapInit();
int HttpClientMapAdd(int type, CHttpClient* client);
int HttpClientMapRemove(int type);
// 1 when any registered client of type 0 to 12 is busy.
int HttpClientMapIsBusy();
void HttpClientMapDestroy();

}  // namespace mapengine
