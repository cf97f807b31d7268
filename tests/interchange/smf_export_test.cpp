#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "core/messages.h"
#include "core/text_codec.h"
#include "interchange/export_test_util.h"
#include "interchange/smf_export.h"
#include "support/test_support.h"

namespace poronka {
namespace {

using testing::Bytes;
using testing::MakeSong;

constexpr size_t kHeaderSize = 22;
constexpr size_t kFixedEvents = 7 + 8 + 81;  // tempo, time signature, channel set-up

std::string VarLen(uint32_t v) {
  std::string out;
  AppendVarLen(out, v);
  return out;
}

uint32_t TrackLength(const std::string& f) {
  return (uint32_t(uint8_t(f[18])) << 24) | (uint32_t(uint8_t(f[19])) << 16) |
         (uint32_t(uint8_t(f[20])) << 8) | uint8_t(f[21]);
}

// The note events and end of track of a song with an empty title.
std::string NotePart(const std::string& f) { return f.substr(kHeaderSize + kFixedEvents); }

std::string ChannelSetUp(int n, int bank, int program, int mod, int pan, int rev, int cho) {
  return Bytes({0, 0xB0 + n, 0x00, bank, 0, 0xB0 + n, 0x20, 0, 0, 0xC0 + n, program,
                0, 0xB0 + n, 0x01, mod, 0, 0xB0 + n, 0x0A, pan, 0, 0xB0 + n, 0x5B, rev,
                0, 0xB0 + n, 0x5D, cho});
}

TEST(SmfExport, VariableLengthQuantities) {
  EXPECT_EQ(VarLen(0), Bytes({0}));
  EXPECT_EQ(VarLen(127), Bytes({0x7F}));
  EXPECT_EQ(VarLen(128), Bytes({0x81, 0x00}));
  EXPECT_EQ(VarLen(864), Bytes({0x86, 0x60}));
  EXPECT_EQ(VarLen(16383), Bytes({0xFF, 0x7F}));
  EXPECT_EQ(VarLen(16384), Bytes({0x81, 0x80, 0x00}));
  EXPECT_EQ(VarLen(0x200000), Bytes({0x81, 0x80, 0x80, 0x00}));
  EXPECT_EQ(VarLen(0x0FFFFFFF), Bytes({0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(SmfExport, TimeSignatureReduction) {
  struct Case { int rows, value, num, power; } cases[] = {
      {16, 16, 4, 2}, {6, 8, 3, 2},  {12, 8, 3, 1}, {24, 16, 3, 1}, {7, 8, 7, 3},
      {5, 8, 5, 3},   {4, 4, 4, 2},  {3, 4, 3, 2},  {8, 8, 4, 2},   {9, 8, 9, 3},
      {2, 2, 2, 1},   {4, 1, 4, 0},  {32, 32, 4, 2}, {10, 16, 5, 3}, {21, 49, 3, 3},
      {4, 64, 2, 5},  {4, 128, 2, 6}, {15, 25, 3, 2}};
  for (const auto& c : cases) {
    TimeSignature ts = ReduceTimeSignature(c.rows, c.value);
    EXPECT_EQ(ts.numerator, c.num) << c.rows << "/" << c.value;
    EXPECT_EQ(ts.denominatorPower, c.power) << c.rows << "/" << c.value;
  }
}

TEST(SmfExport, TempoBytes) {
  EXPECT_EQ(MicrosecondsPerQuarter(375, 4), 750000u);
  EXPECT_EQ(MicrosecondsPerQuarter(375, 8), 1500000u);
  EXPECT_EQ(MicrosecondsPerQuarter(5, 3), 7000u);  // (15 div 2) * 1000
  EXPECT_EQ(MicrosecondsPerQuarter(33554, 1), 16777000u);
  EXPECT_EQ(MicrosecondsPerQuarter(20000, 4), 16777215u);  // held to three bytes
  // The largest values a file may give: their microseconds pass 64 bits.
  EXPECT_EQ(MicrosecondsPerQuarter(1000000000, 1800000000), 16777215u);
  Score s = MakeSong({60}, {{1}});
  s.HalfPeriod = 1000000000;
  s.NoteValue = 1800000000;
  const std::string f = BuildSmf(s, SoundSettings{});
  EXPECT_NE(f.find(std::string("\xFF\x51\x03\xFF\xFF\xFF", 6)), std::string::npos);
}

TEST(SmfExport, WholeFileOfASmallSongWithoutStopDelay) {
  Score s = MakeSong({60, 64}, {{1}, {}, {2}});
  SoundSettings settings;
  std::string f = BuildSmf(s, settings);
  std::string expected = "MThd" + Bytes({0, 0, 0, 6, 0, 0, 0, 1, 0x01, 0xE0}) + "MTrk" +
                         Bytes({0, 0, 0, 118}) +
                         Bytes({0, 0xFF, 0x51, 3, 0x0B, 0x71, 0xB0}) +
                         Bytes({0, 0xFF, 0x58, 4, 4, 2, 0x18, 0x08});
  for (int n = 0; n < 3; ++n) expected += ChannelSetUp(n, 0, 10, 0, 64, 40, 0);
  expected += Bytes({0x00, 0x90, 60, 100,          // row 1 at 0
                     0x86, 0x60, 0x90, 60, 0,      // released at 864
                     0x60, 0x90, 64, 100,          // row 3 at 960
                     0x83, 0x30, 0x90, 64, 0,      // released at 1392
                     0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(f, expected);
  EXPECT_EQ(TrackLength(f), f.size() - kHeaderSize);
}

TEST(SmfExport, SettingsAndVariationInChannelSetUp) {
  Score s = MakeSong({60}, {{1}});
  SoundSettings settings;
  settings.Program = 4;
  settings.BankIndex = 3;  // "24６０年代Ｅピアノ"
  settings.Pan = 0;
  settings.Reverb = 127;
  settings.Chorus = 5;
  settings.Modulation = 9;
  std::string f = BuildSmf(s, settings);
  std::string setup = f.substr(kHeaderSize + 15, 81);
  std::string expected;
  for (int n = 0; n < 3; ++n) expected += ChannelSetUp(n, 24, 4, 9, 0, 127, 5);
  EXPECT_EQ(setup, expected);
  // The capital tone still writes both bank selects, with 0.
  settings.BankIndex = 0;
  f = BuildSmf(s, settings);
  EXPECT_EQ(f.substr(kHeaderSize + 15, 4), Bytes({0, 0xB0, 0, 0}));
}

TEST(SmfExport, Titles) {
  Score s = MakeSong({60}, {{1}});
  SoundSettings settings;
  // Empty: the tempo comes first.
  std::string f = BuildSmf(s, settings);
  EXPECT_EQ(f.substr(kHeaderSize, 3), Bytes({0, 0xFF, 0x51}));

  s.Title = "Song\r\nWords";
  f = BuildSmf(s, settings);
  EXPECT_EQ(f.substr(kHeaderSize, 18),
            Bytes({0, 0xFF, 0x03, 4}) + "Song" + Bytes({0, 0xFF, 0x01, 6}) + "\nWords");
  EXPECT_EQ(f.substr(kHeaderSize + 18, 3), Bytes({0, 0xFF, 0x51}));
  EXPECT_EQ(TrackLength(f), f.size() - kHeaderSize);

  // Further lines keep their CR LF; Japanese text is written in code page 932.
  s.Title = "蛍の光\r\n一\r\n二";
  f = BuildSmf(s, settings);
  std::string name = Utf8ToCp932("蛍の光");
  std::string text = "\n" + Utf8ToCp932("一\r\n二");
  EXPECT_EQ(f.substr(kHeaderSize, 4 + name.size()),
            Bytes({0, 0xFF, 0x03, int(name.size())}) + name);
  EXPECT_EQ(f.substr(kHeaderSize + 4 + name.size(), 4 + text.size()),
            Bytes({0, 0xFF, 0x01, int(text.size())}) + text);

  // An empty first line writes only the text; a title ending in CR LF only the name.
  s.Title = "\r\nW";
  f = BuildSmf(s, settings);
  EXPECT_EQ(f.substr(kHeaderSize, 6), Bytes({0, 0xFF, 0x01, 2, '\n', 'W'}));
  s.Title = "S\r";
  f = BuildSmf(s, settings);
  EXPECT_EQ(f.substr(kHeaderSize, 8), Bytes({0, 0xFF, 0x03, 1, 'S', 0, 0xFF, 0x51}));

  // 130 bytes: the length takes two bytes.
  s.Title = std::string(130, 'a');
  f = BuildSmf(s, settings);
  EXPECT_EQ(f.substr(kHeaderSize, 5), Bytes({0, 0xFF, 0x03, 0x81, 0x02}));
  EXPECT_EQ(f.substr(kHeaderSize + 5 + 130, 3), Bytes({0, 0xFF, 0x51}));
  EXPECT_EQ(TrackLength(f), f.size() - kHeaderSize);
}

TEST(SmfExport, TimeSignatureEventOfFiveEighths) {
  Score s = MakeSong({60}, {{1}}, 8);
  s.RowsPerBar = 5;
  std::string f = BuildSmf(s, SoundSettings{});
  EXPECT_EQ(f.substr(kHeaderSize + 7, 8), Bytes({0, 0xFF, 0x58, 4, 5, 3, 0x18, 0x08}));
  s.RowsPerBar = 12;
  f = BuildSmf(s, SoundSettings{});
  EXPECT_EQ(f.substr(kHeaderSize + 7, 8), Bytes({0, 0xFF, 0x58, 4, 3, 1, 0x18, 0x08}));
}

TEST(SmfExport, PreRowsAndALongDelta) {
  // T = 1920 div 16 = 120; PreRows 136 puts row 1 at 16320.
  Score s = MakeSong({60}, {{1}}, 16);
  s.PreRows = 136;
  std::string f = BuildSmf(s, SoundSettings{});
  // 136 * 120 = 16320 = 0x3FC0 -> FF 40.
  EXPECT_EQ(NotePart(f).substr(0, 5), Bytes({0xFF, 0x40, 0x90, 60, 100}));

  // A delta of exactly 16384 ticks: PreRows such that row 1 is struck at 16384.
  Score w = MakeSong({60}, {{1}}, 15);  // T = 128
  w.PreRows = 128;                      // 128 * 128 = 16384
  f = BuildSmf(w, SoundSettings{});
  EXPECT_EQ(NotePart(f).substr(0, 6), Bytes({0x81, 0x80, 0x00, 0x90, 60, 100}));
}

TEST(SmfExport, StopDelayZeroReleasesWhenTheNextStruckRowComes) {
  Score s = MakeSong({60, 62}, {{1}, {2}, {}, {}, {1, 2}});
  std::string notes = NotePart(BuildSmf(s, SoundSettings{}));
  // T 480. Row 1 at 0; row 2: release of row 1 at (18 + 1 - 10) * 48 = 432,
  // note at 480; row 5: release of row 2 at (45 + 2 - 10) * 48 = 1776, notes at
  // 1920; end: release of row 5 at (5 - 1 + 45) * 48 = 2352.
  EXPECT_EQ(notes, Bytes({0x00, 0x90, 60, 100,
                          0x83, 0x30, 0x90, 60, 0,
                          0x30, 0x90, 62, 100,
                          0x8A, 0x10, 0x90, 62, 0,
                          0x81, 0x10, 0x90, 60, 100,
                          0x00, 0x90, 62, 100,
                          0x83, 0x30, 0x90, 60, 0,
                          0x00, 0x90, 62, 0,
                          0x00, 0xFF, 0x2F, 0x00}));
}

TEST(SmfExport, StopDelayReleasesAfterThatManyRows) {
  Score s = MakeSong({60, 62}, {{1}, {2}, {1}});
  SoundSettings settings;
  settings.StopDelayRows = 1;
  std::string notes = NotePart(BuildSmf(s, settings));
  EXPECT_EQ(notes, Bytes({0x00, 0x90, 60, 100,
                          0x83, 0x30, 0x90, 60, 0,  // 432
                          0x30, 0x90, 62, 100,      // 480
                          0x83, 0x30, 0x90, 62, 0,  // 912
                          0x30, 0x90, 60, 100,      // 960
                          0x83, 0x30, 0x90, 60, 0,  // 1392
                          0x00, 0xFF, 0x2F, 0x00}));

  // Stop delay 2, one row, PreRows 1: struck at 480, released at 2 * 480 + 384.
  Score one = MakeSong({60}, {{1}});
  one.PreRows = 1;
  settings.StopDelayRows = 2;
  notes = NotePart(BuildSmf(one, settings));
  EXPECT_EQ(notes, Bytes({0x83, 0x60, 0x90, 60, 100, 0x86, 0x60, 0x90, 60, 0,
                          0x00, 0xFF, 0x2F, 0x00}));

  // Stop delay 3 over a song of five rows: the last three rows are released
  // after the loop, in order.
  Score five = MakeSong({60, 62, 64, 65, 67}, {{1}, {2}, {3}, {4}, {5}});
  settings.StopDelayRows = 3;
  notes = NotePart(BuildSmf(five, settings));
  // Releases at (k + 1) * 480 + 336 for row k: rows 1..2 in the loop (rows 4, 5),
  // rows 3..5 after it.
  std::vector<int> releaseKeys;
  for (size_t i = 0; i + 3 < notes.size();) {
    size_t j = i;
    while (uint8_t(notes[j]) & 0x80) ++j;
    ++j;
    if (uint8_t(notes[j]) == 0xFF) break;
    if (notes[j + 2] == 0) releaseKeys.push_back(notes[j + 1]);
    i = j + 3;
  }
  EXPECT_EQ(releaseKeys, (std::vector<int>{60, 62, 64, 65, 67}));
}

TEST(SmfExport, ChannelsOfTheSlots) {
  std::vector<int> keys;
  std::vector<int32_t> cols;
  for (int i = 0; i < 15; ++i) {
    keys.push_back(60 + i);
    cols.push_back(i + 1);
  }
  Score s = MakeSong(keys, {cols});
  std::string notes = NotePart(BuildSmf(s, SoundSettings{}));
  // Slots 0..5 channel 0, 6, 7, 8, 10 channel 1, 11..15 channel 2.
  const int expectedChannel[15] = {0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 2};
  for (int i = 0; i < 15; ++i) {
    EXPECT_EQ(uint8_t(notes[i * 4 + 1]), 0x90 + expectedChannel[i]) << "note " << i;
    EXPECT_EQ(notes[i * 4 + 2], 60 + i);
  }
  // Six notes all go to channel 0; the seventh to channel 1.
  Score seven = MakeSong({60, 61, 62, 63, 64, 65, 66}, {{1, 2, 3, 4, 5, 6, 7}});
  notes = NotePart(BuildSmf(seven, SoundSettings{}));
  for (int i = 0; i < 6; ++i) EXPECT_EQ(uint8_t(notes[i * 4 + 1]), 0x90);
  EXPECT_EQ(uint8_t(notes[6 * 4 + 1]), 0x91);
}

TEST(SmfExport, ScoreAndSettingsAreLeftAlone) {
  Score s = MakeSong({60}, {{1}});
  s.FileName = "x.mbt";
  s.Modified = true;
  SoundSettings settings;
  BuildSmf(s, settings);
  EXPECT_EQ(s.FileName, "x.mbt");
  EXPECT_TRUE(s.Modified);
}

TEST(SmfExport, SaveWritesTheFileAndFailureKeepsTheOldOne) {
  testing::TempDir dir;
  Score s = MakeSong({60}, {{1}});
  s.FileName = dir.File("song.mid");
  RecordingMessages msgs;
  ASSERT_TRUE(SaveSmf(s, SoundSettings{}, msgs));
  EXPECT_TRUE(msgs.entries.empty());
  EXPECT_EQ(testing::ReadBytes(s.FileName), BuildSmf(s, SoundSettings{}));

  s.FileName = dir.File("missing/song.mid");
  EXPECT_FALSE(SaveSmf(s, SoundSettings{}, msgs));
  ASSERT_EQ(msgs.entries.size(), 1u);
  EXPECT_EQ(msgs.entries[0].kind, RecordingMessages::Entry::Error);
  EXPECT_EQ(msgs.entries[0].text,
            "ファイルの保存中にエラーが起こりました。\f\nファイルが破損している可能性があります。");

  // A folder in the way of the target: the rename fails, nothing is left behind.
  testing::WriteBytes(dir.File("old.mid"), "previous");
  s.FileName = dir.File("old.mid") + "/x.mid";
  EXPECT_FALSE(SaveSmf(s, SoundSettings{}, msgs));
  EXPECT_EQ(testing::ReadBytes(dir.File("old.mid")), "previous");
}

// ---- read back by independent tools ---------------------------------------

std::string RunCapture(const std::string& command) {
  std::string out;
  FILE* p = popen(command.c_str(), "r");
  if (!p) return out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  if (pclose(p) != 0) out += "\nEXIT-FAILED";
  return out;
}

TEST(SmfExport, ReadBackByMido) {
  if (std::system("/usr/bin/python3 -c 'import mido' >/dev/null 2>&1") != 0)
    GTEST_SKIP() << "python3-mido not installed";
  testing::TempDir dir;
  Score s = MakeSong({60, 64, 67}, {{1, 2, 3}, {}, {2}, {1}}, 8, 250);
  s.Title = "Title\r\nline";
  s.PreRows = 2;
  s.RowsPerBar = 6;
  s.FileName = dir.File("t.mid");
  SoundSettings settings;
  settings.Program = 48;
  settings.BankIndex = 7;  // "24ベロストリングス"
  settings.StopDelayRows = 1;
  RecordingMessages msgs;
  ASSERT_TRUE(SaveSmf(s, settings, msgs));
  std::string script = dir.File("read.py");
  testing::WriteBytes(script,
                      "import mido, sys\n"
                      "m = mido.MidiFile(sys.argv[1])\n"
                      "print(m.type, m.ticks_per_beat, len(m.tracks))\n"
                      "t = 0\n"
                      "for e in m.tracks[0]:\n"
                      "    t += e.time\n"
                      "    if e.type == 'note_on':\n"
                      "        print('note', t, e.channel, e.note, e.velocity)\n"
                      "    elif e.type == 'control_change' and e.channel == 0:\n"
                      "        print('cc', e.control, e.value)\n"
                      "    elif e.type == 'program_change':\n"
                      "        print('pc', e.channel, e.program)\n"
                      "    elif e.type == 'set_tempo':\n"
                      "        print('tempo', e.tempo)\n"
                      "    elif e.type == 'time_signature':\n"
                      "        print('ts', e.numerator, e.denominator)\n"
                      "    elif e.type == 'track_name':\n"
                      "        print('name', e.name)\n");
  std::string got = RunCapture("/usr/bin/python3 " + script + " " + s.FileName);
  // T = 240; row r struck at (2 + r - 1) * 240, released at (2 + r - 1) * 240 + 216.
  std::string expected =
      "0 480 1\n"
      "name Title\n"
      "tempo 1000000\n"
      "ts 3 4\n"
      "cc 0 24\ncc 32 0\npc 0 48\ncc 1 0\ncc 10 64\ncc 91 40\ncc 93 0\n"
      "pc 1 48\npc 2 48\n"
      "note 480 0 60 100\nnote 480 0 64 100\nnote 480 0 67 100\n"
      "note 696 0 60 0\nnote 696 0 64 0\nnote 696 0 67 0\n"
      "note 960 0 64 100\n"
      "note 1176 0 64 0\n"
      "note 1200 0 60 100\n"
      "note 1416 0 60 0\n";
  EXPECT_EQ(got, expected);
}

TEST(SmfExport, PlaysInFluidSynth) {
  const char* font = "/usr/share/sounds/sf2/TimGM6mb.sf2";
  if (std::system("command -v fluidsynth >/dev/null 2>&1") != 0 || !std::ifstream(font))
    GTEST_SKIP() << "fluidsynth or its sound font not installed";
  testing::TempDir dir;
  Score s = MakeSong({60, 64, 67, 72}, {{1, 3}, {2}, {3, 4}, {}, {1, 2, 3, 4}});
  s.FileName = dir.File("p.mid");
  RecordingMessages msgs;
  ASSERT_TRUE(SaveSmf(s, SoundSettings{}, msgs));
  std::string out = RunCapture("fluidsynth -ni -q -F " + dir.File("p.wav") + " -r 22050 " + font +
                               " " + s.FileName + " 2>&1");
  EXPECT_EQ(out.find("EXIT-FAILED"), std::string::npos) << out;
  EXPECT_EQ(out.find("rror"), std::string::npos) << out;
  EXPECT_EQ(out.find("arning"), std::string::npos) << out;
  std::string wav = testing::ReadBytes(dir.File("p.wav"));
  ASSERT_GT(wav.size(), 44u + 22050u);
  bool sound = false;
  for (size_t i = 44; i + 1 < wav.size() && !sound; i += 2)
    sound = std::abs(int16_t(uint8_t(wav[i]) | (uint8_t(wav[i + 1]) << 8))) > 300;
  EXPECT_TRUE(sound);
}

}  // namespace
}  // namespace poronka
