// MIDI files played as media: the file runs unchanged in a synthesizer of
// its own (FluidSynth's file player), which keeps its time by the samples it
// renders, so that position, pause and the end follow what is heard.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "library/media_player.h"
#include "playback/builtin_synth.h"

namespace poronka {

// The time line of a Standard MIDI File: ticks to milliseconds and back
// through its tempo changes. Parse returns false for a file that is not a
// readable Standard MIDI File.
class SmfTimeline {
 public:
  bool Parse(std::string_view bytes);
  int LastTick() const { return lastTick_; }
  int64_t TickToMs(int tick) const;
  int MsToTick(int64_t ms) const;
  int64_t LengthMs() const { return TickToMs(lastTick_); }

 private:
  struct Tempo {
    int tick;
    int usPerQuarter;
    double ms;  // time at `tick`
  };
  double ticksPerQuarter_ = 480;
  double smpteTicksPerSecond_ = 0;  // time-code division, else 0
  std::vector<Tempo> tempos_;
  int lastTick_ = 0;
};

class MidiFileMediaPlayer : public MediaPlayer {
 public:
  // `synth.realTime` false: nothing is heard and Render drives the time
  // (tests, offline use).
  explicit MidiFileMediaPlayer(BuiltInSynth::Options synth = {});
  ~MidiFileMediaPlayer() override;

  // Offline: renders `frames` stereo frames.
  void Render(int16_t* interleaved, int frames);
  // Called on the user-interface thread every few tenths of a second: sends
  // the notification when the file has played to its end.
  void Poll();

  void SetFileName(const std::string& path) override { fileName_ = path; }
  void SetDeviceType(MediaDeviceType) override {}
  void Open() override;
  void Close() override;
  void Play() override;
  void Stop() override;
  void Pause() override;
  void Next() override {}
  void Previous() override;
  int Tracks() override;
  int64_t TrackLength(int track) override;
  void SetTimeFormat(MediaTimeFormat format) override { format_ = format; }
  MediaTimeFormat TimeFormat() const override { return format_; }
  int64_t Position() override;
  void SetPosition(int64_t position) override;
  int64_t StartPosition() override;

 private:
  void RequireOpen() const;
  int64_t PositionMs() const;
  bool Ended() const;
  void StartAt(int tick);

  BuiltInSynth::Options options_;
  std::unique_ptr<BuiltInSynth> synth_;
  std::string fileName_;
  std::string bytes_;
  SmfTimeline timeline_;
  MediaTimeFormat format_ = MediaTimeFormat::Milliseconds;
  bool playing_ = false;
};

// A `.mid` or `.midi` file name, in any case.
bool IsMidiFileName(const std::string& path);

}  // namespace poronka
