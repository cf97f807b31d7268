#include "library/media_session.h"

#include <gtest/gtest.h>

#include <map>

#include "core/text_codec.h"
#include "support/test_support.h"

namespace poronka {
namespace {

class FakeMediaPlayer : public MediaPlayer {
 public:
  void SetFileName(const std::string& p) override { fileName = p; }
  void SetDeviceType(MediaDeviceType t) override { device = t; }
  void Open() override {
    calls.push_back("open");
    if (failOpen) throw MediaError("no device");
    open = true;
  }
  void Close() override {
    calls.push_back("close");
    open = false;
  }
  void Play() override { calls.push_back("play"); }
  void Stop() override { calls.push_back("stop"); }
  void Pause() override { calls.push_back("pause"); }
  void Next() override { calls.push_back("next"); }
  void Previous() override { calls.push_back("previous"); }
  int Tracks() override { return static_cast<int>(lengths.size()); }
  int64_t TrackLength(int track) override {
    if (format != MediaTimeFormat::Milliseconds) throw MediaError("format");
    return lengths.at(static_cast<size_t>(track - 1));
  }
  void SetTimeFormat(MediaTimeFormat f) override { format = f; }
  MediaTimeFormat TimeFormat() const override { return format; }
  int64_t Position() override { return position; }
  void SetPosition(int64_t p) override {
    ++seeks;
    if (seeksBeforeSettled > 0) {
      --seeksBeforeSettled;
      return;
    }
    position = p;
  }
  int64_t StartPosition() override { return start; }
  void End() { Notify(MediaNotifyValue::Successful); }
  void Abort() { Notify(MediaNotifyValue::Aborted); }

  std::string fileName;
  MediaDeviceType device = MediaDeviceType::Automatic;
  MediaTimeFormat format = MediaTimeFormat::Milliseconds;
  bool failOpen = false;
  bool open = false;
  std::vector<int64_t> lengths{185500};
  int64_t position = 0;
  int64_t start = 0;
  int seeks = 0;
  int seeksBeforeSettled = 0;
  std::vector<std::string> calls;
};

class FakeDisplay : public NullPlayerDisplay {
 public:
  void SetCaptions(const std::string& w, const std::string& a) override {
    windowCaption = w;
    applicationTitle = a;
  }
  void SetEnabled(PlayerControl c, bool e) override { enabled[c] = e; }
  void SetVisible(PlayerControl c, bool v) override { visible[c] = v; }
  void SetLabel(PlayerLabel l, const std::string& t) override { labels[l] = t; }
  void SetPosition(int p) override { position = p; }
  void SongEnded(int next) override { signals.push_back(next); }
  void ShowStatus(const PlayerStatus& s) override { status = s; }
  void FocusStart() override { ++focusStart; }
  std::string windowCaption, applicationTitle;
  std::map<PlayerControl, bool> enabled, visible;
  std::map<PlayerLabel, std::string> labels;
  int position = 0;
  int focusStart = 0;
  std::vector<int> signals;
  PlayerStatus status;
};

class FakeHost : public MediaHost {
 public:
  std::string FileName() const override { return fileName; }
  void ShowDataError() override { ++dataErrors; }
  void ClearNoteDisplay() override { ++clears; }
  bool PlayerVisible() const override { return true; }
  bool LeftButtonDown() const override { return button; }
  int PositionBar() const override { return bar; }
  void StartPositionTimer() override { timer = true; }
  void StopPositionTimer() override { timer = false; }
  std::string fileName;
  int dataErrors = 0;
  int clears = 0;
  bool button = false;
  int bar = 1;
  bool timer = false;
};

class NoSettings : public SystemSettings {
 public:
  std::optional<int> MajorVersion() override { return std::nullopt; }
  std::optional<std::string> ReadString(SettingsRoot, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

struct Fixture {
  Fixture() : devices(system, systemSettings, msgs), session(player, host, display, state, settings, playlist, devices, msgs) {
    system.ports.push_back({"Synth"});
    devices.BuildDeviceMenu();
    devices.OpenDevice(devices.DeviceIndex());
  }
  FakeMediaPlayer player;
  FakeHost host;
  FakeDisplay display;
  PlayerState state;
  SoundSettings settings;
  PlaylistState playlist;
  FakeMidiSystem system;
  NoSettings systemSettings;
  RecordingMessages msgs;
  MidiDevices devices;
  MediaSession session;
  testing::TempDir dir;
};

std::string Mp3WithTags() {
  auto frame = [](const std::string& id, const std::string& text) {
    std::string content = std::string(1, '\0') + Utf8ToCp932(text);
    uint32_t n = static_cast<uint32_t>(content.size());
    return id + std::string{0, 0, static_cast<char>(n >> 8), static_cast<char>(n)} + std::string(2, '\0') + content;
  };
  return std::string("ID3\x03", 4) + std::string(6, '\0') + frame("TPE1", "歌手") + frame("TIT2", "春の歌") +
         std::string(500, '\xAA');
}

TEST(MediaSessionTest, OpenShowsTitleArtistLengthAndControls) {
  Fixture f;
  f.host.fileName = f.dir.File("spring.mp3");
  testing::WriteBytes(f.host.fileName, Mp3WithTags());
  f.session.OpenMedia("2");
  EXPECT_TRUE(f.state.MediaActive);
  EXPECT_EQ(f.player.fileName, f.host.fileName);
  EXPECT_EQ(f.player.device, MediaDeviceType::Automatic);
  EXPECT_EQ(f.display.windowCaption, "2.春の歌");
  EXPECT_EQ(f.display.applicationTitle, "春の歌>ポロンカ");
  EXPECT_EQ(f.display.labels[PlayerLabel::Title], "春の歌\r\n歌手");
  EXPECT_EQ(f.display.labels[PlayerLabel::Time], "3:05");
  EXPECT_EQ(f.display.labels[PlayerLabel::Total], "/185");
  EXPECT_DOUBLE_EQ(f.session.LengthSeconds(), 185.5);
  EXPECT_EQ(f.session.MediaArtist(), "歌手");
  EXPECT_TRUE(CommandsFor(f.display.status).start);
  EXPECT_TRUE(f.display.enabled[PlayerControl::PositionBar]);
  EXPECT_TRUE(f.display.enabled[PlayerControl::Next]);
  EXPECT_FALSE(f.display.enabled[PlayerControl::Faster]);
  EXPECT_FALSE(f.display.enabled[PlayerControl::ToneName]);
  EXPECT_FALSE(f.display.visible[PlayerControl::Beat]);
  EXPECT_EQ(f.host.clears, 1);
  EXPECT_EQ(f.display.focusStart, 1);
  EXPECT_TRUE(f.msgs.entries.empty());
  // No playback yet.
  EXPECT_EQ(f.player.calls, std::vector<std::string>{"open"});
}

TEST(MediaSessionTest, FileWithoutTitleShowsItsName) {
  Fixture f;
  f.host.fileName = f.dir.File("noise.ogg");
  testing::WriteBytes(f.host.fileName, "x");
  f.session.OpenMedia("");
  EXPECT_EQ(f.display.windowCaption, "noise.ogg");
  EXPECT_EQ(f.display.labels[PlayerLabel::Title], "noise.ogg\r\n");
}

TEST(MediaSessionTest, PlayerFailureLeavesTheDataErrorState) {
  Fixture f;
  f.player.failOpen = true;
  f.host.fileName = f.dir.File("broken.wma");
  f.session.OpenMedia("");
  EXPECT_FALSE(f.state.MediaActive);
  EXPECT_EQ(f.host.dataErrors, 1);
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"メディアプレーヤーのエラーです"});
  EXPECT_EQ(f.player.calls, (std::vector<std::string>{"open", "close"}));
}

TEST(MediaSessionTest, UnreadableMidiIsADataError) {
  Fixture f;
  f.host.fileName = f.dir.File("gone.mid");
  f.session.OpenMedia("");
  EXPECT_EQ(f.msgs.Texts(), std::vector<std::string>{"データにエラーがありました"});
  EXPECT_EQ(f.host.dataErrors, 1);
  EXPECT_TRUE(f.player.calls.empty());
  EXPECT_FALSE(f.state.HoldSong);
}

TEST(MediaSessionTest, AudioCdOpensTheWholeDisc) {
  Fixture f;
  f.player.lengths = {200000, 150000, 100000, 90000, 60000};
  f.host.fileName = "/media/cdrom/Track03.cda";
  f.session.OpenMedia("");
  EXPECT_EQ(f.player.fileName, "/media/cdrom/");
  EXPECT_EQ(f.player.device, MediaDeviceType::CdAudio);
  EXPECT_EQ(f.display.windowCaption, "ＣＤオーディオ");
  EXPECT_EQ(f.display.labels[PlayerLabel::Title], "ＣＤオーディオ\r\n（１トラック）");
  EXPECT_EQ(f.display.labels[PlayerLabel::Time], "3:18");
  EXPECT_EQ(f.player.format, MediaTimeFormat::Tmsf);
  EXPECT_EQ(f.session.TrackCount(), 5);
}

TEST(MediaSessionTest, MidiAsMediaClosesTheDeviceAndOtherMediaReopenIt) {
  Fixture f;
  ASSERT_TRUE(f.devices.Items()[0].checked);
  f.host.fileName = f.dir.File("song.MID");
  testing::WriteBytes(f.host.fileName, std::string("MThd", 4) + std::string(30, '\0'));
  f.session.OpenMedia("");
  EXPECT_FALSE(f.devices.Items()[0].checked);
  f.host.fileName = f.dir.File("next.mp3");
  f.session.OpenMedia("");
  EXPECT_TRUE(f.devices.Items()[0].checked);
  // The previous medium was closed first.
  EXPECT_EQ(f.player.calls, (std::vector<std::string>{"open", "close", "open"}));
}

TEST(MediaSessionTest, EmptyPlaylistRepeatsWithoutEnd) {
  Fixture f;
  f.host.fileName = f.dir.File("a.ogg");
  f.session.OpenMedia("");
  f.state.RepeatCount = 1;
  f.player.position = 5000;
  for (int i = 0; i < 5; ++i) f.player.End();
  EXPECT_EQ(f.player.position, 0);
  EXPECT_EQ(std::count(f.player.calls.begin(), f.player.calls.end(), "play"), 5);
  EXPECT_TRUE(f.display.signals.empty());
  // A playlist whose only entry is this song repeats as well.
  f.playlist.Append(f.host.fileName, "a");
  f.player.End();
  EXPECT_TRUE(f.display.signals.empty());
  // Only completed plays count.
  f.player.Abort();
  EXPECT_EQ(std::count(f.player.calls.begin(), f.player.calls.end(), "play"), 6);
}

TEST(MediaSessionTest, TwoEntriesWithRepeatTwoPlayTwiceThenAdvance) {
  Fixture f;
  f.settings.RepeatSetting = 2;
  f.playlist.Append("/m/a.mp3", "a");
  f.playlist.Append("/m/b.mp3", "b");
  f.playlist.SetCurrent(1);
  f.host.fileName = "/m/b.mp3";
  f.session.OpenMedia("2");
  f.state.RepeatCount = 1;  // Start
  f.player.End();
  EXPECT_TRUE(f.display.signals.empty());
  EXPECT_EQ(f.player.calls.back(), "play");
  f.player.End();
  EXPECT_EQ(f.player.calls.back(), "stop");
  EXPECT_EQ(f.display.signals, std::vector<int>{0});  // the last entry wraps to the first
  // HoldSong keeps the song going.
  f.state.RepeatCount = 1;
  f.state.HoldSong = true;
  f.player.End();
  f.player.End();
  EXPECT_EQ(f.display.signals.size(), 1u);
  f.state.HoldSong = false;
  f.playlist.SetCurrent(0);
  f.player.End();
  EXPECT_EQ(f.display.signals.back(), 1);
}

TEST(MediaSessionTest, PositionBarSeeksInMilliseconds) {
  Fixture f;
  f.host.fileName = f.dir.File("a.ogg");
  f.player.lengths = {200000};
  f.session.OpenMedia("");
  f.state.Status.transport = Transport::Stopped;
  f.session.MoveToPosition(500, false);
  EXPECT_EQ(f.player.seeks, 0);  // only while playing or paused
  f.state.Status.transport = Transport::Playing;
  f.session.MoveToPosition(500, true);
  EXPECT_TRUE(f.state.Dragging);
  EXPECT_EQ(f.player.seeks, 0);
  f.state.Dragging = false;
  f.session.MoveToPosition(500, false);
  EXPECT_EQ(f.player.position, 100000);
  EXPECT_EQ(f.display.labels[PlayerLabel::Current], "100");
  EXPECT_EQ(f.player.calls.back(), "play");
  f.state.Status.transport = Transport::Paused;
  f.session.MoveToPosition(250, false);
  EXPECT_EQ(f.player.position, 50000);
  EXPECT_EQ(f.player.calls.back(), "play");  // not played again while paused
  EXPECT_EQ(std::count(f.player.calls.begin(), f.player.calls.end(), "play"), 1);
}

TEST(MediaSessionTest, PositionBarOnADiscSeeksWithinTheTrackAndRetries) {
  Fixture f;
  f.player.lengths = {182000, 150000};
  f.host.fileName = "/cd/Track01.cda";
  f.session.OpenMedia("");
  f.player.position = PackTmsf(2, 0, 10);
  f.state.Status.transport = Transport::Playing;
  f.host.timer = true;
  f.player.seeksBeforeSettled = 3;
  f.session.MoveToPosition(500, false);  // 180 s * 0.5 = 90 s
  EXPECT_EQ(f.player.position, PackTmsf(2, 1, 30));
  EXPECT_EQ(f.player.seeks, 4);
  EXPECT_TRUE(f.host.timer);
  std::vector<std::string> tail(f.player.calls.end() - 2, f.player.calls.end());
  EXPECT_EQ(tail, (std::vector<std::string>{"pause", "play"}));
  // A seek that never settles gives up after 101 attempts.
  f.player.seeks = 0;
  f.player.seeksBeforeSettled = 1000;
  f.session.MoveToPosition(100, false);
  EXPECT_EQ(f.player.seeks, 101);
}

TEST(MediaSessionTest, PositionTickMovesTheBarAndRenewsDiscTracks) {
  Fixture f;
  f.player.lengths = {200000};
  f.host.fileName = f.dir.File("a.ogg");
  f.session.OpenMedia("");
  f.state.TickGate = true;
  f.player.position = 50000;
  f.session.PositionTick();
  EXPECT_EQ(f.display.position, 250);
  EXPECT_EQ(f.display.labels[PlayerLabel::Current], "50");
  EXPECT_TRUE(f.state.TickGate);
  f.player.position = 0;
  f.session.PositionTick();
  EXPECT_EQ(f.state.PositionValue, 1);  // at least 1

  Fixture d;
  d.player.lengths = {182000, 122000, 92000};
  d.host.fileName = "/cd/Track01.cda";
  d.session.OpenMedia("");
  d.state.TickGate = true;
  d.player.position = PackTmsf(2, 0, 0);
  d.session.PositionTick();
  EXPECT_EQ(d.display.labels[PlayerLabel::Time], "2:00");
  EXPECT_EQ(d.display.labels[PlayerLabel::Total], "/120");
  EXPECT_EQ(d.display.labels[PlayerLabel::Title], "ＣＤオーディオ\r\n（2トラック）");
  d.player.position = PackTmsf(2, 1, 0);
  d.session.PositionTick();
  EXPECT_EQ(d.display.position, 500);
  EXPECT_EQ(d.display.labels[PlayerLabel::Current], "60");
}

TEST(MediaSessionTest, TransportDrivesThePlayerAndItsTimer) {
  Fixture f;
  f.host.fileName = f.dir.File("a.ogg");
  f.session.OpenMedia("");
  f.session.Play();
  EXPECT_TRUE(f.host.timer);
  f.player.position = 12345;
  f.session.Pause();
  EXPECT_FALSE(f.host.timer);
  f.session.Play();
  f.session.StopAndRewind();
  EXPECT_FALSE(f.host.timer);
  EXPECT_EQ(f.player.position, 0);
  f.session.Close();
  EXPECT_FALSE(f.player.open);
}

TEST(MediaSessionTest, LengthText) {
  EXPECT_EQ(MediaLengthText(0), "0:00");
  EXPECT_EQ(MediaLengthText(59999), "0:59");
  EXPECT_EQ(MediaLengthText(3600000), "60:00");
  EXPECT_EQ(MediaLengthText(-5), "0:00");
}

}  // namespace
}  // namespace poronka
