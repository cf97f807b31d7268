#include "editor/ui/editor_window.h"

#include <QPalette>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "core/mbt.h"
#include "core/text_codec.h"
#include "editor/ui/box_tools.h"
#include "editor/ui/prompt_dialog.h"
#include "editor/ui/song_info_dialog.h"
#include "interchange/mfi_export.h"
#include "interchange/smf_export.h"
#include "playback/ui/file_dialogs.h"
#include "playback/ui/message_boxes.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }
QString Q16(const std::u16string& s) {
  return QString::fromUtf16(s.data(), static_cast<qsizetype>(s.size()));
}

// Sizes at 120 pixels per inch, scaled to the screen.
constexpr int kDesignPpi = 120;
constexpr int kCellSize = 19;
constexpr int kLabelColumnWidth = 56;

// A tool button face: a short text drawn on a small square.
QIcon GlyphIcon(const QString& text) {
  QPixmap pm(24, 24);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QColor(60, 60, 110));
  p.setBrush(QColor(235, 238, 250));
  p.drawRoundedRect(QRectF(0.5, 0.5, 23, 23), 4, 4);
  QFont f = p.font();
  f.setPixelSize(text.size() > 1 ? 10 : 14);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(30, 30, 80));
  p.drawText(QRect(0, 0, 24, 24), Qt::AlignCenter, text);
  return QIcon(pm);
}

// Draws the marks and the yellow guide cells of the current row and column.
class NoteGridDelegate : public QStyledItemDelegate {
 public:
  NoteGridDelegate(QTableView* view, const EditorState& state)
      : QStyledItemDelegate(view), view_(view), state_(state) {}
  void paint(QPainter* p, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const QModelIndex cur = view_->currentIndex();
    if (cur.isValid() && !(index == cur)) {
      const int firstRow = view_->rowAt(0);
      const int firstCol = view_->columnAt(0);
      if ((index.row() == cur.row() && index.column() == firstCol) ||
          (index.column() == cur.column() && index.row() == firstRow))
        p->fillRect(option.rect, QColor(255, 255, 0));
    }
    QStyledItemDelegate::paint(p, option, index);
  }

 private:
  QTableView* view_;
  const EditorState& state_;
};

// cdSave: the writer follows the filter, and so does the extension of the
// file name, before the overwrite question names the file.
class SaveAsDialog : public ProgramFileDialog {
 public:
  explicit SaveAsDialog(QWidget* parent)
      : ProgramFileDialog(parent, Kind::Save, Q("名前を付けて保存"),
                          {{Q("ＭＢＴ形式の保存(*.MBT)"), {"MBT"}},
                           {Q("標準MIDIファイルで保存（フォーマット０）(*.MID)"), {"MID"}},
                           {Q("携帯着メロ形式で保存(*.MLD)"), {"MLD"}},
                           {Q("全てのファイル(*.*)"), {}}},
                          "MBT") {
    setObjectName("cdSave");
  }

 protected:
  void accept() override {
    const QString name = ChosenFile();
    if (!name.isEmpty() && !QFileInfo(name).isDir()) {
      const QString fixed = Q(SaveAsFileName(name.toStdString(), ChosenFilter() + 1));
      if (fixed != name) {
        // The name box only takes a name while it is not being typed in.
        if (QWidget* typing = focusWidget()) typing->clearFocus();
        selectFile(fixed);
      }
    }
    ProgramFileDialog::accept();
  }
};

}  // namespace

// ---- model ------------------------------------------------------------------

int NoteGridModel::rowCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : rows_; }
int NoteGridModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : cols_; }

QVariant NoteGridModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid()) return {};
  if (role == Qt::DisplayRole) {
    const GridCell c = CellOf(index);
    if (CellMarked(score_, c.col, c.row)) return QStringLiteral("○");
    return {};
  }
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  return {};
}

QVariant NoteGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role == Qt::TextAlignmentRole) return int(Qt::AlignCenter);
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Horizontal) {
    if (section < 0 || section >= cols_) return {};
    return Q16(OctaveCell(score_, section + 1)) + "\n" +
           Q16(LetterCell(score_, section + 1, state_.flatDisplay));
  }
  const size_t r = static_cast<size_t>(section) + 1;
  if (section < 0 || r >= labels_.size()) return QString();
  return Q(LabelText(labels_[r]));
}

Qt::ItemFlags NoteGridModel::flags(const QModelIndex& index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void NoteGridModel::Rebuild() {
  const int rows = std::max(score_.RowCount, 0) + 1;
  const int cols = std::max(score_.ColumnCount, 0);
  if (rows != rows_ || cols != cols_) {
    beginResetModel();
    rows_ = rows;
    cols_ = cols;
    labels_ = RowLabels(score_);
    endResetModel();
    return;
  }
  labels_ = RowLabels(score_);
  if (rows_ > 0 && cols_ > 0) emit dataChanged(index(0, 0), index(rows_ - 1, cols_ - 1), {Qt::DisplayRole});
  HeadersChanged();
  if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

void NoteGridModel::RowsChanged(int32_t top, int32_t bottom) {
  const int t = std::max(0, top - kFirstGridRow);
  const int b = std::min(rows_ - 1, bottom - kFirstGridRow);
  if (t > b || cols_ == 0) return;
  emit dataChanged(index(t, 0), index(b, cols_ - 1), {Qt::DisplayRole});
}

void NoteGridModel::HeadersChanged() {
  if (cols_ > 0) emit headerDataChanged(Qt::Horizontal, 0, cols_ - 1);
}

void NoteGridModel::LabelsChanged() {
  labels_ = RowLabels(score_);
  if (rows_ > 0) emit headerDataChanged(Qt::Vertical, 0, rows_ - 1);
}

// ---- window -----------------------------------------------------------------

EditorWindow::EditorWindow(Score& score, EditorSession& session, const SoundSettings& settings,
                   Messages* messages, EditorPlayer& player, QWidget* parent)
    : QMainWindow(parent),
      score_(score),
      session_(session),
      settings_(settings),
      ownMessages_(messages ? nullptr : std::make_unique<PlayerMessageBoxes>(this)),
      messages_(messages ? *messages : *ownMessages_),
      player_(player),
      ctx_{score_, state_, session_, messages_, *this} {
  setObjectName("frmGrid");
  setWindowTitle(Q("ポロンカ　作成・編集モード"));
  setAttribute(Qt::WA_DeleteOnClose);
  // FormCreate: sharps, empty undo ring.
  state_.flatDisplay = false;
  state_.undo.Reset();

  model_ = new NoteGridModel(score_, state_, this);
  grid_ = new QTableView(this);
  grid_->setObjectName("GrdNote");
  grid_->setModel(model_);
  grid_->setItemDelegate(new NoteGridDelegate(grid_, state_));
  grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  grid_->setSelectionMode(QAbstractItemView::ContiguousSelection);
  grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
  grid_->setTabKeyNavigation(false);
  grid_->setShowGrid(true);
  grid_->setWordWrap(false);
  {
    // The cursor stays plainly visible while a modal box (test play, the
    // prompt box) has the focus.
    QPalette pal = grid_->palette();
    for (auto role : {QPalette::Highlight, QPalette::HighlightedText})
      pal.setColor(QPalette::Inactive, role, pal.color(QPalette::Active, role));
    grid_->setPalette(pal);
  }
  grid_->setCornerButtonEnabled(false);
  grid_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  grid_->setHorizontalScrollMode(QAbstractItemView::ScrollPerItem);
  const int ppi = logicalDpiY() > 0 ? logicalDpiY() : kDesignPpi;
  const int cell = std::max(kCellSize * ppi / kDesignPpi, 8);
  // The minimum goes first: a default below the style's minimum is raised to it.
  QHeaderView* h = grid_->horizontalHeader();
  h->setSectionResizeMode(QHeaderView::Fixed);
  h->setMinimumSectionSize(cell);
  h->setDefaultSectionSize(cell);
  h->setHighlightSections(true);
  h->setSectionsClickable(false);
  QHeaderView* v = grid_->verticalHeader();
  v->setSectionResizeMode(QHeaderView::Fixed);
  v->setMinimumSectionSize(cell);
  v->setDefaultSectionSize(cell);
  // Wide enough for the labels of long songs.
  v->setFixedWidth(std::max(kLabelColumnWidth * ppi / kDesignPpi,
                            v->fontMetrics().horizontalAdvance(Q("88888･88")) + 6));
  v->setDefaultAlignment(Qt::AlignCenter);
  v->setHighlightSections(true);
  v->setSectionsClickable(false);
  grid_->viewport()->installEventFilter(this);
  grid_->installEventFilter(this);
  connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          [this](const QModelIndex& now, const QModelIndex&) {
            if (syncing_ || !now.isValid()) return;
            const GridCell c = NoteGridModel::CellOf(now);
            GrdNoteSelectCell(c);
            state_.current = c;
            ReadSelectionFromView();
            GrdNoteClick();
          });
  connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { if (!syncing_) ReadSelectionFromView(); });

  BuildMenus();
  new BoxTools(*this, settings);
  BuildHeader();
  resize(900, 700);
}

EditorWindow::~EditorWindow() = default;

void EditorWindow::BuildMenus() {
  QToolBar* tb = addToolBar(Q("ツール"));
  tb->setObjectName("ToolBar1");
  tb->setMovable(false);
  tb->setIconSize(QSize(24, 24));
  auto item = [this](QMenu* m, const char* name, const char* caption, void (EditorWindow::*fn)()) {
    QAction* a = m->addAction(Q(caption), this, [this, fn] { (this->*fn)(); });
    a->setObjectName(name);
    return a;
  };
  auto tool = [this, tb](const char* name, const char* hint, const char* glyph, void (EditorWindow::*fn)()) {
    QAction* a = tb->addAction(GlyphIcon(Q(glyph)), Q(hint), this, [this, fn] { (this->*fn)(); });
    a->setObjectName(name);
    a->setToolTip(Q(hint));
    return a;
  };
  QMenu* file = menuBar()->addMenu(Q("ファイル(&F)"));
  file->setObjectName("SMFile");
  item(file, "SMFNew", "新規作成(&N)", &EditorWindow::SMFNewClick)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  item(file, "SMFOpen", "開く(&O)...", &EditorWindow::SMFOpenClick)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  item(file, "SMFSave", "上書き保存(&S)", &EditorWindow::SMFSaveClick)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  item(file, "SMFSaveAs", "名前を付けて保存(&A)...", &EditorWindow::SMFSaveAsClick);
  item(file, "SMFPlay", "演奏モードへ(&P)", &EditorWindow::SMFPlayClick);
  file->addSeparator();
  item(file, "SMFExit", "終了(&X)", &EditorWindow::SMFExitClick);

  QMenu* edit = menuBar()->addMenu(Q("編集(&E)"));
  edit->setObjectName("SMEdit");
  SMEUndo_ = item(edit, "SMEUndo", "元に戻す(&U)", &EditorWindow::tbUndoClick);
  SMERedo_ = item(edit, "SMERedo", "やり直し(&R)", &EditorWindow::tbRedoClick);
  edit->addSeparator();
  item(edit, "SMECopy", "コピー(&C)", &EditorWindow::SMECopyClick)->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  SMEPast_ = item(edit, "SMEPast", "貼付け(&P)", &EditorWindow::SMEPastClick);
  // The keys every editor has; they reach the menu items, so a disabled
  // item ignores its keys too.
  SMEUndo_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  SMERedo_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  SMEPast_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  edit->addSeparator();
  item(edit, "SMEInfo", "曲情報(&I)...", &EditorWindow::SMEInfoClick);
  item(edit, "SMEMove", "音程移動(&M)...", &EditorWindow::SMEMoveClick);

  QMenu* del = menuBar()->addMenu(Q("挿入・削除(&D)"));
  del->setObjectName("SMDel");
  QMenu* ins = del->addMenu(Q("挿入(&I)"));
  ins->setObjectName("SMDIns");
  item(ins, "SMDIRow", "１行(&R)", &EditorWindow::SMDIRowClick);
  item(ins, "SMDIPhar", "小節(&P)", &EditorWindow::SMDIPharClick);
  item(ins, "SMDINote", "新音(&N)...", &EditorWindow::SMDINoteClick);
  QMenu* add = del->addMenu(Q("追加(&A)"));
  add->setObjectName("SMDAdd");
  item(add, "SMDAHigh", "高音側(&H)", &EditorWindow::SMDAHighClick);
  item(add, "SMDALow", "低音側(&L)", &EditorWindow::SMDALowClick);
  QMenu* res = del->addMenu(Q("分解能(&T)"));
  res->setObjectName("SMDRes");
  item(res, "SMDI2x", "２倍(&B)", &EditorWindow::SMDI2xClick);
  item(res, "SMDI3x", "３倍(&T)", &EditorWindow::SMDI3xClick);
  item(res, "SMDTDup", "２分の１(&D)", &EditorWindow::SMDTDupClick);
  item(res, "SMDTSml", "３分の１(&S)", &EditorWindow::SMDTSmlClick);
  del->addSeparator();
  item(del, "SMDRow", "行削除(&R)...", &EditorWindow::SMDRowClick);
  item(del, "SMDNote", "音削除(&N)...", &EditorWindow::SMDNoteClick);
  item(del, "SMDCler", "音階整理(&C)", &EditorWindow::SMDClerClick);
  item(del, "SMDPhr", "小節長短(P)...", &EditorWindow::SMDPhrClick);

  QMenu* help = menuBar()->addMenu(Q("ヘルプ(&H)"));
  help->setObjectName("SMHelp");
  item(help, "SMHExp", "ヘルプ表示(&E)", &EditorWindow::SMHExpClick);
  item(help, "SMHVer", "バージョン情報(&A)", &EditorWindow::SMHVerClick);

  tool("tbNew", "新規作成", "新", &EditorWindow::SMFNewClick);
  tool("tbOpen", "ファイルを開く", "開", &EditorWindow::SMFOpenClick);
  tool("tbSave", "上書き保存", "保", &EditorWindow::SMFSaveClick);
  tool("tbSaveAs", "名前を付けて保存", "名", &EditorWindow::SMFSaveAsClick);
  tb->addSeparator();
  tbUndo_ = tool("tbUndo", "元に戻す", "↶", &EditorWindow::tbUndoClick);
  tbRedo_ = tool("tbRedo", "やり直し", "↷", &EditorWindow::tbRedoClick);
  tool("tbCopy", "コピー", "写", &EditorWindow::SMECopyClick);
  tbPast_ = tool("tbPast", "貼り付け", "貼", &EditorWindow::SMEPastClick);
  tb->addSeparator();
  tool("tbInfo", "曲情報設定", "情", &EditorWindow::SMEInfoClick);
  tool("tbNMove", "音程移動", "移", &EditorWindow::SMEMoveClick);
  tb->addSeparator();
  tool("tbRAdd", "１行挿入", "行+", &EditorWindow::SMDIRowClick);
  tool("tbPhAdd", "１小節挿入", "節+", &EditorWindow::SMDIPharClick);
  tool("tbCAdd", "１音挿入", "音+", &EditorWindow::SMDINoteClick);
  tool("tbHOct", "高音オクターブ追加", "高", &EditorWindow::SMDAHighClick);
  tool("tbLOct", "低音オクターブ追加", "低", &EditorWindow::SMDALowClick);
  tb->addSeparator();
  tool("tbTcX2", "分解能を２倍に", "×2", &EditorWindow::SMDI2xClick);
  tool("tbTcX3", "分解能を３倍に", "×3", &EditorWindow::SMDI3xClick);
  tool("tbTcDv2", "分解能１／２", "½", &EditorWindow::SMDTDupClick);
  tool("tbTcDv3", "分解能１／３", "⅓", &EditorWindow::SMDTSmlClick);
  tb->addSeparator();
  tool("tbRRemv", "行削除", "行-", &EditorWindow::SMDRowClick);
  tool("tbCRemv", "音列削除", "音-", &EditorWindow::SMDNoteClick);
  tool("tbNCler", "音階整理", "整", &EditorWindow::SMDClerClick);
  tool("tbPUpDwn", "小節の行数調整", "±", &EditorWindow::SMDPhrClick);
  tb->addSeparator();
  tool("tbExit", "終了", "終", &EditorWindow::SMFExitClick);
  tool("tbHelp", "ヘルプの表示", "?", &EditorWindow::SMHExpClick);

  // At creation paste, undo and redo are disabled.
  for (QAction* a : {SMEUndo_, tbUndo_, SMERedo_, tbRedo_, SMEPast_, tbPast_}) a->setEnabled(false);
}

void EditorWindow::BuildHeader() {
  QWidget* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(4, 2, 4, 4);
  outer->setSpacing(3);

  auto* top = new QHBoxLayout;
  auto* fixed = new QLabel(Q("カーソル位置："), central);
  fixed->setObjectName("Label1");
  lblRowCol_ = new QLabel(central);
  lblRowCol_->setObjectName("lblRowCol");
  lblRowCol_->setMinimumWidth(120);
  ChkSon_ = new QCheckBox(Q("カーソル移動発音"), central);
  ChkSon_->setObjectName("ChkSon");
  ChkSon_->setChecked(true);
  connect(ChkSon_, &QCheckBox::toggled, this, [this](bool on) { state_.soundOnCursor = on; });
  auto* rdo = new QGroupBox(central);
  rdo->setObjectName("rdoSF");
  auto* rl = new QHBoxLayout(rdo);
  rl->setContentsMargins(4, 0, 4, 0);
  rdoSharp_ = new QRadioButton(Q("＃表示"), rdo);
  rdoSharp_->setObjectName("rdoSFSharp");
  rdoFlat_ = new QRadioButton(Q("♭表示"), rdo);
  rdoFlat_->setObjectName("rdoSFFlat");
  rdoSharp_->setChecked(true);
  rl->addWidget(rdoSharp_);
  rl->addWidget(rdoFlat_);
  connect(rdoFlat_, &QRadioButton::toggled, this, [this](bool flats) { rdoSFClick(flats); });
  cmPMod_ = new QPushButton(Q("演奏画面へ"), central);
  cmPMod_->setObjectName("cmPMod");
  connect(cmPMod_, &QPushButton::clicked, this, [this] { cmPModClick(); });
  cmTest_ = new QPushButton(Q("試奏"), central);
  cmTest_->setObjectName("cmTest");
  connect(cmTest_, &QPushButton::clicked, this, [this] { cmTestClick(); });
  top->addWidget(fixed);
  top->addWidget(lblRowCol_);
  top->addWidget(ChkSon_);
  top->addWidget(rdo);
  top->addStretch(1);
  top->addWidget(cmPMod_);
  top->addWidget(cmTest_);
  outer->addLayout(top);

  auto* info = new QHBoxLayout;
  lblTitle_ = new QLabel(central);
  lblTitle_->setObjectName("lblTitle");
  lblTitle_->setWordWrap(true);
  lblTitle_->setMinimumWidth(300);
  QFont tf = lblTitle_->font();
  tf.setBold(true);
  lblTitle_->setFont(tf);
  auto* nums = new QVBoxLayout;
  lblSpeed_ = new QLabel(central);
  lblSpeed_->setObjectName("lblSpeed");
  auto* row2 = new QHBoxLayout;
  lblPhrlen_ = new QLabel(central);
  lblPhrlen_->setObjectName("lblPhrlen");
  lblNote_ = new QLabel(central);
  lblNote_->setObjectName("lblNote");
  row2->addWidget(lblPhrlen_);
  row2->addSpacing(16);
  row2->addWidget(lblNote_);
  row2->addStretch(1);
  nums->addWidget(lblSpeed_);
  nums->addLayout(row2);
  info->addWidget(lblTitle_, 3);
  info->addLayout(nums, 2);
  outer->addLayout(info);
  for (QLabel* l : {lblTitle_, lblSpeed_, lblPhrlen_, lblNote_}) {
    l->installEventFilter(this);
    l->setToolTip(Q("ダブルクリックで曲情報設定"));
  }
  outer->addWidget(grid_, 1);
  setCentralWidget(central);
  statusBar()->setObjectName("StatusBar1");
}

// ---- showing ------------------------------------------------------------------

void EditorWindow::showEvent(QShowEvent* e) {
  QMainWindow::showEvent(e);
  if (shown_) return;
  shown_ = true;
  FormShow();
}

void EditorWindow::FormShow() {
  const bool hadColumns = score_.ColumnCount > 0;
  player_.OpenMidiForEditor();
  ShowEditor(ctx_, ShowSender::Window);
  notePerRow_ = hadColumns;
  {
    QSignalBlocker b(rdoFlat_);
    rdoSharp_->setChecked(!state_.flatDisplay);
    rdoFlat_->setChecked(state_.flatDisplay);
  }
  model_->Rebuild();
  UpdateLabels();
  UpdatePaste();
  UpdateUndoRedo();
  SyncCursorFromState();
  ScrollToTopLeft();
  UpdateRowColLabel();
  grid_->setFocus();
}

void EditorWindow::closeEvent(QCloseEvent* e) {
  if (exiting_) {
    e->accept();
    return;
  }
  // FormClose: back to the player.
  if (session_.NeedsPrepare) {
    player_.PrepareSong();
    session_.NeedsPrepare = false;
  } else {
    player_.ReleaseMidiForMedia();
  }
  player_.ShowPlayer();
  e->accept();
}

// ---- grid events ----------------------------------------------------------------

bool EditorWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == grid_->viewport()) {
    switch (event->type()) {
      case QEvent::MouseButtonPress: {
        auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && me->buttons() == Qt::LeftButton &&
            me->modifiers() == Qt::NoModifier) {
          pressArmed_ = true;
          pressIndex_ = grid_->indexAt(me->position().toPoint());
          return false;
        }
        pressArmed_ = false;
        state_.toggleArmed = false;
        state_.CollapseSelection();
        SyncCursorFromState();
        grid_->setFocus();
        return true;
      }
      case QEvent::MouseMove: {
        // Leaving the pressed cell makes the press a range selection.
        auto* me = static_cast<QMouseEvent*>(event);
        if (pressArmed_ && grid_->indexAt(me->position().toPoint()) != pressIndex_) pressArmed_ = false;
        return false;
      }
      case QEvent::MouseButtonDblClick:
        pressArmed_ = false;
        state_.toggleArmed = false;
        return false;
      case QEvent::MouseButtonRelease: {
        // A plain click toggles its cell when it is released where it was
        // pressed; a drag only selects.
        auto* me = static_cast<QMouseEvent*>(event);
        const QModelIndex at = grid_->indexAt(me->position().toPoint());
        if (pressArmed_ && me->button() == Qt::LeftButton && at.isValid() && at == pressIndex_) {
          state_.current = NoteGridModel::CellOf(at);
          ReadSelectionFromView();
          state_.toggleArmed = true;
          GrdNoteClick();
        }
        pressArmed_ = false;
        state_.toggleArmed = false;
        return false;
      }
      default:
        return false;
    }
  }
  if (watched == grid_ && event->type() == QEvent::KeyPress)
    return GrdNoteKeyDown(static_cast<QKeyEvent*>(event));
  if (event->type() == QEvent::MouseButtonDblClick &&
      (watched == lblTitle_ || watched == lblSpeed_ || watched == lblPhrlen_ || watched == lblNote_)) {
    SMEInfoClick();
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

bool EditorWindow::GrdNoteKeyDown(QKeyEvent* e) {
  if (e->modifiers() & (Qt::ShiftModifier | Qt::AltModifier | Qt::ControlModifier)) return false;
  switch (e->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
      state_.toggleArmed = true;
      ReadSelectionFromView();
      GrdNoteClick();
      state_.toggleArmed = false;
      return true;
    case Qt::Key_Up:
      SoundRowForMove(ctx_, -1);
      return false;
    case Qt::Key_Down:
      SoundRowForMove(ctx_, +1);
      return false;
    default:
      return false;
  }
}

void EditorWindow::GrdNoteClick() {
  if (ToggleNote(ctx_)) {
    model_->RowsChanged(state_.current.row, state_.current.row);
    UpdateUndoRedo();
  }
}

void EditorWindow::GrdNoteSelectCell(GridCell cell) {
  if (cell == state_.cursor) return;
  grid_->viewport()->update();
  lblRowCol_->setText(Q(CursorText(score_, cell, state_.flatDisplay)));
}

void EditorWindow::ReadSelectionFromView() {
  const QItemSelection sel = grid_->selectionModel()->selection();
  if (sel.isEmpty()) {
    state_.selection = GridRect::Of(state_.current);
    return;
  }
  int top = INT32_MAX, left = INT32_MAX, bottom = -1, right = -1;
  for (const QItemSelectionRange& r : sel) {
    top = std::min(top, r.top());
    left = std::min(left, r.left());
    bottom = std::max(bottom, r.bottom());
    right = std::max(right, r.right());
  }
  state_.selection = {left + 1, top + kFirstGridRow, right + 1, bottom + kFirstGridRow};
}

void EditorWindow::SyncCursorFromState() {
  if (model_->rowCount() == 0 || model_->columnCount() == 0) return;
  syncing_ = true;
  const QModelIndex cur = NoteGridModel::IndexOf(model_, state_.current);
  QItemSelectionModel* sm = grid_->selectionModel();
  sm->setCurrentIndex(cur, QItemSelectionModel::NoUpdate);
  const GridRect r = state_.selection;
  const QModelIndex a = NoteGridModel::IndexOf(model_, {r.left, r.top});
  const QModelIndex b = NoteGridModel::IndexOf(model_, {r.right, r.bottom});
  if (a.isValid() && b.isValid())
    sm->select(QItemSelection(a, b), QItemSelectionModel::ClearAndSelect);
  else
    sm->select(cur, QItemSelectionModel::ClearAndSelect);
  syncing_ = false;
  grid_->scrollTo(cur);
  grid_->viewport()->update();
}

void EditorWindow::ScrollToRow(int32_t gridRow) {
  const int row = std::max(0, gridRow - kFirstGridRow);
  // The grid scrolls by whole rows.
  grid_->verticalScrollBar()->setValue(row);
}

void EditorWindow::ScrollToTopLeft() {
  grid_->verticalScrollBar()->setValue(0);
  grid_->horizontalScrollBar()->setValue(0);
}

// ---- labels and commands' state ---------------------------------------------------

void EditorWindow::UpdateLabels() {
  lblTitle_->setText(Q(score_.Title).replace("\r\n", "\n"));
  lblSpeed_->setText(Q(SpeedLabel(score_)));
  lblPhrlen_->setText(Q(PhraseLabel(score_)));
  lblNote_->setText(Q(NoteLabel(score_, notePerRow_)));
}

void EditorWindow::UpdateRowColLabel() {
  lblRowCol_->setText(Q(CursorText(score_, state_.current, state_.flatDisplay)));
}

void EditorWindow::UpdateUndoRedo() {
  SMEUndo_->setEnabled(state_.undo.undoEnabled());
  tbUndo_->setEnabled(state_.undo.undoEnabled());
  SMERedo_->setEnabled(state_.undo.redoEnabled());
  tbRedo_->setEnabled(state_.undo.redoEnabled());
}

void EditorWindow::UpdatePaste() {
  const Clipboard& c = session_.clipboard;
  if (c.empty()) return;
  SMEPast_->setEnabled(true);
  tbPast_->setEnabled(true);
  SMEPast_->setStatusTip(Q(PasteMenuHint(c)));
  SMEPast_->setToolTip(Q(PasteMenuHint(c)));
  tbPast_->setToolTip(Q(PasteButtonHint(c)));
}

void EditorWindow::AfterChange(SnapshotKind kind) {
  if (kind == SnapshotKind::Toggle) {
    model_->RowsChanged(kFirstGridRow, SpareGridRow(score_));
  } else {
    const bool resized = model_->rowCount() != score_.RowCount + 1 || model_->columnCount() != score_.ColumnCount;
    model_->Rebuild();
    if (resized) SyncCursorFromState();
  }
  UpdateLabels();
  UpdateRowColLabel();
  UpdateUndoRedo();
  grid_->viewport()->update();
}

// ---- commands ----------------------------------------------------------------

void EditorWindow::SMFNewClick() {
  if (!NewScore(ctx_)) return;
  notePerRow_ = false;
  {
    QSignalBlocker b(rdoFlat_);
    rdoSharp_->setChecked(true);
  }
  model_->Rebuild();
  AfterChange(SnapshotKind::Base);
  SyncCursorFromState();
  ScrollToTopLeft();
  if (grid_->isVisible()) grid_->setFocus();
}

void EditorWindow::SMFOpenClick() {
  if (!player_.RunOpenCommand()) return;
  const bool hadColumns = score_.ColumnCount > 0;
  ShowEditor(ctx_, ShowSender::Open);
  notePerRow_ = hadColumns;
  {
    QSignalBlocker b(rdoFlat_);
    rdoSharp_->setChecked(!state_.flatDisplay);
    rdoFlat_->setChecked(state_.flatDisplay);
  }
  model_->Rebuild();
  AfterChange(SnapshotKind::Base);
  UpdatePaste();
  SyncCursorFromState();
  ScrollToTopLeft();
  grid_->setFocus();
}

void EditorWindow::SMFSaveClick() {
  if (SaveWritesInPlace(score_.FileName)) {
    WriteWith(SaveWriter::Mbt);
    return;
  }
  SMFSaveAsClick();
}

void EditorWindow::SMFSaveAsClick() {
  std::optional<std::pair<std::string, int>> chosen;
  if (saveDialog) {
    chosen = saveDialog(score_.FileName);
  } else {
    SaveAsDialog dlg(this);
    if (!score_.FileName.empty()) dlg.selectFile(Q(SaveAsFileName(score_.FileName, 1)));
    if (dlg.exec() == QDialog::Accepted && !dlg.ChosenFile().isEmpty())
      chosen.emplace(dlg.ChosenFile().toStdString(), dlg.ChosenFilter() + 1);
  }
  if (!chosen) return;
  score_.FileName = SaveAsFileName(chosen->first, chosen->second);
  WriteWith(WriterForSaveAs(chosen->second, score_.FileName, score_.MaxSlot));
}

void EditorWindow::WriteWith(SaveWriter writer) {
  // The writers' message boxes put the normal cursor back themselves.
  QApplication::setOverrideCursor(Qt::WaitCursor);
  struct NormalCursorAfter {
    ~NormalCursorAfter() {
      if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
    }
  } normal;
  switch (writer) {
    case SaveWriter::Mbt:
      WriteMbt(score_, messages_);
      break;
    case SaveWriter::Smf:
      SaveSmf(score_, settings_, messages_);
      break;
    case SaveWriter::Mfi4:
    case SaveWriter::Mfi16:
      // The MFi writer picks Ver1 or Ver2 from MaxSlot itself.
      SaveMfi(score_, settings_, messages_);
      break;
  }
}

void EditorWindow::SMFExitClick() {
  if (score_.Modified && !messages_.AskOkCancel(kClearQuestion)) return;
  score_.Modified = false;
  exiting_ = true;
  close();
  player_.ExitApplication();
}

void EditorWindow::tbUndoClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const SnapshotKind k = UndoStep(ctx_);
  QApplication::restoreOverrideCursor();
  if (k != SnapshotKind::None) AfterChange(k);
  UpdateUndoRedo();
}

void EditorWindow::tbRedoClick() {
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const SnapshotKind k = RedoStep(ctx_);
  QApplication::restoreOverrideCursor();
  if (k != SnapshotKind::None) AfterChange(k);
  UpdateUndoRedo();
}

void EditorWindow::SMECopyClick() {
  ReadSelectionFromView();
  CopySelection(ctx_);
  UpdatePaste();
  SyncCursorFromState();
  grid_->setFocus();
}

void EditorWindow::SMEPastClick() {
  if (session_.clipboard.empty()) return;
  state_.current = NoteGridModel::CellOf(grid_->currentIndex());
  Paste(ctx_);
  AfterChange(SnapshotKind::Paste);
  SyncCursorFromState();
  grid_->setFocus();
}

void EditorWindow::SMEInfoClick() {
  SongInfoDialog dlg(this);
  dlg.FormShow(SongInfoFromScore(score_));
  dlg.onOk = [this](const SongInfoFields& f) { return ApplySongInfo(ctx_, f); };
  if (dlg.exec() == QDialog::Accepted) {
    notePerRow_ = false;
    AfterChange(SnapshotKind::BarLayout);
  }
  grid_->setFocus();
}

void EditorWindow::rdoSFClick(bool flats) {
  if (flats == state_.flatDisplay) return;
  state_.flatDisplay = flats;
  model_->HeadersChanged();
  UpdateRowColLabel();
  grid_->setFocus();
}

void EditorWindow::SMHExpClick() { player_.ShowHelp(); }
void EditorWindow::SMHVerClick() { player_.ShowAbout(); }

std::string EditorWindow::RunPrompt(const PromptRequest& request, const PromptOk& onOk) {
  // The normal cursor while the box asks; the hourglass of the operation
  // comes back when it closes.
  int hourglasses = 0;
  for (; QApplication::overrideCursor(); ++hourglasses) QApplication::restoreOverrideCursor();
  PromptDialog box(request, onOk, this);
  if (request.mode == PromptMode::Test) PlaceTestPlayBox(box);
  box.exec();
  for (int i = 0; i < hourglasses; ++i) QApplication::setOverrideCursor(Qt::WaitCursor);
  return box.Result();
}

void EditorWindow::PlaceTestPlayBox(QWidget& box) const {
  // Test play keeps the playing row among the first eleven visible rows;
  // the box goes below them, over the grid, or beside the window when the
  // grid is too short.
  box.adjustSize();
  const QSize size = box.size();
  const QRect view(grid_->viewport()->mapToGlobal(QPoint(0, 0)), grid_->viewport()->size());
  const int followedBottom = view.top() + 11 * grid_->verticalHeader()->defaultSectionSize();
  const QRect area = this->screen() ? this->screen()->availableGeometry() : QRect();
  QPoint at(view.center().x() - size.width() / 2, view.bottom() - size.height() - 8);
  if (at.y() < followedBottom + 8) {
    const QRect frame = frameGeometry();
    at = QPoint(frame.right() + 8, view.top());
    if (!area.isEmpty() && at.x() + size.width() > area.right()) at.setX(frame.left() - size.width() - 8);
  }
  if (!area.isEmpty()) {
    at.setX(std::clamp(at.x(), area.left(), std::max(area.left(), area.right() - size.width())));
    at.setY(std::clamp(at.y(), area.top(), std::max(area.top(), area.bottom() - size.height())));
  }
  box.move(at);
}

void EditorWindow::ProcessEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace poronka::ui
