#include "editor/editor_state.h"

#include <algorithm>
#include <cstring>

namespace poronka::editor {

namespace {

template <typename T>
std::shared_ptr<const T> ShareOrCopy(const T& value, const std::shared_ptr<const T>& previous) {
  if (previous && *previous == value) return previous;
  return std::make_shared<const T>(value);
}

bool SameRows(const RowSlots* a, const RowSlots* b, size_t n) {
  return std::memcmp(a, b, n * sizeof(RowSlots)) == 0;
}

Snapshot MakeSnapshot(SnapshotKind kind, const Score& s, GridCell cursor, const Snapshot* prev) {
  Snapshot out;
  out.kind = kind;
  out.cursor = cursor;
  out.RowCount = s.RowCount;
  out.RowsPerBar = s.RowsPerBar;
  out.ColumnCount = s.ColumnCount;
  out.PreRows = s.PreRows;
  out.MaxSlot = s.MaxSlot;
  static const Snapshot kNone;
  const Snapshot& p = prev ? *prev : kNone;
  out.OctaveLine = ShareOrCopy(s.OctaveLine, p.OctaveLine);
  out.LetterLine = ShareOrCopy(s.LetterLine, p.LetterLine);
  out.ColumnPitch = ShareOrCopy(s.ColumnPitch, p.ColumnPitch);
  out.BarAdjust = ShareOrCopy(s.BarAdjust, p.BarAdjust);
  const size_t rows = s.RowNotes.size();
  const size_t per = Snapshot::kRowsPerChunk;
  const size_t chunks = (rows + per - 1) / per;
  out.RowChunks.reserve(chunks);
  for (size_t i = 0; i < chunks; ++i) {
    const size_t from = i * per;
    const size_t n = std::min(per, rows - from);
    const RowSlots* src = s.RowNotes.data() + from;
    if (i < p.RowChunks.size() && p.RowChunks[i]->size() == n &&
        SameRows(p.RowChunks[i]->data(), src, n)) {
      out.RowChunks.push_back(p.RowChunks[i]);
    } else {
      out.RowChunks.push_back(std::make_shared<const Snapshot::Chunk>(src, src + n));
    }
  }
  return out;
}

// Keeps RowNotes at RowCount + 1 rows whatever a restore brought back.
void FitRows(Score& s) {
  const size_t want = static_cast<size_t>(std::max<int32_t>(s.RowCount, 0)) + 1;
  if (s.RowNotes.size() != want) s.RowNotes.resize(want, RowSlots{});
}

}  // namespace

std::vector<RowSlots> Snapshot::RowNotes() const {
  std::vector<RowSlots> rows;
  size_t total = 0;
  for (const auto& c : RowChunks) total += c->size();
  rows.reserve(total);
  for (const auto& c : RowChunks) rows.insert(rows.end(), c->begin(), c->end());
  return rows;
}

void UndoRing::Reset() {
  for (auto& p : places_) p = Snapshot{};
  position_ = -1;
  undoCount_ = -1;
  redoCount_ = 0;
  undoEnabled_ = false;
  redoEnabled_ = false;
}

void UndoRing::Take(SnapshotKind kind, const Score& s, GridCell cursor) {
  const Snapshot* prev = position_ >= 0 && !places_[position_].empty() ? &places_[position_] : nullptr;
  Snapshot snap = MakeSnapshot(kind, s, cursor, prev);
  position_ = position_ >= kPlaces - 1 ? 0 : position_ + 1;
  if (redoCount_ > 0) undoCount_ -= redoCount_;
  if (undoCount_ < kMaxUndo) ++undoCount_;
  places_[position_] = std::move(snap);
  redoCount_ = 0;
  if (undoCount_ > 0) undoEnabled_ = true;
  if (redoEnabled_) redoEnabled_ = false;
}

SnapshotKind UndoRing::Undo(Score& s) {
  if (!undoEnabled_ || position_ < 0) return SnapshotKind::None;
  const int a = position_;
  position_ = position_ == 0 ? kPlaces - 1 : position_ - 1;
  const SnapshotKind kind = places_[a].kind;
  ApplySnapshot(s, places_[position_], kind);
  ++redoCount_;
  if (redoCount_ >= undoCount_) undoEnabled_ = false;
  if (redoCount_ > 0) redoEnabled_ = true;
  return kind;
}

SnapshotKind UndoRing::Redo(Score& s) {
  if (!redoEnabled_ || position_ < 0) return SnapshotKind::None;
  position_ = position_ >= kPlaces - 1 ? 0 : position_ + 1;
  SnapshotKind kind = places_[position_].kind;
  if (kind == SnapshotKind::InsertRows) {
    kind = SnapshotKind::DeleteRows;
  } else if (kind == SnapshotKind::DeleteRows) {
    kind = SnapshotKind::InsertRows;
  }
  ApplySnapshot(s, places_[position_], kind);
  --redoCount_;
  undoEnabled_ = true;
  if (redoCount_ < 1) redoEnabled_ = false;
  return kind;
}

void ApplySnapshot(Score& s, const Snapshot& v, SnapshotKind kind) {
  if (v.empty()) return;
  switch (kind) {
    case SnapshotKind::None:
      return;
    case SnapshotKind::Toggle:
      s.RowNotes = v.RowNotes();
      s.MaxSlot = v.MaxSlot;
      break;
    case SnapshotKind::BarLayout:
      s.RowsPerBar = v.RowsPerBar;
      s.PreRows = v.PreRows;
      s.BarAdjust = *v.BarAdjust;
      break;
    case SnapshotKind::Transpose:
      s.OctaveLine = *v.OctaveLine;
      s.LetterLine = *v.LetterLine;
      s.ColumnPitch = *v.ColumnPitch;
      break;
    case SnapshotKind::InsertRows:
      s.RowCount = v.RowCount;
      s.RowNotes = v.RowNotes();
      s.BarAdjust = *v.BarAdjust;
      s.MaxSlot = std::max(s.MaxSlot, v.MaxSlot);
      break;
    case SnapshotKind::Paste:
      s.RowNotes = v.RowNotes();
      s.MaxSlot = std::max(s.MaxSlot, v.MaxSlot);
      break;
    case SnapshotKind::BarLength:
      s.BarAdjust = *v.BarAdjust;
      break;
    default:  // kinds 2 and 6 to 11: everything
      s.RowCount = v.RowCount;
      s.OctaveLine = *v.OctaveLine;
      s.LetterLine = *v.LetterLine;
      s.ColumnPitch = *v.ColumnPitch;
      s.RowsPerBar = v.RowsPerBar;
      s.ColumnCount = v.ColumnCount;
      s.PreRows = v.PreRows;
      s.MaxSlot = v.MaxSlot;
      s.RowNotes = v.RowNotes();
      s.BarAdjust = *v.BarAdjust;
      break;
  }
  FitRows(s);
}

std::string PromptCancelResult(PromptMode mode, const std::string& current) {
  switch (mode) {
    case PromptMode::NotMov: return "0";
    case PromptMode::Test: return current;
    default: return "";
  }
}

}  // namespace poronka::editor

namespace poronka::editor {

bool TextFitsMask(const std::string& text, const std::string& mask) {
  const std::string m = mask.substr(0, mask.find(';'));
  // Work on code points: a 'C' position takes any one character.
  std::u32string t;
  for (size_t i = 0; i < text.size();) {
    unsigned char c = static_cast<unsigned char>(text[i]);
    int n = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (i + n > text.size()) return false;
    char32_t cp = n == 1 ? c : c & (0xFF >> (n + 1));
    for (int k = 1; k < n; ++k) cp = (cp << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    t.push_back(cp);
    i += n;
  }
  if (t.size() > m.size()) return false;
  for (size_t i = 0; i < m.size(); ++i) {
    const bool have = i < t.size() && t[i] != U' ';
    const char32_t c = i < t.size() ? t[i] : U' ';
    const bool digit = c >= U'0' && c <= U'9';
    switch (m[i]) {
      case '0': if (!digit) return false; break;
      case '9': if (have && !digit) return false; break;
      case '#': if (have && !digit && c != U'+' && c != U'-') return false; break;
      case 'C': if (!have) return false; break;
      case 'c': break;
      default: if (i < t.size() && c != static_cast<unsigned char>(m[i])) return false; break;
    }
  }
  return true;
}

}  // namespace poronka::editor
