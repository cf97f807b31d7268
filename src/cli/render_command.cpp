// poronka-cli render INPUT OUTPUT.wav [--rows N] [--soundfont F] [sound
// options]: plays the song through the playback engine on a simulated clock
// into the built-in synthesizer, offline, and writes what it sounds as a WAV
// file (the rows, then two seconds of ringing).
#include <string>
#include <vector>

#include "cli/playback_commands.h"
#include "core/file_io.h"

namespace poronka::cli {
namespace {

const char* const kRenderUsage =
    "usage: poronka-cli render INPUT OUTPUT.wav [--rows N] [--soundfont F] [--key-shift K] [sound options]\n";

int RunRender(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  if (args.size() < 3) {
    err << kRenderUsage;
    return kUsage;
  }
  if (UpperExtension(args[2]) != ".WAV") {
    err << "poronka-cli: the output must be a .wav file: " << args[2] << "\n" << kRenderUsage;
    return kUsage;
  }
  PlaybackOptions o;
  Score score;
  StderrMessages msgs(err);
  int keyShift = 0;
  int rc = ParseOptionsAndLoad(args, 3, {"--rows", "--soundfont", "--key-shift"}, kRenderUsage, o, score,
                               keyShift, msgs, err);
  if (rc != kOk) return rc;
  std::string error;
  std::vector<int16_t> samples;
  int rate = 0;
  if (!RenderSong(score, SettingsFrom(o.sound), keyShift, o.rows.value_or(score.RowCount), o.soundFont, samples,
                  rate, error)) {
    err << "poronka-cli: " << error << "\n";
    return kFailed;
  }
  if (!WriteFileAtomically(args[2], WavBytes(samples, 2, rate))) {
    err << "poronka-cli: cannot write " << args[2] << "\n";
    return kFailed;
  }
  return kOk;
}

const Command kRender("render", &RunRender);

}  // namespace
}  // namespace poronka::cli
