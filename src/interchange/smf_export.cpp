#include "interchange/smf_export.h"

#include <algorithm>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka {

namespace {

constexpr int kDivision = 480;
constexpr int kVelocity = 100;
constexpr uint32_t kMaxVarLen = 0x0FFFFFFF;
constexpr uint32_t kMaxTempo = 0xFFFFFF;

void Put32(std::string& out, size_t at, uint32_t v) {
  out[at] = static_cast<char>(v >> 24);
  out[at + 1] = static_cast<char>(v >> 16);
  out[at + 2] = static_cast<char>(v >> 8);
  out[at + 3] = static_cast<char>(v);
}

void Byte(std::string& out, int b) { out.push_back(static_cast<char>(b & 0xFF)); }

void TextEvent(std::string& out, int type, const std::string& bytes) {
  Byte(out, 0x00);
  Byte(out, 0xFF);
  Byte(out, type);
  AppendVarLen(out, static_cast<uint32_t>(std::min<size_t>(bytes.size(), kMaxVarLen)));
  out.append(bytes, 0, std::min<size_t>(bytes.size(), kMaxVarLen));
}

// MIDI channel (0-based) of a note slot: (slot - 1) div 5, truncated.
int ChannelOfSlot(int slot) { return (slot - 1) / 5; }

class NoteWriter {
 public:
  NoteWriter(std::string& out, const Score& s) : out_(out), s_(s) {}

  // Writes the row's notes at time t with the given velocity.
  void Row(int32_t row, int64_t t, int velocity) {
    if (row < 1 || row >= static_cast<int32_t>(s_.RowNotes.size())) return;
    const RowSlots& slots = s_.RowNotes[row];
    ForEachNote(slots, [&](int slot, int32_t column) {
      int64_t d = t - last_;
      if (d > 0) {
        last_ = t;
      } else {
        d = 0;
      }
      AppendVarLen(out_, static_cast<uint32_t>(std::min<int64_t>(d, kMaxVarLen)));
      Byte(out_, 0x90 + ChannelOfSlot(slot));
      Byte(out_, KeyOf(column));
      Byte(out_, velocity);
    });
  }

 private:
  int KeyOf(int32_t column) const {
    if (column < 1 || column >= static_cast<int32_t>(s_.ColumnPitch.size())) return 0;
    return std::clamp(s_.ColumnPitch[column], 0, 127);
  }
  std::string& out_;
  const Score& s_;
  int64_t last_ = 0;
};

bool RowHasNotes(const Score& s, int32_t r) {
  return r >= 1 && r < static_cast<int32_t>(s.RowNotes.size()) && s.RowNotes[r][0] != 0;
}

}  // namespace

void AppendVarLen(std::string& out, uint32_t value) {
  value = std::min(value, kMaxVarLen);
  char buf[4];
  int n = 0;
  buf[n++] = static_cast<char>(value & 0x7F);
  while ((value >>= 7) != 0) buf[n++] = static_cast<char>((value & 0x7F) | 0x80);
  while (n > 0) out.push_back(buf[--n]);
}

TimeSignature ReduceTimeSignature(int rowsPerBar, int noteValue) {
  int s = rowsPerBar, v = noteValue;
  auto going = [&] { return s > 3 && v > 2 && (s > 4 || v > 4); };
  while (going()) {
    bool divided = false;
    bool stop = false;
    for (int d : {2, 3, 5, 7}) {
      if (s % d == 0 && v % d == 0) {
        s /= d;
        v /= d;
        divided = true;
      }
      if (!going()) {
        stop = true;
        break;
      }
    }
    if (stop || !divided) break;
  }
  int power = v <= 1 ? 0 : v <= 3 ? 1 : v <= 6 ? 2 : v <= 12 ? 3 : v <= 24 ? 4 : v <= 48 ? 5 : 6;
  return {s, power};
}

uint32_t MicrosecondsPerQuarter(int32_t halfPeriod, int32_t noteValue) {
  // The milliseconds fit in 64 bits; their microseconds may not.
  const int64_t ms = static_cast<int64_t>(halfPeriod) * noteValue / 2;
  if (ms > kMaxTempo / 1000) return kMaxTempo;
  return static_cast<uint32_t>(std::max<int64_t>(ms * 1000, 0));
}

std::string BuildSmf(const Score& s, const SoundSettings& settings) {
  std::string out;
  out.reserve(128 + static_cast<size_t>(std::max(0, s.RowCount)) * 16);
  out += "MThd";
  out.append("\x00\x00\x00\x06\x00\x00\x00\x01\x01\xE0", 10);
  out += "MTrk";
  out.append(4, '\0');
  const size_t trackStart = out.size();

  // Title: the first line as track name, the rest (from the LF on) as text.
  size_t cr = s.Title.find('\r');
  std::string first = s.Title.substr(0, cr);
  if (!first.empty()) TextEvent(out, 0x03, Utf8ToCp932(first));
  if (cr != std::string::npos && cr + 1 < s.Title.size())
    TextEvent(out, 0x01, Utf8ToCp932(s.Title.substr(cr + 1)));

  uint32_t tempo = MicrosecondsPerQuarter(s.HalfPeriod, s.NoteValue);
  out.append("\x00\xFF\x51\x03", 4);
  Byte(out, tempo >> 16);
  Byte(out, tempo >> 8);
  Byte(out, tempo);

  TimeSignature ts = ReduceTimeSignature(s.RowsPerBar, s.NoteValue);
  out.append("\x00\xFF\x58\x04", 4);
  Byte(out, ts.numerator);
  Byte(out, ts.denominatorPower);
  Byte(out, 0x18);
  Byte(out, 0x08);

  int bank = BankNumberOf(settings.Program, settings.BankIndex);
  for (int n = 0; n < 3; ++n) {
    const int cc = 0xB0 + n;
    const int pairs[][2] = {{0x00, bank}, {0x20, 0}};
    for (const auto& p : pairs) {
      Byte(out, 0);
      Byte(out, cc);
      Byte(out, p[0]);
      Byte(out, p[1]);
    }
    Byte(out, 0);
    Byte(out, 0xC0 + n);
    Byte(out, settings.Program & 0x7F);
    const int controls[][2] = {{0x01, settings.Modulation},
                               {0x0A, settings.Pan},
                               {0x5B, settings.Reverb},
                               {0x5D, settings.Chorus}};
    for (const auto& c : controls) {
      Byte(out, 0);
      Byte(out, cc);
      Byte(out, c[0]);
      Byte(out, std::clamp(c[1], 0, 127));
    }
  }

  // Notes.
  const int64_t T = s.NoteValue > 0 ? 1920 / s.NoteValue : 0;
  const int64_t pre = s.PreRows;
  const int d = std::max(0, settings.StopDelayRows);
  const int32_t rows = std::min<int32_t>(s.RowCount, static_cast<int32_t>(s.RowNotes.size()) - 1);
  NoteWriter notes(out, s);
  int32_t struck = 0;  // last row struck, 0 for none
  for (int32_t r = 1; r <= rows; ++r) {
    const bool has = RowHasNotes(s, r);
    if (d == 0) {
      if (has && struck > 0)
        notes.Row(struck, pre * T + ((9LL * r + struck - 10) * T) / 10, 0);
    } else if (r > d) {
      notes.Row(r - d, (pre + r - 2) * T + ((10LL - d) * T) / 10, 0);
    }
    notes.Row(r, (pre + r - 1) * T, kVelocity);
    if (has) struck = r;
  }
  if (d == 0) {
    if (struck > 0) notes.Row(struck, pre * T + ((struck - 1 + 9LL * rows) * T) / 10, 0);
  } else {
    for (int32_t k = std::max<int32_t>(1, rows - d + 1); k <= rows; ++k)
      notes.Row(k, (pre + k + d - 2) * T + ((10LL - d) * T) / 10, 0);
  }
  out.append("\x00\xFF\x2F\x00", 4);

  Put32(out, trackStart - 4, static_cast<uint32_t>(out.size() - trackStart));
  return out;
}

bool SaveSmf(const Score& s, const SoundSettings& settings, Messages& messages) {
  bool ok = false;
  try {
    ok = WriteFileAtomically(s.FileName, BuildSmf(s, settings));
  } catch (...) {
    ok = false;
  }
  if (!ok) messages.ShowError(kSmfSaveError);
  return ok;
}

}  // namespace poronka
