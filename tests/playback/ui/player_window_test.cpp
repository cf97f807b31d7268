// The player window on the offscreen platform with a recording MIDI device
// and a timer fired by hand.
#include "playback/ui/player_window.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QFileInfo>
#include <QDropEvent>
#include <QElapsedTimer>
#include <QDir>
#include <QFileDialog>
#include <QFileIconProvider>
#include <QMimeDatabase>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QRegularExpression>
#include <QScreen>
#include <QTimer>
#include <QWheelEvent>
#include <QMimeData>
#include <QTest>
#include <QTextBrowser>
#include <QUrl>
#include <filesystem>
#include <thread>

#include "editor/ui/player_link.h"
#include "library/navigation.h"
#include "playback/ui/about_dialog.h"
#include "playback/ui/help_window.h"
#include "playback/ui/message_boxes.h"
#include "playback/ui/qt_texts.h"
#include "playback/ui/single_instance.h"
#include "playback/ui/splash_window.h"
#include "support/player_rig.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

std::string Example(const char* name) { return testing::SourcePath(std::string("examples/") + name); }

class PlayerWindowTest : public ::testing::Test, protected testing::PlayerRecords<> {
 protected:
  void Make(std::vector<std::string> args = {}) {
    PlayerServices s = Services();
    s.arguments = std::move(args);
    w = std::make_unique<PlayerWindow>(std::move(s));
  }
  QString Text(PlayerLabel l) { return w->label(l)->text(); }
  // Runs ticks until the row shown is `row` (two ticks a row).
  void TickRows(int rows) {
    for (int i = 0; i < rows * 2; ++i) timer.Fire();
  }
  bool MidiMenuEnabled() { return w->midiMenu()->menuAction()->isEnabled(); }
  bool FileMenuEnabled() { return w->fileMenu()->menuAction()->isEnabled(); }
  QAction* Item(const char* name) { return w->findChild<QAction*>(name); }

  std::unique_ptr<PlayerWindow> w;
};

TEST_F(PlayerWindowTest, CreationShowsTheEmptyPlayerWithEveryControlOfTheLayout) {
  Make();
  EXPECT_EQ(Text(PlayerLabel::Title), QString::fromUtf8(kNoDataTitle));
  EXPECT_EQ(w->centralWidget()->size(), QSize(544, 385));
  for (const char* name : {"Start", "cmPause", "Stop", "cmBpmMinus", "cmBpmPlus", "PosiBar",
                           "cmFwrd", "cmRwnd", "cmBfor", "cmNext"}) {
    auto* c = w->findChild<QWidget*>(name);
    ASSERT_NE(c, nullptr) << name;
    EXPECT_FALSE(c->isEnabled()) << name;
  }
  EXPECT_EQ(w->findChild<QWidget*>("cmNext")->toolTip(), QString::fromUtf8("次の曲へ"));
  EXPECT_EQ(w->findChild<QWidget*>("cmBfor")->toolTip(), QString::fromUtf8("前の曲へ"));
  EXPECT_EQ(w->findChild<QWidget*>("cmRwnd")->toolTip(), QString::fromUtf8("後退"));
  EXPECT_EQ(w->findChild<QWidget*>("cmFwrd")->toolTip(), QString::fromUtf8("前進"));
  EXPECT_EQ(w->positionBar()->minimum(), 1);
  EXPECT_EQ(w->positionBar()->maximum(), 1000);
  EXPECT_EQ(w->positionBar()->pageStep(), 50);
  EXPECT_EQ(Text(PlayerLabel::Bpm), QString::fromUtf8("        拍/分"));
  // The device menu lists the fake port with its hot key, checked (open).
  ASSERT_EQ(w->midiMenu()->actions().size(), 1);
  EXPECT_EQ(w->midiMenu()->actions()[0]->text(), QString::fromUtf8("Fake Synth(&A)"));
  EXPECT_TRUE(w->midiMenu()->actions()[0]->isChecked());
  // Menu items of windows that nothing provides are disabled.
  EXPECT_FALSE(Item("mnuGrid")->isEnabled());
  EXPECT_FALSE(Item("mnuSet")->isEnabled());
  EXPECT_FALSE(Item("mnuPList")->isEnabled());
  EXPECT_EQ(w->installFolder(), std::string(PORONKA_BINARY_DIR) + "/poronka-data");
  EXPECT_FALSE(w->canResize());
  EXPECT_EQ(w->minimumSize(), w->maximumSize());
}

TEST_F(PlayerWindowTest, MbtArgumentLoadsOnFirstShowingWithoutPlaying) {
  Make({Example("sakura.mbt")});
  EXPECT_TRUE(w->openArgFile());
  w->openStartFile();
  EXPECT_FALSE(w->openArgFile());
  EXPECT_EQ(Text(PlayerLabel::Title).left(3), QString::fromUtf8("さくら"));
  EXPECT_TRUE(w->startButton()->isEnabled());
  EXPECT_FALSE(w->stopButton()->isEnabled());
  EXPECT_FALSE(timer.Running());
  EXPECT_EQ(w->transport(), Transport::Stopped);
  EXPECT_FALSE(w->rollPicture()->pixmap().isNull());
  EXPECT_TRUE(w->windowTitle().startsWith(QString::fromUtf8("さくら")));
  EXPECT_TRUE(msgs.entries.empty());
}

TEST_F(PlayerWindowTest, PlaylistArgumentIsLeftToThePlaylist) {
  Make({"/x/list.PKL"});
  EXPECT_TRUE(w->openArgPlaylist());
  EXPECT_FALSE(w->openArgFile());
  w->openStartFile();
  EXPECT_EQ(Text(PlayerLabel::Title), QString::fromUtf8(kNoDataTitle));
}

TEST_F(PlayerWindowTest, StartPauseStopDriveTheControlsAndLabels) {
  Make({Example("sakura.mbt")});
  w->openStartFile();
  const int rollBase = w->rollPicture()->y();
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  EXPECT_EQ(w->transport(), Transport::Playing);
  EXPECT_FALSE(w->startButton()->isEnabled());
  EXPECT_TRUE(w->stopButton()->isEnabled());
  EXPECT_TRUE(w->pauseButton()->isEnabled());
  EXPECT_EQ(w->pauseButton()->text(), QString::fromUtf8("一時停止"));
  EXPECT_FALSE(FileMenuEnabled());
  EXPECT_FALSE(MidiMenuEnabled());
  EXPECT_TRUE(timer.Running());

  TickRows(9);
  const BarBeat at9 = PlayerBarBeat(9, score.PreRows, score.RowsPerBar);
  EXPECT_EQ(Text(PlayerLabel::Current), QStringLiteral("/%1").arg(at9.bar));
  EXPECT_EQ(Text(PlayerLabel::Beat), QString::number(at9.beat));
  EXPECT_LT(w->rollPicture()->y(), rollBase);
  EXPECT_GT(w->positionBar()->value(), 1);
  // The struck teeth are lit somewhere on the comb.
  const QImage comb = w->combPicture()->pixmap().toImage();
  bool lit = false;
  for (int x = 0; x < comb.width() && !lit; ++x) lit = comb.pixelColor(x, 2) == QColor(0, 255, 0);
  EXPECT_TRUE(lit);

  QTest::mouseClick(w->pauseButton(), Qt::LeftButton);
  EXPECT_EQ(w->transport(), Transport::Paused);
  EXPECT_EQ(w->pauseButton()->text(), QString::fromUtf8("再開"));
  EXPECT_TRUE(w->startButton()->isEnabled());
  EXPECT_TRUE(MidiMenuEnabled());
  EXPECT_FALSE(FileMenuEnabled());
  EXPECT_FALSE(timer.Running());

  QTest::mouseClick(w->pauseButton(), Qt::LeftButton);
  EXPECT_EQ(w->transport(), Transport::Playing);
  QTest::mouseClick(w->stopButton(), Qt::LeftButton);
  EXPECT_EQ(w->transport(), Transport::Stopped);
  EXPECT_EQ(Text(PlayerLabel::Current), QStringLiteral("/ 0"));
  EXPECT_EQ(Text(PlayerLabel::Beat), QStringLiteral("0"));
  EXPECT_EQ(w->positionBar()->value(), 1);
  EXPECT_EQ(w->rollPicture()->y(), rollBase);
  EXPECT_FALSE(w->pauseButton()->isEnabled());
  EXPECT_TRUE(FileMenuEnabled());
}

TEST_F(PlayerWindowTest, TempoButtonsChangeTheLabelAndThePositionBarMovesTheRow) {
  Make({Example("sakura.mbt")});
  w->openStartFile();
  const QString before = Text(PlayerLabel::Bpm);
  QTest::mouseClick(w->findChild<QPushButton*>("cmBpmPlus"), Qt::LeftButton);
  EXPECT_NE(Text(PlayerLabel::Bpm), before);
  EXPECT_TRUE(Text(PlayerLabel::Bpm).endsWith(QString::fromUtf8(" 拍/分")));
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  TickRows(2);
  w->positionBar()->setValue(500);
  const int row = w->engine().state.CurrentRow;
  EXPECT_NEAR(row, score.RowCount / 2, 1);
  EXPECT_FALSE(w->engine().state.Dragging);  // no button held
}

TEST_F(PlayerWindowTest, TimerThreadUpdatesReachTheWindowThroughTheEventLoop) {
  Make({Example("sakura.mbt")});
  w->openStartFile();
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  std::thread t([this] {
    for (int i = 0; i < 8; ++i) timer.Fire();
  });
  t.join();
  EXPECT_EQ(Text(PlayerLabel::Current), QStringLiteral("/ 0"));  // not applied yet
  QApplication::processEvents();
  EXPECT_EQ(Text(PlayerLabel::Current),
            QStringLiteral("/%1").arg(PlayerBarBeat(4, score.PreRows, score.RowsPerBar).bar));
  EXPECT_EQ(w->engine().state.CurrentRow, 4);
  // A stop on the user-interface thread is not undone by older queued updates.
  std::thread t2([this] { timer.Fire(), timer.Fire(); });
  t2.join();
  QTest::mouseClick(w->stopButton(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_EQ(Text(PlayerLabel::Current), QStringLiteral("/ 0"));
  EXPECT_EQ(w->positionBar()->value(), 1);
}

TEST_F(PlayerWindowTest, MinimisedWindowKeepsSoundingButFreezesTheRollAndComb) {
  Make({Example("sakura.mbt")});
  w->openStartFile();
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  TickRows(3);
  const int top = w->rollPicture()->y();
  const QImage comb = w->combPicture()->pixmap().toImage();
  w->setWindowState(Qt::WindowMinimized);
  EXPECT_FALSE(w->engine().state.DisplayOn);
  midi.log.Clear();
  TickRows(5);
  EXPECT_EQ(w->rollPicture()->y(), top);
  EXPECT_EQ(w->combPicture()->pixmap().toImage(), comb);
  EXPECT_FALSE(midi.log.Sent().empty());  // the notes still sound
  EXPECT_EQ(w->engine().state.CurrentRow, 8);
  w->setWindowState(Qt::WindowNoState);
  TickRows(1);
  EXPECT_LT(w->rollPicture()->y(), top);
}

TEST_F(PlayerWindowTest, DataErrorStateAfterABadFile) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("bad.mbt"), "Title\r\nMBT_DATA\r\nabc\r\n4\r\n4\r\n");
  Make();
  w->navigation().OpenChosenFile(dir.File("bad.mbt"));
  EXPECT_EQ(Text(PlayerLabel::Title), QString::fromUtf8(kDataErrorTitle));
  EXPECT_FALSE(w->startButton()->isEnabled());
  EXPECT_FALSE(w->positionBar()->isEnabled());
  EXPECT_TRUE(w->findChild<QWidget*>("cmNext")->isEnabled());
  EXPECT_TRUE(w->findChild<QWidget*>("cmBfor")->isEnabled());
  EXPECT_FALSE(msgs.entries.empty());
}

TEST_F(PlayerWindowTest, ClosingWithUnsavedWorkAndCancelKeepsPlaying) {
  Make({Example("sakura.mbt")});
  w->openStartFile();
  w->show();
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  score.Modified = true;
  msgs.answers = {false};
  EXPECT_FALSE(w->close());
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kCloseDataQuestion});
  EXPECT_EQ(w->transport(), Transport::Playing);
  EXPECT_TRUE(timer.Running());
  // OK closes: the timer stops and the device is closed.
  msgs.answers = {true};
  EXPECT_TRUE(w->close());
  EXPECT_FALSE(timer.Running());
  EXPECT_FALSE(w->devices().Out().IsOpen());
}

TEST_F(PlayerWindowTest, DropOfThreeFilesLoadsTheFirst) {
  Make();
  QMimeData data;
  data.setUrls({QUrl::fromLocalFile(QString::fromStdString(Example("kirakira.mbt"))),
                QUrl::fromLocalFile(QString::fromStdString(Example("sakura.mbt"))),
                QUrl::fromLocalFile(QString::fromStdString(Example("hotaru.mbt")))});
  w->show();
  QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w.get(), &enter);
  EXPECT_TRUE(enter.isAccepted());
  QDropEvent drop(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
  QApplication::sendEvent(w.get(), &drop);
  QApplication::processEvents();
  EXPECT_EQ(score.FileName, Example("kirakira.mbt"));
  EXPECT_TRUE(w->startButton()->isEnabled());
  EXPECT_EQ(w->transport(), Transport::Stopped);
}

TEST_F(PlayerWindowTest, AFolderDroppedOrNamedIsRefusedLikeAMissingFile) {
  testing::TempDir dir;
  Make();
  w->show();
  auto drop = [&](const std::string& path) {
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(QString::fromStdString(path))});
    QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &enter);
    QDropEvent e(QPointF(100, 100), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w.get(), &e);
    QApplication::processEvents();
  };
  for (const std::string ext : {".mbt", ".mid"}) {
    std::filesystem::create_directory(dir.File("folder" + ext));
    msgs.entries.clear();
    drop(dir.File("gone" + ext));
    const std::vector<std::string> missing = msgs.Texts();
    const QString missingTitle = Text(PlayerLabel::Title);
    ASSERT_FALSE(missing.empty());
    msgs.entries.clear();
    drop(dir.File("folder" + ext));
    EXPECT_EQ(msgs.Texts(), missing) << ext;
    EXPECT_EQ(Text(PlayerLabel::Title), missingTitle);
    msgs.entries.clear();
    w->openHandedOverFile(dir.File("folder" + ext));
    QApplication::processEvents();
    EXPECT_EQ(msgs.Texts(), missing) << ext;
    EXPECT_FALSE(w->startButton()->isEnabled());
  }
}

TEST_F(PlayerWindowTest, AboutBoxHoldsTheSongWhileOpen) {
  Make();
  {
    AboutDialog box(w.get(), [this](bool on) { w->engine().state.HoldSong = on; });
    EXPECT_TRUE(w->engine().state.HoldSong);
    EXPECT_EQ(box.windowTitle(), QString::fromUtf8("バージョン情報"));
    EXPECT_EQ(box.findChild<QLabel*>("Version")->text(), QString::fromUtf8("バージョン：３．３５"));
    EXPECT_EQ(box.findChild<QLabel*>("ProductName")->text(), QString::fromUtf8("ポロンカ"));
    box.accept();
    EXPECT_FALSE(w->engine().state.HoldSong);
  }
  EXPECT_FALSE(w->engine().state.HoldSong);
}

TEST_F(PlayerWindowTest, HelpOpensOnceAndIsRaisedTheSecondTime) {
  Make();
  w->showHelp();
  HelpWindow* help = w->help();
  ASSERT_NE(help, nullptr) << (msgs.entries.empty() ? "" : msgs.entries[0].text);
  EXPECT_EQ(help->windowTitle(), QString::fromUtf8("ポロンカ(V3.3)のヘルプ"));
  EXPECT_TRUE(help->browser()->toPlainText().contains(QString::fromUtf8("演奏")));
  w->showHelp();
  EXPECT_EQ(w->help(), help);
  help->close();
  QApplication::processEvents();
}

TEST_F(PlayerWindowTest, SplashTimerStartsWhenThePlayerIsCreated) {
  auto* splash = new SplashWindow;
  QPointer<SplashWindow> alive(splash);
  EXPECT_EQ(splash->size(), QSize(515, 296));
  EXPECT_EQ(splash->versionLabel()->text(), QStringLiteral("Ver 3.35"));
  EXPECT_FALSE(splash->closeTimer()->isActive());
  PlayerServices s = Services();
  s.splash = splash;
  w = std::make_unique<PlayerWindow>(std::move(s));
  EXPECT_TRUE(splash->closeTimer()->isActive());
  EXPECT_EQ(splash->closeTimer()->interval(), 1000);
  // The first tick closes and frees it.
  splash->closeTimer()->setInterval(1);
  splash->closeTimer()->start();
  QTest::qWait(30);
  QApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(alive.isNull());
}

class PlaylistNavigation : public PlayerWindowTest {
 protected:
  void SetUp() override {
    Make();
    for (const char* n : {"sakura.mbt", "kirakira.mbt", "hotaru.mbt"})
      playlist.Append(Example(n), n);
    w->navigation().LoadFirstPlaylistEntry();
  }
  // Plays to the end of the current song on the timer and lets the
  // hand-over run.
  void PlayToEnd() {
    const int rows = score.RowCount;
    for (int i = 0; i < rows * 2 + 4 && !w->nextTimer()->isActive(); ++i)
      timer.Fire();
    QApplication::processEvents();
  }
};

TEST_F(PlaylistNavigation, NextWrapsPreviousStopsAndStatesAreKept) {
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  EXPECT_EQ(score.FileName, Example("sakura.mbt"));
  EXPECT_EQ(playlist.DisplayNames()[0], "＊sakura.mbt");
  w->previousSong();  // no wrap backwards
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  // Stopped: only loads.
  w->nextSong();
  EXPECT_EQ(playlist.CurrentEntry(), 1);
  EXPECT_EQ(score.FileName, Example("kirakira.mbt"));
  EXPECT_EQ(w->transport(), Transport::Stopped);
  // Paused: loads and starts.
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  QTest::mouseClick(w->pauseButton(), Qt::LeftButton);
  w->nextSong();
  EXPECT_EQ(playlist.CurrentEntry(), 2);
  EXPECT_EQ(w->transport(), Transport::Playing);
  // Playing at the last entry: wraps to entry 0 and keeps playing.
  w->nextSong();
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  EXPECT_EQ(score.FileName, Example("sakura.mbt"));
  EXPECT_EQ(w->transport(), Transport::Playing);
  EXPECT_EQ(playlist.DisplayNames()[0], "＊sakura.mbt");
  EXPECT_EQ(playlist.DisplayNames()[2], "hotaru.mbt");
}

TEST_F(PlaylistNavigation, EndOfTheLastSongAdvancesToTheFirstAfterTheTimer) {
  w->nextSong();
  w->nextSong();
  ASSERT_EQ(playlist.CurrentEntry(), 2);
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  PlayToEnd();
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  EXPECT_TRUE(w->nextTimer()->isActive());
  EXPECT_EQ(w->nextTimer()->interval(), 500);
  EXPECT_TRUE(w->nextTimer()->isSingleShot());
  EXPECT_EQ(score.FileName, Example("hotaru.mbt"));  // not loaded before the timer
  EXPECT_EQ(w->transport(), Transport::Stopped);
  w->loadWaitingSong();
  EXPECT_FALSE(w->nextTimer()->isActive());
  EXPECT_EQ(score.FileName, Example("sakura.mbt"));
  EXPECT_EQ(w->transport(), Transport::Playing);
}

TEST_F(PlaylistNavigation, AboutBoxOpenAtTheEndRepeatsTheSong) {
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  w->engine().state.HoldSong = true;
  const int rows = score.RowCount;
  for (int i = 0; i < rows * 2 + 6; ++i) timer.Fire();
  QApplication::processEvents();
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  EXPECT_FALSE(w->nextTimer()->isActive());
  EXPECT_EQ(w->transport(), Transport::Playing);
  EXPECT_LE(w->engine().state.CurrentRow, 3);
}

}  // namespace
}  // namespace poronka::ui

namespace poronka::ui {
namespace {

TEST_F(PlayerWindowTest, CombWiderThanAThousandPixelsIsRefusedWithoutADevice) {
  PlayerServices s = Services();
  s.ppi = 300;  // the comb would be 1040 pixels wide
  w = std::make_unique<PlayerWindow>(std::move(s));
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kScreenTooLargeMessage});
  EXPECT_TRUE(w->midiMenu()->actions().isEmpty());
  EXPECT_FALSE(w->devices().Out().IsOpen());
  EXPECT_FALSE(w->acceptDrops());
}

// A format 0 file of four quarter notes C4 D4 E4 G4 at 96 ticks a quarter.
std::string FourNotesMidi() {
  std::string track;
  const int keys[] = {60, 62, 64, 67};
  for (int k : keys) {
    track += std::string("\x00\x90", 2) + char(k) + '\x64';
    track += std::string("\x60\x80", 2) + char(k) + '\x00';
  }
  track += std::string("\x00\xFF\x2F\x00", 4);
  std::string f("MThd\x00\x00\x00\x06\x00\x00\x00\x01\x00\x60", 14);
  f += "MTrk";
  const uint32_t n = static_cast<uint32_t>(track.size());
  f += char(n >> 24), f += char(n >> 16), f += char(n >> 8), f += char(n);
  return f + track;
}

TEST_F(PlayerWindowTest, MidiFilesAreConvertedAndPlayable) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("four.mid"), FourNotesMidi());
  Make();
  w->navigation().OpenChosenFile(dir.File("four.mid"));
  EXPECT_NE(Text(PlayerLabel::Title), QString::fromUtf8(kDataErrorTitle));
  EXPECT_TRUE(w->startButton()->isEnabled()) << (msgs.entries.empty() ? "" : msgs.entries[0].text);
  EXPECT_EQ(score.ColumnCount, 4);
  // The pitch adjustment raises C4..G4 (average 63) by 15 towards key 78.
  EXPECT_EQ(Text(PlayerLabel::Pitch), QStringLiteral("+15"));
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  midi.log.Clear();
  TickRows(score.RowCount);
  int noteOns = 0;
  for (const MidiEvent& e : midi.log.Sent())
    noteOns += e.kind == MidiEvent::Message && (e.message & 0xF0) == 0x90 && (e.message >> 16) == 100;
  EXPECT_EQ(noteOns, 4);
}

// The real timer thread with the shortest period: the end of the last
// entry reaches the window through the event loop and the half-second
// timer starts entry 0.
TEST(PlayerWithRealTimer, AutomaticAdvanceOverThePlaylist) {
  testing::PlayerRecords<ThreadTimer> rig;
  Score& score = rig.score;
  PlaylistState& playlist = rig.playlist;
  PlayerWindow w(rig.Services());
  for (const char* n : {"kirakira.mbt", "hotaru.mbt"}) playlist.Append(Example(n), n);
  w.navigation().LoadFirstPlaylistEntry();
  w.nextSong();  // hotaru, the last entry
  ASSERT_EQ(playlist.CurrentEntry(), 1);
  // A short song: the first 12 rows at the timer's minimum period.
  score.RowCount = 12;
  score.HalfPeriod = w.engine().state.TimerMinPeriod;
  w.startButton()->click();
  QElapsedTimer clock;
  clock.start();
  while (score.FileName != Example("kirakira.mbt") && clock.elapsed() < 5000) QTest::qWait(5);
  EXPECT_EQ(score.FileName, Example("kirakira.mbt"));
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  EXPECT_EQ(playlist.DisplayNames()[0], "＊kirakira.mbt");
  EXPECT_EQ(w.transport(), Transport::Playing);
  EXPECT_GE(clock.elapsed(), 500);  // the half-second pause
  w.stopButton()->click();
}

TEST(MessageBoxText, CarriageReturnsAndLineFeedsAllBreakLines) {
  EXPECT_EQ(BoxText("a\rb"), QStringLiteral("a\nb"));
  EXPECT_EQ(BoxText("a\nb"), QStringLiteral("a\nb"));
  EXPECT_EQ(BoxText("a\r\nb"), QStringLiteral("a\nb"));
  EXPECT_EQ(BoxText(kCloseDataQuestion), BoxText(kReplaceDataQuestion));
}

TEST_F(PlayerWindowTest, AHandedOverFileWaitsUntilThePlayerIsIdle) {
  Make({Example("sakura.mbt")});
  std::vector<std::string> playlists;
  QObject::connect(w.get(), &PlayerWindow::playlistFileRequested,
                   [&](const QString& path) { playlists.push_back(path.toStdString()); });
  QObject::connect(w.get(), &PlayerWindow::playlistRequested, [] {});
  w->show();
  w->openStartFile();
  const std::string sakura = score.FileName;
  {
    QDialog box(w.get());
    box.setWindowModality(Qt::ApplicationModal);
    box.show();
    w->openHandedOverFile(Example("kirakira.mbt"));
    QTest::qWait(300);
    EXPECT_EQ(score.FileName, sakura);  // not under a modal box
  }
  EXPECT_TRUE(QTest::qWaitFor([&] { return score.FileName == Example("kirakira.mbt"); }, 2000));
  EXPECT_TRUE(Text(PlayerLabel::Title).startsWith(QString::fromUtf8("きらきら星")));
  EXPECT_TRUE(msgs.entries.empty());

  // Unsaved work: the question comes first, and Cancel keeps the song.
  score.Modified = true;
  msgs.answers = {false};
  w->openHandedOverFile(Example("hotaru.mbt"));
  EXPECT_EQ(msgs.Texts(), std::vector<std::string>{kReplaceDataQuestion});
  EXPECT_EQ(score.FileName, Example("kirakira.mbt"));

  // Both playlist kinds go to the playlist window, which is shown.
  w->openHandedOverFile("/x/list.MBL");
  EXPECT_EQ(playlists, std::vector<std::string>{"/x/list.MBL"});
  EXPECT_TRUE(w->playlistVisible());
  EXPECT_EQ(score.FileName, Example("kirakira.mbt"));
}

TEST_F(PlayerWindowTest, TheOpenDialogStartsAmongTheExamplesUntilASongIsOpened) {
  Make();
  EXPECT_EQ(w->openDialogFolder(), QString(PORONKA_BINARY_DIR "/poronka-data/examples"));
  EXPECT_TRUE(QFileInfo::exists(w->openDialogFolder() + "/sakura.mbt"));
  score.FileName = Example("sakura.mbt");
  EXPECT_TRUE(w->openDialogFolder().isEmpty());
}

TEST(SingleInstance, ASecondStartReachesTheFirst) {
  const QString key = QStringLiteral("poronka-test-%1").arg(QCoreApplication::applicationPid());
  SingleInstance first(key);
  SingleInstance second(key);
  EXPECT_FALSE(second.askRunningInstance(200));  // nobody listens yet
  ASSERT_TRUE(first.listen());
  int activations = 0;
  QObject::connect(&first, &SingleInstance::activateRequested, [&] { ++activations; });
  EXPECT_TRUE(second.askRunningInstance(1000));
  for (int i = 0; i < 50 && activations == 0; ++i) QTest::qWait(10);
  EXPECT_EQ(activations, 1);

  // A later start hands over its file, whatever characters its path holds.
  QStringList opened;
  QObject::connect(&first, &SingleInstance::openRequested, [&](const QString& p) { opened << p; });
  const QString path = QString::fromUtf8("/曲/a b\nc%20.mbt");
  EXPECT_TRUE(second.askRunningInstance(1000, path));
  EXPECT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 1000));
  EXPECT_EQ(opened, QStringList{path});
  EXPECT_EQ(activations, 2);

  // Opening a medium runs an event loop of its own, in which the asking
  // start hangs up: the first one goes on unharmed.
  QObject::connect(&first, &SingleInstance::openRequested, [](const QString&) { QTest::qWait(300); });
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(second.askRunningInstance(1000, path));
  EXPECT_TRUE(QTest::qWaitFor([&] { return opened.size() == 4; }, 3000));
}

}  // namespace
}  // namespace poronka::ui

namespace poronka::ui {
namespace {

// The position bar as a user handles it: 1 at the top, so the thumb goes
// down as the song plays; a press anywhere on it holds the song only while
// the left button is down; keys and the wheel never hold it.
TEST_F(PlayerWindowTest, PositionBarHoldsTheSongOnlyWhileTheLeftButtonIsDown) {
  Make({Example("sakura.mbt")});
  w->show();
  w->openStartFile();
  PositionBar* bar = w->positionBar();
  QTest::mouseClick(w->startButton(), Qt::LeftButton);
  TickRows(3);
  const QRect early = bar->handleRect();
  EXPECT_LT(early.center().y(), bar->height() / 4);

  // A press on the groove below the handle, held over several ticks.
  const QPoint groove(bar->width() / 2, bar->height() - 6);
  ASSERT_FALSE(early.contains(groove));
  QTest::mousePress(bar, Qt::LeftButton, {}, groove);
  EXPECT_TRUE(w->engine().state.Dragging);
  const int pressedAt = w->engine().state.CurrentRow;
  midi.log.Clear();
  TickRows(3);
  EXPECT_TRUE(midi.log.Sent().empty());
  EXPECT_EQ(w->engine().state.CurrentRow, pressedAt);
  QTest::mouseRelease(bar, Qt::LeftButton, {}, groove);
  EXPECT_FALSE(w->engine().state.Dragging);
  TickRows(2);
  EXPECT_EQ(w->engine().state.CurrentRow, pressedAt + 2);
  EXPECT_GT(bar->handleRect().center().y(), early.center().y());

  // Page Down and the wheel turned towards the user move the thumb down.
  const int before = bar->value();
  QTest::keyClick(bar, Qt::Key_PageDown);
  EXPECT_EQ(bar->value(), before + 50);
  EXPECT_FALSE(w->engine().state.Dragging);
  const QPointF centre = QRectF(bar->rect()).center();
  QWheelEvent wheel(centre, bar->mapToGlobal(centre), {}, QPoint(0, -120), Qt::NoButton, Qt::NoModifier,
                    Qt::NoScrollPhase, false);
  QApplication::sendEvent(bar, &wheel);
  EXPECT_GT(bar->value(), before + 50);
  EXPECT_FALSE(w->engine().state.Dragging);
  const int row = w->engine().state.CurrentRow;
  TickRows(1);
  EXPECT_EQ(w->engine().state.CurrentRow, row + 1);

  // A press lost without a release (the window goes away) lets go as well.
  const QPoint handle = bar->handleRect().center();
  QTest::mousePress(bar, Qt::LeftButton, {}, handle);
  EXPECT_TRUE(w->engine().state.Dragging);
  w->hide();
  EXPECT_FALSE(w->engine().state.Dragging);
  w->show();
  QTest::mouseRelease(bar, Qt::LeftButton, {}, handle);
}

// A title longer than the label: whole lines only, none cut at the bottom.
TEST_F(PlayerWindowTest, TheTitleShowsTheLinesThatFitAndNoneCutThrough) {
  Make();
  QLabel* title = w->label(PlayerLabel::Title);
  const QString text = QString::fromUtf8("一行目の題名\r\n二行目の説明\r\n三行目の説明\r\n四行目");
  title->setText(text);
  const QImage image = title->grab().toImage();
  const QColor background = image.pixelColor(image.width() - 1, 0);
  auto inkInRow = [&](int y) {
    for (int x = 0; x < image.width(); ++x)
      if (image.pixelColor(x, y) != background) return true;
    return false;
  };
  EXPECT_TRUE(inkInRow(title->fontMetrics().ascent() / 2));
  for (int y = image.height() - 3; y < image.height(); ++y) EXPECT_FALSE(inkInRow(y)) << "row " << y;
  EXPECT_EQ(title->text(), text);
}

TEST_F(PlayerWindowTest, OnlySystemMenuAndMinimiseBoxAndTheSamePlaceAfterTheEditor) {
  Make({Example("sakura.mbt")});
  w->openStartFile();
  const Qt::WindowFlags flags = w->windowFlags();
  EXPECT_TRUE(flags & Qt::CustomizeWindowHint);  // the window manager shows only what is asked
  EXPECT_TRUE(flags & Qt::WindowSystemMenuHint);
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);

  w->move(310, 190);
  w->show();
  const QPoint place = w->pos();
  editor::EditorSession session;
  QPointer<EditorWindow> grid = OpenEditor(*w, score, session, settings);
  EXPECT_TRUE(w->isHidden());
  w->move(0, 0);  // a window manager places a window that is mapped again
  grid->close();
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->pos(), place);
  if (grid) delete grid.data();
}

// Every OK/Cancel question answers OK to Enter and Cancel to Escape; a box
// is centred on its window, or on the screen while the window is hidden,
// and has the focus.
TEST(PlayerMessageBoxesTest, EnterIsOkEscapeCancelsCentredWithTheFocus) {
  QWidget owner;
  owner.setGeometry(0, 0, 300, 200);  // where a window stands before it is shown
  PlayerMessageBoxes boxes(&owner);
  struct Seen {
    QPoint centre;
    bool focus = false;
  };
  auto answerWith = [](int key, Seen& seen) {
    QTimer::singleShot(0, [key, &seen] {
      QWidget* box = QApplication::activeModalWidget();
      ASSERT_NE(box, nullptr);
      seen.focus = QTest::qWaitFor([box] { return QApplication::activeWindow() == box; }, 1000);
      seen.centre = box->frameGeometry().center();
      QTest::keyClick(box, static_cast<Qt::Key>(key));
    });
  };
  const QPoint screenCentre = QGuiApplication::primaryScreen()->availableGeometry().center();
  Seen seen;
  answerWith(Qt::Key_Return, seen);
  EXPECT_TRUE(boxes.AskOkCancel("よろしいですか？"));
  EXPECT_TRUE(seen.focus);
  EXPECT_LE((seen.centre - screenCentre).manhattanLength(), 4);

  owner.setGeometry(60, 80, 500, 360);
  owner.show();
  answerWith(Qt::Key_Escape, seen);
  EXPECT_FALSE(boxes.AskOkCancel("よろしいですか？"));
  EXPECT_LE((seen.centre - owner.geometry().center()).manhattanLength(), 4);
  answerWith(Qt::Key_Return, seen);
  boxes.ShowError("MIDI出力デバイス（X）をオープンできません");
  EXPECT_TRUE(seen.focus);
}

// Qt's own texts are Japanese whatever the locale: no English word on the
// buttons of a question or in a file dialog.
TEST(QtJapaneseTexts, QuestionButtonsAndFileDialogsReadJapanese) {
  const QLocale before;
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  std::unique_ptr<QTranslator> texts = InstallQtJapaneseTexts();
  ASSERT_NE(texts, nullptr);
  auto english = [](QString s) {
    s.remove(QRegularExpression(QStringLiteral("\\(&.\\)|&")));
    return s != QStringLiteral("OK") && s.contains(QRegularExpression(QStringLiteral("[A-Za-z]{2,}")));
  };
  QMessageBox question(QMessageBox::Question, QStringLiteral("x"), QStringLiteral("y"),
                       QMessageBox::Ok | QMessageBox::Cancel);
  for (QAbstractButton* b : question.buttons()) EXPECT_FALSE(english(b->text())) << b->text().toStdString();
  QFileDialog dialog;
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  int texts_seen = 0;
  for (QLabel* l : dialog.findChildren<QLabel*>()) {
    EXPECT_FALSE(english(l->text())) << l->text().toStdString();
    texts_seen += !l->text().isEmpty();
  }
  for (QAbstractButton* b : dialog.findChildren<QPushButton*>())
    EXPECT_FALSE(english(b->text())) << b->text().toStdString();
  EXPECT_GE(texts_seen, 2);
  // The type column of the file list: folders and known kinds of file.
  QFileIconProvider icons;
  EXPECT_FALSE(english(icons.type(QFileInfo(QDir::tempPath())))) << icons.type(QFileInfo(QDir::tempPath())).toStdString();
  EXPECT_FALSE(english(QMimeDatabase().mimeTypeForFile("x.txt", QMimeDatabase::MatchExtension).comment()));
  texts.reset();
  QLocale::setDefault(before);
}

// The help names the player's menus as they read, without hot-key markup,
// and no command that the program does not have.
TEST_F(PlayerWindowTest, TheHelpMatchesTheMenus) {
  Make();
  QFile file(QString::fromStdString(testing::SourcePath("data/help/index.html")));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  QString help = QString::fromUtf8(file.readAll());
  help.replace(QStringLiteral("&amp;"), QStringLiteral("&"));
  EXPECT_FALSE(help.contains(QStringLiteral("(&")));
  EXPECT_FALSE(help.contains(QString::fromUtf8("切り取り")));
  auto named = [&](QAction* a) {
    QString caption = a->text();
    caption.remove(QRegularExpression(QStringLiteral("\\(&.\\)|\\.\\.\\.$")));
    EXPECT_TRUE(help.contains(QString::fromUtf8("「") + caption + QString::fromUtf8("」")))
        << caption.toStdString();
  };
  for (QAction* top : w->menuBar()->actions()) {
    named(top);
    if (top->menu() == w->midiMenu()) continue;  // the devices of this machine
    for (QAction* a : top->menu()->actions())
      if (!a->isSeparator()) named(a);
  }
}

}  // namespace
}  // namespace poronka::ui
