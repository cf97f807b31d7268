// poronka-cli play INPUT [--device N] [--rows N] [--key-shift K] [sound
// options]: plays the song in real time through a MIDI output device,
// showing bar, beat and time on one terminal line. Without a playlist the
// song repeats until Ctrl-C (or until --rows rows have had their time),
// which stops it cleanly.
#include <signal.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/playback_commands.h"
#include "playback/engine.h"
#include "playback/midi_output.h"
#include "playback/periodic_timer.h"

namespace poronka::cli {
namespace {

const char* const kPlayUsage =
    "usage: poronka-cli play INPUT [--device N] [--rows N] [--key-shift K] [sound options]\n";

std::atomic<bool> g_interrupted{false};
void OnInterrupt(int) { g_interrupted = true; }

// Keeps the labels the engine sets; the terminal loop prints them.
class TerminalDisplay : public NullPlayerDisplay {
 public:
  void SetLabel(PlayerLabel label, const std::string& text) override {
    if (label == PlayerLabel::Current) bar_ = Number(text);
    if (label == PlayerLabel::Beat) beat_ = Number(text);
  }
  int bar() const { return bar_; }
  int beat() const { return beat_; }

 private:
  static int Number(const std::string& t) {
    size_t i = t.find_first_of("0123456789");
    return i == std::string::npos ? 0 : std::atoi(t.c_str() + i);
  }
  std::atomic<int> bar_{0}, beat_{0};
};

int RunPlay(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() < 2) {
    err << kPlayUsage;
    return kUsage;
  }
  PlaybackOptions o;
  Score score;
  StderrMessages msgs(err);
  int keyShift = 0;
  int rc = ParseOptionsAndLoad(args, 2, {"--device", "--rows", "--key-shift"}, kPlayUsage, o, score, keyShift, msgs, err);
  if (rc != kOk) return rc;

  std::unique_ptr<MidiOutputSystem> system = CreateSystemMidiOutputs();
  EnvironmentSystemSettings registry;
  MidiDevices devices(*system, registry, msgs);
  if (!devices.BuildDeviceMenu()) return kFailed;
  const int index = o.device.value_or(devices.DeviceIndex());
  if (index < 0 || index >= static_cast<int>(devices.Items().size())) {
    err << "poronka-cli: no device " << index << " (see poronka-cli devices)\n";
    return kUsage;
  }
  if (!devices.OpenDevice(index)) return kFailed;

  SoundSettings settings = SettingsFrom(o.sound);
  ThreadTimer timer;
  TerminalDisplay display;
  PlaybackEngine engine(score, settings, devices, timer, display, msgs);
  engine.state.TimerMinPeriod = ComputeTimerMinPeriod(TimeGetDevCaps());
  engine.PrepareSong(Preparation::Full);
  engine.state.Transpose = keyShift * 256;

  g_interrupted = false;
  struct sigaction sa {};
  sa.sa_handler = OnInterrupt;
  sigemptyset(&sa.sa_mask);
  struct sigaction oldInt {}, oldTerm {};
  sigaction(SIGINT, &sa, &oldInt);
  sigaction(SIGTERM, &sa, &oldTerm);

  out << devices.Items()[index].productName << ": " << score.Title.substr(0, score.Title.find('\r')) << "\n";
  out.flush();
  const auto start = std::chrono::steady_clock::now();
  const int64_t limitMs =
      o.rows ? static_cast<int64_t>(*o.rows) * score.HalfPeriod * 2 + score.HalfPeriod : -1;
  const int totalBars = PlayerBarTotal(score.RowCount, score.PreRows, score.RowsPerBar);
  engine.Start();
  while (!g_interrupted) {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    const int64_t elapsed =
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start).count();
    const int32_t row = engine.state.CurrentRow;
    const std::string time = SongLengthText(std::max(row, 0), score.HalfPeriod);
    char line[128];
    std::snprintf(line, sizeof line, "\r小節 %d/%d  拍 %d  %s/%s ", display.bar(), totalBars, display.beat(),
                  time.c_str(), SongLengthText(score.RowCount, score.HalfPeriod).c_str());
    out << line;
    out.flush();
    if (limitMs >= 0 && elapsed >= limitMs) break;
  }
  engine.Stop();
  devices.CloseDevice();
  out << "\n";
  sigaction(SIGINT, &oldInt, nullptr);
  sigaction(SIGTERM, &oldTerm, nullptr);
  return kOk;
}

const Command kPlay("play", &RunPlay, "play INPUT [--device N] [--rows N] [--key-shift K] [sound options]");

}  // namespace
}  // namespace poronka::cli
