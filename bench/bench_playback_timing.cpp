// Lateness of the playback timer's ticks against their ideal deadlines: the
// engine plays a song of 5 ms half rows (each tick doing its real work into a
// recording device) for 20 s while the other core is kept busy, measured side
// by side in the same run with a bare clock_nanosleep loop on its own thread.
// Goals: median under 0.2 ms; median and 99th percentile within 1.5 times
// the bare loop's.
// PORONKA_TIMING_SECONDS shortens the run (default 20).
#include <benchmark/benchmark.h>
#include <pthread.h>
#include <sched.h>
#include <time.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <mutex>
#include <thread>
#include <vector>

#include "playback/engine.h"
#include "playback/periodic_timer.h"

namespace poronka {
namespace {

double Percentile(std::vector<int64_t> v, double p) {
  if (v.empty()) return 0;
  std::sort(v.begin(), v.end());
  size_t i = static_cast<size_t>(p * (v.size() - 1));
  return v[i] / 1e6;  // ms
}

void BM_TimerLateness(benchmark::State& state) {
  const char* env = std::getenv("PORONKA_TIMING_SECONDS");
  const int seconds = env ? std::max(1, std::atoi(env)) : 20;
  const int64_t periodNs = 5'000'000;
  const int ticks = seconds * 200;
  for (auto _ : state) {
    std::atomic<bool> stopBusy{false};
    // Keeps the other core busy.
    std::thread busy([&] {
      volatile uint64_t x = 0;
      while (!stopBusy.load(std::memory_order_relaxed)) x = x + 1;
    });

    // The bare loop: absolute deadlines on a thread of its own.
    std::vector<int64_t> bare;
    bare.reserve(ticks);
    std::thread bareThread([&] {
      sched_param param{};
      param.sched_priority = std::min(sched_get_priority_max(SCHED_FIFO), 40);
      pthread_setschedparam(pthread_self(), SCHED_FIFO, &param);
      int64_t next = MonotonicNs() + periodNs;
      for (int i = 0; i < ticks; ++i) {
        timespec t{static_cast<time_t>(next / 1000000000LL), static_cast<long>(next % 1000000000LL)};
        while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &t, nullptr) == EINTR) {
        }
        bare.push_back(MonotonicNs() - next);
        next += periodNs;
      }
    });

    // The playback engine at the same time.
    std::vector<int64_t> timer;
    timer.reserve(ticks + 16);
    std::mutex m;
    std::atomic<int> count{0};
    ThreadTimer t;
    t.onWake = [&](int64_t deadline, int64_t woke) {
      std::lock_guard<std::mutex> lock(m);
      if (static_cast<int>(timer.size()) < ticks) timer.push_back(woke - deadline);
      ++count;
    };
    Score score;
    score.HalfPeriod = 5;
    score.NoteValue = 4;
    score.RowsPerBar = 4;
    score.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
    score.OctaveLine = u"444444444444555555555555666666666666";
    DeriveColumnPitches(score);
    score.RowCount = 2000;
    score.RowNotes.assign(score.RowCount + 1, RowSlots{});
    for (int r = 1; r <= score.RowCount; ++r) score.RowNotes[r] = RowFromColumns({1 + r % 12, 13 + r % 12, 30});
    SoundSettings settings;
    settings.StopDelayRows = 3;
    FakeMidiSystem system;
    system.ports.push_back({"bench"});
    EnvironmentSystemSettings registry;
    RecordingMessages msgs;
    MidiDevices devices(system, registry, msgs);
    devices.BuildDeviceMenu();
    devices.OpenDevice(0);
    NullPlayerDisplay display;
    PlaybackEngine engine(score, settings, devices, t, display, msgs);
    engine.PrepareSong(Preparation::Full);
    engine.Start();
    bareThread.join();
    while (count < ticks) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    engine.Stop();
    stopBusy = true;
    busy.join();
    state.counters["midi_messages"] = static_cast<double>(system.log.Sent().size());

    std::lock_guard<std::mutex> lock(m);
    state.counters["timer_median_ms"] = Percentile(timer, 0.5);
    state.counters["timer_p99_ms"] = Percentile(timer, 0.99);
    state.counters["timer_max_ms"] = Percentile(timer, 1.0);
    state.counters["bare_median_ms"] = Percentile(bare, 0.5);
    state.counters["bare_p99_ms"] = Percentile(bare, 0.99);
    state.counters["bare_max_ms"] = Percentile(bare, 1.0);
    state.counters["ticks"] = static_cast<double>(timer.size());
  }
}
BENCHMARK(BM_TimerLateness)->Iterations(1)->Unit(benchmark::kSecond);

}  // namespace
}  // namespace poronka
