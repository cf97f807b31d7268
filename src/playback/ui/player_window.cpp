#include "playback/ui/player_window.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QPalette>
#include <QToolTip>
#include <QUrl>
#include <utility>

#include "core/app_texts.h"
#include "library/app_paths.h"
#include "library/media_session.h"
#include "playback/ui/artwork.h"
#include "playback/ui/help_window.h"
#include "playback/ui/message_boxes.h"
#include "playback/ui/splash_window.h"

namespace poronka::ui {

const char* const kNoDataTitle = "データがありません";
const char* const kScreenTooLargeMessage =
    "画面解像度が許容範囲外です。\r\n正しく表示できないのでプログラムを終了して下さい。";

PlayerWindow::PlayerWindow(PlayerServices services, QWidget* parent)
    : QMainWindow(parent),
      score_(*services.score),
      settings_(*services.settings),
      playlist_(*services.playlist),
      services_(std::move(services)),
      navigation_(*this) {
  setObjectName("TFPoron");
  if (services_.messages) {
    msgs_ = services_.messages;
  } else {
    ownMessages_ = std::make_unique<PlayerMessageBoxes>(
        this, [this] { return QString::fromStdString(applicationTitle_); });
    msgs_ = ownMessages_.get();
  }
  ppi_ = services_.ppi > 0 ? services_.ppi : logicalDpiY();
  if (ppi_ <= 0) ppi_ = kDesignPpi;
  devices_ = std::make_unique<MidiDevices>(*services_.midiSystem, *services_.systemSettings, *msgs_);
  engine_ = std::make_unique<PlaybackEngine>(score_, settings_, *devices_, *services_.timer, events_, *msgs_);
  engine_->SetPlaylistView(&playlistView_);
  playlistListener_ = playlist_.AddListener([this] { updatePlaylistView(); });
  updatePlaylistView();
  applicationTitle_ = kApplicationName;
  setWindowTitle(QString::fromUtf8(kApplicationName));
  setWindowIcon(AppIcon());
  buildControls();
  buildMenus();
  connectControls();
  connectEngineEvents();
  refreshCommands();
  setUpForScreen();
}

PlayerWindow::~PlayerWindow() {
  playlist_.RemoveListener(playlistListener_);
  // The engine kills its timer before the display goes away.
  engine_.reset();
  if (help_) delete help_.data();
}

void PlayerWindow::setMedia(MediaSession* media) {
  media_ = media;
  engine_->SetMediaTransport(media);
}

// ---- creation and first showing ------------------------------------------------

void PlayerWindow::setUpForScreen() {
  engine_->state.DisplayOn = true;
  canResize_ = true;
  fixWindowSize();

  // Roll background: the system's tooltip colour.
  const QColor tip = QToolTip::palette().color(QPalette::ToolTipBase);
  const Rgb rollBackground{static_cast<uint8_t>(tip.red()), static_cast<uint8_t>(tip.green()),
                           static_cast<uint8_t>(tip.blue())};
  const int combWidth = comb_->width();
  const int combHeight = comb_->height();
  if (combWidth > 1000) {
    msgs_->ShowError(kScreenTooLargeMessage);
    canResize_ = false;
    return;
  }
  engine_->SetupDisplay(ppi_, combWidth, combHeight, rollBackground);
  engine_->state.TimerMinPeriod = ComputeTimerMinPeriod(TimeGetDevCaps());
  if (devices_->BuildDeviceMenu()) devices_->OpenDevice(devices_->DeviceIndex());
  buildDeviceMenu();
  setAcceptDrops(true);

  installFolder_ = FindInstallFolder(services_.executableDir);
  helpFile_ = HelpFileOf(installFolder_);

  engine_->state.MediaActive = false;
  engine_->state.Dragging = false;
  playlistVisible_ = false;
  canResize_ = false;

  if (services_.splash) services_.splash->closeTimer()->start();

  const std::string arg = services_.arguments.empty() ? "" : services_.arguments.front();
  const StartArgument kind = ClassifyStartArgument(arg);
  openArgPlaylist_ = kind == StartArgument::Playlist;
  openArgFile_ = kind == StartArgument::Song;
}

void PlayerWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!shownOnce_) {
    shownOnce_ = true;
    // Once the window is on screen.
    QMetaObject::invokeMethod(this, &PlayerWindow::openStartFile, Qt::QueuedConnection);
  }
}

void PlayerWindow::openStartFile() {
  if (!openArgFile_) return;
  openArgFile_ = false;
  navigation_.OpenCommandLineFile(services_.arguments.front());
}

void PlayerWindow::openHandedOverFile(const std::string& path) {
  if (path.empty()) return;
  handedOver_ = path;
  tryHandedOverFile();
}

void PlayerWindow::tryHandedOverFile() {
  if (handedOver_.empty() || closing_) return;
  // Not inside a question, a dialog, a load or the editor (which hides the
  // player): try again a little later.
  if (isHidden() || QApplication::activeModalWidget() || QApplication::overrideCursor() || loadDepth_ > 0) {
    handOverTimer_.start();
    return;
  }
  navigation_.OpenHandedOverFile(std::exchange(handedOver_, std::string()));
}

// ---- closing, minimise and restore -------------------------------------------------

void PlayerWindow::closeEvent(QCloseEvent* e) {
  if (score_.Modified && !msgs_->AskOkCancel(kCloseDataQuestion)) {
    e->ignore();
    return;
  }
  nextTimer_.stop();
  if (transport() == Transport::Playing) engine_->Stop();
  if (engine_->state.MediaActive) {
    if (media_) media_->Close();
    engine_->state.MediaActive = false;
  }
  devices_->CloseDevice();
  closing_ = true;
  if (help_) help_->close();
  e->accept();
  if (services_.quitOnClose) QApplication::quit();
}

void PlayerWindow::changeEvent(QEvent* e) {
  // Nothing is drawn while the window is minimised.
  if (e->type() == QEvent::WindowStateChange) engine_->state.DisplayOn = !isMinimized();
  QMainWindow::changeEvent(e);
}

// ---- drops ---------------------------------------------------------------------------

void PlayerWindow::dragEnterEvent(QDragEnterEvent* e) {
  if (e->mimeData()->hasUrls()) e->acceptProposedAction();
}

void PlayerWindow::dropEvent(QDropEvent* e) {
  std::vector<std::string> paths;
  for (const QUrl& u : e->mimeData()->urls())
    if (u.isLocalFile()) paths.push_back(u.toLocalFile().toStdString());
  if (paths.empty()) return;
  e->acceptProposedAction();
  // Questions and loading run after the drop has finished.
  QMetaObject::invokeMethod(this, [this, paths] { navigation_.DropFiles(paths); }, Qt::QueuedConnection);
}

// ---- the playlist --------------------------------------------------------------------

std::string PlayerWindow::PlaylistPath(int n) const {
  const auto& p = playlist_.PlaylistPaths();
  return n >= 0 && n < static_cast<int>(p.size()) ? p[static_cast<size_t>(n)] : std::string();
}

void PlayerWindow::updatePlaylistView() {
  const auto& p = playlist_.PlaylistPaths();
  playlistView_.Update(playlist_.Count(), p.size() == 1 ? p.front() : std::string(), playlist_.CurrentEntry());
}

}  // namespace poronka::ui
