// The loading window: the file's name as caption, a fixed label and a bar
// from 0 to 120 that song loaders move forward while they read.
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include "core/load_hooks.h"

class QLabel;
class QProgressBar;

namespace poronka {

class LoadingWindow : public QWidget, public LoadProgress {
  Q_OBJECT

 public:
  explicit LoadingWindow(QWidget* parent = nullptr);

  // LoadProgress
  void Open(const std::string& caption) override;
  int Position() const override;
  void StepIt() override;
  void SetToMax() override;
  void Close() override;

  QLabel* label() const { return label_; }
  QProgressBar* progressBar() const { return bar_; }

 private:
  QLabel* label_;
  QProgressBar* bar_;
  int position_ = 0;  // what the bar shows
};

// Lets pending window events run during a long load without spending the
// load's time on it: at most once every `intervalMs` milliseconds (the first
// call always runs). User input is held back, as loads run on the
// user-interface thread.
class LoadEventPump {
 public:
  explicit LoadEventPump(int intervalMs = 15) : intervalMs_(intervalMs) {}
  void operator()();

 private:
  int intervalMs_;
  QElapsedTimer timer_;
};

}  // namespace poronka
