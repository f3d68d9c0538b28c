// Background downloads of the engine's small data sets: the offline-map
// version reply and the data files listed in "VerDatset.dat". One task is
// sent at a time, on a 5-second engine timer, through the manager's own HTTP
// client (type 9); replies go to the offline record store and the data-set
// version manager.
//
// The timer tick runs on the engine timer thread and the replies on the main
// thread: the queue and the current task are guarded by one lock, which is
// never held while a request starts or a reply is handed on.
#pragma once

#include <mutex>

#include "engine/base/HttpClient.h"
#include "engine/base/VArray.h"
#include "engine/base/VString.h"

namespace mapengine {

class COLRecordMan;
class CVerDatsetMan;

enum : int {
  kTaskOfflineVersions = 2,  // the offline-map version reply ("task list")
  kTaskDataFile = 3          // a data-set file
};

struct tag_CommonTask {
  int kind = 0;
  CVString url;
  int value = -1;  // a data file's code; -1 for the version reply
};

class CUpdateReqMan {
public:
  static constexpr int kTimerId = 1004;
  static constexpr unsigned kTickMs = 5000;
  static constexpr int kBufferSize = 256000;
  static constexpr unsigned kTimeoutMs = 10000;
  // Ticks a failed task waits at most before it is sent again (5 minutes).
  static constexpr int kMaxBackoffTicks = 60;

  CUpdateReqMan();
  ~CUpdateReqMan();
  CUpdateReqMan(const CUpdateReqMan&) = delete;
  CUpdateReqMan& operator=(const CUpdateReqMan&) = delete;

  void SetRecordMan(COLRecordMan* records) { m_records = records; }
  void SetVersionMan(CVerDatsetMan* versions) { m_versions = versions; }

  // Sets up the client and the timer. 1, or 0 when the client cannot attach.
  int Init();
  // Queues a data file (its name and code). 0 in every case.
  int AddFileRequest(const CVString& fileName, int code);
  // Queues the offline-map version request. 0 in every case.
  int AddTaskListRequest();
  // Engine clients whose traffic goes first. 1, or 0 for null.
  int AddClient(CHttpClient* client);
  // A client about to go is no longer looked at.
  void RemoveClient(const CHttpClient* client);
  int IsPoolBusy() const;
  // The timer tick: sends the next task unless a request runs, a pooled
  // client is busy or a failed task waits out its pause. 1 when sent.
  int SendNextTask();
  // Network events of client type 9 and the ticks of timer 1004.
  int OnHttpEvent(int message, int wParam, int lParam);
  void OnReply(int requestId);

  int GetQueueSize() const;

private:
  void HandleVersionReply(const unsigned char* body, int length);
  void OnFailure(int requestId);

  CHttpClient m_client;
  unsigned char* m_buffer = nullptr;
  int m_received = 0;
  int m_currentKind = 0;
  CVString m_currentUrl;
  int m_currentValue = -1;
  int m_requestCounter = 0;
  CVArray<tag_CommonTask> m_queue;
  CVArray<CHttpClient*, CHttpClient*> m_pool;
  // A request was sent and its outcome has not come: the client may not
  // look busy yet while its connection is still being set up.
  bool m_inFlight = false;
  int m_failures = 0;   // failures of the head task in a row
  int m_waitTicks = 0;  // ticks left before it is sent again
  mutable std::mutex m_lock;

  COLRecordMan* m_records = nullptr;
  CVerDatsetMan* m_versions = nullptr;
};

}  // namespace mapengine
