#include "playback/ui/message_boxes.h"

#include "core/app_texts.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

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
  return caption_ ? caption_() : QString::fromUtf8(kApplicationName);
}

int PlayerMessageBoxes::Run(QMessageBox::Icon icon, const std::string& text,
                            QMessageBox::StandardButtons buttons, QMessageBox::StandardButton okButton) {
  RestoreCursor();
  // Over its window while that is on screen; otherwise (the device error
  // during start-up) centred on the screen and above the splash.
  QWidget* owner = parent_ && parent_->window()->isVisible() ? parent_->window() : nullptr;
  QMessageBox box(icon, Caption(), BoxText(text), buttons, owner);
  if (!owner) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  box.setDefaultButton(okButton);
  if (buttons & QMessageBox::Cancel) box.setEscapeButton(QMessageBox::Cancel);
  // Once shown, the box takes the focus.
  QMetaObject::invokeMethod(
      &box,
      [&box] {
        box.raise();
        box.activateWindow();
        if (QAbstractButton* b = box.defaultButton()) b->setFocus();
      },
      Qt::QueuedConnection);
  return box.exec();
}

void PlayerMessageBoxes::ShowError(const std::string& text) {
  Run(QMessageBox::Warning, text, QMessageBox::Ok, QMessageBox::Ok);
}

void PlayerMessageBoxes::ShowInformation(const std::string& text) {
  Run(QMessageBox::Information, text, QMessageBox::Ok, QMessageBox::Ok);
}

bool PlayerMessageBoxes::AskOkCancel(const std::string& text) {
  return Run(QMessageBox::Question, text, QMessageBox::Ok | QMessageBox::Cancel, QMessageBox::Ok) ==
         QMessageBox::Ok;
}

}  // namespace poronka::ui
