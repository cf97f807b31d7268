#include "library/playlist.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "core/text_codec.h"
#include "library/media_title.h"
#include "library/navigation.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::TempDir;
using testing::WriteBytes;
using testing::ReadBytes;

class FakeHost : public PlaylistHost {
 public:
  std::string FileName() const override { return fileName; }
  void SetFileName(const std::string& p) override { fileName = p; }
  bool Modified() const override { return modified; }
  bool NoMidConversion() const override { return noMid; }
  bool DataError() const override { return title == kDataErrorTitle; }
  void SetHoldSong(bool on) override {
    holdSong = on;
    if (on) ++holdCount;
  }
  void LoadFirstPlaylistEntry() override {
    ++firstLoads;
    state->MarkFirstEntry();
    fileName = state->PlaylistPaths()[0];
  }
  void PlayEntry(int n) override { played.push_back(n); }

  PlaylistState* state = nullptr;
  std::string fileName;
  bool modified = false;
  bool noMid = false;
  std::string title = "曲";
  bool holdSong = false;
  int holdCount = 0;
  int firstLoads = 0;
  std::vector<int> played;
};

struct Fixture {
  Fixture() : playlist(state, msgs, host) { host.state = &state; }
  PlaylistState state;
  RecordingMessages msgs;
  FakeHost host;
  Playlist playlist;
  TempDir dir;
};

TEST(PlaylistFileTest, WritesHeaderAndPathsInCodePage932WithCrLf) {
  std::string bytes = PlaylistFileBytes({"/曲/a.mbt", "/b.mp3"});
  EXPECT_EQ(bytes, Utf8ToCp932("ポロンカのプレイリスト\r\n/曲/a.mbt\r\n/b.mp3\r\n"));
  EXPECT_EQ(PlaylistFileBytes({}), Utf8ToCp932("ポロンカのプレイリスト\r\n"));
}

TEST(PlaylistFileTest, PathsOutsideTheCodePageAreKeptAsUtf8) {
  std::string bytes = PlaylistFileBytes({"/música/a.mp3"});
  EXPECT_EQ(bytes, "\xEF\xBB\xBF" "ポロンカのプレイリスト\r\n/música/a.mp3\r\n");
  TempDir dir;
  WriteBytes(dir.File("l.pkl"), bytes);
  auto paths = ReadPlaylistFile(dir.File("l.pkl"));
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, std::vector<std::string>{"/música/a.mp3"});
}

TEST(PlaylistFileTest, ReadsBothHeadersAllLineEndsAndByteOrderMarks) {
  TempDir dir;
  struct Case {
    std::string bytes;
    std::vector<std::string> paths;
  } cases[] = {
      {Utf8ToCp932("ポロンカのプレイリスト\r\n/a/曲.mbt\r\n/b.mid\r\n"), {"/a/曲.mbt", "/b.mid"}},
      {"This is PlayListFile for ZARQ2\n/a.mbt\n/b.mid", {"/a.mbt", "/b.mid"}},
      {Utf8ToCp932("ポロンカのプレイリスト\r/a.mbt\r/b.mid\r"), {"/a.mbt", "/b.mid"}},
      {"\xEF\xBB\xBF" "ポロンカのプレイリスト\n/曲.mp3\r\n", {"/曲.mp3"}},
      {Utf8ToCp932("ポロンカのプレイリスト"), {}},  // header alone, no line end
  };
  for (const auto& c : cases) {
    WriteBytes(dir.File("l.pkl"), c.bytes);
    auto paths = ReadPlaylistFile(dir.File("l.pkl"));
    ASSERT_TRUE(paths) << c.bytes;
    EXPECT_EQ(*paths, c.paths);
  }
  // UTF-16, both byte orders.
  std::u16string text = u"ポロンカのプレイリスト\r\n/曲.mid\r\n";
  std::string le = "\xFF\xFE", be = "\xFE\xFF";
  for (char16_t u : text) {
    le += static_cast<char>(u & 0xFF);
    le += static_cast<char>(u >> 8);
    be += static_cast<char>(u >> 8);
    be += static_cast<char>(u & 0xFF);
  }
  for (const auto& bytes : {le, be}) {
    WriteBytes(dir.File("u.mbl"), bytes);
    auto paths = ReadPlaylistFile(dir.File("u.mbl"));
    ASSERT_TRUE(paths);
    EXPECT_EQ(*paths, std::vector<std::string>{"/曲.mid"});
  }
}

TEST(PlaylistFileTest, HeaderMustMatchExactly) {
  TempDir dir;
  for (const std::string bytes : {std::string(""), std::string("\r\n/a.mbt\r\n"),
                                  std::string("This is PlayListFile for ZARQ2 \r\n/a.mbt\r\n"),
                                  std::string(" ") + Utf8ToCp932("ポロンカのプレイリスト"), std::string("\x00\x01\xFF", 3)}) {
    WriteBytes(dir.File("l.pkl"), bytes);
    EXPECT_FALSE(ReadPlaylistFile(dir.File("l.pkl")));
  }
  EXPECT_FALSE(ReadPlaylistFile(dir.File("missing.pkl")));
}

TEST(PlaylistFileTest, PipesDevicesAndFoldersAreNotRead) {
  TempDir dir;
  ASSERT_EQ(::mkfifo(dir.File("pipe.pkl").c_str(), 0600), 0);
  ASSERT_EQ(::mkfifo(dir.File("pipe.mbt").c_str(), 0600), 0);
  ASSERT_EQ(::symlink("/dev/zero", dir.File("zero.pkl").c_str()), 0);
  ASSERT_EQ(::mkdir(dir.File("folder.mbt").c_str(), 0700), 0);
  EXPECT_FALSE(ReadPlaylistFile(dir.File("pipe.pkl")));
  EXPECT_FALSE(ReadPlaylistFile(dir.File("zero.pkl")));
  EXPECT_FALSE(DisplayNameOf(dir.File("pipe.mbt"), {}));
  EXPECT_FALSE(DisplayNameOf(dir.File("folder.mbt"), {}));
}

TEST(PlaylistDisplayNameTest, FallbacksAndScoreFirstLine) {
  TempDir dir;
  auto noTitle = [](const std::string&) { return std::string(); };
  EXPECT_EQ(*DisplayNameOf("/media/cd/Track01.CDA", noTitle), "ＣＤオーディオ");
  EXPECT_EQ(*DisplayNameOf("/dvd/VIDEO_TS/VTS_01_1.Vob", noTitle), "ＤＶＤビデオ");
  EXPECT_EQ(*DisplayNameOf("/music/song.ogg", noTitle), "song.ogg");
  EXPECT_EQ(*DisplayNameOf("/music/x.mp3", [](const std::string&) { return std::string("題"); }), "題");
  EXPECT_FALSE(DisplayNameOf("/music/x.mid", [](const std::string&) { return std::string(kTitleErrorMarker); }));

  WriteBytes(dir.File("a.mbt"), Utf8ToCp932("星に願いを\r\n4\r\n"));
  EXPECT_EQ(*DisplayNameOf(dir.File("a.mbt"), noTitle), "星に願いを");
  WriteBytes(dir.File("b.MBT"), "\r\n4\r\n");  // empty first line: the file name
  EXPECT_EQ(*DisplayNameOf(dir.File("b.MBT"), noTitle), "b.MBT");
  WriteBytes(dir.File("c.mbt"), "");  // empty file: a reading error
  EXPECT_FALSE(DisplayNameOf(dir.File("c.mbt"), noTitle));
  EXPECT_FALSE(DisplayNameOf(dir.File("missing.mbt"), noTitle));
}

TEST(PlaylistTest, AddFileReportsErrorsOnlyWhenAsked) {
  Fixture f;
  EXPECT_FALSE(f.playlist.AddFile(f.dir.File("gone.mbt"), false));
  EXPECT_TRUE(f.msgs.entries.empty());
  EXPECT_FALSE(f.playlist.AddFile(f.dir.File("gone.mbt"), true));
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"入出力エラーです。"});
  EXPECT_EQ(f.state.Count(), 0);
  // A MIDI file that cannot be opened is the reader's error marker.
  EXPECT_FALSE(f.playlist.AddFile(f.dir.File("gone.mid"), true));
  EXPECT_EQ(f.msgs.entries.size(), 2u);
  EXPECT_FALSE(f.host.holdSong);
  EXPECT_EQ(f.host.holdCount, 1);
  // A missing media file has no title but is added under its name.
  EXPECT_TRUE(f.playlist.AddFile(f.dir.File("gone.mp3"), true));
  EXPECT_EQ(f.state.DisplayNames()[0], "gone.mp3");
}

TEST(PlaylistTest, FoldersAreRefusedWhateverTheirName) {
  Fixture f;
  std::vector<std::string> folders;
  for (const char* name : {"x.mid", "x.mp3", "x.mbt", "plain"}) {
    folders.push_back(f.dir.File(name));
    std::filesystem::create_directory(folders.back());
  }
  f.playlist.AddPaths(folders);
  EXPECT_TRUE(f.msgs.entries.empty());
  for (const auto& folder : folders) f.playlist.AddPaths({folder});
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>(4, "入出力エラーです。"));
  EXPECT_EQ(f.state.Count(), 0);
  EXPECT_EQ(f.host.firstLoads, 0);
}

// Filling a long list repaints once, not once per entry.
TEST(PlaylistTest, LoadingAndAddingManyEntriesNotifiesOnce) {
  Fixture f;
  f.host.fileName = "/playing.mbt";
  int calls = 0;
  f.state.AddListener([&] { ++calls; });
  std::vector<std::string> paths;
  for (int i = 0; i < 300; ++i) paths.push_back(f.dir.File("song" + std::to_string(i) + ".mp3"));
  WriteBytes(f.dir.File("long.pkl"), PlaylistFileBytes(paths));
  ASSERT_TRUE(f.playlist.OpenPlaylistFile(f.dir.File("long.pkl")));
  EXPECT_EQ(f.state.Count(), 300);
  EXPECT_EQ(calls, 1);
  f.playlist.AddPaths(paths);
  EXPECT_EQ(f.state.Count(), 600);
  EXPECT_EQ(calls, 2);
}

TEST(PlaylistTest, LoadingAPlaylistLoadsTheFirstEntryOnlyWhenIdle) {
  Fixture f;
  WriteBytes(f.dir.File("a.mbt"), "A\r\n");
  WriteBytes(f.dir.File("b.mbt"), "B\r\n");
  WriteBytes(f.dir.File("l.pkl"), Utf8ToCp932(std::string("ポロンカのプレイリスト\r\n") + f.dir.File("a.mbt") +
                                              "\r\n" + f.dir.File("missing.mbt") + "\r\n" + f.dir.File("b.mbt") +
                                              "\r\n"));
  // A song is loaded: it keeps playing, nothing becomes current.
  f.host.fileName = "/playing.mbt";
  EXPECT_TRUE(f.playlist.OpenPlaylistFile(f.dir.File("l.pkl")));
  EXPECT_EQ(f.state.DisplayNames(), (std::vector<std::string>{"A", "B"}));
  EXPECT_TRUE(f.msgs.entries.empty());  // an unreadable entry of a longer list is skipped silently
  EXPECT_EQ(f.host.firstLoads, 0);
  EXPECT_EQ(f.state.CurrentEntry(), -1);
  EXPECT_EQ(f.state.PlaylistFile, f.dir.File("l.pkl"));

  // After a failed load the first entry becomes current and loaded.
  f.host.title = kDataErrorTitle;
  EXPECT_TRUE(f.playlist.LoadPlaylistFile());
  EXPECT_EQ(f.host.firstLoads, 1);
  EXPECT_EQ(f.state.CurrentEntry(), 0);
  EXPECT_EQ(f.state.DisplayNames()[0], "＊A");
  EXPECT_EQ(f.host.fileName, f.dir.File("a.mbt"));

  // Unsaved work: nothing is loaded.
  Fixture g;
  g.host.modified = true;
  EXPECT_TRUE(g.playlist.OpenPlaylistFile(f.dir.File("l.pkl")));
  EXPECT_EQ(g.host.firstLoads, 0);
}

TEST(PlaylistTest, NotAPlaylistLeavesTheListAsItWas) {
  Fixture f;
  f.state.Append("/x.mbt", "x");
  WriteBytes(f.dir.File("bad.pkl"), "hello\r\n/a.mbt\r\n");
  EXPECT_FALSE(f.playlist.OpenPlaylistFile(f.dir.File("bad.pkl")));
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"このファイルはプレイリストファイルではありません。"});
  EXPECT_EQ(f.state.Count(), 1);
  WriteBytes(f.dir.File("empty.pkl"), "");
  EXPECT_FALSE(f.playlist.OpenPlaylistFile(f.dir.File("empty.pkl")));
  EXPECT_EQ(f.state.Count(), 1);
}

TEST(PlaylistTest, SingleEntryPlaylistReportsItsUnreadableEntry) {
  Fixture f;
  f.host.fileName = "/playing.mbt";
  WriteBytes(f.dir.File("one.pkl"), "This is PlayListFile for ZARQ2\r\n" + f.dir.File("gone.mbt") + "\r\n");
  EXPECT_TRUE(f.playlist.OpenPlaylistFile(f.dir.File("one.pkl")));
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"入出力エラーです。"});
}

TEST(PlaylistTest, AddPathsTakesAPlaylistOnlyInFirstPosition) {
  Fixture f;
  f.host.fileName = "/playing.mbt";
  WriteBytes(f.dir.File("a.mbt"), "A\r\n");
  WriteBytes(f.dir.File("l.PKL"), Utf8ToCp932(std::string("ポロンカのプレイリスト\r\n") + f.dir.File("a.mbt") + "\r\n"));
  f.state.Append("/old.mbt", "old");
  f.playlist.AddPaths({f.dir.File("l.PKL"), "/x/song.ogg", f.dir.File("l.PKL"), "/y/z.wav"});
  EXPECT_EQ(f.state.DisplayNames(), (std::vector<std::string>{"A", "song.ogg", "z.wav"}));
  EXPECT_EQ(f.state.PlaylistFile, f.dir.File("l.PKL"));
}

TEST(PlaylistTest, AddPathsToAnEmptyListAfterADataErrorLoadsTheFirst) {
  Fixture f;
  f.host.fileName = "/failed.mbt";
  f.host.title = kDataErrorTitle;
  f.playlist.AddPaths({"/m/a.ogg", "/m/b.ogg"});
  EXPECT_EQ(f.host.firstLoads, 1);
  EXPECT_EQ(f.state.DisplayNames()[0], "＊a.ogg");
  // A later add does not load again.
  f.playlist.AddPaths({"/m/c.ogg"});
  EXPECT_EQ(f.host.firstLoads, 1);
}

TEST(PlaylistTest, SaveAndLoadRoundTrip) {
  Fixture f;
  f.state.Append("/曲/一.mbt", "一");
  f.state.Append("/曲/二.mp3", "二");
  f.state.SetCurrent(1);
  ASSERT_TRUE(f.playlist.Save(f.dir.File("s.pkl")));
  EXPECT_EQ(f.state.PlaylistFile, f.dir.File("s.pkl"));
  EXPECT_EQ(ReadBytes(f.dir.File("s.pkl")), Utf8ToCp932("ポロンカのプレイリスト\r\n/曲/一.mbt\r\n/曲/二.mp3\r\n"));
  auto paths = ReadPlaylistFile(f.dir.File("s.pkl"));
  ASSERT_TRUE(paths);
  EXPECT_EQ(*paths, f.state.PlaylistPaths());
}

TEST(PlaylistTest, FailedSaveKeepsThePreviousFile) {
  Fixture f;
  f.state.Append("/a.mbt", "a");
  EXPECT_FALSE(f.playlist.Save(f.dir.File("no/such/folder/s.pkl")));
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"プレイリストを保存できませんでした。"});
}

TEST(PlaylistTest, DoubleClickAsksBeforeReplacingUnsavedWork) {
  Fixture f;
  f.state.Append("/a.mbt", "a");
  f.state.Append("/b.mid", "b");
  f.state.Append("/c.mp3", "c");
  f.state.SetTopIndex(1);
  f.host.modified = true;
  f.msgs.answers = {false};
  f.playlist.PlayChosenEntry(0);
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"作成されたデータをメモリからクリアします。\nよろしいですか？"});
  EXPECT_TRUE(f.host.played.empty());
  EXPECT_EQ(f.state.CurrentEntry(), -1);
  EXPECT_FALSE(f.host.holdSong);
  EXPECT_EQ(f.host.holdCount, 1);
  // A media file asks nothing; the marker moves without scrolling.
  f.playlist.PlayChosenEntry(2);
  EXPECT_EQ(f.msgs.entries.size(), 1u);
  EXPECT_EQ(f.host.played, std::vector<int>{2});
  EXPECT_EQ(f.state.DisplayNames()[2], "＊c");
  EXPECT_EQ(f.state.TopIndex(), 1);
  // A MIDI file played as media asks nothing either.
  f.host.noMid = true;
  f.playlist.PlayChosenEntry(1);
  EXPECT_EQ(f.msgs.entries.size(), 1u);
  EXPECT_EQ(f.state.DisplayNames()[2], "c");
  EXPECT_EQ(f.state.DisplayNames()[1], "＊b");
  f.playlist.PlayChosenEntry(-1);
  f.playlist.PlayChosenEntry(3);
  EXPECT_EQ(f.host.played.size(), 2u);
}

}  // namespace
}  // namespace poronka
