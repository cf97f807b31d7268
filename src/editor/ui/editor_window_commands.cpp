// The editor window's file, edit and help commands, and the prompt box the
// editor operations ask through.
#include <QApplication>
#include <QFileInfo>
#include <QHeaderView>
#include <QRadioButton>
#include <QScreen>

#include "core/mbt.h"
#include "editor/ui/editor_window.h"
#include "editor/ui/prompt_dialog.h"
#include "editor/ui/song_info_dialog.h"
#include "interchange/mfi_export.h"
#include "interchange/smf_export.h"
#include "playback/ui/file_dialogs.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

// The Save As dialog: the writer follows the filter, and so does the
// extension of the file name, before the overwrite question names the file.
class SaveAsDialog : public ProgramFileDialog {
 public:
  explicit SaveAsDialog(QWidget* parent)
      : ProgramFileDialog(parent, Kind::Save, Q("名前を付けて保存"),
                          {{Q("ＭＢＴ形式の保存(*.MBT)"), {"MBT"}},
                           {Q("標準MIDIファイルで保存（フォーマット０）(*.MID)"), {"MID"}},
                           {Q("携帯着メロ形式で保存(*.MLD)"), {"MLD"}},
                           {Q("全てのファイル(*.*)"), {}}},
                          "MBT") {
    setObjectName("cdSave");
  }

 protected:
  void accept() override {
    const QString name = chosenFile();
    if (!name.isEmpty() && !QFileInfo(name).isDir()) {
      const QString fixed = Q(SaveAsFileName(name.toStdString(), chosenFilter() + 1));
      if (fixed != name) {
        // The name box only takes a name while it is not being typed in.
        if (QWidget* typing = focusWidget()) typing->clearFocus();
        selectFile(fixed);
      }
    }
    ProgramFileDialog::accept();
  }
};

}  // namespace

// ---- file ---------------------------------------------------------------------

void EditorWindow::newScore() {
  if (!NewScore(ctx_)) return;
  notePerRow_ = false;
  {
    QSignalBlocker b(flatsButton_);
    sharpsButton_->setChecked(true);
  }
  model_->rebuild();
  afterChange(SnapshotKind::Base);
  syncCursorFromState();
  scrollToTopLeft();
  if (grid_->isVisible()) grid_->setFocus();
}

void EditorWindow::openScore() {
  if (!player_.RunOpenCommand()) return;
  const bool hadColumns = score_.ColumnCount > 0;
  ShowEditor(ctx_, ShowSender::Open);
  notePerRow_ = hadColumns;
  showFlatButtons();
  model_->rebuild();
  afterChange(SnapshotKind::Base);
  updatePaste();
  syncCursorFromState();
  scrollToTopLeft();
  grid_->setFocus();
}

void EditorWindow::save() {
  if (SaveWritesInPlace(score_.FileName)) {
    writeWith(SaveWriter::Mbt);
    return;
  }
  saveAs();
}

void EditorWindow::saveAs() {
  std::optional<std::pair<std::string, int>> chosen;
  if (saveDialog) {
    chosen = saveDialog(score_.FileName);
  } else {
    SaveAsDialog dlg(this);
    if (!score_.FileName.empty()) dlg.selectFile(Q(SaveAsFileName(score_.FileName, 1)));
    if (dlg.exec() == QDialog::Accepted && !dlg.chosenFile().isEmpty())
      chosen.emplace(dlg.chosenFile().toStdString(), dlg.chosenFilter() + 1);
  }
  if (!chosen) return;
  score_.FileName = SaveAsFileName(chosen->first, chosen->second);
  writeWith(WriterForSaveAs(chosen->second, score_.FileName, score_.MaxSlot));
}

void EditorWindow::writeWith(SaveWriter writer) {
  // The writers' message boxes put the normal cursor back themselves.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct NormalCursorAfter {
    ~NormalCursorAfter() {
      if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    }
  } normal;
  switch (writer) {
    case SaveWriter::Mbt:
      WriteMbt(score_, messages_);
      break;
    case SaveWriter::Smf:
      SaveSmf(score_, settings_, messages_);
      break;
    case SaveWriter::Mfi4:
    case SaveWriter::Mfi16:
      // The MFi writer picks Ver1 or Ver2 from MaxSlot itself.
      SaveMfi(score_, settings_, messages_);
      break;
  }
}

void EditorWindow::exitApplication() {
  if (score_.Modified && !messages_.AskOkCancel(kClearQuestion)) return;
  score_.Modified = false;
  exiting_ = true;
  close();
  player_.ExitApplication();
}

// ---- edit -----------------------------------------------------------------------

void EditorWindow::undo() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const SnapshotKind k = UndoStep(ctx_);
  QApplication::restoreOverrideCursor();
  if (k != SnapshotKind::None) afterChange(k);
  updateUndoRedo();
}

void EditorWindow::redo() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const SnapshotKind k = RedoStep(ctx_);
  QApplication::restoreOverrideCursor();
  if (k != SnapshotKind::None) afterChange(k);
  updateUndoRedo();
}

void EditorWindow::copy() {
  readSelectionFromView();
  CopySelection(ctx_);
  updatePaste();
  syncCursorFromState();
  grid_->setFocus();
}

void EditorWindow::paste() {
  if (session_.clipboard.empty()) return;
  state_.current = NoteGridModel::cellOf(grid_->currentIndex());
  Paste(ctx_);
  afterChange(SnapshotKind::Paste);
  syncCursorFromState();
  grid_->setFocus();
}

void EditorWindow::editSongInfo() {
  SongInfoDialog dlg(this);
  dlg.setFields(SongInfoFromScore(score_));
  dlg.validate = [this](const SongInfoFields& f) { return ApplySongInfo(ctx_, f); };
  if (dlg.exec() == QDialog::Accepted) {
    notePerRow_ = false;
    afterChange(SnapshotKind::BarLayout);
  }
  grid_->setFocus();
}

void EditorWindow::showFlats(bool flats) {
  if (flats == state_.flatDisplay) return;
  state_.flatDisplay = flats;
  model_->headersChanged();
  updateCursorLabel();
  grid_->setFocus();
}

// ---- help -----------------------------------------------------------------------

void EditorWindow::showHelp() { player_.ShowHelp(); }
void EditorWindow::showAbout() { player_.ShowAbout(); }

// ---- the prompt box ---------------------------------------------------------------

std::string EditorWindow::RunPrompt(const PromptRequest& request, const PromptOk& onOk) {
  // The normal cursor while the box asks; the hourglass of the operation
  // comes back when it closes.
  int hourglasses = 0;
  for (; QApplication::overrideCursor(); ++hourglasses) QApplication::restoreOverrideCursor();
  PromptDialog box(request, onOk, this);
  if (request.mode == PromptMode::Test) placeTestPlayBox(box);
  box.exec();
  for (int i = 0; i < hourglasses; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
  return box.result();
}

void EditorWindow::placeTestPlayBox(QWidget& box) const {
  // Test play keeps the playing row among the first eleven visible rows;
  // the box goes below them, over the grid, or beside the window when the
  // grid is too short.
  box.adjustSize();
  const QSize size = box.size();
  const QRect view(grid_->viewport()->mapToGlobal(QPoint(0, 0)), grid_->viewport()->size());
  const int followedBottom = view.top() + 11 * grid_->verticalHeader()->defaultSectionSize();
  const QRect area = this->screen() ? this->screen()->availableGeometry() : QRect();
  QPoint at(view.center().x() - size.width() / 2, view.bottom() - size.height() - 8);
  if (at.y() < followedBottom + 8) {
    const QRect frame = frameGeometry();
    at = QPoint(frame.right() + 8, view.top());
    if (!area.isEmpty() && at.x() + size.width() > area.right()) at.setX(frame.left() - size.width() - 8);
  }
  if (!area.isEmpty()) {
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
  }
  box.move(at);
}

void EditorWindow::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace poronka::ui
