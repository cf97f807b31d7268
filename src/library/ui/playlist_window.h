// PlaylistWindow, the playlist window: a small rounded window without a caption
// bar beside the player, dragged by any free spot. It shows the shared
// PlaylistState and forwards every command to Playlist (the rules); the
// player reaches it through Show/cmdHideClick/OpenStartPlaylist.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/messages.h"
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
  // The save dialog cdSaveL with `proposed` as its name; empty on Cancel.
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
  // `player` is the player window the playlist sits beside (may be null);
  // `host` is what the playlist needs of the player (usually the player
  // window itself). `dialogs` null: file dialogs.
  PlaylistWindow(PlaylistState& state, Messages& msgs, PlaylistHost& host, QWidget* player = nullptr,
            std::unique_ptr<PlaylistDialogs> dialogs = nullptr, QWidget* parent = nullptr);
  ~PlaylistWindow() override;

  // Called whenever the window hides itself (its close button), so the
  // player can uncheck its "プレイリスト(&L)" item.
  void SetHiddenCallback(std::function<void()> callback) { onHidden_ = std::move(callback); }

  // Shows the window (the player's menu item); the first time beside the
  // player as it stands now.
  void ShowBesidePlayer();
  // Places the window beside the player: left at the player's left + width - 3,
  // top at the player's top - 5; on its left side instead when the screen
  // ends before the window does on the right.
  void PlaceBesidePlayer();
  // Loads a playlist named on the command line.
  void OpenStartPlaylist(const std::string& path);
  // Files dropped on the window, in drop order.
  void DropFiles(const std::vector<std::string>& paths);

  Playlist& Rules() { return playlist_; }
  QListWidget* PlayListBox() const { return PlayListBox_; }
  int SelectedIndex() const;
  void SelectIndex(int i);

  // Command handlers.
  void cmListOpenClick();
  void cmListSaveClick();
  void cmdAddClick();
  void cmdDellClick();
  void cmdClearClick();
  void cmUPClick();
  void cmDNClick();
  void cmSHFLClick();
  void cmdHideClick();
  void PlayListBoxDblClick();

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
  void BuildControls();
  void Refresh();
  void ApplyRoundedShape();

  PlaylistState& state_;
  Messages& msgs_;
  Playlist playlist_;
  QWidget* player_;
  std::unique_ptr<PlaylistDialogs> dialogs_;
  std::function<void()> onHidden_;
  int listenerId_ = 0;
  bool refreshing_ = false;
  bool dragging_ = false;
  // Until the window is first shown it keeps to the player's side; later
  // the user's place is kept.
  bool shownOnce_ = false;
  // Hidden because the player was minimised: shown again on restore.
  bool hiddenWithPlayer_ = false;
  QPoint dragOffset_;

  QListWidget* PlayListBox_ = nullptr;
  QToolButton* cmListOpen_ = nullptr;
  QToolButton* cmListSave_ = nullptr;
  QPushButton* cmdAdd_ = nullptr;
  QPushButton* cmdDell_ = nullptr;
  QPushButton* cmdClear_ = nullptr;
  QToolButton* cmUP_ = nullptr;
  QToolButton* cmDN_ = nullptr;
  QToolButton* cmSHFL_ = nullptr;
  QPushButton* cmdHide_ = nullptr;
};

}  // namespace poronka::ui
