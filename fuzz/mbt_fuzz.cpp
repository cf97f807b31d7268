// The score file reader on arbitrary bytes.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "core/mbt.h"
#include "fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace poronka;
  Score s;
  s.FileName = "fuzz.mbt";
  fuzz::QuietMessages msgs;
  LoadHooks hooks;
  const MbtLoad r = ReadMbtBytes(s, std::string_view(reinterpret_cast<const char*>(data), size), msgs, hooks);
  if (r == MbtLoad::Ok) {
    if (s.RowCount < 0 || s.RowCount > kMaxRows) fuzz::Fail("row count out of range");
    if (s.RowNotes.size() != static_cast<size_t>(s.RowCount) + 1) fuzz::Fail("row table size");
    if (s.MaxSlot != ComputeMaxSlot(s)) fuzz::Fail("MaxSlot does not match the rows");
    for (int32_t r = 1; r <= s.RowCount; ++r)
      ForEachNote(s.RowNotes[r], [&](int, int32_t c) {
        if (c < 1 || c > s.ColumnCount) fuzz::Fail("note outside the columns");
      });
  }
  return 0;
}
