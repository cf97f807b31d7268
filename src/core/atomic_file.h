// A file written bit by bit that only replaces its destination when it is
// complete: the bytes go to a temporary file beside the destination, which is
// renamed over it at Commit. Until then, and when anything fails, the
// previous file stays as it was and the temporary file is removed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace poronka {

class AtomicFile {
 public:
  AtomicFile() = default;
  ~AtomicFile() { Abandon(); }
  AtomicFile(const AtomicFile&) = delete;
  AtomicFile& operator=(const AtomicFile&) = delete;

  // Creates the temporary file; false when the folder cannot take it.
  bool Open(const std::string& path);
  // The temporary file's descriptor (-1 when not open).
  int fd() const { return fd_; }
  bool Write(const void* data, size_t size);
  // Writes at an offset without moving the end (for headers filled in last).
  bool WriteAt(uint64_t offset, const void* data, size_t size);
  // Flushes the file to disk and renames it over the destination.
  bool Commit();
  // Closes and removes the temporary file (nothing happens when not open).
  void Abandon();

 private:
  std::string path_;
  std::string tmp_;
  int fd_ = -1;
};

}  // namespace poronka
