// Playing a song offline: the playback engine on a simulated clock, either
// recording the MIDI messages it sends or driving the built-in synthesizer
// and handing the audio on block by block, so that memory does not grow
// with the song's length. The batch tool's render and trace commands and the
// windows' "WAV で保存" use it.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "core/messages.h"
#include "core/score.h"
#include "playback/engine.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "settings/sound_settings.h"

namespace poronka {

// An engine on a manual clock: no window, no playlist.
struct OfflineEngine {
  SoundSettings settings;
  FakeMidiSystem system;
  EnvironmentSystemSettings registry;
  RecordingMessages msgs;
  MidiDevices devices{system, registry, msgs};
  ManualTimer timer;
  NullPlayerDisplay display;
  PlaybackEngine engine;

  OfflineEngine(Score& s, const SoundSettings& ss) : settings(ss), engine(s, settings, devices, timer, display, msgs) {}

  // Prepares the song (which may raise HalfPeriod to the timer's minimum),
  // starts at time 0 and fires tick k at k * HalfPeriod; stops right after
  // the sound tick of the `rows`-th row. `at(t)` runs before each tick and
  // may return false to end the drive early; `beforeStop` runs right before
  // Stop. Returns false when `at` ended it.
  bool Drive(Score& s, int keyShift, int rows, const std::function<bool(int64_t)>& at,
             const std::function<void()>& beforeStop = {});
};

// What the rendered audio goes to.
class AudioSink {
 public:
  virtual ~AudioSink() = default;
  // Interleaved 16-bit stereo frames; false stops the render.
  virtual bool Write(const int16_t* interleaved, int64_t frames) = 0;
};

constexpr int kRenderSampleRate = 44100;
constexpr int kRenderChannels = 2;
// Largest block handed to the sink at once.
constexpr int kRenderBlockFrames = 4096;
// Ringing after the last row.
constexpr int64_t kRenderTailMs = 2000;

struct RenderJob {
  SoundSettings settings;
  int keyShift = 0;
  int rows = 0;           // rows to play (the song repeats past its end)
  std::string soundFont;  // empty: the default soundfont
};

enum class RenderResult { Ok, Cancelled, NoSynth, WriteFailed };

// Frames a render of `rows` rows produces: 2 * HalfPeriod ms per row (after
// the preparation's raise to the timer minimum) and the tail. Saturates
// instead of overflowing.
int64_t RenderFrameCount(const Score& s, int rows);

// Renders into `sink`. `progress(done, total)` runs after every block with
// frames done and the total; returning false cancels. The score is prepared
// the engine's way first (it may change HalfPeriod and row 0).
RenderResult RenderSong(Score& s, const RenderJob& job, AudioSink& sink,
                        const std::function<bool(int64_t, int64_t)>& progress, std::string& error);

}  // namespace poronka
