#include "playback/offline_render.h"

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

#include "core/load_hooks.h"
#include "playback/builtin_synth.h"

namespace poronka {

namespace {

// Passes every message on to a synthesizer owned elsewhere.
class ForwardDevice : public MidiDevice {
 public:
  explicit ForwardDevice(MidiDevice& to) : to_(to) {}
  void ShortMsg(uint32_t m) override { to_.ShortMsg(m); }
  void Reset() override { to_.Reset(); }

 private:
  MidiDevice& to_;
};

int64_t FramesAt(int64_t ms) {
  const __int128 f = static_cast<__int128>(ms) * kRenderSampleRate / 1000;
  return f > std::numeric_limits<int64_t>::max() ? std::numeric_limits<int64_t>::max() : static_cast<int64_t>(f);
}

}  // namespace

bool OfflineEngine::Drive(Score& s, int keyShift, int rows, const std::function<bool(int64_t)>& at,
                          const std::function<void()>& beforeStop) {
  engine.PrepareSong(Preparation::Full);
  engine.state.Transpose = keyShift * 256;
  bool ended = !at(0);
  if (!ended) engine.Start();
  int sounded = 0;
  // Without a playlist the song never ends, so the loop ends by rows; the
  // bound only guards against a stuck engine.
  const int64_t maxTicks = 4LL * std::max(rows, 0) + 16;
  for (int64_t k = 1; !ended && sounded < rows && k <= maxTicks; ++k) {
    if (!at(k * s.HalfPeriod)) {
      ended = true;
      break;
    }
    const bool soundTick = engine.state.TickGate && !engine.state.AdvanceNext;
    timer.Fire();
    if (soundTick) ++sounded;
  }
  if (!ended && beforeStop) beforeStop();
  engine.Stop();
  return !ended;
}

int64_t RenderFrameCount(const Score& s, int rows) {
  const int64_t half = std::max<int64_t>(s.HalfPeriod, kDefaultTimerMinPeriod);
  const __int128 ms = static_cast<__int128>(2) * std::max(rows, 0) * half + kRenderTailMs;
  const __int128 frames = ms * kRenderSampleRate / 1000;
  return frames > std::numeric_limits<int64_t>::max() ? std::numeric_limits<int64_t>::max()
                                                      : static_cast<int64_t>(frames);
}

RenderResult RenderSong(Score& s, const RenderJob& job, AudioSink& sink,
                        const std::function<bool(int64_t, int64_t)>& progress, std::string& error) {
  BuiltInSynth::Options so;
  so.soundFont = job.soundFont;
  so.realTime = false;
  so.sampleRate = kRenderSampleRate;
  std::unique_ptr<BuiltInSynth> synth = BuiltInSynth::Create(so, &error);
  if (!synth) return RenderResult::NoSynth;
  const int64_t total = RenderFrameCount(s, job.rows);
  OfflineEngine rig(s, job.settings);
  rig.devices.Out().Attach(std::make_unique<ForwardDevice>(*synth));
  std::vector<int16_t> block(static_cast<size_t>(kRenderBlockFrames) * kRenderChannels);
  int64_t done = 0;
  RenderResult result = RenderResult::Ok;
  auto renderTo = [&](int64_t ms) {
    const int64_t target = FramesAt(ms);
    while (done < target) {
      const int n = static_cast<int>(std::min<int64_t>(kRenderBlockFrames, target - done));
      synth->Render(block.data(), n);
      if (!sink.Write(block.data(), n)) {
        result = RenderResult::WriteFailed;
        return false;
      }
      done += n;
      if (progress && !progress(done, total)) {
        result = RenderResult::Cancelled;
        return false;
      }
    }
    return true;
  };
  int64_t lastTick = 0;
  rig.Drive(
      s, job.keyShift, job.rows,
      [&](int64_t t) {
        lastTick = t;
        return renderTo(t);
      },
      [&] { renderTo(lastTick + kRenderTailMs); });  // the tail rings out before the stop
  return result;
}

}  // namespace poronka
