// The player window's controls and menus, and what they are connected to.
#include <QFrame>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QMenuBar>
#include <QPalette>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>

#include "playback/ui/audio_export.h"
#include "playback/ui/player_window.h"
#include "playback/ui/title_label.h"

namespace poronka::ui {

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

// The layout at 120 pixels per inch; the client area is 544 x 385.
constexpr int kClientWidth = 544;
constexpr int kClientHeight = 385;
constexpr QColor kBackground(80, 184, 136);
constexpr QColor kSkyBlue(166, 202, 240);
struct Place {
  int x, y, w, h;
};
constexpr Place kTitleCaption{14, 10, 40, 20};
constexpr Place kTitle{56, 10, 370, 38};
constexpr Place kRollPanel{6, 50, 416, 172};
constexpr Place kComb{6, 222, 416, 88};
constexpr Place kPositionBar{422, 44, 22, 272};
constexpr Place kStart{444, 50, 70, 30};
constexpr Place kPause{444, 86, 70, 30};
constexpr Place kStop{444, 122, 70, 30};
constexpr Place kRewind{444, 166, 34, 28};
constexpr Place kFastForward{480, 166, 34, 28};
constexpr Place kPrevious{444, 200, 34, 28};
constexpr Place kNext{480, 200, 34, 28};
constexpr Place kKeyCaption{446, 246, 48, 20};
constexpr Place kKeyShift{494, 246, 30, 20};
constexpr Place kPositionCaption{14, 320, 76, 20};
constexpr Place kBeat{90, 320, 24, 20};
constexpr Place kCurrentBar{118, 320, 52, 20};
constexpr Place kTotalBars{170, 320, 56, 20};
constexpr Place kTime{240, 320, 60, 20};
constexpr Place kTempo{14, 352, 100, 20};
constexpr Place kSlower{116, 347, 52, 28};
constexpr Place kFaster{172, 347, 52, 28};
constexpr Place kToneCaption{250, 352, 72, 20};
constexpr Place kToneName{324, 352, 190, 20};

}  // namespace

void PlayerWindow::fixWindowSize() {
  // The client area ends 30 layout pixels right of the next-song button; the
  // window cannot be resized.
  client_->setFixedSize(next_->geometry().right() + 1 + scaled(30), scaled(kClientHeight));
  layout()->setSizeConstraint(QLayout::SetFixedSize);
  adjustSize();
  // A fixed border with the system menu and the minimise box (and the close
  // box that goes with the system menu), nothing to maximise.
  setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint);
}

void PlayerWindow::buildControls() {
  client_ = new QWidget(this);
  client_->setObjectName("ClientArea");
  setCentralWidget(client_);
  QPalette pal = client_->palette();
  pal.setColor(QPalette::Window, kBackground);
  client_->setPalette(pal);
  client_->setAutoFillBackground(true);
  client_->setFixedSize(scaled(kClientWidth), scaled(kClientHeight));

  QFont font;
  font.setFamilies({QStringLiteral("IPAPGothic"), QStringLiteral("Noto Sans CJK JP"),
                    QStringLiteral("IPAGothic"), QStringLiteral("Droid Sans Fallback")});
  font.setPixelSize(std::max(8, scaled(15)));
  setFont(font);
  client_->setFont(font);

  auto place = [this](QWidget* w, const Place& p) {
    w->setGeometry(scaled(p.x), scaled(p.y), scaled(p.w), scaled(p.h));
  };
  auto label = [&](const char* name, const char* text, const Place& p) {
    auto* l = new QLabel(Q(text), client_);
    l->setObjectName(name);
    place(l, p);
    return l;
  };
  titleCaption_ = label("Label2", "曲名", kTitleCaption);
  title_ = new TitleLabel(Q(kNoDataTitle), client_);
  title_->setObjectName("lblTitle");
  place(title_, kTitle);
  title_->setWordWrap(true);
  title_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  positionCaption_ = label("Label1", "ポジション", kPositionCaption);
  beat_ = label("lblBeet", "", kBeat);
  beat_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  currentBar_ = label("lblCurent", "", kCurrentBar);
  totalBars_ = label("lblTotal", "", kTotalBars);
  time_ = label("lblTime", "時間", kTime);
  tempo_ = label("lblBpm", "        拍/分", kTempo);
  tempo_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  keyCaption_ = label("Label3", "キー：", kKeyCaption);
  keyShift_ = label("lblPich", "0", kKeyShift);
  toneCaption_ = label("Label4", "ＧＭ音色", kToneCaption);
  toneName_ = label("lblSound", "オルゴール", kToneName);

  auto button = [&](const char* name, const char* text, const Place& p) {
    auto* b = new QPushButton(Q(text), client_);
    b->setObjectName(name);
    place(b, p);
    b->setEnabled(false);
    return b;
  };
  slower_ = button("cmBpmMinus", "遅く", kSlower);
  faster_ = button("cmBpmPlus", "速く", kFaster);
  start_ = button("Start", "演奏", kStart);
  pause_ = button("cmPause", kPauseCaption, kPause);
  stop_ = button("Stop", "停止", kStop);

  auto speed = [&](const char* name, const char* hint, QStyle::StandardPixmap icon, const Place& p) {
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
  rewind_ = speed("cmRwnd", "後退", QStyle::SP_MediaSeekBackward, kRewind);
  fastForward_ = speed("cmFwrd", "前進", QStyle::SP_MediaSeekForward, kFastForward);
  previous_ = speed("cmBfor", "前の曲へ", QStyle::SP_MediaSkipBackward, kPrevious);
  next_ = speed("cmNext", "次の曲へ", QStyle::SP_MediaSkipForward, kNext);

  positionBar_ = new PositionBar(client_);
  positionBar_->setObjectName("PosiBar");
  positionBar_->setRange(1, kPositionMax);
  positionBar_->setPageStep(50);
  positionBar_->setSingleStep(1);
  positionBar_->setTickInterval(50);
  positionBar_->setTickPosition(QSlider::TicksRight);
  positionBar_->setEnabled(false);
  place(positionBar_, kPositionBar);

  rollPanel_ = new QFrame(client_);
  rollPanel_->setObjectName("Panel1");
  rollPanel_->setFrameShape(QFrame::NoFrame);
  QPalette sky = rollPanel_->palette();
  sky.setColor(QPalette::Window, kSkyBlue);
  rollPanel_->setPalette(sky);
  rollPanel_->setAutoFillBackground(true);
  place(rollPanel_, kRollPanel);
  roll_ = new QLabel(rollPanel_);
  roll_->setObjectName("picDisp");
  roll_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  roll_->setGeometry(scaled(31), scaled(167), scaled(354), 0);

  comb_ = new QLabel(client_);
  comb_->setObjectName("picNote");
  comb_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  place(comb_, kComb);

  nextTimer_.setInterval(500);
  nextTimer_.setSingleShot(true);
  handOverTimer_.setInterval(200);
  handOverTimer_.setSingleShot(true);
}

void PlayerWindow::connectControls() {
  connect(&handOverTimer_, &QTimer::timeout, this, &PlayerWindow::tryHandedOverFile);
  connect(&nextTimer_, &QTimer::timeout, this, &PlayerWindow::loadWaitingSong);
  connect(start_, &QPushButton::clicked, this, [this] { engine_->Start(); });
  connect(stop_, &QPushButton::clicked, this, [this] { engine_->Stop(); });
  connect(pause_, &QPushButton::clicked, this, [this] { engine_->TogglePause(); });
  connect(slower_, &QPushButton::clicked, this, [this] { engine_->SlowDown(); });
  connect(faster_, &QPushButton::clicked, this, [this] { engine_->SpeedUp(); });
  connect(fastForward_, &QToolButton::pressed, this, [this] { engine_->FastForwardPressed(); });
  connect(fastForward_, &QToolButton::released, this, [this] { engine_->FastForwardReleased(); });
  connect(rewind_, &QToolButton::pressed, this, [this] { engine_->RewindPressed(); });
  connect(rewind_, &QToolButton::released, this, [this] { engine_->RewindReleased(); });
  connect(previous_, &QToolButton::clicked, this, &PlayerWindow::previousSong);
  connect(next_, &QToolButton::clicked, this, &PlayerWindow::nextSong);
  // The bar counts as dragged while the left button is down on it, wherever
  // it was pressed; keys and the wheel only move it.
  connect(positionBar_, &QSlider::valueChanged, this, &PlayerWindow::positionBarMoved);
  connect(positionBar_, &PositionBar::pressed, this, [this] {
    if (!engine_->state.MediaActive) engine_->PositionBarPressed();
  });
  connect(positionBar_, &PositionBar::letGo, this, &PlayerWindow::positionBarLetGo);
}

void PlayerWindow::connectEngineEvents() {
  EngineEvents* e = &events_;
  connect(e, &EngineEvents::rollShown, this, &PlayerWindow::showRoll);
  connect(e, &EngineEvents::captionsChanged, this, &PlayerWindow::setCaptions);
  connect(e, &EngineEvents::controlEnabled, this, &PlayerWindow::setControlEnabled);
  connect(e, &EngineEvents::controlVisible, this, &PlayerWindow::setControlVisible);
  connect(e, &EngineEvents::statusChanged, this, &PlayerWindow::showStatus);
  connect(e, &EngineEvents::pauseCaptionChanged, pause_, &QPushButton::setText);
  connect(e, &EngineEvents::stopFocusRequested, stop_, [this] { stop_->setFocus(); });
  connect(e, &EngineEvents::startFocusRequested, start_, [this] { start_->setFocus(); });
  connect(e, &EngineEvents::waitCursorChanged, this, &PlayerWindow::setWaitCursor);
  connect(e, &EngineEvents::keyShiftReset, this, &PlayerWindow::resetKeyShift);
  connect(e, &EngineEvents::rollTopChanged, this, &PlayerWindow::setRollTop);
  connect(e, &EngineEvents::combChanged, this, &PlayerWindow::showComb);
  connect(e, &EngineEvents::labelChanged, this, &PlayerWindow::setLabelText);
  connect(e, &EngineEvents::positionChanged, this, &PlayerWindow::setPosition);
  connect(e, &EngineEvents::songEnded, this, [this](int next) { navigation_.SongEnded(next); });
}

void PlayerWindow::buildMenus() {
  QMenuBar* bar = menuBar();
  bar->setObjectName("MMenu");
  fileMenu_ = bar->addMenu(Q("ファイル(&F)"));
  fileMenu_->setObjectName("mnuFile");
  fileMenu_->addAction(Q("開く(&O)"), this, &PlayerWindow::openSong)->setObjectName("mnuOpen");
  auto* exporter = new AudioExporter(this, score_, settings_, *msgs_);
  exporter->canSave = [this] { return !engine_->state.MediaActive; };
  fileMenu_->addAction(exporter->action());
  fileMenu_->addAction(Q("終了(&X)"), this, &QWidget::close)->setObjectName("mnuExit");
  midiMenu_ = bar->addMenu(Q("MIDI出力(&M)"));
  midiMenu_->setObjectName("MIDI");
  connect(midiMenu_, &QMenu::aboutToShow, this, &PlayerWindow::refreshDeviceChecks);
  optionMenu_ = bar->addMenu(Q("オプション(&P)"));
  optionMenu_->setObjectName("mnuOption");
  playlistAction_ = optionMenu_->addAction(Q("プレイリスト(&L)"), this, &PlayerWindow::showPlaylist);
  playlistAction_->setObjectName("mnuPList");
  playlistAction_->setCheckable(true);
  settingsAction_ = optionMenu_->addAction(Q("設定(&S)"), this, &PlayerWindow::showSettings);
  settingsAction_->setObjectName("mnuSet");
  editorAction_ = optionMenu_->addAction(Q("作成モード(&C)"), this, &PlayerWindow::openEditor);
  editorAction_->setObjectName("mnuGrid");
  helpMenu_ = bar->addMenu(Q("ヘルプ(&H)"));
  helpMenu_->setObjectName("mnuHelp");
  helpMenu_->addAction(Q("各種説明(&E)"), this, &PlayerWindow::showHelp)->setObjectName("mnuExpr");
  helpMenu_->addAction(Q("バージョン情報(&V)"), this, &PlayerWindow::showAbout)->setObjectName("mnuVersion");
}

void PlayerWindow::buildDeviceMenu() {
  midiMenu_->clear();
  deviceItems_.clear();
  for (size_t i = 0; i < devices_->Items().size(); ++i) {
    const DeviceMenuItem& item = devices_->Items()[i];
    QAction* a = midiMenu_->addAction(Q(item.caption));
    a->setCheckable(true);
    const int position = static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, position] {
      devices_->SelectDevice(position);
      refreshDeviceChecks();
    });
    deviceItems_.push_back(a);
  }
  refreshDeviceChecks();
}

void PlayerWindow::refreshDeviceChecks() {
  const auto& items = devices_->Items();
  for (size_t i = 0; i < deviceItems_.size() && i < items.size(); ++i)
    deviceItems_[i]->setChecked(items[i].checked);
}

}  // namespace poronka::ui
