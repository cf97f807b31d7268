// What a song loader asks of the player while it fills the Score: the
// hourglass and Start button, the roll layout and dots, the loading window,
// the finishing of the play preparation and the data-error state. The
// defaults do nothing except the finishing that every caller needs.
#pragma once

#include <string>

#include "core/messages.h"
#include "core/score.h"

namespace poronka {

// The loading window: caption, label and a bar from 0 to 120.
class LoadProgress {
 public:
  virtual ~LoadProgress() = default;
  virtual void Open(const std::string& caption) = 0;
  virtual int Position() const = 0;
  virtual void StepIt() = 0;  // moves the bar one step forward
  virtual void SetToMax() = 0;
  virtual void Close() = 0;
};

// The smallest timer period the player allows (ms).
constexpr int kDefaultTimerMinPeriod = 4;

// Finishing part of the play preparation that needs no window: row 0 becomes
// a copy of the last row, a HalfPeriod below the timer minimum is raised to
// it with the message, and Bpm is derived.
void FinishPreparationCore(Score& s, int timerMinPeriod, Messages& msgs);

extern const char* const kTimerPrecisionMessage;

class LoadHooks {
 public:
  virtual ~LoadHooks() = default;
  virtual void BeginLoad() {}                      // hourglass on, Start disabled
  virtual void EndWaitCursor() {}                  // normal cursor back
  virtual void PrepareLayout(const Score&) {}      // layout of the roll for the new size
  virtual void DrawDot(int32_t /*row*/, int32_t /*column*/) {}
  virtual void FinishPreparation(Score& s, Messages& msgs) {
    FinishPreparationCore(s, kDefaultTimerMinPeriod, msgs);
  }
  virtual void ShowDataError() {}
  virtual void FocusStart() {}
  // Lets the user interface handle pending events during long loads.
  virtual void ProcessEvents() {}
  // The loading window, or nullptr when there is none.
  virtual LoadProgress* Loading() { return nullptr; }
};

}  // namespace poronka
