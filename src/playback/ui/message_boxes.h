// Messages shown as message boxes over the player window: errors and
// information with an OK button, questions with OK and Cancel (Enter is OK,
// Escape cancels). A box is centred on its window, or on the screen while
// that window is not shown, and takes the focus. The normal cursor is
// restored before a box appears.
#pragma once

#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

#include "core/messages.h"

namespace poronka::ui {

class PlayerMessageBoxes : public Messages {
 public:
  // `caption` gives the boxes' caption (the application title).
  explicit PlayerMessageBoxes(QWidget* parent, std::function<QString()> caption = {})
      : parent_(parent), caption_(std::move(caption)) {}
  void ShowError(const std::string& text) override;
  void ShowInformation(const std::string& text) override;
  bool AskOkCancel(const std::string& text) override;

 private:
  QString Caption() const;
  int Run(QMessageBox::Icon icon, const std::string& text, QMessageBox::StandardButtons buttons,
          QMessageBox::StandardButton okButton);
  QPointer<QWidget> parent_;
  std::function<QString()> caption_;
};

// A lone "\r" reads as a line break in a box; "\r\n" and "\n" already do.
QString BoxText(const std::string& text);

}  // namespace poronka::ui
