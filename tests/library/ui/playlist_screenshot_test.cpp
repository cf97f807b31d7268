// A picture of the playlist window beside a stand-in player: runs only when
// PORONKA_SCREENSHOT_DIR names a folder (use a real display, e.g. Xvfb with
// QT_QPA_PLATFORM=xcb).
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPixmap>
#include <QScreen>
#include <QTest>
#include <cstdlib>

#include "library/ui/playlist_window.h"

namespace poronka::ui {
namespace {

class IdleHost : public PlaylistHost {
 public:
  std::string FileName() const override { return "/playing.mbt"; }
  void SetFileName(const std::string&) override {}
  bool Modified() const override { return false; }
  bool NoMidConversion() const override { return false; }
  bool DataError() const override { return false; }
  void SetHoldSong(bool) override {}
  void LoadFirstPlaylistEntry() override {}
  void PlayEntry(int) override {}
};

TEST(PlaylistScreenshot, WindowBesidePlayer) {
  const char* dir = std::getenv("PORONKA_SCREENSHOT_DIR");
  if (!dir) GTEST_SKIP() << "PORONKA_SCREENSHOT_DIR not set";
  PlaylistState state;
  RecordingMessages msgs;
  IdleHost host;
  QLabel player("player");
  player.setStyleSheet("background: #c0c0c0;");
  player.setGeometry(40, 60, 420, 360);
  player.show();
  QTest::qWait(300);
  PlaylistWindow w(state, msgs, host, &player);
  const char* names[] = {"さくらさくら", "きらきら星", "Greensleeves", "エリーゼのために", "song.ogg",
                         "ＣＤオーディオ", "ＤＶＤビデオ", "とても長い曲名がここに入ってリストの幅を超えてしまう場合"};
  int i = 0;
  for (const char* n : names) state.Append("/m/" + std::to_string(i++), n);
  state.MoveCurrentMarker(1);
  w.showBesidePlayer();
  w.selectIndex(3);
  QTest::qWait(800);
  QApplication::screens().front()->grabWindow(0).save(QString::fromUtf8(dir) + "/playlist.png");
}

}  // namespace
}  // namespace poronka::ui
