// poronka-cli devices: the MIDI output devices in menu order, the one that
// the player would choose marked with "*".
#include <string>
#include <vector>

#include "cli/cli.h"
#include "playback/midi_output.h"

namespace poronka::cli {
namespace {

int RunDevices(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
  if (args.size() != 1) {
    err << "usage: poronka-cli devices\n";
    return kUsage;
  }
  std::unique_ptr<MidiOutputSystem> system = CreateSystemMidiOutputs();
  EnvironmentSystemSettings registry;
  StderrMessages msgs(err);
  MidiDevices devices(*system, registry, msgs);
  if (!devices.BuildDeviceMenu()) return kFailed;
  const auto& items = devices.Items();
  for (size_t i = 0; i < items.size(); ++i)
    out << (static_cast<int>(i) == devices.DeviceIndex() ? "* " : "  ") << i << " " << items[i].productName << "\n";
  return kOk;
}

const Command kDevices("devices", &RunDevices, "devices");

}  // namespace
}  // namespace poronka::cli
