// The editor opened from a real player window: what leaving it and its Open
// command do to the player.
#include "editor/ui/player_link.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QFileDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <tuple>

#include "playback/midi_output.h"
#include "playback/periodic_timer.h"
#include "support/player_rig.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

class EditorFromPlayer : public ::testing::Test, protected testing::PlayerRecords<> {
 protected:
  void SetUp() override {
    player = std::make_unique<PlayerWindow>(Services());
  }
  EditorWindow* Edit() {
    EditorWindow* g = OpenEditor(*player, score, session, settings);
    QApplication::processEvents();
    return g;
  }
  void Leave(EditorWindow* g) {
    g->findChild<QPushButton*>("cmPMod")->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  editor::EditorSession session;
  std::unique_ptr<PlayerWindow> player;
};

// Cancelling Open leaves the edits' pending preparation pending.
TEST_F(EditorFromPlayer, ACancelledOpenChangesNothing) {
  EditorWindow* g = Edit();
  QTest::mouseClick(g->grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    g->grid()->visualRect(g->model()->index(0, 0)).center());
  ASSERT_TRUE(session.NeedsPrepare);
  QTimer::singleShot(100, [] {
    if (auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget())) d->reject();
  });
  g->findChild<QAction*>("SMFOpen")->trigger();
  EXPECT_TRUE(session.NeedsPrepare);
  EXPECT_TRUE(g->state().undo.undoEnabled());
  Leave(g);
  EXPECT_FALSE(session.NeedsPrepare);
  EXPECT_TRUE(player->startButton()->isEnabled());  // the new song was prepared
}

// Leaving releases the MIDI device for the media player's MIDI file, judged
// by the file the media player has, not by the name the score was saved
// under.
TEST_F(EditorFromPlayer, LeavingReleasesTheDeviceForTheMediaPlayersMidiFile) {
  poronka::testing::TempDir dir;
  player->engine().state.MediaActive = true;
  for (const auto& [media, savedAs, released] :
       {std::tuple{"tune.mid", "song.MBT", true}, std::tuple{"tune.mp3", "song.mid", false}}) {
    player->devices().ReopenIfUnchecked();
    ASSERT_TRUE(player->devices().Out().IsOpen());
    score = Score{};
    score.FileName = dir.File(media);
    EditorWindow* g = Edit();
    g->saveDialog = [&](const std::string&) {
      return std::optional<std::pair<std::string, int>>({dir.File(savedAs), 4});
    };
    g->saveAs();
    Leave(g);
    EXPECT_EQ(player->devices().Out().IsOpen(), !released) << media;
  }
}

}  // namespace
}  // namespace poronka::ui
