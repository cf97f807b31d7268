#include "editor/ui/editor_window.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "core/load_hooks.h"
#include "core/mbt.h"
#include "core/text_codec.h"
#include "editor/ui/prompt_dialog.h"
#include "editor/ui/song_info_dialog.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

using namespace poronka::editor;

class FakePlayer : public EditorPlayer {
 public:
  bool RunOpenCommand() override {
    ++opens;
    if (!openWith) return false;
    openWith();
    return true;
  }
  void PrepareSong() override { ++prepares; }
  void OpenMidiForEditor() override { ++midiOpens; }
  void SendShortMessage(uint32_t m) override { sent.push_back(m); }
  bool MediaActive() const override { return false; }
  void ReleaseMidiForMedia() override { ++releases; }
  void ShowPlayer() override { ++playerShown; }
  void ExitApplication() override { ++exits; }
  void ShowHelp() override { ++helps; }
  void ShowAbout() override { ++abouts; }
  std::function<void()> openWith;
  std::vector<uint32_t> sent;
  int opens = 0, prepares = 0, midiOpens = 0, releases = 0, playerShown = 0, exits = 0, helps = 0,
      abouts = 0;
};

QString Q(const char* s) { return QString::fromUtf8(s); }

// Runs `act` on the next modal window of type T once it is shown.
template <typename T>
void WhenModalShows(std::function<void(T*)> act) {
  auto* poll = new QTimer;
  QObject::connect(poll, &QTimer::timeout, [poll, act] {
    if (auto* w = qobject_cast<T*>(QApplication::activeModalWidget()); w && w->isVisible()) {
      poll->stop();
      poll->deleteLater();
      act(w);
    }
  });
  poll->start(20);
}

// Records whether the hourglass was up when each message came.
struct CursorMessages : RecordingMessages {
  std::vector<bool> hourglass;
  void Note() { hourglass.push_back(QApplication::overrideCursor() != nullptr); }
  void ShowError(const std::string& t) override {
    Note();
    RecordingMessages::ShowError(t);
  }
  void ShowInformation(const std::string& t) override {
    Note();
    RecordingMessages::ShowInformation(t);
  }
};

class GridWindow : public ::testing::Test {
 protected:
  void Open() {
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
  QAction* Action(const char* name) { return win->findChild<QAction*>(name); }
  QToolButton* ToolButton(const char* name) { return win->findChild<QToolButton*>(name); }
  QPoint CellCenter(int32_t col, int32_t scoreRow) {
    const QModelIndex i = win->model()->index(scoreRow - 1, col - 1);
    win->grid()->scrollTo(i);
    return win->grid()->visualRect(i).center();
  }
  void ClickCell(int32_t col, int32_t scoreRow, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QTest::mouseClick(win->grid()->viewport(), Qt::LeftButton, mods, CellCenter(col, scoreRow));
    QApplication::processEvents();
  }
  QString Cell(int32_t col, int32_t scoreRow) {
    return win->model()->index(scoreRow - 1, col - 1).data().toString();
  }

  Score score;
  EditorSession session;
  SoundSettings settings;
  CursorMessages messages;
  FakePlayer player;
  QPointer<EditorWindow> win;
};

TEST_F(GridWindow, ShowsTheNewScoreWhenThereAreNoColumns) {
  Open();
  EXPECT_EQ(win->windowTitle(), Q("ポロンカ　作成・編集モード"));
  EXPECT_EQ(win->model()->rowCount(), 301);
  EXPECT_EQ(win->model()->columnCount(), 36);
  EXPECT_EQ(win->model()->headerData(12, Qt::Horizontal, Qt::DisplayRole).toString(), Q("5\nC"));
  EXPECT_EQ(win->model()->headerData(4, Qt::Vertical, Qt::DisplayRole).toString(), Q("2･1"));
  EXPECT_EQ(win->model()->headerData(300, Qt::Vertical, Qt::DisplayRole).toString(), QString());
  EXPECT_EQ(win->findChild<QLabel*>("lblSpeed")->text(), Q("速度:750mS／行"));
  EXPECT_EQ(win->findChild<QLabel*>("lblPhrlen")->text(), Q("4行/小節"));
  EXPECT_EQ(win->findChild<QLabel*>("lblNote")->text(), Q("4分音符"));
  EXPECT_EQ(win->findChild<QLabel*>("lblTitle")->text(), Q("無題"));
  EXPECT_FALSE(Action("SMEUndo")->isEnabled());
  EXPECT_FALSE(ToolButton("tbRedo")->isEnabled());
  EXPECT_FALSE(ToolButton("tbPast")->isEnabled());
  EXPECT_EQ(player.midiOpens, 1);
  EXPECT_EQ(player.sent.size(), 105u);
  EXPECT_EQ(win->grid()->currentIndex(), win->model()->index(0, 0));
  EXPECT_TRUE(win->findChild<QCheckBox*>("ChkSon")->isChecked());
}

TEST_F(GridWindow, ClicksAndKeysToggleNotes) {
  Open();
  player.sent.clear();
  ClickCell(13, 5);
  EXPECT_EQ(Cell(13, 5), Q("○"));
  EXPECT_TRUE(RowHasColumn(score.RowNotes[5], 13));
  EXPECT_EQ(player.sent, (std::vector<uint32_t>{ShortMessage(0x90, 60, 100)}));
  EXPECT_TRUE(ToolButton("tbUndo")->isEnabled());
  EXPECT_EQ(win->cursorLabel()->text(), Q("(5)2･1=5C"));
  // A second click on the same cell takes the note away again.
  ClickCell(13, 5);
  EXPECT_EQ(Cell(13, 5), QString());
  // Shift-click and the spare row toggle nothing.
  ClickCell(14, 6, Qt::ShiftModifier);
  EXPECT_EQ(Cell(14, 6), QString());
  ClickCell(3, 301);
  EXPECT_EQ(Cell(3, 301), QString());
  // Enter and Space toggle the current cell.
  ClickCell(2, 2);
  QTest::keyClick(win->grid(), Qt::Key_Space);
  EXPECT_EQ(Cell(2, 2), QString());
  QTest::keyClick(win->grid(), Qt::Key_Return);
  EXPECT_EQ(Cell(2, 2), Q("○"));
  // Up sounds the row above before moving; Left and Right sound nothing.
  ClickCell(4, 3);
  player.sent.clear();
  QTest::keyClick(win->grid(), Qt::Key_Up);
  EXPECT_EQ(player.sent, (std::vector<uint32_t>{ShortMessage(0x90, 49, 100)}));
  EXPECT_EQ(win->grid()->currentIndex().row(), 1);
  player.sent.clear();
  QTest::keyClick(win->grid(), Qt::Key_Left);
  QTest::keyClick(win->grid(), Qt::Key_Right);
  EXPECT_TRUE(player.sent.empty());
  // Undo through the tool button.
  ToolButton("tbUndo")->click();
  EXPECT_EQ(Cell(4, 3), QString());
  EXPECT_TRUE(Action("SMERedo")->isEnabled());
}

// A composer's mouse: a click toggles on its release, a drag only selects
// (no note, no sound, no undo step) and that range is what Copy takes.
TEST_F(GridWindow, AClickTogglesOnReleaseAndADragOnlySelects) {
  Open();
  player.sent.clear();
  QWidget* vp = win->grid()->viewport();
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, CellCenter(13, 5));
  EXPECT_EQ(Cell(13, 5), QString());  // nothing yet on the press
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, CellCenter(13, 5));
  EXPECT_EQ(Cell(13, 5), Q("○"));
  EXPECT_EQ(player.sent, (std::vector<uint32_t>{ShortMessage(0x90, 60, 100)}));
  ClickCell(15, 7);

  player.sent.clear();
  score.Modified = false;
  QTest::mousePress(vp, Qt::LeftButton, Qt::NoModifier, CellCenter(12, 4));
  QTest::mouseMove(vp, CellCenter(14, 6));
  QTest::mouseMove(vp, CellCenter(15, 7));
  QTest::mouseRelease(vp, Qt::LeftButton, Qt::NoModifier, CellCenter(15, 7));
  EXPECT_EQ(Cell(12, 4), QString());
  EXPECT_EQ(Cell(15, 7), Q("○"));
  EXPECT_TRUE(player.sent.empty());
  EXPECT_FALSE(score.Modified);
  EXPECT_EQ(win->grid()->selectionModel()->selectedIndexes().size(), 16);
  Action("SMECopy")->trigger();
  EXPECT_EQ(session.clipboard.description, "1･4=4B→4:4");
  // Undo takes back the last click, not a drag.
  Action("SMEUndo")->trigger();
  EXPECT_EQ(Cell(15, 7), QString());
  EXPECT_EQ(Cell(13, 5), Q("○"));

  // A toggle by key repaints its cell.
  ClickCell(2, 2);
  QSignalSpy changed(win->model(), &QAbstractItemModel::dataChanged);
  QTest::keyClick(win->grid(), Qt::Key_Space);
  ASSERT_FALSE(changed.isEmpty());
  const QModelIndex cell = win->model()->index(1, 1);
  const QModelIndex from = changed.last()[0].toModelIndex(), to = changed.last()[1].toModelIndex();
  EXPECT_TRUE(from.row() <= cell.row() && cell.row() <= to.row() && from.column() <= cell.column() &&
              cell.column() <= to.column());
}

// A new song's 36 pitch columns fit the window as it opens.
TEST_F(GridWindow, ANewSongFitsTheDefaultWindow) {
  Open();
  QApplication::processEvents();
  EXPECT_EQ(win->grid()->horizontalScrollBar()->maximum(), 0);
  QTableView* g = win->grid();
  EXPECT_LE(g->columnViewportPosition(35) + g->columnWidth(35), g->viewport()->width());
}

// The usual keys act as their menu items, questions and enabled state
// included.
TEST_F(GridWindow, ShortcutsActAsTheMenuItems) {
  Open();
  QApplication::setActiveWindow(win);
  ASSERT_TRUE(QTest::qWaitForWindowActive(win));
  QWidget* g = win->grid();
  EXPECT_FALSE(Action("SMEUndo")->shortcut().isEmpty());
  ClickCell(3, 3);
  QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
  EXPECT_EQ(Cell(3, 3), QString());
  QTest::keyClick(g, Qt::Key_Y, Qt::ControlModifier);
  EXPECT_EQ(Cell(3, 3), Q("○"));
  QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier);
  QTest::keyClick(g, Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(Cell(3, 3), Q("○"));
  // Paste is disabled before any copy: Ctrl+V does nothing.
  ClickCell(10, 10);
  ClickCell(10, 10);
  QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Cell(10, 10), QString());
  ClickCell(3, 3);
  ClickCell(3, 3);
  QTest::keyClick(g, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(session.clipboard.description, "1･3=4D→1:1");
  ClickCell(20, 20);
  ClickCell(20, 20);
  QTest::keyClick(g, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(Cell(20, 20), Q("○"));
  // New asks first; Cancel keeps the song.
  messages.answers = {false};
  QTest::keyClick(g, Qt::Key_N, Qt::ControlModifier);
  EXPECT_EQ(messages.Texts().back(), kClearQuestion);
  EXPECT_EQ(Cell(20, 20), Q("○"));
  QTest::keyClick(g, Qt::Key_O, Qt::ControlModifier);
  EXPECT_EQ(player.opens, 1);
  poronka::testing::TempDir dir;
  score.FileName = dir.File("k.MBT");
  QTest::keyClick(g, Qt::Key_S, Qt::ControlModifier);
  EXPECT_FALSE(poronka::testing::ReadBytes(dir.File("k.MBT")).empty());
}

// The save dialog names the file after the chosen filter before it asks
// about overwriting, and the writer agrees with the name.
TEST_F(GridWindow, SaveAsNamesTheFileAfterTheChosenFilter) {
  Open();
  ClickCell(13, 1);
  poronka::testing::TempDir dir;
  poronka::testing::WriteBytes(dir.File("tune.MBT"), "keep");
  score.FileName = dir.File("tune.mid");  // a MIDI file opened as a score
  auto save = [&](int downs, const char* typed) {
    WhenModalShows<QFileDialog>([=](QFileDialog* d) {
      auto* edit = d->findChild<QLineEdit*>("fileNameEdit");
      EXPECT_EQ(edit->text(), Q("tune.MBT"));
      for (int i = 0; i < downs; ++i) QTest::keyClick(d->findChild<QComboBox*>("fileTypeCombo"), Qt::Key_Down);
      if (typed) {
        QApplication::setActiveWindow(d);
        edit->setFocus();
        edit->clear();
        QTest::keyClicks(edit, Q(typed));
      }
      QTest::keyClick(edit, Qt::Key_Return);
    });
    win->saveAs();
    score.FileName = dir.File("tune.mid");
  };
  save(1, "tune");  // the MIDI filter
  EXPECT_EQ(poronka::testing::ReadBytes(dir.File("tune.MID")).substr(0, 4), "MThd");
  save(2, nullptr);  // the ringtone filter renames the proposed name
  EXPECT_EQ(poronka::testing::ReadBytes(dir.File("tune.MLD")).substr(0, 4), "melo");
  EXPECT_EQ(poronka::testing::ReadBytes(dir.File("tune.MBT")), "keep");
  // A score typed with a MIDI name is a score file: the question names it.
  QString asked;
  WhenModalShows<QMessageBox>([&](QMessageBox* box) {
    asked = box->text();
    box->button(QMessageBox::Yes)->click();
  });
  save(0, "tune.mid");
  EXPECT_TRUE(asked.contains("tune.MBT")) << asked.toStdString();
  EXPECT_NE(poronka::testing::ReadBytes(dir.File("tune.MBT")).find("MBT_DATA"), std::string::npos);
}

// The hourglass is up while an operation works (the prompt box itself has
// the normal cursor) and while a writer writes.
TEST_F(GridWindow, HourglassWhileOperationsWorkAndFilesAreWritten) {
  Open();
  std::vector<bool> busy;
  QObject::connect(win->model(), &QAbstractItemModel::headerDataChanged,
                   [&] { busy.push_back(QApplication::overrideCursor() != nullptr); });
  WhenModalShows<PromptDialog>([&](PromptDialog* box) {
    busy.push_back(QApplication::overrideCursor() != nullptr);
    box->amountBox()->setCurrentText("+2");
    box->okButton()->click();
  });
  Action("SMEMove")->trigger();
  ASSERT_GE(busy.size(), 2u);
  EXPECT_FALSE(busy.front());
  EXPECT_TRUE(busy.back());
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);

  poronka::testing::TempDir dir;
  score.FileName = dir.File("none/x.MBT");
  Action("SMFSave")->trigger();
  win->saveDialog = [&](const std::string&) {
    return std::optional<std::pair<std::string, int>>({dir.File("none/x.mid"), 2});
  };
  win->saveAs();
  EXPECT_EQ(messages.hourglass, (std::vector<bool>{true, true}));
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

// The test play box stays clear of the cell that follows the music.
TEST_F(GridWindow, TestPlayBoxLeavesThePlayingCellVisible) {
  MakeNewSong(score);
  score.HalfPeriod = 25;  // a row every 50 ms
  Open();
  ClickCell(18, 40);  // a column in the middle of the window
  ClickCell(18, 40);
  WhenModalShows<PromptDialog>([&](PromptDialog* box) {
    QTableView* g = win->grid();
    for (int i = 0; i < 3; ++i) {
      const int row = g->currentIndex().row();
      EXPECT_TRUE(QTest::qWaitFor([&] { return g->currentIndex().row() != row; }, 2000));
      QRect cell = g->visualRect(g->currentIndex());
      EXPECT_TRUE(g->viewport()->rect().contains(cell));
      cell.moveTopLeft(g->viewport()->mapToGlobal(cell.topLeft()));
      EXPECT_FALSE(box->frameGeometry().intersects(cell)) << "row " << g->currentIndex().row();
    }
    box->cancelButton()->click();
  });
  win->findChild<QPushButton*>("cmTest")->click();
  EXPECT_GT(win->grid()->currentIndex().row(), 40);
}

TEST_F(GridWindow, FlatsCopyPasteAndHints) {
  Open();
  ClickCell(13, 5);
  ClickCell(15, 8);
  win->findChild<QRadioButton*>("rdoSFFlat")->click();
  EXPECT_EQ(win->model()->headerData(13, Qt::Horizontal, Qt::DisplayRole).toString(), Q("5\nd"));
  EXPECT_EQ(Utf16ToUtf8(score.LetterLine.substr(13, 1)), "c");
  win->findChild<QRadioButton*>("rdoSFSharp")->click();
  EXPECT_EQ(win->model()->headerData(13, Qt::Horizontal, Qt::DisplayRole).toString(), Q("5\nc"));
  // Select 4 rows x 3 columns and copy.
  QItemSelectionModel* sm = win->grid()->selectionModel();
  sm->setCurrentIndex(win->model()->index(4, 12), QItemSelectionModel::NoUpdate);
  sm->select(QItemSelection(win->model()->index(4, 12), win->model()->index(7, 14)),
             QItemSelectionModel::ClearAndSelect);
  Action("SMECopy")->trigger();
  EXPECT_TRUE(ToolButton("tbPast")->isEnabled());
  EXPECT_EQ(ToolButton("tbPast")->toolTip(), Q("貼り付け2･1=5C→4:3"));
  EXPECT_EQ(Action("SMEPast")->statusTip(), Q("2･1=5C→4:3"));
  ClickCell(1, 20);
  ClickCell(1, 20);  // on and off again: the cursor is there
  ToolButton("tbPast")->click();
  EXPECT_EQ(Cell(1, 20), Q("○"));
  EXPECT_EQ(Cell(3, 23), Q("○"));
  EXPECT_TRUE(RowHasColumn(score.RowNotes[23], 3));
}

TEST_F(GridWindow, SongInformationDialog) {
  Open();
  QTimer::singleShot(0, [&] {
    auto* dlg = qobject_cast<SongInfoDialog*>(QApplication::activeModalWidget());
    ASSERT_NE(dlg, nullptr);
    EXPECT_EQ(dlg->windowTitle(), Q("曲名等の設定"));
    EXPECT_EQ(dlg->speedEdit()->text(), Q("750"));
    dlg->preCountEdit()->setText("4");
    dlg->okButton()->click();  // refused: stays open
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_EQ(dlg->focusWidget(), dlg->preCountEdit());
    dlg->preCountEdit()->setText("3");
    dlg->speedEdit()->setText("751");
    dlg->titleEdit()->setPlainText(Q("春\n二行目"));
    dlg->okButton()->click();
  });
  Action("SMEInfo")->trigger();
  EXPECT_EQ(messages.Texts().back(), "開始前行数は小節行数より小さくしてください。");
  EXPECT_EQ(score.HalfPeriod, 375);
  EXPECT_EQ(score.PreRows, 3);
  EXPECT_EQ(score.Title, "春\r\n二行目");
  EXPECT_EQ(win->model()->headerData(0, Qt::Vertical, Qt::DisplayRole).toString(), Q("1･4"));
  EXPECT_EQ(win->findChild<QLabel*>("lblNote")->text(), Q("4分音符"));
  EXPECT_TRUE(Action("SMEUndo")->isEnabled());
}

TEST_F(GridWindow, PromptBoxModes) {
  PromptRequest col;
  col.mode = PromptMode::ColAdd;
  col.caption = "新しい音の挿入";
  col.mask = "0C;1;_";
  int calls = 0;
  PromptDialog box(col, [&](const std::string& e, std::string& result) {
    ++calls;
    if (e == "6A") return false;
    result = e + "13";
    return true;
  });
  box.show();
  EXPECT_EQ(box.windowTitle(), Q("新しい音の挿入"));
  EXPECT_TRUE(box.entryEdit()->isVisible());
  EXPECT_FALSE(box.amountBox()->isVisible());
  box.entryEdit()->setText("6A");
  box.okButton()->click();
  EXPECT_TRUE(box.isVisible());
  box.entryEdit()->setText("3B");
  box.okButton()->click();
  EXPECT_FALSE(box.isVisible());
  EXPECT_EQ(box.result(), "3B13");
  EXPECT_EQ(calls, 2);

  PromptRequest mv;
  mv.mode = PromptMode::NotMov;
  PromptDialog m(mv, {});
  EXPECT_EQ(m.windowTitle(), Q("確認ダイアログ"));
  EXPECT_EQ(m.amountBox()->count(), 49);
  EXPECT_EQ(m.amountBox()->currentText(), Q("0"));
  m.cancelButton()->click();
  EXPECT_EQ(m.result(), "0");

  PromptRequest t;
  t.mode = PromptMode::Test;
  PromptDialog tb(t, {});
  tb.show();
  EXPECT_FALSE(tb.okButton()->isVisible());
  EXPECT_EQ(tb.cancelButton()->text(), Q("中止"));
  EXPECT_EQ(tb.messageLabel()->text(), Q("ほんとうですか？"));

  PromptRequest p;
  p.mode = PromptMode::Phrajt;
  p.mask = "#99;0;_";
  p.entry = "-2";
  PromptDialog pb(p, {});
  EXPECT_EQ(pb.entryEdit()->text(), Q("-2"));
  pb.okButton()->click();
  EXPECT_EQ(pb.result(), "-2");
}

TEST_F(GridWindow, LeavingPreparesAfterAChangeAndSaveAsPicksTheWriter) {
  Open();
  ClickCell(1, 1);
  poronka::testing::TempDir dir;
  std::string asked;
  win->saveDialog = [&](const std::string& name) {
    asked = name;
    return std::optional<std::pair<std::string, int>>({dir.File("song.txt"), 1});
  };
  score.FileName = "/x/song.mid";
  Action("SMFSave")->trigger();  // not an MBT name: Save As
  EXPECT_EQ(asked, "/x/song.mid");
  EXPECT_EQ(score.FileName, dir.File("song.txt"));
  EXPECT_FALSE(poronka::testing::ReadBytes(dir.File("song.txt")).empty());
  EXPECT_FALSE(score.Modified);
  win->findChild<QPushButton*>("cmPMod")->click();
  QApplication::processEvents();
  EXPECT_EQ(player.prepares, 1);
  EXPECT_EQ(player.playerShown, 1);
}

TEST_F(GridWindow, OpenResetsTheRingAndExitAsks) {
  Open();
  ClickCell(1, 1);
  player.openWith = [&] {
    MakeNewSong(score);
    score.RowCount = 10;
    score.RowNotes.assign(11, RowSlots{});
    score.RowNotes[4] = RowFromColumns({7});
  };
  Action("SMFOpen")->trigger();
  EXPECT_EQ(win->model()->rowCount(), 11);
  EXPECT_EQ(Cell(7, 4), Q("○"));
  EXPECT_FALSE(Action("SMEUndo")->isEnabled());
  EXPECT_EQ(win->findChild<QLabel*>("lblNote")->text(), Q("4分音符／行"));
  score.Modified = true;
  messages.answers = {false};
  Action("SMFExit")->trigger();
  EXPECT_EQ(player.exits, 0);
  Action("SMHExp")->trigger();
  Action("SMHVer")->trigger();
  EXPECT_EQ(player.helps, 1);
  EXPECT_EQ(player.abouts, 1);
}

// How long it takes is measured by bench_editor_window.
TEST_F(GridWindow, OpensALargeScore) {
  MakeNewSong(score);
  score.RowCount = 100000;
  score.RowNotes.assign(100001, RowSlots{});
  std::vector<int32_t> cols;
  std::u16string oct, let;
  for (int c = 1; c <= 120; ++c) {
    oct += static_cast<char16_t>(u'0' + (c - 1) / 12);
    let += static_cast<char16_t>(kSharpLetters[(c - 1) % 12]);
  }
  score.OctaveLine = oct;
  score.LetterLine = let;
  DeriveColumnPitches(score);
  for (int r = 1; r <= 100000; ++r) score.RowNotes[r] = RowFromColumns({1 + r % 100, 110});
  score.BarAdjust.assign(25002, 0);
  Open();
  EXPECT_EQ(win->model()->rowCount(), 100001);
  EXPECT_EQ(win->model()->columnCount(), 120);
  ClickCell(50, 99999);
  EXPECT_EQ(Cell(50, 99999), Q("○"));
  ToolButton("tbUndo")->click();
  EXPECT_NE(Cell(50, 99999), Q("○"));
}

}  // namespace
}  // namespace poronka::ui

namespace poronka::ui {
namespace {

// Pictures of the editor with a real song, with flats, and of each dialog,
// written when PORONKA_SHOT_DIR names a folder.
TEST(GridWindowPictures, SaveScreenshots) {
  const char* dir = std::getenv("PORONKA_SHOT_DIR");
  if (!dir) GTEST_SKIP() << "PORONKA_SHOT_DIR not set";
  const QString out = QString::fromUtf8(dir) + "/";
  Score score;
  score.FileName = poronka::testing::SourcePath("examples/kirakira.mbt");
  RecordingMessages messages;
  LoadHooks hooks;
  ASSERT_EQ(ReadMbt(score, messages, hooks), MbtLoad::Ok);
  EditorSession session;
  SoundSettings settings;
  FakePlayer player;
  EditorWindow win(score, session, settings, &messages, player);
  win.setAttribute(Qt::WA_DeleteOnClose, false);
  win.resize(960, 720);
  win.show();
  QTest::qWait(200);
  QTest::mouseClick(win.grid()->viewport(), Qt::LeftButton, Qt::NoModifier,
                    win.grid()->visualRect(win.model()->index(6, 14)).center());
  win.grab().save(out + "editor.png");
  win.findChild<QRadioButton*>("rdoSFFlat")->click();
  QTest::qWait(100);
  win.grab().save(out + "editor_flats.png");

  SongInfoDialog dlg(&win);
  dlg.setFields(SongInfoFromScore(score));
  dlg.show();
  QTest::qWait(100);
  dlg.grab().save(out + "song_info.png");
  dlg.hide();

  PromptRequest r;
  r.mode = PromptMode::ColAdd;
  r.caption = "新しい音の挿入";
  r.text = "挿入する音名（6A 等半角で）を指定してください。";
  r.mask = "0C;1;_";
  PromptDialog a(r, {}, &win);
  a.show();
  QTest::qWait(100);
  a.grab().save(out + "iobox_coladd.png");
  r = {};
  r.mode = PromptMode::NotMov;
  r.caption = "音程の移動";
  r.text = "±１で半音ずつ高音又は低音側へ移動します。";
  PromptDialog b(r, {}, &win);
  b.show();
  QTest::qWait(100);
  b.grab().save(out + "iobox_notmov.png");
  r = {};
  r.mode = PromptMode::Test;
  r.caption = "試奏中";
  r.text = "試奏中です。\r中止するときは「中止」ボタンを押してください。";
  PromptDialog c(r, {}, &win);
  c.show();
  QTest::qWait(100);
  c.grab().save(out + "iobox_test.png");
  r = {};
  r.mode = PromptMode::Phrajt;
  r.caption = "第3小節長さの調整";
  r.text = "増減する行数（-3～296：-6 等半角で、減らすときは-をつける）を指定してください。";
  r.mask = "#99;0;_";
  r.entry = "0";
  PromptDialog d(r, {}, &win);
  d.show();
  QTest::qWait(100);
  d.grab().save(out + "iobox_phrajt.png");
}

}  // namespace
}  // namespace poronka::ui

namespace poronka::ui {
namespace {

TEST(GridWindowScroll, ScrollToRowPutsTheRowOnTop) {
  Score score;
  EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  FakePlayer player;
  EditorWindow win(score, session, settings, &messages, player);
  win.setAttribute(Qt::WA_DeleteOnClose, false);
  win.show();
  QApplication::processEvents();
  win.scrollToRow(52);
  QApplication::processEvents();
  EXPECT_EQ(win.grid()->rowAt(0), 50);
  win.scrollToRow(2);
  QApplication::processEvents();
  EXPECT_EQ(win.grid()->rowAt(0), 0);
}

}  // namespace
}  // namespace poronka::ui

namespace poronka::ui {
namespace {

TEST(GridWindowSave, FiltersChooseTheWriter) {
  Score score;
  EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  FakePlayer player;
  EditorWindow win(score, session, settings, &messages, player);
  win.setAttribute(Qt::WA_DeleteOnClose, false);
  win.show();
  QApplication::processEvents();
  score.RowNotes[1] = RowFromColumns({13, 17, 20});
  poronka::testing::TempDir dir;
  std::pair<std::string, int> answer;
  win.saveDialog = [&](const std::string&) { return std::optional<std::pair<std::string, int>>(answer); };
  answer = {dir.File("a.mid"), 4};
  win.saveAs();
  EXPECT_EQ(poronka::testing::ReadBytes(dir.File("a.mid")).substr(0, 4), "MThd");
  answer = {dir.File("b.bin"), 2};
  win.saveAs();
  EXPECT_EQ(poronka::testing::ReadBytes(dir.File("b.bin")).substr(0, 4), "MThd");
  answer = {dir.File("c.mld"), 3};
  win.saveAs();
  EXPECT_EQ(poronka::testing::ReadBytes(dir.File("c.mld")).substr(0, 4), "melo");
  EXPECT_EQ(score.FileName, dir.File("c.mld"));
  // Save with an MBT name writes in place without asking.
  score.FileName = dir.File("d.MBT");
  win.saveDialog = [&](const std::string&) -> std::optional<std::pair<std::string, int>> {
    ADD_FAILURE() << "Save asked for a name";
    return std::nullopt;
  };
  win.save();
  EXPECT_NE(poronka::testing::ReadBytes(dir.File("d.MBT")).find("MBT_DATA"), std::string::npos);
}

}  // namespace
}  // namespace poronka::ui
