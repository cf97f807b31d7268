// A thirty-minute song rendered to a WAV file (the render streams, so its
// peak memory stays that of a short song; it runs first so that the peak is
// its own), and the paper strip of a 100000-row song laid out and written as
// SVG.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <cstdio>
#include <random>

#include "interchange/strip_file.h"
#include "playback/audio_file.h"

namespace poronka {
namespace {

Score LongSong(int32_t rows, int32_t halfPeriod) {
  Score s;
  s.Title = "Bench";
  s.HalfPeriod = halfPeriod;
  s.RowsPerBar = 4;
  s.NoteValue = 8;
  s.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
  s.OctaveLine = u"444444444444555555555555666666666666";
  DeriveColumnPitches(s);
  s.RowCount = rows;
  s.RowNotes.assign(rows + 1, RowSlots{});
  std::mt19937 rng(7);
  for (int r = 1; r <= rows; ++r) {
    std::vector<int32_t> cols;
    for (int c = 1 + static_cast<int>(rng() % 6); c <= 36 && cols.size() < 3; c += 5 + static_cast<int>(rng() % 8))
      cols.push_back(c);
    s.RowNotes[r] = RowFromColumns(cols);
  }
  s.BarAdjust.assign(rows / 4 + 2, 0);
  return s;
}

MusicBox Box30() {
  MusicBox b;
  b.name = "30";
  b.pitches = {48, 50, 55, 57, 59, 60, 62, 64, 65, 66, 67, 68, 69, 70, 71,
               72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 86, 88};
  b.stripWidthMm = 70;
  b.trackPitchMm = 58.5 / 29;
  b.firstTrackMm = 5.5;
  b.holeDiameterMm = 2;
  b.minRepeatMm = 7.9;
  return b;
}

double PeakRssMb() {
  rusage u{};
  getrusage(RUSAGE_SELF, &u);
  return u.ru_maxrss / 1024.0;
}

void BM_RenderThirtyMinutesToWav(benchmark::State& state) {
  Score s = LongSong(30 * 60 * 1000 / 400, 200);
  RenderJob job;
  job.rows = s.RowCount;
  const std::string path = "/tmp/poronka-bench-render.wav";
  for (auto _ : state) {
    std::string error;
    if (RenderSongToFile(s, job, path, {}, error) != AudioFileResult::Ok) {
      state.SkipWithError(error.c_str());
      return;
    }
  }
  std::remove(path.c_str());
  state.counters["audio_s"] = RenderFrameCount(s, job.rows) / double(kRenderSampleRate);
  state.counters["peak_rss_mb"] = PeakRssMb();
}
BENCHMARK(BM_RenderThirtyMinutesToWav)->Iterations(1)->Unit(benchmark::kMillisecond);


void BM_StripSvg100kRows(benchmark::State& state) {
  const Score s = LongSong(kMaxRows, 100);
  const MusicBox box = Box30();
  for (auto _ : state) {
    StripDocument doc;
    std::string error;
    LayoutStrip(s, box, StripOptions{}, doc, error);
    const std::string svg = StripSvg(doc);
    state.counters["pages"] = static_cast<double>(doc.pages.size());
    state.counters["svg_mb"] = svg.size() / 1e6;
  }
}
BENCHMARK(BM_StripSvg100kRows)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace poronka
