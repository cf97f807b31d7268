// The MP3, WMA and MIDI title readers on the same arbitrary bytes, short and
// long form.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "library/media_title.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace poronka;
  const BufferByteSource src(std::string_view(reinterpret_cast<const char*>(data), size));
  for (bool longForm : {false, true}) {
    ReadMp3Title(src, longForm);
    ReadWmaTitle(src, longForm);
  }
  ReadMidiTitle(src);
  return 0;
}
