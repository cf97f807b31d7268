#include "library/navigation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <utility>

#include "library/app_paths.h"
#include "support/test_support.h"

namespace poronka {
namespace {

// A player that records what navigation asks of it. Loading a path that
// contains "bad" fails with the data-error title.
class FakePlayer : public NavigationHost {
 public:
  Messages& Msgs() override { return msgs; }
  bool Modified() const override { return modified; }
  bool NoMidConversion() const override { return noMid; }
  void SetFileName(const std::string& p) override { fileName = p; }
  PlayerStatus Status() const override {
    const Content content = songLoaded ? Content::Song : title == kDataErrorTitle ? Content::DataError : Content::None;
    return {mode, content, false};
  }
  void StopPlayback() override {
    log.push_back("stop");
    mode = Transport::Stopped;
  }
  void StartPlayback() override {
    log.push_back("start");
    mode = Transport::Playing;
  }
  void LoadSong(FileKind kind, const std::string& position) override {
    static const char* names[] = {"score", "midi", "playlist", "media"};
    log.push_back(std::string("load ") + names[static_cast<int>(kind)] + " " + fileName + " [" +
                  position + "]");
    if (duringLoad) std::exchange(duringLoad, nullptr)();  // events let through by the load
    if (fileName.find("bad") != std::string::npos) {
      // The data-error state stops playback.
      mode = Transport::Stopped;
      songLoaded = false;
      title = kDataErrorTitle;
    } else {
      songLoaded = true;
      title = fileName;
    }
  }
  void SetHoldSong(bool on) override { log.push_back(on ? "hold on" : "hold off"); }
  void EnableNextTimer() override {
    log.push_back("next timer on");
    timerOn = true;
  }
  void DisableNextTimer() override { timerOn = false; }
  int PlaylistCount() const override { return static_cast<int>(paths.size()); }
  std::string PlaylistPath(int n) const override { return paths.at(static_cast<size_t>(n)); }
  int CurrentEntry() const override { return current; }
  void MoveCurrentMarker(int n) override {
    log.push_back("marker " + std::to_string(n));
    current = n;
  }
  void MarkFirstEntry() override {
    log.push_back("mark first");
    current = 0;
  }
  void OpenPlaylistFile(const std::string& path) override { log.push_back("playlist " + path); }
  int MediaTrackCount() const override { return tracks; }
  int MediaCurrentTrack() const override { return track; }
  void MediaStepTrack(int d) override { track += d; }
  void MediaShowTrackInTitle() override { title = TitleWithTrack(title, track); }

  RecordingMessages msgs;
  bool modified = false, noMid = false, songLoaded = false, timerOn = false;
  Transport mode = Transport::Stopped;
  std::string fileName, title = "データがありません";
  std::vector<std::string> paths, log;
  int current = -1, tracks = 0, track = 0;
  std::function<void()> duringLoad;
};

TEST(FileKinds, ByExtensionWithoutRegardToCase) {
  EXPECT_EQ(KindOfFile("/a/b/song.MBT"), FileKind::Score);
  EXPECT_EQ(KindOfFile("song.mbt"), FileKind::Score);
  EXPECT_EQ(KindOfFile("x.Mid"), FileKind::Midi);
  EXPECT_EQ(KindOfFile("list.pkl"), FileKind::Playlist);
  EXPECT_EQ(KindOfFile("list.MBL"), FileKind::Playlist);
  EXPECT_EQ(KindOfFile("a.mp3"), FileKind::Media);
  EXPECT_EQ(KindOfFile("noext"), FileKind::Media);
  EXPECT_EQ(KindOfFile("dir.mbt/file"), FileKind::Media);
  EXPECT_EQ(ClassifyStartArgument(""), StartArgument::None);
  EXPECT_EQ(ClassifyStartArgument("/x/list.Pkl"), StartArgument::Playlist);
  EXPECT_EQ(ClassifyStartArgument("/x/list.mbl"), StartArgument::Playlist);
  EXPECT_EQ(ClassifyStartArgument("/x/a.mbt"), StartArgument::Song);
}

TEST(FileKinds, QuestionOnlyForScoresAndConvertedMidi) {
  EXPECT_FALSE(QuestionApplies(FileKind::Score, false, false));
  EXPECT_TRUE(QuestionApplies(FileKind::Score, true, true));
  EXPECT_TRUE(QuestionApplies(FileKind::Midi, true, false));
  EXPECT_FALSE(QuestionApplies(FileKind::Midi, true, true));
  EXPECT_FALSE(QuestionApplies(FileKind::Media, true, false));
  EXPECT_FALSE(QuestionApplies(FileKind::Playlist, true, false));
}

TEST(EntryIndex, NextWrapsPreviousDoesNot) {
  EXPECT_EQ(NextEntryIndex(0, -1), std::nullopt);
  EXPECT_EQ(NextEntryIndex(1, 0), std::nullopt);
  EXPECT_EQ(NextEntryIndex(1, -1), 0);
  EXPECT_EQ(NextEntryIndex(3, 0), 1);
  EXPECT_EQ(NextEntryIndex(3, 2), 0);
  EXPECT_EQ(NextEntryIndex(3, 7), 0);
  EXPECT_EQ(PreviousEntryIndex(3, 0), std::nullopt);
  EXPECT_EQ(PreviousEntryIndex(3, -1), std::nullopt);
  EXPECT_EQ(PreviousEntryIndex(3, 2), 1);
  EXPECT_EQ(PreviousEntryIndex(3, 9), 2);
  EXPECT_EQ(PreviousEntryIndex(0, 2), std::nullopt);
}

TEST(EntryIndex, TrackTitle) {
  EXPECT_EQ(TitleWithTrack("ＣＤオーディオ（2トラック）", 3), "ＣＤオーディオ（3トラック）");
  EXPECT_EQ(TitleWithTrack("Disc", 4), "Disc（4トラック）");
}

TEST(OpenDialog, AsksOnlyWhenModifiedAndCancelKeepsEverything) {
  FakePlayer p;
  Navigation nav(p);
  p.modified = true;
  p.msgs.answers = {false};
  nav.OpenChosenFile("/m/new.mbt");
  EXPECT_EQ(p.msgs.Texts(), std::vector<std::string>{kReplaceDataQuestion});
  EXPECT_EQ(p.fileName, "");
  EXPECT_EQ(p.log, (std::vector<std::string>{"hold on", "hold off"}));

  p.log.clear();
  p.msgs.entries.clear();
  p.noMid = true;
  nav.OpenChosenFile("/m/tune.MID");  // played as media: the score stays
  EXPECT_TRUE(p.msgs.entries.empty());
  EXPECT_EQ(p.log, std::vector<std::string>{"load midi /m/tune.MID []"});
  EXPECT_NE(p.mode, Transport::Playing);

  p.log.clear();
  nav.OpenChosenFile("");  // dialog cancelled
  EXPECT_TRUE(p.log.empty());
}

TEST(OpenDialog, PlaylistFilesAreRefused) {
  FakePlayer p;
  Navigation nav(p);
  nav.OpenChosenFile("/m/list.PKL");
  EXPECT_EQ(p.msgs.Texts(), std::vector<std::string>{kPlaylistInOpenDialogMessage});
  EXPECT_TRUE(p.log.empty());
  EXPECT_EQ(p.fileName, "");
}

TEST(Drop, OnlyTheFirstFileLoadsAndPlayingResumes) {
  FakePlayer p;
  Navigation nav(p);
  p.songLoaded = true;
  p.mode = Transport::Playing;
  nav.DropFiles({"/d/one.mbt", "/d/two.mbt", "/d/three.mbt"});
  EXPECT_EQ(p.log, (std::vector<std::string>{"stop", "load score /d/one.mbt []", "start"}));

  // Stopped: loaded but not started.
  p.log.clear();
  p.mode = Transport::Stopped;
  nav.DropFiles({"/d/two.mbt"});
  EXPECT_EQ(p.log, std::vector<std::string>{"load score /d/two.mbt []"});
}

TEST(Drop, PlaylistOrCancelRestartsTheOldSong) {
  FakePlayer p;
  Navigation nav(p);
  p.songLoaded = true;
  p.mode = Transport::Paused;
  nav.DropFiles({"/d/list.pkl"});
  EXPECT_EQ(p.msgs.Texts(), std::vector<std::string>{kPlaylistDroppedMessage});
  EXPECT_EQ(p.log, (std::vector<std::string>{"stop", "start"}));

  p.log.clear();
  p.modified = true;
  p.msgs.answers = {false};
  nav.DropFiles({"/d/new.mbt"});
  EXPECT_EQ(p.log, (std::vector<std::string>{"stop", "hold on", "hold off", "start"}));
  EXPECT_EQ(p.fileName, "");
}

TEST(Drop, FailedLoadDoesNotStart) {
  FakePlayer p;
  Navigation nav(p);
  p.songLoaded = true;
  p.mode = Transport::Playing;
  nav.DropFiles({"/d/bad.mbt"});
  EXPECT_EQ(p.log, (std::vector<std::string>{"stop", "load score /d/bad.mbt []"}));
  EXPECT_EQ(p.title, kDataErrorTitle);
}

TEST(CommandLine, LoadsWithoutQuestionOrPlaying) {
  FakePlayer p;
  Navigation nav(p);
  p.modified = true;
  nav.OpenCommandLineFile("/c/song.mbt");
  nav.OpenCommandLineFile("/c/old.MBL");
  nav.OpenCommandLineFile("/c/new.pkl");
  EXPECT_TRUE(p.msgs.entries.empty());
  EXPECT_EQ(p.fileName, "/c/song.mbt");
  EXPECT_EQ(p.log, (std::vector<std::string>{"load score /c/song.mbt []", "playlist /c/old.MBL",
                                             "playlist /c/new.pkl"}));
}

TEST(HandedOver, AsksFirstAndStopsTheRunningSongOnlyWhenGoingOn) {
  FakePlayer p;
  Navigation nav(p);
  p.songLoaded = true;
  p.mode = Transport::Playing;
  p.modified = true;
  p.msgs.answers = {false};
  nav.OpenHandedOverFile("/h/new.mbt");  // Cancel: the song plays on
  EXPECT_EQ(p.log, (std::vector<std::string>{"hold on", "hold off"}));
  EXPECT_EQ(p.fileName, "");

  p.log.clear();
  p.msgs.answers = {true};
  nav.OpenHandedOverFile("/h/new.mbt");
  EXPECT_EQ(p.log, (std::vector<std::string>{"hold on", "hold off", "stop", "load score /h/new.mbt []"}));

  // A media file replaces no score: no question.
  p.log.clear();
  p.mode = Transport::Stopped;
  nav.OpenHandedOverFile("/h/tune.mp3");
  EXPECT_EQ(p.log, std::vector<std::string>{"load media /h/tune.mp3 []"});
}

class ThreeEntries : public ::testing::Test {
 protected:
  ThreeEntries() : nav(p) { p.paths = {"/p/a.mbt", "/p/b.mbt", "/p/c.mbt"}; }
  FakePlayer p;
  Navigation nav;
};

TEST_F(ThreeEntries, FirstEntryLoadsWithPositionOne) {
  nav.LoadFirstPlaylistEntry();
  EXPECT_EQ(p.log, (std::vector<std::string>{"mark first", "load score /p/a.mbt [1]"}));
  EXPECT_EQ(p.current, 0);
}

TEST_F(ThreeEntries, NextWrapsToZeroAndPreviousStopsAtZero) {
  p.current = 2;
  p.songLoaded = true;
  nav.Next();
  EXPECT_EQ(p.current, 0);
  EXPECT_EQ(p.log, (std::vector<std::string>{"marker 0", "load score /p/a.mbt [1]"}));
  p.log.clear();
  nav.Previous();
  EXPECT_TRUE(p.log.empty());
  nav.Next();
  nav.Next();
  nav.Previous();
  EXPECT_EQ(p.current, 1);
  EXPECT_EQ(p.log.back(), "load score /p/b.mbt [2]");
}

TEST_F(ThreeEntries, NextFollowsThePlayerState) {
  p.current = 0;
  p.songLoaded = true;
  p.mode = Transport::Stopped;
  nav.Next();
  EXPECT_EQ(p.log, (std::vector<std::string>{"marker 1", "load score /p/b.mbt [2]"}));
  EXPECT_EQ(p.mode, Transport::Stopped);

  p.log.clear();
  p.mode = Transport::Paused;
  nav.Next();
  EXPECT_EQ(p.log, (std::vector<std::string>{"marker 2", "load score /p/c.mbt [3]", "start"}));

  p.log.clear();
  nav.Next();  // playing
  EXPECT_EQ(p.log,
            (std::vector<std::string>{"marker 0", "stop", "load score /p/a.mbt [1]", "start"}));
}

TEST_F(ThreeEntries, QuestionHoldsTheSongAndCancelStays) {
  p.current = 0;
  p.modified = true;
  p.mode = Transport::Playing;
  p.msgs.answers = {false};
  nav.Next();
  EXPECT_EQ(p.log, (std::vector<std::string>{"hold on", "hold off"}));
  EXPECT_EQ(p.current, 0);
  EXPECT_EQ(p.mode, Transport::Playing);
}

TEST(SingleEntry, NextOnlyWhenNotCurrent) {
  FakePlayer p;
  Navigation nav(p);
  p.paths = {"/p/only.mbt"};
  p.current = 0;
  nav.Next();
  EXPECT_TRUE(p.log.empty());
  p.current = -1;
  nav.Next();
  EXPECT_EQ(p.log, (std::vector<std::string>{"marker 0", "load score /p/only.mbt [1]"}));
}

TEST_F(ThreeEntries, AutomaticAdvanceMovesMarkerThenTimerLoadsAndStarts) {
  p.current = 2;
  p.songLoaded = true;
  p.mode = Transport::Playing;
  nav.SongEnded(0);
  EXPECT_EQ(p.log, (std::vector<std::string>{"stop", "marker 0", "next timer on"}));
  EXPECT_TRUE(p.timerOn);
  p.log.clear();
  nav.NextTimerFired();
  EXPECT_FALSE(p.timerOn);
  EXPECT_EQ(p.log, (std::vector<std::string>{"load score /p/a.mbt [1]", "start"}));
}

TEST_F(ThreeEntries, ADropDuringTheTimersLoadWaitsForIt) {
  p.current = 0;
  p.duringLoad = [this] { nav.DropFiles({"/d/x.mbt"}); };
  nav.NextTimerFired();
  EXPECT_EQ(p.log, (std::vector<std::string>{"load score /p/a.mbt [1]", "start", "stop", "load score /d/x.mbt []",
                                             "start"}));
  EXPECT_EQ(p.fileName, "/d/x.mbt");
  EXPECT_FALSE(nav.LoadRunning());
}

TEST_F(ThreeEntries, AutomaticAdvanceCancelReplaysTheEndedSong) {
  p.current = 0;
  p.songLoaded = true;
  p.modified = true;
  p.mode = Transport::Playing;
  p.msgs.answers = {false};
  nav.SongEnded(1);
  EXPECT_EQ(p.log,
            (std::vector<std::string>{"stop", "hold on", "hold off", "start"}));
  EXPECT_EQ(p.current, 0);
  EXPECT_FALSE(p.timerOn);
}

TEST_F(ThreeEntries, FailedAdvanceLeavesPlayerStoppedInDataError) {
  p.paths[1] = "/p/bad.mbt";
  p.current = 0;
  p.songLoaded = true;
  p.mode = Transport::Playing;
  nav.SongEnded(1);
  nav.NextTimerFired();
  EXPECT_EQ(p.mode, Transport::Stopped);
  EXPECT_EQ(p.title, kDataErrorTitle);
  EXPECT_EQ(p.log.back(), "load score /p/bad.mbt [2]");
  // In the data-error state a further end of song moves the marker
  // but does not arm the timer.
  p.log.clear();
  nav.SongEnded(2);
  EXPECT_FALSE(p.timerOn);
}

TEST_F(ThreeEntries, AnEndPastTheEndOfAShortenedListStartsAtZero) {
  p.current = 1;
  p.songLoaded = true;
  p.mode = Transport::Playing;
  nav.SongEnded(7);
  EXPECT_EQ(p.current, 0);
  p.paths.clear();
  p.log.clear();
  nav.SongEnded(1);
  EXPECT_TRUE(p.log.empty());
}

TEST(DiscTracks, NextStepsTrackAndRenamesTitleWhenNotPlaying) {
  FakePlayer p;
  Navigation nav(p);
  p.paths = {"/p/a.mbt", "/p/b.mbt"};
  p.current = 0;
  p.tracks = 5;
  p.track = 2;
  p.title = "ＣＤオーディオ（2トラック）";
  nav.Next();
  EXPECT_EQ(p.track, 3);
  EXPECT_EQ(p.title, "ＣＤオーディオ（3トラック）");
  EXPECT_EQ(p.current, 0);
  p.track = 5;
  nav.Next();  // last track: the playlist moves on
  EXPECT_EQ(p.current, 1);
  p.track = 1;
  p.current = 0;
  nav.Previous();  // first track and first entry: nothing
  EXPECT_EQ(p.track, 1);
}

TEST(SingleInstanceKey, OnePerUserAndDesktop) {
  const std::string x0 = SingleInstanceKey(1000, ":0", "");
  EXPECT_EQ(SingleInstanceKey(1000, ":0.1", ""), x0);
  EXPECT_NE(SingleInstanceKey(1000, ":12", ""), x0);
  EXPECT_NE(SingleInstanceKey(1001, ":0", ""), x0);
  EXPECT_NE(SingleInstanceKey(1000, "", "wayland-0"), SingleInstanceKey(1000, "", "wayland-1"));
  EXPECT_NE(SingleInstanceKey(1000, "", "wayland-0"), SingleInstanceKey(1000, "", ""));
  // The key names a socket file: no folders, no colons.
  for (const std::string& k : {x0, SingleInstanceKey(7, "host:3.0", "/run/user/7/wayland-9")})
    EXPECT_EQ(k.find_first_of("/:. "), std::string::npos) << k;
}

TEST(InstallFolder, DataFolderThenVariableThenCurrentDirectory) {
  testing::TempDir dir;
  EXPECT_EQ(FindInstallFolder(dir.path(), "/env", "/cwd"), "/env");
  EXPECT_EQ(FindInstallFolder(dir.path(), "", "/cwd"), "/cwd");
  std::filesystem::create_directory(dir.File(kDataFolderName));
  EXPECT_EQ(FindInstallFolder(dir.path(), "/env", "/cwd"), dir.File(kDataFolderName));
  // An installed program: <prefix>/bin and <prefix>/share/poronka.
  std::filesystem::create_directories(dir.File("usr/bin"));
  std::filesystem::create_directories(dir.File("usr/share/poronka"));
  EXPECT_EQ(FindInstallFolder(dir.File("usr/bin"), "/env", "/cwd"), dir.File("usr/share/poronka"));
  std::filesystem::create_directory(dir.File("usr/bin/poronka-data"));
  EXPECT_EQ(FindInstallFolder(dir.File("usr/bin"), "/env", "/cwd"), dir.File("usr/bin/poronka-data"));
  EXPECT_EQ(HelpFileOf("/opt/p"), "/opt/p/help/index.html");
  EXPECT_EQ(HelpFileOf("/opt/p/"), "/opt/p/help/index.html");
}

}  // namespace
}  // namespace poronka
