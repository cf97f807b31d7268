// Pictures of the windows for looking at them: runs only when
// PORONKA_SCREENSHOT_DIR names a folder (use a real display, e.g. Xvfb with
// QT_QPA_PLATFORM=xcb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <cstdlib>

#include "playback/ui/about_dialog.h"
#include "playback/ui/help_window.h"
#include "playback/ui/player_window.h"
#include "playback/ui/splash_window.h"
#include "support/player_rig.h"
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
  testing::PlayerRecords<> rig;
  rig.midi.ports = {{"内蔵シンセサイザー"}};

  auto* splash = new SplashWindow;
  splash->showNow();
  Shoot(out, "splash");
  PlayerServices s = rig.Services();
  s.ppi = 0;  // the screen's own resolution
  s.splash = splash;
  const char* song = std::getenv("PORONKA_SCREENSHOT_SONG");
  s.arguments = {song ? song : testing::SourcePath("examples/sakura.mbt")};
  PlayerWindow w(std::move(s));
  w.move(20, 20);
  w.show();
  QTest::qWait(1200);  // the splash closes, the song loads
  w.startButton()->click();
  const char* rows = std::getenv("PORONKA_SCREENSHOT_ROWS");
  for (int i = 0, n = (rows ? std::atoi(rows) : 21) * 2; i < n; ++i) rig.timer.Fire();
  Shoot(out, "player");
  w.grab().save(out + "/player_window.png");
  {
    AboutDialog about(&w, [&w](bool on) { w.engine().state.HoldSong = on; });
    about.show();
    Shoot(out, "about");
  }
  w.showHelp();
  if (w.help()) w.help()->move(60, 60);
  Shoot(out, "help");
  w.stopButton()->click();
  if (w.help()) w.help()->close();
}

}  // namespace
}  // namespace poronka::ui
