// The exporters agree byte for byte with a second writer of both formats
// (export_reference.py) on random songs.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "interchange/mfi_export.h"
#include "interchange/smf_export.h"
#include "settings/gs_variations.h"
#include "support/test_support.h"

namespace poronka {
namespace {

Score RandomSong(std::mt19937& rng) {
  auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  const int values[] = {1, 2, 3, 4, 6, 8, 12, 16, 24, 32, 48, 64};
  Score s;
  s.NoteValue = values[pick(0, 11)];
  s.HalfPeriod = pick(4, 2000);
  s.RowsPerBar = pick(1, 48);
  s.PreRows = pick(0, 1) ? 0 : pick(0, 40);
  const char* titles[] = {"", "Song", "蛍の光\r\nスコットランド民謡", "\r\nsecond only",
                          "A\r\nB\r\nC"};
  s.Title = titles[pick(0, 4)];
  if (pick(0, 6) == 0) s.Title = std::string(pick(120, 300), 'x') + "\r\n" + std::string(pick(0, 140), 'y');
  int columns = pick(1, 40);
  s.ColumnCount = columns;
  s.ColumnPitch.assign(1, 0);
  int low = pick(15, 60);
  for (int c = 0; c < columns; ++c) s.ColumnPitch.push_back(std::min(127, low + c * pick(1, 3)));
  std::sort(s.ColumnPitch.begin() + 1, s.ColumnPitch.end());
  int maxNotes = std::vector<int>{2, 4, 5, 9, 11, 15}[pick(0, 5)];
  s.RowCount = pick(1, 120);
  s.RowNotes.assign(1, RowSlots{});
  for (int r = 1; r <= s.RowCount; ++r) {
    std::vector<int32_t> cols;
    if (pick(0, 9) < 6) {
      int n = pick(1, std::min(maxNotes, columns));
      std::vector<int32_t> all;
      for (int c = 1; c <= columns; ++c) all.push_back(c);
      std::shuffle(all.begin(), all.end(), rng);
      cols.assign(all.begin(), all.begin() + n);
      std::sort(cols.begin(), cols.end());
    } else if (pick(0, 5) == 0) {
      // a long silence
      int gap = pick(10, 60);
      for (int g = 0; g < gap && r <= s.RowCount; ++g, ++r) s.RowNotes.push_back(RowSlots{});
      if (r > s.RowCount) break;
    }
    s.RowNotes.push_back(RowFromColumns(cols));
  }
  s.RowNotes.resize(s.RowCount + 1);
  s.MaxSlot = std::max(0, ComputeMaxSlot(s));
  return s;
}

TEST(ExportReference, RandomSongsAgreeWithTheSecondWriter) {
  if (std::system("/usr/bin/python3 -c 'import json' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3 not available";
  const std::string script = testing::SourcePath("tests/cli/export_reference.py");
  testing::TempDir dir;
  std::mt19937 rng(20261209);
  for (int i = 0; i < 60; ++i) {
    Score s = RandomSong(rng);
    SoundSettings settings;
    settings.Program = std::uniform_int_distribution<int>(0, 114)(rng);
    int entries = static_cast<int>(VariationsOf(settings.Program).size());
    settings.BankIndex = entries ? std::uniform_int_distribution<int>(-1, entries - 1)(rng) : -1;
    settings.Pan = std::uniform_int_distribution<int>(0, 127)(rng);
    settings.Reverb = std::uniform_int_distribution<int>(0, 127)(rng);
    settings.Chorus = std::uniform_int_distribution<int>(0, 127)(rng);
    settings.Modulation = std::uniform_int_distribution<int>(0, 127)(rng);
    settings.StopDelayRows = std::uniform_int_distribution<int>(0, 5)(rng);
    testing::WriteBytes(dir.File("song.json"), cli::DumpJson(s, 0, {}));
    std::string args = " " + dir.File("song.json") + " ";
    std::string tail = " " + std::to_string(settings.Program) + " " +
                       std::to_string(BankNumberOf(settings.Program, settings.BankIndex)) + " " +
                       std::to_string(settings.Pan) + " " + std::to_string(settings.Reverb) + " " +
                       std::to_string(settings.Chorus) + " " + std::to_string(settings.Modulation) +
                       " " + std::to_string(settings.StopDelayRows) + " 20261209 > " +
                       dir.File("limited.txt");
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " smf" + args + dir.File("ref.mid") + tail).c_str()), 0);
    ASSERT_EQ(std::system(("/usr/bin/python3 " + script + " mfi" + args + dir.File("ref.mld") + tail).c_str()), 0);
    EXPECT_EQ(BuildSmf(s, settings), testing::ReadBytes(dir.File("ref.mid"))) << "song " << i;
    MfiFile f = BuildMfi(s, settings, "20261209");
    EXPECT_EQ(f.bytes, testing::ReadBytes(dir.File("ref.mld"))) << "song " << i;
    EXPECT_EQ(f.rangeAdjusted ? "limited\n" : "exact\n", testing::ReadBytes(dir.File("limited.txt")))
        << "song " << i;
  }
}

}  // namespace
}  // namespace poronka
