// The editor window on a 100000-row score (offscreen): opening it, a click
// with its undo, and the row operations the grid has to follow.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QItemSelectionModel>
#include <QTableView>

#include "core/messages.h"
#include "core/score.h"
#include "editor/editor_state.h"
#include "editor/ui/editor_window.h"
#include "settings/sound_settings.h"

namespace {

using namespace poronka;
using namespace poronka::editor;

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_editor_window";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

class SilentPlayer : public ui::EditorPlayer {
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
  int TimerMinPeriod() const override { return 4; }
};

// 100000 rows of two notes each over `columns` chromatic columns from 3C.
void LargeScore(Score& score, int columns) {
  MakeNewSong(score);
  std::u16string oct, let;
  for (int n = 36; n < 36 + columns; ++n) {
    oct += static_cast<char16_t>(u'0' + n / 12);
    let += static_cast<char16_t>(kSharpLetters[n % 12]);
  }
  score.OctaveLine = oct;
  score.LetterLine = let;
  DeriveColumnPitches(score);
  score.RowCount = 100000;
  score.RowNotes.assign(100001, RowSlots{});
  for (int r = 1; r <= 100000; ++r) score.RowNotes[r] = RowFromColumns({1 + r % (columns - 10), columns - 5});
  score.BarAdjust.assign(25002, 0);
}

struct Editor {
  Score score;
  EditorSession session;
  SoundSettings settings;
  RecordingMessages messages;
  SilentPlayer player;
  ui::EditorWindow* win = nullptr;
  explicit Editor(int columns) { LargeScore(score, columns); }
  void Open() {
    win = new ui::EditorWindow(score, session, settings, &messages, player);
    win->show();
    QApplication::processEvents();
  }
  ~Editor() {
    if (!win) return;
    win->setAttribute(Qt::WA_DeleteOnClose, false);
    delete win;
  }
  void Trigger(const char* action) {
    win->findChild<QAction*>(action)->trigger();
    QApplication::processEvents();
  }
  void Cursor(int32_t scoreRow) {
    const QModelIndex i = win->model()->index(scoreRow - 1, 0);
    win->grid()->selectionModel()->setCurrentIndex(i, QItemSelectionModel::ClearAndSelect);
    QApplication::processEvents();
  }
};

void BM_OpenLargeScore(benchmark::State& st) {
  App();
  for (auto _ : st) {
    Editor e(120);
    e.Open();
    benchmark::DoNotOptimize(e.win->model()->rowCount());
  }
  st.SetLabel("100000 rows x 120 columns");
}
BENCHMARK(BM_OpenLargeScore)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ClearAndUndoOnLargeScore(benchmark::State& st) {
  App();
  Editor e(60);
  e.Open();
  for (auto _ : st) {
    e.Cursor(99999);
    e.Trigger("SMDCler");
    e.Trigger("SMEUndo");
  }
}
BENCHMARK(BM_ClearAndUndoOnLargeScore)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DoubleThenHalveRowsOnLargeScore(benchmark::State& st) {
  App();
  Editor e(60);
  e.score.RowCount = 40000;
  e.score.RowNotes.resize(40001);
  e.Open();
  for (auto _ : st) {
    e.Cursor(1);
    e.Trigger("SMDI2x");
    e.Trigger("SMDTDup");
  }
}
BENCHMARK(BM_DoubleThenHalveRowsOnLargeScore)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
