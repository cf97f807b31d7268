// Media files through the real media player and the media session: a
// refused file followed by a good MP3, and MIDI files played as media.
#include <gtest/gtest.h>

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QStandardPaths>
#include <QAudioDevice>
#include <QMediaDevices>
#include <QProcess>
#include <QTest>
#include <map>
#include <optional>

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
    media = std::make_unique<MediaController>(score, display, state, settings, playlist, devices, msgs);
    QObject::connect(media.get(), &MediaController::dataError, [this] { ++dataErrors; });
  }
  void Open(const std::string& path) {
    score.FileName = path;
    media->session().OpenMedia("");
  }
  // Plays for up to `ms` until the position display moves; the position.
  int PlayUntilMoved(int ms) {
    state.Status.transport = Transport::Playing;
    state.TickGate = true;
    media->session().Play();
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
  Score score;
  int dataErrors = 0;
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
  EXPECT_EQ(rig.media->session().TitleLabel().rfind("テストの曲\r\n", 0), 0u);
  EXPECT_NEAR(rig.media->session().LengthSeconds(), 4.0, 0.3);
  if (!HaveAudioOutput()) GTEST_SKIP() << "no audio output here";
  EXPECT_GT(rig.PlayUntilMoved(3000), 1);
}

// A private PulseAudio server with a null sink, as the speakers of a machine
// without a sound card, and a recording of what reaches it.
class PrivatePulse {
 public:
  PrivatePulse() {
    const QString run = QString::fromStdString(dir_.File("run"));
    QDir().mkpath(run);
    Set("XDG_RUNTIME_DIR", run);
    Set("PULSE_SERVER", "unix:" + run + "/pulse/native");
    server_.start("pulseaudio", {"-n", "--daemonize=no", "--exit-idle-time=-1", "--load=module-native-protocol-unix",
                                 "--load=module-null-sink sink_name=nullsink", "--load=module-always-sink"});
    if (!server_.waitForStarted(3000)) return;
    QElapsedTimer t;
    t.start();
    while (!QFileInfo::exists(run + "/pulse/native") && t.elapsed() < 10000) QTest::qWait(50);
    if (!QFileInfo::exists(run + "/pulse/native")) return;
    recorder_.start("parecord", {"-d", "nullsink.monitor", "--file-format=wav", QString::fromStdString(dir_.File("rec.wav"))});
    ok_ = recorder_.waitForStarted(3000);
    QTest::qWait(300);
  }
  ~PrivatePulse() {
    End(recorder_);
    End(server_);
    for (const auto& [name, old] : saved_) {
      if (old)
        qputenv(name, *old);
      else
        qunsetenv(name);
    }
  }
  bool Ok() const { return ok_; }
  // The loudest sample recorded so far.
  int Peak() {
    End(recorder_);
    const std::string wav = testing::ReadBytes(dir_.File("rec.wav"));
    int peak = 0;
    for (size_t i = 44; i + 1 < wav.size(); i += 2)
      peak = std::max(peak, std::abs(static_cast<int>(static_cast<int16_t>(static_cast<uint8_t>(wav[i]) |
                                                                           static_cast<uint8_t>(wav[i + 1]) << 8))));
    return peak;
  }

 private:
  void Set(const char* name, const QString& value) {
    saved_.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
    qputenv(name, value.toUtf8());
  }
  static void End(QProcess& p) {
    if (p.state() == QProcess::NotRunning) return;
    p.terminate();
    if (!p.waitForFinished(3000)) p.kill();
    p.waitForFinished(1000);
  }
  testing::TempDir dir_;
  QProcess server_, recorder_;
  std::vector<std::pair<const char*, std::optional<QByteArray>>> saved_;
  bool ok_ = false;
};

// A MIDI file as media through the real players and a sound server: it
// sounds, its position moves, pause holds it, and at the end it repeats.
TEST(MediaPlayback, MidiFileAsMediaSoundsMovesPausesAndRepeats) {
  if (QStandardPaths::findExecutable("pulseaudio").isEmpty() || QStandardPaths::findExecutable("parecord").isEmpty())
    GTEST_SKIP() << "pulseaudio and pulseaudio-utils are not installed";
  PrivatePulse pulse;
  ASSERT_TRUE(pulse.Ok()) << "the PulseAudio server did not start";
  testing::TempDir dir;
  const std::string mid = dir.File("song.mid");
  testing::WriteBytes(mid, MidiSong(3));
  MediaRig rig;
  rig.Open(mid);
  ASSERT_TRUE(rig.msgs.entries.empty()) << rig.msgs.entries.front().text;
  EXPECT_TRUE(rig.state.MediaActive);
  EXPECT_EQ(rig.media->session().TitleLabel().rfind("MIDI as media\r\n", 0), 0u);
  EXPECT_EQ(rig.display.labels[PlayerLabel::Time], "0:03");
  // The MIDI output device is left to the media player.
  EXPECT_FALSE(rig.devices.Items()[0].checked);
  EXPECT_GT(rig.PlayUntilMoved(3000), 1);
  rig.media->session().Pause();
  QTest::qWait(300);
  const int64_t held = rig.media->player().Position();
  QTest::qWait(300);
  EXPECT_EQ(rig.media->player().Position(), held);
  rig.media->session().Play();
  QElapsedTimer t;
  t.start();
  int64_t last = held;
  bool wrapped = false;
  while (!wrapped && t.elapsed() < 6000) {
    QTest::qWait(50);
    const int64_t now = rig.media->player().Position();
    wrapped = now + 500 < last;
    last = now;
  }
  EXPECT_TRUE(wrapped);
  rig.media->session().StopAndRewind();
  EXPECT_GT(pulse.Peak(), 3000);
}

}  // namespace
}  // namespace poronka::ui
