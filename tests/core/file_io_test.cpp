#include "core/file_io.h"

#include <gtest/gtest.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/atomic_file.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::ReadBytes;
using testing::TempDir;
using testing::WriteBytes;

std::vector<std::string> Names(const std::string& folder) {
  std::vector<std::string> out;
  for (const auto& e : std::filesystem::directory_iterator(folder)) out.push_back(e.path().filename());
  std::sort(out.begin(), out.end());
  return out;
}

// Runs `check` as an ordinary user: in a child process that gives up root
// when the tests run as root. The child's failures end it with exit 1.
void AsOrdinaryUser(const std::string& folder, const std::function<bool()>& check) {
  if (::geteuid() != 0) {
    EXPECT_TRUE(check());
    return;
  }
  ASSERT_EQ(::chown(folder.c_str(), 65534, 65534), 0);
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::setgid(65534) != 0 || ::setuid(65534) != 0) ::_exit(2);
    ::_exit(check() ? 0 : 1);
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
}

TEST(AtomicSave, FollowsSymbolicLinksAndKeepsPermissions) {
  TempDir dir;
  WriteBytes(dir.File("real.mbt"), "old");
  ::chmod(dir.File("real.mbt").c_str(), 0640);
  std::filesystem::create_directory(dir.File("sub"));
  std::filesystem::create_symlink("../real.mbt", dir.File("sub/link.mbt"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("sub/link.mbt"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("sub/link.mbt")));
  EXPECT_EQ(ReadBytes(dir.File("real.mbt")), "new");
  struct stat st {};
  ::stat(dir.File("real.mbt").c_str(), &st);
  EXPECT_EQ(st.st_mode & 07777, 0640u);
  // A link to a file not there yet creates that file.
  std::filesystem::create_symlink("later.mbt", dir.File("dangling.mbt"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("dangling.mbt"), "made"));
  EXPECT_EQ(ReadBytes(dir.File("later.mbt")), "made");
  // A hard-linked file gets a new file under the saved name only.
  std::filesystem::create_hard_link(dir.File("real.mbt"), dir.File("hard.mbt"));
  ASSERT_TRUE(WriteFileAtomically(dir.File("real.mbt"), "newer"));
  EXPECT_EQ(ReadBytes(dir.File("hard.mbt")), "new");
  // Nothing but the files themselves is left in the folder.
  EXPECT_EQ(Names(dir.path()),
            (std::vector<std::string>{"dangling.mbt", "hard.mbt", "later.mbt", "real.mbt", "sub"}));
}

TEST(AtomicSave, RefusesAFileTheUserMayNotWriteAndKeepsIt) {
  TempDir dir;
  const std::string path = dir.File("locked.mbt");
  WriteBytes(path, "old");
  ::chmod(path.c_str(), 0444);
  ::chmod(dir.path().c_str(), 0777);
  if (::geteuid() == 0) ASSERT_EQ(::chown(path.c_str(), 65534, 65534), 0);
  AsOrdinaryUser(dir.path(), [&] { return !WriteFileAtomically(path, "new") && ReadBytes(path) == "old"; });
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{"locked.mbt"});
  // Nor is a folder or another kind of file replaced.
  std::filesystem::create_directory(dir.File("folder.mbt"));
  EXPECT_FALSE(WriteFileAtomically(dir.File("folder.mbt"), "new"));
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("folder.mbt")));
}

TEST(AtomicSave, LongestNamesAndNothingLeftBehindWhileWriting) {
  TempDir dir;
  const std::string name = std::string(251, 'a') + ".mbt";  // 255 bytes
  ASSERT_TRUE(WriteFileAtomically(dir.File(name), "song"));
  EXPECT_EQ(ReadBytes(dir.File(name)), "song");
  // A save that is cut off (the program killed) leaves the folder as it was.
  AtomicFile f;
  ASSERT_TRUE(f.Open(dir.File(name)));
  ASSERT_TRUE(f.Write("half", 4));
  EXPECT_EQ(Names(dir.path()), std::vector<std::string>{name});
  f.Abandon();
  EXPECT_EQ(ReadBytes(dir.File(name)), "song");
}

TEST(WholeFileReads, OnlyPlainFilesWithinTheLimit) {
  TempDir dir;
  std::string bytes = "left over";
  WriteBytes(dir.File("small.mbt"), "abc");
  ASSERT_TRUE(ReadWholeFile(dir.File("small.mbt"), bytes));
  EXPECT_EQ(bytes, "abc");
  EXPECT_FALSE(ReadWholeFile(dir.File("small.mbt"), bytes, 2));
  EXPECT_TRUE(bytes.empty());

  ASSERT_EQ(::mkfifo(dir.File("pipe.mbt").c_str(), 0600), 0);  // would wait for a writer
  std::filesystem::create_symlink("/dev/zero", dir.File("zero.mid"));
  std::filesystem::create_directory(dir.File("folder.pkl"));
  {
    const int fd = ::open(dir.File("huge.mbt").c_str(), O_CREAT | O_WRONLY, 0600);
    ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(kMaxInputFileBytes + 1)), 0);  // sparse
    ::close(fd);
  }
  for (const char* name : {"pipe.mbt", "zero.mid", "folder.pkl", "huge.mbt", "missing.mbt"})
    EXPECT_FALSE(ReadWholeFile(dir.File(name), bytes)) << name;
}

}  // namespace
}  // namespace poronka
