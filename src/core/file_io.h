// Whole-file reads and writes that never leave a half-written file behind.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace poronka {

// The largest file the song and playlist readers take in.
constexpr uint64_t kMaxInputFileBytes = uint64_t{256} << 20;

// Reads the whole file; false when it cannot be opened or read, is not a
// plain file (a folder, a pipe, a device) or holds more than `maxBytes`, or
// when there is no memory for it.
bool ReadWholeFile(const std::string& path, std::string& bytes, uint64_t maxBytes = kMaxInputFileBytes);

// Writes the bytes through an AtomicFile: the previous file is replaced only
// once the new one is complete on disk, and is untouched on any failure.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The file name without its folders.
std::string BaseName(const std::string& path);
// The extension with its dot, upper-cased ASCII (".MBT"), or "".
std::string UpperExtension(const std::string& path);

}  // namespace poronka
