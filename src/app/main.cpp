// The player application: one instance per user, the splash, the player
// window with the records of the run, and the message loop.
#include <QApplication>
#include <QFileInfo>
#include <QLocale>
#include <QTimer>

#include "core/score.h"
#include "library/app_paths.h"
#include "library/playlist_state.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "playback/ui/player_window.h"
#include "playback/ui/single_instance.h"
#include "playback/ui/title_window.h"
#include "settings/sound_settings.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("poronka"));
  QApplication::setQuitOnLastWindowClosed(false);

  // 1. A second start only brings the first one forward.
  poronka::ui::SingleInstance instance(QString::fromStdString(poronka::SingleInstanceKey()));
  if (instance.AskRunningInstance()) return 0;
  instance.Listen();

  // 2. The splash, painted at once.
  auto* splash = new poronka::ui::TfrmTitle;
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
  const QStringList args = QApplication::arguments();
  for (int i = 1; i < args.size(); ++i) {
    // A relative path stays valid when the current directory changes.
    const QString a = args[i];
    services.arguments.push_back(a.isEmpty() ? std::string()
                                             : QFileInfo(a).absoluteFilePath().toStdString());
  }
  services.executableDir = QApplication::applicationDirPath().toStdString();

  poronka::ui::TFPoron player(std::move(services));
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

  // The windows of the other parts attach themselves here.
  poronka::ui::PlayerAttachments attachments;
  player.Attach(std::move(attachments));

  player.show();
  return app.exec();
}
