// Small helpers shared by the row and pitch operations of the editor.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <string>

#include "core/score.h"

namespace poronka::editor::ops_detail {

// BarAdjust[b]; entries beyond the table read as 0.
inline int32_t AdjustOf(const Score& s, int32_t bar) {
  return bar >= 0 && bar < static_cast<int32_t>(s.BarAdjust.size()) ? s.BarAdjust[static_cast<size_t>(bar)] : 0;
}

// Saturates to the 16 bits an adjustment is stored in.
inline int16_t Sat16(int64_t v) {
  return static_cast<int16_t>(std::clamp<int64_t>(v, std::numeric_limits<int16_t>::min(),
                                                  std::numeric_limits<int16_t>::max()));
}

// Writes BarAdjust[b], first extending the table with 0 entries.
inline void SetAdjust(Score& s, int32_t bar, int64_t value) {
  if (bar < 0) return;
  if (bar >= static_cast<int32_t>(s.BarAdjust.size())) s.BarAdjust.resize(static_cast<size_t>(bar) + 1, 0);
  s.BarAdjust[static_cast<size_t>(bar)] = Sat16(value);
}

// Makes BarAdjust exactly n entries long (new entries 0); never fewer than 2.
inline void ResizeAdjust(Score& s, int32_t n) { s.BarAdjust.resize(static_cast<size_t>(std::max(n, 2)), 0); }

// Keeps RowNotes at RowCount + 1 rows.
inline void FitRowTable(Score& s) {
  if (s.RowCount < 0) s.RowCount = 0;
  const size_t want = static_cast<size_t>(s.RowCount) + 1;
  if (s.RowNotes.size() != want) s.RowNotes.resize(want, RowSlots{});
}

inline std::string TrimBlanks(const std::string& t) {
  size_t b = 0, e = t.size();
  auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (b < e && blank(t[b])) ++b;
  while (e > b && blank(t[e - 1])) --e;
  return t.substr(b, e - b);
}

}  // namespace poronka::editor::ops_detail
