#include "editor/test_play.h"

#include <thread>

namespace poronka::editor {

PromptRequest TestPlayPrompt() {
  PromptRequest req;
  req.mode = PromptMode::Test;
  req.caption = "試奏中";
  req.text = "試奏中です。\r中止するときは「中止」ボタンを押してください。";
  return req;
}

int32_t TestPlayScrollTop(int32_t a) { return a <= 10 ? kFirstGridRow : a - 9; }

TestPlayer::TestPlayer(const Score& score, PeriodicTimer& timer, TestPlayOutput& out, RowPlayed onRow)
    : score_(score), timer_(timer), out_(out), onRow_(std::move(onRow)) {}

TestPlayer::~TestPlayer() { Stop(); }

int TestPlayer::periodMs() const {
  const int64_t period = static_cast<int64_t>(score_.HalfPeriod) * 2;
  return period < 1 ? 1 : (period > 0x7fffffff ? 0x7fffffff : static_cast<int>(period));
}

bool TestPlayer::Start(int32_t cursorGridRow, int timerMinPeriod) {
  Stop();
  gridRow_.store(cursorGridRow);
  tickFlag_.store(true);
  stopped_.store(false);
  started_ = true;
  timerId_ = timer_.SetEvent(periodMs(), timerMinPeriod, [this] { Tick(); });
  return timerId_ != 0;
}

void TestPlayer::Stop() {
  if (!started_) return;
  started_ = false;
  stopped_.store(true);
  if (timerId_ != 0) timer_.KillEvent(timerId_);
  timerId_ = 0;
  // A tick that saw the player running may still be sending; the reset
  // comes after it.
  while (inTick_.load() != 0) std::this_thread::yield();
  out_.Reset();
}

void TestPlayer::Tick() {
  inTick_.fetch_add(1);
  struct Leave {
    std::atomic<int>& n;
    ~Leave() { n.fetch_sub(1); }
  } leave{inTick_};
  if (stopped_.load()) return;
  bool expected = true;
  if (!tickFlag_.compare_exchange_strong(expected, false)) return;

  int32_t a = gridRow_.load();  // the score row after the cursor's row
  if (a > score_.RowCount || a < 1) a = 1;
  gridRow_.store(a + 1);
  if (onRow_) onRow_(a);

  if (a < static_cast<int32_t>(score_.RowNotes.size())) {
    const RowSlots& row = score_.RowNotes[static_cast<size_t>(a)];
    for (int k = 0; k < kSlotsPerRow; k = NextSlot(k)) {
      const int32_t col = row[static_cast<size_t>(k)];
      if (col == 0 || stopped_.load()) break;
      if (col < 1 || col >= static_cast<int32_t>(score_.ColumnPitch.size())) continue;
      const int32_t key = score_.ColumnPitch[static_cast<size_t>(col)];
      if (key < 0 || key > 127) continue;
      out_.ShortMsg(static_cast<uint32_t>(0x90 + k) | (static_cast<uint32_t>(key) << 8) | (100u << 16));
    }
  }
  tickFlag_.store(true);
}

void RunTestPlay(EditorContext& ctx, PeriodicTimer& timer, TestPlayOutput& out, int timerMinPeriod,
                 TestPlayer::RowPlayed onRow) {
  TestPlayer player(ctx.score, timer, out, std::move(onRow));
  player.Start(ctx.state.current.row, timerMinPeriod);
  ctx.host.RunPrompt(TestPlayPrompt(), [](const std::string&, std::string&) { return true; });
  player.Stop();
  const int32_t row = player.cursorGridRow();
  if (row != ctx.state.current.row) {
    ctx.state.MoveTo({ctx.state.current.col, row});
    ctx.state.RememberCurrent();
  }
}

}  // namespace poronka::editor
