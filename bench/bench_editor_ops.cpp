// Row, resolution and pitch operations of the editor on a 100000-row score
// with 60 pitch columns, each including its undo snapshot.
// Goals: x 2 refused quickly at the row limit, / 2 under 50 ms, a bar
// inserted at row 1 under 20 ms, 50000 rows deleted under 50 ms, cleanup
// under 50 ms.
#include <benchmark/benchmark.h>

#include <random>

#include "editor/editor_ops.h"
#include "editor/pitch_ops.h"
#include "editor/row_ops.h"

namespace poronka::editor {
namespace {

class BenchHost : public EditorHost {
 public:
  std::string RunPrompt(const PromptRequest& r, const PromptOk&) override { return PromptCancelResult(r.mode, ""); }
};

class QuietMessages : public Messages {
 public:
  void ShowError(const std::string&) override {}
  void ShowInformation(const std::string&) override {}
  bool AskOkCancel(const std::string&) override { return true; }
};

// 100000 rows, 60 columns (notes 36..95); columns 1..50 hold notes, 51..60
// none, so that the cleanup has work to do.
const Score& BigScore() {
  static const Score score = [] {
    Score s;
    MakeNewSong(s);
    s.OctaveLine.clear();
    s.LetterLine.clear();
    for (int n = 36; n < 96; ++n) {
      std::string name = PitchName(n);
      s.OctaveLine += static_cast<char16_t>(name[0]);
      s.LetterLine += static_cast<char16_t>(name[1]);
    }
    DeriveColumnPitches(s);
    s.RowCount = kMaxRows;
    s.RowNotes.assign(static_cast<size_t>(kMaxRows) + 1, RowSlots{});
    std::mt19937 rng(7);
    for (int32_t r = 1; r <= s.RowCount; ++r) {
      std::vector<int32_t> cols;
      for (int32_t c = 1; c <= 50; ++c)
        if (rng() % 12 == 0) cols.push_back(c);
      s.RowNotes[static_cast<size_t>(r)] = RowFromColumns(cols);
    }
    s.MaxSlot = ComputeMaxSlot(s);
    s.BarAdjust.assign(static_cast<size_t>(EditorBarAdjustSize(s)), 0);
    return s;
  }();
  return score;
}

struct Editor {
  Score score;
  EditorState state;
  EditorSession session;
  QuietMessages messages;
  BenchHost host;
  EditorContext ctx{score, state, session, messages, host};
  // A fresh copy of the big score with its base snapshot.
  void Reset() {
    score = BigScore();
    state = EditorState{};
    ctx.Restore(SnapshotKind::Base);
  }
};

template <typename Op>
void RunOp(benchmark::State& st, Op op) {
  Editor e;
  for (auto _ : st) {
    st.PauseTiming();
    e.Reset();
    st.ResumeTiming();
    GridUpdate u = op(e);
    benchmark::DoNotOptimize(u);
  }
}

void BM_ResolutionTimesTwoRefused(benchmark::State& st) {
  RunOp(st, [](Editor& e) { return MultiplyResolution(e.ctx, 2); });
}
BENCHMARK(BM_ResolutionTimesTwoRefused)->Unit(benchmark::kMillisecond);

void BM_ResolutionDivideByTwo(benchmark::State& st) {
  RunOp(st, [](Editor& e) {
    e.state.MoveTo({1, 5000});
    return DivideResolution(e.ctx, 2);
  });
}
BENCHMARK(BM_ResolutionDivideByTwo)->Unit(benchmark::kMillisecond);

void BM_InsertBarAtRowOne(benchmark::State& st) {
  RunOp(st, [](Editor& e) {
    e.score.RowCount = kMaxRows - 4;
    e.score.RowNotes.resize(static_cast<size_t>(kMaxRows) - 3);
    e.state.MoveTo({1, 2});
    return InsertBar(e.ctx);
  });
}
BENCHMARK(BM_InsertBarAtRowOne)->Unit(benchmark::kMillisecond);

void BM_Delete50000Rows(benchmark::State& st) {
  RunOp(st, [](Editor& e) {
    e.state.current = {1, 1000};
    e.state.selection = {1, 1000, 1, 50999};
    return DeleteSelectedRows(e.ctx);
  });
}
BENCHMARK(BM_Delete50000Rows)->Unit(benchmark::kMillisecond);

void BM_Cleanup(benchmark::State& st) {
  RunOp(st, [](Editor& e) { return CleanupPitches(e.ctx); });
}
BENCHMARK(BM_Cleanup)->Unit(benchmark::kMillisecond);

void BM_AddLowPitches(benchmark::State& st) {
  RunOp(st, [](Editor& e) { return AddLowPitches(e.ctx); });
}
BENCHMARK(BM_AddLowPitches)->Unit(benchmark::kMillisecond);

void BM_DeletePitchColumns(benchmark::State& st) {
  RunOp(st, [](Editor& e) {
    e.state.current = {3, 2};
    e.state.selection = {3, 2, 5, 2};
    return DeleteSelectedPitches(e.ctx);
  });
}
BENCHMARK(BM_DeletePitchColumns)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace poronka::editor
