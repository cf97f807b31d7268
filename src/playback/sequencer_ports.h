// The output ports of the MIDI sequencer as the device menu names them: a
// port's product name is its client's name, with the port's own name added
// only when that client offers several output ports.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "playback/midi_output.h"

namespace poronka {

struct SequencerPort {
  int client = 0;
  int port = 0;
  std::string clientName;
  std::string portName;
};

// Product names of `ports`, in their order.
std::vector<std::string> SequencerProductNames(const std::vector<SequencerPort>& ports);

// Lists the sequencer's output ports and opens one of them.
class SequencerListing {
 public:
  virtual ~SequencerListing() = default;
  // Empty when the machine has no sequencer.
  virtual std::vector<SequencerPort> OutputPorts() = 0;
  // nullptr when the port cannot be opened (or has gone).
  virtual std::unique_ptr<MidiDevice> Open(const SequencerPort& port) = 0;
};

// The ALSA sequencer.
std::unique_ptr<SequencerListing> CreateAlsaSequencerListing();

// The built-in synthesizer first, then every port of `listing`.
std::unique_ptr<MidiOutputSystem> CreateSystemMidiOutputs(std::unique_ptr<SequencerListing> listing);

}  // namespace poronka
