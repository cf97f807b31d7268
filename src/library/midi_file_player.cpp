#include "library/midi_file_player.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "core/file_io.h"

namespace poronka {

namespace {

constexpr int kDefaultTempo = 500000;  // µs a quarter note, 120 beats a minute
constexpr int kFramesPerSecond = 75;   // of a packed position

class Reader {
 public:
  Reader(std::string_view b, size_t pos, size_t end) : b_(b), pos_(pos), end_(end) {}
  bool AtEnd() const { return pos_ >= end_; }
  bool Byte(int* v) {
    if (pos_ >= end_) return false;
    *v = static_cast<uint8_t>(b_[pos_++]);
    return true;
  }
  bool Var(uint32_t* v) {
    *v = 0;
    for (int i = 0; i < 4; ++i) {
      int c;
      if (!Byte(&c)) return false;
      *v = (*v << 7) | (c & 0x7F);
      if (!(c & 0x80)) return true;
    }
    return false;
  }
  bool Skip(uint32_t n) {
    if (n > end_ - pos_) return false;
    pos_ += n;
    return true;
  }
  size_t Pos() const { return pos_; }

 private:
  std::string_view b_;
  size_t pos_, end_;
};

uint32_t Be(std::string_view b, size_t at, int n) {
  uint32_t v = 0;
  for (int i = 0; i < n; ++i) v = (v << 8) | static_cast<uint8_t>(b[at + static_cast<size_t>(i)]);
  return v;
}

}  // namespace

bool SmfTimeline::Parse(std::string_view b) {
  tempos_.clear();
  lastTick_ = 0;
  if (b.size() < 14 || b.substr(0, 4) != "MThd") return false;
  const uint32_t headerLength = Be(b, 4, 4);
  if (headerLength < 6 || headerLength > b.size() - 8) return false;
  const uint32_t division = Be(b, 12, 2);
  if (division & 0x8000) {
    const int fps = -static_cast<int8_t>(division >> 8);
    const int perFrame = static_cast<int>(division & 0xFF);
    if (fps <= 0 || perFrame <= 0) return false;
    smpteTicksPerSecond_ = (fps == 29 ? 29.97 : fps) * perFrame;
  } else {
    if (division == 0) return false;
    smpteTicksPerSecond_ = 0;
    ticksPerQuarter_ = division;
  }
  std::vector<std::pair<int64_t, int>> changes;
  int64_t last = 0;
  size_t at = 8 + headerLength;
  int tracks = 0;
  while (at + 8 <= b.size()) {
    const uint32_t length = Be(b, at + 4, 4);
    const bool isTrack = b.substr(at, 4) == "MTrk";
    at += 8;
    // A truncated last chunk is read as far as it goes.
    const size_t end = length > b.size() - at ? b.size() : at + length;
    if (isTrack) {
      ++tracks;
      Reader r(b, at, end);
      int64_t tick = 0;
      int status = 0;
      while (!r.AtEnd()) {
        uint32_t delta;
        int c;
        if (!r.Var(&delta) || !r.Byte(&c)) break;
        tick += delta;
        if (c == 0xFF) {
          int type;
          uint32_t n;
          if (!r.Byte(&type) || !r.Var(&n)) break;
          const size_t data = r.Pos();
          if (!r.Skip(n)) break;
          if (type == 0x51 && n == 3) changes.emplace_back(tick, static_cast<int>(Be(b, data, 3)));
          if (type == 0x2F) break;
        } else if (c == 0xF0 || c == 0xF7) {
          uint32_t n;
          if (!r.Var(&n) || !r.Skip(n)) break;
        } else {
          int skip;
          if (c & 0x80) {
            status = c;
            skip = (status & 0xE0) == 0xC0 ? 1 : 2;
          } else {
            if (!status) return false;  // data without a status
            skip = (status & 0xE0) == 0xC0 ? 0 : 1;
          }
          if (!r.Skip(static_cast<uint32_t>(skip))) break;
        }
        last = std::max(last, tick);
      }
      last = std::max(last, tick);
    }
    at = end;
  }
  if (tracks == 0) return false;
  lastTick_ = static_cast<int>(std::min<int64_t>(last, 0x7FFFFFFF));
  std::stable_sort(changes.begin(), changes.end(),
                   [](const auto& x, const auto& y) { return x.first < y.first; });
  tempos_.push_back({0, kDefaultTempo, 0});
  for (const auto& [tick, us] : changes) {
    if (us <= 0 || tick > lastTick_) continue;
    const Tempo& prev = tempos_.back();
    const double ms = prev.ms + (static_cast<double>(tick) - prev.tick) * prev.usPerQuarter / ticksPerQuarter_ / 1000;
    if (tick == prev.tick)
      tempos_.back().usPerQuarter = us;
    else
      tempos_.push_back({static_cast<int>(tick), us, ms});
  }
  return true;
}

int64_t SmfTimeline::TickToMs(int tick) const {
  if (smpteTicksPerSecond_ > 0) return std::llround(tick * 1000.0 / smpteTicksPerSecond_);
  if (tempos_.empty()) return 0;
  auto it = std::upper_bound(tempos_.begin(), tempos_.end(), tick, [](int t, const Tempo& x) { return t < x.tick; });
  const Tempo& t = *std::prev(it == tempos_.begin() ? std::next(it) : it);
  return std::llround(t.ms + (static_cast<double>(tick) - t.tick) * t.usPerQuarter / ticksPerQuarter_ / 1000);
}

int SmfTimeline::MsToTick(int64_t ms) const {
  double ticks;
  if (smpteTicksPerSecond_ > 0) {
    ticks = ms * smpteTicksPerSecond_ / 1000;
  } else if (tempos_.empty()) {
    ticks = 0;
  } else {
    auto it = std::upper_bound(tempos_.begin(), tempos_.end(), static_cast<double>(ms),
                               [](double m, const Tempo& x) { return m < x.ms; });
    const Tempo& t = *std::prev(it == tempos_.begin() ? std::next(it) : it);
    ticks = t.tick + (ms - t.ms) * 1000 * ticksPerQuarter_ / t.usPerQuarter;
  }
  return static_cast<int>(std::clamp<int64_t>(std::llround(ticks), 0, lastTick_));
}

bool IsMidiFileName(const std::string& path) {
  const std::string ext = UpperExtension(path);
  return ext == ".MID" || ext == ".MIDI";
}

MidiFileMediaPlayer::MidiFileMediaPlayer(BuiltInSynth::Options synth) : options_(std::move(synth)) {}

MidiFileMediaPlayer::~MidiFileMediaPlayer() = default;

void MidiFileMediaPlayer::RequireOpen() const {
  if (!synth_) throw MediaError("the media player is not open");
}

void MidiFileMediaPlayer::Open() {
  Close();
  std::string bytes;
  if (!ReadWholeFile(fileName_, bytes)) throw MediaError("cannot read the file");
  SmfTimeline timeline;
  if (!timeline.Parse(bytes)) throw MediaError("not a MIDI file");
  std::string why;
  auto synth = BuiltInSynth::Create(options_, &why);
  if (!synth) throw MediaError(why);
  bytes_ = std::move(bytes);
  timeline_ = timeline;
  synth_ = std::move(synth);
  synth_->HoldFile(true);
  StartAt(0);
}

void MidiFileMediaPlayer::StartAt(int tick) {
  if (!synth_->PlayFile(bytes_, tick)) {
    Close();
    throw MediaError("the file player refused the file");
  }
}

void MidiFileMediaPlayer::Close() {
  playing_ = false;
  synth_.reset();
  bytes_.clear();
}

void MidiFileMediaPlayer::Play() {
  RequireOpen();
  // Played to its end: from the start again.
  if (Ended()) StartAt(0);
  playing_ = true;
  synth_->HoldFile(false);
}

void MidiFileMediaPlayer::Stop() { Pause(); }

void MidiFileMediaPlayer::Pause() {
  RequireOpen();
  playing_ = false;
  synth_->HoldFile(true);
}

void MidiFileMediaPlayer::Previous() { SetPosition(StartPosition()); }

int MidiFileMediaPlayer::Tracks() {
  RequireOpen();
  return 1;
}

int64_t MidiFileMediaPlayer::TrackLength(int track) {
  RequireOpen();
  if (track != 1) throw MediaError("no such track");
  const int64_t ms = timeline_.LengthMs();
  return format_ == MediaTimeFormat::Milliseconds ? ms
                                                   : PackTmsf(0, static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60),
                                                              static_cast<int>(ms % 1000 * kFramesPerSecond / 1000));
}

bool MidiFileMediaPlayer::Ended() const {
  // The file player itself goes on until the last notes have died away; as
  // media the file ends with its last event.
  return synth_->FileDone() || synth_->FileTick() >= timeline_.LastTick();
}

int64_t MidiFileMediaPlayer::PositionMs() const {
  if (Ended()) return timeline_.LengthMs();
  return timeline_.TickToMs(std::max(synth_->FileTick(), 0));
}

int64_t MidiFileMediaPlayer::Position() {
  RequireOpen();
  const int64_t ms = PositionMs();
  return format_ == MediaTimeFormat::Milliseconds ? ms
                                                  : PackTmsf(1, static_cast<int>(ms / 60000), static_cast<int>(ms / 1000 % 60),
                                                             static_cast<int>(ms % 1000 * kFramesPerSecond / 1000));
}

void MidiFileMediaPlayer::SetPosition(int64_t position) {
  RequireOpen();
  int64_t ms = position;
  if (format_ == MediaTimeFormat::Tmsf)
    ms = (int64_t{TmsfMinutes(position)} * 60 + TmsfSeconds(position)) * 1000 +
         int64_t{TmsfFrames(position)} * 1000 / kFramesPerSecond;
  StartAt(timeline_.MsToTick(std::max<int64_t>(ms, 0)));
}

int64_t MidiFileMediaPlayer::StartPosition() {
  RequireOpen();
  return format_ == MediaTimeFormat::Milliseconds ? 0 : PackTmsf(1, 0, 0);
}

void MidiFileMediaPlayer::Render(int16_t* interleaved, int frames) {
  if (synth_) {
    synth_->Render(interleaved, frames);
  } else {
    std::fill(interleaved, interleaved + 2 * std::max(frames, 0), int16_t{0});
  }
}

void MidiFileMediaPlayer::Poll() {
  if (!synth_ || !playing_ || !Ended()) return;
  playing_ = false;
  synth_->HoldFile(true);
  Notify(MediaNotifyValue::Successful);
}

}  // namespace poronka
