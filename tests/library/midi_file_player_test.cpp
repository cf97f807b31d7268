// MIDI files played as media, rendered offline so that the time is exact:
// length through tempo changes, position, pause, seeking, the end and the
// choice between the two media players.
#include "library/midi_file_player.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstdlib>
#include <vector>

#include "interchange/smf_builder.h"
#include "library/media_player_switch.h"
#include "support/test_support.h"

namespace poronka {
namespace {

constexpr int kRate = 44100;

// Two seconds at 120 beats a minute, then one at 240: a note every beat.
std::string TwoTempoSong() {
  testing::TrackBuilder tempo;
  tempo.Tempo(0, 500000).Tempo(1920, 250000).EndOfTrack(0);
  testing::TrackBuilder notes;
  notes.Raw(0, {0xC0, 10});
  for (int beat = 0; beat < 8; ++beat) notes.NoteOn(0, 1, 72 + beat % 5).NoteOff(480, 1, 72 + beat % 5);
  notes.EndOfTrack(0);
  return testing::SmfFile(1, 480, {tempo, notes});
}

struct OfflineRig {
  OfflineRig() : player(Options()) {
    player.SetNotifyHandler([this](MediaNotifyValue v) { notes.push_back(v); });
  }
  static BuiltInSynth::Options Options() {
    BuiltInSynth::Options o;
    o.realTime = false;
    return o;
  }
  // Renders `ms` in audio-sized blocks, polling as the window's timer does;
  // the loudest sample.
  int Run(int ms) {
    std::vector<int16_t> block(2 * 256);
    int peak = 0;
    for (int done = 0; done < ms * kRate / 1000; done += 256) {
      player.Render(block.data(), 256);
      for (int16_t s : block) peak = std::max(peak, std::abs(static_cast<int>(s)));
      player.Poll();
    }
    return peak;
  }
  MidiFileMediaPlayer player;
  std::vector<MediaNotifyValue> notes;
};

TEST(MidiFileMediaPlayer, PlaysPausesSeeksAndEndsInStep) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("song.MID"), TwoTempoSong());
  OfflineRig rig;
  MidiFileMediaPlayer& p = rig.player;
  p.SetFileName(dir.File("song.MID"));
  p.Open();
  EXPECT_EQ(p.Tracks(), 1);
  EXPECT_NEAR(p.TrackLength(1), 3000, 2);

  // Opened, not yet playing: silent and still.
  EXPECT_EQ(rig.Run(300), 0);
  EXPECT_EQ(p.Position(), 0);
  p.Play();
  EXPECT_GT(rig.Run(1000), 1000);
  EXPECT_NEAR(p.Position(), 1000, 30);

  p.Pause();
  const int64_t held = p.Position();
  rig.Run(10);  // what the limiter still held back
  EXPECT_EQ(rig.Run(500), 0);
  EXPECT_EQ(p.Position(), held);

  // Into the faster part: a seek shows at once, time runs from there.
  p.SetPosition(2500);
  EXPECT_NEAR(p.Position(), 2500, 2);
  p.Play();
  rig.Run(250);
  EXPECT_NEAR(p.Position(), 2750, 30);
  EXPECT_TRUE(rig.notes.empty());
  rig.Run(400);
  ASSERT_EQ(rig.notes.size(), 1u);
  EXPECT_EQ(rig.notes[0], MediaNotifyValue::Successful);
  EXPECT_EQ(p.Position(), p.TrackLength(1));
  rig.Run(300);
  EXPECT_EQ(rig.notes.size(), 1u);

  // Repeating from the start after the end.
  p.SetPosition(p.StartPosition());
  p.Play();
  EXPECT_GT(rig.Run(500), 1000);
  EXPECT_NEAR(p.Position(), 500, 30);

  // Stop holds, and a closed player refuses to play.
  p.Close();
  EXPECT_THROW(p.Play(), MediaError);
}

TEST(MidiFileMediaPlayer, RefusesWhatIsNotAMidiFileAndOpensTheNext) {
  testing::TempDir dir;
  testing::WriteBytes(dir.File("junk.mid"), std::string(3000, '\x5A'));
  testing::WriteBytes(dir.File("empty.mid"), "");
  testing::WriteBytes(dir.File("cut.mid"), TwoTempoSong().substr(0, 12));
  mkdir(dir.File("folder.mid").c_str(), 0700);
  testing::WriteBytes(dir.File("good.midi"), TwoTempoSong());
  OfflineRig rig;
  for (const char* name : {"junk.mid", "empty.mid", "cut.mid", "folder.mid", "missing.mid"}) {
    rig.player.SetFileName(dir.File(name));
    EXPECT_THROW(rig.player.Open(), MediaError) << name;
    EXPECT_THROW(rig.player.Position(), MediaError) << name;
  }
  rig.player.SetFileName(dir.File("good.midi"));
  rig.player.Open();
  rig.player.Play();
  rig.Run(200);
  EXPECT_GT(rig.player.Position(), 100);
}

TEST(SmfTimeline, TimeCodeDivisionAndSeeksPastTheEnd) {
  testing::TrackBuilder t;
  t.NoteOn(0, 1, 60).NoteOff(2500, 1, 60).EndOfTrack(0);
  SmfTimeline line;
  // 25 frames of 40 ticks: a millisecond a tick, whatever the tempo.
  ASSERT_TRUE(line.Parse(testing::SmfFile(0, 0xE728, {t})));
  EXPECT_EQ(line.LengthMs(), 2500);
  EXPECT_EQ(line.MsToTick(1200), 1200);
  EXPECT_EQ(line.MsToTick(99999), 2500);
}

class NamedPlayer : public MediaPlayer {
 public:
  void SetFileName(const std::string& p) override { opened = p; }
  void SetDeviceType(MediaDeviceType) override {}
  void Open() override { ++opens; }
  void Close() override { ++closes; }
  void Play() override {}
  void Stop() override {}
  void Pause() override {}
  void Next() override {}
  void Previous() override {}
  int Tracks() override { return 1; }
  int64_t TrackLength(int) override { return 0; }
  void SetTimeFormat(MediaTimeFormat) override {}
  MediaTimeFormat TimeFormat() const override { return MediaTimeFormat::Milliseconds; }
  int64_t Position() override { return 0; }
  void SetPosition(int64_t) override {}
  int64_t StartPosition() override { return 0; }
  void End() { Notify(MediaNotifyValue::Successful); }
  std::string opened;
  int opens = 0;
  int closes = 0;
};

TEST(MediaPlayerSwitch, MidiFilesGoToTheMidiPlayerAndOnlyTheActiveOneNotifies) {
  NamedPlayer general, midi;
  MediaPlayerSwitch sw(general, midi);
  int notes = 0;
  sw.SetNotifyHandler([&](MediaNotifyValue) { ++notes; });
  sw.SetFileName("/m/Song.MIDI");
  sw.Open();
  EXPECT_EQ(midi.opened, "/m/Song.MIDI");
  EXPECT_EQ(general.opens, 0);
  general.End();
  midi.End();
  EXPECT_EQ(notes, 1);

  for (const char* name : {"/m/a.mp3", "/m.mid/track", "/m/mid"}) {
    sw.SetFileName(name);
    sw.Open();
    EXPECT_EQ(general.opened, name);
  }
  EXPECT_EQ(midi.closes, 1);  // closed when the other took over
  sw.SetFileName("/media/cd.mid");
  sw.SetDeviceType(MediaDeviceType::CdAudio);
  sw.Open();
  EXPECT_EQ(general.opened, "/media/cd.mid");
  EXPECT_EQ(midi.opens, 1);
}

}  // namespace
}  // namespace poronka
