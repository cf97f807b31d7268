#include "interchange/box_fit.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <sstream>

namespace poronka {

namespace {

constexpr int kHighestColumnNote = 119;  // octave digit 9, letter B

int ColumnPitchOf(const Score& s, int32_t col) {
  return col >= 1 && col < static_cast<int32_t>(s.ColumnPitch.size()) ? s.ColumnPitch[static_cast<size_t>(col)] : -1;
}

int32_t LastRow(const Score& s) {
  return std::min<int32_t>(s.RowCount, static_cast<int32_t>(s.RowNotes.size()) - 1);
}

std::string Mm(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

void JsonNote(std::ostringstream& o, const FitNote& n) {
  o << "{\"row\":" << n.row << ",\"label\":\"" << n.label.bar << "･" << n.label.beat << "\",\"column\":" << n.column
    << ",\"pitch\":" << n.pitch << ",\"name\":\"" << FitPitchName(n.pitch) << "\"";
}

std::string JsonEscape(const std::string& s) {
  std::string out;
  for (unsigned char c : s) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c < 0x20) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "\\u%04x", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string FitPitchName(int midiNote) { return PitchName(midiNote); }

FitReport CheckFit(const Score& s, const MusicBox& box, double mmPerRow, int shift) {
  FitReport r;
  r.shift = shift;
  r.mmPerRow = mmPerRow;
  const std::vector<BarBeat> labels = EditorBarNumbers(s);
  // Row of the last hole that struck each track.
  std::vector<int32_t> lastStrike(box.pitches.size(), 0);
  const int32_t last = LastRow(s);
  for (int32_t row = 1; row <= last; ++row) {
    std::vector<int> struck;  // tracks this row already punched
    ForEachNote(s.RowNotes[static_cast<size_t>(row)], [&](int, int32_t col) {
      ++r.notes;
      FitNote n;
      n.row = row;
      n.column = col;
      n.label = row < static_cast<int32_t>(labels.size()) ? labels[static_cast<size_t>(row)] : BarBeat{0, 0};
      n.pitch = ColumnPitchOf(s, col) + shift;
      const int track = box.TrackOf(n.pitch);
      if (track < 0) {
        r.unplayable.push_back(n);
        return;
      }
      if (std::find(struck.begin(), struck.end(), track) != struck.end()) return;  // the same hole again
      struck.push_back(track);
      int32_t& prev = lastStrike[static_cast<size_t>(track)];
      const double distance = (row - prev) * mmPerRow;
      if (prev > 0 && distance < box.minRepeatMm - 1e-9) {
        TooCloseNote t;
        static_cast<FitNote&>(t) = n;
        t.previousRow = prev;
        t.distanceMm = distance;
        r.tooClose.push_back(t);
        return;
      }
      prev = row;
    });
  }
  return r;
}

int32_t CountUnplayable(const Score& s, const MusicBox& box, int shift) {
  // Count the notes per column once, then look each column up.
  std::vector<int32_t> perColumn(static_cast<size_t>(std::max(s.ColumnCount, 0)) + 1, 0);
  int32_t outside = 0;  // notes of columns beyond the table count as unplayable
  const int32_t last = LastRow(s);
  for (int32_t row = 1; row <= last; ++row)
    ForEachNote(s.RowNotes[static_cast<size_t>(row)], [&](int, int32_t col) {
      if (col >= 1 && col < static_cast<int32_t>(perColumn.size()))
        ++perColumn[static_cast<size_t>(col)];
      else
        ++outside;
    });
  int32_t n = outside;
  for (int32_t c = 1; c < static_cast<int32_t>(perColumn.size()); ++c)
    if (perColumn[static_cast<size_t>(c)] > 0 && box.TrackOf(ColumnPitchOf(s, c) + shift) < 0)
      n += perColumn[static_cast<size_t>(c)];
  return n;
}

std::vector<int> AllowedShifts(const Score& s) {
  int lo = kHighestColumnNote, hi = 0;
  for (int32_t c = 1; c <= s.ColumnCount; ++c) {
    const int p = ColumnPitchOf(s, c);
    lo = std::min(lo, p);
    hi = std::max(hi, p);
  }
  std::vector<int> shifts;
  for (int k = -kMaxFitShift; k <= kMaxFitShift; ++k)
    if (s.ColumnCount <= 0 || (lo + k >= 0 && hi + k <= kHighestColumnNote)) shifts.push_back(k);
  return shifts;
}

BestShift FindBestShift(const Score& s, const MusicBox& box) {
  std::vector<int> order = AllowedShifts(s);
  std::stable_sort(order.begin(), order.end(), [](int a, int b) {
    if (std::abs(a) != std::abs(b)) return std::abs(a) < std::abs(b);
    return a > b;
  });
  BestShift best{0, CountUnplayable(s, box, 0)};
  bool first = true;
  for (int k : order) {
    const int32_t n = CountUnplayable(s, box, k);
    if (first || n < best.unplayable) best = {k, n};
    first = false;
  }
  return best;
}

bool ShiftColumns(Score& s, int shift) {
  for (int32_t c = 1; c <= s.ColumnCount; ++c) {
    const int p = ColumnPitchOf(s, c) + shift;
    if (p < 0 || p > kHighestColumnNote) return false;
  }
  std::u16string oct, let;
  for (int32_t c = 1; c <= s.ColumnCount && c < static_cast<int32_t>(s.ColumnPitch.size()); ++c) {
    int32_t& p = s.ColumnPitch[static_cast<size_t>(c)];
    p += shift;
    const std::string name = PitchName(p);
    oct += static_cast<char16_t>(name[0]);
    let += static_cast<char16_t>(name[1]);
  }
  s.OctaveLine = std::move(oct);
  s.LetterLine = std::move(let);
  return true;
}

std::vector<FitNote> MapToComb(Score& s, const MusicBox& box) {
  std::vector<FitNote> dropped;
  const std::vector<BarBeat> labels = EditorBarNumbers(s);
  const int32_t last = LastRow(s);
  for (int32_t row = 1; row <= last; ++row) {
    std::vector<int32_t> cols;
    ForEachNote(s.RowNotes[static_cast<size_t>(row)], [&](int, int32_t col) {
      const int pitch = ColumnPitchOf(s, col);
      const int track = box.TrackOf(pitch);
      if (track < 0) {
        FitNote n;
        n.row = row;
        n.column = col;
        n.label = row < static_cast<int32_t>(labels.size()) ? labels[static_cast<size_t>(row)] : BarBeat{0, 0};
        n.pitch = pitch;
        dropped.push_back(n);
        return;
      }
      cols.push_back(track + 1);
    });
    std::sort(cols.begin(), cols.end());
    cols.erase(std::unique(cols.begin(), cols.end()), cols.end());
    s.RowNotes[static_cast<size_t>(row)] = RowFromColumns(cols);
  }
  s.OctaveLine.clear();
  s.LetterLine.clear();
  s.ColumnPitch.assign(1, 0);
  for (int p : box.pitches) {
    const std::string name = PitchName(p);
    s.OctaveLine += static_cast<char16_t>(name[0]);
    s.LetterLine += static_cast<char16_t>(name[1]);
    s.ColumnPitch.push_back(p);
  }
  s.ColumnCount = static_cast<int32_t>(box.pitches.size());
  s.MaxSlot = std::max(s.MaxSlot, ComputeMaxSlot(s));
  CopyLastRowToRowZero(s);
  return dropped;
}

std::string FitReportText(const FitReport& r, const MusicBox& box, const BestShift& best) {
  std::ostringstream o;
  o << "オルゴール: " << box.title << "（" << box.pitches.size() << "音）\n";
  o << "1行の長さ: " << Mm(r.mmPerRow) << " mm、同じ音の穴の最小間隔: " << Mm(box.minRepeatMm) << " mm\n";
  if (r.shift != 0) o << "移調: " << (r.shift > 0 ? "+" : "") << r.shift << "\n";
  o << "音の数: " << r.notes << "\n";
  o << "演奏できない音: " << r.unplayable.size() << "\n";
  for (const FitNote& n : r.unplayable)
    o << "  行 " << n.row << "（" << n.label.bar << "･" << n.label.beat << "） " << FitPitchName(n.pitch) << "\n";
  o << "間隔が短すぎる音: " << r.tooClose.size() << "\n";
  for (const TooCloseNote& n : r.tooClose)
    o << "  行 " << n.row << "（" << n.label.bar << "･" << n.label.beat << "） " << FitPitchName(n.pitch) << " 前の穴（行 "
      << n.previousRow << "）から " << Mm(n.distanceMm) << " mm\n";
  o << "最適な移調: " << (best.shift > 0 ? "+" : "") << best.shift << "（演奏できない音 " << best.unplayable << "）\n";
  o << (r.Fits() ? "このオルゴールで演奏できます。\n" : "このままでは演奏できません。\n");
  return o.str();
}

std::string FitReportJson(const FitReport& r, const MusicBox& box, const BestShift& best) {
  std::ostringstream o;
  o << "{\"box\":\"" << JsonEscape(box.name) << "\",\"title\":\"" << JsonEscape(box.title)
    << "\",\"mmPerRow\":" << r.mmPerRow << ",\"minRepeatMm\":" << box.minRepeatMm << ",\"shift\":" << r.shift
    << ",\"notes\":" << r.notes << ",\"fits\":" << (r.Fits() ? "true" : "false") << ",\"unplayable\":[";
  for (size_t i = 0; i < r.unplayable.size(); ++i) {
    if (i) o << ',';
    JsonNote(o, r.unplayable[i]);
    o << '}';
  }
  o << "],\"tooClose\":[";
  for (size_t i = 0; i < r.tooClose.size(); ++i) {
    if (i) o << ',';
    JsonNote(o, r.tooClose[i]);
    o << ",\"previousRow\":" << r.tooClose[i].previousRow << ",\"distanceMm\":" << r.tooClose[i].distanceMm << '}';
  }
  o << "],\"bestShift\":" << best.shift << ",\"bestUnplayable\":" << best.unplayable << "}";
  return o.str();
}

}  // namespace poronka
