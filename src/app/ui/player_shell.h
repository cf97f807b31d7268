// The windows of a player session and how they are joined: the player
// window, the settings dialog, the playlist window, the media player and,
// on request, the editor. main() makes one; tests make one over fakes.
//
//   PlayerWindow ──playlistRequested/…──▶ PlaylistWindow
//        │  ▲ ──settingsRequested──────▶ SettingsDialog ──keyShiftConfirmed──▶ PlayerWindow
//        │  │ ──editorRequested────────▶ PlayerShell::openEditor ─▶ EditorWindow
//        │  └── dataError/noteDisplayCleared/midiMenuChanged ── MediaController
//        └──── MediaSession (open, close, tracks, position bar)
#pragma once

#include <QObject>
#include <QStringList>

#include "editor/editor_state.h"
#include "library/ui/media_controller.h"
#include "library/ui/playlist_window.h"
#include "playback/ui/player_window.h"
#include "settings/ui/settings_dialog.h"

namespace poronka::ui {

class PlayerShell : public QObject {
  Q_OBJECT
 public:
  // `mediaPlayer` null: the real media players.
  explicit PlayerShell(PlayerServices services, MediaPlayer* mediaPlayer = nullptr);
  ~PlayerShell() override;

  PlayerWindow& player() { return player_; }
  PlaylistWindow& playlistWindow() { return playlistWindow_; }
  MediaController& media() { return media_; }

  // Requests of the shell's windows that nothing answers: empty unless the
  // wiring is broken.
  QStringList unconnectedSignals() const;

 public slots:
  // A later start of the program asked to be shown: the player, or the
  // windows of the editor while it has the player's place.
  void bringForward();
  // Creates the editor over the shared records in the player's place.
  void openEditor();

 private:
  void connectWindows();

  Score& score_;
  const SoundSettings& settings_;
  PlayerWindow player_;
  SettingsDialog settingsDialog_;
  PlaylistWindow playlistWindow_;
  MediaController media_;
  editor::EditorSession editorSession_;
};

}  // namespace poronka::ui
