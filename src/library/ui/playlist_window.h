// PlaylistWindow, the playlist window: a small rounded window without a caption
// bar beside the player, dragged by any free spot. It shows the shared
// PlaylistState and forwards every command to Playlist (the rules); the
// player reaches it through showBesidePlayer/hideWindow/openStartPlaylist.
#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/ui/signal_names.h"
#include "library/playlist.h"
#include "library/playlist_state.h"

class QListWidget;
class QPushButton;
class QToolButton;

namespace poronka::ui {

// The file dialogs of the playlist window (tests answer them directly).
class PlaylistDialogs {
 public:
  virtual ~PlaylistDialogs() = default;
  // The add button: any files, several at once; empty on Cancel.
  virtual std::vector<std::string> ChooseFilesToAdd(QWidget* parent) = 0;
  // The open button: a playlist file; empty on Cancel.
  virtual std::string ChoosePlaylistToOpen(QWidget* parent) = 0;
  // The save button: a playlist file, `proposed` as its name; empty on Cancel.
  virtual std::string ChooseSaveFile(QWidget* parent, const std::string& proposed) = 0;
};

// QFileDialog with the filters of the player and the playlist.
class FilePlaylistDialogs : public PlaylistDialogs {
 public:
  std::vector<std::string> ChooseFilesToAdd(QWidget* parent) override;
  std::string ChoosePlaylistToOpen(QWidget* parent) override;
  std::string ChooseSaveFile(QWidget* parent, const std::string& proposed) override;
};

class PlaylistWindow : public QWidget {
  Q_OBJECT
 public:
  // Signals that nothing is connected to (a wiring test lists them).
  QStringList unconnectedSignals() const {
    return SignalsWhere(staticMetaObject, [this](const QMetaMethod& m) { return !isSignalConnected(m); });
  }
  // `player` is the player window the playlist sits beside (may be null);
  // `host` is what the playlist needs of the player (usually the player
  // window itself). `dialogs` null: file dialogs.
  PlaylistWindow(PlaylistState& state, Messages& msgs, PlaylistHost& host, QWidget* player = nullptr,
            std::unique_ptr<PlaylistDialogs> dialogs = nullptr, QWidget* parent = nullptr);
  ~PlaylistWindow() override;

  // Shows the window (the player's menu item); the first time beside the
  // player as it stands now.
  void showBesidePlayer();
  // Places the window beside the player: left at the player's left + width - 3,
  // top at the player's top - 5; on its left side instead when the screen
  // ends before the window does on the right.
  void placeBesidePlayer();
  // Loads a playlist named on the command line.
  void openStartPlaylist(const std::string& path);
  // Appends files (dropped on the window or chosen to add), in their order.
  void appendFiles(const std::vector<std::string>& paths);

  Playlist& rules() { return playlist_; }
  QListWidget* listWidget() const { return list_; }
  int selectedIndex() const;
  void selectIndex(int i);

 public slots:
  // The window's commands (its buttons and the list's double click).

  // Asks for a playlist file and loads it in place of the list.
  void openPlaylist();
  // Asks for a file name (the list's file proposed) and saves the list.
  void savePlaylist();
  // Asks for files and appends them.
  void addFiles();
  // Removes the selected entry and selects the one after it.
  void removeSelected();
  // Empties the list.
  void clear();
  // Move the selected entry one place up / down, keeping it selected.
  void moveUp();
  void moveDown();
  // Puts the entries in a random order (lists of three entries or more) and
  // clears the selection.
  void shuffle();
  // Hides the window and clears the selection; emits hidden().
  void hideWindow();
  // Plays the selected entry.
  void playSelectedEntry();

 signals:
  // The window hid itself (its close button or hideWindow()), so the
  // player can uncheck its "プレイリスト(&L)" item.
  void hidden();

 protected:
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void dragEnterEvent(QDragEnterEvent* event) override;
  void dropEvent(QDropEvent* event) override;
  // The player's showing, moves and minimise/restore.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void buildControls();
  void refresh();
  void applyRoundedShape();

  PlaylistState& state_;
  Messages& msgs_;
  Playlist playlist_;
  QWidget* player_;
  std::unique_ptr<PlaylistDialogs> dialogs_;
  int listenerId_ = 0;
  bool refreshing_ = false;
  bool dragging_ = false;
  // Until the window is first shown it keeps to the player's side; later
  // the user's place is kept.
  bool shownOnce_ = false;
  // Hidden because the player was minimised: shown again on restore.
  bool hiddenWithPlayer_ = false;
  QPoint dragOffset_;

  QListWidget* list_ = nullptr;
  QToolButton* openButton_ = nullptr;
  QToolButton* saveButton_ = nullptr;
  QPushButton* addButton_ = nullptr;
  QPushButton* removeButton_ = nullptr;
  QPushButton* clearButton_ = nullptr;
  QToolButton* upButton_ = nullptr;
  QToolButton* downButton_ = nullptr;
  QToolButton* shuffleButton_ = nullptr;
  QPushButton* closeButton_ = nullptr;
};

}  // namespace poronka::ui
