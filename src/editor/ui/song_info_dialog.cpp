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
  txtSpeed = edit("txtSpeed", "9999;1;_", 4);
  txtPhrlen = edit("txtPhrlen", "999;1;_", 3);
  txtNote = edit("txtNote", "99;1;_", 2);
  txtBRC = edit("txtBRC", "9999;1;_", 4);
  txtTitle = new QPlainTextEdit(this);
  txtTitle->setObjectName("txtTitle");
  txtTitle->setLineWrapMode(QPlainTextEdit::NoWrap);
  txtTitle->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtTitle->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  txtTitle->setMinimumSize(320, 90);
  auto* form = new QFormLayout;
  form->addRow(Q("曲の速さ（mS）"), txtSpeed);
  form->addRow(Q("１小節あたりの行数"), txtPhrlen);
  form->addRow(Q("音符の種類（分音符）"), txtNote);
  form->addRow(Q("開始前カウント行数"), txtBRC);
  auto* titleLabel = new QLabel(Q("曲名等"), this);
  OKButton = new QPushButton(Q("Ｏ　Ｋ"), this);
  OKButton->setObjectName("OKButton");
  OKButton->setDefault(false);
  OKButton->setAutoDefault(false);
  CancelBut = new QPushButton(Q("キャンセル"), this);
  CancelBut->setObjectName("CancelBut");
  CancelBut->setAutoDefault(false);
  connect(OKButton, &QPushButton::clicked, this, [this] { OKButtonClick(); });
  connect(CancelBut, &QPushButton::clicked, this, [this] { CancelButClick(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(OKButton);
  buttons->addWidget(CancelBut);
  auto* v = new QVBoxLayout(this);
  v->addLayout(form);
  v->addWidget(titleLabel);
  v->addWidget(txtTitle, 1);
  v->addLayout(buttons);
  setFixedSize(sizeHint().expandedTo(QSize(380, 330)));
}

void SongInfoDialog::FormShow(const SongInfoFields& f) {
  txtTitle->setPlainText(QString::fromStdString(f.title).replace("\r\n", "\n"));
  txtSpeed->setText(QString::fromStdString(f.speed));
  txtPhrlen->setText(QString::fromStdString(f.phrlen));
  txtNote->setText(QString::fromStdString(f.note));
  txtBRC->setText(QString::fromStdString(f.brc));
}

SongInfoFields SongInfoDialog::Fields() const {
  SongInfoFields f;
  f.speed = txtSpeed->text().toStdString();
  f.phrlen = txtPhrlen->text().toStdString();
  f.note = txtNote->text().toStdString();
  f.brc = txtBRC->text().toStdString();
  f.title = txtTitle->toPlainText().toStdString();
  return f;
}

void SongInfoDialog::OKButtonClick() {
  const SongInfoField bad = onOk ? onOk(Fields()) : SongInfoField::None;
  switch (bad) {
    case SongInfoField::None: accept(); return;
    case SongInfoField::Speed: txtSpeed->setFocus(); break;
    case SongInfoField::Phrlen: txtPhrlen->setFocus(); break;
    case SongInfoField::Note: txtNote->setFocus(); break;
    case SongInfoField::Brc: txtBRC->setFocus(); break;
  }
}

}  // namespace poronka::ui
