// The editor's music box menu ("オルゴール(&B)"): which paper-strip box the
// song is meant for, the fit report whose lines lead to their rows,
// "収まるように移調", "オルゴールの音階に合わせる" and the strip's print
// preview; and "WAV で保存" in the file menu. Added to a EditorWindow when it is
// made.
#pragma once

#include <QDialog>
#include <QObject>
#include <functional>
#include <optional>
#include <string>

#include "interchange/box_fit.h"
#include "interchange/music_box.h"
#include "settings/sound_settings.h"

class QActionGroup;
class QDoubleSpinBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QMenu;

namespace poronka::ui {

class AudioExporter;
class EditorWindow;

// The list of notes the box cannot play or plays too soon; clicking a line
// moves the editor's cursor to that note.
class FitReportDialog : public QDialog {
  Q_OBJECT
 public:
  FitReportDialog(QWidget* parent, std::function<FitReport(double mmPerRow)> check,
                  std::function<void(int32_t row, int32_t column)> jumpTo, double mmPerRow);

 public slots:
  // Runs the check again (after edits) and refills the list.
  void refresh();

 public:
  QListWidget* list() const { return list_; }
  QDoubleSpinBox* mmPerRowBox() const { return mmPerRow_; }
  QLabel* summary() const { return summary_; }

 private:
  std::function<FitReport(double)> check_;
  std::function<void(int32_t, int32_t)> jumpTo_;
  QLabel* summary_;
  QDoubleSpinBox* mmPerRow_;
  QListWidget* list_;
};

class BoxTools : public QObject {
  Q_OBJECT
 public:
  BoxTools(EditorWindow& window, const SoundSettings& settings);

  // The folder of the shipped boxes.
  static std::string boxFolder();

  const MusicBox& box() const { return box_; }
  bool hasBox() const { return !box_.pitches.empty(); }
  double mmPerRow() const { return mmPerRow_; }

 public slots:
  void chooseBox(const MusicBox& box);
  void showFitReport();
  void transposeScoreToFit();
  void mapScoreToBoxComb();
  void showStripPreview();
  // "ファイルから読み込む...": a box file of the user's.
  void loadBoxFromFile();

 public:
  AudioExporter* exporter() const { return exporter_; }
  FitReportDialog* fitDialog() const { return fitDialog_; }
  // The box file dialog; tests replace it.
  std::function<std::optional<std::string>()> boxFileDialog;

 private:
  void buildMenu();
  void afterOperation(bool changed);
  void updateBoxActions();

  EditorWindow& w_;
  MusicBox box_;
  double mmPerRow_ = kDefaultMmPerRow;
  QMenu* menu_ = nullptr;
  QMenu* boxMenu_ = nullptr;
  QActionGroup* boxGroup_ = nullptr;
  AudioExporter* exporter_ = nullptr;
  FitReportDialog* fitDialog_ = nullptr;
};

}  // namespace poronka::ui
