// A ready editor on a Score with a host that records MIDI and answers
// prompts from a queue.
#pragma once

#include <deque>
#include <string>
#include <vector>

#include "editor/editor_ops.h"

namespace poronka::editor::testing {

class FakeHost : public EditorHost {
 public:
  void SendShortMessage(uint32_t m) override { sent.push_back(m); }
  bool MediaActive() const override { return media; }
  // Each queued answer is pressed as OK with that entry until the box
  // closes; an empty queue presses Cancel.
  std::string RunPrompt(const PromptRequest& request, const PromptOk& onOk) override {
    requests.push_back(request);
    std::string result;
    while (!answers.empty()) {
      std::string entry = answers.front();
      answers.pop_front();
      if (onOk(entry, result)) return result;
    }
    return PromptCancelResult(request.mode, result);
  }
  std::vector<uint32_t> sent;
  bool media = false;
  std::deque<std::string> answers;
  std::vector<PromptRequest> requests;
};

struct EditorFixture {
  Score score;
  EditorState state;
  EditorSession session;
  RecordingMessages messages;
  FakeHost host;
  EditorContext ctx{score, state, session, messages, host};

  // Opens the editor as the window's showing does.
  void Open() { ShowEditor(ctx, ShowSender::Window); }
  void OpenNew() {
    score = Score{};
    Open();
  }
  // A plain left click on a pitch column and score row.
  bool Click(int32_t col, int32_t scoreRow) {
    state.MoveTo({col, GridRowOf(scoreRow)});
    state.toggleArmed = true;
    return ToggleNote(ctx);
  }
  void Select(int32_t col1, int32_t row1, int32_t col2, int32_t row2) {
    state.current = {col1, GridRowOf(row1)};
    state.selection = {col1, GridRowOf(row1), col2, GridRowOf(row2)};
  }
  std::vector<int32_t> Columns(int32_t scoreRow) const { return ColumnsOf(score.RowNotes[scoreRow]); }
};

}  // namespace poronka::editor::testing
