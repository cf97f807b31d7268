#include "playback/ui/position_bar.h"

#include <QApplication>
#include <QMouseEvent>
#include <QStyle>
#include <QStyleOptionSlider>

namespace poronka::ui {

PositionBar::PositionBar(QWidget* parent) : QSlider(Qt::Vertical, parent) {
  // The minimum at the top; Up and Page Up move the thumb up, as it looks.
  setInvertedAppearance(true);
  setInvertedControls(true);
}

QRect PositionBar::handleRect() const {
  QStyleOptionSlider option;
  initStyleOption(&option);
  return style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, this);
}

void PositionBar::mousePressEvent(QMouseEvent* e) {
  if (e->button() == Qt::LeftButton && !held_) {
    // Before the slider moves, so that its changes already count as a drag.
    held_ = true;
    emit pressed();
  }
  QSlider::mousePressEvent(e);
}

void PositionBar::mouseReleaseEvent(QMouseEvent* e) {
  QSlider::mouseReleaseEvent(e);
  if (e->button() == Qt::LeftButton) release();
}

void PositionBar::hideEvent(QHideEvent* e) {
  QSlider::hideEvent(e);
  release();
}

void PositionBar::changeEvent(QEvent* e) {
  QSlider::changeEvent(e);
  if ((e->type() == QEvent::ActivationChange && !isActiveWindow()) ||
      (e->type() == QEvent::EnabledChange && !isEnabled()))
    release();
}

bool PositionBar::event(QEvent* e) {
  const bool handled = QSlider::event(e);
  // A release that went elsewhere (a grab broken by the window manager).
  if (e->type() == QEvent::Leave && !(QApplication::mouseButtons() & Qt::LeftButton)) release();
  return handled;
}

void PositionBar::release() {
  if (!held_) return;
  held_ = false;
  emit letGo(value());
}

}  // namespace poronka::ui
