// The print preview of a song's paper strip: paper, orientation, strip
// length per row and transposition, the sheets as they will print, "印刷"
// and "PDF/SVG で保存".
#pragma once

#include <QDialog>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/messages.h"
#include "interchange/strip_layout.h"

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QSpinBox;

namespace poronka::ui {

class StripPreviewDialog : public QDialog {
  Q_OBJECT
 public:
  StripPreviewDialog(const Score& score, const MusicBox& box, double mmPerRow, Messages& messages,
                     QWidget* parent = nullptr);
  ~StripPreviewDialog() override;

  // The layout shown (empty pages when it could not be made).
  const StripDocument& document() const { return doc_; }
  QPrintPreviewWidget* preview() const { return preview_; }
  // Writes the strip as PDF or SVG (by the extension). False after saying why.
  bool saveAs(const std::string& path);

 public slots:
  // "PDF/SVG で保存" with the file dialog.
  void saveToChosenFile();
  // "印刷" with the printer dialog.
  void printStrip();

 public:
  // The save dialog; tests replace it.
  std::function<std::optional<std::string>(const std::string& suggested)> saveDialog;

 private:
  void relayout();
  void paint(QPrinter* printer);

  const Score& score_;
  MusicBox box_;
  Messages& messages_;
  StripDocument doc_;
  std::unique_ptr<QPrinter> printer_;
  QPrintPreviewWidget* preview_ = nullptr;
  QComboBox* paper_ = nullptr;
  QComboBox* orientation_ = nullptr;
  QDoubleSpinBox* mmPerRow_ = nullptr;
  QSpinBox* shift_ = nullptr;
  QLabel* status_ = nullptr;
};

}  // namespace poronka::ui
