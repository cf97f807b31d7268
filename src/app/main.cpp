// The player application: one instance per user, the splash, the records of
// the run, the player's windows and the message loop.
#include <QApplication>
#include <QFileInfo>
#include <memory>
#include <string>
#include <vector>

#include "app/ui/player_shell.h"
#include "core/score.h"
#include "library/app_paths.h"
#include "library/playlist_state.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "playback/ui/qt_texts.h"
#include "playback/ui/single_instance.h"
#include "playback/ui/splash_window.h"
#include "settings/sound_settings.h"

using namespace poronka;

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName(QStringLiteral("poronka"));
  QGuiApplication::setDesktopFileName(QStringLiteral(PORONKA_APP_ID));
  QApplication::setQuitOnLastWindowClosed(false);
  // Qt's own dialogs and buttons speak Japanese like the rest.
  const std::unique_ptr<QTranslator> qtTexts = ui::InstallQtJapaneseTexts();

  // Absolute paths stay valid in the running player that a second start
  // hands them to.
  std::vector<std::string> arguments;
  for (const QString& a : QApplication::arguments().mid(1))
    arguments.push_back(a.isEmpty() ? std::string() : QFileInfo(a).absoluteFilePath().toStdString());

  // A second start only brings the first one forward and hands it its file.
  ui::SingleInstance instance(QString::fromStdString(SingleInstanceKey()));
  if (instance.askRunningInstance(1000, arguments.empty() ? QString() : QString::fromStdString(arguments[0])))
    return 0;
  instance.listen();

  auto* splash = new ui::SplashWindow;
  splash->showNow();

  Score score;
  SoundSettings settings;
  PlaylistState playlist;
  const std::unique_ptr<MidiOutputSystem> midi = CreateSystemMidiOutputs();
  EnvironmentSystemSettings systemSettings;
  ThreadTimer timer;
  ui::PlayerShell shell({.score = &score, .settings = &settings, .playlist = &playlist, .midiSystem = midi.get(),
                         .systemSettings = &systemSettings, .timer = &timer, .splash = splash,
                         .arguments = arguments,
                         .executableDir = QApplication::applicationDirPath().toStdString()});

  QObject::connect(&instance, &ui::SingleInstance::activateRequested, &shell, &ui::PlayerShell::bringForward);
  QObject::connect(&instance, &ui::SingleInstance::openRequested, &shell.player(),
                   [&shell](const QString& path) { shell.player().openHandedOverFile(path.toStdString()); });
  shell.player().show();
  return app.exec();
}
