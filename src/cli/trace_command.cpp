// poronka-cli trace INPUT [--rows N] [--key-shift K] [sound options]: every
// MIDI message the playback engine sends from Start until Stop, one line
// each: the time in ms since Start and the bytes in hex, or "reset".
#include <string>
#include <vector>

#include "cli/playback_commands.h"

namespace poronka::cli {
namespace {

const char* const kTraceUsage =
    "usage: poronka-cli trace INPUT [--rows N] [--key-shift K] [sound options]\n";

int RunTrace(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2) {
    err << kTraceUsage;
    return kUsage;
  }
  PlaybackOptions o;
  Score score;
  StderrMessages msgs(err);
  int keyShift = 0;
  int rc = ParseOptionsAndLoad(args, 2, {"--rows", "--key-shift"}, kTraceUsage, o, score, keyShift, msgs, err);
  if (rc != kOk) return rc;
  const int rows = o.rows.value_or(score.RowCount);
  for (const std::string& line : TraceSong(score, SettingsFrom(o.sound), keyShift, rows)) out << line << "\n";
  return kOk;
}

const Command kTrace("trace", &RunTrace, "trace INPUT [--rows N] [--key-shift K] [sound options]");

}  // namespace
}  // namespace poronka::cli
