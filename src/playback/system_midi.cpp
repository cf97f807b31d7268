// The real output devices: the built-in synthesizer first, then the ALSA
// sequencer's output ports under their clients' names.
#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "playback/builtin_synth.h"
#include "playback/midi_output.h"
#include "playback/sequencer_ports.h"

namespace poronka {

namespace {

void IgnoreRtMidiError(RtMidiError::Type, const std::string&, void*) {}

void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Without a sequencer device RtMidi and the ALSA library would print their
// complaints before throwing; such a machine simply has no ports.
bool HaveSequencer() {
  snd_lib_error_set_handler(QuietAlsa);
  return access("/dev/snd/seq", R_OK | W_OK) == 0;
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

class AlsaSequencerListing : public SequencerListing {
 public:
  std::vector<SequencerPort> OutputPorts() override {
    std::vector<SequencerPort> ports;
    if (!HaveSequencer()) return ports;
    snd_seq_t* seq = nullptr;
    if (snd_seq_open(&seq, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0) return ports;
    const int self = snd_seq_client_id(seq);
    snd_seq_client_info_t* client = nullptr;
    snd_seq_port_info_t* port = nullptr;
    snd_seq_client_info_alloca(&client);
    snd_seq_port_info_alloca(&port);
    snd_seq_client_info_set_client(client, -1);
    while (snd_seq_query_next_client(seq, client) >= 0) {
      const int id = snd_seq_client_info_get_client(client);
      // The system client and this program's own ports are no devices.
      if (id == 0 || id == self) continue;
      snd_seq_port_info_set_client(port, id);
      snd_seq_port_info_set_port(port, -1);
      while (snd_seq_query_next_port(seq, port) >= 0) {
        const unsigned caps = snd_seq_port_info_get_capability(port);
        const unsigned type = snd_seq_port_info_get_type(port);
        const unsigned writable = SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
        if ((caps & writable) != writable || (caps & SND_SEQ_PORT_CAP_NO_EXPORT)) continue;
        if (!(type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH | SND_SEQ_PORT_TYPE_APPLICATION)))
          continue;
        ports.push_back({id, snd_seq_port_info_get_port(port), snd_seq_client_info_get_name(client),
                         snd_seq_port_info_get_name(port)});
      }
    }
    snd_seq_close(seq);
    return ports;
  }

  std::unique_ptr<MidiDevice> Open(const SequencerPort& port) override {
    if (!HaveSequencer()) return nullptr;
    try {
      auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, "poronka");
      out->setErrorCallback(IgnoreRtMidiError);
      // RtMidi names its ports "client:port C:P"; the numbers find ours.
      const std::string numbers = " " + std::to_string(port.client) + ":" + std::to_string(port.port);
      const unsigned n = out->getPortCount();
      for (unsigned i = 0; i < n; ++i) {
        const std::string name = out->getPortName(i);
        if (name.size() < numbers.size() || name.compare(name.size() - numbers.size(), numbers.size(), numbers) != 0)
          continue;
        out->openPort(i, "poronka out");
        if (!out->isPortOpen()) return nullptr;
        return std::make_unique<AlsaPort>(std::move(out));
      }
    } catch (const std::exception&) {
    }
    return nullptr;
  }
};

class SystemMidiOutputs : public MidiOutputSystem {
 public:
  explicit SystemMidiOutputs(std::unique_ptr<SequencerListing> listing) : listing_(std::move(listing)) {}
  int NumDevs() override {
    ports_ = listing_->OutputPorts();
    names_ = SequencerProductNames(ports_);
    return 1 + static_cast<int>(ports_.size());
  }
  bool GetDevCaps(int id, std::string& productName) override {
    if (id == 0) {
      productName = kBuiltInSynthName;
      return true;
    }
    if (id < 1 || id > static_cast<int>(names_.size())) return false;
    productName = names_[static_cast<size_t>(id - 1)];
    return true;
  }
  std::unique_ptr<MidiDevice> Open(int id) override {
    if (id == 0) return BuiltInSynth::Create(BuiltInSynth::Options{});
    if (id < 1 || id > static_cast<int>(ports_.size())) return nullptr;
    return listing_->Open(ports_[static_cast<size_t>(id - 1)]);
  }

 private:
  std::unique_ptr<SequencerListing> listing_;
  std::vector<SequencerPort> ports_;
  std::vector<std::string> names_;
};

}  // namespace

std::vector<std::string> SequencerProductNames(const std::vector<SequencerPort>& ports) {
  std::map<int, int> portsOfClient;
  for (const auto& p : ports) ++portsOfClient[p.client];
  std::vector<std::string> names;
  names.reserve(ports.size());
  for (const auto& p : ports) {
    if (portsOfClient[p.client] < 2 || p.portName.empty()) {
      names.push_back(p.clientName);
    } else if (p.portName.rfind(p.clientName, 0) == 0) {
      // "UM-ONE" + "UM-ONE MIDI 1" reads "UM-ONE MIDI 1", not the name twice.
      names.push_back(p.portName);
    } else {
      names.push_back(p.clientName + " " + p.portName);
    }
  }
  return names;
}

std::unique_ptr<SequencerListing> CreateAlsaSequencerListing() { return std::make_unique<AlsaSequencerListing>(); }

std::unique_ptr<MidiOutputSystem> CreateSystemMidiOutputs(std::unique_ptr<SequencerListing> listing) {
  return std::make_unique<SystemMidiOutputs>(std::move(listing));
}

std::unique_ptr<MidiOutputSystem> CreateSystemMidiOutputs() {
  return CreateSystemMidiOutputs(CreateAlsaSequencerListing());
}

}  // namespace poronka
