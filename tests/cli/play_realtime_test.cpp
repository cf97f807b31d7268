// The real-time path of `play` on a machine without a sound card: a private
// PulseAudio server with a null sink stands in for the speakers, and its
// monitor is recorded while the song plays.
#include <gtest/gtest.h>
#include <signal.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <sstream>
#include <thread>

#include "cli/cli.h"
#include "support/test_support.h"

extern char** environ;

namespace poronka::cli {
namespace {

using poronka::testing::ReadBytes;
using poronka::testing::SourcePath;
using poronka::testing::TempDir;

pid_t Spawn(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const auto& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_addopen(&fa, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&fa, 2, "/dev/null", O_WRONLY, 0);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &fa, nullptr, args.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&fa);
  return pid;
}

void Stop(pid_t pid, int sig) {
  if (pid <= 0) return;
  kill(pid, sig);
  int status = 0;
  for (int i = 0; i < 100; ++i) {
    if (waitpid(pid, &status, WNOHANG) == pid) return;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  kill(pid, SIGKILL);
  waitpid(pid, &status, 0);
}

// Restores an environment variable when the test ends.
class EnvGuard {
 public:
  EnvGuard(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    had_ = old != nullptr;
    if (old) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvGuard() {
    if (had_)
      setenv(name_, old_.c_str(), 1);
    else
      unsetenv(name_);
  }

 private:
  const char* name_;
  bool had_ = false;
  std::string old_;
};

TEST(PlayCommand, SoundsThroughAPrivatePulseAudioServer) {
  if (access("/usr/bin/pulseaudio", X_OK) != 0 || access("/usr/bin/parecord", X_OK) != 0)
    GTEST_SKIP() << "pulseaudio and pulseaudio-utils are not installed";
  TempDir dir;
  const std::string runtime = dir.File("run");
  mkdir(runtime.c_str(), 0700);
  EnvGuard xdg("XDG_RUNTIME_DIR", runtime);
  EnvGuard server("PULSE_SERVER", "unix:" + runtime + "/pulse/native");
  pid_t pa = Spawn({"pulseaudio", "-n", "--daemonize=no", "--exit-idle-time=-1",
                    "--load=module-native-protocol-unix", "--load=module-null-sink sink_name=nullsink",
                    "--load=module-always-sink"});
  ASSERT_GT(pa, 0);
  const std::string socket = runtime + "/pulse/native";
  for (int i = 0; i < 200 && access(socket.c_str(), F_OK) != 0; ++i)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  if (access(socket.c_str(), F_OK) != 0) {
    Stop(pa, SIGTERM);
    FAIL() << "the PulseAudio server did not start";
  }
  const std::string wav = dir.File("rec.wav");
  pid_t rec = Spawn({"parecord", "-d", "nullsink.monitor", "--file-format=wav", wav});
  std::this_thread::sleep_for(std::chrono::milliseconds(500));

  std::ostringstream out, err;
  const int rc = poronka::cli::Run({"play", SourcePath("examples/sakura.mbt"), "--rows", "6"}, out, err);
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  Stop(rec, SIGINT);
  Stop(pa, SIGTERM);
  ASSERT_EQ(rc, kOk) << err.str();
  EXPECT_NE(out.str().find("さくらさくら"), std::string::npos);

  // The recording holds sound: 16-bit samples after the header.
  const std::string bytes = ReadBytes(wav);
  ASSERT_GT(bytes.size(), 10000u);
  double sum = 0;
  int peak = 0;
  size_t n = 0;
  for (size_t i = 44; i + 1 < bytes.size(); i += 2) {
    const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    sum += static_cast<double>(v) * v;
    peak = std::max(peak, std::abs(static_cast<int>(v)));
    ++n;
  }
  EXPECT_GT(peak, 3000);
  EXPECT_GT(std::sqrt(sum / n), 100);
}

TEST(PlayCommand, WithoutAudioOutputTheOpenFailsWithTheMessage) {
  TempDir dir;
  EnvGuard xdg("XDG_RUNTIME_DIR", dir.path());
  EnvGuard server("PULSE_SERVER", "unix:" + dir.File("none"));
  if (access("/dev/snd", F_OK) == 0) GTEST_SKIP() << "this machine has a sound card";
  std::ostringstream out, err;
  EXPECT_EQ(poronka::cli::Run({"play", SourcePath("examples/sakura.mbt"), "--rows", "1"}, out, err), kFailed);
  EXPECT_NE(err.str().find("MIDI出力デバイス（内蔵シンセサイザー (FluidSynth)）をオープンできません"),
            std::string::npos)
      << err.str();
}

}  // namespace
}  // namespace poronka::cli
