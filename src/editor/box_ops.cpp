#include "editor/box_ops.h"

#include <algorithm>
#include <string>

#include "interchange/box_fit.h"

namespace poronka::editor {

namespace {

// Longest list of notes a message shows.
constexpr size_t kListedNotes = 20;

std::string ShiftText(int shift) { return (shift > 0 ? "+" : "") + std::to_string(shift); }

std::string NoteList(const std::vector<FitNote>& notes) {
  std::string t;
  for (size_t i = 0; i < notes.size() && i < kListedNotes; ++i)
    t += "\n行 " + std::to_string(notes[i].row) + "（" + std::to_string(notes[i].label.bar) + "･" +
         std::to_string(notes[i].label.beat) + "） " + FitPitchName(notes[i].pitch);
  if (notes.size() > kListedNotes) t += "\nほか " + std::to_string(notes.size() - kListedNotes) + " 個";
  return t;
}

}  // namespace

GridUpdate TransposeToFit(EditorContext& ctx, const MusicBox& box) {
  GridUpdate u;
  const BestShift best = FindBestShift(ctx.score, box);
  if (best.shift == 0) {
    ctx.messages.ShowInformation("移調しても演奏できる音は増えません。\n演奏できない音は " +
                                 std::to_string(best.unplayable) + " 個です。");
    return u;
  }
  if (!ShiftColumns(ctx.score, best.shift)) return u;
  ctx.Restore(SnapshotKind::Transpose);
  ctx.MarkChanged(false);
  u.changed = true;
  u.headerChanged = true;
  ctx.messages.ShowInformation(ShiftText(best.shift) + " 半音移調しました。\n演奏できない音は " +
                               std::to_string(best.unplayable) + " 個です。");
  return u;
}

GridUpdate MapScoreToComb(EditorContext& ctx, const MusicBox& box) {
  GridUpdate u;
  Score mapped = ctx.score;
  const std::vector<FitNote> dropped = MapToComb(mapped, box);
  if (!dropped.empty() &&
      !ctx.messages.AskOkCancel(std::to_string(dropped.size()) + " 個の音は" + box.title +
                                "にない音なので消えます。\rよろしいですか？"))
    return u;
  ctx.host.ProcessEvents();
  ctx.score = std::move(mapped);
  EditorState& st = ctx.state;
  st.cursor.col = std::clamp(st.cursor.col, 1, std::max(1, ctx.score.ColumnCount));
  st.MoveTo(st.cursor);
  ctx.Restore(SnapshotKind::CombMap);
  ctx.MarkChanged();
  u.changed = true;
  u.reset = true;
  u.headerChanged = true;
  u.cursorMoved = true;
  ctx.messages.ShowInformation("音階を" + box.title + "に合わせました。" +
                               (dropped.empty() ? std::string()
                                                : "\n消えた音（" + std::to_string(dropped.size()) + " 個）:" +
                                                      NoteList(dropped)));
  return u;
}

}  // namespace poronka::editor
