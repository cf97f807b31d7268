#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>
#include <vector>

#include "core/load_hooks.h"
#include "core/mbt.h"
#include "interchange/smf_export.h"
#include "interchange/smf_import.h"
#include "support/test_support.h"

namespace poronka {
namespace {

// (row counted from the song's start, PreRows included; sorted keys) of every
// row that holds notes.
std::vector<std::pair<int, std::vector<int>>> Struck(const Score& s) {
  std::vector<std::pair<int, std::vector<int>>> out;
  for (int32_t r = 1; r <= s.RowCount; ++r) {
    std::vector<int> keys;
    ForEachNote(s.RowNotes[r], [&](int, int32_t c) { keys.push_back(s.ColumnPitch[c]); });
    std::sort(keys.begin(), keys.end());
    if (!keys.empty()) out.emplace_back(r + s.PreRows, keys);
  }
  return out;
}

class SmfRoundTrip : public ::testing::TestWithParam<std::string> {};

TEST_P(SmfRoundTrip, ImportOfTheExportGivesBackTheNotesAndRows) {
  Score original;
  original.FileName = testing::SourcePath("examples/" + GetParam());
  RecordingMessages msgs;
  LoadHooks hooks;
  ASSERT_EQ(ReadMbt(original, msgs, hooks), MbtLoad::Ok);
  for (int stopDelay : {0, 1, 3}) {
    SoundSettings settings;
    settings.StopDelayRows = stopDelay;
    std::string bytes = BuildSmf(original, settings);
    Score back;
    back.FileName = "back.mid";
    SoundSettings importSettings;
    importSettings.SmfPitchAdjust = false;
    SmfImportHooks importHooks;
    RecordingMessages importMsgs;
    SmfImportResult r = ImportSmfBytes(back, bytes, importSettings, importMsgs, importHooks);
    ASSERT_EQ(r.status, SmfImportStatus::Ok);
    EXPECT_EQ(Struck(back), Struck(original)) << "stop delay " << stopDelay;
    EXPECT_EQ(back.HalfPeriod, original.HalfPeriod);
    EXPECT_EQ(back.NoteValue, original.NoteValue);
  }
}

INSTANTIATE_TEST_SUITE_P(Examples, SmfRoundTrip,
                         ::testing::Values("hotaru.mbt", "kirakira.mbt", "sakura.mbt"));

}  // namespace
}  // namespace poronka
