// The player window's hidden media player and its 100 ms position timer
// (MPlayer and MTimer), joined to MediaSession. The player window answers
// the MediaHooks; the engine gets Session() as its MediaTransport.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>

#include "library/media_player_switch.h"
#include "library/media_session.h"
#include "library/midi_file_player.h"

namespace poronka::ui {

class QtMediaPlayer;

struct MediaHooks {
  std::function<std::string()> fileName;
  std::function<void()> showDataError;
  std::function<void()> clearNoteDisplay;
  std::function<bool()> playerVisible;
  std::function<Transport()> mode;
  std::function<bool()> leftButtonDown;
  std::function<int()> positionBar;
  std::function<void()> midiMenuChanged;
};

class MediaController : public QObject, private MediaHost {
  Q_OBJECT
 public:
  // `player` null: the controller's own player, MIDI files through a
  // MidiFileMediaPlayer and everything else through a QtMediaPlayer.
  MediaController(MediaHooks hooks, PlayerDisplay& display, PlayerState& state, const SoundSettings& settings,
                  const PlaylistState& playlist, MidiDevices& devices, Messages& msgs,
                  MediaPlayer* player = nullptr, QObject* parent = nullptr);
  ~MediaController() override;

  MediaSession& Session() { return *session_; }
  MediaPlayer& Player() { return *player_; }
  QTimer& MTimer() { return mTimer_; }

 private:
  std::string FileName() const override;
  void ShowDataError() override;
  void ClearNoteDisplay() override;
  bool PlayerVisible() const override;
  Transport Mode() const override;
  bool LeftButtonDown() const override;
  int PositionBar() const override;
  void StartPositionTimer() override { mTimer_.start(); }
  void StopPositionTimer() override { mTimer_.stop(); }
  void MidiMenuChanged() override;

  MediaHooks hooks_;
  std::unique_ptr<QtMediaPlayer> ownPlayer_;
  std::unique_ptr<MidiFileMediaPlayer> midiPlayer_;
  std::unique_ptr<MediaPlayerSwitch> switch_;
  MediaPlayer* player_;
  QTimer mTimer_;
  std::unique_ptr<MediaSession> session_;
};

}  // namespace poronka::ui
