// The score editor's operations on the Score and the editor state: what the
// grid shows (labels, pitch letters, marks), showing the editor, toggling a
// note, New, sounding rows, copy and paste, undo and redo, and the checks of
// the song information dialog. Plain C++; the window only mirrors it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "editor/editor_state.h"

namespace poronka::editor {

// ---- what the grid shows ----------------------------------------------------

// Row labels of score rows 1..RowCount by the row labelling rule (index 0
// unused). BarAdjust entries past the end of the table count as 0.
std::vector<BarBeat> RowLabels(const Score& s);
// Label of one score row (1..RowCount).
BarBeat RowLabelOf(const Score& s, int32_t scoreRow);
// "3･2".
std::string LabelText(BarBeat label);
// Reads "3･2" back (bar, position); false when it is not such a label.
bool ParseLabel(const std::string& text, BarBeat& label);

// The flat name of a sharp letter by the five replacements a→b, g→a, f→g,
// d→e, c→d (each on the current text); other letters stay.
char16_t FlatLetterOf(char16_t sharpLetter);
// Header rows of grid column c (1..ColumnCount): octave digit, and the letter
// as stored or in its flat name.
std::u16string OctaveCell(const Score& s, int32_t col);
std::u16string LetterCell(const Score& s, int32_t col, bool flat);
// Octave digit and shown letter of a column, e.g. "5C" or "6b" (UTF-8).
std::string ColumnNameShown(const Score& s, int32_t col, bool flat);

// True when grid cell (col, grid row) shows "○".
bool CellMarked(const Score& s, int32_t col, int32_t gridRow);

// The cursor label: "(5)2･1=5C" for a cell of a score row; the spare row shows
// only "(n)" with an empty label.
std::string CursorText(const Score& s, GridCell cell, bool flat);

// Header labels.
std::string SpeedLabel(const Score& s);                      // "速度:750mS／行"
std::string PhraseLabel(const Score& s);                     // "4行/小節"
std::string NoteLabel(const Score& s, bool perRow);          // "4分音符／行" or "4分音符"

// ---- MIDI -------------------------------------------------------------------

constexpr uint32_t ShortMessage(int status, int data1, int data2 = 0) {
  return static_cast<uint32_t>(status) | (static_cast<uint32_t>(data1) << 8) |
         (static_cast<uint32_t>(data2) << 16);
}
// The fixed music box set-up of channels 0..15 except 9, in sending order.
std::vector<uint32_t> MusicBoxSetupMessages();
// Note-ons (velocity 100) of every note of a score row, channel = slot.
std::vector<uint32_t> RowNoteOns(const Score& s, int32_t scoreRow);

// ---- showing, New ---------------------------------------------------------------

enum class ShowSender { Window, Open, Undo };

// The editor comes up (Window) or Open loaded a score: a score without pitch
// columns becomes the New score (base snapshot of kind 2); the window itself
// takes the base snapshot; Open resets the ring and takes a base snapshot of the new score. Unless the
// sender is Undo: NeedsPrepare is cleared and the cursor goes to column 1,
// grid row 2.
void ShowEditor(EditorContext& ctx, ShowSender sender);

// Clears the score for a new song after the question. Returns false when the question was cancelled.
bool NewScore(EditorContext& ctx);

// ---- notes ------------------------------------------------------------------

// Remembers the current cell; toggles its note when the toggle
// is armed, the cell is on a score row and the selection is one cell.
// Returns true when the score changed.
bool ToggleNote(EditorContext& ctx);

// Up (-1) and Down (+1) on the grid: strikes every note of the score row
// above or below the current cell when sounding on cursor moves is on.
void SoundRowForMove(EditorContext& ctx, int direction);

// ---- clipboard --------------------------------------------------------------

// Copies the selection and collapses it.
void CopySelection(EditorContext& ctx);
// Pastes at the current cell. Does nothing before any copy.
void Paste(EditorContext& ctx);
// Hints of the paste command: the menu item's and the button's.
std::string PasteMenuHint(const Clipboard& c);
std::string PasteButtonHint(const Clipboard& c);

// ---- undo and redo ----------------------------------------------------------

// Undo and redo; return the kind applied (None when disabled).
SnapshotKind UndoStep(EditorContext& ctx);
SnapshotKind RedoStep(EditorContext& ctx);

// ---- song information -------------------------------------------------------

// The texts of the dialog's fields.
struct SongInfoFields {
  std::string speed;    // speed field, ms per row
  std::string phrlen;   // rows per bar field, RowsPerBar
  std::string note;     // note value field, NoteValue
  std::string brc;      // pre-count field, PreRows
  std::string title;    // title, lines separated by "\r\n" or "\n"
};
enum class SongInfoField { None, Speed, Phrlen, Note, Brc };

// The fields the song information dialog opens with.
SongInfoFields SongInfoFromScore(const Score& s);
// The dialog's OK: runs the checks in order; on a refusal shows its message
// and returns the field to focus (the score is unchanged). Otherwise applies
// the values and returns None.
SongInfoField ApplySongInfo(EditorContext& ctx, const SongInfoFields& f);

// ---- saving -----------------------------------------------------------------

enum class SaveWriter { Mbt, Smf, Mfi4, Mfi16 };
// The writer chosen by Save As: filter index 1..4 and the chosen file name.
SaveWriter WriterForSaveAs(int filterIndex, const std::string& fileName, int32_t maxSlot);
// The file Save As writes for the chosen name and filter index 1..4: a name
// without an extension gets the filter's (".MBT" for every file), and with
// the MBT, MIDI or ringtone filter a name ending in another of those three
// extensions gets the filter's one instead. Other names stay as chosen.
std::string SaveAsFileName(const std::string& chosen, int filterIndex);
// Save writes the MBT in place only for a ".MBT" file name.
bool SaveWritesInPlace(const std::string& fileName);

// The question of New and Exit.
extern const char* const kClearQuestion;

}  // namespace poronka::editor
