#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <tuple>

#include "playback/midi_output.h"
#include "playback/sequencer_ports.h"

namespace poronka {
namespace {

// Registry stand-in answering from a table.
class FakeSettings : public SystemSettings {
 public:
  std::optional<int> major;
  std::map<std::tuple<SettingsRoot, std::string, std::string>, std::string> values;
  std::optional<int> MajorVersion() override { return major; }
  std::optional<std::string> ReadString(SettingsRoot root, const std::string& key,
                                        const std::string& valueName) override {
    auto it = values.find({root, key, valueName});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
};

const std::string kMidiMap = "Software\\Microsoft\\Windows\\CurrentVersion\\Multimedia\\MIDIMap";
const std::string kDrivers32 = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
const std::string kMediaRes = "SYSTEM\\CurrentControlSet\\Control\\MediaResources\\MIDI\\";
const std::string kDescs = "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc";

TEST(FindMapperDeviceName, VersionFiveReadsTheMidiMapperAndItsDriverDescription) {
  FakeSettings s;
  s.major = 5;
  EXPECT_EQ(FindMapperDeviceName(s), "");
  s.values[{SettingsRoot::CurrentUser, kMidiMap, "szPname"}] = "SC-88";
  EXPECT_EQ(FindMapperDeviceName(s), "SC-88");
  s.values[{SettingsRoot::CurrentUser, kMidiMap, "szPname"}] = "wdmaud.DRV";
  EXPECT_EQ(FindMapperDeviceName(s), "");  // second lookup missing
  s.values[{SettingsRoot::LocalMachine, kMediaRes + "wdmaud.DRV", "Description"}] = "Wavetable";
  EXPECT_EQ(FindMapperDeviceName(s), "Wavetable");
  // The other column's keys are not consulted.
  s.values[{SettingsRoot::LocalMachine, kDrivers32, "midi"}] = "Other";
  EXPECT_EQ(FindMapperDeviceName(s), "Wavetable");
}

TEST(FindMapperDeviceName, OtherVersionsAndFailedVersionReadDrivers32) {
  FakeSettings s;
  s.values[{SettingsRoot::CurrentUser, kMidiMap, "szPname"}] = "Mapper";
  s.major = std::nullopt;
  EXPECT_EQ(FindMapperDeviceName(s), "");
  s.values[{SettingsRoot::LocalMachine, kDrivers32, "midi"}] = "UM-ONE";
  EXPECT_EQ(FindMapperDeviceName(s), "UM-ONE");
  s.major = 10;
  s.values[{SettingsRoot::LocalMachine, kDrivers32, "midi"}] = "x.drv";
  s.values[{SettingsRoot::LocalMachine, kDescs, "x.drv"}] = "Synth X";
  EXPECT_EQ(FindMapperDeviceName(s), "Synth X");
}

TEST(FindMapperDeviceName, EnvironmentAnswersTheFirstLookup) {
  EnvironmentSystemSettings env;
  unsetenv("PORONKA_MIDI_DEVICE");
  EXPECT_EQ(FindMapperDeviceName(env), "");
  setenv("PORONKA_MIDI_DEVICE", "Port B", 1);
  EXPECT_EQ(FindMapperDeviceName(env), "Port B");
  EXPECT_FALSE(env.ReadString(SettingsRoot::LocalMachine, kDescs, "Port B"));
  unsetenv("PORONKA_MIDI_DEVICE");
}

struct MenuRig {
  FakeMidiSystem system;
  FakeSettings settings;
  RecordingMessages msgs;
  MidiDevices devices{system, settings, msgs};
  MenuRig() { settings.major = 10; }
  void Names(std::initializer_list<const char*> names) {
    for (const char* n : names) system.ports.push_back({n});
  }
};

TEST(DeviceMenu, NoDevicesSaysSoAndOpensNothing) {
  MenuRig rig;
  EXPECT_FALSE(rig.devices.BuildDeviceMenu());
  ASSERT_EQ(rig.msgs.Texts().size(), 1u);
  EXPECT_EQ(rig.msgs.Texts()[0], "MIDI出力デバイスがインストールされていません");
  EXPECT_TRUE(rig.devices.Items().empty());
  rig.devices.Out().ShortMsg(0x90, 60, 100);  // ignored without a device
}

TEST(DeviceMenu, CaptionsCarryHotKeysAndTheFirstDeviceIsTheDefault) {
  MenuRig rig;
  rig.Names({"Synth", "A very long device name that goes past thirty-two", "um-one"});
  ASSERT_TRUE(rig.devices.BuildDeviceMenu());
  ASSERT_EQ(rig.devices.Items().size(), 3u);
  EXPECT_EQ(rig.devices.Items()[0].caption, "Synth(&A)");
  EXPECT_EQ(rig.devices.Items()[1].caption, "A very long device name that goe(&B)");
  EXPECT_EQ(rig.devices.DeviceIndex(), 0);  // "um-one" is not "UM-ONE"
}

TEST(DeviceMenu, UmOneWinsWithoutRegistryNameAndRegistryNameWinsOverIt) {
  MenuRig rig;
  rig.Names({"Synth", "UM-ONE", "Wavetable"});
  rig.devices.BuildDeviceMenu();
  EXPECT_EQ(rig.devices.DeviceIndex(), 1);
  rig.settings.values[{SettingsRoot::LocalMachine, kDrivers32, "midi"}] = "Synth";
  rig.devices.BuildDeviceMenu();
  EXPECT_EQ(rig.devices.DeviceIndex(), 0);
  rig.settings.values[{SettingsRoot::LocalMachine, kDrivers32, "midi"}] = "Nothing like it";
  rig.devices.BuildDeviceMenu();
  EXPECT_EQ(rig.devices.DeviceIndex(), 0);  // a name matches nothing: no UM-ONE rule either
}

TEST(DeviceMenu, UnreadableDeviceIsLeftOutAndPositionsKeepTheirDevice) {
  MenuRig rig;
  rig.Names({"Broken", "Synth", "UM-ONE"});
  rig.system.ports[0].capsOk = false;
  rig.devices.BuildDeviceMenu();
  ASSERT_EQ(rig.devices.Items().size(), 2u);
  EXPECT_EQ(rig.devices.Items()[1].caption, "UM-ONE(&C)");
  EXPECT_EQ(rig.devices.DeviceIndex(), 1);
  ASSERT_TRUE(rig.devices.OpenDevice(rig.devices.DeviceIndex()));
  rig.devices.Out().ShortMsg(0x90, 60, 100);
  auto sent = rig.system.log.Sent();
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].deviceId, 2);
  EXPECT_EQ(sent[0].message, 0x643C90u);
}

TEST(DeviceMenu, OpenMovesTheCheckAndFailureKeepsIt) {
  MenuRig rig;
  rig.Names({"Synth", "Port B", "Dead"});
  rig.system.ports[2].openOk = false;
  rig.devices.BuildDeviceMenu();
  ASSERT_TRUE(rig.devices.OpenDevice(0));
  EXPECT_TRUE(rig.devices.Items()[0].checked);
  rig.devices.SelectDevice(1);
  EXPECT_EQ(rig.devices.DeviceIndex(), 1);
  EXPECT_FALSE(rig.devices.Items()[0].checked);
  EXPECT_TRUE(rig.devices.Items()[1].checked);
  // The first device was reset and closed before the second opened.
  auto ev = rig.system.log.Events();
  ASSERT_GE(ev.size(), 4u);
  EXPECT_EQ(ev[1].kind, MidiEvent::Reset);
  EXPECT_EQ(ev[2].kind, MidiEvent::Close);
  EXPECT_EQ(ev[3].kind, MidiEvent::Open);
  EXPECT_EQ(ev[3].deviceId, 1);

  // Clicking the checked device does nothing.
  rig.system.log.Clear();
  rig.devices.SelectDevice(1);
  EXPECT_TRUE(rig.system.log.Events().empty());

  // A device that fails: message, then the previous one is open again.
  rig.devices.SelectDevice(2);
  EXPECT_EQ(rig.msgs.Texts().back(), "MIDI出力デバイス（Dead）をオープンできません");
  EXPECT_EQ(rig.devices.DeviceIndex(), 1);
  EXPECT_TRUE(rig.devices.Items()[1].checked);
  EXPECT_FALSE(rig.devices.Items()[2].checked);
  EXPECT_TRUE(rig.devices.Out().IsOpen());
  rig.devices.Out().ShortMsg(0x90, 1, 2);
  EXPECT_EQ(rig.system.log.Sent().back().deviceId, 1);
}

TEST(DeviceMenu, ClosedDeviceIsReopenedOnce) {
  MenuRig rig;
  rig.Names({"Synth"});
  rig.devices.BuildDeviceMenu();
  rig.devices.OpenDevice(0);
  EXPECT_FALSE(rig.devices.ReopenIfUnchecked());
  rig.devices.CloseDevice();
  EXPECT_FALSE(rig.devices.Items()[0].checked);
  EXPECT_FALSE(rig.devices.Out().IsOpen());
  EXPECT_TRUE(rig.devices.ReopenIfUnchecked());
  EXPECT_TRUE(rig.devices.Items()[0].checked);
  EXPECT_TRUE(rig.devices.Out().IsOpen());
}

// A sequencer as `aconnect -o` would list it: a USB interface, a card with
// two output ports, the kernel's through port.
class FakeSequencer : public SequencerListing {
 public:
  std::vector<SequencerPort> OutputPorts() override {
    return {{14, 0, "Midi Through", "Midi Through Port-0"},
            {20, 0, "UM-ONE", "UM-ONE MIDI 1"},
            {24, 0, "SB Live", "EMU10K1 MPU-401"},
            {24, 1, "SB Live", "Emu10k1 Port 0"}};
  }
  std::unique_ptr<MidiDevice> Open(const SequencerPort& port) override {
    opened.push_back(port.client * 100 + port.port);
    return std::make_unique<RecordingMidiDevice>(log, port.client);
  }
  std::vector<int> opened;
  MidiLog log;
};

TEST(SequencerPorts, NamedByClientAndChosenByTheDeviceRules) {
  FakeSequencer sequencer;
  EXPECT_EQ(SequencerProductNames(sequencer.OutputPorts()),
            (std::vector<std::string>{"Midi Through", "UM-ONE", "SB Live EMU10K1 MPU-401", "SB Live Emu10k1 Port 0"}));

  auto owned = std::make_unique<FakeSequencer>();
  FakeSequencer& fake = *owned;
  std::unique_ptr<MidiOutputSystem> system = CreateSystemMidiOutputs(std::move(owned));
  EnvironmentSystemSettings env;
  RecordingMessages msgs;
  MidiDevices devices(*system, env, msgs);
  unsetenv("PORONKA_MIDI_DEVICE");
  ASSERT_TRUE(devices.BuildDeviceMenu());
  ASSERT_EQ(devices.Items().size(), 5u);
  EXPECT_EQ(devices.Items()[2].caption, "UM-ONE(&C)");
  EXPECT_EQ(devices.DeviceIndex(), 2);
  ASSERT_TRUE(devices.OpenDevice(2));
  EXPECT_EQ(fake.opened, std::vector<int>{2000});

  setenv("PORONKA_MIDI_DEVICE", "SB Live Emu10k1 Port 0", 1);
  devices.BuildDeviceMenu();
  EXPECT_EQ(devices.DeviceIndex(), 4);
  ASSERT_TRUE(devices.OpenDevice(4));
  EXPECT_EQ(fake.opened.back(), 2401);
  unsetenv("PORONKA_MIDI_DEVICE");
}

TEST(MidiMessages, PackingAndTraceFormat) {
  EXPECT_EQ(PackShortMessage(0x90, 0x48, 0x64), 0x644890u);
  MidiEvent e{MidiEvent::Message, PackShortMessage(0x90, 0x48, 0x64), 375, 0};
  EXPECT_EQ(FormatMidiEvent(e), "375 90 48 64");
  e.message = PackShortMessage(0xC3, 10, 0);
  EXPECT_EQ(FormatMidiEvent(e), "375 C3 0A");
  e.kind = MidiEvent::Reset;
  e.timeMs = 0;
  EXPECT_EQ(FormatMidiEvent(e), "0 reset");
}

}  // namespace
}  // namespace poronka
