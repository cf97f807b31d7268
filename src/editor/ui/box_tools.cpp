#include "editor/ui/box_tools.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdio>

#include "editor/box_ops.h"
#include "editor/ui/editor_window.h"
#include "editor/ui/strip_preview.h"
#include "library/app_paths.h"
#include "playback/ui/audio_export.h"
#include "playback/ui/file_dialogs.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

// The box chosen last; the next editor starts with it.
std::string& LastBoxName() {
  static std::string name = "30";
  return name;
}

QString NoteLine(const FitNote& n, const std::string& what) {
  return Q("行 " + std::to_string(n.row) + "（" + std::to_string(n.label.bar) + "･" + std::to_string(n.label.beat) +
           "） " + FitPitchName(n.pitch) + "　" + what);
}

}  // namespace

// ---- the fit report --------------------------------------------------------------

FitReportDialog::FitReportDialog(QWidget* parent, std::function<FitReport(double)> check,
                                 std::function<void(int32_t, int32_t)> jumpTo, double mmPerRow)
    : QDialog(parent), check_(std::move(check)), jumpTo_(std::move(jumpTo)) {
  setObjectName("dlgFit");
  setWindowTitle(Q("適合チェック"));
  auto* layout = new QVBoxLayout(this);
  summary_ = new QLabel(this);
  summary_->setObjectName("lblFitSummary");
  layout->addWidget(summary_);
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(Q("1行の長さ"), this));
  mmPerRow_ = new QDoubleSpinBox(this);
  mmPerRow_->setObjectName("spnMmPerRow");
  mmPerRow_->setRange(0.5, 100);
  mmPerRow_->setSingleStep(0.5);
  mmPerRow_->setDecimals(1);
  mmPerRow_->setSuffix(Q(" mm"));
  mmPerRow_->setValue(mmPerRow);
  row->addWidget(mmPerRow_);
  row->addStretch();
  layout->addLayout(row);
  list_ = new QListWidget(this);
  list_->setObjectName("lstFit");
  layout->addWidget(list_);
  auto* buttons = new QDialogButtonBox(this);
  buttons->addButton(Q("再チェック"), QDialogButtonBox::ActionRole)->setObjectName("btnRecheck");
  buttons->addButton(QDialogButtonBox::Close)->setText(Q("閉じる"));
  layout->addWidget(buttons);
  connect(buttons, &QDialogButtonBox::clicked, this, [this, buttons](QAbstractButton* b) {
    if (buttons->buttonRole(b) == QDialogButtonBox::RejectRole) close();
    else refresh();
  });
  connect(mmPerRow_, &QDoubleSpinBox::valueChanged, this, [this] { refresh(); });
  connect(list_, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    const int32_t r = item->data(Qt::UserRole).toInt();
    if (r > 0) jumpTo_(r, item->data(Qt::UserRole + 1).toInt());
  });
  resize(420, 480);
  refresh();
}

void FitReportDialog::refresh() {
  const FitReport r = check_(mmPerRow_->value());
  summary_->setText(Q("音の数 " + std::to_string(r.notes) + "、演奏できない音 " + std::to_string(r.unplayable.size()) +
                      "、間隔が短すぎる音 " + std::to_string(r.tooClose.size()) +
                      (r.Fits() ? "\nこのオルゴールで演奏できます。" : "\n行をクリックするとその音へ移ります。")));
  list_->clear();
  // Both kinds in row order.
  std::vector<std::pair<const FitNote*, std::string>> lines;
  for (const FitNote& n : r.unplayable) lines.push_back({&n, "オルゴールにない音"});
  for (const TooCloseNote& n : r.tooClose) {
    char mm[32];
    std::snprintf(mm, sizeof mm, "%.1f", n.distanceMm);
    lines.push_back({&n, "前の穴（行 " + std::to_string(n.previousRow) + "）から " + mm + " mm"});
  }
  std::stable_sort(lines.begin(), lines.end(), [](const auto& a, const auto& b) { return a.first->row < b.first->row; });
  for (const auto& [n, what] : lines) {
    auto* item = new QListWidgetItem(NoteLine(*n, what), list_);
    item->setData(Qt::UserRole, n->row);
    item->setData(Qt::UserRole + 1, n->column);
  }
}

// ---- the menu ------------------------------------------------------------------------

std::string BoxTools::boxFolder() {
  return FindInstallFolder(QCoreApplication::applicationDirPath().toStdString()) + "/boxes";
}

BoxTools::BoxTools(EditorWindow& window, const SoundSettings& settings) : QObject(&window), w_(window) {
  setObjectName("BoxTools");
  exporter_ = new AudioExporter(&w_, w_.context().score, settings, w_.context().messages);
  // "WAV で保存" follows the Save As command in the file menu.
  if (QMenu* file = w_.findChild<QMenu*>("SMFile")) {
    const QList<QAction*> items = file->actions();
    QAction* before = nullptr;
    for (int i = 0; i + 1 < items.size(); ++i)
      if (items[i]->objectName() == "SMFSaveAs") before = items[i + 1];
    file->insertAction(before, exporter_->action());
  }
  boxFileDialog = [this]() -> std::optional<std::string> {
    ProgramFileDialog d(&w_, ProgramFileDialog::Kind::Open, Q("オルゴールのファイル"),
                        {{Q("オルゴールの種類"), {"box"}}, AllFilesFilter()});
    d.setObjectName("cdOpenBox");
    d.setDirectory(Q(boxFolder()));
    if (d.exec() != QDialog::Accepted || d.chosenFile().isEmpty()) return std::nullopt;
    return d.chosenFile().toStdString();
  };
  buildMenu();
}

void BoxTools::buildMenu() {
  menu_ = new QMenu(Q("オルゴール(&B)"), &w_);
  menu_->setObjectName("SMBox");
  QMenu* help = w_.findChild<QMenu*>("SMHelp");
  w_.menuBar()->insertMenu(help ? help->menuAction() : nullptr, menu_);
  boxMenu_ = menu_->addMenu(Q("オルゴールの種類(&K)"));
  boxMenu_->setObjectName("SMBKind");
  boxGroup_ = new QActionGroup(this);
  const std::vector<MusicBox> boxes = ListMusicBoxes(boxFolder());
  for (const MusicBox& b : boxes) {
    QAction* a = boxMenu_->addAction(Q(b.title), this, [this, b] { chooseBox(b); });
    a->setObjectName(Q("SMBKind_" + b.name));
    a->setCheckable(true);
    boxGroup_->addAction(a);
  }
  boxMenu_->addSeparator();
  boxMenu_->addAction(Q("ファイルから読み込む(&F)..."), this, [this] { loadBoxFromFile(); })->setObjectName("SMBFile");
  menu_->addAction(Q("適合チェック(&C)..."), this, [this] { showFitReport(); })->setObjectName("SMBFit");
  menu_->addAction(Q("収まるように移調(&T)"), this, [this] { transposeScoreToFit(); })->setObjectName("SMBTranspose");
  menu_->addAction(Q("オルゴールの音階に合わせる(&M)"), this, [this] { mapScoreToBoxComb(); })->setObjectName("SMBMap");
  menu_->addSeparator();
  menu_->addAction(Q("紙テープの印刷プレビュー(&P)..."), this, [this] { showStripPreview(); })
      ->setObjectName("SMBStrip");
  for (const MusicBox& b : boxes)
    if (b.name == LastBoxName() || (!hasBox() && &b == &boxes.back())) chooseBox(b);
  updateBoxActions();
}

void BoxTools::chooseBox(const MusicBox& box) {
  box_ = box;
  LastBoxName() = box.name;
  for (QAction* a : boxGroup_->actions()) a->setChecked(a->objectName() == Q("SMBKind_" + box.name));
  updateBoxActions();
  if (fitDialog_) fitDialog_->refresh();
}

void BoxTools::updateBoxActions() {
  for (const char* name : {"SMBFit", "SMBTranspose", "SMBMap", "SMBStrip"})
    if (QAction* a = menu_->findChild<QAction*>(name)) a->setEnabled(hasBox());
  menu_->setToolTip(hasBox() ? Q(box_.title) : QString());
}

void BoxTools::loadBoxFromFile() {
  const std::optional<std::string> path = boxFileDialog();
  if (!path) return;
  MusicBox b;
  std::string error;
  if (!LoadMusicBox(*path, b, error)) {
    w_.context().messages.ShowError(error);
    return;
  }
  chooseBox(b);
}

void BoxTools::afterOperation(bool changed) {
  if (changed) {
    w_.afterChange(SnapshotKind::None);
    w_.syncCursorFromState();
  }
  w_.updateCursorLabel();
  w_.grid()->setFocus();
  if (fitDialog_ && fitDialog_->isVisible()) fitDialog_->refresh();
}

void BoxTools::transposeScoreToFit() {
  if (!hasBox()) return;
  w_.readSelectionFromView();
  afterOperation(TransposeToFit(w_.context(), box_).changed);
}

void BoxTools::mapScoreToBoxComb() {
  if (!hasBox()) return;
  w_.readSelectionFromView();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  const bool changed = MapScoreToComb(w_.context(), box_).changed;
  if (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
  afterOperation(changed);
}

void BoxTools::showFitReport() {
  if (!hasBox()) return;
  if (!fitDialog_) {
    fitDialog_ = new FitReportDialog(
        &w_,
        [this](double mm) {
          mmPerRow_ = mm;
          return CheckFit(w_.context().score, box_, mm);
        },
        [this](int32_t row, int32_t col) {
          const Score& s = w_.context().score;
          EditorState& st = w_.state();
          st.MoveTo({std::clamp(col, 1, std::max(1, s.ColumnCount)), GridRowOf(std::clamp(row, 1, s.RowCount))});
          st.RememberCurrent();
          w_.syncCursorFromState();
          w_.grid()->scrollTo(w_.grid()->currentIndex(), QAbstractItemView::PositionAtCenter);
          w_.updateCursorLabel();
        },
        mmPerRow_);
  }
  fitDialog_->refresh();
  fitDialog_->show();
  fitDialog_->raise();
}

void BoxTools::showStripPreview() {
  if (!hasBox()) return;
  auto* d = new StripPreviewDialog(w_.context().score, box_, mmPerRow_, w_.context().messages, &w_);
  d->setAttribute(Qt::WA_DeleteOnClose);
  d->open();
}

}  // namespace poronka::ui
