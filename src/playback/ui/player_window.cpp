#include "playback/ui/player_window.h"

#include <QActionGroup>
#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QFrame>
#include <QImage>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QPalette>
#include <QPixmap>
#include <QScreen>
#include <QSignalBlocker>
#include <QStyle>
#include <QThread>
#include <QToolTip>
#include <QUrl>
#include <QWindow>
#include <utility>

#include "core/mbt.h"
#include "core/ui/loading_window.h"
#include "interchange/smf_import.h"
#include "library/app_paths.h"
#include "playback/ui/about_dialog.h"
#include "playback/ui/audio_export.h"
#include "playback/ui/artwork.h"
#include "playback/ui/file_dialogs.h"
#include "playback/ui/help_window.h"
#include "playback/ui/message_boxes.h"
#include "playback/ui/title_label.h"
#include "playback/ui/splash_window.h"

namespace poronka::ui {

const char* const kNoDataTitle = "データがありません";
const char* const kApplicationTitle = "ポロンカ";
const char* const kScreenTooLargeMessage =
    "画面解像度が許容範囲外です。\r\n正しく表示できないのでプログラムを終了して下さい。";

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

// Design layout at 120 pixels per inch; the client area is 544 x 385.
constexpr int kClientWidth = 544;
constexpr int kClientHeight = 385;
constexpr QColor kBackground(80, 184, 136);
constexpr QColor kSkyBlue(166, 202, 240);
struct Place {
  int x, y, w, h;
};
constexpr Place kLabel2{14, 10, 40, 20};
constexpr Place kTitle{56, 10, 370, 38};
constexpr Place kPanel1{6, 50, 416, 172};
constexpr Place kPicNote{6, 222, 416, 88};
constexpr Place kPosiBar{422, 44, 22, 272};
constexpr Place kStart{444, 50, 70, 30};
constexpr Place kPause{444, 86, 70, 30};
constexpr Place kStop{444, 122, 70, 30};
constexpr Place kRwnd{444, 166, 34, 28};
constexpr Place kFwrd{480, 166, 34, 28};
constexpr Place kBfor{444, 200, 34, 28};
constexpr Place kNext{480, 200, 34, 28};
constexpr Place kLabel3{446, 246, 48, 20};
constexpr Place kPich{494, 246, 30, 20};
constexpr Place kLabel1{14, 320, 76, 20};
constexpr Place kBeet{90, 320, 24, 20};
constexpr Place kCurent{118, 320, 52, 20};
constexpr Place kTotal{170, 320, 56, 20};
constexpr Place kTime{240, 320, 60, 20};
constexpr Place kBpm{14, 352, 100, 20};
constexpr Place kBpmMinus{116, 347, 52, 28};
constexpr Place kBpmPlus{172, 347, 52, 28};
constexpr Place kLabel4{250, 352, 72, 20};
constexpr Place kSound{324, 352, 190, 20};

QImage ImageOf(const Rgb24Image& img) {
  if (img.width <= 0 || img.height <= 0) return QImage();
  QImage view(img.pixels.data(), img.width, img.height, img.Stride(), QImage::Format_RGB888);
  return view.copy();
}

}  // namespace

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
  engine_ = std::make_unique<PlaybackEngine>(score_, settings_, *devices_, *services_.timer, *this,
                                             *msgs_);
  engine_->SetPlaylistView(&playlistView_);
  playlistListener_ = playlist_.AddListener([this] { UpdatePlaylistView(); });
  UpdatePlaylistView();
  applicationTitle_ = kApplicationTitle;
  setWindowTitle(Q(kApplicationTitle));
  setWindowIcon(AppIcon());
  BuildControls();
  BuildMenu();
  FormCreate();
}

PlayerWindow::~PlayerWindow() {
  playlist_.RemoveListener(playlistListener_);
  // The engine kills its timer before the display goes away.
  engine_.reset();
  if (help_) delete help_.data();
}

void PlayerWindow::Attach(PlayerAttachments attachments) {
  attachments_ = std::move(attachments);
  UpdateMenuHooks();
}

// ---- layout -------------------------------------------------------------------

void PlayerWindow::BuildControls() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  setCentralWidget(client_);
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, kBackground);
  client_->setPalette(pal);
  client_->setAutoFillBackground(true);
  client_->setFixedSize(Scaled(kClientWidth), Scaled(kClientHeight));

  QFont font;
  font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("IPAGothic"), QStringLiteral("Droid Sans Fallback")});
  font.setPixelSize(std::max(8, Scaled(15)));
  setFont(font);
  client_->setFont(font);

  auto place = [this](QWidget* w, const Place& p) {
    w->setGeometry(Scaled(p.x), Scaled(p.y), Scaled(p.w), Scaled(p.h));
  };
  auto label = [&](const char* name, const char* text, const Place& p) {
    auto* l = new QLabel(Q(text), client_);
    l->setObjectName(name);
    place(l, p);
    return l;
  };
  label2_ = label("Label2", "曲名", kLabel2);
  lblTitle_ = new TitleLabel(Q(kNoDataTitle), client_);
  lblTitle_->setObjectName("lblTitle");
  place(lblTitle_, kTitle);
  lblTitle_->setWordWrap(true);
  lblTitle_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label1_ = label("Label1", "ポジション", kLabel1);
  lblBeet_ = label("lblBeet", "", kBeet);
  lblBeet_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lblCurent_ = label("lblCurent", "", kCurent);
  lblTotal_ = label("lblTotal", "", kTotal);
  lblTime_ = label("lblTime", "時間", kTime);
  lblBpm_ = label("lblBpm", "        拍/分", kBpm);
  lblBpm_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  label3_ = label("Label3", "キー：", kLabel3);
  lblPich_ = label("lblPich", "0", kPich);
  label4_ = label("Label4", "ＧＭ音色", kLabel4);
  lblSound_ = label("lblSound", "オルゴール", kSound);

  auto button = [&](const char* name, const char* text, const Place& p) {
    auto* b = new QPushButton(Q(text), client_);
    b->setObjectName(name);
    place(b, p);
    b->setEnabled(false);
    return b;
  };
  cmBpmMinus_ = button("cmBpmMinus", "遅く", kBpmMinus);
  cmBpmPlus_ = button("cmBpmPlus", "速く", kBpmPlus);
  start_ = button("Start", "演奏", kStart);
  cmPause_ = button("cmPause", "一時停止", kPause);
  stop_ = button("Stop", "停止", kStop);

  auto speed = [&](const char* name, const char* hint, QStyle::StandardPixmap icon,
                   const Place& p) {
    auto* b = new QToolButton(client_);
    b->setObjectName(name);
    b->setIcon(style()->standardIcon(icon));
    b->setToolTip(Q(hint));
    b->setToolTipDuration(6000);
    b->setAutoRaise(false);
    place(b, p);
    b->setEnabled(false);
    return b;
  };
  cmRwnd_ = speed("cmRwnd", "後退", QStyle::SP_MediaSeekBackward, kRwnd);
  cmFwrd_ = speed("cmFwrd", "前進", QStyle::SP_MediaSeekForward, kFwrd);
  cmBfor_ = speed("cmBfor", "前の曲へ", QStyle::SP_MediaSkipBackward, kBfor);
  cmNext_ = speed("cmNext", "次の曲へ", QStyle::SP_MediaSkipForward, kNext);

  posiBar_ = new PositionBar(client_);
  posiBar_->setObjectName("PosiBar");
  posiBar_->setRange(1, kPositionMax);
  posiBar_->setPageStep(50);
  posiBar_->setSingleStep(1);
  posiBar_->setTickInterval(50);
  posiBar_->setTickPosition(QSlider::TicksRight);
  posiBar_->setEnabled(false);
  place(posiBar_, kPosiBar);

  panel1_ = new QFrame(client_);
  panel1_->setObjectName("Panel1");
  panel1_->setFrameShape(QFrame::NoFrame);
  QPalette sky = panel1_->palette();
  sky.setColor(QPalette::Window, kSkyBlue);
  panel1_->setPalette(sky);
  panel1_->setAutoFillBackground(true);
  place(panel1_, kPanel1);
  picDisp_ = new QLabel(panel1_);
  picDisp_->setObjectName("picDisp");
  picDisp_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  picDisp_->setGeometry(Scaled(31), Scaled(167), Scaled(354), 0);

  picNote_ = new QLabel(client_);
  picNote_->setObjectName("picNote");
  picNote_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(picNote_, kPicNote);

  txtChk_ = new QLineEdit(client_);
  txtChk_->setObjectName("txtChk");
  txtChk_->hide();

  mTimer_.setInterval(100);
  nxTim_.setInterval(500);
  nxTim_.setSingleShot(true);
  handOverTimer_.setInterval(200);
  handOverTimer_.setSingleShot(true);
  connect(&handOverTimer_, &QTimer::timeout, this, [this] { TryHandedOverFile(); });

  connect(start_, &QPushButton::clicked, this, [this] { engine_->Start(); });
  connect(stop_, &QPushButton::clicked, this, [this] { engine_->Stop(); });
  connect(cmPause_, &QPushButton::clicked, this, [this] { engine_->TogglePause(); });
  connect(cmBpmMinus_, &QPushButton::clicked, this, [this] { engine_->SlowDown(); });
  connect(cmBpmPlus_, &QPushButton::clicked, this, [this] { engine_->SpeedUp(); });
  connect(cmFwrd_, &QToolButton::pressed, this, [this] { engine_->FastForwardPressed(); });
  connect(cmFwrd_, &QToolButton::released, this, [this] { engine_->FastForwardReleased(); });
  connect(cmRwnd_, &QToolButton::pressed, this, [this] { engine_->RewindPressed(); });
  connect(cmRwnd_, &QToolButton::released, this, [this] { engine_->RewindReleased(); });
  connect(cmBfor_, &QToolButton::clicked, this, [this] { previousSong(); });
  connect(cmNext_, &QToolButton::clicked, this, [this] { nextSong(); });
  // The bar counts as dragged while the left button is down on it, wherever
  // it was pressed; keys and the wheel only move it.
  connect(posiBar_, &QSlider::valueChanged, this, [this](int v) {
    const bool held = posiBar_->Held();
    if (engine_->state.MediaActive) {
      if (attachments_.mediaPosiBarChange) attachments_.mediaPosiBarChange(v, held);
      return;
    }
    engine_->MoveToPosition(v, held);
  });
  connect(posiBar_, &PositionBar::pressed, this, [this] {
    if (!engine_->state.MediaActive) engine_->PositionBarPressed();
  });
  connect(posiBar_, &PositionBar::letGo, this, [this](int v) {
    if (engine_->state.MediaActive) {
      if (attachments_.mediaPosiBarChange) attachments_.mediaPosiBarChange(v, false);
      return;
    }
    engine_->PositionBarReleased(v);
  });
  connect(txtChk_, &QLineEdit::textChanged, this,
          [this](const QString& t) { navigation_.SignalChanged(t.toStdString()); });
  connect(&nxTim_, &QTimer::timeout, this, [this] { loadWaitingSong(); });
}

void PlayerWindow::BuildMenu() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MMenu");
  mnuFile_ = bar->addMenu(Q("ファイル(&F)"));
  mnuFile_->setObjectName("mnuFile");
  mnuOpen_ = mnuFile_->addAction(Q("開く(&O)"), this, [this] { openSong(); });
  mnuOpen_->setObjectName("mnuOpen");
  auto* exporter = new AudioExporter(this, score_, settings_, *msgs_);
  exporter->canSave = [this] { return !engine_->state.MediaActive; };
  mnuFile_->addAction(exporter->Action());
  mnuExit_ = mnuFile_->addAction(Q("終了(&X)"), this, [this] { mnuExitClick(); });
  mnuExit_->setObjectName("mnuExit");
  midiMenu_ = bar->addMenu(Q("MIDI出力(&M)"));
  midiMenu_->setObjectName("MIDI");
  connect(midiMenu_, &QMenu::aboutToShow, this, [this] { RefreshDeviceChecks(); });
  mnuOption_ = bar->addMenu(Q("オプション(&P)"));
  mnuOption_->setObjectName("mnuOption");
  mnuPList_ = mnuOption_->addAction(Q("プレイリスト(&L)"), this, [this] { showPlaylist(); });
  mnuPList_->setObjectName("mnuPList");
  mnuPList_->setCheckable(true);
  mnuSet_ = mnuOption_->addAction(Q("設定(&S)"), this, [this] { showSettings(); });
  mnuSet_->setObjectName("mnuSet");
  mnuGrid_ = mnuOption_->addAction(Q("作成モード(&C)"), this, [this] { openEditor(); });
  mnuGrid_->setObjectName("mnuGrid");
  mnuHelp_ = bar->addMenu(Q("ヘルプ(&H)"));
  mnuHelp_->setObjectName("mnuHelp");
  mnuExpr_ = mnuHelp_->addAction(Q("各種説明(&E)"), this, [this] { showHelp(); });
  mnuExpr_->setObjectName("mnuExpr");
  mnuVersion_ = mnuHelp_->addAction(Q("バージョン情報(&V)"), this, [this] { showAbout(); });
  mnuVersion_->setObjectName("mnuVersion");
  UpdateMenuHooks();
}

void PlayerWindow::UpdateMenuHooks() {
  // Items of windows that are not attached yet stay disabled; the engine's
  // enabling of mnuSet and mnuGrid only acts on attached ones.
  mnuPList_->setVisible(true);
  mnuPList_->setEnabled(static_cast<bool>(attachments_.showPlaylist));
  if (!attachments_.showSettings) mnuSet_->setEnabled(false);
  if (!attachments_.openEditor) mnuGrid_->setEnabled(false);
  if (attachments_.showSettings && mnuFile_->menuAction()->isEnabled()) mnuSet_->setEnabled(true);
  if (attachments_.openEditor && mnuFile_->menuAction()->isEnabled()) mnuGrid_->setEnabled(true);
}

void PlayerWindow::BuildDeviceMenu() {
  midiMenu_->clear();
  deviceItems_.clear();
  for (size_t i = 0; i < devices_->Items().size(); ++i) {
    const DeviceMenuItem& item = devices_->Items()[i];
    QAction* a = midiMenu_->addAction(Q(item.caption));
    a->setCheckable(true);
    const int position = static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, position] {
      devices_->MIDIItemClick(position);
      RefreshDeviceChecks();
    });
    deviceItems_.push_back(a);
  }
  RefreshDeviceChecks();
}

void PlayerWindow::RefreshDeviceChecks() {
  const auto& items = devices_->Items();
  for (size_t i = 0; i < deviceItems_.size() && i < items.size(); ++i)
    deviceItems_[i]->setChecked(items[i].checked);
}

// ---- creation and first showing ------------------------------------------------

void PlayerWindow::FormCreate() {
  engine_->state.DisplayOn = true;
  canResize_ = true;
  // The window's size follows the controls: the client area ends 30 design
  // pixels right of cmNext; it cannot be resized afterwards.
  client_->setFixedSize(cmNext_->geometry().right() + 1 + Scaled(30), Scaled(kClientHeight));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  adjustSize();
  // A fixed border with the system menu and the minimise box (and the close
  // box that goes with the system menu), nothing to maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint |
                 Qt::MSWindowsFixedSizeDialogHint);

  // Roll background: the system's tooltip colour.
  const QColor tip = QToolTip::palette().color(QPalette::ToolTipBase);
  const Rgb rollBackground{static_cast<uint8_t>(tip.red()), static_cast<uint8_t>(tip.green()),
                           static_cast<uint8_t>(tip.blue())};
  const int combWidth = picNote_->width();
  const int combHeight = picNote_->height();
  if (combWidth > 1000) {
    screenTooLarge_ = true;
    msgs_->ShowError(kScreenTooLargeMessage);
    canResize_ = false;
    return;
  }
  engine_->SetupDisplay(ppi_, combWidth, combHeight, rollBackground);
  engine_->state.TimerMinPeriod = ComputeTimerMinPeriod(TimeGetDevCaps());
  if (devices_->BuildDeviceMenu()) devices_->OpenDevice(devices_->DeviceIndex());
  BuildDeviceMenu();
  setAcceptDrops(true);

  installFolder_ = FindInstallFolder(services_.executableDir);
  helpFile_ = HelpFileOf(installFolder_);

  engine_->state.MediaActive = false;
  engine_->state.Dragging = false;
  playlistVisible_ = false;
  openArgFile_ = false;
  openArgPlaylist_ = false;
  canResize_ = false;

  if (services_.splash) services_.splash->STimer()->start();

  const std::string arg = services_.arguments.empty() ? "" : services_.arguments.front();
  switch (ClassifyStartArgument(arg)) {
    case StartArgument::Playlist:
      openArgPlaylist_ = true;
      break;
    case StartArgument::Song:
      openArgFile_ = true;
      break;
    case StartArgument::None:
      break;
  }
}

void PlayerWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (!shownOnce_) {
    shownOnce_ = true;
    // After the window is on screen, as its first showing's handler.
    QMetaObject::invokeMethod(this, [this] { openStartFile(); }, Qt::QueuedConnection);
  }
}

void PlayerWindow::openStartFile() {
  if (!openArgFile_) return;
  openArgFile_ = false;
  navigation_.OpenCommandLineFile(services_.arguments.front());
}

void PlayerWindow::OpenHandedOverFile(const std::string& path) {
  if (path.empty()) return;
  handedOver_ = path;
  TryHandedOverFile();
}

void PlayerWindow::TryHandedOverFile() {
  if (handedOver_.empty() || closing_) return;
  // Not inside a question, a dialog, a load or the editor (which hides the
  // player): try again a little later.
  if (isHidden() || QApplication::activeModalWidget() || QApplication::overrideCursor() ||
      loadDepth_ > 0) {
    handOverTimer_.start();
    return;
  }
  navigation_.OpenHandedOverFile(std::exchange(handedOver_, std::string()));
}

void PlayerWindow::OpenPlaylistFile(const std::string& path) {
  if (!attachments_.openPlaylistFile) return;
  attachments_.openPlaylistFile(path);
  showPlaylist();
}

// ---- closing, minimise and restore -------------------------------------------------

void PlayerWindow::closeEvent(QCloseEvent* e) {
  if (score_.Modified && !msgs_->AskOkCancel(kCloseDataQuestion)) {
    e->ignore();
    return;
  }
  nxTim_.stop();
  if (!midiMenu_->menuAction()->isEnabled()) engine_->Stop();
  if (engine_->state.MediaActive) {
    mTimer_.stop();
    if (attachments_.closeMedia) attachments_.closeMedia();
    engine_->state.MediaActive = false;
  }
  devices_->CloseDevice();
  closing_ = true;
  if (help_) help_->close();
  e->accept();
  emit closed();
  if (services_.quitOnClose) QApplication::quit();
}

void PlayerWindow::changeEvent(QEvent* e) {
  if (e->type() == QEvent::WindowStateChange) {
    if (isMinimized())
      applicationMinimized();
    else
      applicationRestored();
  }
  QMainWindow::changeEvent(e);
}

void PlayerWindow::applicationMinimized() { engine_->state.DisplayOn = false; }
void PlayerWindow::applicationRestored() { engine_->state.DisplayOn = true; }

void PlayerWindow::ShowDataError() { engine_->ShowDataError(); }

// ---- menu handlers -----------------------------------------------------------------

bool PlayerWindow::openSong() {
  ProgramFileDialog dialog(this, ProgramFileDialog::Kind::Open, Q("開く"),
                           {{Q("オルゴール"), {"MBT", "MID"}}, AllFilesFilter()});
  dialog.setObjectName("cdOpen");
  dialog.selectFile(QString());
  if (const QString folder = OpenDialogFolder(); !folder.isEmpty()) dialog.setDirectory(folder);
  if (dialog.exec() != QDialog::Accepted || dialog.ChosenFile().isEmpty()) return false;
  return navigation_.OpenChosenFile(dialog.ChosenFile().toStdString());
}

QString PlayerWindow::OpenDialogFolder() const {
  if (!score_.FileName.empty()) return QString();
  const QString examples = Q(installFolder_ + "/" + kExamplesFolderName);
  return QFileInfo(examples).isDir() ? QFileInfo(examples).absoluteFilePath() : QString();
}

void PlayerWindow::showPlaylist() {
  if (!attachments_.showPlaylist) return;
  attachments_.showPlaylist();
  SetPlaylistVisible(true);
}

void PlayerWindow::SetPlaylistVisible(bool visible) {
  playlistVisible_ = visible;
  mnuPList_->setChecked(visible);
}

void PlayerWindow::showSettings() {
  if (attachments_.showSettings) attachments_.showSettings();
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

void PlayerWindow::openEditor() {
  if (!attachments_.openEditor) return;
  if (playlistVisible_ && attachments_.hidePlaylist) attachments_.hidePlaylist();
  attachments_.openEditor();
}

HelpWindow* PlayerWindow::Help() const { return help_.data(); }

void PlayerWindow::showHelp() {
  if (help_) {
    if (help_->isMinimized())
      help_->showNormal();
    else {
      help_->raise();
      help_->activateWindow();
    }
    return;
  }
  auto* w = new HelpWindow(nullptr);
  if (!w->Open(Q(helpFile_))) {
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

// ---- loading ---------------------------------------------------------------------------

namespace {

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
  WindowSmfHooks(PlayerWindow& w, LoadProgress* loading, std::function<void(const std::string&)> media,
                 std::function<void()> closeMedia)
      : w_(w),
        base_(w.Engine(), w, loading),
        media_(std::move(media)),
        closeMedia_(std::move(closeMedia)) {}
  void BeginLoad() override { base_.BeginLoad(); }
  void EndWaitCursor() override { base_.EndWaitCursor(); }
  void PrepareLayout(const Score& s) override { base_.PrepareLayout(s); }
  void DrawDot(int32_t row, int32_t column) override { base_.DrawDot(row, column); }
  void FinishPreparation(Score& s, Messages& msgs) override { base_.FinishPreparation(s, msgs); }
  void ShowDataError() override { base_.ShowDataError(); }
  void FocusStart() override { base_.FocusStart(); }
  void ProcessEvents() override { base_.ProcessEvents(); }
  LoadProgress* Loading() override { return base_.Loading(); }
  void PrepareSongFull(Score&, Messages& msgs) override { w_.Engine().PrepareSong(Preparation::Full, msgs); }
  void PrefixCaption(const std::string& positionText) override {
    if (!positionText.empty())
      w_.setWindowTitle(QString::fromStdString(positionText + ".") + w_.windowTitle());
  }
  void PlayAsMedia(const std::string&, const std::string& positionText) override {
    if (media_)
      media_(positionText);
    else
      w_.Msgs().ShowInformation("メディアファイルを再生する機能は、まだ組み込まれていません。");
  }
  void CloseMedia() override {
    if (w_.Engine().state.MediaActive && closeMedia_) closeMedia_();
  }
  void ApplyKeyShift(int semitones) override { w_.ApplyKeyShift(semitones); }

 private:
  PlayerWindow& w_;
  WindowLoadHooks base_;
  std::function<void(const std::string&)> media_;
  std::function<void()> closeMedia_;
};

}  // namespace

LoadProgress* PlayerWindow::LoadingBox() {
  if (!loading_) loading_ = new LoadingWindow(this);
  return loading_;
}

void PlayerWindow::ApplyKeyShift(int semitones) {
  settings_.KeyShift = semitones;
  engine_->state.Transpose = semitones * 256;
  lblPich_->setText(Q(KeyShiftText(semitones)));  // "+15" like the settings dialog
  if (attachments_.keyShiftChanged) attachments_.keyShiftChanged(semitones);
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
      WindowLoadHooks hooks(*engine_, *this, LoadingBox());
      ReadMbt(score_, *msgs_, hooks);
      break;
    }
    case FileKind::Midi: {
      WindowSmfHooks hooks(*this, LoadingBox(), attachments_.loadMedia, attachments_.closeMedia);
      ImportSmf(score_, settings_, *msgs_, hooks, positionText);
      break;
    }
    case FileKind::Media:
      if (attachments_.loadMedia)
        attachments_.loadMedia(positionText);
      else
        msgs_->ShowInformation("メディアファイルを再生する機能は、まだ組み込まれていません。");
      break;
    case FileKind::Playlist:
      break;
  }
  FlushDisplay();
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
  QMetaObject::invokeMethod(this, [this, paths] { navigation_.DropFiles(paths); },
                            Qt::QueuedConnection);
}

// ---- navigation host ----------------------------------------------------------------

Transport PlayerWindow::Mode() const {
  if (!midiMenu_->menuAction()->isEnabled()) return Transport::Playing;
  if (!mnuFile_->menuAction()->isEnabled()) return Transport::Paused;
  return Transport::Stopped;
}

bool PlayerWindow::StartEnabled() const { return start_->isEnabled(); }
bool PlayerWindow::PauseEnabled() const { return cmPause_->isEnabled(); }
std::string PlayerWindow::TitleText() const { return lblTitle_->text().toStdString(); }
void PlayerWindow::SetTitleText(const std::string& text) { lblTitle_->setText(Q(text)); }

std::string PlayerWindow::PlaylistPath(int n) const {
  const auto& p = playlist_.PlaylistPaths();
  return n >= 0 && n < static_cast<int>(p.size()) ? p[static_cast<size_t>(n)] : std::string();
}

int PlayerWindow::MediaTrackCount() const {
  return attachments_.mediaTrackCount && engine_->state.MediaActive ? attachments_.mediaTrackCount()
                                                                     : 0;
}
int PlayerWindow::MediaCurrentTrack() const {
  return attachments_.mediaCurrentTrack ? attachments_.mediaCurrentTrack() : 0;
}
void PlayerWindow::MediaStepTrack(int delta) {
  if (attachments_.mediaStepTrack) attachments_.mediaStepTrack(delta);
}

void PlayerWindow::UpdatePlaylistView() {
  const auto& p = playlist_.PlaylistPaths();
  playlistView_.Update(playlist_.Count(), p.size() == 1 ? p.front() : std::string(),
                       playlist_.CurrentEntry());
}

// ---- display ------------------------------------------------------------------------

bool PlayerWindow::OnUiThread() const { return QThread::currentThread() == thread(); }

QLabel* PlayerWindow::Label(PlayerLabel l) const {
  switch (l) {
    case PlayerLabel::Bpm: return lblBpm_;
    case PlayerLabel::Time: return lblTime_;
    case PlayerLabel::Total: return lblTotal_;
    case PlayerLabel::Current: return lblCurent_;
    case PlayerLabel::Beat: return lblBeet_;
    case PlayerLabel::Pitch: return lblPich_;
    case PlayerLabel::Title: return lblTitle_;
  }
  return nullptr;
}

QAction* PlayerWindow::MenuAction(PlayerControl c) const {
  switch (c) {
    case PlayerControl::MenuFile: return mnuFile_->menuAction();
    case PlayerControl::MenuMidi: return midiMenu_->menuAction();
    case PlayerControl::MenuSet: return mnuSet_;
    case PlayerControl::MenuGrid: return mnuGrid_;
    default: return nullptr;
  }
}

void PlayerWindow::ShowRoll(const Rgb24Image& roll, int left) {
  FlushDisplay();
  picDisp_->setPixmap(QPixmap::fromImage(ImageOf(roll)));
  picDisp_->setGeometry(left, picDisp_->y(), roll.width, roll.height);
}

void PlayerWindow::SetCaptions(const std::string& windowCaption, const std::string& applicationTitle) {
  setWindowTitle(Q(windowCaption));
  applicationTitle_ = applicationTitle;
  setWindowIconText(Q(applicationTitle));
}

void PlayerWindow::SetEnabled(PlayerControl control, bool enabled) {
  FlushDisplay();
  QWidget* w = nullptr;
  switch (control) {
    case PlayerControl::Start: w = start_; break;
    case PlayerControl::Stop: w = stop_; break;
    case PlayerControl::Pause: w = cmPause_; break;
    case PlayerControl::PositionBar: w = posiBar_; break;
    case PlayerControl::Faster: w = cmBpmPlus_; break;
    case PlayerControl::Slower: w = cmBpmMinus_; break;
    case PlayerControl::FastForward: w = cmFwrd_; break;
    case PlayerControl::Rewind: w = cmRwnd_; break;
    case PlayerControl::Previous: w = cmBfor_; break;
    case PlayerControl::Next: w = cmNext_; break;
    case PlayerControl::KeyCaption: w = label3_; break;
    case PlayerControl::ToneCaption: w = label4_; break;
    case PlayerControl::ToneName: w = lblSound_; break;
    case PlayerControl::KeyShift: w = lblPich_; break;
    case PlayerControl::Tempo: w = lblBpm_; break;
    case PlayerControl::Beat: w = lblBeet_; break;
    case PlayerControl::MenuFile:
    case PlayerControl::MenuMidi:
      MenuAction(control)->setEnabled(enabled);
      return;
    case PlayerControl::MenuSet:
      mnuSet_->setEnabled(enabled && attachments_.showSettings);
      return;
    case PlayerControl::MenuGrid:
      mnuGrid_->setEnabled(enabled && attachments_.openEditor);
      return;
  }
  if (!w) return;
  // A button that loses its enabled state while held lets go of it.
  if (!enabled && (w == cmFwrd_ || w == cmRwnd_)) {
    static_cast<QToolButton*>(w)->setDown(false);
    if (w == cmFwrd_) engine_->FastForwardReleased();
    if (w == cmRwnd_) engine_->RewindReleased();
  }
  w->setEnabled(enabled);
}

void PlayerWindow::SetVisible(PlayerControl control, bool visible) {
  if (control == PlayerControl::Beat) lblBeet_->setVisible(visible);
}

void PlayerWindow::SetPauseCaption(const std::string& caption) { cmPause_->setText(Q(caption)); }
void PlayerWindow::FocusStop() { stop_->setFocus(); }
void PlayerWindow::FocusStart() { start_->setFocus(); }

void PlayerWindow::SetWaitCursor(bool on) {
  if (on) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  }
}

void PlayerWindow::ResetKeyShiftSlider() {
  settings_.KeyShift = 0;
  if (attachments_.keyShiftChanged) attachments_.keyShiftChanged(0);
}

void PlayerWindow::SetSoundLabels(const QString& label4, const QString& soundName) {
  label4_->setText(label4);
  lblSound_->setText(soundName);
}

void PlayerWindow::SetPitchText(const QString& text) { lblPich_->setText(text); }

void PlayerWindow::ClearNoteDisplay() {
  FlushDisplay();
  picDisp_->clear();
  picNote_->clear();
}

void PlayerWindow::QueueFlush() {
  if (!flushQueued_.exchange(true))
    QMetaObject::invokeMethod(this, [this] { FlushDisplay(); }, Qt::QueuedConnection);
}

void PlayerWindow::FlushDisplay() {
  Pending p;
  {
    std::lock_guard<std::mutex> lock(pendingMutex_);
    flushQueued_ = false;
    std::swap(p, pending_);
  }
  if (p.rollTop) ApplyRollTop(*p.rollTop);
  if (p.comb) ApplyComb(*p.comb);
  for (const auto& [label, text] : p.labels) ApplyLabel(label, text);
  if (p.position) ApplyPosition(*p.position);
}

void PlayerWindow::SetRollTop(int top) {
  if (OnUiThread()) {
    FlushDisplay();
    ApplyRollTop(top);
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pending_.rollTop = top;
  QueueFlush();
}

void PlayerWindow::ShowComb(const Rgb24Image& comb) {
  if (OnUiThread()) {
    FlushDisplay();
    ApplyComb(comb);
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pending_.comb = comb;
  QueueFlush();
}

void PlayerWindow::SetLabel(PlayerLabel label, const std::string& text) {
  if (OnUiThread()) {
    FlushDisplay();
    ApplyLabel(label, text);
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pending_.labels[label] = text;
  QueueFlush();
}

void PlayerWindow::SetPosition(int position) {
  if (OnUiThread()) {
    FlushDisplay();
    ApplyPosition(position);
    return;
  }
  std::lock_guard<std::mutex> lock(pendingMutex_);
  pending_.position = position;
  QueueFlush();
}

void PlayerWindow::SongEnded(const std::string& text) {
  if (OnUiThread()) {
    FlushDisplay();
    txtChk_->setText(Q(text));
    return;
  }
  // After the display updates queued before it.
  QMetaObject::invokeMethod(
      this,
      [this, text] {
        FlushDisplay();
        txtChk_->setText(Q(text));
      },
      Qt::QueuedConnection);
}

void PlayerWindow::ApplyRollTop(int top) { picDisp_->move(picDisp_->x(), top); }

void PlayerWindow::ApplyComb(const Rgb24Image& comb) {
  picNote_->setPixmap(QPixmap::fromImage(ImageOf(comb)));
}

void PlayerWindow::ApplyLabel(PlayerLabel label, const std::string& text) {
  if (QLabel* l = Label(label)) l->setText(Q(text));
}

void PlayerWindow::ApplyPosition(int position) {
  // The engine's own moves are not changes by the user.
  QSignalBlocker block(posiBar_);
  posiBar_->setValue(position);
}

}  // namespace poronka::ui
