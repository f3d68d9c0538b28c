#include "engine/base/VMsgMan.h"

#include <chrono>

#include "engine/base/EngineHost.h"
#include "engine/base/VMem.h"
#include "engine/base/VString.h"

namespace mapengine {

namespace {

// Tells the host that an engine message waits, on the posting thread; the host
// drains the rings with DispatchMessage on the main thread.
void WakeHost()
{
  if (EngineHost* host = GetEngineHost()) {
    host->WakeMainThread();
  }
}

// Offline outcomes: packages left (3), newer data (4), import ended (5),
// check pass ended (6). Losing one leaves the user interface waiting.
bool IsOfflineOutcome(const tagEngineMsg& msg) {
  return msg.message == kMsgOfflineProgress && msg.wParam >= 3 && msg.wParam <= 6;
}

bool IsCompletion(const tagEngineMsg& msg) {
  if (IsOfflineOutcome(msg)) {
    return true;
  }
  switch (msg.message) {
    case kMsgHttpComplete:
    case kMsgHttpConnectFailed:
    case kMsgHttpSendFailed:
    case kMsgHttpReceiveFailed:
    case kMsgHttpBadReply:
    case kMsgHttpAskAgain:
    case kMsgSearchResult:
    case kMsgPoiBackgroundData:
    case kMsgOfflineCommand:  // a lost start, stop or removal stalls downloads or orphans files
      return true;
    default:
      return false;
  }
}

// Whether a queued message stands for the new one, which then only updates it.
bool Supersedes(const tagEngineMsg& queued, const tagEngineMsg& msg) {
  if (queued.message != msg.message || queued.wParam != msg.wParam) {
    return false;
  }
  switch (msg.message) {
    case kMsgHttpPartial:
    case kMsgDownloadProgress:
      return true;
    case kMsgOfflineProgress:
      return msg.wParam == 2 || (msg.wParam == 0 && queued.lParam == msg.lParam);
    default:
      return false;
  }
}

int Next(int index) { return (index + 1) % tagMsgRing::kSlots; }

}  // namespace

CVMsgMan::~CVMsgMan() {
  StopTimerThread();
  VDelete(m_pTimers);
}

tagMsgRing* CVMsgMan::GetRing(int type) {
  return type == 1 ? &m_normalRing : type == 2 ? &m_priorityRing : nullptr;
}

EngineMsgProc CVMsgMan::Handler(int type) const {
  return type == 1 ? m_normalHandler.load() : type == 2 ? m_priorityHandler.load() : nullptr;
}

int CVMsgMan::PostMessage(int type, int message, int wParam, int lParam) {
  tagMsgRing* ring = GetRing(type);
  return ring ? PushMessage(ring, tagEngineMsg{message, wParam, lParam}) : 0;
}

int CVMsgMan::PushMessage(tagMsgRing* ring, const tagEngineMsg& msg) {
  if (!ring) {
    return 0;
  }
  {
    std::lock_guard<std::mutex> lock(ring->lock);
    for (int i = ring->readIndex; i != ring->writeIndex; i = Next(i)) {
      tagEngineMsg& queued = ring->slots[i];
      if (Supersedes(queued, msg)) {
        queued.lParam = msg.lParam;
        return 1;
      }
    }
    if (Next(ring->writeIndex) == ring->readIndex) {
      int victim = ring->readIndex;
      while (victim != ring->writeIndex && IsCompletion(ring->slots[victim])) {
        victim = Next(victim);
      }
      if (victim == ring->writeIndex) {
        return IsCompletion(msg) ? 0 : 1;
      }
      // Close the gap so that the order of the others is kept.
      for (int i = victim; Next(i) != ring->writeIndex; i = Next(i)) {
        ring->slots[i] = ring->slots[Next(i)];
      }
      ring->writeIndex = (ring->writeIndex + tagMsgRing::kSlots - 1) % tagMsgRing::kSlots;
    }
    ring->slots[ring->writeIndex] = msg;
    ring->writeIndex = Next(ring->writeIndex);
  }
  WakeHost();
  return 1;
}

int CVMsgMan::PopMessage(tagMsgRing* ring, tagEngineMsg& out) {
  if (!ring) {
    return 0;
  }
  std::lock_guard<std::mutex> lock(ring->lock);
  if (ring->readIndex == ring->writeIndex) {
    return 0;
  }
  out = ring->slots[ring->readIndex];
  ring->readIndex = Next(ring->readIndex);
  return 1;
}

int CVMsgMan::DispatchMessage() {
  for (int type : {2, 1}) {
    tagMsgRing* ring = GetRing(type);
    bool empty;
    {
      std::lock_guard<std::mutex> lock(ring->lock);
      empty = ring->readIndex == ring->writeIndex;
    }
    if (empty) {
      continue;
    }
    EngineMsgProc handler = Handler(type);
    tagEngineMsg msg;
    if (!handler || !PopMessage(ring, msg)) {
      return 0;
    }
    return handler(nullptr, msg.message, msg.wParam, msg.lParam);
  }
  return 0;
}

int CVMsgMan::SendMessage(int type, int message, int wParam, int lParam) {
  EngineMsgProc handler = Handler(type);
  return handler ? handler(nullptr, message, wParam, lParam) : 0;
}

int CVMsgMan::SetHandlers(EngineMsgProc normal, EngineMsgProc priority) {
  if (!m_timerThread.GetHandle()) {
    return 0;
  }
  m_normalHandler.store(normal);
  m_priorityHandler.store(priority);
  if (m_reset.load()) {
    for (tagMsgRing* ring : {&m_normalRing, &m_priorityRing}) {
      std::lock_guard<std::mutex> lock(ring->lock);
      ring->readIndex = ring->writeIndex = 0;
    }
    m_reset.store(0);
  }
  // Messages queued before the handlers came spent their announcement on a
  // dispatch that could not deliver them: announce each once more, or they
  // would wait for some later message.
  int waiting = 0;
  for (tagMsgRing* ring : {&m_normalRing, &m_priorityRing}) {
    std::lock_guard<std::mutex> lock(ring->lock);
    waiting += (ring->writeIndex - ring->readIndex + tagMsgRing::kSlots) % tagMsgRing::kSlots;
  }
  for (int i = 0; i < waiting; ++i) {
    WakeHost();
  }
  return 1;
}

int CVMsgMan::StartTimerThread() {
  {
    std::lock_guard<std::mutex> lock(m_runLock);
    m_run.store(1);
  }
  if (!m_timerThread.CreateThread(&CVMsgMan::TimerThreadProc, this)) {
    return 0;
  }
  NSClockAddFollower(&m_follower);
  return 1;
}

void CVMsgMan::StopTimerThread() {
  // Once the clock no longer hands it steps, the thread can go.
  NSClockRemoveFollower(&m_follower);
  {
    std::lock_guard<std::mutex> lock(m_runLock);
    m_run.store(0);
  }
  m_runChanged.notify_all();
  m_timerThread.Join();
}

int CVMsgMan::Reset() {
  m_reset.store(1);
  return 1;
}

void CVMsgMan::Walk(unsigned now) {
  if (!m_reset.load()) {
    ServeTimers(now);
  }
}

std::optional<NSClock::Ticks> CVMsgMan::NextWalk(NSClock::Ticks after) const {
  if (m_reset.load()) {
    return std::nullopt;
  }
  constexpr NSClock::Ticks kPerMs = NSClock::ticksPerSecond / 1000;
  constexpr NSClock::Ticks kPeriod = kTimerWalkMs * kPerMs;
  const NSClock::Ticks first = (after / kPeriod + 1) * kPeriod;
  std::lock_guard<std::mutex> lock(m_timerLock);
  std::optional<NSClock::Ticks> next;
  for (int i = 0; i < m_nTimers; ++i) {
    const TimerEntry& entry = m_pTimers[i];
    const unsigned elapsed = TickOf(first) - entry.lastTick;
    const unsigned left = elapsed >= entry.interval ? 0 : entry.interval - elapsed;
    // Each later step adds its 100 ms to the elapsed time.
    const NSClock::Ticks due = first + (static_cast<NSClock::Ticks>(left) * kPerMs + kPeriod - 1) / kPeriod * kPeriod;
    if (!next || due < *next) {
      next = due;
    }
  }
  return next;
}

void CVMsgMan::WalkAt(NSClock::Ticks at) {
  std::unique_lock<std::mutex> lock(m_runLock);
  if (!m_run.load()) {
    return;
  }
  m_stepAt = at;
  m_stepPending = true;
  m_runChanged.notify_all();
  m_stepDone.wait(lock, [this] { return !m_stepPending; });
}

void* CVMsgMan::TimerThreadProc(void* runtime) {
  auto* self = static_cast<CVMsgMan*>(runtime);
  if (!self) {
    return nullptr;
  }
  std::unique_lock<std::mutex> lock(self->m_runLock);
  while (self->m_run.load()) {
    if (self->m_stepPending) {
      // A step of the virtual clock: one walk at exactly its time.
      const unsigned now = TickOf(self->m_stepAt);
      lock.unlock();
      self->Walk(now);
      lock.lock();
      self->m_stepPending = false;
      self->m_stepDone.notify_all();
      continue;
    }
    if (!NSClock::isVirtual()) {
      // The real clock: a walk every 100 ms of it. A time read just as the
      // clock became virtual is not walked at; its steps take over.
      lock.unlock();
      const unsigned now = GetTickCount();
      if (!NSClock::isVirtual()) {
        self->Walk(now);
      }
      lock.lock();
    }
    // Under the virtual clock the thread only wakes for steps, and now and
    // then to see whether the clock has become real again.
    self->m_runChanged.wait_for(lock, std::chrono::milliseconds(kTimerWalkMs),
                                [self] { return !self->m_run.load() || self->m_stepPending; });
  }
  return nullptr;
}

int CVMsgMan::SetTimer(int id, unsigned interval) {
  std::lock_guard<std::mutex> lock(m_timerLock);
  unsigned now = GetTickCount();
  for (int i = 0; i < m_nTimers; ++i) {
    if (m_pTimers[i].id == id) {
      m_pTimers[i].lastTick = now;
      return id;
    }
  }
  int capacity = m_pTimers ? static_cast<int>(VArrayCount(m_pTimers)) : 0;
  if (m_nTimers == capacity) {
    TimerEntry* grown = VNew<TimerEntry>(static_cast<size_t>(m_nTimers) + 2);
    if (!grown) {
      return 0;
    }
    for (int i = 0; i < m_nTimers; ++i) {
      grown[i] = m_pTimers[i];
    }
    VDelete(m_pTimers);
    m_pTimers = grown;
  }
  m_pTimers[m_nTimers++] = TimerEntry{id, interval, now};
  return id;
}

int CVMsgMan::KillTimer(int id) {
  std::lock_guard<std::mutex> lock(m_timerLock);
  for (int i = 0; i < m_nTimers; ++i) {
    if (m_pTimers[i].id == id) {
      for (int k = i + 1; k < m_nTimers; ++k) {
        m_pTimers[k - 1] = m_pTimers[k];
      }
      --m_nTimers;
      return 1;
    }
  }
  return 0;
}

void CVMsgMan::ServeTimers(unsigned now) {
  for (int i = 0;; ++i) {
    int id;
    bool due;
    {
      std::lock_guard<std::mutex> lock(m_timerLock);
      if (i >= m_nTimers) {
        return;
      }
      TimerEntry& entry = m_pTimers[i];
      due = now - entry.lastTick >= entry.interval;
      if (due) {
        entry.lastTick = now;
      }
      id = entry.id;
    }
    EngineMsgProc handler = m_normalHandler.load();
    if (due && handler) {
      handler(nullptr, kMsgTimer, id, 0);
    }
  }
}

int CVMsgMan::GetTimerCount() const {
  std::lock_guard<std::mutex> lock(m_timerLock);
  return m_nTimers;
}

int CVMsgMan::GetTimerCapacity() const {
  std::lock_guard<std::mutex> lock(m_timerLock);
  return m_pTimers ? static_cast<int>(VArrayCount(m_pTimers)) : 0;
}

}  // namespace mapengine
