// Whether a score can be punched for a paper-strip music box: the notes whose
// pitch the comb lacks, the notes that strike a tooth again before its star
// wheel is ready, the transposition that leaves the fewest unplayable notes,
// and the score rewritten onto the box's comb.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/score.h"
#include "interchange/music_box.h"

namespace poronka {

// Strip length of one row unless the user chooses another.
constexpr double kDefaultMmPerRow = 4.0;
// Transpositions tried when looking for the best one.
constexpr int kMaxFitShift = 24;

struct FitNote {
  int32_t row = 0;     // score row
  int32_t column = 0;  // pitch column of the note
  BarBeat label{};     // the editor's row label
  int pitch = 0;       // MIDI note, transposition included
};

struct TooCloseNote : FitNote {
  int32_t previousRow = 0;  // the row whose hole last struck the tooth
  double distanceMm = 0;
};

struct FitReport {
  int shift = 0;  // transposition the report was made with
  double mmPerRow = kDefaultMmPerRow;
  std::vector<FitNote> unplayable;
  // A hole that comes before the tooth's star wheel has turned on from the
  // previous hole that struck it is skipped by the box: such a hole does not
  // count as a strike for the holes after it. Two columns of one pitch in a
  // row make one hole.
  std::vector<TooCloseNote> tooClose;
  int32_t notes = 0;  // notes of the score
  bool Fits() const { return unplayable.empty() && tooClose.empty(); }
};

FitReport CheckFit(const Score& s, const MusicBox& box, double mmPerRow = kDefaultMmPerRow, int shift = 0);

// Notes whose pitch + shift the comb lacks.
int32_t CountUnplayable(const Score& s, const MusicBox& box, int shift);

// The shifts in -24..+24 that keep every column within the notes a column
// can name (0..119).
std::vector<int> AllowedShifts(const Score& s);

// The allowed shift that leaves the fewest unplayable notes; among equals the
// one nearest 0, upward before downward.
struct BestShift {
  int shift = 0;
  int32_t unplayable = 0;
};
BestShift FindBestShift(const Score& s, const MusicBox& box);

// Moves every column's pitch by `shift` semitones (the notes stay in their
// columns). False, with the score unchanged, when a column would leave 0..119.
bool ShiftColumns(Score& s, int shift);

// Rewrites the score onto the box's comb: the columns become the box's
// pitches, each note moves to the column of its pitch, and the notes whose
// pitch the box lacks are dropped and returned. Rows, bars and timing stay.
std::vector<FitNote> MapToComb(Score& s, const MusicBox& box);

// "5C" style name of a MIDI note as the editor shows it.
std::string FitPitchName(int midiNote);

// The report as text lines (Japanese) and as one JSON object.
std::string FitReportText(const FitReport& r, const MusicBox& box, const BestShift& best);
std::string FitReportJson(const FitReport& r, const MusicBox& box, const BestShift& best);

}  // namespace poronka
