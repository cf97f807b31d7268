// PromptDialog: the prompt box in its modes ColAdd (a new pitch name), NotMov
// (a transposition amount), Test (test play running) and Phrajt (a bar
// length change). The caller's PromptOk decides whether OK closes it.
#pragma once

#include <QDialog>

#include "editor/editor_state.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace poronka::ui {

class PromptDialog : public QDialog {
  Q_OBJECT
 public:
  PromptDialog(const editor::PromptRequest& request, editor::PromptOk onOk, QWidget* parent = nullptr);

  // The prompt result after the box has closed.
  const std::string& result() const { return result_; }
  editor::PromptMode mode() const { return mode_; }

  QLabel* messageLabel() const { return messageLabel_; }
  // The typed entry (ColAdd, Phrajt) and the list of amounts (NotMov).
  QLineEdit* entryEdit() const { return entryEdit_; }
  QComboBox* amountBox() const { return amountBox_; }
  QPushButton* okButton() const { return okButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }

 public slots:
  // OK: hands the entry to the caller's PromptOk and closes only when it
  // takes it.
  void acceptIfValid();
  // Cancel, Escape and closing the box.
  void reject() override;

 private:
  editor::PromptMode mode_;
  editor::PromptOk onOk_;
  std::string result_;
  bool closing_ = false;
  QLabel* messageLabel_ = nullptr;
  QLineEdit* entryEdit_ = nullptr;
  QComboBox* amountBox_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace poronka::ui
