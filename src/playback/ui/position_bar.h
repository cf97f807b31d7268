// The player's vertical position bar PosiBar: 1 at the top, 1000 at the
// bottom, so the thumb goes down as the song plays. It knows whether the
// left button is down on it right now: pressed() comes on every left press
// anywhere on the bar (groove or handle), letGo() on the release and
// whenever the press is lost (the bar is hidden, its window deactivated, or
// the pointer left it with no button down). Keys and the wheel move the
// value without either signal.
#pragma once

#include <QSlider>

namespace poronka::ui {

class PositionBar : public QSlider {
  Q_OBJECT
 public:
  explicit PositionBar(QWidget* parent = nullptr);
  // The left button went down on the bar and has not been let go.
  bool held() const { return held_; }
  // Where the style draws the handle, in the bar's coordinates.
  QRect handleRect() const;

 signals:
  void pressed();
  void letGo(int position);

 protected:
  void mousePressEvent(QMouseEvent* e) override;
  void mouseReleaseEvent(QMouseEvent* e) override;
  void hideEvent(QHideEvent* e) override;
  void changeEvent(QEvent* e) override;
  bool event(QEvent* e) override;

 private:
  void release();
  bool held_ = false;
};

}  // namespace poronka::ui
