// Export of a 100000-row score with 60 pitch columns and about four notes
// a row (a few rows of twelve, so MFi writes its Ver2 with three tracks).
#include <benchmark/benchmark.h>

#include <random>

#include "interchange/mfi_export.h"
#include "interchange/smf_export.h"

namespace poronka {
namespace {

Score BigScore() {
  Score s;
  s.Title = "Benchmark\r\nsecond line";
  s.HalfPeriod = 125;
  s.NoteValue = 8;
  s.RowsPerBar = 8;
  s.ColumnCount = 60;
  s.ColumnPitch.assign(1, 0);
  for (int c = 0; c < 60; ++c) s.ColumnPitch.push_back(36 + c);
  s.RowCount = 100000;
  s.RowNotes.assign(1, RowSlots{});
  std::mt19937 rng(7);
  for (int r = 1; r <= s.RowCount; ++r) {
    int n = r % 1000 == 0 ? 12 : static_cast<int>(rng() % 8);
    std::vector<int32_t> cols;
    for (int c = 1; c <= 60 && static_cast<int>(cols.size()) < n; c += 1 + static_cast<int>(rng() % 9))
      cols.push_back(c);
    s.RowNotes.push_back(RowFromColumns(cols));
  }
  s.MaxSlot = ComputeMaxSlot(s);
  return s;
}

void BM_BuildSmf(benchmark::State& state) {
  static const Score s = BigScore();
  SoundSettings settings;
  settings.StopDelayRows = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BuildSmf(s, settings));
  state.SetLabel("stop delay " + std::to_string(state.range(0)));
}
BENCHMARK(BM_BuildSmf)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

void BM_BuildMfi(benchmark::State& state) {
  static const Score s = BigScore();
  SoundSettings settings;
  settings.StopDelayRows = static_cast<int>(state.range(0));
  for (auto _ : state) benchmark::DoNotOptimize(BuildMfi(s, settings, "20260101"));
  state.SetLabel("stop delay " + std::to_string(state.range(0)));
}
BENCHMARK(BM_BuildMfi)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace poronka
