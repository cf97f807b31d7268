// Pitch column operations of the score editor: inserting one pitch, adding
// up to an octave above the highest or below the lowest pitch, deleting the
// selected pitch columns, deleting every pitch column no note uses, and
// transposing the whole comb. Each renumbers the notes of every row as the
// columns move, takes its undo snapshot, sets the flags and returns what the
// grid must redraw.
//
// The editor window calls them from its slots with the grid's current cell
// and selection stored in EditorState first:
//   insertPitchColumn()   -> InsertPitch(ctx)     addHighOctave()      -> AddHighPitches(ctx)
//   addLowOctave()        -> AddLowPitches(ctx)   deletePitchColumns() -> DeleteSelectedPitches(ctx)
//   removeUnusedPitches() -> CleanupPitches(ctx)  transpose()          -> TransposePitches(ctx)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/editor_state.h"
#include "editor/grid_update.h"

namespace poronka::editor {

extern const char* const kBadPitchName;     // "音名が正しくありません"
extern const char* const kDeleteAllPitches; // "全音削除は出来ません！"

// "この音（6A）は既に存在します"
std::string PitchExistsMessage(const std::string& entry);
// "可能な音程の範囲を超えてしまいます。\n9個の音程を追加します。"
std::string PitchRangeMessage(int32_t count);
// "5個の音を削除しました。"
std::string CleanupMessage(int32_t count);

// Asks for a pitch name (prompt mode ColAdd); the box's OK
// checks the name and inserts the column (see InsertPitchEntry).
GridUpdate InsertPitch(EditorContext& ctx);
// What the box's OK does with an entry such as "6A" (or "5d" with flats
// shown): on a refusal shows its message and returns false; otherwise
// inserts the column in pitch order, renumbers the notes, refreshes row 0,
// sets `result` to the entry followed by the new column's number ("6A13")
// and returns true.
bool InsertPitchEntry(Score& s, bool flatDisplay, Messages& messages, const std::string& entry,
                      std::string& result);

// An octave of columns above the highest or below the lowest column.
GridUpdate AddHighPitches(EditorContext& ctx);
GridUpdate AddLowPitches(EditorContext& ctx);

// Deletes the selection's pitch columns after the question.
GridUpdate DeleteSelectedPitches(EditorContext& ctx);
// Deletes every pitch column that no score row uses (never
// the last remaining column) and reports the count.
GridUpdate CleanupPitches(EditorContext& ctx);

// Transposes every column by the amount chosen in the prompt
// box (mode NotMov). The notes stay in their columns.
GridUpdate TransposePitches(EditorContext& ctx);
// The items the transposition list offers: "-24".."+24" without the ones
// that would move a column below note 0 or above note 119.
std::vector<std::string> TranspositionItems(const Score& s);

}  // namespace poronka::editor
