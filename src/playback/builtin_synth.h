// The built-in synthesizer: FluidSynth with a General MIDI soundfont, either
// playing through a real-time audio driver or rendering offline.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "playback/midi_output.h"

namespace poronka {

// Product name of the built-in synthesizer in the device menu.
extern const char* const kBuiltInSynthName;

// PORONKA_SOUNDFONT when set, else the system's General MIDI soundfont.
std::string DefaultSoundFont();

class BuiltInSynth : public MidiDevice {
 public:
  struct Options {
    std::string soundFont;  // empty: DefaultSoundFont()
    bool realTime = true;   // false: no audio driver, Render() pulls samples
    double sampleRate = 44100;
    double gain = 0.8;      // FluidSynth's own default (0.2) is whisper-quiet; a
                            // limiter keeps dense rows below full scale
    int periodSize = 256;   // frames per audio period (real time)
    int periods = 3;
    // Voices sounding at once. The music box rings for many seconds in the
    // General MIDI soundfont; a hardware-like limit keeps a dense song cheap
    // (the oldest, quietest voices give way).
    int polyphony = 64;
  };
  // nullptr on failure; `error` says why.
  static std::unique_ptr<BuiltInSynth> Create(const Options& options, std::string* error = nullptr);
  ~BuiltInSynth() override;

  void ShortMsg(uint32_t message) override;
  void Reset() override;

  // Offline: writes `frames` stereo frames (interleaved 16-bit).
  void Render(int16_t* interleaved, int frames);
  // The audio driver in use ("pulseaudio", "alsa", "jack"), empty offline.
  const std::string& DriverName() const { return driverName_; }
  // Latency of the audio buffer in ms (periods × period size).
  double BufferLatencyMs() const;
  double SampleRate() const { return options_.sampleRate; }

  // A Standard MIDI File played by the synthesizer itself, timed by the
  // samples it renders, so that it keeps pace with the audio output (or with
  // Render offline). One file at a time: PlayFile replaces the one before and
  // starts `bytes` at `tick`; false when the file player refuses it.
  bool PlayFile(const std::string& bytes, int tick);
  // Ends the file, its notes cut off.
  void StopFile();
  // Held: the output is silent and the file's clock stands still.
  void HoldFile(bool held);
  // The file's current tick (-1 when none plays) and whether it has ended.
  int FileTick() const;
  bool FileDone() const;

  struct Parts;

 private:
  // The real-time driver's callback: renders a block and limits it.
  static int PlayBlock(void* data, int len, int nfx, float* fx[], int nout, float* out[]);
  BuiltInSynth() = default;
  Options options_;
  std::string driverName_;
  std::unique_ptr<Parts> parts_;
};

}  // namespace poronka
