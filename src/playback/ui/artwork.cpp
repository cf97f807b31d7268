#include "playback/ui/artwork.h"

#include "core/app_texts.h"

#include <QLinearGradient>
#include <QPainterPath>
#include <QRadialGradient>
#include <cmath>

namespace poronka::ui {

namespace {

void DrawNote(QPainter& p, QPointF at, double s, const QColor& c) {
  p.save();
  p.setPen(QPen(c, s * 0.18));
  p.setBrush(c);
  p.drawEllipse(QRectF(at.x() - s * 0.5, at.y() - s * 0.35, s, s * 0.7));
  p.drawLine(QPointF(at.x() + s * 0.45, at.y()), QPointF(at.x() + s * 0.45, at.y() - s * 2.2));
  QPainterPath flag;
  flag.moveTo(at.x() + s * 0.45, at.y() - s * 2.2);
  flag.cubicTo(at.x() + s * 1.2, at.y() - s * 1.8, at.x() + s * 1.3, at.y() - s * 1.2,
               at.x() + s * 0.9, at.y() - s * 0.8);
  p.setBrush(Qt::NoBrush);
  p.drawPath(flag);
  p.restore();
}

}  // namespace

void DrawMusicBox(QPainter& p, const QRectF& a) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  const double w = a.width(), h = a.height();
  auto X = [&](double f) { return a.left() + f * w; };
  auto Y = [&](double f) { return a.top() + f * h; };

  // Lid, opened backwards, with a mirror-like inner panel.
  QPolygonF lid{{X(0.14), Y(0.48)}, {X(0.86), Y(0.48)}, {X(0.80), Y(0.08)}, {X(0.20), Y(0.08)}};
  QLinearGradient wood(X(0), Y(0.08), X(0), Y(0.48));
  wood.setColorAt(0, QColor(150, 82, 40));
  wood.setColorAt(1, QColor(102, 52, 24));
  p.setPen(QPen(QColor(70, 35, 15), std::max(1.0, w * 0.006)));
  p.setBrush(wood);
  p.drawPolygon(lid);
  QPolygonF inner{{X(0.20), Y(0.45)}, {X(0.80), Y(0.45)}, {X(0.755), Y(0.12)}, {X(0.245), Y(0.12)}};
  QLinearGradient glass(X(0.2), Y(0.12), X(0.8), Y(0.45));
  glass.setColorAt(0, QColor(230, 240, 250));
  glass.setColorAt(1, QColor(170, 190, 215));
  p.setBrush(glass);
  p.drawPolygon(inner);

  // Box body.
  QRectF body(X(0.10), Y(0.48), w * 0.80, h * 0.40);
  QLinearGradient front(body.topLeft(), body.bottomLeft());
  front.setColorAt(0, QColor(176, 98, 48));
  front.setColorAt(1, QColor(118, 60, 26));
  p.setBrush(front);
  p.drawRoundedRect(body, w * 0.015, w * 0.015);
  // Inside well.
  QRectF well(X(0.14), Y(0.50), w * 0.72, h * 0.20);
  p.setBrush(QColor(60, 30, 14));
  p.drawRect(well);
  // Cylinder with pins.
  QRectF cyl(X(0.20), Y(0.52), w * 0.40, h * 0.10);
  QLinearGradient brass(cyl.topLeft(), cyl.bottomLeft());
  brass.setColorAt(0, QColor(255, 236, 150));
  brass.setColorAt(0.5, QColor(220, 180, 60));
  brass.setColorAt(1, QColor(140, 100, 20));
  p.setBrush(brass);
  p.drawRoundedRect(cyl, h * 0.02, h * 0.02);
  p.setPen(Qt::NoPen);
  p.setBrush(QColor(250, 250, 250));
  for (int i = 0; i < 18; ++i) {
    double fx = 0.21 + 0.38 * ((i * 7) % 18) / 18.0;
    double fy = 0.53 + 0.08 * ((i * 5) % 9) / 9.0;
    p.drawEllipse(QPointF(X(fx), Y(fy)), w * 0.004, w * 0.004);
  }
  // Comb.
  p.setPen(QPen(QColor(90, 90, 90), std::max(1.0, w * 0.002)));
  p.setBrush(QColor(200, 205, 210));
  p.drawRect(QRectF(X(0.62), Y(0.52), w * 0.05, h * 0.16));
  for (int i = 0; i < 9; ++i) {
    double y = 0.525 + i * 0.0165;
    double len = 0.12 - i * 0.006;
    p.drawRect(QRectF(X(0.67), Y(y), w * len, h * 0.011));
  }
  // Key and a front plate.
  p.setPen(QPen(QColor(70, 35, 15), std::max(1.0, w * 0.004)));
  p.setBrush(QColor(230, 200, 110));
  p.drawEllipse(QRectF(X(0.45), Y(0.76), w * 0.10, h * 0.06));
  // Feet.
  p.setBrush(QColor(80, 40, 18));
  p.drawRect(QRectF(X(0.13), Y(0.88), w * 0.06, h * 0.03));
  p.drawRect(QRectF(X(0.81), Y(0.88), w * 0.06, h * 0.03));
  p.restore();
}

QPixmap SplashPicture() {
  QPixmap pm(515, 296);
  QPainter p(&pm);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 296);
  sky.setColorAt(0, QColor(255, 246, 224));
  sky.setColorAt(1, QColor(250, 210, 180));
  p.fillRect(pm.rect(), sky);
  QRadialGradient glow(150, 160, 160);
  glow.setColorAt(0, QColor(255, 255, 240, 220));
  glow.setColorAt(1, QColor(255, 255, 240, 0));
  p.fillRect(pm.rect(), glow);
  DrawMusicBox(p, QRectF(20, 48, 250, 210));
  DrawNote(p, QPointF(300, 110), 14, QColor(200, 60, 90));
  DrawNote(p, QPointF(340, 80), 11, QColor(60, 110, 200));
  DrawNote(p, QPointF(275, 70), 9, QColor(60, 160, 90));
  QFont f("IPAPGothic");
  f.setPixelSize(54);
  f.setBold(true);
  p.setFont(f);
  p.setPen(QColor(80, 50, 30));
  p.drawText(QRectF(270, 120, 230, 70), Qt::AlignCenter, QString::fromUtf8(kApplicationName));
  f.setPixelSize(15);
  f.setBold(false);
  p.setFont(f);
  p.drawText(QRectF(270, 185, 230, 24), Qt::AlignCenter, QString::fromUtf8("オルゴール演奏・作成ソフト"));
  return pm;
}

QPixmap MusicBoxPicture(int size) {
  QPixmap pm(size, size);
  pm.fill(Qt::transparent);
  QPainter p(&pm);
  DrawMusicBox(p, QRectF(0, 0, size, size));
  return pm;
}

QIcon AppIcon() {
  QIcon icon;
  for (int s : {16, 32, 48, 64, 128}) icon.addPixmap(MusicBoxPicture(s));
  return icon;
}

}  // namespace poronka::ui
