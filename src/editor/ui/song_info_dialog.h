// SongInfoDialog: the song information dialog (title, speed, rows per bar, note
// value, pre-count rows). The checks and their effects are ApplySongInfo's.
#pragma once

#include <QDialog>
#include <functional>

#include "editor/editor_ops.h"

class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace poronka::ui {

// Qt input mask of a masked-edit mask such as "9999;1;_" or "0C;1;_".
QString QtInputMask(const std::string& mask);

class SongInfoDialog : public QDialog {
  Q_OBJECT
 public:
  explicit SongInfoDialog(QWidget* parent = nullptr);

  void setFields(const editor::SongInfoFields& f);
  editor::SongInfoFields fields() const;
  // Called by OK with the fields; returns the field to focus on a refusal,
  // None to close the dialog as accepted.
  std::function<editor::SongInfoField(const editor::SongInfoFields&)> validate;

  QLineEdit* speedEdit() const { return speedEdit_; }
  QLineEdit* rowsPerBarEdit() const { return rowsPerBarEdit_; }
  QLineEdit* noteValueEdit() const { return noteValueEdit_; }
  QLineEdit* preCountEdit() const { return preCountEdit_; }
  QPlainTextEdit* titleEdit() const { return titleEdit_; }
  QPushButton* okButton() const { return okButton_; }
  QPushButton* cancelButton() const { return cancelButton_; }

 public slots:
  // OK: accepts when `validate` takes the fields, otherwise focuses the
  // field it refused.
  void acceptIfValid();

 private:
  QLineEdit* speedEdit_ = nullptr;
  QLineEdit* rowsPerBarEdit_ = nullptr;
  QLineEdit* noteValueEdit_ = nullptr;
  QLineEdit* preCountEdit_ = nullptr;
  QPlainTextEdit* titleEdit_ = nullptr;
  QPushButton* okButton_ = nullptr;
  QPushButton* cancelButton_ = nullptr;
};

}  // namespace poronka::ui
