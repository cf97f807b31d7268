// poronka-cli render INPUT OUTPUT.wav|.flac|.ogg [--rows N] [--soundfont F]
// [sound options]: plays the song through the playback engine on a
// simulated clock into the built-in synthesizer, offline, and streams what
// it sounds into the file (the rows, then two seconds of ringing).
#include <string>
#include <vector>

#include "cli/playback_commands.h"
#include "playback/audio_file.h"

namespace poronka::cli {
namespace {

const char* const kRenderUsage =
    "usage: poronka-cli render INPUT OUTPUT.wav|.flac|.ogg [--rows N] [--soundfont F] [--key-shift K] "
    "[sound options]\n";

int RunRender(const std::vector<std::string>& args, std::ostream&, std::ostream& err) {
  if (args.size() < 3) {
    err << kRenderUsage;
    return kUsage;
  }
  AudioFileFormat format;
  if (!AudioFormatOf(args[2], format)) {
    err << "poronka-cli: the output must be a .wav, .flac or .ogg file: " << args[2] << "\n" << kRenderUsage;
    return kUsage;
  }
  PlaybackOptions o;
  Score score;
  StderrMessages msgs(err);
  int keyShift = 0;
  int rc = ParseOptionsAndLoad(args, 3, {"--rows", "--soundfont", "--key-shift"}, kRenderUsage, o, score,
                               keyShift, msgs, err);
  if (rc != kOk) return rc;
  RenderJob job;
  job.settings = SettingsFrom(o.sound);
  job.keyShift = keyShift;
  job.rows = o.rows.value_or(score.RowCount);
  job.soundFont = o.soundFont;
  std::string error;
  if (RenderSongToFile(score, job, args[2], {}, error) != AudioFileResult::Ok) {
    err << "poronka-cli: " << error << "\n";
    return kFailed;
  }
  return kOk;
}

const Command kRender("render", &RunRender, "render INPUT OUTPUT.wav|.flac|.ogg [--rows N] [--soundfont F] [--key-shift K] ...");

}  // namespace
}  // namespace poronka::cli
