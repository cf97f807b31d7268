// The row, pitch and test play commands of the editor window, driven through
// its menu items, tool buttons and the test play box.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <atomic>
#include <mutex>

#include "editor/ui/editor_window.h"
#include "editor/ui/prompt_dialog.h"

namespace poronka::ui {
namespace {

using namespace poronka::editor;

class OpsPlayer : public EditorPlayer {
 public:
  bool RunOpenCommand() override { return false; }
  void PrepareSong() override {}
  void OpenMidiForEditor() override {}
  void SendShortMessage(uint32_t m) override {
    std::lock_guard<std::mutex> lock(mutex);
    if (resets > 0) ++afterReset;
    sent.push_back(m);
  }
  void ResetMidi() override {
    std::lock_guard<std::mutex> lock(mutex);
    ++resets;
  }
  bool MediaActive() const override { return false; }
  void ReleaseMidiForMedia() override {}
  void ShowPlayer() override {}
  void ExitApplication() override {}
  void ShowHelp() override {}
  void ShowAbout() override {}
  int TimerMinPeriod() const override { return 4; }
  std::mutex mutex;
  std::vector<uint32_t> sent;
  int resets = 0;
  int afterReset = 0;
};

class GridOpsWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    win = new EditorWindow(score, session, settings, &messages, player);
    win->show();
    QApplication::processEvents();
  }
  void TearDown() override {
    if (win) {
      win->setAttribute(Qt::WA_DeleteOnClose, false);
      delete win.data();
    }
  }
  void Trigger(const char* name) {
    QAction* a = win->findChild<QAction*>(name);
    ASSERT_NE(a, nullptr) << name;
    a->trigger();
    QApplication::processEvents();
  }
  void PutCursor(int32_t col, int32_t scoreRow) {
    const QModelIndex i = win->model()->index(scoreRow - 1, col - 1);
    win->grid()->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
  }
  QString RowLabel(int32_t scoreRow) {
    return win->model()->headerData(scoreRow - 1, Qt::Vertical, Qt::DisplayRole).toString();
  }
  QString Header(int32_t col) {
    return win->model()->headerData(col - 1, Qt::Horizontal, Qt::DisplayRole).toString();
  }

  Score score;
  EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  OpsPlayer player;
  QPointer<EditorWindow> win;
};

TEST_F(GridOpsWindow, InsertingABarOnTheSpareRowGrowsTheGrid) {
  PutCursor(3, 301);
  Trigger("SMDIPhar");
  EXPECT_EQ(score.RowCount, 304);
  EXPECT_EQ(win->model()->rowCount(), 305);
  EXPECT_TRUE(RowLabel(301).contains(QString::fromUtf8("76･1")));
  EXPECT_TRUE(RowLabel(304).contains(QString::fromUtf8("76･4")));
  EXPECT_TRUE(win->findChild<QAction*>("SMEUndo")->isEnabled());
}

TEST_F(GridOpsWindow, ResolutionMovesTheCursorAndTheLabels) {
  score.RowNotes[3] = RowFromColumns({2});
  PutCursor(2, 3);
  Trigger("SMDI2x");
  EXPECT_EQ(score.RowCount, 600);
  EXPECT_EQ(win->model()->rowCount(), 601);
  EXPECT_EQ(win->grid()->currentIndex().row(), 4);  // score row 5
  EXPECT_EQ(win->model()->index(4, 1).data().toString(), QString::fromUtf8("○"));
  EXPECT_TRUE(win->notePerRowLabel());
  EXPECT_TRUE(win->cursorLabel()->text().startsWith(QString::fromUtf8("(5)")));
}

TEST_F(GridOpsWindow, DeletingSelectedRowsAndAddingHighPitches) {
  const QModelIndex a = win->model()->index(2, 0), b = win->model()->index(5, 0);
  win->grid()->selectionModel()->setCurrentIndex(a, QItemSelectionModel::NoUpdate);
  win->grid()->selectionModel()->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
  QApplication::processEvents();
  Trigger("SMDRow");
  ASSERT_FALSE(messages.entries.empty());
  EXPECT_EQ(messages.entries[0].text, "1･3から2･2の行（小節）を削除します\rよろしいですか？");
  EXPECT_EQ(score.RowCount, 296);
  EXPECT_EQ(win->model()->rowCount(), 297);
  Trigger("SMDAHigh");
  EXPECT_EQ(win->model()->columnCount(), 48);
  EXPECT_TRUE(Header(37).contains('C'));
  EXPECT_TRUE(Header(37).contains('7'));
}

TEST_F(GridOpsWindow, TestPlayRunsUntilStoppedAndResetsTheOutput) {
  score.HalfPeriod = 10;  // a row every 20 ms
  for (int r = 1; r <= 300; ++r) score.RowNotes[r] = RowFromColumns({1, 5});
  PutCursor(1, 1);
  player.sent.clear();
  bool sawBox = false;
  QTimer::singleShot(300, [&] {
    auto* box = qobject_cast<PromptDialog*>(QApplication::activeModalWidget());
    if (!box) return;
    sawBox = box->mode() == PromptMode::Test && box->cancelButton()->text() == QString::fromUtf8("中止") &&
             !box->okButton()->isVisible();
    box->reject();
  });
  win->findChild<QPushButton*>("cmTest")->click();
  QApplication::processEvents();
  EXPECT_TRUE(sawBox);
  EXPECT_EQ(player.resets, 1);
  EXPECT_EQ(player.afterReset, 0);
  EXPECT_GE(player.sent.size(), 4u);
  EXPECT_GT(win->state().current.row, 3);
  EXPECT_EQ(win->grid()->currentIndex().row() + kFirstGridRow, win->state().current.row);
  EXPECT_FALSE(score.Modified);
}

// The grid follows the operations on a 100000-row, 60-column score (how long
// they take is measured by bench_editor_window).
TEST(GridOpsWindowLarge, OperationsOnALargeScore) {
  Score score;
  MakeNewSong(score);
  std::u16string oct, let;
  for (int n = 36; n < 96; ++n) {
    oct += static_cast<char16_t>(u'0' + n / 12);
    let += static_cast<char16_t>(kSharpLetters[n % 12]);
  }
  score.OctaveLine = oct;
  score.LetterLine = let;
  DeriveColumnPitches(score);
  score.RowCount = 100000;
  score.RowNotes.assign(100001, RowSlots{});
  for (int r = 1; r <= 100000; ++r) score.RowNotes[r] = RowFromColumns({1 + r % 50, 51});
  score.BarAdjust.assign(25002, 0);
  EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  OpsPlayer player;
  EditorWindow win(score, session, settings, &messages, player);
  win.show();
  QApplication::processEvents();
  auto run = [&](const char* action, auto prepare) {
    prepare();
    win.findChild<QAction*>(action)->trigger();
    QApplication::processEvents();
  };
  auto cursor = [&](int32_t scoreRow) {
    const QModelIndex i = win.model()->index(scoreRow - 1, 0);
    win.grid()->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
  };
  run("SMDIPhar", [&] {
    score.RowCount = 99996;
    score.RowNotes.resize(99997);
    win.afterChange(SnapshotKind::None);
    cursor(1);
  });
  EXPECT_EQ(score.RowCount, 100000);
  run("SMDI2x", [] {});
  EXPECT_EQ(messages.Texts().back(), "行数が１０万行以上になるため処理を中止します。");
  run("SMDCler", [] {});
  EXPECT_EQ(score.ColumnCount, 51);
  run("SMDRow", [&] {
    const QModelIndex a = win.model()->index(0, 0), b = win.model()->index(49999, 0);
    win.grid()->selectionModel()->setCurrentIndex(a, QItemSelectionModel::NoUpdate);
    win.grid()->selectionModel()->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
  });
  EXPECT_EQ(score.RowCount, 50000);
  run("SMDTDup", [] {});
  EXPECT_EQ(score.RowCount, 25000);
  EXPECT_EQ(win.model()->rowCount(), 25001);
}

}  // namespace
}  // namespace poronka::ui
