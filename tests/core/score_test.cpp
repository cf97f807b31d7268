#include <gtest/gtest.h>

#include "core/score.h"

namespace poronka {
namespace {

TEST(SlotRules, NinthNoteStaysInSlot8AndTenthSkipsSlot9) {
  std::vector<int32_t> cols;
  for (int c = 1; c <= 10; ++c) cols.push_back(c * 2);
  RowSlots row = RowFromColumns(cols);
  EXPECT_EQ(row[8], 18);
  EXPECT_EQ(row[9], 0);
  EXPECT_EQ(row[10], 20);
  EXPECT_EQ(NoteCountOf(row), 10);
  EXPECT_EQ(HighestSlotOf(row), 10);
  EXPECT_EQ(ColumnsOf(row), cols);
}

TEST(SlotRules, SixteenOrMoreMarksKeepTheFirstFifteen) {
  std::vector<int32_t> cols;
  for (int c = 1; c <= 20; ++c) cols.push_back(c);
  RowSlots row = RowFromColumns(cols);
  EXPECT_EQ(NoteCountOf(row), 15);
  EXPECT_EQ(row[15], 15);
  EXPECT_EQ(row[9], 0);
  EXPECT_FALSE(RowHasColumn(row, 16));
  EXPECT_TRUE(RowHasColumn(row, 15));
}

TEST(SlotRules, MaxSlotFollowsTheNoteCount) {
  Score s;
  s.RowCount = 3;
  s.RowNotes.assign(4, RowSlots{});
  EXPECT_EQ(ComputeMaxSlot(s), -1);  // no notes at all
  s.RowNotes[2] = RowFromColumns({1, 2, 3, 4, 5, 6, 7, 8, 9});
  EXPECT_EQ(ComputeMaxSlot(s), 8);  // nine notes reach slot 8
  s.RowNotes[3] = RowFromColumns({1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
  EXPECT_EQ(ComputeMaxSlot(s), 10);  // ten notes reach slot 10
  s.MaxSlot = 10;
  CopyLastRowToRowZero(s);
  EXPECT_EQ(s.RowNotes[0], s.RowNotes[3]);
}

TEST(Pitches, ColumnPitchFromOctaveAndLetter) {
  Score s;
  s.OctaveLine = u"54x";
  s.LetterLine = u"CaZ";
  DeriveColumnPitches(s);
  EXPECT_EQ(s.ColumnCount, 3);
  ASSERT_EQ(s.ColumnPitch.size(), 4u);
  EXPECT_EQ(s.ColumnPitch[0], 0);
  EXPECT_EQ(s.ColumnPitch[1], 60);
  EXPECT_EQ(s.ColumnPitch[2], 58);
  EXPECT_EQ(s.ColumnPitch[3], -1);  // unknown letter: position -1
  EXPECT_EQ(PitchName(60), "5C");
  EXPECT_EQ(PitchName(61), "5c");
  EXPECT_EQ(PitchName(61, true), "5d");
  EXPECT_EQ(PitchName(70, true), "5b");
}

TEST(Tempo, BpmAndItsInverse) {
  EXPECT_EQ(DeriveBpm(375, 4), 80);
  EXPECT_EQ(DeriveBpm(375, 8), 40);
  // 120000 / (400 * 4) = 75 exactly; 120000 / (240 * 8) = 62.5 rounds to even
  EXPECT_EQ(DeriveBpm(400, 4), 75);
  EXPECT_EQ(DeriveBpm(240, 8), 62);
  EXPECT_EQ(DeriveBpm(0, 4), 0);
  EXPECT_EQ(BpmIntegerForm(370, 4), 81);
  EXPECT_EQ(HalfPeriodForBpm(4, 81), 370);
  EXPECT_EQ(HalfPeriodForBpm(4, 0), 0);
}

TEST(Tempo, SongLengthShowsMinutesOfTheHour) {
  EXPECT_EQ(SongLengthText(300, 375), "3:45");
  EXPECT_EQ(SongLengthText(0, 375), "0:00");
  EXPECT_EQ(SongLengthText(1, 4), "0:00");
  // 61 minutes 5 seconds shows 1:05
  EXPECT_EQ(SongLengthText(3665, 500), "1:05");
}

TEST(Bars, PlayerBarAndBeatWithPreRows) {
  BarBeat b1 = PlayerBarBeat(1, 2, 4);
  EXPECT_EQ(b1.bar, 1);
  EXPECT_EQ(b1.beat, 3);
  BarBeat b3 = PlayerBarBeat(3, 2, 4);
  EXPECT_EQ(b3.bar, 2);
  EXPECT_EQ(b3.beat, 1);
  EXPECT_EQ(PlayerBarTotal(300, 0, 4), 75);
  EXPECT_EQ(PlayerBarTotal(301, 0, 4), 76);
}

TEST(Bars, EditorNumberingHonoursBarAdjustments) {
  Score s;
  s.RowsPerBar = 4;
  s.PreRows = 0;
  s.RowCount = 12;
  s.BarAdjust = {0, 0, -1, 2, 0, 0};
  auto n = EditorBarNumbers(s);
  // bar 1: rows 1-4, bar 2: rows 5-7 (3 rows), bar 3: rows 8-13 (6 rows)
  EXPECT_EQ(n[4].bar, 1);
  EXPECT_EQ(n[4].beat, 4);
  EXPECT_EQ(n[5].bar, 2);
  EXPECT_EQ(n[7].beat, 3);
  EXPECT_EQ(n[8].bar, 3);
  EXPECT_EQ(n[8].beat, 1);
  EXPECT_EQ(n[12].bar, 3);
  EXPECT_EQ(n[12].beat, 5);

  s.PreRows = 3;
  s.BarAdjust.assign(6, 0);
  n = EditorBarNumbers(s);
  EXPECT_EQ(n[1].bar, 1);
  EXPECT_EQ(n[1].beat, 4);
  EXPECT_EQ(n[2].bar, 2);
  EXPECT_EQ(n[2].beat, 1);
  EXPECT_EQ(EditorBarAdjustSize(s), (12 + 3) / 4 + 2);
}

TEST(NewSong, HasTheDocumentedShape) {
  Score s;
  s.FileName = "/tmp/keep.mbt";
  MakeNewSong(s);
  EXPECT_EQ(s.Title, "無題");
  EXPECT_EQ(s.HalfPeriod, 375);
  EXPECT_EQ(s.Bpm, 80);
  EXPECT_EQ(s.RowCount, 300);
  EXPECT_EQ(s.RowNotes.size(), 301u);
  EXPECT_EQ(s.ColumnCount, 36);
  EXPECT_EQ(s.ColumnPitch[1], 48);
  EXPECT_EQ(s.ColumnPitch[36], 83);
  EXPECT_EQ(s.BarAdjust.size(), 77u);
  EXPECT_EQ(s.MaxSlot, 1);
  EXPECT_EQ(s.FileName, "/tmp/keep.mbt");  // left to the caller
}

}  // namespace
}  // namespace poronka
