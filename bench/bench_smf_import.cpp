// Speed of the MIDI import on a 1 MB format 1 file made here, and on any
// file named by the environment variable SMF_BENCH_FILE (used by
// smf_import_vs_mido.py for the side-by-side figure).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <random>
#include <string>

#include "../tests/interchange/smf_builder.h"
#include "core/file_io.h"
#include "interchange/smf_import.h"

namespace {

using poronka::testing::SmfFile;
using poronka::testing::TrackBuilder;

// Eight tracks of sixteenth-note melody and chords with note-offs under
// running status, about 1 MB in all.
std::string MegabyteFile() {
  std::mt19937 rng(7);
  std::vector<TrackBuilder> tracks;
  TrackBuilder conductor;
  conductor.Meta(0, 3, "benchmark").Tempo(0, 500000).TimeSignature(0, 4, 2).EndOfTrack(0);
  tracks.push_back(conductor);
  for (int t = 0; t < 8; ++t) {
    TrackBuilder tr;
    tr.Raw(0, {0xC0 + t, 10});
    while (tr.data().size() < 128 * 1024) {
      int chord = 1 + static_cast<int>(rng() % 3);
      int keys[3];
      for (int c = 0; c < chord; ++c) {
        keys[c] = 48 + static_cast<int>(rng() % 36);
        if (c == 0) tr.Raw(0, {0x90 + t, keys[c], 100});
        else tr.Raw(0, {keys[c], 100});  // running status
      }
      for (int c = 0; c < chord; ++c) tr.Raw(c == 0 ? 120 : 0, {keys[c], 0});  // velocity 0: released
    }
    tr.EndOfTrack(0);
    tracks.push_back(tr);
  }
  return SmfFile(1, 480, tracks);
}

void Import(benchmark::State& state, const std::string& bytes) {
  poronka::SoundSettings settings;
  poronka::SmfImportHooks hooks;
  for (auto _ : state) {
    poronka::Score s;
    s.FileName = "bench.mid";
    poronka::RecordingMessages msgs;
    auto r = poronka::ImportSmfBytes(s, bytes, settings, msgs, hooks);
    benchmark::DoNotOptimize(r);
    benchmark::DoNotOptimize(s.RowNotes.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * bytes.size());
}

void BM_ImportMegabyteFormat1(benchmark::State& state) {
  static const std::string bytes = MegabyteFile();
  state.counters["file_bytes"] = static_cast<double>(bytes.size());
  Import(state, bytes);
}
BENCHMARK(BM_ImportMegabyteFormat1)->Unit(benchmark::kMillisecond);

void BM_ImportFile(benchmark::State& state) {
  const char* path = std::getenv("SMF_BENCH_FILE");
  std::string bytes;
  if (!path || !poronka::ReadWholeFile(path, bytes)) {
    state.SkipWithError("SMF_BENCH_FILE not set or unreadable");
    return;
  }
  Import(state, bytes);
}
BENCHMARK(BM_ImportFile)->Unit(benchmark::kMillisecond);

}  // namespace
