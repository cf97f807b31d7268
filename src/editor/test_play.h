// Test play in the editor: plays the score from the row after the cursor,
// one row per timer period (HalfPeriod * 2 ms), wrapping from the last row
// to row 1, until the prompt box "試奏中" is closed with "中止".
//
// Threads: the timer calls Tick() on its own thread. The tick sends the
// row's note-ons from there and reports the row it played through the
// RowPlayed callback, which must hand the cursor move, the scrolling and
// the cursor label to the user-interface thread by a queued call. The score
// is only read while playing (the user-interface thread waits in the modal box).
// Stop() kills the timer, waits for a tick still running to end, and only
// then resets the output, so no note sounds after the reset.
//
// The editor window's testPlay():
//   MidiOutTestOutput output(devices.Out());
//   RunTestPlay(ctx, timer, output, TimerMinPeriod,
//               [this](int32_t a) { QMetaObject::invokeMethod(this, [this, a] {
//                   move the cursor to grid row a + 1, scroll so that
//                   TestPlayScrollTop(a) is the first visible row, set
//                   the cursor label to CursorText(...); }, Qt::QueuedConnection); });
//   with the grid's focused cell drawn as selected while it runs. The
//   prompt box in mode Test hides its OK button and captions Cancel "中止".
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "editor/editor_state.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"

namespace poronka::editor {

// Where test play sends its MIDI messages.
class TestPlayOutput {
 public:
  virtual ~TestPlayOutput() = default;
  virtual void ShortMsg(uint32_t message) = 0;  // status + data1 * 256 + data2 * 65536
  virtual void Reset() = 0;                      // silences every sounding note
};

// Test play through the one open MIDI output handle.
class MidiOutTestOutput : public TestPlayOutput {
 public:
  explicit MidiOutTestOutput(MidiOut& out) : out_(out) {}
  void ShortMsg(uint32_t message) override { out_.ShortMsg(message); }
  void Reset() override { out_.Reset(); }

 private:
  MidiOut& out_;
};

// The prompt box shown while test play runs.
PromptRequest TestPlayPrompt();

// The first visible grid row while score row a plays: 2 when a is at most
// 10, else a - 9.
int32_t TestPlayScrollTop(int32_t a);

class TestPlayer {
 public:
  // Called on the timer thread with the score row a tick plays.
  using RowPlayed = std::function<void(int32_t scoreRow)>;

  TestPlayer(const Score& score, PeriodicTimer& timer, TestPlayOutput& out, RowPlayed onRow);
  ~TestPlayer();
  TestPlayer(const TestPlayer&) = delete;
  TestPlayer& operator=(const TestPlayer&) = delete;

  // Sets the tick flag and starts the periodic timer (period HalfPeriod * 2,
  // resolution timerMinPeriod) with the cursor on `cursorGridRow`. False
  // when the timer could not be started.
  bool Start(int32_t cursorGridRow, int timerMinPeriod);
  // Kills the timer, waits for a running tick, resets the output. Must not
  // be called from the timer thread. Does nothing when not started.
  void Stop();
  // One tick: the row after the cursor (row 1 after the last) is played.
  void Tick();

  bool running() const { return timerId_ != 0; }
  int periodMs() const;
  // The grid row the cursor has reached.
  int32_t cursorGridRow() const { return gridRow_.load(); }

 private:
  const Score& score_;
  PeriodicTimer& timer_;
  TestPlayOutput& out_;
  RowPlayed onRow_;
  int timerId_ = 0;
  bool started_ = false;
  std::atomic<bool> tickFlag_{false};
  std::atomic<bool> stopped_{true};
  std::atomic<int> inTick_{0};
  std::atomic<int32_t> gridRow_{kFirstGridRow};
};

// Starts test play from the grid's current cell, shows the
// prompt box modally through the host and stops when it returns. The cursor
// ends on the last row played (also remembered). Nothing in the score
// changes and no snapshot is taken.
void RunTestPlay(EditorContext& ctx, PeriodicTimer& timer, TestPlayOutput& out, int timerMinPeriod,
                 TestPlayer::RowPlayed onRow);

}  // namespace poronka::editor
