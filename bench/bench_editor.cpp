// Editor logic on a 100000-row score: toggling, copy and paste of a 64 x 36
// block, undo and redo, and opening the editor.
#include <benchmark/benchmark.h>

#include "editor/editor_ops.h"

namespace {

using namespace poronka;
using namespace poronka::editor;

class NullHost : public EditorHost {
 public:
  std::string RunPrompt(const PromptRequest&, const PromptOk&) override { return ""; }
};

struct Big {
  Score score;
  EditorState state;
  EditorSession session;
  RecordingMessages messages;
  NullHost host;
  EditorContext ctx{score, state, session, messages, host};
  Big() {
    MakeNewSong(score);
    score.RowCount = 100000;
    score.RowNotes.assign(100001, RowSlots{});
    score.BarAdjust.assign(25002, 0);
    for (int r = 1; r <= 100000; ++r) score.RowNotes[r] = RowFromColumns({1 + r % 30, 33});
    score.MaxSlot = 1;
    ShowEditor(ctx, ShowSender::Window);
  }
};

void BM_Toggle(benchmark::State& st) {
  Big b;
  int32_t row = 2;
  for (auto _ : st) {
    b.state.MoveTo({5, row});
    b.state.toggleArmed = true;
    ToggleNote(b.ctx);
    row = row * 7 % 99991 + 2;
  }
}
BENCHMARK(BM_Toggle)->Unit(benchmark::kMillisecond);

void BM_CopyPaste64x36(benchmark::State& st) {
  Big b;
  for (auto _ : st) {
    b.state.current = {1, 1000};
    b.state.selection = {1, 1000, 36, 1063};
    CopySelection(b.ctx);
    b.state.MoveTo({1, 50000});
    Paste(b.ctx);
  }
}
BENCHMARK(BM_CopyPaste64x36)->Unit(benchmark::kMillisecond);

void BM_UndoRedo(benchmark::State& st) {
  Big b;
  for (int i = 0; i < 5; ++i) {
    b.state.MoveTo({7, 2 + i * 20000});
    b.state.toggleArmed = true;
    ToggleNote(b.ctx);
  }
  for (auto _ : st) {
    UndoStep(b.ctx);
    RedoStep(b.ctx);
  }
}
BENCHMARK(BM_UndoRedo)->Unit(benchmark::kMillisecond);

void BM_OpenEditor(benchmark::State& st) {
  Big b;
  for (auto _ : st) {
    ShowEditor(b.ctx, ShowSender::Open);
    benchmark::DoNotOptimize(RowLabels(b.score));
  }
}
BENCHMARK(BM_OpenEditor)->Unit(benchmark::kMillisecond);

}  // namespace
