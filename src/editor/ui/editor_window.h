// EditorWindow: the score editor window. The grid GrdNote is a model/view table
// over the shared Score (only visible cells are drawn); every change goes
// through the editor operations of editor/editor_ops.h and the view is told
// what to redraw.
#pragma once

#include <QAbstractTableModel>
#include <QMainWindow>
#include <QPointer>
#include <QStyledItemDelegate>
#include <QTableView>
#include <functional>
#include <memory>
#include <optional>

#include "editor/editor_ops.h"
#include "settings/sound_settings.h"

class QAction;
class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;
class QToolBar;

namespace poronka::ui {

// What the editor asks of the player window.
class EditorPlayer {
 public:
  virtual ~EditorPlayer() = default;
  // openSong: lets the user choose a file and loads it into the shared
  // score. Returns false when nothing was opened.
  virtual bool RunOpenCommand() = 0;
  // PrepareSong with mode 0 (full preparation, does not start playing).
  virtual void PrepareSong() = 0;
  // Opens the device of DeviceIndex when its menu item is not checked
  // (failures are not reported).
  virtual void OpenMidiForEditor() = 0;
  // A MIDI short message through MidiOut.
  virtual void SendShortMessage(uint32_t message) = 0;
  // Resets the MIDI output (silences every sounding note).
  virtual void ResetMidi() {}
  // A media file is open through the media player.
  virtual bool MediaActive() const = 0;
  // When the media player's file is a ".mid" and MidiOut is open, closes
  // MidiOut and unchecks its item so that the media player can use it.
  virtual void ReleaseMidiForMedia() = 0;
  // Shows the player window again (the editor is going away).
  virtual void ShowPlayer() = 0;
  // Closes the player window, which ends the application.
  virtual void ExitApplication() = 0;
  virtual void ShowHelp() = 0;   // showHelp
  virtual void ShowAbout() = 0;  // showAbout
  // The timer minimum period (ms) for test play.
  virtual int TimerMinPeriod() const { return 4; }
};

// The grid's data: rows are score rows 1..RowCount and the spare row,
// columns the pitch columns; the header rows and the label column are the
// horizontal and vertical headers.
class NoteGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  NoteGridModel(const Score& score, const editor::EditorState& state, QObject* parent = nullptr)
      : QAbstractTableModel(parent), score_(score), state_(state) {}
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // Lays the whole score out again (sizes, headers, labels, marks).
  void Rebuild();
  // Redraws the marks of grid rows top..bottom.
  void RowsChanged(int32_t topGridRow, int32_t bottomGridRow);
  // Redraws the header rows (pitch names, flat display).
  void HeadersChanged();
  // Relabels all rows.
  void LabelsChanged();

  static QModelIndex IndexOf(const QAbstractItemModel* m, editor::GridCell c) {
    return m->index(c.row - editor::kFirstGridRow, c.col - 1);
  }
  static editor::GridCell CellOf(const QModelIndex& i) {
    return {i.column() + 1, i.row() + editor::kFirstGridRow};
  }

 private:
  const Score& score_;
  const editor::EditorState& state_;
  std::vector<BarBeat> labels_;
  int rows_ = 0;
  int cols_ = 0;
};

class EditorWindow : public QMainWindow, private editor::EditorHost {
  Q_OBJECT
 public:
  // `messages` nullptr: message boxes over this window.
  EditorWindow(Score& score, editor::EditorSession& session, const SoundSettings& settings,
           Messages* messages, EditorPlayer& player, QWidget* parent = nullptr);
  ~EditorWindow() override;

  // Handlers named after their controls.
  void SMFNewClick();
  void SMFOpenClick();
  void SMFSaveClick();
  void SMFSaveAsClick();
  void SMFPlayClick() { close(); }
  void cmPModClick() { close(); }
  void SMFExitClick();
  void tbUndoClick();
  void tbRedoClick();
  void SMECopyClick();
  void SMEPastClick();
  void SMEInfoClick();
  void rdoSFClick(bool flats);
  void SMHExpClick();
  void SMHVerClick();
  // Row, bar, resolution and pitch operations and test play.
  void SMEMoveClick();
  void SMDIRowClick();
  void SMDIPharClick();
  void SMDINoteClick();
  void SMDAHighClick();
  void SMDALowClick();
  void SMDI2xClick();
  void SMDI3xClick();
  void SMDTDupClick();
  void SMDTSmlClick();
  void SMDRowClick();
  void SMDNoteClick();
  void SMDClerClick();
  void SMDPhrClick();
  void cmTestClick();

  // Redraws the grid and the labels after an operation took a snapshot of
  // `kind` (None: everything that may have changed).
  void AfterChange(editor::SnapshotKind kind);
  // Moves the grid's cursor to the state's current cell and selection.
  void SyncCursorFromState();
  // Copies the grid's current selection into the editor state.
  void ReadSelectionFromView();
  // Scrolls so that `gridRow` is the first visible row.
  void ScrollToRow(int32_t gridRow);
  // lblNote ends in "分音符／行" (true) or "分音符" (false) from now on.
  void SetNoteLabelPerRow(bool perRow) { notePerRow_ = perRow; }
  // Sets lblRowCol for the current cell.
  void UpdateRowColLabel();

  // The save dialog; tests replace it. Returns the chosen file name and
  // filter index (1..4), or nothing when cancelled.
  std::function<std::optional<std::pair<std::string, int>>(const std::string& fileName)> saveDialog;

  // For the operations and tests.
  editor::EditorContext& Context() { return ctx_; }
  editor::EditorState& State() { return state_; }
  QTableView* Grid() const { return grid_; }
  NoteGridModel* Model() const { return model_; }
  QLabel* RowColLabel() const { return lblRowCol_; }
  bool NotePerRowLabel() const { return notePerRow_; }

 protected:
  void showEvent(QShowEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // EditorHost
  void SendShortMessage(uint32_t message) override { player_.SendShortMessage(message); }
  bool MediaActive() const override { return player_.MediaActive(); }
  std::string RunPrompt(const editor::PromptRequest& request, const editor::PromptOk& onOk) override;
  void ProcessEvents() override;

  void BuildMenus();
  void BuildHeader();
  void FormShow();
  void GrdNoteClick();
  void GrdNoteSelectCell(editor::GridCell cell);
  bool GrdNoteKeyDown(QKeyEvent* e);
  void UpdateLabels();
  void UpdateUndoRedo();
  void UpdatePaste();
  void ScrollToTopLeft();
  void WriteWith(editor::SaveWriter writer);
  // Puts the test play box where the row that plays stays visible.
  void PlaceTestPlayBox(QWidget& box) const;

  Score& score_;
  editor::EditorSession& session_;
  const SoundSettings& settings_;
  std::unique_ptr<Messages> ownMessages_;
  Messages& messages_;
  EditorPlayer& player_;
  editor::EditorState state_;
  editor::EditorContext ctx_;

  NoteGridModel* model_ = nullptr;
  QTableView* grid_ = nullptr;
  QLabel* lblTitle_ = nullptr;
  QLabel* lblSpeed_ = nullptr;
  QLabel* lblPhrlen_ = nullptr;
  QLabel* lblNote_ = nullptr;
  QLabel* lblRowCol_ = nullptr;
  QRadioButton* rdoSharp_ = nullptr;
  QRadioButton* rdoFlat_ = nullptr;
  QCheckBox* ChkSon_ = nullptr;
  QPushButton* cmPMod_ = nullptr;
  QPushButton* cmTest_ = nullptr;
  QAction* SMEUndo_ = nullptr;
  QAction* tbUndo_ = nullptr;
  QAction* SMERedo_ = nullptr;
  QAction* tbRedo_ = nullptr;
  QAction* SMEPast_ = nullptr;
  QAction* tbPast_ = nullptr;

  bool shown_ = false;
  bool exiting_ = false;
  bool syncing_ = false;   // the view is being moved by the window itself
  bool pressArmed_ = false;  // a plain left press is under way on pressIndex_
  QPersistentModelIndex pressIndex_;
  bool notePerRow_ = true;  // lblNote ends in "分音符／行"
};

}  // namespace poronka::ui
