// The batch tool's commands, callable from tests.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/score.h"

namespace poronka::cli {

// Exit statuses.
constexpr int kOk = 0;
constexpr int kFailed = 1;
constexpr int kUsage = 2;

struct Options {
  int program = 10;
  int bank = 0;
  int pan = 64;
  int reverb = 40;
  int chorus = 0;
  int modulation = 0;
  int stopDelay = 0;
  std::vector<bool> channels;  // 16 MIDI channels the import takes
  bool pitchAdjust = true;
  std::string date;  // YYYYMMDD; empty for today
  Options() : channels(16, true) { channels[9] = false; }
};

// Prints every message to stderr as it comes and keeps the texts for the
// JSON dump.
class StderrMessages : public Messages {
 public:
  explicit StderrMessages(std::ostream& err) : err_(err) {}
  void ShowError(const std::string& text) override { Say(text); }
  void ShowInformation(const std::string& text) override { Say(text); }
  bool AskOkCancel(const std::string& text) override {
    Say(text);
    return true;
  }
  const std::vector<std::string>& texts() const { return texts_; }

 private:
  void Say(const std::string& text) {
    texts_.push_back(text);
    err_ << text << "\n";
  }
  std::ostream& err_;
  std::vector<std::string> texts_;
};

// The JSON object of `dump`.
std::string DumpJson(const Score& s, int keyShift, const std::vector<std::string>& messages);

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace poronka::cli
