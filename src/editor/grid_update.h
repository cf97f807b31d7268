// What the note grid must redraw after an editor operation changed the
// score. The grid reads cells, labels and headers from the Score; this only
// tells it which rows or columns moved so that it can follow without
// rebuilding itself.
#pragma once

#include <cstdint>

namespace poronka::editor {

struct GridUpdate {
  // The score changed (and one undo snapshot was taken).
  bool changed = false;

  // `rowsInserted` grid rows were inserted in front of grid row
  // `rowsInsertedAt` (the rows from there on moved down).
  int32_t rowsInsertedAt = 0;
  int32_t rowsInserted = 0;
  // `rowsRemoved` grid rows starting at grid row `rowsRemovedAt` were
  // removed (the rows below moved up).
  int32_t rowsRemovedAt = 0;
  int32_t rowsRemoved = 0;
  // The same for pitch columns (grid column numbers, 1-based).
  int32_t colsInsertedAt = 0;
  int32_t colsInserted = 0;
  int32_t colsRemovedAt = 0;
  int32_t colsRemoved = 0;

  // Every cell may have changed and the row count is new (resolution
  // changes): reset the whole view.
  bool reset = false;
  // Row labels changed from this grid row to the last one (0: none).
  int32_t relabelFrom = 0;
  // The octave and letter header rows changed.
  bool headerChanged = false;
  // lblSpeed, lblPhrlen and lblNote ("分音符／行") must be refreshed.
  bool timingLabels = false;
  // The grid's current cell moved (to EditorState::current) and the
  // selection was collapsed to it.
  bool cursorMoved = false;
  // Scroll so that this grid row is the first visible scrollable row
  // (0: leave the scrolling alone).
  int32_t scrollTopRow = 0;
};

}  // namespace poronka::editor
