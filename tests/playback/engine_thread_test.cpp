// The engine on the real timer thread while the user-interface side pokes
// at it: position bar, fast forward, tempo, pause and stop. Built with the
// thread sanitizer this shows any unguarded shared state.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "playback/engine_fixture.h"

namespace poronka {
namespace {

using namespace std::chrono_literals;

// Counts what the timer thread sends; keeps nothing that the test thread
// would read while a tick writes.
class CountingDisplay : public NullPlayerDisplay {
 public:
  void ShowComb(const Rgb24Image& comb) override {
    combs += 1;
    lastWidth = comb.width;
  }
  void SetRollTop(int) override { tops += 1; }
  void SetPosition(int p) override { position = p; }
  std::atomic<int> combs{0}, tops{0}, position{0}, lastWidth{0};
};

TEST(EngineThreads, UserInterfaceAndTimerThreadTogether) {
  Score score;
  std::vector<std::vector<int32_t>> rows;
  for (int r = 0; r < 400; ++r) rows.push_back({1 + r % 3, 3});
  testing::MakeSong(score, rows, 4);
  SoundSettings settings;
  settings.StopDelayRows = 2;
  FakeMidiSystem system;
  system.ports.push_back({"Recorder"});
  EnvironmentSystemSettings registry;
  RecordingMessages msgs;
  MidiDevices devices(system, registry, msgs);
  devices.BuildDeviceMenu();
  devices.OpenDevice(0);
  ThreadTimer timer;
  CountingDisplay display;
  PlaybackEngine engine(score, settings, devices, timer, display, msgs);
  engine.PrepareSong(Preparation::Full);

  engine.Start();
  std::this_thread::sleep_for(60ms);
  for (int i = 0; i < 20; ++i) {
    engine.MoveToPosition(100 + 37 * i, i % 2 == 0);
    std::this_thread::sleep_for(3ms);
  }
  engine.MoveToPosition(500, false);  // released: ticks go on
  engine.FastForwardPressed();
  std::this_thread::sleep_for(30ms);
  engine.FastForwardReleased();
  engine.RewindPressed();
  std::this_thread::sleep_for(30ms);
  engine.RewindReleased();
  engine.SlowDown();
  engine.state.DisplayOn = false;
  std::this_thread::sleep_for(20ms);
  engine.state.DisplayOn = true;
  engine.TogglePause();
  const size_t atPause = system.log.Events().size();
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(system.log.Events().size(), atPause);  // nothing after the pause
  engine.TogglePause();
  std::this_thread::sleep_for(40ms);
  engine.Stop();
  const size_t atStop = system.log.Events().size();
  std::this_thread::sleep_for(30ms);
  EXPECT_EQ(system.log.Events().size(), atStop);
  EXPECT_GT(display.combs.load(), 10);
  EXPECT_GT(display.tops.load(), 10);
  int notes = 0;
  for (const auto& e : system.log.Sent())
    if (e.kind == MidiEvent::Message && (e.message & 0xF0) == 0x90 && (e.message >> 16) == 100) ++notes;
  EXPECT_GT(notes, 10);
}

}  // namespace
}  // namespace poronka
