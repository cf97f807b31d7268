#include <gtest/gtest.h>

#include <cmath>

#include "core/mbt.h"
#include "playback/engine_fixture.h"

// Expected sequences: strings for trace lines, ints for positions.
template <typename First, typename... Rest>
auto ElementsAre(First f, Rest... r) {
  using V = std::conditional_t<std::is_integral_v<First>, int, std::string>;
  return std::vector<V>{V(f), V(r)...};
}
#define EXPECT_SEQ(actual, expected) EXPECT_EQ(actual, expected)

namespace poronka {
namespace {

using testing::EngineRig;
using testing::FakePlaylist;

// ---- preparation ------------------------------------------------------------------

TEST(EnginePrepare, GeometryFollowsTheFormulas) {
  RollGeometry g = ComputeRollGeometry(120, 300, 36);
  EXPECT_DOUBLE_EQ(g.RowScale, 1.7);
  EXPECT_DOUBLE_EQ(g.ColumnScale, 345.0 / 36);
  EXPECT_EQ(g.RollMargin, 0);
  EXPECT_EQ(g.RollBaseTop, 167);
  EXPECT_EQ(g.ToothMax, 86);
  EXPECT_EQ(g.ToothRange, 52);
  EXPECT_EQ(g.RollLeft, 31);
  EXPECT_EQ(g.RollWidth, 354);
  EXPECT_EQ(g.RollHeight, static_cast<int>(std::nearbyint(605 * 1.7)));

  // A narrow song is centred: ten columns leave a margin of twenty halves.
  g = ComputeRollGeometry(120, 300, 10);
  EXPECT_DOUBLE_EQ(g.ColumnScale, 11.5);
  EXPECT_EQ(g.RollMargin, 115);
  EXPECT_EQ(g.RollLeft, 31 + 115);
  EXPECT_EQ(g.RollWidth, 354 - 230);

  // Long songs keep the roll near 15000 pixels.
  g = ComputeRollGeometry(120, 20000, 36);
  EXPECT_DOUBLE_EQ(g.RowScale, 15000.0 / 40001);
  EXPECT_LE(g.RollHeight, 15001);
  EXPECT_DOUBLE_EQ(ComputeRollGeometry(120, 4410, 36).RowScale, 1.7);

  g = ComputeRollGeometry(96, 300, 36);
  EXPECT_EQ(g.ToothMax, 96 * 86 / 120);
  EXPECT_EQ(g.RollBaseTop, static_cast<int>(std::nearbyint(96 * 167.0 / 120)));
}

TEST(EnginePrepare, ShowsTitlesTempoLengthAndEnablesControls) {
  EngineRig rig;
  testing::MakeSong(rig.score, {{1}, {2}, {3}, {1, 3}, {2}}, 375);
  rig.score.Title = "NO_Title\r\nsecond line";
  rig.engine.state.Transpose = 512;
  rig.settings.KeyShift = 2;
  rig.engine.PrepareSong(Preparation::Full);
  auto& d = rig.display;
  EXPECT_EQ(d.windowCaption, "test.mbt");
  EXPECT_EQ(d.appTitle, "test.mbt>ポロンカ");
  EXPECT_EQ(d.labels[PlayerLabel::Title], "NO_Title\r\nsecond line");
  EXPECT_EQ(d.labels[PlayerLabel::Bpm], "80 拍/分");
  EXPECT_EQ(d.labels[PlayerLabel::Time], "0:03");
  EXPECT_EQ(d.labels[PlayerLabel::Total], "/2");
  EXPECT_EQ(d.labels[PlayerLabel::Current], "/ 0");
  EXPECT_EQ(d.labels[PlayerLabel::Beat], "0");
  EXPECT_EQ(d.labels[PlayerLabel::Pitch], "0");
  EXPECT_EQ(rig.engine.state.Transpose, 0);
  EXPECT_EQ(rig.settings.KeyShift, 0);
  EXPECT_EQ(rig.score.MaxSlot, 1);
  EXPECT_EQ(rig.score.RowNotes[0][0], 2);  // row 0 copies the last row
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  EXPECT_FLOAT_EQ(rig.engine.state.RowsPerPosition, 0.005f);
  EXPECT_TRUE(d.commands.start);
  for (PlayerControl c : {PlayerControl::PositionBar, PlayerControl::Faster,
                          PlayerControl::Slower, PlayerControl::FastForward, PlayerControl::Rewind,
                          PlayerControl::Previous, PlayerControl::Next, PlayerControl::Tempo})
    EXPECT_TRUE(d.enabled[c]);
  EXPECT_TRUE(d.visible[PlayerControl::Beat]);
  ASSERT_FALSE(d.cursor.empty());
  EXPECT_TRUE(d.cursor.front());
  EXPECT_FALSE(d.cursor.back());

  rig.score.Title = "さくら\r\nsecond";
  rig.engine.PrepareSong(Preparation::Full);
  EXPECT_EQ(d.windowCaption, "さくら");
}

TEST(EnginePrepare, RaisesTooShortPeriodWithTheMessage) {
  EngineRig rig;
  testing::MakeSong(rig.score, {{1}}, 2);
  rig.engine.PrepareSong(Preparation::Full);
  EXPECT_EQ(rig.score.HalfPeriod, 4);
  ASSERT_EQ(rig.msgs.entries.size(), 1u);
  EXPECT_EQ(rig.msgs.entries[0].text, kTimerPrecisionMessage);
  EXPECT_EQ(rig.score.Bpm, DeriveBpm(4, 4));
}

TEST(EnginePrepare, DrawsRoundDotsAndTheComb) {
  EngineRig rig;
  rig.Prepare({{1}, {}, {3}});
  const Rgb24Image& roll = rig.display.roll_;
  const RollGeometry& g = rig.engine.Geometry();
  EXPECT_EQ(roll.width, g.RollWidth);
  EXPECT_EQ(roll.height, g.RollHeight);
  // Column 1, row 1: box from (round(11.5 - 2), round(3.4)) to (round(13.5), round(7.4)).
  EXPECT_EQ(roll.At(11, 4), kRollDotColour);
  EXPECT_EQ(roll.At(10, 5), kRollDotColour);
  EXPECT_EQ(roll.At(10, 3), kDefaultRollBackground);  // corner of the box stays blank
  EXPECT_EQ(roll.At(11, 12), kDefaultRollBackground);  // row 2 is empty
  int dots = 0;
  for (int y = 0; y < roll.height; ++y)
    for (int x = 0; x < roll.width; ++x) dots += roll.At(x, y) == kRollDotColour;
  EXPECT_EQ(dots, 2 * 12);

  // The comb: rest colour with a line at each tooth boundary.
  const Rgb24Image& comb = rig.display.comb_;
  const int firstLine = static_cast<int>(std::nearbyint(g.ColumnScale / 2)) + g.RollLeft;
  EXPECT_EQ(comb.At(firstLine, 0), kCombLineColour);
  EXPECT_EQ(comb.At(firstLine, g.ToothMax - 1), kCombLineColour);
  EXPECT_EQ(comb.At(firstLine + 3, 0), kCombRestColour);
}

TEST(EnginePrepare, MbtLoadThroughHooksGivesTheSameRoll) {
  EngineRig rig;
  const std::string dot = "\xA5";
  std::string file = "Hooked\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n555\r\nCDE\r\nO" + dot + dot + "\r\n" + dot + "OO\r\n";
  EngineLoadHooks hooks(rig.engine, rig.display);
  rig.score.FileName = "hooked.mbt";
  ASSERT_EQ(ReadMbtBytes(rig.score, file, rig.msgs, hooks), MbtLoad::Ok);
  Rgb24Image viaHooks = rig.display.roll_;
  EXPECT_EQ(rig.display.labels[PlayerLabel::Bpm], "80 拍/分");
  EXPECT_EQ(rig.display.windowCaption, "Hooked");
  EXPECT_TRUE(rig.display.commands.start);
  ASSERT_EQ(rig.score.RowCount, 2);
  EXPECT_EQ(ColumnsOf(rig.score.RowNotes[2]), (std::vector<int32_t>{2, 3}));
  rig.engine.PrepareSong(Preparation::Full);
  EXPECT_TRUE(rig.display.roll_.pixels == viaHooks.pixels);
  EXPECT_FALSE(rig.display.cursor.back());
}

TEST(EngineComb, LitTeethNeverCoverADividerAndRestoreExactly) {
  // At 96 pixels per inch a tooth's edge and its divider used to round apart.
  for (int ppi : {96, 120, 144}) {
    EngineRig rig;
    rig.engine.SetupDisplay(ppi, ppi * 416 / 120, ppi * 88 / 120);
    const std::u16string letters = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
    std::vector<std::vector<int32_t>> rows(4);
    for (int32_t c = 1; c <= 36; ++c) rows[(c - 1) / 15].push_back(c);
    testing::MakeSong(rig.score, rows, 375, letters);
    rig.engine.PrepareSong(Preparation::Full);
    const Rgb24Image rest = rig.engine.CombSnapshot();
    rig.engine.Start();
    for (int row = 1; row <= 4; ++row) {
      rig.Tick(2);
      const Rgb24Image lit = rig.engine.CombSnapshot();
      for (int x = 0; x < rest.width; ++x)
        ASSERT_FALSE(rest.At(x, 0) == kCombLineColour && !(lit.At(x, 0) == kCombLineColour))
            << "ppi " << ppi << " row " << row << " x " << x;
    }
    EXPECT_TRUE(rig.engine.CombSnapshot().pixels == rest.pixels) << "ppi " << ppi;
  }
}

// ---- start and ticks ---------------------------------------------------------------

TEST(EngineStart, SendsTheChannelSetUpInOrderWithoutBankSelect) {
  EngineRig rig;
  rig.Prepare({{1}, {1, 2, 3}});
  rig.score.MaxSlot = 10;  // channels 0..8 and 10 (9 is skipped)
  rig.engine.Start();
  auto lines = rig.Lines();
  ASSERT_EQ(lines.size(), 10u * 5);
  EXPECT_SEQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
              ElementsAre("0 C0 0A", "0 B0 0A 40", "0 B0 5B 28", "0 B0 5D 00", "0 B0 01 00"));
  EXPECT_EQ(lines[40], "0 C8 0A");
  EXPECT_EQ(lines[45], "0 CA 0A");  // after channel 8 comes channel 10
  for (const auto& l : lines) EXPECT_EQ(l.find("0 C9"), std::string::npos);
  EXPECT_TRUE(rig.timer.Running());
  EXPECT_EQ(rig.timer.PeriodMs(), 375);
  EXPECT_FALSE(rig.display.commands.fileMenu);
  EXPECT_FALSE(rig.display.commands.midiMenu);
  EXPECT_FALSE(rig.display.commands.start);
  EXPECT_TRUE(rig.display.commands.stop);
  EXPECT_TRUE(rig.display.commands.pause);
  EXPECT_EQ(rig.display.pauseCaption, "一時停止");
}

TEST(EngineStart, ASongWithoutNotesSetsUpNoChannelAtStartOrStop) {
  EngineRig rig;
  rig.settings.Program = 20;  // Stop would set the music box tone back
  rig.Prepare({{}, {}});
  EXPECT_EQ(rig.score.MaxSlot, -1);
  rig.engine.Start();
  rig.Tick(4);
  rig.engine.Stop();
  EXPECT_SEQ(rig.Lines(), ElementsAre("1500 reset"));
}

TEST(EngineStart, BankSelectOnlyWithAVariation) {
  EngineRig rig;
  rig.Prepare({{1}});
  // Find a program with a variation list.
  int program = -1;
  for (int p = 0; p < 128 && program < 0; ++p)
    if (BankNumberOf(p, 1) > 0) program = p;
  ASSERT_GE(program, 0);
  rig.settings.Program = program;
  rig.settings.BankIndex = 1;
  rig.settings.Pan = 30;
  rig.settings.Reverb = 0;
  rig.settings.Chorus = 5;
  rig.settings.Modulation = 7;
  rig.engine.Start();
  const int bank = BankNumberOf(program, 1);
  char expect[5][16];
  std::snprintf(expect[0], 16, "0 B0 00 %02X", bank);
  std::snprintf(expect[1], 16, "0 B0 20 00");
  std::snprintf(expect[2], 16, "0 C0 %02X", program);
  EXPECT_SEQ(rig.Lines(), ElementsAre(expect[0], expect[1], expect[2], "0 B0 0A 1E", "0 B0 5B 00",
                                        "0 B0 5D 05", "0 B0 01 07"));
}

TEST(EngineTick, TwoTicksPerRowNotesOnTheirSlotChannels) {
  EngineRig rig;
  rig.Prepare({{1, 3}, {}, {2}});
  rig.engine.Start();
  rig.ClearLog();
  rig.Tick();  // advance to row 1: no sound, teeth lit
  EXPECT_TRUE(rig.Lines().empty());
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Current], "/1");
  EXPECT_EQ(rig.display.labels[PlayerLabel::Beat], "1");
  rig.Tick();  // sound row 1
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 3C 64", "750 91 40 64"));
  rig.Tick(2);  // row 2 is empty
  EXPECT_EQ(rig.Lines().size(), 2u);
  rig.Tick(2);
  EXPECT_EQ(rig.Lines().back(), "2250 90 3E 64");
  // Without a playlist the song starts again.
  rig.Tick(2);
  EXPECT_EQ(rig.Lines().back(), "3000 91 40 64");
  EXPECT_TRUE(rig.display.endSignals.empty());
  EXPECT_EQ(rig.engine.state.RepeatCount, 1);
}

TEST(EngineTick, RollMovesHalfARowPerTickAndTeethLight) {
  EngineRig rig;
  rig.Prepare({{1}, {2}});
  const RollGeometry g = rig.engine.Geometry();
  rig.engine.Start();
  rig.display.rollTops.clear();
  rig.Tick(4);
  const int base = g.RollBaseTop;
  auto r = [](double v) { return static_cast<int>(std::nearbyint(v)); };
  EXPECT_SEQ(rig.display.rollTops,
              ElementsAre(base - r(1 * g.RowScale), base - r(2 * g.RowScale), base - r(3 * g.RowScale),
                          base - r(4 * g.RowScale)));
  // Row 2's tooth is lit, row 1's back to rest.
  const Rgb24Image comb = rig.engine.CombSnapshot();
  ToothRect t1 = ToothOf(g, 1, 3), t2 = ToothOf(g, 2, 3);
  EXPECT_EQ(comb.At(t2.x0, 0), kCombStruckColour);
  EXPECT_EQ(comb.At(t2.x1, t2.y1), kCombStruckColour);
  EXPECT_EQ(comb.At(t1.x0, 0), kCombRestColour);
  EXPECT_EQ(comb.At(t2.x0, t2.y1 + 1), kCombRestColour);
  // A letter line of fifty million columns: the last tooth is the shortest.
  EXPECT_EQ(ToothOf(g, 50000000, 50000000).y1, g.ToothMax - g.ToothRange);
}

TEST(EngineTick, StopDelayReleasesAcrossTheWrap) {
  EngineRig rig;
  rig.settings.StopDelayRows = 2;
  rig.Prepare({{1}, {2}, {3}, {1, 2}});
  rig.engine.Start();
  rig.ClearLog();
  rig.Tick(2);  // row 1: offs of row 3
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 40 00", "750 90 3C 64"));
  rig.ClearLog();
  rig.Tick(2);  // row 2: offs of row 4
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 3C 00", "750 91 3E 00", "750 90 3E 64"));
  rig.ClearLog();
  rig.Tick(2);  // row 3: offs of row 1
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 3C 00", "750 90 40 64"));
}

TEST(EngineTick, StopDelayLongerThanTheSongStillWraps) {
  EngineRig rig;
  rig.settings.StopDelayRows = 7;  // row 1 - 7 = -6 -> row 2 of a 4-row song
  rig.Prepare({{1}, {2}, {3}, {1}});
  rig.engine.Start();
  rig.ClearLog();
  rig.Tick(2);
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 3E 00", "750 90 3C 64"));
}

TEST(EngineTick, FastForwardSkipsTenRowsAndRewindStopsAtRowOne) {
  EngineRig rig;
  std::vector<std::vector<int32_t>> rows(30, std::vector<int32_t>{});
  for (int r = 0; r < 30; ++r) rows[r] = {1 + r % 3};
  rig.settings.StopDelayRows = 1;
  rig.Prepare(rows);
  rig.engine.Start();
  rig.Tick(2);  // row 1 sounded
  rig.engine.FastForwardPressed();
  rig.ClearLog();
  rig.Tick();  // advance 10 rows with a reset (stop delay set)
  EXPECT_EQ(rig.engine.state.CurrentRow, 11);
  EXPECT_SEQ(rig.Lines(), ElementsAre("375 reset"));
  rig.Tick();
  EXPECT_EQ(rig.Lines().back(), "750 90 3E 64");  // row 11 = column 2
  rig.engine.FastForwardReleased();
  rig.engine.RewindPressed();
  rig.Tick(2);
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  rig.engine.RewindReleased();
  rig.Tick(2);
  EXPECT_EQ(rig.engine.state.CurrentRow, 2);

  // Right button does not touch the tags.
  rig.engine.FastForwardPressed(false);
  EXPECT_EQ(rig.engine.state.FastForwardHeld, 0);
}

TEST(EngineTick, RewindFromRowFiveGoesToRowOne) {
  EngineRig rig;
  rig.Prepare({{1}, {1}, {1}, {1}, {1}, {1}, {1}});
  rig.engine.Start();
  rig.Tick(10);
  EXPECT_EQ(rig.engine.state.CurrentRow, 5);
  rig.engine.RewindPressed();
  rig.ClearLog();
  rig.Tick();
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  EXPECT_TRUE(rig.Lines().empty());  // no stop delay: no reset
}

TEST(EngineTick, TransposedNotesOutsideTheRangeAreNotSent) {
  EngineRig rig;
  rig.Prepare({{1, 3}});
  rig.engine.state.Transpose = 64 * 256;  // 60 + 64 = 124 fine, 64 + 64 = 128 not
  rig.engine.Start();
  rig.ClearLog();
  rig.Tick(2);
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 7C 64"));
  rig.engine.state.Transpose = -61 * 256;
  rig.ClearLog();
  rig.Tick(2);
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 91 03 64"));
}

TEST(EngineTick, DisplayOffFreezesRollAndCombButNotSound) {
  EngineRig rig;
  rig.Prepare({{1}, {2}});
  rig.engine.Start();
  rig.engine.state.DisplayOn = false;
  rig.display.rollTops.clear();
  const int shows = rig.display.combShows;
  rig.ClearLog();
  rig.Tick(2);
  EXPECT_TRUE(rig.display.rollTops.empty());
  EXPECT_EQ(rig.display.combShows, shows);
  EXPECT_EQ(rig.Lines().size(), 1u);
}

// ---- end of song -------------------------------------------------------------------

TEST(EngineEnd, PlaylistOfSeveralSongsSignalsTheNextPosition) {
  EngineRig rig;
  FakePlaylist pl;
  pl.entries = {"/a.mbt", "/songs/test.mbt", "/c.mbt"};
  pl.current = 1;
  rig.engine.SetPlaylistView(&pl);
  rig.Prepare({{1}, {2}});
  rig.engine.Start();
  rig.Tick(4);
  rig.ClearLog();
  rig.Tick();  // past the end
  EXPECT_SEQ(rig.display.endSignals, ElementsAre(2));
  EXPECT_EQ(rig.engine.state.RepeatCount, 2);
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  rig.Tick(5);  // the gate stays closed
  EXPECT_TRUE(rig.Lines().empty());
  EXPECT_EQ(rig.display.endSignals.size(), 1u);
  EXPECT_TRUE(rig.engine.Playing());
}

TEST(EngineEnd, LastEntrySignalsZeroAndRepeatSettingRepeatsFirst) {
  EngineRig rig;
  FakePlaylist pl;
  pl.entries = {"/a.mbt", "/b.mbt"};
  pl.current = 1;
  rig.engine.SetPlaylistView(&pl);
  rig.settings.RepeatSetting = 2;
  rig.Prepare({{1}});
  rig.engine.Start();
  rig.Tick(2);
  rig.Tick(2);  // first end: RepeatCount 2 <= 2, plays again
  EXPECT_TRUE(rig.display.endSignals.empty());
  EXPECT_EQ(rig.engine.state.RepeatCount, 2);
  rig.Tick(2);
  EXPECT_SEQ(rig.display.endSignals, ElementsAre(0));
}

TEST(EngineEnd, SingleEntryThatIsTheSongAndHoldSongRepeat) {
  EngineRig rig;
  FakePlaylist pl;
  pl.entries = {"/songs/test.mbt"};
  pl.current = 0;
  rig.engine.SetPlaylistView(&pl);
  rig.Prepare({{1}});
  rig.engine.Start();
  rig.Tick(8);
  EXPECT_TRUE(rig.display.endSignals.empty());
  EXPECT_EQ(rig.engine.state.RepeatCount, 1);

  pl.entries = {"/other.mbt"};
  rig.engine.state.HoldSong = true;
  rig.Tick(8);
  EXPECT_TRUE(rig.display.endSignals.empty());
  rig.engine.state.HoldSong = false;
  rig.Tick(2);
  EXPECT_SEQ(rig.display.endSignals, ElementsAre(0));
}

// ---- stop and pause ----------------------------------------------------------------

TEST(EngineStop, KillsTimerResetsAndRestoresTheDefaultTone) {
  EngineRig rig;
  rig.settings.Program = 20;
  rig.Prepare({{1, 2}});
  rig.engine.Start();
  rig.Tick(2);
  rig.ClearLog();
  rig.engine.Stop();
  EXPECT_FALSE(rig.timer.Running());
  EXPECT_SEQ(rig.Lines(), ElementsAre("0 reset", "0 B0 00 00", "0 B0 20 00", "0 C0 0A", "0 B0 0A 40",
                                       "0 B0 5B 28", "0 B0 5D 00", "0 B0 01 00", "0 B1 00 00", "0 B1 20 00",
                                       "0 C1 0A", "0 B1 0A 40", "0 B1 5B 28", "0 B1 5D 00", "0 B1 01 00"));
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  EXPECT_EQ(rig.display.rollTops.back(), rig.engine.Geometry().RollBaseTop);
  EXPECT_EQ(rig.display.positions.back(), 1);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Current], "/ 0");
  EXPECT_TRUE(rig.display.commands.fileMenu);
  EXPECT_TRUE(rig.display.commands.start);
  EXPECT_FALSE(rig.display.commands.pause);
  EXPECT_FALSE(rig.display.commands.stop);
  EXPECT_FALSE(rig.engine.Playing());
  // The lit teeth are back to rest.
  const Rgb24Image comb = rig.engine.CombSnapshot();
  ToothRect t = ToothOf(rig.engine.Geometry(), 1, 3);
  EXPECT_EQ(comb.At(t.x0, 0), kCombRestColour);
}

TEST(EnginePause, PauseAfterAdvanceSkipsTheShownRowOnResume) {
  EngineRig rig;
  rig.Prepare({{1}, {2}, {3}});
  rig.engine.Start();
  rig.Tick(2);  // row 1 sounded
  rig.Tick();   // advance to row 2
  rig.ClearLog();
  rig.engine.TogglePause();
  EXPECT_SEQ(rig.Lines(), ElementsAre("0 reset"));  // music box: no tone restore
  EXPECT_FALSE(rig.timer.Running());
  EXPECT_EQ(rig.display.pauseCaption, "再開");
  EXPECT_TRUE(rig.display.commands.midiMenu);
  EXPECT_TRUE(rig.display.commands.start);
  EXPECT_FALSE(rig.display.commands.fileMenu);
  EXPECT_TRUE(rig.engine.Paused());
  rig.engine.TogglePause();  // resume: set-up again, then an advance tick
  EXPECT_EQ(rig.Lines().size(), 1u + 5);
  EXPECT_EQ(rig.engine.state.CurrentRow, 2);
  EXPECT_EQ(rig.engine.state.RepeatCount, 1);
  rig.ClearLog();
  rig.Tick(2);
  EXPECT_SEQ(rig.Lines(), ElementsAre("750 90 40 64"));  // row 3; row 2 never sounded
}

TEST(EnginePause, OtherProgramIsSetBackToTheMusicBox) {
  EngineRig rig;
  rig.settings.Program = 0;
  rig.Prepare({{1}});
  rig.engine.Start();
  rig.ClearLog();
  rig.engine.TogglePause();
  EXPECT_SEQ(rig.Lines(), ElementsAre("0 reset", "0 B0 00 00", "0 B0 20 00", "0 C0 0A"));
}

// ---- tempo ------------------------------------------------------------------------------------

TEST(EngineTempo, FasterAndSlowerTakeTheFinerStep) {
  EngineRig rig;
  rig.Prepare({{1}}, 375);
  ASSERT_EQ(rig.score.Bpm, 80);
  rig.engine.SpeedUp();
  EXPECT_EQ(rig.score.Bpm, 81);
  EXPECT_EQ(rig.score.HalfPeriod, 370);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Bpm], "81 拍/分");
  rig.engine.SlowDown();
  EXPECT_EQ(rig.score.Bpm, 80);
  EXPECT_EQ(rig.score.HalfPeriod, 375);

  rig.Prepare({{1}}, 150);
  ASSERT_EQ(rig.score.Bpm, 200);
  rig.engine.SpeedUp();
  EXPECT_EQ(rig.score.HalfPeriod, 149);
  EXPECT_EQ(rig.score.Bpm, 201);
  rig.engine.SlowDown();
  EXPECT_EQ(rig.score.HalfPeriod, 150);
  EXPECT_EQ(rig.score.Bpm, 200);
}

TEST(EngineTempo, LimitsAndTimerRestartWhilePlaying) {
  EngineRig rig;
  rig.Prepare({{1}}, 1000);  // Bpm 30
  ASSERT_EQ(rig.score.Bpm, 30);
  rig.engine.SlowDown();
  EXPECT_EQ(rig.score.HalfPeriod, 1000);

  rig.Prepare({{1}}, 4);
  rig.engine.SpeedUp();
  EXPECT_EQ(rig.score.HalfPeriod, 4);

  rig.Prepare({{1}, {2}}, 375);
  rig.engine.Start();
  EXPECT_EQ(rig.timer.started(), 1);
  rig.engine.SpeedUp();
  EXPECT_EQ(rig.timer.started(), 2);
  EXPECT_EQ(rig.timer.killed(), 1);
  EXPECT_EQ(rig.timer.PeriodMs(), 370);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Time], "0:01");
  rig.engine.TogglePause();
  rig.engine.SpeedUp();  // paused: no new timer
  EXPECT_EQ(rig.timer.started(), 2);
}

// ---- position bar ----------------------------------------------------------------------------------

TEST(EnginePosition, BarMovesTheRowAndDraggingHoldsTicks) {
  EngineRig rig;
  std::vector<std::vector<int32_t>> rows(2000, std::vector<int32_t>{1});
  rig.Prepare(rows);
  rig.engine.MoveToPosition(500, false);  // not playing: ignored
  EXPECT_EQ(rig.engine.state.CurrentRow, 1);
  rig.engine.Start();
  rig.Tick(2);
  EXPECT_EQ(rig.display.positions.back(), 1);  // round(1 / 2) = 0 is kept at 1
  rig.engine.MoveToPosition(500, true);
  EXPECT_EQ(rig.engine.state.CurrentRow, 1000);
  EXPECT_TRUE(rig.engine.state.Dragging);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Current], "/250");
  EXPECT_EQ(rig.display.labels[PlayerLabel::Beat], "4");
  const RollGeometry& g = rig.engine.Geometry();
  EXPECT_EQ(rig.display.rollTops.back(), g.RollBaseTop - static_cast<int>(std::nearbyint(1000 * g.RowScale * 2)));
  rig.ClearLog();
  rig.Tick(4);
  EXPECT_TRUE(rig.Lines().empty());  // ticks wait while dragging
  rig.engine.MoveToPosition(501, false);  // released
  EXPECT_FALSE(rig.engine.state.Dragging);
  EXPECT_EQ(rig.engine.state.CurrentRow, 1002);
  rig.Tick(2);
  EXPECT_EQ(rig.engine.state.CurrentRow, 1003);
  EXPECT_EQ(rig.display.positions.back(), 502);  // round(1003 / 2) ties to even
  EXPECT_EQ(rig.engine.state.PositionValue, 502);
  rig.engine.MoveToPosition(502, true);  // the engine's own move: nothing
  EXPECT_FALSE(rig.engine.state.Dragging);
}

TEST(EnginePosition, PressOnTheBarHoldsTicksUntilLetGoStopOrANewSong) {
  EngineRig rig;
  rig.Prepare(std::vector<std::vector<int32_t>>(100, std::vector<int32_t>{1}));
  rig.engine.PositionBarPressed();  // stopped: nothing to hold
  EXPECT_FALSE(rig.engine.state.Dragging);
  rig.engine.Start();
  rig.Tick(2);
  rig.engine.PositionBarPressed();  // on the handle: no move yet, still held
  rig.ClearLog();
  rig.Tick(4);
  EXPECT_TRUE(rig.Lines().empty());
  rig.engine.PositionBarReleased(500);
  EXPECT_FALSE(rig.engine.state.Dragging);
  EXPECT_EQ(rig.engine.state.CurrentRow, 50);
  rig.Tick(2);
  EXPECT_EQ(rig.engine.state.CurrentRow, 51);

  rig.engine.PositionBarPressed();
  rig.engine.Stop();
  EXPECT_FALSE(rig.engine.state.Dragging);
  rig.engine.Start();
  rig.engine.PositionBarPressed();
  rig.engine.PrepareSong(Preparation::Full);
  EXPECT_FALSE(rig.engine.state.Dragging);
}

TEST(EngineDataError, StopsAndDisablesPlaying) {
  EngineRig rig;
  rig.Prepare({{1}});
  rig.engine.Start();
  rig.engine.ShowDataError();
  EXPECT_FALSE(rig.timer.Running());
  EXPECT_EQ(rig.display.labels[PlayerLabel::Title], "データ・エラー");
  EXPECT_FALSE(rig.display.commands.start);
  EXPECT_FALSE(rig.display.enabled[PlayerControl::PositionBar]);
  EXPECT_TRUE(rig.display.enabled[PlayerControl::Next]);
  EXPECT_TRUE(rig.display.enabled[PlayerControl::Previous]);
}

TEST(EnginePrepare, ReopensAClosedDevice) {
  EngineRig rig;
  rig.devices.CloseDevice();
  EXPECT_FALSE(rig.devices.Out().IsOpen());
  rig.Prepare({{1}});
  EXPECT_TRUE(rig.devices.Out().IsOpen());
  EXPECT_TRUE(rig.devices.Items()[0].checked);
}

}  // namespace
}  // namespace poronka

namespace poronka {
namespace {

class FakeMedia : public MediaTransport {
 public:
  void Close() override { calls.push_back("close"); }
  void Play() override { calls.push_back("play"); }
  void StopAndRewind() override { calls.push_back("stop"); }
  void Pause() override { calls.push_back("pause"); }
  std::vector<std::string> calls;
};

TEST(EngineMedia, StartStopAndPauseActOnTheMediaPlayer) {
  testing::EngineRig rig;
  FakeMedia media;
  rig.engine.SetMediaTransport(&media);
  rig.Prepare({{1}});
  rig.engine.state.MediaActive = true;
  rig.engine.Start();
  EXPECT_FALSE(rig.timer.Running());
  EXPECT_TRUE(rig.Lines().empty());  // no channel set-up for media
  rig.engine.TogglePause();
  rig.engine.TogglePause();
  rig.engine.Stop();
  EXPECT_EQ(media.calls, (std::vector<std::string>{"play", "pause", "play", "stop"}));
  EXPECT_EQ(rig.Lines().size(), 4u);  // the default tone and effects of channel 0 only
  // Preparing a score closes the media player.
  rig.engine.PrepareSong(Preparation::Full);
  EXPECT_FALSE(rig.engine.state.MediaActive);
  EXPECT_EQ(media.calls.back(), "close");
}

}  // namespace
}  // namespace poronka
