// The editor's music box menu on the offscreen platform.
#include "editor/ui/box_tools.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDoubleSpinBox>
#include <QListWidget>
#include <QMenu>
#include <QPrintPreviewWidget>
#include <QPushButton>
#include <QTableView>
#include <QTest>

#include "editor/ui/editor_window.h"
#include "editor/ui/strip_preview.h"
#include "playback/ui/audio_export.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

using namespace poronka::editor;

class QuietPlayer : public EditorPlayer {
 public:
  bool RunOpenCommand() override { return false; }
  void PrepareSong() override {}
  void OpenMidiForEditor() override {}
  void SendShortMessage(uint32_t) override {}
  bool MediaActive() const override { return false; }
  void ReleaseMidiForMedia() override {}
  void ShowPlayer() override {}
  void ExitApplication() override {}
  void ShowHelp() override {}
  void ShowAbout() override {}
};

class BoxMenu : public ::testing::Test {
 protected:
  // The New song (columns 4C..6B, MIDI 48..83) with a D major scale from
  // 5D (62): F# and C# are not on the 15-note box.
  void SetUp() override {
    MakeNewSong(score);
    const int scale[8] = {62, 64, 66, 67, 69, 71, 73, 74};
    for (int r = 1; r <= 8; ++r) score.RowNotes[r] = RowFromColumns({scale[r - 1] - 47});
    score.MaxSlot = 0;
    win = new EditorWindow(score, session, settings, &messages, player);
    win->show();
    QApplication::processEvents();
    tools = win->findChild<BoxTools*>();
    ASSERT_NE(tools, nullptr);
    Action("SMBKind_15")->trigger();
    ASSERT_EQ(tools->box().name, "15");
  }
  void TearDown() override {
    win->setAttribute(Qt::WA_DeleteOnClose, false);
    delete win;
  }
  QAction* Action(const char* name) {
    QAction* a = win->findChild<QAction*>(name);
    EXPECT_NE(a, nullptr) << name;
    return a;
  }

  Score score;
  EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  QuietPlayer player;
  EditorWindow* win = nullptr;
  BoxTools* tools = nullptr;
};

TEST_F(BoxMenu, TransposeAndCombMappingAreUndoableSteps) {
  Action("SMBTranspose")->trigger();
  EXPECT_EQ(score.ColumnPitch[1], 46);  // two semitones down: C major
  EXPECT_EQ(messages.Texts().back(), "-2 半音移調しました。\n演奏できない音は 0 個です。");
  Action("SMEUndo")->trigger();
  EXPECT_EQ(score.ColumnPitch[1], 48);
  EXPECT_EQ(win->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QString::fromUtf8("4\nC"));
  Action("SMERedo")->trigger();
  EXPECT_EQ(score.ColumnPitch[1], 46);

  Action("SMBMap")->trigger();
  EXPECT_EQ(score.ColumnCount, 15);
  EXPECT_EQ(win->model()->columnCount(), 15);
  EXPECT_EQ(ColumnsOf(score.RowNotes[1]), (std::vector<int32_t>{1}));  // the old D is C4 now: the first tooth
  Action("SMEUndo")->trigger();
  EXPECT_EQ(score.ColumnCount, 36);
  EXPECT_EQ(win->model()->columnCount(), 36);
  EXPECT_EQ(ColumnsOf(score.RowNotes[1]), (std::vector<int32_t>{15}));
  Action("SMERedo")->trigger();
  EXPECT_EQ(score.ColumnCount, 15);
}

TEST_F(BoxMenu, FitReportLinesLeadToTheirNotes) {
  Action("SMBFit")->trigger();
  FitReportDialog* d = tools->fitDialog();
  ASSERT_NE(d, nullptr);
  QListWidget* list = d->list();
  ASSERT_EQ(list->count(), 2);  // F# on row 3, C# on row 7
  QListWidgetItem* item = list->item(1);
  QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::NoModifier, list->visualItemRect(item).center());
  QApplication::processEvents();
  const QModelIndex cur = win->grid()->currentIndex();
  EXPECT_EQ(cur.row() + 1, 7);
  EXPECT_EQ(cur.column() + 1, 73 - 47);
  // A strip length the repeated notes cannot take: none repeat here.
  d->mmPerRowBox()->setValue(1.0);
  EXPECT_EQ(list->count(), 2);
}

TEST_F(BoxMenu, StripPreviewAndWavCommandsAreOffered) {
  QMenu* file = win->findChild<QMenu*>("SMFile");
  const QList<QAction*> items = file->actions();
  const int saveAs = items.indexOf(Action("SMFSaveAs"));
  ASSERT_GE(saveAs, 0);
  EXPECT_EQ(items[saveAs + 1], tools->exporter()->action());

  Action("SMBStrip")->trigger();
  auto* d = win->findChild<StripPreviewDialog*>();
  ASSERT_NE(d, nullptr);
  // 300 rows of 4 mm on the 41 mm strip: 1230 mm in 7 pieces, five to a sheet.
  EXPECT_EQ(d->document().pieceCount, 7);
  EXPECT_EQ(d->document().pages.size(), 2u);
  d->preview()->updatePreview();
  EXPECT_EQ(d->preview()->pageCount(), 2);
  testing::TempDir dir;
  d->saveDialog = [&](const std::string&) -> std::optional<std::string> { return dir.File("s.svg"); };
  d->findChild<QPushButton*>("btnSave")->click();
  EXPECT_NE(testing::ReadBytes(dir.File("s.svg")).find("<circle"), std::string::npos);
}

}  // namespace
}  // namespace poronka::ui
