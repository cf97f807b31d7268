#include "interchange/mfi_export.h"

#include <algorithm>
#include <ctime>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka {

namespace {

constexpr size_t kMaxTitleBytes = 255;
constexpr int kMaxDelta = 255;

void Byte(std::string& out, int b) { out.push_back(static_cast<char>(b & 0xFF)); }
void Put16(std::string& out, int v) {
  Byte(out, v >> 8);
  Byte(out, v);
}
void Put32At(std::string& out, size_t at, uint32_t v) {
  out[at] = static_cast<char>(v >> 24);
  out[at + 1] = static_cast<char>(v >> 16);
  out[at + 2] = static_cast<char>(v >> 8);
  out[at + 3] = static_cast<char>(v);
}
void Block(std::string& out, const char* tag, const std::string& data) {
  out += tag;
  Put16(out, static_cast<int>(data.size()));
  out += data;
}

// Writes one track's events, keeping the last event row and the pending row.
class TrackWriter {
 public:
  TrackWriter(const Score& s, std::string& out, bool v2, int firstSlot, int T, bool& adjusted)
      : s_(s), out_(out), v2_(v2), first_(firstSlot), T_(T), adjusted_(adjusted) {}

  const RowSlots* Row(int32_t r) const {
    return r >= 1 && r < static_cast<int32_t>(s_.RowNotes.size()) ? &s_.RowNotes[r] : nullptr;
  }
  bool RowHasNotes(int32_t r) const {
    const RowSlots* row = Row(r);
    return row && (*row)[0] != 0;
  }
  bool TrackHasNotes(int32_t r) const {
    const RowSlots* row = Row(r);
    return row && (*row)[first_] != 0;
  }

  // The notes of row r in this track, the first with `delta`, the others 0.
  void Notes(int32_t r, int delta, int gate) {
    const RowSlots* row = Row(r);
    if (!row) return;
    for (int slot = first_; slot < first_ + 4; ++slot) {
      if (slot == kUnusedSlot) continue;
      int32_t column = (*row)[slot];
      if (column == 0) break;
      Note(slot - first_, column, delta, gate);
      delta = 0;
    }
  }

  void Filler(int delta) {
    Byte(out_, delta);
    if (v2_) {
      out_.append("\xFF\xDE\x00", 3);
    } else {
      out_.append("\x10\x00", 2);
    }
  }

  // The filler rule: keeps the next delta within one byte.
  void FillerRule(int32_t r) {
    if (static_cast<int64_t>(r - R) * T_ > kMaxDelta) {
      Filler(static_cast<int>((r - R - 1) * static_cast<int64_t>(T_)));
      R = r - 1;
    }
  }

  int Distance(int32_t from, int32_t to) const {
    return static_cast<int>(std::min<int64_t>(static_cast<int64_t>(to - from) * T_, 1 << 24));
  }

  int32_t R = 1;

 private:
  void Note(int voice, int32_t column, int delta, int gate) {
    int key = column >= 1 && column < static_cast<int32_t>(s_.ColumnPitch.size())
                  ? s_.ColumnPitch[column]
                  : 0;
    int n = key - 45;
    Byte(out_, delta);
    if (!v2_) {
      int limited = std::clamp(n, 0, 62);
      if (limited != n) adjusted_ = true;
      Byte(out_, voice * 64 + limited);
      Byte(out_, gate);
      return;
    }
    int octave = 0xC8;
    if (n < 0) {
      if (n < -12) {
        n = -12;
        adjusted_ = true;
      }
      n += 12;
      octave = 0xCB;
    } else if (n > 62) {
      if (n > 74) {
        n = 74;
        adjusted_ = true;
      }
      n -= 12;
      octave = 0xC9;
    }
    Byte(out_, voice * 64 + n);
    Byte(out_, gate);
    Byte(out_, octave);
  }

  const Score& s_;
  std::string& out_;
  bool v2_;
  int first_;
  int T_;
  bool& adjusted_;
};

}  // namespace

std::string TodayYyyymmdd() {
  std::time_t now = std::time(nullptr);
  std::tm tm{};
  localtime_r(&now, &tm);
  char buf[16];
  std::strftime(buf, sizeof buf, "%Y%m%d", &tm);
  return buf;
}

MfiFile BuildMfi(const Score& s, const SoundSettings& settings, const std::string& date) {
  MfiFile f;
  f.version2 = s.MaxSlot >= 4;
  const bool v2 = f.version2;
  const int tracks = v2 ? std::min(4, (std::min(s.MaxSlot, 15) + 4) / 4) : 1;
  const int T = s.NoteValue > 0 ? 192 / s.NoteValue : 0;
  int tempo = 255;
  if (s.NoteValue > 0 && s.HalfPeriod > 0)
    tempo = std::clamp(120000 / s.NoteValue / s.HalfPeriod, 20, 255);
  const int d = std::max(0, settings.StopDelayRows);
  const int G = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(d) * T * 9 / 10, 255));
  const int32_t rows = std::min<int32_t>(s.RowCount, static_cast<int32_t>(s.RowNotes.size()) - 1);

  std::string title = Utf8ToCp932(s.Title);
  if (title.size() > kMaxTitleBytes) title.resize(kMaxTitleBytes);
  const int L = static_cast<int>(title.size());
  const int H = L + (v2 ? 64 : 56);

  std::string dateDigits = date.empty() ? TodayYyyymmdd() : date;
  dateDigits.resize(8, '0');

  std::string& out = f.bytes;
  out += "melo";
  out.append(4, '\0');
  Put16(out, H);
  Byte(out, 1);
  Byte(out, 1);
  Byte(out, tracks);
  Block(out, "sorc", std::string(1, '\x01'));
  Block(out, "titl", title);
  Block(out, "prot", "PORON-V3.3");
  if (v2) Block(out, "note", std::string("\x00\x01", 2));
  Block(out, "date", dateDigits);
  Block(out, "vers", v2 ? "0200" : "0100");

  const int program = settings.Program;
  for (int k = 0; k < tracks; ++k) {
    out += "trac";
    const size_t lengthAt = out.size();
    out.append(4, '\0');
    const size_t start = out.size();
    if (k == 0) {
      out.append("\x00\xFF\xD0\x00", 4);
      out.append("\x00\xFF\xC3", 3);
      Byte(out, tempo);
    }
    for (int i = 0; i < 4; ++i) {
      out.append("\x00\xFF\xE1", 3);
      Byte(out, i * 64 + 2 + program / 64);
      out.append("\x00\xFF\xE0", 3);
      Byte(out, i * 64 + program % 64);
      out.append("\x00\xFF\xE2", 3);
      Byte(out, i * 64 + 58);
    }

    TrackWriter w(s, out, v2, 4 * k, T, f.rangeAdjusted);
    int closingGate = 0;
    if (d >= 1) {
      for (int32_t r = 1; r <= rows; ++r) {
        w.FillerRule(r);
        if (w.TrackHasNotes(r)) {
          w.Notes(r, w.Distance(w.R, r), G);
          w.R = r;
        }
      }
      closingGate = G;
    } else {
      int32_t P = 0;
      int pendingDelta = 0;
      for (int32_t r = 1; r <= rows; ++r) {
        if (!w.RowHasNotes(r)) {
          if (static_cast<int64_t>(r - w.R) * T > kMaxDelta) {
            if (P > 0) w.Notes(P, pendingDelta, 255);
            P = 0;
            w.Filler(w.Distance(w.R, r - 1));
            w.R = r - 1;
          }
          continue;
        }
        if (P > 0) {
          w.Notes(P, pendingDelta, std::min(255, w.Distance(P, r) * 9 / 10));
          P = 0;
        }
        w.FillerRule(r);
        if (w.TrackHasNotes(r)) {
          pendingDelta = w.Distance(w.R, r);
          w.R = r;
          P = r;
        }
      }
      if (P > 0) {
        int gate = std::min(255, w.Distance(P, rows) * 9 / 10);
        if (gate == 0) gate = T;
        w.Notes(P, pendingDelta, gate);
        closingGate = gate;
      }
    }

    int E = w.Distance(w.R, rows);
    if (E < closingGate) E = closingGate + 10;
    while (E > kMaxDelta) {
      w.Filler(kMaxDelta);
      E -= kMaxDelta;
    }
    if (v2 && k == 0) {
      Byte(out, E);
      out.append("\xFF\xD0\x01", 3);
      out.append("\x00\xFF\xDF\x00", 4);
    } else {
      Byte(out, E);
      out.append("\xFF\xDF\x00", 3);
    }
    Put32At(out, lengthAt, static_cast<uint32_t>(out.size() - start));
  }
  Put32At(out, 4, static_cast<uint32_t>(out.size() - 8));
  return f;
}

bool SaveMfi(const Score& s, const SoundSettings& settings, Messages& messages,
             const std::string& date) {
  MfiFile f;
  bool ok = false;
  try {
    f = BuildMfi(s, settings, date);
    ok = WriteFileAtomically(s.FileName, f.bytes);
  } catch (...) {
    ok = false;
  }
  if (!ok) {
    messages.ShowError(kMfiSaveError);
    return false;
  }
  std::string text = f.version2 ? kMfiVer2Saved : kMfiVer1Saved;
  if (f.rangeAdjusted) text += kMfiRangeAdjusted;
  messages.ShowInformation(text);
  return true;
}

}  // namespace poronka
