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

// Parses the sound and import options from args[from..].
bool ParseOptions(const std::vector<std::string>& args, size_t from, Options& o, std::string& error);

// Loads INPUT by its extension (.mbt, .mid) into the Score; keyShift is the
// key shift the load set. Returns kOk, kFailed or kUsage.
int LoadInput(const std::string& path, const Options& o, Score& s, int& keyShift,
              StderrMessages& msgs, std::ostream& err);
// Saves the Score by OUTPUT's extension (.mbt, .mid, .mld).
int SaveOutput(const std::string& path, const Options& o, Score& s, StderrMessages& msgs,
               std::ostream& err);

// The JSON object of `dump`.
std::string DumpJson(const Score& s, int keyShift, const std::vector<std::string>& messages);

int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

// A further command of the tool, defined in its own file as a static object:
//   static const Command kDevices("devices", &RunDevices, "devices");
// args[0] is the command's name; `synopsis` is its line of the usage text
// (without the program's name).
struct Command {
  using RunFn = int (*)(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
  Command(const char* name, RunFn run, const char* synopsis);
  const char* name;
  RunFn run;
  const char* synopsis;
  const Command* next;
};
const Command* FirstCommand();
// The tool's usage: every command, the edit operations included.
std::string UsageText();

}  // namespace poronka::cli
