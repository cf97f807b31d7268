// Row, bar and resolution operations of the score editor: inserting empty
// rows or a bar at the cursor, deleting the selected rows, doubling or
// tripling the resolution, halving it or taking a third, and lengthening or
// shortening one bar. Each works on the Score and the editor state of the
// context, takes its undo snapshot, sets the flags and returns what the grid
// must redraw.
//
// The editor window calls them from its slots with the grid's current cell
// and selection stored in EditorState first:
//   insertRow()        -> InsertRows(ctx, 1)         insertBar() -> InsertBar(ctx)
//   deleteRows()       -> DeleteSelectedRows(ctx)
//   doubleResolution() -> MultiplyResolution(ctx, 2) tripleResolution() -> MultiplyResolution(ctx, 3)
//   halveResolution()  -> DivideResolution(ctx, 2)   divideResolutionByThree() -> DivideResolution(ctx, 3)
//   adjustBarLength()  -> AdjustBarLength(ctx)
#pragma once

#include <cstdint>
#include <string>

#include "editor/editor_state.h"
#include "editor/grid_update.h"

namespace poronka::editor {

extern const char* const kTooManyRowsInsert;      // inserting past 100000 rows
extern const char* const kTooManyRowsResolution;  // x f past 100000 rows
extern const char* const kDeleteAllRows;          // deleting every row
extern const char* const kBarLengthWithPreRows;   // bar 1 while PreRows > 0

// Inserts k empty rows in front of the cursor's row (appends them when the
// cursor is on the spare row). k = 1 for a row; k = RowsPerBar for a bar,
// which also moves the bar adjustments of the later bars one bar on.
GridUpdate InsertRows(EditorContext& ctx, int32_t k);
GridUpdate InsertBar(EditorContext& ctx);

// Deletes the score rows of the selection after the question (OK/Cancel),
// shortening lengthened bars that lose rows and removing the adjustments of
// bars removed whole.
GridUpdate DeleteSelectedRows(EditorContext& ctx);

// Resolution x f (f = 2 or 3): old row i becomes row (i - 1) * f + 1.
GridUpdate MultiplyResolution(EditorContext& ctx, int32_t f);
// Resolution / d (d = 2 or 3): keeps every d-th row on a beat boundary.
GridUpdate DivideResolution(EditorContext& ctx, int32_t d);

// Lengthens or shortens the bar of the cursor's row through the prompt box
// (mode Phrajt).
GridUpdate AdjustBarLength(EditorContext& ctx);

// The limits the bar length prompt offers for the bar of a score row:
// low..high, or also 0 when `orZero`. Exposed for the batch tool and tests.
struct BarLengthLimits {
  int32_t bar = 0;
  int32_t position = 0;
  int32_t low = 0;
  int32_t high = 0;
  bool orZero = false;
};
BarLengthLimits BarLengthLimitsOf(const Score& s, int32_t scoreRow);

// The message of a refused resolution / d, e.g.
// "3行／小節なので、２分の１に出来ません。".
std::string DivideRefusal(int32_t rowsPerBar, int32_t d);

}  // namespace poronka::editor
