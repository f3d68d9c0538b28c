// The engine's message runtime: two bounded rings of engine messages drained
// one message per DispatchMessage on the main thread (the priority ring
// first), and the engine timers walked every 100 ms of the process's clock on
// a thread of their own.
#pragma once

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <optional>

#include "engine/base/EngineMessages.h"
#include "engine/base/VThread.h"
#include "platform/foundation/NSClockFollower.h"

namespace mapengine {

struct tagEngineMsg {
  int message;
  int wParam;
  int lParam;
};

// Handler of a ring: (context, message, wParam, lParam) -> result.
using EngineMsgProc = int (*)(void* context, int message, int wParam, int lParam);

// Message ring: 50 slots, at most 49 messages.
struct tagMsgRing {
  static constexpr int kSlots = 50;
  tagEngineMsg slots[kSlots];
  int readIndex = 0;
  int writeIndex = 0;
  std::mutex lock;
};

class CVMsgMan {
public:
  // Interval of the timer walk.
  static constexpr int kTimerWalkMs = 100;

  CVMsgMan() = default;
  ~CVMsgMan();
  CVMsgMan(const CVMsgMan&) = delete;
  CVMsgMan& operator=(const CVMsgMan&) = delete;

  // Queues the message on the ring of type 1 (normal) or 2 (priority). 1, or
  // 0 for another type or when it could not be queued.
  int PostMessage(int type, int message, int wParam, int lParam);
  // Queues a message on a ring without ever blocking the poster, then wakes
  // the engine's host. A progress message (1002, 2002; 65289 with
  // wParam 2, the import's package) replaces the lParam of a queued one of
  // the same number and wParam instead of taking a slot; a city's progress
  // (65289 with wParam 0) is queued once per city. A full ring drops its
  // oldest message that is not a completion (1003 to 1007, 1120, 2000, 8010,
  // every offline command 8013 and the offline outcomes 65289 with wParam 3
  // to 6); when it holds only completions, a new non-completion is dropped
  // and a new completion is refused (0). 1 when queued, coalesced or dropped
  // by that rule.
  int PushMessage(tagMsgRing* ring, const tagEngineMsg& msg);
  // Takes the oldest message of a ring; 1, or 0 when it is empty.
  int PopMessage(tagMsgRing* ring, tagEngineMsg& out);
  // The ring of type 1 or 2; null for another type.
  tagMsgRing* GetRing(int type);
  // Delivers at most one message on the calling thread: the oldest of the
  // priority ring, else of the normal ring, to that ring's handler. The
  // handler's result; 0 when both rings are empty or the ring's handler is
  // not installed yet (the message then stays queued).
  int DispatchMessage();
  // Calls the handler of the type at once on the calling thread.
  int SendMessage(int type, int message, int wParam, int lParam);
  // Installs both handlers; clears both rings when a reset is pending, then
  // wakes the engine's host once for every message still queued
  // (queued before the handlers, they found none). 1, or 0 (nothing stored)
  // when the timer thread does not run.
  int SetHandlers(EngineMsgProc normal, EngineMsgProc priority);

  // Starts the timer thread; 1, or 0 when it runs already or cannot start.
  // On the real clock it walks the timers every 100 ms; under a virtual clock
  // it walks at each 100 ms step of it at which a timer is due, which
  // NSClock::advance hands it and waits for: advancing 10 s at once fires a
  // 1000 ms timer ten times, in order.
  int StartTimerThread();
  // Stops the timer thread and waits for it to end (unless called from it).
  void StopTimerThread();
  // Pauses the timers until the handlers are installed again. 1.
  int Reset();
  // Whether the engine is stopped: timers and the socket worker pause.
  bool IsReset() const { return m_reset.load() != 0; }

  // Adds a timer firing every interval ms (message 8 with wParam = id to the
  // normal handler, on the timer thread); an id already set restarts its
  // count. Returns the id, or 0 when memory ran out.
  int SetTimer(int id, unsigned interval);
  // 1 when the timer was set; it no longer fires.
  int KillTimer(int id);
  // One timer walk at the given tick: every timer whose interval has passed
  // since its last firing fires. Handlers run outside the table lock, so they
  // may set and kill timers.
  void ServeTimers(unsigned now);
  int GetTimerCount() const;
  int GetTimerCapacity() const;

private:
  struct TimerEntry {
    int id;
    unsigned interval;
    unsigned lastTick;
  };
  // The timer thread as a follower of the virtual clock.
  class WalkFollower final : public NSClockFollower {
  public:
    explicit WalkFollower(CVMsgMan& owner) : m_owner(owner) {}
    std::optional<NSClock::Ticks> nextStep(NSClock::Ticks after) override { return m_owner.NextWalk(after); }
    void step(NSClock::Ticks at) override { m_owner.WalkAt(at); }

  private:
    CVMsgMan& m_owner;
  };
  static void* TimerThreadProc(void* runtime);
  EngineMsgProc Handler(int type) const;
  // One walk, unless the timers are paused.
  void Walk(unsigned now);
  // The first 100 ms step of the clock after `after` at which a timer is due.
  std::optional<NSClock::Ticks> NextWalk(NSClock::Ticks after) const;
  // Has the timer thread walk at the step and waits until it has.
  void WalkAt(NSClock::Ticks at);

  std::atomic<EngineMsgProc> m_normalHandler{nullptr};
  std::atomic<EngineMsgProc> m_priorityHandler{nullptr};
  CVThread m_timerThread;
  tagMsgRing m_normalRing;
  tagMsgRing m_priorityRing;
  std::atomic<int> m_reset{0};
  std::atomic<int> m_run{1};
  std::mutex m_runLock;
  std::condition_variable m_runChanged;
  // A step of the virtual clock handed to the timer thread, under m_runLock.
  bool m_stepPending = false;
  NSClock::Ticks m_stepAt = 0;
  std::condition_variable m_stepDone;
  WalkFollower m_follower{*this};
  TimerEntry* m_pTimers = nullptr;
  int m_nTimers = 0;
  mutable std::mutex m_timerLock;
};

}  // namespace mapengine
