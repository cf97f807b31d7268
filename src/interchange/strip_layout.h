// The punched paper strip of a song at true scale, laid out on sheets of
// paper: the strip is cut into pieces as long as the sheet is wide, stacked
// down the sheet, each piece overlapping the next by a glue margin. Every
// measure is in millimetres from the sheet's top left corner; the SVG and
// PDF writers only draw what the layout holds.
//
// Along a piece the strip runs from left (its start, which goes into the box
// first) to right; across it the lowest track lies nearest the piece's lower
// edge, at the box's first-track distance, the others one track pitch apart.
// Row r's holes lie kStripLeadMm + (r - 1) * mmPerRow from the strip's start.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/score.h"
#include "interchange/box_fit.h"
#include "interchange/music_box.h"

namespace poronka {

enum class StripPaper { A4, Letter };

struct StripOptions {
  StripPaper paper = StripPaper::A4;
  bool landscape = false;
  double mmPerRow = kDefaultMmPerRow;
  int shift = 0;  // transposition of the score's pitches
};

// Fixed measures of the layout.
constexpr double kStripMarginMm = 10;   // around the pieces on the sheet
constexpr double kStripOverlapMm = 10;  // glue margin shared by two pieces
constexpr double kStripLeadMm = 24;     // strip before row 1: pitch names, start arrow
constexpr double kStripTailMm = 10;     // strip after the last row
constexpr double kStripLabelMm = 6;     // band above each piece for its label
constexpr double kStripGapMm = 4;       // between two pieces on a sheet

struct StripColour {
  uint8_t r = 0, g = 0, b = 0;
  bool operator==(const StripColour&) const = default;
};
constexpr StripColour kStripBlack{0, 0, 0};
constexpr StripColour kStripGrey{150, 150, 150};
constexpr StripColour kStripLightGrey{200, 200, 200};
constexpr StripColour kStripRed{220, 0, 0};

struct StripLine {
  double x1, y1, x2, y2;
  double width;
  StripColour colour;
  bool dashed = false;
};

enum class StripAlign { Left, Centre, Right };

struct StripText {
  double x, y;  // baseline point; x as `align` says
  double size;  // font size (em) in mm
  std::string text;  // UTF-8
  StripColour colour;
  StripAlign align = StripAlign::Left;
};

// A hole to punch.
struct StripHole {
  double cx, cy, r;
  bool tooClose = false;  // drawn in red
  int32_t row = 0;
  int pitch = 0;
};

// An unplayable note: a red cross where its pitch would lie.
struct StripCross {
  double x, y, half;
};

struct StripPolygon {
  std::vector<std::pair<double, double>> points;
  StripColour fill;
};

// One piece of the strip: its outline on the sheet and where along the
// strip its left edge lies.
struct StripPiece {
  double x, y, w, h;
  double fromMm;
  int number;  // 1-based
};

struct StripPage {
  std::vector<StripPiece> pieces;
  std::vector<StripLine> lines;
  std::vector<StripText> texts;
  std::vector<StripHole> holes;
  std::vector<StripCross> crosses;
  std::vector<StripPolygon> polygons;
};

struct StripDocument {
  StripPaper paper = StripPaper::A4;
  bool landscape = false;
  double pageWidthMm = 0;
  double pageHeightMm = 0;
  std::string title;       // the song's first title line
  double stripLengthMm = 0;
  int pieceCount = 0;
  FitReport fit;           // what is drawn in red
  std::vector<StripPage> pages;
};

// Sheet size in mm (portrait: width < height).
void StripPaperSize(StripPaper paper, bool landscape, double& widthMm, double& heightMm);

// Lays the strip out. False with `error` (Japanese) when the strip cannot be
// laid out on that paper (a piece would not fit on the sheet).
bool LayoutStrip(const Score& s, const MusicBox& box, const StripOptions& options, StripDocument& doc,
                 std::string& error);

}  // namespace poronka
