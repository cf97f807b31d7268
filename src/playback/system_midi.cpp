// The real output devices: the built-in synthesizer first, then the ALSA
// sequencer's output ports.
#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "playback/builtin_synth.h"
#include "playback/midi_output.h"

namespace poronka {

namespace {

void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

// Names of the ALSA sequencer's output ports; empty when the machine has no
// sequencer.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Without a sequencer device RtMidi and the ALSA library would print their
// complaints before throwing; such a machine simply has no ports.
bool HaveSequencer() {
  snd_lib_error_set_handler(QuietAlsa);
  return access("/dev/snd/seq", R_OK | W_OK) == 0;
}

std::vector<std::string> AlsaPortNames() {
  std::vector<std::string> names;
  if (!HaveSequencer()) return names;
  try {
    RtMidiOut out(RtMidi::LINUX_ALSA, "poronka");
    out.setErrorCallback(IgnoreRtMidiError);
    const unsigned n = out.getPortCount();
    for (unsigned i = 0; i < n; ++i) names.push_back(out.getPortName(i));
  } catch (const std::exception&) {
    names.clear();
  }
  return names;
}

class AlsaPort : public MidiDevice {
 public:
  explicit AlsaPort(std::unique_ptr<RtMidiOut> out) : out_(std::move(out)) {}
  ~AlsaPort() override {
    try {
      out_->closePort();
    } catch (const std::exception&) {
    }
  }
  void ShortMsg(uint32_t message) override {
    const unsigned char status = message & 0xFF;
    if (status < 0x80) return;
    std::vector<unsigned char> bytes{status, static_cast<unsigned char>((message >> 8) & 0x7F)};
    const int kind = status & 0xF0;
    if (kind != 0xC0 && kind != 0xD0) bytes.push_back(static_cast<unsigned char>((message >> 16) & 0x7F));
    Send(bytes);
  }
  void Reset() override {
    for (unsigned char ch = 0; ch < 16; ++ch) {
      Send({static_cast<unsigned char>(0xB0 | ch), 64, 0});
      Send({static_cast<unsigned char>(0xB0 | ch), 123, 0});
    }
  }

 private:
  void Send(const std::vector<unsigned char>& bytes) {
    try {
      out_->sendMessage(&bytes);
    } catch (const std::exception&) {
    }
  }
  std::unique_ptr<RtMidiOut> out_;
};

class SystemMidiOutputs : public MidiOutputSystem {
 public:
  int NumDevs() override {
    alsaNames_ = AlsaPortNames();
    return 1 + static_cast<int>(alsaNames_.size());
  }
  bool GetDevCaps(int id, std::string& productName) override {
    if (id == 0) {
      productName = kBuiltInSynthName;
      return true;
    }
    if (id < 1 || id > static_cast<int>(alsaNames_.size())) return false;
    productName = alsaNames_[id - 1];
    return true;
  }
  std::unique_ptr<MidiDevice> Open(int id) override {
    if (id == 0) return BuiltInSynth::Create(BuiltInSynth::Options{});
    if (id < 1 || id > static_cast<int>(alsaNames_.size())) return nullptr;
    try {
      auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "poronka");
      out->setErrorCallback(IgnoreRtMidiError);
      // Ports may have come or gone since the list was made: find it by name.
      const unsigned n = out->getPortCount();
      for (unsigned i = 0; i < n; ++i) {
        if (out->getPortName(i) == alsaNames_[id - 1]) {
          out->openPort(i, "poronka out");
          if (!out->isPortOpen()) return nullptr;
          return std::make_unique<AlsaPort>(std::move(out));
        }
      }
    } catch (const std::exception&) {
    }
    return nullptr;
  }

 private:
  std::vector<std::string> alsaNames_;
};

}  // namespace

std::unique_ptr<MidiOutputSystem> CreateSystemMidiOutputs() { return std::make_unique<SystemMidiOutputs>(); }

}  // namespace poronka
