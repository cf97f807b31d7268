// The player's media player and its 100 ms position timer, joined to
// MediaSession. The session asks the player window through this controller,
// which answers from the score, the player window and its position bar, and
// reports what the player window must do as signals.
#pragma once

#include <QObject>
#include <QPointer>
#include <QTimer>
#include <memory>
#include <string>

#include "library/media_player_switch.h"
#include "library/media_session.h"
#include "library/midi_file_player.h"

namespace poronka::ui {

class PositionBar;
class QtMediaPlayer;

class MediaController : public QObject, private MediaHost {
  Q_OBJECT
 public:
  // `player` null: the controller's own player, MIDI files through a
  // MidiFileMediaPlayer and everything else through a QtMediaPlayer.
  MediaController(const Score& score, PlayerDisplay& display, PlayerState& state, const SoundSettings& settings,
                  const PlaylistState& playlist, MidiDevices& devices, Messages& msgs,
                  MediaPlayer* player = nullptr, QObject* parent = nullptr);
  ~MediaController() override;

  // The player window and its position bar (either may be null: not shown,
  // not held, position 1).
  void followPlayer(const QWidget* playerWindow, const ui::PositionBar* positionBar);

  MediaSession& session() { return *session_; }
  MediaPlayer& player() { return *player_; }
  QTimer& positionTimer() { return positionTimer_; }
  // The signals that nothing is connected to.
  QStringList unconnectedSignals() const;

 signals:
  // A media file could not be opened: the player shows the data error.
  void dataError();
  // Nothing of a score is shown while media plays.
  void noteDisplayCleared();
  // The MIDI device was closed or opened for a media file.
  void midiMenuChanged();

 private:
  std::string FileName() const override { return score_.FileName; }
  void ShowDataError() override { emit dataError(); }
  void ClearNoteDisplay() override { emit noteDisplayCleared(); }
  bool PlayerVisible() const override;
  bool LeftButtonDown() const override;
  int PositionBar() const override;
  void StartPositionTimer() override { positionTimer_.start(); }
  void StopPositionTimer() override { positionTimer_.stop(); }
  void MidiMenuChanged() override { emit midiMenuChanged(); }

  const Score& score_;
  QPointer<const QWidget> playerWindow_;
  QPointer<const ui::PositionBar> positionBar_;
  std::unique_ptr<QtMediaPlayer> ownPlayer_;
  std::unique_ptr<MidiFileMediaPlayer> midiPlayer_;
  std::unique_ptr<MediaPlayerSwitch> switch_;
  MediaPlayer* player_;
  QTimer positionTimer_;
  std::unique_ptr<MediaSession> session_;
};

}  // namespace poronka::ui
