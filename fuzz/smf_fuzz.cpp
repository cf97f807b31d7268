// The MIDI import on arbitrary bytes, with and without the pitch adjustment.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz_support.h"
#include "interchange/smf_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace poronka;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  // The last byte picks the settings, so one input explores both ways.
  SoundSettings settings;
  if (size > 0) {
    settings.SmfPitchAdjust = (data[size - 1] & 1) != 0;
    if (data[size - 1] & 2) settings.ChannelEnabled[data[size - 1] >> 4] = false;
  }
  Score s;
  s.FileName = "fuzz.mid";
  fuzz::QuietMessages msgs;
  SmfImportHooks hooks;
  const SmfImportResult r = ImportSmfBytes(s, bytes, settings, msgs, hooks);
  if (r.status == SmfImportStatus::Ok) {
    if (s.RowCount < 1 || s.RowCount > kMaxImportRows) fuzz::Fail("row count out of range");
    if (s.RowNotes.size() != static_cast<size_t>(s.RowCount) + 1) fuzz::Fail("row table size");
    if (s.HalfPeriod <= 0 || s.NoteValue <= 0 || s.RowsPerBar <= 0) fuzz::Fail("timing");
    // A song without a note in its rows has MaxSlot 0.
    if (s.MaxSlot != std::max(0, ComputeMaxSlot(s))) fuzz::Fail("MaxSlot does not match the rows");
    for (int32_t r = 1; r <= s.RowCount; ++r)
      ForEachNote(s.RowNotes[r], [&](int, int32_t c) {
        if (c < 1 || c > s.ColumnCount) fuzz::Fail("note outside the columns");
      });
  }
  return 0;
}
