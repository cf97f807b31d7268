#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <random>
#include <sstream>

#include "cli/cli.h"
#include "cli/playback_commands.h"
#include "support/test_support.h"

namespace poronka::cli {
namespace {

using poronka::testing::ReadBytes;
using poronka::testing::SourcePath;
using poronka::testing::TempDir;
using poronka::testing::WriteBytes;

int RunCli(const std::vector<std::string>& args, std::string& out, std::string& err) {
  std::ostringstream o, e;
  int rc = Run(args, o, e);
  out = o.str();
  err = e.str();
  return rc;
}

std::string Shell(const std::string& command) {
  std::string result;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return result;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) result.append(buf, n);
  pclose(p);
  return result;
}

std::string Reference(const std::string& file, const std::vector<std::string>& opts) {
  std::string cmd = "python3 '" + SourcePath("tests/cli/trace_reference.py") + "' '" + file + "'";
  for (const auto& o : opts) cmd += " " + o;
  return Shell(cmd);
}

// A song of random pitches and marks as an MBT file.
std::string RandomSong(std::mt19937& rng, int& rows) {
  const char* letters = "CcDdEFfGgAaB";
  const int columns = std::uniform_int_distribution<int>(1, 40)(rng);
  rows = std::uniform_int_distribution<int>(1, 40)(rng);
  const int rowMs = std::uniform_int_distribution<int>(2, 900)(rng);
  std::string octave, letter;
  for (int c = 0; c < columns; ++c) {
    octave += static_cast<char>('0' + std::uniform_int_distribution<int>(0, 9)(rng));
    letter += letters[std::uniform_int_distribution<int>(0, 11)(rng)];
  }
  std::string f = "Random\r\nMBT_DATA\r\n" + std::to_string(rowMs) + "\r\n4\r\n4\r\n" + octave + "\r\n" + letter + "\r\n";
  const int density = std::uniform_int_distribution<int>(0, 3)(rng);
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c)
      f += std::uniform_int_distribution<int>(0, 9)(rng) < density * 2 ? "O" : "\xA5";
    f += "\r\n";
  }
  return f;
}

TEST(TraceCommand, ExamplesAgreeWithTheReference) {
  for (const char* name : {"sakura.mbt", "kirakira.mbt", "hotaru.mbt"}) {
    const std::string file = SourcePath(std::string("examples/") + name);
    for (const std::vector<std::string>& opts :
         {std::vector<std::string>{}, {"--stop-delay", "3", "--rows", "50"}, {"--program", "0", "--key-shift", "5"}}) {
      std::vector<std::string> args{"trace", file};
      args.insert(args.end(), opts.begin(), opts.end());
      std::string out, err;
      ASSERT_EQ(RunCli(args, out, err), kOk) << err;
      EXPECT_EQ(out, Reference(file, opts)) << name;
    }
  }
}

TEST(TraceCommand, RandomSongsAgreeWithTheReference) {
  TempDir dir;
  std::mt19937 rng(20261209);
  for (int i = 0; i < 30; ++i) {
    int rows = 0;
    const std::string file = dir.File("random" + std::to_string(i) + ".mbt");
    WriteBytes(file, RandomSong(rng, rows));
    std::vector<std::string> opts{"--rows", std::to_string(std::uniform_int_distribution<int>(0, 3 * rows)(rng)),
                                  "--stop-delay", std::to_string(std::uniform_int_distribution<int>(0, 2 * rows)(rng)),
                                  "--key-shift", std::to_string(std::uniform_int_distribution<int>(-40, 40)(rng)),
                                  "--program", std::to_string(std::uniform_int_distribution<int>(8, 12)(rng)),
                                  "--pan", std::to_string(std::uniform_int_distribution<int>(0, 127)(rng))};
    std::vector<std::string> args{"trace", file};
    args.insert(args.end(), opts.begin(), opts.end());
    std::string out, err;
    ASSERT_EQ(RunCli(args, out, err), kOk) << err;
    ASSERT_EQ(out, Reference(file, opts)) << "song " << i;
  }
}

TEST(TraceCommand, FormatAndUsage) {
  TempDir dir;
  WriteBytes(dir.File("one.mbt"), "One\r\nMBT_DATA\r\n750\r\n4\r\n4\r\n5\r\nC\r\nO\r\n");
  std::string out, err;
  ASSERT_EQ(RunCli({"trace", dir.File("one.mbt"), "--rows", "1"}, out, err), kOk);
  EXPECT_EQ(out,
            "0 C0 0A\n0 B0 0A 40\n0 B0 5B 28\n0 B0 5D 00\n0 B0 01 00\n750 90 3C 64\n750 reset\n"
            "750 B0 0A 40\n750 B0 5B 28\n750 B0 5D 00\n750 B0 01 00\n");
  EXPECT_EQ(RunCli({"trace"}, out, err), kUsage);
  EXPECT_EQ(RunCli({"trace", dir.File("one.mbt"), "--rows", "x"}, out, err), kUsage);
  EXPECT_EQ(RunCli({"trace", dir.File("one.mbt"), "--bogus"}, out, err), kUsage);
  EXPECT_EQ(RunCli({"trace", dir.File("missing.mbt")}, out, err), kFailed);
}

// RMS of a span of the left channel.
double Rms(const std::string& wav, double fromMs, double toMs) {
  const size_t header = 44;
  const int rate = 44100;
  const size_t a = static_cast<size_t>(fromMs * rate / 1000), b = static_cast<size_t>(toMs * rate / 1000);
  double sum = 0;
  size_t n = 0;
  for (size_t i = a; i < b; ++i) {
    const size_t at = header + i * 4;
    if (at + 1 >= wav.size()) break;
    const int16_t v = static_cast<int16_t>(static_cast<uint8_t>(wav[at]) | (static_cast<uint8_t>(wav[at + 1]) << 8));
    sum += static_cast<double>(v) * v;
    ++n;
  }
  return n ? std::sqrt(sum / n) : 0;
}

TEST(RenderCommand, NotesSoundAtTheirRowsAndTheTailRings) {
  TempDir dir;
  // Rows of 500 ms: row 1 sounds at 500 ms, row 3 at 1500 ms, then the tail.
  const std::string dot = "\xA5";
  WriteBytes(dir.File("two.mbt"), "Two\r\nMBT_DATA\r\n500\r\n4\r\n4\r\n5\r\nC\r\nO\r\n" + dot + "\r\nO\r\n");
  std::string out, err;
  ASSERT_EQ(RunCli({"render", dir.File("two.mbt"), dir.File("two.wav")}, out, err), kOk) << err;
  const std::string wav = ReadBytes(dir.File("two.wav"));
  ASSERT_GT(wav.size(), 44u);
  EXPECT_EQ(wav.substr(0, 4), "RIFF");
  EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
  // 1500 ms of song and 2000 ms of tail, stereo 16-bit at 44100 Hz.
  EXPECT_EQ(wav.size(), 44u + 3500u * 441u / 10u * 4u);
  EXPECT_LT(Rms(wav, 0, 490), 30);
  EXPECT_GT(Rms(wav, 505, 600), 300);
  EXPECT_GT(Rms(wav, 1505, 1600), Rms(wav, 1400, 1495) * 1.5);
  EXPECT_GT(Rms(wav, 2500, 2600), 10);  // still ringing in the tail

  EXPECT_EQ(RunCli({"render", dir.File("two.mbt"), dir.File("two.txt")}, out, err), kUsage);
  EXPECT_EQ(RunCli({"render", dir.File("two.mbt"), dir.File("x.wav"), "--soundfont", dir.File("none.sf2")}, out, err),
            kFailed);
}

// A row duration the reader takes (2147483647 ms) once made the whole WAV
// be built in memory and the command abort; now it is refused up front.
TEST(RenderCommand, WavPastTheFormatLimitIsRefused) {
  TempDir dir;
  WriteBytes(dir.File("long.mbt"), "Long\r\nMBT_DATA\r\n2147483647\r\n4\r\n4\r\n5\r\nC\r\nO\r\n");
  std::string out, err;
  EXPECT_EQ(RunCli({"render", dir.File("long.mbt"), dir.File("long.wav")}, out, err), kFailed);
  EXPECT_NE(err.find("4 GiB"), std::string::npos) << err;
  EXPECT_FALSE(std::filesystem::exists(dir.File("long.wav")));
}

TEST(RenderCommand, WavHeaderFields) {
  std::string w = WavBytes({1, -1, 2, -2}, 2, 44100);
  ASSERT_EQ(w.size(), 44u + 8u);
  EXPECT_EQ(static_cast<uint8_t>(w[22]), 2);                       // channels
  EXPECT_EQ(static_cast<uint8_t>(w[24]) | (static_cast<uint8_t>(w[25]) << 8), 44100 & 0xFFFF);
  EXPECT_EQ(static_cast<uint8_t>(w[34]), 16);                      // bits
  EXPECT_EQ(static_cast<uint8_t>(w[40]), 8);                       // data bytes
  EXPECT_EQ(static_cast<uint8_t>(w[46]), 0xFF);                    // -1
}

}  // namespace
}  // namespace poronka::cli
