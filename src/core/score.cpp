#include "core/score.h"

#include <cmath>
#include <cstdio>

namespace poronka {

int NoteCountOf(const RowSlots& row) {
  int n = 0;
  ForEachNote(row, [&](int, int32_t) { ++n; });
  return n;
}

int HighestSlotOf(const RowSlots& row) {
  int highest = -1;
  ForEachNote(row, [&](int slot, int32_t) { highest = slot; });
  return highest;
}

RowSlots RowFromColumns(const std::vector<int32_t>& ascendingColumns) {
  RowSlots row{};
  int slot = 0;
  for (int32_t c : ascendingColumns) {
    if (slot >= kSlotsPerRow) break;
    row[slot] = c;
    slot = NextSlot(slot);
  }
  return row;
}

std::vector<int32_t> ColumnsOf(const RowSlots& row) {
  std::vector<int32_t> cols;
  ForEachNote(row, [&](int, int32_t c) { cols.push_back(c); });
  return cols;
}

bool RowHasColumn(const RowSlots& row, int32_t column) {
  bool found = false;
  ForEachNote(row, [&](int, int32_t c) { found = found || c == column; });
  return found;
}

int ComputeMaxSlot(const Score& s) {
  int highest = -1;
  for (int32_t r = 1; r <= s.RowCount && r < static_cast<int32_t>(s.RowNotes.size()); ++r) {
    int h = HighestSlotOf(s.RowNotes[r]);
    if (h > highest) highest = h;
  }
  return highest;
}

void CopyLastRowToRowZero(Score& s) {
  if (s.RowNotes.empty()) s.RowNotes.resize(1);
  if (s.RowCount < 0 || s.RowCount >= static_cast<int32_t>(s.RowNotes.size())) return;
  const RowSlots last = s.RowNotes[s.RowCount];
  for (int k = 0; k <= s.MaxSlot && k < kSlotsPerRow; ++k) s.RowNotes[0][k] = last[k];
}

int SharpLetterPosition(char16_t letter) {
  for (int i = 0; i < 12; ++i)
    if (kSharpLetters[i] == letter) return i;
  return -1;
}

void DeriveColumnPitches(Score& s) {
  s.ColumnCount = static_cast<int32_t>(s.LetterLine.size());
  s.ColumnPitch.assign(s.ColumnCount + 1, 0);
  for (int32_t c = 1; c <= s.ColumnCount; ++c) {
    int octave = 0;
    if (static_cast<size_t>(c - 1) < s.OctaveLine.size()) {
      char16_t ch = s.OctaveLine[c - 1];
      if (ch >= u'0' && ch <= u'9') octave = ch - u'0';
    }
    s.ColumnPitch[c] = octave * 12 + SharpLetterPosition(s.LetterLine[c - 1]);
  }
}

std::string PitchName(int midiNote, bool flat) {
  int octave = midiNote / 12;
  int pos = midiNote % 12;
  if (pos < 0) {
    pos += 12;
    --octave;
  }
  std::string name;
  name += static_cast<char>('0' + (octave % 10 + 10) % 10);
  name += (flat ? kFlatLetters : kSharpLetters)[pos];
  return name;
}

int32_t DeriveBpm(int32_t halfPeriod, int32_t noteValue) {
  double divisor = static_cast<double>(halfPeriod) * 2.0 * noteValue / 4.0;
  if (divisor <= 0) return 0;
  double v = std::nearbyint(60000.0 / divisor);
  if (v > 2147483647.0) return 2147483647;
  return static_cast<int32_t>(v);
}

int32_t BpmIntegerForm(int32_t halfPeriod, int32_t noteValue) {
  int64_t d = static_cast<int64_t>(halfPeriod) * noteValue;
  return d == 0 ? 0 : static_cast<int32_t>(120000 / d);
}

int32_t HalfPeriodForBpm(int32_t noteValue, int32_t bpm) {
  int64_t d = static_cast<int64_t>(noteValue) * bpm;
  return d == 0 ? 0 : static_cast<int32_t>(120000 / d);
}

std::string SongLengthText(int64_t rowCount, int64_t halfPeriod) {
  int64_t ms = rowCount * halfPeriod * 2;
  if (ms < 0) ms = 0;
  int64_t seconds = ms / 1000;
  int64_t minutes = (seconds / 60) % 60;
  char buf[32];
  std::snprintf(buf, sizeof buf, "%lld:%02lld", static_cast<long long>(minutes),
                static_cast<long long>(seconds % 60));
  return buf;
}

BarBeat PlayerBarBeat(int32_t row, int32_t preRows, int32_t rowsPerBar) {
  if (rowsPerBar <= 0) return {0, 0};
  int32_t n = row + preRows - 1;
  return {n / rowsPerBar + 1, n % rowsPerBar + 1};
}

int32_t PlayerBarTotal(int32_t rowCount, int32_t preRows, int32_t rowsPerBar) {
  if (rowsPerBar <= 0) return 0;
  return (rowCount + preRows - 1) / rowsPerBar + 1;
}

std::vector<BarBeat> EditorBarNumbers(const Score& s) {
  std::vector<BarBeat> out(static_cast<size_t>(s.RowCount > 0 ? s.RowCount : 0) + 1, BarBeat{0, 0});
  int32_t bar = 1;
  int32_t beat = s.PreRows;
  for (int32_t r = 1; r <= s.RowCount; ++r) {
    int32_t adjust = bar < static_cast<int32_t>(s.BarAdjust.size()) ? s.BarAdjust[bar] : 0;
    if (beat + 1 > s.RowsPerBar + adjust) {
      beat = 1;
      ++bar;
    } else {
      ++beat;
    }
    out[r] = {bar, beat};
  }
  return out;
}

int32_t EditorBarAdjustSize(const Score& s) {
  if (s.RowsPerBar <= 0) return 2;
  int32_t n = (s.RowCount + s.PreRows) / s.RowsPerBar + 2;
  return n < 2 ? 2 : n;
}

void MakeNewSong(Score& s) {
  s.Title = "無題";
  s.PreRows = 0;
  s.HalfPeriod = 375;
  s.RowsPerBar = 4;
  s.NoteValue = 4;
  s.Bpm = DeriveBpm(s.HalfPeriod, s.NoteValue);
  s.RowCount = 300;
  s.RowNotes.assign(301, RowSlots{});
  s.MaxSlot = 1;
  s.OctaveLine = std::u16string(12, u'4') + std::u16string(12, u'5') + std::u16string(12, u'6');
  s.LetterLine = u"CcDdEFfGgAaBCcDdEFfGgAaBCcDdEFfGgAaB";
  DeriveColumnPitches(s);
  s.BarAdjust.assign(77, 0);
}

}  // namespace poronka
