#include "app/ui/player_shell.h"

#include <QApplication>

#include "editor/ui/player_link.h"

namespace poronka::ui {

PlayerShell::PlayerShell(PlayerServices services, MediaPlayer* mediaPlayer)
    : score_(*services.score),
      settings_(*services.settings),
      player_(std::move(services)),
      settingsDialog_(*player_.services().settings, &player_),
      playlistWindow_(*player_.services().playlist, player_.Msgs(), player_, &player_),
      media_(score_, player_.engineEvents(), player_.engine().state, settings_, *player_.services().playlist,
             player_.devices(), player_.Msgs(), mediaPlayer) {
  media_.followPlayer(&player_, player_.positionBar());
  player_.setMedia(&media_.session());
  connectWindows();
  // A playlist named on the command line.
  if (player_.openArgPlaylist()) playlistWindow_.openStartPlaylist(player_.arguments().front());
}

PlayerShell::~PlayerShell() = default;

void PlayerShell::connectWindows() {
  PlayerWindow* p = &player_;
  connect(p, &PlayerWindow::playlistRequested, &playlistWindow_, &PlaylistWindow::showBesidePlayer);
  connect(p, &PlayerWindow::playlistHideRequested, &playlistWindow_, &PlaylistWindow::hideWindow);
  connect(p, &PlayerWindow::playlistFileRequested, &playlistWindow_,
          [this](const QString& path) { playlistWindow_.openStartPlaylist(path.toStdString()); });
  connect(&playlistWindow_, &PlaylistWindow::hidden, p, &PlayerWindow::playlistHidden);
  connect(p, &PlayerWindow::settingsRequested, &settingsDialog_, [this] { settingsDialog_.exec(); });
  connect(p, &PlayerWindow::keyShiftChanged, &settingsDialog_, &SettingsDialog::setKeyShift);
  connect(&settingsDialog_, &SettingsDialog::keyShiftConfirmed, p, &PlayerWindow::setKeyShift);
  connect(&settingsDialog_, &SettingsDialog::soundLabelChanged, p, &PlayerWindow::setToneLabels);
  connect(p, &PlayerWindow::editorRequested, this, &PlayerShell::openEditor);
  connect(&media_, &MediaController::dataError, p, &PlayerWindow::showDataError);
  connect(&media_, &MediaController::noteDisplayCleared, p, &PlayerWindow::clearNoteDisplay);
  connect(&media_, &MediaController::midiMenuChanged, p, &PlayerWindow::refreshDeviceChecks);
}

QStringList PlayerShell::unconnectedSignals() const {
  QStringList names = player_.unconnectedSignals() + media_.unconnectedSignals();
  names += playlistWindow_.unconnectedSignals();
  return names;
}

void PlayerShell::openEditor() { OpenEditor(player_, score_, editorSession_, settings_); }

void PlayerShell::bringForward() {
  if (player_.isHidden()) {
    // The editor is open in the player's place: bring the active windows forward.
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->isVisible() && w->isWindow() && !w->parentWidget()) {
        if (w->isMinimized()) w->showNormal();
        w->raise();
        w->activateWindow();
      }
    return;
  }
  if (player_.isMinimized()) {
    player_.showNormal();
  } else {
    player_.raise();
    player_.activateWindow();
  }
}

}  // namespace poronka::ui
