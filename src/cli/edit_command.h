// The batch tool's `edit` command: opens the editor on a song, applies
// operations given as --op NAME[=ARG] in order, as the editor window's
// handlers do, and saves or dumps the result. Operations register
// themselves, each in the file of its subject:
//   static const EditOp kToggle("toggle", &OpToggle, "toggle=R,C");
#pragma once

#include <deque>
#include <optional>
#include <string>

#include "cli/cli.h"
#include "editor/editor_ops.h"

namespace poronka::cli {

// Prints information and errors as they come (kept for the dump); questions
// are answered OK and neither printed nor kept.
class EditMessages : public Messages {
 public:
  explicit EditMessages(StderrMessages& out) : out_(out) {}
  void ShowError(const std::string& t) override { out_.ShowError(t); }
  void ShowInformation(const std::string& t) override { out_.ShowInformation(t); }
  bool AskOkCancel(const std::string&) override { return true; }

 private:
  StderrMessages& out_;
};

// The prompt box of the batch tool: OK is pressed once with the prepared
// entry; a refused entry (its message already shown) cancels the box. No
// prepared entry presses Cancel.
class EditHost : public editor::EditorHost {
 public:
  std::string RunPrompt(const editor::PromptRequest& request, const editor::PromptOk& onOk) override;
  std::optional<std::string> entry;
  std::string promptResult;  // the shared prompt result
  std::optional<editor::PromptRequest> lastRequest;
};

// The editor that `edit` drives.
struct EditRun {
  Score& score;
  editor::EditorState& state;
  editor::EditorSession& session;
  editor::EditorContext& ctx;
  EditHost& host;

  // Parses a score row (1..RowCount + 1, the spare row last) into a grid row.
  bool GridRowArg(const std::string& text, int32_t& gridRow, std::string& error) const;
  // Parses a pitch column (1..ColumnCount).
  bool ColumnArg(const std::string& text, int32_t& col, std::string& error) const;
};

// Splits "a,b,c" at `sep`; exactly `count` parts or false.
bool SplitArgs(const std::string& text, char sep, size_t count, std::vector<std::string>& parts);

// One operation: returns false with `error` set for a usage error.
// `syntax` is how the usage shows it, e.g. "toggle=R,C".
struct EditOp {
  using Fn = bool (*)(EditRun& run, const std::string& arg, std::string& error);
  EditOp(const char* name, Fn fn, const char* syntax);
  const char* name;
  Fn fn;
  const char* syntax;
  const EditOp* next;
};
const EditOp* FindEditOp(const std::string& name);
const EditOp* FirstEditOp();
// The lines of the usage that list every operation of `edit` with its
// argument form.
std::string EditOperationsUsage();

int RunEdit(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace poronka::cli
