#include "editor/pitch_ops.h"

#include <algorithm>

#include "core/text_codec.h"
#include "editor/editor_ops.h"
#include "editor/op_support.h"

namespace poronka::editor {

const char* const kBadPitchName = "音名が正しくありません";
const char* const kDeleteAllPitches = "全音削除は出来ません！";

using namespace ops_detail;

std::string PitchExistsMessage(const std::string& entry) { return "この音（" + entry + "）は既に存在します"; }

std::string PitchRangeMessage(int32_t count) {
  return "可能な音程の範囲を超えてしまいます。\n" + std::to_string(count) + "個の音程を追加します。";
}

std::string CleanupMessage(int32_t count) { return std::to_string(count) + "個の音を削除しました。"; }

namespace {

char16_t OctaveDigitOf(int32_t note) { return static_cast<char16_t>(u'0' + (note / 12) % 10); }
char16_t SharpLetterOf(int32_t note) { return static_cast<char16_t>(kSharpLetters[note % 12]); }

int32_t PitchAt(const Score& s, int32_t col) {
  return col >= 1 && col < static_cast<int32_t>(s.ColumnPitch.size()) ? s.ColumnPitch[static_cast<size_t>(col)] : 0;
}

void FitColumnTable(Score& s) {
  if (s.ColumnCount < 0) s.ColumnCount = 0;
  s.ColumnPitch.resize(static_cast<size_t>(s.ColumnCount) + 1, 0);
}

// Removes the pitch columns c (1..ColumnCount) with remove[c] set: the
// notes in them go, the later columns move down and every row's remaining
// notes are stored again from slot 0. Row 0 is copied again from the last
// row. Returns the number of columns removed.
int32_t RemoveColumns(Score& s, const std::vector<char>& remove) {
  const int32_t N = s.ColumnCount;
  std::vector<int32_t> map(static_cast<size_t>(N) + 1, 0);
  int32_t kept = 0;
  for (int32_t c = 1; c <= N; ++c)
    if (!remove[static_cast<size_t>(c)]) map[static_cast<size_t>(c)] = ++kept;
  const int32_t removed = N - kept;
  if (removed == 0) return 0;

  for (int32_t r = 1; r <= s.RowCount; ++r) {
    RowSlots& row = s.RowNotes[static_cast<size_t>(r)];
    RowSlots out{};
    int slot = 0;
    ForEachNote(row, [&](int, int32_t c) {
      int32_t to;
      if (c >= 1 && c <= N) {
        to = map[static_cast<size_t>(c)];
      } else {
        to = c > N ? c - removed : c;  // outside the columns: keep its distance
      }
      if (to == 0) return;
      out[static_cast<size_t>(slot)] = to;
      slot = NextSlot(slot);
    });
    row = out;
  }
  CopyLastRowToRowZero(s);

  std::u16string oct, let;
  std::vector<int32_t> pitch(1, 0);
  for (int32_t c = 1; c <= N; ++c) {
    if (remove[static_cast<size_t>(c)]) continue;
    if (static_cast<size_t>(c - 1) < s.OctaveLine.size()) oct += s.OctaveLine[static_cast<size_t>(c - 1)];
    if (static_cast<size_t>(c - 1) < s.LetterLine.size()) let += s.LetterLine[static_cast<size_t>(c - 1)];
    pitch.push_back(PitchAt(s, c));
  }
  s.OctaveLine = std::move(oct);
  s.LetterLine = std::move(let);
  s.ColumnPitch = std::move(pitch);
  s.ColumnCount = kept;
  return removed;
}

// Puts the grid's cursor back on the remembered cell (inside the columns)
// and collapses the selection to it.
void RestoreCursor(EditorContext& ctx) {
  EditorState& st = ctx.state;
  st.cursor.col = std::clamp(st.cursor.col, 1, std::max(1, ctx.score.ColumnCount));
  st.cursor.row = std::clamp(st.cursor.row, kFirstGridRow, SpareGridRow(ctx.score));
  st.MoveTo(st.cursor);
}

// The column deletion shared by deleting the selection and the cleanup.
// Returns false (after the message) when the range covers every column.
bool DeleteColumnRange(EditorContext& ctx, int32_t L, int32_t Rt) {
  Score& s = ctx.score;
  if (L <= 1 && Rt >= s.ColumnCount) {
    ctx.messages.ShowInformation(kDeleteAllPitches);
    RestoreCursor(ctx);
    return false;
  }
  ctx.host.ProcessEvents();
  std::vector<char> remove(static_cast<size_t>(s.ColumnCount) + 1, 0);
  for (int32_t c = std::max(L, 1); c <= std::min(Rt, s.ColumnCount); ++c) remove[static_cast<size_t>(c)] = 1;
  RemoveColumns(s, remove);
  RestoreCursor(ctx);
  ctx.MarkChanged();
  return true;
}

}  // namespace

// ---- inserting a pitch ------------------------------------------------------------

bool InsertPitchEntry(Score& s, bool flatDisplay, Messages& messages, const std::string& entry,
                      std::string& result) {
  const char* table = flatDisplay ? kFlatLetters : kSharpLetters;
  int place = -1;
  if (entry.size() == 2 && entry[0] >= '0' && entry[0] <= '9') {
    for (int i = 0; i < 12; ++i)
      if (table[i] == entry[1]) place = i;
  }
  if (place < 0) {
    messages.ShowInformation(kBadPitchName);
    return false;
  }
  const int32_t note = (entry[0] - '0') * 12 + place;
  FitColumnTable(s);
  for (int32_t c = 1; c <= s.ColumnCount; ++c) {
    if (s.ColumnPitch[static_cast<size_t>(c)] == note) {
      messages.ShowInformation(PitchExistsMessage(entry));
      return false;
    }
  }
  int32_t at = s.ColumnCount + 1;
  for (int32_t c = 1; c <= s.ColumnCount; ++c) {
    if (s.ColumnPitch[static_cast<size_t>(c)] > note) {
      at = c;
      break;
    }
  }
  s.ColumnPitch.insert(s.ColumnPitch.begin() + at, note);
  s.ColumnCount += 1;
  for (int32_t r = 1; r < static_cast<int32_t>(s.RowNotes.size()); ++r)
    for (int32_t& c : s.RowNotes[static_cast<size_t>(r)])
      if (c >= at) ++c;
  const size_t pos = static_cast<size_t>(at - 1);
  s.OctaveLine.insert(std::min(pos, s.OctaveLine.size()), 1, static_cast<char16_t>(entry[0]));
  s.LetterLine.insert(std::min(pos, s.LetterLine.size()), 1, static_cast<char16_t>(kSharpLetters[place]));
  CopyLastRowToRowZero(s);
  result = entry + std::to_string(at);
  return true;
}

GridUpdate InsertPitch(EditorContext& ctx) {
  GridUpdate u;
  PromptRequest req;
  req.mode = PromptMode::ColAdd;
  req.caption = "新しい音の挿入";
  req.text = "挿入する音名（6A 等半角で）を指定してください。";
  req.entry = "";
  req.mask = "0C;1;_";
  const std::string result =
      ctx.host.RunPrompt(req, [&ctx](const std::string& entry, std::string& res) {
        return InsertPitchEntry(ctx.score, ctx.state.flatDisplay, ctx.messages, entry, res);
      });
  if (result.size() < 3) return u;
  int32_t col = 0;
  for (size_t i = 2; i < result.size() && result[i] >= '0' && result[i] <= '9'; ++i) col = col * 10 + (result[i] - '0');
  ctx.host.ProcessEvents();
  ctx.Restore(SnapshotKind::InsertPitch);
  RestoreCursor(ctx);
  ctx.MarkChanged();
  u.changed = true;
  u.colsInsertedAt = col;
  u.colsInserted = 1;
  u.cursorMoved = true;
  return u;
}

// ---- adding high and low pitches ---------------------------------------------------

GridUpdate AddHighPitches(EditorContext& ctx) {
  Score& s = ctx.score;
  GridUpdate u;
  FitColumnTable(s);
  if (s.ColumnCount < 1) return u;
  const int32_t top = s.ColumnPitch[static_cast<size_t>(s.ColumnCount)];
  int32_t count = 12;
  if (119 - top < 12) {
    ctx.messages.ShowInformation(PitchRangeMessage(119 - top));
    count = 119 - top;
    if (count <= 0) return u;
  }
  const int32_t at = s.ColumnCount + 1;
  for (int32_t i = 1; i <= count; ++i) {
    const int32_t note = top + i;
    s.ColumnPitch.push_back(note);
    s.OctaveLine += OctaveDigitOf(note);
    s.LetterLine += SharpLetterOf(note);
  }
  s.ColumnCount += count;
  ctx.Restore(SnapshotKind::InsertPitch);
  ctx.MarkChanged();
  u.changed = true;
  u.colsInsertedAt = at;
  u.colsInserted = count;
  return u;
}

GridUpdate AddLowPitches(EditorContext& ctx) {
  Score& s = ctx.score;
  GridUpdate u;
  FitColumnTable(s);
  if (s.ColumnCount < 1) return u;
  const int32_t low = s.ColumnPitch[1];
  int32_t count = 12;
  if (low < 12) {
    ctx.messages.ShowInformation(PitchRangeMessage(low));
    count = low;
    if (count <= 0) return u;
  }
  std::vector<int32_t> added;
  std::u16string oct, let;
  for (int32_t i = 0; i < count; ++i) {
    const int32_t note = low - count + i;
    added.push_back(note);
    oct += OctaveDigitOf(note);
    let += SharpLetterOf(note);
  }
  s.ColumnPitch.insert(s.ColumnPitch.begin() + 1, added.begin(), added.end());
  s.OctaveLine = oct + s.OctaveLine;
  s.LetterLine = let + s.LetterLine;
  for (int32_t r = 1; r <= s.RowCount && r < static_cast<int32_t>(s.RowNotes.size()); ++r)
    for (int32_t& c : s.RowNotes[static_cast<size_t>(r)])
      if (c != 0) c += count;
  CopyLastRowToRowZero(s);
  s.ColumnCount += count;
  ctx.Restore(SnapshotKind::InsertPitch);
  ctx.MarkChanged();
  u.changed = true;
  u.colsInsertedAt = 1;
  u.colsInserted = count;
  return u;
}

// ---- deleting pitch columns ------------------------------------------------------------

GridUpdate DeleteSelectedPitches(EditorContext& ctx) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  FitColumnTable(s);
  FitRowTable(s);
  if (s.ColumnCount < 1) return u;
  const int32_t L = std::clamp(std::min(st.selection.left, st.selection.right), 1, s.ColumnCount);
  const int32_t Rt = std::clamp(std::max(st.selection.left, st.selection.right), 1, s.ColumnCount);
  auto name = [&](int32_t c) {
    return Utf16ToUtf8(OctaveCell(s, c)) + "･" + Utf16ToUtf8(LetterCell(s, c, false));
  };
  const std::string question =
      name(L) + "から" + name(Rt) + "の音程を削除します。" + "\r" + "よろしいですか？";
  if (!ctx.messages.AskOkCancel(question)) return u;
  const int32_t before = s.ColumnCount;
  if (!DeleteColumnRange(ctx, L, Rt)) {
    u.cursorMoved = true;
    return u;
  }
  if (s.ColumnCount < before) ctx.Restore(SnapshotKind::DeletePitches);
  u.changed = true;
  u.colsRemovedAt = L;
  u.colsRemoved = before - s.ColumnCount;
  u.cursorMoved = true;
  return u;
}

GridUpdate CleanupPitches(EditorContext& ctx) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  GridUpdate u;
  FitColumnTable(s);
  FitRowTable(s);
  st.CollapseSelection();
  u.cursorMoved = true;
  const int32_t N = s.ColumnCount;
  std::vector<char> used(static_cast<size_t>(N) + 1, 0);
  for (int32_t r = 1; r <= s.RowCount; ++r)
    ForEachNote(s.RowNotes[static_cast<size_t>(r)], [&](int, int32_t c) {
      if (c >= 1 && c <= N) used[static_cast<size_t>(c)] = 1;
    });
  // From the highest column down while at least two columns remain: every
  // unused column goes, and when none is used the lowest one stays.
  std::vector<char> remove(static_cast<size_t>(N) + 1, 0);
  int32_t remaining = N;
  for (int32_t c = N; c >= 1 && remaining >= 2; --c) {
    if (!used[static_cast<size_t>(c)]) {
      remove[static_cast<size_t>(c)] = 1;
      --remaining;
    }
  }
  const int32_t removed = N - remaining;
  if (removed > 0) {
    ctx.host.ProcessEvents();
    RemoveColumns(s, remove);
    ctx.MarkChanged();
  }
  RestoreCursor(ctx);
  if (removed > 0) {
    ctx.Restore(SnapshotKind::Cleanup);
    ctx.messages.ShowInformation(CleanupMessage(removed));
    u.changed = true;
    u.reset = true;  // columns went from anywhere
    u.headerChanged = true;
  }
  return u;
}

// ---- transposing -------------------------------------------------------------------------

std::vector<std::string> TranspositionItems(const Score& s) {
  int32_t lo = 0, hi = 0;
  bool any = false;
  for (int32_t c = 1; c <= s.ColumnCount && c < static_cast<int32_t>(s.ColumnPitch.size()); ++c) {
    const int32_t p = s.ColumnPitch[static_cast<size_t>(c)];
    lo = any ? std::min(lo, p) : p;
    hi = any ? std::max(hi, p) : p;
    any = true;
  }
  const int32_t cutEnd = any ? std::clamp(hi - 95, 0, 24) : 0;
  const int32_t cutStart = any ? std::clamp(24 - lo, 0, 24) : 0;
  std::vector<std::string> items;
  for (int32_t v = -24 + cutStart; v <= 24 - cutEnd; ++v)
    items.push_back(v > 0 ? "+" + std::to_string(v) : std::to_string(v));
  return items;
}

GridUpdate TransposePitches(EditorContext& ctx) {
  Score& s = ctx.score;
  GridUpdate u;
  FitColumnTable(s);
  PromptRequest req;
  req.mode = PromptMode::NotMov;
  req.caption = "音程の移動";
  req.text = "±１で半音ずつ高音又は低音側へ移動します。";
  req.items = TranspositionItems(s);
  req.selected = "0";
  const std::vector<std::string> items = req.items;
  const std::string answer = ctx.host.RunPrompt(req, [](const std::string& entry, std::string& result) {
    result = entry;
    return true;
  });
  if (std::find(items.begin(), items.end(), answer) == items.end()) return u;
  const int32_t v = std::stoi(answer);
  if (v == 0) return u;

  s.OctaveLine.clear();
  s.LetterLine.clear();
  for (int32_t c = 1; c <= s.ColumnCount; ++c) {
    int32_t& p = s.ColumnPitch[static_cast<size_t>(c)];
    p += v;
    const std::string name = PitchName(p);
    s.OctaveLine += static_cast<char16_t>(name[0]);
    s.LetterLine += static_cast<char16_t>(name[1]);
  }
  ctx.Restore(SnapshotKind::Transpose);
  ctx.MarkChanged(false);
  u.changed = true;
  u.headerChanged = true;
  return u;
}

}  // namespace poronka::editor
