// Periodic timers with a callback on their own thread, and a manual timer
// that tests and the offline commands fire by hand.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace poronka {

struct TimerCaps {
  int periodMin = 1;  // ms
  int periodMax = 1000000;
};
// The capabilities of the system timer (1 ms minimum here).
TimerCaps TimeGetDevCaps();
// The larger of the system timer's minimum period and 4.
int ComputeTimerMinPeriod(const TimerCaps& caps);

class PeriodicTimer {
 public:
  using Callback = std::function<void()>;
  virtual ~PeriodicTimer() = default;
  // Starts a periodic timer: the callback runs every `periodMs` ms, first
  // `periodMs` after the call. Returns the timer's identifier (> 0), or 0 on
  // failure.
  virtual int SetEvent(int periodMs, int resolutionMs, Callback callback) = 0;
  // Stops the timer. When it returns no callback of that timer runs any
  // more, except that a call from inside the timer's own callback lets that
  // callback finish. Unknown identifiers are ignored.
  virtual void KillEvent(int id) = 0;
};

// The real timer: one thread per running timer sleeping to absolute
// deadlines (clock_nanosleep, TIMER_ABSTIME) on CLOCK_MONOTONIC, raised to
// SCHED_FIFO where the system allows it. A late tick does not shift the
// later deadlines.
class ThreadTimer : public PeriodicTimer {
 public:
  ThreadTimer();
  ~ThreadTimer() override;  // kills every timer still running
  int SetEvent(int periodMs, int resolutionMs, Callback callback) override;
  void KillEvent(int id) override;

  // Observer for measurements: called on the timer thread before each
  // callback with the ideal deadline and the actual wake-up (ns, monotonic).
  std::function<void(int64_t deadlineNs, int64_t wokeNs)> onWake;

  struct Impl;

 private:
  std::unique_ptr<Impl> impl_;
};

// A timer that runs only when told: Fire() runs the callbacks of every
// running timer on the calling thread, in order of creation.
class ManualTimer : public PeriodicTimer {
 public:
  int SetEvent(int periodMs, int resolutionMs, Callback callback) override;
  void KillEvent(int id) override;
  // Runs each running timer's callback once; returns how many ran.
  int Fire();
  bool Running() const;
  // Period of the most recently started timer that is still running, or 0.
  int PeriodMs() const;
  int started() const { return started_; }
  int killed() const { return killed_; }

 private:
  struct Entry {
    int id;
    int periodMs;
    Callback callback;
    bool alive;
  };
  std::vector<Entry> entries_;
  int nextId_ = 1;
  int started_ = 0;
  int killed_ = 0;
};

// Monotonic clock in nanoseconds.
int64_t MonotonicNs();

}  // namespace poronka
