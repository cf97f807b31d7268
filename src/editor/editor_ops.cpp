#include "editor/editor_ops.h"

#include <algorithm>
#include <cctype>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka::editor {

const char* const kClearQuestion = "作成されたデータをメモリからクリアします。\rよろしいですか？";

namespace {

constexpr char kLabelDot[] = "･";
constexpr char kMark[] = "○";

int16_t AdjustOf(const Score& s, int32_t bar) {
  return bar >= 0 && bar < static_cast<int32_t>(s.BarAdjust.size()) ? s.BarAdjust[bar] : 0;
}

std::string Trim(const std::string& t) {
  size_t b = 0, e = t.size();
  while (b < e && (t[b] == ' ' || t[b] == '\t' || t[b] == '\r' || t[b] == '\n')) ++b;
  while (e > b && (t[e - 1] == ' ' || t[e - 1] == '\t' || t[e - 1] == '\r' || t[e - 1] == '\n')) --e;
  return t.substr(b, e - b);
}

// A trimmed decimal number of digits only (the masks allow nothing else).
bool ReadNumber(const std::string& text, int32_t& value) {
  std::string t = Trim(text);
  if (t.empty() || t.size() > 9) return false;
  int32_t v = 0;
  for (char c : t) {
    if (c < '0' || c > '9') return false;
    v = v * 10 + (c - '0');
  }
  value = v;
  return true;
}

bool ValidColumn(const Score& s, int32_t col) { return col >= 1 && col <= s.ColumnCount; }

int32_t PitchOf(const Score& s, int32_t col) {
  return col >= 1 && col < static_cast<int32_t>(s.ColumnPitch.size()) ? s.ColumnPitch[col] : 0;
}

// Clamps a cell into the pitch columns and grid rows 2..RowCount + 2.
GridCell ClampToGrid(const Score& s, GridCell c) {
  c.col = std::clamp(c.col, 1, std::max(1, s.ColumnCount));
  c.row = std::clamp(c.row, kFirstGridRow, SpareGridRow(s));
  return c;
}

}  // namespace

// ---- what the grid shows ----------------------------------------------------

std::vector<BarBeat> RowLabels(const Score& s) { return EditorBarNumbers(s); }

BarBeat RowLabelOf(const Score& s, int32_t scoreRow) {
  int32_t bar = 1;
  int32_t pos = s.PreRows;
  BarBeat out{0, 0};
  for (int32_t r = 1; r <= scoreRow && r <= s.RowCount; ++r) {
    ++pos;
    if (pos > s.RowsPerBar + AdjustOf(s, bar)) {
      pos = 1;
      ++bar;
    }
    out = {bar, pos};
  }
  return out;
}

std::string LabelText(BarBeat label) {
  return std::to_string(label.bar) + kLabelDot + std::to_string(label.beat);
}

bool ParseLabel(const std::string& text, BarBeat& label) {
  size_t dot = text.find(kLabelDot);
  if (dot == std::string::npos) return false;
  int32_t bar = 0, pos = 0;
  if (!ReadNumber(text.substr(0, dot), bar) ||
      !ReadNumber(text.substr(dot + sizeof(kLabelDot) - 1), pos))
    return false;
  label = {bar, pos};
  return true;
}

char16_t FlatLetterOf(char16_t c) {
  switch (c) {
    case u'a': return u'b';
    case u'g': return u'a';
    case u'f': return u'g';
    case u'd': return u'e';
    case u'c': return u'd';
    default: return c;
  }
}

std::u16string OctaveCell(const Score& s, int32_t col) {
  if (col < 1 || col > static_cast<int32_t>(s.OctaveLine.size())) return u"";
  return std::u16string(1, s.OctaveLine[static_cast<size_t>(col - 1)]);
}

std::u16string LetterCell(const Score& s, int32_t col, bool flat) {
  if (col < 1 || col > static_cast<int32_t>(s.LetterLine.size())) return u"";
  char16_t c = s.LetterLine[static_cast<size_t>(col - 1)];
  return std::u16string(1, flat ? FlatLetterOf(c) : c);
}

std::string ColumnNameShown(const Score& s, int32_t col, bool flat) {
  return Utf16ToUtf8(OctaveCell(s, col) + LetterCell(s, col, flat));
}

bool CellMarked(const Score& s, int32_t col, int32_t gridRow) {
  const int32_t r = ScoreRowOf(gridRow);
  if (r < 1 || r > s.RowCount || r >= static_cast<int32_t>(s.RowNotes.size())) return false;
  return RowHasColumn(s.RowNotes[static_cast<size_t>(r)], col);
}

std::string CursorText(const Score& s, GridCell cell, bool flat) {
  const int32_t r = ScoreRowOf(cell.row);
  std::string label = r >= 1 && r <= s.RowCount ? LabelText(RowLabelOf(s, r)) : "";
  return "(" + std::to_string(r) + ")" + label + "=" + ColumnNameShown(s, cell.col, flat);
}

std::string SpeedLabel(const Score& s) {
  return "速度:" + std::to_string(static_cast<int64_t>(s.HalfPeriod) * 2) + "mS／行";
}
std::string PhraseLabel(const Score& s) { return std::to_string(s.RowsPerBar) + "行/小節"; }
std::string NoteLabel(const Score& s, bool perRow) {
  return std::to_string(s.NoteValue) + (perRow ? "分音符／行" : "分音符");
}

// ---- MIDI -------------------------------------------------------------------

std::vector<uint32_t> MusicBoxSetupMessages() {
  std::vector<uint32_t> out;
  for (int ch = 0; ch < 16; ++ch) {
    if (ch == 9) continue;
    out.push_back(ShortMessage(0xB0 + ch, 0x00, 0x00));
    out.push_back(ShortMessage(0xB0 + ch, 0x20, 0x00));
    out.push_back(ShortMessage(0xC0 + ch, 0x0A));
    out.push_back(ShortMessage(0xB0 + ch, 0x0A, 0x40));
    out.push_back(ShortMessage(0xB0 + ch, 0x5B, 0x28));
    out.push_back(ShortMessage(0xB0 + ch, 0x5D, 0x00));
    out.push_back(ShortMessage(0xB0 + ch, 0x01, 0x00));
  }
  return out;
}

std::vector<uint32_t> RowNoteOns(const Score& s, int32_t scoreRow) {
  std::vector<uint32_t> out;
  if (scoreRow < 1 || scoreRow > s.RowCount || scoreRow >= static_cast<int32_t>(s.RowNotes.size()))
    return out;
  ForEachNote(s.RowNotes[static_cast<size_t>(scoreRow)], [&](int slot, int32_t col) {
    if (ValidColumn(s, col)) out.push_back(ShortMessage(0x90 + slot, PitchOf(s, col) & 0x7F, 100));
  });
  return out;
}

// ---- showing, New -------------------------------------------------------------

void ShowEditor(EditorContext& ctx, ShowSender sender) {
  if (ctx.score.ColumnCount <= 0) {
    if (sender != ShowSender::Undo) ctx.state.undo.Reset();
    if (!NewScore(ctx)) ctx.Restore(SnapshotKind::Base);
  } else if (sender == ShowSender::Window || sender == ShowSender::Open) {
    // The ring never reaches a snapshot of another score.
    ctx.state.undo.Reset();
    ctx.state.flatDisplay = ctx.state.flatDisplay && sender == ShowSender::Open;
    GridCell keep = ctx.state.cursor;
    ctx.state.cursor = GridCell{};
    ctx.Restore(SnapshotKind::Base);
    ctx.state.cursor = keep;
  }
  if (sender == ShowSender::Undo) return;
  for (uint32_t m : MusicBoxSetupMessages()) ctx.host.SendShortMessage(m);
  ctx.session.NeedsPrepare = false;
  ctx.state.MoveTo(GridCell{1, kFirstGridRow});
  ctx.state.RememberCurrent();
  ctx.state.toggleArmed = false;
}

bool NewScore(EditorContext& ctx) {
  Score& s = ctx.score;
  if (s.Modified && !ctx.messages.AskOkCancel(kClearQuestion)) return false;
  const int32_t bpm = s.Bpm;  // New leaves the tempo figure to the next preparation
  MakeNewSong(s);
  s.Bpm = bpm;
  ctx.state.MoveTo(GridCell{1, kFirstGridRow});
  ctx.state.RememberCurrent();
  // The new song is the oldest state: nothing of the old one can come back.
  ctx.state.undo.Reset();
  ctx.Restore(SnapshotKind::Base);
  ctx.state.flatDisplay = false;
  const std::string ext = UpperExtension(s.FileName);
  const bool media = ctx.host.MediaActive();
  const bool forget = ext == ".MBT" || (ext == ".MID" && !media);
  if (s.Modified) {
    s.Modified = false;
    if (!media) ctx.session.NeedsPrepare = true;
  } else if (forget) {
    ctx.session.NeedsPrepare = true;
  }
  if (forget) s.FileName.clear();
  return true;
}

// ---- notes ------------------------------------------------------------------

bool ToggleNote(EditorContext& ctx) {
  Score& s = ctx.score;
  EditorState& st = ctx.state;
  st.RememberCurrent();
  const int32_t r = ScoreRowOf(st.current.row);
  const int32_t col = st.current.col;
  if (!st.toggleArmed || r < 1 || r > s.RowCount || !st.selection.IsSingleCell() ||
      !ValidColumn(s, col) || r >= static_cast<int32_t>(s.RowNotes.size()))
    return false;
  RowSlots& row = s.RowNotes[static_cast<size_t>(r)];
  if (RowHasColumn(row, col)) {
    std::vector<int32_t> cols = ColumnsOf(row);
    cols.erase(std::find(cols.begin(), cols.end(), col));
    row = RowFromColumns(cols);
  } else {
    int placed = -1;
    for (int k = 0; k < kSlotsPerRow; k = NextSlot(k)) {
      if (row[k] != 0 && row[k] > col) {
        // Shift slots k..14 up one place; a full row loses its highest note.
        for (int j = 14; j >= k; --j) {
          if (j == kUnusedSlot) continue;
          const int dest = NextSlot(j);
          row[dest] = row[j];
          if (row[j] != 0 && dest > s.MaxSlot) s.MaxSlot = dest;
        }
        row[k] = col;
        placed = k;
        break;
      }
      if (row[k] == 0) {
        row[k] = col;
        if (k > s.MaxSlot) s.MaxSlot = k;
        placed = k;
        break;
      }
    }
    if (placed < 0) {
      st.toggleArmed = false;
      return false;
    }
    if (st.soundOnCursor) ctx.host.SendShortMessage(ShortMessage(0x90, PitchOf(s, col) & 0x7F, 100));
  }
  ctx.MarkChanged();
  ctx.Restore(SnapshotKind::Toggle);
  st.toggleArmed = false;
  return true;
}

void SoundRowForMove(EditorContext& ctx, int direction) {
  if (!ctx.state.soundOnCursor) return;
  const int32_t r = ScoreRowOf(ctx.state.current.row) + (direction < 0 ? -1 : 1);
  for (uint32_t m : RowNoteOns(ctx.score, r)) ctx.host.SendShortMessage(m);
}

// ---- clipboard --------------------------------------------------------------

void CopySelection(EditorContext& ctx) {
  const Score& s = ctx.score;
  const GridRect sel = ctx.state.selection;
  Clipboard& c = ctx.session.clipboard;
  c.rows = sel.bottom - sel.top + 1;
  c.cols = sel.right - sel.left + 1;
  if (c.rows < 1 || c.cols < 1) return;
  c.marks.assign(static_cast<size_t>(c.rows) * c.cols, 0);
  for (int32_t i = 0; i < c.rows; ++i)
    for (int32_t j = 0; j < c.cols; ++j)
      c.marks[static_cast<size_t>(i) * c.cols + j] = CellMarked(s, sel.left + j, sel.top + i) ? 1 : 0;
  const int32_t first = ScoreRowOf(sel.top);
  const std::string label = first >= 1 && first <= s.RowCount ? LabelText(RowLabelOf(s, first)) : "";
  c.description = label + "=" + ColumnNameShown(s, sel.left, ctx.state.flatDisplay) + "→" +
                  std::to_string(c.rows) + ":" + std::to_string(c.cols);
  ctx.state.CollapseSelection();
}

std::string PasteMenuHint(const Clipboard& c) { return c.description; }
std::string PasteButtonHint(const Clipboard& c) { return "貼り付け" + c.description; }

void Paste(EditorContext& ctx) {
  Score& s = ctx.score;
  const Clipboard& c = ctx.session.clipboard;
  if (c.empty()) return;
  const GridCell at = ctx.state.current;
  const int32_t firstRow = ScoreRowOf(at.row);
  for (int32_t i = 0; i < c.rows; ++i) {
    const int32_t r = firstRow + i;
    if (r < 1) continue;
    if (r > s.RowCount || r >= static_cast<int32_t>(s.RowNotes.size())) break;
    RowSlots& row = s.RowNotes[static_cast<size_t>(r)];
    std::vector<uint8_t> marked(static_cast<size_t>(s.ColumnCount) + 1, 0);
    ForEachNote(row, [&](int, int32_t col) {
      if (ValidColumn(s, col)) marked[static_cast<size_t>(col)] = 1;
    });
    for (int32_t j = 0; j < c.cols; ++j) {
      const int32_t col = at.col + j;
      if (!ValidColumn(s, col)) continue;
      marked[static_cast<size_t>(col)] = c.Mark(i, j) ? 1 : 0;
    }
    row = RowSlots{};
    int slot = 0;
    int last = -1;
    for (int32_t col = 1; col <= s.ColumnCount && slot < kSlotsPerRow; ++col) {
      if (!marked[static_cast<size_t>(col)]) continue;
      row[slot] = col;
      last = slot;
      slot = NextSlot(slot);
    }
    if (last > s.MaxSlot) s.MaxSlot = last;
  }
  ctx.Restore(SnapshotKind::Paste);
  ctx.state.CollapseSelection();
  ctx.MarkChanged();
}

// ---- undo and redo ----------------------------------------------------------

namespace {
void AfterRestore(EditorContext& ctx) {
  EditorState& st = ctx.state;
  const GridCell cur = ClampToGrid(ctx.score, st.current);
  if (!(cur == st.current)) st.MoveTo(cur);
  st.cursor = ClampToGrid(ctx.score, st.cursor);
  st.selection.left = std::clamp(st.selection.left, 1, std::max(1, ctx.score.ColumnCount));
  st.selection.right = std::clamp(st.selection.right, 1, std::max(1, ctx.score.ColumnCount));
  st.selection.top = std::clamp(st.selection.top, kFirstGridRow, SpareGridRow(ctx.score));
  st.selection.bottom = std::clamp(st.selection.bottom, kFirstGridRow, SpareGridRow(ctx.score));
}
}  // namespace

SnapshotKind UndoStep(EditorContext& ctx) {
  SnapshotKind k = ctx.state.undo.Undo(ctx.score);
  if (k != SnapshotKind::None) AfterRestore(ctx);
  return k;
}

SnapshotKind RedoStep(EditorContext& ctx) {
  SnapshotKind k = ctx.state.undo.Redo(ctx.score);
  if (k != SnapshotKind::None) AfterRestore(ctx);
  return k;
}

// ---- song information -------------------------------------------------------

SongInfoFields SongInfoFromScore(const Score& s) {
  SongInfoFields f;
  f.speed = std::to_string(static_cast<int64_t>(s.HalfPeriod) * 2);
  f.phrlen = std::to_string(s.RowsPerBar);
  f.note = std::to_string(s.NoteValue);
  f.brc = std::to_string(s.PreRows);
  f.title = s.Title;
  return f;
}

SongInfoField ApplySongInfo(EditorContext& ctx, const SongInfoFields& f) {
  static const char* const kNotNumber = "数値を入力してください。";
  Score& s = ctx.score;
  int32_t speed = 0, rpb = 0, note = 0, pre = 0;
  if (!ReadNumber(f.speed, speed)) {
    ctx.messages.ShowInformation(kNotNumber);
    return SongInfoField::Speed;
  }
  if (speed <= 0) {
    ctx.messages.ShowInformation("速度欄には正数を入力してください。");
    return SongInfoField::Speed;
  }
  if (!ReadNumber(f.phrlen, rpb)) {
    ctx.messages.ShowInformation(kNotNumber);
    return SongInfoField::Phrlen;
  }
  if (rpb <= 0) {
    ctx.messages.ShowInformation("小節欄には正数を入力してください。");
    return SongInfoField::Phrlen;
  }
  if (!ReadNumber(f.note, note)) {
    ctx.messages.ShowInformation(kNotNumber);
    return SongInfoField::Note;
  }
  if (note <= 0) {
    ctx.messages.ShowInformation("音符欄には正数を入力してください。");
    return SongInfoField::Note;
  }
  if (!ReadNumber(f.brc, pre)) {
    ctx.messages.ShowInformation(kNotNumber);
    return SongInfoField::Brc;
  }
  if (pre >= rpb) {
    ctx.messages.ShowInformation("開始前行数は小節行数より小さくしてください。");
    return SongInfoField::Brc;
  }
  // Lines are kept separated by CR LF.
  std::string title;
  for (size_t i = 0; i < f.title.size(); ++i) {
    char ch = f.title[i];
    if (ch == '\r') {
      title += "\r\n";
      if (i + 1 < f.title.size() && f.title[i + 1] == '\n') ++i;
    } else if (ch == '\n') {
      title += "\r\n";
    } else {
      title += ch;
    }
  }
  s.Title = title;
  s.HalfPeriod = std::max<int32_t>(speed / 2, 1);
  s.NoteValue = note;
  s.Bpm = BpmIntegerForm(s.HalfPeriod, s.NoteValue);
  if (pre > 0 && AdjustOf(s, 1) != 0) {
    ctx.messages.ShowInformation(
        "第１小節に調整行が設定されているので開始前行数は設定できません。\r\n"
        "調整行設定を０にしてから表示前行数を設定して下さい。");
    pre = 0;
  }
  if (rpb != s.RowsPerBar || pre != s.PreRows) {
    if (rpb != s.RowsPerBar) s.BarAdjust.assign(static_cast<size_t>((pre + s.RowCount) / rpb + 2), 0);
    s.PreRows = pre;
    s.RowsPerBar = rpb;
    ctx.Restore(SnapshotKind::BarLayout);
  }
  ctx.MarkChanged();
  return SongInfoField::None;
}

// ---- saving -----------------------------------------------------------------

SaveWriter WriterForSaveAs(int filterIndex, const std::string& fileName, int32_t maxSlot) {
  const SaveWriter mfi = maxSlot >= 4 ? SaveWriter::Mfi16 : SaveWriter::Mfi4;
  switch (filterIndex) {
    case 2: return SaveWriter::Smf;
    case 3: return mfi;
    case 4: {
      const std::string ext = UpperExtension(fileName);
      if (ext == ".MID") return SaveWriter::Smf;
      if (ext == ".MLD") return mfi;
      return SaveWriter::Mbt;
    }
    default: return SaveWriter::Mbt;
  }
}

std::string SaveAsFileName(const std::string& chosen, int filterIndex) {
  static const char* const kScoreExtensions[] = {".MBT", ".MID", ".MLD"};
  if (chosen.empty() || chosen.back() == '/') return chosen;
  const bool byFilter = filterIndex >= 1 && filterIndex <= 3;
  const std::string wanted = kScoreExtensions[byFilter ? filterIndex - 1 : 0];
  const std::string ext = UpperExtension(chosen);
  if (ext.empty()) return chosen + wanted;
  if (!byFilter || ext == wanted) return chosen;
  for (const char* e : kScoreExtensions)
    if (ext == e) return chosen.substr(0, chosen.size() - ext.size()) + wanted;
  return chosen;
}

bool SaveWritesInPlace(const std::string& fileName) { return UpperExtension(fileName) == ".MBT"; }

}  // namespace poronka::editor
