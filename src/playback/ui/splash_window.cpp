#include "playback/ui/splash_window.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainterPath>
#include <QRegion>
#include <QScreen>
#include <QWindow>

#include "playback/ui/artwork.h"

namespace poronka::ui {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint) {
  setAttribute(Qt::WA_DeleteOnClose);
  setObjectName("TfrmTitle");
  const QPixmap picture = SplashPicture();
  setFixedSize(picture.size());
  auto* image = new QLabel(this);
  image->setPixmap(picture);
  image->setGeometry(0, 0, picture.width(), picture.height());
  image->setAttribute(Qt::WA_TransparentForMouseEvents);

  versionLabel_ = new QLabel(QStringLiteral("Ver 3.35"), this);
  versionLabel_->setObjectName("lblVersion");
  QFont f(QStringLiteral("IPAPGothic"));
  f.setPixelSize(40);
  f.setBold(true);
  versionLabel_->setFont(f);
  versionLabel_->setAttribute(Qt::WA_TranslucentBackground);
  versionLabel_->setAttribute(Qt::WA_TransparentForMouseEvents);
  versionLabel_->setStyleSheet(QStringLiteral("color: rgb(255,0,0); background: transparent;"));
  versionLabel_->adjustSize();
  versionLabel_->move(width() - versionLabel_->width() - 40, height() - versionLabel_->height() - 28);

  // The rounded outline: (5, 40) to (width - 15, height - 20), corners 100 x 85.
  QPainterPath outline;
  outline.addRoundedRect(QRectF(5, 40, width() - 15 - 5, height() - 20 - 40), 50, 42.5);
  setMask(QRegion(outline.toFillPolygon().toPolygon()));

  closeTimer_.setInterval(1000);
  connect(&closeTimer_, &QTimer::timeout, this, [this] {
    closeTimer_.stop();
    close();
  });
}

void SplashWindow::showNow() {
  if (QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
  show();
  raise();
  repaint();
  QApplication::processEvents();
}

void SplashWindow::mousePressEvent(QMouseEvent* e) {
  if (e->button() != Qt::LeftButton) return;
  if (windowHandle() && windowHandle()->startSystemMove()) return;
  dragging_ = true;
  dragOffset_ = e->globalPosition().toPoint() - frameGeometry().topLeft();
}

void SplashWindow::mouseMoveEvent(QMouseEvent* e) {
  if (dragging_) move(e->globalPosition().toPoint() - dragOffset_);
}

void SplashWindow::mouseReleaseEvent(QMouseEvent*) { dragging_ = false; }

}  // namespace poronka::ui
