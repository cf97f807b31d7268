#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QProgressBar>
#include <vector>

#include "core/mbt.h"
#include "core/ui/loading_window.h"
#include "interchange/smf_builder.h"
#include "interchange/smf_import.h"

namespace poronka {
namespace {

TEST(LoadingWindow, ShowsTheFileNameAndStepsForwardUpTo120) {
  LoadingWindow w;
  w.Open("song.mid");
  EXPECT_TRUE(w.isVisible());
  EXPECT_EQ(w.windowTitle(), QStringLiteral("song.mid"));
  EXPECT_EQ(w.label()->text(), QStringLiteral("ファイルを読み込んでいます・・・"));
  EXPECT_EQ(w.progressBar()->minimum(), 0);
  EXPECT_EQ(w.progressBar()->maximum(), 120);
  EXPECT_EQ(w.Position(), 0);
  for (int i = 0; i < 130; ++i) w.StepIt();
  EXPECT_EQ(w.Position(), 120);
  EXPECT_EQ(w.progressBar()->value(), 120);
  w.Close();
  EXPECT_FALSE(w.isVisible());
  // A second load starts from 0 again.
  w.Open("next.mid");
  EXPECT_EQ(w.Position(), 0);
  w.SetToMax();
  EXPECT_EQ(w.Position(), 120);
  w.Close();
}

// Hooks of a window load: the real window, its bar watched after every event.
class WindowHooks : public SmfImportHooks {
 public:
  LoadProgress* Loading() override { return &window; }
  void ProcessEvents() override {
    if (window.isVisible()) seen.push_back(window.Position());
    pump();
  }
  LoadingWindow window;
  LoadEventPump pump;
  std::vector<int> seen;
};

TEST(LoadingWindow, MidiImportMovesTheBarToTheEndAndClosesIt) {
  testing::TrackBuilder t;
  for (int i = 0; i < 2000; ++i) t.NoteOn(i ? 120 : 0, 1, 50 + i % 24);
  t.EndOfTrack(120);
  Score s;
  s.FileName = "/music/long song.mid";
  SoundSettings settings;
  RecordingMessages msgs;
  WindowHooks hooks;
  ASSERT_EQ(ImportSmfBytes(s, testing::SmfFile(0, 480, {t}), settings, msgs, hooks).status,
            SmfImportStatus::Ok);
  EXPECT_EQ(hooks.window.windowTitle(), QStringLiteral("long song.mid"));
  EXPECT_FALSE(hooks.window.isVisible());
  ASSERT_FALSE(hooks.seen.empty());
  for (size_t i = 1; i < hooks.seen.size(); ++i) ASSERT_GE(hooks.seen[i], hooks.seen[i - 1]);
  EXPECT_EQ(hooks.seen.back(), 120);
}

TEST(LoadingWindow, MbtReaderUsesItAbove3500Rows) {
  std::string file = "Long\r\nMBT_DATA\r\n500\r\n4\r\n4\r\n5\r\nC\r\n";
  for (int r = 0; r < 4000; ++r) file += r % 2 ? "O\r\n" : "\r\n";
  Score s;
  s.FileName = "/music/long.mbt";
  RecordingMessages msgs;
  WindowHooks hooks;
  ASSERT_EQ(ReadMbtBytes(s, file, msgs, hooks), MbtLoad::Ok);
  EXPECT_EQ(hooks.window.windowTitle(), QStringLiteral("long.mbt"));
  EXPECT_FALSE(hooks.window.isVisible());
  EXPECT_EQ(hooks.window.Position(), 120);
}

TEST(LoadEventPump, RunsPendingEventsAtMostOncePerInterval) {
  LoadEventPump pump(60 * 1000);
  int ran = 0;
  QMetaObject::invokeMethod(qApp, [&] { ++ran; }, Qt::QueuedConnection);
  pump();
  EXPECT_EQ(ran, 1);
  QMetaObject::invokeMethod(qApp, [&] { ++ran; }, Qt::QueuedConnection);
  pump();  // too soon: the load goes on without processing
  EXPECT_EQ(ran, 1);
  QApplication::processEvents();
  EXPECT_EQ(ran, 2);
}

}  // namespace
}  // namespace poronka
