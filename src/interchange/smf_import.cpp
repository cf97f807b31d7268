#include "interchange/smf_import.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka {

const char* const kSmfNotStandardMessage = "このファイルは標準ＭＩＤＩファイルではありません";
const char* const kSmfUnsupportedMessage = "このファイルの形式には対応しておりません";
const char* const kSmfIoErrorMessage = "入出力エラーが起こりました。";
const char* const kSmfNoNotesMessage = "このファイルには演奏データがありません";
const char* const kSmfBuildErrorMessage = "データ処理中にエラーが起こりました。";
const char* const kSmfRowLimitMessage = "行数が１０万以上あったため以降のデータを無視しました。";

std::string SmfShiftMessage(int shift) {
  return "使用範囲を超える高音があり、音程を－" + std::to_string(shift) + "移動しました。";
}

std::string SmfOutOfRangeMessage(int shift) {
  return "使用範囲を超える高音があり、音程を－" + std::to_string(shift) +
         "移動\nしましたが、範囲内に入らない音がありました。";
}

void SmfImportHooks::PrepareSongFull(Score& s, Messages& msgs) {
  PrepareSongCore(s, kDefaultTimerMinPeriod, msgs);
}

void PrepareSongCore(Score& s, int timerMinPeriod, Messages& msgs) {
  s.MaxSlot = std::max(0, ComputeMaxSlot(s));
  FinishPreparationCore(s, timerMinPeriod, msgs);
}

namespace {

constexpr int kHighestKey = 119;      // ten octaves: octave digits 0..9
constexpr int kMaxTextBytes = 4096;
constexpr int kLoadingMax = 120;

// Moves the loading window's bar forward to a target, never back.
class Progress {
 public:
  explicit Progress(LoadProgress* w) : w_(w) {}
  bool active() const { return w_ != nullptr; }
  void MoveTo(double exact) {
    if (!w_) return;
    int target = static_cast<int>(std::nearbyint(exact));
    if (target <= shown_) return;
    target = std::min(target, kLoadingMax);
    while (w_->Position() < target) {
      int before = w_->Position();
      w_->StepIt();
      if (w_->Position() <= before) break;
    }
    shown_ = std::max(shown_, w_->Position());
  }

 private:
  LoadProgress* w_;
  int shown_ = -1;
};

// Everything the reading of the file keeps.
struct ReadData {
  std::vector<int64_t> starts;  // in 64th notes, file order
  std::vector<uint8_t> keys;    // key of each start
  std::array<bool, 128> keyUsed{};
  int64_t songEndTick = 0;
  int64_t tempo = 0;  // ms per quarter
  int64_t numerator = 0;
  int64_t denominator = 0;
  std::string titleBytes;
  std::string noticeBytes;
};

enum class ReadOutcome { Ok, IoError };

// A tick as a count of 64th notes, rounded to the nearest (halves up); exact
// for any division (ticks per quarter note).
int64_t SixtyFourths(int64_t tick, int64_t division) { return (division / 2 + tick * 16) / division; }

// Reads the chunks that follow the header, event by event. Every read is
// checked against the end of the buffer; running out of bytes is an I/O
// error.
class EventReader {
 public:
  EventReader(std::string_view bytes, size_t start, int64_t division, const SoundSettings& settings,
              SmfImportHooks& hooks, Progress& progress, ReadData& out)
      : p_(reinterpret_cast<const uint8_t*>(bytes.data())),
        size_(bytes.size()),
        pos_(start),
        division_(division),
        hooks_(hooks),
        progress_(progress),
        out_(out) {
    for (int c = 0; c < 16; ++c) channelTaken_[c] = settings.ChannelEnabled[c];
  }

  ReadOutcome Run() {
    uint8_t runningStatus = 0;
    const double perStep = static_cast<double>(size_) / 100.0;
    while (pos_ < size_) {
      // Chunk header: the type is not examined, every chunk is a track.
      if (size_ - pos_ < 8) return ReadOutcome::IoError;
      uint64_t length = Be32(pos_ + 4);
      pos_ += 8;
      const uint64_t end = pos_ + length;
      int64_t tick = 0;
      while (pos_ < end) {
        uint32_t delta;
        if (!Vlq(delta)) return ReadOutcome::IoError;
        tick += delta;
        uint8_t b;
        if (!Byte(b)) return ReadOutcome::IoError;
        if (b >= 0x80 && b <= 0xEF) {
          runningStatus = b;
          if (b >= 0xC0 && b <= 0xDF) {
            if (!Skip(1)) return ReadOutcome::IoError;
          } else {
            uint8_t d1, d2;
            if (!Byte(d1) || !Byte(d2)) return ReadOutcome::IoError;
            if (!MaybeNote(b, d1, d2, tick)) return ReadOutcome::IoError;
          }
        } else if (b < 0x80) {
          if (!(runningStatus >= 0xC0 && runningStatus <= 0xDF)) {
            uint8_t d2;
            if (!Byte(d2)) return ReadOutcome::IoError;
            if (!MaybeNote(runningStatus, b, d2, tick)) return ReadOutcome::IoError;
          }
        } else if (b == 0xF0 || b == 0xF7) {
          uint32_t len;
          if (!Vlq(len) || !Skip(len)) return ReadOutcome::IoError;
        } else if (b == 0xFF) {
          if (!Meta(tick)) return ReadOutcome::IoError;
        }
        // 0xF1..0xFE other than 0xF7: a one-byte event.
        if (progress_.active()) progress_.MoveTo(static_cast<double>(pos_) / perStep);
        hooks_.ProcessEvents();
      }
    }
    return ReadOutcome::Ok;
  }

 private:
  uint32_t Be32(size_t at) const {
    return (uint32_t{p_[at]} << 24) | (uint32_t{p_[at + 1]} << 16) | (uint32_t{p_[at + 2]} << 8) |
           uint32_t{p_[at + 3]};
  }
  bool Byte(uint8_t& b) {
    if (pos_ >= size_) return false;
    b = p_[pos_++];
    return true;
  }
  bool Skip(uint64_t n) {
    if (n > size_ - pos_) return false;
    pos_ += n;
    return true;
  }
  // Up to four bytes of 7 bits each; the fourth byte ends it whatever its top bit.
  bool Vlq(uint32_t& v) {
    v = 0;
    for (int i = 0; i < 4; ++i) {
      uint8_t b;
      if (!Byte(b)) return false;
      v = (v << 7) | (b & 0x7F);
      if (!(b & 0x80)) break;
    }
    return true;
  }

  // A note-on of a taken channel with velocity above 0 and key below 128
  // joins the note list. False only for a division below 16.
  bool MaybeNote(uint8_t status, uint8_t key, uint8_t velocity, int64_t tick) {
    if ((status & 0xF0) != 0x90 || !channelTaken_[status & 0x0F]) return true;
    if (velocity == 0 || key >= 128) return true;
    if (division_ < 16) return false;
    out_.starts.push_back(SixtyFourths(tick, division_));
    out_.keys.push_back(key);
    out_.keyUsed[key] = true;
    return true;
  }

  bool Meta(int64_t tick) {
    uint8_t type;
    uint32_t length;
    if (!Byte(type) || !Vlq(length)) return false;
    const size_t dataStart = pos_;
    auto text = [&](std::string& into) {
      if (!into.empty() || length == 0) return true;
      size_t n = std::min<size_t>(length, kMaxTextBytes);
      if (n > size_ - dataStart) return false;
      into.assign(reinterpret_cast<const char*>(p_ + dataStart), n);
      return true;
    };
    switch (type) {
      case 0x01:
      case 0x03:
        if (!text(out_.titleBytes)) return false;
        break;
      case 0x02:
        if (!text(out_.noticeBytes)) return false;
        break;
      case 0x2F:
        if (tick > out_.songEndTick) out_.songEndTick = tick;
        break;
      case 0x51:
        if (out_.tempo == 0) {
          if (size_ - dataStart < 3) return false;
          uint32_t us = (uint32_t{p_[dataStart]} << 16) | (uint32_t{p_[dataStart + 1]} << 8) |
                        uint32_t{p_[dataStart + 2]};
          out_.tempo = us / 1000;
        }
        break;
      case 0x58:
        if (out_.numerator == 0) {
          if (size_ - dataStart < 2) return false;
          out_.numerator = p_[dataStart];
          // 2 to the power of the byte; beyond 2^62 it makes no difference.
          out_.denominator = int64_t{1} << std::min<int>(p_[dataStart + 1], 62);
        }
        break;
      default:
        break;
    }
    return Skip(length);
  }

  const uint8_t* p_;
  size_t size_;
  size_t pos_;
  int64_t division_;  // ticks per quarter note
  SmfImportHooks& hooks_;
  Progress& progress_;
  ReadData& out_;
  std::array<bool, 16> channelTaken_{};
};

// The rows, columns and header values made from the notes.
struct Built {
  int shift = 0;
  bool outOfRange = false;
  std::u16string octaveLine, letterLine;
  std::vector<int32_t> columnPitch{0};
  int32_t columnCount = 0;
  int64_t unit = 1;  // 64ths per row
  int32_t rowCount = 0;
  std::vector<RowSlots> rowNotes;
};

// Puts column c into a row by the slot rules: ascending, slot 9 skipped, the
// same column once; a full row loses what slot 15 held, or c itself when it
// is larger than all 15.
void InsertColumn(RowSlots& row, int32_t c) {
  for (int k = 0; k < kSlotsPerRow; k = NextSlot(k)) {
    if (row[k] == c) return;
    if (row[k] == 0) {
      row[k] = c;
      return;
    }
    if (row[k] > c) {
      int32_t carry = c;
      for (int j = k; j < kSlotsPerRow && carry != 0; j = NextSlot(j)) std::swap(carry, row[j]);
      return;
    }
  }
}

// Finds the row unit: the largest U (at most cap) such that every start lies
// on a grid of U 64ths after a common offset; divides the starts by it.
int64_t SearchGrid(std::vector<int64_t>& starts, int64_t cap, SmfImportHooks& hooks,
                   Progress& progress) {
  // Bit 0: E (all even); 1: O (all odd); 2..4: divisor 3 offsets 0..2;
  // 5..9: divisor 5 offsets 0..4; 10..16: divisor 7 offsets 0..6.
  constexpr uint32_t kAll = (1u << 17) - 1;
  constexpr int kBase3 = 2, kBase5 = 5, kBase7 = 10;
  uint32_t flags = kAll;
  int64_t unit = 1;
  const size_t n = starts.size();
  const double perStep = static_cast<double>(n) / 10.0;
  bool firstPass = true;
  for (;;) {
    for (size_t i = 0; i < n && flags != 0; ++i) {
      const int64_t s = starts[i];
      uint32_t allowed = (s & 1) ? 2u : 1u;
      allowed |= 1u << (kBase3 + (3 - s % 3) % 3);
      allowed |= 1u << (kBase5 + (5 - s % 5) % 5);
      allowed |= 1u << (kBase7 + (7 - s % 7) % 7);
      flags &= allowed;
      if (firstPass && progress.active()) progress.MoveTo(100.0 + static_cast<double>(i + 1) / perStep);
      hooks.ProcessEvents();
    }
    firstPass = false;
    if (flags == 0) break;
    bool applied = false;
    if ((flags & 1u) && unit * 2 <= cap) {
      for (auto& s : starts) s /= 2;
      unit *= 2;
      applied = true;
    }
    if ((flags & 2u) && unit * 2 <= cap) {
      for (auto& s : starts) s = (s + 1) / 2;
      unit *= 2;
      applied = true;
    }
    const struct { int d, base; } divisors[] = {{3, kBase3}, {5, kBase5}, {7, kBase7}};
    for (const auto& dv : divisors) {
      for (int v = 0; v < dv.d; ++v) {
        if ((flags & (1u << (dv.base + v))) && unit * dv.d <= cap) {
          for (auto& s : starts) s = (s + v) / dv.d;
          unit *= dv.d;
          applied = true;
        }
      }
    }
    if (!applied) break;
  }
  progress.MoveTo(110.0);
  return unit;
}

void Build(ReadData& data, int64_t division, int64_t cap, SmfImportHooks& hooks, Progress& progress,
           Built& b) {
  // Transposition and columns.
  int lo = 0, hi = 127;
  while (!data.keyUsed[lo]) ++lo;
  while (!data.keyUsed[hi]) --hi;
  if (hi <= kHighestKey) b.shift = 0;
  else if (lo < hi - kHighestKey) b.shift = lo;
  else b.shift = hi - kHighestKey;
  std::array<int32_t, 128> columnOf{};
  for (int k = lo; k <= hi; ++k) {
    if (!data.keyUsed[k]) continue;
    int pitch = k - b.shift;
    if (pitch > kHighestKey) {
      b.outOfRange = true;
      break;
    }
    columnOf[k] = ++b.columnCount;
    b.columnPitch.push_back(pitch);
    b.octaveLine.push_back(static_cast<char16_t>(u'0' + pitch / 12));
    b.letterLine.push_back(static_cast<char16_t>(kSharpLetters[pitch % 12]));
  }

  b.unit = SearchGrid(data.starts, cap, hooks, progress);

  // Rows: the song's end on the grid, plus four empty rows.
  const int64_t rows = SixtyFourths(data.songEndTick, division) / b.unit;
  b.rowCount = rows > kMaxRows ? kMaxImportRows : static_cast<int32_t>(rows + 4);
  b.rowNotes.assign(static_cast<size_t>(b.rowCount) + 1, RowSlots{});

  const size_t n = data.starts.size();
  const double perStep = static_cast<double>(n) / 10.0;
  for (size_t i = 0; i < n; ++i) {
    const int key = data.keys[i];
    const int32_t c = columnOf[key];
    const int64_t row = data.starts[i] + 1;
    if (c != 0 && row <= b.rowCount) InsertColumn(b.rowNotes[static_cast<size_t>(row)], c);
    if (progress.active()) progress.MoveTo(110.0 + static_cast<double>(i + 1) / perStep);
    hooks.ProcessEvents();
  }
}

SmfImportResult Finish(SmfImportStatus status, const char* message, Messages& msgs,
                       SmfImportHooks& hooks, LoadProgress* loading) {
  if (loading) loading->Close();
  hooks.EndWaitCursor();
  if (message) msgs.ShowError(message);
  return {status, 0};
}

SmfImportResult ImportSmfInMemory(Score& s, std::string_view bytes, const SoundSettings& settings,
                                  Messages& msgs, SmfImportHooks& hooks, const std::string& positionText) {
  if (settings.NoMidConversion) {
    hooks.PlayAsMedia(s.FileName, positionText);
    return {SmfImportStatus::HandedToMedia, 0};
  }
  const auto* p = reinterpret_cast<const uint8_t*>(bytes.data());
  const size_t size = bytes.size();

  // Header: "MThd", format 0 or 1, a metrical division.
  if (size < 4) return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, nullptr);
  if (bytes.substr(0, 4) != "MThd")
    return Finish(SmfImportStatus::NotStandard, kSmfNotStandardMessage, msgs, hooks, nullptr);
  if (size < 10) return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, nullptr);
  if (p[9] > 1)
    return Finish(SmfImportStatus::NotStandard, kSmfNotStandardMessage, msgs, hooks, nullptr);

  LoadProgress* loading = hooks.Loading();
  if (loading) loading->Open(BaseName(s.FileName));
  if (size < 14) return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, loading);
  const uint32_t division = (uint32_t{p[12]} << 8) | p[13];
  if (division & 0x8000)
    return Finish(SmfImportStatus::Unsupported, kSmfUnsupportedMessage, msgs, hooks, loading);
  hooks.BeginLoad();
  const uint64_t headerLength =
      (uint64_t{p[4]} << 24) | (uint64_t{p[5]} << 16) | (uint64_t{p[6]} << 8) | p[7];
  if (headerLength > size - 8)
    return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, loading);

  Progress progress(loading);
  ReadData data;
  try {
    // A taken note-on needs at least three bytes (delta, key, velocity).
    data.starts.reserve(size / 3 + 1);
    data.keys.reserve(size / 3 + 1);
    EventReader reader(bytes, static_cast<size_t>(8 + headerLength), division, settings, hooks, progress,
                       data);
    if (reader.Run() != ReadOutcome::Ok)
      return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, loading);
  } catch (...) {
    return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, loading);
  }
  if (data.starts.empty())
    return Finish(SmfImportStatus::NoNotes, kSmfNoNotesMessage, msgs, hooks, loading);

  // Header values with their defaults; the grid never gets coarser than a
  // bar or a whole note, so NoteValue and RowsPerBar stay at least 1.
  const int64_t tempo = data.tempo > 0 ? data.tempo : 500;
  const int64_t numerator = data.numerator > 0 ? data.numerator : 4;
  const int64_t denominator = data.denominator > 0 ? data.denominator : 4;
  const int64_t cap = std::max<int64_t>(1, std::min<int64_t>(64, (64 * numerator) / denominator));

  Built b;
  try {
    Build(data, division, cap, hooks, progress, b);
  } catch (...) {
    if (loading) loading->Close();
    hooks.EndWaitCursor();
    hooks.CloseMedia();
    hooks.ShowDataError();
    msgs.ShowError(kSmfBuildErrorMessage);
    return {SmfImportStatus::BuildError, 0};
  }

  if (b.outOfRange || b.shift > 0) {
    hooks.EndWaitCursor();
    msgs.ShowInformation(b.outOfRange ? SmfOutOfRangeMessage(b.shift) : SmfShiftMessage(b.shift));
    hooks.BeginLoad();
  }

  // The Score takes the new song.
  s.ColumnCount = b.columnCount;
  s.ColumnPitch = std::move(b.columnPitch);
  s.OctaveLine = std::move(b.octaveLine);
  s.LetterLine = std::move(b.letterLine);
  s.RowCount = b.rowCount;
  s.RowNotes = std::move(b.rowNotes);
  s.MaxSlot = std::max(0, ComputeMaxSlot(s));
  s.HalfPeriod = static_cast<int32_t>(((tempo * b.unit) / 16) / 2);
  s.NoteValue = static_cast<int32_t>(64 / b.unit);
  s.RowsPerBar = static_cast<int32_t>(std::max<int64_t>(1, (numerator * s.NoteValue) / denominator));
  s.PreRows = 0;
  s.Title = data.titleBytes.empty() ? std::string("NO_Title") : Cp932ToUtf8(data.titleBytes);
  if (!data.noticeBytes.empty()) s.Title += "\r\n" + Cp932ToUtf8(data.noticeBytes);
  s.BarAdjust.assign(static_cast<size_t>((s.RowCount - 1) / s.RowsPerBar + 2), 0);

  hooks.PrepareSongFull(s, msgs);
  s.Modified = false;
  if (!positionText.empty()) hooks.PrefixCaption(positionText);

  // Pitch adjustment: bring the middle of the columns near key 78.
  int64_t sum = 0;
  for (int32_t c = 1; c <= s.ColumnCount; ++c) sum += s.ColumnPitch[c];
  const int average = static_cast<int>(sum / s.ColumnCount);
  const int highest = s.ColumnPitch[s.ColumnCount];
  int adjustment = std::min(78 - average, 24);
  if (adjustment > 0 && highest + adjustment > 127 && highest < 127) adjustment = 127 - highest;
  SmfImportResult result{SmfImportStatus::Ok, 0};
  if (adjustment > 0 && settings.SmfPitchAdjust) {
    result.keyShift = adjustment;
    hooks.ApplyKeyShift(adjustment);
  }

  if (loading) loading->Close();
  hooks.EndWaitCursor();
  if (s.RowCount == kMaxImportRows) msgs.ShowInformation(kSmfRowLimitMessage);
  hooks.FocusStart();
  return result;
}


}  // namespace

SmfImportResult ImportSmf(Score& s, const SoundSettings& settings, Messages& msgs,
                          SmfImportHooks& hooks, const std::string& positionText) {
  if (settings.NoMidConversion) {
    hooks.PlayAsMedia(s.FileName, positionText);
    return {SmfImportStatus::HandedToMedia, 0};
  }
  std::string bytes;
  if (!ReadWholeFile(s.FileName, bytes))
    return Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, nullptr);
  return ImportSmfBytes(s, bytes, settings, msgs, hooks, positionText);
}

SmfImportResult ImportSmfBytes(Score& s, std::string_view bytes, const SoundSettings& settings,
                               Messages& msgs, SmfImportHooks& hooks,
                               const std::string& positionText) {
  try {
    return ImportSmfInMemory(s, bytes, settings, msgs, hooks, positionText);
  } catch (const std::exception&) {
  }
  // Out of memory while the song was handed on: the tables stay consistent.
  if (s.RowNotes.size() != static_cast<size_t>(std::max(s.RowCount, 0)) + 1)
    s.RowCount = static_cast<int32_t>(s.RowNotes.size()) - 1;
  if (s.ColumnPitch.size() != static_cast<size_t>(std::max(s.ColumnCount, 0)) + 1)
    s.ColumnCount = static_cast<int32_t>(s.ColumnPitch.size()) - 1;
  const SmfImportResult r = Finish(SmfImportStatus::IoError, kSmfIoErrorMessage, msgs, hooks, hooks.Loading());
  hooks.ShowDataError();
  return r;
}

}  // namespace poronka
