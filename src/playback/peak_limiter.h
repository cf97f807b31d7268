// Keeps a stereo signal below a ceiling without clipping it: a peak limiter
// that looks a little ahead, so the gain is already down when a loud onset
// arrives, and lets the gain come back slowly afterwards. Dense rows of a
// music box (fifteen notes struck at once, ringing for seconds) would
// otherwise sum past full scale. Signals below the ceiling pass unchanged,
// only delayed by the look-ahead.
#pragma once

#include <cstddef>
#include <deque>
#include <vector>

namespace poronka {

class PeakLimiter {
 public:
  // ceiling: the largest magnitude let through (1.0 is full scale);
  // lookAhead: frames of delay; releaseFrames: about how long the gain takes
  // to recover after a peak.
  PeakLimiter(float ceiling, int lookAhead, int releaseFrames);

  // Limits `frames` frames of two channels in place (each delayed by the
  // look-ahead; the first frames out are silence).
  void Process(float* left, float* right, int frames);

 private:
  float ceiling_;
  size_t lookAhead_;
  float release_;
  float gain_ = 1.0f;
  std::vector<float> delayL_, delayR_;
  size_t at_ = 0;        // ring position of the frame that leaves next
  long long count_ = 0;  // frames taken in so far
  // The gains the frames in the window need (frame number, gain), the
  // lowest first.
  std::deque<std::pair<long long, float>> window_;
};

}  // namespace poronka
