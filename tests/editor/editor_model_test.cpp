// Random edit sequences checked against a second, literal model of the
// editor: a grid of cell texts beside the score, slot shifting done step by
// step, and an undo ring of whole score copies.
#include <gtest/gtest.h>

#include <array>
#include <random>

#include "editor/editor_test_support.h"

namespace poronka::editor {
namespace {

struct RefSnap {
  int kind = 0;
  int cursorCol = 1, cursorRow = 2;
  Score s;
};

class RefEditor {
 public:
  explicit RefEditor(const Score& start) : s(start) {
    LayOut();
    Take(2, 1, 2);
  }

  Score s;
  std::vector<std::vector<char>> grid;  // [grid row][grid col]
  std::array<RefSnap, 6> ring;
  int pos = -1, undo = -1, redo = 0;
  bool undoOn = false, redoOn = false;
  std::vector<char> clip;
  int clipRows = 0, clipCols = 0;

  void LayOut() {
    grid.assign(static_cast<size_t>(s.RowCount) + 3, std::vector<char>(static_cast<size_t>(s.ColumnCount) + 1, 0));
    for (int r = 1; r <= s.RowCount; ++r)
      for (int k = 0; k <= s.MaxSlot && k < 16; ++k) {
        if (k == 9) continue;
        if (s.RowNotes[r][k] == 0) break;
        grid[r + 1][s.RowNotes[r][k]] = 1;
      }
  }

  void Take(int kind, int col, int row) {
    pos = pos == 5 ? 0 : pos + 1;
    if (redo > 0) undo -= redo;
    if (undo < 5) ++undo;
    ring[pos] = {kind, col, row, s};
    redo = 0;
    if (undo > 0) undoOn = true;
    if (redoOn) redoOn = false;
  }

  void Toggle(int col, int gridRow) {
    const int r = gridRow - 1;
    if (r < 1 || r > s.RowCount) return;
    auto& row = s.RowNotes[r];
    if (grid[gridRow][col]) {
      int k = 0;
      for (; k <= s.MaxSlot; ++k)
        if (k != 9 && row[k] == col) break;
      for (int j = k; j <= s.MaxSlot; ++j) {
        if (j == 9) continue;
        const int next = j == 8 ? 10 : j + 1;
        row[j] = next <= 15 ? row[next] : 0;
        if (row[j] == 0) break;
      }
      grid[gridRow][col] = 0;
    } else {
      bool done = false;
      for (int k = 0; k < 16 && !done; ++k) {
        if (k == 9) continue;
        if (row[k] > col) {
          if (row[15] != 0) grid[gridRow][row[15]] = 0;
          for (int j = 14; j >= k; --j) {
            if (j == 9) continue;
            const int to = j == 8 ? 10 : j + 1;
            row[to] = row[j];
            if (row[j] != 0 && to > s.MaxSlot) s.MaxSlot = to;
          }
          row[k] = col;
          done = true;
        } else if (row[k] == 0) {
          row[k] = col;
          if (k > s.MaxSlot) s.MaxSlot = k;
          done = true;
        }
      }
      if (!done) return;
      grid[gridRow][col] = 1;
    }
    s.Modified = true;
    Take(1, col, gridRow);
  }

  void Copy(int left, int top, int right, int bottom) {
    clipRows = bottom - top + 1;
    clipCols = right - left + 1;
    clip.clear();
    for (int g = top; g <= bottom; ++g)
      for (int c = left; c <= right; ++c) clip.push_back(grid[g][c]);
  }

  void Paste(int col, int gridRow) {
    if (clipRows == 0) return;
    for (int i = 0; i < clipRows; ++i) {
      const int g = gridRow + i;
      if (g > s.RowCount + 1) break;
      for (int j = 0; j < clipCols; ++j)
        if (col + j <= s.ColumnCount) grid[g][col + j] = clip[i * clipCols + j];
      auto& row = s.RowNotes[g - 1];
      for (int k = 0; k <= s.MaxSlot; ++k) row[k] = 0;
      int k = 0, last = -1;
      for (int c = 1; c <= s.ColumnCount; ++c) {
        if (!grid[g][c]) continue;
        if (k > 15) {
          grid[g][c] = 0;
          continue;
        }
        row[k] = c;
        last = k;
        k = k == 8 ? 10 : k + 1;
      }
      if (last > s.MaxSlot) s.MaxSlot = last;
    }
    s.Modified = true;
    Take(12, col, gridRow);
  }

  void Apply(int kind, const Score& v) {
    switch (kind) {
      case 1: s.RowNotes = v.RowNotes; s.MaxSlot = v.MaxSlot; break;
      case 3: s.RowsPerBar = v.RowsPerBar; s.PreRows = v.PreRows; s.BarAdjust = v.BarAdjust; break;
      case 12: s.RowNotes = v.RowNotes; s.MaxSlot = std::max(s.MaxSlot, v.MaxSlot); break;
      default:
        s.RowCount = v.RowCount; s.OctaveLine = v.OctaveLine; s.LetterLine = v.LetterLine;
        s.ColumnPitch = v.ColumnPitch; s.RowsPerBar = v.RowsPerBar; s.ColumnCount = v.ColumnCount;
        s.PreRows = v.PreRows; s.MaxSlot = v.MaxSlot; s.RowNotes = v.RowNotes; s.BarAdjust = v.BarAdjust;
        break;
    }
    LayOut();
  }

  void Undo() {
    if (!undoOn) return;
    const int a = pos;
    pos = pos == 0 ? 5 : pos - 1;
    Apply(ring[a].kind, ring[pos].s);
    ++redo;
    if (redo == undo) undoOn = false;
    if (redo > 0) redoOn = true;
  }

  void Redo() {
    if (!redoOn) return;
    pos = pos == 5 ? 0 : pos + 1;
    Apply(ring[pos].kind, ring[pos].s);
    --redo;
    undoOn = true;
    if (redo < 1) redoOn = false;
  }

  // Song information with rows per bar and pre-count only.
  void Info(int rpb, int pre) {
    if (pre >= rpb) return;
    if (pre > 0 && s.BarAdjust.size() > 1 && s.BarAdjust[1] != 0) pre = 0;
    if (rpb != s.RowsPerBar || pre != s.PreRows) {
      if (rpb != s.RowsPerBar) s.BarAdjust.assign((pre + s.RowCount) / rpb + 2, 0);
      s.PreRows = pre;
      s.RowsPerBar = rpb;
      Take(3, 0, 0);
    }
    s.Modified = true;
  }
};

TEST(EditorModel, RandomSequencesAgreeWithTheLiteralModel) {
  std::mt19937 rng(20261209);
  for (int round = 0; round < 60; ++round) {
    testing::EditorFixture f;
    MakeNewSong(f.score);
    f.score.RowCount = 12;
    f.score.RowNotes.assign(13, RowSlots{});
    f.score.OctaveLine = f.score.OctaveLine.substr(0, 20);
    f.score.LetterLine = f.score.LetterLine.substr(0, 20);
    DeriveColumnPitches(f.score);
    f.score.MaxSlot = 0;
    f.Open();
    RefEditor ref(f.score);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
    for (int step = 0; step < 250; ++step) {
      const int op = pick(0, 99);
      const int R = f.score.RowCount;
      const int N = f.score.ColumnCount;
      if (op < 55) {
        // Mostly a few busy rows so that rows fill up.
        const int g = pick(0, 3) ? pick(2, 4) : pick(2, R + 2);
        const int c = pick(1, N);
        f.Click(c, g - 1);
        ref.Toggle(c, g);
      } else if (op < 63) {
        const int t = pick(2, R + 2), b = pick(t, R + 2), l = pick(1, N), r = pick(l, N);
        f.state.current = {l, t};
        f.state.selection = {l, t, r, b};
        CopySelection(f.ctx);
        ref.Copy(l, t, r, b);
      } else if (op < 73) {
        const int g = pick(2, R + 2), c = pick(1, N);
        f.state.MoveTo({c, g});
        Paste(f.ctx);
        ref.Paste(c, g);
      } else if (op < 86) {
        UndoStep(f.ctx);
        ref.Undo();
      } else if (op < 97) {
        RedoStep(f.ctx);
        ref.Redo();
      } else {
        const int rpb = pick(1, 6), pre = pick(0, 6);
        SongInfoFields in = SongInfoFromScore(f.score);
        in.phrlen = std::to_string(rpb);
        in.brc = std::to_string(pre);
        ApplySongInfo(f.ctx, in);
        ref.Info(rpb, pre);
      }
      SCOPED_TRACE("round " + std::to_string(round) + " step " + std::to_string(step));
      ASSERT_EQ(f.score.RowNotes, ref.s.RowNotes);
      ASSERT_EQ(f.score.MaxSlot, ref.s.MaxSlot);
      ASSERT_EQ(f.score.RowsPerBar, ref.s.RowsPerBar);
      ASSERT_EQ(f.score.PreRows, ref.s.PreRows);
      ASSERT_EQ(f.score.BarAdjust, ref.s.BarAdjust);
      ASSERT_EQ(f.state.undo.undoEnabled(), ref.undoOn);
      ASSERT_EQ(f.state.undo.redoEnabled(), ref.redoOn);
      for (int g = 2; g <= f.score.RowCount + 2; ++g)
        for (int c = 1; c <= f.score.ColumnCount; ++c)
          ASSERT_EQ(CellMarked(f.score, c, g), ref.grid[g][c] != 0) << "cell " << c << "," << g;
      for (int r = 1; r <= f.score.RowCount; ++r) ASSERT_EQ(f.score.RowNotes[r][9], 0);
    }
  }
}

}  // namespace
}  // namespace poronka::editor
