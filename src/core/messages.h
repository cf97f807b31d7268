// The one way logic talks to the user: errors, information and OK/Cancel
// questions. Windows show message boxes, the batch tool writes to stderr and
// tests record what was said.
#pragma once

#include <string>
#include <vector>

namespace poronka {

class Messages {
 public:
  virtual ~Messages() = default;
  virtual void ShowError(const std::string& text) = 0;
  virtual void ShowInformation(const std::string& text) = 0;
  // true for OK, false for Cancel.
  virtual bool AskOkCancel(const std::string& text) = 0;
};

// Keeps every message in order; questions are answered from a queue
// (OK when the queue is empty).
class RecordingMessages : public Messages {
 public:
  struct Entry {
    enum Kind { Error, Information, Question } kind;
    std::string text;
  };
  void ShowError(const std::string& text) override { entries.push_back({Entry::Error, text}); }
  void ShowInformation(const std::string& text) override {
    entries.push_back({Entry::Information, text});
  }
  bool AskOkCancel(const std::string& text) override {
    entries.push_back({Entry::Question, text});
    if (answers.empty()) return true;
    bool a = answers.front();
    answers.erase(answers.begin());
    return a;
  }
  std::vector<std::string> Texts() const {
    std::vector<std::string> t;
    for (const auto& e : entries) t.push_back(e.text);
    return t;
  }
  std::vector<Entry> entries;
  std::vector<bool> answers;
};

}  // namespace poronka
