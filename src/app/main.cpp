// The player application: one instance per user, the splash, the player
// window with the records of the run, and the message loop.
#include <QApplication>
#include <QFileInfo>
#include <QTimer>
#include <string>
#include <vector>

#include "core/score.h"
#include "editor/editor_state.h"
#include "editor/ui/player_link.h"
#include "library/ui/media_controller.h"
#include "library/ui/playlist_window.h"
#include "settings/ui/settings_dialog.h"
#include "library/app_paths.h"
#include "library/playlist_state.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "playback/ui/player_window.h"
#include "playback/ui/qt_texts.h"
#include "playback/ui/single_instance.h"
#include "playback/ui/splash_window.h"
#include "settings/sound_settings.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("poronka"));
  // The desktop entry that starts the player (window icon and grouping).
  QGuiApplication::setDesktopFileName(QStringLiteral(PORONKA_APP_ID));
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt's own dialogs and buttons speak Japanese like the rest.
  const std::unique_ptr<QTranslator> qtTexts = poronka::ui::InstallQtJapaneseTexts();

  // A relative path stays valid when the current directory changes, and in
  // the running player that a second start hands it to.
  std::vector<std::string> arguments;
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    const QString a = args[i];
    arguments.push_back(a.isEmpty() ? std::string() : QFileInfo(a).absoluteFilePath().toStdString());
  }

  // 1. A second start only brings the first one forward and hands it the
  // file it was given.
  poronka::ui::SingleInstance instance(QString::fromStdString(poronka::SingleInstanceKey()));
  const QString firstArgument = arguments.empty() ? QString() : QString::fromStdString(arguments.front());
  if (instance.AskRunningInstance(1000, firstArgument)) return 0;
  instance.Listen();

  // 2. The splash, painted at once.
  auto* splash = new poronka::ui::SplashWindow;
  splash->ShowNow();

  // 3. The records of the run and the player window.
  poronka::Score score;
  poronka::SoundSettings settings;
  poronka::PlaylistState playlist;
  std::unique_ptr<poronka::MidiOutputSystem> midi = poronka::CreateSystemMidiOutputs();
  poronka::EnvironmentSystemSettings systemSettings;
  poronka::ThreadTimer timer;

  poronka::ui::PlayerServices services;
  services.score = &score;
  services.settings = &settings;
  services.playlist = &playlist;
  services.midiSystem = midi.get();
  services.systemSettings = &systemSettings;
  services.timer = &timer;
  services.splash = splash;
  services.arguments = arguments;
  services.executableDir = QApplication::applicationDirPath().toStdString();

  poronka::ui::PlayerWindow player(std::move(services));
  QObject::connect(&instance, &poronka::ui::SingleInstance::activateRequested, &player, [&player] {
    if (player.isHidden()) {
      // The editor is open in the player's place: bring the active windows forward.
      for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible() && w->isWindow() && !w->parentWidget()) {
          if (w->isMinimized()) w->showNormal();
          w->raise();
          w->activateWindow();
        }
      return;
    }
    if (player.isMinimized()) {
      player.showNormal();
    } else {
      player.raise();
      player.activateWindow();
    }
  });

  QObject::connect(&instance, &poronka::ui::SingleInstance::openRequested, &player,
                   [&player](const QString& path) { player.OpenHandedOverFile(path.toStdString()); });

  // The settings dialog (it sets the default sound settings) and the
  // playlist window, created after the player as the other windows of the run.
  poronka::SettingsDialog settingsDialog(settings, &player);
  poronka::ui::PlaylistWindow playlistWindow(playlist, player.Msgs(), player, &player);
  playlistWindow.SetHiddenCallback([&player] { player.SetPlaylistVisible(false); });
  QObject::connect(&settingsDialog, &poronka::SettingsDialog::keyShiftConfirmed, &player,
                   [&player](int semitones, const QString& pitchText) {
                     player.Engine().state.Transpose = semitones * 256;
                     player.SetPitchText(pitchText);
                   });
  QObject::connect(&settingsDialog, &poronka::SettingsDialog::soundLabelChanged, &player,
                   [&player](const QString& label4, const QString& sound) {
                     player.SetSoundLabels(label4, sound);
                   });

  // Media files play through the player's hidden media player.
  poronka::ui::MediaHooks mediaHooks;
  mediaHooks.fileName = [&score] { return score.FileName; };
  mediaHooks.showDataError = [&player] { player.ShowDataError(); };
  mediaHooks.clearNoteDisplay = [&player] { player.ClearNoteDisplay(); };
  mediaHooks.playerVisible = [&player] { return player.isVisible(); };
  mediaHooks.mode = [&player] { return player.Mode(); };
  mediaHooks.leftButtonDown = [&player] { return player.PositionBarHeld(); };
  mediaHooks.positionBar = [&player] { return player.PosiBar()->value(); };
  mediaHooks.midiMenuChanged = [&player] { player.RefreshDeviceChecks(); };
  poronka::ui::MediaController media(std::move(mediaHooks), player, player.Engine().state, settings,
                                     playlist, player.Devices(), player.Msgs());
  player.Engine().SetMediaTransport(&media.Session());

  poronka::editor::EditorSession editorSession;

  poronka::ui::PlayerAttachments attachments;
  attachments.showPlaylist = [&playlistWindow] { playlistWindow.ShowBesidePlayer(); };
  attachments.hidePlaylist = [&playlistWindow] { playlistWindow.cmdHideClick(); };
  attachments.openPlaylistFile = [&playlistWindow](const std::string& path) {
    playlistWindow.OpenStartPlaylist(path);
  };
  attachments.showSettings = [&settingsDialog] { settingsDialog.exec(); };
  attachments.openEditor = [&player, &score, &editorSession, &settings] {
    poronka::ui::OpenEditor(player, score, editorSession, settings);
  };
  attachments.keyShiftChanged = [&settingsDialog](int semitones) {
    settingsDialog.SetKeyShift(semitones);
  };
  attachments.loadMedia = [&media](const std::string& position) {
    media.Session().OpenMedia(position);
  };
  attachments.closeMedia = [&media] { media.Session().Close(); };
  attachments.mediaTrackCount = [&media] { return media.Session().TrackCount(); };
  attachments.mediaCurrentTrack = [&media] { return media.Session().CurrentTrack(); };
  attachments.mediaStepTrack = [&media](int delta) { media.Session().StepTrack(delta); };
  attachments.mediaPosiBarChange = [&media](int position, bool left) {
    media.Session().MoveToPosition(position, left);
  };
  player.Attach(std::move(attachments));
  // A playlist named on the command line.
  if (player.OpenArgPlaylist()) playlistWindow.OpenStartPlaylist(player.Arguments().front());

  player.show();
  return app.exec();
}
