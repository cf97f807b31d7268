// The splash window: the application picture in a rounded, frameless window
// that stays on top, with the version label. Dragged by any spot; closed and
// freed on the first tick of its close timer, which the player window starts
// once it has been created.
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
  // Closes the window on its first tick: 1000 ms, off until the player
  // window starts it.
  QTimer* closeTimer() { return &closeTimer_; }
  QLabel* versionLabel() { return versionLabel_; }
  // Shows the window and paints it at once.
  void showNow();

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseMoveEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;

 private:
  QTimer closeTimer_;
  QLabel* versionLabel_;
  bool dragging_ = false;
  QPoint dragOffset_;
};

}  // namespace poronka::ui
