#include "playback/ui/message_boxes.h"

#include <QApplication>
#include <QMessageBox>

namespace poronka::ui {

QString BoxText(const std::string& text) {
  QString s = QString::fromStdString(text);
  s.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  s.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  return s;
}

namespace {
void RestoreCursor() {
  while (QApplication::overrideCursor()) QApplication::restoreOverrideCursor();
}
}  // namespace

QString PlayerMessageBoxes::Caption() const {
  return caption_ ? caption_() : QString::fromUtf8("ポロンカ");
}

void PlayerMessageBoxes::ShowError(const std::string& text) {
  RestoreCursor();
  QMessageBox::warning(parent_, Caption(), BoxText(text), QMessageBox::Ok);
}

void PlayerMessageBoxes::ShowInformation(const std::string& text) {
  RestoreCursor();
  QMessageBox::information(parent_, Caption(), BoxText(text), QMessageBox::Ok);
}

bool PlayerMessageBoxes::AskOkCancel(const std::string& text) {
  RestoreCursor();
  return QMessageBox::question(parent_, Caption(), BoxText(text),
                               QMessageBox::Ok | QMessageBox::Cancel,
                               QMessageBox::Cancel) == QMessageBox::Ok;
}

}  // namespace poronka::ui
