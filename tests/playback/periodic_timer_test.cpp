#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "playback/periodic_timer.h"

namespace poronka {
namespace {

using namespace std::chrono_literals;

TEST(TimerCaps, MinimumPeriodIsAtLeastFour) {
  EXPECT_GE(TimeGetDevCaps().periodMin, 1);
  EXPECT_EQ(ComputeTimerMinPeriod(TimeGetDevCaps()), 4);
  EXPECT_EQ(ComputeTimerMinPeriod(TimerCaps{10, 100}), 10);
}

TEST(ThreadTimer, TicksPeriodicallyAndNotAfterKill) {
  ThreadTimer timer;
  std::atomic<int> ticks{0};
  const int64_t start = MonotonicNs();
  int id = timer.SetEvent(5, 4, [&] { ++ticks; });
  ASSERT_GT(id, 0);
  while (ticks < 20 && MonotonicNs() - start < 5'000'000'000LL) std::this_thread::sleep_for(1ms);
  timer.KillEvent(id);
  const int atKill = ticks;
  EXPECT_GE(atKill, 20);
  // Twenty ticks of 5 ms take about 100 ms, never much less.
  EXPECT_GE(MonotonicNs() - start, 95'000'000LL);
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(ticks, atKill);
  timer.KillEvent(id);  // twice is harmless
}

TEST(ThreadTimer, DeadlinesDoNotDriftAfterALateTick) {
  ThreadTimer timer;
  std::vector<int64_t> deadlines;
  std::mutex m;
  timer.onWake = [&](int64_t deadline, int64_t) {
    std::lock_guard<std::mutex> lock(m);
    deadlines.push_back(deadline);
  };
  std::atomic<int> ticks{0};
  int id = timer.SetEvent(10, 4, [&] {
    if (++ticks == 2) std::this_thread::sleep_for(15ms);  // one late tick
  });
  while (ticks < 6) std::this_thread::sleep_for(1ms);
  timer.KillEvent(id);
  std::lock_guard<std::mutex> lock(m);
  for (size_t i = 1; i < deadlines.size(); ++i) EXPECT_EQ(deadlines[i] - deadlines[i - 1], 10'000'000);
}

TEST(ThreadTimer, KillFromInsideTheCallbackDoesNotDeadlock) {
  ThreadTimer timer;
  std::atomic<int> ticks{0};
  std::atomic<int> id{0};
  std::atomic<bool> killed{false};
  id = timer.SetEvent(4, 4, [&] {
    ++ticks;
    if (ticks == 3) {
      timer.KillEvent(id);
      killed = true;
    }
  });
  while (!killed) std::this_thread::sleep_for(1ms);
  std::this_thread::sleep_for(20ms);
  EXPECT_EQ(ticks, 3);
}

TEST(ThreadTimer, KillWaitsForARunningCallbackAndLongPeriodsStopQuickly) {
  ThreadTimer timer;
  std::atomic<bool> inside{false}, finished{false};
  int id = timer.SetEvent(5, 4, [&] {
    inside = true;
    std::this_thread::sleep_for(30ms);
    finished = true;
  });
  while (!inside) std::this_thread::sleep_for(1ms);
  timer.KillEvent(id);
  EXPECT_TRUE(finished);

  int slow = timer.SetEvent(60000, 4, [] {});
  const int64_t t0 = MonotonicNs();
  timer.KillEvent(slow);
  EXPECT_LT(MonotonicNs() - t0, 200'000'000LL);
}

TEST(ManualTimer, FiresOnlyRunningTimers) {
  ManualTimer timer;
  int a = 0, b = 0;
  int ida = timer.SetEvent(10, 4, [&] { ++a; });
  timer.SetEvent(20, 4, [&] { ++b; });
  EXPECT_EQ(timer.Fire(), 2);
  timer.KillEvent(ida);
  EXPECT_EQ(timer.Fire(), 1);
  EXPECT_EQ(a, 1);
  EXPECT_EQ(b, 2);
  EXPECT_EQ(timer.PeriodMs(), 20);
  EXPECT_EQ(timer.SetEvent(0, 4, [] {}), 0);
}

}  // namespace
}  // namespace poronka
