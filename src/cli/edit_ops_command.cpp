// The row, bar, resolution and pitch operations of `poronka-cli edit`, each
// run as the editor window's handler runs it: the cursor or the selection
// is put where the argument says, questions are answered OK and the prompt
// box returns the text given.
#include <algorithm>

#include "cli/edit_command.h"
#include "editor/pitch_ops.h"
#include "editor/row_ops.h"

namespace poronka::cli {

using namespace poronka::editor;

namespace {

bool NoValue(const std::string& arg, const char* name, std::string& error) {
  if (arg.empty()) return true;
  error = std::string(name) + " takes no value";
  return false;
}

// Puts the cursor on a score row (same column), as a click there would.
bool CursorOnRow(EditRun& run, const std::string& text, std::string& error) {
  int32_t row = 0;
  if (!run.GridRowArg(text, row, error)) return false;
  const int32_t col = std::clamp(run.state.current.col, 1, std::max(1, run.score.ColumnCount));
  run.state.MoveTo({col, row});
  run.state.RememberCurrent();
  return true;
}

bool OpInsertRow(EditRun& run, const std::string& arg, std::string& error) {
  if (!CursorOnRow(run, arg, error)) return false;
  InsertRows(run.ctx, 1);
  return true;
}

bool OpInsertBar(EditRun& run, const std::string& arg, std::string& error) {
  if (!CursorOnRow(run, arg, error)) return false;
  InsertBar(run.ctx);
  return true;
}

bool OpDeleteRows(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  int32_t top = 0, bottom = 0;
  if (!SplitArgs(arg, ',', 2, p)) {
    error = "delete-rows=T,B";
    return false;
  }
  if (!run.GridRowArg(p[0], top, error) || !run.GridRowArg(p[1], bottom, error)) return false;
  if (top > bottom) std::swap(top, bottom);
  const int32_t col = std::clamp(run.state.current.col, 1, std::max(1, run.score.ColumnCount));
  run.state.current = {col, top};
  run.state.selection = {col, top, col, bottom};
  run.state.RememberCurrent();
  DeleteSelectedRows(run.ctx);
  return true;
}

bool OpResolution(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  if (!SplitArgs(arg, ',', 2, p) || (p[0] != "x2" && p[0] != "x3" && p[0] != "/2" && p[0] != "/3")) {
    error = "resolution=x2|x3|/2|/3,R";
    return false;
  }
  if (!CursorOnRow(run, p[1], error)) return false;
  const int32_t f = p[0][1] - '0';
  if (p[0][0] == 'x') {
    MultiplyResolution(run.ctx, f);
  } else {
    DivideResolution(run.ctx, f);
  }
  return true;
}

bool OpBarLength(EditRun& run, const std::string& arg, std::string& error) {
  const size_t comma = arg.find(',');
  if (comma == std::string::npos) {
    error = "bar-length=R,TEXT";
    return false;
  }
  const std::string text = arg.substr(comma + 1);
  if (!TextFitsMask(text, "#99;0;_")) {
    error = "the bar length box cannot hold: " + text;
    return false;
  }
  if (!CursorOnRow(run, arg.substr(0, comma), error)) return false;
  run.host.entry = text;
  AdjustBarLength(run.ctx);
  run.host.entry.reset();
  return true;
}

bool OpInsertPitch(EditRun& run, const std::string& arg, std::string& error) {
  if (!TextFitsMask(arg, "0C;1;_") || arg.size() < 2) {
    error = "insert-pitch=NAME (a digit and one character)";
    return false;
  }
  run.host.entry = arg;
  InsertPitch(run.ctx);
  run.host.entry.reset();
  return true;
}

bool OpAddHigh(EditRun& run, const std::string& arg, std::string& error) {
  if (!NoValue(arg, "add-high", error)) return false;
  AddHighPitches(run.ctx);
  return true;
}

bool OpAddLow(EditRun& run, const std::string& arg, std::string& error) {
  if (!NoValue(arg, "add-low", error)) return false;
  AddLowPitches(run.ctx);
  return true;
}

bool OpDeletePitches(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  int32_t left = 0, right = 0;
  if (!SplitArgs(arg, ',', 2, p)) {
    error = "delete-pitches=L,R";
    return false;
  }
  if (!run.ColumnArg(p[0], left, error) || !run.ColumnArg(p[1], right, error)) return false;
  if (left > right) std::swap(left, right);
  const int32_t row = run.state.current.row;
  run.state.current = {left, row};
  run.state.selection = {left, row, right, row};
  DeleteSelectedPitches(run.ctx);
  return true;
}

bool OpCleanup(EditRun& run, const std::string& arg, std::string& error) {
  if (!NoValue(arg, "cleanup", error)) return false;
  CleanupPitches(run.ctx);
  return true;
}

bool OpTranspose(EditRun& run, const std::string& arg, std::string& error) {
  const std::vector<std::string> items = TranspositionItems(run.score);
  if (std::find(items.begin(), items.end(), arg) == items.end()) {
    error = "the transposition list does not offer " + arg + " (" + items.front() + " .. " + items.back() + ")";
    return false;
  }
  run.host.entry = arg;
  TransposePitches(run.ctx);
  run.host.entry.reset();
  return true;
}

const EditOp kInsertRow("insert-row", &OpInsertRow, "insert-row=R");
const EditOp kInsertBar("insert-bar", &OpInsertBar, "insert-bar=R");
const EditOp kDeleteRows("delete-rows", &OpDeleteRows, "delete-rows=T,B");
const EditOp kResolution("resolution", &OpResolution, "resolution=x2|x3|/2|/3,R");
const EditOp kBarLength("bar-length", &OpBarLength, "bar-length=R,TEXT");
const EditOp kInsertPitch("insert-pitch", &OpInsertPitch, "insert-pitch=NAME");
const EditOp kAddHigh("add-high", &OpAddHigh, "add-high");
const EditOp kAddLow("add-low", &OpAddLow, "add-low");
const EditOp kDeletePitches("delete-pitches", &OpDeletePitches, "delete-pitches=L,R");
const EditOp kCleanup("cleanup", &OpCleanup, "cleanup");
const EditOp kTranspose("transpose", &OpTranspose, "transpose=K");

}  // namespace

}  // namespace poronka::cli
