// A long load lets pending events run; a song asked for by one of them (a
// drop, the next-song timer) must wait until the load has finished.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMetaObject>

#include "core/mbt.h"
#include "playback/ui/player_window.h"
#include "support/player_rig.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

// A song of `rows` rows with notes in slots 0 .. notes - 1 of every row.
std::string Song(const std::string& title, int rows, int notes) {
  Score s;
  s.Title = title;
  s.HalfPeriod = 100;
  s.RowsPerBar = 4;
  s.NoteValue = 4;
  s.OctaveLine = std::u16string(20, u'5');
  s.LetterLine = std::u16string(20, u'C');
  DeriveColumnPitches(s);
  s.RowCount = rows;
  std::vector<int32_t> columns;
  for (int c = 1; c <= notes; ++c) columns.push_back(c);
  s.RowNotes.assign(static_cast<size_t>(rows) + 1, RowFromColumns(columns));
  return MbtBytes(s);
}

class LoadNestingTest : public ::testing::Test, protected testing::PlayerRecords<> {
 protected:
  void SetUp() override {
    player = std::make_unique<PlayerWindow>(Services());
    testing::WriteBytes(dir.File("long.mbt"), Song("Long", 6000, 15));
    testing::WriteBytes(dir.File("short.mbt"), Song("Short", 3, 1));
  }

  std::unique_ptr<PlayerWindow> player;
  testing::TempDir dir;
};

TEST_F(LoadNestingTest, ADropDuringALongLoadLoadsAfterIt) {
  // The drop's queued call is delivered by the long load's event processing.
  const std::string shortSong = dir.File("short.mbt");
  QMetaObject::invokeMethod(
      player.get(), [&] { player->navigation().DropFiles({shortSong}); }, Qt::QueuedConnection);
  player->navigation().OpenChosenFile(dir.File("long.mbt"));
  QApplication::processEvents();
  EXPECT_EQ(score.FileName, shortSong);
  EXPECT_EQ(score.Title, "Short");
  EXPECT_EQ(score.RowCount, 3);
  EXPECT_EQ(score.RowNotes.size(), 4u);
  EXPECT_EQ(score.MaxSlot, 0);
  EXPECT_FALSE(player->navigation().LoadRunning());
  EXPECT_TRUE(msgs.entries.empty()) << msgs.Texts().front();
}

}  // namespace
}  // namespace poronka::ui
