// Pictures of the windows for looking at them: runs only when
// PORONKA_SCREENSHOT_DIR names a folder (use a real display, e.g. Xvfb with
// QT_QPA_PLATFORM=xcb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdlib>

#include "playback/ui/about_window.h"
#include "playback/ui/help_window.h"
#include "playback/ui/player_window.h"
#include "playback/ui/title_window.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

void Shoot(const QString& dir, const QString& name) {
  QTest::qWait(300);
  QApplication::screens().front()->grabWindow(0).save(dir + "/" + name + ".png");
}

TEST(Screenshots, PlayerSplashAboutHelp) {
  const char* dir = std::getenv("PORONKA_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "PORONKA_SCREENSHOT_DIR not set";
  const QString out = QString::fromUtf8(dir);
  Score score;
  SoundSettings settings;
  PlaylistState playlist;
  FakeMidiSystem midi;
  midi.ports = {{"内蔵シンセサイザー"}};
  EnvironmentSystemSettings system;
  ManualTimer timer;
  RecordingMessages msgs;

  auto* splash = new TfrmTitle;
  splash->ShowNow();
  Shoot(out, "splash");
  PlayerServices s;
  s.score = &score;
  s.settings = &settings;
  s.playlist = &playlist;
  s.midiSystem = &midi;
  s.systemSettings = &system;
  s.timer = &timer;
  s.messages = &msgs;
  s.quitOnClose = false;
  s.splash = splash;
  s.executableDir = PORONKA_BINARY_DIR;
  const char* song = std::getenv("PORONKA_SCREENSHOT_SONG");
  s.arguments = {song ? song : testing::SourcePath("examples/sakura.mbt")};
  TFPoron w(std::move(s));
  w.move(20, 20);
  w.show();
  QTest::qWait(1200);  // the splash closes, the song loads
  w.Start()->click();
  const char* rows = std::getenv("PORONKA_SCREENSHOT_ROWS");
  for (int i = 0, n = (rows ? std::atoi(rows) : 21) * 2; i < n; ++i) timer.Fire();
  Shoot(out, "player");
  w.grab().save(out + "/player_window.png");
  {
    TfrmAbout about(&w, [&w](bool on) { w.Engine().state.HoldSong = on; });
    about.show();
    Shoot(out, "about");
  }
  w.mnuExprClick();
  if (w.Help()) w.Help()->move(60, 60);
  Shoot(out, "help");
  w.Stop()->click();
  if (w.Help()) w.Help()->close();
}

}  // namespace
}  // namespace poronka::ui
