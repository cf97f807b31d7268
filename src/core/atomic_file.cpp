#include "core/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace poronka {

namespace {

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// A short hidden name in `folder` that is not taken yet ("" when none is
// found). Short, so that a destination name of any valid length can be saved.
std::string FreeHiddenName(const std::string& folder) {
  static unsigned counter = 0;
  timespec now{};
  ::clock_gettime(CLOCK_REALTIME, &now);
  uint32_t seed = static_cast<uint32_t>(now.tv_nsec) ^ (static_cast<uint32_t>(::getpid()) << 16);
  static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
  for (int attempt = 0; attempt < 100; ++attempt) {
    seed = seed * 1103515245u + 12345u + ++counter;
    std::string name = folder + "/.poronka.";
    uint32_t v = seed;
    for (int i = 0; i < 6; ++i, v /= 36) name += kLetters[v % 36];
    struct stat st {};
    if (::lstat(name.c_str(), &st) != 0 && errno == ENOENT) return name;
  }
  return {};
}

void SyncFolder(const std::string& folder) {
  const int d = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (d < 0) return;
  ::fsync(d);
  ::close(d);
}

}  // namespace

std::string FollowLinks(const std::string& path) {
  std::string p = path;
  for (int hop = 0; hop < 40; ++hop) {
    struct stat st {};
    if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return p;
    std::vector<char> buf(static_cast<size_t>(st.st_size > 0 ? st.st_size : 255) + 1);
    const ssize_t n = ::readlink(p.c_str(), buf.data(), buf.size());
    if (n <= 0 || static_cast<size_t>(n) >= buf.size()) return p;
    std::string to(buf.data(), static_cast<size_t>(n));
    p = to.front() == '/' ? to : FolderOf(p) + "/" + to;
  }
  return p;
}

bool AtomicFile::Open(const std::string& path) {
  Abandon();
  target_ = FollowLinks(path);
  struct stat st {};
  if (::stat(target_.c_str(), &st) == 0) {
    // Only a plain file is replaced, and only one the user could write.
    if (!S_ISREG(st.st_mode) || ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) return false;
  }
  const std::string folder = FolderOf(target_);
  // An unnamed file leaves nothing behind when the program is killed; it
  // gets a name only in Commit, just before it replaces the destination.
  if (::access("/proc/self/fd", X_OK) == 0) {
    fd_ = ::open(folder.c_str(), O_TMPFILE | O_RDWR | O_CLOEXEC, 0600);
    if (fd_ >= 0) {
      unnamed_ = true;
      return true;
    }
  }
  unnamed_ = false;
  std::string name = folder + "/.poronka.XXXXXX";
  std::vector<char> buf(name.begin(), name.end());
  buf.push_back('\0');
  fd_ = ::mkostemp(buf.data(), O_CLOEXEC);
  if (fd_ < 0) return false;
  tmp_ = buf.data();
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
  // Keep the owner, group and permissions of the file being replaced (as
  // far as the user may set them), or the usual permissions.
  struct stat st {};
  mode_t mode;
  if (::stat(target_.c_str(), &st) == 0) {
    if (::fchown(fd_, st.st_uid, st.st_gid) != 0) (void)!::fchown(fd_, static_cast<uid_t>(-1), st.st_gid);
    mode = st.st_mode & 07777;
  } else {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    mode = 0666 & ~mask;
  }
  bool ok = ::fchmod(fd_, mode) == 0;
  if (ok) ok = ::fsync(fd_) == 0;
  const std::string folder = FolderOf(target_);
  if (ok && unnamed_) {
    tmp_ = FreeHiddenName(folder);
    const std::string self = "/proc/self/fd/" + std::to_string(fd_);
    ok = !tmp_.empty() && ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, tmp_.c_str(), AT_SYMLINK_FOLLOW) == 0;
    if (!ok) tmp_.clear();
  }
  if (::close(fd_) != 0) ok = false;
  fd_ = -1;
  if (ok) ok = ::rename(tmp_.c_str(), target_.c_str()) == 0;
  if (!ok && !tmp_.empty()) ::unlink(tmp_.c_str());
  tmp_.clear();
  if (ok) SyncFolder(folder);
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
