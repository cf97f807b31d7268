// Media files through the real media player and the media session: a
// refused file followed by a good MP3, and MIDI files played as media.
#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>
#include <map>

#include "interchange/smf_builder.h"
#include "library/ui/media_controller.h"
#include "library/ui/qt_media_player.h"
#include "support/test_support.h"

namespace poronka::ui {
namespace {

class LabelDisplay : public NullPlayerDisplay {
 public:
  void SetLabel(PlayerLabel l, const std::string& t) override { labels[l] = t; }
  void SetPosition(int p) override { position = p; }
  std::map<PlayerLabel, std::string> labels;
  int position = 0;
};

class NoSettings : public SystemSettings {
 public:
  std::optional<int> MajorVersion() override { return std::nullopt; }
  std::optional<std::string> ReadString(SettingsRoot, const std::string&, const std::string&) override {
    return std::nullopt;
  }
};

bool RunGst(const QStringList& pipeline) {
  QProcess p;
  p.start("gst-launch-1.0", QStringList{"-q"} + pipeline);
  return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// An MP3 of `seconds` seconds of a tone with an ID3v2 tag naming `title`
// (UTF-8); empty when no encoder is at hand.
std::string Mp3WithTitle(const testing::TempDir& dir, const std::string& title, int seconds) {
  const std::string raw = dir.File("raw.mp3");
  if (!RunGst({"audiotestsrc", "num-buffers=" + QString::number(seconds * 44100 / 1024 + 2), "samplesperbuffer=1024",
               "!", "audio/x-raw,rate=44100,channels=1", "!", "lamemp3enc", "!", "filesink",
               "location=" + QString::fromStdString(raw)}))
    return {};
  std::string frame = "\x03" + title;
  std::string tag = "TIT2";
  testing::PutBe(tag, static_cast<uint32_t>(frame.size()), 4);
  tag += std::string(2, '\0') + frame;
  std::string header = std::string("ID3\x03\x00\x00", 6);
  for (int shift : {21, 14, 7, 0}) header.push_back(static_cast<char>((tag.size() >> shift) & 0x7F));
  const std::string path = dir.File("song.mp3");
  testing::WriteBytes(path, header + tag + testing::ReadBytes(raw));
  return path;
}

// A MIDI file of about `seconds` seconds: one note a beat at 120 beats a minute.
std::string MidiSong(int seconds) {
  testing::TrackBuilder t;
  t.Meta(0, 0x03, "MIDI as media").Tempo(0, 500000).Raw(0, {0xC0, 10});
  for (int beat = 0; beat < seconds * 2; ++beat) t.NoteOn(0, 1, 72 + beat % 5).NoteOff(480, 1, 72 + beat % 5);
  t.EndOfTrack(0);
  return testing::SmfFile(0, 480, {t});
}

bool HaveAudioOutput() { return !QMediaDevices::audioOutputs().isEmpty(); }

struct MediaRig {
  MediaRig() : devices(system, systemSettings, msgs) {
    system.ports.push_back({"Synth"});
    devices.BuildDeviceMenu();
    devices.OpenDevice(devices.DeviceIndex());
    MediaHooks hooks;
    hooks.fileName = [this] { return fileName; };
    hooks.showDataError = [this] { ++dataErrors; };
    hooks.mode = [this] { return mode; };
    media = std::make_unique<MediaController>(std::move(hooks), display, state, settings, playlist, devices, msgs);
  }
  void Open(const std::string& path) {
    fileName = path;
    media->Session().OpenMedia("");
  }
  // Plays for up to `ms` until the position display moves; the position.
  int PlayUntilMoved(int ms) {
    mode = PlayerMode::Playing;
    state.TickGate = true;
    media->Session().Play();
    QElapsedTimer t;
    t.start();
    while (display.position <= 1 && t.elapsed() < ms) QTest::qWait(50);
    return display.position;
  }

  FakeMidiSystem system;
  NoSettings systemSettings;
  RecordingMessages msgs;
  MidiDevices devices;
  LabelDisplay display;
  PlayerState state;
  SoundSettings settings;
  PlaylistState playlist;
  std::string fileName;
  int dataErrors = 0;
  PlayerMode mode = PlayerMode::Stopped;
  std::unique_ptr<MediaController> media;
};

TEST(MediaPlayback, EachOpenIsJudgedByItsOwnResult) {
  testing::TempDir dir;
  const std::string mp3 = Mp3WithTitle(dir, "テストの曲", 4);
  if (mp3.empty()) GTEST_SKIP() << "no MP3 encoder here";
  testing::WriteBytes(dir.File("junk.ogg"), std::string(4000, '\x5A'));
  testing::WriteBytes(dir.File("empty.VOB"), "");
  MediaRig rig;
  rig.Open(dir.File("junk.ogg"));
  rig.Open(dir.File("empty.VOB"));
  ASSERT_EQ(rig.msgs.entries.size(), 2u);
  EXPECT_EQ(rig.msgs.entries[1].text, kMediaPlayerErrorMessage);
  EXPECT_EQ(rig.dataErrors, 2);
  EXPECT_FALSE(rig.state.MediaActive);

  rig.Open(mp3);
  EXPECT_EQ(rig.msgs.entries.size(), 2u) << rig.msgs.entries.back().text;
  EXPECT_EQ(rig.dataErrors, 2);
  EXPECT_TRUE(rig.state.MediaActive);
  EXPECT_EQ(rig.media->Session().TitleLabel().rfind("テストの曲\r\n", 0), 0u);
  EXPECT_NEAR(rig.media->Session().LengthSeconds(), 4.0, 0.3);
  if (!HaveAudioOutput()) GTEST_SKIP() << "no audio output here";
  EXPECT_GT(rig.PlayUntilMoved(3000), 1);
}

TEST(MediaPlayback, MidiFileAsMediaHasLengthAndMovesAndEnds) {
  testing::TempDir dir;
  const std::string mid = dir.File("song.mid");
  testing::WriteBytes(mid, MidiSong(3));
  MediaRig rig;
  rig.Open(mid);
  ASSERT_TRUE(rig.msgs.entries.empty()) << rig.msgs.entries.front().text;
  EXPECT_TRUE(rig.state.MediaActive);
  EXPECT_EQ(rig.media->Session().TitleLabel().rfind("MIDI as media\r\n", 0), 0u);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Time], "0:03");
  // The MIDI output device is left to the media player.
  EXPECT_FALSE(rig.devices.Items()[0].checked);
  if (!HaveAudioOutput()) GTEST_SKIP() << "no audio output here";
  const int moved = rig.PlayUntilMoved(3000);
  EXPECT_GT(moved, 1);
  // Pause holds the position; playing on reaches the end, which repeats the
  // song from its start (no playlist).
  rig.media->Session().Pause();
  QTest::qWait(300);
  const int64_t held = rig.media->Player().Position();
  QTest::qWait(300);
  EXPECT_EQ(rig.media->Player().Position(), held);
  rig.media->Session().Play();
  QElapsedTimer t;
  t.start();
  int64_t last = held;
  bool wrapped = false;
  while (!wrapped && t.elapsed() < 6000) {
    QTest::qWait(50);
    const int64_t now = rig.media->Player().Position();
    wrapped = now + 500 < last;
    last = now;
  }
  EXPECT_TRUE(wrapped);
}

// The decoder that plays MIDI files as media makes sound (rendered offline).
TEST(MediaPlayback, MidiDecoderSounds) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("song.mid"), MidiSong(2));
  ASSERT_TRUE(RunGst({"filesrc", "location=" + QString::fromStdString(dir.File("song.mid")), "!", "decodebin", "!",
                      "audioconvert", "!", "audio/x-raw,format=S16LE,channels=1", "!", "filesink",
                      "location=" + QString::fromStdString(dir.File("out.raw"))}));
  const std::string pcm = testing::ReadBytes(dir.File("out.raw"));
  ASSERT_GT(pcm.size(), 44100u);
  int peak = 0;
  for (size_t i = 0; i + 1 < pcm.size(); i += 2) {
    const int s = static_cast<int16_t>(static_cast<uint8_t>(pcm[i]) | static_cast<uint8_t>(pcm[i + 1]) << 8);
    peak = std::max(peak, std::abs(s));
  }
  EXPECT_GT(peak, 1000);
}

}  // namespace
}  // namespace poronka::ui
