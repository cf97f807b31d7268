// The playback timer thread's reports reaching the user-interface thread:
// one tick's worth (roll top, position, the current-row label and the comb)
// sent from a worker thread and delivered as queued signals, against the
// same reports emitted on the user-interface thread itself.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <atomic>
#include <thread>

#include "playback/ui/engine_events.h"

namespace {

using namespace poronka;

QCoreApplication& App() {
  static int argc = 1;
  static char name[] = "bench_engine_events";
  static char* argv[] = {name, nullptr};
  static QCoreApplication* app = new QCoreApplication(argc, argv);
  return *app;
}

Rgb24Image Comb() {
  Rgb24Image comb;
  comb.width = 330;
  comb.height = 70;
  comb.pixels.assign(static_cast<size_t>(comb.Stride()) * comb.height, 0x80);
  return comb;
}

void Tick(ui::EngineEvents& events, const Rgb24Image& comb, int i) {
  events.SetRollTop(i);
  events.SetPosition(i);
  events.SetLabel(PlayerLabel::Current, std::to_string(i));
  events.ShowComb(comb);
}

struct Received {
  std::atomic<int> count{0};
  void Connect(ui::EngineEvents& e) {
    QObject::connect(&e, &ui::EngineEvents::rollTopChanged, [this] { ++count; });
    QObject::connect(&e, &ui::EngineEvents::positionChanged, [this] { ++count; });
    QObject::connect(&e, &ui::EngineEvents::labelChanged, [this] { ++count; });
    QObject::connect(&e, &ui::EngineEvents::combChanged, [this] { ++count; });
  }
};

// The bare loop: the reports emitted and received on one thread.
void BM_TickOnOwnThread(benchmark::State& state) {
  App();
  ui::EngineEvents events;
  Received received;
  received.Connect(events);
  const Rgb24Image comb = Comb();
  int i = 0;
  for (auto _ : state) Tick(events, comb, ++i);
  state.SetItemsProcessed(state.iterations());
}

// Batches of ticks from a worker thread, drained by the event loop.
void BM_TickFromTimerThread(benchmark::State& state) {
  App();
  ui::EngineEvents events;
  Received received;
  received.Connect(events);
  const Rgb24Image comb = Comb();
  constexpr int kBatch = 64;
  for (auto _ : state) {
    received.count = 0;
    std::thread worker([&] {
      for (int i = 0; i < kBatch; ++i) Tick(events, comb, i);
    });
    worker.join();
    while (received.count < 4 * kBatch) QCoreApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * kBatch);
}

BENCHMARK(BM_TickOnOwnThread);
BENCHMARK(BM_TickFromTimerThread)->Unit(benchmark::kMicrosecond);

}  // namespace
