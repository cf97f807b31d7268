#include "editor/row_ops.h"

#include <gtest/gtest.h>

#include "editor/editor_ops.h"
#include "editor/editor_test_support.h"

namespace poronka::editor {
namespace {

using testing::EditorFixture;

std::string Label(const Score& s, int32_t scoreRow) { return LabelText(RowLabelOf(s, scoreRow)); }

// A fresh New score opened in the editor, Modified and NeedsPrepare clear.
struct RowOps : ::testing::Test, EditorFixture {
  RowOps() { OpenNew(); }
  void PutCursor(int32_t scoreRow, int32_t col = 1) { state.MoveTo({col, GridRowOf(scoreRow)}); }
  void Note(int32_t scoreRow, std::vector<int32_t> cols) {
    score.RowNotes[scoreRow] = RowFromColumns(cols);
  }
  // Takes the current score as the state undo goes back to.
  void Commit() { ctx.Restore(SnapshotKind::Base); }
  SnapshotKind LastKind() const { return state.undo.at(state.undo.position()).kind; }
};

// ---- inserting rows and bars ----------------------------------------------------

TEST_F(RowOps, BarOnTheSpareRowAppendsFourRowsOfBar76) {
  PutCursor(301);  // the spare row
  GridUpdate u = InsertBar(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.RowCount, 304);
  EXPECT_EQ(score.RowNotes.size(), 305u);
  for (int r = 301; r <= 304; ++r) EXPECT_EQ(Label(score, r), "76･" + std::to_string(r - 300));
  EXPECT_GE(score.BarAdjust.size(), 77u);
  EXPECT_EQ(LastKind(), SnapshotKind::InsertRows);
  EXPECT_TRUE(score.Modified);
  EXPECT_TRUE(session.NeedsPrepare);
  EXPECT_EQ(u.rowsInsertedAt, 302);
  EXPECT_EQ(u.rowsInserted, 4);
  EXPECT_EQ(state.cursor.row, 302);
}

TEST_F(RowOps, OneRowInTheMiddleShiftsNotesAndLabelsStay) {
  Note(6, {3});
  Note(7, {5, 9});
  PutCursor(6, 2);
  GridUpdate u = InsertRows(ctx, 1);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.RowCount, 301);
  EXPECT_EQ(Columns(6), std::vector<int32_t>{});
  EXPECT_EQ(Columns(7), std::vector<int32_t>{3});
  EXPECT_EQ(Columns(8), (std::vector<int32_t>{5, 9}));
  EXPECT_EQ(Label(score, 6), "2･2");
  EXPECT_EQ(Label(score, 7), "2･3");
  EXPECT_EQ(Label(score, 301), "76･1");
  EXPECT_EQ(u.relabelFrom, 302);  // only the new last row
  EXPECT_EQ(state.cursor, (GridCell{2, 7}));
}

TEST_F(RowOps, BarInsideALengthenedBarMovesTheLaterAdjustmentsOn) {
  score.BarAdjust[2] = 2;   // bar 2: rows 5..10
  score.BarAdjust[3] = -1;  // bar 3: rows 11..13
  Note(9, {4});
  PutCursor(7);  // 2･3
  InsertBar(ctx);
  EXPECT_EQ(score.BarAdjust[2], 0);
  EXPECT_EQ(score.BarAdjust[3], 2);
  EXPECT_EQ(score.BarAdjust[4], -1);
  EXPECT_EQ(Columns(13), std::vector<int32_t>{4});
  // Bar 2 is regular now: rows 5..8; bar 3 takes the old length of bar 2.
  EXPECT_EQ(Label(score, 8), "2･4");
  EXPECT_EQ(Label(score, 9), "3･1");
  EXPECT_EQ(Label(score, 14), "3･6");
  EXPECT_EQ(Label(score, 15), "4･1");
  EXPECT_EQ(Label(score, 17), "4･3");
  EXPECT_EQ(Label(score, 18), "5･1");
}

TEST_F(RowOps, BarInBarOneWithPreRowsKeepsEveryLabelFromTheScore) {
  score.PreRows = 2;
  PutCursor(1);  // 1･3
  GridUpdate u = InsertBar(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.RowCount, 304);
  EXPECT_EQ(Label(score, 1), "1･3");
  EXPECT_EQ(Label(score, 3), "2･1");
  EXPECT_EQ(u.relabelFrom, 2);  // never above the first score row
}

TEST_F(RowOps, InsertingIntoAScoreWithoutRows) {
  score.RowCount = 0;
  score.RowNotes.assign(1, RowSlots{});
  score.PreRows = 1;
  PutCursor(1);  // the spare row
  InsertRows(ctx, 1);
  EXPECT_EQ(score.RowCount, 1);
  EXPECT_EQ(Label(score, 1), "1･2");
  PutCursor(2);
  InsertBar(ctx);
  EXPECT_EQ(score.RowCount, 5);
  EXPECT_EQ(Label(score, 5), "2･2");
}

TEST_F(RowOps, InsertingPast100000RowsIsRefused) {
  score.RowCount = 99997;
  score.RowNotes.resize(99998);
  PutCursor(5);
  EXPECT_FALSE(InsertBar(ctx).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"行数が１０万以上になってしまいます。"});
  EXPECT_EQ(score.RowCount, 99997);
  EXPECT_FALSE(score.Modified);
  EXPECT_TRUE(InsertRows(ctx, 3).changed);
  EXPECT_EQ(score.RowCount, 100000);
}

TEST_F(RowOps, UndoAndRedoOfAnInsertion) {
  Note(3, {7});
  Commit();
  PutCursor(2);
  InsertBar(ctx);
  EXPECT_EQ(Columns(7), std::vector<int32_t>{7});
  ASSERT_EQ(UndoStep(ctx), SnapshotKind::InsertRows);
  EXPECT_EQ(score.RowCount, 300);
  EXPECT_EQ(Columns(3), std::vector<int32_t>{7});
  ASSERT_EQ(RedoStep(ctx), SnapshotKind::DeleteRows);  // applied as kind 9
  EXPECT_EQ(score.RowCount, 304);
  EXPECT_EQ(Columns(7), std::vector<int32_t>{7});
}

// ---- deleting rows --------------------------------------------------------------------

TEST_F(RowOps, DeletingFrom1_3To2_2) {
  for (int r = 1; r <= 10; ++r) Note(r, {r});
  Select(2, 3, 2, 6);
  GridUpdate u = DeleteSelectedRows(ctx);
  ASSERT_TRUE(u.changed);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].kind, RecordingMessages::Entry::Question);
  EXPECT_EQ(messages.entries[0].text, "1･3から2･2の行（小節）を削除します\rよろしいですか？");
  EXPECT_EQ(score.RowCount, 296);
  EXPECT_EQ(Columns(2), std::vector<int32_t>{2});
  EXPECT_EQ(Columns(3), std::vector<int32_t>{7});
  EXPECT_EQ(Label(score, 3), "1･3");
  EXPECT_EQ(Label(score, 5), "2･1");
  EXPECT_EQ(Label(score, 296), "74･4");
  EXPECT_EQ(u.relabelFrom, 2);
  EXPECT_EQ(u.rowsRemovedAt, 4);
  EXPECT_EQ(u.rowsRemoved, 4);
  EXPECT_EQ(state.current, (GridCell{2, 4}));
  EXPECT_TRUE(state.selection.IsSingleCell());
  EXPECT_EQ(LastKind(), SnapshotKind::DeleteRows);
  EXPECT_TRUE(score.Modified);
  EXPECT_TRUE(session.NeedsPrepare);
  EXPECT_EQ(score.BarAdjust.size(), 75u);  // bars 1..74
}

TEST_F(RowOps, DeletingRefusalsAndCancel) {
  Select(1, 1, 1, 300);
  EXPECT_FALSE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"全行削除は出来ません！"});
  EXPECT_TRUE(state.selection.IsSingleCell());
  messages.entries.clear();
  Select(1, 301, 3, 301);  // the spare row only
  EXPECT_FALSE(DeleteSelectedRows(ctx).changed);
  EXPECT_TRUE(messages.entries.empty());
  messages.answers = {false};
  Select(1, 5, 1, 8);
  EXPECT_FALSE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(score.RowCount, 300);
  EXPECT_FALSE(score.Modified);
}

TEST_F(RowOps, DeletingThroughTheSpareRowStopsAtTheLastRow) {
  Select(1, 297, 1, 301);
  ASSERT_TRUE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(messages.entries[0].text, "75･1から75･4の行（小節）を削除します\rよろしいですか？");
  EXPECT_EQ(score.RowCount, 296);
  EXPECT_EQ(state.current.row, 298);  // now the spare row
}

TEST_F(RowOps, DeletingRowsOfLengthenedBarsShortensThem) {
  score.BarAdjust[2] = 3;  // bar 2: rows 5..11
  score.BarAdjust[3] = 2;  // bar 3: rows 12..17
  score.BarAdjust[4] = 1;  // bar 4: rows 18..22
  // Rows 2･6 .. 3･2: bar 2 keeps 5 rows, bar 3 keeps 4.
  Select(1, 10, 1, 13);
  ASSERT_TRUE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(score.BarAdjust[2], 1);
  EXPECT_EQ(score.BarAdjust[3], 0);
  EXPECT_EQ(score.BarAdjust[4], 1);
  EXPECT_EQ(Label(score, 9), "2･5");
  EXPECT_EQ(Label(score, 10), "3･1");
  EXPECT_EQ(Label(score, 14), "4･1");
  // Bar 3 removed whole: bar 4's adjustment moves down.
  Select(1, 10, 1, 13);  // 3･1 .. 3･4
  ASSERT_TRUE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(score.BarAdjust[3], 1);
  EXPECT_EQ(Label(score, 14), "3･5");
  // Inside one lengthened bar.
  Select(1, 11, 1, 12);  // 3･2 .. 3･3
  ASSERT_TRUE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(score.BarAdjust[3], 0);
  EXPECT_EQ(Label(score, 12), "3･3");
  EXPECT_EQ(Label(score, 14), "4･1");
}

TEST_F(RowOps, DeletingTheLastRowsTrimsTheLastBar) {
  score.BarAdjust[75] = 4;  // bar 75: rows 297..300 of 8
  Select(1, 299, 1, 300);
  ASSERT_TRUE(DeleteSelectedRows(ctx).changed);
  EXPECT_EQ(score.BarAdjust.size(), 76u);
  EXPECT_EQ(score.BarAdjust[75], 0);
}

// ---- resolution -----------------------------------------------------------------------

TEST_F(RowOps, TimesTwoFrom750ms) {
  score.BarAdjust[3] = -1;
  Note(3, {4});
  Note(300, {1});
  PutCursor(3, 5);
  score.Bpm = 80;
  GridUpdate u = MultiplyResolution(ctx, 2);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.HalfPeriod, 187);
  EXPECT_EQ(SpeedLabel(score), "速度:374mS／行");
  EXPECT_EQ(score.RowsPerBar, 8);
  EXPECT_EQ(score.NoteValue, 8);
  EXPECT_EQ(score.PreRows, 0);
  EXPECT_EQ(score.RowCount, 600);
  EXPECT_EQ(Columns(5), std::vector<int32_t>{4});
  EXPECT_EQ(Columns(3), std::vector<int32_t>{});
  EXPECT_EQ(Columns(599), std::vector<int32_t>{1});
  EXPECT_EQ(score.BarAdjust[3], -2);
  EXPECT_EQ(state.current, (GridCell{5, 6}));
  EXPECT_EQ(state.cursor, (GridCell{5, 6}));
  EXPECT_EQ(u.scrollTopRow, 2);
  EXPECT_EQ(LastKind(), SnapshotKind::ResolutionUp);
  EXPECT_TRUE(session.NeedsPrepare);
  EXPECT_EQ(score.Bpm, 80);  // only the song information sets it
}

TEST_F(RowOps, TimesThreeWithPreRowsAndTheLimit) {
  score.PreRows = 1;
  PutCursor(20);
  MultiplyResolution(ctx, 3);
  EXPECT_EQ(score.PreRows, 3);
  EXPECT_EQ(score.RowsPerBar, 12);
  EXPECT_EQ(score.HalfPeriod, 125);
  EXPECT_EQ(state.current.row, 59);
  EXPECT_EQ(Label(score, 1), "1･4");
  score.HalfPeriod = 1;
  score.RowsPerBar = 3;
  score.NoteValue = 4;
  score.PreRows = 0;
  MultiplyResolution(ctx, 2);
  EXPECT_EQ(score.HalfPeriod, 1);  // never 0
  messages.entries.clear();
  EXPECT_TRUE(MultiplyResolution(ctx, 3).changed);  // 1800 x 3 is fine
  EXPECT_TRUE(messages.entries.empty());
  score.RowCount = 50001;
  score.RowNotes.resize(50002);
  messages.entries.clear();
  EXPECT_FALSE(MultiplyResolution(ctx, 2).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"行数が１０万行以上になるため処理を中止します。"});
  EXPECT_EQ(score.RowCount, 50001);
}

TEST_F(RowOps, DivideRefusedWhenRowsPerBarIsNoMultiple) {
  score.RowsPerBar = 3;
  EXPECT_FALSE(DivideResolution(ctx, 2).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"3行／小節なので、２分の１に出来ません。"});
  score.RowsPerBar = 4;
  EXPECT_FALSE(DivideResolution(ctx, 3).changed);
  EXPECT_EQ(messages.Texts().back(), "4行／小節なので、３分の１に出来ません。");
  EXPECT_EQ(score.RowCount, 300);
  EXPECT_FALSE(score.Modified);
}

TEST_F(RowOps, DivideByTwoKeepsOddRowsWithoutPreRows) {
  for (int r = 1; r <= 6; ++r) Note(r, {r});
  score.BarAdjust[2] = -3;
  score.BarAdjust[3] = 3;
  PutCursor(5, 4);
  GridUpdate u = DivideResolution(ctx, 2);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.RowCount, 150);
  EXPECT_EQ(Columns(1), std::vector<int32_t>{1});
  EXPECT_EQ(Columns(2), std::vector<int32_t>{3});
  EXPECT_EQ(Columns(3), std::vector<int32_t>{5});
  EXPECT_EQ(score.RowsPerBar, 2);
  EXPECT_EQ(score.NoteValue, 2);
  EXPECT_EQ(score.HalfPeriod, 750);
  EXPECT_EQ(score.PreRows, 0);
  EXPECT_EQ(score.BarAdjust[2], -1);  // toward zero
  EXPECT_EQ(score.BarAdjust[3], 1);
  EXPECT_EQ(state.current, (GridCell{4, 3}));  // (6 + 0 - 2) div 2 + 1
  EXPECT_EQ(LastKind(), SnapshotKind::ResolutionDown);
}

TEST_F(RowOps, DivideByTwoWithOnePreRowKeepsEvenRows) {
  for (int r = 1; r <= 6; ++r) Note(r, {r});
  score.PreRows = 1;
  PutCursor(1);
  DivideResolution(ctx, 2);
  EXPECT_EQ(score.PreRows, 1);
  EXPECT_EQ(score.RowCount, 150);
  EXPECT_EQ(Columns(1), std::vector<int32_t>{2});
  EXPECT_EQ(Columns(2), std::vector<int32_t>{4});
  EXPECT_EQ(Columns(3), std::vector<int32_t>{6});
  EXPECT_EQ(state.current.row, 2);
  EXPECT_EQ(Label(score, 1), "1･2");
  EXPECT_EQ(Label(score, 2), "2･1");
}

TEST_F(RowOps, DivideByThreeWithTwoPreRowsNumbersKeptRowsInOrder) {
  score.RowsPerBar = 6;
  score.PreRows = 2;
  for (int r = 1; r <= 8; ++r) Note(r, {r});
  PutCursor(299);
  DivideResolution(ctx, 3);
  EXPECT_EQ(score.PreRows, 1);
  EXPECT_EQ(score.RowsPerBar, 2);
  EXPECT_EQ(score.NoteValue, 1);  // 4 div 3
  EXPECT_EQ(score.HalfPeriod, 1125);
  EXPECT_EQ(score.RowCount, 100);  // rows 2, 5, ..., 299
  EXPECT_EQ(Columns(1), std::vector<int32_t>{2});
  EXPECT_EQ(Columns(2), std::vector<int32_t>{5});
  EXPECT_EQ(Columns(3), std::vector<int32_t>{8});
  EXPECT_EQ(state.current.row, 101);  // (300 + 2 - 2) div 3 + 1
  EXPECT_EQ(ctx.state.undo.at(ctx.state.undo.position()).RowCount, 100);
}

TEST_F(RowOps, UndoingAResolutionKeepsTheTempoFields) {
  score.BarAdjust[2] = 2;
  Note(5, {1});
  Commit();
  MultiplyResolution(ctx, 2);
  ASSERT_EQ(UndoStep(ctx), SnapshotKind::ResolutionUp);
  EXPECT_EQ(score.RowCount, 300);
  EXPECT_EQ(score.RowsPerBar, 4);
  EXPECT_EQ(score.BarAdjust[2], 2);
  EXPECT_EQ(Columns(5), std::vector<int32_t>{1});
  EXPECT_EQ(score.HalfPeriod, 187);
  EXPECT_EQ(score.NoteValue, 8);
}

// ---- bar length ------------------------------------------------------------------------

TEST_F(RowOps, BarLengthOnANewScoreAtRowOne) {
  host.answers = {"2"};
  PutCursor(1);
  GridUpdate u = AdjustBarLength(ctx);
  ASSERT_TRUE(u.changed);
  ASSERT_EQ(host.requests.size(), 1u);
  const PromptRequest& req = host.requests[0];
  EXPECT_EQ(req.mode, PromptMode::Phrajt);
  EXPECT_EQ(req.caption, "第1小節長さの調整");
  EXPECT_EQ(req.text, "増減する行数（-3～296：-6 等半角で、減らすときは-をつける）を指定してください。");
  EXPECT_EQ(req.mask, "#99;0;_");
  EXPECT_EQ(req.entry, "0");
  EXPECT_EQ(score.BarAdjust[1], 2);
  EXPECT_EQ(Label(score, 6), "1･6");
  EXPECT_EQ(Label(score, 7), "2･1");
  EXPECT_EQ(Label(score, 300), "75･2");
  EXPECT_EQ(LastKind(), SnapshotKind::BarLength);
  EXPECT_TRUE(score.Modified);
  EXPECT_FALSE(session.NeedsPrepare);
  EXPECT_EQ(u.relabelFrom, 2);
}

TEST_F(RowOps, BarLengthIsClampedToItsLimits) {
  PutCursor(10);  // 3･2
  host.answers = {"-9"};
  AdjustBarLength(ctx);
  EXPECT_EQ(score.BarAdjust[3], -3);
  EXPECT_EQ(Label(score, 9), "3･1");
  EXPECT_EQ(Label(score, 10), "4･1");
  host.answers = {"999"};
  PutCursor(9);
  AdjustBarLength(ctx);
  EXPECT_EQ(host.requests.back().entry, "-3");
  EXPECT_EQ(score.BarAdjust[3], 288);  // 300 - 9 + 1 - 4
  EXPECT_EQ(Label(score, 300), "3･292");
  EXPECT_EQ(score.BarAdjust.size(), 5u);
}

TEST_F(RowOps, BarLengthEntriesThatChangeNothing) {
  PutCursor(5);
  for (const char* text : {"", " ", "+", "-"}) {
    host.answers = {text};
    EXPECT_FALSE(AdjustBarLength(ctx).changed) << text;
  }
  host.answers.clear();  // Cancel
  EXPECT_FALSE(AdjustBarLength(ctx).changed);
  EXPECT_FALSE(score.Modified);
  PutCursor(301);  // the spare row: no box at all
  const size_t asked = host.requests.size();
  EXPECT_FALSE(AdjustBarLength(ctx).changed);
  EXPECT_EQ(host.requests.size(), asked);
}

TEST_F(RowOps, BarLengthOfBarOneWithPreRowsIsRefused) {
  score.PreRows = 1;
  PutCursor(2);
  EXPECT_FALSE(AdjustBarLength(ctx).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"開始前行が設定されているので、行数調整は出来ません！"});
  EXPECT_TRUE(host.requests.empty());
}

TEST_F(RowOps, BarLengthOfAnIncompleteLastBarOffersZero) {
  score.RowCount = 298;
  score.RowNotes.resize(299);
  PutCursor(297);  // 75･1 of two rows
  host.answers = {"-1"};
  AdjustBarLength(ctx);
  EXPECT_EQ(host.requests[0].text,
            "増減する行数（-3～-3又は0：-6 等半角で、減らすときは-をつける）を指定してください。");
  EXPECT_EQ(score.BarAdjust[75], 0);  // above the high limit: 0
  host.answers = {"-3"};
  AdjustBarLength(ctx);
  EXPECT_EQ(score.BarAdjust[75], -3);
  EXPECT_EQ(Label(score, 298), "76･1");
}

}  // namespace
}  // namespace poronka::editor
