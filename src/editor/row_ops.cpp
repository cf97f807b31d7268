#include "editor/row_ops.h"

#include <algorithm>
#include <limits>

#include "editor/editor_ops.h"
#include "editor/op_support.h"

namespace poronka::editor {

const char* const kTooManyRowsInsert = "行数が１０万以上になってしまいます。";
const char* const kTooManyRowsResolution = "行数が１０万行以上になるため処理を中止します。";
const char* const kDeleteAllRows = "全行削除は出来ません！";
const char* const kBarLengthWithPreRows = "開始前行が設定されているので、行数調整は出来ません！";

using namespace ops_detail;

namespace {

// Clears the slots above MaxSlot of rows 1..RowCount (rebuilding the row
// table copies only the slots up to MaxSlot).
void DropSlotsAboveMax(Score& s) {
  const int keep = std::clamp(s.MaxSlot + 1, 0, kSlotsPerRow);
  if (keep >= kSlotsPerRow) return;
  for (size_t r = 1; r < s.RowNotes.size(); ++r) {
    RowSlots& row = s.RowNotes[r];
    for (int k = keep; k < kSlotsPerRow; ++k) row[k] = 0;
  }
}

int32_t Mul32(int32_t a, int32_t f) {
  const int64_t v = static_cast<int64_t>(a) * f;
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

// Reads the bar length entry: an optional sign and digits.
bool ReadSigned(const std::string& text, int32_t& value) {
  if (text.empty() || text.size() > 9) return false;
  size_t i = 0;
  bool negative = false;
  if (text[0] == '+' || text[0] == '-') {
    negative = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return false;
  int32_t v = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    v = v * 10 + (text[i] - '0');
  }
  value = negative ? -v : v;
  return true;
}

}  // namespace

// ---- inserting rows -----------------------------------------------------------

GridUpdate InsertRows(EditorContext& ctx, int32_t k) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  if (k < 1 || s.RowsPerBar < 1) return u;
  FitRowTable(s);
  const int32_t R = s.RowCount;
  const int32_t rpb = s.RowsPerBar;
  const int32_t Y = std::clamp(st.current.row, kFirstGridRow, R + 2);
  st.cursor = {st.current.col, Y};
  if (static_cast<int64_t>(R) + k > kMaxRows) {
    ctx.messages.ShowInformation(kTooManyRowsInsert);
    return u;
  }

  // Labels of the score before the change: the old last row and the cursor's.
  const std::vector<BarBeat> labels = EditorBarNumbers(s);
  const BarBeat last = R > 0 ? labels[R] : BarBeat{1, s.PreRows};
  const bool lastBarComplete = last.beat == rpb + AdjustOf(s, last.bar);

  s.RowNotes.insert(s.RowNotes.begin() + (Y - 1), static_cast<size_t>(k), RowSlots{});
  s.RowCount = R + k;
  DropSlotsAboveMax(s);

  if (lastBarComplete || k == rpb) ResizeAdjust(s, last.bar + 2);
  int32_t relabelFrom = 0;
  if (k == rpb) {
    if (Y > R + 1) {
      SetAdjust(s, last.bar + 1, 0);
      relabelFrom = R + 2 - last.beat;
    } else {
      const BarBeat at = labels[Y - 1];
      for (int32_t j = last.bar; j >= at.bar; --j) SetAdjust(s, j + 1, AdjustOf(s, j));
      SetAdjust(s, at.bar, 0);
      relabelFrom = Y - at.beat + 1;
    }
  }

  ctx.Restore(SnapshotKind::InsertRows);
  if (k == 1 && rpb > 1) relabelFrom = s.RowCount + 1;  // only the new last row
  ctx.MarkChanged();

  u.changed = true;
  u.rowsInsertedAt = Y;
  u.rowsInserted = k;
  u.relabelFrom = std::max(relabelFrom, kFirstGridRow);
  return u;
}

GridUpdate InsertBar(EditorContext& ctx) { return InsertRows(ctx, ctx.score.RowsPerBar); }

// ---- deleting rows --------------------------------------------------------------

GridUpdate DeleteSelectedRows(EditorContext& ctx) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  if (s.RowsPerBar < 1) return u;
  FitRowTable(s);
  const int32_t R = s.RowCount;
  const int32_t rpb = s.RowsPerBar;
  int32_t top = std::max(std::min(st.selection.top, st.selection.bottom), kFirstGridRow);
  int32_t bottom = std::max(st.selection.top, st.selection.bottom);
  if (bottom > R + 1) {
    if (top > R + 1) return u;
    bottom = R + 1;
  }
  const int32_t count = bottom - top + 1;
  if (count <= 0) return u;
  if (count >= R) {
    ctx.messages.ShowInformation(kDeleteAllRows);
    st.RememberCurrent();
    st.CollapseSelection();
    u.cursorMoved = true;
    return u;
  }

  st.cursor = {st.current.col, top};
  const std::vector<BarBeat> labels = EditorBarNumbers(s);
  const BarBeat first = labels[ScoreRowOf(top)];
  const BarBeat lastSel = labels[ScoreRowOf(bottom)];
  const std::string question = LabelText(first) + "から" + LabelText(lastSel) +
                               "の行（小節）を削除します" + "\r" + "よろしいですか？";
  if (!ctx.messages.AskOkCancel(question)) return u;

  const int32_t B1 = first.bar, P1 = first.beat, B2 = lastSel.bar, P2 = lastSel.beat;
  const int32_t F = P1 == 1 ? B1 : B1 + 1;
  const int32_t G = P2 == rpb + AdjustOf(s, B2) ? B2 : B2 - 1;

  // Lengthened bars that lose rows are shortened.
  if (B1 < B2) {
    if (AdjustOf(s, B1) > 0 && P1 > 1) SetAdjust(s, B1, std::max(P1 - 1 - rpb, 0));
    if (AdjustOf(s, B2) > 0 && P2 < rpb + AdjustOf(s, B2))
      SetAdjust(s, B2, std::max(AdjustOf(s, B2) - P2, 0));
  } else if (AdjustOf(s, B1) > 0) {
    SetAdjust(s, B1, std::max(AdjustOf(s, B1) - (P2 - P1 + 1), 0));
  }
  // Bars removed whole lose their entries; the later ones move down.
  if (G >= F) {
    const int32_t size = static_cast<int32_t>(s.BarAdjust.size());
    if (F < size) {
      const int32_t end = std::min(G + 1, size);
      s.BarAdjust.erase(s.BarAdjust.begin() + F, s.BarAdjust.begin() + end);
    }
  }
  int32_t relabelFrom = s.PreRows > 0 && B1 == 1 ? rpb - s.PreRows + 2 : top - P1 + 1;

  ctx.host.ProcessEvents();
  s.RowNotes.erase(s.RowNotes.begin() + ScoreRowOf(top), s.RowNotes.begin() + ScoreRowOf(bottom) + 1);
  s.RowCount = R - count;

  // The table ends with the bar of the new last row, whose adjustment is no
  // longer than the rows it still has.
  const BarBeat newLast = RowLabelOf(s, s.RowCount);
  ResizeAdjust(s, newLast.bar + 1);
  const int32_t adj = AdjustOf(s, newLast.bar);
  const int32_t diff = newLast.beat - rpb;
  if (adj > 0 && adj > diff) SetAdjust(s, newLast.bar, std::max(diff, 0));

  ctx.Restore(SnapshotKind::DeleteRows);
  st.MoveTo(st.cursor);
  ctx.MarkChanged();

  u.changed = true;
  u.rowsRemovedAt = top;
  u.rowsRemoved = count;
  u.relabelFrom = std::clamp(std::min(relabelFrom, top), kFirstGridRow, s.RowCount + 2);
  u.cursorMoved = true;
  return u;
}

// ---- resolution ---------------------------------------------------------------------

GridUpdate MultiplyResolution(EditorContext& ctx, int32_t f) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  if (f < 2) return u;
  FitRowTable(s);
  const int32_t R = s.RowCount;
  if (static_cast<int64_t>(R) * f > kMaxRows) {
    ctx.messages.ShowInformation(kTooManyRowsResolution);
    return u;
  }
  st.RememberCurrent();
  const int32_t Y = std::clamp(st.cursor.row, kFirstGridRow, R + 2);

  std::vector<RowSlots> rows(static_cast<size_t>(R) * f + 1, RowSlots{});
  rows[0] = s.RowNotes[0];
  for (int32_t i = 1; i <= R; ++i) rows[static_cast<size_t>(i - 1) * f + 1] = s.RowNotes[i];
  s.RowNotes = std::move(rows);
  for (size_t b = 1; b < s.BarAdjust.size(); ++b) s.BarAdjust[b] = Sat16(static_cast<int64_t>(s.BarAdjust[b]) * f);

  s.RowsPerBar = Mul32(s.RowsPerBar, f);
  s.NoteValue = Mul32(s.NoteValue, f);
  s.PreRows = Mul32(s.PreRows, f);
  s.HalfPeriod = s.HalfPeriod / f;
  if (s.HalfPeriod == 0) s.HalfPeriod = 1;
  s.RowCount = R * f;

  st.cursor.row = (Y - 2) * f + 2;
  st.MoveTo(st.cursor);
  ctx.Restore(SnapshotKind::ResolutionUp);
  ctx.MarkChanged();

  u.changed = true;
  u.reset = true;
  u.relabelFrom = kFirstGridRow;
  u.timingLabels = true;
  u.cursorMoved = true;
  u.scrollTopRow = st.cursor.row <= 10 ? kFirstGridRow : st.cursor.row - 10;
  return u;
}

std::string DivideRefusal(int32_t rowsPerBar, int32_t d) {
  return std::to_string(rowsPerBar) + "行／小節なので、" + (d == 3 ? "３" : "２") + "分の１に出来ません。";
}

GridUpdate DivideResolution(EditorContext& ctx, int32_t d) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  if (d < 2) return u;
  FitRowTable(s);
  const int32_t R = s.RowCount;
  const int32_t Y = std::clamp(st.current.row, kFirstGridRow, R + 2);
  if (s.RowsPerBar % d != 0) {
    ctx.messages.ShowInformation(DivideRefusal(s.RowsPerBar, d));
    return u;
  }

  // Rows on a beat boundary of the new resolution are kept, numbered 1, 2, 3
  // ... in order; the notes of every other row are discarded.
  const int32_t r = ((s.PreRows % d) + d) % d;
  std::vector<RowSlots> rows;
  rows.reserve(static_cast<size_t>(R / d) + 2);
  rows.push_back(s.RowNotes[0]);
  for (int32_t i = (d - r) % d + 1; i <= R; i += d) rows.push_back(s.RowNotes[i]);
  s.RowNotes = std::move(rows);
  s.RowCount = static_cast<int32_t>(s.RowNotes.size()) - 1;

  s.RowsPerBar /= d;
  s.NoteValue /= d;
  if (s.NoteValue == 0) s.NoteValue = 1;
  s.HalfPeriod = Mul32(s.HalfPeriod, d);
  s.PreRows = (s.PreRows + r) / d;
  for (size_t b = 1; b < s.BarAdjust.size(); ++b) s.BarAdjust[b] = static_cast<int16_t>(s.BarAdjust[b] / d);

  int32_t row = (Y + r - 2) / d + 1;
  if (row < kFirstGridRow) row = kFirstGridRow;
  row = std::min(row, SpareGridRow(s));
  st.cursor = {st.current.col, row};
  st.MoveTo(st.cursor);
  ctx.Restore(SnapshotKind::ResolutionDown);
  ctx.MarkChanged();

  u.changed = true;
  u.reset = true;
  u.relabelFrom = kFirstGridRow;
  u.timingLabels = true;
  u.cursorMoved = true;
  u.scrollTopRow = row < 12 ? kFirstGridRow : row - 10;
  return u;
}

// ---- bar length -------------------------------------------------------------------------

BarLengthLimits BarLengthLimitsOf(const Score& s, int32_t scoreRow) {
  BarLengthLimits l;
  const BarBeat at = RowLabelOf(s, scoreRow);
  l.bar = at.bar;
  l.position = at.beat;
  l.low = std::max<int32_t>(1 - s.RowsPerBar, std::numeric_limits<int16_t>::min());
  int64_t high = static_cast<int64_t>(s.RowCount) - scoreRow + at.beat - s.RowsPerBar;
  if (high < 0) {
    high -= 1;
    l.orZero = true;
  }
  // Adjustments are stored in 16 bits.
  l.high = static_cast<int32_t>(std::min<int64_t>(high, std::numeric_limits<int16_t>::max()));
  return l;
}

GridUpdate AdjustBarLength(EditorContext& ctx) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  if (s.RowsPerBar < 1) return u;
  const int32_t Y = st.current.row;
  if (Y < kFirstGridRow || Y > s.RowCount + 1) return u;
  const BarLengthLimits lim = BarLengthLimitsOf(s, ScoreRowOf(Y));
  const int32_t B = lim.bar;
  if (B == 1 && s.PreRows > 0) {
    ctx.messages.ShowInformation(kBarLengthWithPreRows);
    return u;
  }

  PromptRequest req;
  req.mode = PromptMode::Phrajt;
  req.caption = "第" + std::to_string(B) + "小節長さの調整";
  req.text = "増減する行数（" + std::to_string(lim.low) + "～" + std::to_string(lim.high) +
             (lim.orZero ? "又は0" : "") + "：-6 等半角で、減らすときは-をつける）を指定してください。";
  req.entry = std::to_string(AdjustOf(s, B));
  req.mask = "#99;0;_";
  const std::string answer =
      ctx.host.RunPrompt(req, [](const std::string& entry, std::string& result) {
        result = entry;
        return true;
      });
  const std::string text = TrimBlanks(answer);
  int32_t v = 0;
  if (text.empty() || text == "+" || text == "-" || !ReadSigned(text, v)) return u;
  if (v < lim.low) v = lim.low;
  if (v > lim.high) v = lim.orZero ? 0 : lim.high;
  SetAdjust(s, B, v);

  // The table covers the bars the rows now fill.
  const int32_t rpb = s.RowsPerBar;
  const int32_t p = s.PreRows;
  int64_t sum = 0, sumBeforeB = 0;
  for (int32_t b = 1; b < static_cast<int32_t>(s.BarAdjust.size()); ++b) {
    if (b == B) sumBeforeB = sum;
    sum += s.BarAdjust[b];
    if (static_cast<int64_t>(b) * rpb - p + sum >= s.RowCount) break;
  }
  const int64_t t = (static_cast<int64_t>(s.RowCount) + p - sum) / rpb;
  ResizeAdjust(s, static_cast<int32_t>(std::max<int64_t>(t + 2, B + 1)));

  ctx.Restore(SnapshotKind::BarLength);
  ctx.MarkChanged(false);

  u.changed = true;
  const int64_t from = static_cast<int64_t>(rpb) * (B - 1) + sumBeforeB - p + 2;
  u.relabelFrom = static_cast<int32_t>(std::clamp<int64_t>(from, kFirstGridRow, s.RowCount + 2));
  return u;
}

}  // namespace poronka::editor
