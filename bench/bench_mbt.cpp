// Reading and writing a large MBT file (100000 rows, 60 columns, about four
// notes a row), and the peak memory of `poronka-cli dump` on it.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "core/file_io.h"
#include "core/mbt.h"

namespace {

using namespace poronka;

Score BigScore() {
  Score s;
  s.Title = "大きな曲\r\nbenchmark";
  s.HalfPeriod = 125;
  s.RowsPerBar = 8;
  s.NoteValue = 8;
  s.OctaveLine.clear();
  s.LetterLine.clear();
  for (int c = 0; c < 60; ++c) {
    s.OctaveLine += static_cast<char16_t>(u'3' + c / 12);
    s.LetterLine += static_cast<char16_t>(kSharpLetters[c % 12]);
  }
  DeriveColumnPitches(s);
  s.RowCount = 100000;
  s.RowNotes.assign(100001, RowSlots{});
  uint32_t seed = 1;
  for (int r = 1; r <= s.RowCount; ++r) {
    std::vector<int32_t> cols;
    int c = 0;
    for (int k = 0; k < 4; ++k) {
      seed = seed * 1103515245u + 12345u;
      c += 1 + static_cast<int>((seed >> 16) % 14);
      if (c > 60) break;
      cols.push_back(c);
    }
    s.RowNotes[r] = RowFromColumns(cols);
  }
  s.BarAdjust.assign(100000 / 8 + 2, 0);
  s.BarAdjust[7] = 2;
  s.MaxSlot = ComputeMaxSlot(s);
  return s;
}

const std::string& BigFile() {
  static const std::string path = [] {
    std::string p = "/tmp/poronka-bench-" + std::to_string(getpid()) + ".mbt";
    Score s = BigScore();
    s.FileName = p;
    RecordingMessages msgs;
    WriteMbt(s, msgs);
    std::atexit([] { std::remove(BigFile().c_str()); });
    return p;
  }();
  return path;
}

void BM_ReadMbt(benchmark::State& state) {
  const std::string& path = BigFile();
  for (auto _ : state) {
    Score s;
    s.FileName = path;
    RecordingMessages msgs;
    LoadHooks hooks;
    if (ReadMbt(s, msgs, hooks) != MbtLoad::Ok) state.SkipWithError("load failed");
    benchmark::DoNotOptimize(s.RowNotes.data());
  }
}
BENCHMARK(BM_ReadMbt)->Unit(benchmark::kMillisecond);

void BM_WriteMbt(benchmark::State& state) {
  Score s = BigScore();
  s.FileName = "/tmp/poronka-bench-write-" + std::to_string(getpid()) + ".mbt";
  for (auto _ : state) {
    RecordingMessages msgs;
    if (!WriteMbt(s, msgs)) state.SkipWithError("save failed");
  }
  std::remove(s.FileName.c_str());
}
BENCHMARK(BM_WriteMbt)->Unit(benchmark::kMillisecond);

void BM_MbtBytesOnly(benchmark::State& state) {
  Score s = BigScore();
  for (auto _ : state) benchmark::DoNotOptimize(MbtBytes(s));
}
BENCHMARK(BM_MbtBytesOnly)->Unit(benchmark::kMillisecond);

// Runs `poronka-cli dump` on the big file with stdout to /dev/null and
// reports the child's peak resident memory.
void BM_CliDumpPeakMemory(benchmark::State& state) {
  const std::string& path = BigFile();
  std::string cli = std::string(PORONKA_BINARY_DIR) + "/poronka-cli";
  long peakKb = 0;
  for (auto _ : state) {
    pid_t pid = fork();
    if (pid == 0) {
      freopen("/dev/null", "w", stdout);
      execl(cli.c_str(), cli.c_str(), "dump", path.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    struct rusage ru {};
    wait4(pid, &status, 0, &ru);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("dump failed");
    peakKb = std::max(peakKb, ru.ru_maxrss);
  }
  state.counters["peak_MB"] = peakKb / 1024.0;
}
BENCHMARK(BM_CliDumpPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

// A 100 MB file without a single line end, read in the process and by
// `poronka-cli dump` (peak memory of the child; goal: under 1 s and 150 MB).
void BM_HundredMegabytesWithoutLineEnds(benchmark::State& state) {
  const std::string path = "/tmp/poronka-bench-nolines-" + std::to_string(getpid()) + ".mbt";
  if (!WriteFileAtomically(path, std::string(100000000, 'x'))) {
    state.SkipWithError("cannot write the file");
    return;
  }
  for (auto _ : state) {
    Score s;
    s.FileName = path;
    RecordingMessages msgs;
    LoadHooks hooks;
    benchmark::DoNotOptimize(ReadMbt(s, msgs, hooks));
  }
  const std::string cli = std::string(PORONKA_BINARY_DIR) + "/poronka-cli";
  const pid_t pid = fork();
  if (pid == 0) {
    freopen("/dev/null", "w", stdout);
    freopen("/dev/null", "w", stderr);
    execl(cli.c_str(), cli.c_str(), "dump", path.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status = 0;
  struct rusage ru {};
  wait4(pid, &status, 0, &ru);
  state.counters["dump_peak_MB"] = ru.ru_maxrss / 1024.0;
  std::remove(path.c_str());
}
BENCHMARK(BM_HundredMegabytesWithoutLineEnds)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
