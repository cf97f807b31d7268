#include "editor/ui/prompt_dialog.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "editor/ui/song_info_dialog.h"

namespace poronka::ui {

using namespace poronka::editor;

namespace {
QString Q(const std::string& s) { return QString::fromStdString(s); }
QString Q(const char* s) { return QString::fromUtf8(s); }
}  // namespace

PromptDialog::PromptDialog(const PromptRequest& request, PromptOk onOk, QWidget* parent)
    : QDialog(parent), mode_(request.mode), onOk_(std::move(onOk)) {
  setObjectName("frmIOBox");
  setWindowTitle(request.caption.empty() ? Q("確認ダイアログ") : Q(request.caption));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);
  Label1 = new QLabel(request.text.empty() ? Q("ほんとうですか？") : Q(request.text), this);
  Label1->setObjectName("Label1");
  Label1->setWordWrap(true);
  Label1->setText(Label1->text().replace("\r\n", "\n").replace('\r', '\n'));
  Label1->setMinimumWidth(300);
  txtNote = new QLineEdit(this);
  txtNote->setObjectName("txtNote");
  txtNote->setInputMask(QtInputMask(request.mask.empty() ? "0C;1;_" : request.mask));
  txtNote->setMaximumWidth(80);
  txtNote->setVisible(false);
  cmbOct = new QComboBox(this);
  cmbOct->setObjectName("cmbOct");
  cmbOct->setEditable(false);
  cmbOct->setMaximumWidth(80);
  cmbOct->setVisible(false);
  ButOK = new QPushButton(Q("Ｏ  Ｋ"), this);
  ButOK->setObjectName("ButOK");
  ButCancel = new QPushButton(Q("キャンセル"), this);
  ButCancel->setObjectName("ButCancel");
  connect(ButOK, &QPushButton::clicked, this, [this] { ButOKClick(); });
  connect(ButCancel, &QPushButton::clicked, this, [this] { ButCancelClick(); });

  switch (mode_) {
    case PromptMode::ColAdd:
    case PromptMode::Phrajt:
      txtNote->setVisible(true);
      txtNote->setText(Q(request.entry));
      break;
    case PromptMode::NotMov: {
      QStringList items;
      if (request.items.empty()) {
        for (int i = -24; i <= 24; ++i) items << (i > 0 ? QString("+%1").arg(i) : QString::number(i));
      } else {
        for (const auto& it : request.items) items << Q(it);
      }
      cmbOct->addItems(items);
      const int sel = cmbOct->findText(Q(request.selected.empty() ? "0" : request.selected));
      cmbOct->setCurrentIndex(sel >= 0 ? sel : 0);
      cmbOct->setVisible(true);
      break;
    }
    case PromptMode::Test:
      ButOK->setVisible(false);
      ButCancel->setText(Q("中止"));
      break;
  }

  auto* entry = new QHBoxLayout;
  entry->addStretch(1);
  entry->addWidget(txtNote);
  entry->addWidget(cmbOct);
  entry->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ButOK);
  buttons->addWidget(ButCancel);
  buttons->addStretch(1);
  auto* v = new QVBoxLayout(this);
  v->addWidget(Label1);
  v->addLayout(entry);
  v->addLayout(buttons);
  if (txtNote->isVisibleTo(this)) txtNote->setFocus();
  if (cmbOct->isVisibleTo(this)) cmbOct->setFocus();
}

void PromptDialog::ButOKClick() {
  std::string entry = mode_ == PromptMode::NotMov ? cmbOct->currentText().toStdString()
                                                   : txtNote->text().toStdString();
  std::string result = result_;
  if (onOk_) {
    if (!onOk_(entry, result)) {  // a refused entry keeps the box open
      txtNote->setFocus();
      return;
    }
  } else {
    result = entry;
  }
  result_ = result;
  closing_ = true;
  accept();
}

void PromptDialog::ButCancelClick() { reject(); }

void PromptDialog::reject() {
  if (!closing_) result_ = PromptCancelResult(mode_, result_);
  closing_ = true;
  QDialog::reject();
}

}  // namespace poronka::ui
