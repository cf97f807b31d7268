#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "interchange/box_fit.h"
#include "interchange/export_test_util.h"
#include "interchange/music_box.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::MakeSong;

MusicBox ShippedBox(const std::string& name) {
  MusicBox b;
  std::string error;
  EXPECT_TRUE(LoadMusicBox(testing::SourcePath("data/boxes/" + name + ".box"), b, error)) << error;
  return b;
}

TEST(MusicBoxFiles, ShippedBoxesHoldTheirCombs) {
  const std::vector<int> c30 = {48, 50, 55, 57, 59, 60, 62, 64, 65, 66, 67, 68, 69, 70, 71,
                                72, 73, 74, 75, 76, 77, 78, 79, 80, 81, 82, 83, 84, 86, 88};
  EXPECT_EQ(ShippedBox("30").pitches, c30);
  std::vector<int> f30 = c30;
  for (int& p : f30) p += 5;  // the variant a fourth higher
  EXPECT_EQ(ShippedBox("30f").pitches, f30);
  EXPECT_EQ(ShippedBox("15").pitches, (std::vector<int>{60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84}));
  const MusicBox b20 = ShippedBox("20");
  ASSERT_EQ(b20.pitches.size(), 20u);
  EXPECT_EQ(b20.pitches.front(), 60);
  EXPECT_EQ(b20.pitches.back(), 93);  // A6
  const std::vector<MusicBox> all = ListMusicBoxes(testing::SourcePath("data/boxes"));
  ASSERT_EQ(all.size(), 4u);
  EXPECT_EQ(all.front().name, "15");
  EXPECT_EQ(all[2].title, "30弁（4C-7E）");  // read from code page 932
}

TEST(MusicBoxFiles, PitchNamesAndRefusals) {
  int n = 0;
  for (auto [text, want] : std::vector<std::pair<std::string, int>>{
           {"C4", 60}, {"F#4", 66}, {"Bb3", 58}, {"A6", 93}, {"c-1", 0}, {"61", 61}}) {
    ASSERT_TRUE(ParsePitchName(text, n)) << text;
    EXPECT_EQ(n, want) << text;
  }
  for (std::string bad : {"H4", "C", "C44", "128", "C#", ""}) EXPECT_FALSE(ParsePitchName(bad, n)) << bad;

  const std::string sizes = "strip_width = 20\ntrack_pitch = 2\nfirst_track = 4\nhole_diameter = 1.5\nmin_repeat = 7\n";
  MusicBox box;
  box.name = "mine";
  std::string error;
  ASSERT_TRUE(ParseMusicBox("# a comment\npitches = C4 D4 E4\n" + sizes, box, error)) << error;
  EXPECT_EQ(box.title, "mine");
  EXPECT_EQ(box.TrackOf(62), 1);
  EXPECT_EQ(box.TrackOf(61), -1);
  for (const std::string& bad : std::vector<std::string>{"pitches = D4 C4\n" + sizes,  // not ascending
                          "pitches = C4\n",                                  // sizes missing
                          "pitches = C4\ncolour = red\n" + sizes,            // unknown key
                          "pitches = C4 D4 E4 F4 G4 A4 B4 C5 D5\n" + sizes,  // tracks past the edge
                          "pitches = C4\nstrip_width = -1\n" + sizes}) {
    MusicBox kept = box;
    EXPECT_FALSE(ParseMusicBox(bad, kept, error)) << bad;
    EXPECT_FALSE(error.empty());
    EXPECT_EQ(kept.pitches, box.pitches);
  }
}

TEST(BoxFit, UnplayableAndTooCloseNotes) {
  const MusicBox box = ShippedBox("15");  // C major C4..C6, repeats need 8 mm
  // Columns: C4, C#4, E4 and E4 again.
  Score s = MakeSong({60, 61, 64, 64},
                     {{1, 2}, {1}, {1}, {3, 4}, {}, {3}, {1}});
  FitReport r = CheckFit(s, box);
  EXPECT_EQ(r.notes, 8);
  ASSERT_EQ(r.unplayable.size(), 1u);
  EXPECT_EQ(r.unplayable[0].row, 1);
  EXPECT_EQ(r.unplayable[0].pitch, 61);
  EXPECT_EQ(r.unplayable[0].label.bar, 1);
  EXPECT_EQ(r.unplayable[0].label.beat, 1);
  // Row 2 comes 4 mm after row 1 and is skipped by the box, so row 3 is 8 mm
  // after the last strike and plays; the two E4 columns of row 4 are one hole.
  ASSERT_EQ(r.tooClose.size(), 1u);
  EXPECT_EQ(r.tooClose[0].row, 2);
  EXPECT_EQ(r.tooClose[0].previousRow, 1);
  EXPECT_DOUBLE_EQ(r.tooClose[0].distanceMm, 4.0);
  EXPECT_FALSE(r.Fits());
  EXPECT_EQ(CheckFit(s, box, 8.0).tooClose.size(), 0u);
  // Two semitones down C4 and C#4 fall below the comb; E4 becomes D4.
  EXPECT_EQ(CheckFit(s, box, 8.0, -2).unplayable.size(), 5u);
  EXPECT_EQ(CountUnplayable(s, box, 0), 1);
}

TEST(BoxFit, BestShiftPrefersFewestThenNearestThenUpward) {
  const MusicBox box = ShippedBox("15");
  // D major scale D4..D5: two semitones down it is C major.
  Score d = MakeSong({62, 64, 66, 67, 69, 71, 73, 74}, {{1}, {2}, {3}, {4}, {5}, {6}, {7}, {8}});
  BestShift b = FindBestShift(d, box);
  EXPECT_EQ(b.shift, -2);
  EXPECT_EQ(b.unplayable, 0);
  // A lone C#4 fits one semitone either way: upward wins.
  b = FindBestShift(MakeSong({61}, {{1}}), box);
  EXPECT_EQ(b.shift, 1);
  // A column at note 119 leaves no room upward.
  const std::vector<int> shifts = AllowedShifts(MakeSong({100, 119}, {{1}}));
  EXPECT_EQ(shifts.front(), -24);
  EXPECT_EQ(shifts.back(), 0);
  Score top = MakeSong({119}, {{1}});
  EXPECT_FALSE(ShiftColumns(top, 1));
  EXPECT_EQ(top.ColumnPitch[1], 119);
}

TEST(BoxFit, MapToCombMovesNotesAndDropsTheRest) {
  const MusicBox box = ShippedBox("15");
  // Columns C#4, E4, C4, E4: out of pitch order, with a doubled pitch.
  Score s = MakeSong({61, 64, 60, 64}, {{1, 2, 3}, {2, 4}, {}, {1}});
  const std::vector<FitNote> dropped = MapToComb(s, box);
  ASSERT_EQ(dropped.size(), 2u);
  EXPECT_EQ(dropped[0].row, 1);
  EXPECT_EQ(dropped[1].row, 4);
  EXPECT_EQ(dropped[1].pitch, 61);
  EXPECT_EQ(s.ColumnCount, 15);
  EXPECT_EQ(s.ColumnPitch, (std::vector<int32_t>{0, 60, 62, 64, 65, 67, 69, 71, 72, 74, 76, 77, 79, 81, 83, 84}));
  EXPECT_EQ(s.LetterLine, u"CDEFGABCDEFGABC");
  EXPECT_EQ(s.OctaveLine, u"555555566666667");
  EXPECT_EQ(ColumnsOf(s.RowNotes[1]), (std::vector<int32_t>{1, 3}));
  EXPECT_EQ(ColumnsOf(s.RowNotes[2]), (std::vector<int32_t>{3}));
  EXPECT_TRUE(ColumnsOf(s.RowNotes[4]).empty());
  EXPECT_EQ(s.RowCount, 4);
}

}  // namespace
}  // namespace poronka
