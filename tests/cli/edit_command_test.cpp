#include "cli/edit_command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "core/mbt.h"
#include "support/test_support.h"

namespace poronka::cli {
namespace {

struct EditResult {
  int rc;
  std::string out;
  std::string err;
};

EditResult Edit(std::vector<std::string> args) {
  args.insert(args.begin(), "edit");
  std::ostringstream out, err;
  int rc = Run(args, out, err);
  return {rc, out.str(), err.str()};
}

// The usage printed without a command names every command and every edit
// operation, with the operation's argument form.
TEST(Usage, ListsEveryCommandAndEditOperation) {
  std::ostringstream out, err;
  EXPECT_EQ(cli::Run({}, out, err), kUsage);
  const std::string usage = err.str();
  for (const char* name : {"convert", "dump"})
    EXPECT_NE(usage.find(std::string("poronka-cli ") + name + " "), std::string::npos) << name;
  int commands = 0;
  for (const Command* c = FirstCommand(); c; c = c->next, ++commands)
    EXPECT_NE(usage.find(std::string("poronka-cli ") + c->name), std::string::npos) << c->name;
  EXPECT_GE(commands, 7);
  for (const EditOp* op = FirstEditOp(); op; op = op->next) EXPECT_NE(usage.find(op->syntax), std::string::npos) << op->name;
  EXPECT_NE(usage.find("toggle=R,C"), std::string::npos);
}

class EditCommand : public ::testing::Test {
 protected:
  void SetUp() override {
    Score s;
    MakeNewSong(s);
    s.RowCount = 8;
    s.RowNotes.assign(9, RowSlots{});
    s.RowNotes[2] = RowFromColumns({13, 17});
    s.BarAdjust.assign(4, 0);
    input = dir.File("in.mbt");
    poronka::testing::WriteBytes(input, MbtBytes(s));
  }
  poronka::testing::TempDir dir;
  std::string input;
};

TEST_F(EditCommand, ToggleCopyPasteUndoRedoDump) {
  EditResult r = Edit({input, "--op", "toggle=1,1", "--op", "copy=1,1,2,17", "--op", "paste=5,1",
                       "--op", "undo", "--op", "redo"});
  ASSERT_EQ(r.rc, kOk) << r.err;
  EXPECT_NE(r.out.find("\"RowNotes\":[[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],"
                       "[1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],"
                       "[13,17,0,0,0,0,0,0,0,0,0,0,0,0,0,0],"),
            std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("[1,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],[13,17,0,0,0,0,0,0,0,0,0,0,0,0,0,0],"
                       "[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0],[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0]]"),
            std::string::npos)
      << r.out;
}

TEST_F(EditCommand, UsageErrorsAndSave) {
  EXPECT_EQ(Edit({input, "--op", "toggle=10,1"}).rc, kUsage);  // past the spare row
  EXPECT_EQ(Edit({input, "--op", "toggle=9,1"}).rc, kOk);      // the spare row
  EXPECT_EQ(Edit({input, "--op", "toggle=1,37"}).rc, kUsage);
  EXPECT_EQ(Edit({input, "--op", "info=12345;4;4;0;x"}).rc, kUsage);
  EXPECT_EQ(Edit({input, "--op", "info=750;4;123;0;x"}).rc, kUsage);
  EXPECT_EQ(Edit({input, "--op", "frobnicate"}).rc, kUsage);
  EXPECT_EQ(Edit({input}).rc, kUsage);
  EXPECT_EQ(Edit({dir.File("missing.mbt"), "--op", "undo"}).rc, kFailed);

  const std::string out = dir.File("out.mbt");
  EditResult r = Edit({input, out, "--op", "info=751;4;8;2;A\\nB"});
  ASSERT_EQ(r.rc, kOk) << r.err;
  Score s;
  s.FileName = out;
  RecordingMessages m;
  LoadHooks hooks;
  ASSERT_EQ(ReadMbt(s, m, hooks), MbtLoad::Ok);
  EXPECT_EQ(s.Title, "A\r\nB");
  EXPECT_EQ(s.HalfPeriod, 375);
  EXPECT_EQ(s.NoteValue, 8);
  EXPECT_EQ(s.PreRows, 2);
}

TEST_F(EditCommand, RefusedInfoKeepsTheScoreAndReportsTheMessage) {
  EditResult r = Edit({input, "--op", "info=750;4;4;4;x"});
  ASSERT_EQ(r.rc, kOk);
  EXPECT_NE(r.out.find("\"Messages\":[\"開始前行数は小節行数より小さくしてください。\"]"), std::string::npos)
      << r.out;
  EXPECT_NE(r.out.find("\"PreRows\":0"), std::string::npos);
  // New asks nothing aloud and shows sharps again.
  r = Edit({input, "--flats", "--op", "toggle=1,1", "--op", "new"});
  ASSERT_EQ(r.rc, kOk);
  EXPECT_NE(r.out.find("\"RowCount\":300"), std::string::npos);
  EXPECT_NE(r.out.find("\"Messages\":[]"), std::string::npos) << r.out;
}

}  // namespace
}  // namespace poronka::cli
