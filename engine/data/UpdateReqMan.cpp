#include "engine/data/UpdateReqMan.h"

#include <algorithm>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VJson.h"
#include "engine/base/VMem.h"
#include "engine/base/VMsgMan.h"
#include "engine/data/OLRecordMan.h"
#include "engine/data/VJsonResultParser.h"
#include "engine/data/VerDatsetMan.h"
#include "engine/render/UrlTranslater.h"

namespace mapengine {

namespace {

CVMsgMan* MessageRuntime() {
  CVMainGlobalMan* man = GetGlobalMan();
  return man ? static_cast<CVMsgMan*>(man->GetSlot(kSlotMsgMan)) : nullptr;
}

}  // namespace

CUpdateReqMan::CUpdateReqMan() = default;

CUpdateReqMan::~CUpdateReqMan() {
  if (CVMsgMan* msgs = MessageRuntime()) {
    msgs->KillTimer(kTimerId);
  }
  m_client.Detach();
  VDelete(m_buffer);
}

int CUpdateReqMan::Init() {
  m_buffer = m_buffer ? m_buffer : VNew<unsigned char>(kBufferSize);
  if (!m_buffer || !m_client.Attach()) {
    return 0;
  }
  m_client.SetClientType(kUpdateRequestClient);
  m_client.SetRecvBuffer(m_buffer, &m_received, kBufferSize);
  m_client.SetAcceptGzip(1);
  m_client.SetTimeout(kTimeoutMs);
  if (CVMsgMan* msgs = MessageRuntime()) {
    msgs->SetTimer(kTimerId, kTickMs);
  }
  return 1;
}

int CUpdateReqMan::AddFileRequest(const CVString& fileName, int code) {
  CUrlTranslater* urls = GetUrlTranslater();
  tag_CommonTask task;
  if (urls && urls->GetUpdateCheckUrl(task.url, fileName)) {
    task.kind = kTaskDataFile;
    task.value = code;
    std::lock_guard<std::mutex> hold(m_lock);
    m_queue.Add(task);
  }
  return 0;
}

int CUpdateReqMan::AddTaskListRequest() {
  CUrlTranslater* urls = GetUrlTranslater();
  tag_CommonTask task;
  if (urls && urls->GetOfflineTaskListUrl(task.url)) {
    task.kind = kTaskOfflineVersions;
    std::lock_guard<std::mutex> hold(m_lock);
    m_queue.Add(task);
  }
  return 0;
}

int CUpdateReqMan::AddClient(CHttpClient* client) {
  if (!client) {
    return 0;
  }
  std::lock_guard<std::mutex> hold(m_lock);
  m_pool.Add(client);
  return 1;
}

void CUpdateReqMan::RemoveClient(const CHttpClient* client) {
  std::lock_guard<std::mutex> hold(m_lock);
  for (int i = m_pool.GetSize() - 1; i >= 0; --i) {
    if (m_pool[i] == client) {
      m_pool.RemoveAt(i);
    }
  }
}

int CUpdateReqMan::IsPoolBusy() const {
  for (int i = 0; i < m_pool.GetSize(); ++i) {
    if (m_pool[i]->IsBusy()) {
      return 1;
    }
  }
  return 0;
}

int CUpdateReqMan::GetQueueSize() const {
  std::lock_guard<std::mutex> hold(m_lock);
  return m_queue.GetSize();
}

int CUpdateReqMan::SendNextTask() {
  CVString url;
  int requestId = 0;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    if (m_queue.GetSize() == 0 || m_inFlight || m_client.IsBusy() || IsPoolBusy()) {
      return 0;
    }
    if (m_waitTicks > 0) {
      --m_waitTicks;
      return 0;
    }
    // A lower kind queued later goes first: the version reply before files.
    int chosen = 0;
    for (int i = 1; i < m_queue.GetSize(); ++i) {
      if (m_queue[i].kind < m_queue[0].kind) {
        chosen = i;
      }
    }
    if (chosen > 0) {
      tag_CommonTask task = m_queue[chosen];
      m_queue.RemoveAt(chosen);
      m_queue.InsertAt(0, task);
    }
    m_currentKind = m_queue[0].kind;
    m_currentUrl = m_queue[0].url;
    m_currentValue = m_queue[0].value;
    requestId = ++m_requestCounter;
    url = m_currentUrl;
    m_inFlight = true;
  }
  m_client.RequestGet(url, requestId, 1);
  return 1;
}

int CUpdateReqMan::OnHttpEvent(int message, int wParam, int lParam) {
  switch (message) {
    case kMsgHttpAskAgain:
      m_client.Resend(1);
      break;
    case kMsgHttpComplete:
      OnReply(lParam);
      break;
    case kMsgHttpConnectFailed:
    case kMsgHttpSendFailed:
    case kMsgHttpReceiveFailed:
    case kMsgHttpBadReply:
      OnFailure(lParam);
      break;
    case kMsgTimer:
      if (wParam == kTimerId) {
        SendNextTask();
      }
      break;
    default:
      break;  // partial data is never acted on
  }
  return 0;
}

void CUpdateReqMan::OnFailure(int requestId) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (requestId != m_requestCounter) {
    return;
  }
  m_inFlight = false;
  // The task stays at the head; each failure in a row doubles the pause.
  m_failures = std::min(m_failures + 1, 7);
  m_waitTicks = std::min((1 << m_failures) - 1, kMaxBackoffTicks);
}

void CUpdateReqMan::OnReply(int requestId) {
  int kind = 0;
  int value = -1;
  bool current = false;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    current = requestId == m_requestCounter;
    kind = m_currentKind;
    value = m_currentValue;
    if (current) {
      m_inFlight = false;
      m_failures = 0;
      m_waitTicks = 0;
    }
  }
  if (current && m_received > 0) {
    if (kind == kTaskDataFile && (value == 3 || value == 4) && m_records) {
      int length = m_received;
      m_records->DoCommand(value == 3 ? kOLReplaceHotcityFile : kOLReplaceSearchFile, m_buffer, &length);
    } else if (kind == kTaskDataFile && value == 0 && m_versions) {
      m_versions->OnVersionReply(reinterpret_cast<const char*>(m_buffer), m_received);
    } else if (kind == kTaskOfflineVersions) {
      HandleVersionReply(m_buffer, m_received);
    }
  }
  std::lock_guard<std::mutex> hold(m_lock);
  if (m_queue.GetSize() > 0) {
    m_queue.RemoveAt(0);
  }
}

void CUpdateReqMan::HandleVersionReply(const unsigned char* body, int length) {
  int localLength = 0;
  char* text = Utf8ToLocal(reinterpret_cast<const char*>(body), length, &localLength);
  if (!text) {
    return;
  }
  VJson* root = VJson_Parse(text);
  COLVersionRecord versions;
  VJsonResultParser parser;
  if (root && parser.ParseVersionReply(root, &versions.cityVersion, &versions.pictureVersion,
                                       &versions.taskVersion) &&
      m_records) {
    m_records->DoCommand(kOLOnVersionReply, &versions, nullptr);
  }
  VJson_Delete(root);
  VDelete(text);
}

}  // namespace mapengine
