#include "core/mbt.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <optional>
#include <stdexcept>

#include "core/file_io.h"
#include "core/text_codec.h"

namespace poronka {

const char* const kMbtNoDataMessage = "このファイルはＭＢＴデータがありません。";
const char* const kMbtBadDataMessage = "データが正しくありません。";
const char* const kMbtIoErrorMessage = "入出力エラーが起こりました。";
const char* const kMbtTooManyRowsMessage = "１０００００行を越えるデータは無視しました。";
const char* const kSaveErrorMessage =
    "ファイルの保存中にエラーが起こりました。\f\nファイルが破損している可能性があります。";

namespace {

constexpr int kMaxTitleLines = 50;
constexpr int32_t kLoadingWindowRows = 3500;

// Splits text into lines ended by CR LF, LF or CR; a last line without an
// end counts when it is not empty.
class LineReader {
 public:
  explicit LineReader(std::string_view text) : text_(text) {}
  bool Next(std::string_view& line) {
    if (pos_ >= text_.size()) return false;
    const size_t start = pos_;
    const size_t end = std::min(Find('\n', lf_), Find('\r', cr_));
    line = text_.substr(start, end - start);
    pos_ = end;
    if (pos_ < text_.size()) {
      if (text_[pos_] == '\r' && pos_ + 1 < text_.size() && text_[pos_ + 1] == '\n') ++pos_;
      ++pos_;
    }
    return true;
  }
  // Like Next, but past the end gives an empty line (as reading past the
  // end of a text file does).
  std::string_view NextOrEmpty() {
    std::string_view line;
    return Next(line) ? line : std::string_view();
  }

 private:
  // The next `c` at or after the current position (the end when there is
  // none); `cached` keeps the last one found, so each byte is searched once.
  size_t Find(char c, size_t& cached) const {
    if (cached == kUnknown || (cached < pos_ && cached != text_.size())) {
      const void* hit = std::memchr(text_.data() + pos_, c, text_.size() - pos_);
      cached = hit ? static_cast<size_t>(static_cast<const char*>(hit) - text_.data()) : text_.size();
    }
    return cached;
  }
  static constexpr size_t kUnknown = static_cast<size_t>(-1);
  std::string_view text_;
  size_t pos_ = 0;
  mutable size_t lf_ = kUnknown, cr_ = kUnknown;
};

bool IsBlank(char16_t c) { return c <= u' '; }

// Blank bytes are never part of a double-byte character, so a line's bytes
// can be trimmed as they are.
std::string_view TrimBytes(std::string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
  while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
  return s.substr(b, e - b);
}

std::u16string Trim(std::u16string_view s) {
  size_t b = 0, e = s.size();
  while (b < e && IsBlank(s[b])) ++b;
  while (e > b && IsBlank(s[e - 1])) --e;
  return std::u16string(s.substr(b, e - b));
}

std::u16string RemoveBlanks(std::u16string_view s) {
  std::u16string out;
  for (char16_t c : s)
    if (!IsBlank(c)) out += c;
  return out;
}

// Characters index..index+count-1 (1-based), clipped to the text.
std::u16string_view Mid(std::u16string_view s, size_t index, size_t count) {
  if (index < 1 || index > s.size()) return {};
  return s.substr(index - 1, count);
}

bool StartsWithNoCase(std::u16string_view s, std::string_view keyword) {
  if (s.size() < keyword.size()) return false;
  for (size_t i = 0; i < keyword.size(); ++i) {
    char16_t a = s[i];
    char b = keyword[i];
    if (a >= u'a' && a <= u'z') a = static_cast<char16_t>(a - u'a' + u'A');
    if (b >= 'a' && b <= 'z') b = static_cast<char>(b - 'a' + 'A');
    if (a != static_cast<char16_t>(b)) return false;
  }
  return true;
}

bool EndsWithNoCase(std::u16string_view s, std::string_view keyword) {
  if (s.size() < keyword.size()) return false;
  return StartsWithNoCase(s.substr(s.size() - keyword.size()), keyword);
}

// An optional sign and decimal digits that fit in 32 bits.
template <typename Char>
std::optional<int32_t> ToIntOf(std::basic_string_view<Char> s) {
  size_t i = 0;
  bool negative = false;
  if (i < s.size() && (s[i] == u'+' || s[i] == u'-')) {
    negative = s[i] == u'-';
    ++i;
  }
  if (i >= s.size()) return std::nullopt;
  int64_t v = 0;
  for (; i < s.size(); ++i) {
    if (s[i] < u'0' || s[i] > u'9') return std::nullopt;
    v = v * 10 + (s[i] - u'0');
    if (v > 2147483648LL) return std::nullopt;
  }
  if (negative) v = -v;
  if (v > 2147483647LL || v < -2147483648LL) return std::nullopt;
  return static_cast<int32_t>(v);
}
std::optional<int32_t> ToInt(std::u16string_view s) { return ToIntOf(s); }
std::optional<int32_t> ToInt(std::string_view s) { return ToIntOf(s); }

std::u16string Decode(std::string_view line) { return Cp932ToUtf16(line); }

// The end line: ends with "lines" once trailing blanks are removed.
bool IsEndLine(std::string_view raw) {
  size_t e = raw.size();
  while (e > 0 && static_cast<unsigned char>(raw[e - 1]) <= ' ') --e;
  if (e < 5) return false;
  // ASCII letters come only from ASCII bytes: most lines end here.
  std::u16string tail(raw.begin() + (e - 5), raw.begin() + e);
  if (!EndsWithNoCase(tail, "lines")) return false;
  // The "l" may still be the second byte of a double-byte character.
  return IsSingleByteCp932(raw) || EndsWithNoCase(Trim(Decode(raw)), "lines");
}

// The keyword fields of "+Line" and "%PL" lines lie within this many
// characters.
constexpr size_t kKeywordChars = 17;
// A title line is cut after this many bytes.
constexpr size_t kMaxTitleLineBytes = 1 << 16;

// The first `chars` characters of a line (fewer when it is shorter).
std::u16string DecodeStart(std::string_view raw, size_t chars) {
  std::u16string text = Decode(raw.substr(0, 2 * chars + 2));
  if (text.size() > chars) text.resize(chars);
  return text;
}

// The marker line: "MBT_DATA" with blanks around it.
bool IsMarker(std::string_view raw) { return TrimBytes(raw) == "MBT_DATA"; }

std::string TitleOf(const std::vector<std::string_view>& lines) {
  std::string title;
  for (size_t i = 0; i < lines.size(); ++i) {
    if (i > 0) title += "\r\n";
    title += Cp932ToUtf8(lines[i].substr(0, kMaxTitleLineBytes));
  }
  return title;
}

// Ends a failed load: cursor back, loading window closed, message.
MbtLoad Fail(MbtLoad kind, Messages& msgs, LoadHooks& hooks, bool loadingOpen) {
  if (loadingOpen && hooks.Loading()) hooks.Loading()->Close();
  hooks.EndWaitCursor();
  switch (kind) {
    case MbtLoad::NoMarker:
      msgs.ShowError(kMbtNoDataMessage);
      break;
    case MbtLoad::BadData:
      msgs.ShowError(kMbtBadDataMessage);
      break;
    default:
      msgs.ShowError(kMbtIoErrorMessage);
      hooks.ShowDataError();
      break;
  }
  return kind;
}

// Stores the notes of one row line: every "O" among the first `columns`
// characters, in slot order, at most 15.
RowSlots ScanRow(std::string_view line, int32_t columns) {
  RowSlots row{};
  // The first `columns` characters lie within these bytes.
  line = line.substr(0, 2 * static_cast<size_t>(std::max(columns, 0)) + 2);
  int slot = 0;
  auto store = [&](int32_t c) {
    row[slot] = c;
    slot = NextSlot(slot);
    return slot < kSlotsPerRow;
  };
  if (IsSingleByteCp932(line)) {
    size_t n = std::min(line.size(), static_cast<size_t>(std::max(columns, 0)));
    const char* p = line.data();
    for (size_t i = 0; i < n; ++i) {
      if (p[i] == 'O' && !store(static_cast<int32_t>(i + 1))) break;
    }
  } else {
    std::u16string text = Decode(line);
    size_t n = std::min(text.size(), static_cast<size_t>(std::max(columns, 0)));
    for (size_t i = 0; i < n; ++i) {
      if (text[i] == u'O' && !store(static_cast<int32_t>(i + 1))) break;
    }
  }
  return row;
}

MbtLoad ReadMbtInMemory(Score& s, std::string_view bytes, Messages& msgs, LoadHooks& hooks) {
  hooks.BeginLoad();
  LineReader in(bytes);

  // Header: title lines, "+Line" and "%PL" lines up to the marker. Only the
  // beginnings of the lines are decoded, so one huge line costs no more
  // than its bytes.
  s.PreRows = 0;
  s.Title.clear();
  int headerLines = 0;
  int64_t adjustSum = 0;
  bool collectingTitle = true;
  bool marker = false;
  std::vector<std::u16string> adjustLines;  // "%PL" lines among the header
  std::vector<std::string_view> titleLines;
  std::string_view raw;
  while (in.Next(raw)) {
    if (IsMarker(raw)) {
      marker = true;
      break;
    }
    const std::u16string line = DecodeStart(raw, kKeywordChars);
    if (StartsWithNoCase(line, "+Line")) {
      auto v = ToInt(Trim(Mid(line, 6, 3)));
      if (!v) return Fail(MbtLoad::IoError, msgs, hooks, false);
      // A negative pre-count has no label or save form: it reads as none.
      s.PreRows = std::max(*v, 0);
      collectingTitle = false;
    }
    if (StartsWithNoCase(line, "%PL")) {
      auto v = ToInt(RemoveBlanks(Mid(line, 9, 9)));
      if (!v) return Fail(MbtLoad::IoError, msgs, hooks, false);
      adjustSum += *v;
      collectingTitle = false;
      adjustLines.push_back(line);
    }
    ++headerLines;
    if (collectingTitle && headerLines <= kMaxTitleLines) titleLines.push_back(raw);
  }
  s.Title = TitleOf(titleLines);
  if (!marker) return Fail(MbtLoad::NoMarker, msgs, hooks, false);

  // Timing values and the two pitch lines.
  std::optional<int32_t> timing[3];
  for (auto& t : timing) t = ToInt(TrimBytes(in.NextOrEmpty()));
  std::u16string octaveLine = Decode(in.NextOrEmpty());
  std::u16string letterLine = Decode(in.NextOrEmpty());
  for (const auto& t : timing)
    if (!t) return Fail(MbtLoad::IoError, msgs, hooks, false);
  // The bar adjustment pass reads every line up to the letter line, so a
  // pitch line that begins with "%PL" counts too.
  if (StartsWithNoCase(octaveLine, "%PL")) adjustLines.push_back(octaveLine.substr(0, kKeywordChars));
  if (StartsWithNoCase(letterLine, "%PL")) adjustLines.push_back(letterLine.substr(0, kKeywordChars));
  // The letter line gives the columns; octave digits past it belong to none.
  if (octaveLine.size() > letterLine.size()) octaveLine.resize(letterLine.size());
  s.OctaveLine = std::move(octaveLine);
  s.LetterLine = std::move(letterLine);
  const std::u16string& octaves = s.OctaveLine;
  const std::u16string& letters = s.LetterLine;
  const int32_t rowDuration = *timing[0], rowsPerBar = *timing[1], noteValue = *timing[2];
  if (rowDuration <= 0 || rowsPerBar <= 0 || noteValue <= 0)
    return Fail(MbtLoad::BadData, msgs, hooks, false);
  if (octaves.size() < letters.size()) return Fail(MbtLoad::IoError, msgs, hooks, false);
  for (size_t i = 0; i < letters.size(); ++i)
    if (octaves[i] < u'0' || octaves[i] > u'9')
      return Fail(MbtLoad::IoError, msgs, hooks, false);

  // Row lines, up to the "... lines" end line or the end of the file.
  std::vector<std::string_view> rowLines;
  bool tooMany = false;
  while (in.Next(raw)) {
    if (IsEndLine(raw)) break;
    if (static_cast<int32_t>(rowLines.size()) >= kMaxRows) {
      tooMany = true;
      break;
    }
    rowLines.push_back(raw);
  }
  const int32_t rowCount = static_cast<int32_t>(rowLines.size());

  // Bar adjustments: the table is sized from the header's sum, then filled.
  int64_t bars = (static_cast<int64_t>(rowCount) + s.PreRows - adjustSum) / rowsPerBar + 2;
  // A table of at least two entries; absurd adjustment sums in a damaged
  // file must not make a huge one.
  bars = std::clamp<int64_t>(bars, 2, 4 * static_cast<int64_t>(kMaxRows));
  std::vector<int16_t> barAdjust(static_cast<size_t>(bars), 0);
  for (const auto& line : adjustLines) {
    auto bar = ToInt(RemoveBlanks(Mid(line, 4, 5)));
    auto value = ToInt(RemoveBlanks(Mid(line, 9, 9)));
    if (!bar || !value) return Fail(MbtLoad::IoError, msgs, hooks, false);
    if (*bar >= 1 && *bar < bars) barAdjust[*bar] = static_cast<int16_t>(*value);
  }

  // From here on the load succeeds: the new song replaces the old one.
  std::vector<RowSlots> rows(static_cast<size_t>(rowCount) + 1, RowSlots{});
  DeriveColumnPitches(s);
  s.HalfPeriod = rowDuration / 2;
  s.RowsPerBar = rowsPerBar;
  s.NoteValue = noteValue;
  s.RowCount = rowCount;
  s.BarAdjust = std::move(barAdjust);
  s.RowNotes = std::move(rows);
  s.MaxSlot = -1;
  hooks.PrepareLayout(s);

  LoadProgress* loading = rowCount > kLoadingWindowRows ? hooks.Loading() : nullptr;
  if (loading) loading->Open(BaseName(s.FileName));
  int maxSlot = -1;
  const double rowsPerStep = rowCount / 110.0;
  for (int32_t r = 1; r <= rowCount; ++r) {
    std::string_view line = rowLines[r - 1];
    if (!line.empty()) {
      RowSlots& row = s.RowNotes[r];
      row = ScanRow(line, s.ColumnCount);
      ForEachNote(row, [&](int slot, int32_t c) {
        hooks.DrawDot(r, c);
        if (slot > maxSlot) maxSlot = slot;
      });
    }
    if (loading && loading->Position() < static_cast<int>(std::nearbyint(r / rowsPerStep)))
      loading->StepIt();
    hooks.ProcessEvents();
  }
  s.MaxSlot = maxSlot;
  s.Modified = false;
  hooks.FinishPreparation(s, msgs);
  if (loading) {
    loading->SetToMax();
    loading->Close();
  }
  hooks.EndWaitCursor();
  if (tooMany) msgs.ShowInformation(kMbtTooManyRowsMessage);
  hooks.FocusStart();
  return MbtLoad::Ok;
}

}  // namespace

MbtLoad ReadMbt(Score& s, Messages& msgs, LoadHooks& hooks) {
  std::string bytes;
  if (!ReadWholeFile(s.FileName, bytes)) {
    hooks.BeginLoad();
    return Fail(MbtLoad::IoError, msgs, hooks, false);
  }
  return ReadMbtBytes(s, bytes, msgs, hooks);
}

MbtLoad ReadMbtBytes(Score& s, std::string_view bytes, Messages& msgs, LoadHooks& hooks) {
  try {
    return ReadMbtInMemory(s, bytes, msgs, hooks);
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // Out of memory somewhere in the load: the song's tables stay consistent.
  if (s.ColumnPitch.size() != static_cast<size_t>(std::max(s.ColumnCount, 0)) + 1)
    s.ColumnCount = static_cast<int32_t>(s.ColumnPitch.size()) - 1;
  if (s.RowNotes.size() != static_cast<size_t>(std::max(s.RowCount, 0)) + 1)
    s.RowCount = static_cast<int32_t>(s.RowNotes.size()) - 1;
  if (hooks.Loading()) hooks.Loading()->Close();
  return Fail(MbtLoad::IoError, msgs, hooks, false);
}


std::string MbtBytes(const Score& s) {
  std::string out;
  const int32_t columns = std::max(s.ColumnCount, 0);
  out.reserve(256 + static_cast<size_t>(std::max(s.RowCount, 0)) * (columns + 2));
  auto line = [&](std::string_view text) {
    out.append(text);
    out.append("\r\n");
  };
  line(Utf8ToCp932(s.Title));
  if (s.PreRows > 0) line("+Line" + std::to_string(s.PreRows));
  for (size_t i = 1; i < s.BarAdjust.size(); ++i)
    if (s.BarAdjust[i] != 0) {
      // The reader takes the value from characters 9 to 17: after a
      // five-digit bar a six-character value takes one of the four blanks.
      const std::string bar = std::to_string(i), value = std::to_string(s.BarAdjust[i]);
      const size_t gap = std::min<size_t>(4, 14 - std::min<size_t>(14, bar.size() + value.size()));
      line("%PL" + bar + std::string(gap, ' ') + value);
    }
  line("MBT_DATA");
  line(std::to_string(static_cast<int64_t>(s.HalfPeriod) * 2));
  line(std::to_string(s.RowsPerBar));
  line(std::to_string(s.NoteValue));
  line(Utf16ToCp932(s.OctaveLine));
  line(Utf16ToCp932(s.LetterLine));
  const char kEmptyCell = static_cast<char>(0xA5);
  for (int32_t r = 1; r <= s.RowCount && r < static_cast<int32_t>(s.RowNotes.size()); ++r) {
    const RowSlots& row = s.RowNotes[r];
    int32_t previous = 0;
    bool full = false;
    for (int k = 0; k < kSlotsPerRow; k = NextSlot(k)) {
      int32_t c = row[k];
      if (c == 0) break;
      if (c - 1 - previous > 0) out.append(static_cast<size_t>(c - 1 - previous), kEmptyCell);
      out += 'O';
      previous = c;
      if (k == kSlotsPerRow - 1) full = true;
    }
    if (row[0] != 0 && !full && columns > previous)
      out.append(static_cast<size_t>(columns - previous), kEmptyCell);
    out.append("\r\n");
  }
  line("ENDofDATA " + std::to_string(s.RowCount) + " lines");
  return out;
}

bool WriteMbt(Score& s, Messages& msgs) {
  if (!WriteFileAtomically(s.FileName, MbtBytes(s))) {
    msgs.ShowError(kSaveErrorMessage);
    return false;
  }
  s.Modified = false;
  return true;
}

}  // namespace poronka
