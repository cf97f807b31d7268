// EditorWindow: the score editor window. The note grid is a model/view table
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
  // The player's help and its about box.
  virtual void ShowHelp() = 0;
  virtual void ShowAbout() = 0;
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
  void rebuild();
  // Redraws the marks of grid rows top..bottom.
  void rowsChanged(int32_t topGridRow, int32_t bottomGridRow);
  // Redraws the header rows (pitch names, flat display).
  void headersChanged();
  // Relabels all rows.
  void labelsChanged();

  static QModelIndex indexOf(const QAbstractItemModel* m, editor::GridCell c) {
    return m->index(c.row - editor::kFirstGridRow, c.col - 1);
  }
  static editor::GridCell cellOf(const QModelIndex& i) {
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

 public slots:
  // File commands (editor_window_commands.cpp).
  void newScore();
  void openScore();
  // Writes an MBT file in place; any other name goes through saveAs().
  void save();
  void saveAs();
  // Closes the editor; the player comes back.
  void returnToPlayer() { close(); }
  // Asks about unsaved changes, then closes the editor and the player.
  void exitApplication();

  // Edit commands.
  void undo();
  void redo();
  void copy();
  void paste();
  void editSongInfo();
  // Pitch names with flats (true) or sharps (false).
  void showFlats(bool flats);
  void showHelp();
  void showAbout();

  // Row, bar, resolution and pitch operations and test play
  // (editor_window_ops.cpp).
  void transpose();
  void insertRow();
  void insertBar();
  void insertPitchColumn();
  void addHighOctave();
  void addLowOctave();
  void doubleResolution();
  void tripleResolution();
  void halveResolution();
  void divideResolutionByThree();
  void deleteRows();
  void deletePitchColumns();
  void removeUnusedPitches();
  void adjustBarLength();
  void testPlay();

 public:
  // Redraws the grid and the labels after an operation took a snapshot of
  // `kind` (None: everything that may have changed).
  void afterChange(editor::SnapshotKind kind);
  // Moves the grid's cursor to the state's current cell and selection.
  void syncCursorFromState();
  // Copies the grid's current selection into the editor state.
  void readSelectionFromView();
  // Scrolls so that `gridRow` is the first visible row.
  void scrollToRow(int32_t gridRow);
  // The note value label ends in "分音符／行" (true) or "分音符" (false)
  // from now on.
  void setNoteLabelPerRow(bool perRow) { notePerRow_ = perRow; }
  // Shows the current cell in the cursor position label.
  void updateCursorLabel();

  // The save dialog; tests replace it. Returns the chosen file name and
  // filter index (1..4), or nothing when cancelled.
  std::function<std::optional<std::pair<std::string, int>>(const std::string& fileName)> saveDialog;

  // For the operations and tests.
  editor::EditorContext& context() { return ctx_; }
  editor::EditorState& state() { return state_; }
  QTableView* grid() const { return grid_; }
  NoteGridModel* model() const { return model_; }
  QLabel* cursorLabel() const { return cursorLabel_; }
  bool notePerRowLabel() const { return notePerRow_; }

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

  // Building (editor_window_layout.cpp): the grid view, one action per
  // command shown in the menus and on the tool bar, and the labels above
  // the grid.
  void buildGrid();
  void createActions();
  void buildHeader();

  // First showing: the score as the editor takes it over.
  void prepareForShow();
  // The sharp/flat buttons follow the state without reporting it back.
  void showFlatButtons();
  // Grid mouse and keys.
  bool handleGridMouse(QEvent* event);
  bool handleGridKey(QKeyEvent* e);
  // Remembers the current cell; toggles its note when a click or a key has
  // armed the toggle.
  void toggleCurrentNote();
  // The cursor moved to `cell`: repaints the guide cells and the label.
  void showCursorMovedTo(editor::GridCell cell);
  void updateLabels();
  void updateUndoRedo();
  void updatePaste();
  void scrollToTopLeft();
  void writeWith(editor::SaveWriter writer);
  // Puts the test play box where the row that plays stays visible.
  void placeTestPlayBox(QWidget& box) const;

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
  QLabel* titleLabel_ = nullptr;
  QLabel* speedLabel_ = nullptr;
  QLabel* barLengthLabel_ = nullptr;
  QLabel* noteValueLabel_ = nullptr;
  QLabel* cursorLabel_ = nullptr;
  QRadioButton* sharpsButton_ = nullptr;
  QRadioButton* flatsButton_ = nullptr;
  QCheckBox* soundOnMoveBox_ = nullptr;
  QPushButton* playerButton_ = nullptr;
  QPushButton* testPlayButton_ = nullptr;

  // The actions whose state follows the editor (shared by menu and tool bar).
  QAction* undoAction_ = nullptr;
  QAction* redoAction_ = nullptr;
  QAction* pasteAction_ = nullptr;
  QWidget* pasteToolButton_ = nullptr;

  bool shown_ = false;
  bool exiting_ = false;
  bool syncing_ = false;     // the view is being moved by the window itself
  bool pressArmed_ = false;  // a plain left press is under way on pressIndex_
  QPersistentModelIndex pressIndex_;
  bool notePerRow_ = true;  // the note value label ends in "分音符／行"
};

}  // namespace poronka::ui
