#include "core/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <algorithm>
#include <new>

#include "core/atomic_file.h"

namespace poronka {

bool ReadWholeFile(const std::string& path, std::string& bytes, uint64_t maxBytes) {
  bytes.clear();
  // Not blocking, so that a pipe is refused instead of waited for.
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
  if (fd < 0) return false;
  struct stat st {};
  bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && static_cast<uint64_t>(st.st_size) <= maxBytes;
  try {
    // Straight into the string; what a file that grows while it is read
    // adds comes through a small buffer and must stay within the limit.
    if (ok) bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    char more[1 << 16];
    while (ok) {
      const bool inPlace = done < bytes.size();
      const ssize_t n = inPlace ? ::read(fd, bytes.data() + done, bytes.size() - done) : ::read(fd, more, sizeof more);
      if (n < 0) {
        if (errno != EINTR) ok = false;
      } else if (n == 0) {
        break;
      } else if (inPlace) {
        done += static_cast<size_t>(n);
      } else if (done + static_cast<size_t>(n) > maxBytes) {
        ok = false;
      } else {
        bytes.append(more, static_cast<size_t>(n));
        done = bytes.size();
      }
    }
    bytes.resize(done);
  } catch (const std::bad_alloc&) {
    ok = false;
  }
  ::close(fd);
  if (!ok) std::string().swap(bytes);
  return ok;
}

bool WriteFileAtomically(const std::string& path, std::string_view bytes) {
  AtomicFile file;
  return file.Open(path) && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

std::string BaseName(const std::string& path) {
  size_t p = path.find_last_of("/\\");
  return p == std::string::npos ? path : path.substr(p + 1);
}

std::string UpperExtension(const std::string& path) {
  std::string base = BaseName(path);
  size_t p = base.rfind('.');
  if (p == std::string::npos) return "";
  std::string ext = base.substr(p);
  for (char& c : ext)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return ext;
}

}  // namespace poronka
