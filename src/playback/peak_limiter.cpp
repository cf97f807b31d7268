#include "playback/peak_limiter.h"

#include <algorithm>
#include <cmath>

namespace poronka {

PeakLimiter::PeakLimiter(float ceiling, int lookAhead, int releaseFrames)
    : ceiling_(ceiling),
      lookAhead_(static_cast<size_t>(std::max(lookAhead, 1))),
      release_(1.0f - std::exp(-1.0f / static_cast<float>(std::max(releaseFrames, 1)))),
      delayL_(lookAhead_, 0.0f),
      delayR_(lookAhead_, 0.0f) {}

void PeakLimiter::Process(float* left, float* right, int frames) {
  for (int i = 0; i < frames; ++i) {
    // The gain this frame needs, entered into the window of frames ahead.
    const float peak = std::max(std::fabs(left[i]), std::fabs(right[i]));
    const float need = peak > ceiling_ ? ceiling_ / peak : 1.0f;
    while (!window_.empty() && window_.back().second >= need) window_.pop_back();
    window_.emplace_back(count_, need);
    // The frame leaving now is the one taken lookAhead frames ago; the
    // window spans it and every frame after it.
    const long long leaving = count_ - static_cast<long long>(lookAhead_);
    while (window_.front().first < leaving) window_.pop_front();
    const float lowest = window_.front().second;
    gain_ = std::min(lowest, gain_ + (1.0f - gain_) * release_);
    const float outL = delayL_[at_] * gain_, outR = delayR_[at_] * gain_;
    delayL_[at_] = left[i];
    delayR_[at_] = right[i];
    at_ = (at_ + 1) % lookAhead_;
    left[i] = outL;
    right[i] = outR;
    ++count_;
  }
}

}  // namespace poronka
