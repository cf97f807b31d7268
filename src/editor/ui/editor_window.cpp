// The editor window's grid model, its construction, showing and closing, the
// grid's mouse and keys, and keeping the view, the labels and the commands'
// state in step with the editor state. The parts are built in
// editor_window_layout.cpp, the commands run in editor_window_commands.cpp and
// editor_window_ops.cpp.
#include "editor/ui/editor_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QRadioButton>
#include <QScrollBar>

#include "editor/ui/box_tools.h"
#include "playback/ui/message_boxes.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q16(const std::u16string& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

}  // namespace

// ---- model ------------------------------------------------------------------

int NoteGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int NoteGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant NoteGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) {
    const GridCell c = cellOf(index);
    if (CellMarked(score_, c.col, c.row)) return QStringLiteral("○");
    return {};
  }
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  return {};
}

QVariant NoteGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (section < 0 || section >= cols_) return {};
    return Q16(OctaveCell(score_, section + 1)) + "\n" +
           Q16(LetterCell(score_, section + 1, state_.flatDisplay));
  }
  const size_t r = static_cast<size_t>(section) + 1;
  if (section < 0 || r >= labels_.size()) return QString();
  return Q(LabelText(labels_[r]));
}

Qt::ItemFlags NoteGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void NoteGridModel::rebuild() {
  const int rows = std::max(score_.RowCount, 0) + 1;
  const int cols = std::max(score_.ColumnCount, 0);
  if (rows != rows_ || cols != cols_) {
    beginResetModel();
    rows_ = rows;
    cols_ = cols;
    labels_ = RowLabels(score_);
    endResetModel();
    return;
  }
  labels_ = RowLabels(score_);
  if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
  headersChanged();
  if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

void NoteGridModel::rowsChanged(int32_t top, int32_t bottom) {
  const int t = std::max(0, top - kFirstGridRow);
  const int b = std::min(rows_ - 1, bottom - kFirstGridRow);
  if (t > b || cols_ == 0) return;
  emit dataChanged(index(t, 0), index(b, cols_ - 1), {Qt::DisplayRole});
}

void NoteGridModel::headersChanged() {
  if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

void NoteGridModel::labelsChanged() {
  labels_ = RowLabels(score_);
  if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

// ---- window -----------------------------------------------------------------

EditorWindow::EditorWindow(Score& score, EditorSession& session, const SoundSettings& settings,
                           Messages* messages, EditorPlayer& player, QWidget* parent)
    : QMainWindow(parent),
      score_(score),
      session_(session),
      settings_(settings),
      ownMessages_(messages ? nullptr : std::make_unique<PlayerMessageBoxes>(this)),
      messages_(messages ? *messages : *ownMessages_),
      player_(player),
      ctx_{score_, state_, session_, messages_, *this} {
  setObjectName("frmGrid");
  setWindowTitle(QString::fromUtf8("ポロンカ　作成・編集モード"));
  setAttribute(Qt::WA_DeleteOnClose);
  // A new window shows sharps and has nothing to undo.
  state_.flatDisplay = false;
  state_.undo.Reset();

  buildGrid();
  createActions();
  new BoxTools(*this, settings);
  buildHeader();
  resize(900, 700);
}

EditorWindow::~EditorWindow() = default;

// ---- showing and closing --------------------------------------------------------

void EditorWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (shown_) return;
  shown_ = true;
  prepareForShow();
}

void EditorWindow::prepareForShow() {
  const bool hadColumns = score_.ColumnCount > 0;
  player_.OpenMidiForEditor();
  ShowEditor(ctx_, ShowSender::Window);
  notePerRow_ = hadColumns;
  showFlatButtons();
  model_->rebuild();
  updateLabels();
  updatePaste();
  updateUndoRedo();
  syncCursorFromState();
  scrollToTopLeft();
  updateCursorLabel();
  grid_->setFocus();
}

void EditorWindow::showFlatButtons() {
  QSignalBlocker b(flatsButton_);
  sharpsButton_->setChecked(!state_.flatDisplay);
  flatsButton_->setChecked(state_.flatDisplay);
}

void EditorWindow::closeEvent(QCloseEvent* e) {
  if (exiting_) {
    e->accept();
    return;
  }
  // Back to the player, prepared again when the score changed.
  if (session_.NeedsPrepare) {
    player_.PrepareSong();
    session_.NeedsPrepare = false;
  } else {
    player_.ReleaseMidiForMedia();
  }
  player_.ShowPlayer();
  e->accept();
}

// ---- grid events ----------------------------------------------------------------

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_->viewport()) return handleGridMouse(event);
  if (watched == grid_ && event->type() == QEvent::KeyPress)
    return handleGridKey(static_cast<QKeyEvent*>(event));
  if (event->type() == QEvent::MouseButtonDblClick &&
      (watched == titleLabel_ || watched == speedLabel_ || watched == barLengthLabel_ ||
       watched == noteValueLabel_)) {
    editSongInfo();
    return true;
  }
  if (watched == pasteToolButton_ && event->type() == QEvent::StatusTip) {
    // The paste range shows in the status bar for the menu item only; the
    // tool button names it in its tool tip.
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool EditorWindow::handleGridMouse(QEvent* event) {
  switch (event->type()) {
    case QEvent::MouseButtonPress: {
      auto* me = static_cast<QMouseEvent*>(event);
      if (me->button() == Qt::LeftButton && me->buttons() == Qt::LeftButton &&
          me->modifiers() == Qt::NoModifier) {
        pressArmed_ = true;
        pressIndex_ = grid_->indexAt(me->position().toPoint());
        return false;
      }
      pressArmed_ = false;
      state_.toggleArmed = false;
      state_.CollapseSelection();
      syncCursorFromState();
      grid_->setFocus();
      return true;
    }
    case QEvent::MouseMove: {
      // Leaving the pressed cell makes the press a range selection.
      auto* me = static_cast<QMouseEvent*>(event);
      if (pressArmed_ && grid_->indexAt(me->position().toPoint()) != pressIndex_) pressArmed_ = false;
      return false;
    }
    case QEvent::MouseButtonDblClick:
      pressArmed_ = false;
      state_.toggleArmed = false;
      return false;
    case QEvent::MouseButtonRelease: {
      // A plain click toggles its cell when it is released where it was
      // pressed; a drag only selects.
      auto* me = static_cast<QMouseEvent*>(event);
      const QModelIndex at = grid_->indexAt(me->position().toPoint());
      if (pressArmed_ && me->button() == Qt::LeftButton && at.isValid() && at == pressIndex_) {
        state_.current = NoteGridModel::cellOf(at);
        readSelectionFromView();
        state_.toggleArmed = true;
        toggleCurrentNote();
      }
      pressArmed_ = false;
      state_.toggleArmed = false;
      return false;
    }
    default:
      return false;
  }
}

bool EditorWindow::handleGridKey(QKeyEvent* e) {
  if (e->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier)) return false;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      state_.toggleArmed = true;
      readSelectionFromView();
      toggleCurrentNote();
      state_.toggleArmed = false;
      return true;
    case Qt::Key_Up:
      SoundRowForMove(ctx_, -1);
      return false;
    case Qt::Key_Down:
      SoundRowForMove(ctx_, +1);
      return false;
    default:
      return false;
  }
}

void EditorWindow::toggleCurrentNote() {
  if (ToggleNote(ctx_)) {
    model_->rowsChanged(state_.current.row, state_.current.row);
    updateUndoRedo();
  }
}

void EditorWindow::showCursorMovedTo(GridCell cell) {
  if (cell == state_.cursor) return;
  grid_->viewport()->update();
  cursorLabel_->setText(Q(CursorText(score_, cell, state_.flatDisplay)));
}

// ---- view and state ---------------------------------------------------------------

void EditorWindow::readSelectionFromView() {
  const QItemSelection sel = grid_->selectionModel()->selection();
  if (sel.isEmpty()) {
    state_.selection = GridRect::Of(state_.current);
    return;
  }
  int top = INT32_MAX, left = INT32_MAX, bottom = -1, right = -1;
  for (const QItemSelectionRange& r : sel) {
    top = std::min(top, r.top());
    left = std::min(left, r.left());
    bottom = std::max(bottom, r.bottom());
    right = std::max(right, r.right());
  }
  state_.selection = {left + 1, top + kFirstGridRow, right + 1, bottom + kFirstGridRow};
}

void EditorWindow::syncCursorFromState() {
  if (model_->rowCount() == 0 || model_->columnCount() == 0) return;
  syncing_ = true;
  const QModelIndex cur = NoteGridModel::indexOf(model_, state_.current);
  QItemSelectionModel* sm = grid_->selectionModel();
  sm->setCurrentIndex(cur, QItemSelectionModel::NoUpdate);
  const GridRect r = state_.selection;
  const QModelIndex a = NoteGridModel::indexOf(model_, {r.left, r.top});
  const QModelIndex b = NoteGridModel::indexOf(model_, {r.right, r.bottom});
  if (a.isValid() && b.isValid())
    sm->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
  else
    sm->select(cur, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
  grid_->scrollTo(cur);
  grid_->viewport()->update();
}

void EditorWindow::scrollToRow(int32_t gridRow) {
  const int row = std::max(0, gridRow - kFirstGridRow);
  // The grid scrolls by whole rows.
  grid_->verticalScrollBar()->setValue(row);
}

void EditorWindow::scrollToTopLeft() {
  grid_->verticalScrollBar()->setValue(0);
  grid_->horizontalScrollBar()->setValue(0);
}

// ---- labels and commands' state ---------------------------------------------------

void EditorWindow::updateLabels() {
  titleLabel_->setText(Q(score_.Title).replace("\r\n", "\n"));
  speedLabel_->setText(Q(SpeedLabel(score_)));
  barLengthLabel_->setText(Q(PhraseLabel(score_)));
  noteValueLabel_->setText(Q(NoteLabel(score_, notePerRow_)));
}

void EditorWindow::updateCursorLabel() {
  cursorLabel_->setText(Q(CursorText(score_, state_.current, state_.flatDisplay)));
}

void EditorWindow::updateUndoRedo() {
  undoAction_->setEnabled(state_.undo.undoEnabled());
  redoAction_->setEnabled(state_.undo.redoEnabled());
}

void EditorWindow::updatePaste() {
  const Clipboard& c = session_.clipboard;
  if (c.empty()) return;
  pasteAction_->setEnabled(true);
  pasteAction_->setStatusTip(Q(PasteMenuHint(c)));
  pasteAction_->setToolTip(Q(PasteButtonHint(c)));
}

void EditorWindow::afterChange(SnapshotKind kind) {
  if (kind == SnapshotKind::Toggle) {
    model_->rowsChanged(kFirstGridRow, SpareGridRow(score_));
  } else {
    const bool resized = model_->rowCount() != score_.RowCount + 1 || model_->columnCount() != score_.ColumnCount;
    model_->rebuild();
    if (resized) syncCursorFromState();
  }
  updateLabels();
  updateCursorLabel();
  updateUndoRedo();
  grid_->viewport()->update();
}

}  // namespace poronka::ui
