#include <gtest/gtest.h>

#include <set>
#include <string>

#include "settings/gs_variations.h"
#include "settings/sound_settings.h"

namespace poronka {
namespace {

TEST(GsVariations, TableSizeAndProgramsWithoutVariations) {
  EXPECT_EQ(VariationProgramCount(), 75);
  EXPECT_EQ(VariationEntryCount(), 310);
  const std::set<int> none = {7,  8,  9,  10, 13, 20, 23, 29, 32,  37,  41,  42,  43, 45,
                              46, 47, 51, 53, 59, 64, 67, 68, 69,  70,  72,  73,  74, 76,
                              77, 78, 79, 83, 85, 92, 94, 100, 108, 109, 110, 114};
  ASSERT_EQ(none.size(), 40u);
  for (int p = 0; p < kInstrumentCount; ++p)
    EXPECT_EQ(HasVariations(p), none.count(p) == 0) << "program " << p;
  EXPECT_FALSE(HasVariations(-1));
  EXPECT_FALSE(HasVariations(115));
  EXPECT_TRUE(VariationsOf(127).empty());
}

TEST(GsVariations, EveryListStartsWithTheCapitalToneAndAscends) {
  const std::set<int> allowed = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 16, 17, 18, 19, 24, 25, 26, 32, 33, 40};
  for (int p = 0; p < kInstrumentCount; ++p) {
    auto list = VariationsOf(p);
    if (list.empty()) continue;
    std::string capital = "00" + std::string(InstrumentName(p));
    if (p == 88) capital = "00ファンタジア";
    if (p == 91) capital = "00スペースボイス";
    if (p == 96) capital = "00アイスレイン";
    EXPECT_EQ(list[0], capital) << "program " << p;
    int previous = -1;
    for (auto e : list) {
      int n = VariationNumber(e);
      EXPECT_GT(n, previous) << e;
      EXPECT_TRUE(allowed.count(n)) << e;
      previous = n;
    }
  }
}

TEST(GsVariations, SpacesInNamesAreKeptExactly) {
  auto ep = VariationsOf(4);
  ASSERT_EQ(ep.size(), 6u);
  EXPECT_EQ(ep[2], "16ＦＭ＋ＳＡ\u3000ＥＰ");
  EXPECT_EQ(ep[3], "24６０年代Ｅピアノ");
  EXPECT_EQ(VariationsOf(90)[1], "01８０'s\u3000ポリシンセ");
  EXPECT_EQ(VariationsOf(101)[2], "02５０'S Ｓｃｉ-Ｆｉ");
  EXPECT_EQ(VariationsOf(5)[2], "16Ｓｔ ＦＭ ＥＰ");
  EXPECT_EQ(VariationsOf(16)[9], "33イーブン バー");
}

TEST(GsVariations, StringsListInOrder) {
  auto list = VariationsOf(48);
  ASSERT_EQ(list.size(), 8u);
  EXPECT_EQ(list.front(), "00ストリングス");
  EXPECT_EQ(list.back(), "24ベロストリングス");
  EXPECT_EQ(VariationsOf(98).size(), 14u);
  EXPECT_EQ(VariationsOf(16).back(), "40オルガンバス");
}

TEST(GsVariations, NumberAndNameOfAnEntry) {
  EXPECT_EQ(VariationNumber("24６０年代Ｅピアノ"), 24);
  EXPECT_EQ(VariationNumber("02５０'S Ｓｃｉ-Ｆｉ"), 2);
  EXPECT_EQ(VariationNumber("x"), 0);
  EXPECT_EQ(VariationName("24６０年代Ｅピアノ"), "６０年代Ｅピアノ");
  EXPECT_EQ(VariationName("02５０'S Ｓｃｉ-Ｆｉ"), "５０'S Ｓｃｉ-Ｆｉ");
  // Thirty characters at most, counted as characters, not bytes.
  std::string longName = "01";
  for (int i = 0; i < 35; ++i) longName += "あ";
  std::string thirty;
  for (int i = 0; i < 30; ++i) thirty += "あ";
  EXPECT_EQ(VariationName(longName), thirty);
}

TEST(GsVariations, BankNumberOfAChoice) {
  EXPECT_EQ(BankNumberOf(4, 3), 24);
  EXPECT_EQ(BankNumberOf(101, 2), 2);
  EXPECT_EQ(BankNumberOf(16, 10), 40);
  EXPECT_EQ(BankNumberOf(4, 0), 0);    // capital tone
  EXPECT_EQ(BankNumberOf(10, -1), 0);  // no list
  EXPECT_EQ(BankNumberOf(10, 3), 0);   // index without a list
  EXPECT_EQ(BankNumberOf(4, 6), 0);    // past the end
}

TEST(GsVariations, InstrumentNames) {
  EXPECT_EQ(InstrumentName(0), "グランドピアノ");
  EXPECT_EQ(InstrumentName(10), "オルゴール");
  EXPECT_EQ(InstrumentName(114), "スチールドラム");
  EXPECT_EQ(InstrumentName(115), "");
  EXPECT_EQ(InstrumentName(-1), "");
}

}  // namespace
}  // namespace poronka
