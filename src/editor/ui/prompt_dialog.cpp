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
  messageLabel_ = new QLabel(request.text.empty() ? Q("ほんとうですか？") : Q(request.text), this);
  messageLabel_->setObjectName("Label1");
  messageLabel_->setWordWrap(true);
  messageLabel_->setText(messageLabel_->text().replace("\r\n", "\n").replace('\r', '\n'));
  messageLabel_->setMinimumWidth(300);
  entryEdit_ = new QLineEdit(this);
  entryEdit_->setObjectName("txtNote");
  entryEdit_->setInputMask(QtInputMask(request.mask.empty() ? "0C;1;_" : request.mask));
  entryEdit_->setMaximumWidth(80);
  entryEdit_->setVisible(false);
  amountBox_ = new QComboBox(this);
  amountBox_->setObjectName("cmbOct");
  amountBox_->setEditable(false);
  amountBox_->setMaximumWidth(80);
  amountBox_->setVisible(false);
  okButton_ = new QPushButton(Q("Ｏ  Ｋ"), this);
  okButton_->setObjectName("ButOK");
  cancelButton_ = new QPushButton(Q("キャンセル"), this);
  cancelButton_->setObjectName("ButCancel");
  connect(okButton_, &QPushButton::clicked, this, &PromptDialog::acceptIfValid);
  connect(cancelButton_, &QPushButton::clicked, this, &PromptDialog::reject);

  switch (mode_) {
    case PromptMode::ColAdd:
    case PromptMode::Phrajt:
      entryEdit_->setVisible(true);
      entryEdit_->setText(Q(request.entry));
      break;
    case PromptMode::NotMov: {
      QStringList items;
      if (request.items.empty()) {
        for (int i = -24; i <= 24; ++i) items << (i > 0 ? QString("+%1").arg(i) : QString::number(i));
      } else {
        for (const auto& it : request.items) items << Q(it);
      }
      amountBox_->addItems(items);
      const int sel = amountBox_->findText(Q(request.selected.empty() ? "0" : request.selected));
      amountBox_->setCurrentIndex(sel >= 0 ? sel : 0);
      amountBox_->setVisible(true);
      break;
    }
    case PromptMode::Test:
      okButton_->setVisible(false);
      cancelButton_->setText(Q("中止"));
      break;
  }

  auto* entry = new QHBoxLayout;
  entry->addStretch(1);
  entry->addWidget(entryEdit_);
  entry->addWidget(amountBox_);
  entry->addStretch(1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  buttons->addStretch(1);
  auto* v = new QVBoxLayout(this);
  v->addWidget(messageLabel_);
  v->addLayout(entry);
  v->addLayout(buttons);
  if (entryEdit_->isVisibleTo(this)) entryEdit_->setFocus();
  if (amountBox_->isVisibleTo(this)) amountBox_->setFocus();
}

void PromptDialog::acceptIfValid() {
  std::string entry = mode_ == PromptMode::NotMov ? amountBox_->currentText().toStdString()
                                                   : entryEdit_->text().toStdString();
  std::string result = result_;
  if (onOk_) {
    if (!onOk_(entry, result)) {  // a refused entry keeps the box open
      entryEdit_->setFocus();
      return;
    }
  } else {
    result = entry;
  }
  result_ = result;
  closing_ = true;
  accept();
}

void PromptDialog::reject() {
  if (!closing_) result_ = PromptCancelResult(mode_, result_);
  closing_ = true;
  QDialog::reject();
}

}  // namespace poronka::ui
