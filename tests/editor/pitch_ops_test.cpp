#include "editor/pitch_ops.h"

#include <gtest/gtest.h>

#include "editor/editor_ops.h"
#include "editor/editor_test_support.h"

namespace poronka::editor {
namespace {

using testing::EditorFixture;

// A fresh New score (notes 48..83 in columns 1..36) opened in the editor.
struct PitchOps : ::testing::Test, EditorFixture {
  PitchOps() { OpenNew(); }
  void Note(int32_t scoreRow, std::vector<int32_t> cols) { score.RowNotes[scoreRow] = RowFromColumns(cols); }
  void Commit() { ctx.Restore(SnapshotKind::Base); }
  SnapshotKind LastKind() const { return state.undo.at(state.undo.position()).kind; }
  // Columns 1..n with the given notes.
  void SetPitches(const std::vector<int32_t>& notes) {
    score.OctaveLine.clear();
    score.LetterLine.clear();
    for (int32_t n : notes) {
      std::string name = PitchName(n);
      score.OctaveLine += static_cast<char16_t>(name[0]);
      score.LetterLine += static_cast<char16_t>(name[1]);
    }
    DeriveColumnPitches(score);
  }
  std::string Name(int32_t col) const { return ColumnNameShown(score, col, false); }
  // The invariants every operation keeps.
  void ExpectConsistent() const {
    EXPECT_EQ(score.ColumnCount, static_cast<int32_t>(score.LetterLine.size()));
    EXPECT_EQ(score.ColumnCount, static_cast<int32_t>(score.OctaveLine.size()));
    ASSERT_EQ(score.ColumnPitch.size(), static_cast<size_t>(score.ColumnCount) + 1);
    Score derived = score;
    DeriveColumnPitches(derived);
    EXPECT_EQ(derived.ColumnPitch, score.ColumnPitch);
    for (int32_t r = 1; r <= score.RowCount; ++r)
      for (int32_t c : ColumnsOf(score.RowNotes[r])) EXPECT_TRUE(c >= 1 && c <= score.ColumnCount) << r;
  }
};

// ---- adding high and low pitches -----------------------------------------------------

TEST_F(PitchOps, AddHighOnANewScoreAddsAnOctave) {
  GridUpdate u = AddHighPitches(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.ColumnCount, 48);
  EXPECT_EQ(Name(37), "7C");
  EXPECT_EQ(Name(48), "7B");
  EXPECT_EQ(score.ColumnPitch[37], 84);
  EXPECT_EQ(score.ColumnPitch[48], 95);
  EXPECT_EQ(u.colsInsertedAt, 37);
  EXPECT_EQ(u.colsInserted, 12);
  EXPECT_EQ(LastKind(), SnapshotKind::InsertPitch);
  EXPECT_TRUE(score.Modified);
  EXPECT_TRUE(session.NeedsPrepare);
  EXPECT_TRUE(messages.entries.empty());
  ExpectConsistent();
}

TEST_F(PitchOps, AddHighAtTheTopOfTheRange) {
  SetPitches({100, 110});
  AddHighPitches(ctx);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"可能な音程の範囲を超えてしまいます。\n9個の音程を追加します。"});
  EXPECT_EQ(score.ColumnCount, 11);
  EXPECT_EQ(score.ColumnPitch[11], 119);
  EXPECT_EQ(Name(11), "9B");
  ExpectConsistent();
  messages.entries.clear();
  score.Modified = false;
  EXPECT_FALSE(AddHighPitches(ctx).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"可能な音程の範囲を超えてしまいます。\n0個の音程を追加します。"});
  EXPECT_EQ(score.ColumnCount, 11);
  EXPECT_FALSE(score.Modified);
}

TEST_F(PitchOps, AddLowRenumbersEveryNoteAndRowZero) {
  Note(1, {1, 36});
  Note(300, {5});
  GridUpdate u = AddLowPitches(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.ColumnCount, 48);
  EXPECT_EQ(score.ColumnPitch[1], 36);
  EXPECT_EQ(score.ColumnPitch[12], 47);
  EXPECT_EQ(score.ColumnPitch[13], 48);
  EXPECT_EQ(Name(1), "3C");
  EXPECT_EQ(Name(13), "4C");
  EXPECT_EQ(Columns(1), (std::vector<int32_t>{13, 48}));
  EXPECT_EQ(Columns(300), std::vector<int32_t>{17});
  EXPECT_EQ(score.RowNotes[0][0], 17);
  EXPECT_EQ(u.colsInsertedAt, 1);
  ExpectConsistent();
}

TEST_F(PitchOps, AddLowAtTheBottomOfTheRange) {
  SetPitches({5, 7});
  Note(2, {2});
  AddLowPitches(ctx);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"可能な音程の範囲を超えてしまいます。\n5個の音程を追加します。"});
  EXPECT_EQ(score.ColumnCount, 7);
  EXPECT_EQ(score.ColumnPitch[1], 0);
  EXPECT_EQ(score.ColumnPitch[5], 4);
  EXPECT_EQ(Name(1), "0C");
  EXPECT_EQ(Columns(2), std::vector<int32_t>{7});
  ExpectConsistent();
  messages.entries.clear();
  EXPECT_FALSE(AddLowPitches(ctx).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"可能な音程の範囲を超えてしまいます。\n0個の音程を追加します。"});
  // A column below note 0 (a letter outside the table) adds nothing.
  score.LetterLine[0] = u'x';
  DeriveColumnPitches(score);
  messages.entries.clear();
  EXPECT_FALSE(AddLowPitches(ctx).changed);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"可能な音程の範囲を超えてしまいます。\n-1個の音程を追加します。"});
  EXPECT_EQ(score.ColumnCount, 7);
}

// ---- inserting a pitch -------------------------------------------------------------------

TEST_F(PitchOps, Inserting3BGivesANewFirstColumn) {
  Note(4, {1, 2});
  Note(300, {36});
  host.answers = {"3B"};
  GridUpdate u = InsertPitch(ctx);
  ASSERT_TRUE(u.changed);
  ASSERT_EQ(host.requests.size(), 1u);
  EXPECT_EQ(host.requests[0].mode, PromptMode::ColAdd);
  EXPECT_EQ(host.requests[0].caption, "新しい音の挿入");
  EXPECT_EQ(host.requests[0].text, "挿入する音名（6A 等半角で）を指定してください。");
  EXPECT_EQ(host.requests[0].mask, "0C;1;_");
  EXPECT_EQ(host.requests[0].entry, "");
  EXPECT_EQ(score.ColumnCount, 37);
  EXPECT_EQ(score.ColumnPitch[1], 47);
  EXPECT_EQ(Name(1), "3B");
  EXPECT_EQ(Name(2), "4C");
  EXPECT_EQ(Columns(4), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(score.RowNotes[0][0], 37);
  EXPECT_EQ(u.colsInsertedAt, 1);
  EXPECT_EQ(LastKind(), SnapshotKind::InsertPitch);
  EXPECT_TRUE(session.NeedsPrepare);
  ExpectConsistent();
}

TEST_F(PitchOps, InsertingWithFlatsShownStoresTheSharpName) {
  SetPitches({48, 60, 62, 72});
  state.flatDisplay = true;
  std::string result;
  ASSERT_TRUE(InsertPitchEntry(score, true, messages, "5d", result));
  EXPECT_EQ(result, "5d3");
  EXPECT_EQ(score.ColumnPitch[3], 61);
  EXPECT_EQ(score.LetterLine, u"CCcDC");
  EXPECT_EQ(ColumnNameShown(score, 3, true), "5d");
  // With sharps shown 5b is no name; 5d is D sharp.
  EXPECT_FALSE(InsertPitchEntry(score, false, messages, "5b", result));
  EXPECT_EQ(messages.Texts().back(), "音名が正しくありません");
  ASSERT_TRUE(InsertPitchEntry(score, false, messages, "5d", result));
  EXPECT_EQ(score.ColumnPitch[5], 63);
  ExpectConsistent();
}

TEST_F(PitchOps, RefusedEntriesKeepTheBoxOpen) {
  host.answers = {"5b", "6A", "x1", "6 ", "7C"};
  GridUpdate u = InsertPitch(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"音名が正しくありません", "この音（6A）は既に存在します",
                                                        "音名が正しくありません", "音名が正しくありません"}));
  EXPECT_EQ(score.ColumnCount, 37);
  EXPECT_EQ(score.ColumnPitch[37], 84);
  EXPECT_EQ(u.colsInsertedAt, 37);
  // Cancel after a refusal changes nothing.
  host.answers = {"5C"};
  score.Modified = false;
  EXPECT_FALSE(InsertPitch(ctx).changed);
  EXPECT_EQ(score.ColumnCount, 37);
  EXPECT_FALSE(score.Modified);
}

// ---- deleting pitch columns ------------------------------------------------------------------

TEST_F(PitchOps, DeletingColumns3To5Renumbers) {
  Note(7, {1, 4, 9});
  Note(300, {2, 3, 6});
  state.cursor = {20, 9};
  Select(3, 2, 5, 2);
  GridUpdate u = DeleteSelectedPitches(ctx);
  ASSERT_TRUE(u.changed);
  ASSERT_EQ(messages.entries.size(), 1u);
  EXPECT_EQ(messages.entries[0].kind, RecordingMessages::Entry::Question);
  EXPECT_EQ(messages.entries[0].text, "4･Dから4･Eの音程を削除します。\rよろしいですか？");
  EXPECT_EQ(score.ColumnCount, 33);
  EXPECT_EQ(Columns(7), (std::vector<int32_t>{1, 6}));
  EXPECT_EQ(Columns(300), (std::vector<int32_t>{2, 3}));
  EXPECT_EQ(score.RowNotes[0][0], 2);
  EXPECT_EQ(score.RowNotes[0][1], 3);
  EXPECT_EQ(Name(3), "4F");
  EXPECT_EQ(u.colsRemovedAt, 3);
  EXPECT_EQ(u.colsRemoved, 3);
  EXPECT_EQ(state.current, (GridCell{20, 9}));  // back on the remembered cursor
  EXPECT_TRUE(state.selection.IsSingleCell());
  EXPECT_EQ(LastKind(), SnapshotKind::DeletePitches);
  EXPECT_TRUE(score.Modified);
  EXPECT_TRUE(session.NeedsPrepare);
  ExpectConsistent();
}

TEST_F(PitchOps, DeletingUpToTheLastColumnRenumbersNothing) {
  Note(1, {2, 30, 35, 36});
  state.cursor = {36, 2};
  Select(33, 1, 36, 1);
  ASSERT_TRUE(DeleteSelectedPitches(ctx).changed);
  EXPECT_EQ(Columns(1), (std::vector<int32_t>{2, 30}));
  EXPECT_EQ(score.ColumnCount, 32);
  EXPECT_EQ(state.current.col, 32);  // kept inside the columns
  ExpectConsistent();
}

TEST_F(PitchOps, DeletingEveryColumnOrCancellingChangesNothing) {
  Select(1, 1, 36, 1);
  EXPECT_FALSE(DeleteSelectedPitches(ctx).changed);
  EXPECT_EQ(messages.Texts(), (std::vector<std::string>{"4･Cから6･Bの音程を削除します。\rよろしいですか？",
                                                        "全音削除は出来ません！"}));
  EXPECT_EQ(score.ColumnCount, 36);
  messages.answers = {false};
  Select(2, 1, 3, 1);
  EXPECT_FALSE(DeleteSelectedPitches(ctx).changed);
  EXPECT_EQ(score.ColumnCount, 36);
  EXPECT_FALSE(score.Modified);
  EXPECT_FALSE(state.undo.undoEnabled());
}

TEST_F(PitchOps, CleanupKeepsColumnsUsedOnlyOnTheLastRow) {
  Note(10, {3, 20});
  Note(300, {36});
  Commit();
  state.cursor = {36, 5};
  state.current = {36, 5};
  GridUpdate u = CleanupPitches(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.ColumnCount, 3);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"33個の音を削除しました。"});
  EXPECT_EQ(score.ColumnPitch, (std::vector<int32_t>{0, 50, 67, 83}));
  EXPECT_EQ(Columns(10), (std::vector<int32_t>{1, 2}));
  EXPECT_EQ(Columns(300), std::vector<int32_t>{3});
  EXPECT_EQ(score.RowNotes[0][0], 3);
  EXPECT_EQ(state.current, (GridCell{3, 5}));
  EXPECT_EQ(LastKind(), SnapshotKind::Cleanup);
  ExpectConsistent();
  // Undo brings every column back.
  ASSERT_EQ(UndoStep(ctx), SnapshotKind::Cleanup);
  EXPECT_EQ(score.ColumnCount, 36);
  EXPECT_EQ(Columns(10), (std::vector<int32_t>{3, 20}));
}

TEST_F(PitchOps, CleanupNeverDeletesTheLastColumn) {
  GridUpdate u = CleanupPitches(ctx);
  ASSERT_TRUE(u.changed);
  EXPECT_EQ(score.ColumnCount, 1);
  EXPECT_EQ(score.ColumnPitch[1], 48);
  EXPECT_EQ(messages.Texts(), std::vector<std::string>{"35個の音を削除しました。"});
  messages.entries.clear();
  score.Modified = false;
  EXPECT_FALSE(CleanupPitches(ctx).changed);
  EXPECT_TRUE(messages.entries.empty());
  EXPECT_FALSE(score.Modified);
  ExpectConsistent();
}

// ---- transposing ------------------------------------------------------------------------------

TEST_F(PitchOps, TransposingByTwoMovesTheHeaderNotTheNotes) {
  Note(3, {1, 12});
  host.answers = {"+2"};
  GridUpdate u = TransposePitches(ctx);
  ASSERT_TRUE(u.changed);
  ASSERT_EQ(host.requests.size(), 1u);
  const PromptRequest& req = host.requests[0];
  EXPECT_EQ(req.mode, PromptMode::NotMov);
  EXPECT_EQ(req.caption, "音程の移動");
  EXPECT_EQ(req.text, "±１で半音ずつ高音又は低音側へ移動します。");
  ASSERT_EQ(req.items.size(), 49u);
  EXPECT_EQ(req.items.front(), "-24");
  EXPECT_EQ(req.items[24], "0");
  EXPECT_EQ(req.items[25], "+1");
  EXPECT_EQ(req.selected, "0");
  EXPECT_EQ(score.ColumnPitch[1], 50);
  EXPECT_EQ(score.ColumnPitch[36], 85);
  EXPECT_EQ(Name(1), "4D");
  EXPECT_EQ(Name(36), "7c");
  EXPECT_EQ(Columns(3), (std::vector<int32_t>{1, 12}));
  EXPECT_TRUE(u.headerChanged);
  EXPECT_EQ(LastKind(), SnapshotKind::Transpose);
  EXPECT_TRUE(score.Modified);
  EXPECT_FALSE(session.NeedsPrepare);
  ExpectConsistent();
  ASSERT_EQ(UndoStep(ctx), SnapshotKind::Transpose);
  EXPECT_EQ(Name(1), "4C");
  EXPECT_EQ(score.ColumnPitch[36], 83);
}

TEST_F(PitchOps, TranspositionListIsTrimmedByTheHighestAndLowestPitch) {
  SetPitches({20, 100});
  std::vector<std::string> items = TranspositionItems(score);
  EXPECT_EQ(items.front(), "-20");
  EXPECT_EQ(items.back(), "+19");
  // Columns out of order: the extremes count, not the first and last column.
  SetPitches({60, 119, 0, 61});
  items = TranspositionItems(score);
  EXPECT_EQ(items, std::vector<std::string>{"0"});
  host.answers = {"+1"};  // not offered
  EXPECT_FALSE(TransposePitches(ctx).changed);
  host.answers.clear();  // Cancel gives "0"
  EXPECT_FALSE(TransposePitches(ctx).changed);
  EXPECT_FALSE(score.Modified);
}

}  // namespace
}  // namespace poronka::editor
