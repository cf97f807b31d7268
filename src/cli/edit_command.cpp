#include "cli/edit_command.h"

#include <algorithm>

#include "core/file_io.h"

namespace poronka::cli {

using namespace poronka::editor;

namespace {

const EditOp* g_ops = nullptr;

const char* const kEditLine =
    "usage: poronka-cli edit INPUT [OUTPUT] [--flats] --op OP [--op OP]... [options]\n";
const char* const kEditNotes =
    "         rows are score rows from 1 (RowCount + 1 is the spare row); columns are pitch columns from 1\n";

bool ParseInt32(const std::string& text, int32_t& v) {
  if (text.empty() || text.size() > 9) return false;
  size_t i = 0;
  bool neg = false;
  if (text[0] == '-' || text[0] == '+') {
    neg = text[0] == '-';
    i = 1;
  }
  if (i >= text.size()) return false;
  int32_t x = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    x = x * 10 + (text[i] - '0');
  }
  v = neg ? -x : x;
  return true;
}

}  // namespace

EditOp::EditOp(const char* n, Fn f, const char* syntax) : name(n), fn(f), syntax(syntax), next(g_ops) {
  g_ops = this;
}

const EditOp* FirstEditOp() { return g_ops; }

std::string EditOperationsUsage() {
  std::vector<const EditOp*> ops;
  for (const EditOp* op = g_ops; op; op = op->next) ops.push_back(op);
  std::sort(ops.begin(), ops.end(), [](const EditOp* a, const EditOp* b) { return std::string(a->name) < b->name; });
  std::string text;
  std::string line = "edit OP:";
  for (const EditOp* op : ops) {
    if (line.size() + 2 + std::string(op->syntax).size() > 78) {
      text += line + "\n";
      line = "        ";
    }
    line += std::string("  ") + op->syntax;
  }
  return text + line + "\n" + kEditNotes;
}

const EditOp* FindEditOp(const std::string& name) {
  for (const EditOp* op = g_ops; op; op = op->next)
    if (name == op->name) return op;
  return nullptr;
}

std::string EditHost::RunPrompt(const PromptRequest& request, const PromptOk& onOk) {
  lastRequest = request;
  if (entry) {
    std::string e = *entry;
    entry.reset();
    std::string result = promptResult;
    if (onOk(e, result)) {
      promptResult = result;
      return promptResult;
    }
  }
  promptResult = PromptCancelResult(request.mode, promptResult);
  return promptResult;
}

bool SplitArgs(const std::string& text, char sep, size_t count, std::vector<std::string>& parts) {
  parts.clear();
  size_t from = 0;
  while (parts.size() + 1 < count) {
    size_t at = text.find(sep, from);
    if (at == std::string::npos) return false;
    parts.push_back(text.substr(from, at - from));
    from = at + 1;
  }
  parts.push_back(text.substr(from));
  if (count > 0 && parts.back().find(sep) != std::string::npos) return false;
  return parts.size() == count;
}

bool EditRun::GridRowArg(const std::string& text, int32_t& gridRow, std::string& error) const {
  int32_t r = 0;
  if (!ParseInt32(text, r) || r < 1 || r > score.RowCount + 1) {
    error = "row outside the grid: " + text;
    return false;
  }
  gridRow = GridRowOf(r);
  return true;
}

bool EditRun::ColumnArg(const std::string& text, int32_t& col, std::string& error) const {
  int32_t c = 0;
  if (!ParseInt32(text, c) || c < 1 || c > score.ColumnCount) {
    error = "column outside the grid: " + text;
    return false;
  }
  col = c;
  return true;
}

namespace {

bool OpToggle(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  int32_t row = 0, col = 0;
  if (!SplitArgs(arg, ',', 2, p)) {
    error = "toggle=R,C";
    return false;
  }
  if (!run.GridRowArg(p[0], row, error) || !run.ColumnArg(p[1], col, error)) return false;
  run.state.MoveTo({col, row});
  run.state.toggleArmed = true;
  ToggleNote(run.ctx);
  run.state.toggleArmed = false;
  return true;
}

bool OpCopy(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  int32_t r1 = 0, c1 = 0, r2 = 0, c2 = 0;
  if (!SplitArgs(arg, ',', 4, p)) {
    error = "copy=R1,C1,R2,C2";
    return false;
  }
  if (!run.GridRowArg(p[0], r1, error) || !run.ColumnArg(p[1], c1, error) ||
      !run.GridRowArg(p[2], r2, error) || !run.ColumnArg(p[3], c2, error))
    return false;
  run.state.current = {c1, r1};
  run.state.selection = {std::min(c1, c2), std::min(r1, r2), std::max(c1, c2), std::max(r1, r2)};
  run.state.RememberCurrent();
  CopySelection(run.ctx);
  return true;
}

bool OpPaste(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  int32_t row = 0, col = 0;
  if (!SplitArgs(arg, ',', 2, p)) {
    error = "paste=R,C";
    return false;
  }
  if (!run.GridRowArg(p[0], row, error) || !run.ColumnArg(p[1], col, error)) return false;
  run.state.MoveTo({col, row});
  run.state.RememberCurrent();
  Paste(run.ctx);
  return true;
}

bool OpUndo(EditRun& run, const std::string& arg, std::string& error) {
  if (!arg.empty()) {
    error = "undo takes no value";
    return false;
  }
  UndoStep(run.ctx);
  return true;
}

bool OpRedo(EditRun& run, const std::string& arg, std::string& error) {
  if (!arg.empty()) {
    error = "redo takes no value";
    return false;
  }
  RedoStep(run.ctx);
  return true;
}

bool OpNew(EditRun& run, const std::string& arg, std::string& error) {
  if (!arg.empty()) {
    error = "new takes no value";
    return false;
  }
  NewScore(run.ctx);
  return true;
}

bool OpInfo(EditRun& run, const std::string& arg, std::string& error) {
  std::vector<std::string> p;
  // The title is everything after the fourth ';'.
  size_t from = 0;
  for (int i = 0; i < 4; ++i) {
    size_t at = arg.find(';', from);
    if (at == std::string::npos) {
      error = "info=SPEED;RPB;NOTE;PRE;TITLE";
      return false;
    }
    p.push_back(arg.substr(from, at - from));
    from = at + 1;
  }
  const char* const masks[] = {"9999;1;_", "999;1;_", "99;1;_", "9999;1;_"};
  for (int i = 0; i < 4; ++i) {
    if (!TextFitsMask(p[static_cast<size_t>(i)], masks[i])) {
      error = "info field does not fit its box: " + p[static_cast<size_t>(i)];
      return false;
    }
  }
  std::string title;
  const std::string raw = arg.substr(from);
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size() && raw[i + 1] == 'n') {
      title += "\r\n";
      ++i;
    } else {
      title += raw[i];
    }
  }
  SongInfoFields f{p[0], p[1], p[2], p[3], title};
  ApplySongInfo(run.ctx, f);  // a refusal shows its message; the dialog is then cancelled
  return true;
}

const EditOp kToggle("toggle", &OpToggle, "toggle=R,C");
const EditOp kCopy("copy", &OpCopy, "copy=R1,C1,R2,C2");
const EditOp kPaste("paste", &OpPaste, "paste=R,C");
const EditOp kUndo("undo", &OpUndo, "undo");
const EditOp kRedo("redo", &OpRedo, "redo");
const EditOp kNew("new", &OpNew, "new");
const EditOp kInfo("info", &OpInfo, "info=SPEED;RPB;NOTE;PRE;TITLE");

}  // namespace

int RunEdit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  std::string input, output;
  bool flats = false;
  std::vector<std::pair<const EditOp*, std::string>> ops;
  std::vector<std::string> rest{"edit"};
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--flats") {
      flats = true;
    } else if (a == "--op") {
      if (i + 1 >= args.size()) {
        err << "poronka-cli: missing value for --op\n" << kEditLine << EditOperationsUsage();
        return kUsage;
      }
      const std::string& spec = args[++i];
      const size_t eq = spec.find('=');
      const std::string name = spec.substr(0, eq);
      const EditOp* op = FindEditOp(name);
      if (!op) {
        err << "poronka-cli: unknown edit operation: " << name << "\n" << kEditLine << EditOperationsUsage();
        return kUsage;
      }
      ops.emplace_back(op, eq == std::string::npos ? "" : spec.substr(eq + 1));
    } else if (a.rfind("--", 0) == 0) {
      rest.push_back(a);
      // Options with a value take the next argument along.
      if (a != "--no-pitch-adjust" && i + 1 < args.size()) rest.push_back(args[++i]);
    } else if (input.empty()) {
      input = a;
    } else if (output.empty()) {
      output = a;
    } else {
      err << "poronka-cli: too many operands\n" << kEditLine << EditOperationsUsage();
      return kUsage;
    }
  }
  Options opts;
  std::string error;
  if (input.empty() || ops.empty()) {
    err << kEditLine << EditOperationsUsage();
    return kUsage;
  }
  if (!ParseOptions(rest, 1, opts, error)) {
    err << "poronka-cli: " << error << "\n" << kEditLine << EditOperationsUsage();
    return kUsage;
  }
  if (!output.empty()) {
    const std::string ext = UpperExtension(output);
    if (ext != ".MBT" && ext != ".MID" && ext != ".MLD") {
      err << "poronka-cli: unsupported output type: " << output << "\n" << kEditLine << EditOperationsUsage();
      return kUsage;
    }
  }
  Score score;
  StderrMessages msgs(err);
  int keyShift = 0;
  int rc = LoadInput(input, opts, score, keyShift, msgs, err);
  if (rc != kOk) return rc;

  EditMessages editMsgs(msgs);
  EditHost host;
  EditorState state;
  EditorSession session;
  EditorContext ctx{score, state, session, editMsgs, host};
  ShowEditor(ctx, ShowSender::Window);
  state.flatDisplay = flats;
  EditRun run{score, state, session, ctx, host};
  for (const auto& [op, arg] : ops) {
    host.entry.reset();
    if (!op->fn(run, arg, error)) {
      err << "poronka-cli: " << op->name << ": " << error << "\n" << kEditLine << EditOperationsUsage();
      return kUsage;
    }
  }
  if (output.empty()) {
    out << DumpJson(score, keyShift, msgs.texts()) << "\n";
    return kOk;
  }
  return SaveOutput(output, opts, score, msgs, err);
}

namespace {
const Command kEdit("edit", &RunEdit, "edit INPUT [OUTPUT] [--flats] --op OP [--op OP]... [options]");
}  // namespace

}  // namespace poronka::cli
