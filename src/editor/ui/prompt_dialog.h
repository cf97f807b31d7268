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

  void ButOKClick();
  void ButCancelClick();
  void reject() override;  // Escape and close act as Cancel

  // The prompt result after the box has closed.
  const std::string& Result() const { return result_; }
  editor::PromptMode Mode() const { return mode_; }

  QLabel* Label1 = nullptr;
  QLineEdit* txtNote = nullptr;
  QComboBox* cmbOct = nullptr;
  QPushButton* ButOK = nullptr;
  QPushButton* ButCancel = nullptr;

 private:
  editor::PromptMode mode_;
  editor::PromptOk onOk_;
  std::string result_;
  bool closing_ = false;
};

}  // namespace poronka::ui
