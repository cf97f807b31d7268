#include "interchange/strip_layout.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

#include "core/file_io.h"

namespace poronka {

void StripPaperSize(StripPaper paper, bool landscape, double& widthMm, double& heightMm) {
  if (paper == StripPaper::Letter) {
    widthMm = 215.9;
    heightMm = 279.4;
  } else {
    widthMm = 210;
    heightMm = 297;
  }
  if (landscape) std::swap(widthMm, heightMm);
}

namespace {

std::string SongTitle(const Score& s) {
  std::string t = s.Title.substr(0, s.Title.find_first_of("\r\n"));
  if (t.empty() || t == "NO_Title") t = BaseName(s.FileName);
  return t;
}

std::string MmText(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  return buf;
}

// Where an unplayable pitch would lie across the strip: between the tracks
// of its neighbours, or half a track pitch beyond the outermost track.
double OffsetOfPitch(const MusicBox& box, int pitch) {
  const auto& p = box.pitches;
  const int last = static_cast<int>(p.size()) - 1;
  if (pitch < p.front()) return box.TrackOffsetMm(0) - box.trackPitchMm / 2;
  if (pitch > p.back()) return box.TrackOffsetMm(last) + box.trackPitchMm / 2;
  const int above = static_cast<int>(std::upper_bound(p.begin(), p.end(), pitch) - p.begin());
  const int below = above - 1;
  const double f = static_cast<double>(pitch - p[below]) / (p[above] - p[below]);
  return box.TrackOffsetMm(below) + f * box.trackPitchMm;
}

}  // namespace

bool LayoutStrip(const Score& s, const MusicBox& box, const StripOptions& o, StripDocument& doc, std::string& error) {
  StripDocument d;
  d.paper = o.paper;
  d.landscape = o.landscape;
  StripPaperSize(o.paper, o.landscape, d.pageWidthMm, d.pageHeightMm);
  d.title = SongTitle(s);
  if (!(o.mmPerRow > 0) || box.pitches.empty()) {
    error = "1行の長さが正しくありません";
    return false;
  }
  const double W = box.stripWidthMm;
  const double L = d.pageWidthMm - 2 * kStripMarginMm;
  const double slot = kStripLabelMm + W + kStripGapMm;
  const int perPage = static_cast<int>((d.pageHeightMm - 2 * kStripMarginMm + kStripGapMm) / slot);
  if (perPage < 1 || L <= 2 * kStripOverlapMm) {
    error = "テープの幅（" + MmText(W) + " mm）が用紙に収まりません";
    return false;
  }
  const int32_t rows = std::max<int32_t>(s.RowCount, 0);
  const double T = kStripLeadMm + std::max(rows - 1, 0) * o.mmPerRow + kStripTailMm;
  const double step = L - kStripOverlapMm;
  d.stripLengthMm = T;
  d.pieceCount = T <= L ? 1 : static_cast<int>(std::ceil((T - kStripOverlapMm) / step - 1e-9));
  d.fit = CheckFit(s, box, o.mmPerRow, o.shift);

  std::set<std::pair<int32_t, int>> tooClose;
  for (const TooCloseNote& n : d.fit.tooClose) tooClose.insert({n.row, n.pitch});

  const std::vector<BarBeat> labels = EditorBarNumbers(s);
  const int tracks = static_cast<int>(box.pitches.size());
  const double lowTrack = box.TrackOffsetMm(0);
  const double highTrack = box.TrackOffsetMm(tracks - 1);
  const double topMargin = W - highTrack;  // between the highest track and the upper edge
  const double holeR = box.holeDiameterMm / 2;
  const int32_t lastRow = std::min<int32_t>(rows, static_cast<int32_t>(s.RowNotes.size()) - 1);
  auto rowAt = [&](int32_t r) { return kStripLeadMm + (r - 1) * o.mmPerRow; };
  const std::string info = d.title + "　" + box.title + "　" + MmText(o.mmPerRow) + " mm/行" +
                           (o.shift ? std::string("　移調 ") + (o.shift > 0 ? "+" : "") + std::to_string(o.shift) : "");

  d.pages.resize(static_cast<size_t>((d.pieceCount + perPage - 1) / perPage));
  for (int k = 0; k < d.pieceCount; ++k) {
    StripPage& page = d.pages[static_cast<size_t>(k / perPage)];
    const double from = k * step;
    const double len = std::min(L, T - from);
    const double px = kStripMarginMm;
    const double py = kStripMarginMm + (k % perPage) * slot + kStripLabelMm;
    page.pieces.push_back({px, py, len, W, from, k + 1});
    auto X = [&](double along) { return px + (along - from); };
    auto Y = [&](double offset) { return py + W - offset; };
    auto inside = [&](double along) { return along >= from - 1e-9 && along <= from + len + 1e-9; };

    // Label above the piece.
    page.texts.push_back({px + (k > 0 ? kStripOverlapMm + 2 : 0), py - 1.5, 3.0,
                          info + "　" + std::to_string(k + 1) + "/" + std::to_string(d.pieceCount), kStripBlack,
                          StripAlign::Left});
    // Tracks; the C tracks stand out.
    for (int t = 0; t < tracks; ++t) {
      const bool c = box.pitches[static_cast<size_t>(t)] % 12 == 0;
      page.lines.push_back({px, Y(box.TrackOffsetMm(t)), px + len, Y(box.TrackOffsetMm(t)), c ? 0.2 : 0.1,
                            c ? kStripGrey : kStripLightGrey});
    }
    // Row and bar lines with bar numbers.
    const int32_t firstRowHere = std::max<int32_t>(1, static_cast<int32_t>(std::ceil((from - kStripLeadMm) / o.mmPerRow - 1e-9)) + 1);
    for (int32_t r = firstRowHere; r <= rows && rowAt(r) <= from + len + 1e-9; ++r) {
      const bool bar = r < static_cast<int32_t>(labels.size()) && labels[static_cast<size_t>(r)].beat == 1;
      const double x = X(rowAt(r));
      page.lines.push_back({x, Y(lowTrack), x, Y(highTrack), bar ? 0.3 : 0.1, bar ? kStripBlack : kStripLightGrey});
      if (bar)
        page.texts.push_back({x + 0.6, py + topMargin - 1.2, 2.0, std::to_string(labels[static_cast<size_t>(r)].bar),
                              kStripBlack, StripAlign::Left});
    }
    // Holes and unplayable notes.
    for (int32_t r = firstRowHere; r <= lastRow && rowAt(r) <= from + len + 1e-9; ++r) {
      const double along = rowAt(r);
      if (!inside(along)) continue;
      std::vector<int> punched;
      ForEachNote(s.RowNotes[static_cast<size_t>(r)], [&](int, int32_t col) {
        const int pitch =
            (col >= 1 && col < static_cast<int32_t>(s.ColumnPitch.size()) ? s.ColumnPitch[static_cast<size_t>(col)] : -1) +
            o.shift;
        const int track = box.TrackOf(pitch);
        if (track < 0) {
          const double y = Y(std::clamp(OffsetOfPitch(box, pitch), 1.0, W - 1.0));
          page.crosses.push_back({X(along), y, 0.8});
          page.texts.push_back({X(along) + 1.0, y + 0.5, 1.5, FitPitchName(pitch), kStripRed, StripAlign::Left});
          return;
        }
        if (std::find(punched.begin(), punched.end(), track) != punched.end()) return;
        punched.push_back(track);
        page.holes.push_back({X(along), Y(box.TrackOffsetMm(track)), holeR, tooClose.count({r, pitch}) > 0, r, pitch});
      });
    }
    // Glue margins: the end of this piece lies under the start of the next.
    const double glueText = 2.0;
    if (k > 0) {
      const double x = px + kStripOverlapMm;
      page.lines.push_back({x, py, x, py + W, 0.2, kStripBlack, true});
      page.texts.push_back({px + kStripOverlapMm / 2, py - 1.5, glueText, "のりしろ " + std::to_string(k), kStripBlack,
                            StripAlign::Centre});
    }
    if (k + 1 < d.pieceCount) {
      const double x = px + step;
      page.lines.push_back({x, py, x, py + W, 0.2, kStripBlack, true});
      page.texts.push_back({px + step + kStripOverlapMm / 2, py + W + 2.8, glueText, "のりしろ " + std::to_string(k + 1),
                            kStripBlack, StripAlign::Centre});
    }
    // The start: pitch names and the direction the strip goes in.
    if (k == 0) {
      const double size = std::min(1.6, box.trackPitchMm * 0.8);
      for (int t = 0; t < tracks; ++t)
        page.texts.push_back({px + 1.5, Y(box.TrackOffsetMm(t)) + size * 0.35, size,
                              FitPitchName(box.pitches[static_cast<size_t>(t)]), kStripBlack, StripAlign::Left});
      const double cy = py + W / 2, x0 = px + 8, x1 = px + 20;
      page.polygons.push_back({{{x0, cy}, {x0 + 5, cy - 3}, {x0 + 5, cy - 1}, {x1, cy - 1}, {x1, cy + 1},
                                {x0 + 5, cy + 1}, {x0 + 5, cy + 3}},
                               kStripGrey});
      page.texts.push_back({x0 + 6, cy - 4, 2.5, "この端から差し込む", kStripBlack, StripAlign::Left});
    }
    if (k + 1 == d.pieceCount)
      page.texts.push_back({px + len - 1, py + W / 2, 2.5, "終", kStripBlack, StripAlign::Right});
  }
  doc = std::move(d);
  return true;
}

}  // namespace poronka
