// Building the editor window: the note grid view, one action per command
// (each shown in its menu and, with a glyph, on the tool bar) and the labels
// and buttons above the grid.
#include <QAction>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QToolBar>
#include <QVBoxLayout>

#include "editor/ui/editor_window.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {

QString Q(const char* s) { return QString::fromUtf8(s); }

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
  explicit NoteGridDelegate(QTableView* view) : QStyledItemDelegate(view), view_(view) {}
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
};

}  // namespace

void EditorWindow::buildGrid() {
  model_ = new NoteGridModel(score_, state_, this);
  grid_ = new QTableView(this);
  grid_->setObjectName("GrdNote");
  grid_->setModel(model_);
  grid_->setItemDelegate(new NoteGridDelegate(grid_));
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
            const GridCell c = NoteGridModel::cellOf(now);
            showCursorMovedTo(c);
            state_.current = c;
            readSelectionFromView();
            toggleCurrentNote();
          });
  connect(grid_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          [this] { if (!syncing_) readSelectionFromView(); });
}

void EditorWindow::createActions() {
  // The tool bar comes first so that it stands above the grid's header.
  QToolBar* tb = addToolBar(Q("ツール"));
  tb->setObjectName("ToolBar1");
  tb->setMovable(false);
  tb->setIconSize(QSize(24, 24));

  auto item = [this](QMenu* m, const char* name, const char* caption, void (EditorWindow::*slot)()) {
    QAction* a = m->addAction(Q(caption), this, slot);
    a->setObjectName(name);
    return a;
  };
  QMenu* file = menuBar()->addMenu(Q("ファイル(&F)"));
  file->setObjectName("SMFile");
  QAction* newScoreAction = item(file, "SMFNew", "新規作成(&N)", &EditorWindow::newScore);
  newScoreAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
  QAction* openAction = item(file, "SMFOpen", "開く(&O)...", &EditorWindow::openScore);
  openAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
  QAction* saveAction = item(file, "SMFSave", "上書き保存(&S)", &EditorWindow::save);
  saveAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
  QAction* saveAsAction = item(file, "SMFSaveAs", "名前を付けて保存(&A)...", &EditorWindow::saveAs);
  item(file, "SMFPlay", "演奏モードへ(&P)", &EditorWindow::returnToPlayer);
  file->addSeparator();
  QAction* exitAction = item(file, "SMFExit", "終了(&X)", &EditorWindow::exitApplication);

  QMenu* edit = menuBar()->addMenu(Q("編集(&E)"));
  edit->setObjectName("SMEdit");
  undoAction_ = item(edit, "SMEUndo", "元に戻す(&U)", &EditorWindow::undo);
  redoAction_ = item(edit, "SMERedo", "やり直し(&R)", &EditorWindow::redo);
  edit->addSeparator();
  QAction* copyAction = item(edit, "SMECopy", "コピー(&C)", &EditorWindow::copy);
  copyAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_C));
  pasteAction_ = item(edit, "SMEPast", "貼付け(&P)", &EditorWindow::paste);
  // The keys every editor has; they belong to the actions, so a disabled
  // command ignores its keys too.
  undoAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
  redoAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  pasteAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_V));
  edit->addSeparator();
  QAction* songInfoAction = item(edit, "SMEInfo", "曲情報(&I)...", &EditorWindow::editSongInfo);
  QAction* transposeAction = item(edit, "SMEMove", "音程移動(&M)...", &EditorWindow::transpose);

  QMenu* del = menuBar()->addMenu(Q("挿入・削除(&D)"));
  del->setObjectName("SMDel");
  QMenu* ins = del->addMenu(Q("挿入(&I)"));
  ins->setObjectName("SMDIns");
  QAction* insertRowAction = item(ins, "SMDIRow", "１行(&R)", &EditorWindow::insertRow);
  QAction* insertBarAction = item(ins, "SMDIPhar", "小節(&P)", &EditorWindow::insertBar);
  QAction* insertPitchAction = item(ins, "SMDINote", "新音(&N)...", &EditorWindow::insertPitchColumn);
  QMenu* add = del->addMenu(Q("追加(&A)"));
  add->setObjectName("SMDAdd");
  QAction* addHighAction = item(add, "SMDAHigh", "高音側(&H)", &EditorWindow::addHighOctave);
  QAction* addLowAction = item(add, "SMDALow", "低音側(&L)", &EditorWindow::addLowOctave);
  QMenu* res = del->addMenu(Q("分解能(&T)"));
  res->setObjectName("SMDRes");
  QAction* doubleAction = item(res, "SMDI2x", "２倍(&B)", &EditorWindow::doubleResolution);
  QAction* tripleAction = item(res, "SMDI3x", "３倍(&T)", &EditorWindow::tripleResolution);
  QAction* halveAction = item(res, "SMDTDup", "２分の１(&D)", &EditorWindow::halveResolution);
  QAction* thirdAction = item(res, "SMDTSml", "３分の１(&S)", &EditorWindow::divideResolutionByThree);
  del->addSeparator();
  QAction* deleteRowsAction = item(del, "SMDRow", "行削除(&R)...", &EditorWindow::deleteRows);
  QAction* deletePitchesAction = item(del, "SMDNote", "音削除(&N)...", &EditorWindow::deletePitchColumns);
  QAction* removeUnusedAction = item(del, "SMDCler", "音階整理(&C)", &EditorWindow::removeUnusedPitches);
  QAction* barLengthAction = item(del, "SMDPhr", "小節長短(P)...", &EditorWindow::adjustBarLength);

  QMenu* help = menuBar()->addMenu(Q("ヘルプ(&H)"));
  help->setObjectName("SMHelp");
  QAction* helpAction = item(help, "SMHExp", "ヘルプ表示(&E)", &EditorWindow::showHelp);
  item(help, "SMHVer", "バージョン情報(&A)", &EditorWindow::showAbout);

  // The tool bar shows the same actions with a glyph and a hint of their
  // own; its buttons keep names of their own for lookups.
  auto tool = [tb](QAction* a, const char* buttonName, const char* hint, const char* glyph) {
    a->setIcon(GlyphIcon(Q(glyph)));
    a->setIconVisibleInMenu(false);
    a->setToolTip(Q(hint));
    tb->addAction(a);
    QWidget* button = tb->widgetForAction(a);
    button->setObjectName(buttonName);
    return button;
  };
  tool(newScoreAction, "tbNew", "新規作成", "新");
  tool(openAction, "tbOpen", "ファイルを開く", "開");
  tool(saveAction, "tbSave", "上書き保存", "保");
  tool(saveAsAction, "tbSaveAs", "名前を付けて保存", "名");
  tb->addSeparator();
  tool(undoAction_, "tbUndo", "元に戻す", "↶");
  tool(redoAction_, "tbRedo", "やり直し", "↷");
  tool(copyAction, "tbCopy", "コピー", "写");
  pasteToolButton_ = tool(pasteAction_, "tbPast", "貼り付け", "貼");
  pasteToolButton_->installEventFilter(this);
  tb->addSeparator();
  tool(songInfoAction, "tbInfo", "曲情報設定", "情");
  tool(transposeAction, "tbNMove", "音程移動", "移");
  tb->addSeparator();
  tool(insertRowAction, "tbRAdd", "１行挿入", "行+");
  tool(insertBarAction, "tbPhAdd", "１小節挿入", "節+");
  tool(insertPitchAction, "tbCAdd", "１音挿入", "音+");
  tool(addHighAction, "tbHOct", "高音オクターブ追加", "高");
  tool(addLowAction, "tbLOct", "低音オクターブ追加", "低");
  tb->addSeparator();
  tool(doubleAction, "tbTcX2", "分解能を２倍に", "×2");
  tool(tripleAction, "tbTcX3", "分解能を３倍に", "×3");
  tool(halveAction, "tbTcDv2", "分解能１／２", "½");
  tool(thirdAction, "tbTcDv3", "分解能１／３", "⅓");
  tb->addSeparator();
  tool(deleteRowsAction, "tbRRemv", "行削除", "行-");
  tool(deletePitchesAction, "tbCRemv", "音列削除", "音-");
  tool(removeUnusedAction, "tbNCler", "音階整理", "整");
  tool(barLengthAction, "tbPUpDwn", "小節の行数調整", "±");
  tb->addSeparator();
  tool(exitAction, "tbExit", "終了", "終");
  tool(helpAction, "tbHelp", "ヘルプの表示", "?");

  // At creation paste, undo and redo are disabled.
  for (QAction* a : {undoAction_, redoAction_, pasteAction_}) a->setEnabled(false);
}

void EditorWindow::buildHeader() {
  QWidget* central = new QWidget(this);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(4, 2, 4, 4);
  outer->setSpacing(3);

  auto* top = new QHBoxLayout;
  auto* fixed = new QLabel(Q("カーソル位置："), central);
  fixed->setObjectName("Label1");
  cursorLabel_ = new QLabel(central);
  cursorLabel_->setObjectName("lblRowCol");
  cursorLabel_->setMinimumWidth(120);
  soundOnMoveBox_ = new QCheckBox(Q("カーソル移動発音"), central);
  soundOnMoveBox_->setObjectName("ChkSon");
  soundOnMoveBox_->setChecked(true);
  connect(soundOnMoveBox_, &QCheckBox::toggled, this, [this](bool on) { state_.soundOnCursor = on; });
  auto* accidentals = new QGroupBox(central);
  accidentals->setObjectName("rdoSF");
  auto* rl = new QHBoxLayout(accidentals);
  rl->setContentsMargins(4, 0, 4, 0);
  sharpsButton_ = new QRadioButton(Q("＃表示"), accidentals);
  sharpsButton_->setObjectName("rdoSFSharp");
  flatsButton_ = new QRadioButton(Q("♭表示"), accidentals);
  flatsButton_->setObjectName("rdoSFFlat");
  sharpsButton_->setChecked(true);
  rl->addWidget(sharpsButton_);
  rl->addWidget(flatsButton_);
  connect(flatsButton_, &QRadioButton::toggled, this, &EditorWindow::showFlats);
  playerButton_ = new QPushButton(Q("演奏画面へ"), central);
  playerButton_->setObjectName("cmPMod");
  connect(playerButton_, &QPushButton::clicked, this, &EditorWindow::returnToPlayer);
  testPlayButton_ = new QPushButton(Q("試奏"), central);
  testPlayButton_->setObjectName("cmTest");
  connect(testPlayButton_, &QPushButton::clicked, this, &EditorWindow::testPlay);
  top->addWidget(fixed);
  top->addWidget(cursorLabel_);
  top->addWidget(soundOnMoveBox_);
  top->addWidget(accidentals);
  top->addStretch(1);
  top->addWidget(playerButton_);
  top->addWidget(testPlayButton_);
  outer->addLayout(top);

  auto* info = new QHBoxLayout;
  titleLabel_ = new QLabel(central);
  titleLabel_->setObjectName("lblTitle");
  titleLabel_->setWordWrap(true);
  titleLabel_->setMinimumWidth(300);
  QFont tf = titleLabel_->font();
  tf.setBold(true);
  titleLabel_->setFont(tf);
  auto* nums = new QVBoxLayout;
  speedLabel_ = new QLabel(central);
  speedLabel_->setObjectName("lblSpeed");
  auto* row2 = new QHBoxLayout;
  barLengthLabel_ = new QLabel(central);
  barLengthLabel_->setObjectName("lblPhrlen");
  noteValueLabel_ = new QLabel(central);
  noteValueLabel_->setObjectName("lblNote");
  row2->addWidget(barLengthLabel_);
  row2->addSpacing(16);
  row2->addWidget(noteValueLabel_);
  row2->addStretch(1);
  nums->addWidget(speedLabel_);
  nums->addLayout(row2);
  info->addWidget(titleLabel_, 3);
  info->addLayout(nums, 2);
  outer->addLayout(info);
  // A double click on the song's labels opens the song information.
  for (QLabel* l : {titleLabel_, speedLabel_, barLengthLabel_, noteValueLabel_}) {
    l->installEventFilter(this);
    l->setToolTip(Q("ダブルクリックで曲情報設定"));
  }
  outer->addWidget(grid_, 1);
  setCentralWidget(central);
  statusBar()->setObjectName("StatusBar1");
}

}  // namespace poronka::ui
