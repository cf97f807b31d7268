// The one music box song held in memory, and the operations every writer of
// it shares: the slot rules of a row, column pitches, tempo and song length,
// bar and beat numbering.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace poronka {

// Slots of one row: column numbers (1-based) of the row's notes in ascending
// order in slots 0..8 and 10..15; slot 9 is always 0; the first 0 ends the row.
constexpr int kSlotsPerRow = 16;
constexpr int kUnusedSlot = 9;
constexpr int kMaxNotesPerRow = 15;
using RowSlots = std::array<int32_t, kSlotsPerRow>;

// The MBT reader and the editor keep at most this many rows; the MIDI import
// may add four empty rows after it.
constexpr int32_t kMaxRows = 100000;
constexpr int32_t kMaxImportRows = 100004;

// Sharp and flat letters of the twelve semitones above C.
inline constexpr char kSharpLetters[] = "CcDdEFfGgAaB";
inline constexpr char kFlatLetters[] = "CdDeEFgGaAbB";

struct Score {
  std::string FileName;  // UTF-8 path; empty for an unsaved song
  std::string Title;     // UTF-8; lines separated by "\r\n"
  int32_t HalfPeriod = 0;  // ms, half of one row's duration
  int32_t RowsPerBar = 4;
  int32_t NoteValue = 4;
  int32_t Bpm = 0;
  int32_t PreRows = 0;
  std::vector<int16_t> BarAdjust = std::vector<int16_t>(2, 0);  // index 0 unused
  // One character per column. Kept as UTF-16 units so that a file whose
  // pitch lines hold other characters still round-trips and counts columns
  // the way the file's text does.
  std::u16string OctaveLine;
  std::u16string LetterLine;
  int32_t ColumnCount = 0;
  std::vector<int32_t> ColumnPitch = std::vector<int32_t>(1, 0);  // [0] unused
  int32_t RowCount = 0;
  std::vector<RowSlots> RowNotes = std::vector<RowSlots>(1, RowSlots{});  // rows 0..RowCount
  int32_t MaxSlot = 0;
  bool Modified = false;
};

// ---- slot rules -----------------------------------------------------------

// The slot that follows `slot` in storing order (0..8, 10..15); 16 after 15.
constexpr int NextSlot(int slot) { return slot + 1 == kUnusedSlot ? slot + 2 : slot + 1; }

// Number of notes stored in a row (stops at the first empty slot).
int NoteCountOf(const RowSlots& row);

// Calls f(slot, column) for each note of the row in slot order.
template <typename F>
void ForEachNote(const RowSlots& row, F&& f) {
  for (int k = 0; k < kSlotsPerRow; k = NextSlot(k)) {
    if (row[k] == 0) return;
    f(k, row[k]);
  }
}

// Highest slot index used by a row, or -1 for an empty row.
int HighestSlotOf(const RowSlots& row);

// Builds a row from ascending column numbers; columns past the 15th are dropped.
RowSlots RowFromColumns(const std::vector<int32_t>& ascendingColumns);
std::vector<int32_t> ColumnsOf(const RowSlots& row);
bool RowHasColumn(const RowSlots& row, int32_t column);

// Highest slot used by any row 1..RowCount (-1 when there are no notes).
int ComputeMaxSlot(const Score& s);

// Copies slots 0..MaxSlot of the last row into row 0.
void CopyLastRowToRowZero(Score& s);

// ---- pitches --------------------------------------------------------------

// Position of a letter in "CcDdEFfGgAaB", or -1.
int SharpLetterPosition(char16_t letter);
// Rebuilds ColumnCount (from LetterLine) and ColumnPitch (index 0 = 0).
// The octave character is read alone as a decimal digit; a non-digit counts
// as 0 here (the MBT reader refuses such files before calling this).
void DeriveColumnPitches(Score& s);
// Display name of a MIDI note: octave digit and sharp (or flat) letter.
std::string PitchName(int midiNote, bool flat = false);

// ---- tempo and length -------------------------------------------------------

// round(60000 / (HalfPeriod * 2 * NoteValue / 4)), ties to even; 0 when the
// divisor is not positive.
int32_t DeriveBpm(int32_t halfPeriod, int32_t noteValue);
// Integer form: 120000 div (HalfPeriod * NoteValue).
int32_t BpmIntegerForm(int32_t halfPeriod, int32_t noteValue);
// HalfPeriod = 120000 div (NoteValue * Bpm).
int32_t HalfPeriodForBpm(int32_t noteValue, int32_t bpm);
// "n:ss" of RowCount * HalfPeriod * 2 ms; minutes are those of the hour.
std::string SongLengthText(int64_t rowCount, int64_t halfPeriod);

// ---- bars -------------------------------------------------------------------

struct BarBeat {
  int32_t bar;
  int32_t beat;
};
// Bar and beat of row r as the player shows them (BarAdjust ignored).
BarBeat PlayerBarBeat(int32_t row, int32_t preRows, int32_t rowsPerBar);
int32_t PlayerBarTotal(int32_t rowCount, int32_t preRows, int32_t rowsPerBar);
// Bar and beat of every row 1..RowCount honouring BarAdjust (index 0 of the
// result is unused). A bar past the end of the table counts as regular.
std::vector<BarBeat> EditorBarNumbers(const Score& s);
// Entries of BarAdjust for the editor's sizing rule:
// ((RowCount + PreRows) div RowsPerBar) + 2, never fewer than 2.
int32_t EditorBarAdjustSize(const Score& s);

// ---- new song ---------------------------------------------------------------

// Resets every field to the editor's New song (FileName and Modified are
// left to the caller).
void MakeNewSong(Score& s);

}  // namespace poronka
