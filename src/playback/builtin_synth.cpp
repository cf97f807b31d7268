#include "playback/builtin_synth.h"

#include <fluidsynth.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "playback/peak_limiter.h"

namespace poronka {

const char* const kBuiltInSynthName = "内蔵シンセサイザー (FluidSynth)";

namespace {

void QuietLog(int, const char*, void*) {}

// FluidSynth's logger writes to stderr; probing drivers that are absent
// would fill it with noise.
void SilenceFluidLog() {
  static std::once_flag once;
  std::call_once(once, [] {
    fluid_set_log_function(FLUID_ERR, QuietLog, nullptr);
    fluid_set_log_function(FLUID_WARN, QuietLog, nullptr);
    fluid_set_log_function(FLUID_INFO, QuietLog, nullptr);
    fluid_set_log_function(FLUID_DBG, QuietLog, nullptr);
  });
}

}  // namespace

// The ceiling of the output (-1 dBFS), the limiter's look-ahead (about
// 0.7 ms) and its release (about 0.2 s), at 44.1 kHz.
constexpr float kCeiling = 0.891f;
constexpr int kLookAheadFrames = 32;
constexpr int kReleaseFrames = 8820;

struct BuiltInSynth::Parts {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_audio_driver_t* driver = nullptr;
  // Used by one thread only: the audio driver's, or the caller of Render.
  PeakLimiter limiter{kCeiling, kLookAheadFrames, kReleaseFrames};
  std::vector<float> left, right;
  // The file player runs inside the synthesizer's rendering; the mutex keeps
  // it from being replaced or stopped while a block renders.
  mutable std::mutex fileMutex;
  fluid_player_t* player = nullptr;
  int startTick = 0;
  std::atomic<bool> held{false};
  void DeletePlayer() {
    if (!player) return;
    fluid_player_stop(player);
    delete_fluid_player(player);
    player = nullptr;
    fluid_synth_all_sounds_off(synth, -1);
  }
  // Renders a block (silence while held); false on a synthesizer failure.
  bool Write(float* l, float* r, int len) {
    std::lock_guard lock(fileMutex);
    if (held.load(std::memory_order_relaxed)) {
      std::fill(l, l + len, 0.0f);
      std::fill(r, r + len, 0.0f);
      return true;
    }
    return fluid_synth_write_float(synth, len, l, 0, 1, r, 0, 1) == FLUID_OK;
  }
  ~Parts() {
    if (driver) delete_fluid_audio_driver(driver);
    {
      std::lock_guard lock(fileMutex);
      DeletePlayer();
    }
    if (synth) delete_fluid_synth(synth);
    if (settings) delete_fluid_settings(settings);
  }
};

std::string DefaultSoundFont() {
  const char* env = std::getenv("PORONKA_SOUNDFONT");
  if (env && *env) return env;
  return "/usr/share/sounds/sf2/default-GM.sf2";
}

std::unique_ptr<BuiltInSynth> BuiltInSynth::Create(const Options& options, std::string* error) {
  SilenceFluidLog();
  auto fail = [&](const std::string& why) -> std::unique_ptr<BuiltInSynth> {
    if (error) *error = why;
    return nullptr;
  };
  std::unique_ptr<BuiltInSynth> s(new BuiltInSynth());
  s->options_ = options;
  if (s->options_.soundFont.empty()) s->options_.soundFont = DefaultSoundFont();
  s->parts_ = std::make_unique<Parts>();
  Parts& p = *s->parts_;
  p.settings = new_fluid_settings();
  if (!p.settings) return fail("cannot create the synthesizer settings");
  fluid_settings_setnum(p.settings, "synth.sample-rate", options.sampleRate);
  fluid_settings_setnum(p.settings, "synth.gain", options.gain);
  fluid_settings_setint(p.settings, "synth.reverb.active", 1);
  fluid_settings_setint(p.settings, "synth.chorus.active", 1);
  fluid_settings_setint(p.settings, "synth.polyphony", options.polyphony);
  fluid_settings_setint(p.settings, "audio.period-size", options.periodSize);
  fluid_settings_setint(p.settings, "audio.periods", options.periods);
  fluid_settings_setint(p.settings, "audio.realtime-prio", 60);
  p.synth = new_fluid_synth(p.settings);
  if (!p.synth) return fail("cannot create the synthesizer");
  if (fluid_synth_sfload(p.synth, s->options_.soundFont.c_str(), 1) == FLUID_FAILED)
    return fail("cannot load the soundfont " + s->options_.soundFont);
  if (options.realTime) {
    for (const char* driver : {"pulseaudio", "alsa", "jack"}) {
      fluid_settings_setstr(p.settings, "audio.driver", driver);
      p.driver = new_fluid_audio_driver2(p.settings, &BuiltInSynth::PlayBlock, &p);
      if (p.driver) {
        s->driverName_ = driver;
        break;
      }
    }
    if (!p.driver) return fail("no audio output (tried pulseaudio, alsa, jack)");
  }
  return s;
}

BuiltInSynth::~BuiltInSynth() = default;

void BuiltInSynth::ShortMsg(uint32_t message) {
  fluid_synth_t* synth = parts_->synth;
  const int status = static_cast<int>(message & 0xFF);
  const int d1 = static_cast<int>((message >> 8) & 0x7F);
  const int d2 = static_cast<int>((message >> 16) & 0x7F);
  const int ch = status & 0x0F;
  switch (status & 0xF0) {
    case 0x80: fluid_synth_noteoff(synth, ch, d1); break;
    case 0x90:
      if (d2 == 0)
        fluid_synth_noteoff(synth, ch, d1);
      else
        fluid_synth_noteon(synth, ch, d1, d2);
      break;
    case 0xA0: fluid_synth_key_pressure(synth, ch, d1, d2); break;
    case 0xB0: fluid_synth_cc(synth, ch, d1, d2); break;
    case 0xC0: fluid_synth_program_change(synth, ch, d1); break;
    case 0xD0: fluid_synth_channel_pressure(synth, ch, d1); break;
    case 0xE0: fluid_synth_pitch_bend(synth, ch, d1 | (d2 << 7)); break;
    default: break;  // system messages are not used
  }
}

void BuiltInSynth::Reset() {
  for (int ch = 0; ch < 16; ++ch) {
    fluid_synth_cc(parts_->synth, ch, 64, 0);
    fluid_synth_all_notes_off(parts_->synth, ch);
  }
}

int BuiltInSynth::PlayBlock(void* data, int len, int, float*[], int nout, float* out[]) {
  Parts& p = *static_cast<Parts*>(data);
  if (nout < 2) return FLUID_FAILED;
  if (!p.Write(out[0], out[1], len)) return FLUID_FAILED;
  p.limiter.Process(out[0], out[1], len);
  return FLUID_OK;
}

void BuiltInSynth::Render(int16_t* interleaved, int frames) {
  Parts& p = *parts_;
  p.left.resize(static_cast<size_t>(std::max(frames, 0)));
  p.right.resize(p.left.size());
  if (frames <= 0) return;
  p.Write(p.left.data(), p.right.data(), frames);
  p.limiter.Process(p.left.data(), p.right.data(), frames);
  for (int i = 0; i < frames; ++i) {
    interleaved[2 * i] = static_cast<int16_t>(std::lrint(std::clamp(p.left[i], -1.0f, 1.0f) * 32767.0f));
    interleaved[2 * i + 1] = static_cast<int16_t>(std::lrint(std::clamp(p.right[i], -1.0f, 1.0f) * 32767.0f));
  }
}

bool BuiltInSynth::PlayFile(const std::string& bytes, int tick) {
  Parts& p = *parts_;
  std::lock_guard lock(p.fileMutex);
  p.DeletePlayer();
  p.player = new_fluid_player(p.synth);
  if (!p.player) return false;
  if (fluid_player_add_mem(p.player, bytes.data(), bytes.size()) != FLUID_OK ||
      (tick > 0 && fluid_player_seek(p.player, tick) != FLUID_OK) || fluid_player_play(p.player) != FLUID_OK) {
    p.DeletePlayer();
    return false;
  }
  p.startTick = std::max(tick, 0);
  return true;
}

void BuiltInSynth::StopFile() {
  std::lock_guard lock(parts_->fileMutex);
  parts_->DeletePlayer();
}

void BuiltInSynth::HoldFile(bool held) { parts_->held.store(held); }

int BuiltInSynth::FileTick() const {
  std::lock_guard lock(parts_->fileMutex);
  if (!parts_->player) return -1;
  // A start tick counts from the first block rendered after it was asked for.
  return std::max(parts_->startTick, fluid_player_get_current_tick(parts_->player));
}

bool BuiltInSynth::FileDone() const {
  std::lock_guard lock(parts_->fileMutex);
  return parts_->player && fluid_player_get_status(parts_->player) == FLUID_PLAYER_DONE;
}

double BuiltInSynth::BufferLatencyMs() const {
  return 1000.0 * options_.periodSize * options_.periods / options_.sampleRate;
}

}  // namespace poronka
