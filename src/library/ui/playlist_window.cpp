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
  return d.chosenFile().toStdString();
}

std::string FilePlaylistDialogs::ChooseSaveFile(QWidget* parent, const std::string& proposed) {
  ProgramFileDialog d(parent, ProgramFileDialog::Kind::Save, Q("名前を付けて保存"),
                      {PlaylistFilter(false), AllFilesFilter()}, "PKL");
  d.setObjectName("cdSaveL");
  // It does not ask before overwriting.
  d.setOption(QFileDialog::DontConfirmOverwrite, true);
  if (!proposed.empty()) d.selectFile(Q(proposed));
  if (d.exec() != QDialog::Accepted) return {};
  return d.chosenFile().toStdString();
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
  buildControls();
  applyRoundedShape();
  // Its buttons' hints show also while the player is the active window.
  setAttribute(Qt::WA_AlwaysShowToolTips);
  listenerId_ = state_.AddListener([this] { refresh(); });
  refresh();
  placeBesidePlayer();
  if (player_) player_->installEventFilter(this);
}

PlaylistWindow::~PlaylistWindow() { state_.RemoveListener(listenerId_); }

void PlaylistWindow::buildControls() {
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

  list_ = new QListWidget(this);
  list_->setObjectName("PlayListBox");
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  list_->setTextElideMode(Qt::ElideRight);
  // One line per entry: long lists lay out without measuring every item.
  list_->setUniformItemSizes(true);
  QPalette pal = list_->palette();
  pal.setColor(QPalette::Base, kAqua);
  pal.setColor(QPalette::Text, Qt::black);
  list_->setPalette(pal);
  list_->setAutoFillBackground(true);

  openButton_ = tool("cmListOpen", "プレイリストを開く", QStyle::SP_DialogOpenButton, {});
  saveButton_ = tool("cmListSave", "プレイリストを保存", QStyle::SP_DialogSaveButton, {});
  upButton_ = tool("cmUP", "上に移動", QStyle::SP_ArrowUp, {});
  downButton_ = tool("cmDN", "下に移動", QStyle::SP_ArrowDown, {});
  shuffleButton_ = tool("cmSHFL", "シャッフル", QStyle::SP_BrowserReload, {});
  addButton_ = button("cmdAdd", "追加");
  removeButton_ = button("cmdDell", "削除");
  clearButton_ = button("cmdClear", "クリア");
  closeButton_ = button("cmdHide", "閉じる");

  auto* tools = new QHBoxLayout;
  tools->setSpacing(3);
  tools->addWidget(openButton_);
  tools->addWidget(saveButton_);
  tools->addStretch();
  tools->addWidget(upButton_);
  tools->addWidget(downButton_);
  tools->addWidget(shuffleButton_);

  auto* buttons = new QGridLayout;
  buttons->setSpacing(3);
  buttons->addWidget(addButton_, 0, 0);
  buttons->addWidget(removeButton_, 0, 1);
  buttons->addWidget(clearButton_, 1, 0);
  buttons->addWidget(closeButton_, 1, 1);

  auto* layout = new QVBoxLayout(this);
  // Inside the rounded outline, clear of its corners.
  layout->setContentsMargins(18, 44, 18, 18);
  layout->setSpacing(4);
  layout->addLayout(tools);
  layout->addWidget(list_, 1);
  layout->addLayout(buttons);

  connect(openButton_, &QToolButton::clicked, this, &PlaylistWindow::openPlaylist);
  connect(saveButton_, &QToolButton::clicked, this, &PlaylistWindow::savePlaylist);
  connect(upButton_, &QToolButton::clicked, this, &PlaylistWindow::moveUp);
  connect(downButton_, &QToolButton::clicked, this, &PlaylistWindow::moveDown);
  connect(shuffleButton_, &QToolButton::clicked, this, &PlaylistWindow::shuffle);
  connect(addButton_, &QPushButton::clicked, this, &PlaylistWindow::addFiles);
  connect(removeButton_, &QPushButton::clicked, this, &PlaylistWindow::removeSelected);
  connect(clearButton_, &QPushButton::clicked, this, &PlaylistWindow::clear);
  connect(closeButton_, &QPushButton::clicked, this, &PlaylistWindow::hideWindow);
  connect(list_, &QListWidget::itemDoubleClicked, this, &PlaylistWindow::playSelectedEntry);
  connect(list_->verticalScrollBar(), &QScrollBar::valueChanged, this, [this](int top) {
    if (!refreshing_) state_.SetTopIndex(top);
  });
}

void PlaylistWindow::refresh() {
  refreshing_ = true;
  const auto& names = state_.DisplayNames();
  const int selected = selectedIndex();
  const int count = static_cast<int>(names.size());
  if (list_->count() != count) {
    QStringList texts;
    texts.reserve(count);
    for (const auto& n : names) texts << Q(n);
    list_->clear();
    list_->addItems(texts);
    if (selected >= 0 && selected < count) selectIndex(selected);
  } else {
    for (int i = 0; i < count; ++i) {
      QListWidgetItem* item = list_->item(i);
      const QString text = Q(names[static_cast<size_t>(i)]);
      if (item->text() != text) item->setText(text);
    }
  }
  // The scroll range follows the items only after a layout.
  list_->doItemsLayout();
  QScrollBar* bar = list_->verticalScrollBar();
  if (bar->value() != state_.TopIndex()) bar->setValue(state_.TopIndex());
  // Near the end the box cannot scroll as far as asked: keep where it stands.
  if (isVisible()) state_.SetTopIndex(bar->value(), false);
  list_->viewport()->update();
  refreshing_ = false;
}

int PlaylistWindow::selectedIndex() const {
  const auto items = list_->selectedItems();
  if (items.isEmpty()) return -1;
  return list_->row(items.front());
}

void PlaylistWindow::selectIndex(int i) {
  if (i < 0 || i >= list_->count()) {
    list_->clearSelection();
    return;
  }
  list_->setCurrentRow(i, QItemSelectionModel::ClearAndSelect);
}

void PlaylistWindow::placeBesidePlayer() {
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

void PlaylistWindow::showBesidePlayer() {
  if (!shownOnce_) placeBesidePlayer();
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
          placeBesidePlayer();
          QMetaObject::invokeMethod(
              this, [this] { if (!shownOnce_ && player_->isVisible()) placeBesidePlayer(); }, Qt::QueuedConnection);
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

void PlaylistWindow::openStartPlaylist(const std::string& path) { playlist_.OpenPlaylistFile(path); }

void PlaylistWindow::appendFiles(const std::vector<std::string>& paths) {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  playlist_.AddPaths(paths);
  QApplication::restoreOverrideCursor();
}

void PlaylistWindow::openPlaylist() {
  const std::string path = dialogs_->ChoosePlaylistToOpen(this);
  if (path.empty()) return;
  QApplication::setOverrideCursor(Qt::WaitCursor);
  playlist_.OpenPlaylistFile(path);
  QApplication::restoreOverrideCursor();
}

void PlaylistWindow::savePlaylist() {
  const std::string path = dialogs_->ChooseSaveFile(this, state_.PlaylistFile);
  if (path.empty()) return;
  playlist_.Save(path);
}

void PlaylistWindow::addFiles() {
  const std::vector<std::string> paths = dialogs_->ChooseFilesToAdd(this);
  if (paths.empty()) return;
  appendFiles(paths);
}

void PlaylistWindow::removeSelected() {
  const int i = selectedIndex();
  if (i < 0) return;
  const int next = state_.Delete(i);
  selectIndex(next);
}

void PlaylistWindow::clear() { state_.Clear(); }

void PlaylistWindow::moveUp() {
  const int moved = state_.MoveUp(selectedIndex());
  if (moved >= 0) selectIndex(moved);
}

void PlaylistWindow::moveDown() {
  const int moved = state_.MoveDown(selectedIndex());
  if (moved >= 0) selectIndex(moved);
}

void PlaylistWindow::shuffle() {
  if (state_.Count() < 3) return;
  list_->clearSelection();
  state_.Shuffle();
}

void PlaylistWindow::hideWindow() {
  hiddenWithPlayer_ = false;
  hide();
  list_->clearSelection();
  emit hidden();
}

void PlaylistWindow::playSelectedEntry() {
  const int n = selectedIndex();
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

void PlaylistWindow::applyRoundedShape() { setMask(QRegion(Outline(size()).toFillPolygon().toPolygon())); }

void PlaylistWindow::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  applyRoundedShape();
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
  refresh();
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
  appendFiles(paths);
}

}  // namespace poronka::ui
