// Offline render of a three-minute song through the playback engine and the
// built-in synthesizer (the `render` command's work). Goal: under 5 s.
// Also reports the real-time synthesizer's audio buffer latency (goal: 20 ms
// or less).
#include <benchmark/benchmark.h>

#include <random>

#include "cli/playback_commands.h"
#include "core/mbt.h"
#include "playback/builtin_synth.h"
#include "playback/engine.h"

namespace poronka {
namespace {

// 180 s: 480 rows of 375 ms, three octaves, chords of one to four notes.
Score ThreeMinuteSong() {
  Score s;
  s.Title = "Bench";
  s.HalfPeriod = 187;
  s.RowsPerBar = 4;
  s.NoteValue = 8;
  s.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
  s.OctaveLine = u"444444444444555555555555666666666666";
  DeriveColumnPitches(s);
  s.RowCount = 180000 / (2 * s.HalfPeriod) + 1;
  s.RowNotes.assign(s.RowCount + 1, RowSlots{});
  std::mt19937 rng(7);
  for (int r = 1; r <= s.RowCount; ++r) {
    std::vector<int32_t> cols;
    int n = std::uniform_int_distribution<int>(1, 4)(rng);
    for (int c = 1; c <= 36 && static_cast<int>(cols.size()) < n; c += std::uniform_int_distribution<int>(3, 12)(rng))
      cols.push_back(c);
    s.RowNotes[r] = RowFromColumns(cols);
  }
  s.BarAdjust.assign(s.RowCount / 4 + 2, 0);
  return s;
}

void BM_RenderThreeMinutes(benchmark::State& state) {
  for (auto _ : state) {
    Score s = ThreeMinuteSong();
    std::vector<int16_t> samples;
    int rate = 0;
    std::string error;
    if (!cli::RenderSong(s, SoundSettings{}, 0, s.RowCount, "", samples, rate, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    state.counters["audio_s"] = static_cast<double>(samples.size()) / 2 / rate;
  }
  state.counters["buffer_latency_ms"] = 1000.0 * BuiltInSynth::Options{}.periodSize *
                                        BuiltInSynth::Options{}.periods / BuiltInSynth::Options{}.sampleRate;
}
BENCHMARK(BM_RenderThreeMinutes)->Iterations(3)->Unit(benchmark::kMillisecond);

// The example song played on (it repeats) for three minutes. Run from the
// build folder, where the examples are copied.
void BM_RenderExampleThreeMinutes(benchmark::State& state) {
  Score s;
  s.FileName = "examples/sakura.mbt";
  RecordingMessages msgs;
  LoadHooks hooks;
  if (ReadMbt(s, msgs, hooks) != MbtLoad::Ok) {
    state.SkipWithError("examples/sakura.mbt not found (run from the build folder)");
    return;
  }
  const int rows = 180000 / (2 * s.HalfPeriod);
  for (auto _ : state) {
    std::vector<int16_t> samples;
    int rate = 0;
    std::string error;
    if (!cli::RenderSong(s, SoundSettings{}, 0, rows, "", samples, rate, error)) {
      state.SkipWithError(error.c_str());
      return;
    }
    state.counters["audio_s"] = static_cast<double>(samples.size()) / 2 / rate;
  }
}
BENCHMARK(BM_RenderExampleThreeMinutes)->Iterations(3)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace poronka

namespace poronka {
namespace {

// Full preparation (roll with every dot, comb, labels) of a 100000-row song
// with a chord on every row: the roll is drawn once per song.
void BM_PrepareSong100kRows(benchmark::State& state) {
  Score s;
  s.Title = "Long";
  s.HalfPeriod = 100;
  s.RowsPerBar = 4;
  s.NoteValue = 8;
  s.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
  s.OctaveLine = u"444444444444555555555555666666666666";
  DeriveColumnPitches(s);
  s.RowCount = kMaxRows;
  s.RowNotes.assign(s.RowCount + 1, RowSlots{});
  for (int r = 1; r <= s.RowCount; ++r) s.RowNotes[r] = RowFromColumns({1 + r % 12, 13 + r % 12, 25 + r % 12});
  SoundSettings settings;
  FakeMidiSystem system;
  EnvironmentSystemSettings registry;
  RecordingMessages msgs;
  MidiDevices devices(system, registry, msgs);
  ManualTimer timer;
  NullPlayerDisplay display;
  PlaybackEngine engine(s, settings, devices, timer, display, msgs);
  for (auto _ : state) engine.PrepareSong(Preparation::Full);
  state.counters["roll_px"] = engine.Roll().height;
}
BENCHMARK(BM_PrepareSong100kRows)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace poronka
