#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace poronka {

bool AtomicFile::Open(const std::string& path) {
  Abandon();
  std::string tmpl = path + ".XXXXXX";
  std::vector<char> name(tmpl.begin(), tmpl.end());
  name.push_back('\0');
  const int fd = ::mkstemp(name.data());
  if (fd < 0) return false;
  fd_ = fd;
  path_ = path;
  tmp_ = name.data();
  return true;
}

bool AtomicFile::Write(const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (fd_ >= 0 && size > 0) {
    const ssize_t n = ::write(fd_, p, size);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    size -= static_cast<size_t>(n);
  }
  return fd_ >= 0;
}

bool AtomicFile::WriteAt(uint64_t offset, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (fd_ >= 0 && size > 0) {
    const ssize_t n = ::pwrite(fd_, p, size, static_cast<off_t>(offset));
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    offset += static_cast<uint64_t>(n);
    size -= static_cast<size_t>(n);
  }
  return fd_ >= 0;
}

bool AtomicFile::Commit() {
  if (fd_ < 0) return false;
  // Keep the permissions of the file being replaced, or the usual ones.
  struct stat st {};
  mode_t mode;
  if (::stat(path_.c_str(), &st) == 0) {
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  ::fchmod(fd_, mode);
  bool ok = ::fsync(fd_) == 0;
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok) ok = ::rename(tmp_.c_str(), path_.c_str()) == 0;
  if (!ok) ::unlink(tmp_.c_str());
  tmp_.clear();
  return ok;
}

void AtomicFile::Abandon() {
  if (fd_ >= 0) {
    ::close(fd_);
    fd_ = -1;
  }
  if (!tmp_.empty()) {
    ::unlink(tmp_.c_str());
    tmp_.clear();
  }
}

}  // namespace poronka
