#include "playback/midi_output.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace poronka {

const char* const kNoMidiDeviceMessage = "MIDI出力デバイスがインストールされていません";

std::string OpenFailedMessage(const std::string& name) {
  return "MIDI出力デバイス（" + name + "）をオープンできません";
}

// ---- MidiOut -------------------------------------------------------------------

void MidiOut::ShortMsg(uint32_t message) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (device_) device_->ShortMsg(message);
}

void MidiOut::Reset() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (device_) device_->Reset();
}

void MidiOut::Close() {
  std::unique_ptr<MidiDevice> old;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (device_) device_->Reset();
    old = std::move(device_);
  }
}

void MidiOut::Attach(std::unique_ptr<MidiDevice> device) {
  std::unique_ptr<MidiDevice> old;
  std::lock_guard<std::mutex> lock(mutex_);
  old = std::move(device_);
  device_ = std::move(device);
}

bool MidiOut::IsOpen() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return device_ != nullptr;
}

// ---- system settings --------------------------------------------------------------

namespace {

const char* const kMidiMapKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Multimedia\\MIDIMap";
const char* const kDrivers32Key = "Software\\Microsoft\\Windows NT\\CurrentVersion\\Drivers32";
const char* const kMediaResourcesKey = "SYSTEM\\CurrentControlSet\\Control\\MediaResources\\MIDI\\";
const char* const kDriversDescKey = "Software\\Microsoft\\Windows NT\\CurrentVersion\\drivers.desc";

std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

// The first n characters of a UTF-8 text.
std::string FirstChars(const std::string& s, int n) {
  size_t i = 0;
  int count = 0;
  while (i < s.size() && count < n) {
    unsigned char c = static_cast<unsigned char>(s[i]);
    size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 1;
    i = std::min(s.size(), i + len);
    ++count;
  }
  return s.substr(0, i);
}

}  // namespace

std::optional<std::string> EnvironmentSystemSettings::ReadString(SettingsRoot root, const std::string& key,
                                                                 const std::string& valueName) {
  bool first = (root == SettingsRoot::CurrentUser && key == kMidiMapKey && valueName == "szPname") ||
               (root == SettingsRoot::LocalMachine && key == kDrivers32Key && valueName == "midi");
  if (!first) return std::nullopt;
  const char* v = std::getenv("PORONKA_MIDI_DEVICE");
  if (!v) return std::nullopt;
  return std::string(v);
}

std::string FindMapperDeviceName(SystemSettings& settings) {
  std::optional<int> major = settings.MajorVersion();
  const bool firstColumn = major && *major == 5;
  std::optional<std::string> first =
      firstColumn ? settings.ReadString(SettingsRoot::CurrentUser, kMidiMapKey, "szPname")
                  : settings.ReadString(SettingsRoot::LocalMachine, kDrivers32Key, "midi");
  if (!first) return "";
  if (Lower(*first).find(".drv") == std::string::npos) return *first;
  std::optional<std::string> second =
      firstColumn ? settings.ReadString(SettingsRoot::LocalMachine, kMediaResourcesKey + *first, "Description")
                  : settings.ReadString(SettingsRoot::LocalMachine, kDriversDescKey, *first);
  return second.value_or("");
}

// ---- device menu ----------------------------------------------------------------------

MidiDevices::MidiDevices(MidiOutputSystem& system, SystemSettings& settings, Messages& msgs)
    : system_(system), settings_(settings), msgs_(msgs) {}

bool MidiDevices::BuildDeviceMenu() {
  items_.clear();
  const int n = system_.NumDevs();
  if (n <= 0) {
    msgs_.ShowError(kNoMidiDeviceMessage);
    return false;
  }
  const std::string name = FindMapperDeviceName(settings_);
  deviceIndex_ = 0;
  for (int id = 0; id < n; ++id) {
    std::string product;
    if (!system_.GetDevCaps(id, product)) continue;
    DeviceMenuItem item;
    item.productName = FirstChars(product, kMaxDeviceNameChars);
    item.deviceId = id;
    const int position = static_cast<int>(items_.size());
    if (item.productName == "UM-ONE" && name.empty()) deviceIndex_ = position;
    if (item.productName == name) deviceIndex_ = position;
    item.caption = item.productName + "(&" + std::string(1, static_cast<char>('A' + id % 26)) + ")";
    items_.push_back(std::move(item));
  }
  return !items_.empty();
}

bool MidiDevices::OpenDevice(int index) {
  out_.Close();
  if (index < 0 || index >= static_cast<int>(items_.size())) return false;
  std::unique_ptr<MidiDevice> device = system_.Open(items_[index].deviceId);
  if (!device) {
    msgs_.ShowError(OpenFailedMessage(items_[index].productName));
    return false;
  }
  out_.Attach(std::move(device));
  if (deviceIndex_ >= 0 && deviceIndex_ < static_cast<int>(items_.size())) items_[deviceIndex_].checked = false;
  deviceIndex_ = index;
  items_[index].checked = true;
  return true;
}

void MidiDevices::SelectDevice(int position) {
  if (position == deviceIndex_) return;
  if (!OpenDevice(position)) OpenDevice(deviceIndex_);
}

bool MidiDevices::ReopenIfUnchecked() {
  if (items_.empty() || deviceIndex_ < 0 || deviceIndex_ >= static_cast<int>(items_.size())) return false;
  DeviceMenuItem& item = items_[deviceIndex_];
  if (item.checked) return false;
  std::unique_ptr<MidiDevice> device = system_.Open(item.deviceId);
  if (!device) return false;
  out_.Attach(std::move(device));
  item.checked = true;
  return true;
}

void MidiDevices::CloseDevice() {
  out_.Close();
  if (deviceIndex_ >= 0 && deviceIndex_ < static_cast<int>(items_.size())) items_[deviceIndex_].checked = false;
}

// ---- recording ----------------------------------------------------------------------------

void MidiLog::Add(MidiEvent e) {
  std::lock_guard<std::mutex> lock(mutex_);
  e.timeMs = clockMs.load();
  events_.push_back(e);
}

std::vector<MidiEvent> MidiLog::Events() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return events_;
}

std::vector<MidiEvent> MidiLog::Sent() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<MidiEvent> out;
  for (const auto& e : events_)
    if (e.kind == MidiEvent::Message || e.kind == MidiEvent::Reset) out.push_back(e);
  return out;
}

void MidiLog::Clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  events_.clear();
}

RecordingMidiDevice::RecordingMidiDevice(MidiLog& log, int deviceId) : log_(log), id_(deviceId) {
  log_.Add({MidiEvent::Open, 0, 0, id_});
}
RecordingMidiDevice::~RecordingMidiDevice() { log_.Add({MidiEvent::Close, 0, 0, id_}); }
void RecordingMidiDevice::ShortMsg(uint32_t message) { log_.Add({MidiEvent::Message, message, 0, id_}); }
void RecordingMidiDevice::Reset() { log_.Add({MidiEvent::Reset, 0, 0, id_}); }

bool FakeMidiSystem::GetDevCaps(int id, std::string& productName) {
  if (id < 0 || id >= NumDevs() || !ports[id].capsOk) return false;
  productName = ports[id].name;
  return true;
}

std::unique_ptr<MidiDevice> FakeMidiSystem::Open(int id) {
  if (id < 0 || id >= NumDevs() || !ports[id].openOk) return nullptr;
  return std::make_unique<RecordingMidiDevice>(log, id);
}

std::string FormatMidiEvent(const MidiEvent& e) {
  std::string s = std::to_string(e.timeMs);
  if (e.kind == MidiEvent::Reset) return s + " reset";
  if (e.kind == MidiEvent::Open) return s + " open";
  if (e.kind == MidiEvent::Close) return s + " close";
  const int status = static_cast<int>(e.message & 0xFF);
  const int bytes = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 2 : 3;
  char buf[8];
  for (int i = 0; i < bytes; ++i) {
    std::snprintf(buf, sizeof buf, " %02X", static_cast<unsigned>((e.message >> (8 * i)) & 0xFF));
    s += buf;
  }
  return s;
}

}  // namespace poronka
