// "WAV で保存" of the player: the file equals what the batch tool renders
// for the same song and settings.
#include "playback/ui/audio_export.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>
#include <cstdio>

#include "playback/ui/player_window.h"
#include "support/player_rig.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

TEST(AudioExport, PlayerWavEqualsTheBatchToolsRender) {
  TempDir dir;
  // Twelve rows of 300 ms: a short scale with a chord at the end.
  WriteBytes(dir.File("song.mbt"),
             "Scale\r\nMBT_DATA\r\n300\r\n4\r\n4\r\n555\r\nCEG\r\nO\xA5\xA5\r\n\xA5O\xA5\r\n\xA5\xA5O\r\nOOO\r\n"
             "O\xA5\xA5\r\n\xA5O\xA5\r\n\xA5\xA5O\r\nOOO\r\nO\xA5\xA5\r\n\xA5O\xA5\r\n\xA5\xA5O\r\nOOO\r\n");
  testing::PlayerRecords<> rig;
  Score& score = rig.score;
  SoundSettings& settings = rig.settings;
  RecordingMessages& msgs = rig.msgs;
  PlayerServices s = rig.Services();
  s.arguments = {dir.File("song.mbt")};
  PlayerWindow w(std::move(s));
  w.openStartFile();
  ASSERT_EQ(score.RowCount, 12);
  // Settings as the settings dialog's OK leaves them.
  settings.Program = 0;
  settings.Reverb = 90;
  settings.Pan = 30;
  settings.KeyShift = 3;

  auto* exporter = w.findChild<AudioExporter*>();
  ASSERT_NE(exporter, nullptr);
  ASSERT_TRUE(w.findChild<QMenu*>("mnuFile")->actions().contains(exporter->action()));
  EXPECT_EQ(exporter->action()->text(), QString::fromUtf8("WAV で保存"));
  exporter->saveDialog = [&](const std::string& suggested) -> std::optional<std::string> {
    EXPECT_EQ(suggested, dir.File("song.wav"));
    return dir.File("player.wav");
  };
  exporter->action()->trigger();
  EXPECT_TRUE(msgs.entries.empty()) << msgs.Texts().front();

  const std::string cli = std::string(PORONKA_BINARY_DIR) + "/poronka-cli render " + dir.File("song.mbt") + " " +
                          dir.File("cli.wav") + " --program 0 --reverb 90 --pan 30 --key-shift 3";
  ASSERT_EQ(std::system(cli.c_str()), 0);
  const std::string a = ReadBytes(dir.File("player.wav")), b = ReadBytes(dir.File("cli.wav"));
  ASSERT_EQ(a.size(), 44u + (12 * 300 + 2000) * 441u / 10u * 4u);
  EXPECT_TRUE(a == b);
}

}  // namespace
}  // namespace poronka::ui
