#include "interchange/strip_file.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QPageSize>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QPolygonF>
#include <cstdio>

#include "core/app_texts.h"
#include "core/file_io.h"

namespace poronka {

namespace {

std::string Num(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.3f", v);
  return buf;
}

std::string Hex(StripColour c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", c.r, c.g, c.b);
  return buf;
}

std::string Xml(const std::string& s) {
  std::string out;
  for (char c : s) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      default:
        if (static_cast<unsigned char>(c) >= 0x20 || c == '\t') out += c;
    }
  }
  return out;
}

const char* Anchor(StripAlign a) {
  return a == StripAlign::Left ? "start" : a == StripAlign::Centre ? "middle" : "end";
}

}  // namespace

std::string StripSvg(const StripDocument& doc) {
  const double totalH = doc.pageHeightMm * static_cast<double>(std::max<size_t>(doc.pages.size(), 1));
  std::string o;
  o += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n";
  o += "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + Num(doc.pageWidthMm) + "mm\" height=\"" + Num(totalH) +
       "mm\" viewBox=\"0 0 " + Num(doc.pageWidthMm) + " " + Num(totalH) + "\" data-first-row-mm=\"" + Num(kStripLeadMm) +
       "\" data-mm-per-row=\"" + Num(doc.fit.mmPerRow) + "\">\n";
  o += "<title>" + Xml(doc.title) + "</title>\n";
  for (size_t p = 0; p < doc.pages.size(); ++p) {
    const StripPage& page = doc.pages[p];
    const double dy = doc.pageHeightMm * static_cast<double>(p);
    auto Y = [&](double y) { return Num(y + dy); };
    o += "<g class=\"sheet\" data-sheet=\"" + std::to_string(p + 1) + "\">\n";
    for (const StripPiece& pc : page.pieces)
      o += "<rect class=\"piece\" x=\"" + Num(pc.x) + "\" y=\"" + Y(pc.y) + "\" width=\"" + Num(pc.w) + "\" height=\"" +
           Num(pc.h) + "\" data-from-mm=\"" + Num(pc.fromMm) + "\" data-piece=\"" + std::to_string(pc.number) +
           "\" fill=\"none\" stroke=\"#000000\" stroke-width=\"0.2\"/>\n";
    for (const StripLine& l : page.lines)
      o += "<line x1=\"" + Num(l.x1) + "\" y1=\"" + Y(l.y1) + "\" x2=\"" + Num(l.x2) + "\" y2=\"" + Y(l.y2) +
           "\" stroke=\"" + Hex(l.colour) + "\" stroke-width=\"" + Num(l.width) + "\"" +
           (l.dashed ? " stroke-dasharray=\"1 0.8\"" : "") + "/>\n";
    for (const StripPolygon& pg : page.polygons) {
      o += "<polygon points=\"";
      for (size_t i = 0; i < pg.points.size(); ++i)
        o += (i ? " " : "") + Num(pg.points[i].first) + "," + Y(pg.points[i].second);
      o += "\" fill=\"" + Hex(pg.fill) + "\"/>\n";
    }
    for (const StripCross& c : page.crosses)
      o += "<path class=\"unplayable\" d=\"M" + Num(c.x - c.half) + " " + Y(c.y - c.half) + " L" + Num(c.x + c.half) +
           " " + Y(c.y + c.half) + " M" + Num(c.x - c.half) + " " + Y(c.y + c.half) + " L" + Num(c.x + c.half) + " " +
           Y(c.y - c.half) + "\" stroke=\"" + Hex(kStripRed) + "\" stroke-width=\"0.3\" fill=\"none\"/>\n";
    for (const StripHole& h : page.holes)
      o += "<circle cx=\"" + Num(h.cx) + "\" cy=\"" + Y(h.cy) + "\" r=\"" + Num(h.r) + "\" fill=\"none\" stroke=\"" +
           Hex(h.tooClose ? kStripRed : kStripBlack) + "\" stroke-width=\"" + (h.tooClose ? "0.4" : "0.15") + "\"/>\n";
    for (const StripText& t : page.texts)
      o += "<text x=\"" + Num(t.x) + "\" y=\"" + Y(t.y) + "\" font-size=\"" + Num(t.size) +
           "\" font-family=\"sans-serif\" text-anchor=\"" + Anchor(t.align) + "\" fill=\"" + Hex(t.colour) + "\">" +
           Xml(t.text) + "</text>\n";
    o += "</g>\n";
  }
  o += "</svg>\n";
  return o;
}

void PaintStripPage(QPainter& painter, const StripPage& page, double k) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing, true);
  auto colour = [](StripColour c) { return QColor(c.r, c.g, c.b); };
  auto pen = [&](StripColour c, double widthMm, bool dashed = false) {
    QPen p(colour(c), widthMm * k);
    p.setCapStyle(Qt::FlatCap);
    if (dashed) p.setDashPattern({1.0 / widthMm, 0.8 / widthMm});
    return p;
  };
  painter.setBrush(Qt::NoBrush);
  for (const StripPiece& pc : page.pieces) {
    painter.setPen(pen(kStripBlack, 0.2));
    painter.drawRect(QRectF(pc.x * k, pc.y * k, pc.w * k, pc.h * k));
  }
  for (const StripLine& l : page.lines) {
    painter.setPen(pen(l.colour, l.width, l.dashed));
    painter.drawLine(QPointF(l.x1 * k, l.y1 * k), QPointF(l.x2 * k, l.y2 * k));
  }
  painter.setPen(Qt::NoPen);
  for (const StripPolygon& pg : page.polygons) {
    QPolygonF poly;
    for (const auto& [x, y] : pg.points) poly << QPointF(x * k, y * k);
    painter.setBrush(colour(pg.fill));
    painter.drawPolygon(poly);
  }
  painter.setBrush(Qt::NoBrush);
  painter.setPen(pen(kStripRed, 0.3));
  for (const StripCross& c : page.crosses) {
    painter.drawLine(QPointF((c.x - c.half) * k, (c.y - c.half) * k), QPointF((c.x + c.half) * k, (c.y + c.half) * k));
    painter.drawLine(QPointF((c.x - c.half) * k, (c.y + c.half) * k), QPointF((c.x + c.half) * k, (c.y - c.half) * k));
  }
  for (const StripHole& h : page.holes) {
    painter.setPen(h.tooClose ? pen(kStripRed, 0.4) : pen(kStripBlack, 0.15));
    painter.drawEllipse(QPointF(h.cx * k, h.cy * k), h.r * k, h.r * k);
  }
  QFont font(QStringLiteral("sans-serif"));
  for (const StripText& t : page.texts) {
    font.setPixelSize(std::max(1, static_cast<int>(t.size * k + 0.5)));
    painter.setFont(font);
    painter.setPen(colour(t.colour));
    const QString text = QString::fromStdString(t.text);
    double x = t.x * k;
    if (t.align != StripAlign::Left) {
      const double w = QFontMetricsF(font, painter.device()).horizontalAdvance(text);
      x -= t.align == StripAlign::Centre ? w / 2 : w;
    }
    painter.drawText(QPointF(x, t.y * k), text);
  }
  painter.restore();
}

bool StripPdf(const StripDocument& doc, std::string& bytes, std::string& error) {
  if (!QGuiApplication::instance()) {
    error = "PDF を作れません（画面の準備ができていません）";
    return false;
  }
  QByteArray data;
  {
    QBuffer buffer(&data);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(1200);
    writer.setPageLayout(QPageLayout(QPageSize(doc.paper == StripPaper::Letter ? QPageSize::Letter : QPageSize::A4),
                                     doc.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0)));
    writer.setTitle(QString::fromStdString(doc.title));
    writer.setCreator(QString::fromUtf8(kApplicationName));
    QPainter painter;
    if (!painter.begin(&writer)) {
      error = "PDF を作れません";
      return false;
    }
    const double k = writer.resolution() / 25.4;
    for (size_t p = 0; p < doc.pages.size(); ++p) {
      if (p > 0) writer.newPage();
      PaintStripPage(painter, doc.pages[p], k);
    }
    painter.end();
  }
  bytes.assign(data.constData(), static_cast<size_t>(data.size()));
  return true;
}

bool IsStripFileName(const std::string& path) {
  const std::string ext = UpperExtension(path);
  return ext == ".SVG" || ext == ".PDF";
}

bool WriteStripFile(const std::string& path, const StripDocument& doc, std::string& error) {
  const std::string ext = UpperExtension(path);
  std::string bytes;
  if (ext == ".SVG") {
    bytes = StripSvg(doc);
  } else if (ext == ".PDF") {
    if (!StripPdf(doc, bytes, error)) return false;
  } else {
    error = "SVG か PDF のファイル名にしてください: " + path;
    return false;
  }
  if (!WriteFileAtomically(path, bytes)) {
    error = "ファイルに書き込めません: " + path;
    return false;
  }
  return true;
}

}  // namespace poronka
