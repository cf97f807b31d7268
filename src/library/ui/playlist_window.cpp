#include "library/ui/playlist_window.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QListWidget>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>
#include <QWindow>

#include "playback/ui/file_dialogs.h"

namespace poronka::ui {

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }
QString Q(const std::string& s) { return QString::fromStdString(s); }

FileFilter SongFilter() { return {Q("オルゴール"), {"MBT", "MID"}}; }
FileFilter PlaylistFilter(bool withMbl) {
  return {Q("プレイリスト"), withMbl ? QStringList{"PKL", "MBL"} : QStringList{"PKL"}};
}

// The window's outline: from (8, 36) to (width - 8, height - 8), corners of
// 50 x 30 pixels.
QPainterPath Outline(const QSize& size) {
  QPainterPath path;
  path.addRoundedRect(QRectF(8, 36, size.width() - 16, size.height() - 44), 25, 15);
  return path;
}

constexpr int kWidth = 262;
constexpr int kHeight = 380;
const QColor kAqua(0, 255, 255);

}  // namespace

std::vector<std::string> FilePlaylistDialogs::ChooseFilesToAdd(QWidget* parent) {
  ProgramFileDialog d(parent, ProgramFileDialog::Kind::OpenSeveral, Q("ファイルの追加"),
                      {SongFilter(), AllFilesFilter()});
  d.setObjectName("cdAdd");
  if (d.exec() != QDialog::Accepted) return {};
  std::vector<std::string> out;
  for (const QString& f : d.selectedFiles()) out.push_back(f.toStdString());
  return out;
}

std::string FilePlaylistDialogs::ChoosePlaylistToOpen(QWidget* parent) {
  ProgramFileDialog d(parent, ProgramFileDialog::Kind::Open, Q("プレイリストを開く"),
                      {PlaylistFilter(true), AllFilesFilter()});
  d.setObjectName("cdOpenL");
  if (d.exec() != QDialog::Accepted) return {};
  return d.ChosenFile().toStdString();
}

std::string FilePlaylistDialogs::ChooseSaveFile(QWidget* parent, const std::string& proposed) {
  ProgramFileDialog d(parent, ProgramFileDialog::Kind::Save, Q("名前を付けて保存"),
                      {PlaylistFilter(false), AllFilesFilter()}, "PKL");
  d.setObjectName("cdSaveL");
  // It does not ask before overwriting.
  d.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!proposed.empty()) d.selectFile(Q(proposed));
  if (d.exec() != QDialog::Accepted) return {};
  return d.ChosenFile().toStdString();
}

PlaylistWindow::PlaylistWindow(PlaylistState& state, Messages& msgs, PlaylistHost& host, QWidget* player,
                     std::unique_ptr<PlaylistDialogs> dialogs, QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint),
      state_(state),
      msgs_(msgs),
      playlist_(state, msgs, host),
      player_(player),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<FilePlaylistDialogs>()) {
  setObjectName("frmPList");
  setWindowTitle("PlayList");
  setAcceptDrops(true);
  resize(kWidth, kHeight);
  BuildControls();
  ApplyRoundedShape();
  // Its buttons' hints show also while the player is the active window.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  listenerId_ = state_.AddListener([this] { Refresh(); });
  Refresh();
  PlaceBesidePlayer();
  if (player_) player_->installEventFilter(this);
}

PlaylistWindow::~PlaylistWindow() { state_.RemoveListener(listenerId_); }

void PlaylistWindow::BuildControls() {
  auto tool = [this](const char* name, const char* hint, QStyle::StandardPixmap icon, const QString& text) {
    auto* b = new QToolButton(this);
    b->setObjectName(name);
    b->setToolTip(Q(hint));
    if (text.isEmpty()) {
      b->setIcon(style()->standardIcon(icon));
    } else {
      b->setText(text);
    }
    b->setAutoRaise(false);
    b->setFixedSize(28, 26);
    return b;
  };
  auto button = [this](const char* name, const char* caption) {
    auto* b = new QPushButton(Q(caption), this);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
  };

  PlayListBox_ = new QListWidget(this);
  PlayListBox_->setObjectName("PlayListBox");
  PlayListBox_->setSelectionMode(QAbstractItemView::SingleSelection);
  PlayListBox_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  PlayListBox_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  PlayListBox_->setTextElideMode(Qt::ElideRight);
  // One line per entry: long lists lay out without measuring every item.
  PlayListBox_->setUniformItemSizes(true);
  QPalette pal = PlayListBox_->palette();
  pal.setColor(QPalette::Base, kAqua);
  pal.setColor(QPalette::Text, Qt::black);
  PlayListBox_->setPalette(pal);
  PlayListBox_->setAutoFillBackground(true);

  cmListOpen_ = tool("cmListOpen", "プレイリストを開く", QStyle::SP_DialogOpenButton, {});
  cmListSave_ = tool("cmListSave", "プレイリストを保存", QStyle::SP_DialogSaveButton, {});
  cmUP_ = tool("cmUP", "上に移動", QStyle::SP_ArrowUp, {});
  cmDN_ = tool("cmDN", "下に移動", QStyle::SP_ArrowDown, {});
  cmSHFL_ = tool("cmSHFL", "シャッフル", QStyle::SP_BrowserReload, {});
  cmdAdd_ = button("cmdAdd", "追加");
  cmdDell_ = button("cmdDell", "削除");
  cmdClear_ = button("cmdClear", "クリア");
  cmdHide_ = button("cmdHide", "閉じる");

  auto* tools = new QHBoxLayout;
  tools->setSpacing(3);
  tools->addWidget(cmListOpen_);
  tools->addWidget(cmListSave_);
  tools->addStretch();
  tools->addWidget(cmUP_);
  tools->addWidget(cmDN_);
  tools->addWidget(cmSHFL_);

  auto* buttons = new QGridLayout;
  buttons->setSpacing(3);
  buttons->addWidget(cmdAdd_, 0, 0);
  buttons->addWidget(cmdDell_, 0, 1);
  buttons->addWidget(cmdClear_, 1, 0);
  buttons->addWidget(cmdHide_, 1, 1);

  auto* layout = new QVBoxLayout(this);
  // Inside the rounded outline, clear of its corners.
  layout->setContentsMargins(18, 44, 18, 18);
  layout->setSpacing(4);
  layout->addLayout(tools);
  layout->addWidget(PlayListBox_, 1);
  layout->addLayout(buttons);

  connect(cmListOpen_, &QToolButton::clicked, this, [this] { cmListOpenClick(); });
  connect(cmListSave_, &QToolButton::clicked, this, [this] { cmListSaveClick(); });
  connect(cmUP_, &QToolButton::clicked, this, [this] { cmUPClick(); });
  connect(cmDN_, &QToolButton::clicked, this, [this] { cmDNClick(); });
  connect(cmSHFL_, &QToolButton::clicked, this, [this] { cmSHFLClick(); });
  connect(cmdAdd_, &QPushButton::clicked, this, [this] { cmdAddClick(); });
  connect(cmdDell_, &QPushButton::clicked, this, [this] { cmdDellClick(); });
  connect(cmdClear_, &QPushButton::clicked, this, [this] { cmdClearClick(); });
  connect(cmdHide_, &QPushButton::clicked, this, [this] { cmdHideClick(); });
  connect(PlayListBox_, &QListWidget::itemDoubleClicked, this, [this] { PlayListBoxDblClick(); });
  connect(PlayListBox_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
    if (!refreshing_) state_.SetTopIndex(top);
  });
}

void PlaylistWindow::Refresh() {
  refreshing_ = true;
  const auto& names = state_.DisplayNames();
  const int selected = SelectedIndex();
  const int count = static_cast<int>(names.size());
  if (PlayListBox_->count() != count) {
    QStringList texts;
    texts.reserve(count);
    for (const auto& n : names) texts << Q(n);
    PlayListBox_->clear();
    PlayListBox_->addItems(texts);
    if (selected >= 0 && selected < count) SelectIndex(selected);
  } else {
    for (int i = 0; i < count; ++i) {
      QListWidgetItem* item = PlayListBox_->item(i);
      const QString text = Q(names[static_cast<size_t>(i)]);
      if (item->text() != text) item->setText(text);
    }
  }
  // The scroll range follows the items only after a layout.
  PlayListBox_->doItemsLayout();
  QScrollBar* bar = PlayListBox_->verticalScrollBar();
  if (bar->value() != state_.TopIndex()) bar->setValue(state_.TopIndex());
  // Near the end the box cannot scroll as far as asked: keep where it stands.
  if (isVisible()) state_.SetTopIndex(bar->value(), false);
  PlayListBox_->viewport()->update();
  refreshing_ = false;
}

int PlaylistWindow::SelectedIndex() const {
  const auto items = PlayListBox_->selectedItems();
  if (items.isEmpty()) return -1;
  return PlayListBox_->row(items.front());
}

void PlaylistWindow::SelectIndex(int i) {
  if (i < 0 || i >= PlayListBox_->count()) {
    PlayListBox_->clearSelection();
    return;
  }
  PlayListBox_->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
}

void PlaylistWindow::PlaceBesidePlayer() {
  if (!player_) return;
  const QRect f = player_->frameGeometry();
  int left = f.left() + f.width() - 3;
  if (const QScreen* screen = player_->screen()) {
    const QRect room = screen->availableGeometry();
    const int leftSide = f.left() - width() + 3;
    if (left + width() > room.right() + 1 && leftSide >= room.left()) left = leftSide;
  }
  move(left, f.top() - 5);
}

void PlaylistWindow::ShowBesidePlayer() {
  if (!shownOnce_) PlaceBesidePlayer();
  shownOnce_ = true;
  hiddenWithPlayer_ = false;
  show();
  raise();
}

bool PlaylistWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == player_) {
    switch (event->type()) {
      case QEvent::Show:
      case QEvent::Move:
      case QEvent::Resize:
        // The window manager gives the player its place and its frame only
        // once it is on screen: placed again when these events have settled.
        if (!shownOnce_ && player_->isVisible()) {
          PlaceBesidePlayer();
          QMetaObject::invokeMethod(
              this, [this] { if (!shownOnce_ && player_->isVisible()) PlaceBesidePlayer(); }, Qt::QueuedConnection);
        }
        break;
      case QEvent::WindowStateChange:
        if (player_->isMinimized()) {
          if (isVisible()) {
            hide();
            hiddenWithPlayer_ = true;
          }
        } else if (hiddenWithPlayer_) {
          hiddenWithPlayer_ = false;
          show();
        }
        break;
      default:
        break;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void PlaylistWindow::OpenStartPlaylist(const std::string& path) { playlist_.OpenPlaylistFile(path); }

void PlaylistWindow::DropFiles(const std::vector<std::string>& paths) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  playlist_.AddPaths(paths);
  QApplication::restoreOverrideCursor();
}

void PlaylistWindow::cmListOpenClick() {
  const std::string path = dialogs_->ChoosePlaylistToOpen(this);
  if (path.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  playlist_.OpenPlaylistFile(path);
  QApplication::restoreOverrideCursor();
}

void PlaylistWindow::cmListSaveClick() {
  const std::string path = dialogs_->ChooseSaveFile(this, state_.PlaylistFile);
  if (path.empty()) return;
  playlist_.Save(path);
}

void PlaylistWindow::cmdAddClick() {
  const std::vector<std::string> paths = dialogs_->ChooseFilesToAdd(this);
  if (paths.empty()) return;
  DropFiles(paths);
}

void PlaylistWindow::cmdDellClick() {
  const int i = SelectedIndex();
  if (i < 0) return;
  const int next = state_.Delete(i);
  SelectIndex(next);
}

void PlaylistWindow::cmdClearClick() { state_.Clear(); }

void PlaylistWindow::cmUPClick() {
  const int moved = state_.MoveUp(SelectedIndex());
  if (moved >= 0) SelectIndex(moved);
}

void PlaylistWindow::cmDNClick() {
  const int moved = state_.MoveDown(SelectedIndex());
  if (moved >= 0) SelectIndex(moved);
}

void PlaylistWindow::cmSHFLClick() {
  if (state_.Count() < 3) return;
  PlayListBox_->clearSelection();
  state_.Shuffle();
}

void PlaylistWindow::cmdHideClick() {
  hiddenWithPlayer_ = false;
  hide();
  PlayListBox_->clearSelection();
  if (onHidden_) onHidden_();
}

void PlaylistWindow::PlayListBoxDblClick() {
  const int n = SelectedIndex();
  if (n < 0) return;
  playlist_.PlayChosenEntry(n);
}

void PlaylistWindow::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
  // The window is dragged by any free spot.
  if (QWindow* w = windowHandle(); w && w->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = event->globalPosition().toPoint() - frameGeometry().topLeft();
}

void PlaylistWindow::mouseMoveEvent(QMouseEvent* event) {
  if (dragging_ && (event->buttons() & Qt::LeftButton)) move(event->globalPosition().toPoint() - dragOffset_);
}

void PlaylistWindow::mouseReleaseEvent(QMouseEvent* event) {
  dragging_ = false;
  QWidget::mouseReleaseEvent(event);
}

void PlaylistWindow::ApplyRoundedShape() { setMask(QRegion(Outline(size()).toFillPolygon().toPolygon())); }

void PlaylistWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  ApplyRoundedShape();
}

void PlaylistWindow::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  p.fillRect(rect(), palette().window());
  p.setPen(QPen(palette().color(QPalette::Dark), 2));
  p.drawPath(Outline(size()));
}

void PlaylistWindow::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  Refresh();
}

void PlaylistWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (event->mimeData()->hasUrls()) event->acceptProposedAction();
}

void PlaylistWindow::dropEvent(QDropEvent* event) {
  std::vector<std::string> paths;
  for (const QUrl& url : event->mimeData()->urls()) {
    if (url.isLocalFile()) paths.push_back(url.toLocalFile().toStdString());
  }
  if (paths.empty()) return;
  event->acceptProposedAction();
  DropFiles(paths);
}

}  // namespace poronka::ui
