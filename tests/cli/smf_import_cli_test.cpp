#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "interchange/smf_builder.h"
#include "interchange/smf_import.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::SmfFile;
using testing::TrackBuilder;

struct RunResult {
  int rc;
  std::string out, err;
};

RunResult RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int rc = cli::Run(args, out, err);
  return {rc, out.str(), err.str()};
}

std::string Field(const std::string& json, const std::string& key) {
  size_t at = json.find("\"" + key + "\":");
  if (at == std::string::npos) return "";
  at += key.size() + 3;
  size_t end = json.find_first_of(",}", at);
  return json.substr(at, end - at);
}

class SmfImportCli : public ::testing::Test {
 protected:
  SmfImportCli() {
    TrackBuilder t;
    t.Meta(0, 0x03, "low song").NoteOn(0, 1, 48).NoteOn(120, 1, 72).NoteOn(120, 10, 40);
    t.EndOfTrack(120);
    path = dir.File("low.MID");
    testing::WriteBytes(path, SmfFile(0, 480, {t}));
  }
  testing::TempDir dir;
  std::string path;
};

TEST_F(SmfImportCli, DumpShowsTheImportAndItsKeyShift) {
  RunResult r = RunCli({"dump", path});
  ASSERT_EQ(r.rc, cli::kOk) << r.err;
  EXPECT_EQ(Field(r.out, "KeyShift"), "18");
  EXPECT_EQ(Field(r.out, "ColumnCount"), "2");
  EXPECT_EQ(Field(r.out, "Title"), "\"low song\"");
  EXPECT_TRUE(r.err.empty());

  r = RunCli({"dump", path, "--no-pitch-adjust"});
  ASSERT_EQ(r.rc, cli::kOk);
  EXPECT_EQ(Field(r.out, "KeyShift"), "0");

  // Channel 10 only: the one percussion note, key 40 (average 40: +24).
  r = RunCli({"dump", path, "--channels", "10"});
  ASSERT_EQ(r.rc, cli::kOk);
  EXPECT_EQ(Field(r.out, "ColumnCount"), "1");
  EXPECT_EQ(Field(r.out, "KeyShift"), "24");
}

TEST_F(SmfImportCli, RefusedFilesExitWithStatus1AndTheMessage) {
  RunResult r = RunCli({"dump", path, "--channels", "2-9"});
  EXPECT_EQ(r.rc, cli::kFailed);
  EXPECT_EQ(r.err, std::string(kSmfNoNotesMessage) + "\n");
  EXPECT_TRUE(r.out.empty());

  std::string bad = dir.File("bad.mid");
  testing::WriteBytes(bad, "RIFF....");
  r = RunCli({"convert", bad, dir.File("out.mbt")});
  EXPECT_EQ(r.rc, cli::kFailed);
  EXPECT_EQ(r.err, std::string(kSmfNotStandardMessage) + "\n");
  EXPECT_FALSE(std::filesystem::exists(dir.File("out.mbt")));
}

TEST_F(SmfImportCli, ConvertWritesTheImportedScore) {
  std::string out = dir.File("low.mbt");
  RunResult r = RunCli({"convert", path, out});
  ASSERT_EQ(r.rc, cli::kOk) << r.err;
  RunResult again = RunCli({"dump", out});
  ASSERT_EQ(again.rc, cli::kOk);
  EXPECT_EQ(Field(again.out, "ColumnCount"), "2");
  EXPECT_EQ(Field(again.out, "NoteValue"), "16");
}

// Runs a command and returns its standard output.
bool Capture(const std::string& command, std::string& out) {
  FILE* p = popen(command.c_str(), "r");
  if (!p) return false;
  char buf[65536];
  size_t n;
  out.clear();
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  return pclose(p) == 0;
}

std::string Python() {
  return std::filesystem::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3";
}

// The dump agrees with a second, plain reading of the files (smf_reference.py)
// on generated files and, where installed, on MIDI files written by others.
TEST(SmfImportReference, DumpAgreesWithTheReferenceReading) {
  const std::string ref = testing::SourcePath("tests/cli/smf_reference.py");
  testing::TempDir dir;
  std::string ignored;
  if (!Capture(Python() + " " + ref + " --generate " + dir.path() + " 80 11", ignored))
    GTEST_SKIP() << "python3 is not available";
  std::vector<std::string> files;
  for (const auto& e : std::filesystem::directory_iterator(dir.path())) files.push_back(e.path());
  const char* realFolder = "/usr/share/games/openttd/baseset/openmsx";
  if (std::filesystem::exists(realFolder))
    for (const auto& e : std::filesystem::directory_iterator(realFolder))
      if (e.path().extension() == ".mid") files.push_back(e.path());
  ASSERT_GE(files.size(), 80u);
  const std::vector<std::vector<std::string>> optionSets = {
      {}, {"--channels", "1-16", "--no-pitch-adjust"}, {"--channels", "2,10"}};
  // One reference run over every file and option set.
  std::string list;
  std::vector<std::vector<std::string>> cases;
  for (const auto& f : files) {
    for (const auto& opts : optionSets) {
      std::vector<std::string> args = {"dump", f};
      list += f + "\t";
      for (const auto& o : opts) {
        list += o + " ";
        args.push_back(o);
      }
      list += "\n";
      cases.push_back(args);
    }
  }
  testing::WriteBytes(dir.File("cases.txt"), list);
  std::string answers;
  ASSERT_TRUE(Capture(Python() + " " + ref + " --batch < " + dir.File("cases.txt"), answers));
  std::istringstream lines(answers);
  int compared = 0;
  for (const auto& args : cases) {
    std::string expected;
    ASSERT_TRUE(std::getline(lines, expected)) << args[1];
    RunResult r = RunCli(args);
    if (expected.rfind("{\"fail\":", 0) == 0) {
      EXPECT_EQ(r.rc, cli::kFailed) << args[1];
      ASSERT_FALSE(r.err.empty());
      EXPECT_NE(expected.find(r.err.substr(0, r.err.size() - 1)), std::string::npos) << args[1];
    } else {
      ASSERT_EQ(r.rc, cli::kOk) << args[1] << " " << r.err;
      r.out.pop_back();
      EXPECT_EQ(r.out, expected) << args[1] << " " << (args.size() > 2 ? args[2] : "");
      ++compared;
    }
  }
  EXPECT_GT(compared, 150);
}

}  // namespace
}  // namespace poronka
