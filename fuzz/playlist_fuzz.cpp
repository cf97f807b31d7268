// The playlist reader on arbitrary bytes. It only takes a path, so each
// input goes into one memory file named through /proc/self/fd.
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "library/playlist.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const int fd = memfd_create("fuzz.pkl", 0);
  static const std::string path = "/proc/self/fd/" + std::to_string(fd);
  if (fd < 0) poronka::fuzz::Fail("memfd_create");
  if (ftruncate(fd, 0) != 0 || pwrite(fd, data, size, 0) != static_cast<ssize_t>(size))
    poronka::fuzz::Fail("writing the memory file");
  const auto paths = poronka::ReadPlaylistFile(path);
  if (paths) {
    for (const auto& p : *paths)
      if (p.empty()) poronka::fuzz::Fail("an empty entry");
    // A list that reads is written and read back to the same entries.
    const std::string bytes = poronka::PlaylistFileBytes(*paths);
    if (ftruncate(fd, 0) != 0 || pwrite(fd, bytes.data(), bytes.size(), 0) != static_cast<ssize_t>(bytes.size()))
      poronka::fuzz::Fail("writing the memory file");
    const auto again = poronka::ReadPlaylistFile(path);
    if (!again || *again != *paths) poronka::fuzz::Fail("a saved playlist reads differently");
  }
  return 0;
}
