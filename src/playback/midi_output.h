// MIDI output devices: the list of output ports, the one open output handle
// through which every MIDI message of the program goes, and the device menu
// logic (choosing the default device, opening and switching devices).
//
// The device layer is a small interface:
//   MidiOutputSystem::NumDevs / GetDevCaps / Open   (count, name, open)
//   MidiDevice::ShortMsg / Reset                    (send, silence all)
//   destroying the MidiDevice                       (close)
// The built-in synthesizer and the ALSA sequencer ports implement it for the
// real system; FakeMidiSystem records everything for tests.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "core/messages.h"

namespace poronka {

// Longest product name shown in the device menu (characters).
constexpr int kMaxDeviceNameChars = 32;

// Packs a short message: status + data1 * 256 + data2 * 65536.
constexpr uint32_t PackShortMessage(int status, int data1, int data2) {
  return static_cast<uint32_t>(status & 0xFF) | (static_cast<uint32_t>(data1 & 0xFF) << 8) |
         (static_cast<uint32_t>(data2 & 0xFF) << 16);
}

// One open output port. Destroying it closes the port. ShortMsg and Reset may
// be called from any thread (MidiOut serialises them).
class MidiDevice {
 public:
  virtual ~MidiDevice() = default;
  // A packed short message (status in the low byte).
  virtual void ShortMsg(uint32_t message) = 0;
  // Silences every sounding note on all 16 channels at once.
  virtual void Reset() = 0;
};

// The system's output ports in identifier order.
class MidiOutputSystem {
 public:
  virtual ~MidiOutputSystem() = default;
  virtual int NumDevs() = 0;
  // The product name of device `id`; false when it cannot be read.
  virtual bool GetDevCaps(int id, std::string& productName) = 0;
  // Opens device `id`; nullptr on failure.
  virtual std::unique_ptr<MidiDevice> Open(int id) = 0;
};

// The built-in synthesizer first, then every ALSA sequencer output port.
std::unique_ptr<MidiOutputSystem> CreateSystemMidiOutputs();

// The one open output handle. Sending to a handle that is not open does
// nothing. Safe to use from the timer thread and the user-interface thread
// at once (a short lock guards the device while it is swapped).
class MidiOut {
 public:
  void ShortMsg(uint32_t message);
  void ShortMsg(int status, int data1, int data2) { ShortMsg(PackShortMessage(status, data1, data2)); }
  void Reset();
  // Reset and close; nothing happens when not open.
  void Close();
  // Replaces the open device (closing the previous one without a reset).
  void Attach(std::unique_ptr<MidiDevice> device);
  bool IsOpen() const;

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<MidiDevice> device_;
};

// ---- system settings standing in for the registry -------------------------

enum class SettingsRoot { CurrentUser, LocalMachine };

// Read-only access to the system settings that name the default MIDI device.
class SystemSettings {
 public:
  virtual ~SystemSettings() = default;
  // Major version of the operating system, or nullopt when it cannot be asked.
  virtual std::optional<int> MajorVersion() = 0;
  // A string value; nullopt when the key or the value is missing.
  virtual std::optional<std::string> ReadString(SettingsRoot root, const std::string& key,
                                                const std::string& valueName) = 0;
};

// On Linux: the first lookup (either version's) answers from the environment
// variable PORONKA_MIDI_DEVICE; every other lookup is empty.
class EnvironmentSystemSettings : public SystemSettings {
 public:
  std::optional<int> MajorVersion() override { return 6; }
  std::optional<std::string> ReadString(SettingsRoot root, const std::string& key,
                                        const std::string& valueName) override;
};

// The name of the device that the system uses for MIDI, or empty.
std::string FindMapperDeviceName(SystemSettings& settings);

// ---- the device menu ---------------------------------------------------------

extern const char* const kNoMidiDeviceMessage;  // no output device at all

// "MIDI出力デバイス（" + name + "）をオープンできません", with the device's
// name as the user reads it (no menu hot-key markup).
std::string OpenFailedMessage(const std::string& name);

struct DeviceMenuItem {
  std::string caption;  // product name + "(&" + letter + ")"
  std::string productName;
  int deviceId = 0;     // identifier in MidiOutputSystem
  bool checked = false; // the device is open
};

// The device state of the run: the menu items, DeviceIndex (a menu position)
// and the open handle. Used on the user-interface thread; only `Out()` is
// used from the timer thread.
class MidiDevices {
 public:
  MidiDevices(MidiOutputSystem& system, SystemSettings& settings, Messages& msgs);

  // Lists the devices and chooses DeviceIndex; true when an item was added.
  bool BuildDeviceMenu();
  // Closes the current device, opens the one at menu position `index` and
  // moves the check mark; true on success.
  bool OpenDevice(int index);
  // Switches to the device at menu position `position` (the user chose it);
  // nothing when it is already the current one. When it cannot be opened the
  // current device is opened again.
  void SelectDevice(int position);
  // When the menu has items and DeviceIndex's item is unchecked, opens that
  // device again and checks it on success (no message on failure).
  bool ReopenIfUnchecked();
  // Reset and close the device and clear its check mark (media playback of
  // MIDI files, exit).
  void CloseDevice();

  const std::vector<DeviceMenuItem>& Items() const { return items_; }
  int DeviceIndex() const { return deviceIndex_; }
  MidiOut& Out() { return out_; }

 private:
  MidiOutputSystem& system_;
  SystemSettings& settings_;
  Messages& msgs_;
  std::vector<DeviceMenuItem> items_;
  int deviceIndex_ = 0;
  MidiOut out_;
};

// ---- recording devices for tests and the trace ---------------------------------

struct MidiEvent {
  enum Kind { Message, Reset, Open, Close } kind;
  uint32_t message = 0;  // packed, for Message
  int64_t timeMs = 0;    // the log's clock when it happened
  int deviceId = -1;
};

// Shared log of everything the recording devices did. The clock is set by
// whoever drives time (tests, the trace command).
class MidiLog {
 public:
  void Add(MidiEvent e);
  std::vector<MidiEvent> Events() const;
  // Only Message and Reset events.
  std::vector<MidiEvent> Sent() const;
  void Clear();
  std::atomic<int64_t> clockMs{0};

 private:
  mutable std::mutex mutex_;
  std::vector<MidiEvent> events_;
};

class RecordingMidiDevice : public MidiDevice {
 public:
  RecordingMidiDevice(MidiLog& log, int deviceId = 0);
  ~RecordingMidiDevice() override;
  void ShortMsg(uint32_t message) override;
  void Reset() override;

 private:
  MidiLog& log_;
  int id_;
};

// A configurable list of recording devices.
class FakeMidiSystem : public MidiOutputSystem {
 public:
  struct Port {
    std::string name;
    bool capsOk = true;
    bool openOk = true;
  };
  std::vector<Port> ports;
  MidiLog log;

  int NumDevs() override { return static_cast<int>(ports.size()); }
  bool GetDevCaps(int id, std::string& productName) override;
  std::unique_ptr<MidiDevice> Open(int id) override;
};

// One line of the trace: "375 90 48 64" or "0 reset".
std::string FormatMidiEvent(const MidiEvent& e);

}  // namespace poronka
