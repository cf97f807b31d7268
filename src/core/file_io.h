// Whole-file reads and writes that never leave a half-written file behind.
#pragma once

#include <string>
#include <string_view>

namespace poronka {

// Reads the whole file; false when it cannot be opened or read.
bool ReadWholeFile(const std::string& path, std::string& bytes);

// Writes to a temporary file in the same folder, flushes it and renames it
// over `path`. On failure the previous file is untouched and the temporary
// file removed.
bool WriteFileAtomically(const std::string& path, std::string_view bytes);

// The file name without its folders.
std::string BaseName(const std::string& path);
// The extension with its dot, upper-cased ASCII (".MBT"), or "".
std::string UpperExtension(const std::string& path);

}  // namespace poronka
