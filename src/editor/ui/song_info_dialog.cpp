#include "editor/ui/song_info_dialog.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace poronka::ui {

using namespace poronka::editor;

namespace {
QString Q(const char* s) { return QString::fromUtf8(s); }
}  // namespace

QString QtInputMask(const std::string& mask) {
  // Masked edits: '0' digit required, '9' digit optional, '#' digit or sign
  // optional, 'C' any character required, 'c' optional; the last part after
  // ';' is the blank character.
  const std::string body = mask.substr(0, mask.find(';'));
  const size_t last = mask.rfind(';');
  const std::string blank = last == std::string::npos ? "_" : mask.substr(last + 1);
  QString out;
  for (char c : body) {
    switch (c) {
      case '0': out += '9'; break;
      case '9': out += '0'; break;
      case '#': out += '#'; break;
      case 'C': out += 'X'; break;
      case 'c': out += 'x'; break;
      default: out += '\\'; out += QChar(c); break;
    }
  }
  return out + ";" + QString::fromStdString(blank.empty() ? "_" : blank);
}

SongInfoDialog::SongInfoDialog(QWidget* parent) : QDialog(parent) {
  setObjectName("frmDialog");
  setWindowTitle(Q("曲名等の設定"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setModal(true);
  auto edit = [this](const char* name, const char* mask, int len) {
    auto* e = new QLineEdit(this);
    e->setObjectName(name);
    e->setInputMask(QtInputMask(mask));
    e->setMaxLength(len);
    e->setMaximumWidth(80);
    return e;
  };
  speedEdit_ = edit("txtSpeed", "9999;1;_", 4);
  rowsPerBarEdit_ = edit("txtPhrlen", "999;1;_", 3);
  noteValueEdit_ = edit("txtNote", "99;1;_", 2);
  preCountEdit_ = edit("txtBRC", "9999;1;_", 4);
  titleEdit_ = new QPlainTextEdit(this);
  titleEdit_->setObjectName("txtTitle");
  titleEdit_->setLineWrapMode(QPlainTextEdit::NoWrap);
  titleEdit_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  titleEdit_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  titleEdit_->setMinimumSize(320, 90);
  auto* form = new QFormLayout;
  form->addRow(Q("曲の速さ（mS）"), speedEdit_);
  form->addRow(Q("１小節あたりの行数"), rowsPerBarEdit_);
  form->addRow(Q("音符の種類（分音符）"), noteValueEdit_);
  form->addRow(Q("開始前カウント行数"), preCountEdit_);
  auto* titleLabel = new QLabel(Q("曲名等"), this);
  okButton_ = new QPushButton(Q("Ｏ　Ｋ"), this);
  okButton_->setObjectName("OKButton");
  okButton_->setDefault(false);
  okButton_->setAutoDefault(false);
  cancelButton_ = new QPushButton(Q("キャンセル"), this);
  cancelButton_->setObjectName("CancelBut");
  cancelButton_->setAutoDefault(false);
  connect(okButton_, &QPushButton::clicked, this, &SongInfoDialog::acceptIfValid);
  connect(cancelButton_, &QPushButton::clicked, this, &SongInfoDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(okButton_);
  buttons->addWidget(cancelButton_);
  auto* v = new QVBoxLayout(this);
  v->addLayout(form);
  v->addWidget(titleLabel);
  v->addWidget(titleEdit_, 1);
  v->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(380, 330)));
}

void SongInfoDialog::setFields(const SongInfoFields& f) {
  titleEdit_->setPlainText(QString::fromStdString(f.title).replace("\r\n", "\n"));
  speedEdit_->setText(QString::fromStdString(f.speed));
  rowsPerBarEdit_->setText(QString::fromStdString(f.phrlen));
  noteValueEdit_->setText(QString::fromStdString(f.note));
  preCountEdit_->setText(QString::fromStdString(f.brc));
}

SongInfoFields SongInfoDialog::fields() const {
  SongInfoFields f;
  f.speed = speedEdit_->text().toStdString();
  f.phrlen = rowsPerBarEdit_->text().toStdString();
  f.note = noteValueEdit_->text().toStdString();
  f.brc = preCountEdit_->text().toStdString();
  f.title = titleEdit_->toPlainText().toStdString();
  return f;
}

void SongInfoDialog::acceptIfValid() {
  const SongInfoField bad = validate ? validate(fields()) : SongInfoField::None;
  switch (bad) {
    case SongInfoField::None: accept(); return;
    case SongInfoField::Speed: speedEdit_->setFocus(); break;
    case SongInfoField::Phrlen: rowsPerBarEdit_->setFocus(); break;
    case SongInfoField::Note: noteValueEdit_->setFocus(); break;
    case SongInfoField::Brc: preCountEdit_->setFocus(); break;
  }
}

}  // namespace poronka::ui
