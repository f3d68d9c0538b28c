// Non-blocking TCP sockets served by one worker thread. Owners queue commands
// (open, connect, close) on their CVSocket and send and receive themselves; the
// worker carries the commands out, watches every descriptor with poll, moves
// the sockets through their states, enforces the time-outs and calls each
// socket's event callback. Time-outs are kept on the real clock: a peer that
// answers is not failed when a test moves its virtual clock on, and one that
// hangs is failed also while that clock stands still. Host names are resolved on the worker through the
// host-address cache (global slot 14).
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "engine/base/VArray.h"
#include "engine/base/VMap.h"
#include "engine/base/VString.h"

namespace mapengine {

// Socket states.
enum : int {
  kSockIdle = 0,
  kSockConnecting = 3,
  kSockConnected = 4,
  kSockDataWaiting = 5,
  kSockReadDone = 6,
  kSockSent = 7,
  kSockSending = 8,
  kSockConnectFailed = 9,
  kSockRecvFailed = 10,
  kSockSendTimeout = 11,
  kSockKeptAlive = 12
};

// Socket commands.
enum : int {
  kSockCmdClose = 1,
  kSockCmdOpen = 2,
  kSockCmdConnect = 3
};

// A kept connection idle this long (ms) or longer is closed by the worker.
constexpr unsigned kKeepAliveIdleMs = 55001;

class CVSocketMan;

class CVSocket {
public:
  using EventCallback = int (*)(void* user);

  // Bytes of the host text (GBK, zero-terminated).
  static constexpr int kHostBytes = 128;
  static constexpr unsigned kDefaultTimeoutMs = 20000;

  CVSocket() = default;
  virtual ~CVSocket();
  CVSocket(const CVSocket&) = delete;
  CVSocket& operator=(const CVSocket&) = delete;

  // Stores the callback and user object, sets state 0 unless it is 12 and
  // queues an open.
  void SetCallback(EventCallback callback, void* user);
  // Queues a connect. A kept connection (state 12) to the same host and port
  // is reused; otherwise state 0 and the new host (cut at 127 bytes) and port.
  // 0.
  int Connect(const CVString& host, unsigned short port);
  // Sets the close request and replaces every queued command by a close.
  void Close();
  // One non-blocking send; -1 without a descriptor or while sending (state 8).
  int Send(const void* bytes, int length);
  // One receive in state 5: its result (0 when the peer closed). -1 without a
  // descriptor or in state 6; -2 in any other state (which becomes 6).
  int Recv(void* buffer, int size);
  int GetState() const { return m_state.load(); }
  void SetState(int state) { m_state.store(state); }
  int GetDescriptor() const { return m_fd.load(); }
  // Stores the time-out in ms and returns the previous one.
  unsigned SetParam(unsigned timeoutMs) { return m_timeout.exchange(timeoutMs); }
  unsigned GetTimeout() const { return m_timeout.load(); }
  bool IsCloseRequested() const { return m_closeRequest.load() != 0; }

private:
  friend class CVSocketMan;

  void Queue(int command);
  void Touch();
  // The worker's side.
  void RunCommands();
  void DoClose();
  void DoOpen();
  void DoConnect();
  void CloseDescriptor();
  void Fire();

  std::atomic<EventCallback> m_callback{nullptr};
  CVArray<int, int> m_commands;
  char m_host[kHostBytes] = {};
  unsigned short m_port = 0;
  std::atomic<int> m_closeRequest{0};
  std::atomic<int> m_fd{-1};
  std::mutex m_lock;
  std::atomic<int> m_state{kSockIdle};
  std::atomic<void*> m_user{nullptr};
  std::atomic<unsigned> m_timeout{kDefaultTimeoutMs};
  std::atomic<unsigned> m_lastActivity{0};  // GetRealTickCount
  // Worker only: a connect was started on the descriptor, so it cannot be
  // connected again.
  bool m_connectStarted = false;
  std::atomic<CVSocketMan*> m_pMan{nullptr};
};

class CVSocketMan {
public:
  CVSocketMan();
  virtual ~CVSocketMan();
  CVSocketMan(const CVSocketMan&) = delete;
  CVSocketMan& operator=(const CVSocketMan&) = delete;

  // Room for capacity sockets, none listed. 1.
  int Init(int capacity);
  // Lists a socket while there is room; 1 when added, 0 when full or null.
  int AddSocket(CVSocket* socket);
  // Unlists a socket. When the worker is serving the list on another thread,
  // waits for the end of that pass, so the socket may be destroyed on return.
  // 1 when found, 0 otherwise.
  int RemoveSocket(CVSocket* socket);
  // Starts the worker; 1, or 0 when it runs already or cannot start.
  int StartThread();
  // Stops the worker and waits for it (unless called from it).
  void StopThread();
  // Stops the worker and forgets the list.
  void Release();
  // The proxy host ("host" or "host:port"), empty unless set.
  CVString GetHost() const;
  void SetHost(const CVString& host);
  // Wakes the worker so that queued commands and state changes are served
  // without waiting for its next round.
  void Wake();
  bool IsWorkerThread() const;

private:
  void ThreadProc();
  // One round: commands, poll, events, time-outs.
  void Serve(std::vector<CVSocket*>& sockets);
  bool StillListed(CVSocket* socket);

  std::vector<CVSocket*> m_sockets;
  int m_capacity = 0;
  CVString m_proxyHost;
  mutable std::mutex m_lock;
  std::condition_variable m_passEnded;
  bool m_inPass = false;
  unsigned long m_passesEnded = 0;
  std::vector<CVSocket*> m_removedInPass;
  std::thread m_thread;
  std::atomic<bool> m_run{false};
  int m_wakeFd[2] = {-1, -1};
};

// The network status for requests: always 2 (eConnected).
int GetConnectStatus();

// Host name and port to IPv4 address and port (both in network order),
// remembered for the life of the process.
class CHostAddrCache {
public:
  CHostAddrCache() = default;
  ~CHostAddrCache() = default;
  CHostAddrCache(const CHostAddrCache&) = delete;
  CHostAddrCache& operator=(const CHostAddrCache&) = delete;

  // 1 with both values when the host and port are known, else 0.
  int Lookup(const char* host, unsigned short port, unsigned int& address, unsigned short& netPort);
  // Overwrites the entry or adds one. 1.
  int SetAt(const char* host, unsigned short port, unsigned int address, unsigned short netPort);

private:
  static CVString Key(const char* host, unsigned short port);

  CVMapStringToPtr m_index;
  CVArray<unsigned int, unsigned int> m_addresses;
  CVArray<unsigned int, unsigned int> m_ports;
  std::mutex m_lock;
};

}  // namespace mapengine
