#include "interchange/smf_import.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <stdexcept>

#include "core/load_hooks.h"
#include "core/text_codec.h"
#include "interchange/smf_builder.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::SmfFile;
using testing::TrackBuilder;

class FakeLoading : public LoadProgress {
 public:
  void Open(const std::string& c) override {
    caption = c;
    ++opened;
  }
  int Position() const override { return position; }
  void StepIt() override {
    if (position < 120) ++position;
    history.push_back(position);
  }
  void SetToMax() override { position = 120; }
  void Close() override { ++closed; }
  std::string caption;
  int opened = 0, closed = 0, position = 0;
  std::vector<int> history;
};

class FakeHooks : public SmfImportHooks {
 public:
  void BeginLoad() override { log.push_back("begin"); }
  void PrepareSongFull(Score& s, Messages& msgs) override {
    log.push_back("prepare");
    SmfImportHooks::PrepareSongFull(s, msgs);
  }
  void PrefixCaption(const std::string& t) override { log.push_back("caption " + t); }
  void PlayAsMedia(const std::string& p, const std::string& t) override {
    log.push_back("media " + p + " " + t);
  }
  void CloseMedia() override { log.push_back("close media"); }
  void ShowDataError() override { log.push_back("data error"); }
  void ApplyKeyShift(int k) override { log.push_back("key " + std::to_string(k)); }
  void FocusStart() override { log.push_back("focus"); }
  void ProcessEvents() override {
    ++events;
    if (throwWhenBarAbove >= 0 && loading.position > throwWhenBarAbove)
      throw std::runtime_error("interrupted");
  }
  LoadProgress* Loading() override { return withLoading ? &loading : nullptr; }
  bool Logged(const std::string& what) const {
    return std::find(log.begin(), log.end(), what) != log.end();
  }
  std::vector<std::string> log;
  FakeLoading loading;
  bool withLoading = true;
  int throwWhenBarAbove = -1;
  long events = 0;
};

class SmfImportTest : public ::testing::Test {
 protected:
  SmfImportTest() {
    score.FileName = "/some/folder/song.mid";
    score.Title = "previous";
    score.RowCount = 7;
  }
  SmfImportResult Import(const std::string& bytes, const std::string& position = "") {
    return ImportSmfBytes(score, bytes, settings, msgs, hooks, position);
  }
  // Columns of a row as pitches.
  std::vector<int32_t> RowPitches(int32_t row) const {
    std::vector<int32_t> out;
    ForEachNote(score.RowNotes[row], [&](int, int32_t c) { out.push_back(score.ColumnPitch[c]); });
    return out;
  }
  Score score;
  SoundSettings settings;
  RecordingMessages msgs;
  FakeHooks hooks;
};

// Notes on channel 1, one per tick value, all with key 60 unless given.
TrackBuilder NotesAt(const std::vector<uint32_t>& ticks, int key = 60) {
  TrackBuilder t;
  uint32_t at = 0;
  for (uint32_t tick : ticks) {
    t.NoteOn(tick - at, 1, key);
    at = tick;
  }
  return t;
}

// ---- refusals ---------------------------------------------------------------

TEST_F(SmfImportTest, RefusesWhatIsNotAFormat0Or1FileAndKeepsTheScore) {
  std::string good = SmfFile(0, 480, {NotesAt({0, 120})});
  std::string noMagic = good;
  noMagic[0] = 'R';
  EXPECT_EQ(Import(noMagic).status, SmfImportStatus::NotStandard);
  std::string format2 = SmfFile(2, 480, {NotesAt({0, 120})});
  EXPECT_EQ(Import(format2).status, SmfImportStatus::NotStandard);
  EXPECT_EQ(msgs.Texts(), (std::vector<std::string>{kSmfNotStandardMessage, kSmfNotStandardMessage}));
  // Refused before the header was accepted: no loading window, Start untouched.
  EXPECT_EQ(hooks.loading.opened, 0);
  EXPECT_FALSE(hooks.Logged("begin"));
  EXPECT_EQ(score.Title, "previous");
  EXPECT_EQ(score.RowCount, 7);
}

TEST_F(SmfImportTest, TimeCodeDivisionIsRefusedAfterTheWindowOpened) {
  std::string smpte = SmfFile(1, 0xE728, {NotesAt({0, 120})});
  EXPECT_EQ(Import(smpte).status, SmfImportStatus::Unsupported);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kSmfUnsupportedMessage});
  EXPECT_EQ(hooks.loading.opened, 1);
  EXPECT_EQ(hooks.loading.closed, 1);
  EXPECT_FALSE(hooks.Logged("begin"));
  EXPECT_EQ(score.Title, "previous");
}

TEST_F(SmfImportTest, FileEndingInsideAChunkOrEventIsAnIoError) {
  TrackBuilder t = NotesAt({0, 120, 240});
  t.Meta(0, 0x03, "name").EndOfTrack(0);
  std::string good = SmfFile(0, 480, {t});
  // Every cut inside the track chunk fails the same way and leaves the Score.
  for (size_t len = 15; len < good.size(); ++len) {
    RecordingMessages m;
    FakeHooks h;
    SmfImportResult r = ImportSmfBytes(score, good.substr(0, len), settings, m, h);
    ASSERT_EQ(r.status, SmfImportStatus::IoError) << len;
    ASSERT_EQ(m.Texts(), std::vector<std::string>{kSmfIoErrorMessage});
    ASSERT_EQ(h.loading.closed, h.loading.opened);
    ASSERT_TRUE(h.Logged("begin"));  // Start stays disabled
    ASSERT_FALSE(h.Logged("data error"));
  }
  EXPECT_EQ(score.Title, "previous");
  // Cut right after the header: no chunk at all, so no notes.
  EXPECT_EQ(Import(good.substr(0, 14)).status, SmfImportStatus::NoNotes);
  // A short header is an I/O error.
  EXPECT_EQ(Import(std::string("MThd\0\0\0\6\0", 9)).status, SmfImportStatus::IoError);
}

TEST_F(SmfImportTest, DivisionBelow16FailsOnlyOnceANoteIsTaken) {
  EXPECT_EQ(Import(SmfFile(0, 15, {NotesAt({0, 5})})).status, SmfImportStatus::IoError);
  TrackBuilder silent;
  silent.NoteOff(0, 1, 60).EndOfTrack(10);
  EXPECT_EQ(Import(SmfFile(0, 15, {silent})).status, SmfImportStatus::NoNotes);
  EXPECT_EQ(msgs.Texts(), (std::vector<std::string>{kSmfIoErrorMessage, kSmfNoNotesMessage}));
}

TEST_F(SmfImportTest, OnlyNoteOnsWithVelocityOnTakenChannelsCount) {
  TrackBuilder t;
  t.NoteOn(0, 1, 60, 0)       // velocity 0
      .NoteOff(0, 1, 61)       // note-off
      .NoteOn(0, 10, 62)       // percussion channel, off by default
      .Raw(0, {0x90, 0x85, 90})  // key above 127
      .EndOfTrack(0);
  EXPECT_EQ(Import(SmfFile(0, 480, {t})).status, SmfImportStatus::NoNotes);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kSmfNoNotesMessage});
  EXPECT_EQ(score.Title, "previous");

  settings.ChannelEnabled[9] = true;
  msgs.entries.clear();
  ASSERT_EQ(Import(SmfFile(0, 480, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.ColumnCount, 1);
  EXPECT_EQ(score.ColumnPitch[1], 62);
}

TEST_F(SmfImportTest, NoMidConversionHandsTheFileOverUntouched) {
  settings.NoMidConversion = true;
  SmfImportResult r = Import("not even a midi file", "4");
  EXPECT_EQ(r.status, SmfImportStatus::HandedToMedia);
  EXPECT_EQ(hooks.log, std::vector<std::string>{"media /some/folder/song.mid 4"});
  EXPECT_TRUE(msgs.entries.empty());
  EXPECT_EQ(score.Title, "previous");
}

TEST_F(SmfImportTest, MissingFileIsAnIoError) {
  testing::TempDir dir;
  score.FileName = dir.File("absent.mid");
  EXPECT_EQ(ImportSmf(score, settings, msgs, hooks).status, SmfImportStatus::IoError);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kSmfIoErrorMessage});
}

// ---- reading ----------------------------------------------------------------

TEST_F(SmfImportTest, ReadsEveryChunkToTheEndWhateverTheTrackCountSays) {
  TrackBuilder a = NotesAt({0}, 60), b = NotesAt({120}, 64), c = NotesAt({240}, 67);
  std::string file = SmfFile(1, 480, {a, b}, /*trackCount=*/1);
  file += testing::Chunk("XYZW", c.data());  // any chunk type is read as a track
  ASSERT_EQ(Import(file).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.ColumnCount, 3);
  EXPECT_EQ(RowPitches(1), std::vector<int32_t>{60});
  EXPECT_EQ(RowPitches(2), std::vector<int32_t>{64});
  EXPECT_EQ(RowPitches(3), std::vector<int32_t>{67});
}

TEST_F(SmfImportTest, RunningStatusCarriesAcrossChunksAndPastMetaAndSysex) {
  TrackBuilder first;
  first.NoteOn(0, 1, 60).Raw(120, {0xF0, 3, 0x90, 0x41, 0xF7})  // sysex bytes are skipped
      .Raw(0, {0xF8})                                           // one-byte system event
      .Raw(0, {62, 100})                                        // still note-on, channel 1
      .EndOfTrack(0);
  TrackBuilder second;
  second.Raw(240, {64, 100});  // data bytes straight away: running status of chunk 1
  ASSERT_EQ(Import(SmfFile(1, 480, {first, second})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.ColumnCount, 3);
  EXPECT_EQ(RowPitches(1), std::vector<int32_t>{60});
  EXPECT_EQ(RowPitches(2), std::vector<int32_t>{62});
  EXPECT_EQ(RowPitches(3), std::vector<int32_t>{64});
}

TEST_F(SmfImportTest, ProgramChangeTakesOneDataByteAndAFourByteDeltaEndsAtItsFourthByte) {
  TrackBuilder t;
  t.NoteOn(0, 1, 60).Raw(0, {0xC0, 5}).Raw(0, {7})  // running program change, one byte
      .Raw(0, {0x90, 62, 100});
  // Delta 0x80 0x80 0x80 0x80: four bytes, all with the top bit, still ends = 0.
  std::string d = t.data();
  d += std::string("\x80\x80\x80\x80", 4);
  d += std::string("\x90\x40\x64", 3);  // note 64 at tick 0 as well
  std::string file = SmfFile(0, 480, {}) + testing::Chunk("MTrk", d);
  ASSERT_EQ(Import(file).status, SmfImportStatus::Ok);
  EXPECT_EQ(RowPitches(1), (std::vector<int32_t>{60, 62, 64}));
}

// ---- the grid ---------------------------------------------------------------

TEST_F(SmfImportTest, SixteenthNotesAt480GiveUnit4) {
  TrackBuilder t = NotesAt({0, 120, 240, 360, 480});
  t.EndOfTrack(120);
  ASSERT_EQ(Import(SmfFile(0, 480, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 16);
  EXPECT_EQ(score.RowsPerBar, 16);
  EXPECT_EQ(score.HalfPeriod, 62);
  EXPECT_EQ(score.Bpm, 121);
  EXPECT_EQ(score.PreRows, 0);
  for (int r = 1; r <= 5; ++r) EXPECT_EQ(RowPitches(r), std::vector<int32_t>{60}) << r;
  // The song ends at tick 600, row 5, and four empty rows follow.
  EXPECT_EQ(score.RowCount, 9);
  EXPECT_EQ(NoteCountOf(score.RowNotes[6]), 0);
}

TEST_F(SmfImportTest, TempoAndThreeFourOnAnEighthGrid) {
  TrackBuilder t;
  t.Tempo(0, 600000).TimeSignature(0, 3, 2).Tempo(0, 300000).TimeSignature(0, 7, 3);
  for (int i = 0; i < 6; ++i) t.NoteOn(i == 0 ? 0 : 240, 1, 60 + i);
  t.EndOfTrack(240);
  ASSERT_EQ(Import(SmfFile(0, 480, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 8);
  EXPECT_EQ(score.RowsPerBar, 6);
  EXPECT_EQ(score.HalfPeriod, 150);
  EXPECT_EQ(score.RowCount, 6 + 4);
  EXPECT_EQ(score.BarAdjust.size(), static_cast<size_t>((10 - 1) / 6 + 2));
  for (int r = 1; r <= 6; ++r) EXPECT_EQ(RowPitches(r), std::vector<int32_t>{59 + r});
}

TEST_F(SmfImportTest, OddStartsAndTripletOffsetsAreMovedOntoTheGrid) {
  // Division 16: one tick is one 64th. Starts 1, 3, 5, 7 are all odd.
  ASSERT_EQ(Import(SmfFile(0, 16, {NotesAt({1, 3, 5, 7})})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 32);
  EXPECT_EQ(NoteCountOf(score.RowNotes[1]), 0);
  for (int r = 2; r <= 4; ++r) EXPECT_EQ(NoteCountOf(score.RowNotes[r]), 1) << r;

  // Starts two 64ths after a multiple of 3: divided by 3 with offset 1.
  TrackBuilder t = NotesAt({2, 5, 8, 11});
  t.EndOfTrack(0);
  ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 64 / 3);
  EXPECT_EQ(score.RowCount, 11 / 3 + 4);
  EXPECT_EQ(NoteCountOf(score.RowNotes[1]), 0);
  for (int r = 2; r <= 5; ++r) EXPECT_EQ(NoteCountOf(score.RowNotes[r]), 1) << r;
}

TEST_F(SmfImportTest, StartsAreRoundedToTheNearest64thHalvesUp) {
  // Division 480: D = 30, so tick 14 is 64th 0 and tick 15 is 64th 1.
  ASSERT_EQ(Import(SmfFile(0, 480, {NotesAt({14, 15, 45, 75})})).status, SmfImportStatus::Ok);
  // 64ths 0, 1, 2, 3 (tick 45 -> (15 + 45) div 30 = 2): a 64th grid.
  EXPECT_EQ(score.NoteValue, 64);
  for (int r = 1; r <= 4; ++r) EXPECT_EQ(NoteCountOf(score.RowNotes[r]), 1) << r;
}

TEST_F(SmfImportTest, DivisionsNotAMultipleOf16CountSixtyFourthsExactly) {
  // 120 ticks a quarter: eighth notes every 60 ticks are 64ths 0, 8, 16, ...
  std::vector<uint32_t> ticks;
  for (uint32_t i = 0; i < 32; ++i) ticks.push_back(60 * i);
  TrackBuilder t = NotesAt(ticks);
  t.EndOfTrack(60);
  ASSERT_EQ(Import(SmfFile(0, 120, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 8);
  EXPECT_EQ(score.RowCount, 32 + 4);
  for (int r = 1; r <= 32; ++r) EXPECT_EQ(NoteCountOf(score.RowNotes[r]), 1) << r;
  // Division 25: ticks 12 and 25 are 64ths (12 + 192) div 25 = 8 and 16.
  TrackBuilder u = NotesAt({0, 12, 25});
  u.EndOfTrack(0);
  ASSERT_EQ(Import(SmfFile(0, 25, {u})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 8);
  EXPECT_EQ(score.RowCount, 2 + 4);
}

TEST_F(SmfImportTest, GridStopsAtABarOrAWholeNote) {
  // One chord: every start is 0, divisible for ever. The grid ends at the cap.
  TrackBuilder chord;
  chord.NoteOn(0, 1, 60).NoteOn(0, 1, 64).EndOfTrack(480);
  ASSERT_EQ(Import(SmfFile(0, 480, {chord})).status, SmfImportStatus::Ok);
  EXPECT_GE(score.NoteValue, 1);
  EXPECT_EQ(score.NoteValue, 1);  // U = 60
  EXPECT_EQ(score.RowsPerBar, 1);
  EXPECT_EQ(RowPitches(1), (std::vector<int32_t>{60, 64}));

  // 3/8: the cap is 64 * 3 div 8 = 24 64ths; starts 0 and 48 end on U = 24.
  TrackBuilder t;
  t.TimeSignature(0, 3, 3).NoteOn(0, 1, 60).NoteOn(48, 1, 62).EndOfTrack(0);
  ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.NoteValue, 2);
  EXPECT_EQ(score.RowsPerBar, 1);  // 3 * 2 div 8 = 0, raised to 1
  EXPECT_EQ(score.HalfPeriod, 375);
  EXPECT_EQ(RowPitches(1), std::vector<int32_t>{60});
  EXPECT_EQ(RowPitches(3), std::vector<int32_t>{62});
}

// ---- columns, shift and placement --------------------------------------------

TEST_F(SmfImportTest, KeysAbove119AreShiftedDownWithTheMessage) {
  TrackBuilder t;
  for (int k = 20; k <= 127; ++k) t.NoteOn(0, 1, k);
  t.NoteOn(16, 1, 20);
  ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{SmfShiftMessage(8)});
  EXPECT_EQ(msgs.Texts()[0], "使用範囲を超える高音があり、音程を－8移動しました。");
  EXPECT_EQ(score.ColumnCount, 108);
  EXPECT_EQ(score.ColumnPitch[1], 12);
  EXPECT_EQ(score.ColumnPitch[108], 119);
  EXPECT_EQ(Utf16ToUtf8(score.OctaveLine.substr(0, 2)), "11");
  EXPECT_EQ(Utf16ToUtf8(score.LetterLine.substr(0, 3)), "CcD");
  EXPECT_EQ(score.OctaveLine.back(), u'9');
  EXPECT_EQ(score.LetterLine.back(), u'B');
}

TEST_F(SmfImportTest, KeysThatStillDoNotFitAreLeftOut) {
  TrackBuilder t;
  for (int k = 5; k <= 127; ++k) t.NoteOn(0, 1, k);
  t.NoteOn(16, 1, 126).NoteOn(0, 1, 70);
  ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{SmfOutOfRangeMessage(5)});
  EXPECT_EQ(msgs.Texts()[0],
            "使用範囲を超える高音があり、音程を－5移動\nしましたが、範囲内に入らない音がありました。");
  EXPECT_EQ(score.ColumnCount, 120);  // keys 5..124
  EXPECT_EQ(score.ColumnPitch[120], 119);
  // Row 2 held keys 126 and 70: only 70 (as 65) is left.
  EXPECT_EQ(RowPitches(2), std::vector<int32_t>{65});
}

TEST_F(SmfImportTest, SixteenKeysAtOneStartKeepTheFifteenLowest) {
  for (bool descending : {false, true}) {
    TrackBuilder t;
    for (int i = 0; i < 16; ++i) t.NoteOn(0, 1, descending ? 75 - i : 60 + i);
    t.NoteOn(16, 1, 60);
    ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
    const RowSlots& row = score.RowNotes[1];
    for (int k = 0; k <= 8; ++k) EXPECT_EQ(row[k], k + 1) << descending;
    EXPECT_EQ(row[9], 0);
    for (int k = 10; k <= 15; ++k) EXPECT_EQ(row[k], k) << descending;
    EXPECT_EQ(score.MaxSlot, 15);
    EXPECT_EQ(score.ColumnCount, 16);
  }
}

TEST_F(SmfImportTest, SameKeyTwiceInARowIsOneNoteAndMaxSlotIsTheHighestUsed) {
  TrackBuilder t;
  t.NoteOn(0, 1, 64).NoteOn(0, 2, 64).NoteOn(0, 1, 60).NoteOn(16, 1, 67);
  ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(RowPitches(1), (std::vector<int32_t>{60, 64}));
  EXPECT_EQ(score.MaxSlot, 1);
}

TEST_F(SmfImportTest, NotesPastTheEndOfTheSongAreDropped) {
  TrackBuilder t;
  t.NoteOn(0, 1, 60).EndOfTrack(4);  // song ends at 64th 4
  TrackBuilder late;
  for (int i = 1; i <= 12; ++i) late.NoteOn(1, 1, 60);
  ASSERT_EQ(Import(SmfFile(1, 16, {t, late})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.RowCount, 8);
  for (int r = 1; r <= 8; ++r) EXPECT_EQ(NoteCountOf(score.RowNotes[r]), 1) << r;
  // Row 0 is the copy of the last row after the preparation.
  EXPECT_EQ(score.RowNotes[0], score.RowNotes[8]);
}

// ---- header values and texts --------------------------------------------------

TEST_F(SmfImportTest, TitleIsNoTitleWithoutTexts) {
  ASSERT_EQ(Import(SmfFile(0, 480, {NotesAt({0, 120})})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.Title, "NO_Title");
}

TEST_F(SmfImportTest, FirstTextBecomesTitleAndNoticeTheSecondLine) {
  TrackBuilder t;
  t.Meta(0, 0x03, "")  // empty: not taken
      .Meta(0, 0x03, Utf8ToCp932("オルゴール"))
      .Meta(0, 0x01, "later text")
      .Meta(0, 0x02, "(c) someone")
      .Meta(0, 0x02, "second notice");
  t.NoteOn(0, 1, 60).NoteOn(120, 1, 62);
  ASSERT_EQ(Import(SmfFile(0, 480, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.Title, "オルゴール\r\n(c) someone");

  TrackBuilder only;
  only.Meta(0, 0x02, std::string(5000, 'x')).NoteOn(0, 1, 60);
  ASSERT_EQ(Import(SmfFile(0, 480, {only})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.Title, "NO_Title\r\n" + std::string(4096, 'x'));
}

TEST_F(SmfImportTest, SuccessRunsThePreparationAndPrefixesThePosition) {
  hooks.withLoading = true;
  ASSERT_EQ(Import(SmfFile(0, 480, {NotesAt({0, 120})}), "3").status, SmfImportStatus::Ok);
  auto prepare = std::find(hooks.log.begin(), hooks.log.end(), "prepare");
  ASSERT_NE(prepare, hooks.log.end());
  EXPECT_EQ(*(prepare + 1), "caption 3");
  EXPECT_EQ(hooks.log.back(), "focus");
  EXPECT_FALSE(score.Modified);
  EXPECT_EQ(hooks.loading.caption, "song.mid");
  EXPECT_EQ(hooks.loading.closed, 1);

  hooks.log.clear();
  ASSERT_EQ(Import(SmfFile(0, 480, {NotesAt({0, 120})})).status, SmfImportStatus::Ok);
  for (const auto& l : hooks.log) EXPECT_NE(l.rfind("caption", 0), 0u) << l;
}

TEST_F(SmfImportTest, LoadingBarOnlyMovesForwardAndEndsAt120) {
  TrackBuilder t;
  for (int i = 0; i < 300; ++i) t.NoteOn(i ? 120 : 0, 1, 50 + i % 20);
  t.EndOfTrack(120);
  ASSERT_EQ(Import(SmfFile(0, 480, {t})).status, SmfImportStatus::Ok);
  const auto& h = hooks.loading.history;
  ASSERT_FALSE(h.empty());
  for (size_t i = 1; i < h.size(); ++i) ASSERT_EQ(h[i], h[i - 1] + 1);
  EXPECT_EQ(h.back(), 120);
  EXPECT_GT(hooks.events, 600);  // events read, notes examined and placed
}

// ---- pitch adjustment ------------------------------------------------------

TEST_F(SmfImportTest, PitchAdjustmentRaisesLowSongsTowardKey78) {
  // Columns 48 and 72 average 60: +18.
  TrackBuilder t;
  t.NoteOn(0, 1, 48).NoteOn(16, 1, 72);
  SmfImportResult r = Import(SmfFile(0, 16, {t}));
  EXPECT_EQ(r.keyShift, 18);
  EXPECT_TRUE(hooks.Logged("key 18"));

  // Columns 10, 30, 110 average 50: 28, at most 24, then 127 - 110 = 17.
  TrackBuilder u;
  u.NoteOn(0, 1, 10).NoteOn(16, 1, 30).NoteOn(16, 1, 110);
  EXPECT_EQ(Import(SmfFile(0, 16, {u})).keyShift, 17);
  // Columns 20 and 60 average 40: 24 fits under 127.
  TrackBuilder v;
  v.NoteOn(0, 1, 20).NoteOn(16, 1, 60);
  EXPECT_EQ(Import(SmfFile(0, 16, {v})).keyShift, 24);

  // Averaging 78 or more: nothing.
  TrackBuilder w;
  w.NoteOn(0, 1, 78).NoteOn(16, 1, 90);
  hooks.log.clear();
  EXPECT_EQ(Import(SmfFile(0, 16, {w})).keyShift, 0);
  EXPECT_FALSE(hooks.Logged("key 0"));

  settings.SmfPitchAdjust = false;
  EXPECT_EQ(Import(SmfFile(0, 16, {t})).keyShift, 0);
  EXPECT_TRUE(msgs.entries.empty());
}

// ---- limits and message order ---------------------------------------------

TEST_F(SmfImportTest, RowLimitAndMessagesInOrder) {
  TrackBuilder t;
  t.Tempo(0, 1000)  // 1 ms per quarter: HalfPeriod 0, raised to the timer minimum
      .NoteOn(0, 1, 60)
      .NoteOn(1, 1, 125)
      .NoteOn(149999, 1, 62)  // row 150001: beyond the limit
      .EndOfTrack(50000);     // song end at 64th 200000
  ASSERT_EQ(Import(SmfFile(0, 16, {t})).status, SmfImportStatus::Ok);
  EXPECT_EQ(score.RowCount, kMaxImportRows);
  EXPECT_EQ(score.HalfPeriod, kDefaultTimerMinPeriod);
  EXPECT_EQ(msgs.Texts(), (std::vector<std::string>{SmfShiftMessage(6), kTimerPrecisionMessage,
                                                    kSmfRowLimitMessage}));
  EXPECT_EQ(score.ColumnCount, 3);  // a key whose notes are all dropped keeps its column
  EXPECT_EQ(score.RowNotes.size(), static_cast<size_t>(kMaxImportRows) + 1);
  EXPECT_EQ(RowPitches(1), std::vector<int32_t>{54});
  EXPECT_EQ(RowPitches(2), std::vector<int32_t>{119});
  EXPECT_EQ(score.BarAdjust.size(), static_cast<size_t>((kMaxImportRows - 1) / 64 + 2));
}

TEST_F(SmfImportTest, FailureWhileBuildingEntersTheDataErrorState) {
  hooks.throwWhenBarAbove = 100;  // the grid search is interrupted
  SmfImportResult r = Import(SmfFile(0, 480, {NotesAt({0, 120, 240, 360})}));
  EXPECT_EQ(r.status, SmfImportStatus::BuildError);
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kSmfBuildErrorMessage});
  auto media = std::find(hooks.log.begin(), hooks.log.end(), "close media");
  ASSERT_NE(media, hooks.log.end());
  EXPECT_EQ(*(media + 1), "data error");
  EXPECT_EQ(hooks.loading.closed, 1);
  EXPECT_EQ(score.Title, "previous");
  EXPECT_EQ(score.RowCount, 7);
}

// ---- robustness ---------------------------------------------------------------

TEST_F(SmfImportTest, RandomAndMutatedFilesNeverCrash) {
  TrackBuilder t;
  t.Tempo(0, 500000).TimeSignature(0, 3, 2).Meta(0, 3, "title");
  for (int i = 0; i < 40; ++i) t.NoteOn(i % 3 ? 60 : 0, 1 + i % 4, 40 + i);
  t.Raw(0, {0xF0, 2, 1, 0xF7}).EndOfTrack(10);
  const std::string good = SmfFile(1, 96, {t, NotesAt({0, 24, 48}, 70)});
  std::mt19937 rng(12345);
  hooks.withLoading = true;
  for (int iter = 0; iter < 3000; ++iter) {
    std::string f = good;
    int flips = 1 + rng() % 8;
    for (int k = 0; k < flips; ++k) f[14 + rng() % (f.size() - 14)] = static_cast<char>(rng());
    if (iter % 3 == 0) f.resize(rng() % f.size());
    if (iter % 7 == 0) {
      f = "MThd";
      f.resize(4 + rng() % 200);
      for (size_t i = 4; i < f.size(); ++i) f[i] = static_cast<char>(rng());
      f[9] = static_cast<char>(rng() % 2);
    }
    RecordingMessages m;
    FakeHooks h;
    Score s;
    SmfImportResult r = ImportSmfBytes(s, f, settings, m, h);
    ASSERT_FALSE(m.entries.empty() && r.status != SmfImportStatus::Ok);
    ASSERT_EQ(h.loading.opened, h.loading.closed);
    if (r.status == SmfImportStatus::Ok) {
      ASSERT_EQ(s.RowNotes.size(), static_cast<size_t>(s.RowCount) + 1);
      ASSERT_GE(s.NoteValue, 1);
      ASSERT_GE(s.RowsPerBar, 1);
      ASSERT_GE(s.ColumnCount, 1);
      ASSERT_LE(s.ColumnPitch[s.ColumnCount], 119);
    }
  }
}

}  // namespace
}  // namespace poronka
