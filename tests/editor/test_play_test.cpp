#include "editor/test_play.h"

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <thread>

#include "editor/editor_ops.h"
#include "editor/editor_test_support.h"

namespace poronka::editor {
namespace {

using testing::EditorFixture;

constexpr uint32_t NoteOn(int ch, int key) { return ShortMessage(0x90 + ch, key, 100); }

// Records what test play sends; notes after the reset are counted apart.
class RecordingOutput : public TestPlayOutput {
 public:
  void ShortMsg(uint32_t m) override {
    std::lock_guard<std::mutex> lock(mutex_);
    if (resets > 0) ++afterReset;
    sent.push_back(m);
  }
  void Reset() override {
    std::lock_guard<std::mutex> lock(mutex_);
    ++resets;
  }
  std::vector<uint32_t> sent;
  int resets = 0;
  int afterReset = 0;

 private:
  std::mutex mutex_;
};

// A timer fired by hand that records how it was started.
class HandTimer : public PeriodicTimer {
 public:
  int SetEvent(int periodMs, int resolutionMs, Callback cb) override {
    period = periodMs;
    resolution = resolutionMs;
    callback = std::move(cb);
    ++started;
    return 7;
  }
  void KillEvent(int id) override {
    if (id == 7) callback = nullptr;
    ++killed;
  }
  void Fire() {
    if (callback) callback();
  }
  Callback callback;
  int period = 0, resolution = 0, started = 0, killed = 0;
};

struct TestPlay : ::testing::Test, EditorFixture {
  TestPlay() { OpenNew(); }
  HandTimer timer;
  RecordingOutput out;
  std::vector<int32_t> rows;  // rows reported to the user-interface side
  TestPlayer::RowPlayed Report() {
    return [this](int32_t a) { rows.push_back(a); };
  }
};

TEST_F(TestPlay, TimerPeriodIsTheRowDurationAtTheMinimumResolution) {
  TestPlayer p(score, timer, out, Report());
  ASSERT_TRUE(p.Start(2, 4));
  EXPECT_EQ(timer.period, 750);
  EXPECT_EQ(timer.resolution, 4);
  p.Stop();
  EXPECT_EQ(timer.killed, 1);
  EXPECT_EQ(out.resets, 1);
}

TEST_F(TestPlay, FromTheLastRowTheFirstTickPlaysRowOne) {
  score.RowNotes[1] = RowFromColumns({1});
  TestPlayer p(score, timer, out, Report());
  p.Start(GridRowOf(300), 4);
  timer.Fire();
  EXPECT_EQ(rows, std::vector<int32_t>{1});
  EXPECT_EQ(p.cursorGridRow(), 2);
  EXPECT_EQ(out.sent, std::vector<uint32_t>{NoteOn(0, 48)});
  // From the spare row as well.
  p.Start(GridRowOf(301), 4);
  timer.Fire();
  EXPECT_EQ(rows.back(), 1);
  // The last row itself sounds before the wrap.
  score.RowNotes[300] = RowFromColumns({2});
  out.sent.clear();
  p.Start(GridRowOf(299), 4);
  timer.Fire();
  timer.Fire();
  EXPECT_EQ(rows.back(), 1);
  EXPECT_EQ(out.sent, (std::vector<uint32_t>{NoteOn(0, 49), NoteOn(0, 48)}));
}

TEST_F(TestPlay, FromRowFiveTheFirstTickPlaysRowSix) {
  score.RowNotes[6] = RowFromColumns({1, 5, 13});
  TestPlayer p(score, timer, out, Report());
  p.Start(GridRowOf(5), 4);
  timer.Fire();
  EXPECT_EQ(rows, std::vector<int32_t>{6});
  EXPECT_EQ(p.cursorGridRow(), 7);
  EXPECT_EQ(out.sent, (std::vector<uint32_t>{NoteOn(0, 48), NoteOn(1, 52), NoteOn(2, 60)}));
  timer.Fire();
  timer.Fire();
  EXPECT_EQ(rows, (std::vector<int32_t>{6, 7, 8}));
  EXPECT_EQ(out.sent.size(), 3u);
}

TEST_F(TestPlay, ATenNoteRowSkipsChannelNine) {
  score.RowNotes[1] = RowFromColumns({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  TestPlayer p(score, timer, out, Report());
  p.Start(GridRowOf(0), 4);
  timer.Fire();
  ASSERT_EQ(out.sent.size(), 10u);
  EXPECT_EQ(out.sent[8], NoteOn(8, 56));
  EXPECT_EQ(out.sent[9], NoteOn(10, 57));
}

TEST_F(TestPlay, AnOverlappingTickDoesNothing) {
  TestPlayer* player = nullptr;
  TestPlayer p(score, timer, out, [&](int32_t a) {
    rows.push_back(a);
    if (rows.size() == 1) player->Tick();  // fires while the first still works
  });
  player = &p;
  p.Start(GridRowOf(1), 4);
  timer.Fire();
  EXPECT_EQ(rows, std::vector<int32_t>{2});
  timer.Fire();
  EXPECT_EQ(rows, (std::vector<int32_t>{2, 3}));
}

TEST_F(TestPlay, NothingSoundsAfterStop) {
  score.RowNotes[2] = RowFromColumns({1});
  TestPlayer p(score, timer, out, Report());
  p.Start(GridRowOf(1), 4);
  HandTimer::Callback kept = timer.callback;
  p.Stop();
  kept();  // a tick that comes in late
  EXPECT_TRUE(rows.empty());
  EXPECT_TRUE(out.sent.empty());
  EXPECT_EQ(out.resets, 1);
}

TEST_F(TestPlay, ScrollingFollowsThePlayingRow) {
  EXPECT_EQ(TestPlayScrollTop(1), 2);
  EXPECT_EQ(TestPlayScrollTop(10), 2);
  EXPECT_EQ(TestPlayScrollTop(11), 2);
  EXPECT_EQ(TestPlayScrollTop(12), 3);
}

// A host whose modal box lets the timer fire a few times before "中止".
class PlayingHost : public testing::FakeHost {
 public:
  std::string RunPrompt(const PromptRequest& request, const PromptOk& onOk) override {
    requests.push_back(request);
    for (int i = 0; i < ticks; ++i) timer->Fire();
    (void)onOk;
    return PromptCancelResult(request.mode, "");
  }
  HandTimer* timer = nullptr;
  int ticks = 0;
};

TEST_F(TestPlay, RunShowsTheStopBoxAndResetsWhenItCloses) {
  PlayingHost playing;
  playing.timer = &timer;
  playing.ticks = 3;
  EditorContext c{score, state, session, messages, playing};
  score.RowNotes[5] = RowFromColumns({2});
  state.MoveTo({4, GridRowOf(3)});
  RunTestPlay(c, timer, out, 4, Report());
  ASSERT_EQ(playing.requests.size(), 1u);
  EXPECT_EQ(playing.requests[0].mode, PromptMode::Test);
  EXPECT_EQ(playing.requests[0].caption, "試奏中");
  EXPECT_EQ(playing.requests[0].text, "試奏中です。\r中止するときは「中止」ボタンを押してください。");
  EXPECT_EQ(rows, (std::vector<int32_t>{4, 5, 6}));
  EXPECT_EQ(out.sent, std::vector<uint32_t>{NoteOn(0, 49)});
  EXPECT_EQ(out.resets, 1);
  EXPECT_EQ(timer.killed, 1);
  EXPECT_EQ(state.current, (GridCell{4, GridRowOf(6)}));
  EXPECT_FALSE(score.Modified);
  EXPECT_FALSE(state.undo.undoEnabled());
}

// The real timer thread: stopping in the middle of playing leaves no note
// after the reset.
TEST_F(TestPlay, StoppingTheRealTimerSilencesAtOnce) {
  score.HalfPeriod = 1;  // a row every 2 ms
  for (int r = 1; r <= 300; ++r) score.RowNotes[r] = RowFromColumns({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  for (int round = 0; round < 5; ++round) {
    ThreadTimer real;
    RecordingOutput o;
    TestPlayer p(score, real, o, nullptr);
    ASSERT_TRUE(p.Start(2, 1));
    std::this_thread::sleep_for(std::chrono::milliseconds(15));
    p.Stop();
    const size_t sent = o.sent.size();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_GT(sent, 0u);
    EXPECT_EQ(o.sent.size(), sent);
    EXPECT_EQ(o.afterReset, 0);
    EXPECT_EQ(o.resets, 1);
  }
}

}  // namespace
}  // namespace poronka::editor
