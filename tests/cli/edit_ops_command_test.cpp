// `poronka-cli edit` with the row, bar, resolution and pitch operations.
#include <gtest/gtest.h>

#include <sstream>

#include "cli/cli.h"
#include "core/mbt.h"
#include "support/test_support.h"

namespace poronka::cli {
namespace {

class EditOps : public ::testing::Test {
 protected:
  void SetUp() override {
    Score s;
    MakeNewSong(s);
    s.RowNotes[300] = RowFromColumns({36});
    s.RowNotes[5] = RowFromColumns({1, 13});
    s.MaxSlot = 1;
    s.FileName = dir.File("new.mbt");
    RecordingMessages m;
    ASSERT_TRUE(WriteMbt(s, m));
    input = s.FileName;
  }
  // Runs edit with the operations; returns the exit status.
  int Edit(std::vector<std::string> ops) {
    std::vector<std::string> args{"edit", input};
    for (auto& op : ops) {
      args.push_back("--op");
      args.push_back(op);
    }
    out.str("");
    err.str("");
    return cli::Run(args, out, err);
  }
  bool Has(const std::string& text) const { return out.str().find(text) != std::string::npos; }

  poronka::testing::TempDir dir;
  std::string input;
  std::ostringstream out, err;
};

TEST_F(EditOps, RowsBarsAndResolution) {
  ASSERT_EQ(Edit({"insert-bar=301"}), kOk) << err.str();
  EXPECT_TRUE(Has("\"RowCount\":304,"));
  ASSERT_EQ(Edit({"delete-rows=3,6", "resolution=x2,1"}), kOk) << err.str();
  EXPECT_TRUE(Has("\"RowCount\":592,"));
  EXPECT_TRUE(Has("\"HalfPeriod\":187,"));
  EXPECT_TRUE(Has("\"RowsPerBar\":8,"));
  ASSERT_EQ(Edit({"resolution=/3,1"}), kOk);
  EXPECT_TRUE(Has("4行／小節なので、３分の１に出来ません。"));
  ASSERT_EQ(Edit({"bar-length=1,2"}), kOk) << err.str();
  EXPECT_TRUE(Has("\"BarAdjust\":[0,2,"));
}

TEST_F(EditOps, PitchColumns) {
  ASSERT_EQ(Edit({"add-high", "insert-pitch=6A", "insert-pitch=3B"}), kOk) << err.str();
  EXPECT_TRUE(Has("\"ColumnCount\":49,"));
  EXPECT_TRUE(Has("この音（6A）は既に存在します"));
  ASSERT_EQ(Edit({"cleanup"}), kOk);
  EXPECT_TRUE(Has("\"ColumnCount\":3,"));
  EXPECT_TRUE(Has("33個の音を削除しました。"));
  ASSERT_EQ(Edit({"delete-pitches=2,36", "transpose=+24"}), kOk) << err.str();
  EXPECT_TRUE(Has("\"ColumnPitch\":[0,72]"));
}

TEST_F(EditOps, TextsTheBoxesCannotHoldAreUsageErrors) {
  EXPECT_EQ(Edit({"transpose=3"}), kUsage);
  EXPECT_EQ(Edit({"transpose=+24", "transpose=+13"}), kUsage);  // 107 is the top now
  EXPECT_EQ(Edit({"transpose=+24", "transpose=+12"}), kOk);
  EXPECT_EQ(Edit({"insert-pitch=x1"}), kUsage);
  EXPECT_EQ(Edit({"insert-pitch=6"}), kUsage);
  EXPECT_EQ(Edit({"bar-length=1,abc"}), kUsage);
  EXPECT_EQ(Edit({"bar-length=1,-100"}), kUsage);
  EXPECT_EQ(Edit({"insert-row=302"}), kUsage);
  EXPECT_EQ(Edit({"delete-rows=0,3"}), kUsage);
  EXPECT_EQ(Edit({"delete-pitches=1,37"}), kUsage);
  EXPECT_EQ(Edit({"resolution=x4,1"}), kUsage);
  EXPECT_EQ(Edit({"cleanup=1"}), kUsage);
}

}  // namespace
}  // namespace poronka::cli
