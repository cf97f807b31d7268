#include "playback/builtin_synth.h"

#include <fluidsynth.h>

#include <cstdlib>
#include <mutex>

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

struct BuiltInSynth::Parts {
  fluid_settings_t* settings = nullptr;
  fluid_synth_t* synth = nullptr;
  fluid_audio_driver_t* driver = nullptr;
  ~Parts() {
    if (driver) delete_fluid_audio_driver(driver);
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
      p.driver = new_fluid_audio_driver(p.settings, p.synth);
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

void BuiltInSynth::Render(int16_t* interleaved, int frames) {
  fluid_synth_write_s16(parts_->synth, frames, interleaved, 0, 2, interleaved, 1, 2);
}

double BuiltInSynth::BufferLatencyMs() const {
  return 1000.0 * options_.periodSize * options_.periods / options_.sampleRate;
}

}  // namespace poronka
