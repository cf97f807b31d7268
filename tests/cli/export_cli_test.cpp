#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/cli.h"
#include "core/load_hooks.h"
#include "core/mbt.h"
#include "interchange/mfi_export.h"
#include "interchange/smf_export.h"
#include "support/test_support.h"

namespace poronka {
namespace {

struct RunResult {
  int rc;
  std::string out, err;
};

RunResult RunCli(const std::vector<std::string>& args) {
  std::ostringstream out, err;
  int rc = cli::Run(args, out, err);
  return {rc, out.str(), err.str()};
}

Score LoadExample(const std::string& name) {
  Score s;
  s.FileName = testing::SourcePath("examples/" + name);
  RecordingMessages msgs;
  LoadHooks hooks;
  EXPECT_EQ(ReadMbt(s, msgs, hooks), MbtLoad::Ok);
  return s;
}

TEST(ExportCli, MidiFileWithEverySoundOption) {
  testing::TempDir dir;
  std::string out = dir.File("song.MID");
  RunResult r = RunCli({"convert", testing::SourcePath("examples/sakura.mbt"), out, "--program",
                        "4", "--bank", "3", "--pan", "10", "--reverb", "90", "--chorus", "7",
                        "--modulation", "3", "--stop-delay", "2"});
  ASSERT_EQ(r.rc, cli::kOk) << r.err;
  EXPECT_EQ(r.err, "");
  Score s = LoadExample("sakura.mbt");
  SoundSettings settings;
  settings.Program = 4;
  settings.BankIndex = 3;
  settings.Pan = 10;
  settings.Reverb = 90;
  settings.Chorus = 7;
  settings.Modulation = 3;
  settings.StopDelayRows = 2;
  std::string file = testing::ReadBytes(out);
  EXPECT_EQ(file, BuildSmf(s, settings));
  // Bank select 24 of "24６０年代Ｅピアノ" before program change 4.
  EXPECT_NE(file.find(std::string("\x00\xB0\x00\x18\x00\xB0\x20\x00\x00\xC0\x04", 11)),
            std::string::npos);
}

TEST(ExportCli, BankIndexMustExistForTheProgram) {
  testing::TempDir dir;
  std::string out = dir.File("x.mid");
  RunResult r = RunCli({"convert", testing::SourcePath("examples/sakura.mbt"), out, "--bank", "1"});
  EXPECT_EQ(r.rc, cli::kUsage);  // the music box has no variations
  r = RunCli({"convert", testing::SourcePath("examples/sakura.mbt"), out, "--program", "4",
              "--bank", "6"});
  EXPECT_EQ(r.rc, cli::kUsage);
  r = RunCli({"convert", testing::SourcePath("examples/sakura.mbt"), out, "--program", "4",
              "--bank", "5"});
  EXPECT_EQ(r.rc, cli::kOk) << r.err;
}

TEST(ExportCli, MfiFileReportsOnStderrAndSucceeds) {
  testing::TempDir dir;
  std::string out = dir.File("song.mld");
  RunResult r = RunCli({"convert", testing::SourcePath("examples/hotaru.mbt"), out, "--date",
                        "20250102", "--program", "73", "--stop-delay", "1"});
  ASSERT_EQ(r.rc, cli::kOk) << r.err;
  Score s = LoadExample("hotaru.mbt");
  SoundSettings settings;
  settings.Program = 73;
  settings.StopDelayRows = 1;
  MfiFile f = BuildMfi(s, settings, "20250102");
  EXPECT_EQ(testing::ReadBytes(out), f.bytes);
  std::string expected = f.version2 ? kMfiVer2Saved : kMfiVer1Saved;
  if (f.rangeAdjusted) expected += kMfiRangeAdjusted;
  EXPECT_EQ(r.err, expected + "\n");
}

TEST(ExportCli, FailedSaveKeepsThePreviousFile) {
  testing::TempDir dir;
  RunResult r = RunCli({"convert", testing::SourcePath("examples/sakura.mbt"),
                        dir.File("none/x.mld")});
  EXPECT_EQ(r.rc, cli::kFailed);
  EXPECT_EQ(r.err, std::string(kMfiSaveError) + "\n");
  r = RunCli({"convert", testing::SourcePath("examples/sakura.mbt"), dir.File("none/x.mid")});
  EXPECT_EQ(r.rc, cli::kFailed);
  EXPECT_EQ(r.err, std::string(kSmfSaveError) + "\n");
}

}  // namespace
}  // namespace poronka
