#include "library/playlist_state.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <set>

namespace poronka {
namespace {

PlaylistState Filled(int n) {
  PlaylistState s;
  for (int i = 0; i < n; ++i) s.Append("/m/" + std::to_string(i) + ".mbt", "song" + std::to_string(i));
  return s;
}

TEST(PlaylistStateTest, MarkingAndUnmarking) {
  PlaylistState s = Filled(3);
  EXPECT_EQ(s.CurrentEntry(), -1);
  s.MarkFirstEntry();
  EXPECT_EQ(s.CurrentEntry(), 0);
  EXPECT_EQ(s.DisplayNames()[0], "＊song0");
  s.SetCurrent(2);
  EXPECT_EQ(s.DisplayNames()[0], "song0");
  EXPECT_EQ(s.DisplayNames()[2], "＊song2");
  // Marking twice does not add a second mark.
  s.MarkCurrent();
  EXPECT_EQ(s.DisplayNames()[2], "＊song2");
  s.SetCurrent(-1);
  EXPECT_EQ(s.DisplayNames()[2], "song2");
  EXPECT_EQ(s.CurrentEntry(), -1);
}

TEST(PlaylistStateTest, TitleHoldingTheMarkCharacterIsMarkedAndRestored) {
  PlaylistState s;
  s.Append("/a.mp3", "ab＊c");
  s.Append("/b.mp3", "＊star");
  s.SetCurrent(0);
  EXPECT_EQ(s.DisplayNames()[0], "＊ab＊c");
  s.SetCurrent(1);
  EXPECT_EQ(s.DisplayNames()[0], "ab＊c");
  EXPECT_EQ(s.DisplayNames()[1], "＊＊star");
  s.SetCurrent(0);
  EXPECT_EQ(s.DisplayNames()[1], "＊star");
}

TEST(PlaylistStateTest, LongNameLosesItsTailAfterMarkAndUnmark) {
  std::string name;
  for (int i = 0; i < 120; ++i) name += "あ";  // 120 characters, 3 bytes each
  PlaylistState s;
  s.Append("/x.mp3", name);
  s.Append("/y.mp3", "y");
  s.SetCurrent(0);
  s.SetCurrent(1);
  std::string expected;
  for (int i = 0; i < kUnmarkedNameMax; ++i) expected += "あ";
  EXPECT_EQ(s.DisplayNames()[0], expected);
  EXPECT_EQ(UnmarkedName("＊short"), "short");
  EXPECT_EQ(UnmarkedName(""), "");
}

TEST(PlaylistStateTest, DeleteKeepsTheMarkOnTheSameSong) {
  PlaylistState s = Filled(4);
  s.SetCurrent(2);
  // Above the current entry.
  EXPECT_EQ(s.Delete(0), 0);
  EXPECT_EQ(s.CurrentEntry(), 1);
  EXPECT_EQ(s.DisplayNames()[1], "＊song2");
  EXPECT_EQ(s.PlaylistPaths()[1], "/m/2.mbt");
  // Below it: nothing moves.
  EXPECT_EQ(s.Delete(2), 1);  // the last one: select the one before
  EXPECT_EQ(s.CurrentEntry(), 1);
  // The current entry itself: the one before becomes current (unmarked).
  EXPECT_EQ(s.Delete(1), 0);
  EXPECT_EQ(s.CurrentEntry(), 0);
  EXPECT_EQ(s.DisplayNames(), std::vector<std::string>{"song1"});
  EXPECT_EQ(s.Delete(0), -1);
  EXPECT_EQ(s.CurrentEntry(), -1);
  EXPECT_EQ(s.Delete(0), -1);  // out of range: nothing
  EXPECT_EQ(s.Delete(-1), -1);
}

TEST(PlaylistStateTest, DeletingTheFirstEntryWhenCurrentLeavesNone) {
  PlaylistState s = Filled(2);
  s.SetCurrent(0);
  s.Delete(0);
  EXPECT_EQ(s.CurrentEntry(), -1);
  EXPECT_EQ(s.DisplayNames()[0], "song1");
}

TEST(PlaylistStateTest, UpAndDownMoveTheCurrentEntryWithIt) {
  PlaylistState s = Filled(3);
  s.SetCurrent(1);
  EXPECT_EQ(s.MoveUp(1), 0);
  EXPECT_EQ(s.CurrentEntry(), 0);
  EXPECT_EQ(s.DisplayNames()[0], "＊song1");
  EXPECT_EQ(s.MoveUp(0), -1);
  EXPECT_EQ(s.MoveDown(1), 2);  // song0 passes below song2
  EXPECT_EQ(s.CurrentEntry(), 0);
  EXPECT_EQ(s.PlaylistPaths(), (std::vector<std::string>{"/m/1.mbt", "/m/2.mbt", "/m/0.mbt"}));
  EXPECT_EQ(s.MoveDown(0), 1);  // the current entry moves down
  EXPECT_EQ(s.CurrentEntry(), 1);
  EXPECT_EQ(s.MoveDown(2), -1);
  EXPECT_EQ(s.MoveDown(-1), -1);
}

TEST(PlaylistStateTest, ClearEmptiesEverything) {
  PlaylistState s = Filled(3);
  s.SetCurrent(1);
  EXPECT_TRUE(s.Clear());
  EXPECT_EQ(s.Count(), 0);
  EXPECT_EQ(s.CurrentEntry(), -1);
  EXPECT_FALSE(s.Clear());
}

TEST(PlaylistStateTest, ShuffleWithFewerThanThreeEntriesDoesNothing) {
  PlaylistState s = Filled(2);
  int draws = 0;
  s.Shuffle([&](int) { ++draws; return 0; });
  EXPECT_EQ(draws, 0);
  EXPECT_EQ(s.PlaylistPaths()[0], "/m/0.mbt");
}

TEST(PlaylistStateTest, ShuffleMovesDrawnEntriesToTheEndAndFollowsTheCurrentOne) {
  PlaylistState s = Filled(4);
  s.SetCurrent(1);
  std::vector<int> ranges;
  // Always draw the first entry: the order rotates by count - 1.
  s.Shuffle([&](int n) { ranges.push_back(n); return 0; });
  EXPECT_EQ(ranges, (std::vector<int>{4, 3, 2}));
  EXPECT_EQ(s.PlaylistPaths(), (std::vector<std::string>{"/m/3.mbt", "/m/0.mbt", "/m/1.mbt", "/m/2.mbt"}));
  EXPECT_EQ(s.CurrentEntry(), 2);
  EXPECT_EQ(s.DisplayNames()[2], "＊song1");
}

TEST(PlaylistStateTest, EveryOrderOfThreeCanOccur) {
  std::set<std::vector<std::string>> orders;
  for (int a = 0; a < 3; ++a) {
    for (int b = 0; b < 2; ++b) {
      PlaylistState s = Filled(3);
      std::vector<int> draws{a, b};
      size_t k = 0;
      s.Shuffle([&](int) { return draws[k++]; });
      orders.insert(s.PlaylistPaths());
    }
  }
  EXPECT_EQ(orders.size(), 6u);
}

// The shuffle moves drawn entries to the end as if one at a time.
TEST(PlaylistStateTest, ShuffleOrderFollowsTheDraws) {
  std::mt19937 rng(5);
  for (int count : {3, 7, 64}) {
    PlaylistState s = Filled(count);
    s.SetCurrent(count / 2);
    std::vector<std::string> expected = s.PlaylistPaths();
    s.Shuffle([&](int n) {
      const int d = std::uniform_int_distribution<int>(0, n - 1)(rng);
      const std::string moved = expected[static_cast<size_t>(d)];
      expected.erase(expected.begin() + d);
      expected.push_back(moved);
      return d;
    });
    EXPECT_EQ(s.PlaylistPaths(), expected);
    EXPECT_EQ(s.PlaylistPaths()[static_cast<size_t>(s.CurrentEntry())], "/m/" + std::to_string(count / 2) + ".mbt");
  }
}

TEST(PlaylistStateTest, ClockShuffleKeepsEveryEntry) {
  PlaylistState s = Filled(20);
  s.SetCurrent(7);
  s.Shuffle();
  std::vector<std::string> p = s.PlaylistPaths();
  std::sort(p.begin(), p.end());
  std::vector<std::string> q = Filled(20).PlaylistPaths();
  std::sort(q.begin(), q.end());
  EXPECT_EQ(p, q);
  ASSERT_GE(s.CurrentEntry(), 0);
  EXPECT_EQ(s.PlaylistPaths()[s.CurrentEntry()], "/m/7.mbt");
  EXPECT_EQ(s.DisplayNames()[s.CurrentEntry()], "＊song7");
}

TEST(PlaylistStateTest, MoveCurrentMarkerScrollsOnlyWhenOutOfView) {
  PlaylistState s = Filled(40);
  s.SetTopIndex(10);
  s.MoveCurrentMarker(15);  // inside T..T+10
  EXPECT_EQ(s.TopIndex(), 10);
  s.MoveCurrentMarker(20);  // T + 10 still stays
  EXPECT_EQ(s.TopIndex(), 10);
  s.MoveCurrentMarker(21);  // below: top = n - 4
  EXPECT_EQ(s.TopIndex(), 17);
  EXPECT_EQ(s.DisplayNames()[20], "song20");
  EXPECT_EQ(s.DisplayNames()[21], "＊song21");
  s.MoveCurrentMarker(16);  // above
  EXPECT_EQ(s.TopIndex(), 12);
  s.MoveCurrentMarker(4);  // n - 4 = 0, below 1
  EXPECT_EQ(s.TopIndex(), 0);
  s.SetTopIndex(3);
  s.MoveCurrentMarker(0);  // wrap-around to the first entry
  EXPECT_EQ(s.TopIndex(), 0);
  EXPECT_EQ(s.CurrentEntry(), 0);
}

TEST(PlaylistStateTest, ListenersHearEveryChange) {
  PlaylistState s;
  int calls = 0;
  int id = s.AddListener([&] { ++calls; });
  s.Append("/a.mid", "a");
  s.Append("/b.mid", "b");
  s.MoveCurrentMarker(1);
  s.MoveUp(1);
  EXPECT_EQ(calls, 4);
  s.RemoveListener(id);
  s.Clear();
  EXPECT_EQ(calls, 4);
}

}  // namespace
}  // namespace poronka
