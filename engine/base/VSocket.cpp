#include "engine/base/VSocket.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "engine/base/VCMMap.h"
#include "engine/base/VGlobalMan.h"
#include "engine/base/VMsgMan.h"

namespace mapengine {

namespace {

// Longest wait of one worker round while sockets are open: the granularity
// of the time-outs.
constexpr int kRoundMs = 100;
// Longest wait while no socket is open (queued commands wake the worker).
constexpr int kIdleRoundMs = 1000;

bool Resolve(const char* host, unsigned short port, unsigned int& address, unsigned short& netPort) {
  CVGlobalMan* man = GetGlobalManPtr();
  auto* cache = man ? static_cast<CHostAddrCache*>(man->GetSlot(kSlotHostAddrCache)) : nullptr;
  if (cache && cache->Lookup(host, port, address, netPort)) {
    return true;
  }
  if (!host[0]) {
    return false;
  }
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, nullptr, &hints, &found) != 0 || !found) {
    return false;
  }
  address = reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr.s_addr;
  freeaddrinfo(found);
  netPort = htons(port);
  if (cache) {
    cache->SetAt(host, port, address, netPort);
  }
  return true;
}

}  // namespace

// ---- CVSocket: the owner's side ----

CVSocket::~CVSocket() {
  if (CVSocketMan* man = m_pMan.load()) {
    man->RemoveSocket(this);
  }
  CloseDescriptor();
}

void CVSocket::Queue(int command) {
  m_commands.Add(command);
  if (CVSocketMan* man = m_pMan.load()) {
    man->Wake();
  }
}

void CVSocket::Touch() { m_lastActivity.store(GetRealTickCount()); }

void CVSocket::SetCallback(EventCallback callback, void* user) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_callback.store(callback);
  m_user.store(user);
  if (m_state.load() != kSockKeptAlive) {
    m_state.store(kSockIdle);
  }
  Queue(kSockCmdOpen);
}

int CVSocket::Connect(const CVString& host, unsigned short port) {
  char gbk[kHostBytes] = {};
  int n = WideToMultiByte(kCodePageGbk, host.GetBuffer(), host.GetLength(), gbk, kHostBytes - 1);
  gbk[std::max(0, n)] = 0;
  std::lock_guard<std::mutex> lock(m_lock);
  if (m_state.load() != kSockKeptAlive || std::strcmp(gbk, m_host) != 0 || port != m_port) {
    m_state.store(kSockIdle);
    std::memcpy(m_host, gbk, sizeof m_host);
    m_port = port;
  }
  Queue(kSockCmdConnect);
  return 0;
}

void CVSocket::Close() {
  std::lock_guard<std::mutex> lock(m_lock);
  m_closeRequest.store(1);
  m_commands.RemoveAll();
  Queue(kSockCmdClose);
}

int CVSocket::Send(const void* bytes, int length) {
  int fd = m_fd.load();
  if (fd < 0 || m_state.load() == kSockSending) {
    return -1;
  }
  Touch();
  m_state.store(kSockSending);
  ssize_t n = send(fd, bytes, static_cast<size_t>(std::max(0, length)), MSG_NOSIGNAL | MSG_DONTWAIT);
  if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
    n = 0;  // nothing taken yet: the worker reports when the socket can take more
  }
  if (CVSocketMan* man = m_pMan.load()) {
    man->Wake();
  }
  return static_cast<int>(n);
}

int CVSocket::Recv(void* buffer, int size) {
  int fd = m_fd.load();
  int state = m_state.load();
  if (fd < 0 || state == kSockReadDone) {
    return -1;
  }
  int result = -2;
  if (state == kSockDataWaiting) {
    ssize_t n = recv(fd, buffer, static_cast<size_t>(std::max(0, size)), MSG_DONTWAIT);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      result = -2;  // a wake-up without data: wait for more
    } else {
      result = static_cast<int>(n);
      Touch();
    }
  }
  m_state.store(result == 0 || result == -1 ? kSockRecvFailed : kSockReadDone);
  if (CVSocketMan* man = m_pMan.load()) {
    man->Wake();
  }
  return result;
}

// ---- CVSocket: the worker's side ----

void CVSocket::Fire() {
  if (EventCallback callback = m_callback.load()) {
    callback(m_user.load());
  }
}

void CVSocket::CloseDescriptor() {
  int fd = m_fd.exchange(-1);
  if (fd >= 0) {
    ::close(fd);
  }
  m_connectStarted = false;
}

void CVSocket::RunCommands() {
  CVArray<int, int> commands;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    commands.Copy(m_commands);
    m_commands.RemoveAll();
  }
  for (int i = 0; i < commands.GetSize(); ++i) {
    switch (commands[i]) {
      case kSockCmdClose:
        DoClose();
        break;
      case kSockCmdOpen:
        if (m_state.load() != kSockKeptAlive) {
          DoOpen();
        }
        break;
      case kSockCmdConnect:
        DoConnect();
        break;
      default:
        break;
    }
  }
}

void CVSocket::DoClose() {
  if (m_state.load() != kSockKeptAlive) {
    CloseDescriptor();
    m_state.store(kSockIdle);
  }
  std::lock_guard<std::mutex> lock(m_lock);
  m_closeRequest.store(0);
}

void CVSocket::DoOpen() {
  if (m_fd.load() >= 0 && !m_connectStarted) {
    return;
  }
  CloseDescriptor();
  int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    return;
  }
  linger off{0, 0};
  setsockopt(fd, SOL_SOCKET, SO_LINGER, &off, sizeof off);
  m_fd.store(fd);
}

void CVSocket::DoConnect() {
  int old = m_state.exchange(kSockConnecting);
  if (old == kSockKeptAlive && m_fd.load() >= 0) {
    Touch();  // the kept connection is reused; poll reports it writable
    return;
  }
  // A descriptor that was connected before cannot connect again.
  DoOpen();
  char host[kHostBytes];
  unsigned short port;
  {
    std::lock_guard<std::mutex> lock(m_lock);
    std::memcpy(host, m_host, sizeof host);
    port = m_port;
  }
  unsigned int address = 0;
  unsigned short netPort = 0;
  if (m_fd.load() < 0 || !Resolve(host, port, address, netPort)) {
    m_state.store(kSockConnectFailed);
    Fire();
    return;
  }
  sockaddr_in to{};
  to.sin_family = AF_INET;
  to.sin_addr.s_addr = address;
  to.sin_port = netPort;
  Touch();
  m_connectStarted = true;
  if (::connect(m_fd.load(), reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS) {
    m_state.store(kSockConnectFailed);
    Fire();
  }
}

// ---- CVSocketMan ----

CVSocketMan::CVSocketMan() {
  if (pipe2(m_wakeFd, O_NONBLOCK | O_CLOEXEC) != 0) {
    m_wakeFd[0] = m_wakeFd[1] = -1;
  }
}

CVSocketMan::~CVSocketMan() {
  Release();
  for (int fd : m_wakeFd) {
    if (fd >= 0) {
      ::close(fd);
    }
  }
}

int CVSocketMan::Init(int capacity) {
  std::lock_guard<std::mutex> lock(m_lock);
  for (CVSocket* socket : m_sockets) {
    socket->m_pMan.store(nullptr);
  }
  m_sockets.clear();
  m_sockets.reserve(static_cast<size_t>(std::max(0, capacity)));
  m_capacity = std::max(0, capacity);
  return 1;
}

int CVSocketMan::AddSocket(CVSocket* socket) {
  {
    std::lock_guard<std::mutex> lock(m_lock);
    if (!socket || static_cast<int>(m_sockets.size()) >= m_capacity) {
      return 0;
    }
    m_sockets.push_back(socket);
    socket->m_pMan.store(this);
  }
  Wake();
  return 1;
}

int CVSocketMan::RemoveSocket(CVSocket* socket) {
  std::unique_lock<std::mutex> lock(m_lock);
  auto it = std::find(m_sockets.begin(), m_sockets.end(), socket);
  if (it == m_sockets.end()) {
    return 0;
  }
  m_sockets.erase(it);
  socket->m_pMan.store(nullptr);
  if (m_inPass && !IsWorkerThread()) {
    // The worker may be using the socket right now: wait for the end of
    // that pass (a later pass no longer sees the socket).
    unsigned long passEnd = m_passesEnded + 1;
    lock.unlock();
    Wake();
    lock.lock();
    m_passEnded.wait(lock, [this, passEnd] { return m_passesEnded >= passEnd; });
  }
  return 1;
}

bool CVSocketMan::StillListed(CVSocket* socket) {
  std::lock_guard<std::mutex> lock(m_lock);
  return std::find(m_sockets.begin(), m_sockets.end(), socket) != m_sockets.end();
}

bool CVSocketMan::IsWorkerThread() const { return m_thread.get_id() == std::this_thread::get_id(); }

int CVSocketMan::StartThread() {
  if (m_thread.joinable() || m_wakeFd[0] < 0) {
    return 0;
  }
  m_run.store(true);
  m_thread = std::thread([this] { ThreadProc(); });
  return 1;
}

void CVSocketMan::StopThread() {
  m_run.store(false);
  Wake();
  if (m_thread.joinable() && !IsWorkerThread()) {
    m_thread.join();
  }
}

void CVSocketMan::Release() {
  StopThread();
  std::lock_guard<std::mutex> lock(m_lock);
  for (CVSocket* socket : m_sockets) {
    socket->m_pMan.store(nullptr);
  }
  m_sockets.clear();
  m_capacity = 0;
}

CVString CVSocketMan::GetHost() const {
  std::lock_guard<std::mutex> lock(m_lock);
  return m_proxyHost;
}

void CVSocketMan::SetHost(const CVString& host) {
  std::lock_guard<std::mutex> lock(m_lock);
  m_proxyHost = host;
}

void CVSocketMan::Wake() {
  if (m_wakeFd[1] >= 0) {
    char byte = 1;
    [[maybe_unused]] ssize_t n = ::write(m_wakeFd[1], &byte, 1);
  }
}

void CVSocketMan::ThreadProc() {
  std::vector<CVSocket*> sockets;
  while (m_run.load()) {
    // While the engine is stopped no socket work is done; a wake-up or the
    // next round looks again.
    auto* runtime = static_cast<CVMsgMan*>(GetGlobalMan()->GetSlot(kSlotMsgMan));
    if (runtime && runtime->IsReset()) {
      pollfd wake{m_wakeFd[0], POLLIN, 0};
      poll(&wake, 1, kRoundMs);
      continue;
    }
    {
      std::lock_guard<std::mutex> lock(m_lock);
      sockets = m_sockets;
      m_inPass = true;
    }
    Serve(sockets);
    {
      std::lock_guard<std::mutex> lock(m_lock);
      m_inPass = false;
      ++m_passesEnded;
    }
    m_passEnded.notify_all();
  }
}

void CVSocketMan::Serve(std::vector<CVSocket*>& sockets) {
  // Wake-ups are consumed before the commands are read, so one that arrives
  // later stays pending and ends the coming poll at once.
  char drain[64];
  while (::read(m_wakeFd[0], drain, sizeof drain) > 0) {
  }
  for (CVSocket* socket : sockets) {
    if (StillListed(socket)) {
      socket->RunCommands();
    }
  }
  // Only the conditions each state waits for are watched, so a socket whose
  // data the owner has not read yet does not keep waking the worker.
  std::vector<pollfd> fds{{m_wakeFd[0], POLLIN, 0}};
  std::vector<CVSocket*> polled;
  bool open = false;
  for (CVSocket* socket : sockets) {
    int fd = socket->GetDescriptor();
    if (fd < 0) {
      continue;
    }
    open = true;
    short events = 0;
    switch (socket->GetState()) {
      case kSockConnecting:
      case kSockSending:
        events = POLLOUT;
        break;
      case kSockReadDone:
      case kSockKeptAlive:
        events = POLLIN;
        break;
      default:
        continue;
    }
    fds.push_back({fd, events, 0});
    polled.push_back(socket);
  }
  if (poll(fds.data(), fds.size(), open ? kRoundMs : kIdleRoundMs) < 0) {
    fds.assign(fds.size(), pollfd{-1, 0, 0});
  }
  for (size_t i = 0; i < polled.size(); ++i) {
    CVSocket* socket = polled[i];
    short revents = fds[i + 1].revents;
    if (!revents || !StillListed(socket) || socket->GetDescriptor() != fds[i + 1].fd) {
      continue;
    }
    switch (socket->GetState()) {
      case kSockReadDone:
        socket->SetState(kSockDataWaiting);
        socket->Fire();
        break;
      case kSockConnecting: {
        int error = 0;
        socklen_t length = sizeof error;
        bool failed = getsockopt(socket->GetDescriptor(), SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0;
        socket->SetState(failed ? kSockConnectFailed : kSockConnected);
        socket->Fire();
        break;
      }
      case kSockSending:
        socket->SetState(kSockSent);
        socket->Fire();
        break;
      case kSockKeptAlive: {
        // The idle peer may only close; anything it sends is dropped.
        char byte;
        ssize_t n = recv(socket->GetDescriptor(), &byte, 1, MSG_DONTWAIT);
        if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)) {
          socket->CloseDescriptor();
          socket->SetState(kSockIdle);
        }
        break;
      }
      default:
        break;
    }
  }
  unsigned now = GetRealTickCount();
  for (CVSocket* socket : sockets) {
    if (socket->GetDescriptor() < 0 || !StillListed(socket)) {
      continue;
    }
    unsigned elapsed = now - socket->m_lastActivity.load();
    unsigned timeout = socket->GetTimeout();
    int state = socket->GetState();
    int next = state;
    if (state == kSockConnecting && elapsed > timeout / 2) {
      next = kSockConnectFailed;
    } else if ((state == kSockDataWaiting || state == kSockReadDone) && elapsed > timeout) {
      next = kSockRecvFailed;
    } else if (state == kSockSending && elapsed > timeout) {
      next = kSockSendTimeout;
    } else if (state == kSockKeptAlive && elapsed >= kKeepAliveIdleMs) {
      socket->CloseDescriptor();
      socket->SetState(kSockIdle);
      continue;
    }
    if (next != state) {
      socket->SetState(next);
      socket->Fire();
    }
  }
}

int GetConnectStatus() { return 2; }

// ---- CHostAddrCache ----

CVString CHostAddrCache::Key(const char* host, unsigned short port) {
  char key[CVSocket::kHostBytes + 8];
  std::snprintf(key, sizeof key, "%.127s:%u", host ? host : "", static_cast<unsigned>(port));
  return CVString(key);
}

int CHostAddrCache::Lookup(const char* host, unsigned short port, unsigned int& address, unsigned short& netPort) {
  CVString key = Key(host, port);
  std::lock_guard<std::mutex> lock(m_lock);
  void* value = nullptr;
  if (!m_index.Lookup(key, value)) {
    return 0;
  }
  intptr_t index = reinterpret_cast<intptr_t>(value);
  if (index < 0 || index >= m_addresses.GetSize()) {
    m_index.RemoveKey(key);
    return 0;
  }
  address = m_addresses[static_cast<int>(index)];
  netPort = static_cast<unsigned short>(m_ports[static_cast<int>(index)]);
  return 1;
}

int CHostAddrCache::SetAt(const char* host, unsigned short port, unsigned int address, unsigned short netPort) {
  CVString key = Key(host, port);
  std::lock_guard<std::mutex> lock(m_lock);
  void* value = nullptr;
  if (m_index.Lookup(key, value)) {
    intptr_t index = reinterpret_cast<intptr_t>(value);
    if (index >= 0 && index < m_addresses.GetSize()) {
      m_addresses.SetAt(static_cast<int>(index), address);
      m_ports.SetAt(static_cast<int>(index), netPort);
      return 1;
    }
  }
  int index = m_addresses.Add(address);
  if (index < 0 || m_ports.Add(netPort) < 0) {
    return 0;
  }
  m_index.SetAt(key, reinterpret_cast<void*>(static_cast<intptr_t>(index)));
  return 1;
}

}  // namespace mapengine
