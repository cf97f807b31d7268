// Media files in the player window: Open media (the title, the media
// player, the labels and controls, the MIDI device), the end-of-play
// notification (repeat or hand over to the playlist), the position bar and
// the 100 ms position display while media plays, and the tracks of a disc.
// Everything runs on the user-interface thread. MediaSession is also the
// engine's MediaTransport, so Start, Stop and Pause reach the media player.
#pragma once

#include <string>

#include "core/app_texts.h"
#include "core/messages.h"
#include "library/media_player.h"
#include "library/navigation.h"
#include "library/playlist_state.h"
#include "playback/engine.h"
#include "playback/midi_output.h"
#include "settings/sound_settings.h"

namespace poronka {

extern const char* const kMediaDataErrorMessage;    // "データにエラーがありました"
extern const char* const kMediaPlayerErrorMessage;  // "メディアプレーヤーのエラーです"

// "n:ss" for a length in milliseconds.
std::string MediaLengthText(int64_t milliseconds);

// What media playback needs of the player window besides PlayerDisplay.
class MediaHost {
 public:
  virtual ~MediaHost() = default;
  virtual std::string FileName() const = 0;
  // The data error state (engine ShowDataError).
  virtual void ShowDataError() = 0;
  // Clears the roll and comb (nothing of a score is shown for media).
  virtual void ClearNoteDisplay() = 0;
  virtual bool PlayerVisible() const = 0;
  virtual bool LeftButtonDown() const = 0;
  // The position bar's value.
  virtual int PositionBar() const = 0;
  // The 100 ms position display timer (calls PositionTick).
  virtual void StartPositionTimer() = 0;
  virtual void StopPositionTimer() = 0;
  // The MIDI menu's check marks changed.
  virtual void MidiMenuChanged() {}
};

class MediaSession : public MediaTransport {
 public:
  MediaSession(MediaPlayer& player, MediaHost& host, PlayerDisplay& display, PlayerState& state,
               const SoundSettings& settings, const PlaylistState& playlist, MidiDevices& devices,
               Messages& msgs);
  ~MediaSession() override;

  // Open media: opens the host's FileName. positionText: empty or the
  // 1-based playlist position shown in front of the caption.
  void OpenMedia(const std::string& positionText);

  // The media player reports the end of playing (or a failure).
  void PlayerNotify(MediaNotifyValue value);
  // MoveToPosition while MediaActive is set.
  void MoveToPosition(int position, bool leftButtonDown);
  // The position display (every 100 ms while media plays).
  void PositionTick();

  // Tracks of the open medium (0 when none is open) and the current track.
  int TrackCount() const { return state_.MediaActive ? tracks_ : 0; }
  int CurrentTrack();
  // Next (+1) or previous (-1) track.
  void StepTrack(int delta);
  // Puts the current track number into the title label.
  void ShowTrackInTitle();

  // MediaTransport.
  void Close() override;
  void Play() override;
  void StopAndRewind() override;
  void Pause() override;

  const std::string& MediaArtist() const { return artist_; }
  double LengthSeconds() const { return lengthSeconds_; }
  const std::string& TitleLabel() const { return titleLabel_; }

 private:
  void ShowLength(int64_t lengthMs);

  MediaPlayer& player_;
  MediaHost& host_;
  PlayerDisplay& display_;
  PlayerState& state_;
  const SoundSettings& settings_;
  const PlaylistState& playlist_;
  MidiDevices& devices_;
  Messages& msgs_;

  std::string artist_;
  int tracks_ = 0;
  int64_t lengthMs_ = 0;
  double lengthSeconds_ = 0;
  std::string titleLabel_;
};

}  // namespace poronka
