// The media player that plays files other than scores (MP3, WMA, audio CD
// tracks, DVD video, MIDI files played as media). The player window holds
// one hidden instance: a MediaPlayerSwitch over QtMediaPlayer (src/library/ui)
// and MidiFileMediaPlayer for MIDI files; tests use a fake. Every operation that fails throws MediaError.
#pragma once

#include <cstdint>
#include <functional>
#include <stdexcept>
#include <string>

namespace poronka {

class MediaError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Automatic selection by file type, or the audio CD device of a drive (the
// file name is then the drive's folder).
enum class MediaDeviceType { Automatic, CdAudio };

// Positions and lengths in milliseconds, or packed as track (lowest byte),
// minutes, seconds and frames (highest byte).
enum class MediaTimeFormat { Milliseconds, Tmsf };

// How a play ended.
enum class MediaNotifyValue { Successful, Superseded, Aborted, Failed };

constexpr int64_t PackTmsf(int track, int minutes, int seconds, int frames = 0) {
  return (track & 0xFF) | (minutes & 0xFF) << 8 | (seconds & 0xFF) << 16 | (int64_t{frames} & 0xFF) << 24;
}
constexpr int TmsfTrack(int64_t p) { return static_cast<int>(p & 0xFF); }
constexpr int TmsfMinutes(int64_t p) { return static_cast<int>((p >> 8) & 0xFF); }
constexpr int TmsfSeconds(int64_t p) { return static_cast<int>((p >> 16) & 0xFF); }
constexpr int TmsfFrames(int64_t p) { return static_cast<int>((p >> 24) & 0xFF); }

class MediaPlayer {
 public:
  virtual ~MediaPlayer() = default;

  virtual void SetFileName(const std::string& path) = 0;
  virtual void SetDeviceType(MediaDeviceType type) = 0;
  virtual void Open() = 0;
  // Closing a closed player does nothing.
  virtual void Close() = 0;
  // Plays from the current position; the notify handler is called once when
  // this play ends (Successful when it reached the end).
  virtual void Play() = 0;
  virtual void Stop() = 0;
  virtual void Pause() = 0;
  // Next track; Previous goes to the beginning of the current track, or of
  // the one before when already there.
  virtual void Next() = 0;
  virtual void Previous() = 0;
  virtual int Tracks() = 0;
  // Length of track `track` (1-based) in the current time format.
  virtual int64_t TrackLength(int track) = 0;
  virtual void SetTimeFormat(MediaTimeFormat format) = 0;
  virtual MediaTimeFormat TimeFormat() const = 0;
  virtual int64_t Position() = 0;
  virtual void SetPosition(int64_t position) = 0;
  virtual int64_t StartPosition() = 0;

  // Called on the user-interface thread.
  void SetNotifyHandler(std::function<void(MediaNotifyValue)> handler) { notify_ = std::move(handler); }

 protected:
  void Notify(MediaNotifyValue value) {
    if (notify_) notify_(value);
  }

 private:
  std::function<void(MediaNotifyValue)> notify_;
};

}  // namespace poronka
