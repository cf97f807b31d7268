// The player, the playlist window and the media controller together: a
// playlist of a score, a MIDI file and an MP3 file plays through by itself
// and starts again from its first entry. The MIDI device, the playback
// timer and the media player are fakes driven by hand.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPushButton>
#include <QTest>

#include "app/ui/player_shell.h"
#include "core/text_codec.h"
#include "library/ui/media_controller.h"
#include "library/ui/playlist_window.h"
#include "playback/ui/player_window.h"
#include "support/player_rig.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

class ScriptedMediaPlayer : public MediaPlayer {
 public:
  void SetFileName(const std::string& p) override { fileName = p; }
  void SetDeviceType(MediaDeviceType) override {}
  void Open() override { open = true; }
  void Close() override { open = false; }
  void Play() override { playing = true; ++plays; }
  void Stop() override { playing = false; }
  void Pause() override { playing = false; }
  void Next() override {}
  void Previous() override {}
  int Tracks() override { return 1; }
  int64_t TrackLength(int) override { return 30000; }
  void SetTimeFormat(MediaTimeFormat f) override { format = f; }
  MediaTimeFormat TimeFormat() const override { return format; }
  int64_t Position() override { return position; }
  void SetPosition(int64_t p) override { position = p; }
  int64_t StartPosition() override { return 0; }
  void PlayToEnd() {
    position = 30000;
    playing = false;
    Notify(MediaNotifyValue::Successful);
  }
  std::string fileName;
  MediaTimeFormat format = MediaTimeFormat::Milliseconds;
  bool open = false;
  bool playing = false;
  int plays = 0;
  int64_t position = 0;
};

std::string Be32(uint32_t v) {
  return {static_cast<char>(v >> 24), static_cast<char>(v >> 16), static_cast<char>(v >> 8), static_cast<char>(v)};
}

// A format 0 file with a name and four short notes.
std::string SmallMidi() {
  std::string events = std::string("\x00\xFF\x03\x04", 4) + "Tune";
  const char notes[] = {60, 62, 64, 65};
  for (char n : notes) {
    events += std::string("\x00\x90", 2) + n + '\x64';
    events += std::string("\x83\x60\x80", 3) + n + '\x40';  // 480 ticks later
  }
  events += std::string("\x00\xFF\x2F\x00", 4);
  return std::string("MThd", 4) + Be32(6) + std::string("\x00\x00\x00\x01\x01\xE0", 6) + "MTrk" +
         Be32(static_cast<uint32_t>(events.size())) + events;
}

std::string TaggedMp3() {
  std::string title = std::string(1, '\0') + "Song Three";
  return std::string("ID3\x03", 4) + std::string(6, '\0') + "TIT2" + Be32(static_cast<uint32_t>(title.size())) +
         std::string(2, '\0') + title + std::string(400, '\xAA');
}

class PlaylistAdvanceTest : public ::testing::Test, protected testing::PlayerRecords<> {
 protected:
  // The application's own wiring, with the scripted media player.
  void SetUp() override {
    shell = std::make_unique<PlayerShell>(Services(), &fake);
    ASSERT_TRUE(shell->unconnectedSignals().isEmpty()) << shell->unconnectedSignals().join(", ").toStdString();
    player = &shell->player();
    list = &shell->playlistWindow();
    media = &shell->media();
  }

  // Runs the playback timer until the end-of-song hand-over has moved the
  // playlist marker, then lets the half-second timer load and start the next song.
  void PlayScoreToItsEnd() {
    const int before = playlist.CurrentEntry();
    for (int i = 0; i < 200000 && playlist.CurrentEntry() == before; ++i) {
      timer.Fire();
      if (i % 64 == 0) QApplication::processEvents();
    }
    QApplication::processEvents();
    FireNextTimer();
  }
  void FireNextTimer() {
    ASSERT_TRUE(player->nextTimer()->isActive());
    player->nextTimer()->stop();
    player->loadWaitingSong();
  }
  std::string Current() { return playlist.PlaylistPaths()[static_cast<size_t>(playlist.CurrentEntry())]; }

  ScriptedMediaPlayer fake;
  std::unique_ptr<PlayerShell> shell;
  PlayerWindow* player = nullptr;
  PlaylistWindow* list = nullptr;
  MediaController* media = nullptr;
  testing::TempDir dir;
};

TEST_F(PlaylistAdvanceTest, ScoreMidiAndMp3PlayThroughAndWrapAround) {
  const std::string mbt = testing::SourcePath("examples/kirakira.mbt");
  const std::string mid = dir.File("tune.mid");
  const std::string mp3 = dir.File("three.mp3");
  testing::WriteBytes(mid, SmallMidi());
  testing::WriteBytes(mp3, TaggedMp3());
  testing::WriteBytes(dir.File("list.pkl"),
                      Utf8ToCp932("ポロンカのプレイリスト\r\n" + mbt + "\r\n" + mid + "\r\n" + mp3 + "\r\n"));

  // Opening the playlist while nothing is loaded loads its first entry.
  list->openStartPlaylist(dir.File("list.pkl"));
  ASSERT_EQ(playlist.Count(), 3);
  EXPECT_EQ(playlist.DisplayNames()[1], "Tune");
  EXPECT_EQ(playlist.DisplayNames()[2], "Song Three");
  ASSERT_EQ(playlist.CurrentEntry(), 0);
  EXPECT_EQ(score.FileName, mbt);
  ASSERT_TRUE(player->startButton()->isEnabled());
  QTest::mouseClick(player->startButton(), Qt::LeftButton);
  ASSERT_EQ(player->transport(), Transport::Playing);

  PlayScoreToItsEnd();
  EXPECT_EQ(playlist.CurrentEntry(), 1);
  EXPECT_EQ(score.FileName, mid);
  EXPECT_EQ(playlist.DisplayNames()[1], "＊Tune");
  EXPECT_EQ(player->transport(), Transport::Playing);
  EXPECT_TRUE(player->windowTitle().startsWith("2."));

  PlayScoreToItsEnd();
  EXPECT_EQ(playlist.CurrentEntry(), 2);
  EXPECT_EQ(score.FileName, mp3);
  EXPECT_TRUE(player->engine().state.MediaActive);
  EXPECT_EQ(fake.fileName, mp3);
  EXPECT_TRUE(fake.playing);
  EXPECT_EQ(player->windowTitle().toStdString().rfind("3.Song Three", 0), 0u);
  EXPECT_TRUE(media->positionTimer().isActive());

  // The media player reaches the end: the playlist starts again.
  fake.PlayToEnd();
  QApplication::processEvents();
  EXPECT_EQ(playlist.CurrentEntry(), 0);
  FireNextTimer();
  EXPECT_EQ(score.FileName, mbt);
  EXPECT_FALSE(player->engine().state.MediaActive);
  EXPECT_FALSE(fake.open);
  EXPECT_EQ(player->transport(), Transport::Playing);
  EXPECT_TRUE(msgs.entries.empty()) << msgs.Texts().front();
  QTest::mouseClick(player->stopButton(), Qt::LeftButton);
}

}  // namespace
}  // namespace poronka::ui
