// The row, bar, resolution and pitch operations and test play of the editor
// window. Each runs its editor operation and then redraws with afterChange().
#include <QApplication>
#include <QMetaObject>

#include "editor/pitch_ops.h"
#include "editor/row_ops.h"
#include "editor/test_play.h"
#include "editor/ui/editor_window.h"
#include "playback/periodic_timer.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {

// The grid's current cell and selection go into the editor state first.
void ReadGrid(EditorWindow& w) {
  const QModelIndex cur = w.grid()->currentIndex();
  if (cur.isValid()) w.state().current = NoteGridModel::cellOf(cur);
  w.readSelectionFromView();
}

// Redraws after an operation: the grid follows the score, the cursor and
// the scrolling go where the operation put them.
void Follow(EditorWindow& w, const GridUpdate& u, SnapshotKind kind) {
  if (u.timingLabels) w.setNoteLabelPerRow(true);
  if (u.changed) w.afterChange(kind);
  if (u.changed || u.cursorMoved) w.syncCursorFromState();
  if (u.scrollTopRow > 0) w.scrollToRow(u.scrollTopRow);
  w.updateCursorLabel();
  w.grid()->setFocus();
}

// The hourglass shows while an operation works and while the grid follows
// it; the prompt box and message boxes put the normal cursor back while
// they are up.
template <typename Op>
void RunOp(EditorWindow& w, SnapshotKind kind, Op op) {
  ReadGrid(w);
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const GridUpdate u = op(w.context());
  Follow(w, u, kind);
  if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}

// Test play sends through the player's MIDI output (which is safe to use
// from the timer thread).
class PlayerTestOutput : public TestPlayOutput {
 public:
  explicit PlayerTestOutput(EditorPlayer& p) : player_(p) {}
  void ShortMsg(uint32_t m) override { player_.SendShortMessage(m); }
  void Reset() override { player_.ResetMidi(); }

 private:
  EditorPlayer& player_;
};

}  // namespace

void EditorWindow::transpose() { RunOp(*this, SnapshotKind::Transpose, TransposePitches); }
void EditorWindow::insertRow() {
  RunOp(*this, SnapshotKind::InsertRows, [](EditorContext& c) { return InsertRows(c, 1); });
}
void EditorWindow::insertBar() { RunOp(*this, SnapshotKind::InsertRows, InsertBar); }
void EditorWindow::insertPitchColumn() { RunOp(*this, SnapshotKind::InsertPitch, InsertPitch); }
void EditorWindow::addHighOctave() { RunOp(*this, SnapshotKind::InsertPitch, AddHighPitches); }
void EditorWindow::addLowOctave() { RunOp(*this, SnapshotKind::InsertPitch, AddLowPitches); }
void EditorWindow::doubleResolution() {
  RunOp(*this, SnapshotKind::ResolutionUp, [](EditorContext& c) { return MultiplyResolution(c, 2); });
}
void EditorWindow::tripleResolution() {
  RunOp(*this, SnapshotKind::ResolutionUp, [](EditorContext& c) { return MultiplyResolution(c, 3); });
}
void EditorWindow::halveResolution() {
  RunOp(*this, SnapshotKind::ResolutionDown, [](EditorContext& c) { return DivideResolution(c, 2); });
}
void EditorWindow::divideResolutionByThree() {
  RunOp(*this, SnapshotKind::ResolutionDown, [](EditorContext& c) { return DivideResolution(c, 3); });
}
void EditorWindow::deleteRows() { RunOp(*this, SnapshotKind::DeleteRows, DeleteSelectedRows); }
void EditorWindow::deletePitchColumns() { RunOp(*this, SnapshotKind::DeletePitches, DeleteSelectedPitches); }
void EditorWindow::removeUnusedPitches() { RunOp(*this, SnapshotKind::Cleanup, CleanupPitches); }
void EditorWindow::adjustBarLength() { RunOp(*this, SnapshotKind::BarLength, AdjustBarLength); }

void EditorWindow::testPlay() {
  ReadGrid(*this);
  grid_->setFocus();
  ThreadTimer timer;
  PlayerTestOutput out(player_);
  // Each tick's cursor move, scrolling and label go to this thread.
  EditorWindow* self = this;
  RunTestPlay(ctx_, timer, out, player_.TimerMinPeriod(), [self](int32_t a) {
    QMetaObject::invokeMethod(
        self,
        [self, a] {
          self->state_.MoveTo({self->state_.current.col, GridRowOf(a)});
          self->state_.RememberCurrent();
          self->syncCursorFromState();
          self->scrollToRow(TestPlayScrollTop(a));
          self->updateCursorLabel();
        },
        Qt::QueuedConnection);
  });
  syncCursorFromState();
  updateCursorLabel();
}

}  // namespace poronka::ui
