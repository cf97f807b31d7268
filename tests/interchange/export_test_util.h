// Small songs built in code for the exporter tests.
#pragma once

#include <string>
#include <vector>

#include "core/score.h"

namespace poronka::testing {

// A song whose column c (1-based) sounds MIDI key keys[c - 1]; rows[r - 1]
// lists the columns struck in row r.
inline Score MakeSong(const std::vector<int>& keys, const std::vector<std::vector<int32_t>>& rows,
                      int noteValue = 4, int halfPeriod = 375) {
  Score s;
  s.Title = "";
  s.HalfPeriod = halfPeriod;
  s.NoteValue = noteValue;
  s.RowsPerBar = 4;
  s.ColumnCount = static_cast<int32_t>(keys.size());
  s.ColumnPitch.assign(1, 0);
  for (int k : keys) s.ColumnPitch.push_back(k);
  s.RowCount = static_cast<int32_t>(rows.size());
  s.RowNotes.assign(1, RowSlots{});
  for (const auto& r : rows) s.RowNotes.push_back(RowFromColumns(r));
  s.MaxSlot = ComputeMaxSlot(s);
  return s;
}

inline std::string Bytes(std::initializer_list<int> v) {
  std::string out;
  for (int b : v) out.push_back(static_cast<char>(b));
  return out;
}

}  // namespace poronka::testing
