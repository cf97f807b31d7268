// Writing a laid-out strip: SVG (every punched hole one <circle>, centre and
// radius in mm, and no other circle), PDF through Qt's own PDF writer, and
// the painting both the PDF and the printer use.
#pragma once

#include <string>

#include "interchange/strip_layout.h"

class QPainter;

namespace poronka {

// The sheets one under the other in one SVG document whose user unit is the
// millimetre. Each piece is a <rect class="piece"> carrying data-from-mm, the
// strip position of its left edge; the root carries data-first-row-mm and
// data-mm-per-row.
std::string StripSvg(const StripDocument& doc);

// The PDF, one page per sheet. Needs a QGuiApplication (fonts).
bool StripPdf(const StripDocument& doc, std::string& bytes, std::string& error);

// Paints one sheet with `unitsPerMm` device units per millimetre, the
// sheet's top left corner at the painter's origin.
void PaintStripPage(QPainter& painter, const StripPage& page, double unitsPerMm);

// Writes OUT.svg or OUT.pdf (by the extension, letter case ignored) without
// ever leaving a half-written file. False with `error` otherwise.
bool WriteStripFile(const std::string& path, const StripDocument& doc, std::string& error);

// True for the extensions WriteStripFile knows.
bool IsStripFileName(const std::string& path);

}  // namespace poronka
