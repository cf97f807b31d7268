#include "cli/playback_commands.h"

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

#include "playback/offline_render.h"

namespace poronka::cli {

namespace {

bool ParseNumber(const std::string& s, int lo, int hi, int& v) {
  if (s.empty()) return false;
  char* end = nullptr;
  long x = std::strtol(s.c_str(), &end, 10);
  if (*end != '\0' || x < lo || x > hi) return false;
  v = static_cast<int>(x);
  return true;
}

// Keeps every rendered frame (for the benchmarks and tests).
class VectorSink : public AudioSink {
 public:
  explicit VectorSink(std::vector<int16_t>& out) : out_(out) {}
  bool Write(const int16_t* interleaved, int64_t frames) override {
    out_.insert(out_.end(), interleaved, interleaved + frames * kRenderChannels);
    return true;
  }

 private:
  std::vector<int16_t>& out_;
};

}  // namespace

bool ParsePlaybackOptions(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& allowed,
                          PlaybackOptions& o, std::string& error) {
  std::vector<std::string> rest(args.begin(), args.begin() + std::min(from, args.size()));
  auto isAllowed = [&](const std::string& a) {
    for (const auto& x : allowed)
      if (x == a) return true;
    return false;
  };
  for (size_t i = from; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (!isAllowed(a)) {
      rest.push_back(a);
      continue;
    }
    if (i + 1 >= args.size()) {
      error = "missing value for " + a;
      return false;
    }
    const std::string& v = args[++i];
    int n = 0;
    if (a == "--soundfont") {
      o.soundFont = v;
    } else if (a == "--device" && ParseNumber(v, 0, 1000, n)) {
      o.device = n;
    } else if (a == "--rows" && ParseNumber(v, 0, 100000000, n)) {
      o.rows = n;
    } else if (a == "--key-shift" && ParseNumber(v, -127, 127, n)) {
      o.keyShift = n;
    } else {
      error = "bad value for " + a + ": " + v;
      return false;
    }
  }
  return ParseOptions(rest, from, o.sound, error);
}

SoundSettings SettingsFrom(const Options& o) {
  SoundSettings s;
  s.Program = o.program;
  s.BankIndex = o.bank;
  s.Pan = o.pan;
  s.Reverb = o.reverb;
  s.Chorus = o.chorus;
  s.Modulation = o.modulation;
  s.StopDelayRows = o.stopDelay;
  for (int ch = 0; ch < 16 && ch < static_cast<int>(o.channels.size()); ++ch) s.ChannelEnabled[ch] = o.channels[ch];
  s.SmfPitchAdjust = o.pitchAdjust;
  return s;
}

int ParseOptionsAndLoad(const std::vector<std::string>& args, size_t from, const std::vector<std::string>& allowed,
                        const char* usage, PlaybackOptions& o, Score& s, int& keyShift, StderrMessages& msgs,
                        std::ostream& err) {
  std::string error;
  if (!ParsePlaybackOptions(args, from, allowed, o, error)) {
    err << "poronka-cli: " << error << "\n" << usage;
    return kUsage;
  }
  int rc = LoadInput(args[1], o.sound, s, keyShift, msgs, err);
  if (rc == kOk && o.keyShift) keyShift = *o.keyShift;
  return rc;
}

std::vector<std::string> TraceSong(Score& s, const SoundSettings& settings, int keyShift, int rows) {
  OfflineEngine rig(s, settings);
  rig.system.ports.push_back({"trace"});
  rig.devices.BuildDeviceMenu();
  rig.devices.OpenDevice(0);
  bool started = false;
  rig.Drive(s, keyShift, rows, [&](int64_t t) {
    if (!started) {  // what the preparation sent is not part of the trace
      rig.system.log.Clear();
      started = true;
    }
    rig.system.log.clockMs = t;
    return true;
  });
  std::vector<std::string> lines;
  for (const auto& e : rig.system.log.Sent()) lines.push_back(FormatMidiEvent(e));
  return lines;
}

bool RenderSong(Score& s, const SoundSettings& settings, int keyShift, int rows, const std::string& soundFont,
                std::vector<int16_t>& samples, int& sampleRate, std::string& error) {
  RenderJob job;
  job.settings = settings;
  job.keyShift = keyShift;
  job.rows = rows;
  job.soundFont = soundFont;
  samples.clear();
  sampleRate = kRenderSampleRate;
  VectorSink sink(samples);
  return poronka::RenderSong(s, job, sink, {}, error) == RenderResult::Ok;
}

std::string WavBytes(const std::vector<int16_t>& interleaved, int channels, int sampleRate) {
  std::string out;
  auto u32 = [&](uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
  };
  auto u16 = [&](uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
  };
  const uint32_t dataBytes = static_cast<uint32_t>(interleaved.size() * 2);
  out += "RIFF";
  u32(36 + dataBytes);
  out += "WAVEfmt ";
  u32(16);
  u16(1);
  u16(static_cast<uint16_t>(channels));
  u32(static_cast<uint32_t>(sampleRate));
  u32(static_cast<uint32_t>(sampleRate * channels * 2));
  u16(static_cast<uint16_t>(channels * 2));
  u16(16);
  out += "data";
  u32(dataBytes);
  out.reserve(out.size() + dataBytes);
  for (int16_t v : interleaved) u16(static_cast<uint16_t>(v));
  return out;
}

}  // namespace poronka::cli
