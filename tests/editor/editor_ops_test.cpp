#include "editor/editor_ops.h"

#include <gtest/gtest.h>

#include "editor/editor_test_support.h"
#include "editor/row_ops.h"

namespace poronka::editor {
namespace {

using testing::EditorFixture;

constexpr uint32_t NoteOn(int ch, int key) { return ShortMessage(0x90 + ch, key, 100); }

TEST(RowLabels, PreRowsBarAdjustAndTableEnd) {
  Score s;
  MakeNewSong(s);
  s.PreRows = 1;
  std::vector<BarBeat> l = RowLabels(s);
  EXPECT_EQ(LabelText(l[1]), "1･2");
  EXPECT_EQ(LabelText(l[3]), "1･4");
  EXPECT_EQ(LabelText(l[4]), "2･1");
  EXPECT_EQ(LabelText(RowLabelOf(s, 4)), "2･1");
  // A lengthened bar, and a table shorter than the bars: missing entries are 0.
  s.PreRows = 0;
  s.BarAdjust.assign(3, 0);
  s.BarAdjust[2] = 2;
  l = RowLabels(s);
  EXPECT_EQ(LabelText(l[10]), "2･6");
  EXPECT_EQ(LabelText(l[11]), "3･1");
  EXPECT_EQ(LabelText(l[300]), "75･2");
  EXPECT_EQ(LabelText(RowLabelOf(s, 300)), "75･2");
  BarBeat b;
  ASSERT_TRUE(ParseLabel("12･ 3", b));
  EXPECT_EQ(b.bar, 12);
  EXPECT_EQ(b.beat, 3);
  EXPECT_FALSE(ParseLabel("12", b));
}

TEST(PitchLetters, FlatDisplayNeverChangesTheScore) {
  Score s;
  s.OctaveLine = u"6666666";
  s.LetterLine = u"cfadgCB";
  DeriveColumnPitches(s);
  EXPECT_EQ(ColumnNameShown(s, 1, true), "6d");
  EXPECT_EQ(ColumnNameShown(s, 2, true), "6g");
  EXPECT_EQ(ColumnNameShown(s, 3, true), "6b");
  EXPECT_EQ(ColumnNameShown(s, 4, true), "6e");
  EXPECT_EQ(ColumnNameShown(s, 5, true), "6a");
  EXPECT_EQ(ColumnNameShown(s, 6, true), "6C");
  EXPECT_EQ(ColumnNameShown(s, 1, false), "6c");
  EXPECT_EQ(ColumnNameShown(s, 3, false), "6a");
  EXPECT_EQ(s.LetterLine, u"cfadgCB");
}

TEST(Labels, HeaderAndCursorTexts) {
  Score s;
  MakeNewSong(s);
  EXPECT_EQ(SpeedLabel(s), "速度:750mS／行");
  EXPECT_EQ(PhraseLabel(s), "4行/小節");
  EXPECT_EQ(NoteLabel(s, true), "4分音符／行");
  EXPECT_EQ(NoteLabel(s, false), "4分音符");
  EXPECT_EQ(CursorText(s, {13, GridRowOf(5)}, false), "(5)2･1=5C");
  EXPECT_EQ(CursorText(s, {14, GridRowOf(5)}, true), "(5)2･1=5d");
}

TEST(Show, EmptyScoreBecomesNewAndSetsUpMidi) {
  EditorFixture f;
  f.session.NeedsPrepare = true;
  f.OpenNew();
  EXPECT_EQ(f.score.ColumnCount, 36);
  EXPECT_EQ(f.score.RowCount, 300);
  EXPECT_EQ(f.score.Title, "無題");
  EXPECT_FALSE(f.state.undo.undoEnabled());
  EXPECT_FALSE(f.state.undo.redoEnabled());
  EXPECT_FALSE(f.session.NeedsPrepare);
  EXPECT_EQ(f.state.cursor, (GridCell{1, 2}));
  // 15 channels x 7 messages; channel 9 left alone.
  ASSERT_EQ(f.host.sent.size(), 105u);
  EXPECT_EQ(f.host.sent[0], 0x0000B0u);
  EXPECT_EQ(f.host.sent[2], 0x000AC0u);
  EXPECT_EQ(f.host.sent[4], 0x285BB0u);
  for (uint32_t m : f.host.sent) EXPECT_NE(m & 0x0F, 9u);
}

TEST(Toggle, AddSoundsAndRemoveShiftsDown) {
  EditorFixture f;
  f.OpenNew();
  f.host.sent.clear();
  ASSERT_TRUE(f.Click(5, 3));
  EXPECT_TRUE(CellMarked(f.score, 5, GridRowOf(3)));
  ASSERT_EQ(f.host.sent.size(), 1u);
  EXPECT_EQ(f.host.sent[0], NoteOn(0, 52));
  EXPECT_TRUE(f.score.Modified);
  EXPECT_TRUE(f.session.NeedsPrepare);
  EXPECT_TRUE(f.state.undo.undoEnabled());
  EXPECT_FALSE(f.state.toggleArmed);
  ASSERT_TRUE(f.Click(9, 3));
  ASSERT_TRUE(f.Click(2, 3));
  ASSERT_TRUE(f.Click(7, 3));
  EXPECT_EQ(f.Columns(3), (std::vector<int32_t>{2, 5, 7, 9}));
  EXPECT_EQ(f.score.MaxSlot, 3);
  ASSERT_TRUE(f.Click(5, 3));
  EXPECT_EQ(f.Columns(3), (std::vector<int32_t>{2, 7, 9}));
  EXPECT_EQ(f.score.RowNotes[3][3], 0);
  EXPECT_EQ(f.score.MaxSlot, 3);  // removing never lowers it
  // With ChkSon off nothing sounds.
  f.state.soundOnCursor = false;
  f.host.sent.clear();
  ASSERT_TRUE(f.Click(1, 3));
  EXPECT_TRUE(f.host.sent.empty());
}

TEST(Toggle, TenthNoteSkipsSlotNine) {
  EditorFixture f;
  f.OpenNew();
  for (int c = 1; c <= 10; ++c) ASSERT_TRUE(f.Click(c * 2, 1));
  const RowSlots& row = f.score.RowNotes[1];
  EXPECT_EQ(row[8], 18);
  EXPECT_EQ(row[9], 0);
  EXPECT_EQ(row[10], 20);
  EXPECT_EQ(f.score.MaxSlot, 10);
  // Removing the ninth moves the tenth down into slot 8.
  ASSERT_TRUE(f.Click(18, 1));
  EXPECT_EQ(row[8], 20);
  EXPECT_EQ(row[10], 0);
  EXPECT_EQ(row[9], 0);
}

TEST(Toggle, FullRows) {
  EditorFixture f;
  f.OpenNew();
  for (int c = 2; c <= 16; ++c) ASSERT_TRUE(f.Click(c, 1));
  EXPECT_EQ(NoteCountOf(f.score.RowNotes[1]), 15);
  EXPECT_EQ(f.score.MaxSlot, 15);
  const int undoBefore = f.state.undo.undoCount();
  const int posBefore = f.state.undo.position();
  f.host.sent.clear();
  // A 16th note above all of them changes nothing at all.
  EXPECT_FALSE(f.Click(20, 1));
  EXPECT_FALSE(CellMarked(f.score, 20, GridRowOf(1)));
  EXPECT_TRUE(f.host.sent.empty());
  EXPECT_EQ(f.state.undo.undoCount(), undoBefore);
  EXPECT_EQ(f.state.undo.position(), posBefore);
  EXPECT_FALSE(f.state.toggleArmed);
  // A lower note goes in and the highest is dropped.
  ASSERT_TRUE(f.Click(1, 1));
  EXPECT_TRUE(CellMarked(f.score, 1, GridRowOf(1)));
  EXPECT_FALSE(CellMarked(f.score, 16, GridRowOf(1)));
  EXPECT_EQ(f.Columns(1).size(), 15u);
  EXPECT_EQ(f.score.RowNotes[1][9], 0);
  EXPECT_EQ(f.score.RowNotes[1][15], 15);
  // Undo brings the dropped note back.
  UndoStep(f.ctx);
  EXPECT_TRUE(CellMarked(f.score, 16, GridRowOf(1)));
  EXPECT_FALSE(CellMarked(f.score, 1, GridRowOf(1)));
}

TEST(Toggle, MaxSlotRaisedOnlyByMovedNotes) {
  EditorFixture f;
  f.OpenNew();
  ASSERT_TRUE(f.Click(10, 1));
  ASSERT_TRUE(f.Click(11, 1));
  EXPECT_EQ(f.score.MaxSlot, 1);
  // Inserting below shifts the two notes up: slot 2 is reached by a moved note.
  ASSERT_TRUE(f.Click(3, 1));
  EXPECT_EQ(f.score.MaxSlot, 2);
  EXPECT_EQ(f.Columns(1), (std::vector<int32_t>{3, 10, 11}));
}

TEST(Toggle, NothingOnSpareRowRangeOrWhenDisarmed) {
  EditorFixture f;
  f.OpenNew();
  EXPECT_FALSE(f.Click(3, 301));  // the spare row
  EXPECT_EQ(f.state.cursor, (GridCell{3, GridRowOf(301)}));
  f.Select(3, 5, 4, 6);
  f.state.toggleArmed = true;
  EXPECT_FALSE(ToggleNote(f.ctx));
  f.state.MoveTo({3, GridRowOf(5)});
  f.state.toggleArmed = false;
  EXPECT_FALSE(ToggleNote(f.ctx));
  EXPECT_FALSE(f.score.Modified);
  EXPECT_FALSE(f.state.undo.undoEnabled());
}

TEST(Sounding, UpAndDownStrikeTheRow) {
  EditorFixture f;
  f.OpenNew();
  f.Click(1, 2);
  f.Click(13, 2);
  f.host.sent.clear();
  f.state.MoveTo({5, GridRowOf(1)});
  SoundRowForMove(f.ctx, -1);  // above the first row
  EXPECT_TRUE(f.host.sent.empty());
  SoundRowForMove(f.ctx, +1);
  EXPECT_EQ(f.host.sent, (std::vector<uint32_t>{NoteOn(0, 48), NoteOn(1, 60)}));
  f.state.soundOnCursor = false;
  f.host.sent.clear();
  SoundRowForMove(f.ctx, +1);
  EXPECT_TRUE(f.host.sent.empty());
}

TEST(NewCommand, QuestionFlagsAndFileName) {
  EditorFixture f;
  f.OpenNew();
  f.Click(3, 3);
  f.messages.answers = {false};
  EXPECT_FALSE(NewScore(f.ctx));
  EXPECT_TRUE(CellMarked(f.score, 3, GridRowOf(3)));
  ASSERT_EQ(f.messages.Texts().back(), kClearQuestion);
  f.state.flatDisplay = true;
  f.session.NeedsPrepare = false;
  f.score.FileName = "/x/a.mld";
  EXPECT_TRUE(NewScore(f.ctx));
  EXPECT_FALSE(CellMarked(f.score, 3, GridRowOf(3)));
  EXPECT_FALSE(f.score.Modified);
  EXPECT_TRUE(f.session.NeedsPrepare);
  EXPECT_EQ(f.score.FileName, "/x/a.mld");
  EXPECT_FALSE(f.state.flatDisplay);

  f.session.NeedsPrepare = false;
  f.score.FileName = "/x/a.MBT";
  EXPECT_TRUE(NewScore(f.ctx));
  EXPECT_EQ(f.score.FileName, "");
  EXPECT_TRUE(f.session.NeedsPrepare);

  f.host.media = true;
  f.session.NeedsPrepare = false;
  f.score.FileName = "/x/a.mid";
  EXPECT_TRUE(NewScore(f.ctx));
  EXPECT_EQ(f.score.FileName, "/x/a.mid");
  EXPECT_FALSE(f.session.NeedsPrepare);
  f.host.media = false;
  EXPECT_TRUE(NewScore(f.ctx));
  EXPECT_EQ(f.score.FileName, "");
}

// New is the oldest reachable state: undo never brings back rows of the
// song it replaced under the new title and tempo.
TEST(NewCommand, NothingBeforeItCanBeUndone) {
  EditorFixture f;
  f.OpenNew();
  f.Click(3, 3);
  f.state.MoveTo({1, GridRowOf(1)});
  InsertRows(f.ctx, 1);  // 301 rows, the note now on row 4
  f.score.Title = "old";
  f.score.Modified = false;
  ASSERT_TRUE(NewScore(f.ctx));
  EXPECT_FALSE(f.state.undo.undoEnabled());
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::None);
  EXPECT_EQ(f.score.RowCount, 300);
  EXPECT_FALSE(CellMarked(f.score, 3, GridRowOf(4)));
  // Steps after New undo back to New and no further.
  f.Click(5, 5);
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::Toggle);
  EXPECT_FALSE(f.state.undo.undoEnabled());
  EXPECT_EQ(f.score.RowCount, 300);
}

TEST(Clipboard, CopyDescriptionAndPasteHints) {
  EditorFixture f;
  f.OpenNew();
  f.Click(13, 5);
  f.Click(15, 8);
  f.Select(13, 5, 15, 8);
  CopySelection(f.ctx);
  const Clipboard& c = f.session.clipboard;
  EXPECT_EQ(c.description, "2･1=5C→4:3");
  EXPECT_EQ(PasteButtonHint(c), "貼り付け2･1=5C→4:3");
  EXPECT_EQ(PasteMenuHint(c), "2･1=5C→4:3");
  EXPECT_TRUE(f.state.selection.IsSingleCell());
  EXPECT_TRUE(c.Mark(0, 0));
  EXPECT_TRUE(c.Mark(3, 2));
  EXPECT_FALSE(c.Mark(1, 1));
  // With flats shown the description takes the flat name.
  f.state.flatDisplay = true;
  f.Select(14, 5, 14, 5);
  CopySelection(f.ctx);
  EXPECT_EQ(c.description, "2･1=5d→1:1");
}

TEST(Clipboard, PasteErasesCutsOffAndKeepsFifteen) {
  EditorFixture f;
  f.OpenNew();
  // Nothing to paste before any copy.
  f.state.MoveTo({1, GridRowOf(1)});
  Paste(f.ctx);
  EXPECT_FALSE(f.score.Modified);
  EXPECT_FALSE(f.state.undo.undoEnabled());

  for (int c = 1; c <= 16; ++c) f.Click(c, 1);  // the 16th add is refused
  f.Click(20, 1);
  f.Click(1, 2);
  f.Select(1, 1, 20, 2);
  CopySelection(f.ctx);
  // Paste onto row 10 that already has marks: empty block cells erase them.
  f.Click(18, 10);
  f.Click(30, 10);
  f.state.MoveTo({1, GridRowOf(10)});
  Paste(f.ctx);
  std::vector<int32_t> expect;
  for (int c = 1; c <= 15; ++c) expect.push_back(c);
  EXPECT_EQ(f.Columns(10), expect);  // 16 marks: the 15 lowest stay
  EXPECT_EQ(f.Columns(11), (std::vector<int32_t>{1}));
  EXPECT_EQ(f.score.MaxSlot, 15);
  EXPECT_FALSE(CellMarked(f.score, 18, GridRowOf(10)));
  EXPECT_FALSE(CellMarked(f.score, 20, GridRowOf(10)));
  EXPECT_EQ(f.state.undo.at(f.state.undo.position()).kind, SnapshotKind::Paste);
  // Only the part inside the score is pasted.
  f.state.MoveTo({30, GridRowOf(300)});
  Paste(f.ctx);
  EXPECT_EQ(f.Columns(300), (std::vector<int32_t>{30, 31, 32, 33, 34, 35, 36}));
  // On the spare row nothing is pasted, but the step still counts.
  const int pos = f.state.undo.position();
  f.state.MoveTo({1, GridRowOf(301)});
  Paste(f.ctx);
  EXPECT_NE(f.state.undo.position(), pos);
  EXPECT_EQ(f.score.RowCount, 300);
}

TEST(UndoRing, EnablingAndFiveSteps) {
  EditorFixture f;
  f.OpenNew();
  EXPECT_FALSE(f.state.undo.undoEnabled());
  f.Click(1, 1);
  EXPECT_TRUE(f.state.undo.undoEnabled());
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::Toggle);
  EXPECT_FALSE(f.state.undo.undoEnabled());
  EXPECT_TRUE(f.state.undo.redoEnabled());
  EXPECT_FALSE(CellMarked(f.score, 1, GridRowOf(1)));
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::None);
  EXPECT_EQ(RedoStep(f.ctx), SnapshotKind::Toggle);
  EXPECT_TRUE(CellMarked(f.score, 1, GridRowOf(1)));
  EXPECT_FALSE(f.state.undo.redoEnabled());
  EXPECT_EQ(RedoStep(f.ctx), SnapshotKind::None);

  // Six more changes: only the last five can be undone.
  for (int r = 2; r <= 7; ++r) f.Click(r, r);
  int undone = 0;
  while (UndoStep(f.ctx) != SnapshotKind::None) ++undone;
  EXPECT_EQ(undone, 5);
  EXPECT_TRUE(CellMarked(f.score, 2, GridRowOf(2)));
  EXPECT_FALSE(CellMarked(f.score, 3, GridRowOf(3)));
  // Undo does not change the flags or move the cursor.
  EXPECT_TRUE(f.score.Modified);
  EXPECT_EQ(f.state.cursor, (GridCell{7, GridRowOf(7)}));

  // A change after an undo gives up the undone steps.
  int redone = 0;
  RedoStep(f.ctx);
  ++redone;
  f.Click(30, 30);
  EXPECT_FALSE(f.state.undo.redoEnabled());
  EXPECT_EQ(RedoStep(f.ctx), SnapshotKind::None);
  undone = 0;
  while (UndoStep(f.ctx) != SnapshotKind::None) ++undone;
  EXPECT_EQ(undone, 2 + redone - 1);
}

TEST(UndoRing, RowStructureAndTempoFields) {
  EditorFixture f;
  f.OpenNew();
  f.Click(3, 3);
  Score before = f.score;
  // A resolution change as the row operations make it.
  Score& s = f.score;
  s.RowNotes.assign(601, RowSlots{});
  s.RowNotes[5] = before.RowNotes[3];
  s.RowCount = 600;
  s.RowsPerBar = 8;
  s.NoteValue = 8;
  s.HalfPeriod = 187;
  s.BarAdjust.assign(77, 0);
  f.ctx.Restore(SnapshotKind::ResolutionUp);
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::ResolutionUp);
  EXPECT_EQ(s.RowCount, 300);
  EXPECT_EQ(s.RowsPerBar, 4);
  EXPECT_EQ(s.RowNotes, before.RowNotes);
  EXPECT_EQ(s.HalfPeriod, 187);
  EXPECT_EQ(s.NoteValue, 8);
  EXPECT_EQ(RedoStep(f.ctx), SnapshotKind::ResolutionUp);
  EXPECT_EQ(s.RowCount, 600);
  EXPECT_TRUE(CellMarked(s, 3, GridRowOf(5)));
}

TEST(UndoRing, InsertedRowsComeAndGoAndRedoSwapsKinds) {
  EditorFixture f;
  f.OpenNew();
  f.Click(3, 3);
  Score& s = f.score;
  s.RowNotes.insert(s.RowNotes.begin() + 2, RowSlots{});
  s.RowCount = 301;
  f.state.cursor = {1, GridRowOf(2)};
  f.ctx.Restore(SnapshotKind::InsertRows);
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::InsertRows);
  EXPECT_EQ(s.RowCount, 300);
  EXPECT_EQ(s.RowNotes.size(), 301u);
  EXPECT_TRUE(CellMarked(s, 3, GridRowOf(3)));
  EXPECT_EQ(RedoStep(f.ctx), SnapshotKind::DeleteRows);
  EXPECT_EQ(s.RowCount, 301);
  EXPECT_TRUE(CellMarked(s, 3, GridRowOf(4)));
  // The cursor left past the grid comes back inside it.
  f.state.MoveTo({1, GridRowOf(302)});
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::InsertRows);
  EXPECT_EQ(f.state.current.row, SpareGridRow(s));
}

TEST(UndoRing, PasteUndoKeepsMaxSlotHighEnough) {
  EditorFixture f;
  f.OpenNew();
  for (int c = 1; c <= 6; ++c) f.Click(c, 1);
  f.Select(1, 1, 6, 1);
  CopySelection(f.ctx);
  f.state.MoveTo({1, GridRowOf(2)});
  Paste(f.ctx);
  EXPECT_EQ(f.score.MaxSlot, 5);
  UndoStep(f.ctx);
  f.score.MaxSlot = 1;  // as after a cleanup that lowered it
  RedoStep(f.ctx);
  EXPECT_EQ(f.score.MaxSlot, 5);
}

TEST(UndoRing, LargeScoreSharesChunksAndRestoresExactly) {
  Score s;
  MakeNewSong(s);
  s.RowCount = 100000;
  s.RowNotes.assign(100001, RowSlots{});
  for (int r = 1; r <= 100000; r += 7) s.RowNotes[r] = RowFromColumns({1, 5, 9});
  UndoRing ring;
  ring.Take(SnapshotKind::Base, s, {});
  const Score base = s;
  for (int i = 0; i < 5; ++i) {
    s.RowNotes[1 + i * 20000][3] = 30;
    ring.Take(SnapshotKind::Toggle, s, {});
  }
  // Only the touched chunk differs between neighbouring snapshots.
  const Snapshot& a = ring.at(1);
  const Snapshot& b = ring.at(2);
  size_t shared = 0;
  for (size_t i = 0; i < a.RowChunks.size(); ++i) shared += a.RowChunks[i] == b.RowChunks[i];
  EXPECT_EQ(shared, a.RowChunks.size() - 1);
  EXPECT_EQ(a.BarAdjust, b.BarAdjust);
  for (int i = 0; i < 5; ++i) EXPECT_EQ(ring.Undo(s), SnapshotKind::Toggle);
  EXPECT_EQ(s.RowNotes, base.RowNotes);
  EXPECT_FALSE(ring.undoEnabled());
}

TEST(SongInfo, SpeedPreCountAndSnapshot) {
  EditorFixture f;
  f.OpenNew();
  SongInfoFields in = SongInfoFromScore(f.score);
  EXPECT_EQ(in.speed, "750");
  EXPECT_EQ(in.phrlen, "4");
  in.speed = "751";
  in.title = "曲\n二行目";
  EXPECT_EQ(ApplySongInfo(f.ctx, in), SongInfoField::None);
  EXPECT_EQ(f.score.HalfPeriod, 375);
  EXPECT_EQ(SpeedLabel(f.score), "速度:750mS／行");
  EXPECT_EQ(f.score.Title, "曲\r\n二行目");
  EXPECT_EQ(f.score.Bpm, 80);
  EXPECT_TRUE(f.score.Modified);
  EXPECT_TRUE(f.session.NeedsPrepare);
  // Title and speed alone take no snapshot.
  EXPECT_FALSE(f.state.undo.undoEnabled());

  in.brc = "4";
  EXPECT_EQ(ApplySongInfo(f.ctx, in), SongInfoField::Brc);
  EXPECT_EQ(f.messages.Texts().back(), "開始前行数は小節行数より小さくしてください。");
  EXPECT_EQ(f.score.PreRows, 0);
  in.brc = " 3";
  EXPECT_EQ(ApplySongInfo(f.ctx, in), SongInfoField::None);
  EXPECT_EQ(f.score.PreRows, 3);
  EXPECT_EQ(LabelText(RowLabelOf(f.score, 1)), "1･4");
  EXPECT_EQ(f.state.undo.at(f.state.undo.position()).kind, SnapshotKind::BarLayout);
  EXPECT_EQ(UndoStep(f.ctx), SnapshotKind::BarLayout);
  EXPECT_EQ(f.score.PreRows, 0);
  EXPECT_EQ(f.score.Title, "曲\r\n二行目");
}

TEST(SongInfo, RefusalsInOrder) {
  EditorFixture f;
  f.OpenNew();
  const Score before = f.score;
  SongInfoFields in = SongInfoFromScore(f.score);
  auto refused = [&](SongInfoFields x, SongInfoField field, const std::string& msg) {
    EXPECT_EQ(ApplySongInfo(f.ctx, x), field);
    EXPECT_EQ(f.messages.Texts().back(), msg);
    EXPECT_EQ(f.score.HalfPeriod, before.HalfPeriod);
    EXPECT_FALSE(f.score.Modified);
  };
  SongInfoFields x = in;
  x.speed = "0";
  x.phrlen = "";
  refused(x, SongInfoField::Speed, "速度欄には正数を入力してください。");
  x = in;
  x.phrlen = "   ";
  refused(x, SongInfoField::Phrlen, "数値を入力してください。");
  x = in;
  x.phrlen = "0";
  refused(x, SongInfoField::Phrlen, "小節欄には正数を入力してください。");
  x = in;
  x.note = "0";
  refused(x, SongInfoField::Note, "音符欄には正数を入力してください。");
  x = in;
  x.speed = "1 2";
  refused(x, SongInfoField::Speed, "数値を入力してください。");
  // A speed of 1 gives HalfPeriod 1, never 0.
  x = in;
  x.speed = "1";
  EXPECT_EQ(ApplySongInfo(f.ctx, x), SongInfoField::None);
  EXPECT_EQ(f.score.HalfPeriod, 1);
  EXPECT_EQ(f.score.Bpm, 30000);
}

TEST(SongInfo, BarAdjustmentsAndPreCountConflict) {
  EditorFixture f;
  f.OpenNew();
  f.score.BarAdjust[1] = 2;
  f.score.BarAdjust[5] = -1;
  SongInfoFields in = SongInfoFromScore(f.score);
  in.brc = "2";
  in.note = "8";
  EXPECT_EQ(ApplySongInfo(f.ctx, in), SongInfoField::None);
  EXPECT_EQ(f.messages.Texts().back(),
            "第１小節に調整行が設定されているので開始前行数は設定できません。\r\n"
            "調整行設定を０にしてから表示前行数を設定して下さい。");
  EXPECT_EQ(f.score.PreRows, 0);
  EXPECT_EQ(f.score.NoteValue, 8);
  EXPECT_EQ(f.score.BarAdjust[1], 2);
  EXPECT_FALSE(f.state.undo.undoEnabled());
  in.phrlen = "3";
  in.brc = "0";
  EXPECT_EQ(ApplySongInfo(f.ctx, in), SongInfoField::None);
  EXPECT_EQ(f.score.RowsPerBar, 3);
  EXPECT_EQ(f.score.BarAdjust, std::vector<int16_t>(102, 0));
}

TEST(Saving, WriterChoice) {
  EXPECT_EQ(WriterForSaveAs(1, "a.mid", 5), SaveWriter::Mbt);
  EXPECT_EQ(WriterForSaveAs(2, "a.mbt", 5), SaveWriter::Smf);
  EXPECT_EQ(WriterForSaveAs(3, "a", 3), SaveWriter::Mfi4);
  EXPECT_EQ(WriterForSaveAs(3, "a", 4), SaveWriter::Mfi16);
  EXPECT_EQ(WriterForSaveAs(4, "a.Mid", 0), SaveWriter::Smf);
  EXPECT_EQ(WriterForSaveAs(4, "a.mld", 10), SaveWriter::Mfi16);
  EXPECT_EQ(WriterForSaveAs(4, "a.txt", 0), SaveWriter::Mbt);
  EXPECT_FALSE(SaveWritesInPlace("/x/song.mid"));
  EXPECT_FALSE(SaveWritesInPlace(""));
  EXPECT_TRUE(SaveWritesInPlace("/x/song.Mbt"));
}

}  // namespace
}  // namespace poronka::editor

namespace poronka::editor {
namespace {

TEST(PromptBox, MasksAndCancelResults) {
  EXPECT_TRUE(TextFitsMask("6A", "0C;1;_"));
  EXPECT_TRUE(TextFitsMask("5♭", "0C;1;_"));
  EXPECT_FALSE(TextFitsMask("6", "0C;1;_"));
  EXPECT_FALSE(TextFitsMask("A6", "0C;1;_"));
  EXPECT_FALSE(TextFitsMask("6AB", "0C;1;_"));
  EXPECT_TRUE(TextFitsMask("-12", "#99;0;_"));
  EXPECT_TRUE(TextFitsMask("+3", "#99;0;_"));
  EXPECT_TRUE(TextFitsMask("", "#99;0;_"));
  EXPECT_FALSE(TextFitsMask("3-", "#99;0;_"));
  EXPECT_FALSE(TextFitsMask("1234", "#99;0;_"));
  EXPECT_TRUE(TextFitsMask("7 5", "9999;1;_"));
  EXPECT_FALSE(TextFitsMask("-5", "9999;1;_"));
  EXPECT_EQ(PromptCancelResult(PromptMode::NotMov, "x"), "0");
  EXPECT_EQ(PromptCancelResult(PromptMode::ColAdd, "x"), "");
  EXPECT_EQ(PromptCancelResult(PromptMode::Phrajt, "x"), "");
  EXPECT_EQ(PromptCancelResult(PromptMode::Test, "x"), "x");
}

}  // namespace
}  // namespace poronka::editor
