#include "playback/periodic_timer.h"

#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <cerrno>

#include <algorithm>
#include <map>
#include <thread>

namespace poronka {

TimerCaps TimeGetDevCaps() {
  TimerCaps caps;
  timespec res{};
  if (clock_getres(CLOCK_MONOTONIC, &res) == 0) {
    const int64_t ns = res.tv_sec * 1000000000LL + res.tv_nsec;
    caps.periodMin = std::max<int64_t>(1, (ns + 999999) / 1000000);
  }
  return caps;
}

int ComputeTimerMinPeriod(const TimerCaps& caps) { return std::max(caps.periodMin, 4); }

int64_t MonotonicNs() {
  timespec t{};
  clock_gettime(CLOCK_MONOTONIC, &t);
  return t.tv_sec * 1000000000LL + t.tv_nsec;
}

namespace {

timespec ToTimespec(int64_t ns) {
  timespec t;
  t.tv_sec = ns / 1000000000LL;
  t.tv_nsec = ns % 1000000000LL;
  return t;
}

void SleepUntil(int64_t ns) {
  timespec t = ToTimespec(ns);
  while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
  }
}

// Longest single sleep, so that a kill never waits for a long period.
constexpr int64_t kSliceNs = 20'000'000;

}  // namespace

// ---- ThreadTimer ------------------------------------------------------------------

struct ThreadTimer::Impl {
  struct Worker {
    std::atomic<bool> stop{false};
    int64_t periodNs = 0;
    Callback callback;
    std::function<void(int64_t, int64_t)> onWake;
    std::thread thread;
  };
  std::mutex mutex;
  std::map<int, std::shared_ptr<Worker>> workers;
  int nextId = 1;

  static void Run(std::shared_ptr<Worker> w) {
    sched_param param{};
    param.sched_priority = std::min(sched_get_priority_max(SCHED_FIFO), 40);
    pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);  // silently kept as is when refused
    int64_t next = MonotonicNs() + w->periodNs;
    while (!w->stop.load()) {
      const int64_t now = MonotonicNs();
      if (now < next) {
        SleepUntil(std::min(next, now + kSliceNs));
        continue;
      }
      if (w->onWake) w->onWake(next, now);
      w->callback();
      next += w->periodNs;
      // After a very long stall, start counting again from now instead of
      // firing a burst of late ticks.
      const int64_t after = MonotonicNs();
      if (after - next > 10 * w->periodNs) next = after + w->periodNs;
    }
  }

  void Kill(int id) {
    std::shared_ptr<Worker> w;
    {
      std::lock_guard<std::mutex> lock(mutex);
      auto it = workers.find(id);
      if (it == workers.end()) return;
      w = it->second;
      workers.erase(it);
    }
    w->stop = true;
    if (w->thread.get_id() == std::this_thread::get_id())
      w->thread.detach();  // killed from its own callback: it ends after the callback
    else if (w->thread.joinable())
      w->thread.join();
  }
};

ThreadTimer::ThreadTimer() : impl_(std::make_unique<Impl>()) {}

ThreadTimer::~ThreadTimer() {
  std::vector<int> ids;
  {
    std::lock_guard<std::mutex> lock(impl_->mutex);
    for (const auto& [id, w] : impl_->workers) ids.push_back(id);
  }
  for (int id : ids) impl_->Kill(id);
}

int ThreadTimer::SetEvent(int periodMs, int /*resolutionMs*/, Callback callback) {
  if (periodMs <= 0 || !callback) return 0;
  auto w = std::make_shared<Impl::Worker>();
  w->periodNs = static_cast<int64_t>(periodMs) * 1000000;
  w->callback = std::move(callback);
  w->onWake = onWake;
  std::lock_guard<std::mutex> lock(impl_->mutex);
  const int id = impl_->nextId++;
  impl_->workers[id] = w;
  w->thread = std::thread(&Impl::Run, w);
  return id;
}

void ThreadTimer::KillEvent(int id) { impl_->Kill(id); }

// ---- ManualTimer ------------------------------------------------------------------

int ManualTimer::SetEvent(int periodMs, int, Callback callback) {
  if (periodMs <= 0 || !callback) return 0;
  const int id = nextId_++;
  entries_.push_back({id, periodMs, std::move(callback), true});
  ++started_;
  return id;
}

void ManualTimer::KillEvent(int id) {
  for (auto& e : entries_) {
    if (e.id == id && e.alive) {
      e.alive = false;
      ++killed_;
    }
  }
}

int ManualTimer::Fire() {
  int ran = 0;
  const size_t n = entries_.size();
  for (size_t i = 0; i < n; ++i) {
    if (!entries_[i].alive) continue;
    Callback cb = entries_[i].callback;  // the callback may start timers
    cb();
    ++ran;
  }
  return ran;
}

bool ManualTimer::Running() const {
  return std::any_of(entries_.begin(), entries_.end(), [](const Entry& e) { return e.alive; });
}

int ManualTimer::PeriodMs() const {
  for (auto it = entries_.rbegin(); it != entries_.rend(); ++it)
    if (it->alive) return it->periodMs;
  return 0;
}

}  // namespace poronka
