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

  // Fills the fields.
  void FormShow(const editor::SongInfoFields& f);
  editor::SongInfoFields Fields() const;
  // Called by OK; returns the field to focus on a refusal, None to close.
  std::function<editor::SongInfoField(const editor::SongInfoFields&)> onOk;

  void OKButtonClick();
  void CancelButClick() { reject(); }

  QLineEdit* txtSpeed = nullptr;
  QLineEdit* txtPhrlen = nullptr;
  QLineEdit* txtNote = nullptr;
  QLineEdit* txtBRC = nullptr;
  QPlainTextEdit* txtTitle = nullptr;
  QPushButton* OKButton = nullptr;
  QPushButton* CancelBut = nullptr;
};

}  // namespace poronka::ui
