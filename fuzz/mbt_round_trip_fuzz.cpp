// A score that reads is saved and read again: the second reading must hold
// the same song as the first.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/mbt.h"
#include "core/text_codec.h"
#include "fuzz_support.h"

namespace {

using namespace poronka;

// The reader sizes the bar adjustment table from the sum of the header's
// values, so entries near its end can fall out when that sum changes (a
// line for a bar outside the table counts in the sum but is not kept, and
// is not written again). Every entry the second reading holds must be the
// first reading's.
bool SameBarAdjust(const Score& first, const Score& second) {
  for (size_t i = 1; i < second.BarAdjust.size(); ++i) {
    const int16_t before = i < first.BarAdjust.size() ? first.BarAdjust[i] : 0;
    if (second.BarAdjust[i] != before) return false;
  }
  return true;
}

// Text as the file can hold it: an undecodable byte was read as U+FFFD and
// is written as '?'.
std::string AsStored(const std::string& utf8) { return Cp932ToUtf8(Utf8ToCp932(utf8)); }
std::u16string AsStored(const std::u16string& text) { return Cp932ToUtf16(Utf16ToCp932(text)); }

bool StartsWithPl(const std::u16string& line) {
  return line.size() >= 3 && line[0] == u'%' && (line[1] | 0x20) == u'p' && (line[2] | 0x20) == u'l';
}

MbtLoad Read(Score& s, std::string_view bytes) {
  s.FileName = "fuzz.mbt";
  fuzz::QuietMessages msgs;
  LoadHooks hooks;
  return ReadMbtBytes(s, bytes, msgs, hooks);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Score first;
  if (Read(first, std::string_view(reinterpret_cast<const char*>(data), size)) != MbtLoad::Ok) return 0;
  // A pitch line that begins with "%PL" also sets a bar adjustment, but only
  // the header's lines size the table; which of them lands depends on the
  // header, so such a song need not read back the same.
  if (StartsWithPl(first.OctaveLine) || StartsWithPl(first.LetterLine)) return 0;
  const std::string saved = MbtBytes(first);
  Score second;
  if (Read(second, saved) != MbtLoad::Ok) fuzz::Fail("a saved song does not read");
  if (second.Title != AsStored(first.Title)) fuzz::Fail("Title");
  if (second.HalfPeriod != first.HalfPeriod) fuzz::Fail("HalfPeriod");
  if (second.RowsPerBar != first.RowsPerBar) fuzz::Fail("RowsPerBar");
  if (second.NoteValue != first.NoteValue) fuzz::Fail("NoteValue");
  if (second.Bpm != first.Bpm) fuzz::Fail("Bpm");
  if (second.PreRows != first.PreRows) fuzz::Fail("PreRows");
  if (!SameBarAdjust(first, second)) fuzz::Fail("BarAdjust");
  if (second.OctaveLine != AsStored(first.OctaveLine)) fuzz::Fail("OctaveLine");
  if (second.LetterLine != AsStored(first.LetterLine)) fuzz::Fail("LetterLine");
  if (second.ColumnPitch != first.ColumnPitch) fuzz::Fail("ColumnPitch");
  if (second.RowCount != first.RowCount) fuzz::Fail("RowCount");
  if (second.RowNotes != first.RowNotes) fuzz::Fail("RowNotes");
  if (second.MaxSlot != first.MaxSlot) fuzz::Fail("MaxSlot");
  return 0;
}
