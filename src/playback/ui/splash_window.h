// The splash window SplashWindow: the application picture in a rounded,
// frameless window that stays on top, with the version label. Dragged by any
// spot; closed and freed on the first tick of its timer, which the player
// window enables once it has been created.
#pragma once

#include <QLabel>
#include <QPoint>
#include <QTimer>
#include <QWidget>

namespace poronka::ui {

class SplashWindow : public QWidget {
  Q_OBJECT
 public:
  explicit SplashWindow(QWidget* parent = nullptr);
  // STimer: 1000 ms, off until the player window enables it.
  QTimer* STimer() { return &sTimer_; }
  QLabel* VersionLabel() { return lblVersion_; }
  // Shows the window and paints it at once.
  void ShowNow();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QTimer sTimer_;
  QLabel* lblVersion_;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace poronka::ui
