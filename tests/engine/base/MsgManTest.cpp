#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/base/VMsgMan.h"
#include "engine/base/VMutex.h"
#include "engine/base/VThread.h"
#include "platform/foundation/NSClock.h"
#include "platform/foundation/NSNotificationCenter.h"

namespace mapengine::test {

namespace {

// What the handlers saw, shared with the test thread.
struct Journal {
  std::mutex lock;
  std::condition_variable changed;
  std::vector<tagEngineMsg> normal;
  std::vector<tagEngineMsg> priority;
  std::vector<int> timerIds;
  // The tick each timer fired at, and whether one fired off the timer thread.
  std::vector<unsigned> timerTicks;
  std::thread::id testThread = std::this_thread::get_id();
  bool timerOnTestThread = false;
  CVMsgMan* runtime = nullptr;
  // A timer handler that kills its own timer and sets another.
  bool rearm = false;

  template <class Pred>
  bool WaitFor(Pred pred) {
    std::unique_lock<std::mutex> l(lock);
    return changed.wait_for(l, std::chrono::seconds(10), pred);
  }
};

Journal* g_journal = nullptr;

int NormalHandler(void*, int message, int wParam, int lParam) {
  bool rearm = false;
  {
    std::lock_guard<std::mutex> l(g_journal->lock);
    if (message == kMsgTimer) {
      g_journal->timerIds.push_back(wParam);
      g_journal->timerTicks.push_back(GetTickCount());
      g_journal->timerOnTestThread |= std::this_thread::get_id() == g_journal->testThread;
      rearm = g_journal->rearm && wParam == 1;
    } else {
      g_journal->normal.push_back({message, wParam, lParam});
    }
  }
  if (rearm) {
    g_journal->runtime->KillTimer(1);
    g_journal->runtime->SetTimer(2, 0);
  }
  g_journal->changed.notify_all();
  return 10;
}

int PriorityHandler(void*, int message, int wParam, int lParam) {
  {
    std::lock_guard<std::mutex> l(g_journal->lock);
    g_journal->priority.push_back({message, wParam, lParam});
  }
  g_journal->changed.notify_all();
  return 20;
}

class MsgManTest : public EngineTest {
protected:
  void SetUp() override {
    EngineTest::SetUp();
    g_journal = &journal;
    journal.runtime = &runtime;
  }
  void TearDown() override {
    runtime.StopTimerThread();
    g_journal = nullptr;
    EngineTest::TearDown();
  }
  // Handlers installed, timer thread stopped: timers are walked by the test.
  void InstallWithoutTimerThread() {
    ASSERT_EQ(runtime.StartTimerThread(), 1);
    ASSERT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 1);
    runtime.StopTimerThread();
  }
  std::vector<int> DrainNormal() {
    std::vector<int> params;
    while (runtime.DispatchMessage() != 0) {
    }
    for (const tagEngineMsg& m : journal.normal) params.push_back(m.wParam);
    return params;
  }

  Journal journal;
  CVMsgMan runtime;
};

}  // namespace

TEST_F(MsgManTest, HandlersNeedTheTimerThreadAndMessagesWaitForThem) {
  EXPECT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 0);
  EXPECT_EQ(runtime.PostMessage(1, 1003, 1, 2), 1);
  EXPECT_EQ(runtime.DispatchMessage(), 0);  // no handler yet: the message stays
  InstallWithoutTimerThread();
  EXPECT_EQ(runtime.DispatchMessage(), 10);
  ASSERT_EQ(journal.normal.size(), 1u);
  EXPECT_EQ(journal.normal[0].message, 1003);
  EXPECT_EQ(journal.normal[0].lParam, 2);
  EXPECT_EQ(runtime.DispatchMessage(), 0);
}

TEST_F(MsgManTest, EachQueuedMessageAnnouncesItselfOnce) {
  InstallWithoutTimerThread();
  int announced = 0;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      "NotificationEngineMessage", nullptr, [&](const std::shared_ptr<NSNotification>&) { ++announced; });
  EXPECT_EQ(runtime.PostMessage(1, 1003, 1, 0), 1);
  EXPECT_EQ(runtime.PostMessage(0, 9, 0, 0), 0);  // refused: nothing to announce
  NSNotificationCenter::defaultCenter()->removeObserver(token.get());
  EXPECT_EQ(announced, 1);
}

TEST_F(MsgManTest, MessagesQueuedBeforeTheHandlersAreAnnouncedAgain) {
  // The dispatcher's way: one dispatch per announcement.
  int dispatched = 0;
  auto token = NSNotificationCenter::defaultCenter()->addObserverForName(
      "NotificationEngineMessage", nullptr, [&](const std::shared_ptr<NSNotification>&) {
        if (runtime.DispatchMessage() != 0) ++dispatched;
      });
  EXPECT_EQ(runtime.PostMessage(1, 1003, 1, 0), 1);
  EXPECT_EQ(runtime.PostMessage(2, 9, 0, 0), 1);
  EXPECT_EQ(dispatched, 0);  // announced while nobody could take them
  InstallWithoutTimerThread();
  NSNotificationCenter::defaultCenter()->removeObserver(token.get());
  EXPECT_EQ(dispatched, 2);
  EXPECT_EQ(journal.normal.size(), 1u);
  EXPECT_EQ(journal.priority.size(), 1u);
}

TEST_F(MsgManTest, PriorityRingIsServedFirstOneMessagePerDispatch) {
  InstallWithoutTimerThread();
  EXPECT_EQ(runtime.PostMessage(1, 1003, 1, 0), 1);
  EXPECT_EQ(runtime.PostMessage(2, 9, 0, 0), 1);
  EXPECT_EQ(runtime.PostMessage(3, 9, 0, 0), 0);
  EXPECT_EQ(runtime.PostMessage(0, 9, 0, 0), 0);
  EXPECT_EQ(runtime.DispatchMessage(), 20);
  EXPECT_EQ(journal.priority.size(), 1u);
  EXPECT_TRUE(journal.normal.empty());
  EXPECT_EQ(runtime.DispatchMessage(), 10);
  EXPECT_EQ(journal.normal.size(), 1u);
  EXPECT_EQ(runtime.SendMessage(2, 9, 0, 0), 20);
  EXPECT_EQ(runtime.SendMessage(3, 9, 0, 0), 0);
  EXPECT_EQ(runtime.PushMessage(nullptr, tagEngineMsg{1, 2, 3}), 0);
}

TEST_F(MsgManTest, FullRingDropsTheOldestOrdinaryMessage) {
  InstallWithoutTimerThread();
  for (int i = 1; i <= 50; ++i) ASSERT_EQ(runtime.PostMessage(1, 9, i, 0), 1);
  std::vector<int> expected;
  for (int i = 2; i <= 50; ++i) expected.push_back(i);
  EXPECT_EQ(DrainNormal(), expected);
}

TEST_F(MsgManTest, CompletionMessagesAreNeverTheOnesDropped) {
  InstallWithoutTimerThread();
  ASSERT_EQ(runtime.PostMessage(1, 1003, 1, 0), 1);      // completion, oldest
  ASSERT_EQ(runtime.PostMessage(1, 9, 2, 0), 1);         // ordinary
  for (int i = 3; i <= 49; ++i) ASSERT_EQ(runtime.PostMessage(1, 1004, i, 0), 1);
  ASSERT_EQ(runtime.PostMessage(1, 1006, 50, 0), 1);     // full: the ordinary one goes
  ASSERT_EQ(runtime.PostMessage(1, 9, 51, 0), 1);        // only completions left: this one is dropped
  EXPECT_EQ(runtime.PostMessage(1, 1007, 52, 0), 0);     // and a completion is refused, not lost silently
  std::vector<int> expected{1};
  for (int i = 3; i <= 50; ++i) expected.push_back(i);
  EXPECT_EQ(DrainNormal(), expected);
}

TEST_F(MsgManTest, ProgressMessagesOfOneOwnerCoalesce) {
  InstallWithoutTimerThread();
  runtime.PostMessage(2, kMsgDownloadProgress, 0, 3);
  runtime.PostMessage(2, kMsgDownloadProgress, 1, 3);
  runtime.PostMessage(2, kMsgDownloadProgress, 0, 6);
  runtime.PostMessage(2, kMsgDownloadProgress, 0, 8);
  runtime.PostMessage(2, kMsgOfflineProgress, 2, 10);
  runtime.PostMessage(2, kMsgOfflineProgress, 2, 20);
  runtime.PostMessage(2, 9, 0, 0);
  runtime.PostMessage(2, 9, 0, 0);  // other messages are not merged
  while (runtime.DispatchMessage() != 0) {
  }
  ASSERT_EQ(journal.priority.size(), 5u);
  EXPECT_EQ(journal.priority[0].wParam, 0);
  EXPECT_EQ(journal.priority[0].lParam, 8);
  EXPECT_EQ(journal.priority[1].wParam, 1);
  EXPECT_EQ(journal.priority[1].lParam, 3);
  EXPECT_EQ(journal.priority[2].lParam, 20);
  EXPECT_EQ(journal.priority[3].message, 9);
  EXPECT_EQ(journal.priority[4].message, 9);
}

// Offline commands and outcomes count as completions: a ring full of city
// progress never loses a start, a removal or the end of an import; a city's
// progress is queued once per city, whatever its ratio.
TEST_F(MsgManTest, OfflineCommandsAndOutcomesSurviveAFullRing) {
  InstallWithoutTimerThread();
  ASSERT_EQ(runtime.PostMessage(2, kMsgOfflineProgress, 5, 0), 1);  // import ended
  ASSERT_EQ(runtime.PostMessage(2, kMsgOfflineProgress, 5, 0), 1);  // outcomes are never merged
  for (int city = 1; city <= 47; ++city) ASSERT_EQ(runtime.PostMessage(2, kMsgOfflineProgress, 0, city), 1);
  ASSERT_EQ(runtime.PostMessage(2, kMsgOfflineProgress, 0, 7), 1);  // city 7 is queued already
  ASSERT_EQ(runtime.PostMessage(2, kMsgOfflineProgress, 6, 1), 1);  // full: the progress of city 1 goes
  ASSERT_EQ(runtime.PostMessage(1, kMsgOfflineCommand, 3, 131), 1);
  for (int i = 0; i < 48; ++i) ASSERT_EQ(runtime.PostMessage(1, 1003, i, 0), 1);
  EXPECT_EQ(runtime.PostMessage(1, kMsgOfflineCommand, 1, 0), 0);  // refused, not lost silently
  while (runtime.DispatchMessage() != 0) {
  }
  ASSERT_EQ(journal.priority.size(), 49u);
  EXPECT_EQ(journal.priority[0].wParam, 5);
  EXPECT_EQ(journal.priority[1].wParam, 5);
  EXPECT_EQ(journal.priority[2].lParam, 2);
  EXPECT_EQ(journal.priority[48].wParam, 6);
  ASSERT_EQ(journal.normal.size(), 49u);
  EXPECT_EQ(journal.normal[0].message, kMsgOfflineCommand);
  EXPECT_EQ(journal.normal[0].lParam, 131);
}

TEST_F(MsgManTest, PostersOnManyThreadsLoseNothingWhileTheRingHasRoom) {
  InstallWithoutTimerThread();
  std::vector<std::thread> posters;
  for (int t = 0; t < 4; ++t) {
    posters.emplace_back([this, t] {
      for (int i = 0; i < 10; ++i) runtime.PostMessage(1, 1003, t, i);
    });
  }
  for (auto& th : posters) th.join();
  while (runtime.DispatchMessage() != 0) {
  }
  EXPECT_EQ(journal.normal.size(), 40u);
}

TEST_F(MsgManTest, ResettingClearsTheRingsWhenHandlersAreInstalledAgain) {
  ASSERT_EQ(runtime.StartTimerThread(), 1);
  ASSERT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 1);
  runtime.PostMessage(1, 1003, 1, 0);
  EXPECT_EQ(runtime.Reset(), 1);
  runtime.PostMessage(2, 9, 0, 0);
  EXPECT_EQ(runtime.DispatchMessage(), 20);  // still delivered while reset
  runtime.PostMessage(2, 9, 0, 0);
  ASSERT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 1);
  EXPECT_EQ(runtime.DispatchMessage(), 0);
}

TEST_F(MsgManTest, TimerTableGrowsByTwoAndShiftsOnKill) {
  EXPECT_EQ(runtime.GetTimerCapacity(), 0);
  EXPECT_EQ(runtime.SetTimer(1000, 1000), 1000);
  EXPECT_EQ(runtime.GetTimerCapacity(), 2);
  runtime.SetTimer(1004, 5000);
  runtime.SetTimer(1005, 100);
  EXPECT_EQ(runtime.GetTimerCapacity(), 4);
  EXPECT_EQ(runtime.GetTimerCount(), 3);
  EXPECT_EQ(runtime.SetTimer(1004, 5000), 1004);
  EXPECT_EQ(runtime.GetTimerCount(), 3);
  EXPECT_EQ(runtime.KillTimer(1000), 1);
  EXPECT_EQ(runtime.KillTimer(1000), 0);
  EXPECT_EQ(runtime.KillTimer(7), 0);
  EXPECT_EQ(runtime.GetTimerCount(), 2);
}

TEST_F(MsgManTest, TimerWalkFiresOnceTheIntervalHasPassed) {
  InstallWithoutTimerThread();
  unsigned before = GetTickCount();
  runtime.SetTimer(1000, 1000);
  unsigned after = GetTickCount();
  runtime.ServeTimers(before + 999);
  EXPECT_TRUE(journal.timerIds.empty());
  runtime.ServeTimers(after + 1000);
  ASSERT_EQ(journal.timerIds, std::vector<int>{1000});
  runtime.ServeTimers(after + 1999);
  EXPECT_EQ(journal.timerIds.size(), 1u);
  runtime.ServeTimers(after + 2000);
  EXPECT_EQ(journal.timerIds.size(), 2u);
  // Re-setting restarts the count.
  unsigned reset = GetTickCount();
  runtime.SetTimer(1000, 1000);
  runtime.ServeTimers(reset + 999);
  EXPECT_EQ(journal.timerIds.size(), 2u);
}

TEST_F(MsgManTest, TickWrapDoesNotDisturbTheComparison) {
  InstallWithoutTimerThread();
  runtime.SetTimer(6, 100);
  runtime.ServeTimers(0xFFFFFFC0u);  // fires; its last tick is now just below the wrap
  ASSERT_EQ(journal.timerIds.size(), 1u);
  runtime.ServeTimers(0x10u);        // 80 ms later, across the wrap
  EXPECT_EQ(journal.timerIds.size(), 1u);
  runtime.ServeTimers(0x24u);        // 100 ms later
  EXPECT_EQ(journal.timerIds.size(), 2u);
}

TEST_F(MsgManTest, TimerThreadFiresAndHandlersMaySetAndKillTimers) {
  journal.rearm = true;
  ASSERT_EQ(runtime.StartTimerThread(), 1);
  EXPECT_EQ(runtime.StartTimerThread(), 0);
  ASSERT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 1);
  runtime.SetTimer(1, 0);
  // Timer 1 fires, kills itself and sets timer 2, which then fires on later walks.
  ASSERT_TRUE(journal.WaitFor([&] {
    int twos = 0;
    for (int id : journal.timerIds) twos += id == 2;
    return twos >= 2;
  }));
  runtime.StopTimerThread();
  std::lock_guard<std::mutex> l(journal.lock);
  EXPECT_EQ(journal.timerIds.front(), 1);
  int ones = 0;
  for (int id : journal.timerIds) ones += id == 1;
  EXPECT_EQ(ones, 1);
  EXPECT_EQ(runtime.GetTimerCount(), 1);
}

// Under the virtual clock the timer thread walks at each 100 ms of it, and the
// walks are done by the time the clock's advance returns: a 1000 ms timer
// fires ten times in ten seconds, at the whole seconds, on the timer thread,
// however the ten seconds are advanced.
TEST_F(MsgManTest, TimersFireOnceForEachIntervalOfTheVirtualClockHoweverItIsAdvanced) {
  struct Case {
    const char* name;
    std::vector<double> advances;
  };
  const Case cases[] = {
      {"at once", {10.0}},
      {"in quarter seconds", std::vector<double>(40, 0.25)},
      {"unevenly", {0.05, 2.95, 0.001, 3.299, 3.7}},
  };
  NSClock::useVirtualClock(1000000000.0);
  ASSERT_EQ(runtime.StartTimerThread(), 1);
  ASSERT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 1);
  for (const Case& c : cases) {
    runtime.KillTimer(1000);
    const unsigned start = GetTickCount();
    runtime.SetTimer(1000, 1000);
    {
      std::lock_guard<std::mutex> l(journal.lock);
      journal.timerTicks.clear();
    }
    for (double seconds : c.advances) {
      NSClock::advance(seconds);
    }
    std::vector<unsigned> expected;
    for (unsigned k = 1; k <= 10; ++k) expected.push_back(start + 1000 * k);
    std::lock_guard<std::mutex> l(journal.lock);
    EXPECT_EQ(journal.timerTicks, expected) << c.name;
  }
  EXPECT_FALSE(journal.timerOnTestThread);
  runtime.StopTimerThread();
  NSClock::useRealClock();
}

TEST_F(MsgManTest, StoppingJoinsTheTimerThreadAndItCanStartAgain) {
  ASSERT_EQ(runtime.StartTimerThread(), 1);
  runtime.StopTimerThread();  // returns only after the thread ended
  ASSERT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 0);
  ASSERT_EQ(runtime.StartTimerThread(), 1);
  EXPECT_EQ(runtime.SetHandlers(NormalHandler, PriorityHandler), 1);
}

TEST(EngineMutex, TimeOutsAndWaiting) {
  CVMutex m;
  m.Create(0);
  ASSERT_EQ(m.Lock(0), 1);
  EXPECT_EQ(m.Lock(0), 0);  // not re-entrant
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(m.Lock(100), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(90));

  std::mutex l;
  std::condition_variable cv;
  bool waiting = false;
  std::atomic<int> taken{0};
  std::thread other([&] {
    {
      std::lock_guard<std::mutex> g(l);
      waiting = true;
    }
    cv.notify_all();
    taken = m.Lock(-1);
    m.Unlock();
  });
  {
    std::unique_lock<std::mutex> g(l);
    ASSERT_TRUE(cv.wait_for(g, std::chrono::seconds(10), [&] { return waiting; }));
  }
  EXPECT_EQ(taken.load(), 0);
  EXPECT_EQ(m.Unlock(), 1);
  other.join();
  EXPECT_EQ(taken.load(), 1);
  EXPECT_EQ(m.Lock(0), 1);
}

TEST(EngineMutex, TwoThreadsNeverHoldItTogether) {
  CVMutex m;
  int inside = 0, maxInside = 0, total = 0;
  auto work = [&] {
    for (int i = 0; i < 50; ++i) {
      m.Lock(-1);
      maxInside = std::max(maxInside, ++inside);
      ++total;
      --inside;
      m.Unlock();
    }
  };
  std::thread a(work), b(work);
  a.join();
  b.join();
  EXPECT_EQ(maxInside, 1);
  EXPECT_EQ(total, 100);
}

TEST_F(MsgManTest, ThreadHandlesStartOnceAndJoin) {
  CVThread thread;
  EXPECT_EQ(thread.GetHandle(), nullptr);
  EXPECT_EQ(thread.Close(), 0);
  static std::atomic<int> ran{0};
  ran = 0;
  auto entry = [](void* arg) -> void* {
    ran += *static_cast<int*>(arg);
    return nullptr;
  };
  int one = 1;
  ASSERT_EQ(thread.CreateThread(entry, &one), 1);
  EXPECT_NE(thread.GetHandle(), nullptr);
  EXPECT_EQ(thread.CreateThread(entry, &one), 0);
  EXPECT_EQ(thread.Join(), 1);
  EXPECT_EQ(ran.load(), 1);
  EXPECT_EQ(thread.GetHandle(), nullptr);
  ASSERT_EQ(thread.CreateThread(entry, &one), 1);
  EXPECT_EQ(thread.Join(), 1);
  EXPECT_EQ(ran.load(), 2);
}

}  // namespace mapengine::test
