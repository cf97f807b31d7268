// Writes small Standard MIDI Files byte by byte for the import's tests and
// benchmark.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace poronka::testing {

inline void PutVlq(std::string& out, uint32_t v) {
  char buf[5];
  int n = 0;
  buf[n++] = static_cast<char>(v & 0x7F);
  while (v >>= 7) buf[n++] = static_cast<char>(0x80 | (v & 0x7F));
  while (n) out.push_back(buf[--n]);
}

inline void PutBe(std::string& out, uint32_t v, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// One track's events; every call takes the delta time before the event.
class TrackBuilder {
 public:
  TrackBuilder& Raw(uint32_t delta, std::initializer_list<int> bytes) {
    PutVlq(data_, delta);
    for (int b : bytes) data_.push_back(static_cast<char>(b));
    return *this;
  }
  // channel is 1..16
  TrackBuilder& NoteOn(uint32_t delta, int channel, int key, int velocity = 100) {
    return Raw(delta, {0x90 + channel - 1, key, velocity});
  }
  TrackBuilder& NoteOff(uint32_t delta, int channel, int key) {
    return Raw(delta, {0x80 + channel - 1, key, 64});
  }
  TrackBuilder& Meta(uint32_t delta, int type, const std::string& payload) {
    PutVlq(data_, delta);
    data_.push_back(static_cast<char>(0xFF));
    data_.push_back(static_cast<char>(type));
    PutVlq(data_, static_cast<uint32_t>(payload.size()));
    data_ += payload;
    return *this;
  }
  TrackBuilder& Tempo(uint32_t delta, uint32_t microsPerQuarter) {
    std::string p;
    PutBe(p, microsPerQuarter, 3);
    return Meta(delta, 0x51, p);
  }
  TrackBuilder& TimeSignature(uint32_t delta, int numerator, int denominatorPower) {
    return Meta(delta, 0x58, std::string{static_cast<char>(numerator),
                                         static_cast<char>(denominatorPower), 24, 8});
  }
  TrackBuilder& EndOfTrack(uint32_t delta) { return Meta(delta, 0x2F, ""); }
  const std::string& data() const { return data_; }

 private:
  std::string data_;
};

inline std::string Chunk(const std::string& type, const std::string& data) {
  std::string out = type;
  PutBe(out, static_cast<uint32_t>(data.size()), 4);
  return out + data;
}

// A whole file: header chunk and one "MTrk" chunk per track. trackCount < 0
// writes the real number of tracks.
inline std::string SmfFile(int format, int division, const std::vector<TrackBuilder>& tracks,
                           int trackCount = -1) {
  std::string header;
  PutBe(header, static_cast<uint32_t>(format), 2);
  PutBe(header, static_cast<uint32_t>(trackCount < 0 ? tracks.size() : trackCount), 2);
  PutBe(header, static_cast<uint32_t>(division), 2);
  std::string out = Chunk("MThd", header);
  for (const auto& t : tracks) out += Chunk("MTrk", t.data());
  return out;
}

}  // namespace poronka::testing
