// The score editor's state beside the shared Score: the remembered cursor,
// the selection, the flat display, the undo ring of six snapshots, the
// clipboard and the NeedsPrepare flag, and the context every editor
// operation works on.
//
// Coordinates are those of the note grid: grid column 0 is the row label
// column, columns 1..ColumnCount are the pitch columns; grid rows 0 and 1 are
// the octave and letter header rows, grid row g (2..RowCount + 1) shows score
// row g - 1 and grid row RowCount + 2 is the spare empty row below the last
// score row. The grid always shows exactly the Score: a cell is marked when
// its score row holds its column, and a row's label is what the row
// labelling rule gives for the whole score.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/score.h"

namespace poronka::editor {

// ---- grid coordinates -------------------------------------------------------

constexpr int32_t kHeaderRows = 2;  // grid rows 0 (octave) and 1 (letter)
constexpr int32_t kFirstGridRow = 2;

constexpr int32_t ScoreRowOf(int32_t gridRow) { return gridRow - 1; }
constexpr int32_t GridRowOf(int32_t scoreRow) { return scoreRow + 1; }
// Grid rows of a score: header, score rows, spare row.
inline int32_t GridRowCount(const Score& s) { return s.RowCount + 3; }
inline int32_t SpareGridRow(const Score& s) { return s.RowCount + 2; }

struct GridCell {
  int32_t col = 1;
  int32_t row = kFirstGridRow;  // grid row
  bool operator==(const GridCell&) const = default;
};

// An inclusive rectangle of grid cells (the grid's range selection).
struct GridRect {
  int32_t left = 1;
  int32_t top = kFirstGridRow;
  int32_t right = 1;
  int32_t bottom = kFirstGridRow;
  static GridRect Of(GridCell c) { return {c.col, c.row, c.col, c.row}; }
  bool IsSingleCell() const { return left == right && top == bottom; }
  bool operator==(const GridRect&) const = default;
};

// ---- undo ring --------------------------------------------------------------

// What a snapshot was taken after; tells undo and redo what to restore.
enum class SnapshotKind : int8_t {
  None = 0,
  Toggle = 1,          // RowNotes, MaxSlot
  Base = 2,            // everything (window shown, New, Open)
  BarLayout = 3,       // RowsPerBar, PreRows, BarAdjust (song information)
  Transpose = 4,       // OctaveLine, LetterLine, ColumnPitch
  InsertRows = 5,      // RowCount, RowNotes, BarAdjust (row or bar inserted)
  InsertPitch = 6,     // everything (new pitch, high or low pitches added)
  ResolutionUp = 7,    // everything
  ResolutionDown = 8,  // everything
  DeleteRows = 9,      // everything
  DeletePitches = 10,  // everything
  Cleanup = 11,        // everything (unused pitch columns deleted)
  Paste = 12,          // RowNotes
  BarLength = 13,      // BarAdjust
  CombMap = 14,        // everything (the columns became a music box's comb)
};

// Copies of the score fields that undo and redo bring back. Unchanged arrays
// are shared with the neighbouring snapshot; RowNotes is kept in chunks of
// kRowsPerChunk rows (rows 0..RowCount) so that a change of a few rows only
// copies the chunks it touched.
struct Snapshot {
  static constexpr int32_t kRowsPerChunk = 2048;
  using Chunk = std::vector<RowSlots>;

  SnapshotKind kind = SnapshotKind::None;
  GridCell cursor;  // the remembered cursor when it was taken
  int32_t RowCount = 0;
  int32_t RowsPerBar = 0;
  int32_t ColumnCount = 0;
  int32_t PreRows = 0;
  int32_t MaxSlot = 0;
  std::shared_ptr<const std::u16string> OctaveLine;
  std::shared_ptr<const std::u16string> LetterLine;
  std::shared_ptr<const std::vector<int32_t>> ColumnPitch;
  std::shared_ptr<const std::vector<int16_t>> BarAdjust;
  std::vector<std::shared_ptr<const Chunk>> RowChunks;

  bool empty() const { return kind == SnapshotKind::None; }
  // Rows 0..RowCount put together again.
  std::vector<RowSlots> RowNotes() const;
};

// Six snapshots in a ring with the current position, the undo and redo
// counts and the enabled state of the Undo and Redo commands.
class UndoRing {
 public:
  static constexpr int kPlaces = 6;
  static constexpr int kMaxUndo = 5;

  UndoRing() { Reset(); }
  // Position -1, undo count -1, redo count 0, every place empty, both
  // commands disabled.
  void Reset();

  // Restore(kind): takes a snapshot of the score after a change.
  void Take(SnapshotKind kind, const Score& s, GridCell cursor);

  // Undo one step. Does nothing and returns false while the
  // Undo command is disabled. Otherwise applies the kind stored at the
  // current place with the values of the place before it, and returns the
  // kind applied.
  SnapshotKind Undo(Score& s);
  // Redo one step; kinds 5 and 9 are applied as each other.
  SnapshotKind Redo(Score& s);

  bool undoEnabled() const { return undoEnabled_; }
  bool redoEnabled() const { return redoEnabled_; }
  int position() const { return position_; }
  int undoCount() const { return undoCount_; }
  int redoCount() const { return redoCount_; }
  const Snapshot& at(int place) const { return places_[static_cast<size_t>(place)]; }

 private:
  std::array<Snapshot, kPlaces> places_;
  int position_ = -1;
  int undoCount_ = -1;
  int redoCount_ = 0;
  bool undoEnabled_ = false;
  bool redoEnabled_ = false;
};

// UndoPro: puts the fields that `kind` restores from `values` into the score.
// Kinds 5 and 12 raise MaxSlot to the snapshot's when that is higher.
void ApplySnapshot(Score& s, const Snapshot& values, SnapshotKind kind);

// ---- clipboard --------------------------------------------------------------

// The editor's own clipboard; it lives for the whole run.
struct Clipboard {
  int32_t rows = 0;
  int32_t cols = 0;
  std::vector<uint8_t> marks;  // rows x cols, row-major; 1 = "○"
  std::string description;     // e.g. "2･1=5C→4:3"; empty until the first copy
  bool empty() const { return description.empty(); }
  bool Mark(int32_t r, int32_t c) const { return marks[static_cast<size_t>(r) * cols + c] != 0; }
};

// Kept beside the Score for the whole run (outlives the editor window).
struct EditorSession {
  Clipboard clipboard;
  // The player must prepare the song afresh before playing again.
  bool NeedsPrepare = false;
};

// ---- prompt box -------------------------------------------------------------

enum class PromptMode { ColAdd, NotMov, Test, Phrajt };

// How the caller sets up the prompt box before showing it.
struct PromptRequest {
  PromptMode mode = PromptMode::Phrajt;
  std::string caption = "確認ダイアログ";
  std::string text = "ほんとうですか？";
  // The entry field (ColAdd, Phrajt): initial text and input mask.
  std::string entry;
  std::string mask;
  // The amount list (NotMov): the items and the one selected at first.
  std::vector<std::string> items;
  std::string selected;
};

// Called when OK is pressed with the entry text (the typed entry or the
// chosen amount); sets the prompt result and returns true to close the box,
// or false to keep it open with its entry (a refused ColAdd entry).
using PromptOk = std::function<bool(const std::string& entry, std::string& result)>;

// The prompt result of Cancel in each mode (`current` for Test).
std::string PromptCancelResult(PromptMode mode, const std::string& current);

// ---- editor state and context -----------------------------------------------

// State kept while the editor window exists.
struct EditorState {
  GridCell cursor;     // remembered cursor
  GridCell current;    // the grid's current cell
  GridRect selection;  // the grid's selection (contains `current`)
  bool toggleArmed = false;
  bool flatDisplay = false;      // rdoSF: false "＃表示", true "♭表示"
  bool soundOnCursor = true;     // the "カーソル移動発音" check box
  UndoRing undo;

  // Moves the grid's current cell and collapses the selection to it.
  void MoveTo(GridCell c) {
    current = c;
    selection = GridRect::Of(c);
  }
  // "Remember the current cell as the cursor".
  void RememberCurrent() { cursor = current; }
  // Collapses the selection to the current cell.
  void CollapseSelection() { selection = GridRect::Of(current); }
};

// What the editor's operations ask of their surroundings: the window, the
// batch tool or a test.
class EditorHost {
 public:
  virtual ~EditorHost() = default;
  // A MIDI short message (status + data1 * 256 + data2 * 65536).
  virtual void SendShortMessage(uint32_t /*message*/) {}
  // A media file is loaded through the media player.
  virtual bool MediaActive() const { return false; }
  // Shows the prompt box modally and returns the prompt result.
  virtual std::string RunPrompt(const PromptRequest& request, const PromptOk& onOk) = 0;
  // Lets the user interface handle pending events during long operations.
  virtual void ProcessEvents() {}
};

// Everything an editor operation works on.
struct EditorContext {
  Score& score;
  EditorState& state;
  EditorSession& session;
  Messages& messages;
  EditorHost& host;

  // Restore(kind): one undo snapshot with the remembered cursor.
  void Restore(SnapshotKind kind) { state.undo.Take(kind, score, state.cursor); }
  // Sets Modified and, unless told otherwise, NeedsPrepare.
  void MarkChanged(bool needsPrepare = true) {
    score.Modified = true;
    if (needsPrepare) session.NeedsPrepare = true;
  }
};

}  // namespace poronka::editor

namespace poronka::editor {

// True when `text` could stand in an edit with this input mask: '0' a
// required digit, '9' an optional digit, '#' an optional digit or sign,
// 'C' a required character, 'c' an optional one; blanks (' ') stand for
// optional positions left empty. The mask text is up to its first ';'.
bool TextFitsMask(const std::string& text, const std::string& mask);

}  // namespace poronka::editor
