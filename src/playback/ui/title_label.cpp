#include "playback/ui/title_label.h"

#include <QPainter>
#include <QTextLayout>
#include <QTextOption>

namespace poronka::ui {

void TitleLabel::paintEvent(QPaintEvent*) {
  QString text = this->text();
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  text.replace(QLatin1Char('\n'), QChar::LineSeparator);
  const QRect area = contentsRect();
  const int width = area.width();

  QTextLayout layout(text, font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.beginLayout();
  qreal y = 0;
  int shown = 0;
  bool more = false;
  for (;;) {
    QTextLine line = layout.createLine();
    if (!line.isValid()) break;
    line.setLineWidth(width);
    if (y + line.height() > area.height() + 0.01) {
      more = true;
      break;
    }
    line.setPosition(QPointF(0, y));
    y += line.height();
    ++shown;
  }
  layout.endLayout();

  QPainter painter(this);
  painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, foregroundRole()));
  for (int i = 0; i < shown; ++i) {
    const QTextLine line = layout.lineAt(i);
    const QPointF at = area.topLeft() + line.position();
    if (i == shown - 1 && more) {
      // The last line shown carries on to the end of its paragraph, elided.
      QString rest = text.mid(line.textStart());
      if (const qsizetype br = rest.indexOf(QChar::LineSeparator); br >= 0) rest.truncate(br);
      rest += QChar(0x2026);
      const QString elided = fontMetrics().elidedText(rest, Qt::ElideRight, width);
      painter.drawText(QPointF(at.x(), at.y() + line.ascent()), elided);
    } else {
      line.draw(&painter, area.topLeft());
    }
  }
}

}  // namespace poronka::ui
