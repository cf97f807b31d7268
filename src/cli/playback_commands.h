// Helpers of the batch tool's playback commands (devices, play, render,
// trace): their own options, the song loaded and prepared for the engine,
// and the offline drives of the engine.
#pragma once

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/score.h"
#include "settings/sound_settings.h"

namespace poronka::cli {

struct PlaybackOptions {
  Options sound;
  std::optional<int> device;
  std::optional<int> rows;
  std::optional<int> keyShift;
  std::string soundFont;
};

// Takes --device, --rows, --key-shift and --soundfont (those named in
// `allowed`) out of args[from..] and hands the rest to ParseOptions.
bool ParsePlaybackOptions(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& allowed,
                          PlaybackOptions& o, std::string& error);

SoundSettings SettingsFrom(const Options& o);

// Parses the options that follow the command's operands (args[from..]) and
// loads args[1]. A bad option is printed with `usage` and gives kUsage;
// otherwise the load's status. keyShift is the one the load set unless
// --key-shift overrides it.
int ParseOptionsAndLoad(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& allowed,
                        const char* usage, PlaybackOptions& o, Score& s, int& keyShift, StderrMessages& msgs,
                        std::ostream& err);

// The engine's messages from Start until Stop as trace lines: Stop runs right
// after the sound tick of the `rows`-th row.
std::vector<std::string> TraceSong(Score& s, const SoundSettings& settings, int keyShift, int rows);

// Renders the engine driving the built-in synthesizer offline into 16-bit
// stereo samples: `rows` rows, then two seconds of tail. False with `error`
// when the synthesizer cannot be made.
bool RenderSong(Score& s, const SoundSettings& settings, int keyShift, int rows, const std::string& soundFont,
                std::vector<int16_t>& samples, int& sampleRate, std::string& error);

// A 16-bit PCM WAV file.
std::string WavBytes(const std::vector<int16_t>& interleaved, int channels, int sampleRate);

}  // namespace poronka::cli
