// The player window's menu commands and the loading of songs.
#include <QAction>
#include <QFileInfo>
#include <QLabel>
#include <QWindow>
#include <functional>

#include "core/mbt.h"
#include "core/ui/loading_window.h"
#include "interchange/smf_import.h"
#include "library/app_paths.h"
#include "library/media_session.h"
#include "playback/ui/about_dialog.h"
#include "playback/ui/file_dialogs.h"
#include "playback/ui/help_window.h"
#include "playback/ui/player_window.h"

namespace poronka::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

constexpr const char* kNoMediaMessage = "メディアファイルを再生する機能は、まだ組み込まれていません。";

// The MBT reader's hooks with the window's event processing during long loads.
class WindowLoadHooks : public EngineLoadHooks {
 public:
  WindowLoadHooks(PlaybackEngine& engine, PlayerDisplay& display, LoadProgress* loading)
      : EngineLoadHooks(engine, display), loading_(loading) {}
  void ProcessEvents() override { pump_(); }
  LoadProgress* Loading() override { return loading_; }

 private:
  LoadProgress* loading_;
  LoadEventPump pump_;
};

// The MIDI import's hooks: the common loader steps through the engine, the
// full preparation, the caption's playlist position, the key shift and the
// hand-over of unconverted files to the media player.
class WindowSmfHooks : public SmfImportHooks {
 public:
  WindowSmfHooks(PlayerWindow& w, LoadProgress* loading, MediaSession* media)
      : w_(w), base_(w.engine(), w.engineEvents(), loading), media_(media) {}
  void BeginLoad() override { base_.BeginLoad(); }
  void EndWaitCursor() override { base_.EndWaitCursor(); }
  void PrepareLayout(const Score& s) override { base_.PrepareLayout(s); }
  void DrawDot(int32_t row, int32_t column) override { base_.DrawDot(row, column); }
  void FinishPreparation(Score& s, Messages& msgs) override { base_.FinishPreparation(s, msgs); }
  void ShowDataError() override { base_.ShowDataError(); }
  void FocusStart() override { base_.FocusStart(); }
  void ProcessEvents() override { base_.ProcessEvents(); }
  LoadProgress* Loading() override { return base_.Loading(); }
  void PrepareSongFull(Score&, Messages& msgs) override { w_.engine().PrepareSong(Preparation::Full, msgs); }
  void PrefixCaption(const std::string& positionText) override {
    if (!positionText.empty()) w_.setWindowTitle(Q(positionText + ".") + w_.windowTitle());
  }
  void PlayAsMedia(const std::string&, const std::string& positionText) override {
    if (media_)
      media_->OpenMedia(positionText);
    else
      w_.Msgs().ShowInformation(kNoMediaMessage);
  }
  void CloseMedia() override {
    if (w_.engine().state.MediaActive && media_) media_->Close();
  }
  void ApplyKeyShift(int semitones) override { w_.applyKeyShift(semitones); }

 private:
  PlayerWindow& w_;
  WindowLoadHooks base_;
  MediaSession* media_;
};

}  // namespace

// ---- the File menu --------------------------------------------------------------

bool PlayerWindow::openSong() {
  ProgramFileDialog dialog(this, ProgramFileDialog::Kind::Open, Q("開く"),
                           {{Q("オルゴール"), {"MBT", "MID"}}, AllFilesFilter()});
  dialog.setObjectName("cdOpen");
  dialog.selectFile(QString());
  if (const QString folder = openDialogFolder(); !folder.isEmpty()) dialog.setDirectory(folder);
  if (dialog.exec() != QDialog::Accepted || dialog.chosenFile().isEmpty()) return false;
  return navigation_.OpenChosenFile(dialog.chosenFile().toStdString());
}

QString PlayerWindow::openDialogFolder() const {
  if (!score_.FileName.empty()) return QString();
  const QString examples = Q(installFolder_ + "/" + kExamplesFolderName);
  return QFileInfo(examples).isDir() ? QFileInfo(examples).absoluteFilePath() : QString();
}

// ---- the Option menu ------------------------------------------------------------

void PlayerWindow::showPlaylist() {
  if (!isConnected(&PlayerWindow::playlistRequested)) return;
  emit playlistRequested();
  playlistVisible_ = true;
  playlistAction_->setChecked(true);
}

void PlayerWindow::playlistHidden() {
  playlistVisible_ = false;
  playlistAction_->setChecked(false);
}

void PlayerWindow::OpenPlaylistFile(const std::string& path) {
  if (!isConnected(&PlayerWindow::playlistFileRequested)) return;
  emit playlistFileRequested(Q(path));
  showPlaylist();
}

void PlayerWindow::showSettings() { emit settingsRequested(); }

void PlayerWindow::openEditor() {
  if (!isConnected(&PlayerWindow::editorRequested)) return;
  if (playlistVisible_) emit playlistHideRequested();
  emit editorRequested();
}

void PlayerWindow::hideForEditor() {
  placeBeforeEditor_ = pos();
  hide();
}

void PlayerWindow::showAfterEditor() {
  // An explicit place (a user-specified position for the window manager),
  // which it keeps instead of placing the window anew.
  if (placeBeforeEditor_) {
    if (QWindow* handle = windowHandle()) handle->setFramePosition(*placeBeforeEditor_);
    move(*placeBeforeEditor_);
  }
  show();
  placeBeforeEditor_.reset();
}

// ---- the Help menu ----------------------------------------------------------------

HelpWindow* PlayerWindow::help() const { return help_.data(); }

void PlayerWindow::showHelp() {
  if (help_) {
    if (help_->isMinimized()) {
      help_->showNormal();
    } else {
      help_->raise();
      help_->activateWindow();
    }
    return;
  }
  auto* w = new HelpWindow(nullptr);
  if (!w->openHelpFile(Q(helpFile_))) {
    delete w;
    msgs_->ShowError("ヘルプファイル（" + helpFile_ + "）が見つかりません。");
    return;
  }
  help_ = w;
  w->show();
}

void PlayerWindow::showAbout() {
  AboutDialog box(this, [this](bool on) { engine_->state.HoldSong = on; });
  box.exec();
}

// ---- key shift -----------------------------------------------------------------------

void PlayerWindow::applyKeyShift(int semitones) {
  settings_.KeyShift = semitones;
  engine_->state.Transpose = semitones * 256;
  keyShift_->setText(Q(KeyShiftText(semitones)));  // "+15" like the settings dialog
  emit keyShiftChanged(semitones);
}

void PlayerWindow::setKeyShift(int semitones, const QString& text) {
  engine_->state.Transpose = semitones * 256;
  keyShift_->setText(text);
}

void PlayerWindow::resetKeyShift() {
  settings_.KeyShift = 0;
  emit keyShiftChanged(0);
}

// ---- loading ---------------------------------------------------------------------------

LoadingWindow* PlayerWindow::loadingWindow() {
  if (!loading_) loading_ = new LoadingWindow(this);
  return loading_;
}

void PlayerWindow::LoadSong(FileKind kind, const std::string& positionText) {
  // Loads let pending events through; a handed-over file waits for the end.
  struct Depth {
    int& d;
    explicit Depth(int& depth) : d(depth) { ++d; }
    ~Depth() { --d; }
  } depth(loadDepth_);
  switch (kind) {
    case FileKind::Score: {
      WindowLoadHooks hooks(*engine_, events_, loadingWindow());
      ReadMbt(score_, *msgs_, hooks);
      break;
    }
    case FileKind::Midi: {
      WindowSmfHooks hooks(*this, loadingWindow(), media_);
      ImportSmf(score_, settings_, *msgs_, hooks, positionText);
      break;
    }
    case FileKind::Media:
      if (media_)
        media_->OpenMedia(positionText);
      else
        msgs_->ShowInformation(kNoMediaMessage);
      break;
    case FileKind::Playlist:
      break;
  }
}

// ---- disc tracks -------------------------------------------------------------------------

int PlayerWindow::MediaTrackCount() const {
  return media_ && engine_->state.MediaActive ? media_->TrackCount() : 0;
}
int PlayerWindow::MediaCurrentTrack() const { return media_ ? media_->CurrentTrack() : 0; }
void PlayerWindow::MediaStepTrack(int delta) {
  if (media_) media_->StepTrack(delta);
}
void PlayerWindow::MediaShowTrackInTitle() {
  if (media_) media_->ShowTrackInTitle();
}

}  // namespace poronka::ui
