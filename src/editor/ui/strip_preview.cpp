#include "editor/ui/strip_preview.h"

#include <QComboBox>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <filesystem>

#include "interchange/strip_file.h"
#include "playback/ui/file_dialogs.h"

namespace poronka::ui {

namespace {

QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }

}  // namespace

StripPreviewDialog::StripPreviewDialog(const Score& score, const MusicBox& box, double mmPerRow, Messages& messages,
                                       QWidget* parent)
    : QDialog(parent), score_(score), box_(box), messages_(messages) {
  setObjectName("dlgStrip");
  setWindowTitle(Q("紙テープの印刷プレビュー　" + box.title));
  printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
  printer_->setFullPage(true);

  auto* layout = new QVBoxLayout(this);
  auto* bar = new QHBoxLayout;
  bar->addWidget(new QLabel(Q("用紙"), this));
  paper_ = new QComboBox(this);
  paper_->setObjectName("cmbPaper");
  paper_->addItems({Q("A4"), Q("レター")});
  bar->addWidget(paper_);
  orientation_ = new QComboBox(this);
  orientation_->setObjectName("cmbOrientation");
  orientation_->addItems({Q("縦"), Q("横")});
  bar->addWidget(orientation_);
  bar->addWidget(new QLabel(Q("1行の長さ"), this));
  mmPerRow_ = new QDoubleSpinBox(this);
  mmPerRow_->setObjectName("spnMmPerRow");
  mmPerRow_->setRange(0.5, 100);
  mmPerRow_->setSingleStep(0.5);
  mmPerRow_->setDecimals(1);
  mmPerRow_->setSuffix(Q(" mm"));
  mmPerRow_->setValue(mmPerRow);
  bar->addWidget(mmPerRow_);
  bar->addWidget(new QLabel(Q("移調"), this));
  shift_ = new QSpinBox(this);
  shift_->setObjectName("spnShift");
  shift_->setRange(-kMaxFitShift, kMaxFitShift);
  bar->addWidget(shift_);
  auto* best = new QPushButton(Q("最適"), this);
  best->setObjectName("btnBestShift");
  bar->addWidget(best);
  bar->addStretch();
  layout->addLayout(bar);

  preview_ = new QPrintPreviewWidget(printer_.get(), this);
  preview_->setObjectName("preview");
  layout->addWidget(preview_, 1);
  status_ = new QLabel(this);
  status_->setObjectName("lblStripStatus");
  layout->addWidget(status_);

  auto* buttons = new QHBoxLayout;
  auto* print = new QPushButton(Q("印刷..."), this);
  print->setObjectName("btnPrint");
  auto* save = new QPushButton(Q("PDF/SVG で保存..."), this);
  save->setObjectName("btnSave");
  auto* close = new QPushButton(Q("閉じる"), this);
  buttons->addStretch();
  buttons->addWidget(print);
  buttons->addWidget(save);
  buttons->addWidget(close);
  layout->addLayout(buttons);

  saveDialog = [this](const std::string& suggested) -> std::optional<std::string> {
    ProgramFileDialog d(this, ProgramFileDialog::Kind::Save, Q("PDF/SVG で保存"),
                        {{Q("PDF 文書"), {"pdf"}}, {Q("SVG 画像"), {"svg"}}});
    d.setObjectName("cdSaveStrip");
    d.selectFile(Q(suggested));
    if (d.exec() != QDialog::Accepted || d.chosenFile().isEmpty()) return std::nullopt;
    QString name = d.chosenFile();
    if (!IsStripFileName(name.toStdString())) name += d.chosenFilter() == 1 ? ".svg" : ".pdf";
    return name.toStdString();
  };
  connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* p) { paint(p); });
  connect(paper_, &QComboBox::currentIndexChanged, this, [this] { relayout(); });
  connect(orientation_, &QComboBox::currentIndexChanged, this, [this] { relayout(); });
  connect(mmPerRow_, &QDoubleSpinBox::valueChanged, this, [this] { relayout(); });
  connect(shift_, &QSpinBox::valueChanged, this, [this] { relayout(); });
  connect(best, &QPushButton::clicked, this, [this] { shift_->setValue(FindBestShift(score_, box_).shift); });
  connect(print, &QPushButton::clicked, this, [this] { printStrip(); });
  connect(save, &QPushButton::clicked, this, [this] { saveToChosenFile(); });
  connect(close, &QPushButton::clicked, this, &QDialog::close);
  resize(900, 700);
  relayout();
}

StripPreviewDialog::~StripPreviewDialog() = default;

void StripPreviewDialog::relayout() {
  StripOptions o;
  o.paper = paper_->currentIndex() == 1 ? StripPaper::Letter : StripPaper::A4;
  o.landscape = orientation_->currentIndex() == 1;
  o.mmPerRow = mmPerRow_->value();
  o.shift = shift_->value();
  std::string error;
  if (!LayoutStrip(score_, box_, o, doc_, error)) {
    doc_ = StripDocument{};
    status_->setText(Q(error));
  } else {
    status_->setText(Q(std::to_string(doc_.pages.size()) + " ページ、テープ " + std::to_string(doc_.pieceCount) +
                       " 枚（長さ " + std::to_string(static_cast<int>(doc_.stripLengthMm + 0.5)) +
                       " mm）　演奏できない音 " + std::to_string(doc_.fit.unplayable.size()) + "、間隔が短すぎる音 " +
                       std::to_string(doc_.fit.tooClose.size()) + "（赤）"));
  }
  printer_->setPageLayout(QPageLayout(QPageSize(o.paper == StripPaper::Letter ? QPageSize::Letter : QPageSize::A4),
                                      o.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                      QMarginsF(0, 0, 0, 0)));
  preview_->updatePreview();
}

void StripPreviewDialog::paint(QPrinter* printer) {
  QPainter painter(printer);
  const double k = printer->resolution() / 25.4;
  for (size_t p = 0; p < doc_.pages.size(); ++p) {
    if (p > 0) printer->newPage();
    PaintStripPage(painter, doc_.pages[p], k);
  }
}

bool StripPreviewDialog::saveAs(const std::string& path) {
  std::string error;
  if (doc_.pages.empty() || !WriteStripFile(path, doc_, error)) {
    messages_.ShowError(error.empty() ? status_->text().toStdString() : error);
    return false;
  }
  return true;
}

void StripPreviewDialog::saveToChosenFile() {
  std::filesystem::path suggested(score_.FileName.empty() ? std::string("無題") : score_.FileName);
  suggested.replace_extension(".pdf");
  const std::optional<std::string> path = saveDialog(suggested.string());
  if (path) saveAs(*path);
}

void StripPreviewDialog::printStrip() {
  if (doc_.pages.empty()) return;
  QPrintDialog dialog(printer_.get(), this);
  if (dialog.exec() != QDialog::Accepted) return;
  printer_->setFullPage(true);
  paint(printer_.get());
}

}  // namespace poronka::ui
