// A file written bit by bit that only replaces its destination when it is
// complete. The bytes go to an unnamed temporary file in the destination's
// folder (or, where the file system has none, to a short hidden name there),
// which is put in place of the destination at Commit. Until then, and when
// anything fails, the previous file stays as it was and nothing is left
// behind.
//
// A destination that is a symbolic link is followed: the file it names is
// replaced and the link stays. The replaced file keeps its permissions (and
// its group where the user may set it). A hard-linked file is replaced by
// a new file under this one name; its other names keep the previous
// contents, as writing it in place could leave it half written. A file the
// user could not open for writing is refused at Open.
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

  // Creates the temporary file; false when the destination may not be
  // written or its folder cannot take the file.
  bool Open(const std::string& path);
  // The temporary file's descriptor (-1 when not open).
  int fd() const { return fd_; }
  bool Write(const void* data, size_t size);
  // Writes at an offset without moving the end (for headers filled in last).
  bool WriteAt(uint64_t offset, const void* data, size_t size);
  // Flushes the file to disk and puts it in place of the destination.
  bool Commit();
  // Closes and removes the temporary file (nothing happens when not open).
  void Abandon();

 private:
  std::string target_;  // the destination with its symbolic links followed
  std::string tmp_;     // the hidden name, when the file has one
  int fd_ = -1;
  bool unnamed_ = false;
};

// The file a path names once its symbolic links are followed (the path
// itself when it is no link; a dangling link gives the path it points to).
std::string FollowLinks(const std::string& path);

}  // namespace poronka
